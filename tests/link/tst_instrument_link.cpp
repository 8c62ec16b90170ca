// The connection handshake and the command transactions, driven through a scripted port.
#include "fake_link_host.h"
#include "fake_serial_port.h"
#include "instrument_link.h"
#include "link_rules.h"
#include "rx_tail.h"

#include <QtTest>

#include <chrono>
#include <memory>

using namespace std::chrono_literals;
using estrivo::InstrumentLink;
using estrivo::RxTail;

namespace {

// Fast passes; the pass counts and their order are what the tests look at.
constexpr std::chrono::milliseconds kAckPause{2};
constexpr std::chrono::milliseconds kGreetPause{1};
// Long enough for several fast passes: a wait that was not ended would send in this time.
constexpr std::chrono::milliseconds kQuiet{60};

const QStringList kDisconnectSteps{
    QStringLiteral("close"),
    QStringLiteral("setTitle(Estrivo (tm))"),
    QStringLiteral("setConnectCaption(&Connect)"),
    QStringLiteral("setPortChoiceEnabled(true)"),
    QStringLiteral("setExitEnabled(true)"),
    QStringLiteral("disableCommands"),
};

enum class Stage { Idle, Sending, Pausing, Reading, Greeting };

// The link with a scripted port on one side and a recording window on the other.
struct Rig
{
    QStringList journal;
    FakeLinkHost host{&journal};
    FakeSerialPort *port = nullptr; // owned by the link
    std::unique_ptr<InstrumentLink> link;

    Rig()
    {
        auto fake = std::make_unique<FakeSerialPort>(&journal);
        port = fake.get();
        link = std::make_unique<InstrumentLink>(host, std::move(fake));
        link->setPassInterval(kAckPause, kGreetPause);
    }

    // Each entry is the reply to one sent byte, in order; an empty entry is silence.
    void answer(const QList<QByteArray> &replies)
    {
        auto count = std::make_shared<int>(0);
        port->onSent = [this, replies, count](char, int) {
            const int index = (*count)++;
            if (index < replies.size() && !replies.at(index).isEmpty())
                port->deliver(replies.at(index));
        };
    }

    // Connected to an instrument that greets with "OK" and a carriage return.
    bool connectInstrument()
    {
        port->beforeRead = [this](int n) {
            if (n == 1)
                port->deliver("OK\r", false);
        };
        QSignalSpy connected(link.get(), &InstrumentLink::connected);
        link->connectOrDisconnect();
        const bool ok = connected.count() == 1 || connected.wait(2000);
        port->beforeRead = nullptr;
        return ok;
    }

    bool hasLogged() const
    {
        return std::any_of(journal.cbegin(), journal.cend(), [](const QString &entry) {
            return entry.startsWith(QStringLiteral("appendLog("));
        });
    }

    // Entries from the window's side only: what the operator sees change.
    static QStringList hostSteps(const QStringList &entries)
    {
        QStringList steps;
        for (const QString &entry : entries) {
            const bool portEntry = entry.startsWith(QStringLiteral("read("))
                                   || entry.startsWith(QStringLiteral("write("));
            if (!portEntry)
                steps << entry;
        }
        return steps;
    }
};

QStringList since(const QStringList &journal, qsizetype mark)
{
    return journal.mid(mark);
}

void start(InstrumentLink &link, char command)
{
    switch (command) {
    case 'O':
        link.lightOn();
        break;
    case 'F':
        link.lightOff();
        break;
    default:
        link.read();
        break;
    }
}

// Runs the event loop itself: QTRY_* polls in 10 ms steps, which would stretch a greeting
// wait of 400 fast passes to its full real length.
bool waitForCount(QSignalSpy &spy, qsizetype count, int timeoutMs = 20000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (spy.count() < count && !deadline.hasExpired())
        spy.wait(int(std::max<qint64>(1, deadline.remainingTime())));
    return spy.count() == count;
}

// No byte goes out, and the window hears nothing more, for several passes. Proving that
// nothing happens takes a stretch of time in which it would have happened.
bool staysQuiet(Rig &rig, std::chrono::milliseconds quiet = kQuiet)
{
    const qsizetype journalSize = rig.journal.size();
    const QByteArray written = rig.port->written;
    QEventLoop loop;
    QTimer::singleShot(quiet, &loop, &QEventLoop::quit);
    loop.exec();
    return rig.journal.size() == journalSize && rig.port->written == written;
}

} // namespace

Q_DECLARE_METATYPE(Stage)

class TestInstrumentLink : public QObject
{
    Q_OBJECT

private slots:
    void lineSettingsInOrderWhileClosed();

    void connectShowsGreeting_data();
    void connectShowsGreeting();
    void greetingWaitReadsAtMost400Times_data();
    void greetingWaitReadsAtMost400Times();
    void timeOutClosesRestoresAndReports();
    void portThatCannotOpenChangesNothing_data();
    void portThatCannotOpenChangesNothing();
    void staleOkDoesNotConnect();
    void reconnectingLogsNewGreetingAlone();
    void disconnectRestoresAndKeepsLog();
    void connectCommandIgnoredDuringGreeting();

    void lightCommand_data();
    void lightCommand();
    void reading_data();
    void reading();
    void dateStampedWhenReadingEnds();
    void twoTransactionsLogBothAcknowledgements();
    void leftoverInputIsNotAnAcknowledgement_data();
    void leftoverInputIsNotAnAcknowledgement();
    void commandOnClosedPort_data();
    void commandOnClosedPort();
    void commandsIgnoredWhileBusy_data();
    void commandsIgnoredWhileBusy();

