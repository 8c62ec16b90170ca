// The register as an inspector reads it (CSV, PDF) and the transport sheet that goes with a
// dispatch. Every function here reads the journal it is given, so run them where that journal
// lives: on the JournalService's thread (service.run<ExportOutcome>(...)).
#pragma once

#include "csv_export.h"
#include "journal.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

namespace estrivo {

// The register's columns, in order, as its header row names them:
// collection_id,collection_date,stallion,ueln,breed,born,station_approval,doses_produced,
// movement_id,movement,moved_at,doses,consignee,mare,mare_ueln,address,country,carrier,
// tracking,container,due_back,returned_at,reason,operator
inline constexpr std::size_t kRegisterColumnCount = 24;
QStringList registerColumns();

// One line of the register, ending in CRLF, in UTF-8: every cell through guardFormula(),
// times ISO 8601 in local time with their offset (csvTime()), days as YYYY-MM-DD. The
// stallion is the register's name for him where he is registered, else the sheet's first line;
// a collection without a movement leaves the movement's columns empty.
QByteArray registerCsvLine(const RegisterRow &row, const QString &stationApproval);

// Writes the register rows of the sheets `filter` selects (oldest first) as CSV to `out`, one
// row at a time as the journal hands them over: the register is never held in memory. The
// outcome's rows are the register's rows written, without the header.
ExportOutcome exportRegisterCsv(Journal &journal, const SheetFilter &filter, QIODevice &out);

// The same into `fileName` through an OutputFile (replaced only once complete; never a link,
// a device, the journal or a database).
ExportOutcome exportRegisterCsvFile(Journal &journal, const SheetFilter &filter,
                                    const QString &fileName);

// The register as a PDF for an inspector (A4 landscape): the station, its approval number and
// address, the range and when it was made on top; one line per movement (or per collection
// without one) with the donor's identity; the column titles on every page and "Page N of M"
// at each page's foot. Written through an OutputFile.
ExportOutcome exportRegisterPdf(Journal &journal, const SheetFilter &filter,
                                const QString &fileName);

// The transport sheet of dispatch `dispatchId` as a one-page PDF (A4): the station with its
// approval number, the stallion's identity, the collection's date and time, concentration,
// motility, sperm and volume per dose, semen and extender per dose, the doses sent and where
// they go (consignee, mare, address, country, vet, carrier, tracking, container, due back).
// Refused (Kind::Refused, nothing written) when no movement has that ID or it is no dispatch.
ExportOutcome writeTransportSheet(Journal &journal, qint64 dispatchId, const QString &fileName);

// A register export's or transport sheet's outcome in a sentence: the rows written where, or
// why not.
QString registerOutcomeText(const ExportOutcome &outcome);

} // namespace estrivo
