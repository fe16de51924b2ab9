// Runs orvane-int-mkdb as a user would and reads its output back with
// mdbtools, a reader we did not write.

#include "db/jet/JetFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString tool = QStringLiteral(ORVANE_BIN_DIR "/orvane-int-mkdb");

struct Run {
    int exitCode = -1;
    QString err;
};

Run runTool(const QStringList& args)
{
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardError())};
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One table as rows of fields, through mdb-export with C-style escapes so that
// line ends inside memo texts survive.
QList<QStringList> exportTable(const QString& file, const QString& table)
{
    QProcess p;
    p.start(QStringLiteral("mdb-export"),
            {QStringLiteral("-H"), QStringLiteral("-Q"), QStringLiteral("-e"),
             QStringLiteral("-d"), QStringLiteral("\t"), file, table});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    QList<QStringList> rows;
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts)) {
        QStringList fields;
        for (QString f : line.split(u'\t')) {
            QString plain;
            for (qsizetype i = 0; i < f.size(); ++i) {
                if (f[i] == u'\\' && i + 1 < f.size()) {
                    const QChar c = f[++i];
                    plain += c == u'r' ? u'\r' : c == u'n' ? u'\n' : c == u't' ? u'\t' : c;
                } else {
                    plain += f[i];
                }
            }
            fields << plain;
        }
        rows << fields;
    }
    return rows;
}

const QByteArray sectionsList = "INT01 Section I\nINT02 Section VIII-1\n";
const QByteArray section1 =
    "=== I-89-01\nVolume: 27\nParagraphs: PG-5, PG-27\nAlso-in: INT02 QW-406\n\n"
    "Interpretation: I-89-01\nSubject: Section I, PG-5, Preheat\n\nReply: Yes, 300\xC2\xB0" "F.\n";
const QByteArray section2 =
    "=== NOTICE\n\nRead first.\nSecond line.\n\n"
    "=== VIII-1-90-02\nVolume: 3\nParagraphs: UG-22\n\nText.\n";

} // namespace

class TestMkdbTool : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void badSourceWritesNothing_data();
    void badSourceWritesNothing();
    void roundTrip();
    void syntheticIsByteIdentical();
};

void TestMkdbTool::initTestCase()
{
    QVERIFY2(QFile::exists(tool), qPrintable(tool));
    if (QStandardPaths::findExecutable(QStringLiteral("mdb-export")).isEmpty())
        QFAIL("mdb-export (mdbtools) is needed to read the output back");
}

void TestMkdbTool::badSourceWritesNothing_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QString>("where");

    QTest::newRow("missing field") << sectionsList
        << QByteArray("=== I-1\nParagraphs: PG-5\n\nText\n") << "INT01.txt:1: I-1 has no Volume";
    QTest::newRow("duplicate identifier") << sectionsList
        << QByteArray(section1 + section1) << "INT01.txt:10: duplicate identifier I-89-01";
    QTest::newRow("bad table name") << QByteArray("INT01 Section I\nINT2 Section VIII-1\n")
        << section1 << "sections.txt:2: table name 'INT2'";
    QTest::newRow("not Windows-1252") << sectionsList
        << QByteArray(section1 + "\xE2\x89\xA4\n") << "INT01.txt:10: character";
    // The second section's file is absent.
    QTest::newRow("unreadable file") << sectionsList << QByteArray() << "sections.txt:2: cannot read";
}

void TestMkdbTool::badSourceWritesNothing()
{
    QFETCH(QByteArray, list);
    QFETCH(QByteArray, first);
    QFETCH(QString, where);
    QTemporaryDir dir;
    const QString src = dir.filePath(QStringLiteral("src"));
    QVERIFY(QDir().mkpath(src));
    writeFile(src + "/sections.txt", list);
    writeFile(src + "/INT01.txt", first.isEmpty() ? section1 : first);
    if (!first.isEmpty())
        writeFile(src + "/INT02.txt", section2);

    const QString fresh = dir.filePath(QStringLiteral("fresh.mdb"));
    Run r = runTool({src, fresh});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.startsWith(src + u'/' + where), qPrintable(r.err));
    QCOMPARE(r.err.count(u'\n'), 1);
    QVERIFY(!QFile::exists(fresh));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());

    const QString existing = dir.filePath(QStringLiteral("old.mdb"));
    writeFile(existing, "previous contents");
    r = runTool({src, existing});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(readFile(existing), QByteArray("previous contents"));
}

