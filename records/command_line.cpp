#include "command_line.h"
#include "records_text.h"

#include "labels.h"
#include "straws_per_dose.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

#include <climits>

namespace estrivo {

using namespace Qt::StringLiterals;

namespace {

// The commands, as the first word or the first two words of the arguments.
const QString kExport = QStringLiteral("export");
const QString kLabels = QStringLiteral("labels");
const QString kStation = QStringLiteral("station");
const QString kStallion = QStringLiteral("stallion");
const QString kDispatch = QStringLiteral("dispatch");
const QString kUse = QStringLiteral("use");
const QString kDestroy = QStringLiteral("destroy");
const QString kReturn = QStringLiteral("return");
const QString kAdjust = QStringLiteral("adjust");
const QString kReverse = QStringLiteral("reverse");
const QString kContainers = QStringLiteral("containers");
const QString kRegister = QStringLiteral("register");
const QString kTransport = QStringLiteral("transport");
const QString kFreeze = QStringLiteral("freeze");
const QString kThawTest = QStringLiteral("thaw-test");
const QString kRelease = QStringLiteral("release");
const QString kTank = QStringLiteral("tank");
const QString kTankCheck = QStringLiteral("tank-check");
const QString kPlace = QStringLiteral("place");
const QString kMove = QStringLiteral("move");
const QString kInventory = QStringLiteral("inventory");
const QString kFrozenSettings = QStringLiteral("frozen-settings");
const QString kTanksDue = QStringLiteral("tanks-due");
const QString kCaneLabels = QStringLiteral("cane-labels");
const QString kStrawsPerDose = QStringLiteral("straws-per-dose");

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
struct OptionSpec
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

const OptionSpec kOptions[]{
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
const char *emptyReason(const OptionSpec &spec, const QString &command)
{
    const QString name = QString::fromLatin1(spec.name);
    if (name == u"marking"_s && command == kFreeze)
        return QT_TRANSLATE_NOOP("Records", "--marking needs what is printed on the straws.");
    if (name == u"to"_s && command == kMove)
        return QT_TRANSLATE_NOOP("Records",
                                 "--to needs a position TANK/CANISTER[/GOBLET[/CANE]].");
    return spec.emptyReason;
}

QString optionName(const OptionSpec &spec)
{
    return QString::fromLatin1(spec.name);
}

QStringList commandsOf(const OptionSpec &spec)
{
    return QString::fromLatin1(spec.commands).split(u'|');
}

// "a", "a and b", "a, b and c".
QString listed(const QStringList &items)
{
    if (items.size() < 2)
        return items.value(0);
    return RecordsText::tr("%1 and %2")
        .arg(items.mid(0, items.size() - 1).join(u", "_s), items.back());
}

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

// Reads what the options of one command say, remembering the first usage error and the first
// value the register would refuse: a usage error is reported before a refusal.
class OptionReader
{
public:
    explicit OptionReader(const QCommandLineParser &parser)
        : m_parser(parser)
    {}

    bool isSet(const QString &name) const { return m_parser.isSet(name); }
    QString value(const QString &name) const { return m_parser.value(name); }
    QStringList values(const QString &name) const { return m_parser.values(name); }

    QString required(const QString &name, const QString &command)
    {
        if (!isSet(name))
            usage(RecordsText::tr("%1 wants --%2.").arg(command, name));
        return value(name);
    }
    std::optional<QDate> day(const QString &name)
    {
        if (!isSet(name))
            return std::nullopt;
        const std::optional<QDate> parsed = isoDay(value(name));
        if (!parsed) {
            usage(RecordsText::tr("--%1 wants a day as YYYY-MM-DD, not \"%2\".")
                      .arg(name, value(name)));
        }
        return parsed;
    }
    std::optional<qint64> doses(const QString &name)
    {
        if (!isSet(name))
            return std::nullopt;
        const std::optional<qint64> number = wholeNumber(value(name), INT_MAX);
        if (!number) {
            usage(RecordsText::tr("--%1 wants a whole number from 1 to %2, not \"%3\".")
                      .arg(name)
                      .arg(INT_MAX)
                      .arg(value(name)));
        }
        return number;
    }
    // A whole number from 1 to `most`.
    std::optional<int> count(const QString &name, int most)
    {
        if (!isSet(name))
            return std::nullopt;
        const std::optional<qint64> number = wholeNumber(value(name), most);
        if (!number) {
            usage(RecordsText::tr("--%1 wants a whole number from 1 to %2, not \"%3\".")
                      .arg(name)
                      .arg(most)
                      .arg(value(name)));
            return std::nullopt;
        }
        return int(*number);
    }
    // A figure up to `most`: from 0 where `zero` is allowed, else above it.
    std::optional<double> figure(const QString &name, double most, bool zero = false)
    {
        if (!isSet(name))
            return std::nullopt;
        return figureIn(name, value(name), most, zero);
    }
    std::optional<double> figureIn(const QString &name, const QString &text, double most,
                                   bool zero)
    {
        const std::optional<double> number = plainDecimal(text);
        if (!number || *number > most || (!zero && *number <= 0)) {
            usage((zero ? RecordsText::tr("--%1 wants a number from 0 to %2, not \"%3\".")
                        : RecordsText::tr("--%1 wants a number above 0, at most %2, not "
                                          "\"%3\"."))
                      .arg(name)
                      .arg(most)
                      .arg(text));
            return std::nullopt;
        }
        return number;
    }
    QString ueln(const QString &name)
    {
        if (!isSet(name))
            return {};
        const QString problem = uelnProblem(value(name));
        if (!problem.isEmpty())
            refuse(RecordsText::tr("--%1: %2").arg(name, problem));
        return normalizedUeln(value(name));
    }

    void usage(const QString &reason)
    {
        if (m_usage.isEmpty())
            m_usage = reason;
    }
    void refuse(const QString &reason)
    {
        if (m_refusal.isEmpty())
            m_refusal = reason;
    }
    // The command line as read, or the usage error or refusal found on the way.
    CommandLine outcome(const CommandLine &line) const
    {
        if (!m_usage.isEmpty())
            return usageError(m_usage);
        if (!m_refusal.isEmpty())
            return refused(m_refusal);
        return line;
    }

private:
    const QCommandLineParser &m_parser;
    QString m_usage;
    QString m_refusal;
};

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

// Figures past these are typing mistakes, not semen.
constexpr double kMostRawMl = 1000.0;
constexpr int kMostStraws = 100000;
constexpr double kMostConcentration = 10000.0;  // M/ml
constexpr double kMostSpermPerStraw = 100000.0; // M
constexpr double kMostG = 10000.0;
constexpr double kMostCentrifugeMinutes = 120.0;
constexpr double kMostMinutesAfterThaw = 1440.0;
constexpr double kMostVelocity = 1000.0; // um/s
constexpr int kMostCanisters = 1000;
constexpr double kMostLevelCm = 200.0;
constexpr int kMostLowStockDoses = 100000;

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

// The straws of a freeze batch leave through the same commands as a collection's doses.
QString strawsOutHelp(const QString &form)
{
    return RecordsText::tr(
               "\nStraws of a freeze batch (SHEET_ID may then be left out):\n"
               "  estrivo-records %1 --batch BATCH_ID --straws N\n"
               "                  --from TANK/CANISTER[/GOBLET[/CANE]]\n"
               "A dispatch or use needs a released batch; never more straws leave than the\n"
               "position holds.\n")
        .arg(form);
}

QString helpOf(const QString &command)
{
    if (command == kExport) {
        return RecordsText::tr(
            "Usage: estrivo-records export [--stallion NAME] [--search TEXT]\n"
            "                              [--since YYYY-MM-DD] [--until YYYY-MM-DD]\n"
            "                              [--bom] [--output FILE]\n"
            "Writes the kept sheets, newest first, as CSV (RFC 4180, UTF-8).\n"
            "\n"
            "  --stallion NAME     only this stallion's collections (any spelling)\n"
            "  --search TEXT       only sheets whose name or notes hold TEXT (any case\n"
            "                      or accents)\n"
            "  --since YYYY-MM-DD  only sheets saved on or after this day\n"
            "  --until YYYY-MM-DD  only sheets saved on or before this day\n"
            "                      (days and saved_at in local time, as $TZ sets it)\n"
            "  --bom               start with a UTF-8 byte-order mark, for spreadsheet\n"
            "                      programs that assume a Windows code page\n"
            "  --output FILE       write FILE (replaced once complete), not standard "
            "output\n");
    }
    if (command == kLabels) {
        return RecordsText::tr(
            "Usage: estrivo-records labels ID [--count N]\n"
            "                                 [--printer NAME | --output FILE.pdf]\n"
            "                                 [--label-size WxHmm]\n"
            "Prints the dose labels of the kept sheet ID, one label a page.\n"
            "\n"
            "  --count N           print N labels (default: its Total Doses Possible)\n"
            "  --printer NAME      the printer (default: the system's default printer)\n"
            "  --output FILE.pdf   a PDF file instead of a printer\n"
            "  --label-size WxHmm  the label's size in mm (default: 62x29mm)\n");
    }
    if (command == kStation) {
        return RecordsText::tr(
            "Usage: estrivo-records station show\n"
            "       estrivo-records station set [--name NAME] [--address ADDRESS]\n"
            "                                   [--approval CC-XXXX] [--marking eu|none]\n"
            "                                   [--retention-years N]\n"
            "                                   [--label-date yymmdd|dd.mm.yy]\n"
            "Shows or sets the station's profile, which its labels and its register carry.\n"
            "Only what is given changes.\n"
            "\n"
            "  --name NAME            the station's name\n"
            "  --address ADDRESS      its address\n"
            "  --approval CC-XXXX     its approval number with the ISO 3166-1 country code\n"
            "                         in front, such as DE-EQ-0042\n"
            "  --marking eu|none      the marking labels must carry (eu: the EU marking,\n"
            "                         which needs an approval number)\n"
            "  --retention-years N    how long the register is kept, 1 to 100 (default 3)\n"
            "  --label-date FORM      the collection date on labels: yymmdd (261207) or\n"
            "                         dd.mm.yy (07.12.26)\n");
    }
    if (command == kStallion) {
        return RecordsText::tr(
            "Usage: estrivo-records stallion list\n"
            "       estrivo-records stallion add --name NAME [identity]\n"
            "       estrivo-records stallion set NAME [identity]\n"
            "       estrivo-records stallion rename NAME NEW_NAME\n"
            "       estrivo-records stallion merge NAME INTO_NAME\n"
            "Keeps the stallion register. A sheet is a stallion's when the first line of its\n"
            "name box is his name or one of his aliases, in any spelling. rename keeps the\n"
            "old name as an alias; merge makes the first stallion one with the second, his\n"
            "names and sheets with them. list writes one tab-separated line a stallion.\n"
            "\n"
            "Identity (add, set):\n"
            "  --ueln UELN            the Universal Equine Life Number (15 characters)\n"
            "  --breed BREED          the breed\n"
            "  --born YYYY-MM-DD      the date of birth\n"
            "  --registration NUMBER  the studbook's registration number\n"
            "  --owner OWNER          the owner\n"
            "  --alias NAME           another name of his sheets (may be repeated)\n");
    }
    if (command == kDispatch) {
        return RecordsText::tr(
                   "Usage: estrivo-records dispatch SHEET_ID --doses N --to CONSIGNEE\n"
                   "           [--mare NAME] [--mare-ueln UELN] [--address ADDRESS] [--country "
                   "CC]\n"
                   "           [--vet NAME] [--carrier NAME] [--tracking NUMBER]\n"
                   "           [--container CONTAINER] [--due-back YYYY-MM-DD]\n"
                   "Keeps doses of collection SHEET_ID sent away and prints the movement's ID.\n"
                   "Refused, saying what remains, when fewer doses remain.\n"
                   "\n"
                   "  --doses N              the doses sent\n"
                   "  --to CONSIGNEE         who receives them\n"
                   "  --mare NAME            the mare they are for\n"
                   "  --mare-ueln UELN       her UELN\n"
                   "  --address ADDRESS      where they go\n"
                   "  --country CC           the country, ISO 3166-1 (DE, FR, ...)\n"
                   "  --vet NAME             the vet who inseminates\n"
                   "  --carrier NAME         the carrier\n"
                   "  --tracking NUMBER      the carrier's tracking number\n"
                   "  --container CONTAINER  the shipping container, to have it back\n"
                   "  --due-back YYYY-MM-DD  when the container is due back\n")
               + strawsOutHelp(u"dispatch --to CONSIGNEE"_s);
    }
    if (command == kUse) {
        return RecordsText::tr(
                   "Usage: estrivo-records use SHEET_ID --doses N --mare NAME [--mare-ueln UELN]\n"
                   "Keeps doses of collection SHEET_ID used on the station and prints the "
                   "movement's\n"
                   "ID.\n")
               + strawsOutHelp(u"use --mare NAME"_s);
    }
    if (command == kDestroy) {
        return RecordsText::tr(
                   "Usage: estrivo-records destroy SHEET_ID --doses N --reason TEXT\n"
                   "Keeps doses of collection SHEET_ID destroyed and prints the movement's ID.\n")
               + strawsOutHelp(u"destroy --reason TEXT"_s);
    }
    if (command == kReturn) {
        return RecordsText::tr(
            "Usage: estrivo-records return MOVEMENT_ID [--doses N] [--container-back]\n"
            "Keeps what came back from the dispatch MOVEMENT_ID: N unused doses, its\n"
            "container, or both; prints the movement's ID.\n");
    }
    if (command == kAdjust) {
        return RecordsText::tr(
            "Usage: estrivo-records adjust SHEET_ID --doses +N|-N --reason TEXT\n"
            "Changes the doses collection SHEET_ID made (-N: fewer were filled) and prints\n"
            "the movement's ID.\n");
    }
    if (command == kReverse) {
        return RecordsText::tr(
            "Usage: estrivo-records reverse MOVEMENT_ID --reason TEXT\n"
            "Corrects a mistaken movement with one that undoes it (a movement is never\n"
            "deleted) and prints the new movement's ID.\n");
    }
    if (command == kContainers) {
        return RecordsText::tr(
            "Usage: estrivo-records containers\n"
            "Lists the containers sent with a dispatch and not back, oldest first, one\n"
            "tab-separated line each: dispatch, sheet, container, consignee, sent, due back\n"
            "and out, due (today) or overdue.\n");
    }
    if (command == kRegister) {
        return RecordsText::tr(
            "Usage: estrivo-records register [--since YYYY-MM-DD] [--until YYYY-MM-DD]\n"
            "                                [--output FILE]\n"
            "Writes the register: every collection with its donor and every movement of its\n"
            "doses, oldest first; a PDF for an inspector when FILE ends in .pdf, else CSV\n"
            "(to standard output without --output).\n"
            "\n"
            "  --since YYYY-MM-DD  only collections saved on or after this day\n"
            "  --until YYYY-MM-DD  only collections saved on or before this day\n"
            "  --output FILE       write FILE (replaced once complete)\n");
    }
    if (command == kTransport) {
        return RecordsText::tr(
            "Usage: estrivo-records transport MOVEMENT_ID --output FILE.pdf\n"
            "Writes the transport sheet of the dispatch MOVEMENT_ID as a PDF.\n");
    }
    if (command == kFreeze) {
        return RecordsText::tr(
            "Usage: estrivo-records freeze SHEET_ID[,SHEET_ID...] --raw-ml ML[,ML...]\n"
            "           --straws N --straw-volume 0.25|0.5 --concentration M_PER_ML\n"
            "           [--sperm-per-straw M] [--straws-per-dose N] [--extender E]\n"
            "           [--centrifuge-g G --centrifuge-min MIN] [--colour C]\n"
            "           [--marking TEXT] [--notes TEXT]\n"
            "Keeps a freeze batch made from one collection, or from several of one stallion\n"
            "pooled, and prints its ID. It starts in quarantine, its straws not yet placed.\n"
            "\n"
            "  --raw-ml ML[,ML...]     raw semen taken from each sheet, in ml (at most its\n"
            "                          gel-free volume less what earlier batches took)\n"
            "  --straws N              straws made\n"
            "  --straw-volume 0.25|0.5 the straw's volume in ml\n"
            "  --concentration M       final concentration in the straw, M/ml\n"
            "  --sperm-per-straw M     sperm per straw, M (default: concentration x volume)\n"
            "  --straws-per-dose N     straws to one insemination dose\n"
            "  --extender E            the freezing extender\n"
            "  --centrifuge-g G        centrifugation force in g, with --centrifuge-min\n"
            "  --centrifuge-min MIN    centrifugation time in minutes\n"
            "  --colour C              the straws' colour\n"
            "  --marking TEXT          what is printed on each straw\n"
            "  --notes TEXT            notes\n");
    }
    if (command == kThawTest) {
        return RecordsText::tr(
            "Usage: estrivo-records thaw-test BATCH_ID --total-motility P --progressive P\n"
            "           [--straws N] [--minutes M] [--vcl V --vsl V --vap V]\n"
            "           [--bacteriology TEXT]\n"
            "Keeps a post-thaw test of freeze batch BATCH_ID and prints its ID.\n"
            "\n"
            "  --total-motility P   total motility after thawing, %\n"
            "  --progressive P      progressive motility after thawing, %\n"
            "  --straws N           straws thawed (default 1)\n"
            "  --minutes M          minutes after thawing (default 0)\n"
            "  --vcl/--vsl/--vap V  velocities in um/s from an analyser, all three\n"
            "  --bacteriology TEXT  the bacteriology finding\n");
    }
    if (command == kRelease) {
        return RecordsText::tr(
            "Usage: estrivo-records release BATCH_ID [--hold REASON | --quarantine REASON]\n"
            "Releases freeze batch BATCH_ID for use and sale, or holds it back. A release\n"
            "needs a post-thaw test whose progressive motility reaches the station's figure\n"
            "(frozen-settings, default 30 %).\n"
            "\n"
            "  --hold REASON        put it on hold\n"
            "  --quarantine REASON  put it back in quarantine\n");
    }
    if (command == kTank) {
        return RecordsText::tr(
            "Usage: estrivo-records tank add --name NAME [--location L] [--canisters N]\n"
            "                                [--min-level CM]\n"
            "       estrivo-records tank list\n"
            "Adds a liquid-nitrogen tank and prints its ID, or lists the tanks, one\n"
            "tab-separated line each: id, name, location, canisters, min_level_cm,\n"
            "last_check_at, last_level_cm, state (ok, due, low or due,low).\n"
            "\n"
            "  --name NAME       the tank's name, unique (no \"/\", not a number alone)\n"
            "  --location L      where it stands\n"
            "  --canisters N     its canisters (default 6)\n"
            "  --min-level CM    the level below which its straws are at risk (default 5)\n");
    }
    if (command == kTankCheck) {
        return RecordsText::tr(
            "Usage: estrivo-records tank-check TANK --level CM [--refilled] [--note TEXT]\n"
            "Keeps a liquid-nitrogen level check of TANK (its name or ID) and prints its ID.\n"
            "\n"
            "  --level CM     the level measured, in cm\n"
            "  --refilled     the tank was refilled at this check\n"
            "  --note TEXT    a note\n");
    }
    if (command == kPlace) {
        return RecordsText::tr(
            "Usage: estrivo-records place BATCH_ID --straws N --tank TANK --canister N\n"
            "                             [--goblet G] [--cane C]\n"
            "Places N straws of freeze batch BATCH_ID not yet placed in a tank's canister,\n"
            "goblet and cane.\n");
    }
    if (command == kMove) {
        return RecordsText::tr(
            "Usage: estrivo-records move BATCH_ID --straws N --from POSITION --to POSITION\n"
            "       estrivo-records move --all-from POSITION --to POSITION\n"
            "Moves straws between positions, never more than the position holds. A position\n"
            "is TANK/CANISTER[/GOBLET[/CANE]], the tank by name or ID. --all-from moves the\n"
            "straws of every batch at POSITION and below it in one step, all or none; a\n"
            "goblet or cane --to leaves out stays as it was.\n");
    }
    if (command == kInventory) {
        return RecordsText::tr(
            "Usage: estrivo-records inventory [--by tank|stallion] [--output FILE]\n"
            "Writes the straws in store, each batch per tank (default) or per stallion over\n"
            "all tanks: a PDF when FILE ends in .pdf, else CSV (to standard output without\n"
            "--output) with the columns tank_id, tank, stallion, batch_id, frozen_at, state,\n"
            "straws, straws_per_dose, doses, positions.\n");
    }
    if (command == kFrozenSettings) {
        return RecordsText::tr(
            "Usage: estrivo-records frozen-settings [--release-motility P]\n"
            "                                       [--low-stock-doses N]\n"
            "Sets what is given and shows the station's rules for frozen semen.\n"
            "\n"
            "  --release-motility P  the post-thaw progressive motility a release needs, %\n"
            "  --low-stock-doses N   fewer released doses in store make a stallion low\n"
            "                        (0: never)\n");
    }
    if (command == kTanksDue) {
        return RecordsText::tr(
            "Usage: estrivo-records tanks-due\n"
            "Lists, one tab-separated line each, the tanks whose last level check is more\n"
            "than 7 days old (\"due\"), the tanks whose last level is below their minimum\n"
            "(\"low\") and the stallions low in released doses (\"low-stock\"). Exit status 0\n"
            "whether or not anything is listed.\n");
    }
    if (command == kStrawsPerDose) {
        return RecordsText::tr(
            "Usage: estrivo-records straws-per-dose --sperm-per-straw M --progressive P\n"
            "                                       --target M\n"
            "       estrivo-records straws-per-dose BATCH_ID --target M\n"
            "                                       [--sperm-per-straw M] [--progressive P]\n"
            "Works out the straws one dose takes to hold --target million progressively\n"
            "motile sperm, printing the working a line a step and then\n"
            "\"straws_per_dose: N\". With BATCH_ID the sperm per straw is the batch's and the\n"
            "progressive motility that of its latest post-thaw test, unless given.\n");
    }
    if (command == kCaneLabels) {
        return RecordsText::tr(
            "Usage: estrivo-records cane-labels BATCH_ID --output FILE.pdf\n"
            "Writes a label for each cane or goblet holding straws of freeze batch BATCH_ID:\n"
            "stallion, batch, freeze date, straws, position and a QR code.\n");
    }
    return {};
}

} // namespace

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

QString helpText(const QString &command)
{
    const QString common = RecordsText::tr("  --journal LOCATION  the journal: a SQLite file or a "
                                           "postgresql:// URI\n"
                                           "  --help              show this help and exit\n"
                                           "  --version           show the version and exit\n");
    const QString own = helpOf(command.section(u' ', 0, 0));
    if (!own.isEmpty())
        return own + common;
    return RecordsText::tr(
               "Usage: estrivo-records [--journal LOCATION]\n"
               "       estrivo-records COMMAND [ARGUMENTS] [options]\n"
               "Browses, charts, exports and labels the collections in the Estrivo journal and\n"
               "keeps the register of stallions and doses. Without a command the window opens.\n"
               "\n"
               "Commands (see estrivo-records COMMAND --help):\n"
               "  export              write the kept sheets as CSV\n"
               "  labels ID           print the dose labels of sheet ID\n"
               "  station show|set    show or set the station's name, approval and marking\n"
               "  stallion list|add|set|rename|merge\n"
               "                      keep the stallion register\n"
               "  dispatch SHEET_ID   keep doses sent away\n"
               "  use SHEET_ID        keep doses used on the station\n"
               "  destroy SHEET_ID    keep doses destroyed\n"
               "  return MOVEMENT_ID  keep doses or a container back from a dispatch\n"
               "  adjust SHEET_ID     change the doses a collection made\n"
               "  reverse MOVEMENT_ID undo a mistaken movement\n"
               "  containers          list the containers out\n"
               "  register            write the register as CSV or PDF\n"
               "  transport MOVEMENT_ID\n"
               "                      write the transport sheet of a dispatch as PDF\n"
               "  freeze SHEET_ID[,...] keep a freeze batch\n"
               "  thaw-test BATCH_ID  keep a post-thaw test\n"
               "  release BATCH_ID    release a batch, or hold it back\n"
               "  tank add|list       keep the liquid-nitrogen tanks\n"
               "  tank-check TANK     keep a level check of a tank\n"
               "  place BATCH_ID      place straws in a tank\n"
               "  move                move straws between positions\n"
               "  inventory           write the straws in store as CSV or PDF\n"
               "  frozen-settings     show or set the release and low-stock figures\n"
               "  tanks-due           list the tanks due for a check or low, stallions low\n"
               "  straws-per-dose     work out the straws a frozen dose takes\n"
               "  cane-labels BATCH_ID\n"
               "                      write labels for the canes and goblets of a batch\n"
               "\n")
           + common
           + RecordsText::tr(
               "\nExit status: 0 on success, 1 when the work fails, 2 for a usage error.\n");
}

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionSpec &spec : kOptions) {
        QCommandLineOption option(optionName(spec));
        if (spec.valueName)
            option.setValueName(QString::fromLatin1(spec.valueName));
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
    for (const OptionSpec &spec : kOptions) {
        if (!spec.commands || !parser.isSet(optionName(spec)))
            continue;
        const QStringList owners = commandsOf(spec);
        if (!owners.contains(command)) {
            return usageError((owners.size() == 1
                                   ? RecordsText::tr("--%1 is an option of the %2 command.")
                                   : RecordsText::tr("--%1 is an option of the %2 commands."))
                                  .arg(optionName(spec), listed(owners)));
        }
    }
    // An empty value is a mistake, not "any": a script's empty variable must not widen an
    // export to every stallion. Nor does a second value quietly replace the first.
    for (const OptionSpec &spec : kOptions) {
        if (!spec.valueName)
            continue;
        const QStringList values = parser.values(optionName(spec));
        if (values.size() > 1 && !spec.repeatable) {
            return usageError(
                RecordsText::tr("--%1 is given more than once.").arg(optionName(spec)));
        }
        for (const QString &value : values) {
            if (value.trimmed().isEmpty())
                return usageError(RecordsText::tr(emptyReason(spec, command)));
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
    const auto noArguments = [&] {
        if (!positional.isEmpty()) {
            reader.usage(
                RecordsText::tr("%1 takes no argument \"%2\".").arg(command, positional.first()));
        }
    };

    if (command == kExport || command == kRegister) {
        noArguments();
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
        noArguments();
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
            noArguments();
            line.action = CommandLine::Action::StallionList;
        } else if (sub == u"add"_s) {
            noArguments();
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
        noArguments();
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
        noArguments();
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

    if (command == kContainers) {
        noArguments();
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

} // namespace estrivo
