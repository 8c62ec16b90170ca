// The whole program as a technician uses it in demo mode: the window, the link and the
// simulated photometer on a real pseudo-terminal, driven by clicks.
#include "main_window.h"
#include "simulated_instrument.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using estrivo::MainWindow;
using estrivo::SimulatedInstrument;

class TestDemoSession : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void connectLightAndRead();
    void fileMenuBeforeConnectingSaysNotConnected();
    void closingWhileReadingEndsCleanly();
    void instrumentHangsUpMidReading();

private:
    QLineEdit *field(const char *name) const
    {
        return m_window->findChild<QLineEdit *>(QLatin1String(name));
    }
    QPushButton *button(const char *name) const
    {
        return m_window->findChild<QPushButton *>(QLatin1String(name));
    }
    QAction *action(const char *name) const
    {
        return m_window->findChild<QAction *>(QLatin1String(name));
    }
    QString log() const
    {
        return m_window->findChild<QPlainTextEdit *>("TextScrollBox")->toPlainText();
    }
    QMessageBox *errorBox() const { return m_window->findChild<QMessageBox *>("errorBox"); }
    void connectToInstrument();

    SimulatedInstrument *m_instrument = nullptr;
    MainWindow *m_window = nullptr;
};

void TestDemoSession::init()
{
    m_instrument = new SimulatedInstrument;
    QString error;
    QVERIFY2(m_instrument->start(&error), qPrintable(error));
    m_window = new MainWindow;
    m_window->choosePort(m_instrument->devicePath());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestDemoSession::cleanup()
{
    delete m_window;
    m_window = nullptr;
    delete m_instrument;
    m_instrument = nullptr;
}

void TestDemoSession::connectToInstrument()
{
    QTest::mouseClick(button("Connect"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->windowTitle(), QStringLiteral("Estrivo (tm) [Connected]"),
                              10000);
    QCOMPARE(button("Connect")->text(), QStringLiteral("&Disconnect"));
    QCOMPARE(action("mnuSettingsConnect")->text(), QStringLiteral("&Disconnect"));
    // Assistive tools announce what the button now does.
    QCOMPARE(QAccessible::queryAccessibleInterface(button("Connect"))->text(QAccessible::Name),
             QStringLiteral("Disconnect"));
    QVERIFY(button("cmdDnload")->isEnabled());
    QVERIFY(!action("mnuSettingsComm1")->isEnabled());
}

void TestDemoSession::connectLightAndRead()
{
    connectToInstrument();
    QVERIFY(log().contains(QLatin1String("OK")));

    QTest::mouseClick(button("cmdLtOn"), Qt::LeftButton);
    QVERIFY(!button("cmdLtOn")->isEnabled()); // greyed while the command waits
    QTRY_VERIFY_WITH_TIMEOUT(button("cmdLtOn")->isEnabled(), 10000);
    QVERIFY(m_instrument->lightOn());

    QTest::keyClicks(field("GFV"), QStringLiteral("\b\b\b\b\b60"));
    QCOMPARE(field("GFV")->text(), QStringLiteral("60"));
    QTest::mouseClick(button("cmdDnload"), Qt::LeftButton);
    QCOMPARE(field("Con")->text(), QString()); // emptied while the reading is awaited
    QTRY_COMPARE_WITH_TIMEOUT(field("Con")->text(), QStringLiteral("123.4"), 10000);
    QTRY_VERIFY(button("cmdDnload")->isEnabled());
    QCOMPARE(field("SemenVol")->text(), QStringLiteral("8.10372771474878"));
    QCOMPARE(field("NumDoses")->text(), QStringLiteral("7"));
    QVERIFY(!field("Date")->text().isEmpty());

    // The picture of a finished sheet that the README shows.
    const QString shots = qEnvironmentVariable("ESTRIVO_SCREENSHOT_DIR");
    if (!shots.isEmpty() && QDir().mkpath(shots)) {
        QTest::keyClicks(m_window->findChild<QPlainTextEdit *>("Text1"),
                         QStringLiteral("Silver Comet, second collection this week"));
        QVERIFY(m_window->grab().save(shots + QStringLiteral("/demo_session.png")));
    }

    QTest::mouseClick(button("cmdLtOff"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(button("cmdLtOff")->isEnabled(), 10000);
    QVERIFY(!m_instrument->lightOn());

    // Disconnecting gives the port choice back and greys the instrument commands.
    QTest::mouseClick(button("Connect"), Qt::LeftButton);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Estrivo (tm)"));
    QCOMPARE(button("Connect")->text(), QStringLiteral("&Connect"));
    QVERIFY(!button("cmdDnload")->isEnabled());
    QVERIFY(!action("mnuFileRead")->isEnabled());
    QVERIFY(action("mnuSettingsComm1")->isEnabled());
    QVERIFY(!m_window->link().isOpen());
}

void TestDemoSession::fileMenuBeforeConnectingSaysNotConnected()
{
    action("mnuFileRead")->trigger();
    QTRY_VERIFY(errorBox());
    QCOMPARE(errorBox()->windowTitle(), QStringLiteral("PC-to-Stamp Comm"));
    QCOMPARE(errorBox()->text(), QStringLiteral("Error: Not connected."));
    QVERIFY(m_instrument->heard().isEmpty());
    QVERIFY(action("mnuFileRead")->isEnabled()); // availability as it was
    QCOMPARE(field("Con")->text(), QString());
    errorBox()->accept();
}

void TestDemoSession::closingWhileReadingEndsCleanly()
{
    auto behaviour = m_instrument->behaviour();
    behaviour.noDone = true;
    m_instrument->setBehaviour(behaviour);
    connectToInstrument();
    QTest::mouseClick(button("cmdDnload"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(m_instrument->heard().contains('*'), 10000);
    QVERIFY(m_window->link().isBusy());

    QSignalSpy unloaded(m_window, &MainWindow::unloaded);
    action("mnuFileExit")->trigger();
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!m_window->link().isBusy());
    QVERIFY(!m_window->link().isOpen());
    QTRY_VERIFY(!m_instrument->isProgramConnected());
}

void TestDemoSession::instrumentHangsUpMidReading()
{
    auto behaviour = m_instrument->behaviour();
    behaviour.hangUpMidReply = true;
    m_instrument->setBehaviour(behaviour);
    connectToInstrument();
    QTest::mouseClick(button("cmdDnload"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(errorBox(), 10000);
    QCOMPARE(errorBox()->text(), QStringLiteral("Error: Connection lost."));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Estrivo (tm)"));
    QCOMPARE(button("Connect")->text(), QStringLiteral("&Connect"));
    QVERIFY(!m_window->link().isOpen());
    QCOMPARE(field("Con")->text(), QString()); // no half value in the sheet
    errorBox()->accept();
}

QTEST_MAIN(TestDemoSession)
#include "tst_demo_session.moc"
