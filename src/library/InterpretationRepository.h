#pragma once

// The interpretation repository: the only place that knows the tables of an
// interpretations database and the statements the program sends to them.
// Everything above it asks questions (which sections, which rows, what does
// this search find, what does this interpretation say) and gets answers in
// plain Qt types.
//
// Failures are db::JetError exceptions carrying the engine's number; each
// caller decides whether to skip the step or give up.

#include "db/Engine.h"
#include "db/JetError.h"
#include "search/SearchStatement.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace orvane::library {

// One row of AuthorizedTablesTab: the name the user sees and its table.
struct Section {
    QString userName;
    QString tableName;
};

// What reading the section list gave. `opened` is false when the list could
// not be read at all (`failure` says why when the engine did); `complete` is
// false when a row has no usable name (the rows before it are in `sections`).
struct SectionListing {
    bool opened = false;
    bool complete = false;
    QList<Section> sections;
    std::optional<db::JetError> failure;
};

struct Interpretation {
    QString text;     // inter_text as stored (CR LF line ends)
    QString volume;   // vol; empty when the column is missing or Null
};

// The inputs of one search: the two entries as typed, the option, and the
// section's table.
struct SearchRequest {
    QString paragraph;
    QString keywords;
    search::SearchMode mode = search::SearchMode::And;
    QString table;
};

class InterpretationRepository {
public:
    // The password every database of the program is opened with.
    static constexpr const char* kConnect = ";pwd=tolvaren";

    // How a database file is opened. Tests replace it to simulate slow,
    // missing or wrongly protected files; by default it asks the workspace.
    using Opener = std::function<std::unique_ptr<db::Database>(
        db::Workspace& workspace, const QString& path, const QString& connect)>;

    InterpretationRepository();
    ~InterpretationRepository();

    void setOpener(Opener opener) { opener_ = std::move(opener); }

    // Opens `path` with the program's password, replacing the database in use
    // (which is closed first, also when the open fails). Throws db::JetError.
    void open(const QString& path);
    // Closes the database; the workspace stays. Never throws.
    void close();
    // Closes the database and the workspace: the end of the run.
    void shutdown();
    bool isOpen() const;
    bool hasWorkspace() const { return workspace_ != nullptr; }
    // The file in use, empty without one.
    QString path() const;
    // Creates the engine's workspace when there is none yet.
    void ensureWorkspace();

    // The sections AuthorizedTablesTab lists, in its order. Never throws.
    SectionListing sections();
    // A section's identifiers in its table's order of INTER_STR.
    QStringList sectionRows(const QString& table);
    // The paragraphs of a section's paragraph index, distinct, ascending.
    QStringList paragraphs(const QString& table);

    // The length of every line of every interpretation of a section (line
    // ends not counted), by identifier: what a page estimate needs, read with
    // one statement rather than one per interpretation.
    QHash<QString, QList<int>> lineLengths(const QString& table);

    // The statement a search sends, exactly as the search entries make it.
    static QString searchStatement(const SearchRequest& request);
    // The identifiers a search finds, in the database's order of identifiers.
    QStringList search(const SearchRequest& request);

    // One interpretation: from the section's own table, or, when that does
    // not hold it, from the table its paragraph index names in its section
    // column. Nothing when neither has it, the identifier cannot be quoted,
    // or there is no database. Throws db::JetError only for a damaged file.
    std::optional<Interpretation> lookUp(const QString& table, const QString& id);

    // `texts` in the database's text order, each text once (texts the order
    // holds equal count as one): how several sections' lists become one.
    static QStringList distinctSorted(QStringList texts);
    // Identifiers in the order the database sorts them, as a search lists them.
    static QStringList sortedIdentifiers(QStringList ids);

    // Rows of the database's tables that the file holds damaged and that
    // statements since the last call left out (the rest was read): error
    // 3049 naming the first damaged table and counting the rows of all.
    // Nothing when no new damage was met. Never throws.
    std::optional<db::JetError> newDamage();

    // The paragraph index of a section table: "INT" -> "INX", same suffix.
    static QString indexTableOf(const QString& table);
    // Whether a table name from the database can go into a statement: plain
    // letters, digits and underscores. Anything else (a "]" that would close
    // the brackets, a blank or comma that would add a table) is treated as a
    // table that does not exist.
    static bool isPlainTableName(const QString& table);

private:
    db::Database& database();
    db::CompactSnapshot run(const QString& sql);
    // One column (named in any case) of every row of `sql`.
    QStringList runColumn(const QString& sql, const QString& name);
    void noteDamage(const db::DamageReport& damage);
    std::optional<Interpretation> lookUpIn(const QString& table, const QString& id);

    db::DamageReport damage_;  // every damaged table met, once each
    bool damageChanged_ = false;
    std::unique_ptr<db::Workspace> workspace_;
    std::unique_ptr<db::Database> database_;
    Opener opener_;
};

} // namespace orvane::library
