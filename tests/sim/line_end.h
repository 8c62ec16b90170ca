#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace estrivo::test {

// The program's end of a simulated line: a plain descriptor on the pty slave that collects
// everything the board sends, so a test sees the bytes exactly as they came.
class LineEnd : public QObject
{
    Q_OBJECT

public:
    explicit LineEnd(QObject *parent = nullptr);
    ~LineEnd() override;

    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    bool write(const QByteArray &bytes);

    QByteArray received() const { return m_received; }
    bool hungUp() const { return m_hungUp; } // the far end closed the line

signals:
    void dataReceived();
    void lineHungUp();

private:
    void onReadable();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_received;
    bool m_hungUp = false;
};

// Descriptors this process holds, to show that nothing is left open behind.
int openDescriptorCount();

} // namespace estrivo::test
