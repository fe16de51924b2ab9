#pragma once

// Translation of one Jet SQL SELECT statement into the SQLite dialect.
//
// The statement is tokenized (words, [bracketed names], "double" and 'single'
// quoted texts with doubled quotes inside, numbers, operators) and rebuilt
// token by token, one blank between tokens, so nothing inside a literal is
// ever rewritten and no comment or second statement can be smuggled in:
//   - every name that is not a keyword becomes a "quoted" SQLite identifier;
//   - text literals become 'single quoted' SQLite literals, or "?" with the
//     values beside (see bindTexts below);
//   - the names that FROM / JOIN lists refer to are reported as tables (and
//     renamed through the resolver, which loads them and may throw 3078);
//   - a literal LIKE pattern is checked here, so an invalid one fails before
//     any row is read; LIKE itself is left to the registered like() function
//     (a run of them to jet_like_all / jet_like_any, see translateJetSql);
//   - & becomes ||, ! between names becomes a dot.
// Anything but exactly one SELECT (an optional trailing ";" allowed), a date
// literal, a parameter, or an unknown function throws JetError 3075.

#include <QString>
#include <QStringList>
#include <functional>

namespace orvane::db {

struct JetSqlTranslation {
    QString sql;          // the SQLite statement
    QStringList tables;   // table names as the statement wrote them, in order, without repeats
    QStringList texts;    // with texts bound: the values of the statement's "?", in order
};

// Maps a table name as written to the name to emit; may throw JetError.
using JetTableResolver = std::function<QString(const QString& written)>;

// With joinLikeRuns, a run of LIKE tests of one column joined by AND (or by
// OR) becomes one call of jet_like_all (jet_like_any) with every pattern:
// the same rows for any number of tests. Without it each test stays a like()
// call of its own, the plain form the joined one is checked against.
//
// With bindTexts, text literals outside select lists become "?" with their
// values in `texts`, so that statements differing only in them (lookups of
// different identifiers, searches for other words) read the same and can
// share one prepared statement. Select lists keep theirs written in: there
// a literal also names its column.
JetSqlTranslation translateJetSql(const QString& jetSql, const JetTableResolver& resolve = {},
                                  bool joinLikeRuns = true, bool bindTexts = false);

// The functions a translated statement may call, for the connection's
// authorizer (lower case).
const QStringList& jetSqlAllowedFunctions();

} // namespace orvane::db
