// Where frozen straws lie: placed in and moved between positions of the tanks, leaving through
// the register's movements; and the inventory.
#include "frozen_store.h"
#include "register_rules.h"
#include "sheet_queries.h"

#include <QHash>

#include <cmath>

namespace estrivo {

using Kind = JournalError::Kind;

namespace {

constexpr qsizetype kMostPositionText = 40;

JournalError refusal(const QString &reason)
{
    return {Kind::Refused, reason};
}

// Takes `straws` from a position, or says why it cannot; false on a failed query.
bool takeFrom(Journal::Private &d, QSqlQuery &query, qint64 batchId, const StrawPosition &position,
              qint64 straws)
{
    if (!run(query,
             u"SELECT straws FROM placements WHERE batch_id = ? AND tank_id = ? AND canister = ?"
             " AND goblet = ? AND cane = ?"_s,
             {batchId, position.tankId, position.canister, textValue(position.goblet),
              textValue(position.cane)}))
        return false;
    const qint64 held = query.next() ? query.value(0).toLongLong() : 0;
    if (query.lastError().isValid())
        return false;
    query.finish();
    if (held < straws) {
        d.refusal = refusal(JournalText::tr("Only %1 straws of batch %2 lie at %3; %4 cannot be "
                                            "taken from there.")
                                .arg(held)
                                .arg(batchId)
                                .arg(positionText({}, position))
                                .arg(straws));
        return false;
    }
    const QVariantList where{batchId, position.tankId, position.canister,
                             textValue(position.goblet), textValue(position.cane)};
    if (held == straws)
        return run(query,
                   u"DELETE FROM placements WHERE batch_id = ? AND tank_id = ? AND canister = ?"
                   " AND goblet = ? AND cane = ?"_s,
                   where);
    return run(query,
               u"UPDATE placements SET straws = straws - ? WHERE batch_id = ? AND tank_id = ?"
               " AND canister = ? AND goblet = ? AND cane = ?"_s,
               QVariantList{straws} + where);
}

bool putAt(QSqlQuery &query, qint64 batchId, const StrawPosition &position, qint64 straws)
{
    return run(query,
               u"INSERT INTO placements (batch_id, tank_id, canister, goblet, cane, straws)"
               " VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (batch_id, tank_id, canister, goblet, cane)"
               " DO UPDATE SET straws = placements.straws + excluded.straws"_s,
               {batchId, position.tankId, position.canister, textValue(position.goblet),
                textValue(position.cane), straws});
}

QString moveKindName(StrawMoveKind kind)
{
    switch (kind) {
    case StrawMoveKind::Placed:
        return u"placed"_s;
    case StrawMoveKind::Moved:
        return u"moved"_s;
    case StrawMoveKind::TakenOut:
        return u"taken-out"_s;
    }
    return {};
}

bool logMove(QSqlQuery &query, qint64 batchId, const QString &kind,
             const std::optional<StrawPosition> &from, const std::optional<StrawPosition> &to,
             qint64 straws, qint64 movementId)
{
    const StrawPosition none;
    const StrawPosition &a = from ? *from : none;
    const StrawPosition &b = to ? *to : none;
    return run(query,
               u"INSERT INTO straw_moves (batch_id, kind, from_tank, from_canister, from_goblet,"
               " from_cane, to_tank, to_canister, to_goblet, to_cane, straws, moved_at,"
               " operator_name, workstation, movement_id) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
               " ?, ?, ?, ?, ?)"_s,
               {batchId, kind, nullableId(a.tankId), a.canister, textValue(a.goblet),
                textValue(a.cane), nullableId(b.tankId), b.canister, textValue(b.goblet),
                textValue(b.cane), straws, timeText(QDateTime::currentDateTimeUtc()),
                textValue(loginName()), textValue(QSysInfo::machineHostName()),
                nullableId(movementId)});
}

// The straws of a batch that remain (made, less what left, plus what came back) and those
// placed; the batch row is held until the commit.
bool batchStraws(Journal::Private &d, QSqlQuery &query, qint64 batchId, qint64 &remaining,
                 qint64 &placed)
{
    if (!run(query,
             "SELECT straws_made FROM freeze_batches WHERE id = ?"_L1
                 + d.backend->lockRowsClause(),
             {batchId}))
        return false;
    if (!query.next()) {
        if (query.lastError().isValid())
            return false;
        d.refusal = JournalError{
            Kind::NotFound, JournalText::tr("The journal holds no freeze batch %1.").arg(batchId)};
        return false;
    }
    remaining = query.value(0).toLongLong();
    query.finish();
    if (!run(query,
             u"SELECT COALESCE(SUM(CASE WHEN kind IN ('returned', 'adjusted') THEN doses"
             " ELSE -doses END), 0) FROM movements WHERE freeze_batch_id = ?"_s,
             {batchId})
        || !query.next())
        return false;
    remaining += query.value(0).toLongLong();
    query.finish();
    if (!run(query, u"SELECT COALESCE(SUM(straws), 0) FROM placements WHERE batch_id = ?"_s,
             {batchId})
        || !query.next())
        return false;
    placed = query.value(0).toLongLong();
    query.finish();
    return true;
}

QList<Placement> readPlacements(QSqlQuery &query, const QString &where, qint64 id)
{
    QList<Placement> found;
    if (!run(query,
             u"SELECT p.batch_id, p.tank_id, p.canister, p.goblet, p.cane, p.straws, t.name,"
             " b.stallion FROM placements p JOIN tanks t ON t.id = p.tank_id"
             " JOIN freeze_batches b ON b.id = p.batch_id WHERE %1 = ?"
             " ORDER BY t.name_key, p.canister, p.goblet, p.cane, p.batch_id"_s.arg(where),
             {id}))
        return found;
    while (query.next()) {
        Placement placement;
        placement.batchId = query.value(0).toLongLong();
        placement.position = {query.value(1).toLongLong(), query.value(2).toInt(),
                              query.value(3).toString(), query.value(4).toString()};
        placement.straws = query.value(5).toInt();
        placement.tankName = query.value(6).toString();
        placement.stallion = query.value(7).toString();
        found << placement;
    }
    return found;
}

} // namespace

QString positionText(const QString &tankName, const StrawPosition &position)
{
    QStringList parts{tankName.isEmpty() ? JournalText::tr("tank %1").arg(position.tankId)
                                         : tankName,
                      JournalText::tr("canister %1").arg(position.canister)};
    if (!position.goblet.isEmpty())
        parts << JournalText::tr("goblet %1").arg(position.goblet);
    if (!position.cane.isEmpty())
        parts << JournalText::tr("cane %1").arg(position.cane);
    return parts.join(u", "_s);
}

QString positionProblem(QSqlQuery &query, const StrawPosition &position, bool &failed)
{
    failed = false;
    for (const QString &part : {position.goblet, position.cane}) {
        if (part.size() > kMostPositionText || part != part.trimmed())
            return JournalText::tr("A goblet or cane is named in at most %1 characters, without "
                                   "blanks around.")
                .arg(kMostPositionText);
        if (const QString problem = textProblem(JournalText::tr("position"), part);
            !problem.isEmpty())
            return problem;
    }
    if (!run(query, u"SELECT canisters, name FROM tanks WHERE id = ?"_s, {position.tankId})) {
        failed = true;
        return {};
    }
    if (!query.next()) {
        failed = query.lastError().isValid();
        return JournalText::tr("The journal holds no tank %1.").arg(position.tankId);
    }
    const int canisters = query.value(0).toInt();
    const QString name = query.value(1).toString();
    query.finish();
    if (position.canister < 1 || position.canister > canisters)
        return JournalText::tr("%1 has canisters 1 to %2, not %3.")
            .arg(name)
            .arg(canisters)
            .arg(position.canister);
    return {};
}

bool readFrozenBatchForMovement(Journal::Private &d, QSqlQuery &query, Movement &movement,
                                qint64 &produced, QList<Movement> &earlier)
{
    if (!run(query,
             "SELECT straws_made, state, (SELECT MIN(sheet_id) FROM freeze_sources f"
             " WHERE f.batch_id = freeze_batches.id) FROM freeze_batches WHERE id = ?"_L1
                 + d.backend->lockRowsClause(),
             {movement.freezeBatchId}))
        return false;
    if (!query.next()) {
        if (query.lastError().isValid())
            return false;
        d.refusal = JournalError{
            Kind::NotFound,
            JournalText::tr("The journal holds no freeze batch %1.").arg(movement.freezeBatchId)};
        return false;
    }
    produced = query.value(0).toLongLong();
    const QString state = query.value(1).toString();
    movement.sheetId = query.value(2).toLongLong();
    query.finish();
    if ((movement.kind == MovementKind::Dispatched || movement.kind == MovementKind::Used)
        && state != releaseStateName(ReleaseState::Released)) {
        d.refusal = refusal(JournalText::tr("Batch %1 is not released (%2): its straws cannot be "
                                            "dispatched or used.")
                                .arg(movement.freezeBatchId)
                                .arg(state));
        return false;
    }
    earlier.clear();
    if (!run(query,
             "SELECT "_L1 + kMovementColumns
                 + " FROM movements WHERE freeze_batch_id = ? ORDER BY id"_L1,
             {movement.freezeBatchId}))
        return false;
    while (query.next())
        earlier << movementFromRow(query);
    const bool ok = !query.lastError().isValid();
    query.finish();
    return ok;
}

bool applyFrozenMovement(Journal::Private &d, QSqlQuery &query, const Movement &movement,
                         qint64 movementId, qint64 produced, const QList<Movement> &earlier)
{
    const bool leaves = movement.kind == MovementKind::Dispatched
                        || movement.kind == MovementKind::Used
                        || movement.kind == MovementKind::Destroyed;
    if (leaves) {
        const StrawPosition from{movement.fromTankId, movement.fromCanister, movement.fromGoblet,
                                 movement.fromCane};
        if (movement.fromTankId <= 0) {
            d.refusal = refusal(JournalText::tr("Straws that leave are taken from a position: "
                                                "name its tank and canister."));
            return false;
        }
        bool failed = false;
        if (const QString problem = positionProblem(query, from, failed); !problem.isEmpty()) {
            if (!failed)
                d.refusal = refusal(problem);
            return false;
        }
        if (failed)
            return false;
        return takeFrom(d, query, movement.freezeBatchId, from, movement.doses)
               && logMove(query, movement.freezeBatchId, moveKindName(StrawMoveKind::TakenOut),
                          from, std::nullopt, movement.doses, movementId);
    }
    // Anything else changes the straws out of place: those must be there to take.
    if (movement.change() >= 0)
        return true;
    qint64 placed = 0;
    if (!run(query, u"SELECT COALESCE(SUM(straws), 0) FROM placements WHERE batch_id = ?"_s,
             {movement.freezeBatchId})
        || !query.next())
        return false;
    placed = query.value(0).toLongLong();
    query.finish();
    const qint64 unplaced = remainingOf(produced, earlier) - placed;
    if (unplaced + movement.change() < 0) {
        d.refusal = refusal(JournalText::tr("Only %1 straws of batch %2 are out of place; take "
                                            "straws out of their position first.")
                                .arg(unplaced)
                                .arg(movement.freezeBatchId));
        return false;
    }
    return true;
}

JournalError Journal::moveStraws(const QList<StrawMove> &moves)
{
    if (moves.isEmpty())
        return d->succeeded();
    for (const StrawMove &move : moves) {
        const bool fromNeeded = move.kind != StrawMoveKind::Placed;
        const bool toNeeded = move.kind != StrawMoveKind::TakenOut;
        if (move.straws < 1)
            return d->failed(Kind::Refused, JournalText::tr("A move takes at least one straw."));
        if (fromNeeded != move.from.has_value() || toNeeded != move.to.has_value())
            return d->failed(Kind::Refused,
                             JournalText::tr("A placement names where straws go, a move where "
                                             "from and where to, a taking out where from."));
        if (move.from && move.to && *move.from == *move.to)
            return d->failed(Kind::Refused, JournalText::tr("Straws moved go somewhere else."));
    }
    return d->write([&](QSqlQuery &query) {
        // What each batch may still place, as the moves before it in this list left it.
        QHash<qint64, qint64> unplaced;
        for (const StrawMove &move : moves) {
            for (const std::optional<StrawPosition> &position : {move.from, move.to}) {
                if (!position)
                    continue;
                bool failed = false;
                if (const QString problem = positionProblem(query, *position, failed);
                    !problem.isEmpty() || failed) {
                    if (!failed)
                        d->refusal = refusal(problem);
                    return false;
                }
            }
            if (!unplaced.contains(move.batchId)) {
                qint64 remaining = 0;
                qint64 placed = 0;
                if (!batchStraws(*d, query, move.batchId, remaining, placed))
                    return false;
                unplaced.insert(move.batchId, remaining - placed);
            }
            qint64 &free = unplaced[move.batchId];
            if (move.kind == StrawMoveKind::Placed && move.straws > free) {
                d->refusal = refusal(JournalText::tr("Only %1 straws of batch %2 are out of "
                                                     "place; %3 cannot be placed.")
                                         .arg(free)
                                         .arg(move.batchId)
                                         .arg(move.straws));
                return false;
            }
            if (move.from && !takeFrom(*d, query, move.batchId, *move.from, move.straws))
                return false;
            if (move.to && !putAt(query, move.batchId, *move.to, move.straws))
                return false;
            if (move.kind == StrawMoveKind::Placed)
                free -= move.straws;
            else if (move.kind == StrawMoveKind::TakenOut)
                free += move.straws;
            if (!logMove(query, move.batchId, moveKindName(move.kind), move.from, move.to,
                         move.straws, 0))
                return false;
        }
        return true;
    });
}

QList<Placement> Journal::placementsOfBatch(qint64 batchId)
{
    QList<Placement> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found = readPlacements(query, u"p.batch_id"_s, batchId);
        return !query.lastError().isValid();
    });
    if (!done)
        return {};
    d->succeeded();
    return found;
}

