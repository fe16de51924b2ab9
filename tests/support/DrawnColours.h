#pragma once

// What the view draws, colour by colour. A character is drawn in its own
// colour (its character format) unless its paragraph's layout draws it in
// another: the window colours the searched words that way.

#include <QColor>
#include <QList>
#include <QStringList>

class QTextDocument;

namespace orvane::testing {

// One colour per document position; a paragraph mark, which draws nothing,
// has none (an invalid QColor).
QList<QColor> drawnColours(const QTextDocument& doc);

// The maximal runs drawn in `colour`, in document order; a run ends at a
// line break.
QStringList drawnRuns(const QTextDocument& doc, const QColor& colour);

} // namespace orvane::testing
