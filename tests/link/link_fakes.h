#pragma once

#include "instrument_link.h"
#include "serial_port.h"

#include <QEventLoop>
#include <QStringList>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <utility>

// Control characters written visibly, so journal entries compare as plain text.
inline QString visible(QString text)
{
    return text.replace(u'\r', QLatin1String("\\r")).replace(u'\n', QLatin1String("\\n"));
}

inline QString journalEntry(const char *call, const QString &argument = {})
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(call), visible(argument));
}

// A serial port whose far end is the test: it journals what the link does to it and delivers
// what the test scripts. Writes leave from the event loop, as a real port's do.
class FakeSerialPort final : public estrivo::SerialPort
{
public:
    explicit FakeSerialPort(QStringList &journal)
        : m_journal(journal)
    {}

    std::function<void(char byte)> onSent; // the far end hears a byte and may deliver()
    std::function<void(int n)> beforeRead; // before the n-th read (from 1), to place bytes
    QByteArray written;
    int reads = 0;
    int usedWhileClosed = 0; // reads and writes on a closed port: a wait that did not end

    void deliver(const QByteArray &bytes, bool announce = true)
    {
        if (!m_open)
            return;
        m_incoming += bytes;
        if (announce)
            emit readyRead();
    }
    void fail(const QString &reason)
    {
        m_journal << journalEntry("fail");
        emit errorOccurred(reason);
    }

    void setPortName(const QString &name) override { m_name = name; }
    QString portName() const override { return m_name; }
    void setLineSettings(const LineSettings &l) override
    {
        note("line", QStringLiteral("%1,%2,%3,%4")
                         .arg(l.baudRate)
                         .arg(int(l.parity))
                         .arg(l.dataBits)
                         .arg(l.stopBits));
    }
    void setDataTerminalReady(bool on) override { note("dtr", QString::number(on)); }
    void setFlowControl(FlowControl flow) override { note("flow", QString::number(int(flow))); }
    void setRequestToSend(bool on) override { note("rts", QString::number(on)); }
    void setInputMode(InputMode mode) override { note("input", QString::number(int(mode))); }
    // The machine has one serial port, COM 1.
    bool open(QString *reason) override
    {
        m_open = m_name == QLatin1String("/dev/ttyS0");
        note(m_open ? "open" : "refused", m_name);
        *reason = m_name + QStringLiteral(": no such device.");
        return m_open;
    }
    void close() override
    {
        if (m_open)
            m_journal << journalEntry("close");
        m_open = false;
        m_incoming.clear();
        m_unsent.clear();
    }
    bool isOpen() const override { return m_open; }
    void write(const QByteArray &data) override
    {
        written += data;
        if (!m_open) {
            ++usedWhileClosed;
            return;
        }
        note("write", QString::fromLatin1(data));
        m_unsent += data;
        QTimer::singleShot(0, this, &FakeSerialPort::completeWrites);
    }
    QByteArray readAll() override
    {
        if (!m_open) {
            ++usedWhileClosed;
            return {};
        }
        ++reads;
        if (beforeRead)
            beforeRead(reads);
        const QByteArray bytes = std::exchange(m_incoming, {});
        if (!bytes.isEmpty())
            note("read", QString::fromLatin1(bytes));
        return bytes;
    }
    void discardInput() override { readAll(); } // the journal shows what was dropped
    qint64 bytesToWrite() const override { return m_unsent.size(); }

private:
    void note(const char *call, const QString &argument)
    {
        m_journal << journalEntry(call, argument);
    }
    void completeWrites()
    {
        const QByteArray leaving = std::exchange(m_unsent, {});
        for (const char byte : leaving) {
            if (onSent)
                onSent(byte);
        }
        if (!leaving.isEmpty())
            emit bytesWritten(leaving.size());
    }

    QStringList &m_journal;
    QString m_name;
    bool m_open = false;
    QByteArray m_incoming;
    QByteArray m_unsent;
};

// The window as the link sees it: the fields tests read, and every call journaled in order.
class FakeLinkHost final : public estrivo::LinkHost
{
public:
    explicit FakeLinkHost(QStringList &journal)
        : m_journal(journal)
    {}

    QString port = QStringLiteral("1");
    QString caption = QStringLiteral("&Connect");
    QString log;
    QString con;
    QStringList details; // of the message boxes; their messages are in the journal

    QString portText() const override { return port; }
    QString connectCaption() const override { return caption; }
    void setConnectCaption(const QString &text) override
    {
        note("setConnectCaption", caption = text);
    }
    void setConnectEnabled(bool on) override { note("setConnectEnabled", on); }
    void setPortChoiceEnabled(bool on) override { note("setPortChoiceEnabled", on); }
    void setExitEnabled(bool on) override { note("setExitEnabled", on); }
    void setTitle(const QString &text) override { note("setTitle", text); }
    void disableCommands() override { note("disableCommands"); }
    void enableCommands() override { note("enableCommands"); }
    void appendLog(const QString &text) override
    {
        note("appendLog", text);
        log += text;
    }
    void replaceLog(const QString &text) override { note("replaceLog", log = text); }
    void setConcentration(const QString &text) override { note("setConcentration", con = text); }
    void setDate(const QString &text) override { note("setDate", text); }
    void calculate() override { note("calculate"); }
    void showLinkError(const QString &message, const QString &detail) override
    {
        note("showLinkError", message);
        details << detail;
    }

private:
    void note(const char *call, const QString &argument = {})
    {
        m_journal << journalEntry(call, argument);
    }
    void note(const char *call, bool on) { note(call, QVariant(on).toString()); }

    QStringList &m_journal;
};

// Runs the event loop until the exchange under way has ended: connected or not, or the
// transaction over. QTRY_* would sleep between its polls and stretch fast passes to real ones.
inline bool settle(estrivo::InstrumentLink &link)
{
    using estrivo::InstrumentLink;
    if (!link.isBusy())
        return true;
    QEventLoop loop;
    for (const auto signal : {&InstrumentLink::connected, &InstrumentLink::connectFailed,
                              &InstrumentLink::transactionFinished}) {
        QObject::connect(&link, signal, &loop, &QEventLoop::quit);
    }
    QTimer::singleShot(std::chrono::seconds(20), &loop, [&loop] { loop.exit(1); });
    return loop.exec() == 0;
}
