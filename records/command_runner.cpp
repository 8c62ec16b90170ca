#include "command_runner.h"
#include "records_text.h"

#include "csv_export.h"
#include "journal_service.h"
#include "labels.h"
#include "register_export.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace estrivo {

using namespace Qt::StringLiterals;

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

// Runs `job` on the journal's thread and waits for it: the command line has nothing else to do.
template<typename T> T onJournal(JournalService &service, std::function<T(Journal &)> job)
{
    return service.run<T>(std::move(job)).result();
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

int showStation(JournalService &journal)
{
    const JournalReply<StationProfile> read
        = onJournal<JournalReply<StationProfile>>(journal, [](Journal &source) {
              const std::optional<StationProfile> profile = source.stationProfile();
              return JournalReply<StationProfile>{profile.value_or(StationProfile()),
                                                  profile ? JournalError() : source.lastError()};
          });
    if (!read.ok())
        return fail(read.error.reason);
    const StationProfile &station = read.value;
    const QList<std::pair<QString, QString>> lines{
        {u"name"_s, station.name},
        {u"address"_s, station.address},
        {u"approval"_s, station.approval},
        {u"country"_s, station.country()},
        {u"marking"_s, station.marking == StationProfile::Marking::Eu ? u"eu"_s : u"none"_s},
        {u"retention_years"_s, QString::number(station.retentionYears)},
        {u"label_date"_s,
         station.labelDate == StationProfile::LabelDate::DdMmYy ? u"dd.mm.yy"_s : u"yymmdd"_s}};
    for (const auto &[key, value] : lines)
        std::fputs((key + u": "_s + cell(value) + u'\n').toUtf8().constData(), stdout);
    return kExitOk;
}

int setStation(JournalService &journal, const StationChange &change)
{
    return failed(onJournal<JournalError>(journal, [change](Journal &target) {
        std::optional<StationProfile> profile = target.stationProfile();
        if (!profile)
            return target.lastError();
        change.applyTo(*profile);
        return target.setStationProfile(*profile);
    }));
}

int listStallions(JournalService &journal)
{
    const JournalReply<QList<Stallion>> read
        = onJournal<JournalReply<QList<Stallion>>>(journal, [](Journal &source) {
              const QList<Stallion> stallions = source.registeredStallions();
              return JournalReply<QList<Stallion>>{stallions, source.lastError()};
          });
    if (!read.ok())
        return fail(read.error.reason);
    printLine({u"id"_s, u"name"_s, u"aliases"_s, u"ueln"_s, u"breed"_s, u"born"_s,
               u"registration"_s, u"owner"_s, u"collections"_s});
    for (const Stallion &stallion : read.value) {
        printLine({QString::number(stallion.id), stallion.name, stallion.aliases.join(u"; "_s),
                   stallion.ueln, stallion.breed, isoDay(stallion.born), stallion.registration,
                   stallion.owner, QString::number(stallion.collections)});
    }
    return kExitOk;
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

int changeStallion(JournalService &journal, const CommandLine &line)
{
    const CommandLine::Action action = line.action;
    const QString name = line.stallionName;
    const QString other = line.otherName;
    const Stallion given = line.stallion;
    return failed(onJournal<JournalError>(journal, [=](Journal &target) {
        const JournalReply<Stallion> found = stallionNamed(target, name);
        if (!found.ok())
            return found.error;
        Stallion stallion = found.value;
        if (action == CommandLine::Action::StallionMerge) {
            const JournalReply<Stallion> into = stallionNamed(target, other);
            if (!into.ok())
                return into.error;
            if (into.value.id == stallion.id) {
                return JournalError{JournalError::Kind::Refused,
                                    RecordsText::tr("\"%1\" and \"%2\" are one stallion "
                                                    "already (%3).")
                                        .arg(name, other, stallion.name)};
            }
            return target.mergeStallions(stallion.id, into.value.id);
        }
        if (action == CommandLine::Action::StallionRename) {
            stallion.name = other;
            return target.updateStallion(stallion);
        }
        for (const auto &[text, member] :
             {std::pair{given.ueln, &stallion.ueln}, std::pair{given.breed, &stallion.breed},
              std::pair{given.registration, &stallion.registration},
              std::pair{given.owner, &stallion.owner}}) {
            if (!text.isEmpty())
                *member = text;
        }
        if (given.born.isValid())
            stallion.born = given.born;
        for (const QString &alias : given.aliases) {
            if (!stallion.aliases.contains(alias))
                stallion.aliases << alias;
        }
        return target.updateStallion(stallion);
    }));
}

int addStallion(JournalService &journal, Stallion stallion)
{
    const JournalReply<qint64> added
        = onJournal<JournalReply<qint64>>(journal, [stallion](Journal &target) mutable {
              const JournalError error = target.registerStallion(stallion);
              return JournalReply<qint64>{stallion.id, error};
          });
    if (!added.ok())
        return fail(added.error.reason);
    std::printf("%lld\n", static_cast<long long>(added.value));
    return kExitOk;
}

// Keeps a movement; a return or a reversal first finds the movement it is about.
int move(JournalService &journal, const CommandLine &line)
{
    const Movement asked = line.movement;
    const bool reverse = line.action == CommandLine::Action::Reverse;
    const JournalReply<qint64> kept
        = onJournal<JournalReply<qint64>>(journal, [=](Journal &target) {
              using Kind = JournalError::Kind;
              Movement movement = asked;
              if (movement.kind == MovementKind::Returned || reverse) {
                  const std::optional<Movement> earlier = target.movement(movement.of);
                  if (!earlier) {
                      JournalError error = target.lastError();
                      if (error.ok() || error.kind == Kind::NotFound)
                          error = {Kind::NotFound,
                                   RecordsText::tr("No movement has the ID %1.").arg(movement.of)};
                      return JournalReply<qint64>{0, error};
                  }
                  movement.sheetId = earlier->sheetId;
                  if (!reverse && earlier->kind != MovementKind::Dispatched) {
                      return JournalReply<qint64>{
                          0,
                          {Kind::Refused,
                           RecordsText::tr("Movement %1 is no dispatch: only dispatched doses and "
                                           "containers come back.")
                               .arg(movement.of)}};
                  }
                  // The journal works out what a reversal undoes; this is what it will find.
                  if (reverse)
                      movement.doses = -earlier->change();
              }
              JournalError error = target.recordMovement(movement);
              if (error.kind == Kind::NotFound && movement.kind != MovementKind::Returned
                  && !reverse)
                  error.reason
                      = RecordsText::tr("No kept sheet has the ID %1.").arg(movement.sheetId);
              return JournalReply<qint64>{movement.id, error};
          });
    if (!kept.ok())
        return fail(kept.error.reason);
    std::printf("%lld\n", static_cast<long long>(kept.value));
    return kExitOk;
}

int listContainers(JournalService &journal)
{
    const JournalReply<QList<ContainerOut>> read
        = onJournal<JournalReply<QList<ContainerOut>>>(journal, [](Journal &source) {
              const QList<ContainerOut> out = source.containersOut();
              return JournalReply<QList<ContainerOut>>{out, source.lastError()};
          });
    if (!read.ok())
        return fail(read.error.reason);
    const QDate today = QDate::currentDate();
    printLine({u"dispatch_id"_s, u"sheet_id"_s, u"container"_s, u"consignee"_s, u"sent_at"_s,
               u"due_back"_s, u"state"_s});
    for (const ContainerOut &out : read.value) {
        const QString state = out.isOverdue(today)   ? u"overdue"_s
                              : out.dueBack == today ? u"due"_s
                                                     : u"out"_s;
        printLine({QString::number(out.dispatchId), QString::number(out.sheetId), out.container,
                   out.consignee, isoTime(out.sentAt), isoDay(out.dueBack), state});
    }
    return kExitOk;
}

int writeRegister(JournalService &journal, const CommandLine &line)
{
    const SheetFilter filter = line.filter;
    const QString output = line.output;
    const bool pdf = line.paints();
    const ExportOutcome outcome = onJournal<ExportOutcome>(journal, [=](Journal &source) {
        if (pdf)
            return exportRegisterPdf(source, filter, output);
        if (!output.isEmpty())
            return exportRegisterCsvFile(source, filter, output);
        DescriptorWriter out(STDOUT_FILENO);
        ExportOutcome written = exportRegisterCsv(source, filter, out);
        if (written.ok())
            out.flushBuffer();
        if (!out.problem().ok())
            written = exportOutcome(out.problem(), written.rows, {});
        return written;
    });
    if (outcome.kind == ExportOutcome::Kind::NotAFile && !pdf)
        return fail(registerOutcomeText(outcome) + u' '
                    + RecordsText::tr("Give no --output to write to standard output."));
    return outcome.ok() ? kExitOk : fail(registerOutcomeText(outcome));
}

int writeTransport(JournalService &journal, const CommandLine &line)
{
    const qint64 dispatch = line.movementId;
    const QString output = line.output;
    const ExportOutcome outcome = onJournal<ExportOutcome>(
        journal, [=](Journal &source) { return writeTransportSheet(source, dispatch, output); });
    return outcome.ok() ? kExitOk : fail(registerOutcomeText(outcome));
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
    default:
        break;
    }
    return fail(RecordsText::tr("This command keeps nothing in the register."));
}

} // namespace estrivo
