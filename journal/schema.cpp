#include "schema.h"
#include "journal_text.h"
#include "sheet_queries.h"

#include <QSqlQuery>
#include <QVariant>

namespace estrivo {

using namespace Qt::StringLiterals;
using Kind = JournalError::Kind;

namespace {

constexpr auto kVersionKey = "schema_version"_L1;

// Schema changes in order, one statement a row; a released step never changes, a new one is
// added at the end. {ID}, {KEY}, {BLOB} and {TIME} stand for what each back end spells
// differently.
struct MigrationStep
{
    int version;
    QLatin1StringView statement; // or, where empty, work of the program's own:
    JournalError (*work)(QSqlDatabase &db, const JournalBackend &backend) = nullptr;
};

JournalError fillStallionKeys(QSqlDatabase &db, const JournalBackend &backend);
JournalError keepRecords(QSqlDatabase &db, const JournalBackend &backend);
JournalError keepFrozenRecords(QSqlDatabase &db, const JournalBackend &backend);

constexpr MigrationStep kSteps[] = {
    {1, "CREATE TABLE journal_meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)"_L1},
    {1, R"(CREATE TABLE readings (
    id {ID},
    taken_at {TIME} NOT NULL,
    port TEXT NOT NULL,
    reply {BLOB} NOT NULL,
    value TEXT NOT NULL))"_L1},
    {1, R"(CREATE TABLE sheets (
    id {ID},
    saved_at {TIME} NOT NULL,
    stallion TEXT NOT NULL,
    notes TEXT NOT NULL,
    workstation TEXT NOT NULL,
    operator_name TEXT NOT NULL,
    program_version TEXT NOT NULL,
    printed INTEGER NOT NULL,
    printer TEXT NOT NULL,
    reading_id BIGINT REFERENCES readings (id),
    con TEXT NOT NULL,
    gfv TEXT NOT NULL,
    motility TEXT NOT NULL,
    total_dose TEXT NOT NULL,
    min_ext TEXT NOT NULL,
    max_con TEXT NOT NULL,
    semen_vol TEXT NOT NULL,
    ext_vol TEXT NOT NULL,
    vpd TEXT NOT NULL,
    num_doses TEXT NOT NULL,
    collection_date TEXT NOT NULL,
    stallion_and_notes TEXT NOT NULL,
    search_text TEXT NOT NULL))"_L1},
    {1, "CREATE TABLE sheet_pictures (sheet_id {KEY} REFERENCES sheets (id),"
        " png {BLOB} NOT NULL)"_L1},
    {1, "CREATE INDEX sheets_saved_at ON sheets (saved_at, id)"_L1},
    {1, "CREATE INDEX sheets_stallion ON sheets (stallion, saved_at, id)"_L1},
    {1, "CREATE INDEX readings_taken_at ON readings (taken_at)"_L1},
    // The id a workstation gives a sheet or a reading when it is made, so one delivered
    // twice is kept once.
    {2, "ALTER TABLE sheets ADD COLUMN uid TEXT"_L1},
    {2, "ALTER TABLE readings ADD COLUMN uid TEXT"_L1},
    {2, "CREATE UNIQUE INDEX sheets_uid ON sheets (uid)"_L1},
    {2, "CREATE UNIQUE INDEX readings_uid ON readings (uid)"_L1},
    // One stallion whatever the spelling: the key the program folds the name to, and the
    // search text folded the same way (accents dropped).
    {3, "ALTER TABLE sheets ADD COLUMN stallion_key TEXT NOT NULL DEFAULT ''"_L1},
    {3, {}, fillStallionKeys},
    {3, "DROP INDEX sheets_stallion"_L1},
    // A stallion's trend is read from the index alone: his sheets lie on nearly every page of
    // a large table.
    {3, "CREATE INDEX sheets_stallion_key ON sheets (stallion_key, saved_at, id, stallion, con,"
        " gfv, motility, num_doses, collection_date)"_L1},
    // The register: the station, its stallions under every name they went by, and what became
    // of each collection's doses. A sheet is a batch of the doses it made; a sheet kept from
    // before simply has no movements yet.
    {4, "CREATE TABLE station_profile (key TEXT PRIMARY KEY, value TEXT NOT NULL)"_L1},
    {4, R"(CREATE TABLE stallions (
    id {ID},
    name TEXT NOT NULL,
    species TEXT NOT NULL,
    breed TEXT NOT NULL,
    born TEXT NOT NULL,
    registration TEXT NOT NULL,
    ueln TEXT NOT NULL,
    owner TEXT NOT NULL,
    merged_into BIGINT REFERENCES stallions (id),
    created_at {TIME} NOT NULL))"_L1},
    {4, "CREATE TABLE stallion_names (name_key TEXT PRIMARY KEY,"
        " stallion_id BIGINT NOT NULL REFERENCES stallions (id), name TEXT NOT NULL,"
        " alias INTEGER NOT NULL)"_L1},
    {4, "CREATE INDEX stallion_names_stallion ON stallion_names (stallion_id)"_L1},
    {4, R"(CREATE TABLE movements (
    id {ID},
    uid TEXT,
    sheet_id BIGINT NOT NULL REFERENCES sheets (id),
    kind TEXT NOT NULL,
    moved_at {TIME} NOT NULL,
    doses BIGINT NOT NULL,
    consignee TEXT NOT NULL,
    mare TEXT NOT NULL,
    mare_ueln TEXT NOT NULL,
    address TEXT NOT NULL,
    country TEXT NOT NULL,
    vet TEXT NOT NULL,
    carrier TEXT NOT NULL,
    tracking TEXT NOT NULL,
    container TEXT NOT NULL,
    due_back TEXT NOT NULL,
    of_movement BIGINT REFERENCES movements (id),
    container_back INTEGER NOT NULL,
    reason TEXT NOT NULL,
    operator_name TEXT NOT NULL,
    workstation TEXT NOT NULL))"_L1},
    {4, "CREATE UNIQUE INDEX movements_uid ON movements (uid)"_L1},
    {4, "CREATE INDEX movements_sheet ON movements (sheet_id, id)"_L1},
    {4, "CREATE INDEX movements_of ON movements (of_movement)"_L1},
    {4, {}, keepRecords},
    // Frozen semen: batches frozen from collections, their tests and release, the tanks and
    // where the straws lie in them. Logs are append-only; placements are the state the moves
    // left.
    {5, R"(CREATE TABLE freeze_batches (
    id {ID},
    uid TEXT,
    stallion TEXT NOT NULL,
    stallion_key TEXT NOT NULL,
    frozen_at {TIME} NOT NULL,
    centrifugation_g {REAL} NOT NULL,
    centrifugation_minutes {REAL} NOT NULL,
    extender TEXT NOT NULL,
    final_concentration {REAL} NOT NULL,
    straw_volume_ml {REAL} NOT NULL,
    straws_made BIGINT NOT NULL,
    sperm_per_straw {REAL} NOT NULL,
    straw_colour TEXT NOT NULL,
    straw_marking TEXT NOT NULL,
    straws_per_dose BIGINT NOT NULL,
    notes TEXT NOT NULL,
    operator_name TEXT NOT NULL,
    workstation TEXT NOT NULL,
    state TEXT NOT NULL))"_L1},
    {5, "CREATE UNIQUE INDEX freeze_batches_uid ON freeze_batches (uid)"_L1},
    {5, "CREATE INDEX freeze_batches_stallion ON freeze_batches (stallion_key, id)"_L1},
    {5, "CREATE TABLE freeze_sources (batch_id BIGINT NOT NULL REFERENCES freeze_batches (id),"
        " sheet_id BIGINT NOT NULL REFERENCES sheets (id), raw_ml {REAL} NOT NULL,"
        " PRIMARY KEY (batch_id, sheet_id))"_L1},
    {5, "CREATE INDEX freeze_sources_sheet ON freeze_sources (sheet_id)"_L1},
    {5, R"(CREATE TABLE thaw_tests (
    id {ID},
    batch_id BIGINT NOT NULL REFERENCES freeze_batches (id),
    tested_at {TIME} NOT NULL,
    straws_thawed BIGINT NOT NULL,
    minutes_after {REAL} NOT NULL,
    total_motility {REAL} NOT NULL,
    progressive_motility {REAL} NOT NULL,
    vcl {REAL},
    vsl {REAL},
    vap {REAL},
    bacteriology TEXT NOT NULL,
    source TEXT NOT NULL,
    operator_name TEXT NOT NULL))"_L1},
    {5, "CREATE INDEX thaw_tests_batch ON thaw_tests (batch_id, id)"_L1},
    {5, "CREATE TABLE release_changes (id {ID}, batch_id BIGINT NOT NULL REFERENCES"
        " freeze_batches (id), state TEXT NOT NULL, changed_at {TIME} NOT NULL,"
        " reason TEXT NOT NULL, operator_name TEXT NOT NULL)"_L1},
    {5, "CREATE INDEX release_changes_batch ON release_changes (batch_id, id)"_L1},
    {5,
     "CREATE TABLE tanks (id {ID}, name TEXT NOT NULL, name_key TEXT NOT NULL UNIQUE,"
     " location TEXT NOT NULL, canisters BIGINT NOT NULL, minimum_level_cm {REAL} NOT NULL)"_L1},
    {5, "CREATE TABLE tank_checks (id {ID}, tank_id BIGINT NOT NULL REFERENCES tanks (id),"
        " checked_at {TIME} NOT NULL, level_cm {REAL} NOT NULL, refilled BIGINT NOT NULL,"
        " note TEXT NOT NULL, operator_name TEXT NOT NULL)"_L1},
    {5, "CREATE INDEX tank_checks_tank ON tank_checks (tank_id, checked_at)"_L1},
    {5, "CREATE TABLE placements (batch_id BIGINT NOT NULL REFERENCES freeze_batches (id),"
        " tank_id BIGINT NOT NULL REFERENCES tanks (id), canister BIGINT NOT NULL,"
        " goblet TEXT NOT NULL, cane TEXT NOT NULL, straws BIGINT NOT NULL,"
        " PRIMARY KEY (batch_id, tank_id, canister, goblet, cane))"_L1},
    {5, "CREATE INDEX placements_tank ON placements (tank_id, batch_id)"_L1},
    {5, R"(CREATE TABLE straw_moves (
    id {ID},
    batch_id BIGINT NOT NULL REFERENCES freeze_batches (id),
    kind TEXT NOT NULL,
    from_tank BIGINT,
    from_canister BIGINT NOT NULL,
    from_goblet TEXT NOT NULL,
    from_cane TEXT NOT NULL,
    to_tank BIGINT,
    to_canister BIGINT NOT NULL,
    to_goblet TEXT NOT NULL,
    to_cane TEXT NOT NULL,
    straws BIGINT NOT NULL,
    moved_at {TIME} NOT NULL,
    operator_name TEXT NOT NULL,
    workstation TEXT NOT NULL,
    movement_id BIGINT))"_L1},
    {5, "CREATE INDEX straw_moves_batch ON straw_moves (batch_id, id)"_L1},
    // Straws that leave go through the register's movements, named by their batch and the
    // position they came from.
    {5,
     "ALTER TABLE movements ADD COLUMN freeze_batch_id BIGINT REFERENCES freeze_batches (id)"_L1},
    {5, "ALTER TABLE movements ADD COLUMN from_tank BIGINT"_L1},
    {5, "ALTER TABLE movements ADD COLUMN from_canister BIGINT NOT NULL DEFAULT 0"_L1},
    {5, "ALTER TABLE movements ADD COLUMN from_goblet TEXT NOT NULL DEFAULT ''"_L1},
    {5, "ALTER TABLE movements ADD COLUMN from_cane TEXT NOT NULL DEFAULT ''"_L1},
    {5, "CREATE INDEX movements_freeze_batch ON movements (freeze_batch_id, id)"_L1},
    {5, {}, keepFrozenRecords},
};

