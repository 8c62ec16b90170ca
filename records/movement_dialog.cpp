#include "movement_dialog.h"

#include "journal_service.h"
#include "records_text.h"
#include "register_ui.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QUuid>
#include <QVBoxLayout>

namespace estrivo {

namespace {

// Far beyond any collection, small enough for a spin box; the batch sets the real bound.
constexpr int kMaxDosesAsked = 99999;
constexpr int kMaxTextLength = 200;
constexpr int kMaxAddressLength = 400;

QString formTitle(MovementForm form)
{
    switch (form) {
    case MovementForm::Dispatch:
        return RecordsText::tr("Dispatch Doses");
    case MovementForm::Use:
        return RecordsText::tr("Use Doses on the Station");
    case MovementForm::Destroy:
        return RecordsText::tr("Destroy Doses");
    case MovementForm::Return:
        return RecordsText::tr("Return of a Dispatch");
    case MovementForm::Adjust:
        return RecordsText::tr("Adjust Doses");
    case MovementForm::Reverse:
        return RecordsText::tr("Reverse a Movement");
    }
    return {};
}

QString dosesText(qint64 doses)
{
    return doses == 1 ? RecordsText::tr("1 dose") : RecordsText::tr("%1 doses").arg(doses);
}

QLineEdit *newLine(const QString &name, int maxLength = kMaxTextLength)
{
    auto *line = new QLineEdit;
    line->setObjectName(name);
    line->setMaxLength(maxLength);
    return line;
}

} // namespace

MovementDialog::MovementDialog(JournalService *journal, MovementForm form, DoseBatch batch,
                               qint64 of, QWidget *parent)
    : QDialog(parent)
    , m_journal(journal)
    , m_form(form)
    , m_batch(std::move(batch))
    , m_of(of)
    , m_uid(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    setObjectName(QStringLiteral("movementDialog"));
    setWindowTitle(formTitle(form));
    buildForm();
    check();
}

void MovementDialog::buildForm()
{
    auto *layout = new QVBoxLayout(this);
    m_summary = new QLabel;
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setTextFormat(Qt::PlainText);
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);
    auto *form = new QFormLayout;
    layout->addLayout(form);

