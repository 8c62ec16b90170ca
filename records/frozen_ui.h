// What the frozen-semen pane and its dialogs share: the journal's frozen records turned into
// what the operator reads, and the reminders of tank care and stock.
#pragma once

#include "frozen_types.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace estrivo {

// "Quarantine", "Released", "On hold".
QString releaseStateText(ReleaseState state);

// "Tank 3, canister 2, goblet A, cane 4": a goblet or cane left empty is not named.
QString shownPosition(const QString &tankName, const StrawPosition &position);

// Straws counted in words: "1 straw", "8 straws".
QString strawsText(qint64 straws);

// A number of millions or percent as the forms show it: "100", "12.5".
QString numberText(double value);

// The latest of a batch's tests (the journal lists them oldest first); none without one.
std::optional<ThawTest> latestTest(const QList<ThawTest> &tests);

// What needs doing about the tanks and the stock, one sentence each: tanks whose last check is
// older than kTankCheckDays (or that were never checked), tanks whose level is below their
// minimum, and stallions short of released doses. Empty while all is well.
QStringList frozenReminders(const QList<Tank> &tanks, const QList<LowStock> &lowStock,
                            const QDateTime &now);

} // namespace estrivo
