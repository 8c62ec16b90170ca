#pragma once

#include "snapshot_print.h"

#include <QString>

namespace estrivo::labelspooler {

// The spooler's answers around a run of labels. Qt hands a job to CUPS but keeps CUPS's answer
// to itself; it is read back here, so a refused run is reported instead of vanishing. Without
// CUPS in the build both always report success.

// Whether the spooler knows the queue of `printerName` and takes jobs for it now.
PrintOutcome checkQueue(const QString &printerName);

// What the spooler answered to the job just handed over on this thread.
PrintOutcome lastJobOutcome(const QString &printerName);

} // namespace estrivo::labelspooler
