#include "main_window.h"

#include "caption_button.h"
#include "client_area.h"
#include "extension_calc.h"
#include "port_combo_box.h"
#include "qt_serial_port.h"
#include "snapshot_print.h"
#include "twips.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

// The icon lives in this library's resources; nothing else would make the linker keep them.
static void initResources()
{
    Q_INIT_RESOURCE(estrivo);
}

namespace estrivo {

namespace {

const QString kLinkErrorTitle = QStringLiteral("PC-to-Stamp Comm");
constexpr int kClientWidthTwips = 4716;
constexpr int kClientHeightTwips = 7128;

QFont numberFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(10.2);
    return font;
}

// Asked for by name; on Linux the metric-compatible Liberation faces stand in.
QFont sansFont(double pointSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    return font;
}

QFont labelFont()
{
    return sansFont(9.6);
}

// The window's default font, which the buttons, ComPort, the notes and the log use.
QFont dialogFont()
{
    return sansFont(8.25);
}

struct FieldPlace
{
    Field field;
    int left, top, width, height; // twips
    const char *accessibleName;
};

constexpr FieldPlace kNumberFields[] = {
    {Field::Con, 1440, 2400, 732, 285, "Concentration"},
    {Field::GFV, 1680, 2760, 732, 288, "Gel Free Volume"},
    {Field::Motility, 840, 3120, 492, 288, "Motility"},
    {Field::TotalDose, 1200, 3600, 612, 288, "Total Dose"},
    {Field::MinExt, 2040, 3960, 228, 288, "Min. Extension Ratio"},
    {Field::MaxCon, 2760, 4320, 372, 288, "Max. Extended Concentration"},
    {Field::SemenVol, 120, 5160, 612, 288, "ml Semen"},
    {Field::ExtVol, 120, 5520, 612, 288, "ml Extender"},
    {Field::VPD, 3720, 5280, 612, 288, "Total Volume per Dose"},
    {Field::NumDoses, 120, 5880, 372, 288, "Total Doses Possible"},
};

enum class LabelFont { Sans, Number, Default };

struct LabelPlace
{
    const char *name;
    const char *caption;
    int left, top, width, height; // twips
    bool rightAligned;
    LabelFont font;
};

constexpr LabelPlace kLabels[] = {
    {"Label17", "COM Port:", 360, 240, 732, 252, false, LabelFont::Default},
    {"Label18", "Stallion Name && Notes:", 0, 1200, 1332, 612, true, LabelFont::Sans},
    {"Label19", "Collection Date:", 0, 1800, 1332, 492, true, LabelFont::Sans},
    {"Concentration", "Concentration:", 120, 2400, 1332, 252, false, LabelFont::Sans},
    {"Label1_0", "M/ml", 2160, 2400, 492, 252, false, LabelFont::Sans},
    {"Label2", "Gel Free Volume:", 120, 2760, 1572, 252, false, LabelFont::Sans},
    {"Label4", "ml", 2400, 2760, 252, 252, false, LabelFont::Sans},
    {"Label9", "Motility:", 120, 3120, 732, 252, false, LabelFont::Sans},
    {"Label10", "%", 1320, 3120, 252, 252, false, LabelFont::Sans},
    {"Label3", "Total Dose:", 120, 3600, 1092, 252, false, LabelFont::Sans},
    {"Label5", "M", 1800, 3600, 252, 252, false, LabelFont::Sans},
    {"Label6", "Min. Extension Ratio:", 120, 3960, 1932, 252, false, LabelFont::Sans},
    {"Label7", ":1", 2280, 3960, 372, 252, false, LabelFont::Number},
    {"Label8", "Max. Extended Concentration:", 120, 4320, 2652, 252, false, LabelFont::Sans},
    {"Label1_1", "M/ml", 3120, 4320, 492, 252, false, LabelFont::Sans},
    {"Label11", "Extension Calculations:", 120, 4800, 2292, 252, false, LabelFont::Sans},
    {"Label12", "ml Semen +", 720, 5160, 1092, 252, false, LabelFont::Sans},
    {"Label13", "ml Extender", 720, 5520, 1092, 252, false, LabelFont::Sans},
    {"Label14", "For a Total Volume per Dose of:", 1920, 5160, 1812, 492, true, LabelFont::Sans},
    {"Label15", "ml", 4320, 5280, 372, 252, false, LabelFont::Sans},
    {"Label16", "Total Doses Possible", 480, 5880, 2052, 252, false, LabelFont::Sans},
};

// Which label names which control, for assistive tools.
constexpr std::pair<const char *, const char *> kBuddies[] = {
    {"Label17", "ComPort"},   {"Label18", "Text1"},  {"Label19", "Date"},
    {"Concentration", "Con"}, {"Label2", "GFV"},     {"Label9", "Motility"},
    {"Label3", "TotalDose"},  {"Label6", "MinExt"},  {"Label8", "MaxCon"},
    {"Label12", "SemenVol"},  {"Label13", "ExtVol"}, {"Label14", "VPD"},
    {"Label16", "NumDoses"},
};

} // namespace

