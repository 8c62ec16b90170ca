#include "journal_dialog.h"

#include "journal_service.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
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
           "station shares, given as postgresql://user@host:port/dbname. Passwords are never "
           "kept here: libpq reads them from ~/.pgpass."));
    intro->setWordWrap(true);
    m_location = new QLineEdit(splitPassword(location).location);
    m_location->setObjectName(QStringLiteral("location"));
    m_location->setAccessibleName(tr("Journal location"));
    m_location->setMinimumWidth(420);
    connect(m_location, &QLineEdit::textEdited, this, &JournalDialog::takePasswordOut);
    auto *browse = new QPushButton(tr("&Browse..."));
    browse->setObjectName(QStringLiteral("browse"));
    connect(browse, &QPushButton::clicked, this, &JournalDialog::browse);
    auto *row = new QHBoxLayout;
    row->addWidget(m_location, 1);
    row->addWidget(browse);

    m_passwordNote = new QLabel;
    m_passwordNote->setObjectName(QStringLiteral("passwordNote"));
    m_passwordNote->setWordWrap(true);
    m_passwordNote->setTextFormat(Qt::PlainText);
    m_keepPassword = new QPushButton(tr("&Keep the password in ~/.pgpass"));
    m_keepPassword->setObjectName(QStringLiteral("keepPassword"));
    connect(m_keepPassword, &QPushButton::clicked, this, &JournalDialog::keepPassword);
    m_passwordNote->hide();
    m_keepPassword->hide();

    m_forWorkstation = new QCheckBox(tr("Make it the journal this &workstation saves to"));
    m_forWorkstation->setObjectName(QStringLiteral("forWorkstation"));
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
    layout->addWidget(m_passwordNote);
    layout->addWidget(m_keepPassword, 0, Qt::AlignLeft);
    layout->addWidget(m_forWorkstation);
    layout->addWidget(m_status);
    layout->addWidget(m_buttons);
}

QString JournalDialog::location() const
{
    const QString text = splitPassword(m_location->text().trimmed()).location;
    if (text.isEmpty() || isPostgresLocation(text) || !locationProblem(text).isEmpty())
        return text;
    return QFileInfo(text).absoluteFilePath();
}

void JournalDialog::takePasswordOut()
{
    // Out of the field as soon as it is typed: it is shown as *** and held only here.
    const LocationSecret split = splitPassword(m_location->text());
    if (split.password.isEmpty())
        return;
    m_password = split.password;
    const int cursor = m_location->cursorPosition();
    const QString shown = displayLocation(m_location->text());
    m_location->setText(shown);
    m_location->setCursorPosition(std::min(cursor, int(shown.size())));
    m_passwordNote->setText(
        tr("A password is not kept in the settings, and the address is used without it. "
           "Keep it where libpq reads it, ~/.pgpass (readable by you only), or give the "
           "address without a password and add it to ~/.pgpass yourself."));
    m_passwordNote->show();
    m_keepPassword->show();
}

void JournalDialog::keepPassword()
{
    const JournalError kept = keepPasswordForLibpq(location(), m_password);
    if (!kept.ok()) {
        m_status->setText(tr("The password was not kept: %1").arg(kept.reason));
        return;
    }
    m_password.fill(u'\0');
    m_password.clear();
    m_keepPassword->hide();
    m_passwordNote->setText(
        tr("The password is in ~/.pgpass now; the address is kept without it."));
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
    m_probe = new JournalService(chosen, JournalCreation::Nothing, this);
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
        m_status->setText(tr("Not taken: %1").arg(reply.error.reason));
        return;
    }
    if (!m_forWorkstation->isChecked()) {
        choose(location);
        return;
    }
    // Where the sheet window saves is the station's record: asked once more, plainly.
    auto *confirm = new QMessageBox(
        QMessageBox::Question, tr("Journal Location"),
        tr("From now on, sheets printed on this workstation are saved to %1. Make it this "
           "workstation's journal?")
            .arg(displayLocation(location)),
        QMessageBox::Yes | QMessageBox::No, this);
    confirm->setObjectName(QStringLiteral("confirmWorkstationJournal"));
    confirm->setDefaultButton(QMessageBox::No);
    confirm->setAttribute(Qt::WA_DeleteOnClose);
    connect(confirm, &QMessageBox::finished, this, [this, location](int answer) {
        if (answer != QMessageBox::Yes) {
            m_status->setText(tr("Not taken: this workstation's journal stays as it was."));
            return;
        }
        QSettings(kOrganisation, kApplication).setValue(kLocationKey, location);
        emit workstationJournalChanged(location);
        choose(location);
    });
    confirm->open();
}

void JournalDialog::choose(const QString &location)
{
    m_password.clear();
    emit locationChosen(location);
    QDialog::accept();
}

void JournalDialog::browse()
{
    auto *dialog = new QFileDialog(this, tr("Journal File"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(tr("SQLite journals (*.sqlite *.db);;All files (*)"));
    if (!isPostgresLocation(m_location->text()))
        dialog->selectFile(m_location->text());
    connect(dialog, &QFileDialog::fileSelected, m_location, &QLineEdit::setText);
    dialog->open();
}

} // namespace estrivo
