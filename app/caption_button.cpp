#include "caption_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace estrivo {

namespace {

constexpr int kCaptionMarginPx = 2;

} // namespace

CaptionButton::CaptionButton(const QString &caption, QWidget *parent)
    : QPushButton(caption, parent)
{}

void CaptionButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const QRect area = rect().adjusted(kCaptionMarginPx, 0, -kCaptionMarginPx, 0);
    const int flags
        = Qt::AlignCenter | Qt::TextShowMnemonic
          | (fontMetrics().horizontalAdvance(caption) > area.width() ? Qt::TextWordWrap
                                                                     : Qt::TextSingleLine);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                   QPalette::ButtonText));
    painter.drawText(area, flags, caption);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace estrivo