QList<Placement> Journal::placementsInTank(qint64 tankId)
{
    QList<Placement> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found = readPlacements(query, u"p.tank_id"_s, tankId);
        return !query.lastError().isValid();
    });
    if (!done)
        return {};
    d->succeeded();
    return found;
}

namespace {

// The inventory's lines: straws summed per batch and tank (or per batch over all tanks).
bool readInventory(QSqlQuery &query, bool byTank, QList<InventoryLine> &lines)
{
    lines.clear();
    const QString tank = byTank ? u"p.tank_id, t.name"_s : u"0, ''"_s;
    const QString join = byTank ? u" JOIN tanks t ON t.id = p.tank_id"_s : QString();
    const QString group = byTank ? u"p.tank_id, t.name, "_s : QString();
    const QString order = byTank ? u"t.name, "_s : QString();
    if (!run(query,
             u"SELECT %1, b.stallion, b.id, b.frozen_at, b.state, SUM(p.straws),"
             " b.straws_per_dose, COUNT(*), b.stallion_key FROM placements p"
             " JOIN freeze_batches b ON b.id = p.batch_id%2"
             " GROUP BY %3b.id, b.stallion, b.frozen_at, b.state, b.straws_per_dose,"
             " b.stallion_key ORDER BY %4b.stallion_key, b.id"_s.arg(tank, join, group, order)))
        return false;
    while (query.next()) {
        InventoryLine line;
        line.tankId = query.value(0).toLongLong();
        line.tankName = query.value(1).toString();
        line.stallion = query.value(2).toString();
        line.batchId = query.value(3).toLongLong();
        line.frozenAt = timeFromText(query.value(4).toString());
        line.state
            = releaseStateFromName(query.value(5).toString()).value_or(ReleaseState::OnHold);
        line.straws = query.value(6).toInt();
        line.strawsPerDose = query.value(7).toInt();
        line.positions = query.value(8).toInt();
        lines << line;
    }
    return !query.lastError().isValid();
}

} // namespace

