#include "instrument_link.h"

#include "link_rules.h"
#include "rx_tail.h"
#include "serial_port.h"

#include <QDateTime>
#include <QLocale>
#include <QTimer>

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

// The texts the operator sees, as the window shows them.
const QString kConnectCaption = QStringLiteral("&Connect");
const QString kDisconnectCaption = QStringLiteral("&Disconnect");
const QString kConnectedTitle = QStringLiteral("Estrivo (tm) [Connected]");
const QString kCouldNotConnect = QStringLiteral("Error: Could not connect.");
const QString kNotConnected = QStringLiteral("Error: Not connected.");
const QString kConnectionLost = QStringLiteral("Error: Connection lost.");

} // namespace

class InstrumentLink::Private
{
public:
    enum class State {
        Idle,       // no wait under way; the port may be open (connected) or closed
        Greeting,   // connecting: a read every pass until "OK" or the 401st pass
        AckSending, // a command pass: the character is queued, waiting until it has gone out
        AckPause,   // a command pass: read done, pausing before the test for "OK"
        Reading,    // a reading: collecting until "Done"
    };

    Private(InstrumentLink &link, LinkHost &linkHost, std::unique_ptr<SerialPort> serialPort)
        : q(link)
        , host(linkHost)
        , port(std::move(serialPort))
    {
        timer.setSingleShot(true);
        // Coarse timers may fire early; a pass must pause at least its full interval.
        timer.setTimerType(Qt::PreciseTimer);
    }

    void startConnect();
    void greetingPass();
    void greetingTick();
    void greetingFound();
    void greetingTimedOut();
    void disconnectNow();

    void startTransaction(char c);
    void sendPass();
    void sent();
    void ackPauseOver();
    void collectReading(const QByteArray &chunk);

    void onTimer();
    void onReadyRead();
    void onBytesWritten();
    void onPortError(const QString &reason);
    void lineLost(const QString &reason);

    void endWait();
    QString greetingTimeoutDetail() const;

    InstrumentLink &q;
    LinkHost &host;
    std::unique_ptr<SerialPort> port;
    QTimer timer;
    State state = State::Idle;
    RxTail rx;
    char command = 0;
    bool ackSeen = false;
    QByteArray afterAck; // what followed "OK" in the read that brought it
    int greetingPasses = 0;
    std::chrono::milliseconds ackPause = kAckPause;
    std::chrono::milliseconds greetPause = kGreetPause;
    std::function<QDateTime()> clock = [] {
        return QDateTime::currentDateTime();
    };
    // Counts openings, so a failure reported late cannot close a later connection.
    quint64 openCount = 0;
};

InstrumentLink::InstrumentLink(LinkHost &host, std::unique_ptr<SerialPort> port, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>(*this, host, std::move(port)))
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

void InstrumentLink::applyLineSettings()
{
    d->port->setLineSettings(kInstrumentLine);
    d->port->setDataTerminalReady(true);
    d->port->setFlowControl(SerialPort::FlowControl::None);
    d->port->setRequestToSend(false);
    d->port->setInputMode(SerialPort::InputMode::Text);
}

void InstrumentLink::connectOrDisconnect()
{
    // The window disables the command during the greeting wait; a stray call changes nothing.
    if (d->state == Private::State::Greeting)
        return;
    if (d->host.connectCaption() == kConnectCaption)
        d->startConnect();
    else
        d->disconnectNow();
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
}

bool InstrumentLink::isOpen() const
{
    return d->port->isOpen();
}

bool InstrumentLink::isBusy() const
{
    return d->state != Private::State::Idle;
}

