// What the parsing of the command line shares between the files of its command families.
#pragma once

#include "command_line.h"
#include "records_text.h"

#include <QCommandLineParser>
#include <QDate>

#include <climits>

namespace estrivo::cli {

// The commands, as the first word or the first two words of the arguments.
inline const QString kExport = QStringLiteral("export");
inline const QString kLabels = QStringLiteral("labels");
inline const QString kStation = QStringLiteral("station");
inline const QString kStallion = QStringLiteral("stallion");
inline const QString kDispatch = QStringLiteral("dispatch");
inline const QString kUse = QStringLiteral("use");
inline const QString kDestroy = QStringLiteral("destroy");
inline const QString kReturn = QStringLiteral("return");
inline const QString kAdjust = QStringLiteral("adjust");
inline const QString kReverse = QStringLiteral("reverse");
inline const QString kContainers = QStringLiteral("containers");
inline const QString kRegister = QStringLiteral("register");
inline const QString kTransport = QStringLiteral("transport");
inline const QString kFreeze = QStringLiteral("freeze");
inline const QString kThawTest = QStringLiteral("thaw-test");
inline const QString kRelease = QStringLiteral("release");
inline const QString kTank = QStringLiteral("tank");
inline const QString kTankCheck = QStringLiteral("tank-check");
inline const QString kPlace = QStringLiteral("place");
inline const QString kMove = QStringLiteral("move");
inline const QString kInventory = QStringLiteral("inventory");
inline const QString kFrozenSettings = QStringLiteral("frozen-settings");
inline const QString kTanksDue = QStringLiteral("tanks-due");
inline const QString kCaneLabels = QStringLiteral("cane-labels");
inline const QString kStrawsPerDose = QStringLiteral("straws-per-dose");

// Figures past these are typing mistakes, not semen.
inline constexpr double kMostRawMl = 1000.0;
inline constexpr int kMostStraws = 100000;
inline constexpr double kMostConcentration = 10000.0;  // M/ml
inline constexpr double kMostSpermPerStraw = 100000.0; // M
inline constexpr double kMostG = 10000.0;
inline constexpr double kMostCentrifugeMinutes = 120.0;
inline constexpr double kMostMinutesAfterThaw = 1440.0;
inline constexpr double kMostVelocity = 1000.0; // um/s
inline constexpr int kMostCanisters = 1000;
inline constexpr double kMostLevelCm = 200.0;
inline constexpr int kMostLowStockDoses = 100000;

CommandLine usageError(const QString &reason);
CommandLine refused(const QString &reason);

// A day written exactly as YYYY-MM-DD.
std::optional<QDate> isoDay(const QString &text);
// Digits only, no sign, no blanks, at least 1 and at most `most`.
std::optional<qint64> wholeNumber(const QString &text, qint64 most);
// A change of doses: digits with a sign or none, never 0.
std::optional<qint64> signedNumber(const QString &text);
// A figure written plainly: digits with at most one decimal point, no sign, no exponent.
std::optional<double> plainDecimal(const QString &text);

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
                                 const QString &what, OptionReader &reader);
// A command that takes no positional argument says so of the first one given.
void noArguments(OptionReader &reader, const QString &command, const QStringList &positional);

// The commands of the register: exports, labels, the station, stallions, doses and their papers.
CommandLine parseRegisterCommand(const QCommandLineParser &parser, const QString &command,
                                 const QStringList &positional, OptionReader &reader,
                                 CommandLine &line);
// The commands of the frozen semen; nothing for a command of the register.
std::optional<CommandLine> parseFrozenCommand(const QString &command,
                                              const QStringList &positional, OptionReader &reader,
                                              CommandLine &line);
// A dispatch, use or destruction of straws of a freeze batch, from a position.
void readStrawsOut(OptionReader &reader, const QString &command, CommandLine &line);

} // namespace estrivo::cli
