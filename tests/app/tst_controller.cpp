// The controller on its own: start-up, sections, searches, rows and the
// command line against written databases, with no window anywhere.

#include "app/Controller.h"
#include "core/Settings.h"
#include "support/InterpretationDb.h"
#include "support/ScriptedPlatform.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace orvane::app;
using orvane::search::EntryKind;
using orvane::search::SearchMode;
using orvane::library::InterpretationRepository;
namespace t = orvane::testing;

namespace {

const QString kSeparator = QStringLiteral("    ******************");

QStringList ix(std::initializer_list<int> numbers)
{
    QStringList out;
    for (int n : numbers)
        out << QStringLiteral("IX-89-%1").arg(n, 2, 10, QLatin1Char('0'));
    return out;
}

// A controller over a written database, sections not yet listed.
struct Run {
    ScriptedPlatform platform;
    Controller controller{platform};
    const ProgramState& state = controller.state();

    explicit Run(const QString& path, qint16 defaultSection = 1)
    {
        controller.setDataPath(path);
        controller.setDefaultSection(defaultSection);
        controller.openDatabase(path);
    }
};

} // namespace

class TestController : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void initiationSelectsTheDefaultSection();
    void searchModes_data();
    void searchModes();
    void rowsAndNavigation();
    void unusableTableNamesSendNothing();
    void importCancelledAtStartEndsTheProgram();
    void commandLineSelectsAndSearches();

private:
    QString write(const t::DbPlan& plan)
    {
        return t::writeInterpretationDb(dir_->filePath(QStringLiteral("intasme.mdb")), plan);
    }
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestController::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    orvane::setSettingsFile(dir_->filePath(QStringLiteral("settings.ini")));
}

void TestController::cleanup()
{
    orvane::setSettingsFile(QString());
    dir_.reset();
}

void TestController::initiationSelectsTheDefaultSection()
{
    Run run(write(t::standardPlan()));
    QSignalSpy menu(&run.controller, &Controller::sectionMenuChanged);
    QSignalSpy results(&run.controller, &Controller::resultsChanged);
    QSignalSpy caption(&run.controller, &Controller::captionChanged);

    QVERIFY(run.controller.initiateProgram());
    QCOMPARE(run.state.sectionCount, 2);
    QCOMPARE(run.state.currentTable, QStringLiteral("INT08"));
    QCOMPARE(run.controller.checkedSection(), 1);
    QVERIFY(!run.controller.placeholderShown());
    QVERIFY(menu.count() >= 1);
    QCOMPARE(caption.count(), 1);
    QCOMPARE(caption.at(0).at(0).toString(), QStringLiteral("Orvane-INT   [ ASME Section VIII-1 ]"));

    // The notice first with its separator, neither counted; the first row on display.
    QCOMPARE(run.controller.rowTexts(), (QStringList{t::kNoticeId, kSeparator, QStringLiteral("VIII-1-89-01"),
                                                 QStringLiteral("VIII-1-89-02"), QStringLiteral("VIII-1-89-03")}));
    QVERIFY(results.count() >= 1 && run.controller.noticeShown());
    QCOMPARE(run.controller.countLabel(), QStringLiteral("3"));
    QCOMPARE(run.controller.currentRow(), 1);
    QCOMPARE(run.controller.shown().identifierLabel, QStringLiteral("Orvane-INT Notice"));
    QVERIFY(run.controller.shown().text.startsWith(QLatin1String("Notice")));
    QCOMPARE(run.controller.paragraphRows(), (QStringList{QStringLiteral("QW-406"), QStringLiteral("QW-406.1"),
                                                          QStringLiteral("UG-20"), QStringLiteral("UG-99")}));
    // Entries cleared, And selected, nothing searched.
    QVERIFY(run.controller.entryText(EntryKind::Keyword).isEmpty());
    QCOMPARE(run.controller.mode(), SearchMode::And);
    QCOMPARE(run.controller.searchRuns(), 0);
    QVERIFY(run.platform.messageBoxes.empty());
}

void TestController::searchModes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("words");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("sql");
    QTest::newRow("and") << int(SearchMode::And) << "minimum preheat" << ix({1, 2, 4})
                         << R"(SELECT DISTINCT [INTER_STR] FROM INT09 WHERE  [INTER_TEXT] LIKE "*minimum*" AND  [INTER_TEXT] LIKE "*preheat*")";
    QTest::newRow("or") << int(SearchMode::Or) << "filler welder" << ix({3, 5})
                        << R"(SELECT DISTINCT [INTER_STR] FROM INT09 WHERE ( [INTER_TEXT] LIKE "*filler*" OR  [INTER_TEXT] LIKE "*welder*"))";
    QTest::newRow("phrase") << int(SearchMode::Phrase) << "minimum preheat" << ix({1, 4})
                            << R"(SELECT DISTINCT [INTER_STR] FROM INT09 WHERE [INTER_TEXT] LIKE "*minimum preheat*")";
    QTest::newRow("nothing found") << int(SearchMode::And) << "zirconium" << QStringList()
                                   << R"(SELECT DISTINCT [INTER_STR] FROM INT09 WHERE  [INTER_TEXT] LIKE "*zirconium*")";
}

