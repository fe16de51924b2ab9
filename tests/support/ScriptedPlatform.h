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

    // --- record -----------------------------------------------------------
    QStringList calls;   // one entry per call, e.g. "beep", "waitUntil 09:00:03.000"
    std::vector<MessageBoxCall> messageBoxes;
    std::vector<FileDialogCall> fileDialogs;
    std::vector<QDateTime> waits;
    int beeps = 0;
    int printerSetups = 0;
    bool ended = false;

    void advance(qint64 ms) { clock = clock.addMSecs(ms); }

    // --- Platform -----------------------------------------------------------
    MessageAnswer messageBox(QWidget* parent, const QString& title, const QString& text,
                             MessageIcon icon, MessageButtons buttons) override;
    void beep() override;
    void setMousePointer(MousePointer pointer) override;
    MousePointer mousePointer() const override { return pointer_; }
    std::optional<QString> openFileDialog(QWidget* parent, const QString& title,
                                          const QString& filter, const QString& initialPath) override;
    bool printerSetupDialog(QWidget* parent) override;
    QPrinter* printer() override;
    QDateTime now() override;
    void waitUntil(const QDateTime& moment) override;
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
