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

// Reads and checks page 0. Throws db::JetError 3024 (missing) or 3343 (not a
// Jet file: empty, short, wrong signature, a directory, ...).
HeaderInfo readHeader(const QString& path);

// True when `candidate` opens a file with this header the way Jet decides it:
// a file without password accepts anything.
bool passwordAccepts(const HeaderInfo& header, const QString& candidate);

// One table read whole: column names in table order and every live row, each
// value as Jet shows it as text; std::nullopt is NULL.
struct TableData {
    QString name;                 // as stored in the catalog
    QStringList columns;
    std::vector<std::vector<std::optional<QString>>> rows;
};

// A Jet file opened read-only through libmdb.
class MdbFile {
public:
    // Throws db::JetError 3024 / 3343.
    explicit MdbFile(const QString& path);
    ~MdbFile();
    MdbFile(const MdbFile&) = delete;
    MdbFile& operator=(const MdbFile&) = delete;

    // Names of the user tables, as stored (system tables excluded).
    QStringList tableNames() const;
    // Case-insensitive lookup; throws db::JetError 3078 when there is no such table.
    TableData readTable(const QString& name);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace orvane::jet
