#include "station_dialog.h"

#include "journal_service.h"
#include "records_text.h"
#include "register_ui.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace estrivo {

namespace {

constexpr int kMaxNameLength = 200;
constexpr qsizetype kMaxAddressLength = 400;
constexpr int kMaxApprovalLength = 30;

} // namespace

StationDialog::StationDialog(JournalService *service, QWidget *parent)
    : QDialog(parent)
    , m_journal(service)
{
    setObjectName(QStringLiteral("stationDialog"));
    setWindowTitle(RecordsText::tr("Station Profile"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    m_name = new QLineEdit;
    m_name->setObjectName(QStringLiteral("stationName"));
    m_name->setMaxLength(kMaxNameLength);
    form->addRow(RecordsText::tr("&Name:"), m_name);
    m_address = new QPlainTextEdit;
    m_address->setObjectName(QStringLiteral("stationAddress"));
    m_address->setTabChangesFocus(true);
    m_address->setFixedHeight(4 * fontMetrics().height() + 12);
    form->addRow(RecordsText::tr("&Address:"), m_address);
    m_approval = new QLineEdit;
    m_approval->setObjectName(QStringLiteral("approval"));
    m_approval->setMaxLength(kMaxApprovalLength);
    m_approval->setPlaceholderText(RecordsText::tr("country code first, e.g. DE-EQ-0042"));
    form->addRow(RecordsText::tr("A&pproval number:"), m_approval);
    m_marking = new QComboBox;
    m_marking->setObjectName(QStringLiteral("marking"));
    m_marking->addItem(RecordsText::tr("None"), int(StationProfile::Marking::None));
    m_marking->addItem(RecordsText::tr("EU: every label carries the legal marking"),
                       int(StationProfile::Marking::Eu));
    form->addRow(RecordsText::tr("&Marking on labels:"), m_marking);
    m_labelDate = new QComboBox;
    m_labelDate->setObjectName(QStringLiteral("labelDate"));
    m_labelDate->addItem(RecordsText::tr("yymmdd (261207)"),
                         int(StationProfile::LabelDate::Yymmdd));
    m_labelDate->addItem(RecordsText::tr("dd.mm.yy (07.12.26)"),
                         int(StationProfile::LabelDate::DdMmYy));
    form->addRow(RecordsText::tr("Collection &date on labels:"), m_labelDate);
    m_retention = new QSpinBox;
    m_retention->setObjectName(QStringLiteral("retentionYears"));
    m_retention->setRange(kMinRetentionYears, kMaxRetentionYears);
    m_retention->setSuffix(RecordsText::tr(" years"));
    m_retention->setToolTip(RecordsText::tr("Nothing younger is ever deleted from the journal."));
    form->addRow(RecordsText::tr("&Keep the register for:"), m_retention);
    m_problem = newProblemLabel();
    layout->addWidget(m_problem);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &StationDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &StationDialog::reject);
    layout->addWidget(m_buttons);
    connect(m_name, &QLineEdit::textChanged, this, &StationDialog::check);
    connect(m_approval, &QLineEdit::textChanged, this, &StationDialog::check);
    connect(m_address, &QPlainTextEdit::textChanged, this, &StationDialog::check);
    connect(m_marking, &QComboBox::currentIndexChanged, this, &StationDialog::check);
    check();

    if (!m_journal)
        return;
    whenReady(m_journal->run<JournalReply<StationProfile>>([](Journal &journal) {
        JournalReply<StationProfile> reply;
        const std::optional<StationProfile> kept = journal.stationProfile();
        if (kept)
            reply.value = *kept;
        else
            reply.error = journal.lastError();
        return reply;
    }),
              this, [this](const JournalReply<StationProfile> &reply) { showProfile(reply); });
}

void StationDialog::showProfile(const JournalReply<StationProfile> &reply)
{
    if (!reply.ok()) {
        // Nothing to show is no profile to overwrite: OK stays off.
        m_problem->setText(reply.error.reason);
        return;
    }
    m_kept = reply.value;
    m_name->setText(m_kept.name);
    m_address->setPlainText(m_kept.address);
    m_approval->setText(m_kept.approval);
    m_marking->setCurrentIndex(m_marking->findData(int(m_kept.marking)));
    m_labelDate->setCurrentIndex(m_labelDate->findData(int(m_kept.labelDate)));
    m_retention->setValue(m_kept.retentionYears);
    m_loaded = true;
    check();
    emit loaded();
}

StationProfile StationDialog::profile() const
{
    StationProfile profile = m_kept;
    profile.name = m_name->text().trimmed();
    profile.address = m_address->toPlainText().trimmed().left(kMaxAddressLength);
    profile.approval = m_approval->text().trimmed().toUpper();
    profile.marking = StationProfile::Marking(m_marking->currentData().toInt());
    profile.labelDate = StationProfile::LabelDate(m_labelDate->currentData().toInt());
    profile.retentionYears = m_retention->value();
    return profile;
}

QString StationDialog::problem() const
{
    if (!m_loaded)
        return RecordsText::tr("Reading the station's profile...");
    const StationProfile wanted = profile();
    if (!wanted.approval.isEmpty()) {
        const QString why = approvalProblem(wanted.approval);
        if (!why.isEmpty())
            return RecordsText::tr("Approval number: %1").arg(why);
    }
    if (wanted.marking == StationProfile::Marking::Eu && wanted.approval.isEmpty())
        return RecordsText::tr("The EU marking needs the station's approval number.");
    return {};
}

void StationDialog::check()
{
    const QString why = m_busy ? RecordsText::tr("Keeping it in the journal...") : problem();
    // A failed read left its reason there; it stays until the profile is in.
    if (m_loaded || m_busy || m_problem->text().isEmpty())
        m_problem->setText(why);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(why.isEmpty());
}

void StationDialog::accept()
{
    if (m_busy || !m_journal || !problem().isEmpty())
        return;
    m_busy = true;
    check();
    const StationProfile wanted = profile();
    const QString title = windowTitle();
    whenReady(m_journal->run<JournalError>(
                  [wanted](Journal &journal) { return journal.setStationProfile(wanted); }),
              this, [this, title, wanted](const JournalError &error) {
                  m_busy = false;
                  check();
                  if (!error.ok()) {
                      showJournalProblem(this, title, error);
                      return;
                  }
                  m_kept = wanted;
                  emit saved(wanted);
                  QDialog::accept();
              });
}

} // namespace estrivo
