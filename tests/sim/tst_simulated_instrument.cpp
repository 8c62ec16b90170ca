// The simulated photometer over its real pseudo-terminal, seen from the program's end.
#include "line_end.h"
#include "simulated_instrument.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;
using estrivo::SimulatedInstrument;
using estrivo::test::LineEnd;
using Behaviour = SimulatedInstrument::Behaviour;
using Detection = SimulatedInstrument::OpenDetection;

namespace {

constexpr int kWaitMs = 5000; // generous for a loaded machine; passing runs never wait it out

// One step of a conversation with the board.
struct Step
{
    enum Kind { Open, Close, Send, AwaitHeard, AwaitReceived, Behave };
    Kind kind = Open;
    QByteArray bytes;
    Behaviour behaviour;
};
using Script = QList<Step>;

Step openLine()
{
    return {Step::Open, {}, {}};
}
Step send(const QByteArray &bytes)
{
    return {Step::Send, bytes, {}};
}
Step awaitHeard(const QByteArray &bytes)
{
    return {Step::AwaitHeard, bytes, {}};
}
Step awaitReceived(const QByteArray &bytes)
{
    return {Step::AwaitReceived, bytes, {}};
}
Step behave(const Behaviour &behaviour)
{
    return {Step::Behave, {}, behaviour};
}

// The rows about commands: no greeting to wait for, and a quick reading.
Behaviour quiet()
{
    Behaviour behaviour;
    behaviour.greet = false;
    behaviour.measureTime = 20ms;
    return behaviour;
}

const QByteArray kGreeting = SimulatedInstrument::greetingText();
const QByteArray kOk = "OK\r";
const QByteArray kReading = "OK\r\r123.4\rDone";

// Runs a script; the caller returns when QTest::currentTestFailed().
void runScript(SimulatedInstrument &sim, LineEnd &line, const Script &script)
{
    for (const Step &step : script) {
        switch (step.kind) {
        case Step::Open:
            QVERIFY(line.open(sim.devicePath()));
            break;
        case Step::Close:
            line.close();
            break;
        case Step::Send:
            QVERIFY(line.write(step.bytes));
            break;
        case Step::AwaitHeard:
            if (!QTest::qWaitFor([&] { return sim.heard() == step.bytes; }, kWaitMs))
                QCOMPARE(sim.heard(), step.bytes);
            break;
        case Step::AwaitReceived:
            if (!QTest::qWaitFor([&] { return line.received() == step.bytes; }, kWaitMs))
                QCOMPARE(line.received(), step.bytes);
            break;
        case Step::Behave:
            sim.setBehaviour(step.behaviour);
            break;
        }
    }
}

QByteArray commandsOf(const QSignalSpy &spy)
{
    QByteArray commands;
    for (const QList<QVariant> &arguments : spy)
        commands += arguments.at(0).value<char>();
    return commands;
}

QList<QByteArray> piecesOf(const QSignalSpy &spy)
{
    QList<QByteArray> pieces;
    for (const QList<QVariant> &arguments : spy)
        pieces += arguments.at(0).toByteArray();
    return pieces;
}

} // namespace

Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(Behaviour)
Q_DECLARE_METATYPE(Detection)

class TestSimulatedInstrument : public QObject
{
    Q_OBJECT

private slots:
    void exchange_data();
    void exchange();
    void readingFollowsTheAcknowledgement();
    void chunks_data();
    void chunks();
    void replyDelay();
    void hangUpMidReading();
    void connectionDetected_data();
    void connectionDetected();
    void closeAndReopenInOnePass_data();
    void closeAndReopenInOnePass();
    void replyDroppedWhenProgramLeaves();
    void stopHangsUpAndReleasesDescriptors();
    void stopFromACommandSlot();
    void destroyedWhileReplying();
    void startTwice();
    void serialPortClient();
};

