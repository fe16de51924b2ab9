#pragma once

// The main window's controls as tests reach them: looked up by their
// objectName at the moment of the call, so that a test sees exactly what
// the window holds then. Take it again after anything that changes the
// section menu: its entries are created and deleted as sections are listed.

#include "ui/Controls.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace orvane::testing {

struct WindowControls {
    std::array<ui::TextBox*, 2> Text1{};
    std::array<ui::ListView*, 3> ListView1{};
    std::array<QLabel*, 11> Label1{};
    std::array<QRadioButton*, 3> Option1{};
    std::array<QPushButton*, 2> Command1{};
    std::array<ui::PictureButton*, 3> Command2{};   // index 1 is unused
    QPushButton* Command3 = nullptr;
    std::array<QPushButton*, 4> Command4{};
    std::array<ui::Frame*, 8> Frame1{};
    QTextEdit* RichTextBox1 = nullptr;
    ui::Shape* Shape1 = nullptr;
    QToolBar* Toolbar1 = nullptr;
    std::array<QToolButton*, 3> Toolbar1Buttons{};   // index 0 is unused
    QMenu* mnuFile = nullptr;
    QMenu* mnuFileOpenMenu = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuFileOpen = nullptr;
    QAction* mnuFileImport = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuPrintAll = nullptr;
    QAction* mnuPrintSetup = nullptr;
    QAction* mnuFileExit = nullptr;
    QAction* mnuHelpHelp = nullptr;
    QAction* mnuHelpAbout = nullptr;
    std::vector<QAction*> mnuFileOpenSection;   // by index; [0] the placeholder
    QAction* mnuFileSpacer0 = nullptr;
    QAction* mnuFileSpacer1 = nullptr;
    QAction* mnuFileSpacer2 = nullptr;
    QAction* mnuHelpSeperator0 = nullptr;
    QAction* mnuHelpSeperator1 = nullptr;
};

namespace detail {

template <typename T>
T* child(QWidget& window, const QString& name)
{
    return window.findChild<T*>(name);
}

template <typename T, std::size_t N>
void fillIndexed(QWidget& window, std::array<T*, N>& out, const char* base)
{
    for (std::size_t i = 0; i < N; ++i)
        out[i] = child<T>(window, QStringLiteral("%1(%2)").arg(QLatin1String(base)).arg(i));
}

// Actions named "base(n)", by n.
inline std::vector<QAction*> indexedActions(QWidget& window, const char* base)
{
    const QRegularExpression re(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(QLatin1String(base)) + QStringLiteral("\\((\\d+)\\)")));
    std::vector<std::pair<int, QAction*>> found;
    for (QAction* a : window.findChildren<QAction*>()) {
        const auto m = re.match(a->objectName());
        if (m.hasMatch())
            found.emplace_back(m.captured(1).toInt(), a);
    }
    std::sort(found.begin(), found.end(),
              [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<QAction*> out;
    for (const auto& [index, action] : found) {
        if (out.size() < std::size_t(index))
            out.resize(std::size_t(index), nullptr);   // a gap stays visible as null
        out.push_back(action);
    }
    return out;
}

} // namespace detail

inline WindowControls controls(QWidget& window)
{
    using namespace detail;
    WindowControls c;
    fillIndexed(window, c.Text1, "Text1");
    fillIndexed(window, c.ListView1, "ListView1");
    fillIndexed(window, c.Label1, "Label1");
    fillIndexed(window, c.Option1, "Option1");
    fillIndexed(window, c.Command1, "Command1");
    fillIndexed(window, c.Command2, "Command2");
    fillIndexed(window, c.Command4, "Command4");
    fillIndexed(window, c.Frame1, "Frame1");
    c.Command3 = child<QPushButton>(window, QStringLiteral("Command3"));
    c.RichTextBox1 = child<QTextEdit>(window, QStringLiteral("RichTextBox1"));
    c.Shape1 = child<ui::Shape>(window, QStringLiteral("Shape1"));
    c.Toolbar1 = child<QToolBar>(window, QStringLiteral("Toolbar1"));
    for (int i = 1; i <= 2; ++i)
        c.Toolbar1Buttons[std::size_t(i)] =
            child<QToolButton>(window, QStringLiteral("Toolbar1.Buttons(%1)").arg(i));
    c.mnuFile = child<QMenu>(window, QStringLiteral("mnuFile"));
    c.mnuFileOpenMenu = child<QMenu>(window, QStringLiteral("mnuFileOpen"));
    c.mnuHelp = child<QMenu>(window, QStringLiteral("mnuHelp"));
    c.mnuFileOpen = child<QAction>(window, QStringLiteral("mnuFileOpen"));
    if (c.mnuFileOpen == nullptr && c.mnuFileOpenMenu != nullptr)
        c.mnuFileOpen = c.mnuFileOpenMenu->menuAction();
    c.mnuFileImport = child<QAction>(window, QStringLiteral("mnuFileImport"));
    c.mnuPrint = child<QAction>(window, QStringLiteral("mnuPrint"));
    c.mnuPrintAll = child<QAction>(window, QStringLiteral("mnuPrintAll"));
    c.mnuPrintSetup = child<QAction>(window, QStringLiteral("mnuPrintSetup"));
    c.mnuFileExit = child<QAction>(window, QStringLiteral("mnuFileExit"));
    c.mnuHelpHelp = child<QAction>(window, QStringLiteral("mnuHelpHelp"));
    c.mnuHelpAbout = child<QAction>(window, QStringLiteral("mnuHelpAbout"));
    c.mnuFileOpenSection = indexedActions(window, "mnuFileOpenSection");
    c.mnuFileSpacer0 = child<QAction>(window, QStringLiteral("mnuFileSpacer0"));
    c.mnuFileSpacer1 = child<QAction>(window, QStringLiteral("mnuFileSpacer1"));
    c.mnuFileSpacer2 = child<QAction>(window, QStringLiteral("mnuFileSpacer2"));
    c.mnuHelpSeperator0 = child<QAction>(window, QStringLiteral("mnuHelpSeperator0"));
    c.mnuHelpSeperator1 = child<QAction>(window, QStringLiteral("mnuHelpSeperator1"));
    return c;
}

// For helpers that only look.
inline WindowControls controls(const QWidget& window)
{
    return controls(const_cast<QWidget&>(window));
}

} // namespace orvane::testing
