#include "ui/QtPlatform.h"

#include "core/ProductInfo.h"
#include "print/PrinterCopy.h"
#include "ui/PrinterSetupDialog.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QFileDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPrinter>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cstdlib>

namespace orvane::ui {

namespace {

// Swallows user input for the whole application while installed. Paint,
// expose and timer events pass, so the windows stay drawn. Input for the
// `open` window (a progress dialog) still reaches it, and Escape pressed
// anywhere calls `onEscape`.
class InputBlocker : public QObject {
public:
    QPointer<QWidget> open;
    std::function<void()> onEscape;

    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (open && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (w == open || open->isAncestorOf(w))
                return false;
        }
        if (onEscape && e->type() == QEvent::KeyPress
            && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
            onEscape();
            return true;
        }
        switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove:
            return true;
        case QEvent::Close:
            // A close request from the window manager is user input too.
            return e->spontaneous();
        default:
            return false;
        }
    }
};

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return QMessageBox::Ok;
    case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// While a dialog waits for the user the pointer is the normal arrow, even in
// the middle of busy work; the busy pointer comes back when the dialog ends.
class NormalPointerWhileWaiting {
public:
    NormalPointerWhileWaiting() : pushed_(QApplication::overrideCursor() != nullptr)
    {
        if (pushed_)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~NormalPointerWhileWaiting()
    {
        if (pushed_)
            QApplication::restoreOverrideCursor();
    }
    NormalPointerWhileWaiting(const NormalPointerWhileWaiting&) = delete;
    NormalPointerWhileWaiting& operator=(const NormalPointerWhileWaiting&) = delete;

private:
    bool pushed_;
};

// The window a dialog belongs to: the modal dialog on top, else the active
// window, else the program's main window when it is visible (no window is
// active on a desktop that has none, or while another program has the focus).
QWidget* dialogParent()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->inherits("QMainWindow"))
            return w;
    }
    return nullptr;
}

} // namespace

QtPlatform::QtPlatform() = default;
QtPlatform::~QtPlatform() = default;

MessageAnswer QtPlatform::messageBox(const QString& title, const QString& text,
                                     MessageIcon icon, MessageButtons buttons)
{
    QMessageBox box(qtIcon(icon), title, text, qtButtons(buttons), dialogParent());
    // The message is shown as written, never guessed to be rich text.
    box.setTextFormat(Qt::PlainText);
    const NormalPointerWhileWaiting pointer;
    switch (box.exec()) {
    case QMessageBox::Ok: return MessageAnswer::Ok;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Retry: return MessageAnswer::Retry;
    default: break;
    }
    // A box closed with Escape or the close box answers its cancel button.
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return MessageAnswer::Cancel;
}

void QtPlatform::beep()
{
    QApplication::beep();
}

void QtPlatform::setMousePointer(MousePointer pointer)
{
    if (pointer == pointer_)
        return;
    if (pointer == MousePointer::Wait)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
    pointer_ = pointer;
}

QString QtPlatform::toQtFilter(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& desc = parts[i];
        const QString pattern = QString(parts[i + 1]).replace(u';', u' ');
        // Qt reads the patterns from the last parentheses of each entry.
        out << (desc.endsWith(QLatin1Char(')')) && desc.contains(u'(')
                    ? desc
                    : desc + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    }
    return out.join(QStringLiteral(";;"));
}

std::optional<QString> QtPlatform::openFileDialog(const QString& title,
                                                  const QString& filter, const QString& initialPath)
{
    QString start = initialPath;
    if (!start.isEmpty() && !QFileInfo(start).isDir())
        start = QFileInfo(start).absolutePath();
    const NormalPointerWhileWaiting pointer;
    const QString chosen = QFileDialog::getOpenFileName(dialogParent(), title, start, toQtFilter(filter));
    if (chosen.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(chosen);
}

// The dialog works on a copy of the printer: only an accepted choice
// replaces the printer in use, so a cancelled dialog leaves that printer
// exactly as it was, whatever the dialog did to the one it was given.
bool QtPlatform::printerSetupDialog()
{
    std::unique_ptr<QPrinter> candidate = print::copyPrinter(*printer());
    if (!runPrinterSetup(*candidate, dialogParent()))
        return false;
    printer_ = std::move(candidate);
    return true;
}

// The default printer of the system, or, when the environment variable
// ORVANE_PRINT_TO_PDF names a file, a PDF printer writing that file (for
// trials and end-to-end runs on machines without a print system). The
// set-up dialog can still choose another destination afterwards.
QPrinter* QtPlatform::printer()
{
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        const QString pdf = qEnvironmentVariable("ORVANE_PRINT_TO_PDF");
        if (!pdf.isEmpty()) {
            printer_->setOutputFormat(QPrinter::PdfFormat);
            printer_->setOutputFileName(pdf);
        }
    }
    return printer_.get();
}

