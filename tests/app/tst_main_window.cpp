// The main window offscreen: start-up state, live calculation, port choice, focus and closing.
#include "main_window.h"
#include "snapshot_print.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using estrivo::MainWindow;

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startUpState();
    void typingIntoInputsRecomputes_data();
    void typingIntoInputsRecomputes();
    void typingIntoResultsRunsNothing();
    void portChoice_data();
    void portChoice();
    void tabOrder_data();
    void tabOrder();
    void availabilityOperations();
    void windowIsFixedSize();
    void logDoesNotWrap();
    void printCommands_data();
    void printCommands();
    void exitAndCloseBoxEndTheProgram_data();
    void exitAndCloseBoxEndTheProgram();

private:
    QLineEdit *field(const char *name) const
    {
        auto *edit = m_window->findChild<QLineEdit *>(QLatin1String(name));
        Q_ASSERT(edit);
        return edit;
    }
    QAction *action(const char *name) const
    {
        auto *entry = m_window->findChild<QAction *>(QLatin1String(name));
        Q_ASSERT(entry);
        return entry;
    }
    QPushButton *button(const char *name) const
    {
        auto *push = m_window->findChild<QPushButton *>(QLatin1String(name));
        Q_ASSERT(push);
        return push;
    }
    QComboBox *comPort() const { return m_window->findChild<QComboBox *>("ComPort"); }
    QString checkMarks() const
    {
        QString marks;
        for (const char *name :
             {"mnuSettingsComm1", "mnuSettingsComm2", "mnuSettingsComm3", "mnuSettingsComm4"})
            marks += action(name)->isChecked() ? QLatin1Char('x') : QLatin1Char('.');
        return marks;
    }

    MainWindow *m_window = nullptr;
};

void TestMainWindow::init()
{
    m_window = new MainWindow;
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void TestMainWindow::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestMainWindow::startUpState()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Estrivo (tm)"));
    QVERIFY(m_window->windowIcon().availableSizes().contains(QSize(48, 48)));
    QCOMPARE(field("Con")->text(), QString());
    QCOMPARE(QApplication::focusWidget(), field("Con"));
    QCOMPARE(field("GFV")->text(), QStringLiteral("---.-"));
    QCOMPARE(field("Motility")->text(), QStringLiteral("50"));
    QCOMPARE(field("SemenVol")->text(), QStringLiteral("--.-"));
    QCOMPARE(field("ExtVol")->text(), QStringLiteral("16.6666666666667"));
    QCOMPARE(field("VPD")->text(), QStringLiteral("16.6666666666667"));
    QCOMPARE(field("NumDoses")->text(), QStringLiteral("--"));
    QCOMPARE(field("Date")->text(), QString());
    QVERIFY(!field("Date")->isEnabled());

    for (const char *name : {"cmdDnload", "cmdLtOn", "cmdLtOff"})
        QVERIFY2(!button(name)->isEnabled(), name);
    for (const char *name : {"Connect", "PrtSetup", "PrintButton"})
        QVERIFY2(button(name)->isEnabled(), name);
    for (const char *name : {"mnuFileRead", "mnuFileLton", "mnuFileLtoff", "mnuFilePrtsetup",
                             "mnuFilePrint", "mnuFileExit", "mnuSettingsConnect"})
        QVERIFY2(action(name)->isEnabled(), name);

    QCOMPARE(button("Connect")->text(), QStringLiteral("Connect"));
    QCOMPARE(action("mnuSettingsConnect")->text(), QStringLiteral("&Connect"));
    QCOMPARE(comPort()->currentText(), QStringLiteral("1"));
    QCOMPARE(checkMarks(), QStringLiteral("x..."));
    QCOMPARE(comPort()->count(), 4);
    QCOMPARE(comPort()->itemText(3), QStringLiteral("4"));
    QVERIFY(m_window->findChild<QPlainTextEdit *>("TextScrollBox")->toPlainText().isEmpty());
    QVERIFY(!m_window->link().isOpen());
}

void TestMainWindow::typingIntoInputsRecomputes_data()
{
    QTest::addColumn<QStringList>("typing"); // field name, text, field name, text, ...
    QTest::addColumn<QStringList>("results"); // SemenVol, ExtVol, VPD, NumDoses

    QTest::newRow("concentration and volume")
        << QStringList{"Con", "150", "GFV", "60"}
        << QStringList{"6.66666666666667", "33.3333333333333", "40", "8"};
    QTest::newRow("capped dose")
        << QStringList{"Con", "300", "Motility", "80", "MinExt", "1", "MaxCon", "50", "GFV",
                       "40"}
        << QStringList{"2.08333333333333", "7.91666666666667", "10", "19"};
    QTest::newRow("motility cleared keeps the semen volume")
        << QStringList{"Con", "150", "GFV", "60", "Motility", ""}
        << QStringList{"6.66666666666667", "33.3333333333333", "40", "8"};
    QTest::newRow("total dose retyped")
        << QStringList{"Con", "150", "GFV", "60", "TotalDose", "250"}
        << QStringList{"3.33333333333333", "16.6666666666667", "20", "18"};
}

