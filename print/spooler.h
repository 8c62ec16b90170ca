#pragma once

#include "snapshot_print.h"

namespace estrivo::spooler {

// The questions put to the print spooler around one job. Qt hands the job over but keeps the
// spooler's answer to itself, so the answer is read back here. Without spooler support in the
// build both always report success.

// Whether the spooler knows the queue of `printerName` and takes jobs for it now.
PrintOutcome checkQueue(const QString &printerName);

// What the spooler answered to the job just handed over on this thread.
PrintOutcome lastJobOutcome(const QString &printerName);

} // namespace estrivo::spooler
