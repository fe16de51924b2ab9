// Files written by the Jet 3 writer, read back by two readers this project
// did not write: mdb-export (mdbtools) and mdb-reader (npm).

#include "db/jet/JetWriter.h"
#include "support_jetreaders.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <set>

using namespace orvane::jet;
using namespace orvane::jet::test;

// Runs every available reader over the file; skips (after checking with the
// other one) only when a reader is not installed.
#define CROSS_CHECK(path, db)                                                                    \
    do {                                                                                         \
        const QString noExport_ = mdbExportMissing();                                            \
        const QString noReader_ = mdbReaderMissing();                                            \
        if (noExport_.isEmpty()) {                                                               \
            const QString diff_ = compareWithMdbExport(path, db);                                \
            QVERIFY2(diff_.isEmpty(), qPrintable(diff_));                                        \
        }                                                                                        \
        if (noReader_.isEmpty()) {                                                               \
            const QString diff_ = compareWithMdbReader(path, db);                                \
            QVERIFY2(diff_.isEmpty(), qPrintable(diff_));                                        \
        }                                                                                        \
        if (!noExport_.isEmpty() || !noReader_.isEmpty())                                        \
            QSKIP(qPrintable(QStringLiteral("cross-check incomplete: ") + noExport_              \
                             + QLatin1Char(' ') + noReader_));                                   \
    } while (false)

namespace {

const QString kSpecials = QStringLiteral("°±é§€ŸœŠ‰–—‘’“”•™ÿ");

// Deterministic text mixing ASCII and the code page's upper half, so that a
// misplaced chunk boundary or a wrong byte shows up as a difference.
QString sampleText(int length, quint32 seed)
{
    QRandomGenerator rng(seed);
    static const QString alphabet = QStringLiteral("abcdefghijklmnopqrstuvwxyz ABCDEFGHIJ0123456789,.;\"'\n") + kSpecials;
    QString s(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        s[i] = alphabet[rng.bounded(int(alphabet.size()))];
    return s;
}

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

CellValue null()
{
    return std::monostate{};
}

bool sameFileSet(const QDir& dir, const QStringList& expected)
{
    return dir.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot) == expected;
}

} // namespace

class TestJetWriter : public QObject {
    Q_OBJECT

    QTemporaryDir tmp_;

    QString path(const QString& name) const { return tmp_.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(tmp_.isValid()); }

    void everyColumnTypeAndNull()
    {
        DatabaseDef db;
        TableDef t;
        t.name = QStringLiteral("Référence °C");
        t.columns = {
            {QStringLiteral("Txt"), ColumnType::Text, 60},
            {QStringLiteral("Lng"), ColumnType::Long},
            {QStringLiteral("Sml"), ColumnType::Int},
            {QStringLiteral("Yes"), ColumnType::Bool},
            {QStringLiteral("Dbl"), ColumnType::Double},
            {QStringLiteral("When"), ColumnType::DateTime},
            {QStringLiteral("Mémo §"), ColumnType::Memo},
        };
        t.rows = {
            {QStringLiteral("plain"), qint64(0), qint64(0), true, 3.25, at(2014, 1, 2, 3, 4, 5), QStringLiteral("short")},
            {QString(), qint64(-2147483648LL), qint64(-32768), false, -0.1, at(1999, 12, 31, 23, 59, 59), QString()},
            {null(), qint64(2147483647), qint64(32767), null(), 1e300, at(1900, 3, 1), null()},
            {kSpecials, null(), null(), qint64(1), null(), null(), kSpecials + sampleText(300, 1)},
            {QStringLiteral("comma, \"quote\"\nline"), qint64(42), qint64(-7), true, 2.5e-10, at(2038, 1, 19, 3, 14, 8), QStringLiteral("a")},
            {null(), null(), null(), null(), null(), null(), null()},
        };
        db.tables.push_back(t);
        TableDef second;
        second.name = QStringLiteral("Second");
        second.columns = {{QStringLiteral("OnlyLong"), ColumnType::Long}};
        second.rows = {{qint64(1)}, {null()}, {qint64(3)}};
        db.tables.push_back(second);
        TableDef empty;
        empty.name = QStringLiteral("Empty");
        empty.columns = {{QStringLiteral("A"), ColumnType::Text, 10}, {QStringLiteral("B"), ColumnType::Bool}};
        db.tables.push_back(empty);

        const QString file = path(QStringLiteral("types.mdb"));
        writeDatabase(file, db);
        CROSS_CHECK(file, db);
    }

