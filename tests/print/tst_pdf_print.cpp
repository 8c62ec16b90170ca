// Printing the window to a PDF file: one page, the picture at the top-left corner of the
// printable area at its physical size or fitted to the width, and its text left sharp.
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

constexpr int kScreenDpi = 96; // offscreen; 15 twips a pixel
constexpr double kPointsPerInch = 72.0;

QPageLayout layout(QPageSize::PageSizeId size, QPageLayout::Orientation orientation,
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
    void init();
    void pictureOnPage_data();
    void pictureOnPage();
    void textStaysSharp();
    void pictureOfGivenWindowSize();
    void unwritableFileIsReported();

private:
    QString printTo(SnapshotPrinter &printer, const QPageLayout &page, QWidget &window,
                    PrintOutcome *outcome);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestPdfPrint::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestPdfPrint::printTo(SnapshotPrinter &printer, const QPageLayout &page, QWidget &window,
                              PrintOutcome *outcome)
{
    const QString pdf = m_dir->filePath(QStringLiteral("sheet.pdf"));
    printer.printer().setOutputFileName(pdf);
    printer.printer().setPageLayout(page);
    *outcome = printer.printWindow(&window);
    return pdf;
}

void TestPdfPrint::pictureOnPage_data()
{
    QTest::addColumn<QPageLayout>("page");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QSizeF>("drawn"); // in pixels at the screen's 96 dpi

    const QPageLayout letter = layout(QPageSize::Letter, QPageLayout::Portrait, 36.0);
    // Letter with half-inch margins is 10800 twips wide inside: 720 pixels.
    QTest::newRow("own size") << letter << QSize(400, 300) << QSizeF(400, 300);
    QTest::newRow("as wide as the page") << letter << QSize(720, 200) << QSizeF(720, 200);
    QTest::newRow("12000 x 9000 to 10800 x 8100") << letter << QSize(800, 600) << QSizeF(720, 540);
    QTest::newRow("14400 x 6750 to 10800 x 5062")
        << letter << QSize(960, 450) << QSizeF(720, 5062.0 / 15.0);
    QTest::newRow("landscape page takes it whole")
        << layout(QPageSize::Letter, QPageLayout::Landscape, 36.0) << QSize(800, 600)
        << QSizeF(800, 600);
    QTest::newRow("a4, margins off the pixel grid")
        << layout(QPageSize::A4, QPageLayout::Portrait, 20.0) << QSize(400, 300)
        << QSizeF(400, 300);
    QTest::newRow("taller than the page, one page")
        << letter << QSize(600, 1200) << QSizeF(600, 1200);
}

void TestPdfPrint::pictureOnPage()
{
    QFETCH(QPageLayout, page);
    QFETCH(QSize, window);
    QFETCH(QSizeF, drawn);

    TestSheet sheet(window);
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));

    SnapshotPrinter printer;
    PrintOutcome outcome;
    const QString pdf = printTo(printer, page, sheet, &outcome);
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));

    QCOMPARE(pdfPageCount(pdf), 1);
    const QList<PdfImage> images = pdfImages(pdf);
    QCOMPARE(images.size(), 1);
    QCOMPARE(QSize(images[0].width, images[0].height), window);
    QCOMPARE(images[0].encoding, QStringLiteral("image")); // Flate, not JPEG
    QCOMPARE(images[0].xPpi, qRound(kScreenDpi * window.width() / drawn.width()));

    // On the rendered page the picture starts at the printable area's corner and has the
    // drawn size, cut only by the edge of the paper.
    const QImage rendered = renderFirstPage(pdf, kScreenDpi);
    QVERIFY(!rendered.isNull());
    const double scale = kScreenDpi / kPointsPerInch;
    const QRectF printable = page.paintRect(QPageLayout::Point);
    const QRectF expected = QRectF(printable.topLeft() * scale, drawn)
                                .intersected(QRectF(QPointF(0, 0), rendered.size()));
    const QString mismatch = rectMismatch(inkBounds(rendered), expected);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

void TestPdfPrint::textStaysSharp()
{
    TestSheet sheet(QSize(400, 300));
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    const QImage picture = estrivo::snapshotWindow(&sheet);
    QCOMPARE(picture.size(), QSize(400, 300));

    SnapshotPrinter printer;
    PrintOutcome outcome;
    const QString pdf =
        printTo(printer, layout(QPageSize::Letter, QPageLayout::Portrait, 36.0), sheet, &outcome);
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));

    // Four device pixels to a screen pixel, so each screen pixel's centre is clear of the
    // renderer's smoothing at its edges; a lossy picture fails here by thousands of pixels.
    constexpr int kScale = 4;
    const QRect area(48 * kScale, 48 * kScale, 400 * kScale, 300 * kScale);
    const QImage rendered = renderFirstPage(pdf, kScreenDpi * kScale, area);
    QCOMPARE(rendered.size(), area.size());
    QCOMPARE(differingPixels(picture, rendered, kScale), 0);
}

void TestPdfPrint::pictureOfGivenWindowSize()
{
    // A picture whose pixels do not say the window's size: the twips given decide.
    QImage picture(300, 100, QImage::Format_RGB32);
    picture.fill(QColor(30, 90, 150));
    SnapshotPrinter printer;
    const QString pdf = m_dir->filePath(QStringLiteral("given.pdf"));
    printer.printer().setOutputFileName(pdf);
    printer.printer().setPageLayout(layout(QPageSize::Letter, QPageLayout::Portrait, 36.0));
    const PrintOutcome outcome =
        printer.printPicture(picture, QSizeF(14400, 4800), QStringLiteral("Given"));
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));

    // 14400 x 4800 twips fitted to 10800: 720 x 240 pixels at 96 dpi.
    const QString mismatch =
        rectMismatch(inkBounds(renderFirstPage(pdf, kScreenDpi)), QRectF(48, 48, 720, 240));
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

void TestPdfPrint::unwritableFileIsReported()
{
    TestSheet sheet(QSize(200, 100));
    SnapshotPrinter printer;
    printer.printer().setOutputFileName(m_dir->filePath(QStringLiteral("missing/dir/sheet.pdf")));
    const PrintOutcome failed = printer.printWindow(&sheet);
    QCOMPARE(failed.error, PrintError::DocumentNotOpened);
    QVERIFY(!failed.detail.isEmpty());

    // The printer is not left half-open: a usable file takes the next print.
    const QString pdf = m_dir->filePath(QStringLiteral("sheet.pdf"));
    printer.printer().setOutputFileName(pdf);
    const PrintOutcome printed = printer.printWindow(&sheet);
    QVERIFY2(printed.ok(), qPrintable(printed.detail));
    QCOMPARE(pdfPageCount(pdf), 1);
}

QTEST_MAIN(TestPdfPrint)
#include "tst_pdf_print.moc"
