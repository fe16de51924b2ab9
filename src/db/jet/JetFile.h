#pragma once

// Reading side of a Jet database file: page 0 (version, code page, password)
// and the user tables through libmdb.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace orvane::jet {

struct HeaderInfo {
    int version = 0;        // byte 0x14: 0 Jet 3, 1 Jet 4, 2..6 ACE
    int pageSize = 2048;    // 2048 for Jet 3, 4096 otherwise
    int codePage = 1252;
    QString password;       // decoded database password; empty = none
};

// Reads and checks page 0. Throws JetError 3024 (missing), 3343 (not a
// Jet file: empty, short, wrong signature, a directory, ...) or 3051 (exists
// but cannot be opened for reading).
HeaderInfo readHeader(const QString& path);

// True when `candidate` opens a file with this header the way Jet decides it:
// a file without password accepts anything.
bool passwordAccepts(const HeaderInfo& header, const QString& candidate);

// One table read whole: column names in table order and every live row, each
// value as Jet shows it as text; std::nullopt is NULL.
struct TableData {
    QString name;                 // as stored in the catalog
    QStringList columns;
    std::vector<int> columnTypes; // Jet type code per column (0x01 BOOL ... 0x0C MEMO)
    std::vector<std::vector<std::optional<QString>>> rows;
};

// A Jet file opened read-only through libmdb.
class MdbFile {
public:
    // Reads page 0 and the catalog. Throws JetError 3024 / 3343 / 3051, and
    // 3049 when the catalog's rows or pages are damaged.
    explicit MdbFile(const QString& path);
    ~MdbFile();
    MdbFile(const MdbFile&) = delete;
    MdbFile& operator=(const MdbFile&) = delete;

    const HeaderInfo& header() const;

    // Names of the user tables, as stored (system tables excluded).
    QStringList tableNames() const;
    // Case-insensitive lookup among all tables, system tables included;
    // throws JetError 3078 when there is no such table, 3343 when its
    // definition cannot be read and 3049 when any of its rows cannot: a row
    // that lies outside its page, fewer rows on its pages than the definition
    // records, a memo or OLE value whose pointer leaves the file or names no
    // long-value row, whose chain loops, or whose bytes differ in number from
    // its stored length. The whole table fails; no row is returned short. Text and memo values are decoded from the file's
    // code page (Jet 3) or UCS-2 (Jet 4); booleans are "0"/"1" and never NULL;
    // numbers and dates are formatted as libmdb formats them in the C locale
    // (dates "MM/DD/YY hh:mm:ss"); OLE and binary values hold one character
    // per byte (U+0000..U+00FF).
    TableData readTable(const QString& name);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace orvane::jet