    // Inline memos, a single long-value row and chains of rows, around each
    // threshold, sharing long-value pages with each other.
    void memoLengths()
    {
        DatabaseDef db;
        TableDef t;
        t.name = QStringLiteral("Memos");
        t.columns = {{QStringLiteral("Len"), ColumnType::Long},
                     {QStringLiteral("Body"), ColumnType::Memo},
                     {QStringLiteral("Tail"), ColumnType::Text, 20},
                     {QStringLiteral("Second"), ColumnType::Memo}};
        const int lengths[] = {0, 1, 63, 64, 65, 100, 2000, 2011, 2012, 2013, 2032, 2033, 4064, 4065, 50000};
        quint32 seed = 10;
        for (int n : lengths)
            t.rows.push_back({qint64(n), sampleText(n, seed++), QStringLiteral("after %1").arg(n), null()});
        // Two long values in one row, and a row whose short memos must leave
        // the row because the text around them fills it.
        t.rows.push_back({qint64(-1), sampleText(3000, 99), null(), sampleText(70000, 98)});
        db.tables.push_back(t);

        TableDef full;
        full.name = QStringLiteral("FullRow");
        for (int i = 0; i < 7; ++i)
            full.columns.push_back({QStringLiteral("T%1").arg(i), ColumnType::Text, 255});
        full.columns.push_back({QStringLiteral("M1"), ColumnType::Memo});
        full.columns.push_back({QStringLiteral("M2"), ColumnType::Memo});
        std::vector<CellValue> row;
        for (int i = 0; i < 7; ++i)
            row.push_back(sampleText(255, 200 + i));
        row.push_back(sampleText(60, 300));
        row.push_back(sampleText(64, 301));
        full.rows.push_back(row);
        full.rows.push_back(row);
        db.tables.push_back(full);

        const QString file = path(QStringLiteral("memos.mdb"));
        writeDatabase(file, db);
        CROSS_CHECK(file, db);
    }

    // Row lengths sweep across 256 and 512 (where the jump table grows, with
    // and without a filler byte) and up to the 2012-byte limit.
    void rowLengthsAroundJumpsAndLimit()
    {
        DatabaseDef db;
        TableDef t;
        t.name = QStringLiteral("Rows");
        t.columns.push_back({QStringLiteral("N"), ColumnType::Long});
        for (int i = 0; i < 8; ++i)
            t.columns.push_back({QStringLiteral("C%1").arg(i), ColumnType::Text, 255});

        // Spreads `total` bytes over the eight text columns in one of three
        // patterns, so that the 256-byte crossings fall in different columns.
        auto rowOf = [](int total, int pattern) {
            std::vector<CellValue> row{qint64(total)};
            std::vector<int> sizes(8, 0);
            int left = total;
            for (int k = 0; k < 8 && left > 0; ++k) {
                const int col = pattern == 1 ? 7 - k : k;
                const int take = std::min(left, pattern == 2 ? std::min(255, total / 3 + 1) : 255);
                sizes[col] = take;
                left -= take;
            }
            for (int k = 0; k < 8 && left > 0; ++k) { // pattern 2 may leave a rest
                const int more = std::min(left, 255 - sizes[k]);
                sizes[k] += more;
                left -= more;
            }
            for (int k = 0; k < 8; ++k)
                row.push_back(sizes[k] ? CellValue(sampleText(sizes[k], quint32(total * 8 + k))) : (k % 2 ? null() : CellValue(QString())));
            return row;
        };
        const std::pair<int, int> ranges[] = {{220, 260}, {480, 520}, {730, 760}, {1960, 1988}};
        for (auto [from, to] : ranges)
            for (int total = from; total <= to; ++total)
                for (int pattern = 0; pattern < 3; ++pattern)
                    t.rows.push_back(rowOf(total, pattern));
        db.tables.push_back(t);

        const QString file = path(QStringLiteral("rows.mdb"));
        writeDatabase(file, db);

        const std::vector<RawTable> raw = rawTables(file);
        const auto user = std::find_if(raw.begin(), raw.end(), [](const RawTable& r) { return r.definitionPage != 2; });
        QVERIFY(user != raw.end());
        const std::set<int> lengths(user->rowLengths.begin(), user->rowLengths.end());
        for (int want : {255, 256, 258, 511, 512, 514, 2012})
            QVERIFY2(lengths.count(want), qPrintable(QStringLiteral("no row of %1 bytes was written").arg(want)));
        QCOMPARE(*lengths.rbegin(), 2012);
        CROSS_CHECK(file, db);
    }

