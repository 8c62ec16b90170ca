#pragma once

#include "csv_export.h"
#include "frozen_types.h"
#include "journal_types.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>

#include <optional>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTableWidget;

namespace estrivo {

class JournalService;

// The frozen semen of the station: the freeze batches (of the stallion the window shows, or of
// all), the chosen batch's sources, tests, release history and straws in the tanks, the dialogs
// that freeze, test, release, place, move and take out straws, and what the tanks and the stock
// need, for the window to remind of.
class FrozenPane : public QWidget
{
    Q_OBJECT

public:
    // A tank falls due with time alone, with nothing saved to tell the window: it is looked
    // at again this often.
    static constexpr std::chrono::hours kReminderRefresh{1};

    // What the Frozen menu writes to a file.
    enum class Report { TankCsv, TankPdf, StallionCsv, StallionPdf, CaneLabels };
    Q_ENUM(Report)

    explicit FrozenPane(QWidget *parent = nullptr);

    void setJournal(JournalService *journal);
    // Whether the journal is open: the actions wait for it.
    void setJournalOpen(bool open);
    // Only his batches from now on; all for an empty name.
    void setStallion(const QString &stallion);
    // The collection the window shows: a new batch is frozen from it.
    void setCurrentSheet(const std::optional<SheetRecord> &sheet);
    // The Frozen menu's entries: the dialogs and the tanks.
    void addActionsTo(QMenu *menu);

    QList<FreezeBatch> batches() const { return m_batches; }
    // The batch of the chosen row; 0 for none.
    qint64 chosenBatch() const;
    void chooseBatch(qint64 id);
    std::optional<FreezeBatch> shownBatch() const { return m_batch; }
    QList<Placement> placements() const { return m_placements; }
    // The chosen row of the placements; none when none is chosen.
    std::optional<StrawPosition> chosenPosition() const;
    // What the tanks and the stock need, one sentence each; empty while all is well.
    QStringList reminders() const { return m_reminders; }
    FrozenSettings settings() const { return m_settings; }

public slots:
    // Reads the batches, the tanks' care and the stock again.
    void reread();
    // After another workstation saved: all of it now when the pane is shown, else the tanks'
    // care and the stock (the reminders are shown outside it) and the rest once it is shown,
    // so a hidden tab costs the window nothing while a journal comes back.
    void rereadWhenShown();
    void openFreezeBatchDialog();
    void openThawTestDialog();
    void openReleaseDialog();
    void openPlaceDialog();
    void openMoveDialog();
    void openDispatchDialog();
    void openUseDialog();
    void openTanksDialog();
    // Asks where to write `report`, then writes it.
    void chooseReportFile(estrivo::FrozenPane::Report report);
    // Writes `report` (the labels of the chosen batch) on the journal's thread.
    void writeReport(estrivo::FrozenPane::Report report, const QString &fileName);

signals:
    // The list of batches and the reminders are shown as the journal has them now.
    void batchesShown();
    // The chosen batch's details are shown.
    void batchShown(qint64 id);
    void remindersChanged(const QStringList &reminders);
    // Something the pane's dialogs kept: a batch, a test, a release, a move, a movement, a tank.
    void kept(const QString &what);
    void reportWritten(const QString &fileName, const estrivo::ExportOutcome &outcome);

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct ListRead
    {
        JournalReply<QList<FreezeBatch>> batches;
        QHash<qint64, double> progressive; // batch id -> latest post-thaw progressive motility
        QList<Tank> tanks;
        QList<LowStock> lowStock;
        FrozenSettings settings;
        QDateTime now;
    };
    struct DetailRead
    {
        JournalReply<FreezeBatch> batch;
        QList<ThawTest> tests;
        QList<ReleaseChange> changes;
        QList<Placement> placements;
        QList<SheetRecord> sources; // without pictures
    };
    void showList(const ListRead &read);
    void readDetails();
    void showDetails(const DetailRead &read);
    void openDialog(QDialog *dialog);
    void noteKept(const QString &what);
    void updateButtons();

    QPointer<JournalService> m_journal;
    bool m_open = false;
    QString m_stallion;
    bool m_listed = false; // read at least once for this stallion
    bool m_stale = false;  // another workstation saved while the pane was hidden
    std::optional<SheetRecord> m_sheet;
    QList<FreezeBatch> m_batches;
    std::optional<FreezeBatch> m_batch;
    QList<ThawTest> m_tests;
    QList<Placement> m_placements;
    QStringList m_reminders;
    FrozenSettings m_settings;
    qint64 m_chooseAfterRead = 0;
    quint64 m_listRequest = 0;
    quint64 m_detailRequest = 0;
    QTimer m_refresh;

    QTableWidget *m_list = nullptr;
    QLabel *m_heading = nullptr;
    QLabel *m_details = nullptr;
    QLabel *m_note = nullptr;
    QTableWidget *m_positions = nullptr;
    QPushButton *m_test = nullptr;
    QPushButton *m_release = nullptr;
    QPushButton *m_place = nullptr;
    QPushButton *m_move = nullptr;
    QPushButton *m_dispatch = nullptr;
    QPushButton *m_use = nullptr;
    QAction *m_newBatchAction = nullptr;
    QAction *m_tanksAction = nullptr;
    QList<QAction *> m_batchActions; // need a chosen batch
    QList<QAction *> m_reportActions;
};

} // namespace estrivo
