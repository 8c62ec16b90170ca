#include "simulated_instrument.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

namespace estrivo {

namespace {

// Only used where the system offers no inotify: how often an unopened line is checked for
// the program opening it. Far below the program's 4 s greeting wait.
constexpr std::chrono::milliseconds kPresencePollInterval{10};

// Between the last byte before a hang-up and the hang-up itself. A hang-up discards what the
// program has not read yet; the pause lets it take the half reading first, as it would on a
// real line where the bytes are already in its port's buffer.
constexpr std::chrono::milliseconds kHangUpSettle{50};

constexpr qsizetype kReadChunkBytes = 256;

QString systemError(const char *what)
{
    const QString reason = QString::fromLocal8Bit(std::strerror(errno));
    return QStringLiteral("%1: %2").arg(QLatin1String(what), reason);
}

void closeDescriptor(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

SimulatedInstrument::SimulatedInstrument(QObject *parent)
    : QObject(parent)
    , m_readNotifier(new QSocketNotifier(QSocketNotifier::Read, this))
    , m_writeNotifier(new QSocketNotifier(QSocketNotifier::Write, this))
    , m_watchNotifier(new QSocketNotifier(QSocketNotifier::Read, this))
    , m_stepTimer(new QTimer(this))
    , m_presenceTimer(new QTimer(this))
{
    // Delays are part of what tests check, so they must not come early.
    m_stepTimer->setSingleShot(true);
    m_stepTimer->setTimerType(Qt::PreciseTimer);
    m_presenceTimer->setInterval(kPresencePollInterval);

    connect(m_readNotifier, &QSocketNotifier::activated, this,
            &SimulatedInstrument::onMasterReadable);
    connect(m_writeNotifier, &QSocketNotifier::activated, this,
            &SimulatedInstrument::onMasterWritable);
    connect(m_watchNotifier, &QSocketNotifier::activated, this,
            &SimulatedInstrument::onWatchEvents);
    connect(m_stepTimer, &QTimer::timeout, this, &SimulatedInstrument::sendStep);
    connect(m_presenceTimer, &QTimer::timeout, this, &SimulatedInstrument::pollPresence);
}

SimulatedInstrument::~SimulatedInstrument()
{
    stop();
}

void SimulatedInstrument::setBehaviour(const Behaviour &behaviour)
{
    m_behaviour = behaviour;
    m_deafLeft = std::max(0, behaviour.deafCommands);
}

bool SimulatedInstrument::start(QString *error)
{
    const auto fail = [&](const QString &message) {
        if (error)
            *error = message;
        stop();
        return false;
    };
    if (isRunning()) {
        if (error)
            *error = QStringLiteral("The simulated instrument is already running.");
        return false;
    }

    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0)
        return fail(systemError("posix_openpt"));
    if (::grantpt(m_master) != 0)
        return fail(systemError("grantpt"));
    if (::unlockpt(m_master) != 0)
        return fail(systemError("unlockpt"));
    char name[128] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0)
        return fail(systemError("ptsname_r"));
    m_devicePath = QString::fromLocal8Bit(name);

    // Raw both ways: the board's carriage returns must reach the program as they are, not as
    // line feeds, even before the program has set up the line itself.
    termios settings{};
    if (::tcgetattr(m_master, &settings) != 0)
        return fail(systemError("tcgetattr"));
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    if (::tcsetattr(m_master, TCSANOW, &settings) != 0)
        return fail(systemError("tcsetattr"));

    // A master only reports a hang-up once its slave has been opened and closed; do that now
    // so "hung up" means "nobody holds the line open" from the start.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0)
        return fail(systemError("open slave"));
    ::close(slave);

    // The program opening the line is seen as an inotify open event on the slave node; every
    // open and close comes in order, so even a close and a reopen within one event loop pass
    // count as a new connection that gets its greeting.
    if (m_wantedDetection == OpenDetection::Notify) {
        m_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_watch >= 0 && ::inotify_add_watch(m_watch, name, IN_OPEN | IN_CLOSE) < 0)
            closeDescriptor(m_watch);
    }

    m_heard.clear();
    m_actedOn.clear();
    m_light = false;
    m_openCount = 0;
    m_programPresent = false;
    m_deafLeft = std::max(0, m_behaviour.deafCommands);

    m_readNotifier->setSocket(m_master);
    m_writeNotifier->setSocket(m_master);
    if (m_watch >= 0) {
        m_watchNotifier->setSocket(m_watch);
        m_watchNotifier->setEnabled(true);
    } else {
        m_presenceTimer->start();
    }
    return true;
}