JournalError failedWrite(const QSqlQuery &query)
{
    return {Kind::WriteFailed, JournalText::tr("The journal could not be written: %1.")
                                   .arg(driverText(query.lastError()))};
}

// Folds every kept name again, a thousand sheets at a time (the reads and the writes never
// interleave on one statement).
JournalError keepRecords(QSqlDatabase &db, const JournalBackend &backend)
{
    QSqlQuery query(db);
    for (const QString &statement : backend.keepRecordsStatements()) {
        if (!query.exec(statement))
            return failedWrite(query);
    }
    return {};
}

JournalError keepFrozenRecords(QSqlDatabase &db, const JournalBackend &backend)
{
    QSqlQuery query(db);
    for (const QString &statement :
         backend.appendOnlyStatements({u"thaw_tests"_s, u"release_changes"_s, u"tank_checks"_s,
                                       u"straw_moves"_s, u"freeze_sources"_s})) {
        if (!query.exec(statement))
            return failedWrite(query);
    }
    return {};
}

JournalError fillStallionKeys(QSqlDatabase &db, const JournalBackend &)
{
    constexpr int kBatch = 1000;
    QSqlQuery read(db);
    read.setForwardOnly(true);
    QSqlQuery write(db);
    if (!write.prepare(u"UPDATE sheets SET stallion_key = ?, search_text = ? WHERE id = ?"_s))
        return failedWrite(write);
    qint64 after = -1;
    for (;;) {
        struct Row
        {
            qint64 id;
            QString stallion;
            QString notes;
        };
        QList<Row> rows;
        if (!read.prepare(u"SELECT id, stallion, notes FROM sheets WHERE id > ? ORDER BY id "
                          "LIMIT ?"_s))
            return failedWrite(read);
        read.addBindValue(after);
        read.addBindValue(kBatch);
        if (!read.exec())
            return failedWrite(read);
        while (read.next())
            rows.append(
                {read.value(0).toLongLong(), read.value(1).toString(), read.value(2).toString()});
        read.finish();
        if (rows.isEmpty())
            return {};
        for (const Row &row : std::as_const(rows)) {
            write.addBindValue(stallionKey(row.stallion));
            write.addBindValue(sheetSearchText(row.stallion, row.notes));
            write.addBindValue(row.id);
            if (!write.exec())
                return failedWrite(write);
        }
        after = rows.last().id;
    }
}

} // namespace

