// Printing through a real spooler: the test runs a CUPS scheduler of its own in a temporary
// folder, found through CUPS_SERVER, with PDF queues from cups-pdf, one of them the default
// printer. It skips, saying why, only where the scheduler cannot run.
#include "print_probe.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPageLayout>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

using estrivo::PrintError;
using estrivo::PrintOutcome;
using estrivo::SnapshotPrinter;
using namespace printtest;

namespace {

const QString kPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
const QString kDefaultQueue = QStringLiteral("PDF");
const QString kSpareQueue = QStringLiteral("Spare");
constexpr int kJobDoneMs = 60000;       // the queue runs Ghostscript
constexpr int kPromptMs = 5000;         // a failure is reported at once, not after a hang
constexpr double kTwipsPerPixel = 15.0; // offscreen, at 96 dpi

bool writeFile(const QString &fileName, const QString &text)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size();
}

// Lays out a scheduler in `root` that lets anyone on its socket do anything (the socket is ours)
// and keeps the documents of its jobs, and points this process and the tools it runs at it.
// Before the application: libcups settles on its server at first use.
bool prepareScheduler(const QDir &root)
{
    for (const char *folder : {"conf/ppd", "spool", "tmp", "cache", "state", "log", "home"})
        root.mkpath(QLatin1String(folder));
    // The scheduler's filters run as the unprivileged "lp" user and must reach the spool.
    chmod(QFile::encodeName(root.path()).constData(), 0755);
    chmod(QFile::encodeName(root.filePath(QStringLiteral("tmp"))).constData(), 0777);
    const QString socket = root.filePath(QStringLiteral("cups.sock"));
    qputenv("CUPS_SERVER", socket.toLocal8Bit());
    qputenv("CUPS_SERVERROOT", root.filePath(QStringLiteral("conf")).toLocal8Bit());
    qputenv("HOME", root.filePath(QStringLiteral("home")).toLocal8Bit());
    qunsetenv("LPDEST");
    qunsetenv("PRINTER");
    return writeFile(root.filePath(QStringLiteral("conf/cupsd.conf")),
                     QStringLiteral("Listen %1\nBrowsing No\nWebInterface No\n"
                                    "DefaultAuthType None\nPreserveJobFiles Yes\n"
                                    "<Location />\nOrder allow,deny\nAllow all\n</Location>\n"
                                    "<Policy default>\n<Limit All>\nOrder deny,allow\n</Limit>\n"
                                    "</Policy>\n")
                         .arg(socket)) &&
           writeFile(root.filePath(QStringLiteral("conf/cups-files.conf")),
                     QStringLiteral("ServerRoot %1/conf\nRequestRoot %1/spool\nTempDir %1/tmp\n"
                                    "CacheDir %1/cache\nStateDir %1/state\nAccessLog %1/log/a\n"
                                    "ErrorLog %1/log/e\nPageLog %1/log/p\nPrintcap %1/printcap\n"
                                    "SystemGroup root\n")
                         .arg(root.path()));
}

// Runs a command line of words without spaces of their own; empty when it succeeded.
QString run(const QString &command, QByteArray *output = nullptr)
{
    const QStringList words = command.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return runTool(words.value(0), words.mid(1), output);
}

// How many jobs `queue` has had, finished ones included.
int jobCount(const QString &queue)
{
    QByteArray jobs;
    run(QStringLiteral("lpstat -W all -o ") + queue, &jobs);
    return int(jobs.count('\n'));
}

// The files the PDF writer made from jobs whose title contains `part`.
QStringList writerOutputs(const QString &part)
{
    QString out = QStringLiteral("/var/spool/cups-pdf/${USER}"); // unless its settings say
    QFile config(QStringLiteral("/etc/cups/cups-pdf.conf"));
    static const QRegularExpression outLine(QStringLiteral("^\\s*Out\\s+(\\S+)"),
                                            QRegularExpression::MultilineOption);
    if (config.open(QIODevice::ReadOnly)) {
        const auto match = outLine.match(QString::fromLocal8Bit(config.readAll()));
        out = match.hasMatch() ? match.captured(1) : out;
    }
    // Expanded from the job owner's account, not from our environment.
    if (const passwd *user = getpwuid(geteuid())) {
        out.replace(QStringLiteral("${HOME}"), QString::fromLocal8Bit(user->pw_dir));
        out.replace(QStringLiteral("${USER}"), QString::fromLocal8Bit(user->pw_name));
    }
    const QDir dir(out);
    QStringList found;
    for (const QString &name : dir.entryList({QLatin1Char('*') + part + QStringLiteral("*.pdf")}))
        found.append(dir.filePath(name));
    return found;
}

} // namespace

