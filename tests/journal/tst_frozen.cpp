// Frozen semen in the journal, on SQLite and on a private PostgreSQL server: batches within the
// raw semen their collections gave, release on a post-thaw test, straws in tanks never more
// than held (also from two workstations at once), tank care, the inventory, what the database
// itself keeps, and journals the previous release made.
#include "journal.h"
#include "local_postgres.h"
#include "raw_connection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <atomic>
#include <barrier>
#include <thread>

using namespace estrivo;
using Kind = JournalError::Kind;

namespace {

const QString kSqlite = "sqlite", kPostgres = "postgres";

#define QVERIFY_OK(expression)                                                                    \
    do {                                                                                          \
        const JournalError journalError_ = (expression);                                          \
        QVERIFY2(journalError_.ok(), qPrintable(journalError_.reason));                           \
    } while (false)

#define QVERIFY_REFUSED(expression, words)                                                        \
    do {                                                                                          \
        const JournalError journalError_ = (expression);                                          \
        QVERIFY2(journalError_.kind == Kind::Refused, qPrintable(journalError_.reason));          \
        QVERIFY2(journalError_.reason.contains(words), qPrintable(journalError_.reason));         \
    } while (false)

// A collection: its name box, gel-free volume (ml) and concentration (M/ml).
SheetRecord collection(const QString &name, const QString &gfv, const QString &con)
{
    SheetRecord sheet;
    for (const Field field : kAllFields)
        sheet.text(field) = QString::fromUtf8(initialText(field));
    sheet.text(Field::Text1) = name;
    sheet.text(Field::GFV) = gfv;
    sheet.text(Field::Con) = con;
    sheet.text(Field::NumDoses) = "10";
    sheet.programVersion = "0.1.0";
    return sheet;
}

// A batch of 0.5 ml straws at 200 M/ml (100 M a straw).
FreezeBatch batchOf(const QList<FreezeSource> &sources, int straws)
{
    FreezeBatch batch;
    batch.sources = sources;
    batch.finalConcentration = 200;
    batch.strawVolumeMl = 0.5;
    batch.strawsMade = straws;
    batch.strawsPerDose = std::min(8, straws);
    batch.extender = "lactose-EDTA";
    return batch;
}

ThawTest testOf(qint64 batch, double total, double progressive)
{
    ThawTest test;
    test.batchId = batch;
    test.totalMotility = total;
    test.progressiveMotility = progressive;
    test.minutesAfterThaw = 10;
    return test;
}

ReleaseChange release(qint64 batch, ReleaseState state = ReleaseState::Released,
                      const QString &reason = {})
{
    ReleaseChange change;
    change.batchId = batch;
    change.state = state;
    change.reason = reason;
    return change;
}

Movement strawsOut(qint64 batch, MovementKind kind, qint64 straws, const StrawPosition &from)
{
    Movement movement;
    movement.freezeBatchId = batch;
    movement.kind = kind;
    movement.doses = straws;
    movement.consignee = "Hof Lindenau";
    movement.mare = "Fleur";
    movement.reason = "cracked";
    movement.fromTankId = from.tankId;
    movement.fromCanister = from.canister;
    movement.fromGoblet = from.goblet;
    movement.fromCane = from.cane;
    return movement;
}

JournalError freeze(Journal &journal, FreezeBatch batch)
{
    return journal.recordFreezeBatch(batch);
}

JournalError moveOut(Journal &journal, Movement movement)
{
    return journal.recordMovement(movement);
}

StrawMove placed(qint64 batch, const StrawPosition &to, int straws)
{
    return {batch, StrawMoveKind::Placed, std::nullopt, to, straws};
}

StrawMove moved(qint64 batch, const StrawPosition &from, const StrawPosition &to, int straws)
{
    return {batch, StrawMoveKind::Moved, from, to, straws};
}

QString placementsText(const QList<Placement> &placements)
{
    QStringList lines;
    for (const Placement &placement : placements)
        lines << QString("%1:%2/%3/%4/%5=%6")
                     .arg(placement.batchId)
                     .arg(placement.tankName)
                     .arg(placement.position.canister)
                     .arg(placement.position.goblet, placement.position.cane)
                     .arg(placement.straws);
    return lines.join(' ');
}

} // namespace

