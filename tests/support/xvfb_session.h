#pragma once

#include <QApplication>
#include <QByteArray>
#include <QString>
#include <QTest>

#include <sys/types.h>

#include <cstdio>

// A private X server with a window manager, for tests that need real window frames. It has to
// run before the application object exists, since the application connects to it as it starts.
class XvfbSession
{
public:
    XvfbSession() = default;
    XvfbSession(const XvfbSession &) = delete;
    XvfbSession &operator=(const XvfbSession &) = delete;
    ~XvfbSession();

    // Starts Xvfb on a display it picks itself, points DISPLAY and Qt at it and starts openbox
    // there; returns once openbox manages the screen, or false with the reason. The server and
    // the window manager end with this object, or with the process however it ends.
    bool start(QString *error);
    QByteArray display() const { return m_display; }

private:
    pid_t m_server = -1;
    pid_t m_windowManager = -1;
    QByteArray m_display;
};

// The main() of a Qt Test program that needs real window frames: the X server first, then the
// application, then the test. Without a server the test fails, saying why.
template<typename TestObject> int execWithXvfb(int argc, char **argv)
{
    XvfbSession session;
    QString error;
    if (!session.start(&error)) {
        std::fprintf(stderr, "FAIL: no X server for this test: %s\n", qPrintable(error));
        return 1;
    }
    QApplication app(argc, argv);
    TestObject test;
    return QTest::qExec(&test, argc, argv);
}
