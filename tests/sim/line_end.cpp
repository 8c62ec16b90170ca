#include "line_end.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace estrivo::test {

LineEnd::LineEnd(QObject *parent)
    : QObject(parent)
    , m_notifier(new QSocketNotifier(QSocketNotifier::Read, this))
{
    connect(m_notifier, &QSocketNotifier::activated, this, &LineEnd::onReadable);
}

LineEnd::~LineEnd()
{
    close();
}

bool LineEnd::open(const QString &path)
{
    close();
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    m_received.clear();
    m_hungUp = false;
    m_notifier->setSocket(m_fd);
    m_notifier->setEnabled(true);
    return true;
}

void LineEnd::close()
{
    m_notifier->setSocket(-1);
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool LineEnd::write(const QByteArray &bytes)
{
    if (m_fd < 0)
        return false;
    const ssize_t written = ::write(m_fd, bytes.constData(), static_cast<size_t>(bytes.size()));
    return written == bytes.size();
}

void LineEnd::onReadable()
{
    char buffer[256];
    for (;;) {
        const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
        if (count > 0) {
            m_received.append(buffer, count);
            emit dataReceived();
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno == EAGAIN)
            return;
        // End of file or EIO: the master is gone. A hung-up slave stays readable for ever.
        m_notifier->setEnabled(false);
        m_hungUp = true;
        emit lineHungUp();
        return;
    }
}

int openDescriptorCount()
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

} // namespace estrivo::test
