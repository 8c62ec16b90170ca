#include "snapshot_print.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

namespace estrivo {

namespace {

// Platforms whose screen contents can be read back, window manager frames included. Wayland
// keeps other clients' pixels, and so the frame, from us; offscreen has no frame to show.
bool screenCanBeRead()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform == QLatin1String("windows");
}

QImage opaque(QImage image)
{
    // A window has no transparent parts; an alpha channel would only add a mask to the page.
    if (image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    return image;
}

QImage grabFrame(QWidget *window)
{
    QScreen *screen = window->screen();
    const QRect frame = window->frameGeometry();
    if (!screen || frame.isEmpty() || window->isMinimized())
        return {};
    // Only a frame wholly on one screen can be read back whole.
    const QRect screenArea = screen->geometry();
    if (!screenArea.contains(frame))
        return {};

    // What the screen shows lags behind what the widgets last painted (the Print button that
    // was just released, for one); paint and flush now so the screen is current when read.
    window->repaint();

    const QPoint offset = frame.topLeft() - screenArea.topLeft();
    const QPixmap shot
        = screen->grabWindow(0, offset.x(), offset.y(), frame.width(), frame.height());
    if (shot.isNull())
        return {};
    QImage image = opaque(shot.toImage());
    image.setDevicePixelRatio(static_cast<qreal>(image.width()) / frame.width());

    // Only the frame comes from the screen. Inside it the window paints itself, so a menu
    // that has just closed, or another window lying over the sheet, never reaches the paper.
    QPainter painter(&image);
    painter.drawPixmap(window->geometry().topLeft() - frame.topLeft(), window->grab());
    painter.end();
    return image;
}

} // namespace

QImage snapshotWindow(QWidget *window)
{
    if (!window)
        return {};
    window = window->window();
    if (window->isVisible() && screenCanBeRead()) {
        QImage framed = grabFrame(window);
        if (!framed.isNull())
            return framed;
    }
    // The window painted by itself: the menu bar and the client area, at the screen's density.
    return opaque(window->grab().toImage());
}

QSizeF pictureSizeInTwips(const QWidget *window, const QImage &picture)
{
    const QSizeF logical = picture.deviceIndependentSize();
    const int dpiX = window ? window->logicalDpiX() : 0;
    const int dpiY = window ? window->logicalDpiY() : 0;
    if (dpiX <= 0 || dpiY <= 0)
        return {};
    return {logical.width() * kTwipsPerInch / dpiX, logical.height() * kTwipsPerInch / dpiY};
}

} // namespace estrivo
