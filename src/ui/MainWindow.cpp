#include "ui/MainWindow.h"

#include "ui/AboutBox.h"
#include "ui/Artwork.h"
#include "ui/Controls.h"
#include "ui/Platform.h"
#include "ui/ProgramState.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

namespace orvane::ui {

namespace {

const QColor kCaptionRed(128, 0, 0);       // &H00000080
const QColor kLightGrey(224, 224, 224);    // &H00E0E0E0
constexpr int kToolbarHeight = 360;

const char* const kTabIndex = "TabIndex";

QString arrayName(const char* name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

} // namespace

orvaneIntMain::orvaneIntMain(ProgramState& state, Platform& platform, QWidget* parent)
    : QMainWindow(parent), state_(state), platform_(platform)
{
    setObjectName(QStringLiteral("orvaneIntMain"));
    setWindowTitle(QStringLiteral("Orvane INT"));
    setWindowIcon(art::programIconSet());
    setFont(designFont(QStringLiteral("MS Sans Serif"), 8.25));
    for (int i = 1; i <= newImageList.count(); ++i)
        newImageList.images[std::size_t(i)] = art::imageListImage(i);

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);

    createToolbar();
    createControls();
    wireSearchEntries();
    createMenus();
    applyStackingOrder();
    applyTabOrder();
    for (Frame* f : Frame1)
        Frame::growLabelsToText(f);
    useFontInMenus(menuBar(), font());
    for (int i = 0; i < 4; ++i)
        art::drawAsNavigationButton(Command4[std::size_t(i)], i);
    keepStatusLineLaidOut(Frame1[4], Frame1[6], {Label1[0], Label1[1], Label1[2], Label1[3],
                                                 Label1[4], Label1[5], Label1[6]});

