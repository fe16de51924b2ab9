#include "view/ParagraphLayout.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvane::view {

namespace {

// The rest of a text is laid out once the window has been idle this long,
// and at most this long at a time, so that stepping through results never
// waits for the texts it passes.
constexpr int kIdleMs = 20;
constexpr int kSliceMs = 8;

constexpr qreal kNoWrapWidth = 1e9;

} // namespace

ParagraphLayout::ParagraphLayout(QTextDocument* doc) : QAbstractTextDocumentLayout(doc)
{
    restart();
}

void ParagraphLayout::setEagerHeight(qreal height)
{
    eagerHeight_ = height;
}

bool ParagraphLayout::isComplete() const
{
    return !document()->pageSize().isNull() && !next_.isValid();
}

ParagraphLayout::Margins ParagraphLayout::pageMargins() const
{
    const QTextFrameFormat f = document()->rootFrame()->frameFormat();
    const qreal edge = f.border() + f.padding();
    return {f.leftMargin() + edge, f.topMargin() + edge, f.rightMargin() + edge, f.bottomMargin() + edge};
}

qreal ParagraphLayout::pageWidth() const
{
    return document()->pageSize().width();
}

void ParagraphLayout::restart()
{
    margins_ = pageMargins();
    placed_.clear();
    next_ = document()->begin();
    bottom_ = margins_.top;
    contentsWidth_ = 0;
}

void ParagraphLayout::layOutNext(bool keepGlyphs) const
{
    const QTextBlock block = next_;
    const QTextBlockFormat format = block.blockFormat();
    const Margins& page = margins_;
    const bool wraps = pageWidth() >= 0 && !format.nonBreakableLines();
    const Qt::LayoutDirection direction = block.textDirection();

    QTextOption option = document()->defaultTextOption();
    option.setTextDirection(direction);
    option.setTabs(format.tabPositions());
    Qt::Alignment align =
        format.hasProperty(QTextFormat::BlockAlignment) ? format.alignment() : option.alignment();
    if (direction == Qt::RightToLeft && !(align & Qt::AlignAbsolute)
        && (align & (Qt::AlignLeft | Qt::AlignRight)))
        align ^= Qt::AlignLeft | Qt::AlignRight;
    option.setAlignment(align);
    if (!wraps)
        option.setWrapMode(QTextOption::ManualWrap);

    // Line positions are relative to the paragraph, which sits at the page's
    // left margin; the paragraph's own margins and indent move its lines.
    const qreal indent = format.indent() * document()->indentWidth();
    const bool ltr = direction != Qt::RightToLeft;
    const qreal left = format.leftMargin() + (ltr ? indent : 0);
    const qreal right = (wraps ? pageWidth() - page.left - page.right : kNoWrapWidth) - format.rightMargin()
                        - (ltr ? 0 : indent);

    QTextLayout* layout = block.layout();
    // A paragraph laid out to be shown keeps its shaped text for the paint
    // that follows, which would otherwise shape it again.
    layout->setCacheEnabled(keepGlyphs);
    layout->setTextOption(option);
    layout->beginLayout();
    qreal y = 0;
    qreal height = 0;
    for (bool first = true;; first = false) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        line.setLeadingIncluded(true);
        const qreal textIndent = first ? format.textIndent() : 0;
        line.setLineWidth(qMax<qreal>(0, right - left - textIndent));
        line.setPosition(QPointF(left + (ltr ? textIndent : 0), y));
        // Lines follow one another by their ascent, descent and leading,
        // rounded up; a negative leading brings them closer than their
        // heights would, but the paragraph ends below its last line's height.
        height = std::max(y + line.height(), height);
        y += std::ceil(line.ascent() + line.descent() + line.leading());
        contentsWidth_ = std::max(contentsWidth_, line.x() + line.naturalTextWidth() + format.rightMargin());
    }
    layout->endLayout();

    layout->setPosition(QPointF(page.left, bottom_));
    height = std::max(y, height);
    placed_.push_back({bottom_, height});
    bottom_ += height;
    next_ = block.next();
}

