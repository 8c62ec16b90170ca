// The window on a real X server with a window manager: its frame, its size, a screenshot.
#include "main_window.h"

#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

class TestWindowFrame : public QObject
{
    Q_OBJECT

private slots:
    // Run by tests/support/with_window_manager.sh; the offscreen platform has no frames.
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb")); }
    void fixedSizeFrameAndScreenshot()
    {
        estrivo::MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(window.frameGeometry().height() > window.height()); // framed by openbox

        // 4716 x 7128 twips at 15 twips a pixel, the menu bar above it, a title bar above that.
        const QWidget *client = window.centralWidget();
        QCOMPARE(client->size(), QSize(314, 475));
        QCOMPARE(window.size(), QSize(314, 475 + window.menuBar()->height()));
        QVERIFY(window.geometry().top() - window.frameGeometry().top() >= 10);
        for (const QWidget *child : client->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            QVERIFY2(client->rect().contains(child->geometry()), qPrintable(child->objectName()));
        const QSize before = window.size();
        window.resize(before + QSize(200, 200));
        QCOMPARE(window.size(), before);

        // The window manager learns one size only and offers neither resizing nor maximising;
        // a utility window, which task bars leave out.
        QProcess xprop;
        QSignalSpy finished(&xprop, &QProcess::finished);
        xprop.start("xprop", {"-id", QString::number(window.winId()), "WM_NORMAL_HINTS",
                              "_NET_WM_ALLOWED_ACTIONS", "_NET_WM_WINDOW_TYPE"});
        QVERIFY(finished.wait(10000));
        const QString hints = xprop.readAllStandardOutput();
        const QString size = QString("size: 314 by %1\n").arg(window.height());
        QVERIFY2(hints.contains("minimum " + size) && hints.contains("maximum " + size)
                     && hints.contains("_NET_WM_ACTION_CLOSE") && !hints.contains("ACTION_RESIZE")
                     && !hints.contains("ACTION_MAXIMIZE") && hints.contains("TYPE_UTILITY"),
                 qPrintable(hints));

        const QRect frame = window.frameGeometry();
        const QImage shot = window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(),
                                                        frame.height()).toImage();
        const QString dir = qEnvironmentVariable("ESTRIVO_SCREENSHOT_DIR", QDir::tempPath());
        QVERIFY(QDir().mkpath(dir) && shot.save(dir + "/main_window.png"));
        // The band lines are drawn: a dark row across the client area, 1080 twips down.
        const QPoint line = client->mapTo(&window, QPoint(0, 72)) + window.geometry().topLeft()
                            - frame.topLeft();
        int dark = 0;
        for (int x = 2; x < 300; ++x)
            dark += qGray(shot.pixel(line + QPoint(x, 0))) < 100 ? 1 : 0;
        QVERIFY2(dark > 250, qPrintable(QString::number(dark) + " dark pixels"));
    }
};

QTEST_MAIN(TestWindowFrame)

#include "tst_window_frame.moc"
