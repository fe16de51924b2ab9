// The resize rule, as a pure function and as the window applies it.

#include "ui/Controls.h"
#include "ui/Layout.h"
#include "ui/MainWindow.h"
#include "app/Controller.h"
#include "app/ProgramState.h"
#include "support/ScriptedPlatform.h"
#include "support/WindowControls.h"

#include <QtTest>

using namespace orvane::ui;
using namespace orvane::app;
using orvane::testing::controls;

namespace {

// The design positions, written out independently of the window's code.
MainLayout design()
{
    MainLayout l;
    l.toolbarHeight = 360;
    l.frame0 = {60, 480, 6795, 645};
    l.frame1 = {150, 4620, 2475, 240};
    l.frame2 = {6930, 480, 2655, 645};
    l.frame3 = {6930, 1200, 2655, 4935};
    l.frame4 = {60, 1200, 6795, 4935};
    l.frame5 = {4380, 270, 2355, 285};
    l.frame6 = {3270, 0, 3435, 225};
    l.frame7 = {4230, 4620, 2475, 240};
    l.text1_1 = {120, 270, 4155, 285};
    l.command1_0 = {8580, 6570, 1000, 315};
    l.command1_1 = {8580, 6210, 1000, 315};
    l.command2_2 = {4020, 300, 225, 225};
    l.listView1_0 = {7050, 1020, 2175, 2355};
    l.listView1_1 = {180, 1020, 3915, 2355};
    l.listView1_2 = {120, 270, 2415, 3795};
    l.richTextBox1 = {120, 270, 6600, 4245};
    l.shape1 = {120, 270, 6570, 4245};
    return l;
}

// Only the horizontal or only the vertical properties of a layout.
struct Horizontal {
    std::vector<int> v;
    explicit Horizontal(const MainLayout& l)
        : v{l.frame0.left, l.frame0.width, l.frame2.left, l.frame2.width, l.frame3.left,
            l.frame4.width, l.frame5.left, l.frame6.left, l.frame7.left, l.text1_1.width,
            l.command1_0.left, l.command1_1.left, l.command2_2.left, l.listView1_0.left,
            l.listView1_0.width, l.listView1_1.width, l.richTextBox1.width, l.shape1.width}
    {
    }
};
struct Vertical {
    std::vector<int> v;
    explicit Vertical(const MainLayout& l)
        : v{l.frame1.top, l.frame3.top, l.frame3.height, l.frame4.top, l.frame4.height,
            l.frame7.top, l.command1_0.top, l.command1_1.top, l.listView1_2.height,
            l.richTextBox1.top, l.richTextBox1.height, l.shape1.height}
    {
    }
};

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void widthThreshold();
    void heightThreshold();
    void passesAreIndependent();
    void shrinkingKeepsTheWiderLayout();
    void negativeSizesAreNotAssigned();
    void windowAppliesTheRuleToItsOuterSize();
    void statusLineRule_data();
    void statusLineRule();
    void statusLineNeverOverlaps_data();
    void statusLineNeverOverlaps();
};

void TestLayout::widthThreshold()
{
    const MainLayout d = design();
    QCOMPARE(layoutMainWindow(d, 9200, 6000), d);

    const MainLayout l = layoutMainWindow(d, 9201, 6000);
    QCOMPARE(l.frame2.left, 9201 - 2835);
    QCOMPARE(l.frame3.left, 9201 - 2835);
    QCOMPARE(l.command1_0.left, 9201 - 1180);
    QCOMPARE(l.command1_1.left, 9201 - 1180);
    QCOMPARE(l.frame0.width, 6186);
    QCOMPARE(l.frame4.width, 6186);
    QCOMPARE(l.richTextBox1.width, 5916);
    QCOMPARE(l.shape1.width, 5916);
    QCOMPARE(l.frame5.left, 6186 - 2415);
    QCOMPARE(l.text1_1.width, 6186 - 2655);
    QCOMPARE(l.frame6.left, 6186 - 3495);
    QCOMPARE(l.frame7.left, 6186 - 2655);
    // Uses the keyword entry's new width.
    QCOMPARE(l.command2_2.left, 120 + 3531 - 225 - 30);
    QCOMPARE(l.listView1_1.width, 3531 - 255);
    // Uses the paragraph frame's new left.
    QCOMPARE(l.listView1_0.left, 6366 + 180);
    // Nothing vertical moved at this height.
    QCOMPARE(Vertical(l).v, Vertical(d).v);
    // Not part of the rule.
    QCOMPARE(l.listView1_0.width, d.listView1_0.width);
    QCOMPARE(l.listView1_1.left, d.listView1_1.left);
}