void TestMainWindow::typingIntoInputsRecomputes()
{
    QFETCH(QStringList, typing);
    QFETCH(QStringList, results);
    for (qsizetype i = 0; i + 1 < typing.size(); i += 2) {
        QLineEdit *edit = field(qPrintable(typing.at(i)));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, typing.at(i + 1));
        QCOMPARE(edit->text(), typing.at(i + 1));
    }
    QCOMPARE(field("SemenVol")->text(), results.at(0));
    QCOMPARE(field("ExtVol")->text(), results.at(1));
    QCOMPARE(field("VPD")->text(), results.at(2));
    QCOMPARE(field("NumDoses")->text(), results.at(3));
}

void TestMainWindow::typingIntoResultsRunsNothing()
{
    QTest::keyClicks(field("Con"), "150");
    for (const char *name : {"SemenVol", "ExtVol", "VPD", "NumDoses"}) {
        field(name)->selectAll();
        QTest::keyClicks(field(name), "7");
    }
    QCOMPARE(field("SemenVol")->text(), QStringLiteral("7"));
    QCOMPARE(field("ExtVol")->text(), QStringLiteral("7"));
    QCOMPARE(field("VPD")->text(), QStringLiteral("7"));
    QCOMPARE(field("NumDoses")->text(), QStringLiteral("7"));
    QTest::keyClicks(m_window->findChild<QPlainTextEdit *>("Text1"), "Stormy Night");
    QCOMPARE(field("VPD")->text(), QStringLiteral("7"));

    // The next change of an input computes again, and overwrites what was typed there.
    QTest::keyClicks(field("GFV"), "0"); // "---.-0" reads as 0
    QCOMPARE(field("SemenVol")->text(), QStringLiteral("6.66666666666667"));
    QCOMPARE(field("NumDoses")->text(), QStringLiteral("0"));
}

void TestMainWindow::portChoice_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("marks");

    QTest::newRow("menu Comm 3") << "menu" << "mnuSettingsComm3" << "3" << "..x.";
    QTest::newRow("menu Comm 1 again") << "menu" << "mnuSettingsComm1" << "1" << "x...";
    QTest::newRow("list item 2") << "list" << "1" << "2" << ".x..";
    QTest::newRow("list item 4") << "list" << "3" << "4" << "...x";
    QTest::newRow("typed 5") << "type" << "5" << "5" << "....";
    QTest::newRow("typed blank 2") << "type" << " 2" << " 2" << "....";
    QTest::newRow("typed zero 2") << "type" << "02" << "02" << "....";
    QTest::newRow("typed 2 point 0") << "type" << "2.0" << "2.0" << "....";
    QTest::newRow("typed 3 then letter") << "type" << "3a" << "3a" << "....";
    QTest::newRow("typed device path") << "type" << "/dev/ttyUSB0" << "/dev/ttyUSB0" << "....";
    QTest::newRow("typed 4") << "type" << "4" << "4" << "...x";
}

