#include "db/Engine.h"

#include "db/JetCollation.h"
#include "db/JetLike.h"
#include "db/JetLikeList.h"
#include "db/JetSql.h"
#include "db/LoadedTable.h"
#include "db/Log.h"

#include <QHash>
#include <QLoggingCategory>
#include <sqlite3.h>

#include <atomic>
#include <cstring>
#include <utility>

namespace orvane::db {

namespace {

constexpr const char* kCollation = "JETGENERAL";

std::atomic<qint64> g_memoryCeiling{Database::kDefaultMemoryCeiling};
std::atomic<bool> g_ceilingApplied{false};

void applyMemoryCeiling()
{
    sqlite3_hard_heap_limit64(g_memoryCeiling.load());
    g_ceilingApplied = true;
}

JetError resourceExceeded()
{
    return JetError(kSystemResourceExceeded, QStringLiteral("System resource exceeded."));
}

[[noreturn]] void failResources(const char* where)
{
    const JetError e = resourceExceeded();
    qCInfo(lcDb) << "error" << e.number() << e.message() << where << "(memory ceiling"
                    << g_memoryCeiling.load() << "bytes, in use" << sqlite3_memory_used() << ")";
    throw e;
}

// Bytes of rows that running statements have collected for their callers,
// outside SQLite's heap: they count against the same ceiling.
std::atomic<qint64> g_heldOutside{0};

// The rows one statement collects, as they are added; released from the
// count when the statement ends (the caller then owns them).
class HeldRows {
public:
    HeldRows() = default;
    HeldRows(const HeldRows&) = delete;
    HeldRows& operator=(const HeldRows&) = delete;
    ~HeldRows() { g_heldOutside -= held_; }

    void add(qint64 bytes)
    {
        held_ += bytes;
        const qint64 outside = g_heldOutside += bytes;
        if (sqlite3_memory_used() + outside > g_memoryCeiling.load())
            failResources("while collecting rows");
    }

private:
    qint64 held_ = 0;
};

// What a collected cell costs besides its characters: the optional, the
// string's header and its allocation.
constexpr qint64 kCellOverhead = 48;

bool outOfMemory(int rc)
{
    return (rc & 0xFF) == SQLITE_NOMEM;
}

// Callers never see SQLite's own wording: every failure below the Jet layer
// becomes one of these.
[[noreturn]] void failSyntax()
{
    throw JetError(kSyntaxError, QStringLiteral("Syntax error in query expression."));
}

[[noreturn]] void failTable(const QString& name)
{
    throw JetError(kTableNotFound,
                   QStringLiteral("The database engine cannot find the input table or query '%1'. "
                                  "Make sure it exists and that its name is spelled correctly.")
                       .arg(name));
}

[[noreturn]] void failClosed()
{
    throw JetError(kObjectClosed, QStringLiteral("Object invalid or no longer set."));
}

QString quoteIdentifier(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

int collate(void*, int la, const void* a, int lb, const void* b)
{
    return jetCompareUtf8(std::string_view(static_cast<const char*>(a), std::size_t(la)),
                          std::string_view(static_cast<const char*>(b), std::size_t(lb)));
}

// A value as UTF-8 text. Text is read where it lies: asking SQLite for
// 0-terminated text would copy every value the loaded tables hand over.
std::string_view utf8Of(sqlite3_value* v)
{
    const char* p = sqlite3_value_type(v) == SQLITE_TEXT ? static_cast<const char*>(sqlite3_value_blob(v))
                                                         : reinterpret_cast<const char*>(sqlite3_value_text(v));
    return {p ? p : "", std::size_t(sqlite3_value_bytes(v))};
}

// Calls of like(pattern, value) and of the run functions below: Null
// when either argument is Null, else whether the compiled matcher accepts
// the value. The matcher is kept as auxiliary data, so that a constant
// pattern is compiled once per statement, not once per row.
template <typename Matcher, typename Compile>
void matchFunction(sqlite3_context* ctx, sqlite3_value** argv, Compile compile, const char* what)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::string_view value = utf8Of(argv[1]);
    if (const auto* cached = static_cast<const Matcher*>(sqlite3_get_auxdata(ctx, 0))) {
        sqlite3_result_int(ctx, cached->matchesUtf8(value));
        return;
    }
    std::unique_ptr<Matcher> matcher;
    try {
        matcher = compile(utf8Of(argv[0]));
    } catch (const JetError& e) {
        qCInfo(lcDb) << "error" << e.number() << e.message() << what;
        sqlite3_result_error(ctx, "invalid pattern", -1);
        return;
    } catch (const std::bad_alloc&) {
        qCInfo(lcDb) << "error" << int(kSystemResourceExceeded) << "out of memory compiling" << what;
        sqlite3_result_error_nomem(ctx);
        return;
    }
    sqlite3_result_int(ctx, matcher->matchesUtf8(value));
    // SQLite keeps it for the next row when the pattern is a constant, and
    // frees it otherwise (possibly at once): it must not be used after this.
    sqlite3_set_auxdata(ctx, 0, matcher.release(), [](void* m) { delete static_cast<Matcher*>(m); });
}

// like(pattern, value): SQLite's "value LIKE pattern", replaced by Jet's rules.
void jetLikeFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    matchFunction<JetLikePattern>(
        ctx, argv,
        [](std::string_view pattern) { return std::make_unique<JetLikePattern>(JetLikePattern::fromUtf8(pattern)); },
        "a LIKE pattern");
}

// jet_like_all(patterns, value) and jet_like_any(patterns, value): a run of
// "value LIKE p" joined by AND / OR, the patterns packed into one text (see
// JetLikeList::pack).
void jetLikeListFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto join = sqlite3_user_data(ctx) ? JetLikeList::Join::All : JetLikeList::Join::Any;
    matchFunction<JetLikeList>(
        ctx, argv,
        [join](std::string_view packed) { return std::make_unique<JetLikeList>(JetLikeList::unpack(packed), join); },
        "a run of LIKE patterns");
}

