#include "main_window.h"

#include "caption_button.h"
#include "client_area.h"
#include "extension_calc.h"
#include "guidance.h"
#include "port_combo_box.h"
#include "qt_serial_port.h"
#include "snapshot_print.h"
#include "twips.h"

#include <QAction>
#include <QBuffer>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
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

const QString kPlainTitle = QStringLiteral("Estrivo (tm)");
const QString kConnectedTitle = QStringLiteral("Estrivo (tm) [Connected]");
const QString kConnectCaption = QStringLiteral("&Connect");
const QString kDisconnectCaption = QStringLiteral("&Disconnect");
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
            return m_window.m_notes->toPlainText().toStdString();
        return m_window.m_fields[index(field)]->text().toStdString();
    }

    void setText(Field field, std::string_view text) override
    {
        const QString value = QString::fromUtf8(text.data(), qsizetype(text.size()));
        if (field == Field::Text1) {
            m_window.m_notes->setPlainText(value);
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
    , m_link(std::make_unique<InstrumentLink>(port ? std::move(port) : makeSystemSerialPort()))
    , m_printer(new SnapshotPrinter(this))
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

    connect(m_link.get(), &InstrumentLink::stateChanged, this, &MainWindow::showLinkState);
    connect(m_link.get(), &InstrumentLink::commandsAvailableChanged, this,
            &MainWindow::offerCommands);
    connect(m_link.get(), &InstrumentLink::logReset, m_log, &QPlainTextEdit::setPlainText);
    connect(m_link.get(), &InstrumentLink::logAppended, this, &MainWindow::appendLog);
    connect(m_link.get(), &InstrumentLink::readingStarted, m_fields[size_t(Field::Con)],
            &QLineEdit::clear);
    connect(m_link.get(), &InstrumentLink::readingStarted, this,
            [this] { m_readingShown.reset(); });
    connect(m_link.get(), &InstrumentLink::readingTaken, this, &MainWindow::showReading);
    connect(m_link.get(), &InstrumentLink::readingTaken, this, &MainWindow::keepReading);
    connect(m_link.get(), &InstrumentLink::failed, this, &MainWindow::showLinkFailure);

    // Start-up: port 1, an empty concentration (which computes the sheet once), and the
    // line settings on the closed port.
    chooseNumberedPort(1);
    m_fields[size_t(Field::Con)]->setText(QString());
    m_link->applyLineSettings();
    // Until the link first offers or withdraws them, the buttons wait for a connection while
    // the File menu's entries are there to be chosen (and say what is missing).
    for (QPushButton *button : {m_read, m_lightOn, m_lightOff})
        button->setEnabled(false);
    m_fields[size_t(Field::Con)]->setFocus();
}

// The link closes the port as it goes; the members' types are complete only here.
MainWindow::~MainWindow() = default;

InstrumentLink &MainWindow::link()
{
    return *m_link;
}

void MainWindow::choosePort(const QString &text)
{
    m_comPort->setEditText(text);
}

void MainWindow::setJournal(JournalService *journal)
{
    if (m_journal)
        m_journal->disconnect(this);
    m_journal = journal;
    if (journal)
        connect(journal, &JournalService::saveFailed, this, &MainWindow::showJournalFailure);
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
    connect(m_comPort, &QComboBox::editTextChanged, this, &MainWindow::markChosenPort);

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
    m_read = addButton("cmdDnload", "Read", twipsRect(1920, 120, 1095, 375));
    m_lightOn = addButton("cmdLtOn", "Light On", twipsRect(1920, 600, 492, 375));
    m_lightOff = addButton("cmdLtOff", "Light Off", twipsRect(2520, 600, 492, 375));
    m_printerSetup = addButton("PrtSetup", "Printer Setup", twipsRect(3360, 120, 1092, 372));
    m_print = addButton("PrintButton", "Print", twipsRect(3600, 600, 612, 372));
    InstrumentLink *link = m_link.get();
    connect(m_connect, &QPushButton::clicked, this, &MainWindow::toggleConnection);
    connect(m_read, &QPushButton::clicked, link, &InstrumentLink::read);
    connect(m_lightOn, &QPushButton::clicked, link, &InstrumentLink::lightOn);
    connect(m_lightOff, &QPushButton::clicked, link, &InstrumentLink::lightOff);
    connect(m_printerSetup, &QPushButton::clicked, this, &MainWindow::openPrinterSetup);
    connect(m_print, &QPushButton::clicked, this, &MainWindow::print);

    m_notes = new QPlainTextEdit(client);
    m_notes->setObjectName(QStringLiteral("Text1"));
    m_notes->setAccessibleName(QStringLiteral("Stallion Name & Notes"));
    m_notes->setGeometry(twipsRect(1320, 1200, 3252, 492));
    m_notes->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_notes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_notes->setTabChangesFocus(true);

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
            connect(edit, &QLineEdit::textChanged, this, &MainWindow::calculate);
        else
            edit->installEventFilter(this); // a result shows its leading digits, see there
    }

    m_log = new QPlainTextEdit(client);
    m_log->setObjectName(QStringLiteral("TextScrollBox"));
    m_log->setAccessibleName(QStringLiteral("Instrument Log"));
    m_log->setGeometry(twipsRect(120, 6240, 4452, 732));
    m_log->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_log->setTabChangesFocus(true);
    // Appends come from the instrument; an undo history of them would only grow.
    m_log->setUndoRedoEnabled(false);

    for (const auto &[labelName, buddyName] : kBuddies) {
        auto *label = client->findChild<QLabel *>(QString::fromLatin1(labelName));
        auto *buddy = client->findChild<QWidget *>(QString::fromLatin1(buddyName));
        label->setBuddy(buddy);
    }
}

