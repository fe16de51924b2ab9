#include "ui/Layout.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QStyle>

namespace orvane::ui {

namespace {

// A size below zero is not a valid property value: keep the old one.
void setSize(int& property, int value)
{
    if (value >= 0)
        property = value;
}

} // namespace

MainLayout layoutMainWindow(MainLayout l, int W, int H)
{
    if (W > kLayoutMinWidth) {
        l.frame2.left = W - (l.frame2.width + 180);
        l.frame3.left = W - (l.frame3.width + 180);
        l.command1_0.left = W - (l.command1_0.width + 180);
        l.command1_1.left = W - (l.command1_1.width + 180);
        setSize(l.frame0.width, W - (l.frame2.width + 360));
        setSize(l.frame4.width, W - (l.frame2.width + 360));
        setSize(l.richTextBox1.width, l.frame4.width - 270);
        setSize(l.shape1.width, l.frame4.width - 270);
        l.frame5.left = l.frame0.width - (l.frame5.width + 60);
        setSize(l.text1_1.width, l.frame0.width - (l.frame5.width + 300));
        l.frame6.left = l.frame4.width - (l.frame6.width + 60);
        l.frame7.left = l.frame4.width - (l.frame7.width + 180);
        l.command2_2.left = l.text1_1.left + l.text1_1.width - l.command2_2.width - 30;
        setSize(l.listView1_1.width, l.text1_1.width - l.command2_2.width - 30);
        l.listView1_0.left = l.frame2.left + 180;
    }
    if (H > kLayoutMinHeight) {
        const int T = l.toolbarHeight;
        l.command1_0.top = H - (l.command1_0.height + 530) - T;
        l.command1_1.top = l.command1_0.top - (l.command1_1.height + 60);
        setSize(l.frame3.height, l.command1_1.top - l.frame3.top - 90);
        setSize(l.frame4.height, l.command1_1.top - l.frame4.top - 90);
        l.frame1.top = l.frame4.height - (l.frame1.height + 120);
        l.frame7.top = l.frame4.height - (l.frame7.height + 120);
        setSize(l.listView1_2.height, l.frame3.height - 390);
        setSize(l.richTextBox1.height, (l.frame4.height - 390) - (l.frame1.height + 120));
        setSize(l.shape1.height, (l.frame4.height - 390) - (l.frame1.height + 120));
    }
    return l;
}

StatusPlacement layoutStatusLine(int frameWidth, const StatusDesign& d, const StatusWidths& widths,
                                 const StatusWidths& minimum)
{
    StatusWidths w = widths;
    const auto place = [&] {
        StatusPlacement out;
        int growth = 0;
        for (std::size_t i = 1; i < 7; ++i) {
            out.items[i] = {d.items[i].left + growth, w[i]};
            growth += w[i] - d.items[i].width;
        }
        const int groupWidth = d.groupWidth + growth;
        const int groupLeft = frameWidth - d.groupRightMargin - groupWidth;
        out.group = {groupLeft, groupWidth};
        for (std::size_t i = 1; i < 7; ++i)
            out.items[i].left += groupLeft;
        out.items[0] = {d.items[0].left, w[0]};
        return out;
    };
    const auto room = [&] {
        return place().items[1].left - kStatusGap - d.items[0].left;
    };

    if (w[0] > room())
        w[0] = qMax(minimum[0], room());
    // Values give way in this order once the identifier is at its minimum.
    for (std::size_t i : {std::size_t(2), std::size_t(4), std::size_t(6)}) {
        const int missing = w[0] - room();
        if (missing <= 0)
            break;
        w[i] = qMax(qMin(minimum[i], widths[i]), w[i] - missing);
    }
    return place();
}

namespace {

// The value labels (identifier, volume, position, count) may be narrower than
// their text; the captions never are.
bool mayElide(std::size_t item)
{
    return item % 2 == 0;
}

const char* const kOwnToolTip = "orvaneOwnToolTip";

bool isElided(const QLabel* l)
{
    return l->sizeHint().width() > l->width();
}

QString composedToolTip(const QLabel* l)
{
    const QString own = l->property(kOwnToolTip).toString();
    if (!isElided(l))
        return own;
    return own.isEmpty() ? l->text() : l->text() + QLatin1Char('\n') + own;
}

class StatusLine : public QObject {
public:
    StatusLine(QWidget* frame, QWidget* group, const std::array<QLabel*, 7>& labels)
        : QObject(frame), frame_(frame), group_(group)
    {
        for (std::size_t i = 0; i < 7; ++i)
            labels_[i] = labels[i];
        for (std::size_t i = 0; i < 7; ++i)
            design_.items[i] = {labels[i]->x(), labels[i]->width()};
        design_.groupWidth = group->width();
        design_.groupRightMargin = frame->width() - group->geometry().right() - 1;
        frame->installEventFilter(this);
        group->installEventFilter(this);
        for (QLabel* l : labels)
            l->installEventFilter(this);
        relayout();
    }

