// The main window shell: its inventory, keyboard, menus, toolbar, Help and
// About, and which activations count.

#include "core/ProductInfo.h"
#include "ui/AboutBox.h"
#include "ui/Artwork.h"
#include "ui/MainWindow.h"
#include "app/Controller.h"
#include "app/ProgramState.h"
#include "support/ScriptedPlatform.h"
#include "support/WindowControls.h"

#include <QMenuBar>
#include <memory>
#include <QtTest>

using namespace orvane::ui;
using namespace orvane::app;
using orvane::testing::controls;
namespace search = orvane::search;

namespace {

QRect pixelRect(int l, int t, int w, int h)
{
    auto px = [](int tw) { return int(std::lround(tw / 15.0)); };
    return QRect(px(l), px(t), px(l + w) - px(l), px(t + h) - px(t));
}

QString captionOf(QWidget* w)
{
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* f = qobject_cast<Frame*>(w)) return f->caption();
    if (auto* t = qobject_cast<QTreeView*>(w)) return t->model()->headerData(0, Qt::Horizontal).toString();
    return QString();
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void inventory_data();
    void inventory();
    void tabOrderFollowsTabIndexes();
    void keywordEntryHasTheFocusWhenShown();
    void tabStopsOnlyOnWhatTheUserSees();
    void stackingOrder();
    void startState();
    void menus();
    void enterPressesTheDefaultButton_data();
    void enterPressesTheDefaultButton();
    void escapeExits();
    void closingClosesWhatIsOpen();
    void helpMessage();
    void aboutBoxTexts();
    void aboutBoxClosesWithOkEnterEscape();
    void aboutIsLoadedAfreshAndReactivatesMain();
    void onlyOwnWindowsCountAsActivation();
    void toolbarOpensTheSectionMenuBelowIt();
    void artwork();
    void destroyedWhileInUse_data();
    void destroyedWhileInUse();
};

