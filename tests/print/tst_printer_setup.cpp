// Printer setup and the failures of a machine without printers. CTest points the spooler
// client at a socket nobody listens on, so no printer is installed whatever the machine has.
#include "print_probe.h"
#include "snapshot_print.h"

#include <QApplication>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

using estrivo::PrintError;
using estrivo::PrintOutcome;
using estrivo::SnapshotPrinter;
using namespace printtest;

namespace {

constexpr qint64 kPromptMs = 5000; // a failure is reported at once, never after a hang

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QPushButton *dialogButton(QPrintDialog *dialog, QDialogButtonBox::StandardButton which)
{
    auto *buttons = dialog->findChild<QDialogButtonBox *>();
    return buttons ? buttons->button(which) : nullptr;
}

} // namespace

class TestPrinterSetup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void noPrinterIsReported_data();
    void noPrinterIsReported();
    void setupFormOnly();
    void cancelChangesNothing();
    void confirmedFileTakesNextPrints();

private:
    void openSetup(SnapshotPrinter &printer, QPrintDialog **dialog);
    void chooseFile(QPrintDialog *dialog, const QString &path);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestSheet> m_sheet;
};

void TestPrinterSetup::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_sheet = std::make_unique<TestSheet>(QSize(320, 240));
    m_sheet->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_sheet.get()));
}

void TestPrinterSetup::cleanup()
{
    // A dialog a failed test left open must not block the next one.
    if (QWidget *modal = QApplication::activeModalWidget())
        delete modal;
    m_sheet.reset();
}

void TestPrinterSetup::openSetup(SnapshotPrinter &printer, QPrintDialog **dialog)
{
    *dialog = nullptr;
    printer.openPrinterSetup(m_sheet.get());
    // open() returns at once; the dialog then stands over the window until it is answered.
    QTRY_VERIFY(qobject_cast<QPrintDialog *>(QApplication::activeModalWidget()));
    *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
    QCOMPARE((*dialog)->parentWidget(), m_sheet.get());
    QCOMPARE((*dialog)->windowModality(), Qt::WindowModal);
}

void TestPrinterSetup::chooseFile(QPrintDialog *dialog, const QString &path)
{
    auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
    auto *fileName = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
    QVERIFY(printers && fileName);
    const int toFile = printers->findText(QStringLiteral("Print to File (PDF)"));
    QVERIFY2(toFile >= 0, "the dialog offers no PDF file");
    printers->setCurrentIndex(toFile);
    QVERIFY(fileName->isEnabled());
    fileName->setText(path);
}

void TestPrinterSetup::noPrinterIsReported_data()
{
    QTest::addColumn<QString>("printerName");
    QTest::addColumn<PrintError>("error");

    QTest::newRow("nothing installed") << QString() << PrintError::NoPrinter;
    QTest::newRow("a printer name nobody has")
        << QStringLiteral("Nowhere") << PrintError::NoPrinter;
}

void TestPrinterSetup::noPrinterIsReported()
{
    QFETCH(QString, printerName);
    QFETCH(PrintError, error);

    SnapshotPrinter printer;
    if (!printerName.isEmpty())
        printer.printer().setPrinterName(printerName);

    QElapsedTimer elapsed;
    elapsed.start();
    const PrintOutcome outcome = printer.printWindow(m_sheet.get());
    QVERIFY(elapsed.elapsed() < kPromptMs);
    QCOMPARE(outcome.error, error);
    QVERIFY(!outcome.detail.isEmpty());

    // Nothing is left over the window: it stays as it was and takes input.
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(m_sheet->isVisible());
    QVERIFY(m_sheet->isEnabled());
    QCOMPARE(m_sheet->size(), QSize(320, 240));
}

