#pragma once

// Which characters of an interpretation to colour: the four headings in navy,
// the searched words in red. Plain functions over one string, and the
// document built from it with each run already in its colour.
//
// Positions. An interpretation is stored with CR LF line ends. QTextEdit turns
// each line end into one paragraph break, which counts as one position, so
// every position below is an index into documentText(stored), the string with
// each line end reduced to "\n". A document holding exactly that string
// (doc->toPlainText() == shown) takes the spans as they are:
//
//   const QString shown = documentText(stored);
//   formatDocumentText(doc, shown, Text1[1]->text(), phrase);   // or:
//   doc.setPlainText(shown);
//   colourSpans(doc, keywordSpans(shown, Text1[1]->text(), phrase), kSearchColour);
//
// Because a line end is "\n" and never a blank, a phrase never matches across
// a line break.

#include <QColor>
#include <QList>
#include <QString>

class QTextDocument;

namespace orvane::view {

struct TextSpan {
    int start = 0;   // 0-based index into the document text
    int length = 0;
    friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

inline const QColor kBodyColour(0, 0, 0);
inline const QColor kHeadingColour(0, 0, 128);   // navy
inline const QColor kSearchColour(255, 0, 0);    // red

// The headings, in the order they are coloured.
inline constexpr const char* kHeadings[] = {"Interpretation:", "Subject:", "Date Issued:", "File:"};

// The stored text as the view's document holds it: "\r\n", a lone "\r" and
// U+2029 each become "\n"; nothing else changes.
QString documentText(const QString& stored);

// The navy spans: for each heading, its first exact (case-sensitive)
// occurrence, without the colon. A text without "Interpretation:" is navy as
// a whole (one span over all of it, listed first); a later heading that is
// missing adds nothing. Empty text: no spans.
QList<TextSpan> headingSpans(const QString& text);

// The red spans, in the order they are coloured (keyword by keyword, left to
// right within each): word mode (And / Or, phrase = false) splits the keyword
// entry at every single blank and colours each non-empty piece; phrase mode
// colours the whole entry, blanks included. A piece matches anywhere, inside
// longer words too, ignoring letter case; after a match the search goes on
// right after it, so "aa" in "aaa" is one span. Empty entry or text: none.
QList<TextSpan> keywordSpans(const QString& text, const QString& keywords, bool phrase);

// The spans of one search string, as above.
QList<TextSpan> occurrences(const QString& text, const QString& searchString);

// Where the caret rests once an interpretation is shown: at the start when
// any search word was coloured over a non-empty text, else at the start of
// the last heading found (0 when there is none).
int restingCaret(const QString& text, const QString& keywords, bool phrase);

// Colours the given characters of `doc` (a document filled with
// documentText(...)); spans outside the document are clipped.
void colourSpans(QTextDocument& doc, const QList<TextSpan>& spans, const QColor& colour);

// Sets the document to documentText(stored) in black and colours headings
// and search words as a loaded interpretation shows them.
void formatInterpretation(QTextDocument& doc, const QString& stored, const QString& keywords,
                          bool phrase);
// The same for text already converted by documentText().
void formatDocumentText(QTextDocument& doc, const QString& text, const QString& keywords, bool phrase);
// As formatDocumentText(), for the screen: the headings are in the text's
// own colours, the search words are drawn red over it by the layout of each
// paragraph (QTextLayout::formats()), which costs a fraction of splitting
// the text into runs. A copy taken from such a document carries the navy
// headings but not the red: a search highlight is not part of the text.
// Printouts colour both (formatInterpretation).
void showDocumentText(QTextDocument& doc, const QString& text, const QString& keywords, bool phrase);

} // namespace orvane::view
