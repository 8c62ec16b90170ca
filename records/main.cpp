// Program start: the command line first (it answers without a display), then the command's
// work or the window.
#include "command_line.h"
#include "command_runner.h"
#include "records_window.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

namespace {

void setNames()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Estrivo"));
    QCoreApplication::setApplicationName(QStringLiteral("estrivo-records"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ESTRIVO_VERSION));
    // The desktop's language where a catalogue for it is built in; English otherwise.
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(), QStringLiteral("estrivo-records"), QStringLiteral("_"),
                         QStringLiteral(":/estrivo-records/i18n")))
        QCoreApplication::installTranslator(translator);
}

// Labels are painted, which needs a display connection; cron has none, and the offscreen
// platform paints the same pages.
void paintWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Scripts read standard error as one line saying why; Qt's own notices (a missing runtime
// folder, font set-up) would come before it. Only its critical messages still pass.
void keepStandardErrorForReasons()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "estrivo-records: %s\n", text.toLocal8Bit().constData());
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const estrivo::CommandLine line = estrivo::parseCommandLine(arguments);

    using Action = estrivo::CommandLine::Action;
    switch (line.action) {
    case Action::Help:
    case Action::Version:
        std::fputs(line.text.toLocal8Bit().constData(), stdout);
        return estrivo::kExitOk;
    case Action::UsageError:
        std::fprintf(stderr, "estrivo-records: %s\nTry 'estrivo-records --help'.\n",
                     line.text.toLocal8Bit().constData());
        return estrivo::kExitUsage;
    case Action::Refused:
        std::fprintf(stderr, "estrivo-records: %s\n", line.text.toLocal8Bit().constData());
        return estrivo::kExitFailure;
    case Action::Export: {
        keepStandardErrorForReasons();
        QCoreApplication app(argc, argv);
        setNames();
        return estrivo::runExport(line);
    }
    case Action::Labels: {
        paintWithoutDisplay();
        keepStandardErrorForReasons();
        QGuiApplication app(argc, argv);
        setNames();
        return estrivo::runLabels(line);
    }
    case Action::Window:
        break;
    default:
        keepStandardErrorForReasons();
        if (line.paints()) {
            paintWithoutDisplay();
            QGuiApplication app(argc, argv);
            setNames();
            return estrivo::runRegisterCommand(line);
        }
        QCoreApplication app(argc, argv);
        setNames();
        return estrivo::runRegisterCommand(line);
    }

    QApplication app(argc, argv);
    setNames();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Estrivo Records"));
    QGuiApplication::setDesktopFileName(QStringLiteral("estrivo-records"));
    estrivo::RecordsWindow window(estrivo::resolveJournalLocation(line.journal, false).location);
    window.show();

    // Without a display a picture of the window can be had instead, once its rows are in.
    const QString screenshot = qEnvironmentVariable("ESTRIVO_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        const auto take = [&window, screenshot] {
            const bool saved = window.grab().save(screenshot, "PNG");
            std::printf("%s %s\n", saved ? "Window picture written to" : "Could not write",
                        qPrintable(QDir::toNativeSeparators(screenshot)));
            std::fflush(stdout);
            window.close();
        };
        QObject::connect(&window, &estrivo::RecordsWindow::journalOpened, &window, take,
                         Qt::QueuedConnection);
        QObject::connect(&window, &estrivo::RecordsWindow::journalFailed, &window, take,
                         Qt::QueuedConnection);
    }
    return QApplication::exec();
}
