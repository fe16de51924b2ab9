#pragma once

// The data-access layer the program talks to: a workspace that opens database
// files, and open databases that run one Jet SQL SELECT at a time, handing
// its rows over as they are stepped or collected. Every failure is a JetError.

#include "JetError.h"
#include "db/jet/JetFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace orvane::db {

// Rows of a table that the file holds damaged and the engine left out (the
// rows that read whole are kept). Damage is error 3049: `message` is its text
// for the first damaged row, naming the table.
struct TableDamage {
    QString table;
    QString message;
    std::size_t rows = 0;
};

// The damage of every table a statement read; empty when there was none.
using DamageReport = std::vector<TableDamage>;

// The error a statement's damage amounts to: 3049 naming the first damaged
// table and how many rows were left out in all.
JetError damageError(const DamageReport& damage);

// The rows of one query, fixed at the moment it ran.
struct Snapshot {
    QStringList columns;
    std::vector<std::vector<std::optional<QString>>> rows;   // nullopt = Null
    DamageReport damage;   // rows of the tables read that were left out as damaged
};

// The same rows with every value kept as UTF-8 in one buffer, row after row:
// about half the memory of a Snapshot for long texts, which is what the
// program's queries over whole section tables return, and no allocation per
// value.
struct CompactSnapshot {
    QStringList columns;
    DamageReport damage;   // rows of the tables read that were left out as damaged

    std::size_t rowCount() const { return columns.isEmpty() ? 0 : cells_.size() / std::size_t(columns.size()); }
    // A value of the snapshot (valid while it lives); nullopt for Null.
    std::optional<QByteArrayView> cell(std::size_t row, int column) const
    {
        const Cell& c = cells_[row * std::size_t(columns.size()) + std::size_t(column)];
        if (!c.data)
            return std::nullopt;
        return QByteArrayView(c.data, c.size);
    }

    // Appends the next value, row after row; nullptr for Null.
    void appendCell(const char* utf8, std::size_t size);

private:
    struct Cell {
        const char* data;   // nullptr for Null
        std::size_t size;
    };
    // Values are copied into blocks that never move, so that a cell's view
    // stays valid as the snapshot grows and when it is moved.
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* free_ = nullptr;
    std::size_t left_ = 0;
    std::vector<Cell> cells_;   // row-major
};

// One row as the engine steps it: a cell per column as UTF-8, nullopt for
// Null. The views are valid during the call that receives them only.
using RowCells = std::vector<std::optional<std::string_view>>;

// Where an open database gets a table's rows the first time a statement
// names it. Throws JetError 3078 for a table that does not exist.
using TableSource = std::function<jet::TableData(const QString& name)>;
// The same, streamed: the rows go into the sink as the file is read, and
// damaged rows are counted in the report.
using TableStream = std::function<jet::TableReport(const QString& name, jet::TableSink& sink)>;

class Database {
public:
    // A database whose tables come from `source` rather than a file: the
    // workspace uses it over a Jet file, tests over rows held in memory.
    static std::unique_ptr<Database> fromTableSource(const QString& path, TableSource source);
    static std::unique_ptr<Database> fromTableStream(const QString& path, TableStream stream);

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& path() const;
    bool isOpen() const;

    // Runs one Jet SQL SELECT statement. Throws JetError: 3078 for a table that
    // does not exist, 3075 for a syntax error, an invalid LIKE pattern or any
    // statement other than one SELECT, 3035 when it needs more memory than
    // the ceiling allows.
    // The rows collected count against the memory ceiling while they are
    // being collected.
    Snapshot execute(const QString& sql);
    CompactSnapshot executeCompact(const QString& sql);
    // The same statement with nothing collected: the column names, then each
    // row as it is stepped. Errors as above; a callback's exception ends the
    // statement and passes through. Returns the rows the tables read left
    // out as damaged.
    DamageReport stream(const QString& sql, const std::function<void(const QStringList& columns)>& header,
                const std::function<void(const RowCells& row)>& row);

    // Releases the file and everything loaded from it; further use throws.
    void close();

    // Whether a run of LIKE tests of one column is answered by one call that
    // tests every pattern (the default), or test by test as written: the
    // plain form, kept to check the joined one against.
    void setLikeRunsJoined(bool joined);

    // The most memory queries may hold, for all open databases together:
    // loaded tables, the engine's own work and the rows being collected for
    // a caller. A statement that needs more fails with JetError 3035 and
    // leaves the database usable. 1 GiB unless set.
    static void setMemoryCeiling(qint64 bytes);
    static qint64 memoryCeiling();
    static constexpr qint64 kDefaultMemoryCeiling = qint64(1) << 30;

    struct Impl;

private:
    friend class Workspace;
    explicit Database(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

class Workspace {
public:
    Workspace();
    ~Workspace();

    // Opens `path`; connect is a connect string such as ";pwd=secret".
    // The file is always opened read-only at the operating-system level,
    // whatever `exclusive` and `readOnly` say: the program never writes it.
    // Throws JetError 3024 (missing), 3031 (wrong password), 3343 (not a Jet file).
    std::unique_ptr<Database> openDatabase(const QString& path, bool exclusive, bool readOnly,
                                           const QString& connect);

    bool isOpen() const { return open_; }
    void close() { open_ = false; }

private:
    bool open_ = true;
};

} // namespace orvane::db
