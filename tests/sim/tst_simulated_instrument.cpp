// The simulated photometer from the program's end of its pseudo-terminal, and its executable.
#include "qt_serial_port.h"
#include "simulated_instrument.h"

#include <QProcess>
#include <QtTest>

using namespace std::chrono_literals;
using estrivo::SimulatedInstrument;
using Behaviour = SimulatedInstrument::Behaviour;

struct Row // one board: what is sent to it, and what must come back
{
    Behaviour behaviour;
    QList<QPair<QByteArray, QByteArray>> exchange; // each sent, then all received so far
    QByteArray actedOn;
    int minimumMs = 0; // from opening the line to the last reply
    bool poll = false; // OpenDetection::Poll, as where the system refuses a watch
};
Q_DECLARE_METATYPE(Row)
constexpr int kWait = 10000; // generous for a loaded machine; passing runs never wait it out
const QByteArray kGreeting = "Estrivo photometer v1\r\nOK\r";

class TestSimulatedInstrument : public QObject
{
    Q_OBJECT
    static void row(const char *name, const Row &r) { QTest::newRow(name) << r; }

private slots:
    void replies_data()
    {
        QTest::addColumn<Row>("row");
        const QByteArray ok = "OK\r", reading = "OK\r\r123.4\rDone", noise = Behaviour().noise;
        const QByteArray lower = SimulatedInstrument::greetingText(true), lowerOk = lower + "ok";
        row("polled", {{}, {{"", kGreeting}, {"F", kGreeting + ok}}, "F", 0, true});
        row("other bytes; deaf answering", {{}, {{"x\r\no fOF", ok}, {"F", ok + ok}}, "OF"});
        row("deaf measuring", {{}, {{"*", ok}, {"*", reading}}, "*", 200});
        row("reply delay", {{.replyDelay = 100ms}, {{"O", ok}}, "O", 100});
        row("answer due at close", {{.replyDelay = 100ms}, {{"O", ""}}, "O"});
        row("chunks", {{.chunkSize = 4, .chunkGap = 100ms}, {{"*", reading}}, "*", 400});
        row("lower", {{.lowerCaseOk = true}, {{"", lower}, {"*", lowerOk + reading.mid(2)}}, "*"});
        row("silent", {{.silent = true}, {{"", ""}, {"O*", ""}}, ""});
        row("no Done", {{.noDone = true}, {{"*", "OK\r\r123.4\r"}}, "*"});
        row("garbage", {{.garbage = true}, {{"*", noise + ok + noise + "\r123.4\rDone"}}, "*"});
        row("deaf to two", {{.deafCommands = 2}, {{"xO*", ""}, {"F", ok}}, "F"});
        row("hang-up", {{.hangUpMidReply = true}, {{"*", "OK\r\r123."}}, "*"});
    }
    void replies()
    {
        QFETCH(Row, row);
        row.behaviour.greet = row.exchange.constFirst().first.isEmpty(); // if awaited first
        SimulatedInstrument sim;
        sim.setOpenDetection(SimulatedInstrument::OpenDetection(row.poll));
        sim.setBehaviour(row.behaviour);
        QVERIFY(sim.start());
        estrivo::QtSerialPort line;
        line.setPortName(sim.devicePath());
        QVERIFY(line.open(nullptr));
        QElapsedTimer clock;
        clock.start();
        QByteArray got;
        for (const auto &[bytes, expected] : row.exchange) { // heard before the next go out
            line.write(bytes);
            QTRY_VERIFY_WITH_TIMEOUT(sim.heard().endsWith(bytes), kWait);
            QTRY_COMPARE_WITH_TIMEOUT(got += line.readAll(), expected, kWait);
        }
        QCOMPARE_GE(clock.elapsed(), row.minimumMs);
        QCOMPARE(sim.commandsActedOn(), row.actedOn);
        QCOMPARE(sim.lightOn(), row.actedOn.endsWith('O'));
        QTRY_COMPARE_WITH_TIMEOUT(sim.isRunning(), !row.behaviour.hangUpMidReply, kWait);
        if (!sim.isRunning())
            return;
        // A plain board greets the next opening afresh, with no answer left over from this one.
        sim.setBehaviour({});
        line.close();
        QTRY_VERIFY_WITH_TIMEOUT(!sim.isProgramConnected(), kWait);
        QVERIFY(line.open(nullptr));
        got.clear();
        QTRY_COMPARE_WITH_TIMEOUT(got += line.readAll(), kGreeting, kWait);
    }

    // The executable prints a path to open, passes its options on and stops cleanly on SIGTERM.
    void executable()
    {
        QProcess tool;
        tool.start(ESTRIVO_SIM_EXECUTABLE, {"--concentration=88.8", "--measure=10"});
        QTRY_VERIFY2_WITH_TIMEOUT(tool.canReadLine(), tool.readAllStandardError().constData(),
                                  kWait);
        estrivo::QtSerialPort line;
        line.setPortName(QString::fromLocal8Bit(tool.readLine().trimmed()));
        QSignalSpy hungUp(&line, &estrivo::SerialPort::errorOccurred);
        QVERIFY(line.open(nullptr));
        QByteArray got;
        QTRY_COMPARE_WITH_TIMEOUT(got += line.readAll(), kGreeting, kWait);
        line.write("*");
        QTRY_COMPARE_WITH_TIMEOUT(got += line.readAll(), kGreeting + "OK\r\r88.8\rDone", kWait);
        tool.terminate();
        QTRY_VERIFY_WITH_TIMEOUT(!hungUp.isEmpty() && tool.state() == QProcess::NotRunning, kWait);
        QVERIFY(tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0);
    }
};

QTEST_GUILESS_MAIN(TestSimulatedInstrument)
#include "tst_simulated_instrument.moc"
