#pragma once

#include "journal.h"
#include "trend.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>

namespace estrivo {

// What the window shows beside the rows of a filter: how many there are and, for one
// stallion, his trend.
struct FilterSummary
{
    quint64 request = 0;
    qint64 collections = 0;
    QString stallion; // empty: no trend was asked for
    TrendSeries trend;
    QString error; // why the journal could not be read; empty on success
};

// Works out filter summaries on a thread of its own with its own connection to the journal,
// so that reading a long history, or a slow server, never holds up the window. Only the
// newest request's summary is reported.
class SummaryLoader : public QObject
{
    Q_OBJECT

public:
    explicit SummaryLoader(QObject *parent = nullptr);
    // Waits for a summary under way: the thread's connection closes on that thread.
    ~SummaryLoader() override;

    void setLocation(const QString &location);
    void request(const SheetFilter &filter);

signals:
    void summarized(const estrivo::FilterSummary &summary);
    // Every sheet's time and numbers are in memory now; trends of stallions come from there.
    void historyRead(qint64 sheets);

private:
    void deliver(const estrivo::FilterSummary &summary);

    QThread m_thread;
    QObject *m_worker = nullptr; // lives on m_thread
    quint64 m_lastRequest = 0;
    std::atomic<quint64> m_newest{0}; // read by the worker to skip requests already outdated
};

} // namespace estrivo

Q_DECLARE_METATYPE(estrivo::FilterSummary)
