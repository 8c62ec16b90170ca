// A private PostgreSQL 15 server in a temporary folder, reached over a Unix socket there only.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// Debian's server binaries. Run as root, the server runs as 'nobody' (PostgreSQL refuses
// root), and the caller connects as the database superuser "estrivo" over the socket. A
// watchdog child stops the server and removes its folder should this process die unclean.
class LocalPostgres
{
public:
    enum class Durability { Fast, Full }; // Fast skips fsync: tests; Full: benchmarks
    explicit LocalPostgres(Durability durability = Durability::Fast);
    ~LocalPostgres();
    LocalPostgres(const LocalPostgres &) = delete;
    LocalPostgres &operator=(const LocalPostgres &) = delete;

    // The first start makes the cluster; later ones start it again after stop().
    bool start(QString *error);
    bool stop(QString *error);

    // A new empty database, as a journal location URI.
    QString createDatabase(const QString &name, QString *error);
    QString uri(const QString &database) const;
    QString socketFolder() const;

    // Makes the process run as 'nobody' when this process is root (as itself otherwise);
    // newSession puts it out of reach of signals meant for this process's group.
    static void dropPrivileges(QProcess &process, bool newSession = false);
    static bool isRoot();
    // Gives a folder, and the folders down to it, to 'nobody' when root.
    static bool handOver(const QString &folder);

private:
    bool pgCtl(const QStringList &arguments, QString *error);

    Durability m_durability;
    QTemporaryDir m_folder;
    bool m_made = false;
    bool m_running = false;
    std::unique_ptr<QProcess> m_watchdog;
};
