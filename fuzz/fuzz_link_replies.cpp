// Whatever the board sends, in whatever pieces and at whatever moment of an exchange: the link
// neither crashes nor grows without bound, and a reading only ever comes from the text between
// the first "OK" its command sees and the "Done" after it. The board is the scripted port of the
// link's tests; every expectation is worked out from the bytes fed to it, not from the link.
//
// The input is a list of pieces of the board's output: a header byte, a length byte, then that
// many bytes of text. The header's low three bits say what the piece is (Kind), the next two how
// often its text repeats (1, 1, 64 or 4096 times: floods), the top three how many turns of the
// event loop a Later piece waits before it goes out, or for a Greeting piece how many reads
// find nothing before it (kGreetingGaps), so the last of the 400 reads is within reach.
#include "instrument_link.h"
#include "link_rules.h"
#include "rx_tail.h"
#include "scripted_port.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

using namespace estrivo;
using namespace std::chrono_literals;
using State = InstrumentLink::State;

namespace {

enum class Kind : std::uint8_t {
    Greeting, // found by a read of the greeting wait
    Command,  // starts the next command; its first byte says which ('*', 'O' or 'F')
    Unasked,  // sent between exchanges, before the command: the log shows it
    Stale,    // arrived before the command, still unread when it starts: dropped
    Reply,    // the answer to the next command byte sent
    AtRead,   // found by the link's next read
    Later,    // sent on its own after some turns of the event loop
    Trickle,  // sent in small bits, one a turn
};

struct Piece
{
    Kind kind = Kind::Later;
    QByteArray text;
    int wait = 0; // turns, for Later
};

struct Command
{
    char byte = '*';     // 0 after the last command: only what the board says on its own
    QList<Piece> before; // Unasked and Stale pieces, in order
    QList<Piece> answer; // what the board sends once the command has started, in order
};

struct Script
{
    QList<QByteArray> greeting; // one piece a read
    QList<Command> commands;
};

constexpr qsizetype kLimit = RxTail::kLimitBytes;
constexpr QByteArrayView kAck("OK");
constexpr QByteArrayView kDone("Done");
constexpr int kGreetingReads = 400;
constexpr int kGreetingGaps[] = {0, 1, 2, 3, 16, 64, 128, 256};
// A flood of a few megabytes says all a bigger one would, and keeps each run short.
constexpr qsizetype kMaxScriptBytes = 2 * 1024 * 1024;
constexpr int kTrickleSteps = 64;
// Without pauses a command pass takes a few turns of the event loop, so this is many passes.
constexpr int kSettleTurns = 64;
constexpr int kGreetingTurns = 8 * kGreetingReads;

const QString kPortText = QStringLiteral("1");
const QString kDevice = QStringLiteral("/dev/ttyS0");

void require(bool holds, const char *what)
{
    if (holds)
        return;
    std::fprintf(stderr, "link property violated: %s\n", what);
    std::abort();
}

char commandByte(const QByteArray &text)
{
    if (text.isEmpty())
        return '*';
    const char first = text.front();
    if (first == '*' || first == 'O' || first == 'F')
        return first;
    return "*OF"[static_cast<unsigned char>(first) % 3];
}

Script parse(const std::uint8_t *data, std::size_t size)
{
    static constexpr qsizetype kRepeats[] = {1, 1, 64, 4096};
    Script script;
    Command current; // where answers go
    bool started = false;
    QList<Piece> between; // said between exchanges, before the next command
    qsizetype total = 0;
    const auto start = [&](char byte) {
        if (started)
            script.commands << std::exchange(current, {});
        current.byte = byte;
        current.before = std::exchange(between, {});
        started = true;
    };
    for (std::size_t at = 0; at + 2 <= size;) {
        const std::uint8_t header = data[at];
        const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
        const QByteArray text
            = QByteArray(reinterpret_cast<const char *>(data + at + 2), qsizetype(length))
                  .repeated(kRepeats[(header >> 3) & 3]);
        at += 2 + length;
        total += text.size();
        if (total > kMaxScriptBytes)
            break;
        const auto kind = Kind(header & 7);
        switch (kind) {
        case Kind::Greeting:
            // Reads past the 400th never happen.
            if (script.greeting.size() <= kGreetingReads)
                script.greeting << QList<QByteArray>(kGreetingGaps[header >> 5]) << text;
            break;
        case Kind::Command:
            start(commandByte(text));
            break;
        case Kind::Unasked:
        case Kind::Stale:
            between << Piece{kind, text};
            break;
        case Kind::Reply:
        case Kind::AtRead:
        case Kind::Later:
        case Kind::Trickle:
            if (!started)
                start('*');
            current.answer << Piece{kind, text, header >> 5};
            break;
        }
    }
    if (started)
        script.commands << current;
    if (!between.isEmpty())
        script.commands << Command{0, between, {}};
    return script;
}

// The greeting as the log should show it: line feeds dropped, a line feed after each return.
QByteArray expectedGreetingLog(const QByteArray &heard)
{
    QByteArray shown;
    for (const char c : heard) {
        if (c == '\n')
            continue;
        shown += c;
        if (c == '\r')
            shown += '\n';
    }
    return shown;
}

// One connection to the scripted board, its exchanges checked against what was fed.
class Session
{
public:
    Session()
        : m_port(new ScriptedPort)
        , m_link(std::unique_ptr<SerialPort>(m_port))
    {
        m_link.setPassInterval(0ms, 0ms);
        m_link.setClock([] { return QDateTime(); });
        QObject::connect(&m_link, &InstrumentLink::logReset, &m_link, [this](const QString &t) {
            require(t.size() <= kLimit, "the greeting's log grows beyond the limit");
            m_logResets << t;
        });
        QObject::connect(&m_link, &InstrumentLink::logAppended, &m_link, [this](const QString &t) {
            require(t.size() <= kLimit, "a log text beyond the limit");
            if (m_inCommand)
                m_ackLogs << t;
            else
                m_idleLog += t;
        });
        QObject::connect(&m_link, &InstrumentLink::readingStarted, &m_link,
                         [this] { ++m_readingsStarted; });
        QObject::connect(&m_link, &InstrumentLink::readingTaken, &m_link,
                         [this](const Reading &reading) { m_readings << reading; });
        QObject::connect(&m_link, &InstrumentLink::failed, &m_link,
                         [this](const LinkError &error) { m_failures << error; });
    }

