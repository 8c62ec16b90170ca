#pragma once

#include "register_types.h"

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace estrivo {

class JournalService;

// What a movement dialog asks for: one form per way doses go or come back.
enum class MovementForm { Dispatch, Use, Destroy, Return, Adjust, Reverse };

// Asks for one movement of a collection's doses, checks it against what the window knows of the
// batch (OK stays off, with a line saying why) and has the journal keep it. The journal checks
// again in its own transaction: another workstation may have moved doses meanwhile, and its
// refusal is shown with the dialog left open, so the operator can correct what was asked.
class MovementDialog : public QDialog
{
    Q_OBJECT

public:
    // `of`: the dispatch a return comes back from, or the movement a reversal corrects.
    MovementDialog(JournalService *journal, MovementForm form, DoseBatch batch, qint64 of = 0,
                   QWidget *parent = nullptr);

    MovementForm form() const { return m_form; }
    // The movement as filled in so far.
    Movement movement() const;
    // Why it cannot be kept as it stands; empty when OK is on.
    QString problem() const;
    // What the journal now says of the batch, after a refusal or another workstation's move.
    void setBatch(const DoseBatch &batch);

public slots:
    // Asks the journal to keep the movement; closes once it has.
    void accept() override;

signals:
    void recorded(const estrivo::Movement &movement);
    void refused(const estrivo::JournalError &error);

private:
    void buildForm();
    void fillDispatches(qint64 chosen);
    void check();
    void setBusy(bool busy);
    qint64 chosenDispatch() const;
    const Movement *findMovement(qint64 id) const;
    QString batchText() const;

    QPointer<JournalService> m_journal;
    MovementForm m_form;
    DoseBatch m_batch;
    qint64 m_of = 0;
    QString m_uid; // one movement however often OK is pressed
    bool m_busy = false;

    QLabel *m_summary = nullptr;
    QSpinBox *m_doses = nullptr;
    QLineEdit *m_consignee = nullptr;
    QLineEdit *m_mare = nullptr;
    QLineEdit *m_mareUeln = nullptr;
    QLineEdit *m_address = nullptr;
    QLineEdit *m_country = nullptr;
    QLineEdit *m_vet = nullptr;
    QLineEdit *m_carrier = nullptr;
    QLineEdit *m_tracking = nullptr;
    QLineEdit *m_container = nullptr;
    QCheckBox *m_dueBackOn = nullptr;
    QDateEdit *m_dueBack = nullptr;
    QComboBox *m_dispatch = nullptr;
    QCheckBox *m_containerBack = nullptr;
    QLineEdit *m_reason = nullptr;
    QLabel *m_problem = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

} // namespace estrivo