void SimulatedInstrument::stop()
{
    cancelReply();
    m_presenceTimer->stop();
    m_readNotifier->setSocket(-1);
    m_writeNotifier->setSocket(-1);
    m_watchNotifier->setSocket(-1);
    closeDescriptor(m_watch);
    closeDescriptor(m_master);
    m_devicePath.clear();
    m_programPresent = false;
    m_openCount = 0;
    m_light = false;
}

QString SimulatedInstrument::devicePath() const
{
    return m_devicePath;
}

QByteArray SimulatedInstrument::heard() const
{
    return m_heard;
}

bool SimulatedInstrument::lightOn() const
{
    return m_light;
}

SimulatedInstrument::OpenDetection SimulatedInstrument::openDetection() const
{
    return m_watch >= 0 ? OpenDetection::Notify : OpenDetection::Poll;
}

bool SimulatedInstrument::isListening() const
{
    return isRunning() && m_programPresent && m_steps.empty() && !m_stepInFlight;
}

QByteArray SimulatedInstrument::greetingText(bool lowerCaseOk)
{
    return QByteArray("Estrivo photometer v1\r\n") + (lowerCaseOk ? "ok" : "OK") + '\r';
}

void SimulatedInstrument::onMasterReadable()
{
    // Opens and closes first: a program that reopened the line and sent a command at once
    // must find the board in its new connection, not have the command dropped with the old.
    if (m_watch >= 0) {
        readWatchEvents();
        if (!m_programPresent)
            return;
    }
    char buffer[kReadChunkBytes];
    for (;;) {
        const ssize_t count = ::read(m_master, buffer, sizeof buffer);
        if (count > 0) {
            for (ssize_t i = 0; i < count; ++i) {
                hear(buffer[i]);
                if (!m_programPresent) // a slot stopped us or the line went away
                    return;
            }
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno == EAGAIN)
            return;
        // EIO: the last descriptor of the slave has been closed.
        resyncPresence();
        return;
    }
}

void SimulatedInstrument::onMasterWritable()
{
    flushOutput();
}

void SimulatedInstrument::onWatchEvents()
{
    readWatchEvents();
    // The close event is queued before the master shows the hang-up, so a count above zero
    // with the line hung up means events were lost; the kernel's view wins.
    if (isRunning() && m_programPresent && slaveHungUp()) {
        m_openCount = 0;
        setProgramPresent(false);
    }
}

