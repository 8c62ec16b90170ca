// The register as CSV, one row at a time, and the sentence an export's outcome makes.
#include "register_export.h"
#include "records_text.h"
#include "register_export_parts.h"

#include "output_file.h"
#include "sheet_numbers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <numeric>

namespace estrivo {

using namespace Qt::StringLiterals;
using namespace register_paper;

namespace {

// Rows go to the device in blocks of about this size, as the sheets' export does.
constexpr qsizetype kBlockBytes = 256 * 1024;
constexpr std::size_t kCollectionColumns = 8; // collection_id .. doses_produced
constexpr std::size_t kMovementColumns = kRegisterColumnCount - kCollectionColumns;

// csvTime() for many times: the local zone's offset is looked up once an hour of UTC, not once
// a time (each look-up asks the system for its zone file again). Zones change their offset at
// most once in an hour; an hour with a change, an offset of odd seconds or a year past 9999
// are left to csvTime() itself.
class LocalTimes
{
public:
    QString text(const QDateTime &time)
    {
        if (!time.isValid())
            return {};
        const qint64 msecs = time.toMSecsSinceEpoch();
        const qint64 secs = msecs >= 0 ? msecs / 1000 : -((-msecs + 999) / 1000);
        const qint64 hour = secs >= 0 ? secs / kHour : -((-secs + kHour - 1) / kHour);
        if (hour != m_hour) {
            m_hour = hour;
            const int start = offsetAt(hour * kHour);
            m_steady = start == offsetAt(hour * kHour + kHour - 1) && start % 60 == 0;
            m_offset = start;
            const int minutes = std::abs(start) / 60;
            m_suffix = start == 0 ? u"Z"_s
                                  : u"%1%2:%3"_s.arg(QChar(start < 0 ? u'-' : u'+'))
                                        .arg(minutes / 60, 2, 10, QChar(u'0'))
                                        .arg(minutes % 60, 2, 10, QChar(u'0'));
        }
        const QDateTime local = QDateTime::fromSecsSinceEpoch(secs + m_offset, Qt::UTC);
        const QDate day = local.date();
        if (!m_steady || day.year() < 1 || day.year() > 9999)
            return csvTime(time);
        const QTime at = local.time();
        char text[24];
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", day.year(), day.month(),
                      day.day(), at.hour(), at.minute(), at.second());
        return QString::fromLatin1(text) + m_suffix;
    }

private:
    static constexpr qint64 kHour = 3600;

    static int offsetAt(qint64 secs)
    {
        return QDateTime::fromSecsSinceEpoch(secs, Qt::UTC).toLocalTime().offsetFromUtc();
    }

    qint64 m_hour = std::numeric_limits<qint64>::min();
    int m_offset = 0;
    bool m_steady = false;
    QString m_suffix;
};

// Appends one guarded, quoted-where-needed cell, with the comma before it unless it is the
// line's first.
void appendCell(QString &line, const QString &cell, bool first = false)
{
    if (!first)
        line += u',';
    line += csvCell(guardFormula(cell));
}

// The first eight cells of a collection's rows: the same for each of its movements.
QString collectionCells(const RegisterRow &row, const QString &stationApproval, LocalTimes &times)
{
    const QDateTime collected = collectionTime(row.sheet);
    const Stallion *stallion = row.stallion ? &*row.stallion : nullptr;
    const std::array<QString, kCollectionColumns> cells{
        QString::number(row.sheet.id),
        times.text(collected),
        stallion && !stallion->name.isEmpty() ? stallion->name : row.sheet.stallion,
        stallion ? stallion->ueln : QString(),
        stallion ? stallion->breed : QString(),
        stallion ? isoDay(stallion->born) : QString(),
        stationApproval,
        QString::number(row.produced)};
    QString part;
    for (const QString &cell : cells)
        appendCell(part, cell, &cell == cells.data());
    return part;
}

// The kept word of each kind, made once rather than once a row.
const QString &kindName(MovementKind kind)
{
    static const std::array<QString, 5> names{
        movementKindName(MovementKind::Dispatched), movementKindName(MovementKind::Used),
        movementKindName(MovementKind::Destroyed), movementKindName(MovementKind::Returned),
        movementKindName(MovementKind::Adjusted)};
    return names[std::size_t(kind)];
}

// Appends the movement's sixteen cells, each after its comma; empty ones for none.
void appendMovementCells(QString &line, const RegisterRow &row, LocalTimes &times)
{
    if (!row.movement) {
        line += QString(qsizetype(kMovementColumns), u',');
        return;
    }
    const Movement &m = *row.movement;
    appendCell(line, QString::number(m.id));
    appendCell(line, kindName(m.kind));
    appendCell(line, times.text(m.movedAt));
    appendCell(line, QString::number(m.doses));
    for (const QString *text : {&m.consignee, &m.mare, &m.mareUeln, &m.address, &m.country,
                                &m.carrier, &m.tracking, &m.container})
        appendCell(line, *text);
    appendCell(line, isoDay(m.dueBack));
    appendCell(line,
               m.kind == MovementKind::Dispatched ? times.text(row.containerBackAt) : QString());
    appendCell(line, m.reason);
    appendCell(line, m.operatorName);
}

// Hands rows to the device in blocks, remembering whether every write went through.
class BlockWriter
{
public:
    explicit BlockWriter(QIODevice &out)
        : m_out(out)
    {}
    bool put(const QByteArray &bytes)
    {
        m_buffer += bytes;
        return m_buffer.size() < kBlockBytes || flush();
    }
    bool flush()
    {
        const bool written = m_out.write(m_buffer) == m_buffer.size();
        m_buffer.clear();
        return written;
    }

private:
    QIODevice &m_out;
    QByteArray m_buffer;
};

} // namespace

