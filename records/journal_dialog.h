#pragma once

#include "journal_types.h"

#include <memory>

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

namespace estrivo {

class JournalService;

// Chooses where the journal is: a SQLite file or a PostgreSQL URI, kept in the settings only
// once a connection to it has worked.
class JournalDialog : public QDialog
{
    Q_OBJECT

public:
    explicit JournalDialog(const QString &location, QWidget *parent = nullptr);

    QString location() const;

public slots:
    // Tests the connection off the GUI thread; keeps the location and closes once it works.
    void accept() override;

signals:
    void locationKept(const QString &location);

private:
    void probeFinished(const QString &location, const JournalReply<bool> &reply);
    void browse();

    QLineEdit *m_location = nullptr;
    QLabel *m_status = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
    JournalService *m_probe = nullptr; // the connection test under way
};

} // namespace estrivo
