// The printer of the run on Qt's print support and the spooler; built as the module
// SnapshotPrinter loads at the first print or printer setup.
#include "printer_backend.h"
#include "print_text.h"
#include "spooler.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTabWidget>
#include <QVariant>
#include <QWidget>

namespace estrivo {

namespace {

// Qt's print dialog has no setup form of its own. The dialog options already hide the page
// range; the copies tab (copies, collation, page order, page set) goes here. The names are
// those of Qt's own dialog; where they are not found the dialog simply keeps the tab.
void reduceToSetupForm(QPrintDialog *dialog)
{
    if (auto *tabs = dialog->findChild<QTabWidget *>(QStringLiteral("tabs"))) {
        if (auto *copies = tabs->findChild<QWidget *>(QStringLiteral("copiesTab"))) {
            tabs->removeTab(tabs->indexOf(copies));
            copies->hide();
        }
    }
    // Confirming chooses the printer; nothing is printed from here.
    if (auto *buttons = dialog->findChild<QDialogButtonBox *>()) {
        if (QPushButton *ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(PrintText::tr("OK"));
    }
}

// Qt keeps the spooler options chosen in the dialog's printer properties under this engine key,
// which it does not publish; a change of engine loses them unless they are carried over.
const auto kSpoolerOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// What the setup dialog may change in the printer. Qt's dialog switches the printer as soon as
// another one is picked in its list, before the operator confirms, so a cancel has to put the
// earlier choice back.
struct PrinterChoice
{
    QPrinter::OutputFormat format = QPrinter::NativeFormat;
    QString printerName;
    QString outputFileName;
    QPageLayout pageLayout;
    QPrinter::ColorMode colorMode = QPrinter::Color;
    QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
    QVariant spoolerOptions;
};

PrinterChoice currentChoice(QPrinter &printer)
{
    return {printer.outputFormat(),
            printer.printerName(),
            printer.outputFileName(),
            printer.pageLayout(),
            printer.colorMode(),
            printer.duplex(),
            printer.printEngine()->property(kSpoolerOptions)};
}

void restoreChoice(QPrinter &printer, const PrinterChoice &choice)
{
    // The file name goes first: setting it can switch the output format on its own.
    printer.setOutputFileName(choice.outputFileName);
    printer.setOutputFormat(choice.format);
    if (choice.format == QPrinter::NativeFormat)
        printer.setPrinterName(choice.printerName);
    printer.setPageLayout(choice.pageLayout);
    printer.setColorMode(choice.colorMode);
    printer.setDuplex(choice.duplex);
    if (choice.spoolerOptions.isValid())
        printer.printEngine()->setProperty(kSpoolerOptions, choice.spoolerOptions);
}

// One QPrinter for the run. Its constructor is where Qt loads its print support plugin, asks
// the spooler for the default queue and reads that queue's driver description.
class QtPrinterBackend final : public PrinterBackend
{
public:
    QPrinter &printer() override { return m_printer; }
    PrintOutcome checkTarget() override;
    PrintOutcome draw(const QImage &picture, QSizeF windowTwips, const QString &title) override;
    QString targetName() override;
    QDialog *openSetup(QWidget *parent, std::function<void(bool)> finished) override;

private:
    QPrinter m_printer{QPrinter::HighResolution};
};

PrintOutcome QtPrinterBackend::checkTarget()
{
    if (m_printer.outputFormat() == QPrinter::PdfFormat) {
        // Qt falls back to a PDF printer without a file when the system has no printer.
        if (m_printer.outputFileName().isEmpty()) {
            if (!spooler::serviceAnswers()) {
                return {PrintError::NoPrinter,
                        PrintText::tr("The print service does not answer (is CUPS running?). "
                                      "Printer Setup can print to a PDF file.")};
            }
            return {
                PrintError::NoPrinter,
                PrintText::tr("No printer is installed. Printer Setup can print to a PDF file.")};
        }
        return {};
    }
    const QString name = m_printer.printerName();
    const QStringList installed = QPrinterInfo::availablePrinterNames();
    if (installed.isEmpty())
        return spooler::noPrinterOutcome();
    if (name.isEmpty() || !installed.contains(name) || !m_printer.isValid())
        return {PrintError::InvalidPrinter,
                PrintText::tr("The printer \"%1\" is not available.").arg(name)};
    return spooler::checkQueue(name);
}

PrintOutcome QtPrinterBackend::draw(const QImage &picture, QSizeF windowTwips,
                                    const QString &title)
{
    m_printer.setDocName(title);
    const double pageWidth
        = m_printer.pageLayout().paintRect(QPageLayout::Point).width() * kTwipsPerPoint;
    const DrawnSize size = drawnSize(pageWidth, windowTwips.width(), windowTwips.height());

    QPainter painter;
    if (!painter.begin(&m_printer))
        return {PrintError::DocumentNotOpened,
                PrintText::tr("The print document could not be started.")};
    // Qt stores pictures in PDF as JPEG unless told otherwise, and JPEG smears small text.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    // The painter's origin is the top-left corner of the printable area, in device units.
    const double unitsPerTwipX = m_printer.logicalDpiX() / kTwipsPerInch;
    const double unitsPerTwipY = m_printer.logicalDpiY() / kTwipsPerInch;
    painter.drawImage(QRectF(0.0, 0.0, size.width * unitsPerTwipX, size.height * unitsPerTwipY),
                      picture);
    if (!painter.end())
        return {PrintError::DocumentNotOpened,
                PrintText::tr("The print document could not be finished.")};

    if (m_printer.outputFormat() == QPrinter::NativeFormat)
        return spooler::lastJobOutcome(m_printer.printerName());
    return {};
}

QString QtPrinterBackend::targetName()
{
    return m_printer.outputFormat() == QPrinter::PdfFormat ? m_printer.outputFileName()
                                                           : m_printer.printerName();
}

QDialog *QtPrinterBackend::openSetup(QWidget *parent, std::function<void(bool)> finished)
{
    // Taken before the dialog exists: building it already picks a printer in its list.
    const PrinterChoice before = currentChoice(m_printer);
    auto *dialog = new QPrintDialog(&m_printer, parent);
    dialog->setObjectName(QStringLiteral("printerSetup"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowTitle(PrintText::tr("Print Setup"));
    // Printer choice (a PDF file among them) and page size; no page range, no copies.
    using Option = QAbstractPrintDialog::PrintDialogOption;
    dialog->setOptions(Option::PrintToFile | Option::PrintShowPageSize);
    reduceToSetupForm(dialog);
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [this, before, finished = std::move(finished)](int result) {
                         // A confirmed choice is in the printer already; a cancelled one may
                         // be half in.
                         const bool accepted = result == QDialog::Accepted;
                         if (!accepted)
                             restoreChoice(m_printer, before);
                         finished(accepted);
                     });
    dialog->open();
    return dialog;
}

} // namespace

} // namespace estrivo

extern "C" Q_DECL_EXPORT estrivo::PrinterBackend *estrivoNewPrinterBackend(int version)
{
    if (version != estrivo::kPrinterBackendVersion)
        return nullptr;
    return new estrivo::QtPrinterBackend;
}