    void fiveThousandRows()
    {
        DatabaseDef db;
        TableDef t;
        t.name = QStringLiteral("INT08");
        t.columns = {{QStringLiteral("INTER_STR"), ColumnType::Text, 20},
                     {QStringLiteral("INTER_TEXT"), ColumnType::Memo},
                     {QStringLiteral("vol"), ColumnType::Text, 10},
                     {QStringLiteral("Seq"), ColumnType::Long},
                     {QStringLiteral("Done"), ColumnType::Bool}};
        for (int i = 0; i < 5000; ++i) {
            t.rows.push_back({QStringLiteral("VIII-1-%1").arg(i, 5, 10, QLatin1Char('0')),
                              i % 7 == 0 ? null() : CellValue(sampleText(i % 400, quint32(i))),
                              i % 11 == 0 ? null() : CellValue(QString::number(i % 60)), qint64(i), i % 3 == 0});
        }
        db.tables.push_back(t);
        const QString file = path(QStringLiteral("many.mdb"));
        writeDatabase(file, db);
        CROSS_CHECK(file, db);
    }

    // A catalog over several pages and a table definition over several pages.
    void manyTablesAndAWideTable()
    {
        DatabaseDef db;
        for (int i = 0; i < 120; ++i) {
            TableDef t;
            t.name = QStringLiteral("Table number %1 with a fairly long name").arg(i);
            t.columns = {{QStringLiteral("V"), ColumnType::Long}};
            t.rows = {{qint64(i)}};
            db.tables.push_back(t);
        }
        TableDef wide;
        wide.name = QStringLiteral("Wide");
        std::vector<CellValue> row;
        for (int i = 0; i < 200; ++i) {
            const bool text = i % 2;
            wide.columns.push_back({QStringLiteral("Column %1 whose name takes up a good part of sixty-four").arg(i, 3, 10, QLatin1Char('0')),
                                    text ? ColumnType::Text : ColumnType::Long, 8});
            row.push_back(text ? CellValue(QStringLiteral("v%1").arg(i)) : CellValue(qint64(i)));
        }
        wide.rows = {row, row};
        db.tables.push_back(wide);

        const QString file = path(QStringLiteral("tables.mdb"));
        writeDatabase(file, db);
        CROSS_CHECK(file, db);
    }

