// Program initiation, section selection, the File menu and database import.

#include "ui/MainWindow.h"

#include "ui/Platform.h"
#include "ui/ProgramState.h"

namespace orvane::ui {

bool orvaneIntMain::initiateProgram()
{
    // Reading the section list is added with program initiation; until then
    // no database counts as initiated.
    return false;
}

void orvaneIntMain::selectSection(const QString& tempSectionName)
{
    Q_UNUSED(tempSectionName);
    // Behaviour added with section selection.
}

void orvaneIntMain::mnuFileOpenSection_Click(int index)
{
    Q_UNUSED(index);
    // Behaviour added with section selection.
}

void orvaneIntMain::mnuFile_Click()
{
    // Behaviour added with section selection.
}

void orvaneIntMain::mnuFileOpen_Click()
{
    // Behaviour added with section selection.
}

void orvaneIntMain::mnuFileImport_Click()
{
    // Behaviour added with database import.
}

} // namespace orvane::ui
