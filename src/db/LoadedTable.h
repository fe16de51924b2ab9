#pragma once

// A table's rows as the reader handed them over, held in memory as UTF-8 and
// queried by SQLite as a read-only virtual table. Statements read the values
// where they lie: nothing is copied into SQLite's pages, and no index is
// built while loading. A column that a statement looks rows up or sorts by
// gets its order the first time one needs it (Jet's General order, Nulls
// first, equal values in the order the file holds them), which SQLite then
// uses as it would use an index.
//
// Everything a table holds is taken from SQLite's allocator, so that it
// counts against the engine's memory ceiling; running out throws
// std::bad_alloc.

#include "db/jet/JetReader.h"

#include <QStringList>
#include <cstdint>
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace orvane::db {

// SQLite's allocator for the containers below.
template <typename T>
struct SqliteAllocator {
    using value_type = T;
    SqliteAllocator() = default;
    template <typename U>
    SqliteAllocator(const SqliteAllocator<U>&) noexcept
    {
    }
    T* allocate(std::size_t n)
    {
        if (void* p = sqlite3_malloc64(sqlite3_uint64(n) * sizeof(T)))
            return static_cast<T*>(p);
        throw std::bad_alloc();
    }
    void deallocate(T* p, std::size_t) noexcept { sqlite3_free(p); }
    friend bool operator==(const SqliteAllocator&, const SqliteAllocator&) { return true; }
};

class LoadedTable {
public:
    explicit LoadedTable(QStringList columns);
    ~LoadedTable();
    LoadedTable(const LoadedTable&) = delete;
    LoadedTable& operator=(const LoadedTable&) = delete;

    // Appends a row; cells past `count` are Null. Throws std::bad_alloc.
    void appendRow(const jet::Cell* cells, std::size_t count);

    const QStringList& columns() const { return columns_; }
    std::size_t rowCount() const { return width_ ? cells_.size() / width_ : 0; }

    // A value as UTF-8, not 0-terminated: SQLite hands it on as it lies
    // (callers read text values with sqlite3_value_blob, which never copies).
    struct Value {
        const char* data;   // nullptr for Null
        std::uint32_t size;
    };
    const Value& value(std::size_t row, int column) const { return cells_[row * width_ + std::size_t(column)]; }

    // The rows in the order of `column`; built on the first call. Throws
    // std::bad_alloc.
    using Rows = std::vector<std::uint32_t, SqliteAllocator<std::uint32_t>>;
    const Rows& order(int column);

    // Compares two rows by one column in the order `order` gives them.
    // Throws std::bad_alloc (the column's sort keys are built on first use).
    int compare(std::size_t a, std::size_t b, int column);
    // Compares a row's value with a text (UTF-8), Nulls first.
    int compare(std::size_t row, int column, std::string_view text) const;

private:
    char* store(std::size_t size);

    // Each value's first level of General order as bytes that compare as
    // the texts do at that level (three per character: class, then base
    // letter), so that most comparisons are one memcmp; values equal there
    // are compared in full.
    struct Keys {
        std::vector<char, SqliteAllocator<char>> bytes;
        std::vector<std::uint32_t, SqliteAllocator<std::uint32_t>> ends;   // per row
        std::string_view of(std::size_t row) const
        {
            const std::uint32_t begin = row ? ends[row - 1] : 0;
            return {bytes.data() + begin, ends[row] - begin};
        }
    };
    const Keys& keys(int column);

    QStringList columns_;
    std::size_t width_;
    std::vector<Value, SqliteAllocator<Value>> cells_;   // row-major
    std::vector<char*, SqliteAllocator<char*>> blocks_;  // never move: values point into them
    char* free_ = nullptr;
    std::size_t left_ = 0;
    std::vector<std::unique_ptr<Rows>> orders_;           // per column, once built
    std::vector<std::unique_ptr<Keys>> keys_;             // per column, once built
};

// Registers the module under which the engine creates its tables:
//   CREATE VIRTUAL TABLE name USING jet_rows(<id>)
// where <id> is what `adopt` returned for the table. Returns SQLite's code.
class LoadedTables {
public:
    int registerModule(sqlite3* db, const char* collation);
    // Keeps `table` until a CREATE VIRTUAL TABLE names the id returned.
    int adopt(std::shared_ptr<LoadedTable> table);
    std::shared_ptr<LoadedTable> take(int id);

private:
    std::vector<std::pair<int, std::shared_ptr<LoadedTable>>> waiting_;
    int next_ = 1;
    std::string collation_;
    friend struct LoadedTableModule;
};

} // namespace orvane::db
