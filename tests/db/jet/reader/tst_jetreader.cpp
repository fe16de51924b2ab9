// The Jet reader on its own, with the standard library only: the text of
// every fixed type, files built byte by byte (read from memory and from a
// path that is not ASCII), damaged structures caught row by row, and the real
// files of a folder given as --fixtures=DIR read whole.

#include "Check.h"
#include "JetBytes.h"

#include "db/jet/Cp1252Table.h"
#include "db/jet/JetReader.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>

using namespace orvane::jet;
using namespace jetbytes;

namespace {

std::string dateText(double d)
{
    std::string s;
    text::appendDateTime(d, s);
    return s;
}

std::string numericText(std::initializer_list<std::pair<int, std::uint8_t>> bytes, int scale)
{
    std::uint8_t b[17] = {};
    for (const auto& [at, v] : bytes)
        b[at] = v;
    std::string s;
    text::appendNumeric(b, scale, s);
    return s;
}

// Rows as text, "NULL" for a null.
struct Rows : TableSink {
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows;
    void columns(const std::string&, const std::vector<Column>& cols) override
    {
        for (const Column& c : cols)
            names.push_back(c.name);
    }
    void row(const Cell* cells, std::size_t n) override
    {
        std::vector<std::string> r;
        for (std::size_t i = 0; i < n; ++i)
            r.push_back(cells[i].null ? std::string("NULL") : std::string(cells[i].view()));
        rows.push_back(std::move(r));
    }
};

std::string join(const std::vector<std::string>& v)
{
    std::string s;
    for (const std::string& x : v)
        s += (s.empty() ? "" : "|") + x;
    return s;
}

Table notes(MemoKind kind)
{
    Table t;
    t.name = "Notes";
    t.cols = {{"Id", kTypeLong, 4}, {"Done", kTypeBool, 0}, {"Code", kTypeText, 20}, {"Body", kTypeMemo, 0},
              {"Score", kTypeDouble, 8}};
    t.memoKind = kind;
    t.rows = {
        {i32(1), yes(), jetbytes::text("QW-406"), jetbytes::text("first memo"), f64(2.5)},
        {i32(2), nul(), jetbytes::text("caf\xE9 \x80"), jetbytes::text(std::string(150, 'm')), nul()},
        {i32(-3), yes(), nul(), nul(), f64(-0.125)},
    };
    return t;
}

const char* const kRow0 = "1|1|QW-406|first memo|2.5";
const std::string kRow1 = "2|0|caf\xC3\xA9 \xE2\x82\xAC|" + std::string(150, 'm') + "|NULL";
const char* const kRow2 = "-3|1|NULL|NULL|-0.125";

Rows readAll(Database& db, const std::string& table, TableReport* report = nullptr)
{
    Rows rows;
    const TableReport r = db.readTable(table, rows);
    if (report)
        *report = r;
    return rows;
}

} // namespace

// ---- Text of values ----------------------------------------------------------

TEST(datesAsTheProgramPrintsThem)
{
    struct { double days; const char* text; } cases[] = {
        {0, "12/30/99 00:00:00"},
        {1, "12/31/99 00:00:00"},
        {0.25, "12/30/99 06:00:00"},
        {36526.5, "01/01/00 12:00:00"},
        {59.5, "02/27/00 12:00:00"},   // 1900 was no leap year
        {60.5, "02/28/00 12:00:00"},
        {693595.5, "12/29/98 12:00:00"},
        {1e6, "11/26/37 00:00:00"},      // the last day with a calendar
        {36526.999999, "01/01/00 24:00:00"}, // seconds round up, never into the next day
        {0.5 / 86400, "12/30/99 00:00:01"},
        {0.49999 / 86400, "12/30/99 00:00:00"},
        {-0.0, "12/30/99 00:00:00"},
        // Outside the calendar, NaN included, every field stays zero.
        {-1, "01/00/00 00:00:00"},
        {-0.5, "01/00/00 00:00:00"},
        {1000000.5, "01/00/00 00:00:00"},
        {std::numeric_limits<double>::quiet_NaN(), "01/00/00 00:00:00"},
        {std::numeric_limits<double>::infinity(), "01/00/00 00:00:00"},
    };
    for (const auto& c : cases)
        CHECK_EQ(dateText(c.days), std::string(c.text));
}

