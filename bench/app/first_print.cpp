// The first Print of a run as the operator meets it: the program's window is built and shown,
// and once it has been drawn its Print button is clicked. Prints the time from the click to
// the job handed to the spooler (or the failure shown), with the sheet saved into a journal,
// then ends.
#include "journal_service.h"
#include "main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

// Clicks Print once, after the window's first paint: the picture is read back from the screen.
class FirstPrint : public QObject
{
public:
    explicit FirstPrint(QWidget *window)
        : QObject(window)
        , m_window(window)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint) {
            m_window->removeEventFilter(this);
            QTimer::singleShot(0, this, &FirstPrint::click);
        }
        return false;
    }

private:
    void click()
    {
        auto *print = m_window->findChild<QAbstractButton *>(QStringLiteral("PrintButton"));
        if (!print) {
            std::fputs("no PrintButton in the window\n", stderr);
            QApplication::exit(1);
            return;
        }
        QElapsedTimer clock;
        clock.start();
        print->click(); // returns once the job is spooled or its failure is on the screen
        std::printf("first print %.1f ms\n", double(clock.nsecsElapsed()) / 1e6);
        std::fflush(stdout);
        QApplication::exit(0);
    }

    QWidget *m_window;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Estrivo"));
    // As in the program, the print is also kept in a journal (on its own thread).
    QTemporaryDir folder;
    estrivo::JournalService journal(folder.filePath(QStringLiteral("journal.sqlite")));
    estrivo::MainWindow window;
    window.setJournal(&journal);
    new FirstPrint(&window);
    window.show();
    return QApplication::exec();
}