void TestController::searchModes()
{
    QFETCH(int, mode);
    QFETCH(QString, words);
    QFETCH(QStringList, rows);
    QFETCH(QString, sql);

    Run run(write(t::standardPlan()), 2);
    QVERIFY(run.controller.initiateProgram());
    QCOMPARE(run.state.currentTable, QStringLiteral("INT09"));
    run.controller.chooseMode(SearchMode(mode));   // nothing typed yet: no search
    QCOMPARE(run.controller.searchRuns(), 0);
    run.controller.editEntry(EntryKind::Keyword, words);
    QSignalSpy labels(&run.controller, &Controller::labelsChanged);
    QSignalSpy shown(&run.controller, &Controller::interpretationShown);
    QSignalSpy cleared(&run.controller, &Controller::viewCleared);
    run.controller.performSearch();
    // The first match replaces the last text in one step; with nothing
    // found the view is emptied.
    QCOMPARE(shown.count(), rows.isEmpty() ? 0 : 1);
    QCOMPARE(cleared.count(), rows.isEmpty() ? 1 : 0);

    QCOMPARE(run.controller.lastSearchSql(), sql);
    QCOMPARE(run.controller.rowTexts(), rows);
    QCOMPARE(run.controller.countLabel(), QString::number(rows.size()));
    QCOMPARE(run.controller.positionLabel(), rows.isEmpty() ? QStringLiteral("0") : QStringLiteral("1"));
    QVERIFY(labels.count() >= 1);
    // The first row found is selected, as the list selects a first row it is given.
    QCOMPARE(run.controller.currentRow(), rows.isEmpty() ? 0 : 1);
    if (rows.isEmpty()) {
        QCOMPARE(run.platform.messageBoxes.size(), std::size_t(1));
        QCOMPARE(run.platform.messageBoxes[0].title, QStringLiteral("Record not found"));
    } else {
        QVERIFY(run.platform.messageBoxes.empty());
        QCOMPARE(run.controller.shown().identifierLabel, rows.first());
        QCOMPARE(run.controller.shown().keywords, words);
        QCOMPARE(run.controller.shown().phrase, SearchMode(mode) == SearchMode::Phrase);
    }
}

void TestController::rowsAndNavigation()
{
    Run run(write(t::standardPlan()));
    QVERIFY(run.controller.initiateProgram());   // INT08: notice, separator, three rows
    QSignalSpy nav(&run.controller, &Controller::navigationChanged);

    run.controller.clickRow(4);
    QCOMPARE(run.controller.currentRow(), 4);
    QCOMPARE(run.controller.positionLabel(), QStringLiteral("2"));
    QCOMPARE(run.controller.shown().identifierLabel, QStringLiteral("VIII-1-89-02"));
    QCOMPARE(run.controller.shown().volume, QStringLiteral("24"));
    QVERIFY(!nav.isEmpty());
    QCOMPARE(nav.last().at(0).value<orvane::view::NavigationButtons>(),
             (orvane::view::NavigationButtons{true, true, true, true}));

    // The separator stands for the notice.
    run.controller.clickRow(2);
    QCOMPARE(run.controller.positionLabel(), QStringLiteral("n/a"));
    QCOMPARE(run.controller.shown().identifierLabel, QStringLiteral("Orvane-INT Notice"));

    // Rows outside the list are ignored; row 0 is no row at all.
    for (int row : {-1, 6}) {
        run.controller.clickRow(row);
        QCOMPARE(run.controller.currentRow(), 2);
    }
    run.controller.clickRow(0);
    QCOMPARE(run.controller.currentRow(), 0);
    QCOMPARE(nav.last().at(0).value<orvane::view::NavigationButtons>(),
             (orvane::view::NavigationButtons{true, false, false, true}));
    run.controller.clickRow(2);

    QSignalSpy selected(&run.controller, &Controller::currentRowChanged);
    run.controller.navigate(orvane::view::NavigationStep::Last);   // last
    QCOMPARE(run.controller.currentRow(), 5);
    QCOMPARE(run.controller.positionLabel(), QStringLiteral("3"));
    QCOMPARE(run.controller.shown().identifierLabel, QStringLiteral("VIII-1-89-03"));
    QCOMPARE(nav.last().at(0).value<orvane::view::NavigationButtons>(),
             (orvane::view::NavigationButtons{true, true, false, false}));
    run.controller.navigate(orvane::view::NavigationStep::Previous);   // previous
    QCOMPARE(run.controller.currentRow(), 4);
    run.controller.navigate(orvane::view::NavigationStep::First);   // first: the notice row itself
    QCOMPARE(run.controller.currentRow(), 1);
    QCOMPARE(run.controller.positionLabel(), QStringLiteral("n/a"));
    run.controller.navigate(orvane::view::NavigationStep::Next);   // next
    QCOMPARE(run.controller.currentRow(), 2);
    QVERIFY(selected.count() >= 4);
    QCOMPARE(selected.last().at(0).toInt(), 2);

    // A click on the row on display changes nothing; a button reloads it.
    run.controller.clickRow(4);
    QSignalSpy shown(&run.controller, &Controller::interpretationShown);
    run.controller.clickRow(4);
    QCOMPARE(shown.count(), 0);
    run.controller.navigate(orvane::view::NavigationStep::Previous);
    run.controller.navigate(orvane::view::NavigationStep::Next);
    QCOMPARE(shown.count(), 2);
}

