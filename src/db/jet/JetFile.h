#pragma once

// The Jet reader seen from Qt: page 0 (version, code page, password) and
// whole tables as QStrings, for the tools and tests; the query engine streams
// rows from the reader itself (db/jet/JetReader.h).

#include "db/jet/JetReader.h"

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

// The JetError the reader's failure stands for.
class JetError;
JetError toJetError(const ReadError& e);

// The decoder for a single-byte code page other than Windows-1252, through
// Qt's codecs; nullptr when Qt does not know the code page (the reader then
// falls back to Windows-1252 rather than failing the whole file).
const CodePageDecoder* qtCodePageDecoder(int codePage);

// Reads and checks page 0. Throws JetError 3024 (missing), 3343 (not a
// Jet file: empty, short, wrong signature, a directory, ...) or 3051 (exists
// but cannot be opened for reading).
HeaderInfo readHeader(const QString& path);

// True when `candidate` opens a file with this header the way Jet decides it:
// a file without password accepts anything.
bool passwordAccepts(const HeaderInfo& header, const QString& candidate);

// One table read whole: column names in table order and every row that read
// whole, each value as Jet shows it as text; std::nullopt is NULL.
struct TableData {
    QString name;                 // as stored in the catalog
    QStringList columns;
    std::vector<int> columnTypes; // Jet type code per column (0x01 BOOL ... 0x0C MEMO)
    std::vector<std::vector<std::optional<QString>>> rows;
    std::size_t damagedRows = 0;  // rows left out as damaged
    QString damage;               // the 3049 message for them; empty when none
};

// A Jet file opened read-only.
class JetFile {
public:
    // Reads page 0 and the catalog. Throws JetError 3024 / 3343 / 3051, and
    // 3049 when the catalog's rows or pages are damaged.
    explicit JetFile(const QString& path);
    ~JetFile();
    JetFile(const JetFile&) = delete;
    JetFile& operator=(const JetFile&) = delete;

    const HeaderInfo& header() const;

    // Names of the user tables, as stored (system tables excluded).
    QStringList tableNames() const;

    // Case-insensitive lookup among all tables, system tables included.
    // Throws JetError 3078 when there is no such table and 3049 when its
    // definition or page map cannot be read. A row whose structure does not
    // add up (see JetReader.h) is left out and counted in the result.
    // Text and memo values are decoded from the file's code page (Jet 3) or
    // UCS-2 (Jet 4); booleans are "0"/"1" and never NULL; numbers in the C
    // locale; dates "MM/DD/YY hh:mm:ss"; OLE and binary values hold one
    // character per byte (U+0000..U+00FF).
    TableData readTable(const QString& name);

    // Streams the table's rows into `sink` without holding them (throws as
    // readTable does).
    TableReport streamTable(const QString& name, TableSink& sink);

private:
    HeaderInfo header_;
    std::unique_ptr<Database> db_;
};

} // namespace orvane::jet
