// The dialogs that place, move and take out the straws of a freeze batch.
#include "analysis_import.h"
#include "frozen_dialogs.h"
#include "frozen_dialogs_parts.h"
#include "frozen_ui.h"
#include "journal_service.h"
#include "records_text.h"
#include "register_ui.h"
#include "sheet_numbers.h"
#include "straws_per_dose.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QUuid>
#include <QVBoxLayout>

namespace estrivo {

using namespace frozen_form;

// --- StrawsDialog

StrawsDialog::StrawsDialog(JournalService *journal, Form form, FreezeBatch batch, QWidget *parent)
    : QDialog(parent)
    , m_journal(journal)
    , m_form(form)
    , m_batch(std::move(batch))
{
    setObjectName(QStringLiteral("strawsDialog"));
    setWindowTitle(form == Form::Place
                       ? RecordsText::tr("Place Straws of Batch %1").arg(m_batch.id)
                       : RecordsText::tr("Move Straws"));
    auto *layout = new QVBoxLayout(this);
    m_summary = newProblemLabel();
    m_summary->setObjectName(QStringLiteral("summary"));
    layout->addWidget(m_summary);
    auto *fields = new QFormLayout;
    layout->addLayout(fields);
    if (m_form == Form::Move) {
        m_from = new QComboBox;
        m_from->setObjectName(QStringLiteral("from"));
        fields->addRow(RecordsText::tr("&From:"), m_from);
        m_everything = new QCheckBox(RecordsText::tr("&Everything at this position, of every "
                                                     "batch"));
        m_everything->setObjectName(QStringLiteral("everything"));
        fields->addRow(QString(), m_everything);
        // All of this batch's straws there, unless told fewer.
        connect(m_from, &QComboBox::currentIndexChanged, this, &StrawsDialog::fillStraws);
        connect(m_everything, &QCheckBox::toggled, this, &StrawsDialog::check);
    }
    m_to = new PositionPicker;
    m_to->setObjectName(QStringLiteral("to"));
    fields->addRow(RecordsText::tr("&To:"), m_to);
    m_straws = new QSpinBox;
    m_straws->setObjectName(QStringLiteral("straws"));
    m_straws->setRange(0, kMaxStraws);
    fields->addRow(RecordsText::tr("&Straws:"), m_straws);
    connect(m_to, &PositionPicker::changed, this, &StrawsDialog::check);
    connect(m_straws, &QSpinBox::valueChanged, this, &StrawsDialog::check);
    m_problem = newProblemLabel();
    layout->addWidget(m_problem);
    m_buttons = newButtons(this);
    layout->addWidget(m_buttons);
    check();
    if (!m_journal)
        return;
    whenReady(m_journal->run<Read>([](Journal &store) {
        Read read;
        read.tanks = store.tanks();
        read.error = store.lastError();
        for (const Tank &tank : std::as_const(read.tanks))
            read.placements += store.placementsInTank(tank.id);
        return read;
    }),
              this, [this](const Read &read) { showRead(read); });
}

void StrawsDialog::showRead(const Read &read)
{
    m_read = true;
    m_placements = read.placements;
    m_to->setTanks(read.tanks);
    if (m_from) {
        // The batch's own positions, and beside them every other position in use: a bulk
        // move empties a goblet or a cane whatever it holds.
        const QSignalBlocker quiet(m_from);
        QList<StrawPosition> positions;
        for (const Placement &placement : std::as_const(m_placements)) {
            if (placement.straws > 0 && !positions.contains(placement.position)) {
                positions << placement.position;
                QString text = shownPosition(placement.tankName, placement.position);
                qint64 ours = 0;
                qint64 all = 0;
                for (const Placement &other : std::as_const(m_placements)) {
                    if (other.position == placement.position) {
                        all += other.straws;
                        if (other.batchId == m_batch.id)
                            ours += other.straws;
                    }
                }
                m_from->addItem(RecordsText::tr("%1: %2 of this batch, %3 in all")
                                    .arg(text)
                                    .arg(ours)
                                    .arg(all),
                                int(positions.size() - 1));
            }
        }
        m_fromPositions = positions;
        // The batch's own first.
        for (int index = 0; index < m_from->count(); ++index) {
            const StrawPosition &position = m_fromPositions[m_from->itemData(index).toInt()];
            if (std::any_of(m_placements.cbegin(), m_placements.cend(), [&](const Placement &p) {
                    return p.batchId == m_batch.id && p.position == position && p.straws > 0;
                })) {
                m_from->setCurrentIndex(index);
                break;
            }
        }
    }
    if (m_form == Form::Place)
        m_straws->setValue(m_batch.strawsUnplaced);
    else
        fillStraws();
    if (!read.error.ok())
        m_problem->setText(read.error.reason);
    check();
    emit ready();
}

void StrawsDialog::fillStraws()
{
    // All of this batch's straws there, unless told fewer.
    qint64 ours = 0;
    for (const Placement &placement : chosenFrom()) {
        if (placement.batchId == m_batch.id)
            ours += placement.straws;
    }
    m_straws->setValue(int(std::min<qint64>(ours, kMaxStraws)));
    check();
}

QList<Placement> StrawsDialog::chosenFrom() const
{
    QList<Placement> held;
    if (!m_from || m_from->currentIndex() < 0)
        return held;
    const StrawPosition &position = m_fromPositions[m_from->currentData().toInt()];
    for (const Placement &placement : m_placements) {
        if (placement.position == position && placement.straws > 0)
            held << placement;
    }
    return held;
}

void StrawsDialog::choosePosition(const StrawPosition &position)
{
    if (!m_from)
        return;
    const qsizetype at = m_fromPositions.indexOf(position);
    if (at >= 0)
        m_from->setCurrentIndex(m_from->findData(int(at)));
}

QList<StrawMove> StrawsDialog::moves() const
{
    QList<StrawMove> moves;
    const StrawPosition to = m_to->position();
    if (m_form == Form::Place) {
        moves.append({m_batch.id, StrawMoveKind::Placed, std::nullopt, to, m_straws->value()});
        return moves;
    }
    for (const Placement &placement : chosenFrom()) {
        if (m_everything->isChecked())
            moves.append({placement.batchId, StrawMoveKind::Moved, placement.position, to,
                          placement.straws});
        else if (placement.batchId == m_batch.id)
            moves.append(
                {m_batch.id, StrawMoveKind::Moved, placement.position, to, m_straws->value()});
    }
    return moves;
}

QString StrawsDialog::problem() const
{
    if (!m_read)
        return RecordsText::tr("Reading the tanks...");
    const QString where = m_to->problem();
    if (!where.isEmpty())
        return where;
    if (m_form == Form::Place) {
        if (m_batch.strawsUnplaced <= 0)
            return RecordsText::tr("Every straw of this batch is placed.");
        if (m_straws->value() < 1)
            return RecordsText::tr("Give the number of straws.");
        if (m_straws->value() > m_batch.strawsUnplaced)
            return RecordsText::tr("Only %1 of this batch are not placed.")
                .arg(strawsText(m_batch.strawsUnplaced));
        return {};
    }
    const QList<Placement> held = chosenFrom();
    if (held.isEmpty())
        return RecordsText::tr("No straws are placed anywhere yet.");
    if (held.front().position == m_to->position())
        return RecordsText::tr("Choose another position to move them to.");
    if (m_everything->isChecked())
        return {};
    qint64 ours = 0;
    for (const Placement &placement : held) {
        if (placement.batchId == m_batch.id)
            ours += placement.straws;
    }
    if (ours == 0)
        return RecordsText::tr("This batch has no straws there: tick Everything to move what "
                               "the position holds.");
    if (m_straws->value() < 1)
        return RecordsText::tr("Give the number of straws.");
    if (m_straws->value() > ours)
        return RecordsText::tr("Only %1 of this batch are there.").arg(strawsText(ours));
    return {};
}

void StrawsDialog::check()
{
    if (!m_buttons)
        return;
    if (m_straws && m_everything)
        m_straws->setEnabled(!m_everything->isChecked());
    if (m_form == Form::Place)
        m_summary->setText(RecordsText::tr("Batch %1 of %2: %3 not placed.")
                               .arg(m_batch.id)
                               .arg(shownText(m_batch.stallion))
                               .arg(strawsText(m_batch.strawsUnplaced)));
    else
        m_summary->setText(RecordsText::tr("Batch %1 of %2: %3 placed.")
                               .arg(m_batch.id)
                               .arg(shownText(m_batch.stallion))
                               .arg(strawsText(m_batch.strawsStored)));
    showProblem(m_problem, m_buttons,
                m_busy ? RecordsText::tr("Keeping it in the journal...") : problem());
}

void StrawsDialog::accept()
{
    if (m_busy || !m_journal || !problem().isEmpty())
        return;
    m_busy = true;
    check();
    const QList<StrawMove> wanted = moves();
    whenReady(m_journal->run<JournalError>(
                  [wanted](Journal &journal) { return journal.moveStraws(wanted); }),
              this, [this, wanted](const JournalError &error) {
                  m_busy = false;
                  check();
                  if (!error.ok()) {
                      showJournalProblem(this, windowTitle(), error);
                      return;
                  }
                  emit moved(wanted);
                  QDialog::accept();
              });
}

// --- StrawsOutDialog

StrawsOutDialog::StrawsOutDialog(JournalService *journal, Form form, FreezeBatch batch,
                                 QList<Placement> placements, QWidget *parent)
    : QDialog(parent)
    , m_journal(journal)
    , m_form(form)
    , m_batch(std::move(batch))
    , m_placements(std::move(placements))
    , m_uid(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    setObjectName(QStringLiteral("strawsOutDialog"));
    setWindowTitle(form == Form::Dispatch
                       ? RecordsText::tr("Dispatch Straws of Batch %1").arg(m_batch.id)
                       : RecordsText::tr("Use Straws of Batch %1 on the "
                                         "Station")
                             .arg(m_batch.id));
    auto *layout = new QVBoxLayout(this);
    auto *fields = new QFormLayout;
    layout->addLayout(fields);
    m_from = new QComboBox;
    m_from->setObjectName(QStringLiteral("from"));
    for (int index = 0; index < m_placements.size(); ++index) {
        const Placement &placement = m_placements[index];
        m_from->addItem(
            RecordsText::tr("%1: %2").arg(shownPosition(placement.tankName, placement.position),
                                          strawsText(placement.straws)),
            index);
    }
    fields->addRow(RecordsText::tr("&From:"), m_from);
    m_straws = new QSpinBox;
    m_straws->setObjectName(QStringLiteral("straws"));
    m_straws->setRange(0, kMaxStraws);
    m_straws->setValue(m_batch.strawsPerDose > 0 ? m_batch.strawsPerDose : 1);
    fields->addRow(RecordsText::tr("&Straws:"), m_straws);
    if (m_form == Form::Dispatch) {
        m_consignee = newLine(QStringLiteral("consignee"));
        fields->addRow(RecordsText::tr("&To (consignee):"), m_consignee);
    }
    m_mare = newLine(QStringLiteral("mare"));
    fields->addRow(RecordsText::tr("&Mare:"), m_mare);
    if (m_form == Form::Dispatch) {
        m_country = newLine(QStringLiteral("country"), 2);
        m_country->setPlaceholderText(RecordsText::tr("two letters, e.g. DE"));
        fields->addRow(RecordsText::tr("Cou&ntry:"), m_country);
        m_container = newLine(QStringLiteral("container"));
        fields->addRow(RecordsText::tr("C&ontainer:"), m_container);
    }
    for (QLineEdit *line : findChildren<QLineEdit *>()) {
        if (line->objectName() != QLatin1String("qt_spinbox_lineedit"))
            connect(line, &QLineEdit::textChanged, this, &StrawsOutDialog::check);
    }
    connect(m_from, &QComboBox::currentIndexChanged, this, &StrawsOutDialog::check);
    connect(m_straws, &QSpinBox::valueChanged, this, &StrawsOutDialog::check);
    m_problem = newProblemLabel();
    layout->addWidget(m_problem);
    m_buttons = newButtons(this);
    layout->addWidget(m_buttons);
    check();
}

const Placement *StrawsOutDialog::chosenPlacement() const
{
    const int index = m_from->currentIndex();
    return index >= 0 && index < m_placements.size() ? &m_placements[index] : nullptr;
}

void StrawsOutDialog::choosePosition(const StrawPosition &position)
{
    for (int index = 0; index < m_placements.size(); ++index) {
        if (m_placements[index].position == position)
            m_from->setCurrentIndex(index);
    }
}

Movement StrawsOutDialog::movement() const
{
    Movement movement;
    movement.uid = m_uid;
    movement.kind = m_form == Form::Dispatch ? MovementKind::Dispatched : MovementKind::Used;
    movement.sheetId = m_batch.sources.isEmpty() ? 0 : m_batch.sources.front().sheetId;
    movement.freezeBatchId = m_batch.id;
    movement.doses = m_straws->value();
    if (const Placement *from = chosenPlacement()) {
        movement.fromTankId = from->position.tankId;
        movement.fromCanister = from->position.canister;
        movement.fromGoblet = from->position.goblet;
        movement.fromCane = from->position.cane;
    }
    const auto text = [](const QLineEdit *line) {
        return line ? line->text().trimmed() : QString();
    };
    movement.consignee = text(m_consignee);
    movement.mare = text(m_mare);
    movement.country = text(m_country).toUpper();
    movement.container = text(m_container);
    return movement;
}

QString StrawsOutDialog::problem() const
{
    if (m_batch.state == ReleaseState::Quarantine)
        return RecordsText::tr("Only straws of a released batch leave the station: this one "
                               "is in quarantine.");
    if (m_batch.state == ReleaseState::OnHold)
        return RecordsText::tr("Only straws of a released batch leave the station: this one "
                               "is on hold.");
    const Placement *from = chosenPlacement();
    if (!from)
        return RecordsText::tr("No straws of this batch are placed.");
    const Movement wanted = movement();
    if (wanted.doses < 1)
        return RecordsText::tr("Give the number of straws.");
    if (wanted.doses > from->straws)
        return RecordsText::tr("Only %1 are there.").arg(strawsText(from->straws));
    if (m_form == Form::Dispatch && wanted.consignee.isEmpty())
        return RecordsText::tr("Say to whom the straws go.");
    if (m_form == Form::Use && wanted.mare.isEmpty())
        return RecordsText::tr("Name the mare.");
    if (!wanted.country.isEmpty() && !isCountryCode(wanted.country))
        return RecordsText::tr("%1 is no ISO 3166 country code (two letters, such as DE).")
            .arg(wanted.country);
    return {};
}

void StrawsOutDialog::check()
{
    if (m_buttons)
        showProblem(m_problem, m_buttons,
                    m_busy ? RecordsText::tr("Keeping it in the journal...") : problem());
}

void StrawsOutDialog::accept()
{
    if (m_busy || !m_journal || !problem().isEmpty())
        return;
    m_busy = true;
    check();
    const Movement wanted = movement();
    whenReady(m_journal->run<JournalReply<Movement>>([wanted](Journal &journal) {
        JournalReply<Movement> reply;
        reply.value = wanted;
        reply.error = journal.recordMovement(reply.value);
        return reply;
    }),
              this, [this](const JournalReply<Movement> &reply) {
                  m_busy = false;
                  check();
                  if (!reply.ok()) {
                      showJournalProblem(this, windowTitle(), reply.error);
                      return;
                  }
                  emit recorded(reply.value);
                  QDialog::accept();
              });
}

} // namespace estrivo
