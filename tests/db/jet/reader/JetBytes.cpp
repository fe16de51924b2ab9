#include "JetBytes.h"

#include "db/jet/JetFormat.h"

#include <cstring>
#include <stdexcept>

namespace jetbytes {

using namespace orvane::jet::format;

namespace {

bool isVariable(int type)
{
    return type == 0x09 || type == 0x0A || type == 0x0B || type == 0x0C;
}

using Bytes = std::vector<std::uint8_t>;

struct Page {
    Bytes b = Bytes(kPage, 0);
};

// A data page: rows packed down from the end, offsets after the header.
class DataPage {
public:
    explicit DataPage(std::uint32_t owner)
    {
        b_[0] = 0x01;
        b_[1] = 0x01;
        put32(b_.data() + 4, owner);
    }
    // Adds a row; returns its index.
    int add(const Bytes& row)
    {
        const int start = top_ - static_cast<int>(row.size());
        const int n = count_;
        if (start < 10 + 2 * (n + 1))
            throw std::runtime_error("test table too big for one page");
        std::memcpy(b_.data() + start, row.data(), row.size());
        put16(b_.data() + 10 + 2 * n, static_cast<std::uint32_t>(start));
        top_ = start;
        ++count_;
        put16(b_.data() + 8, static_cast<std::uint32_t>(count_));
        put16(b_.data() + 2, static_cast<std::uint32_t>(top_ - (10 + 2 * count_)));
        return n;
    }
    int start(int row) const { return le16(b_.data() + 10 + 2 * row) & 0x1FFF; }
    int end(int row) const { return row == 0 ? kPage : start(row - 1); }
    const Bytes& bytes() const { return b_; }

private:
    Bytes b_ = Bytes(kPage, 0);
    int top_ = kPage;
    int count_ = 0;
};

// A Jet 3 row of a table (< 256 bytes, so without jump bytes).
Bytes encodeRow(const std::vector<Col>& cols, const std::vector<Val>& vals, const std::vector<Bytes>& varBytes)
{
    int fixedLen = 0;
    int nvar = 0;
    for (const Col& c : cols) {
        if (isVariable(c.type))
            ++nvar;
        else
            fixedLen += c.type == 0x01 ? 0 : c.length;
    }
    Bytes row;
    row.push_back(static_cast<std::uint8_t>(cols.size()));
    row.resize(1 + static_cast<std::size_t>(fixedLen), 0);
    int fixedAt = 1;
    std::vector<int> varStart;
    for (std::size_t i = 0; i < cols.size(); ++i) {
        const Col& c = cols[i];
        if (isVariable(c.type))
            continue;
        if (c.type != 0x01 && !vals[i].null)
            std::memcpy(row.data() + fixedAt, vals[i].bytes.data(), static_cast<std::size_t>(c.length));
        fixedAt += c.type == 0x01 ? 0 : c.length;
    }
    std::size_t vi = 0;
    for (std::size_t i = 0; i < cols.size(); ++i) {
        if (!isVariable(cols[i].type))
            continue;
        varStart.push_back(static_cast<int>(row.size()));
        row.insert(row.end(), varBytes[vi].begin(), varBytes[vi].end());
        ++vi;
    }
    const int eod = static_cast<int>(row.size());
    if (nvar > 0) {
        row.push_back(static_cast<std::uint8_t>(eod));
        for (int k = nvar - 1; k >= 0; --k)
            row.push_back(static_cast<std::uint8_t>(varStart[static_cast<std::size_t>(k)]));
        row.push_back(static_cast<std::uint8_t>(nvar));
    }
    Bytes mask((cols.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < cols.size(); ++i)
        if (!vals[i].null)
            mask[i / 8] |= static_cast<std::uint8_t>(1 << (i % 8));
    row.insert(row.end(), mask.begin(), mask.end());
    if (row.size() > 255)
        throw std::runtime_error("test row too long");
    return row;
}

Bytes tableDef(const std::vector<Col>& cols, std::uint32_t rows, std::uint32_t mapPtr)
{
    Bytes d(kPage, 0);
    d[0] = 0x02;
    d[1] = 0x01;
    d[2] = 'V';
    d[3] = 'C';
    put32(d.data() + 12, rows);
    d[20] = 0x4E;
    int nvar = 0;
    for (const Col& c : cols)
        nvar += isVariable(c.type) ? 1 : 0;
    put16(d.data() + 21, static_cast<std::uint32_t>(cols.size()));
    put16(d.data() + 23, static_cast<std::uint32_t>(nvar));
    put16(d.data() + 25, static_cast<std::uint32_t>(cols.size()));
    put32(d.data() + 35, mapPtr);
    put32(d.data() + 39, mapPtr);
    std::size_t at = 43;
    int fixedAt = 0;
    int varIndex = 0;
    for (std::size_t i = 0; i < cols.size(); ++i) {
        const Col& c = cols[i];
        std::uint8_t* e = d.data() + at;
        e[0] = static_cast<std::uint8_t>(c.type);
        put16(e + 1, static_cast<std::uint32_t>(i));
        put16(e + 5, static_cast<std::uint32_t>(i));
        put16(e + 9, 0x0409);
        put16(e + 11, 1252);
        if (isVariable(c.type)) {
            put16(e + 3, static_cast<std::uint32_t>(varIndex++));
            e[13] = 0x02;
        } else {
            e[13] = 0x03;
            put16(e + 14, static_cast<std::uint32_t>(fixedAt));
            fixedAt += c.type == 0x01 ? 0 : c.length;
        }
        put16(e + 16, static_cast<std::uint32_t>(c.length));
        at += 18;
    }
    for (const Col& c : cols) {
        d[at++] = static_cast<std::uint8_t>(c.name.size());
        std::memcpy(d.data() + at, c.name.data(), c.name.size());
        at += c.name.size();
    }
    d[at++] = 0xFF;
    d[at++] = 0xFF;
    put32(d.data() + 8, static_cast<std::uint32_t>(at));
    return d;
}

Bytes pageZero()
{
    Bytes p(kPage, 0);
    p[1] = 0x01;
    std::memcpy(p.data() + kSignatureOffset, kJetSignature, sizeof kJetSignature);
    p[kVersionOffset] = 0;
    put16(p.data() + kSortOrderOffset, kSortOrderGeneral);
    put16(p.data() + kCodePageOffset, kCodePage1252);
    scrambleHeader(p.data(), 0);
    return p;
}

} // namespace

Val text(const std::string& s) { return {false, Bytes(s.begin(), s.end())}; }
Val i32(std::int32_t v)
{
    Bytes b(4);
    put32(b.data(), static_cast<std::uint32_t>(v));
    return {false, b};
}
Val i16(std::int16_t v)
{
    Bytes b(2);
    put16(b.data(), static_cast<std::uint16_t>(v));
    return {false, b};
}
Val f64(double v)
{
    Bytes b(8);
    std::memcpy(b.data(), &v, 8);
    return {false, b};
}
Val nul() { return {}; }
Val yes() { return {false, {}}; }

std::uint16_t get16(const std::vector<std::uint8_t>& b, std::size_t at) { return le16(b.data() + at); }
void set16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) { put16(b.data() + at, v); }
void set32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) { put32(b.data() + at, v); }