void TestLayout::heightThreshold()
{
    const MainLayout d = design();
    QCOMPARE(layoutMainWindow(d, 9000, 6400), d);

    const MainLayout l = layoutMainWindow(d, 9000, 6401);
    QCOMPARE(l.command1_0.top, 6401 - 845 - 360);
    QCOMPARE(l.command1_1.top, 5196 - 375);
    QCOMPARE(l.frame3.height, 4821 - 1200 - 90);
    QCOMPARE(l.frame4.height, 3531);
    QCOMPARE(l.frame1.top, 3531 - 360);
    QCOMPARE(l.frame7.top, 3531 - 360);
    QCOMPARE(l.listView1_2.height, 3531 - 390);
    QCOMPARE(l.richTextBox1.height, (3531 - 390) - 360);
    QCOMPARE(l.shape1.height, (3531 - 390) - 360);
    QCOMPARE(Horizontal(l).v, Horizontal(d).v);
    // Tops of the frames and of the text view never move.
    QCOMPARE(l.frame3.top, d.frame3.top);
    QCOMPARE(l.richTextBox1.top, d.richTextBox1.top);

    // The toolbar's current height is part of the bottom margin.
    MainLayout tall = d;
    tall.toolbarHeight = 600;
    QCOMPARE(layoutMainWindow(tall, 9000, 6401).command1_0.top, 6401 - 845 - 600);
}

void TestLayout::passesAreIndependent()
{
    const MainLayout d = design();
    const MainLayout both = layoutMainWindow(d, 12000, 9000);
    const MainLayout wideOnly = layoutMainWindow(d, 12000, 6000);
    const MainLayout tallOnly = layoutMainWindow(d, 9000, 9000);
    QCOMPARE(Horizontal(both).v, Horizontal(wideOnly).v);
    QCOMPARE(Vertical(both).v, Vertical(tallOnly).v);
}

void TestLayout::shrinkingKeepsTheWiderLayout()
{
    const MainLayout grown = layoutMainWindow(design(), 14000, 10000);
    QCOMPARE(grown.frame3.left, 14000 - 2835);
    QCOMPARE(layoutMainWindow(grown, 8000, 5000), grown);
    // Shrinking along one axis only keeps that axis and redoes the other.
    const MainLayout narrow = layoutMainWindow(grown, 8000, 8000);
    QCOMPARE(Horizontal(narrow).v, Horizontal(grown).v);
    QCOMPARE(narrow.command1_0.top, 8000 - 845 - 360);
}

void TestLayout::negativeSizesAreNotAssigned()
{
    MainLayout d = design();
    d.toolbarHeight = 20000;   // pushes every bottom far above the tops
    const MainLayout l = layoutMainWindow(d, 9000, 6401);
    // Positions may go negative...
    QCOMPARE(l.command1_0.top, 6401 - 845 - 20000);
    // ...sizes may not: they keep their values and the pass goes on.
    QCOMPARE(l.frame3.height, d.frame3.height);
    QCOMPARE(l.frame4.height, d.frame4.height);
    QCOMPARE(l.listView1_2.height, d.frame3.height - 390);
    QCOMPARE(l.frame1.top, d.frame4.height - 360);
}

