#include "journal_writer.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

#include <memory>

namespace estrivo {

using namespace Qt::StringLiterals;

// What lives on the worker thread: the journal's connection and the last reading's id.
struct JournalWriter::Worker : QObject
{
    QString location;
    std::unique_ptr<Journal> journal;
    std::optional<qint64> lastReadingId;
    std::optional<qint64> lastSheetId;

    // Made here, on the worker thread, as the connection must stay on the thread that uses it.
    Journal &theJournal()
    {
        if (!journal)
            journal = std::make_unique<Journal>(location);
        return *journal;
    }
};

JournalWriter::JournalWriter(QString location, QObject *parent)
    : QObject(parent)
    , m_location(std::move(location))
{
    qRegisterMetaType<JournalError>();
    m_worker = new Worker;
    m_worker->location = m_location;
    m_worker->moveToThread(&m_thread);
    m_thread.setObjectName(u"estrivo-journal"_s);
    m_thread.start();
}

JournalWriter::~JournalWriter()
{
    // Queued behind every save asked for, so none of them is dropped.
    Worker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker,
        [worker] {
            worker->journal.reset();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    m_thread.wait();
    delete m_worker;
}

QString JournalWriter::location() const
{
    return m_location;
}

template<typename Job> void JournalWriter::enqueue(Job job)
{
    {
        const QMutexLocker lock(&m_mutex);
        ++m_pending;
    }
    Worker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker,
        [this, worker, job = std::move(job)]() mutable {
            const Outcome outcome = job(*worker);
            // Counted as done before its signal can arrive, so a slot sees pendingSaves()
            // without it.
            finishOne();
            // Invoked on the writer, so the signals are emitted on the writer's thread.
            if (!outcome.error.ok())
                QMetaObject::invokeMethod(
                    this, [this, outcome] { emit saveFailed(outcome.error, outcome.subject); });
            else if (outcome.saved)
                QMetaObject::invokeMethod(
                    this, [this, outcome] { emit(this->*outcome.saved)(outcome.id); });
        },
        Qt::QueuedConnection);
}

void JournalWriter::finishOne()
{
    const QMutexLocker lock(&m_mutex);
    if (--m_pending == 0)
        m_idle.wakeAll();
}

void JournalWriter::queueSheet(SheetRecord sheet, PictureEncoder picture, bool linkLastReading)
{
    enqueue([linkLastReading, sheet = std::move(sheet),
             picture = std::move(picture)](Worker &worker) mutable {
        if (linkLastReading)
            sheet.readingId = worker.lastReadingId;
        if (picture)
            sheet.picturePng = picture();
        const JournalError error = worker.theJournal().saveSheet(sheet);
        worker.lastSheetId = error.ok() ? std::optional<qint64>(sheet.id) : std::nullopt;
        return Outcome{error, sheet.id, &JournalWriter::sheetSaved, Subject::Sheet};
    });
}

void JournalWriter::saveSheet(SheetRecord sheet, PictureEncoder picture)
{
    queueSheet(std::move(sheet), std::move(picture), false);
}

void JournalWriter::saveSheetLinkedToLastReading(SheetRecord sheet, PictureEncoder picture)
{
    queueSheet(std::move(sheet), std::move(picture), true);
}

void JournalWriter::recordPrintOutcome(bool printed, QString printer)
{
    enqueue([printed, printer = std::move(printer)](Worker &worker) {
        if (!worker.lastSheetId)
            return Outcome{{}, 0, nullptr, Subject::PrintOutcome};
        const JournalError error
            = worker.theJournal().setPrintOutcome(*worker.lastSheetId, printed, printer);
        return Outcome{error, *worker.lastSheetId, nullptr, Subject::PrintOutcome};
    });
}

void JournalWriter::saveReading(ReadingRecord reading)
{
    enqueue([reading = std::move(reading)](Worker &worker) mutable {
        const JournalError error = worker.theJournal().saveReading(reading);
        worker.lastReadingId = error.ok() ? std::optional<qint64>(reading.id) : std::nullopt;
        return Outcome{error, reading.id, &JournalWriter::readingSaved, Subject::Reading};
    });
}

int JournalWriter::pendingSaves() const
{
    const QMutexLocker lock(&m_mutex);
    return m_pending;
}

bool JournalWriter::waitForIdle(std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    QMutexLocker lock(&m_mutex);
    while (m_pending > 0) {
        if (!m_idle.wait(&m_mutex, deadline))
            return m_pending == 0;
    }
    return true;
}

} // namespace estrivo