class TestFrozen : public QObject
{
    Q_OBJECT

    LocalPostgres m_postgres;
    QTemporaryDir m_scratch;
    int m_journals = 0;

    QString freshLocation(const QString &backend)
    {
        const QString name = QString("frozen_%1").arg(++m_journals);
        QString error;
        const QString location = backend == kSqlite ? m_scratch.filePath(name + ".sqlite")
                                                    : m_postgres.createDatabase(name, &error);
        if (location.isEmpty())
            qWarning("creating a database failed: %s", qPrintable(error));
        return location;
    }
    static void backendRows()
    {
        QTest::addColumn<QString>("backend");
        QTest::newRow("sqlite") << kSqlite;
        QTest::newRow("postgres") << kPostgres;
    }
    static qint64 saved(Journal &journal, SheetRecord sheet)
    {
        const JournalError error = journal.saveSheet(sheet);
        if (!error.ok())
            qWarning("saving failed: %s", qPrintable(error.reason));
        return sheet.id;
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        QString error;
        QVERIFY2(m_postgres.start(&error), qPrintable(error));
    }

    void batchesWithinTheRawSemen_data() { backendRows(); }
    void batchesWithinTheRawSemen()
    {
        QFETCH(QString, backend);
        Journal journal(freshLocation(backend));
        const qint64 zeus = saved(journal, collection("Zeus", "40", "250"));
        const qint64 zeusAgain = saved(journal, collection("ZEUS\nsecond jump", "30", "200"));
        const qint64 kim = saved(journal, collection("Kim", "50", "150"));
        const qint64 noVolume = saved(journal, collection("Zeus", "---.-", "250"));
        const qint64 hofName = saved(journal, collection("Zeus vom Hof", "20", "100"));

        // Two collections of one stallion pooled, whatever the spelling.
        FreezeBatch pooled = batchOf({{zeus, 20}, {zeusAgain, 10}}, 60);
        QVERIFY_OK(journal.recordFreezeBatch(pooled));
        const FreezeBatch kept = journal.freezeBatch(pooled.id).value_or(FreezeBatch{});
        QCOMPARE(kept.stallion, "Zeus");
        QCOMPARE(kept.sources.size(), 2);
        QCOMPARE(kept.spermPerStraw, 100.0); // 200 M/ml x 0.5 ml
        QCOMPARE(kept.state, ReleaseState::Quarantine);
        QCOMPARE(kept.strawsUnplaced, 60);
        QCOMPARE(kept.strawsStored, 0);

        QVERIFY_REFUSED(freeze(journal, batchOf({{zeus, 10}, {kim, 10}}, 10)), "one stallion");
        // 40 ml, 20 of them frozen already: 25 more are not there.
        QVERIFY_REFUSED(freeze(journal, batchOf({{zeus, 25}}, 10)), "20 ml of it");
        QVERIFY_OK(freeze(journal, batchOf({{zeus, 20}}, 10)));
        QVERIFY_REFUSED(freeze(journal, batchOf({{noVolume, 5}}, 10)), "no gel-free volume");
        // 10 ml x 150 M/ml = 1,500 M: 20 straws of 100 M would hold more.
        QVERIFY_REFUSED(freeze(journal, batchOf({{kim, 10}}, 20)), "more than");
        FreezeBatch oddStraw = batchOf({{kim, 10}}, 5);
        oddStraw.strawVolumeMl = 0.3;
        QVERIFY_REFUSED(journal.recordFreezeBatch(oddStraw), "0.25 or 0.5");
        QVERIFY_REFUSED(freeze(journal, batchOf({{kim, 5}, {kim, 5}}, 5)), "twice");
        QCOMPARE(freeze(journal, batchOf({{kim + 100, 5}}, 5)).kind, Kind::NotFound);

        // Names of one registered stallion pool too.
        QVERIFY_REFUSED(freeze(journal, batchOf({{zeusAgain, 5}, {hofName, 5}}, 5)),
                        "one stallion");
        Stallion registered;
        registered.name = "Zeus";
        registered.aliases = {"Zeus vom Hof"};
        QVERIFY_OK(journal.registerStallion(registered));
        FreezeBatch underAlias = batchOf({{zeusAgain, 5}, {hofName, 5}}, 5);
        QVERIFY_OK(journal.recordFreezeBatch(underAlias));
        QCOMPARE(journal.freezeBatches("zeus vom hof").size(), 3);
        QCOMPARE(journal.freezeBatches("Kim").size(), 0);

        // A batch delivered twice is kept once.
        FreezeBatch twice = batchOf({{kim, 5}}, 5);
        twice.uid = "3f000000-0000-4000-8000-000000000001";
        QVERIFY_OK(journal.recordFreezeBatch(twice));
        const qint64 first = twice.id;
        QVERIFY_OK(journal.recordFreezeBatch(twice));
        QCOMPARE(twice.id, first);
        QCOMPARE(journal.freezeBatches().size(), 4);
    }

