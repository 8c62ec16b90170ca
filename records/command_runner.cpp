// The command line's runners: opening the journal, the export, the labels and the dispatch of the
// register's commands.
#include "command_runner.h"
#include "command_runner_parts.h"
#include "records_text.h"

#include "csv_export.h"
#include "frozen_reports.h"
#include "journal_service.h"
#include "labels.h"
#include "register_export.h"
#include "straws_per_dose.h"

#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace estrivo {

using namespace Qt::StringLiterals;

namespace runner {

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

// A kept text as one cell of a tab-separated line: its tabs and line breaks made blanks, so a
// name can neither start a line nor move a column.
QString cell(const QString &text)
{
    QString flat = text;
    for (QChar &c : flat) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return flat;
}

void printLine(const QStringList &cells)
{
    QStringList flat;
    for (const QString &text : cells)
        flat << cell(text);
    std::fputs((flat.join(u'\t') + u'\n').toUtf8().constData(), stdout);
}

QString isoDay(const QDate &day)
{
    return day.isValid() ? day.toString(Qt::ISODate) : QString();
}

QString isoTime(const QDateTime &time)
{
    return time.isValid() ? csvTime(time) : QString();
}

int failed(const JournalError &error)
{
    return error.ok() ? kExitOk : fail(error.reason);
}

// The stallion a name belongs to, or the sentence saying why there is none.
JournalReply<Stallion> stallionNamed(Journal &source, const QString &name)
{
    const std::optional<Stallion> found = source.stallionNamed(name);
    if (found)
        return {*found, {}};
    JournalError error = source.lastError();
    if (error.ok() || error.kind == JournalError::Kind::NotFound) {
        error = {JournalError::Kind::NotFound,
                 RecordsText::tr("No registered stallion is named \"%1\".").arg(name)};
    }
    return {{}, error};
}

} // namespace runner

using namespace runner;

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
    // The marking on each label: the station's approval number and the donor's identity. An
    // unregistered stallion is no failure here; whether his labels may go without his UELN is
    // the marking's to say.
    const QString stallionName = sheet->stallion;
    const JournalReply<LabelJob> marking
        = onJournal<JournalReply<LabelJob>>(*journal, [stallionName](Journal &source) {
              JournalReply<LabelJob> reply;
              const std::optional<StationProfile> station = source.stationProfile();
              if (!station) {
                  reply.error = source.lastError();
                  return reply;
              }
              reply.value.station = *station;
              reply.value.donor = source.stallionNamed(stallionName);
              if (!reply.value.donor && source.lastError().kind != JournalError::Kind::NotFound)
                  reply.error = source.lastError();
              return reply;
          });
    if (!marking.ok())
        return fail(marking.error.reason);
    LabelJob job = marking.value;
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

int runRegisterCommand(const CommandLine &line)
{
    // Figures alone need no journal.
    if (line.action == CommandLine::Action::StrawsPerDose && line.batchId == 0) {
        return printStrawsPerDose(line.dose.spermPerStraw.value_or(0),
                                  line.dose.progressive.value_or(0), line.dose.target);
    }
    std::signal(SIGXFSZ, SIG_IGN);
    QString reason;
    const std::unique_ptr<JournalService> journal = openJournal(line, &reason);
    if (!journal)
        return fail(reason);
    using Action = CommandLine::Action;
    switch (line.action) {
    case Action::StationShow:
        return showStation(*journal);
    case Action::StationSet:
        return setStation(*journal, line.station);
    case Action::StallionList:
        return listStallions(*journal);
    case Action::StallionAdd:
        return addStallion(*journal, line.stallion);
    case Action::StallionSet:
    case Action::StallionRename:
    case Action::StallionMerge:
        return changeStallion(*journal, line);
    case Action::Move:
    case Action::Reverse:
        return move(*journal, line);
    case Action::Containers:
        return listContainers(*journal);
    case Action::Register:
        return writeRegister(*journal, line);
    case Action::Transport:
        return writeTransport(*journal, line);
    case Action::Freeze:
        return freeze(*journal, line.freeze);
    case Action::ThawTest:
        return thawTest(*journal, line.thawTest);
    case Action::Release:
        return release(*journal, line.release);
    case Action::TankAdd:
        return addTank(*journal, line.tank);
    case Action::TankList:
        return listTanks(*journal);
    case Action::TankCheck:
        return checkTank(*journal, line);
    case Action::Place:
    case Action::MoveStraws:
        return placeOrMove(*journal, line);
    case Action::Inventory:
        return writeInventory(*journal, line);
    case Action::FrozenSettingsShow:
    case Action::FrozenSettingsSet:
        return frozenSettings(*journal, line);
    case Action::TanksDue:
        return tanksDue(*journal);
    case Action::CaneLabels:
        return caneLabels(*journal, line);
    case Action::StrawsPerDose:
        return strawsPerDoseOfBatch(*journal, line);
    default:
        break;
    }
    return fail(RecordsText::tr("This command keeps nothing in the register."));
}

} // namespace estrivo
