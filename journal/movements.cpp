// What became of each collection's doses: movements checked against what remains in the
// transaction that keeps them, so no two workstations can move out the same dose; the
// containers out; the register's rows.
#include "frozen_store.h"
#include "journal_private.h"
#include "register_rules.h"
#include "sheet_queries.h"

#include <QHash>
#include <QSysInfo>
#include <QUuid>

namespace estrivo {

using Kind = JournalError::Kind;

namespace {

JournalError refusal(const QString &reason)
{
    return {Kind::Refused, reason};
}

// The movements of one sheet, oldest first, on an open query.
bool readMovements(QSqlQuery &query, qint64 sheetId, QList<Movement> &movements)
{
    movements.clear();
    if (!run(query,
             "SELECT "_L1 + kMovementColumns
                 + " FROM movements WHERE sheet_id = ? AND freeze_batch_id IS NULL ORDER BY id"_L1,
             {sheetId}))
        return false;
    while (query.next())
        movements << movementFromRow(query);
    const bool ok = !query.lastError().isValid();
    query.finish();
    return ok;
}

} // namespace

std::optional<DoseBatch> Journal::doseBatch(qint64 sheetId)
{
    std::optional<DoseBatch> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found.reset();
        if (!run(query, u"SELECT num_doses FROM sheets WHERE id = ?"_s, {sheetId}))
            return false;
        if (!query.next())
            return !query.lastError().isValid();
        DoseBatch batch;
        batch.sheetId = sheetId;
        batch.produced = dosesMade(query.value(0).toString());
        query.finish();
        if (!readMovements(query, sheetId, batch.movements))
            return false;
        batch.remaining = remainingOf(batch.produced, batch.movements);
        found = std::move(batch);
        return true;
    });
    if (!done)
        return std::nullopt;
    if (!found) {
        d->failed(Kind::NotFound, JournalText::tr("The journal holds no sheet %1.").arg(sheetId));
        return std::nullopt;
    }
    d->succeeded();
    return found;
}

std::optional<Movement> Journal::movement(qint64 id)
{
    std::optional<Movement> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found.reset();
        if (!run(query, "SELECT "_L1 + kMovementColumns + " FROM movements WHERE id = ?"_L1, {id}))
            return false;
        if (query.next())
            found = movementFromRow(query);
        return !query.lastError().isValid();
    });
    if (!done)
        return std::nullopt;
    if (!found) {
        d->failed(Kind::NotFound, JournalText::tr("The journal holds no movement %1.").arg(id));
        return std::nullopt;
    }
    d->succeeded();
    return found;
}

