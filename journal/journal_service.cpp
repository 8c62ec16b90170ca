#include "journal_service.h"
#include "journal_text.h"

#include <QDebug>
#include <QThread>
#include <QUuid>

#include <atomic>

namespace estrivo {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

std::atomic<bool> s_threadsLeftBehind = false;

// What keeps the delivery of the outbox going when the journal is not there: a journal that
// cannot be reached, locked, or not writable by this program.
bool stopsDelivery(const JournalError &error)
{
    using Kind = JournalError::Kind;
    return error.kind == Kind::CannotOpen || error.kind == Kind::Busy
           || error.kind == Kind::ReadOnly || error.kind == Kind::SchemaTooNew;
}

QString entryKey(Outbox::Kind kind, const QString &uid)
{
    return QString::number(int(kind)) + u':' + uid;
}

} // namespace

// The service's half on its own thread: the journal's connection, the last ids a save needs,
// and the timers that look for other programs' saves and for the journal coming back.
class JournalService::Worker : public QObject
{
    Q_OBJECT

public:
    Worker(QString location, JournalCreation creation)
        : m_location(std::move(location))
        , m_creation(creation)
        , m_changeCheck(new QTimer(this))
        , m_retry(new QTimer(this))
        , m_deliveryRetry(new QTimer(this))
    {
        m_deliveryRetry->setSingleShot(true);
        m_deliveryRetry->setInterval(kDeliveryRetry);
        connect(m_deliveryRetry, &QTimer::timeout, this, &Worker::deliver);
        m_retry->setSingleShot(true);
        m_retry->setInterval(kRetry);
        connect(m_changeCheck, &QTimer::timeout, this, &Worker::checkForChanges);
        connect(m_retry, &QTimer::timeout, this, &Worker::retry);
    }

