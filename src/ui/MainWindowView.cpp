// Loading and formatting an interpretation, highlighting, the results list
// and navigation.

#include "ui/MainWindow.h"

#include "ui/Platform.h"
#include "ui/ProgramState.h"

namespace orvane::ui {

void orvaneIntMain::loadInterpretation(const QString& id)
{
    Q_UNUSED(id);
    // Behaviour added with interpretation loading.
}

void orvaneIntMain::formatText(const QString& rawText)
{
    Q_UNUSED(rawText);
    // Behaviour added with interpretation loading.
}

void orvaneIntMain::markUpText()
{
    // Behaviour added with search-term highlighting.
}

void orvaneIntMain::scanText(const QString& searchString)
{
    Q_UNUSED(searchString);
    // Behaviour added with search-term highlighting.
}

void orvaneIntMain::setUpNavigationButtons()
{
    // Behaviour added with the results list and navigation.
}

void orvaneIntMain::ListView1_ItemClick(int index, QTreeWidgetItem* item)
{
    Q_UNUSED(index);
    Q_UNUSED(item);
    // Behaviour added with the results list and navigation.
}

void orvaneIntMain::ListView1_KeyUp(int index, int keyCode, int shift)
{
    Q_UNUSED(index);
    Q_UNUSED(keyCode);
    Q_UNUSED(shift);
    // Behaviour added with the results list and navigation.
}

void orvaneIntMain::ListView1_MouseUp(int index, int button, int shift, int x, int y)
{
    Q_UNUSED(index);
    Q_UNUSED(button);
    Q_UNUSED(shift);
    Q_UNUSED(x);
    Q_UNUSED(y);
    // Behaviour added with the results list and navigation.
}

void orvaneIntMain::ListView1_GotFocus(int index)
{
    Q_UNUSED(index);
    // Behaviour added with the results list and navigation.
}

void orvaneIntMain::ListView1_LostFocus(int index)
{
    Q_UNUSED(index);
    // Behaviour added with the results list and navigation.
}

void orvaneIntMain::RichTextBox1_GotFocus()
{
    // Behaviour added with the results list and navigation.
}

void orvaneIntMain::Command4_Click(int index)
{
    Q_UNUSED(index);
    // Behaviour added with the results list and navigation.
}

} // namespace orvane::ui
