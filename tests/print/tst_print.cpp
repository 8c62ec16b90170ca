// The size the window picture is drawn at, and printing through a CUPS scheduler of the test's
// own (found through CUPS_SERVER), which also tells whether the program asks it anything before
// the first print; it skips, saying why, only where the scheduler cannot start.
#include "print_probe.h"
#include "private_cups.h"
#include "snapshot_print.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

using namespace estrivo;
using namespace printtest;
using Button = QDialogButtonBox::StandardButton;

// The queue's jobs, finished or not, oldest first, as "PDF-3" and so on.
static QStringList jobs(const QString &queue)
{
    QByteArray listing;
    run(u"lpstat -W all -o "_s + queue, &listing);
    QStringList ids;
    for (const QByteArray &line : listing.split('\n'))
        if (!line.isEmpty())
            ids << QString::fromUtf8(line.left(line.indexOf(' ')));
    std::sort(ids.begin(), ids.end(), [](const QString &a, const QString &b) {
        return a.section(u'-', -1).toInt() < b.section(u'-', -1).toInt();
    });
    return ids;
}

static int jobCount(const QString &queue)
{
    return int(jobs(queue).size());
}

// A request of the test's own; the scheduler serves and logs requests one after another, so
// once it is in the log, so is everything asked before it.
const QString kOwnRequest = u"POST / CUPS-Get-Default"_s;

class TestPrint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void drawnSize_data();
    void drawnSize();
    void setUpAtFirstUse();
    void programStartsWithoutPrintSystem();
    void printsWhereChosen();
    void landscapeSetup();
    void failuresAreReported(); // stops the scheduler; the next test gets it back

private:
    void startScheduler();
    QString spooled(const QString &job) const // the spool file of a job such as "PDF-3"
    {
        return m_root.filePath(
            u"spool/d%1-001"_s.arg(job.section(u'-', -1).toInt(), 5, 10, QChar(u'0')));
    }
    void admin(const QString &command) { QCOMPARE(run(command), QString()); }
    qint64 logEnd() const { return QFileInfo(m_root.filePath(u"access_log"_s)).size(); }
    QStringList requestsSince(qint64 logPosition) const;

    QTemporaryDir m_root;
    QProcess m_scheduler;
    std::unique_ptr<QWidget> m_sheet = newSheet(QSize(800, 600)); // wider than A4 at 96 dpi
};

void TestPrint::initTestCase()
{
    QCOMPARE(testsupport::preparePrivateCups(m_root.path()), QString());
    startScheduler();
    m_sheet->show();
}

// The scheduler and its queues as every test expects them, in whatever order the tests run.
void TestPrint::startScheduler()
{
    testsupport::startPrivateCups(m_scheduler, m_root.path());
    QTRY_VERIFY_WITH_TIMEOUT(run(u"lpstat -o"_s).isEmpty() // once it listens
                                 || m_scheduler.state() == QProcess::NotRunning,
                             20000);
    if (m_scheduler.state() == QProcess::NotRunning)
        QSKIP(qPrintable(u"cupsd cannot start: "_s + m_scheduler.readAllStandardError()));
    // Stopped queues keep their jobs in the spool and need no writer only root may run.
    for (const char *queue : {"PDF", "Spare", "Quota"})
        admin(u"lpadmin -p %1 -E -v file:/dev/null -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"_s
                  .arg(QLatin1String(queue)));
    admin(u"cupsdisable PDF Spare Quota"_s);
    admin(u"lpadmin -d PDF"_s);
    // A one-kilobyte quota turns the second job away as it arrives, unannounced beforehand.
    admin(u"lpadmin -p Quota -o job-k-limit=1 -o job-quota-period=604800"_s);
    admin(u"cancel -a -x Quota"_s); // its allowance starts afresh
}

void TestPrint::cleanup()
{
    if (m_scheduler.state() == QProcess::NotRunning)
        startScheduler();
}

