#pragma once

// The main window's resize rule as a pure function over the twip rectangles
// of the controls it moves or stretches.

#include "ui/Twips.h"

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

} // namespace orvane::ui
