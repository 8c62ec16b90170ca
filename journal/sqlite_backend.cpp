// The journal as a SQLite file: created with modes of our own, never touched when it is not a
// database, kept with a write-ahead log and a commit that is on the disk when it returns.
#include "backend.h"
#include "journal.h"
#include "journal_text.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace estrivo {

using namespace Qt::StringLiterals;
using Kind = JournalError::Kind;

namespace {

constexpr QByteArrayView kSqliteHeader("SQLite format 3\0", 16);
constexpr mode_t kFolderMode = 0700;
constexpr mode_t kFileMode = 0600;
constexpr int kSqliteBusy = 5;     // SQLITE_BUSY, before its extended part
constexpr int kSqliteLocked = 6;   // SQLITE_LOCKED
constexpr int kSqliteReadOnly = 8; // SQLITE_READONLY

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool isWritable(const QByteArray &path)
{
    return faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) == 0;
}

bool refusal(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

int primaryCode(const QSqlError &error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

class SqliteBackend final : public JournalBackend
{
public:
    SqliteBackend(QString location, JournalCreation creation)
        : m_location(std::move(location))
        , m_creation(creation)
    {}

    void setCreation(JournalCreation creation) override { m_creation = creation; }

    Opened open(const QString &connectionName, Purpose purpose) override;
    JournalError prepareWritable(QSqlDatabase &db) override;

    QString tablesStatement() const override
    {
        return u"SELECT name FROM sqlite_master WHERE type = 'table'"_s;
    }
    bool foreignTablesRefused() const override { return true; }
    QString spelled(const QString &statement) const override
    {
        // SQLite's INTEGER PRIMARY KEY is the row id itself.
        QString sql = statement.trimmed();
        sql.replace("{ID}"_L1, "INTEGER PRIMARY KEY"_L1);
        sql.replace("{KEY}"_L1, "INTEGER PRIMARY KEY"_L1);
        sql.replace("{BLOB}"_L1, "BLOB"_L1);
        sql.replace("{TIME}"_L1, "TEXT"_L1);
        sql.replace("{REAL}"_L1, "REAL"_L1);
        return sql;
    }
    QString numberInText(const QString &column) const override
    {
        // SQLite's CAST reads any leading number ("12abc" is 12), so the text is checked
        // first: digits with at most one point, and at least one digit.
        return u"(CASE WHEN trim(%1) NOT GLOB '*[^0-9.]*' AND trim(%1) GLOB '*[0-9]*'"
               " AND trim(%1) NOT GLOB '*.*.*' THEN CAST(trim(%1) AS REAL) ELSE %2 END)"_s.arg(
                   column, kBelowEveryNumber);
    }
    QString byCodePoint(const QString &column) const override
    {
        return column; // BINARY, the default, compares UTF-8 bytes: code points in order
    }
    QString migrationLockStatement() const override { return {}; } // BEGIN IMMEDIATE is one
    // IMMEDIATE takes the write lock now, waiting out another program's save.
    QString beginWriteStatement() const override { return u"BEGIN IMMEDIATE"_s; }
    QString readOnlyStatement() const override { return u"PRAGMA query_only = ON"_s; }
    QString announceStatement() const override { return {}; }
    QString lockRowsClause() const override { return {}; }
    QStringList appendOnlyStatements(const QStringList &tables) const override
    {
        QStringList statements;
        for (const QString &table : tables) {
            for (const auto &[when, what] :
                 {std::pair{"UPDATE"_L1, "changed"_L1}, std::pair{"DELETE"_L1, "deleted"_L1}}) {
                statements << u"CREATE TRIGGER %1_never_%3 BEFORE %2 ON %1 BEGIN SELECT"
                              " RAISE(ABORT, 'kept for the record: never %3'); END"_s.arg(
                                  table, when, what);
            }
        }
        return statements;
    }
    QStringList keepRecordsStatements() const override
    {
        return {
            u"CREATE TRIGGER movements_never_changed BEFORE UPDATE ON movements BEGIN"
            " SELECT RAISE(ABORT, 'a movement is never changed: record a reversing one'); END"_s,
            u"CREATE TRIGGER movements_never_deleted BEFORE DELETE ON movements BEGIN"
            " SELECT RAISE(ABORT, 'a movement is never deleted: record a reversing one'); END"_s,
            u"CREATE TRIGGER sheets_kept BEFORE DELETE ON sheets WHEN"
            " EXISTS (SELECT 1 FROM movements WHERE sheet_id = old.id)"
            " OR old.saved_at > strftime('%Y-%m-%dT%H:%M:%fZ', 'now', '-' || COALESCE("
            "(SELECT value FROM station_profile WHERE key = 'retention_years'), '3') || ' years')"
            " BEGIN SELECT RAISE(ABORT, 'a sheet is kept for the retention period'); END"_s,
        };
    }

    bool refusesWrites(const QSqlError &error) const override
    {
        return primaryCode(error) == kSqliteReadOnly;
    }
    bool isBusy(const QSqlError &error) const override
    {
        const int code = primaryCode(error);
        return code == kSqliteBusy || code == kSqliteLocked;
    }
    bool mayGoStale() const override { return false; }

    bool watch(QSqlDatabase &, std::function<void()>) override { return false; }
    qint64 changeCounter(QSqlDatabase &db) override
    {
        // Moves whenever another connection commits; costs no read of any table.
        QSqlQuery query(db);
        if (!query.exec(u"PRAGMA data_version"_s) || !query.next())
            return -1;
        return query.value(0).toLongLong();
    }

    QString secret() const override { return {}; }

private:
    JournalError failed(Kind kind, const QString &reason) const { return {kind, reason}; }
    JournalError checkExisting(const QFileInfo &info, QString &readOnlyReason) const;
    JournalError createMissing(const QFileInfo &info) const;

    QString m_location;
    JournalCreation m_creation;
};

JournalError SqliteBackend::checkExisting(const QFileInfo &info, QString &readOnlyReason) const
{
    if (info.isDir())
        return failed(Kind::CannotOpen,
                      JournalText::tr("The journal location is a folder, not a file."));
    const QByteArray path = QFile::encodeName(m_location);
    // Look at the bytes before SQLite does: a file that is not a database stays as it is.
    // Non-blocking: a FIFO put where the journal should be must not hold the program.
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return failed(
            Kind::CannotOpen,
            JournalText::tr("The journal file cannot be read: %1.").arg(systemError(errno)));
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return failed(Kind::CannotOpen,
                      JournalText::tr("The journal location is not a regular file."));
    }
    char header[16];
    const ssize_t got = ::read(fd, header, sizeof header);
    const int readError = errno;
    ::close(fd);
    if (got < 0)
        return failed(
            Kind::CannotOpen,
            JournalText::tr("The journal file cannot be read: %1.").arg(systemError(readError)));
    if (got != 0 && QByteArrayView(header, got) != kSqliteHeader)
        return failed(
            Kind::CannotOpen,
            JournalText::tr("The journal file is not a database; it was left as it is."));
    if (!isWritable(path))
        readOnlyReason = JournalText::tr("The journal file is read-only.");
    else if (!isWritable(QFile::encodeName(info.absolutePath()))) // the log lives beside it
        readOnlyReason = JournalText::tr("The journal's folder is read-only.");
    return {};
}

JournalError SqliteBackend::createMissing(const QFileInfo &info) const
{
    if (m_creation == JournalCreation::Nothing)
        return failed(Kind::CannotOpen,
                      JournalText::tr("No journal at %1.").arg(info.absoluteFilePath()));
    // Create what is missing ourselves, with modes the umask cannot widen or narrow. Folders
    // only for the default location: a share that is not mounted must not be made here.
    QStringList missing;
    QFileInfo up(info.absolutePath());
    for (; !up.exists() && !up.isRoot(); up = QFileInfo(up.absolutePath()))
        missing.prepend(up.absoluteFilePath());
    if (!missing.isEmpty() && m_creation != JournalCreation::FileAndFolders)
        return failed(Kind::CannotOpen,
                      JournalText::tr("No journal at %1: the folder %2 does not exist.")
                          .arg(info.absoluteFilePath(), missing.first()));
    if (!up.isDir())
        return failed(Kind::CannotOpen,
                      JournalText::tr("The journal's folder could not be created: %1.")
                          .arg(systemError(ENOTDIR)));
    for (const QString &each : std::as_const(missing)) {
        const QByteArray name = QFile::encodeName(each);
        if (::mkdir(name.constData(), kFolderMode) != 0 && errno != EEXIST) {
            const int error = errno;
            return failed(refusal(error) ? Kind::ReadOnly : Kind::CannotOpen,
                          JournalText::tr("The journal's folder could not be created: %1.")
                              .arg(systemError(error)));
        }
        ::chmod(name.constData(), kFolderMode);
    }
    const QByteArray path = QFile::encodeName(m_location);
    // A symbolic link to a file not there yet is followed, as SQLite will follow it; what we
    // create at its far end gets our mode too. A file someone else made meanwhile is left as
    // it is.
    const int fd
        = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, kFileMode);
    if (fd < 0) {
        const int error = errno;
        return failed(
            refusal(error) ? Kind::ReadOnly : Kind::CannotOpen,
            JournalText::tr("The journal file could not be created: %1.").arg(systemError(error)));
    }
    struct stat status
    {
    };
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    if (regular && status.st_uid == geteuid() && status.st_size == 0)
        ::fchmod(fd, kFileMode);
    ::close(fd);
    if (!regular)
        return failed(Kind::CannotOpen,
                      JournalText::tr("The journal location is not a regular file."));
    return {};
}

