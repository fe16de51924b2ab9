#pragma once

// The command-line query: SECT <table>, PARA <paragraph>, TEXT {<keywords>}
// and COND <mode>, in capitals, found anywhere in the argument text (also
// inside other words or inside a TEXT value), first occurrence only, with or
// without a blank after the keyword. Parsing is separate from applying: the
// main window applies a CommandLineQuery field by field, in the order
// section, paragraph, keywords, mode, whatever order the line had.
//
// Usage in the controller's activation:
//   const auto q = parseCommandLine(platform.commandLine() + ' ');
//   if (q.noArguments) return;
//   if (int e = sectionEntryForTable(q.section, sections)) { store e as "default section", select entry e ... }
//   if (!q.paragraph.isEmpty()) Text1(0) := q.paragraph;
//   if (!q.keywords.isEmpty()) { Text1(1) := q.keywords; performSearch(); }
//   if (auto m = q.mode()) select the option for *m;

#include "search/SearchStatement.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace orvane::search {

// The command-line keywords, in the order their values are applied.
enum class QueryKeyword { Sect = 0, Para = 1, Text = 2, Cond = 3 };

struct CommandLineQuery {
    bool noArguments = true; // the argument text was empty: apply nothing at all
    QString section;         // SECT value, a table name such as "INT09"; empty = none
    QString paragraph;       // PARA value for the paragraph entry; empty = none
    QString keywords;        // TEXT value for the keyword entry (quotes still in it)
    QString condition;       // COND value as written; empty = none

    // The option that COND selects: "OR" -> Or, "AND" -> And (any letter
    // case), any other non-empty value -> Phrase; nullopt without COND.
    std::optional<SearchMode> mode() const;
};

// Parses the command text: the arguments joined with single blanks, plus the
// one blank that lets a blank-ended value stand last. A text that is just one
// blank means no arguments.
CommandLineQuery parseCommandLine(const QString& commandText);

// The value of one keyword: after the first "SECT " (or, failing that, the
// first "SECT"), up to the next blank ("}" for TEXT, whose forms are "TEXT {"
// and "TEXT{"), trimmed of blanks; empty when the keyword or its delimiter is
// missing. Case-sensitive.
QString commandLineValue(const QString& commandText, QueryKeyword keyword);

// The option a COND value selects (see CommandLineQuery::mode); the value must
// not be empty.
SearchMode conditionMode(const QString& value);

// The 1-based entry of the section list whose table name equals `table`
// exactly (case-sensitive), the last one when several do; 0 when none does
// or `table` is empty. This position, not digits read from the table name,
// is what SECT stores as "default section".
int sectionEntryForTable(const QString& table, const QStringList& tableNames);

} // namespace orvane::search
