// Damaged files through the engine: a row whose structure or long value is
// damaged is left out and reported with error 3049, never returned cut off or
// with foreign bytes; a damaged page map fails the statement; the rest of the
// file stays readable.

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
        QTest::addColumn<bool>("wholeTable"); // the table cannot be read at all
        QTest::addColumn<int>("lost");        // rows left out
        QTest::newRow("memo pointer past the end of the file") << Damage::MemoPastEnd << false << 1;
        QTest::newRow("memo chain looping back on itself") << Damage::MemoChainLoops << false << 1;
        QTest::newRow("memo pointer to a data page") << Damage::MemoToDataPage << false << 1;
        QTest::newRow("memo chain shorter than its stored length") << Damage::MemoChainShort << false << 1;
        QTest::newRow("usage map cut short") << Damage::ShortUsageMap << true << 0;
        // Row 0's end bounds row 1: both go.
        QTest::newRow("row offset outside its page") << Damage::RowOutsidePage << false << 2;
    }

    // A damaged row is left out and the rest of its table is read: the
    // statement's result says how many rows are missing (error 3049 naming
    // the table). Damage to the table's own structures fails the statement.
    void damageIsError3049()
    {
        QFETCH(Damage, damage);
        QFETCH(bool, wholeTable);
        QFETCH(int, lost);
        const QString path = orvane::testing::writeDamagedDb(
            tmp_.filePath(QStringLiteral("damaged-%1.mdb").arg(int(damage))), damage);
        Workspace ws;
        auto db = ws.openDatabase(path, false, true, kPassword); // the catalog is intact

        if (wholeTable) {
            try {
                const Snapshot s = db->execute(kLongQuery);
                QFAIL(qPrintable(QStringLiteral("read %1 row(s)").arg(s.rows.size())));
            } catch (const JetError& e) {
                QCOMPARE(e.number(), int(kDatabaseDamaged));
                QVERIFY2(e.message().contains("INT09"), qPrintable(e.message()));
            }
            QVERIFY_THROWS_EXCEPTION(JetError, db->execute("SELECT INTER_STR FROM INT09"));
        } else {
            const Snapshot s = db->execute(kLongQuery);
            if (!s.rows.empty()) // never a cut-off or foreign text
                QCOMPARE(s.rows[0][0], std::optional<QString>(orvane::testing::longText()));
            QCOMPARE(s.damage.size(), std::size_t(1));
            const JetError e = damageError(s.damage);
            QCOMPARE(e.number(), int(kDatabaseDamaged));
            QVERIFY2(e.message().contains("INT09"), qPrintable(e.message()));
            // The other rows of the table read, and say so again.
            const Snapshot all = db->execute("SELECT COUNT(*) FROM INT09");
            QCOMPARE(all.rows[0][0], std::optional<QString>(QString::number(6 - lost)));
            QCOMPARE(all.damage.size(), std::size_t(1));
            QCOMPARE(all.damage[0].rows, std::size_t(lost));
        }
        // The undamaged tables still read, without a word of damage.
        const Snapshot other = db->execute("SELECT COUNT(*) FROM INT08");
        QCOMPARE(other.rows[0][0], std::optional<QString>("4"));
        QVERIFY(other.damage.empty());
    }

private:
    QTemporaryDir tmp_;
};

QTEST_GUILESS_MAIN(TestDamagedDb)
#include "tst_damageddb.moc"
