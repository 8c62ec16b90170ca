// The window on a real X server with a window manager: its frame, its size, a screenshot.
#include "main_window.h"
#include "xvfb_session.h"

#include <QDir>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QWindow>
#include <QtTest>

#include <cstdio>

using estrivo::MainWindow;

class TestWindowFrame : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void clientAreaAndFrame();
    void cannotBeResized();
    void screenshot();

private:
    MainWindow *m_window = nullptr;
};

void TestWindowFrame::initTestCase()
{
    m_window = new MainWindow;
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    // Wait until the window manager has framed it.
    QTRY_VERIFY(m_window->frameGeometry().height() > m_window->geometry().height());
}

void TestWindowFrame::cleanupTestCase()
{
    delete m_window;
}

void TestWindowFrame::clientAreaAndFrame()
{
    QCOMPARE(m_window->centralWidget()->size(), QSize(314, 475));
    const int menuHeight = m_window->menuBar()->height();
    QVERIFY(menuHeight > 0);
    QCOMPARE(m_window->geometry().height(), 475 + menuHeight);
    QCOMPARE(m_window->geometry().width(), 314);
    // A title bar above the menu bar.
    QVERIFY(m_window->geometry().top() - m_window->frameGeometry().top() >= 10);
}

void TestWindowFrame::cannotBeResized()
{
    // The window manager is told the window has one size only: minimum equals maximum.
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(m_window->winId()),
                                          QStringLiteral("WM_NORMAL_HINTS")});
    QVERIFY(xprop.waitForFinished(10000));
    const QString hints = QString::fromLocal8Bit(xprop.readAllStandardOutput());
    const QRegularExpression minimum(QStringLiteral("minimum size: (\\d+) by (\\d+)"));
    const QRegularExpression maximum(QStringLiteral("maximum size: (\\d+) by (\\d+)"));
    const auto min = minimum.match(hints);
    const auto max = maximum.match(hints);
    QVERIFY2(min.hasMatch() && max.hasMatch(), qPrintable(hints));
    QCOMPARE(min.captured(1), max.captured(1));
    QCOMPARE(min.captured(2), max.captured(2));
    QCOMPARE(min.captured(1).toInt(), 314);

    // The window manager offers neither resizing nor maximising, and the window is a utility
    // window, which task bars leave out.
    QProcess state;
    state.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(m_window->winId()),
                                          QStringLiteral("_NET_WM_ALLOWED_ACTIONS"),
                                          QStringLiteral("_NET_WM_WINDOW_TYPE")});
    QVERIFY(state.waitForFinished(10000));
    const QString properties = QString::fromLocal8Bit(state.readAllStandardOutput());
    QVERIFY2(properties.contains(QLatin1String("_NET_WM_ACTION_CLOSE")), qPrintable(properties));
    QVERIFY2(!properties.contains(QLatin1String("_NET_WM_ACTION_RESIZE")), qPrintable(properties));
    QVERIFY2(!properties.contains(QLatin1String("_NET_WM_ACTION_MAXIMIZE")),
             qPrintable(properties));
    QVERIFY2(properties.contains(QLatin1String("_NET_WM_WINDOW_TYPE_UTILITY")),
             qPrintable(properties));

    // And a resize asked of the window itself does not take.
    const QSize before = m_window->size();
    m_window->resize(before + QSize(200, 200));
    QCOMPARE(m_window->size(), before);
}

void TestWindowFrame::screenshot()
{
    const QRect frame = m_window->frameGeometry();
    const QPixmap shot = m_window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(),
                                                        frame.height());
    QCOMPARE(shot.size(), frame.size());
    const QString dir = qEnvironmentVariable("ESTRIVO_SCREENSHOT_DIR", QDir::tempPath());
    QVERIFY(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/main_window.png");
    QVERIFY(shot.save(path));
    std::printf("screenshot: %s\n", qPrintable(path));

    // The band lines are drawn: a dark row across the client area below the command band.
    const QImage image = shot.toImage();
    const QPoint client = m_window->centralWidget()->mapTo(m_window, QPoint(0, 0))
                          + (m_window->geometry().topLeft() - frame.topLeft());
    const int lineY = client.y() + 72; // 1080 twips
    int dark = 0;
    for (int x = client.x() + 2; x < client.x() + 300; ++x)
        dark += qGray(image.pixel(x, lineY)) < 100 ? 1 : 0;
    QVERIFY2(dark > 250, qPrintable(QStringLiteral("%1 dark pixels").arg(dark)));
}

int main(int argc, char *argv[])
{
    return execWithXvfb<TestWindowFrame>(argc, argv);
}

#include "tst_window_frame.moc"
