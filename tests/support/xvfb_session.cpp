#include "xvfb_session.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kStartTimeout{15000};

// Runs `args` with its standard output on `outputFd` (unless -1), as a child that gets SIGTERM
// when this process ends, so that a crashed or killed test leaves no server behind.
pid_t spawn(std::vector<std::string> args, int outputFd = -1)
{
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) // the test ended before the line above took effect
            _exit(1);
        if (outputFd >= 0)
            dup2(outputFd, STDOUT_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

void stop(pid_t &pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

// Runs `args` and reads its output until `done` holds for it, the program closes its output or
// the start-up time runs out; returns whether `done` held. There is no application yet, so
// waiting here holds up nothing else.
bool awaitOutput(std::vector<std::string> args,
                 const std::function<bool(const std::string &)> &done, std::string *output,
                 pid_t *child)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    *child = spawn(std::move(args), fds[1]);
    close(fds[1]);
    const Clock::time_point deadline = Clock::now() + kStartTimeout;
    pollfd readable{fds[0], POLLIN, 0};
    while (!done(*output)) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        char buffer[512];
        if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0)
            break;
        const ssize_t count = read(fds[0], buffer, sizeof buffer);
        if (count <= 0)
            break;
        output->append(buffer, static_cast<size_t>(count));
    }
    close(fds[0]);
    return done(*output);
}

} // namespace

XvfbSession::~XvfbSession()
{
    stop(m_windowManager);
    stop(m_server);
}

bool XvfbSession::start(QString *error)
{
    // Xvfb picks a free display and writes its number once it takes connections.
    std::string number;
    const auto lineEnded = [](const std::string &text) {
        return text.find('\n') != text.npos;
    };
    const std::vector<std::string> server{"Xvfb",         "-displayfd", "1",   "-screen", "0",
                                          "1280x1024x24", "-nolisten",  "tcp", "-noreset"};
    if (!awaitOutput(server, lineEnded, &number, &m_server)) {
        *error = QStringLiteral("Xvfb did not start (is it installed?)");
        return false;
    }
    number.erase(number.find('\n'));
    m_display = ":" + QByteArray::fromStdString(number);
    qputenv("DISPLAY", m_display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("WAYLAND_DISPLAY");

    // Windows shown before the window manager takes over are framed without Qt hearing of it.
    // openbox announces itself on the root window once it manages the screen, and xprop reports
    // the root window's properties as they change.
    pid_t watcher = -1;
    std::string properties;
    const auto announced = [](const std::string &text) {
        return text.find("_NET_SUPPORTING_WM_CHECK(WINDOW): window id") != text.npos;
    };
    m_windowManager = spawn({"openbox", "--sm-disable"});
    const bool managed = awaitOutput({"xprop", "-root", "-spy"}, announced, &properties, &watcher);
    stop(watcher);
    if (!managed) {
        *error = QStringLiteral("openbox did not take over the screen (are openbox and xprop "
                                "installed?)");
        return false;
    }
    return true;
}
