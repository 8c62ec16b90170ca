// The link over a real pseudo-terminal through the QSerialPort adapter, at real speed.
#include "fake_link_host.h"
#include "instrument_link.h"
#include "pty_instrument.h"
#include "qt_serial_port.h"

#include <QtTest>

#include <memory>

using estrivo::InstrumentLink;
using estrivo::QtSerialPort;
using estrivo::SerialPort;

class TestLinkPty : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void adapterTakesSettingsAndShrugsOffControlLines();
    void connectLightsAndReads();
    void silentInstrumentTimesOutAtRealSpeed();
    void deviceThatCannotOpen_data();
    void deviceThatCannotOpen();
    void hangUpMidReading();

private:
    // The link on the system's serial port, window recorded, settings applied at start-up.
    void makeLink();
    bool connectLink();

    std::unique_ptr<PtyInstrument> m_instrument;
    QStringList m_journal;
    std::unique_ptr<FakeLinkHost> m_host;
    std::unique_ptr<InstrumentLink> m_link;
};

void TestLinkPty::init()
{
    m_instrument = std::make_unique<PtyInstrument>();
    QString error;
    QVERIFY2(m_instrument->open(&error), qPrintable(error));
    m_journal.clear();
    m_host = std::make_unique<FakeLinkHost>(&m_journal);
    m_host->port = m_instrument->devicePath();
}

void TestLinkPty::cleanup()
{
    m_link.reset();
    m_host.reset();
    m_instrument.reset();
}

void TestLinkPty::makeLink()
{
    m_link = std::make_unique<InstrumentLink>(*m_host, estrivo::makeSystemSerialPort());
    m_link->applyLineSettings();
}

bool TestLinkPty::connectLink()
{
    QSignalSpy connected(m_link.get(), &InstrumentLink::connected);
    m_link->connectOrDisconnect();
    if (!m_link->isOpen())
        return false;
    // The board greets once the line is open.
    m_instrument->send("Photometer\r\nOK\r");
    return connected.wait(5000);
}

void TestLinkPty::adapterTakesSettingsAndShrugsOffControlLines()
{
    QtSerialPort port;
    port.setPortName(m_instrument->devicePath());
    port.setLineSettings(estrivo::kInstrumentLine);
    port.setDataTerminalReady(true);
    port.setFlowControl(SerialPort::FlowControl::None);
    port.setRequestToSend(false);
    port.setInputMode(SerialPort::InputMode::Text);
    QCOMPARE(port.lineSettings(), estrivo::kInstrumentLine);
    QCOMPARE(port.dataTerminalReady(), true);
    QCOMPARE(port.requestToSend(), false);
    QCOMPARE(port.flowControl(), SerialPort::FlowControl::None);
    QCOMPARE(port.isOpen(), false);

    QSignalSpy errors(&port, &SerialPort::errorOccurred);
    QString reason;
    // The pseudo-terminal refuses DTR and RTS; the port opens all the same.
    QVERIFY2(port.open(&reason), qPrintable(reason));
    QCOMPARE(port.portName(), m_instrument->devicePath());

    QSignalSpy written(&port, &SerialPort::bytesWritten);
    QSignalSpy heard(m_instrument.get(), &PtyInstrument::commandHeard);
    m_instrument->onCommand = [this](char) { m_instrument->send("pong"); };
    port.write("p");
    QCOMPARE_GT(port.bytesToWrite(), 0);
    QTRY_COMPARE(heard.count(), 1);
    QCOMPARE(written.count(), 1);
    QCOMPARE(port.bytesToWrite(), 0);
    QByteArray received;
    QTRY_COMPARE((received += port.readAll()), QByteArray("pong"));
    QCOMPARE(errors.count(), 0);
    port.close();
    QCOMPARE(port.isOpen(), false);
}

