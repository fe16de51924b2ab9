#include "db/JetSql.h"

#include "db/JetError.h"
#include "db/JetLike.h"
#include "db/JetLikeList.h"

#include <QHash>
#include <QSet>
#include <map>
#include <vector>

namespace orvane::db {

namespace {

[[noreturn]] void syntaxError(const QString& detail = QString())
{
    QString message = QStringLiteral("Syntax error in query expression.");
    if (!detail.isEmpty())
        message += QLatin1Char(' ') + detail;
    throw JetError(kSyntaxError, message);
}

enum class Tok { Word, Name, Text, Number, Symbol, Semicolon };

struct Token {
    Tok kind;
    QString text;   // Word: as written; Name: without brackets; Text: the value
    QString upper;  // Word only
};

bool isWordStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }
bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

std::vector<Token> tokenize(const QString& s)
{
    std::vector<Token> out;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('[')) {
            const qsizetype close = s.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                syntaxError(QStringLiteral("Unclosed bracket."));
            const QString name = s.mid(i + 1, close - i - 1);
            if (name.isEmpty())
                syntaxError(QStringLiteral("Empty name."));
            out.push_back({Tok::Name, name, {}});
            i = close + 1;
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            QString value;
            qsizetype j = i + 1;
            bool closed = false;
            while (j < n) {
                if (s[j] == c) {
                    if (j + 1 < n && s[j + 1] == c) {   // doubled quote stands for itself
                        value += c;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                value += s[j++];
            }
            if (!closed)
                syntaxError(QStringLiteral("Unterminated text."));
            out.push_back({Tok::Text, value, {}});
            i = j;
            continue;
        }
        if (isDigit(c) || (c == QLatin1Char('.') && i + 1 < n && isDigit(s[i + 1]))) {
            qsizetype j = i;
            while (j < n && isDigit(s[j]))
                ++j;
            if (j < n && s[j] == QLatin1Char('.')) {
                ++j;
                while (j < n && isDigit(s[j]))
                    ++j;
            }
            if (j < n && (s[j] == QLatin1Char('e') || s[j] == QLatin1Char('E'))) {
                qsizetype k = j + 1;
                if (k < n && (s[k] == QLatin1Char('+') || s[k] == QLatin1Char('-')))
                    ++k;
                if (k < n && isDigit(s[k])) {
                    j = k;
                    while (j < n && isDigit(s[j]))
                        ++j;
                }
            }
            if (j < n && isWordChar(s[j]))
                syntaxError();
            out.push_back({Tok::Number, s.mid(i, j - i), {}});
            i = j;
            continue;
        }
        if (isWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && isWordChar(s[j]))
                ++j;
            const QString word = s.mid(i, j - i);
            out.push_back({Tok::Word, word, word.toUpper()});
            i = j;
            continue;
        }
        if (c == QLatin1Char(';')) {
            out.push_back({Tok::Semicolon, QStringLiteral(";"), {}});
            ++i;
            continue;
        }
        // Operators. Two-character ones first.
        if (i + 1 < n) {
            const QString two = s.mid(i, 2);
            if (two == QLatin1String("<>") || two == QLatin1String("<=") || two == QLatin1String(">=")) {
                out.push_back({Tok::Symbol, two, {}});
                i += 2;
                continue;
            }
        }
        static const QString singles = QStringLiteral("=<>(),.*+-/&!");
        if (singles.contains(c)) {
            out.push_back({Tok::Symbol, QString(c), {}});
            ++i;
            continue;
        }
        // # (date literal), ? : @ $ (parameters), | ` and the rest.
        syntaxError();
    }
    return out;
}

