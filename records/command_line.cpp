// The command line's options and the checks every command shares, then its command family.
#include "command_line.h"
#include "command_line_parts.h"
#include "records_text.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

#include <climits>

namespace estrivo {

using namespace Qt::StringLiterals;
using namespace cli;

namespace {

const QStringList &commands()
{
    static const QStringList all{kExport,
                                 kLabels,
                                 QStringLiteral("station set"),
                                 QStringLiteral("station show"),
                                 QStringLiteral("stallion add"),
                                 QStringLiteral("stallion set"),
                                 QStringLiteral("stallion list"),
                                 QStringLiteral("stallion rename"),
                                 QStringLiteral("stallion merge"),
                                 kDispatch,
                                 kUse,
                                 kDestroy,
                                 kReturn,
                                 kAdjust,
                                 kReverse,
                                 kContainers,
                                 kRegister,
                                 kTransport,
                                 kFreeze,
                                 kThawTest,
                                 kRelease,
                                 QStringLiteral("tank add"),
                                 QStringLiteral("tank list"),
                                 kTankCheck,
                                 kPlace,
                                 kMove,
                                 kInventory,
                                 kFrozenSettings,
                                 kTanksDue,
                                 kCaneLabels,
                                 kStrawsPerDose};
    return all;
}

// Each option with the commands it belongs to.
struct OptionRule
{
    const char *name;
    const char *valueName;   // null for a switch
    const char *emptyReason; // what an option with a value says when given an empty one
    const char *commands;    // the commands it belongs to, separated by '|'; null: every one
    bool repeatable = false;
};

constexpr const char *kStallionIdentity = "stallion add|stallion set";
// Straws that leave: a dispatch, a use or a destruction of a freeze batch's straws.
constexpr const char *kStrawsOut = "dispatch|use|destroy";

const OptionRule kOptions[]{
    {"journal", "LOCATION", QT_TRANSLATE_NOOP("Records", "--journal needs a location."), nullptr},
    {"help", nullptr, nullptr, nullptr},
    {"version", nullptr, nullptr, nullptr},
    {"stallion", "NAME", QT_TRANSLATE_NOOP("Records", "--stallion needs a stallion's name."),
     "export"},
    {"since", "YYYY-MM-DD", QT_TRANSLATE_NOOP("Records", "--since needs a day as YYYY-MM-DD."),
     "export|register"},
    {"until", "YYYY-MM-DD", QT_TRANSLATE_NOOP("Records", "--until needs a day as YYYY-MM-DD."),
     "export|register"},
    {"search", "TEXT", QT_TRANSLATE_NOOP("Records", "--search needs a text to look for."),
     "export"},
    {"bom", nullptr, nullptr, "export"},
    {"output", "FILE", QT_TRANSLATE_NOOP("Records", "--output needs a file name."),
     "export|labels|register|transport|inventory|cane-labels"},
    {"count", "N", QT_TRANSLATE_NOOP("Records", "--count needs a number of labels."), "labels"},
    {"printer", "NAME", QT_TRANSLATE_NOOP("Records", "--printer needs a printer's name."),
     "labels"},
    {"label-size", "WxHmm", QT_TRANSLATE_NOOP("Records", "--label-size needs a size as WxHmm."),
     "labels"},
    // The station.
    {"name", "NAME", QT_TRANSLATE_NOOP("Records", "--name needs a name."),
     "station set|stallion add|tank add"},
    {"approval", "CC-XXXX",
     QT_TRANSLATE_NOOP("Records", "--approval needs an approval number such as DE-EQ-0042."),
     "station set"},
    {"address", "ADDRESS", QT_TRANSLATE_NOOP("Records", "--address needs an address."),
     "station set|dispatch"},
    {"marking", "eu|none", QT_TRANSLATE_NOOP("Records", "--marking needs eu or none."),
     "station set|freeze"},
    {"retention-years", "N",
     QT_TRANSLATE_NOOP("Records", "--retention-years needs a number of years."), "station set"},
    {"label-date", "yymmdd|dd.mm.yy",
     QT_TRANSLATE_NOOP("Records", "--label-date needs yymmdd or dd.mm.yy."), "station set"},
    // A stallion's identity.
    {"ueln", "UELN", QT_TRANSLATE_NOOP("Records", "--ueln needs a UELN."), kStallionIdentity},
    {"breed", "BREED", QT_TRANSLATE_NOOP("Records", "--breed needs a breed."), kStallionIdentity},
    {"born", "YYYY-MM-DD", QT_TRANSLATE_NOOP("Records", "--born needs a day as YYYY-MM-DD."),
     kStallionIdentity},
    {"registration", "NUMBER",
     QT_TRANSLATE_NOOP("Records", "--registration needs a registration number."),
     kStallionIdentity},
    {"owner", "OWNER", QT_TRANSLATE_NOOP("Records", "--owner needs the owner's name."),
     kStallionIdentity},
    {"alias", "NAME", QT_TRANSLATE_NOOP("Records", "--alias needs a name."), kStallionIdentity,
     true},
    // Movements.
    {"doses", "N", QT_TRANSLATE_NOOP("Records", "--doses needs a number of doses."),
     "dispatch|use|destroy|return|adjust"},
    {"to", "CONSIGNEE", QT_TRANSLATE_NOOP("Records", "--to needs the consignee."),
     "dispatch|move"},
    {"mare", "NAME", QT_TRANSLATE_NOOP("Records", "--mare needs the mare's name."),
     "dispatch|use"},
    {"mare-ueln", "UELN", QT_TRANSLATE_NOOP("Records", "--mare-ueln needs a UELN."),
     "dispatch|use"},
    {"country", "CC", QT_TRANSLATE_NOOP("Records", "--country needs a two-letter country code."),
     "dispatch"},
    {"vet", "NAME", QT_TRANSLATE_NOOP("Records", "--vet needs the vet's name."), "dispatch"},
    {"carrier", "NAME", QT_TRANSLATE_NOOP("Records", "--carrier needs the carrier."), "dispatch"},
    {"tracking", "NUMBER", QT_TRANSLATE_NOOP("Records", "--tracking needs a tracking number."),
     "dispatch"},
    {"container", "CONTAINER", QT_TRANSLATE_NOOP("Records", "--container needs a container."),
     "dispatch"},
    {"due-back", "YYYY-MM-DD",
     QT_TRANSLATE_NOOP("Records", "--due-back needs a day as YYYY-MM-DD."), "dispatch"},
    {"reason", "TEXT", QT_TRANSLATE_NOOP("Records", "--reason needs a reason."),
     "destroy|adjust|reverse"},
    {"container-back", nullptr, nullptr, "return"},
    // Frozen semen.
    {"raw-ml", "ML[,ML...]",
     QT_TRANSLATE_NOOP("Records", "--raw-ml needs the raw semen used, in ml."), "freeze"},
    {"straws", "N", QT_TRANSLATE_NOOP("Records", "--straws needs a number of straws."),
     "freeze|thaw-test|place|move|dispatch|use|destroy"},
    {"straw-volume", "0.25|0.5", QT_TRANSLATE_NOOP("Records", "--straw-volume needs 0.25 or 0.5."),
     "freeze"},
    {"concentration", "M_PER_ML",
     QT_TRANSLATE_NOOP("Records", "--concentration needs the final concentration in M/ml."),
     "freeze"},
    {"sperm-per-straw", "M",
     QT_TRANSLATE_NOOP("Records", "--sperm-per-straw needs millions of sperm."),
     "freeze|straws-per-dose"},
    {"straws-per-dose", "N",
     QT_TRANSLATE_NOOP("Records", "--straws-per-dose needs a number of straws."), "freeze"},
    {"extender", "E", QT_TRANSLATE_NOOP("Records", "--extender needs the extender's name."),
     "freeze"},
    {"centrifuge-g", "G", QT_TRANSLATE_NOOP("Records", "--centrifuge-g needs a force in g."),
     "freeze"},
    {"centrifuge-min", "MIN",
     QT_TRANSLATE_NOOP("Records", "--centrifuge-min needs a number of minutes."), "freeze"},
    {"colour", "C", QT_TRANSLATE_NOOP("Records", "--colour needs the straws' colour."), "freeze"},
    {"notes", "TEXT", QT_TRANSLATE_NOOP("Records", "--notes needs a text."), "freeze"},
    {"total-motility", "P", QT_TRANSLATE_NOOP("Records", "--total-motility needs a percentage."),
     "thaw-test"},
    {"progressive", "P", QT_TRANSLATE_NOOP("Records", "--progressive needs a percentage."),
     "thaw-test|straws-per-dose"},
    {"target", "M",
     QT_TRANSLATE_NOOP("Records", "--target needs millions of progressively motile sperm."),
     "straws-per-dose"},
    {"minutes", "M", QT_TRANSLATE_NOOP("Records", "--minutes needs a number of minutes."),
     "thaw-test"},
    {"vcl", "V", QT_TRANSLATE_NOOP("Records", "--vcl needs a velocity in um/s."), "thaw-test"},
    {"vsl", "V", QT_TRANSLATE_NOOP("Records", "--vsl needs a velocity in um/s."), "thaw-test"},
    {"vap", "V", QT_TRANSLATE_NOOP("Records", "--vap needs a velocity in um/s."), "thaw-test"},
    {"bacteriology", "TEXT", QT_TRANSLATE_NOOP("Records", "--bacteriology needs the finding."),
     "thaw-test"},
    {"hold", "REASON", QT_TRANSLATE_NOOP("Records", "--hold needs a reason."), "release"},
    {"quarantine", "REASON", QT_TRANSLATE_NOOP("Records", "--quarantine needs a reason."),
     "release"},
    {"location", "L", QT_TRANSLATE_NOOP("Records", "--location needs a place."), "tank add"},
    {"canisters", "N", QT_TRANSLATE_NOOP("Records", "--canisters needs a number."), "tank add"},
    {"min-level", "CM", QT_TRANSLATE_NOOP("Records", "--min-level needs a level in cm."),
     "tank add"},
    {"level", "CM", QT_TRANSLATE_NOOP("Records", "--level needs a level in cm."), "tank-check"},
    {"refilled", nullptr, nullptr, "tank-check"},
    {"note", "TEXT", QT_TRANSLATE_NOOP("Records", "--note needs a text."), "tank-check"},
    {"tank", "TANK", QT_TRANSLATE_NOOP("Records", "--tank needs a tank's name or ID."), "place"},
    {"canister", "N", QT_TRANSLATE_NOOP("Records", "--canister needs a canister's number."),
     "place"},
    {"goblet", "G", QT_TRANSLATE_NOOP("Records", "--goblet needs a goblet."), "place"},
    {"cane", "C", QT_TRANSLATE_NOOP("Records", "--cane needs a cane."), "place"},
    {"from", "POSITION",
     QT_TRANSLATE_NOOP("Records", "--from needs a position TANK/CANISTER[/GOBLET[/CANE]]."),
     "move|dispatch|use|destroy"},
    {"all-from", "POSITION",
     QT_TRANSLATE_NOOP("Records", "--all-from needs a position TANK/CANISTER[/GOBLET[/CANE]]."),
     "move"},
    {"batch", "BATCH_ID", QT_TRANSLATE_NOOP("Records", "--batch needs a freeze batch's ID."),
     kStrawsOut},
    {"by", "tank|stallion", QT_TRANSLATE_NOOP("Records", "--by needs tank or stallion."),
     "inventory"},
    {"release-motility", "P",
     QT_TRANSLATE_NOOP("Records", "--release-motility needs a percentage."), "frozen-settings"},
    {"low-stock-doses", "N",
     QT_TRANSLATE_NOOP("Records", "--low-stock-doses needs a number of doses."),
     "frozen-settings"},
};

// An option that means something else to one command says so when left empty.
const char *emptyReason(const OptionRule &rule, const QString &command)
{
    const QString name = QString::fromLatin1(rule.name);
    if (name == u"marking"_s && command == kFreeze)
        return QT_TRANSLATE_NOOP("Records", "--marking needs what is printed on the straws.");
    if (name == u"to"_s && command == kMove)
        return QT_TRANSLATE_NOOP("Records",
                                 "--to needs a position TANK/CANISTER[/GOBLET[/CANE]].");
    return rule.emptyReason;
}

QString optionName(const OptionRule &rule)
{
    return QString::fromLatin1(rule.name);
}

QStringList commandsOf(const OptionRule &rule)
{
    return QString::fromLatin1(rule.commands).split(u'|');
}

// "a", "a and b", "a, b and c".
QString listed(const QStringList &items)
{
    if (items.size() < 2)
        return items.value(0);
    return RecordsText::tr("%1 and %2")
        .arg(items.mid(0, items.size() - 1).join(u", "_s), items.back());
}

} // namespace

namespace cli {

CommandLine usageError(const QString &reason)
{
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.text = reason;
    return line;
}

CommandLine refused(const QString &reason)
{
    CommandLine line;
    line.action = CommandLine::Action::Refused;
    line.text = reason;
    return line;
}

// A day written exactly as YYYY-MM-DD.
std::optional<QDate> isoDay(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("\\A[0-9]{4}-[0-9]{2}-[0-9]{2}\\z"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    const QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!day.isValid())
        return std::nullopt;
    return day;
}

// Digits only, no sign, no blanks, at least 1 and at most `most`.
std::optional<qint64> wholeNumber(const QString &text, qint64 most)
{
    static const QRegularExpression digits(QStringLiteral("\\A[0-9]{1,18}\\z"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const qint64 number = text.toLongLong();
    if (number < 1 || number > most)
        return std::nullopt;
    return number;
}

// A change of doses: digits with a sign or none, never 0.
std::optional<qint64> signedNumber(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("\\A[+-]?[0-9]{1,10}\\z"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    const qint64 number = text.toLongLong();
    if (number == 0 || number > INT_MAX || number < -qint64(INT_MAX))
        return std::nullopt;
    return number;
}

// A figure written plainly: digits with at most one decimal point, no sign, no exponent, so a
// script's "1e9" or "-0" is a mistake, not a value.
std::optional<double> plainDecimal(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("\\A[0-9]{1,9}(?:\\.[0-9]{1,6})?\\z"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    return text.toDouble();
}

// The positional ID of a sheet or a movement.
std::optional<qint64> idArgument(const QStringList &positional, const QString &command,
                                 const QString &what, OptionReader &reader)
{
    if (positional.size() != 1) {
        reader.usage(RecordsText::tr("%1 wants the ID of one %2.").arg(command, what));
        return std::nullopt;
    }
    const std::optional<qint64> id = wholeNumber(positional.first(), LLONG_MAX);
    if (!id) {
        reader.usage(
            RecordsText::tr("\"%1\" is not the ID of a %2.").arg(positional.first(), what));
    }
    return id;
}

void noArguments(OptionReader &reader, const QString &command, const QStringList &positional)
{
    if (!positional.isEmpty()) {
        reader.usage(
            RecordsText::tr("%1 takes no argument \"%2\".").arg(command, positional.first()));
    }
}

} // namespace cli

void StationChange::applyTo(StationProfile &profile) const
{
    profile.name = name.value_or(profile.name);
    profile.address = address.value_or(profile.address);
    profile.approval = approval.value_or(profile.approval);
    profile.marking = marking.value_or(profile.marking);
    profile.retentionYears = retentionYears.value_or(profile.retentionYears);
    profile.labelDate = labelDate.value_or(profile.labelDate);
}

bool CommandLine::paints() const
{
    const bool pdf = output.endsWith(u".pdf"_s, Qt::CaseInsensitive);
    return action == Action::Labels || action == Action::Transport || action == Action::CaneLabels
           || ((action == Action::Register || action == Action::Inventory) && pdf);
}

std::optional<PositionText> parsePosition(const QString &text)
{
    const QStringList parts = text.split(u'/');
    if (parts.size() < 2 || parts.size() > 4)
        return std::nullopt;
    for (const QString &part : parts) {
        if (part.trimmed().isEmpty())
            return std::nullopt;
    }
    const std::optional<qint64> canister = wholeNumber(parts[1].trimmed(), kMostCanisters);
    if (!canister)
        return std::nullopt;
    PositionText position;
    position.tank = parts[0].trimmed();
    position.position.canister = int(*canister);
    position.position.goblet = parts.value(2).trimmed();
    position.position.cane = parts.value(3).trimmed();
    position.parts = int(parts.size());
    return position;
}

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionRule &rule : kOptions) {
        QCommandLineOption option(optionName(rule));
        if (rule.valueName)
            option.setValueName(QString::fromLatin1(rule.valueName));
        parser.addOption(option);
    }
    if (!parser.parse(arguments))
        return usageError(parser.errorText());

    QStringList positional = parser.positionalArguments();
    const bool commandGiven = !positional.isEmpty();
    QString command = commandGiven ? positional.takeFirst() : QString();
    const bool help = parser.isSet(QStringLiteral("help"));
    const bool twoWords = command == kStation || command == kStallion || command == kTank;
    if (twoWords) {
        if (positional.isEmpty() && !help) {
            return usageError(command == kStation ? RecordsText::tr("station wants show or set.")
                              : command == kTank
                                  ? RecordsText::tr("tank wants add or list.")
                                  : RecordsText::tr("stallion wants list, add, set, rename or "
                                                    "merge."));
        }
        if (!positional.isEmpty())
            command += u' ' + positional.takeFirst();
    }
    if (commandGiven && !commands().contains(command) && !(help && twoWords))
        return usageError(RecordsText::tr("Unknown command \"%1\".").arg(command));

    CommandLine line;
    if (help) {
        line.action = CommandLine::Action::Help;
        line.text = helpText(command);
        return line;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        line.action = CommandLine::Action::Version;
        line.text = QStringLiteral("estrivo-records %1\n").arg(QStringLiteral(ESTRIVO_VERSION));
        return line;
    }
    for (const OptionRule &rule : kOptions) {
        if (!rule.commands || !parser.isSet(optionName(rule)))
            continue;
        const QStringList owners = commandsOf(rule);
        if (!owners.contains(command)) {
            return usageError((owners.size() == 1
                                   ? RecordsText::tr("--%1 is an option of the %2 command.")
                                   : RecordsText::tr("--%1 is an option of the %2 commands."))
                                  .arg(optionName(rule), listed(owners)));
        }
    }
    // An empty value is a mistake, not "any": a script's empty variable must not widen an
    // export to every stallion. Nor does a second value quietly replace the first.
    for (const OptionRule &rule : kOptions) {
        if (!rule.valueName)
            continue;
        const QStringList values = parser.values(optionName(rule));
        if (values.size() > 1 && !rule.repeatable) {
            return usageError(
                RecordsText::tr("--%1 is given more than once.").arg(optionName(rule)));
        }
        for (const QString &value : values) {
            if (value.trimmed().isEmpty())
                return usageError(RecordsText::tr(emptyReason(rule, command)));
        }
    }
    line.journal = parser.value(QStringLiteral("journal"));
    line.output = parser.value(QStringLiteral("output"));

    if (command.isEmpty()) {
        if (!positional.isEmpty())
            return usageError(RecordsText::tr("Unknown command \"%1\".").arg(positional.first()));
        line.action = CommandLine::Action::Window;
        return line;
    }

    OptionReader reader(parser);
    if (std::optional<CommandLine> frozen = parseFrozenCommand(command, positional, reader, line))
        return *frozen;
    return parseRegisterCommand(parser, command, positional, reader, line);
}

} // namespace estrivo
