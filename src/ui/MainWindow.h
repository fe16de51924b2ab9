#pragma once

// orvaneIntMain: the program's working window. The controls carry their
// designed names and indexes (objectName "Text1(1)" etc.); one handler per
// control array receives the index of the member that raised the event.
//
// The handler bodies are split by subsystem so that they can be worked on
// independently:
//   MainWindow.cpp            construction, controls, menus, toolbar, life-cycle,
//                             Help and About, Exit, toolbar dispatch, layout
//   MainWindowSections.cpp    initiation, section selection, File menu, import
//   MainWindowSearch.cpp      search and the search entries, options, drop-downs
//   MainWindowView.cpp        loading and formatting, highlighting, results list,
//                             navigation
//   MainWindowCommandLine.cpp command-line query
//   MainWindowPrint.cpp       printing and printer set-up

#include "ui/Controls.h"
#include "ui/Layout.h"
#include "ui/Twips.h"

#include <QAction>
#include <QHash>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <array>
#include <optional>
#include <vector>

namespace orvane::ui {

class Platform;
struct ProgramState;

// The window's image list: pictures numbered from 1.
struct ImageList {
    std::array<QPixmap, 5> images;   // 1..4 used
    const QPixmap& image(int index) const { return images.at(std::size_t(index)); }
    int count() const { return 4; }
};

class orvaneIntMain : public QMainWindow {
    Q_OBJECT
public:
    // Design client area (below the menu bar, toolbar included).
    static constexpr int kDesignWidth = 9660;
    static constexpr int kDesignHeight = 6930;

    orvaneIntMain(ProgramState& state, Platform& platform, QWidget* parent = nullptr);
    ~orvaneIntMain() override;

    ProgramState& state() { return state_; }
    Platform& platform() { return platform_; }

    // --- controls (index = design index; Command2(1) does not exist) -------
    QToolBar* Toolbar1 = nullptr;
    std::array<QToolButton*, 3> Toolbar1Buttons{};   // 1-based: [1] open, [2] print
    std::array<Frame*, 8> Frame1{};
    std::array<TextBox*, 2> Text1{};
    std::array<QRadioButton*, 3> Option1{};
    std::array<QPushButton*, 2> Command1{};
    std::array<PictureButton*, 3> Command2{};
    QPushButton* Command3 = nullptr;
    std::array<QPushButton*, 4> Command4{};
    std::array<ListView*, 3> ListView1{};
    std::array<QLabel*, 11> Label1{};
    QTextEdit* RichTextBox1 = nullptr;
    Shape* Shape1 = nullptr;
    ImageList newImageList;

    // --- menus ----------------------------------------------------------------
    QMenu* mnuFile = nullptr;
    QMenu* mnuFileOpenMenu = nullptr;       // the sub-menu that mnuFileOpen opens
    QAction* mnuFileOpen = nullptr;
    std::vector<QAction*> mnuFileOpenSection;   // [0] placeholder, [1..] sections
    QAction* mnuFileSpacer0 = nullptr;
    QAction* mnuFileImport = nullptr;
    QAction* mnuFileSpacer1 = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuPrintSetup = nullptr;
    QAction* mnuFileSpacer2 = nullptr;
    QAction* mnuFileExit = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpHelp = nullptr;
    QAction* mnuHelpSeperator0 = nullptr;
    QAction* mnuHelpSeperator1 = nullptr;
    QAction* mnuHelpAbout = nullptr;

    // Creates section entry `index` (which must be the next free number) at
    // the end of the Open... sub-menu, wired to mnuFileOpenSection_Click.
    QAction* loadSectionEntry(int index);
    // Removes the highest section entry `index` (never the placeholder).
    void unloadSectionEntry(int index);

    // --- state of the window ------------------------------------------------
    // Whether the last key pressed down in an entry was an editing or caret key.
    bool editKeyPressed = false;
    // Whether the results list holds the notice row and its separator.
    bool noticeShown = false;

