#include "tanks_dialog.h"

#include "frozen_ui.h"
#include "journal_service.h"
#include "records_text.h"
#include "register_ui.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace estrivo {

namespace {

constexpr int kMaxCanisters = 99;
constexpr double kMaxLevelCm = 200.0;

enum TankColumn {
    NameColumn,
    LocationColumn,
    CanistersColumn,
    LastCheckColumn,
    LevelColumn,
    StateColumn,
    TankColumns
};

QDoubleSpinBox *newCm(const QString &name)
{
    auto *box = new QDoubleSpinBox;
    box->setObjectName(name);
    box->setLocale(QLocale::c());
    box->setRange(0, kMaxLevelCm);
    box->setDecimals(1);
    box->setSuffix(QStringLiteral(" cm"));
    return box;
}

QString timeText(const QDateTime &at)
{
    return at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QDialogButtonBox *newButtons(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

// --- TankEditDialog

TankEditDialog::TankEditDialog(JournalService *journal, Tank tank, QWidget *parent)
    : QDialog(parent)
    , m_journal(journal)
    , m_tank(std::move(tank))
{
    setObjectName(QStringLiteral("tankEditDialog"));
    setWindowTitle(m_tank.id == 0 ? RecordsText::tr("Add a Tank")
                                  : RecordsText::tr("Tank %1").arg(shownText(m_tank.name, 40)));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    m_name = new QLineEdit(m_tank.name);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setMaxLength(80);
    form->addRow(RecordsText::tr("&Name:"), m_name);
    m_location = new QLineEdit(m_tank.location);
    m_location->setObjectName(QStringLiteral("location"));
    m_location->setMaxLength(200);
    form->addRow(RecordsText::tr("&Where it stands:"), m_location);
    m_canisters = new QSpinBox;
    m_canisters->setObjectName(QStringLiteral("canisters"));
    m_canisters->setRange(1, kMaxCanisters);
    m_canisters->setValue(std::clamp(m_tank.canisters, 1, kMaxCanisters));
    form->addRow(RecordsText::tr("&Canisters:"), m_canisters);
    m_minimum = newCm(QStringLiteral("minimumLevel"));
    m_minimum->setValue(m_tank.minimumLevelCm);
    m_minimum->setToolTip(RecordsText::tr("Below this level of liquid nitrogen the straws are "
                                          "at risk."));
    form->addRow(RecordsText::tr("&Lowest safe level:"), m_minimum);
    connect(m_name, &QLineEdit::textChanged, this, &TankEditDialog::check);
    m_problem = newProblemLabel();
    layout->addWidget(m_problem);
    m_buttons = newButtons(this);
    layout->addWidget(m_buttons);
    check();
}

Tank TankEditDialog::tank() const
{
    Tank tank = m_tank;
    tank.name = m_name->text().simplified();
    tank.location = m_location->text().trimmed();
    tank.canisters = m_canisters->value();
    tank.minimumLevelCm = m_minimum->value();
    return tank;
}

QString TankEditDialog::problem() const
{
    if (tank().name.isEmpty())
        return RecordsText::tr("Name the tank, as it is marked.");
    return {};
}

void TankEditDialog::check()
{
    const QString why = m_busy ? RecordsText::tr("Keeping it in the journal...") : problem();
    m_problem->setText(why);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(why.isEmpty());
}

void TankEditDialog::accept()
{
    if (m_busy || !m_journal || !problem().isEmpty())
        return;
    m_busy = true;
    check();
    const Tank wanted = tank();
    whenReady(m_journal->run<JournalReply<Tank>>([wanted](Journal &journal) {
        JournalReply<Tank> reply;
        reply.value = wanted;
        reply.error
            = wanted.id == 0 ? journal.addTank(reply.value) : journal.updateTank(reply.value);
        return reply;
    }),
              this, [this](const JournalReply<Tank> &reply) {
                  m_busy = false;
                  check();
                  if (!reply.ok()) {
                      showJournalProblem(this, windowTitle(), reply.error);
                      return;
                  }
                  emit saved(reply.value);
                  QDialog::accept();
              });
}

// --- TankCheckDialog

TankCheckDialog::TankCheckDialog(JournalService *journal, Tank tank, QWidget *parent)
    : QDialog(parent)
    , m_journal(journal)
    , m_tank(std::move(tank))
{
    setObjectName(QStringLiteral("tankCheckDialog"));
    setWindowTitle(RecordsText::tr("Level Check of %1").arg(shownText(m_tank.name, 40)));
    auto *layout = new QVBoxLayout(this);
    auto *last = newProblemLabel();
    last->setObjectName(QStringLiteral("lastCheck"));
    last->setText(m_tank.lastCheckAt.isValid()
                      ? RecordsText::tr("Last checked %1: %2 cm.")
                            .arg(timeText(m_tank.lastCheckAt), numberText(m_tank.lastLevelCm))
                      : RecordsText::tr("Never checked yet."));
    layout->addWidget(last);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    m_level = newCm(QStringLiteral("level"));
    m_level->setValue(m_tank.lastLevelCm);
    form->addRow(RecordsText::tr("&Level:"), m_level);
    m_refilled = new QCheckBox(RecordsText::tr("&Refilled with this check"));
    m_refilled->setObjectName(QStringLiteral("refilled"));
    form->addRow(QString(), m_refilled);
    m_note = new QLineEdit;
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setMaxLength(200);
    form->addRow(RecordsText::tr("&Note:"), m_note);
    m_problem = newProblemLabel();
    layout->addWidget(m_problem);
    m_buttons = newButtons(this);
    layout->addWidget(m_buttons);
    connect(m_level, &QDoubleSpinBox::valueChanged, this, &TankCheckDialog::showState);
    showState();
}

TankCheck TankCheckDialog::check() const
{
    TankCheck check;
    check.tankId = m_tank.id;
    check.levelCm = m_level->value();
    check.refilled = m_refilled->isChecked();
    check.note = m_note->text().trimmed();
    return check;
}

void TankCheckDialog::showState()
{
    // A low level is kept all the same: the record of it is what matters then.
    m_problem->setText(m_busy ? RecordsText::tr("Keeping it in the journal...")
                       : m_level->value() < m_tank.minimumLevelCm
                           ? RecordsText::tr("Below the lowest safe level of %1 cm: refill "
                                             "the tank.")
                                 .arg(numberText(m_tank.minimumLevelCm))
                           : QString());
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!m_busy);
}

void TankCheckDialog::accept()
{
    if (m_busy || !m_journal)
        return;
    m_busy = true;
    showState();
    const TankCheck wanted = check();
    whenReady(m_journal->run<JournalReply<TankCheck>>([wanted](Journal &journal) {
        JournalReply<TankCheck> reply;
        reply.value = wanted;
        reply.error = journal.recordTankCheck(reply.value);
        return reply;
    }),
              this, [this](const JournalReply<TankCheck> &reply) {
                  m_busy = false;
                  showState();
                  if (!reply.ok()) {
                      showJournalProblem(this, windowTitle(), reply.error);
                      return;
                  }
                  emit recorded(reply.value);
                  QDialog::accept();
              });
}

// --- TanksDialog

TanksDialog::TanksDialog(JournalService *journal, QWidget *parent)
    : QDialog(parent)
    , m_journal(journal)
{
    setObjectName(QStringLiteral("tanksDialog"));
    setWindowTitle(RecordsText::tr("Tanks"));
    auto *layout = new QVBoxLayout(this);
    m_list = new QTableWidget(0, TankColumns);
    m_list->setObjectName(QStringLiteral("tanks"));
    m_list->setAccessibleName(RecordsText::tr("Tanks"));
    m_list->setHorizontalHeaderLabels({RecordsText::tr("Tank"), RecordsText::tr("Where"),
                                       RecordsText::tr("Canisters"), RecordsText::tr("Last check"),
                                       RecordsText::tr("Level (cm)"), RecordsText::tr("Care")});
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    connect(m_list, &QTableWidget::itemSelectionChanged, this, [this] {
        updateButtons();
        readChecks();
    });
    layout->addWidget(m_list, 2);

    auto *buttons = new QHBoxLayout;
    auto *add = new QPushButton(RecordsText::tr("&Add Tank..."));
    add->setObjectName(QStringLiteral("addTank"));
    connect(add, &QPushButton::clicked, this, [this] { openTankDialog(true); });
    m_edit = new QPushButton(RecordsText::tr("&Edit..."));
    m_edit->setObjectName(QStringLiteral("editTank"));
    connect(m_edit, &QPushButton::clicked, this, [this] { openTankDialog(false); });
    m_check = new QPushButton(RecordsText::tr("Record Level &Check..."));
    m_check->setObjectName(QStringLiteral("checkTank"));
    connect(m_check, &QPushButton::clicked, this, &TanksDialog::openCheckDialog);
    buttons->addWidget(add);
    buttons->addWidget(m_edit);
    buttons->addWidget(m_check);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    m_note = newProblemLabel();
    m_note->setObjectName(QStringLiteral("note"));
    layout->addWidget(m_note);

    m_checks = new QTableWidget(0, 5);
    m_checks->setObjectName(QStringLiteral("checks"));
    m_checks->setAccessibleName(RecordsText::tr("Level checks"));
    m_checks->setHorizontalHeaderLabels({RecordsText::tr("Checked"), RecordsText::tr("Level (cm)"),
                                         RecordsText::tr("Refilled"), RecordsText::tr("Note"),
                                         RecordsText::tr("Operator")});
    m_checks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_checks->verticalHeader()->hide();
    m_checks->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_checks, 1);
    auto *close = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(close);
    resize(720, 520);
    updateButtons();
    reread();
}

qint64 TanksDialog::chosenTank() const
{
    const QList<QTableWidgetItem *> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return 0;
    return m_list->item(selected.front()->row(), NameColumn)->data(Qt::UserRole).toLongLong();
}

void TanksDialog::chooseTank(qint64 id)
{
    for (int row = 0; row < m_list->rowCount(); ++row) {
        if (m_list->item(row, NameColumn)->data(Qt::UserRole).toLongLong() == id) {
            m_list->selectRow(row);
            return;
        }
    }
    m_list->clearSelection();
}

void TanksDialog::reread()
{
    if (!m_journal)
        return;
    const quint64 request = ++m_request;
    whenReady(m_journal->run<Read>([](Journal &journal) {
        Read read;
        read.tanks.value = journal.tanks();
        read.tanks.error = journal.lastError();
        read.now = QDateTime::currentDateTimeUtc();
        return read;
    }),
              this, [this, request](const Read &read) {
                  if (request == m_request)
                      showTanks(read);
              });
}

void TanksDialog::showTanks(const Read &read)
{
    if (!read.tanks.ok()) {
        m_note->setText(read.tanks.error.reason);
        return;
    }
    const qint64 chosen
        = m_chooseAfterRead != 0 ? std::exchange(m_chooseAfterRead, 0) : chosenTank();
    m_tanks = read.tanks.value;
    {
        const QSignalBlocker quiet(m_list);
        m_list->setRowCount(int(m_tanks.size()));
        for (int row = 0; row < m_tanks.size(); ++row) {
            const Tank &tank = m_tanks[row];
            QStringList care;
            if (tank.isCheckDue(read.now))
                care << RecordsText::tr("check due");
            if (tank.isLow())
                care << RecordsText::tr("low");
            const QStringList cells{
                shownText(tank.name, 40),
                shownText(tank.location, 40),
                QString::number(tank.canisters),
                tank.lastCheckAt.isValid() ? timeText(tank.lastCheckAt) : RecordsText::tr("never"),
                tank.lastCheckAt.isValid() ? numberText(tank.lastLevelCm) : QString(),
                care.isEmpty() ? RecordsText::tr("fine") : care.join(QStringLiteral(", "))};
            for (int column = 0; column < TankColumns; ++column) {
                auto *item = new QTableWidgetItem(cells[column]);
                if (column == NameColumn)
                    item->setData(Qt::UserRole, tank.id);
                m_list->setItem(row, column, item);
            }
        }
        for (int column = 0; column < TankColumns - 1; ++column) // the last one stretches
            m_list->resizeColumnToContents(column);
        chooseTank(chosen);
    }
    updateButtons();
    readChecks();
    emit tanksShown();
}

void TanksDialog::readChecks()
{
    const qint64 tank = chosenTank();
    const quint64 request = ++m_checksRequest;
    if (tank == 0 || !m_journal) {
        m_checks->setRowCount(0);
        return;
    }
    whenReady(m_journal->run<JournalReply<QList<TankCheck>>>([tank](Journal &journal) {
        JournalReply<QList<TankCheck>> reply;
        reply.value = journal.tankChecks(tank);
        reply.error = journal.lastError();
        return reply;
    }),
              this, [this, request, tank](const JournalReply<QList<TankCheck>> &reply) {
                  if (request != m_checksRequest)
                      return;
                  if (!reply.ok())
                      m_note->setText(reply.error.reason);
                  const QList<TankCheck> &checks = reply.value;
                  m_checks->setRowCount(int(checks.size()));
                  for (int row = 0; row < checks.size(); ++row) {
                      const TankCheck &check = checks[row];
                      const QStringList cells{timeText(check.checkedAt), numberText(check.levelCm),
                                              check.refilled ? RecordsText::tr("yes") : QString(),
                                              shownText(check.note),
                                              shownText(check.operatorName)};
                      for (int column = 0; column < cells.size(); ++column)
                          m_checks->setItem(row, column, new QTableWidgetItem(cells[column]));
                  }
                  m_checks->resizeColumnsToContents();
                  emit checksShown(tank);
              });
}

void TanksDialog::updateButtons()
{
    const bool chosen = chosenTank() != 0;
    m_edit->setEnabled(chosen);
    m_check->setEnabled(chosen);
}

void TanksDialog::openTankDialog(bool add)
{
    Tank tank;
    if (!add) {
        const qint64 id = chosenTank();
        const auto found = std::find_if(m_tanks.cbegin(), m_tanks.cend(),
                                        [id](const Tank &t) { return t.id == id; });
        if (found == m_tanks.cend())
            return;
        tank = *found;
    }
    auto *dialog = new TankEditDialog(m_journal, tank, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &TankEditDialog::saved, this, [this](const Tank &saved) {
        m_chooseAfterRead = saved.id;
        m_note->setText(RecordsText::tr("%1 kept.").arg(shownText(saved.name, 40)));
        emit tanksChanged();
        reread();
    });
    dialog->open();
}

void TanksDialog::openCheckDialog()
{
    const qint64 id = chosenTank();
    const auto found = std::find_if(m_tanks.cbegin(), m_tanks.cend(),
                                    [id](const Tank &t) { return t.id == id; });
    if (found == m_tanks.cend())
        return;
    auto *dialog = new TankCheckDialog(m_journal, *found, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &TankCheckDialog::recorded, this, [this](const TankCheck &check) {
        m_chooseAfterRead = check.tankId;
        m_note->setText(
            RecordsText::tr("Level check kept: %1 cm.").arg(numberText(check.levelCm)));
        emit tanksChanged();
        reread();
    });
    dialog->open();
}

} // namespace estrivo