TEST(numbersInTheCLocale)
{
    auto f = [](float v) { std::string s; text::appendFloat(v, s); return s; };
    auto d = [](double v) { std::string s; text::appendDouble(v, s); return s; };
    auto m = [](std::int64_t v) { std::string s; text::appendMoney(v, s); return s; };
    CHECK_EQ(f(3.14159265f), "3.1415927");
    CHECK_EQ(f(123456789.f), "1.2345679e+08");
    CHECK_EQ(f(0.1f), "0.1");
    CHECK_EQ(f(0.000123f), "0.00012300001");
    CHECK_EQ(f(12345678.f), "12345678");
    CHECK_EQ(d(3.141592653589793), "3.141592653589793");
    CHECK_EQ(d(1e15), "1000000000000000");
    CHECK_EQ(d(1e16), "1e+16");
    CHECK_EQ(d(-1.234e-06), "-1.234e-06");
    CHECK_EQ(d(2.0 / 3), "0.6666666666666666");
    CHECK_EQ(d(std::numeric_limits<double>::infinity()), "inf");
    CHECK_EQ(m(0), "0.0000");
    CHECK_EQ(m(-5), "-0.0005");
    CHECK_EQ(m(12345678), "1234.5678");
    CHECK_EQ(m(std::numeric_limits<std::int64_t>::min()), "-922337203685477.5808");
    CHECK_EQ(m(std::numeric_limits<std::int64_t>::max()), "922337203685477.5807");
}

TEST(numericGuidAndText)
{
    CHECK_EQ(numericText({{13, 0x39}, {14, 0x30}}, 0), "12345");
    CHECK_EQ(numericText({{0, 0x80}, {13, 0x39}, {14, 0x30}}, 2), "-123.45");
    CHECK_EQ(numericText({{0, 0x80}}, 2), "-0.00");
    CHECK_EQ(numericText({{1, 1}}, 28), "7.9228162514264337593543950336");  // 2^96
    CHECK_EQ(numericText({{13, 0x40}, {14, 0xE2}, {15, 1}}, 40), ".0000000000000000000000000000000000123456");
    CHECK_EQ(numericText({{13, 0x40}, {14, 0xE2}, {15, 1}}, 255), "0000000000000000000000000000000000123456");

    std::uint8_t g[16];
    for (int i = 0; i < 16; ++i)
        g[i] = static_cast<std::uint8_t>(i * 17 + 1);
    std::string guid;
    text::appendGuid(g, guid);
    CHECK_EQ(guid, "{34231201-5645-7867-899AABBCCDDEEF00}");

    std::string s;
    const std::uint8_t cp[] = {'a', 0x80, 0x81, 0xE9, 0x9F};
    text::appendCp1252(cp, sizeof cp, s);
    CHECK_EQ(s, "a\xE2\x82\xAC\xC2\x81\xC3\xA9\xC5\xB8"); // the unassigned 0x81 stays U+0081
    s.clear();
    const std::uint8_t ucs[] = {0xFF, 0xFE, 'a', 'b', 0, 0xAC, 0x20, 0, 'c'}; // compressed, a run of two-byte units
    text::appendUcs2(ucs, sizeof ucs, s);
    CHECK_EQ(s, "ab\xE2\x82\xAC" "c");
    s.clear();
    const std::uint8_t pair[] = {0x3D, 0xD8, 0x00, 0xDE, 0x00, 0xD8}; // U+1F600, then a lone surrogate
    text::appendUcs2(pair, sizeof pair, s);
    CHECK_EQ(s, "\xF0\x9F\x98\x80\xEF\xBF\xBD");
}

// ---- Files built byte by byte -------------------------------------------------

// Long texts go through a faster path than short ones: ASCII runs of every
// length, every byte above 0x7F at every alignment, text appended after
// what is there and across the converter's internal blocks, must read as
// the character-by-character conversion does.
TEST(longWindows1252TextsConvertAsEachCharacter)
{
    std::vector<std::uint8_t> in;
    for (int run = 0; run < 40; ++run) {
        for (int k = 0; k < run; ++k)
            in.push_back(static_cast<std::uint8_t>('a' + (run + k) % 26));
        in.push_back(static_cast<std::uint8_t>(0x80 + (run * 7) % 128));
    }
    for (int b = 0x80; b <= 0xFF; ++b)
        in.push_back(static_cast<std::uint8_t>(b));
    while (in.size() < 20000)
        in.push_back(static_cast<std::uint8_t>(in.size() % 97 == 0 ? 0x80 + in.size() % 128 : 'x'));
    for (const std::size_t size : {std::size_t(0), std::size_t(7), std::size_t(8), std::size_t(9), std::size_t(1000), in.size()}) {
        std::string expected = "head";
        for (std::size_t i = 0; i < size; ++i)
            text::appendCodePoint(cp1252Char(in[i]), expected);
        std::string got = "head";
        text::appendCp1252(in.data(), size, got);
        CHECK_EQ(got, expected);
    }
}

