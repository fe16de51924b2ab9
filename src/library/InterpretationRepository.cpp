#include "library/InterpretationRepository.h"

#include "core/Log.h"
#include "db/JetCollation.h"
#include "db/JetError.h"

#include <algorithm>

namespace orvane::library {

namespace {

const QString kIdColumn = QStringLiteral("INTER_STR");

db::JetError noSuchTable(const QString& table)
{
    return db::JetError(db::kTableNotFound,
                        QStringLiteral("The Microsoft Jet database engine cannot find the input table "
                                       "or query '%1'.")
                            .arg(table));
}

void requirePlain(const QString& table)
{
    if (!InterpretationRepository::isPlainTableName(table))
        throw noSuchTable(table);
}

int columnOf(const db::CompactSnapshot& s, const QString& name)
{
    for (int i = 0; i < s.columns.size(); ++i)
        if (s.columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int requireColumn(const db::CompactSnapshot& s, const QString& name)
{
    const int c = columnOf(s, name);
    if (c < 0)
        throw db::JetError(db::kItemNotFound, QStringLiteral("Item not found in this collection."));
    return c;
}

QString textOf(std::optional<QByteArrayView> cell)
{
    return cell ? QString::fromUtf8(*cell) : QString();
}

// The statement that fetches one identifier's row from `table`.
QString rowStatement(const QString& table, const QString& id)
{
    return QStringLiteral("SELECT * FROM [") + table + QStringLiteral("] WHERE INTER_STR = \"") + id
        + QStringLiteral("\"");
}

} // namespace

InterpretationRepository::InterpretationRepository() = default;
InterpretationRepository::~InterpretationRepository() = default;

void InterpretationRepository::ensureWorkspace()
{
    if (!workspace_)
        workspace_ = std::make_unique<db::Workspace>();
}

void InterpretationRepository::open(const QString& path)
{
    close();
    ensureWorkspace();
    const QString connect = QString::fromLatin1(kConnect);
    database_ = opener_ ? opener_(*workspace_, path, connect)
                        : workspace_->openDatabase(path, false, false, connect);
}

void InterpretationRepository::close()
{
    damage_.clear();
    damageChanged_ = false;
    if (!database_)
        return;
    try {
        if (database_->isOpen())
            database_->close();
    } catch (const db::JetError& e) {
        qCInfo(lcLibrary) << "closing the database failed:" << e.number() << e.message();
    }
    database_.reset();
}

void InterpretationRepository::shutdown()
{
    close();
    if (workspace_ && workspace_->isOpen())
        workspace_->close();
    workspace_.reset();
}

bool InterpretationRepository::isOpen() const
{
    return database_ && database_->isOpen();
}

QString InterpretationRepository::path() const
{
    return database_ ? database_->path() : QString();
}

db::Database& InterpretationRepository::database()
{
    // A window without a database has nothing to query; that is the same
    // failure as a closed one.
    if (!database_)
        throw db::JetError(db::kObjectClosed, QStringLiteral("Object invalid or no longer set."));
    return *database_;
}

db::CompactSnapshot InterpretationRepository::run(const QString& sql)
{
    db::CompactSnapshot rows = database().executeCompact(sql);
    noteDamage(rows.damage);
    return rows;
}

QStringList InterpretationRepository::runColumn(const QString& sql, const QString& name)
{
    // Only the one column is kept: the rest of each row (a section's texts,
    // megabytes of them) is never copied out of the engine.
    int column = -1;
    QStringList out;
    const db::DamageReport damage = database().stream(
        sql,
        [&](const QStringList& columns) {
            for (int i = 0; i < columns.size() && column < 0; ++i)
                if (columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
                    column = i;
            if (column < 0)
                throw db::JetError(db::kItemNotFound, QStringLiteral("Item not found in this collection."));
        },
        [&](const db::RowCells& row) {
            const auto& cell = row[std::size_t(column)];
            out << (cell ? QString::fromUtf8(cell->data(), qsizetype(cell->size())) : QString());
        });
    noteDamage(damage);
    return out;
}

void InterpretationRepository::noteDamage(const db::DamageReport& damage)
{
    for (const db::TableDamage& d : damage) {
        const bool known = std::any_of(damage_.begin(), damage_.end(),
                                       [&](const db::TableDamage& k) { return k.table == d.table; });
        if (!known) {
            damage_.push_back(d);
            damageChanged_ = true;
        }
    }
}

std::optional<db::JetError> InterpretationRepository::newDamage()
{
    if (!damageChanged_)
        return std::nullopt;
    damageChanged_ = false;
    return db::damageError(damage_);
}

SectionListing InterpretationRepository::sections()
{
    SectionListing listing;
    db::CompactSnapshot rows;
    try {
        rows = run(QStringLiteral("SELECT * FROM AuthorizedTablesTab"));
    } catch (const db::JetError& e) {
        qCInfo(lcLibrary) << "the section list cannot be read:" << e.number() << e.message();
        listing.failure = e;
        return listing;
    }
    listing.opened = true;
    const int user = columnOf(rows, QStringLiteral("UserTableName"));
    const int table = columnOf(rows, QStringLiteral("dbTableName"));
    for (std::size_t r = 0; r < rows.rowCount(); ++r) {
        // A name that is missing or Null cannot be listed: the rows before it are.
        if (user < 0 || table < 0 || !rows.cell(r, user) || !rows.cell(r, table)) {
            qCInfo(lcLibrary) << "section row" << r + 1 << "has no usable name";
            return listing;
        }
        listing.sections.append({textOf(rows.cell(r, user)), textOf(rows.cell(r, table))});
    }
    listing.complete = true;
    return listing;
}

QStringList InterpretationRepository::sectionRows(const QString& table)
{
    requirePlain(table);
    return runColumn(QStringLiteral("SELECT * FROM [") + table + QStringLiteral("] ORDER BY INTER_STR"), kIdColumn);
}

QStringList InterpretationRepository::paragraphs(const QString& table)
{
    requirePlain(table);
    return runColumn(QStringLiteral("SELECT DISTINCT reference FROM ") + indexTableOf(table)
                         + QStringLiteral(" ORDER BY reference"),
                     QStringLiteral("Reference"));
}

QHash<QString, QList<int>> InterpretationRepository::lineLengths(const QString& table)
{
    requirePlain(table);
    const db::CompactSnapshot rows =
        run(QStringLiteral("SELECT INTER_STR, inter_text FROM [") + table + QStringLiteral("]"));
    const int idColumn = requireColumn(rows, kIdColumn);
    const int textColumn = requireColumn(rows, QStringLiteral("inter_text"));
    QHash<QString, QList<int>> out;
    out.reserve(qsizetype(rows.rowCount()));
    for (std::size_t r = 0; r < rows.rowCount(); ++r) {
        const QString text = textOf(rows.cell(r, textColumn));
        QList<int>& lengths = out[textOf(rows.cell(r, idColumn))];
        // CR LF, a lone CR and LF each end a line, as the view breaks them.
        int length = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c == u'\r' || c == u'\n' || c == QChar(0x2029)) {
                if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                    ++i;
                lengths << length;
                length = 0;
            } else {
                ++length;
            }
        }
        lengths << length;
    }
    return out;
}

QString InterpretationRepository::searchStatement(const SearchRequest& request)
{
    return search::buildSearchSql(request.paragraph, request.keywords, request.mode, request.table);
}

QStringList InterpretationRepository::search(const SearchRequest& request)
{
    requirePlain(request.table);
    // The engine returns the rows in no promised order; they are listed in
    // the order the database sorts its identifiers, which puts the notice
    // (its name starts with blanks) first. The statement itself stays as
    // built, so that the text sent is the documented one.
    return sortedIdentifiers(runColumn(searchStatement(request), kIdColumn));
}

QStringList InterpretationRepository::sortedIdentifiers(QStringList ids)
{
    // The engine mostly hands them over sorted already (a DISTINCT is
    // answered in the identifiers' order), which one pass confirms.
    const auto less = [](const QString& a, const QString& b) { return db::jetCompare(a, b) < 0; };
    if (!std::is_sorted(ids.begin(), ids.end(), less))
        std::sort(ids.begin(), ids.end(), less);
    return ids;
}

std::optional<Interpretation> InterpretationRepository::lookUpIn(const QString& table, const QString& id)
{
    try {
        requirePlain(table);
        const db::CompactSnapshot rows = run(rowStatement(table, id));
        if (rows.rowCount() == 0)
            return std::nullopt;
        Interpretation found;
        found.text = textOf(rows.cell(0, requireColumn(rows, QStringLiteral("inter_text"))));
        const int vol = columnOf(rows, QStringLiteral("vol"));
        if (vol >= 0)
            found.volume = textOf(rows.cell(0, vol));
        return found;
    } catch (const db::JetError& e) {
        // Damage and lack of memory are the caller's to report; anything
        // else means "not here".
        if (e.number() == db::kDatabaseDamaged || e.number() == db::kSystemResourceExceeded)
            throw;
        qCInfo(lcLibrary) << "lookup of" << id << "in" << table << "failed:" << e.number() << e.message();
        return std::nullopt;
    }
}

std::optional<Interpretation> InterpretationRepository::lookUp(const QString& table, const QString& id)
{
    // The identifier is quoted into the statement as it is. One that holds a
    // double quote would end the literal early: at best the engine refuses
    // the statement, at worst (IX" OR "1"="1) it matches some other row. No
    // identifier listed by the program contains one, so such an identifier is
    // not looked up at all.
    if (id.contains(u'"') || !database_)
        return std::nullopt;
    if (auto found = lookUpIn(table, id))
        return found;

    // Not in the section's own table: its paragraph index may list it under
    // another section, whose table then holds it.
    QString section;
    try {
        const QString index = indexTableOf(table);
        requirePlain(index);
        const db::CompactSnapshot rows = run(rowStatement(index, id));
        if (rows.rowCount() > 0)
            section = textOf(rows.cell(0, requireColumn(rows, QStringLiteral("section"))));
    } catch (const db::JetError& e) {
        if (e.number() == db::kDatabaseDamaged || e.number() == db::kSystemResourceExceeded)
            throw;
        qCInfo(lcLibrary) << "index lookup of" << id << "failed:" << e.number() << e.message();
    }
    return lookUpIn(QStringLiteral("INT") + section, id);
}

QStringList InterpretationRepository::distinctSorted(QStringList texts)
{
    std::stable_sort(texts.begin(), texts.end(),
                     [](const QString& a, const QString& b) { return db::jetCompare(a, b) < 0; });
    QStringList out;
    out.reserve(texts.size());
    for (const QString& t : texts)
        if (out.isEmpty() || db::jetCompare(out.last(), t) != 0)
            out << t;
    return out;
}

QString InterpretationRepository::indexTableOf(const QString& table)
{
    return search::searchIndexTable(table);
}

bool InterpretationRepository::isPlainTableName(const QString& table)
{
    if (table.isEmpty() || table.size() > 64)
        return false;
    return std::all_of(table.begin(), table.end(), [](QChar c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
    });
}

} // namespace orvane::library
