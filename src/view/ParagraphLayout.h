#pragma once

// The view's document layout. Qt's own lays a new text out down to about
// 2,000 pixels before the first paint, and a 2 KB interpretation whole, when
// the view shows some 300 pixels of it. This one lays out only what is asked
// of it (what is drawn, hit or measured), the height the view shows as soon
// as the text or the width changes, and the rest once the window has been
// idle for a moment. Until then the document's height is an estimate.
//
// It serves plain paragraphs: the lines go where Qt's layout puts them (same
// margins, wrapping and line heights), coloured by their character formats
// and by the formats each paragraph's QTextLayout carries. Frames, tables,
// lists, images, floats, space above and below paragraphs and line-height
// settings are not laid out.

#include <QAbstractTextDocumentLayout>
#include <QBasicTimer>
#include <QTextBlock>

#include <vector>

namespace orvane::view {

class ParagraphLayout : public QAbstractTextDocumentLayout {
public:
    explicit ParagraphLayout(QTextDocument* doc);

    // How far down to lay out at once when the text or the width changes:
    // the view's height, so that a text that fits has its exact height and
    // the first paint lays out nothing more.
    void setEagerHeight(qreal height);
    // Whether every paragraph is laid out (the height is then exact).
    bool isComplete() const;

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override;
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;
    void timerEvent(QTimerEvent* event) override;

private:
    struct Placed {
        qreal top = 0;
        qreal height = 0;
    };
    struct Margins {
        qreal left = 0, top = 0, right = 0, bottom = 0;
    };

    Margins pageMargins() const;
    qreal pageWidth() const;
    void restart();
    enum class Announce { Now, Later };
    // Lays out paragraphs in order until `y` is passed, or the one numbered
    // `block` is done, or the end.
    void layOutTo(qreal y, int block = -1, Announce announce = Announce::Now) const;
    void layOutNext(bool keepGlyphs) const;
    // The number of the laid-out paragraph at `y` (the nearest one above or
    // below when `y` is outside them).
    int placedAt(qreal y) const;
    QSizeF estimatedSize() const;
    void announceSize();

    Margins margins_;
    mutable std::vector<Placed> placed_; // by block number, from the first
    mutable QTextBlock next_;            // the first paragraph not laid out
    mutable qreal bottom_ = 0;           // below the last laid-out paragraph
    mutable qreal contentsWidth_ = 0;
    qreal eagerHeight_ = 0;
    QSizeF announced_;
    QBasicTimer idle_;
    mutable QBasicTimer sizeTimer_; // to announce a height laid out past
};

} // namespace orvane::view
