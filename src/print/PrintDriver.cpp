#include "print/PrintDriver.h"

#include "core/Log.h"
#include "core/ProductInfo.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPrinter>
#include <QTextDocument>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>
#include <limits>

#include <memory>

namespace orvane::print {


namespace {

// Rules are one device pixel wide, the finest line the printer draws:
// a cosmetic pen of width 0, which a PDF viewer also shows at one pixel.
QPen rulePen()
{
    QPen pen(Qt::black, 0, Qt::SolidLine);
    pen.setCosmetic(true);
    return pen;
}

QFont frameFont(double pointSize, bool bold)
{
    QFont font(QString::fromLatin1(kFrameFont));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(false);
    return font;
}

int millimetresToTwips(double mm)
{
    return int(roundHalfEven(mm * 1440.0 / 25.4));
}

struct BodyLine {
    QTextBlock block;
    int index = 0;   // of the line in its block's layout
    QPointF origin;  // of the block's layout in the document
};

// The lines of a laid-out document, page by page. The layout has already
// moved any line that would cross a page's bottom to the top of the next
// page, so a line's top decides its page.
QList<QList<BodyLine>> linesByPage(const QTextDocument& doc, double pageHeight)
{
    QList<QList<BodyLine>> pages(1);
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* lines = block.layout();
        if (!lines)
            continue;
        const QPointF origin = layout->blockBoundingRect(block).topLeft();
        for (int i = 0; i < lines->lineCount(); ++i) {
            // A pushed line starts exactly on a page boundary (the page height
            // is a whole number of the layout's 1/64 units, so there is no
            // rounding); half a unit keeps it on the right side.
            const double top = origin.y() + lines->lineAt(i).y();
            const int page = qMax(0, int(std::floor((top + 1.0 / 128) / pageHeight)));
            while (pages.size() <= page)
                pages.append(QList<BodyLine>());
            pages[page].append(BodyLine{block, i, origin});
        }
    }
    return pages;
}

} // namespace

PrintJob::PrintJob(QPrinter& printer, Clock today)
    : m_printer(printer), m_today(std::move(today))
{
}

PrintJob::~PrintJob()
{
    if (m_painter.isActive())
        m_painter.end();
}

QString printJobTitle(const QString& identifier)
{
    const QString id = identifier.trimmed();
    return id.isEmpty() ? product::name() : id + QStringLiteral(" - ") + product::name();
}

QString printJobCreator()
{
    return QStringLiteral("%1 %2.%3.%4")
        .arg(product::name())
        .arg(product::kMajor)
        .arg(product::kMinor)
        .arg(product::kRevision);
}

