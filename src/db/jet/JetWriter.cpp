#include "db/jet/JetWriter.h"

#include "db/jet/Cp1252.h"
#include "db/jet/JetWriterPages.h"
#include "db/jet/JetWriterRows.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <limits>

namespace orvane::jet {

using namespace detail;

namespace {

constexpr int kMaxNameLength = 64;
constexpr int kMaxColumns = 255;
constexpr int kMaxPassword = 20;
constexpr int kTableDefHeader = 43;
constexpr int kColumnDescriptor = 18;
constexpr int kTableDefContinuationHeader = 8;

// Catalog ids of the containers Access creates in every database.
constexpr qint64 kTablesContainer = 0x0F000001;
constexpr qint64 kDatabasesContainer = 0x0F000002;
constexpr qint64 kRelationshipsContainer = 0x0F000003;
constexpr qint64 kContainerParent = 0x0F000000;
constexpr qint64 kSystemObjectFlag = std::numeric_limits<qint32>::min(); // 0x80000000 in a signed LONG
constexpr quint32 kCatalogPage = 2;

[[noreturn]] void fail(const QString& message)
{
    throw WriteError(message.toStdString());
}

QString quoted(const QString& name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// Jet object names: 1..64 characters, no leading blank, no control
// characters and none of . ! ` [ ], all of them in the code page.
QByteArray checkedName(const QString& name, const QString& what)
{
    if (name.isEmpty())
        fail(what + QStringLiteral(" has an empty name."));
    if (name.size() > kMaxNameLength)
        fail(what + QStringLiteral(": name %1 is longer than %2 characters.").arg(quoted(name)).arg(kMaxNameLength));
    if (name.startsWith(QLatin1Char(' ')))
        fail(what + QStringLiteral(": name %1 starts with a blank.").arg(quoted(name)));
    for (QChar c : name) {
        if (c.unicode() < 0x20 || c == QLatin1Char('.') || c == QLatin1Char('!') || c == QLatin1Char('`')
            || c == QLatin1Char('[') || c == QLatin1Char(']'))
            fail(what + QStringLiteral(": name %1 contains the character '%2', which Jet does not allow in names.")
                            .arg(quoted(name), c.unicode() < 0x20 ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0')) : QString(c)));
    }
    QByteArray encoded;
    qsizetype bad = -1;
    if (!encodeCp1252(name, encoded, &bad))
        fail(what + QStringLiteral(": name %1 has a character that Windows-1252 cannot represent (position %2).")
                        .arg(quoted(name)).arg(bad + 1));
    return encoded;
}

TableLayout userLayout(const TableDef& table)
{
    TableLayout layout;
    layout.name = table.name;
    const QString what = QStringLiteral("Table %1").arg(quoted(table.name));
    if (table.columns.empty())
        fail(what + QStringLiteral(" has no columns."));
    if (table.columns.size() > size_t(kMaxColumns))
        fail(what + QStringLiteral(" has %1 columns; a table may have at most %2.").arg(table.columns.size()).arg(kMaxColumns));

    QSet<QString> seen;
    for (const ColumnDef& def : table.columns) {
        ColumnLayout col;
        col.name = def.name;
        col.encodedName = checkedName(def.name, what + QStringLiteral(", a column"));
        const QString folded = def.name.toCaseFolded();
        if (seen.contains(folded))
            fail(what + QStringLiteral(" has two columns named %1.").arg(quoted(def.name)));
        seen.insert(folded);
        col.type = static_cast<unsigned char>(def.type);
        switch (def.type) {
        case ColumnType::Text:
            if (def.textSize < 1 || def.textSize > 255)
                fail(what + QStringLiteral(", column %1: TEXT size %2 is outside 1..255.").arg(quoted(def.name)).arg(def.textSize));
            col.length = def.textSize;
            break;
        case ColumnType::Memo:
            col.length = 0;
            break;
        case ColumnType::Bool:
        case ColumnType::Int:
        case ColumnType::Long:
        case ColumnType::Double:
        case ColumnType::DateTime:
            break;
        default:
            fail(what + QStringLiteral(", column %1: unknown column type %2.").arg(quoted(def.name)).arg(int(def.type)));
        }
        layout.columns.push_back(std::move(col));
    }
    assignStorage(layout);
    return layout;
}

TableLayout catalogLayout()
{
    struct ColumnPlan { const char* name; unsigned char type; int length; };
    static constexpr ColumnPlan kColumns[] = {
        {"Id", 0x04, 4}, {"ParentId", 0x04, 4}, {"Name", 0x0A, 255}, {"Type", 0x03, 2},
        {"DateCreate", 0x08, 8}, {"DateUpdate", 0x08, 8}, {"Owner", kTypeBinary, 255},
        {"Flags", 0x04, 4}, {"Database", 0x0C, 0}, {"Connect", 0x0C, 0},
        {"ForeignName", 0x0A, 255}, {"RmtInfoShort", kTypeBinary, 255}, {"RmtInfoLong", kTypeOle, 0},
        {"Lv", kTypeOle, 0}, {"LvProp", kTypeOle, 0}, {"LvModule", kTypeOle, 0}, {"LvExtra", kTypeOle, 0},
    };
    TableLayout layout;
    layout.name = QStringLiteral("MSysObjects");
    for (const ColumnPlan& s : kColumns) {
        ColumnLayout col;
        col.name = QString::fromLatin1(s.name);
        col.encodedName = QByteArray(s.name);
        col.type = s.type;
        col.length = s.length;
        layout.columns.push_back(std::move(col));
    }
    assignStorage(layout);
    return layout;
}

int tableDefinitionLength(const TableLayout& layout)
{
    int length = kTableDefHeader + kColumnDescriptor * int(layout.columns.size());
    for (const ColumnLayout& c : layout.columns)
        length += 1 + int(c.encodedName.size());
    return length + 2; // the empty list of long-value maps: FF FF
}

int tableDefinitionPages(int length)
{
    if (length <= kPageSize)
        return 1;
    const int perPage = kPageSize - kTableDefContinuationHeader;
    return 1 + (length - kPageSize + perPage - 1) / perPage;
}

// The table definition, split over its pages `first`, `first + 1`, ...
void writeTableDefinition(PageFile& file, quint32 first, const TableLayout& layout, bool system,
                          quint32 rowCount, quint32 usageMap, quint32 freeMap)
{
    const int length = tableDefinitionLength(layout);
    QByteArray def(length, '\0');
    auto* d = reinterpret_cast<unsigned char*>(def.data());
    d[0] = format::kPageTableDef;
    d[1] = 0x01;
    d[2] = 'V';
    d[3] = 'C';
    put32(d + 8, quint32(length));
    put32(d + 12, rowCount);
    put32(d + 16, 0); // no autonumber column
    d[20] = system ? 0x53 : 0x4E;
    const auto columns = quint32(layout.columns.size());
    put16(d + 21, columns);
    put16(d + 23, quint32(layout.varCount));
    put16(d + 25, columns);
    put32(d + 27, 0); // logical indexes
    put32(d + 31, 0); // physical indexes
    put32(d + 35, usageMap);
    put32(d + 39, freeMap);

    unsigned char* c = d + kTableDefHeader;
    for (quint32 i = 0; i < columns; ++i, c += kColumnDescriptor) {
        const ColumnLayout& col = layout.columns[i];
        c[0] = col.type;
        put16(c + 1, i);
        put16(c + 3, quint32(col.varIndex));
        put16(c + 5, i);
        put16(c + 7, 0x0001);
        put16(c + 9, 0x0409); // sort order General
        put16(c + 11, 1252);  // code page
        // Fixed columns are fixed-length and nullable, variable ones nullable;
        // the catalog carries the extra 0x10 bit Access gives it.
        c[13] = static_cast<unsigned char>((col.fixed ? 0x03 : 0x02) | (system ? 0x10 : 0x00));
        put16(c + 14, quint32(col.fixed ? col.fixedOffset : 0));
        put16(c + 16, quint32(col.length));
    }
    for (const ColumnLayout& col : layout.columns) {
        *c++ = static_cast<unsigned char>(col.encodedName.size());
        std::memcpy(c, col.encodedName.constData(), col.encodedName.size());
        c += col.encodedName.size();
    }
    c[0] = 0xFF;
    c[1] = 0xFF;

    const int pages = tableDefinitionPages(length);
    int pos = 0;
    for (int p = 0; p < pages; ++p) {
        PageBytes page{};
        int at = 0;
        if (p == 0) {
            const int n = std::min(length, kPageSize);
            std::memcpy(page.data(), d, n);
            pos = n;
        } else {
            page[0] = format::kPageTableDef;
            page[1] = 0x01;
            page[2] = 'V';
            page[3] = 'C';
            at = kTableDefContinuationHeader;
            const int n = std::min(length - pos, kPageSize - at);
            std::memcpy(page.data() + at, d + pos, n);
            pos += n;
        }
        put32(page.data() + 4, p + 1 < pages ? first + p + 1 : 0);
        file.write(first + p, page.data());
    }
}

struct WrittenTable {
    TableLayout layout;
    quint32 definitionPage = 0;
    quint32 rowCount = 0;
    std::vector<quint32> dataPages;
    std::vector<quint32> pagesWithRoom;
};

QString rowError(const QString& table, size_t row, const TableLayout& layout, const CellError& e)
{
    if (e.column < 0)
        return QStringLiteral("Table %1: row %2 %3.").arg(quoted(table)).arg(row + 1).arg(e.message);
    return QStringLiteral("Table %1, row %2, column %3: %4.")
        .arg(quoted(table)).arg(row + 1).arg(quoted(layout.columns[e.column].name), e.message);
}

WrittenTable writeTableData(PageFile& file, TableLayout layout, const std::vector<std::vector<CellValue>>& rows)
{
    WrittenTable t;
    t.definitionPage = file.allocate(quint32(tableDefinitionPages(tableDefinitionLength(layout))));
    RowPacker data(file, t.definitionPage);
    LongValueWriter longValues(file);
    QByteArray encoded;
    for (size_t r = 0; r < rows.size(); ++r) {
        try {
            encodeRow(layout, rows[r], longValues, encoded);
        } catch (const CellError& e) {
            fail(rowError(layout.name, r, layout, e));
        }
        data.add(encoded.constData(), int(encoded.size()));
    }
    data.flush();
    longValues.flush();
    t.rowCount = quint32(rows.size());
    t.dataPages = data.pages();
    t.pagesWithRoom = data.pagesWithRoom();
    t.layout = std::move(layout);
    return t;
}

std::vector<CellValue> catalogRow(qint64 id, qint64 parent, const QString& name, qint64 type,
                                  const QDateTime& when, qint64 flags)
{
    std::vector<CellValue> row(17);
    row[0] = id;
    row[1] = parent;
    row[2] = name;
    row[3] = type;
    row[4] = when;
    row[5] = when;
    row[7] = flags;
    return row;
}

} // namespace

void writeDatabase(const QString& path, const DatabaseDef& db)
{
    QByteArray password;
    qsizetype bad = -1;
    if (!encodeCp1252(db.password, password, &bad))
        fail(QStringLiteral("The database password has a character that Windows-1252 cannot represent (position %1).").arg(bad + 1));
    if (password.size() > kMaxPassword)
        fail(QStringLiteral("The database password has %1 characters; Jet 3 allows at most %2.").arg(password.size()).arg(kMaxPassword));
    if (password.contains('\0'))
        fail(QStringLiteral("The database password contains a NUL character."));

    // Names and column definitions are checked before anything is written.
    std::vector<TableLayout> layouts;
    QSet<QString> tableNames{QStringLiteral("msysobjects")};
    for (const TableDef& table : db.tables) {
        checkedName(table.name, QStringLiteral("A table"));
        const QString folded = table.name.toCaseFolded();
        if (tableNames.contains(folded))
            fail(QStringLiteral("There are two tables named %1.").arg(quoted(table.name)));
        tableNames.insert(folded);
        layouts.push_back(userLayout(table));
    }

    const QDateTime when = db.created.isValid() ? db.created : QDateTime::currentDateTime();

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        fail(QStringLiteral("Cannot create the database file %1: %2").arg(QDir::toNativeSeparators(path), out.errorString()));

    PageFile file(out);
    file.allocate(3); // 0 header, 1 free-page map, 2 catalog definition

    std::vector<WrittenTable> tables;
    tables.reserve(db.tables.size() + 1);
    for (size_t i = 0; i < db.tables.size(); ++i)
        tables.push_back(writeTableData(file, std::move(layouts[i]), db.tables[i].rows));

    // The catalog: Access's three containers, the catalog itself, then one
    // row per user table in the order given.
    std::vector<std::vector<CellValue>> catalog;
    catalog.push_back(catalogRow(kTablesContainer, kContainerParent, QStringLiteral("Tables"), 3, when, 0));
    catalog.push_back(catalogRow(kDatabasesContainer, kContainerParent, QStringLiteral("Databases"), 3, when, 0));
    catalog.push_back(catalogRow(kRelationshipsContainer, kContainerParent, QStringLiteral("Relationships"), 3, when, 0));
    catalog.push_back(catalogRow(kCatalogPage, kTablesContainer, QStringLiteral("MSysObjects"), 1, when, kSystemObjectFlag));
    for (const WrittenTable& t : tables)
        catalog.push_back(catalogRow(t.definitionPage, kTablesContainer, t.layout.name, 1, when, 0));

    WrittenTable catalogTable;
    {
        TableLayout layout = catalogLayout();
        RowPacker data(file, kCatalogPage);
        LongValueWriter longValues(file);
        QByteArray encoded;
        for (size_t r = 0; r < catalog.size(); ++r) {
            try {
                encodeRow(layout, catalog[r], longValues, encoded);
            } catch (const CellError& e) {
                fail(rowError(layout.name, r, layout, e));
            }
            data.add(encoded.constData(), int(encoded.size()));
        }
        data.flush();
        longValues.flush();
        catalogTable.layout = std::move(layout);
        catalogTable.definitionPage = kCatalogPage;
        catalogTable.rowCount = quint32(catalog.size());
        catalogTable.dataPages = data.pages();
        catalogTable.pagesWithRoom = data.pagesWithRoom();
    }

    // Usage maps live on pages of their own that belong to no table.
    RowPacker maps(file, 0);
    auto writeMapsAndDefinition = [&](const WrittenTable& t, bool system) {
        const QByteArray owned = buildUsageMap(file, t.dataPages);
        const QByteArray free = buildUsageMap(file, t.pagesWithRoom);
        const quint32 ownedPtr = maps.add(owned.constData(), int(owned.size()));
        const quint32 freePtr = maps.add(free.constData(), int(free.size()));
        writeTableDefinition(file, t.definitionPage, t.layout, system, t.rowCount, ownedPtr, freePtr);
    };
    writeMapsAndDefinition(catalogTable, true);
    for (const WrittenTable& t : tables)
        writeMapsAndDefinition(t, false);
    maps.flush();

    file.write(0, headerPage(password).data());
    file.write(1, freePageMapPage(file.pageCount()).data());
    file.finish();

    if (!out.commit())
        fail(QStringLiteral("Cannot save the database file %1: %2").arg(QDir::toNativeSeparators(path), out.errorString()));
}

} // namespace orvane::jet