    void releaseOnTheLatestTest_data() { backendRows(); }
    void releaseOnTheLatestTest()
    {
        QFETCH(QString, backend);
        Journal journal(freshLocation(backend));
        const qint64 sheet = saved(journal, collection("Zeus", "40", "250"));
        FreezeBatch batch = batchOf({{sheet, 20}}, 40);
        QVERIFY_OK(journal.recordFreezeBatch(batch));

        ReleaseChange untested = release(batch.id);
        QVERIFY_REFUSED(journal.changeReleaseState(untested), "no post-thaw test");
        ThawTest poor = testOf(batch.id, 40, 25);
        QVERIFY_OK(journal.recordThawTest(poor));
        ReleaseChange belowFigure = release(batch.id);
        QVERIFY_REFUSED(journal.changeReleaseState(belowFigure), "below the station's 30 %");
        QCOMPARE(journal.freezeBatch(batch.id)->state, ReleaseState::Quarantine);

        // The station may set its own figure.
        QVERIFY_OK(journal.setFrozenSettings({20, 5}));
        QCOMPARE(journal.frozenSettings().value_or(FrozenSettings{}), (FrozenSettings{20, 5}));
        ReleaseChange accepted = release(batch.id);
        QVERIFY_OK(journal.changeReleaseState(accepted));
        QCOMPARE(journal.freezeBatch(batch.id)->state, ReleaseState::Released);

        // A worse test later holds the next release back.
        ThawTest worse = testOf(batch.id, 30, 12);
        worse.vcl = 80;
        worse.vsl = 40;
        worse.vap = 55;
        worse.bacteriology = "no growth";
        worse.source = "run-0042.csv";
        QVERIFY_OK(journal.recordThawTest(worse));
        ReleaseChange hold = release(batch.id, ReleaseState::OnHold);
        QVERIFY_REFUSED(journal.changeReleaseState(hold), "reason");
        hold.reason = "second test poor";
        QVERIFY_OK(journal.changeReleaseState(hold));
        ReleaseChange again = release(batch.id);
        QVERIFY_REFUSED(journal.changeReleaseState(again), "12 %");
        QCOMPARE(journal.freezeBatch(batch.id)->state, ReleaseState::OnHold);

        const QList<ThawTest> tests = journal.thawTests(batch.id);
        QCOMPARE(tests.size(), 2);
        QCOMPARE(tests[1].vap, std::optional<double>(55));
        QCOMPARE(tests[0].vcl, std::nullopt);
        QCOMPARE(tests[1].source, "run-0042.csv");
        const QList<ReleaseChange> history = journal.releaseChanges(batch.id);
        QCOMPARE(history.size(), 2);
        QCOMPARE(history[1].reason, "second test poor");

        for (const auto &[total, progressive] : {std::pair{40.0, 50.0}, std::pair{101.0, 10.0},
                                                 std::pair{-1.0, 0.0}, std::pair{qQNaN(), 10.0}}) {
            ThawTest wrong = testOf(batch.id, total, progressive);
            QCOMPARE(journal.recordThawTest(wrong).kind, Kind::Refused);
        }
        QVERIFY_REFUSED(journal.setFrozenSettings({101, 5}), "0 to 100");
        QCOMPARE(journal.thawTests(batch.id).size(), 2);
    }