void TestSimulatedInstrument::exchange_data()
{
    QTest::addColumn<Behaviour>("behaviour");
    QTest::addColumn<Script>("script");
    QTest::addColumn<QByteArray>("received"); // everything the program's end got
    QTest::addColumn<QByteArray>("actedOn");
    QTest::addColumn<bool>("light");

    const Behaviour plain;
    const Behaviour q = quiet();

    QTest::newRow("greeting") << plain << Script{openLine(), awaitReceived(kGreeting)} << kGreeting
                              << QByteArray() << false;
    Behaviour lower = plain;
    lower.lowerCaseOk = true;
    QTest::newRow("greeting with lower-case ok")
        << lower << Script{openLine(), awaitReceived("Estrivo photometer v1\r\nok\r")}
        << QByteArray("Estrivo photometer v1\r\nok\r") << QByteArray() << false;
    Behaviour noisy = plain;
    noisy.garbage = true;
    QTest::newRow("greeting after noise")
        << noisy << Script{openLine(), awaitReceived(plain.noise + kGreeting)}
        << plain.noise + kGreeting << QByteArray() << false;
    QTest::newRow("light on after the greeting")
        << plain
        << Script{openLine(), awaitReceived(kGreeting), send("O"), awaitReceived(kGreeting + kOk)}
        << kGreeting + kOk << QByteArray("O") << true;
    QTest::newRow("light on without greeting")
        << q << Script{openLine(), send("O"), awaitReceived(kOk)} << kOk << QByteArray("O")
        << true;
    QTest::newRow("light off after on")
        << q
        << Script{openLine(), send("O"), awaitReceived(kOk), send("F"), awaitReceived(kOk + kOk)}
        << kOk + kOk << QByteArray("OF") << false;
    QTest::newRow("reading") << q << Script{openLine(), send("*"), awaitReceived(kReading)}
                             << kReading << QByteArray("*") << false;
    Behaviour other = q;
    other.concentration = "87.25";
    QTest::newRow("reading of another concentration")
        << other << Script{openLine(), send("*"), awaitReceived("OK\r\r87.25\rDone")}
        << QByteArray("OK\r\r87.25\rDone") << QByteArray("*") << false;
    QTest::newRow("reading leaves the light on")
        << q
        << Script{openLine(), send("O"), awaitReceived(kOk), send("*"),
                  awaitReceived(kOk + kReading)}
        << kOk + kReading << QByteArray("O*") << true;
    QTest::newRow("other bytes are not commands")
        << q
        << Script{openLine(), send("x\r\no f"), awaitHeard("x\r\no f"), send("O"),
                  awaitReceived(kOk)}
        << kOk << QByteArray("O") << true;

    // Like the real board: a byte that arrives while it answers is not heard.
    QTest::newRow("second command in the same write")
        << q << Script{openLine(),         send("OF"), awaitHeard("OF"),
                       awaitReceived(kOk), send("F"),  awaitReceived(kOk + kOk)}
        << kOk + kOk << QByteArray("OF") << false;
    Behaviour slow = q;
    slow.replyDelay = 100ms;
    QTest::newRow("repeat while the answer is delayed")
        << slow
        << Script{openLine(),       send("O"),          awaitHeard("O"), send("O"),
                  awaitHeard("OO"), awaitReceived(kOk), send("F"),       awaitReceived(kOk + kOk)}
        << kOk + kOk << QByteArray("OF") << false;
    Behaviour measuring = q;
    measuring.measureTime = 150ms;
    QTest::newRow("repeat while measuring")
        << measuring << Script{openLine(),         send("*"),
                               awaitReceived(kOk), send("*"),
                               awaitHeard("**"),   awaitReceived(kReading),
                               send("F"),          awaitReceived(kReading + kOk)}
        << kReading + kOk << QByteArray("*F") << false;
    Behaviour slowGreeting = plain;
    slowGreeting.replyDelay = 100ms;
    QTest::newRow("command during the greeting")
        << slowGreeting << Script{openLine(),      send("O"),
                                  awaitHeard("O"), awaitReceived(kGreeting),
                                  send("F"),       awaitReceived(kGreeting + kOk)}
        << kGreeting + kOk << QByteArray("F") << false;

    // Misbehaviour for the program's tests.
    Behaviour lowerAck = q;
    lowerAck.lowerCaseOk = true;
    QTest::newRow("lower-case acknowledgements")
        << lowerAck
        << Script{openLine(), send("O"), awaitReceived("ok\r"), send("*"),
                  awaitReceived("ok\rok\r\r123.4\rDone")}
        << QByteArray("ok\rok\r\r123.4\rDone") << QByteArray("O*") << true;
    Behaviour silent = plain;
    silent.silent = true;
    QTest::newRow("silent: no greeting, no answer, no action")
        << silent << Script{openLine(), send("O"), awaitHeard("O"),
                            behave(q),  send("*"), awaitReceived(kReading)}
        << kReading << QByteArray("*") << false;
    Behaviour noDone = q;
    noDone.noDone = true;
    QTest::newRow("reading without Done, then listening again")
        << noDone
        << Script{openLine(), send("*"), awaitReceived("OK\r\r123.4\r"), send("O"),
                  awaitReceived("OK\r\r123.4\rOK\r")}
        << QByteArray("OK\r\r123.4\rOK\r") << QByteArray("*O") << true;
    Behaviour garbage = q;
    garbage.garbage = true;
    const QByteArray n = garbage.noise;
    QTest::newRow("noise before every reply")
        << garbage
        << Script{openLine(), send("O"), awaitReceived(n + kOk), send("*"),
                  awaitReceived(n + kOk + n + kOk + n + "\r123.4\rDone")}
        << n + kOk + n + kOk + n + "\r123.4\rDone" << QByteArray("O*") << true;
    Behaviour deaf = q;
    deaf.deafCommands = 2;
    QTest::newRow("deaf to the first two commands")
        << deaf << Script{openLine(),        send("O"),        awaitHeard("O"),
                          send("x"),         awaitHeard("Ox"), send("*"),
                          awaitHeard("Ox*"), send("O"),        awaitReceived(kOk)}
        << kOk << QByteArray("O") << true;
    Behaviour deafAgain = deaf;
    deafAgain.deafCommands = 1;
    QTest::newRow("new behaviour restarts the deafness")
        << deaf << Script{openLine(), send("O"),        awaitHeard("O"), behave(deafAgain),
                          send("F"),  awaitHeard("OF"), send("*"),       awaitReceived(kReading)}
        << kReading << QByteArray("*") << false;
    Behaviour chunked = q;
    chunked.chunkSize = 3;
    chunked.chunkGap = 5ms;
    QTest::newRow("chunked replies arrive whole")
        << chunked << Script{openLine(), send("*"), awaitReceived(kReading)} << kReading
        << QByteArray("*") << false;
    Behaviour hangUp = q;
    hangUp.hangUpMidReply = true;
    QTest::newRow("hang-up spares light commands")
        << hangUp
        << Script{openLine(), send("O"), awaitReceived(kOk), send("F"), awaitReceived(kOk + kOk)}
        << kOk + kOk << QByteArray("OF") << false;
}

