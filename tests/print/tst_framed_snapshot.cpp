// The window picture on a private X server with a window manager (Xvfb and openbox): the frame
// comes from the screen, the inside is painted by the window itself.
#include "print_probe.h"
#include "snapshot_print.h"

#include <QMainWindow>
#include <QMenuBar>

using namespace printtest;

class TestFramedSnapshot : public QObject
{
    Q_OBJECT

private slots:
    // Run by tests/support/with_window_manager.sh; the offscreen platform has no frames.
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb")); }
    void frameFromScreenInsidePainted();
};

void TestFramedSnapshot::frameFromScreenInsidePainted()
{
    QMainWindow window;
    window.menuBar()->addMenu(u"&File"_s);
    window.setCentralWidget(newSheet(QSize(314, 300)).release());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.frameGeometry().height() > window.geometry().height());
    // A window over the sheet is on the screen but must not reach the sheet's picture.
    QLabel cover(u"NOT PART OF THE SHEET"_s);
    cover.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    cover.setGeometry(QRect(window.geometry().topLeft() + QPoint(10, 10), QSize(200, 120)));
    cover.show();
    QVERIFY(QTest::qWaitForWindowExposed(&cover));
    // Of the whole window, whichever of its widgets it is asked of: inside the frame exactly as
    // the window paints itself, above it a title bar the window manager draws in several colours.
    const QRect frame = window.frameGeometry();
    const QImage picture = estrivo::snapshotWindow(window.centralWidget());
    QCOMPARE(picture.deviceIndependentSize().toSize(), frame.size());
    const QPoint offset = window.geometry().topLeft() - frame.topLeft();
    QCOMPARE(picture.copy(QRect(offset, window.size())).convertToFormat(QImage::Format_RGB32),
             window.grab().toImage().convertToFormat(QImage::Format_RGB32));
    const QImage titleBar = picture.copy(0, 0, frame.width(), offset.y());
    QVERIFY(titleBar.convertToFormat(QImage::Format_Indexed8).colorCount() > 1);
}

QTEST_MAIN(TestFramedSnapshot)

#include "tst_framed_snapshot.moc"