void TestMainWindow::inventory_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QRect>("rect");   // twips: left, top, width, height
    QTest::addColumn<int>("tab");      // -1: none

    auto row = [](const char* name, const char* kind, const char* container, const char* caption,
                  const char* tip, QRect r, int tab) {
        QTest::newRow(name) << QString::fromLatin1(kind) << QString::fromLatin1(container)
                            << QString::fromLatin1(caption) << QString::fromLatin1(tip) << r << tab;
    };
    const char* client = "client";
    row("Toolbar1", "QToolBar", client, "", "", QRect(0, 0, 9660, 360), 39);
    row("Frame1(0)", "orvane::ui::Frame", client, "Text search", "", QRect(60, 480, 6795, 645), 0);
    row("Text1(1)", "QLineEdit", "Frame1(0)", "",
        "Type interpretation(s), keyword(s) or phrase to search for.  (Separate multiple keywords by blank space.)",
        QRect(120, 270, 4155, 285), 4);
    row("Command2(2)", "orvane::ui::PictureButton", "Frame1(0)", "", "", QRect(4020, 300, 225, 225), 35);
    row("Frame1(5)", "orvane::ui::Frame", "Frame1(0)", "Frame2", "", QRect(4380, 270, 2355, 285), 14);
    row("Option1(0)", "QRadioButton", "Frame1(5)", "And",
        "Finds only those interpretations containing ALL specified keywords.", QRect(0, 0, 705, 285), 17);
    row("Option1(1)", "QRadioButton", "Frame1(5)", "Or",
        "Finds all interpretations containing ANY or ALL specified keyword(s).", QRect(690, 0, 615, 285), 16);
    row("Option1(2)", "QRadioButton", "Frame1(5)", "Phrase",
        "Treats keywords in text search box as one phrase or sentence.", QRect(1350, 0, 1005, 285), 15);
    row("Frame1(2)", "orvane::ui::Frame", client, "Paragraph search", "", QRect(6930, 480, 2655, 645), 1);
    row("Text1(0)", "QLineEdit", "Frame1(2)", "", "Type or select a paragraph number from the list.",
        QRect(120, 270, 2415, 285), 5);
    row("Command2(0)", "orvane::ui::PictureButton", "Frame1(2)", "", "", QRect(2280, 300, 225, 225), 6);
    row("ListView1(1)", "QTreeView", client, "Paragraphs", "", QRect(180, 1020, 3915, 2355), 36);
    row("ListView1(0)", "QTreeView", client, "Paragraphs", "", QRect(7050, 1020, 2175, 2355), 10);
    row("Frame1(4)", "orvane::ui::Frame", client, "Interpretation:", "", QRect(60, 1200, 6795, 4935), 3);
    row("Frame1(6)", "orvane::ui::Frame", "Frame1(4)", "", "", QRect(3270, 0, 3435, 225), 18);
    row("Label1(1)", "QLabel", "Frame1(6)", "Volume:", "", QRect(0, 0, 570, 195), 24);
    row("Label1(2)", "QLabel", "Frame1(6)", "12345", "", QRect(660, 0, 450, 195), 23);
    row("Label1(3)", "QLabel", "Frame1(6)", "Interpretation:", "", QRect(1200, 0, 975, 195), 22);
    row("Label1(4)", "QLabel", "Frame1(6)", "n/a", "", QRect(2250, 0, 450, 195), 21);
    row("Label1(5)", "QLabel", "Frame1(6)", "of", "", QRect(2730, 0, 135, 195), 20);
    row("Label1(6)", "QLabel", "Frame1(6)", "12345", "", QRect(2970, 0, 450, 195), 19);
    row("RichTextBox1", "QTextEdit", "Frame1(4)", "", "", QRect(120, 270, 6600, 4245), 8);
    row("Label1(0)", "QLabel", "Frame1(4)", "Label1", "", QRect(1200, 0, 480, 195), 9);
    row("Shape1", "orvane::ui::Shape", "Frame1(4)", "", "", QRect(120, 270, 6570, 4245), -1);
    row("Frame1(1)", "orvane::ui::Frame", "Frame1(4)", "Frame2", "", QRect(150, 4620, 2475, 240), 25);
    row("Command4(0)", "QPushButton", "Frame1(1)", "", "", QRect(30, 0, 225, 225), 31);
    row("Label1(7)", "QLabel", "Frame1(1)", "Show first", "", QRect(300, 0, 690, 195), 33);
    row("Command4(1)", "QPushButton", "Frame1(1)", "", "", QRect(1080, 0, 225, 225), 32);
    row("Label1(8)", "QLabel", "Frame1(1)", "Show previous", "", QRect(1350, 0, 1050, 195), 34);
    row("Frame1(7)", "orvane::ui::Frame", "Frame1(4)", "Frame2", "", QRect(4230, 4620, 2475, 240), 26);
    row("Label1(9)", "QLabel", "Frame1(7)", "Show next", "", QRect(240, 0, 750, 195), 29);
    row("Command4(2)", "QPushButton", "Frame1(7)", "", "", QRect(1050, 0, 225, 225), 27);
    row("Label1(10)", "QLabel", "Frame1(7)", "Show last", "", QRect(1500, 0, 690, 195), 30);
    row("Command4(3)", "QPushButton", "Frame1(7)", "", "", QRect(2250, 0, 225, 225), 28);
    row("Frame1(3)", "orvane::ui::Frame", client, "Interpretations found", "", QRect(6930, 1200, 2655, 4935), 2);
    row("ListView1(2)", "QTreeView", "Frame1(3)", "Interpretations found", "", QRect(120, 270, 2415, 3795), 7);
    row("Command1(1)", "QPushButton", client, "&Search", "Start the text search.", QRect(8580, 6210, 1000, 315), 12);
    row("Command1(0)", "QPushButton", client, "E&xit", "", QRect(8580, 6570, 1000, 315), 11);
    row("Command3", "QPushButton", client, "Command3", "", QRect(2460, 570, 1215, 525), 13);
}

void TestMainWindow::inventory()
{
    QFETCH(QString, kind);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QString, tooltip);
    QFETCH(QRect, rect);
    QFETCH(int, tab);

    ScriptedPlatform platform;
    Controller controller{platform};
    orvaneIntMain w(controller, platform);   // not shown: design positions
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    auto* c = w.findChild<QWidget*>(name);
    QVERIFY2(c, qPrintable(name));
    QVERIFY2(c->inherits(kind.toLatin1()), c->metaObject()->className());
    QCOMPARE(c->parentWidget()->objectName(), container);
    QCOMPARE(captionOf(c), caption);
    QCOMPARE(c->toolTip(), tooltip);
    QCOMPARE(w.twips(c), (TwipRect{rect.x(), rect.y(), rect.width(), rect.height()}));
    const QRect px = pixelRect(rect.x(), rect.y(), rect.width(), rect.height());
    if (qobject_cast<QLabel*>(c)) {
        // Labels keep their place and may only grow to fit their text.
        QCOMPARE(c->pos(), px.topLeft());
        QVERIFY(c->height() >= px.height());
        QVERIFY(c->width() >= px.width());
        QVERIFY(c->width() >= c->sizeHint().width());
        QVERIFY(c->height() >= c->sizeHint().height());
    } else {
        QCOMPARE(c->geometry(), px);
    }
    QCOMPARE(c->property("TabIndex").isValid() ? c->property("TabIndex").toInt() : -1, tab);
}

