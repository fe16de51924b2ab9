// Every section at once: the merged listing, the union search, rows picked
// across sections, the remembered choice, SECT ALL, and printing every
// interpretation found as one PDF.

#include "app/Controller.h"
#include "core/Settings.h"
#include "support/InterpretationDb.h"
#include "support/ScriptedPlatform.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

using namespace orvane::app;
using orvane::search::EntryKind;
using orvane::search::SearchMode;
namespace t = orvane::testing;

namespace {

const QString kSeparator = QStringLiteral("    ******************");

// Three sections; IX-89-01 is filed under both INT09 and INT12, and INX12
// lists IX-89-05 of Section IX under TG-100.
t::DbPlan threeSections()
{
    t::DbPlan plan = t::standardPlan();
    t::Section s12;
    s12.userName = QStringLiteral("Section XII");
    s12.table = QStringLiteral("INT12");
    for (const char* id : {"IX-89-01", "XII-04-01"})
        s12.rows.push_back({QString::fromLatin1(id),
                            t::interpretationText(QString::fromLatin1(id), QStringLiteral("TG-100, Preheat"),
                                                  QStringLiteral("Is preheat of a transport tank weld required?")),
                            QStringLiteral("60")});
    s12.index = {{QStringLiteral("TG-100"), QStringLiteral("XII-04-01"), QStringLiteral("12")},
                 {QStringLiteral("QW-406"), QStringLiteral("XII-04-01"), QStringLiteral("12")},
                 {QStringLiteral("TG-100"), QStringLiteral("IX-89-05"), QStringLiteral("09")}};
    plan.sections.push_back(s12);
    return plan;
}

struct Run {
    ScriptedPlatform platform;
    Controller controller{platform};

    explicit Run(const QString& path)
    {
        controller.setDataPath(path);
        controller.setDefaultSection(2);
        controller.openDatabase(path);
        QVERIFY(controller.initiateProgram());
    }

    // The rows one section's own search lists (the reference the union is
    // checked against).
    QStringList searchOne(int entry, const QString& words, SearchMode mode)
    {
        controller.chooseSection(entry);
        controller.chooseMode(mode);
        controller.editEntry(EntryKind::Keyword, words);
        controller.performSearch();
        return controller.rowTexts();
    }
};

} // namespace