JournalError Journal::recordMovement(Movement &movement)
{
    movement.mareUeln = normalizedUeln(movement.mareUeln);
    movement.country = movement.country.trimmed().toUpper();
    if (!movement.movedAt.isValid())
        movement.movedAt = QDateTime::currentDateTimeUtc();
    if (movement.operatorName.isEmpty())
        movement.operatorName = loginName();
    if (movement.workstation.isEmpty())
        movement.workstation = QSysInfo::machineHostName();
    if (movement.uid.isEmpty())
        movement.uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (const QString problem = movementFormProblem(movement); !problem.isEmpty())
        return d->failed(Kind::Refused, problem);
    if (!movement.containerBack || movement.kind != MovementKind::Returned) {
        if (movement.kind != MovementKind::Returned)
            movement.containerBack = false;
    }
    qint64 id = 0;
    const JournalError saved = d->write([&](QSqlQuery &query) {
        // A second delivery of a movement kept before is that movement.
        if (!run(query, u"SELECT id FROM movements WHERE uid = ?"_s, {movement.uid}))
            return false;
        if (query.next()) {
            id = query.value(0).toLongLong();
            return true;
        }
        query.finish();
        qint64 produced = 0;
        QList<Movement> earlier;
        if (movement.freezeBatchId > 0) {
            // Straws of a freeze batch: its row is held until the commit.
            if (!readFrozenBatchForMovement(*d, query, movement, produced, earlier))
                return false;
        } else {
            // The sheet's row is held until the commit: a second workstation moving doses of
            // the same collection waits here and then sees this movement.
            if (!run(query,
                     "SELECT num_doses FROM sheets WHERE id = ?"_L1 + d->backend->lockRowsClause(),
                     {movement.sheetId}))
                return false;
            if (!query.next()) {
                if (query.lastError().isValid())
                    return false;
                d->refusal = JournalError{
                    Kind::NotFound,
                    JournalText::tr("The journal holds no sheet %1.").arg(movement.sheetId)};
                return false;
            }
            produced = dosesMade(query.value(0).toString());
            query.finish();
            if (!readMovements(query, movement.sheetId, earlier))
                return false;
        }
        if (const QString problem = movementProblem(movement, produced, earlier);
            !problem.isEmpty()) {
            d->refusal = refusal(problem);
            return false;
        }
        const QStringList marks(kMovementColumnCount - 1, u"?"_s);
        if (!run(query,
                 "INSERT INTO movements ("_L1 + QString(kMovementColumns).section(u',', 1)
                     + ") VALUES ("_L1 + marks.join(u", "_s) + ") RETURNING id"_L1,
                 {movement.sheetId,
                  movementKindName(movement.kind),
                  timeText(movement.movedAt),
                  movement.doses,
                  textValue(movement.consignee.trimmed()),
                  textValue(movement.mare.trimmed()),
                  textValue(movement.mareUeln),
                  textValue(movement.address.trimmed()),
                  textValue(movement.country),
                  textValue(movement.vet.trimmed()),
                  textValue(movement.carrier.trimmed()),
                  textValue(movement.tracking.trimmed()),
                  textValue(movement.container.trimmed()),
                  textValue(dayText(movement.dueBack)),
                  nullableId(movement.of),
                  movement.containerBack ? 1 : 0,
                  textValue(movement.reason.trimmed()),
                  textValue(movement.operatorName),
                  textValue(movement.workstation),
                  movement.uid,
                  nullableId(movement.freezeBatchId),
                  nullableId(movement.fromTankId),
                  movement.fromCanister,
                  textValue(movement.fromGoblet.trimmed()),
                  textValue(movement.fromCane.trimmed())})
            || !query.next())
            return false;
        id = query.value(0).toLongLong();
        query.finish();
        return movement.freezeBatchId == 0
               || applyFrozenMovement(*d, query, movement, id, produced, earlier);
    });
    if (saved.ok())
        movement.id = id;
    return saved;
}

QList<ContainerOut> Journal::containersOut()
{
    QList<ContainerOut> found;
    const bool done = d->read([&](QSqlQuery &query) {
        found.clear();
        // Out: a dispatch with a container, not reversed, with no container-back return that
        // stands (one not reversed itself).
        if (!run(query,
                 u"SELECT d.id, d.sheet_id, d.container, d.consignee, d.moved_at, d.due_back"
                 " FROM movements d WHERE d.kind = 'dispatched' AND d.container <> ''"
                 " AND NOT EXISTS (SELECT 1 FROM movements v WHERE v.of_movement = d.id"
                 " AND v.kind = 'adjusted')"
                 " AND NOT EXISTS (SELECT 1 FROM movements r WHERE r.of_movement = d.id"
                 " AND r.kind = 'returned' AND r.container_back = 1 AND NOT EXISTS"
                 " (SELECT 1 FROM movements rv WHERE rv.of_movement = r.id"
                 " AND rv.kind = 'adjusted')) ORDER BY d.id"_s))
            return false;
        while (query.next())
            found << ContainerOut{query.value(0).toLongLong(),
                                  query.value(1).toLongLong(),
                                  query.value(2).toString(),
                                  query.value(3).toString(),
                                  timeFromText(query.value(4).toString()),
                                  dayFromText(query.value(5).toString())};
        return !query.lastError().isValid();
    });
    if (!done)
        return {};
    d->succeeded();
    return found;
}

