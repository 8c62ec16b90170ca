#include "journal_service.h"

#include <QDebug>
#include <QThread>

namespace estrivo {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

// The service's half on its own thread: the journal's connection, the last ids a save needs,
// and the timers that look for other programs' saves and for the journal coming back.
class JournalService::Worker : public QObject
{
    Q_OBJECT

public:
    explicit Worker(QString location)
        : m_location(std::move(location))
        , m_changeCheck(new QTimer(this))
        , m_retry(new QTimer(this))
    {
        m_retry->setSingleShot(true);
        m_retry->setInterval(kRetry);
        connect(m_changeCheck, &QTimer::timeout, this, &Worker::checkForChanges);
        connect(m_retry, &QTimer::timeout, this, &Worker::retry);
    }

    // Made here, on the worker thread, as the connection must stay on the thread that uses it.
    Journal &journal()
    {
        if (!m_journal) {
            m_journal = std::make_unique<Journal>(m_location);
            if (m_watching)
                m_journal->watchChanges([this] { emit changed(); });
        }
        return *m_journal;
    }

    void perform(quint64 serial, const std::function<void(Journal &)> &job)
    {
        job(journal());
        note(journal().lastError());
        emit done(serial);
    }

    void watch()
    {
        if (m_watching)
            return;
        m_watching = true;
        const bool announced = journal().watchChanges([this] { emit changed(); });
        // Opening now also subscribes to the server's announcements.
        const JournalError opened = journal().isOpen() ? JournalError{} : journal().open();
        // What is there now is the starting point, before note() compares with it: the
        // connection opened to watch is not a change of the journal.
        m_counter = journal().changeCounter();
        m_seenConnections = journal().connectionsOpened();
        note(opened.kind == JournalError::Kind::ReadOnly
                     || opened.kind == JournalError::Kind::SchemaTooNew
                 ? JournalError{}
                 : opened);
        m_changeCheck->start(announced || isPostgresLocation(m_location) ? kServerCheck
                                                                         : kChangeCheck);
    }

    void retry()
    {
        if (!m_down)
            return;
        const JournalError checked = journal().ping();
        note(checked);
    }

    void stop()
    {
        m_changeCheck->stop();
        m_retry->stop();
        m_journal.reset();
    }

    std::optional<qint64> lastReadingId;
    std::optional<qint64> lastSheetId;

signals:
    void done(quint64 serial);
    void changed();
    void availability(const estrivo::JournalError &error);

private:
    // A journal that cannot be reached or read is down until it answers again; coming back,
    // it may have been saved to meanwhile.
    void note(const JournalError &error)
    {
        using Kind = JournalError::Kind;
        const bool down = error.kind == Kind::CannotOpen || error.kind == Kind::Busy;
        if (down != m_down) {
            m_down = down;
            if (m_watching) {
                emit availability(down ? error : JournalError{});
                if (!down)
                    emit changed();
            }
        }
        if (m_down && m_watching)
            m_retry->start();
        if (!m_down && m_watching)
            noteConnection();
    }

    void noteConnection()
    {
        // A fresh connection heard nothing the old one missed.
        const quint64 connections = journal().connectionsOpened();
        if (connections != m_seenConnections) {
            m_seenConnections = connections;
            m_counter = journal().changeCounter();
            emit changed();
        }
    }

    void checkForChanges()
    {
        if (m_down)
            return; // the retry looks after it
        if (isPostgresLocation(m_location)) {
            // Announcements arrive on their own; this only finds a connection the server
            // dropped (a restart), whose announcements would otherwise never come.
            note(journal().ping());
            return;
        }
        const qint64 counter = journal().changeCounter();
        if (counter < 0) {
            note(journal().ping());
            return;
        }
        if (counter != m_counter) {
            m_counter = counter;
            emit changed();
        }
    }