TEST(everyMemoKindReadsBack)
{
    for (MemoKind kind : {MemoKind::Inline, MemoKind::OneRow, MemoKind::Chain}) {
        const Built b = build({notes(kind)});
        const auto db = Database::fromBytes(b.bytes, "built.mdb");
        CHECK_EQ(join(db->tableNames()), "Notes");
        TableReport report;
        const Rows rows = readAll(*db, "notes", &report); // names match ignoring case
        CHECK_EQ(report.name, "Notes");
        CHECK_EQ(report.damaged, std::size_t(0));
        CHECK_EQ(join(rows.names), "Id|Done|Code|Body|Score");
        CHECK_EQ(rows.rows.size(), std::size_t(3));
        if (rows.rows.size() == 3) {
            CHECK_EQ(join(rows.rows[0]), kRow0);
            CHECK_EQ(join(rows.rows[1]), kRow1);
            CHECK_EQ(join(rows.rows[2]), kRow2);
        }
    }
}

TEST(openErrors)
{
    auto numberOf = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const ReadError& e) {
            return e.number();
        }
        return 0;
    };
    CHECK_EQ(numberOf([] { Database::fromBytes({}, "empty"); }), 3343);
    CHECK_EQ(numberOf([] { Database::fromBytes(std::vector<std::uint8_t>(4096, 0), "zeros"); }), 3343);
    Built b = build({notes(MemoKind::Inline)});
    b.bytes.resize(b.bytes.size() - 1);
    CHECK_EQ(numberOf([&] { Database::fromBytes(b.bytes, "cut"); }), 3343);
    const Built ok = build({notes(MemoKind::Inline)});
    const auto db = Database::fromBytes(ok.bytes, "ok");
    Rows sink;
    CHECK_EQ(numberOf([&] { db->readTable("Missing", sink); }), 3078);
    CHECK_EQ(numberOf([] { Database::open(std::filesystem::temp_directory_path() / "orvane-no-such-file.mdb"); }), 3024);
    CHECK_EQ(numberOf([] { Database::open(std::filesystem::temp_directory_path()); }), 3343);
}