void TestPrint::drawnSize_data()
{
    QTest::addColumn<double>("page");
    QTest::addColumn<QSizeF>("window");
    QTest::addColumn<QSize>("drawn");
    // In twips: only a window wider than the page is fitted to its width; halves go to even.
    const struct
    {
        const char *name;
        double page;
        QSizeF window;
        QSize drawn;
    } rows[] = {
        {"narrower, not enlarged", 11520, {9000, 6000}, {9000, 6000}},
        {"as wide as the page", 10800, {10800, 7200}, {10800, 7200}},
        {"own size, halves to even", 11520, {4830.5, 7501.5}, {4830, 7502}},
        {"wider, scaled", 10800, {12000, 9000}, {10800, 8100}},
        {"fitted 5062.5 down to even", 10800, {14400, 6750}, {10800, 5062}},
        {"fitted 5065.5 up to even", 10800, {14400, 6754}, {10800, 5066}},
        {"page width half to even", 10801.5, {12000, 9000}, {10802, 8101}},
        {"taller than the page", 10800, {9000, 30000}, {9000, 30000}},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << row.page << row.window << row.drawn;
}

void TestPrint::drawnSize()
{
    QFETCH(double, page);
    QFETCH(QSizeF, window);
    QFETCH(QSize, drawn);
    const DrawnSize size = estrivo::drawnSize(page, window.width(), window.height());
    QCOMPARE(QSize(size.width, size.height), drawn);
}

// Each request in the scheduler's log from `logPosition` on, as method, path and operation.
QStringList TestPrint::requestsSince(qint64 logPosition) const
{
    QFile log(m_root.filePath(u"access_log"_s));
    if (!log.open(QIODevice::ReadOnly) || !log.seek(logPosition))
        return {u"no access log"_s};
    // localhost - - [date] "POST / HTTP/1.1" 200 72 CUPS-Get-Default successful-ok
    static const QRegularExpression request(u"\"(\\S+) (\\S+) [^\"]*\" \\d+ \\S+ (\\S+)"_s);
    QStringList requests;
    for (const QByteArray &line : log.readAll().split('\n')) {
        if (const auto match = request.match(QString::fromUtf8(line)); match.hasMatch())
            requests << match.captured(1) + u' ' + match.captured(2) + u' ' + match.captured(3);
    }
    return requests;
}

void TestPrint::setUpAtFirstUse()
{
    // Made and kept without a request; the first use sets up the default printer, which asks.
    qint64 mark = logEnd();
    SnapshotPrinter printer;
    admin(u"lpstat -d"_s);
    QTRY_COMPARE(requestsSince(mark), QStringList{kOwnRequest});
    mark = logEnd();
    QCOMPARE(printer.printer().printerName(), u"PDF"_s);
    admin(u"lpstat -d"_s);
    QTRY_COMPARE(requestsSince(mark).endsWith(kOwnRequest), true);
    QCOMPARE_GT(requestsSince(mark).size(), 1);
}

void TestPrint::programStartsWithoutPrintSystem()
{
    // The program builds its window, shows it, takes its picture and closes: not one request
    // to the scheduler, and neither Qt's print support nor libcups loaded.
    const qint64 mark = logEnd();
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"ESTRIVO_SCREENSHOT"_s, m_root.filePath(u"window.png"_s));
    environment.insert(u"LD_DEBUG"_s, u"files"_s); // the loader names each library it loads
    program.setProcessEnvironment(environment);
    QSignalSpy finished(&program, &QProcess::finished);
    program.start(QStringLiteral(ESTRIVO_PROGRAM), {});
    QVERIFY2(finished.wait(60000), qPrintable(program.errorString()));
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(program.readAllStandardOutput().startsWith("Window picture written"));
    admin(u"lpstat -d"_s);
    QTRY_COMPARE(requestsSince(mark), QStringList{kOwnRequest});

    static const QRegularExpression loadedFile(u"\\sfile=(\\S+) \\["_s);
    const QString trace = QString::fromLocal8Bit(program.readAllStandardError());
    QStringList loaded;
    for (const QRegularExpressionMatch &match : loadedFile.globalMatch(trace))
        loaded << QFileInfo(match.captured(1)).fileName();
    QVERIFY2(loaded.contains(u"libQt6Widgets.so.6"_s), qPrintable(loaded.join(u' ')));
    const QStringList printing = loaded.filter(QRegularExpression(u"PrintSupport|cups"_s));
    QCOMPARE(printing, QStringList());
}