    bool eventFilter(QObject* watched, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::LayoutRequest:
            // A label's new text: this layout, not the frame's growing rule,
            // decides the sizes here.
            if (watched == frame_ || watched == group_) {
                relayout();
                return true;
            }
            break;
        case QEvent::Resize:
        case QEvent::Move:
            relayout();
            break;
        case QEvent::Paint:
            if (auto* l = qobject_cast<QLabel*>(watched); l && elided(l))
                return paintElided(l);
            break;
        default:
            break;
        }
        return false;
    }

private:
    static int textWidth(const QPointer<QLabel>& l) { return textWidth(l.data()); }
    // What the label asks for to show its whole text.
    static int textWidth(const QLabel* l) { return l->sizeHint().width(); }

    static bool elided(const QLabel* l) { return isElided(l); }

    bool paintElided(QLabel* l) const
    {
        QPainter p(l);
        const QRect r = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
        p.setFont(l->font());
        p.setPen(l->palette().color(l->isEnabled() ? QPalette::Active : QPalette::Disabled,
                                    QPalette::WindowText));
        p.drawText(r, int(l->alignment()),
                   l->fontMetrics().elidedText(l->text(), Qt::ElideRight, r.width()));
        return true;
    }

    void relayout()
    {
        if (busy_ || !frame_ || !group_)
            return;
        for (const QPointer<QLabel>& l : labels_)
            if (!l)
                return;
        busy_ = true;
        StatusWidths natural{}, minimum{};
        const int ellipsis = labels_[0]->fontMetrics().horizontalAdvance(QStringLiteral("M\u2026"));
        for (std::size_t i = 0; i < 7; ++i) {
            // Labels keep at least their design width, so short values do
            // not make the line jump about from one row to the next.
            natural[i] = qMax(textWidth(labels_[i]), design_.items[i].width);
            minimum[i] = mayElide(i) ? qMin(natural[i], ellipsis) : natural[i];
        }
        const StatusPlacement at = layoutStatusLine(frame_->width(), design_, natural, minimum);

        const int groupLeft = at.group.left;
        group_->setGeometry(groupLeft, group_->y(), at.group.width, group_->height());
        labels_[0]->setGeometry(at.items[0].left, labels_[0]->y(), at.items[0].width,
                                labels_[0]->height());
        for (std::size_t i = 1; i < 7; ++i)
            labels_[i]->setGeometry(at.items[i].left - groupLeft, labels_[i]->y(),
                                    at.items[i].width, labels_[i]->height());
        // No repaint asked for here: a label repaints itself when its text
        // or its size changes, and only those decide whether it is elided.
        for (std::size_t i = 0; i < 7; ++i) {
            if (!mayElide(i))
                continue;
            QLabel* l = labels_[i];
            const QString tip = composedToolTip(l);
            if (l->toolTip() != tip)
                l->setToolTip(tip);
        }
        busy_ = false;
    }

    QPointer<QWidget> frame_;
    QPointer<QWidget> group_;
    std::array<QPointer<QLabel>, 7> labels_;
    StatusDesign design_;
    bool busy_ = false;
};

} // namespace

void setOwnToolTip(QLabel* label, const QString& tip)
{
    label->setProperty(kOwnToolTip, tip);
    label->setToolTip(composedToolTip(label));
}

void keepStatusLineLaidOut(QWidget* frame, QWidget* group, const std::array<QLabel*, 7>& labels)
{
    if (!frame || !group)
        return;
    for (QLabel* l : labels)
        if (!l)
            return;
    new StatusLine(frame, group, labels);
}

} // namespace orvane::ui
