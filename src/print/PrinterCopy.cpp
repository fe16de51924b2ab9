#include "print/PrinterCopy.h"

#include <QPrinter>

namespace orvane::print {

std::unique_ptr<QPrinter> copyPrinter(const QPrinter& from)
{
    auto to = std::make_unique<QPrinter>(QPrinter::HighResolution);

    // The destination first: choosing the format or the file resets the
    // page layout to the destination's default.
    if (from.outputFormat() == QPrinter::NativeFormat) {
        to->setOutputFormat(QPrinter::NativeFormat);
        to->setPrinterName(from.printerName());
    } else {
        to->setOutputFormat(QPrinter::PdfFormat);
        to->setPdfVersion(from.pdfVersion());
    }
    if (!from.outputFileName().isEmpty())
        to->setOutputFileName(from.outputFileName());

    if (to->resolution() != from.resolution())
        to->setResolution(from.resolution());
    to->setPageLayout(from.pageLayout());
    to->setColorMode(from.colorMode());
    to->setDuplex(from.duplex());
    to->setCopyCount(from.copyCount());
    to->setCollateCopies(from.collateCopies());
    to->setPaperSource(from.paperSource());
    to->setPageOrder(from.pageOrder());
    to->setFullPage(from.fullPage());
    to->setDocName(from.docName());
    to->setCreator(from.creator());
    return to;
}

} // namespace orvane::print