void TestSimulatedInstrument::exchange()
{
    QFETCH(Behaviour, behaviour);
    QFETCH(Script, script);
    QFETCH(QByteArray, received);
    QFETCH(QByteArray, actedOn);
    QFETCH(bool, light);

    SimulatedInstrument sim;
    sim.setBehaviour(behaviour);
    QSignalSpy heardSpy(&sim, &SimulatedInstrument::commandHeard);
    QVERIFY(sim.start());
    LineEnd line;
    runScript(sim, line, script);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(line.received(), received);
    QCOMPARE(sim.commandsActedOn(), actedOn);
    QCOMPARE(commandsOf(heardSpy), actedOn);
    QCOMPARE(sim.lightOn(), light);
    QVERIFY(sim.isRunning());
}

void TestSimulatedInstrument::readingFollowsTheAcknowledgement()
{
    // With the default measuring time the read that brings "OK" brings nothing else, even for
    // a program that reads only every 100 ms, and the rest is the classic eleven characters.
    Behaviour behaviour;
    behaviour.greet = false;
    SimulatedInstrument sim;
    sim.setBehaviour(behaviour);
    QList<qint64> sentAt;
    QElapsedTimer clock;
    clock.start();
    connect(&sim, &SimulatedInstrument::replySent, this, [&] { sentAt.append(clock.elapsed()); });
    QSignalSpy pieces(&sim, &SimulatedInstrument::replySent);
    QVERIFY(sim.start());
    LineEnd line;
    QVERIFY(line.open(sim.devicePath()));
    QVERIFY(line.write("*"));
    QTRY_COMPARE_WITH_TIMEOUT(line.received(), kReading, kWaitMs);

    const QList<QByteArray> expected{"OK\r", "\r123.4\rDone"};
    QCOMPARE(piecesOf(pieces), expected);
    QVERIFY2(sentAt.at(1) - sentAt.at(0) >= 200, qPrintable(QString::number(sentAt.at(1))));
    const QByteArray rest = pieces.at(1).at(0).toByteArray();
    QCOMPARE(rest.size(), 11);
    QCOMPARE(rest.mid(1, rest.size() - 6), QByteArray("123.4"));
}

