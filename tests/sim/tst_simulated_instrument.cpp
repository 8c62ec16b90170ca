// The simulated photometer over its real pseudo-terminal, seen from the program's end.
#include "line_end.h"
#include "simulated_instrument.h"

#include <QtTest>

using namespace std::chrono_literals;
using estrivo::SimulatedInstrument;
using Behaviour = SimulatedInstrument::Behaviour;
using Detection = SimulatedInstrument::OpenDetection;
// What the program sends, and all that its end has received once the board has answered.
using Exchange = QList<QPair<QByteArray, QByteArray>>;

namespace {

constexpr int kWaitMs = 5000; // generous for a loaded machine; passing runs never wait it out
const QByteArray kGreeting = "Estrivo photometer v1\r\nOK\r";
const QByteArray kOk = "OK\r";
const QByteArray kReading = "OK\r\r123.4\rDone";

// No greeting to wait for, and a quick reading.
Behaviour quiet()
{
    Behaviour behaviour;
    behaviour.greet = false;
    behaviour.measureTime = 20ms;
    return behaviour;
}

// A board with one thing changed, a quiet one unless another is given.
template<typename T>
Behaviour with(T Behaviour::*member, std::type_identity_t<T> value, Behaviour behaviour = quiet())
{
    behaviour.*member = value;
    return behaviour;
}

} // namespace

Q_DECLARE_METATYPE(Behaviour)
Q_DECLARE_METATYPE(Detection)

class TestSimulatedInstrument : public QObject
{
    Q_OBJECT

private slots:
    void replies_data();
    void replies();
    void connections_data();
    void connections();
};

void TestSimulatedInstrument::replies_data()
{
    QTest::addColumn<Behaviour>("behaviour");
    QTest::addColumn<Exchange>("exchange");
    QTest::addColumn<QByteArray>("actedOn");
    QTest::addColumn<QList<QByteArray>>("pieces"); // as they went onto the line; empty: any
    QTest::addColumn<int>("minimumMs");            // from opening the line to the last reply

    using Pieces = QList<QByteArray>;
    const Behaviour greeting;
    QTest::newRow("greeting, light on")
        << greeting << Exchange{{"", kGreeting}, {"O", kGreeting + kOk}} << QByteArray("O")
        << Pieces() << 0;
    QTest::newRow("light off") << quiet() << Exchange{{"O", kOk}, {"F", kOk + kOk}}
                               << QByteArray("OF") << Pieces() << 0;
    QTest::newRow("worked example") << quiet() << Exchange{{"*", kReading}} << QByteArray("*")
                                    << Pieces{"OK\r", "\r123.4\rDone"} << 0;
    QTest::newRow("other bytes are no commands")
        << quiet() << Exchange{{"x\r\no f", ""}, {"O", kOk}} << QByteArray("O") << Pieces() << 0;
    // Like the real board, it hears nothing while it greets, answers or measures.
    QTest::newRow("deaf while answering")
        << quiet() << Exchange{{"OF", kOk}} << QByteArray("O") << Pieces() << 0;
    QTest::newRow("deaf while measuring")
        << with(&Behaviour::measureTime, 150ms) << Exchange{{"*", kOk}, {"*", kReading}}
        << QByteArray("*") << Pieces() << 150;
    QTest::newRow("deaf while greeting") // the greeting and the answer each wait their delay
        << with(&Behaviour::replyDelay, 100ms, greeting)
        << Exchange{{"O", kGreeting}, {"F", kGreeting + kOk}} << QByteArray("F") << Pieces()
        << 100 + 100;
    // The misbehaviour the program is tested against.
    QTest::newRow("concentration")
        << with(&Behaviour::concentration, "87.25") << Exchange{{"*", "OK\r\r87.25\rDone"}}
        << QByteArray("*") << Pieces() << 0;
    QTest::newRow("reply delay") << with(&Behaviour::replyDelay, 100ms) << Exchange{{"O", kOk}}
                                 << QByteArray("O") << Pieces() << 100;
    QTest::newRow("chunks") << with(&Behaviour::chunkGap, 10ms, with(&Behaviour::chunkSize, 4))
                            << Exchange{{"*", kReading}} << QByteArray("*")
                            << Pieces{"OK\r", "\r123", ".4\rD", "one"} << 20 + 10 + 10;
    QTest::newRow("lower-case ok")
        << with(&Behaviour::lowerCaseOk, true, greeting)
        << Exchange{{"", "Estrivo photometer v1\r\nok\r"},
                    {"*", "Estrivo photometer v1\r\nok\rok\r\r123.4\rDone"}}
        << QByteArray("*") << Pieces() << 0;
    QTest::newRow("silent") << with(&Behaviour::silent, true, greeting) << Exchange{{"O*", ""}}
                            << QByteArray() << Pieces() << 0;
    QTest::newRow("no Done") << with(&Behaviour::noDone, true) << Exchange{{"*", "OK\r\r123.4\r"}}
                             << QByteArray("*") << Pieces() << 0;
    const QByteArray noise = greeting.noise;
    QTest::newRow("garbage") << with(&Behaviour::garbage, true)
                             << Exchange{{"*", noise + kOk + noise + "\r123.4\rDone"}}
                             << QByteArray("*") << Pieces() << 0;
    QTest::newRow("deaf to the first two commands")
        << with(&Behaviour::deafCommands, 2) << Exchange{{"O", ""}, {"*", ""}, {"F", kOk}}
        << QByteArray("F") << Pieces() << 0;
    QTest::newRow("hang-up spares the light")
        << with(&Behaviour::hangUpMidReply, true) << Exchange{{"O", kOk}} << QByteArray("O")
        << Pieces() << 0;
    QTest::newRow("hang-up mid reading")
        << with(&Behaviour::hangUpMidReply, true) << Exchange{{"*", "OK\r\r123."}}
        << QByteArray("*") << Pieces() << 0;
}

