// What a station keeps by law besides the sheets: who it is, who its stallions are and where
// every dose of a collection went, as plain values.
#pragma once

#include "journal_types.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace estrivo {

// The station, as its labels and its register name it. Kept in the journal, so every
// workstation of the station prints the same marking.
struct StationProfile
{
    enum class Marking { None, Eu };
    enum class LabelDate { Yymmdd, DdMmYy }; // "261207" or "07.12.26"

    QString name;
    QString address;
    QString approval; // the approval number with its country: "DE-EQ-0042"
    Marking marking = Marking::None;
    int retentionYears = 3;
    LabelDate labelDate = LabelDate::Yymmdd;

    // The approval number's ISO 3166-1 alpha-2 country, "DE"; empty without one.
    QString country() const;
    friend bool operator==(const StationProfile &, const StationProfile &) = default;
};

inline constexpr int kMinRetentionYears = 1;
inline constexpr int kMaxRetentionYears = 100;

// Why a text is no approval number: a two-letter country code of ISO 3166-1, a hyphen, then
// letters, digits and the separators - . / (at most 30 in all); empty when it is one.
QString approvalProblem(const QString &approval);
// Whether `code` is an assigned ISO 3166-1 alpha-2 country code (upper case).
bool isCountryCode(const QString &code);

// A Universal Equine Life Number written without its blanks and in upper case, as kept.
QString normalizedUeln(const QString &text);
// Why a text is no UELN: 15 characters, a 3-digit country code (a numeric ISO 3166 code or one
// of the 9xx codes of a studbook), a 3-character database code, a 9-character individual
// number, letters and digits only; empty when it is one (blanks aside).
QString uelnProblem(const QString &text);

// One stallion of the register. His sheets are those whose first line of the name box folds
// (stallionKey) to his name or one of his aliases.
struct Stallion
{
    qint64 id = 0;
    QString name;
    QStringList aliases;
    QString species = QStringLiteral("equine");
    QString breed;
    QDate born;
    QString registration; // the studbook's registration number
    QString ueln;         // normalizedUeln(), or empty when not known
    QString owner;
    qint64 mergedInto = 0;  // merged into another stallion: his names went there
    qint64 collections = 0; // sheets that are his (read only)
};

// What happened to doses of a collection. A movement is never changed or deleted; a mistake
// is corrected by a reversing movement.
enum class MovementKind { Dispatched, Used, Destroyed, Returned, Adjusted };

// "dispatched", "used", "destroyed", "returned", "adjusted": the kept and exported words.
QString movementKindName(MovementKind kind);
std::optional<MovementKind> movementKindFromName(const QString &name);

struct Movement
{
    qint64 id = 0;
    qint64 sheetId = 0;
    MovementKind kind = MovementKind::Dispatched;
    QDateTime movedAt; // UTC; now when left invalid
    // Doses that left (dispatched, used, destroyed) or came back (returned); for an adjustment
    // the change, below zero where fewer doses were filled than the sheet made.
    qint64 doses = 0;
    QString consignee;
    QString mare;
    QString mareUeln;
    QString address;
    QString country; // ISO 3166-1 alpha-2
    QString vet;
    QString carrier;
    QString tracking;
    QString container;
    QDate dueBack;
    // A return: the dispatch it comes back from. An adjustment: the movement it reverses, or
    // 0 for a plain adjustment.
    qint64 of = 0;
    bool containerBack = false; // a return: the container came back with it
    QString reason;             // destroyed, adjusted: why
    QString operatorName;       // this user's when left empty
    QString workstation;        // this host's when left empty
    QString uid;                // made when the movement is made; one delivered twice is kept once
    // Frozen semen: the freeze batch whose straws move (sheetId is then the batch's first
    // source collection, and doses count straws), and the position straws that leave are taken
    // from (its tank, canister, goblet and cane). 0 and none for a collection's fresh doses.
    qint64 freezeBatchId = 0;
    qint64 fromTankId = 0;
    int fromCanister = 0;
    QString fromGoblet;
    QString fromCane;

    // What it does to the doses that remain: -doses for those that leave, +doses back.
    qint64 change() const;
};

// The doses a collection made and what became of them.
struct DoseBatch
{
    qint64 sheetId = 0;
    qint64 produced = 0; // the sheet's Total Doses Possible, whole
    qint64 remaining = 0;
    QList<Movement> movements; // oldest first
};

// A container sent out with a dispatch and not back yet.
struct ContainerOut
{
    qint64 dispatchId = 0;
    qint64 sheetId = 0;
    QString container;
    QString consignee;
    QDateTime sentAt;
    QDate dueBack; // invalid when none was given

    bool isOverdue(const QDate &today) const { return dueBack.isValid() && dueBack < today; }
};

// One line of the register: a collection, its donor and one of its movements (none for a
// collection without).
struct RegisterRow
{
    SheetRecord sheet;                // without its picture
    std::optional<Stallion> stallion; // when registered
    qint64 produced = 0;
    std::optional<Movement> movement;
    QDateTime containerBackAt; // a dispatch whose container came back: when
};

// The whole doses a sheet's Total Doses Possible text gives: 0 when it gives no number of
// them, or none, or a number past any collection (the calculator's overflow range).
qint64 dosesMade(const QString &numDosesText);

} // namespace estrivo
