#include "support/ScriptedPlatform.h"

#include "print/PrinterCopy.h"

#include <QPrinter>

namespace orvane::app {

ScriptedPlatform::ScriptedPlatform() = default;
ScriptedPlatform::~ScriptedPlatform() = default;

MessageAnswer ScriptedPlatform::messageBox(QWidget*, const QString& title, const QString& text,
                                           MessageIcon icon, MessageButtons buttons)
{
    calls << QStringLiteral("messageBox ") + title;
    messageBoxes.push_back({title, text, icon, buttons});
    if (messageAnswers.empty())
        return MessageAnswer::Ok;
    const MessageAnswer a = messageAnswers.front();
    messageAnswers.pop_front();
    return a;
}

void ScriptedPlatform::beep()
{
    calls << QStringLiteral("beep");
    ++beeps;
}

void ScriptedPlatform::setMousePointer(MousePointer pointer)
{
    calls << (pointer == MousePointer::Wait ? QStringLiteral("pointer wait")
                                            : QStringLiteral("pointer default"));
    pointer_ = pointer;
}

std::optional<QString> ScriptedPlatform::openFileDialog(QWidget*, const QString& title,
                                                        const QString& filter,
                                                        const QString& initialPath)
{
    calls << QStringLiteral("openFileDialog ") + title;
    fileDialogs.push_back({title, filter, initialPath});
    if (fileAnswers.empty())
        return std::nullopt;
    const QString answer = fileAnswers.front();
    fileAnswers.pop_front();
    if (answer.isNull())
        return std::nullopt;
    return std::optional<QString>(std::in_place, answer);
}

bool ScriptedPlatform::printerSetupDialog(QWidget*)
{
    calls << QStringLiteral("printerSetupDialog");
    ++printerSetups;
    // Like the real dialog: the choice is made on a copy, which replaces the
    // printer only when accepted.
    std::unique_ptr<QPrinter> candidate = print::copyPrinter(*printer());
    if (printerSetupChoice)
        printerSetupChoice(*candidate);
    if (printerSetupAnswers.empty())
        return false;
    const bool a = printerSetupAnswers.front();
    printerSetupAnswers.pop_front();
    if (a)
        printer_ = std::move(candidate);
    return a;
}

QPrinter* ScriptedPlatform::printer()
{
    if (!printer_) {
        // A PDF printer needs no print system, so tests run anywhere.
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setOutputFormat(QPrinter::PdfFormat);
        if (!printerOutputFile.isEmpty())
            printer_->setOutputFileName(printerOutputFile);
    }
    return printer_.get();
}

QDateTime ScriptedPlatform::now()
{
    return clock;
}

void ScriptedPlatform::waitUntil(const QDateTime& moment)
{
    calls << QStringLiteral("waitUntil ") + moment.toString(QStringLiteral("hh:mm:ss.zzz"));
    waits.push_back(moment);
    if (moment > clock)
        clock = moment;
}

QSize ScriptedPlatform::screenSize()
{
    return screen;
}

QString ScriptedPlatform::programFolder()
{
    return folder;
}

QString ScriptedPlatform::commandLine()
{
    return arguments;
}

void ScriptedPlatform::endProgram()
{
    calls << QStringLiteral("endProgram");
    ended = true;
}

} // namespace orvane::app
