#include "xvfb_session.h"

#include <QElapsedTimer>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr int kStartTimeoutMs = 15000;

pid_t spawn(const std::vector<std::string> &args, const posix_spawn_file_actions_t *actions)
{
    std::vector<char *> argv;
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

void stop(pid_t &pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
}

bool windowManagerRunning()
{
    // openbox announces itself on the root window once it manages the screen.
    const int rc = std::system("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null"
                               " | grep -q 'window id'");
    return rc == 0;
}

} // namespace

XvfbSession::~XvfbSession()
{
    stop(m_windowManager);
    stop(m_server);
}

bool XvfbSession::start(QString *error)
{
    int fds[2];
    if (pipe(fds) != 0) {
        *error = QStringLiteral("pipe failed");
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    m_server = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                      "1024x768x24", "-nolisten", "tcp", "-noreset"},
                     &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (m_server < 0) {
        close(fds[0]);
        *error = QStringLiteral("Xvfb could not be started (is it installed?)");
        return false;
    }

    // Xvfb writes the display number it chose once it accepts connections.
    std::string number;
    pollfd readable{fds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && poll(&readable, 1, kStartTimeoutMs) > 0) {
        char buffer[16];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        number.append(buffer, size_t(n));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        *error = QStringLiteral("Xvfb did not report a display");
        return false;
    }
    number.pop_back();
    m_display = ":" + QByteArray::fromStdString(number);
    setenv("DISPLAY", m_display.constData(), 1);

    m_windowManager = spawn({"openbox", "--sm-disable"}, nullptr);
    if (m_windowManager < 0) {
        *error = QStringLiteral("openbox could not be started (is it installed?)");
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    while (!windowManagerRunning()) {
        if (waited.elapsed() > kStartTimeoutMs) {
            *error = QStringLiteral("openbox did not take over the screen");
            return false;
        }
        usleep(50 * 1000); // before the application exists: nothing else to wait on
    }
    return true;
}