TEST(pathThatIsNotAscii)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / pathFromUtf8("orvane-reader-\xCE\xB4");
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / pathFromUtf8("\xCE\x94\xCE\xBF\xCE\xBA\xCE\xB9\xCE\xBC\xCE\xAE.mdb"); // Δοκιμή.mdb
    const Built b = build({notes(MemoKind::Chain)});
    {
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(b.bytes.data()), static_cast<std::streamsize>(b.bytes.size()));
    }
    CHECK(std::filesystem::exists(file));
    try {
        CHECK_EQ(readHeader(file).version, 0);
        const auto db = Database::open(file);
        const Rows rows = readAll(*db, "Notes");
        CHECK_EQ(rows.rows.size(), std::size_t(3));
        CHECK_EQ(pathToUtf8(file.filename()), "\xCE\x94\xCE\xBF\xCE\xBA\xCE\xB9\xCE\xBC\xCE\xAE.mdb");
    } catch (const ReadError& e) {
        check::fail(__FILE__, __LINE__, e.what());
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

// ---- Damaged structures -----------------------------------------------------------

namespace {

struct DamageCase {
    const char* name;
    MemoKind kind;
    std::function<void(Built&)> damage;
    // nullopt: the table is refused with 3049; otherwise the rows kept.
    std::optional<std::vector<int>> kept;
};

std::size_t rowAt(const Built& b, int row) { return static_cast<std::size_t>(b.tables[0].rowStart[static_cast<std::size_t>(row)]); }
std::size_t rowLast(const Built& b, int row) { return static_cast<std::size_t>(b.tables[0].rowEnd[static_cast<std::size_t>(row)]) - 1; }
std::size_t dataPage(const Built& b) { return static_cast<std::size_t>(b.tables[0].dataPage) * kPage; }
std::size_t lvPage(const Built& b) { return static_cast<std::size_t>(b.tables[0].lvPage) * kPage; }
// The 12-byte memo field of row `row` (Body is the second variable column,
// after Code): its offset is the second-lowest offset byte before the count.
std::size_t memoField(const Built& b, int row)
{
    const std::size_t last = rowLast(b, row);
    // trailer: ... eod, off[1], off[0], count, mask
    return rowAt(b, row) + b.bytes[last - 3];
}

} // namespace

TEST(damagedStructuresAreCaughtRowByRow)
{
    // A row ends where the row before it starts: a damaged offset takes the
    // row after it along.
    const std::vector<DamageCase> cases = {
        {"undamaged", MemoKind::Inline, [](Built&) {}, std::vector<int>{0, 1, 2}},
        {"row offset into the page header", MemoKind::Inline,
         [](Built& b) { set16(b.bytes, dataPage(b) + 10 + 2, 4); }, std::vector<int>{0}},
        {"row offset past the row before it", MemoKind::Inline,
         [](Built& b) { set16(b.bytes, dataPage(b) + 10 + 2, static_cast<std::uint16_t>(kPage - 1)); },
         std::vector<int>{0}},
        {"row offset of zero", MemoKind::Inline, [](Built& b) { set16(b.bytes, dataPage(b) + 10 + 4, 0); },
         std::vector<int>{0, 1}},
        {"more columns than the table has", MemoKind::Inline, [](Built& b) { b.bytes[rowAt(b, 0)] = 40; },
         std::vector<int>{1, 2}},
        {"variable offsets decreasing", MemoKind::Inline,
         [](Built& b) { b.bytes[rowLast(b, 0) - 2] = static_cast<std::uint8_t>(b.bytes[rowLast(b, 0) - 3] + 1); },
         std::vector<int>{1, 2}},
        {"variable area past the offsets", MemoKind::Inline,
         [](Built& b) { b.bytes[rowLast(b, 0) - 4] = 250; }, std::vector<int>{1, 2}},
        {"variable count above the column count", MemoKind::Inline,
         [](Built& b) { b.bytes[rowLast(b, 0) - 1] = 9; }, std::vector<int>{1, 2}},
        {"text longer than its column", MemoKind::Inline,
         [](Built& b) {
             // Code gets 30 bytes by moving its end into the memo field.
             b.bytes[rowLast(b, 0) - 3] = static_cast<std::uint8_t>(b.bytes[rowLast(b, 0) - 2] + 30);
         },
         std::vector<int>{1, 2}},
        {"inline memo longer than its bytes", MemoKind::Inline,
         [](Built& b) { set16(b.bytes, memoField(b, 0), 500); }, std::vector<int>{1, 2}},
        {"memo of unknown kind", MemoKind::OneRow, [](Built& b) { b.bytes[memoField(b, 0) + 3] = 0x20; },
         std::vector<int>{1, 2}},
        {"memo pointer past the end of the file", MemoKind::OneRow,
         [](Built& b) { set32(b.bytes, memoField(b, 1) + 4, 0x7FFF00); }, std::vector<int>{0, 2}},
        {"memo pointer to a data page", MemoKind::OneRow,
         [](Built& b) { set32(b.bytes, memoField(b, 1) + 4, static_cast<std::uint32_t>(b.tables[0].dataPage) << 8); },
         std::vector<int>{0, 2}},
        {"memo row of another length", MemoKind::OneRow,
         [](Built& b) { set16(b.bytes, memoField(b, 1), 149); }, std::vector<int>{0, 2}},
        {"memo chain looping", MemoKind::Chain,
         [](Built& b) {
             // the second link points back at the first
             const std::size_t lv2 = lvPage(b) + kPage;
             const std::size_t second = lv2 + (get16(b.bytes, lv2 + 10 + 2) & 0x1FFF);
             set32(b.bytes, second, static_cast<std::uint32_t>(b.tables[0].lvPage) << 8 | 1);
         },
         std::vector<int>{0, 2}},
        {"memo chain shorter than its length", MemoKind::Chain,
         [](Built& b) { set16(b.bytes, memoField(b, 1), 151); }, std::vector<int>{0, 2}},
        {"page with more rows than fit", MemoKind::Inline, [](Built& b) { set16(b.bytes, dataPage(b) + 8, 2000); },
         std::vector<int>{}},
        {"unknown column type", MemoKind::Inline, [](Built& b) {
             b.bytes[static_cast<std::size_t>(b.tables[0].defPage) * kPage + 43 + 18 * 4] = 0x2A;
         }, std::nullopt},
        {"definition page of another kind", MemoKind::Inline, [](Built& b) {
             b.bytes[static_cast<std::size_t>(b.tables[0].defPage) * kPage] = 0x01;
         }, std::nullopt},
        {"catalog entry naming page 0", MemoKind::Inline, [](Built& b) {
             const std::size_t catalog = static_cast<std::size_t>(b.catalogDataPage) * kPage;
             set32(b.bytes, catalog + (get16(b.bytes, catalog + 10) & 0x1FFF) + 1, 0);
         }, std::nullopt},
        {"usage map of unknown kind", MemoKind::Inline,
         [](Built& b) { b.bytes[static_cast<std::size_t>(b.tables[0].mapRow)] = 7; }, std::nullopt},
        {"usage map listing a page past the end", MemoKind::Inline,
         [](Built& b) { b.bytes[static_cast<std::size_t>(b.tables[0].mapRow) + 5 + 100] = 1; },
         std::nullopt},
    };
    const std::string rows[] = {kRow0, kRow1, kRow2};
    for (const DamageCase& c : cases) {
        Built b = build({notes(c.kind)});
        c.damage(b);
        check::current() = std::string("damagedStructuresAreCaughtRowByRow: ") + c.name;
        try {
            const auto db = Database::fromBytes(b.bytes, "damaged.mdb");
            TableReport report;
            const Rows got = readAll(*db, "Notes", &report);
            if (!c.kept) {
                check::fail(__FILE__, __LINE__, "read without error");
                continue;
            }
            std::vector<std::string> want;
            for (int k : *c.kept)
                want.push_back(rows[k]);
            std::vector<std::string> have;
            for (const auto& r : got.rows)
                have.push_back(join(r));
            CHECK_EQ(join(have), join(want));
            const bool undamaged = std::string(c.name) == "undamaged";
            CHECK_EQ(report.damaged > 0, !undamaged);
            CHECK_EQ(report.damage.find("'Notes'") != std::string::npos, !undamaged);
        } catch (const ReadError& e) {
            if (c.kept)
                check::fail(__FILE__, __LINE__, std::string("refused: ") + e.what());
            else
                CHECK_EQ(e.number(), 3049);
        }
    }
}

TEST(twoCatalogEntriesForOneDefinition)
{
    Table a = notes(MemoKind::Inline);
    Table other = notes(MemoKind::Inline);
    other.name = "Other";
    Built b = build({a, other});
    // The catalog row of "Other" names the definition page of "Notes".
    const std::size_t row1 = static_cast<std::size_t>(b.catalogDataPage) * kPage + (get16(b.bytes, static_cast<std::size_t>(b.catalogDataPage) * kPage + 12) & 0x1FFF);
    set32(b.bytes, row1 + 1, static_cast<std::uint32_t>(b.tables[0].defPage));
    const auto db = Database::fromBytes(b.bytes, "twice.mdb");
    Rows sink;
    int number = 0;
    try {
        db->readTable("Other", sink);
    } catch (const ReadError& e) {
        number = e.number();
    }
    CHECK_EQ(number, 3049);
}

// ---- Real files -------------------------------------------------------------------

TEST(realFilesReadWhole)
{
    const std::string dir = check::option("fixtures");
    if (dir.empty() || !std::filesystem::is_directory(pathFromUtf8(dir))) {
        std::cout << "SKIP realFilesReadWhole: no --fixtures=DIR (the real Access files, ../shared/fixtures/access97)\n";
        return;
    }
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(pathFromUtf8(dir))) {
        if (entry.path().extension() != ".mdb")
            continue;
        ++files;
        try {
            const auto db = Database::open(entry.path());
            for (const std::string& name : db->tableNames()) {
                TableReport report;
                readAll(*db, name, &report);
                if (report.damaged)
                    check::fail(__FILE__, __LINE__, pathToUtf8(entry.path()) + ": " + report.damage);
            }
        } catch (const ReadError& e) {
            check::fail(__FILE__, __LINE__, pathToUtf8(entry.path()) + ": " + e.what());
        }
    }
    CHECK(files > 0);
    // One value each of the kinds Access 97 files hold, as the program shows them.
    const std::filesystem::path t = pathFromUtf8(dir) / "testV1997.mdb";
    if (std::filesystem::exists(t)) {
        const auto db = Database::open(t);
        const Rows rows = readAll(*db, "Table1");
        CHECK_EQ(rows.rows.size(), std::size_t(2));
        if (!rows.rows.empty())
            CHECK_EQ(join(rows.rows[0]), "a|b|0|0|0|0|12/12/81 00:00:00|0.0000|0");
    }
}

CHECK_MAIN()
