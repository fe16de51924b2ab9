// Opening real Jet files through the workspace, and the SQL tool, on
// fixtures written by our own writer.

#include "db/Engine.h"
#include "db/jet/JetWriter.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

using namespace orvane::db;
namespace jet = orvane::jet;

namespace {

const QString kPassword = QStringLiteral("tolvaren");
const QString kNotice = QStringLiteral("  Orvane-INT Notice");

jet::TableDef sectionTable(const QString& name, std::vector<std::vector<jet::CellValue>> rows)
{
    return {name,
            {{"INTER_STR", jet::ColumnType::Text, 50},
             {"INTER_TEXT", jet::ColumnType::Memo},
             {"vol", jet::ColumnType::Long}},
            std::move(rows)};
}

jet::TableDef indexTable(const QString& name, std::vector<std::vector<jet::CellValue>> rows)
{
    return {name,
            {{"Reference", jet::ColumnType::Text, 50},
             {"INTER_STR", jet::ColumnType::Text, 50},
             {"section", jet::ColumnType::Text, 2}},
            std::move(rows)};
}

jet::DatabaseDef sampleDatabase(const QString& password)
{
    using V = std::vector<jet::CellValue>;
    jet::DatabaseDef def;
    def.password = password;
    def.tables.push_back({"AuthorizedTablesTab",
                          {{"UserTableName", jet::ColumnType::Text, 50}, {"dbTableName", jet::ColumnType::Text, 5}},
                          {V{QString("Section VIII-1"), QString("INT08")}, V{QString("Section IX"), QString("INT09")}}});
    def.tables.push_back(sectionTable(
        "INT09", {V{QString("IX-89-12"), QString("Subject: QW-406 minimum PREHEAT temperature"), qint64(12)},
                  V{QString("IX-92-01"), QString("Subject: preheat maintenance\r\n\tline two"), qint64(14)},
                  V{QString("IX-95-30"), QString("Subject: the minimum thickness"), qint64(17)},
                  V{kNotice, QString("Notice text"), std::monostate{}},
                  V{QString("IX-01-07"), QString("Subject: interpass minimum preheat \\ done"), std::monostate{}}}));
    def.tables.push_back(indexTable("INX09", {V{QString("QW-406"), QString("IX-89-12"), QString("09")},
                                              V{QString("QW-406"), QString("IX-92-01"), QString("09")},
                                              V{QString("QW-406"), QString("VIII-1-83-100"), QString("08")},
                                              V{QString("QW-407"), QString("IX-95-30"), QString("09")},
                                              V{QString("QW-200.1"), QString("IX-01-07"), QString("09")}}));
    def.tables.push_back(sectionTable(
        "INT08", {V{QString("VIII-1-83-100"), QString("Subject: preheat of shells"), qint64(9)}}));
    def.tables.push_back(indexTable("INX08", {V{QString("UG-99"), QString("VIII-1-83-100"), QString("08")}}));
    return def;
}

QStringList sorted(QStringList l)
{
    l.sort();
    return l;
}

QStringList firstColumn(const Snapshot& s)
{
    QStringList out;
    for (const auto& row : s.rows)
        out << row[0].value_or(QStringLiteral("<null>"));
    return out;
}

int openError(const QString& path, const QString& connect)
{
    try {
        Workspace ws;
        ws.openDatabase(path, false, false, connect);
    } catch (const JetError& e) {
        return e.number();
    }
    return 0;
}

QByteArray sha1(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

} // namespace

class TestWorkspace : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void openErrors_data();
    void openErrors();
    void closedWorkspace();
    void searchExamples_data();
    void searchExamples();
    void sectionQueries();
    void fileIsNeverWritten();

    void tool();
    void largeSectionHeap();

private:
    QTemporaryDir dir;
    QString protectedPath, openPath;
};