    QString m_location;
    std::unique_ptr<Journal> m_journal;
    QTimer *m_changeCheck;
    QTimer *m_retry;
    bool m_watching = false;
    bool m_down = false;
    qint64 m_counter = -1;
    quint64 m_seenConnections = 0;
};

JournalService::JournalService(QString location, QObject *parent)
    : QObject(parent)
    , m_location(std::move(location))
    , m_thread(new QThread)
    , m_worker(new Worker(m_location))
{
    qRegisterMetaType<JournalError>();
    m_clock.start();
    m_worker->moveToThread(m_thread);
    connect(m_worker, &Worker::done, this, &JournalService::requestDone);
    connect(m_worker, &Worker::changed, this, &JournalService::changed);
    connect(m_worker, &Worker::availability, this, &JournalService::availabilityChanged);
    m_waitCheck.setInterval(250ms);
    connect(&m_waitCheck, &QTimer::timeout, this, &JournalService::checkWaiting);
    m_thread->setObjectName(u"estrivo-journal"_s);
    m_thread->start();
}

JournalService::~JournalService()
{
    m_worker->disconnect(this);
    // Only reads left while the program goes on: the thread ends on its own and takes its
    // worker with it, so a read that hangs on a frozen server holds up nothing here.
    const bool detach = m_pendingSaves == 0 && QThread::currentThread()->loopLevel() > 0;
    if (detach) {
        connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
        connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    }
    Worker *worker = m_worker;
    // Queued behind every request, so no save is dropped.
    QMetaObject::invokeMethod(
        worker,
        [worker] {
            worker->stop();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    if (detach)
        return;
    if (m_pendingSaves > 0) {
        m_thread->wait();
    } else if (!m_thread->wait(QDeadlineTimer(kReadGrace))) {
        // The program is ending and a read hangs on a server that does not answer: the
        // thread and its connection end with the process.
        qWarning("The journal at %s did not answer; its connection is left behind.",
                 qPrintable(displayLocation(m_location)));
        return;
    }
    delete m_worker;
    delete m_thread;
}

quint64 JournalService::post(std::function<void(Journal &journal)> job)
{
    const quint64 serial = ++m_lastSerial;
    m_started.insert(serial, m_clock.elapsed());
    if (!m_waitCheck.isActive())
        m_waitCheck.start();
    Worker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, serial, job = std::move(job)] { worker->perform(serial, job); },
        Qt::QueuedConnection);
    return serial;
}

void JournalService::requestDone(quint64 serial)
{
    m_started.remove(serial);
    checkWaiting();
}

void JournalService::checkWaiting()
{
    qint64 oldest = -1;
    for (const qint64 started : std::as_const(m_started))
        oldest = oldest < 0 ? started : std::min(oldest, started);
    if (oldest < 0) {
        m_waitCheck.stop();
        if (m_reportedWaiting) {
            m_reportedWaiting = false;
            emit waiting(0ms);
        }
        return;
    }
    const std::chrono::milliseconds waited(m_clock.elapsed() - oldest);
    if (waited >= kPatience) {
        m_reportedWaiting = true;
        emit waiting(waited);
    }
}

QFuture<JournalReply<QList<StallionCount>>> JournalService::stallions()
{
    return run<JournalReply<QList<StallionCount>>>([](Journal &journal) {
        QList<StallionCount> found = journal.stallions();
        return JournalReply<QList<StallionCount>>{std::move(found), journal.lastError()};
    });
}

QFuture<JournalReply<QList<SheetRecord>>> JournalService::sheets(const SheetFilter &filter,
                                                                 const SheetPage &page,
                                                                 SheetDetail detail)
{
    return run<JournalReply<QList<SheetRecord>>>([filter, page, detail](Journal &journal) {
        QList<SheetRecord> found = journal.sheets(filter, page, detail);
        return JournalReply<QList<SheetRecord>>{std::move(found), journal.lastError()};
    });
}

QFuture<JournalReply<SheetRecord>> JournalService::sheet(qint64 id)
{
    return run<JournalReply<SheetRecord>>([id](Journal &journal) {
        std::optional<SheetRecord> found = journal.sheet(id);
        return JournalReply<SheetRecord>{found.value_or(SheetRecord{}), journal.lastError()};
    });
}

QFuture<JournalReply<qint64>> JournalService::sheetCount(const SheetFilter &filter)
{
    return run<JournalReply<qint64>>([filter](Journal &journal) {
        const qint64 count = journal.sheetCount(filter);
        return JournalReply<qint64>{count, journal.lastError()};
    });
}

QFuture<JournalReply<bool>> JournalService::probe()
{
    return run<JournalReply<bool>>([](Journal &journal) {
        const JournalError opened = journal.open();
        return JournalReply<bool>{journal.isOpen(), opened};
    });
}

QFuture<void> JournalService::whenIdle()
{
    auto promise = std::make_shared<QPromise<void>>();
    promise->start();
    QFuture<void> future = promise->future();
    post([promise](Journal &) { promise->finish(); });
    return future;
}

void JournalService::watchChanges()
{
    Worker *worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker] { worker->watch(); }, Qt::QueuedConnection);
}

