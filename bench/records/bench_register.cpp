// The register export of 100,000 collections with 300,000 movements (a dispatch, a use and a
// return of the dispatch's container for each) by 20 registered stallions: as CSV into a file,
// on SQLite and on a private PostgreSQL server (fsync on). Making the journals (the sheets as
// bench_sheets makes them, the movements by one INSERT ... SELECT each in one transaction) is
// not measured. The target: 5 s for the CSV on either.
#include "bench_sheets.h"
#include "local_postgres.h"
#include "register_export.h"
#include "window_watch.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
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

constexpr qint64 kCollections = 100000;
constexpr int kStallions = 20;
constexpr qint64 kMovements = 3 * kCollections;

bench::SheetPlan plan()
{
    bench::SheetPlan planned;
    planned.count = kCollections;
    planned.stallions = kStallions;
    planned.every = std::chrono::minutes(45);
    planned.first = QDateTime(QDate(2020, 1, 6), QTime(7, 0), Qt::UTC);
    planned.pictureEvery = 1000;
    return planned;
}

// Each collection's movements, written by the database from its sheets: a dispatch of two
// doses with a container, one dose used, then the dispatch's container back with one dose.
const QStringList kMovementInserts{
    u"INSERT INTO movements (uid, sheet_id, kind, moved_at, doses, consignee, mare, mare_ueln,"
    " address, country, vet, carrier, tracking, container, due_back, of_movement,"
    " container_back, reason, operator_name, workstation)"
    " SELECT 'd-' || id, id, 'dispatched', saved_at, 2, 'Gestüt Süd ' || (id % 50),"
    " 'Mare ' || (id % 300), '276009876543210', 'Hauptstraße 1\n12345 Dorf',"
    " 'DE', 'Dr. Weber', 'DHL', 'JD' || id, 'Box-' || (id % 40), '2026-01-01', NULL, 0, '',"
    " 'anna', 'lab-pc' FROM sheets"_s,
    u"INSERT INTO movements (uid, sheet_id, kind, moved_at, doses, consignee, mare, mare_ueln,"
    " address, country, vet, carrier, tracking, container, due_back, of_movement,"
    " container_back, reason, operator_name, workstation)"
    " SELECT 'u-' || id, id, 'used', saved_at, 1, '', '=Mare ' || (id % 70), '', '', '', '',"
    " '', '', '', '', NULL, 0, '', 'jörg', 'stable-pc' FROM sheets"_s,
    u"INSERT INTO movements (uid, sheet_id, kind, moved_at, doses, consignee, mare, mare_ueln,"
    " address, country, vet, carrier, tracking, container, due_back, of_movement,"
    " container_back, reason, operator_name, workstation)"
    " SELECT 'r-' || sheet_id, sheet_id, 'returned', moved_at, 1, '', '', '', '', '', '',"
    " '', '', '', '', id, 1, '', 'anna', 'lab-pc' FROM movements WHERE kind = 'dispatched'"_s,
};

