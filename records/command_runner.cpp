#include "command_runner.h"
#include "records_text.h"

#include "csv_export.h"
#include "journal_service.h"
#include "labels.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace estrivo {

namespace {

int fail(const QString &reason)
{
    // One line, whatever the reason's own line breaks.
    QString line = reason.simplified();
    std::fprintf(stderr, "estrivo-records: %s\n", line.toLocal8Bit().constData());
    return kExitFailure;
}

// The journal's service, once it has been opened for reading: one written by a newer program,
// or read-only, still reads. The command line waits for its answers; it has no window to keep
// answering.
std::unique_ptr<JournalService> openJournal(const CommandLine &line, QString *reason)
{
    const JournalLocation where = resolveJournalLocation(line.journal, false);
    auto journal = std::make_unique<JournalService>(where.location, JournalCreation::Nothing);
    const JournalReply<bool> opened = journal->probe().result();
    if (!opened.value) {
        *reason = RecordsText::tr("The journal %1 could not be opened: %2")
                      .arg(displayLocation(where.location), opened.error.reason);
        return nullptr;
    }
    return journal;
}

} // namespace

int runExport(const CommandLine &line)
{
    // Past a file size limit a write fails with EFBIG, which is reported like a full disk,
    // instead of the signal ending the program with nothing said.
    std::signal(SIGXFSZ, SIG_IGN);
    QString reason;
    const std::unique_ptr<JournalService> journal = openJournal(line, &reason);
    if (!journal)
        return fail(reason);
    const SheetFilter filter = line.filter;
    const QString output = line.output;
    const bool bom = line.byteOrderMark;
    const ExportOutcome outcome
        = journal
              ->run<ExportOutcome>([filter, output, bom](Journal &source) {
                  if (!output.isEmpty())
                      return exportCsvFile(source, filter, output, bom);
                  DescriptorWriter out(STDOUT_FILENO);
                  ExportOutcome written = exportCsv(source, filter, out, bom);
                  if (written.ok())
                      out.flushBuffer();
                  if (!out.problem().ok())
                      written = exportOutcome(out.problem(), written.rows, {});
                  return written;
              })
              .result();
    if (outcome.kind == ExportOutcome::Kind::NotAFile)
        return fail(exportOutcomeText(outcome) + u' '
                    + RecordsText::tr("Give no --output to write to standard output."));
    return outcome.ok() ? kExitOk : fail(exportOutcomeText(outcome));
}

int runLabels(const CommandLine &line)
{
    QString reason;
    const std::unique_ptr<JournalService> journal = openJournal(line, &reason);
    if (!journal)
        return fail(reason);
    const JournalReply<SheetRecord> found = journal->sheet(line.sheetId).result();
    if (!found.ok()) {
        if (found.error.kind == JournalError::Kind::NotFound)
            return fail(RecordsText::tr("No kept sheet has the ID %1.").arg(line.sheetId));
        return fail(found.error.reason);
    }
    const std::optional<SheetRecord> sheet = found.value;
    LabelJob job;
    job.printerName = line.printer;
    job.pdfFile = line.output;
    job.journal = resolveJournalLocation(line.journal, false).location;
    job.sizeMm = line.labelSize;
    const qint64 doses = wholeDoses(*sheet);
    if (!line.count && doses < 1) {
        return fail(RecordsText::tr("Sheet %1 holds no whole doses (\"%2\"); give --count.")
                        .arg(line.sheetId)
                        .arg(sheet->text(Field::NumDoses)));
    }
    // A mistyped figure on the sheet must not run a roll of labels through the printer.
    if (!line.count && doses > kLabelsWithoutAsking) {
        return fail(RecordsText::tr("Sheet %1 holds %2 doses; more than %3 labels are printed "
                                    "only with --count (at most %4 a run).")
                        .arg(line.sheetId)
                        .arg(doses)
                        .arg(kLabelsWithoutAsking)
                        .arg(kMaxLabels));
    }
    job.count = line.count.value_or(int(doses));
    const PrintOutcome outcome = printLabels(*sheet, job);
    return outcome.ok() ? kExitOk : fail(outcome.detail);
}

} // namespace estrivo
