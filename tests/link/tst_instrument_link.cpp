// The instrument link: its pure rules, the handshake and the command transactions over a
// scripted port, and the QSerialPort adapter over a pseudo-terminal with the simulated board.
#include "instrument_link.h"
#include "link_rules.h"
#include "qt_serial_port.h"
#include "rx_tail.h"
#include "simulated_instrument.h"

#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace estrivo;
using Reads = QList<QByteArray>;

namespace {

constexpr std::chrono::milliseconds kAckPause{2}; // fast passes; the pass counts stay

QStringList journal; // every call on the window and the scripted port, in order

QString entry(const char *call, QString argument = {})
{
    argument.replace(u'\r', QLatin1String("\\r")).replace(u'\n', QLatin1String("\\n"));
    return QStringLiteral("%1(%2)").arg(QLatin1String(call), argument);
}

QString note(const char *call, const QString &argument = {})
{
    journal << entry(call, argument);
    return argument;
}

QStringList steps(const char *entries)
{
    return QString::fromLatin1(entries).split(u'|');
}

// The far end is the test's script; writes leave from the event loop. Only /dev/ttyS0 opens.
class FakePort final : public SerialPort
{
public:
    Reads perRead;           // what each coming read finds
    Reads replies;           // the far end's answer to each byte sent, in order
    int usedWhileClosed = 0; // reads and writes by a wait that did not end

    void deliver(const QByteArray &bytes, bool announce = true)
    {
        if (bytes.isEmpty() || !m_open)
            return;
        m_incoming += bytes;
        if (announce)
            emit readyRead();
    }
    void setPortName(const QString &name) override { m_name = name; }
    QString portName() const override { return m_name; }
    void setLineSettings(const LineSettings &s) override
    {
        note("line",
             QString::asprintf("%d,%d,%d,%d", s.baudRate, int(s.parity), s.dataBits, s.stopBits));
    }
    void setDataTerminalReady(bool on) override { note("dtr", QString::number(on)); }
    void setFlowControl(FlowControl flow) override { note("flow", QString::number(int(flow))); }
    void setRequestToSend(bool on) override { note("rts", QString::number(on)); }
    void setInputMode(InputMode mode) override { note("input", QString::number(int(mode))); }
    bool open(QString *) override
    {
        m_open = m_name == QLatin1String("/dev/ttyS0");
        note(m_open ? "open" : "refused", m_name);
        return m_open;
    }
    void close() override
    {
        if (std::exchange(m_open, false))
            note("close");
        m_incoming.clear();
    }
    bool isOpen() const override { return m_open; }
    void write(const QByteArray &data) override
    {
        usedWhileClosed += !m_open;
        note("write", QString::fromLatin1(data));
        QTimer::singleShot(0, this, [this] {
            deliver(replies.isEmpty() ? QByteArray() : replies.takeFirst());
            emit bytesWritten(1);
        });
    }
    QByteArray readAll() override
    {
        usedWhileClosed += !m_open;
        deliver(perRead.isEmpty() ? QByteArray() : perRead.takeFirst(), false);
        return std::exchange(m_incoming, {});
    }
    void discardInput() override { readAll(); }
    qint64 bytesToWrite() const override { return 0; }

private:
    QString m_name;
    bool m_open = false;
    QByteArray m_incoming;
};

// Runs the event loop until the exchange has ended; QTRY_* would stretch fast passes to real ones.
bool settle(InstrumentLink &link)
{
    QEventLoop loop;
    for (const auto signal : {&InstrumentLink::connected, &InstrumentLink::connectFailed,
                              &InstrumentLink::transactionFinished})
        QObject::connect(&link, signal, &loop, &QEventLoop::quit);
    QTimer::singleShot(std::chrono::seconds(20), &loop, [&loop] { loop.exit(1); });
    return !link.isBusy() || loop.exec() == 0;
}

const QString kCouldNotConnect = entry("showLinkError", "Error: Could not connect.");
const QStringList kOpen = steps("open(/dev/ttyS0)|setConnectEnabled(false)|"
                                "setPortChoiceEnabled(false)|setExitEnabled(true)");
const QStringList kTimeOut = kOpen
                             + steps("close()|setConnectEnabled(true)|setConnectCaption("
                                     "&Connect)|setPortChoiceEnabled(true)|enableCommands()|"
                                     "showLinkError(Error: Could not connect.)");
const QStringList kDisconnect = steps("close()|setTitle(Estrivo (tm))|setConnectCaption(&Connect)|"
                                      "setPortChoiceEnabled(true)|setExitEnabled(true)|"
                                      "disableCommands()");

QStringList connected(const QString &log)
{
    return QStringList(kOpen)
           << "setTitle(Estrivo (tm) [Connected])" << entry("replaceLog", log)
           << steps("setConnectEnabled(true)|setConnectCaption(&Disconnect)|enableCommands()");
}

// A command acknowledged on the given pass: Read empties Con before it sends anything, and
// stamps Date at the end of the reading with a clock that moves on a second a journal entry.
const QDateTime kMoment(QDate(2024, 3, 14), QTime(13, 5, 9));
QStringList sent(const char *command, int pass, const char *log, const char *value = nullptr)
{
    QStringList steps{"disableCommands()"};
    if (value)
        steps << "setConcentration()";
    steps << QStringList(pass, entry("write", command)) << entry("appendLog", log);
    if (value) {
        steps << entry("setConcentration", value);
        steps << entry("setDate", generalDateText(kMoment.addSecs(steps.size()), QLocale()));
        steps << "calculate()";
    }
    return steps << "enableCommands()";
}

// Where a scenario starts. Lit: connected, lit and disconnected again. Leftover: connected, the
// answer to an earlier repeated command still waiting in the port.
enum class Stage { Closed, TimedOut, Lit, Greeting, Idle, Leftover, Acknowledging, Reading };
// Settings: those of start-up. Toggle: Connect or Disconnect. On, Off, Read: the commands.
enum class Act { Settings, Toggle, Commands, Shutdown, LineFails, On, Off, Read };

// The window as the link sees it, journaling each call; the link on a scripted port by default.
struct Rig : LinkHost
{
    QString portChoice = QStringLiteral("1"), caption = QStringLiteral("&Connect"), log, con;
    FakePort *port;
    InstrumentLink link;