class TestSpooledPrint : public QObject
{
    Q_OBJECT

public:
    explicit TestSpooledPrint(const QDir &root)
        : m_root(root)
    {}

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void printsToDefaultQueue();
    void setupChoosesQueueOrFile();
    void refusalIsReported_data();
    void refusalIsReported();
    void schedulerGone();

private:
    void admin(const QString &command);
    void addQueue(const QString &name, const QString &options = {});
    void stopScheduler();

    QDir m_root;
    QProcess m_scheduler;
    std::unique_ptr<QWidget> m_sheet;
    QString m_run = QStringLiteral("estrivo-spool-%1-").arg(getpid());
    int m_serial = 0;
};

void TestSpooledPrint::initTestCase()
{
    if (geteuid() != 0)
        QSKIP("the PDF queue's writer only runs under a scheduler started as root");
    QVERIFY2(QFile::exists(kPpd), "printer-driver-cups-pdf is not installed");
    m_scheduler.setProcessChannelMode(QProcess::MergedChannels);
    // Should this test die without cleaning up, the scheduler goes with it.
    m_scheduler.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_scheduler.start(QStringLiteral("/usr/sbin/cupsd"),
                      QStringLiteral("-f -c %1/conf/cupsd.conf -s %1/conf/cups-files.conf")
                          .arg(m_root.path())
                          .split(QLatin1Char(' ')));
    // Asking for the jobs succeeds once the scheduler listens.
    QTRY_VERIFY_WITH_TIMEOUT(run(QStringLiteral("lpstat -o")).isEmpty() ||
                                 m_scheduler.state() == QProcess::NotRunning,
                             20000);
    if (m_scheduler.state() == QProcess::NotRunning) {
        QSKIP(qPrintable(QStringLiteral("cupsd cannot start: ") + m_scheduler.errorString() +
                         QString::fromLocal8Bit(m_scheduler.readAll())));
    }
    addQueue(kDefaultQueue);
    admin(QStringLiteral("lpadmin -d ") + kDefaultQueue);
}

void TestSpooledPrint::cleanupTestCase()
{
    // The writer keeps its files outside our folder; take back those of this run.
    stopScheduler();
    for (const QString &made : writerOutputs(m_run))
        QFile::remove(made);
}

void TestSpooledPrint::init()
{
    // A title of its own for every test, which names the writer's file.
    m_sheet = newSheet(QSize(320, 240),
                       m_run + QStringLiteral("%1").arg(++m_serial, 3, 10, QLatin1Char('0')));
    m_sheet->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_sheet.get()));
}

void TestSpooledPrint::admin(const QString &command)
{
    const QString failed = run(command);
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
}

void TestSpooledPrint::addQueue(const QString &name, const QString &options)
{
    admin(QStringLiteral("lpadmin -p %1 -E -v cups-pdf:/ -P %2 %3").arg(name, kPpd, options));
}

void TestSpooledPrint::stopScheduler()
{
    // The queues finish their jobs first, so that no half-written file is left behind.
    QByteArray pending = "?";
    QTRY_VERIFY_WITH_TIMEOUT(
        m_scheduler.state() == QProcess::NotRunning ||
            (run(QStringLiteral("lpstat -o"), &pending).isEmpty() && pending.isEmpty()),
        kJobDoneMs);
    m_scheduler.terminate();
    QTRY_COMPARE_WITH_TIMEOUT(m_scheduler.state(), QProcess::NotRunning, 20000);
}

void TestSpooledPrint::printsToDefaultQueue()
{
    // The system's default printer is the one this run starts with.
    SnapshotPrinter printer;
    QCOMPARE(printer.printer().outputFormat(), QPrinter::NativeFormat);
    QCOMPARE(printer.printer().printerName(), kDefaultQueue);
    const QImage picture = estrivo::snapshotWindow(m_sheet.get());
    const int before = jobCount(kDefaultQueue);
    const PrintOutcome outcome = printer.printWindow(m_sheet.get());
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
    QCOMPARE(jobCount(kDefaultQueue), before + 1);

    // The document handed over, kept in the spool, and the PDF the queue makes of it show the
    // picture at its own size at the printable area's corner.
    const QRectF placed(printer.printer().pageLayout().paintRect(QPageLayout::Point).topLeft(),
                        QSizeF(picture.size()) * kTwipsPerPixel / estrivo::kTwipsPerPoint);
    const QDir spool(m_root.filePath(QStringLiteral("spool")));
    const QString document = spool.filePath(spool.entryList({QStringLiteral("d*-001")}).last());
    QCOMPARE(pageMismatch(document, picture, placed), QString());
    QTRY_COMPARE_WITH_TIMEOUT(
        pageMismatch(writerOutputs(m_sheet->windowTitle()).value(0), picture, placed), QString(),
        kJobDoneMs);
}

