// Program initiation over the listed sections, choosing a section, and
// pointing the program at another database file, on databases written by
// our own writer.

#include "core/Settings.h"
#include "support/InterpretationDb.h"
#include "ui/MainWindow.h"
#include "app/Controller.h"
#include "app/ProgramState.h"
#include "ui/QtPlatform.h"
#include "support/ScriptedPlatform.h"
#include "support/WindowControls.h"

#include <QFileDialog>
#include <QListView>
#include <QtTest>

using namespace orvane::ui;
using namespace orvane::app;
using orvane::testing::controls;
using namespace orvane::testing;

namespace {

const QString kStartCaption = QStringLiteral("Orvane INT");
const QString kFilter = QStringLiteral("OrvaneINT DB (intasme.mdb)|intasme.mdb");

QString setting(const QString& key)
{
    return orvane::readSetting(key, QStringLiteral("<missing>"));
}

void setModified(const QString& path, const QDateTime& when)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

// Sections named "Section 1".."Section n" on tables INT01..; only those in
// `withTables` get a table with one interpretation each.
DbPlan numberedSections(int n, int withTables = 0)
{
    DbPlan plan;
    for (int i = 1; i <= n; ++i) {
        const QString suffix = QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        if (i <= withTables) {
            Section s;
            s.userName = QStringLiteral("Section %1").arg(i);
            s.table = QStringLiteral("INT") + suffix;
            const QString id = QStringLiteral("S%1-01").arg(i);
            s.rows = {{id, interpretationText(id, QStringLiteral("Subject"), QStringLiteral("Body"))}};
            s.index = {{QStringLiteral("P-%1").arg(i), id, suffix}};
            plan.sections.push_back(s);
        } else {
            plan.extraAuthorizedRows.push_back({QStringLiteral("Section %1").arg(i), QStringLiteral("INT") + suffix});
        }
    }
    return plan;
}

QStringList texts(const ListView* list)
{
    QStringList out;
    for (int i = 0; i < list->rowCount(); ++i)
        out << list->rowText(i);
    return out;
}

QList<int> icons(const ListView* list)
{
    QList<int> out;
    for (int i = 0; i < list->rowCount(); ++i) {
        const QModelIndex item = list->rowIndex(i);
        out << item.data(orvane::app::SmallIconRole).toInt();
        // The number and the picture go together.
        if (out.back() == 0 && !qvariant_cast<QIcon>(item.data(Qt::DecorationRole)).isNull())
            out.back() = -1;
        if (out.back() > 0 && qvariant_cast<QIcon>(item.data(Qt::DecorationRole)).isNull())
            out.back() = -1;
    }
    return out;
}

QList<int> checkedEntries(const orvaneIntMain& w)
{
    QList<int> out;
    for (std::size_t i = 0; i < controls(w).mnuFileOpenSection.size(); ++i)
        if (controls(w).mnuFileOpenSection[i]->isChecked())
            out << int(i);
    return out;
}

// A window over a database file written for the test.
struct Session {
    ScriptedPlatform platform;
    Controller controller{platform};
    const ProgramState& state = controller.state();
    std::unique_ptr<orvaneIntMain> w;

    explicit Session(const QString& path, qint16 defaultSection = 1)
    {
        controller.setDataPath(path);
        controller.setDefaultSection(defaultSection);
        try {
            controller.openDatabase(path);
        } catch (const std::exception&) {
        }
        w = std::make_unique<orvaneIntMain>(controller, platform);
    }
};

} // namespace

class TestSections : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void dataAgeWarning_data();
    void dataAgeWarning();
    void emptySectionList();
    void twentySectionsButNotTwentyOne();
    void allSectionsFromTheMenu();
    void rememberedSection_data();
    void rememberedSection();
    void unusableDatabases();

    void sectionWithNotice();
    void sectionsWithoutNoticeEmptyOrIncomplete();
    void unknownNameRelistsTheSectionInUse();
    void choosingFromTheMenu();

    void importAtStart();
    void importCancelledAtStartEndsTheProgram();
    void importFromTheMenu();
    void importedFileThatFailsIsStillRemembered();
    void importFilterListsOnlyTheDatabaseName();

    void largeSectionIsListedWhole();

