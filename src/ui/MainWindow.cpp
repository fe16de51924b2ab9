#include "ui/MainWindow.h"

#include "app/Controller.h"
#include "app/Platform.h"
#include "ui/Artwork.h"
#include "ui/Controls.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace orvane::ui {

namespace {

constexpr int kToolbarHeight = 360;

} // namespace

orvaneIntMain::orvaneIntMain(app::Controller& controller, app::Platform& platform, QWidget* parent)
    : QMainWindow(parent), controller_(controller), platform_(platform)
{
    setObjectName(QStringLiteral("orvaneIntMain"));
    setWindowTitle(QStringLiteral("Orvane INT"));
    setWindowIcon(art::programIconSet());
    setFont(designFont(QStringLiteral("MS Sans Serif"), 8.25));
    for (std::size_t i = 1; i < images_.size(); ++i)
        images_[i] = art::imageListImage(int(i));

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);

    createToolbar();
    createControls();
    createMenus();
    applyStackingOrder();
    applyTabOrder();
    for (Frame* f : frames_)
        Frame::growLabelsToText(f);
    useFontInMenus(menuBar(), font());
    for (int i = 0; i < 4; ++i)
        art::drawAsNavigationButton(navigationButtons_[std::size_t(i)], i);
    keepStatusLineLaidOut(frames_[4], frames_[6], {identifierLabel_, labels_[1], volumeLabel_, labels_[3],
                                                   positionLabel_, labels_[5], countLabel_});
    connectControls();
    connectController();
    syncSectionMenu();

    resize(toPixels(kDesignWidth), toPixels(kDesignHeight) + menuBar()->sizeHint().height());
}

orvaneIntMain::~orvaneIntMain()
{
    // The controls outlive this part of the object: QWidget's destructor hides
    // the window, which takes the focus from the focused control, and deletes
    // the controls only afterwards. Nothing a control does then may reach this
    // window, which by that time is no longer one.
    const QList<QObject*> descendants = findChildren<QObject*>();
    for (QObject* o : descendants) {
        o->removeEventFilter(this);
        QObject::disconnect(o, nullptr, this, nullptr);
    }
    QObject::disconnect(&controller_, nullptr, this, nullptr);
}

// --- construction -----------------------------------------------------------

void orvaneIntMain::createToolbar()
{
    toolbar_ = new QToolBar(client_);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setProperty("TabIndex", 39);
    setTwips(toolbar_, {0, 0, kDesignWidth, kToolbarHeight});

    const QString tips[3] = {{}, QStringLiteral("Open new interpretations section"), {}};
    const int pictures[3] = {0, art::kOpenFolder, art::kPrinter};
    for (int i = 1; i <= 2; ++i) {
        auto* b = new QToolButton(toolbar_);
        b->setObjectName(QStringLiteral("Toolbar1.Buttons(%1)").arg(i));
        b->setIcon(QIcon(image(pictures[i])));
        b->setToolTip(tips[i]);
        b->setAutoRaise(true);
        // Toolbar buttons are for the mouse: they would otherwise head the
        // focus chain and take the focus meant for the keyword entry.
        b->setFocusPolicy(Qt::NoFocus);
        toolbar_->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, i] { toolbarButtonClicked(i); });
        (i == 1 ? openToolButton_ : printToolButton_) = b;
    }
}

QAction* orvaneIntMain::addMenuItem(QMenu* menu, const QString& caption, const char* name,
                                    void (orvaneIntMain::*handler)())
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    connect(a, &QAction::triggered, this, handler);
    return a;
}

