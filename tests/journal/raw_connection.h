// A connection of a test's own to a journal, as another program (or a person with a SQL
// shell) would have: the journal itself hands out no connection.
#pragma once

#include "postgres_uri.h"

#include <QSqlDatabase>
#include <QString>

class RawConnection
{
public:
    explicit RawConnection(const QString &location)
        : m_name(QStringLiteral("raw-%1").arg(++s_count))
    {
        QSqlDatabase db;
        if (location.startsWith(QLatin1String("postgresql://"))) {
            const std::optional<estrivo::PostgresConnection> uri
                = estrivo::parsePostgresUri(location, nullptr);
            db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
            db.setHostName(uri->host);
            db.setPort(uri->port);
            db.setUserName(uri->user);
            db.setDatabaseName(uri->database);
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
            db.setDatabaseName(location);
        }
        db.open();
    }
    ~RawConnection()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    static inline int s_count = 0;
    QString m_name;
};
