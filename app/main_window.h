#pragma once

#include "instrument_link.h"
#include "journal_service.h"
#include "link_rules.h"
#include "sample_sheet.h"
#include "serial_port.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>
#include <optional>

class QAction;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace estrivo {

class PortComboBox;
class SnapshotPrinter;

// The one window: its text boxes are the sample sheet. It hands every command to the
// calculator, the instrument link or the printer and shows the state they report.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The port is the window's serial port for the whole run; null means the system's port.
    explicit MainWindow(std::unique_ptr<SerialPort> port = {}, QWidget *parent = nullptr);
    ~MainWindow() override;

    InstrumentLink &link();

    // Puts a port or device name into ComPort as if the operator had typed it.
    void choosePort(const QString &text);

    // From now on every printed sheet and every reading go into this journal; null keeps
    // nothing. The window does not own it.
    void setJournal(JournalService *journal);

signals:
    // The window has closed and the port with it; the program ends here.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class WindowSheet;

    void buildControls();
    void buildMenus();
    void setTabOrderChain();
    void toggleConnection();
    void print();
    QImage pictureForPrint();
    void openPrinterSetup();
    void chooseNumberedPort(int number);
    void markChosenPort();
    void showLinkState();
    void offerCommands(bool available);
    void showReading(const Reading &reading);
    void showLinkFailure(const LinkError &error);
    void keepReading(const Reading &reading);
    void keepSheet(const QImage &picture);
    void showJournalFailure(const JournalError &error, JournalService::Subject subject);
    void appendLog(const QString &text);
    void calculate();
    void showGuidance();
    void showError(const QString &title, const QString &message, const QString &detail);

    // Command band
    PortComboBox *m_comPort = nullptr;
    QPushButton *m_connect = nullptr;
    QPushButton *m_read = nullptr;
    QPushButton *m_lightOn = nullptr;
    QPushButton *m_lightOff = nullptr;
    QPushButton *m_printerSetup = nullptr;
    QPushButton *m_print = nullptr;
    // Record band
    QPlainTextEdit *m_notes = nullptr;
    QLineEdit *m_date = nullptr;
    // Sheet fields by Field, the notes excepted (a multi-line box)
    std::array<QLineEdit *, kFieldCount> m_fields{};
    QPlainTextEdit *m_log = nullptr;

    QAction *m_readAction = nullptr;
    QAction *m_lightOnAction = nullptr;
    QAction *m_lightOffAction = nullptr;
    std::array<QAction *, kNumberedPorts> m_portActions{};
    QAction *m_connectAction = nullptr;

    std::unique_ptr<WindowSheet> m_sheet;
    std::unique_ptr<InstrumentLink> m_link;
    SnapshotPrinter *m_printer = nullptr;
    QPointer<JournalService> m_journal;
    std::optional<QString> m_readingShown; // the last reading's value, while Con may show it
};

} // namespace estrivo