QDateTime QtPlatform::now()
{
    return QDateTime::currentDateTime();
}

// The wait runs a local event loop until a single-shot timer fires, with an
// application-wide filter that throws user input away. Sleeping in slices
// would leave expose events unhandled between slices (a window uncovered
// during the wait would stay blank), and spinning would burn a core; the
// event loop sleeps in the kernel and repaints whatever needs it.
void QtPlatform::waitUntil(const QDateTime& moment)
{
    const qint64 ms = QDateTime::currentDateTime().msecsTo(moment);
    if (ms <= 0)
        return;
    InputBlocker blocker;
    qApp->installEventFilter(&blocker);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(int(ms));
    loop.exec(QEventLoop::ExcludeSocketNotifiers);
    qApp->removeEventFilter(&blocker);
}

void QtPlatform::runWhileWaiting(const std::function<void()>& work)
{
    // The work runs on a thread of its own so that this one goes on painting
    // (and repainting what another window uncovers) until it is done.
    InputBlocker blocker;
    qApp->installEventFilter(&blocker);
    QEventLoop loop;
    std::unique_ptr<QThread> worker(QThread::create(work));
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec(QEventLoop::ExcludeSocketNotifiers);
    worker->wait();
    qApp->removeEventFilter(&blocker);
}

namespace {

// Shared between the work's thread and this one.
class ThreadProgress : public app::WorkProgress {
public:
    void report(int done, int total) override
    {
        done_.store(done);
        total_.store(total);
    }
    bool cancelled() const override { return cancelled_.load(); }
    void cancel() { cancelled_.store(true); }
    int done() const { return done_.load(); }
    int total() const { return total_.load(); }

private:
    std::atomic<int> done_{0};
    std::atomic<int> total_{0};
    std::atomic<bool> cancelled_{false};
};

} // namespace

bool QtPlatform::runLongWork(const app::LongWork& what, const std::function<void(app::WorkProgress&)>& work)
{
    const MousePointer before = pointer_;
    setMousePointer(MousePointer::Wait);
    ThreadProgress progress;
    InputBlocker blocker;
    blocker.onEscape = [&progress] { progress.cancel(); };
    qApp->installEventFilter(&blocker);

    QEventLoop loop;
    std::unique_ptr<QThread> worker(QThread::create([&] { work(progress); }));
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    std::unique_ptr<QProgressDialog> dialog;
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (!dialog && elapsed.elapsed() >= kProgressAfterMs && !progress.cancelled()) {
            dialog = std::make_unique<QProgressDialog>(dialogParent());
            dialog->setWindowTitle(what.title);
            dialog->setCancelButtonText(QStringLiteral("Cancel"));
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setAutoClose(false);
            dialog->setAutoReset(false);
            dialog->setMinimumDuration(0);
            // The arrow over the dialog: it is the one thing that answers.
            dialog->setCursor(Qt::ArrowCursor);
            QObject::connect(dialog.get(), &QProgressDialog::canceled, &loop, [&progress] { progress.cancel(); });
            blocker.open = dialog.get();
            dialog->show();
        }
        if (dialog) {
            const int total = progress.total();
            const int done = progress.done();
            dialog->setMaximum(std::max(total, 0));
            if (total > 0) {
                dialog->setValue(std::min(done, total));
                dialog->setLabelText(what.label.arg(done).arg(total));
            } else {
                dialog->setLabelText(what.label);
            }
        }
    });
    tick.start(100);
    worker->start();
    loop.exec(QEventLoop::ExcludeSocketNotifiers);
    worker->wait();
    tick.stop();
    dialog.reset();
    qApp->removeEventFilter(&blocker);
    setMousePointer(before);
    return !progress.cancelled();
}

QSize QtPlatform::screenSize()
{
    if (QScreen* s = QGuiApplication::primaryScreen())
        return s->geometry().size();
    return QSize(800, 600);
}

QString QtPlatform::programFolder()
{
    return product::programFolder();
}

// What the user typed after the program name, one blank between arguments.
// Options Qt itself acts on (-platform, -style, ...) are already gone from
// arguments(): QApplication takes them out when it is constructed.
QString QtPlatform::commandLine()
{
    QStringList args = QCoreApplication::arguments();
    if (!args.isEmpty())
        args.removeFirst();
    return args.join(QLatin1Char(' '));
}

void QtPlatform::endProgram()
{
    // Ends without unloading any window: no close or unload handler runs.
    std::exit(0);
}

} // namespace orvane::ui
