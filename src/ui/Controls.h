#pragma once

// The few control kinds of the windows that Qt has no exact counterpart for:
// a frame that draws its caption in its own colour without passing that
// colour on to its children, a rectangle shape, a picture-only button, and a
// text box and list view that report the key, mouse and focus events their
// window's handlers are written against.

#include <QAbstractButton>
#include <QColor>
#include <QLineEdit>
#include <QPixmap>
#include <QTreeView>

class QLabel;
class QMenu;
class QMenuBar;
#include <QWidget>

namespace orvane::ui {

// Texts of labels use "&&" for a literal "&" and "&x" for an access key.
QString labelText(const QString& caption);

// Makes a label at least as large as its text needs, keeping the edge its
// alignment is anchored to: a left-aligned label grows to the right, a
// right-aligned one to the left, a centred one to both sides; all grow
// downwards. Never shrinks. (Design sizes assume narrower screen fonts
// than most systems have; clipped captions help nobody.)
void growToText(QLabel* label);

// Draws a checkable menu entry's indicator only while it is checked, as the
// section list shows the section in use with a tick and the others plain.
void showChecksOnlyWhenChecked(QMenu* menu);

// Gives the menu bar and every menu under it (present and, through the
// bar, later ones) the window's font: menus open as windows of their own
// and would otherwise take the desktop's menu font.
void useFontInMenus(QMenuBar* bar, const QFont& font);

// Fonts named by their design family, with metric-compatible stand-ins for
// systems that do not have the family itself.
QFont designFont(const QString& family, double pointSize, bool bold = false);

class Frame : public QWidget {
    Q_OBJECT
public:
    Frame(const QString& caption, bool bordered, QWidget* parent = nullptr);

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    bool bordered() const { return bordered_; }
    QColor captionColor() const { return captionColor_; }
    void setCaptionColor(const QColor& color);

    // Labels in the frame are never smaller than their text: whenever a
    // label's text changes, growToText() runs on it.
    static void growLabelsToText(QWidget* container);

protected:
    void paintEvent(QPaintEvent*) override;
    bool event(QEvent* e) override;

private:
    QString caption_;
    bool bordered_;
    QColor captionColor_;
};

// An outlined rectangle that never takes the mouse.
class Shape : public QWidget {
    Q_OBJECT
public:
    explicit Shape(const QColor& border, QWidget* parent = nullptr);
    QColor borderColor() const { return border_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor border_;
};

// A push button showing only a picture, centred and clipped to the button.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PictureButton(const QPixmap& picture, QWidget* parent = nullptr);
    QPixmap picture() const { return picture_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QPixmap picture_;
};

// A one-line entry that reports its key and focus events as signals. A
// character filter, when set, throws away typed characters it rejects.
class TextBox : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
    using CharacterFilter = bool (*)(QChar);
    void setCharacterFilter(CharacterFilter filter) { filter_ = filter; }

signals:
    // Before the entry handles the key.
    void keyDown(int qtKey, Qt::KeyboardModifiers modifiers);
    // After the entry handled the release; auto-repeat releases are not reported.
    void keyUp(int qtKey, Qt::KeyboardModifiers modifiers);
    void gotFocus();
    // Not for a pop-up (menu) taking the keyboard for a moment.
    void lostFocus();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    CharacterFilter filter_ = nullptr;
};

// A one-column report-style list over a list model, rows of one height.
// Rows are numbered from 0 here, as the model numbers them. `rowPicked` is
// reported for a mouse click on a row and for a keyboard move to another
// row, not for selection changes made by the program.
class ListView : public QTreeView {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);

    int rowCount() const;
    QString rowText(int row) const;
    QModelIndex rowIndex(int row) const;
    // The current row, or -1.
    int currentRow() const;
    // The first selected row, or -1.
    int selectedRow() const;
    // Makes `row` the current and only selected row and scrolls to it; -1
    // clears the selection.
    void setCurrentRow(int row);
    QRect rowRect(int row) const;

signals:
    void rowPicked(int row);
    void keyUp(int qtKey, Qt::KeyboardModifiers modifiers);
    void mouseUp(Qt::MouseButton button);
    void gotFocus();
    void lostFocus();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
};

} // namespace orvane::ui