void TestMkdbTool::roundTrip()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("sections.txt"), sectionsList);
    // CR LF in one file, LF in the other: both come out as CR LF.
    writeFile(dir.filePath("INT01.txt"), QByteArray(section1).replace("\n", "\r\n"));
    writeFile(dir.filePath("INT02.txt"), section2);
    const QString out = dir.filePath("out.mdb");
    const Run r = runTool({dir.path(), out});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY(r.err.isEmpty());

    QCOMPARE(orvane::jet::readHeader(out).password, QStringLiteral("tolvaren"));
    QCOMPARE(exportTable(out, "AuthorizedTablesTab"),
             QList<QStringList>({{"Section I", "INT01"}, {"Section VIII-1", "INT02"}}));

    const QList<QStringList> int01 = exportTable(out, "INT01");
    QCOMPARE(int01.size(), 1);
    QCOMPARE(int01[0], QStringList({"I-89-01",
                                    QString::fromUtf8("Interpretation: I-89-01\r\nSubject: Section I, "
                                                      "PG-5, Preheat\r\n\r\nReply: Yes, 300°F."),
                                    "27"}));

    const QList<QStringList> int02 = exportTable(out, "INT02");
    QCOMPARE(int02.size(), 2);
    QCOMPARE(int02[0].value(0), QStringLiteral("  Orvane-INT Notice"));
    QCOMPARE(int02[0].value(1), QStringLiteral("Read first.\r\nSecond line."));
    QCOMPARE(int02[1].value(0), QStringLiteral("VIII-1-90-02"));

    QCOMPARE(exportTable(out, "INX01"),
             QList<QStringList>({{"PG-5", "I-89-01", "01"}, {"PG-27", "I-89-01", "01"}}));
    // Section VIII-1's index lists its own record and the Section I record.
    QCOMPARE(exportTable(out, "INX02"),
             QList<QStringList>({{"UG-22", "VIII-1-90-02", "02"}, {"QW-406", "I-89-01", "01"}}));

    // Rebuilding over an existing file replaces it.
    writeFile(dir.filePath("INT02.txt"), "=== X-1\nVolume: 1\nParagraphs: UG-1\n\nNew.\n");
    QCOMPARE(runTool({dir.path(), out, "--password", "other"}).exitCode, 0);
    QCOMPARE(exportTable(out, "INT02"), QList<QStringList>({{"X-1", "New.", "1"}}));
    QCOMPARE(orvane::jet::readHeader(out).password, QStringLiteral("other"));
}

void TestMkdbTool::syntheticIsByteIdentical()
{
    QTemporaryDir dir;
    const QStringList a = {"--synthetic", "10", "40", "5", dir.filePath("a.mdb")};
    const QStringList b = {"--synthetic", "10", "40", "5", dir.filePath("b.mdb")};
    const QStringList c = {"--synthetic", "10", "40", "6", dir.filePath("c.mdb")};
    for (const QStringList& args : {a, b, c})
        QCOMPARE(runTool(args).exitCode, 0);
    const QByteArray bytesA = readFile(dir.filePath("a.mdb"));
    QVERIFY(bytesA.size() > 40 * 10 * 2000);
    QVERIFY(bytesA == readFile(dir.filePath("b.mdb")));
    QVERIFY(bytesA != readFile(dir.filePath("c.mdb")));

    const QList<QStringList> list = exportTable(dir.filePath("a.mdb"), "AuthorizedTablesTab");
    QCOMPARE(list.size(), 10);
    QCOMPARE(list[9], QStringList({"Section IX", "INT10"}));
    QCOMPARE(exportTable(dir.filePath("a.mdb"), "INT08").value(0).value(0),
             QStringLiteral("  Orvane-INT Notice"));

    QCOMPARE(runTool({"--synthetic", "0", "40", "5", dir.filePath("d.mdb")}).exitCode, 2);
    QVERIFY(!QFile::exists(dir.filePath("d.mdb")));
}

QTEST_GUILESS_MAIN(TestMkdbTool)
#include "tst_mkdbtool.moc"
