#include "link_rules.h"
#include "link_text.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace estrivo {

namespace {

// What the platform's text-to-integer conversion takes: a decimal number, blanks around it.
const QRegularExpression &numberPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^[+-]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?$"));
    return pattern;
}

const QRegularExpression &windowsDevicePattern()
{
    static const QRegularExpression pattern(QStringLiteral("^(?:COM[0-9]+|\\\\\\\\\\.\\\\.+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

bool namesDevice(const QString &text, PortPlatform platform)
{
    if (platform == PortPlatform::Windows)
        return windowsDevicePattern().match(text).hasMatch();
    return text.startsWith(u'/');
}

QString usbHint(PortPlatform platform)
{
    if (platform == PortPlatform::Windows)
        return LinkText::tr("A USB serial adapter gets its own COM number: look it up in the "
                            "Device Manager under \"Ports\" and type it into the port box "
                            "(COM5, for example).");
    return LinkText::tr("A USB serial adapter usually appears as /dev/ttyUSB0 (or "
                        "/dev/ttyACM0): type that into the port box.");
}

// The long time format without its time zone: the general date never names a zone.
QString timeWithSecondsFormat(const QLocale &locale)
{
    const QString longFormat = locale.timeFormat(QLocale::LongFormat);
    QString format;
    bool quoted = false;
    bool skipBlanks = false;
    for (const QChar c : longFormat) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't') {
            while (!format.isEmpty() && format.back().isSpace())
                format.chop(1);
            skipBlanks = format.isEmpty();
            continue;
        }
        if (skipBlanks && c.isSpace())
            continue;
        skipBlanks = false;
        format += c;
    }
    return format;
}

} // namespace

PortChoice portDeviceForText(const QString &text, PortPlatform platform)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return {{},
                LinkText::tr("No port is chosen. Type a port number (1 for COM 1) or a device "
                             "name into the port box.")};
    }
    if (!numberPattern().match(trimmed).hasMatch()) {
        if (namesDevice(trimmed, platform))
            return {platform == PortPlatform::Windows ? trimmed.toUpper() : trimmed, {}};
        return {{},
                LinkText::tr("\"%1\" is neither a port number nor a serial device. Type 1 to 4 "
                             "for COM 1 to COM 4. %2")
                    .arg(trimmed, usbHint(platform))};
    }

    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    // nearbyint rounds in the default mode, to nearest with halves to the even neighbour.
    const double rounded = ok ? std::nearbyint(value) : 0.0;
    constexpr double kLowest = std::numeric_limits<qint16>::min();
    constexpr double kHighest = std::numeric_limits<qint16>::max();
    if (!ok || !std::isfinite(value) || rounded < kLowest || rounded > kHighest) {
        return {{},
                LinkText::tr("%1 is out of range: port numbers go from 1 to %2.")
                    .arg(trimmed)
                    .arg(std::numeric_limits<qint16>::max())};
    }
    const int number = static_cast<int>(rounded);
    if (number < 1) {
        return {{},
                LinkText::tr("There is no port %1: port numbers start at 1 (COM 1).").arg(number)};
    }
    if (platform == PortPlatform::Windows)
        return {QStringLiteral("COM%1").arg(number), {}};
    return {QStringLiteral("/dev/ttyS%1").arg(number - 1), {}};
}

QString openFailureDetail(OpenFailure failure, const QString &device, const QString &systemText,
                          PortPlatform platform)
{
    switch (failure) {
    case OpenFailure::NoSuchDevice:
        return LinkText::tr("%1: no such device. %2").arg(device, usbHint(platform));
    case OpenFailure::PermissionDenied:
        if (platform == PortPlatform::Windows)
            return LinkText::tr("%1: permission denied.").arg(device);
        return LinkText::tr("%1: permission denied. Serial ports belong to the dialout group: "
                            "add your user to it (sudo adduser $USER dialout), then log out "
                            "and in again.")
            .arg(device);
    case OpenFailure::InUse:
        return LinkText::tr("%1 is in use by another program. Close that program, then "
                            "connect again.")
            .arg(device);
    case OpenFailure::NoHardware:
        return LinkText::tr("%1: no serial hardware answers on this port. %2")
            .arg(device, usbHint(platform));
    case OpenFailure::Other:
        break;
    }
    return LinkText::tr("%1: %2").arg(device, systemText);
}

QByteArray greetingLogText(QByteArrayView received)
{
    QByteArray text = received.toByteArray();
    text.replace('\n', QByteArrayView());
    text.replace("\r", "\r\n");
    return text;
}

QString readingValue(QByteArrayView betweenMarkers)
{
    qsizetype end = betweenMarkers.size();
    while (end > 0) {
        qsizetype begin = end;
        while (begin > 0 && betweenMarkers[begin - 1] != '\r' && betweenMarkers[begin - 1] != '\n')
            --begin;
        const QByteArrayView line = betweenMarkers.sliced(begin, end - begin).trimmed();
        if (!line.isEmpty())
            return QString::fromLatin1(line);
        end = begin - 1;
    }
    return {};
}

QString generalDateText(const QDateTime &moment, const QLocale &locale)
{
    return locale.toString(moment.date(), QLocale::ShortFormat) + u' '
           + locale.toString(moment.time(), timeWithSecondsFormat(locale));
}

QStringList extraPortChoices(const QStringList &devices, PortPlatform platform)
{
    QStringList named;
    for (int number = 1; number <= kNumberedPorts; ++number)
        named << portDeviceForText(QString::number(number), platform).device;
    QStringList extra;
    for (const QString &device : devices) {
        if (!device.isEmpty() && !named.contains(device) && !extra.contains(device))
            extra << device;
    }
    return extra;
}

} // namespace estrivo
