// Generated journals for the records benchmarks: sheets as the program saves them, many of them.
#pragma once

#include "journal.h"

#include <QDateTime>
#include <QString>

#include <chrono>

namespace bench {

// Which sheets a journal holds. Sheet n (from 0) is saved `every` after sheet n - 1, by
// stallion n % stallions, with the calculator's texts for a concentration, volume and
// motility that repeat every few hundred sheets, and a picture on every pictureEvery-th.
struct SheetPlan
{
    qint64 count = 0;
    int stallions = 20;
    std::chrono::seconds every{45 * 60};
    QDateTime first;
    int pictureEvery = 100; // a picture is a few KB here; real ones are ~30 KB each
};

QString stallionName(int n);
// Sheet n as the window hands it to the journal (id 0, no picture).
estrivo::SheetRecord plannedSheet(const SheetPlan &plan, qint64 n);
// The picture kept with every pictureEvery-th sheet: a blank sheet-sized PNG.
const QByteArray &plannedPicture();

// Sheet n is row id n + 1 when the journal was filled by one of these. Compares a sample
// of rows, as the journal reads them back, with the plan, and the search over names with
// the plan's counts; false with the first difference in `error`.
bool matchesPlan(estrivo::Journal &journal, const SheetPlan &plan, QString *error);

// Fills a new SQLite journal at `path` (removed first) in one transaction on a connection of
// its own, with the columns the journal's save writes; the first sheet is saved through the
// journal itself, so a difference in layout shows in matchesPlan().
bool fillSqlite(const QString &path, const SheetPlan &plan, QString *error);

// Fills an empty PostgreSQL journal at `uri`: the first sheets, one whole turn of the plan's
// repeats, are saved through the journal itself; the rest are copies of those made by the
// server (INSERT ... SELECT over generate_series) with the time, notes and search text
// of their own. Then VACUUM ANALYZE and a checkpoint, as a journal in use would have had.
bool fillPostgres(const QString &uri, const SheetPlan &plan, QString *error);

} // namespace bench
