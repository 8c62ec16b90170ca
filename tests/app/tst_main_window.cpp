// The program offscreen: start-up, live calculation, port choice, availability, failures that
// explain themselves, closing, the options, and a demo session with the simulated photometer.
#include "link_rules.h"
#include "main_window.h"
#include "outbox.h"
#include "port_combo_box.h"
#include "scripted_port.h"
#include "simulated_instrument.h"
#include "snapshot_print.h"

#include <QAccessible>
#include <QAction>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

using namespace estrivo;

// The controls whose availability follows the link, in groups: instrument buttons | their
// File menu entries | always there | connect | port choice.
const QString kAvailability = "cmdDnload cmdLtOn cmdLtOff | mnuFileRead mnuFileLton mnuFileLtoff"
                              " | mnuFileExit PrintButton mnuFilePrint PrtSetup mnuFilePrtsetup"
                              " | Connect mnuSettingsConnect | mnuSettingsComm1 ComPort";
const QString kMarks = "mnuSettingsComm1 mnuSettingsComm2 mnuSettingsComm3 mnuSettingsComm4";

// What the operator reads of each way the link can fail, byte for byte. The window's port is
// scripted: only /dev/ttyS0 (port 1) opens, and its greeting comes only when the case asks.
// Read: File > Read. Connect: Connect on the given port. Read while connecting: both, Read
// during the greeting wait. Line fails: connected and greeted, then the line reports a fault.
enum class LinkAct { Read, Connect, ReadWhileConnecting, LineFails };
Q_DECLARE_METATYPE(LinkAct)
struct LinkFailureCase
{
    const char *name;
    LinkAct act;
    const char *port;
    LinkError::Kind kind;
    const char *message;
    const char *detail;
};
const LinkFailureCase kLinkFailures[] = {
    {"command before connecting", LinkAct::Read, "1", LinkError::Kind::NotConnected,
     "Error: Not connected.", "Connect to the instrument first (Settings, Connect)."},
    {"command while connecting", LinkAct::ReadWhileConnecting, "1",
     LinkError::Kind::StillConnecting, "Error: Not connected.",
     "Still connecting to the instrument on /dev/ttyS0. Wait until the title shows "
     "[Connected], then choose the command again."},
    {"text names no port", LinkAct::Connect, "abc", LinkError::Kind::NoSuchPort,
     "Error: Could not connect.",
     "\"abc\" is neither a port number nor a serial device. Type 1 to 4 for COM 1 to COM 4. "
     "A USB serial adapter usually appears as /dev/ttyUSB0 (or /dev/ttyACM0): type that into "
     "the port box."},
    // The port's own explanation, as it gave it.
    {"port refuses", LinkAct::Connect, "2", LinkError::Kind::PortRefused,
     "Error: Could not connect.", "/dev/ttyS1: No such file or directory"},
    // At real speed: 400 reads of 10 ms.
    {"no greeting", LinkAct::Connect, "1", LinkError::Kind::NoGreeting,
     "Error: Could not connect.",
     "The instrument on /dev/ttyS0 did not answer within 4 s. Check that it is switched on and "
     "that its cable is on this port."},
    {"line fails", LinkAct::LineFails, "1", LinkError::Kind::ConnectionLost,
     "Error: Connection lost.",
     "/dev/ttyS0: Input/output error. Check the cable and, for a USB adapter, that it is still "
     "plugged in."},
};

class TestMainWindow : public QObject
{
    Q_OBJECT

