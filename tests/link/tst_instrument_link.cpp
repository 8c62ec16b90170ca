// The instrument link: its pure rules, the handshake and the command transactions over a
// scripted port, and the QSerialPort adapter over a pseudo-terminal with the simulated board.
#include "instrument_link.h"
#include "link_rules.h"
#include "qt_serial_port.h"
#include "rx_tail.h"
#include "scripted_port.h"
#include "simulated_instrument.h"

#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace estrivo;
using namespace std::chrono_literals;
using Reads = ScriptedPort::Reads;
using State = InstrumentLink::State;

namespace {

constexpr std::chrono::milliseconds kAckPause{2}; // fast passes; the pass counts stay
constexpr std::chrono::milliseconds kGreetPause = kAckPause / 2;
constexpr int kGreetingReads = 400;

QStringList journal; // every call on the scripted port and every signal of the link, in order

QString entry(const char *call, const QString &argument = {})
{
    return ScriptedPort::entry(call, argument);
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

// Runs the event loop until no wait is under way; QTRY_* would stretch fast passes to real ones.
bool isWaiting(const InstrumentLink &link)
{
    return link.state() != State::Disconnected && link.state() != State::Connected;
}

bool settle(InstrumentLink &link)
{
    if (!isWaiting(link))
        return true;
    QEventLoop loop;
    QObject::connect(&link, &InstrumentLink::stateChanged, &loop, [&loop, &link] {
        if (!isWaiting(link))
            loop.quit();
    });
    QTimer::singleShot(std::chrono::seconds(20), &loop, [&loop] { loop.exit(1); });
    return loop.exec() == 0;
}

// A failure as the journal writes it: the kind, then those of its facts that are set.
QString failure(LinkError::Kind kind, const QString &port = {}, const QString &reason = {},
                std::chrono::milliseconds waited = {})
{
    QStringList facts{
        QString::fromLatin1(QMetaEnum::fromType<LinkError::Kind>().valueToKey(int(kind)))};
    if (!port.isEmpty())
        facts << port;
    if (!reason.isEmpty())
        facts << reason;
    if (waited.count() != 0)
        facts << QStringLiteral("%1 ms").arg(waited.count());
    return entry("failed", facts.join(QLatin1String(", ")));
}

// Why the port text names no port, as the port rules put it.
QString noSuchPort(const char *portText)
{
    return failure(LinkError::Kind::NoSuchPort, {},
                   portDeviceForText(QString::fromLatin1(portText)).problem);
}

const QString kNoGreeting
    = failure(LinkError::Kind::NoGreeting, "/dev/ttyS0", {}, kGreetPause *kGreetingReads);
const QStringList kOpen = steps("open(/dev/ttyS0)|state(Connecting)");
const QStringList kTimeOut = kOpen + steps("close()|state(Disconnected)|commands(on)")
                             << kNoGreeting;
const QStringList kDisconnect = steps("close()|state(Disconnected)");
const QStringList kWithdrawn = kDisconnect + QStringList{"commands(off)"};

QStringList connected(const QString &log)
{
    return QStringList(kOpen) << entry("logReset", log) << "state(Connected)"
                              << "commands(on)";
}

// A command acknowledged on the given pass: Read empties Con before it sends anything, and
// the reading's time comes from a clock that moves on a second a journal entry.
const QDateTime kMoment(QDate(2024, 3, 14), QTime(13, 5, 9));
QStringList sent(const char *command, int pass, const char *log, const char *value = nullptr)
{
    const char *state = *command == 'O'   ? "LightingOn"
                        : *command == 'F' ? "LightingOff"
                                          : "Reading";
    QStringList steps{entry("state", QString::fromLatin1(state)), "commands(off)"};
    if (value)
        steps << "readingStarted()";
    steps << QStringList(pass, entry("write", command)) << entry("logAppended", log);
    if (value) {
        const QDateTime at = kMoment.addSecs(steps.size());
        steps << entry("reading", QStringLiteral("%1 at %2").arg(value, at.toString(Qt::ISODate)));
    }
    return steps << "state(Connected)"
                 << "commands(on)";
}

// Where a scenario starts. Lit: connected, lit and disconnected again. Leftover: connected, the
// answer to an earlier repeated command still waiting in the port.
enum class Stage { Closed, TimedOut, Lit, Greeting, Idle, Leftover, Acknowledging, Reading };
// Settings: those of start-up. Toggle: Connect or Disconnect as the link stands. Unasked: the
// board speaks between exchanges. On, Off, Read: the commands.
enum class Act { Settings, Toggle, Commands, Shutdown, LineFails, Unasked, On, Off, Read };

// The link on a scripted port by default, its signals journaled beside the port's calls.
struct Rig
{
    QString portChoice = QStringLiteral("1"), log, con;
    ScriptedPort *port;
    InstrumentLink link;

    explicit Rig(std::unique_ptr<SerialPort> real = {})
        : port(real ? nullptr : new ScriptedPort)
        , link(real ? std::move(real) : std::unique_ptr<SerialPort>(port))
    {
        journal.clear();
        if (port)
            port->calls = &journal;
        link.setClock([] { return kMoment.addSecs(journal.size()); });
        if (port)
            link.setPassInterval(kAckPause, kGreetPause);
        QObject::connect(&link, &InstrumentLink::stateChanged, [](State state) {
            note("state",
                 QString::fromLatin1(QMetaEnum::fromType<State>().valueToKey(int(state))));
        });
        QObject::connect(&link, &InstrumentLink::commandsAvailableChanged,
                         [](bool on) { note("commands", on ? "on" : "off"); });
        QObject::connect(&link, &InstrumentLink::logReset,
                         [this](const QString &t) { log = note("logReset", t); });
        QObject::connect(&link, &InstrumentLink::logAppended,
                         [this](const QString &t) { log += note("logAppended", t); });
        QObject::connect(&link, &InstrumentLink::readingStarted, [this] {
            note("readingStarted");
            con.clear();
        });
        QObject::connect(&link, &InstrumentLink::readingTaken, [this](const Reading &r) {
            con = r.value;
            note("reading",
                 QStringLiteral("%1 at %2").arg(r.value, r.takenAt.toString(Qt::ISODate)));
        });
        QObject::connect(&link, &InstrumentLink::failed, [](const LinkError &e) {
            journal << failure(e.kind, e.port, e.reason, e.waited);
        });
    }

    void lightOff() { link.lightOff(); }
    void read() { link.read(); }
    void toggle()
    {
        if (link.state() == State::Disconnected)
            link.connectToInstrument(portChoice);
        else
            link.disconnectFromInstrument();
    }
    bool logged() const { return !journal.filter(QStringLiteral("logAppended(")).isEmpty(); }
    bool enter(Stage stage)
    {
        if (stage == Stage::Closed)
            return true;
        if (stage == Stage::Greeting || stage == Stage::TimedOut) {
            toggle(); // nothing answers
            return stage == Stage::Greeting ? link.state() == State::Connecting : settle(link);
        }
        port->perRead = {"OK\r"};
        toggle();
        if (!settle(link) || link.state() != State::Connected)
            return false;
        port->perRead = Reads(stage == Stage::Leftover, "OK\r"); // left waiting in the port
        if (stage == Stage::Idle || stage == Stage::Leftover)
            return true;
        // Awaiting "OK" the command goes unanswered, so it is sent again each pass.
        port->replies = {stage == Stage::Acknowledging ? "" : "OK\r"};
        stage == Stage::Lit ? link.lightOn() : link.read();
        if (stage != Stage::Lit)
            return QTest::qWaitFor([this] { return journal.count("write(*)") >= 2 || logged(); });
        settle(link); // the wait that saw "OK" keeps it; connecting again must not take it
        toggle();
        return link.state() == State::Disconnected;
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
        // The scripted port's own explanation comes through as it is.
        const auto refused = [](const char *device) {
            const QString reason = QString::fromLatin1(device) + ": No such file or directory";
            return QStringList{entry("refused", device),
                               failure(LinkError::Kind::PortRefused, device, reason)};
        };
        row("line settings while closed", Closed, Settings,
            steps("line(9600,0,8,1)|dtr(1)|flow(0)|rts(0)"));
        // The machine has one serial port, COM 1: the others are refused, named as converted.
        row("blanks around", Closed, Toggle, refused("/dev/ttyS1"), {}, " \t2 ");
        row("half to even down", Closed, Toggle, refused("/dev/ttyS1"), {}, "2.5");
        row("half to even up", Closed, Toggle, refused("/dev/ttyS3"), {}, "3.5");
        row("half rounds to zero", Closed, Toggle, {noSuchPort("0.5")}, {}, "0.5");
        row("largest 16-bit", Closed, Toggle, refused("/dev/ttyS32766"), {}, "32767");
        row("rounds beyond 16 bits", Closed, Toggle, {noSuchPort("32767.5")}, {}, "32767.5");
        row("device path", Closed, Toggle, refused("/dev/pts/7"), {}, " /dev/pts/7 ");
        row("COM name on Linux", Closed, Toggle, {noSuchPort("COM7")}, {}, "COM7");
        row("OK and CR in one read", Closed, Toggle, connected("OK\r\n"), {"OK\r"});
        row("OK split over reads", Closed, Toggle, connected("OK\r\n"), {"", "O", "", "K\r"});
        // A lone LF is dropped, so its lines run together; a lone CR gains a LF.
        row("line ends converted", Closed, Toggle, connected("AB\r\nC\r\nOK"), {"A\nB\r\nC\rOK"});
        row("OK on the 400th read", Closed, Toggle, connected("OK"), Reads(399) + Reads{"OK"});
        row("OK due on the 401st read", Closed, Toggle, kTimeOut, Reads(399) + Reads{"", "OK"});
        row("lower-case ok", Closed, Toggle, kTimeOut, {"ok\r"});
        row("flood keeps the tail", Closed, Toggle, connected(tail), flood + Reads{"OK\r"});
        row("port refuses", Lit, Toggle, refused("/dev/ttyS2"), {}, "3");
        row("text names no port", Lit, Toggle, {noSuchPort("abc")}, {}, "abc");
        row("stale OK is no greeting", Lit, Toggle, kTimeOut);
        row("new greeting alone in the log", Lit, Toggle, connected("Hi\r\nOK\r\n"), {"Hi\rOK\r"});
        // Nothing sent, no field changed, availability as it was. A command chosen while
        // connecting says so, rather than asking to connect first.
        const QStringList notConnected(3, failure(LinkError::Kind::NotConnected));
        const QStringList stillConnecting(3,
                                          failure(LinkError::Kind::StillConnecting, "/dev/ttyS0"));
        // The system's words for the failure, with the device it happened on.
        const QStringList lost{
            failure(LinkError::Kind::ConnectionLost, "/dev/ttyS0", "Input/output error")};
        row("commands before connecting", Closed, Commands, notConnected);
        row("commands after a time-out", TimedOut, Commands, notConnected);
        row("commands awaiting the greeting", Greeting, Commands, stillConnecting);
        row("commands ignored awaiting Done", Reading, Commands, {});
        row("disconnect awaiting OK", Acknowledging, Toggle, kDisconnect);
        row("disconnect awaiting Done", Reading, Toggle, kDisconnect);
        row("shutdown awaiting the greeting", Greeting, Shutdown, {"close()"});
        row("shutdown awaiting OK", Acknowledging, Shutdown, {"close()"});
        row("line fails while idle", Idle, LineFails, kWithdrawn + lost);
        row("line fails awaiting the greeting", Greeting, LineFails, kDisconnect + lost);
        // What the board says on its own goes into the log as it came, and answers nothing.
        row("unasked text logged", Idle, Unasked, {entry("logAppended", "Fault 7\r")},
            {"Fault 7\r"});
        row("unasked text in pieces", Idle, Unasked,
            {entry("logAppended", "Res"), entry("logAppended", "et\rOK\r")}, {"Res", "et\rOK\r"});
        row("unasked flood bounded", Idle, Unasked,
            QStringList(RxTail::kLimitBytes / 16384, entry("logAppended", QString(16384, u'x'))),
            flood);
        row("light on", Idle, On, sent("O", 1, "OK\r"), {"OK\r"});
        row("OK split over two passes", Idle, On, sent("O", 2, "OK\r"), {"O", "K\r"});
        row("ok ignored", Idle, Off, sent("F", 3, "ok\rok\rOK\r"), {"ok\r", "ok\r", "OK\r"});
        row("sent each pass", Idle, On, sent("O", 4, "OK\r"), {"", "", "", "OK\r"});
        row("leftover answer", Leftover, Off, sent("F", 3, "OK now\r"), {"", "", "OK now\r"});
        row("worked example", Idle, Read, sent("*", 1, "OK", "123.4"), {"OK", "\r123.4\rDone"});
        row("value in the read with OK", Idle, Read, sent("*", 1, "OK\r123.4\rDone", "123.4"),
            {"OK\r123.4\rDone"});
        row("text after Done", Idle, Read, sent("*", 1, "OK", "123.4"),
            {"OK", "\r123.4\rDone\r\n"});
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
        QVERIFY(rig.enter(stage));
        journal.clear();
        if (act == Act::Toggle)
            rig.port->perRead = script;
        else if (act != Act::Unasked)
            rig.port->replies = script;
        rig.portChoice = portText;
        if (act == Act::Settings) {
            rig.link.applyLineSettings();
        } else if (act == Act::Toggle) {
            rig.toggle();
            QVERIFY(settle(rig.link));
        } else if (act == Act::Commands) {
            rig.link.lightOn();
            rig.link.lightOff();
            rig.link.read();
            if (stage == Stage::Greeting)
                rig.link.connectToInstrument(rig.portChoice); // a stray call changes nothing
        } else if (act == Act::Unasked) {
            for (const QByteArray &chunk : script)
                rig.port->deliver(chunk);
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
            emit rig.port->errorOccurred("Input/output error");
            QTRY_COMPARE(rig.link.state(), State::Disconnected);
        }
        QCOMPARE(journal, steps);
        // Only commands during a wait leave it going.
        QCOMPARE(isWaiting(rig.link), act == Act::Commands && stage >= Stage::Greeting);
        QVERIFY(rig.staysQuiet());
    }

    // Real speed over a pseudo-terminal, which refuses DTR and RTS and carries data all the same.
    void pseudoTerminal()
    {
        SimulatedInstrument instrument;
        QVERIFY(instrument.start());
        Rig rig(makeSystemSerialPort());
        rig.portChoice = instrument.devicePath();
        rig.link.applyLineSettings();
        for (const auto step : {&Rig::toggle, &Rig::lightOff, &Rig::read}) {
            (rig.*step)();
            QVERIFY(settle(rig.link));
        }
        QCOMPARE(rig.con, "123.4");
        QCOMPARE(rig.log, "Estrivo photometer v1\r\nOK\r\nOK\rOK\r");

        instrument.setBehaviour({.silent = true});
        rig.toggle();
        QElapsedTimer clock;
        clock.start();
        rig.toggle();
        QVERIFY(settle(rig.link));
        QCOMPARE_GE(clock.elapsed(), 4010); // 401 pauses of 10 ms at the least
        QCOMPARE(journal.constLast(),
                 failure(LinkError::Kind::NoGreeting, instrument.devicePath(), {}, 4000ms));
    }

    // An "OK" the board sent on its own is logged and never taken for the next command's.
    void unaskedOkIsNoAcknowledgement()
    {
        Rig rig;
        QVERIFY(rig.enter(Stage::Idle));
        rig.port->deliver("OK\r");
        rig.port->replies = {"", "OK\r"};
        rig.link.lightOn();
        QVERIFY(settle(rig.link));
        QCOMPARE(journal.count("write(O)"), 2);
        QCOMPARE(rig.log, "OK\r\nOK\rOK\r");
    }

    // At real speed an unanswered command goes out again no sooner than every 100 ms.
    void unansweredCommandPace()
    {
        Rig rig;
        QVERIFY(rig.enter(Stage::Idle));
        rig.link.setPassInterval(std::chrono::milliseconds(100), std::chrono::milliseconds(10));
        QList<qint64> sentAt;
        QElapsedTimer clock;
        clock.start();
        QObject::connect(rig.port, &SerialPort::bytesWritten, [&] { sentAt << clock.elapsed(); });
        rig.link.lightOn();
        QTRY_VERIFY_WITH_TIMEOUT(sentAt.size() >= 4, 5000);
        rig.link.disconnectFromInstrument();
        for (qsizetype i = 1; i < sentAt.size(); ++i)
            QCOMPARE_GE(sentAt[i] - sentAt[i - 1], 100);
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