private:
    QString write(const QString& name, const DbPlan& plan)
    {
        return writeInterpretationDb(dir_->filePath(name), plan);
    }
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestSections::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    orvane::setSettingsFile(dir_->filePath(QStringLiteral("settings.ini")));
}

void TestSections::cleanup()
{
    orvane::setSettingsFile(QString());
    dir_.reset();
}

// --- initiation -----------------------------------------------------------------

void TestSections::dataAgeWarning_data()
{
    QTest::addColumn<QDateTime>("modified");
    QTest::addColumn<QDateTime>("today");
    QTest::addColumn<bool>("warned");
    auto at = [](int y, int m, int d) { return QDateTime(QDate(y, m, d), QTime(12, 0)); };
    QTest::newRow("11 boundaries") << at(2013, 7, 31) << at(2014, 6, 1) << false;
    QTest::newRow("12 boundaries, same day") << at(2013, 6, 2) << at(2014, 6, 2) << true;
    QTest::newRow("12 boundaries, under a year") << at(2013, 6, 30) << at(2014, 6, 1) << true;
    QTest::newRow("31 January to 1 January") << at(2013, 1, 31) << at(2014, 1, 1) << true;
    QTest::newRow("11 boundaries across a year") << at(2013, 2, 1) << at(2014, 1, 31) << false;
    QTest::newRow("future") << at(2016, 1, 1) << at(2014, 6, 2) << false;
}

void TestSections::dataAgeWarning()
{
    QFETCH(QDateTime, modified);
    QFETCH(QDateTime, today);
    QFETCH(bool, warned);
    const QString path = write(QStringLiteral("intasme.mdb"), standardPlan());
    setModified(path, modified);
    Session s(path);
    s.platform.clock = today;

    QVERIFY(s.w->controller().initiateProgram());
    QCOMPARE(s.platform.messageBoxes.size(), std::size_t(warned ? 1 : 0));
    if (warned) {
        const auto& box = s.platform.messageBoxes[0];
        QCOMPARE(box.title, QStringLiteral("Data out of date"));
        QCOMPARE(box.text, QStringLiteral("This database was last published over a year ago. Please contact "
                                          "the vendor for the latest database update information."));
        QCOMPARE(box.icon, MessageIcon::Warning);
    }
    // The warning does not stop initiation.
    QCOMPARE(s.state.sectionCount, 2);
    QCOMPARE(s.state.currentTable, QStringLiteral("INT08"));
}

void TestSections::emptySectionList()
{
    Session s(write(QStringLiteral("intasme.mdb"), DbPlan{}));
    s.controller.setCurrentTable(QString());
    QVERIFY(s.w->controller().initiateProgram());
    QCOMPARE(s.state.sectionCount, 0);
    QCOMPARE(controls(*s.w).mnuFileOpenSection.size(), std::size_t(1));
    QVERIFY(controls(*s.w).mnuFileOpenSection[0]->isVisible());
    QCOMPARE(s.w->windowTitle(), kStartCaption);
    QVERIFY(s.state.currentTable.isEmpty());
    QCOMPARE(controls(*s.w).ListView1[2]->rowCount(), 0);
    QCOMPARE(setting(QStringLiteral("default section")), QStringLiteral("<missing>"));
}

