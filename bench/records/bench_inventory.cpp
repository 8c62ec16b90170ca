// The inventory of frozen semen: 50 tanks of 10 canisters holding the straws of 1,000 freeze
// batches (each batch's 30 straws in two positions, in two tanks), listed by tank and by
// stallion and written as CSV, on SQLite and on a private PostgreSQL server (fsync on). Making
// the journals (1,000 collections of 20 stallions as bench_sheets makes them, the tanks and one
// batch through the journal, the other batches and their straws by INSERT ... SELECT in one
// transaction) is not measured. The target: the
// inventory by tank listed in 200 ms.
#include "bench_sheets.h"
#include "frozen_reports.h"
#include "local_postgres.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <QUrlQuery>

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

// The tanks and one batch made through the journal itself, so a difference in layout shows;
// its ID.
qint64 templateBatch(const QString &location, QString *error)
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
            return 0;
        }
        tanks << tank.id;
    }
    estrivo::FreezeBatch batch;
    // Sheet n is row n + 1; 5 ml of it hold the 30 straws' 300 M.
    batch.sources = {estrivo::FreezeSource{1, 5.0}};
    batch.strawsMade = kStrawsEach;
    batch.strawVolumeMl = 0.5;
    batch.finalConcentration = 20;
    batch.strawsPerDose = 8;
    batch.extender = u"Lactose-EDTA"_s;
    estrivo::JournalError kept = journal.recordFreezeBatch(batch);
    using estrivo::StrawMove;
    using estrivo::StrawMoveKind;
    const estrivo::StrawPosition first{tanks[0], 1, u"G0"_s, {}};
    const estrivo::StrawPosition second{tanks[17], 1, u"G0"_s, u"C0"_s};
    if (kept.ok()) {
        kept = journal.moveStraws(
            {StrawMove{batch.id, StrawMoveKind::Placed, std::nullopt, first, 10},
             StrawMove{batch.id, StrawMoveKind::Placed, std::nullopt, second, 20}});
    }
    if (!kept.ok()) {
        *error = kept.reason;
        return 0;
    }
    return batch.id;
}

// The other batches, copies of the template from the other collections (every third
// released), and their straws: batch b's 10 in goblet G(b % 5) of a canister of tank b % 50,
// its 20 on a cane of a canister of tank (b + 17) % 50, so each tank holds about 40 batches.
// {T} is the template's ID; {N} the copies.
const QStringList kBatchInserts{
    u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < {N})"
    " INSERT INTO freeze_batches (uid, stallion, stallion_key, frozen_at, centrifugation_g,"
    " centrifugation_minutes, extender, final_concentration, straw_volume_ml, straws_made,"
    " sperm_per_straw, straw_colour, straw_marking, straws_per_dose, notes, operator_name,"
    " workstation, state)"
    " SELECT 'bench-' || n.i, s.stallion, s.stallion_key, t.frozen_at, t.centrifugation_g,"
    " t.centrifugation_minutes, t.extender, t.final_concentration, t.straw_volume_ml,"
    " t.straws_made, t.sperm_per_straw, t.straw_colour, t.straw_marking, t.straws_per_dose,"
    " t.notes, t.operator_name, t.workstation,"
    " CASE WHEN n.i % 3 = 0 THEN 'released' ELSE t.state END"
    " FROM n JOIN sheets s ON s.id = n.i + 1 CROSS JOIN freeze_batches t WHERE t.id = {T}"_s,
    u"INSERT INTO freeze_sources (batch_id, sheet_id, raw_ml)"
    " SELECT b.id, s.id, 5 FROM freeze_batches b"
    " JOIN sheets s ON b.uid = 'bench-' || (s.id - 1)"_s,
    u"INSERT INTO placements (batch_id, tank_id, canister, goblet, cane, straws)"
    " SELECT b.id, (SELECT MIN(id) FROM tanks) + b.id % 50, 1 + (b.id / 50) % 10,"
    " 'G' || (b.id % 5), '', 10 FROM freeze_batches b WHERE b.id <> {T}"_s,
    u"INSERT INTO placements (batch_id, tank_id, canister, goblet, cane, straws)"
    " SELECT b.id, (SELECT MIN(id) FROM tanks) + (b.id + 17) % 50, 1 + (b.id / 7) % 10,"
    " 'G' || (b.id % 3), 'C' || (b.id % 11), 20 FROM freeze_batches b WHERE b.id <> {T}"_s,
};

// The copies on the database's own connection, in one transaction.
bool insertBatches(const QString &location, qint64 templateId, QString *error)
{
    const QString name = u"bench-inventory-batches"_s;
    bool done = false;
    {
        const bool postgres = estrivo::isPostgresLocation(location);
        QSqlDatabase db = QSqlDatabase::addDatabase(postgres ? u"QPSQL"_s : u"QSQLITE"_s, name);
        if (postgres) {
            const QUrl url(location);
            db.setDatabaseName(url.path().mid(1));
            db.setUserName(url.userName());
            db.setHostName(QUrlQuery(url).queryItemValue(u"host"_s, QUrl::FullyDecoded));
        } else {
            db.setDatabaseName(location);
        }
        if (!db.open()) {
            *error = db.lastError().text();
        } else {
            QSqlQuery query(db);
            done = db.transaction();
            for (QString statement : kBatchInserts) {
                statement.replace(u"{T}"_s, QString::number(templateId))
                    .replace(u"{N}"_s, QString::number(kBatches - 1));
                if (done && !query.exec(statement)) {
                    *error = query.lastError().text();
                    done = false;
                }
            }
            done = done && db.commit();
            if (done && postgres)
                done = query.exec(u"VACUUM ANALYZE"_s);
            if (!done && error->isEmpty())
                *error = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return done;
}

bool storeBatches(const QString &location, QString *error)
{
    const qint64 made = templateBatch(location, error);
    if (made == 0 || !insertBatches(location, made, error))
        return false;
    estrivo::Journal journal(location);
    const QList<estrivo::FreezeBatch> batches = journal.freezeBatches();
    if (batches.size() != kBatches || journal.inventoryByTank().size() != 2 * kBatches) {
        *error = u"the journal does not hold the planned batches and their straws"_s;
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