    // Made here, on the worker thread, as the connection must stay on the thread that uses it.
    Journal &journal()
    {
        if (!m_journal) {
            m_journal = std::make_unique<Journal>(m_location, m_creation);
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

    void setCreation(JournalCreation creation)
    {
        m_creation = creation;
        journal().setCreation(creation);
    }

    void stop()
    {
        m_changeCheck->stop();
        m_retry->stop();
        m_deliveryRetry->stop();
        m_journal.reset();
    }

    // Delivers the outbox, oldest first, until the journal stops taking entries; what it did
    // not take is tried again a little later. Each entry's outcome waits in results for the
    // save that asked for it.
    void deliver()
    {
        if (!m_outbox)
            m_outbox = std::make_unique<Outbox>(m_location);
        for (const QString &entry : m_outbox->pending()) {
            const std::optional<Outbox::Item> item = m_outbox->read(entry);
            if (!item)
                continue;
            Outcome outcome = deliverOne(*item);
            if (outcome.error.ok())
                m_outbox->remove(entry);
            const JournalError error = outcome.error;
            results.insert(outcome.key, std::move(outcome));
            if (stopsDelivery(error)) {
                m_deliveryRetry->start();
                return;
            }
        }
    }

    struct Outcome
    {
        QString key;
        JournalError error;
        qint64 id = 0;
    };
    QHash<QString, Outcome> results; // by entryKey(), until the save that asked takes it

signals:
    void done(quint64 serial);
    void changed();
    void availability(const estrivo::JournalError &error);

private:
    Outcome deliverOne(const Outbox::Item &item)
    {
        if (const auto *kept = std::get_if<SheetRecord>(&item)) {
            SheetRecord sheet = *kept;
            const JournalError error = journal().saveSheet(sheet);
            return {entryKey(Outbox::Kind::Sheet, sheet.uid), error, sheet.id};
        }
        if (const auto *kept = std::get_if<ReadingRecord>(&item)) {
            ReadingRecord reading = *kept;
            const JournalError error = journal().saveReading(reading);
            return {entryKey(Outbox::Kind::Reading, reading.uid), error, reading.id};
        }
        const auto &outcome = std::get<PrintOutcomeRecord>(item);
        return {entryKey(Outbox::Kind::Outcome, outcome.sheetUid),
                journal().setPrintOutcomeOf(outcome.sheetUid, outcome.printed, outcome.printer),
                0};
    }

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
    JournalCreation m_creation;
    std::unique_ptr<Journal> m_journal;
    QTimer *m_changeCheck;
    QTimer *m_retry;
    QTimer *m_deliveryRetry;
    std::unique_ptr<Outbox> m_outbox;
    bool m_watching = false;
    bool m_down = false;
    qint64 m_counter = -1;
    quint64 m_seenConnections = 0;
};

JournalService::JournalService(QString location, JournalCreation creation, QObject *parent)
    : QObject(parent)
    , m_location(std::move(location))
    , m_thread(new QThread)
    , m_worker(new Worker(m_location, creation))
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
    // Saves kept in the outbox are safe there; only those held in memory must be waited for.
    const bool detach = m_unkeptSaves == 0 && QThread::currentThread()->loopLevel() > 0;
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
    if (m_unkeptSaves > 0) {
        m_thread->wait();
    } else if (!m_thread->wait(QDeadlineTimer(kReadGrace))) {
        // The program is ending and the journal does not answer (a frozen server, a lock
        // held elsewhere): what was saved waits in the outbox; the thread and its connection
        // end with the process.
        qWarning("The journal at %s did not answer; its connection is left behind.",
                 qPrintable(displayLocation(m_location)));
        s_threadsLeftBehind = true;
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
    if (const std::shared_ptr<SaveOutcome> save = m_saves.take(serial))
        saveDone(*save);
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

QFuture<JournalReply<QList<SheetRecord>>>
JournalService::sheets(const SheetFilter &filter, const SheetPage &page, SheetDetail detail)
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
    QMetaObject::invokeMethod(
        worker, [worker] { worker->watch(); }, Qt::QueuedConnection);
}

void JournalService::setCreation(JournalCreation creation)
{
    Worker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, creation] { worker->setCreation(creation); }, Qt::QueuedConnection);
}

void JournalService::retryNow()
{
    Worker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker] { worker->retry(); }, Qt::QueuedConnection);
}

bool JournalService::threadsLeftBehind()
{
    return s_threadsLeftBehind;
}

Outbox &JournalService::outbox()
{
    if (!m_outbox)
        m_outbox = std::make_unique<Outbox>(m_location);
    return *m_outbox;
}

int JournalService::keptSheets() const
{
    return Outbox(m_location).count(Outbox::Kind::Sheet);
}

int JournalService::keptReadings() const
{
    return Outbox(m_location).count(Outbox::Kind::Reading);
}

void JournalService::deliverKept()
{
    Worker *worker = m_worker;
    post([worker](Journal &) { worker->deliver(); });
}

void JournalService::noteKept(Subject subject, const JournalError &kept)
{
    if (kept.ok()) {
        m_unkept.remove(subject);
        return;
    }
    ++m_unkeptSaves;
    m_unkept.insert(subject);
    qWarning("%s", qPrintable(kept.reason));
}

void JournalService::queueSave(std::function<SaveOutcome(Worker &worker)> save)
{
    ++m_pendingSaves;
    auto outcome = std::make_shared<SaveOutcome>();
    Worker *worker = m_worker;
    const quint64 serial
        = post([worker, outcome, save = std::move(save)](Journal &) { *outcome = save(*worker); });
    // Read once the request is reported done, back on this thread; noted before the report
    // can arrive, as reports come through this thread's event loop.
    m_saves.insert(serial, outcome);
}

