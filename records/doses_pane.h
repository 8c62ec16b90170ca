#pragma once

#include "csv_export.h"
#include "journal_types.h"
#include "movement_dialog.h"
#include "register_types.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class QFrame;
class QLabel;
class QPushButton;
class QTableWidget;

namespace estrivo {

class JournalService;

// The doses of the chosen collection: how many it made and how many remain, its stallion as the
// register knows him (or an offer to register him), every movement of its doses, and the
// dialogs that move them. A dose a scanner read is offered for dispatch or use.
class DosesPane : public QWidget
{
    Q_OBJECT

public:
    explicit DosesPane(QWidget *parent = nullptr);

    void setJournal(JournalService *journal);
    // Shows the doses of `sheet`, read from the journal.
    void showSheet(const SheetRecord &sheet);
    void clear(const QString &why);
    // Reads the shown collection's doses and stallion again.
    void reread();
    // The same after another workstation saved: now when the pane is shown, else once it is.
    void rereadWhenShown();
    // Offers dose `dose` of collection `sheetId` for dispatch or use, once it is shown.
    void offerDose(qint64 sheetId, int dose);

    qint64 sheetId() const { return m_sheetId; }
    // What was read for the shown collection; nullopt until it is read.
    std::optional<DoseBatch> batch() const { return m_batch; }
    std::optional<Stallion> stallion() const { return m_stallion; }
    // The movement of the chosen row of the list; 0 for none.
    qint64 chosenMovement() const;
    void chooseMovement(qint64 id);

public slots:
    // Opens the dialog of `form` for the shown collection; `of` is the dispatch a return
    // comes back from, or the movement a reversal corrects (the chosen one when 0).
    void openMovementDialog(estrivo::MovementForm form, qint64 of = 0);
    // Registers the shown collection's stallion, his name as the sheet has it.
    void registerStallion();
    // Asks where to write the transport sheet of the chosen dispatch, then writes it.
    void chooseTransportSheetFile();
    // Writes the transport sheet of dispatch `dispatchId` on the journal's thread.
    void writeTransportSheet(qint64 dispatchId, const QString &fileName);

signals:
    // The doses of this collection are shown, as the journal has them now.
    void batchShown(qint64 sheetId);
    void movementRecorded(const estrivo::Movement &movement);
    void stallionRegistered(const estrivo::Stallion &stallion);
    void transportSheetWritten(const QString &fileName, const estrivo::ExportOutcome &outcome);

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Read
    {
        JournalReply<DoseBatch> batch;
        std::optional<Stallion> stallion;
        JournalError stallionError; // NotFound: he is not on the register
    };
    void showRead(const Read &read);
    void showMovements();
    void showOffer();
    void updateButtons();
    // The chosen movement when it is a dispatch that was not reversed; 0 otherwise.
    qint64 chosenDispatch() const;

    QPointer<JournalService> m_journal;
    qint64 m_sheetId = 0;
    QString m_stallionName; // the sheet's first line
    std::optional<DoseBatch> m_batch;
    std::optional<Stallion> m_stallion;
    quint64 m_request = 0;
    bool m_stale = false; // another workstation saved while the pane was hidden
    qint64 m_chooseAfterRead = 0;
    qint64 m_offerSheet = 0;
    int m_offerDose = 0;
    QPointer<MovementDialog> m_dialog;

    QLabel *m_heading = nullptr;
    QLabel *m_identity = nullptr;
    QPushButton *m_register = nullptr;
    QLabel *m_counts = nullptr;
    QFrame *m_offer = nullptr;
    QLabel *m_offerText = nullptr;
    QPushButton *m_dispatch = nullptr;
    QPushButton *m_use = nullptr;
    QPushButton *m_destroy = nullptr;
    QPushButton *m_return = nullptr;
    QPushButton *m_adjust = nullptr;
    QPushButton *m_reverse = nullptr;
    QPushButton *m_transport = nullptr;
    QLabel *m_note = nullptr; // what the last movement or transport sheet came to
    QTableWidget *m_movements = nullptr;
};

} // namespace estrivo
