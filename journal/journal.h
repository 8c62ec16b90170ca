// The collection journal: sheets and readings on SQLite or PostgreSQL, one connection.
#pragma once

#include "frozen_types.h"
#include "journal_types.h"
#include "register_types.h"

#include <chrono>
#include <functional>
#include <memory>

namespace estrivo {

// The collection journal on SQLite or PostgreSQL. One object is one connection and must stay
// on the thread that opened it, as Qt SQL requires; programs reach it through a
// JournalService, which keeps it on a thread of its own. It hands out records, never a query.
//
// A save or a read that fails closes the connection, and the next one opens it again, so a
// server that comes back, or a file that became writable, is used again without a new object.
// A read that fails on a server connection that had worked is tried once more on a fresh one:
// the server may have restarted in between.
class Journal
{
public:
    // How long a SQLite save waits for another program's save; the server connect time-out.
    static constexpr std::chrono::milliseconds kBusyTimeout{10000};
    static constexpr std::chrono::seconds kConnectTimeout{5};

    explicit Journal(QString location, JournalCreation creation = JournalCreation::FileAndFolders);
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // Opens (creating a SQLite file and its folder when missing) and brings the schema up to
    // date. A schema newer than this program opens read-only with SchemaTooNew; a file or
    // folder that refuses writes opens read-only, where it can be read, with ReadOnly.
    JournalError open();
    void close();
    bool isOpen() const;
    bool isReadOnly() const;
    // What the next open may create, where nothing is there yet.
    void setCreation(JournalCreation creation);
    QString location() const;

    // The schema version this program writes, and the journal's.
    static int currentSchemaVersion();
    int schemaVersion() const;

    // Fills in what a sheet is saved with when left empty: now, this host, this account, and
    // the stallion and notes split from the name box.
    static void complete(SheetRecord &sheet);

    // Each save is one transaction; on success the record's id is set. Both open the journal
    // first when it is not open. A record with a uid the journal already holds is not saved
    // again: its id is that of the one kept.
    JournalError saveSheet(SheetRecord &sheet);
    JournalError saveReading(ReadingRecord &reading);
    // What became of the print of a saved sheet: handed to the spooler or not, and where.
    JournalError setPrintOutcome(qint64 sheetId, bool printed, const QString &printer);
    JournalError setPrintOutcomeOf(const QString &sheetUid, bool printed, const QString &printer);

    // Newest first, without pictures; a page is a query of its own, so no statement stays
    // open between pages.
    QList<SheetRecord> sheets(const SheetFilter &filter = {}, const SheetPage &page = {},
                              SheetDetail detail = SheetDetail::Row);
    // The sheets a filter selects, newest first, handed to `visit` one at a time and kept
    // nowhere, for exports and histories of any length; `visit` returns false to stop.
    using SheetVisitor = std::function<bool(const SheetRecord &sheet)>;
    JournalError forEachSheet(const SheetFilter &filter, SheetDetail detail,
                              const SheetVisitor &visit);
    std::optional<SheetRecord> sheet(qint64 id); // with its picture
    std::optional<ReadingRecord> reading(qint64 id);
    QList<StallionCount> stallions(); // by name, any case, each with its number of sheets
    qint64 sheetCount(const SheetFilter &filter = {});

    // The station's profile; the default one (no marking) when none was kept.
    std::optional<StationProfile> stationProfile();
    // Refused when the approval number is malformed, or missing while the EU marking is asked
    // for, or the retention is out of kMinRetentionYears..kMaxRetentionYears.
    JournalError setStationProfile(const StationProfile &profile);

    // The stallion register, by name; stallions merged into another are left out.
    QList<Stallion> registeredStallions();
    std::optional<Stallion> registeredStallion(qint64 id);
    // The stallion a name (any spelling, or an alias) belongs to; NotFound when none.
    std::optional<Stallion> stallionNamed(const QString &name);
    // Adds a stallion (its id set). Refused when his name or an alias belongs to another
    // stallion already, or a UELN or date of birth is malformed.
    JournalError registerStallion(Stallion &stallion);
    // Keeps a stallion's identity and names; a new name keeps the old one as an alias, so his
    // history stays his.
    JournalError updateStallion(const Stallion &stallion);
    // Makes `from` one with `into`: every name of his becomes an alias of `into`, his sheets
    // with them; identity `into` lacks is taken from `from`, which stays kept as merged.
    JournalError mergeStallions(qint64 from, qint64 into);

