#include "local_postgres.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString kBin = u"/usr/lib/postgresql/15/bin/"_s;
const QString kSuperuser = u"estrivo"_s;
constexpr int kProcessTimeoutMs = 60000;

struct Unprivileged
{
    uid_t uid = 0;
    gid_t gid = 0;
};

Unprivileged nobody()
{
    const passwd *entry = getpwnam("nobody");
    return entry ? Unprivileged{entry->pw_uid, entry->pw_gid} : Unprivileged{65534, 65534};
}

QString finished(QProcess &process)
{
    if (!process.waitForFinished(kProcessTimeoutMs))
        return u"still running|"_s;
    return QString::number(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1)
           + u'|' + QString::fromLocal8Bit(process.readAll());
}

} // namespace

bool LocalPostgres::isRoot()
{
    return geteuid() == 0;
}

void LocalPostgres::dropPrivileges(QProcess &process, bool newSession)
{
    const bool root = isRoot();
    const Unprivileged user = nobody();
    process.setChildProcessModifier([root, user, newSession] {
        // Between fork and exec: only async-signal-safe calls, and _exit on failure.
        if (newSession)
            setsid();
        if (root && (setgroups(0, nullptr) != 0 || setgid(user.gid) != 0 || setuid(user.uid) != 0))
            _exit(126);
    });
}

bool LocalPostgres::handOver(const QString &folder)
{
    if (!isRoot())
        return true;
    const Unprivileged user = nobody();
    return chown(QFile::encodeName(folder).constData(), user.uid, user.gid) == 0;
}

LocalPostgres::LocalPostgres(Durability durability)
    : m_durability(durability)
    , m_folder(QDir::tempPath() + u"/estrivo-pg-XXXXXX"_s)
{}

LocalPostgres::~LocalPostgres()
{
    QString ignored;
    if (m_running)
        pgCtl({u"stop"_s, u"-m"_s, u"immediate"_s}, &ignored);
    if (m_watchdog) { // nothing left for it to stop; it removes the folder and ends
        m_watchdog->closeWriteChannel();
        m_watchdog->waitForFinished(kProcessTimeoutMs);
    }
}

QString LocalPostgres::socketFolder() const
{
    return m_folder.path();
}

bool LocalPostgres::pgCtl(const QStringList &arguments, QString *error)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    dropPrivileges(process);
    process.start(kBin + u"pg_ctl"_s,
                  QStringList{u"-D"_s, m_folder.filePath(u"data"_s), u"-w"_s} + arguments);
    const QString outcome = finished(process);
    if (!outcome.startsWith(u"0|"_s)) {
        *error = u"pg_ctl %1: %2"_s.arg(arguments.join(u' '), outcome);
        return false;
    }
    return true;
}

bool LocalPostgres::start(QString *error)
{
    if (!m_folder.isValid()) {
        *error = u"no temporary folder: "_s + m_folder.errorString();
        return false;
    }
    if (!m_made) {
        if (!handOver(m_folder.path())) {
            *error = u"cannot give the server's folder to nobody"_s;
            return false;
        }
        QProcess initdb;
        initdb.setProcessChannelMode(QProcess::MergedChannels);
        dropPrivileges(initdb);
        initdb.start(kBin + u"initdb"_s,
                     {u"-D"_s, m_folder.filePath(u"data"_s), u"-U"_s, kSuperuser, u"-A"_s,
                      u"trust"_s, u"-E"_s, u"UTF8"_s, u"--no-locale"_s, u"--no-sync"_s});
        const QString made = finished(initdb);
        if (!made.startsWith(u"0|"_s)) {
            *error = u"initdb: "_s + made;
            return false;
        }
        m_made = true;

        // Stops the server and removes its folder when this process ends without doing so.
        m_watchdog = std::make_unique<QProcess>();
        dropPrivileges(*m_watchdog, true);
        m_watchdog->start(u"/bin/sh"_s,
                          {u"-c"_s,
                           u"read line; \"$0\" -D \"$1/data\" -m immediate stop >/dev/null 2>&1;"
                           " rm -rf \"$1\""_s,
                           kBin + u"pg_ctl"_s, m_folder.path()});
        m_folder.setAutoRemove(false); // the watchdog does it, with the server's rights
        if (!m_watchdog->waitForStarted(kProcessTimeoutMs)) {
            *error = u"the watchdog did not start"_s;
            return false;
        }
    }
    const QString options
        = u"-c listen_addresses='' -c unix_socket_directories='%1' -c max_connections=40"_s.arg(
              m_folder.path())
          + (m_durability == Durability::Fast
                 ? u" -c fsync=off -c full_page_writes=off -c synchronous_commit=off"_s
                 : QString());
    if (!pgCtl({u"-l"_s, m_folder.filePath(u"server.log"_s), u"-o"_s, options, u"start"_s}, error))
        return false;
    m_running = true;
    return true;
}

bool LocalPostgres::stop(QString *error)
{
    if (!pgCtl({u"stop"_s, u"-m"_s, u"fast"_s}, error))
        return false;
    m_running = false;
    return true;
}

QString LocalPostgres::uri(const QString &database) const
{
    return u"postgresql://%1@/%2?host=%3"_s.arg(
        kSuperuser, database, QString::fromLatin1(QUrl::toPercentEncoding(m_folder.path())));
}

QString LocalPostgres::createDatabase(const QString &name, QString *error)
{
    const QString connection = u"local-postgres-admin"_s;
    bool created = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, connection);
        db.setHostName(m_folder.path());
        db.setUserName(kSuperuser);
        db.setDatabaseName(u"postgres"_s);
        QSqlQuery query(db);
        // A database name cannot be a bound value; these names are the tests' own.
        created = db.open() && query.exec(u"CREATE DATABASE \"%1\""_s.arg(name));
        if (!created)
            *error = db.isOpen() ? query.lastError().text() : db.lastError().text();
    }
    QSqlDatabase::removeDatabase(connection);
    return created ? uri(name) : QString();
}
