// The connection handshake and the command transactions, driven through a scripted port.
#include "link_fakes.h"
#include "link_rules.h"
#include "rx_tail.h"

#include <QtTest>

using estrivo::InstrumentLink;
using estrivo::RxTail;

namespace {

// Fast passes: the tests look at what is sent and shown, pass by pass, not at the pace.
constexpr std::chrono::milliseconds kAckPause{2};
constexpr std::chrono::milliseconds kGreetPause{1};

// Journal entries, written one after the other with a bar between them.
QStringList steps(const char *entries)
{
    return QString::fromLatin1(entries).split(u'|');
}

const QString kCouldNotConnect = QStringLiteral("showLinkError(Error: Could not connect.)");
const QStringList kOpenSteps = steps("open(/dev/ttyS0)|setConnectEnabled(false)|"
                                     "setPortChoiceEnabled(false)|setExitEnabled(true)");
const QStringList kTimeOutSteps = steps("close()|setConnectEnabled(true)|"
                                        "setConnectCaption(&Connect)|setPortChoiceEnabled(true)|"
                                        "enableCommands()")
                                  << kCouldNotConnect;
const QStringList kDisconnectSteps = steps("close()|setTitle(Estrivo (tm))|"
                                           "setConnectCaption(&Connect)|"
                                           "setPortChoiceEnabled(true)|setExitEnabled(true)|"
                                           "disableCommands()");

QStringList connectSteps(const QString &log)
{
    return kOpenSteps
           + QStringList{"setTitle(Estrivo (tm) [Connected])", journalEntry("replaceLog", log)}
           + steps("setConnectEnabled(true)|setConnectCaption(&Disconnect)|enableCommands()");
}

// What the operator sees change: the journal without the port's reads and writes.
QStringList hostSteps(QStringList journal)
{
    journal.removeIf([](const QString &entry) {
        return entry.startsWith(QLatin1String("read("))
               || entry.startsWith(QLatin1String("write("));
    });
    return journal;
}

void start(InstrumentLink &link, char command)
{
    if (command == 'O')
        link.lightOn();
    else if (command == 'F')
        link.lightOff();
    else
        link.read();
}

enum class Stage { Idle, Greeting, Acknowledging, Reading };
enum class Act { Commands, Disconnect, Shutdown, LineFails };

// The link with a scripted port on one side and a recording window on the other.
struct Rig
{
    QStringList journal;
    FakeLinkHost host{journal};
    FakeSerialPort *port = nullptr; // owned by the link
    std::unique_ptr<InstrumentLink> link;

    Rig()
    {
        auto fake = std::make_unique<FakeSerialPort>(journal);
        port = fake.get();
        link = std::make_unique<InstrumentLink>(host, std::move(fake));
        link->setPassInterval(kAckPause, kGreetPause);
    }

    QStringList since(qsizetype mark) const { return journal.mid(mark); }

    // Each entry is what one read of the greeting wait brings.
    void greetWith(const QList<QByteArray> &reads)
    {
        port->beforeRead = [this, reads, first = port->reads + 1](int n) {
            if (n - first < reads.size())
                port->deliver(reads.at(n - first), false);
        };
    }

    // Each entry is the far end's reply to one byte sent, in order; an empty one is silence.
    void answer(const QList<QByteArray> &replies)
    {
        port->onSent = [this, replies, n = 0](char) mutable {
            if (n < replies.size() && !replies.at(n).isEmpty())
                port->deliver(replies.at(n));
            ++n;
        };
    }

    bool connectInstrument()
    {
        greetWith({"OK\r"});
        link->connectOrDisconnect();
        const bool connected = settle(*link) && link->isOpen();
        port->beforeRead = nullptr;
        return connected;
    }

    bool transact(char command)
    {
        start(*link, command);
        return settle(*link);
    }

    bool waitForLog()
    {
        return QTest::qWaitFor([this] { return !journal.filter("appendLog(").isEmpty(); });
    }