    // The doses a sheet made and every movement of them; NotFound for no such sheet.
    std::optional<DoseBatch> doseBatch(qint64 sheetId);
    std::optional<Movement> movement(qint64 id);
    // Keeps a movement (its id set) after checking it against what remains, in one
    // transaction, so two workstations can never move out the same last dose. Refused, with
    // a sentence saying what remains, when it would move more than that.
    JournalError recordMovement(Movement &movement);
    // Containers sent with a dispatch and not back, oldest first.
    QList<ContainerOut> containersOut();
    // The register: each sheet the filter selects (oldest first, as RegisterRow reads it), its
    // stallion when registered and its movements, one row a movement or one row without.
    using RegisterVisitor = std::function<bool(const RegisterRow &row)>;
    JournalError forEachRegisterRow(const SheetFilter &filter, const RegisterVisitor &visit);

    // Frozen semen. The station's rules for it; the defaults when none were kept.
    std::optional<FrozenSettings> frozenSettings();
    JournalError setFrozenSettings(const FrozenSettings &settings);

    // Keeps a freeze batch (id set) made from its sources: sheets of one stallion (their names
    // fold to one key, or belong to one registered stallion), each giving raw semen no more than
    // its gel-free volume less what earlier batches took from it. Refused with why otherwise, or
    // when a straw volume is not one of kStrawVolumesMl, or a count is not above 0. A batch
    // starts in quarantine with all its straws unplaced.
    JournalError recordFreezeBatch(FreezeBatch &batch);
    std::optional<FreezeBatch> freezeBatch(qint64 id);
    // Newest first; only the stallion's (any of his names) when one is given.
    QList<FreezeBatch> freezeBatches(const QString &stallion = {});

    JournalError recordThawTest(ThawTest &test);
    QList<ThawTest> thawTests(qint64 batchId); // oldest first
    // Refused: a release without a post-thaw test, or whose latest test's progressive motility
    // is below the station's figure. Quarantine and on hold are always possible, with a reason.
    JournalError changeReleaseState(ReleaseChange &change);
    QList<ReleaseChange> releaseChanges(qint64 batchId); // oldest first

    // Tanks (names unique, any case) and their care.
    JournalError addTank(Tank &tank);
    JournalError updateTank(const Tank &tank);
    QList<Tank> tanks(); // by name, each with its last check
    JournalError recordTankCheck(TankCheck &check);
    QList<TankCheck> tankChecks(qint64 tankId); // newest first

    // Places, moves and takes back out straws, all or none, in one transaction: never more
    // from a position than it holds, nor placed than remain unplaced. A position's canister
    // lies within its tank's.
    JournalError moveStraws(const QList<StrawMove> &moves);
    QList<Placement> placementsOfBatch(qint64 batchId);
    QList<Placement> placementsInTank(qint64 tankId);
    // Straws leave through recordMovement(): with freezeBatchId set, a dispatch or use needs a
    // released batch, and takes its straws from the position named in the movement.

    // The inventory: each batch's straws per tank, or per stallion over all tanks.
    QList<InventoryLine> inventoryByTank();
    QList<InventoryLine> inventoryByStallion();
    // Stallions whose released straws in store make fewer doses than the station's figure.
    QList<LowStock> lowStock();

    // Other programs' saves. Where the server announces them (PostgreSQL), `changed` is
    // called on this thread for each, on every connection this object opens from now on, and
    // true is returned; elsewhere the caller compares changeCounter() now and then.
    bool watchChanges(std::function<void()> changed);
    qint64 changeCounter(); // moves when another connection committed; -1 when unknown
    // Asks the server whether the connection still answers; a lost one is opened again.
    JournalError ping();
    // How many connections this object has opened: a new one may have missed announcements.
    quint64 connectionsOpened() const;

    JournalError lastError() const;

    // The connection and its ways of reading and writing, for the files of journal/ that
    // implement these operations.
    class Private;

private:
    std::unique_ptr<Private> d;
};

} // namespace estrivo