void ParagraphLayout::layOutTo(qreal y, int block, Announce announce) const
{
    if (document()->pageSize().isNull())
        return;
    while (next_.isValid() && (bottom_ < y || int(placed_.size()) <= block))
        layOutNext(true);
    // Laid out past the height the view was told (the estimate fell short):
    // the view hears of the real height before it scrolls to what was asked
    // for, or, from inside a paint, as soon as the paint is done.
    if (bottom_ <= announced_.height() - margins_.bottom)
        return;
    auto* self = const_cast<ParagraphLayout*>(this);
    if (announce == Announce::Now)
        self->announceSize();
    else if (!sizeTimer_.isActive())
        sizeTimer_.start(0, self);
}

int ParagraphLayout::placedAt(qreal y) const
{
    const auto above = std::upper_bound(placed_.begin(), placed_.end(), y,
                                        [](qreal at, const Placed& p) { return at < p.top; });
    return int(std::max<std::ptrdiff_t>(0, above - placed_.begin() - 1));
}

QSizeF ParagraphLayout::estimatedSize() const
{
    const Margins& page = margins_;
    qreal height = bottom_;
    if (next_.isValid()) {
        // The paragraphs not yet laid out, at the default font's average
        // width, wrapped a little short of the full line, as words wrap.
        const QFontMetricsF metrics(document()->defaultFont());
        const qreal lineHeight = std::ceil(metrics.lineSpacing());
        const qreal width = pageWidth() >= 0 ? pageWidth() - page.left - page.right : kNoWrapWidth;
        const qreal perLine =
            std::max<qreal>(1, 0.92 * width / std::max<qreal>(1, metrics.averageCharWidth()));
        qreal lines = 0;
        for (QTextBlock b = next_; b.isValid(); b = b.next())
            lines += std::max<qreal>(1, std::ceil((b.length() - 1) / perLine));
        height += lines * lineHeight;
    }
    return {std::max(pageWidth(), contentsWidth_ + page.left + page.right), height + page.bottom};
}

void ParagraphLayout::announceSize()
{
    sizeTimer_.stop();
    const QSizeF size = estimatedSize();
    if (size != announced_) {
        announced_ = size;
        emit documentSizeChanged(size);
    }
}

void ParagraphLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    Q_UNUSED(charsRemoved);
    // No paragraph keeps lines laid out for text or a width it no longer has
    // (a new width is a change of the whole document).
    QTextBlock end = document()->findBlock(qMax(0, from + charsAdded - 1));
    if (end.isValid())
        end = end.next();
    for (QTextBlock b = document()->findBlock(from); b.isValid() && b != end; b = b.next())
        b.clearLayout();
    restart();
    if (document()->pageSize().isNull()) {
        idle_.stop();
        return;
    }
    layOutTo(eagerHeight_);
    announceSize();
    if (next_.isValid())
        idle_.start(kIdleMs, this);
    else
        idle_.stop();
    emit update();
}

void ParagraphLayout::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == idle_.timerId()) {
        QElapsedTimer slice;
        slice.start();
        while (next_.isValid() && slice.elapsed() < kSliceMs)
            for (int i = 0; i < 16 && next_.isValid(); ++i)
                layOutNext(false);
        if (next_.isValid())
            idle_.start(0, this);
        else
            idle_.stop();
        announceSize();
    } else if (event->timerId() == sizeTimer_.timerId()) {
        announceSize();
    } else {
        QAbstractTextDocumentLayout::timerEvent(event);
    }
}

