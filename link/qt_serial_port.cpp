#include "qt_serial_port.h"

#include "link_rules.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <poll.h>
#include <unistd.h>
#endif

namespace estrivo {

namespace {

QSerialPort::Parity toQt(SerialPort::Parity parity)
{
    switch (parity) {
    case SerialPort::Parity::None:
        return QSerialPort::NoParity;
    case SerialPort::Parity::Even:
        return QSerialPort::EvenParity;
    case SerialPort::Parity::Odd:
        return QSerialPort::OddParity;
    case SerialPort::Parity::Mark:
        return QSerialPort::MarkParity;
    case SerialPort::Parity::Space:
        return QSerialPort::SpaceParity;
    }
    return QSerialPort::NoParity;
}

QSerialPort::FlowControl toQt(SerialPort::FlowControl flow)
{
    switch (flow) {
    case SerialPort::FlowControl::None:
        return QSerialPort::NoFlowControl;
    case SerialPort::FlowControl::Hardware:
        return QSerialPort::HardwareControl;
    case SerialPort::FlowControl::Software:
        return QSerialPort::SoftwareControl;
    }
    return QSerialPort::NoFlowControl;
}

// Errors that mean the open line no longer carries data.
bool isLineFailure(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::PermissionError:
    case QSerialPort::WriteError:
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
    case QSerialPort::UnknownError:
        return true;
    default:
        return false;
    }
}

#ifdef Q_OS_UNIX
bool lineHungUp(int descriptor)
{
    pollfd watch{descriptor, POLLIN, 0};
    return ::poll(&watch, 1, 0) < 0 || (watch.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}
#endif

} // namespace

QtSerialPort::QtSerialPort(QObject *parent)
    : SerialPort(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialPort::readyRead);
    connect(&m_port, &QSerialPort::bytesWritten, this, &SerialPort::bytesWritten);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort()
{
    // Closing from QSerialPort's own destructor would signal into a half-destroyed object.
    m_port.disconnect(this);
    close();
}

void QtSerialPort::setPortName(const QString &name)
{
    m_name = name;
    m_port.setPortName(name);
}

QString QtSerialPort::portName() const
{
    // QSerialPort shortens /dev/pts/7 to pts/7; the operator typed the full path.
    return m_name;
}

void QtSerialPort::setLineSettings(const LineSettings &settings)
{
    m_port.setBaudRate(settings.baudRate);
    m_port.setParity(toQt(settings.parity));
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits));
    m_port.setStopBits(settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
}

void QtSerialPort::setDataTerminalReady(bool asserted)
{
    // QSerialPort drives the line only while open; open() applies it.
    m_dataTerminalReady = asserted;
    if (m_port.isOpen())
        applyControlLines();
}

void QtSerialPort::setFlowControl(FlowControl flow)
{
    m_port.setFlowControl(toQt(flow));
}

void QtSerialPort::setRequestToSend(bool asserted)
{
    m_requestToSend = asserted;
    if (m_port.isOpen())
        applyControlLines();
}

bool QtSerialPort::open(QString *reason)
{
    if (m_port.isOpen())
        return true;
    if (!m_port.open(QIODevice::ReadWrite)) {
        if (reason)
            *reason = describeOpenFailure();
        m_port.clearError();
        return false;
    }
    applyControlLines();
    return true;
}

void QtSerialPort::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
}

bool QtSerialPort::isOpen() const
{
    return m_port.isOpen();
}

void QtSerialPort::write(const QByteArray &data)
{
    // A failure shows up as errorOccurred; the count adds nothing.
    m_port.write(data);
}

void QtSerialPort::discardInput()
{
    m_port.readAll();
    if (m_port.isOpen())
        m_port.clear(QSerialPort::Input); // flushes the driver's queue as well
}

QByteArray QtSerialPort::readAll()
{
    return m_port.readAll();
}

qint64 QtSerialPort::bytesToWrite() const
{
    return m_port.bytesToWrite();
}

void QtSerialPort::applyControlLines()
{
    // A pseudo-terminal, or an adapter without modem lines, refuses DTR and RTS ("Inappropriate
    // ioctl for device"). The data still flows, and a real fault shows at the next read or
    // write, so a refusal here is cleared and forgotten.
    m_settingLines = true;
    if (!m_port.setDataTerminalReady(m_dataTerminalReady))
        m_port.clearError();
    if (!m_port.setRequestToSend(m_requestToSend))
        m_port.clearError();
    m_settingLines = false;
}

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    // Failures to open are reported by open() itself.
    if (m_settingLines || !m_port.isOpen() || !isLineFailure(error))
        return;
#ifdef Q_OS_UNIX
    // Discarding input can take away bytes the event loop had just seen arrive; the read that
    // follows then finds nothing and Qt calls that a read error. A line that really failed
    // shows a hang-up or an error on its descriptor.
    if (error == QSerialPort::ReadError && !lineHungUp(m_port.handle())) {
        m_port.clearError();
        return;
    }
#endif
    emit errorOccurred(m_port.errorString());
}

QString QtSerialPort::describeOpenFailure() const
{
    const QString &device = m_name;
    const QString systemText = m_port.errorString();
    OpenFailure failure = OpenFailure::Other;
    switch (m_port.error()) {
    case QSerialPort::DeviceNotFoundError:
        failure = OpenFailure::NoSuchDevice;
        break;
    case QSerialPort::PermissionError:
        failure = OpenFailure::InUse;
#ifdef Q_OS_UNIX
        // QSerialPort says "permission" for a busy port as well; the file's mode tells them apart.
        if (::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0 && errno == EACCES)
            failure = OpenFailure::PermissionDenied;
#endif
        break;
    case QSerialPort::OpenError:
        failure = OpenFailure::InUse;
        break;
    case QSerialPort::ResourceError:
        // Linux keeps /dev/ttyS0..3 even without a UART behind them; opening one gives EIO.
        if (kHostPlatform == PortPlatform::Posix)
            failure = OpenFailure::NoHardware;
        break;
    default:
        break;
    }
    if (kHostPlatform == PortPlatform::Posix && device.startsWith(u'/')
        && !QFileInfo::exists(device)) {
        failure = OpenFailure::NoSuchDevice;
    }
    return openFailureDetail(failure, device, systemText);
}

QStringList systemSerialDevices()
{
    QStringList devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        devices << info.systemLocation();
    return devices;
}

std::unique_ptr<SerialPort> makeSystemSerialPort()
{
    return std::make_unique<QtSerialPort>();
}

} // namespace estrivo
