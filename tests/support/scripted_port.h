#pragma once

#include "serial_port.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <utility>

namespace estrivo {

// A serial port whose far end is the test's script: what each read finds, and the answer to
// each byte sent. Writes leave from the event loop, as on a real line. Only /dev/ttyS0 opens.
// Every call the link makes is noted in `calls`, in order.
class ScriptedPort final : public SerialPort
{
public:
    using Reads = QList<QByteArray>;

    Reads perRead;           // what each coming read finds
    Reads replies;           // the far end's answer to each byte sent, in order
    int usedWhileClosed = 0; // reads and writes by a wait that did not end
    QStringList *calls = nullptr;
    bool dataTerminalReady = false;
    bool requestToSend = true; // a line's state before anyone sets it is not known

    void deliver(const QByteArray &bytes, bool announce = true)
    {
        if (bytes.isEmpty() || !m_open)
            return;
        m_incoming += bytes;
        if (announce)
            emit readyRead();
    }

    void setPortName(const QString &name) override { m_name = name; }
    QString portName() const override { return m_name; }
    void setLineSettings(const LineSettings &s) override
    {
        note("line",
             QString::asprintf("%d,%d,%d,%d", s.baudRate, int(s.parity), s.dataBits, s.stopBits));
    }
    void setDataTerminalReady(bool on) override
    {
        dataTerminalReady = on;
        note("dtr", QString::number(on));
    }
    void setFlowControl(FlowControl flow) override { note("flow", QString::number(int(flow))); }
    void setRequestToSend(bool on) override
    {
        requestToSend = on;
        note("rts", QString::number(on));
    }
    bool open(QString *reason) override
    {
        m_open = m_name == QLatin1String("/dev/ttyS0");
        note(m_open ? "open" : "refused", m_name);
        if (!m_open && reason)
            *reason = m_name + QStringLiteral(": No such file or directory");
        return m_open;
    }
    void close() override
    {
        if (std::exchange(m_open, false))
            note("close");
        m_incoming.clear();
    }
    bool isOpen() const override { return m_open; }
    void write(const QByteArray &data) override
    {
        usedWhileClosed += !m_open;
        note("write", QString::fromLatin1(data));
        QTimer::singleShot(0, this, [this] {
            deliver(replies.isEmpty() ? QByteArray() : replies.takeFirst());
            emit bytesWritten(1);
        });
    }
    QByteArray readAll() override
    {
        usedWhileClosed += !m_open;
        deliver(perRead.isEmpty() ? QByteArray() : perRead.takeFirst(), false);
        return std::exchange(m_incoming, {});
    }
    void discardInput() override { readAll(); }
    qint64 bytesToWrite() const override { return 0; }

    // A call as the journal of a test writes it, line ends shown.
    static QString entry(const char *call, QString argument = {})
    {
        argument.replace(u'\r', QLatin1String("\\r")).replace(u'\n', QLatin1String("\\n"));
        return QStringLiteral("%1(%2)").arg(QLatin1String(call), argument);
    }

private:
    void note(const char *call, const QString &argument = {})
    {
        if (calls)
            calls->append(entry(call, argument));
    }

    QString m_name;
    bool m_open = false;
    QByteArray m_incoming;
};

} // namespace estrivo