    bool enter(Stage stage)
    {
        if (stage == Stage::Greeting) {
            link->connectOrDisconnect(); // nothing answers: the wait goes on
            return link->isBusy();
        }
        if (!connectInstrument())
            return false;
        if (stage == Stage::Acknowledging) {
            link->read(); // unanswered, so sent again each pass
            return QTest::qWaitFor([this] { return port->written.size() >= 2; });
        }
        if (stage == Stage::Reading) {
            answer({"OK"});
            link->read();
            return waitForLog();
        }
        return true;
    }
};

// Proving that nothing more happens takes a stretch in which it would have happened: ten
// command passes or twenty greeting passes. Longer only slows every row down.
bool staysQuiet(Rig &rig)
{
    const QStringList journal = rig.journal;
    const QByteArray written = rig.port->written;
    QEventLoop loop;
    QTimer::singleShot(10 * kAckPause, &loop, &QEventLoop::quit);
    loop.exec();
    return rig.journal == journal && rig.port->written == written
           && rig.port->usedWhileClosed == 0;
}

} // namespace

Q_DECLARE_METATYPE(Stage)
Q_DECLARE_METATYPE(Act)

class TestInstrumentLink : public QObject
{
    Q_OBJECT

private slots:
    void lineSettingsWhileClosed();
    void connecting_data();
    void connecting();
    void transaction_data();
    void transaction();
    void leftoverInputIsNoAcknowledgement();
    void commandOnClosedPort();
    void waitInterrupted_data();
    void waitInterrupted();
    void floodKeepsBoundedTail_data();
    void floodKeepsBoundedTail();
};

void TestInstrumentLink::lineSettingsWhileClosed()
{
    Rig rig;
    rig.link->applyLineSettings();
    QCOMPARE(rig.journal,
             (QStringList{"line(9600,0,8,1)", "dtr(1)", "flow(0)", "rts(0)", "input(0)"}));
}

void TestInstrumentLink::connecting_data()
{
    QTest::addColumn<bool>("afterLight"); // connected, lit, disconnected before
    QTest::addColumn<QString>("portText");
    QTest::addColumn<QList<QByteArray>>("reads"); // what each read of the greeting wait brings
    QTest::addColumn<int>("readsTaken");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("rx"); // RxBuffer at the end, and the log if connected; null: kept

    using Reads = QList<QByteArray>;
    const Reads silence(399);
    const QStringList timeOut = kOpenSteps + kTimeOutSteps;
    QTest::newRow("OK and CR in one read")
        << false << "1" << Reads{"OK\r"} << 1 << connectSteps("OK\r\n") << "OK\r\n";
    QTest::newRow("OK split over reads")
        << false << "1" << Reads{"", "O", "", "K\r"} << 4 << connectSteps("OK\r\n") << "OK\r\n";
    // A lone LF is dropped, so its lines run together; a lone CR gains a LF.
    QTest::newRow("line ends converted") << false << "1" << Reads{"A\nB\r\nC\rOK"} << 1
                                         << connectSteps("AB\r\nC\r\nOK") << "AB\r\nC\r\nOK";
    QTest::newRow("OK on the 400th read")
        << false << "1" << silence + Reads{"OK"} << 400 << connectSteps("OK") << "OK";
    QTest::newRow("OK due on the 401st read")
        << false << "1" << silence + Reads{"", "OK"} << 400 << timeOut << "";
    QTest::newRow("lower-case ok is no greeting")
        << false << "1" << Reads{"", "ok\r"} << 400 << timeOut << "ok\r";
    QTest::newRow("port refuses") << true << "3" << Reads() << 0
                                  << QStringList{"refused(/dev/ttyS2)", kCouldNotConnect}
                                  << QString();
    QTest::newRow("text names no port")
        << true << "abc" << Reads() << 0 << QStringList{kCouldNotConnect} << QString();
    QTest::newRow("stale OK is no greeting") << true << "1" << Reads() << 400 << timeOut << "";
    QTest::newRow("new greeting alone in the log") << true << "1" << Reads{"Hi\rOK\r"} << 1
                                                   << connectSteps("Hi\r\nOK\r\n")
                                                   << "Hi\r\nOK\r\n";
}

