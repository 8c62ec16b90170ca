#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace estrivo {

class SerialPort;

// One concentration as the instrument delivered it.
struct Reading
{
    QString value;     // what goes into the concentration field
    QByteArray reply;  // everything between "OK" and "Done", as it arrived
    QDateTime takenAt; // local time, when "Done" arrived
    QString port;      // the device it came from
};

// Why the link could not do what it was asked, as facts; the window words them for the operator.
struct LinkError
{
    Q_GADGET

public:
    enum class Kind {
        NoSuchPort,      // the port text names no port; reason says why
        PortRefused,     // the port would not open; reason is the port's explanation
        NoGreeting,      // the port opened, but no "OK" came within `waited`
        StillConnecting, // a command chosen while the greeting is awaited
        NotConnected,    // a command chosen with the port closed
        ConnectionLost,  // the open line failed; reason is the system's error text
    };
    Q_ENUM(Kind)

    Kind kind = Kind::NotConnected;
    QString port; // the device, where one was in use; empty for NoSuchPort and NotConnected
    QString reason;
    std::chrono::milliseconds waited{0}; // NoGreeting: the whole greeting wait
};

// The exchange with the instrument: the connection handshake and the three commands, as
// event-driven state machines on the GUI thread (no nested event loops). It owns the connection
// state and reports what happens; the window shows it.
class InstrumentLink : public QObject
{
    Q_OBJECT

public:
    enum class State {
        Disconnected, // the port is closed
        Connecting,   // the port is open, waiting for the greeting
        Connected,    // greeted; no command under way
        LightingOn,   // a command under way: "O"
        LightingOff,  // "F"
        Reading,      // "*", until "Done"
    };
    Q_ENUM(State)
    Q_PROPERTY(State state READ state NOTIFY stateChanged)
    Q_PROPERTY(bool commandsAvailable READ commandsAvailable NOTIFY commandsAvailableChanged)

    explicit InstrumentLink(std::unique_ptr<SerialPort> port, QObject *parent = nullptr);
    ~InstrumentLink() override;

    State state() const;
    bool isConnected() const; // greeted, with or without a command under way
    // Whether the instrument commands are offered. While connected and idle they are; after a
    // greeting that never came they are too (choosing one then explains that there is no
    // connection); a command under way and a disconnect take them away. Before the first
    // change the window keeps the availability it was built with.
    bool commandsAvailable() const;

    // Start-up: the fixed line settings, in order, on the closed port.
    void applyLineSettings();

    // Opens the port the text names (a port number or a device) and waits for the greeting.
    void connectToInstrument(const QString &portText);
    void disconnectFromInstrument();
    void lightOn();
    void lightOff();
    void read();

    // Ends any wait at once and closes the port if it is open; nothing is reported.
    void shutdown();

    // Tests run the pauses faster: ackPause stands for the 100 ms pause of a command pass,
    // greetPause for the 10 ms pause of a greeting pass. The pass counts stay as they are.
    void setPassInterval(std::chrono::milliseconds ackPause, std::chrono::milliseconds greetPause);

    // Where a reading's time comes from; the local clock unless a test sets another.
    void setClock(std::function<QDateTime()> clock);

    SerialPort &port();

signals:
    void stateChanged(InstrumentLink::State state);
    void commandsAvailableChanged(bool available);
    // The greeting starts the log afresh; what follows is added to it.
    void logReset(const QString &text);
    void logAppended(const QString &text);
    // A reading is under way: the concentration it will replace is cleared.
    void readingStarted();
    void readingTaken(const estrivo::Reading &reading);
    void failed(const estrivo::LinkError &error);

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace estrivo

Q_DECLARE_METATYPE(estrivo::LinkError)
