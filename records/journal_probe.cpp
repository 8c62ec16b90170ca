#include "journal_probe.h"

#include <QThread>

#include <memory>

namespace estrivo {

namespace {

// What the probe's thread found, handed back to the caller's thread.
struct ProbeResult
{
    bool readable = false;
    JournalError error;
};

} // namespace

JournalProbe::JournalProbe(QObject *parent)
    : QObject(parent)
{}

JournalProbe::~JournalProbe()
{
    for (const QPointer<QThread> &thread : std::as_const(m_threads)) {
        if (thread) {
            thread->wait();
            delete thread;
        }
    }
}

void JournalProbe::start(const QString &location)
{
    const quint64 generation = ++m_generation;
    auto result = std::make_shared<ProbeResult>();
    QThread *thread = QThread::create([location, result] {
        Journal journal(location);
        result->error = journal.open();
        result->readable = journal.isOpen();
    });
    m_threads.removeAll(nullptr);
    m_threads.append(thread);
    connect(thread, &QThread::finished, this, [this, thread, generation, location, result] {
        m_threads.removeAll(thread);
        thread->deleteLater();
        if (generation == m_generation)
            emit finished(location, result->readable, result->error);
    });
    thread->start();
}

bool JournalProbe::isRunning() const
{
    return std::any_of(m_threads.cbegin(), m_threads.cend(), [](const QPointer<QThread> &thread) {
        return thread && thread->isRunning();
    });
}

} // namespace estrivo