void JournalService::saveDone(const SaveOutcome &outcome)
{
    // Counted as done before its signal, so a slot sees pendingSaves() without it.
    --m_pendingSaves;
    if (outcome.unkept)
        --m_unkeptSaves;
    if (!outcome.error.ok())
        emit saveFailed(outcome.error, outcome.subject);
    else if (outcome.announce && outcome.subject == Subject::Sheet)
        emit sheetSaved(outcome.id);
    else if (outcome.announce && outcome.subject == Subject::Reading)
        emit readingSaved(outcome.id);
}

namespace {

// The save's own outcome: its entry delivered now or by an earlier round, or the reason the
// round stopped before it.
template<typename Worker>
JournalError deliveredOutcome(Worker &worker, const QString &key, qint64 *id)
{
    if (!worker.results.contains(key))
        worker.deliver();
    if (const auto found = worker.results.constFind(key); found != worker.results.cend()) {
        const JournalError error = found->error;
        *id = found->id;
        worker.results.erase(found);
        return error;
    }
    // Not delivered in this round: either the round stopped at an older entry (the journal
    // does not take entries now: its error says why) or the entry was gone from the outbox.
    return worker.journal().lastError().ok()
               ? JournalError{JournalError::Kind::WriteFailed,
                              JournalText::tr("It was no longer waiting on this computer: another "
                                              "program delivered it, or it could not be read "
                                              "back and was set aside as .bad in the outbox.")}
               : worker.journal().lastError();
}

QString newUid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

} // namespace

void JournalService::queueSheet(SheetRecord sheet, PictureEncoder picture, bool linkLastReading)
{
    // Complete and on the disk before the print job goes out: a crash from here on loses
    // nothing.
    sheet.uid = newUid();
    Journal::complete(sheet);
    if (linkLastReading)
        sheet.readingUid = m_lastReadingUid;
    if (picture)
        sheet.picturePng = picture();
    m_lastSheetUid = sheet.uid;
    const JournalError kept = outbox().keep(sheet);
    noteKept(Subject::Sheet, kept);
    queueSave([kept, sheet = std::move(sheet)](Worker &worker) mutable {
        SaveOutcome outcome{{}, 0, Subject::Sheet, true, !kept.ok()};
        if (kept.ok()) {
            outcome.error
                = deliveredOutcome(worker, entryKey(Outbox::Kind::Sheet, sheet.uid), &outcome.id);
        } else {
            outcome.error = worker.journal().saveSheet(sheet);
            outcome.id = sheet.id;
        }
        return outcome;
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
    if (m_lastSheetUid.isEmpty())
        return;
    const PrintOutcomeRecord record{m_lastSheetUid, printed, std::move(printer)};
    const JournalError kept = outbox().keep(record);
    noteKept(Subject::PrintOutcome, kept);
    queueSave([kept, record](Worker &worker) {
        SaveOutcome outcome{{}, 0, Subject::PrintOutcome, false, !kept.ok()};
        outcome.error = kept.ok() ? deliveredOutcome(
                            worker, entryKey(Outbox::Kind::Outcome, record.sheetUid), &outcome.id)
                                  : worker.journal().setPrintOutcomeOf(
                                      record.sheetUid, record.printed, record.printer);
        return outcome;
    });
}

void JournalService::saveReading(ReadingRecord reading)
{
    reading.uid = newUid();
    if (!reading.takenAt.isValid())
        reading.takenAt = QDateTime::currentDateTimeUtc();
    const JournalError kept = outbox().keep(reading);
    noteKept(Subject::Reading, kept);
    m_lastReadingUid = reading.uid;
    queueSave([kept, reading = std::move(reading)](Worker &worker) mutable {
        SaveOutcome outcome{{}, 0, Subject::Reading, true, !kept.ok()};
        if (kept.ok()) {
            outcome.error = deliveredOutcome(worker, entryKey(Outbox::Kind::Reading, reading.uid),
                                             &outcome.id);
        } else {
            outcome.error = worker.journal().saveReading(reading);
            outcome.id = reading.id;
        }
        return outcome;
    });
}

} // namespace estrivo

#include "journal_service.moc"
