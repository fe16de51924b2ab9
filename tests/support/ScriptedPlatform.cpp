#include "support/ScriptedPlatform.h"

#include "print/PrinterCopy.h"

#include <QPrinter>
#include <thread>

namespace orvane::app {

ScriptedPlatform::ScriptedPlatform() = default;
ScriptedPlatform::~ScriptedPlatform() = default;

MessageAnswer ScriptedPlatform::messageBox(const QString& title, const QString& text,
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

std::optional<QString> ScriptedPlatform::openFileDialog(const QString& title,
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

bool ScriptedPlatform::printerSetupDialog()
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

namespace {

// The work's side of a scripted run: reports move the virtual clock and may
// cancel, as the script says. Only the work's thread touches it while the
// caller waits for that thread.
class ScriptedProgress : public WorkProgress {
public:
    ScriptedProgress(ScriptedPlatform& platform, ScriptedPlatform::LongWorkRun& run)
        : platform_(platform), run_(run), start_(platform.clock)
    {
    }
    void report(int done, int total) override
    {
        ++run_.reports;
        platform_.advance(platform_.msPerProgressStep);
        if (!run_.progressShown && start_.msecsTo(platform_.clock) >= Platform::kProgressAfterMs)
            run_.progressShown = true;
        if (run_.progressShown)
            run_.progressLabel = total > 0 ? run_.what.label.arg(done).arg(total) : run_.what.label;
        if (!run_.cancelled && platform_.cancelWhen && platform_.cancelWhen(run_.what, done, total))
            run_.cancelled = true;
    }
    bool cancelled() const override { return run_.cancelled; }

private:
    ScriptedPlatform& platform_;
    ScriptedPlatform::LongWorkRun& run_;
    QDateTime start_;
};

} // namespace

// The work runs on a thread of its own, as in the program, so that work
// which reaches for a window or a signal shows up in the tests too.
bool ScriptedPlatform::runLongWork(const LongWork& what, const std::function<void(WorkProgress&)>& work)
{
    calls << QStringLiteral("longWork ") + what.title;
    LongWorkRun run;
    run.what = what;
    const MousePointer before = pointer_;
    setMousePointer(MousePointer::Wait);
    {
        ScriptedProgress progress(*this, run);
        std::thread worker([&] { work(progress); });
        worker.join();
    }
    if (run.progressShown)
        calls << QStringLiteral("progress ") + what.title;
    setMousePointer(before);
    longWorks.push_back(run);
    return !run.cancelled;
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