    void disconnectOrShutdownEndsWait_data();
    void disconnectOrShutdownEndsWait();
    void lineFailureDisconnects_data();
    void lineFailureDisconnects();
    void floodKeepsBoundedTail_data();
    void floodKeepsBoundedTail();
};

void TestInstrumentLink::lineSettingsInOrderWhileClosed()
{
    Rig rig;
    rig.link->applyLineSettings();
    const QStringList expected{
        QStringLiteral("line 9600,N,8,1 open=0"),
        QStringLiteral("dtr 1 open=0"),
        QStringLiteral("flow 0 open=0"),
        QStringLiteral("rts 0 open=0"),
        QStringLiteral("input 0 open=0"),
    };
    QCOMPARE(rig.port->settings, expected);
    QCOMPARE(rig.port->isOpen(), false);
    QCOMPARE(rig.journal, QStringList());
}

void TestInstrumentLink::connectShowsGreeting_data()
{
    QTest::addColumn<QList<QByteArray>>("reads"); // what each read of the wait brings
    QTest::addColumn<int>("readsTaken");
    QTest::addColumn<QString>("log");

    using Reads = QList<QByteArray>;
    QTest::newRow("OK and CR in one read") << Reads{"OK\r"} << 1 << QStringLiteral("OK\r\n");
    QTest::newRow("OK split over two reads")
        << Reads{"", "O", "", "K\r"} << 4 << QStringLiteral("OK\r\n");
    QTest::newRow("banner before OK") << Reads{"Photometer v1\r\n", "OK\r"} << 2
                                      << QStringLiteral("Photometer v1\r\nOK\r\n");
    QTest::newRow("LF-only lines run together")
        << Reads{"Photometer\nOK\n"} << 1 << QStringLiteral("PhotometerOK");
    QTest::newRow("CR-only lines stay apart")
        << Reads{"Photometer\rOK\r"} << 1 << QStringLiteral("Photometer\r\nOK\r\n");
    QTest::newRow("LF CR pair becomes one line end")
        << Reads{"A\n\rOK"} << 1 << QStringLiteral("A\r\nOK");
    QTest::newRow("later reads not taken") << Reads{"OK", "more"} << 1 << QStringLiteral("OK");
}

void TestInstrumentLink::connectShowsGreeting()
{
    QFETCH(QList<QByteArray>, reads);
    QFETCH(int, readsTaken);
    QFETCH(QString, log);

    Rig rig;
    rig.host.log = QStringLiteral("old log text");
    rig.port->beforeRead = [&](int n) {
        if (n <= reads.size())
            rig.port->deliver(reads.at(n - 1), false);
    };
    QSignalSpy connected(rig.link.get(), &InstrumentLink::connected);
    rig.link->connectOrDisconnect();
    QCOMPARE(rig.link->isBusy(), true);
    QCOMPARE(rig.host.connectEnabled, false);
    QTRY_COMPARE(connected.count(), 1);

    QCOMPARE(rig.port->openedNames, QStringList{QStringLiteral("/dev/ttyS0")});
    QCOMPARE(rig.port->reads, readsTaken);
    const QStringList expected{
        QStringLiteral("setConnectEnabled(false)"),
        QStringLiteral("setPortChoiceEnabled(false)"),
        QStringLiteral("setExitEnabled(true)"),
        QStringLiteral("setTitle(Estrivo (tm) [Connected])"),
        QStringLiteral("replaceLog(%1)").arg(visible(log)),
        QStringLiteral("setConnectEnabled(true)"),
        QStringLiteral("setConnectCaption(&Disconnect)"),
        QStringLiteral("enableCommands"),
    };
    QCOMPARE(Rig::hostSteps(rig.journal.mid(1)), expected);
    QCOMPARE(rig.journal.first(), QStringLiteral("open(/dev/ttyS0)"));
    QCOMPARE(rig.host.log, log);
    QCOMPARE(rig.host.title, QStringLiteral("Estrivo (tm) [Connected]"));
    QCOMPARE(rig.host.caption, QStringLiteral("&Disconnect"));
    QCOMPARE(rig.host.portChoiceEnabled, false);
    QCOMPARE(rig.host.commandsEnabled, true);
    QCOMPARE(rig.link->isOpen(), true);
    QCOMPARE(rig.link->isBusy(), false);
    QCOMPARE(QString::fromLatin1(rig.link->rxBuffer()), log);
}

void TestInstrumentLink::greetingWaitReadsAtMost400Times_data()
{
    QTest::addColumn<int>("okOnRead"); // 0: never
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<bool>("connects");

    QTest::newRow("OK on the first read") << 1 << QByteArray("OK") << true;
    QTest::newRow("OK on the 400th read") << 400 << QByteArray("OK") << true;
    QTest::newRow("OK due on the 401st read") << 401 << QByteArray("OK") << false;
    QTest::newRow("lower-case ok only") << 5 << QByteArray("ok") << false;
    QTest::newRow("silent instrument") << 0 << QByteArray() << false;
}

