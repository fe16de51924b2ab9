// The command-line query applied through the real main window: which section,
// entries, option and results each line leaves behind, the stored default
// section, the menu's check mark, re-application at a later activation, and
// lines that try to smuggle SQL in.

#include "core/Settings.h"
#include "support/InterpretationDb.h"
#include "ui/AboutBox.h"
#include "ui/MainWindow.h"
#include "app/Controller.h"
#include "app/ProgramState.h"
#include "support/ScriptedPlatform.h"
#include "support/WindowControls.h"

#include <QtTest>
#include <algorithm>

using namespace orvane::ui;
using namespace orvane::app;
using orvane::testing::controls;
using orvane::testing::DbPlan;
using orvane::testing::interpretationText;
using orvane::testing::Section;

namespace {

QString ix(int n)
{
    return QStringLiteral("IX-89-%1").arg(n, 2, 10, QLatin1Char('0'));
}

// Sections listed in the order V (INT05), II-A (INT02), IX (INT09), so that a
// table's digits never give its position in the list. In Section IX:
//   01 "minimum preheat" as a phrase     (paragraph QW-406)
//   02 "minimum" only                     (paragraph QW-406)
//   03 neither word                       (paragraph QW-407)
//   04 both words, but not as a phrase    (paragraph QW-406.1)
DbPlan commandLineDatabase()
{
    const QString subject = QStringLiteral("Procedure qualification");
    Section v{QStringLiteral("Section V"), QStringLiteral("INT05"), {}, {}};
    v.rows = {{QStringLiteral("V-89-01"),
               interpretationText(QStringLiteral("V-89-01"), subject, QStringLiteral("Is film density checked?"))}};
    v.index = {{QStringLiteral("T-271"), QStringLiteral("V-89-01"), QStringLiteral("05")}};

    Section a{QStringLiteral("Section II-A"), QStringLiteral("INT02"), {}, {}};
    a.rows = {{QStringLiteral("II-A-89-01"),
               interpretationText(QStringLiteral("II-A-89-01"), subject, QStringLiteral("Is tensile strength given?"))}};
    a.index = {{QStringLiteral("SA-20"), QStringLiteral("II-A-89-01"), QStringLiteral("02")}};

    Section s9{QStringLiteral("Section IX"), QStringLiteral("INT09"), {}, {}};
    const char* bodies[] = {
        "Is a minimum preheat of 50F required for P-No. 1 material?",
        "May the interpass temperature drop below the minimum for thin sections?",
        "Does a change of filler metal require requalification?",
        "Is preheat maintenance essential? The minimum is stated in the table.",
    };
    for (int i = 1; i <= 4; ++i)
        s9.rows.push_back({ix(i), interpretationText(ix(i), subject, QString::fromLatin1(bodies[i - 1]))});
    s9.index = {{QStringLiteral("QW-406"), ix(1), QStringLiteral("09")},
                {QStringLiteral("QW-406"), ix(2), QStringLiteral("09")},
                {QStringLiteral("QW-406.1"), ix(4), QStringLiteral("09")},
                {QStringLiteral("QW-407"), ix(3), QStringLiteral("09")}};

    DbPlan db;
    db.sections = {v, a, s9};
    // A listed section without a name (its table need not exist).
    db.extraAuthorizedRows = {{QString(), QStringLiteral("INT07")}};
    return db;
}

QStringList allOfSectionIX()
{
    return {ix(1), ix(2), ix(3), ix(4)};
}

struct Session {
    ScriptedPlatform platform;
    Controller controller{platform};
    const ProgramState& state = controller.state();
    std::unique_ptr<orvaneIntMain> w;

    // Sorted: the search statement has no ORDER BY.
    QStringList results() const
    {
        QStringList out;
        for (int i = 0; i < controls(*w).ListView1[2]->rowCount(); ++i)
            out << controls(*w).ListView1[2]->rowText(i);
        std::sort(out.begin(), out.end());
        return out;
    }
    int checkedOption() const
    {
        for (int i = 0; i < 3; ++i)
            if (controls(*w).Option1[std::size_t(i)]->isChecked())
                return i;
        return -1;
    }
    QList<int> checkedEntries() const
    {
        QList<int> out;
        for (std::size_t i = 0; i < controls(*w).mnuFileOpenSection.size(); ++i)
            if (controls(*w).mnuFileOpenSection[i]->isChecked())
                out << int(i);
        return out;
    }
};

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void appliedAtActivation_data();
    void appliedAtActivation();
    void sectionStoresItsListPosition_data();
    void sectionStoresItsListPosition();
    void linesThatChangeNothing();
    void reappliedAtEveryActivationByTheProgram();
    void injectionAttemptsStayLiterals();

private:
    // A window over the fixture database as initiation leaves it: sections
    // listed in the menu, `startEntry` checked and in use, And selected,
    // then (after `prepare`) shown and activated with `arguments`.
    std::unique_ptr<Session> start(const QString& arguments, int startEntry = 3,
                                   const std::function<void(Session&)>& prepare = {});

