#include "view/TextSpans.h"

#include "search/SearchStatement.h"

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <vector>

namespace orvane::view {

QString documentText(const QString& stored)
{
    QString text = stored;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

QList<TextSpan> headingSpans(const QString& text)
{
    QList<TextSpan> spans;
    if (text.isEmpty())
        return spans;
    bool first = true;
    for (const char* heading : kHeadings) {
        const QString h = QLatin1String(heading);
        const qsizetype at = text.indexOf(h, 0, Qt::CaseSensitive);
        if (at >= 0) {
            const qsizetype colon = text.indexOf(QLatin1Char(':'), at);
            spans.append({int(at), int(colon - at)});
        } else if (first) {
            // The colour falls on what is selected: the whole text, before
            // any heading has narrowed the selection.
            spans.append({0, int(text.size())});
        }
        first = false;
    }
    return spans;
}

QList<TextSpan> occurrences(const QString& text, const QString& searchString)
{
    QList<TextSpan> spans;
    if (searchString.isEmpty())
        return spans;
    const int length = int(searchString.size());
    for (qsizetype at = text.indexOf(searchString, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(searchString, at + length, Qt::CaseInsensitive))
        spans.append({int(at), length});
    return spans;
}

QList<TextSpan> keywordSpans(const QString& text, const QString& keywords, bool phrase)
{
    if (keywords.isEmpty() || text.isEmpty())
        return {};
    if (phrase)
        return occurrences(text, keywords);

    QList<TextSpan> spans;
    for (const QString& word : search::splitKeywords(keywords))
        spans += occurrences(text, word);
    return spans;
}

int restingCaret(const QString& text, const QString& keywords, bool phrase)
{
    // Colouring the search words leaves the caret at the start; without
    // them it rests on the last heading that was found.
    if (!text.isEmpty()) {
        const QStringList words = phrase ? QStringList{keywords} : search::splitKeywords(keywords);
        for (const QString& w : words)
            if (!w.isEmpty())
                return 0;
    }
    int caret = 0;
    for (const char* heading : kHeadings) {
        const qsizetype at = text.indexOf(QLatin1String(heading));
        if (at >= 0)
            caret = int(at);
    }
    return caret;
}

void colourSpans(QTextDocument& doc, const QList<TextSpan>& spans, const QColor& colour)
{
    // The last position is the document's closing paragraph mark.
    const int end = doc.characterCount() - 1;
    QTextCharFormat format;
    format.setForeground(colour);
    QTextCursor cursor(&doc);
    for (const TextSpan& span : spans) {
        const int from = qBound(0, span.start, end);
        const int to = qBound(from, span.start + span.length, end);
        if (from == to)
            continue;
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(format);
    }
}

void formatInterpretation(QTextDocument& doc, const QString& stored, const QString& keywords,
                          bool phrase)
{
    const QString shown = documentText(stored);
    // Each character's colour, the spans applied in their order so that a
    // later one wins (a searched word inside a heading is red). The text then
    // goes in run by run, each already in its colour: no format is merged into
    // text that is in the document.
    enum : unsigned char { Body, Heading, Search };
    std::vector<unsigned char> colour(std::size_t(shown.size()), Body);
    const auto paint = [&](const QList<TextSpan>& spans, unsigned char c) {
        for (const TextSpan& span : spans) {
            const qsizetype from = qBound(qsizetype(0), qsizetype(span.start), shown.size());
            const qsizetype to = qBound(from, qsizetype(span.start) + span.length, shown.size());
            std::fill(colour.begin() + from, colour.begin() + to, c);
        }
    };
    paint(headingSpans(shown), Heading);
    paint(keywordSpans(shown, keywords, phrase), Search);

    QTextCharFormat formats[3];
    const QColor colours[3] = {kBodyColour, kHeadingColour, kSearchColour};
    for (int i = 0; i < 3; ++i) {
        formats[i].setForeground(colours[i]);
        formats[i].setFontWeight(QFont::Normal);
    }
    // One edit block: whoever lays the document out does so once, at its end.
    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    doc.clear();
    for (qsizetype at = 0; at < shown.size();) {
        qsizetype end = at + 1;
        while (end < shown.size() && colour[std::size_t(end)] == colour[std::size_t(at)])
            ++end;
        cursor.insertText(shown.mid(at, end - at), formats[colour[std::size_t(at)]]);
        at = end;
    }
    cursor.endEditBlock();
}

} // namespace orvane::view