    void greet(const QList<QByteArray> &greeting)
    {
        m_port->perRead = greeting;
        m_link.connectToInstrument(kPortText);
        require(m_link.state() == State::Connecting, "connecting did not start");
        for (int turns = 0; m_link.state() == State::Connecting; ++turns) {
            require(turns < kGreetingTurns, "the greeting wait never ends");
            QCoreApplication::processEvents();
        }
        m_port->perRead.clear(); // what the board would have said next is never sent

        // One piece a read, and the 401st pass gives up without reading.
        QByteArray heard;
        bool greeted = false;
        for (qsizetype i = 0; i < std::min<qsizetype>(greeting.size(), kGreetingReads); ++i) {
            heard += greeting[i];
            greeted = heard.contains(kAck);
            if (greeted)
                break;
        }
        if (!greeted) {
            require(m_link.state() == State::Disconnected, "connected without an OK");
            require(m_logResets.isEmpty(), "a greeting without OK reached the log");
            require(m_failures.size() == 1
                        && m_failures.front().kind == LinkError::Kind::NoGreeting
                        && m_failures.front().port == kDevice,
                    "no time-out reported");
            m_failures.clear();
            reconnect();
            return;
        }
        require(m_link.state() == State::Connected && m_link.commandsAvailable(),
                "the OK of the greeting was missed");
        require(m_logResets.size() == 1 && m_failures.isEmpty(), "one greeting, one log");
        const QByteArray shown = expectedGreetingLog(heard);
        const QByteArray logged = m_logResets.front().toLatin1();
        if (heard.size() <= kLimit)
            require(logged == shown.right(kLimit), "the greeting's log is not what came");
        else
            require(shown.endsWith(logged), "the greeting's log is not the tail of what came");
        startIdle();
    }