void TestSections::twentySectionsButNotTwentyOne()
{
    {
        Session s(write(QStringLiteral("twenty.mdb"), numberedSections(20, 1)), 20);
        QVERIFY(s.w->controller().initiateProgram());
        QCOMPARE(s.state.sectionCount, 20);
        QCOMPARE(controls(*s.w).mnuFileOpenSection.size(), std::size_t(21));
        for (int i = 1; i <= 20; ++i) {
            QAction* a = controls(*s.w).mnuFileOpenSection[std::size_t(i)];
            QCOMPARE(a->text(), QStringLiteral("Section %1").arg(i));
            QCOMPARE(a->data().toString(), QStringLiteral("INT%1").arg(i, 2, 10, QLatin1Char('0')));
            QVERIFY(a->isVisible());
            QVERIFY(a->isEnabled());
            QCOMPARE(s.state.sectionList[std::size_t(i)].UserTableName, a->text());
            QCOMPARE(s.state.sectionList[std::size_t(i)].dbTableName, a->data().toString());
        }
        // Entries follow the menu in row order, after the placeholder and
        // before the separator and "All sections".
        const QList<QAction*> entries = controls(*s.w).mnuFileOpenMenu->actions();
        QCOMPARE(entries.size(), 23);
        QCOMPARE(entries.at(20), controls(*s.w).mnuFileOpenSection[20]);
        QVERIFY(entries.at(21)->isSeparator() && entries.at(21)->isVisible());
        QCOMPARE(entries.at(22)->text(), QStringLiteral("All sections"));
        QVERIFY(entries.at(22)->isVisible() && !entries.at(22)->isChecked());
        QCOMPARE(checkedEntries(*s.w), QList<int>{20});
        QCOMPARE(s.w->windowTitle(), QStringLiteral("Orvane-INT   [ ASME Section 20 ]"));
        QVERIFY(!controls(*s.w).mnuFileOpenSection[0]->isVisible());
    }
    {
        Session s(write(QStringLiteral("twentyone.mdb"), numberedSections(21, 1)));
        QVERIFY(!s.w->controller().initiateProgram());
        // What was listed stays listed; the count never passes the list's size.
        QCOMPARE(s.state.sectionCount, 20);
        QCOMPARE(controls(*s.w).mnuFileOpenSection.size(), std::size_t(21));
        QCOMPARE(s.w->windowTitle(), kStartCaption);
    }
}

void TestSections::allSectionsFromTheMenu()
{
    Session s(write(QStringLiteral("intasme.mdb"), standardPlan()), 2);
    QVERIFY(s.w->controller().initiateProgram());
    orvaneIntMain& w = *s.w;
    QAction* all = w.findChild<QAction*>(QStringLiteral("mnuFileOpenAll"));
    QVERIFY(all && all->isVisible());
    all->trigger();
    QCOMPARE(w.windowTitle(), QStringLiteral("Orvane-INT   [ ASME All sections ]"));
    QVERIFY(all->isChecked());
    QCOMPARE(checkedEntries(w), QList<int>{});
    // Section VIII-1's notice and rows, then Section IX's; each row names its section.
    ListView* results = controls(w).ListView1[2];
    QCOMPARE(results->rowCount(), 2 + 3 + 5);
    QCOMPARE(results->rowIndex(2).data(Qt::ToolTipRole).toString(), QStringLiteral("Section VIII-1"));
    QCOMPARE(results->rowIndex(9).data(Qt::ToolTipRole).toString(), QStringLiteral("Section IX"));
    QCOMPARE(controls(w).Label1[6]->text(), QStringLiteral("8"));
    results->setCurrentRow(9);
    QCOMPARE(controls(w).Label1[0]->text(), QStringLiteral("IX-89-05"));
    QCOMPARE(controls(w).Label1[0]->toolTip(), QStringLiteral("Section IX"));
    // The status line, laid out again, keeps it.
    QWidget* frame = controls(w).Frame1[4];
    frame->resize(frame->width() + 40, frame->height());
    QCoreApplication::processEvents();
    QCOMPARE(controls(w).Label1[0]->toolTip(), QStringLiteral("Section IX"));
    // A single section again: its own entry checked, "All sections" not.
    controls(w).mnuFileOpenSection[1]->trigger();
    QVERIFY(!all->isChecked());
    QCOMPARE(checkedEntries(w), QList<int>{1});
    QCOMPARE(results->rowIndex(2).data(Qt::ToolTipRole).toString(), QString());
}

void TestSections::rememberedSection_data()
{
    QTest::addColumn<int>("remembered");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("stored");   // "default section" afterwards; empty: not written
    QTest::newRow("third of five") << 3 << 3 << QString();
    QTest::newRow("last of five") << 5 << 5 << QString();
    QTest::newRow("zero") << 0 << 1 << QStringLiteral("1");
    QTest::newRow("eight of five") << 8 << 1 << QStringLiteral("1");
    QTest::newRow("negative") << -2 << 1 << QStringLiteral("1");
}