QList<InventoryLine> Journal::inventoryByTank()
{
    QList<InventoryLine> found;
    if (!d->read([&](QSqlQuery &query) { return readInventory(query, true, found); }))
        return {};
    d->succeeded();
    return found;
}

QList<InventoryLine> Journal::inventoryByStallion()
{
    QList<InventoryLine> found;
    if (!d->read([&](QSqlQuery &query) { return readInventory(query, false, found); }))
        return {};
    d->succeeded();
    return found;
}

QList<LowStock> Journal::lowStock()
{
    const std::optional<FrozenSettings> settings = frozenSettings();
    if (!settings)
        return {};
    // Per stallion, under his registered name where he has one: released straws in store
    // as whole doses, for every stallion that has frozen batches at all.
    QHash<QString, LowStock> byKey;
    const bool done = d->read([&](QSqlQuery &query) {
        byKey.clear();
        if (!run(query,
                 u"SELECT COALESCE(r.name_key, b.stallion_key), COALESCE(r.name, b.stallion),"
                 " b.state, b.straws_per_dose, COALESCE((SELECT SUM(p.straws) FROM placements p"
                 " WHERE p.batch_id = b.id), 0) FROM freeze_batches b"
                 " LEFT JOIN stallion_names n ON n.name_key = b.stallion_key"
                 " LEFT JOIN stallion_names r ON r.stallion_id = n.stallion_id AND r.alias = 0"_s))
            return false;
        while (query.next()) {
            LowStock &entry = byKey[query.value(0).toString()];
            if (entry.stallion.isEmpty())
                entry.stallion = query.value(1).toString();
            const qint64 perDose = query.value(3).toLongLong();
            if (query.value(2).toString() == releaseStateName(ReleaseState::Released)
                && perDose > 0)
                entry.doses += query.value(4).toLongLong() / perDose;
        }
        return !query.lastError().isValid();
    });
    if (!done)
        return {};
    QList<LowStock> low;
    for (const LowStock &entry : std::as_const(byKey)) {
        if (entry.doses < settings->lowStockDoses)
            low << entry;
    }
    std::sort(low.begin(), low.end(), [](const LowStock &a, const LowStock &b) {
        return stallionKey(a.stallion) < stallionKey(b.stallion);
    });
    d->succeeded();
    return low;
}

} // namespace estrivo