void TestLayout::windowAppliesTheRuleToItsOuterSize()
{
    ScriptedPlatform platform;
    Controller controller{platform};
    orvaneIntMain w(controller, platform);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // The first showing already applied the rule to the design positions.
    const MainLayout designNow = layoutMainWindow(design(), w.outerSizeTwips().width(),
                                                  w.outerSizeTwips().height());
    QCOMPARE(w.currentLayout().frame3, designNow.frame3);

    w.resize(900, 700);
    QTRY_COMPARE(w.geometry().size(), QSize(900, 700));
    const QSize outer = w.outerSizeTwips();
    QVERIFY(outer.width() > 900 * 15);   // border included
    QCOMPARE(w.twips(controls(w).Frame1[3]).left, outer.width() - 2835);
    QCOMPARE(w.twips(controls(w).Command1[0]).top, outer.height() - 845 - w.twips(controls(w).Toolbar1).height);
    // ...and the widgets stand where the twips say.
    QCOMPARE(controls(w).Frame1[3]->x(), toPixels(outer.width() - 2835));
    QCOMPARE(controls(w).Command1[0]->y(), toPixels(outer.height() - 845 - 360));
    // The docked toolbar spans the client area.
    QCOMPARE(controls(w).Toolbar1->width(), w.centralWidget()->width());

    // Narrower than the threshold: the wide layout stays.
    const int keptLeft = w.twips(controls(w).Frame1[3]).left;
    w.resize(500, 700);
    QTRY_COMPARE(w.geometry().width(), 500);
    QCOMPARE(w.twips(controls(w).Frame1[3]).left, keptLeft);
}

namespace {

// The window's design of the line at 15 twips to the pixel.
StatusDesign statusDesign()
{
    StatusDesign d;
    d.items = {StatusSpan{80, 32}, {0, 38}, {44, 30}, {80, 65}, {150, 30}, {182, 9}, {198, 30}};
    d.groupWidth = 229;
    d.groupRightMargin = 6;
    return d;
}

} // namespace

// Widths asked for and given, for identifier, "Volume:", volume,
// "Interpretation:", position, "of", count, on a frame 453 pixels wide.
void TestLayout::statusLineRule_data()
{
    QTest::addColumn<QList<int>>("asked");
    QTest::addColumn<QList<int>>("given");
    QTest::addColumn<int>("groupLeft");
    QTest::newRow("design") << QList<int>{32, 38, 30, 65, 30, 9, 30}
                            << QList<int>{32, 38, 30, 65, 30, 9, 30} << 218;
    // Identifier room: 218 - 4 - 80 = 134.
    QTest::newRow("long identifier elided") << QList<int>{300, 38, 30, 65, 30, 9, 30}
                                            << QList<int>{134, 38, 30, 65, 30, 9, 30} << 218;
    // A wide volume moves the group left and takes room from the identifier.
    QTest::newRow("wide volume") << QList<int>{300, 38, 90, 65, 30, 9, 30}
                                 << QList<int>{74, 38, 90, 65, 30, 9, 30} << 158;
    // Group 229 + 3 * 170 = 739 wide: the identifier at its minimum (20),
    // then the volume, position and count give way in that order.
    QTest::newRow("values give way") << QList<int>{300, 38, 200, 65, 200, 9, 200}
                                     << QList<int>{20, 38, 20, 65, 20, 9, 164} << 104;
}

