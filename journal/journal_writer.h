// Saves sheets and readings on a thread of its own, so the window never waits for the journal.
#pragma once

#include "journal.h"

#include <QMutex>
#include <QObject>
#include <QThread>
#include <QWaitCondition>

#include <chrono>
#include <functional>

namespace estrivo {

// The GUI owns one writer per journal location. Each save call queues the work and returns at
// once; a worker thread with its own Journal (its own connection) does the saves one after
// another, in the order they were asked for, and the results come back as signals on the
// writer's thread. The journal is opened at the first save; a save that fails is reported and
// the next one opens the journal again, so a server or a file that comes back is used again.
//
// Linking a sheet to its reading: the queue keeps order, so a sheet whose concentration still
// shows the last reading handed to saveReading() is saved with saveSheetLinkedToLastReading();
// the worker puts in the id that reading got, even when readingSaved() has not arrived yet
// (no link when that reading could not be saved). saveSheet() keeps sheet.readingId as given,
// for a caller that already holds the id from readingSaved().
class JournalWriter : public QObject
{
    Q_OBJECT

public:
    explicit JournalWriter(QString location, QObject *parent = nullptr);
    // Finishes every save already queued, then stops the thread.
    ~JournalWriter() override;

    QString location() const;

    // What a save or a failure is about.
    enum class Subject { Sheet, Reading, PrintOutcome };
    Q_ENUM(Subject)

    // The picture may come as a function that encodes it: it then runs on the worker thread,
    // so the caller does not wait for the PNG encoder.
    using PictureEncoder = std::function<QByteArray()>;

    void saveSheet(SheetRecord sheet, PictureEncoder picture = {});
    void saveSheetLinkedToLastReading(SheetRecord sheet, PictureEncoder picture = {});
    void saveReading(ReadingRecord reading);
    // The print outcome of the last sheet this writer saved; nothing when that save failed.
    void recordPrintOutcome(bool printed, QString printer);

    // Saves queued and not yet finished.
    int pendingSaves() const;

    // For closing the program: blocks until every queued save is finished, or the time is up
    // (false then; nothing is dropped, the saves go on). Signals of the finished saves arrive
    // later through the event loop.
    bool waitForIdle(std::chrono::milliseconds timeout);

signals:
    void sheetSaved(qint64 id);
    void readingSaved(qint64 id);
    void saveFailed(estrivo::JournalError error, estrivo::JournalWriter::Subject subject);

private:
    struct Worker;
    // What a save came to, and the signal that tells of its success.
    struct Outcome
    {
        JournalError error;
        qint64 id = 0;
        void (JournalWriter::*saved)(qint64) = nullptr; // null: success says nothing
        Subject subject = Subject::Sheet;
    };
    template<typename Job>
    void enqueue(Job job); // Job: Outcome(Worker &), run on the worker thread
    void finishOne();
    void queueSheet(SheetRecord sheet, PictureEncoder picture, bool linkLastReading);

    QString m_location;
    QThread m_thread;
    Worker *m_worker = nullptr; // lives on m_thread
    mutable QMutex m_mutex;
    QWaitCondition m_idle;
    int m_pending = 0;
};

} // namespace estrivo
