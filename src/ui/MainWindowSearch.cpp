// The search and the behaviour of the search entries, options and buttons.

#include "ui/MainWindow.h"

#include "db/JetCollation.h"
#include "search/SearchEntry.h"
#include "search/SearchStatement.h"
#include "ui/Platform.h"
#include "ui/ProgramState.h"
#include "view/Navigation.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <algorithm>
#include <exception>

namespace orvane::ui {

namespace {

// Key codes as the entry handlers receive them.
constexpr int kKeyBackspace = 8;
constexpr int kKeyTab = 9;
constexpr int kKeyEnter = 13;
constexpr int kKeyLeft = 37;
constexpr int kKeyRight = 39;
constexpr int kKeyDelete = 46;
constexpr int kDoubleQuote = 34;

// The hourglass for as long as a search runs, however it ends.
class BusyPointer {
public:
    explicit BusyPointer(Platform& platform) : platform_(platform)
    {
        platform_.setMousePointer(MousePointer::Wait);
    }
    ~BusyPointer() { platform_.setMousePointer(MousePointer::Default); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    Platform& platform_;
};

// Tab and Enter in the keyword entry both start a search on their release,
// but neither release arrives the way the rule assumes:
//  - Tab moves the focus on its press, so its release lands in the next
//    control. The press therefore runs the key-up rule itself, and a Tab
//    release that lands in the entry (its press moved the focus into it)
//    is dropped, so that tabbing into the entry does not search.
//  - Enter presses the window's default button, which searches already; the
//    release then searches only when no search ran since the press, so one
//    Enter gives one search (and one no-match message, not two). A release
//    without its press in the entry is dropped.
class KeywordEntryKeys : public QObject {
public:
    explicit KeywordEntryKeys(orvaneIntMain* window) : QObject(window), window_(window) {}

    bool eventFilter(QObject* watched, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* k = static_cast<QKeyEvent*>(e);
            const bool tab = (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab)
                             && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
            const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
            if (e->type() == QEvent::KeyPress) {
                if (tab && !k->isAutoRepeat())
                    window_->Text1_KeyUp(1, kKeyTab, shiftStateOf(k->modifiers()));
                if (enter) {
                    enterPressed_ = true;
                    runsAtEnter_ = window_->searchRuns;
                }
                return false;
            }
            if (tab)
                return true;
            if (enter && !k->isAutoRepeat()) {
                // A release whose press went elsewhere (Enter that chose a
                // menu entry or closed a dialog) is not a keystroke in the
                // entry: searching then would replace the list just shown.
                if (!enterPressed_)
                    return true;
                enterPressed_ = false;
                return window_->searchRuns != runsAtEnter_;
            }
            return false;
        }
        case QEvent::FocusOut:
            enterPressed_ = false;
            return false;
        default:
            return QObject::eventFilter(watched, e);
        }
    }

private:
    orvaneIntMain* window_;
    bool enterPressed_ = false;
    int runsAtEnter_ = 0;
};

QStringList rowTexts(const QTreeWidget* list)
{
    QStringList rows;
    const int n = list->topLevelItemCount();
    rows.reserve(n);
    for (int i = 0; i < n; ++i)
        rows << list->topLevelItem(i)->text(0);
    return rows;
}

} // namespace

void orvaneIntMain::wireSearchEntries()
{
    Text1[1]->installEventFilter(new KeywordEntryKeys(this));
}

void orvaneIntMain::performSearch()
{
    ++searchRuns;
    BusyPointer busy(platform_);

    const search::SearchMode mode = Option1[0]->isChecked()   ? search::SearchMode::And
                                    : Option1[1]->isChecked() ? search::SearchMode::Or
                                                              : search::SearchMode::Phrase;
    lastSearchSql = search::buildSearchSql(Text1[0]->text(), Text1[1]->text(), mode, state_.currentTable);

    // A statement the engine refuses (an invalid LIKE pattern, a missing
    // table, no database at all) leaves no rows: the search then ends as one
    // that found nothing.
    QStringList ids;
    try {
        if (state_.dbInterpretation) {
            state_.rsQuery.open(*state_.dbInterpretation, lastSearchSql, db::Recordset::kSnapshot);
            for (; !state_.rsQuery.eof(); state_.rsQuery.moveNext())
                ids << state_.rsQuery.field(QStringLiteral("INTER_STR"));
        }
    } catch (const std::exception&) {
        ids.clear();
    }
    try {
        state_.rsQuery.close();
    } catch (const std::exception&) {
    }

    // The engine returns the rows in no promised order; the list shows them
    // in the order the database sorts its identifiers, which puts the notice
    // (its name starts with blanks) first. The statement itself stays as
    // built, so that the text sent is the documented one.
    std::sort(ids.begin(), ids.end(),
              [](const QString& a, const QString& b) { return db::jetCompare(a, b) < 0; });

    ListView* results = ListView1[2];
    results->clear();
    RichTextBox1->setPlainText(QString());
    noticeShown = false;

    const QIcon ordinaryIcon(newImageList.image(1));
    const QIcon noticeIcon(newImageList.image(2));
    QList<QTreeWidgetItem*> items;
    items.reserve(ids.size() + 1);
    for (const QString& id : std::as_const(ids)) {
        auto* item = new QTreeWidgetItem(QStringList{id});
        if (id != view::kNoticeId) {
            item->setIcon(0, ordinaryIcon);
            items << item;
        } else {
            noticeShown = true;
            item->setIcon(0, noticeIcon);
            items << item << new QTreeWidgetItem(QStringList{view::kSeparatorText});
        }
    }
    results->addTopLevelItems(items);

    const int rowCount = results->topLevelItemCount();
    if (rowCount > 0) {
        try {
            loadInterpretation(results->topLevelItem(0)->text(0));
        } catch (const std::exception&) {
        }
    }
    if (rowCount > 0) {
        Label1[4]->setText(QStringLiteral("1"));
    } else {
        platform_.messageBox(this, QStringLiteral("Record not found"),
                             QStringLiteral("No matching interpretations were found."),
                             MessageIcon::Information, MessageButtons::Ok);
        Label1[4]->setText(QStringLiteral("0"));
    }
    Label1[6]->setText(QString::number(rowCount - (noticeShown ? 2 : 0)));
}