PrintOutcome PrintJob::setUpPrinter(int setting, const QString& title)
{
    if (!m_printer.isValid())
        return PrintOutcome::InvalidPrinter;

    // One copy: the paper, orientation and destination the user chose in
    // the printer set-up are left alone.
    if (setting >= 1)
        m_printer.setCopyCount(setting);
    m_printer.setDocName(title.isEmpty() ? printJobTitle(QString()) : title);
    m_printer.setCreator(printJobCreator());

    // The body margins are fractions of the whole sheet.
    const QPageLayout layout = m_printer.pageLayout();
    const QRectF sheet = layout.fullRect(QPageLayout::Millimeter);
    m_pageWidth = millimetresToTwips(sheet.width());
    m_pageHeight = millimetresToTwips(sheet.height());

    if (!m_painter.begin(&m_printer))
        return PrintOutcome::BeginFailed;

    m_dpiX = m_printer.logicalDpiX();
    m_dpiY = m_printer.logicalDpiY();
    // The painter's origin is the top-left corner of the area the device
    // prints on; how far that lies from the sheet's corner is what the body
    // margins, which are measured from the sheet's edges, are corrected by.
    const QRectF paper = m_printer.paperRect(QPrinter::DevicePixel);
    const QRectF printable = m_printer.pageRect(QPrinter::DevicePixel);
    QMarginsF offsets(printable.left() - paper.left(), printable.top() - paper.top(),
                      paper.right() - printable.right(), paper.bottom() - printable.bottom());
    m_origin = QPointF(0, 0);
    if (m_printer.outputFormat() == QPrinter::PdfFormat) {
        // A file has no hardware margin; what Qt reports is a default page
        // margin. Lay the page out as an office printer would print it.
        const double minX = twipsToDevice(kOfficePrinterOffsetTwips, m_dpiX);
        const double minY = twipsToDevice(kOfficePrinterOffsetTwips, m_dpiY);
        const QMarginsF office(qMax(offsets.left(), minX), qMax(offsets.top(), minY),
                               qMax(offsets.right(), minX), qMax(offsets.bottom(), minY));
        m_origin = QPointF(office.left() - offsets.left(), office.top() - offsets.top());
        offsets = office;
    }
    m_offsetX = offsetTwips(offsets.left(), m_dpiX);
    m_offsetY = offsetTwips(offsets.top(), m_dpiY);
    // The frame is drawn on a grid over the printable area, so that its
    // rules and the footer's right-aligned text end inside what the device
    // can print rather than at the sheet's edge.
    const int printableWidth = m_pageWidth - m_offsetX - offsetTwips(offsets.right(), m_dpiX);
    const int printableHeight = m_pageHeight - m_offsetY - offsetTwips(offsets.bottom(), m_dpiY);
    m_grid = computePageGrid(printableWidth, printableHeight);

    m_painter.setPen(QPen(Qt::black));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.setFont(frameFont(kBodyPt, false));
    return PrintOutcome::Printed;
}

double PrintJob::toDeviceX(double twips) const { return twipsToDevice(twips, m_dpiX); }
double PrintJob::toDeviceY(double twips) const { return twipsToDevice(twips, m_dpiY); }

QPointF PrintJob::toDevice(QPointF twips) const
{
    return QPointF(toDeviceX(twips.x()), toDeviceY(twips.y())) + m_origin;
}

double PrintJob::textWidthTwips(const QFont& font, const QString& text) const
{
    return deviceToTwips(QFontMetricsF(font, &m_printer).horizontalAdvance(text), m_dpiX);
}

void PrintJob::drawTextAt(const QFont& font, double x, double y, const QString& text)
{
    // Texts are placed by their top-left corner; the painter draws from the
    // baseline, one ascent lower.
    const QFontMetricsF metrics(font, &m_printer);
    m_painter.setFont(font);
    m_painter.setPen(QPen(Qt::black));
    m_painter.drawText(toDevice(QPointF(x, y)) + QPointF(0, metrics.ascent()), text);
}

void PrintJob::drawGridLine(int x1, int y1, int x2, int y2)
{
    const std::optional<QLineF> line = gridLine(m_grid, x1, y1, x2, y2);
    if (!line || !m_painter.isActive())
        return;
    m_painter.setPen(rulePen());
    m_painter.drawLine(QLineF(toDevice(line->p1()), toDevice(line->p2())));
}

void PrintJob::printHeader(const QString& productName, const QString& copyrightLine)
{
    if (!m_painter.isActive())
        return;
    drawGridLine(0, kHeaderRuleRows[0], m_grid.gridWidth, kHeaderRuleRows[0]);
    drawGridLine(0, kHeaderRuleRows[1], m_grid.gridWidth, kHeaderRuleRows[1]);

    const PageFrame frame = pageFrame(m_grid);

    const QFont nameFont = frameFont(kProductNamePt, true);
    const double nameWidth = textWidthTwips(nameFont, productName);
    drawTextAt(nameFont, centredX(m_grid, nameWidth), frame.productNameY, productName);
    // "TM" shares the name's top, so at 5 pt it stands raised at its end.
    drawTextAt(frameFont(kTrademarkPt, true), trademarkX(m_grid, nameWidth), frame.productNameY,
               QStringLiteral("TM"));

    const QFont lineFont = frameFont(kCopyrightPt, true);
    drawTextAt(lineFont, centredX(m_grid, textWidthTwips(lineFont, copyrightLine)),
               frame.copyrightY, copyrightLine);
}

