// The estrivo-instrument-sim executable: its options, the path it prints, and how it stops.
#include "line_end.h"
#include "simulated_instrument.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <csignal>

using estrivo::SimulatedInstrument;
using estrivo::test::LineEnd;

namespace {

constexpr int kWaitMs = 10000; // the tool is a sanitized Qt program: its start-up is slow

const QByteArray kGreeting = SimulatedInstrument::greetingText();

// What to send, and everything the program's end should have received afterwards.
using Exchange = QList<QPair<QByteArray, QByteArray>>;

// Starts the tool and takes the device path from its first line of output.
void startTool(QProcess &process, const QStringList &arguments, QString *path)
{
    process.setProgram(QStringLiteral(ESTRIVO_SIM_EXECUTABLE));
    process.setArguments(arguments);
    process.start();
    QTRY_VERIFY_WITH_TIMEOUT(process.canReadLine() || process.state() == QProcess::NotRunning,
                             kWaitMs);
    QVERIFY2(process.canReadLine(), process.readAllStandardError().constData());
    *path = QString::fromLocal8Bit(process.readLine().trimmed());
    QVERIFY2(path->startsWith(QStringLiteral("/dev/pts/")), qPrintable(*path));
}

void finish(QProcess &process)
{
    if (process.state() != QProcess::NotRunning)
        process.terminate(); // SIGTERM
    QTRY_COMPARE_WITH_TIMEOUT(process.state(), QProcess::NotRunning, kWaitMs);
}

// The commands the tool reported with --verbose, in order.
QByteArray heardCommands(const QByteArray &log)
{
    QByteArray commands;
    for (const QByteArray &line : log.split('\n')) {
        if (line.startsWith("heard ") && line.size() == 7)
            commands += line.at(6);
    }
    return commands;
}

} // namespace

class TestInstrumentSimTool : public QObject
{
    Q_OBJECT

private slots:
    void plays_data();
    void plays();
    void silentHearsNothing();
    void hangsUpAndExits();
    void stopsOnSignal_data();
    void stopsOnSignal();
    void help();
    void refusesBadOptions_data();
    void refusesBadOptions();
};

void TestInstrumentSimTool::plays_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Exchange>("exchange");
    QTest::addColumn<QByteArray>("heard");
    QTest::addColumn<int>("minimumLastReplyMs");

    const QString quick = QStringLiteral("--measure=10");
    const QString noGreeting = QStringLiteral("--no-greeting");
    const QByteArray noise = SimulatedInstrument::Behaviour().noise;

    QTest::newRow("defaults") << QStringList{}
                              << Exchange{{"", kGreeting}, {"*", kGreeting + "OK\r\r123.4\rDone"}}
                              << QByteArray("*") << 200;
    QTest::newRow("concentration")
        << QStringList{QStringLiteral("--concentration"), QStringLiteral("88.8"), quick}
        << Exchange{{"", kGreeting}, {"*", kGreeting + "OK\r\r88.8\rDone"}}
        << QByteArray("*") << 0;
    QTest::newRow("lower-case ok") << QStringList{QStringLiteral("--lowercase-ok")}
                                   << Exchange{{"", "Estrivo photometer v1\r\nok\r"},
                                               {"O", "Estrivo photometer v1\r\nok\rok\r"}}
                                   << QByteArray("O") << 0;
    QTest::newRow("no greeting") << QStringList{noGreeting} << Exchange{{"F", "OK\r"}}
                                 << QByteArray("F") << 0;
    QTest::newRow("no done") << QStringList{QStringLiteral("--no-done"), noGreeting, quick}
                             << Exchange{{"*", "OK\r\r123.4\r"}, {"O", "OK\r\r123.4\rOK\r"}}
                             << QByteArray("*O") << 0;
    QTest::newRow("garbage") << QStringList{QStringLiteral("--garbage"), noGreeting}
                             << Exchange{{"O", noise + "OK\r"}} << QByteArray("O") << 0;
    QTest::newRow("delay") << QStringList{QStringLiteral("--delay"), QStringLiteral("150"),
                                          noGreeting}
                           << Exchange{{"O", "OK\r"}} << QByteArray("O") << 150;
    QTest::newRow("chunks with gaps")
        << QStringList{QStringLiteral("--chunk=1"), QStringLiteral("--chunk-gap=40"), noGreeting}
        << Exchange{{"O", "OK\r"}} << QByteArray("O") << 80;
    QTest::newRow("deaf") << QStringList{QStringLiteral("--deaf"), QStringLiteral("1"), noGreeting}
                          << Exchange{{"OF", "OK\r"}} << QByteArray("F") << 0;
}

