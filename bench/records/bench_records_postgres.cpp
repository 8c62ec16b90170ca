// The records program against a PostgreSQL journal of 1,000,000 sheets by 30 stallions, on a
// private server started for the run with fsync on: the window from start to its first rows,
// a stallion's rows and count, his trend on the chart, the export of every row with the
// process's peak memory, and a sheet another program saves shown at the top of the table.
// Runs offscreen. Making the journal (10-25 s) is not measured. With
// ESTRIVO_BENCH_HOLD set, the server is kept up after the runs until Enter is pressed; with
// ESTRIVO_BENCH_POSTGRES set to a journal's URI, that journal is used (it must hold the planned
// sheets, as one this program made and held does, until otherProgramsSave has added to it).
#include "bench_sheets.h"
#include "journal_service.h"
#include "local_postgres.h"
#include "records_window.h"
#include "sheet_numbers.h"
#include "sheet_row.h"
#include "sheet_table_model.h"
#include "trend.h"
#include "window_watch.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScatterSeries>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using bench::collections;
using bench::PaintWatch;
using bench::waitFor;

namespace {

constexpr qint64 kSheets = 1000000;
constexpr int kStallions = 30;
constexpr auto kPatience = 120s; // for a step that should take well under a second
constexpr auto kLooking = 300ms; // between two choices in the window

bench::SheetPlan plan()
{
    bench::SheetPlan planned;
    planned.count = kSheets;
    planned.stallions = kStallions;
    planned.every = 5min; // ten years of a large station's collections
    planned.first = QDateTime(QDate(2016, 1, 4), QTime(7, 0), Qt::UTC);
    planned.pictureEvery = 100;
    return planned;
}

std::unique_ptr<LocalPostgres> server;
QString journalUri;

bool makeJournal(QString *error)
{
    journalUri = qEnvironmentVariable("ESTRIVO_BENCH_POSTGRES");
    if (journalUri.isEmpty()) {
        server = std::make_unique<LocalPostgres>(LocalPostgres::Durability::Full);
        if (!server->start(error))
            return false;
        journalUri = server->createDatabase(u"journal_1m"_s, error);
        if (journalUri.isEmpty() || !bench::fillPostgres(journalUri, plan(), error))
            return false;
    }
    estrivo::Journal journal(journalUri);
    if (const estrivo::JournalError opened = journal.open(); !opened.ok()) {
        *error = opened.reason;
        return false;
    }
    return bench::matchesPlan(journal, plan(), error);
}

double millisecondsSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

// A window on the journal, its stallions listed and its first summary shown.
struct OpenWindow
{
    OpenWindow()
        : window(journalUri)
    {
        window.resize(1280, 800);
        window.show();
        stallions = window.findChild<QTreeWidget *>(u"stallions"_s);
        table = collections(window);
        model = qobject_cast<estrivo::SheetTableModel *>(table->model());
        chart = window.findChild<estrivo::TrendChartView *>();
        QObject::connect(model, &estrivo::SheetTableModel::pageArrived, [this] { noteRows(); });
        QObject::connect(model, &estrivo::SheetTableModel::rowsAddedAbove, [this] { noteRows(); });
        QObject::connect(&window, &estrivo::RecordsWindow::summaryShown, [this] {
            ++summaries;
            if (clock.isValid() && summaryAt < 0) {
                summaryAt = millisecondsSince(clock);
                if (paintChart) {
                    // The layout the new lines asked for, then the chart drawn with them.
                    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                    chart->viewport()->repaint();
                    chartAt = millisecondsSince(clock);
                }
            }
        });
        QObject::connect(&window, &estrivo::RecordsWindow::liveUpdated, [this] {
            ++updates;
            if (clock.isValid() && updatedAt < 0)
                updatedAt = millisecondsSince(clock);
        });
        ready = waitFor(
            [this] {
                return stallions->topLevelItemCount() > kStallions && summaries > 0
                       && !model->isLoading();
            },
            kPatience);
    }