void TestPrint::printsWhereChosen()
{
    // At first to the default printer: fitted to the width at the printable area's corner.
    SnapshotPrinter printer;
    printer.printer().setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                                QMarginsF(20, 20, 20, 20), QPageLayout::Point));
    const int onPdf = jobCount(u"PDF"_s), onSpare = jobCount(u"Spare"_s);
    QCOMPARE(printer.printWindow(m_sheet.get()).detail, QString());
    QCOMPARE(jobCount(u"PDF"_s), onPdf + 1);
    const double width = printer.printer().pageLayout().paintRect(QPageLayout::Point).width();
    QCOMPARE(pageMismatch(spooled(jobs(u"PDF"_s).constLast()), snapshotWindow(m_sheet.get()),
                          QRectF(20, 20, width, width * 0.75)),
             QString());
    // Then where the setup sends it; a cancel undoes the dialog's switch as soon as picked.
    const struct
    {
        QString entry;
        Button answer;
        int onSpare;
        bool toFile;
    } steps[] = {
        {u"Spare"_s, QDialogButtonBox::Ok, 1, false},
        {u"PDF"_s, QDialogButtonBox::Cancel, 2, false},
        {u"Print to File (PDF)"_s, QDialogButtonBox::Ok, 2, true},
        {u"PDF"_s, QDialogButtonBox::Cancel, 2, true},
    };
    const QString pdf = m_root.filePath(u"chosen.pdf"_s);
    for (const auto &step : steps) {
        printer.openPrinterSetup(m_sheet.get()); // not blocking
        QTRY_VERIFY(qobject_cast<QPrintDialog *>(QApplication::activeModalWidget()));
        auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        auto *tabs = dialog->findChild<QTabWidget *>(u"tabs"_s); // in its setup form, no copies
        QCOMPARE(tabs->indexOf(dialog->findChild<QWidget *>(u"copiesTab"_s)), -1);
        auto *printers = dialog->findChild<QComboBox *>(u"printers"_s);
        printers->setCurrentIndex(printers->findText(step.entry));
        dialog->findChild<QLineEdit *>(u"filename"_s)->setText(pdf);
        dialog->findChild<QDialogButtonBox *>()->button(step.answer)->click();
        QFile::remove(pdf);
        QCOMPARE(printer.printWindow(m_sheet.get()).detail, QString());
        QCOMPARE(jobCount(u"Spare"_s), onSpare + step.onSpare);
        QCOMPARE(QFile::exists(pdf), step.toFile);
    }
}

void TestPrint::landscapeSetup()
{
    // Confirmed in landscape, the page is wider than the sheet (600 points): drawn at its own
    // size, where a portrait page would have scaled it down.
    SnapshotPrinter printer;
    printer.printer().setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                                QMarginsF(20, 20, 20, 20), QPageLayout::Point));
    printer.openPrinterSetup(m_sheet.get());
    QTRY_VERIFY(qobject_cast<QPrintDialog *>(QApplication::activeModalWidget()));
    auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
    auto *printers = dialog->findChild<QComboBox *>(u"printers"_s);
    printers->setCurrentIndex(printers->findText(u"Spare"_s));
    // The page's properties are a dialog of their own, run modally from the button.
    QTimer::singleShot(0, dialog, [] {
        auto *properties = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(properties);
        properties->findChild<QRadioButton *>(u"landscape"_s)->click();
        properties->accept();
    });
    dialog->findChild<QPushButton *>(u"properties"_s)->click();
    QSignalSpy finished(&printer, &SnapshotPrinter::setupFinished);
    dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(finished.value(0).value(0).toBool(), true);
    QCOMPARE(printer.printer().pageLayout().orientation(), QPageLayout::Landscape);

    QCOMPARE(printer.printWindow(m_sheet.get()).detail, QString());
    const QRectF paint = printer.printer().pageLayout().paintRect(QPageLayout::Point);
    QCOMPARE_GT(paint.width(), 600.0);
    const QImage picture = snapshotWindow(m_sheet.get());
    QCOMPARE(pageMismatch(spooled(jobs(u"Spare"_s).constLast()), picture,
                          QRectF(paint.topLeft(), QSizeF(600, 450))),
             QString());
}

void TestPrint::failuresAreReported()
{
    // A job the spooler turns away, a queue gone: only that print fails.
    SnapshotPrinter printer;
    printer.printer().setPrinterName(u"Quota"_s);
    QCOMPARE(printer.printWindow(m_sheet.get()).detail, QString());
    QCOMPARE(printer.printWindow(m_sheet.get()).error, PrintError::SpoolerRefused);
    admin(u"lpadmin -x Quota"_s);
    QCOMPARE(printer.printWindow(m_sheet.get()).error, PrintError::InvalidPrinter);
    printer.printer().setPrinterName(u"PDF"_s);
    QCOMPARE(printer.printWindow(m_sheet.get()).detail, QString());
    // The spooler gone during the run, or not there when it starts; a file that cannot be made.
    m_scheduler.terminate();
    QTRY_COMPARE(m_scheduler.state(), QProcess::NotRunning);
    // Said as it is: the service does not answer, not that no printer is installed.
    const PrintOutcome gone = printer.printWindow(m_sheet.get());
    QCOMPARE(gone.error, PrintError::NoPrinter);
    QCOMPARE(gone.detail, u"The print service does not answer (is CUPS running?)."_s);
    SnapshotPrinter none;
    const PrintOutcome never = none.printWindow(m_sheet.get());
    QCOMPARE(never.error, PrintError::NoPrinter);
    QCOMPARE(never.detail, u"The print service does not answer (is CUPS running?). Printer Setup "
                           "can print to a PDF file."_s);
    none.printer().setOutputFileName(m_root.filePath(u"missing/sheet.pdf"_s));
    QCOMPARE(none.printWindow(m_sheet.get()).error, PrintError::DocumentNotOpened);
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