    void run(const Command &command)
    {
        feedBetweenExchanges(command.before);
        if (command.byte == 0)
            return;

        m_inCommand = true;
        m_ackLogs.clear();
        m_readings.clear();
        m_readingsStarted = 0;
        const State expected = command.byte == '*'   ? State::Reading
                               : command.byte == 'O' ? State::LightingOn
                                                     : State::LightingOff;
        command.byte == '*'   ? m_link.read()
        : command.byte == 'O' ? m_link.lightOn()
                              : m_link.lightOff();
        require(m_link.state() == expected, "the command did not start");
        require(m_readingsStarted == (command.byte == '*' ? 1 : 0), "readingStarted not once");
        feedAnswer(command.answer);

        const bool abandoned = isWaiting();
        if (abandoned)
            m_link.disconnectFromInstrument();
        m_inCommand = false;
        // What the board said after the exchange ended is nobody's answer; leaving it in the
        // port would make the next idle log depend on where the passes fell.
        m_port->replies.clear();
        m_port->perRead.clear();
        m_port->readAll();

        QByteArray fed;
        for (const Piece &piece : command.answer)
            fed += piece.text;
        check(command.byte, fed, abandoned);
        if (abandoned)
            reconnect();
        else
            startIdle();
    }

private:
    bool isWaiting() const
    {
        const State s = m_link.state();
        return s != State::Disconnected && s != State::Connected;
    }

    void reconnect()
    {
        m_logResets.clear();
        m_port->perRead = {"OK\r"};
        m_link.connectToInstrument(kPortText);
        for (int turns = 0; m_link.state() == State::Connecting; ++turns) {
            require(turns < kGreetingTurns, "reconnecting never ends");
            QCoreApplication::processEvents();
        }
        m_port->perRead.clear();
        require(m_link.state() == State::Connected, "reconnecting failed");
        require(m_logResets == QStringList{QStringLiteral("OK\r\n")}, "reconnected, odd log");
        require(m_failures.isEmpty(), "reconnecting reported a failure");
        startIdle();
    }

    // An exchange has ended: what the board says from now on is logged, up to the limit.
    void startIdle()
    {
        m_idleSent.clear();
        m_idleLog.clear();
    }

    void feedBetweenExchanges(const QList<Piece> &pieces)
    {
        QByteArray unread; // stale bytes wait in the port until the next read takes them
        for (const Piece &piece : pieces) {
            if (piece.text.isEmpty())
                continue;
            if (piece.kind == Kind::Stale) {
                m_port->deliver(piece.text, false);
                unread += piece.text;
                continue;
            }
            m_port->deliver(piece.text);
            m_idleSent += std::exchange(unread, {}) + piece.text;
            require(m_idleLog == QString::fromLatin1(m_idleSent.left(kLimit)),
                    "text between exchanges is not logged as it came, up to the limit");
        }
    }

    // The answer goes out piece by piece in order, each when its moment comes, until the
    // command ends; then some more turns for the link to finish what it has.
    void feedAnswer(const QList<Piece> &pieces)
    {
        enum class Slot { None, Replies, PerRead } slot = Slot::None;
        qsizetype next = 0;
        qsizetype trickled = 0;
        int turnsOnPiece = 0;
        int settleTurns = 0;
        while (isWaiting()) {
            if (next == pieces.size()) {
                if (++settleTurns > kSettleTurns)
                    return;
                QCoreApplication::processEvents();
                continue;
            }
            const Piece &piece = pieces[next];
            // Once "OK" is through the link neither sends nor reads a pass any more.
            const bool acknowledged = !m_ackLogs.isEmpty();
            bool sent = false;
            if (slot != Slot::None) {
                QList<QByteArray> &queue
                    = slot == Slot::Replies ? m_port->replies : m_port->perRead;
                if (queue.isEmpty()) {
                    sent = true;
                } else if (acknowledged) {
                    queue.clear();
                    m_port->deliver(piece.text);
                    sent = true;
                }
            } else if (piece.kind == Kind::Reply || piece.kind == Kind::AtRead) {
                if (acknowledged || piece.text.isEmpty()) {
                    m_port->deliver(piece.text);
                    sent = true;
                } else if (piece.kind == Kind::Reply) {
                    m_port->replies = {piece.text};
                    slot = Slot::Replies;
                } else {
                    m_port->perRead = {piece.text};
                    slot = Slot::PerRead;
                }
            } else if (piece.kind == Kind::Later) {
                if (turnsOnPiece >= piece.wait) {
                    m_port->deliver(piece.text);
                    sent = true;
                }
            } else { // Trickle
                const qsizetype step = std::max<qsizetype>(1, piece.text.size() / kTrickleSteps);
                m_port->deliver(piece.text.mid(trickled, step));
                trickled += step;
                sent = trickled >= piece.text.size();
            }
            if (sent) {
                ++next;
                slot = Slot::None;
                trickled = 0;
                turnsOnPiece = 0;
                continue; // the next piece may follow at once, into the same read
            }
            require(++turnsOnPiece <= kSettleTurns + kTrickleSteps + 8,
                    "the link stopped sending or reading while awaiting OK");
            QCoreApplication::processEvents();
        }
    }

