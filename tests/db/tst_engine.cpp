// Jet SQL on the query engine and the snapshot record set, over tables held
// in memory (no file involved).

#include "db/Engine.h"
#include "db/JetCollation.h"
#include "db/JetLike.h"

#include <QHash>
#include <QRandomGenerator>
#include <QTest>
#include <algorithm>

using namespace orvane::db;
using orvane::jet::TableData;

namespace {

using Row = std::vector<std::optional<QString>>;

TableData table(const QString& name, const QStringList& columns, std::vector<Row> rows)
{
    TableData t;
    t.name = name;
    t.columns = columns;
    t.rows = std::move(rows);
    return t;
}

// A table source over a fixed set of tables that counts how often each is read.
struct MemorySource {
    QHash<QString, TableData> tables;   // key: upper-case name
    std::shared_ptr<QHash<QString, int>> reads = std::make_shared<QHash<QString, int>>();

    void add(TableData t) { tables.insert(t.name.toUpper(), std::move(t)); }

    TableSource source() const
    {
        return [tables = tables, reads = reads](const QString& name) {
            const auto it = tables.constFind(name.toUpper());
            if (it == tables.constEnd())
                throw JetError(kTableNotFound, QStringLiteral("no table"));
            ++(*reads)[it->name];
            return *it;
        };
    }
};

const QString kNotice = QStringLiteral("  Orvane-INT Notice");

// Section 09 of a small database: texts chosen so that each worked search
// example has a distinct answer.
MemorySource sampleSource()
{
    MemorySource s;
    s.add(table("AuthorizedTablesTab", {"UserTableName", "dbTableName"},
                {{"Section VIII-1", "INT08"}, {"Section IX", "INT09"}}));
    s.add(table("INT09", {"INTER_STR", "INTER_TEXT", "vol"},
                {{"IX-89-12", "Subject: QW-406 minimum PREHEAT temperature", "12"},
                 {"IX-92-01", "Subject: preheat maintenance", "14"},
                 {"IX-95-30", "Subject: the minimum thickness", "17"},
                 {kNotice, "Notice text", std::nullopt},
                 {"IX-01-07", "Subject: interpass minimum preheat", std::nullopt},
                 {"ix-77-01", std::nullopt, "1"}}));
    s.add(table("INX09", {"Reference", "INTER_STR", "section"},
                {{"QW-406", "IX-89-12", "09"},
                 {"QW-406", "IX-92-01", "09"},
                 {"qw-406", "IX-89-12", "09"},
                 {"QW-406", "VIII-1-83-100", "08"},
                 {"QW-407", "IX-95-30", "09"},
                 {"QW-200.1", "IX-01-07", "09"},
                 {std::nullopt, "IX-92-01", "09"}}));
    s.add(table("INT08", {"INTER_STR", "INTER_TEXT", "vol"},
                {{"VIII-1-83-100", "Subject: preheat of shells", "9"}}));
    return s;
}

QStringList column(const Snapshot& s, int c = 0)
{
    QStringList out;
    for (const auto& row : s.rows)
        out << (row[std::size_t(c)] ? *row[std::size_t(c)] : QStringLiteral("<null>"));
    return out;
}

QStringList sorted(QStringList l)
{
    l.sort();
    return l;
}

int errorOf(Database& db, const QString& sql)
{
    try {
        db.execute(sql);
    } catch (const JetError& e) {
        return e.number();
    }
    return 0;
}

} // namespace

class TestEngine : public QObject {
    Q_OBJECT

private slots:
    void init();

    void searchExamples_data();
    void searchExamples();
    void selectionQueries();
    void rowOrders_data();
    void rowOrders();
    void ordersAndLookupsOfManyRows();
    void textComparesIgnoringCase();
    void nullsAndLike();
    void tablesLoadOnceByAnySpelling();
    void errors_data();
    void errors();
    void engineStaysReadOnly();
    void closedDatabase();
    void statementsRunAgain();
    void tableReadOutOfMemory();
    void compactRowsKeepEveryValue();

