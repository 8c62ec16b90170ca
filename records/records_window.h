#pragma once

#include "csv_export.h"
#include "journal_types.h"
#include "trend.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QDialog;
class QDateEdit;
class QLabel;
class QLineEdit;
class QSplitter;
class QTableView;
class QTabWidget;
class QTreeWidget;

namespace estrivo {

class DosesPane;
class FrozenPane;
class JournalService;
class ScanField;
class SheetTableModel;
class TrendChartView;

// What the window shows beside the rows of a filter: how many there are and, for one
// stallion, his trend. Worked out on the journal's thread.
struct FilterSummary
{
    qint64 collections = 0;
    QString stallion; // empty: no trend was asked for
    TrendSeries trend;
    JournalError error;
};

// The records window: the stallions, the kept collections with their filters, a sheet's
// details and picture, a stallion's trend, and the exports and labels made from them.
class RecordsWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Opens the journal at `location` on the journal's own thread; the window shows at once.
    explicit RecordsWindow(const QString &location, QWidget *parent = nullptr);
    ~RecordsWindow() override;

    QString journalLocation() const { return m_location; }
    bool isJournalOpen() const { return m_open; }
    // Whether the journal answers: false while it is down or has not answered for a while.
    bool isJournalAnswering() const { return m_answering; }
    // What the window says about its journal above the table; empty while all is well.
    QString journalNotice() const;
    // What it says when it shows a journal other than this workstation's; empty otherwise.
    QString viewingNote() const;
    SheetFilter filter() const;
    // The sheet the table's current row shows, as kept, with its picture.
    std::optional<SheetRecord> currentSheet() const { return m_current; }

public slots:
    // Opens the journal at `location` and, once it answers, shows its collections.
    void openJournal(const QString &location);
    // Reads the stallions and the filtered collections again, keeping the chosen sheet; asks
    // a journal that does not answer again at once.
    void refresh();
    // Written on a thread and a connection of their own; exportFinished tells how.
    void exportCsvTo(const QString &fileName);
    void exportReportTo(const QString &fileName);

signals:
    // The journal was opened and its first rows are in the table.
    void journalOpened();
    void journalFailed(const QString &reason);
    // The count and, for one stallion, the trend of the current filter are shown.
    void summaryShown();
    // The chosen sheet's details (and picture) are shown.
    void sheetShown(qint64 id);
    // Rows another program saved were brought into the table.
    void liveUpdated();
    void exportFinished(const QString &fileName, const estrivo::ExportOutcome &outcome);

private:
    void buildActions();
    void buildLayout();
    void restoreLayout();
    void saveLayout();
    void showSortOrder();
    void opened(const JournalReply<bool> &reply);
    void closeJournal();
    void loadStallions();
    void showStallions(const QList<StallionCount> &counts);
    void applyFilter();
    void requestSummary();
    void showCurrentSheet();
    void showSheet(const SheetRecord &sheet);
    void clearDetails(const QString &why);
    void showSummary(const FilterSummary &summary);
    void journalChanged();
    void keepScrollPosition(int rowsAbove);
    void showAvailability(const JournalError &error);
    void showWaiting(std::chrono::milliseconds waited);
    void showNotice();
    void chooseExportFile(bool report);
    void startExport(const QString &fileName, bool report);
    void openLabelsDialog();
    void openJournalDialog();
    // The register: its dialogs, the doses of the chosen sheet and the labels a scanner reads.
    void buildRegister();
    void openRegisterDialog(QDialog *dialog);
    // Frozen semen: its tab, its menu and the reminder of what the tanks and the stock need.
    void buildFrozen();
    void showFrozenReminders(const QStringList &reminders);
    void showScannedDose(qint64 sheetId, int dose);
    void readSheet(qint64 id);
    void openManual();
    void openAbout();
    void updateActions();
    void showStatus();

    QString m_location;
    JournalService *m_journal = nullptr; // the window's one way to its journal
    bool m_open = false;
    bool m_answering = true;
    JournalError m_down;       // why the journal does not answer; ok while it does
    JournalError m_openedWith; // read-only or newer schema, said in the status
    std::chrono::milliseconds m_waited{0};
    SheetTableModel *m_model = nullptr;
    QSplitter *m_mainSplitter = nullptr;
    QSplitter *m_listSplitter = nullptr;
    std::optional<SheetRecord> m_current;
    qint64 m_wantedSheet = 0;      // the sheet whose details were asked for last
    qint64 m_keepSheet = 0;        // the sheet to choose again once a refresh has its rows
    quint64 m_stallionRequest = 0; // only the newest answer of each kind is shown
    quint64 m_summaryRequest = 0;
    qint64 m_shownCount = 0;
    QTimer m_changePause; // another program's saves, a burst at a time

    QTreeWidget *m_stallions = nullptr;
    QCheckBox *m_sinceOn = nullptr;
    QDateEdit *m_since = nullptr;
    QCheckBox *m_untilOn = nullptr;
    QDateEdit *m_until = nullptr;
    QLineEdit *m_search = nullptr;
    QTimer m_searchPause; // a filter per pause in typing, not per keystroke
    QTableView *m_table = nullptr;
    QTabWidget *m_tabs = nullptr;
    QWidget *m_details = nullptr;
    QLabel *m_picture = nullptr;
    TrendChartView *m_chart = nullptr;
    QLabel *m_journalStatus = nullptr;
    QLabel *m_notice = nullptr;  // above the table: waiting for, or no answer from, the journal
    QLabel *m_viewing = nullptr; // above the table: a journal other than this workstation's
    DosesPane *m_doses = nullptr;
    FrozenPane *m_frozen = nullptr;
    QLabel *m_frozenReminder = nullptr; // above the table, beside the journal's notice
    ScanField *m_scan = nullptr;
    QList<QAction *> m_registerActions;

    QAction *m_exportCsvAction = nullptr;
    QAction *m_exportReportAction = nullptr;
    QAction *m_labelsAction = nullptr;
    QAction *m_refreshAction = nullptr;
};

} // namespace estrivo
