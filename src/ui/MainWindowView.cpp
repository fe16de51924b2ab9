// Loading and formatting an interpretation, highlighting, the results list
// and navigation.

#include "ui/MainWindow.h"

#include "ui/Platform.h"
#include "ui/ProgramState.h"
#include "view/Navigation.h"
#include "view/TextSpans.h"

#include <QApplication>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace orvane::ui {

namespace {

// Identifiers lose their surrounding blanks, and only blanks: the notice
// "  Orvane-INT Notice" shows as "Orvane-INT Notice".
QString trimBlanks(const QString& s)
{
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && s.at(from) == u' ')
        ++from;
    while (to > from && s.at(to - 1) == u' ')
        --to;
    return s.mid(from, to - from);
}

QString lookupStatement(const QString& table, const QString& id)
{
    return QStringLiteral("SELECT * FROM [") + table + QStringLiteral("] WHERE INTER_STR = \"") + id
        + QStringLiteral("\"");
}

int rowNumber(const QTreeWidget* list, const QTreeWidgetItem* item)
{
    return item ? list->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) + 1 : 0;
}

QTreeWidgetItem* selectedRow(const QTreeWidget* list)
{
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QStringList rowTexts(const QTreeWidget* list)
{
    QStringList rows;
    rows.reserve(list->topLevelItemCount());
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rows << list->topLevelItem(i)->text(0);
    return rows;
}

// The view's own font in black, without emphasis: what every character
// starts as before the colours are put on.
QTextCharFormat plainFormat(const QTextEdit* view)
{
    QTextCharFormat format;
    format.setFont(view->font());
    format.setFontWeight(QFont::Normal);
    format.setForeground(view::kBodyColour);
    return format;
}

// Lists show on the system's window colour whether they have the focus or not.
void useWindowBackground(QWidget* list)
{
    const QColor window = QApplication::palette().color(QPalette::Base);
    if (list->palette().color(QPalette::Base) != window) {
        QPalette pal = list->palette();
        pal.setColor(QPalette::Base, window);
        list->setPalette(pal);
    }
}

} // namespace

// --- loading and formatting -------------------------------------------------

void orvaneIntMain::loadInterpretation(const QString& id)
{
    // Hidden while it is refilled and recoloured, the view never shows the
    // raw text or half of the colouring; the outlined shape under it stands
    // in meanwhile. Hiding a focused widget would push the focus on to the
    // next control (and through its focus handling), so the focus is parked
    // on the view's frame and given back afterwards.
    const bool hadFocus = RichTextBox1->hasFocus();
    if (hadFocus)
        Frame1[4]->setFocus(Qt::OtherFocusReason);
    RichTextBox1->hide();
    {
        QTextCursor caret(RichTextBox1->document());
        RichTextBox1->setTextCursor(caret);
        RichTextBox1->setCurrentCharFormat(plainFormat(RichTextBox1));
    }
    repaint();

    // One edit block over the filling and all the colouring: the document
    // is laid out once, at its end, instead of after every step.
    QTextCursor edit(RichTextBox1->document());
    edit.beginEditBlock();

    // The first row of one lookup, or nothing when there is none or the
    // engine refuses the statement.
    struct Found {
        QString text;
        QString volume;
    };
    // The identifier is quoted into the statement as it is. One that holds
    // a double quote would end the literal early: at best the engine refuses
    // the statement, at worst (IX" OR "1"="1) it matches some other row. No
    // identifier listed by the program contains one, so such an identifier
    // is not looked up at all, the same as a refused statement.
    const bool lookable = !id.contains(u'"') && state_.dbInterpretation;
    auto lookUp = [this, lookable](const QString& sql) -> std::optional<Found> {
        db::Recordset& rs = state_.rsQuery;
        std::optional<Found> found;
        if (!lookable)
            return found;
        try {
            rs.open(*state_.dbInterpretation, sql);
            if (!rs.eof()) {
                rs.moveFirst();
                found = Found{rs.field(QStringLiteral("inter_text")), QString()};
                try {
                    found->volume = rs.field(QStringLiteral("vol"));
                } catch (const db::JetError&) {
                }
            }
        } catch (const db::JetError&) {
        }
        rs.close();
        return found;
    };

    std::optional<Found> found = lookUp(lookupStatement(state_.currentTable, id));
    if (!found) {
        // Not in the section's own table: its paragraph index may list it
        // under another section, whose table then holds it.
        QString indexTable = state_.currentTable;
        if (indexTable.size() >= 3)
            indexTable[2] = u'X';
        QString section;
        if (lookable) {
            try {
                state_.rsQuery.open(*state_.dbInterpretation, lookupStatement(indexTable, id));
                if (!state_.rsQuery.eof()) {
                    state_.rsQuery.moveFirst();
                    section = state_.rsQuery.field(QStringLiteral("section"));
                }
            } catch (const db::JetError&) {
            }
            state_.rsQuery.close();
        }
        found = lookUp(lookupStatement(QStringLiteral("INT") + section, id));
    }
    if (found) {
        formatText(found->text);
        Label1[2]->setText(found->volume);
    } else {
        RichTextBox1->document()->setPlainText(QString());
        Label1[2]->clear();
    }

    Label1[0]->setText(trimBlanks(id));
    // A label asks its frame to grow it only while the window is visible;
    // the first load runs before the window is shown.
    growToText(Label1[0]);
    growToText(Label1[2]);
    markUpText();
    edit.endEditBlock();
    RichTextBox1->show();
    if (hadFocus)
        RichTextBox1->setFocus(Qt::OtherFocusReason);
    setUpNavigationButtons();
}

