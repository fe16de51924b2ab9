#pragma once

// The printer set-up: which printer (or a PDF file) the next print goes to,
// on which paper and in which orientation. Nothing is printed here, and
// nothing that belongs to one print run (copies, page ranges) is offered.
//
// The dialog edits the printer it is given only when OK is pressed; Cancel,
// Escape or the close box leave it exactly as it was.

#include <QDialog>
#include <QPageLayout>
#include <QPageSize>

class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;

namespace orvane::ui {

class PrinterSetupDialog : public QDialog {
    Q_OBJECT
public:
    // The caption of the printer entry that writes a PDF file.
    static QString pdfPrinterCaption();

    PrinterSetupDialog(QPrinter& printer, QWidget* parent = nullptr);

    // The choice as it stands in the controls.
    bool pdfChosen() const;
    QString printerName() const;   // empty for the PDF entry
    QString pdfFileName() const;
    QPageSize pageSize() const;
    QPageLayout::Orientation orientation() const;

    // Writes the choice into `printer` (done by accept()).
    void applyTo(QPrinter& printer) const;

    void accept() override;

private:
    // Starts the choices from the printer in use and wires them.
    void showPrinterInUse(const QPrinter& printer);
    void fillPaperSizes(const QPageSize& keep);
    void updateEnabled();
    void browse();

    QPrinter& printer_;
    QComboBox* printerBox_ = nullptr;
    QLineEdit* fileEdit_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QComboBox* paperBox_ = nullptr;
    QRadioButton* portrait_ = nullptr;
    QRadioButton* landscape_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

// Shows the dialog modally over `parent` for `printer`; true when accepted.
bool runPrinterSetup(QPrinter& printer, QWidget* parent);

} // namespace orvane::ui
