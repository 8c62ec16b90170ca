// The records program against a SQLite journal of 100,000 sheets: the window from start to its
// first rows on the screen, a change of the stallion filter, the export of every row, resident
// memory, and 20 dose labels from the click to the job handed to the spooler. Runs offscreen.
// The journal is made once (a minute or so) and kept for later runs, see benchJournal().
// Memory is the process's own: run that one alone, --benchmark_filter=residentMemory.
#include "csv_export.h"
#include "extension_calc.h"
#include "journal.h"
#include "labels_dialog.h"
#include "records_window.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using estrivo::Field;

namespace {

constexpr qint64 kSheets = 100000;
constexpr int kStallions = 20;
constexpr int kPictureEvery = 100; // a sheet's picture is ~30 KB: 3 GB for all would be silly

QString stallionName(int n)
{
    static const QStringList names{
        u"Zeus"_s,          u"Ábaco"_s,   u"Nordlicht"_s,  u"Sören"_s,   u"Quiet Storm"_s,
        u"Baron"_s,         u"Cassius"_s, u"Donnerhall"_s, u"Elvis"_s,   u"Fürst Heinrich"_s,
        u"Galant"_s,        u"Hermès"_s,  u"Indigo"_s,     u"Jazz"_s,    u"Kaiser"_s,
        u"Lord Sinclair"_s, u"Mistral"_s, u"Nobel"_s,      u"Orlando"_s, u"Pikeur"_s};
    return names[n % kStallions];
}

// The bench journal: $ESTRIVO_BENCH_JOURNAL, else a file kept under the temporary folder;
// made with kSheets generated sheets when it does not hold them yet.
QString benchJournal()
{
    QString path = qEnvironmentVariable("ESTRIVO_BENCH_JOURNAL");
    if (path.isEmpty())
        path = QDir::temp().filePath(u"estrivo-bench-records/journal-100k.sqlite"_s);
    {
        estrivo::Journal journal(path);
        if (journal.open().ok() && journal.sheetCount() == kSheets)
            return path;
    }
    for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s})
        QFile::remove(path + suffix);
    estrivo::Journal journal(path);
    if (!journal.open().ok())
        return {};
    // Made once for measuring, not kept: no waiting for the disk on each of the saves.
    QSqlQuery(journal.database()).exec(u"PRAGMA synchronous = OFF"_s);
    QImage picture(620, 480, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
    }
    const QDateTime first(QDate(2018, 1, 1), QTime(7, 0), Qt::UTC);
    for (qint64 n = 0; n < kSheets; ++n) {
        estrivo::SampleSheet sheet;
        const auto set = [&sheet](Field field, double value) {
            sheet.setText(field, estrivo::writeNumber(value));
        };
        set(Field::Con, 80.0 + double((n * 37) % 300));
        set(Field::GFV, 20.0 + double((n * 13) % 90));
        set(Field::Motility, 40.0 + double((n * 7) % 50));
        estrivo::Calculate(sheet);
        const QDateTime saved = first.addSecs(n * 45 * 60); // a collection every 45 minutes
        sheet.setText(Field::Date, saved.toString(u"d MMM yyyy HH:mm:ss"_s).toStdString());
        sheet.setText(Field::Text1,
                      (stallionName(int(n)) + u"\ncollection %1, calm"_s.arg(n)).toStdString());
        estrivo::SheetRecord record;
        for (Field field : estrivo::kAllFields)
            record.text(field) = QString::fromStdString(sheet.text(field));
        record.savedAt = saved;
        record.printed = true;
        record.printer = u"Lab"_s;
        record.programVersion = u"0.1.0"_s;
        if (n % kPictureEvery == 0)
            record.picturePng = png;
        if (!journal.saveSheet(record).ok())
            return {};
    }
    return path;
}

const QString &journalPath()
{
    static const QString path = benchJournal();
    return path;
}

// Waits, with the event loop turning, until `done` holds or `limit` passes.
template<typename Done> bool waitFor(Done done, std::chrono::milliseconds limit = 30s)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limit.count())
            return false;
        QEventLoop loop;
        QTimer::singleShot(1ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// Notes when a widget has painted rows of its model.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QAbstractItemView *view)
        : m_view(view)
    {
        view->viewport()->installEventFilter(this);
    }
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_view->model()->rowCount() > 0)
            painted = true;
        return false;
    }

private:
    QAbstractItemView *m_view;
};

QTableView *collections(estrivo::RecordsWindow &window)
{
    for (QTableView *table : window.findChildren<QTableView *>()) {
        if (table->accessibleName() == u"Collections"_s)
            return table;
    }
    return nullptr;
}

long residentKiB()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
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

// The rows come at once; the count and the trend are read on their own thread and drawn when
// they arrive. Both are timed: to the table repainted, and to the chart repainted.
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
    bool summarized = false;
    QObject::connect(&window, &estrivo::RecordsWindow::summaryShown,
                     [&summarized] { summarized = true; });
    // A window open for a moment: what it reads between requests has been read.
    QElapsedTimer settling;
    settling.start();
    waitFor([&] { return settling.elapsed() > state.range(0); }, 60s);
    int next = 1;
    double toChart = 0.0;
    for (auto _ : state) {
        summarized = false;
        QElapsedTimer clock;
        clock.start();
        stallions->setCurrentItem(stallions->topLevelItem(next));
        table->viewport()->repaint();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (!waitFor([&] { return summarized; })) {
            state.SkipWithError("no trend");
            break;
        }
        chart->viewport()->repaint();
        toChart += double(clock.nsecsElapsed()) / 1e6;
        next = next % kStallions + 1;
    }
    state.counters["to_chart_ms"] = toChart / double(state.iterations());
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
            state.SkipWithError(qPrintable(outcome.error));
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
        waitFor([&] { return stallions->topLevelItemCount() > kStallions; });
        state.counters["opened_MB"] = double(residentKiB()) / 1024;
        for (int i = 1; i <= kStallions; ++i)
            stallions->setCurrentItem(stallions->topLevelItem(i));
        stallions->setCurrentItem(stallions->topLevelItem(0));
        state.counters["filtered_MB"] = double(residentKiB()) / 1024;
        // Scrolled to the very end: every row read into the table.
        QTableView *table = collections(window);
        while (table->model()->canFetchMore({}))
            table->model()->fetchMore({});
        table->scrollToBottom();
        table->viewport()->repaint();
        state.counters["all_rows_MB"] = double(residentKiB()) / 1024;
        state.counters["rows"] = table->model()->rowCount();
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
