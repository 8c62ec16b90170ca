#include "output_file.h"
#include "records_text.h"

#include "journal_types.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace estrivo {

namespace {

// Text goes to the system in blocks of this size: a PDF is handed over in many small writes.
constexpr qsizetype kBlockBytes = 64 * 1024;

// The first bytes of a SQLite database, and the two magic numbers a write-ahead log starts
// with (big-endian).
constexpr char kDatabaseHeader[] = "SQLite format 3";
constexpr std::array<unsigned char, 4> kWalMagicA{0x37, 0x7f, 0x06, 0x82};
constexpr std::array<unsigned char, 4> kWalMagicB{0x37, 0x7f, 0x06, 0x83};

bool isDatabase(const QByteArray &head)
{
    if (head.size() >= qsizetype(sizeof kDatabaseHeader)
        && std::memcmp(head.constData(), kDatabaseHeader, sizeof kDatabaseHeader) == 0)
        return true;
    if (head.size() < 4)
        return false;
    return std::memcmp(head.constData(), kWalMagicA.data(), 4) == 0
           || std::memcmp(head.constData(), kWalMagicB.data(), 4) == 0;
}

QString whatItIs(mode_t mode)
{
    if (S_ISDIR(mode))
        return RecordsText::tr("a folder");
    if (S_ISFIFO(mode))
        return RecordsText::tr("a FIFO");
    if (S_ISSOCK(mode))
        return RecordsText::tr("a socket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return RecordsText::tr("a device");
    return RecordsText::tr("a special file");
}

// The umask without changing it: umask() itself would set it, for every thread, for a moment.
mode_t currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool number = false;
                const uint mask = line.mid(6).trimmed().toUInt(&number, 8);
                if (number)
                    return mode_t(mask);
            }
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// Whether `target` is the file of the journal at `journal` or one of the files SQLite keeps
// beside it.
bool isJournalFile(const struct stat &target, const QString &journal)
{
    if (journal.isEmpty() || isPostgresLocation(journal))
        return false;
    for (const char *suffix : {"", "-wal", "-shm", "-journal"}) {
        struct stat file;
        if (::stat(QFile::encodeName(journal + QString::fromLatin1(suffix)).constData(), &file)
                == 0
            && file.st_dev == target.st_dev && file.st_ino == target.st_ino)
            return true;
    }
    return false;
}

} // namespace

QString systemErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return RecordsText::tr("the disk is full");
    case EDQUOT:
        return RecordsText::tr("the disk is full (the disk quota is used up)");
    case EFBIG:
        return RecordsText::tr("the disk is full (the file size limit is reached)");
    default:
        return qt_error_string(error);
    }
}

DescriptorWriter::DescriptorWriter(int descriptor)
    : m_descriptor(descriptor)
{
    if (descriptor >= 0)
        QIODevice::open(QIODevice::WriteOnly);
}

DescriptorWriter::~DescriptorWriter() = default;

bool DescriptorWriter::flushBuffer()
{
    const char *data = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0 && m_problem.ok()) {
        const ssize_t written = ::write(m_descriptor, data, std::size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0) {
            fail(OutputProblem::Kind::WriteFailed, errno);
            break;
        }
        data += written;
        left -= written;
    }
    m_buffer.clear();
    return m_problem.ok();
}

qint64 DescriptorWriter::readData(char *, qint64)
{
    return -1;
}

qint64 DescriptorWriter::writeData(const char *data, qint64 size)
{
    if (!m_problem.ok() || m_descriptor < 0)
        return -1;
    m_buffer.append(data, qsizetype(size));
    if (m_buffer.size() >= kBlockBytes && !flushBuffer())
        return -1;
    return size;
}

void DescriptorWriter::fail(OutputProblem::Kind kind, int error)
{
    setProblem({kind, error, systemErrorText(error)});
}

void DescriptorWriter::setProblem(OutputProblem problem)
{
    m_problem = std::move(problem);
    setErrorString(m_problem.detail);
}

OutputFile::OutputFile(QString fileName, QString journal)
    : m_fileName(std::move(fileName))
    , m_journal(std::move(journal))
{}

