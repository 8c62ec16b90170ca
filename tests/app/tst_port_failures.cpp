// The "Could not connect" box tells the technician why and what to do. Runs as an ordinary
// user where it can (root opens any device, so a permission problem cannot show as root).
#include "main_window.h"

#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using estrivo::MainWindow;

class TestPortFailures : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void reasonAndRemedy_data();
    void reasonAndRemedy();
    void deviceWithoutPermission();

private:
    void connectAndExpectBox(const QString &port, QString *detail);

    MainWindow *m_window = nullptr;
};

void TestPortFailures::init()
{
    m_window = new MainWindow;
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestPortFailures::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestPortFailures::connectAndExpectBox(const QString &port, QString *detail)
{
    m_window->choosePort(port);
    m_window->findChild<QPushButton *>("Connect")->click();
    QMessageBox *box = nullptr;
    QTRY_VERIFY((box = m_window->findChild<QMessageBox *>("errorBox")));
    QCOMPARE(box->windowTitle(), QStringLiteral("PC-to-Stamp Comm"));
    QCOMPARE(box->text(), QStringLiteral("Error: Could not connect."));
    QCOMPARE(box->icon(), QMessageBox::Warning);
    *detail = box->informativeText();
    box->accept();
    // Nothing changed: still disconnected, the port choice still free.
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Estrivo (tm)"));
    QCOMPARE(m_window->findChild<QPushButton *>("Connect")->text(), QStringLiteral("Connect"));
    QVERIFY(!m_window->link().isOpen());
}

void TestPortFailures::reasonAndRemedy_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QStringList>("detailMentions");

    QTest::newRow("missing USB adapter")
        << "/dev/ttyUSB97" << QStringList{"/dev/ttyUSB97", "no such device", "/dev/ttyUSB0"};
    QTest::newRow("text that names no port") << "photometer" << QStringList{"photometer"};
    QTest::newRow("port number out of range") << "70000" << QStringList{"70000"};
    QTest::newRow("not a serial device") << "/dev/null" << QStringList{"/dev/null"};
}

void TestPortFailures::reasonAndRemedy()
{
    QFETCH(QString, port);
    QFETCH(QStringList, detailMentions);
    QString detail;
    connectAndExpectBox(port, &detail);
    for (const QString &mention : detailMentions)
        QVERIFY2(detail.contains(mention, Qt::CaseInsensitive), qPrintable(detail));
}

void TestPortFailures::deviceWithoutPermission()
{
    if (geteuid() == 0)
        QSKIP("running as root, which opens any device; the test re-runs itself as 'nobody' "
              "when runuser is available");
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0);
    QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
    const QString slave = QString::fromLocal8Bit(ptsname(master));
    QCOMPARE(chmod(ptsname(master), 0), 0);

    QString detail;
    connectAndExpectBox(slave, &detail);
    ::close(master);
    QVERIFY2(detail.contains(QLatin1String("permission denied"), Qt::CaseInsensitive),
             qPrintable(detail));
    QVERIFY2(detail.contains(QLatin1String("dialout")), qPrintable(detail));
}

int main(int argc, char *argv[])
{
    // As root, run again as an ordinary user so that permissions apply.
    char self[4096] = {};
    const bool known = readlink("/proc/self/exe", self, sizeof self - 1) > 0;
    const std::string reachable = std::string("/usr/sbin/runuser -u nobody -- test -x '") + self
                                  + "' 2>/dev/null";
    if (geteuid() == 0 && known && !qEnvironmentVariableIsSet("ESTRIVO_TEST_REEXEC")
        && access("/usr/sbin/runuser", X_OK) == 0 && std::system(reachable.c_str()) == 0) {
        setenv("ESTRIVO_TEST_REEXEC", "1", 1);
        std::vector<char *> args{const_cast<char *>("/usr/sbin/runuser"),
                                 const_cast<char *>("-u"), const_cast<char *>("nobody"),
                                 const_cast<char *>("--"), self};
        for (int i = 1; i < argc; ++i)
            args.push_back(argv[i]);
        args.push_back(nullptr);
        execv(args[0], args.data());
        std::perror("runuser"); // falls through: the test runs as root and says so
    }
    QApplication app(argc, argv);
    TestPortFailures test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_port_failures.moc"
