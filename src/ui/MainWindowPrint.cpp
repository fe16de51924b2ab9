// Printing the interpretation on display, and the printer set-up.

#include "ui/MainWindow.h"

#include "ui/Platform.h"
#include "ui/ProgramState.h"

namespace orvane::ui {

void orvaneIntMain::mnuPrint_Click()
{
    // Behaviour added with printing.
}

void orvaneIntMain::mnuPrintSetup_Click()
{
    // Behaviour added with printing.
}

} // namespace orvane::ui
