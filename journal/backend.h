// What SQLite and PostgreSQL do differently, behind one interface: opening a connection,
// spelling the schema, taking the write lock, telling a refusal from a failure, and noticing
// what other programs saved. Inside journal/ only.
#pragma once

#include "journal_types.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>

namespace estrivo {

// What numberInText() gives a text without a number: below every number a sheet can show.
inline constexpr QLatin1StringView kBelowEveryNumber{"-1e300"};

class JournalBackend
{
public:
    // Opening to save does not open a journal that refuses writes at all: even a read-only
    // look makes SQLite leave files beside it.
    enum class Purpose { Read, Write };

    // What opening found: the error (ok on success) and, when the journal can only be read,
    // why not written.
    struct Opened
    {
        JournalError error;
        QString readOnlyReason;
    };

    virtual ~JournalBackend() = default;

    // Adds and opens the connection `connectionName` on the calling thread.
    virtual Opened open(const QString &connectionName, Purpose purpose) = 0;
    // Settings for a journal known to be ours and writable (SQLite's log and sync).
    virtual JournalError prepareWritable(QSqlDatabase &db) = 0;

    // The statement listing the tables of the journal's schema, and whether tables of another
    // program there mean the journal is someone else's.
    virtual QString tablesStatement() const = 0;
    virtual bool foreignTablesRefused() const = 0;
    // A schema statement in this back end's words: {ID}, {KEY}, {BLOB}, {TIME} and {REAL}
    // replaced.
    virtual QString spelled(const QString &statement) const = 0;
    // An expression of a text column holding a number as shown: the number, else a value
    // below every number; both back ends must agree on which texts hold one.
    virtual QString numberInText(const QString &column) const = 0;
    // A text column compared code point by code point, whatever the database's collation.
    virtual QString byCodePoint(const QString &column) const = 0;
    // Serialises the schema changes of programs that open one journal for the first time.
    virtual QString migrationLockStatement() const = 0;
    virtual QString beginWriteStatement() const = 0;
    virtual QString readOnlyStatement() const = 0;
    // Run inside every write before its commit, so readers elsewhere learn of it; may be empty.
    virtual QString announceStatement() const = 0;

    // What ends a SELECT that must hold its rows until the write's commit (SQLite's write
    // lock holds the whole file already).
    virtual QString lockRowsClause() const = 0;
    // The triggers that keep the register append-only: a movement is never changed or
    // deleted, a sheet younger than the station's retention period (or with movements) is
    // never deleted, whatever program or hand tries.
    virtual QStringList keepRecordsStatements() const = 0;
    // The triggers that make these tables append-only: rows are added, never changed or
    // deleted.
    virtual QStringList appendOnlyStatements(const QStringList &tables) const = 0;

    // Whether a failed write was refused (permissions, a read-only server) or met a lock.
    virtual bool refusesWrites(const QSqlError &error) const = 0;
    virtual bool isBusy(const QSqlError &error) const = 0;
    // A connection that worked may have lost its server since: one fresh connection may try
    // again. (SQLite has no such staleness.)
    virtual bool mayGoStale() const = 0;

    // Tells `changed` whenever another connection saved, where the server can say so itself
    // (false: the caller asks changeCounter() now and then instead).
    virtual bool watch(QSqlDatabase &db, std::function<void()> changed) = 0;
    // A number that moves whenever another connection committed; -1 where there is none.
    virtual qint64 changeCounter(QSqlDatabase &db) = 0;

    // The password of the location, for masking in every text; empty when there is none.
    virtual QString secret() const = 0;

    // What opening may create where nothing is there yet (a server's database is never made).
    virtual void setCreation(JournalCreation) {}
};

// The back end a location names: PostgreSQL for a postgresql:// URI, else a SQLite file.
std::unique_ptr<JournalBackend> makeJournalBackend(const QString &location,
                                                   JournalCreation creation);

// Shared by the back ends: the driver's words without a full stop of their own.
QString driverText(const QSqlError &error);

} // namespace estrivo
