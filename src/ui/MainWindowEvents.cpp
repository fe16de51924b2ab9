// What the user does goes to the controller; what the controller signals is
// shown here. Handlers stay small: the rules live in the controller and in
// the search and view functions.

#include "ui/MainWindow.h"

#include "app/Controller.h"
#include "app/Platform.h"
#include "ui/AboutBox.h"
#include "ui/Controls.h"
#include "view/ParagraphLayout.h"
#include "view/TextSpans.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>

namespace orvane::ui {

using search::EntryKind;

namespace {

// Entries and lists show on the system's window colour whether they have the
// focus or not.
void useWindowBackground(QWidget* w)
{
    const QColor window = QApplication::palette(w).color(QPalette::Base);
    if (w->palette().color(QPalette::Base) != window) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Base, window);
        w->setPalette(pal);
    }
}

} // namespace

// --- wiring ----------------------------------------------------------------------

void orvaneIntMain::connectControls()
{
    for (EntryKind kind : {EntryKind::Paragraph, EntryKind::Keyword}) {
        TextBox* t = entry(kind);
        t->setCharacterFilter(&search::acceptsKeyPress);
        connect(t, &QLineEdit::textChanged, this, [this, kind](const QString& text) { controller_.editEntry(kind, text); });
        connect(t, &TextBox::keyDown, this,
                [this](int key) { controller_.setEditKeyPressed(search::isEditingKey(key)); });
        connect(t, &TextBox::keyUp, this, [this, kind](int key) { entryKeyUp(kind, key); });
        connect(t, &TextBox::gotFocus, this, [this, t] {
            hideDropDowns();
            useWindowBackground(t);
        });
        connect(t, &TextBox::lostFocus, this, [this, kind] { entryLostFocus(kind); });
    }
    // Tab and Enter in the keyword entry need to be seen before the entry
    // and the window act on them.
    keywordEntry_->installEventFilter(this);
    for (int i = 0; i < 3; ++i) {
        // An option's click runs when it becomes the selected one, by the
        // user or by the program.
        connect(modeOptions_[std::size_t(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                controller_.chooseMode(search::SearchMode(i));
        });
        modeOptions_[std::size_t(i)]->installEventFilter(this);
    }
    connectButtonsAndLists();
}

void orvaneIntMain::connectButtonsAndLists()
{
    connect(searchButton_, &QPushButton::clicked, this, [this] { controller_.performSearch(); });
    connect(defaultButton_, &QPushButton::clicked, this, [this] { controller_.performSearch(); });
    connect(exitButton_, &QPushButton::clicked, this, &orvaneIntMain::close);
    connect(paragraphDropButton_, &PictureButton::clicked, this, [this] { toggleDropDown(paragraphList_); });
    connect(historyDropButton_, &PictureButton::clicked, this, [this] { toggleDropDown(historyList_); });
    for (int i = 0; i < 4; ++i)
        connect(navigationButtons_[std::size_t(i)], &QPushButton::clicked, this,
                [this, i] { controller_.navigate(view::NavigationStep(i)); });
    // Whatever highlights a row (a click, a drag, the right button, the
    // keyboard) shows that row: the highlighted row and the text on display
    // never disagree, and a list left without a highlighted row says so. A
    // click on the row on display still counts as a pick.
    connect(resultsList_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!showingRow_)
            resultPicked(resultsList_->selectedRow());
    });
    connect(resultsList_, &ListView::rowPicked, this, [this] {
        const int row = resultsList_->selectedRow();
        if (row >= 0)
            resultPicked(row);
    });
    const std::pair<ListView*, EntryKind> dropDowns[] = {{paragraphList_, EntryKind::Paragraph},
                                                         {historyList_, EntryKind::Keyword}};
    for (const auto& [list, kind] : dropDowns) {
        connect(list, &ListView::mouseUp, this, [this, kind] { pickFromDropDown(kind); });
        connect(list, &ListView::keyUp, this, [this, kind](int key) {
            if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)
                pickFromDropDown(kind);
        });
    }
    for (ListView* list : {paragraphList_, historyList_, resultsList_}) {
        connect(list, &ListView::gotFocus, this, [this, list] {
            if (list == resultsList_)
                hideDropDowns();
            useWindowBackground(list);
        });
        connect(list, &ListView::lostFocus, this, [list] { useWindowBackground(list); });
    }
    textView_->installEventFilter(this);
    textView_->viewport()->installEventFilter(this);
    // Enter in a pick list picks its row (on the release) and nothing else:
    // the press must not reach the window's default button.
    paragraphList_->installEventFilter(this);
    historyList_->installEventFilter(this);
}

