#include "journal.h"
#include "journal_text.h"
#include "postgres_uri.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

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

JournalLocation resolveJournalLocation(const QString &option, bool demo)
{
    // A relative path would mean another file whenever the program starts elsewhere.
    const auto made = [](const QString &location, JournalLocation::Source source) {
        return JournalLocation{
            isPostgresLocation(location) ? location : QFileInfo(location).absoluteFilePath(),
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

QString displayLocation(const QString &location)
{
    if (!isPostgresLocation(location))
        return location;
    QString shown = location;
    const qsizetype authorityStart = shown.indexOf(kSchemeSeparator) + kSchemeSeparator.size();
    qsizetype authorityEnd = authorityStart;
    while (authorityEnd < shown.size() && !QStringView(u"/?#").contains(shown[authorityEnd]))
        ++authorityEnd;
    const qsizetype at = shown.lastIndexOf(u'@', authorityEnd - 1);
    if (at >= authorityStart) {
        const qsizetype colon = shown.indexOf(u':', authorityStart);
        if (colon >= 0 && colon < at)
            shown.replace(colon + 1, at - colon - 1, kMask);
    }
    static const QRegularExpression password(u"([?&]password=)[^&#]*"_s,
                                             QRegularExpression::CaseInsensitiveOption);
    shown.replace(password, u"\\1"_s + kMask);
    return shown;
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
    QString rest = uri.mid(uri.indexOf(kSchemeSeparator) + kSchemeSeparator.size());
    if (rest.contains(u'#'))
        return fail(
            JournalText::tr("It has a fragment (#), which a connection URI does not take."));
    QString query;
    if (const qsizetype mark = rest.indexOf(u'?'); mark >= 0) {
        query = rest.mid(mark + 1);
        rest.truncate(mark);
    }
    PostgresConnection connection;
    if (const qsizetype slash = rest.indexOf(u'/'); slash >= 0) {
        connection.database = decoded(QStringView(rest).mid(slash + 1));
        rest.truncate(slash);
    }
    if (const qsizetype at = rest.lastIndexOf(u'@'); at >= 0) {
        const QStringView userInfo = QStringView(rest).left(at);
        const qsizetype colon = userInfo.indexOf(u':');
        connection.user = decoded(colon < 0 ? userInfo : userInfo.left(colon));
        if (colon >= 0)
            connection.password = decoded(userInfo.mid(colon + 1));
        rest = rest.mid(at + 1);
    }
    if (rest.contains(u','))
        return fail(JournalText::tr("It names several hosts; give one."));
    QString portText;
    if (rest.startsWith(u'[')) { // [IPv6 address]
        const qsizetype close = rest.indexOf(u']');
        if (close < 0 || (close + 1 < rest.size() && rest[close + 1] != u':'))
            return fail(JournalText::tr("Its IPv6 address is not closed by ]."));
        connection.host = rest.mid(1, close - 1);
        portText = rest.mid(close + 2);
    } else {
        const qsizetype colon = rest.indexOf(u':');
        connection.host = decoded(colon < 0 ? QStringView(rest) : QStringView(rest).left(colon));
        if (colon >= 0)
            portText = rest.mid(colon + 1);
    }

    QStringList options;
    bool timeoutGiven = false;
    for (const QString &pair : query.split(u'&', Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(u'=');
        if (equals < 0)
            return fail(JournalText::tr("A parameter after ? has no value."));
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
