#pragma once

#include "serial_port.h"

#include <QSerialPort>

namespace estrivo {

// The SerialPort interface over QSerialPort, with the line settings kept until the port opens.
class QtSerialPort final : public SerialPort
{
    Q_OBJECT

public:
    explicit QtSerialPort(QObject *parent = nullptr);
    ~QtSerialPort() override;

    void setPortName(const QString &name) override;
    QString portName() const override;

    void setLineSettings(const LineSettings &settings) override;
    void setDataTerminalReady(bool asserted) override;
    void setFlowControl(FlowControl flow) override;
    void setRequestToSend(bool asserted) override;

    bool open(QString *reason) override;
    void close() override;
    bool isOpen() const override;

    void write(const QByteArray &data) override;
    QByteArray readAll() override;
    void discardInput() override;
    qint64 bytesToWrite() const override;

private:
    void applyControlLines();
    void onError(QSerialPort::SerialPortError error);
    QString describeOpenFailure() const;

    QSerialPort m_port;
    QString m_name;
    bool m_dataTerminalReady = false;
    bool m_requestToSend = false;
    bool m_settingLines = false; // errors while setting DTR/RTS are not failures of the line
};

} // namespace estrivo
