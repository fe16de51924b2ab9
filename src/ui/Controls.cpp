#include "ui/Controls.h"

#include <QChildEvent>
#include <QMenuBar>

#include "ui/Twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <QStyleOptionButton>

namespace orvane::ui {

int keyCodeOf(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;   // the same codes
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F16)
        return 112 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

int shiftStateOf(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0)
         | (m & Qt::AltModifier ? 4 : 0);
}

QString labelText(const QString& caption)
{
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i;   // "&&" gives "&"; "&x" gives "x"
        }
        out += caption[i];
    }
    return out;
}

QFont designFont(const QString& family, double pointSize, bool bold)
{
    QStringList families{family};
    const QString f = family.toLower();
    if (f == u"courier" || f == u"courier new")
        families << QStringLiteral("Courier New") << QStringLiteral("Liberation Mono")
                 << QStringLiteral("Nimbus Mono PS") << QStringLiteral("DejaVu Sans Mono");
    else
        families << QStringLiteral("Arial") << QStringLiteral("Liberation Sans")
                 << QStringLiteral("Nimbus Sans") << QStringLiteral("Helvetica")
                 << QStringLiteral("DejaVu Sans");
    QFont font(family);
    font.setFamilies(families);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    if (f.startsWith(u"courier"))
        font.setStyleHint(QFont::TypeWriter);
    return font;
}

// --- Frame ----------------------------------------------------------------

Frame::Frame(const QString& caption, bool bordered, QWidget* parent)
    : QWidget(parent), caption_(caption), bordered_(bordered),
      captionColor_(palette().color(QPalette::WindowText))
{
    // Frames are opaque: whatever lies behind one is hidden.
    setAutoFillBackground(true);
}

void growToText(QLabel* l)
{
    const QSize need = l->sizeHint();
    QRect r = l->geometry();
    if (need.width() > r.width() && !l->wordWrap()) {
        const int extra = need.width() - r.width();
        const Qt::Alignment a = l->alignment();
        if (a & Qt::AlignRight)
            r.setLeft(r.left() - extra);
        else if (a & Qt::AlignHCenter)
            r.adjust(-extra / 2, 0, extra - extra / 2, 0);
        else
            r.setRight(r.right() + extra);
    }
    const int needHeight = l->wordWrap() ? l->heightForWidth(r.width()) : need.height();
    if (needHeight > r.height())
        r.setHeight(needHeight);
    if (r != l->geometry())
        l->setGeometry(r);
}