QByteArray InstrumentLink::rxBuffer() const
{
    return d->rx.text();
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

// Connecting ------------------------------------------------------------------------------

void InstrumentLink::Private::startConnect()
{
    const PortChoice choice = portDeviceForText(host.portText());
    if (choice.device.isEmpty()) {
        host.showLinkError(kCouldNotConnect, choice.problem);
        emit q.connectFailed();
        return;
    }
    port->setPortName(choice.device);
    QString reason;
    if (!port->open(&reason)) {
        host.showLinkError(kCouldNotConnect, reason);
        emit q.connectFailed();
        return;
    }
    ++openCount;
    // An "OK" left over from an earlier exchange would pass for the greeting.
    rx.clear();
    host.setConnectEnabled(false);
    host.setPortChoiceEnabled(false);
    host.setExitEnabled(true);
    greetingPasses = 0;
    state = State::Greeting;
    greetingPass();
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
    state = State::Idle;
    rx.trim();
    rx.reset(greetingLogText(rx.text()));
    host.setTitle(kConnectedTitle);
    host.replaceLog(QString::fromLatin1(rx.text()));
    host.setConnectEnabled(true);
    host.setConnectCaption(kDisconnectCaption);
    host.enableCommands();
    emit q.connected();
}

void InstrumentLink::Private::greetingTimedOut()
{
    state = State::Idle;
    port->close();
    host.setConnectEnabled(true);
    host.setConnectCaption(kConnectCaption);
    host.setPortChoiceEnabled(true);
    host.enableCommands();
    host.showLinkError(kCouldNotConnect, greetingTimeoutDetail());
    emit q.connectFailed();
}

QString InstrumentLink::Private::greetingTimeoutDetail() const
{
    const auto waited = greetPause * kGreetingReads;
    return QStringLiteral("The instrument on %1 did not answer within %2 s. Check that it is "
                          "switched on and that its cable is on this port.")
        .arg(port->portName(), QLocale::system().toString(double(waited.count()) / 1000.0));
}

void InstrumentLink::Private::disconnectNow()
{
    endWait();
    port->close();
    host.setTitle(kPlainTitle);
    host.setConnectCaption(kConnectCaption);
    host.setPortChoiceEnabled(true);
    host.setExitEnabled(true);
    host.disableCommands();
    emit q.disconnected();
}

// Command transactions -----------------------------------------------------------------------

void InstrumentLink::Private::startTransaction(char c)
{
    // The window offers the File menu entries in every state. Until the greeting is in there
    // is no instrument to talk to; otherwise one exchange at a time.
    if (state != State::Idle && state != State::Greeting)
        return;
    if (state == State::Greeting || !port->isOpen()) {
        host.showLinkError(kNotConnected,
                           QStringLiteral("Connect to the instrument first (Settings, Connect)."));
        return;
    }
    host.disableCommands();
    rx.clear();
    if (c == kReadCommand)
        host.setConcentration(QString());
    // The answer to a repeated earlier command must not pass for this command's "OK",
    // wherever it waits: in the port's buffer or still in the driver's.
    port->discardInput();
    command = c;
    ackSeen = false;
    afterAck.clear();
    sendPass();
}

void InstrumentLink::Private::sendPass()
{
    state = State::AckSending;
    port->write(QByteArray(1, command));
    // Even with nothing left to send, the window gets its turn before the read.
    if (state == State::AckSending && port->bytesToWrite() == 0)
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
    state = State::AckPause;
    // The test for "OK" looks at what was read before the pause, but comes after it.
    timer.start(ackPause);
}

void InstrumentLink::Private::ackPauseOver()
{
    if (!ackSeen) {
        sendPass();
        return;
    }
    host.appendLog(QString::fromLatin1(rx.text()));
    if (command != kReadCommand) {
        state = State::Idle;
        host.enableCommands();
        emit q.transactionFinished();
        return;
    }
    // What followed "OK" in the same read belongs to the reading.
    rx.reset(afterAck);
    afterAck.clear();
    state = State::Reading;
    collectReading(port->readAll());
}

void InstrumentLink::Private::collectReading(const QByteArray &chunk)
{
    const qsizetype at = rx.appendAndFind(chunk, kDone);
    if (at < 0)
        return;
    const QString value = readingValue(QByteArrayView(rx.text()).first(at));
    rx.trim();
    state = State::Idle;
    host.setConcentration(value);
    host.setDate(generalDateText(clock(), QLocale::system()));
    host.calculate();
    host.enableCommands();
    emit q.readingTaken(value);
    emit q.transactionFinished();
}

// Events -------------------------------------------------------------------------------------

void InstrumentLink::Private::onTimer()
{
    switch (state) {
    case State::Greeting:
        greetingTick();
        break;
    case State::AckSending:
        if (port->bytesToWrite() == 0)
            sent();
        break;
    case State::AckPause:
        ackPauseOver();
        break;
    case State::Idle:
    case State::Reading:
        break;
    }
}

void InstrumentLink::Private::onReadyRead()
{
    switch (state) {
    case State::Reading:
        collectReading(port->readAll());
        break;
    case State::Idle:
        // Between exchanges nothing waits for input; dropping it keeps memory bounded.
        if (port->isOpen())
            port->readAll();
        break;
    case State::Greeting:
    case State::AckSending:
    case State::AckPause:
        // These read once per pass, at their own step.
        break;
    }
}

void InstrumentLink::Private::onBytesWritten()
{
    if (state == State::AckSending && port->bytesToWrite() == 0) {
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
    // The greeting wait took the connect command away; the disconnected state needs it back.
    if (state == State::Greeting)
        host.setConnectEnabled(true);
    disconnectNow();
    host.showLinkError(kConnectionLost, reason);
}

void InstrumentLink::Private::endWait()
{
    timer.stop();
    state = State::Idle;
}

} // namespace estrivo