// Statements prepared once and run again: their texts are bound, so a
// lookup of another identifier or a search for other words reads the same
// and skips parsing and planning. A statement is lent to one run at a time;
// a run that finds it lent (a callback running another statement) prepares
// one of its own, which is not kept.
class PreparedStatements {
public:
    PreparedStatements() = default;
    PreparedStatements(const PreparedStatements&) = delete;
    PreparedStatements& operator=(const PreparedStatements&) = delete;
    ~PreparedStatements() { clear(); }

    class Lease {
    public:
        Lease(PreparedStatements* owner, sqlite3_stmt* s) : owner_(owner), s_(s) {}
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        ~Lease()
        {
            if (owner_)
                owner_->giveBack(s_);
            else
                sqlite3_finalize(s_);
        }
        sqlite3_stmt* get() const { return s_; }

    private:
        PreparedStatements* owner_;
        sqlite3_stmt* s_;
    };

    // The kept statement for `sql`, or nullptr when there is none free.
    sqlite3_stmt* take(const QByteArray& sql)
    {
        const auto it = kept_.find(sql);
        if (it == kept_.end() || it->lent)
            return nullptr;
        it->lent = true;
        it->lastUse = ++uses_;
        return it->s;
    }

    // Keeps a statement just prepared, lent to its first run; false when it
    // is not kept (its text is kept already, or every kept one is lent).
    bool keep(const QByteArray& sql, sqlite3_stmt* s)
    {
        if (kept_.contains(sql))
            return false;
        if (kept_.size() >= kKept) {
            auto oldest = kept_.end();
            for (auto it = kept_.begin(); it != kept_.end(); ++it)
                if (!it->lent && (oldest == kept_.end() || it->lastUse < oldest->lastUse))
                    oldest = it;
            if (oldest == kept_.end())
                return false;
            sqlite3_finalize(oldest->s);
            kept_.erase(oldest);
        }
        kept_.insert(sql, {s, true, ++uses_});
        return true;
    }

    // Finalizes the statements not lent out (all of them between runs).
    void clear()
    {
        for (auto it = kept_.begin(); it != kept_.end();) {
            if (it->lent) {
                ++it;
                continue;
            }
            sqlite3_finalize(it->s);
            it = kept_.erase(it);
        }
    }

private:
    static constexpr int kKept = 32;

    struct Kept {
        sqlite3_stmt* s = nullptr;
        bool lent = false;
        quint64 lastUse = 0;
    };

    // Ready for its next run.
    void giveBack(sqlite3_stmt* s)
    {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
        for (Kept& k : kept_)
            if (k.s == s)
                k.lent = false;
    }

    QHash<QByteArray, Kept> kept_;
    quint64 uses_ = 0;
};

} // namespace

