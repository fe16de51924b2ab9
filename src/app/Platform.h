#pragma once

// Everything modal or machine-wide that the program uses goes through this
// one interface, so that tests can answer dialogs, drive the clock and see
// what the program asked of the machine without a person or real seconds.

#include <QDateTime>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>

class QPrinter;
class QWidget;

namespace orvane::app {

enum class MessageIcon { None, Critical, Question, Warning, Information };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };
enum class MousePointer { Default, Wait };

class Platform {
public:
    virtual ~Platform() = default;

    // Modal message box over `parent` (may be null); returns the button pressed.
    virtual MessageAnswer messageBox(QWidget* parent, const QString& title, const QString& text,
                                     MessageIcon icon, MessageButtons buttons = MessageButtons::Ok) = 0;
    virtual void beep() = 0;

    // The screen-wide mouse pointer (hourglass while the program is busy).
    virtual void setMousePointer(MousePointer pointer) = 0;
    virtual MousePointer mousePointer() const = 0;

    // Open-file dialog. `filter` is a list of description|pattern pairs
    // separated by "|", e.g. "Data (data.mdb)|data.mdb". Returns the chosen
    // file's full path, or nothing when the user cancelled.
    virtual std::optional<QString> openFileDialog(QWidget* parent, const QString& title,
                                                  const QString& filter,
                                                  const QString& initialPath) = 0;

    // Printer set-up dialog; accepting it changes printer(). Returns whether
    // it was accepted.
    virtual bool printerSetupDialog(QWidget* parent) = 0;
    // The printer the program prints on (owned by the platform).
    virtual QPrinter* printer() = 0;

    virtual QDateTime now() = 0;
    // Holds the user-interface thread until `moment`: windows keep painting,
    // user input is ignored. Returns at once when `moment` has passed.
    virtual void waitUntil(const QDateTime& moment) = 0;

    // Runs `work` to its end while the windows keep painting and user input
    // is ignored, for work that may block for seconds (opening a file on a
    // slow share). `work` must not touch a window. By default it simply runs.
    virtual void runWhileWaiting(const std::function<void()>& work) { work(); }

    // Size of the primary screen in device-independent pixels.
    virtual QSize screenSize() = 0;
    // Folder of the executable, without a trailing separator except at a root.
    virtual QString programFolder() = 0;
    // The program's arguments as one text, as typed after the program name.
    virtual QString commandLine() = 0;

    // Ends the program at once: no further window event runs. Only a test
    // double returns from this; callers return straight after calling it.
    virtual void endProgram() = 0;
    virtual bool programEnded() const = 0;
};

} // namespace orvane::app
