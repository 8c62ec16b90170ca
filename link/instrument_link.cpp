#include "instrument_link.h"

#include "link_rules.h"
#include "rx_tail.h"
#include "serial_port.h"

#include <QDateTime>
#include <QTimer>

#include <utility>

namespace estrivo {

using namespace std::chrono_literals;

namespace {

constexpr std::chrono::milliseconds kAckPause{100};  // between passes of a command
constexpr std::chrono::milliseconds kGreetPause{10}; // between reads of the greeting wait
constexpr int kGreetingReads = 400;                  // the 401st pass gives up

constexpr QByteArrayView kAck("OK");
constexpr QByteArrayView kDone("Done");

constexpr char kLightOnCommand = 'O';
constexpr char kLightOffCommand = 'F';
constexpr char kReadCommand = '*';

// Every member given: g++ warns about designated initializers that leave some out.
LinkError linkError(LinkError::Kind kind, const QString &port = {}, const QString &reason = {},
                    std::chrono::milliseconds waited = {})
{
    return {kind, port, reason, waited};
}

} // namespace

class InstrumentLink::Private
{
public:
    // Where the exchange stands; the public State is derived from it and the open port.
    enum class Phase {
        Idle,       // no wait under way; the port may be open (connected) or closed
        Greeting,   // connecting: a read every pass until "OK" or the 401st pass
        AckSending, // a command pass: the character is queued, waiting until it has gone out
        AckPause,   // a command pass: read done, pausing before the test for "OK"
        Reading,    // a reading: collecting until "Done"
    };

    Private(InstrumentLink &link, std::unique_ptr<SerialPort> serialPort)
        : q(link)
        , port(std::move(serialPort))
    {
        timer.setSingleShot(true);
        // Coarse timers may fire early; a pass must pause at least its full interval.
        timer.setTimerType(Qt::PreciseTimer);
    }

    State currentState() const;
    void publish();

    void greetingPass();
    void greetingTick();
    void greetingFound();
    void greetingTimedOut();
    void closeLine();

    void startTransaction(char c);
    void sendPass();
    void sent();
    void ackPauseOver();
    void collectReading(const QByteArray &chunk);
    void logUnasked();

    void onTimer();
    void onReadyRead();
    void onBytesWritten();
    void onPortError(const QString &reason);
    void lineLost(const QString &reason);

    void endWait();