    void strawsNeverMoreThanHeld_data() { backendRows(); }
    void strawsNeverMoreThanHeld()
    {
        QFETCH(QString, backend);
        Journal journal(freshLocation(backend));
        Tank one;
        one.name = "Tank 1";
        one.canisters = 6;
        QVERIFY_OK(journal.addTank(one));
        Tank two;
        two.name = "Tank 2";
        two.canisters = 10;
        QVERIFY_OK(journal.addTank(two));
        Tank same;
        same.name = "TANK 1";
        QVERIFY_REFUSED(journal.addTank(same), "Tank 1");

        const qint64 sheet = saved(journal, collection("Zeus", "40", "250"));
        FreezeBatch batch = batchOf({{sheet, 20}}, 40);
        QVERIFY_OK(journal.recordFreezeBatch(batch));
        const StrawPosition a{one.id, 1, "A", "red"};
        const StrawPosition b{one.id, 2, "", ""};
        const StrawPosition c{two.id, 10, "B", ""};

        QVERIFY_REFUSED(journal.moveStraws({placed(batch.id, a, 41)}), "Only 40 straws");
        QVERIFY_REFUSED(journal.moveStraws({placed(batch.id, {one.id, 7, "", ""}, 1)}),
                        "canisters 1 to 6");
        QVERIFY_OK(journal.moveStraws({placed(batch.id, a, 30), placed(batch.id, b, 10)}));
        QCOMPARE(journal.freezeBatch(batch.id)->strawsUnplaced, 0);
        QVERIFY_REFUSED(journal.moveStraws({placed(batch.id, c, 1)}), "Only 0 straws");

        // All or none: the second move fails, so the first is undone.
        QVERIFY_REFUSED(journal.moveStraws({moved(batch.id, a, c, 20), moved(batch.id, b, c, 11)}),
                        "Only 10 straws");
        QCOMPARE(placementsText(journal.placementsOfBatch(batch.id)),
                 QString("%1:Tank 1/1/A/red=30 %1:Tank 1/2//=10").arg(batch.id));
        QVERIFY_OK(journal.moveStraws({moved(batch.id, a, c, 20), moved(batch.id, b, c, 10)}));
        QCOMPARE(placementsText(journal.placementsOfBatch(batch.id)),
                 QString("%1:Tank 1/1/A/red=10 %1:Tank 2/10/B/=30").arg(batch.id));
        QCOMPARE(journal.placementsInTank(two.id).size(), 1);
        // A tank cannot lose the canister that holds straws.
        two.canisters = 8;
        QVERIFY_REFUSED(journal.updateTank(two), "Canister 10");

        // Straws leave from a position only when released; destroyed ones at any time.
        QVERIFY_REFUSED(moveOut(journal, strawsOut(batch.id, MovementKind::Dispatched, 8, c)),
                        "not released");
        Movement cracked = strawsOut(batch.id, MovementKind::Destroyed, 2, a);
        QVERIFY_OK(journal.recordMovement(cracked));
        QCOMPARE(cracked.sheetId, sheet);
        ThawTest test = testOf(batch.id, 60, 40);
        QVERIFY_OK(journal.recordThawTest(test));
        ReleaseChange released = release(batch.id);
        QVERIFY_OK(journal.changeReleaseState(released));
        QVERIFY_REFUSED(moveOut(journal, strawsOut(batch.id, MovementKind::Used, 9, a)),
                        "Only 8 straws of batch");
        Movement noPosition = strawsOut(batch.id, MovementKind::Used, 1, {});
        QVERIFY_REFUSED(journal.recordMovement(noPosition), "position");
        Movement dispatch = strawsOut(batch.id, MovementKind::Dispatched, 16, c);
        QVERIFY_OK(journal.recordMovement(dispatch));
        QCOMPARE(placementsText(journal.placementsOfBatch(batch.id)),
                 QString("%1:Tank 1/1/A/red=8 %1:Tank 2/10/B/=14").arg(batch.id));
        // Straws come back out of place; an adjustment takes only from those.
        Movement back = strawsOut(batch.id, MovementKind::Returned, 4, {});
        back.of = dispatch.id;
        QVERIFY_OK(journal.recordMovement(back));
        FreezeBatch now = journal.freezeBatch(batch.id).value_or(FreezeBatch{});
        QCOMPARE(now.strawsStored, 22);
        QCOMPARE(now.strawsUnplaced, 4);
        Movement lost = strawsOut(batch.id, MovementKind::Adjusted, -5, {});
        lost.reason = "lost in thawing bath";
        QVERIFY_REFUSED(journal.recordMovement(lost), "Only 4 straws of batch");
        // The register's fresh doses of the collection are not touched by any of it.
        QCOMPARE(journal.doseBatch(sheet)->remaining, 10);

        // The inventory: per tank, and per stallion over all tanks.
        const QList<InventoryLine> byTank = journal.inventoryByTank();
        QCOMPARE(byTank.size(), 2);
        QCOMPARE(byTank[0].tankName, "Tank 1");
        QCOMPARE(byTank[0].straws, 8);
        QCOMPARE(byTank[1].straws, 14);
        QCOMPARE(byTank[1].state, ReleaseState::Released);
        const QList<InventoryLine> byStallion = journal.inventoryByStallion();
        QCOMPARE(byStallion.size(), 1);
        QCOMPARE(byStallion[0].straws, 22);
        QCOMPARE(byStallion[0].positions, 2);
        // 22 straws at 8 a dose are 2 doses, below 10.
        const QList<LowStock> low = journal.lowStock();
        QCOMPARE(low.size(), 1);
        QCOMPARE(low[0].stallion, "Zeus");
        QCOMPARE(low[0].doses, 2);
        QVERIFY_OK(journal.setFrozenSettings({30, 2}));
        QVERIFY(journal.lowStock().isEmpty());
    }

