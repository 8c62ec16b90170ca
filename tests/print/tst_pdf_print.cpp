// Printing to a PDF file where there is no printer: CTest points the spooler client at a socket
// nobody listens on. The picture goes on one page at the printable area's corner, at its own size
// or fitted to the width, pixel for pixel; the failures are reported; the setup chooses the file.
#include "print_probe.h"
#include "snapshot_print.h"

#include <QPageLayout>
#include <QTemporaryDir>
#include <QtTest>

using estrivo::PrintError;
using estrivo::PrintOutcome;
using estrivo::SnapshotPrinter;
using namespace printtest;

namespace {

QPageLayout pageLayout(QPageSize::PageSizeId size, QPageLayout::Orientation orientation,
                       double marginPoints)
{
    const QMarginsF margins(marginPoints, marginPoints, marginPoints, marginPoints);
    return QPageLayout(QPageSize(size), orientation, margins, QPageLayout::Point);
}

} // namespace

class TestPdfPrint : public QObject
{
    Q_OBJECT

private slots:
    void pictureOnPage_data();
    void pictureOnPage();
    void unwritableFileIsReported();
    void setupChoosesFile();

private:
    QTemporaryDir m_dir;
};

void TestPdfPrint::pictureOnPage_data()
{
    QTest::addColumn<QPageLayout>("layout");
    QTest::addColumn<QSize>("window"); // pixels at the offscreen screen's 96 dpi: 15 twips each
    QTest::addColumn<QSizeF>("given"); // the window's size in twips, given with its picture
    QTest::addColumn<QSizeF>("drawn"); // twips

    // Letter with half-inch margins is 10800 twips wide inside.
    const QPageLayout letter = pageLayout(QPageSize::Letter, QPageLayout::Portrait, 36.0);
    QTest::newRow("own size") << letter << QSize(400, 300) << QSizeF() << QSizeF(6000, 4500);
    QTest::newRow("12000 x 9000 to 10800 x 8100")
        << letter << QSize(800, 600) << QSizeF() << QSizeF(10800, 8100);
    QTest::newRow("landscape page takes it whole")
        << pageLayout(QPageSize::Letter, QPageLayout::Landscape, 36.0) << QSize(800, 600)
        << QSizeF() << QSizeF(12000, 9000);
    QTest::newRow("a4, margins off the pixel grid")
        << pageLayout(QPageSize::A4, QPageLayout::Portrait, 20.0) << QSize(400, 300) << QSizeF()
        << QSizeF(6000, 4500);
    QTest::newRow("taller than the page, one page")
        << letter << QSize(600, 1200) << QSizeF() << QSizeF(9000, 18000);
    QTest::newRow("the given window size decides")
        << letter << QSize(300, 100) << QSizeF(14400, 4800) << QSizeF(10800, 3600);
}

void TestPdfPrint::pictureOnPage()
{
    QFETCH(QPageLayout, layout);
    QFETCH(QSize, window);
    QFETCH(QSizeF, given);
    QFETCH(QSizeF, drawn);

    const auto sheet = newSheet(window);
    sheet->show();
    QVERIFY(QTest::qWaitForWindowExposed(sheet.get()));
    const QImage picture = estrivo::snapshotWindow(sheet.get());
    QCOMPARE(picture.size(), window);

    SnapshotPrinter printer;
    const QString pdf = m_dir.filePath(QStringLiteral("sheet.pdf"));
    printer.printer().setOutputFileName(pdf);
    printer.printer().setPageLayout(layout);
    const PrintOutcome outcome =
        given.isEmpty() ? printer.printWindow(sheet.get())
                        : printer.printPicture(picture, given, QStringLiteral("Given"));
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
    const QRectF placed(layout.paintRect(QPageLayout::Point).topLeft(),
                        drawn / estrivo::kTwipsPerPoint);
    QCOMPARE(pageMismatch(pdf, picture, placed), QString());
}

void TestPdfPrint::unwritableFileIsReported()
{
    const auto sheet = newSheet(QSize(200, 100));
    SnapshotPrinter printer;
    printer.printer().setOutputFileName(m_dir.filePath(QStringLiteral("missing/sheet.pdf")));
    const PrintOutcome outcome = printer.printWindow(sheet.get());
    QCOMPARE(outcome.error, PrintError::DocumentNotOpened);
    QVERIFY(!outcome.detail.isEmpty());
}

void TestPdfPrint::setupChoosesFile()
{
    const auto sheet = newSheet(QSize(320, 240));
    sheet->show();
    QVERIFY(QTest::qWaitForWindowExposed(sheet.get()));
    SnapshotPrinter printer;
    const QString first = m_dir.filePath(QStringLiteral("first.pdf"));
    const QString second = m_dir.filePath(QStringLiteral("second.pdf"));

    // A file picked and cancelled takes nothing: the print still has nowhere to go, and says so.
    answerSetup(printer, sheet.get(), kPrintToFile, first, QDialogButtonBox::Cancel);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(printer.printWindow(sheet.get()).error, PrintError::NoPrinter);
    QVERIFY(!QFile::exists(first));

    // A confirmed file takes the prints that follow, until another is confirmed.
    for (const QString &file : {first, second}) {
        answerSetup(printer, sheet.get(), kPrintToFile, file, QDialogButtonBox::Ok);
        if (QTest::currentTestFailed())
            return;
        const PrintOutcome outcome = printer.printWindow(sheet.get());
        QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
        QVERIFY(QFile::exists(file));
    }
}

QTEST_MAIN(TestPdfPrint)
#include "tst_pdf_print.moc"