void TestInstrumentLink::greetingWaitReadsAtMost400Times()
{
    QFETCH(int, okOnRead);
    QFETCH(QByteArray, greeting);
    QFETCH(bool, connects);

    Rig rig;
    rig.port->beforeRead = [&](int n) {
        if (n == okOnRead)
            rig.port->deliver(greeting, false);
    };
    QSignalSpy connected(rig.link.get(), &InstrumentLink::connected);
    QSignalSpy failed(rig.link.get(), &InstrumentLink::connectFailed);
    QEventLoop loop;
    connect(rig.link.get(), &InstrumentLink::connected, &loop, &QEventLoop::quit);
    connect(rig.link.get(), &InstrumentLink::connectFailed, &loop, &QEventLoop::quit);
    QTimer::singleShot(20s, &loop, &QEventLoop::quit);
    rig.link->connectOrDisconnect();
    loop.exec();
    QCOMPARE(connected.count() + failed.count(), 1);

    QCOMPARE(connected.count(), connects ? 1 : 0);
    QCOMPARE(rig.port->reads, connects ? okOnRead : 400);
    QCOMPARE(rig.link->isOpen(), connects);
}

void TestInstrumentLink::timeOutClosesRestoresAndReports()
{
    Rig rig;
    rig.host.log = QStringLiteral("earlier log");
    rig.host.title = QStringLiteral("Estrivo (tm)");
    rig.port->beforeRead = [&](int n) {
        if (n == 3)
            rig.port->deliver("ok\r", false);
    };
    QSignalSpy failed(rig.link.get(), &InstrumentLink::connectFailed);
    rig.link->connectOrDisconnect();
    QVERIFY(waitForCount(failed, 1));

    const QStringList expected{
        QStringLiteral("open(/dev/ttyS0)"),
        QStringLiteral("setConnectEnabled(false)"),
        QStringLiteral("setPortChoiceEnabled(false)"),
        QStringLiteral("setExitEnabled(true)"),
        QStringLiteral("read(ok\\r)"),
        QStringLiteral("close"),
        QStringLiteral("setConnectEnabled(true)"),
        QStringLiteral("setConnectCaption(&Connect)"),
        QStringLiteral("setPortChoiceEnabled(true)"),
        QStringLiteral("enableCommands"),
        QStringLiteral("showLinkError(Error: Could not connect.)"),
    };
    QCOMPARE(rig.journal, expected);
    QCOMPARE(rig.host.details.last().contains(QStringLiteral("/dev/ttyS0")), true);
    QCOMPARE(rig.host.log, QStringLiteral("earlier log"));
    QCOMPARE(rig.host.title, QStringLiteral("Estrivo (tm)"));
    QCOMPARE(rig.host.commandsEnabled, true);
    QCOMPARE(rig.link->rxBuffer(), QByteArray("ok\r"));
    QCOMPARE(rig.link->isBusy(), false);
}

void TestInstrumentLink::portThatCannotOpenChangesNothing_data()
{
    QTest::addColumn<QString>("portText");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("detailPart");
    QTest::addColumn<QStringList>("attempted");

    QTest::newRow("device refuses") << QStringLiteral("3") << false
                                    << QStringLiteral("no such device")
                                    << QStringList{QStringLiteral("/dev/ttyS2")};
    QTest::newRow("device path refuses")
        << QStringLiteral("/dev/ttyUSB0") << false << QStringLiteral("no such device")
        << QStringList{QStringLiteral("/dev/ttyUSB0")};
    QTest::newRow("not a number") << QStringLiteral("abc") << true << QStringLiteral("\"abc\"")
                                  << QStringList();
    QTest::newRow("port zero") << QStringLiteral("0") << true << QStringLiteral("no port 0")
                               << QStringList();
    QTest::newRow("beyond 16 bits") << QStringLiteral("40000") << true
                                    << QStringLiteral("out of range") << QStringList();
    QTest::newRow("empty") << QString() << true << QStringLiteral("No port") << QStringList();
}

void TestInstrumentLink::portThatCannotOpenChangesNothing()
{
    QFETCH(QString, portText);
    QFETCH(bool, opens);
    QFETCH(QString, detailPart);
    QFETCH(QStringList, attempted);

    Rig rig;
    // An earlier exchange left its marks: they must survive the failed attempt.
    QVERIFY(rig.connectInstrument());
    rig.answer({"OK\r"});
    QSignalSpy finished(rig.link.get(), &InstrumentLink::transactionFinished);
    rig.link->lightOn();
    QTRY_COMPARE(finished.count(), 1);
    rig.link->connectOrDisconnect();
    const QString log = rig.host.log;
    const QByteArray rx = rig.link->rxBuffer();

    rig.port->openedNames.clear();
    rig.port->openSucceeds = opens;
    rig.host.port = portText;
    const qsizetype mark = rig.journal.size();
    QSignalSpy failed(rig.link.get(), &InstrumentLink::connectFailed);
    rig.link->connectOrDisconnect();

    QCOMPARE(failed.count(), 1);
    QCOMPARE(since(rig.journal, mark),
             QStringList{QStringLiteral("showLinkError(Error: Could not connect.)")});
    QVERIFY2(rig.host.details.last().contains(detailPart), qPrintable(rig.host.details.last()));
    QCOMPARE(rig.port->openedNames, attempted);
    QCOMPARE(rig.link->isOpen(), false);
    QCOMPARE(rig.link->isBusy(), false);
    QCOMPARE(rig.host.caption, QStringLiteral("&Connect"));
    QCOMPARE(rig.host.log, log);
    QCOMPARE(rig.link->rxBuffer(), rx);
}

