#include "command_runner.h"
#include "records_text.h"

#include "csv_export.h"
#include "frozen_reports.h"
#include "journal_service.h"
#include "labels.h"
#include "register_export.h"
#include "straws_per_dose.h"

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

// Prints a new record's ID, or says why it was not kept.
int printId(const JournalReply<qint64> &kept)
{
    if (!kept.ok())
        return fail(kept.error.reason);
    std::printf("%lld\n", static_cast<long long>(kept.value));
    return kExitOk;
}

// The tank a name (any case) or an ID names.
JournalReply<Tank> tankNamed(Journal &source, const QString &given)
{
    const QList<Tank> tanks = source.tanks();
    if (!source.lastError().ok())
        return {{}, source.lastError()};
    bool isId = false;
    const qint64 id = given.toLongLong(&isId);
    for (const Tank &tank : tanks) {
        if ((isId && tank.id == id)
            || (!isId && tank.name.compare(given, Qt::CaseInsensitive) == 0))
            return {tank, {}};
    }
    return {{},
            {JournalError::Kind::NotFound,
             isId ? RecordsText::tr("No tank has the ID %1.").arg(id)
                  : RecordsText::tr("No tank is named \"%1\".").arg(given)}};
}

// A position as typed, its tank found.
JournalReply<StrawPosition> positionOf(Journal &source, const PositionText &text)
{
    const JournalReply<Tank> tank = tankNamed(source, text.tank);
    if (!tank.ok())
        return {{}, tank.error};
    StrawPosition position = text.position;
    position.tankId = tank.value.id;
    return {position, {}};
}

QString number(double value)
{
    return QString::number(value, 'g', 10);
}

int freeze(JournalService &journal, const FreezeBatch &asked)
{
    return printId(onJournal<JournalReply<qint64>>(journal, [asked](Journal &target) {
        FreezeBatch batch = asked;
        JournalError error = target.recordFreezeBatch(batch);
        return JournalReply<qint64>{batch.id, error};
    }));
}

int thawTest(JournalService &journal, const ThawTest &asked)
{
    return printId(onJournal<JournalReply<qint64>>(journal, [asked](Journal &target) {
        ThawTest test = asked;
        JournalError error = target.recordThawTest(test);
        return JournalReply<qint64>{test.id, error};
    }));
}

int release(JournalService &journal, const ReleaseChange &asked)
{
    return printId(onJournal<JournalReply<qint64>>(journal, [asked](Journal &target) {
        ReleaseChange change = asked;
        JournalError error = target.changeReleaseState(change);
        return JournalReply<qint64>{change.id, error};
    }));
}

int addTank(JournalService &journal, const Tank &asked)
{
    return printId(onJournal<JournalReply<qint64>>(journal, [asked](Journal &target) {
        Tank tank = asked;
        JournalError error = target.addTank(tank);
        return JournalReply<qint64>{tank.id, error};
    }));
}

int listTanks(JournalService &journal)
{
    const JournalReply<QList<Tank>> read
        = onJournal<JournalReply<QList<Tank>>>(journal, [](Journal &source) {
              const QList<Tank> tanks = source.tanks();
              return JournalReply<QList<Tank>>{tanks, source.lastError()};
          });
    if (!read.ok())
        return fail(read.error.reason);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    printLine({u"id"_s, u"name"_s, u"location"_s, u"canisters"_s, u"min_level_cm"_s,
               u"last_check_at"_s, u"last_level_cm"_s, u"state"_s});
    for (const Tank &tank : read.value) {
        QStringList state;
        if (tank.isCheckDue(now))
            state << u"due"_s;
        if (tank.isLow())
            state << u"low"_s;
        printLine({
            QString::number(tank.id),
            tank.name,
            tank.location,
            QString::number(tank.canisters),
            number(tank.minimumLevelCm),
            isoTime(tank.lastCheckAt),
            tank.lastCheckAt.isValid() ? number(tank.lastLevelCm) : QString(),
            state.isEmpty() ? u"ok"_s : state.join(u','),
        });
    }
    return kExitOk;
}

int checkTank(JournalService &journal, const CommandLine &line)
{
    const QString name = line.tankName;
    const TankCheck asked = line.tankCheck;
    return printId(onJournal<JournalReply<qint64>>(journal, [=](Journal &target) {
        const JournalReply<Tank> tank = tankNamed(target, name);
        if (!tank.ok())
            return JournalReply<qint64>{0, tank.error};
        TankCheck check = asked;
        check.tankId = tank.value.id;
        JournalError error = target.recordTankCheck(check);
        return JournalReply<qint64>{check.id, error};
    }));
}

// Whether a placement lies at `prefix` or below it: the parts the prefix gives match.
bool isWithin(const StrawPosition &position, const StrawPosition &prefix, int parts)
{
    return position.tankId == prefix.tankId && position.canister == prefix.canister
           && (parts < 3 || position.goblet == prefix.goblet)
           && (parts < 4 || position.cane == prefix.cane);
}

