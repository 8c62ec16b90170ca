#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

// The program's end of a simulated line: a plain descriptor on the pty slave that collects
// everything the board sends, so a test sees the bytes exactly as they came.
class LineEnd
{
public:
    ~LineEnd() { close(); }

    bool open(const QString &path)
    {
        close();
        m_received.clear();
        m_hungUp = false;
        const QByteArray name = QFile::encodeName(path);
        m_fd = ::open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0)
            return false;
        m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { take(); });
        return true;
    }
    void close()
    {
        m_notifier.reset();
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    bool write(const QByteArray &bytes)
    {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    QByteArray received() const { return m_received; }
    bool hungUp() const { return m_hungUp; } // the far end closed the line

private:
    void take()
    {
        char buffer[256];
        for (;;) {
            const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
            if (count > 0)
                m_received.append(buffer, count);
            else if (count < 0 && errno == EAGAIN)
                return;
            else if (count == 0 || errno != EINTR)
                break;
        }
        // End of file or EIO: the far end has gone, and a hung-up slave stays readable for ever.
        m_notifier->setEnabled(false);
        m_hungUp = true;
    }

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_received;
    bool m_hungUp = false;
};

// Descriptors this process holds, to show that nothing is left open behind.
inline qsizetype openDescriptorCount()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size();
}