    void check(char command, const QByteArray &fed, bool abandoned) const
    {
        require(m_failures.isEmpty(), "a command reported a failure");
        const qsizetype ok = fed.indexOf(kAck);
        const qsizetype done = ok < 0 ? -1 : fed.indexOf(kDone, ok + kAck.size());
        const bool answered = ok >= 0 && (command != '*' || done >= 0);
        require(abandoned != answered,
                answered ? "an answered command never ended" : "a command ended unanswered");
        if (!abandoned)
            require(m_link.state() == State::Connected && m_link.commandsAvailable(),
                    "not connected and idle after the command");

        // The acknowledgement's log: what came up to the read that brought the first "OK".
        require(m_ackLogs.size() == (ok >= 0 ? 1 : 0), "the acknowledgement not logged once");
        if (ok >= 0) {
            const QByteArray log = m_ackLogs.front().toLatin1();
            const qsizetype ackEnd = ok + kAck.size();
            if (log.size() < kLimit)
                require(fed.startsWith(log) && log.size() >= ackEnd,
                        "the acknowledgement's log is not what came up to OK");
            else
                require(fed.indexOf(log, std::max<qsizetype>(0, ackEnd - log.size())) >= 0,
                        "the acknowledgement's log is not a tail of what came up to OK");
        }

        require(m_readings.size() == (command == '*' && answered ? 1 : 0),
                "a reading without its command's OK and Done, or none with them");
        if (m_readings.isEmpty())
            return;
        const Reading &reading = m_readings.front();
        const QByteArray between = fed.mid(ok + kAck.size(), done - ok - kAck.size());
        const QByteArray value = reading.value.toLatin1();
        require(!value.contains('\r') && !value.contains('\n'), "a value spans lines");
        require(between.contains(value), "a value from outside OK and Done");
        // The link keeps a bounded tail; a reply that fits it is kept whole.
        if (between.size() + kDone.size() - 1 <= kLimit) {
            require(reading.reply == between, "the reply is not the text between OK and Done");
            require(reading.value == readingValue(between), "not the last line before Done");
        } else {
            require(between.endsWith(reading.reply)
                        && reading.reply.size() >= kLimit - (kDone.size() - 1),
                    "a flooded reply is not the tail before Done");
            require(reading.value == readingValue(reading.reply), "not the last line kept");
        }
        require(reading.port == kDevice, "the reading names another port");
    }

    ScriptedPort *m_port; // owned by the link
    InstrumentLink m_link;
    bool m_inCommand = false;
    QStringList m_logResets;
    QStringList m_ackLogs; // log texts while a command was under way
    QString m_idleLog;     // log texts since the last exchange ended
    QByteArray m_idleSent; // what the board sent since then, read or not
    QList<Reading> m_readings;
    int m_readingsStarted = 0;
    QList<LinkError> m_failures;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The plain event dispatcher: one turn of it is one step of the link, nothing more.
    qputenv("QT_NO_GLIB", "1");
    static int argc = 1;
    static char name[] = "fuzz_link_replies";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const Script script = parse(data, size);
    Session session;
    session.greet(script.greeting);
    for (const Command &command : script.commands)
        session.run(command);
    return 0;
}