void TestSections::rememberedSection()
{
    QFETCH(int, remembered);
    QFETCH(int, selected);
    QFETCH(QString, stored);
    Session s(write(QStringLiteral("intasme.mdb"), numberedSections(5, 5)), qint16(remembered));

    QVERIFY(s.w->controller().initiateProgram());
    QCOMPARE(checkedEntries(*s.w), QList<int>{selected});
    QCOMPARE(s.w->windowTitle(), QStringLiteral("Orvane-INT   [ ASME Section %1 ]").arg(selected));
    QCOMPARE(s.state.currentTable, QStringLiteral("INT0%1").arg(selected));
    QCOMPARE(texts(controls(*s.w).ListView1[2]), QStringList{QStringLiteral("S%1-01").arg(selected)});
    QCOMPARE(texts(controls(*s.w).ListView1[0]), QStringList{QStringLiteral("P-%1").arg(selected)});
    QCOMPARE(int(s.state.defaultSection), stored.isEmpty() ? remembered : 1);
    QCOMPARE(setting(QStringLiteral("default section")), stored.isEmpty() ? QStringLiteral("<missing>") : stored);
    QVERIFY(!controls(*s.w).mnuFileOpenSection[0]->isVisible());
}

void TestSections::unusableDatabases()
{
    DbPlan noList = standardPlan();
    noList.withAuthorizedTables = false;
    Session s(write(QStringLiteral("nolist.mdb"), noList));
    QVERIFY(s.controller.repository().isOpen());
    QVERIFY(!s.w->controller().initiateProgram());
    QCOMPARE(controls(*s.w).mnuFileOpenSection.size(), std::size_t(1));
    QVERIFY(controls(*s.w).mnuFileOpenSection[0]->isVisible());
    QVERIFY(s.platform.messageBoxes.empty());

    // No database at all, and a closed one.
    s.controller.closeDatabase();
    QVERIFY(!s.w->controller().initiateProgram());
    Session closed(write(QStringLiteral("closed.mdb"), standardPlan()));
    closed.controller.closeDatabase();
    QVERIFY(!closed.w->controller().initiateProgram());
    QCOMPARE(controls(*closed.w).mnuFileOpenSection.size(), std::size_t(1));
}

// --- section selection --------------------------------------------------------

void TestSections::sectionWithNotice()
{
    Session s(write(QStringLiteral("intasme.mdb"), standardPlan()));
    QVERIFY(s.w->controller().initiateProgram());
    orvaneIntMain& w = *s.w;
    QCOMPARE(texts(controls(w).ListView1[2]), (QStringList{kNoticeId, QStringLiteral("    ******************"),
                                                 QStringLiteral("VIII-1-89-01"), QStringLiteral("VIII-1-89-02"),
                                                 QStringLiteral("VIII-1-89-03")}));
    QCOMPARE(icons(controls(w).ListView1[2]), (QList<int>{2, 0, 1, 1, 1}));
    QCOMPARE(controls(w).Label1[6]->text(), QStringLiteral("3"));
    QVERIFY(w.controller().noticeShown());
    QCOMPARE(controls(w).ListView1[2]->currentRow(), 0);
    QCOMPARE(controls(w).ListView1[2]->selectionModel()->selectedRows(), QModelIndexList{controls(w).ListView1[2]->rowIndex(0)});
    QCOMPARE(texts(controls(w).ListView1[0]), (QStringList{QStringLiteral("QW-406"), QStringLiteral("QW-406.1"),
                                                 QStringLiteral("UG-20"), QStringLiteral("UG-99")}));
    QCOMPARE(icons(controls(w).ListView1[0]), (QList<int>{1, 1, 1, 1}));
}

