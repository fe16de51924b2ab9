#include "db/LoadedTable.h"

#include "db/JetCollation.h"
#include "db/Log.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace orvane::db {

namespace {

constexpr std::size_t kBlock = 64 * 1024;

} // namespace

LoadedTable::LoadedTable(QStringList columns)
    : columns_(std::move(columns)), width_(std::size_t(columns_.size())), orders_(width_), keys_(width_)
{
}

LoadedTable::~LoadedTable()
{
    for (char* b : blocks_)
        sqlite3_free(b);
}

char* LoadedTable::store(std::size_t size)
{
    if (size > left_) {
        // A value longer than a block gets a block of its own.
        const std::size_t n = std::max(kBlock, size);
        blocks_.push_back(nullptr);   // first, so that the block is never lost
        char* block = static_cast<char*>(sqlite3_malloc64(n));
        if (!block)
            throw std::bad_alloc();
        blocks_.back() = block;
        free_ = block;
        left_ = n;
    }
    char* p = free_;
    free_ += size;
    left_ -= size;
    return p;
}

void LoadedTable::appendRow(const jet::Cell* cells, std::size_t count)
{
    // SQLite keeps no count of its own above 2^31 bytes per value and the
    // rows are numbered in 32 bits; Jet files cannot come near either.
    for (std::size_t c = 0; c < width_; ++c) {
        const jet::Cell* cell = c < count ? &cells[c] : nullptr;
        if (!cell || cell->null) {
            cells_.push_back({nullptr, 0});
        } else if (cell->size == 0) {
            cells_.push_back({"", 0});   // empty, not Null
        } else {
            char* p = store(cell->size);
            std::memcpy(p, cell->data, cell->size);
            cells_.push_back({p, std::uint32_t(cell->size)});
        }
    }
}

const LoadedTable::Keys& LoadedTable::keys(int column)
{
    std::unique_ptr<Keys>& slot = keys_[std::size_t(column)];
    if (!slot) {
        auto keyOf = [](char32_t c) {
            const JetCharWeight w = jetCharWeight(c);
            return std::uint32_t(w.cls) << 21 | (std::uint32_t(w.primary) & 0x1FFFFF);
        };
        static const auto ascii = [&] {
            std::array<std::uint32_t, 128> t{};
            for (char32_t c = 0; c < 128; ++c)
                t[c] = keyOf(c);
            return t;
        }();
        auto k = std::make_unique<Keys>();
        k->ends.resize(rowCount());
        std::size_t total = 0;
        for (std::size_t r = 0; r < rowCount(); ++r)
            total += value(r, column).size;
        // UTF-8 takes at least a byte a character; the ends are kept in 32 bits.
        if (3 * total > std::numeric_limits<std::uint32_t>::max())
            throw std::bad_alloc();
        k->bytes.resize(3 * total);
        char* out = k->bytes.data();
        for (std::size_t r = 0; r < rowCount(); ++r) {
            const Value& v = value(r, column);
            const std::string_view text(v.data ? v.data : "", v.size);
            for (std::size_t i = 0; i < text.size();) {
                const auto b = static_cast<unsigned char>(text[i]);
                std::uint32_t key;
                if (b < 0x80) {
                    key = ascii[b];
                    ++i;
                } else {
                    key = keyOf(jetDecodeUtf8(text, i));
                }
                *out++ = char(key >> 16);
                *out++ = char(key >> 8);
                *out++ = char(key);
            }
            k->ends[r] = std::uint32_t(out - k->bytes.data());
        }
        slot = std::move(k);
    }
    return *slot;
}

int LoadedTable::compare(std::size_t a, std::size_t b, int column)
{
    const Value& x = value(a, column);
    const Value& y = value(b, column);
    if (!x.data || !y.data)
        return (x.data ? 1 : 0) - (y.data ? 1 : 0);
    const Keys& k = keys(column);
    if (const int first = k.of(a).compare(k.of(b)))
        return first;
    return jetCompareUtf8({x.data, x.size}, {y.data, y.size});
}

int LoadedTable::compare(std::size_t row, int column, std::string_view text) const
{
    const Value& x = value(row, column);
    if (!x.data)
        return -1;
    return jetCompareUtf8({x.data, x.size}, text);
}

const LoadedTable::Rows& LoadedTable::order(int column)
{
    std::unique_ptr<Rows>& slot = orders_[std::size_t(column)];
    if (!slot) {
        auto rows = std::make_unique<Rows>(rowCount());
        for (std::size_t r = 0; r < rows->size(); ++r)
            (*rows)[r] = std::uint32_t(r);
        // Stable: equal values keep the order of the file, as an index
        // keyed on the value and then the row would. Tables are often
        // stored in the order of their key already.
        const auto less = [&](std::uint32_t a, std::uint32_t b) { return compare(a, b, column) < 0; };
        if (!std::is_sorted(rows->begin(), rows->end(), less))
            std::stable_sort(rows->begin(), rows->end(), less);
        slot = std::move(rows);
    }
    return *slot;
}