JournalError readSchemaState(QSqlDatabase &db, const JournalBackend &backend, SchemaState &state)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const auto readFailed = [&query] {
        return JournalError{Kind::CannotOpen, JournalText::tr("The journal could not be read: %1.")
                                                  .arg(driverText(query.lastError()))};
    };
    if (!query.exec(backend.tablesStatement()))
        return readFailed();
    bool hasMeta = false;
    state = {};
    while (query.next()) {
        const QString table = query.value(0).toString();
        hasMeta = hasMeta || table == "journal_meta"_L1;
        state.foreignTables = state.foreignTables || !table.startsWith("sqlite_"_L1);
    }
    if (!hasMeta)
        return {};
    if (!query.prepare(u"SELECT value FROM journal_meta WHERE key = ?"_s))
        return readFailed();
    query.addBindValue(QString(kVersionKey));
    if (!query.exec())
        return readFailed();
    if (query.next())
        state.version = query.value(0).toInt();
    return {};
}

JournalError migrateSchema(QSqlDatabase &db, const JournalBackend &backend)
{
    QSqlQuery query(db);
    if (!query.exec(backend.beginWriteStatement()))
        return failedWrite(query);
    const auto rollBack = [&db](const JournalError &why) {
        QSqlQuery(db).exec(u"ROLLBACK"_s);
        return why;
    };
    if (const QString lock = backend.migrationLockStatement();
        !lock.isEmpty() && !query.exec(lock))
        return rollBack(failedWrite(query));
    SchemaState state;
    if (const JournalError read = readSchemaState(db, backend, state); !read.ok())
        return rollBack(read);
    if (state.version >= kSchemaVersion) // another program brought it up to date meanwhile
        return rollBack({});
    for (const MigrationStep &step : kSteps) {
        if (step.version <= state.version)
            continue;
        if (step.work) {
            if (const JournalError done = step.work(db, backend); !done.ok())
                return rollBack(done);
        } else if (!query.exec(backend.spelled(step.statement))) {
            return rollBack(failedWrite(query));
        }
    }
    const QString versionText = QString::number(kSchemaVersion);
    const bool prepared = query.prepare(
        state.version == 0 ? u"INSERT INTO journal_meta (value, key) VALUES (?, ?)"_s
                           : u"UPDATE journal_meta SET value = ? WHERE key = ?"_s);
    if (prepared) {
        query.addBindValue(versionText);
        query.addBindValue(QString(kVersionKey));
    }
    if (!prepared || !query.exec() || !query.exec(u"COMMIT"_s))
        return rollBack(failedWrite(query));
    return {};
}

} // namespace estrivo
