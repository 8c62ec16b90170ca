#include "client_area.h"

#include "twips.h"

#include <QPainter>

namespace estrivo {

namespace {

enum class LineColour { Text, Shadow, Highlight };

struct DecorationLine
{
    int x1, y1, x2, y2; // twips
    LineColour colour;
};

// In drawing order: the frame, the band dividers, then the two shaded strokes on the top edge.
constexpr DecorationLine kLines[] = {
    {0, 0, 4680, 0, LineColour::Text},         // Line9: top edge
    {4680, 7080, 4680, 0, LineColour::Text},   // Line7: right edge
    {4680, 7080, 0, 7080, LineColour::Text},   // Line10: bottom edge
    {0, 0, 0, 7080, LineColour::Text},         // Line8: left edge
    {0, 1080, 4680, 1080, LineColour::Text},   // Line5: below the command band
    {1800, 0, 1800, 1080, LineColour::Text},   // Line3: port cell | instrument cell
    {3120, 0, 3120, 1080, LineColour::Text},   // Line4: instrument cell | printing cell
    {0, 2280, 4680, 2280, LineColour::Text},   // Line6: below the record band
    {0, 3480, 4680, 3480, LineColour::Text},   // Line2(0): below the measurement band
    {0, 4680, 4680, 4680, LineColour::Text},   // Line2(1): below the dose-setting band
    {600, 0, 5280, 0, LineColour::Shadow},     // Line1(0)
    {1200, 0, 5880, 0, LineColour::Highlight}, // Line1(1)
};

} // namespace

ClientArea::ClientArea(QWidget *parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
}

void ClientArea::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    for (const DecorationLine &line : kLines) {
        QColor colour = palette().color(QPalette::WindowText);
        if (line.colour == LineColour::Shadow)
            colour = palette().color(QPalette::Dark);
        else if (line.colour == LineColour::Highlight)
            colour = palette().color(QPalette::Light);
        painter.setPen(QPen(colour, 0)); // cosmetic: one pixel at any scale
        painter.drawLine(twipsToPixels(line.x1), twipsToPixels(line.y1), twipsToPixels(line.x2),
                         twipsToPixels(line.y2));
    }
}

} // namespace estrivo