void TestWorkspace::initTestCase()
{
    QVERIFY(dir.isValid());
    protectedPath = dir.filePath("intasme.mdb");
    openPath = dir.filePath("open.mdb");
    jet::writeDatabase(protectedPath, sampleDatabase(kPassword));
    jet::writeDatabase(openPath, sampleDatabase(QString()));
    QFile junk(dir.filePath("junk.mdb"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    QFile empty(dir.filePath("empty.mdb"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
}

void TestWorkspace::openErrors_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("connect");
    QTest::addColumn<int>("number");
    QTest::newRow("right password") << "intasme.mdb" << ";pwd=tolvaren" << 0;
    QTest::newRow("key in any case, more keys") << "intasme.mdb" << "MS Access;PWD=tolvaren;uid=x" << 0;
    QTest::newRow("wrong password") << "intasme.mdb" << ";pwd=tolvare" << 3031;
    QTest::newRow("password case matters") << "intasme.mdb" << ";pwd=TOLVAREN" << 3031;
    QTest::newRow("no password") << "intasme.mdb" << ";pwd=" << 3031;
    QTest::newRow("empty connect") << "intasme.mdb" << "" << 3031;
    QTest::newRow("unprotected, any password") << "open.mdb" << ";pwd=whatever" << 0;
    QTest::newRow("unprotected, none") << "open.mdb" << "" << 0;
    QTest::newRow("missing") << "nosuch.mdb" << ";pwd=tolvaren" << 3024;
    QTest::newRow("not a jet file") << "junk.mdb" << ";pwd=tolvaren" << 3343;
    QTest::newRow("empty file") << "empty.mdb" << ";pwd=tolvaren" << 3343;
    QTest::newRow("a folder") << "." << ";pwd=tolvaren" << 3343;
}

void TestWorkspace::openErrors()
{
    QFETCH(QString, file);
    QFETCH(QString, connect);
    QFETCH(int, number);
    QCOMPARE(openError(dir.filePath(file), connect), number);
}

void TestWorkspace::closedWorkspace()
{
    Workspace ws;
    ws.close();
    QCOMPARE(openError(protectedPath, ";pwd=tolvaren"), 0);
    try {
        ws.openDatabase(protectedPath, false, false, ";pwd=tolvaren");
        QFAIL("opened through a closed workspace");
    } catch (const JetError& e) {
        QCOMPARE(e.number(), 3420);
    }
}

void TestWorkspace::searchExamples_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("ids");
    QTest::newRow("paragraph") << "SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = \"QW-406\""
                               << QStringList{"IX-89-12", "IX-92-01", "VIII-1-83-100"};
    QTest::newRow("and") << "SELECT DISTINCT [INTER_STR] FROM INT09 WHERE  [INTER_TEXT] LIKE \"*minimum*\" AND  "
                            "[INTER_TEXT] LIKE \"*preheat*\""
                         << QStringList{"IX-01-07", "IX-89-12"};
    QTest::newRow("or") << "SELECT DISTINCT [INTER_STR] FROM INT09 WHERE ( [INTER_TEXT] LIKE \"*minimum*\" OR  "
                           "[INTER_TEXT] LIKE \"*preheat*\")"
                        << QStringList{"IX-01-07", "IX-89-12", "IX-92-01", "IX-95-30"};
    QTest::newRow("phrase") << "SELECT DISTINCT [INTER_STR] FROM INT09 WHERE [INTER_TEXT] LIKE \"*minimum preheat*\""
                            << QStringList{"IX-01-07", "IX-89-12"};
    QTest::newRow("paragraph and keyword")
        << "SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = \"QW-406\" AND [INTER_STR] IN (SELECT "
           "[INTER_STR] FROM INT09 WHERE  [INTER_TEXT] LIKE \"*preheat*\")"
        << QStringList{"IX-89-12", "IX-92-01"};
    QTest::newRow("both empty") << "SELECT DISTINCT [INTER_STR] FROM INX09"
                                << QStringList{"IX-01-07", "IX-89-12", "IX-92-01", "IX-95-30", "VIII-1-83-100"};
}

void TestWorkspace::searchExamples()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, ids);
    Workspace ws;
    auto db = ws.openDatabase(protectedPath, false, false, ";pwd=tolvaren");
    QCOMPARE(sorted(firstColumn(db->execute(sql))), sorted(ids));
}

