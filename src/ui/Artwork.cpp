#include "ui/Artwork.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <array>
#include <string>

namespace orvane::ui::art {

namespace {

using Grid = std::array<const char*, 16>;

// The 16-colour palette of the small pictures, one letter per colour.
QColor paletteColor(char c)
{
    switch (c) {
    case 'k': return QColor(0, 0, 0);
    case 'r': return QColor(128, 0, 0);
    case 'n': return QColor(0, 128, 0);
    case 'b': return QColor(0, 0, 128);
    case 'p': return QColor(128, 0, 128);
    case 'c': return QColor(0, 128, 128);
    case 'g': return QColor(192, 192, 192);
    case 'd': return QColor(128, 128, 128);
    case 'R': return QColor(255, 0, 0);
    case 'G': return QColor(0, 255, 0);
    case 'y': return QColor(255, 255, 0);
    case 'B': return QColor(0, 0, 255);
    case 'm': return QColor(255, 0, 255);
    case 'C': return QColor(0, 255, 255);
    case 'w': return QColor(255, 255, 255);
    default: return kMaskColor;   // '.'
    }
}

QImage fromGrid(const Grid& grid)
{
    QImage img(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            img.setPixelColor(x, y, paletteColor(grid[y][x]));
    return img;
}

constexpr Grid kPage = {
    "................",
    "..kkkkkkkkk.....",
    "..kwwwwwwwkk....",
    "..kwwwwwwwkwk...",
    "..kwddddwwkkkk..",
    "..kwwwwwwwwwwk..",
    "..kwddddddddwk..",
    "..kwwwwwwwwwwk..",
    "..kwddddddddwk..",
    "..kwwwwwwwwwwk..",
    "..kwdddddddwwk..",
    "..kwwwwwwwwwwk..",
    "..kwddddddddwk..",
    "..kwwwwwwwwwwk..",
    "..kkkkkkkkkkkk..",
    "................",
};

// A navy badge with a yellow ring round a white "O".
constexpr Grid kEmblemGrid = {
    "................",
    ".....bbbbbb.....",
    "...bbyyyyyybb...",
    "..byybbbbbbbyb..",
    "..bybbwwwwbbyb..",
    ".bybbwwwwwwbbyb.",
    ".bybwwwbbwwwbyb.",
    ".bybwwbRRbwwbyb.",
    ".bybwwbRRbwwbyb.",
    ".bybwwwbbwwwbyb.",
    ".bybbwwwwwwbbyb.",
    "..bybbwwwwbbyb..",
    "..byybbbbbbyyb..",
    "...bbyyyyyybb...",
    ".....bbbbbb.....",
    "................",
};

constexpr Grid kFolder = {
    "..........kkkkk.",
    "...........kGGk.",
    "..........kGGGk.",
    ".........kGGkGk.",
    "........kGGk.k..",
    "..kkkk..kGk.....",
    ".kyyyyk..k......",
    ".kyyyyykkkkkk...",
    ".kyyyyyyyyyyk...",
    ".kyyykkkkkkkkkk.",
    ".kyykwwwwwwwwwk.",
    ".kykwyyyyyyyyk..",
    ".kkwyyyyyyyyk...",
    ".kkkkkkkkkkkk...",
    "................",
    "................",
};

constexpr Grid kPrinterGrid = {
    "................",
    "....kkkkkkkk....",
    "....kwwwwwwk....",
    "....kwddddwk....",
    "....kwwwwwwk....",
    "..kkkkkkkkkkkk..",
    ".kggggggggggggk.",
    "kggggggggggGGggk",
    "kggggggggggggggk",
    "kddddddddddddddk",
    "kgkkkkkkkkkkkkgk",
    "kgkwwwwwwwwwwkgk",
    "kkkwddddddddwkkk",
    "...kwwwwwwwwk...",
    "...kkkkkkkkkk...",
    "................",
};

constexpr Grid kArrow = {
    "gggggggggggggggg",
    "gggggggggggggggg",
    "gggggggggggggggg",
    "gggggggggggggggg",
    "gggggggggggggggg",
    "gggggggggggggggg",
    "ggggkkkkkkkkkggg",
    "gggggkdddddkgggg",
    "ggggggkdddkggggg",
    "gggggggkdkgggggg",
    "ggggggggkggggggg",
    "gggggggggggggggg",
    "gggggggggggggggg",
    "gggggggggggggggg",
    "gggggggggggggggg",
    "gggggggggggggggg",
};

constexpr bool sixteenWide(const Grid& g)
{
    for (const char* row : g)
        if (std::char_traits<char>::length(row) != 16)
            return false;
    return true;
}
static_assert(sixteenWide(kPage) && sixteenWide(kEmblemGrid) && sixteenWide(kFolder)
              && sixteenWide(kPrinterGrid) && sixteenWide(kArrow));

} // namespace

QImage imageListSource(int index)
{
    switch (index) {
    case kPageOfText: return fromGrid(kPage);
    case kEmblem: return fromGrid(kEmblemGrid);
    case kOpenFolder: return fromGrid(kFolder);
    case kPrinter: return fromGrid(kPrinterGrid);
    default: return {};
    }
}

QPixmap imageListImage(int index)
{
    QImage img = imageListSource(index);
    if (img.isNull())
        return {};
    img = img.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = kMaskColor.rgb();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == mask)
                img.setPixel(x, y, qRgba(0, 0, 0, 0));
    return QPixmap::fromImage(img);
}

QPixmap dropDownArrow()
{
    return QPixmap::fromImage(fromGrid(kArrow));
}

namespace {

// The glyph pointing right, with its bar ("last"); the others are cut from
// it and mirrored.
constexpr std::array<const char*, 7> kNextGlyph = {
    "k...k.",
    "kk..k.",
    "kdk.k.",
    "kddkk.",
    "kdk.k.",
    "kk..k.",
    "k...k.",
};

class NavigationPainter : public QObject {
public:
    NavigationPainter(QAbstractButton* button, int index) : QObject(button), index_(index) {}

    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::Paint)
            return false;
        auto* b = static_cast<QAbstractButton*>(watched);
        QPainter p(b);
        paintNavigationButton(p, b->rect(), index_, b->isDown() || b->isChecked(), b->isEnabled(),
                              b->hasFocus(), b->palette());
        return true;
    }

private:
    int index_;
};

} // namespace