void TestInstrumentLink::connecting()
{
    QFETCH(bool, afterLight);
    QFETCH(QString, portText);
    QFETCH(QList<QByteArray>, reads);
    QFETCH(int, readsTaken);
    QFETCH(QStringList, steps);
    QFETCH(QString, rx);

    Rig rig;
    rig.host.log = QStringLiteral("earlier log");
    if (afterLight) {
        // Leaves "OK" in RxBuffer; disconnecting keeps the log and RxBuffer as they are.
        QVERIFY(rig.connectInstrument());
        rig.answer({"OK\r"});
        QVERIFY(rig.transact('O'));
        const QString log = rig.host.log;
        const qsizetype mark = rig.journal.size();
        rig.link->connectOrDisconnect();
        QCOMPARE(rig.since(mark), kDisconnectSteps);
        QCOMPARE(rig.host.log, log);
        QCOMPARE(rig.link->rxBuffer(), QByteArray("OK\r"));
    }
    const QString log = rig.host.log;
    const QByteArray rxBefore = rig.link->rxBuffer();
    const int readsBefore = rig.port->reads;
    const qsizetype mark = rig.journal.size();
    rig.host.port = portText;
    rig.greetWith(reads);
    rig.link->connectOrDisconnect();
    QVERIFY(settle(*rig.link));

    QCOMPARE(rig.port->reads - readsBefore, readsTaken);
    QCOMPARE(hostSteps(rig.since(mark)), steps);
    QCOMPARE(rig.link->rxBuffer(), rx.isNull() ? rxBefore : rx.toLatin1());
    QCOMPARE(rig.host.log, rig.link->isOpen() ? rx : log);
}

void TestInstrumentLink::transaction_data()
{
    QTest::addColumn<char>("command");
    QTest::addColumn<QList<QByteArray>>("replies"); // to each byte sent; the last brings "OK"
    QTest::addColumn<QList<QByteArray>>("rest");    // then arrives, read by read
    QTest::addColumn<QString>("log");               // appended
    QTest::addColumn<QString>("value");

    using Reads = QList<QByteArray>;
    QTest::newRow("light on") << 'O' << Reads{"OK\r"} << Reads() << "OK\r" << QString();
    QTest::newRow("light off") << 'F' << Reads{"OK\r"} << Reads() << "OK\r" << QString();
    QTest::newRow("OK split over two passes")
        << 'O' << Reads{"O", "K\r"} << Reads() << "OK\r" << QString();
    QTest::newRow("lower-case ok is no acknowledgement")
        << 'F' << Reads{"ok\r", "ok\r", "OK\r"} << Reads() << "ok\rok\rOK\r" << QString();
    QTest::newRow("slow instrument hears the command each pass")
        << 'O' << Reads{"", "", "", "OK\r"} << Reads() << "OK\r" << QString();
    QTest::newRow("text after OK in the same read is logged")
        << 'O' << Reads{"OK\rextra"} << Reads() << "OK\rextra" << QString();
    QTest::newRow("worked example")
        << '*' << Reads{"OK"} << Reads{"\r123.4\rDone"} << "OK" << "123.4";
    QTest::newRow("CR came with OK")
        << '*' << Reads{"OK\r"} << Reads{"123.4\rDone"} << "OK\r" << "123.4";
    QTest::newRow("value in the read that brought OK")
        << '*' << Reads{"OK\r123.4\rDone"} << Reads() << "OK\r123.4\rDone" << "123.4";
    QTest::newRow("value and Done split over reads")
        << '*' << Reads{"OK"} << Reads{"\r12", "3.4\r", "Do", "ne"} << "OK" << "123.4";
    QTest::newRow("line end after Done")
        << '*' << Reads{"OK"} << Reads{"\r123.4\rDone\r\n"} << "OK" << "123.4";
    QTest::newRow("six-character reading")
        << '*' << Reads{"OK"} << Reads{"\r\rDone"} << "OK" << "";
}