void TestSpooledPrint::setupChoosesQueueOrFile()
{
    addQueue(kSpareQueue);
    const QString pdf = m_root.filePath(QStringLiteral("chosen.pdf"));
    // What the setup is answered, then where the next print goes. The dialog switches the
    // printer as soon as another is picked, so a cancel must bring the earlier one back.
    struct Step
    {
        QString entry;
        QString file;
        QDialogButtonBox::StandardButton answer;
        int onSpare; // jobs on the spare queue so far
        bool toFile;
    };
    const Step steps[] = {
        {kSpareQueue, {}, QDialogButtonBox::Ok, 1, false},
        {kDefaultQueue, {}, QDialogButtonBox::Cancel, 2, false},
        {kPrintToFile, pdf, QDialogButtonBox::Ok, 2, true},
        {kDefaultQueue, {}, QDialogButtonBox::Cancel, 2, true},
    };
    SnapshotPrinter printer;
    const int onDefault = jobCount(kDefaultQueue);
    const int onSpare = jobCount(kSpareQueue);
    for (const Step &step : steps) {
        answerSetup(printer, m_sheet.get(), step.entry, step.file, step.answer);
        if (QTest::currentTestFailed())
            return;
        QFile::remove(pdf);
        const PrintOutcome outcome = printer.printWindow(m_sheet.get());
        QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
        QCOMPARE(jobCount(kSpareQueue), onSpare + step.onSpare);
        QCOMPARE(jobCount(kDefaultQueue), onDefault);
        QCOMPARE(QFile::exists(pdf), step.toFile);
    }
}

void TestSpooledPrint::refusalIsReported_data()
{
    QTest::addColumn<QString>("queue");
    QTest::addColumn<QString>("options");    // the queue's own, for lpadmin
    QTest::addColumn<QString>("afterwards"); // an administrator's command once it is chosen
    QTest::addColumn<int>("taken");          // prints it takes before it refuses
    QTest::addColumn<PrintError>("error");
    QTest::addColumn<QString>("detail");

    QTest::newRow("not accepting jobs")
        << QStringLiteral("Closed") << QString() << QStringLiteral("cupsreject Closed") << 0
        << PrintError::SpoolerRefused << QStringLiteral("not accepting");
    // A quota of one kilobyte turns the second job away as it arrives, and nothing about the
    // queue says so beforehand.
    QTest::newRow("over its quota")
        << QStringLiteral("Quota") << QStringLiteral("-o job-k-limit=1 -o job-quota-period=604800")
        << QString() << 1 << PrintError::SpoolerRefused << QStringLiteral("Quota limit");
    QTest::newRow("queue removed")
        << QStringLiteral("Gone") << QString() << QStringLiteral("lpadmin -x Gone") << 0
        << PrintError::InvalidPrinter << QStringLiteral("Gone");
}

void TestSpooledPrint::refusalIsReported()
{
    QFETCH(QString, queue);
    QFETCH(QString, options);
    QFETCH(QString, afterwards);
    QFETCH(int, taken);
    QFETCH(PrintError, error);
    QFETCH(QString, detail);

    addQueue(queue, options);
    SnapshotPrinter printer;
    printer.printer().setPrinterName(queue);
    QCOMPARE(printer.printer().printerName(), queue);
    if (!afterwards.isEmpty())
        admin(afterwards);
    for (int print = 0; print < taken; ++print)
        QVERIFY(printer.printWindow(m_sheet.get()).ok());

    const PrintOutcome outcome = printer.printWindow(m_sheet.get());
    QCOMPARE(outcome.error, error);
    QVERIFY2(outcome.detail.contains(detail), qPrintable(outcome.detail));
    QCOMPARE(jobCount(queue), taken);

    // The refusal belongs to that print alone: the default queue takes the next one.
    printer.printer().setPrinterName(kDefaultQueue);
    const PrintOutcome next = printer.printWindow(m_sheet.get());
    QVERIFY2(next.ok(), qPrintable(next.detail));
}

void TestSpooledPrint::schedulerGone()
{
    // The spooler stops during the run: the next print says at once that there is no printer.
    SnapshotPrinter printer;
    QCOMPARE(printer.printer().printerName(), kDefaultQueue);
    stopScheduler();
    QElapsedTimer elapsed;
    elapsed.start();
    QCOMPARE(printer.printWindow(m_sheet.get()).error, PrintError::NoPrinter);
    QVERIFY(elapsed.elapsed() < kPromptMs);
}

int main(int argc, char **argv)
{
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/estrivo-cups-XXXXXX"));
    if (!root.isValid() || !prepareScheduler(QDir(root.path()))) {
        std::fprintf(stderr, "FAIL: no folder for the scheduler in %s\n", qPrintable(root.path()));
        return 1;
    }
    QApplication app(argc, argv);
    TestSpooledPrint test(QDir(root.path()));
    return QTest::qExec(&test, argc, argv);
}

#include "tst_spooled_print.moc"