void TestInstrumentLink::staleOkDoesNotConnect()
{
    Rig rig;
    QVERIFY(rig.connectInstrument());
    rig.answer({"OK\r"});
    QSignalSpy finished(rig.link.get(), &InstrumentLink::transactionFinished);
    rig.link->lightOn();
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(rig.link->rxBuffer().contains("OK"), true);
    rig.link->connectOrDisconnect(); // disconnect

    // Nothing answers now: the "OK" of the light command must not count as a greeting.
    QSignalSpy connected(rig.link.get(), &InstrumentLink::connected);
    QSignalSpy failed(rig.link.get(), &InstrumentLink::connectFailed);
    rig.link->connectOrDisconnect();
    QVERIFY(waitForCount(failed, 1));
    QCOMPARE(connected.count(), 0);
    QCOMPARE(rig.host.errors.last(), QStringLiteral("Error: Could not connect."));
    QCOMPARE(rig.link->rxBuffer(), QByteArray());
}

void TestInstrumentLink::reconnectingLogsNewGreetingAlone()
{
    Rig rig;
    QVERIFY(rig.connectInstrument());
    rig.answer({"OK\r"});
    QSignalSpy finished(rig.link.get(), &InstrumentLink::transactionFinished);
    rig.link->read();
    QTRY_VERIFY(rig.hasLogged());
    rig.port->deliver("\r123.4\rDone");
    QCOMPARE(finished.count(), 1);
    rig.link->connectOrDisconnect();

    bool greeted = false;
    rig.port->beforeRead = [&](int) {
        if (!std::exchange(greeted, true))
            rig.port->deliver("Hello\rOK\r", false);
    };
    QSignalSpy connected(rig.link.get(), &InstrumentLink::connected);
    rig.link->connectOrDisconnect();
    QTRY_COMPARE(connected.count(), 1);
    QCOMPARE(rig.host.log, QStringLiteral("Hello\r\nOK\r\n"));
}

void TestInstrumentLink::disconnectRestoresAndKeepsLog()
{
    Rig rig;
    QVERIFY(rig.connectInstrument());
    rig.answer({"OK\r"});
    QSignalSpy finished(rig.link.get(), &InstrumentLink::transactionFinished);
    rig.link->lightOn();
    QTRY_COMPARE(finished.count(), 1);
    const QString log = rig.host.log;
    const QByteArray rx = rig.link->rxBuffer();

    const qsizetype mark = rig.journal.size();
    QSignalSpy disconnected(rig.link.get(), &InstrumentLink::disconnected);
    rig.link->connectOrDisconnect();
    QCOMPARE(disconnected.count(), 1);
    QCOMPARE(since(rig.journal, mark), kDisconnectSteps);
    QCOMPARE(rig.host.log, log);
    QCOMPARE(rig.link->rxBuffer(), rx);
    QCOMPARE(rig.host.commandsEnabled, false);
    QCOMPARE(rig.host.portChoiceEnabled, true);
    QCOMPARE(rig.link->isOpen(), false);
}

void TestInstrumentLink::connectCommandIgnoredDuringGreeting()
{
    Rig rig;
    rig.link->setPassInterval(kAckPause, 10ms);
    rig.link->connectOrDisconnect();
    QTRY_VERIFY(rig.port->reads >= 2);
    const qsizetype mark = rig.journal.size();
    rig.link->connectOrDisconnect();
    QCOMPARE(since(rig.journal, mark), QStringList());
    QCOMPARE(rig.port->openedNames.size(), 1);
    QCOMPARE(rig.link->isOpen(), true);

    rig.port->deliver("OK", false);
    QSignalSpy connected(rig.link.get(), &InstrumentLink::connected);
    QTRY_COMPARE(connected.count(), 1);
}

void TestInstrumentLink::lightCommand_data()
{
    QTest::addColumn<char>("command");
    QTest::addColumn<QList<QByteArray>>("replies"); // the reply to each byte sent
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QStringList>("journal");

    QTest::newRow("light on, answered at once")
        << 'O' << QList<QByteArray>{"OK\r"} << QByteArray("O")
        << QStringList{"disableCommands", "write(O)", "read(OK\\r)", "appendLog(OK\\r)",
                       "enableCommands"};
    QTest::newRow("light off, answered at once")
        << 'F' << QList<QByteArray>{"OK\r"} << QByteArray("F")
        << QStringList{"disableCommands", "write(F)", "read(OK\\r)", "appendLog(OK\\r)",
                       "enableCommands"};
    QTest::newRow("OK split over two reads")
        << 'O' << QList<QByteArray>{"O", "K\r"} << QByteArray("OO")
        << QStringList{"disableCommands", "write(O)", "read(O)", "write(O)", "read(K\\r)",
                       "appendLog(OK\\r)", "enableCommands"};
    QTest::newRow("lower-case ok is no acknowledgement")
        << 'F' << QList<QByteArray>{"ok\r", "ok\r", "OK\r"} << QByteArray("FFF")
        << QStringList{"disableCommands", "write(F)", "read(ok\\r)", "write(F)", "read(ok\\r)",
                       "write(F)", "read(OK\\r)", "appendLog(ok\\rok\\rOK\\r)", "enableCommands"};
    QTest::newRow("slow instrument gets the command each pass")
        << 'O' << QList<QByteArray>{"", "", "", "OK\r"} << QByteArray("OOOO")
        << QStringList{"disableCommands", "write(O)", "write(O)", "write(O)", "write(O)",
                       "read(OK\\r)", "appendLog(OK\\r)", "enableCommands"};
    QTest::newRow("text after OK in the same read is logged")
        << 'O' << QList<QByteArray>{"OK\rextra"} << QByteArray("O")
        << QStringList{"disableCommands", "write(O)", "read(OK\\rextra)",
                       "appendLog(OK\\rextra)", "enableCommands"};
}

