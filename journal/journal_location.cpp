#include "journal.h"
#include "journal_text.h"
#include "postgres_uri.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace estrivo {

using namespace Qt::StringLiterals;

namespace {

constexpr auto kSchemeSeparator = "://"_L1;
constexpr auto kMask = "***"_L1;
const QString kTimeoutKey = u"connect_timeout"_s;

QString decoded(QStringView text)
{
    return QUrl::fromPercentEncoding(text.toUtf8());
}

// A libpq conninfo value in quotes, so blanks and quotes in it stay part of it.
QString quoted(QString value)
{
    value.replace(u'\\', "\\\\"_L1);
    value.replace(u'\'', "\\'"_L1);
    return u'\'' + value + u'\'';
}

bool isKeyword(const QString &key)
{
    static const QRegularExpression keyword(u"^[a-z_]+$"_s);
    return keyword.match(key).hasMatch();
}

} // namespace

bool isPostgresLocation(const QString &location)
{
    return location.startsWith("postgresql://"_L1, Qt::CaseInsensitive)
           || location.startsWith("postgres://"_L1, Qt::CaseInsensitive);
}

bool JournalLocation::isPostgres() const
{
    return isPostgresLocation(location);
}

QString locationProblem(const QString &location)
{
    if (isPostgresLocation(location))
        return {};
    static const QRegularExpression scheme(u"^[A-Za-z][A-Za-z0-9+.-]*:"_s);
    if (scheme.match(location).hasMatch())
        return JournalText::tr("%1 is neither a file path nor a postgresql:// address.")
            .arg(displayLocation(location));
    return {};
}

JournalLocation resolveJournalLocation(const QString &option, bool demo)
{
    // A relative path would mean another file whenever the program starts elsewhere; a
    // mistyped address stays as it was typed, to be refused as such.
    const auto made = [](const QString &location, JournalLocation::Source source) {
        const bool asTyped = isPostgresLocation(location) || !locationProblem(location).isEmpty();
        return JournalLocation{asTyped ? location : QFileInfo(location).absoluteFilePath(),
                               source};
    };
    if (!option.isEmpty())
        return made(option, JournalLocation::Source::Option);
    const QString environment = qEnvironmentVariable("ESTRIVO_JOURNAL");
    if (!environment.isEmpty())
        return made(environment, JournalLocation::Source::Environment);
    // Both programs read the one settings file, whatever each calls itself.
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, u"Estrivo"_s,
                             u"Estrivo"_s);
    const QString setting = settings.value("journal/location"_L1).toString();
    if (!setting.isEmpty())
        return made(setting, JournalLocation::Source::Settings);

    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + "/.local/share"_L1;
    const QString file = demo ? u"demo-journal.sqlite"_s : u"journal.sqlite"_s;
    return {data + "/estrivo/"_L1 + file, JournalLocation::Source::Default};
}

namespace {

// Where each part of a postgresql:// URI lies, found the way libpq finds them, so that what we
// mask, show and hand on is what libpq would use: the credentials run up to the first "@"
// before any "/" (a password may hold "?" or "#"); the host up to ":", "/", "?" or ","; the
// port up to "/", "?" or ","; the database up to "?"; the parameters after it.
struct UriParts
{
    struct Span
    {
        qsizetype from = -1;
        qsizetype to = -1; // one past the end
        bool found() const { return from >= 0; }
    };
    Span user, password, host, port, database, query;
    bool ipv6 = false;
    QChar hostEnd; // what ended the host: ':', '/', '?', ',' or nothing
};

UriParts splitUri(const QString &uri)
{
    UriParts parts;
    qsizetype p = uri.indexOf(kSchemeSeparator) + kSchemeSeparator.size();
    const qsizetype size = uri.size();
    const auto at = [&uri, size](qsizetype i) {
        return i < size ? uri[i] : QChar();
    };
    qsizetype look = p;
    while (look < size && uri[look] != u'@' && uri[look] != u'/')
        ++look;
    if (look < size && uri[look] == u'@') {
        qsizetype end = p;
        while (at(end) != u':' && at(end) != u'@')
            ++end;
        parts.user = {p, end};
        if (at(end) == u':')
            parts.password = {end + 1, look};
        p = look + 1;
    }
    if (at(p) == u'[') {
        parts.ipv6 = true;
        const qsizetype close = uri.indexOf(u']', p);
        parts.host = {p + 1, close < 0 ? size : close};
        p = close < 0 ? size : close + 1;
    } else {
        qsizetype end = p;
        while (end < size && !QStringView(u":/?,").contains(uri[end]))
            ++end;
        parts.host = {p, end};
        p = end;
    }
    parts.hostEnd = at(p);
    if (at(p) == u':') {
        qsizetype end = p + 1;
        while (end < size && !QStringView(u"/?,").contains(uri[end]))
            ++end;
        parts.port = {p + 1, end};
        p = end;
    }
    if (at(p) == u'/') {
        const qsizetype mark = uri.indexOf(u'?', p + 1);
        parts.database = {p + 1, mark < 0 ? size : mark};
        p = mark < 0 ? size : mark;
    }
    if (at(p) == u'?')
        parts.query = {p + 1, size};
    return parts;
}

// An "@" before the parameters of a URI whose credentials libpq does not find; -1 for none.
qsizetype strayAt(const QString &uri, const UriParts &parts)
{
    if (parts.user.found())
        return -1;
    const qsizetype start = uri.indexOf(kSchemeSeparator) + kSchemeSeparator.size();
    const qsizetype end = parts.query.found() ? parts.query.from - 1 : uri.size();
    const qsizetype at = uri.indexOf(u'@', start);
    return at >= 0 && at < end ? at : -1;
}

QStringView spanOf(const QString &uri, UriParts::Span span)
{
    return span.found() ? QStringView(uri).sliced(span.from, span.to - span.from) : QStringView();
}

} // namespace

