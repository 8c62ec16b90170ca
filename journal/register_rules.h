// The register's rules and the mapping of its rows, shared by the files that keep it.
// Inside journal/ only.
#pragma once

#include "register_types.h"

#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <utility>

namespace estrivo {

// Stallions' and movements' columns, in the order the row mappings read them.
inline constexpr QLatin1StringView kStallionColumns{
    "id, name, species, breed, born, registration, ueln, owner, merged_into"};
inline constexpr QLatin1StringView kMovementColumns{
    "id, sheet_id, kind, moved_at, doses, consignee, mare, mare_ueln, address, country, vet,"
    " carrier, tracking, container, due_back, of_movement, container_back, reason,"
    " operator_name, workstation, uid, freeze_batch_id, from_tank, from_canister, from_goblet,"
    " from_cane"};
inline constexpr int kMovementColumnCount = 26;

Stallion stallionFromRow(const QSqlQuery &query, int first = 0);
Movement movementFromRow(const QSqlQuery &query, int first = 0);

// Days are kept as ISO texts, empty for none.
QString dayText(const QDate &day);
QDate dayFromText(const QString &text);
QVariant nullableId(qint64 id);
// The account the program runs as, never what the environment claims.
QString loginName();

// Why a text of the register cannot be kept (control characters, overlong); empty when it can.
QString textProblem(const QString &what, const QString &text);
QString stallionProblem(const Stallion &stallion);
// The names a stallion goes by, his name first, each as its key and its text; an alias that
// folds to his name or to an earlier alias adds nothing.
QList<std::pair<QString, QString>> namesOf(const Stallion &stallion);

// What the movement's texts must hold before any doses are looked at; empty when they do.
QString movementFormProblem(const Movement &movement);
// Why `movement` may not follow `earlier` (the sheet's movements, oldest first) on a
// collection that made `produced` doses; empty when it may. Fills in what a reversal changes.
QString movementProblem(Movement &movement, qint64 produced, const QList<Movement> &earlier);
qint64 remainingOf(qint64 produced, const QList<Movement> &movements);

} // namespace estrivo