    if (m_form == MovementForm::Return) {
        m_dispatch = new QComboBox;
        m_dispatch->setObjectName(QStringLiteral("dispatch"));
        form->addRow(RecordsText::tr("Di&spatch:"), m_dispatch);
    }
    if (m_form != MovementForm::Reverse) {
        m_doses = new QSpinBox;
        m_doses->setObjectName(QStringLiteral("doses"));
        const bool signedChange = m_form == MovementForm::Adjust;
        m_doses->setRange(signedChange ? -kMaxDosesAsked : 0, kMaxDosesAsked);
        m_doses->setValue(m_form == MovementForm::Return ? 0 : 1);
        form->addRow(signedChange                     ? RecordsText::tr("&Change in doses:")
                     : m_form == MovementForm::Return ? RecordsText::tr("&Doses back:")
                                                      : RecordsText::tr("&Doses:"),
                     m_doses);
        if (signedChange)
            m_doses->setToolTip(RecordsText::tr("Below zero where fewer doses were filled than "
                                                "the sheet made; above zero to take back an "
                                                "earlier adjustment."));
    }
    if (m_form == MovementForm::Return) {
        m_containerBack = new QCheckBox(RecordsText::tr("The &container came back"));
        m_containerBack->setObjectName(QStringLiteral("containerBack"));
        form->addRow(QString(), m_containerBack);
        connect(m_dispatch, &QComboBox::currentIndexChanged, this, [this] {
            const Movement *dispatch = findMovement(chosenDispatch());
            const bool out = dispatch && !dispatch->container.isEmpty()
                             && !containerBackFrom(m_batch, dispatch->id);
            m_containerBack->setEnabled(out);
            m_containerBack->setChecked(out);
            check();
        });
        connect(m_containerBack, &QCheckBox::toggled, this, &MovementDialog::check);
        fillDispatches(m_of);
    }
    if (m_form == MovementForm::Dispatch) {
        m_consignee = newLine(QStringLiteral("consignee"));
        form->addRow(RecordsText::tr("&To (consignee):"), m_consignee);
    }
    if (m_form == MovementForm::Dispatch || m_form == MovementForm::Use) {
        m_mare = newLine(QStringLiteral("mare"));
        form->addRow(RecordsText::tr("&Mare:"), m_mare);
        m_mareUeln = newLine(QStringLiteral("mareUeln"), 40);
        m_mareUeln->setPlaceholderText(RecordsText::tr("15 characters, as on her passport"));
        form->addRow(RecordsText::tr("Mare's &UELN:"), m_mareUeln);
    }
    if (m_form == MovementForm::Dispatch) {
        m_address = newLine(QStringLiteral("address"), kMaxAddressLength);
        form->addRow(RecordsText::tr("&Address:"), m_address);
        m_country = newLine(QStringLiteral("country"), 2);
        m_country->setPlaceholderText(RecordsText::tr("two letters, e.g. DE"));
        form->addRow(RecordsText::tr("Cou&ntry:"), m_country);
        m_vet = newLine(QStringLiteral("vet"));
        form->addRow(RecordsText::tr("&Veterinarian:"), m_vet);
        m_carrier = newLine(QStringLiteral("carrier"));
        form->addRow(RecordsText::tr("Ca&rrier:"), m_carrier);
        m_tracking = newLine(QStringLiteral("tracking"));
        form->addRow(RecordsText::tr("Trac&king number:"), m_tracking);
        m_container = newLine(QStringLiteral("container"));
        form->addRow(RecordsText::tr("C&ontainer:"), m_container);
        m_dueBackOn = new QCheckBox(RecordsText::tr("Container due &back on"));
        m_dueBackOn->setObjectName(QStringLiteral("dueBackOn"));
        m_dueBack = new QDateEdit(QDate::currentDate().addDays(7));
        m_dueBack->setObjectName(QStringLiteral("dueBack"));
        m_dueBack->setAccessibleName(RecordsText::tr("Container due back on"));
        m_dueBack->setCalendarPopup(true);
        m_dueBack->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        m_dueBack->setEnabled(false);
        connect(m_dueBackOn, &QCheckBox::toggled, m_dueBack, &QWidget::setEnabled);
        connect(m_dueBackOn, &QCheckBox::toggled, this, &MovementDialog::check);
        connect(m_dueBack, &QDateEdit::dateChanged, this, &MovementDialog::check);
        form->addRow(m_dueBackOn, m_dueBack);
    }
    if (m_form == MovementForm::Destroy || m_form == MovementForm::Adjust
        || m_form == MovementForm::Reverse) {
        m_reason = newLine(QStringLiteral("reason"));
        form->addRow(RecordsText::tr("&Reason:"), m_reason);
    }
    for (QLineEdit *line : findChildren<QLineEdit *>()) {
        if (line->objectName() != QLatin1String("qt_spinbox_lineedit"))
            connect(line, &QLineEdit::textChanged, this, &MovementDialog::check);
    }
    if (m_doses)
        connect(m_doses, &QSpinBox::valueChanged, this, &MovementDialog::check);

    m_problem = newProblemLabel();
    layout->addWidget(m_problem);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &MovementDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &MovementDialog::reject);
    layout->addWidget(m_buttons);
}

void MovementDialog::fillDispatches(qint64 chosen)
{
    // Only dispatches that can still come back: not reversed, something or a container out.
    const QSignalBlocker quiet(m_dispatch);
    const qint64 before = m_dispatch->count() > 0 ? chosenDispatch() : chosen;
    m_dispatch->clear();
    const QHash<qint64, qint64> reversed = reversalsIn(m_batch);
    for (const Movement &movement : std::as_const(m_batch.movements)) {
        if (movement.kind != MovementKind::Dispatched || reversed.contains(movement.id))
            continue;
        const qint64 out = movement.doses - dosesBackFrom(m_batch, movement.id);
        const bool containerOut
            = !movement.container.isEmpty() && !containerBackFrom(m_batch, movement.id);
        if (out <= 0 && !containerOut && movement.id != before)
            continue;
        m_dispatch->addItem(RecordsText::tr("%1: %2 doses to %3, %4 not back")
                                .arg(movement.id)
                                .arg(movement.doses)
                                .arg(shownText(movement.consignee, 40))
                                .arg(out),
                            movement.id);
    }
    const int index = m_dispatch->findData(before);
    m_dispatch->setCurrentIndex(std::max(index, 0));
    const Movement *dispatch = findMovement(chosenDispatch());
    const bool out
        = dispatch && !dispatch->container.isEmpty() && !containerBackFrom(m_batch, dispatch->id);
    m_containerBack->setEnabled(out);
    m_containerBack->setChecked(out);
}

