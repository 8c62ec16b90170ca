#include "scan_field.h"

#include "dose_code.h"
#include "journal_service.h"
#include "records_text.h"
#include "register_ui.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace estrivo {

namespace {

// What the journal says of a scanned dose, read on its thread.
struct ScanLookup
{
    JournalError error;
    QString approval; // the station's
    bool sheetFound = false;
    qint64 produced = 0;
};

} // namespace

ScanField::ScanField(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *title = new QLabel(RecordsText::tr("S&can:"));
    m_field = new QLineEdit;
    m_field->setObjectName(QStringLiteral("scan"));
    m_field->setAccessibleName(RecordsText::tr("Scan"));
    m_field->setPlaceholderText(RecordsText::tr("Scan a dose label"));
    m_field->setToolTip(RecordsText::tr("Click here and scan a dose label: its collection is "
                                        "shown and the dose offered for dispatch or use."));
    // A scanner types more than any code only when it is not reading a label of ours.
    m_field->setMaxLength(int(kMaxDoseCodeLength) * 4);
    m_field->setMinimumWidth(fontMetrics().horizontalAdvance(u'M') * 16);
    title->setBuddy(m_field);
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("scanStatus"));
    m_status->setTextFormat(Qt::PlainText);
    layout->addWidget(title);
    layout->addWidget(m_field);
    layout->addWidget(m_status, 1);
    connect(m_field, &QLineEdit::returnPressed, this, [this] {
        // Emptied at once, so the next label is read on its own.
        const QString typed = m_field->text();
        m_field->clear();
        scan(typed);
    });
}

void ScanField::setJournal(JournalService *journal)
{
    m_journal = journal;
    ++m_request;
}

QString ScanField::status() const
{
    return m_status->text();
}

void ScanField::say(const QString &text, bool problem)
{
    m_status->setText(text);
    QPalette colours = palette();
    if (problem)
        colours.setColor(QPalette::WindowText, Qt::darkRed);
    m_status->setPalette(colours);
    if (problem)
        emit scanFailed(text);
}

void ScanField::scan(const QString &typed)
{
    const quint64 request = ++m_request;
    if (typed.trimmed().isEmpty())
        return;
    const std::optional<ScannedDose> dose = readDoseCode(typed);
    if (!dose) {
        say(RecordsText::tr("Not a dose label of this program: \"%1\"").arg(shownText(typed, 40)),
            true);
        return;
    }
    if (!m_journal) {
        say(RecordsText::tr("No journal is open to look the dose up in."), true);
        return;
    }
    say(RecordsText::tr("Looking up collection %1...").arg(dose->sheetId), false);
    const qint64 sheetId = dose->sheetId;
    whenReady(
        m_journal->run<ScanLookup>([sheetId](Journal &journal) {
            ScanLookup lookup;
            const std::optional<StationProfile> station = journal.stationProfile();
            if (!station) {
                lookup.error = journal.lastError();
                return lookup;
            }
            lookup.approval = station->approval;
            const std::optional<DoseBatch> batch = journal.doseBatch(sheetId);
            if (!batch) {
                lookup.error = journal.lastError();
                lookup.sheetFound = false;
                return lookup;
            }
            lookup.sheetFound = true;
            lookup.produced = batch->produced;
            return lookup;
        }),
        this, [this, request, found = *dose](const ScanLookup &lookup) {
            if (request != m_request)
                return;
            if (!lookup.sheetFound && lookup.error.kind != JournalError::Kind::NotFound
                && !lookup.error.ok()) {
                say(lookup.error.reason, true);
                return;
            }
            // Scanner case aside, the approval is the station's or the label is not
            // ours; a label without one was printed here before the station had it.
            if (!found.approval.isEmpty()
                && found.approval.compare(lookup.approval, Qt::CaseInsensitive) != 0) {
                say(RecordsText::tr("This label is from another station (%1), not "
                                    "from %2.")
                        .arg(shownText(found.approval), lookup.approval.isEmpty()
                                                            ? RecordsText::tr("this station")
                                                            : lookup.approval),
                    true);
                return;
            }
            if (!lookup.sheetFound) {
                say(RecordsText::tr("Collection %1 is not in this journal.").arg(found.sheetId),
                    true);
                return;
            }
            if (found.dose > lookup.produced) {
                say(RecordsText::tr("Collection %1 made %2 doses: there is no dose %3.")
                        .arg(found.sheetId)
                        .arg(lookup.produced)
                        .arg(found.dose),
                    true);
                return;
            }
            say(RecordsText::tr("Dose %1 of %2, collection %3.")
                    .arg(found.dose)
                    .arg(lookup.produced)
                    .arg(found.sheetId),
                false);
            emit doseFound(found.sheetId, found.dose);
        });
}

} // namespace estrivo