void orvaneIntMain::connectController()
{
    app::Controller* c = &controller_;
    connect(c, &app::Controller::sectionMenuChanged, this, &orvaneIntMain::syncSectionMenu);
    connect(c, &app::Controller::captionChanged, this, &orvaneIntMain::setWindowTitle);
    connect(c, &app::Controller::currentRowChanged, this, &orvaneIntMain::showCurrentRow);
    connect(c, &app::Controller::labelsChanged, this, &orvaneIntMain::showLabels);
    connect(c, &app::Controller::interpretationShown, this, &orvaneIntMain::showInterpretation);
    connect(c, &app::Controller::viewCleared, this, &orvaneIntMain::clearView);
    connect(c, &app::Controller::navigationChanged, this, &orvaneIntMain::showNavigation);
    connect(c, &app::Controller::paragraphsChanged, this,
            [this] { paragraphModel_->setRows(controller_.paragraphRows()); });
    connect(c, &app::Controller::historyChanged, this,
            [this] { historyModel_->setRows(controller_.historyRows()); });
    connect(c, &app::Controller::entryChanged, this, &orvaneIntMain::showEntry);
    connect(c, &app::Controller::modeChanged, this, &orvaneIntMain::showMode);
    connect(c, &app::Controller::dropDownsClosed, this, &orvaneIntMain::hideDropDowns);
}

bool orvaneIntMain::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == keywordEntry_ && (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease)) {
        const auto* k = static_cast<QKeyEvent*>(e);
        const search::EntryKey key{e->type() == QEvent::KeyPress ? search::KeyPhase::Press : search::KeyPhase::Release,
                                   k->key(), bool(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)),
                                   k->isAutoRepeat()};
        const search::EntryKeyAction action = search::keywordEntryKey(key, enterPress_, controller_.searchRuns());
        if (action.runKeyUpRule)
            entryKeyUp(EntryKind::Keyword, Qt::Key_Tab);
        return action.swallow;
    }
    // A new text or width is laid out at once as far down as the view shows.
    if (watched == textView_->viewport() && e->type() == QEvent::Resize)
        textLayout_->setEagerHeight(static_cast<QResizeEvent*>(e)->size().height());
    if (watched == keywordEntry_ && e->type() == QEvent::FocusOut)
        enterPress_.pending = false;
    if ((watched == paragraphList_ || watched == historyList_) && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    if (e->type() == QEvent::FocusIn
        && (watched == textView_ || std::find(modeOptions_.begin(), modeOptions_.end(), watched) != modeOptions_.end()))
        hideDropDowns();
    return QMainWindow::eventFilter(watched, e);
}