void TestInstrumentLink::lightCommand()
{
    QFETCH(char, command);
    QFETCH(QList<QByteArray>, replies);
    QFETCH(QByteArray, written);
    QFETCH(QStringList, journal);

    Rig rig;
    QVERIFY(rig.connectInstrument());
    rig.host.con = QStringLiteral("150");
    rig.host.date = QStringLiteral("yesterday");
    rig.answer(replies);
    const qsizetype mark = rig.journal.size();
    QSignalSpy finished(rig.link.get(), &InstrumentLink::transactionFinished);
    start(*rig.link, command);
    QCOMPARE(rig.link->isBusy(), true);
    QCOMPARE(rig.host.commandsEnabled, false);
    QTRY_COMPARE(finished.count(), 1);

    QCOMPARE(since(rig.journal, mark), journal);
    QCOMPARE(rig.port->written, written);
    QCOMPARE(rig.host.con, QStringLiteral("150"));
    QCOMPARE(rig.host.date, QStringLiteral("yesterday"));
    QCOMPARE(rig.host.calculations, 0);
    QCOMPARE(rig.link->isBusy(), false);
    QCOMPARE(rig.link->rxBuffer().contains("OK"), true);
    QCOMPARE(staysQuiet(rig), true);
}

void TestInstrumentLink::reading_data()
{
    QTest::addColumn<QList<QByteArray>>("replies"); // the reply to each "*" sent
    QTest::addColumn<QList<QByteArray>>("chunks");  // the reading, read by read
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("log");

    using Chunks = QList<QByteArray>;
    QTest::newRow("worked example") << Chunks{"OK"} << Chunks{"\r123.4\rDone"}
                                    << QStringLiteral("123.4") << QStringLiteral("OK");
    QTest::newRow("CR came with OK") << Chunks{"OK\r"} << Chunks{"123.4\rDone"}
                                     << QStringLiteral("123.4") << QStringLiteral("OK\r");
    QTest::newRow("all in the read that brought OK")
        << Chunks{"OK\r123.4\rDone"} << Chunks{} << QStringLiteral("123.4")
        << QStringLiteral("OK\r123.4\rDone");
    QTest::newRow("value split over reads") << Chunks{"OK"} << Chunks{"\r12", "3.4\r", "Do", "ne"}
                                            << QStringLiteral("123.4") << QStringLiteral("OK");
    QTest::newRow("line end after Done") << Chunks{"OK"} << Chunks{"\r123.4\rDone\r\n"}
                                         << QStringLiteral("123.4") << QStringLiteral("OK");
    QTest::newRow("LF line ends") << Chunks{"OK\n"} << Chunks{"123.4\nDone\n"}
                                  << QStringLiteral("123.4") << QStringLiteral("OK\n");
    QTest::newRow("blanks around the value") << Chunks{"OK"} << Chunks{"\r  98.6 \t\r Done"}
                                             << QStringLiteral("98.6") << QStringLiteral("OK");
    QTest::newRow("last of several lines") << Chunks{"OK"} << Chunks{"\rwarming\r101.5\r\rDone"}
                                           << QStringLiteral("101.5") << QStringLiteral("OK");
    QTest::newRow("value on the line of Done") << Chunks{"OK"} << Chunks{"\r55.0Done"}
                                               << QStringLiteral("55.0") << QStringLiteral("OK");
    QTest::newRow("six-character reading") << Chunks{"OK"} << Chunks{"\r\rDone"} << QString()
                                           << QStringLiteral("OK");
    QTest::newRow("Done alone") << Chunks{"OK"} << Chunks{"Done"} << QString()
                                << QStringLiteral("OK");
    QTest::newRow("blank lines only") << Chunks{"OK"} << Chunks{" \r \r\tDone"} << QString()
                                      << QStringLiteral("OK");
    QTest::newRow("lower-case ok then split OK")
        << Chunks{"ok", "O", "K"} << Chunks{"\r7\rDone"} << QStringLiteral("7")
        << QStringLiteral("okOK");
}

