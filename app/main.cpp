// Program start: options, the one window, and demo mode with a simulated photometer.
#include "journal_service.h"
#include "main_window.h"
#include "simulated_instrument.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

constexpr int kUsageError = 2;

QString usage()
{
    return QStringLiteral(
        "Usage: estrivo [--demo] [--journal LOCATION]\n"
        "Works out how to extend one stallion collection into insemination doses.\n"
        "\n"
        "  --demo      connect to a simulated photometer instead of a serial port\n"
        "  --journal LOCATION\n"
        "              keep printed sheets and readings here: a SQLite file, or a\n"
        "              postgresql:// URI for a journal the station's PCs share\n"
        "  --help      show this help and exit\n"
        "  --version   show the version and exit\n");
}

} // namespace

int main(int argc, char *argv[])
{
    // Options first: --help and --version must answer without a display.
    QCommandLineParser parser;
    const QCommandLineOption demoOption(QStringLiteral("demo"));
    const QCommandLineOption journalOption(QStringLiteral("journal"), QString(),
                                           QStringLiteral("LOCATION"));
    const QCommandLineOption helpOption(QStringLiteral("help"));
    const QCommandLineOption versionOption(QStringLiteral("version"));
    parser.addOptions({demoOption, journalOption, helpOption, versionOption});
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        const QString problem = parser.positionalArguments().isEmpty()
                                    ? parser.errorText()
                                    : QStringLiteral("Unexpected argument '%1'.")
                                          .arg(parser.positionalArguments().constFirst());
        std::fprintf(stderr, "estrivo: %s\n\n%s", qPrintable(problem), qPrintable(usage()));
        return kUsageError;
    }
    if (parser.isSet(helpOption)) {
        std::fputs(qPrintable(usage()), stdout);
        return 0;
    }
    if (parser.isSet(versionOption)) {
        std::printf("estrivo %s\n", ESTRIVO_VERSION);
        return 0;
    }
    const bool demo = parser.isSet(demoOption);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Estrivo"));
    QApplication::setApplicationVersion(QStringLiteral(ESTRIVO_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);

    std::unique_ptr<estrivo::SimulatedInstrument> instrument;
    if (demo) {
        instrument = std::make_unique<estrivo::SimulatedInstrument>();
        QString error;
        if (!instrument->start(&error)) {
            std::fprintf(stderr, "estrivo: could not start the simulated photometer: %s\n",
                         qPrintable(error));
            return 1;
        }
    }
    // Declared before the window, so it outlives it and finishes every save it was given.
    estrivo::JournalService journal(
        estrivo::resolveJournalLocation(parser.value(journalOption), demo).location);
    estrivo::MainWindow window;
    window.setJournal(&journal);
    QObject::connect(&window, &estrivo::MainWindow::closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (instrument)
        window.choosePort(instrument->devicePath());
    window.show();

    // Without a display the run command asks for a picture of the window instead.
    const QString screenshot = qEnvironmentVariable("ESTRIVO_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, screenshot] {
            const bool saved = window.grab().save(screenshot, "PNG");
            std::printf("%s %s\n", saved ? "Window picture written to" : "Could not write",
                        qPrintable(QDir::toNativeSeparators(screenshot)));
            std::fflush(stdout);
            window.close();
        });
    }
    return QApplication::exec();
}