void orvaneIntMain::formatText(const QString& rawText)
{
    QTextDocument* doc = RichTextBox1->document();
    // The view is read-only: there is nothing to undo, and keeping the
    // history of every load would only cost time and memory.
    doc->setUndoRedoEnabled(false);

    // Line ends become the document's paragraph breaks, one position each,
    // so that positions found in the text are positions in the document.
    const QString shown = view::documentText(rawText);
    doc->setPlainText(shown);

    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.setCharFormat(plainFormat(RichTextBox1));
    const QList<view::TextSpan> headings = view::headingSpans(shown);
    view::colourSpans(*doc, headings, view::kHeadingColour);
    cursor.endEditBlock();

    // The caret rests at the start of the last heading found, or at the
    // start when there is none (the whole-text span is not a heading).
    int caret = 0;
    for (const char* heading : view::kHeadings) {
        const qsizetype at = shown.indexOf(QLatin1String(heading));
        if (at >= 0)
            caret = int(at);
    }
    cursor.setPosition(qMin(caret, doc->characterCount() - 1));
    RichTextBox1->setTextCursor(cursor);
}

// --- highlighting -----------------------------------------------------------

void orvaneIntMain::markUpText()
{
    const QString keywords = Text1[1]->text();
    if (keywords.isEmpty())
        return;
    if (RichTextBox1->document()->isEmpty())
        return;

    QTextCursor block(RichTextBox1->document());
    block.beginEditBlock();
    if (Option1[0]->isChecked() || Option1[1]->isChecked()) {
        // Words are split at every single blank: two blanks in a row give an
        // empty word, which colours nothing.
        QString rest = keywords;
        for (qsizetype blank = rest.indexOf(u' '); blank >= 0; blank = rest.indexOf(u' ')) {
            scanText(rest.left(blank));
            rest = rest.mid(blank + 1);
        }
        if (!rest.isEmpty())
            scanText(rest);
    } else {
        scanText(keywords);
    }
    block.endEditBlock();
}

void orvaneIntMain::scanText(const QString& searchString)
{
    if (searchString.isEmpty())
        return;
    QTextDocument* doc = RichTextBox1->document();
    // toPlainText has one character per document position (paragraph
    // breaks read as "\n"), so a phrase never runs across a line break.
    view::colourSpans(*doc, view::occurrences(doc->toPlainText(), searchString), view::kSearchColour);
    RichTextBox1->setTextCursor(QTextCursor(doc));
}

// --- results list and navigation ----------------------------------------------

void orvaneIntMain::setUpNavigationButtons()
{
    const ListView* list = ListView1[2];
    const auto buttons =
        view::navigationButtons(list->topLevelItemCount(), rowNumber(list, selectedRow(list)));
    if (!buttons)
        return;
    const bool on[4] = {buttons->first, buttons->previous, buttons->next, buttons->last};
    for (std::size_t i = 0; i < 4; ++i) {
        Command4[i]->setEnabled(on[i]);
        Label1[7 + i]->setEnabled(on[i]);
    }
}

void orvaneIntMain::ListView1_ItemClick(int index, QTreeWidgetItem* item)
{
    Q_UNUSED(item);   // the selected row is what counts
    if (index != 2)
        return;
    const ListView* list = ListView1[2];
    const QTreeWidgetItem* selected = selectedRow(list);
    if (!selected)
        return;
    // The row on display clicked again: nothing changes, neither the
    // colouring nor where the view is scrolled to.
    if (!view::clickReloads(selected->text(0), Label1[0]->text()))
        return;
    const view::RowPick pick = view::pickRow(rowTexts(list), rowNumber(list, selected));
    Label1[4]->setText(pick.positionLabel);
    loadInterpretation(pick.identifier);
}

void orvaneIntMain::Command4_Click(int index)
{
    ListView* list = ListView1[2];
    const int count = list->topLevelItemCount();
    const int target = view::navigationTarget(index, rowNumber(list, selectedRow(list)), count);
    if (target > 0)
        list->setCurrentItem(list->topLevelItem(target - 1));
    QTreeWidgetItem* selected = selectedRow(list);
    if (!selected)
        return;
    list->scrollToItem(selected);
    // Unlike a click, a button reloads even the row on display.
    const view::RowPick pick = view::pickRow(rowTexts(list), rowNumber(list, selected));
    Label1[4]->setText(pick.positionLabel);
    loadInterpretation(pick.identifier);
}

void orvaneIntMain::ListView1_KeyUp(int index, int keyCode, int shift)
{
    Q_UNUSED(shift);
    if (index != 0 && index != 1)
        return;
    if (keyCode != 32 && keyCode != 13)
        return;
    // Same as releasing the mouse over the list.
    ListView1_MouseUp(index, 0, 0, 0, 0);
}

void orvaneIntMain::ListView1_MouseUp(int index, int button, int shift, int x, int y)
{
    Q_UNUSED(button);
    Q_UNUSED(shift);
    Q_UNUSED(x);
    Q_UNUSED(y);
    if (index != 0 && index != 1)
        return;
    const QTreeWidgetItem* selected = selectedRow(ListView1[std::size_t(index)]);
    if (!selected)
        return;
    // Setting the text runs the entry's change handling; focusing it hides
    // the pick lists.
    TextBox* entry = Text1[std::size_t(index)];
    entry->setText(selected->text(0));
    entry->setFocus(Qt::OtherFocusReason);
}

void orvaneIntMain::ListView1_GotFocus(int index)
{
    if (index == 2) {
        ListView1[0]->hide();
        ListView1[1]->hide();
    }
    useWindowBackground(ListView1[std::size_t(index)]);
}

void orvaneIntMain::ListView1_LostFocus(int index)
{
    useWindowBackground(ListView1[std::size_t(index)]);
}

void orvaneIntMain::RichTextBox1_GotFocus()
{
    ListView1[0]->hide();
    ListView1[1]->hide();
}

} // namespace orvane::ui
