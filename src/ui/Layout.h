#pragma once

// The main window's resize rule as a pure function over the twip rectangles
// of the controls it moves or stretches.

#include "ui/Twips.h"

#include <array>

class QLabel;
class QWidget;

namespace orvane::ui {

struct MainLayout {
    int toolbarHeight = 0;    // Toolbar1.Height
    TwipRect frame0;          // Frame1(0) text search
    TwipRect frame1;          // Frame1(1) first/previous group
    TwipRect frame2;          // Frame1(2) paragraph search
    TwipRect frame3;          // Frame1(3) interpretations found
    TwipRect frame4;          // Frame1(4) interpretation view
    TwipRect frame5;          // Frame1(5) option group
    TwipRect frame6;          // Frame1(6) status line
    TwipRect frame7;          // Frame1(7) next/last group
    TwipRect text1_1;         // Text1(1) keyword entry
    TwipRect command1_0;      // Command1(0) Exit
    TwipRect command1_1;      // Command1(1) Search
    TwipRect command2_2;      // Command2(2) keyword drop-down button
    TwipRect listView1_0;     // ListView1(0) paragraph drop-down list
    TwipRect listView1_1;     // ListView1(1) keyword drop-down list
    TwipRect listView1_2;     // ListView1(2) results list
    TwipRect richTextBox1;
    TwipRect shape1;

    friend bool operator==(const MainLayout&, const MainLayout&) = default;
};

inline constexpr int kLayoutMinWidth = 9200;    // at or below: horizontal pass skipped
inline constexpr int kLayoutMinHeight = 6400;   // at or below: vertical pass skipped

// New positions for a window whose outer size (border, title and menu bar
// included) is outerWidth x outerHeight twips. Each assignment sees the
// values assigned before it; a negative width or height is not assigned.
MainLayout layoutMainWindow(MainLayout layout, int outerWidth, int outerHeight);

// The status line on the interpretation frame's top edge: the identifier
// after the frame's caption, and at the right end a group of "Volume:"
// volume "Interpretation:" position "of" count. Items are numbered 0
// identifier, 1 "Volume:", 2 volume, 3 "Interpretation:", 4 position, 5 "of",
// 6 count. All values in pixels.
struct StatusSpan {
    int left = 0;
    int width = 0;
    int right() const { return left + width; }
    friend bool operator==(const StatusSpan&, const StatusSpan&) = default;
};
using StatusSpans = std::array<StatusSpan, 7>;
using StatusWidths = std::array<int, 7>;

// The design of the line: item 0 in the frame's coordinates, items 1 to 6
// in the group's, the group's width and its distance from the frame's
// right edge.
struct StatusDesign {
    StatusSpans items;
    int groupWidth = 0;
    int groupRightMargin = 0;
};

struct StatusPlacement {
    StatusSpans items;   // all in the frame's coordinates
    StatusSpan group;    // in the frame's coordinates
};

inline constexpr int kStatusGap = 4;   // least room between identifier and group

// Places the items so that no two overlap. Each item is as wide as
// `widths` asks, and a wider (or narrower) item moves the ones after it, the
// group keeping its right end; with the design widths everything stands
// where the design has it. When the identifier does not fit before the
// group, it gives way first (to its minimum), then the volume, the
// position and the count, none below its minimum. The captions (1, 3, 5)
// always keep the width asked for.
StatusPlacement layoutStatusLine(int frameWidth, const StatusDesign& design,
                                 const StatusWidths& widths, const StatusWidths& minimum);

// Keeps the window's status line laid out by layoutStatusLine whenever a
// label's text or the frame's width changes: `frame` is the interpretation
// frame, `group` the borderless frame on its edge that holds labels 1 to 6,
// labels[0] the identifier (a child of `frame`). A label narrower than its
// text shows it elided, with the whole text as its tooltip.
void keepStatusLineLaidOut(QWidget* frame, QWidget* group, const std::array<QLabel*, 7>& labels);

// A status-line label's own tooltip (the identifier's section): shown
// alone, or after the whole text while the label shows it elided.
void setOwnToolTip(QLabel* label, const QString& tip);

} // namespace orvane::ui
