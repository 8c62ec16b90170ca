// Printing through a real spooler. The test runs its own CUPS scheduler (cupsd in the
// foreground, with its own configuration, spool and socket in a temporary folder; the client
// side finds it through CUPS_SERVER, set before the application starts) with PDF queues from
// cups-pdf, the default one as the system's default printer. It checks the document Qt handed
// to the spooler (kept in the spool) and the PDF the queue wrote, and it stops the scheduler
// at the end, or the scheduler dies with the test. It skips, saying why, only when the
// scheduler cannot start on the machine.
#include "cups_sandbox.h"
#include "print_probe.h"
#include "snapshot_print.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <unistd.h>

using estrivo::PrintError;
using estrivo::PrintOutcome;
using estrivo::SnapshotPrinter;
using namespace printtest;

namespace {

const QString kPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
const QString kDefaultQueue = QStringLiteral("PDF");
constexpr int kSchedulerStartMs = 20000;
constexpr int kJobDoneMs = 60000; // the queue runs pdftops and Ghostscript
constexpr int kScreenDpi = 96;
constexpr double kPointsPerInch = 72.0;

} // namespace

class TestSpooledPrint : public QObject
{
    Q_OBJECT

public:
    explicit TestSpooledPrint(CupsSandbox &sandbox)
        : m_sandbox(sandbox)
    {}

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void printsToDefaultQueue();
    void setupChoosesQueueOrFile();
    void queueRefusingJobs();
    void jobRefusedOnArrival();
    void removedQueue();
    void schedulerGone();

private:
    void addQueue(const QString &name, const QStringList &options = {});
    void runAdmin(const QString &tool, const QStringList &arguments);
    void chooseInSetup(SnapshotPrinter &printer, const QString &entry, const QString &file,
                       QDialogButtonBox::StandardButton answer);
    QStringList writerOutputs() const;

    CupsSandbox &m_sandbox;
    std::unique_ptr<TestSheet> m_sheet;
    QString m_title;
    QStringList m_madeFiles;
    QTemporaryDir m_dir;
    int m_serial = 0;
};

void TestSpooledPrint::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (geteuid() != 0) {
        QSKIP("cupsd cannot start here: the PDF queue's backend only runs under a scheduler "
              "started as root");
    }
    QString why;
    if (!m_sandbox.start(&why))
        QSKIP(qPrintable(QStringLiteral("cupsd cannot start: %1").arg(why)));
    QTRY_VERIFY_WITH_TIMEOUT(m_sandbox.accepting() || !m_sandbox.running(), kSchedulerStartMs);
    if (!m_sandbox.accepting()) {
        QSKIP(qPrintable(QStringLiteral("cupsd cannot start: %1").arg(m_sandbox.diagnostics())));
    }
    QVERIFY2(QFile::exists(kPpd), "printer-driver-cups-pdf is not installed");

    addQueue(kDefaultQueue);
    runAdmin(QStringLiteral("lpadmin"), {QStringLiteral("-d"), kDefaultQueue});
}

void TestSpooledPrint::cleanupTestCase()
{
    // Let the queues finish what a failed test left behind, then take back every file the
    // writer made for this run.
    if (m_sandbox.accepting())
        QTRY_VERIFY_WITH_TIMEOUT(CupsSandbox::pendingJobCount() == 0, kJobDoneMs);
    m_title = QStringLiteral("estrivo-spool-%1-").arg(getpid());
    for (const QString &made : writerOutputs())
        QFile::remove(made);

    m_sandbox.requestStop();
    QTRY_VERIFY_WITH_TIMEOUT(m_sandbox.finished(), kSchedulerStartMs);
    m_sandbox.forceStop();
}

void TestSpooledPrint::init()
{
    // A title of its own for every print, so the queue's output file can be told apart.
    m_title = QStringLiteral("estrivo-spool-%1-%2")
                  .arg(getpid())
                  .arg(++m_serial, 3, 10, QLatin1Char('0'));
    m_sheet = std::make_unique<TestSheet>(QSize(320, 240), m_title);
    m_sheet->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_sheet.get()));
}

