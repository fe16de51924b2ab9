#pragma once

// A scripted double of the platform for tests: it records every call, answers
// each dialog from a queue and keeps a virtual clock that only moves when a
// test (or a wait) moves it.

#include "app/Platform.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace orvane::app {

class ScriptedPlatform : public Platform {
public:
    struct MessageBoxCall {
        QString title;
        QString text;
        MessageIcon icon;
        MessageButtons buttons;
    };
    struct FileDialogCall {
        QString title;
        QString filter;
        QString initialPath;
    };

    ScriptedPlatform();
    ~ScriptedPlatform() override;

    // --- script -----------------------------------------------------------
    // Answers, taken from the front; an empty queue answers Ok (message box),
    // cancelled (file dialog) and cancelled (printer set-up).
    std::deque<MessageAnswer> messageAnswers;
    std::deque<QString> fileAnswers;   // a null QString() answers "cancelled"
    std::deque<bool> printerSetupAnswers;
    // What the user does in the printer set-up dialog before answering it:
    // changes made to the candidate printer, which becomes printer() only
    // when the answer is "accepted". Unset: the dialog changes nothing.
    std::function<void(QPrinter& candidate)> printerSetupChoice;
    // The PDF file the scripted printer writes; read when printer() is first
    // asked for. Empty: no file, so a print job fails to start.
    QString printerOutputFile;
    QDateTime clock = QDateTime(QDate(2014, 6, 2), QTime(9, 0));
    QSize screen{1280, 1024};
    QString folder = QStringLiteral("/opt/orvane");
    QString arguments;
    // Long work: the virtual clock moves this far at each progress report,
    // and the user cancels at the first report this answers true for.
    qint64 msPerProgressStep = 0;
    std::function<bool(const LongWork& what, int done, int total)> cancelWhen;

    // --- record -----------------------------------------------------------
    QStringList calls;   // one entry per call, e.g. "beep", "waitUntil 09:00:03.000"
    std::vector<MessageBoxCall> messageBoxes;
    std::vector<FileDialogCall> fileDialogs;
    std::vector<QDateTime> waits;
    struct LongWorkRun {
        LongWork what;
        bool progressShown = false;   // the work outlasted the dialog's delay
        QString progressLabel;        // the label when last reported while shown
        int reports = 0;
        bool cancelled = false;
    };
    std::vector<LongWorkRun> longWorks;
    int beeps = 0;
    int printerSetups = 0;
    bool ended = false;

    void advance(qint64 ms) { clock = clock.addMSecs(ms); }

    // --- Platform -----------------------------------------------------------
    MessageAnswer messageBox(const QString& title, const QString& text,
                             MessageIcon icon, MessageButtons buttons) override;
    void beep() override;
    void setMousePointer(MousePointer pointer) override;
    MousePointer mousePointer() const override { return pointer_; }
    std::optional<QString> openFileDialog(const QString& title,
                                          const QString& filter, const QString& initialPath) override;
    bool printerSetupDialog() override;
    QPrinter* printer() override;
    QDateTime now() override;
    void waitUntil(const QDateTime& moment) override;
    bool runLongWork(const LongWork& what, const std::function<void(WorkProgress&)>& work) override;
    QSize screenSize() override;
    QString programFolder() override;
    QString commandLine() override;
    void endProgram() override;
    bool programEnded() const override { return ended; }

private:
    MousePointer pointer_ = MousePointer::Default;
    std::unique_ptr<QPrinter> printer_;
};

} // namespace orvane::app
