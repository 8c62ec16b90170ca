#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace estrivo {

// The serial line to the instrument, reduced to what the link uses, so tests can script it.
class SerialPort : public QObject
{
    Q_OBJECT

public:
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class FlowControl { None, Hardware, Software };

    struct LineSettings
    {
        qint32 baudRate = 9600;
        Parity parity = Parity::None;
        int dataBits = 8;
        int stopBits = 1;
        friend bool operator==(const LineSettings &, const LineSettings &) = default;
    };

    using QObject::QObject;

    // A device path (/dev/ttyS0, /dev/pts/7) or a Windows port name (COM3); set while closed.
    virtual void setPortName(const QString &name) = 0;
    virtual QString portName() const = 0;

    // The line settings, given while the port is closed; they take effect when it opens.
    virtual void setLineSettings(const LineSettings &settings) = 0;
    virtual void setDataTerminalReady(bool asserted) = 0;
    virtual void setFlowControl(FlowControl flow) = 0;
    virtual void setRequestToSend(bool asserted) = 0;

    // On failure *reason says why in words for the operator, with a remedy where one exists.
    virtual bool open(QString *reason) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Queues the bytes and returns at once; bytesWritten() follows as they leave.
    virtual void write(const QByteArray &data) = 0;
    // Everything received since the last read, removed from the receive queue.
    virtual QByteArray readAll() = 0;
    // Drops every byte received and not yet read, those still in the driver included.
    virtual void discardInput() = 0;
    virtual qint64 bytesToWrite() const = 0;

signals:
    void readyRead();
    void bytesWritten(qint64 bytes);
    // The open port failed (adapter unplugged, I/O error). The reason is the system's own
    // words ("Input/output error"); what the operator should do about it is the window's part.
    void errorOccurred(const QString &reason);
};

// The fixed line of the instrument: 9600 baud, no parity, 8 data bits, 1 stop bit.
inline constexpr SerialPort::LineSettings kInstrumentLine{};

// The platform's serial port behind the SerialPort interface (QSerialPort).
std::unique_ptr<SerialPort> makeSystemSerialPort();

// The serial devices the system knows of now (/dev/ttyUSB0, COM7, ...).
QStringList systemSerialDevices();

} // namespace estrivo
