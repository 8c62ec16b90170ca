#include "sheet_numbers.h"

#include <algorithm>
#include <cmath>

namespace estrivo {

namespace {

// Million sperm per ml times ml gives millions; the records count in billions.
constexpr double kMillionsPerBillion = 1000.0;
constexpr double kPercent = 100.0;

} // namespace

std::optional<double> numberIn(const QString &text)
{
    const bool hasDigit
        = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!hasDigit)
        return std::nullopt;
    const double value = readNumber(text.toStdString());
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

SheetNumbers sheetNumbers(const SheetRecord &sheet)
{
    SheetNumbers numbers;
    const std::optional<double> con = numberIn(sheet.text(Field::Con));
    const std::optional<double> gfv = numberIn(sheet.text(Field::GFV));
    const std::optional<double> motility = numberIn(sheet.text(Field::Motility));
    if (con && gfv)
        numbers.totalSperm = *con * *gfv / kMillionsPerBillion;
    if (numbers.totalSperm && motility)
        numbers.motileSperm = *numbers.totalSperm * *motility / kPercent;
    numbers.doses = numberIn(sheet.text(Field::NumDoses));
    return numbers;
}

QString numberText(std::optional<double> value, int decimals)
{
    return value ? QString::number(*value, 'f', decimals) : QString();
}

} // namespace estrivo