void TestInstrumentLink::reading()
{
    QFETCH(QList<QByteArray>, replies);
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QString, value);
    QFETCH(QString, log);

    Rig rig;
    QVERIFY(rig.connectInstrument());
    const QDateTime moment(QDate(2024, 3, 14), QTime(13, 5, 9));
    rig.link->setClock([moment] { return moment; });
    rig.host.con = QStringLiteral("150");
    rig.answer(replies);
    const qsizetype mark = rig.journal.size();
    QSignalSpy taken(rig.link.get(), &InstrumentLink::readingTaken);
    QSignalSpy finished(rig.link.get(), &InstrumentLink::transactionFinished);
    rig.link->read();
    // Con is emptied before anything is sent, and stays empty while the reading is awaited.
    QCOMPARE(rig.journal.mid(mark, 2),
             (QStringList{"disableCommands", "setConcentration()"}));
    QCOMPARE(rig.port->written, QByteArray("*"));
    QCOMPARE(rig.host.con, QString());
    QTRY_VERIFY(rig.hasLogged());
    if (!chunks.isEmpty()) {
        QCOMPARE(rig.host.con, QString());
        QCOMPARE(rig.host.calculations, 0);
    }
    for (const QByteArray &chunk : chunks) {
        QCOMPARE(finished.count(), 0);
        rig.port->deliver(chunk);
    }
    QCOMPARE(finished.count(), 1);

    const QString date = estrivo::generalDateText(moment, QLocale::system());
    const QStringList expected{
        "disableCommands",
        "setConcentration()",
        QStringLiteral("appendLog(%1)").arg(visible(log)),
        QStringLiteral("setConcentration(%1)").arg(value),
        QStringLiteral("setDate(%1)").arg(date),
        "calculate",
        "enableCommands",
    };
    QCOMPARE(Rig::hostSteps(since(rig.journal, mark)), expected);
    QCOMPARE(rig.port->written, QByteArray(qsizetype(replies.size()), '*'));
    QCOMPARE(rig.host.con, value);
    QCOMPARE(taken.count(), 1);
    QCOMPARE(taken.first().first().toString(), value);
    QCOMPARE(rig.link->rxBuffer().contains("Done"), true);
    QCOMPARE(rig.link->isBusy(), false);
    QCOMPARE(staysQuiet(rig), true);
}

void TestInstrumentLink::dateStampedWhenReadingEnds()
{
    Rig rig;
    QVERIFY(rig.connectInstrument());
    QDateTime now(QDate(2024, 3, 14), QTime(9, 0, 0));
    rig.link->setClock([&now] { return now; });
    const QString sentAt = estrivo::generalDateText(now, QLocale::system());
    rig.answer({"OK"});
    rig.link->read();
    QTRY_VERIFY(rig.hasLogged());

    now = QDateTime(QDate(2024, 3, 15), QTime(17, 45, 30));
    const QString endedAt = estrivo::generalDateText(now, QLocale::system());
    QVERIFY(sentAt != endedAt);
    rig.port->deliver("\r123.4\rDone");
    QCOMPARE(rig.host.date, endedAt);
}

void TestInstrumentLink::twoTransactionsLogBothAcknowledgements()
{
    Rig rig;
    QVERIFY(rig.connectInstrument());
    const QString greeting = rig.host.log;
    QSignalSpy finished(rig.link.get(), &InstrumentLink::transactionFinished);
    rig.answer({"", "OK\r"});
    rig.link->lightOn();
    QTRY_COMPARE(finished.count(), 1);
    rig.answer({"OK now\r"});
    rig.link->lightOff();
    QTRY_COMPARE(finished.count(), 2);

    QCOMPARE(rig.host.log, greeting + QStringLiteral("OK\rOK now\r"));
    QCOMPARE(rig.journal.filter(QStringLiteral("appendLog(")),
             (QStringList{"appendLog(OK\\r)", "appendLog(OK now\\r)"}));
    QCOMPARE(rig.port->written, QByteArray("OOF"));
}

void TestInstrumentLink::leftoverInputIsNotAnAcknowledgement_data()
{
    QTest::addColumn<bool>("announced");
    QTest::newRow("arrived while idle") << true;
    QTest::newRow("still queued at the start") << false;
}

void TestInstrumentLink::leftoverInputIsNotAnAcknowledgement()
{
    QFETCH(bool, announced);

    Rig rig;
    QVERIFY(rig.connectInstrument());
    QSignalSpy finished(rig.link.get(), &InstrumentLink::transactionFinished);
    rig.answer({"", "OK\r"});
    rig.link->lightOn();
    QTRY_COMPARE(finished.count(), 1);
    // The instrument answers the repeated "O" after the transaction has ended.
    rig.port->deliver("OK\r", announced);

    const QString log = rig.host.log;
    rig.answer({"", "", "OK\r"});
    rig.link->lightOff();
    QTRY_COMPARE(finished.count(), 2);
    QCOMPARE(rig.port->written, QByteArray("OOFFF"));
    QCOMPARE(rig.host.log, log + QStringLiteral("OK\r"));
}

void TestInstrumentLink::commandOnClosedPort_data()
{
    QTest::addColumn<char>("command");
    QTest::addColumn<bool>("afterTimeOut");

    for (const char command : {'O', 'F', '*'}) {
        QTest::addRow("%c at start-up", command) << command << false;
        QTest::addRow("%c after a time-out", command) << command << true;
    }
}

