#pragma once

#include "journal_types.h"
#include "sheet_numbers.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

namespace estrivo {

// One collection as the records list shows it, without what only the details need.
struct SheetRow
{
    qint64 id = 0;
    QDateTime savedAt;
    QString stallion;
    QString collectionDate;
    QString concentration;
    QString gelFreeVolume;
    QString motility;
    QString doses;
    QString volumePerDose;
    bool printed = false;
    SheetNumbers numbers;
    QDateTime collectedAt;           // collectionTime(): the reading's date, else the save's
    bool collectedAtFromSave = true; // no collection date on the sheet: the save time stands in
    QString notes;                   // a line of them, for the list
    QVariant sortValue;              // what the journal's order placed it by
};

SheetRow sheetRow(const SheetRecord &sheet);

// The columns of the list and of the report, in order.
enum class SheetColumn {
    Saved,
    Stallion,
    CollectionDate,
    Concentration,
    GelFreeVolume,
    Motility,
    TotalSperm,
    MotileSperm,
    Doses,
    VolumePerDose,
    Printed,
    Notes,
};
inline constexpr int kSheetColumnCount = int(SheetColumn::Notes) + 1;

QString columnTitle(SheetColumn column);
// A cell at a reading precision with its unit where it has one; cellToolTip() gives the text
// as kept, in full, where the cell rounds it.
QString cellText(const SheetRow &row, SheetColumn column);
QString cellToolTip(const SheetRow &row, SheetColumn column);

// A day as the window shows it: the desktop's short date; "(saved)" after a save time that
// stands in for a collection date.
QString collectionDateText(const QDateTime &at, bool fromSave);
bool isNumberColumn(SheetColumn column);

// "1 collection", "300 collections": counts in words without a translation installed.
QString collectionsText(qint64 count);

// The moment a sheet was saved as the records show it: local time to the minute.
QString savedText(const QDateTime &savedAt);

} // namespace estrivo