// The moves of a place, a move or a bulk move, all kept in one transaction.
JournalError moveStraws(Journal &target, const CommandLine &line)
{
    using Kind = JournalError::Kind;
    const JournalReply<StrawPosition> to = positionOf(target, line.to);
    if (!to.ok())
        return to.error;
    if (line.action == CommandLine::Action::Place) {
        StrawMove placed{line.batchId, StrawMoveKind::Placed, std::nullopt, to.value, line.straws};
        return target.moveStraws({placed});
    }
    const JournalReply<StrawPosition> from = positionOf(target, line.from);
    if (!from.ok())
        return from.error;
    if (!line.allFrom) {
        return target.moveStraws(
            {StrawMove{line.batchId, StrawMoveKind::Moved, from.value, to.value, line.straws}});
    }
    const QList<Placement> held = target.placementsInTank(from.value.tankId);
    if (!target.lastError().ok())
        return target.lastError();
    QList<StrawMove> moves;
    for (const Placement &placement : held) {
        if (placement.straws < 1 || !isWithin(placement.position, from.value, line.from.parts))
            continue;
        // What --to leaves out is carried over: a goblet lifted into another canister stays
        // the goblet it was.
        StrawPosition there = to.value;
        if (line.to.parts < 3)
            there.goblet = placement.position.goblet;
        if (line.to.parts < 4)
            there.cane = placement.position.cane;
        if (there == placement.position)
            continue;
        moves << StrawMove{placement.batchId, StrawMoveKind::Moved, placement.position, there,
                           placement.straws};
    }
    if (moves.isEmpty()) {
        return {Kind::Refused,
                RecordsText::tr("No straws lie at %1 to be moved elsewhere.")
                    .arg(line.from.tank + u'/' + QString::number(line.from.position.canister))};
    }
    return target.moveStraws(moves);
}

int placeOrMove(JournalService &journal, const CommandLine &line)
{
    const CommandLine asked = line;
    return failed(onJournal<JournalError>(
        journal, [asked](Journal &target) { return moveStraws(target, asked); }));
}

// Straws leaving: the movement names the batch's first collection and the position.
JournalError completeStrawsOut(Journal &target, const CommandLine &line, Movement &movement)
{
    using Kind = JournalError::Kind;
    const std::optional<FreezeBatch> batch = target.freezeBatch(line.batchId);
    if (!batch) {
        if (!target.lastError().ok() && target.lastError().kind != Kind::NotFound)
            return target.lastError();
        return {Kind::NotFound,
                RecordsText::tr("No freeze batch has the ID %1.").arg(line.batchId)};
    }
    if (batch->sources.isEmpty())
        return {Kind::Refused,
                RecordsText::tr("Freeze batch %1 names no collection.").arg(line.batchId)};
    const bool fromSource = std::any_of(
        batch->sources.begin(), batch->sources.end(),
        [&movement](const FreezeSource &source) { return source.sheetId == movement.sheetId; });
    if (movement.sheetId != 0 && !fromSource) {
        return {Kind::Refused, RecordsText::tr("Freeze batch %1 was not made from sheet %2.")
                                   .arg(line.batchId)
                                   .arg(movement.sheetId)};
    }
    movement.sheetId = batch->sources.first().sheetId;
    const JournalReply<StrawPosition> from = positionOf(target, line.from);
    if (!from.ok())
        return from.error;
    movement.fromTankId = from.value.tankId;
    movement.fromCanister = from.value.canister;
    movement.fromGoblet = from.value.goblet;
    movement.fromCane = from.value.cane;
    return {};
}

int writeInventory(JournalService &journal, const CommandLine &line)
{
    const InventoryBy by = line.byStallion ? InventoryBy::Stallion : InventoryBy::Tank;
    const QString output = line.output;
    const bool pdf = line.paints();
    const ExportOutcome outcome = onJournal<ExportOutcome>(journal, [=](Journal &source) {
        if (pdf)
            return exportInventoryPdf(source, by, output);
        if (!output.isEmpty())
            return exportInventoryCsvFile(source, by, output);
        DescriptorWriter out(STDOUT_FILENO);
        ExportOutcome written = exportInventoryCsv(source, by, out);
        if (written.ok())
            out.flushBuffer();
        if (!out.problem().ok())
            written = exportOutcome(out.problem(), written.rows, {});
        return written;
    });
    if (outcome.kind == ExportOutcome::Kind::NotAFile && !pdf)
        return fail(inventoryOutcomeText(outcome) + u' '
                    + RecordsText::tr("Give no --output to write to standard output."));
    return outcome.ok() ? kExitOk : fail(inventoryOutcomeText(outcome));
}