void TestSections::sectionsWithoutNoticeEmptyOrIncomplete()
{
    DbPlan plan = standardPlan();
    Section empty;
    empty.userName = QStringLiteral("Empty");
    empty.table = QStringLiteral("INT10");
    empty.index = {{QStringLiteral("A-1"), QStringLiteral("X"), QStringLiteral("10")}};
    Section noIndex = plan.sections[1];
    noIndex.userName = QStringLiteral("No index");
    noIndex.table = QStringLiteral("INT11");
    noIndex.withIndex = false;
    Section noTable = plan.sections[1];
    noTable.userName = QStringLiteral("No table");
    noTable.table = QStringLiteral("INT12");
    noTable.withTable = false;
    plan.sections.push_back(empty);
    plan.sections.push_back(noIndex);
    plan.sections.push_back(noTable);
    Session s(write(QStringLiteral("intasme.mdb"), plan));
    QVERIFY(s.w->controller().initiateProgram());
    orvaneIntMain& w = *s.w;

    // Without a notice: the lowest identifier first, every row counted, and
    // each paragraph once in text order although several rows cite it.
    w.controller().selectSection(QStringLiteral("Section IX"));
    QCOMPARE(s.state.currentTable, QStringLiteral("INT09"));
    QCOMPARE(controls(w).ListView1[2]->rowCount(), 5);
    QCOMPARE(controls(w).ListView1[2]->rowText(0), QStringLiteral("IX-89-01"));
    QCOMPARE(icons(controls(w).ListView1[2]), (QList<int>{1, 1, 1, 1, 1}));
    QCOMPARE(controls(w).Label1[6]->text(), QStringLiteral("5"));
    QVERIFY(!w.controller().noticeShown());
    QCOMPARE(controls(w).ListView1[2]->currentRow(), 0);
    QCOMPARE(texts(controls(w).ListView1[0]), (QStringList{QStringLiteral("QW-322"), QStringLiteral("QW-406"),
                                                 QStringLiteral("QW-406.1"), QStringLiteral("QW-407")}));

    // Empty table: nothing listed, nothing selected, the count at 0.
    w.controller().selectSection(QStringLiteral("Empty"));
    QCOMPARE(controls(w).ListView1[2]->rowCount(), 0);
    QCOMPARE(controls(w).Label1[6]->text(), QStringLiteral("0"));
    QCOMPARE(texts(controls(w).ListView1[0]), QStringList{QStringLiteral("A-1")});

    // A missing paragraph index leaves only the paragraph list empty.
    w.controller().selectSection(QStringLiteral("No index"));
    QCOMPARE(controls(w).ListView1[2]->rowCount(), 5);
    QCOMPARE(controls(w).Label1[6]->text(), QStringLiteral("5"));
    QCOMPARE(controls(w).ListView1[0]->rowCount(), 0);

    // A missing table: the results list empties, the later steps still run.
    controls(w).Text1[1]->setText(QStringLiteral("preheat"));
    w.controller().selectSection(QStringLiteral("No table"));
    QCOMPARE(controls(w).ListView1[2]->rowCount(), 0);
    QCOMPARE(controls(w).Label1[6]->text(), QStringLiteral("0"));
    QCOMPARE(controls(w).ListView1[0]->rowCount(), 4);
    QVERIFY(controls(w).Text1[1]->text().isEmpty());
}

void TestSections::unknownNameRelistsTheSectionInUse()
{
    Session s(write(QStringLiteral("intasme.mdb"), standardPlan()));
    QVERIFY(s.w->controller().initiateProgram());
    orvaneIntMain& w = *s.w;
    qobject_cast<ResultsModel*>(controls(w).ListView1[2]->model())->setRows({});
    controls(w).Text1[0]->setText(QStringLiteral("QW-406"));
    controls(w).Text1[1]->setText(QStringLiteral("preheat minimum"));
    controls(w).Option1[2]->click();

    // Names compare exactly.
    w.controller().selectSection(QStringLiteral("section ix"));
    QCOMPARE(s.state.currentTable, QStringLiteral("INT08"));
    QCOMPARE(controls(w).ListView1[2]->rowCount(), 5);
    QVERIFY(controls(w).Text1[0]->text().isEmpty());
    QVERIFY(controls(w).Text1[1]->text().isEmpty());
    QVERIFY(controls(w).Option1[0]->isChecked());

    // Before any section is in use an unknown name only clears the entries.
    ScriptedPlatform platform;
    Controller controller{platform};
    const ProgramState& fresh = controller.state();
    orvaneIntMain other(controller, platform);
    controls(other).Text1[1]->setText(QStringLiteral("x"));
    controller.selectSection(QStringLiteral("Section IX"));
    QVERIFY(fresh.currentTable.isEmpty());
    QCOMPARE(controls(other).Label1[6]->text(), QStringLiteral("12345"));
    QVERIFY(controls(other).Text1[1]->text().isEmpty());
}

