#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace printtest {

// A private X server (Xvfb) on a display number it picks itself, for tests that need real
// window frames. Create it before the application object and destroy it after.
class XDisplay
{
public:
    // Starts the server and, once it takes connections, points DISPLAY and Qt at it.
    XDisplay();
    ~XDisplay();
    XDisplay(const XDisplay &) = delete;
    XDisplay &operator=(const XDisplay &) = delete;

    bool started() const { return m_problem.isEmpty(); }
    QString problem() const { return m_problem; }
    QByteArray name() const { return m_name; }

private:
    pid_t m_server = -1;
    QByteArray m_name;
    QString m_problem;
};

} // namespace printtest
