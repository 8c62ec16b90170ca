// Turning a libpq connection URI into what Qt's PostgreSQL driver takes.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace estrivo {

// The parts of postgresql://[user[:password]@][host][:port][/dbname][?key=value&...].
// Qt's driver builds a libpq key=value string from these and does not take a URI itself.
struct PostgresConnection
{
    QString host;  // a name, an address or a socket folder ("host=" wins over the URI's)
    int port = -1; // -1: libpq's default
    QString user;
    QString password; // from the URI only; libpq's own sources otherwise
    QString database;
    QString options; // further libpq keywords as "key='value';...", connect_timeout included
};

// Empty with `problem` set when the text is not a URI we can hand on; the problem never
// repeats the URI, which may hold a password.
std::optional<PostgresConnection> parsePostgresUri(const QString &uri, QString *problem);

} // namespace estrivo
