#pragma once

#include "journal_types.h"
#include "sheet_numbers.h"

#include <QDateTime>
#include <QString>

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
};
inline constexpr int kSheetColumnCount = int(SheetColumn::Printed) + 1;

QString columnTitle(SheetColumn column);
QString cellText(const SheetRow &row, SheetColumn column);
bool isNumberColumn(SheetColumn column);

// "1 collection", "300 collections": counts in words without a translation installed.
QString collectionsText(qint64 count);

// The moment a sheet was saved as the records show it: local time to the minute.
QString savedText(const QDateTime &savedAt);

} // namespace estrivo
