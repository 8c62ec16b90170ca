// The window picture on a private X server with a window manager (Xvfb and openbox): it must
// show the frame and title bar the window manager draws, and print at the frame's size.
#include "print_probe.h"
#include "snapshot_print.h"
#include "xvfb_session.h"

#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPageLayout>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using estrivo::PrintOutcome;
using estrivo::SnapshotPrinter;
using namespace printtest;

class TestFramedSnapshot : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void pictureShowsFrame();
    void frameOffScreenFallsBackToWindow();
    void nothingOverTheWindowIsPrinted();

private:
    std::unique_ptr<QMainWindow> m_window;
};

void TestFramedSnapshot::init()
{
    // A main window like the program's: a menu bar over a client area.
    m_window = std::make_unique<QMainWindow>();
    m_window->setWindowTitle(QStringLiteral("Framed sheet"));
    m_window->menuBar()->addMenu(QStringLiteral("&File"));
    m_window->setCentralWidget(newSheet(QSize(314, 300)).release());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QTRY_VERIFY(m_window->frameGeometry().height() > m_window->geometry().height());
}

void TestFramedSnapshot::pictureShowsFrame()
{
    // Of the whole window, whichever of its widgets the picture is asked of.
    const QRect frame = m_window->frameGeometry();
    const QImage picture = estrivo::snapshotWindow(m_window->centralWidget());
    QCOMPARE(picture.deviceIndependentSize().toSize(), frame.size());

    // Inside the frame lies the window exactly as it paints itself, and above it a title bar
    // that the window manager draws in more than one colour.
    const QPoint offset = m_window->geometry().topLeft() - frame.topLeft();
    QVERIFY2(offset.y() >= 10, "no title bar above the menu bar");
    QCOMPARE(differingPixels(m_window->grab().toImage(), picture, 1, offset), 0);
    QSet<QRgb> titleColours;
    for (int y = 0; y < offset.y(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            titleColours.insert(picture.pixel(x, y) & 0xffffff);
    }
    QVERIFY(titleColours.size() > 1);

    // On paper the frame's pixels take the size they have on the screen at its logical dpi.
    QTemporaryDir dir;
    SnapshotPrinter printer;
    const QString pdf = dir.filePath(QStringLiteral("framed.pdf"));
    printer.printer().setOutputFileName(pdf);
    const PrintOutcome outcome = printer.printWindow(m_window.get());
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
    const QSizeF inches(double(frame.width()) / m_window->logicalDpiX(),
                        double(frame.height()) / m_window->logicalDpiY());
    const QRectF placed(printer.printer().pageLayout().paintRect(QPageLayout::Point).topLeft(),
                        inches * 72.0);
    QCOMPARE(pageMismatch(pdf, picture, placed), QString());
}

void TestFramedSnapshot::frameOffScreenFallsBackToWindow()
{
    // Part of the frame beyond the screen cannot be read back; the window's own rendering
    // stands in, menu bar and client area, rather than a picture with a hole in it.
    m_window->move(-100, 40);
    QTRY_VERIFY(m_window->frameGeometry().left() < 0);
    const QImage picture = estrivo::snapshotWindow(m_window.get());
    QCOMPARE(picture.deviceIndependentSize().toSize(), m_window->size());
    QCOMPARE(differingPixels(m_window->grab().toImage(), picture), 0);
}

void TestFramedSnapshot::nothingOverTheWindowIsPrinted()
{
    // A window lying over the sheet (or a menu just closed, not yet repainted) is on the
    // screen, but not on the sheet's picture.
    QLabel cover(QStringLiteral("NOT PART OF THE SHEET"));
    cover.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    cover.setAutoFillBackground(true);
    cover.setStyleSheet(QStringLiteral("background: #ff00ff"));
    cover.setGeometry(QRect(m_window->geometry().topLeft() + QPoint(10, 10), QSize(200, 120)));
    cover.show();
    QVERIFY(QTest::qWaitForWindowExposed(&cover));

    const QRect frame = m_window->frameGeometry();
    const QImage picture = estrivo::snapshotWindow(m_window.get());
    const QPoint offset = m_window->geometry().topLeft() - frame.topLeft();
    QCOMPARE(differingPixels(m_window->grab().toImage(), picture, 1, offset), 0);
}

int main(int argc, char **argv)
{
    return execWithXvfb<TestFramedSnapshot>(argc, argv);
}

#include "tst_framed_snapshot.moc"