    void twoWorkstationsTakeTheLastStraws_data() { backendRows(); }
    void twoWorkstationsTakeTheLastStraws()
    {
        QFETCH(QString, backend);
        const QString location = freshLocation(backend);
        constexpr int kRounds = 4;
        QList<qint64> batches;
        StrawPosition at;
        {
            Journal journal(location);
            Tank tank;
            tank.name = "Tank 1";
            QVERIFY_OK(journal.addTank(tank));
            at = {tank.id, 1, "", ""};
            const qint64 sheet = saved(journal, collection("Zeus", "100", "250"));
            for (int round = 0; round < kRounds; ++round) {
                FreezeBatch batch = batchOf({{sheet, 10}}, 10);
                QVERIFY_OK(journal.recordFreezeBatch(batch));
                QVERIFY_OK(journal.moveStraws({placed(batch.id, at, 8)}));
                ThawTest test = testOf(batch.id, 60, 40);
                QVERIFY_OK(journal.recordThawTest(test));
                ReleaseChange released = release(batch.id);
                QVERIFY_OK(journal.changeReleaseState(released));
                batches << batch.id;
            }
        }
        std::barrier start(2);
        std::atomic<int> succeeded[kRounds] = {};
        std::atomic<int> refused[kRounds] = {};
        const auto workstation = [&] {
            Journal journal(location);
            journal.open();
            for (int round = 0; round < kRounds; ++round) {
                const Movement take = strawsOut(batches[round], MovementKind::Dispatched, 8, at);
                Movement attempt = take;
                start.arrive_and_wait();
                const JournalError outcome = journal.recordMovement(attempt);
                if (outcome.ok())
                    ++succeeded[round];
                else if (outcome.kind == Kind::Refused)
                    ++refused[round];
                else
                    qWarning("unexpected: %s", qPrintable(outcome.reason));
            }
        };
        std::thread first(workstation);
        std::thread second(workstation);
        first.join();
        second.join();
        Journal journal(location);
        for (int round = 0; round < kRounds; ++round) {
            QCOMPARE(succeeded[round].load(), 1);
            QCOMPARE(refused[round].load(), 1);
            QVERIFY(journal.placementsOfBatch(batches[round]).isEmpty());
        }
    }

