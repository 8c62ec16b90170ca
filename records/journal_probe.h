#pragma once

#include "journal.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QThread;

namespace estrivo {

// Opens a journal once on a thread of its own, so a server that does not answer (up to the
// connect time-out) never holds up the window; the result comes back on the caller's thread.
class JournalProbe : public QObject
{
    Q_OBJECT

public:
    explicit JournalProbe(QObject *parent = nullptr);
    // Waits for a probe still under way: its connection must close on its own thread.
    ~JournalProbe() override;

    // Starts a probe of `location`; one still under way is let finish but no longer reported.
    void start(const QString &location);
    bool isRunning() const;

signals:
    // The journal could be read when `readable`; `error` says why not, or why only read-only.
    void finished(const QString &location, bool readable, const estrivo::JournalError &error);

private:
    QList<QPointer<QThread>> m_threads;
    quint64 m_generation = 0;
};

} // namespace estrivo
