#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace printtest {

// A private CUPS scheduler for one test program: its own configuration, spool, logs and
// socket, so the machine's printers and settings are neither seen nor changed. Only the
// queue's PDF writer (cups-pdf) keeps its system-wide configuration and output folder.
class CupsSandbox
{
public:
    // Lays out the scheduler's files and points this process's spooler clients at its socket.
    // Create it before the application object: libcups settles on its server at first use.
    CupsSandbox();
    ~CupsSandbox();
    CupsSandbox(const CupsSandbox &) = delete;
    CupsSandbox &operator=(const CupsSandbox &) = delete;

    // Why the files could not be laid out; empty when they were.
    QString setupProblem() const { return m_problem; }

    // Starts cupsd in the foreground as a child that dies with this process. The scheduler is
    // ready once accepting() holds; until then running() tells whether it is still trying.
    bool start(QString *why);
    bool running() const;
    bool accepting() const;

    // Asks the scheduler to finish; finished() holds once it has. forceStop() does not ask.
    void requestStop();
    bool finished() const;
    void forceStop();

    QString socketPath() const;
    QString jobFile(int jobId) const; // the first document of a job, kept after printing
    QString diagnostics() const;      // the scheduler's own output and the end of its log

    // The spool's job ids for `queue`, finished ones included; empty when lpstat fails.
    static QList<int> jobIds(const QString &queue);

    // How many jobs wait or print on any queue; -1 when lpstat fails.
    static int pendingJobCount();

    // Where the PDF writer puts the files of jobs printed by this process's user.
    static QString pdfWriterOutputDirectory();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QString m_problem;
    std::unique_ptr<QProcess> m_daemon;
};

} // namespace printtest