const QSet<QString>& keywords()
{
    static const QSet<QString> set = {
        QStringLiteral("SELECT"), QStringLiteral("DISTINCT"), QStringLiteral("DISTINCTROW"),
        QStringLiteral("ALL"),    QStringLiteral("FROM"),     QStringLiteral("WHERE"),
        QStringLiteral("AND"),    QStringLiteral("OR"),       QStringLiteral("NOT"),
        QStringLiteral("IN"),     QStringLiteral("LIKE"),     QStringLiteral("IS"),
        QStringLiteral("NULL"),   QStringLiteral("BETWEEN"),  QStringLiteral("ORDER"),
        QStringLiteral("BY"),     QStringLiteral("ASC"),      QStringLiteral("DESC"),
        QStringLiteral("GROUP"),  QStringLiteral("HAVING"),   QStringLiteral("AS"),
        QStringLiteral("INNER"),  QStringLiteral("LEFT"),     QStringLiteral("RIGHT"),
        QStringLiteral("OUTER"),  QStringLiteral("JOIN"),     QStringLiteral("ON"),
        QStringLiteral("UNION"),  QStringLiteral("EXISTS"),   QStringLiteral("TRUE"),
        QStringLiteral("FALSE"),  QStringLiteral("MOD"),
    };
    return set;
}

// Jet function name -> SQLite function name.
const QHash<QString, QString>& functions()
{
    static const QHash<QString, QString> map = {
        {QStringLiteral("COUNT"), QStringLiteral("count")}, {QStringLiteral("MIN"), QStringLiteral("min")},
        {QStringLiteral("MAX"), QStringLiteral("max")},     {QStringLiteral("SUM"), QStringLiteral("sum")},
        {QStringLiteral("AVG"), QStringLiteral("avg")},     {QStringLiteral("UCASE"), QStringLiteral("upper")},
        {QStringLiteral("LCASE"), QStringLiteral("lower")}, {QStringLiteral("LEN"), QStringLiteral("length")},
    };
    return map;
}

