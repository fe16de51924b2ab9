// Failures the user is told about, once: a damaged database, memory running
// out, and a settings store that cannot be written. Everything else keeps working.

#include "app/Controller.h"
#include "core/Settings.h"
#include "support/DamagedDb.h"
#include "support/ScriptedPlatform.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvane::app;
namespace t = orvane::testing;

class TestFailuresReported : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        orvane::setSettingsFile(dir_->filePath(QStringLiteral("s.ini")));
    }
    void cleanup() { orvane::setSettingsFile(QString()); }

    void damagedSectionIsToldOnce_data()
    {
        QTest::addColumn<t::Damage>("damage");
        QTest::addColumn<int>("shown");   // rows of the damaged section still listed
        QTest::newRow("memo past the end") << t::Damage::MemoPastEnd << 5;
        QTest::newRow("looping chain") << t::Damage::MemoChainLoops << 5;
        QTest::newRow("short usage map") << t::Damage::ShortUsageMap << 0;
    }
    void damagedSectionIsToldOnce()
    {
        QFETCH(t::Damage, damage);
        QFETCH(int, shown);
        const QString path = t::writeDamagedDb(dir_->filePath(QStringLiteral("intasme.mdb")), damage);
        ScriptedPlatform platform;
        Controller c(platform);
        c.setDataPath(path);
        c.setDefaultSection(2);   // Section IX, the damaged one
        c.openDatabase(path);
        QVERIFY(c.initiateProgram());
        const auto damaged = [&] {
            return std::count_if(platform.messageBoxes.begin(), platform.messageBoxes.end(),
                                 [](const auto& m) { return m.title == QStringLiteral("Damaged database"); });
        };
        QCOMPARE(damaged(), 1);
        QVERIFY(platform.messageBoxes.back().text.contains(QDir::toNativeSeparators(path)));
        // A damaged row is left out and the rest listed, the user told how
        // many are missing; a damaged table is skipped whole.
        QCOMPARE(int(c.rows().size()), shown);
        if (shown > 0)
            QVERIFY2(platform.messageBoxes.back().text.contains(QStringLiteral("left out: 1.")),
                     qPrintable(platform.messageBoxes.back().text));

        // Skip and continue: the other section works, the damage is not told again.
        c.chooseSection(1);
        QCOMPARE(c.rowTexts().size(), 5);
        c.chooseSection(2);
        c.editEntry(orvane::search::EntryKind::Keyword, QStringLiteral("preheat"));
        c.performSearch();
        QCOMPARE(damaged(), 1);
    }

    // A damaged row of the list of sections: the user hears of it first,
    // and the sections whose rows read whole are offered.
    void damagedSectionListIsToldFirst()
    {
        const auto sectionsOf = [&](t::Damage damage, const QString& name, ScriptedPlatform& platform) {
            const QString path = t::writeDamagedDb(dir_->filePath(name), damage);
            Controller c(platform);
            c.setStartingUp(true);
            c.setDataPath(path);
            c.openDatabase(path);
            c.loadProgram();
            return c.state().sectionCount;
        };
        ScriptedPlatform whole;
        const int all = sectionsOf(t::Damage::None, QStringLiteral("whole.mdb"), whole);
        QVERIFY(!whole.calls.contains(QStringLiteral("messageBox Damaged database")));

        ScriptedPlatform platform;
        QCOMPARE(sectionsOf(t::Damage::SectionListRow, QStringLiteral("intasme.mdb"), platform), all - 1);
        QCOMPARE(platform.calls.value(0), QStringLiteral("messageBox Damaged database"));
        QCOMPARE(platform.calls.count(QStringLiteral("messageBox Damaged database")), 1);
        QVERIFY(!platform.calls.contains(QStringLiteral("openFileDialog Open")));
        QVERIFY(platform.messageBoxes.front().text.contains(QStringLiteral("list of sections")));
        QVERIFY(platform.messageBoxes.front().text.contains(QStringLiteral("intasme.mdb")));
    }

    // Memory running out while a section's table is read: the section is
    // left empty, the user is told once why, the rest keeps working.
    void outOfMemoryIsToldOnce()
    {
        const QString path = t::writeDamagedDb(dir_->filePath(QStringLiteral("intasme.mdb")), t::Damage::None);
        ScriptedPlatform platform;
        Controller c(platform);
        c.setDatabaseOpener([](orvane::db::Workspace&, const QString& file, const QString&) {
            auto reader = std::make_shared<orvane::jet::JetFile>(file);
            return orvane::db::Database::fromTableStream(
                file, [reader](const QString& table, orvane::jet::TableSink& sink) {
                    if (table.compare(QLatin1String("INT09"), Qt::CaseInsensitive) == 0)
                        throw std::bad_alloc();
                    return reader->streamTable(table, sink);
                });
        });
        c.setDataPath(path);
        c.setDefaultSection(2);   // Section IX
        c.openDatabase(path);
        QVERIFY(c.initiateProgram());
        const auto told = [&] {
            return std::count_if(platform.messageBoxes.begin(), platform.messageBoxes.end(),
                                 [](const auto& m) { return m.title == QStringLiteral("Out of memory"); });
        };
        QCOMPARE(told(), 1);
        QVERIFY(platform.messageBoxes.back().text.contains(QStringLiteral("System resource exceeded.")));
        QVERIFY(c.rows().isEmpty());

        c.chooseSection(1);
        QCOMPARE(c.rows().size(), 5);
        c.chooseSection(2);
        QCOMPARE(told(), 1);
    }

    void unwritableSettingsAreToldOnceWithWhereAndWhy()
    {
        // A folder where the settings file should be: nothing can be written.
        const QString store = dir_->filePath(QStringLiteral("store.ini"));
        QVERIFY(QDir().mkpath(store));
        orvane::setSettingsFile(store);
        const QString path = t::writeDamagedDb(dir_->filePath(QStringLiteral("intasme.mdb")), t::Damage::None);
        ScriptedPlatform platform;
        Controller c(platform);
        c.readStartupSettings();   // writes "program path"; told only after start-up
        QVERIFY(platform.messageBoxes.empty());
        c.setDataPath(path);
        c.openDatabase(path);
        QVERIFY(c.initiateProgram());
        c.activate();
        QCOMPARE(platform.messageBoxes.size(), std::size_t(1));
        QCOMPARE(platform.messageBoxes[0].title, QStringLiteral("Settings not saved"));
        QVERIFY(platform.messageBoxes[0].text.contains(QDir::toNativeSeparators(store)));
        c.chooseSection(2);
        c.chooseSection(1);
        QCOMPARE(platform.messageBoxes.size(), std::size_t(1));
        QCOMPARE(c.state().currentTable, QStringLiteral("INT08"));
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_MAIN(TestFailuresReported)
#include "tst_failuresreported.moc"
