#pragma once

// Writing side: a Jet 3 (Access 97 format) database file built from scratch.
// Used by the database builder tool, the bundled sample database and every
// test fixture.

#include <QDateTime>
#include <QString>
#include <stdexcept>
#include <variant>
#include <vector>

namespace orvane::jet {

enum class ColumnType : unsigned char {
    Bool = 0x01,
    Int = 0x03,      // 16-bit
    Long = 0x04,     // 32-bit
    Double = 0x07,
    DateTime = 0x08,
    Text = 0x0A,     // TEXT(n), n = 1..255 bytes
    Memo = 0x0C,
};

struct ColumnDef {
    QString name;
    ColumnType type = ColumnType::Text;
    int textSize = 255;   // TEXT only: maximum length in bytes
};

// std::monostate is NULL. Integers go into Int/Long/Bool columns (range
// checked), double or integers into Double, QDateTime into DateTime (its
// wall-clock date and time, as Jet keeps no time zone), QString into
// Text/Memo. A Jet 3 yes/no value cannot be NULL: NULL in a Bool column is
// stored as No. Memo texts of up to 64 bytes stay in the row unless the row
// would grow too long; longer ones go to long-value pages.
using CellValue = std::variant<std::monostate, QString, qint64, double, bool, QDateTime>;

struct TableDef {
    QString name;
    std::vector<ColumnDef> columns;
    std::vector<std::vector<CellValue>> rows;
};

struct DatabaseDef {
    QString password;          // up to 20 Windows-1252 characters; empty = none
    std::vector<TableDef> tables;
    QDateTime created;         // creation date of the tables; invalid = time of writing
};

class WriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes `db` to `path` through a temporary file in the same folder that is
// renamed into place at the end: on any failure no file is left at `path`
// (an existing file there stays as it was). Throws WriteError with a message
// that names the table/row/column at fault (text not representable in
// Windows-1252, a text longer than its column, a row over the page limit, ...).
// Table and column names follow Jet's rules: 1..64 characters, no leading
// blank, no control characters nor any of . ! ` [ ], unique regardless of
// case. Tables are listed in the catalog in the order given; rows keep
// their order.
void writeDatabase(const QString& path, const DatabaseDef& db);

} // namespace orvane::jet