    template<typename T = QWidget> T *control(const QString &name) const
    {
        return m_window->findChild<T *>(name);
    }
    QString texts(const QString &names) const // joined by "|"
    {
        QStringList all;
        for (const QString &name : names.split(u' '))
            all << control<QObject>(name)
                       ->property(name == "ComPort" ? "currentText" : "text")
                       .toString();
        return all.join(u'|');
    }
    QString flags(const char *property, const QString &names) const // 1 or 0 each; "|" stays
    {
        QString all;
        for (const QString &name : names.split(u' ')) {
            const QObject *each = control<QObject>(name);
            all += !each ? u'|' : each->property(property).toBool() ? u'1' : u'0';
        }
        return all;
    }
    void type(const QString &name, const QString &text) const // replaces what stands there
    {
        QTest::keyClick(control(name), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(control(name), text);
    }
    // Title, connect captions, availability and the port, to compare in one go.
    QString state() const
    {
        return QStringList{m_window->windowTitle(), texts("Connect mnuSettingsConnect"),
                           flags("enabled", kAvailability),
                           m_window->link().port().isOpen() ? "open" : "closed"}
            .join(u' ');
    }
    QStringList answerErrorBox() const // title, text, detail; empty if none came
    {
        QMessageBox *box = nullptr;
        const auto shown = [&] { // one already answered may not be deleted yet
            for (auto *each : m_window->findChildren<QMessageBox *>("errorBox"))
                box = each->isVisible() ? each : box;
            return box != nullptr;
        };
        if (!QTest::qWaitFor(shown, 10000))
            return {};
        box->accept();
        return {box->windowTitle(), box->text(), box->informativeText()};
    }
    // Runs a program to its end while events go on: "exit code|stdout|stderr".
    static QString run(const QString &program, const QStringList &arguments,
                       const QProcessEnvironment &env = QProcessEnvironment())
    {
        QProcess process;
        process.setProcessEnvironment(env);
        QSignalSpy finished(&process, &QProcess::finished);
        process.start(program, arguments);
        return !finished.wait(60000)
                   ? "still running"
                   : QString::number(process.exitCode()) + '|' + process.readAllStandardOutput()
                         + '|' + process.readAllStandardError();
    }
    void connectToInstrument(SimulatedInstrument::Behaviour behaviour = {})
    {
        m_instrument = std::make_unique<SimulatedInstrument>();
        m_instrument->setBehaviour(behaviour);
        QVERIFY(m_instrument->start());
        m_window->choosePort(m_instrument->devicePath());
        QTest::mouseClick(control("Connect"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(state(),
                                  "Estrivo (tm) [Connected] &Disconnect|&Disconnect "
                                  "111|111|11111|11|00 open",
                                  10000);
        auto *button = QAccessible::queryAccessibleInterface(control("Connect"));
        QCOMPARE(button->text(QAccessible::Name), "Disconnect"); // what the button now does
    }

    MainWindow *m_window = nullptr;
    std::unique_ptr<SimulatedInstrument> m_instrument;

private slots:
    void init()
    {
        m_window = new MainWindow;
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
    }
    void cleanup()
    {
        delete m_window;
        m_instrument.reset();
    }

    void startUpPrintTabOrderAndExit()
    {
        QCOMPARE(state(), "Estrivo (tm) Connect|&Connect 000|111|11111|11|11 closed");
        QVERIFY(m_window->windowIcon().availableSizes().contains(QSize(48, 48)));
        QCOMPARE(QApplication::focusWidget(), control("Con"));
        QCOMPARE(texts("Con GFV Motility SemenVol ExtVol VPD NumDoses Date ComPort"),
                 "|---.-|50|--.-|16.6666666666667|16.6666666666667|--||1");
        QCOMPARE(flags("checked", kMarks) + flags("enabled", "Date"), "10000");
        // File > Read before connecting explains itself and changes nothing.
        control<QAction>("mnuFileRead")->trigger();
        QCOMPARE(answerErrorBox(),
                 QStringList({"PC-to-Stamp Comm", "Error: Not connected.",
                              "Connect to the instrument first (Settings, Connect)."}));
        QCOMPARE(state(), "Estrivo (tm) Connect|&Connect 000|111|11111|11|11 closed");
        // Connect to a board that never greets: while it waits, a command says so; after the
        // time-out the commands are offered again, on a closed port.
        m_instrument = std::make_unique<SimulatedInstrument>();
        m_instrument->setBehaviour({.silent = true});
        QVERIFY(m_instrument->start());
        m_window->choosePort(m_instrument->devicePath());
        m_window->link().setPassInterval(std::chrono::milliseconds(100),
                                         std::chrono::milliseconds(2));
        control<QAction>("mnuSettingsConnect")->trigger();
        QCOMPARE(state(), "Estrivo (tm) Connect|&Connect 000|111|11111|00|00 open");
        control<QAction>("mnuFileRead")->trigger();
        QStringList box = answerErrorBox();
        QCOMPARE(box.mid(0, 2), QStringList({"PC-to-Stamp Comm", "Error: Not connected."}));
        QVERIFY2(box.value(2).startsWith("Still connecting"), qPrintable(box.value(2)));
        box = answerErrorBox();
        QCOMPARE(box.mid(0, 2), QStringList({"PC-to-Stamp Comm", "Error: Could not connect."}));
        QCOMPARE(state(), "Estrivo (tm) &Connect|&Connect 111|111|11111|11|11 closed");
        QStringList order; // Tab goes from cmdLtOn into the log and on to cmdLtOff
        m_window->activateWindow();
        control("Con")->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), control("Con"));
        for (QWidget *at = control("Con"); order.size() < 20; at = qApp->focusWidget()) {
            order << (qobject_cast<QComboBox *>(at->parent()) ? "ComPort" : at->objectName());
            QTest::keyClick(at, Qt::Key_Tab);
        }
        QCOMPARE(order.join(u' '), "Con cmdDnload cmdLtOn TextScrollBox cmdLtOff PrintButton GFV "
                                   "TotalDose MinExt MaxCon Motility SemenVol ExtVol VPD "
                                   "NumDoses PrtSetup Connect ComPort Text1 Con");
        control<QAction>("mnuFilePrint")->trigger(); // the spooler socket leads nowhere
        box = answerErrorBox();
        QCOMPARE(box.mid(0, 2), QStringList({"Estrivo (tm)", "Error: Could not print."}));
        QVERIFY(!box.value(2).isEmpty());
        auto *log = control<QPlainTextEdit>("TextScrollBox"); // a long line scrolls, not wraps
        log->setPlainText(QString(400, u'x'));
        QCOMPARE(log->document()->lineCount(), 1);
        QTRY_VERIFY(log->horizontalScrollBar()->maximum() > 0);
        QSignalSpy closed(m_window, &MainWindow::closed);
        control<QAction>("mnuFileExit")->trigger();
        QCOMPARE(closed.count(), 1);
        QVERIFY(!m_window->isVisible());
    }

    void liveCalculation_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("recomputes");
        for (const char *input : {"Con", "GFV", "Motility", "TotalDose", "MinExt", "MaxCon"})
            QTest::newRow(input) << input << true;
        for (const char *other : {"SemenVol", "ExtVol", "VPD", "Text1"})
            QTest::newRow(other) << other << false;
    }
    void liveCalculation()
    {
        QFETCH(QString, field);
        QFETCH(bool, recomputes);
        type("Con", "150");
        type("GFV", "60");
        QCOMPARE(texts("SemenVol ExtVol VPD NumDoses"), "6.66666666666667|33.3333333333333|40|8");
        type("NumDoses", "7"); // a result: typing there runs nothing
        QTest::keyClicks(control(field), "1");
        QCOMPARE(texts("NumDoses") != "7", recomputes);
    }

