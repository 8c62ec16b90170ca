#include "command_runner.h"

#include "csv_export.h"
#include "labels.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace estrivo {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("estrivo::CommandRunner", text);
}

int fail(const QString &reason)
{
    // One line, whatever the reason's own line breaks.
    QString line = reason.simplified();
    std::fprintf(stderr, "estrivo-records: %s\n", line.toLocal8Bit().constData());
    return kExitFailure;
}

// Opens the journal for reading: one written by a newer program, or read-only, still reads.
std::unique_ptr<Journal> openJournal(const CommandLine &line, QString *reason)
{
    const JournalLocation where = resolveJournalLocation(line.journal, false);
    auto journal = std::make_unique<Journal>(where.location);
    const JournalError error = journal->open();
    if (!journal->isOpen()) {
        *reason = tr("The journal %1 could not be opened: %2")
                      .arg(displayLocation(where.location), error.reason);
        return nullptr;
    }
    return journal;
}

} // namespace

int runExport(const CommandLine &line)
{
    QString reason;
    const std::unique_ptr<Journal> journal = openJournal(line, &reason);
    if (!journal)
        return fail(reason);
    ExportOutcome outcome;
    if (line.output.isEmpty()) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly))
            return fail(tr("Standard output cannot be written."));
        outcome = exportCsv(*journal, line.filter, out);
        if (outcome.ok() && !out.flush())
            outcome.error = tr("Standard output cannot be written: %1").arg(out.errorString());
    } else {
        outcome = exportCsvFile(*journal, line.filter, line.output);
    }
    return outcome.ok() ? kExitOk : fail(outcome.error);
}

int runLabels(const CommandLine &line)
{
    QString reason;
    const std::unique_ptr<Journal> journal = openJournal(line, &reason);
    if (!journal)
        return fail(reason);
    const std::optional<SheetRecord> sheet = journal->sheet(line.sheetId);
    if (!sheet) {
        const JournalError error = journal->lastError();
        if (error.ok() || error.kind == JournalError::Kind::NotFound)
            return fail(tr("No kept sheet has the ID %1.").arg(line.sheetId));
        return fail(error.reason);
    }
    LabelJob job;
    job.printerName = line.printer;
    job.sizeMm = line.labelSize;
    job.count = line.count.value_or(defaultLabelCount(*sheet));
    if (job.count < 1) {
        return fail(tr("Sheet %1 holds no whole doses (\"%2\"); give --count.")
                        .arg(line.sheetId)
                        .arg(sheet->text(Field::NumDoses)));
    }
    const PrintOutcome outcome = printLabels(*sheet, job);
    return outcome.ok() ? kExitOk : fail(outcome.detail);
}

} // namespace estrivo
