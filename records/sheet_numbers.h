#pragma once

#include "journal_types.h"

#include <QString>

#include <optional>

namespace estrivo {

// The number a kept field text stands for, read by the sheet's own reading rule; none for a
// text without a digit ("---.-", "Overflow", empty).
std::optional<double> numberIn(const QString &text);

// What a kept sheet's texts amount to, for the table and the trend.
struct SheetNumbers
{
    std::optional<double> concentration; // M/ml, as typed or read
    std::optional<double> motility;      // %, as typed
    std::optional<double> totalSperm;    // billions: concentration (M/ml) x gel-free volume (ml)
    std::optional<double> motileSperm;   // billions: the total x motility (%)
    std::optional<double> doses;
};

SheetNumbers sheetNumbers(const SheetRecord &sheet);

// When the collection was: the date the photometer's reading put on the sheet, as the sheet
// window wrote it (the desktop's short date and the time), or, where there is none or it
// cannot be read back, the moment the sheet was saved; `fromSave` tells which.
QDateTime collectionTime(const SheetRecord &sheet, bool *fromSave = nullptr);

// A number as the records show it: "." as the point, `decimals` places; empty for none.
QString numberText(std::optional<double> value, int decimals = 2);

} // namespace estrivo