void orvaneIntMain::createMenus()
{
    QMenuBar* bar = menuBar();
    fileMenu_ = bar->addMenu(QStringLiteral("&File"));
    fileMenu_->setObjectName(QStringLiteral("mnuFile"));
    connect(fileMenu_, &QMenu::aboutToShow, this, &orvaneIntMain::hideDropDowns);

    openMenu_ = fileMenu_->addMenu(QStringLiteral("&Open..."));
    openMenu_->setObjectName(QStringLiteral("mnuFileOpen"));
    openMenu_->menuAction()->setObjectName(QStringLiteral("mnuFileOpen"));
    connect(openMenu_, &QMenu::aboutToShow, this, &orvaneIntMain::hideDropDowns);
    showChecksOnlyWhenChecked(openMenu_);
    noDatabaseEntry_ = openMenu_->addAction(QStringLiteral("No valid database present"));
    noDatabaseEntry_->setObjectName(QStringLiteral("mnuFileOpenSection(0)"));
    noDatabaseEntry_->setEnabled(false);
    noDatabaseEntry_->setCheckable(true);
    allSectionsSeparator_ = openMenu_->addSeparator();
    allSectionsSeparator_->setObjectName(QStringLiteral("mnuFileOpenAllSpacer"));
    allSectionsEntry_ = openMenu_->addAction(app::Controller::kAllSectionsName);
    allSectionsEntry_->setObjectName(QStringLiteral("mnuFileOpenAll"));
    allSectionsEntry_->setCheckable(true);
    connect(allSectionsEntry_, &QAction::triggered, this, [this] { controller_.chooseAllSections(); });

    auto separator = [](QMenu* menu, const char* name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(QLatin1String(name));
    };
    separator(fileMenu_, "mnuFileSpacer0");
    addMenuItem(fileMenu_, QStringLiteral("&Import"), "mnuFileImport", &orvaneIntMain::importTriggered);
    separator(fileMenu_, "mnuFileSpacer1");
    addMenuItem(fileMenu_, QStringLiteral("&Print"), "mnuPrint", &orvaneIntMain::printTriggered);
    addMenuItem(fileMenu_, QStringLiteral("Print &All Found..."), "mnuPrintAll", &orvaneIntMain::printAllTriggered);
    addMenuItem(fileMenu_, QStringLiteral("Printer Set&up..."), "mnuPrintSetup",
                &orvaneIntMain::printerSetupTriggered);
    separator(fileMenu_, "mnuFileSpacer2");
    addMenuItem(fileMenu_, QStringLiteral("E&xit"), "mnuFileExit", &orvaneIntMain::exitTriggered);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    // Both separator lines are drawn, one under the other.
    help->setSeparatorsCollapsible(false);
    addMenuItem(help, QStringLiteral("Help"), "mnuHelpHelp", &orvaneIntMain::helpTriggered);
    separator(help, "mnuHelpSeperator0");
    separator(help, "mnuHelpSeperator1");
    addMenuItem(help, QStringLiteral("&About"), "mnuHelpAbout", &orvaneIntMain::aboutTriggered);
}

TextBox* orvaneIntMain::entry(search::EntryKind kind) const
{
    return kind == search::EntryKind::Paragraph ? paragraphEntry_ : keywordEntry_;
}

// --- geometry ---------------------------------------------------------------

TwipRect orvaneIntMain::twips(const QWidget* control) const
{
    return twips_.value(control);
}

void orvaneIntMain::setTwips(QWidget* control, const TwipRect& r)
{
    twips_.insert(control, r);
    control->setGeometry(toPixels(r));
}

QSize orvaneIntMain::outerSizeTwips() const
{
    QSize px = frameGeometry().size();
    if (frameGeometry() == geometry()) {
        // No frame known yet (not shown, or no window manager): assume a
        // sizeable border of 4 pixels and a 26-pixel title bar.
        px += QSize(8, 34);
    }
    return QSize(toTwips(px.width()), toTwips(px.height()));
}

MainLayout orvaneIntMain::currentLayout() const
{
    MainLayout l;
    l.toolbarHeight = twips(toolbar_).height;
    l.frame0 = twips(frames_[0]);
    l.frame1 = twips(frames_[1]);
    l.frame2 = twips(frames_[2]);
    l.frame3 = twips(frames_[3]);
    l.frame4 = twips(frames_[4]);
    l.frame5 = twips(frames_[5]);
    l.frame6 = twips(frames_[6]);
    l.frame7 = twips(frames_[7]);
    l.text1_1 = twips(keywordEntry_);
    l.command1_0 = twips(exitButton_);
    l.command1_1 = twips(searchButton_);
    l.command2_2 = twips(historyDropButton_);
    l.listView1_0 = twips(paragraphList_);
    l.listView1_1 = twips(historyList_);
    l.listView1_2 = twips(resultsList_);
    l.richTextBox1 = twips(textView_);
    l.shape1 = twips(textOutline_);
    return l;
}