void TestMainWindow::tabOrderFollowsTabIndexes()
{
    ScriptedPlatform platform;
    Controller controller{platform};
    orvaneIntMain w(controller, platform);
    const QStringList expected = {"Text1(1)",     "Text1(0)",    "Command2(0)", "ListView1(2)",
                                  "RichTextBox1", "ListView1(0)", "Command1(0)", "Command1(1)",
                                  "Option1(2)",   "Option1(1)",  "Option1(0)",
                                  "Command4(2)",  "Command4(3)", "Command4(0)", "Command4(1)",
                                  "Command2(2)",  "ListView1(1)"};
    QStringList chain;
    QWidget* start = controls(w).Text1[1];
    QWidget* at = start;
    do {
        if (at->property("TabIndex").isValid() && (at->focusPolicy() & Qt::TabFocus))
            chain << at->objectName();
        at = at->nextInFocusChain();
    } while (at != start && chain.size() < 40);
    QCOMPARE(chain, expected);
}

void TestMainWindow::keywordEntryHasTheFocusWhenShown()
{
    // The control with the lowest tab index that can take the focus gets it
    // when the window opens, so a user can type keywords at once. Nothing
    // outside the tab order (the toolbar) may take it first.
    ScriptedPlatform platform;
    Controller controller{platform};
    orvaneIntMain w(controller, platform);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(controls(w).Text1[1]));
    for (QToolButton* b : w.findChildren<QToolButton*>())
        QVERIFY2(!(b->focusPolicy() & Qt::TabFocus), qPrintable(b->objectName()));
}

void TestMainWindow::tabStopsOnlyOnWhatTheUserSees()
{
    // Round the whole Tab chain: every stop is a control on view, not one
    // that lies behind another.
    ScriptedPlatform platform;
    Controller controller{platform};
    orvaneIntMain w(controller, platform);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QWidget* start = controls(w).Text1[1];
    start->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(start->hasFocus());
    QStringList stops;
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* at = QApplication::focusWidget();
        QVERIFY(at);
        if (at == start)
            break;
        stops << at->objectName();
        QVERIFY2(at->isVisible(), qPrintable(at->objectName()));
        QWidget* seen = w.childAt(at->mapTo(&w, at->rect().center()));
        QVERIFY2(seen == at || at->isAncestorOf(seen),
                 qPrintable(at->objectName() + QStringLiteral(" lies under ")
                            + (seen ? seen->objectName() : QStringLiteral("nothing"))));
    }
    QVERIFY2(stops.size() > 5 && !stops.contains(QStringLiteral("Command3")), qPrintable(stops.join(u' ')));
}

void TestMainWindow::stackingOrder()
{
    ScriptedPlatform platform;
    Controller controller{platform};
    orvaneIntMain w(controller, platform);
    // children() runs from the back to the front.
    auto frontToBack = [&](const QStringList& names) {
        QWidget* parent = w.findChild<QWidget*>(names.first())->parentWidget();
        QStringList order;
        const auto kids = parent->children();
        for (auto it = kids.rbegin(); it != kids.rend(); ++it)
            if (names.contains((*it)->objectName()))
                order << (*it)->objectName();
        return order;
    };
    const QStringList window = {"Toolbar1",  "ListView1(1)", "Command1(1)", "Command1(0)", "ListView1(0)",
                                "Frame1(2)", "Frame1(0)",    "Command3",    "Frame1(4)",   "Frame1(3)"};
    QCOMPARE(frontToBack(window), window);
    QCOMPARE(frontToBack({"Command2(0)", "Text1(0)"}), QStringList({"Command2(0)", "Text1(0)"}));
    const QStringList f0 = {"Command2(2)", "Frame1(5)", "Text1(1)"};
    QCOMPARE(frontToBack(f0), f0);
    const QStringList f4 = {"Frame1(7)", "Frame1(1)", "Frame1(6)", "RichTextBox1", "Label1(0)", "Shape1"};
    QCOMPARE(frontToBack(f4), f4);

    // Command3 lies wholly under the opaque text-search frame: never seen.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QRect c3 = controls(w).Command3->geometry();
    QVERIFY(controls(w).Frame1[0]->geometry().contains(c3));
    QVERIFY(controls(w).Frame1[0]->autoFillBackground());
    QWidget* seen = w.centralWidget()->childAt(c3.center());
    QVERIFY(seen == controls(w).Frame1[0] || controls(w).Frame1[0]->isAncestorOf(seen));
}