    // Starts timing one step. The moments are stamped by the window's signals as they are
    // emitted: a loop looking now and then would also count whatever else the event loop did
    // first, a chart painted say.
    void start(std::function<bool()> rowsAwaited, bool chartToo = false)
    {
        awaited = std::move(rowsAwaited);
        paintChart = chartToo;
        rowsAt = summaryAt = chartAt = updatedAt = -1;
        clock.start();
    }
    // The awaited rows, once at the top of the table, painted.
    void noteRows()
    {
        if (clock.isValid() && rowsAt < 0 && awaited && model->rowCount() > 0 && awaited()) {
            table->viewport()->repaint();
            rowsAt = millisecondsSince(clock);
        }
    }

    estrivo::RecordsWindow window;
    QTreeWidget *stallions = nullptr;
    QTableView *table = nullptr;
    estrivo::SheetTableModel *model = nullptr;
    estrivo::TrendChartView *chart = nullptr;
    int summaries = 0;
    int updates = 0;
    bool ready = false;

    QElapsedTimer clock;
    std::function<bool()> awaited;
    bool paintChart = false;
    double rowsAt = -1;    // ms after start(): the awaited rows painted at the top
    double summaryAt = -1; // summaryShown
    double chartAt = -1;   // the chart painted after summaryShown
    double updatedAt = -1; // liveUpdated
};

void windowStartToFirstRows(benchmark::State &state)
{
    std::vector<double> opened;
    std::vector<double> painted;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        estrivo::RecordsWindow window(journalUri);
        QObject::connect(&window, &estrivo::RecordsWindow::journalOpened,
                         [&] { opened.push_back(millisecondsSince(clock)); });
        window.show();
        std::unique_ptr<PaintWatch> watch;
        const bool shown = waitFor(
            [&] {
                if (!watch && collections(window))
                    watch = std::make_unique<PaintWatch>(collections(window));
                return watch && watch->painted;
            },
            kPatience);
        painted.push_back(millisecondsSince(clock));
        state.SetIterationTime(painted.back() / 1e3);
        if (!shown) {
            state.SkipWithError("no rows shown");
            break;
        }
        // Let it finish what it asked for at the start before it is closed.
        auto *stallions = window.findChild<QTreeWidget *>(u"stallions"_s);
        waitFor([&] { return stallions->topLevelItemCount() > kStallions; }, kPatience);
        state.counters["resident_MB"] = double(bench::residentKiB()) / 1024;
    }
    bench::reportSamples(state, "journalOpened", opened);
    bench::reportSamples(state, "rows_painted", painted);
}
BENCHMARK(windowStartToFirstRows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// A stallion chosen in the list: timed to the table repainted with his first rows, to his
// count in the status bar (summaryShown) and, with the Trend tab in front, to the chart
// repainted with his lines. The iteration time is the later of the table and the count.
void stallionFilter(benchmark::State &state, bool trendInFront)
{
    OpenWindow open;
    if (!open.ready) {
        state.SkipWithError("the journal did not open");
        return;
    }
    auto *tabs = open.window.findChild<QTabWidget *>(u"tabs"_s);
    tabs->setCurrentIndex(trendInFront ? 1 : 0);
    std::vector<double> toRows;
    std::vector<double> toCount;
    std::vector<double> toChart;
    int next = 1;
    qint64 collectionsShown = 0;
    for (auto _ : state) {
        QTreeWidgetItem *item = open.stallions->topLevelItem(next);
        const QString his = item->text(0);
        const qint64 hisCount = item->text(1).toLongLong();
        open.start([&open, his] { return open.model->row(0)->stallion == his; }, trendInFront);
        open.stallions->setCurrentItem(item);
        const bool shown = waitFor(
            [&open] {
                open.noteRows();
                return open.rowsAt >= 0 && open.summaryAt >= 0;
            },
            kPatience);
        if (!shown) {
            state.SkipWithError("no rows or no count");
            break;
        }
        if (open.window.statusBar()->currentMessage() != estrivo::collectionsText(hisCount)) {
            state.SkipWithError("the status bar does not show his count");
            break;
        }
        if (trendInFront) {
            // His line, each collection a point or, where they are far more than the chart is
            // wide, at least one point a thousandth of its width.
            const qsizetype drawn = open.chart->valuesSeries()->count();
            if (drawn < std::min<qint64>(hisCount, 1000) || drawn > hisCount
                || !open.chart->chart()->title().startsWith(his)) {
                state.SkipWithError("the chart does not show his collections");
                break;
            }
            toChart.push_back(open.chartAt);
        }
        toRows.push_back(open.rowsAt);
        toCount.push_back(open.summaryAt);
        state.SetIterationTime(std::max(open.rowsAt, open.summaryAt) / 1e3);
        collectionsShown = hisCount;
        next = next % kStallions + 1;
        // A moment on his rows and chart, as a person takes, before the next stallion: what
        // the window still draws belongs to this choice, not to the next one's time.
        state.PauseTiming();
        QElapsedTimer looking;
        looking.start();
        waitFor([&looking] { return looking.elapsed() >= kLooking.count(); });
        state.ResumeTiming();
    }
    bench::reportSamples(state, "table", toRows);
    bench::reportSamples(state, "count", toCount);
    if (trendInFront)
        bench::reportSamples(state, "chart", toChart);
    state.counters["collections"] = double(collectionsShown);
}
BENCHMARK_CAPTURE(stallionFilter, sheetTab, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30);
BENCHMARK_CAPTURE(stallionFilter, trendTab, true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30);

// Where a stallion's trend spends its time, step by step as the window takes them: his sheets
// read (one pass, trend columns only) on a journal connection, the lines worked out, the
// chart given them, and the chart painted.
void trendSteps(benchmark::State &state)
{
    estrivo::Journal journal(journalUri);
    estrivo::TrendChartView chart;
    chart.resize(950, 400);
    chart.show();
    waitFor([&chart] { return chart.windowHandle() && chart.windowHandle()->isExposed(); });
    std::vector<double> read;
    std::vector<double> worked;
    std::vector<double> given;
    std::vector<double> painted;
    int next = 1;
    for (auto _ : state) {
        estrivo::SheetFilter his;
        his.stallion = bench::stallionName(next);
        next = next % kStallions + 1;
        QElapsedTimer clock;
        clock.start();
        QList<estrivo::TrendSample> samples;
        const estrivo::JournalError error = journal.forEachSheet(
            his, estrivo::SheetDetail::Trend, [&samples](const estrivo::SheetRecord &sheet) {
                samples.append({sheet.savedAt, estrivo::sheetNumbers(sheet)});
                return true;
            });
        read.push_back(millisecondsSince(clock));
        if (!error.ok()) {
            state.SkipWithError(qPrintable(error.reason));
            break;
        }
        clock.start();
        const estrivo::TrendSeries series = estrivo::trendSeries(std::move(samples));
        worked.push_back(millisecondsSince(clock));
        clock.start();
        chart.showTrend(his.stallion, series);
        given.push_back(millisecondsSince(clock));
        clock.start();
        QCoreApplication::sendPostedEvents(); // the layout the new lines asked for
        chart.viewport()->repaint();
        painted.push_back(millisecondsSince(clock));
        state.SetIterationTime((read.back() + worked.back() + given.back() + painted.back())
                               / 1e3);
    }
    bench::reportSamples(state, "read", read);
    bench::reportSamples(state, "lines", worked);
    bench::reportSamples(state, "chart_set", given);
    bench::reportSamples(state, "chart_paint", painted);
}
BENCHMARK(trendSteps)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// Every row to CSV as File, Export CSV does it: on a service (thread and connection) of its
// own. The peak is the process's highest resident size during the export (VmHWM, started
// over from what was resident just before).
void exportAll(benchmark::State &state)
{
    OpenWindow open;
    if (!open.ready) {
        state.SkipWithError("the journal did not open");
        return;
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(u"collections.csv"_s);
    for (auto _ : state) {
        std::optional<estrivo::ExportOutcome> outcome;
        const auto finished = QObject::connect(
            &open.window, &estrivo::RecordsWindow::exportFinished,
            [&outcome](const QString &, const estrivo::ExportOutcome &how) { outcome = how; });
        const double before = double(bench::residentKiB()) / 1024;
        if (!bench::resetPeakResident()) {
            state.SkipWithError("cannot start the peak resident size over");
            break;
        }
        QElapsedTimer clock;
        clock.start();
        open.window.exportCsvTo(file);
        const bool done = waitFor([&] { return outcome.has_value(); }, 10min);
        state.SetIterationTime(millisecondsSince(clock) / 1e3);
        QObject::disconnect(finished);
        if (!done || !outcome->ok()) {
            state.SkipWithError(done ? qPrintable(estrivo::exportOutcomeText(*outcome))
                                     : "no end to the export");
            break;
        }
        const double peak = double(bench::statusKiB("VmHWM")) / 1024;
        state.counters["resident_before_MB"] = before;
        state.counters["peak_MB"] = peak;
        state.counters["growth_MB"] = peak - before;
        state.counters["rows"] = double(outcome->rows);
        state.counters["file_MB"] = double(QFileInfo(file).size()) / 1e6;
    }
}
BENCHMARK(exportAll)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

// Another program saves a sheet (its own service: a thread and a connection of its own, as
// the sheet window's): timed from the save asked for to the window's liveUpdated, and to the
// table repainted with that sheet in its top row. The window shows all stallions.
void otherProgramsSave(benchmark::State &state)
{
    OpenWindow open;
    if (!open.ready) {
        state.SkipWithError("the journal did not open");
        return;
    }
    estrivo::JournalService writer(journalUri);
    qint64 savedId = 0;
    double savedAt = -1; // the writer told its save was committed
    QObject::connect(&writer, &estrivo::JournalService::sheetSaved, [&](qint64 id) {
        savedId = id;
        savedAt = millisecondsSince(open.clock);
        open.noteRows();
    });
    // The writer's connection is open before the first timed save, as in a running program.
    bool probed = false;
    estrivo::whenReady(writer.probe(), &writer,
                       [&probed](const estrivo::JournalReply<bool> &) { probed = true; });
    waitFor([&] { return probed; }, kPatience);
    std::vector<double> toSaved;
    std::vector<double> toUpdated;
    std::vector<double> toTop;
    qint64 n = kSheets;
    for (auto _ : state) {
        estrivo::SheetRecord sheet = bench::plannedSheet(plan(), n++);
        sheet.savedAt = {}; // saved now, so the newest
        sheet.workstation = u"bench-live"_s;
        const int summaries = open.summaries;
        savedId = 0;
        savedAt = -1;
        open.start(
            [&open, &savedId] { return savedId != 0 && open.model->row(0)->id == savedId; });
        writer.saveSheet(sheet);
        const bool shown = waitFor(
            [&open] {
                open.noteRows();
                return open.rowsAt >= 0;
            },
            kPatience);
        state.SetIterationTime(open.rowsAt / 1e3);
        if (!shown || open.updatedAt < 0) {
            state.SkipWithError("the saved sheet did not show");
            break;
        }
        toSaved.push_back(savedAt);
        toUpdated.push_back(open.updatedAt);
        toTop.push_back(open.rowsAt);
        // What the update asked for (stallions, count) is in before the next save.
        waitFor([&] { return open.summaries > summaries && !open.model->isLoading(); }, kPatience);
    }
    bench::reportSamples(state, "saved", toSaved);
    bench::reportSamples(state, "liveUpdated", toUpdated);
    bench::reportSamples(state, "top_row", toTop);
}
BENCHMARK(otherProgramsSave)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QElapsedTimer made;
    made.start();
    QString error;
    if (!makeJournal(&error)) {
        std::fprintf(stderr, "bench_records_postgres: no journal: %s\n", qPrintable(error));
        server.reset();
        return 1;
    }
    std::fprintf(stderr, "bench_records_postgres: %lld sheets at %s ready after %lld ms\n",
                 kSheets, qPrintable(estrivo::displayLocation(journalUri)), made.elapsed());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (server && qEnvironmentVariableIsSet("ESTRIVO_BENCH_HOLD")) {
        // For looking into the server with psql (EXPLAIN ANALYZE) while it holds the journal.
        std::fprintf(stderr,
                     "bench_records_postgres: holding the server; press Enter to stop it:\n"
                     "  /usr/lib/postgresql/15/bin/psql -h %s -U estrivo -d journal_1m\n",
                     qPrintable(server->socketFolder()));
        std::getchar();
    }
    server.reset(); // stopped while Qt is still there
    return 0;
}