void orvaneIntMain::applyLayout(const MainLayout& l)
{
    const std::pair<QWidget*, TwipRect> all[] = {
        {frames_[0], l.frame0},           {frames_[1], l.frame1},        {frames_[2], l.frame2},
        {frames_[3], l.frame3},           {frames_[4], l.frame4},        {frames_[5], l.frame5},
        {frames_[6], l.frame6},           {frames_[7], l.frame7},        {keywordEntry_, l.text1_1},
        {exitButton_, l.command1_0},      {searchButton_, l.command1_1}, {historyDropButton_, l.command2_2},
        {paragraphList_, l.listView1_0},  {historyList_, l.listView1_1}, {resultsList_, l.listView1_2},
        {textView_, l.richTextBox1},      {textOutline_, l.shape1},
    };
    for (const auto& [w, r] : all)
        if (!(twips(w) == r))
            setTwips(w, r);
}

// --- life-cycle ---------------------------------------------------------------

void orvaneIntMain::centreOnScreen()
{
    const QSize screen = platform_.screenSize();
    const QSize outer = outerSizeTwips();
    const int left = (toTwips(screen.width()) - outer.width()) / 2;
    const int top = (toTwips(screen.height()) - outer.height()) / 2;
    move(toPixels(left), toPixels(top));
}

void orvaneIntMain::recentreOnceFramed()
{
    if (!centredWithEstimate_ || frameGeometry() == geometry())
        return;
    if (pos() == *centredWithEstimate_)
        centreOnScreen();
    centredWithEstimate_.reset();
}

void orvaneIntMain::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    QTimer::singleShot(0, this, [this] { recentreOnceFramed(); });
}

void orvaneIntMain::formLoad()
{
    centreOnScreen();
    if (frameGeometry() == geometry())
        centredWithEstimate_ = pos();
    controller_.loadProgram();
}

void orvaneIntMain::loadAndShow()
{
    formLoad();
    if (platform_.programEnded())
        return;
    show();
}

void orvaneIntMain::formActivate()
{
    controller_.activate();
}

void orvaneIntMain::formUnload()
{
    controller_.shutdown();
}

void orvaneIntMain::formResize()
{
    const QSize outer = outerSizeTwips();
    applyLayout(layoutMainWindow(currentLayout(), outer.width(), outer.height()));
}

void orvaneIntMain::ownWindowClosed()
{
    activationPending_ = true;
    // Normally the window system reports the activation that follows; when
    // this window never lost it (or the report is not coming because nothing
    // else of ours is active), run it once the current handler is done.
    QTimer::singleShot(0, this, [this] {
        if (activationPending_ && isVisible() && (isActiveWindow() || QApplication::activeWindow() == nullptr))
            runPendingActivation();
    });
}

void orvaneIntMain::runPendingActivation()
{
    recentreOnceFramed();
    activationPending_ = false;
    formActivate();
}

bool orvaneIntMain::event(QEvent* e)
{
    // Only activations that follow one of our own windows (or the first
    // showing) count; coming back from another application does not.
    if (e->type() == QEvent::WindowActivate && activationPending_) {
        const bool handled = QMainWindow::event(e);
        runPendingActivation();
        return handled;
    }
    return QMainWindow::event(e);
}

void orvaneIntMain::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    // The toolbar is docked: it always spans the client area.
    TwipRect bar = twips(toolbar_);
    bar.width = toTwips(client_->width());
    setTwips(toolbar_, bar);
    formResize();
}

void orvaneIntMain::closeEvent(QCloseEvent* e)
{
    if (!unloaded_) {
        unloaded_ = true;
        formUnload();
    }
    e->accept();
}

void orvaneIntMain::keyPressEvent(QKeyEvent* e)
{
    // Keys that reach the window were not taken by the focused control:
    // Enter presses the default button, Escape the cancel button.
    const auto mods = e->modifiers() & ~Qt::KeypadModifier;
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && mods == Qt::NoModifier) {
        defaultButton_->click();
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
        exitButton_->click();
        e->accept();
        return;
    }
    QMainWindow::keyPressEvent(e);
}

} // namespace orvane::ui