    InstrumentLink &q;
    std::unique_ptr<SerialPort> port;
    QTimer timer;
    Phase phase = Phase::Idle;
    RxTail rx;
    char command = 0;
    bool ackSeen = false;
    QByteArray afterAck; // what followed "OK" in the read that brought it
    int greetingPasses = 0;
    bool commandsOffered = false;
    qsizetype unaskedLogged = 0; // bytes the board sent on its own since the last exchange
    State published = State::Disconnected;
    bool publishedCommands = false;
    std::chrono::milliseconds ackPause = kAckPause;
    std::chrono::milliseconds greetPause = kGreetPause;
    std::function<QDateTime()> clock = [] {
        return QDateTime::currentDateTime();
    };
    // Counts openings, so a failure reported late cannot close a later connection.
    quint64 openCount = 0;
};

InstrumentLink::InstrumentLink(std::unique_ptr<SerialPort> port, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>(*this, std::move(port)))
{
    connect(&d->timer, &QTimer::timeout, this, [this] { d->onTimer(); });
    connect(d->port.get(), &SerialPort::readyRead, this, [this] { d->onReadyRead(); });
    connect(d->port.get(), &SerialPort::bytesWritten, this, [this] { d->onBytesWritten(); });
    connect(d->port.get(), &SerialPort::errorOccurred, this,
            [this](const QString &reason) { d->onPortError(reason); });
}

InstrumentLink::~InstrumentLink()
{
    d->port->disconnect(this);
    shutdown();
}

InstrumentLink::State InstrumentLink::state() const
{
    return d->published;
}

bool InstrumentLink::isConnected() const
{
    const State s = state();
    return s != State::Disconnected && s != State::Connecting;
}

bool InstrumentLink::commandsAvailable() const
{
    return d->publishedCommands;
}

void InstrumentLink::applyLineSettings()
{
    d->port->setLineSettings(kInstrumentLine);
    d->port->setDataTerminalReady(true);
    d->port->setFlowControl(SerialPort::FlowControl::None);
    d->port->setRequestToSend(false);
}

void InstrumentLink::lightOn()
{
    d->startTransaction(kLightOnCommand);
}

void InstrumentLink::lightOff()
{
    d->startTransaction(kLightOffCommand);
}

void InstrumentLink::read()
{
    d->startTransaction(kReadCommand);
}

void InstrumentLink::shutdown()
{
    d->endWait();
    if (d->port->isOpen())
        d->port->close();
    d->commandsOffered = false;
    d->published = State::Disconnected;
    d->publishedCommands = false;
}

void InstrumentLink::setPassInterval(std::chrono::milliseconds ackPause,
                                     std::chrono::milliseconds greetPause)
{
    d->ackPause = ackPause;
    d->greetPause = greetPause;
}

void InstrumentLink::setClock(std::function<QDateTime()> clock)
{
    d->clock = std::move(clock);
}

SerialPort &InstrumentLink::port()
{
    return *d->port;
}

InstrumentLink::State InstrumentLink::Private::currentState() const
{
    if (!port->isOpen())
        return State::Disconnected;
    switch (phase) {
    case Phase::Idle:
        return State::Connected;
    case Phase::Greeting:
        return State::Connecting;
    case Phase::AckSending:
    case Phase::AckPause:
    case Phase::Reading:
        break;
    }
    return command == kReadCommand      ? State::Reading
           : command == kLightOnCommand ? State::LightingOn
                                        : State::LightingOff;
}

// One signal for each change the window may show, after the link has settled into it.
void InstrumentLink::Private::publish()
{
    const State now = currentState();
    if (now != published) {
        published = now;
        emit q.stateChanged(now);
    }
    if (commandsOffered != publishedCommands) {
        publishedCommands = commandsOffered;
        emit q.commandsAvailableChanged(commandsOffered);
    }
}

// Connecting ------------------------------------------------------------------------------

void InstrumentLink::connectToInstrument(const QString &portText)
{
    if (d->port->isOpen())
        return; // connected or connecting already
    const PortChoice choice = portDeviceForText(portText);
    if (choice.device.isEmpty()) {
        emit failed(linkError(LinkError::Kind::NoSuchPort, {}, choice.problem));
        return;
    }
    d->port->setPortName(choice.device);
    QString reason;
    if (!d->port->open(&reason)) {
        emit failed(linkError(LinkError::Kind::PortRefused, choice.device, reason));
        return;
    }
    ++d->openCount;
    // An "OK" left over from an earlier exchange would pass for the greeting.
    d->rx.clear();
    d->greetingPasses = 0;
    d->phase = Private::Phase::Greeting;
    d->publish();
    d->greetingPass();
}

void InstrumentLink::disconnectFromInstrument()
{
    if (!d->port->isOpen())
        return;
    d->closeLine();
}

void InstrumentLink::Private::greetingPass()
{
    ++greetingPasses;
    timer.start(greetPause);
}

void InstrumentLink::Private::greetingTick()
{
    if (greetingPasses > kGreetingReads) {
        greetingTimedOut();
        return;
    }
    if (rx.appendAndFind(port->readAll(), kAck) >= 0)
        greetingFound();
    else
        greetingPass();
}

void InstrumentLink::Private::greetingFound()
{
    phase = Phase::Idle;
    rx.trim();
    rx.reset(greetingLogText(rx.text()));
    unaskedLogged = 0;
    emit q.logReset(QString::fromLatin1(rx.text()));
    commandsOffered = true;
    publish();
}

void InstrumentLink::Private::greetingTimedOut()
{
    phase = Phase::Idle;
    port->close();
    // The commands come back after a failed wait; choosing one explains there is no line.
    commandsOffered = true;
    publish();
    emit q.failed(
        linkError(LinkError::Kind::NoGreeting, port->portName(), {}, greetPause * kGreetingReads));
}

void InstrumentLink::Private::closeLine()
{
    endWait();
    port->close();
    commandsOffered = false;
    publish();
}

// Command transactions -----------------------------------------------------------------------

void InstrumentLink::Private::startTransaction(char c)
{
    // The window offers the File menu entries in every state. Until the greeting is in there
    // is no instrument to talk to; otherwise one exchange at a time.
    if (phase == Phase::Greeting) {
        emit q.failed(linkError(LinkError::Kind::StillConnecting, port->portName()));
        return;
    }
    if (phase != Phase::Idle)
        return;
    if (!port->isOpen()) {
        emit q.failed(linkError(LinkError::Kind::NotConnected));
        return;
    }
    rx.clear();
    command = c;
    ackSeen = false;
    afterAck.clear();
    // The answer to a repeated earlier command must not pass for this command's "OK",
    // wherever it waits: in the port's buffer or still in the driver's.
    port->discardInput();
    phase = Phase::AckSending;
    commandsOffered = false;
    publish();
    if (c == kReadCommand)
        emit q.readingStarted();
    sendPass();
}

void InstrumentLink::Private::sendPass()
{
    phase = Phase::AckSending;
    port->write(QByteArray(1, command));
    // Even with nothing left to send, the window gets its turn before the read.
    if (phase == Phase::AckSending && port->bytesToWrite() == 0)
        timer.start(0ms);
}

void InstrumentLink::Private::sent()
{
    const qsizetype at = rx.appendAndFind(port->readAll(), kAck);
    if (at >= 0) {
        ackSeen = true;
        afterAck = rx.text().mid(at + kAck.size());
        rx.trim();
    }
    phase = Phase::AckPause;
    // The test for "OK" looks at what was read before the pause, but comes after it.
    timer.start(ackPause);
}

void InstrumentLink::Private::ackPauseOver()
{
    if (!ackSeen) {
        sendPass();
        return;
    }
    emit q.logAppended(QString::fromLatin1(rx.text()));
    if (command != kReadCommand) {
        phase = Phase::Idle;
        unaskedLogged = 0;
        commandsOffered = true;
        publish();
        return;
    }
    // What followed "OK" in the same read belongs to the reading, and is searched for "Done"
    // before the buffer keeps only its tail.
    rx.clear();
    phase = Phase::Reading;
    collectReading(std::exchange(afterAck, {}) + port->readAll());
}

void InstrumentLink::Private::collectReading(const QByteArray &chunk)
{
    const qsizetype at = rx.appendAndFind(chunk, kDone);
    if (at < 0)
        return;
    const QByteArrayView reply = QByteArrayView(rx.text()).first(at);
    const Reading reading{readingValue(reply), reply.toByteArray(), clock(), port->portName()};
    rx.trim();
    phase = Phase::Idle;
    unaskedLogged = 0;
    emit q.readingTaken(reading);
    commandsOffered = true;
    publish();
}

// What the board sends between exchanges (a fault notice, a reset greeting) answers nothing,
// but the operator should see it. A board that floods is cut off after a bounded amount.
void InstrumentLink::Private::logUnasked()
{
    QByteArray text = port->readAll();
    const qsizetype room = RxTail::kLimitBytes - unaskedLogged;
    if (text.size() > room)
        text.truncate(std::max<qsizetype>(room, 0));
    unaskedLogged += text.size();
    if (!text.isEmpty())
        emit q.logAppended(QString::fromLatin1(text));
}

// Events -------------------------------------------------------------------------------------

void InstrumentLink::Private::onTimer()
{
    switch (phase) {
    case Phase::Greeting:
        greetingTick();
        break;
    case Phase::AckSending:
        if (port->bytesToWrite() == 0)
            sent();
        break;
    case Phase::AckPause:
        ackPauseOver();
        break;
    case Phase::Idle:
    case Phase::Reading:
        break;
    }
}

void InstrumentLink::Private::onReadyRead()
{
    switch (phase) {
    case Phase::Reading:
        collectReading(port->readAll());
        break;
    case Phase::Idle:
        if (port->isOpen())
            logUnasked();
        break;
    case Phase::Greeting:
    case Phase::AckSending:
    case Phase::AckPause:
        // These read once per pass, at their own step.
        break;
    }
}

void InstrumentLink::Private::onBytesWritten()
{
    if (phase == Phase::AckSending && port->bytesToWrite() == 0) {
        timer.stop();
        sent();
    }
}

void InstrumentLink::Private::onPortError(const QString &reason)
{
    // Reported from inside a read or write: finish that step first, then tear down.
    const quint64 failedOpening = openCount;
    QTimer::singleShot(0, &q, [this, failedOpening, reason] {
        if (failedOpening == openCount && port->isOpen())
            lineLost(reason);
    });
}

void InstrumentLink::Private::lineLost(const QString &reason)
{
    closeLine();
    emit q.failed(linkError(LinkError::Kind::ConnectionLost, port->portName(), reason));
}

void InstrumentLink::Private::endWait()
{
    timer.stop();
    phase = Phase::Idle;
}

} // namespace estrivo
