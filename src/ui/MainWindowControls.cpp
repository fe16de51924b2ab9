// The main window's control inventory: every control under its design name,
// position (twips), tab index, caption and tooltip.

#include "ui/MainWindow.h"

#include "app/Controller.h"

#include "ui/Artwork.h"
#include "ui/Controls.h"
#include "view/ParagraphLayout.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

namespace orvane::ui {

namespace {

const QColor kCaptionRed(128, 0, 0);      // &H00000080
const QColor kLightGrey(224, 224, 224);   // &H00E0E0E0
const char* const kTabIndex = "TabIndex";

QString arrayName(const char* name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

struct OptionSpec {
    const char* caption;
    TwipRect rect;
    int tab;
    const char* tip;
};
const OptionSpec kOptions[3] = {
    {"And", {0, 0, 705, 285}, 17, "Finds only those interpretations containing ALL specified keywords."},
    {"Or", {690, 0, 615, 285}, 16, "Finds all interpretations containing ANY or ALL specified keyword(s)."},
    {"Phrase", {1350, 0, 1005, 285}, 15, "Treats keywords in text search box as one phrase or sentence."},
};

struct LabelSpec {
    int index;
    const char* caption;
    TwipRect rect;
    int tab;
    bool red;
};
// The status line on the view frame's edge (inside Frame1(6)).
const LabelSpec kStatusLabels[6] = {
    {1, "Volume:", {0, 0, 570, 195}, 24, true},       {2, "12345", {660, 0, 450, 195}, 23, false},
    {3, "Interpretation:", {1200, 0, 975, 195}, 22, true}, {4, "n/a", {2250, 0, 450, 195}, 21, false},
    {5, "of", {2730, 0, 135, 195}, 20, true},         {6, "12345", {2970, 0, 450, 195}, 19, false},
};

// The four navigation buttons and their captions: in which of the two
// groups (Frame1(1) or Frame1(7)) they stand, and where.
struct NavigationSpec {
    int frame;
    TwipRect button;
    int buttonTab;
    const char* caption;
    TwipRect label;
    int labelTab;
};
const NavigationSpec kNavigation[4] = {
    {1, {30, 0, 225, 225}, 31, "Show first", {300, 0, 690, 195}, 33},
    {1, {1080, 0, 225, 225}, 32, "Show previous", {1350, 0, 1050, 195}, 34},
    {7, {1050, 0, 225, 225}, 27, "Show next", {240, 0, 750, 195}, 29},
    {7, {2250, 0, 225, 225}, 28, "Show last", {1500, 0, 690, 195}, 30},
};

} // namespace

void orvaneIntMain::place(QWidget* w, const QString& name, const TwipRect& r, int tabIndex)
{
    w->setObjectName(name);
    if (tabIndex >= 0)
        w->setProperty(kTabIndex, tabIndex);
    setTwips(w, r);
}

QLabel* orvaneIntMain::addLabel(int index, QWidget* parent, const QString& caption, const TwipRect& r,
                                int tabIndex, bool red)
{
    auto* l = new QLabel(labelText(caption), parent);
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Labels are opaque, so the ones on a frame's edge hide its line.
    l->setAutoFillBackground(true);
    if (red) {
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, kCaptionRed);
        l->setPalette(pal);
    }
    place(l, arrayName("Label1", index), r, tabIndex);
    labels_[std::size_t(index)] = l;
    return l;
}

Frame* orvaneIntMain::addFrame(int index, QWidget* parent, const QString& caption, bool bordered,
                               const TwipRect& r, int tabIndex)
{
    auto* f = new Frame(caption, bordered, parent);
    if (bordered)
        f->setCaptionColor(kCaptionRed);
    place(f, arrayName("Frame1", index), r, tabIndex);
    frames_[std::size_t(index)] = f;
    return f;
}

QPushButton* orvaneIntMain::addButton(QPushButton* b, const QString& name, const TwipRect& r, int tabIndex)
{
    // Outside a dialog a focused button only takes Enter when asked to.
    b->setAutoDefault(true);
    place(b, name, r, tabIndex);
    return b;
}

void orvaneIntMain::createControls()
{
    createSearchControls();
    createViewControls();

    // Results.
    Frame* found = addFrame(3, client_, QStringLiteral("Interpretations found"), true, {6930, 1200, 2655, 4935}, 2);
    resultsList_ = new ListView(found);
    controller_.resultsModel()->setLook(listLook(QStringLiteral("Interpretations found")));
    resultsList_->setModel(controller_.resultsModel());
    place(resultsList_, arrayName("ListView1", 2), {120, 270, 2415, 3795}, 7);

    // Buttons.
    searchButton_ = addButton(new QPushButton(QStringLiteral("&Search"), client_), arrayName("Command1", 1),
                              {8580, 6210, 1000, 315}, 12);
    searchButton_->setToolTip(QStringLiteral("Start the text search."));
    exitButton_ = addButton(new QPushButton(QStringLiteral("E&xit"), client_), arrayName("Command1", 0),
                            {8580, 6570, 1000, 315}, 11);
    // Never seen: it lies behind the text-search frame and only takes Enter.
    defaultButton_ = addButton(new QPushButton(QStringLiteral("Command3"), client_), QStringLiteral("Command3"),
                               {2460, 570, 1215, 525}, 13);
    // A control nobody sees takes no focus: Tab would stop on it with no
    // visible focus, and Space would silently run the search again.
    defaultButton_->setFocusPolicy(Qt::NoFocus);
    QPalette pal = defaultButton_->palette();
    pal.setColor(QPalette::Button, kLightGrey);
    defaultButton_->setPalette(pal);
}

void orvaneIntMain::createSearchControls()
{
    // Text search.
    Frame* text = addFrame(0, client_, QStringLiteral("Text search"), true, {60, 480, 6795, 645}, 0);
    keywordEntry_ = new TextBox(text);
    place(keywordEntry_, arrayName("Text1", 1), {120, 270, 4155, 285}, 4);
    keywordEntry_->setToolTip(QStringLiteral("Type interpretation(s), keyword(s) or phrase to search for.  "
                                             "(Separate multiple keywords by blank space.)"));
    historyDropButton_ = new PictureButton(art::dropDownArrow(), text);
    place(historyDropButton_, arrayName("Command2", 2), {4020, 300, 225, 225}, 35);
    Frame* options = addFrame(5, text, QStringLiteral("Frame2"), false, {4380, 270, 2355, 285}, 14);
    for (int i = 0; i < 3; ++i) {
        const OptionSpec& o = kOptions[i];
        auto* b = new QRadioButton(QString::fromLatin1(o.caption), options);
        place(b, arrayName("Option1", i), o.rect, o.tab);
        b->setToolTip(QString::fromLatin1(o.tip));
        modeOptions_[std::size_t(i)] = b;
    }
    modeOptions_[0]->setChecked(true);

    // Paragraph search.
    Frame* para = addFrame(2, client_, QStringLiteral("Paragraph search"), true, {6930, 480, 2655, 645}, 1);
    paragraphEntry_ = new TextBox(para);
    place(paragraphEntry_, arrayName("Text1", 0), {120, 270, 2415, 285}, 5);
    paragraphEntry_->setToolTip(QStringLiteral("Type or select a paragraph number from the list."));
    paragraphDropButton_ = new PictureButton(art::dropDownArrow(), para);
    place(paragraphDropButton_, arrayName("Command2", 0), {2280, 300, 225, 225}, 6);

    // The two drop-down lists, hidden until their buttons show them.
    historyModel_ = new app::PickListModel(this);
    historyModel_->setLook(listLook(QStringLiteral("Paragraphs")));
    historyList_ = new ListView(client_);
    historyList_->setModel(historyModel_);
    place(historyList_, arrayName("ListView1", 1), {180, 1020, 3915, 2355}, 36);
    historyList_->hide();
    paragraphModel_ = new app::PickListModel(this);
    paragraphModel_->setLook(listLook(QStringLiteral("Paragraphs")));
    paragraphList_ = new ListView(client_);
    paragraphList_->setModel(paragraphModel_);
    place(paragraphList_, arrayName("ListView1", 0), {7050, 1020, 2175, 2355}, 10);
    paragraphList_->hide();
}

void orvaneIntMain::createViewControls()
{
    Frame* view = addFrame(4, client_, QStringLiteral("Interpretation:"), true, {60, 1200, 6795, 4935}, 3);
    Frame* status = addFrame(6, view, QString(), false, {3270, 0, 3435, 225}, 18);
    status->setAutoFillBackground(true);
    for (const LabelSpec& l : kStatusLabels)
        addLabel(l.index, status, QString::fromLatin1(l.caption), l.rect, l.tab, l.red);
    volumeLabel_ = labels_[2];
    positionLabel_ = labels_[4];
    countLabel_ = labels_[6];

    textView_ = new QTextEdit(view);
    place(textView_, QStringLiteral("RichTextBox1"), {120, 270, 6600, 4245}, 8);
    textView_->setReadOnly(true);
    textView_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    const QFont courier = designFont(QStringLiteral("Courier"), 9.75);
    // Latin text in a fixed-pitch face has nothing for OpenType shaping to
    // do (no ligatures, no kerning pairs), and shaping is most of the cost
    // of laying an interpretation out: the view skips it.
    QFont viewFont = courier;
    viewFont.setStyleStrategy(QFont::PreferNoShaping);
    textView_->setFont(viewFont);
    textView_->document()->setDefaultFont(viewFont);
    textView_->setCurrentFont(viewFont);
    // Printed pages set the text in the font the view shows it in.
    controller_.setTextFont(courier);
    // The view is read-only: there is nothing to undo, and keeping the
    // history of every load would only cost time and memory.
    textView_->document()->setUndoRedoEnabled(false);
    // Laid out as far as it is read: a long text costs no more to show
    // than a short one.
    textLayout_ = new view::ParagraphLayout(textView_->document());
    textView_->document()->setDocumentLayout(textLayout_);

    identifierLabel_ = addLabel(0, view, QStringLiteral("Label1"), {1200, 0, 480, 195}, 9);
    textOutline_ = new Shape(kCaptionRed, view);
    place(textOutline_, QStringLiteral("Shape1"), {120, 270, 6570, 4245}, -1);

    addFrame(1, view, QStringLiteral("Frame2"), false, {150, 4620, 2475, 240}, 25);
    addFrame(7, view, QStringLiteral("Frame2"), false, {4230, 4620, 2475, 240}, 26);
    for (int i = 0; i < 4; ++i) {
        const NavigationSpec& n = kNavigation[i];
        Frame* group = frames_[std::size_t(n.frame)];
        navigationButtons_[std::size_t(i)] =
            addButton(new QPushButton(group), arrayName("Command4", i), n.button, n.buttonTab);
        navigationLabels_[std::size_t(i)] =
            addLabel(7 + i, group, QString::fromLatin1(n.caption), n.label, n.labelTab);
    }
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

void orvaneIntMain::applyStackingOrder()
{
    // Front to back per container; raising from the back leaves the first
    // one on top.
    auto stack = [](std::initializer_list<QWidget*> frontToBack) {
        std::vector<QWidget*> v(frontToBack);
        for (auto it = v.rbegin(); it != v.rend(); ++it)
            (*it)->raise();
    };
    stack({toolbar_, historyList_, searchButton_, exitButton_, paragraphList_, frames_[2], frames_[0],
           defaultButton_, frames_[4], frames_[3]});
    stack({paragraphDropButton_, paragraphEntry_});
    stack({historyDropButton_, frames_[5], keywordEntry_});
    stack({frames_[7], frames_[1], frames_[6], textView_, identifierLabel_, textOutline_});
}

} // namespace orvane::ui
