#include "outbox.h"
#include "journal_text.h"

#include <QAtomicInteger>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QIODevice>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace estrivo {

using namespace Qt::StringLiterals;

namespace {

constexpr quint32 kMagic = 0x45535458; // "ESTX"
constexpr quint16 kVersion = 1;
constexpr mode_t kFolderMode = 0700;
constexpr mode_t kFileMode = 0600;

constexpr std::array<QLatin1StringView, 3> kSuffixes{".sheet"_L1, ".reading"_L1, ".outcome"_L1};

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written
            = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

// Makes the folder and the ones above it that are missing, each for this user only.
bool makeFolder(const QString &folder, int *error)
{
    QStringList missing;
    for (QString up = folder; !QFileInfo::exists(up) && up != u"/"_s;
         up = QFileInfo(up).absolutePath())
        missing.prepend(up);
    for (const QString &each : std::as_const(missing)) {
        const QByteArray name = QFile::encodeName(each);
        if (::mkdir(name.constData(), kFolderMode) != 0 && errno != EEXIST) {
            *error = errno;
            return false;
        }
    }
    return true;
}

} // namespace

Outbox::Outbox(const QString &location)
    : m_location(location)
    , m_folder(folderFor(location))
{}

QString Outbox::folderFor(const QString &location)
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + "/.local/state"_L1;
    // One folder per journal: a sheet waiting for one journal never goes to another.
    const QByteArray name
        = QCryptographicHash::hash(location.toUtf8(), QCryptographicHash::Sha256).toHex().left(24);
    return state + "/estrivo/outbox/"_L1 + QString::fromLatin1(name);
}

JournalError Outbox::write(Kind kind, const QString &uid, const QByteArray &bytes)
{
    const auto failed = [this](int error) {
        return JournalError{JournalError::Kind::WriteFailed,
                            JournalText::tr("It could not be kept on this computer either (%1): "
                                            "%2.")
                                .arg(m_folder, systemError(error))};
    };
    int error = 0;
    if (!makeFolder(m_folder, &error))
        return failed(error);
    // The order of keeping is the order of delivering: a reading before the sheet that
    // names it, a sheet before its print outcome.
    static QAtomicInteger<quint32> sequence;
    const QString name
        = u"%1-%2-%3%4"_s.arg(QDateTime::currentMSecsSinceEpoch(), 13, 10, QChar(u'0'))
              .arg(sequence.fetchAndAddRelaxed(1) % 100000, 5, 10, QChar(u'0'))
              .arg(uid, kSuffixes[std::size_t(kind)]);
    const QByteArray path = QFile::encodeName(m_folder + u'/' + name);
    const QByteArray part = path + ".part";
    const int fd = ::open(part.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                          kFileMode);
    if (fd < 0)
        return failed(errno);
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    error = errno;
    ::close(fd);
    if (!written || ::rename(part.constData(), path.constData()) != 0) {
        error = written ? errno : error;
        ::unlink(part.constData());
        return failed(error);
    }
    // The new name is on the disk only once its folder is.
    const int folder
        = ::open(QFile::encodeName(m_folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}

JournalError Outbox::keep(const SheetRecord &sheet)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << kMagic << kVersion << quint8(Kind::Sheet) << m_location << sheet.uid << sheet.readingUid
        << sheet.savedAt << sheet.stallion << sheet.notes << sheet.workstation
        << sheet.operatorName << sheet.programVersion << sheet.printed << sheet.printer
        << sheet.picturePng << sheet.readingId.has_value() << sheet.readingId.value_or(0)
        << qint32(kFieldCount);
    for (const QString &text : sheet.fields)
        out << text;
    return write(Kind::Sheet, sheet.uid, bytes);
}

JournalError Outbox::keep(const ReadingRecord &reading)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << kMagic << kVersion << quint8(Kind::Reading) << m_location << reading.uid
        << reading.takenAt << reading.port << reading.reply << reading.value;
    return write(Kind::Reading, reading.uid, bytes);
}

JournalError Outbox::keep(const PrintOutcomeRecord &outcome)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << kMagic << kVersion << quint8(Kind::Outcome) << m_location << outcome.sheetUid
        << outcome.printed << outcome.printer;
    return write(Kind::Outcome, outcome.sheetUid, bytes);
}

QStringList Outbox::pending() const
{
    QStringList filters;
    for (const QLatin1StringView suffix : kSuffixes)
        filters << u'*' + QString(suffix);
    // Names start with the time and a sequence: their order is the order of keeping.
    return QDir(m_folder).entryList(filters, QDir::Files | QDir::NoSymLinks, QDir::Name);
}

int Outbox::count(Kind kind) const
{
    const QString suffix = kSuffixes[std::size_t(kind)];
    int found = 0;
    for (const QString &entry : pending())
        found += entry.endsWith(suffix) ? 1 : 0;
    return found;
}

std::optional<Outbox::Item> Outbox::read(const QString &entry) const
{
    QFile file(m_folder + u'/' + entry);
    const auto bad = [&] {
        // Set aside, never deleted: someone may want to look at it.
        QFile::rename(file.fileName(), file.fileName() + ".bad"_L1);
        return std::optional<Item>();
    };
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QDataStream in(&file);
    quint32 magic = 0;
    quint16 version = 0;
    quint8 kind = 0;
    QString location;
    in >> magic >> version >> kind >> location;
    if (magic != kMagic || version != kVersion || location != m_location)
        return bad();
    Item item;
    if (kind == quint8(Kind::Sheet)) {
        SheetRecord sheet;
        qint32 fields = 0;
        bool hasReading = false;
        qint64 readingId = 0;
        in >> sheet.uid >> sheet.readingUid >> sheet.savedAt >> sheet.stallion >> sheet.notes
            >> sheet.workstation >> sheet.operatorName >> sheet.programVersion >> sheet.printed
            >> sheet.printer >> sheet.picturePng >> hasReading >> readingId >> fields;
        if (hasReading)
            sheet.readingId = readingId;
        if (fields != qint32(kFieldCount))
            return bad();
        for (QString &text : sheet.fields)
            in >> text;
        item = std::move(sheet);
    } else if (kind == quint8(Kind::Reading)) {
        ReadingRecord reading;
        in >> reading.uid >> reading.takenAt >> reading.port >> reading.reply >> reading.value;
        item = std::move(reading);
    } else if (kind == quint8(Kind::Outcome)) {
        PrintOutcomeRecord outcome;
        in >> outcome.sheetUid >> outcome.printed >> outcome.printer;
        item = std::move(outcome);
    } else {
        return bad();
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return bad();
    return item;
}

bool Outbox::remove(const QString &entry) const
{
    const QByteArray path = QFile::encodeName(m_folder + u'/' + entry);
    return ::unlink(path.constData()) == 0 || errno == ENOENT;
}

} // namespace estrivo
