// The inventory of frozen semen: 50 tanks of 10 canisters holding the straws of 1,000 freeze
// batches (each batch's 30 straws in two positions, in two tanks), listed by tank and by
// stallion and written as CSV, on SQLite and on a private PostgreSQL server (fsync on). Making
// the journals (1,000 collections of 20 stallions as bench_sheets makes them, then the tanks,
// batches and placements through the journal itself) is not measured. The target: the
// inventory by tank listed in 200 ms.
#include "bench_sheets.h"
#include "frozen_reports.h"
#include "local_postgres.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kTanks = 50;
constexpr int kCanisters = 10;
constexpr int kBatches = 1000;
constexpr int kStrawsEach = 30;
constexpr int kStallions = 20;

bench::SheetPlan plan()
{
    bench::SheetPlan planned;
    planned.count = kBatches;
    planned.stallions = kStallions;
    planned.every = std::chrono::hours(7);
    planned.first = QDateTime(QDate(2024, 1, 8), QTime(7, 0), Qt::UTC);
    planned.pictureEvery = 1000;
    return planned;
}

// Batch b's straws: 10 in goblet G(b % 5) of a canister of tank b % 50, 20 on a cane of a
// canister of tank (b + 17) % 50; so every tank holds about 40 batches.
QList<estrivo::StrawMove> placements(qint64 batchId, int b, const QList<qint64> &tanks)
{
    using estrivo::StrawMove;
    using estrivo::StrawMoveKind;
    using estrivo::StrawPosition;
    const StrawPosition first{
        tanks[b % kTanks], 1 + (b / kTanks) % kCanisters, u"G%1"_s.arg(b % 5), {}};
    const StrawPosition second{tanks[(b + 17) % kTanks], 1 + (b / 7) % kCanisters,
                               u"G%1"_s.arg(b % 3), u"C%1"_s.arg(b % 11)};
    return {StrawMove{batchId, StrawMoveKind::Placed, std::nullopt, first, 10},
            StrawMove{batchId, StrawMoveKind::Placed, std::nullopt, second, kStrawsEach - 10}};
}

// The tanks, the batches (one from each collection, every third released after its test)
// and their straws in place.
bool storeBatches(const QString &location, QString *error)
{
    estrivo::Journal journal(location);
    QList<qint64> tanks;
    for (int t = 0; t < kTanks; ++t) {
        estrivo::Tank tank;
        tank.name = u"Tank %1"_s.arg(t + 1, 2, 10, QChar(u'0'));
        tank.location = t < kTanks / 2 ? u"Lab"_s : u"Barn"_s;
        tank.canisters = kCanisters;
        if (const estrivo::JournalError added = journal.addTank(tank); !added.ok()) {
            *error = added.reason;
            return false;
        }
        tanks << tank.id;
    }
    for (int b = 0; b < kBatches; ++b) {
        estrivo::FreezeBatch batch;
        batch.sources = {estrivo::FreezeSource{b + 1, 1.0}}; // sheet n is row n + 1
        batch.strawsMade = kStrawsEach;
        batch.strawVolumeMl = 0.5;
        batch.finalConcentration = 200;
        batch.strawsPerDose = 8;
        batch.extender = u"Lactose-EDTA"_s;
        estrivo::JournalError kept = journal.recordFreezeBatch(batch);
        if (kept.ok() && b % 3 == 0) {
            estrivo::ThawTest test;
            test.batchId = batch.id;
            test.totalMotility = 55;
            test.progressiveMotility = 38;
            kept = journal.recordThawTest(test);
            estrivo::ReleaseChange release;
            release.batchId = batch.id;
            if (kept.ok())
                kept = journal.changeReleaseState(release);
        }
        if (kept.ok())
            kept = journal.moveStraws(placements(batch.id, b, tanks));
        if (!kept.ok()) {
            *error = u"batch %1: %2"_s.arg(b).arg(kept.reason);
            return false;
        }
    }
    if (journal.inventoryByTank().size() < kBatches * 2 - kBatches / 10) {
        *error = u"the inventory does not hold the placed batches"_s;
        return false;
    }
    return true;
}

