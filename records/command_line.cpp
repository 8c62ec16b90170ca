#include "command_line.h"
#include "records_text.h"

#include "labels.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <array>

namespace estrivo {

namespace {

const QString kExport = QStringLiteral("export");
const QString kLabels = QStringLiteral("labels");

// Each option with the command it belongs to; an empty command is an option of every form.
struct OptionSpec
{
    const char *name;
    const char *valueName;   // null for a switch
    const char *emptyReason; // what an option with a value says when given an empty one
    const QString *command;
};

const std::array<OptionSpec, 12> kOptions{{
    {"journal", "LOCATION", QT_TRANSLATE_NOOP("Records", "--journal needs a location."), nullptr},
    {"help", nullptr, nullptr, nullptr},
    {"version", nullptr, nullptr, nullptr},
    {"stallion", "NAME", QT_TRANSLATE_NOOP("Records", "--stallion needs a stallion's name."),
     &kExport},
    {"since", "YYYY-MM-DD", QT_TRANSLATE_NOOP("Records", "--since needs a day as YYYY-MM-DD."),
     &kExport},
    {"until", "YYYY-MM-DD", QT_TRANSLATE_NOOP("Records", "--until needs a day as YYYY-MM-DD."),
     &kExport},
    {"search", "TEXT", QT_TRANSLATE_NOOP("Records", "--search needs a text to look for."),
     &kExport},
    {"bom", nullptr, nullptr, &kExport},
    // Shared by export and labels: checked against the command below.
    {"output", "FILE", QT_TRANSLATE_NOOP("Records", "--output needs a file name."), nullptr},
    {"count", "N", QT_TRANSLATE_NOOP("Records", "--count needs a number of labels."), &kLabels},
    {"printer", "NAME", QT_TRANSLATE_NOOP("Records", "--printer needs a printer's name."),
     &kLabels},
    {"label-size", "WxHmm", QT_TRANSLATE_NOOP("Records", "--label-size needs a size as WxHmm."),
     &kLabels},
}};

QString optionName(const OptionSpec &spec)
{
    return QString::fromLatin1(spec.name);
}

CommandLine usageError(const QString &reason)
{
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.text = reason;
    return line;
}

// A day written exactly as YYYY-MM-DD.
std::optional<QDate> isoDay(const QString &text)
{
    const QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!day.isValid())
        return std::nullopt;
    return day;
}

} // namespace

QString helpText(const QString &command)
{
    const QString common = RecordsText::tr("  --journal LOCATION  the journal: a SQLite file or a "
                                           "postgresql:// URI\n"
                                           "  --help              show this help and exit\n"
                                           "  --version           show the version and exit\n");
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
                   "output\n")
               + common;
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
                   "  --label-size WxHmm  the label's size in mm (default: 62x29mm)\n")
               + common;
    }
    return RecordsText::tr(
               "Usage: estrivo-records [--journal LOCATION]\n"
               "       estrivo-records export [options]\n"
               "       estrivo-records labels ID [options]\n"
               "Browses, charts, exports and labels the collections in the Estrivo journal.\n"
               "Without a command the window opens.\n"
               "\n"
               "Commands (see estrivo-records COMMAND --help):\n"
               "  export              write the kept sheets as CSV\n"
               "  labels ID           print the dose labels of sheet ID\n"
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
    const QString command = commandGiven ? positional.takeFirst() : QString();
    if (commandGiven && command != kExport && command != kLabels)
        return usageError(RecordsText::tr("Unknown command \"%1\".").arg(command));

    CommandLine line;
    if (parser.isSet(QStringLiteral("help"))) {
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
        if (spec.command && *spec.command != command && parser.isSet(optionName(spec))) {
            return usageError(RecordsText::tr("--%1 is an option of the %2 command.")
                                  .arg(optionName(spec), *spec.command));
        }
    }
    // An empty value is a mistake, not "any": a script's empty variable must not widen an
    // export to every stallion. Nor does a second value quietly replace the first.
    for (const OptionSpec &spec : kOptions) {
        if (!spec.valueName)
            continue;
        const QStringList values = parser.values(optionName(spec));
        if (values.size() > 1) {
            return usageError(
                RecordsText::tr("--%1 is given more than once.").arg(optionName(spec)));
        }
        if (values.size() == 1 && values.front().isEmpty())
            return usageError(RecordsText::tr(spec.emptyReason));
    }
    line.journal = parser.value(QStringLiteral("journal"));
    if (command.isEmpty() && parser.isSet(QStringLiteral("output"))) {
        return usageError(RecordsText::tr("--output is an option of the %1 and %2 commands.")
                              .arg(kExport, kLabels));
    }

    if (command.isEmpty()) {
        if (!positional.isEmpty())
            return usageError(RecordsText::tr("Unknown command \"%1\".").arg(positional.first()));
        line.action = CommandLine::Action::Window;
        return line;
    }

    if (command == kExport) {
        if (!positional.isEmpty())
            return usageError(
                RecordsText::tr("export takes no argument \"%1\".").arg(positional.first()));
        line.action = CommandLine::Action::Export;
        line.filter.stallion = parser.value(QStringLiteral("stallion"));
        line.filter.search = parser.value(QStringLiteral("search"));
        line.byteOrderMark = parser.isSet(QStringLiteral("bom"));
        for (const auto &[name, day] : {std::pair{QStringLiteral("since"), &line.filter.since},
                                        std::pair{QStringLiteral("until"), &line.filter.until}}) {
            if (!parser.isSet(name))
                continue;
            const std::optional<QDate> parsed = isoDay(parser.value(name));
            if (!parsed) {
                return usageError(RecordsText::tr("--%1 wants a day as YYYY-MM-DD, not \"%2\".")
                                      .arg(name, parser.value(name)));
            }
            *day = *parsed;
        }
        if (line.filter.since.isValid() && line.filter.until.isValid()
            && line.filter.since > line.filter.until)
            return usageError(RecordsText::tr("--since is after --until."));
        line.output = parser.value(QStringLiteral("output"));
        return line;
    }

    line.action = CommandLine::Action::Labels;
    if (positional.size() != 1)
        return usageError(RecordsText::tr("labels wants the ID of one kept sheet."));
    bool number = false;
    line.sheetId = positional.first().toLongLong(&number);
    if (!number || line.sheetId < 1)
        return usageError(
            RecordsText::tr("\"%1\" is not the ID of a kept sheet.").arg(positional.first()));
    if (parser.isSet(QStringLiteral("count"))) {
        const int count = parser.value(QStringLiteral("count")).toInt(&number);
        if (!number || count < 1 || count > kMaxLabels) {
            return usageError(
                RecordsText::tr("--count wants a number of labels from 1 to %1, not \"%2\".")
                    .arg(kMaxLabels)
                    .arg(parser.value(QStringLiteral("count"))));
        }
        line.count = count;
    }
    line.printer = parser.value(QStringLiteral("printer"));
    line.output = parser.value(QStringLiteral("output"));
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

} // namespace estrivo