QString displayLocation(const QString &location)
{
    if (!isPostgresLocation(location))
        return location;
    const UriParts parts = splitUri(location);
    QString shown = location;
    // Masked from the end, so the earlier spans keep their places.
    if (parts.query.found()) {
        QStringList pairs = spanOf(location, parts.query).toString().split(u'&');
        for (QString &pair : pairs) {
            const qsizetype equals = pair.indexOf(u'=');
            if (equals >= 0
                && decoded(QStringView(pair).left(equals))
                           .compare("password"_L1, Qt::CaseInsensitive)
                       == 0)
                pair = pair.left(equals + 1) + kMask;
        }
        shown.replace(parts.query.from, parts.query.to - parts.query.from, pairs.join(u'&'));
    }
    if (parts.password.found()) {
        shown.replace(parts.password.from, parts.password.to - parts.password.from, kMask);
    } else if (const qsizetype at = strayAt(location, parts); at >= 0) {
        // No credentials by libpq's reading, yet an "@" where they would be: most likely a
        // password with a "/" in it. It is not shown either.
        const qsizetype start = location.indexOf(kSchemeSeparator) + kSchemeSeparator.size();
        const qsizetype colon = location.indexOf(u':', start);
        if (colon >= 0 && colon < at)
            shown.replace(colon + 1, at - colon - 1, kMask);
    }
    return shown;
}

LocationSecret splitPassword(const QString &location)
{
    if (!isPostgresLocation(location))
        return {location, {}};
    const UriParts parts = splitUri(location);
    LocationSecret split{location, {}};
    // From the end, so the earlier spans keep their places.
    if (parts.query.found()) {
        QStringList kept;
        for (const QString &pair : spanOf(location, parts.query).toString().split(u'&')) {
            const qsizetype equals = pair.indexOf(u'=');
            if (equals >= 0 && decoded(QStringView(pair).left(equals)) == "password"_L1)
                split.password = decoded(QStringView(pair).mid(equals + 1));
            else
                kept << pair;
        }
        const QString query = kept.join(u'&');
        // The "?" goes with the last parameter.
        split.location.replace(parts.query.from - 1, parts.query.to - parts.query.from + 1,
                               query.isEmpty() ? QString() : u'?' + query);
    }
    if (parts.password.found()) {
        split.password = decoded(spanOf(location, parts.password));
        split.location.remove(parts.password.from - 1,
                              parts.password.to - parts.password.from + 1);
    }
    return split;
}

