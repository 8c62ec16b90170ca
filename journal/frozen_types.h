// Frozen semen as the journal keeps it: freeze batches made from collections, their post-thaw
// tests and release, the tanks their straws are stored in, and the tanks' care.
#pragma once

#include "register_types.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace estrivo {

// Where a batch stands: made and waiting for its test, released for use or sale, or held back.
enum class ReleaseState { Quarantine, Released, OnHold };
QString releaseStateName(ReleaseState state); // "quarantine", "released", "on-hold"
std::optional<ReleaseState> releaseStateFromName(const QString &name);

// Straws come in these volumes only.
inline constexpr double kStrawVolumesMl[] = {0.25, 0.5};
// Below this post-thaw progressive motility a batch is not released, unless the station sets
// another figure (FrozenSettings).
inline constexpr double kDefaultReleaseMotility = 30.0;
// A tank whose level was last checked longer ago than this is due.
inline constexpr int kTankCheckDays = 7;
// Below this the straws in a tank are at risk.
inline constexpr double kDefaultMinimumLevelCm = 5.0;

// The station's rules for frozen semen, kept in the journal beside its profile.
struct FrozenSettings
{
    double releaseMotility = kDefaultReleaseMotility; // post-thaw progressive motility, %
    int lowStockDoses = 10; // a stallion with fewer released doses in store is low
    friend bool operator==(const FrozenSettings &, const FrozenSettings &) = default;
};

// One collection a freeze batch was made from, and how much of its raw semen went into it.
struct FreezeSource
{
    qint64 sheetId = 0;
    double rawMl = 0;
};

// Straws frozen together from one collection, or from several of one stallion pooled.
struct FreezeBatch
{
    qint64 id = 0;
    QString uid; // made when the batch is made; one delivered twice is kept once
    QList<FreezeSource> sources;
    QString stallion;           // as the first source sheet names him
    QString stallionKey;        // stallionKey() of that name: every source must fold to his names
    QDateTime frozenAt;         // UTC; now when left invalid
    double centrifugationG = 0; // 0 when not centrifuged
    double centrifugationMinutes = 0;
    QString extender;              // the freezing extender
    double finalConcentration = 0; // M/ml in the straw
    double strawVolumeMl = 0.5;    // 0.25 or 0.5
    int strawsMade = 0;
    double spermPerStraw = 0; // M; finalConcentration x strawVolumeMl when left 0
    QString strawColour;
    QString strawMarking; // what is printed on each straw
    int strawsPerDose = 0;
    QString notes;
    QString operatorName;
    QString workstation;

    // Read only: where it stands, and its straws.
    ReleaseState state = ReleaseState::Quarantine;
    int strawsStored = 0;   // placed in the tanks now
    int strawsUnplaced = 0; // made but not yet placed, or taken back out of place
};

// A post-thaw test: straws thawed and looked at after some minutes.
struct ThawTest
{
    qint64 id = 0;
    qint64 batchId = 0;
    QDateTime testedAt; // UTC; now when left invalid
    int strawsThawed = 1;
    double minutesAfterThaw = 0;
    double totalMotility = 0;       // %
    double progressiveMotility = 0; // %
    std::optional<double> vcl;      // µm/s, from a computer-assisted analysis
    std::optional<double> vsl;
    std::optional<double> vap;
    QString bacteriology; // free text: "no growth", "E. coli 10^3/ml"
    QString source;       // "typed", or the analysis file's name
    QString operatorName;
};

// A change of a batch's release state, kept for ever.
struct ReleaseChange
{
    qint64 id = 0;
    qint64 batchId = 0;
    ReleaseState state = ReleaseState::Released;
    QDateTime changedAt;
    QString reason;
    QString operatorName;
};

// A liquid-nitrogen tank and its care.
struct Tank
{
    qint64 id = 0;
    QString name; // unique, "Tank 3"
    QString location;
    int canisters = 6;
    double minimumLevelCm = kDefaultMinimumLevelCm;

    // Read only: the last check.
    QDateTime lastCheckAt; // invalid when never checked
    double lastLevelCm = 0;
    bool isCheckDue(const QDateTime &now) const
    {
        return !lastCheckAt.isValid() || lastCheckAt.daysTo(now) > kTankCheckDays;
    }
    bool isLow() const { return lastCheckAt.isValid() && lastLevelCm < minimumLevelCm; }
};

// A place for straws: a tank's canister, and in it a goblet and a cane (either may be empty).
struct StrawPosition
{
    qint64 tankId = 0;
    int canister = 0; // 1..tank's canisters
    QString goblet;
    QString cane;

    friend bool operator==(const StrawPosition &, const StrawPosition &) = default;
};

// Straws of one batch at one position, as stored now.
struct Placement
{
    qint64 batchId = 0;
    StrawPosition position;
    int straws = 0;
    QString tankName; // read only
    QString stallion; // read only
};

// What happened to straws: placed from the unplaced, moved between positions, taken out
// (with a movement of the register: dispatched, used, destroyed) or put back out of place.
enum class StrawMoveKind { Placed, Moved, TakenOut };

struct StrawMove
{
    qint64 batchId = 0;
    StrawMoveKind kind = StrawMoveKind::Placed;
    std::optional<StrawPosition> from; // Moved, TakenOut
    std::optional<StrawPosition> to;   // Placed, Moved
    int straws = 0;
};

// A level check of a tank.
struct TankCheck
{
    qint64 id = 0;
    qint64 tankId = 0;
    QDateTime checkedAt; // UTC; now when left invalid
    double levelCm = 0;
    bool refilled = false;
    QString note;
    QString operatorName;
};

// One line of the inventory: a batch's straws in one tank (or, by stallion, in all tanks).
struct InventoryLine
{
    qint64 tankId = 0; // 0 in an inventory by stallion
    QString tankName;
    QString stallion;
    qint64 batchId = 0;
    QDateTime frozenAt;
    ReleaseState state = ReleaseState::Quarantine;
    int straws = 0;
    int strawsPerDose = 0;
    int positions = 0; // how many positions hold them
};

// A stallion whose released doses in store fell below the station's figure.
struct LowStock
{
    QString stallion;
    qint64 doses = 0; // whole doses of released straws in store
};

} // namespace estrivo
