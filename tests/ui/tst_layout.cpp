// The resize rule, as a pure function and as the window applies it.

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

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
