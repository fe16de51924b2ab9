#pragma once

// The one SELECT that a search sends to the database: built by plain
// concatenation from the two search entries, the And / Or / Phrase choice and
// the table of the section in use. Nothing is trimmed, escaped or case-folded:
// the entries go into the statement exactly as typed, so `*` and the engine's
// other LIKE pattern characters that a user types act as pattern characters.
//
// Example, currentTable "INT09", keywords "minimum preheat", And:
//   SELECT DISTINCT [INTER_STR] FROM INT09 WHERE  [INTER_TEXT] LIKE "*minimum*" AND  [INTER_TEXT] LIKE "*preheat*"
// (two blanks after WHERE and AND are part of the statement's wording).

#include <QString>
#include <QStringList>

namespace orvane::search {

enum class SearchMode { And, Or, Phrase };

// The keyword entry cut at every single blank, left to right, as the search
// and the highlighting both see it: a leading blank or two blanks in a row
// give an empty word; a trailing blank adds none. Phrase mode does not split.
// "a  b " -> {"a", "", "b"};  " a" -> {"", "a"};  "" -> {}.
QStringList splitKeywords(const QString& keywords);

// The section's two-character suffix: characters 4 and 5 of currentTable
// ("INT09" -> "09"); shorter names give what is there.
QString tableSuffix(const QString& currentTable);

// The paragraph index that a search reads: "INX" + tableSuffix(currentTable).
QString searchIndexTable(const QString& currentTable);

// `FROM INX<suffix> WHERE [Reference] = "<paragraph>"`, or empty when the
// paragraph entry is empty.
QString paragraphClause(const QString& paragraph, const QString& currentTable);

// The FROM ... WHERE ... tail that selects by keywords in the given mode, or
// empty when the keyword entry is empty.
QString textClause(const QString& keywords, SearchMode mode, const QString& currentTable);

// The complete statement. Both entries empty lists every identifier of the
// section's paragraph index; only a paragraph, or only keywords, use that
// clause alone; both nest the keyword clause in an IN (...) sub-select.
QString buildSearchSql(const QString& paragraph, const QString& keywords, SearchMode mode,
                       const QString& currentTable);

} // namespace orvane::search
