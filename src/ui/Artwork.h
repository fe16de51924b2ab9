#pragma once

// The program's own pictures, drawn in code: the four 16 x 16 images of the
// main window's image list, the drop-down arrow, the program icon and the
// title window's background picture.

#include <QColor>
#include <QIcon>
#include <QPixmap>

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

// The program's icon at the given edge length.
QPixmap programIcon(int size);
QIcon programIconSet();

// The title window's background: 469 x 376 pixels, 24-bit colour.
QImage titlePicture();

} // namespace orvane::ui::art
