#pragma once

#include "serial_port.h"

#include <QStringList>

#include <functional>

// A serial port whose far end is the test: it journals what the link does to it and delivers
// what the test scripts. Writes complete from the event loop, as a real port's do.
class FakeSerialPort final : public estrivo::SerialPort
{
    Q_OBJECT

public:
    // journal: shared with the fake window so the order across both shows; may be null
    explicit FakeSerialPort(QStringList *journal = nullptr, QObject *parent = nullptr);

    // Script.
    bool openSucceeds = true;
    QString openReason = QStringLiteral("/dev/ttyS0: no such device.");
    bool holdWrites = false; // writes stay queued until completeWrites()
    // A byte has left the port; the far end may answer it (with deliver()).
    std::function<void(char byte, int count)> onSent;
    // Called before the n-th read (from 1), so a test can place bytes exactly.
    std::function<void(int n)> beforeRead;

    // Bytes arrive from the far end; announce emits readyRead() as the port would.
    void deliver(const QByteArray &bytes, bool announce = true);
    void completeWrites();
    // The open line breaks (adapter unplugged).
    void fail(const QString &reason);

    // Record.
    QStringList settings;     // the five settings, in the order given
    QStringList openedNames;  // every open() attempt's port name
    QByteArray written;       // every byte the link tried to write, in order
    int writesWhileClosed = 0;
    int reads = 0;            // readAll() calls while open
    int sentCount = 0;        // bytes that have left the port

    void setPortName(const QString &name) override;
    QString portName() const override { return m_name; }
    void setLineSettings(const LineSettings &line) override;
    void setDataTerminalReady(bool asserted) override;
    void setFlowControl(FlowControl flow) override;
    void setRequestToSend(bool asserted) override;
    void setInputMode(InputMode mode) override;
    bool open(QString *reason) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void write(const QByteArray &data) override;
    QByteArray readAll() override;
    qint64 bytesToWrite() const override { return m_unsent.size(); }

private:
    void note(const QString &entry);

    QStringList *m_journal;
    QString m_name;
    bool m_open = false;
    QByteArray m_incoming;
    QByteArray m_unsent;
};

// Control characters written visibly, so journal entries compare as plain text.
QString visible(const QByteArray &bytes);
QString visible(const QString &text);
