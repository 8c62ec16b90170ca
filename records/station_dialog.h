#pragma once

#include "register_types.h"

#include <QDialog>
#include <QPointer>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace estrivo {

class JournalService;

// The station as its labels and its register name it: name, address, approval number, the
// marking in force and how long the register is kept. Read from the journal when it opens, so
// every workstation shows and prints the same.
class StationDialog : public QDialog
{
    Q_OBJECT

public:
    explicit StationDialog(JournalService *journal, QWidget *parent = nullptr);

    StationProfile profile() const;
    // Why it cannot be kept as it stands; empty when OK is on.
    QString problem() const;
    bool isLoaded() const { return m_loaded; }

public slots:
    void accept() override;

signals:
    // The journal's profile is in the fields.
    void loaded();
    void saved(const estrivo::StationProfile &profile);

private:
    void showProfile(const JournalReply<StationProfile> &reply);
    void check();

    QPointer<JournalService> m_journal;
    StationProfile m_kept;
    bool m_loaded = false;
    bool m_busy = false;
    QLineEdit *m_name = nullptr;
    QPlainTextEdit *m_address = nullptr;
    QLineEdit *m_approval = nullptr;
    QComboBox *m_marking = nullptr;
    QSpinBox *m_retention = nullptr;
    QComboBox *m_labelDate = nullptr;
    QLabel *m_problem = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

} // namespace estrivo
