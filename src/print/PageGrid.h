#pragma once

// The arithmetic of a printed page, in twips (1/1440 inch) from the top-left
// corner of the printable area: the page grid that header and footer are
// drawn on, the margins of the text body and the rectangle the body is laid
// into. No printer or painter here; convert to device units once, at the
// edge, with twipsToDevice.
//
// The grid: a grid point (x, y) lies at ((x + 20) * gridUnitX, (y + 5) * gridUnitY).
// Header rules on grid rows 0 and 20, product name on row 3 (12 pt bold,
// "TM" after it at 5 pt), copyright line on row 12 (8 pt bold), footer rules
// on rows 319 and 325, footer texts on row 320 (5 pt). Rules run from grid
// column 0 to gridWidth.

#include <QLineF>
#include <QString>

#include <optional>

namespace orvane::print {

struct PageGrid {
    double gridUnitX = 0;   // twips per horizontal grid unit
    double gridUnitY = 0;   // twips per vertical grid unit
    int gridWidth = 0;      // width of the frame in horizontal grid units
};

// From the page size in twips. Landscape (W > H): gridUnitX = H / 240 * 0.98,
// gridWidth = W \ round(gridUnitX) - 30 (round half to even, division
// truncating; 0 when the rounded unit is 0). Portrait or square:
// gridUnitX = W / 250 * 0.98, gridWidth = 230. Always gridUnitY = H * 0.95 / 338.
PageGrid computePageGrid(int pageWidthTwips, int pageHeightTwips);

// The printer point, in twips, of grid point (x, y).
QPointF gridPoint(const PageGrid& grid, double x, double y);

// The line drawGridLine draws between two grid points, or nullopt when a
// coordinate plus its offset leaves the 16-bit range (the line is not drawn).
std::optional<QLineF> gridLine(const PageGrid& grid, int x1, int y1, int x2, int y2);

// Grid rows of the frame.
inline constexpr int kHeaderRuleRows[2] = {0, 20};
inline constexpr int kProductNameRow = 3;
inline constexpr int kCopyrightRow = 12;
inline constexpr int kFooterRuleRows[2] = {319, 325};
inline constexpr int kFooterTextRow = 320;

// Fonts of the frame (all Arial) and of the body default.
inline constexpr const char* kFrameFont = "Arial";
inline constexpr double kProductNamePt = 12;   // bold
inline constexpr double kCopyrightPt = 8;      // bold
inline constexpr double kTrademarkPt = 5;      // the raised "TM"
inline constexpr double kFooterPt = 5;         // not bold
inline constexpr double kBodyPt = 8;

// Everything header and footer need, in twips; texts are placed by their top
// left corner (current x, current y).
struct PageFrame {
    QLineF headerRules[2];
    QLineF footerRules[2];
    double frameLeft = 0;     // left end of the rules: 20 * gridUnitX
    double frameRight = 0;    // right end: (gridWidth + 20) * gridUnitX
    double productNameY = 0;  // (3 + 5) * gridUnitY; also the top of "TM"
    double copyrightY = 0;    // (12 + 5) * gridUnitY
    double footerTextY = 0;   // 320 * gridUnitY + 5 * gridUnitY
};
PageFrame pageFrame(const PageGrid& grid);

// Left x of a header line of the given width, centred over the rules:
// (gridWidth * gridUnitX - width) / 2 + gridUnitX * 20.
double centredX(const PageGrid& grid, double textWidthTwips);
// Left x of the footer's right-hand text, so that it ends where the rules end.
double rightAlignedX(const PageGrid& grid, double textWidthTwips);
// The "TM" stands right after the product name: its centred x plus its width.
double trademarkX(const PageGrid& grid, double productNameWidthTwips);

// The copyright line of the header: long on the first page, short after.
QString headerCopyrightLine(int year, bool firstPage);

struct TwipMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const TwipMargins&, const TwipMargins&) = default;
};
struct TwipRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const TwipRect&, const TwipRect&) = default;
};

// Body margins from the physical page edges: W / 8 left and right, H / 9 top
// and bottom, each divided in single precision and rounded half to even.
TwipMargins bodyMargins(int pageWidthTwips, int pageHeightTwips);

// A physical offset of the printable area in device pixels, in whole twips.
int offsetTwips(double devicePixels, double dotsPerInch);

// The rectangle the body is laid into, relative to the printable area:
// left = L - PX, top = T - PY, right = (W - R) - PX, bottom = (H - B) - PY.
// nullopt when the arithmetic leaves the 32-bit range (nothing is printed).
std::optional<TwipRect> drawingRect(int pageWidthTwips, int pageHeightTwips,
                                    const TwipMargins& margins, int offsetXTwips,
                                    int offsetYTwips);
// The page rectangle: 0, 0, W, H.
TwipRect pageRect(int pageWidthTwips, int pageHeightTwips);

// Twips to device units and back at a resolution in dots per inch.
double twipsToDevice(double twips, double dotsPerInch);
double deviceToTwips(double device, double dotsPerInch);

// Round half to even, as the page arithmetic rounds.
long long roundHalfEven(double value);

} // namespace orvane::print
