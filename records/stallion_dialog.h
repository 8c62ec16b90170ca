#pragma once

#include "register_types.h"

#include <QDialog>
#include <QPointer>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace estrivo {

class JournalService;

// One stallion's names and identity: registers a new one (id 0) or keeps changes to one on the
// register. A new name keeps the old one as an alias, so the sheets under it stay his.
class StallionEditDialog : public QDialog
{
    Q_OBJECT

public:
    StallionEditDialog(JournalService *journal, Stallion stallion, QWidget *parent = nullptr);

    // The stallion as filled in so far.
    Stallion stallion() const;
    // Why he cannot be kept as he stands; empty when OK is on.
    QString problem() const;

public slots:
    void accept() override;

signals:
    // Kept by the journal, id set.
    void saved(const estrivo::Stallion &stallion);

private:
    void check();

    QPointer<JournalService> m_journal;
    Stallion m_stallion; // as the journal had him
    bool m_busy = false;
    QLineEdit *m_name = nullptr;
    QPlainTextEdit *m_aliases = nullptr;
    QLineEdit *m_breed = nullptr;
    QLineEdit *m_born = nullptr;
    QLineEdit *m_registration = nullptr;
    QLineEdit *m_ueln = nullptr;
    QLineEdit *m_owner = nullptr;
    QLabel *m_renameNote = nullptr;
    QLabel *m_problem = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

// Makes one stallion of two names kept as two: every name of the first becomes an alias of the
// one chosen here, and his collections go with them.
class StallionMergeDialog : public QDialog
{
    Q_OBJECT

public:
    StallionMergeDialog(JournalService *journal, Stallion from, const QList<Stallion> &others,
                        QWidget *parent = nullptr);

    // The stallion `from` is made one with; 0 when none is chosen.
    qint64 into() const;
    void chooseInto(qint64 id);

public slots:
    void accept() override;

signals:
    void merged(qint64 from, qint64 into);

private:
    QPointer<JournalService> m_journal;
    Stallion m_from;
    bool m_busy = false;
    QComboBox *m_into = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

// The stallion register: every registered stallion with his identity and number of
// collections; adds, renames and merges them.
class StallionsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit StallionsDialog(JournalService *journal, QWidget *parent = nullptr);

    QList<Stallion> shown() const { return m_stallions; }
    // The stallion of the chosen row; nullopt when none is chosen.
    std::optional<Stallion> chosen() const;
    void choose(qint64 id);

public slots:
    // Reads the register again.
    void reload();
    void addStallion();
    void editStallion();
    void mergeStallion();

signals:
    // The register was read and is shown.
    void loaded();
    // A stallion was added, changed or merged.
    void registerChanged();

private:
    void showRegister(const JournalReply<QList<Stallion>> &reply);
    void updateButtons();

    QPointer<JournalService> m_journal;
    QList<Stallion> m_stallions;
    quint64 m_request = 0;
    QTableWidget *m_table = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_edit = nullptr;
    QPushButton *m_merge = nullptr;
};

} // namespace estrivo