void TestInstrumentSimTool::plays()
{
    QFETCH(QStringList, arguments);
    QFETCH(Exchange, exchange);
    QFETCH(QByteArray, heard);
    QFETCH(int, minimumLastReplyMs);

    QProcess tool;
    QString path;
    startTool(tool, arguments + QStringList{QStringLiteral("--verbose")}, &path);
    if (QTest::currentTestFailed())
        return;
    LineEnd line;
    QVERIFY(line.open(path));
    QElapsedTimer clock;
    for (const auto &[command, expected] : exchange) {
        clock.start();
        QVERIFY(command.isEmpty() || line.write(command));
        QTRY_COMPARE_WITH_TIMEOUT(line.received(), expected, kWaitMs);
    }
    QVERIFY2(clock.elapsed() >= minimumLastReplyMs, qPrintable(QString::number(clock.elapsed())));

    finish(tool);
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(heardCommands(tool.readAllStandardError()), heard);
    QTRY_VERIFY_WITH_TIMEOUT(line.hungUp(), kWaitMs);
}

void TestInstrumentSimTool::silentHearsNothing()
{
    QProcess tool;
    QString path;
    startTool(tool, {QStringLiteral("--silent"), QStringLiteral("--verbose")}, &path);
    if (QTest::currentTestFailed())
        return;
    QByteArray log;
    connect(&tool, &QProcess::readyReadStandardError, this,
            [&] { log += tool.readAllStandardError(); });
    LineEnd line;
    QVERIFY(line.open(path));
    QTRY_VERIFY_WITH_TIMEOUT(log.contains("line opened"), kWaitMs);
    QVERIFY(line.write("O*F"));
    // The board reads what is on the line before it notices the close.
    line.close();
    QTRY_VERIFY_WITH_TIMEOUT(log.contains("line closed by the program"), kWaitMs);

    finish(tool);
    log += tool.readAllStandardError();
    QCOMPARE(tool.exitCode(), 0);
    QVERIFY2(!log.contains("heard") && !log.contains("sent"), log.constData());
    QCOMPARE(line.received(), QByteArray());
}

void TestInstrumentSimTool::hangsUpAndExits()
{
    QProcess tool;
    QString path;
    startTool(tool,
              {QStringLiteral("--hang-up"), QStringLiteral("--no-greeting"),
               QStringLiteral("--measure=10")},
              &path);
    if (QTest::currentTestFailed())
        return;
    LineEnd line;
    QVERIFY(line.open(path));
    QVERIFY(line.write("*"));

    QTRY_VERIFY_WITH_TIMEOUT(line.hungUp(), kWaitMs);
    QCOMPARE(line.received(), QByteArray("OK\r\r123."));
    // The path it printed is gone, so it has nothing left to do.
    QTRY_COMPARE_WITH_TIMEOUT(tool.state(), QProcess::NotRunning, kWaitMs);
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 0);
    QVERIFY(tool.readAllStandardError().contains("hung up"));
}

void TestInstrumentSimTool::stopsOnSignal_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

void TestInstrumentSimTool::stopsOnSignal()
{
    QFETCH(int, signal);

    QProcess tool;
    QString path;
    startTool(tool, {}, &path);
    if (QTest::currentTestFailed())
        return;
    LineEnd line;
    QVERIFY(line.open(path));
    QTRY_COMPARE_WITH_TIMEOUT(line.received(), kGreeting, kWaitMs);

    QCOMPARE(::kill(static_cast<pid_t>(tool.processId()), signal), 0);
    QTRY_COMPARE_WITH_TIMEOUT(tool.state(), QProcess::NotRunning, kWaitMs);
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(line.hungUp(), kWaitMs);
}

void TestInstrumentSimTool::help()
{
    QProcess tool;
    tool.setProgram(QStringLiteral(ESTRIVO_SIM_EXECUTABLE));
    tool.setArguments({QStringLiteral("--help")});
    tool.start();
    QTRY_COMPARE_WITH_TIMEOUT(tool.state(), QProcess::NotRunning, kWaitMs);
    QCOMPARE(tool.exitCode(), 0);
    const QByteArray text = tool.readAllStandardOutput();
    for (const char *option : {"--concentration", "--delay", "--chunk", "--lowercase-ok",
                               "--silent", "--no-done", "--garbage", "--hang-up", "--help"}) {
        QVERIFY2(text.contains(option), option);
    }
}

void TestInstrumentSimTool::refusesBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("delay not a number") << QStringList{QStringLiteral("--delay=soon")};
    QTest::newRow("negative delay") << QStringList{QStringLiteral("--delay=-5")};
    QTest::newRow("chunk of zero") << QStringList{QStringLiteral("--chunk=0")};
    QTest::newRow("negative deafness") << QStringList{QStringLiteral("--deaf=-1")};
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--loud")};
    QTest::newRow("stray argument") << QStringList{QStringLiteral("/dev/ttyS0")};
}

void TestInstrumentSimTool::refusesBadOptions()
{
    QFETCH(QStringList, arguments);

    QProcess tool;
    tool.setProgram(QStringLiteral(ESTRIVO_SIM_EXECUTABLE));
    tool.setArguments(arguments);
    tool.start();
    QTRY_COMPARE_WITH_TIMEOUT(tool.state(), QProcess::NotRunning, kWaitMs);
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QVERIFY(tool.exitCode() != 0);
    QCOMPARE(tool.readAllStandardOutput(), QByteArray()); // no device path to give anyone
    QVERIFY(!tool.readAllStandardError().isEmpty());
}

QTEST_GUILESS_MAIN(TestInstrumentSimTool)
#include "tst_instrument_sim_tool.moc"
