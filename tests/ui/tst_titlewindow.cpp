// Start-up through the title window: settings, the three-second title, the
// wrong-password ending and the hand-over to the main window.

#include "core/ProductInfo.h"
#include "core/Settings.h"
#include "db/JetError.h"
#include "db/jet/JetWriter.h"
#include "ui/MainWindow.h"
#include "app/Controller.h"
#include "app/ProgramState.h"
#include "support/ScriptedPlatform.h"
#include "app/StartupSettings.h"
#include "support/InterpretationDb.h"
#include "ui/TitleWindow.h"

#include <QLabel>
#include <QtTest>

using namespace orvane::ui;
using namespace orvane::app;

using orvane::db::JetError;

class TestTitleWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void leadingNumber_data();
    void leadingNumber();
    void firstStartWritesTheSettings();
    void laterStartsKeepStoredValues();
    void design();
    void titleStaysThreeSeconds_data();
    void titleStaysThreeSeconds();
    void wrongPasswordEndsWithoutMainWindow();
    void otherOpenFailuresAreSilent();
    void handsOverToTheMainWindow();
    void realDatabaseFiles();

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestTitleWindow::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    orvane::setSettingsFile(dir_->filePath(QStringLiteral("settings.ini")));
}

void TestTitleWindow::cleanup()
{
    orvane::setSettingsFile(QString());
    dir_.reset();
}

void TestTitleWindow::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "8" << 8;
    QTest::newRow("leading blanks") << "   12" << 12;
    QTest::newRow("leading tab") << "\t3" << 3;
    QTest::newRow("trailing junk") << "7 sections" << 7;
    QTest::newRow("not a number") << "eight" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("blank") << "  " << 0;
    QTest::newRow("half down to even") << "2.5" << 2;
    QTest::newRow("half up to even") << "3.5" << 4;
    QTest::newRow("negative half") << "-2.5" << -2;
    QTest::newRow("above half") << "2.51" << 3;
    QTest::newRow("leading point") << ".5" << 0;
    QTest::newRow("point then junk") << "1.5x" << 2;
    QTest::newRow("sign") << "+5" << 5;
    QTest::newRow("sign alone") << "+" << 0;
    QTest::newRow("exponent") << "1e1" << 10;
    QTest::newRow("bare exponent letter") << "8e" << 8;
    QTest::newRow("too large") << "99999" << 32767;
    QTest::newRow("too small") << "-99999" << -32768;
    QTest::newRow("inner blank ends it") << "1 2" << 1;
}

void TestTitleWindow::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(int(orvane::app::leadingNumber(text)), value);
}

void TestTitleWindow::firstStartWritesTheSettings()
{
    ScriptedPlatform platform;
    Controller controller{platform};
    const ProgramState& state = controller.state();
    platform.folder = QStringLiteral("/opt/orvane");
    orvaneIntTitle title(controller, platform);

    // Read back with a sentinel default: a stored value wins over it.
    const QString none = QStringLiteral("<missing>");
    QCOMPARE(orvane::readSetting(QStringLiteral("program path"), none), QStringLiteral("/opt/orvane"));
#ifdef Q_OS_WIN
    QCOMPARE(orvane::readSetting(QStringLiteral("data path"), none), QStringLiteral("/opt/orvane\\intasme.mdb"));
#else
    QCOMPARE(orvane::readSetting(QStringLiteral("data path"), none), QStringLiteral("/opt/orvane/intasme.mdb"));
#endif
    QCOMPARE(orvane::readSetting(QStringLiteral("default section"), none), QStringLiteral("8"));
    QCOMPARE(state.dataPath, orvane::readSetting(QStringLiteral("data path"), none));
    QCOMPARE(state.defaultSection, qint16(8));
    QVERIFY(state.startingUp);
    // Nothing else happened yet: no pointer, no database.
    QVERIFY(platform.calls.isEmpty());
    QVERIFY(!controller.repository().isOpen());
}

void TestTitleWindow::laterStartsKeepStoredValues()
{
    orvane::writeSetting(QStringLiteral("program path"), QStringLiteral("/old/place"));
    orvane::writeSetting(QStringLiteral("data path"), QStringLiteral("/data/elsewhere.mdb"));
    orvane::writeSetting(QStringLiteral("default section"), QStringLiteral(" 12.5 "));
    ScriptedPlatform platform;
    Controller controller{platform};
    const ProgramState& state = controller.state();
    platform.folder = QStringLiteral("/");
    orvaneIntTitle title(controller, platform);
    // "program path" is rewritten at every start.
    QCOMPARE(orvane::readSetting(QStringLiteral("program path"), QString()), QStringLiteral("/"));
    QCOMPARE(state.dataPath, QStringLiteral("/data/elsewhere.mdb"));
    QCOMPARE(state.defaultSection, qint16(12));
    // A root folder gives two separators in a row.
    QCOMPARE(defaultDataPath(QStringLiteral("/")), QStringLiteral("//intasme.mdb"));
}