void TestSections::choosingFromTheMenu()
{
    Session s(write(QStringLiteral("intasme.mdb"), standardPlan()));
    QVERIFY(s.w->controller().initiateProgram());
    orvaneIntMain& w = *s.w;

    // The setting must be written before the lists fill: a start after
    // anything going wrong below still opens the chosen section.
    QStringList settingWhenFilled;
    connect(controls(w).ListView1[2]->model(), &QAbstractItemModel::modelReset, this,
            [&] { settingWhenFilled << setting(QStringLiteral("default section")); });

    controls(w).ListView1[0]->show();
    controls(w).ListView1[1]->show();
    controls(w).Option1[1]->click();
    controls(w).mnuFileOpenSection[2]->trigger();

    QCOMPARE(settingWhenFilled, QStringList{QStringLiteral("2")});
    QCOMPARE(s.state.defaultSection, qint16(2));
    QCOMPARE(checkedEntries(w), QList<int>{2});
    QCOMPARE(w.windowTitle(), QStringLiteral("Orvane-INT   [ ASME Section IX ]"));
    QCOMPARE(s.state.currentTable, QStringLiteral("INT09"));
    QCOMPARE(controls(w).ListView1[2]->rowCount(), 5);
    QCOMPARE(controls(w).ListView1[0]->rowCount(), 4);
    QVERIFY(controls(w).ListView1[0]->isHidden());
    QVERIFY(controls(w).ListView1[1]->isHidden());
    QVERIFY(controls(w).Option1[0]->isChecked());

    // Choosing the same section again keeps one tick.
    controls(w).mnuFileOpenSection[2]->trigger();
    QCOMPARE(checkedEntries(w), QList<int>{2});

    // The next start opens the remembered section.
    Session next(s.state.dataPath, orvane::readSetting(QStringLiteral("default section"), QString()).toShort());
    QVERIFY(next.w->controller().initiateProgram());
    QCOMPARE(next.state.currentTable, QStringLiteral("INT09"));

    // Opening the File menu or its sub-menu hides a drop-down list.
    for (QMenu* menu : {controls(w).mnuFile, controls(w).mnuFileOpenMenu}) {
        controls(w).ListView1[0]->show();
        controls(w).ListView1[1]->show();
        emit menu->aboutToShow();
        QVERIFY(controls(w).ListView1[0]->isHidden());
        QVERIFY(controls(w).ListView1[1]->isHidden());
    }
}

// --- import -----------------------------------------------------------------------

void TestSections::importAtStart()
{
    const QString good = write(QStringLiteral("intasme.mdb"), standardPlan());
    ScriptedPlatform platform;
    Controller controller{platform};
    const ProgramState& state = controller.state();
    controller.setStartingUp(true);
    controller.setDefaultSection(8);   // the first start's default, more than this database has
    controller.setDataPath(dir_->filePath(QStringLiteral("missing/intasme.mdb")));
    try {
        controller.openDatabase(state.dataPath);
    } catch (const std::exception&) {
    }
    QVERIFY(!controller.repository().isOpen());
    platform.fileAnswers = {good};

    orvaneIntMain w(controller, platform);
    w.loadAndShow();

    QCOMPARE(platform.fileDialogs.size(), std::size_t(1));
    QCOMPARE(platform.fileDialogs[0].filter, kFilter);
    QVERIFY(!platform.ended);
    QVERIFY(platform.messageBoxes.empty());
    QVERIFY(w.isVisible());
    QVERIFY(controller.repository().isOpen());
    QCOMPARE(state.dataPath, good);
    QCOMPARE(setting(QStringLiteral("data path")), good);
    QCOMPARE(state.sectionCount, 2);
    QCOMPARE(checkedEntries(w), QList<int>{1});
    QCOMPARE(setting(QStringLiteral("default section")), QStringLiteral("1"));
    QCOMPARE(controls(w).ListView1[2]->rowCount(), 5);
}