void TestSpooledPrint::cleanup()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        delete modal;
    m_sheet.reset();
    // The queue's PDF writer keeps its output outside our folder; take back what we made.
    for (const QString &made : writerOutputs())
        QFile::remove(made);
}

void TestSpooledPrint::runAdmin(const QString &tool, const QStringList &arguments)
{
    const ToolRun run = runTool(tool, arguments);
    QVERIFY2(run.succeeded(), qPrintable(tool + QLatin1Char(' ') + run.describe()));
}

void TestSpooledPrint::addQueue(const QString &name, const QStringList &options)
{
    runAdmin(QStringLiteral("lpadmin"),
             QStringList{QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                         QStringLiteral("cups-pdf:/"), QStringLiteral("-P"), kPpd} +
                 options);
}

QStringList TestSpooledPrint::writerOutputs() const
{
    // The writer builds its file names from the job title, so search by the unique part.
    const QDir out(CupsSandbox::pdfWriterOutputDirectory());
    const QString unique = m_title.section(QLatin1Char('-'), 2); // pid-serial, or pid-
    QStringList found;
    for (const QString &name :
         out.entryList({QLatin1Char('*') + unique + QStringLiteral("*.pdf")}, QDir::Files)) {
        found.append(out.filePath(name));
    }
    return found;
}

void TestSpooledPrint::chooseInSetup(SnapshotPrinter &printer, const QString &entry,
                                     const QString &file, QDialogButtonBox::StandardButton answer)
{
    QSignalSpy finished(&printer, &SnapshotPrinter::setupFinished);
    printer.openPrinterSetup(m_sheet.get());
    QTRY_VERIFY(qobject_cast<QPrintDialog *>(QApplication::activeModalWidget()));
    auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
    auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
    QVERIFY(printers);
    const int index = printers->findText(entry);
    QVERIFY2(index >= 0, qPrintable(entry + QStringLiteral(" is not offered")));
    printers->setCurrentIndex(index);
    if (!file.isEmpty()) {
        auto *fileName = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
        QVERIFY(fileName);
        fileName->setText(file);
    }
    QPushButton *button = dialog->findChild<QDialogButtonBox *>()->button(answer);
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.first().value(0).toBool(), answer == QDialogButtonBox::Ok);
}

void TestSpooledPrint::printsToDefaultQueue()
{
    // The system's default printer is the one this run starts with.
    SnapshotPrinter printer;
    QCOMPARE(printer.printer().outputFormat(), QPrinter::NativeFormat);
    QCOMPARE(printer.printer().printerName(), kDefaultQueue);

    const QImage picture = estrivo::snapshotWindow(m_sheet.get());
    const QList<int> before = CupsSandbox::jobIds(kDefaultQueue);
    QElapsedTimer handedOver;
    handedOver.start();
    const PrintOutcome outcome = printer.printWindow(m_sheet.get());
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
    qInfo("handed to the spooler in %lld ms", handedOver.elapsed());

    // Exactly one job, and the document it carries is the window picture on one page.
    const QList<int> after = CupsSandbox::jobIds(kDefaultQueue);
    QCOMPARE(after.size(), before.size() + 1);
    const QString document = m_sandbox.jobFile(after.last());
    QVERIFY2(QFile::exists(document), qPrintable(document));
    QCOMPARE(pdfPageCount(document), 1);
    const QList<PdfImage> sent = pdfImages(document);
    QCOMPARE(sent.size(), 1);
    QCOMPARE(QSize(sent[0].width, sent[0].height), picture.size());
    QCOMPARE(sent[0].encoding, QStringLiteral("image"));
    QCOMPARE(sent[0].xPpi, kScreenDpi); // its own size: 15 twips a pixel

    // The queue turns it into a PDF of one page holding the same picture, pixel for pixel,
    // at the top-left corner of the printable area.
    QTRY_COMPARE_WITH_TIMEOUT(writerOutputs().size(), 1, kJobDoneMs);
    const QString written = writerOutputs().first();
    QTRY_VERIFY_WITH_TIMEOUT(pdfPageCount(written) == 1, kJobDoneMs); // written to the end
    const QList<PdfImage> printed = pdfImages(written);
    QCOMPARE(printed.size(), 1);
    QCOMPARE(QSize(printed[0].width, printed[0].height), picture.size());

    constexpr int kScale = 4;
    const QRectF printable = printer.printer().pageLayout().paintRect(QPageLayout::Point);
    const QPoint corner = (printable.topLeft() * (kScreenDpi * kScale / kPointsPerInch)).toPoint();
    const QImage rendered =
        renderFirstPage(written, kScreenDpi * kScale, QRect(corner, picture.size() * kScale));
    QCOMPARE(rendered.size(), picture.size() * kScale);
    QCOMPARE(differingPixels(picture, rendered, kScale), 0);
}

