#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class QDateTime;

namespace estrivo {

class SerialPort;

// The window's title while no instrument is connected.
inline const QString kPlainTitle = QStringLiteral("Estrivo (tm)");

// What the instrument link reads and changes on the main window. The window implements it;
// tests implement it with plain members. Every call maps onto one step of the protocol.
class LinkHost
{
public:
    virtual ~LinkHost() = default;

    virtual QString portText() const = 0;                       // text of ComPort
    virtual QString connectCaption() const = 0;                 // caption of mnuSettingsConnect
    virtual void setConnectCaption(const QString &caption) = 0; // mnuSettingsConnect, then Connect
    virtual void setConnectEnabled(bool enabled) = 0;           // mnuSettingsConnect, then Connect
    virtual void setPortChoiceEnabled(bool enabled) = 0;        // Comm 1..4 in order, then ComPort
    virtual void setExitEnabled(bool enabled) = 0;              // mnuFileExit
    virtual void setTitle(const QString &title) = 0;
    virtual void disableCommands() = 0;                     // DisableCommands
    virtual void enableCommands() = 0;                      // EnableCommands
    virtual void appendLog(const QString &text) = 0;        // TextScrollBox += text
    virtual void replaceLog(const QString &text) = 0;       // TextScrollBox = text
    virtual void setConcentration(const QString &text) = 0; // Con; its change runs Calculate
    virtual void setDate(const QString &text) = 0;          // Date
    virtual void calculate() = 0;                           // Calculate
    // A modal-looking but non-blocking warning box titled "PC-to-Stamp Comm".
    virtual void showLinkError(const QString &message, const QString &detail) = 0;
};

// The exchange with the instrument: connect/disconnect handshake and the three command
// transactions, as event-driven state machines on the GUI thread (no nested event loops).
class InstrumentLink : public QObject
{
    Q_OBJECT

public:
    InstrumentLink(LinkHost &host, std::unique_ptr<SerialPort> port, QObject *parent = nullptr);
    ~InstrumentLink() override;

    // Start-up: the five fixed line settings, in order, on the closed port.
    void applyLineSettings();

    void connectOrDisconnect(); // mnuSettingsConnect_Click
    void lightOn();             // cmdLtOn_Click
    void lightOff();            // cmdLtOff_Click
    void read();                // cmdDnload_Click

    // Form_Unload: ends any wait at once and closes the port if it is open.
    void shutdown();

    bool isOpen() const;
    bool isBusy() const; // a transaction or the greeting wait is under way
    QByteArray rxBuffer() const;

    // Tests run the pauses faster: ackPause stands for the 100 ms pause of a command pass,
    // greetPause for the 10 ms pause of a greeting pass. The pass counts stay as they are.
    void setPassInterval(std::chrono::milliseconds ackPause, std::chrono::milliseconds greetPause);

    // Where a reading's Date comes from; the local clock unless a test sets another.
    void setClock(std::function<QDateTime()> clock);

    SerialPort &port();

signals:
    void connected();
    void connectFailed();
    void disconnected();
    void transactionFinished();
    void readingTaken(const QString &value);

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace estrivo