struct Database::Impl {
    QString path;
    TableStream source;
    sqlite3* db = nullptr;
    QHash<QString, QString> loaded;   // case-folded name as written -> stored name
    bool loading = false;             // the authorizer lets table loading through
    bool joinLikeRuns = true;
    LoadedTables tables;              // loaded, waiting for SQLite to take them
    QHash<QString, TableDamage> damaged; // case-folded stored name -> what was left out
    DamageReport statementDamage;  // of the tables the running statement read
    PreparedStatements prepared;

    ~Impl() { closeConnection(); }

    void closeConnection()
    {
        prepared.clear();
        if (db)
            sqlite3_close_v2(db);
        db = nullptr;
    }

    void exec(const char* sql)
    {
        char* err = nullptr;
        const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &err);
        sqlite3_free(err);
        if (outOfMemory(rc))
            failResources("while loading a table");
        if (rc != SQLITE_OK)
            failSyntax();
    }

    void exec(const QString& sql) { exec(sql.toUtf8().constData()); }

    static int authorize(void* self, int action, const char* arg1, const char* arg2, const char*,
                         const char*)
    {
        auto* impl = static_cast<Impl*>(self);
        if (impl->loading)
            return SQLITE_OK;
        switch (action) {
        case SQLITE_SELECT:
            return SQLITE_OK;
        case SQLITE_READ:
            return (arg1 && std::strncmp(arg1, "sqlite_", 7) == 0) ? SQLITE_DENY : SQLITE_OK;
        case SQLITE_FUNCTION: {
            const QString name = QString::fromUtf8(arg2 ? arg2 : "").toLower();
            return jetSqlAllowedFunctions().contains(name) ? SQLITE_OK : SQLITE_DENY;
        }
        default:
            // Writes, schema changes, ATTACH, PRAGMA, transactions, CTEs...
            return SQLITE_DENY;
        }
    }

    void openConnection()
    {
        if (!g_ceilingApplied)
            applyMemoryCeiling();
        // No mutex per connection: a database is used by one thread at a
        // time (the rest of this class is not shared either), and every
        // value read would otherwise lock and unlock one.
        if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr)
            != SQLITE_OK) {
            closeConnection();
            throw JetError(kSyntaxError, QStringLiteral("Cannot start the query engine."));
        }
        // Double-quoted text must never fall back to being a string literal:
        // an unknown [name] is an error, as in Jet, not a constant.
        sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
        sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
        sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
        sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
        sqlite3_create_collation_v2(db, kCollation, SQLITE_UTF8, nullptr, collate, nullptr);
        sqlite3_create_function_v2(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   jetLikeFunction, nullptr, nullptr, nullptr);
        static int all = 1;
        sqlite3_create_function_v2(db, "jet_like_all", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, &all,
                                   jetLikeListFunction, nullptr, nullptr, nullptr);
        sqlite3_create_function_v2(db, "jet_like_any", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   jetLikeListFunction, nullptr, nullptr, nullptr);
        // Sorting and DISTINCT work in memory too, under the same ceiling,
        // rather than in files the program would leave behind.
        exec("PRAGMA temp_store=MEMORY");
        if (tables.registerModule(db, kCollation) != SQLITE_OK) {
            closeConnection();
            throw JetError(kSyntaxError, QStringLiteral("Cannot start the query engine."));
        }
        exec("PRAGMA query_only=1");
        sqlite3_set_authorizer(db, authorize, this);
    }

    // Loads a table the first time a statement names it; returns the name it
    // has in the engine (as stored in the file). Damage the table holds is
    // added to the statement's.
    QString ensureTable(const QString& written)
    {
        const QString key = written.toCaseFolded();
        if (const auto it = loaded.constFind(key); it != loaded.constEnd()) {
            noteDamage(it.value());
            return it.value();
        }

        Loader loader(*this);
        jet::TableReport report;
        try {
            report = source(written, loader);
        } catch (const Loader::Duplicate&) {
            // Not a failure: the name as written is another spelling of a
            // table loaded already, which is used as it is (below).
            qCDebug(lcDb) << "table" << written << "is loaded already as" << loader.stored;
        } catch (const JetError&) {
            throw;
        } catch (const std::bad_alloc&) {
            failResources("while reading a table");
        } catch (const std::exception& e) {
            qCInfo(lcDb) << "error" << int(kTableNotFound) << "reading table" << written << "failed:" << e.what();
            failTable(written);
        }
        if (!loader.started)
            failTable(written);
        const QString stored = loader.stored;
        if (loader.duplicate) {
            loaded.insert(key, stored);
            noteDamage(stored);
            return stored;
        }
        loader.finish();

        if (report.damaged > 0) {
            TableDamage d;
            d.table = stored;
            d.message = QString::fromStdString(report.damage);
            d.rows = report.damaged;
            qCDebug(lcDb) << "error" << int(kDatabaseDamaged) << d.message << "-" << d.rows << "row(s) left out";
            damaged.insert(stored.toCaseFolded(), d);
        }

        loaded.insert(key, stored);
        loaded.insert(stored.toCaseFolded(), stored);
        noteDamage(stored);
        return stored;
    }

    void noteDamage(const QString& stored)
    {
        const auto it = damaged.constFind(stored.toCaseFolded());
        if (it == damaged.constEnd())
            return;
        for (const TableDamage& d : statementDamage)
            if (d.table == it->table)
                return;
        statementDamage.push_back(*it);
    }

    // Takes a table's rows from the reader into a LoadedTable, which SQLite
    // then reads as a virtual table under the stored name. A load that fails
    // leaves nothing behind: the table exists only once every row is in.
    class Loader : public jet::TableSink {
    public:
        explicit Loader(Impl& impl) : impl_(impl) {}
        Loader(const Loader&) = delete;
        Loader& operator=(const Loader&) = delete;

        void columns(const std::string& table, const std::vector<jet::Column>& cols) override
        {
            stored = QString::fromStdString(table);
            started = true;
            if (impl_.loaded.contains(stored.toCaseFolded())) {
                // Written differently, stored the same: loaded already.
                duplicate = true;
                throw Duplicate{};
            }
            QStringList names;
            for (const jet::Column& c : cols)
                names << QString::fromStdString(c.name);
            rows_ = std::make_shared<LoadedTable>(names);
        }

        void row(const jet::Cell* cells, std::size_t count) override { rows_->appendRow(cells, count); }

        void finish()
        {
            const int id = impl_.tables.adopt(std::move(rows_));
            impl_.loading = true;
            struct Restore {
                Impl& impl;
                ~Restore()
                {
                    sqlite3_exec(impl.db, "PRAGMA query_only=1", nullptr, nullptr, nullptr);
                    impl.loading = false;
                }
            } restore{impl_};
            impl_.exec("PRAGMA query_only=0");
            const int rc = sqlite3_exec(
                impl_.db,
                QStringLiteral("CREATE VIRTUAL TABLE %1 USING jet_rows(%2)").arg(quoteIdentifier(stored)).arg(id).toUtf8().constData(),
                nullptr, nullptr, nullptr);
            impl_.tables.take(id);   // released if the statement never took it
            if (outOfMemory(rc))
                failResources("while loading a table");
            if (rc != SQLITE_OK)
                failSyntax();
        }

        struct Duplicate {};

        QString stored;
        bool started = false;
        bool duplicate = false;

    private:
        Impl& impl_;
        std::shared_ptr<LoadedTable> rows_;
    };

    // Runs one statement and hands its column names, then each row, to the
    // callers' collectors. Memory running out while the rows are collected
    // is the same failure as the engine reaching its ceiling.
    template <typename Header, typename Cell, typename RowEnd>
    void run(const QString& jetSql, Header header, Cell cell, RowEnd rowEnd)
    {
        statementDamage.clear();
        try {
            runStatement(jetSql, header, cell, rowEnd);
        } catch (const std::bad_alloc&) {
            prepared.clear();
            failResources("while collecting rows");
        } catch (const JetError& e) {
            // What the kept statements hold goes back to a statement that
            // ran out of memory.
            if (e.number() == kSystemResourceExceeded)
                prepared.clear();
            throw;
        }
    }

    // The prepared statement for `sql`: a kept one, or one prepared now and
    // checked to be a single read-only statement.
    PreparedStatements::Lease prepare(const QByteArray& sql)
    {
        if (sqlite3_stmt* kept = prepared.take(sql))
            return PreparedStatements::Lease(&prepared, kept);
        struct Unkept {
            sqlite3_stmt* s = nullptr;
            ~Unkept() { sqlite3_finalize(s); }
        } st;
        const char* tail = nullptr;
        const int rc =
            sqlite3_prepare_v3(db, sql.constData(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &st.s, &tail);
        if (outOfMemory(rc))
            failResources("while preparing a statement");
        if (rc != SQLITE_OK) {
            const char* msg = sqlite3_errmsg(db);
            if (std::strncmp(msg, "no such table: ", 15) == 0)
                failTable(QString::fromUtf8(msg + 15));
            failSyntax();
        }
        if (!st.s || !sqlite3_stmt_readonly(st.s))
            failSyntax();
        for (const char* p = tail; p && *p; ++p)
            if (!std::strchr(" \t\r\n", *p))
                failSyntax();
        sqlite3_stmt* const s = std::exchange(st.s, nullptr);
        return PreparedStatements::Lease(prepared.keep(sql, s) ? &prepared : nullptr, s);
    }

    template <typename Header, typename Cell, typename RowEnd>
    void runStatement(const QString& jetSql, Header& header, Cell& cell, RowEnd& rowEnd)
    {
        const JetSqlTranslation t = translateJetSql(
            jetSql, [this](const QString& name) { return ensureTable(name); }, joinLikeRuns, true);

        const PreparedStatements::Lease lease = prepare(t.sql.toUtf8());
        sqlite3_stmt* const st = lease.get();
        if (sqlite3_bind_parameter_count(st) != t.texts.size())
            failSyntax();
        for (int i = 0; i < t.texts.size(); ++i) {
            const QByteArray value = t.texts[i].toUtf8();
            const int rc = sqlite3_bind_text(st, i + 1, value.constData(), int(value.size()), SQLITE_TRANSIENT);
            if (outOfMemory(rc))
                failResources("while binding a statement's texts");
            if (rc != SQLITE_OK)
                failSyntax();
        }

        const int width = sqlite3_column_count(st);
        QStringList columns;
        for (int c = 0; c < width; ++c)
            columns << QString::fromUtf8(sqlite3_column_name(st, c));
        header(std::move(columns));
        for (;;) {
            const int step = sqlite3_step(st);
            if (step == SQLITE_DONE)
                break;
            if (outOfMemory(step))
                failResources("while running a statement");
            if (step != SQLITE_ROW)
                failSyntax();
            for (int c = 0; c < width; ++c) {
                // Text is read where it lies, as utf8Of does.
                const int type = sqlite3_column_type(st, c);
                if (type == SQLITE_NULL) {
                    cell(nullptr, 0);
                } else {
                    const void* p = type == SQLITE_TEXT ? sqlite3_column_blob(st, c) : sqlite3_column_text(st, c);
                    cell(p ? static_cast<const char*>(p) : "", sqlite3_column_bytes(st, c));
                }
            }
            rowEnd();
        }
    }
};

