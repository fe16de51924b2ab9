// How the main window and the About box look: navigation buttons that read
// as buttons, menus in the window's font, the product name kept whole.

#include "core/ProductInfo.h"
#include "ui/AboutBox.h"
#include "ui/Artwork.h"
#include "ui/MainWindow.h"
#include "app/Controller.h"
#include "support/ScriptedPlatform.h"
#include "support/WindowControls.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTextLayout>
#include <QtTest>

using namespace orvane::ui;
using namespace orvane::app;
using orvane::testing::controls;

namespace {

bool isBlack(const QColor& c)
{
    return c.alpha() > 0 && c.red() < 40 && c.green() < 40 && c.blue() < 40;
}

int blackPixels(const QImage& img, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += isBlack(img.pixelColor(x, y));
    return n;
}

int blackInColumn(const QImage& img, int x)
{
    return blackPixels(img, QRect(x, 0, 1, img.height()));
}

// Whether laying `text` out at `width` ends a line inside `word`.
bool breaksInside(const QString& text, const QString& word, const QFont& font, int width)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    const qsizetype at = text.indexOf(word);
    bool inside = false;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        const qsizetype end = line.textStart() + line.textLength();
        inside = inside || (end > at && end < at + word.size());
    }
    layout.endLayout();
    return inside;
}

} // namespace

class TestWindowLook : public QObject {
    Q_OBJECT
private slots:
    void navigationGlyphsPointTheirWay();
    void navigationButtonsDrawRaisedWithGlyph();
    void menusUseTheWindowFont();
    void productNameKeptWholeInTheAboutBox();
};

void TestWindowLook::navigationGlyphsPointTheirWay()
{
    const QImage first = art::navigationGlyph(0), previous = art::navigationGlyph(1),
                 next = art::navigationGlyph(2), last = art::navigationGlyph(3);
    // Mirror pairs.
    QCOMPARE(previous, next.mirrored(true, false));
    QCOMPARE(first, last.mirrored(true, false));
    // "next" points right: a full outline column on the left, one pixel at the tip.
    int left = 0;
    while (blackInColumn(next, left) == 0)
        ++left;
    int right = next.width() - 1;
    while (blackInColumn(next, right) == 0)
        --right;
    QCOMPARE(blackInColumn(next, left), 7);
    QCOMPARE(blackInColumn(next, right), 1);
    // "last" ends in a bar, "first" starts with one.
    QCOMPARE(blackInColumn(last, last.width() - 2), 7);
    QCOMPARE(blackInColumn(first, 1), 7);
    QVERIFY(art::navigationGlyph(4).isNull());
}

void TestWindowLook::navigationButtonsDrawRaisedWithGlyph()
{
    ScriptedPlatform platform;
    Controller controller(platform);
    orvaneIntMain w(controller, platform);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (int i = 0; i < 4; ++i) {
        QPushButton* b = controls(w).Command4[std::size_t(i)];
        QCOMPARE(b->size(), QSize(15, 15));
        QVERIFY(b->text().isEmpty());
        b->setEnabled(true);
        const QImage up = b->grab().toImage();
        const QRect face = up.rect().adjusted(2, 2, -2, -2);
        // Raised: a black bottom and right edge, a light top edge.
        QCOMPARE(blackPixels(up, QRect(0, up.height() - 1, up.width(), 1)), up.width());
        QCOMPARE(blackPixels(up, QRect(up.width() - 1, 0, 1, up.height())), up.height());
        QCOMPARE(blackPixels(up, QRect(0, 0, up.width() - 1, 1)), 0);
        // The glyph's outline is on the face.
        QCOMPARE(blackPixels(up, face), blackPixels(art::navigationGlyph(i), art::navigationGlyph(i).rect()));

        // Pressed: the bevel turns round.
        b->setDown(true);
        const QImage down = b->grab().toImage();
        b->setDown(false);
        QCOMPARE(blackPixels(down, QRect(0, 0, down.width() - 1, 1)), down.width() - 1);
        QVERIFY(blackPixels(down, QRect(0, down.height() - 1, down.width(), 1)) < down.width());

        // Disabled: no black glyph left.
        b->setEnabled(false);
        QCOMPARE(blackPixels(b->grab().toImage(), face), 0);
    }
}

void TestWindowLook::menusUseTheWindowFont()
{
    ScriptedPlatform platform;
    Controller controller(platform);
    orvaneIntMain w(controller, platform);
    const QFontInfo window(w.font());
    const QList<QMenu*> menus = w.menuBar()->findChildren<QMenu*>();
    QVERIFY(menus.size() >= 3);   // File, its Open sub-menu, Help
    QList<QWidget*> all{w.menuBar()};
    for (QMenu* m : menus)
        all << m;
    for (QWidget* m : all) {
        const QFontInfo info(m->font());
        QVERIFY2(info.family() == window.family() && qAbs(info.pointSizeF() - window.pointSizeF()) < 0.01,
                 qPrintable(m->objectName() + QStringLiteral(": ") + info.family()
                            + QString::number(info.pointSizeF())));
    }
    // A menu added later gets it too.
    QMenu* later = controls(w).mnuHelp->addMenu(QStringLiteral("Later"));
    later->popup(QPoint(0, 0));
    QCOMPARE(QFontInfo(later->font()).pointSizeF(), window.pointSizeF());
    later->hide();
}

void TestWindowLook::productNameKeptWholeInTheAboutBox()
{
    ScriptedPlatform platform;
    orvaneIntAbout about(platform);
    const QString name = orvane::product::name();
    const QString text = about.lblDisclaimer->text();
    QVERIFY(text.contains(name));
    const QString shown = withUnbreakableWord(text, name);
    const QFont font = about.lblDisclaimer->font();
    // At some widths the plain text splits the name at its hyphen; the text
    // the label draws never does, at any width, and reads the same.
    bool plainBreaks = false;
    for (int width = 120; width <= 420; ++width) {
        plainBreaks = plainBreaks || breaksInside(text, name, font, width);
        QVERIFY2(!breaksInside(shown, withUnbreakableWord(name, name), font, width),
                 qPrintable(QString::number(width)));
    }
    QVERIFY(plainBreaks);
    QCOMPARE(QString(shown).replace(QChar(0x2011), u'-'), text);
    // The label's own text is left as set.
    QCOMPARE(about.lblDisclaimer->text(), text);
}

QTEST_MAIN(TestWindowLook)
#include "tst_windowlook.moc"
