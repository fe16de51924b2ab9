#include "print/PrintDriver.h"

#include "core/ProductInfo.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

using namespace orvane::print;

namespace {

const QColor kNavy(0, 0, 128);
const QColor kRed(255, 0, 0);

// A document as the text view holds it: Courier 9.75 pt, the first
// occurrence of each heading navy, every "preheat" red. Numbered lines, every
// seventh one long enough to wrap over several printed lines.
std::unique_ptr<QTextDocument> makeDocument(int lines)
{
    QStringList text;
    text << QStringLiteral("Interpretation: VIII-1-04-17")
         << QStringLiteral("Subject: Section VIII, Division 1, UW-11 preheat")
         << QStringLiteral("Date Issued: March 3, 2004")
         << QStringLiteral("File: BC03-1200");
    for (int i = 1; i <= lines; ++i) {
        QString line = QStringLiteral("L%1 question about the preheat of weld joint %1")
                           .arg(i, 4, 10, QLatin1Char('0'));
        if (i % 7 == 0) {
            for (int w = 0; w < 40; ++w)
                line += QStringLiteral(" w%1x%2").arg(i).arg(w);
        }
        text << line;
    }
    auto doc = std::make_unique<QTextDocument>();
    QFont courier(QStringLiteral("Courier"));
    courier.setPointSizeF(9.75);
    doc->setDefaultFont(courier);
    doc->setPlainText(text.join(QLatin1Char('\n')));

    const auto colour = [&](int start, int length, const QColor& c) {
        QTextCursor cursor(doc.get());
        cursor.setPosition(start);
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setForeground(c);
        cursor.mergeCharFormat(format);
    };
    const QString plain = doc->toPlainText();
    for (const char* heading : {"Interpretation", "Subject", "Date Issued", "File"})
        colour(plain.indexOf(QLatin1String(heading)), int(qstrlen(heading)), kNavy);
    for (int at = plain.indexOf(QLatin1String("preheat")); at >= 0;
         at = plain.indexOf(QLatin1String("preheat"), at + 1))
        colour(at, 7, kRed);
    return doc;
}

// The standard output of a poppler tool; empty when it failed.
QString run(const QString& program, const QStringList& args, bool* ok = nullptr)
{
    QProcess p;
    p.start(program, args);
    const bool done = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit
        && p.exitCode() == 0;
    if (ok)
        *ok = done;
    return done ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

int pdfPages(const QString& pdf)
{
    const QRegularExpression re(QStringLiteral("^Pages:\\s+(\\d+)"),
                                QRegularExpression::MultilineOption);
    const auto m = re.match(run(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The text of every page, in layout mode.
QStringList pdfPageTexts(const QString& pdf)
{
    QStringList pages = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf,
                                                          QStringLiteral("-")})
                            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QString simplified(const QString& s)
{
    return s.simplified();
}

bool isFrameLine(const QString& line)
{
    return line.trimmed() == QLatin1String("TM")  // the raised "TM" stands on a line of its own
        || line.contains(QLatin1String("Orvane-INT"))
        || line.contains(QLatin1String("Copyright(c) 1974-"))
        || line.contains(orvane::product::legalCopyright())
        || line.contains(orvane::product::legalTrademarks());
}

// The body of a page: everything that is not header or footer.
QString bodyOf(const QString& page)
{
    QStringList kept;
    for (const QString& line : page.split(QLatin1Char('\n'))) {
        if (!isFrameLine(line))
            kept << line;
    }
    return kept.join(QLatin1Char('\n'));
}

struct Word {
    QString text;
    QRectF box;  // points from the sheet's top-left corner
};
struct BoxPage {
    QSizeF size;
    QList<Word> words;
};

QList<BoxPage> pdfWordBoxes(const QString& pdf)
{
    const QString html = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf,
                                                           QStringLiteral("-")});
    const QRegularExpression pageRe(
        QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">"));
    const QRegularExpression wordRe(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<BoxPage> pages;
    for (const QString& chunk : html.split(QStringLiteral("<page "))) {
        const auto pm = pageRe.match(QStringLiteral("<page ") + chunk.left(80));
        if (!pm.hasMatch())
            continue;
        BoxPage page;
        page.size = QSizeF(pm.captured(1).toDouble(), pm.captured(2).toDouble());
        for (auto it = wordRe.globalMatch(chunk); it.hasNext();) {
            const auto wm = it.next();
            const QPointF tl(wm.captured(1).toDouble(), wm.captured(2).toDouble());
            const QPointF br(wm.captured(3).toDouble(), wm.captured(4).toDouble());
            page.words << Word{wm.captured(5), QRectF(tl, br)};
        }
        pages << page;
    }
    return pages;
}

constexpr int kPortrait = QPageLayout::Portrait;
constexpr int kLandscape = QPageLayout::Landscape;

struct PdfJob {
    QPageSize::PageSizeId size = QPageSize::A4;
    int setting = kPortrait;  // the orientation chosen in the printer set-up
    QMarginsF marginsMm;  // the printable area's offsets from the sheet's edges
    QPrinter::PrinterMode mode = QPrinter::HighResolution;
};

PrintOutcome printToPdf(const QTextDocument& doc, const QString& path, const PdfJob& job,
                        const PrintJob::Clock& today)
{
    QPrinter printer(job.mode);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(job.size));
    printer.setPageMargins(job.marginsMm, QPageLayout::Millimeter);
    // The orientation is the user's choice; the print command's setting
    // (one copy) must leave it alone.
    printer.setPageOrientation(QPageLayout::Orientation(job.setting));
    return printDocument(doc, printer, today, QStringLiteral("IX-89-01 - Orvane-INT"), kOneCopy);
}

// Lines of body text that fill about `pages` pages of the given job.
int linesFor(double pages, const PdfJob& job)
{
    QPageSize size(job.size);
    QSizeF pt = size.size(QPageSize::Point);
    if (job.setting == kLandscape)
        pt.transpose();
    const double bodyHeightPt = pt.height() * 7.0 / 9.0;
    QFont courier(QStringLiteral("Courier"));
    courier.setPointSizeF(9.75);
    QPrinter printer(job.mode);
    const double lineSpacingPt =
        QFontMetricsF(courier, &printer).height() * 72.0 / printer.logicalDpiY();
    // Every seventh line wraps to about five printed lines (40 extra words).
    const double printedPerLine = 1 + 4.0 / 7;
    return int(pages * bodyHeightPt / lineSpacingPt / printedPerLine);
}

} // namespace

