#pragma once

#include "journal_types.h"

#include <QDialog>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace estrivo {

class JournalService;

// Chooses which journal the records window shows: a SQLite file or a PostgreSQL URI, taken
// only once a connection to it has worked. Browsing changes nothing else; making it the
// journal this workstation saves to is a choice of its own, confirmed. A password is never
// kept or shown here: typed into the address it is masked at once, and it either goes to
// libpq's password file, when asked, or nowhere.
class JournalDialog : public QDialog
{
    Q_OBJECT

public:
    explicit JournalDialog(const QString &location, QWidget *parent = nullptr);

    // The location as it would be used: without a password, made absolute for a file.
    QString location() const;

public slots:
    // Tests the connection off the GUI thread; takes the location and closes once it works.
    void accept() override;

signals:
    // The records window is to show this journal.
    void locationChosen(const QString &location);
    // This workstation's programs save to this journal from now on.
    void workstationJournalChanged(const QString &location);

private:
    void probeFinished(const QString &location, const JournalReply<bool> &reply);
    void choose(const QString &location);
    void takePasswordOut();
    void keepPassword();
    void browse();

    QLineEdit *m_location = nullptr;
    QLabel *m_passwordNote = nullptr;
    QPushButton *m_keepPassword = nullptr;
    QCheckBox *m_forWorkstation = nullptr;
    QLabel *m_status = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
    JournalService *m_probe = nullptr; // the connection test under way
    QString m_password; // typed into the address; held only until kept or the dialog closes
};

} // namespace estrivo