    explicit Rig(std::unique_ptr<SerialPort> real = {})
        : port(real ? nullptr : new FakePort)
        , link(*this, real ? std::move(real) : std::unique_ptr<SerialPort>(port))
    {
        journal.clear();
        link.setClock([] { return kMoment.addSecs(journal.size()); });
        if (port)
            link.setPassInterval(kAckPause, kAckPause / 2);
    }

    QString portText() const override { return portChoice; }
    QString connectCaption() const override { return caption; }
    void setConnectCaption(const QString &t) override { caption = note("setConnectCaption", t); }
    void flag(const char *call, bool on) { note(call, on ? "true" : "false"); }
    void setConnectEnabled(bool on) override { flag("setConnectEnabled", on); }
    void setPortChoiceEnabled(bool on) override { flag("setPortChoiceEnabled", on); }
    void setExitEnabled(bool on) override { flag("setExitEnabled", on); }
    void setTitle(const QString &t) override { note("setTitle", t); }
    void disableCommands() override { note("disableCommands"); }
    void enableCommands() override { note("enableCommands"); }
    void appendLog(const QString &t) override { log += note("appendLog", t); }
    void replaceLog(const QString &t) override { log = note("replaceLog", t); }
    void setConcentration(const QString &t) override { con = note("setConcentration", t); }
    void setDate(const QString &t) override { note("setDate", t); }
    void calculate() override { note("calculate"); }
    void showLinkError(const QString &t, const QString &) override { note("showLinkError", t); }

