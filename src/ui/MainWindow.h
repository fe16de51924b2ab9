#pragma once

// orvaneIntMain: the program's working window, a view over the controller.
// It owns the controls (their objectNames are the inventory's names,
// "Text1(1)", "Label1(4)", ... so that tests and accessibility tools find
// them), forwards what the user does to the controller and shows what the
// controller signals. It decides nothing about sections, searches or rows.
//
//   MainWindow.cpp         construction, menus, toolbar, life-cycle, geometry
//   MainWindowControls.cpp the control inventory
//   MainWindowEvents.cpp   user actions in, controller signals out

#include "search/SearchEntry.h"
#include "search/SearchStatement.h"
#include "ui/Layout.h"
#include "ui/Controls.h"
#include "ui/Twips.h"
#include "view/Navigation.h"

#include <QHash>
#include <QMainWindow>
#include <QPixmap>
#include <QTextEdit>
#include <QToolBar>
#include <array>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace orvane::app {
class Controller;
class PickListModel;
class Platform;
struct ListLook;
} // namespace orvane::app

namespace orvane::view {
class ParagraphLayout;
} // namespace orvane::view

namespace orvane::ui {


class orvaneIntMain : public QMainWindow {
    Q_OBJECT
public:
    // Design client area (below the menu bar, toolbar included).
    static constexpr int kDesignWidth = 9660;
    static constexpr int kDesignHeight = 6930;

    orvaneIntMain(app::Controller& controller, app::Platform& platform, QWidget* parent = nullptr);
    ~orvaneIntMain() override;

    app::Controller& controller() { return controller_; }

    // --- geometry in twips ----------------------------------------------------
    TwipRect twips(const QWidget* control) const;
    // Outer size of the window (frame, title and menu bar included); when
    // the window has no frame yet the frame is estimated.
    QSize outerSizeTwips() const;
    MainLayout currentLayout() const;
    void applyLayout(const MainLayout& layout);

    // --- life-cycle -------------------------------------------------------------
    // Load, then show: what showing the window for the first time runs.
    void loadAndShow();
    // One of the program's own windows has closed over this one: its next
    // activation counts as an activation by the program.
    void ownWindowClosed();

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    bool focusNextPrevChild(bool next) override;

private:
    // construction (MainWindow.cpp, MainWindowControls.cpp)
    void createToolbar();
    void createControls();
    void createSearchControls();
    void createViewControls();
    void createMenus();
    QAction* addMenuItem(QMenu* menu, const QString& caption, const char* name, void (orvaneIntMain::*handler)());
    void applyStackingOrder();
    void applyTabOrder();
    void setTwips(QWidget* control, const TwipRect& r);
    void place(QWidget* w, const QString& name, const TwipRect& r, int tabIndex);
    QLabel* addLabel(int index, QWidget* parent, const QString& caption, const TwipRect& r, int tabIndex,
                     bool red = false);
    Frame* addFrame(int index, QWidget* parent, const QString& caption, bool bordered, const TwipRect& r,
                    int tabIndex);
    QPushButton* addButton(QPushButton* b, const QString& name, const TwipRect& r, int tabIndex);

    // user actions in (MainWindowEvents.cpp)
    void connectControls();
    void connectButtonsAndLists();
    void connectController();
    void entryKeyUp(search::EntryKind entry, int qtKey);
    void entryLostFocus(search::EntryKind entry);
    void toggleDropDown(ListView* list);
    void pickFromDropDown(search::EntryKind entry);
    void hideDropDowns();
    void resultPicked(int row);

    void importTriggered();
    void printTriggered();
    void printAllTriggered();
    void printerSetupTriggered();
    void exitTriggered();
    void helpTriggered();
    void aboutTriggered();
    void toolbarButtonClicked(int index);

    // controller signals out (MainWindowEvents.cpp)
    void syncSectionMenu();
    void showResults();
    void showCurrentRow(int row);
    void showLabels();
    void showInterpretation();
    // Gives the view `doc` (a child of the view) in place of its document.
    void clearView();
    void showNavigation(const view::NavigationButtons& buttons);
    // A list's look: its column caption and the image list's icons.
    app::ListLook listLook(const QString& header) const;
    void showEntry(search::EntryKind entry, const QString& text, bool selectionSet, int start, int length);
    void showMode(search::SearchMode mode);

    // life-cycle
    void formLoad();
    void formActivate();
    void formUnload();
    void formResize();
    void runPendingActivation();
    void centreOnScreen();
    void recentreOnceFramed();

    TextBox* entry(search::EntryKind kind) const;
    const QPixmap& image(int index) const { return images_.at(std::size_t(index)); }

    app::Controller& controller_;
    app::Platform& platform_;
    QWidget* client_ = nullptr;
    QHash<const QWidget*, TwipRect> twips_;
    std::array<QPixmap, 5> images_;   // the image list, numbered from 1

    // --- controls ------------------------------------------------------------
    QToolBar* toolbar_ = nullptr;
    QToolButton* openToolButton_ = nullptr;
    QToolButton* printToolButton_ = nullptr;
    std::array<Frame*, 8> frames_{};   // Frame1(0..7), by design index
    TextBox* paragraphEntry_ = nullptr;
    TextBox* keywordEntry_ = nullptr;
    std::array<QRadioButton*, 3> modeOptions_{};   // And, Or, Phrase
    QPushButton* searchButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    QPushButton* defaultButton_ = nullptr;   // unseen; takes Enter
    PictureButton* paragraphDropButton_ = nullptr;
    PictureButton* historyDropButton_ = nullptr;
    std::array<QPushButton*, 4> navigationButtons_{};   // first, previous, next, last
    std::array<QLabel*, 4> navigationLabels_{};
    ListView* paragraphList_ = nullptr;
    ListView* historyList_ = nullptr;
    ListView* resultsList_ = nullptr;
    app::PickListModel* paragraphModel_ = nullptr;
    app::PickListModel* historyModel_ = nullptr;
    QLabel* identifierLabel_ = nullptr;
    QLabel* volumeLabel_ = nullptr;
    QLabel* positionLabel_ = nullptr;
    QLabel* countLabel_ = nullptr;
    std::array<QLabel*, 11> labels_{};   // Label1(0..10), for the inventory's static captions
    QTextEdit* textView_ = nullptr;
    view::ParagraphLayout* textLayout_ = nullptr;   // the view's document's
    Shape* textOutline_ = nullptr;

    // --- menus ------------------------------------------------------------------
    QMenu* fileMenu_ = nullptr;
    QMenu* openMenu_ = nullptr;
    QAction* noDatabaseEntry_ = nullptr;     // mnuFileOpenSection(0)
    std::vector<QAction*> sectionEntries_;   // mnuFileOpenSection(1..)
    QAction* allSectionsSeparator_ = nullptr;
    QAction* allSectionsEntry_ = nullptr;    // after the sections: all of them at once

    // --- state of the window ---------------------------------------------------
    // An Enter press in the keyword entry waiting for its release.
    search::EnterPress enterPress_;
    // While the window itself selects a row of the results list: the
    // selection change is the controller's own, not a pick.
    bool showingRow_ = false;
    bool activationPending_ = true;
    // Where the load centred the window with an estimated frame; while the
    // window still stands there, it is centred again once its frame is known.
    std::optional<QPoint> centredWithEstimate_;
    bool unloaded_ = false;
};

using MainWindow = orvaneIntMain;

} // namespace orvane::ui
