#pragma once

// The program's own pictures, drawn in code: the four 16 x 16 images of the
// main window's image list, the drop-down arrow, the program icon and the
// title window's background picture.

#include <QColor>
#include <QIcon>
#include <QPixmap>

class QAbstractButton;
class QPainter;

namespace orvane::ui::art {

// Colour that the image list treats as transparent (RGB 128, 128, 0).
inline const QColor kMaskColor(128, 128, 0);

enum ImageIndex { kPageOfText = 1, kEmblem = 2, kOpenFolder = 3, kPrinter = 4 };

// Image `index` (1 to 4) of the main window's image list, 16 x 16, with the
// mask colour made transparent. Any other index gives a null pixmap.
QPixmap imageListImage(int index);
// The same picture before masking: 16 colours with the mask colour in place.
QImage imageListSource(int index);

// 16 x 16: a small black-outlined downward triangle on grey.
QPixmap dropDownArrow();

// The glyph of navigation button `index` (0 first, 1 previous, 2 next,
// 3 last): a black-outlined grey arrow like the drop-down arrow's, pointing
// left for first and previous, right for next and last, with a bar at the
// end for first and last. 6 x 7 pixels, transparent around the glyph.
QImage navigationGlyph(int index);

// Paints a small command button with a raised (or, while `down`, sunken)
// bevel and the navigation glyph `index` centred on its face, greyed out
// when not `enabled`.
void paintNavigationButton(QPainter& painter, const QRect& rect, int index, bool down,
                           bool enabled, bool focused, const QPalette& palette);

// Makes a push button draw itself as navigation button `index` from now on,
// whatever the widget style would draw: the style's flat rounded square at
// 15 pixels reads as a check box.
void drawAsNavigationButton(QAbstractButton* button, int index);

// The program's icon at the given edge length.
QPixmap programIcon(int size);
QIcon programIconSet();

// The title window's background: 469 x 376 pixels, 24-bit colour.
QImage titlePicture();

} // namespace orvane::ui::art