void TestSections::importCancelledAtStartEndsTheProgram()
{
    const QString missing = dir_->filePath(QStringLiteral("intasme.mdb"));
    orvane::writeSetting(QStringLiteral("data path"), missing);
    ScriptedPlatform platform;
    Controller controller{platform};
    controller.setStartingUp(true);
    controller.setDataPath(missing);

    orvaneIntMain w(controller, platform);
    w.loadAndShow();

    QVERIFY(platform.ended);
    QCOMPARE(platform.fileDialogs.size(), std::size_t(1));
    QCOMPARE(platform.messageBoxes.size(), std::size_t(1));
    QCOMPARE(platform.messageBoxes[0].title, QStringLiteral("No database"));
    QCOMPARE(platform.messageBoxes[0].text, QStringLiteral("No valid Orvane-INT database present."));
    QCOMPARE(platform.messageBoxes[0].icon, MessageIcon::Critical);
    // Nothing after the message: no window, nothing remembered.
    QVERIFY(!w.isVisible());
    QCOMPARE(platform.calls.last(), QStringLiteral("endProgram"));
    QCOMPARE(setting(QStringLiteral("data path")), missing);
    QVERIFY(controls(w).mnuFileOpenSection[0]->isVisible());
}

void TestSections::importFromTheMenu()
{
    const QString first = write(QStringLiteral("intasme.mdb"), standardPlan());
    QDir(dir_->path()).mkpath(QStringLiteral("locked"));
    QDir(dir_->path()).mkpath(QStringLiteral("update"));
    DbPlan wrongPassword = standardPlan();
    wrongPassword.password = QStringLiteral("letmein");
    const QString locked = write(QStringLiteral("locked/intasme.mdb"), wrongPassword);
    const QString update = write(QStringLiteral("update/intasme.mdb"), numberedSections(3, 3));

    Session s(first, 2);
    QVERIFY(s.w->controller().initiateProgram());
    orvaneIntMain& w = *s.w;

    // Cancelled: only the drop-down lists go.
    controls(w).ListView1[0]->show();
    controls(w).mnuFileImport->trigger();
    QCOMPARE(s.platform.fileDialogs.size(), std::size_t(1));
    QVERIFY(controls(w).ListView1[0]->isHidden());
    QCOMPARE(s.state.dataPath, first);
    QVERIFY(s.controller.repository().isOpen());
    QCOMPARE(controls(w).mnuFileOpenSection.size(), std::size_t(3));
    QCOMPARE(checkedEntries(w), QList<int>{2});
    QCOMPARE(controls(w).ListView1[2]->rowCount(), 5);
    QVERIFY(!controls(w).mnuFileOpenSection[0]->isVisible());
    QVERIFY(!s.platform.ended);

    // A wrong password: the dialog comes back without a word; the next file
    // replaces the database and its sections.
    s.platform.fileAnswers = {locked, update};
    w.controller().importDatabase();
    QCOMPARE(s.platform.fileDialogs.size(), std::size_t(3));
    QVERIFY(s.platform.messageBoxes.empty());
    QCOMPARE(s.state.dataPath, update);
    QCOMPARE(setting(QStringLiteral("data path")), update);
    QCOMPARE(s.controller.repository().path(), update);
    QCOMPARE(controls(w).mnuFileOpenSection.size(), std::size_t(4));
    QCOMPARE(controls(w).mnuFileOpenMenu->actions().size(), 6);
    for (int i = 1; i <= 3; ++i)
        QCOMPARE(controls(w).mnuFileOpenSection[std::size_t(i)]->text(), QStringLiteral("Section %1").arg(i));
    QCOMPARE(checkedEntries(w), QList<int>{2});
    QCOMPARE(texts(controls(w).ListView1[2]), QStringList{QStringLiteral("S2-01")});
    QVERIFY(!controls(w).mnuFileOpenSection[0]->isVisible());
}

