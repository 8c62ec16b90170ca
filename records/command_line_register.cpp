// The parsing of the register's commands: exports, labels, the station, stallions and doses.
#include "command_line_parts.h"
#include "labels.h"
#include "records_text.h"

#include <QCommandLineParser>

namespace estrivo::cli {

using namespace Qt::StringLiterals;

namespace {

void readStation(OptionReader &reader, CommandLine &line)
{
    StationChange &change = line.station;
    if (reader.isSet(u"name"_s))
        change.name = reader.value(u"name"_s);
    if (reader.isSet(u"address"_s))
        change.address = reader.value(u"address"_s);
    if (reader.isSet(u"approval"_s)) {
        const QString approval = reader.value(u"approval"_s).trimmed();
        const QString problem = approvalProblem(approval);
        if (!problem.isEmpty())
            reader.refuse(RecordsText::tr("--approval: %1").arg(problem));
        change.approval = approval;
    }
    if (reader.isSet(u"marking"_s)) {
        const QString marking = reader.value(u"marking"_s);
        if (marking == u"eu"_s)
            change.marking = StationProfile::Marking::Eu;
        else if (marking == u"none"_s)
            change.marking = StationProfile::Marking::None;
        else
            reader.usage(RecordsText::tr("--marking wants eu or none, not \"%1\".").arg(marking));
    }
    if (reader.isSet(u"retention-years"_s)) {
        const std::optional<qint64> years
            = wholeNumber(reader.value(u"retention-years"_s), kMaxRetentionYears);
        if (!years || *years < kMinRetentionYears) {
            reader.usage(
                RecordsText::tr("--retention-years wants a number of years from %1 to %2, not "
                                "\"%3\".")
                    .arg(kMinRetentionYears)
                    .arg(kMaxRetentionYears)
                    .arg(reader.value(u"retention-years"_s)));
        } else {
            change.retentionYears = int(*years);
        }
    }
    if (reader.isSet(u"label-date"_s)) {
        const QString form = reader.value(u"label-date"_s);
        if (form == u"yymmdd"_s)
            change.labelDate = StationProfile::LabelDate::Yymmdd;
        else if (form == u"dd.mm.yy"_s)
            change.labelDate = StationProfile::LabelDate::DdMmYy;
        else
            reader.usage(
                RecordsText::tr("--label-date wants yymmdd or dd.mm.yy, not \"%1\".").arg(form));
    }
    if (change.isEmpty()) {
        reader.usage(RecordsText::tr("station set wants at least one of --name, --address, "
                                     "--approval, --marking, --retention-years, --label-date."));
    }
}

void readStallion(OptionReader &reader, CommandLine &line)
{
    Stallion &stallion = line.stallion;
    stallion.name = reader.value(u"name"_s).trimmed();
    stallion.ueln = reader.ueln(u"ueln"_s);
    stallion.breed = reader.value(u"breed"_s);
    stallion.registration = reader.value(u"registration"_s);
    stallion.owner = reader.value(u"owner"_s);
    for (const QString &alias : reader.values(u"alias"_s))
        stallion.aliases << alias.trimmed();
    if (const std::optional<QDate> born = reader.day(u"born"_s)) {
        stallion.born = *born;
        if (*born > QDate::currentDate()) {
            reader.refuse(RecordsText::tr("--born %1 is a day still to come.")
                              .arg(born->toString(Qt::ISODate)));
        }
    }
}

// The destination and the mare of a dispatch or a use.
void readMovement(OptionReader &reader, Movement &movement)
{
    movement.consignee = reader.value(u"to"_s);
    movement.mare = reader.value(u"mare"_s);
    movement.mareUeln = reader.ueln(u"mare-ueln"_s);
    movement.address = reader.value(u"address"_s);
    movement.vet = reader.value(u"vet"_s);
    movement.carrier = reader.value(u"carrier"_s);
    movement.tracking = reader.value(u"tracking"_s);
    movement.container = reader.value(u"container"_s);
    movement.reason = reader.value(u"reason"_s);
    if (reader.isSet(u"country"_s)) {
        movement.country = reader.value(u"country"_s).toUpper();
        if (!isCountryCode(movement.country)) {
            reader.refuse(RecordsText::tr("--country \"%1\" is no ISO 3166-1 country code such "
                                          "as DE or FR.")
                              .arg(reader.value(u"country"_s)));
        }
    }
    if (const std::optional<QDate> due = reader.day(u"due-back"_s))
        movement.dueBack = *due;
}

CommandLine parseLabels(const QCommandLineParser &parser, const QStringList &positional,
                        CommandLine line)
{
    line.action = CommandLine::Action::Labels;
    if (positional.size() != 1)
        return usageError(RecordsText::tr("labels wants the ID of one kept sheet."));
    const std::optional<qint64> id = wholeNumber(positional.first(), LLONG_MAX);
    if (!id)
        return usageError(
            RecordsText::tr("\"%1\" is not the ID of a kept sheet.").arg(positional.first()));
    line.sheetId = *id;
    if (parser.isSet(QStringLiteral("count"))) {
        const std::optional<qint64> count
            = wholeNumber(parser.value(QStringLiteral("count")), kMaxLabels);
        if (!count) {
            return usageError(
                RecordsText::tr("--count wants a number of labels from 1 to %1, not \"%2\".")
                    .arg(kMaxLabels)
                    .arg(parser.value(QStringLiteral("count"))));
        }
        line.count = int(*count);
    }
    line.printer = parser.value(QStringLiteral("printer"));
    if (!line.printer.isEmpty() && !line.output.isEmpty())
        return usageError(RecordsText::tr("--printer and --output are exclusive: labels go to "
                                          "a printer or to a PDF file."));
    line.labelSize = defaultLabelSize();
    if (parser.isSet(QStringLiteral("label-size"))) {
        const std::optional<QSizeF> size
            = parseLabelSize(parser.value(QStringLiteral("label-size")));
        if (!size) {
            return usageError(
                RecordsText::tr("--label-size wants WxHmm, each side %1 to %2 mm, not \"%3\".")
                    .arg(kMinLabelSideMm)
                    .arg(kMaxLabelSideMm)
                    .arg(parser.value(QStringLiteral("label-size"))));
        }
        line.labelSize = *size;
    }
    return line;
}

} // namespace

CommandLine parseRegisterCommand(const QCommandLineParser &parser, const QString &command,
                                 const QStringList &positional, OptionReader &reader,
                                 CommandLine &line)
{
    if (command == kExport || command == kRegister) {
        noArguments(reader, command, positional);
        line.action
            = command == kExport ? CommandLine::Action::Export : CommandLine::Action::Register;
        line.filter.stallion = parser.value(QStringLiteral("stallion"));
        line.filter.search = parser.value(QStringLiteral("search"));
        line.byteOrderMark = parser.isSet(QStringLiteral("bom"));
        line.filter.since = reader.day(u"since"_s).value_or(QDate());
        line.filter.until = reader.day(u"until"_s).value_or(QDate());
        if (line.filter.since.isValid() && line.filter.until.isValid()
            && line.filter.since > line.filter.until)
            reader.usage(RecordsText::tr("--since is after --until."));
        return reader.outcome(line);
    }

    if (command == kLabels)
        return parseLabels(parser, positional, line);

    if (command == u"station set"_s || command == u"station show"_s) {
        noArguments(reader, command, positional);
        line.action = command == u"station show"_s ? CommandLine::Action::StationShow
                                                   : CommandLine::Action::StationSet;
        if (line.action == CommandLine::Action::StationSet)
            readStation(reader, line);
        return reader.outcome(line);
    }

    if (command.startsWith(kStallion + u' ')) {
        const QString sub = command.section(u' ', 1);
        readStallion(reader, line);
        if (sub == u"list"_s) {
            noArguments(reader, command, positional);
            line.action = CommandLine::Action::StallionList;
        } else if (sub == u"add"_s) {
            noArguments(reader, command, positional);
            line.action = CommandLine::Action::StallionAdd;
            reader.required(u"name"_s, command);
        } else if (sub == u"set"_s) {
            line.action = CommandLine::Action::StallionSet;
            if (positional.size() != 1)
                reader.usage(RecordsText::tr("stallion set wants the stallion's name."));
            line.stallionName = positional.value(0);
            const Stallion &given = line.stallion;
            if (given.ueln.isEmpty() && given.breed.isEmpty() && !given.born.isValid()
                && given.registration.isEmpty() && given.owner.isEmpty()
                && given.aliases.isEmpty()) {
                reader.usage(RecordsText::tr("stallion set wants at least one of --ueln, "
                                             "--breed, --born, --registration, --owner, "
                                             "--alias."));
            }
        } else {
            line.action = sub == u"rename"_s ? CommandLine::Action::StallionRename
                                             : CommandLine::Action::StallionMerge;
            if (positional.size() != 2 || positional[0].trimmed().isEmpty()
                || positional[1].trimmed().isEmpty()) {
                reader.usage(sub == u"rename"_s
                                 ? RecordsText::tr("stallion rename wants his name and the new "
                                                   "one.")
                                 : RecordsText::tr("stallion merge wants the name of the "
                                                   "stallion to merge and of the one he "
                                                   "becomes."));
            } else {
                line.stallionName = positional[0];
                line.otherName = positional[1].trimmed();
            }
        }
        return reader.outcome(line);
    }

    if (command == kContainers) {
        noArguments(reader, command, positional);
        line.action = CommandLine::Action::Containers;
        return reader.outcome(line);
    }

    if (command == kTransport || command == kReturn || command == kReverse) {
        const std::optional<qint64> id
            = idArgument(positional, command, RecordsText::tr("movement"), reader);
        line.movementId = id.value_or(0);
        if (command == kTransport) {
            line.action = CommandLine::Action::Transport;
            if (!line.output.endsWith(u".pdf"_s, Qt::CaseInsensitive))
                reader.usage(RecordsText::tr("transport wants --output FILE.pdf."));
        } else if (command == kReverse) {
            line.action = CommandLine::Action::Reverse;
            line.movement.kind = MovementKind::Adjusted;
            line.movement.of = line.movementId;
            line.movement.reason = reader.required(u"reason"_s, command);
        } else {
            line.action = CommandLine::Action::Move;
            line.movement.kind = MovementKind::Returned;
            line.movement.of = line.movementId;
            line.movement.doses = reader.doses(u"doses"_s).value_or(0);
            line.movement.containerBack = parser.isSet(QStringLiteral("container-back"));
            if (!parser.isSet(QStringLiteral("doses")) && !line.movement.containerBack)
                reader.usage(RecordsText::tr("return wants --doses, --container-back or both."));
        }
        return reader.outcome(line);
    }

    // dispatch, use, destroy, adjust: doses of a sheet, or straws of a freeze batch.
    line.action = CommandLine::Action::Move;
    Movement &movement = line.movement;
    const bool straws = reader.isSet(u"batch"_s);
    if (!straws || !positional.isEmpty()) {
        movement.sheetId
            = idArgument(positional, command, RecordsText::tr("kept sheet"), reader).value_or(0);
    }
    line.sheetId = movement.sheetId;
    readMovement(reader, movement);
    if (straws) {
        readStrawsOut(reader, command, line);
    } else {
        for (const QString &name : {u"straws"_s, u"from"_s}) {
            if (reader.isSet(name))
                reader.usage(RecordsText::tr("--%1 goes with --batch.").arg(name));
        }
    }
    if (command == kAdjust) {
        movement.kind = MovementKind::Adjusted;
        const QString doses = reader.required(u"doses"_s, command);
        const std::optional<qint64> change = signedNumber(doses);
        if (parser.isSet(QStringLiteral("doses")) && !change) {
            reader.usage(RecordsText::tr("--doses wants the change, such as -2 or +1, not \"%1\".")
                             .arg(doses));
        }
        movement.doses = change.value_or(0);
        reader.required(u"reason"_s, command);
        return reader.outcome(line);
    }
    if (!straws) {
        reader.required(u"doses"_s, command);
        movement.doses = reader.doses(u"doses"_s).value_or(0);
    }
    if (command == kDispatch) {
        movement.kind = MovementKind::Dispatched;
        reader.required(u"to"_s, command);
    } else if (command == kUse) {
        movement.kind = MovementKind::Used;
        reader.required(u"mare"_s, command);
    } else {
        movement.kind = MovementKind::Destroyed;
        reader.required(u"reason"_s, command);
    }
    return reader.outcome(line);
}

} // namespace estrivo::cli
