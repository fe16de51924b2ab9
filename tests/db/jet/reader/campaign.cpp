// jetreader_campaign FILE... [--copies=N] [--seed=S]
//
// A damaged-copy campaign against the reader: each file is read whole (every
// table of its catalog, system tables included), then N copies of it are
// damaged in one structure each (row offsets, row headers and trailers, null
// masks, memo fields with lengths 0 / 0xFFFF or pointers elsewhere or into a
// loop, zeroed pages, table definitions, usage maps, page headers) and read
// again. Each copy is counted as
//   refused   the file or a table failed with a ReadError,
//   reported  rows were left out as damaged,
//   same      it read exactly as the undamaged file (the damage did not matter),
//   silent    it read differently, without a word: the reader was fooled.
// An undamaged file that is refused or reports damage is a false alarm.
// Prints a summary per kind of damage; exit status 1 on a false alarm.

#include "db/jet/JetFormat.h"
#include "db/jet/JetReader.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace orvane::jet;
using namespace orvane::jet::format;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Text : TableSink {
    std::string out;
    void columns(const std::string& table, const std::vector<Column>& cols) override
    {
        out += "#" + table;
        for (const Column& c : cols)
            out += "|" + c.name;
        out += "\n";
    }
    void row(const Cell* cells, std::size_t n) override
    {
        for (std::size_t i = 0; i < n; ++i) {
            out += cells[i].null ? std::string("\x01") : std::string(cells[i].view());
            out += '\x02';
        }
        out += "\n";
    }
};

enum class Outcome { Refused, Reported, Same, Silent };

// Reads everything; `text` gets all tables' rows, `why` the first complaint.
Outcome readAll(const Bytes& bytes, std::string& text, std::string* why = nullptr)
{
    bool reported = false;
    try {
        const auto db = Database::fromBytes(bytes, "copy.mdb");
        for (const std::string& name : db->allTableNames()) {
            Text t;
            try {
                const TableReport r = db->readTable(name, t);
                if (why && r.damaged > 0 && why->empty())
                    *why = r.damage;
                reported = reported || r.damaged > 0;
            } catch (const ReadError& e) {
                if (why)
                    *why = e.what();
                return Outcome::Refused;
            }
            text += t.out;
        }
    } catch (const ReadError& e) {
        if (why)
            *why = e.what();
        return Outcome::Refused;
    }
    return reported ? Outcome::Reported : Outcome::Same;
}

struct Site {
    std::size_t at;
    int size;
};

// Where the structures of a file are, found from its pages alone.
struct Map {
    int ps = 2048;
    int rco = 8;
    bool jet3 = true;
    std::vector<Site> rowOffsets;    // 2-byte row offset entries
    std::vector<Site> pageHeads;     // type, owner, row count fields
    std::vector<Site> rowHeads;      // column count of a row
    std::vector<Site> rowTrailers;   // var count, offsets, jumps of a row
    std::vector<Site> nullMasks;
    std::vector<Site> memoFields;    // 12-byte fields
    std::vector<Site> chainLinks;    // 4-byte next pointers of long-value rows
    std::vector<std::uint32_t> lvRows; // page << 8 | row of long-value rows
    std::vector<Site> tdefs;         // column descriptors and counts
    std::vector<int> pages;
};