    void thousandWordSearches();
    void memoryCeiling();
    void loadedTablesCountAgainstCeiling();

private:
    std::unique_ptr<Database> db;
    MemorySource src;
};

void TestEngine::init()
{
    src = sampleSource();
    db = Database::fromTableSource(QStringLiteral("memory"), src.source());
}

void TestEngine::searchExamples_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("ids");

    QTest::newRow("paragraph") << "SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = \"QW-406\""
                               << QStringList{"IX-89-12", "IX-92-01", "VIII-1-83-100"};
    QTest::newRow("and")
        << "SELECT DISTINCT [INTER_STR] FROM INT09 WHERE  [INTER_TEXT] LIKE \"*minimum*\" AND  [INTER_TEXT] LIKE \"*preheat*\""
        << QStringList{"IX-01-07", "IX-89-12"};
    QTest::newRow("or")
        << "SELECT DISTINCT [INTER_STR] FROM INT09 WHERE ( [INTER_TEXT] LIKE \"*minimum*\" OR  [INTER_TEXT] LIKE \"*preheat*\")"
        << QStringList{"IX-01-07", "IX-89-12", "IX-92-01", "IX-95-30"};
    QTest::newRow("phrase")
        << "SELECT DISTINCT [INTER_STR] FROM INT09 WHERE [INTER_TEXT] LIKE \"*minimum preheat*\""
        << QStringList{"IX-01-07", "IX-89-12"};
    QTest::newRow("paragraph and keyword")
        << "SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = \"QW-406\" AND [INTER_STR] IN (SELECT [INTER_STR] FROM INT09 WHERE  [INTER_TEXT] LIKE \"*preheat*\")"
        << QStringList{"IX-89-12", "IX-92-01"};
    QTest::newRow("both empty") << "SELECT DISTINCT [INTER_STR] FROM INX09"
                                << QStringList{"IX-01-07", "IX-89-12", "IX-92-01", "IX-95-30", "VIII-1-83-100"};
    QTest::newRow("empty word in or mode")
        << "SELECT DISTINCT [INTER_STR] FROM INT09 WHERE ( [INTER_TEXT] LIKE \"**\" OR  [INTER_TEXT] LIKE \"*zzz*\")"
        << QStringList{kNotice, "IX-01-07", "IX-89-12", "IX-92-01", "IX-95-30"};
    QTest::newRow("paragraph typed in part") << "SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = \"QW-4\""
                                             << QStringList{};
    QTest::newRow("user wildcard") << "SELECT DISTINCT [INTER_STR] FROM INT09 WHERE [INTER_TEXT] LIKE \"*QW-###*\""
                                   << QStringList{"IX-89-12"};
}

void TestEngine::searchExamples()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, ids);
    QCOMPARE(sorted(column(db->execute(sql))), sorted(ids));
}

void TestEngine::selectionQueries()
{
    // Section list: ordered in General order, the notice first, a lower-case
    // identifier among the upper-case ones.
    const Snapshot all = db->execute("SELECT * FROM [INT09] ORDER BY INTER_STR");
    QCOMPARE(all.columns, (QStringList{"INTER_STR", "INTER_TEXT", "vol"}));
    QCOMPARE(column(all), (QStringList{kNotice, "IX-01-07", "ix-77-01", "IX-89-12", "IX-92-01", "IX-95-30"}));

    // Paragraph list: one entry per paragraph whatever its case, Null first.
    const Snapshot refs = db->execute("SELECT DISTINCT reference FROM INX09 ORDER BY reference");
    QCOMPARE(refs.rows.size(), std::size_t(4));
    QCOMPARE(refs.rows[0][0], std::nullopt);
    QCOMPARE(column(refs).mid(1, 1), QStringList{"QW-200.1"});
    QCOMPARE(column(refs).at(2).toUpper(), QStringLiteral("QW-406"));
    QCOMPARE(column(refs).at(3), QStringLiteral("QW-407"));

    // Lookups, including the notice with its leading blanks.
    const Snapshot one = db->execute("SELECT * FROM [INX09] WHERE INTER_STR = \"IX-95-30\"");
    QCOMPARE(one.rows.size(), std::size_t(1));
    QCOMPARE(one.rows[0][0], std::optional<QString>("QW-407"));
    QCOMPARE(column(db->execute(QStringLiteral("SELECT * FROM [INT09] WHERE INTER_STR = \"%1\"").arg(kNotice)), 1),
             QStringList{"Notice text"});
    QCOMPARE(db->execute("SELECT * FROM [INT09] WHERE INTER_STR = \"Orvane-INT Notice\"").rows.size(),
             std::size_t(0));

    QCOMPARE(column(db->execute("SELECT * FROM AuthorizedTablesTab"), 1), (QStringList{"INT08", "INT09"}));
}