namespace {

class ChecksOnlyWhenChecked : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        if (element == CE_MenuItem) {
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                if (item->checkType != QStyleOptionMenuItem::NotCheckable && !item->checked) {
                    QStyleOptionMenuItem plain(*item);
                    plain.checkType = QStyleOptionMenuItem::NotCheckable;
                    QProxyStyle::drawControl(element, &plain, painter, widget);
                    return;
                }
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

} // namespace

void showChecksOnlyWhenChecked(QMenu* menu)
{
    auto* style = new ChecksOnlyWhenChecked;
    style->setParent(menu);
    menu->setStyle(style);
}

namespace {

// Menus added to a menu (or to the bar) after the fonts were set get the
// same font when they are first shown.
class MenuFontKeeper : public QObject {
public:
    MenuFontKeeper(const QFont& font, QObject* parent) : QObject(parent), font_(font) {}
    bool eventFilter(QObject*, QEvent* e) override
    {
        // A child is announced again once it is polished, which a new menu
        // is just before it first shows; when it is added it is not yet
        // a menu.
        if (e->type() == QEvent::ChildPolished) {
            if (auto* sub = qobject_cast<QMenu*>(static_cast<QChildEvent*>(e)->child())) {
                if (sub->font() != font_)
                    sub->setFont(font_);
                sub->installEventFilter(this);
            }
        }
        return false;
    }

private:
    QFont font_;
};

} // namespace

void useFontInMenus(QMenuBar* bar, const QFont& font)
{
    if (!bar)
        return;
    bar->setFont(font);
    auto* keeper = new MenuFontKeeper(font, bar);
    bar->installEventFilter(keeper);
    for (QMenu* menu : bar->findChildren<QMenu*>()) {
        menu->setFont(font);
        menu->installEventFilter(keeper);
    }
}

void Frame::growLabelsToText(QWidget* container)
{
    for (QLabel* l : container->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        growToText(l);
}

bool Frame::event(QEvent* e)
{
    // A child's setText() asks its parent for a new layout.
    if (e->type() == QEvent::LayoutRequest)
        growLabelsToText(this);
    return QWidget::event(e);
}

void Frame::setCaption(const QString& caption)
{
    caption_ = caption;
    update();
}

void Frame::setCaptionColor(const QColor& color)
{
    captionColor_ = color;
    update();
}

void Frame::paintEvent(QPaintEvent*)
{
    if (!bordered_)
        return;
    QPainter p(this);
    const QFontMetrics fm(font());
    const int lineY = fm.height() / 2;
    const QRect r = rect().adjusted(0, lineY, -1, -1);
    // An etched border: a shadow line with a highlight line inside it.
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(r.adjusted(1, 1, 0, 0));
    if (caption_.isEmpty())
        return;
    const QString text = labelText(caption_);
    const int x = 6;
    const QRect textRect(x, 0, fm.horizontalAdvance(text) + 4, fm.height());
    p.fillRect(textRect, palette().color(QPalette::Window));
    p.setPen(captionColor_);
    p.drawText(textRect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
}

// --- Shape ----------------------------------------------------------------

Shape::Shape(const QColor& border, QWidget* parent) : QWidget(parent), border_(border)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(border_);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// --- PictureButton --------------------------------------------------------

PictureButton::PictureButton(const QPixmap& picture, QWidget* parent)
    : QAbstractButton(parent), picture_(picture)
{
    setFocusPolicy(Qt::StrongFocus);
}

void PictureButton::keyPressEvent(QKeyEvent* e)
{
    // Like any command button, a focused picture button takes Enter itself.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        click();
        e->accept();
        return;
    }
    QAbstractButton::keyPressEvent(e);
}

QSize PictureButton::sizeHint() const
{
    return picture_.size() + QSize(4, 4);
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QStyleOptionButton opt;
    opt.initFrom(this);
    opt.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    p.fillRect(rect(), palette().color(QPalette::Button));
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &opt, &p, this);
    const QPoint shift = isDown() ? QPoint(1, 1) : QPoint(0, 0);
    const QPoint at((width() - picture_.width()) / 2, (height() - picture_.height()) / 2);
    p.setClipRect(rect().adjusted(1, 1, -1, -1));
    p.drawPixmap(at + shift, picture_);
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

// --- TextBox --------------------------------------------------------------

void TextBox::keyPressEvent(QKeyEvent* e)
{
    if (onKeyDown)
        onKeyDown(keyCodeOf(e->key()), shiftStateOf(e->modifiers()));
    const QString text = e->text();
    if (onKeyPress && text.size() == 1 && text[0].unicode() != 127
        && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        int keyAscii = text[0].unicode();
        onKeyPress(keyAscii);
        if (keyAscii == 0) {
            e->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void TextBox::keyReleaseEvent(QKeyEvent* e)
{
    QLineEdit::keyReleaseEvent(e);
    if (onKeyUp && !e->isAutoRepeat())
        onKeyUp(keyCodeOf(e->key()), shiftStateOf(e->modifiers()));
}

void TextBox::focusInEvent(QFocusEvent* e)
{
    QLineEdit::focusInEvent(e);
    if (onGotFocus)
        onGotFocus();
}

void TextBox::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    // A pop-up (menu) taking the keyboard for a moment is not leaving the entry.
    if (onLostFocus && e->reason() != Qt::PopupFocusReason)
        onLostFocus();
}

// --- ListView -------------------------------------------------------------

ListView::ListView(const QString& columnHeader, QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderLabels({columnHeader});
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        if (onItemClick)
            onItemClick(item);
    });
}

void ListView::keyPressEvent(QKeyEvent* e)
{
    QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(e);
    QTreeWidgetItem* after = currentItem();
    if (after && after != before && onItemClick)
        onItemClick(after);
}

void ListView::keyReleaseEvent(QKeyEvent* e)
{
    QTreeWidget::keyReleaseEvent(e);
    if (onKeyUp && !e->isAutoRepeat())
        onKeyUp(keyCodeOf(e->key()), shiftStateOf(e->modifiers()));
}

void ListView::mouseReleaseEvent(QMouseEvent* e)
{
    QTreeWidget::mouseReleaseEvent(e);
    if (onMouseUp) {
        int button = 0;
        if (e->button() == Qt::LeftButton) button = 1;
        else if (e->button() == Qt::RightButton) button = 2;
        else if (e->button() == Qt::MiddleButton) button = 4;
        const QPoint pos = viewport()->mapTo(this, e->position().toPoint());
        onMouseUp(button, shiftStateOf(e->modifiers()), toTwips(pos.x()), toTwips(pos.y()));
    }
}

void ListView::focusInEvent(QFocusEvent* e)
{
    QTreeWidget::focusInEvent(e);
    if (onGotFocus)
        onGotFocus();
}

void ListView::focusOutEvent(QFocusEvent* e)
{
    QTreeWidget::focusOutEvent(e);
    if (onLostFocus && e->reason() != Qt::PopupFocusReason)
        onLostFocus();
}

} // namespace orvane::ui