void PrintJob::printFooter()
{
    if (!m_painter.isActive())
        return;
    drawGridLine(0, kFooterRuleRows[0], m_grid.gridWidth, kFooterRuleRows[0]);
    drawGridLine(0, kFooterRuleRows[1], m_grid.gridWidth, kFooterRuleRows[1]);

    const PageFrame frame = pageFrame(m_grid);
    const QFont font = frameFont(kFooterPt, false);
    drawTextAt(font, frame.frameLeft, frame.footerTextY, product::legalTrademarks());
    const QString copyright = product::legalCopyright();
    drawTextAt(font, rightAlignedX(m_grid, textWidthTwips(font, copyright)), frame.footerTextY,
               copyright);
}

QString PrintJob::copyrightLineFor(bool firstPage) const
{
    const QDate today = m_today ? m_today() : QDate::currentDate();
    return headerCopyrightLine(today.year(), firstPage);
}

PrintOutcome PrintJob::printRichText(const QTextDocument& doc, const TwipMargins& margins)
{
    if (!m_painter.isActive())
        return PrintOutcome::BeginFailed;

    const QString productName = product::name();
    const auto frameThisPage = [&](bool firstPage) {
        printHeader(productName, copyrightLineFor(firstPage));
        printFooter();
        m_painter.setFont(frameFont(kBodyPt, false));
    };

    const std::optional<TwipRect> rect =
        drawingRect(m_pageWidth, m_pageHeight, margins, m_offsetX, m_offsetY);
    if (!rect) {
        frameThisPage(true);
        return PrintOutcome::BadPage;
    }

    // The layout keeps positions in 1/64 device units; a page height it can
    // hold exactly puts page k's top at exactly k times the height.
    const auto quantised = [](double device) { return std::floor(device * 64) / 64; };
    const QRectF body(toDevice(QPointF(rect->left, rect->top)),
                      QSizeF(quantised(toDeviceX(double(rect->right) - rect->left)),
                             quantised(toDeviceY(double(rect->bottom) - rect->top))));
    if (!(body.width() >= 1 && body.height() >= 1)) {
        frameThisPage(true);
        return PrintOutcome::BadPage;
    }

    // A copy of the document keeps its fonts and colours; laid out
    // against the printer so that text is measured at the printer's
    // resolution, wrapped to the body width and broken into pages of the
    // body height, lines never straddling a page break.
    std::unique_ptr<QTextDocument> copy(doc.clone());
    copy->documentLayout()->setPaintDevice(&m_printer);
    copy->setDocumentMargin(0);
    QTextOption option = copy->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    copy->setDefaultTextOption(option);
    copy->setPageSize(body.size());

    // Each line goes on the page its top lies on. Lines are drawn one by one
    // rather than by clipping the whole layout to a page: a clipped-away line
    // would still be in the page's text, found by search and copy.
    const QList<QList<BodyLine>> pages = linesByPage(*copy, body.height());

    for (int page = 0; page < pages.size(); ++page) {
        if (page > 0) {
            if (!m_printer.newPage())
                return PrintOutcome::DeviceFailed;
        }
        frameThisPage(page == 0);

        m_painter.save();
        m_painter.translate(body.topLeft());
        m_painter.setClipRect(QRectF(QPointF(0, 0), body.size()));
        m_painter.translate(0, -page * body.height());
        m_painter.setPen(QPen(Qt::black));
        for (const BodyLine& line : pages[page])
            line.block.layout()->lineAt(line.index).draw(&m_painter, line.origin);
        m_painter.restore();
    }
    return PrintOutcome::Printed;
}

bool PrintJob::newPage()
{
    if (!m_painter.isActive() || !m_printer.newPage())
        return false;
    return true;
}

