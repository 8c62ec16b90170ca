// A program's one way to its journal: a thread of its own with the journal's connection.
#pragma once

#include "journal.h"
#include "outbox.h"

#include <QElapsedTimer>
#include <QFuture>
#include <QFutureWatcher>
#include <QHash>
#include <QObject>
#include <QPromise>
#include <QSet>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

class QThread;

namespace estrivo {

// Each program talks to its journal through one service. Every request is queued to the
// service's thread, where one Journal (one connection) does the work in the order asked, so
// nothing on the caller's thread ever waits for a disk or a server:
// - reads answer as QFutures (use .then(context, ...) to come back to a thread of the
//   caller's);
// - saves report through sheetSaved(), readingSaved() and saveFailed();
// - with watchChanges(), changed() tells when another program saved, and
//   availabilityChanged() when the journal stops or starts answering; a journal that does not
//   answer is asked again every few seconds, so it is used again as soon as it is back.
// waiting() tells the caller's thread how long the oldest request has been waiting, so a
// window can say so while the server is slow, frozen or locked.
//
// Saves never wait for the journal and are never lost: each is first kept on this workstation
// (an Outbox entry, on the disk when the call returns), then delivered to the journal on the
// service's thread, and removed from the outbox only once the journal has it. What the journal
// did not take is delivered again every few seconds, and at the next start (deliverKept()).
// The uid each record gets here makes a second delivery harmless. Where the outbox itself
// cannot be written, the record goes to the journal from memory, as before there was one.
//
// Linking a sheet to its reading: a sheet whose concentration still shows the last reading
// handed to saveReading() is saved with saveSheetLinkedToLastReading(); it names that reading
// by its uid, and the journal puts in the reading's id when the sheet arrives (the reading is
// delivered first).
class JournalService : public QObject
{
    Q_OBJECT

public:
    // A request waiting this long counts as unanswered for waiting().
    static constexpr std::chrono::milliseconds kPatience{1500};
    // How often another program's saves are looked for where the server does not announce
    // them (SQLite's change counter), and how often a server connection is checked.
    static constexpr std::chrono::milliseconds kChangeCheck{500};
    static constexpr std::chrono::milliseconds kServerCheck{5000};
    // How often a journal that does not answer is tried again.
    static constexpr std::chrono::milliseconds kRetry{2000};
    // How often what the outbox holds is offered to a journal that did not take it.
    static constexpr std::chrono::milliseconds kDeliveryRetry{5000};
    // How long closing waits for a read that hangs on a frozen server; queued saves are
    // always waited for.
    static constexpr std::chrono::milliseconds kReadGrace{1500};

    explicit JournalService(QString location,
                            JournalCreation creation = JournalCreation::FileAndFolders,
                            QObject *parent = nullptr);
    // Finishes every save already queued, then stops the thread.
    ~JournalService() override;

    QString location() const { return m_location; }

    // Runs `job` on the service's thread with its journal; the future carries what it returns.
    // The job must not keep the journal reference beyond its run.
    template<typename T> QFuture<T> run(std::function<T(Journal &journal)> job);

    // The typed reads.
    QFuture<JournalReply<QList<StallionCount>>> stallions();
    QFuture<JournalReply<QList<SheetRecord>>> sheets(const SheetFilter &filter,
                                                     const SheetPage &page = {},
                                                     SheetDetail detail = SheetDetail::Row);
    QFuture<JournalReply<SheetRecord>> sheet(qint64 id); // with its picture
    QFuture<JournalReply<qint64>> sheetCount(const SheetFilter &filter);
    // Opens the journal: the value says whether it can be read; the error why not, or why it
    // is read-only.
    QFuture<JournalReply<bool>> probe();

    // What a save or a failure is about.
    enum class Subject { Sheet, Reading, PrintOutcome };
    Q_ENUM(Subject)

    // The picture may come as a function that encodes it: it then runs on the service's
    // thread, so the caller does not wait for the PNG encoder.
    using PictureEncoder = std::function<QByteArray()>;

    void saveSheet(SheetRecord sheet, PictureEncoder picture = {});
    void saveSheetLinkedToLastReading(SheetRecord sheet, PictureEncoder picture = {});
    void saveReading(ReadingRecord reading);
    // The print outcome of the last sheet this service saved; nothing when that save failed.
    void recordPrintOutcome(bool printed, QString printer);