class tst_PrintDriver : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString pdfPath(const QString& name) const { return m_dir.filePath(name + ".pdf"); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        bool ok = false;
        run(QStringLiteral("pdftotext"), {QStringLiteral("-v")}, &ok);
        QVERIFY2(ok, "poppler-utils needed");
    }

    // Page count, the frame texts on every page, the long copyright line on
    // page 1 and the short one after it, and the body text of all pages
    // together equal to the document's, no line lost or repeated.
    void pagesFrameAndBody_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("expectedPages");
        QTest::addColumn<QMarginsF>("margins");
        const QMarginsF none(0, 0, 0, 0);
        // Printable-area offsets as printers have them; the frame is placed from
        // the printable area, so a left offset above 2 % of the width would push
        // the footer's right-hand text off the sheet.
        const QMarginsF uneven(4, 6.35, 5, 9);
        QTest::newRow("a4 portrait, 1 page") << int(QPageSize::A4) << kPortrait << 1 << none;
        QTest::newRow("a4 portrait, 3 pages") << int(QPageSize::A4) << kPortrait << 3 << none;
        QTest::newRow("letter portrait, 3 pages, offsets")
            << int(QPageSize::Letter) << kPortrait << 3 << uneven;
        QTest::newRow("a4 landscape, 3 pages") << int(QPageSize::A4) << kLandscape << 3 << uneven;
        QTest::newRow("letter landscape, 1 page")
            << int(QPageSize::Letter) << kLandscape << 1 << none;
    }
    void pagesFrameAndBody()
    {
        QFETCH(int, size);
        QFETCH(int, setting);
        QFETCH(int, expectedPages);
        QFETCH(QMarginsF, margins);
        const PdfJob job{QPageSize::PageSizeId(size), setting, margins};
        const int lines = expectedPages == 1 ? 12 : linesFor(expectedPages - 0.5, job);
        const auto doc = makeDocument(lines);
        const QString pdf = pdfPath(QTest::currentDataTag());

        QCOMPARE(printToPdf(*doc, pdf, job, [] { return QDate(2031, 5, 17); }),
                 PrintOutcome::Printed);
        QCOMPARE(pdfPages(pdf), expectedPages);

        const QStringList pages = pdfPageTexts(pdf);
        QCOMPARE(pages.size(), expectedPages);
        const QString longLine = headerCopyrightLine(2031, true);
        const QString shortLine = headerCopyrightLine(2031, false);
        for (int i = 0; i < pages.size(); ++i) {
            const QString page = simplified(pages[i]);
            const QByteArray where = "page " + QByteArray::number(i + 1);
            QVERIFY2(page.contains(QLatin1String("Orvane-INT")), where);
            QVERIFY2(page.contains(QLatin1String("TM")), where);
            QVERIFY2(page.contains(i == 0 ? longLine : shortLine), where);
            QVERIFY2(!page.contains(i == 0 ? shortLine : longLine), where);
            QVERIFY2(page.contains(orvane::product::legalTrademarks()), where);
            QVERIFY2(page.contains(orvane::product::legalCopyright()), where);
        }

        QString body;
        for (const QString& page : pages)
            body += bodyOf(page) + QLatin1Char('\n');
        // Every numbered line exactly once, in order.
        QStringList numbers;
        for (auto it = QRegularExpression(QStringLiteral("\\bL(\\d{4})\\b")).globalMatch(body);
             it.hasNext();)
            numbers << it.next().captured(1);
        QCOMPARE(numbers.size(), lines);
        for (int i = 0; i < numbers.size(); ++i)
            QCOMPARE(numbers[i].toInt(), i + 1);
        QCOMPARE(simplified(body), simplified(doc->toPlainText()));
    }

    // The body stays inside margins of W/8 and H/9 measured from the sheet's
    // edges whatever the printable area's offsets, fills its width, and the
    // frame stands on the grid relative to the printable area.
    void placementOnTheSheet_data()
    {
        QTest::addColumn<int>("setting");
        QTest::addColumn<QMarginsF>("margins");
        QTest::addColumn<int>("mode");
        QTest::newRow("portrait, no offset") << kPortrait << QMarginsF(0, 0, 0, 0)
                                             << int(QPrinter::HighResolution);
        QTest::newRow("portrait, offsets") << kPortrait << QMarginsF(4, 6.35, 5, 5)
                                           << int(QPrinter::HighResolution);
        QTest::newRow("landscape, offsets") << kLandscape << QMarginsF(3, 5, 5, 5)
                                            << int(QPrinter::HighResolution);
        QTest::newRow("portrait, screen resolution") << kPortrait << QMarginsF(4, 4, 4, 4)
                                                     << int(QPrinter::ScreenResolution);
    }
    void placementOnTheSheet()
    {
        QFETCH(int, setting);
        QFETCH(QMarginsF, margins);
        QFETCH(int, mode);
        const PdfJob job{QPageSize::Letter, setting, margins, QPrinter::PrinterMode(mode)};
        const auto doc = makeDocument(linesFor(1.5, job));
        const QString pdf = pdfPath(QStringLiteral("placement"));
        QCOMPARE(printToPdf(*doc, pdf, job, [] { return QDate(2024, 1, 1); }),
                 PrintOutcome::Printed);

        const QList<BoxPage> pages = pdfWordBoxes(pdf);
        QCOMPARE(pages.size(), 2);
        const double w = pages[0].size.width();
        double h = pages[0].size.height();
        const double sheetH = h;
        QCOMPARE(w > h, setting == kLandscape);
        // A PDF file is laid out with at least an office printer's offsets.
        const double office = kOfficePrinterOffsetTwips / 20.0;
        const double offX = qMax(office, margins.left() * 72 / 25.4);
        const double offY = qMax(office, margins.top() * 72 / 25.4);
        const double offR = qMax(office, margins.right() * 72 / 25.4);
        const double offB = qMax(office, margins.bottom() * 72 / 25.4);
        // The grid over the printable area, in points from the sheet's corner.
        const PageGrid grid = computePageGrid(qRound((w - offX - offR) * 20),
                                              qRound((h - offY - offB) * 20));
        h -= offY + offB;  // the vertical grid fractions are of the printable height
        const double frameLeft = offX + 20 * grid.gridUnitX / 20;
        const double frameRight = offX + (grid.gridWidth + 20) * grid.gridUnitX / 20;
        const double tol = 1.5;

        for (const BoxPage& page : pages) {
            double bodyLeft = 1e9, bodyRight = 0, bodyTop = 1e9, bodyBottom = 0;
            for (const Word& word : page.words) {
                const QRectF& b = word.box;
                const double cy = b.center().y();
                if (cy < offY + 8 * h / 100) {  // header band
                    QVERIFY2(b.top() >= offY + 0.0141 * h - tol, qPrintable(word.text));
                    if (word.text.startsWith(QLatin1String("Orvane-INT"))) {
                        QVERIFY(qAbs(b.top() - (offY + 0.0225 * h)) < 3);
                        // Centred over the rules ("TM" hangs off its end).
                        const double right = word.text == QLatin1String("Orvane-INT")
                            ? b.right() : b.right() - b.width() * 2 / 12;
                        QVERIFY2(qAbs((b.left() - frameLeft) - (frameRight - right)) < 6,
                                 qPrintable(QString::number(b.left())));
                    }
                } else if (cy > offY + 0.9107 * h) {  // footer band
                    QVERIFY2(b.top() >= offY + 0.9135 * h - tol, qPrintable(word.text));
                    QVERIFY(b.left() >= frameLeft - tol);
                    QVERIFY(b.right() <= frameRight + tol);
                    // 5 pt, rounded to whole pixels at screen resolution
                    QVERIFY2(b.height() < 8, qPrintable(word.text + QString::number(b.height())));
                } else {
                    bodyLeft = qMin(bodyLeft, b.left());
                    bodyRight = qMax(bodyRight, b.right());
                    bodyTop = qMin(bodyTop, b.top());
                    bodyBottom = qMax(bodyBottom, b.bottom());
                    QVERIFY2(b.height() > 8 && b.height() < 12.5, qPrintable(word.text));
                }
            }
            // The body starts at the margins measured from the sheet's edge...
            QVERIFY2(qAbs(bodyLeft - w / 8) < tol, qPrintable(QString::number(bodyLeft)));
            QVERIFY2(qAbs(bodyTop - sheetH / 9) < 4, qPrintable(QString::number(bodyTop)));
            // ...and stays inside them.
            QVERIFY2(bodyRight <= w - w / 8 + tol, qPrintable(QString::number(bodyRight)));
            QVERIFY2(bodyBottom <= sheetH - sheetH / 9 + tol, qPrintable(QString::number(bodyBottom)));
        }
        // A full first page reaches close to the bottom margin and wraps
        // close to the right one.
        double lowest = 0, rightmost = 0;
        for (const Word& word : pages[0].words) {
            if (word.box.center().y() < offY + 0.9107 * h) {
                lowest = qMax(lowest, word.box.bottom());
                rightmost = qMax(rightmost, word.box.right());
            }
        }
        QVERIFY2(lowest > sheetH - sheetH / 9 - 20, qPrintable(QString::number(lowest)));
        QVERIFY2(rightmost > w - w / 8 - 20, qPrintable(QString::number(rightmost)));
    }

    // The body keeps the view's colours: navy headings and red search words
    // come out in colour, and the frame's rules are drawn.
    void coloursAndRules()
    {
        const auto doc = makeDocument(20);
        const QString pdf = pdfPath(QStringLiteral("colours"));
        QCOMPARE(printToPdf(*doc, pdf, PdfJob{}, [] { return QDate(2024, 1, 1); }),
                 PrintOutcome::Printed);
        const QString prefix = m_dir.filePath(QStringLiteral("colours"));
        bool ok = false;
        run(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), pdf, prefix},
            &ok);
        QVERIFY(ok);
        const QImage image(prefix + QStringLiteral(".png"));
        QVERIFY(!image.isNull());
        int red = 0, navy = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 200 && c.green() < 80 && c.blue() < 80)
                    ++red;
                if (c.red() < 60 && c.green() < 60 && c.blue() > 90 && c.blue() < 170)
                    ++navy;
            }
        }
        QVERIFY2(red > 50, qPrintable(QString::number(red)));
        QVERIFY2(navy > 50, qPrintable(QString::number(navy)));

        // The header rules: long dark runs across the rows at 1.41 % and 7.03 %
        // of the printable area, which lies an office printer's offset inside
        // the A4 sheet.
        const double office = kOfficePrinterOffsetTwips / 20.0;   // points
        const double sheetW = 595.28, sheetH = 841.89;
        const auto darkRun = [&](double fraction) {
            const double yPt = office + fraction * (sheetH - 2 * office);
            const int row = qRound(yPt / sheetH * image.height());
            int best = 0;
            for (int y = row - 2; y <= row + 2; ++y) {
                int n = 0;
                for (int x = 0; x < image.width(); ++x)
                    n += image.pixelColor(x, y).lightness() < 160;
                best = qMax(best, n);
            }
            return best;
        };
        const int ruleLength =
            int(image.width() * (0.98 - 0.0784) * (sheetW - 2 * office) / sheetW) - 4;
        QVERIFY2(darkRun(0.0141) >= ruleLength, qPrintable(QString::number(darkRun(0.0141))));
        QVERIFY(darkRun(0.0703) >= ruleLength);
        QVERIFY(darkRun(0.9107) >= ruleLength);
        QVERIFY(darkRun(0.9275) >= ruleLength);
    }

    // One long paragraph: every page break falls inside it, and each of its
    // words still prints once, in order.
    void paragraphOverPageBreaks()
    {
        QStringList words;
        for (int i = 1; i <= 2500; ++i)
            words << QStringLiteral("p%1").arg(i, 4, 10, QLatin1Char('0'));
        QTextDocument doc;
        doc.setDefaultFont(QFont(QStringLiteral("Courier"), 10));
        doc.setPlainText(words.join(QLatin1Char(' ')));
        const QString pdf = pdfPath(QStringLiteral("paragraph"));
        QCOMPARE(printToPdf(doc, pdf, PdfJob{}, [] { return QDate(2024, 1, 1); }),
                 PrintOutcome::Printed);
        const QStringList pages = pdfPageTexts(pdf);
        QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
        QString body;
        for (const QString& page : pages)
            body += bodyOf(page) + QLatin1Char('\n');
        QCOMPARE(simplified(body), words.join(QLatin1Char(' ')));
    }

    // The year is read again for every page.
    void yearPerPage()
    {
        const PdfJob job{QPageSize::A4, kPortrait, {}};
        const auto doc = makeDocument(linesFor(1.5, job));
        int calls = 0;
        const QString pdf = pdfPath(QStringLiteral("years"));
        QCOMPARE(printToPdf(*doc, pdf, job, [&] { return QDate(2030 + calls++, 12, 31); }),
                 PrintOutcome::Printed);
        const QStringList pages = pdfPageTexts(pdf);
        QCOMPARE(pages.size(), 2);
        QVERIFY(simplified(pages[0]).contains(headerCopyrightLine(2030, true)));
        QVERIFY(simplified(pages[1]).contains(headerCopyrightLine(2031, false)));
    }

    // An empty text still prints one framed page.
    void emptyDocument()
    {
        QTextDocument doc;
        const QString pdf = pdfPath(QStringLiteral("empty"));
        QCOMPARE(printToPdf(doc, pdf, PdfJob{}, [] { return QDate(2024, 1, 1); }),
                 PrintOutcome::Printed);
        QCOMPARE(pdfPages(pdf), 1);
        QCOMPARE(simplified(bodyOf(pdfPageTexts(pdf).value(0))), QString());
    }

    // A PDF printed with Qt's own page set-up (its 10-point default margin)
    // on the common papers in both orientations: the orientation chosen is
    // the one printed, no text and no other ink lies within 4 mm of any edge
    // on any page, and the file names the job and the program that made it.
    void noInkNearTheEdges_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("orientation");
        QTest::newRow("a4 portrait") << int(QPageSize::A4) << kPortrait;
        QTest::newRow("a4 landscape") << int(QPageSize::A4) << kLandscape;
        QTest::newRow("letter portrait") << int(QPageSize::Letter) << kPortrait;
        QTest::newRow("letter landscape") << int(QPageSize::Letter) << kLandscape;
    }
    void noInkNearTheEdges()
    {
        QFETCH(int, size);
        QFETCH(int, orientation);
        const PdfJob job{QPageSize::PageSizeId(size), orientation, {}};
        const auto doc = makeDocument(linesFor(1.5, job));
        const QString pdf = pdfPath(QStringLiteral("edges"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(job.size));
        printer.setPageOrientation(QPageLayout::Orientation(orientation));
        QCOMPARE(printDocument(*doc, printer, [] { return QDate(2024, 1, 1); }, printJobTitle(QStringLiteral(" VIII-1-04-17 "))),
                 PrintOutcome::Printed);

        const QString info = run(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("(?m)^Title:\\s+VIII-1-04-17 - Orvane-INT$"))),
                 qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("(?m)^Creator:\\s+Orvane-INT 2014\\.1\\.6$"))),
                 qPrintable(info));

        const double edge = 4 * 72 / 25.4;   // 4 mm in points
        const QList<BoxPage> pages = pdfWordBoxes(pdf);
        QCOMPARE(pages.size(), 2);
        for (const BoxPage& page : pages) {
            QCOMPARE(page.size.width() > page.size.height(), orientation == kLandscape);
            const QRectF inner(edge, edge, page.size.width() - 2 * edge, page.size.height() - 2 * edge);
            for (const Word& word : page.words)
                QVERIFY2(inner.contains(word.box),
                         qPrintable(word.text + QStringLiteral(" at %1,%2 - %3,%4")
                                                    .arg(word.box.left()).arg(word.box.top())
                                                    .arg(word.box.right()).arg(word.box.bottom())));
        }

        // The rules too: render both pages and look for ink in the border band.
        const QString prefix = m_dir.filePath(QStringLiteral("edges"));
        bool ok = false;
        run(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-png"), pdf, prefix}, &ok);
        QVERIFY(ok);
        for (int n = 1; n <= 2; ++n) {
            const QImage image(QStringLiteral("%1-%2.png").arg(prefix).arg(n));
            QVERIFY(!image.isNull());
            const int band = int(4 / 25.4 * 100);   // 4 mm at 100 dpi, rounded down
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (x >= band && x < image.width() - band && y >= band && y < image.height() - band)
                        continue;
                    if (image.pixelColor(x, y).lightness() < 230)
                        QFAIL(qPrintable(QStringLiteral("ink at %1,%2 on page %3").arg(x).arg(y).arg(n)));
                }
            }
        }
    }

    // Failures end the job quietly: nothing is written, nothing is thrown.
    void failingPrinters()
    {
        const auto doc = makeDocument(5);
        const QString missing = m_dir.filePath(QStringLiteral("no/such/folder/out.pdf"));
        QCOMPARE(printToPdf(*doc, missing, PdfJob{}, [] { return QDate(2024, 1, 1); }),
                 PrintOutcome::BeginFailed);
        QVERIFY(!QFileInfo::exists(missing));

        // A printer nobody chose: no such printer, no output file.
        QPrinter printer;
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(QStringLiteral("no printer of this name"));
        const PrintOutcome outcome = printDocument(*doc, printer, [] { return QDate(2024, 1, 1); });
        QCOMPARE(outcome, printer.isValid() ? PrintOutcome::BeginFailed
                                            : PrintOutcome::InvalidPrinter);
    }
};

QTEST_MAIN(tst_PrintDriver)
#include "tst_printdriver.moc"
