// Printing: the interpretation on display, and every interpretation found.

#include "app/Controller.h"

#include "app/Platform.h"
#include "core/Log.h"
#include "print/PrintDriver.h"
#include "view/TextSpans.h"

#include <QPrinter>
#include <QTextDocument>
#include <algorithm>

namespace orvane::app {

void Controller::print(const QTextDocument& document)
{
    // Without a picked row the view may hold a stale or empty text; there is
    // nothing the user asked to print.
    if (currentRow_ == 0)
        return;
    QPrinter* printer = platform_.printer();
    if (!printer)
        return;
    // A print that fails shows nothing: the driver ends the job quietly, and
    // the reason goes to the log.
    try {
        const print::PrintOutcome outcome =
            print::printDocument(document, *printer, [this] { return platform_.now().date(); },
                                 print::printJobTitle(shown_.identifierLabel));
        if (outcome != print::PrintOutcome::Printed)
            qCInfo(lcApp) << "printing did not complete, outcome" << int(outcome);
    } catch (const std::exception& e) {
        qCInfo(lcApp) << "printing failed:" << e.what();
    }
}

void Controller::printerSetup()
{
    // The platform applies an accepted choice to the printer the next print
    // uses and leaves it untouched when the dialog is cancelled.
    platform_.printerSetupDialog(dialogParent_);
}

namespace {

// A rough page count for the question before printing: the body holds about
// 52 lines of 78 characters of the view's font on Letter or A4 paper.
int estimatePages(const QString& text)
{
    constexpr int kColumns = 78;
    constexpr int kLinesPerPage = 52;
    int lines = 0;
    for (const QStringView line : QStringView(text).split(u'\n'))
        lines += 1 + int(line.size()) / kColumns;
    return std::max(1, (lines + kLinesPerPage - 1) / kLinesPerPage);
}

} // namespace

void Controller::printAllFound(const QTextDocument& style)
{
    // The interpretations of the list in list order, with their tables.
    struct Item {
        QString text;
    };
    QList<Item> items;
    int pages = 0;
    for (int row = 1; row <= rows_.size(); ++row) {
        const QString& id = rows_.at(row - 1);
        if (id == view::kNoticeId || id == view::kSeparatorText)
            continue;
        std::optional<library::Interpretation> found;
        try {
            found = repository_.lookUp(tableOfRow(row), id);
        } catch (const db::JetError& e) {
            noteFailure("loading", id, e);
        }
        items.append({found ? found->text : QString()});
        pages += estimatePages(items.last().text);
    }
    if (items.isEmpty())
        return;
    const MessageAnswer answer = platform_.messageBox(
        dialogParent_, QStringLiteral("Print All Found"),
        QStringLiteral("Print %1 interpretations (about %2 pages)?").arg(items.size()).arg(pages),
        MessageIcon::Question, MessageButtons::OkCancel);
    if (answer != MessageAnswer::Ok)
        return;
    QPrinter* printer = platform_.printer();
    if (!printer)
        return;

    const QString keywords = entries_[int(EntryKind::Keyword)];
    const bool phrase = mode_ == SearchMode::Phrase;
    const int total = int(items.size());
    printAllCancelled_ = false;
    emit printAllProgress(0, total);
    const auto documentAt = [&](int i) {
        auto doc = std::make_unique<QTextDocument>();
        doc->setDefaultFont(style.defaultFont());
        doc->setUndoRedoEnabled(false);
        view::formatInterpretation(*doc, items.at(i).text, keywords, phrase);
        return doc;
    };
    const auto proceed = [&](int i) {
        if (i > 0)
            emit printAllProgress(i, total);
        return !printAllCancelled_;
    };
    try {
        const print::PrintOutcome outcome = print::printDocuments(
            total, documentAt, *printer, [this] { return platform_.now().date(); }, proceed,
            print::printJobTitle(QStringLiteral("All found")));
        if (outcome != print::PrintOutcome::Printed)
            qCInfo(lcApp) << "printing all found did not complete, outcome" << int(outcome);
    } catch (const std::exception& e) {
        qCInfo(lcApp) << "printing all found failed:" << e.what();
    }
    emit printAllProgress(total, total);
}

} // namespace orvane::app