    // Saves asked for whose outcome has not come back yet.
    int pendingSaves() const { return m_pendingSaves; }
    // Whether the last save of this kind was kept on this workstation until the journal has
    // it (false where the outbox could not be written and it is held in memory only).
    bool lastSaveKept(Subject subject) const { return !m_unkept.contains(subject); }
    // Sheets and readings kept on this workstation that the journal does not have yet.
    int keptSheets() const;
    int keptReadings() const;
    // Delivers what earlier runs kept and the journal did not take then.
    void deliverKept();
    // Whether a service had to leave a thread hanging on a journal that did not answer: the
    // program should then end without running its static destructors.
    static bool threadsLeftBehind();
    // Finishes once everything asked for before it is done.
    QFuture<void> whenIdle();

    // Starts looking for other programs' saves and for the journal coming and going.
    void watchChanges();
    // Tries a journal that does not answer again now, rather than at the next retry.
    void retryNow();
    // What opening may create from now on (a question answered about a new journal).
    void setCreation(JournalCreation creation);

signals:
    void sheetSaved(qint64 id);
    void readingSaved(qint64 id);
    void saveFailed(const estrivo::JournalError &error, estrivo::JournalService::Subject subject);
    // Another program saved, or the journal is back and may have been saved to meanwhile.
    void changed();
    // The journal stopped answering (the error says why) or answers again (no error).
    void availabilityChanged(const estrivo::JournalError &error);
    // The oldest request has waited this long without an answer; 0 once all are answered.
    void waiting(std::chrono::milliseconds waited);

private:
    class Worker;
    struct SaveOutcome
    {
        JournalError error;
        qint64 id = 0;
        Subject subject = Subject::Sheet;
        bool announce = false; // success tells sheetSaved() or readingSaved()
        bool unkept = false;   // held in memory only: the outbox could not be written
    };

    quint64 post(std::function<void(Journal &journal)> job);
    void requestDone(quint64 serial);
    void saveDone(const SaveOutcome &outcome);
    void queueSave(std::function<SaveOutcome(Worker &worker)> save);
    void queueSheet(SheetRecord sheet, PictureEncoder picture, bool linkLastReading);
    Outbox &outbox();
    void noteKept(Subject subject, const JournalError &kept);
    void checkWaiting();

    QString m_location;
    QThread *m_thread = nullptr;
    Worker *m_worker = nullptr; // lives on m_thread
    quint64 m_lastSerial = 0;
    QHash<quint64, qint64> m_started; // request serial -> when it was asked, on m_clock
    QHash<quint64, std::shared_ptr<SaveOutcome>> m_saves; // filled in on the worker thread
    QElapsedTimer m_clock;
    QTimer m_waitCheck;
    bool m_reportedWaiting = false;
    int m_pendingSaves = 0;
    int m_unkeptSaves = 0; // saves held only in memory: closing waits for these
    std::unique_ptr<Outbox> m_outbox;
    QSet<Subject> m_unkept;   // kinds whose last save the outbox could not keep
    QString m_lastReadingUid; // kept, so a sheet may name it
    QString m_lastSheetUid;
};

// Calls `handle(result)` on `context`'s thread once `future` has its result; never once
// `context` is gone. The Qt idiom of a watcher owned by the receiver.
template<typename T, typename Handler>
void whenReady(const QFuture<T> &future, QObject *context, Handler handle)
{
    auto *watcher = new QFutureWatcher<T>(context);
    QObject::connect(watcher, &QFutureWatcher<T>::finished, context,
                     [watcher, handle = std::move(handle)]() mutable {
                         watcher->deleteLater();
                         if (!watcher->future().isCanceled())
                             handle(watcher->future().result());
                     });
    watcher->setFuture(future);
}

template<typename T> QFuture<T> JournalService::run(std::function<T(Journal &journal)> job)
{
    auto promise = std::make_shared<QPromise<T>>();
    promise->start();
    QFuture<T> future = promise->future();
    post([promise, job = std::move(job)](Journal &journal) {
        promise->addResult(job(journal));
        promise->finish();
    });
    return future;
}

} // namespace estrivo
