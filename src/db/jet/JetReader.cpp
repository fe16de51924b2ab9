#include "db/jet/JetReader.h"

#include "db/jet/JetErrorNumber.h"
#include "db/jet/JetFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <set>
#include <system_error>
#include <unordered_set>

#ifndef _WIN32
#include <cerrno>
#include <unistd.h>
#endif

namespace orvane::jet {

using namespace format;

namespace {


// Where the fields of each structure sit, per version: Jet 3 (version 0)
// and Jet 4 and later differ in offsets and sizes, not in the reading.
struct Layout {
    int pageSize;
    int rowCountOffset;     // data page: row count, the row offsets follow
    int tdefRowCount;       // table definition: fields from the page start
    int tdefMaxColumns;
    int tdefVarColumns;
    int tdefColumns;
    int tdefIndexes;
    int tdefRealIndexes;
    int tdefUsageMap;
    int tdefColumnsStart;
    int realIndexEntry;     // bytes per physical index entry before the columns
    int columnEntry;        // bytes per column descriptor
    int colNumber;          // column descriptor: fields from its start
    int colVarIndex;
    int colFlags;
    int colFixedOffset;
    int colLength;
    int colScale;
    int nameLengthSize;     // column name: 1-byte length (Jet 3) or 2-byte (Jet 4)
    int rowCountSize;       // row: column count and variable count size
};

constexpr Layout kJet3 = {2048, 8, 12, 21, 23, 25, 27, 31, 35, 43, 8, 18, 1, 3, 13, 14, 16, 10, 1, 1};
constexpr Layout kJet4 = {4096, 12, 16, 41, 43, 45, 47, 51, 55, 63, 12, 25, 5, 7, 15, 21, 23, 12, 2, 2};

constexpr int kColumnFixedFlag = 0x01;

std::string quoted(const std::string& s)
{
    return "'" + s + "'";
}

ReadError notJetFile(const std::string& where, const char* why)
{
    return ReadError(kUnrecognizedFormat, "Unrecognized database format " + quoted(where) + " (" + why + ").");
}

// Java-style (int) of a double: truncation, saturating, NaN -> 0. The Jet 4
// password mask is built from the creation date this way.
std::int32_t truncateToInt32(double d)
{
    if (std::isnan(d))
        return 0;
    if (d >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (d <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(d);
}

bool knownType(int type)
{
    return (type >= kTypeBool && type <= kTypeMemo) || type == kTypeGuid || type == kTypeNumeric
        || type == kTypeComplex || type == kTypeBinary0D || type == kTypeBinary11;
}

// Size of a fixed-size value in bytes; 0 for the variable types and BOOL.
int fixedSize(int type)
{
    switch (type) {
    case kTypeByte: return 1;
    case kTypeInt: return 2;
    case kTypeLong: case kTypeFloat: case kTypeComplex: return 4;
    case kTypeMoney: case kTypeDouble: case kTypeDateTime: return 8;
    case kTypeGuid: return 16;
    case kTypeNumeric: return 17;
    default: return 0;
    }
}

// Case folding for table lookups: ASCII, Latin-1, Latin Extended-A, Greek
// and Cyrillic capitals, the letters table names are written in.
char32_t foldCase(char32_t c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if (c < 0x80)
        return c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        || (c >= 0x410 && c <= 0x42F))
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x138 && c != 0x149 && c != 0x17F) {
        const bool oddLower = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddLower)
            return (c % 2 == 1) ? c + 1 : c;
        return (c % 2 == 0) ? c + 1 : c;
    }
    return c;
}

std::u32string folded(std::string_view utf8)
{
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<std::uint8_t>(utf8[i]);
        char32_t cp = b;
        int extra = 0;
        if (b >= 0xF0) { cp = b & 0x07; extra = 3; }
        else if (b >= 0xE0) { cp = b & 0x0F; extra = 2; }
        else if (b >= 0xC0) { cp = b & 0x1F; extra = 1; }
        ++i;
        for (int k = 0; k < extra && i < utf8.size(); ++k, ++i)
            cp = (cp << 6) | (static_cast<std::uint8_t>(utf8[i]) & 0x3F);
        out.push_back(foldCase(cp));
    }
    return out;
}

// Where the pages come from: a file read page by page, or bytes in memory.
class Source {
public:
    virtual ~Source() = default;
    // Reads `size` bytes at `offset`; false when the source ends before.
    virtual bool read(std::uint64_t offset, std::uint8_t* out, std::size_t size) = 0;
    virtual std::uint64_t size() const = 0;
    // The bytes themselves when held in memory, for reading without a copy.
    virtual const std::uint8_t* direct() const { return nullptr; }
};