void MainWindow::buildMenus()
{
    const auto addAction = [](QMenu *menu, const char *name, const char *caption) {
        QAction *action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    InstrumentLink *link = m_link.get();

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    m_readAction = addAction(file, "mnuFileRead", "&Read");
    connect(m_readAction, &QAction::triggered, link, &InstrumentLink::read);
    m_lightOnAction = addAction(file, "mnuFileLton", "Light &On");
    connect(m_lightOnAction, &QAction::triggered, link, &InstrumentLink::lightOn);
    m_lightOffAction = addAction(file, "mnuFileLtoff", "Light O&ff");
    connect(m_lightOffAction, &QAction::triggered, link, &InstrumentLink::lightOff);
    file->addSeparator()->setObjectName(QStringLiteral("mnuFileSep1"));
    connect(addAction(file, "mnuFilePrtsetup", "Print &Setup"), &QAction::triggered, this,
            &MainWindow::openPrinterSetup);
    connect(addAction(file, "mnuFilePrint", "&Print"), &QAction::triggered, this,
            &MainWindow::print);
    file->addSeparator()->setObjectName(QStringLiteral("mnuFileSep2"));
    connect(addAction(file, "mnuFileExit", "E&xit"), &QAction::triggered, this, &QWidget::close);

    QMenu *settings = menuBar()->addMenu(QStringLiteral("&Settings"));
    settings->setObjectName(QStringLiteral("mnuSettings"));
    for (int number = 1; number <= kNumberedPorts; ++number) {
        const QByteArray name = "mnuSettingsComm" + QByteArray::number(number);
        const QByteArray caption = "Comm " + QByteArray::number(number);
        QAction *action = addAction(settings, name.constData(), caption.constData());
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, number] { chooseNumberedPort(number); });
        m_portActions[size_t(number - 1)] = action;
    }
    settings->addSeparator()->setObjectName(QStringLiteral("mnuSettingsSep1"));
    m_connectAction = addAction(settings, "mnuSettingsConnect", "&Connect");
    connect(m_connectAction, &QAction::triggered, this, &MainWindow::toggleConnection);
}

void MainWindow::setTabOrderChain()
{
    QWidget *const chain[] = {m_fields[size_t(Field::Con)],
                              m_read,
                              m_lightOn,
                              m_log,
                              m_lightOff,
                              m_print,
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
                              m_printerSetup,
                              m_connect,
                              m_comPort,
                              m_notes};
    for (std::size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Every close is granted, connected or not, busy or not.
    m_link->shutdown();
    event->accept();
    emit closed();
}

// The connection command connects or disconnects as the link stands, never by its caption.
void MainWindow::toggleConnection()
{
    if (m_link->state() == InstrumentLink::State::Disconnected)
        m_link->connectToInstrument(m_comPort->currentText());
    else if (m_link->isConnected())
        m_link->disconnectFromInstrument();
}

// Every print is kept in the journal, saved before the job goes out and whatever becomes of
// it, with the very picture that is printed.
bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Tab into a long result scrolls it to its last digits; leaving it, it shows the leading
    // ones again, as it did before, so "5291" of 6.2336... is never what is read.
    if (event->type() == QEvent::FocusOut) {
        if (auto *edit = qobject_cast<QLineEdit *>(watched))
            edit->setCursorPosition(0);
    }
    return QMainWindow::eventFilter(watched, event);
}