void TestWorkspace::sectionQueries()
{
    Workspace ws;
    auto db = ws.openDatabase(protectedPath, false, false, ";pwd=tolvaren");
    // The value of `name` (any case) in the first row of `sql`; Null as nullopt.
    auto first = [&](const QString& sql, const QString& name) -> std::optional<QString> {
        const CompactSnapshot rows = db->executeCompact(sql);
        for (qsizetype c = 0; c < rows.columns.size(); ++c)
            if (rows.columns[c].compare(name, Qt::CaseInsensitive) == 0 && rows.rowCount() > 0) {
                const auto& cell = rows.cell(0, int(c));
                return cell ? std::optional<QString>(QString::fromUtf8(*cell)) : std::nullopt;
            }
        return QStringLiteral("(no such column or row)");
    };

    QCOMPARE(firstColumn(db->execute("SELECT dbTableName FROM AuthorizedTablesTab")), (QStringList{"INT08", "INT09"}));
    QCOMPARE(firstColumn(db->execute("SELECT INTER_STR FROM [INT09] ORDER BY INTER_STR")),
             (QStringList{kNotice, "IX-01-07", "IX-89-12", "IX-92-01", "IX-95-30"}));
    QCOMPARE(firstColumn(db->execute("SELECT DISTINCT reference FROM INX09 ORDER BY reference")),
             (QStringList{"QW-200.1", "QW-406", "QW-407"}));

    // Lookup; a number column reads as text, Null stays Null.
    QCOMPARE(first("SELECT * FROM [INT09] WHERE INTER_STR = \"IX-89-12\"", "vol"), QStringLiteral("12"));
    QCOMPARE(first("SELECT * FROM [INT09] WHERE INTER_STR = \"IX-89-12\"", "inter_text"),
             QStringLiteral("Subject: QW-406 minimum PREHEAT temperature"));
    QCOMPARE(first(QStringLiteral("SELECT * FROM [INT09] WHERE INTER_STR = \"%1\"").arg(kNotice), "vol"), std::nullopt);

    // The paragraph index leads to another section's table.
    const QString other = "INT" + first("SELECT * FROM [INX09] WHERE INTER_STR = \"VIII-1-83-100\"", "section").value_or(QString());
    QCOMPARE(first("SELECT * FROM [" + other + "] WHERE INTER_STR = \"VIII-1-83-100\"", "vol"), QStringLiteral("9"));

    try {
        db->executeCompact("SELECT * FROM [INT77] ORDER BY INTER_STR");
        QFAIL("missing table opened");
    } catch (const JetError& e) {
        QCOMPARE(e.number(), 3078);
    }
}

void TestWorkspace::fileIsNeverWritten()
{
    const QByteArray before = sha1(protectedPath);
    const QDateTime modified = QFileInfo(protectedPath).lastModified();
    {
        Workspace ws;
        auto db = ws.openDatabase(protectedPath, true, false, ";pwd=tolvaren");   // exclusive, writable asked
        db->execute("SELECT * FROM INT09 ORDER BY INTER_STR");
        // A second open at the same time works: the file is shared read-only.
        auto again = ws.openDatabase(protectedPath, true, false, ";pwd=tolvaren");
        QCOMPARE(again->execute("SELECT * FROM INX09").rows.size(), std::size_t(5));
        db->close();
    }
    QCOMPARE(sha1(protectedPath), before);
    QCOMPARE(QFileInfo(protectedPath).lastModified(), modified);
}