void TestInstrumentLink::transaction()
{
    QFETCH(char, command);
    QFETCH(QList<QByteArray>, replies);
    QFETCH(QList<QByteArray>, rest);
    QFETCH(QString, log);
    QFETCH(QString, value);

    Rig rig;
    QVERIFY(rig.connectInstrument());
    const QString greeting = rig.host.log;
    // The clock moves on a second a read, so Date tells when it was taken.
    const QDateTime moment(QDate(2024, 3, 14), QTime(13, 5, 9));
    rig.link->setClock([&] { return moment.addSecs(rig.port->reads); });
    rig.answer(replies);
    const qsizetype mark = rig.journal.size();
    start(*rig.link, command);
    // Read empties Con before it sends anything.
    QStringList expected{"disableCommands()",
                         journalEntry("write", QString(QChar::fromLatin1(command)))};
    if (command == '*')
        expected.insert(1, QStringLiteral("setConcentration()"));
    QCOMPARE(rig.since(mark), expected);
    QVERIFY(rig.waitForLog());
    for (const QByteArray &chunk : rest)
        rig.port->deliver(chunk);
    QVERIFY(settle(*rig.link));

    expected.last() = journalEntry("appendLog", log);
    if (command == '*') {
        const QDateTime end = moment.addSecs(rig.port->reads);
        expected << journalEntry("setConcentration", value)
                 << journalEntry("setDate", estrivo::generalDateText(end, QLocale::system()))
                 << "calculate()";
    }
    expected << "enableCommands()";
    QCOMPARE(hostSteps(rig.since(mark)), expected);
    QCOMPARE(rig.port->written, QByteArray(replies.size(), command));
    QCOMPARE(rig.host.log, greeting + log);
    QVERIFY(staysQuiet(rig));
}

void TestInstrumentLink::leftoverInputIsNoAcknowledgement()
{
    Rig rig;
    QVERIFY(rig.connectInstrument());
    const QString greeting = rig.host.log;
    rig.answer({"", "OK\r"});
    QVERIFY(rig.transact('O'));
    // The answer to the repeated "O" is still waiting in the port when the next command starts.
    rig.port->deliver("OK\r", false);
    rig.answer({"", "", "OK now\r"});
    QVERIFY(rig.transact('F'));

    QCOMPARE(rig.port->written, QByteArray("OOFFF"));
    // Both acknowledgements, the older first, each appended once.
    QCOMPARE(rig.host.log, greeting + "OK\rOK now\r");
}

void TestInstrumentLink::commandOnClosedPort()
{
    Rig rig;
    for (const char command : {'*', 'O'}) {
        if (command == 'O') { // after a time-out, which leaves the commands enabled
            rig.link->connectOrDisconnect();
            QVERIFY(settle(*rig.link));
        }
        const qsizetype mark = rig.journal.size();
        start(*rig.link, command);
        // Nothing sent, no field changed, availability left as it was.
        QCOMPARE(rig.since(mark), QStringList{"showLinkError(Error: Not connected.)"});
        QVERIFY(staysQuiet(rig));
    }
}

void TestInstrumentLink::waitInterrupted_data()
{
    QTest::addColumn<Stage>("stage");
    QTest::addColumn<Act>("act");

    QTest::newRow("commands awaiting the greeting: not connected yet")
        << Stage::Greeting << Act::Commands;
    QTest::newRow("commands ignored awaiting OK") << Stage::Acknowledging << Act::Commands;
    QTest::newRow("commands ignored awaiting Done") << Stage::Reading << Act::Commands;
    QTest::newRow("disconnect awaiting OK") << Stage::Acknowledging << Act::Disconnect;
    QTest::newRow("disconnect awaiting Done") << Stage::Reading << Act::Disconnect;
    QTest::newRow("shutdown awaiting OK") << Stage::Acknowledging << Act::Shutdown;
    QTest::newRow("shutdown awaiting the greeting") << Stage::Greeting << Act::Shutdown;
    QTest::newRow("line fails while idle") << Stage::Idle << Act::LineFails;
    QTest::newRow("line fails awaiting Done") << Stage::Reading << Act::LineFails;
    QTest::newRow("line fails awaiting the greeting") << Stage::Greeting << Act::LineFails;
}

