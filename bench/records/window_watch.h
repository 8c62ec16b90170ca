// What the records benchmarks watch in a running window: its table, its paints, the process's
// memory, and an event loop turned until something has happened.
#pragma once

#include "records_window.h"

#include <QAbstractItemView>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace bench {

// Waits, with the event loop turning, until `done` holds or `limit` passes.
template<typename Done>
bool waitFor(Done done, std::chrono::milliseconds limit = std::chrono::seconds(30))
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limit.count())
            return false;
        QEventLoop loop;
        QTimer::singleShot(std::chrono::milliseconds(1), &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// Notes when a view has painted rows of its model.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QAbstractItemView *view)
        : m_view(view)
    {
        view->viewport()->installEventFilter(this);
    }
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_view->model()->rowCount() > 0)
            painted = true;
        return false;
    }

private:
    QAbstractItemView *m_view;
};

inline QTableView *collections(estrivo::RecordsWindow &window)
{
    for (QTableView *table : window.findChildren<QTableView *>()) {
        if (table->accessibleName() == QStringLiteral("Collections"))
            return table;
    }
    return nullptr;
}

// A line of /proc/self/status in KiB ("VmRSS", "VmHWM"); -1 when not there.
inline long statusKiB(const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

inline long residentKiB()
{
    return statusKiB("VmRSS");
}

// Starts the process's peak resident size (VmHWM) over from what is resident now.
inline bool resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

// Median, 90th percentile and maximum of the samples (ms) as counters named after `what`.
inline void reportSamples(benchmark::State &state, const std::string &what,
                          std::vector<double> samples)
{
    if (samples.empty())
        return;
    std::sort(samples.begin(), samples.end());
    state.counters[what + "_median_ms"] = samples[samples.size() / 2];
    state.counters[what + "_p90_ms"] = samples[samples.size() * 9 / 10];
    state.counters[what + "_max_ms"] = samples.back();
}

} // namespace bench
