#pragma once

#include "frozen_types.h"
#include "journal_types.h"
#include "register_types.h"

#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

namespace estrivo {

// How the program ends: success, the work failed, or the command line was wrong.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// What `station set` changes: only what was given.
struct StationChange
{
    std::optional<QString> name;
    std::optional<QString> address;
    std::optional<QString> approval;
    std::optional<StationProfile::Marking> marking;
    std::optional<int> retentionYears;
    std::optional<StationProfile::LabelDate> labelDate;

    bool isEmpty() const
    {
        return !name && !address && !approval && !marking && !retentionYears && !labelDate;
    }
    void applyTo(StationProfile &profile) const;
};

// A straw position as typed, TANK/CANISTER[/GOBLET[/CANE]]: the tank by name or ID, and how
// many of the parts were given (a bulk move carries over those it leaves out).
struct PositionText
{
    QString tank;
    StrawPosition position; // tankId 0 until the tank is found
    int parts = 0;          // 2 to 4; 0 when none was given
};

// "Tank 3/2/G1/C4" read into its parts; none when it is not of that form or the canister is
// no whole number from 1.
std::optional<PositionText> parsePosition(const QString &text);

// What the command line asks for: the window, a CSV export, a run of labels, or a look at or
// an entry in the register.
struct CommandLine
{
    enum class Action {
        Window,
        Export,
        Labels,
        StationSet,
        StationShow,
        StallionAdd,
        StallionSet,
        StallionList,
        StallionRename,
        StallionMerge,
        Move, // dispatch, use, destroy, return, adjust: `movement` as given
        Reverse,
        Containers,
        Register,
        Transport,
        // Frozen semen.
        Freeze,
        ThawTest,
        Release,
        TankAdd,
        TankList,
        TankCheck,
        Place,
        MoveStraws, // one batch's straws, or with `allFrom` every batch's at a position
        Inventory,
        FrozenSettingsShow,
        FrozenSettingsSet,
        TanksDue,
        CaneLabels,
        StrawsPerDose,
        Help,
        Version,
        UsageError,
        Refused, // well formed, but a value the register can never take (a malformed UELN)
    };
    Action action = Action::Window;
    QString journal; // --journal; empty when not given

    // export
    SheetFilter filter;         // stallion, search, since and until only
    QString output;             // export: empty for standard output; labels: a PDF, not a printer
    bool byteOrderMark = false; // --bom

    // labels
    qint64 sheetId = 0;
    std::optional<int> count; // none: the sheet's Total Doses Possible
    QString printer;          // empty: the system's default printer
    QSizeF labelSize;         // in mm

    // station set
    StationChange station;

    // stallion add: the new stallion; stallion set: the members given (empty: unchanged, and
    // aliases to add)
    Stallion stallion;
    QString stallionName; // stallion set, rename, merge: any of his names
    QString otherName;    // rename: the new name; merge: the stallion he becomes one with

    // dispatch, use, destroy, return, adjust: the movement to keep (sheetId set; a return's
    // `of` is its dispatch); reverse: the reason in it
    Movement movement;
    qint64 movementId = 0; // return, reverse, transport

    // Frozen semen. freeze: the batch to keep; thaw-test, release: about `batchId`.
    FreezeBatch freeze;
    ThawTest thawTest;
    ReleaseChange release;
    qint64 batchId = 0; // also place, move, cane-labels and a dispatch, use or destroy of straws
    Tank tank;          // tank add
    TankCheck tankCheck;
    QString tankName; // tank-check, place: a tank's name or ID as given
    // place: where to; move: from and to. Their tankId is 0 until the runner finds the tank
    // named in `fromTank` / `toTank`.
    PositionText from;
    PositionText to;
    int straws = 0;
    bool allFrom = false;    // move --all-from: every batch's straws at `from`
    bool byStallion = false; // inventory --by stallion
    // straws-per-dose: the figures given; a batch's own stand in for those left out
    struct DoseFigures
    {
        std::optional<double> spermPerStraw;
        std::optional<double> progressive;
        double target = 0;
    } dose;
    std::optional<double> releaseMotility; // frozen-settings
    std::optional<int> lowStockDoses;

    // The help or version text to print, or the reason for a usage error or a refusal.
    QString text;

    int exitCode() const
    {
        return action == Action::UsageError ? kExitUsage
               : action == Action::Refused  ? kExitFailure
                                            : kExitOk;
    }
    // Whether the work draws pages (labels, a PDF), which needs a GUI application.
    bool paints() const;
};

// Reads the program's arguments, the program's own name first.
CommandLine parseCommandLine(const QStringList &arguments);

// The help text of the program, or of one of its commands ("export", "labels", "station",
// "dispatch", ...).
QString helpText(const QString &command = {});

} // namespace estrivo