    // --- geometry in twips ----------------------------------------------------
    TwipRect twips(const QWidget* control) const;
    void setTwips(QWidget* control, const TwipRect& r);
    // Outer size of the window (frame, title and menu bar included); when
    // the window has no frame yet the frame is estimated.
    QSize outerSizeTwips() const;
    MainLayout currentLayout() const;
    void applyLayout(const MainLayout& layout);

    // --- life-cycle -------------------------------------------------------------
    void Form_Initialize();
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void Form_Resize();
    // Load, then show: what showing the window for the first time runs.
    void loadAndShow();
    // One of the program's own windows has closed over this one: its next
    // activation counts as an activation by the program.
    void ownWindowClosed();

    // --- shell commands ----------------------------------------------------------
    void mnuFileExit_Click();
    void mnuHelpHelp_Click();
    void mnuHelpAbout_Click();
    void Toolbar1_ButtonClick(int index);
    void Command1_Click(int index);
    void Command3_Click();

    // --- sections (MainWindowSections.cpp) ---------------------------------
    bool initiateProgram();
    void selectSection(const QString& tempSectionName);
    void mnuFileOpenSection_Click(int index);
    void mnuFile_Click();
    void mnuFileOpen_Click();
    void mnuFileImport_Click();
    // Rows of the list views carry the number of their small icon (an image
    // of newImageList; 0 for none) under this role, next to the icon itself.
    static constexpr int kSmallIconRole = Qt::UserRole + 1;
    // A new list row with `text` and small icon `smallIcon` (0: no icon).
    QTreeWidgetItem* newListItem(const QString& text, int smallIcon) const;
    static int smallIconOf(const QTreeWidgetItem* item);

    // --- search (MainWindowSearch.cpp) --------------------------------------
    void performSearch();
    void Text1_Change(int index);
    void Text1_KeyDown(int index, int keyCode, int shift);
    void Text1_KeyPress(int index, int& keyAscii);
    void Text1_KeyUp(int index, int keyCode, int shift);
    void Text1_GotFocus(int index);
    void Text1_LostFocus(int index);
    void Option1_Click(int index);
    void Option1_GotFocus(int index);
    void Command2_Click(int index);
    // Gives the keyword entry its own handling of Tab and Enter (called once,
    // after the controls exist).
    void wireSearchEntries();
    // The statement the last search sent to the database, and how many
    // searches have run since the window was created.
    QString lastSearchSql;
    int searchRuns = 0;

    // --- view (MainWindowView.cpp) --------------------------------------------
    void loadInterpretation(const QString& id);
    void formatText(const QString& rawText);
    void markUpText();
    void scanText(const QString& searchString);
    void setUpNavigationButtons();
    void ListView1_ItemClick(int index, QTreeWidgetItem* item);
    void ListView1_KeyUp(int index, int keyCode, int shift);
    void ListView1_MouseUp(int index, int button, int shift, int x, int y);
    void ListView1_GotFocus(int index);
    void ListView1_LostFocus(int index);
    void RichTextBox1_GotFocus();
    void Command4_Click(int index);

    // --- command line (MainWindowCommandLine.cpp) ----------------------------
    void processCommandLine();

    // --- printing (MainWindowPrint.cpp) -----------------------------------------
    void mnuPrint_Click();
    void mnuPrintSetup_Click();

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void createControls();
    void createMenus();
    void createToolbar();
    void applyStackingOrder();
    void applyTabOrder();
    void runPendingActivation();
    void centreOnScreen();
    void recentreOnceFramed();

    ProgramState& state_;
    Platform& platform_;
    QWidget* client_ = nullptr;
    QHash<const QWidget*, TwipRect> twips_;
    bool activationPending_ = true;
    // Where the load centred the window with an estimated frame; while the
    // window still stands there, it is centred again once its frame is known.
    std::optional<QPoint> centredWithEstimate_;
    bool unloaded_ = false;
};

using MainWindow = orvaneIntMain;

} // namespace orvane::ui