    std::unique_ptr<QTemporaryDir> dir_;
    QString dbPath_;
    DbPlan dbDef_;
};

void TestCommandLine::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    orvane::setSettingsFile(dir_->filePath(QStringLiteral("settings.ini")));
    dbDef_ = commandLineDatabase();
    dbPath_ = orvane::testing::writeInterpretationDb(dir_->filePath(QStringLiteral("intasme.mdb")), dbDef_);
}

void TestCommandLine::cleanup()
{
    orvane::setSettingsFile(QString());
    dir_.reset();
}

std::unique_ptr<Session> TestCommandLine::start(const QString& arguments, int startEntry,
                                                const std::function<void(Session&)>& prepare)
{
    auto s = std::make_unique<Session>();
    s->platform.arguments = arguments;
    s->controller.setDataPath(dbPath_);
    s->controller.openDatabase(dbPath_);
    s->controller.setStartingUp(true);
    s->w = std::make_unique<orvaneIntMain>(s->controller, s->platform);

    s->controller.setDefaultSection(qint16(startEntry));
    if (!s->controller.initiateProgram())
        return nullptr;
    if (s->checkedEntries() != QList<int>{startEntry})
        return nullptr;
    if (prepare)
        prepare(*s);

    s->w->show();
    s->w->activateWindow();
    if (!QTest::qWaitForWindowActive(s->w.get()))
        return nullptr;
    // The activation clears startingUp once the query has been applied.
    if (!QTest::qWaitFor([&] { return !s->state.startingUp; }))
        return nullptr;
    return s;
}

void TestCommandLine::appliedAtActivation_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("startEntry");
    QTest::addColumn<int>("presetOption");   // selected before the activation
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("paragraph");
    QTest::addColumn<QString>("keywords");
    QTest::addColumn<int>("option");
    QTest::addColumn<QStringList>("results");

    const QStringList all = allOfSectionIX();
    const QStringList qw406 = {ix(1), ix(2)};
    const QStringList andBoth = {ix(1), ix(4)};
    const QStringList orBoth = {ix(1), ix(2), ix(4)};
    const QStringList phrase = {ix(1)};

    // The worked examples.
    QTest::newRow("SECT PARA") << "SECT INT09 PARA QW-406" << 1 << 0 << "INT09" << "QW-406" << "" << 0 << qw406;
    QTest::newRow("TEXT then COND OR") << "TEXT {minimum preheat} COND OR" << 3 << 0 << "INT09" << ""
                                       << "minimum preheat" << 1 << orBoth;
    QTest::newRow("PARA and TEXT combined") << "PARA QW-406 TEXT {preheat}" << 3 << 0 << "INT09" << "QW-406"
                                            << "preheat" << 0 << phrase;
    QTest::newRow("COND first on the line") << "COND PHRASE TEXT {minimum preheat}" << 3 << 0 << "INT09" << ""
                                            << "minimum preheat" << 2 << phrase;
    QTest::newRow("TEXT{ } trimmed") << "TEXT{ preheat }" << 3 << 0 << "INT09" << "" << "preheat" << 0 << andBoth;
    QTest::newRow("lower case ignored") << "sect INT05 para QW-406 text {preheat} cond or" << 3 << 0 << "INT09"
                                        << "" << "" << 0 << all;
    QTest::newRow("missing brace") << "TEXT {minimum preheat" << 3 << 0 << "INT09" << "" << "" << 0 << all;

    // Keywords found anywhere, first occurrence only.
    QTest::newRow("keyword twice") << "PARA QW-407 TEXT {minimum} PARA QW-406 TEXT {preheat}" << 3 << 0
                                   << "INT09" << "QW-407" << "minimum" << 0 << QStringList();
    QTest::newRow("keyword inside TEXT") << "TEXT {weld PARA QW-406 preheat}" << 3 << 0 << "INT09" << "QW-406"
                                         << "weld PARA QW-406 preheat" << 0 << QStringList();
    QTest::newRow("SECTINT09") << "SECTINT09" << 1 << 0 << "INT09" << "" << "" << 0 << all;
    QTest::newRow("PARA completes") << "SECT INT09 PARA QW-406." << 1 << 0 << "INT09" << "QW-406.1" << "" << 0
                                    << QStringList{ix(4)};
    // Quotes go through the entries' change rule.
    QTest::newRow("TEXT quotes removed") << "TEXT {\"minimum preheat\"} COND PHRASE" << 3 << 0 << "INT09" << ""
                                         << "minimum preheat" << 2 << phrase;
    QTest::newRow("PARA quotes removed") << "PARA \"QW-407\"" << 3 << 0 << "INT09" << "QW-407" << "" << 0
                                         << QStringList{ix(3)};

    // COND: or/and in any case, anything else is Phrase, empty changes nothing.
    QTest::newRow("COND or") << "TEXT {preheat} COND or" << 3 << 2 << "INT09" << "" << "preheat" << 1 << andBoth;
    QTest::newRow("COND Or") << "TEXT {preheat} COND Or" << 3 << 2 << "INT09" << "" << "preheat" << 1 << andBoth;
    QTest::newRow("COND and") << "TEXT {minimum preheat} COND and" << 3 << 2 << "INT09" << ""
                              << "minimum preheat" << 0 << andBoth;
    QTest::newRow("COND other") << "TEXT {minimum preheat} COND xyz" << 3 << 1 << "INT09" << ""
                                << "minimum preheat" << 2 << phrase;
    QTest::newRow("COND empty") << "TEXT {minimum preheat} COND" << 3 << 1 << "INT09" << ""
                                << "minimum preheat" << 1 << orBoth;
}