    // Guidance lives in tooltips (and so in the accessible descriptions): it follows every
    // calculation, warns only about numbers, and leaves the picture of the sheet as it was.
    void guidanceInTooltips()
    {
        const auto tip = [this](const char *name) {
            return control(name)->toolTip();
        };
        const auto warned = [&] {
            QStringList fields;
            for (const char *name : {"Con", "GFV", "Motility", "TotalDose", "MinExt", "MaxCon",
                                     "SemenVol", "ExtVol", "VPD", "NumDoses"})
                if (tip(name).contains(QRegularExpression("below|above|Negative")))
                    fields << name;
            return fields.join(u' ');
        };
        QCOMPARE(warned(), ""); // start-up
        type("Con", "150");
        type("GFV", "60");
        QCOMPARE(warned(), "");
        QVERIFY2(tip("SemenVol").startsWith("6.66666666666667\n"), qPrintable(tip("SemenVol")));
        QVERIFY2(tip("VPD").contains("Set by the minimum extension ratio of 5:1"),
                 qPrintable(tip("VPD")));
        QVERIFY2(tip("NumDoses").contains("Semen left over"), qPrintable(tip("NumDoses")));
        auto *described = QAccessible::queryAccessibleInterface(control("VPD"));
        QCOMPARE(described->text(QAccessible::Description), tip("VPD"));

        const QImage before = m_window->grab().toImage();
        type("MaxCon", "10"); // the cap now sets the volume
        QVERIFY2(tip("VPD").contains("maximum extended concentration of 10 M/ml"),
                 qPrintable(tip("VPD")));
        type("MaxCon", "30");
        QCOMPARE(m_window->grab().toImage(), before); // same texts, tooltips changed twice
        type("Con", "50");
        type("MinExt", "2");
        QCOMPARE(warned(), "Con MinExt");
        type("Motility", "0");
        QVERIFY2(tip("SemenVol").contains("Not recomputed"), qPrintable(tip("SemenVol")));
    }