void TestTitleWindow::design()
{
    ScriptedPlatform platform;
    Controller controller{platform};
    platform.screen = QSize(1024, 768);
    orvaneIntTitle title(controller, platform);
    QCOMPARE(title.palette().color(QPalette::Window), QColor(0, 0, 128));
    QCOMPARE(title.size(), QSize(469, 376));
    QCOMPARE(title.Label1[0]->text(), QStringLiteral("Orvane - INT"));
    QCOMPARE(title.Label1[1]->text(), QStringLiteral("ASME B&PV Code Interpretations"));
    QCOMPARE(title.Label1[2]->text(), QStringLiteral("(c) Copyright Notice"));
    QCOMPARE(title.Label1[3], nullptr);
    QCOMPARE(title.Label1[4]->text(), QStringLiteral("TM"));
    QCOMPARE(title.Label1[0]->pos(), QPoint(216, 78));
    QCOMPARE(title.Label1[2]->pos(), QPoint(4, 276));
    QCOMPARE(title.Label1[4]->pos(), QPoint(412, 76));
    QCOMPARE(title.Label1[0]->font().pointSizeF(), 27.75);
    QVERIFY(title.Label1[0]->font().bold());
    QCOMPARE(title.Label1[2]->font().pointSizeF(), 6.75);
    for (int i : {0, 1, 2, 4})
        QCOMPARE(title.Label1[std::size_t(i)]->palette().color(QPalette::WindowText), QColor(Qt::white));

    title.Form_Load();
    QCOMPARE(title.Label1[2]->text(), orvane::product::legalCopyright());
    QCOMPARE(platform.mousePointer(), MousePointer::Wait);
    QCOMPARE(title.pos(), QPoint((1024 - 469) / 2, (768 - 376) / 2));
}

void TestTitleWindow::titleStaysThreeSeconds_data()
{
    QTest::addColumn<int>("openMs");
    QTest::addColumn<bool>("waits");
    QTest::newRow("instant") << 0 << true;
    QTest::newRow("fast") << 400 << true;
    QTest::newRow("just under") << 2999 << true;
    QTest::newRow("exactly three seconds") << 3000 << false;
    QTest::newRow("slow") << 4500 << false;
}

void TestTitleWindow::titleStaysThreeSeconds()
{
    QFETCH(int, openMs);
    QFETCH(bool, waits);
    ScriptedPlatform platform;
    Controller controller{platform};
    const ProgramState& state = controller.state();
    QString openedPath, connect;
    controller.setDatabaseOpener([&](orvane::db::Workspace&, const QString& path, const QString& c)
        -> std::unique_ptr<orvane::db::Database> {
        platform.advance(openMs);
        openedPath = path;
        connect = c;
        return nullptr;
    });
    const QDateTime start = platform.clock;
    orvaneIntTitle title(controller, platform);
    title.Form_Load();
    title.show();
    title.Form_Activate();

    QCOMPARE(title.startMoment(), start);
    QCOMPARE(openedPath, state.dataPath);
    QCOMPARE(connect, QStringLiteral(";pwd=tolvaren"));
    if (waits) {
        QCOMPARE(platform.waits.size(), std::size_t(1));
        QCOMPARE(platform.waits[0], start.addSecs(3));
        QCOMPARE(platform.clock, start.addSecs(3));
    } else {
        QVERIFY(platform.waits.empty());
        QCOMPARE(platform.clock, start.addMSecs(openMs));
    }
    QVERIFY(title.mainWindow());
    delete title.mainWindow();
}

void TestTitleWindow::wrongPasswordEndsWithoutMainWindow()
{
    ScriptedPlatform platform;
    Controller controller{platform};
    controller.setDatabaseOpener([](orvane::db::Workspace&, const QString&, const QString&)
        -> std::unique_ptr<orvane::db::Database> {
        throw JetError(orvane::db::kInvalidPassword, QStringLiteral("Not a valid password."));
    });
    orvaneIntTitle title(controller, platform);
    title.Form_Load();
    title.Form_Activate();

    QCOMPARE(platform.messageBoxes.size(), std::size_t(1));
    const auto& box = platform.messageBoxes[0];
    QCOMPARE(box.title, QStringLiteral("Incorrect password"));
    QCOMPARE(box.text, QStringLiteral("The database which has been selected does not have the correct "
                                      "password.\n\nPlease contact Halvorn software."));
    QCOMPARE(box.icon, MessageIcon::Critical);
    QVERIFY(platform.ended);
    QCOMPARE(platform.calls.last(), QStringLiteral("endProgram"));
    QCOMPARE(title.mainWindow(), nullptr);
    QVERIFY(platform.waits.empty());
    QVERIFY(QApplication::topLevelWidgets().count() == 1);   // the title itself
}