void SimulatedInstrument::readWatchEvents()
{
    alignas(inotify_event) char buffer[4096];
    while (m_watch >= 0) {
        const ssize_t count = ::read(m_watch, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
        bool overflow = false;
        for (ssize_t offset = 0; offset < count;) {
            inotify_event event;
            std::memcpy(&event, buffer + offset, sizeof event);
            offset += static_cast<ssize_t>(sizeof event + event.len);
            if (event.mask & IN_Q_OVERFLOW)
                overflow = true;
            if (event.mask & IN_OPEN)
                ++m_openCount;
            if (event.mask & IN_CLOSE)
                m_openCount = std::max(0, m_openCount - 1);
            // One event at a time, so a close followed by a reopen is a new connection.
            setProgramPresent(m_openCount > 0);
            if (!isRunning())
                return;
        }
        if (overflow) {
            m_openCount = slaveHungUp() ? 0 : std::max(1, m_openCount);
            setProgramPresent(m_openCount > 0);
        }
    }
}

void SimulatedInstrument::pollPresence()
{
    if (isRunning() && !slaveHungUp()) {
        m_openCount = 1;
        setProgramPresent(true);
    }
}

void SimulatedInstrument::resyncPresence()
{
    if (m_watch >= 0)
        readWatchEvents();
    if (!isRunning())
        return;
    const bool hungUp = slaveHungUp();
    if (hungUp && m_programPresent) {
        m_openCount = 0;
        setProgramPresent(false);
    } else if (!hungUp && !m_programPresent) {
        m_openCount = std::max(1, m_openCount);
        setProgramPresent(true);
    }
}

bool SimulatedInstrument::slaveHungUp() const
{
    pollfd entry{m_master, POLLIN, 0};
    if (::poll(&entry, 1, 0) < 0)
        return false;
    return (entry.revents & POLLHUP) != 0;
}

void SimulatedInstrument::setProgramPresent(bool present)
{
    if (present == m_programPresent)
        return;
    m_programPresent = present;
    if (present) {
        m_presenceTimer->stop();
        m_readNotifier->setEnabled(true);
        if (m_behaviour.greet && !m_behaviour.silent)
            queueReply(greetingText(m_behaviour.lowerCaseOk), m_behaviour.replyDelay);
        emit programConnected();
        return;
    }
    // A hung-up master reads as always ready; listening now would spin.
    m_readNotifier->setEnabled(false);
    cancelReply();
    // Whatever is still queued towards the slave would greet the next program as a stale
    // answer; the board's output dies with the connection.
    ::tcflush(m_master, TCOFLUSH);
    // Unread input belongs to the program that left, unless another has opened the line
    // already; its bytes cannot be told apart from those, so they are kept for it.
    if (slaveHungUp()) {
        drainInput();
        ::tcflush(m_master, TCIFLUSH);
    }
    if (m_watch < 0)
        m_presenceTimer->start();
    emit programDisconnected();
}

void SimulatedInstrument::hear(char byte)
{
    m_heard.append(byte);
    if (!isListening() || m_behaviour.silent)
        return;
    if (byte != 'O' && byte != 'F' && byte != '*')
        return;
    if (m_deafLeft > 0) {
        --m_deafLeft;
        return;
    }
    act(byte);
}

void SimulatedInstrument::act(char command)
{
    const QByteArray acknowledgement = okText() + '\r';
    switch (command) {
    case 'O':
        m_light = true;
        queueReply(acknowledgement, m_behaviour.replyDelay);
        break;
    case 'F':
        m_light = false;
        queueReply(acknowledgement, m_behaviour.replyDelay);
        break;
    case '*': {
        queueReply(acknowledgement, m_behaviour.replyDelay);
        QByteArray reading = '\r' + m_behaviour.concentration + '\r';
        if (!m_behaviour.noDone)
            reading += "Done";
        queueReply(reading, m_behaviour.measureTime, m_behaviour.hangUpMidReply);
        break;
    }
    default:
        return;
    }
    m_actedOn.append(command);
    emit commandHeard(command);
}

QByteArray SimulatedInstrument::okText() const
{
    return m_behaviour.lowerCaseOk ? QByteArrayLiteral("ok") : QByteArrayLiteral("OK");
}

void SimulatedInstrument::queueReply(QByteArray bytes, std::chrono::milliseconds wait,
                                     bool hangUpMidway)
{
    if (m_behaviour.garbage)
        bytes.prepend(m_behaviour.noise);
    if (hangUpMidway)
        bytes.truncate(bytes.size() / 2);

    const qsizetype chunk = m_behaviour.chunkSize > 0 ? m_behaviour.chunkSize : bytes.size();
    qsizetype offset = 0;
    do {
        Step step;
        step.wait = offset == 0 ? wait : m_behaviour.chunkGap;
        step.bytes = bytes.mid(offset, chunk);
        m_steps.push_back(step);
        offset += chunk;
    } while (offset < bytes.size());
    if (hangUpMidway)
        m_steps.push_back({kHangUpSettle, {}, true});
    scheduleNextStep();
}

void SimulatedInstrument::scheduleNextStep()
{
    if (m_stepInFlight || m_stepTimer->isActive() || m_steps.empty())
        return;
    m_stepTimer->start(m_steps.front().wait);
}

void SimulatedInstrument::sendStep()
{
    if (m_steps.empty() || !isRunning())
        return;
    if (m_steps.front().hangUp) {
        stop();
        emit hungUp();
        return;
    }
    m_sending = std::move(m_steps.front().bytes);
    m_steps.pop_front();
    m_stepInFlight = true;
    m_output = m_sending;
    flushOutput();
}

void SimulatedInstrument::flushOutput()
{
    while (!m_output.isEmpty()) {
        const ssize_t count
            = ::write(m_master, m_output.constData(), static_cast<size_t>(m_output.size()));
        if (count > 0) {
            m_output.remove(0, count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno == EAGAIN) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        // The line refused the bytes: either the program has gone (the resync ends the
        // reply) or they are lost on the line, as they would be on a real cable.
        resyncPresence();
        if (!m_stepInFlight)
            return;
        m_output.clear();
    }
    m_writeNotifier->setEnabled(false);
    if (!m_stepInFlight)
        return;
    m_stepInFlight = false;
    const QByteArray sent = std::exchange(m_sending, {});
    emit replySent(sent);
    if (isRunning())
        scheduleNextStep();
}

void SimulatedInstrument::cancelReply()
{
    m_stepTimer->stop();
    m_steps.clear();
    m_stepInFlight = false;
    m_sending.clear();
    m_output.clear();
    if (m_writeNotifier->isValid())
        m_writeNotifier->setEnabled(false);
}

void SimulatedInstrument::drainInput()
{
    char buffer[kReadChunkBytes];
    for (;;) {
        const ssize_t count = ::read(m_master, buffer, sizeof buffer);
        if (count > 0)
            m_heard.append(buffer, count);
        else if (count < 0 && errno == EINTR)
            continue;
        else
            return;
    }
}

} // namespace estrivo
