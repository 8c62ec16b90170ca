// The program's options answer without a display and refuse what they do not know.
#include <QProcess>
#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void options_data();
    void options();
};

void TestCommandLine::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdoutStarts");
    QTest::addColumn<QString>("stderrContains");

    QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: estrivo [--demo]" << "";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "estrivo " ESTRIVO_VERSION
                             << "";
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 2 << ""
                                    << "unknown option '--frobnicate'";
    QTest::newRow("unknown after demo") << QStringList{"--demo", "-x"} << 2 << ""
                                        << "Usage: estrivo [--demo]";
    QTest::newRow("stray argument") << QStringList{"COM1"} << 2 << "" << "unknown option";
    QTest::newRow("short form is not an option") << QStringList{"-h"} << 2 << "" << "Usage";
}

void TestCommandLine::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, stdoutStarts);
    QFETCH(QString, stderrContains);

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(ESTRIVO_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    if (stdoutStarts.isEmpty())
        QVERIFY2(out.isEmpty(), qPrintable(out));
    else
        QVERIFY2(out.startsWith(stdoutStarts), qPrintable(out));
    QVERIFY2(err.contains(stderrContains), qPrintable(err));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