void TestSimulatedInstrument::chunks_data()
{
    QTest::addColumn<int>("chunkSize");
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<int>("minimumSpanMs"); // first piece to last

    QTest::newRow("one byte at a time")
        << 1 << 0 << QByteArray("O") << QList<QByteArray>{"O", "K", "\r"} << 0;
    QTest::newRow("two bytes, spaced")
        << 2 << 30 << QByteArray("F") << QList<QByteArray>{"OK", "\r"} << 30;
    QTest::newRow("chunk longer than the reply")
        << 10 << 30 << QByteArray("O") << QList<QByteArray>{"OK\r"} << 0;
    // Each reply is cut on its own: the acknowledgement stays apart from the reading.
    QTest::newRow("reading in fours")
        << 4 << 10 << QByteArray("*") << QList<QByteArray>{"OK\r", "\r123", ".4\rD", "one"}
        << 20 + 10 + 10;
}

void TestSimulatedInstrument::chunks()
{
    QFETCH(int, chunkSize);
    QFETCH(int, gapMs);
    QFETCH(QByteArray, command);
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(int, minimumSpanMs);

    Behaviour behaviour = quiet();
    behaviour.chunkSize = chunkSize;
    behaviour.chunkGap = std::chrono::milliseconds{gapMs};
    SimulatedInstrument sim;
    sim.setBehaviour(behaviour);
    QElapsedTimer clock;
    clock.start();
    QList<qint64> sentAt;
    connect(&sim, &SimulatedInstrument::replySent, this, [&] { sentAt.append(clock.elapsed()); });
    QSignalSpy spy(&sim, &SimulatedInstrument::replySent);
    QVERIFY(sim.start());
    LineEnd line;
    QVERIFY(line.open(sim.devicePath()));
    QVERIFY(line.write(command));

    QTRY_COMPARE_WITH_TIMEOUT(spy.size(), pieces.size(), kWaitMs);
    QCOMPARE(piecesOf(spy), pieces);
    QTRY_COMPARE_WITH_TIMEOUT(line.received(), pieces.join(), kWaitMs);
    QVERIFY2(sentAt.constLast() - sentAt.constFirst() >= minimumSpanMs,
             qPrintable(QString::number(sentAt.constLast() - sentAt.constFirst())));
}