// The database's own connection, for the movements.
bool insertMovements(const QString &location, QString *error)
{
    const QString name = u"bench-register-movements"_s;
    bool done = false;
    {
        const bool postgres = estrivo::isPostgresLocation(location);
        QSqlDatabase db = QSqlDatabase::addDatabase(postgres ? u"QPSQL"_s : u"QSQLITE"_s, name);
        if (postgres) {
            const QUrl url(location);
            db.setDatabaseName(url.path().mid(1));
            db.setUserName(url.userName());
            const QUrlQuery query(url);
            db.setHostName(query.queryItemValue(u"host"_s, QUrl::FullyDecoded));
        } else {
            db.setDatabaseName(location);
        }
        if (!db.open()) {
            *error = db.lastError().text();
        } else {
            QSqlQuery query(db);
            done = db.transaction();
            for (const QString &statement : kMovementInserts) {
                if (done && !query.exec(statement)) {
                    *error = query.lastError().text();
                    done = false;
                }
            }
            done = done && db.commit();
            if (done && postgres)
                done = query.exec(u"VACUUM ANALYZE movements"_s);
            if (!done && error->isEmpty())
                *error = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return done;
}

// The station and its stallions, through the journal as the program keeps them.
bool registerStallions(const QString &location, QString *error)
{
    estrivo::Journal journal(location);
    estrivo::StationProfile station;
    station.name = u"Gestüt Nord"_s;
    station.approval = u"DE-EQ-0042"_s;
    station.marking = estrivo::StationProfile::Marking::Eu;
    if (const estrivo::JournalError set = journal.setStationProfile(station); !set.ok()) {
        *error = set.reason;
        return false;
    }
    for (int n = 0; n < kStallions; ++n) {
        estrivo::Stallion stallion;
        stallion.name = bench::stallionName(n);
        stallion.breed = u"Hanoverian"_s;
        stallion.born = QDate(2010 + n % 8, 1 + n % 12, 1 + n);
        stallion.ueln = u"276009%1"_s.arg(876543200 + n);
        if (const estrivo::JournalError added = journal.registerStallion(stallion); !added.ok()) {
            *error = added.reason;
            return false;
        }
    }
    return true;
}

bool checkRows(estrivo::Journal &journal, QString *error)
{
    const std::optional<estrivo::DoseBatch> batch = journal.doseBatch(kCollections / 2);
    if (!batch || batch->movements.size() != 3 || batch->remaining != batch->produced - 2) {
        *error = u"collection %1 does not hold the planned movements"_s.arg(kCollections / 2);
        return false;
    }
    return true;
}

QTemporaryDir &folder()
{
    static QTemporaryDir made(QDir::temp().filePath(u"estrivo-bench-register-XXXXXX"_s));
    return made;
}

QString sqliteJournal()
{
    static const QString path = [] {
        const QString file = folder().filePath(u"register.sqlite"_s);
        QString error;
        estrivo::Journal check(file);
        if (!bench::fillSqlite(file, plan(), &error) || !insertMovements(file, &error)
            || !registerStallions(file, &error) || !checkRows(check, &error)) {
            std::fprintf(stderr, "bench_register: SQLite journal: %s\n", qPrintable(error));
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
            made = server->createDatabase(u"register_100k"_s, &error);
        estrivo::Journal check(made);
        if (made.isEmpty() || !bench::fillPostgres(made, plan(), &error)
            || !insertMovements(made, &error) || !registerStallions(made, &error)
            || !checkRows(check, &error)) {
            std::fprintf(stderr, "bench_register: PostgreSQL journal: %s\n", qPrintable(error));
            return QString();
        }
        return made;
    }();
    return uri;
}

void exportCsv(benchmark::State &state, const QString &location)
{
    if (location.isEmpty()) {
        state.SkipWithError("no journal");
        return;
    }
    estrivo::Journal journal(location);
    const QString target = folder().filePath(u"register.csv"_s);
    std::vector<double> seconds;
    qint64 rows = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const estrivo::ExportOutcome outcome = estrivo::exportRegisterCsvFile(journal, {}, target);
        seconds.push_back(double(clock.nsecsElapsed()) / 1e9);
        state.SetIterationTime(seconds.back());
        if (!outcome.ok()) {
            state.SkipWithError(qPrintable(estrivo::registerOutcomeText(outcome)));
            break;
        }
        rows = outcome.rows;
    }
    state.counters["rows"] = double(rows);
    state.counters["MB"] = double(QFileInfo(target).size()) / 1e6;
    state.counters["resident_MB"] = double(bench::residentKiB()) / 1024;
    if (rows != kMovements)
        state.SkipWithError("the register does not hold every movement");
}

// The journal's share of the export: the rows read and handed over, nothing written.
void readRows(benchmark::State &state, const QString &location)
{
    if (location.isEmpty()) {
        state.SkipWithError("no journal");
        return;
    }
    estrivo::Journal journal(location);
    qint64 rows = 0;
    for (auto _ : state) {
        rows = 0;
        QElapsedTimer clock;
        clock.start();
        const estrivo::JournalError read
            = journal.forEachRegisterRow({}, [&rows](const estrivo::RegisterRow &row) {
                  rows += row.movement ? 1 : 0;
                  return true;
              });
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (!read.ok()) {
            state.SkipWithError(qPrintable(read.reason));
            break;
        }
    }
    state.counters["rows"] = double(rows);
}

void registerRowsSqlite(benchmark::State &state)
{
    readRows(state, sqliteJournal());
}
BENCHMARK(registerRowsSqlite)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void registerRowsPostgres(benchmark::State &state)
{
    readRows(state, postgresJournal());
}
BENCHMARK(registerRowsPostgres)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void registerCsvSqlite(benchmark::State &state)
{
    exportCsv(state, sqliteJournal());
}
BENCHMARK(registerCsvSqlite)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void registerCsvPostgres(benchmark::State &state)
{
    exportCsv(state, postgresJournal());
}
BENCHMARK(registerCsvPostgres)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);
    if (!folder().isValid()) {
        std::fputs("bench_register: no temporary folder\n", stderr);
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    server.reset();
    return 0;
}
