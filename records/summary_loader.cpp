#include "summary_loader.h"

#include "sheet_cursor.h"

#include <QHash>
#include <QMetaObject>

#include <functional>

namespace estrivo {

namespace {

// Sheets read into the history a slice at a time, so requests are answered between slices.
constexpr int kHistorySlice = 2000;

// The loader's half on the worker thread: it owns the connection, opened when first needed.
// On a SQLite journal it also reads, between requests, every sheet's time and numbers into a
// history by stallion once, so a stallion's trend then comes from memory: the history stays in
// use as long as the journal holds as many sheets as were read (sheets are only ever added).
class SummaryWorker : public QObject
{
public:
    // `historyRead` is called on the worker thread once the history is complete.
    explicit SummaryWorker(std::function<void(qint64)> historyRead)
        : m_historyRead(std::move(historyRead))
    {}

    void setLocation(const QString &location)
    {
        m_history.clear();
        m_historyRows = -1;
        m_reading.reset();
        m_journal.reset();
        m_location = location;
        ++m_generation;
        if (!location.isEmpty() && !isPostgresLocation(location))
            readHistorySlice(m_generation); // a server's connection runs one query at a time
    }

    FilterSummary summarize(quint64 request, const SheetFilter &filter)
    {
        FilterSummary summary;
        summary.request = request;
        summary.stallion = filter.stallion;
        if (!ensureOpen()) {
            summary.error = m_journal->lastError().reason;
            m_journal.reset(); // the next request tries again
            return summary;
        }
        if (filter.stallion.isEmpty()) {
            summary.collections = m_journal->sheetCount(filter);
            summary.error = m_journal->lastError().reason;
            return summary;
        }
        QList<TrendSample> samples;
        if (filter.search.isEmpty() && historyIsCurrent()) {
            for (const TrendSample &sample : m_history.value(filter.stallion)) {
                const QDate day = sample.at.date();
                if ((!filter.since.isValid() || day >= filter.since)
                    && (!filter.until.isValid() || day <= filter.until))
                    samples.append(sample);
            }
        } else {
            // One pass over his sheets both counts them and gives the trend.
            SheetCursor cursor(m_journal->sheetQuery(filter, Journal::Scan::ForwardOnly));
            SheetRecord sheet;
            while (cursor.next(sheet))
                samples.append({sheet.savedAt, sheetNumbers(sheet)});
            summary.error = cursor.error();
        }
        summary.collections = samples.size();
        summary.trend = trendSeries(std::move(samples));
        return summary;
    }

private:
    bool ensureOpen()
    {
        if (!m_journal) {
            m_journal = std::make_unique<Journal>(m_location);
            m_journal->open();
        }
        return m_journal->isOpen();
    }

    bool historyIsCurrent()
    {
        if (m_historyRows < 0)
            return false;
        if (m_journal->sheetCount() == m_historyRows)
            return true;
        // Sheets were saved since: read it all again, from the next slice on.
        m_history.clear();
        m_historyRows = -1;
        readHistorySlice(m_generation);
        return false;
    }

    void readHistorySlice(quint64 generation)
    {
        if (generation != m_generation || m_historyRows >= 0)
            return;
        if (!m_reading) {
            if (!ensureOpen())
                return; // a request will say why
            m_reading = std::make_unique<SheetCursor>(
                m_journal->sheetQuery({}, Journal::Scan::ForwardOnly));
            m_readingRows = 0;
            m_building.clear();
            if (!m_reading->isValid()) {
                m_reading.reset();
                return;
            }
        }
        for (int row = 0; row < kHistorySlice; ++row) {
            if (!m_reading->next(m_sheet)) {
                if (m_reading->error().isEmpty()) {
                    m_history = std::move(m_building);
                    m_historyRows = m_readingRows;
                    m_historyRead(m_historyRows);
                }
                m_building.clear();
                m_reading.reset();
                return;
            }
            addToHistory();
        }
        QMetaObject::invokeMethod(
            this, [this, generation] { readHistorySlice(generation); }, Qt::QueuedConnection);
    }

    void addToHistory()
    {
        // Newest first from the journal; each stallion's list is turned round by the trend.
        m_building[m_sheet.stallion].append({m_sheet.savedAt, sheetNumbers(m_sheet)});
        ++m_readingRows;
    }

    std::function<void(qint64)> m_historyRead;
    QString m_location;
    std::unique_ptr<Journal> m_journal;
    quint64 m_generation = 0; // a new location stops the reading of the old one's history
    QHash<QString, QList<TrendSample>> m_history;
    qint64 m_historyRows = -1; // -1: not read yet
    std::unique_ptr<SheetCursor> m_reading;
    QHash<QString, QList<TrendSample>> m_building;
    qint64 m_readingRows = 0;
    SheetRecord m_sheet;
};

} // namespace

SummaryLoader::SummaryLoader(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<FilterSummary>();
    m_worker = new SummaryWorker([this](qint64 sheets) {
        QMetaObject::invokeMethod(
            this, [this, sheets] { emit historyRead(sheets); }, Qt::QueuedConnection);
    });
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