    bool logged() const { return !journal.filter(QStringLiteral("appendLog(")).isEmpty(); }
    bool enter(Stage stage)
    {
        if (stage == Stage::Closed)
            return true;
        if (stage == Stage::Greeting || stage == Stage::TimedOut) {
            link.connectOrDisconnect(); // nothing answers
            return stage == Stage::Greeting ? link.isBusy() : settle(link);
        }
        port->perRead = {"OK\r"};
        link.connectOrDisconnect();
        if (!settle(link) || !link.isOpen())
            return false;
        port->perRead = Reads(stage == Stage::Leftover, "OK\r"); // left waiting in the port
        if (stage == Stage::Idle || stage == Stage::Leftover)
            return true;
        // Awaiting "OK" the command goes unanswered, so it is sent again each pass.
        port->replies = {stage == Stage::Acknowledging ? "" : "OK\r"};
        stage == Stage::Lit ? link.lightOn() : link.read();
        if (stage != Stage::Lit)
            return QTest::qWaitFor([this] { return journal.count("write(*)") >= 2 || logged(); });
        settle(link); // leaves "OK" in RxBuffer; disconnecting keeps it
        link.connectOrDisconnect();
        return link.rxBuffer() == "OK\r";
    }
    // Nothing more happens for ten command passes, the stretch in which it would have.
    bool staysQuiet()
    {
        const QStringList before = journal;
        QEventLoop loop;
        QTimer::singleShot(10 * kAckPause, &loop, &QEventLoop::quit);
        loop.exec();
        return journal == before && port->usedWhileClosed == 0;
    }
};

} // namespace

Q_DECLARE_METATYPE(Stage)
Q_DECLARE_METATYPE(Act)