void TestInstrumentLink::commandOnClosedPort()
{
    QFETCH(char, command);
    QFETCH(bool, afterTimeOut);

    Rig rig;
    if (afterTimeOut) {
        rig.port->beforeRead = [&](int n) {
            if (n == 1)
                rig.port->deliver("noise", false);
        };
        QSignalSpy failed(rig.link.get(), &InstrumentLink::connectFailed);
        rig.link->connectOrDisconnect();
        QVERIFY(waitForCount(failed, 1));
    }
    rig.host.con = QStringLiteral("150");
    rig.host.log = QStringLiteral("log");
    const bool enabled = rig.host.commandsEnabled;
    const QByteArray rx = rig.link->rxBuffer();
    const qsizetype mark = rig.journal.size();

    start(*rig.link, command);
    QCOMPARE(since(rig.journal, mark),
             QStringList{QStringLiteral("showLinkError(Error: Not connected.)")});
    QCOMPARE(rig.port->written, QByteArray());
    QCOMPARE(rig.host.commandsEnabled, enabled);
    QCOMPARE(rig.host.con, QStringLiteral("150"));
    QCOMPARE(rig.host.log, QStringLiteral("log"));
    QCOMPARE(rig.link->rxBuffer(), rx);
    QCOMPARE(rig.link->isBusy(), false);
    QCOMPARE(staysQuiet(rig), true);
}

void TestInstrumentLink::commandsIgnoredWhileBusy_data()
{
    QTest::addColumn<Stage>("stage");
    QTest::newRow("awaiting the acknowledgement") << Stage::Pausing;
    QTest::newRow("awaiting Done") << Stage::Reading;
    QTest::newRow("awaiting the greeting") << Stage::Greeting;
}

void TestInstrumentLink::commandsIgnoredWhileBusy()
{
    QFETCH(Stage, stage);

    Rig rig;
    QSignalSpy finished(rig.link.get(), &InstrumentLink::transactionFinished);
    rig.link->setPassInterval(kAckPause, 10ms);
    if (stage == Stage::Greeting) {
        rig.link->connectOrDisconnect();
        QTRY_VERIFY(rig.port->reads >= 2);
    } else {
        QVERIFY(rig.connectInstrument());
        rig.answer({"", "", stage == Stage::Reading ? "OK" : ""});
        rig.link->read();
        if (stage == Stage::Reading)
            QTRY_VERIFY(rig.hasLogged());
        else
            QTRY_VERIFY(rig.port->sentCount >= 1);
    }
    const QByteArray written = rig.port->written;
    const qsizetype mark = rig.journal.size();
    rig.link->lightOn();
    rig.link->lightOff();
    rig.link->read();
    QCOMPARE(since(rig.journal, mark), QStringList());
    QCOMPARE(rig.port->written, written);
    QCOMPARE(rig.link->isBusy(), true);

    if (stage == Stage::Reading) {
        rig.port->deliver("\r5\rDone");
        QCOMPARE(finished.count(), 1);
        QCOMPARE(rig.port->written, QByteArray("***"));
    }
}

void TestInstrumentLink::disconnectOrShutdownEndsWait_data()
{
    QTest::addColumn<Stage>("stage");
    QTest::addColumn<bool>("shutdown");

    QTest::newRow("disconnect while the command goes out") << Stage::Sending << false;
    QTest::newRow("disconnect during the pause") << Stage::Pausing << false;
    QTest::newRow("disconnect while awaiting Done") << Stage::Reading << false;
    QTest::newRow("shutdown while the command goes out") << Stage::Sending << true;
    QTest::newRow("shutdown during the pause") << Stage::Pausing << true;
    QTest::newRow("shutdown while awaiting Done") << Stage::Reading << true;
    QTest::newRow("shutdown while awaiting the greeting") << Stage::Greeting << true;
}

void TestInstrumentLink::disconnectOrShutdownEndsWait()
{
    QFETCH(Stage, stage);
    QFETCH(bool, shutdown);

    Rig rig;
    // The real pause: the test looks in well within it, and waits out more than one after.
    constexpr auto kPause = 100ms;
    rig.link->setPassInterval(kPause, 10ms);
    if (stage == Stage::Greeting) {
        rig.link->connectOrDisconnect();
        QTRY_VERIFY(rig.port->reads >= 1);
    } else {
        QVERIFY(rig.connectInstrument());
        rig.port->holdWrites = stage == Stage::Sending;
        rig.answer({stage == Stage::Reading ? "OK" : ""});
        const int readsBefore = rig.port->reads;
        rig.link->read();
        if (stage == Stage::Reading)
            QTRY_VERIFY(rig.hasLogged());
        else if (stage == Stage::Pausing) // past the drain and the read after "*" went out
            QTRY_VERIFY(rig.port->reads >= readsBefore + 2);
    }
    QCOMPARE(rig.link->isBusy(), true);

    const qsizetype mark = rig.journal.size();
    QSignalSpy finished(rig.link.get(), &InstrumentLink::transactionFinished);
    if (shutdown)
        rig.link->shutdown();
    else
        rig.link->connectOrDisconnect();

    QCOMPARE(since(rig.journal, mark),
             shutdown ? QStringList{QStringLiteral("close")} : kDisconnectSteps);
    QCOMPARE(rig.link->isBusy(), false);
    QCOMPARE(rig.link->isOpen(), false);
    // What the instrument would have answered now reaches nobody.
    rig.port->completeWrites();
    rig.port->deliver("OK\r\r1\rDone");
    QCOMPARE(staysQuiet(rig, 3 * kPause), true);
    QCOMPARE(finished.count(), 0);
    QCOMPARE(rig.port->writesWhileClosed, 0);
}

void TestInstrumentLink::lineFailureDisconnects_data()
{
    QTest::addColumn<Stage>("stage");
    QTest::newRow("connected and idle") << Stage::Idle;
    QTest::newRow("awaiting the acknowledgement") << Stage::Pausing;
    QTest::newRow("awaiting Done") << Stage::Reading;
    QTest::newRow("awaiting the greeting") << Stage::Greeting;
}

