#include "snapshot_print.h"
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
            ok->setText(SnapshotPrinter::tr("OK"));
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

QString documentTitle(const QWidget *window)
{
    const QString title = window ? window->window()->windowTitle() : QString();
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

} // namespace

SnapshotPrinter::SnapshotPrinter(QObject *parent)
    : QObject(parent)
{}

SnapshotPrinter::~SnapshotPrinter()
{
    // The dialog edits the printer in place and must not outlive it.
    delete m_setupDialog;
}

QPrinter &SnapshotPrinter::printer()
{
    // QPrinter's constructor is where Qt loads its print support, asks the spooler for the
    // default queue and reads that queue's driver description.
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

PrintOutcome SnapshotPrinter::printWindow(QWidget *window)
{
    return printSnapshot(window, snapshotWindow(window));
}

PrintOutcome SnapshotPrinter::printSnapshot(QWidget *window, const QImage &picture)
{
    if (PrintOutcome target = checkTarget(); !target.ok())
        return target;
    const QSizeF twips = pictureSizeInTwips(window, picture);
    if (picture.isNull() || twips.isEmpty())
        return {PrintError::NoPicture, tr("No picture of the window could be taken.")};
    return draw(picture, twips, documentTitle(window));
}

QString SnapshotPrinter::targetName()
{
    QPrinter &target = printer();
    return target.outputFormat() == QPrinter::PdfFormat ? target.outputFileName()
                                                         : target.printerName();
}

PrintOutcome SnapshotPrinter::checkTarget()
{
    QPrinter &target = printer();
    if (target.outputFormat() == QPrinter::PdfFormat) {
        // Qt falls back to a PDF printer without a file when the system has no printer.
        if (target.outputFileName().isEmpty()) {
            return {PrintError::NoPrinter,
                    tr("No printer is installed. Printer Setup can print to a PDF file.")};
        }
        return {};
    }
    const QString name = target.printerName();
    const QStringList installed = QPrinterInfo::availablePrinterNames();
    if (installed.isEmpty())
        return {PrintError::NoPrinter, tr("No printer is installed.")};
    if (name.isEmpty() || !installed.contains(name) || !target.isValid())
        return {PrintError::InvalidPrinter, tr("The printer \"%1\" is not available.").arg(name)};
    return spooler::checkQueue(name);
}

PrintOutcome SnapshotPrinter::draw(const QImage &picture, QSizeF windowTwips, const QString &title)
{
    QPrinter &target = printer();
    target.setDocName(title);
    const double pageWidth
        = target.pageLayout().paintRect(QPageLayout::Point).width() * kTwipsPerPoint;
    const DrawnSize size = drawnSize(pageWidth, windowTwips.width(), windowTwips.height());

    QPainter painter;
    if (!painter.begin(&target))
        return {PrintError::DocumentNotOpened, tr("The print document could not be started.")};
    // Qt stores pictures in PDF as JPEG unless told otherwise, and JPEG smears small text.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    // The painter's origin is the top-left corner of the printable area, in device units.
    const double unitsPerTwipX = target.logicalDpiX() / kTwipsPerInch;
    const double unitsPerTwipY = target.logicalDpiY() / kTwipsPerInch;
    painter.drawImage(QRectF(0.0, 0.0, size.width * unitsPerTwipX, size.height * unitsPerTwipY),
                      picture);
    if (!painter.end())
        return {PrintError::DocumentNotOpened, tr("The print document could not be finished.")};

    if (target.outputFormat() == QPrinter::NativeFormat)
        return spooler::lastJobOutcome(target.printerName());
    return {};
}

void SnapshotPrinter::openPrinterSetup(QWidget *parent)
{
    // A dialog that was answered may still wait for its deferred deletion; only a visible one
    // is still open.
    if (m_setupDialog && m_setupDialog->isVisible()) {
        m_setupDialog->raise();
        m_setupDialog->activateWindow();
        return;
    }
    // Taken before the dialog exists: building it already picks a printer in its list.
    QPrinter &target = printer();
    const PrinterChoice before = currentChoice(target);
    auto *dialog = new QPrintDialog(&target, parent);
    dialog->setObjectName(QStringLiteral("printerSetup"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowTitle(tr("Print Setup"));
    // Printer choice (a PDF file among them) and page size; no page range, no copies.
    using Option = QAbstractPrintDialog::PrintDialogOption;
    dialog->setOptions(Option::PrintToFile | Option::PrintShowPageSize);
    reduceToSetupForm(dialog);
    connect(dialog, &QDialog::finished, this, [this, before](int result) {
        // A confirmed choice is in the printer already; a cancelled one may be half in.
        const bool accepted = result == QDialog::Accepted;
        if (!accepted)
            restoreChoice(printer(), before);
        emit setupFinished(accepted);
    });
    m_setupDialog = dialog;
    dialog->open();
}

} // namespace estrivo
