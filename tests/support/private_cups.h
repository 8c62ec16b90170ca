#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include <sys/prctl.h>

#include <csignal>

// A print scheduler of a test's own, on a socket in a temporary folder, so nothing of the
// machine's printers is used or changed. Every request is logged to <root>/access_log; jobs wait
// in <root>/spool as dNNNNN-001.
namespace testsupport {

// Writes the scheduler's configuration under `root` and points this process, and the programs
// it starts, at it. Empty on success, otherwise what went wrong.
inline QString preparePrivateCups(const QString &root)
{
    qputenv("CUPS_SERVER", QFile::encodeName(root + QStringLiteral("/cups.sock")));
    qputenv("HOME", QFile::encodeName(root)); // no lpoptions of the operator's
    qunsetenv("LPDEST");
    qunsetenv("PRINTER");
    if (!QDir(root).mkpath(QStringLiteral("ppd")) || !QDir(root).mkpath(QStringLiteral("spool")))
        return QStringLiteral("cannot make the scheduler's folders in ") + root;
    const auto write = [&root](const char *name, const char *text) {
        QFile file(root + u'/' + QLatin1String(name));
        return file.open(QIODevice::WriteOnly)
               && file.write(QString::fromLatin1(text).arg(root).toUtf8()) > 0;
    };
    // Anyone on our socket may do anything.
    const bool written
        = write("cupsd.conf",
                "Listen %1/cups.sock\nBrowsing No\nDefaultAuthType None\nAccessLogLevel all\n"
                "<Location />\nAllow all\n</Location>\n"
                "<Policy default>\n<Limit All>\nOrder deny,allow\n</Limit>\n</Policy>\n")
          && write("cups-files.conf",
                   "ServerRoot %1\nRequestRoot %1/spool\nCacheDir %1\nStateDir %1\n"
                   "ErrorLog %1/log\nAccessLog %1/access_log\nPageLog %1/log\n"
                   "Printcap %1/printcap\nFileDevice Yes\n");
    return written ? QString() : QStringLiteral("cannot write the scheduler's configuration");
}

// Starts the scheduler on that configuration; should the test die, the scheduler goes with it.
inline void startPrivateCups(QProcess &scheduler, const QString &root)
{
    scheduler.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    scheduler.start(
        QStringLiteral("/usr/sbin/cupsd"),
        QStringLiteral("-f -c %1/cupsd.conf -s %1/cups-files.conf").arg(root).split(u' '));
}

} // namespace testsupport