void TestPrinterSetup::setupFormOnly()
{
    SnapshotPrinter printer;
    QSignalSpy finished(&printer, &SnapshotPrinter::setupFinished);
    // The same form every time, also after a cancel.
    for (int round = 0; round < 2; ++round) {
        QPrintDialog *dialog = nullptr;
        openSetup(printer, &dialog);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(dialog->findChild<QComboBox *>(QStringLiteral("printers")));
        QVERIFY(!dialog->testOption(QAbstractPrintDialog::PrintPageRange));

        // Unfold the dialog's further settings, then look for copies and page ranges.
        const QList<QPushButton *> buttons = dialog->findChildren<QPushButton *>();
        const auto more = std::find_if(buttons.begin(), buttons.end(), [](QPushButton *b) {
            return b->text().contains(QStringLiteral("Options"));
        });
        QVERIFY(more != buttons.end());
        QTest::mouseClick(*more, Qt::LeftButton);
        auto *tabs = dialog->findChild<QTabWidget *>(QStringLiteral("tabs"));
        QVERIFY(tabs);
        QTRY_VERIFY(tabs->isVisibleTo(dialog));
        const QList<QSpinBox *> spins = dialog->findChildren<QSpinBox *>();
        QVERIFY(!spins.isEmpty());
        for (const QSpinBox *spin : spins)
            QVERIFY2(!spin->isVisibleTo(dialog), qPrintable(spin->objectName()));

        QPushButton *cancel = dialogButton(dialog, QDialogButtonBox::Cancel);
        QVERIFY(cancel);
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTRY_COMPARE(finished.count(), round + 1);
        QCOMPARE(finished.last().value(0).toBool(), false);
        QTRY_COMPARE(QApplication::activeModalWidget(), nullptr);
    }
}

void TestPrinterSetup::cancelChangesNothing()
{
    SnapshotPrinter printer;
    QSignalSpy finished(&printer, &SnapshotPrinter::setupFinished);
    const QString pdf = m_dir->filePath(QStringLiteral("cancelled.pdf"));
    const QPrinter::OutputFormat formatBefore = printer.printer().outputFormat();
    const QPageLayout pageBefore = printer.printer().pageLayout();

    QPrintDialog *dialog = nullptr;
    openSetup(printer, &dialog);
    if (QTest::currentTestFailed())
        return;
    chooseFile(dialog, pdf);
    if (QTest::currentTestFailed())
        return;
    QPushButton *cancel = dialogButton(dialog, QDialogButtonBox::Cancel);
    QVERIFY(cancel);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.last().value(0).toBool(), false);

    // The print still has nowhere to go, and the file chosen and cancelled is not made.
    QCOMPARE(printer.printer().outputFormat(), formatBefore);
    QCOMPARE(printer.printer().outputFileName(), QString());
    QCOMPARE(printer.printer().pageLayout(), pageBefore);
    QCOMPARE(printer.printWindow(m_sheet.get()).error, PrintError::NoPrinter);
    QVERIFY(!QFile::exists(pdf));
}

void TestPrinterSetup::confirmedFileTakesNextPrints()
{
    SnapshotPrinter printer;
    QSignalSpy finished(&printer, &SnapshotPrinter::setupFinished);
    const QString first = m_dir->filePath(QStringLiteral("first.pdf"));
    const QString second = m_dir->filePath(QStringLiteral("second.pdf"));

    QPrintDialog *dialog = nullptr;
    openSetup(printer, &dialog);
    if (QTest::currentTestFailed())
        return;
    chooseFile(dialog, first);
    if (QTest::currentTestFailed())
        return;
    QPushButton *ok = dialogButton(dialog, QDialogButtonBox::Ok);
    QVERIFY(ok);
    QTest::mouseClick(ok, Qt::LeftButton);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.last().value(0).toBool(), true);

    PrintOutcome outcome = printer.printWindow(m_sheet.get());
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
    QCOMPARE(pdfPageCount(first), 1);
    QCOMPARE(pdfImages(first).size(), 1);
    const QByteArray firstPrint = fileHash(first);

    // A second confirmed choice moves the prints that follow, and only those.
    openSetup(printer, &dialog);
    if (QTest::currentTestFailed())
        return;
    chooseFile(dialog, second);
    if (QTest::currentTestFailed())
        return;
    ok = dialogButton(dialog, QDialogButtonBox::Ok);
    QVERIFY(ok);
    QTest::mouseClick(ok, Qt::LeftButton);
    QTRY_COMPARE(finished.count(), 2);
    QCOMPARE(finished.last().value(0).toBool(), true);

    outcome = printer.printWindow(m_sheet.get());
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
    QCOMPARE(pdfPageCount(second), 1);
    QCOMPARE(fileHash(first), firstPrint);

    // And a print after that still goes to the second file.
    QVERIFY(QFile::remove(second));
    outcome = printer.printWindow(m_sheet.get());
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
    QCOMPARE(pdfPageCount(second), 1);
}

QTEST_MAIN(TestPrinterSetup)
#include "tst_printer_setup.moc"