// ---- Database ----------------------------------------------------------------

JetError damageError(const DamageReport& damage)
{
    std::size_t rows = 0;
    for (const TableDamage& d : damage)
        rows += d.rows;
    const QString first = damage.empty() ? QString() : damage.front().message;
    return JetError(kDatabaseDamaged,
                    QStringLiteral("%1 Damaged rows left out: %2.").arg(first).arg(rows));
}

Database::Database(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

Database::~Database() = default;

std::unique_ptr<Database> Database::fromTableStream(const QString& path, TableStream stream)
{
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    impl->source = std::move(stream);
    impl->openConnection();
    return std::unique_ptr<Database>(new Database(std::move(impl)));
}

std::unique_ptr<Database> Database::fromTableSource(const QString& path, TableSource source)
{
    return fromTableStream(path, [source = std::move(source)](const QString& name, jet::TableSink& sink) {
        const jet::TableData data = source(name);
        if (data.columns.isEmpty())
            failTable(name);
        std::vector<jet::Column> columns;
        for (qsizetype i = 0; i < data.columns.size(); ++i) {
            jet::Column c;
            c.name = data.columns[i].toStdString();
            c.type = std::size_t(i) < data.columnTypes.size() ? data.columnTypes[std::size_t(i)] : jet::kTypeText;
            columns.push_back(std::move(c));
        }
        sink.columns((data.name.isEmpty() ? name : data.name).toStdString(), columns);
        std::vector<QByteArray> utf8(columns.size());
        std::vector<jet::Cell> cells(columns.size());
        for (const auto& row : data.rows) {
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const bool present = c < row.size() && row[c].has_value();
                utf8[c] = present ? row[c]->toUtf8() : QByteArray();
                cells[c] = jet::Cell{utf8[c].constData(), std::size_t(utf8[c].size()), !present};
            }
            sink.row(cells.data(), cells.size());
        }
        jet::TableReport report;
        report.name = (data.name.isEmpty() ? name : data.name).toStdString();
        report.rows = data.rows.size();
        report.damaged = data.damagedRows;
        report.damage = data.damage.toStdString();
        return report;
    });
}

