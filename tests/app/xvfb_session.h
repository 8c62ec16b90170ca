#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// A private X server with a window manager, for tests that need real window frames.
class XvfbSession
{
public:
    XvfbSession() = default;
    XvfbSession(const XvfbSession &) = delete;
    XvfbSession &operator=(const XvfbSession &) = delete;
    ~XvfbSession();

    // Starts Xvfb on a free display and openbox on it; false with a reason on failure.
    bool start(QString *error);
    QByteArray display() const { return m_display; }

private:
    pid_t m_server = -1;
    pid_t m_windowManager = -1;
    QByteArray m_display;
};