void TestMainWindow::portChoice()
{
    QFETCH(QString, how);
    QFETCH(QString, what);
    QFETCH(QString, text);
    QFETCH(QString, marks);

    if (how == QLatin1String("menu")) {
        action(qPrintable(what))->trigger();
    } else if (how == QLatin1String("list")) {
        comPort()->setCurrentIndex(what.toInt());
    } else {
        comPort()->lineEdit()->selectAll();
        QTest::keyClick(comPort()->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(checkMarks(), QStringLiteral("...."));
        QTest::keyClicks(comPort()->lineEdit(), what);
    }
    QCOMPARE(comPort()->currentText(), text);
    QCOMPARE(checkMarks(), marks);
}

void TestMainWindow::tabOrder_data()
{
    QTest::addColumn<bool>("commandsEnabled");
    QTest::addColumn<QStringList>("order");

    const QStringList all{"Con",      "cmdDnload", "cmdLtOn",  "TextScrollBox", "cmdLtOff",
                          "PrintButton", "GFV",    "TotalDose", "MinExt",       "MaxCon",
                          "Motility", "SemenVol",  "ExtVol",   "VPD",           "NumDoses",
                          "PrtSetup", "Connect",   "ComPort",  "Text1",         "Con"};
    QStringList withoutCommands = all;
    withoutCommands.removeAll(QStringLiteral("cmdDnload"));
    withoutCommands.removeAll(QStringLiteral("cmdLtOn"));
    withoutCommands.removeAll(QStringLiteral("cmdLtOff"));
    QTest::newRow("start-up: greyed buttons skipped") << false << withoutCommands;
    QTest::newRow("commands enabled") << true << all;
}

void TestMainWindow::tabOrder()
{
    QFETCH(bool, commandsEnabled);
    QFETCH(QStringList, order);
    if (commandsEnabled)
        m_window->EnableCommands();

    field("Con")->setFocus();
    QStringList visited{QStringLiteral("Con")};
    for (qsizetype i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        // The combo box's editor takes the focus on behalf of ComPort.
        if (focus->parentWidget() && focus->parentWidget()->objectName() == "ComPort")
            focus = focus->parentWidget();
        visited << focus->objectName();
    }
    QCOMPARE(visited, order);
}

void TestMainWindow::availabilityOperations()
{
    action("mnuFileExit")->setEnabled(false);
    m_window->EnableCommands();
    m_window->EnableCommands();
    for (const char *name : {"cmdDnload", "cmdLtOn", "cmdLtOff"})
        QVERIFY2(button(name)->isEnabled(), name);
    for (const char *name : {"mnuFileRead", "mnuFileLton", "mnuFileLtoff", "mnuFileExit"})
        QVERIFY2(action(name)->isEnabled(), name);

    m_window->DisableCommands();
    for (const char *name : {"cmdDnload", "cmdLtOn", "cmdLtOff"})
        QVERIFY2(!button(name)->isEnabled(), name);
    for (const char *name : {"mnuFileRead", "mnuFileLton", "mnuFileLtoff"})
        QVERIFY2(!action(name)->isEnabled(), name);
    // Exit, printing and the connect command are never part of it.
    QVERIFY(action("mnuFileExit")->isEnabled());
    QVERIFY(action("mnuFilePrint")->isEnabled());
    QVERIFY(button("PrintButton")->isEnabled());
    QVERIFY(button("Connect")->isEnabled());
}

void TestMainWindow::windowIsFixedSize()
{
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    const QWidget *client = m_window->centralWidget();
    QCOMPARE(client->size(), QSize(314, 475)); // 4716 x 7128 twips at 15 twips a pixel
    const QSize before = m_window->size();
    m_window->resize(before + QSize(100, 100));
    QCOMPARE(m_window->size(), before);
    for (const QWidget *child : client->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        QVERIFY2(client->rect().contains(child->geometry()), qPrintable(child->objectName()));
}

void TestMainWindow::logDoesNotWrap()
{
    auto *log = m_window->findChild<QPlainTextEdit *>("TextScrollBox");
    log->setPlainText(QString(400, QLatin1Char('x')));
    QCOMPARE(log->document()->lineCount(), 1);
    QTRY_VERIFY(log->horizontalScrollBar()->maximum() > 0);
    QCOMPARE(log->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

void TestMainWindow::printCommands_data()
{
    QTest::addColumn<bool>("viaMenu");
    QTest::newRow("Print button") << false;
    QTest::newRow("File, Print") << true;
}

void TestMainWindow::printCommands()
{
    QFETCH(bool, viaMenu);
    const auto print = [&] {
        if (viaMenu)
            action("mnuFilePrint")->trigger();
        else
            button("PrintButton")->click();
    };
    QTest::keyClicks(field("Con"), "150");

    // No printer on this machine (the spooler socket leads nowhere): the message, nothing else.
    print();
    QMessageBox *box = nullptr;
    QTRY_VERIFY((box = m_window->findChild<QMessageBox *>("errorBox")));
    QCOMPARE(box->windowTitle(), QStringLiteral("Estrivo (tm)"));
    QCOMPARE(box->text(), QStringLiteral("Error: Could not print."));
    QVERIFY(!box->informativeText().isEmpty());
    box->accept();
    QTRY_VERIFY(!m_window->findChild<QMessageBox *>("errorBox")); // closed boxes go away
    QCOMPARE(field("Con")->text(), QStringLiteral("150"));
    QVERIFY(action("mnuFilePrint")->isEnabled());

    // With a file chosen as the printer, the same command writes one page and says nothing.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    m_window->printer().printer().setOutputFormat(QPrinter::PdfFormat);
    m_window->printer().printer().setOutputFileName(pdf);
    print();
    QVERIFY(QFileInfo(pdf).size() > 0);
    QVERIFY(!m_window->findChild<QMessageBox *>("errorBox"));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().count("/Type /Page\n"), 1);
}

void TestMainWindow::exitAndCloseBoxEndTheProgram_data()
{
    QTest::addColumn<bool>("viaExit");
    QTest::newRow("File, Exit") << true;
    QTest::newRow("close box") << false;
}

void TestMainWindow::exitAndCloseBoxEndTheProgram()
{
    QFETCH(bool, viaExit);
    QSignalSpy unloaded(m_window, &MainWindow::unloaded);
    if (viaExit)
        action("mnuFileExit")->trigger();
    else
        m_window->close();
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!m_window->isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
