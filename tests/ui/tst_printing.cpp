// Printing from the main window to a PDF file, read back with the poppler
// tools: when anything is printed, what the pages carry, which printer the
// set-up dialog leaves in use, and how long a long interpretation takes.

#include "support/Timing.h"
#include "core/ProductInfo.h"
#include "print/PrintDriver.h"
#include "print/PrinterCopy.h"
#include "ui/MainWindow.h"
#include "app/Controller.h"
#include "app/ProgramState.h"
#include "ui/QtPlatform.h"
#include "support/InterpretationDb.h"
#include "support/ScriptedPlatform.h"
#include "support/WindowControls.h"

#include "ui/PrinterSetupDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QtTest>

using namespace orvane::ui;
using namespace orvane::app;
using orvane::testing::controls;
namespace t = orvane::testing;

namespace {

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString& pdf)
{
    const QRegularExpression re(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption);
    const auto m = re.match(run(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QSizeF pdfPageSizePt(const QString& pdf)
{
    const QRegularExpression re(QStringLiteral("^Page size:\\s+([\\d.]+) x ([\\d.]+) pts"),
                                QRegularExpression::MultilineOption);
    const auto m = re.match(run(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

QStringList pdfPageTexts(const QString& pdf)
{
    QStringList pages = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
                            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QString longLine(int year)
{
    return QStringLiteral("ASME Boiler & Pressure Vessel Code Interpretations, Copyright(c) 1974-%1 "
                          "The American Society of Mechanical Engineers").arg(year);
}

QString shortLine(int year)
{
    return QStringLiteral("ASME B&PV Code Interpretations, Copyright(c) 1974-%1 "
                          "The American Society of Mechanical Engineers").arg(year);
}

bool isFrameLine(const QString& line)
{
    const QString t = line.simplified();
    return t == QLatin1String("TM") || t.startsWith(QLatin1String("Orvane-INT"))
        || t.contains(QLatin1String("Copyright(c) 1974-"))
        || t.contains(orvane::product::legalCopyright().simplified())
        || t.contains(orvane::product::legalTrademarks().simplified());
}

// The body lines of all pages, blank lines and the frame left out.
QStringList bodyLines(const QStringList& pages)
{
    QStringList out;
    for (const QString& page : pages)
        for (const QString& line : page.split(QLatin1Char('\n')))
            if (!line.trimmed().isEmpty() && !isFrameLine(line))
                out << line.simplified();
    return out;
}

// A text as the view shows an interpretation: navy headings, red search
// words, then `lines` numbered question lines.
QString interpretation(int lines)
{
    QStringList text{QStringLiteral("Interpretation: IX-89-01"),
                     QStringLiteral("Subject: QW-406, Preheat"),
                     QStringLiteral("Date Issued: March 14, 1989"),
                     QStringLiteral("File: BC88-101"),
                     QString(),
                     QStringLiteral("Question: Is a minimum preheat required?")};
    for (int i = 1; i <= lines; ++i)
        text << QStringLiteral("Q%1 does the minimum preheat of joint %1 apply").arg(i, 4, 10, QLatin1Char('0'));
    text << QStringLiteral("Reply: Yes.");
    return text.join(QLatin1Char('\n'));
}

struct Window {
    QTemporaryDir dir;
    ScriptedPlatform platform;
    Controller controller{platform};
    std::unique_ptr<orvaneIntMain> w;

    // `lines` question lines in the view, found by a search for "preheat"
    // as the only row of the results list, selected when `select`.
    Window(const QString& pdf, int lines, bool select)
    {
        platform.printerOutputFile = pdf;
        platform.clock = QDateTime(QDate(2031, 5, 6), QTime(10, 0));
        t::Section s9{QStringLiteral("Section IX"), QStringLiteral("INT09"), {}, {}};
        s9.rows.push_back({QStringLiteral("IX-89-01"), interpretation(lines).replace(u'\n', QStringLiteral("\r\n"))});
        s9.index.push_back({QStringLiteral("QW-406"), QStringLiteral("IX-89-01"), QStringLiteral("09")});
        t::DbPlan plan;
        plan.sections = {s9};
        controller.openDatabase(t::writeInterpretationDb(dir.filePath(QStringLiteral("int.mdb")), plan));
        controller.setCurrentTable(s9.table);
        w = std::make_unique<orvaneIntMain>(controller, platform);
        controls(*w).Text1[1]->setText(QStringLiteral("preheat"));
        controls(*w).Command1[1]->click();
        QCOMPARE(controller.rowTexts(), QStringList{QStringLiteral("IX-89-01")});
        // A search selects its first row; a click on the empty part of the
        // list leaves none.
        if (!select)
            controller.clickRow(0);
    }
};

// Question lines that fill about `pages` pages of the default printer.
int linesFor(double pages)
{
    QPrinter printer(QPrinter::HighResolution);
    const double bodyHeightPt = printer.pageLayout().fullRect(QPageLayout::Point).height() * 7.0 / 9.0;
    ScriptedPlatform platform;
    Controller controller{platform};
    orvaneIntMain probe(controller, platform);
    const QFont font = controls(probe).RichTextBox1->document()->defaultFont();
    const double lineSpacingPt = QFontMetricsF(font, &printer).lineSpacing() * 72.0 / printer.logicalDpiY();
    return int(pages * bodyHeightPt / lineSpacingPt);
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void nothingPrintedWithoutSelectedRow();
    void shortTextOnOnePage();
    void longTextOverThreePages();
    void failingPrinterIsTold();
    void printAllEstimateFollowsPaperAndOrientation();
    void setupChoiceUsedOnlyWhenAccepted();
    void realSetupDialogStartsFromPrinterInUse();
    void fiftyPagesInUnderTwoSeconds();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString pdf(const char* name) const { return dir_->filePath(QLatin1String(name)); }
};

void TestPrinting::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("poppler's pdfinfo/pdftotext are needed to read the pages back");
}

void TestPrinting::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
}

void TestPrinting::nothingPrintedWithoutSelectedRow()
{
    {
        // A row in the list, none selected: neither the menu nor the toolbar prints.
        Window win(pdf("a.pdf"), 3, false);
        controls(*win.w).mnuPrint->trigger();
        controls(*win.w).Toolbar1Buttons[2]->click();
        QVERIFY(!QFile::exists(pdf("a.pdf")));
        QVERIFY(win.platform.messageBoxes.empty());
    }
    {
        // A new search that finds nothing leaves no row to print.
        Window win(pdf("b.pdf"), 3, true);
        controls(*win.w).Text1[1]->setText(QStringLiteral("absent"));
        controls(*win.w).Command1[1]->click();
        QVERIFY(win.controller.rowTexts().isEmpty());
        controls(*win.w).mnuPrint->trigger();
        QVERIFY(!QFile::exists(pdf("b.pdf")));
    }
}

void TestPrinting::shortTextOnOnePage()
{
    Window win(pdf("one.pdf"), 3, true);
    controls(*win.w).Toolbar1Buttons[2]->click();   // the toolbar's print button
    QCOMPARE(pdfPages(pdf("one.pdf")), 1);
    const QStringList pages = pdfPageTexts(pdf("one.pdf"));
    QCOMPARE(pages.size(), 1);
    // The year comes from the program's clock, not the machine's.
    QVERIFY2(pages[0].simplified().contains(longLine(2031)), qPrintable(pages[0]));
    QVERIFY(pages[0].contains(QLatin1String("Orvane-INT")));
    QVERIFY(pages[0].contains(orvane::product::legalTrademarks()));
    QCOMPARE(bodyLines(pages), controls(*win.w).RichTextBox1->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts));
    QVERIFY(win.platform.messageBoxes.empty());
}

void TestPrinting::longTextOverThreePages()
{
    Window win(pdf("three.pdf"), linesFor(2.5), true);
    controls(*win.w).mnuPrint->trigger();
    const QStringList pages = pdfPageTexts(pdf("three.pdf"));
    QCOMPARE(pdfPages(pdf("three.pdf")), 3);
    QCOMPARE(pages.size(), 3);
    QVERIFY(pages[0].simplified().contains(longLine(2031)));
    for (int i = 1; i < 3; ++i) {
        QVERIFY2(pages[i].simplified().contains(shortLine(2031)), qPrintable(pages[i].left(400)));
        QVERIFY(!pages[i].simplified().contains(longLine(2031)));
        QVERIFY(pages[i].contains(orvane::product::legalTrademarks()));
    }
    // Every line of the view once, in order, across the page breaks.
    QCOMPARE(bodyLines(pages), controls(*win.w).RichTextBox1->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts));
}

void TestPrinting::failingPrinterIsTold()
{
    // A folder that does not exist: told with the path before anything is
    // sent, and the window goes on.
    const QString missing = dir_->filePath(QStringLiteral("no/such/folder/x.pdf"));
    Window win(missing, 3, true);
    controls(*win.w).mnuPrint->trigger();
    QCOMPARE(win.platform.messageBoxes.size(), std::size_t(1));
    QCOMPARE(win.platform.messageBoxes[0].title, QStringLiteral("Print"));
    QVERIFY(win.platform.messageBoxes[0].text.contains(QDir::toNativeSeparators(missing)));
    QVERIFY(win.platform.messageBoxes[0].text.contains(QStringLiteral("does not exist")));
    QVERIFY(!QFile::exists(missing));

    // A path the printer cannot open (a folder): the failed job is told
    // with its path, and the printer is not left in the middle of a job.
    Window folder(dir_->path(), 3, true);
    controls(*folder.w).mnuPrint->trigger();
    QCOMPARE(folder.platform.messageBoxes.size(), std::size_t(1));
    QCOMPARE(folder.platform.messageBoxes[0].text,
             QStringLiteral("The file %1 could not be written.").arg(QDir::toNativeSeparators(dir_->path())));
    QVERIFY(folder.platform.printer()->printerState() != QPrinter::Active);
}

// The pages announced are the pages printed, on the paper and in the
// orientation the set-up chose.
void TestPrinting::printAllEstimateFollowsPaperAndOrientation()
{
    Window win(pdf("all.pdf"), linesFor(2.5), true);
    const auto announced = [&win] {
        const QString q = win.platform.messageBoxes.back().text;
        static const QRegularExpression about(QStringLiteral("about (\\d+) pages"));
        return about.match(q).captured(1).toInt();
    };
    win.platform.messageAnswers = {MessageAnswer::Ok};
    controls(*win.w).mnuPrintAll->trigger();
    const int portrait = announced();
    QCOMPARE(portrait, pdfPages(pdf("all.pdf")));

    win.platform.printerSetupChoice = [](QPrinter& p) { p.setPageOrientation(QPageLayout::Landscape); };
    win.platform.printerSetupAnswers = {true};
    win.controller.printerSetup();
    QFile::remove(pdf("all.pdf"));
    win.platform.messageAnswers = {MessageAnswer::Ok};
    controls(*win.w).mnuPrintAll->trigger();
    const int landscape = announced();
    QCOMPARE(landscape, pdfPages(pdf("all.pdf")));
    QVERIFY(landscape > portrait);
}

void TestPrinting::setupChoiceUsedOnlyWhenAccepted()
{
    Window win(pdf("first.pdf"), 3, true);
    win.platform.printerSetupChoice = [&](QPrinter& candidate) {
        candidate.setOutputFileName(pdf("chosen.pdf"));
        candidate.setPageSize(QPageSize(QPageSize::A5));
    };

    // Cancelled: the printer in use keeps its file and paper.
    win.platform.printerSetupAnswers = {false};
    controls(*win.w).mnuPrintSetup->trigger();
    QCOMPARE(win.platform.printerSetups, 1);
    QCOMPARE(win.platform.printer()->outputFileName(), pdf("first.pdf"));
    controls(*win.w).mnuPrint->trigger();
    QVERIFY(QFile::exists(pdf("first.pdf")));
    QVERIFY(!QFile::exists(pdf("chosen.pdf")));
    const QSizeF firstSize = pdfPageSizePt(pdf("first.pdf"));
    QVERIFY(qAbs(firstSize.width() - 419.53) > 1);

    // Accepted: the next print goes to the chosen file, on the chosen paper.
    win.platform.printerSetupAnswers = {true};
    controls(*win.w).mnuPrintSetup->trigger();
    controls(*win.w).mnuPrint->trigger();
    QVERIFY(QFile::exists(pdf("chosen.pdf")));
    const QSizeF a5 = pdfPageSizePt(pdf("chosen.pdf"));
    QVERIFY2(qAbs(a5.width() - 419.53) < 1 && qAbs(a5.height() - 595.28) < 1,
             qPrintable(QStringLiteral("%1 x %2").arg(a5.width()).arg(a5.height())));
    QCOMPARE(pdfPages(pdf("chosen.pdf")), 1);

    // A later set-up starts from the chosen printer.
    win.platform.printerSetupChoice = [&](QPrinter& candidate) {
        QCOMPARE(candidate.outputFileName(), pdf("chosen.pdf"));
        QCOMPARE(candidate.pageLayout().pageSize().id(), QPageSize::A5);
    };
    win.platform.printerSetupAnswers = {false};
    controls(*win.w).mnuPrintSetup->trigger();
}

void TestPrinting::realSetupDialogStartsFromPrinterInUse()
{
    const QString target = pdf("env.pdf");
    qputenv("ORVANE_PRINT_TO_PDF", target.toLocal8Bit());
    QtPlatform platform;
    QPrinter* before = platform.printer();   // the variable is read here
    qunsetenv("ORVANE_PRINT_TO_PDF");
    QCOMPARE(before->outputFormat(), QPrinter::PdfFormat);
    QCOMPARE(before->outputFileName(), target);
    const QPageLayout layout = before->pageLayout();

    bool sawDialog = false;
    QTimer::singleShot(100, this, [&] {
        if (auto* d = qobject_cast<PrinterSetupDialog*>(QApplication::activeModalWidget())) {
            sawDialog = true;
            d->reject();
        }
    });
    QTimer::singleShot(5000, this, [] {   // guard: never hang the suite
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            d->done(QDialog::Rejected);
    });
    QVERIFY(!platform.printerSetupDialog());
    QVERIFY(sawDialog);
    QCOMPARE(platform.printer(), before);
    QCOMPARE(platform.printer()->outputFileName(), target);
    QVERIFY(platform.printer()->pageLayout().isEquivalentTo(layout));

    // Accepted unchanged: the dialog started from the printer in use, so the
    // destination it hands back is the same file on the same paper.
    QTimer::singleShot(100, this, [&] {
        if (auto* d = qobject_cast<PrinterSetupDialog*>(QApplication::activeModalWidget()))
            d->accept();
    });
    QTimer::singleShot(5000, this, [] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            d->done(QDialog::Rejected);
    });
    QVERIFY(platform.printerSetupDialog());
    QCOMPARE(platform.printer()->outputFormat(), QPrinter::PdfFormat);
    QCOMPARE(platform.printer()->outputFileName(), target);
    QCOMPARE(platform.printer()->pageLayout().pageSize().id(), layout.pageSize().id());

    // A choice made in the dialog: another, already existing file, A5,
    // landscape. OK takes it without asking anything more (nothing is
    // written until a print), and the next print honours all three.
    const QString chosen = pdf("chosen-here.pdf");
    {
        QFile existing(chosen);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("old");
    }
    bool extraDialog = false;
    QTimer::singleShot(100, this, [&] {
        auto* d = qobject_cast<PrinterSetupDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        auto* printerBox = d->findChild<QComboBox*>(QStringLiteral("printer"));
        QCOMPARE(printerBox->currentText(), PrinterSetupDialog::pdfPrinterCaption());
        d->findChild<QLineEdit*>(QStringLiteral("pdfFile"))->setText(chosen);
        auto* paper = d->findChild<QComboBox*>(QStringLiteral("paper"));
        paper->setCurrentIndex(paper->findText(QPageSize(QPageSize::A5).name()));
        d->findChild<QRadioButton*>(QStringLiteral("landscape"))->setChecked(true);
        d->accept();
        extraDialog = QApplication::activeModalWidget() != nullptr;
    });
    QTimer::singleShot(5000, this, [] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            d->done(QDialog::Rejected);
    });
    QVERIFY(platform.printerSetupDialog());
    QVERIFY(!extraDialog);
    QCOMPARE(platform.printer()->outputFileName(), chosen);
    QCOMPARE(platform.printer()->pageLayout().pageSize().id(), QPageSize::A5);
    QCOMPARE(platform.printer()->pageLayout().orientation(), QPageLayout::Landscape);
    QTextDocument doc(QStringLiteral("One line."));
    QCOMPARE(orvane::print::printDocument(doc, *platform.printer(), QDate(2031, 1, 1)),
             orvane::print::PrintOutcome::Printed);
    const QSizeF size = pdfPageSizePt(chosen);
    QVERIFY2(qAbs(size.width() - 595.28) < 1 && qAbs(size.height() - 419.53) < 1,
             qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
}

void TestPrinting::fiftyPagesInUnderTwoSeconds()
{
    Window win(pdf("fifty.pdf"), linesFor(49.5), true);
    QElapsedTimer t;
    t.start();
    controls(*win.w).mnuPrint->trigger();
    const qint64 ms = t.elapsed();
    qInfo("50-page interpretation printed to PDF in %lld ms", ms);
    const int pages = pdfPages(pdf("fifty.pdf"));
    QVERIFY2(pages >= 50 && pages <= 52, qPrintable(QString::number(pages)));
    QVERIFY2(ms < orvane::testing::timeLimit(2000), qPrintable(QString::number(ms)));
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