// The picture printed and kept shows each result from its leading digits, unselected, also
// the one that has the focus; the box is as it was again right after.
QImage MainWindow::pictureForPrint()
{
    struct Kept
    {
        QLineEdit *edit;
        int cursor;
        int selectionStart;
        int selectionLength;
    };
    std::vector<Kept> kept;
    for (const Field field : kAllFields) {
        QLineEdit *edit = m_fields[size_t(field)];
        if (!edit || edit == m_date || isInputField(field))
            continue;
        kept.push_back({edit, edit->cursorPosition(), edit->selectionStart(),
                        int(edit->selectedText().size())});
        edit->deselect();
        edit->setCursorPosition(0);
    }
    const QImage picture = snapshotWindow(this);
    for (const Kept &box : kept) {
        if (box.selectionStart < 0)
            box.edit->setCursorPosition(box.cursor);
        else if (box.cursor == box.selectionStart) // selected leftwards
            box.edit->setSelection(box.selectionStart + box.selectionLength, -box.selectionLength);
        else
            box.edit->setSelection(box.selectionStart, box.selectionLength);
    }
    return picture;
}

void MainWindow::print()
{
    const QImage picture = pictureForPrint();
    keepSheet(picture);
    const PrintOutcome outcome = m_printer->printSnapshot(this, picture);
    if (m_journal)
        m_journal->recordPrintOutcome(outcome.ok(), m_printer->targetName());
    if (!outcome.ok())
        showError(kPlainTitle, QStringLiteral("Error: Could not print."), outcome.detail);
}

