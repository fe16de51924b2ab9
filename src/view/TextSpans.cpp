#include "view/TextSpans.h"

#include "search/SearchStatement.h"

#include <QStringMatcher>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <optional>
#include <vector>

namespace orvane::view {

QString documentText(const QString& stored)
{
    const auto isLineEnd = [](QChar c) { return c == u'\r' || c == QChar::ParagraphSeparator; };
    const auto first = std::find_if(stored.begin(), stored.end(), isLineEnd);
    if (first == stored.end())
        return stored;
    QString text;
    text.reserve(stored.size());
    text.append(QStringView(stored.begin(), first));
    for (auto it = first; it != stored.end(); ++it) {
        if (*it == u'\r') {
            text.append(u'\n');
            if (it + 1 != stored.end() && it[1] == u'\n')
                ++it;
        } else if (*it == QChar::ParagraphSeparator) {
            text.append(u'\n');
        } else {
            text.append(*it);
        }
    }
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

namespace {

// QString's case-insensitive search compares UTF-16 units by their simple
// case folding. Folding the text once and each search string once gives the
// same matches with a plain search, instead of folding all of the text again
// for every word. A surrogate pair folds as a pair, not unit by unit: text
// holding one is searched case-insensitively as it is.
std::optional<QString> foldedUnits(QStringView text)
{
    QString folded(text.size(), Qt::Uninitialized);
    QChar* out = folded.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {   // most of any interpretation
            out[i] = QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
            continue;
        }
        const char32_t f = QChar::toCaseFolded(char32_t(c));
        if (QChar::isSurrogate(c) || f > 0xFFFF)
            return std::nullopt;
        out[i] = QChar(char16_t(f));
    }
    return folded;
}

void appendOccurrences(QList<TextSpan>& spans, QStringView text, QStringView searchString,
                       Qt::CaseSensitivity cs)
{
    const qsizetype length = searchString.size();
    if (length == 0)
        return;
    if (cs == Qt::CaseInsensitive) {
        const QStringMatcher matcher(searchString, cs);
        for (qsizetype at = matcher.indexIn(text, 0); at >= 0; at = matcher.indexIn(text, at + length))
            spans.append({int(at), int(length)});
        return;
    }
    // The vectorised search for one character finds the candidates, a
    // comparison of the rest confirms them: about four times as fast as a
    // string search over a long text, where search words are short.
    const QChar first = searchString.front();
    const QStringView rest = searchString.sliced(1);
    for (qsizetype at = text.indexOf(first); at >= 0 && at <= text.size() - length; at = text.indexOf(first, at + 1)) {
        if (text.sliced(at + 1, length - 1) == rest) {
            spans.append({int(at), int(length)});
            at += length - 1;   // the search goes on after the match
        }
    }
}

// The spans of each search string in turn, letter case ignored.
QList<TextSpan> spansOf(const QString& text, const QStringList& searchStrings)
{
    QList<TextSpan> spans;
    const std::optional<QString> folded = foldedUnits(text);
    for (const QString& s : searchStrings) {
        const std::optional<QString> foldedString = folded ? foldedUnits(s) : std::nullopt;
        if (foldedString)
            appendOccurrences(spans, *folded, *foldedString, Qt::CaseSensitive);
        else
            appendOccurrences(spans, text, s, Qt::CaseInsensitive);
    }
    return spans;
}

} // namespace

QList<TextSpan> occurrences(const QString& text, const QString& searchString)
{
    if (searchString.isEmpty())
        return {};
    return spansOf(text, {searchString});
}

QList<TextSpan> keywordSpans(const QString& text, const QString& keywords, bool phrase)
{
    if (keywords.isEmpty() || text.isEmpty())
        return {};
    return spansOf(text, phrase ? QStringList{keywords} : search::splitKeywords(keywords));
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
    formatDocumentText(doc, documentText(stored), keywords, phrase);
}

namespace {

enum : unsigned char { Body, Heading, Search };

// Sets `doc` to `shown` in one edit, run by run, each run in the colour
// `colour` gives its characters: no format is merged into text that is in
// the document.
void insertRuns(QTextDocument& doc, const QString& shown, const std::vector<unsigned char>& colour)
{
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

void paint(std::vector<unsigned char>& colour, const QList<TextSpan>& spans, unsigned char c)
{
    const qsizetype size = qsizetype(colour.size());
    for (const TextSpan& span : spans) {
        const qsizetype from = qBound(qsizetype(0), qsizetype(span.start), size);
        const qsizetype to = qBound(from, qsizetype(span.start) + span.length, size);
        std::fill(colour.begin() + from, colour.begin() + to, c);
    }
}

} // namespace

void formatDocumentText(QTextDocument& doc, const QString& shown, const QString& keywords, bool phrase)
{
    // Each character's colour, the spans applied in their order so that a
    // later one wins (a searched word inside a heading is red).
    std::vector<unsigned char> colour(std::size_t(shown.size()), Body);
    paint(colour, headingSpans(shown), Heading);
    paint(colour, keywordSpans(shown, keywords, phrase), Search);
    insertRuns(doc, shown, colour);
}

void showDocumentText(QTextDocument& doc, const QString& shown, const QString& keywords, bool phrase)
{
    std::vector<unsigned char> colour(std::size_t(shown.size()), Body);
    paint(colour, headingSpans(shown), Heading);
    insertRuns(doc, shown, colour);

    // The searched words are drawn over the text: each paragraph's layout
    // carries its own red ranges, which override the navy of a heading.
    QList<TextSpan> spans = keywordSpans(shown, keywords, phrase);
    if (spans.isEmpty())
        return;
    std::sort(spans.begin(), spans.end(), [](const TextSpan& a, const TextSpan& b) { return a.start < b.start; });
    QTextCharFormat red;
    red.setForeground(kSearchColour);
    // A span lies within one paragraph (a line end is never part of a
    // search word); one that reached past its paragraph would be cut at the
    // paragraph's end. Positions are counted along, as asking a block its
    // position costs a search of the document's tree.
    QList<QTextLayout::FormatRange> ranges;
    QTextBlock block = doc.begin();
    int position = 0;
    auto flush = [&] {
        if (!ranges.isEmpty())
            block.layout()->setFormats(ranges);
        ranges.clear();
    };
    for (const TextSpan& span : spans) {
        while (block.isValid() && position + block.length() <= span.start) {
            flush();
            position += block.length();
            block = block.next();
        }
        if (!block.isValid())
            break;
        const int from = std::max(span.start, position);
        const int to = std::min(span.start + span.length, position + block.length() - 1);
        if (to > from)
            ranges.append({from - position, to - from, red});
    }
    flush();
}

} // namespace orvane::view