qint64 MovementDialog::chosenDispatch() const
{
    return m_dispatch ? m_dispatch->currentData().toLongLong() : 0;
}

const Movement *MovementDialog::findMovement(qint64 id) const
{
    for (const Movement &movement : m_batch.movements) {
        if (movement.id == id)
            return &movement;
    }
    return nullptr;
}

void MovementDialog::setBatch(const DoseBatch &batch)
{
    m_batch = batch;
    if (m_dispatch)
        fillDispatches(m_of);
    check();
}

QString MovementDialog::batchText() const
{
    return RecordsText::tr("Collection %1: %2 of %3 doses remain.")
        .arg(m_batch.sheetId)
        .arg(m_batch.remaining)
        .arg(m_batch.produced);
}

Movement MovementDialog::movement() const
{
    Movement movement;
    movement.sheetId = m_batch.sheetId;
    movement.uid = m_uid;
    const auto text = [](const QLineEdit *line) {
        return line ? line->text().trimmed() : QString();
    };
    switch (m_form) {
    case MovementForm::Dispatch:
        movement.kind = MovementKind::Dispatched;
        break;
    case MovementForm::Use:
        movement.kind = MovementKind::Used;
        break;
    case MovementForm::Destroy:
        movement.kind = MovementKind::Destroyed;
        break;
    case MovementForm::Return:
        movement.kind = MovementKind::Returned;
        movement.of = chosenDispatch();
        movement.containerBack = m_containerBack->isChecked();
        break;
    case MovementForm::Adjust:
    case MovementForm::Reverse:
        movement.kind = MovementKind::Adjusted;
        break;
    }
    if (m_doses)
        movement.doses = m_doses->value();
    if (m_form == MovementForm::Reverse) {
        // The reversal undoes what the movement did to the doses that remain.
        movement.of = m_of;
        if (const Movement *reversed = findMovement(m_of))
            movement.doses = -reversed->change();
    }
    movement.consignee = text(m_consignee);
    movement.mare = text(m_mare);
    movement.mareUeln = normalizedUeln(text(m_mareUeln));
    movement.address = text(m_address);
    movement.country = text(m_country).toUpper();
    movement.vet = text(m_vet);
    movement.carrier = text(m_carrier);
    movement.tracking = text(m_tracking);
    movement.container = text(m_container);
    if (m_dueBackOn && m_dueBackOn->isChecked())
        movement.dueBack = m_dueBack->date();
    movement.reason = text(m_reason);
    return movement;
}

