#include "command_line.h"
#include "records_text.h"

#include "labels.h"

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
                                 kTransport};
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
     "export|labels|register|transport"},
    {"count", "N", QT_TRANSLATE_NOOP("Records", "--count needs a number of labels."), "labels"},
    {"printer", "NAME", QT_TRANSLATE_NOOP("Records", "--printer needs a printer's name."),
     "labels"},
    {"label-size", "WxHmm", QT_TRANSLATE_NOOP("Records", "--label-size needs a size as WxHmm."),
     "labels"},
    // The station.
    {"name", "NAME", QT_TRANSLATE_NOOP("Records", "--name needs a name."),
     "station set|stallion add"},
    {"approval", "CC-XXXX",
     QT_TRANSLATE_NOOP("Records", "--approval needs an approval number such as DE-EQ-0042."),
     "station set"},
    {"address", "ADDRESS", QT_TRANSLATE_NOOP("Records", "--address needs an address."),
     "station set|dispatch"},
    {"marking", "eu|none", QT_TRANSLATE_NOOP("Records", "--marking needs eu or none."),
     "station set"},
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
    {"to", "CONSIGNEE", QT_TRANSLATE_NOOP("Records", "--to needs the consignee."), "dispatch"},
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
};

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
            "           [--mare NAME] [--mare-ueln UELN] [--address ADDRESS] [--country CC]\n"
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
            "  --due-back YYYY-MM-DD  when the container is due back\n");
    }
    if (command == kUse) {
        return RecordsText::tr(
            "Usage: estrivo-records use SHEET_ID --doses N --mare NAME [--mare-ueln UELN]\n"
            "Keeps doses of collection SHEET_ID used on the station and prints the movement's\n"
            "ID.\n");
    }
    if (command == kDestroy) {
        return RecordsText::tr(
            "Usage: estrivo-records destroy SHEET_ID --doses N --reason TEXT\n"
            "Keeps doses of collection SHEET_ID destroyed and prints the movement's ID.\n");
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
    return action == Action::Labels || action == Action::Transport
           || (action == Action::Register && output.endsWith(u".pdf"_s, Qt::CaseInsensitive));
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
    if (command == kStation || command == kStallion) {
        if (positional.isEmpty() && !help) {
            return usageError(command == kStation
                                  ? RecordsText::tr("station wants show or set.")
                                  : RecordsText::tr("stallion wants list, add, set, rename or "
                                                    "merge."));
        }
        if (!positional.isEmpty())
            command += u' ' + positional.takeFirst();
    }
    if (commandGiven && !commands().contains(command)
        && !(help && (command == kStation || command == kStallion)))
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
                return usageError(RecordsText::tr(spec.emptyReason));
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

    // dispatch, use, destroy, adjust: doses of a sheet.
    line.action = CommandLine::Action::Move;
    Movement &movement = line.movement;
    movement.sheetId
        = idArgument(positional, command, RecordsText::tr("kept sheet"), reader).value_or(0);
    line.sheetId = movement.sheetId;
    readMovement(reader, movement);
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
    reader.required(u"doses"_s, command);
    movement.doses = reader.doses(u"doses"_s).value_or(0);
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