bool PrintJob::end()
{
    if (!m_painter.isActive())
        return false;
    return m_painter.end();
}

namespace {

// One job of `count` documents, each from a new page; `proceed(i)`, when
// given, may end the job before document i.
PrintOutcome runJob(QPrinter& printer, const PrintJob::Clock& today, const QString& title, int setting,
                    int count, const std::function<const QTextDocument*(int)>& documentAt,
                    const std::function<bool(int)>& proceed)
{
    PrintJob job(printer, today);
    const PrintOutcome setUp = job.setUpPrinter(setting, title);
    if (setUp != PrintOutcome::Printed) {
        qCInfo(lcPrint) << "printer" << printer.printerName() << printer.outputFileName()
                           << "not usable, outcome" << int(setUp);
        return setUp;
    }
    const TwipMargins margins = bodyMargins(job.pageWidthTwips(), job.pageHeightTwips());
    PrintOutcome printed = PrintOutcome::Printed;
    for (int i = 0; i < count && printed == PrintOutcome::Printed; ++i) {
        if (proceed && !proceed(i))
            break;
        const QTextDocument* doc = documentAt(i);
        if (i > 0 && !job.newPage())
            printed = PrintOutcome::DeviceFailed;
        else if (doc)
            printed = job.printRichText(*doc, margins);
    }
    // The document is ended whatever happened to the pages.
    const bool ended = job.end();
    if (printed != PrintOutcome::Printed) {
        qCInfo(lcPrint) << "print job" << printer.docName() << "ended early, outcome" << int(printed);
        return printed;
    }
    if (!ended)
        qCInfo(lcPrint) << "print job" << printer.docName() << "could not be ended";
    return ended ? PrintOutcome::Printed : PrintOutcome::DeviceFailed;
}

} // namespace

PrintOutcome printDocument(const QTextDocument& doc, QPrinter& printer, const PrintJob::Clock& today,
                           const QString& title, int setting)
{
    return runJob(printer, today, title, setting, 1, [&doc](int) { return &doc; }, {});
}

BodyCapacity bodyCapacity(QPrinter& printer, const QFont& font)
{
    // The body as printDocument lays it: an eighth of the width off each
    // side, a ninth of the height off top and bottom.
    const QRectF page = printer.pageLayout().fullRectPoints();
    const double dpi = printer.resolution();
    const double bodyWidth = page.width() * 6.0 / 8.0 * dpi / 72.0;
    const double bodyHeight = page.height() * 7.0 / 9.0 * dpi / 72.0;
    const QFontMetricsF metrics(font, &printer);
    const double charWidth = metrics.horizontalAdvance(QLatin1Char('x'));
    const double lineHeight = metrics.lineSpacing();
    BodyCapacity capacity;
    if (charWidth > 0 && lineHeight > 0) {
        capacity.columns = std::max(1, int(bodyWidth / charWidth));
        capacity.lines = std::max(1, int(bodyHeight / lineHeight));
    }
    return capacity;
}

int estimatePages(const QList<int>& lineLengths, const BodyCapacity& capacity)
{
    const qint64 columns = std::max(1, capacity.columns);
    qint64 lines = 0;
    for (const int length : lineLengths)
        lines += std::max<qint64>(1, (length + columns - 1) / columns);
    const qint64 perPage = std::max(1, capacity.lines);
    return int(std::clamp<qint64>((lines + perPage - 1) / perPage, 1, std::numeric_limits<int>::max()));
}

PrintOutcome printDocuments(int count, const DocumentSource& documentAt, QPrinter& printer,
                            const PrintJob::Clock& today, const std::function<bool(int index)>& proceed,
                            const QString& title, int setting)
{
    std::unique_ptr<QTextDocument> current;
    return runJob(printer, today, title, setting, count,
                  [&](int i) {
                      current = documentAt(i);
                      return current.get();
                  },
                  proceed);
}

} // namespace orvane::print