void TestSections::importedFileThatFailsIsStillRemembered()
{
    const QString first = write(QStringLiteral("intasme.mdb"), standardPlan());
    QDir(dir_->path()).mkpath(QStringLiteral("bad"));
    const QString bad = dir_->filePath(QStringLiteral("bad/intasme.mdb"));
    {
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    Session s(first);
    QVERIFY(s.w->controller().initiateProgram());
    orvaneIntMain& w = *s.w;

    s.platform.fileAnswers = {bad};   // then cancelled
    w.controller().importDatabase();
    QCOMPARE(s.platform.fileDialogs.size(), std::size_t(2));
    QVERIFY(s.platform.messageBoxes.empty());
    QVERIFY(!s.platform.ended);
    QCOMPARE(s.state.dataPath, bad);
    QCOMPARE(setting(QStringLiteral("data path")), bad);
    QVERIFY(!s.controller.repository().isOpen());
    // No sections any more, but the lists keep the last section's rows.
    QCOMPARE(controls(w).mnuFileOpenSection.size(), std::size_t(1));
    QVERIFY(controls(w).mnuFileOpenSection[0]->isVisible());
    QCOMPARE(controls(w).ListView1[2]->rowCount(), 5);

    // Exiting now has nothing to close and must not fail.
    w.controller().shutdown();
}

void TestSections::importFilterListsOnlyTheDatabaseName()
{
    const QString qtFilter = QtPlatform::toQtFilter(kFilter);
    QCOMPARE(qtFilter, QStringLiteral("OrvaneINT DB (intasme.mdb)"));

    // What Qt's own dialog makes of it: only the file of that exact name.
    for (const char* name : {"intasme.mdb", "other.mdb", "intasme.mdb.bak", "xintasme.mdb"}) {
        QFile f(dir_->filePath(QLatin1String(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QFileDialog dialog(nullptr, QStringLiteral("Open"), dir_->path(), qtFilter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    QVERIFY(view);
    auto listed = [&] {
        QStringList names;
        const QModelIndex root = view->rootIndex();
        for (int r = 0; r < view->model()->rowCount(root); ++r)
            names << view->model()->index(r, 0, root).data().toString();
        return names;
    };
    QTRY_COMPARE(listed(), QStringList{QStringLiteral("intasme.mdb")});
}

// --- a large section ------------------------------------------------------------------------

void TestSections::largeSectionIsListedWhole()
{
    DbPlan plan;
    Section big;
    big.userName = QStringLiteral("Section VIII-1");
    big.table = QStringLiteral("INT08");
    big.rows.push_back({kNoticeId, QStringLiteral("Notice\r\n")});
    const QString body = QStringLiteral("Is the minimum preheat temperature required for the weld? ").repeated(12);
    for (int i = 0; i < 2500; ++i) {
        const QString id = QStringLiteral("VIII-1-%1-%2").arg(80 + i / 100).arg(i % 100, 2, 10, QLatin1Char('0'));
        big.rows.push_back({id, interpretationText(id, QStringLiteral("UG-20, Design"), body)});
        big.index.push_back({QStringLiteral("UG-%1").arg(i % 300), id, QStringLiteral("08")});
    }
    plan.sections = {big};
    Session s(write(QStringLiteral("intasme.mdb"), plan));
    QVERIFY(s.w->controller().initiateProgram());
    QCOMPARE(controls(*s.w).Label1[6]->text(), QStringLiteral("2500"));

    // Listed again on a window that is on screen and repaints (how fast is a
    // row of the window benchmark).
    s.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
    s.w->controller().selectSection(QStringLiteral("Section VIII-1"));
    controls(*s.w).ListView1[2]->repaint();
    QCOMPARE(controls(*s.w).ListView1[2]->rowCount(), 2502);
    QCOMPARE(controls(*s.w).ListView1[0]->rowCount(), 300);
}

QTEST_MAIN(TestSections)
#include "tst_sections.moc"