JournalBackend::Opened SqliteBackend::open(const QString &connectionName, Purpose purpose)
{
    if (m_location.isEmpty())
        return {failed(Kind::CannotOpen, JournalText::tr("No journal file is set.")), {}};
    if (const QString problem = locationProblem(m_location); !problem.isEmpty())
        return {failed(Kind::CannotOpen, problem), {}};
    const QFileInfo info(m_location);
    const QByteArray path = QFile::encodeName(m_location);
    QString readOnlyReason;
    const JournalError found
        = info.exists() ? checkExisting(info, readOnlyReason) : createMissing(info);
    if (!found.ok())
        return {found, {}};
    if (!readOnlyReason.isEmpty() && purpose == Purpose::Write)
        return {failed(Kind::ReadOnly, readOnlyReason), readOnlyReason};
    if (readOnlyReason.isEmpty()) {
        // A read-only look at a read-only file leaves SQLite's shared-memory index with the
        // file's mode; once the file is writable again, so must that index be.
        for (const char *suffix : {"-shm", "-wal"}) {
            const QByteArray sibling = path + suffix;
            struct stat status
            {
            };
            if (::stat(sibling.constData(), &status) == 0 && status.st_uid == geteuid()
                && !isWritable(sibling))
                ::chmod(sibling.constData(), kFileMode);
        }
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, connectionName);
    if (!db.isValid())
        return {failed(Kind::CannotOpen,
                       JournalText::tr("Qt's SQLite driver is missing (Debian package "
                                       "libqt6sql6-sqlite).")),
                {}};
    db.setDatabaseName(m_location);
    QString options = u"QSQLITE_BUSY_TIMEOUT=%1"_s.arg(Journal::kBusyTimeout.count());
    if (!readOnlyReason.isEmpty())
        options += ";QSQLITE_OPEN_READONLY"_L1;
    db.setConnectOptions(options);
    if (!db.open())
        return {
            failed(Kind::CannotOpen, JournalText::tr("The journal file could not be opened: %1.")
                                         .arg(driverText(db.lastError()))),
            {}};
    QSqlQuery query(db);
    if (!query.exec(u"PRAGMA foreign_keys = ON"_s))
        return {failed(Kind::CannotOpen, JournalText::tr("The journal could not be read: %1.")
                                             .arg(driverText(query.lastError()))),
                {}};
    return {{}, readOnlyReason};
}

JournalError SqliteBackend::prepareWritable(QSqlDatabase &db)
{
    // Only now that the file is known to be ours: a log that survives a crash, and a commit
    // that is on the disk when it returns.
    QSqlQuery query(db);
    if (!query.exec(u"PRAGMA journal_mode = WAL"_s) || !query.next())
        return {Kind::WriteFailed, JournalText::tr("The journal could not be written: %1.")
                                       .arg(driverText(query.lastError()))};
    const QString mode = query.value(0).toString();
    if (mode.compare("wal"_L1, Qt::CaseInsensitive) != 0)
        return {
            Kind::CannotOpen,
            JournalText::tr("The journal file cannot keep a write-ahead log (journal mode %1).")
                .arg(mode)};
    query.finish();
    if (!query.exec(u"PRAGMA synchronous = FULL"_s))
        return {Kind::WriteFailed, JournalText::tr("The journal could not be written: %1.")
                                       .arg(driverText(query.lastError()))};
    return {};
}

} // namespace

std::unique_ptr<JournalBackend> makeSqliteBackend(const QString &location,
                                                  JournalCreation creation)
{
    return std::make_unique<SqliteBackend>(location, creation);
}

} // namespace estrivo