// The sample sheet as the window's own text boxes: no second copy of any value.
class MainWindow::WindowSheet final : public SheetFields
{
public:
    explicit WindowSheet(MainWindow &window)
        : m_window(window)
    {}

    std::string text(Field field) const override
    {
        if (field == Field::Text1)
            return m_window.m_text1->toPlainText().toStdString();
        return m_window.m_fields[index(field)]->text().toStdString();
    }

    void setText(Field field, std::string_view text) override
    {
        const QString value = QString::fromUtf8(text.data(), qsizetype(text.size()));
        if (field == Field::Text1) {
            m_window.m_text1->setPlainText(value);
            return;
        }
        QLineEdit *edit = m_window.m_fields[index(field)];
        edit->setText(value);
        edit->setCursorPosition(0); // a long number shows its leading digits
    }

private:
    static std::size_t index(Field field) { return static_cast<std::size_t>(field); }
    MainWindow &m_window;
};

MainWindow::MainWindow(std::unique_ptr<SerialPort> port, QWidget *parent)
    : QMainWindow(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                              | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_sheet(std::make_unique<WindowSheet>(*this))
{
    initResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kPlainTitle);
    setFont(dialogFont());
    setWindowIcon(QIcon(QStringLiteral(":/estrivo/estrivo.png")));

    buildControls();
    buildMenus();
    setTabOrderChain();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    LinkHost &host = *this;
    m_link
        = std::make_unique<InstrumentLink>(host, port ? std::move(port) : makeSystemSerialPort());
    m_printer = std::make_unique<SnapshotPrinter>();

    Form_Initialize();
    m_fields[static_cast<std::size_t>(Field::Con)]->setFocus();
}

// The link closes the port as it goes; the members' types are complete only here.
MainWindow::~MainWindow() = default;

SheetFields &MainWindow::sheet()
{
    return *m_sheet;
}

InstrumentLink &MainWindow::link()
{
    return *m_link;
}

SnapshotPrinter &MainWindow::printer()
{
    return *m_printer;
}

void MainWindow::choosePort(const QString &text)
{
    m_comPort->setEditText(text);
}

