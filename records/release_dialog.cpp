// The dialog that releases a freeze batch, holds it back or quarantines it.
#include "analysis_import.h"
#include "frozen_dialogs.h"
#include "frozen_dialogs_parts.h"
#include "frozen_ui.h"
#include "journal_service.h"
#include "records_text.h"
#include "register_ui.h"
#include "sheet_numbers.h"
#include "straws_per_dose.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace estrivo {

using namespace frozen_form;

// --- ReleaseDialog

ReleaseDialog::ReleaseDialog(JournalService *journal, FreezeBatch batch,
                             std::optional<ThawTest> latest, double threshold, QWidget *parent)
    : QDialog(parent)
    , m_journal(journal)
    , m_batch(std::move(batch))
{
    setObjectName(QStringLiteral("releaseDialog"));
    setWindowTitle(RecordsText::tr("Release of Batch %1").arg(m_batch.id));
    auto *layout = new QVBoxLayout(this);
    auto *rule = new QLabel;
    rule->setObjectName(QStringLiteral("threshold"));
    rule->setTextFormat(Qt::PlainText);
    rule->setWordWrap(true);
    const QString station = RecordsText::tr("The station releases a batch whose post-thaw "
                                            "progressive motility is at least %1 %.")
                                .arg(numberText(threshold));
    rule->setText(station + u' '
                  + (latest ? RecordsText::tr("Its latest test: %1 % progressive.")
                                  .arg(numberText(latest->progressiveMotility))
                            : RecordsText::tr("It has no post-thaw test yet.")));
    layout->addWidget(rule);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    m_state = new QComboBox;
    m_state->setObjectName(QStringLiteral("state"));
    for (ReleaseState state :
         {ReleaseState::Released, ReleaseState::OnHold, ReleaseState::Quarantine})
        m_state->addItem(releaseStateText(state), int(state));
    form->addRow(RecordsText::tr("&State:"), m_state);
    m_reason = newLine(QStringLiteral("reason"));
    form->addRow(RecordsText::tr("&Reason:"), m_reason);
    connect(m_state, &QComboBox::currentIndexChanged, this, &ReleaseDialog::check);
    connect(m_reason, &QLineEdit::textChanged, this, &ReleaseDialog::check);
    m_problem = newProblemLabel();
    layout->addWidget(m_problem);
    m_buttons = newButtons(this);
    layout->addWidget(m_buttons);
    check();
}

void ReleaseDialog::setState(ReleaseState state)
{
    m_state->setCurrentIndex(m_state->findData(int(state)));
}

ReleaseChange ReleaseDialog::change() const
{
    ReleaseChange change;
    change.batchId = m_batch.id;
    change.state = ReleaseState(m_state->currentData().toInt());
    change.reason = m_reason->text().trimmed();
    return change;
}

QString ReleaseDialog::problem() const
{
    const ReleaseChange wanted = change();
    if (wanted.state == m_batch.state)
        return RecordsText::tr("The batch is in this state already.");
    // The journal decides whether a release is allowed: it has the latest test.
    if (wanted.state != ReleaseState::Released && wanted.reason.isEmpty())
        return RecordsText::tr("Give the reason: it is kept with the batch.");
    return {};
}

void ReleaseDialog::check()
{
    if (m_buttons)
        showProblem(m_problem, m_buttons,
                    m_busy ? RecordsText::tr("Keeping it in the journal...") : problem());
}

void ReleaseDialog::accept()
{
    if (m_busy || !m_journal || !problem().isEmpty())
        return;
    m_busy = true;
    check();
    const ReleaseChange wanted = change();
    whenReady(m_journal->run<JournalReply<ReleaseChange>>([wanted](Journal &journal) {
        JournalReply<ReleaseChange> reply;
        reply.value = wanted;
        reply.error = journal.changeReleaseState(reply.value);
        return reply;
    }),
              this, [this](const JournalReply<ReleaseChange> &reply) {
                  m_busy = false;
                  check();
                  if (!reply.ok()) {
                      emit refused(reply.error);
                      showJournalProblem(this, windowTitle(), reply.error);
                      return;
                  }
                  emit changed(reply.value);
                  QDialog::accept();
              });
}

} // namespace estrivo