void TestInstrumentLink::waitInterrupted()
{
    QFETCH(Stage, stage);
    QFETCH(Act, act);

    Rig rig;
    QSignalSpy disconnected(rig.link.get(), &InstrumentLink::disconnected);
    QVERIFY(rig.enter(stage));
    const qsizetype mark = rig.journal.size();
    QStringList expected = kDisconnectSteps;
    switch (act) {
    case Act::Commands:
        rig.link->lightOn();
        rig.link->lightOff();
        rig.link->read();
        if (stage == Stage::Greeting)
            rig.link->connectOrDisconnect();
        // The wait goes on sending and reading, and nothing else; before the greeting the
        // operator is told there is no connection yet.
        QCOMPARE(hostSteps(rig.since(mark)),
                 stage == Stage::Greeting
                     ? QStringList(3, QStringLiteral("showLinkError(Error: Not connected.)"))
                     : QStringList());
        QCOMPARE(rig.link->isBusy(), true);
        return;
    case Act::Disconnect:
        rig.link->connectOrDisconnect();
        break;
    case Act::Shutdown:
        rig.link->shutdown();
        expected = QStringList{"close()"};
        break;
    case Act::LineFails:
        rig.port->fail(QStringLiteral("/dev/ttyS0: Input/output error"));
        // Torn down once the failing read or write has returned.
        QVERIFY(disconnected.wait());
        expected.prepend(QStringLiteral("fail()"));
        if (stage == Stage::Greeting)
            expected.insert(1, QStringLiteral("setConnectEnabled(true)"));
        expected << QStringLiteral("showLinkError(Error: Connection lost.)");
        break;
    }
    QCOMPARE(rig.since(mark), expected);
    QCOMPARE(rig.link->isBusy(), false);
    QCOMPARE(rig.link->isOpen(), false);
    QVERIFY(staysQuiet(rig));
}

void TestInstrumentLink::floodKeepsBoundedTail_data()
{
    QTest::addColumn<Stage>("stage");
    QTest::newRow("awaiting the greeting") << Stage::Greeting;
    QTest::newRow("awaiting OK") << Stage::Acknowledging;
    QTest::newRow("awaiting Done") << Stage::Reading;
}

void TestInstrumentLink::floodKeepsBoundedTail()
{
    QFETCH(Stage, stage);

    constexpr int kFloodReads = 40; // ten times the tail
    const QByteArray noise(16 * 1024, 'x');
    Rig rig;
    QVERIFY(stage == Stage::Greeting || rig.enter(stage == Stage::Reading ? stage : Stage::Idle));
    const qsizetype logged = rig.host.log.size();
    const int firstRead = rig.port->reads + 1;
    const QByteArray last = stage == Stage::Reading ? "\r77.7\rDone" : "OK\r";
    qsizetype largest = 0;
    rig.port->beforeRead = [&](int n) {
        largest = std::max(largest, rig.link->rxBuffer().size());
        rig.port->deliver(n - firstRead < kFloodReads ? noise : last, false);
    };
    if (stage == Stage::Greeting)
        rig.link->connectOrDisconnect();
    else if (stage == Stage::Acknowledging)
        rig.link->lightOn();
    for (int i = 0; stage == Stage::Reading && i <= kFloodReads; ++i)
        rig.port->deliver({}); // announced: the reading phase reads when told
    QVERIFY(settle(*rig.link));

    QCOMPARE_GT(largest, 0);
    QCOMPARE_LE(largest, RxTail::kLimitBytes);
    QCOMPARE_LE(rig.link->rxBuffer().size(), RxTail::kLimitBytes);
    // The log gains the newest part only, ending with what brought "OK".
    QCOMPARE_LE(rig.host.log.size() - logged, RxTail::kLimitBytes);
    if (stage == Stage::Reading)
        QCOMPARE(rig.host.con, QStringLiteral("77.7"));
    else
        QVERIFY(rig.host.log.endsWith(stage == Stage::Greeting ? "xOK\r\n" : "xOK\r"));
}

QTEST_GUILESS_MAIN(TestInstrumentLink)
#include "tst_instrument_link.moc"