void TestLinkPty::connectLightsAndReads()
{
    makeLink();
    QVERIFY(connectLink());
    QCOMPARE(m_host->log, QStringLiteral("Photometer\r\nOK\r\n"));
    QCOMPARE(m_host->title, QStringLiteral("Estrivo (tm) [Connected]"));
    QCOMPARE(m_host->caption, QStringLiteral("&Disconnect"));

    QSignalSpy finished(m_link.get(), &InstrumentLink::transactionFinished);
    m_link->lightOn();
    QTRY_COMPARE(finished.count(), 1);
    m_link->lightOff();
    QTRY_COMPARE(finished.count(), 2);

    QString conWhenCalculated;
    m_host->onCalculate = [&] { conWhenCalculated = m_host->con; };
    QSignalSpy taken(m_link.get(), &InstrumentLink::readingTaken);
    const int calculationsAtStart = m_host->calculations;
    m_link->read();
    QCOMPARE(m_host->con, QString());
    QTRY_COMPARE(taken.count(), 1);
    QCOMPARE(taken.first().first().toString(), QStringLiteral("123.4"));
    QCOMPARE(m_host->con, QStringLiteral("123.4"));
    QCOMPARE(m_host->calculations, calculationsAtStart + 1);
    QCOMPARE(conWhenCalculated, QStringLiteral("123.4"));
    QCOMPARE(m_host->date.isEmpty(), false);
    QCOMPARE(m_host->commandsEnabled, true);

    // The board may hear a command more than once before its "OK" is read, never out of order.
    const QRegularExpression order(QStringLiteral("^O+F+\\*+$"));
    QVERIFY2(order.match(QString::fromLatin1(m_instrument->heard)).hasMatch(),
             m_instrument->heard.constData());

    m_link->connectOrDisconnect();
    QCOMPARE(m_link->isOpen(), false);
    QCOMPARE(m_host->caption, QStringLiteral("&Connect"));
}

void TestLinkPty::silentInstrumentTimesOutAtRealSpeed()
{
    makeLink();
    m_instrument->answers = false;
    QSignalSpy failed(m_link.get(), &InstrumentLink::connectFailed);
    QElapsedTimer clock;
    clock.start();
    m_link->connectOrDisconnect();
    QCOMPARE(m_link->isOpen(), true);
    QVERIFY(failed.wait(10000));
    const qint64 elapsedMs = clock.elapsed();

    // 401 pauses of 10 ms at the least.
    QCOMPARE_GE(elapsedMs, 4010);
    QCOMPARE(m_host->errors, QStringList{QStringLiteral("Error: Could not connect.")});
    QCOMPARE(m_link->isOpen(), false);
    QCOMPARE(m_host->caption, QStringLiteral("&Connect"));
    QCOMPARE(m_host->connectEnabled, true);
    QCOMPARE(m_host->portChoiceEnabled, true);
}

void TestLinkPty::deviceThatCannotOpen_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("occupy"); // another port holds the pseudo-terminal first
    QTest::addColumn<QString>("detailPart");

    QTest::newRow("no such device") << QStringLiteral("/dev/ttyEstrivoMissing") << false
                                    << QStringLiteral("no such device");
    QTest::newRow("not a serial device") << QStringLiteral("/dev/null") << false
                                         << QStringLiteral("/dev/null: ");
    QTest::newRow("in use by another port") << QString() << true << QStringLiteral("in use");
}

void TestLinkPty::deviceThatCannotOpen()
{
    QFETCH(QString, device);
    QFETCH(bool, occupy);
    QFETCH(QString, detailPart);

    QtSerialPort other;
    if (occupy) {
        other.setPortName(m_instrument->devicePath());
        QString reason;
        QVERIFY2(other.open(&reason), qPrintable(reason));
    } else {
        m_host->port = device;
    }
    makeLink();
    QSignalSpy failed(m_link.get(), &InstrumentLink::connectFailed);
    m_link->connectOrDisconnect();
    QCOMPARE(failed.count(), 1);
    QCOMPARE(m_journal, QStringList{QStringLiteral("showLinkError(Error: Could not connect.)")});
    QVERIFY2(m_host->details.last().contains(detailPart), qPrintable(m_host->details.last()));
    QCOMPARE(m_link->isOpen(), false);
}

void TestLinkPty::hangUpMidReading()
{
    makeLink();
    QVERIFY(connectLink());
    m_instrument->onCommand = [this](char command) {
        if (command != '*')
            return;
        m_instrument->send("OK\r\r12");
        // The cable is pulled once the "OK" is in.
        QTimer::singleShot(300, m_instrument.get(), &PtyInstrument::hangUp);
    };
    QSignalSpy disconnected(m_link.get(), &InstrumentLink::disconnected);
    QSignalSpy taken(m_link.get(), &InstrumentLink::readingTaken);
    m_link->read();
    QVERIFY(disconnected.wait(5000));
    QCOMPARE(taken.count(), 0);
    QCOMPARE(m_host->errors.last(), QStringLiteral("Error: Connection lost."));
    QCOMPARE(m_host->caption, QStringLiteral("&Connect"));
    QCOMPARE(m_host->title, QStringLiteral("Estrivo (tm)"));
    QCOMPARE(m_host->commandsEnabled, false);
    QCOMPARE(m_host->con, QString());
    QCOMPARE(m_link->isOpen(), false);
    QCOMPARE(m_link->isBusy(), false);
}

QTEST_GUILESS_MAIN(TestLinkPty)
#include "tst_link_pty.moc"
