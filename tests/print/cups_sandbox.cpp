#include "cups_sandbox.h"
#include "print_probe.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <pwd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace printtest {

namespace {

const char kDaemon[] = "/usr/sbin/cupsd";

bool writeFile(const QString &fileName, const QString &text)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(text.toUtf8()) == text.toUtf8().size();
}

QString tail(const QString &fileName, int lines)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList all = QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'));
    return all.mid(qMax(0, all.size() - lines)).join(QLatin1Char('\n'));
}

} // namespace

CupsSandbox::CupsSandbox()
    : m_dir(QDir::tempPath() + QStringLiteral("/estrivo-cups-XXXXXX"))
{
    if (!m_dir.isValid()) {
        m_problem = QStringLiteral("no temporary folder: %1").arg(m_dir.errorString());
        return;
    }
    // The scheduler's filters run as the unprivileged "lp" user and must reach the spool.
    using File = QFileDevice;
    const File::Permissions owner = File::ReadOwner | File::WriteOwner | File::ExeOwner;
    const File::Permissions enter =
        File::ReadGroup | File::ExeGroup | File::ReadOther | File::ExeOther;
    QFile::setPermissions(m_dir.path(), owner | enter);
    for (const char *folder :
         {"root", "root/ppd", "spool", "tmp", "cache", "state", "log", "home"}) {
        QDir().mkpath(path(QLatin1String(folder)));
    }
    QFile::setPermissions(path(QStringLiteral("tmp")), owner | enter | File::WriteOther);

    // Anyone on the socket may do anything: the socket is ours and lives in our folder.
    const QString daemonConfig = QStringLiteral("Listen %1\n"
                                                "Browsing No\n"
                                                "WebInterface No\n"
                                                "DefaultAuthType None\n"
                                                "LogLevel debug\n"
                                                "PreserveJobFiles Yes\n"
                                                "PreserveJobHistory Yes\n"
                                                "<Location />\n  Order allow,deny\n"
                                                "  Allow all\n</Location>\n"
                                                "<Policy default>\n  <Limit All>\n"
                                                "    Order deny,allow\n  </Limit>\n"
                                                "</Policy>\n")
                                     .arg(socketPath());
    const QString filesConfig =
        QStringLiteral("ServerRoot %1\n"
                       "RequestRoot %2\n"
                       "TempDir %3\n"
                       "CacheDir %4\n"
                       "StateDir %5\n"
                       "AccessLog %6/access_log\n"
                       "ErrorLog %6/error_log\n"
                       "PageLog %6/page_log\n"
                       "Printcap %7\n"
                       "SystemGroup root\n")
            .arg(path(QStringLiteral("root")), path(QStringLiteral("spool")),
                 path(QStringLiteral("tmp")), path(QStringLiteral("cache")),
                 path(QStringLiteral("state")), path(QStringLiteral("log")),
                 path(QStringLiteral("printcap")));
    if (!writeFile(path(QStringLiteral("root/cupsd.conf")), daemonConfig) ||
        !writeFile(path(QStringLiteral("root/cups-files.conf")), filesConfig)) {
        m_problem = QStringLiteral("cannot write the scheduler's configuration");
        return;
    }

    // This process and the tools it runs talk to our scheduler only, and read no printer
    // choices from the machine's or the user's settings.
    qputenv("CUPS_SERVER", socketPath().toLocal8Bit());
    qputenv("CUPS_SERVERROOT", path(QStringLiteral("root")).toLocal8Bit());
    qputenv("HOME", path(QStringLiteral("home")).toLocal8Bit());
    qunsetenv("LPDEST");
    qunsetenv("PRINTER");
}

CupsSandbox::~CupsSandbox()
{
    forceStop();
}