void TestTitleWindow::otherOpenFailuresAreSilent()
{
    for (int number : {orvane::db::kFileNotFound, orvane::db::kUnrecognizedFormat}) {
        ScriptedPlatform platform;
        Controller controller{platform};
        controller.setDatabaseOpener([number](orvane::db::Workspace&, const QString&, const QString&)
            -> std::unique_ptr<orvane::db::Database> { throw JetError(number, QStringLiteral("x")); });
        orvaneIntTitle title(controller, platform);
        title.Form_Load();
        title.Form_Activate();
        // The failure surfaces in the main window's load, which offers the
        // import dialog (cancelled here, so the start-up ends there).
        QCOMPARE(platform.fileDialogs.size(), std::size_t(1));
        QVERIFY(!controller.repository().isOpen());
        // No message from the title window itself.
        for (const auto& box : platform.messageBoxes)
            QVERIFY(box.title != QStringLiteral("Incorrect password"));
        QVERIFY(title.mainWindow());
        QCOMPARE(platform.waits.size(), std::size_t(1));
        delete title.mainWindow();
    }
}

void TestTitleWindow::handsOverToTheMainWindow()
{
    ScriptedPlatform platform;
    Controller controller{platform};
    const ProgramState& state = controller.state();
    platform.screen = QSize(1280, 1024);
    const QString db = orvane::testing::writeInterpretationDb(
        dir_->filePath(QStringLiteral("intasme.mdb")), orvane::testing::standardPlan());
    orvane::writeSetting(QStringLiteral("data path"), db);
    orvane::writeSetting(QStringLiteral("default section"), QStringLiteral("2"));
    orvaneIntTitle title(controller, platform);
    title.start();
    QVERIFY(title.isVisible());
    QCOMPARE(platform.mousePointer(), MousePointer::Wait);
    // Activation follows the showing.
    QTRY_VERIFY(title.mainWindow());
    QPointer<orvaneIntMain> main = title.mainWindow();
    QVERIFY(!platform.programEnded());
    QCOMPARE(main->windowTitle(), QStringLiteral("Orvane-INT   [ ASME Section IX ]"));
    QVERIFY(main->isVisible());
    QVERIFY(!title.isVisible());
    QCOMPARE(platform.mousePointer(), MousePointer::Default);
    QVERIFY(controller.repository().hasWorkspace());
    // Centred by its outer size, once its frame is known.
    QTRY_VERIFY(main->frameGeometry() != main->geometry());
    const QSize outer = main->outerSizeTwips();
    QTRY_COMPARE(main->pos(), QPoint(toPixels((1280 * 15 - outer.width()) / 2),
                                     toPixels((1024 * 15 - outer.height()) / 2)));
    // Its first activation ends the start-up.
    QTRY_VERIFY(!state.startingUp);
    main->close();   // deletes itself
    QTRY_VERIFY(main.isNull());
}

void TestTitleWindow::realDatabaseFiles()
{
    // The same start-up against files on disk, through the real engine.
    auto write = [&](const QString& name, const QString& password) {
        orvane::jet::DatabaseDef def;
        def.password = password;
        def.tables.push_back({QStringLiteral("AuthorizedTablesTab"),
                              {{QStringLiteral("UserTableName")}, {QStringLiteral("dbTableName")}},
                              {}});
        const QString path = dir_->filePath(name);
        orvane::jet::writeDatabase(path, def);
        return path;
    };
    const QString wrong = write(QStringLiteral("wrong.mdb"), QStringLiteral("letmein"));
    const QString right = write(QStringLiteral("right.mdb"), QStringLiteral("tolvaren"));

    {
        orvane::writeSetting(QStringLiteral("data path"), wrong);
        ScriptedPlatform platform;
        Controller controller{platform};
        orvaneIntTitle title(controller, platform);
        title.Form_Load();
        title.Form_Activate();
        QCOMPARE(platform.messageBoxes.size(), std::size_t(1));
        QCOMPARE(platform.messageBoxes[0].title, QStringLiteral("Incorrect password"));
        QVERIFY(platform.ended);
        QCOMPARE(title.mainWindow(), nullptr);
    }
    {
        orvane::writeSetting(QStringLiteral("data path"), right);
        ScriptedPlatform platform;
        Controller controller{platform};
        orvaneIntTitle title(controller, platform);
        title.Form_Load();
        title.Form_Activate();
        QVERIFY(controller.repository().isOpen());
        QCOMPARE(controller.repository().path(), right);
        for (const auto& box : platform.messageBoxes)
            QVERIFY(box.title != QStringLiteral("Incorrect password"));
        QVERIFY(title.mainWindow());
        delete title.mainWindow();
    }
}

QTEST_MAIN(TestTitleWindow)
#include "tst_titlewindow.moc"