    resize(toPixels(kDesignWidth), toPixels(kDesignHeight) + menuBar()->sizeHint().height());
    Form_Initialize();
}

orvaneIntMain::~orvaneIntMain()
{
    // The controls outlive this part of the object: QWidget's destructor hides
    // the window, which takes the focus from the focused control, and deletes
    // the controls only afterwards. Anything a control does then must not
    // reach this window, which by that time is no longer one. So every way
    // back from a control into the window is cut before the window goes.
    for (TextBox* t : Text1) {
        if (!t)
            continue;
        t->onKeyDown = nullptr;
        t->onKeyPress = nullptr;
        t->onKeyUp = nullptr;
        t->onGotFocus = nullptr;
        t->onLostFocus = nullptr;
    }
    for (ListView* lv : ListView1) {
        if (!lv)
            continue;
        lv->onItemClick = nullptr;
        lv->onKeyUp = nullptr;
        lv->onMouseUp = nullptr;
        lv->onGotFocus = nullptr;
        lv->onLostFocus = nullptr;
    }
    const QList<QObject*> descendants = findChildren<QObject*>();
    for (QObject* o : descendants) {
        o->removeEventFilter(this);
        // Signals of the controls and actions whose handlers run in this window.
        QObject::disconnect(o, nullptr, this, nullptr);
    }
}

// --- construction -----------------------------------------------------------

void orvaneIntMain::createToolbar()
{
    Toolbar1 = new QToolBar(client_);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setProperty(kTabIndex, 39);
    setTwips(Toolbar1, {0, 0, kDesignWidth, kToolbarHeight});

    const QString tips[3] = {{}, QStringLiteral("Open new interpretations section"), {}};
    const int images[3] = {0, art::kOpenFolder, art::kPrinter};
    for (int i = 1; i <= 2; ++i) {
        auto* b = new QToolButton(Toolbar1);
        b->setObjectName(QStringLiteral("Toolbar1.Buttons(%1)").arg(i));
        b->setIcon(QIcon(newImageList.image(images[i])));
        b->setToolTip(tips[i]);
        b->setAutoRaise(true);
        // Toolbar buttons are for the mouse: they would otherwise head the
        // focus chain and take the focus meant for the keyword entry.
        b->setFocusPolicy(Qt::NoFocus);
        Toolbar1->addWidget(b);
        Toolbar1Buttons[std::size_t(i)] = b;
        connect(b, &QToolButton::clicked, this, [this, i] { Toolbar1_ButtonClick(i); });
    }
}

void orvaneIntMain::createControls()
{
    auto place = [this](QWidget* w, const QString& name, const TwipRect& r, int tab) {
        w->setObjectName(name);
        if (tab >= 0)
            w->setProperty(kTabIndex, tab);
        setTwips(w, r);
    };
    auto label = [&](int index, QWidget* parent, const QString& caption, const TwipRect& r, int tab,
                     const QColor& color = QColor()) {
        auto* l = new QLabel(labelText(caption), parent);
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // Labels are opaque, so the ones on a frame's edge hide its line.
        l->setAutoFillBackground(true);
        if (color.isValid()) {
            QPalette pal = l->palette();
            pal.setColor(QPalette::WindowText, color);
            l->setPalette(pal);
        }
        place(l, arrayName("Label1", index), r, tab);
        Label1[std::size_t(index)] = l;
    };
    auto frame = [&](int index, QWidget* parent, const QString& caption, bool bordered,
                     const TwipRect& r, int tab) {
        auto* f = new Frame(caption, bordered, parent);
        if (bordered)
            f->setCaptionColor(kCaptionRed);
        place(f, arrayName("Frame1", index), r, tab);
        Frame1[std::size_t(index)] = f;
        return f;
    };
    auto button = [&](QPushButton* b, const QString& name, const TwipRect& r, int tab) {
        // Outside a dialog a focused button only takes Enter when asked to.
        b->setAutoDefault(true);
        place(b, name, r, tab);
        return b;
    };

    // Text search.
    Frame* f0 = frame(0, client_, QStringLiteral("Text search"), true, {60, 480, 6795, 645}, 0);
    Text1[1] = new TextBox(f0);
    place(Text1[1], arrayName("Text1", 1), {120, 270, 4155, 285}, 4);
    Text1[1]->setToolTip(QStringLiteral(
        "Type interpretation(s), keyword(s) or phrase to search for.  "
        "(Separate multiple keywords by blank space.)"));
    Command2[2] = new PictureButton(art::dropDownArrow(), f0);
    place(Command2[2], arrayName("Command2", 2), {4020, 300, 225, 225}, 35);
    Frame* f5 = frame(5, f0, QStringLiteral("Frame2"), false, {4380, 270, 2355, 285}, 14);
    const char* optionCaptions[3] = {"And", "Or", "Phrase"};
    const TwipRect optionRects[3] = {{0, 0, 705, 285}, {690, 0, 615, 285}, {1350, 0, 1005, 285}};
    const int optionTabs[3] = {17, 16, 15};
    const char* optionTips[3] = {
        "Finds only those interpretations containing ALL specified keywords.",
        "Finds all interpretations containing ANY or ALL specified keyword(s).",
        "Treats keywords in text search box as one phrase or sentence."};
    for (int i = 0; i < 3; ++i) {
        Option1[std::size_t(i)] = new QRadioButton(QString::fromLatin1(optionCaptions[i]), f5);
        place(Option1[std::size_t(i)], arrayName("Option1", i), optionRects[i], optionTabs[i]);
        Option1[std::size_t(i)]->setToolTip(QString::fromLatin1(optionTips[i]));
    }
    Option1[0]->setChecked(true);

    // Paragraph search.
    Frame* f2 = frame(2, client_, QStringLiteral("Paragraph search"), true, {6930, 480, 2655, 645}, 1);
    Text1[0] = new TextBox(f2);
    place(Text1[0], arrayName("Text1", 0), {120, 270, 2415, 285}, 5);
    Text1[0]->setToolTip(QStringLiteral("Type or select a paragraph number from the list."));
    Command2[0] = new PictureButton(art::dropDownArrow(), f2);
    place(Command2[0], arrayName("Command2", 0), {2280, 300, 225, 225}, 6);

    // The two drop-down lists, hidden until their buttons show them.
    ListView1[1] = new ListView(QStringLiteral("Paragraphs"), client_);
    place(ListView1[1], arrayName("ListView1", 1), {180, 1020, 3915, 2355}, 36);
    ListView1[1]->hide();
    ListView1[0] = new ListView(QStringLiteral("Paragraphs"), client_);
    place(ListView1[0], arrayName("ListView1", 0), {7050, 1020, 2175, 2355}, 10);
    ListView1[0]->hide();

    // Interpretation view.
    Frame* f4 = frame(4, client_, QStringLiteral("Interpretation:"), true, {60, 1200, 6795, 4935}, 3);
    Frame* f6 = frame(6, f4, QString(), false, {3270, 0, 3435, 225}, 18);
    f6->setAutoFillBackground(true);
    label(1, f6, QStringLiteral("Volume:"), {0, 0, 570, 195}, 24, kCaptionRed);
    label(2, f6, QStringLiteral("12345"), {660, 0, 450, 195}, 23);
    label(3, f6, QStringLiteral("Interpretation:"), {1200, 0, 975, 195}, 22, kCaptionRed);
    label(4, f6, QStringLiteral("n/a"), {2250, 0, 450, 195}, 21);
    label(5, f6, QStringLiteral("of"), {2730, 0, 135, 195}, 20, kCaptionRed);
    label(6, f6, QStringLiteral("12345"), {2970, 0, 450, 195}, 19);

    RichTextBox1 = new QTextEdit(f4);
    place(RichTextBox1, QStringLiteral("RichTextBox1"), {120, 270, 6600, 4245}, 8);
    RichTextBox1->setReadOnly(true);
    RichTextBox1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    const QFont courier = designFont(QStringLiteral("Courier"), 9.75);
    RichTextBox1->setFont(courier);
    RichTextBox1->document()->setDefaultFont(courier);
    RichTextBox1->setCurrentFont(courier);

    label(0, f4, QStringLiteral("Label1"), {1200, 0, 480, 195}, 9);
    Shape1 = new Shape(kCaptionRed, f4);
    place(Shape1, QStringLiteral("Shape1"), {120, 270, 6570, 4245}, -1);

    Frame* f1 = frame(1, f4, QStringLiteral("Frame2"), false, {150, 4620, 2475, 240}, 25);
    Command4[0] = button(new QPushButton(f1), arrayName("Command4", 0), {30, 0, 225, 225}, 31);
    label(7, f1, QStringLiteral("Show first"), {300, 0, 690, 195}, 33);
    Command4[1] = button(new QPushButton(f1), arrayName("Command4", 1), {1080, 0, 225, 225}, 32);
    label(8, f1, QStringLiteral("Show previous"), {1350, 0, 1050, 195}, 34);
    Frame* f7 = frame(7, f4, QStringLiteral("Frame2"), false, {4230, 4620, 2475, 240}, 26);
    label(9, f7, QStringLiteral("Show next"), {240, 0, 750, 195}, 29);
    Command4[2] = button(new QPushButton(f7), arrayName("Command4", 2), {1050, 0, 225, 225}, 27);
    label(10, f7, QStringLiteral("Show last"), {1500, 0, 690, 195}, 30);
    Command4[3] = button(new QPushButton(f7), arrayName("Command4", 3), {2250, 0, 225, 225}, 28);

    // Results.
    Frame* f3 = frame(3, client_, QStringLiteral("Interpretations found"), true, {6930, 1200, 2655, 4935}, 2);
    ListView1[2] = new ListView(QStringLiteral("Interpretations found"), f3);
    place(ListView1[2], arrayName("ListView1", 2), {120, 270, 2415, 3795}, 7);

    // Buttons.
    Command1[1] = button(new QPushButton(QStringLiteral("&Search"), client_), arrayName("Command1", 1),
                         {8580, 6210, 1000, 315}, 12);
    Command1[1]->setToolTip(QStringLiteral("Start the text search."));
    Command1[0] = button(new QPushButton(QStringLiteral("E&xit"), client_), arrayName("Command1", 0),
                         {8580, 6570, 1000, 315}, 11);
    // Never seen: it lies behind the text-search frame and only takes Enter.
    Command3 = button(new QPushButton(QStringLiteral("Command3"), client_), QStringLiteral("Command3"),
                      {2460, 570, 1215, 525}, 13);
    {
        QPalette pal = Command3->palette();
        pal.setColor(QPalette::Button, kLightGrey);
        Command3->setPalette(pal);
    }

    // --- wiring ---------------------------------------------------------------
    for (int i = 0; i < 2; ++i) {
        TextBox* t = Text1[std::size_t(i)];
        connect(t, &QLineEdit::textChanged, this, [this, i] { Text1_Change(i); });
        t->onKeyDown = [this, i](int code, int shift) { Text1_KeyDown(i, code, shift); };
        t->onKeyPress = [this, i](int& ascii) { Text1_KeyPress(i, ascii); };
        t->onKeyUp = [this, i](int code, int shift) { Text1_KeyUp(i, code, shift); };
        t->onGotFocus = [this, i] { Text1_GotFocus(i); };
        t->onLostFocus = [this, i] { Text1_LostFocus(i); };
    }
    for (int i = 0; i < 3; ++i) {
        // An option's click runs when it becomes the selected one, by the
        // user or by the program.
        connect(Option1[std::size_t(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Option1_Click(i);
        });
        Option1[std::size_t(i)]->installEventFilter(this);
    }
    for (int i = 0; i < 2; ++i)
        connect(Command1[std::size_t(i)], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    for (int i : {0, 2})
        connect(Command2[std::size_t(i)], &PictureButton::clicked, this, [this, i] { Command2_Click(i); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    for (int i = 0; i < 4; ++i)
        connect(Command4[std::size_t(i)], &QPushButton::clicked, this, [this, i] { Command4_Click(i); });
    for (int i = 0; i < 3; ++i) {
        ListView* lv = ListView1[std::size_t(i)];
        lv->onItemClick = [this, i](QTreeWidgetItem* item) { ListView1_ItemClick(i, item); };
        lv->onKeyUp = [this, i](int code, int shift) { ListView1_KeyUp(i, code, shift); };
        lv->onMouseUp = [this, i](int b, int shift, int x, int y) { ListView1_MouseUp(i, b, shift, x, y); };
        lv->onGotFocus = [this, i] { ListView1_GotFocus(i); };
        lv->onLostFocus = [this, i] { ListView1_LostFocus(i); };
    }
    RichTextBox1->installEventFilter(this);
}

void orvaneIntMain::createMenus()
{
    QMenuBar* bar = menuBar();
    mnuFile = bar->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    connect(mnuFile, &QMenu::aboutToShow, this, [this] { mnuFile_Click(); });

    mnuFileOpenMenu = mnuFile->addMenu(QStringLiteral("&Open..."));
    mnuFileOpenMenu->setObjectName(QStringLiteral("mnuFileOpen"));
    mnuFileOpen = mnuFileOpenMenu->menuAction();
    mnuFileOpen->setObjectName(QStringLiteral("mnuFileOpen"));
    connect(mnuFileOpenMenu, &QMenu::aboutToShow, this, [this] { mnuFileOpen_Click(); });
    showChecksOnlyWhenChecked(mnuFileOpenMenu);
    QAction* placeholder = mnuFileOpenMenu->addAction(QStringLiteral("No valid database present"));
    placeholder->setObjectName(QStringLiteral("mnuFileOpenSection(0)"));
    placeholder->setEnabled(false);
    placeholder->setCheckable(true);
    connect(placeholder, &QAction::triggered, this, [this] { mnuFileOpenSection_Click(0); });
    mnuFileOpenSection.push_back(placeholder);

    auto separator = [](QMenu* menu, const char* name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(QLatin1String(name));
        return a;
    };
    auto item = [this](QMenu* menu, const QString& caption, const char* name, auto handler) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    mnuFileSpacer0 = separator(mnuFile, "mnuFileSpacer0");
    mnuFileImport = item(mnuFile, QStringLiteral("&Import"), "mnuFileImport", [this] { mnuFileImport_Click(); });
    mnuFileSpacer1 = separator(mnuFile, "mnuFileSpacer1");
    mnuPrint = item(mnuFile, QStringLiteral("&Print"), "mnuPrint", [this] { mnuPrint_Click(); });
    mnuPrintSetup = item(mnuFile, QStringLiteral("Printer Set&up..."), "mnuPrintSetup",
                         [this] { mnuPrintSetup_Click(); });
    mnuFileSpacer2 = separator(mnuFile, "mnuFileSpacer2");
    mnuFileExit = item(mnuFile, QStringLiteral("E&xit"), "mnuFileExit", [this] { mnuFileExit_Click(); });

    mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    // Both separator lines are drawn, one under the other.
    mnuHelp->setSeparatorsCollapsible(false);
    mnuHelpHelp = item(mnuHelp, QStringLiteral("Help"), "mnuHelpHelp", [this] { mnuHelpHelp_Click(); });
    mnuHelpSeperator0 = separator(mnuHelp, "mnuHelpSeperator0");
    mnuHelpSeperator1 = separator(mnuHelp, "mnuHelpSeperator1");
    mnuHelpAbout = item(mnuHelp, QStringLiteral("&About"), "mnuHelpAbout", [this] { mnuHelpAbout_Click(); });
}

QAction* orvaneIntMain::loadSectionEntry(int index)
{
    Q_ASSERT(index == int(mnuFileOpenSection.size()));
    QAction* a = mnuFileOpenMenu->addAction(QString());
    a->setObjectName(arrayName("mnuFileOpenSection", index));
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, index] { mnuFileOpenSection_Click(index); });
    mnuFileOpenSection.push_back(a);
    return a;
}

void orvaneIntMain::unloadSectionEntry(int index)
{
    if (index <= 0 || index != int(mnuFileOpenSection.size()) - 1)
        return;
    QAction* a = mnuFileOpenSection.back();
    mnuFileOpenSection.pop_back();
    mnuFileOpenMenu->removeAction(a);
    a->deleteLater();
}

void orvaneIntMain::applyStackingOrder()
{
    // Front to back per container; raising from the back leaves the first
    // one on top.
    auto stack = [](std::initializer_list<QWidget*> frontToBack) {
        std::vector<QWidget*> v(frontToBack);
        for (auto it = v.rbegin(); it != v.rend(); ++it)
            (*it)->raise();
    };
    stack({Toolbar1, ListView1[1], Command1[1], Command1[0], ListView1[0], Frame1[2], Frame1[0],
           Command3, Frame1[4], Frame1[3]});
    stack({Command2[0], Text1[0]});
    stack({Command2[2], Frame1[5], Text1[1]});
    stack({Frame1[7], Frame1[1], Frame1[6], RichTextBox1, Label1[0], Shape1});
}

void orvaneIntMain::applyTabOrder()
{
    std::vector<QWidget*> focusable;
    for (QWidget* w : client_->findChildren<QWidget*>()) {
        if (w->property(kTabIndex).isValid() && (w->focusPolicy() & Qt::TabFocus))
            focusable.push_back(w);
    }
    std::sort(focusable.begin(), focusable.end(), [](QWidget* a, QWidget* b) {
        return a->property(kTabIndex).toInt() < b->property(kTabIndex).toInt();
    });
    for (std::size_t i = 1; i < focusable.size(); ++i)
        setTabOrder(focusable[i - 1], focusable[i]);
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
    l.toolbarHeight = twips(Toolbar1).height;
    l.frame0 = twips(Frame1[0]);
    l.frame1 = twips(Frame1[1]);
    l.frame2 = twips(Frame1[2]);
    l.frame3 = twips(Frame1[3]);
    l.frame4 = twips(Frame1[4]);
    l.frame5 = twips(Frame1[5]);
    l.frame6 = twips(Frame1[6]);
    l.frame7 = twips(Frame1[7]);
    l.text1_1 = twips(Text1[1]);
    l.command1_0 = twips(Command1[0]);
    l.command1_1 = twips(Command1[1]);
    l.command2_2 = twips(Command2[2]);
    l.listView1_0 = twips(ListView1[0]);
    l.listView1_1 = twips(ListView1[1]);
    l.listView1_2 = twips(ListView1[2]);
    l.richTextBox1 = twips(RichTextBox1);
    l.shape1 = twips(Shape1);
    return l;
}

void orvaneIntMain::applyLayout(const MainLayout& l)
{
    const std::pair<QWidget*, TwipRect> all[] = {
        {Frame1[0], l.frame0},        {Frame1[1], l.frame1},         {Frame1[2], l.frame2},
        {Frame1[3], l.frame3},        {Frame1[4], l.frame4},         {Frame1[5], l.frame5},
        {Frame1[6], l.frame6},        {Frame1[7], l.frame7},         {Text1[1], l.text1_1},
        {Command1[0], l.command1_0},  {Command1[1], l.command1_1},   {Command2[2], l.command2_2},
        {ListView1[0], l.listView1_0}, {ListView1[1], l.listView1_1}, {ListView1[2], l.listView1_2},
        {RichTextBox1, l.richTextBox1}, {Shape1, l.shape1},
    };
    for (const auto& [w, r] : all)
        if (!(twips(w) == r))
            setTwips(w, r);
}

// --- life-cycle ---------------------------------------------------------------

void orvaneIntMain::Form_Initialize()
{
    // Nothing to prepare before loading.
}

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

void orvaneIntMain::Form_Load()
{
    centreOnScreen();
    if (frameGeometry() == geometry())
        centredWithEstimate_ = pos();

    if (!initiateProgram())
        mnuFileImport_Click();
}

void orvaneIntMain::loadAndShow()
{
    Form_Load();
    if (platform_.programEnded())
        return;
    show();
}

void orvaneIntMain::Form_Activate()
{
    processCommandLine();
    state_.startingUp = false;
}

void orvaneIntMain::Form_Unload()
{
    try {
        if (state_.dbInterpretation && state_.dbInterpretation->isOpen())
            state_.dbInterpretation->close();
    } catch (const std::exception&) {
    }
    try {
        if (state_.dbWorkspace && state_.dbWorkspace->isOpen())
            state_.dbWorkspace->close();
    } catch (const std::exception&) {
    }
}

void orvaneIntMain::Form_Resize()
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
        if (activationPending_ && isVisible()
            && (isActiveWindow() || QApplication::activeWindow() == nullptr))
            runPendingActivation();
    });
}