JournalError keepPasswordForLibpq(const QString &location, const QString &password)
{
    QString problem;
    const std::optional<PostgresConnection> connection = parsePostgresUri(location, &problem);
    if (!connection)
        return {JournalError::Kind::CannotOpen, problem};
    // A field of the file: ":" and "\" escaped; "*" where the address leaves it to libpq.
    const auto field = [](QString value, const QString &otherwise) {
        if (value.isEmpty())
            return otherwise;
        value.replace(u'\\', "\\\\"_L1);
        value.replace(u':', "\\:"_L1);
        return value;
    };
    const QString line
        = QStringList{field(connection->host, u"localhost"_s),
                      connection->port > 0 ? QString::number(connection->port) : u"*"_s,
                      field(connection->database, u"*"_s), field(connection->user, u"*"_s),
                      field(password, {})}
              .join(u':');
    QString file = qEnvironmentVariable("PGPASSFILE");
    if (file.isEmpty())
        file = QDir::homePath() + "/.pgpass"_L1;
    const QByteArray path = QFile::encodeName(file);
    // Never through a link someone else put there; libpq ignores the file unless it is 0600.
    const int fd
        = ::open(path.constData(),
                 O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    const auto failed = [&file](int error) {
        return JournalError{JournalError::Kind::WriteFailed,
                            JournalText::tr("%1 could not be written: %2.")
                                .arg(file, QString::fromLocal8Bit(std::strerror(error)))};
    };
    if (fd < 0)
        return failed(errno);
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != geteuid()) {
        ::close(fd);
        return failed(EPERM);
    }
    const QByteArray bytes = (status.st_size > 0 ? "\n"_ba : QByteArray()) + line.toUtf8() + '\n';
    const bool written
        = ::fchmod(fd, 0600) == 0
          && ::write(fd, bytes.constData(), std::size_t(bytes.size())) == ssize_t(bytes.size())
          && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    return written ? JournalError{} : failed(error);
}

std::optional<PostgresConnection> parsePostgresUri(const QString &uri, QString *problem)
{
    const auto fail = [problem](const QString &why) {
        if (problem)
            *problem = why;
        return std::optional<PostgresConnection>();
    };
    if (!isPostgresLocation(uri))
        return fail(JournalText::tr("It does not start with postgresql://."));
    const UriParts parts = splitUri(uri);
    if (strayAt(uri, parts) >= 0)
        return fail(JournalText::tr("It has an \"@\" after a \"/\", so it is not read as user "
                                    "and password. Write a \"/\" of the password as %2F, or "
                                    "better keep the password in ~/.pgpass."));
    PostgresConnection connection;
    connection.user = decoded(spanOf(uri, parts.user));
    connection.password = decoded(spanOf(uri, parts.password));
    if (parts.ipv6) {
        if (parts.host.to >= uri.size() || uri[parts.host.to] != u']')
            return fail(JournalText::tr("Its IPv6 address is not closed by ]."));
        const QChar next = parts.hostEnd;
        if (!next.isNull() && !QStringView(u":/?,").contains(next))
            return fail(JournalText::tr("Its IPv6 address is followed by something else."));
        connection.host = spanOf(uri, parts.host).toString();
    } else {
        connection.host = decoded(spanOf(uri, parts.host));
    }
    if (parts.hostEnd == u',' || uri.sliced(parts.host.from).startsWith(u','))
        return fail(JournalText::tr("It names several hosts; give one."));
    QString portText = decoded(spanOf(uri, parts.port));
    if (portText.contains(u','))
        return fail(JournalText::tr("It names several hosts; give one."));
    connection.database = decoded(spanOf(uri, parts.database));

    QStringList options;
    bool timeoutGiven = false;
    const QString query = spanOf(uri, parts.query).toString();
    for (const QString &pair : query.split(u'&', Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(u'=');
        if (equals < 0)
            return fail(JournalText::tr("A parameter after ? has no value."));
        if (pair.indexOf(u'=', equals + 1) >= 0)
            return fail(JournalText::tr("A parameter after ? has a second \"=\"."));
        const QString key = decoded(QStringView(pair).left(equals));
        const QString value = decoded(QStringView(pair).mid(equals + 1));
        if (key == "host"_L1) {
            connection.host = value;
        } else if (key == "port"_L1) {
            portText = value;
        } else if (key == "user"_L1) {
            connection.user = value;
        } else if (key == "password"_L1) {
            connection.password = value;
        } else if (key == "dbname"_L1) {
            connection.database = value;
        } else if (!isKeyword(key)) {
            return fail(JournalText::tr("A parameter after ? is not a connection keyword."));
        } else if (value.contains(u';')) {
            // Qt's driver turns every ';' of the options into a blank, quoted or not.
            return fail(JournalText::tr("The value of %1 holds a semicolon.").arg(key));
        } else {
            timeoutGiven = timeoutGiven || key == kTimeoutKey;
            options << key + u'=' + quoted(value);
        }
    }
    if (connection.host.contains(u','))
        return fail(JournalText::tr("It names several hosts; give one."));
    if (!portText.isEmpty()) {
        bool isNumber = false;
        connection.port = portText.toInt(&isNumber);
        if (!isNumber || connection.port <= 0 || connection.port > 65535)
            return fail(JournalText::tr("Its port is not a number from 1 to 65535."));
    }
    if (!timeoutGiven)
        options << kTimeoutKey + u'=' + quoted(QString::number(Journal::kConnectTimeout.count()));
    connection.options = options.join(u';');
    return connection;
}

} // namespace estrivo