void TestEngine::rowOrders_data()
{
    // Rows come out in an order the statement asks for or that Jet gives a
    // DISTINCT (General order); equal values keep the order of the file,
    // reversed when descending.
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("distinct search")
        << "SELECT DISTINCT [INTER_STR] FROM INT09 WHERE [INTER_TEXT] LIKE \"*preheat*\""
        << QStringList{"IX-01-07", "IX-89-12", "IX-92-01"};
    QTest::newRow("descending, Null last") << "SELECT [Reference] FROM INX09 ORDER BY [Reference] DESC"
                                           << QStringList{"QW-407", "QW-406", "qw-406", "QW-406", "QW-406",
                                                          "QW-200.1", "<null>"};
    QTest::newRow("equal values in file order") << "SELECT [section] FROM INX09 ORDER BY [Reference]"
                                                << QStringList{"09", "09", "09", "09", "09", "08", "09"};
    QTest::newRow("looked up, ordered by another column")
        << "SELECT [INTER_STR] FROM INX09 WHERE [Reference] = \"qw-406\" ORDER BY [INTER_STR] DESC"
        << QStringList{"VIII-1-83-100", "IX-92-01", "IX-89-12", "IX-89-12"};
    QTest::newRow("looked up in a list")
        << "SELECT [INTER_STR] FROM INT09 WHERE [INTER_STR] IN (\"IX-95-30\", \"ix-01-07\") ORDER BY [INTER_STR]"
        << QStringList{"IX-01-07", "IX-95-30"};
    QTest::newRow("number against text") << "SELECT [INTER_STR] FROM INT09 WHERE [vol] = 14"
                                         << QStringList{"IX-92-01"};
    QTest::newRow("two sort keys") << "SELECT [INTER_STR] FROM INX09 ORDER BY [section], [INTER_STR] DESC"
                                   << QStringList{"VIII-1-83-100", "IX-95-30", "IX-92-01", "IX-92-01", "IX-89-12",
                                                  "IX-89-12", "IX-01-07"};
}

void TestEngine::rowOrders()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, rows);
    QCOMPARE(column(db->execute(sql)), rows);
}

void TestEngine::ordersAndLookupsOfManyRows()
{
    // Many rows of few distinct values (case and accents varied, Nulls, in
    // no order): a sort lists them as a stable sort in General order does,
    // and every lookup finds exactly the rows that compare equal.
    const QStringList words{"qw-406", "QW-406", "Qw-407", "a", "A", "é", "e", "E", "", "z1", "Z1 "};
    QRandomGenerator random(1209);
    std::vector<Row> rows;
    for (int i = 0; i < 600; ++i) {
        const int w = int(random.bounded(words.size() + 1));
        rows.push_back({QString::number(i), w == words.size() ? std::optional<QString>() : words[w]});
    }
    MemorySource many;
    many.add(table("M", {"n", "w"}, rows));
    auto d = Database::fromTableSource("memory", many.source());
    std::vector<Row> expected = rows;
    std::stable_sort(expected.begin(), expected.end(), [](const Row& a, const Row& b) {
        if (!a[1] || !b[1])
            return !a[1] && b[1];
        return jetCompare(*a[1], *b[1]) < 0;
    });
    QStringList order;
    for (const Row& r : expected)
        order << *r[0];
    QCOMPARE(column(d->execute("SELECT n FROM M ORDER BY w")), order);
    for (const QString& word : words) {
        QStringList found;
        for (const Row& r : rows)
            if (r[1] && jetCompare(*r[1], word) == 0)
                found << *r[0];
        QCOMPARE(column(d->execute(QStringLiteral("SELECT n FROM M WHERE w = \"%1\"").arg(word))), found);
    }
}

