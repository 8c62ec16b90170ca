// The register on SQLite and on a private PostgreSQL server: the station's profile, stallions
// under every name they went by, dose movements against what remains (also from two
// workstations at once), what the database itself keeps, the register's rows, and journals
// from before the register.
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
        QCOMPARE(journalError_.kind, Kind::Refused);                                              \
        QVERIFY2(journalError_.reason.contains(words), qPrintable(journalError_.reason));         \
    } while (false)

SheetRecord sheetOf(const QString &name, const QString &doses, const QString &savedAt = {})
{
    SheetRecord sheet;
    for (const Field field : kAllFields)
        sheet.text(field) = QString::fromUtf8(initialText(field));
    sheet.text(Field::Text1) = name;
    sheet.text(Field::NumDoses) = doses;
    sheet.savedAt = QDateTime::fromString(savedAt, Qt::ISODateWithMs);
    sheet.programVersion = "0.1.0";
    return sheet;
}

Movement move(qint64 sheet, MovementKind kind, qint64 doses)
{
    Movement movement;
    movement.sheetId = sheet;
    movement.kind = kind;
    movement.doses = doses;
    switch (kind) {
    case MovementKind::Dispatched:
        movement.consignee = "Gestüt Lindenhof";
        break;
    case MovementKind::Used:
        movement.mare = "Fleur";
        break;
    case MovementKind::Destroyed:
    case MovementKind::Adjusted:
        movement.reason = "straw cracked";
        break;
    case MovementKind::Returned:
        break;
    }
    return movement;
}

qint64 remaining(Journal &journal, qint64 sheet)
{
    const std::optional<DoseBatch> batch = journal.doseBatch(sheet);
    return batch ? batch->remaining : -1;
}

} // namespace

class TestRegister : public QObject
{
    Q_OBJECT

    LocalPostgres m_postgres;
    QTemporaryDir m_scratch;
    int m_journals = 0;

    QString freshLocation(const QString &backend)
    {
        const QString name = QString("register_%1").arg(++m_journals);
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

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        QString error;
        QVERIFY2(m_postgres.start(&error), qPrintable(error));
    }