void TestWorkspace::tool()
{
    const QString exe = QStringLiteral(ORVANE_BIN_DIR "/orvane-int-sql");
    if (!QFileInfo::exists(exe))
        QSKIP("orvane-int-sql is not built");
    auto run = [&](const QStringList& args, QByteArray* out = nullptr, QByteArray* err = nullptr) {
        QProcess p;
        p.start(exe, args);
        if (!p.waitForFinished(20000))
            return -1;
        if (out)
            *out = p.readAllStandardOutput();
        if (err)
            *err = p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };

    QByteArray out, err;
    QCOMPARE(run({protectedPath,
                  "SELECT INTER_STR, INTER_TEXT, vol FROM INT09 WHERE INTER_TEXT LIKE \"*preheat*\" ORDER BY INTER_STR",
                  "--password", kPassword},
                 &out, &err),
             0);
    QCOMPARE(out, QByteArray("INTER_STR\tINTER_TEXT\tvol\n"
                             "IX-01-07\tSubject: interpass minimum preheat \\\\ done\t\n"
                             "IX-89-12\tSubject: QW-406 minimum PREHEAT temperature\t12\n"
                             "IX-92-01\tSubject: preheat maintenance\\r\\n\\tline two\t14\n"));

    QCOMPARE(run({protectedPath, "SELECT * FROM INT09"}, &out, &err), 1);
    QVERIFY2(err.startsWith("error 3031: "), err.constData());
    QCOMPARE(run({protectedPath, "SELECT * FROM INT77", "--password", kPassword}, &out, &err), 1);
    QVERIFY2(err.startsWith("error 3078: "), err.constData());
    QCOMPARE(run({protectedPath, "DELETE FROM INT09", "--password", kPassword}, &out, &err), 1);
    QVERIFY2(err.startsWith("error 3075: "), err.constData());
    QCOMPARE(run({openPath, "SELECT COUNT(*) AS n FROM INT09"}, &out), 0);
    QCOMPARE(out, QByteArray("n\n5\n"));

    QCOMPARE(run({protectedPath}), 2);
    QCOMPARE(run({protectedPath, "SELECT 1", "--password"}), 2);
    QCOMPARE(run({protectedPath, "SELECT 1", "--bogus"}), 2);
}

// How fast it loads and answers is a row of the engine benchmark; what it
// holds once loaded is bounded here.
void TestWorkspace::largeSectionHeap()
{
    // 2,500 interpretations of about 2 KB, three index rows each.
    using V = std::vector<jet::CellValue>;
    QRandomGenerator rng(7);
    const QStringList words = {"preheat", "weld", "thickness", "procedure", "qualification", "minimum",
                               "temperature", "impact", "test", "joint", "groove", "fillet", "base",
                               "metal", "filler", "position", "backing", "essential", "variable", "shall"};
    jet::DatabaseDef def;
    def.password = kPassword;
    std::vector<V> texts, index;
    for (int i = 0; i < 2500; ++i) {
        const QString id = QStringLiteral("IX-%1-%2").arg(80 + i / 100).arg(i % 100, 2, 10, QLatin1Char('0'));
        QString text = QStringLiteral("Interpretation: %1\r\nSubject: ").arg(id);
        while (text.size() < 2000)
            text += words[int(rng.bounded(words.size()))] + QLatin1Char(' ');
        if (i % 500 == 7)
            text += QStringLiteral("rareword ");
        texts.push_back({id, text, qint64(i / 250)});
        for (int k = 0; k < 3; ++k)
            index.push_back({QStringLiteral("QW-%1").arg(400 + rng.bounded(60)), id, QString("09")});
    }
    def.tables.push_back(sectionTable("INT09", std::move(texts)));
    def.tables.push_back(indexTable("INX09", std::move(index)));
    const QString path = dir.filePath("large.mdb");
    jet::writeDatabase(path, def);
    const qint64 fileSize = QFileInfo(path).size();

    Workspace ws;
    auto db = ws.openDatabase(path, false, false, ";pwd=tolvaren");
    const sqlite3_int64 heapBefore = sqlite3_memory_used();
    db->execute("SELECT * FROM [INT09] WHERE INTER_STR = \"IX-80-00\"");
    db->execute("SELECT * FROM [INX09] WHERE INTER_STR = \"IX-80-00\"");
    const sqlite3_int64 heap = sqlite3_memory_used() - heapBefore;
    qInfo("file %lld KB, engine heap %lld KB", fileSize / 1024, heap / 1024);
    QVERIFY(heap < 3 * fileSize);
}

QTEST_GUILESS_MAIN(TestWorkspace)
#include "tst_workspace.moc"
