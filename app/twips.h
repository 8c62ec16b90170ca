#pragma once

#include <QLineF>
#include <QRect>

namespace estrivo {

// Layout lengths are kept in twips (1440 an inch); widgets are placed at 96 dpi logical,
// 15 twips a pixel, and Qt's high-DPI scaling takes care of denser screens.
inline constexpr double kTwipsPerPixel = 15.0;

inline int twipsToPixels(int twips)
{
    return qRound(twips / kTwipsPerPixel);
}

// Rounds the edges rather than the size, so controls that touch in twips touch on screen.
inline QRect twipsRect(int left, int top, int width, int height)
{
    const int x = twipsToPixels(left);
    const int y = twipsToPixels(top);
    return QRect(x, y, twipsToPixels(left + width) - x, twipsToPixels(top + height) - y);
}

} // namespace estrivo