    void tankCare_data() { backendRows(); }
    void tankCare()
    {
        QFETCH(QString, backend);
        Journal journal(freshLocation(backend));
        Tank tank;
        tank.name = "Tank 3";
        tank.minimumLevelCm = 8;
        QVERIFY_OK(journal.addTank(tank));
        const QDateTime now = QDateTime::currentDateTimeUtc();
        QVERIFY(journal.tanks().value(0).isCheckDue(now)); // never checked

        TankCheck old;
        old.tankId = tank.id;
        old.checkedAt = now.addDays(-8);
        old.levelCm = 20;
        QVERIFY_OK(journal.recordTankCheck(old));
        Tank read = journal.tanks().value(0);
        QVERIFY(read.isCheckDue(now));
        QVERIFY(!read.isLow());

        TankCheck low;
        low.tankId = tank.id;
        low.checkedAt = now.addDays(-1);
        low.levelCm = 6.5;
        low.note = "lid seal worn";
        QVERIFY_OK(journal.recordTankCheck(low));
        read = journal.tanks().value(0);
        QVERIFY(!read.isCheckDue(now));
        QVERIFY(read.isLow());
        QCOMPARE(read.lastLevelCm, 6.5);

        TankCheck refill;
        refill.tankId = tank.id;
        refill.levelCm = 30;
        refill.refilled = true;
        QVERIFY_OK(journal.recordTankCheck(refill));
        QVERIFY(!journal.tanks().value(0).isLow());
        const QList<TankCheck> checks = journal.tankChecks(tank.id);
        QCOMPARE(checks.size(), 3);
        QVERIFY(checks[0].refilled); // newest first
        QCOMPARE(checks[2].levelCm, 20.0);

        TankCheck wrong;
        wrong.tankId = tank.id;
        wrong.levelCm = -1;
        QVERIFY_REFUSED(journal.recordTankCheck(wrong), "cm");
        wrong.levelCm = 10;
        wrong.tankId = tank.id + 99;
        QCOMPARE(journal.recordTankCheck(wrong).kind, Kind::NotFound);
    }

