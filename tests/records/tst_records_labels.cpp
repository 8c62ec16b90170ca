// Dose labels printed by the program's labels command through a CUPS scheduler of the test's
// own (cupsd as root, reached through CUPS_SERVER) whose queues are stopped, so each job stays
// in the spool as the PDF it was handed over as: one page a dose, each the label's size, and
// each QR code read back by zbarimg as the record id and the dose (tst_records_marking reads the
// marking and the codes of a station with an approval number).
#include "labels.h"
#include "private_cups.h"
#include "records_fixture.h"

#include <QTemporaryDir>

using namespace estrivo;
using namespace recordstest;

class TestRecordsLabels : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void noQueueYet();
    void addQueues(); // for the tests after it
    void spooledLabels_data();
    void spooledLabels();

private:
    QProcess *labels(const QString &arguments);
    QStringList spooledDocuments() const;
    void admin(const QString &command, const QStringList &arguments)
    {
        QCOMPARE(toolOutput(command, arguments), QByteArray());
    }

    QTemporaryDir m_root;
    QProcess m_scheduler;
    QString m_journal;
    QList<SheetRecord> m_sheets;
    std::unique_ptr<QProcess> m_run;
};

void TestRecordsLabels::initTestCase()
{
    QCOMPARE(testsupport::preparePrivateCups(m_root.path()), QString());
    testsupport::startPrivateCups(m_scheduler, m_root.path());
    QVERIFY(m_scheduler.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(toolOutput(u"lpstat"_s, {u"-r"_s}) == "scheduler is running\n"
                                 || m_scheduler.state() == QProcess::NotRunning,
                             20000);
    QVERIFY2(m_scheduler.state() == QProcess::Running, m_scheduler.readAllStandardError());

    m_journal = m_root.filePath(u"journal.sqlite"_s);
    m_sheets = fillJournal(m_journal, 12);
    QCOMPARE(m_sheets.size(), 12);
    // A sheet whose doses, mistyped, would run out a roll of labels.
    SheetRecord many = generatedSheet(12);
    many.text(Field::NumDoses) = u"100000"_s;
    QVERIFY(Journal(m_journal).saveSheet(many).ok());
    m_sheets << many;
}

QProcess *TestRecordsLabels::labels(const QString &arguments)
{
    m_run = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // As cron runs it: no display, no platform chosen.
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    environment.remove(u"QT_QPA_PLATFORM"_s);
    m_run->setProcessEnvironment(environment);
    m_run->start(QStringLiteral(ESTRIVO_RECORDS),
                 (u"labels "_s + arguments).split(u' ', Qt::SkipEmptyParts)
                     + QStringList{u"--journal"_s, m_journal});
    m_run->waitForFinished(60000);
    return m_run.get();
}

QStringList TestRecordsLabels::spooledDocuments() const
{
    return QDir(m_root.filePath(u"spool"_s)).entryList({u"d*-001"_s}, QDir::Files, QDir::Name);
}

void TestRecordsLabels::noQueueYet()
{
    // The scheduler answers and knows no printer: that is what is said, not that it is down.
    QProcess *run = labels(QString::number(m_sheets[2].id));
    QCOMPARE(QString::fromLocal8Bit(run->readAllStandardError()),
             u"estrivo-records: No printer is installed.\n"_s);
    QCOMPARE(run->exitCode(), 1);
}

void TestRecordsLabels::addQueues()
{
    // Stopped queues keep their jobs in the spool and need no writer only root may run.
    for (const QString &queue : {u"Labels"_s, u"Refusing"_s}) {
        admin(u"lpadmin"_s, {u"-p"_s, queue, u"-E"_s, u"-v"_s, u"file:/dev/null"_s, u"-P"_s,
                             u"/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"_s});
    }
    admin(u"cupsdisable"_s, {u"Labels"_s, u"Refusing"_s});
    admin(u"cupsreject"_s, {u"Refusing"_s});
    admin(u"lpadmin"_s, {u"-d"_s, u"Labels"_s});
    QCOMPARE(toolOutput(u"lpstat"_s, {u"-d"_s}), "system default destination: Labels\n");
}

void TestRecordsLabels::spooledLabels_data()
{
    QTest::addColumn<int>("sheet"); // index into the journal's sheets
    QTest::addColumn<QString>("options");
    QTest::addColumn<int>("pages");        // -1: the sheet's Total Doses Possible; 0: refused
    QTest::addColumn<QString>("result");   // page size as pdfinfo gives it, or standard error
    QTest::addColumn<QString>("lastDose"); // the last label's dose line; empty: not looked at

    QTest::newRow("default printer, count and size")
        << 2 << QString() << -1 << u"176 x 82 pts"_s << QString();
    QTest::newRow("chosen count, printer and size")
        << 4 << u"--count 3 --printer Labels --label-size 50x30mm"_s << 3 << u"142 x 85 pts"_s
        << u"Dose 3 of %1"_s.arg(m_sheets[4].text(Field::NumDoses).toInt());
    QTest::newRow("upright label")
        << 9 << u"--count 2 --label-size 29x62mm"_s << 2 << u"82 x 176 pts"_s << QString();
    QTest::newRow("not accepting jobs")
        << 1 << u"--printer Refusing"_s << 0
        << u"estrivo-records: The printer \"Refusing\" is not accepting jobs.\n"_s << QString();
    QTest::newRow("no such printer")
        << 1 << u"--printer Nowhere"_s << 0
        << u"estrivo-records: The printer \"Nowhere\" is not available.\n"_s << QString();
    // More than a hundred labels only when asked for, numbered against the doses.
    QTest::newRow("many doses, no count")
        << 12 << QString() << 0
        << u"estrivo-records: Sheet %1 holds 100000 doses; more than 100 labels are printed only "
           "with --count (at most 999 a run).\n"_s.arg(m_sheets[12].id)
        << QString();
    QTest::newRow("many doses, a count past a hundred")
        << 12 << u"--count 101"_s << 101 << u"176 x 82 pts"_s << u"Dose 101 of 100000"_s;
    QTest::newRow("more labels than doses")
        << 3 << u"--count %1"_s.arg(m_sheets[3].text(Field::NumDoses).toInt() + 2) << -2
        << u"176 x 82 pts"_s << u"Dose %1"_s.arg(m_sheets[3].text(Field::NumDoses).toInt() + 2);
}

void TestRecordsLabels::spooledLabels()
{
    QFETCH(int, sheet);
    QFETCH(QString, options);
    QFETCH(int, pages);
    QFETCH(QString, result);
    QFETCH(QString, lastDose);
    const SheetRecord &kept = m_sheets[sheet];
    if (pages < 0) {
        // -1: the sheet's Total Doses Possible; -2: two more than that.
        pages = kept.text(Field::NumDoses).toInt() + (pages == -2 ? 2 : 0);
        QVERIFY(pages > 1);
    }

    const QStringList before = spooledDocuments();
    QProcess *run = labels(QString::number(kept.id) + u' ' + options);
    const QStringList after = spooledDocuments();
    if (pages == 0) {
        QCOMPARE(QString::fromLocal8Bit(run->readAllStandardError()), result);
        QCOMPARE(run->exitCode(), 1);
        QCOMPARE(after, before);
        return;
    }
    QCOMPARE(run->readAllStandardError(), QByteArray());
    QCOMPARE(run->exitCode(), 0);
    QCOMPARE(after.size(), before.size() + 1);
    const QString pdf = m_root.filePath(u"spool/"_s + after.back());
    QCOMPARE(pdfInfo(pdf, u"Pages"_s), QString::number(pages));
    QCOMPARE(pdfInfo(pdf, u"Page size"_s), result);
    // Every code of a short run, the ends of a long one.
    QList<int> read;
    for (int page = 1; page <= pages; ++page) {
        if (pages <= 12 || page <= 2 || page > pages - 2)
            read << page;
    }
    for (int page : read) {
        const QByteArray code = pdfPageCodes(pdf, page, m_root.filePath(u"page.png"_s));
        // A journal without a station profile: no approval in the code.
        QCOMPARE(code, doseCode(kept.id, page) + '\n');
        QCOMPARE(readDoseCode(QString::fromLatin1(code)),
                 std::optional(ScannedDose{QString(), kept.id, page}));
    }
    if (!lastDose.isEmpty()) {
        const QString number = QString::number(pages);
        const QString text = QString::fromUtf8(
            toolOutput(u"pdftotext"_s, {u"-f"_s, number, u"-l"_s, number, pdf, u"-"_s}));
        QVERIFY2(text.contains(lastDose + u'\n'), qPrintable(text));
    }
}

QTEST_MAIN(TestRecordsLabels)
#include "tst_records_labels.moc"