Map survey(const Bytes& b)
{
    Map m;
    m.jet3 = b[kVersionOffset] == 0;
    m.ps = m.jet3 ? 2048 : 4096;
    m.rco = m.jet3 ? 8 : 12;
    const std::size_t pages = b.size() / static_cast<std::size_t>(m.ps);
    for (std::size_t p = 1; p < pages; ++p) {
        const std::uint8_t* pg = b.data() + p * static_cast<std::size_t>(m.ps);
        const std::size_t base = p * static_cast<std::size_t>(m.ps);
        m.pages.push_back(static_cast<int>(p));
        if (pg[0] == kPageTableDef) {
            const int cols = le16(pg + (m.jet3 ? 25 : 45));
            const int ridx = static_cast<int>(le32(pg + (m.jet3 ? 31 : 51)));
            m.tdefs.push_back({base + (m.jet3 ? 21u : 41u), 6});
            const std::size_t start = (m.jet3 ? 43u : 63u) + static_cast<std::size_t>(ridx) * (m.jet3 ? 8u : 12u);
            const std::size_t entry = m.jet3 ? 18 : 25;
            for (int c = 0; c < cols && start + (c + 1) * entry < static_cast<std::size_t>(m.ps); ++c)
                m.tdefs.push_back({base + start + c * entry, static_cast<int>(entry)});
            continue;
        }
        if (pg[0] != kPageData)
            continue;
        const bool lv = le32(pg + 4) == kLongValueOwner;
        m.pageHeads.push_back({base, 1});
        m.pageHeads.push_back({base + 4, 4});
        m.pageHeads.push_back({base + static_cast<std::size_t>(m.rco), 2});
        const int rows = le16(pg + m.rco);
        if (m.rco + 2 + 2 * rows > m.ps)
            continue;
        for (int r = 0; r < rows; ++r) {
            const std::size_t entry = static_cast<std::size_t>(m.rco + 2 + 2 * r);
            m.rowOffsets.push_back({base + entry, 2});
            const int raw = le16(pg + entry);
            const int start = raw & kRowOffsetMask;
            const int end = r == 0 ? m.ps : (le16(pg + entry - 2) & kRowOffsetMask);
            if ((raw & 0xC000) || start >= end || end > m.ps || start < m.rco + 2 + 2 * rows)
                continue;
            if (lv) {
                m.lvRows.push_back(static_cast<std::uint32_t>(p) << 8 | static_cast<std::uint32_t>(r));
                continue;
            }
            const int size = end - start;
            const int countSize = m.jet3 ? 1 : 2;
            if (size < countSize + 2)
                continue;
            const int cols = m.jet3 ? pg[start] : le16(pg + start);
            const int mask = (cols + 7) / 8;
            m.rowHeads.push_back({base + static_cast<std::size_t>(start), countSize});
            if (mask >= size - countSize)
                continue;
            m.nullMasks.push_back({base + static_cast<std::size_t>(end - mask), mask});
            const int last = end - 1;
            const int nvar = m.jet3 ? pg[last - mask] : le16(pg + last - mask - 1);
            const int trailer = m.jet3 ? nvar + 2 + (size - 1) / 256 : 2 * nvar + 4;
            if (trailer + mask + countSize >= size)
                continue;
            m.rowTrailers.push_back({base + static_cast<std::size_t>(end - mask - trailer), trailer});
            // Memo fields: 12-byte variable values whose kind byte and
            // pointer look like one.
            std::vector<int> offs;
            for (int i = 0; i <= nvar; ++i)
                offs.push_back(m.jet3 ? pg[last - mask - (size - 1) / 256 - 1 - i] : le16(pg + last - mask - 3 - 2 * i));
            for (int i = 0; i < nvar; ++i) {
                const int vs = offs[static_cast<std::size_t>(i)];
                const int ve = offs[static_cast<std::size_t>(i) + 1];
                if (ve - vs < 12 || start + ve > end)
                    continue;
                const std::uint8_t* f = pg + start + vs;
                const std::uint8_t kind = f[3];
                const std::uint32_t ptr = le32(f + 4);
                const bool inlineOk = kind == kLongValueInline && (le32(f) & 0xFFFFFF) <= static_cast<std::uint32_t>(ve - vs - 12);
                const bool pointerOk = (kind == kLongValueSingleRow || kind == kLongValueChain) && (ptr >> 8) < pages
                    && le32(b.data() + (ptr >> 8) * static_cast<std::size_t>(m.ps) + 4) == kLongValueOwner;
                if (inlineOk || pointerOk)
                    m.memoFields.push_back({base + static_cast<std::size_t>(start + vs), 12});
                // The links of a chain: each row starts with the pointer to the next.
                for (std::uint32_t link = kind == kLongValueChain && pointerOk ? ptr : 0, hops = 0;
                     link != 0 && hops < 64; ++hops) {
                    const std::size_t lp = link >> 8;
                    const int lr = static_cast<int>(link & 0xFF);
                    if (lp >= pages)
                        break;
                    const std::uint8_t* l = b.data() + lp * static_cast<std::size_t>(m.ps);
                    if (lr >= le16(l + m.rco))
                        break;
                    const std::size_t ls = le16(l + m.rco + 2 + 2 * lr) & kRowOffsetMask;
                    if (ls + 4 > static_cast<std::size_t>(m.ps))
                        break;
                    m.chainLinks.push_back({lp * static_cast<std::size_t>(m.ps) + ls, 4});
                    link = le32(l + ls);
                }
            }
        }
    }
    return m;
}

const char* const kKinds[] = {"row offset", "page header", "row column count", "row trailer", "null mask",
                              "memo length 0", "memo length 0xFFFF", "memo pointer elsewhere", "memo chain loop",
                              "zeroed page", "table definition", "byte flip in a row structure"};
constexpr int kKindCount = 12;

