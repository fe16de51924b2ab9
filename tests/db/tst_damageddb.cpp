// Damaged files through the engine: a statement that loads a table whose
// rows, page map or long values are damaged fails with error 3049 instead of
// returning cut-off text, foreign bytes or fewer rows; the rest of the file
// stays readable.

#include "db/Engine.h"
#include "support/DamagedDb.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orvane::db;
using orvane::testing::Damage;

namespace {

const QString kPassword = QStringLiteral(";pwd=tolvaren");
const QString kLongQuery = QStringLiteral("SELECT INTER_TEXT FROM INT09 WHERE INTER_STR = \"%1\"")
                               .arg(orvane::testing::kLongId);

} // namespace

class TestDamagedDb : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(tmp_.isValid()); }

    // The crafted files only test something if the undamaged one reads back
    // whole: the long memo spans several pages.
    void undamagedFileReadsWhole()
    {
        const QString path = orvane::testing::writeDamagedDb(tmp_.filePath("good.mdb"), Damage::None);
        Workspace ws;
        auto db = ws.openDatabase(path, false, true, kPassword);
        const Snapshot s = db->execute(kLongQuery);
        QCOMPARE(s.rows.size(), std::size_t(1));
        QCOMPARE(s.rows[0][0], std::optional<QString>(orvane::testing::longText()));
        QCOMPARE(db->execute("SELECT COUNT(*) FROM INT09").rows[0][0], std::optional<QString>("6"));
    }

    void damageIsError3049_data()
    {
        QTest::addColumn<Damage>("damage");
        QTest::newRow("memo pointer past the end of the file") << Damage::MemoPastEnd;
        QTest::newRow("memo chain looping back on itself") << Damage::MemoChainLoops;
        QTest::newRow("memo pointer to a data page") << Damage::MemoToDataPage;
        QTest::newRow("memo chain shorter than its stored length") << Damage::MemoChainShort;
        QTest::newRow("usage map cut short") << Damage::ShortUsageMap;
        QTest::newRow("row offset outside its page") << Damage::RowOutsidePage;
    }

    void damageIsError3049()
    {
        QFETCH(Damage, damage);
        const QString path = orvane::testing::writeDamagedDb(
            tmp_.filePath(QStringLiteral("damaged-%1.mdb").arg(int(damage))), damage);
        Workspace ws;
        auto db = ws.openDatabase(path, false, true, kPassword); // the catalog is intact

        try {
            const Snapshot s = db->execute(kLongQuery);
            QFAIL(qPrintable(QStringLiteral("read %1 row(s), first value of %2 characters")
                                 .arg(s.rows.size())
                                 .arg(s.rows.empty() || !s.rows[0][0] ? -1 : s.rows[0][0]->size())));
        } catch (const JetError& e) {
            QCOMPARE(e.number(), int(kDatabaseDamaged));
            QVERIFY2(e.message().contains("INT09"), qPrintable(e.message()));
        }
        // The table stays unreadable on the next statement too, and the
        // undamaged tables still read.
        QVERIFY_THROWS_EXCEPTION(JetError, db->execute("SELECT INTER_STR FROM INT09"));
        QCOMPARE(db->execute("SELECT COUNT(*) FROM INT08").rows[0][0], std::optional<QString>("4"));
    }

private:
    QTemporaryDir tmp_;
};

QTEST_GUILESS_MAIN(TestDamagedDb)
#include "tst_damageddb.moc"