bool CupsSandbox::start(QString *why)
{
    if (!m_problem.isEmpty()) {
        *why = m_problem;
        return false;
    }
    if (!QFile::exists(QLatin1String(kDaemon))) {
        *why = QStringLiteral("%1 is not installed").arg(QLatin1String(kDaemon));
        return false;
    }
    m_daemon = std::make_unique<QProcess>();
    m_daemon->setProcessChannelMode(QProcess::MergedChannels);
    // Should this test die without cleaning up, the scheduler goes with it.
    m_daemon->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_daemon->start(QLatin1String(kDaemon),
                    {QStringLiteral("-f"), QStringLiteral("-c"),
                     path(QStringLiteral("root/cupsd.conf")), QStringLiteral("-s"),
                     path(QStringLiteral("root/cups-files.conf"))});
    if (m_daemon->state() == QProcess::NotRunning) {
        *why = QStringLiteral("cupsd could not be run: %1").arg(m_daemon->errorString());
        return false;
    }
    return true;
}

bool CupsSandbox::running() const
{
    return m_daemon && m_daemon->state() != QProcess::NotRunning;
}

bool CupsSandbox::accepting() const
{
    if (!running())
        return false;
    // A Unix socket connects at once or not at all.
    const QByteArray name = QFile::encodeName(socketPath());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::copy(name.begin(), name.end(), address.sun_path);
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const bool connected =
        ::connect(probe, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    close(probe);
    return connected;
}

void CupsSandbox::requestStop()
{
    if (running())
        m_daemon->terminate();
}

bool CupsSandbox::finished() const
{
    return !running();
}

void CupsSandbox::forceStop()
{
    if (!m_daemon)
        return;
    if (m_daemon->state() != QProcess::NotRunning)
        m_daemon->kill();
    // QProcess reaps the killed child as it is destroyed.
    m_daemon.reset();
}

QString CupsSandbox::socketPath() const
{
    return path(QStringLiteral("cups.sock"));
}

QString CupsSandbox::jobFile(int jobId) const
{
    return path(QStringLiteral("spool/d%1-001").arg(jobId, 5, 10, QLatin1Char('0')));
}

QString CupsSandbox::diagnostics() const
{
    QString output;
    if (m_daemon)
        output = QString::fromLocal8Bit(m_daemon->readAll());
    return output + QLatin1Char('\n') + tail(path(QStringLiteral("log/error_log")), 30);
}

QList<int> CupsSandbox::jobIds(const QString &queue)
{
    QList<int> ids;
    const ToolRun lpstat =
        runTool(QStringLiteral("lpstat"),
                {QStringLiteral("-W"), QStringLiteral("all"), QStringLiteral("-o"), queue});
    if (!lpstat.succeeded())
        return ids;
    const QRegularExpression row(
        QStringLiteral("^%1-(\\d+)\\s").arg(QRegularExpression::escape(queue)),
        QRegularExpression::MultilineOption);
    auto matches = row.globalMatch(QString::fromLocal8Bit(lpstat.output));
    while (matches.hasNext())
        ids.append(matches.next().captured(1).toInt());
    std::sort(ids.begin(), ids.end());
    return ids;
}

int CupsSandbox::pendingJobCount()
{
    const ToolRun lpstat = runTool(QStringLiteral("lpstat"), {QStringLiteral("-o")});
    if (!lpstat.succeeded())
        return -1;
    return int(lpstat.output.count('\n'));
}

QString CupsSandbox::pdfWriterOutputDirectory()
{
    // The writer's own default, then its configuration file's "Out" line.
    QString out = QStringLiteral("/var/spool/cups-pdf/${USER}");
    QFile config(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (config.open(QIODevice::ReadOnly)) {
        static const QRegularExpression outLine(QStringLiteral("^\\s*Out\\s+(\\S.*)$"),
                                                QRegularExpression::MultilineOption);
        auto matches = outLine.globalMatch(QString::fromLocal8Bit(config.readAll()));
        while (matches.hasNext())
            out = matches.next().captured(1).trimmed();
    }
    // The writer expands these from the job owner's account, not from our environment.
    const passwd *user = getpwuid(geteuid());
    if (user) {
        out.replace(QStringLiteral("${HOME}"), QString::fromLocal8Bit(user->pw_dir));
        out.replace(QStringLiteral("${USER}"), QString::fromLocal8Bit(user->pw_name));
    }
    return out;
}

} // namespace printtest
