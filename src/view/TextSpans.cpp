#include "view/TextSpans.h"

#include "search/SearchStatement.h"

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

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
    // One edit block over the filling and all the colouring: the document is
    // laid out once, at its end, instead of after every step.
    QTextCursor block(&doc);
    block.beginEditBlock();
    doc.setPlainText(shown);
    QTextCharFormat plain;
    plain.setForeground(kBodyColour);
    plain.setFontWeight(QFont::Normal);
    QTextCursor all(&doc);
    all.select(QTextCursor::Document);
    all.mergeCharFormat(plain);
    colourSpans(doc, headingSpans(shown), kHeadingColour);
    colourSpans(doc, keywordSpans(shown, keywords, phrase), kSearchColour);
    block.endEditBlock();
}

} // namespace orvane::view