    void theDatabaseKeepsTheLogs_data() { backendRows(); }
    void theDatabaseKeepsTheLogs()
    {
        QFETCH(QString, backend);
        const QString location = freshLocation(backend);
        {
            Journal journal(location);
            Tank tank;
            tank.name = "Tank 1";
            QVERIFY_OK(journal.addTank(tank));
            TankCheck check;
            check.tankId = tank.id;
            check.levelCm = 25;
            QVERIFY_OK(journal.recordTankCheck(check));
            const qint64 sheet = saved(journal, collection("Zeus", "40", "250"));
            FreezeBatch batch = batchOf({{sheet, 10}}, 10);
            QVERIFY_OK(journal.recordFreezeBatch(batch));
            ThawTest test = testOf(batch.id, 60, 40);
            QVERIFY_OK(journal.recordThawTest(test));
            ReleaseChange released = release(batch.id);
            QVERIFY_OK(journal.changeReleaseState(released));
            QVERIFY_OK(journal.moveStraws({placed(batch.id, {tank.id, 1, "", ""}, 5)}));
        }
        RawConnection raw(location);
        QSqlQuery query(raw.db());
        for (const char *table :
             {"thaw_tests", "release_changes", "tank_checks", "straw_moves", "freeze_sources"}) {
            QVERIFY2(!query.exec(QString("DELETE FROM %1").arg(table)), table);
            QVERIFY2(query.exec(QString("SELECT COUNT(*) FROM %1").arg(table)) && query.next(),
                     qPrintable(query.lastError().text()));
            QVERIFY2(query.value(0).toInt() > 0, table);
        }
        QVERIFY(!query.exec("UPDATE thaw_tests SET progressive_motility = 90"));
    }

    // Journals the previous release made with the register in use: a SQLite file and a dump of
    // a PostgreSQL database.
    void journalWithTheRegisterFromThePreviousRelease_data() { backendRows(); }
    void journalWithTheRegisterFromThePreviousRelease()
    {
        QFETCH(QString, backend);
        QString location;
        if (backend == kSqlite) {
            location = m_scratch.filePath("previous-register.sqlite");
            QVERIFY(QFile::copy(ESTRIVO_TEST_DATA "/journal-schema4.sqlite", location));
            QVERIFY(QFile::setPermissions(location, QFile::ReadOwner | QFile::WriteOwner));
        } else {
            QString error;
            location = m_postgres.createDatabase("previous_register", &error);
            QVERIFY2(!location.isEmpty(), qPrintable(error));
            QProcess psql;
            psql.start("/usr/lib/postgresql/15/bin/psql",
                       {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", m_postgres.socketFolder(), "-U",
                        "estrivo", "-d", "previous_register", "-f",
                        ESTRIVO_TEST_DATA "/journal-schema4-postgres.sql"});
            QVERIFY(psql.waitForFinished(60000));
            QVERIFY2(psql.exitCode() == 0, psql.readAllStandardError().constData());
        }
        Journal journal(location);
        QVERIFY_OK(journal.open());
        QCOMPARE(journal.schemaVersion(), Journal::currentSchemaVersion());
        QCOMPARE(journal.stationProfile().value_or(StationProfile{}).approval, "DE-EQ-0042");
        const Stallion zeus = journal.stallionNamed("zeus vom hof").value_or(Stallion{});
        QCOMPARE(zeus.ueln, "276009012345678");
        QCOMPARE(zeus.collections, 2);
        // The movements kept before are the register's still, with no straws in them.
        const DoseBatch first = journal.doseBatch(1).value_or(DoseBatch{});
        QCOMPARE(first.produced, 12);
        QCOMPARE(first.remaining, 8);
        QCOMPARE(first.movements.value(0).consignee, "Hof Lindenau");
        QCOMPARE(first.movements.value(0).freezeBatchId, 0);
        QCOMPARE(journal.doseBatch(2)->remaining, 6);
        QCOMPARE(journal.containersOut().size(), 1);
        // Frozen semen from then on: the two collections of Zeus pooled under his two names.
        FreezeBatch batch = batchOf({{1, 10}, {2, 10}}, 20);
        QVERIFY_OK(journal.recordFreezeBatch(batch));
        QCOMPARE(journal.freezeBatches("Zeus").size(), 1);
        Movement more = strawsOut(0, MovementKind::Used, 1, {});
        more.freezeBatchId = 0;
        more.sheetId = 1;
        QVERIFY_OK(journal.recordMovement(more));
        QCOMPARE(journal.doseBatch(1)->remaining, 7);
    }

    void cleanupTestCase()
    {
        QString error;
        QVERIFY2(m_postgres.stop(&error), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestFrozen)
#include "tst_frozen.moc"