void TestCommandLine::appliedAtActivation()
{
    QFETCH(QString, line);
    QFETCH(int, startEntry);
    QFETCH(int, presetOption);
    QFETCH(QString, table);
    QFETCH(QString, paragraph);
    QFETCH(QString, keywords);
    QFETCH(int, option);
    QFETCH(QStringList, results);

    auto s = start(line, startEntry, [&](Session& s) {
        controls(*s.w).Option1[std::size_t(presetOption)]->setChecked(true);
    });
    QVERIFY(s);
    QCOMPARE(s->state.currentTable, table);
    QCOMPARE(controls(*s->w).Text1[0]->text(), paragraph);
    QCOMPARE(controls(*s->w).Text1[1]->text(), keywords);
    QCOMPARE(s->checkedOption(), option);
    QCOMPARE(s->results(), results);
}

void TestCommandLine::sectionStoresItsListPosition_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("table");   // in use afterwards
    QTest::addColumn<QString>("caption");
    // Positions in the list, not digits of the table names.
    QTest::newRow("INT02 is second") << "SECT INT02" << 2 << "INT02" << "Orvane-INT   [ ASME Section II-A ]";
    QTest::newRow("INT05 is first") << "PARA X SECT INT05" << 1 << "INT05" << "Orvane-INT   [ ASME Section V ]";
    QTest::newRow("INT09 is third") << "SECT INT09" << 3 << "INT09" << "Orvane-INT   [ ASME Section IX ]";
    // A listed section without a name: stored and checked, but nothing to
    // select, so the section in use stays.
    QTest::newRow("nameless entry") << "SECT INT07" << 4 << "INT02" << "Orvane-INT   [ ASME  ]";
}

void TestCommandLine::sectionStoresItsListPosition()
{
    QFETCH(QString, line);
    QFETCH(int, entry);
    QFETCH(QString, table);
    QFETCH(QString, caption);

    orvane::writeSetting(QStringLiteral("default section"), QStringLiteral("8"));
    auto s = start(line, 2);
    QVERIFY(s);
    QCOMPARE(orvane::readSetting(QStringLiteral("default section"), QStringLiteral("unset")),
             QString::number(entry));
    QCOMPARE(int(s->state.defaultSection), entry);
    QCOMPARE(s->w->windowTitle(), caption);
    QCOMPARE(s->checkedEntries(), QList<int>{entry});
    QCOMPARE(s->state.currentTable, table);
}

void TestCommandLine::linesThatChangeNothing()
{
    orvane::writeSetting(QStringLiteral("default section"), QStringLiteral("1"));
    for (const char* line : {"", "  ", "SECT INT11", "SECT int09", "SECT INT0", "SECT INT09X"}) {
        auto s = start(QString::fromLatin1(line), 1, [](Session& s) {
            controls(*s.w).Option1[2]->setChecked(true);
            controls(*s.w).Text1[1]->setText(QStringLiteral("filler"));
        });
        QVERIFY(s);
        QCOMPARE(s->state.currentTable, QStringLiteral("INT05"));
        QCOMPARE(int(s->state.defaultSection), 1);
        QCOMPARE(orvane::readSetting(QStringLiteral("default section"), QStringLiteral("unset")),
                 QStringLiteral("1"));
        QCOMPARE(s->w->windowTitle(), QStringLiteral("Orvane-INT   [ ASME Section V ]"));
        QCOMPARE(s->checkedEntries(), QList<int>{1});
        QCOMPARE(controls(*s->w).Text1[1]->text(), QStringLiteral("filler"));
        QCOMPARE(s->checkedOption(), 2);
    }
}