void orvaneIntMain::runPendingActivation()
{
    recentreOnceFramed();
    activationPending_ = false;
    Form_Activate();
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
    TwipRect bar = twips(Toolbar1);
    bar.width = toTwips(client_->width());
    setTwips(Toolbar1, bar);
    Form_Resize();
}

void orvaneIntMain::closeEvent(QCloseEvent* e)
{
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
    }
    e->accept();
}

void orvaneIntMain::keyPressEvent(QKeyEvent* e)
{
    // Keys that reach the window were not taken by the focused control:
    // Enter presses the default button, Escape the cancel button.
    const auto mods = e->modifiers() & ~Qt::KeypadModifier;
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && mods == Qt::NoModifier) {
        Command3->click();
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
        Command1[0]->click();
        e->accept();
        return;
    }
    QMainWindow::keyPressEvent(e);
}

bool orvaneIntMain::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::FocusIn) {
        if (watched == RichTextBox1) {
            RichTextBox1_GotFocus();
        } else {
            for (int i = 0; i < 3; ++i)
                if (watched == Option1[std::size_t(i)])
                    Option1_GotFocus(i);
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

// --- shell commands --------------------------------------------------------------

void orvaneIntMain::mnuFileExit_Click()
{
    close();
}

void orvaneIntMain::Command1_Click(int index)
{
    if (index == 0)
        close();
    else if (index == 1)
        performSearch();
}

void orvaneIntMain::Command3_Click()
{
    performSearch();
}

void orvaneIntMain::mnuHelpHelp_Click()
{
    platform_.messageBox(this, QStringLiteral("Help"),
                         QStringLiteral("Brief context sensitive help descriptions are provided for "
                                        "all entry items contained in this program.")
                             + QStringLiteral("To get help, simply point and hold the mouse cursor "
                                              "over the item in question."),
                         MessageIcon::Question, MessageButtons::Ok);
}

void orvaneIntMain::mnuHelpAbout_Click()
{
    {
        // Loaded afresh each time, unloaded when closed.
        orvaneIntAbout about(platform_, this);
        about.exec();
    }
    ownWindowClosed();
}

void orvaneIntMain::Toolbar1_ButtonClick(int index)
{
    if (index == 1) {
        const QPoint below(0, toPixels(twips(Toolbar1).height));
        mnuFileOpenMenu->exec(client_->mapToGlobal(below));
    } else if (index == 2) {
        mnuPrint_Click();
    }
}

} // namespace orvane::ui
