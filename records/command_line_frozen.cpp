// The parsing of the frozen semen's commands: batches, tests, tanks, positions and stock.
#include "command_line_parts.h"
#include "records_text.h"
#include "straws_per_dose.h"

#include <QRegularExpression>

namespace estrivo::cli {

using namespace Qt::StringLiterals;

namespace {

// The IDs of the sheets a batch is frozen from, "12,13": none twice.
QList<qint64> sheetIds(const QString &text, OptionReader &reader)
{
    QList<qint64> ids;
    for (const QString &part : text.split(u',')) {
        const std::optional<qint64> id = wholeNumber(part, LLONG_MAX);
        if (!id) {
            reader.usage(RecordsText::tr("\"%1\" is not the ID of a kept sheet.").arg(part));
            return {};
        }
        if (ids.contains(*id)) {
            reader.usage(RecordsText::tr("Sheet %1 is given twice.").arg(*id));
            return {};
        }
        ids << *id;
    }
    return ids;
}

void readFreeze(OptionReader &reader, const QStringList &positional, CommandLine &line)
{
    FreezeBatch &batch = line.freeze;
    if (positional.size() != 1) {
        reader.usage(RecordsText::tr("freeze wants the IDs of the sheets, as SHEET_ID[,SHEET_ID"
                                     "...]."));
        return;
    }
    const QList<qint64> ids = sheetIds(positional.first(), reader);
    const QStringList raw = reader.required(u"raw-ml"_s, kFreeze).split(u',');
    if (reader.isSet(u"raw-ml"_s) && !ids.isEmpty() && raw.size() != ids.size()) {
        reader.usage(RecordsText::tr("--raw-ml wants one volume for each of the %1 sheets.")
                         .arg(ids.size()));
    }
    for (qsizetype n = 0; n < ids.size() && n < raw.size(); ++n) {
        const std::optional<double> ml = reader.figureIn(u"raw-ml"_s, raw[n], kMostRawMl, false);
        batch.sources << FreezeSource{ids[n], ml.value_or(0)};
    }
    reader.required(u"straws"_s, kFreeze);
    batch.strawsMade = reader.count(u"straws"_s, kMostStraws).value_or(0);
    const QString volume = reader.required(u"straw-volume"_s, kFreeze);
    const std::optional<double> ml = plainDecimal(volume);
    if (reader.isSet(u"straw-volume"_s)
        && (!ml
            || std::find(std::begin(kStrawVolumesMl), std::end(kStrawVolumesMl), *ml)
                   == std::end(kStrawVolumesMl))) {
        reader.usage(
            RecordsText::tr("--straw-volume wants 0.25 or 0.5 (ml), not \"%1\".").arg(volume));
    }
    batch.strawVolumeMl = ml.value_or(0);
    reader.required(u"concentration"_s, kFreeze);
    batch.finalConcentration = reader.figure(u"concentration"_s, kMostConcentration).value_or(0);
    batch.spermPerStraw = reader.figure(u"sperm-per-straw"_s, kMostSpermPerStraw).value_or(0);
    batch.strawsPerDose = reader.count(u"straws-per-dose"_s, kMostStrawsPerDose).value_or(0);
    if (reader.isSet(u"centrifuge-g"_s) != reader.isSet(u"centrifuge-min"_s))
        reader.usage(RecordsText::tr("--centrifuge-g and --centrifuge-min go together."));
    batch.centrifugationG = reader.figure(u"centrifuge-g"_s, kMostG).value_or(0);
    batch.centrifugationMinutes
        = reader.figure(u"centrifuge-min"_s, kMostCentrifugeMinutes).value_or(0);
    batch.extender = reader.value(u"extender"_s).trimmed();
    batch.strawColour = reader.value(u"colour"_s).trimmed();
    batch.strawMarking = reader.value(u"marking"_s).trimmed();
    batch.notes = reader.value(u"notes"_s);
    // More sperm in a straw than its volume holds at the final concentration is a typing
    // mistake in one of the two.
    if (batch.spermPerStraw > 0 && batch.finalConcentration > 0 && batch.strawVolumeMl > 0
        && batch.spermPerStraw > batch.finalConcentration * batch.strawVolumeMl * 1.0001) {
        reader.refuse(RecordsText::tr("--sperm-per-straw %1 M is more than %2 ml at %3 M/ml "
                                      "hold (%4 M).")
                          .arg(batch.spermPerStraw)
                          .arg(batch.strawVolumeMl)
                          .arg(batch.finalConcentration)
                          .arg(batch.finalConcentration * batch.strawVolumeMl));
    }
}

void readThawTest(OptionReader &reader, CommandLine &line)
{
    ThawTest &test = line.thawTest;
    test.batchId = line.batchId;
    reader.required(u"total-motility"_s, kThawTest);
    reader.required(u"progressive"_s, kThawTest);
    test.totalMotility = reader.figure(u"total-motility"_s, 100, true).value_or(0);
    test.progressiveMotility = reader.figure(u"progressive"_s, 100, true).value_or(0);
    test.strawsThawed = reader.count(u"straws"_s, kMostStraws).value_or(1);
    test.minutesAfterThaw = reader.figure(u"minutes"_s, kMostMinutesAfterThaw, true).value_or(0);
    const QStringList velocities{u"vcl"_s, u"vsl"_s, u"vap"_s};
    const auto given
        = std::count_if(velocities.begin(), velocities.end(),
                        [&reader](const QString &name) { return reader.isSet(name); });
    if (given != 0 && given != velocities.size())
        reader.usage(RecordsText::tr("--vcl, --vsl and --vap go together."));
    test.vcl = reader.figure(u"vcl"_s, kMostVelocity, true);
    test.vsl = reader.figure(u"vsl"_s, kMostVelocity, true);
    test.vap = reader.figure(u"vap"_s, kMostVelocity, true);
    test.bacteriology = reader.value(u"bacteriology"_s).trimmed();
    test.source = u"typed"_s;
    if (test.progressiveMotility > test.totalMotility) {
        reader.refuse(RecordsText::tr("--progressive %1 % is more than the total motility %2 %.")
                          .arg(test.progressiveMotility)
                          .arg(test.totalMotility));
    }
}

// A tank is named by its ID or its name; neither may pass for a position or another ID.
void readTankAdd(OptionReader &reader, CommandLine &line)
{
    Tank &tank = line.tank;
    tank.name = reader.required(u"name"_s, u"tank add"_s).trimmed();
    static const QRegularExpression digits(QStringLiteral("\\A[0-9]+\\z"));
    if (tank.name.contains(u'/'))
        reader.refuse(RecordsText::tr("A tank's name cannot hold \"/\": it separates the parts "
                                      "of a position."));
    else if (digits.match(tank.name).hasMatch())
        reader.refuse(RecordsText::tr("A tank's name cannot be a number alone: it would be "
                                      "taken for a tank's ID."));
    tank.location = reader.value(u"location"_s).trimmed();
    tank.canisters = reader.count(u"canisters"_s, kMostCanisters).value_or(tank.canisters);
    tank.minimumLevelCm
        = reader.figure(u"min-level"_s, kMostLevelCm, true).value_or(tank.minimumLevelCm);
}

// A position option, TANK/CANISTER[/GOBLET[/CANE]].
PositionText positionOption(OptionReader &reader, const QString &name)
{
    if (!reader.isSet(name))
        return {};
    const std::optional<PositionText> position = parsePosition(reader.value(name));
    if (!position) {
        reader.usage(RecordsText::tr("--%1 wants a position TANK/CANISTER[/GOBLET[/CANE]], not "
                                     "\"%2\".")
                         .arg(name, reader.value(name)));
        return {};
    }
    return *position;
}

void readMoveStraws(OptionReader &reader, const QStringList &positional, CommandLine &line)
{
    line.allFrom = reader.isSet(u"all-from"_s);
    if (line.allFrom) {
        if (reader.isSet(u"from"_s))
            reader.usage(RecordsText::tr("--from and --all-from are exclusive."));
        if (reader.isSet(u"straws"_s))
            reader.usage(RecordsText::tr("--all-from moves every straw there: give no "
                                         "--straws."));
        if (!positional.isEmpty())
            reader.usage(RecordsText::tr("--all-from moves every batch's straws: give no "
                                         "BATCH_ID."));
        line.from = positionOption(reader, u"all-from"_s);
    } else {
        line.batchId
            = idArgument(positional, kMove, RecordsText::tr("freeze batch"), reader).value_or(0);
        reader.required(u"straws"_s, kMove);
        line.straws = reader.count(u"straws"_s, kMostStraws).value_or(0);
        reader.required(u"from"_s, kMove);
        line.from = positionOption(reader, u"from"_s);
    }
    reader.required(u"to"_s, kMove);
    line.to = positionOption(reader, u"to"_s);
    if (line.from.parts > 0 && line.to.parts > 0 && line.from.tank == line.to.tank
        && line.from.position.canister == line.to.position.canister
        && line.from.position.goblet == line.to.position.goblet
        && line.from.position.cane == line.to.position.cane && !line.allFrom)
        reader.usage(RecordsText::tr("--from and --to are the same position."));
}

} // namespace

// A dispatch, use or destruction of straws of a freeze batch, from a position.
void readStrawsOut(OptionReader &reader, const QString &command, CommandLine &line)
{
    const std::optional<qint64> batch = reader.isSet(u"batch"_s)
                                            ? wholeNumber(reader.value(u"batch"_s), LLONG_MAX)
                                            : std::nullopt;
    if (!batch) {
        reader.usage(RecordsText::tr("\"%1\" is not the ID of a freeze batch.")
                         .arg(reader.value(u"batch"_s)));
        return;
    }
    line.batchId = *batch;
    line.movement.freezeBatchId = *batch;
    if (reader.isSet(u"doses"_s))
        reader.usage(RecordsText::tr("Straws of a freeze batch are counted with --straws, not "
                                     "--doses."));
    reader.required(u"straws"_s, command);
    line.straws = reader.count(u"straws"_s, kMostStraws).value_or(0);
    line.movement.doses = line.straws;
    reader.required(u"from"_s, command);
    line.from = positionOption(reader, u"from"_s);
}

std::optional<CommandLine> parseFrozenCommand(const QString &command,
                                              const QStringList &positional, OptionReader &reader,
                                              CommandLine &line)
{
    if (command == kFreeze) {
        line.action = CommandLine::Action::Freeze;
        readFreeze(reader, positional, line);
        return reader.outcome(line);
    }
    if (command == kThawTest || command == kRelease || command == kPlace
        || command == kCaneLabels) {
        line.batchId
            = idArgument(positional, command, RecordsText::tr("freeze batch"), reader).value_or(0);
        if (command == kThawTest) {
            line.action = CommandLine::Action::ThawTest;
            readThawTest(reader, line);
        } else if (command == kRelease) {
            line.action = CommandLine::Action::Release;
            line.release.batchId = line.batchId;
            if (reader.isSet(u"hold"_s) && reader.isSet(u"quarantine"_s))
                reader.usage(RecordsText::tr("--hold and --quarantine are exclusive."));
            line.release.state = reader.isSet(u"hold"_s)         ? ReleaseState::OnHold
                                 : reader.isSet(u"quarantine"_s) ? ReleaseState::Quarantine
                                                                 : ReleaseState::Released;
            line.release.reason
                = (reader.value(u"hold"_s) + reader.value(u"quarantine"_s)).trimmed();
        } else if (command == kPlace) {
            line.action = CommandLine::Action::Place;
            reader.required(u"straws"_s, command);
            line.straws = reader.count(u"straws"_s, kMostStraws).value_or(0);
            line.to.tank = reader.required(u"tank"_s, command).trimmed();
            reader.required(u"canister"_s, command);
            line.to.position.canister = reader.count(u"canister"_s, kMostCanisters).value_or(0);
            line.to.position.goblet = reader.value(u"goblet"_s).trimmed();
            line.to.position.cane = reader.value(u"cane"_s).trimmed();
            // Straws that no position could name again would be stuck where they lie.
            for (const QString &name : {u"goblet"_s, u"cane"_s}) {
                if (reader.value(name).contains(u'/'))
                    reader.refuse(RecordsText::tr("--%1 cannot hold \"/\": it separates the "
                                                  "parts of a position.")
                                      .arg(name));
            }
            line.to.parts
                = 2 + (reader.isSet(u"goblet"_s) ? 1 : 0) + (reader.isSet(u"cane"_s) ? 1 : 0);
        } else {
            line.action = CommandLine::Action::CaneLabels;
            if (!line.output.endsWith(u".pdf"_s, Qt::CaseInsensitive))
                reader.usage(RecordsText::tr("cane-labels wants --output FILE.pdf."));
        }
        return reader.outcome(line);
    }
    if (command == u"tank add"_s || command == u"tank list"_s) {
        noArguments(reader, command, positional);
        line.action = command == u"tank add"_s ? CommandLine::Action::TankAdd
                                               : CommandLine::Action::TankList;
        if (line.action == CommandLine::Action::TankAdd)
            readTankAdd(reader, line);
        return reader.outcome(line);
    }
    if (command == kTankCheck) {
        line.action = CommandLine::Action::TankCheck;
        if (positional.size() != 1 || positional.first().trimmed().isEmpty())
            reader.usage(RecordsText::tr("tank-check wants one tank's name or ID."));
        line.tankName = positional.value(0).trimmed();
        reader.required(u"level"_s, command);
        line.tankCheck.levelCm = reader.figure(u"level"_s, kMostLevelCm, true).value_or(0);
        line.tankCheck.refilled = reader.isSet(u"refilled"_s);
        line.tankCheck.note = reader.value(u"note"_s);
        return reader.outcome(line);
    }
    if (command == kStrawsPerDose) {
        line.action = CommandLine::Action::StrawsPerDose;
        if (!positional.isEmpty()) {
            line.batchId = idArgument(positional, command, RecordsText::tr("freeze batch"), reader)
                               .value_or(0);
        } else {
            reader.required(u"sperm-per-straw"_s, command);
            reader.required(u"progressive"_s, command);
        }
        reader.required(u"target"_s, command);
        line.dose.spermPerStraw = reader.figure(u"sperm-per-straw"_s, kMostSpermPerStraw);
        line.dose.progressive = reader.figure(u"progressive"_s, 100);
        line.dose.target = reader.figure(u"target"_s, kMostSpermPerStraw * 100).value_or(0);
        return reader.outcome(line);
    }
    if (command == kMove) {
        line.action = CommandLine::Action::MoveStraws;
        readMoveStraws(reader, positional, line);
        return reader.outcome(line);
    }
    if (command == kInventory || command == kTanksDue || command == kFrozenSettings) {
        noArguments(reader, command, positional);
        if (command == kTanksDue) {
            line.action = CommandLine::Action::TanksDue;
        } else if (command == kInventory) {
            line.action = CommandLine::Action::Inventory;
            const QString by = reader.value(u"by"_s);
            if (reader.isSet(u"by"_s) && by != u"tank"_s && by != u"stallion"_s)
                reader.usage(RecordsText::tr("--by wants tank or stallion, not \"%1\".").arg(by));
            line.byStallion = by == u"stallion"_s;
        } else {
            line.releaseMotility = reader.figure(u"release-motility"_s, 100, true);
            // 0: no stallion is ever low.
            line.lowStockDoses = reader.value(u"low-stock-doses"_s) == u"0"_s
                                     ? std::optional<int>(0)
                                     : reader.count(u"low-stock-doses"_s, kMostLowStockDoses);
            line.action = line.releaseMotility || line.lowStockDoses
                              ? CommandLine::Action::FrozenSettingsSet
                              : CommandLine::Action::FrozenSettingsShow;
        }
        return reader.outcome(line);
    }

    return std::nullopt;
}

} // namespace estrivo::cli
