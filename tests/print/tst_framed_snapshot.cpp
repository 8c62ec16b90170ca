// The window picture on a private X server with a window manager (Xvfb and openbox): it must
// show the frame and title bar the window manager draws, and print at the frame's size.
#include "print_probe.h"
#include "snapshot_print.h"
#include "xvfb_session.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using estrivo::PrintOutcome;
using estrivo::SnapshotPrinter;
using namespace printtest;

namespace {

constexpr int kWindowManagerMs = 20000;

// Pixels of `part` that differ from `whole` at `offset`.
int differingAt(const QImage &whole, const QImage &part, const QPoint &offset)
{
    const QImage big = whole.convertToFormat(QImage::Format_RGB32);
    const QImage small = part.convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    for (int y = 0; y < small.height(); ++y) {
        for (int x = 0; x < small.width(); ++x) {
            const QPoint at = offset + QPoint(x, y);
            if (!big.valid(at) || (big.pixel(at) & 0xffffff) != (small.pixel(x, y) & 0xffffff))
                ++differing;
        }
    }
    return differing;
}

} // namespace

class TestFramedSnapshot : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void pictureIncludesTitleBar();
    void printedAtFrameSize();
    void frameOffScreenFallsBackToWindow();

private:
    std::unique_ptr<QMainWindow> m_window;
};

void TestFramedSnapshot::init()
{
    // A main window like the program's: a menu bar over a client area.
    m_window = std::make_unique<QMainWindow>();
    m_window->setWindowTitle(QStringLiteral("Framed sheet"));
    m_window->menuBar()->addMenu(QStringLiteral("&File"));
    m_window->menuBar()->addMenu(QStringLiteral("&Settings"));
    m_window->setCentralWidget(new TestSheet(QSize(314, 300)));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    // The window manager frames the window once it has taken over the screen.
    QTRY_VERIFY_WITH_TIMEOUT(m_window->frameGeometry().height() > m_window->geometry().height(),
                             kWindowManagerMs);
}

void TestFramedSnapshot::cleanup()
{
    m_window.reset();
}

void TestFramedSnapshot::pictureIncludesTitleBar()
{
    const QRect frame = m_window->frameGeometry();
    const QRect inner = m_window->geometry(); // menu bar and client area
    const QImage picture = estrivo::snapshotWindow(m_window.get());
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.deviceIndependentSize().toSize(), frame.size());
    QVERIFY(picture.deviceIndependentSize().height() > inner.height());

    // Inside the frame lies the window exactly as it paints itself ...
    const QPoint offset = inner.topLeft() - frame.topLeft();
    QVERIFY2(offset.y() >= 10, "no title bar above the menu bar");
    const QImage painted = m_window->grab().toImage();
    QCOMPARE(differingAt(picture, painted, offset), 0);

    // ... and above it the title bar, drawn by the window manager in more than one colour.
    QSet<QRgb> titleColours;
    for (int y = 0; y < offset.y(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            titleColours.insert(picture.pixel(x, y) & 0xffffff);
    }
    QVERIFY(titleColours.size() > 1);
}

void TestFramedSnapshot::printedAtFrameSize()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SnapshotPrinter printer;
    const QString pdf = dir.filePath(QStringLiteral("framed.pdf"));
    printer.printer().setOutputFileName(pdf);
    const PrintOutcome outcome = printer.printWindow(m_window.get());
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));

    // The frame's pixels, drawn at 1440 twips an inch from the screen's logical dpi: the
    // picture carries its own pixel density into the PDF.
    QCOMPARE(pdfPageCount(pdf), 1);
    const QList<PdfImage> images = pdfImages(pdf);
    QCOMPARE(images.size(), 1);
    QCOMPARE(QSize(images[0].width, images[0].height), m_window->frameGeometry().size());
    QCOMPARE(images[0].xPpi, m_window->logicalDpiX());
    QCOMPARE(images[0].yPpi, m_window->logicalDpiY());
}

void TestFramedSnapshot::frameOffScreenFallsBackToWindow()
{
    // Part of the frame beyond the screen cannot be read back; the window's own rendering
    // stands in, menu bar and client area, rather than a picture with a hole in it.
    m_window->move(-100, 40);
    QTRY_VERIFY(m_window->frameGeometry().left() < 0);
    const QImage picture = estrivo::snapshotWindow(m_window.get());
    QCOMPARE(picture.deviceIndependentSize().toSize(), m_window->size());
    QCOMPARE(differingAt(picture, m_window->grab().toImage(), QPoint(0, 0)), 0);
}

int main(int argc, char **argv)
{
    return execWithXvfb<TestFramedSnapshot>(argc, argv);
}

#include "tst_framed_snapshot.moc"
