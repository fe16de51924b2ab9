#pragma once

// The Jet file reader: bytes in, tables out, standard C++ only, so that it
// builds for every platform and runs whole under the fuzzer. It reads page 0
// (version, code page, password, database key), the catalog, table
// definitions of Jet 3 and Jet 4 files, both kinds of usage map, rows and
// long values, and hands each row over as UTF-8 text exactly as the program
// prints it. Damage is found by checking each structure against what it must
// be; a damaged row is left out and counted, the rows that read whole are kept.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::jet {

// A failure of the reader, carrying the Jet error number (3024 missing file,
// 3051 cannot open, 3343 not a Jet file, 3049 damaged, 3078 no such table)
// and a UTF-8 message.
class ReadError : public std::runtime_error {
public:
    ReadError(int number, const std::string& message)
        : std::runtime_error(message), number_(number) {}
    int number() const noexcept { return number_; }

private:
    int number_;
};

// Column type codes as stored in a table definition.
enum TypeCode : int {
    kTypeBool = 0x01, kTypeByte = 0x02, kTypeInt = 0x03, kTypeLong = 0x04,
    kTypeMoney = 0x05, kTypeFloat = 0x06, kTypeDouble = 0x07, kTypeDateTime = 0x08,
    kTypeBinary = 0x09, kTypeText = 0x0A, kTypeOle = 0x0B, kTypeMemo = 0x0C,
    kTypeGuid = 0x0F, kTypeNumeric = 0x10, kTypeComplex = 0x12,
    // Bytes of a kind Access keeps for itself (MSysAccessObjects), read as binary.
    kTypeBinary0D = 0x0D, kTypeBinary11 = 0x11
};

// Text in a single-byte code page other than Windows-1252, appended to `out`
// as UTF-8. The reader knows Windows-1252 itself; a caller that knows more
// code pages passes a decoder for the one in the header.
class CodePageDecoder {
public:
    virtual ~CodePageDecoder() = default;
    virtual void appendUtf8(const std::uint8_t* bytes, std::size_t size, std::string& out) const = 0;
};

struct Header {
    int version = 0;       // byte 0x14: 0 Jet 3, 1 Jet 4, 2..6 ACE
    int pageSize = 2048;   // 2048 for Jet 3, 4096 otherwise
    int codePage = 1252;
    std::string password;  // decoded database password as UTF-8; empty = none
    std::uint32_t databaseKey = 0;
};

struct Column {
    std::string name;      // UTF-8
    int type = 0;
    int number = 0;        // position in the row's null mask
    int varIndex = 0;      // index in the variable-offset table
    int fixedOffset = 0;   // offset in the fixed area
    int length = 0;        // declared length in bytes
    bool fixed = false;
    int scale = 0;         // NUMERIC only
};

// One value handed to a sink: UTF-8 bytes valid for the duration of the call.
struct Cell {
    const char* data = nullptr;
    std::size_t size = 0;
    bool null = true;
    std::string_view view() const { return {data, size}; }
};

// Receives a table: its name as stored and its columns once, then every row
// that reads whole.
class TableSink {
public:
    virtual ~TableSink() = default;
    virtual void columns(const std::string& table, const std::vector<Column>& columns) = 0;
    virtual void row(const Cell* cells, std::size_t count) = 0;
};

// What reading a table found besides its rows.
struct TableReport {
    std::string name;          // as stored in the catalog
    std::size_t rows = 0;      // rows handed to the sink
    std::size_t damaged = 0;   // rows (or row slots) left out as damaged
    std::string damage;        // the 3049 message for the first damage; empty when none
};

// Reads and checks page 0 of `bytes` (at least the first page of a file).
// Throws ReadError 3343 when it is not a Jet database header. `where` names
// the file in messages.
Header parseHeader(const std::uint8_t* bytes, std::size_t size, std::uint64_t fileSize,
                   const std::string& where, const CodePageDecoder* decoder = nullptr);

// Reads page 0 of the file at `path`. Throws ReadError 3024 / 3051 / 3343.
Header readHeader(const std::filesystem::path& path, const CodePageDecoder* decoder = nullptr);

// A path from UTF-8 text, on every platform (Windows keeps wide names).
std::filesystem::path pathFromUtf8(std::string_view utf8);
std::string pathToUtf8(const std::filesystem::path& path);

// A Jet file opened read-only. Not thread-safe; one table is read at a time.
class Database {
public:
    // Opens the file (never for writing), reads page 0 and the catalog.
    // Throws ReadError 3024 / 3051 / 3343, and 3049 when the catalog is damaged.
    static std::unique_ptr<Database> open(const std::filesystem::path& path,
                                          const CodePageDecoder* decoder = nullptr);
    // The same over bytes held in memory (copied).
    static std::unique_ptr<Database> fromBytes(std::vector<std::uint8_t> bytes, const std::string& name,
                                               const CodePageDecoder* decoder = nullptr);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const Header& header() const;

    // Names of the user tables as stored (system tables excluded), catalog order.
    std::vector<std::string> tableNames() const;
    // Every table of the catalog, system tables included.
    std::vector<std::string> allTableNames() const;

    // The stored name of the table `name` (exact match first, then ignoring
    // case), or empty when there is none.
    std::string findTable(std::string_view name) const;

    // Reads the table `name` (see findTable) into `sink`. Throws ReadError
    // 3078 when there is no such table and 3049 when its definition or page
    // map cannot be read, or a column has a type no Jet version has; damaged
    // rows are counted in the report instead.
    TableReport readTable(std::string_view name, TableSink& sink);

    // Pages read from the file so far (for tests of the reading cost).
    std::uint64_t pagesRead() const;

    struct Impl;

private:
    explicit Database(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

// Jet's text for fixed-size values, as the program prints them.
namespace text {
void appendDateTime(double days, std::string& out);   // "MM/DD/YY hh:mm:ss"
void appendMoney(std::int64_t tenThousandths, std::string& out);
void appendFloat(float value, std::string& out);
void appendDouble(double value, std::string& out);
void appendGuid(const std::uint8_t* bytes16, std::string& out);
void appendNumeric(const std::uint8_t* bytes17, int scale, std::string& out);
void appendCp1252(const std::uint8_t* bytes, std::size_t size, std::string& out);
void appendUcs2(const std::uint8_t* bytes, std::size_t size, std::string& out); // Jet 4, compressed or not
void appendLatin1(const std::uint8_t* bytes, std::size_t size, std::string& out); // OLE and binary
void appendCodePoint(char32_t cp, std::string& out);
} // namespace text

} // namespace orvane::jet
