#include "ui/Controls.h"

#include <QChildEvent>
#include <QMenuBar>

#include "ui/Twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPaintEvent>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <QStyleOptionButton>

namespace orvane::ui {

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

void Frame::paintEvent(QPaintEvent* e)
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
    // Most repaints are of a child's surroundings (a scroll bar over the
    // frame's background), well below the caption: the caption is measured
    // and drawn only when its band is to be painted.
    if (caption_.isEmpty() || !e->region().intersects(QRect(0, 0, width(), fm.height())))
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
    emit keyDown(e->key(), e->modifiers());
    const QString text = e->text();
    if (filter_ && text.size() == 1 && text[0].unicode() != 127
        && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && !filter_(text[0])) {
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void TextBox::keyReleaseEvent(QKeyEvent* e)
{
    QLineEdit::keyReleaseEvent(e);
    if (!e->isAutoRepeat())
        emit keyUp(e->key(), e->modifiers());
}

void TextBox::focusInEvent(QFocusEvent* e)
{
    QLineEdit::focusInEvent(e);
    emit gotFocus();
}

void TextBox::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason)
        emit lostFocus();
}

// --- ListView -------------------------------------------------------------

ListView::ListView(QWidget* parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit rowPicked(index.row());
    });
}

int ListView::rowCount() const
{
    return model() ? model()->rowCount() : 0;
}

QString ListView::rowText(int row) const
{
    return rowIndex(row).data(Qt::DisplayRole).toString();
}

QModelIndex ListView::rowIndex(int row) const
{
    return model() && row >= 0 ? model()->index(row, 0) : QModelIndex();
}

int ListView::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

int ListView::selectedRow() const
{
    const QModelIndexList selected = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ListView::setCurrentRow(int row)
{
    if (!selectionModel())
        return;
    const QModelIndex index = rowIndex(row);
    if (!index.isValid()) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

QRect ListView::rowRect(int row) const
{
    return visualRect(rowIndex(row));
}

void ListView::keyPressEvent(QKeyEvent* e)
{
    const QPersistentModelIndex before = currentIndex();
    QTreeView::keyPressEvent(e);
    const QModelIndex after = currentIndex();
    if (after.isValid() && after != before)
        emit rowPicked(after.row());
}

void ListView::keyReleaseEvent(QKeyEvent* e)
{
    QTreeView::keyReleaseEvent(e);
    if (!e->isAutoRepeat())
        emit keyUp(e->key(), e->modifiers());
}

void ListView::mouseReleaseEvent(QMouseEvent* e)
{
    QTreeView::mouseReleaseEvent(e);
    emit mouseUp(e->button());
}

void ListView::focusInEvent(QFocusEvent* e)
{
    QTreeView::focusInEvent(e);
    emit gotFocus();
}

void ListView::focusOutEvent(QFocusEvent* e)
{
    QTreeView::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason)
        emit lostFocus();
}

} // namespace orvane::ui
