// Printing: the interpretation on display, and every interpretation found.

#include "app/Controller.h"

#include "app/Platform.h"
#include "core/Log.h"
#include "print/PrintDriver.h"
#include "view/TextSpans.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPrinter>
#include <QSet>
#include <QTextDocument>
#include <memory>

namespace orvane::app {

namespace {

const QString kPrintTitle = QStringLiteral("Print");
const QString kPrintAllTitle = QStringLiteral("Print All Found");

// Where a job goes, as the user knows it: the PDF file, or the printer.
QString destinationOf(const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return QDir::toNativeSeparators(printer.outputFileName());
    return printer.printerName();
}

// Why a job cannot even start, told before anything is asked or sent; empty
// when nothing is known to stand in the way.
QString obstacleFor(const QPrinter* printer)
{
    // Without a print system Qt falls back to a PDF printer with no file.
    if (!printer || !printer->isValid()
        || (printer->outputFormat() == QPrinter::PdfFormat && printer->outputFileName().isEmpty()))
        return QStringLiteral("No printer is installed. Choose one with Printer Setup on the File menu.");
    if (printer->outputFormat() != QPrinter::PdfFormat)
        return {};
    const QFileInfo file(printer->outputFileName());
    const QFileInfo folder(file.absolutePath());
    const QString path = QDir::toNativeSeparators(file.absoluteFilePath());
    if (!folder.isDir())
        return QStringLiteral("The file %1 cannot be written: its folder %2 does not exist.")
            .arg(path, QDir::toNativeSeparators(folder.absoluteFilePath()));
    if (!folder.isWritable() || (file.exists() && !file.isWritable()))
        return QStringLiteral("The file %1 cannot be written: permission denied.").arg(path);
    return {};
}

// What went wrong with a job that started, in the user's words.
QString failureText(print::PrintOutcome outcome, const QPrinter& printer)
{
    const QString where = destinationOf(printer);
    switch (outcome) {
    case print::PrintOutcome::Printed:
        return {};
    case print::PrintOutcome::InvalidPrinter:
        return QStringLiteral("The printer %1 is not available.").arg(where);
    case print::PrintOutcome::BeginFailed:
        if (printer.outputFormat() == QPrinter::PdfFormat)
            return QStringLiteral("The file %1 could not be written.").arg(where);
        return QStringLiteral("The printer %1 would not start the job.").arg(where);
    case print::PrintOutcome::BadPage:
        return QStringLiteral("The paper set up for %1 leaves no room to print on.").arg(where);
    case print::PrintOutcome::DeviceFailed:
        return QStringLiteral("Printing to %1 stopped before the job was complete.").arg(where);
    }
    return {};
}

std::unique_ptr<QTextDocument> formattedDocument(const QFont& font, const QString& text,
                                                 const QString& keywords, bool phrase)
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(font);
    doc->setUndoRedoEnabled(false);
    view::formatInterpretation(*doc, text, keywords, phrase);
    return doc;
}

} // namespace

bool Controller::printingPossible(const QString& title, QPrinter* printer)
{
    const QString obstacle = obstacleFor(printer);
    if (obstacle.isEmpty())
        return true;
    qCInfo(lcApp).noquote() << title << "not started:" << obstacle;
    platform_.messageBox(title, obstacle, MessageIcon::Warning, MessageButtons::Ok);
    return false;
}

void Controller::tellPrintFailure(const QString& title, const QString& reason)
{
    qCWarning(lcApp).noquote() << title << "failed:" << reason;
    platform_.messageBox(title, reason, MessageIcon::Warning, MessageButtons::Ok);
}

void Controller::print()
{
    // Without a picked row the view may hold a stale or empty text; there is
    // nothing the user asked to print.
    if (currentRow_ == 0)
        return;
    QPrinter* printer = platform_.printer();
    if (!printingPossible(kPrintTitle, printer))
        return;
    // The interpretation as the view colours it, in the view's font.
    const std::unique_ptr<QTextDocument> document =
        formattedDocument(textFont_, shown_.found ? shown_.text : QString(), shown_.keywords, shown_.phrase);
    QString failure;
    try {
        const print::PrintOutcome outcome =
            print::printDocument(*document, *printer, [this] { return platform_.now().date(); },
                                 print::printJobTitle(shown_.identifierLabel));
        failure = failureText(outcome, *printer);
    } catch (const std::exception& e) {
        failure = QStringLiteral("Printing to %1 failed: %2")
                      .arg(destinationOf(*printer), QString::fromLocal8Bit(e.what()));
    }
    if (!failure.isEmpty())
        tellPrintFailure(kPrintTitle, failure);
}