void TestSimulatedInstrument::replies()
{
    QFETCH(Behaviour, behaviour);
    QFETCH(Exchange, exchange);
    QFETCH(QByteArray, actedOn);
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(int, minimumMs);

    SimulatedInstrument sim;
    sim.setBehaviour(behaviour);
    QSignalSpy sent(&sim, &SimulatedInstrument::replySent);
    QVERIFY(sim.start());
    LineEnd line;
    QVERIFY(line.open(sim.devicePath()));
    QElapsedTimer clock;
    clock.start();
    QByteArray heard;
    // One step at a time: the board has heard the bytes before the next ones go out.
    for (const auto &[bytes, expected] : exchange) {
        QVERIFY(line.write(bytes));
        heard += bytes;
        QTRY_COMPARE_WITH_TIMEOUT(sim.heard(), heard, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(line.received(), expected, kWaitMs);
    }
    QCOMPARE_GE(clock.elapsed(), minimumMs);
    QCOMPARE(sim.commandsActedOn(), actedOn);
    // "O" switches the light on, "F" off.
    QCOMPARE(sim.lightOn(), actedOn.lastIndexOf('O') > actedOn.lastIndexOf('F'));
    for (qsizetype i = 0; i < pieces.size(); ++i)
        QCOMPARE(sent.value(i).value(0).toByteArray(), pieces.at(i));
    if (behaviour.hangUpMidReply && actedOn == "*") {
        QTRY_VERIFY_WITH_TIMEOUT(line.hungUp(), kWaitMs);
        QCOMPARE(sim.isRunning(), false);
        return;
    }
    // Nothing more has come, and the board listens again: a plain one answers one more command.
    sim.setBehaviour(Behaviour());
    QVERIFY(line.write("F"));
    QTRY_COMPARE_WITH_TIMEOUT(line.received(), exchange.constLast().second + kOk, kWaitMs);
}

void TestSimulatedInstrument::connections_data()
{
    QTest::addColumn<Detection>("detection");
    QTest::newRow("notify") << Detection::Notify;
    QTest::newRow("poll") << Detection::Poll;
}

void TestSimulatedInstrument::connections()
{
    QFETCH(Detection, detection);

    const qsizetype descriptors = openDescriptorCount();
    auto sim = std::make_unique<SimulatedInstrument>();
    sim->setOpenDetection(detection);
    Behaviour behaviour;
    behaviour.replyDelay = 100ms;
    sim->setBehaviour(behaviour);
    QSignalSpy connected(sim.get(), &SimulatedInstrument::programConnected);
    QSignalSpy disconnected(sim.get(), &SimulatedInstrument::programDisconnected);
    QVERIFY(sim->start());
    QCOMPARE(sim->openDetection(), detection);
    const QString path = sim->devicePath();

    // Each opening is greeted afresh; an answer still due when the program left is dropped,
    // not sent to the next one as a stale "OK".
    LineEnd line;
    for (int connection = 1; connection <= 2; ++connection) {
        QVERIFY(line.open(path));
        QTRY_COMPARE_WITH_TIMEOUT(line.received(), kGreeting, kWaitMs);
        QCOMPARE(connected.count(), connection);
        QVERIFY(line.write("O"));
        QTRY_COMPARE_WITH_TIMEOUT(sim->commandsActedOn().size(), connection, kWaitMs);
        line.close();
        QTRY_COMPARE_WITH_TIMEOUT(disconnected.count(), connection, kWaitMs);
    }

    sim->setBehaviour(quiet());
    if (detection == Detection::Notify) {
        // Closed and opened again within one pass: still a new connection, which hears a
        // command sent at once.
        QVERIFY(line.open(path));
        QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 3, kWaitMs);
        line.close();
        QVERIFY(line.open(path));
        QVERIFY(line.write("F"));
        QTRY_COMPARE_WITH_TIMEOUT(line.received(), kOk, kWaitMs);
        QCOMPARE(connected.count(), 4);
    }

    // Gone in the middle of a reading: the line hangs up and nothing is left open.
    behaviour.greet = false;
    sim->setBehaviour(behaviour);
    QVERIFY(line.open(path));
    QVERIFY(line.write("*"));
    QTRY_COMPARE_WITH_TIMEOUT(line.received(), kOk, kWaitMs);
    sim.reset();
    QTRY_VERIFY_WITH_TIMEOUT(line.hungUp(), kWaitMs);
    QCOMPARE(line.received(), kOk);
    line.close();
    QCOMPARE(openDescriptorCount(), descriptors);
}

QTEST_GUILESS_MAIN(TestSimulatedInstrument)
#include "tst_simulated_instrument.moc"
