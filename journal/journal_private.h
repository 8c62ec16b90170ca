// The journal's connection and its ways of reading and writing, shared by the files that
// implement Journal's operations. Inside journal/ only.
#pragma once

#include "journal.h"
#include "journal_text.h"

#include "backend.h"

#include <QAtomicInteger>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <optional>

namespace estrivo {

using namespace Qt::StringLiterals;

// Prepares `sql`, binds `values` in order and runs it.
bool run(QSqlQuery &query, const QString &sql, const QVariantList &values = {});

class Journal::Private
{
public:
    using Kind = JournalError::Kind;
    using Purpose = JournalBackend::Purpose;

    Private(QString where, JournalCreation creation)
        : location(std::move(where))
        , backend(makeJournalBackend(location, creation))
        , connectionName(u"estrivo-journal-%1"_s.arg(nextConnection.fetchAndAddRelaxed(1)))
    {}

    QSqlDatabase db() const { return QSqlDatabase::database(connectionName, false); }

    JournalError failed(Kind kind, const QString &reason)
    {
        QString sentence = reason;
        // Belt and braces: no driver message may carry the password out.
        if (const QString secret = backend->secret(); !secret.isEmpty())
            sentence.replace(secret, "***"_L1);
        lastError = {kind, sentence};
        return lastError;
    }
    JournalError succeeded()
    {
        lastError = {};
        return lastError;
    }
    JournalError writeFailed(const QSqlError &error)
    {
        if (backend->refusesWrites(error))
            return failed(
                Kind::ReadOnly,
                JournalText::tr("The journal refuses writes: %1.").arg(driverText(error)));
        if (backend->isBusy(error))
            return failed(Kind::Busy,
                          JournalText::tr("Another program kept the journal locked for more "
                                          "than %1 s: %2.")
                              .arg(kBusyTimeout.count() / 1000)
                              .arg(driverText(error)));
        return failed(
            Kind::WriteFailed,
            JournalText::tr("The journal could not be written: %1.").arg(driverText(error)));
    }
    JournalError readFailed(const QSqlError &error)
    {
        return failed(
            Kind::CannotOpen,
            JournalText::tr("The journal could not be read: %1.").arg(driverText(error)));
    }

    JournalError openConnection(Purpose purpose);
    JournalError prepareSchema(const QString &readOnlyReason);
    void closeConnection();
    JournalError ensureOpen(Purpose purpose);
    // `body` runs inside a write transaction and returns false on a failure its query tells;
    // where it sets `refusal` instead, the write is rolled back and that is the outcome.
    template<typename Body> JournalError write(Body body);
    template<typename Body> bool read(Body body);

    static inline QAtomicInteger<quint64> nextConnection{1};

    QString location;
    std::unique_ptr<JournalBackend> backend;
    QString connectionName;
    std::function<void()> changed; // told of other programs' saves, on every connection
    bool isOpen = false;
    bool readOnly = false;
    bool reopenOnSave = false; // read-only for want of permission: look again at each save
    bool watching = false;
    quint64 connectionsOpened = 0;
    int schemaVersion = 0;
    JournalError openError; // why it is read-only
    JournalError lastError;
    std::optional<JournalError> refusal; // set by a write's body that refuses
};

template<typename Body> JournalError Journal::Private::write(Body body)
{
    const bool wasOpen = isOpen && !reopenOnSave;
    const auto begin = [this](QSqlError &error) {
        QSqlQuery query(db());
        const bool begun = query.exec(backend->beginWriteStatement());
        error = query.lastError();
        return begun;
    };
    if (const JournalError opened = ensureOpen(Purpose::Write); !isOpen)
        return opened;
    if (readOnly)
        return lastError = openError;
    QSqlError error;
    if (!begin(error)) {
        const JournalError failure = writeFailed(error);
        closeConnection();
        // Nothing was written, so one fresh connection may try again where the old one may
        // have lost its server.
        if (!wasOpen || !backend->mayGoStale())
            return failure;
        if (const JournalError opened = ensureOpen(Purpose::Write); !isOpen || readOnly)
            return opened.ok() ? openError : opened;
        if (!begin(error)) {
            const JournalError again = writeFailed(error);
            closeConnection();
            return again;
        }
    }
    JournalError failure;
    {
        QSqlQuery query(db());
        refusal.reset();
        bool done = body(query);
        if (!done && refusal) {
            query.finish();
            query.exec(u"ROLLBACK"_s);
            const JournalError refused = *refusal;
            refusal.reset();
            return failed(refused.kind, refused.reason);
        }
        if (done) {
            query.finish(); // SQLite commits only when no statement is still under way
            const QString announce = backend->announceStatement();
            done = (announce.isEmpty() || query.exec(announce)) && query.exec(u"COMMIT"_s);
        }
        if (done)
            return succeeded();
        failure = writeFailed(query.lastError());
        query.finish();
        query.exec(u"ROLLBACK"_s);
    }
    // The next save starts from a fresh connection: the server or the file may be back.
    closeConnection();
    return failure;
}

// Runs `body(query)` (false on a failure the query tells) on an open connection. A server
// connection that had worked and fails is tried once more fresh: the server may have been
// restarted since. `body` must be safe to run again (it starts over).
template<typename Body> bool Journal::Private::read(Body body)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool wasOpen = isOpen;
        if (!isOpen && !ensureOpen(Purpose::Read).ok() && !isOpen)
            return false;
        QSqlQuery query(db());
        query.setForwardOnly(true);
        if (body(query))
            return true;
        const QSqlError error = query.lastError();
        query.finish();
        query = QSqlQuery();
        closeConnection();
        readFailed(error);
        if (!wasOpen || !backend->mayGoStale())
            return false;
    }
    return false;
}

} // namespace estrivo