void TestInstrumentLink::lineFailureDisconnects()
{
    QFETCH(Stage, stage);

    Rig rig;
    rig.link->setPassInterval(kAckPause, 10ms);
    if (stage == Stage::Greeting) {
        rig.link->connectOrDisconnect();
        QTRY_VERIFY(rig.port->reads >= 1);
    } else {
        QVERIFY(rig.connectInstrument());
    }
    if (stage == Stage::Pausing) {
        rig.answer({});
        rig.link->lightOn();
        QTRY_VERIFY(rig.port->sentCount >= 1);
    } else if (stage == Stage::Reading) {
        rig.answer({"OK"});
        rig.link->read();
        QTRY_VERIFY(rig.hasLogged());
    }

    const QString log = rig.host.log;
    const qsizetype mark = rig.journal.size();
    QSignalSpy disconnected(rig.link.get(), &InstrumentLink::disconnected);
    const QString reason = QStringLiteral("/dev/ttyUSB0: Input/output error");
    rig.port->fail(reason);
    QTRY_COMPARE(disconnected.count(), 1);

    QStringList expected{QStringLiteral("fail")};
    if (stage == Stage::Greeting)
        expected << QStringLiteral("setConnectEnabled(true)");
    expected << kDisconnectSteps << QStringLiteral("showLinkError(Error: Connection lost.)");
    QCOMPARE(since(rig.journal, mark), expected);
    QCOMPARE(rig.host.details.last(), reason);
    QCOMPARE(rig.host.connectEnabled, true);
    QCOMPARE(rig.host.caption, QStringLiteral("&Connect"));
    QCOMPARE(rig.host.title, QStringLiteral("Estrivo (tm)"));
    QCOMPARE(rig.host.log, log);
    QCOMPARE(rig.link->isOpen(), false);
    QCOMPARE(rig.link->isBusy(), false);
    QCOMPARE(staysQuiet(rig), true);
    QCOMPARE(rig.port->writesWhileClosed, 0);
}

void TestInstrumentLink::floodKeepsBoundedTail_data()
{
    QTest::addColumn<Stage>("stage");
    QTest::newRow("flood while awaiting Done") << Stage::Reading;
    QTest::newRow("flood while awaiting the acknowledgement") << Stage::Pausing;
    QTest::newRow("flood while awaiting the greeting") << Stage::Greeting;
}

void TestInstrumentLink::floodKeepsBoundedTail()
{
    QFETCH(Stage, stage);

    const QByteArray noise(16 * 1024, 'x');
    constexpr int kFloodReads = 40; // ten times the tail
    Rig rig;
    qsizetype largest = 0;

    if (stage == Stage::Greeting) {
        rig.port->beforeRead = [&](int n) {
            largest = std::max(largest, rig.link->rxBuffer().size());
            rig.port->deliver(n < kFloodReads ? noise : QByteArray("OK\r"), false);
        };
        QSignalSpy connected(rig.link.get(), &InstrumentLink::connected);
        rig.link->connectOrDisconnect();
        QTRY_COMPARE(connected.count(), 1);
        // The log shows the newest part of the greeting, ending in the converted "OK".
        QCOMPARE_LE(rig.host.log.size(), RxTail::kLimitBytes);
        QCOMPARE(rig.host.log.endsWith(QStringLiteral("xOK\r\n")), true);
    } else if (stage == Stage::Pausing) {
        QVERIFY(rig.connectInstrument());
        auto count = std::make_shared<int>(0);
        rig.port->onSent = [&, count](char, int) {
            largest = std::max(largest, rig.link->rxBuffer().size());
            rig.port->deliver(++*count < kFloodReads ? noise : QByteArray("OK\r"));
        };
        const qsizetype mark = rig.journal.size();
        const qsizetype greetingSize = rig.host.log.size();
        QSignalSpy finished(rig.link.get(), &InstrumentLink::transactionFinished);
        rig.link->lightOn();
        QVERIFY(waitForCount(finished, 1));
        const QStringList logged = since(rig.journal, mark).filter(QStringLiteral("appendLog("));
        QCOMPARE(logged.size(), 1);
        QCOMPARE_LE(rig.host.log.size() - greetingSize, RxTail::kLimitBytes);
        QCOMPARE(rig.host.log.endsWith(QStringLiteral("xOK\r")), true);
    } else {
        QVERIFY(rig.connectInstrument());
        rig.answer({"OK"});
        QSignalSpy taken(rig.link.get(), &InstrumentLink::readingTaken);
        rig.link->read();
        QTRY_VERIFY(rig.hasLogged());
        for (int i = 0; i < kFloodReads; ++i) {
            rig.port->deliver(noise + "\r");
            largest = std::max(largest, rig.link->rxBuffer().size());
        }
        rig.port->deliver("\r77.7\rDo");
        rig.port->deliver("ne");
        QCOMPARE(taken.count(), 1);
        QCOMPARE(rig.host.con, QStringLiteral("77.7"));
    }
    QCOMPARE_GT(largest, 0);
    QCOMPARE_LE(largest, RxTail::kLimitBytes);
    QCOMPARE_LE(rig.link->rxBuffer().size(), RxTail::kLimitBytes + qsizetype(16));
}

QTEST_GUILESS_MAIN(TestInstrumentLink)
#include "tst_instrument_link.moc"