class FileSource : public Source {
public:
    FileSource(std::FILE* f, std::uint64_t size) : f_(f), size_(size) {}
    ~FileSource() override { std::fclose(f_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    bool read(std::uint64_t offset, std::uint8_t* out, std::size_t size) override
    {
        if (offset > size_ || size > size_ - offset)
            return false;
#ifndef _WIN32
        // Pages are read one by one, data and long-value pages in turn: a
        // positioned read takes each straight from the system, where the
        // stream would drop its buffer at every seek and copy twice.
        const int fd = fileno(f_);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t got = ::pread(fd, out + done, size - done, static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            done += static_cast<std::size_t>(got);
        }
        return true;
#else
        if (pos_ != offset && _fseeki64(f_, static_cast<long long>(offset), SEEK_SET) != 0)
            return false;
        const std::size_t got = std::fread(out, 1, size, f_);
        pos_ = offset + got;
        return got == size;
#endif
    }
    std::uint64_t size() const override { return size_; }

private:
    std::FILE* f_;
    std::uint64_t size_;
    std::uint64_t pos_ = ~std::uint64_t(0);
};

class MemorySource : public Source {
public:
    explicit MemorySource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    bool read(std::uint64_t offset, std::uint8_t* out, std::size_t size) override
    {
        if (offset > bytes_.size() || size > bytes_.size() - offset)
            return false;
        if (size)
            std::memcpy(out, bytes_.data() + offset, size);
        return true;
    }
    std::uint64_t size() const override { return bytes_.size(); }
    const std::uint8_t* direct() const override { return bytes_.data(); }

private:
    std::vector<std::uint8_t> bytes_;
};

std::FILE* openForReading(const std::filesystem::path& path)
{
#ifdef _WIN32
    return _wfopen(path.c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

// Damage confined to one row (or one page of rows): the row is left out.
struct RowDamage {
    std::string what;
};

} // namespace

std::filesystem::path pathFromUtf8(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string pathToUtf8(const std::filesystem::path& path)
{
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

Header parseHeader(const std::uint8_t* bytes, std::size_t size, std::uint64_t fileSize,
                   const std::string& where, const CodePageDecoder* decoder)
{
    if (size < static_cast<std::size_t>(kJet3PageSize) || fileSize < static_cast<std::uint64_t>(kJet3PageSize))
        throw notJetFile(where, "shorter than one page");
    std::uint8_t b[kJet4PageSize] = {};
    std::memcpy(b, bytes, std::min<std::size_t>(size, kJet4PageSize));
    if (b[0] != kPageHeader)
        throw notJetFile(where, "not a header page");
    const bool jetSig = std::memcmp(b + kSignatureOffset, kJetSignature, sizeof kJetSignature) == 0;
    const bool aceSig = std::memcmp(b + kSignatureOffset, kAceSignature, sizeof kAceSignature) == 0;
    const int version = b[kVersionOffset];
    if (!(jetSig || aceSig) || version > 6 || (aceSig && version < 2))
        throw notJetFile(where, "no database signature");

    Header h;
    h.version = version;
    h.pageSize = version == 0 ? kJet3PageSize : kJet4PageSize;
    if (fileSize < static_cast<std::uint64_t>(h.pageSize) || size < static_cast<std::size_t>(h.pageSize))
        throw notJetFile(where, "shorter than one page");

    scrambleHeader(b, version);
    h.codePage = le16(b + kCodePageOffset);
    h.databaseKey = le32(b + kDatabaseKeyOffset);

    if (version == 0) {
        const std::uint8_t* pw = b + kPasswordOffset;
        std::size_t n = 0;
        while (n < static_cast<std::size_t>(kJet3PasswordBytes) && pw[n] != 0)
            ++n;
        if (decoder && h.codePage != 0 && h.codePage != 1252)
            decoder->appendUtf8(pw, n, h.password);
        else
            text::appendCp1252(pw, n, h.password);
    } else {
        // Jet 4 adds a mask derived from the creation date on top of the
        // header scrambling: the 4 little-endian bytes of (int)date, repeated.
        double created = 0;
        std::uint8_t dateBytes[8];
        for (int i = 0; i < 8; ++i)
            dateBytes[i] = b[kCreationDateOffset + i];
        std::uint64_t bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = (bits << 8) | dateBytes[i];
        std::memcpy(&created, &bits, sizeof created);
        const auto mask = static_cast<std::uint32_t>(truncateToInt32(created));
        std::uint8_t pw[kJet4PasswordBytes];
        for (int i = 0; i < kJet4PasswordBytes; ++i)
            pw[i] = b[kPasswordOffset + i] ^ static_cast<std::uint8_t>(mask >> (8 * (i % 4)));
        std::size_t n = 0;
        while (n + 1 < static_cast<std::size_t>(kJet4PasswordBytes) && (pw[n] | pw[n + 1]) != 0)
            n += 2;
        text::appendUcs2(pw, n, h.password);
    }
    return h;
}

namespace {

std::unique_ptr<Source> openSource(const std::filesystem::path& path)
{
    const std::string where = pathToUtf8(path);
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (path.empty() || !std::filesystem::exists(status))
        throw ReadError(kFileNotFound, "Could not find file " + quoted(where) + ".");
    if (!std::filesystem::is_regular_file(status)) // a directory, a device, a pipe: never a database
        throw notJetFile(where, "not a regular file");
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    std::FILE* f = openForReading(path);
    if (!f || ec)
        throw ReadError(kCannotOpenFile, "Cannot open the file " + quoted(where) + ".");
    return std::make_unique<FileSource>(f, static_cast<std::uint64_t>(size));
}

Header headerOf(Source& src, const std::string& where, const CodePageDecoder* decoder)
{
    std::uint8_t page[kJet4PageSize];
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(src.size(), kJet4PageSize));
    if (!src.read(0, page, n))
        throw ReadError(kCannotOpenFile, "Cannot open the file " + quoted(where) + ".");
    return parseHeader(page, n, src.size(), where, decoder);
}

} // namespace

Header readHeader(const std::filesystem::path& path, const CodePageDecoder* decoder)
{
    auto src = openSource(path);
    return headerOf(*src, pathToUtf8(path), decoder);
}

// ---- Database -----------------------------------------------------------------

struct Database::Impl {
    struct Entry {
        std::string name;
        std::uint32_t flags = 0;
        std::uint32_t page = 0; // table definition page
    };

    // A page held in one of a few slots, each a page the reading of a
    // table keeps in view at the same time (its data page, a long-value
    // page, a row a pointer row leads to, a table definition or map page).
    enum Slot { kData, kLongValue, kOther, kSlots };

    std::unique_ptr<Source> src;
    std::string where;
    Header header;
    Layout L = kJet3;
    const CodePageDecoder* decoder = nullptr;
    std::uint64_t pageCount = 0;
    std::vector<Entry> tables;
    std::string reading; // the table being read, for messages
    // Each slot holds a run of pages read at once: a table's data and
    // long-value pages mostly follow one another in the file, and one read
    // of a run costs little more than one of a page.
    static constexpr std::uint32_t kRunPages = 16;
    std::vector<std::uint8_t> buffers[kSlots];
    std::uint32_t first[kSlots] = {0, 0, 0};   // the run's first page
    std::uint32_t count[kSlots] = {0, 0, 0};   // pages in the run; 0 = none held
    std::uint32_t last[kSlots] = {0, 0, 0};    // the page handed out last
    std::uint32_t clear[kSlots] = {0, 0, 0};   // bit i: page first + i decrypted already
    std::uint64_t pagesRead = 0;

    int ps() const { return L.pageSize; }

    ReadError damaged(const std::string& what) const
    {
        return ReadError(kDatabaseDamaged,
                         "Table " + quoted(reading) + " of the database " + quoted(where) + " is damaged: " + what + ".");
    }

    // Page `n`, or nullptr when the file has no such page.
    const std::uint8_t* page(std::uint32_t n, Slot slot)
    {
        if (n >= pageCount)
            return nullptr;
        const std::size_t size = static_cast<std::size_t>(ps());
        if (count[slot] != 0 && n - first[slot] < count[slot]) {
            if (n != last[slot])
                ++pagesRead;
            last[slot] = n;
            return plain(slot, n - first[slot]);
        }
        const std::uint64_t offset = static_cast<std::uint64_t>(n) * static_cast<std::uint64_t>(ps());
        ++pagesRead;
        if (const std::uint8_t* direct = src->direct(); direct && (header.databaseKey == 0 || n == 0))
            return direct + offset;
        // Page 0 is never encrypted: it is read on its own.
        const std::uint32_t pages =
            n == 0 ? 1 : static_cast<std::uint32_t>(std::min<std::uint64_t>(kRunPages, pageCount - n));
        std::vector<std::uint8_t>& buf = buffers[slot];
        buf.resize(std::size_t(pages) * size);
        count[slot] = 0;
        if (!src->read(offset, buf.data(), buf.size()))
            return nullptr;
        first[slot] = n;
        count[slot] = pages;
        last[slot] = n;
        clear[slot] = (header.databaseKey == 0 || n == 0) ? ~std::uint32_t(0) : 0;
        return plain(slot, 0);
    }

    // Page `i` of the slot's run, decrypted the first time it is asked for.
    const std::uint8_t* plain(Slot slot, std::uint32_t i)
    {
        const std::size_t size = static_cast<std::size_t>(ps());
        std::uint8_t* p = buffers[slot].data() + std::size_t(i) * size;
        if (!(clear[slot] & (std::uint32_t(1) << i))) {
            cryptPage(header.databaseKey, first[slot] + i, p, size);
            clear[slot] |= std::uint32_t(1) << i;
        }
        return p;
    }

    std::string name(const std::uint8_t* p, std::size_t n) const
    {
        std::string out;
        appendText(p, n, out);
        return out;
    }

    void appendText(const std::uint8_t* p, std::size_t n, std::string& out) const
    {
        if (header.version != 0)
            text::appendUcs2(p, n, out);
        else if (decoder && header.codePage != 0 && header.codePage != 1252)
            decoder->appendUtf8(p, n, out);
        else
            text::appendCp1252(p, n, out);
    }

    // ---- Table definitions ---------------------------------------------------

    struct TableDef {
        std::uint32_t page = 0;
        std::vector<Column> columns; // in column-number order
        int varColumns = 0;
        int maxColumns = 0;
        std::uint32_t usageMap = 0;   // row pointer
    };

    // The definition of the table at `first`: its pages chained from the
    // first one, each further page adding what follows its 8-byte header.
    TableDef readDefinition(std::uint32_t first)
    {
        std::vector<std::uint8_t> def;
        std::unordered_set<std::uint32_t> seen;
        for (std::uint32_t pg = first; pg != 0;) {
            if (!seen.insert(pg).second)
                throw damaged("its definition pages run in a loop");
            const std::uint8_t* b = page(pg, kOther);
            if (!b)
                throw damaged("its definition names page " + std::to_string(pg) + " of a file of "
                              + std::to_string(pageCount) + " pages");
            if (b[0] != kPageTableDef)
                throw damaged("page " + std::to_string(pg) + " is not a table definition");
            if (def.empty())
                def.assign(b, b + ps());
            else
                def.insert(def.end(), b + 8, b + ps());
            pg = le32(b + 4);
        }

        if (def.empty())   // page 0 is the file's header, never a definition
            throw damaged("its definition names page 0");
        TableDef t;
        t.page = first;
        const std::size_t size = def.size();
        const int numCols = le16(def.data() + L.tdefColumns);
        t.varColumns = le16(def.data() + L.tdefVarColumns);
        t.maxColumns = le16(def.data() + L.tdefMaxColumns);
        const std::uint32_t realIndexes = le32(def.data() + L.tdefRealIndexes);
        t.usageMap = le32(def.data() + L.tdefUsageMap);
        if (numCols == 0)
            throw damaged("its definition lists no columns");
        if (realIndexes > 1000)
            throw damaged("its definition lists " + std::to_string(realIndexes) + " indexes");
        std::size_t at = static_cast<std::size_t>(L.tdefColumnsStart) + realIndexes * static_cast<std::size_t>(L.realIndexEntry);
        const std::size_t namesAt = at + static_cast<std::size_t>(numCols) * static_cast<std::size_t>(L.columnEntry);
        if (namesAt > size)
            throw damaged("its column definitions run past their pages");
        std::vector<Column> cols(static_cast<std::size_t>(numCols));
        std::set<int> numbers;
        std::set<int> varIndexes;
        for (Column& c : cols) {
            const std::uint8_t* d = def.data() + at;
            c.type = d[0];
            c.number = le16(d + L.colNumber);
            c.varIndex = le16(d + L.colVarIndex);
            c.fixed = (d[L.colFlags] & kColumnFixedFlag) != 0;
            c.fixedOffset = le16(d + L.colFixedOffset);
            c.length = le16(d + L.colLength);
            c.scale = d[L.colScale];
            at += static_cast<std::size_t>(L.columnEntry);
        }
        at = namesAt;
        for (Column& c : cols) {
            if (at + static_cast<std::size_t>(L.nameLengthSize) > size)
                throw damaged("its column names run past their pages");
            const std::size_t n = L.nameLengthSize == 1 ? def[at] : le16(def.data() + at);
            at += static_cast<std::size_t>(L.nameLengthSize);
            if (at + n > size)
                throw damaged("its column names run past their pages");
            c.name = name(def.data() + at, n);
            at += n;
        }
        for (const Column& c : cols) {
            if (!knownType(c.type))
                throw damaged("column " + quoted(c.name) + " has the unknown type " + std::to_string(c.type));
            if (!numbers.insert(c.number).second)
                throw damaged("two columns have the number " + std::to_string(c.number));
            if (!c.fixed && !varIndexes.insert(c.varIndex).second)
                throw damaged("two columns have the variable index " + std::to_string(c.varIndex));
            const int need = fixedSize(c.type);
            if (c.fixed && need > 0 && c.length < need)
                throw damaged("column " + quoted(c.name) + " is shorter than its type");
        }
        std::stable_sort(cols.begin(), cols.end(),
                         [](const Column& a, const Column& b) { return a.number < b.number; });
        t.columns = std::move(cols);
        return t;
    }

    // ---- Rows on pages ---------------------------------------------------------

    // Bounds of row `row` on a data or long-value page: [start, end), the
    // offset's flag bits in `flags`. The row must lie between the page's
    // offset table and the row before it.
    bool rowBounds(const std::uint8_t* b, int row, int& start, int& end, int& flags) const
    {
        const int rows = le16(b + L.rowCountOffset);
        const int tableEnd = L.rowCountOffset + 2 + 2 * rows;
        if (row >= rows || tableEnd > ps())
            return false;
        const int raw = le16(b + L.rowCountOffset + 2 + 2 * row);
        flags = raw & ~kRowOffsetMask;
        start = raw & kRowOffsetMask;
        end = row == 0 ? ps() : (le16(b + L.rowCountOffset + 2 * row) & kRowOffsetMask);
        return start >= tableEnd && start <= end && end <= ps();
    }

    // The pages the usage map at row pointer `ptr` lists, in order.
    std::vector<std::uint32_t> mapPages(std::uint32_t ptr)
    {
        const std::uint32_t pg = ptr >> 8;
        const std::uint8_t* b = page(pg, kOther);
        int start = 0, end = 0, flags = 0;
        if (!b || b[0] != kPageData || !rowBounds(b, static_cast<int>(ptr & 0xFF), start, end, flags)
            || end - start < 1)
            throw damaged("its page map cannot be read");
        std::vector<std::uint8_t> map(b + start, b + end);
        std::vector<std::uint32_t> pages;
        auto add = [&](std::uint64_t p) {
            if (p == 0)
                return;
            // A table with pages past the end: the file was cut short, and
            // which rows are missing cannot be told.
            if (p >= pageCount)
                throw damaged("its page map lists page " + std::to_string(p) + " of a file of "
                              + std::to_string(pageCount) + " pages");
            pages.push_back(static_cast<std::uint32_t>(p));
        };
        if (map[0] == 0) {
            // Access writes a map in the row at least 133 bytes long in Jet 3
            // files and 69 in Jet 4 ones: a shorter one was cut.
            if (map.size() < (header.version == 0 ? 133u : 69u))
                throw damaged("its page map is cut short");
            const std::uint64_t first = le32(map.data() + 1);
            for (std::size_t i = 5; i < map.size(); ++i)
                for (int bit = 0; bit < 8; ++bit)
                    if (map[i] & (1 << bit))
                        add(first + (i - 5) * 8 + static_cast<std::uint64_t>(bit));
        } else if (map[0] == 1) {
            const std::uint64_t perPage = static_cast<std::uint64_t>(ps() - 4) * 8;
            for (std::size_t i = 1; i + 4 <= map.size(); i += 4) {
                const std::uint32_t mp = le32(map.data() + i);
                if (mp == 0)
                    continue;
                const std::uint8_t* m = page(mp, kOther);
                if (!m || m[0] != kPageUsageBitmap)
                    throw damaged("its page map names page " + std::to_string(mp) + ", which holds no map");
                const std::uint64_t base = static_cast<std::uint64_t>((i - 1) / 4) * perPage;
                std::vector<std::uint8_t> bits(m + 4, m + ps());
                for (std::size_t k = 0; k < bits.size(); ++k)
                    for (int bit = 0; bit < 8; ++bit)
                        if (bits[k] & (1 << bit))
                            add(base + k * 8 + static_cast<std::uint64_t>(bit));
            }
        } else {
            throw damaged("its page map is of unknown kind " + std::to_string(map[0]));
        }
        std::sort(pages.begin(), pages.end());
        pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
        return pages;
    }

    // ---- Long values -----------------------------------------------------------

    // Row `ptr` (page << 8 | row) of a long-value page.
    std::pair<const std::uint8_t*, int> longValueRow(std::uint32_t ptr)
    {
        const std::uint32_t pg = ptr >> 8;
        const int row = static_cast<int>(ptr & 0xFF);
        const std::uint8_t* b = pg == 0 ? nullptr : page(pg, kLongValue);
        if (!b)
            throw RowDamage{"a memo value points to page " + std::to_string(pg) + " of a file of "
                            + std::to_string(pageCount) + " pages"};
        if (b[0] != kPageData || le32(b + kDataPageOwnerOffset) != kLongValueOwner)
            throw RowDamage{"a memo value points to page " + std::to_string(pg) + ", which holds no long values"};
        int start = 0, end = 0, flags = 0;
        if (!rowBounds(b, row, start, end, flags) || (flags & kRowDeleted))
            throw RowDamage{"a memo value points to an unreadable row " + std::to_string(row) + " of page "
                            + std::to_string(pg)};
        return {b + start, end - start};
    }

    // The bytes of the memo or OLE value whose 12-byte field is at p (size
    // bytes in the row). A value held in one place is read where it lies
    // (valid until the next page is read); a chain is gathered in `out`.
    // The stored length must match the bytes found, so that damage is never
    // a cut-off or foreign text.
    std::string_view longValue(const std::uint8_t* p, int size, std::vector<std::uint8_t>& out)
    {
        out.clear();
        if (size < kLongValueFieldSize)
            throw RowDamage{"a memo field of " + std::to_string(size) + " bytes is too short"};
        const std::uint32_t head = le32(p);
        const std::uint32_t total = head & 0x00FFFFFFu;
        const auto kind = static_cast<std::uint8_t>(head >> 24);
        const std::uint32_t first = le32(p + 4);
        auto lengthError = [&](std::uint64_t found) {
            return RowDamage{"a memo value holds " + std::to_string(found) + " of its " + std::to_string(total) + " bytes"};
        };
        if (kind == kLongValueInline) {
            const auto inRow = static_cast<std::uint32_t>(size - kLongValueFieldSize);
            if (inRow != total)
                throw lengthError(inRow);
            return bytesOf(p + kLongValueFieldSize, total);
        }
        if (kind == kLongValueSingleRow) {
            const auto [row, n] = longValueRow(first);
            if (static_cast<std::uint32_t>(n) != total)
                throw lengthError(static_cast<std::uint64_t>(n));
            return bytesOf(row, static_cast<std::size_t>(n));
        }
        if (kind != kLongValueChain)
            throw RowDamage{"a memo value of unknown kind " + std::to_string(kind)};
        // A chain of rows, each starting with the pointer to the next one. A
        // valid chain never visits a row twice; links of bare pointers add
        // no bytes, so only the visited set ends a loop of them.
        out.reserve(total);
        std::unordered_set<std::uint32_t> visited;
        for (std::uint32_t ptr = first; ptr != 0;) {
            if (!visited.insert(ptr).second)
                throw RowDamage{"the pages of a memo value run in a loop"};
            const auto [row, n] = longValueRow(ptr);
            if (n < 4 || out.size() + static_cast<std::size_t>(n - 4) > total)
                throw lengthError(out.size() + static_cast<std::size_t>(std::max(n - 4, 0)));
            out.insert(out.end(), row + 4, row + n);
            ptr = le32(row);
        }
        if (out.size() != total)
            throw lengthError(out.size());
        return bytesOf(out.data(), out.size());
    }

    static std::string_view bytesOf(const std::uint8_t* p, std::size_t n)
    {
        return std::string_view(reinterpret_cast<const char*>(p), n);
    }

    static const std::uint8_t* data(std::string_view v) { return reinterpret_cast<const std::uint8_t*>(v.data()); }

    // ---- Values ----------------------------------------------------------------

    std::vector<std::uint8_t> lv; // scratch for long values

    // Appends the text of a non-null value of `c` held in [p, p + size).
    void appendValue(const Column& c, const std::uint8_t* p, int size, std::string& out)
    {
        const int need = fixedSize(c.type);
        if (need > 0 && size < need)
            throw RowDamage{"a value of column " + quoted(c.name) + " is cut short"};
        switch (c.type) {
        case kTypeByte: {
            char buf[8];
            const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<unsigned>(p[0]));
            out.append(buf, r.ptr);
            return;
        }
        case kTypeInt: {
            char buf[8];
            const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<std::int16_t>(le16(p)));
            out.append(buf, r.ptr);
            return;
        }
        case kTypeLong:
        case kTypeComplex: {
            char buf[16];
            const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<std::int32_t>(le32(p)));
            out.append(buf, r.ptr);
            return;
        }
        case kTypeMoney: {
            const std::uint64_t v = le32(p) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
            text::appendMoney(static_cast<std::int64_t>(v), out);
            return;
        }
        case kTypeFloat: {
            const std::uint32_t bits = le32(p);
            float f = 0;
            std::memcpy(&f, &bits, sizeof f);
            text::appendFloat(f, out);
            return;
        }
        case kTypeDouble:
        case kTypeDateTime: {
            const std::uint64_t bits = le32(p) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
            double d = 0;
            std::memcpy(&d, &bits, sizeof d);
            if (c.type == kTypeDouble)
                text::appendDouble(d, out);
            else
                text::appendDateTime(d, out);
            return;
        }
        case kTypeGuid:
            text::appendGuid(p, out);
            return;
        case kTypeNumeric:
            text::appendNumeric(p, c.scale, out);
            return;
        case kTypeText:
            if (c.length > 0 && size > c.length)
                throw RowDamage{"a value of column " + quoted(c.name) + " is longer than the column"};
            appendText(p, static_cast<std::size_t>(size), out);
            return;
        case kTypeBinary:
        case kTypeBinary0D:
        case kTypeBinary11:
            text::appendLatin1(p, static_cast<std::size_t>(size), out);
            return;
        case kTypeMemo: {
            const std::string_view v = longValue(p, size, lv);
            appendText(data(v), v.size(), out);
            return;
        }
        case kTypeOle: {
            const std::string_view v = longValue(p, size, lv);
            text::appendLatin1(data(v), v.size(), out);
            return;
        }
        default:
            return;
        }
    }

    // ---- One row ------------------------------------------------------------------

    struct Span {
        std::size_t at = 0;
        std::size_t size = 0;
        bool null = true;
    };

    std::string rowText;
    std::vector<Span> spans;
    std::vector<Cell> cells;
    std::vector<int> varOffsets;

    // Cracks the row [start, end) of page b into text, checking that its
    // structure adds up. Throws RowDamage.
    void crackRow(const TableDef& t, const std::uint8_t* b, int start, int end)
    {
        const int size = end - start;
        const std::uint8_t* row = b + start;
        const int countSize = L.rowCountSize;
        if (size < countSize + 1)
            throw RowDamage{"a row of " + std::to_string(size) + " bytes is too short"};
        const int rowCols = countSize == 1 ? row[0] : le16(row);
        const int tableCols = static_cast<int>(t.columns.size());
        if (rowCols == 0 || rowCols > std::max({t.maxColumns, tableCols, t.columns.back().number + 1}))
            throw RowDamage{"a row holds " + std::to_string(rowCols) + " columns"};
        const int maskSize = (rowCols + 7) / 8;
        const int last = size - 1; // offsets from the row start
        if (countSize + maskSize > size)
            throw RowDamage{"a row is shorter than its null mask"};
        const std::uint8_t* mask = row + size - maskSize;

        int rowVarCols = 0;
        int trailerLow = size - maskSize; // lowest byte of the row's trailer
        varOffsets.clear();
        if (t.varColumns > 0) {
            if (countSize == 1) {
                // Jet 3: count byte, then the jump table, then one byte per
                // offset (eod lowest), each a low byte raised by the jumps
                // passed.
                rowVarCols = row[last - maskSize];
                int jumps = (size - 1) / 256;
                const int colPtr = last - maskSize - jumps - 1;
                if (colPtr - rowVarCols < countSize)
                    throw RowDamage{"a row's variable offsets run past its start"};
                if ((colPtr - rowVarCols) / 256 < jumps)
                    --jumps;
                int used = 0;
                for (int i = 0; i <= rowVarCols; ++i) {
                    while (used < jumps && i == row[last - maskSize - used - 1])
                        ++used;
                    varOffsets.push_back(row[colPtr - i] + used * 256);
                }
                trailerLow = colPtr - rowVarCols;
            } else {
                if (size - maskSize - 2 < countSize)
                    throw RowDamage{"a row is shorter than its trailer"};
                rowVarCols = le16(row + last - maskSize - 1);
                const int low = last - maskSize - 3 - 2 * rowVarCols;
                if (low < countSize)
                    throw RowDamage{"a row's variable offsets run past its start"};
                for (int i = 0; i <= rowVarCols; ++i)
                    varOffsets.push_back(le16(row + last - maskSize - 3 - 2 * i));
                trailerLow = low;
            }
            if (rowVarCols > rowCols)
                throw RowDamage{"a row holds more variable columns than columns"};
            for (int i = 0; i < rowVarCols; ++i)
                if (varOffsets[static_cast<std::size_t>(i)] > varOffsets[static_cast<std::size_t>(i) + 1])
                    throw RowDamage{"a row's variable offsets decrease"};
            if (varOffsets.front() < countSize || varOffsets.back() > trailerLow)
                throw RowDamage{"a row's variable area does not add up"};
            // In Jet 3 the byte holding eod follows the variable data at
            // once (Jet 4 rows may leave a gap there).
            if (countSize == 1 && varOffsets.back() != trailerLow)
                throw RowDamage{"a row's variable data does not end where its offsets begin"};
        }
        const int fixedEnd = t.varColumns > 0 ? varOffsets.front() : trailerLow;
        const int rowFixedCols = rowCols - rowVarCols;

        rowText.clear();
        spans.assign(t.columns.size(), Span{});
        int fixedFound = 0;
        for (std::size_t i = 0; i < t.columns.size(); ++i) {
            const Column& c = t.columns[i];
            bool null = c.number / 8 >= maskSize || !(mask[c.number / 8] & (1 << (c.number % 8)));
            int vstart = 0, vsize = 0;
            bool present = false;
            if (c.fixed && fixedFound < rowFixedCols) {
                vstart = countSize + c.fixedOffset;
                vsize = c.length;
                ++fixedFound;
                present = true;
                if (c.type != kTypeBool && !null && vstart + vsize > fixedEnd)
                    throw RowDamage{"a value of column " + quoted(c.name) + " runs past the fixed area"};
            } else if (!c.fixed && c.varIndex < rowVarCols) {
                vstart = varOffsets[static_cast<std::size_t>(c.varIndex)];
                vsize = varOffsets[static_cast<std::size_t>(c.varIndex) + 1] - vstart;
                present = true;
                // A null variable value takes no bytes: bytes under a null
                // bit mean the mask or the offsets are wrong.
                if (null && vsize > 0 && c.type != kTypeBool)
                    throw RowDamage{"a null value of column " + quoted(c.name) + " holds bytes"};
            }
            if (!present)
                null = true;
            Span& s = spans[i];
            s.at = rowText.size();
            if (c.type == kTypeBool) {
                rowText.push_back(null ? '0' : '1');
                s.null = false;
            } else if (!null) {
                s.null = false;
                if (vsize > 0)
                    appendValue(c, row + vstart, vsize, rowText);
            }
            s.size = rowText.size() - s.at;
        }
    }

    // ---- Reading a table -----------------------------------------------------------

    const Entry* find(std::string_view name) const
    {
        for (const Entry& e : tables)
            if (e.name == name)
                return &e;
        const std::u32string want = folded(name);
        for (const Entry& e : tables)
            if (folded(e.name) == want)
                return &e;
        return nullptr;
    }

    // Calls f(b, start, end) for every live row of the table, with damage
    // that stays inside a row or a page counted in `report`.
    template <class F>
    void forEachRow(const TableDef& t, TableReport& report, F&& f)
    {
        auto note = [&](const std::string& what) {
            ++report.damaged;
            if (report.damage.empty())
                report.damage = damaged(what).what();
        };
        const std::vector<std::uint32_t> pages = mapPages(t.usageMap);
        for (const std::uint32_t pg : pages) {
            const std::uint8_t* b = page(pg, kData);
            if (!b) {
                note("page " + std::to_string(pg) + " cannot be read");
                continue;
            }
            // Access lists only the table's own data pages in its map.
            if (b[0] != kPageData || le32(b + kDataPageOwnerOffset) != t.page) {
                note("its page map lists page " + std::to_string(pg) + ", which holds no rows of the table");
                continue;
            }
            const int rows = le16(b + L.rowCountOffset);
            const int tableEnd = L.rowCountOffset + 2 + 2 * rows;
            if (tableEnd > ps()) {
                note("page " + std::to_string(pg) + " has more rows than fit on a page");
                continue;
            }
            // The free space Access keeps in the page header is exactly the
            // gap between the offset table and the lowest row: when they
            // disagree, the row count or an offset was changed. The rows
            // that read whole are kept; if none of them is found damaged,
            // the count is, and rows are missing.
            int lowest = ps();
            for (int r = 0; r < rows; ++r)
                lowest = std::min(lowest, le16(b + L.rowCountOffset + 2 + 2 * r) & kRowOffsetMask);
            const bool spaceDisagrees = le16(b + 2) != lowest - tableEnd;
            const std::size_t damagedBefore = report.damaged;
            for (int r = 0; r < rows; ++r) {
                int start = 0, end = 0, flags = 0;
                if (!rowBounds(b, r, start, end, flags)) {
                    if (flags & kRowMoved)
                        continue; // a row no longer there may point anywhere
                    note("row " + std::to_string(r) + " of page " + std::to_string(pg) + " lies outside its page");
                    continue;
                }
                // 0x4000 marks a row that is no longer here: deleted (with
                // 0x8000) or grown out of its page, leaving a pointer to
                // where it lives now. The row it moved to carries 0x8000
                // alone, which hides it from an index walk but not from
                // this one: it is read where it lies, in page order.
                if (flags & kRowMoved)
                    continue;
                try {
                    f(b, start, end);
                } catch (const RowDamage& d) {
                    note(d.what + " (row " + std::to_string(r) + " of page " + std::to_string(pg) + ")");
                }
                // A long value may have reused the page's slot; keep ours in view.
                b = page(pg, kData);
                if (!b)
                    break;
            }
            if (spaceDisagrees && report.damaged == damagedBefore)
                note("page " + std::to_string(pg) + " has " + std::to_string(rows)
                     + " rows, which its free space contradicts");
        }
    }

    // The catalog (MSysObjects, always on page 2) read once: only Id, Name,
    // Type and Flags are needed, and leaving the property blobs alone keeps
    // damaged ones from being parsed at all.
    void readCatalog()
    {
        reading = "MSysObjects";
        const std::uint8_t* p2 = page(2, kOther);
        if (!p2 || p2[0] != kPageTableDef)
            throw notJetFile(where, "page 2 is not a table definition");
        TableDef t = readDefinition(2);
        int idCol = -1, nameCol = -1, typeCol = -1, flagsCol = -1;
        auto is = [](const std::string& a, const char* b) { return folded(a) == folded(b); };
        for (std::size_t i = 0; i < t.columns.size(); ++i) {
            const Column& c = t.columns[i];
            if (is(c.name, "Id") && c.type == kTypeLong)
                idCol = static_cast<int>(i);
            else if (is(c.name, "Name") && c.type == kTypeText)
                nameCol = static_cast<int>(i);
            else if (is(c.name, "Type") && c.type == kTypeInt)
                typeCol = static_cast<int>(i);
            else if (is(c.name, "Flags") && c.type == kTypeLong)
                flagsCol = static_cast<int>(i);
        }
        if (idCol < 0 || nameCol < 0 || typeCol < 0 || flagsCol < 0)
            throw notJetFile(where, "catalog without Id, Name, Type and Flags");
        // Only the four columns are cracked: the catalog's memo and OLE
        // columns are never followed.
        TableDef four = t;
        for (Column& c : four.columns)
            if (c.type == kTypeMemo || c.type == kTypeOle)
                c.type = kTypeBinary;
        TableReport report;
        // A catalog whose page map cannot be followed leaves nothing to
        // open: the file is not a database this reader can use.
        try {
        forEachRow(four, report, [&](const std::uint8_t* b, int start, int end) {
            crackRow(four, b, start, end);
            const Span& type = spans[static_cast<std::size_t>(typeCol)];
            const Span& id = spans[static_cast<std::size_t>(idCol)];
            const Span& nm = spans[static_cast<std::size_t>(nameCol)];
            const Span& fl = spans[static_cast<std::size_t>(flagsCol)];
            if (type.null || id.null || nm.null || nm.size == 0)
                return;
            if (std::string_view(rowText).substr(type.at, type.size) != "1")
                return;
            Entry e;
            e.name = rowText.substr(nm.at, nm.size);
            e.page = static_cast<std::uint32_t>(std::stol(rowText.substr(id.at, id.size))) & 0x00FFFFFFu;
            e.flags = fl.null ? 0 : static_cast<std::uint32_t>(std::stol(rowText.substr(fl.at, fl.size)));
            tables.push_back(std::move(e));
        });
        } catch (const ReadError&) {
            throw notJetFile(where, "unreadable catalog");
        }
        if (report.damaged)
            throw ReadError(kDatabaseDamaged, report.damage);
    }

    void open()
    {
        header = headerOf(*src, where, decoder);
        L = header.version == 0 ? kJet3 : kJet4;
        const std::uint64_t size = src->size();
        pageCount = size / static_cast<std::uint64_t>(ps());
        if (size % static_cast<std::uint64_t>(ps()) != 0)
            throw notJetFile(where, "size is not a whole number of pages");
        if (pageCount < 3)
            throw notJetFile(where, "no catalog page");
        readCatalog();
    }

    TableReport readTable(std::string_view wanted, TableSink& sink)
    {
        const Entry* e = find(wanted);
        if (!e)
            throw ReadError(kTableNotFound, "Cannot find the input table or query " + quoted(std::string(wanted)) + ".");
        reading = e->name;
        for (const Entry& other : tables)
            if (&other != e && other.page == e->page)
                throw damaged("its definition page is also the definition of " + quoted(other.name));
        const TableDef t = readDefinition(e->page);
        sink.columns(e->name, t.columns);

        TableReport report;
        report.name = e->name;
        forEachRow(t, report, [&](const std::uint8_t* b, int start, int end) {
            crackRow(t, b, start, end);
            cells.resize(spans.size());
            for (std::size_t i = 0; i < spans.size(); ++i)
                cells[i] = Cell{rowText.data() + spans[i].at, spans[i].size, spans[i].null};
            sink.row(cells.data(), cells.size());
            ++report.rows;
        });
        return report;
    }
};

Database::Database(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
Database::~Database() = default;

std::unique_ptr<Database> Database::open(const std::filesystem::path& path, const CodePageDecoder* decoder)
{
    auto impl = std::make_unique<Impl>();
    impl->where = pathToUtf8(path);
    impl->decoder = decoder;
    impl->src = openSource(path);
    impl->open();
    return std::unique_ptr<Database>(new Database(std::move(impl)));
}

std::unique_ptr<Database> Database::fromBytes(std::vector<std::uint8_t> bytes, const std::string& name,
                                              const CodePageDecoder* decoder)
{
    auto impl = std::make_unique<Impl>();
    impl->where = name;
    impl->decoder = decoder;
    impl->src = std::make_unique<MemorySource>(std::move(bytes));
    impl->open();
    return std::unique_ptr<Database>(new Database(std::move(impl)));
}

const Header& Database::header() const
{
    return d->header;
}

std::vector<std::string> Database::tableNames() const
{
    std::vector<std::string> names;
    for (const Impl::Entry& e : d->tables)
        if (!(e.flags & 0x80000002u))
            names.push_back(e.name);
    return names;
}

std::vector<std::string> Database::allTableNames() const
{
    std::vector<std::string> names;
    for (const Impl::Entry& e : d->tables)
        names.push_back(e.name);
    return names;
}

std::string Database::findTable(std::string_view name) const
{
    const Impl::Entry* e = d->find(name);
    return e ? e->name : std::string();
}

TableReport Database::readTable(std::string_view name, TableSink& sink)
{
    return d->readTable(name, sink);
}

std::uint64_t Database::pagesRead() const
{
    return d->pagesRead;
}

} // namespace orvane::jet