void TestSimulatedInstrument::replyDelay()
{
    Behaviour behaviour;
    behaviour.replyDelay = 80ms;
    SimulatedInstrument sim;
    sim.setBehaviour(behaviour);
    QElapsedTimer clock;
    QList<qint64> waited;
    connect(&sim, &SimulatedInstrument::programConnected, this, [&] { clock.start(); });
    connect(&sim, &SimulatedInstrument::commandHeard, this, [&] { clock.start(); });
    connect(&sim, &SimulatedInstrument::replySent, this, [&] { waited.append(clock.elapsed()); });
    QVERIFY(sim.start());
    LineEnd line;
    QVERIFY(line.open(sim.devicePath()));
    QTRY_COMPARE_WITH_TIMEOUT(line.received(), kGreeting, kWaitMs);
    QVERIFY(line.write("O"));
    QTRY_COMPARE_WITH_TIMEOUT(line.received(), kGreeting + kOk, kWaitMs);

    QCOMPARE(waited.size(), 2);
    QVERIFY2(waited.at(0) >= 80, qPrintable(QString::number(waited.at(0))));
    QVERIFY2(waited.at(1) >= 80, qPrintable(QString::number(waited.at(1))));
}

void TestSimulatedInstrument::hangUpMidReading()
{
    Behaviour behaviour = quiet();
    behaviour.hangUpMidReply = true;
    SimulatedInstrument sim;
    sim.setBehaviour(behaviour);
    QSignalSpy hungUp(&sim, &SimulatedInstrument::hungUp);
    QVERIFY(sim.start());
    LineEnd line;
    QVERIFY(line.open(sim.devicePath()));
    QVERIFY(line.write("*"));

    QTRY_VERIFY_WITH_TIMEOUT(line.hungUp(), kWaitMs);
    // The acknowledgement whole, then the first half of "\r123.4\rDone".
    QCOMPARE(line.received(), QByteArray("OK\r\r123."));
    QCOMPARE(hungUp.size(), 1);
    QVERIFY(!sim.isRunning());
    QCOMPARE(sim.devicePath(), QString());
    QCOMPARE(sim.heard(), QByteArray("*"));
}

void TestSimulatedInstrument::connectionDetected_data()
{
    QTest::addColumn<Detection>("detection");
    QTest::newRow("notify") << Detection::Notify;
    QTest::newRow("poll") << Detection::Poll;
}

void TestSimulatedInstrument::connectionDetected()
{
    QFETCH(Detection, detection);

    SimulatedInstrument sim;
    sim.setOpenDetection(detection);
    QSignalSpy connected(&sim, &SimulatedInstrument::programConnected);
    QSignalSpy disconnected(&sim, &SimulatedInstrument::programDisconnected);
    QVERIFY(sim.start());
    QCOMPARE(sim.openDetection(), detection);
    QVERIFY(!sim.isProgramConnected());

    LineEnd first;
    QVERIFY(first.open(sim.devicePath()));
    QTRY_COMPARE_WITH_TIMEOUT(first.received(), kGreeting, kWaitMs);
    QCOMPARE(connected.size(), 1);
    QVERIFY(sim.isProgramConnected());

    // A second descriptor on the same line is the same program: no new greeting, and the
    // line stays connected until the last descriptor goes.
    LineEnd second;
    QVERIFY(second.open(sim.devicePath()));
    first.close();
    QVERIFY(second.write("O"));
    QTRY_COMPARE_WITH_TIMEOUT(second.received(), kOk, kWaitMs);
    QCOMPARE(connected.size(), 1);
    QCOMPARE(disconnected.size(), 0);

    second.close();
    QTRY_COMPARE_WITH_TIMEOUT(disconnected.size(), 1, kWaitMs);
    QVERIFY(!sim.isProgramConnected());
    QVERIFY(!sim.isListening());

    // Opening again is a new connection with a new greeting.
    QVERIFY(first.open(sim.devicePath()));
    QTRY_COMPARE_WITH_TIMEOUT(first.received(), kGreeting, kWaitMs);
    QCOMPARE(connected.size(), 2);
    QVERIFY(sim.lightOn());
}