void JournalService::retryNow()
{
    Worker *worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker] { worker->retry(); }, Qt::QueuedConnection);
}

void JournalService::queueSave(std::function<SaveOutcome(Worker &worker)> save)
{
    ++m_pendingSaves;
    auto outcome = std::make_shared<SaveOutcome>();
    Worker *worker = m_worker;
    const quint64 serial = post([worker, outcome, save = std::move(save)](Journal &) {
        *outcome = save(*worker);
    });
    // The outcome is read once the request is done, back on this thread.
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(m_worker, &Worker::done, this,
                          [this, serial, outcome, connection](quint64 finished) {
                              if (finished != serial)
                                  return;
                              disconnect(*connection);
                              saveDone(*outcome);
                          });
}

void JournalService::saveDone(const SaveOutcome &outcome)
{
    // Counted as done before its signal, so a slot sees pendingSaves() without it.
    --m_pendingSaves;
    if (!outcome.error.ok())
        emit saveFailed(outcome.error, outcome.subject);
    else if (outcome.announce && outcome.subject == Subject::Sheet)
        emit sheetSaved(outcome.id);
    else if (outcome.announce && outcome.subject == Subject::Reading)
        emit readingSaved(outcome.id);
}

void JournalService::queueSheet(SheetRecord sheet, PictureEncoder picture, bool linkLastReading)
{
    queueSave([linkLastReading, sheet = std::move(sheet),
               picture = std::move(picture)](Worker &worker) mutable {
        if (linkLastReading)
            sheet.readingId = worker.lastReadingId;
        if (picture)
            sheet.picturePng = picture();
        const JournalError error = worker.journal().saveSheet(sheet);
        worker.lastSheetId = error.ok() ? std::optional<qint64>(sheet.id) : std::nullopt;
        return SaveOutcome{error, sheet.id, Subject::Sheet, true};
    });
}

void JournalService::saveSheet(SheetRecord sheet, PictureEncoder picture)
{
    queueSheet(std::move(sheet), std::move(picture), false);
}

void JournalService::saveSheetLinkedToLastReading(SheetRecord sheet, PictureEncoder picture)
{
    queueSheet(std::move(sheet), std::move(picture), true);
}

void JournalService::recordPrintOutcome(bool printed, QString printer)
{
    queueSave([printed, printer = std::move(printer)](Worker &worker) {
        if (!worker.lastSheetId)
            return SaveOutcome{{}, 0, Subject::PrintOutcome, false};
        const JournalError error
            = worker.journal().setPrintOutcome(*worker.lastSheetId, printed, printer);
        return SaveOutcome{error, *worker.lastSheetId, Subject::PrintOutcome, false};
    });
}

void JournalService::saveReading(ReadingRecord reading)
{
    queueSave([reading = std::move(reading)](Worker &worker) mutable {
        const JournalError error = worker.journal().saveReading(reading);
        worker.lastReadingId = error.ok() ? std::optional<qint64>(reading.id) : std::nullopt;
        return SaveOutcome{error, reading.id, Subject::Reading, true};
    });
}

} // namespace estrivo

#include "journal_service.moc"