// The And / Or / Phrase group is one stop of the Tab chain, entered at its
// checked option (the arrow keys move within it), as on any desktop.
bool orvaneIntMain::focusNextPrevChild(bool next)
{
    const auto isOption = [this](const QWidget* w) {
        return std::find(modeOptions_.begin(), modeOptions_.end(), w) != modeOptions_.end();
    };
    const bool fromGroup = isOption(QApplication::focusWidget());
    if (!QMainWindow::focusNextPrevChild(next))
        return false;
    if (!isOption(QApplication::focusWidget()))
        return true;
    if (fromGroup) {
        // Leaving the group: on past its other options.
        for (std::size_t i = 0; i < modeOptions_.size() && isOption(QApplication::focusWidget()); ++i)
            QMainWindow::focusNextPrevChild(next);
        return true;
    }
    for (QRadioButton* b : modeOptions_)
        if (b->isChecked())
            b->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

// --- user actions -------------------------------------------------------------------

void orvaneIntMain::entryKeyUp(EntryKind kind, int qtKey)
{
    if (search::searchesOnKeyUp(kind, qtKey))
        controller_.performSearch();
}

void orvaneIntMain::entryLostFocus(EntryKind kind)
{
    useWindowBackground(entry(kind));
    if (kind == EntryKind::Keyword)
        controller_.leaveKeywordEntry();
}

void orvaneIntMain::hideDropDowns()
{
    // An open drop-down list must not stay over a menu, a dialog or the view.
    paragraphList_->hide();
    historyList_->hide();
}

void orvaneIntMain::toggleDropDown(ListView* list)
{
    const bool show = list->isHidden();
    list->setVisible(show);
    if (show)
        list->setFocus(Qt::OtherFocusReason);
}

void orvaneIntMain::pickFromDropDown(EntryKind kind)
{
    ListView* list = kind == EntryKind::Paragraph ? paragraphList_ : historyList_;
    const int row = list->selectedRow();
    if (row < 0)
        return;
    // The entry's change rule runs on the row; focusing the entry hides the
    // pick lists.
    controller_.setEntryText(kind, list->rowText(row));
    entry(kind)->setFocus(Qt::OtherFocusReason);
}

void orvaneIntMain::resultPicked(int row)
{
    // Rows count from 0 in the list and from 1 in the controller; none is 0.
    controller_.clickRow(row >= 0 ? row + 1 : 0);
}

void orvaneIntMain::importTriggered()
{
    controller_.importDatabase();
}

void orvaneIntMain::printTriggered()
{
    controller_.print();
}

void orvaneIntMain::printAllTriggered()
{
    controller_.printAllFound();
}

void orvaneIntMain::printerSetupTriggered()
{
    controller_.printerSetup();
}

void orvaneIntMain::exitTriggered()
{
    close();
}

void orvaneIntMain::helpTriggered()
{
    platform_.messageBox(QStringLiteral("Help"),
                         QStringLiteral("Brief context sensitive help descriptions are provided for "
                                        "all entry items contained in this program.")
                             + QStringLiteral("To get help, simply point and hold the mouse cursor "
                                              "over the item in question."),
                         app::MessageIcon::Question, app::MessageButtons::Ok);
}

void orvaneIntMain::aboutTriggered()
{
    {
        // Loaded afresh each time, unloaded when closed.
        orvaneIntAbout about(platform_, this);
        about.exec();
    }
    ownWindowClosed();
}

void orvaneIntMain::toolbarButtonClicked(int index)
{
    if (index == 1)
        openMenu_->exec(client_->mapToGlobal(QPoint(0, toPixels(twips(toolbar_).height))));
    else if (index == 2)
        printTriggered();
}

// --- what the controller shows --------------------------------------------------------

void orvaneIntMain::syncSectionMenu()
{
    const app::ProgramState& s = controller_.state();
    // Entries beyond the list go; missing ones are added at the end.
    while (int(sectionEntries_.size()) > s.sectionCount) {
        delete sectionEntries_.back();
        sectionEntries_.pop_back();
    }
    while (int(sectionEntries_.size()) < s.sectionCount) {
        const int n = int(sectionEntries_.size()) + 1;
        // Section entries stand before the "All sections" entry.
        auto* a = new QAction(openMenu_);
        openMenu_->insertAction(allSectionsSeparator_, a);
        a->setObjectName(QStringLiteral("mnuFileOpenSection(%1)").arg(n));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, n] { controller_.chooseSection(n); });
        sectionEntries_.push_back(a);
    }
    for (int n = 1; n <= s.sectionCount; ++n) {
        QAction* a = sectionEntries_[std::size_t(n - 1)];
        a->setText(s.sectionList[std::size_t(n)].UserTableName);
        a->setData(s.sectionList[std::size_t(n)].dbTableName);
        a->setChecked(controller_.checkedSection() == n);
    }
    noDatabaseEntry_->setChecked(controller_.checkedSection() == 0);
    noDatabaseEntry_->setVisible(controller_.placeholderShown());
    allSectionsSeparator_->setVisible(s.sectionCount > 0);
    allSectionsEntry_->setVisible(s.sectionCount > 0);
    allSectionsEntry_->setChecked(controller_.checkedSection() == app::Controller::kAllSections);
}