void TestController::unusableTableNamesSendNothing()
{
    t::DbPlan plan = t::standardPlan();
    // Names that would reach other tables were they put into a statement.
    plan.extraAuthorizedRows = {{QStringLiteral("Bracket"), QStringLiteral("INT08] UNION SELECT * FROM [INT09")},
                                {QStringLiteral("Blank"), QStringLiteral("INT08 INT09")}};
    Run run(write(plan));
    QVERIFY(run.controller.initiateProgram());
    QCOMPARE(run.state.sectionCount, 4);

    for (const char* name : {"Bracket", "Blank"}) {
        run.controller.selectSection(QString::fromLatin1(name));
        QVERIFY(!InterpretationRepository::isPlainTableName(run.state.currentTable));
        QVERIFY2(run.controller.rowTexts().isEmpty(), name);
        QCOMPARE(run.controller.countLabel(), QStringLiteral("0"));
        QVERIFY(run.controller.paragraphRows().isEmpty());

        // A search and a lookup there find nothing, and say so.
        const std::size_t messages = run.platform.messageBoxes.size();
        run.controller.editEntry(EntryKind::Keyword, QStringLiteral("preheat"));
        run.controller.performSearch();
        QVERIFY(run.controller.rowTexts().isEmpty());
        QCOMPARE(run.platform.messageBoxes.size(), messages + 1);
        run.controller.loadInterpretation(QStringLiteral("IX-89-01"));
        QVERIFY(!run.controller.shown().found);
    }
}

void TestController::importCancelledAtStartEndsTheProgram()
{
    ScriptedPlatform platform;
    Controller controller{platform};
    controller.setStartingUp(true);
    controller.setDataPath(dir_->filePath(QStringLiteral("missing.mdb")));
    QVERIFY(!controller.initiateProgram());

    controller.importDatabase();   // the dialog is cancelled
    QCOMPARE(platform.fileDialogs.size(), std::size_t(1));
    QCOMPARE(platform.messageBoxes.size(), std::size_t(1));
    QCOMPARE(platform.messageBoxes[0].title, QStringLiteral("No database"));
    QCOMPARE(platform.messageBoxes[0].text, QStringLiteral("No valid Orvane-INT database present."));
    QCOMPARE(platform.messageBoxes[0].icon, MessageIcon::Critical);
    QVERIFY(platform.ended);
    QCOMPARE(platform.calls.last(), QStringLiteral("endProgram"));
    QVERIFY(!controller.repository().isOpen());

    // Later, cancelling is only a change of mind.
    ScriptedPlatform later;
    Controller running{later};
    running.importDatabase();
    QCOMPARE(later.fileDialogs.size(), std::size_t(1));
    QVERIFY(later.messageBoxes.empty());
    QVERIFY(!later.ended);
}

void TestController::commandLineSelectsAndSearches()
{
    const t::DbPlan plan = t::standardPlan();
    Run run(write(plan));
    run.platform.arguments = QStringLiteral("SECT INT09 TEXT {weld}");
    QVERIFY(run.controller.initiateProgram());
    QCOMPARE(run.state.currentTable, QStringLiteral("INT08"));
    run.controller.processCommandLine();
    QCOMPARE(run.state.currentTable, QStringLiteral("INT09"));
    QCOMPARE(run.controller.checkedSection(), 2);
    QCOMPARE(run.controller.caption(), QStringLiteral("Orvane-INT   [ ASME Section IX ]"));
    QCOMPARE(orvane::readSetting(QStringLiteral("default section"), QString()), QStringLiteral("2"));
    QCOMPARE(run.controller.entryText(EntryKind::Keyword), QStringLiteral("weld"));
    QCOMPARE(run.controller.mode(), SearchMode::And);
    QCOMPARE(run.controller.searchRuns(), 1);

    // Every text of section IX that holds the word, whatever its case.
    QStringList expected;
    for (const t::Interpretation& r : plan.sections[1].rows)
        if (r.text.contains(QLatin1String("weld"), Qt::CaseInsensitive))
            expected << r.id;
    QVERIFY(!expected.isEmpty() && expected.size() < int(plan.sections[1].rows.size()));
    QCOMPARE(run.controller.rowTexts(), expected);
}

QTEST_GUILESS_MAIN(TestController)
#include "tst_controller.moc"