OutputFile::~OutputFile()
{
    discard();
}

bool OutputFile::refused(OutputProblem::Kind kind, const QString &detail)
{
    setProblem({kind, 0, detail});
    return false;
}

bool OutputFile::begin()
{
    using Kind = OutputProblem::Kind;
    const QByteArray path = QFile::encodeName(m_fileName);
    // The name itself, not what it may lead to.
    struct stat target;
    if (::lstat(path.constData(), &target) != 0) {
        if (errno != ENOENT) {
            fail(Kind::CannotCreate, errno);
            return false;
        }
        m_mode = 0666 & ~currentUmask();
    } else {
        if (S_ISLNK(target.st_mode))
            return refused(Kind::Refused,
                           RecordsText::tr("it is a symbolic link, which may lead to any file"));
        if (!S_ISREG(target.st_mode))
            return refused(
                Kind::NotAFile,
                RecordsText::tr("it is %1, not a regular file").arg(whatItIs(target.st_mode)));
        if (isJournalFile(target, m_journal))
            return refused(Kind::Refused,
                           RecordsText::tr("it is the journal being read, or one of its files"));
        // Its first bytes tell a database; opened so that nothing else put there meanwhile
        // (a FIFO, a link) is waited on or followed.
        const int reader
            = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (reader < 0)
            return refused(Kind::Refused,
                           RecordsText::tr("it could not be read to make sure it holds no "
                                           "database: %1")
                               .arg(systemErrorText(errno)));
        struct stat opened;
        QByteArray head(16, '\0');
        ssize_t read = -1;
        if (::fstat(reader, &opened) == 0 && opened.st_dev == target.st_dev
            && opened.st_ino == target.st_ino)
            read = ::pread(reader, head.data(), std::size_t(head.size()), 0);
        ::close(reader);
        if (read < 0)
            return refused(Kind::Refused, RecordsText::tr("it changed while it was looked at"));
        head.truncate(qsizetype(read));
        if (isDatabase(head))
            return refused(Kind::Refused,
                           RecordsText::tr("it is a SQLite database or write-ahead log"));
        m_mode = target.st_mode & 07777;
    }

    const QFileInfo info(m_fileName);
    QByteArray pattern = QFile::encodeName(info.absolutePath() + QStringLiteral("/.")
                                           + info.fileName() + QStringLiteral(".XXXXXX"));
    // mkostemp makes the file with O_EXCL, readable by its owner only until it is complete.
    const int descriptor = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (descriptor < 0) {
        fail(Kind::CannotCreate, errno);
        return false;
    }
    m_temporary = pattern;
    setDescriptor(descriptor);
    return QIODevice::open(QIODevice::WriteOnly);
}

bool OutputFile::commit()
{
    using Kind = OutputProblem::Kind;
    if (m_temporary.isEmpty() || !problem().ok() || !flushBuffer()) {
        discard();
        return false;
    }
    const int descriptor = this->descriptor();
    // Durable before it takes the name: after a crash the old file or the whole new one.
    if (::fsync(descriptor) != 0 || ::fchmod(descriptor, m_mode) != 0) {
        fail(Kind::WriteFailed, errno);
        discard();
        return false;
    }
    setDescriptor(-1);
    if (::close(descriptor) != 0) {
        fail(Kind::WriteFailed, errno);
        discard();
        return false;
    }
    if (::rename(m_temporary.constData(), QFile::encodeName(m_fileName).constData()) != 0) {
        fail(Kind::WriteFailed, errno);
        discard();
        return false;
    }
    m_temporary.clear();
    QIODevice::close();
    // The rename itself is durable once the folder is.
    const QByteArray folder = QFile::encodeName(QFileInfo(m_fileName).absolutePath());
    const int directory = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ::fsync(directory);
        ::close(directory);
    }
    return true;
}

void OutputFile::discard()
{
    if (descriptor() >= 0) {
        ::close(descriptor());
        setDescriptor(-1);
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
    if (isOpen())
        QIODevice::close();
}

} // namespace estrivo