void TestEngine::textComparesIgnoringCase()
{
    QCOMPARE(column(db->execute("SELECT INTER_STR FROM INT09 WHERE INTER_STR = \"IX-77-01\"")),
             QStringList{"ix-77-01"});
    QCOMPARE(column(db->execute("SELECT INTER_STR FROM INT09 WHERE INTER_STR IN (\"ix-89-12\", \"IX-92-01\")")).size(),
             2);
    // IN with a sub-query compares the same way.
    QCOMPARE(sorted(column(db->execute(
                 "SELECT INTER_STR FROM INT09 WHERE INTER_STR IN (SELECT UCASE(INTER_STR) FROM INT09 WHERE vol = \"1\")"))),
             QStringList{"ix-77-01"});
    QCOMPARE(db->execute("SELECT DISTINCT [Reference] FROM INX09 WHERE [Reference] LIKE \"qw-406\"").rows.size(),
             std::size_t(1));
    // A trailing blank is not ignored.
    QCOMPARE(db->execute("SELECT * FROM INT09 WHERE INTER_STR = \"IX-89-12 \"").rows.size(), std::size_t(0));
}

void TestEngine::nullsAndLike()
{
    // A Null text matches no pattern, not even "*", and NOT LIKE neither.
    QCOMPARE(column(db->execute("SELECT INTER_STR FROM INT09 WHERE INTER_TEXT LIKE \"*\"")).size(), 5);
    QCOMPARE(column(db->execute("SELECT INTER_STR FROM INT09 WHERE INTER_TEXT NOT LIKE \"*preheat*\"")),
             (QStringList{"IX-95-30", kNotice}));
    QCOMPARE(column(db->execute("SELECT INTER_STR FROM INT09 WHERE INTER_TEXT IS NULL")),
             QStringList{"ix-77-01"});
    // A pattern taken from a column is checked row by row.
    QCOMPARE(column(db->execute("SELECT INTER_STR FROM INT09 WHERE INTER_STR LIKE INTER_STR & \"*\"")).size(), 6);
}

void TestEngine::tablesLoadOnceByAnySpelling()
{
    db->execute("SELECT * FROM int09");
    db->execute("SELECT * FROM [INT09] WHERE inter_str = \"x\"");
    db->execute("SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [INTER_STR] IN (SELECT [INTER_STR] FROM Int09)");
    QCOMPARE(src.reads->value("INT09"), 1);
    QCOMPARE(src.reads->value("INX09"), 1);
    QCOMPARE(src.reads->value("INT08"), 0);   // only named tables are read
}

void TestEngine::errors_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("number");
    QTest::newRow("missing table") << "SELECT * FROM INT77" << 3078;
    QTest::newRow("missing table in sub-query")
        << "SELECT * FROM INX09 WHERE INTER_STR IN (SELECT INTER_STR FROM INT77)" << 3078;
    QTest::newRow("engine catalog") << "SELECT * FROM sqlite_master" << 3078;
    QTest::newRow("unknown column") << "SELECT [nosuch] FROM INT09" << 3075;
    QTest::newRow("unknown column in where") << "SELECT * FROM INT09 WHERE nosuch = \"x\"" << 3075;
    QTest::newRow("invalid literal pattern") << "SELECT * FROM INT09 WHERE INTER_TEXT LIKE \"*[abc*\"" << 3075;
    QTest::newRow("invalid pattern from a column")
        << "SELECT * FROM INT09 WHERE INTER_TEXT LIKE INTER_STR & \"[\"" << 3075;
    QTest::newRow("second statement") << "SELECT * FROM INT09; DROP TABLE INT09" << 3075;
    QTest::newRow("update") << "UPDATE INT09 SET vol = \"1\"" << 3075;
    QTest::newRow("attach") << "ATTACH DATABASE '/tmp/x.db' AS x" << 3075;
    QTest::newRow("pragma") << "PRAGMA query_only=0" << 3075;
    QTest::newRow("bad syntax") << "SELECT FROM WHERE" << 3075;
}

