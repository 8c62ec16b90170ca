// What keeping a printed sheet costs: a save with its picture into SQLite with synchronous
// FULL on this disk, the caller's share when the writer thread does the save, the journal's
// growth per sheet, and the same save into a local PostgreSQL server with fsync on.
#include "journal.h"
#include "journal_service.h"
#include "local_postgres.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

using namespace estrivo;
using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSheets = 200;
constexpr std::chrono::seconds kDrainTime{120};

std::unique_ptr<LocalPostgres> postgres; // started at the first PostgreSQL case

// A sheet as the window prints it, with the real window's picture (314 x 493 pixels).
SheetRecord printedSheet()
{
    static const QByteArray picture = [] {
        QFile file(QStringLiteral(ESTRIVO_WINDOW_PNG));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    SheetRecord sheet;
    for (const Field field : kAllFields)
        sheet.text(field) = QString::fromUtf8(initialText(field));
    sheet.text(Field::Con) = u"152.5"_s;
    sheet.text(Field::GFV) = u"60"_s;
    sheet.text(Field::Text1) = u"Thunder\nquiet, good motility"_s;
    sheet.programVersion = u"0.1.0"_s;
    sheet.printed = true;
    sheet.printer = u"Lab Laser"_s;
    sheet.picturePng = picture;
    return sheet;
}

double milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

// Median, 90th percentile and maximum of the samples (in ms), as counters in `unit`.
void reportSamples(benchmark::State &state, std::vector<double> samples,
                   const std::string &unit = "ms")
{
    if (samples.empty())
        return;
    std::sort(samples.begin(), samples.end());
    const double scale = unit == "us" ? 1000.0 : 1.0;
    state.counters["median_" + unit] = samples[samples.size() / 2] * scale;
    state.counters["p90_" + unit] = samples[samples.size() * 9 / 10] * scale;
    state.counters["max_" + unit] = samples.back() * scale;
}

void timeSaves(benchmark::State &state, Journal &journal)
{
    if (const JournalError opened = journal.open(); !opened.ok()) {
        state.SkipWithError(qPrintable(opened.reason));
        return;
    }
    std::vector<double> samples;
    for (auto _ : state) {
        SheetRecord sheet = printedSheet();
        const Clock::time_point start = Clock::now();
        const JournalError saved = journal.saveSheet(sheet);
        samples.push_back(milliseconds(Clock::now() - start));
        if (!saved.ok()) {
            state.SkipWithError(qPrintable(saved.reason));
            break;
        }
    }
    reportSamples(state, std::move(samples));
}

// The temporary folder is on the same disk as the user's data folder on a usual install.
void sqliteSave(benchmark::State &state)
{
    QTemporaryDir folder;
    Journal journal(folder.filePath(u"journal.sqlite"_s));
    timeSaves(state, journal);
}
BENCHMARK(sqliteSave)->Unit(benchmark::kMillisecond)->Iterations(kSheets)->UseRealTime();

// Turns this thread's event loop until everything queued to `service` is done, so its save
// reports come back here as they do in the program; false after `limit`.
bool drain(JournalService &service, std::chrono::milliseconds limit)
{
    QEventLoop loop;
    QFutureWatcher<void> idle;
    QObject::connect(&idle, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);
    idle.setFuture(service.whenIdle());
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    if (!idle.isFinished())
        loop.exec();
    return idle.isFinished() && service.pendingSaves() == 0;
}

double threadCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The caller's thread only queues the sheet; each call starts with the queue empty, as a
// print does. Wall time (median, p90, max) and the thread's own CPU time (cpu_max): on a
// loaded machine the wall time also holds the moments the thread was not running at all.
void writerCallerShare(benchmark::State &state)
{
    QTemporaryDir folder;
    JournalService writer(folder.filePath(u"journal.sqlite"_s));
    std::vector<double> samples;
    double cpuMax = 0;
    for (auto _ : state) {
        SheetRecord sheet = printedSheet();
        const double cpuStart = threadCpuMilliseconds();
        const Clock::time_point start = Clock::now();
        writer.saveSheet(std::move(sheet));
        samples.push_back(milliseconds(Clock::now() - start));
        cpuMax = std::max(cpuMax, threadCpuMilliseconds() - cpuStart);
        state.PauseTiming();
        const bool drained = drain(writer, kDrainTime);
        state.ResumeTiming();
        if (!drained) {
            state.SkipWithError("the writer did not finish");
            break;
        }
    }
    reportSamples(state, std::move(samples), "us");
    state.counters["cpu_max_us"] = cpuMax * 1000;
}
BENCHMARK(writerCallerShare)->Unit(benchmark::kMicrosecond)->Iterations(kSheets);

qint64 journalBytes(const QString &path)
{
    return QFileInfo(path).size() + QFileInfo(path + u"-wal"_s).size();
}

// Bytes on the disk per sheet once the write-ahead log is folded in at close.
void growthPerSheet(benchmark::State &state)
{
    for (auto _ : state) {
        QTemporaryDir folder;
        const QString path = folder.filePath(u"journal.sqlite"_s);
        qint64 empty = 0;
        {
            Journal journal(path);
            if (const JournalError opened = journal.open(); !opened.ok()) {
                state.SkipWithError(qPrintable(opened.reason));
                return;
            }
            journal.close();
            empty = journalBytes(path);
            for (int n = 0; n < kSheets; ++n) {
                SheetRecord sheet = printedSheet();
                if (const JournalError saved = journal.saveSheet(sheet); !saved.ok()) {
                    state.SkipWithError(qPrintable(saved.reason));
                    return;
                }
            }
        }
        state.counters["KB_per_sheet"] = double(journalBytes(path) - empty) / kSheets / 1024;
        state.counters["picture_KB"] = double(printedSheet().picturePng.size()) / 1024;
    }
}
BENCHMARK(growthPerSheet)->Unit(benchmark::kMillisecond)->Iterations(1);

void postgresSave(benchmark::State &state)
{
    QString error;
    if (!postgres) {
        postgres = std::make_unique<LocalPostgres>(LocalPostgres::Durability::Full);
        if (!postgres->start(&error)) {
            state.SkipWithError(qPrintable(u"no local PostgreSQL: "_s + error));
            return;
        }
    }
    static int databases = 0;
    const QString uri = postgres->createDatabase(u"bench_%1"_s.arg(++databases), &error);
    if (uri.isEmpty()) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    Journal journal(uri);
    timeSaves(state, journal);
}
BENCHMARK(postgresSave)->Unit(benchmark::kMillisecond)->Iterations(kSheets)->UseRealTime();

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    postgres.reset(); // stopped while Qt is still there
    return 0;
}
