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

namespace orvane::app {

enum class MessageIcon { None, Critical, Question, Warning, Information };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };
enum class MousePointer { Default, Wait };

// What long work sees of the platform while it runs off the window's thread:
// where to say how far it has come, and whether the user cancelled.
class WorkProgress {
public:
    virtual ~WorkProgress() = default;
    // `done` of `total` steps; a total of 0 means "not known".
    virtual void report(int done, int total) = 0;
    virtual bool cancelled() const = 0;
};

// How long work is announced once it outlasts kProgressAfterMs: the
// progress dialog's title, and its label with %1 for the steps done and %2
// for all of them ("%1 of %2 interpretations"), shown as it is while the
// work reports no total.
struct LongWork {
    QString title;
    QString label;
};

class Platform {
public:
    virtual ~Platform() = default;

    // Dialogs belong to the program's window the user is working in (the
    // platform knows which); the caller never names a window.

    // Modal message box; returns the button pressed.
    virtual MessageAnswer messageBox(const QString& title, const QString& text,
                                     MessageIcon icon, MessageButtons buttons = MessageButtons::Ok) = 0;
    virtual void beep() = 0;

    // The screen-wide mouse pointer (hourglass while the program is busy).
    virtual void setMousePointer(MousePointer pointer) = 0;
    virtual MousePointer mousePointer() const = 0;

    // Open-file dialog. `filter` is a list of description|pattern pairs
    // separated by "|", e.g. "Data (data.mdb)|data.mdb". Returns the chosen
    // file's full path, or nothing when the user cancelled.
    virtual std::optional<QString> openFileDialog(const QString& title,
                                                  const QString& filter,
                                                  const QString& initialPath) = 0;

    // Printer set-up dialog; accepting it changes printer(). Returns whether
    // it was accepted.
    virtual bool printerSetupDialog() = 0;
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

    // Runs `work` off the window's thread: the busy pointer from the start
    // and, once it has run kProgressAfterMs by now(), a progress dialog with
    // Cancel (Escape cancels too, also before the dialog shows). The windows
    // keep painting; other user input is ignored. `work` must not touch a
    // window or emit a signal. Returns false when the user cancelled.
    static constexpr int kProgressAfterMs = 2000;
    virtual bool runLongWork(const LongWork& what, const std::function<void(WorkProgress&)>& work) = 0;

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