JournalError Journal::forEachRegisterRow(const SheetFilter &filter, const RegisterVisitor &visit)
{
    // The register is small beside the sheets: read whole, by every key a stallion goes by.
    QHash<QString, Stallion> byKey;
    const bool named = d->read([&](QSqlQuery &query) {
        byKey.clear();
        if (!run(query, u"SELECT n.name_key, s.id, s.name, s.species, s.breed, s.born,"
                        " s.registration, s.ueln, s.owner, s.merged_into FROM stallion_names n"
                        " JOIN stallions s ON s.id = n.stallion_id"_s))
            return false;
        while (query.next())
            byKey.insert(query.value(0).toString(), stallionFromRow(query, 1));
        return !query.lastError().isValid();
    });
    if (!named)
        return d->lastError;
    bool visited = false;
    const bool done = d->read([&](QSqlQuery &query) {
        if (visited) // rows were handed on already: starting over would hand them twice
            return true;
        QVariantList values;
        SheetFilter sheets = filter;
        sheets.idAbove = 0;
        QStringList otherKeys;
        if (!findOtherKeys(query, sheets, otherKeys))
            return false;
        QStringList movementColumns = QString(kMovementColumns).split(", "_L1);
        for (QString &column : movementColumns)
            column.prepend("m."_L1);
        // Only what a register line shows of a sheet is read, once a sheet however many
        // movements it has; a container's return is looked for on dispatches only.
        const QString select
            = "SELECT s.id, s.saved_at, s.stallion, s.collection_date, s.num_doses,"
              " s.stallion_key, "_L1
              + movementColumns.join(", "_L1)
              + ", CASE WHEN m.kind = 'dispatched' THEN (SELECT MIN(r.moved_at) FROM movements r"
                " WHERE r.of_movement = m.id AND r.kind = 'returned' AND r.container_back = 1"
                " AND NOT EXISTS (SELECT 1 FROM movements rv WHERE rv.of_movement = r.id"
                " AND rv.kind = 'adjusted')) END"
                " FROM (SELECT id, saved_at, stallion, collection_date, num_doses, stallion_key"
                " FROM sheets"_L1
              + sheetWhere(sheets, values, otherKeys)
              + ") s LEFT JOIN movements m ON m.sheet_id = s.id"
                " ORDER BY s.saved_at, s.id, m.id"_L1;
        if (!run(query, select, values))
            return false;
        constexpr int kKeyColumn = 5;
        constexpr int kMovementColumn = 6;
        constexpr int kBackColumn = kMovementColumn + kMovementColumnCount;
        RegisterRow row;
        while (query.next()) {
            visited = true;
            if (const qint64 id = query.value(0).toLongLong(); id != row.sheet.id) {
                row.sheet = {};
                row.sheet.id = id;
                row.sheet.savedAt = timeFromText(query.value(1).toString());
                row.sheet.stallion = query.value(2).toString();
                row.sheet.text(Field::Date) = query.value(3).toString();
                row.sheet.text(Field::NumDoses) = query.value(4).toString();
                row.produced = dosesMade(row.sheet.text(Field::NumDoses));
                const auto found = byKey.constFind(query.value(kKeyColumn).toString());
                row.stallion
                    = found != byKey.cend() ? std::optional<Stallion>(*found) : std::nullopt;
            }
            row.movement.reset();
            row.containerBackAt = {};
            if (!query.value(kMovementColumn).isNull())
                row.movement = movementFromRow(query, kMovementColumn);
            if (const QString back = query.value(kBackColumn).toString(); !back.isEmpty())
                row.containerBackAt = timeFromText(back);
            if (!visit(row))
                return true;
        }
        return !query.lastError().isValid();
    });
    if (!done)
        return d->lastError;
    return d->succeeded();
}

} // namespace estrivo
