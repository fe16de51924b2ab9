// The search and the behaviour of the search entries, options and buttons.

#include "ui/MainWindow.h"

#include "ui/Platform.h"
#include "ui/ProgramState.h"

namespace orvane::ui {

void orvaneIntMain::performSearch()
{
    // Behaviour added with the search.
}

void orvaneIntMain::Text1_Change(int index)
{
    Q_UNUSED(index);
    // Behaviour added with the search entries.
}

void orvaneIntMain::Text1_KeyDown(int index, int keyCode, int shift)
{
    Q_UNUSED(index);
    Q_UNUSED(keyCode);
    Q_UNUSED(shift);
    // Behaviour added with the search entries.
}

void orvaneIntMain::Text1_KeyPress(int index, int& keyAscii)
{
    Q_UNUSED(index);
    Q_UNUSED(keyAscii);
    // Behaviour added with the search entries.
}

void orvaneIntMain::Text1_KeyUp(int index, int keyCode, int shift)
{
    Q_UNUSED(index);
    Q_UNUSED(keyCode);
    Q_UNUSED(shift);
    // Behaviour added with the search entries.
}

void orvaneIntMain::Text1_GotFocus(int index)
{
    Q_UNUSED(index);
    // Behaviour added with the search entries.
}

void orvaneIntMain::Text1_LostFocus(int index)
{
    Q_UNUSED(index);
    // Behaviour added with the search entries.
}

void orvaneIntMain::Option1_Click(int index)
{
    Q_UNUSED(index);
    // Behaviour added with the search entries.
}

void orvaneIntMain::Option1_GotFocus(int index)
{
    Q_UNUSED(index);
    // Behaviour added with the search entries.
}

void orvaneIntMain::Command2_Click(int index)
{
    Q_UNUSED(index);
    // Behaviour added with the search entries.
}

} // namespace orvane::ui