// ---- the SQLite module ------------------------------------------------------

struct LoadedTableModule {
    struct Table : sqlite3_vtab {
        std::shared_ptr<LoadedTable> rows;
        std::string collation;
    };

    struct Cursor : sqlite3_vtab_cursor {
        LoadedTable* table = nullptr;
        // The rows to visit: a run of an order (or of `subset`), or every row
        // in the file's order when `all` is set.
        const std::uint32_t* rows = nullptr;
        std::vector<std::uint32_t> subset;
        std::size_t count = 0;
        std::size_t at = 0;
        bool all = false;
        bool backwards = false;

        std::size_t row() const
        {
            const std::size_t i = backwards ? count - 1 - at : at;
            return all ? i : rows[i];
        }
    };

    // idxNum: the column an equality constraint looks up (bits 0-11, +1),
    // the column the rows are ordered by (bits 12-23, +1), descending (24).
    static constexpr int kColumnBits = 12;
    static constexpr int kColumnMask = (1 << kColumnBits) - 1;
    static constexpr int kDescending = 1 << (2 * kColumnBits);

    static int connect(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out, char** err)
    {
        auto* tables = static_cast<LoadedTables*>(aux);
        const std::shared_ptr<LoadedTable> rows = argc >= 4 ? tables->take(std::atoi(argv[3])) : nullptr;
        if (!rows) {
            *err = sqlite3_mprintf("no rows waiting for this table");
            return SQLITE_ERROR;
        }
        QString declaration = QStringLiteral("CREATE TABLE x(");
        for (qsizetype c = 0; c < rows->columns().size(); ++c) {
            QString name = rows->columns()[c];
            name.replace(QLatin1Char('"'), QLatin1String("\"\""));
            declaration += (c ? QStringLiteral(", \"") : QStringLiteral("\"")) + name + QStringLiteral("\" TEXT COLLATE ")
                + QString::fromStdString(tables->collation_);
        }
        declaration += QLatin1Char(')');
        const int rc = sqlite3_declare_vtab(db, declaration.toUtf8().constData());
        if (rc != SQLITE_OK)
            return rc;
        auto* table = new (std::nothrow) Table();
        if (!table)
            return SQLITE_NOMEM;
        table->rows = rows;
        table->collation = tables->collation_;
        *out = table;
        return SQLITE_OK;
    }

    static int disconnect(sqlite3_vtab* vtab)
    {
        delete static_cast<Table*>(vtab);
        return SQLITE_OK;
    }