void TestCommandLine::reappliedAtEveryActivationByTheProgram()
{
    auto s = start(QStringLiteral("SECT INT09 PARA QW-406 TEXT {minimum preheat} COND OR"), 1);
    QVERIFY(s);
    orvaneIntMain& w = *s->w;
    QCOMPARE(s->state.currentTable, QStringLiteral("INT09"));
    QCOMPARE(s->results(), (QStringList{ix(1), ix(2)}));

    // The user moves on: another section, other entries, another option.
    controls(w).mnuFileOpenSection[1]->trigger();
    controls(w).Text1[0]->setText(QStringLiteral("QW-407"));
    controls(w).Text1[1]->setText(QStringLiteral("filler"));
    controls(w).Option1[2]->setChecked(true);
    orvane::writeSetting(QStringLiteral("default section"), QStringLiteral("1"));

    // Closing the About box gives the main window back: the query applies again.
    QTimer::singleShot(50, this, [] {
        if (auto* about = qobject_cast<orvaneIntAbout*>(QApplication::activeModalWidget()))
            QTest::keyClick(about, Qt::Key_Escape);
    });
    controls(w).mnuHelpAbout->trigger();
    QTRY_COMPARE(controls(w).Text1[1]->text(), QStringLiteral("minimum preheat"));
    QCOMPARE(s->state.currentTable, QStringLiteral("INT09"));
    QCOMPARE(controls(w).Text1[0]->text(), QStringLiteral("QW-406"));
    QCOMPARE(s->checkedOption(), 1);
    QCOMPARE(s->checkedEntries(), QList<int>{3});
    QCOMPARE(orvane::readSetting(QStringLiteral("default section"), QStringLiteral("unset")), QStringLiteral("3"));
    // Paragraph QW-406 combined with either word.
    QCOMPARE(s->results(), (QStringList{ix(1), ix(2)}));

    // Switching to another application and back is no activation by the program.
    controls(w).Text1[1]->setText(QStringLiteral("filler"));
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(controls(w).Text1[1]->text(), QStringLiteral("filler"));
}

void TestCommandLine::injectionAttemptsStayLiterals()
{
    // Read back through the repository: the tables are still whole.
    auto rowsOf = [](Session& s, const QString& table) {
        orvane::library::InterpretationRepository reader;
        reader.open(s.controller.repository().path());
        return int(reader.sectionRows(table).size());
    };

    // The paragraph value ends at the first blank: a lone quote, which the
    // entry drops, so nothing is searched at all.
    {
        auto s = start(QStringLiteral("PARA \" OR 1=1 --"));
        QVERIFY(s);
        QCOMPARE(controls(*s->w).Text1[0]->text(), QString());
        QCOMPARE(s->results(), allOfSectionIX());
        QVERIFY(s->platform.messageBoxes.empty());
    }
    // Without blanks the whole value is one paragraph number that no row has.
    {
        auto s = start(QStringLiteral("PARA QW-406\"OR\"1=1--"));
        QVERIFY(s);
        QCOMPARE(controls(*s->w).Text1[0]->text(), QStringLiteral("QW-406OR1=1--"));
        QCOMPARE(s->results(), QStringList());
        QCOMPARE(controls(*s->w).Label1[6]->text(), QStringLiteral("0"));
        QCOMPARE(rowsOf(*s, QStringLiteral("INX09")), 4);
    }
    // Keywords are LIKE patterns, never statements: the words match as text
    // (rows 02 and 04 say "drop" and "table"), and the table survives.
    const std::pair<const char*, QStringList> modes[] = {
        {"", {}}, {" COND OR", {ix(2), ix(4)}}, {" COND PHRASE", {}}};
    for (const auto& [mode, expected] : modes) {
        auto s = start(QStringLiteral("TEXT {]; DROP TABLE INT09}") + QLatin1String(mode));
        QVERIFY(s);
        QCOMPARE(controls(*s->w).Text1[1]->text(), QStringLiteral("]; DROP TABLE INT09"));
        QCOMPARE(s->results(), expected);
        QCOMPARE(controls(*s->w).Label1[6]->text(), QString::number(expected.size()));
        QCOMPARE(rowsOf(*s, QStringLiteral("INT09")), 4);
    }
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandlinequery.moc"
