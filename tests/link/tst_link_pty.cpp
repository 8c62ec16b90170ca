// The link through the QSerialPort adapter over a real pseudo-terminal, at real speed, with
// the simulated photometer on the far end.
#include "link_fakes.h"
#include "qt_serial_port.h"
#include "simulated_instrument.h"

#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using estrivo::InstrumentLink;
using estrivo::SimulatedInstrument;

const QString kCouldNotConnect = QStringLiteral("showLinkError(Error: Could not connect.)");

class TestLinkPty : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void refusedThenConnectLightReadAndHangUp();
    void silentInstrumentTimesOutAtRealSpeed();
    void discardReachesIntoTheDriver();

private:
    QStringList m_journal;
    std::unique_ptr<SimulatedInstrument> m_instrument;
    std::unique_ptr<FakeLinkHost> m_host;
    std::unique_ptr<InstrumentLink> m_link; // on the system's port, set up as at start-up
};

void TestLinkPty::init()
{
    m_journal.clear();
    m_instrument = std::make_unique<SimulatedInstrument>();
    QString error;
    QVERIFY2(m_instrument->start(&error), qPrintable(error));
    m_host = std::make_unique<FakeLinkHost>(m_journal);
    m_link = std::make_unique<InstrumentLink>(*m_host, estrivo::makeSystemSerialPort());
    m_link->applyLineSettings();
}

void TestLinkPty::cleanup()
{
    m_link.reset();
    m_host.reset();
    m_instrument.reset();
}

void TestLinkPty::refusedThenConnectLightReadAndHangUp()
{
    const auto &port = static_cast<estrivo::QtSerialPort &>(m_link->port());
    QCOMPARE(port.lineSettings(), estrivo::kInstrumentLine);
    QCOMPARE(port.flowControl(), estrivo::SerialPort::FlowControl::None);

    // The operator is told why a device would not open, in the port's own words.
    estrivo::QtSerialPort other;
    other.setPortName(m_instrument->devicePath());
    QString reason;
    QVERIFY2(other.open(&reason), qPrintable(reason));
    const QString instrument = m_instrument->devicePath();
    const QList<QPair<QString, QString>> refusals{
        {"/dev/ttyEstrivoMissing", "/dev/ttyEstrivoMissing: no such device"},
        {"/dev/null", "/dev/null: "},
        {instrument, instrument + " is in use"}};
    for (const auto &[device, detail] : refusals) {
        m_host->port = device;
        m_link->connectOrDisconnect();
        QCOMPARE(m_journal.constLast(), kCouldNotConnect);
        QVERIFY2(m_host->details.constLast().startsWith(detail),
                 qPrintable(m_host->details.last()));
    }
    other.close();

    // The pseudo-terminal refuses DTR and RTS; the port opens and carries data all the same.
    m_link->connectOrDisconnect();
    QVERIFY(settle(*m_link));
    QCOMPARE(m_host->log, QStringLiteral("Estrivo photometer v1\r\nOK\r\n"));
    m_link->lightOn();
    QVERIFY(settle(*m_link));
    QCOMPARE(m_instrument->lightOn(), true);
    m_link->lightOff();
    QVERIFY(settle(*m_link));
    QCOMPARE(m_instrument->lightOn(), false);
    m_link->read();
    QVERIFY(settle(*m_link));
    QCOMPARE(m_host->con, QStringLiteral("123.4"));

    auto behaviour = m_instrument->behaviour();
    behaviour.hangUpMidReply = true;
    m_instrument->setBehaviour(behaviour);
    QSignalSpy disconnected(m_link.get(), &InstrumentLink::disconnected);
    m_link->read();
    QVERIFY(disconnected.wait(5000));
    QCOMPARE(m_journal.constLast(), QStringLiteral("showLinkError(Error: Connection lost.)"));
    QCOMPARE(m_host->con, QString());
    QCOMPARE(m_link->isOpen(), false);
}

void TestLinkPty::silentInstrumentTimesOutAtRealSpeed()
{
    SimulatedInstrument::Behaviour silent;
    silent.silent = true;
    m_instrument->setBehaviour(silent);
    m_host->port = m_instrument->devicePath();
    QElapsedTimer clock;
    clock.start();
    m_link->connectOrDisconnect();
    QCOMPARE(m_link->isOpen(), true);
    QVERIFY(settle(*m_link));

    // 401 pauses of 10 ms at the least.
    QCOMPARE_GE(clock.elapsed(), 4010);
    QCOMPARE(m_journal.constLast(), kCouldNotConnect);
    QCOMPARE(m_link->isOpen(), false);
}

// An answer still in the driver's queue when a command starts must not be read as its "OK".
void TestLinkPty::discardReachesIntoTheDriver()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0);
    QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
    estrivo::QtSerialPort port;
    port.setPortName(QString::fromLocal8Bit(ptsname(master)));
    port.setLineSettings(estrivo::kInstrumentLine);
    QString reason;
    QVERIFY2(port.open(&reason), qPrintable(reason));

    // Written while the event loop does not run: the bytes wait in the driver, not in Qt.
    QCOMPARE(::write(master, "OK\r", 3), 3);
    port.discardInput();
    QCOMPARE(::write(master, "x", 1), 1);
    QByteArray received;
    QTRY_VERIFY((received += port.readAll()).contains('x'));
    QCOMPARE(received, QByteArray("x"));
    port.close();
    ::close(master);
}

QTEST_GUILESS_MAIN(TestLinkPty)
#include "tst_link_pty.moc"
