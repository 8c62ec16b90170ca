#include "journal_dialog.h"

#include "journal_service.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace estrivo {

namespace {

// Both programs read the location from the settings they share.
const QString kOrganisation = QStringLiteral("Estrivo");
const QString kApplication = QStringLiteral("Estrivo");
const QString kLocationKey = QStringLiteral("journal/location");

} // namespace

JournalDialog::JournalDialog(const QString &location, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("journalDialog"));
    setWindowTitle(tr("Journal Location"));
    auto *intro = new QLabel(
        tr("The journal is a SQLite file on this computer, or a PostgreSQL database the "
           "station shares, given as postgresql://user@host:port/dbname. Passwords come "
           "from ~/.pgpass, never from here."));
    intro->setWordWrap(true);
    m_location = new QLineEdit(location);
    m_location->setObjectName(QStringLiteral("location"));
    m_location->setAccessibleName(tr("Journal location"));
    m_location->setMinimumWidth(420);
    auto *browse = new QPushButton(tr("&Browse..."));
    browse->setObjectName(QStringLiteral("browse"));
    connect(browse, &QPushButton::clicked, this, &JournalDialog::browse);
    auto *row = new QHBoxLayout;
    row->addWidget(m_location, 1);
    row->addWidget(browse);
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    m_status->setTextFormat(Qt::PlainText);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &JournalDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &JournalDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(row);
    layout->addWidget(m_status);
    layout->addWidget(m_buttons);
}

QString JournalDialog::location() const
{
    const QString text = m_location->text().trimmed();
    if (text.isEmpty() || isPostgresLocation(text))
        return text;
    return QFileInfo(text).absoluteFilePath();
}

void JournalDialog::accept()
{
    const QString chosen = location();
    if (chosen.isEmpty()) {
        m_status->setText(tr("Give a file or a postgresql:// URI."));
        return;
    }
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    m_location->setEnabled(false);
    m_status->setText(tr("Testing the connection to %1...").arg(displayLocation(chosen)));
    // A test still under way is left to finish on its own; only the newest one counts.
    if (m_probe)
        m_probe->deleteLater();
    m_probe = new JournalService(chosen, this);
    JournalService *probe = m_probe;
    whenReady(m_probe->probe(), this, [this, probe, chosen](const JournalReply<bool> &reply) {
        if (probe != m_probe)
            return;
        m_probe = nullptr;
        probe->deleteLater();
        probeFinished(chosen, reply);
    });
}

void JournalDialog::probeFinished(const QString &location, const JournalReply<bool> &reply)
{
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(true);
    m_location->setEnabled(true);
    if (!reply.value) {
        m_status->setText(tr("Not kept: %1").arg(reply.error.reason));
        return;
    }
    QSettings(kOrganisation, kApplication).setValue(kLocationKey, location);
    emit locationKept(location);
    QDialog::accept();
}

void JournalDialog::browse()
{
    auto *dialog = new QFileDialog(this, tr("Journal File"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->setNameFilter(tr("SQLite journals (*.sqlite *.db);;All files (*)"));
    if (!isPostgresLocation(m_location->text()))
        dialog->selectFile(m_location->text());
    connect(dialog, &QFileDialog::fileSelected, m_location, &QLineEdit::setText);
    dialog->open();
}

} // namespace estrivo
