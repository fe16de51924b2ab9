#include "search/CommandLine.h"

namespace orvane::search {

namespace {

struct KeywordForms {
    QLatin1String withBlank;
    QLatin1String withoutBlank;
    QLatin1Char delimiter;
};

KeywordForms formsOf(QueryKeyword keyword)
{
    switch (keyword) {
    case QueryKeyword::Sect: return {QLatin1String("SECT "), QLatin1String("SECT"), QLatin1Char(' ')};
    case QueryKeyword::Para: return {QLatin1String("PARA "), QLatin1String("PARA"), QLatin1Char(' ')};
    case QueryKeyword::Text: return {QLatin1String("TEXT {"), QLatin1String("TEXT{"), QLatin1Char('}')};
    case QueryKeyword::Cond: return {QLatin1String("COND "), QLatin1String("COND"), QLatin1Char(' ')};
    }
    return {QLatin1String(""), QLatin1String(""), QLatin1Char(' ')};
}

// Blanks only: a tab inside a value is the user's.
QString trimBlanks(const QString& text)
{
    qsizetype first = 0, last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

} // namespace

std::optional<SearchMode> CommandLineQuery::mode() const
{
    if (condition.isEmpty())
        return std::nullopt;
    return conditionMode(condition);
}

QString commandLineValue(const QString& commandText, QueryKeyword keyword)
{
    const KeywordForms forms = formsOf(keyword);
    qsizetype start = -1;
    if (const qsizetype at = commandText.indexOf(forms.withBlank); at >= 0)
        start = at + forms.withBlank.size();
    else if (const qsizetype at2 = commandText.indexOf(forms.withoutBlank); at2 >= 0)
        start = at2 + forms.withoutBlank.size();
    if (start < 0)
        return {};
    const qsizetype end = commandText.indexOf(forms.delimiter, start);
    if (end < 0)
        return {};
    return trimBlanks(commandText.mid(start, end - start));
}

SearchMode conditionMode(const QString& value)
{
    const QString upper = value.toUpper();
    if (upper == QLatin1String("OR"))
        return SearchMode::Or;
    if (upper == QLatin1String("AND"))
        return SearchMode::And;
    return SearchMode::Phrase;
}

CommandLineQuery parseCommandLine(const QString& commandText)
{
    CommandLineQuery q;
    q.noArguments = commandText == QLatin1String(" ");
    if (q.noArguments)
        return q;
    q.section = commandLineValue(commandText, QueryKeyword::Sect);
    q.paragraph = commandLineValue(commandText, QueryKeyword::Para);
    q.keywords = commandLineValue(commandText, QueryKeyword::Text);
    q.condition = commandLineValue(commandText, QueryKeyword::Cond);
    return q;
}

int sectionEntryForTable(const QString& table, const QStringList& tableNames)
{
    if (table.isEmpty())
        return 0;
    int entry = 0;
    for (int i = 0; i < tableNames.size(); ++i) {
        if (tableNames.at(i) == table)
            entry = i + 1;
    }
    return entry;
}

} // namespace orvane::search