void Controller::printerSetup()
{
    // The platform applies an accepted choice to the printer the next print
    // uses and leaves it untouched when the dialog is cancelled.
    platform_.printerSetupDialog();
}

void Controller::printAllFound()
{
    // The interpretations of the list in list order, with their tables; the
    // notice and its separator are not interpretations.
    struct Item {
        QString table;
        QString id;
    };
    QList<Item> items;
    for (const ResultRow& row : rows()) {
        if (row.kind != RowKind::Interpretation)
            continue;
        items.append({tableOfSection(row.section), row.identifier});
    }
    if (items.isEmpty()) {
        const QString nothing = QStringLiteral("There is nothing to print: no interpretation is listed.");
        qCInfo(lcApp).noquote() << kPrintAllTitle << "not started:" << nothing;
        platform_.messageBox(kPrintAllTitle, nothing, MessageIcon::Information, MessageButtons::Ok);
        return;
    }
    QPrinter* printer = platform_.printer();
    if (!printingPossible(kPrintAllTitle, printer))
        return;

    // The estimate measures the texts' lines with one statement per section
    // and lays them on the paper and orientation set up now.
    const print::BodyCapacity capacity = print::bodyCapacity(*printer, textFont_);
    QSet<QString> tables;
    for (const Item& item : items)
        tables.insert(item.table);
    int pages = 0;
    QList<db::JetError> failures;
    const bool estimated = platform_.runLongWork(
        {kPrintAllTitle, QStringLiteral("Counting pages: %1 of %2 sections")}, [&](WorkProgress& progress) {
            QHash<QString, QHash<QString, QList<int>>> lines;
            int done = 0;
            for (const QString& table : std::as_const(tables)) {
                if (progress.cancelled())
                    return;
                try {
                    lines.insert(table, repository_.lineLengths(table));
                } catch (const db::JetError& e) {
                    failures << e;
                }
                progress.report(++done, int(tables.size()));
            }
            for (const Item& item : std::as_const(items)) {
                const auto section = lines.constFind(item.table);
                // One held elsewhere (through the paragraph index) counts a page.
                pages += section != lines.cend() && section->contains(item.id)
                    ? print::estimatePages(section->value(item.id), capacity)
                    : 1;
            }
        });
    for (const db::JetError& e : std::as_const(failures))
        noteFailure("measuring", QStringLiteral("the interpretations"), e);
    if (!estimated)
        return;

    const MessageAnswer answer = platform_.messageBox(
        kPrintAllTitle,
        QStringLiteral("Print %1 interpretations (about %2 pages)?").arg(items.size()).arg(pages),
        MessageIcon::Question, MessageButtons::OkCancel);
    if (answer != MessageAnswer::Ok)
        return;

    const QString keywords = entries_[int(EntryKind::Keyword)];
    const bool phrase = mode_ == SearchMode::Phrase;
    const QFont font = textFont_;
    const int total = int(items.size());
    const QDate today = platform_.now().date();
    failures.clear();
    print::PrintOutcome outcome = print::PrintOutcome::Printed;
    QString thrown;
    // Each text is read when its turn comes, on the work's thread; the
    // window stays drawn and Cancel ends the job after the interpretation
    // being printed, leaving a complete document of those before it.
    const bool finished = platform_.runLongWork(
        {kPrintAllTitle, QStringLiteral("%1 of %2 interpretations")}, [&](WorkProgress& progress) {
            const auto documentAt = [&](int i) {
                std::optional<library::Interpretation> found;
                try {
                    found = repository_.lookUp(items.at(i).table, items.at(i).id);
                } catch (const db::JetError& e) {
                    failures << e;
                }
                return formattedDocument(font, found ? found->text : QString(), keywords, phrase);
            };
            const auto proceed = [&](int i) {
                progress.report(i, total);
                return !progress.cancelled();
            };
            try {
                outcome = print::printDocuments(total, documentAt, *printer, [today] { return today; },
                                                proceed, print::printJobTitle(QStringLiteral("All found")));
            } catch (const std::exception& e) {
                thrown = QString::fromLocal8Bit(e.what());
            }
            progress.report(total, total);
        });
    for (const db::JetError& e : std::as_const(failures))
        noteFailure("loading", QStringLiteral("an interpretation to print"), e);
    if (!thrown.isEmpty())
        tellPrintFailure(kPrintAllTitle,
                         QStringLiteral("Printing to %1 failed: %2").arg(destinationOf(*printer), thrown));
    else if (const QString failure = failureText(outcome, *printer); !failure.isEmpty())
        tellPrintFailure(kPrintAllTitle, failure);
    else if (!finished)
        qCInfo(lcApp) << "printing all found cancelled by the user";
}

} // namespace orvane::app