QString MovementDialog::problem() const
{
    const Movement wanted = movement();
    const qint64 remaining = m_batch.remaining;
    switch (m_form) {
    case MovementForm::Dispatch:
    case MovementForm::Use:
    case MovementForm::Destroy:
        if (remaining <= 0)
            return RecordsText::tr("No doses of this collection remain.");
        if (wanted.doses < 1)
            return RecordsText::tr("Give the number of doses.");
        if (wanted.doses > remaining)
            return remaining == 1 ? RecordsText::tr("Only 1 dose remains.")
                                  : RecordsText::tr("Only %1 doses remain.").arg(remaining);
        break;
    case MovementForm::Return: {
        const Movement *dispatch = findMovement(wanted.of);
        if (!dispatch)
            return RecordsText::tr("No dispatch of this collection is out.");
        const qint64 out = dispatch->doses - dosesBackFrom(m_batch, dispatch->id);
        if (wanted.doses > out)
            return RecordsText::tr("Dispatch %1 has %2 out.")
                .arg(dispatch->id)
                .arg(dosesText(out));
        if (wanted.doses == 0 && !wanted.containerBack)
            return RecordsText::tr("Give the doses that came back, or tick the container.");
        break;
    }
    case MovementForm::Adjust:
        if (wanted.doses == 0)
            return RecordsText::tr("Give the change in doses, below zero for fewer.");
        if (remaining + wanted.doses < 0)
            return RecordsText::tr("At most %1 can be taken away: what remains.")
                .arg(dosesText(remaining));
        if (wanted.doses > 0) {
            // Adjustments correct a count down (fewer filled); never past what was made.
            qint64 adjusted = wanted.doses;
            const QHash<qint64, qint64> reversed = reversalsIn(m_batch);
            for (const Movement &other : m_batch.movements) {
                if (other.kind == MovementKind::Adjusted && other.of == 0
                    && !reversed.contains(other.id))
                    adjusted += other.doses;
            }
            if (adjusted > 0)
                return RecordsText::tr("Adjustments cannot raise the doses above the %1 the "
                                       "collection made.")
                    .arg(m_batch.produced);
        }
        break;
    case MovementForm::Reverse: {
        const Movement *reversed = findMovement(m_of);
        if (!reversed)
            return RecordsText::tr("Choose the movement to reverse.");
        if (reversalsIn(m_batch).contains(m_of))
            return RecordsText::tr("Movement %1 has been reversed already.").arg(m_of);
        if (reversed->kind == MovementKind::Adjusted && reversed->of != 0)
            return RecordsText::tr("Movement %1 is itself a reversal: record the movement "
                                   "anew instead.")
                .arg(m_of);
        if (remaining + wanted.doses < 0)
            return RecordsText::tr("It cannot be undone: the doses it brought back have moved "
                                   "on since.");
        break;
    }
    }
    if (m_form == MovementForm::Dispatch && wanted.consignee.isEmpty())
        return RecordsText::tr("Say to whom the doses go.");
    if (m_form == MovementForm::Use && wanted.mare.isEmpty())
        return RecordsText::tr("Name the mare.");
    if (!wanted.mareUeln.isEmpty()) {
        const QString why = uelnProblem(wanted.mareUeln);
        if (!why.isEmpty())
            return RecordsText::tr("Mare's UELN: %1").arg(why);
    }
    if (!wanted.country.isEmpty() && !isCountryCode(wanted.country))
        return RecordsText::tr("%1 is no ISO 3166 country code (two letters, such as DE).")
            .arg(wanted.country);
    if (wanted.dueBack.isValid() && wanted.dueBack < QDate::currentDate())
        return RecordsText::tr("The container cannot be due back before today.");
    if (m_reason && wanted.reason.isEmpty())
        return RecordsText::tr("Give the reason: the register keeps it.");
    return {};
}

void MovementDialog::check()
{
    if (!m_buttons)
        return; // still being built
    if (m_form == MovementForm::Reverse) {
        const Movement *reversed = findMovement(m_of);
        m_summary->setText(
            reversed ? RecordsText::tr("Movement %1 (%2, %3 doses) is corrected by a movement "
                                       "that undoes it; it stays in the register, marked as "
                                       "reversed. %4")
                           .arg(m_of)
                           .arg(movementKindText(reversed->kind))
                           .arg(reversed->doses)
                           .arg(batchText())
                     : batchText());
    } else {
        m_summary->setText(batchText());
    }
    const QString why = m_busy ? RecordsText::tr("Keeping it in the journal...") : problem();
    m_problem->setText(why);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(why.isEmpty());
}

void MovementDialog::setBusy(bool busy)
{
    m_busy = busy;
    check();
}

void MovementDialog::accept()
{
    if (m_busy || !m_journal || !problem().isEmpty())
        return;
    setBusy(true);
    const Movement wanted = movement();
    const QString title = windowTitle();
    whenReady(m_journal->run<JournalReply<Movement>>([wanted](Journal &journal) {
        JournalReply<Movement> reply;
        reply.value = wanted;
        reply.error = journal.recordMovement(reply.value);
        return reply;
    }),
              this, [this, title](const JournalReply<Movement> &reply) {
                  setBusy(false);
                  if (!reply.ok()) {
                      emit refused(reply.error);
                      showJournalProblem(this, title, reply.error);
                      return;
                  }
                  emit recorded(reply.value);
                  QDialog::accept();
              });
}

} // namespace estrivo