    void identityRules_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isUeln");
        QTest::addColumn<bool>("isApproval");
        QTest::newRow("UELN German") << "276 0090 01234567 8" << false << false; // 16 chars
        QTest::newRow("UELN exact") << "27600901234567X" << true << false;
        QTest::newRow("UELN blanks and case") << "250 001 12345678a" << true << false;
        QTest::newRow("UELN letters in country") << "DE6009012345678" << false << false;
        QTest::newRow("UELN country 000") << "000009012345678" << false << false;
        QTest::newRow("UELN 14") << "27600901234567" << false << false;
        QTest::newRow("UELN punctuation") << "276009-1234567X" << false << false;
        QTest::newRow("UELN full-width digit")
            << QString("27600901234567") + QChar(0xFF18) << false << false;
        QTest::newRow("approval") << "DE-EQ-0042" << false << true;
        QTest::newRow("approval Greece") << "EL-12/EQ" << false << true;
        QTest::newRow("approval lower case") << "de-EQ-0042" << false << false;
        QTest::newRow("approval no country") << "XX-EQ-0042" << false << false;
        QTest::newRow("approval no hyphen") << "DEEQ0042" << false << false;
        QTest::newRow("approval blank") << "DE-EQ 0042" << false << false;
        QTest::newRow("approval too long") << "DE-" + QString(40, 'A') << false << false;
        QTest::newRow("empty") << "" << false << false;
    }
    void identityRules()
    {
        QFETCH(QString, text);
        QFETCH(bool, isUeln);
        QFETCH(bool, isApproval);
        QCOMPARE(uelnProblem(text).isEmpty(), isUeln);
        QCOMPARE(approvalProblem(text).isEmpty(), isApproval);
        QVERIFY(isCountryCode("DE") && isCountryCode("XI") && !isCountryCode("de")
                && !isCountryCode("ZZ") && !isCountryCode("D"));
    }

    void stationProfile_data() { backendRows(); }
    void stationProfile()
    {
        QFETCH(QString, backend);
        Journal journal(freshLocation(backend));
        QCOMPARE(journal.stationProfile().value_or(StationProfile{}), StationProfile{});
        StationProfile profile;
        profile.name = "Gestüt Sonnenhof";
        profile.address = "Am Anger 3\n12345 Feldheim";
        profile.approval = "DE-EQ-0042";
        profile.marking = StationProfile::Marking::Eu;
        profile.retentionYears = 5;
        profile.labelDate = StationProfile::LabelDate::DdMmYy;
        QVERIFY_OK(journal.setStationProfile(profile));
        QCOMPARE(Journal(journal.location()).stationProfile().value_or(StationProfile{}), profile);
        QCOMPARE(profile.country(), "DE");

        StationProfile wrong = profile;
        wrong.approval.clear();
        QVERIFY_REFUSED(journal.setStationProfile(wrong), "approval number");
        wrong = profile;
        wrong.approval = "Germany-42";
        QVERIFY_REFUSED(journal.setStationProfile(wrong), "Germany-42");
        wrong = profile;
        wrong.retentionYears = 0;
        QVERIFY_REFUSED(journal.setStationProfile(wrong), "years");
        wrong = profile;
        wrong.name = "Sonnen\x1b[2Jhof";
        QVERIFY_REFUSED(journal.setStationProfile(wrong), "control character");
        // Nothing of a refused profile was kept.
        QCOMPARE(journal.stationProfile().value_or(StationProfile{}), profile);
    }

    void stallionsUnderEveryName_data() { backendRows(); }
    void stallionsUnderEveryName()
    {
        QFETCH(QString, backend);
        Journal journal(freshLocation(backend));
        for (const char *name : {"ANDRE", "Andy\nfrom the yard", "André", "Zeus", "Zeus", "Kim"}) {
            SheetRecord sheet = sheetOf(QString::fromUtf8(name), "10");
            QVERIFY_OK(journal.saveSheet(sheet));
        }
        Stallion andre;
        andre.name = QString::fromUtf8("André");
        andre.aliases = {"Andy", "andre"}; // the second folds to his name: nothing added
        andre.ueln = "276 009 012345678";
        andre.breed = "Hanoverian";
        andre.born = QDate(2012, 4, 30);
        QVERIFY_OK(journal.registerStallion(andre));
        QVERIFY(andre.id > 0);
        QCOMPARE(andre.ueln, "276009012345678");

        const auto counts = [&journal] {
            QStringList entries;
            for (const StallionCount &each : journal.stallions())
                entries << each.stallion + ':' + QString::number(each.collections);
            return entries.join(' ');
        };
        QCOMPARE(counts(), QString::fromUtf8("André:3 Kim:1 Zeus:2"));
        QCOMPARE(journal.sheetCount({"andy", {}, {}, {}}), 3);
        QCOMPARE(journal.stallionNamed("ANDY").value_or(Stallion{}).id, andre.id);
        QCOMPARE(journal.stallionNamed("ANDY")->collections, 3);

        // A name another stallion goes by is refused, whatever its spelling.
        Stallion twin;
        twin.name = "Kim";
        twin.aliases = {"ANDY"};
        QVERIFY_REFUSED(journal.registerStallion(twin), QString::fromUtf8("André"));
        QVERIFY(!journal.stallionNamed("Kim"));
        QCOMPARE(journal.lastError().kind, Kind::NotFound);
        Stallion bad;
        bad.name = "Kim";
        bad.ueln = "27600901234567";
        QVERIFY_REFUSED(journal.registerStallion(bad), "15 characters");

        // A new name keeps the old one: his history stays his.
        Stallion renamed = *journal.registeredStallion(andre.id);
        renamed.name = "Andre du Val";
        QVERIFY_OK(journal.updateStallion(renamed));
        const Stallion kept = journal.registeredStallion(andre.id).value_or(Stallion{});
        QCOMPARE(kept.name, "Andre du Val");
        QVERIFY2(kept.aliases.contains(QString::fromUtf8("André")),
                 qPrintable(kept.aliases.join(',')));
        QCOMPARE(journal.sheetCount({"andre du val", {}, {}, {}}), 3);
        QCOMPARE(journal.sheetCount({QString::fromUtf8("andré"), {}, {}, {}}), 3);

        // Zeus merged into him: his sheets and names go with him; Zeus stays kept as merged.
        Stallion zeus;
        zeus.name = "Zeus";
        zeus.owner = "H. Brandt";
        QVERIFY_OK(journal.registerStallion(zeus));
        QVERIFY_OK(journal.mergeStallions(zeus.id, andre.id));
        QCOMPARE(journal.registeredStallions().size(), 1);
        const Stallion merged = journal.registeredStallion(andre.id).value_or(Stallion{});
        QCOMPARE(merged.collections, 5);
        QCOMPARE(merged.owner, "H. Brandt"); // what he lacked
        QCOMPARE(merged.ueln, "276009012345678");
        QCOMPARE(journal.registeredStallion(zeus.id)->mergedInto, andre.id);
        QCOMPARE(journal.sheetCount({"zeus", {}, {}, {}}), 5);
        QCOMPARE(counts(), "Andre du Val:5 Kim:1");
        QVERIFY_REFUSED(journal.mergeStallions(zeus.id, andre.id), "merged");
    }

    void movementsAgainstWhatRemains_data() { backendRows(); }
    void movementsAgainstWhatRemains()
    {
        QFETCH(QString, backend);
        Journal journal(freshLocation(backend));
        SheetRecord sheet = sheetOf("Zeus", "12.7"); // twelve whole doses
        QVERIFY_OK(journal.saveSheet(sheet));
        const qint64 id = sheet.id;
        QCOMPARE(journal.doseBatch(id)->produced, 12);
        QCOMPARE(remaining(journal, id), 12);

        Movement dispatch = move(id, MovementKind::Dispatched, 5);
        dispatch.container = "Box 7";
        dispatch.country = "fr";
        dispatch.mareUeln = "250 001 12345678A";
        dispatch.dueBack = QDate(2026, 12, 20);
        QVERIFY_OK(journal.recordMovement(dispatch));
        QCOMPARE(remaining(journal, id), 7);
        const Movement kept = journal.movement(dispatch.id).value_or(Movement{});
        QCOMPARE(kept.country, "FR");
        QCOMPARE(kept.mareUeln, "25000112345678A");
        QCOMPARE(kept.dueBack, QDate(2026, 12, 20));
        QVERIFY(!kept.operatorName.isEmpty() && !kept.workstation.isEmpty());

        Movement used = move(id, MovementKind::Used, 3);
        QVERIFY_OK(journal.recordMovement(used));
        QCOMPARE(remaining(journal, id), 4);
        Movement tooMany = move(id, MovementKind::Destroyed, 5);
        QVERIFY_REFUSED(journal.recordMovement(tooMany), "Only 4 doses");
        QCOMPARE(remaining(journal, id), 4);

        Movement back = move(id, MovementKind::Returned, 2);
        back.of = dispatch.id;
        QVERIFY_OK(journal.recordMovement(back));
        QCOMPARE(remaining(journal, id), 6);
        Movement backAgain = move(id, MovementKind::Returned, 4);
        backAgain.of = dispatch.id;
        QVERIFY_REFUSED(journal.recordMovement(backAgain), "2 of them back already");
        QCOMPARE(journal.containersOut().size(), 1);
        Movement box = move(id, MovementKind::Returned, 0);
        box.of = dispatch.id;
        box.containerBack = true;
        QVERIFY_OK(journal.recordMovement(box));
        QVERIFY(journal.containersOut().isEmpty());
        box.id = 0;
        box.uid.clear();
        QVERIFY_REFUSED(journal.recordMovement(box), "back already");
        Movement notADispatch = move(id, MovementKind::Returned, 1);
        notADispatch.of = used.id;
        QVERIFY_REFUSED(journal.recordMovement(notADispatch), "no dispatch");

        Movement lowered = move(id, MovementKind::Adjusted, -1);
        lowered.reason = "one straw not filled";
        QVERIFY_OK(journal.recordMovement(lowered));
        QCOMPARE(remaining(journal, id), 5);
        Movement raised = move(id, MovementKind::Adjusted, 2);
        QVERIFY_REFUSED(journal.recordMovement(raised), "above the 12");

        // A mistake is corrected by reversing it; a reversal stands once, and never for a
        // dispatch with returns still standing.
        Movement reverseUse = move(id, MovementKind::Adjusted, 0);
        reverseUse.of = used.id;
        QVERIFY_OK(journal.recordMovement(reverseUse));
        QCOMPARE(reverseUse.doses, 3);
        QCOMPARE(remaining(journal, id), 8);
        reverseUse.id = 0;
        reverseUse.uid.clear();
        QVERIFY_REFUSED(journal.recordMovement(reverseUse), "reversed already");
        Movement reverseDispatch = move(id, MovementKind::Adjusted, 0);
        reverseDispatch.of = dispatch.id;
        QVERIFY_REFUSED(journal.recordMovement(reverseDispatch), "reverse them first");
        Movement reverseReversal = move(id, MovementKind::Adjusted, 0);
        reverseReversal.of = lowered.id + 1; // the reversal of the use
        QVERIFY_REFUSED(journal.recordMovement(reverseReversal), "itself a reversal");

        // The form is checked before the doses.
        Movement nobody = move(id, MovementKind::Dispatched, 1);
        nobody.consignee = "  ";
        QVERIFY_REFUSED(journal.recordMovement(nobody), "consignee");
        Movement badMare = move(id, MovementKind::Used, 1);
        badMare.mareUeln = "12";
        QVERIFY_REFUSED(journal.recordMovement(badMare), "UELN");
        Movement badCountry = move(id, MovementKind::Dispatched, 1);
        badCountry.country = "Germany";
        QVERIFY_REFUSED(journal.recordMovement(badCountry), "country code");
        Movement zero = move(id, MovementKind::Used, 0);
        QVERIFY_REFUSED(journal.recordMovement(zero), "at least one dose");
        Movement elsewhere = move(id + 1000, MovementKind::Used, 1);
        QCOMPARE(journal.recordMovement(elsewhere).kind, Kind::NotFound);

        // A second delivery of one movement (a retry after a lost answer) is kept once.
        Movement twice = move(id, MovementKind::Used, 1);
        twice.uid = "0b0e0000-0000-4000-8000-000000000001";
        QVERIFY_OK(journal.recordMovement(twice));
        const qint64 first = twice.id;
        QVERIFY_OK(journal.recordMovement(twice));
        QCOMPARE(twice.id, first);
        QCOMPARE(remaining(journal, id), 7);
        QCOMPARE(journal.doseBatch(id)->movements.size(), 7);
    }

    void twoWorkstationsRaceForTheLastDoses_data() { backendRows(); }
    void twoWorkstationsRaceForTheLastDoses()
    {
        QFETCH(QString, backend);
        const QString location = freshLocation(backend);
        constexpr int kRounds = 6;
        QList<qint64> sheets;
        {
            Journal journal(location);
            for (int round = 0; round < kRounds; ++round) {
                SheetRecord sheet = sheetOf("Zeus", "4");
                QVERIFY_OK(journal.saveSheet(sheet));
                Movement first = move(sheet.id, MovementKind::Used, 1);
                QVERIFY_OK(journal.recordMovement(first));
                sheets << sheet.id;
            }
        }
        // Each round, two workstations dispatch the three doses that remain at the same moment.
        std::barrier start(2);
        std::atomic<int> succeeded[kRounds] = {};
        std::atomic<int> refusedWithRemainder[kRounds] = {};
        const auto workstation = [&](QString consignee) {
            Journal journal(location);
            journal.open();
            for (int round = 0; round < kRounds; ++round) {
                Movement dispatch = move(sheets[round], MovementKind::Dispatched, 3);
                dispatch.consignee = consignee;
                start.arrive_and_wait();
                const JournalError outcome = journal.recordMovement(dispatch);
                if (outcome.ok())
                    ++succeeded[round];
                else if (outcome.kind == Kind::Refused && outcome.reason.contains("Only 0 doses"))
                    ++refusedWithRemainder[round];
                else
                    qWarning("unexpected: %s", qPrintable(outcome.reason));
            }
        };
        std::thread a(workstation, QString("Hof A"));
        std::thread b(workstation, QString("Hof B"));
        a.join();
        b.join();
        Journal journal(location);
        for (int round = 0; round < kRounds; ++round) {
            QCOMPARE(succeeded[round].load(), 1);
            QCOMPARE(refusedWithRemainder[round].load(), 1);
            QCOMPARE(remaining(journal, sheets[round]), 0);
        }
    }

    void theDatabaseKeepsTheRecords_data() { backendRows(); }
    void theDatabaseKeepsTheRecords()
    {
        QFETCH(QString, backend);
        const QString location = freshLocation(backend);
        qint64 young = 0, old = 0, moved = 0, movement = 0;
        {
            Journal journal(location);
            SheetRecord sheet = sheetOf("Zeus", "4");
            QVERIFY_OK(journal.saveSheet(sheet));
            young = sheet.id;
            SheetRecord before = sheetOf("Zeus", "4", "2019-03-01T10:00:00.000Z");
            QVERIFY_OK(journal.saveSheet(before));
            old = before.id;
            SheetRecord withDoses = sheetOf("Zeus", "4", "2019-03-02T10:00:00.000Z");
            QVERIFY_OK(journal.saveSheet(withDoses));
            moved = withDoses.id;
            Movement used = move(moved, MovementKind::Used, 1);
            QVERIFY_OK(journal.recordMovement(used));
            movement = used.id;
        }
        RawConnection raw(location);
        QSqlQuery query(raw.db());
        // Not by hand either: a movement is never changed or deleted.
        QVERIFY(
            !query.exec(QString("UPDATE movements SET doses = 0 WHERE id = %1").arg(movement)));
        QVERIFY(!query.exec(QString("DELETE FROM movements WHERE id = %1").arg(movement)));
        // A sheet within the retention period, or with movements, stays; one past it may go.
        QVERIFY(!query.exec(QString("DELETE FROM sheets WHERE id = %1").arg(young)));
        QVERIFY(!query.exec(QString("DELETE FROM sheets WHERE id = %1").arg(moved)));
        QVERIFY2(query.exec(QString("DELETE FROM sheets WHERE id = %1").arg(old)),
                 qPrintable(query.lastError().text()));
        QVERIFY(query.exec("SELECT COUNT(*) FROM movements") && query.next());
        QCOMPARE(query.value(0).toInt(), 1);
        // A longer retention keeps the old one too.
        QVERIFY(query.exec("INSERT INTO station_profile (key, value) VALUES"
                           " ('retention_years', '10')"));
        Journal journal(location);
        SheetRecord older = sheetOf("Zeus", "4", "2019-03-03T10:00:00.000Z");
        QVERIFY_OK(journal.saveSheet(older));
        QVERIFY(!query.exec(QString("DELETE FROM sheets WHERE id = %1").arg(older.id)));
    }

    void registerRows_data() { backendRows(); }
    void registerRows()
    {
        QFETCH(QString, backend);
        Journal journal(freshLocation(backend));
        SheetRecord quiet = sheetOf("Kim", "6", "2026-11-02T09:00:00.000Z");
        SheetRecord busy = sheetOf("Zeus\nfirst of the season", "9", "2026-11-03T09:00:00.000Z");
        SheetRecord later = sheetOf("Zeus", "2", "2026-11-20T09:00:00.000Z");
        for (SheetRecord *sheet : {&quiet, &busy, &later})
            QVERIFY_OK(journal.saveSheet(*sheet));
        Stallion zeus;
        zeus.name = "Zeus";
        zeus.ueln = "276009012345678";
        QVERIFY_OK(journal.registerStallion(zeus));
        Movement dispatch = move(busy.id, MovementKind::Dispatched, 4);
        dispatch.container = "Box 2";
        dispatch.tracking = "=HYPERLINK(\"x\")";
        Movement use = move(busy.id, MovementKind::Used, 1);
        Movement laterUse = move(later.id, MovementKind::Used, 2);
        for (Movement *movement : {&dispatch, &use, &laterUse})
            QVERIFY_OK(journal.recordMovement(*movement));
        Movement box = move(busy.id, MovementKind::Returned, 0);
        box.of = dispatch.id;
        box.containerBack = true;
        QVERIFY_OK(journal.recordMovement(box));

        QStringList rows;
        QDateTime containerBack;
        const JournalError read = journal.forEachRegisterRow(
            {{}, QDate(2026, 11, 1), QDate(2026, 11, 10), {}}, [&](const RegisterRow &row) {
                rows << QString("%1 %2 %3 %4 %5")
                            .arg(row.sheet.id)
                            .arg(row.stallion ? row.stallion->ueln : "-")
                            .arg(row.produced)
                            .arg(row.movement ? movementKindName(row.movement->kind) : "-")
                            .arg(row.movement ? row.movement->id : 0);
                if (row.containerBackAt.isValid())
                    containerBack = row.containerBackAt;
                return true;
            });
        QVERIFY_OK(read);
        const QString zeusUeln = "276009012345678";
        QCOMPARE(rows,
                 (QStringList{
                     QString("%1 - 6 - 0").arg(quiet.id),
                     QString("%1 %2 9 dispatched %3").arg(busy.id).arg(zeusUeln).arg(dispatch.id),
                     QString("%1 %2 9 used %3").arg(busy.id).arg(zeusUeln).arg(use.id),
                     QString("%1 %2 9 returned %3").arg(busy.id).arg(zeusUeln).arg(box.id),
                 }));
        QVERIFY(containerBack.isValid());
        QCOMPARE(containerBack, journal.movement(box.id)->movedAt);
        // A visitor may stop.
        int seen = 0;
        QVERIFY_OK(
            journal.forEachRegisterRow({}, [&seen](const RegisterRow &) { return ++seen < 2; }));
        QCOMPARE(seen, 2);
    }

    // Journals the previous release made (its journal library, five sheets and a reading):
    // a SQLite file and a dump of a PostgreSQL database, loaded as psql restores it.
    void journalMadeByThePreviousRelease_data() { backendRows(); }
    void journalMadeByThePreviousRelease()
    {
        QFETCH(QString, backend);
        QString location;
        if (backend == kSqlite) {
            location = m_scratch.filePath("previous-release.sqlite");
            QVERIFY(QFile::copy(ESTRIVO_TEST_DATA "/journal-schema3.sqlite", location));
            QVERIFY(QFile::setPermissions(location, QFile::ReadOwner | QFile::WriteOwner));
        } else {
            QString error;
            location = m_postgres.createDatabase("previous_release", &error);
            QVERIFY2(!location.isEmpty(), qPrintable(error));
            QProcess psql;
            psql.start("/usr/lib/postgresql/15/bin/psql",
                       {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", m_postgres.socketFolder(), "-U",
                        "estrivo", "-d", "previous_release", "-f",
                        ESTRIVO_TEST_DATA "/journal-schema3-postgres.sql"});
            QVERIFY(psql.waitForFinished(60000));
            QVERIFY2(psql.exitCode() == 0, psql.readAllStandardError().constData());
        }
        Journal journal(location);
        QVERIFY_OK(journal.open());
        QCOMPARE(journal.schemaVersion(), Journal::currentSchemaVersion());
        QStringList counts;
        for (const StallionCount &each : journal.stallions())
            counts << each.stallion + ':' + QString::number(each.collections);
        // Ties go to the first spelling in code order.
        QCOMPARE(counts.join(' '), "Andre:2 Kim:1 ZEUS:2");
        const QList<qint64> produced{12, 7, 0, 0, 3};
        for (qint64 id = 1; id <= 5; ++id) {
            const std::optional<DoseBatch> batch = journal.doseBatch(id);
            QVERIFY2(batch, qPrintable(journal.lastError().reason));
            QCOMPARE(batch->produced, produced[id - 1]);
            QCOMPARE(batch->remaining, produced[id - 1]);
            QVERIFY(batch->movements.isEmpty());
        }
        const SheetRecord first = journal.sheet(1).value_or(SheetRecord{});
        QCOMPARE(first.stallion, "Zeus");
        QCOMPARE(first.notes, "first of the season");
        QCOMPARE(first.text(Field::Date), "12/1/26 9:05 AM");
        QCOMPARE(journal.reading(first.readingId.value_or(0)).value_or(ReadingRecord{}).value,
                 "250");
        // A sheet of the old program delivered again is still kept once.
        SheetRecord again = sheetOf("Zeus", "12");
        again.uid = "5c000000-0000-4000-8000-000000000001";
        QVERIFY_OK(journal.saveSheet(again));
        QCOMPARE(again.id, 1);
        // Registering his name makes the old sheets his; doses can move.
        Stallion zeus;
        zeus.name = "Zeus";
        QVERIFY_OK(journal.registerStallion(zeus));
        QCOMPARE(journal.registeredStallion(zeus.id)->collections, 2);
        Movement used = move(2, MovementKind::Used, 7);
        QVERIFY_OK(journal.recordMovement(used));
        QCOMPARE(remaining(journal, 2), 0);
    }

    void cleanupTestCase()
    {
        QString error;
        QVERIFY2(m_postgres.stop(&error), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestRegister)
#include "tst_register.moc"
