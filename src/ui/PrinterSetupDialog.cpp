#include "ui/PrinterSetupDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orvane::ui {

namespace {

// Papers offered for a PDF file, which can take any size: the common office
// and drawing sizes of both the metric and the North American series.
const QPageSize::PageSizeId kPdfPapers[] = {
    QPageSize::A3, QPageSize::A4, QPageSize::A5, QPageSize::B5,
    QPageSize::Letter, QPageSize::Legal, QPageSize::Executive, QPageSize::Tabloid,
};

QList<QPageSize> papersFor(const QString& printerName)
{
    QList<QPageSize> sizes;
    if (!printerName.isEmpty())
        sizes = QPrinterInfo::printerInfo(printerName).supportedPageSizes();
    if (sizes.isEmpty()) {
        for (QPageSize::PageSizeId id : kPdfPapers)
            sizes << QPageSize(id);
    }
    return sizes;
}

} // namespace

QString PrinterSetupDialog::pdfPrinterCaption()
{
    return tr("Print to PDF");
}

PrinterSetupDialog::PrinterSetupDialog(QPrinter& printer, QWidget* parent)
    : QDialog(parent), printer_(printer)
{
    setObjectName(QStringLiteral("printerSetup"));
    setWindowTitle(tr("Printer Setup"));
    setModal(true);

    printerBox_ = new QComboBox(this);
    printerBox_->setObjectName(QStringLiteral("printer"));
    const QString systemDefault = QPrinterInfo::defaultPrinterName();
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        printerBox_->addItem(name == systemDefault ? tr("%1 (default)").arg(name) : name, name);
    printerBox_->addItem(pdfPrinterCaption(), QString());

    fileEdit_ = new QLineEdit(this);
    fileEdit_->setObjectName(QStringLiteral("pdfFile"));
    browseButton_ = new QPushButton(tr("&Browse..."), this);
    browseButton_->setObjectName(QStringLiteral("browse"));
    browseButton_->setAutoDefault(false);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileEdit_, 1);
    fileRow->addWidget(browseButton_);

    paperBox_ = new QComboBox(this);
    paperBox_->setObjectName(QStringLiteral("paper"));

    portrait_ = new QRadioButton(tr("&Portrait"), this);
    portrait_->setObjectName(QStringLiteral("portrait"));
    landscape_ = new QRadioButton(tr("&Landscape"), this);
    landscape_->setObjectName(QStringLiteral("landscape"));
    auto* orientationRow = new QHBoxLayout;
    orientationRow->addWidget(portrait_);
    orientationRow->addWidget(landscape_);
    orientationRow->addStretch(1);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, &PrinterSetupDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &PrinterSetupDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(tr("P&rinter:"), printerBox_);
    // The field sits in a row with its Browse button, so the form cannot pair
    // the label with it: without a buddy the label would show its "&" and
    // Alt+F would lead nowhere.
    auto* fileLabel = new QLabel(tr("&File:"), this);
    fileLabel->setBuddy(fileEdit_);
    form->addRow(fileLabel, fileRow);
    form->addRow(tr("Paper &size:"), paperBox_);
    form->addRow(tr("Orientation:"), orientationRow);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(buttons_);
    showPrinterInUse(printer);
}

void PrinterSetupDialog::showPrinterInUse(const QPrinter& printer)
{
    const bool pdf = printer.outputFormat() == QPrinter::PdfFormat;
    int at = pdf ? printerBox_->count() - 1 : printerBox_->findData(printer.printerName());
    if (at < 0)
        at = printerBox_->count() - 1;
    printerBox_->setCurrentIndex(at);
    fileEdit_->setText(QDir::toNativeSeparators(printer.outputFileName()));
    const QPageLayout layout = printer.pageLayout();
    fillPaperSizes(layout.pageSize());
    (layout.orientation() == QPageLayout::Landscape ? landscape_ : portrait_)->setChecked(true);

    connect(printerBox_, &QComboBox::currentIndexChanged, this, [this] {
        fillPaperSizes(pageSize());
        updateEnabled();
    });
    connect(fileEdit_, &QLineEdit::textChanged, this, [this] { updateEnabled(); });
    connect(browseButton_, &QPushButton::clicked, this, [this] { browse(); });
    updateEnabled();
}

bool PrinterSetupDialog::pdfChosen() const
{
    return printerBox_->currentData().toString().isEmpty();
}

QString PrinterSetupDialog::printerName() const
{
    return printerBox_->currentData().toString();
}

QString PrinterSetupDialog::pdfFileName() const
{
    return QDir::fromNativeSeparators(fileEdit_->text().trimmed());
}

QPageSize PrinterSetupDialog::pageSize() const
{
    const QVariant v = paperBox_->currentData();
    return v.isValid() ? v.value<QPageSize>() : printer_.pageLayout().pageSize();
}

QPageLayout::Orientation PrinterSetupDialog::orientation() const
{
    return landscape_->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

void PrinterSetupDialog::fillPaperSizes(const QPageSize& keep)
{
    const QSignalBlocker block(paperBox_);
    paperBox_->clear();
    const QList<QPageSize> sizes = papersFor(printerName());
    int chosen = -1;
    for (const QPageSize& size : sizes) {
        if (size.isEquivalentTo(keep))
            chosen = paperBox_->count();
        paperBox_->addItem(size.name(), QVariant::fromValue(size));
    }
    // A paper the printer in use had but the list lacks stays choosable.
    if (chosen < 0 && keep.isValid()) {
        chosen = paperBox_->count();
        paperBox_->addItem(keep.name(), QVariant::fromValue(keep));
    }
    paperBox_->setCurrentIndex(qMax(0, chosen));
}

void PrinterSetupDialog::updateEnabled()
{
    const bool pdf = pdfChosen();
    fileEdit_->setEnabled(pdf);
    browseButton_->setEnabled(pdf);
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(!pdf || !pdfFileName().isEmpty());
}

void PrinterSetupDialog::browse()
{
    // Choosing a file name writes nothing yet, so there is nothing to
    // confirm: whether to replace the file is up to the print itself.
    const QString chosen = QFileDialog::getSaveFileName(
        this, tr("Print to PDF"), pdfFileName(), tr("PDF files (*.pdf)"), nullptr,
        QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return;
    fileEdit_->setText(QDir::toNativeSeparators(
        QFileInfo(chosen).suffix().isEmpty() ? chosen + QStringLiteral(".pdf") : chosen));
}

void PrinterSetupDialog::applyTo(QPrinter& printer) const
{
    // The destination first: choosing it resets the page layout.
    if (pdfChosen()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfFileName());
    } else {
        printer.setOutputFileName(QString());
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(printerName());
    }
    printer.setPageSize(pageSize());
    printer.setPageOrientation(orientation());
}

void PrinterSetupDialog::accept()
{
    if (pdfChosen() && pdfFileName().isEmpty())
        return;
    applyTo(printer_);
    QDialog::accept();
}

bool runPrinterSetup(QPrinter& printer, QWidget* parent)
{
    PrinterSetupDialog dialog(printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace orvane::ui