const QString& Database::path() const { return d->path; }

bool Database::isOpen() const { return d->db != nullptr; }

void Database::setLikeRunsJoined(bool joined)
{
    d->joinLikeRuns = joined;
}

void Database::setMemoryCeiling(qint64 bytes)
{
    g_memoryCeiling = bytes;
    applyMemoryCeiling();
}

qint64 Database::memoryCeiling()
{
    return g_memoryCeiling;
}

Snapshot Database::execute(const QString& sql)
{
    if (!d->db)
        failClosed();
    Snapshot snap;
    HeldRows held;
    std::vector<std::optional<QString>> row;
    qint64 rowBytes = 0;
    d->run(
        sql, [&](QStringList columns) { snap.columns = std::move(columns); },
        [&](const char* text, int len) {
            rowBytes += kCellOverhead;
            if (text) {
                row.emplace_back(QString::fromUtf8(text, len));
                rowBytes += qint64(row.back()->size()) * qint64(sizeof(QChar));
            } else {
                row.emplace_back(std::nullopt);
            }
        },
        [&] {
            held.add(rowBytes);
            rowBytes = 0;
            snap.rows.push_back(std::move(row));
            row = {};
        });
    snap.damage = d->statementDamage;
    return snap;
}

void CompactSnapshot::appendCell(const char* utf8, std::size_t size)
{
    if (!utf8) {
        cells_.push_back({nullptr, 0});
        return;
    }
    if (size == 0) {
        cells_.push_back({"", 0});   // empty, not Null
        return;
    }
    if (size > left_) {
        // A value longer than a block gets a block of its own.
        constexpr std::size_t kBlock = 256 * 1024;
        const std::size_t n = std::max(kBlock, size);
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(n));
        free_ = blocks_.back().get();
        left_ = n;
    }
    std::memcpy(free_, utf8, size);
    cells_.push_back({free_, size});
    free_ += size;
    left_ -= size;
}