void TestSpooledPrint::setupChoosesQueueOrFile()
{
    addQueue(QStringLiteral("Spare"));
    SnapshotPrinter printer;
    QCOMPARE(printer.printer().printerName(), kDefaultQueue);
    const int onDefault = int(CupsSandbox::jobIds(kDefaultQueue).size());
    const int onSpare = int(CupsSandbox::jobIds(QStringLiteral("Spare")).size());

    // Confirming another queue sends the next print there.
    chooseInSetup(printer, QStringLiteral("Spare"), {}, QDialogButtonBox::Ok);
    if (QTest::currentTestFailed())
        return;
    PrintOutcome outcome = printer.printWindow(m_sheet.get());
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
    QCOMPARE(CupsSandbox::jobIds(QStringLiteral("Spare")).size(), onSpare + 1);
    QCOMPARE(CupsSandbox::jobIds(kDefaultQueue).size(), onDefault);

    // Choosing the default queue again but cancelling leaves prints on the spare one.
    chooseInSetup(printer, kDefaultQueue, {}, QDialogButtonBox::Cancel);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(printer.printer().printerName(), QStringLiteral("Spare"));
    outcome = printer.printWindow(m_sheet.get());
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
    QCOMPARE(CupsSandbox::jobIds(QStringLiteral("Spare")).size(), onSpare + 2);
    QCOMPARE(CupsSandbox::jobIds(kDefaultQueue).size(), onDefault);

    // A PDF file chosen and confirmed takes the next print, and the spooler sees none.
    const QString pdf = m_dir.filePath(QStringLiteral("chosen.pdf"));
    chooseInSetup(printer, QStringLiteral("Print to File (PDF)"), pdf, QDialogButtonBox::Ok);
    if (QTest::currentTestFailed())
        return;
    outcome = printer.printWindow(m_sheet.get());
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
    QCOMPARE(pdfPageCount(pdf), 1);
    QCOMPARE(CupsSandbox::jobIds(QStringLiteral("Spare")).size(), onSpare + 2);
    QCOMPARE(CupsSandbox::jobIds(kDefaultQueue).size(), onDefault);

    // Picking a queue over the file and cancelling keeps the file.
    QVERIFY(QFile::remove(pdf));
    chooseInSetup(printer, kDefaultQueue, {}, QDialogButtonBox::Cancel);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(printer.printer().outputFormat(), QPrinter::PdfFormat);
    QCOMPARE(printer.printer().outputFileName(), pdf);
    outcome = printer.printWindow(m_sheet.get());
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
    QCOMPARE(pdfPageCount(pdf), 1);
    QCOMPARE(CupsSandbox::jobIds(kDefaultQueue).size(), onDefault);

    // The spare queue's jobs wrote their files too; wait for them so cleanup finds them.
    QTRY_COMPARE_WITH_TIMEOUT(writerOutputs().size(), 2, kJobDoneMs);
}

