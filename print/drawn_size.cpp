#include "snapshot_print.h"

#include <cmath>
#include <limits>

namespace estrivo {

namespace {

// Whole twips, a half going to the even neighbour; sizes that are not a finite, positive
// number of twips come out as nothing rather than as undefined conversions.
qint32 wholeTwips(double twips)
{
    if (!std::isfinite(twips) || twips <= 0.0)
        return 0;
    constexpr double kLargest = std::numeric_limits<qint32>::max();
    if (twips >= kLargest)
        return std::numeric_limits<qint32>::max();
    return static_cast<qint32>(std::nearbyint(twips)); // the default rounding: to even
}

} // namespace

DrawnSize drawnSize(double pageWidth, double windowWidth, double windowHeight)
{
    if (pageWidth < windowWidth) {
        // The page and window sizes are single-precision values, so the fitted height is
        // worked out in single precision too; that decides the rare height near a half twip.
        const float scale = static_cast<float>(pageWidth) / static_cast<float>(windowWidth);
        const float height = scale * static_cast<float>(windowHeight);
        return {wholeTwips(pageWidth), wholeTwips(static_cast<double>(height))};
    }
    return {wholeTwips(windowWidth), wholeTwips(windowHeight)};
}

} // namespace estrivo