class TestInstrumentLink : public QObject
{
    Q_OBJECT

private slots:
    // Pure rules: Windows port names; the general date, whose long time form would name a zone;
    // a flood without the marker keeps only the tail, its memory shrunk to match.
    void rules()
    {
        QCOMPARE(portDeviceForText("12", PortPlatform::Windows).device, "COM12");
        QCOMPARE(portDeviceForText(" com3", PortPlatform::Windows).device, "COM3");
        QCOMPARE(generalDateText(kMoment, QLocale::c()), "14 Mar 2024 13:05:09");
        QCOMPARE(generalDateText(kMoment, QLocale("en_US")), "3/14/24 1:05:09 PM");
        RxTail tail;
        for (int i = 0; i < 10; ++i)
            QCOMPARE(tail.appendAndFind(QByteArray(100'000, 'x'), "Done"), -1);
        QCOMPARE_LE(tail.text().capacity(), 2 * RxTail::kLimitBytes);
    }

    void scenario_data()
    {
        QTest::addColumn<Stage>("stage");
        QTest::addColumn<Act>("act");
        QTest::addColumn<QStringList>("steps");
        // Connecting: what each read of the greeting wait brings. A command: the far end's
        // reply to each byte sent, and what is left arrives, read by read, after "OK".
        QTest::addColumn<Reads>("script");
        QTest::addColumn<QString>("portText");
        const auto row = [](const char *name, Stage stage, Act act, const QStringList &steps,
                            const Reads &script = {}, const char *port = "1") {
            QTest::newRow(name) << stage << act << steps << script << QString(port);
        };
        using enum Stage;
        using enum Act;
        const Reads flood(40, QByteArray(16384, 'x'));
        const QString tail = QString(RxTail::kLimitBytes - 4, u'x') + "OK\r\n";
        const auto refused = [](const char *device) {
            return QStringList{entry("refused", device), kCouldNotConnect};
        };
        row("line settings while closed", Closed, Settings,
            steps("line(9600,0,8,1)|dtr(1)|flow(0)|rts(0)|input(0)"));
        // The machine has one serial port, COM 1: the others are refused, named as converted.
        row("blanks around", Closed, Toggle, refused("/dev/ttyS1"), {}, " \t2 ");
        row("half to even down", Closed, Toggle, refused("/dev/ttyS1"), {}, "2.5");
        row("half to even up", Closed, Toggle, refused("/dev/ttyS3"), {}, "3.5");
        row("half rounds to zero", Closed, Toggle, {kCouldNotConnect}, {}, "0.5");
        row("largest 16-bit", Closed, Toggle, refused("/dev/ttyS32766"), {}, "32767");
        row("rounds beyond 16 bits", Closed, Toggle, {kCouldNotConnect}, {}, "32767.5");
        row("device path", Closed, Toggle, refused("/dev/pts/7"), {}, " /dev/pts/7 ");
        row("COM name on Linux", Closed, Toggle, {kCouldNotConnect}, {}, "COM7");
        row("OK and CR in one read", Closed, Toggle, connected("OK\r\n"), {"OK\r"});
        row("OK split over reads", Closed, Toggle, connected("OK\r\n"), {"", "O", "", "K\r"});
        // A lone LF is dropped, so its lines run together; a lone CR gains a LF.
        row("line ends converted", Closed, Toggle, connected("AB\r\nC\r\nOK"), {"A\nB\r\nC\rOK"});
        row("OK on the 400th read", Closed, Toggle, connected("OK"), Reads(399) + Reads{"OK"});
        row("OK due on the 401st read", Closed, Toggle, kTimeOut, Reads(399) + Reads{"", "OK"});
        row("lower-case ok", Closed, Toggle, kTimeOut, {"ok\r"});
        row("flood keeps the tail", Closed, Toggle, connected(tail), flood + Reads{"OK\r"});
        row("port refuses", Lit, Toggle, refused("/dev/ttyS2"), {}, "3");
        row("text names no port", Lit, Toggle, {kCouldNotConnect}, {}, "abc");
        row("stale OK is no greeting", Lit, Toggle, kTimeOut);
        row("new greeting alone in the log", Lit, Toggle, connected("Hi\r\nOK\r\n"), {"Hi\rOK\r"});
        // Nothing sent, no field changed, availability as it was.
        const QStringList notConnected(3, entry("showLinkError", "Error: Not connected."));
        const QStringList lost
            = kDisconnect + QStringList{entry("showLinkError", "Error: Connection lost.")};
        row("commands before connecting", Closed, Commands, notConnected);
        row("commands after a time-out", TimedOut, Commands, notConnected);
        row("commands awaiting the greeting", Greeting, Commands, notConnected);
        row("commands ignored awaiting Done", Reading, Commands, {});
        row("disconnect awaiting OK", Acknowledging, Toggle, kDisconnect);
        row("disconnect awaiting Done", Reading, Toggle, kDisconnect);
        row("shutdown awaiting the greeting", Greeting, Shutdown, {"close()"});
        row("shutdown awaiting OK", Acknowledging, Shutdown, {"close()"});
        row("line fails while idle", Idle, LineFails, lost);
        row("line fails awaiting the greeting", Greeting, LineFails,
            QStringList{"setConnectEnabled(true)"} + lost);
        row("light on", Idle, On, sent("O", 1, "OK\r"), {"OK\r"});
        row("OK split over two passes", Idle, On, sent("O", 2, "OK\r"), {"O", "K\r"});
        row("ok ignored", Idle, Off, sent("F", 3, "ok\rok\rOK\r"), {"ok\r", "ok\r", "OK\r"});
        row("sent each pass", Idle, On, sent("O", 4, "OK\r"), {"", "", "", "OK\r"});
        row("leftover answer", Leftover, Off, sent("F", 3, "OK now\r"), {"", "", "OK now\r"});
        row("worked example", Idle, Read, sent("*", 1, "OK", "123.4"), {"OK", "\r123.4\rDone"});
        row("value in the read with OK", Idle, Read, sent("*", 1, "OK\r123.4\rDone", "123.4"),
            {"OK\r123.4\rDone"});
        row("value and Done split", Idle, Read, sent("*", 1, "OK", "123.4"),
            {"OK", "\r12", "3.4\r", "Do", "ne"});
        row("last non-blank line, trimmed", Idle, Read, sent("*", 1, "OK", "98.6"),
            {"OK", "\nwarm\n \t98.6 \r \r\nDone"});
        row("six-character reading", Idle, Read, sent("*", 1, "OK", ""), {"OK", "\r\rDone"});
        row("flood before the value", Idle, Read, sent("*", 1, "OK", "77.7"),
            Reads{"OK"} + flood + Reads{"\r77.7\rDone"});
    }
    void scenario()
    {
        QFETCH(Stage, stage);
        QFETCH(Act, act);
        QFETCH(QStringList, steps);
        QFETCH(Reads, script);
        QFETCH(QString, portText);

        Rig rig;
        QSignalSpy disconnected(&rig.link, &InstrumentLink::disconnected);
        QVERIFY(rig.enter(stage));
        journal.clear();
        (act == Act::Toggle ? rig.port->perRead : rig.port->replies) = script;
        rig.portChoice = portText;
        if (act == Act::Settings) {
            rig.link.applyLineSettings();
        } else if (act == Act::Toggle) {
            rig.link.connectOrDisconnect();
            QVERIFY(settle(rig.link));
        } else if (act == Act::Commands) {
            rig.link.lightOn();
            rig.link.lightOff();
            rig.link.read();
            if (stage == Stage::Greeting)
                rig.link.connectOrDisconnect(); // a stray call changes nothing
        } else if (act == Act::Shutdown) {
            rig.link.shutdown();
        } else if (act != Act::LineFails) {
            act == Act::On    ? rig.link.lightOn()
            : act == Act::Off ? rig.link.lightOff()
                              : rig.link.read();
            QVERIFY(QTest::qWaitFor([&] { return rig.logged(); }));
            for (const QByteArray &chunk : std::exchange(rig.port->replies, {}))
                rig.port->deliver(chunk);
            QVERIFY(settle(rig.link));
        } else { // reported from inside a read or write: torn down once that has returned
            emit rig.port->errorOccurred("/dev/ttyS0: Input/output error");
            QVERIFY(disconnected.wait());
        }
        QCOMPARE(journal, steps);
        // Only commands during a wait leave it going.
        QCOMPARE(rig.link.isBusy(), act == Act::Commands && stage >= Stage::Greeting);
        QVERIFY(rig.staysQuiet());
    }

    // Real speed over a pseudo-terminal, which refuses DTR and RTS and carries data all the same.
    void pseudoTerminal()
    {
        SimulatedInstrument instrument;
        QVERIFY(instrument.start());
        Rig rig(makeSystemSerialPort());
        rig.portChoice = instrument.devicePath();
        for (const auto step :
             {&InstrumentLink::applyLineSettings, &InstrumentLink::connectOrDisconnect,
              &InstrumentLink::lightOff, &InstrumentLink::read}) {
            (rig.link.*step)();
            QVERIFY(settle(rig.link));
        }
        QCOMPARE(rig.con, "123.4");
        QCOMPARE(rig.log, "Estrivo photometer v1\r\nOK\r\nOK\rOK\r");

        instrument.setBehaviour({.silent = true});
        rig.link.connectOrDisconnect();
        QElapsedTimer clock;
        clock.start();
        rig.link.connectOrDisconnect();
        QVERIFY(settle(rig.link));
        QCOMPARE_GE(clock.elapsed(), 4010); // 401 pauses of 10 ms at the least
        QCOMPARE(journal.constLast(), kCouldNotConnect);
    }

    // An answer still in the driver's queue when a command starts must not pass for its "OK".
    void discardReachesIntoTheDriver()
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
        QtSerialPort port;
        port.setPortName(QString::fromLocal8Bit(ptsname(master)));
        QVERIFY(port.open(nullptr));
        // Written while the event loop does not run: the bytes wait in the driver, not in Qt.
        QCOMPARE(::write(master, "OK\r", 3), 3);
        port.discardInput();
        QCOMPARE(::write(master, "x", 1), 1);
        QByteArray received;
        QTRY_VERIFY((received += port.readAll()).contains('x'));
        QCOMPARE(received, "x");
        ::close(master);
    }
};

QTEST_GUILESS_MAIN(TestInstrumentLink)
#include "tst_instrument_link.moc"