class TestAllSections : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        orvane::setSettingsFile(dir_->filePath(QStringLiteral("settings.ini")));
        path_ = t::writeInterpretationDb(dir_->filePath(QStringLiteral("intasme.mdb")), threeSections());
    }
    void cleanup() { orvane::setSettingsFile(QString()); }

    void listingMergesSectionsInOrder()
    {
        Run r(path_);
        Controller& c = r.controller;
        c.chooseAllSections();
        QCOMPARE(c.caption(), QStringLiteral("Orvane-INT   [ ASME All sections ]"));
        QCOMPARE(c.checkedSection(), Controller::kAllSections);
        const QStringList expected{t::kNoticeId,   kSeparator,     "VIII-1-89-01", "VIII-1-89-02",
                                   "VIII-1-89-03", "IX-89-01",     "IX-89-02",     "IX-89-03",
                                   "IX-89-04",     "IX-89-05",     "IX-89-01",     "XII-04-01"};
        QCOMPARE(c.rowTexts(), expected);
        QCOMPARE(c.countLabel(), QStringLiteral("10"));
        QCOMPARE(c.rowSection(11), QStringLiteral("Section XII"));
        QCOMPARE(c.rowSection(6), QStringLiteral("Section IX"));
        // The paragraph lists of all three, each paragraph once.
        QCOMPARE(c.paragraphRows(),
                 QStringList({"QW-322", "QW-406", "QW-406.1", "QW-407", "TG-100", "UG-20", "UG-99"}));
    }

    void unionSearchEqualsTheSectionsSearches_data()
    {
        QTest::addColumn<QString>("words");
        QTest::addColumn<SearchMode>("mode");
        QTest::newRow("and") << "preheat minimum" << SearchMode::And;
        QTest::newRow("or") << "hydrostatic transport" << SearchMode::Or;
        QTest::newRow("phrase") << "minimum preheat" << SearchMode::Phrase;
    }
    void unionSearchEqualsTheSectionsSearches()
    {
        QFETCH(QString, words);
        QFETCH(SearchMode, mode);
        Run r(path_);
        QStringList expected;
        for (int entry = 1; entry <= 3; ++entry)
            expected += r.searchOne(entry, words, mode);
        expected.removeAll(kSeparator);
        const bool notice = expected.removeAll(t::kNoticeId) > 0;
        if (notice)
            expected = QStringList{t::kNoticeId, kSeparator} + expected;

        Controller& c = r.controller;
        c.chooseAllSections();
        c.chooseMode(mode);
        c.editEntry(EntryKind::Keyword, words);
        c.performSearch();
        QVERIFY(!expected.isEmpty());
        QCOMPARE(c.rowTexts(), expected);
    }

    void rowsAcrossSectionsShowTheirOwnSection()
    {
        Run r(path_);
        Controller& c = r.controller;
        c.chooseAllSections();
        c.editEntry(EntryKind::Keyword, QStringLiteral("transport"));
        c.performSearch();
        // IX-89-01 of Section XII is its own row, with Section XII's text.
        QCOMPARE(c.rowTexts(), QStringList({"IX-89-01", "XII-04-01"}));
        QCOMPARE(c.shown().section, QStringLiteral("Section XII"));
        QVERIFY(c.shown().text.contains(QStringLiteral("transport tank")));
        QCOMPARE(c.shown().volume, QStringLiteral("60"));

        c.editEntry(EntryKind::Keyword, QStringLiteral("preheat"));
        c.performSearch();
        const int nine = int(c.rowTexts().indexOf(QStringLiteral("IX-89-01"))) + 1;
        c.clickRow(nine);
        QCOMPARE(c.shown().section, QStringLiteral("Section IX"));
        QVERIFY(!c.shown().text.contains(QStringLiteral("transport")));
        c.navigate(orvane::view::NavigationStep::Last);
        QCOMPARE(c.currentRow(), int(c.rows().size()));
        QCOMPARE(c.shown().identifierLabel, QStringLiteral("XII-04-01"));
        QCOMPARE(c.shown().section, QStringLiteral("Section XII"));
    }

    void everyPickShowsItsOwnSection()
    {
        Run r(path_);
        Controller& c = r.controller;
        c.chooseAllSections();
        const QStringList rows = c.rowTexts();
        const int nine = int(rows.indexOf(QStringLiteral("IX-89-01"))) + 1;
        const int twelve = int(rows.lastIndexOf(QStringLiteral("IX-89-01"))) + 1;
        QVERIFY(nine > 0 && twelve > nine);
        c.clickRow(nine);
        QCOMPARE(c.shown().section, QStringLiteral("Section IX"));
        // The same identifier in another section is another interpretation.
        c.clickRow(twelve);
        QCOMPARE(c.shown().section, QStringLiteral("Section XII"));
        QVERIFY(c.shown().text.contains(QStringLiteral("transport tank")));
        QCOMPARE(c.positionLabel(), QString::number(twelve - 2));
        // Clicking the row on display again changes nothing.
        c.clickRow(twelve);
        QCOMPARE(c.shown().section, QStringLiteral("Section XII"));
    }

    void crossListedRowsAppearOnceUnderTheirSection()
    {
        Run r(path_);
        Controller& c = r.controller;
        c.chooseAllSections();
        // INX09 and INX08 both list VIII-1-89-02 under QW-406; INX12 lists
        // IX-89-05 under TG-100, which INX09 does not.
        for (const auto& [paragraph, id, section] :
             {std::tuple{"QW-406", "VIII-1-89-02", "Section VIII-1"}, std::tuple{"TG-100", "IX-89-05", "Section IX"}}) {
            c.editEntry(EntryKind::Paragraph, QString::fromLatin1(paragraph));
            c.performSearch();
            const QStringList rows = c.rowTexts();
            QCOMPARE(rows.count(QString::fromLatin1(id)), 1);
            QCOMPARE(c.rowSection(int(rows.indexOf(QString::fromLatin1(id))) + 1), QString::fromLatin1(section));
            // Rows stay grouped by section in section order.
            QStringList sections;
            for (int row = 1; row <= rows.size(); ++row)
                if (sections.isEmpty() || sections.last() != c.rowSection(row))
                    sections << c.rowSection(row);
            QCOMPARE(sections.removeDuplicates(), 0);
        }
    }

    void sectionSwitchSetsOrClearsWhatIsShown()
    {
        t::DbPlan plan = threeSections();
        t::Section missing;
        missing.userName = QStringLiteral("Section III");
        missing.table = QStringLiteral("INT03");
        missing.withTable = missing.withIndex = false;
        plan.sections.push_back(missing);
        const QString path = t::writeInterpretationDb(dir_->filePath(QStringLiteral("missing.mdb")), plan);
        Run r(path);
        Controller& c = r.controller;
        c.chooseSection(2);
        c.clickRow(3);
        QCOMPARE(c.positionLabel(), QStringLiteral("3"));
        c.chooseSection(3);
        QCOMPARE(c.positionLabel(), QStringLiteral("1"));
        QCOMPARE(c.shown().identifierLabel, QStringLiteral("IX-89-01"));
        // A section whose table cannot be read shows nothing of the last one.
        QSignalSpy cleared(&c, &Controller::viewCleared);
        c.chooseSection(4);
        QVERIFY(c.rowTexts().isEmpty());
        QCOMPARE(cleared.size(), 1);
        QCOMPARE(c.shown().identifierLabel, QString());
        QCOMPARE(c.shown().text, QString());
        QCOMPARE(c.shown().volume, QString());
        QCOMPARE(c.positionLabel(), QStringLiteral("n/a"));
        QCOMPARE(c.countLabel(), QStringLiteral("0"));
    }

    void choiceIsRememberedApartFromTheDefaultSection()
    {
        {
            Run r(path_);
            r.controller.chooseAllSections();
        }
        QCOMPARE(orvane::peekSetting(QStringLiteral("all sections")), QStringLiteral("1"));
        QCOMPARE(orvane::peekSetting(QStringLiteral("default section")), QString());
        {
            ScriptedPlatform platform;
            Controller c(platform);
            c.readStartupSettings();
            c.openDatabase(path_);
            c.setDataPath(path_);
            QVERIFY(c.initiateProgram());
            QVERIFY(c.allSections());
            QCOMPARE(c.rowTexts().size(), 12);
            // A single section chosen again is what the next start opens.
            c.chooseSection(3);
        }
        QCOMPARE(orvane::peekSetting(QStringLiteral("all sections")), QStringLiteral("0"));
        QCOMPARE(orvane::peekSetting(QStringLiteral("default section")), QStringLiteral("3"));
    }

    void commandLineSectAll()
    {
        Run r(path_);
        r.platform.arguments = QStringLiteral("SECT ALL TEXT {preheat}");
        r.controller.processCommandLine();
        QVERIFY(r.controller.allSections());
        QCOMPARE(r.controller.rowTexts().last(), QStringLiteral("XII-04-01"));
        QVERIFY(r.controller.rowTexts().contains(QStringLiteral("VIII-1-89-02")));
    }

    void printAllFoundGivesOnePagePerInterpretation()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        Run r(path_);
        r.platform.printerOutputFile = dir_->filePath(QStringLiteral("all.pdf"));
        Controller& c = r.controller;
        c.chooseSection(3);
        c.editEntry(EntryKind::Keyword, QStringLiteral("preheat"));
        c.performSearch();
        QCOMPARE(c.rowTexts().size(), 2);
        c.chooseAllSections();
        c.editEntry(EntryKind::Keyword, QStringLiteral("hydrostatic transport"));
        c.chooseMode(SearchMode::Or);
        QCOMPARE(c.rowTexts(), QStringList({"VIII-1-89-03", "IX-89-01", "XII-04-01"}));

        r.platform.messageAnswers = {MessageAnswer::Ok};
        c.printAllFound();
        QCOMPARE(r.platform.messageBoxes.back().text, QStringLiteral("Print 3 interpretations (about 3 pages)?"));
        const QStringList pages = pdfPages(r.platform.printerOutputFile);
        QCOMPARE(pages.size(), 3);
        const QStringList ids = c.rowTexts();
        for (int i = 0; i < 3; ++i)
            QVERIFY2(pages.at(i).contains(QStringLiteral("Interpretation: ") + ids.at(i)), qPrintable(pages.at(i)));
    }

    void cancelledPrintAllLeavesAValidPdf()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("pdfinfo (poppler-utils) is not installed");
        Run r(path_);
        r.platform.printerOutputFile = dir_->filePath(QStringLiteral("part.pdf"));
        Controller& c = r.controller;
        c.chooseAllSections();
        // Cancelled while the second interpretation is due.
        r.platform.cancelWhen = [](const LongWork& what, int done, int) {
            return what.label.contains(QStringLiteral("interpretations")) && done == 2;
        };
        r.platform.messageAnswers = {MessageAnswer::Ok};
        c.printAllFound();
        QCOMPARE(pdfPages(r.platform.printerOutputFile).size(), 2);

        // Cancel in the question prints nothing.
        QFile::remove(r.platform.printerOutputFile);
        r.platform.messageAnswers = {MessageAnswer::Cancel};
        c.printAllFound();
        QVERIFY(!QFile::exists(r.platform.printerOutputFile));
    }

    // Print All Found announces nothing that will not happen: no row, no
    // printer, a PDF folder that is not there are each told instead of the
    // question.
    void printAllFoundTellsWhyNothingIsPrinted()
    {
        Run r(path_);
        Controller& c = r.controller;
        const auto lastText = [&r] { return r.platform.messageBoxes.back().text; };
        const auto questions = [&r] {
            return std::count_if(r.platform.messageBoxes.begin(), r.platform.messageBoxes.end(),
                                 [](const auto& m) { return m.buttons == MessageButtons::OkCancel; });
        };
        c.editEntry(EntryKind::Keyword, QStringLiteral("nowhere-to-be-found"));
        c.performSearch();
        QVERIFY(c.rowTexts().isEmpty());
        c.printAllFound();
        QCOMPARE(r.platform.messageBoxes.back().title, QStringLiteral("Print All Found"));
        QVERIFY2(lastText().contains(QStringLiteral("nothing to print")), qPrintable(lastText()));

        c.chooseAllSections();
        const QString missing = dir_->filePath(QStringLiteral("gone/all.pdf"));
        r.platform.printerOutputFile = missing;
        c.printAllFound();
        QVERIFY2(lastText().contains(QDir::toNativeSeparators(missing)), qPrintable(lastText()));
        QVERIFY(lastText().contains(QStringLiteral("does not exist")));

        r.platform.printerSetupChoice = [](QPrinter& p) {
            p.setOutputFormat(QPrinter::NativeFormat);
            p.setPrinterName(QStringLiteral("no printer of that name"));
        };
        r.platform.printerSetupAnswers = {true};
        c.printerSetup();
        c.printAllFound();
        QVERIFY2(lastText().contains(QStringLiteral("No printer")), qPrintable(lastText()));
        QCOMPARE(questions(), 0);
        QVERIFY(!r.platform.calls.contains(QStringLiteral("longWork Print All Found")));
    }

    // Past two seconds by the clock the progress shows, titled in full and
    // counting interpretations; the pointer is the arrow again at the end.
    void printAllFoundShowsProgressPastTwoSeconds()
    {
        Run r(path_);
        r.platform.printerOutputFile = dir_->filePath(QStringLiteral("slow.pdf"));
        Controller& c = r.controller;
        c.chooseAllSections();
        c.editEntry(EntryKind::Keyword, QStringLiteral("hydrostatic transport"));
        c.chooseMode(SearchMode::Or);
        r.platform.msPerProgressStep = 1000;
        r.platform.messageAnswers = {MessageAnswer::Ok};
        c.printAllFound();
        const ScriptedPlatform::LongWorkRun& printing = r.platform.longWorks.back();
        QCOMPARE(printing.what.title, QStringLiteral("Print All Found"));
        QVERIFY(printing.progressShown);
        QCOMPARE(printing.progressLabel, QStringLiteral("3 of 3 interpretations"));
        QCOMPARE(r.platform.mousePointer(), MousePointer::Default);
        QVERIFY(QFileInfo(r.platform.printerOutputFile).size() > 0);

        // A quick job shows no progress.
        r.platform.msPerProgressStep = 0;
        r.platform.messageAnswers = {MessageAnswer::Ok};
        c.printAllFound();
        QVERIFY(!r.platform.longWorks.back().progressShown);
    }

    // The sections load off the window's thread; Cancel lists those read.
    void allSectionsLoadAsLongWork()
    {
        Run whole(path_);
        whole.controller.chooseAllSections();
        const qsizetype all = whole.controller.rowTexts().size();
        QCOMPARE(whole.platform.longWorks.back().what.title, QStringLiteral("All sections"));

        Run r(path_);
        r.platform.msPerProgressStep = 1500;
        r.platform.cancelWhen = [](const LongWork& what, int done, int) {
            return what.title == QStringLiteral("All sections") && done == 2;
        };
        r.controller.chooseAllSections();
        const ScriptedPlatform::LongWorkRun& loading = r.platform.longWorks.back();
        QVERIFY(loading.progressShown);
        QVERIFY(loading.cancelled);
        QCOMPARE(loading.reports, 2);
        QVERIFY(r.controller.rowTexts().size() < all);
        QVERIFY(!r.controller.rowTexts().isEmpty());
        QCOMPARE(r.platform.mousePointer(), MousePointer::Default);
    }

private:
    // The text of each page of a PDF; empty when it is not a valid PDF.
    static QStringList pdfPages(const QString& pdf)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        if (!p.waitForFinished(20000) || p.exitCode() != 0)
            return {};
        QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
        if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
            pages.removeLast();
        return pages;
    }

    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
};

QTEST_MAIN(TestAllSections)
#include "tst_allsections.moc"
