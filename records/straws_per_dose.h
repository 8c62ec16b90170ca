// How many frozen straws make one insemination dose, and the working that leads there.
#pragma once

#include <QString>
#include <QStringList>

namespace estrivo {

// More straws than this for one dose means a wrong entry, not a dose anyone would thaw.
inline constexpr int kMostStrawsPerDose = 100;

// The straws a dose takes, with the arithmetic one line a step, as the sheet's tooltips show
// theirs. On a refusal `straws` is 0 and `problem` says why; an absurd result keeps its
// arithmetic so the operator sees which figure is off.
struct StrawsPerDose
{
    int straws = 0;
    QStringList arithmetic;
    QString problem;
};

// The straws needed for `targetMotileMillions` M of progressively motile sperm, from the sperm
// in one straw (M) and the progressive motility after thawing (%). Refused: a figure that is not
// a number, 0 or below, a motility above 100 %, more than kMostStrawsPerDose straws.
StrawsPerDose strawsPerDose(double spermPerStrawMillions, double progressiveMotilityPercent,
                            double targetMotileMillions);

} // namespace estrivo
