// The estrivo-instrument-sim executable: the path it prints can be opened, its options reach
// the board, and SIGTERM ends it cleanly with the line hung up.
#include "line_end.h"

#include <QProcess>
#include <QtTest>

class TestInstrumentSimTool : public QObject
{
    Q_OBJECT

private slots:
    void printsPathAndStopsOnSigterm();
};

void TestInstrumentSimTool::printsPathAndStopsOnSigterm()
{
    constexpr int kWaitMs = 10000; // the tool is a sanitized Qt program: its start-up is slow
    const QByteArray greeting = "Estrivo photometer v1\r\nOK\r";

    QProcess tool;
    tool.start(QStringLiteral(ESTRIVO_SIM_EXECUTABLE),
               {QStringLiteral("--concentration=88.8"), QStringLiteral("--measure=10")});
    QTRY_VERIFY_WITH_TIMEOUT(tool.canReadLine() || tool.state() == QProcess::NotRunning, kWaitMs);
    QVERIFY2(tool.canReadLine(), tool.readAllStandardError().constData());
    LineEnd line;
    QVERIFY(line.open(QString::fromLocal8Bit(tool.readLine().trimmed())));
    QTRY_COMPARE_WITH_TIMEOUT(line.received(), greeting, kWaitMs);
    QVERIFY(line.write("*"));
    QTRY_COMPARE_WITH_TIMEOUT(line.received(), greeting + "OK\r\r88.8\rDone", kWaitMs);

    tool.terminate();
    QTRY_COMPARE_WITH_TIMEOUT(tool.state(), QProcess::NotRunning, kWaitMs);
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(line.hungUp(), kWaitMs);
}

QTEST_GUILESS_MAIN(TestInstrumentSimTool)
#include "tst_instrument_sim_tool.moc"