void TestEngine::errors()
{
    QFETCH(QString, sql);
    QFETCH(int, number);
    try {
        db->execute(sql);
        QFAIL("no error");
    } catch (const JetError& e) {
        QCOMPARE(e.number(), number);
        QVERIFY2(!e.message().contains("sqlite", Qt::CaseInsensitive), qPrintable(e.message()));
    }
    // The database stays usable after any failure.
    QCOMPARE(db->execute("SELECT * FROM INT08").rows.size(), std::size_t(1));
}

void TestEngine::engineStaysReadOnly()
{
    db->execute("SELECT * FROM INT09");
    // Literals that look like SQL stay literals and change nothing.
    QCOMPARE(errorOf(*db, "SELECT * FROM INT09 WHERE INTER_STR = \"x\"\"; DELETE FROM INT09; --\""), 0);
    QCOMPARE(errorOf(*db, "SELECT * FROM INT09 WHERE INTER_STR = \"]\" OR INTER_STR = \";\""), 0);
    QCOMPARE(errorOf(*db, "SELECT * FROM INT09 WHERE INTER_STR = \"\" OR 1=1 --\""), 3075);
    QCOMPARE(db->execute("SELECT * FROM INT09").rows.size(), std::size_t(6));
}

void TestEngine::closedDatabase()
{
    QVERIFY(db->isOpen());
    db->close();
    QVERIFY(!db->isOpen());
    QCOMPARE(errorOf(*db, "SELECT * FROM INT09"), 3420);
}

void TestEngine::statementsRunAgain()
{
    // A statement run again with other texts (kept prepared, the texts
    // bound): each run answers for its own texts, also after a run that a
    // caller broke off, and while a run of the same statement is under way.
    const QString lookup = QStringLiteral("SELECT * FROM [INT09] WHERE INTER_STR = \"%1\"");
    const auto textOf = [&](const QString& id) { return column(db->execute(lookup.arg(id)), 1); };
    QCOMPARE(textOf("IX-92-01"), QStringList{"Subject: preheat maintenance"});
    QCOMPARE(textOf("IX-95-30"), QStringList{"Subject: the minimum thickness"});
    QCOMPARE(textOf("IX-00-00"), QStringList());

    const QString all = QStringLiteral("SELECT INTER_STR FROM INT09 WHERE INTER_STR <> \"x\" ORDER BY INTER_STR");
    struct Stop {};
    QVERIFY_THROWS_EXCEPTION(Stop, db->stream(all, [](const QStringList&) {}, [](const RowCells&) { throw Stop(); }));
    QCOMPARE(column(db->execute(all)).size(), 6);

    QStringList outer, inner;
    db->stream(all, [](const QStringList&) {}, [&](const RowCells& row) {
        outer << QString::fromUtf8(row[0]->data(), qsizetype(row[0]->size()));
        if (outer.size() == 2)
            inner = column(db->execute(all));
    });
    QCOMPARE(outer, column(db->execute(all)));
    QCOMPARE(inner, outer);

    // A text in the select list still names its column.
    QCOMPARE(db->execute("SELECT \"v\", INTER_STR FROM INT08 WHERE INTER_STR = \"VIII-1-83-100\"").columns,
             (QStringList{"'v'", "INTER_STR"}));
}

void TestEngine::tableReadOutOfMemory()
{
    // Memory running out in the reader is the engine's resource error, not
    // a missing table; the next statement works.
    auto failing = Database::fromTableSource("memory", [source = src.source()](const QString& name) {
        if (name == QLatin1String("INT09"))
            throw std::bad_alloc();
        return source(name);
    });
    QCOMPARE(errorOf(*failing, "SELECT * FROM INT09"), int(kSystemResourceExceeded));
    QCOMPARE(failing->execute("SELECT * FROM INT08").rows.size(), db->execute("SELECT * FROM INT08").rows.size());
}