void TestMainWindow::startState()
{
    ScriptedPlatform platform;
    Controller controller{platform};
    orvaneIntMain w(controller, platform);
    QCOMPARE(w.windowTitle(), QStringLiteral("Orvane INT"));
    QVERIFY(controls(w).Option1[0]->isChecked());
    QVERIFY(!controls(w).Option1[1]->isChecked() && !controls(w).Option1[2]->isChecked());
    QVERIFY(controls(w).Text1[0]->text().isEmpty() && controls(w).Text1[1]->text().isEmpty());
    QVERIFY(controls(w).ListView1[0]->isHidden());
    QVERIFY(controls(w).ListView1[1]->isHidden());
    QVERIFY(!controls(w).ListView1[2]->isHidden());
    QVERIFY(controls(w).RichTextBox1->isReadOnly());
    const QFont f = controls(w).RichTextBox1->document()->defaultFont();
    QCOMPARE(f.pointSizeF(), 9.75);
    QVERIFY(!f.bold() && !f.italic());
    QVERIFY(QFontInfo(f).fixedPitch());

    const QColor darkRed(128, 0, 0);
    for (int i : {0, 2, 3, 4})
        QCOMPARE(controls(w).Frame1[std::size_t(i)]->captionColor(), darkRed);
    for (int i : {1, 3, 5})
        QCOMPARE(controls(w).Label1[std::size_t(i)]->palette().color(QPalette::WindowText), darkRed);
    QCOMPARE(controls(w).Shape1->borderColor(), darkRed);
    for (int i : {1, 5, 6, 7})
        QVERIFY(!controls(w).Frame1[std::size_t(i)]->bordered());
    QCOMPARE(controls(w).Command2[1], nullptr);
    QVERIFY(!controls(w).Command2[0]->picture().isNull());
    QCOMPARE(controls(w).ListView1[2]->iconSize(), QSize(16, 16));
    QCOMPARE(controls(w).ListView1[2]->model()->columnCount(), 1);
    QVERIFY(controls(w).ListView1[2]->uniformRowHeights());
}

void TestMainWindow::menus()
{
    ScriptedPlatform platform;
    Controller controller{platform};
    orvaneIntMain w(controller, platform);
    auto texts = [](QMenu* m) {
        QStringList out;
        for (QAction* a : m->actions())
            out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out;
    };
    QStringList bar;
    for (QAction* a : w.menuBar()->actions())
        bar << a->text();
    QCOMPARE(bar, QStringList({"&File", "&Help"}));
    QCOMPARE(texts(controls(w).mnuFile), QStringList({"&Open...", "-", "&Import", "-", "&Print",
                                                      "Print &All Found...", "Printer Set&up...", "-", "E&xit"}));
    QCOMPARE(texts(controls(w).mnuHelp), QStringList({"Help", "-", "-", "&About"}));
    QVERIFY(!controls(w).mnuHelp->separatorsCollapsible());
    // "All sections" waits, hidden, for a database with sections.
    QCOMPARE(texts(controls(w).mnuFileOpenMenu), QStringList({"No valid database present", "-", "All sections"}));
    QVERIFY(!controls(w).mnuFileOpenMenu->actions().at(1)->isVisible());
    QVERIFY(!controls(w).mnuFileOpenMenu->actions().at(2)->isVisible());
    QVERIFY(!controls(w).mnuFileOpenSection[0]->isEnabled());
    for (QAction* a : w.findChildren<QAction*>())
        QVERIFY2(a->shortcut().isEmpty(), qPrintable(a->text()));

}

