#include "pty_instrument.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

PtyInstrument::PtyInstrument(QObject *parent)
    : QObject(parent)
{}

PtyInstrument::~PtyInstrument()
{
    hangUp();
}

bool PtyInstrument::open(QString *error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_path = QString::fromLocal8Bit(::ptsname(m_master));
    m_slaveKeeper = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_slaveKeeper < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyInstrument::readCommands);
    return true;
}

void PtyInstrument::send(const QByteArray &bytes)
{
    if (m_master < 0)
        return;
    // A few bytes into an empty pseudo-terminal never block.
    const ssize_t written = ::write(m_master, bytes.constData(), size_t(bytes.size()));
    Q_ASSERT(written == bytes.size());
    Q_UNUSED(written);
}

void PtyInstrument::hangUp()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_master >= 0)
        ::close(m_master);
    if (m_slaveKeeper >= 0)
        ::close(m_slaveKeeper);
    m_master = -1;
    m_slaveKeeper = -1;
}

void PtyInstrument::readCommands()
{
    char buffer[256];
    const ssize_t count = ::read(m_master, buffer, sizeof buffer);
    if (count <= 0)
        return;
    for (ssize_t i = 0; i < count; ++i) {
        const char command = buffer[i];
        heard += command;
        emit commandHeard(command);
        if (onCommand) {
            onCommand(command);
        } else if (!answers) {
            continue;
        } else if (command == 'O' || command == 'F') {
            send("OK\r");
        } else if (command == '*') {
            send("OK\r");
            send("\r" + concentration + "\rDone");
        }
    }
}
