#include "extension_calc.h"

#include "wide_double.h"

#include <cmath>

namespace estrivo {

namespace {

using detail::WideDouble;

class Calculation
{
public:
    explicit Calculation(SheetFields &sheet)
        : m_sheet(sheet)
    {}

    double read(Field field) const { return readNumber(m_sheet.text(field)); }
    WideDouble wide(Field field) const { return WideDouble::of(read(field)); }

    // Writes the value; a value past the double range writes "Overflow" and clears the
    // results after it, so that no stale number stands beside it.
    bool store(Field field, WideDouble value)
    {
        const double stored = value.toDouble();
        if (std::isfinite(stored)) {
            m_sheet.setText(field, writeNumber(stored));
            return true;
        }
        m_sheet.setText(field, kOverflowText);
        bool after = false;
        for (Field result : {Field::SemenVol, Field::ExtVol, Field::VPD, Field::NumDoses}) {
            if (after)
                m_sheet.setText(result, initialText(result));
            after = after || result == field;
        }
        return false;
    }

private:
    SheetFields &m_sheet;
};

} // namespace

void Calculate(SheetFields &sheet)
{
    Calculation calc(sheet);

    // Semen volume: dose ÷ concentration ÷ motile fraction, only with both strictly positive.
    if (calc.read(Field::Motility) > 0.0 && calc.read(Field::Con) > 0.0) {
        const WideDouble semen = calc.wide(Field::TotalDose) / calc.wide(Field::Con)
                                 / (calc.wide(Field::Motility) / WideDouble::of(100.0));
        if (!calc.store(Field::SemenVol, semen))
            return;
    }

    // Extender at the minimum ratio.
    if (!calc.store(Field::ExtVol, calc.wide(Field::SemenVol) * calc.wide(Field::MinExt)))
        return;

    // Dilute further when the dose would be more concentrated than allowed.
    if (calc.read(Field::MaxCon) > 0.0) {
        const double doseVolume
            = (calc.wide(Field::ExtVol) + calc.wide(Field::SemenVol)).toDouble();
        const WideDouble leastVolume = calc.wide(Field::TotalDose) / calc.wide(Field::MaxCon);
        if (leastVolume.toDouble() > doseVolume) {
            const WideDouble capped = leastVolume - calc.wide(Field::SemenVol);
            if (!calc.store(Field::ExtVol, capped))
                return;
        }
    }

    if (!calc.store(Field::VPD, calc.wide(Field::SemenVol) + calc.wide(Field::ExtVol)))
        return;

    if (calc.read(Field::SemenVol) > 0.0)
        calc.store(Field::NumDoses, (calc.wide(Field::GFV) / calc.wide(Field::SemenVol)).floor());
}

} // namespace estrivo