void TestEngine::compactRowsKeepEveryValue()
{
    // The compact form holds its values in shared blocks: every value comes
    // back as the plain form has it, whether empty (not Null), Null, longer
    // than a block, or the one that fills a block up.
    std::vector<Row> rows{{QString(""), std::nullopt}, {QString(300 * 1024, u'L'), QString("x")}};
    for (int i = 0; i < 2000; ++i)
        rows.push_back({QString(1000 + i % 7, QChar(u'a' + i % 26)), i % 3 ? QString::number(i) : QString("")});
    MemorySource s;
    s.add(table("T", {"a", "b"}, rows));
    auto d = Database::fromTableSource("compact", s.source());
    const Snapshot plain = d->execute("SELECT * FROM T");
    const CompactSnapshot compact = d->executeCompact("SELECT * FROM T");
    QCOMPARE(compact.rowCount(), plain.rows.size());
    for (std::size_t r = 0; r < plain.rows.size(); ++r)
        for (int c = 0; c < 2; ++c) {
            const auto& want = plain.rows[r][std::size_t(c)];
            const auto got = compact.cell(r, c);
            if (bool(want) != bool(got) || (got && QString::fromUtf8(*got) != *want))
                QFAIL(qPrintable(QStringLiteral("row %1, column %2 differs").arg(r).arg(c)));
        }
}

void TestEngine::thousandWordSearches()
{
    // 1,000 and 1,500 distinct words, as the program writes them: And
    // finds the texts holding every word, Or the texts holding any, also
    // under a paragraph; the answer is what testing each word gives.
    QStringList vocabulary;
    for (int i = 0; i < 1500; ++i)
        vocabulary << QStringLiteral("w%1x").arg(i * 7919 % 100000);
    QRandomGenerator rng(1000);
    std::vector<Row> texts, index;
    for (int i = 0; i < 60; ++i) {
        const QString id = QStringLiteral("IX-%1").arg(i, 2, 10, QLatin1Char('0'));
        // A few texts hold the whole vocabulary (in upper case), the rest
        // some of it or nothing of it.
        QStringList words;
        if (i % 20 == 3)
            words = vocabulary;
        else if (i % 20 == 4)
            words = vocabulary.mid(0, 999);
        else
            for (int k = int(rng.bounded(30)); k > 0; --k)
                words << vocabulary[rng.bounded(int(vocabulary.size()))];
        texts.push_back({id, i % 20 == 3 ? words.join(' ').toUpper() : words.join(' ')});
        index.push_back({i % 2 ? "QW-406" : "QW-407", id});
    }
    MemorySource many;
    many.add(table("INT09", {"INTER_STR", "INTER_TEXT"}, texts));
    many.add(table("INX09", {"Reference", "INTER_STR"}, index));
    auto words = Database::fromTableSource("memory", many.source());

    for (const int count : {1000, 1500}) {
        const QStringList typed = vocabulary.mid(0, count);
        for (const bool isAnd : {true, false}) {
            // The statement as the search builds it.
            QString clause = QStringLiteral("FROM INT09 WHERE ") + (isAnd ? "" : "(");
            for (int i = 0; i < typed.size(); ++i)
                clause += (i ? (isAnd ? " AND " : " OR ") : "") + QStringLiteral(" [INTER_TEXT] LIKE \"*%1*\"").arg(typed[i]);
            clause += isAnd ? "" : ")";
            for (const bool paragraph : {false, true}) {
                const QString sql = paragraph ? "SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = \"QW-406\" AND "
                                                "[INTER_STR] IN (SELECT [INTER_STR] " + clause + ")"
                                              : "SELECT DISTINCT [INTER_STR] " + clause;
                QStringList expected;
                for (std::size_t r = 0; r < texts.size(); ++r) {
                    if (paragraph && index[r][0] != QStringLiteral("QW-406"))
                        continue;
                    bool match = isAnd;
                    for (const QString& w : typed) {
                        if (JetLikePattern("*" + w + "*").matches(*texts[r][1]) != isAnd) {
                            match = !isAnd;
                            break;
                        }
                    }
                    if (match)
                        expected << *texts[r][0];
                }
                QStringList got = column(words->execute(sql));
                got.sort();
                QCOMPARE(got, expected);
                QVERIFY(!expected.isEmpty());
            }
        }
    }
}