QTemporaryDir &folder()
{
    static QTemporaryDir made(QDir::temp().filePath(u"estrivo-bench-inventory-XXXXXX"_s));
    return made;
}

QString sqliteJournal()
{
    static const QString path = [] {
        const QString file = folder().filePath(u"inventory.sqlite"_s);
        QString error;
        if (!bench::fillSqlite(file, plan(), &error) || !storeBatches(file, &error)) {
            std::fprintf(stderr, "bench_inventory: SQLite journal: %s\n", qPrintable(error));
            return QString();
        }
        return file;
    }();
    return path;
}

std::unique_ptr<LocalPostgres> server;

QString postgresJournal()
{
    static const QString uri = []() -> QString {
        QString error;
        server = std::make_unique<LocalPostgres>(LocalPostgres::Durability::Full);
        QString made;
        if (server->start(&error))
            made = server->createDatabase(u"inventory_1000"_s, &error);
        if (made.isEmpty() || !bench::fillPostgres(made, plan(), &error)
            || !storeBatches(made, &error)) {
            std::fprintf(stderr, "bench_inventory: PostgreSQL journal: %s\n", qPrintable(error));
            return QString();
        }
        return made;
    }();
    return uri;
}

// The journal's listing alone, as the window's helper asks for it.
void listInventory(benchmark::State &state, const QString &location, estrivo::InventoryBy by)
{
    if (location.isEmpty()) {
        state.SkipWithError("no journal");
        return;
    }
    estrivo::Journal journal(location);
    qint64 lines = 0;
    qint64 straws = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const QList<estrivo::InventoryLine> listed = by == estrivo::InventoryBy::Tank
                                                         ? journal.inventoryByTank()
                                                         : journal.inventoryByStallion();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (!journal.lastError().ok()) {
            state.SkipWithError(qPrintable(journal.lastError().reason));
            break;
        }
        lines = listed.size();
        straws = 0;
        for (const estrivo::InventoryLine &line : listed)
            straws += line.straws;
    }
    state.counters["lines"] = double(lines);
    if (straws != qint64(kBatches) * kStrawsEach)
        state.SkipWithError("the inventory does not hold every straw placed");
}

// The whole CSV file, sorted and guarded, as the command line writes it.
void writeCsv(benchmark::State &state, const QString &location)
{
    if (location.isEmpty()) {
        state.SkipWithError("no journal");
        return;
    }
    estrivo::Journal journal(location);
    const QString target = folder().filePath(u"inventory.csv"_s);
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const estrivo::ExportOutcome outcome
            = estrivo::exportInventoryCsvFile(journal, estrivo::InventoryBy::Tank, target);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (!outcome.ok()) {
            state.SkipWithError(qPrintable(estrivo::inventoryOutcomeText(outcome)));
            break;
        }
        state.counters["lines"] = double(outcome.rows);
    }
}

void inventoryByTankSqlite(benchmark::State &state)
{
    listInventory(state, sqliteJournal(), estrivo::InventoryBy::Tank);
}
BENCHMARK(inventoryByTankSqlite)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void inventoryByStallionSqlite(benchmark::State &state)
{
    listInventory(state, sqliteJournal(), estrivo::InventoryBy::Stallion);
}
BENCHMARK(inventoryByStallionSqlite)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

void inventoryCsvSqlite(benchmark::State &state)
{
    writeCsv(state, sqliteJournal());
}
BENCHMARK(inventoryCsvSqlite)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void inventoryByTankPostgres(benchmark::State &state)
{
    listInventory(state, postgresJournal(), estrivo::InventoryBy::Tank);
}
BENCHMARK(inventoryByTankPostgres)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void inventoryByStallionPostgres(benchmark::State &state)
{
    listInventory(state, postgresJournal(), estrivo::InventoryBy::Stallion);
}
BENCHMARK(inventoryByStallionPostgres)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);
    if (!folder().isValid()) {
        std::fputs("bench_inventory: no temporary folder\n", stderr);
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    server.reset();
    return 0;
}
