#include "search/SearchStatement.h"

namespace orvane::search {

namespace {

const QLatin1String kLikeStart(" [INTER_TEXT] LIKE \"*");
const QLatin1String kLikeEnd("*\"");

} // namespace

QStringList splitKeywords(const QString& keywords)
{
    QStringList words;
    QString rest = keywords;
    for (qsizetype blank = rest.indexOf(QLatin1Char(' ')); blank >= 0;
         blank = rest.indexOf(QLatin1Char(' '))) {
        words.append(rest.left(blank));
        rest = rest.mid(blank + 1);
    }
    if (!rest.isEmpty())
        words.append(rest);
    return words;
}

QString tableSuffix(const QString& currentTable)
{
    return currentTable.mid(3, 2);
}

QString searchIndexTable(const QString& currentTable)
{
    return QLatin1String("INX") + tableSuffix(currentTable);
}

QString paragraphClause(const QString& paragraph, const QString& currentTable)
{
    if (paragraph.isEmpty())
        return {};
    return QLatin1String("FROM INX") + tableSuffix(currentTable)
           + QLatin1String(" WHERE [Reference] = \"") + paragraph + QLatin1String("\"");
}

QString textClause(const QString& keywords, SearchMode mode, const QString& currentTable)
{
    if (keywords.isEmpty())
        return {};

    const QString from = QLatin1String("FROM ") + currentTable;
    if (mode == SearchMode::Phrase)
        return from + QLatin1String(" WHERE [INTER_TEXT] LIKE \"*") + keywords + kLikeEnd;

    // Every word but the last is followed by its joiner; the last word is
    // followed by none. A trailing blank leaves the joiner dangling, and it is
    // cut off again, so that blank adds no condition.
    const bool isAnd = mode == SearchMode::And;
    const QLatin1String joiner = isAnd ? QLatin1String(" AND ") : QLatin1String(" OR ");
    QString clause = from + (isAnd ? QLatin1String(" WHERE ") : QLatin1String(" WHERE ("));

    QString rest = keywords;
    for (qsizetype blank = rest.indexOf(QLatin1Char(' ')); blank >= 0;
         blank = rest.indexOf(QLatin1Char(' '))) {
        clause += kLikeStart + rest.left(blank) + kLikeEnd + joiner;
        rest = rest.mid(blank + 1);
    }
    if (!rest.isEmpty())
        clause += kLikeStart + rest + kLikeEnd;
    if (clause.endsWith(joiner))
        clause.chop(joiner.size());
    if (!isAnd)
        clause += QLatin1Char(')');
    return clause;
}

QString buildSearchSql(const QString& paragraph, const QString& keywords, SearchMode mode,
                       const QString& currentTable)
{
    const QLatin1String select("SELECT DISTINCT [INTER_STR] ");
    const QString byParagraph = paragraphClause(paragraph, currentTable);
    const QString byText = textClause(keywords, mode, currentTable);

    if (!byParagraph.isEmpty() && !byText.isEmpty())
        return select + byParagraph + QLatin1String(" AND [INTER_STR] IN (SELECT [INTER_STR] ")
               + byText + QLatin1Char(')');
    if (!byParagraph.isEmpty())
        return select + byParagraph;
    if (!byText.isEmpty())
        return select + byText;
    return select + QLatin1String("FROM INX") + tableSuffix(currentTable);
}

} // namespace orvane::search
