#include "printer_backend.h"
#include "snapshot_print.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QWidget>

namespace estrivo {

namespace {

QString documentTitle(const QWidget *window)
{
    const QString title = window ? window->window()->windowTitle() : QString();
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

// Where the module is: beside an installed program first, so that a program from a package
// never picks up a build tree's module, then where the build made it.
QStringList backendPlaces()
{
    const QString installed = QDir(QCoreApplication::applicationDirPath())
                                  .filePath(QStringLiteral(ESTRIVO_PRINT_BACKEND_INSTALLED));
    return {QDir::cleanPath(installed), QStringLiteral(ESTRIVO_PRINT_BACKEND_BUILT)};
}

} // namespace

std::unique_ptr<PrinterBackend> loadPrinterBackend(QString *error)
{
    QStringList failures;
    for (const QString &place : backendPlaces()) {
        if (!QFileInfo::exists(place))
            continue;
        // Never unloaded: the backend's code and its printer live as long as the program.
        QLibrary module(place);
        const auto make
            = reinterpret_cast<NewPrinterBackend>(module.resolve(kNewPrinterBackendSymbol));
        if (!make) {
            failures << module.errorString();
            continue;
        }
        if (PrinterBackend *backend = make(kPrinterBackendVersion))
            return std::unique_ptr<PrinterBackend>(backend);
        failures << QStringLiteral("%1 was built for another version").arg(place);
    }
    if (failures.isEmpty())
        failures << QStringLiteral("%1 is not installed").arg(backendPlaces().constFirst());
    *error = failures.join(QStringLiteral("; "));
    return nullptr;
}

SnapshotPrinter::SnapshotPrinter(QObject *parent)
    : QObject(parent)
{}

SnapshotPrinter::~SnapshotPrinter()
{
    // The dialog edits the backend's printer in place and must not outlive it.
    delete m_setupDialog;
}

PrinterBackend *SnapshotPrinter::backend()
{
    if (!m_backend && m_backendError.isEmpty())
        m_backend = loadPrinterBackend(&m_backendError);
    return m_backend.get();
}

QPrinter &SnapshotPrinter::printer()
{
    if (PrinterBackend *printing = backend())
        return printing->printer();
    qFatal("Printing support could not be loaded: %s", qPrintable(m_backendError));
}

PrintOutcome SnapshotPrinter::printWindow(QWidget *window)
{
    return printSnapshot(window, snapshotWindow(window));
}

PrintOutcome SnapshotPrinter::printSnapshot(QWidget *window, const QImage &picture)
{
    PrinterBackend *printing = backend();
    if (!printing) {
        return {PrintError::NoPrinter,
                tr("Printing support could not be loaded: %1").arg(m_backendError)};
    }
    if (PrintOutcome target = printing->checkTarget(); !target.ok())
        return target;
    const QSizeF twips = pictureSizeInTwips(window, picture);
    if (picture.isNull() || twips.isEmpty())
        return {PrintError::NoPicture, tr("No picture of the window could be taken.")};
    return printing->draw(picture, twips, documentTitle(window));
}

QString SnapshotPrinter::targetName()
{
    PrinterBackend *printing = backend();
    return printing ? printing->targetName() : QString();
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
    PrinterBackend *printing = backend();
    if (!printing) {
        qWarning("Printing support could not be loaded: %s", qPrintable(m_backendError));
        emit setupFinished(false);
        return;
    }
    m_setupDialog
        = printing->openSetup(parent, [this](bool accepted) { emit setupFinished(accepted); });
}

} // namespace estrivo
