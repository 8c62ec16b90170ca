#pragma once

#include "snapshot_print.h"

#include <functional>
#include <memory>

class QDialog;

namespace estrivo {

// The part of printing that needs Qt's print support and the spooler, behind SnapshotPrinter.
// It is built as a module of its own and loaded at the first print or printer setup: linked
// into the program, Qt's print support brings libcups and with it TLS, Kerberos and zeroconf
// libraries, which the loader would map and relocate at every start.
class PrinterBackend
{
public:
    virtual ~PrinterBackend() = default;

    // Set up with the system's default printer when the backend is made.
    virtual QPrinter &printer() = 0;

    // Whether a print can go to the printer now: installed, known to the spooler, taking jobs.
    virtual PrintOutcome checkTarget() = 0;

    // Draws `picture`, a window `windowTwips` in size, on one page titled `title`.
    virtual PrintOutcome draw(const QImage &picture, QSizeF windowTwips, const QString &title) = 0;

    // The printer's name, or the PDF file's path.
    virtual QString targetName() = 0;

    // Opens the setup dialog window-modal over `parent`; `finished` is called with whether it
    // was confirmed, after a cancel has put the earlier choice back.
    virtual QDialog *openSetup(QWidget *parent, std::function<void(bool)> finished) = 0;
};

// Changes with PrinterBackend, so a program never drives a module built for another version.
inline constexpr int kPrinterBackendVersion = 1;

// The module's one entry point: a new backend, or null when `version` is not its own.
using NewPrinterBackend = PrinterBackend *(*)(int version);
inline constexpr char kNewPrinterBackendSymbol[] = "estrivoNewPrinterBackend";

// Loads the module (beside the installed program, else where the build made it) and makes its
// backend; on failure null, with the reason in `error`.
std::unique_ptr<PrinterBackend> loadPrinterBackend(QString *error);

} // namespace estrivo
