// The frozen semen in store on paper and in a spreadsheet (the inventory per tank or per
// stallion), and the labels hung on the canes and goblets that hold a batch. Every function
// here reads the journal it is given, so run them where that journal lives: on the
// JournalService's thread (service.run<ExportOutcome>(...)).
#pragma once

#include "csv_export.h"
#include "journal.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

namespace estrivo {

// Each batch's straws per tank, or per stallion over all tanks.
enum class InventoryBy { Tank, Stallion };

// The inventory's columns, in order, as its header row names them:
// tank_id,tank,stallion,batch_id,frozen_at,state,straws,straws_per_dose,doses,positions
// By stallion, tank_id and tank are empty. state is releaseStateName(); doses are the whole
// doses the straws make (empty when the batch has no straws per dose).
inline constexpr std::size_t kInventoryColumnCount = 10;
QStringList inventoryColumns();

// One line of the inventory, ending in CRLF, in UTF-8: every cell through guardFormula(), the
// freeze time ISO 8601 in local time with its offset (csvTime()).
QByteArray inventoryCsvLine(const InventoryLine &line);

// Writes the inventory as CSV to `out`: the header, then a line per batch and tank (or
// stallion). The outcome's rows are the lines without the header.
ExportOutcome exportInventoryCsv(Journal &journal, InventoryBy by, QIODevice &out);

// The same into `fileName` through an OutputFile (replaced only once complete; never a link,
// a device, the journal or a database).
ExportOutcome exportInventoryCsvFile(Journal &journal, InventoryBy by, const QString &fileName);

// The inventory as a PDF (A4 portrait): the station, when it was made and the totals on top,
// a section per tank (with its last level check) or per stallion, a line per batch, the column
// titles on every page and "Page N of M" at each page's foot. Written through an OutputFile.
ExportOutcome exportInventoryPdf(Journal &journal, InventoryBy by, const QString &fileName);

// The text a cane or goblet label's QR code holds, one line of key=value pairs that a scanner
// at the tank reads back:
// "ESTRIVO-FROZEN;batch=12;tank=3;canister=2;goblet=G1;cane=C4"
// goblet and cane in UTF-8 percent-encoded but for letters, digits and -._~ (RFC 3986's
// unreserved characters), and left out when the position has none.
QByteArray caneCode(qint64 batchId, const StrawPosition &position);

// A label (the default label size, 62 x 29 mm) for each position holding straws of batch
// `batchId`, in the order of its placements: the stallion, the batch and its freeze date, the
// straws there and the position in words, and caneCode() as a QR code. Written through an
// OutputFile. Refused (Kind::Refused, nothing written) when no batch has that ID or none of its
// straws is placed. The outcome's rows are the labels.
ExportOutcome writeCaneLabels(Journal &journal, qint64 batchId, const QString &pdfFile);

// An inventory's or labels' outcome in a sentence: the lines written where, or why not.
QString inventoryOutcomeText(const ExportOutcome &outcome);

} // namespace estrivo