app::ListLook orvaneIntMain::listLook(const QString& header) const
{
    return {header, QIcon(image(app::kOrdinaryIcon)), QIcon(image(app::kNoticeIcon))};
}

void orvaneIntMain::showCurrentRow(int row)
{
    showingRow_ = true;
    resultsList_->setCurrentRow(row - 1);
    showingRow_ = false;
}

void orvaneIntMain::showLabels()
{
    positionLabel_->setText(controller_.positionLabel());
    countLabel_->setText(controller_.countLabel());
}

void orvaneIntMain::clearView()
{
    if (!textView_->document()->isEmpty())
        textView_->document()->clear();
}

void orvaneIntMain::showInterpretation()
{
    const app::ShownInterpretation& shown = controller_.shown();
    QTextDocument* doc = textView_->document();
    const QString text = shown.found ? view::documentText(shown.text) : QString();
    // Each text is shown from its start, wherever the last one was read.
    textView_->verticalScrollBar()->setValue(0);
    // The view keeps its document and its layout; the text is replaced with
    // the layout paused (a null page), which then starts again from the top
    // as for a new document: what the view shows now, the rest once the
    // window is idle.
    const QSizeF page = doc->pageSize();
    doc->setPageSize(QSizeF(0, 0));
    if (shown.found)
        view::showDocumentText(*doc, text, shown.keywords, shown.phrase);
    else if (!doc->isEmpty())
        doc->clear();
    // The view's caret was carried to the end of the new text as it went in;
    // placed while the layout is paused, the view asks no position of the
    // old caret, which would lay out everything up to it.
    QTextCursor caret(doc);
    caret.setPosition(shown.found ? qMin(view::restingCaret(text, shown.keywords, shown.phrase), doc->characterCount() - 1)
                                  : 0);
    textView_->setTextCursor(caret);
    doc->setPageSize(page);
    volumeLabel_->setText(shown.volume);
    identifierLabel_->setText(shown.identifierLabel);
    // The status line adds the full text to this when it has to shorten it.
    setOwnToolTip(identifierLabel_, shown.section);
    // A label asks its frame to grow it only while the window is visible;
    // the first load runs before the window is shown.
    growToText(identifierLabel_);
    growToText(volumeLabel_);
}

void orvaneIntMain::showNavigation(const view::NavigationButtons& buttons)
{
    const bool on[4] = {buttons.first, buttons.previous, buttons.next, buttons.last};
    for (std::size_t i = 0; i < 4; ++i) {
        navigationButtons_[i]->setEnabled(on[i]);
        navigationLabels_[i]->setEnabled(on[i]);
    }
}

void orvaneIntMain::showEntry(EntryKind kind, const QString& text, bool selectionSet, int start, int length)
{
    TextBox* t = entry(kind);
    if (t->text() != text) {
        const QSignalBlocker block(t);
        t->setText(text);
    }
    if (selectionSet)
        t->setSelection(start, length);
}

void orvaneIntMain::showMode(search::SearchMode mode)
{
    QRadioButton* option = modeOptions_[std::size_t(mode)];
    const QSignalBlocker block(option);
    option->setChecked(true);
}

} // namespace orvane::ui