void TestLayout::statusLineRule()
{
    QFETCH(QList<int>, asked);
    QFETCH(QList<int>, given);
    QFETCH(int, groupLeft);
    const StatusDesign design = statusDesign();
    StatusWidths w{}, min{};
    for (std::size_t i = 0; i < 7; ++i) {
        w[i] = asked[qsizetype(i)];
        min[i] = i % 2 == 0 ? 20 : w[i];
    }
    const StatusPlacement at = layoutStatusLine(453, design, w, min);
    for (std::size_t i = 0; i < 7; ++i)
        QCOMPARE(at.items[i].width, given[qsizetype(i)]);
    QCOMPARE(at.group.left, groupLeft);
    QCOMPARE(at.group.right(), 453 - 6);
    QCOMPARE(at.items[0].left, 80);
    // The group holds its items, in order, none overlapping, and the
    // identifier ends before it.
    QVERIFY(at.items[0].right() + kStatusGap <= at.group.left);
    QCOMPARE(at.items[1].left, at.group.left);
    QVERIFY(at.items[6].right() <= at.group.right());
    for (std::size_t i = 2; i < 7; ++i)
        QVERIFY2(at.items[i].left >= at.items[i - 1].right(), qPrintable(QString::number(i)));
    if (QTest::currentDataTag() == QByteArray("design")) {
        for (std::size_t i = 1; i < 7; ++i)
            QCOMPARE(at.items[i].left - at.group.left, design.items[i].left);
    }
}

void TestLayout::statusLineNeverOverlaps_data()
{
    QTest::addColumn<int>("windowWidth");
    QTest::newRow("644") << 644;
    QTest::newRow("900") << 900;
    QTest::newRow("1280") << 1280;
}

// The labels on the interpretation frame's edge with long values: none
// covers another or the frame's caption, all stay inside the frame, and a
// value cut short shows its whole text as a tooltip.
void TestLayout::statusLineNeverOverlaps()
{
    QFETCH(int, windowWidth);
    ScriptedPlatform platform;
    Controller controller(platform);
    orvaneIntMain w(controller, platform);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.resize(windowWidth, 600);
    QTRY_COMPARE(w.geometry().width(), windowWidth);

    const QString identifier = QStringLiteral("ID-") + QString(47, u'W');   // 50 characters
    controls(w).Label1[0]->setText(identifier);
    controls(w).Label1[2]->setText(QStringLiteral("1234567890"));
    controls(w).Label1[4]->setText(QStringLiteral("12345"));
    controls(w).Label1[6]->setText(QStringLiteral("12345"));
    // The window grows its labels on a load; the line must still hold.
    growToText(controls(w).Label1[0]);
    growToText(controls(w).Label1[2]);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();

    QWidget* frame = controls(w).Frame1[4];
    const QFontMetrics fm(frame->font());
    QList<QPair<QString, QRect>> items{
        {QStringLiteral("caption"),
         QRect(6, 0, fm.horizontalAdvance(QStringLiteral("Interpretation:")) + 4, fm.height())}};
    for (int i = 0; i <= 6; ++i) {
        QLabel* l = controls(w).Label1[std::size_t(i)];
        items.append({l->objectName(), QRect(l->mapTo(frame, QPoint(0, 0)), l->size())});
    }
    for (const auto& [name, r] : items) {
        QVERIFY2(r.left() >= 0 && r.right() < frame->width(), qPrintable(name));
        for (const auto& [other, o] : items)
            if (name != other)
                QVERIFY2(!r.intersects(o), qPrintable(name + QStringLiteral(" covers ") + other));
    }
    // Full values where they fit; an identifier cut short keeps its text
    // and shows it whole as the tooltip.
    QCOMPARE(controls(w).Label1[0]->text(), identifier);
    QCOMPARE(controls(w).Label1[2]->width() >= controls(w).Label1[2]->sizeHint().width(), true);
    const bool cut = controls(w).Label1[0]->width() < controls(w).Label1[0]->sizeHint().width();
    QCOMPARE(controls(w).Label1[0]->toolTip(), cut ? identifier : QString());
    if (windowWidth == 644)
        QVERIFY(cut);
    // The frame's own group follows the labels it holds.
    QVERIFY(controls(w).Frame1[6]->geometry().right() < frame->width());
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
