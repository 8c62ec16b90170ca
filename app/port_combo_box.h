#pragma once

#include <QComboBox>

#include <functional>

namespace estrivo {

// ComPort: "1" to "4" first, then the serial devices present now, looked up anew each time
// the list opens. Refreshing the list never changes the text the operator has chosen.
class PortComboBox : public QComboBox
{
    Q_OBJECT

public:
    using DeviceSource = std::function<QStringList()>;

    explicit PortComboBox(QWidget *parent = nullptr);

    // Where the present devices come from; the system's serial ports unless tests say else.
    void setDeviceSource(DeviceSource source);
    void refreshDevices();

    void showPopup() override;

private:
    DeviceSource m_deviceSource;
};

} // namespace estrivo