    static int bestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info)
    {
        auto* table = static_cast<Table*>(vtab);
        const double n = double(table->rows->rowCount()) + 1;
        int idx = 0;
        // One equality in the table's own text order is looked up; SQLite
        // checks every constraint again, so a lookup that finds more (a
        // value that is not text) costs time, never a wrong row.
        for (int i = 0; i < info->nConstraint; ++i) {
            const auto& c = info->aConstraint[i];
            if (!c.usable || c.op != SQLITE_INDEX_CONSTRAINT_EQ || c.iColumn < 0 || c.iColumn > kColumnMask - 1)
                continue;
            const char* collation = sqlite3_vtab_collation(info, i);
            if (!collation || sqlite3_stricmp(collation, table->collation.c_str()) != 0)
                continue;
            info->aConstraintUsage[i].argvIndex = 1;
            idx = c.iColumn + 1;
            break;
        }
        if (info->nOrderBy == 1 && info->aOrderBy[0].iColumn >= 0 && info->aOrderBy[0].iColumn < kColumnMask) {
            idx |= (info->aOrderBy[0].iColumn + 1) << kColumnBits;
            if (info->aOrderBy[0].desc)
                idx |= kDescending;
            info->orderByConsumed = 1;
        }
        info->idxNum = idx;
        if (idx & kColumnMask) {
            info->estimatedCost = 10 + std::log2(n);
            info->estimatedRows = 10;
        } else {
            info->estimatedCost = n;
            info->estimatedRows = sqlite3_int64(n);
        }
        return SQLITE_OK;
    }

    static int open(sqlite3_vtab* vtab, sqlite3_vtab_cursor** out)
    {
        auto* cursor = new (std::nothrow) Cursor();
        if (!cursor)
            return SQLITE_NOMEM;
        cursor->table = static_cast<Table*>(vtab)->rows.get();
        *out = cursor;
        return SQLITE_OK;
    }

    static int close(sqlite3_vtab_cursor* cursor)
    {
        delete static_cast<Cursor*>(cursor);
        return SQLITE_OK;
    }

    static int filter(sqlite3_vtab_cursor* base, int idx, const char*, int argc, sqlite3_value** argv)
    {
        auto* cursor = static_cast<Cursor*>(base);
        LoadedTable& t = *cursor->table;
        const int lookup = (idx & kColumnMask) - 1;
        const int orderBy = ((idx >> kColumnBits) & kColumnMask) - 1;
        cursor->at = 0;
        cursor->backwards = idx & kDescending;
        cursor->subset.clear();
        try {
            if (lookup >= 0 && argc >= 1 && sqlite3_value_type(argv[0]) == SQLITE_TEXT) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
                const std::string_view key(text ? text : "", std::size_t(sqlite3_value_bytes(argv[0])));
                const LoadedTable::Rows& rows = t.order(lookup);
                const auto first = std::lower_bound(rows.begin(), rows.end(), key, [&](std::uint32_t r, std::string_view k) {
                    return t.compare(r, lookup, k) < 0;
                });
                const auto last = std::upper_bound(first, rows.end(), key, [&](std::string_view k, std::uint32_t r) {
                    return t.compare(r, lookup, k) > 0;
                });
                cursor->all = false;
                if (orderBy >= 0 && orderBy != lookup) {
                    cursor->subset.assign(first, last);
                    std::sort(cursor->subset.begin(), cursor->subset.end(), [&](std::uint32_t a, std::uint32_t b) {
                        const int c = t.compare(a, b, orderBy);
                        return c < 0 || (c == 0 && a < b);
                    });
                    cursor->rows = cursor->subset.data();
                    cursor->count = cursor->subset.size();
                } else {
                    // Equal values, in the file's order already.
                    cursor->rows = rows.data() + (first - rows.begin());
                    cursor->count = std::size_t(last - first);
                }
            } else if (orderBy >= 0) {
                const LoadedTable::Rows& rows = t.order(orderBy);
                cursor->all = false;
                cursor->rows = rows.data();
                cursor->count = rows.size();
            } else {
                cursor->all = true;
                cursor->count = t.rowCount();
            }
        } catch (const std::bad_alloc&) {
            qCInfo(lcDb) << "out of memory ordering a table's rows";
            return SQLITE_NOMEM;
        }
        return SQLITE_OK;
    }

    static int next(sqlite3_vtab_cursor* base)
    {
        ++static_cast<Cursor*>(base)->at;
        return SQLITE_OK;
    }

    static int eof(sqlite3_vtab_cursor* base)
    {
        const auto* cursor = static_cast<Cursor*>(base);
        return cursor->at >= cursor->count;
    }

    static int column(sqlite3_vtab_cursor* base, sqlite3_context* ctx, int column)
    {
        const auto* cursor = static_cast<Cursor*>(base);
        const LoadedTable::Value& v = cursor->table->value(cursor->row(), column);
        if (!v.data)
            sqlite3_result_null(ctx);
        else
            sqlite3_result_text(ctx, v.data, int(v.size), SQLITE_STATIC);
        return SQLITE_OK;
    }

    static int rowid(sqlite3_vtab_cursor* base, sqlite3_int64* out)
    {
        *out = sqlite3_int64(static_cast<Cursor*>(base)->row()) + 1;
        return SQLITE_OK;
    }

    static const sqlite3_module& module()
    {
        static const sqlite3_module m = [] {
            sqlite3_module x{};
            x.iVersion = 1;
            x.xCreate = connect;
            x.xConnect = connect;
            x.xBestIndex = bestIndex;
            x.xDisconnect = disconnect;
            x.xDestroy = disconnect;
            x.xOpen = open;
            x.xClose = close;
            x.xFilter = filter;
            x.xNext = next;
            x.xEof = eof;
            x.xColumn = column;
            x.xRowid = rowid;
            return x;
        }();
        return m;
    }
};

int LoadedTables::registerModule(sqlite3* db, const char* collation)
{
    collation_ = collation;
    return sqlite3_create_module_v2(db, "jet_rows", &LoadedTableModule::module(), this, nullptr);
}

int LoadedTables::adopt(std::shared_ptr<LoadedTable> table)
{
    waiting_.emplace_back(next_, std::move(table));
    return next_++;
}

std::shared_ptr<LoadedTable> LoadedTables::take(int id)
{
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
        if (it->first == id) {
            std::shared_ptr<LoadedTable> t = std::move(it->second);
            waiting_.erase(it);
            return t;
        }
    }
    return nullptr;
}

} // namespace orvane::db