void TestSimulatedInstrument::closeAndReopenInOnePass_data()
{
    QTest::addColumn<bool>("greet");
    QTest::addColumn<QByteArray>("command");  // sent at once after reopening
    QTest::addColumn<QByteArray>("expected"); // on the reopened line
    QTest::newRow("greeting again") << true << QByteArray() << kGreeting;
    QTest::newRow("command at once") << false << QByteArray("F") << kOk;
}

void TestSimulatedInstrument::closeAndReopenInOnePass()
{
    // A program that disconnects and connects again within one event loop pass is a new
    // connection: it gets its greeting, and a command it sends at once is answered. A check
    // for "line hung up" alone would see no change at all.
    QFETCH(bool, greet);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, expected);

    Behaviour behaviour;
    behaviour.greet = greet;
    SimulatedInstrument sim;
    sim.setBehaviour(behaviour);
    QSignalSpy connected(&sim, &SimulatedInstrument::programConnected);
    QSignalSpy disconnected(&sim, &SimulatedInstrument::programDisconnected);
    QVERIFY(sim.start());
    if (sim.openDetection() != Detection::Notify)
        QSKIP("This system offers no inotify watch on the pseudo-terminal");
    LineEnd line;
    QVERIFY(line.open(sim.devicePath()));
    QTRY_COMPARE_WITH_TIMEOUT(connected.size(), 1, kWaitMs);
    QVERIFY(line.write("O"));
    QTRY_COMPARE_WITH_TIMEOUT(sim.commandsActedOn(), QByteArray("O"), kWaitMs);

    line.close();
    QVERIFY(line.open(sim.devicePath()));
    QVERIFY(command.isEmpty() || line.write(command));
    QTRY_COMPARE_WITH_TIMEOUT(line.received(), expected, kWaitMs);
    QCOMPARE(connected.size(), 2);
    QCOMPARE(disconnected.size(), 1);
}

void TestSimulatedInstrument::replyDroppedWhenProgramLeaves()
{
    // An answer still pending when the program closes the line must not greet the next
    // program as a stale "OK".
    Behaviour behaviour;
    behaviour.replyDelay = 100ms;
    SimulatedInstrument sim;
    sim.setBehaviour(behaviour);
    QSignalSpy disconnected(&sim, &SimulatedInstrument::programDisconnected);
    QSignalSpy pieces(&sim, &SimulatedInstrument::replySent);
    QVERIFY(sim.start());
    LineEnd line;
    runScript(sim, line, {openLine(), awaitReceived(kGreeting), send("O"), awaitHeard("O")});
    if (QTest::currentTestFailed())
        return;
    line.close();
    QTRY_COMPARE_WITH_TIMEOUT(disconnected.size(), 1, kWaitMs);

    runScript(sim, line,
              {openLine(), awaitReceived(kGreeting), send("F"), awaitReceived(kGreeting + kOk)});
    if (QTest::currentTestFailed())
        return;
    const QList<QByteArray> expected{kGreeting, kGreeting, kOk};
    QCOMPARE(piecesOf(pieces), expected);
    QCOMPARE(sim.commandsActedOn(), QByteArray("OF"));
}