    void portChoice_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("marks");
        QTest::newRow("menu Comm 3") << "menu"
                                     << "3"
                                     << "0010";
        QTest::newRow("menu Comm 1, already marked") << "menu"
                                                     << "1"
                                                     << "1000";
        QTest::newRow("list item 2") << "list"
                                     << "2"
                                     << "0100";
        QTest::newRow("typed 4") << "type"
                                 << "4"
                                 << "0001";
        QTest::newRow("typed 5") << "type"
                                 << "5"
                                 << "0000";
        // Each of these still converts to port 2 when connecting, yet marks nothing.
        QTest::newRow("typed blank 2") << "type"
                                       << " 2"
                                       << "0000";
        QTest::newRow("typed zero 2") << "type"
                                      << "02"
                                      << "0000";
        QTest::newRow("typed 2 point 0") << "type"
                                         << "2.0"
                                         << "0000";
        QTest::newRow("typed 2 then letter") << "type"
                                             << "2a"
                                             << "0000";
    }
    void portChoice()
    {
        QFETCH(QString, how);
        QFETCH(QString, text);
        QFETCH(QString, marks);
        if (how == "menu")
            control<QAction>("mnuSettingsComm" + text)->trigger();
        else if (how == "list")
            control<QComboBox>("ComPort")->setCurrentIndex(text.toInt() - 1);
        else
            type("ComPort", text);
        QCOMPARE(texts("ComPort") + ' ' + flags("checked", kMarks), text + ' ' + marks);
    }

    void portListFollowsTheDevices()
    {
        auto *box = control<PortComboBox>("ComPort");
        // ttyS0 to ttyS3 are "1" to "4" already; a device is offered once.
        QStringList present{"/dev/ttyS3", "/dev/ttyUSB0", "/dev/ttyS4", "/dev/ttyUSB0", ""};
        box->setDeviceSource([&present] { return present; });
        const auto openedList = [box] {
            box->showPopup(); // looks the devices up anew
            box->hidePopup();
            QStringList items;
            for (int i = 0; i < box->count(); ++i)
                items << box->itemText(i);
            return items.join(u' ');
        };
        QCOMPARE(openedList(), "1 2 3 4 /dev/ttyUSB0 /dev/ttyS4");
        box->setCurrentIndex(4);
        QSignalSpy changes(box, &QComboBox::editTextChanged);
        present = QStringList{"/dev/ttyACM0"}; // the chosen adapter unplugged, another one in
        QCOMPARE(openedList(), "1 2 3 4 /dev/ttyACM0");
        QCOMPARE(box->currentText(), "/dev/ttyUSB0"); // the choice stays, unannounced
        QCOMPARE(changes.count(), 0);
        box->setDeviceSource({});
    }

    void connectFailureSaysWhy_data()
    {
        QTest::addColumn<QString>("port"); // empty: a pseudo-terminal with its mode removed
        QTest::addColumn<QStringList>("mentions");
        QTest::newRow("missing USB adapter")
            << "/dev/ttyUSB97" << QStringList{"/dev/ttyUSB97", "no such device", "/dev/ttyUSB0"};
        QTest::newRow("no permission") << "" << QStringList{"permission denied", "dialout"};
    }
    void connectFailureSaysWhy()
    {
        QFETCH(QString, port);
        QFETCH(QStringList, mentions);
        if (port.isEmpty() && geteuid() == 0) { // root opens any device: ask 'nobody' instead
            const QString asNobody
                = run("/usr/sbin/runuser",
                      {"-u", "nobody", "--", qApp->applicationFilePath(), "-platform", "offscreen",
                       "connectFailureSaysWhy:no permission"},
                      QProcessEnvironment::systemEnvironment());
            if (asNobody.startsWith("126|") || asNobody.startsWith("127|"))
                QSKIP("'nobody' may not run this test program");
            QVERIFY2(asNobody.startsWith("0|"), qPrintable(asNobody));
            return;
        }
        if (port.isEmpty()) { // the photometer's pseudo-terminal, its mode removed
            m_instrument = std::make_unique<SimulatedInstrument>();
            QVERIFY(m_instrument->start());
            port = m_instrument->devicePath();
            QCOMPARE(chmod(qPrintable(port), 0), 0);
        }
        m_window->choosePort(port);
        QTest::mouseClick(control("Connect"), Qt::LeftButton);
        const QStringList box = answerErrorBox();
        QCOMPARE(box.mid(0, 2), QStringList({"PC-to-Stamp Comm", "Error: Could not connect."}));
        for (const QString &mention : mentions)
            QVERIFY2(box[2].contains(mention, Qt::CaseInsensitive), qPrintable(box[2]));
        QCOMPARE(state(), "Estrivo (tm) Connect|&Connect 000|111|11111|11|11 closed"); // unchanged
    }

    void linkFailureTexts_data()
    {
        QTest::addColumn<LinkAct>("act");
        QTest::addColumn<QString>("port");
        QTest::addColumn<LinkError::Kind>("kind");
        QTest::addColumn<QStringList>("box");
        for (const LinkFailureCase &c : kLinkFailures)
            QTest::newRow(c.name) << c.act << QString(c.port) << c.kind
                                  << QStringList{"PC-to-Stamp Comm", c.message, c.detail};
    }
    void linkFailureTexts()
    {
        QFETCH(LinkAct, act);
        QFETCH(QString, port);
        QFETCH(LinkError::Kind, kind);
        QFETCH(QStringList, box);
        delete m_window;
        auto *line = new ScriptedPort;
        m_window = new MainWindow(std::unique_ptr<SerialPort>(line));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QSignalSpy failures(&m_window->link(), &InstrumentLink::failed);
        m_window->choosePort(port);
        if (act == LinkAct::LineFails)
            line->perRead = {"OK\r"};
        if (act != LinkAct::Read)
            QTest::mouseClick(control("Connect"), Qt::LeftButton);
        if (act == LinkAct::LineFails) {
            QTRY_VERIFY(m_window->link().isConnected());
            emit line->errorOccurred("Input/output error");
        }
        if (act == LinkAct::Read || act == LinkAct::ReadWhileConnecting)
            control<QAction>("mnuFileRead")->trigger();
        QCOMPARE(answerErrorBox(), box);
        QCOMPARE(failures.value(0).value(0).value<LinkError>().kind, kind);
    }
    // A kind of failure the table above leaves out would reach the operator unchecked.
    void linkFailureTextsCoverEveryKind()
    {
        const QMetaEnum kinds = QMetaEnum::fromType<LinkError::Kind>();
        for (int i = 0; i < kinds.keyCount(); ++i) {
            const auto kind = LinkError::Kind(kinds.value(i));
            QVERIFY2(std::any_of(std::begin(kLinkFailures), std::end(kLinkFailures),
                                 [kind](const LinkFailureCase &c) { return c.kind == kind; }),
                     kinds.key(i));
        }
    }

    // Closing while sheets wait on this computer for a journal that does not take them says
    // so, and names where they are; the program does not linger for them.
    void closingSaysWhatIsKept()
    {
        QTemporaryDir folder;
        const QString journal = folder.filePath("notes.txt"); // not a journal: nothing goes in
        QFile notes(journal);
        QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("field notes\n") > 0);
        notes.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_STATE_HOME", folder.filePath("state"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("ESTRIVO_SCREENSHOT", folder.filePath("window.png"));
        qputenv("XDG_STATE_HOME", QFile::encodeName(folder.filePath("state")));
        Outbox outbox(journal);
        SheetRecord sheet;
        sheet.uid = "5e1f0000-0000-4000-8000-000000000001";
        sheet.savedAt = QDateTime::currentDateTimeUtc();
        QVERIFY(outbox.keep(sheet).ok());
        QVERIFY(outbox.keep(sheet).ok()); // a second one, to count
        qunsetenv("XDG_STATE_HOME");
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(ESTRIVO_PROGRAM, {"--journal", journal});
        QByteArray said;
        const auto saysIt = [&] {
            said += program.readAllStandardError();
            return said.contains("2 sheets are kept on this computer and will be saved to the "
                                 "journal when it answers.");
        };
        QVERIFY2(QTest::qWaitFor(saysIt, 20000), said.constData());
        program.kill();
        program.waitForFinished();
        QCOMPARE(QFile(journal).size(), 12); // left as it was
        QCOMPARE(outbox.pending().size(), 2);
    }

    void options() // with no display at all: help and version on stdout, errors on stderr
    {
        const auto estrivo = [](const QStringList &args) {
            return run(ESTRIVO_PROGRAM, args);
        };
        QVERIFY(
            estrivo({"--help"}).startsWith("0|Usage: estrivo [--demo] [--journal LOCATION]\n"));
        QCOMPARE(estrivo({"--version"}), "0|estrivo " ESTRIVO_VERSION "\n|");
        QVERIFY(estrivo({"--frobnicate"}).startsWith("2||estrivo: Unknown option 'frobnicate'."));
        QVERIFY(estrivo({"--demo", "-x"}).startsWith("2||estrivo: Unknown option 'x'.\n\nUsage:"));
        QVERIFY(estrivo({"COM1"}).startsWith("2||estrivo: Unexpected argument 'COM1'."));
    }

    void demoSession()
    {
        connectToInstrument();
        for (int i = 0; i < 2; ++i) { // each acknowledgement goes into the log
            QTest::mouseClick(control("cmdLtOn"), Qt::LeftButton);
            QCOMPARE(flags("enabled", kAvailability), "000|000|11111|11|00"); // while it waits
            QTRY_VERIFY_WITH_TIMEOUT(control("cmdLtOn")->isEnabled(), 10000);
        }
        QVERIFY(m_instrument->lightOn());
        QCOMPARE(control<QPlainTextEdit>("TextScrollBox")->toPlainText(),
                 "Estrivo photometer v1\nOK\nOK\nOK\n"); // each CR ends a line
        type("GFV", "60");
        QTest::mouseClick(control("cmdDnload"), Qt::LeftButton);
        QCOMPARE(texts("Con"), ""); // emptied while the reading is awaited
        QTRY_COMPARE_WITH_TIMEOUT(texts("Con"), "123.4", 10000);
        QTRY_VERIFY(control("cmdDnload")->isEnabled());
        QCOMPARE(texts("SemenVol NumDoses"), "8.10372771474878|7");
        QVERIFY(!texts("Date").isEmpty());
        const QString shots = qEnvironmentVariable("ESTRIVO_SCREENSHOT_DIR");
        if (!shots.isEmpty()) { // the picture of a finished sheet that the README shows
            type("Text1", "Silver Comet, second collection this week");
            QVERIFY(QDir().mkpath(shots) && m_window->grab().save(shots + "/demo_session.png"));
        }
        // The close box in the middle of a reading: granted, and the port let go.
        m_instrument->setBehaviour({.noDone = true});
        QTest::mouseClick(control("cmdDnload"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(m_instrument->heard().count('*') == 2, 10000);
        QCOMPARE(m_window->link().state(), InstrumentLink::State::Reading);
        QSignalSpy closed(m_window, &MainWindow::closed);
        m_window->close();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(m_window->link().state(), InstrumentLink::State::Disconnected);
        QVERIFY(!m_window->link().port().isOpen());
        QTRY_VERIFY(!m_instrument->isProgramConnected());
    }

    void userDisconnect()
    {
        connectToInstrument();
        QTest::mouseClick(control("Connect"), Qt::LeftButton);
        QCOMPARE(state(), "Estrivo (tm) &Connect|&Connect 000|000|11111|11|11 closed");
        QTRY_VERIFY(!m_instrument->isProgramConnected());
    }

    // The line the window's port is given at start-up: DTR asserted, RTS not.
    void controlLinesAtStartUp()
    {
        auto *port = new ScriptedPort;
        MainWindow window(std::unique_ptr<SerialPort>{port});
        QVERIFY(port->dataTerminalReady);
        QVERIFY(!port->requestToSend);
    }

    // Every print is kept with the picture that was printed, whether the print worked or not;
    // a reading is kept and the sheet that still shows it refers to it.
    void journalKeepsPrintsAndReadings()
    {
        QTemporaryDir folder;
        JournalService writer(folder.filePath("journal.sqlite"));
        m_window->setJournal(&writer);
        type("Text1", "Silver Comet");
        QTest::keyClick(control("Text1"), Qt::Key_Return);
        QTest::keyClicks(control("Text1"), "second collection");
        type("Con", "150");
        type("GFV", "60");
        QTest::mouseClick(control("PrintButton"), Qt::LeftButton); // no printer to go to
        QCOMPARE(answerErrorBox().value(1), "Error: Could not print.");

        connectToInstrument();
        QTest::mouseClick(control("cmdDnload"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(texts("Con"), "123.4", 10000);
        const QString pdf = folder.filePath("sheet.pdf");
        m_window->findChild<SnapshotPrinter *>()->printer().setOutputFileName(pdf);
        control<QAction>("mnuFilePrint")->trigger();
        type("Con", "200"); // typed over: the next sheet no longer shows the reading
        control<QAction>("mnuFilePrint")->trigger();
        writer.whenIdle().waitForFinished();

        Journal journal(writer.location());
        const QList<SheetRecord> sheets = journal.sheets(); // newest first
        QCOMPARE(sheets.size(), 3);
        const auto first = journal.sheet(sheets[2].id);
        QCOMPARE(first->stallion + '|' + first->notes, "Silver Comet|second collection");
        QCOMPARE(first->text(Field::SemenVol) + ' ' + first->text(Field::NumDoses),
                 "6.66666666666667 8");
        QCOMPARE(first->printed, false);
        QCOMPARE(QImage::fromData(first->picturePng).size(), m_window->grab().size());
        QCOMPARE(QString("%1 %2").arg(sheets[1].printed).arg(sheets[1].printer), "1 " + pdf);
        // The picture kept is the one on the page, pixel for pixel (the last print's page).
        QCOMPARE(run("pdfimages", {"-png", pdf, folder.filePath("page")}), "0||");
        const QImage printed(folder.filePath("page-000.png"));
        const QImage kept = QImage::fromData(journal.sheet(sheets[0].id)->picturePng);
        QCOMPARE(kept.convertToFormat(QImage::Format_RGB32),
                 printed.convertToFormat(QImage::Format_RGB32));
        QVERIFY(sheets[1].readingId && !sheets[0].readingId);
        const auto reading = journal.reading(*sheets[1].readingId);
        QCOMPARE(reading->value, "123.4");
        QVERIFY(reading->reply.contains("123.4"));
        QCOMPARE(reading->port, m_instrument->devicePath());
    }

    // A long result read from its leading digits, on the screen once the focus has left it and
    // always on paper and in the journal: never "5291" of 6.2336...
    void resultsShowTheirLeadingDigits()
    {
        QTemporaryDir folder;
        JournalService writer(folder.filePath("journal.sqlite"));
        m_window->setJournal(&writer);
        m_window->findChild<SnapshotPrinter *>()->printer().setOutputFileName(
            folder.filePath("sheet.pdf"));
        type("Con", "77");
        type("GFV", "60");
        auto *semen = control<QLineEdit>("SemenVol");
        QVERIFY2(semen->text().size() > 12, qPrintable(semen->text()));
        const QRect box(semen->mapTo(m_window, QPoint(0, 0)), semen->size());
        const QRect inside = box.adjusted(3, 3, -3, -3);
        const auto printedBox = [&] {
            control<QAction>("mnuFilePrint")->trigger();
            writer.whenIdle().waitForFinished();
            const QList<SheetRecord> sheets = Journal(writer.location()).sheets();
            const auto kept = Journal(writer.location()).sheet(sheets.value(0).id);
            return QImage::fromData(kept->picturePng)
                .copy(inside)
                .convertToFormat(QImage::Format_RGB32);
        };
        control("Con")->setFocus();
        const QImage leading = printedBox();
        const QImage leadingOnScreen
            = m_window->grab().toImage().copy(inside).convertToFormat(QImage::Format_RGB32);

        semen->setFocus(Qt::TabFocusReason); // selects it all, the end in view
        QVERIFY(semen->hasSelectedText());
        const QImage onScreen
            = m_window->grab().toImage().copy(inside).convertToFormat(QImage::Format_RGB32);
        QVERIFY(onScreen != leading); // the scene the fault needs: the box shows its end
        // The same digits from the left; only the caret of the box with the focus may show.
        const QRect digits(4, 0, inside.width() - 4, inside.height());
        QCOMPARE(printedBox().copy(digits), leading.copy(digits));
        QVERIFY(semen->hasFocus() && semen->selectedText() == semen->text()); // as it was

        control("GFV")->setFocus(Qt::TabFocusReason);
        QCOMPARE(semen->cursorPosition(), 0);
        QCOMPARE(m_window->grab().toImage().copy(inside).convertToFormat(QImage::Format_RGB32),
                 leadingOnScreen);
    }

    // A journal that cannot be written says so with its location, keeps its bytes, and the
    // print goes out all the same.
    void failingJournalStillPrints()
    {
        QTemporaryDir folder;
        const QString location = folder.filePath("notes.sqlite");
        const QByteArray bytes = "These are the stallion notes, not a database.\n";
        QFile file(location);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        JournalService writer(location);
        m_window->setJournal(&writer);
        const QString pdf = folder.filePath("sheet.pdf");
        m_window->findChild<SnapshotPrinter *>()->printer().setOutputFileName(pdf);
        QTest::mouseClick(control("PrintButton"), Qt::LeftButton);
        const QStringList box = answerErrorBox();
        QCOMPARE(box.mid(0, 2), QStringList({"Estrivo (tm)", "Error: Could not save the sheet."}));
        QVERIFY2(box.value(2).contains(location), qPrintable(box.value(2)));
        QVERIFY(QFileInfo(pdf).size() > 0);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
    }

    void hangUpMidReading()
    {
        connectToInstrument({.hangUpMidReply = true});
        QTest::mouseClick(control("cmdDnload"), Qt::LeftButton);
        // The real port's reason is the system's words alone; the window adds device and advice.
        const QStringList box = answerErrorBox();
        QCOMPARE(box.value(1), "Error: Connection lost.");
        const QString device = texts("ComPort") + ": "; // the board may have moved on since
        const QString advice = ". Check the cable and, for a USB adapter, that it is still "
                               "plugged in.";
        const QString detail = box.value(2);
        QVERIFY2(detail.startsWith(device) && detail.endsWith(advice)
                     && detail.size() > device.size() + advice.size()
                     && !detail.mid(device.size()).contains(device),
                 qPrintable(detail));
        QCOMPARE(state(), "Estrivo (tm) &Connect|&Connect 000|000|11111|11|11 closed");
        QCOMPARE(texts("Con"), ""); // no half value in the sheet
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