QString quoteIdentifier(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString quoteText(const QString& value)
{
    QString q = value;
    q.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

bool isName(const Token& t)
{
    return t.kind == Tok::Name || (t.kind == Tok::Word && !keywords().contains(t.upper));
}

bool isKeyword(const Token& t, const char* kw)
{
    return t.kind == Tok::Word && t.upper == QLatin1String(kw);
}

bool isSymbol(const Token& t, const char* sym)
{
    return t.kind == Tok::Symbol && t.text == QLatin1String(sym);
}

// "name LIKE "text"" at i, as a whole operand: what follows the text is
// not an operator that would take the text as its own operand.
bool isLikeTest(const std::vector<Token>& toks, std::size_t i)
{
    return i + 2 < toks.size() && isName(toks[i]) && isKeyword(toks[i + 1], "LIKE")
        && toks[i + 2].kind == Tok::Text;
}

// Several LIKE tests of one column joined by the same operator, which the
// engine answers with one call of a function that gets all the patterns.
// A long keyword search would otherwise be a left-deep tree of thousands of
// operators, beyond the engine's expression depth, and read every text once
// per word.
struct LikeRun {
    std::size_t end = 0;    // one past its last token
    bool all = true;        // joined by AND; by OR otherwise
    QString column;         // as written
    QStringList patterns;
};

// Only where grouping the run cannot change what binds to what: AND binds
// tighter than OR, so an AND run may sit between ORs or ANDs, an OR run only
// between parentheses, clause keywords and other ORs. NOT binds tighter than
// AND, so a test after NOT stays where it is; BETWEEN ... AND is left alone.
std::map<std::size_t, LikeRun> findLikeRuns(const std::vector<Token>& toks)
{
    std::map<std::size_t, LikeRun> runs;
    for (const Token& t : toks)
        if (isKeyword(t, "BETWEEN"))
            return runs;
    auto isClauseEnd = [&](std::size_t i) {
        if (i >= toks.size())
            return true;
        const Token& t = toks[i];
        return isSymbol(t, ")") || isKeyword(t, "ORDER") || isKeyword(t, "GROUP") || isKeyword(t, "HAVING")
            || isKeyword(t, "UNION");
    };
    auto isClauseStart = [&](const Token& t) {
        return isSymbol(t, "(") || isKeyword(t, "WHERE") || isKeyword(t, "HAVING") || isKeyword(t, "ON");
    };
    for (std::size_t i = 1; i < toks.size(); ++i) {
        if (!isLikeTest(toks, i) || i + 3 >= toks.size())
            continue;
        const bool all = isKeyword(toks[i + 3], "AND");
        if (!all && !isKeyword(toks[i + 3], "OR"))
            continue;
        const Token& before = toks[i - 1];
        if (!isClauseStart(before) && !isKeyword(before, "OR") && !(all && isKeyword(before, "AND")))
            continue;
        const char* joiner = all ? "AND" : "OR";
        const QString column = toks[i].text.toCaseFolded();
        LikeRun run;
        run.all = all;
        run.column = toks[i].text;
        std::size_t j = i;
        for (;;) {
            run.patterns << toks[j + 2].text;
            j += 3;
            if (j < toks.size() && isKeyword(toks[j], joiner) && isLikeTest(toks, j + 1)
                && toks[j + 1].text.toCaseFolded() == column)
                ++j;
            else
                break;
        }
        const bool ends = isClauseEnd(j) || isKeyword(toks[j], "OR") || (all && isKeyword(toks[j], "AND"));
        if (run.patterns.size() < 2 || !ends)
            continue;
        run.end = j;
        runs.emplace(i, std::move(run));
        i = j - 1;
    }
    return runs;
}

// Where the rebuilder stands inside a FROM clause of one parenthesis level.
enum class From { None, ExpectTable, AfterTable, AfterAs, JoinCondition };

} // namespace

const QStringList& jetSqlAllowedFunctions()
{
    static const QStringList list = [] {
        QStringList l = functions().values();
        l << QStringLiteral("like") << QStringLiteral("jet_like_all") << QStringLiteral("jet_like_any");
        l.sort();
        return l;
    }();
    return list;
}

JetSqlTranslation translateJetSql(const QString& jetSql, const JetTableResolver& resolve, bool joinLikeRuns,
                                  bool bindTexts)
{
    std::vector<Token> toks = tokenize(jetSql);
    if (!toks.empty() && toks.back().kind == Tok::Semicolon)
        toks.pop_back();
    if (toks.empty() || !isKeyword(toks.front(), "SELECT"))
        syntaxError(QStringLiteral("Only one SELECT statement can be run."));

    JetSqlTranslation result;
    QStringList parts;
    std::vector<From> frames{From::None};   // one per open parenthesis
    // Per parenthesis too: between SELECT and its FROM. A parenthesis opened
    // there (a function's arguments) is still in the list.
    std::vector<bool> inSelectList{false};
    QSet<QString> seenTables;

    auto text = [&](const QString& value) {
        if (!bindTexts || inSelectList.back())
            return quoteText(value);
        result.texts << value;
        return QStringLiteral("?");
    };

    auto emitTable = [&](const Token& t) {
        const QString written = t.text;
        QString emitted = written;
        if (resolve)
            emitted = resolve(written);
        const QString key = written.toCaseFolded();
        if (!seenTables.contains(key)) {
            seenTables.insert(key);
            result.tables << written;
        }
        parts << quoteIdentifier(emitted);
    };

    const std::map<std::size_t, LikeRun> likeRuns = joinLikeRuns ? findLikeRuns(toks) : std::map<std::size_t, LikeRun>();

    for (std::size_t k = 0; k < toks.size(); ++k) {
        if (const auto run = likeRuns.find(k); run != likeRuns.end()) {
            // Its AND / OR and LIKE keywords would leave the FROM state as
            // it is: runs start after WHERE, ON, HAVING, "(" or a joiner.
            for (const QString& p : run->second.patterns)
                JetLikePattern check(p);   // throws 3075 when invalid
            parts << QStringLiteral("%1(%2, %3)")
                         .arg(run->second.all ? QLatin1String("jet_like_all") : QLatin1String("jet_like_any"),
                              text(JetLikeList::pack(run->second.patterns)),
                              quoteIdentifier(run->second.column));
            k = run->second.end - 1;
            continue;
        }
        const Token& t = toks[k];
        const Token* next = k + 1 < toks.size() ? &toks[k + 1] : nullptr;
        From& state = frames.back();

        if (t.kind == Tok::Semicolon)
            syntaxError(QStringLiteral("Characters found after end of SQL statement."));

        // Table references inside FROM lists.
        if (state == From::ExpectTable && isName(t)) {
            if (next && isSymbol(*next, "("))
                syntaxError();
            emitTable(t);
            state = From::AfterTable;
            continue;
        }
        if (state == From::AfterAs && isName(t)) {
            parts << quoteIdentifier(t.text);
            state = From::AfterTable;
            continue;
        }

        switch (t.kind) {
        case Tok::Text:
            parts << text(t.text);
            break;
        case Tok::Number:
            parts << t.text;
            break;
        case Tok::Name:
            parts << quoteIdentifier(t.text);
            break;
        case Tok::Word: {
            if (next && isSymbol(*next, "(") && !keywords().contains(t.upper)) {
                const auto fn = functions().constFind(t.upper);
                if (fn == functions().constEnd())
                    syntaxError(QStringLiteral("Undefined function in expression."));
                parts << fn.value();
                break;
            }
            if (!keywords().contains(t.upper)) {
                parts << quoteIdentifier(t.text);
                break;
            }
            const QString& kw = t.upper;
            if (kw == QLatin1String("SELECT"))
                inSelectList.back() = true;
            if (kw == QLatin1String("FROM")) {
                inSelectList.back() = false;
                state = From::ExpectTable;
            } else if (kw == QLatin1String("JOIN")) {
                if (state == From::AfterTable || state == From::JoinCondition)
                    state = From::ExpectTable;
            } else if (kw == QLatin1String("AS")) {
                if (state == From::AfterTable)
                    state = From::AfterAs;
            } else if (kw == QLatin1String("ON")) {
                if (state == From::AfterTable)
                    state = From::JoinCondition;
            } else if (kw == QLatin1String("INNER") || kw == QLatin1String("LEFT")
                       || kw == QLatin1String("RIGHT") || kw == QLatin1String("OUTER")) {
                // part of a join; the state stays
            } else if (state != From::JoinCondition) {
                state = From::None;
            } else if (kw == QLatin1String("WHERE") || kw == QLatin1String("GROUP")
                       || kw == QLatin1String("ORDER") || kw == QLatin1String("HAVING")
                       || kw == QLatin1String("UNION")) {
                state = From::None;
            }

            if (kw == QLatin1String("DISTINCTROW"))
                parts << QStringLiteral("DISTINCT");
            else if (kw == QLatin1String("TRUE"))
                parts << QStringLiteral("-1");
            else if (kw == QLatin1String("FALSE"))
                parts << QStringLiteral("0");
            else if (kw == QLatin1String("MOD"))
                parts << QStringLiteral("%");
            else
                parts << kw;

            if (kw == QLatin1String("LIKE") && next && next->kind == Tok::Text)
                JetLikePattern check(next->text);   // throws 3075 when invalid
            break;
        }
        case Tok::Symbol: {
            const QString& sym = t.text;
            if (sym == QLatin1String("(")) {
                const bool subquery = next && isKeyword(*next, "SELECT");
                // "FROM (a INNER JOIN b ON ...)": the parenthesis holds tables.
                frames.push_back(state == From::ExpectTable && !subquery ? From::ExpectTable
                                                                         : From::None);
                inSelectList.push_back(inSelectList.back());
                parts << sym;
            } else if (sym == QLatin1String(")")) {
                if (frames.size() == 1)
                    syntaxError(QStringLiteral("Unbalanced parenthesis."));
                frames.pop_back();
                inSelectList.pop_back();
                if (frames.back() == From::ExpectTable)
                    frames.back() = From::AfterTable;
                parts << sym;
            } else if (sym == QLatin1String(",")) {
                if (state == From::AfterTable)
                    state = From::ExpectTable;
                parts << sym;
            } else if (sym == QLatin1String("&")) {
                parts << QStringLiteral("||");
            } else if (sym == QLatin1String("!")) {
                parts << QStringLiteral(".");
            } else {
                parts << sym;
            }
            break;
        }
        case Tok::Semicolon:
            break;
        }
    }
    if (frames.size() != 1)
        syntaxError(QStringLiteral("Unbalanced parenthesis."));

    result.sql = parts.join(QLatin1Char(' '));
    return result;
}

} // namespace orvane::db
