#pragma once

// Small Jet 3 files built byte by byte for the reader's tests, with the
// standard library only: page 0, the catalog, and tables of up to one data
// page each, memo values inline, in one long-value row or in a chain. Each
// structure's position is kept, so that a test can damage exactly it.

#include <cstdint>
#include <string>
#include <vector>

namespace jetbytes {

constexpr int kPage = 2048;

struct Col {
    std::string name;
    int type;        // Jet type code
    int length = 0;  // TEXT: maximum bytes; fixed types: their size
};

// One stored value: null, or its bytes as they go in the row (for a memo:
// the text's bytes; the builder writes the 12-byte field and the long value).
struct Val {
    bool null = true;
    std::vector<std::uint8_t> bytes;
};

Val text(const std::string& latin1);
Val i32(std::int32_t v);
Val i16(std::int16_t v);
Val f64(double v);
Val nul();
Val yes(); // BOOL true (a BOOL's value is its null bit)

enum class MemoKind { Inline, OneRow, Chain };

struct Table {
    std::string name;
    std::vector<Col> cols;
    std::vector<std::vector<Val>> rows;
    MemoKind memoKind = MemoKind::Inline;
};

// Where things went, for damaging them.
struct TableAt {
    int defPage = 0;
    int dataPage = 0;
    std::vector<int> rowStart;   // absolute file offsets of each row
    std::vector<int> rowEnd;
    int lvPage = 0;              // first long-value page, 0 = none
    int mapRow = 0;              // absolute offset of the usage-map row
};

struct Built {
    std::vector<std::uint8_t> bytes;
    std::vector<TableAt> tables;
    int catalogDataPage = 0;
};

Built build(const std::vector<Table>& tables);

std::uint16_t get16(const std::vector<std::uint8_t>& b, std::size_t at);
void set16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v);
void set32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v);

} // namespace jetbytes
