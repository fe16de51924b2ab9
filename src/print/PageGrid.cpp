#include "print/PageGrid.h"

#include <cmath>
#include <limits>

namespace orvane::print {

long long roundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double diff = value - floor;
    long long result = static_cast<long long>(floor);
    if (diff > 0.5 || (diff == 0.5 && (result % 2 != 0)))
        ++result;
    return result;
}

PageGrid computePageGrid(int pageWidthTwips, int pageHeightTwips)
{
    const double w = pageWidthTwips;
    const double h = pageHeightTwips;
    PageGrid grid;
    if (pageWidthTwips > pageHeightTwips) {
        grid.gridUnitX = h / 240 * 0.98;
        const long long unit = roundHalfEven(grid.gridUnitX);
        grid.gridWidth = unit == 0 ? 0 : int(pageWidthTwips / unit - 30);
    } else {
        grid.gridUnitX = w / 250 * 0.98;
        grid.gridWidth = 230;
    }
    grid.gridUnitY = h * 0.95 / 338;
    return grid;
}

QPointF gridPoint(const PageGrid& grid, double x, double y)
{
    return {(x + 20) * grid.gridUnitX, (y + 5) * grid.gridUnitY};
}

std::optional<QLineF> gridLine(const PageGrid& grid, int x1, int y1, int x2, int y2)
{
    const auto fits = [](int v) {
        return v >= std::numeric_limits<qint16>::min() && v <= std::numeric_limits<qint16>::max();
    };
    if (!fits(x1 + 20) || !fits(y1 + 5) || !fits(x2 + 20) || !fits(y2 + 5))
        return std::nullopt;
    return QLineF(gridPoint(grid, x1, y1), gridPoint(grid, x2, y2));
}

PageFrame pageFrame(const PageGrid& grid)
{
    PageFrame f;
    for (int i = 0; i < 2; ++i) {
        f.headerRules[i] = QLineF(gridPoint(grid, 0, kHeaderRuleRows[i]),
                                  gridPoint(grid, grid.gridWidth, kHeaderRuleRows[i]));
        f.footerRules[i] = QLineF(gridPoint(grid, 0, kFooterRuleRows[i]),
                                  gridPoint(grid, grid.gridWidth, kFooterRuleRows[i]));
    }
    f.frameLeft = grid.gridUnitX * 20;
    f.frameRight = (grid.gridWidth + 20) * grid.gridUnitX;
    f.productNameY = (kProductNameRow + 5) * grid.gridUnitY;
    f.copyrightY = (kCopyrightRow + 5) * grid.gridUnitY;
    f.footerTextY = grid.gridUnitY * kFooterTextRow + grid.gridUnitY * 5;
    return f;
}

double centredX(const PageGrid& grid, double textWidthTwips)
{
    return (grid.gridWidth * grid.gridUnitX - textWidthTwips) / 2 + grid.gridUnitX * 20;
}

double rightAlignedX(const PageGrid& grid, double textWidthTwips)
{
    return grid.gridWidth * grid.gridUnitX - textWidthTwips + grid.gridUnitX * 20;
}

double trademarkX(const PageGrid& grid, double productNameWidthTwips)
{
    return centredX(grid, productNameWidthTwips) + productNameWidthTwips;
}

QString headerCopyrightLine(int year, bool firstPage)
{
    const QString yyyy = QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0'));
    const QLatin1String head = firstPage
        ? QLatin1String("ASME Boiler & Pressure Vessel Code Interpretations, Copyright(c) 1974-")
        : QLatin1String("ASME B&PV Code Interpretations, Copyright(c) 1974-");
    return head + yyyy + QLatin1String(" The American Society of Mechanical Engineers");
}

TwipMargins bodyMargins(int pageWidthTwips, int pageHeightTwips)
{
    // Single precision, as the page size is held.
    const int x = int(roundHalfEven(float(pageWidthTwips) / 8.0f));
    const int y = int(roundHalfEven(float(pageHeightTwips) / 9.0f));
    return {x, y, x, y};
}

int offsetTwips(double devicePixels, double dotsPerInch)
{
    if (dotsPerInch <= 0)
        return 0;
    return int(roundHalfEven(devicePixels * (1440.0 / dotsPerInch)));
}

std::optional<TwipRect> drawingRect(int pageWidthTwips, int pageHeightTwips,
                                    const TwipMargins& m, int offsetXTwips, int offsetYTwips)
{
    const long long w = pageWidthTwips, h = pageHeightTwips;
    const long long v[4] = {
        static_cast<long long>(m.left) - offsetXTwips,
        static_cast<long long>(m.top) - offsetYTwips,
        (w - m.right) - offsetXTwips,
        (h - m.bottom) - offsetYTwips,
    };
    for (long long x : v) {
        if (x < std::numeric_limits<int>::min() || x > std::numeric_limits<int>::max())
            return std::nullopt;
    }
    return TwipRect{int(v[0]), int(v[1]), int(v[2]), int(v[3])};
}

TwipRect pageRect(int pageWidthTwips, int pageHeightTwips)
{
    return {0, 0, pageWidthTwips, pageHeightTwips};
}

double twipsToDevice(double twips, double dotsPerInch)
{
    return twips * dotsPerInch / 1440.0;
}

double deviceToTwips(double device, double dotsPerInch)
{
    return dotsPerInch > 0 ? device * 1440.0 / dotsPerInch : 0;
}

} // namespace orvane::print
