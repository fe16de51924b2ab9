// Printing the interpretation on display, and the printer set-up.

#include "ui/MainWindow.h"

#include "print/PrintDriver.h"
#include "ui/Platform.h"
#include "ui/ProgramState.h"

#include <QPrinter>
#include <exception>

namespace orvane::ui {

void orvaneIntMain::mnuPrint_Click()
{
    // Without a picked row the view may hold a stale or empty text; there is
    // nothing the user asked to print.
    if (ListView1[2]->selectedItems().isEmpty())
        return;
    // A print that fails shows nothing: the driver ends the job quietly and
    // any exception from the printer system stops here.
    try {
        QPrinter* printer = platform_.printer();
        if (!printer)
            return;
        print::printDocument(*RichTextBox1->document(), *printer,
                             [this] { return platform_.now().date(); },
                             print::printJobTitle(Label1[0]->text()));
    } catch (const std::exception&) {
    }
}

void orvaneIntMain::mnuPrintSetup_Click()
{
    // The platform applies an accepted choice to the printer the next print
    // uses and leaves it untouched when the dialog is cancelled.
    try {
        platform_.printerSetupDialog(this);
    } catch (const std::exception&) {
    }
}

} // namespace orvane::ui