void TestMainWindow::enterPressesTheDefaultButton_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("pressed");
    QTest::newRow("keyword entry") << "Text1(1)" << "Command3";
    QTest::newRow("paragraph entry") << "Text1(0)" << "Command3";
    QTest::newRow("option") << "Option1(1)" << "Command3";
    QTest::newRow("results list") << "ListView1(2)" << "Command3";
    QTest::newRow("text view") << "RichTextBox1" << "Command3";
    // A focused button takes Enter itself.
    QTest::newRow("search button") << "Command1(1)" << "Command1(1)";
    QTest::newRow("next button") << "Command4(2)" << "Command4(2)";
    QTest::newRow("drop-down button") << "Command2(0)" << "Command2(0)";
}

void TestMainWindow::enterPressesTheDefaultButton()
{
    QFETCH(QString, focus);
    QFETCH(QString, pressed);
    ScriptedPlatform platform;
    Controller controller{platform};
    orvaneIntMain w(controller, platform);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* target = w.findChild<QWidget*>(focus);
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());

    std::map<QString, int> clicks;
    for (auto* b : w.findChildren<QAbstractButton*>())
        connect(b, &QAbstractButton::clicked, this, [&clicks, b] { ++clicks[b->objectName()]; });
    QTest::keyClick(target, Qt::Key_Return);
    QCOMPARE(clicks[pressed], 1);
    QCOMPARE(int(clicks.size()), 1);
    QVERIFY(w.isVisible());
}

void TestMainWindow::escapeExits()
{
    for (const char* focus : {"Text1(1)", "ListView1(2)", "Option1(0)", "Command1(1)"}) {
        ScriptedPlatform platform;
        Controller controller{platform};
        orvaneIntMain w(controller, platform);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* target = w.findChild<QWidget*>(QLatin1String(focus));
        target->setFocus();
        QSignalSpy exit(controls(w).Command1[0], &QPushButton::clicked);
        QTest::keyClick(target, Qt::Key_Escape);
        QCOMPARE(exit.count(), 1);
        QVERIFY2(!w.isVisible(), focus);
    }
}

void TestMainWindow::closingClosesWhatIsOpen()
{
    // With nothing open, closing the window (Exit, File > Exit, close box)
    // closes nothing and does not fail.
    for (int way = 0; way < 3; ++way) {
        ScriptedPlatform platform;
        Controller controller{platform};
        orvaneIntMain w(controller, platform);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        if (way == 0)
            controls(w).Command1[0]->click();
        else if (way == 1)
            controls(w).mnuFileExit->trigger();
        else
            w.close();
        QVERIFY(!w.isVisible());
    }

    // With a workspace open, the unload closes it.
    ScriptedPlatform platform;
    Controller controller{platform};
    controller.ensureWorkspace();
    {
        orvaneIntMain w(controller, platform);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(controller.repository().hasWorkspace());
        controls(w).mnuFileExit->trigger();
    }
    QVERIFY(!controller.repository().hasWorkspace());
}

void TestMainWindow::helpMessage()
{
    ScriptedPlatform platform;
    Controller controller{platform};
    orvaneIntMain w(controller, platform);
    controls(w).mnuHelpHelp->trigger();
    QCOMPARE(platform.messageBoxes.size(), std::size_t(1));
    const auto& box = platform.messageBoxes[0];
    QCOMPARE(box.title, QStringLiteral("Help"));
    QCOMPARE(box.icon, MessageIcon::Question);
    QCOMPARE(box.buttons, MessageButtons::Ok);
    QCOMPARE(box.text, QStringLiteral("Brief context sensitive help descriptions are provided for all entry "
                                      "items contained in this program.To get help, simply point and hold "
                                      "the mouse cursor over the item in question."));
}

