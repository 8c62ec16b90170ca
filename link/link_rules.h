#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

class QDateTime;
class QLocale;

namespace estrivo {

enum class PortPlatform { Posix, Windows };

#ifdef Q_OS_WIN
inline constexpr PortPlatform kHostPlatform = PortPlatform::Windows;
#else
inline constexpr PortPlatform kHostPlatform = PortPlatform::Posix;
#endif

// The device the port choice names, or why it names none.
struct PortChoice
{
    QString device;  // empty when the text names no port
    QString problem; // for the operator, with a remedy; empty when device is set
};

// The text of ComPort as a device: a port number N (blanks ignored, a fraction rounded half to
// even, 16-bit signed range, at least 1) is /dev/ttyS(N-1) or COMN; a text that is not a
// number but names a device (/dev/ttyUSB0, COM7) is that device.
PortChoice portDeviceForText(const QString &text, PortPlatform platform = kHostPlatform);

// The port numbers always offered, "1" to kNumberedPorts.
inline constexpr int kNumberedPorts = 4;

// The devices worth offering after "1" to "4": those present, less the ones 1 to 4 name,
// each once, in the order given.
QStringList extraPortChoices(const QStringList &devices, PortPlatform platform = kHostPlatform);

// Why a port would not open, as far as the operator can act on it.
enum class OpenFailure { NoSuchDevice, PermissionDenied, InUse, NoHardware, Other };

// The operator's explanation of a failed open: the port's own reason, then what to do.
QString openFailureDetail(OpenFailure failure, const QString &device, const QString &systemText,
                          PortPlatform platform = kHostPlatform);

// The greeting as the log shows it: every line feed dropped, then a line feed after each
// carriage return, so each line ends in CR LF and lone line feeds join their lines.
QByteArray greetingLogText(QByteArrayView received);

// The concentration in what arrived between "OK" and "Done": the last line that is not blank,
// trimmed of blanks; lines end at CR or LF. Empty when every line is blank.
QString readingValue(QByteArrayView betweenMarkers);

// The platform's general date form: the locale's short date, a blank, the time with seconds.
QString generalDateText(const QDateTime &moment, const QLocale &locale);

} // namespace estrivo