void TestSpooledPrint::queueRefusingJobs()
{
    SnapshotPrinter printer;
    runAdmin(QStringLiteral("cupsreject"), {kDefaultQueue});
    const int before = int(CupsSandbox::jobIds(kDefaultQueue).size());
    const PrintOutcome refused = printer.printWindow(m_sheet.get());
    runAdmin(QStringLiteral("cupsaccept"), {kDefaultQueue});
    QCOMPARE(refused.error, PrintError::SpoolerRefused);
    QVERIFY2(refused.detail.contains(kDefaultQueue), qPrintable(refused.detail));
    QCOMPARE(CupsSandbox::jobIds(kDefaultQueue).size(), before);

    // Once the queue takes jobs again, so does the printer.
    const PrintOutcome printed = printer.printWindow(m_sheet.get());
    QVERIFY2(printed.ok(), qPrintable(printed.detail));
    QCOMPARE(CupsSandbox::jobIds(kDefaultQueue).size(), before + 1);
    QTRY_COMPARE_WITH_TIMEOUT(writerOutputs().size(), 1, kJobDoneMs);
}

void TestSpooledPrint::jobRefusedOnArrival()
{
    // A queue with a quota of one kilobyte takes one job, then turns the next away as it
    // arrives; nothing about the queue says so beforehand.
    const QString quota = QStringLiteral("Quota");
    addQueue(quota, {QStringLiteral("-o"), QStringLiteral("job-k-limit=1"), QStringLiteral("-o"),
                     QStringLiteral("job-quota-period=604800")});
    SnapshotPrinter printer;
    printer.printer().setPrinterName(quota);
    QCOMPARE(printer.printer().printerName(), quota);

    const PrintOutcome first = printer.printWindow(m_sheet.get());
    QVERIFY2(first.ok(), qPrintable(first.detail));
    const PrintOutcome second = printer.printWindow(m_sheet.get());
    QCOMPARE(second.error, PrintError::SpoolerRefused);
    QVERIFY2(second.detail.contains(QStringLiteral("Quota limit")), qPrintable(second.detail));
    QCOMPARE(CupsSandbox::jobIds(quota).size(), 1);

    // The refusal belongs to that job alone: the next print elsewhere goes through.
    printer.printer().setPrinterName(kDefaultQueue);
    const PrintOutcome elsewhere = printer.printWindow(m_sheet.get());
    QVERIFY2(elsewhere.ok(), qPrintable(elsewhere.detail));
    QTRY_COMPARE_WITH_TIMEOUT(writerOutputs().size(), 2, kJobDoneMs);
}

void TestSpooledPrint::removedQueue()
{
    const QString gone = QStringLiteral("Gone");
    addQueue(gone);
    SnapshotPrinter printer;
    printer.printer().setPrinterName(gone);
    QCOMPARE(printer.printer().printerName(), gone);
    runAdmin(QStringLiteral("lpadmin"), {QStringLiteral("-x"), gone});

    const PrintOutcome outcome = printer.printWindow(m_sheet.get());
    QCOMPARE(outcome.error, PrintError::InvalidPrinter);
    QVERIFY2(outcome.detail.contains(gone), qPrintable(outcome.detail));
}

void TestSpooledPrint::schedulerGone()
{
    // The spooler stops during the run: the next print reports that nothing is there to
    // print on, at once.
    SnapshotPrinter printer;
    QCOMPARE(printer.printer().printerName(), kDefaultQueue);
    m_sandbox.requestStop();
    QTRY_VERIFY_WITH_TIMEOUT(m_sandbox.finished(), kSchedulerStartMs);

    QElapsedTimer elapsed;
    elapsed.start();
    const PrintOutcome outcome = printer.printWindow(m_sheet.get());
    QVERIFY(elapsed.elapsed() < 5000);
    QCOMPARE(outcome.error, PrintError::NoPrinter);
    QVERIFY(!outcome.detail.isEmpty());
}

int main(int argc, char **argv)
{
    // Before the application: Qt's printer support asks the spooler from its first printer.
    CupsSandbox sandbox;
    QApplication app(argc, argv);
    TestSpooledPrint test(sandbox);
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_spooled_print.moc"