QImage navigationGlyph(int index)
{
    if (index < 0 || index > 3)
        return {};
    const bool withBar = index == 0 || index == 3;
    const bool pointsLeft = index < 2;
    QImage img(6, 7, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 6; ++x) {
            char c = kNextGlyph[std::size_t(y)][x];
            if (!withBar && x >= 4)
                c = '.';
            if (c == '.')
                continue;
            // Without its bar the triangle is centred in the glyph's width.
            const int tx = withBar ? x : x + 1;
            img.setPixelColor(pointsLeft ? 5 - tx : tx, y, paletteColor(c));
        }
    }
    return img;
}

void paintNavigationButton(QPainter& p, const QRect& r, int index, bool down, bool enabled,
                           bool focused, const QPalette& pal)
{
    // The classic two-pixel bevel: light and white on the lit top-left
    // edges, dark grey and black on the shaded ones; swapped while pressed.
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(r, pal.color(QPalette::Button));
    const QColor outerLit = down ? QColor(0, 0, 0) : pal.color(QPalette::Light);
    const QColor outerShade = down ? pal.color(QPalette::Light) : QColor(0, 0, 0);
    const QColor innerShade = pal.color(QPalette::Dark);
    const int l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
    p.setPen(outerLit);
    p.drawLine(l, t, rt - 1, t);
    p.drawLine(l, t, l, b - 1);
    p.setPen(outerShade);
    p.drawLine(l, b, rt, b);
    p.drawLine(rt, t, rt, b);
    p.setPen(innerShade);
    if (down) {
        p.drawLine(l + 1, t + 1, rt - 1, t + 1);
        p.drawLine(l + 1, t + 1, l + 1, b - 1);
    } else {
        p.drawLine(l + 1, b - 1, rt - 1, b - 1);
        p.drawLine(rt - 1, t + 1, rt - 1, b - 1);
    }

    QImage glyph = navigationGlyph(index);
    if (!enabled) {
        // Greyed: the outline in the shade colour, the fill in the face's.
        for (int y = 0; y < glyph.height(); ++y)
            for (int x = 0; x < glyph.width(); ++x)
                if (glyph.pixelColor(x, y).alpha() > 0)
                    glyph.setPixelColor(x, y, glyph.pixelColor(x, y) == QColor(0, 0, 0)
                                                  ? innerShade
                                                  : pal.color(QPalette::Button));
    }
    // Centred on the face inside the bevel; a pressed face moves one pixel.
    const QRect face = r.adjusted(2, 2, -2, -2);
    QPoint at(face.left() + (face.width() - glyph.width()) / 2,
              face.top() + (face.height() - glyph.height()) / 2);
    if (down)
        at += QPoint(1, 1);
    p.drawImage(at, glyph);

    if (focused && face.width() > 6) {
        QPen dots(pal.color(QPalette::WindowText), 1, Qt::DotLine);
        p.setPen(dots);
        p.setBrush(Qt::NoBrush);
        p.drawRect(face.adjusted(0, 0, -1, -1));
    }
    p.restore();
}

void drawAsNavigationButton(QAbstractButton* button, int index)
{
    if (!button)
        return;
    button->installEventFilter(new NavigationPainter(button, index));
    button->update();
}

