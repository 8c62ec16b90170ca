// ComPort's list: the four numbered ports first, then the devices present when it opens.
#include "link_rules.h"
#include "port_combo_box.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using estrivo::PortComboBox;

namespace {

QStringList items(const QComboBox &box)
{
    QStringList all;
    for (int i = 0; i < box.count(); ++i)
        all << box.itemText(i);
    return all;
}

// A real pseudo-terminal, as a USB adapter or the simulated photometer would appear.
class PseudoTerminal
{
public:
    PseudoTerminal() : m_master(posix_openpt(O_RDWR | O_NOCTTY))
    {
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0)
            m_path = QString::fromLocal8Bit(ptsname(m_master));
    }
    ~PseudoTerminal()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    QString path() const { return m_path; }

private:
    int m_master;
    QString m_path;
};

} // namespace

class TestPortList : public QObject
{
    Q_OBJECT

private slots:
    void extraChoices_data();
    void extraChoices();
    void listFollowsTheDevicesPresent();
    void refreshKeepsTheChoice();
    void openingTheListRefreshesIt();
};

void TestPortList::extraChoices_data()
{
    QTest::addColumn<QStringList>("devices");
    QTest::addColumn<bool>("windows");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("linux: ttyS0-3 are 1-4")
        << QStringList{"/dev/ttyS0", "/dev/ttyS3", "/dev/ttyS4", "/dev/ttyUSB0"} << false
        << QStringList{"/dev/ttyS4", "/dev/ttyUSB0"};
    QTest::newRow("linux: duplicates once")
        << QStringList{"/dev/ttyACM0", "/dev/ttyACM0", ""} << false
        << QStringList{"/dev/ttyACM0"};
    QTest::newRow("windows: COM1-4 are 1-4")
        << QStringList{"COM1", "COM4", "COM5", "COM12"} << true << QStringList{"COM5", "COM12"};
    QTest::newRow("nothing present") << QStringList{} << false << QStringList{};
}

void TestPortList::extraChoices()
{
    QFETCH(QStringList, devices);
    QFETCH(bool, windows);
    QFETCH(QStringList, expected);
    QCOMPARE(estrivo::extraPortChoices(devices, windows ? estrivo::PortPlatform::Windows
                                                        : estrivo::PortPlatform::Posix),
             expected);
}

void TestPortList::listFollowsTheDevicesPresent()
{
    PseudoTerminal terminal;
    QVERIFY(!terminal.path().isEmpty());
    QStringList present{"/dev/ttyS0", "/dev/ttyUSB0", terminal.path()};
    PortComboBox box;
    box.setDeviceSource([&present] { return present; });
    QCOMPARE(items(box), QStringList({"1", "2", "3", "4"}));

    box.refreshDevices();
    QCOMPARE(items(box), QStringList({"1", "2", "3", "4", "/dev/ttyUSB0", terminal.path()}));

    present = QStringList{"/dev/ttyACM0"}; // the adapter unplugged, another one in
    box.refreshDevices();
    QCOMPARE(items(box), QStringList({"1", "2", "3", "4", "/dev/ttyACM0"}));
}

void TestPortList::refreshKeepsTheChoice()
{
    QStringList present{"/dev/ttyUSB0", "/dev/ttyUSB1"};
    PortComboBox box;
    box.setDeviceSource([&present] { return present; });
    box.refreshDevices();
    box.setCurrentIndex(5);
    QCOMPARE(box.currentText(), QStringLiteral("/dev/ttyUSB1"));

    QSignalSpy changes(&box, &QComboBox::editTextChanged);
    present = QStringList{"/dev/ttyUSB0"}; // the chosen adapter is gone from the list
    box.refreshDevices();
    QCOMPARE(box.currentText(), QStringLiteral("/dev/ttyUSB1"));
    QCOMPARE(changes.count(), 0);

    box.setEditText(QStringLiteral(" 2"));
    changes.clear();
    box.refreshDevices();
    QCOMPARE(box.currentText(), QStringLiteral(" 2"));
    QCOMPARE(changes.count(), 0);
}

void TestPortList::openingTheListRefreshesIt()
{
    int lookups = 0;
    PortComboBox box;
    box.setDeviceSource([&lookups] {
        ++lookups;
        return QStringList{QStringLiteral("/dev/ttyUSB%1").arg(lookups)};
    });
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.showPopup();
    QCOMPARE(items(box).last(), QStringLiteral("/dev/ttyUSB1"));
    box.hidePopup();
    box.showPopup();
    QCOMPARE(items(box).last(), QStringLiteral("/dev/ttyUSB2"));
    QCOMPARE(box.count(), 5);
    box.hidePopup();

    // The system's own list is safe to ask for, whatever the machine has.
    PortComboBox system;
    system.refreshDevices();
    QVERIFY(items(system).mid(0, 4) == QStringList({"1", "2", "3", "4"}));
}

QTEST_MAIN(TestPortList)
#include "tst_port_list.moc"
