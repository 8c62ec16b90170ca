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
    std::optional<double> totalSperm;  // billions: concentration (M/ml) x gel-free volume (ml)
    std::optional<double> motileSperm; // billions: the total x motility (%)
    std::optional<double> doses;
};

SheetNumbers sheetNumbers(const SheetRecord &sheet);

// A number as the records show it: "." as the point, `decimals` places; empty for none.
QString numberText(std::optional<double> value, int decimals = 2);

} // namespace estrivo