void TestEngine::memoryCeiling()
{
    // A cross join whose distinct rows need far more than the ceiling.
    std::vector<Row> rows;
    for (int i = 0; i < 200; ++i)
        rows.push_back({QString::number(i), QString(400, QChar('a' + i % 26)) + QString::number(i)});
    MemorySource big;
    big.add(table("T", {"k", "v"}, rows));
    auto crossDb = Database::fromTableSource("memory", big.source());
    QCOMPARE(crossDb->execute("SELECT k FROM T WHERE k = \"7\"").rows.size(), std::size_t(1));

    const qint64 before = Database::memoryCeiling();
    QCOMPARE(before, Database::kDefaultMemoryCeiling);
    Database::setMemoryCeiling(24 << 20);
    const QString cross = "SELECT DISTINCT a.v & b.v & c.v FROM T AS a, T AS b, T AS c";
    try {
        crossDb->execute(cross);
        Database::setMemoryCeiling(before);
        QFAIL("the cross join ran under the ceiling");
    } catch (const JetError& e) {
        Database::setMemoryCeiling(before);
        QCOMPARE(e.number(), int(kSystemResourceExceeded));
        QCOMPARE(e.message(), QStringLiteral("System resource exceeded."));
    }
    // The same database answers the next statements.
    QCOMPARE(crossDb->execute("SELECT k FROM T WHERE v LIKE \"*b27*\" OR v LIKE \"*b53*\"").rows.size(), std::size_t(2));

    // Rows collected for the caller count too: 40,000 rows of 800 characters
    // need little of the engine's own memory but far more than the ceiling
    // once held. Stepped one at a time, the same rows pass.
    const QString pairs = "SELECT a.v, b.v FROM T AS a, T AS b";
    Database::setMemoryCeiling(24 << 20);
    int collected = 0;
    for (int compact = 0; compact < 2; ++compact) {
        try {
            if (compact)
                crossDb->executeCompact(pairs);
            else
                crossDb->execute(pairs);
        } catch (const JetError& e) {
            if (e.number() == int(kSystemResourceExceeded))
                ++collected;
        }
    }
    std::size_t stepped = 0;
    int streamError = 0;
    try {
        crossDb->stream(pairs, [](const QStringList&) {}, [&](const RowCells& row) { stepped += row.size() == 2; });
    } catch (const JetError& e) {
        streamError = e.number();
    }
    Database::setMemoryCeiling(before);
    QCOMPARE(collected, 2);
    QCOMPARE(streamError, 0);
    QCOMPARE(stepped, std::size_t(40000));
    // What a failed collection counted is released with it.
    QCOMPARE(crossDb->execute("SELECT COUNT(*) AS n FROM T AS a, T AS b").rows.at(0).at(0), QStringLiteral("40000"));
}

void TestEngine::loadedTablesCountAgainstCeiling()
{
    // A table's rows count against the ceiling once loaded: one larger than
    // the ceiling is refused, the engine stays usable, and it loads later
    // under a ceiling that has room for it.
    std::vector<Row> rows;
    for (int i = 0; i < 3000; ++i)
        rows.push_back({QString::number(i), QString(2000, QChar(u'a' + i % 26))});
    MemorySource big;
    big.add(table("T", {"k", "v"}, rows));
    big.add(table("S", {"k"}, {{"1"}}));
    auto d = Database::fromTableSource("memory", big.source());
    const qint64 before = Database::memoryCeiling();
    Database::setMemoryCeiling(4 << 20);
    const int refused = errorOf(*d, "SELECT k FROM T WHERE k = \"7\"");
    const std::size_t small = d->execute("SELECT * FROM S").rows.size();
    Database::setMemoryCeiling(before);
    QCOMPARE(refused, int(kSystemResourceExceeded));
    QCOMPARE(small, std::size_t(1));
    QCOMPARE(column(d->execute("SELECT k FROM T WHERE k = \"2999\"")), QStringList{"2999"});
}

QTEST_APPLESS_MAIN(TestEngine)
#include "tst_engine.moc"