void TestMainWindow::aboutBoxTexts()
{
    ScriptedPlatform platform;
    platform.screen = QSize(1000, 800);
    orvaneIntAbout about(platform);
    QCOMPARE(about.windowTitle(), QStringLiteral("About Orvane-INT"));
    QCOMPARE(about.lblTitle->text(), QStringLiteral("Orvane-INT"));
    QCOMPARE(about.lblVersion->text(), QStringLiteral("Version 2014.1.6"));
    QCOMPARE(about.lblTradeMark->text(), QStringLiteral("tm"));
    QCOMPARE(about.lblCopyright->text(), orvane::product::legalCopyright());
    QVERIFY(about.lblCopyright->text().contains(QStringLiteral("Halvorn software")));
    QCOMPARE(about.lblDisclaimer->text(),
             QStringLiteral("The ASME Boiler & Pressure Vessel Code Interpretations published since 1977 by "
                            "the American Society of Mechanical Engineers have been reproduced in their "
                            "entirety in Orvane-INT with the permission of ASME."));
    QVERIFY(about.lblDisclaimer->wordWrap());
    QCOMPARE(about.lblTm1->text(),
             QStringLiteral("ASME is a trademark of the American Society of Mechanical Engineers."));
    QCOMPARE(about.lblTm2->text(), orvane::product::legalTrademarks());
    QCOMPARE(about.fraSupport->caption(), QStringLiteral("Tech Support"));
    QCOMPARE(about.Command1->text(), QStringLiteral("&OK"));
    QVERIFY(about.lblTitle->alignment() & Qt::AlignRight);
    QVERIFY(about.lblCopyright->alignment() & Qt::AlignHCenter);
    QCOMPARE(about.lblDisclaimer->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    QVERIFY(!about.Picture1->pixmap().isNull());
    QCOMPARE(about.size(), QSize(379, 352));
    // Nothing is clipped; the right-aligned title keeps its right edge.
    for (QLabel* l : about.findChildren<QLabel*>()) {
        if (!l->wordWrap())
            QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(l->objectName()));
        QVERIFY2(l->height() >= (l->wordWrap() ? l->heightForWidth(l->width()) : l->sizeHint().height()),
                 qPrintable(l->objectName()));
    }
    QCOMPARE(about.lblTitle->geometry().right() + 1, (810 + 3915) / 15);
    QCOMPARE(about.lblVersion->geometry().right() + 1, (930 + 3795) / 15);
    // Centred on the scripted screen by its outer size.
    const int outerW = (379 + 6) * 15, outerH = (352 + 32) * 15;
    QCOMPARE(about.pos(), QPoint(int(std::lround((1000 * 15 - outerW) / 2 / 15.0)),
                                 int(std::lround((800 * 15 - outerH) / 2 / 15.0))));
}

void TestMainWindow::aboutBoxClosesWithOkEnterEscape()
{
    for (int way = 0; way < 3; ++way) {
        ScriptedPlatform platform;
        orvaneIntAbout about(platform);
        QTimer::singleShot(0, &about, [&] {
            if (way == 0)
                QTest::mouseClick(about.Command1, Qt::LeftButton);
            else
                QTest::keyClick(&about, way == 1 ? Qt::Key_Return : Qt::Key_Escape);
        });
        QTimer::singleShot(2000, &about, [&] { about.done(99); });   // guard
        const int result = about.exec();
        QVERIFY2(result != 99, "not closed");
        QVERIFY(!about.isVisible());
    }
}

void TestMainWindow::aboutIsLoadedAfreshAndReactivatesMain()
{
    ScriptedPlatform platform;
    Controller controller{platform};
    const ProgramState& state = controller.state();
    orvaneIntMain w(controller, platform);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    QStringList seen;
    auto closeAbout = [&] {
        auto* about = qobject_cast<orvaneIntAbout*>(QApplication::activeModalWidget());
        if (!about) {
            seen << QStringLiteral("none");
            return;
        }
        seen << about->lblVersion->text();
        // Spoil this instance; a fresh one must not show it.
        about->lblVersion->setText(QStringLiteral("spoilt"));
        QTest::keyClick(about, Qt::Key_Escape);
    };

    controller.setStartingUp(true);   // cleared only by an activation
    QTimer::singleShot(50, this, closeAbout);
    controls(w).mnuHelpAbout->trigger();
    QVERIFY(w.findChildren<orvaneIntAbout*>().isEmpty());   // unloaded
    QTRY_VERIFY(!state.startingUp);

    QTimer::singleShot(50, this, closeAbout);
    controls(w).mnuHelpAbout->trigger();
    QCOMPARE(seen, QStringList({"Version 2014.1.6", "Version 2014.1.6"}));
}

void TestMainWindow::onlyOwnWindowsCountAsActivation()
{
    ScriptedPlatform platform;
    Controller controller{platform};
    const ProgramState& state = controller.state();
    controller.setStartingUp(true);
    orvaneIntMain w(controller, platform);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    // The first activation runs.
    QTRY_VERIFY(!state.startingUp);

    // Coming back from another application does not.
    controller.setStartingUp(true);
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&w, &deactivate);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&w, &activate);
    QCoreApplication::processEvents();
    QVERIFY(state.startingUp);

    // After one of the program's own windows has closed, it does - once.
    w.ownWindowClosed();
    QApplication::sendEvent(&w, &activate);
    QVERIFY(!state.startingUp);
    controller.setStartingUp(true);
    QCoreApplication::processEvents();
    QApplication::sendEvent(&w, &activate);
    QVERIFY(state.startingUp);
}

