#include "summary_loader.h"

#include "sheet_cursor.h"

#include <QMetaObject>

namespace estrivo {

namespace {

// The loader's half on the worker thread: it owns the connection, opened when first needed.
class SummaryWorker : public QObject
{
public:
    void setLocation(const QString &location)
    {
        m_journal.reset();
        m_location = location;
    }

    FilterSummary summarize(quint64 request, const SheetFilter &filter)
    {
        FilterSummary summary;
        summary.request = request;
        summary.stallion = filter.stallion;
        if (!m_journal) {
            m_journal = std::make_unique<Journal>(m_location);
            m_journal->open();
        }
        if (!m_journal->isOpen()) {
            summary.error = m_journal->lastError().reason;
            m_journal.reset(); // the next request tries again
            return summary;
        }
        if (filter.stallion.isEmpty()) {
            summary.collections = m_journal->sheetCount(filter);
            summary.error = m_journal->lastError().reason;
            return summary;
        }
        // One pass over his sheets both counts them and gives the trend.
        SheetCursor cursor(m_journal->sheetQuery(filter));
        QList<TrendSample> samples;
        SheetRecord sheet;
        while (cursor.next(sheet))
            samples.append({sheet.savedAt, sheetNumbers(sheet)});
        summary.collections = samples.size();
        summary.trend = trendSeries(std::move(samples));
        summary.error = cursor.error();
        return summary;
    }

private:
    QString m_location;
    std::unique_ptr<Journal> m_journal;
};

} // namespace

SummaryLoader::SummaryLoader(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<FilterSummary>();
    m_worker = new SummaryWorker;
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.setObjectName(QStringLiteral("records summaries"));
    m_thread.start();
}

SummaryLoader::~SummaryLoader()
{
    m_thread.quit();
    m_thread.wait();
}

void SummaryLoader::setLocation(const QString &location)
{
    m_newest = ++m_lastRequest; // whatever is under way belongs to the old journal
    auto *worker = static_cast<SummaryWorker *>(m_worker);
    QMetaObject::invokeMethod(m_worker, [worker, location] { worker->setLocation(location); });
}

void SummaryLoader::request(const SheetFilter &filter)
{
    const quint64 request = ++m_lastRequest;
    m_newest = request;
    auto *worker = static_cast<SummaryWorker *>(m_worker);
    QMetaObject::invokeMethod(m_worker, [this, worker, request, filter] {
        if (request != m_newest)
            return; // the filter changed again before this one's turn came
        const FilterSummary summary = worker->summarize(request, filter);
        // Back on the loader's thread; dropped there if a newer request was made meanwhile.
        QMetaObject::invokeMethod(
            this, [this, summary] { deliver(summary); }, Qt::QueuedConnection);
    });
}

void SummaryLoader::deliver(const FilterSummary &summary)
{
    if (summary.request == m_lastRequest)
        emit summarized(summary);
}

} // namespace estrivo
