#include "port_combo_box.h"

#include "link_rules.h"
#include "serial_port.h"

#include <QSignalBlocker>

namespace estrivo {

PortComboBox::PortComboBox(QWidget *parent)
    : QComboBox(parent)
    , m_deviceSource(&systemSerialDevices)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    for (int number = 1; number <= kNumberedPorts; ++number)
        addItem(QString::number(number));
}

void PortComboBox::setDeviceSource(DeviceSource source)
{
    m_deviceSource = std::move(source);
}

void PortComboBox::refreshDevices()
{
    const QString chosen = currentText();
    {
        const QSignalBlocker quiet(this); // the list changes, the choice does not
        while (count() > kNumberedPorts)
            removeItem(count() - 1);
        addItems(extraPortChoices(m_deviceSource ? m_deviceSource() : QStringList()));
        if (currentText() != chosen)
            setEditText(chosen);
    }
}

void PortComboBox::showPopup()
{
    refreshDevices();
    QComboBox::showPopup();
}

} // namespace estrivo