void TestMainWindow::toolbarOpensTheSectionMenuBelowIt()
{
    ScriptedPlatform platform;
    Controller controller{platform};
    orvaneIntMain w(controller, platform);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(controls(w).Toolbar1Buttons[1]->toolTip(), QStringLiteral("Open new interpretations section"));
    QVERIFY(controls(w).Toolbar1Buttons[2]->toolTip().isEmpty());

    QPoint popupAt;
    QStringList entries;
    bool placeholderEnabled = true;
    QTimer::singleShot(50, this, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            popupAt = menu->pos();
            for (QAction* a : menu->actions()) {
                if (!a->isVisible())
                    continue;
                entries << a->text();
                placeholderEnabled = a->isEnabled();
            }
            menu->close();
        }
    });
    QTimer::singleShot(2000, this, [&] {
        if (auto* menu = QApplication::activePopupWidget())
            menu->close();
    });
    controls(w).Toolbar1Buttons[1]->click();
    QCOMPARE(entries, QStringList({"No valid database present"}));
    QVERIFY(!placeholderEnabled);
    QCOMPARE(popupAt, w.centralWidget()->mapToGlobal(QPoint(0, 24)));
}

void TestMainWindow::artwork()
{
    QImage images[5];
    for (int i = 1; i <= 4; ++i) {
        const QPixmap pm = art::imageListImage(i);
        QCOMPARE(pm.size(), QSize(16, 16));
        images[i] = pm.toImage();
        // The mask colour became transparent and nothing else did.
        const QImage src = art::imageListSource(i);
        int opaque = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool masked = src.pixelColor(x, y) == art::kMaskColor;
                QCOMPARE(qAlpha(images[i].pixel(x, y)) == 0, masked);
                opaque += masked ? 0 : 1;
            }
        QVERIFY(opaque > 40);
        for (int j = 1; j < i; ++j)
            QVERIFY(images[i] != images[j]);
    }
    QVERIFY(art::imageListImage(0).isNull() && art::imageListImage(5).isNull());
    const QImage arrow = art::dropDownArrow().toImage();
    QCOMPARE(arrow.size(), QSize(16, 16));
    QCOMPARE(arrow.pixelColor(0, 0), QColor(192, 192, 192));
    QCOMPARE(arrow.pixelColor(8, 10), QColor(0, 0, 0));   // the triangle's tip
    const QImage title = art::titlePicture();
    QCOMPARE(title.size(), QSize(469, 376));
    QCOMPARE(title.depth(), 24);
}

void TestMainWindow::destroyedWhileInUse_data()
{
    QTest::addColumn<QString>("focus");
    for (const char* name : {"Text1(0)", "Text1(1)", "ListView1(0)", "ListView1(1)", "ListView1(2)",
                             "RichTextBox1", "Option1(1)", "Command1(1)"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// A window destroyed while shown (by its owner, or at the program's end)
// loses the focus while its controls still exist but the window itself is
// already half gone: no control may call back into it then.
void TestMainWindow::destroyedWhileInUse()
{
    QFETCH(QString, focus);
    ScriptedPlatform platform;
    Controller controller{platform};
    auto w = std::make_unique<orvaneIntMain>(controller, platform);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    controls(*w).Text1[1]->setText(QStringLiteral("preheat"));
    auto* target = w->findChild<QWidget*>(focus);
    QVERIFY(target);
    target->show();
    target->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(target->hasFocus());

    // What a call back into the window would reach: the controller's
    // entries and keyword history, and the platform.
    const QStringList history = controller.historyRows();
    const QString paragraph = controller.entryText(search::EntryKind::Paragraph);
    const QString keywords = controller.entryText(search::EntryKind::Keyword);
    const QStringList platformCalls = platform.calls;
    w.reset();
    QCOMPARE(controller.historyRows(), history);
    QCOMPARE(controller.entryText(search::EntryKind::Paragraph), paragraph);
    QCOMPARE(controller.entryText(search::EntryKind::Keyword), keywords);
    QCOMPARE(platform.calls, platformCalls);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
