#include "x_display.h"

#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>

namespace printtest {

namespace {

constexpr int kStartTimeoutMs = 15000;

} // namespace

XDisplay::XDisplay()
{
    int fds[2];
    if (pipe(fds) != 0) {
        m_problem = QStringLiteral("no pipe for Xvfb");
        return;
    }
    m_server = fork();
    if (m_server == 0) {
        // The server goes when this test goes, however it ends.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
               "-nolisten", "tcp", "-noreset", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (m_server < 0) {
        close(fds[0]);
        m_problem = QStringLiteral("cannot fork for Xvfb");
        return;
    }

    // Xvfb writes the display number it chose once it takes connections. There is no
    // application and no event loop yet, so reading the pipe blocks nothing else.
    std::string number;
    pollfd readable{fds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && poll(&readable, 1, kStartTimeoutMs) > 0) {
        char buffer[16];
        const ssize_t count = read(fds[0], buffer, sizeof buffer);
        if (count <= 0)
            break;
        number.append(buffer, static_cast<size_t>(count));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        m_problem = QStringLiteral("Xvfb did not start (is it installed?)");
        return;
    }
    number.pop_back();
    m_name = ":" + QByteArray::fromStdString(number);
    qputenv("DISPLAY", m_name);
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("WAYLAND_DISPLAY");
}

XDisplay::~XDisplay()
{
    if (m_server <= 0)
        return;
    kill(m_server, SIGTERM);
    int status = 0;
    waitpid(m_server, &status, 0);
}

} // namespace printtest
