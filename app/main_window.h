#pragma once

#include "instrument_link.h"
#include "sample_sheet.h"
#include "serial_port.h"

#include <QMainWindow>

#include <array>
#include <memory>

class QAction;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace estrivo {

class PortComboBox;
class SnapshotPrinter;

// frmMain: the one window. Its text boxes are the sample sheet; it forwards every command to
// the calculator, the instrument link or the printer and shows what they report.
class MainWindow : public QMainWindow, private LinkHost
{
    Q_OBJECT

public:
    // The port is the window's serial port for the whole run; null means the system's port.
    explicit MainWindow(std::unique_ptr<SerialPort> port = {}, QWidget *parent = nullptr);
    ~MainWindow() override;

    SheetFields &sheet();
    InstrumentLink &link();
    SnapshotPrinter &printer();

    // Puts a port or device name into ComPort as if the operator had typed it.
    void choosePort(const QString &text);

signals:
    // The window has closed (Form_Unload ran); the program ends here.
    void unloaded();

public slots:
    void cmdDnload_Click();
    void cmdLtOn_Click();
    void cmdLtOff_Click();
    void Connect_Click();
    void PrintButton_Click();
    void PrtSetup_Click();

    void mnuFileRead_Click();
    void mnuFileLton_Click();
    void mnuFileLtoff_Click();
    void mnuFilePrtsetup_Click();
    void mnuFilePrint_Click();
    void mnuFileExit_Click();
    void mnuSettingsComm1_Click();
    void mnuSettingsComm2_Click();
    void mnuSettingsComm3_Click();
    void mnuSettingsComm4_Click();
    void mnuSettingsConnect_Click();

    void ComPort_Change();

    void DisableCommands();
    void EnableCommands();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    class WindowSheet;

    void buildControls();
    void buildMenus();
    void setTabOrderChain();
    void Form_Initialize();
    bool Form_QueryUnload();
    void Form_Unload();
    void chooseMenuPort(int number);
    void runCalculate();
    void showError(const QString &title, const QString &message, const QString &detail);

    // LinkHost
    QString portText() const override;
    QString connectCaption() const override;
    void setConnectCaption(const QString &caption) override;
    void setConnectEnabled(bool enabled) override;
    void setPortChoiceEnabled(bool enabled) override;
    void setExitEnabled(bool enabled) override;
    void setTitle(const QString &title) override;
    void disableCommands() override;
    void enableCommands() override;
    void appendLog(const QString &text) override;
    void replaceLog(const QString &text) override;
    void setConcentration(const QString &text) override;
    void setDate(const QString &text) override;
    void calculate() override;
    void showLinkError(const QString &message, const QString &detail) override;

    // Command band
    PortComboBox *m_comPort = nullptr;
    QPushButton *m_connect = nullptr;
    QPushButton *m_cmdDnload = nullptr;
    QPushButton *m_cmdLtOn = nullptr;
    QPushButton *m_cmdLtOff = nullptr;
    QPushButton *m_prtSetup = nullptr;
    QPushButton *m_printButton = nullptr;
    // Record band
    QPlainTextEdit *m_text1 = nullptr;
    QLineEdit *m_date = nullptr;
    // Sheet fields by Field, Text1 excepted (it is a multi-line box)
    std::array<QLineEdit *, kFieldCount> m_fields{};
    QPlainTextEdit *m_textScrollBox = nullptr;

    QAction *m_mnuFileRead = nullptr;
    QAction *m_mnuFileLton = nullptr;
    QAction *m_mnuFileLtoff = nullptr;
    QAction *m_mnuFilePrtsetup = nullptr;
    QAction *m_mnuFilePrint = nullptr;
    QAction *m_mnuFileExit = nullptr;
    std::array<QAction *, 4> m_mnuSettingsComm{};
    QAction *m_mnuSettingsConnect = nullptr;

    std::unique_ptr<WindowSheet> m_sheet;
    std::unique_ptr<InstrumentLink> m_link;
    std::unique_ptr<SnapshotPrinter> m_printer;
};

} // namespace estrivo