void ParagraphLayout::draw(QPainter* painter, const PaintContext& context)
{
    const QRectF clip = context.clip;
    layOutTo(clip.isValid() ? clip.bottom() : std::numeric_limits<qreal>::infinity(), -1, Announce::Later);
    if (placed_.empty())
        return;
    bool ok = false;
    int cursorWidth = property("cursorWidth").toInt(&ok);
    if (!ok)
        cursorWidth = 1;

    int i = clip.isValid() ? placedAt(clip.top()) : 0;
    for (QTextBlock b = document()->findBlockByNumber(i); b.isValid() && i < int(placed_.size());
         b = b.next(), ++i) {
        if (clip.isValid() && placed_[std::size_t(i)].top > clip.bottom())
            break;
        QTextLayout* layout = b.layout();
        const int position = b.position();
        const int length = b.length();
        QList<QTextLayout::FormatRange> selections;
        for (const Selection& s : context.selections) {
            const int start = s.cursor.selectionStart() - position;
            const int end = s.cursor.selectionEnd() - position;
            if (start < length && end > 0 && end > start) {
                // Reaching past the paragraph's end, it marks the paragraph
                // break selected too.
                selections.append({start, end - start, s.format});
            } else if (!s.cursor.hasSelection() && s.format.hasProperty(QTextFormat::FullWidthSelection)
                       && b.contains(s.cursor.position())) {
                const QTextLine line = layout->lineForTextPosition(s.cursor.position() - position);
                const int lineEnd = line.textStart() + line.textLength();
                selections.append(
                    {line.textStart(), line.textLength() + (lineEnd == length - 1 ? 1 : 0), s.format});
            }
        }
        painter->setPen(context.palette.color(QPalette::Text));
        layout->draw(painter, QPointF(), selections, clip);
        if (context.cursorPosition >= position && context.cursorPosition < position + length)
            layout->drawCursor(painter, QPointF(), context.cursorPosition - position, cursorWidth);
    }
}

int ParagraphLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const
{
    const bool exact = accuracy == Qt::ExactHit;
    layOutTo(point.y());
    if (placed_.empty())
        return exact ? -1 : 0;
    // The paragraph reaching down to the point; one that ends exactly there
    // still has it, as in Qt's layout.
    const auto reaching = std::lower_bound(placed_.begin(), placed_.end() - 1, point.y(),
                                           [](const Placed& p, qreal y) { return p.top + p.height < y; });
    const QTextBlock block = document()->findBlockByNumber(int(reaching - placed_.begin()));
    const int lastPosition = document()->characterCount() - 1;
    const QTextLayout* layout = block.layout();
    const QPointF at = point - layout->position();
    if (at.y() < 0)
        return exact ? -1 : block.position();
    if (at.y() > reaching->height)
        return exact ? -1 : std::min(block.position() + block.length(), lastPosition);
    int offset = 0;
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        const QRectF r = line.naturalTextRect();
        if (r.bottom() <= at.y()) {
            offset = line.textStart() + line.textLength();
            continue;
        }
        if (exact && (at.x() < r.left() || at.x() > r.right()))
            return -1;
        offset =
            line.xToCursor(at.x(), exact ? QTextLine::CursorOnCharacter : QTextLine::CursorBetweenCharacters);
        return std::min(block.position() + offset, lastPosition);
    }
    return exact ? -1 : std::min(block.position() + offset, lastPosition);
}

int ParagraphLayout::pageCount() const
{
    return 1;
}

QSizeF ParagraphLayout::documentSize() const
{
    return announced_;
}

QRectF ParagraphLayout::frameBoundingRect(QTextFrame* frame) const
{
    return frame == document()->rootFrame() ? QRectF(QPointF(), announced_) : QRectF();
}

QRectF ParagraphLayout::blockBoundingRect(const QTextBlock& block) const
{
    if (document()->pageSize().isNull() || !block.isValid())
        return {};
    layOutTo(-1, block.blockNumber());
    const QTextLayout* layout = block.layout();
    QRectF r = layout->boundingRect();
    r.moveTopLeft(layout->position());
    return r;
}

} // namespace orvane::view
