#include "support/DrawnColours.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace orvane::testing {

QList<QColor> drawnColours(const QTextDocument& doc)
{
    QList<QColor> colours(doc.characterCount());
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            for (int i = f.position(); i < f.position() + f.length(); ++i)
                colours[i] = f.charFormat().foreground().color();
        }
        for (const QTextLayout::FormatRange& r : b.layout()->formats())
            if (r.format.hasProperty(QTextFormat::ForegroundBrush))
                for (int i = r.start; i < r.start + r.length && i < b.length(); ++i)
                    colours[b.position() + i] = r.format.foreground().color();
    }
    return colours;
}

QStringList drawnRuns(const QTextDocument& doc, const QColor& colour)
{
    const QList<QColor> colours = drawnColours(doc);
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QString text = b.text();
        QString run;
        for (int i = 0; i < text.size(); ++i) {
            if (colours[b.position() + i] == colour) {
                run += text.at(i);
            } else if (!run.isEmpty()) {
                out << run;
                run.clear();
            }
        }
        if (!run.isEmpty())
            out << run;
    }
    return out;
}

} // namespace orvane::testing
