// Both tools end the same way: 0 success, 1 error, 2 usage error, and say so
// in --help. A damaged database is an error, not a short result.

#include "support/DamagedDb.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kMkdb = QStringLiteral(ORVANE_BIN_DIR "/orvane-int-mkdb");
const QString kSql = QStringLiteral(ORVANE_BIN_DIR "/orvane-int-sql");

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run run(const QString& exe, const QStringList& args, const QString& loggingRules = QString())
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    if (!loggingRules.isEmpty())
        env.insert(QStringLiteral("QT_LOGGING_RULES"), loggingRules);
    p.setProcessEnvironment(env);
    p.start(exe, args);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace

class TestToolExits : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(tmp_.isValid()); }

    void helpStatesTheExitCodes_data()
    {
        QTest::addColumn<QString>("exe");
        QTest::newRow("mkdb") << kMkdb;
        QTest::newRow("sql") << kSql;
    }
    void helpStatesTheExitCodes()
    {
        QFETCH(QString, exe);
        const Run r = run(exe, {QStringLiteral("--help")});
        QCOMPARE(r.exitCode, 0);
        const QString help = QString::fromUtf8(r.out).simplified();
        QVERIFY2(help.contains("Exit status: 0 success; 1 error") && help.contains("2 usage error"),
                 r.out.constData());
    }

    void usageErrorsExit2_data()
    {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("mkdb, no arguments") << kMkdb << QStringList();
        QTest::newRow("mkdb, password without value") << kMkdb << QStringList({"src", "out.mdb", "--password"});
        QTest::newRow("mkdb, synthetic out of range") << kMkdb << QStringList({"--synthetic", "0", "1", "1", "x.mdb"});
        QTest::newRow("sql, no arguments") << kSql << QStringList();
        QTest::newRow("sql, unknown option") << kSql << QStringList({"a.mdb", "SELECT 1", "--bogus"});
        QTest::newRow("sql, password without value") << kSql << QStringList({"a.mdb", "SELECT 1", "--password"});
    }
    void usageErrorsExit2()
    {
        QFETCH(QString, exe);
        QFETCH(QStringList, args);
        const Run r = run(exe, args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains("usage: "));
    }

    void failuresExit1()
    {
        const QString missing = tmp_.filePath(QStringLiteral("missing"));
        Run r = run(kMkdb, {missing, tmp_.filePath(QStringLiteral("out.mdb"))});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(!QFile::exists(tmp_.filePath(QStringLiteral("out.mdb"))));

        r = run(kSql, {missing + ".mdb", QStringLiteral("SELECT 1")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith("error 3024: "), r.err.constData());
    }

    void damagedDatabaseExits1()
    {
        const QString path = orvane::testing::writeDamagedDb(tmp_.filePath(QStringLiteral("damaged.mdb")),
                                                             orvane::testing::Damage::MemoChainLoops);
        const QString sql = QStringLiteral("SELECT INTER_TEXT FROM INT09 WHERE INTER_STR = \"%1\"")
                                .arg(orvane::testing::kLongId);
        const Run r = run(kSql, {path, sql, QStringLiteral("--password"), QStringLiteral("tolvaren")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith("error 3049: "), r.err.constData());
        QVERIFY(!r.out.contains("Interpretation:"));

        // The rows that read whole are printed before the error.
        const Run all = run(kSql, {path, QStringLiteral("SELECT INTER_STR FROM INT09"), QStringLiteral("--password"),
                                   QStringLiteral("tolvaren")});
        QCOMPARE(all.exitCode, 1);
        QVERIFY2(all.err.startsWith("error 3049: ") && all.err.contains("INT09"), all.err.constData());
        QCOMPARE(all.out.count('\n'), 1 + 5); // header and the five whole rows
        QVERIFY(!all.out.contains(orvane::testing::kLongId.toUtf8()));
    }

    // An error is one line on stderr; the database layer's own log of it
    // appears only when asked for.
    void sqlErrorPrintedOnce()
    {
        const QString path = orvane::testing::writeDamagedDb(tmp_.filePath(QStringLiteral("whole.mdb")),
                                                             orvane::testing::Damage::None);
        // A pattern built from each row, found invalid as the rows are stepped.
        const QStringList args{path,
                               QStringLiteral("SELECT INTER_STR FROM INT09 WHERE INTER_TEXT LIKE INTER_STR & \"[z-a\""),
                               QStringLiteral("--password"), QStringLiteral("tolvaren")};
        Run r = run(kSql, args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith("error 3075: ") && r.err.count('\n') == 1, r.err.constData());

        r = run(kSql, args, QStringLiteral("orvane.*=true"));
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("error 3075: ") && r.err.count('\n') > 1, r.err.constData());
    }

private:
    QTemporaryDir tmp_;
};

QTEST_GUILESS_MAIN(TestToolExits)
#include "tst_toolexits.moc"
