#include "db/jet/JetFile.h"

#include "db/jet/Cp1252.h"
#include "db/jet/JetError.h"
#include "db/jet/JetFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

// mdbtools.h includes glib inside its extern "C" block; glib must come first.
#include <glib.h>
#include <mdbtools.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <locale.h>
#include <unordered_set>

namespace orvane::jet {

using namespace format;

namespace {

JetError notJetFile(const QString& path, const char* why)
{
    return JetError(kUnrecognizedFormat,
                    QStringLiteral("Unrecognized database format '%1' (%2).")
                        .arg(path, QString::fromLatin1(why)));
}

// Single-byte text in the header's code page. 1252 (and an unset code page)
// use the table above; another code page goes through Qt's codecs when they
// know it, else falls back to 1252 rather than failing the whole file.
class ByteTextDecoder {
public:
    explicit ByteTextDecoder(int codePage)
    {
        if (codePage != 0 && codePage != 1252) {
            QStringDecoder probe(QStringLiteral("windows-%1").arg(codePage).toLatin1().constData());
            if (probe.isValid())
                name_ = QStringLiteral("windows-%1").arg(codePage).toLatin1();
        }
    }
    QString operator()(const unsigned char* p, qsizetype n) const
    {
        if (name_.isEmpty())
            return decodeCp1252(QByteArrayView(reinterpret_cast<const char*>(p), n));
        QStringDecoder dec(name_.constData());
        return dec(QByteArrayView(reinterpret_cast<const char*>(p), n));
    }

private:
    QByteArray name_;
};

// Jet 4 text: UCS-2, optionally "compressed" (FF FE prefix, then runs of
// one-byte characters toggled by NUL bytes with runs of two-byte ones).
QString decodeUcs2(const unsigned char* p, qsizetype n)
{
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        QString out;
        out.reserve(n);
        bool compressed = true;
        qsizetype i = 2;
        while (i < n) {
            if (p[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                out.append(QChar(p[i]));
                ++i;
            } else if (i + 1 < n) {
                out.append(QChar(static_cast<char16_t>(le16(p + i))));
                i += 2;
            } else {
                break;
            }
        }
        return out;
    }
    QString out(n / 2, Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i + 1 < n; i += 2)
        d[i / 2] = QChar(static_cast<char16_t>(le16(p + i)));
    return out;
}

// Java-style (int) of a double: truncation, saturating, NaN -> 0. The Jet 4
// password mask is built from the creation date this way.
qint32 truncateToInt32(double d)
{
    if (std::isnan(d))
        return 0;
    if (d >= 2147483647.0)
        return std::numeric_limits<qint32>::max();
    if (d <= -2147483648.0)
        return std::numeric_limits<qint32>::min();
    return static_cast<qint32>(d);
}

struct PageZero {
    HeaderInfo info;
    quint32 databaseKey = 0;
    qint64 fileSize = 0;
};

PageZero parsePageZero(const QString& path, QByteArray page, qint64 fileSize)
{
    if (page.size() < kJet3PageSize)
        throw notJetFile(path, "shorter than one page");
    auto* b = reinterpret_cast<unsigned char*>(page.data());
    if (b[0] != kPageHeader)
        throw notJetFile(path, "not a header page");
    const bool jetSig = std::memcmp(b + kSignatureOffset, kJetSignature, sizeof kJetSignature) == 0;
    const bool aceSig = std::memcmp(b + kSignatureOffset, kAceSignature, sizeof kAceSignature) == 0;
    const int version = b[kVersionOffset];
    if (!(jetSig || aceSig) || version > 6 || (aceSig && version < 2))
        throw notJetFile(path, "no database signature");

    PageZero z;
    z.fileSize = fileSize;
    z.info.version = version;
    z.info.pageSize = version == 0 ? kJet3PageSize : kJet4PageSize;
    if (fileSize < z.info.pageSize || page.size() < z.info.pageSize)
        throw notJetFile(path, "shorter than one page");

    scrambleHeader(b, version);
    z.info.codePage = le16(b + kCodePageOffset);
    z.databaseKey = le32(b + kDatabaseKeyOffset);

    if (version == 0) {
        const unsigned char* pw = b + kPasswordOffset;
        int n = 0;
        while (n < kJet3PasswordBytes && pw[n] != 0)
            ++n;
        z.info.password = ByteTextDecoder(z.info.codePage)(pw, n);
    } else {
        // Jet 4 adds a mask derived from the creation date on top of the
        // header scrambling: the 4 little-endian bytes of (int)date, repeated.
        double created = 0;
        std::memcpy(&created, b + kCreationDateOffset, sizeof created); // little-endian host
        const auto mask = static_cast<quint32>(truncateToInt32(created));
        unsigned char pw[kJet4PasswordBytes];
        for (int i = 0; i < kJet4PasswordBytes; ++i)
            pw[i] = b[kPasswordOffset + i] ^ static_cast<unsigned char>(mask >> (8 * (i % 4)));
        QString s = decodeUcs2(pw, kJet4PasswordBytes);
        const qsizetype nul = s.indexOf(QChar(0));
        z.info.password = nul >= 0 ? s.left(nul) : s;
    }
    return z;
}

PageZero readPageZero(const QString& path)
{
    const QFileInfo fi(path);
    if (path.isEmpty() || !fi.exists())
        throw JetError(kFileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
    if (!fi.isFile()) // a directory, a device, a pipe: never a database
        throw notJetFile(path, "not a regular file");
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw JetError(kCannotOpenFile, QStringLiteral("Cannot open the file '%1'.").arg(path));
    const QByteArray page = f.read(kJet4PageSize);
    return parsePageZero(path, page, f.size());
}

// libmdb formats numbers with printf and dates with strftime, which follow
// the process locale; a Qt application has set that from the environment.
// Reading under the C locale gives the same text on every machine.
class CLocaleScope {
public:
    CLocaleScope()
    {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        old_ = c ? uselocale(c) : static_cast<locale_t>(nullptr);
    }
    ~CLocaleScope()
    {
        if (old_)
            uselocale(old_);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t old_;
};

struct TableDefDeleter {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using TableDefPtr = std::unique_ptr<MdbTableDef, TableDefDeleter>;

struct GFreeDeleter {
    void operator()(char* p) const { g_free(p); }
};

} // namespace

HeaderInfo readHeader(const QString& path)
{
    return readPageZero(path).info;
}

bool passwordAccepts(const HeaderInfo& header, const QString& candidate)
{
    return header.password.isEmpty() || candidate == header.password;
}

// ---- MdbFile --------------------------------------------------------------

struct MdbFile::Impl {
    struct Table {
        QString name;
        quint32 flags = 0;
        MdbCatalogEntry* entry = nullptr; // owned, g_malloc0
    };

    QString path;
    HeaderInfo header;
    qint64 pageCount = 0;
    QString reading; // the table being read, for error messages
    MdbHandle* mdb = nullptr;
    std::vector<Table> tables; // every catalog object of type "table"
    ByteTextDecoder bytes{1252};

    ~Impl()
    {
        for (Table& t : tables)
            g_free(t.entry);
        if (mdb)
            mdb_close(mdb);
    }

    JetError damaged(const char* why) const { return notJetFile(path, why); }

    int pageSize() const { return header.pageSize; }

    QString text(const unsigned char* p, qsizetype n) const
    {
        return header.version == 0 ? bytes(p, n) : decodeUcs2(p, n);
    }

    // A table definition that libmdb has read; the checks here stand in
    // front of libmdb paths that crash or silently lose rows on damage.
    TableDefPtr openTable(MdbCatalogEntry* entry)
    {
        TableDefPtr t(mdb_read_table(entry));
        if (!t)
            throw damaged("unreadable table definition");
        if (!mdb_read_columns(t.get()))
            throw damaged("unreadable column definitions");
        if (!t->usage_map || t->map_sz < 1)
            throw damaged("empty page map");
        const auto* map = static_cast<const unsigned char*>(t->usage_map);
        if (map[0] == 0 && t->map_sz >= 5) {
            // Inline map: a page owned beyond the end of the file means the
            // file was cut short.
            const quint32 first = le32(map + 1);
            const qint64 bits = (static_cast<qint64>(t->map_sz) - 5) * 8;
            for (qint64 i = 0; i < bits; ++i) {
                if (map[5 + i / 8] & (1 << (i % 8))) {
                    if (static_cast<qint64>(first) + i >= pageCount)
                        throw damaged("table pages beyond the end of the file");
                }
            }
        } else if (map[0] != 0 && map[0] != 1) {
            throw damaged("unknown page map type");
        }
        return t;
    }

    // Damage found while reading rows or long values: the file opened as a
    // database, but what it holds cannot be read back as it was written.
    JetError corrupt(const QString& what) const
    {
        return JetError(kDatabaseDamaged,
                        QStringLiteral("Table '%1' of the database '%2' is damaged: %3.")
                            .arg(reading, path, what));
    }

    int rowCountOffset() const { return static_cast<int>(mdb->fmt->row_count_offset); }

    // Calls f(fields) for every live row of the table, with the row cracked
    // into fields on mdb->pg_buf. The pages come from the table's page map;
    // pages of other owners in it are passed over, deleted rows and rows that
    // moved to another page are skipped. Anything else that cannot be read is
    // damage, and so are fewer rows than the table definition records.
    template <class F>
    void forEachRow(MdbTableDef* t, F&& f)
    {
        std::vector<MdbField> fields(t->num_cols > 0 ? t->num_cols : 1);
        auto* map = static_cast<unsigned char*>(t->usage_map);
        const auto owner = static_cast<quint32>(t->entry->table_pg);
        const int ps = pageSize();
        const int rco = rowCountOffset();
        qint64 found = 0;
        guint32 pg = 0;
        for (;;) {
            const gint32 next = mdb_map_find_next(mdb, map, static_cast<unsigned int>(t->map_sz), pg);
            if (next == 0)
                break;
            if (next < 0 || static_cast<guint32>(next) <= pg)
                throw corrupt(QStringLiteral("its page map cannot be read"));
            pg = static_cast<guint32>(next);
            if (pg >= pageCount)
                throw corrupt(QStringLiteral("its page map lists page %1 of a file of %2 pages")
                                  .arg(pg).arg(pageCount));
            if (mdb_read_pg(mdb, pg) != ps)
                throw corrupt(QStringLiteral("page %1 cannot be read").arg(pg));
            const unsigned char* b = mdb->pg_buf;
            if (b[0] != kPageData || le32(b + kDataPageOwnerOffset) != owner)
                continue; // a stale map entry; lost rows show in the count below
            const int rows = le16(b + rco);
            if (rco + 2 + 2 * rows > ps)
                throw corrupt(QStringLiteral("page %1 has more rows than fit on a page").arg(pg));
            for (int r = 0; r < rows; ++r) {
                int start = 0;
                size_t size = 0;
                if (mdb_find_row(mdb, r, &start, &size) != 0)
                    throw corrupt(QStringLiteral("row %1 of page %2 lies outside its page").arg(r).arg(pg));
                if (start & (kRowDeleted | kRowMoved))
                    continue;
                if (mdb_crack_row(t, start & kRowOffsetMask, size, fields.data()) < 0)
                    throw corrupt(QStringLiteral("row %1 of page %2 cannot be read").arg(r).arg(pg));
                ++found;
                f(fields.data());
            }
        }
        if (found < static_cast<qint64>(t->num_rows))
            throw corrupt(QStringLiteral("its pages hold %1 of its %2 rows").arg(found).arg(t->num_rows));
    }

    // Row `pgRow` (page << 8 | row) of a long-value page, as a view into
    // mdb->alt_pg_buf that stays valid until the next long-value read.
    QByteArrayView longValueRow(quint32 pgRow)
    {
        const quint32 pg = pgRow >> 8;
        const int row = static_cast<int>(pgRow & 0xFF);
        const int ps = pageSize();
        if (pg == 0 || pg >= static_cast<quint64>(pageCount))
            throw corrupt(QStringLiteral("a memo value points to page %1 of a file of %2 pages")
                              .arg(pg).arg(pageCount));
        if (mdb_read_alt_pg(mdb, pg) != ps)
            throw corrupt(QStringLiteral("page %1 cannot be read").arg(pg));
        const unsigned char* b = mdb->alt_pg_buf;
        if (b[0] != kPageData || le32(b + kDataPageOwnerOffset) != kLongValueOwner)
            throw corrupt(QStringLiteral("a memo value points to page %1, which holds no long values").arg(pg));
        const int rco = rowCountOffset();
        const int rows = le16(b + rco);
        if (row >= rows || rco + 2 + 2 * rows > ps)
            throw corrupt(QStringLiteral("a memo value points to row %1 of page %2, which has no such row")
                              .arg(row).arg(pg));
        const int raw = le16(b + rco + 2 + 2 * row);
        const int start = raw & kRowOffsetMask;
        const int end = row == 0 ? ps : (le16(b + rco + 2 * row) & kRowOffsetMask);
        if ((raw & kRowDeleted) || start < rco + 2 + 2 * rows || start > end || end > ps)
            throw corrupt(QStringLiteral("a memo value points to an unreadable row %1 of page %2")
                              .arg(row).arg(pg));
        return QByteArrayView(reinterpret_cast<const char*>(b + start), end - start);
    }

    // Bytes of a memo/OLE value whose 12-byte field starts at p. The length
    // in the field is checked against the bytes found, so that a damaged
    // value is an error rather than a cut-off or foreign text.
    QByteArray longValue(const unsigned char* p, int size)
    {
        if (size < kLongValueFieldSize)
            throw corrupt(QStringLiteral("a memo field of %1 bytes is too short").arg(size));
        const quint32 head = le32(p);
        const quint32 total = head & 0x00FFFFFFu;
        const auto kind = static_cast<std::uint8_t>(head >> 24);
        const quint32 first = le32(p + 4);
        auto lengthError = [&](qint64 found) {
            return corrupt(QStringLiteral("a memo value holds %1 of its %2 bytes").arg(found).arg(total));
        };
        if (kind == kLongValueInline) {
            const int inRow = size - kLongValueFieldSize;
            if (static_cast<quint32>(inRow) < total)
                throw lengthError(inRow);
            return QByteArray(reinterpret_cast<const char*>(p + kLongValueFieldSize),
                              static_cast<qsizetype>(total));
        }
        if (kind == kLongValueSingleRow) {
            const QByteArrayView row = longValueRow(first);
            if (static_cast<quint32>(row.size()) != total)
                throw lengthError(row.size());
            return row.toByteArray();
        }
        if (kind != kLongValueChain)
            throw corrupt(QStringLiteral("a memo value of unknown kind 0x%1").arg(kind, 2, 16, QLatin1Char('0')));

        // A chain of rows, each starting with the pointer to the next one.
        QByteArray out;
        out.reserve(static_cast<qsizetype>(total));
        // A valid chain never visits the same row twice; a damaged one may
        // loop back on itself, and links of bare pointers add no bytes.
        std::unordered_set<quint32> visited;
        for (quint32 pgRow = first; pgRow != 0;) {
            if (!visited.insert(pgRow).second)
                throw corrupt(QStringLiteral("the pages of a memo value run in a loop"));
            const QByteArrayView row = longValueRow(pgRow);
            if (row.size() < 4 || out.size() + row.size() - 4 > static_cast<qint64>(total))
                throw lengthError(out.size() + std::max<qsizetype>(row.size() - 4, 0));
            out.append(row.sliced(4));
            pgRow = le32(reinterpret_cast<const unsigned char*>(row.data()));
        }
        if (static_cast<quint32>(out.size()) != total)
            throw lengthError(out.size());
        return out;
    }

    // One field as text, or nullopt for NULL.
    std::optional<QString> value(const MdbColumn* col, const MdbField& f)
    {
        if (col->col_type == MDB_BOOL) // the null bit is the value
            return QString::fromLatin1(f.is_null ? "0" : "1");
        if (f.is_null)
            return std::nullopt;
        const int start = f.start;
        const int size = f.siz;
        const auto offPage = [this] { return corrupt(QStringLiteral("a value runs off its page")); };
        if (size <= 0)
            return QString();
        if (start < 0 || start + size > pageSize())
            throw offPage();
        const unsigned char* p = mdb->pg_buf + start;
        auto fixed = [&](int need) -> std::optional<QString> {
            if (start + need > pageSize())
                throw offPage();
            std::unique_ptr<char, GFreeDeleter> s(
                mdb_col_to_string(mdb, mdb->pg_buf, start, col->col_type, size));
            return QString::fromUtf8(s.get());
        };
        switch (col->col_type) {
        case MDB_TEXT:
            return text(p, size);
        case MDB_MEMO: {
            const QByteArray v = longValue(p, size);
            return text(reinterpret_cast<const unsigned char*>(v.constData()), v.size());
        }
        case MDB_OLE:
            return QString::fromLatin1(longValue(p, size));
        case MDB_BINARY:
            return QString::fromLatin1(reinterpret_cast<const char*>(p), size);
        case MDB_BYTE:
            return fixed(1);
        case MDB_INT:
            return fixed(2);
        case MDB_LONGINT:
        case MDB_COMPLEX:
        case MDB_FLOAT:
            return fixed(4);
        case MDB_DOUBLE:
            return fixed(8);
        case MDB_DATETIME: {
            if (start + 8 > pageSize())
                throw offPage();
            double days = 0;
            std::memcpy(&days, p, sizeof days);
            if (std::isnan(days)) {
                // libmdb's calendar range check lets NaN through to an
                // integer conversion that is undefined; a NaN shows as any
                // other date outside the calendar does.
                double outside = -1.0;
                std::unique_ptr<char, GFreeDeleter> s(
                    mdb_col_to_string(mdb, &outside, 0, MDB_DATETIME, sizeof outside));
                return QString::fromUtf8(s.get());
            }
            return fixed(8);
        }
        case MDB_REPID:
            return fixed(16);
        case MDB_MONEY: {
            if (start + 8 > pageSize())
                throw offPage();
            std::unique_ptr<char, GFreeDeleter> s(mdb_money_to_string(mdb, start));
            return QString::fromUtf8(s.get());
        }
        case MDB_NUMERIC: {
            if (start + 17 > pageSize())
                throw offPage();
            std::unique_ptr<char, GFreeDeleter> s(
                mdb_numeric_to_string(mdb, start, col->col_scale, col->col_prec));
            return QString::fromUtf8(s.get());
        }
        default:
            return QString();
        }
    }

    // The catalog (MSysObjects, always on page 2) read once, directly: only
    // Id, Name, Type and Flags are needed, and leaving the property blobs
    // alone keeps damaged ones from being parsed at all.
    void readCatalog()
    {
        MdbCatalogEntry sys;
        std::memset(&sys, 0, sizeof sys);
        sys.mdb = mdb;
        sys.object_type = MDB_TABLE;
        sys.table_pg = 2;
        std::snprintf(sys.object_name, sizeof sys.object_name, "%s", "MSysObjects");
        reading = QStringLiteral("MSysObjects");
        TableDefPtr t = openTable(&sys);

        int idCol = -1, nameCol = -1, typeCol = -1, flagsCol = -1;
        for (guint i = 0; i < t->num_cols; ++i) {
            const auto* c = static_cast<const MdbColumn*>(g_ptr_array_index(t->columns, i));
            if (!g_ascii_strcasecmp(c->name, "Id") && c->col_type == MDB_LONGINT)
                idCol = static_cast<int>(i);
            else if (!g_ascii_strcasecmp(c->name, "Name") && c->col_type == MDB_TEXT)
                nameCol = static_cast<int>(i);
            else if (!g_ascii_strcasecmp(c->name, "Type") && c->col_type == MDB_INT)
                typeCol = static_cast<int>(i);
            else if (!g_ascii_strcasecmp(c->name, "Flags") && c->col_type == MDB_LONGINT)
                flagsCol = static_cast<int>(i);
        }
        if (idCol < 0 || nameCol < 0 || typeCol < 0 || flagsCol < 0)
            throw damaged("catalog without Id, Name, Type and Flags");

        const int ps = pageSize();
        auto fixedAt = [&](const MdbField& f, int need) -> const unsigned char* {
            if (f.is_null || f.start < 0 || f.start + need > ps)
                return nullptr;
            return mdb->pg_buf + f.start;
        };
        forEachRow(t.get(), [&](const MdbField* fields) {
            const unsigned char* type = fixedAt(fields[typeCol], 2);
            const unsigned char* id = fixedAt(fields[idCol], 4);
            if (!type || !id || le16(type) != MDB_TABLE)
                return;
            const MdbField& nf = fields[nameCol];
            if (nf.is_null || nf.siz <= 0 || nf.start < 0 || nf.start + nf.siz > ps)
                return;
            const unsigned char* flags = fixedAt(fields[flagsCol], 4);
            Table tab;
            tab.name = text(mdb->pg_buf + nf.start, nf.siz);
            tab.flags = flags ? le32(flags) : 0;
            tab.entry = static_cast<MdbCatalogEntry*>(g_malloc0(sizeof(MdbCatalogEntry)));
            tab.entry->mdb = mdb;
            tab.entry->object_type = MDB_TABLE;
            tab.entry->table_pg = le32(id) & 0x00FFFFFFu;
            tab.entry->flags = static_cast<int>(tab.flags);
            const QByteArray utf8 = tab.name.toUtf8();
            std::snprintf(tab.entry->object_name, sizeof tab.entry->object_name, "%s",
                          utf8.constData());
            tables.push_back(std::move(tab));
        });
    }
};

MdbFile::MdbFile(const QString& path)
    : d(std::make_unique<Impl>())
{
    const PageZero z = readPageZero(path);
    d->path = path;
    d->header = z.info;
    d->bytes = ByteTextDecoder(z.info.codePage);
    const int ps = z.info.pageSize;
    d->pageCount = z.fileSize / ps;
    if (z.fileSize % ps != 0)
        throw d->damaged("size is not a whole number of pages");
    if (d->pageCount < 3)
        throw d->damaged("no catalog page");

    {
        // Page 2 must be the catalog's table definition before libmdb is
        // allowed to interpret it.
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            throw JetError(kCannotOpenFile, QStringLiteral("Cannot open the file '%1'.").arg(path));
        if (!f.seek(2LL * ps))
            throw d->damaged("no catalog page");
        QByteArray page = f.read(ps);
        if (page.size() != ps)
            throw d->damaged("no catalog page");
        auto* b = reinterpret_cast<std::uint8_t*>(page.data());
        if (z.databaseKey != 0)
            cryptPage(z.databaseKey, 2, b, static_cast<std::size_t>(ps));
        if (b[0] != kPageTableDef)
            throw d->damaged("page 2 is not a table definition");
    }

    const QByteArray native = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    d->mdb = mdb_open(native.constData(), MDB_NOFLAGS); // opens the file "r": never written
    if (!d->mdb)
        throw d->damaged("rejected by the reader");
    if (static_cast<int>(d->mdb->f->jet_version) != z.info.version)
        throw d->damaged("header changed while opening");
    // What strftime's "%x %X" gives in the C locale, spelled out.
    mdb_set_date_fmt(d->mdb, "%m/%d/%y %H:%M:%S");
    mdb_set_boolean_fmt_numbers(d->mdb);

    CLocaleScope cLocale;
    d->readCatalog();
}

MdbFile::~MdbFile() = default;

const HeaderInfo& MdbFile::header() const
{
    return d->header;
}

QStringList MdbFile::tableNames() const
{
    QStringList names;
    for (const Impl::Table& t : d->tables) {
        if (!(t.flags & 0x80000002u))
            names << t.name;
    }
    return names;
}

TableData MdbFile::readTable(const QString& name)
{
    const Impl::Table* found = nullptr;
    for (const Impl::Table& t : d->tables) {
        if (t.name == name) {
            found = &t;
            break;
        }
    }
    if (!found) {
        for (const Impl::Table& t : d->tables) {
            if (t.name.compare(name, Qt::CaseInsensitive) == 0) {
                found = &t;
                break;
            }
        }
    }
    if (!found)
        throw JetError(kTableNotFound,
                       QStringLiteral("Cannot find the input table or query '%1'.")
                           .arg(name));

    CLocaleScope cLocale;
    d->reading = found->name;
    TableDefPtr t = d->openTable(found->entry);

    TableData data;
    data.name = found->name;
    std::vector<const MdbColumn*> cols;
    for (guint i = 0; i < t->num_cols; ++i) {
        const auto* c = static_cast<const MdbColumn*>(g_ptr_array_index(t->columns, i));
        cols.push_back(c);
        data.columns << QString::fromUtf8(c->name);
        data.columnTypes.push_back(c->col_type);
    }
    d->forEachRow(t.get(), [&](const MdbField* fields) {
        std::vector<std::optional<QString>> row;
        row.reserve(cols.size());
        for (std::size_t i = 0; i < cols.size(); ++i)
            row.push_back(d->value(cols[i], fields[i]));
        data.rows.push_back(std::move(row));
    });
    return data;
}

} // namespace orvane::jet