// Damages `b` with one of the kinds; false when the file has no such site.
bool damage(Bytes& b, const Map& m, int kind, std::mt19937& rng)
{
    auto pick = [&](const std::vector<Site>& v) -> const Site* {
        if (v.empty())
            return nullptr;
        const Site* s = &v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)];
        return s->size > 0 ? s : nullptr;
    };
    auto flip = [&](const Site& s) {
        const std::size_t at = s.at + std::uniform_int_distribution<std::size_t>(0, static_cast<std::size_t>(s.size) - 1)(rng);
        b[at] ^= static_cast<std::uint8_t>(1u << std::uniform_int_distribution<int>(0, 7)(rng));
    };
    auto value16 = [&]() -> std::uint16_t {
        const std::uint16_t choices[] = {0, 0xFFFF, static_cast<std::uint16_t>(rng())};
        return choices[std::uniform_int_distribution<int>(0, 2)(rng)];
    };
    switch (kind) {
    case 0: {
        const Site* s = pick(m.rowOffsets);
        if (!s)
            return false;
        if (rng() % 2)
            put16(b.data() + s->at, value16());
        else
            flip(*s);
        return true;
    }
    case 1: { const Site* s = pick(m.pageHeads); if (!s) return false; flip(*s); return true; }
    case 2: { const Site* s = pick(m.rowHeads); if (!s) return false; flip(*s); return true; }
    case 3: { const Site* s = pick(m.rowTrailers); if (!s) return false; flip(*s); return true; }
    case 4: { const Site* s = pick(m.nullMasks); if (!s) return false; flip(*s); return true; }
    case 5: case 6: {
        const Site* s = pick(m.memoFields);
        if (!s)
            return false;
        put16(b.data() + s->at, kind == 5 ? 0 : 0xFFFF);
        return true;
    }
    case 7: {
        const Site* s = pick(m.memoFields);
        if (!s || m.lvRows.empty())
            return false;
        put32(b.data() + s->at + 4, m.lvRows[std::uniform_int_distribution<std::size_t>(0, m.lvRows.size() - 1)(rng)]);
        return true;
    }
    case 8: {
        const Site* s = pick(m.chainLinks);
        if (!s)
            return false;
        const std::uint32_t self = static_cast<std::uint32_t>(s->at / static_cast<std::size_t>(m.ps)) << 8;
        // Back to a row of its own page (often itself): a loop.
        put32(b.data() + s->at, self | (rng() % 2));
        return true;
    }
    case 9: {
        if (m.pages.size() < 2)
            return false;
        const int p = m.pages[std::uniform_int_distribution<std::size_t>(1, m.pages.size() - 1)(rng)];
        std::fill(b.begin() + static_cast<std::ptrdiff_t>(p) * m.ps, b.begin() + static_cast<std::ptrdiff_t>(p + 1) * m.ps, 0);
        return true;
    }
    case 10: { const Site* s = pick(m.tdefs); if (!s) return false; flip(*s); return true; }
    default: {
        std::vector<Site> all = m.rowHeads;
        all.insert(all.end(), m.rowTrailers.begin(), m.rowTrailers.end());
        all.insert(all.end(), m.rowOffsets.begin(), m.rowOffsets.end());
        const Site* s = pick(all);
        if (!s)
            return false;
        b[s->at + std::uniform_int_distribution<std::size_t>(0, static_cast<std::size_t>(s->size) - 1)(rng)] =
            static_cast<std::uint8_t>(rng());
        return true;
    }
    }
}

} // namespace

int main(int argc, char** argv)
{
    int copies = 100;
    unsigned seed = 1;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--copies=", 0) == 0)
            copies = std::stoi(a.substr(9));
        else if (a.rfind("--seed=", 0) == 0)
            seed = static_cast<unsigned>(std::stoul(a.substr(7)));
        else
            files.push_back(a);
    }
    std::mt19937 rng(seed);
    int falseAlarms = 0;
    long counts[kKindCount][4] = {};
    for (const std::string& f : files) {
        std::ifstream in(pathFromUtf8(f), std::ios::binary);
        const Bytes original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string base;
        std::string why;
        const Outcome o = readAll(original, base, &why);
        if (o != Outcome::Same) {
            ++falseAlarms;
            std::cout << "FALSE ALARM " << f << ": " << why << "\n";
            continue;
        }
        const Map m = survey(original);
        for (int c = 0; c < copies; ++c) {
            const int kind = c % kKindCount;
            Bytes copy = original;
            if (!damage(copy, m, kind, rng))
                continue;
            std::string text;
            Outcome out = readAll(copy, text);
            if (out == Outcome::Same && text != base)
                out = Outcome::Silent;
            ++counts[kind][static_cast<int>(out)];
        }
    }
    long total[4] = {};
    std::printf("%-30s %8s %8s %8s %8s\n", "damage", "refused", "reported", "same", "silent");
    for (int k = 0; k < kKindCount; ++k) {
        std::printf("%-30s %8ld %8ld %8ld %8ld\n", kKinds[k], counts[k][0], counts[k][1], counts[k][2], counts[k][3]);
        for (int i = 0; i < 4; ++i)
            total[i] += counts[k][i];
    }
    const long damaged = total[0] + total[1] + total[3];
    std::printf("%-30s %8ld %8ld %8ld %8ld\n", "all", total[0], total[1], total[2], total[3]);
    std::printf("copies %ld; damage that mattered %ld; read silently wrong %ld (%.1f%%); false alarms %d\n",
                total[0] + total[1] + total[2] + total[3], damaged, total[3],
                damaged ? 100.0 * static_cast<double>(total[3]) / static_cast<double>(damaged) : 0.0, falseAlarms);
    return falseAlarms ? 1 : 0;
}