// The icon: a navy tile with a gold ring and a white pressure vessel standing
// in it, its welds drawn in navy and a red gauge mark on the shell. The SVG
// installed for desktop menus draws the same figure.
QPixmap programIcon(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient bg(0, 0, 0, 64);
    bg.setColorAt(0, QColor(0x1a, 0x2a, 0x9a));
    bg.setColorAt(1, QColor(0x00, 0x00, 0x66));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xf2, 0xc2, 0x1a), 4));
    p.drawEllipse(QPointF(32, 32), 23, 23);
    // The vessel: a capsule with two heads.
    QPainterPath vessel;
    vessel.addRoundedRect(QRectF(22, 12, 20, 40), 10, 10);
    p.setPen(QPen(QColor(0x00, 0x00, 0x40), 1.5));
    p.setBrush(QColor(0xf4, 0xf4, 0xf4));
    p.drawPath(vessel);
    p.setPen(QPen(QColor(0x00, 0x00, 0x80), 1.6));
    p.drawLine(QPointF(22.5, 24), QPointF(41.5, 24));
    p.drawLine(QPointF(22.5, 40), QPointF(41.5, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc0, 0x10, 0x10));
    p.drawEllipse(QPointF(32, 32), 4, 4);
    p.setBrush(QColor(0xf4, 0xf4, 0xf4));
    p.drawEllipse(QPointF(32, 32), 1.5, 1.5);
    return pm;
}

QIcon programIconSet()
{
    QIcon icon;
    for (int s : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(programIcon(s));
    return icon;
}

namespace {

// A horizontal pressure vessel on saddles, drawn as a blueprint.
void drawVesselBlueprint(QPainter& p)
{
    const QColor line(0x9c, 0xc8, 0xff, 200);
    p.setPen(QPen(line, 1.6));
    p.setBrush(QColor(0x9c, 0xc8, 0xff, 28));
    const QRectF shell(100, 172, 330, 70);
    QPainterPath body;
    body.addRoundedRect(shell, 35, 35);
    p.drawPath(body);
    p.setBrush(Qt::NoBrush);
    // Circumferential welds.
    for (qreal x : {140.0, 215.0, 315.0, 390.0})
        p.drawLine(QPointF(x, shell.top() + 1), QPointF(x, shell.bottom() - 1));
    // Nozzles with flanges.
    auto nozzle = [&](qreal cx, qreal w, qreal h) {
        p.drawRect(QRectF(cx - w / 2, shell.top() - h, w, h));
        p.drawRect(QRectF(cx - w / 2 - 5, shell.top() - h - 5, w + 10, 5));
    };
    nozzle(175, 14, 14);
    nozzle(345, 20, 18);
    // Saddles.
    for (qreal cx : {170.0, 360.0}) {
        QPainterPath saddle;
        saddle.moveTo(cx - 30, shell.bottom() + 26);
        saddle.lineTo(cx - 20, shell.bottom() - 5);
        saddle.lineTo(cx + 20, shell.bottom() - 5);
        saddle.lineTo(cx + 30, shell.bottom() + 26);
        p.drawPath(saddle);
        p.drawLine(QPointF(cx - 40, shell.bottom() + 26), QPointF(cx + 40, shell.bottom() + 26));
    }
    // A dimension line under the vessel.
    p.setPen(QPen(QColor(0x9c, 0xc8, 0xff, 150), 1, Qt::DashLine));
    p.drawLine(QPointF(shell.left(), 312), QPointF(shell.right(), 312));
    p.setPen(QPen(QColor(0x9c, 0xc8, 0xff, 150), 1));
    p.drawLine(QPointF(shell.left(), 304), QPointF(shell.left(), 320));
    p.drawLine(QPointF(shell.right(), 304), QPointF(shell.right(), 320));
}

} // namespace

QImage titlePicture()
{
    constexpr int W = 469, H = 376;
    QImage img(W, H, QImage::Format_RGB888);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    // Night-blue ground, lighter towards the top where the title stands.
    QRadialGradient sky(W * 0.62, H * 0.22, W * 0.8);
    sky.setColorAt(0, QColor(0x20, 0x34, 0xa8));
    sky.setColorAt(0.55, QColor(0x08, 0x12, 0x70));
    sky.setColorAt(1, QColor(0x00, 0x00, 0x40));
    p.fillRect(img.rect(), sky);

    // A drafting grid.
    p.setPen(QPen(QColor(255, 255, 255, 18), 1));
    for (int x = 0; x <= W; x += 16)
        p.drawLine(x, 0, x, H);
    for (int y = 0; y <= H; y += 16)
        p.drawLine(0, y, W, y);

    drawVesselBlueprint(p);

    // A gold rule between the title and its subtitle line.
    QLinearGradient gold(150, 0, 460, 0);
    gold.setColorAt(0, QColor(0xd8, 0xa8, 0x20, 0));
    gold.setColorAt(0.3, QColor(0xf0, 0xc8, 0x40));
    gold.setColorAt(1, QColor(0xd8, 0xa8, 0x20, 0));
    p.fillRect(QRectF(150, 151, 310, 2), gold);

    // The emblem, large, at the upper left.
    p.drawPixmap(QRect(40, 56, 112, 112), programIcon(112));
    return img;
}

} // namespace orvane::ui::art
