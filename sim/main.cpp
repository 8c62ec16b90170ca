// estrivo-instrument-sim: plays the bench photometer on a pseudo-terminal until stopped.
#include "simulated_instrument.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>

#include <sys/signalfd.h>
#include <unistd.h>

namespace {

using estrivo::SimulatedInstrument;

void printError(const QString &text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stderr);
}

// Reads a whole number of at least `minimum` from an option; false after telling the user.
bool readCount(const QCommandLineParser &parser, const QCommandLineOption &option, int minimum,
               int *value)
{
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    const int number = parser.value(option).toInt(&ok);
    if (!ok || number < minimum) {
        printError(QStringLiteral("estrivo-instrument-sim: --%1 needs a whole number of at "
                                  "least %2, not \"%3\".")
                       .arg(option.names().constFirst())
                       .arg(minimum)
                       .arg(parser.value(option)));
        return false;
    }
    *value = number;
    return true;
}

bool readMilliseconds(const QCommandLineParser &parser, const QCommandLineOption &option,
                      std::chrono::milliseconds *value)
{
    int number = static_cast<int>(value->count());
    if (!readCount(parser, option, 0, &number))
        return false;
    *value = std::chrono::milliseconds{number};
    return true;
}

QString printable(const QByteArray &bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\r')
            text += QStringLiteral("\\r");
        else if (byte == '\n')
            text += QStringLiteral("\\n");
        else if (byte < 0x20 || byte >= 0x7f)
            text += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
        else
            text += QLatin1Char(c);
    }
    return text;
}

} // namespace

int main(int argc, char *argv[])
{
    // Signals become readable events on a descriptor, so the event loop ends the run in the
    // ordinary way and the line is closed by the simulator's own clean-up. They are blocked
    // before any thread exists so that none of them takes the signal instead.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("estrivo-instrument-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Plays the bench photometer on a pseudo-terminal. Prints the device path to give "
        "Estrivo as its port, then answers until interrupted."));
    parser.addHelpOption();
    const QCommandLineOption concentration(QStringLiteral("concentration"),
                                           QStringLiteral("What a reading reports (123.4)."),
                                           QStringLiteral("text"), QStringLiteral("123.4"));
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("Pause before each reply, in ms (0)."),
                                   QStringLiteral("ms"));
    const QCommandLineOption chunk(QStringLiteral("chunk"),
                                   QStringLiteral("Send replies in pieces of n bytes."),
                                   QStringLiteral("n"));
    const QCommandLineOption chunkGap(QStringLiteral("chunk-gap"),
                                      QStringLiteral("Pause between pieces, in ms (0)."),
                                      QStringLiteral("ms"));
    const QCommandLineOption measure(QStringLiteral("measure"),
                                     QStringLiteral("Time a reading takes, in ms (200)."),
                                     QStringLiteral("ms"));
    const QCommandLineOption deaf(QStringLiteral("deaf"),
                                  QStringLiteral("Let the first n commands go unheard."),
                                  QStringLiteral("n"));
    const QCommandLineOption lowerCaseOk(QStringLiteral("lowercase-ok"),
                                         QStringLiteral("Answer \"ok\" instead of \"OK\"."));
    const QCommandLineOption silent(QStringLiteral("silent"),
                                    QStringLiteral("Never answer anything."));
    const QCommandLineOption noDone(QStringLiteral("no-done"),
                                    QStringLiteral("Never end a reading with \"Done\"."));
    const QCommandLineOption garbage(QStringLiteral("garbage"),
                                     QStringLiteral("Send line noise before each reply."));
    const QCommandLineOption hangUp(QStringLiteral("hang-up"),
                                    QStringLiteral("Close the line in the middle of a reading."));
    const QCommandLineOption noGreeting(QStringLiteral("no-greeting"),
                                        QStringLiteral("Say nothing when the line is opened."));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Report commands and replies on stderr."));
    parser.addOptions({concentration, delay, chunk, chunkGap, measure, deaf, lowerCaseOk, silent,
                       noDone, garbage, hangUp, noGreeting, verbose});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        printError(QStringLiteral("estrivo-instrument-sim: unexpected argument \"%1\".")
                       .arg(parser.positionalArguments().constFirst()));
        return 2;
    }

    SimulatedInstrument::Behaviour behaviour;
    behaviour.concentration = parser.value(concentration).toLocal8Bit();
    if (!readMilliseconds(parser, delay, &behaviour.replyDelay)
        || !readCount(parser, chunk, 1, &behaviour.chunkSize)
        || !readMilliseconds(parser, chunkGap, &behaviour.chunkGap)
        || !readMilliseconds(parser, measure, &behaviour.measureTime)
        || !readCount(parser, deaf, 0, &behaviour.deafCommands)) {
        return 2;
    }
    behaviour.lowerCaseOk = parser.isSet(lowerCaseOk);
    behaviour.silent = parser.isSet(silent);
    behaviour.noDone = parser.isSet(noDone);
    behaviour.garbage = parser.isSet(garbage);
    behaviour.hangUpMidReply = parser.isSet(hangUp);
    behaviour.greet = !parser.isSet(noGreeting);

    const int signalDescriptor = ::signalfd(-1, &stopSignals, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signalDescriptor < 0) {
        printError(QStringLiteral("estrivo-instrument-sim: cannot watch for signals."));
        return 1;
    }
    QSocketNotifier signalNotifier(signalDescriptor, QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [signalDescriptor] {
        signalfd_siginfo info{};
        while (::read(signalDescriptor, &info, sizeof info) == sizeof info) {
        }
        QCoreApplication::quit();
    });

    SimulatedInstrument instrument;
    instrument.setBehaviour(behaviour);
    if (parser.isSet(verbose)) {
        QObject::connect(&instrument, &SimulatedInstrument::programConnected, &app,
                         [] { printError(QStringLiteral("line opened")); });
        QObject::connect(&instrument, &SimulatedInstrument::programDisconnected, &app,
                         [] { printError(QStringLiteral("line closed by the program")); });
        QObject::connect(&instrument, &SimulatedInstrument::commandHeard, &app, [](char c) {
            printError(QStringLiteral("heard %1").arg(QLatin1Char(c)));
        });
        QObject::connect(&instrument, &SimulatedInstrument::replySent, &app,
                         [](const QByteArray &bytes) {
                             printError(QStringLiteral("sent %1").arg(printable(bytes)));
                         });
    }
    // The device the user was given is gone with the hang-up; nothing is left to play.
    QObject::connect(&instrument, &SimulatedInstrument::hungUp, &app, [] {
        printError(QStringLiteral("estrivo-instrument-sim: hung up in the middle of a reading."));
        QCoreApplication::quit();
    });

    QString error;
    if (!instrument.start(&error)) {
        printError(QStringLiteral("estrivo-instrument-sim: cannot open a pseudo-terminal: ")
                   + error);
        ::close(signalDescriptor);
        return 1;
    }
    std::fputs(qPrintable(instrument.devicePath() + QLatin1Char('\n')), stdout);
    std::fflush(stdout);

    const int status = QCoreApplication::exec();
    instrument.stop();
    signalNotifier.setEnabled(false);
    ::close(signalDescriptor);
    return status;
}
