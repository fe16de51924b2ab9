#pragma once

// The print driver: puts a formatted text document on the printer page by
// page, every page framed by a header (two rules, the product name with a
// raised "TM", the ASME copyright line) and a footer (two rules, the
// product's trademark text left and its copyright text right).
//
// All positions are worked out in twips from the top-left corner of the
// printable area (see PageGrid.h) and turned into printer pixels only when
// drawn. The body is laid out once, with the printer as the layout's paint
// device and the page height of the body rectangle, so the layout itself
// moves a line that would cross the bottom of the rectangle to the next
// page: each page starts exactly where the previous one stopped.
//
// No printer, an invalid printer, a printer that cannot be opened or a page
// that cannot be started end the job early; the driver shows nothing and
// returns the outcome, which the caller turns into a message for the user.
//
// Use from the print command, once a row of the results list is selected
// (the printer and the clock come from the platform services):
//
//   const PrintOutcome outcome =
//       orvane::print::printDocument(document, *printer, [&] { return platform.now().date(); },
//                                    orvane::print::printJobTitle(identifier));

#include "print/PageGrid.h"

#include <QDate>
#include <QFont>
#include <QPainter>

#include <functional>
#include <memory>

class QPrinter;
class QTextDocument;

namespace orvane::print {

// The setting the print command hands to setUpPrinter is the number of
// copies; the print command asks for one. Everything else about the page
// (paper, orientation, destination) stays as the printer set-up left it.
// A value below 1 leaves the printer's own copy count.
inline constexpr int kOneCopy = 1;

// How far a typical office laser printer's printable area lies inside the
// sheet on every side (about 0.17 in). A printer without a hardware margin
// (a PDF file) is given at least these offsets, so that its pages look as
// they will when printed on paper later: nothing closer to an edge than a
// real printer can put ink.
inline constexpr int kOfficePrinterOffsetTwips = 238;  // 4.2 mm

// The title a print job carries (the print queue's job name, the PDF's
// title): the identifier on display and the product name, or the product
// name alone when nothing is on display.
QString printJobTitle(const QString& identifier);
// The creator recorded in the document: the product name and its version.
QString printJobCreator();

enum class PrintOutcome {
    Printed,         // every page went to the printer
    InvalidPrinter,  // no printer, or the printer is not usable
    BeginFailed,     // the printer would not open a document (e.g. unwritable file)
    BadPage,         // the page is too small or its arithmetic overflows: frame only, no body
    DeviceFailed,    // a new page or the end of the document failed
};

// One print job on one printer: set up, pages, end. Mirrors the steps of the
// print command so that each can be driven and checked on its own.
class PrintJob {
public:
    using Clock = std::function<QDate()>;

    PrintJob(QPrinter& printer, Clock today);
    ~PrintJob();  // ends the document if it is still open
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    // Applies the copies setting and the job's title and creator, reads the
    // page size in twips, computes the page grid over the printable area and
    // opens the document. Fails when the printer is not valid or will not
    // open (nothing has been printed then).
    PrintOutcome setUpPrinter(int setting, const QString& title = QString());

    // Lays `doc` (cloned; fonts and colours kept) into the body rectangle,
    // whose margins are measured in twips from the physical page edges, and
    // prints it page by page, each page with its header and footer. The first
    // page carries the long copyright line, every later page the short one.
    PrintOutcome printRichText(const QTextDocument& doc, const TwipMargins& margins);

    // The header of the current page: rules on rows 0 and 20, the product
    // name (12 pt bold) centred on row 3 with "TM" (5 pt) raised at its end,
    // the copyright line (8 pt bold) centred on row 12.
    void printHeader(const QString& productName, const QString& copyrightLine);
    // The footer of the current page: rules on rows 319 and 325, the legal
    // trademarks text at the left end of the rules and the legal copyright
    // text ending at their right end, both 5 pt.
    void printFooter();
    // A solid black line between two grid points; not drawn when a
    // coordinate leaves the 16-bit grid range.
    void drawGridLine(int x1, int y1, int x2, int y2);

    // Starts a new sheet for the next document of a job of several.
    bool newPage();

    // Ends the document, which hands it to the printer.
    bool end();

    const PageGrid& grid() const { return m_grid; }
    // Offsets of the printable area from the sheet's left and top edges, twips.
    int offsetXTwips() const { return m_offsetX; }
    int offsetYTwips() const { return m_offsetY; }
    int pageWidthTwips() const { return m_pageWidth; }
    int pageHeightTwips() const { return m_pageHeight; }

private:
    QPointF toDevice(QPointF twips) const;
    double toDeviceX(double twips) const;
    double toDeviceY(double twips) const;
    double textWidthTwips(const QFont& font, const QString& text) const;
    // Draws `text` with its top-left corner at (x, y) in twips.
    void drawTextAt(const QFont& font, double x, double y, const QString& text);
    QString copyrightLineFor(bool firstPage) const;

    QPrinter& m_printer;
    Clock m_today;
    QPainter m_painter;
    PageGrid m_grid;
    int m_pageWidth = 0;
    int m_pageHeight = 0;
    int m_offsetX = 0;  // physical offsets of the printable area, twips
    int m_offsetY = 0;
    QPointF m_origin;   // printable area's corner in the painter's device pixels
    double m_dpiX = 0;
    double m_dpiY = 0;
};

// The print command: sets the printer up with `setting` and the job title,
// prints `doc` with margins of an eighth of the page width and a ninth of the
// page height, and ends the document. `today` is asked for the year on every
// page.
PrintOutcome printDocument(const QTextDocument& doc, QPrinter& printer,
                           const PrintJob::Clock& today, const QString& title = QString(),
                           int setting = kOneCopy);

// Several documents as one job, each starting on a new page with the same
// margins, header and footer as printDocument. `documentAt(i)` makes document
// i (0-based) when its turn comes; `proceed(i)` is asked first and ends the job
// there when it answers false: the pages already printed stay a complete,
// valid document.
// How much text the body of a page holds in `font` on `printer` as it is set
// up (paper size and orientation): characters of a line, lines of a page.
struct BodyCapacity {
    int columns = 78;
    int lines = 52;
};
BodyCapacity bodyCapacity(QPrinter& printer, const QFont& font);
// About how many pages a text with lines of these lengths takes: each line
// wrapped at the capacity's columns; at least one page.
int estimatePages(const QList<int>& lineLengths, const BodyCapacity& capacity);

using DocumentSource = std::function<std::unique_ptr<QTextDocument>(int index)>;
PrintOutcome printDocuments(int count, const DocumentSource& documentAt, QPrinter& printer,
                            const PrintJob::Clock& today, const std::function<bool(int index)>& proceed,
                            const QString& title = QString(), int setting = kOneCopy);

} // namespace orvane::print
