#include "fake_serial_port.h"

#include <QTimer>

FakeSerialPort::FakeSerialPort(QStringList *journal, QObject *parent)
    : SerialPort(parent)
    , m_journal(journal)
{}

void FakeSerialPort::deliver(const QByteArray &bytes, bool announce)
{
    if (!m_open)
        return; // nothing reaches a closed port
    m_incoming += bytes;
    if (announce)
        emit readyRead();
}

void FakeSerialPort::completeWrites()
{
    if (m_unsent.isEmpty())
        return;
    const QByteArray leaving = m_unsent;
    m_unsent.clear();
    for (const char byte : leaving) {
        ++sentCount;
        if (onSent)
            onSent(byte, sentCount);
    }
    emit bytesWritten(leaving.size());
}

void FakeSerialPort::fail(const QString &reason)
{
    note(QStringLiteral("fail"));
    emit errorOccurred(reason);
}

void FakeSerialPort::setPortName(const QString &name)
{
    m_name = name;
}

void FakeSerialPort::setLineSettings(const LineSettings &line)
{
    static const char parities[] = {'N', 'E', 'O', 'M', 'S'};
    settings << QStringLiteral("line %1,%2,%3,%4 open=%5")
                    .arg(line.baudRate)
                    .arg(QChar::fromLatin1(parities[static_cast<int>(line.parity)]))
                    .arg(line.dataBits)
                    .arg(line.stopBits)
                    .arg(m_open);
}

void FakeSerialPort::setDataTerminalReady(bool asserted)
{
    settings << QStringLiteral("dtr %1 open=%2").arg(asserted).arg(m_open);
}

void FakeSerialPort::setFlowControl(FlowControl flow)
{
    settings << QStringLiteral("flow %1 open=%2").arg(static_cast<int>(flow)).arg(m_open);
}

void FakeSerialPort::setRequestToSend(bool asserted)
{
    settings << QStringLiteral("rts %1 open=%2").arg(asserted).arg(m_open);
}

void FakeSerialPort::setInputMode(InputMode mode)
{
    settings << QStringLiteral("input %1 open=%2").arg(static_cast<int>(mode)).arg(m_open);
}

bool FakeSerialPort::open(QString *reason)
{
    openedNames << m_name;
    if (!openSucceeds) {
        if (reason)
            *reason = openReason;
        return false;
    }
    note(QStringLiteral("open(%1)").arg(m_name));
    m_open = true;
    return true;
}

void FakeSerialPort::close()
{
    if (!m_open)
        return;
    note(QStringLiteral("close"));
    m_open = false;
    m_incoming.clear();
    m_unsent.clear();
}

void FakeSerialPort::write(const QByteArray &data)
{
    written += data;
    if (!m_open) {
        ++writesWhileClosed;
        return;
    }
    note(QStringLiteral("write(%1)").arg(visible(data)));
    m_unsent += data;
    if (!holdWrites)
        QTimer::singleShot(0, this, &FakeSerialPort::completeWrites);
}

QByteArray FakeSerialPort::readAll()
{
    if (!m_open)
        return {};
    ++reads;
    if (beforeRead)
        beforeRead(reads);
    QByteArray bytes;
    bytes.swap(m_incoming);
    if (!bytes.isEmpty())
        note(QStringLiteral("read(%1)").arg(visible(bytes)));
    return bytes;
}

void FakeSerialPort::note(const QString &entry)
{
    if (m_journal)
        m_journal->append(entry);
}

QString visible(const QByteArray &bytes)
{
    return visible(QString::fromLatin1(bytes));
}

QString visible(const QString &text)
{
    QString shown = text;
    shown.replace(u'\r', QStringLiteral("\\r"));
    shown.replace(u'\n', QStringLiteral("\\n"));
    return shown;
}