Built build(const std::vector<Table>& tables)
{
    // Pages: 0 header, 1 empty data page, 2 catalog definition, 3 usage
    // maps, 4 catalog rows, then per table: definition, data, long values.
    const int nt = static_cast<int>(tables.size());
    std::vector<Bytes> pages(5);
    pages[0] = pageZero();
    pages[1] = DataPage(0).bytes();
    DataPage maps(0);
    auto mapRow = [&](int page) {
        Bytes m(133, 0);
        put32(m.data() + 1, static_cast<std::uint32_t>(page));
        m[5] = 0x01; // the one page, first bit
        return maps.add(m);
    };

    Built out;
    std::vector<Bytes> tail;
    int next = 5;
    const std::vector<Col> catalogCols = {
        {"Id", 0x04, 4}, {"ParentId", 0x04, 4}, {"Name", 0x0A, 255}, {"Type", 0x03, 2}, {"Flags", 0x04, 4}};
    DataPage catalog(2);
    const int catalogMap = mapRow(4);
    for (int t = 0; t < nt; ++t) {
        const Table& tb = tables[static_cast<std::size_t>(t)];
        TableAt at;
        at.defPage = next;
        at.dataPage = next + 1;
        bool hasMemo = false;
        for (const Col& c : tb.cols)
            hasMemo = hasMemo || c.type == 0x0C || c.type == 0x0B;
        at.lvPage = hasMemo ? next + 2 : 0;
        next += hasMemo ? (tb.memoKind == MemoKind::Chain ? 4 : 3) : 2;

        const int map = mapRow(at.dataPage);
        DataPage data(static_cast<std::uint32_t>(at.defPage));
        DataPage lv(kLongValueOwner);
        DataPage lv2(kLongValueOwner);
        for (const auto& r : tb.rows) {
            std::vector<Bytes> varBytes;
            for (std::size_t i = 0; i < tb.cols.size(); ++i) {
                const Col& c = tb.cols[i];
                if (!isVariable(c.type))
                    continue;
                if (r[i].null) {
                    varBytes.emplace_back();
                } else if (c.type == 0x0C || c.type == 0x0B) {
                    Bytes field(12, 0);
                    const auto len = static_cast<std::uint32_t>(r[i].bytes.size());
                    if (tb.memoKind == MemoKind::Inline) {
                        put32(field.data(), len | 0x80000000u);
                        field.insert(field.end(), r[i].bytes.begin(), r[i].bytes.end());
                    } else if (tb.memoKind == MemoKind::OneRow) {
                        const int row = lv.add(r[i].bytes);
                        put32(field.data(), len | 0x40000000u);
                        put32(field.data() + 4, static_cast<std::uint32_t>(at.lvPage) << 8 | static_cast<std::uint32_t>(row));
                    } else {
                        // Two links: the first half on one page, the rest on the next.
                        const std::size_t half = r[i].bytes.size() / 2;
                        Bytes second(4, 0);
                        second.insert(second.end(), r[i].bytes.begin() + static_cast<std::ptrdiff_t>(half), r[i].bytes.end());
                        const int row2 = lv2.add(second);
                        Bytes first(4, 0);
                        put32(first.data(), static_cast<std::uint32_t>(at.lvPage + 1) << 8 | static_cast<std::uint32_t>(row2));
                        first.insert(first.end(), r[i].bytes.begin(), r[i].bytes.begin() + static_cast<std::ptrdiff_t>(half));
                        const int row1 = lv.add(first);
                        put32(field.data(), len);
                        put32(field.data() + 4, static_cast<std::uint32_t>(at.lvPage) << 8 | static_cast<std::uint32_t>(row1));
                    }
                    varBytes.push_back(field);
                } else {
                    varBytes.push_back(r[i].bytes);
                }
            }
            const int idx = data.add(encodeRow(tb.cols, r, varBytes));
            at.rowStart.push_back(at.dataPage * kPage + data.start(idx));
            at.rowEnd.push_back(at.dataPage * kPage + data.end(idx));
        }
        tail.push_back(tableDef(tb.cols, static_cast<std::uint32_t>(tb.rows.size()), static_cast<std::uint32_t>(3 << 8 | map)));
        tail.push_back(data.bytes());
        if (hasMemo) {
            tail.push_back(lv.bytes());
            if (tb.memoKind == MemoKind::Chain)
                tail.push_back(lv2.bytes());
        }
        at.mapRow = 3 * kPage + maps.start(map);
        catalog.add(encodeRow(catalogCols,
                              {i32(at.defPage), i32(0x0F000001), text(tb.name), i16(1), i32(0)},
                              {Bytes(tb.name.begin(), tb.name.end())}));
        out.tables.push_back(at);
    }
    pages[2] = tableDef(catalogCols, static_cast<std::uint32_t>(nt), static_cast<std::uint32_t>(3 << 8 | catalogMap));
    pages[3] = maps.bytes();
    pages[4] = catalog.bytes();
    out.catalogDataPage = 4;
    for (Bytes& p : tail)
        pages.push_back(std::move(p));
    for (const Bytes& p : pages)
        out.bytes.insert(out.bytes.end(), p.begin(), p.end());
    return out;
}

} // namespace jetbytes