QStringList registerColumns()
{
    static const std::array<const char *, kRegisterColumnCount> names{"collection_id",
                                                                      "collection_date",
                                                                      "stallion",
                                                                      "ueln",
                                                                      "breed",
                                                                      "born",
                                                                      "station_approval",
                                                                      "doses_produced",
                                                                      "movement_id",
                                                                      "movement",
                                                                      "moved_at",
                                                                      "doses",
                                                                      "consignee",
                                                                      "mare",
                                                                      "mare_ueln",
                                                                      "address",
                                                                      "country",
                                                                      "carrier",
                                                                      "tracking",
                                                                      "container",
                                                                      "due_back",
                                                                      "returned_at",
                                                                      "reason",
                                                                      "operator"};
    QStringList columns;
    for (const char *name : names)
        columns << QString::fromLatin1(name);
    return columns;
}

QByteArray registerCsvLine(const RegisterRow &row, const QString &stationApproval)
{
    LocalTimes times;
    QString line = collectionCells(row, stationApproval, times);
    appendMovementCells(line, row, times);
    line += u"\r\n"_s;
    return line.toUtf8();
}

ExportOutcome exportRegisterCsv(Journal &journal, const SheetFilter &filter, QIODevice &out)
{
    using Kind = ExportOutcome::Kind;
    const std::optional<StationProfile> station = journal.stationProfile();
    if (!station)
        return journalUnreadable(journal.lastError(), 0, {});
    BlockWriter writer(out);
    qint64 rows = 0;
    const auto failedWrite = [&out, &rows] {
        return ExportOutcome{rows, Kind::WriteFailed, {}, out.errorString()};
    };
    if (!writer.put(registerColumns().join(u',').toUtf8() + "\r\n"))
        return failedWrite();
    // A collection's own cells are worked out once for all its movements.
    qint64 cachedSheet = 0;
    QString cachedCells;
    QString line;
    LocalTimes times;
    bool written = true;
    const JournalError read = journal.forEachRegisterRow(filter, [&](const RegisterRow &row) {
        if (row.sheet.id != cachedSheet || cachedSheet == 0) {
            cachedSheet = row.sheet.id;
            cachedCells = collectionCells(row, station->approval, times);
        }
        // One line's buffer for them all: truncating keeps what it has taken.
        line.truncate(0);
        line += cachedCells;
        appendMovementCells(line, row, times);
        line += u"\r\n"_s;
        written = writer.put(line.toUtf8());
        rows += written ? 1 : 0;
        return written;
    });
    if (!written)
        return failedWrite();
    if (!read.ok())
        return journalUnreadable(read, rows, {});
    if (!writer.flush())
        return failedWrite();
    return {rows, Kind::None, {}, {}};
}

ExportOutcome exportRegisterCsvFile(Journal &journal, const SheetFilter &filter,
                                    const QString &fileName)
{
    OutputFile file(fileName, journal.location());
    if (!file.begin())
        return exportOutcome(file.problem(), 0, fileName);
    ExportOutcome outcome = exportRegisterCsv(journal, filter, file);
    outcome.target = fileName;
    if (!outcome.ok()) {
        if (!file.problem().ok())
            outcome = exportOutcome(file.problem(), outcome.rows, fileName);
        file.discard();
        return outcome;
    }
    if (!file.commit())
        return exportOutcome(file.problem(), outcome.rows, fileName);
    return outcome;
}

QString registerOutcomeText(const ExportOutcome &outcome)
{
    if (!outcome.ok())
        return exportOutcomeText(outcome);
    const QString target
        = outcome.target.isEmpty() ? RecordsText::tr("standard output") : outcome.target;
    return outcome.rows == 1
               ? RecordsText::tr("1 register row written to %1").arg(target)
               : RecordsText::tr("%1 register rows written to %2").arg(outcome.rows).arg(target);
}

} // namespace estrivo
