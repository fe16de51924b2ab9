#pragma once

// Window geometry is designed in twips (1/1440 inch). The arithmetic stays in
// twips; conversion to device-independent pixels happens only where a widget
// is actually placed, at 15 twips per pixel (96 dpi).

#include <QRect>
#include <QSize>
#include <cmath>

namespace orvane::ui {

inline constexpr int kTwipsPerPixel = 15;

struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const TwipRect&, const TwipRect&) = default;
};

inline int toPixels(int twips)
{
    return int(std::lround(double(twips) / kTwipsPerPixel));
}

inline int toTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

// Edges are converted rather than sizes, so that neighbouring controls that
// touch in twips also touch in pixels.
inline QRect toPixels(const TwipRect& r)
{
    const int x = toPixels(r.left);
    const int y = toPixels(r.top);
    return QRect(x, y, toPixels(r.left + r.width) - x, toPixels(r.top + r.height) - y);
}

inline QSize toPixels(int widthTwips, int heightTwips)
{
    return QSize(toPixels(widthTwips), toPixels(heightTwips));
}

} // namespace orvane::ui