void MainWindow::keepSheet(const QImage &picture)
{
    if (!m_journal)
        return;
    SheetRecord sheet;
    for (const Field field : kAllFields)
        sheet.text(field) = QString::fromStdString(m_sheet->text(field));
    const StallionAndNotes split = splitStallionAndNotes(sheet.text(Field::Text1));
    sheet.stallion = split.stallion;
    sheet.notes = split.notes;
    sheet.savedAt = QDateTime::currentDateTimeUtc();
    sheet.programVersion = QCoreApplication::applicationVersion();
    sheet.printer = m_printer->targetName();
    // Encoded before the print goes out: the sheet is on the disk, picture and all, first.
    auto encode = [picture] {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        return png;
    };
    const qsizetype boxSize = sheet.text(Field::Text1).size();
    if (m_readingShown && *m_readingShown == sheet.text(Field::Con))
        m_journal->saveSheetLinkedToLastReading(std::move(sheet), std::move(encode));
    else
        m_journal->saveSheet(std::move(sheet), std::move(encode));
    if (boxSize > kNameBoxKept) {
        // The print shows it all; the journal keeps a sensible part, and says so.
        auto *box = new QMessageBox(
            QMessageBox::Information, kPlainTitle,
            tr("The journal keeps the first %L1 characters of the stallion name & notes.")
                .arg(kNameBoxKept),
            QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("nameBoxCut"));
        box->setInformativeText(
            tr("This sheet's box holds %L1 characters; the rest is on the printed sheet only.")
                .arg(boxSize));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
}

void MainWindow::keepReading(const Reading &reading)
{
    m_readingShown = reading.value;
    if (m_journal)
        m_journal->saveReading(
            {0, reading.takenAt.toUTC(), reading.port, reading.reply, reading.value, {}});
}

void MainWindow::showJournalFailure(const JournalError &error, JournalService::Subject subject)
{
    const QString message = subject == JournalService::Subject::Reading
                                ? QStringLiteral("Error: Could not save the reading.")
                                : QStringLiteral("Error: Could not save the sheet.");
    const QString where = m_journal ? displayLocation(m_journal->location()) : QString();
    // Nothing is lost meanwhile: what the journal did not take waits on this computer.
    const QString kept = subject == JournalService::Subject::Reading
                             ? tr("The reading is kept on this computer and will be saved to "
                                  "the journal when it answers.")
                             : tr("The sheet is kept on this computer and will be saved to the "
                                  "journal when it answers.");
    if (m_journal && !m_journal->lastSaveKept(subject))
        showError(kPlainTitle, message,
                  QStringLiteral("%1\n\nJournal: %2").arg(error.reason, where));
    else
        showError(kPlainTitle, message,
                  QStringLiteral("%1\n\n%2\n\nJournal: %3").arg(error.reason, kept, where));
}

void MainWindow::openPrinterSetup()
{
    m_printer->openPrinterSetup(this);
}

void MainWindow::chooseNumberedPort(int number)
{
    m_comPort->setEditText(QString::number(number));
    markChosenPort(); // the text may have been this number already
}

// The marks mirror the text exactly: " 2", "02" or "2.0" mark nothing.
void MainWindow::markChosenPort()
{
    const QString text = m_comPort->currentText();
    m_comPort->setToolTip(text); // a device path is longer than the box
    for (std::size_t i = 0; i < m_portActions.size(); ++i)
        m_portActions[i]->setChecked(text == QString::number(qsizetype(i + 1)));
}

// What the window shows of the link, derived from its state in this one place.
void MainWindow::showLinkState()
{
    using State = InstrumentLink::State;
    const State state = m_link->state();
    // The greeting wait leaves the title and the captions as they were.
    if (state != State::Connecting) {
        const bool connected = m_link->isConnected();
        setWindowTitle(connected ? kConnectedTitle : kPlainTitle);
        const QString caption = connected ? kDisconnectCaption : kConnectCaption;
        m_connectAction->setText(caption);
        m_connect->setText(caption);
    }
    const bool canToggle = state != State::Connecting;
    m_connectAction->setEnabled(canToggle);
    m_connect->setEnabled(canToggle);

    const bool portChoice = state == State::Disconnected;
    for (QAction *action : m_portActions)
        action->setEnabled(portChoice);
    m_comPort->setEnabled(portChoice);
}

void MainWindow::offerCommands(bool available)
{
    for (QPushButton *button : {m_read, m_lightOn, m_lightOff})
        button->setEnabled(available);
    for (QAction *action : {m_readAction, m_lightOnAction, m_lightOffAction})
        action->setEnabled(available);
}

void MainWindow::showReading(const Reading &reading)
{
    m_sheet->setText(Field::Con, reading.value.toStdString());
    m_sheet->setText(Field::Date,
                     generalDateText(reading.takenAt, QLocale::system()).toStdString());
    calculate();
}

// The link reports facts; the window's own sentences about them are worded here, in the window's
// translation context. The title and messages are the sheet window's and stay as they are. Why a
// port text names no port, or a port would not open, comes worded by the port rules and the port
// themselves, which know the platform's remedies.
void MainWindow::showLinkFailure(const LinkError &error)
{
    using Kind = LinkError::Kind;
    QString message;
    QString detail;
    switch (error.kind) {
    case Kind::NoSuchPort:
    case Kind::PortRefused:
        message = tr("Error: Could not connect.");
        detail = error.reason;
        break;
    case Kind::NoGreeting:
        message = tr("Error: Could not connect.");
        detail = tr("The instrument on %1 did not answer within %2 s. Check that it is switched "
                    "on and that its cable is on this port.")
                     .arg(error.port,
                          QLocale::system().toString(double(error.waited.count()) / 1000.0));
        break;
    case Kind::StillConnecting:
        message = tr("Error: Not connected.");
        detail = tr("Still connecting to the instrument on %1. Wait until the title shows "
                    "[Connected], then choose the command again.")
                     .arg(error.port);
        break;
    case Kind::NotConnected:
        message = tr("Error: Not connected.");
        detail = tr("Connect to the instrument first (Settings, Connect).");
        break;
    case Kind::ConnectionLost:
        message = tr("Error: Connection lost.");
        detail = tr("%1: %2. Check the cable and, for a USB adapter, that it is still plugged "
                    "in.")
                     .arg(error.port, error.reason);
        break;
    }
    showError(tr("PC-to-Stamp Comm"), message, detail);
}

void MainWindow::appendLog(const QString &text)
{
    QTextCursor end(m_log->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
}

void MainWindow::calculate()
{
    Calculate(*m_sheet);
    showGuidance();
}

// Why the results came out as they did, and what looks wrong, go into the fields' tooltips,
// which Qt also gives screen readers as the fields' descriptions; nothing on the sheet moves.
void MainWindow::showGuidance()
{
    const SheetGuidance guidance = explainSheet(*m_sheet);
    for (const Field field : kAllFields) {
        if (QLineEdit *edit = m_fields[size_t(field)]; edit && edit != m_date)
            edit->setToolTip(QString::fromStdString(toolTipFor(guidance, field)));
    }
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

} // namespace estrivo
