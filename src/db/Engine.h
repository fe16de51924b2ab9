#pragma once

// The data-access layer the program talks to: a workspace that opens database
// files, open databases that run one Jet SQL SELECT at a time, and static
// snapshot record sets walked from the first row. Every failure is a JetError.

#include "JetError.h"
#include "db/jet/JetFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
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

// The same rows with every value kept as UTF-8, row after row: about half
// the memory of a Snapshot for long texts, which is what a record set over a
// whole section table holds.
struct CompactSnapshot {
    QStringList columns;
    std::vector<std::optional<QByteArray>> cells;   // row-major; nullopt = Null
    DamageReport damage;   // rows of the tables read that were left out as damaged

    std::size_t rowCount() const { return columns.isEmpty() ? 0 : cells.size() / std::size_t(columns.size()); }
    const std::optional<QByteArray>& cell(std::size_t row, int column) const
    {
        return cells[row * std::size_t(columns.size()) + std::size_t(column)];
    }
};

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
    Snapshot execute(const QString& sql);
    CompactSnapshot executeCompact(const QString& sql);

    // Releases the file and everything loaded from it; further use throws.
    void close();

    // Whether a run of LIKE tests of one column is answered by one call that
    // tests every pattern (the default), or test by test as written: the
    // plain form, kept to check the joined one against.
    void setLikeRunsJoined(bool joined);

    // The most memory the query engine may hold, for all open databases
    // together (loaded tables included). A statement that needs more fails
    // with JetError 3035 and leaves the database usable. 1 GiB unless set.
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

// Snapshot record set (record-set type 4). One instance is shared by the
// program's routines, each opening, walking and closing it in turn.
class Recordset {
public:
    static constexpr int kSnapshot = 4;

    // Runs `sql` on `db`. On failure throws JetError and stays closed.
    void open(Database& db, const QString& sql, int type = kSnapshot);
    bool isOpen() const { return open_; }

    bool eof() const;          // also true when closed
    void moveFirst();
    void moveNext();
    int recordCount() const;

    // Field of the current row by name, case-insensitive. Null reads as empty
    // text. Throws JetError 3265 for an unknown name, 3021 with no current row.
    QString field(const QString& name) const;
    bool isNull(const QString& name) const;

    void close();

private:
    int column(const QString& name) const;
    CompactSnapshot data_;
    std::size_t row_ = 0;
    bool open_ = false;
};

} // namespace orvane::db