int frozenSettings(JournalService &journal, const CommandLine &line)
{
    const std::optional<double> motility = line.releaseMotility;
    const std::optional<int> lowStock = line.lowStockDoses;
    const bool set = line.action == CommandLine::Action::FrozenSettingsSet;
    const JournalReply<FrozenSettings> kept
        = onJournal<JournalReply<FrozenSettings>>(journal, [=](Journal &target) {
              std::optional<FrozenSettings> settings = target.frozenSettings();
              if (!settings)
                  return JournalReply<FrozenSettings>{{}, target.lastError()};
              if (set) {
                  settings->releaseMotility = motility.value_or(settings->releaseMotility);
                  settings->lowStockDoses = lowStock.value_or(settings->lowStockDoses);
                  const JournalError error = target.setFrozenSettings(*settings);
                  if (!error.ok())
                      return JournalReply<FrozenSettings>{{}, error};
              }
              return JournalReply<FrozenSettings>{*settings, {}};
          });
    if (!kept.ok())
        return fail(kept.error.reason);
    std::printf("release_motility: %s\nlow_stock_doses: %d\n",
                qPrintable(number(kept.value.releaseMotility)), kept.value.lowStockDoses);
    return kExitOk;
}

int tanksDue(JournalService &journal)
{
    struct Due
    {
        QList<Tank> tanks;
        QList<LowStock> low;
    };
    const JournalReply<Due> read = onJournal<JournalReply<Due>>(journal, [](Journal &source) {
        Due due;
        due.tanks = source.tanks();
        if (!source.lastError().ok())
            return JournalReply<Due>{{}, source.lastError()};
        due.low = source.lowStock();
        return JournalReply<Due>{due, source.lastError()};
    });
    if (!read.ok())
        return fail(read.error.reason);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const Tank &tank : read.value.tanks) {
        if (tank.isCheckDue(now)) {
            printLine({u"due"_s, tank.name,
                       tank.lastCheckAt.isValid() ? isoTime(tank.lastCheckAt) : u"never"_s});
        }
        if (tank.isLow()) {
            printLine(
                {u"low"_s, tank.name, number(tank.lastLevelCm), number(tank.minimumLevelCm)});
        }
    }
    for (const LowStock &low : read.value.low)
        printLine({u"low-stock"_s, low.stallion, QString::number(low.doses)});
    return kExitOk;
}

int caneLabels(JournalService &journal, const CommandLine &line)
{
    const qint64 batch = line.batchId;
    const QString output = line.output;
    const ExportOutcome outcome = onJournal<ExportOutcome>(
        journal, [=](Journal &source) { return writeCaneLabels(source, batch, output); });
    return outcome.ok() ? kExitOk : fail(inventoryOutcomeText(outcome));
}

// Prints the working and the straws, or the working and, on standard error, why not.
int printStrawsPerDose(double spermPerStraw, double progressive, double target)
{
    const StrawsPerDose worked = strawsPerDose(spermPerStraw, progressive, target);
    for (const QString &step : worked.arithmetic)
        std::fputs((cell(step) + u'\n').toUtf8().constData(), stdout);
    if (!worked.problem.isEmpty())
        return fail(worked.problem);
    std::printf("straws_per_dose: %d\n", worked.straws);
    return kExitOk;
}

// A batch's sperm per straw and its latest post-thaw progressive motility, where not given.
int strawsPerDoseOfBatch(JournalService &journal, const CommandLine &line)
{
    const qint64 id = line.batchId;
    const CommandLine::DoseFigures given = line.dose;
    using Figures = std::pair<double, double>;
    const JournalReply<Figures> read = onJournal<JournalReply<Figures>>(
        journal, [=](Journal &source) {
            using Kind = JournalError::Kind;
            const std::optional<FreezeBatch> batch = source.freezeBatch(id);
            if (!batch) {
                JournalError error = source.lastError();
                if (error.ok() || error.kind == Kind::NotFound)
                    error = {Kind::NotFound,
                             RecordsText::tr("No freeze batch has the ID %1.").arg(id)};
                return JournalReply<Figures>{{}, error};
            }
            Figures figures{given.spermPerStraw.value_or(batch->spermPerStraw), 0.0};
            if (given.progressive) {
                figures.second = *given.progressive;
                return JournalReply<Figures>{figures, {}};
            }
            const QList<ThawTest> tests = source.thawTests(id);
            if (!source.lastError().ok())
                return JournalReply<Figures>{{}, source.lastError()};
            if (tests.isEmpty())
                return JournalReply<Figures>{
                    {},
                    {Kind::Refused, RecordsText::tr("Freeze batch %1 has no post-thaw test; give "
                                                    "--progressive.")
                                        .arg(id)}};
            figures.second = tests.back().progressiveMotility;
            return JournalReply<Figures>{figures, {}};
        });
    if (!read.ok())
        return fail(read.error.reason);
    return printStrawsPerDose(read.value.first, read.value.second, given.target);
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