    void password_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("none") << QString();
        QTest::newRow("program's") << QStringLiteral("tolvaren");
        QTest::newRow("one character") << QStringLiteral("x");
        QTest::newRow("twenty, code page") << QStringLiteral("°±é§€abcdefghijklmno");
    }

    void password()
    {
        QFETCH(QString, password);
        DatabaseDef db;
        db.password = password;
        db.tables.push_back({QStringLiteral("T"), {{QStringLiteral("A"), ColumnType::Long}}, {{qint64(5)}}});
        const QString file = path(QStringLiteral("password.mdb"));
        writeDatabase(file, db);

        // The 20 bytes at 0x42 are the password XORed with this stretch of the
        // header's RC4 keystream (key C7 DA 39 6B), NUL-padded.
        static const unsigned char keystream[20] = {0x86, 0xFB, 0xEC, 0x37, 0x5D, 0x44, 0x9C, 0xFA, 0xC6, 0x5E,
                                                    0x28, 0xE6, 0x13, 0xB6, 0x8A, 0x60, 0x54, 0x94, 0x7B, 0x36};
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray head = f.read(0x56);
        QCOMPARE(head.mid(4, 15), QByteArray("Standard Jet DB"));
        QCOMPARE(int(head[0x14]), 0);
        QByteArray plain;
        for (int i = 0; i < 20; ++i)
            plain += char(quint8(head[0x42 + i]) ^ keystream[i]);
        const qsizetype nul = plain.indexOf('\0');
        QVERIFY(plain.mid(nul < 0 ? 20 : nul).count('\0') == (nul < 0 ? 0 : 20 - nul)); // padded with NULs only
        QCOMPARE(QString::fromLatin1(plain.left(nul < 0 ? 20 : nul)).size(), password.size());

        CROSS_CHECK(file, db);
    }

    // Tables whose pages spread over more than 1024 pages need type 1 maps;
    // a small table after them still gets a type 0 map.
    void largeFileUsesBitmapPageMaps()
    {
        DatabaseDef db;
        TableDef big;
        big.name = QStringLiteral("Big");
        big.columns = {{QStringLiteral("N"), ColumnType::Long}, {QStringLiteral("Text"), ColumnType::Memo}};
        for (int i = 0; i < 1800; ++i)
            big.rows.push_back({qint64(i), sampleText(1500 + i % 500, quint32(i))});
        db.tables.push_back(big);
        TableDef small;
        small.name = QStringLiteral("Small");
        small.columns = {{QStringLiteral("S"), ColumnType::Text, 10}};
        small.rows = {{QStringLiteral("one")}, {QStringLiteral("two")}};
        db.tables.push_back(small);

        const QString file = path(QStringLiteral("large.mdb"));
        writeDatabase(file, db);
        QVERIFY(QFileInfo(file).size() > 2 * 1024 * 1024);

        std::vector<int> mapTypes;
        for (const RawTable& r : rawTables(file))
            if (r.definitionPage != 2)
                mapTypes.push_back(r.usageMapType);
        QCOMPARE(mapTypes, (std::vector<int>{1, 0}));
        CROSS_CHECK(file, db);
    }

    void rejectsWhatCannotBeStored_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QStringList>("mentions");
        QTest::newRow("text longer than column") << 0 << QStringList{"\"T\"", "row 2", "\"Name\"", "longer"};
        QTest::newRow("value outside code page") << 1 << QStringList{"\"T\"", "row 3", "\"Name\"", "U+03A9"};
        QTest::newRow("table name outside code page") << 2 << QStringList{"Ω"};
        QTest::newRow("row too long") << 3 << QStringList{"\"T\"", "row 1", "2012"};
        QTest::newRow("password too long") << 4 << QStringList{"password", "21", "20"};
        QTest::newRow("password outside code page") << 5 << QStringList{"password"};
        QTest::newRow("duplicate table, other case") << 6 << QStringList{"two tables", "\"t\""};
        QTest::newRow("catalog's own name") << 7 << QStringList{"two tables", "MSysObjects"};
        QTest::newRow("duplicate column") << 8 << QStringList{"\"T\"", "two columns", "\"NAME\""};
        QTest::newRow("text in LONG column") << 9 << QStringList{"\"T\"", "row 1", "\"N\"", "whole number"};
        QTest::newRow("INT out of range") << 10 << QStringList{"\"T\"", "row 1", "\"I\"", "40000"};
        QTest::newRow("LONG out of range") << 16 << QStringList{"\"T\"", "row 3", "\"N\"", "3000000000"};
        QTest::newRow("too few values") << 11 << QStringList{"\"T\"", "row 2", "1 values", "2 columns"};
        QTest::newRow("TEXT size 256") << 12 << QStringList{"\"T\"", "\"Name\"", "256"};
        QTest::newRow("no columns") << 13 << QStringList{"\"T\"", "no columns"};
        QTest::newRow("invalid date") << 14 << QStringList{"\"T\"", "row 1", "\"D\""};
        QTest::newRow("bracket in column name") << 15 << QStringList{"\"T\"", "\"A[1]\""};
    }

    void rejectsWhatCannotBeStored()
    {
        QFETCH(int, fault);
        QFETCH(QStringList, mentions);
        DatabaseDef db;
        TableDef t{QStringLiteral("T"), {{QStringLiteral("Name"), ColumnType::Text, 5}, {QStringLiteral("N"), ColumnType::Long}}, {}};
        t.rows = {{QStringLiteral("ok"), qint64(1)}, {QStringLiteral("fine"), qint64(2)}, {QStringLiteral("good"), qint64(3)}};
        switch (fault) {
        case 0: t.rows[1][0] = QStringLiteral("sixsix"); break;
        case 1: t.rows[2][0] = QStringLiteral("aΩb"); break;
        case 2: t.name = QStringLiteral("TΩ"); break;
        case 3:
            t.columns.clear();
            for (int i = 0; i < 8; ++i)
                t.columns.push_back({QStringLiteral("C%1").arg(i), ColumnType::Text, 255});
            t.rows = {std::vector<CellValue>(8, QString(255, QLatin1Char('x')))};
            break;
        case 4: db.password = QString(21, QLatin1Char('p')); break;
        case 5: db.password = QStringLiteral("pass\u0394"); break;
        case 6: db.tables.push_back({QStringLiteral("t"), {{QStringLiteral("A"), ColumnType::Long}}, {}}); break;
        case 7: t.name = QStringLiteral("MSysObjects"); break;
        case 8: t.columns.push_back({QStringLiteral("NAME"), ColumnType::Long}); break;
        case 9: t.rows[0][1] = QStringLiteral("12"); break;
        case 10: t.columns.push_back({QStringLiteral("I"), ColumnType::Int}); for (auto& r : t.rows) r.push_back(qint64(40000)); break;
        case 11: t.rows[1].pop_back(); break;
        case 12: t.columns[0].textSize = 256; break;
        case 13: t.columns.clear(); t.rows.clear(); break;
        case 14: t.columns.push_back({QStringLiteral("D"), ColumnType::DateTime}); for (auto& r : t.rows) r.push_back(QDateTime()); break;
        case 15: t.columns[1].name = QStringLiteral("A[1]"); break;
        case 16: t.rows[2][1] = qint64(3000000000LL); break;
        }
        db.tables.insert(db.tables.begin(), t);

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("bad.mdb"));
        try {
            writeDatabase(file, db);
            QFAIL("no WriteError");
        } catch (const WriteError& e) {
            const QString message = QString::fromStdString(e.what());
            for (const QString& m : mentions)
                QVERIFY2(message.contains(m), qPrintable(QStringLiteral("\"%1\" does not mention %2").arg(message, m)));
        }
        QVERIFY(sameFileSet(QDir(dir.path()), {}));
    }

    // A failure after many pages have gone out leaves neither the file nor
    // the temporary; an older file at the destination survives it.
    void failedWriteLeavesNothingBehind()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("out.mdb"));
        DatabaseDef db;
        TableDef t{QStringLiteral("T"), {{QStringLiteral("M"), ColumnType::Memo}, {QStringLiteral("S"), ColumnType::Text, 4}}, {}};
        for (int i = 0; i < 2000; ++i)
            t.rows.push_back({sampleText(1800, quint32(i)), QStringLiteral("ok")});
        t.rows.back()[1] = QStringLiteral("too long");
        db.tables.push_back(t);

        QVERIFY_THROWS_EXCEPTION(WriteError, writeDatabase(file, db));
        QVERIFY(sameFileSet(QDir(dir.path()), {}));

        {
            QFile old(file);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("previous contents");
        }
        QVERIFY_THROWS_EXCEPTION(WriteError, writeDatabase(file, db));
        QVERIFY(sameFileSet(QDir(dir.path()), {QStringLiteral("out.mdb")}));
        QFile old(file);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("previous contents"));
        old.close();

        // Once the fault is gone the same path is replaced.
        db.tables[0].rows.back()[1] = QStringLiteral("fine");
        db.tables[0].rows.resize(3);
        writeDatabase(file, db);
        QVERIFY(sameFileSet(QDir(dir.path()), {QStringLiteral("out.mdb")}));
        CROSS_CHECK(file, db);
    }

    void missingFolderIsReported()
    {
        const QString file = tmp_.filePath(QStringLiteral("no/such/folder/x.mdb"));
        DatabaseDef db;
        db.tables.push_back({QStringLiteral("T"), {{QStringLiteral("A"), ColumnType::Long}}, {}});
        try {
            writeDatabase(file, db);
            QFAIL("no WriteError");
        } catch (const WriteError& e) {
            QVERIFY(QString::fromStdString(e.what()).contains(QStringLiteral("x.mdb")));
        }
        QVERIFY(!QFileInfo::exists(file));
    }
};

QTEST_GUILESS_MAIN(TestJetWriter)
#include "tst_jetwriter.moc"