void orvaneIntMain::Text1_Change(int index)
{
    if (index < 0 || index > 1)
        return;
    TextBox* entry = Text1[std::size_t(index)];
    // settleChange plays out the change events that cleaning and completing
    // the text raise in turn; the text is then set once with the entry's
    // signals blocked, so this handler does not run again for it.
    const search::ChangeOutcome out =
        search::settleChange(search::EntryKind(index), entry->text(), editKeyPressed,
                             rowTexts(ListView1[std::size_t(index)]));
    if (out.text != entry->text()) {
        const QSignalBlocker block(entry);
        entry->setText(out.text);
    }
    if (out.selectionSet)
        entry->setSelection(out.selectionStart, out.selectionLength);
    // Every nested run searched (and beeped) for the same final text: once
    // of each is the same end state without the repetition.
    if (out.beeps > 0)
        platform_.beep();
    if (out.searches > 0)
        performSearch();
}

void orvaneIntMain::Text1_KeyDown(int index, int keyCode, int shift)
{
    Q_UNUSED(index);
    Q_UNUSED(shift);
    editKeyPressed = keyCode == kKeyDelete || keyCode == kKeyBackspace || keyCode == kKeyLeft
                     || keyCode == kKeyRight;
}

void orvaneIntMain::Text1_KeyPress(int index, int& keyAscii)
{
    Q_UNUSED(index);
    if (keyAscii == kDoubleQuote)
        keyAscii = 0;
}

void orvaneIntMain::Text1_KeyUp(int index, int keyCode, int shift)
{
    Q_UNUSED(shift);
    if (index == 1 && (keyCode == kKeyEnter || keyCode == kKeyTab))
        performSearch();
}

// Entries go back to the system's window-background colour on every focus change.
static void windowBackground(QWidget* entry)
{
    QPalette pal = entry->palette();
    pal.setColor(QPalette::Base, QApplication::palette(entry).color(QPalette::Base));
    entry->setPalette(pal);
}

void orvaneIntMain::Text1_GotFocus(int index)
{
    ListView1[0]->hide();
    ListView1[1]->hide();
    if (index < 0 || index > 1)
        return;
    TextBox* entry = Text1[std::size_t(index)];
    windowBackground(entry);
}

void orvaneIntMain::Text1_LostFocus(int index)
{
    if (index < 0 || index > 1)
        return;
    TextBox* entry = Text1[std::size_t(index)];
    windowBackground(entry);

    if (index != 1)
        return;
    const QString text = entry->text();
    if (!search::addsToHistory(text, rowTexts(ListView1[1])))
        return;
    auto* row = new QTreeWidgetItem(QStringList{text});
    row->setIcon(0, QIcon(newImageList.image(1)));
    ListView1[1]->addTopLevelItem(row);
}

void orvaneIntMain::Option1_Click(int index)
{
    Q_UNUSED(index);
    if (search::optionClickSearches(Text1[1]->text()))
        performSearch();
}

void orvaneIntMain::Option1_GotFocus(int index)
{
    Q_UNUSED(index);
    ListView1[0]->hide();
    ListView1[1]->hide();
}

void orvaneIntMain::Command2_Click(int index)
{
    // Command2(0) drops down the paragraph list, Command2(2) the history.
    if (index != 0 && index != 2)
        return;
    ListView* list = ListView1[index == 0 ? 0 : 1];
    const bool show = list->isHidden();
    list->setVisible(show);
    if (show)
        list->setFocus(Qt::OtherFocusReason);
}

} // namespace orvane::ui
