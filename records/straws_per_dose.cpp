#include "straws_per_dose.h"

#include "records_text.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace estrivo {

namespace {

constexpr double kWholePercent = 100.0;
// A quotient this close to a whole number is that number: 250 ÷ 25 must give 10 straws even
// when the motile sperm a straw comes out a hair below 25 in binary.
constexpr double kRelativeTolerance = 1e-9;
constexpr int kMostDecimals = 2;
constexpr int kMostQuotientDecimals = 6;
constexpr int kSignificantDigits = 15;

// A figure as the operator reads it: two decimals at most, no trailing zeros; a small figure
// keeps its first significant digits rather than showing as 0.
QString shown(double value, int decimals = kMostDecimals)
{
    QString text = QLocale::c().toString(value, 'f', decimals);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == u"0" && value != 0.0)
        return QLocale::c().toString(value, 'g', 3);
    return text;
}

// A quotient that was rounded up must not read as the whole number it was rounded from:
// 7.9999 shows as such, not as "8, rounded up: 8".
QString shownQuotient(double quotient, bool whole)
{
    if (whole)
        return shown(quotient, 0);
    for (int decimals = kMostDecimals; decimals <= kMostQuotientDecimals; ++decimals) {
        const QString text = shown(quotient, decimals);
        if (text.contains(u'.'))
            return text;
    }
    return QLocale::c().toString(quotient, 'g', kSignificantDigits);
}

bool positive(double value)
{
    return std::isfinite(value) && value > 0.0;
}

StrawsPerDose refused(const QString &problem)
{
    StrawsPerDose result;
    result.problem = problem;
    return result;
}

} // namespace

StrawsPerDose strawsPerDose(double spermPerStrawMillions, double progressiveMotilityPercent,
                            double targetMotileMillions)
{
    if (!positive(spermPerStrawMillions))
        return refused(RecordsText::tr("The sperm a straw must be a number of millions above 0."));
    if (!positive(progressiveMotilityPercent) || progressiveMotilityPercent > kWholePercent)
        return refused(RecordsText::tr("The progressive motility after thawing must be above "
                                       "0 % and at most 100 %."));
    if (!positive(targetMotileMillions))
        return refused(RecordsText::tr("The progressively motile sperm wanted in a dose must be "
                                       "a number of millions above 0."));

    StrawsPerDose result;
    const double motilePerStraw
        = spermPerStrawMillions * (progressiveMotilityPercent / kWholePercent);
    result.arithmetic << RecordsText::tr("%1 M sperm a straw × %2 % progressively motile = %3 M "
                                         "a straw")
                             .arg(shown(spermPerStrawMillions), shown(progressiveMotilityPercent),
                                  shown(motilePerStraw));

    // A motile count that underflowed to 0 leaves an infinite quotient, refused as absurd below.
    const double quotient = targetMotileMillions / motilePerStraw;
    const double nearest = std::round(quotient);
    const bool whole
        = std::isfinite(quotient) && nearest >= 1.0
          && std::fabs(quotient - nearest) <= kRelativeTolerance * std::max(1.0, quotient);
    const double needed = whole ? nearest : std::ceil(quotient);
    const QString target = shown(targetMotileMillions);
    const QString perStraw = shown(motilePerStraw);
    const QString ratio = shownQuotient(quotient, whole);

    if (!(needed <= kMostStrawsPerDose)) {
        result.arithmetic
            << RecordsText::tr("%1 M wanted ÷ %2 M a straw = %3").arg(target, perStraw, ratio);
        result.problem = RecordsText::tr("More than %1 straws for one dose: check the sperm a "
                                         "straw, the motility and the sperm wanted.")
                             .arg(kMostStrawsPerDose);
        return result;
    }
    result.straws = static_cast<int>(needed);
    if (whole && result.straws == 1)
        result.arithmetic
            << RecordsText::tr("%1 M wanted ÷ %2 M a straw = 1 straw").arg(target, perStraw);
    else if (whole)
        result.arithmetic << RecordsText::tr("%1 M wanted ÷ %2 M a straw = %3 straws")
                                 .arg(target, perStraw, ratio);
    else if (result.straws == 1)
        result.arithmetic << RecordsText::tr("%1 M wanted ÷ %2 M a straw = %3, rounded up: "
                                             "1 straw")
                                 .arg(target, perStraw, ratio);
    else
        result.arithmetic << RecordsText::tr("%1 M wanted ÷ %2 M a straw = %3, rounded up: "
                                             "%4 straws")
                                 .arg(target, perStraw, ratio)
                                 .arg(result.straws);
    return result;
}

} // namespace estrivo
