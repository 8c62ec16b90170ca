// The runners of the frozen semen's commands: batches, tests, tanks, straws and stock.

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

namespace {

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

} // namespace

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

} // namespace estrivo::runner
