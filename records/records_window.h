#pragma once

#include "csv_export.h"
#include "journal.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTableView;
class QTabWidget;
class QTreeWidget;

namespace estrivo {

class JournalProbe;
class SheetTableModel;
class SummaryLoader;
struct FilterSummary;
class TrendChartView;

// The records window: the stallions, the kept collections with their filters, a sheet's
// details and picture, a stallion's trend, and the exports and labels made from them.
class RecordsWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Opens the journal at `location` once a probe off the GUI thread has reached it.
    explicit RecordsWindow(const QString &location, QWidget *parent = nullptr);
    ~RecordsWindow() override;

    QString journalLocation() const { return m_location; }
    bool isJournalOpen() const;
    SheetFilter filter() const;
    // The sheet the table's current row shows, as kept, with its picture.
    std::optional<SheetRecord> currentSheet() const { return m_current; }

public slots:
    // Probes the journal at `location` and, once it answers, shows its collections.
    void openJournal(const QString &location);
    // Reads the stallions and the filtered collections again.
    void refresh();
    // Written off the GUI thread from a connection of their own; exportFinished tells how.
    void exportCsvTo(const QString &fileName);
    void exportReportTo(const QString &fileName);

signals:
    // The journal was opened and its first rows are in the table.
    void journalOpened();
    void journalFailed(const QString &reason);
    // The count and, for one stallion, the trend of the current filter are shown.
    void summaryShown();
    void exportFinished(const QString &fileName, const estrivo::ExportOutcome &outcome);

private:
    void buildActions();
    void buildLayout();
    void probeFinished(const QString &location, bool readable, const JournalError &error);
    void closeJournal();
    void loadStallions();
    void applyFilter();
    void showCurrentSheet();
    void showSummary(const FilterSummary &summary);
    void chooseExportFile(bool report);
    void startExport(const QString &fileName, bool report);
    void openLabelsDialog();
    void openJournalDialog();
    void updateActions();
    void showStatus();

    QString m_location;
    std::unique_ptr<Journal> m_journal;
    JournalProbe *m_probe = nullptr;
    SummaryLoader *m_summaries = nullptr;
    SheetTableModel *m_model = nullptr;
    std::optional<SheetRecord> m_current;
    qint64 m_shownCount = 0;

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

    QAction *m_exportCsvAction = nullptr;
    QAction *m_exportReportAction = nullptr;
    QAction *m_labelsAction = nullptr;
    QAction *m_refreshAction = nullptr;
};

} // namespace estrivo
