// What the frozen-semen files share with the register's movements. Inside journal/ only.
#pragma once

#include "journal_private.h"

namespace estrivo {

// Inside a write: holds the movement's freeze batch until the commit, names its first source
// collection as the movement's sheet, and reads the straws it made and its earlier
// movements. False on a failure the query tells, or with d.refusal set.
bool readFrozenBatchForMovement(Journal::Private &d, QSqlQuery &query, Movement &movement,
                                qint64 &produced, QList<Movement> &earlier);
// Inside a write, after the movement (id `movementId`) is kept: straws that leave are taken
// from the position it names, and what does not come from a position must come from the
// batch's unplaced straws.
bool applyFrozenMovement(Journal::Private &d, QSqlQuery &query, const Movement &movement,
                         qint64 movementId, qint64 produced, const QList<Movement> &earlier);

// A position as the journal keeps its parts, and the checks every position goes through.
QString positionProblem(QSqlQuery &query, const StrawPosition &position, bool &failed);
QString positionText(const QString &tankName, const StrawPosition &position);

} // namespace estrivo
