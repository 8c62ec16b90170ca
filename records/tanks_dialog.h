#pragma once

#include "frozen_types.h"
#include "journal_types.h"

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace estrivo {

class JournalService;

// One tank's name, place and size: adds a new one (id 0) or keeps changes to one.
class TankEditDialog : public QDialog
{
    Q_OBJECT

public:
    TankEditDialog(JournalService *journal, Tank tank, QWidget *parent = nullptr);

    Tank tank() const;
    QString problem() const;

public slots:
    void accept() override;

signals:
    void saved(const estrivo::Tank &tank);

private:
    void check();

    QPointer<JournalService> m_journal;
    Tank m_tank;
    bool m_busy = false;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_location = nullptr;
    QSpinBox *m_canisters = nullptr;
    QDoubleSpinBox *m_minimum = nullptr;
    QLabel *m_problem = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

// A liquid-nitrogen level check of one tank.
class TankCheckDialog : public QDialog
{
    Q_OBJECT

public:
    TankCheckDialog(JournalService *journal, Tank tank, QWidget *parent = nullptr);

    TankCheck check() const;

public slots:
    void accept() override;

signals:
    void recorded(const estrivo::TankCheck &check);

private:
    void showState();

    QPointer<JournalService> m_journal;
    Tank m_tank;
    bool m_busy = false;
    QDoubleSpinBox *m_level = nullptr;
    QCheckBox *m_refilled = nullptr;
    QLineEdit *m_note = nullptr;
    QLabel *m_problem = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

// The station's tanks: which are due for a level check or low, each one's checks, and the
// dialogs that add, change and check them.
class TanksDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TanksDialog(JournalService *journal, QWidget *parent = nullptr);

    QList<Tank> tanks() const { return m_tanks; }
    // The tank of the chosen row; 0 for none.
    qint64 chosenTank() const;
    void chooseTank(qint64 id);

public slots:
    void reread();
    void openTankDialog(bool add);
    void openCheckDialog();

signals:
    // The tanks are shown as the journal has them now.
    void tanksShown();
    // The checks of the chosen tank are shown.
    void checksShown(qint64 tankId);
    // A tank was added or changed, or checked.
    void tanksChanged();

private:
    struct Read
    {
        JournalReply<QList<Tank>> tanks;
        QDateTime now;
    };
    void showTanks(const Read &read);
    void readChecks();
    void updateButtons();

    QPointer<JournalService> m_journal;
    QList<Tank> m_tanks;
    qint64 m_chooseAfterRead = 0;
    quint64 m_request = 0;
    quint64 m_checksRequest = 0;

    QTableWidget *m_list = nullptr;
    QTableWidget *m_checks = nullptr;
    QLabel *m_note = nullptr;
    QPushButton *m_edit = nullptr;
    QPushButton *m_check = nullptr;
};

} // namespace estrivo
