// The runners of the register's commands: the station, the stallions, doses and their papers.

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

namespace estrivo::runner {

using namespace Qt::StringLiterals;

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
    const CommandLine given = line;
    const JournalReply<qint64> kept
        = onJournal<JournalReply<qint64>>(journal, [=](Journal &target) {
              using Kind = JournalError::Kind;
              Movement movement = asked;
              if (movement.freezeBatchId != 0) {
                  if (const JournalError error = completeStrawsOut(target, given, movement);
                      !error.ok())
                      return JournalReply<qint64>{0, error};
                  const JournalError error = target.recordMovement(movement);
                  return JournalReply<qint64>{movement.id, error};
              }
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

} // namespace estrivo::runner
