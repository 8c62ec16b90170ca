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

// Whether the print service answers at all. Qt lists no printer both when none is installed and
// when the spooler's scheduler is not running or cannot be reached; only a question of our own
// tells the two apart.
bool serviceAnswers();

// Why Qt lists no printer, in a sentence: none is installed, or the print service does not
// answer.
PrintOutcome noPrinterOutcome();

} // namespace estrivo::spooler
