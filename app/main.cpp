// Program start: options, the one window, and demo mode with a simulated photometer.
#include "journal_service.h"
#include "main_window.h"
#include "simulated_instrument.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QMessageBox>
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

// A journal file only where it was meant to be: the default one is made with its folders; a
// chosen one that is not there yet (a share not mounted, a mistyped path) is made only once
// the technician says so, beside the window, which works meanwhile.
estrivo::JournalCreation creationFor(const estrivo::JournalLocation &where)
{
    if (where.isPostgres() || where.source == estrivo::JournalLocation::Source::Default)
        return estrivo::JournalCreation::FileAndFolders;
    return QFileInfo::exists(where.location) ? estrivo::JournalCreation::FileOnly
                                             : estrivo::JournalCreation::Nothing;
}

void askForNewJournal(QWidget *window, estrivo::JournalService *journal)
{
    auto *question
        = new QMessageBox(QMessageBox::Question, QStringLiteral("Estrivo (tm)"),
                          QCoreApplication::translate("Journal", "There is no journal at %1.")
                              .arg(journal->location()),
                          QMessageBox::Yes | QMessageBox::No, window);
    question->setInformativeText(QCoreApplication::translate(
        "Journal", "Make a new journal there? Choose No when it should be on a share that is "
                   "not connected yet: nothing is made, and printing goes on."));
    question->setDefaultButton(QMessageBox::No);
    question->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(question, &QMessageBox::finished, journal, [journal](int answer) {
        if (answer == QMessageBox::Yes)
            journal->setCreation(estrivo::JournalCreation::FileOnly);
    });
    question->open();
}

// Closing with sheets the journal does not have yet: they wait on this computer, and the
// technician is told so before the program ends. A moment is given first for what was just
// printed to arrive.
void quitWhenDelivered(estrivo::JournalService *journal)
{
    using namespace std::chrono_literals;
    auto *watcher = new QFutureWatcher<void>(journal);
    auto *patience = new QTimer(journal);
    patience->setSingleShot(true);
    const auto decide = [journal, watcher, patience] {
        if (!watcher->property("decided").isNull())
            return;
        watcher->setProperty("decided", true);
        patience->stop();
        const int sheets = journal->keptSheets();
        const int readings = journal->keptReadings();
        if (sheets == 0 && readings == 0) {
            QCoreApplication::quit();
            return;
        }
        QString text
            = sheets == 1
                  ? QCoreApplication::translate("Journal", "1 sheet is kept")
                  : QCoreApplication::translate("Journal", "%1 sheets are kept").arg(sheets);
        if (readings > 0)
            text += readings == 1
                        ? QCoreApplication::translate("Journal", " and 1 reading")
                        : QCoreApplication::translate("Journal", " and %1 readings").arg(readings);
        text += QCoreApplication::translate(
            "Journal", " on this computer and will be saved to the journal when it answers.");
        // Said in the log too: a session that ends takes the box with it.
        std::fprintf(stderr, "estrivo: %s\n", qPrintable(text));
        std::fflush(stderr);
        auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("Estrivo (tm)"), text,
                                    QMessageBox::Ok);
        box->setInformativeText(QCoreApplication::translate("Journal", "Journal: %1\nKept in: %2")
                                    .arg(estrivo::displayLocation(journal->location()),
                                         estrivo::Outbox::folderFor(journal->location())));
        box->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(box, &QMessageBox::finished, qApp, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        box->open();
    };
    QObject::connect(watcher, &QFutureWatcher<void>::finished, journal, decide);
    QObject::connect(patience, &QTimer::timeout, journal, decide);
    patience->start(2s);
    watcher->setFuture(journal->whenIdle());
}

} // namespace

static int run(int argc, char *argv[])
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
    const estrivo::JournalLocation where
        = estrivo::resolveJournalLocation(parser.value(journalOption), demo);
    const estrivo::JournalCreation creation = creationFor(where);
    estrivo::JournalService journal(where.location, creation);
    // What an earlier run kept on this computer goes to the journal now.
    journal.deliverKept();
    estrivo::MainWindow window;
    window.setJournal(&journal);
    QObject::connect(
        &window, &estrivo::MainWindow::closed, &journal,
        [&journal] { quitWhenDelivered(&journal); }, Qt::QueuedConnection);
    if (instrument)
        window.choosePort(instrument->devicePath());
    window.show();
    const QString screenshot = qEnvironmentVariable("ESTRIVO_SCREENSHOT");
    if (creation == estrivo::JournalCreation::Nothing && !where.isPostgres()
        && estrivo::locationProblem(where.location).isEmpty() && screenshot.isEmpty())
        askForNewJournal(&window, &journal);

    // Without a display the run command asks for a picture of the window instead.
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

int main(int argc, char *argv[])
{
    const int code = run(argc, argv);
    // A journal that never answered holds a thread: what it was to save is in the outbox, and
    // nothing is gained by tearing the libraries down under it.
    if (estrivo::JournalService::threadsLeftBehind()) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