void TestSimulatedInstrument::stopHangsUpAndReleasesDescriptors()
{
    const int before = estrivo::test::openDescriptorCount();
    {
        SimulatedInstrument sim;
        QVERIFY(sim.start());
        LineEnd line;
        QVERIFY(line.open(sim.devicePath()));
        QTRY_COMPARE_WITH_TIMEOUT(line.received(), kGreeting, kWaitMs);

        sim.stop();
        QVERIFY(!sim.isRunning());
        QCOMPARE(sim.devicePath(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(line.hungUp(), kWaitMs);
        line.close();
        QCOMPARE(estrivo::test::openDescriptorCount(), before);

        // The same object plays a fresh board on a fresh line.
        QVERIFY(sim.start());
        QVERIFY(line.open(sim.devicePath()));
        QTRY_COMPARE_WITH_TIMEOUT(line.received(), kGreeting, kWaitMs);
        line.close();
    }
    QCOMPARE(estrivo::test::openDescriptorCount(), before);
}

void TestSimulatedInstrument::stopFromACommandSlot()
{
    SimulatedInstrument sim;
    sim.setBehaviour(quiet());
    connect(&sim, &SimulatedInstrument::commandHeard, &sim, &SimulatedInstrument::stop);
    QSignalSpy pieces(&sim, &SimulatedInstrument::replySent);
    QVERIFY(sim.start());
    LineEnd line;
    QVERIFY(line.open(sim.devicePath()));
    QVERIFY(line.write("O*F"));

    QTRY_VERIFY_WITH_TIMEOUT(line.hungUp(), kWaitMs);
    QCOMPARE(sim.commandsActedOn(), QByteArray("O"));
    QCOMPARE(pieces.size(), 0);
    QCOMPARE(line.received(), QByteArray());
}

void TestSimulatedInstrument::destroyedWhileReplying()
{
    Behaviour behaviour = quiet();
    behaviour.measureTime = 50ms;
    auto sim = std::make_unique<SimulatedInstrument>();
    sim->setBehaviour(behaviour);
    QVERIFY(sim->start());
    LineEnd line;
    QVERIFY(line.open(sim->devicePath()));
    QVERIFY(line.write("*"));
    QTRY_COMPARE_WITH_TIMEOUT(line.received(), kOk, kWaitMs);

    sim.reset(); // with the reading still to come
    QTRY_VERIFY_WITH_TIMEOUT(line.hungUp(), kWaitMs);
    QCOMPARE(line.received(), kOk);
}

void TestSimulatedInstrument::startTwice()
{
    SimulatedInstrument sim;
    QVERIFY(sim.start());
    const QString path = sim.devicePath();
    QVERIFY(path.startsWith(QStringLiteral("/dev/pts/")));

    QString error;
    QVERIFY(!sim.start(&error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(sim.devicePath(), path);
    QVERIFY(sim.isRunning());
}

void TestSimulatedInstrument::serialPortClient()
{
    // The program reaches the board through QSerialPort; a pty refuses the modem lines,
    // which the program treats as harmless, and everything else works as on a real port.
    SimulatedInstrument sim;
    Behaviour behaviour;
    behaviour.measureTime = 20ms;
    sim.setBehaviour(behaviour);
    QVERIFY(sim.start());

    QSerialPort port(sim.devicePath());
    QByteArray received;
    connect(&port, &QSerialPort::readyRead, this, [&] { received += port.readAll(); });
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    QVERIFY(port.setBaudRate(9600));
    QVERIFY(port.setParity(QSerialPort::NoParity));
    QVERIFY(port.setDataBits(QSerialPort::Data8));
    QVERIFY(port.setStopBits(QSerialPort::OneStop));
    QVERIFY(port.setFlowControl(QSerialPort::NoFlowControl));
    if (!port.setDataTerminalReady(true))
        port.clearError();
    if (!port.setRequestToSend(false))
        port.clearError();

    QTRY_COMPARE_WITH_TIMEOUT(received, kGreeting, kWaitMs);
    port.write("*");
    QTRY_COMPARE_WITH_TIMEOUT(received, kGreeting + kReading, kWaitMs);

    // Disconnect and connect again, as the program's Connect command does.
    QSignalSpy connected(&sim, &SimulatedInstrument::programConnected);
    port.close();
    received.clear();
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    QTRY_COMPARE_WITH_TIMEOUT(received, kGreeting, kWaitMs);
    QCOMPARE(connected.size(), 1);
}

QTEST_GUILESS_MAIN(TestSimulatedInstrument)
#include "tst_simulated_instrument.moc"
