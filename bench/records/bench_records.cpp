// The records program against a SQLite journal of 100,000 sheets: the window from start to its
// first rows on the screen, a change of the stallion filter, the export of every row, resident
// memory, and 20 dose labels from the click to the job handed to the spooler. Runs offscreen.
// The journal is made once (a few seconds) and kept for later runs, see benchJournal().
// Memory is the process's own: run that one alone, --benchmark_filter=residentMemory.
#include "bench_sheets.h"
#include "csv_export.h"
#include "journal.h"
#include "labels_dialog.h"
#include "records_window.h"
#include "sheet_table_model.h"
#include "window_watch.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using bench::collections;
using bench::PaintWatch;
using bench::residentKiB;
using bench::waitFor;

namespace {

constexpr qint64 kSheets = 100000;
constexpr int kStallions = 20;

bench::SheetPlan plan()
{
    bench::SheetPlan planned;
    planned.count = kSheets;
    planned.stallions = kStallions;
    planned.every = 45min; // a collection every 45 minutes
    planned.first = QDateTime(QDate(2018, 1, 1), QTime(7, 0), Qt::UTC);
    planned.pictureEvery = 100; // a sheet's picture is ~30 KB: 3 GB for all would be silly
    return planned;
}

// The bench journal: $ESTRIVO_BENCH_JOURNAL, else a file kept under the temporary folder;
// made again when it does not hold the planned sheets.
QString benchJournal()
{
    QString path = qEnvironmentVariable("ESTRIVO_BENCH_JOURNAL");
    if (path.isEmpty())
        path = QDir::temp().filePath(u"estrivo-bench-records/journal-100k.sqlite"_s);
    QDir().mkpath(QFileInfo(path).path());
    QString error;
    {
        estrivo::Journal journal(path);
        if (journal.open().ok() && bench::matchesPlan(journal, plan(), &error))
            return path;
    }
    if (!bench::fillSqlite(path, plan(), &error)) {
        std::fprintf(stderr, "bench_records: %s\n", qPrintable(error));
        return {};
    }
    estrivo::Journal journal(path);
    if (!journal.open().ok() || !bench::matchesPlan(journal, plan(), &error)) {
        std::fprintf(stderr, "bench_records: the made journal %s\n", qPrintable(error));
        return {};
    }
    return path;
}

const QString &journalPath()
{
    static const QString path = benchJournal();
    return path;
}

void windowStartToFirstRows(benchmark::State &state)
{
    if (journalPath().isEmpty()) {
        state.SkipWithError("the bench journal could not be made");
        return;
    }
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        estrivo::RecordsWindow window(journalPath());
        window.show();
        std::unique_ptr<PaintWatch> watch;
        const bool shown = waitFor([&] {
            if (!watch && collections(window))
                watch = std::make_unique<PaintWatch>(collections(window));
            return watch && watch->painted;
        });
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (!shown) {
            state.SkipWithError("no rows shown");
            break;
        }
    }
}
BENCHMARK(windowStartToFirstRows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The rows and the count with the trend come from the journal's thread and are drawn when they
// arrive: timed to the table repainted with the stallion's first rows, and to the chart
// repainted with his trend.
void stallionFilter(benchmark::State &state)
{
    estrivo::RecordsWindow window(journalPath());
    window.resize(1280, 800);
    window.show();
    auto *stallions = window.findChild<QTreeWidget *>(u"stallions"_s);
    if (!waitFor([&] { return stallions->topLevelItemCount() > kStallions; })) {
        state.SkipWithError("the journal did not open");
        return;
    }
    // The trend in sight: its lines are drawn when they come.
    window.findChild<QTabWidget *>(u"tabs"_s)->setCurrentIndex(1);
    auto *chart = window.findChild<QAbstractScrollArea *>(u"trendChart"_s);
    QTableView *table = collections(window);
    auto *model = qobject_cast<estrivo::SheetTableModel *>(table->model());
    bool summarized = false;
    QObject::connect(&window, &estrivo::RecordsWindow::summaryShown,
                     [&summarized] { summarized = true; });
    // A window open for a moment: what it reads between requests has been read.
    QElapsedTimer settling;
    settling.start();
    waitFor([&] { return settling.elapsed() > state.range(0) && !model->isLoading(); }, 60s);
    int next = 1;
    std::vector<double> toRows;
    std::vector<double> toChart;
    for (auto _ : state) {
        summarized = false;
        QTreeWidgetItem *item = stallions->topLevelItem(next);
        const QString his = item->text(0);
        QElapsedTimer clock;
        clock.start();
        stallions->setCurrentItem(item);
        const bool rows
            = waitFor([&] { return model->rowCount() > 0 && model->row(0)->stallion == his; });
        table->viewport()->repaint();
        toRows.push_back(double(clock.nsecsElapsed()) / 1e6);
        state.SetIterationTime(toRows.back() / 1e3);
        if (!rows || !waitFor([&] { return summarized; })) {
            state.SkipWithError("no rows or no trend");
            break;
        }
        chart->viewport()->repaint();
        toChart.push_back(double(clock.nsecsElapsed()) / 1e6);
        next = next % kStallions + 1;
    }
    bench::reportSamples(state, "table", toRows);
    bench::reportSamples(state, "chart", toChart);
    state.SetLabel(qPrintable(u"%1 collections a stallion"_s.arg(kSheets / kStallions)));
}
// Right after the window opened, and after 3 s open.
BENCHMARK(stallionFilter)
    ->Arg(0)
    ->Arg(3000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

void exportAll(benchmark::State &state)
{
    QTemporaryDir dir;
    estrivo::Journal journal(journalPath());
    journal.open();
    qint64 rows = 0;
    for (auto _ : state) {
        const estrivo::ExportOutcome outcome
            = estrivo::exportCsvFile(journal, {}, dir.filePath(u"all.csv"_s));
        if (!outcome.ok()) {
            state.SkipWithError(qPrintable(estrivo::exportOutcomeText(outcome)));
            break;
        }
        rows = outcome.rows;
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(exportAll)->Unit(benchmark::kMillisecond)->Iterations(3);

// The command a script runs, process start and exit included.
void exportCommand(benchmark::State &state)
{
    QTemporaryDir dir;
    for (auto _ : state) {
        QProcess process;
        process.start(QStringLiteral(ESTRIVO_RECORDS),
                      {u"export"_s, u"--journal"_s, journalPath(), u"--output"_s,
                       dir.filePath(u"all.csv"_s)});
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            state.SkipWithError(process.readAllStandardError().constData());
            break;
        }
    }
}
BENCHMARK(exportCommand)->Unit(benchmark::kMillisecond)->Iterations(3);

void residentMemory(benchmark::State &state)
{
    for (auto _ : state) {
        estrivo::RecordsWindow window(journalPath());
        window.show();
        auto *stallions = window.findChild<QTreeWidget *>(u"stallions"_s);
        QTableView *table = collections(window);
        auto *model = qobject_cast<estrivo::SheetTableModel *>(table->model());
        waitFor([&] { return stallions->topLevelItemCount() > kStallions; });
        state.counters["opened_MB"] = double(residentKiB()) / 1024;
        for (int i = 1; i <= kStallions; ++i)
            stallions->setCurrentItem(stallions->topLevelItem(i));
        stallions->setCurrentItem(stallions->topLevelItem(0));
        waitFor([&] { return model->rowCount() > 0 && !model->isLoading(); });
        state.counters["filtered_MB"] = double(residentKiB()) / 1024;
        // Scrolled to the very end: every row read into the table, a page at a time.
        waitFor(
            [&] {
                if (model->canFetchMore({}))
                    model->fetchMore({});
                return !model->canFetchMore({}) && !model->isLoading();
            },
            10min);
        table->scrollToBottom();
        table->viewport()->repaint();
        state.counters["all_rows_MB"] = double(residentKiB()) / 1024;
        state.counters["rows"] = model->rowCount();
    }
}
BENCHMARK(residentMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// From the click on Print in the labels dialog to the job handed over (or the file written).
void printLabels(benchmark::State &state, bool toSpooler)
{
    estrivo::Journal journal(journalPath());
    journal.open();
    const std::optional<estrivo::SheetRecord> sheet = journal.sheet(kSheets / 2);
    if (!sheet) {
        state.SkipWithError("no sheet");
        return;
    }
    QTemporaryDir dir;
    for (auto _ : state) {
        estrivo::LabelsDialog dialog(*sheet);
        dialog.findChild<QSpinBox *>(u"count"_s)->setValue(20);
        auto *target = dialog.findChild<QComboBox *>(u"target"_s);
        if (!toSpooler) {
            target->setCurrentIndex(target->findText(u"PDF file"_s));
            dialog.findChild<QLineEdit *>(u"pdfFile"_s)->setText(dir.filePath(u"l.pdf"_s));
        } else if (target->currentText() == u"PDF file"_s) {
            state.SkipWithError("no printer; run through bench/print/with_cups.sh");
            break;
        }
        int printed = 0;
        QObject::connect(&dialog, &estrivo::LabelsDialog::printed,
                         [&printed](int labels) { printed = labels; });
        QElapsedTimer clock;
        clock.start();
        dialog.findChild<QPushButton *>(u"print"_s)->click();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (printed != 20) {
            state.SkipWithError("the labels were not printed");
            break;
        }
    }
}
BENCHMARK_CAPTURE(printLabels, toSpooler, true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK_CAPTURE(printLabels, toPdfFile, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QDir::temp().filePath(u"estrivo-bench-records/config"_s));
    QElapsedTimer made;
    made.start();
    if (journalPath().isEmpty()) {
        std::fputs("bench_records: the bench journal could not be made\n", stderr);
        return 1;
    }
    std::fprintf(stderr, "bench_records: journal %s ready after %lld ms\n",
                 qPrintable(journalPath()), made.elapsed());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
