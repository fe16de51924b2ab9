// The query given on the program's command line.

#include "ui/MainWindow.h"

#include "ui/Platform.h"
#include "ui/ProgramState.h"

namespace orvane::ui {

void orvaneIntMain::processCommandLine()
{
    // Behaviour added with the command-line query.
}

} // namespace orvane::ui