CompactSnapshot Database::executeCompact(const QString& sql)
{
    if (!d->db)
        failClosed();
    CompactSnapshot snap;
    HeldRows held;
    qint64 rowBytes = 0;
    d->run(
        sql, [&](QStringList columns) { snap.columns = std::move(columns); },
        [&](const char* text, int len) {
            rowBytes += kCellOverhead + (text ? len : 0);
            snap.appendCell(text, std::size_t(len));
        },
        [&] {
            held.add(rowBytes);
            rowBytes = 0;
        });
    snap.damage = d->statementDamage;
    return snap;
}

DamageReport Database::stream(const QString& sql, const std::function<void(const QStringList& columns)>& header,
                              const std::function<void(const RowCells& row)>& row)
{
    if (!d->db)
        failClosed();
    RowCells cells;
    d->run(
        sql, [&](QStringList columns) { header(columns); },
        [&](const char* text, int len) {
            if (text)
                cells.emplace_back(std::string_view(text, std::size_t(len)));
            else
                cells.emplace_back(std::nullopt);
        },
        [&] {
            row(cells);
            cells.clear();
        });
    return d->statementDamage;
}

void Database::close()
{
    d->closeConnection();
    d->loaded.clear();
    d->damaged.clear();
    d->source = nullptr;   // releases the file
}

// ---- Workspace ---------------------------------------------------------------

Workspace::Workspace() = default;
Workspace::~Workspace() = default;

namespace {

// ";pwd=secret" and the like: the value of the first PWD key (any case) up
// to the next ';', taken as it is.
QString passwordOf(const QString& connect)
{
    const QStringList parts = connect.split(QLatin1Char(';'));
    for (const QString& part : parts) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (part.left(eq).trimmed().compare(QLatin1String("pwd"), Qt::CaseInsensitive) == 0)
            return part.mid(eq + 1);
    }
    return QString();
}

} // namespace

std::unique_ptr<Database> Workspace::openDatabase(const QString& path, bool exclusive, bool readOnly,
                                                  const QString& connect)
{
    // The program never writes the file: it is opened read-only and shared
    // whatever the caller asks for.
    Q_UNUSED(exclusive);
    Q_UNUSED(readOnly);
    if (!open_)
        failClosed();

    const jet::HeaderInfo header = jet::readHeader(path);
    if (!jet::passwordAccepts(header, passwordOf(connect)))
        throw JetError(kInvalidPassword, QStringLiteral("Not a valid password."));

    auto file = std::make_shared<jet::JetFile>(path);
    return Database::fromTableStream(
        path, [file](const QString& name, jet::TableSink& sink) { return file->streamTable(name, sink); });
}

} // namespace orvane::db