void MainWindow::buildControls()
{
    auto *client = new ClientArea(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFixedSize(twipsToPixels(kClientWidthTwips), twipsToPixels(kClientHeightTwips));
    setCentralWidget(client);

    for (const LabelPlace &place : kLabels) {
        auto *label = new QLabel(QString::fromLatin1(place.caption), client);
        label->setObjectName(QString::fromLatin1(place.name));
        label->setGeometry(twipsRect(place.left, place.top, place.width, place.height));
        label->setAlignment((place.rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
        if (place.font == LabelFont::Sans)
            label->setFont(labelFont());
        else if (place.font == LabelFont::Number)
            label->setFont(numberFont());
        // A caption wraps inside a box made for several lines; a one-line box keeps the
        // caption whole on its line rather than showing half of a second one.
        label->setWordWrap(label->height() >= 2 * label->fontMetrics().height());
    }

    m_comPort = new PortComboBox(client);
    m_comPort->setObjectName(QStringLiteral("ComPort"));
    m_comPort->setAccessibleName(QStringLiteral("COM Port"));
    m_comPort->setGeometry(twipsRect(1080, 240, 492, 288));
    connect(m_comPort, &QComboBox::editTextChanged, this, &MainWindow::ComPort_Change);

    const auto addButton = [client](const char *name, const char *caption, QRect rect) {
        auto *button = new CaptionButton(QString::fromLatin1(caption), client);
        button->setObjectName(QString::fromLatin1(name));
        // No fixed accessible name: Qt reads the caption without its "&", so Connect is
        // announced as "Disconnect" while it disconnects.
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setGeometry(rect);
        return button;
    };
    m_connect = addButton("Connect", "Connect", twipsRect(360, 600, 1092, 372));
    m_cmdDnload = addButton("cmdDnload", "Read", twipsRect(1920, 120, 1095, 375));
    m_cmdLtOn = addButton("cmdLtOn", "Light On", twipsRect(1920, 600, 492, 375));
    m_cmdLtOff = addButton("cmdLtOff", "Light Off", twipsRect(2520, 600, 492, 375));
    m_prtSetup = addButton("PrtSetup", "Printer Setup", twipsRect(3360, 120, 1092, 372));
    m_printButton = addButton("PrintButton", "Print", twipsRect(3600, 600, 612, 372));
    connect(m_connect, &QPushButton::clicked, this, &MainWindow::Connect_Click);
    connect(m_cmdDnload, &QPushButton::clicked, this, &MainWindow::cmdDnload_Click);
    connect(m_cmdLtOn, &QPushButton::clicked, this, &MainWindow::cmdLtOn_Click);
    connect(m_cmdLtOff, &QPushButton::clicked, this, &MainWindow::cmdLtOff_Click);
    connect(m_prtSetup, &QPushButton::clicked, this, &MainWindow::PrtSetup_Click);
    connect(m_printButton, &QPushButton::clicked, this, &MainWindow::PrintButton_Click);
    m_cmdDnload->setEnabled(false);
    m_cmdLtOn->setEnabled(false);
    m_cmdLtOff->setEnabled(false);

    m_text1 = new QPlainTextEdit(client);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setAccessibleName(QStringLiteral("Stallion Name & Notes"));
    m_text1->setGeometry(twipsRect(1320, 1200, 3252, 492));
    m_text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text1->setTabChangesFocus(true);

    m_date = new QLineEdit(client);
    m_date->setObjectName(QStringLiteral("Date"));
    m_date->setAccessibleName(QStringLiteral("Collection Date"));
    m_date->setGeometry(twipsRect(1320, 1920, 3252, 288));
    m_date->setFont(labelFont());
    m_date->setEnabled(false);
    m_fields[static_cast<std::size_t>(Field::Date)] = m_date;

    for (const FieldPlace &place : kNumberFields) {
        auto *edit = new QLineEdit(QString::fromLatin1(initialText(place.field)), client);
        edit->setObjectName(QString::fromLatin1(fieldName(place.field)));
        edit->setAccessibleName(QString::fromLatin1(place.accessibleName));
        edit->setGeometry(twipsRect(place.left, place.top, place.width, place.height));
        edit->setFont(numberFont());
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edit->setTextMargins(0, 0, 0, 0);
        edit->setMaxLength(65535);
        m_fields[static_cast<std::size_t>(place.field)] = edit;
        if (isInputField(place.field))
            connect(edit, &QLineEdit::textChanged, this, &MainWindow::runCalculate);
    }

    m_textScrollBox = new QPlainTextEdit(client);
    m_textScrollBox->setObjectName(QStringLiteral("TextScrollBox"));
    m_textScrollBox->setAccessibleName(QStringLiteral("Instrument Log"));
    m_textScrollBox->setGeometry(twipsRect(120, 6240, 4452, 732));
    m_textScrollBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_textScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_textScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_textScrollBox->setTabChangesFocus(true);
    // Appends come from the instrument; an undo history of them would only grow.
    m_textScrollBox->setUndoRedoEnabled(false);

    for (const auto &[labelName, buddyName] : kBuddies) {
        auto *label = client->findChild<QLabel *>(QString::fromLatin1(labelName));
        auto *buddy = client->findChild<QWidget *>(QString::fromLatin1(buddyName));
        label->setBuddy(buddy);
    }
}

void MainWindow::buildMenus()
{
    const auto addAction = [this](QMenu *menu, const char *name, const char *caption,
                                  void (MainWindow::*handler)()) {
        QAction *action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    m_mnuFileRead = addAction(file, "mnuFileRead", "&Read", &MainWindow::mnuFileRead_Click);
    m_mnuFileLton = addAction(file, "mnuFileLton", "Light &On", &MainWindow::mnuFileLton_Click);
    m_mnuFileLtoff
        = addAction(file, "mnuFileLtoff", "Light O&ff", &MainWindow::mnuFileLtoff_Click);
    file->addSeparator()->setObjectName(QStringLiteral("mnuFileSep1"));
    m_mnuFilePrtsetup
        = addAction(file, "mnuFilePrtsetup", "Print &Setup", &MainWindow::mnuFilePrtsetup_Click);
    m_mnuFilePrint = addAction(file, "mnuFilePrint", "&Print", &MainWindow::mnuFilePrint_Click);
    file->addSeparator()->setObjectName(QStringLiteral("mnuFileSep2"));
    m_mnuFileExit = addAction(file, "mnuFileExit", "E&xit", &MainWindow::mnuFileExit_Click);

    QMenu *settings = menuBar()->addMenu(QStringLiteral("&Settings"));
    settings->setObjectName(QStringLiteral("mnuSettings"));
    void (MainWindow::*const commHandlers[])()
        = {&MainWindow::mnuSettingsComm1_Click, &MainWindow::mnuSettingsComm2_Click,
           &MainWindow::mnuSettingsComm3_Click, &MainWindow::mnuSettingsComm4_Click};
    for (std::size_t i = 0; i < m_mnuSettingsComm.size(); ++i) {
        const QByteArray name = "mnuSettingsComm" + QByteArray::number(qsizetype(i + 1));
        const QByteArray caption = "Comm " + QByteArray::number(qsizetype(i + 1));
        m_mnuSettingsComm[i]
            = addAction(settings, name.constData(), caption.constData(), commHandlers[i]);
        m_mnuSettingsComm[i]->setCheckable(true);
    }
    m_mnuSettingsComm[0]->setChecked(true);
    settings->addSeparator()->setObjectName(QStringLiteral("mnuSettingsSep1"));
    m_mnuSettingsConnect = addAction(settings, "mnuSettingsConnect", "&Connect",
                                     &MainWindow::mnuSettingsConnect_Click);
}

void MainWindow::setTabOrderChain()
{
    QWidget *const chain[] = {m_fields[size_t(Field::Con)],
                              m_cmdDnload,
                              m_cmdLtOn,
                              m_textScrollBox,
                              m_cmdLtOff,
                              m_printButton,
                              m_fields[size_t(Field::GFV)],
                              m_fields[size_t(Field::TotalDose)],
                              m_fields[size_t(Field::MinExt)],
                              m_fields[size_t(Field::MaxCon)],
                              m_fields[size_t(Field::Motility)],
                              m_fields[size_t(Field::SemenVol)],
                              m_fields[size_t(Field::ExtVol)],
                              m_fields[size_t(Field::VPD)],
                              m_fields[size_t(Field::NumDoses)],
                              m_date,
                              m_prtSetup,
                              m_connect,
                              m_comPort,
                              m_text1};
    for (std::size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

// Start-up, before the window is first shown.
void MainWindow::Form_Initialize()
{
    mnuSettingsComm1_Click();
    m_fields[size_t(Field::Con)]->setText(QString());
    m_link->applyLineSettings();
}

bool MainWindow::Form_QueryUnload()
{
    return true; // every close is granted, connected or not, busy or not
}

void MainWindow::Form_Unload()
{
    m_link->shutdown();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!Form_QueryUnload()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
    emit unloaded();
}

void MainWindow::cmdDnload_Click()
{
    m_link->read();
}

void MainWindow::cmdLtOn_Click()
{
    m_link->lightOn();
}

void MainWindow::cmdLtOff_Click()
{
    m_link->lightOff();
}

void MainWindow::Connect_Click()
{
    mnuSettingsConnect_Click();
}

void MainWindow::PrintButton_Click()
{
    const PrintOutcome outcome = m_printer->printWindow(this);
    if (!outcome.ok())
        showError(kPlainTitle, QStringLiteral("Error: Could not print."), outcome.detail);
}

void MainWindow::PrtSetup_Click()
{
    m_printer->openPrinterSetup(this);
}

void MainWindow::mnuFileRead_Click()
{
    cmdDnload_Click();
}

void MainWindow::mnuFileLton_Click()
{
    cmdLtOn_Click();
}

void MainWindow::mnuFileLtoff_Click()
{
    cmdLtOff_Click();
}

void MainWindow::mnuFilePrtsetup_Click()
{
    PrtSetup_Click();
}

void MainWindow::mnuFilePrint_Click()
{
    PrintButton_Click();
}

void MainWindow::mnuFileExit_Click()
{
    close();
}

void MainWindow::mnuSettingsComm1_Click()
{
    chooseMenuPort(1);
}

void MainWindow::mnuSettingsComm2_Click()
{
    chooseMenuPort(2);
}

void MainWindow::mnuSettingsComm3_Click()
{
    chooseMenuPort(3);
}

void MainWindow::mnuSettingsComm4_Click()
{
    chooseMenuPort(4);
}

void MainWindow::chooseMenuPort(int number)
{
    for (std::size_t i = 0; i < m_mnuSettingsComm.size(); ++i)
        m_mnuSettingsComm[i]->setChecked(int(i) + 1 == number);
    m_comPort->setEditText(QString::number(number));
}

void MainWindow::mnuSettingsConnect_Click()
{
    m_link->connectOrDisconnect();
}

// The marks mirror the text exactly: " 2", "02" or "2.0" mark nothing.
void MainWindow::ComPort_Change()
{
    m_comPort->setToolTip(m_comPort->currentText()); // a device path is longer than the box
    for (std::size_t i = 0; i < m_mnuSettingsComm.size(); ++i)
        m_mnuSettingsComm[i]->setChecked(m_comPort->currentText()
                                         == QString::number(qsizetype(i + 1)));
}

void MainWindow::DisableCommands()
{
    m_cmdDnload->setEnabled(false);
    m_cmdLtOn->setEnabled(false);
    m_cmdLtOff->setEnabled(false);
    m_mnuFileRead->setEnabled(false);
    m_mnuFileLton->setEnabled(false);
    m_mnuFileLtoff->setEnabled(false);
}

void MainWindow::EnableCommands()
{
    m_cmdDnload->setEnabled(true);
    m_mnuFileExit->setEnabled(true);
    m_cmdLtOn->setEnabled(true);
    m_cmdLtOff->setEnabled(true);
    m_mnuFileRead->setEnabled(true);
    m_mnuFileLton->setEnabled(true);
    m_mnuFileLtoff->setEnabled(true);
}

void MainWindow::runCalculate()
{
    Calculate(*m_sheet);
}

void MainWindow::showError(const QString &title, const QString &message, const QString &detail)
{
    // Window-modal and non-blocking: a reading or a connection wait goes on behind it.
    auto *box = new QMessageBox(QMessageBox::Warning, title, message, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("errorBox"));
    box->setInformativeText(detail);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QString MainWindow::portText() const
{
    return m_comPort->currentText();
}

QString MainWindow::connectCaption() const
{
    return m_mnuSettingsConnect->text();
}

void MainWindow::setConnectCaption(const QString &caption)
{
    m_mnuSettingsConnect->setText(caption);
    m_connect->setText(caption);
}

void MainWindow::setConnectEnabled(bool enabled)
{
    m_mnuSettingsConnect->setEnabled(enabled);
    m_connect->setEnabled(enabled);
}

void MainWindow::setPortChoiceEnabled(bool enabled)
{
    for (QAction *entry : m_mnuSettingsComm)
        entry->setEnabled(enabled);
    m_comPort->setEnabled(enabled);
}

void MainWindow::setExitEnabled(bool enabled)
{
    m_mnuFileExit->setEnabled(enabled);
}

void MainWindow::setTitle(const QString &title)
{
    setWindowTitle(title);
}

void MainWindow::disableCommands()
{
    DisableCommands();
}

void MainWindow::enableCommands()
{
    EnableCommands();
}

void MainWindow::appendLog(const QString &text)
{
    QTextCursor end(m_textScrollBox->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
}

void MainWindow::replaceLog(const QString &text)
{
    m_textScrollBox->setPlainText(text);
}

void MainWindow::setConcentration(const QString &text)
{
    m_sheet->setText(Field::Con, text.toStdString());
}

void MainWindow::setDate(const QString &text)
{
    m_sheet->setText(Field::Date, text.toStdString());
}

void MainWindow::calculate()
{
    runCalculate();
}

void MainWindow::showLinkError(const QString &message, const QString &detail)
{
    showError(kLinkErrorTitle, message, detail);
}

} // namespace estrivo
