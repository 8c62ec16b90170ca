#include "register_export.h"
#include "records_text.h"

#include "output_file.h"
#include "sheet_numbers.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <numeric>

namespace estrivo {

using namespace Qt::StringLiterals;

namespace {

// Rows go to the device in blocks of about this size, as the sheets' export does.
constexpr qsizetype kBlockBytes = 256 * 1024;
constexpr std::size_t kCollectionColumns = 8; // collection_id .. doses_produced
constexpr std::size_t kMovementColumns = kRegisterColumnCount - kCollectionColumns;

constexpr int kResolutionDpi = 300;
constexpr double kMarginMm = 12.0;
constexpr double kTitlePoints = 14.0;
constexpr double kSectionPoints = 11.0;
constexpr double kTextPoints = 9.0;
constexpr double kTablePoints = 6.5;
constexpr double kRowLines = 2.0;        // each register row has room for two lines of text
constexpr double kLineSpacing = 1.3;     // a line's height over its point size
constexpr qsizetype kLongestValue = 160; // of a transport sheet's value: the page must hold all

QString isoDay(const QDate &day)
{
    return day.isValid() ? day.toString(Qt::ISODate) : QString();
}

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

void appendCell(QString &line, const QString &cell)
{
    if (!line.isEmpty())
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
        appendCell(part, cell);
    return part;
}

QString movementCells(const RegisterRow &row, LocalTimes &times)
{
    if (!row.movement)
        return QString(qsizetype(kMovementColumns), u',');
    const Movement &m = *row.movement;
    const std::array<QString, kMovementColumns> cells{
        QString::number(m.id),
        movementKindName(m.kind),
        times.text(m.movedAt),
        QString::number(m.doses),
        m.consignee,
        m.mare,
        m.mareUeln,
        m.address,
        m.country,
        m.carrier,
        m.tracking,
        m.container,
        isoDay(m.dueBack),
        m.kind == MovementKind::Dispatched ? times.text(row.containerBackAt) : QString(),
        m.reason,
        m.operatorName};
    QString part;
    for (const QString &cell : cells)
        appendCell(part, cell);
    return u',' + part;
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

// A number as a sheet of paper shows it: rounded to `decimals`; a text with none as kept.
QString shownNumber(const QString &kept, int decimals)
{
    const std::optional<double> value = numberIn(kept);
    return value ? QLocale::c().toString(*value, 'f', decimals) : kept;
}

QString withUnit(const QString &kept, int decimals, const QString &unit)
{
    const QString shown = shownNumber(kept, decimals);
    return shown.isEmpty() || !numberIn(kept) ? shown : shown + u' ' + unit;
}

QString localMinute(const QDateTime &time)
{
    return time.isValid() ? time.toLocalTime().toString(u"yyyy-MM-dd HH:mm"_s) : QString();
}

QString joined(const QStringList &parts, const QString &separator)
{
    QStringList kept;
    for (const QString &part : parts) {
        if (!part.trimmed().isEmpty())
            kept << part.trimmed();
    }
    return kept.join(separator);
}

QString movementWord(MovementKind kind)
{
    switch (kind) {
    case MovementKind::Dispatched:
        return RecordsText::tr("dispatched");
    case MovementKind::Used:
        return RecordsText::tr("used");
    case MovementKind::Destroyed:
        return RecordsText::tr("destroyed");
    case MovementKind::Returned:
        return RecordsText::tr("returned");
    case MovementKind::Adjusted:
        return RecordsText::tr("adjusted");
    }
    return {};
}

QString markingText(StationProfile::Marking marking)
{
    return marking == StationProfile::Marking::Eu ? RecordsText::tr("EU marking")
                                                  : RecordsText::tr("no marking");
}

QString rangeText(const SheetFilter &filter)
{
    if (filter.since.isValid() && filter.until.isValid())
        return RecordsText::tr("Collections from %1 to %2")
            .arg(isoDay(filter.since), isoDay(filter.until));
    if (filter.since.isValid())
        return RecordsText::tr("Collections from %1").arg(isoDay(filter.since));
    if (filter.until.isValid())
        return RecordsText::tr("Collections until %1").arg(isoDay(filter.until));
    return RecordsText::tr("Every kept collection");
}

// The register's columns on paper: fewer than the CSV's, several facts to a cell.
enum class PaperColumn {
    Collection,
    Collected,
    Stallion,
    Identity,
    Made,
    Movement,
    MovedAt,
    Doses,
    Consignee,
    Destination,
    Carrier,
    Container,
    Reason,
    Operator,
};
constexpr int kPaperColumnCount = int(PaperColumn::Operator) + 1;
constexpr std::array<double, kPaperColumnCount> kPaperWeights{1.0, 1.2, 1.3, 1.9, 0.7, 1.2, 1.2,
                                                              0.6, 1.8, 1.9, 1.5, 1.5, 1.3, 0.9};

QString paperTitle(PaperColumn column)
{
    switch (column) {
    case PaperColumn::Collection:
        return RecordsText::tr("Collection");
    case PaperColumn::Collected:
        return RecordsText::tr("Collected");
    case PaperColumn::Stallion:
        return RecordsText::tr("Stallion");
    case PaperColumn::Identity:
        return RecordsText::tr("UELN, breed, born");
    case PaperColumn::Made:
        return RecordsText::tr("Doses made");
    case PaperColumn::Movement:
        return RecordsText::tr("Movement");
    case PaperColumn::MovedAt:
        return RecordsText::tr("When");
    case PaperColumn::Doses:
        return RecordsText::tr("Doses");
    case PaperColumn::Consignee:
        return RecordsText::tr("Consignee, mare");
    case PaperColumn::Destination:
        return RecordsText::tr("Address, country");
    case PaperColumn::Carrier:
        return RecordsText::tr("Carrier, tracking");
    case PaperColumn::Container:
        return RecordsText::tr("Container, due, back");
    case PaperColumn::Reason:
        return RecordsText::tr("Reason");
    case PaperColumn::Operator:
        return RecordsText::tr("Operator");
    }
    return {};
}

bool isPaperNumber(PaperColumn column)
{
    return column == PaperColumn::Collection || column == PaperColumn::Made
           || column == PaperColumn::Doses;
}

std::array<QString, kPaperColumnCount> paperCells(const RegisterRow &row)
{
    const Stallion *stallion = row.stallion ? &*row.stallion : nullptr;
    std::array<QString, kPaperColumnCount> cells;
    cells[int(PaperColumn::Collection)] = QString::number(row.sheet.id);
    cells[int(PaperColumn::Collected)] = localMinute(collectionTime(row.sheet));
    cells[int(PaperColumn::Stallion)]
        = stallion && !stallion->name.isEmpty() ? stallion->name : row.sheet.stallion;
    if (stallion) {
        cells[int(PaperColumn::Identity)]
            = joined({stallion->ueln, stallion->breed, isoDay(stallion->born)}, u", "_s);
    } else {
        cells[int(PaperColumn::Identity)] = RecordsText::tr("(not registered)");
    }
    cells[int(PaperColumn::Made)] = QString::number(row.produced);
    if (!row.movement)
        return cells;
    const Movement &m = *row.movement;
    QString movement = u"#%1 %2"_s.arg(m.id).arg(movementWord(m.kind));
    if (m.of > 0)
        movement += u" (#%1)"_s.arg(m.of);
    cells[int(PaperColumn::Movement)] = movement;
    cells[int(PaperColumn::MovedAt)] = localMinute(m.movedAt);
    cells[int(PaperColumn::Doses)] = QString::number(m.doses);
    cells[int(PaperColumn::Consignee)]
        = joined({m.consignee, joined({m.mare, m.mareUeln}, u" "_s)}, u"; "_s);
    cells[int(PaperColumn::Destination)] = joined({m.address, m.country}, u", "_s);
    cells[int(PaperColumn::Carrier)] = joined({m.carrier, m.tracking}, u", "_s);
    QStringList container{m.container};
    if (m.dueBack.isValid())
        container << RecordsText::tr("due %1").arg(isoDay(m.dueBack));
    if (m.kind == MovementKind::Dispatched && row.containerBackAt.isValid())
        container << RecordsText::tr("back %1").arg(localMinute(row.containerBackAt));
    if (m.containerBack)
        container << RecordsText::tr("container back");
    cells[int(PaperColumn::Container)] = joined(container, u", "_s);
    cells[int(PaperColumn::Reason)] = m.reason;
    cells[int(PaperColumn::Operator)] = joined({m.operatorName, m.workstation}, u"@"_s);
    return cells;
}

// Pages of A4 with a foot "Page N of M", drawn with a QPainter on a QPdfWriter.
class Pages
{
public:
    Pages(QPdfWriter &writer, QPainter &painter)
        : m_writer(writer)
        , m_painter(painter)
        , m_font(u"Liberation Sans"_s)
    {
        const QRectF paint = writer.pageLayout().paintRectPixels(writer.resolution());
        m_page = paint.translated(-paint.topLeft());
        m_font.setStyleHint(QFont::SansSerif);
        m_page.setBottom(m_page.bottom() - lineHeight(kTextPoints) * 1.5); // the foot
        m_y = m_page.top();
    }

    double unitsPerPoint() const { return m_writer.resolution() / 72.0; }
    double lineHeight(double points) const { return points * kLineSpacing * unitsPerPoint(); }
    const QRectF &page() const { return m_page; }
    double y() const { return m_y; }
    void advance(double height) { m_y += height; }
    double left() const { return m_page.bottom() - m_y; }

    QFont font(double points, bool bold = false) const
    {
        QFont font = m_font;
        font.setPointSizeF(points);
        font.setBold(bold);
        return font;
    }

    // A paragraph across the page, wrapped; drawn only when `draw`.
    void paragraph(const QString &text, double points, bool bold, bool draw)
    {
        if (text.isEmpty())
            return;
        const QFont shown = font(points, bold);
        const QFontMetricsF metrics(shown, &m_writer);
        const QRectF bounds = metrics.boundingRect(
            QRectF(m_page.left(), m_y, m_page.width(), m_page.height()), Qt::TextWordWrap, text);
        if (draw) {
            m_painter.setFont(shown);
            m_painter.drawText(bounds, Qt::TextWordWrap, text);
        }
        m_y += bounds.height() + lineHeight(points) * 0.25;
    }

    void foot(int page, int pages)
    {
        m_painter.setFont(font(kTextPoints));
        m_painter.drawText(
            QRectF(m_page.left(), m_page.bottom(), m_page.width(), lineHeight(kTextPoints) * 1.5),
            Qt::AlignRight | Qt::AlignBottom,
            RecordsText::tr("Page %1 of %2").arg(page).arg(pages));
    }

    bool newPage()
    {
        if (!m_writer.newPage())
            return false;
        m_y = m_page.top();
        return true;
    }

    QPainter &painter() { return m_painter; }
    QPdfWriter &writer() { return m_writer; }

private:
    QPdfWriter &m_writer;
    QPainter &m_painter;
    QRectF m_page; // the printable area above the foot
    QFont m_font;
    double m_y = 0.0;
};

void setUpPdf(QPdfWriter &writer, const QString &title, QPageLayout::Orientation orientation)
{
    writer.setResolution(kResolutionDpi);
    writer.setTitle(title);
    writer.setCreator(u"Estrivo Records"_s);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
}

// Draws the register's table: the heading on the first page, the column titles on each, rows
// of a fixed height, so how many fit a page is known before the first is drawn.
class RegisterTable
{
public:
    explicit RegisterTable(Pages &pages)
        : m_pages(pages)
    {}

    double rowHeight() const { return m_pages.lineHeight(kTablePoints) * kRowLines; }
    double titlesHeight() const { return m_pages.lineHeight(kTablePoints) * 2.2; }

    // How many pages `rows` rows take below a heading that ends at `headingEnd`.
    int pagesFor(qint64 rows, double headingEnd) const
    {
        const double firstRoom = m_pages.page().bottom() - headingEnd - titlesHeight();
        const double otherRoom = m_pages.page().height() - titlesHeight();
        const qint64 onFirst = std::max<qint64>(0, qint64(firstRoom / rowHeight()));
        const qint64 onOther = std::max<qint64>(1, qint64(otherRoom / rowHeight()));
        if (rows <= onFirst)
            return 1;
        return int(std::min<qint64>(1 + (rows - onFirst + onOther - 1) / onOther, INT_MAX));
    }

    void start(int pages)
    {
        m_pageCount = pages;
        columnTitles();
    }

    bool row(const RegisterRow &row)
    {
        if (m_pages.left() < rowHeight()) {
            m_pages.foot(m_page, m_pageCount);
            if (!m_pages.newPage())
                return false;
            ++m_page;
            columnTitles();
        }
        QPainter &painter = m_pages.painter();
        painter.setFont(m_pages.font(kTablePoints));
        const std::array<QString, kPaperColumnCount> cells = paperCells(row);
        double x = m_pages.page().left();
        const double padding = m_pages.unitsPerPoint() * 1.5;
        for (int column = 0; column < kPaperColumnCount; ++column) {
            const double width = columnWidth(column);
            const QRectF cell(x + padding, m_pages.y(), width - 2 * padding, rowHeight());
            // Two lines at most: a line break in a kept text is a blank here.
            QString text = cells[std::size_t(column)].simplified();
            const QFontMetricsF metrics(painter.font(), painter.device());
            // Wrapped lines break at words, so an elided text may still take a third line:
            // shortened further until two hold it.
            const QString whole = text;
            for (double share = 0.95;
                 share > 0.3
                 && metrics.boundingRect(cell, Qt::TextWordWrap, text).height() > cell.height();
                 share -= 0.15)
                text = metrics.elidedText(whole, Qt::ElideRight, cell.width() * kRowLines * share);
            painter.save();
            painter.setClipRect(cell);
            painter.drawText(
                cell,
                Qt::AlignTop | Qt::TextWordWrap
                    | (isPaperNumber(PaperColumn(column)) ? Qt::AlignRight : Qt::AlignLeft),
                text);
            painter.restore();
            x += width;
        }
        m_pages.advance(rowHeight());
        return true;
    }

    void finish() { m_pages.foot(m_page, m_pageCount); }

private:
    double columnWidth(int column) const
    {
        static const double total
            = std::accumulate(kPaperWeights.begin(), kPaperWeights.end(), 0.0);
        return m_pages.page().width() * kPaperWeights[std::size_t(column)] / total;
    }

    void columnTitles()
    {
        QPainter &painter = m_pages.painter();
        painter.setFont(m_pages.font(kTablePoints, true));
        double x = m_pages.page().left();
        const double padding = m_pages.unitsPerPoint() * 1.5;
        for (int column = 0; column < kPaperColumnCount; ++column) {
            const double width = columnWidth(column);
            painter.drawText(
                QRectF(x + padding, m_pages.y(), width - 2 * padding, titlesHeight()),
                Qt::AlignBottom | Qt::TextWordWrap
                    | (isPaperNumber(PaperColumn(column)) ? Qt::AlignRight : Qt::AlignLeft),
                paperTitle(PaperColumn(column)));
            x += width;
        }
        m_pages.advance(titlesHeight());
        const double y = m_pages.y();
        painter.drawLine(QPointF(m_pages.page().left(), y), QPointF(m_pages.page().right(), y));
        m_pages.advance(m_pages.unitsPerPoint());
    }

    Pages &m_pages;
    int m_page = 1;
    int m_pageCount = 1;
};

// The station's lines on top of the register and the transport sheet.
QStringList stationLines(const StationProfile &station)
{
    QStringList lines;
    lines << RecordsText::tr("Station: %1")
                 .arg(station.name.isEmpty() ? RecordsText::tr("(not named)") : station.name);
    lines << RecordsText::tr("Approval number: %1; %2")
                 .arg(station.approval.isEmpty() ? RecordsText::tr("(none)") : station.approval,
                      markingText(station.marking));
    if (!station.address.trimmed().isEmpty())
        lines << RecordsText::tr("Address: %1").arg(station.address.simplified());
    return lines;
}

ExportOutcome journalUnreadable(const JournalError &error, qint64 rows, const QString &target)
{
    return {rows, ExportOutcome::Kind::JournalUnreadable, target, error.reason};
}

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
    return (collectionCells(row, stationApproval, times) + movementCells(row, times) + u"\r\n"_s)
        .toUtf8();
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
    LocalTimes times;
    bool written = true;
    const JournalError read = journal.forEachRegisterRow(filter, [&](const RegisterRow &row) {
        if (row.sheet.id != cachedSheet || cachedSheet == 0) {
            cachedSheet = row.sheet.id;
            cachedCells = collectionCells(row, station->approval, times);
        }
        written = writer.put((cachedCells + movementCells(row, times) + u"\r\n"_s).toUtf8());
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

ExportOutcome exportRegisterPdf(Journal &journal, const SheetFilter &filter,
                                const QString &fileName)
{
    using Kind = ExportOutcome::Kind;
    const std::optional<StationProfile> station = journal.stationProfile();
    if (!station)
        return journalUnreadable(journal.lastError(), 0, fileName);
    // The first read counts the rows and fixes them: what is saved meanwhile (ids only grow)
    // is left out of the second, so the pages counted are the pages drawn.
    qint64 rows = 0;
    qint64 lastSheet = 0;
    qint64 lastMovement = 0;
    JournalError read = journal.forEachRegisterRow(filter, [&](const RegisterRow &row) {
        ++rows;
        lastSheet = std::max(lastSheet, row.sheet.id);
        if (row.movement)
            lastMovement = std::max(lastMovement, row.movement->id);
        return true;
    });
    if (!read.ok())
        return journalUnreadable(read, 0, fileName);

    OutputFile file(fileName, journal.location());
    if (!file.begin())
        return exportOutcome(file.problem(), 0, fileName);
    qint64 written = 0;
    bool paged = true;
    {
        QPdfWriter writer(&file);
        const QString title = RecordsText::tr("Register of collections and doses");
        setUpPdf(writer, title, QPageLayout::Landscape);
        QPainter painter;
        if (!painter.begin(&writer))
            return {0, Kind::WriteFailed, fileName,
                    RecordsText::tr("the PDF writer did not start")};
        Pages pages(writer, painter);
        pages.paragraph(title, kTitlePoints, true, true);
        for (const QString &line : stationLines(*station))
            pages.paragraph(line, kTextPoints, false, true);
        pages.paragraph(RecordsText::tr("%1; %2 rows; made %3")
                            .arg(rangeText(filter))
                            .arg(rows)
                            .arg(QDateTime::currentDateTime().toString(u"yyyy-MM-dd HH:mm t"_s)),
                        kTextPoints, false, true);
        pages.advance(pages.lineHeight(kTextPoints) * 0.5);
        RegisterTable table(pages);
        table.start(table.pagesFor(rows, pages.y()));

        // A collection whose movements all came after the count stands as one without any.
        std::optional<RegisterRow> pending; // the collection being drawn, when none of its
        bool pendingDrawn = false;          // rows has been yet
        const auto drawPending = [&] {
            if (pending && !pendingDrawn && paged) {
                pending->movement.reset();
                pending->containerBackAt = {};
                paged = table.row(*pending) && file.problem().ok();
                written += paged ? 1 : 0;
            }
        };
        read = journal.forEachRegisterRow(filter, [&](const RegisterRow &row) {
            if (row.sheet.id > lastSheet)
                return true;
            if (!pending || pending->sheet.id != row.sheet.id) {
                drawPending();
                pending = row;
                pendingDrawn = false;
            }
            if (row.movement && row.movement->id > lastMovement)
                return paged;
            paged = paged && table.row(row) && file.problem().ok();
            written += paged ? 1 : 0;
            pendingDrawn = true;
            return paged;
        });
        drawPending();
        table.finish();
        painter.end();
        if (!file.problem().ok())
            return exportOutcome(file.problem(), written, fileName);
    }
    if (!read.ok())
        return journalUnreadable(read, written, fileName);
    if (!paged)
        return {written, Kind::PageFailed, fileName, {}};
    if (!file.commit())
        return exportOutcome(file.problem(), written, fileName);
    return {written, Kind::None, fileName, {}};
}

ExportOutcome writeTransportSheet(Journal &journal, qint64 dispatchId, const QString &fileName)
{
    using Kind = ExportOutcome::Kind;
    const std::optional<Movement> dispatch = journal.movement(dispatchId);
    if (!dispatch) {
        if (journal.lastError().kind != JournalError::Kind::NotFound)
            return journalUnreadable(journal.lastError(), 0, fileName);
        return {0, Kind::Refused, fileName,
                RecordsText::tr("no movement has the ID %1").arg(dispatchId)};
    }
    if (dispatch->kind != MovementKind::Dispatched) {
        return {0, Kind::Refused, fileName,
                RecordsText::tr("movement %1 is no dispatch (its doses were %2)")
                    .arg(dispatchId)
                    .arg(movementWord(dispatch->kind))};
    }
    const std::optional<SheetRecord> sheet = journal.sheet(dispatch->sheetId);
    if (!sheet)
        return journalUnreadable(journal.lastError(), 0, fileName);
    const std::optional<StationProfile> station = journal.stationProfile();
    if (!station)
        return journalUnreadable(journal.lastError(), 0, fileName);
    std::optional<Stallion> stallion = journal.stallionNamed(sheet->stallion);
    if (!stallion && journal.lastError().kind != JournalError::Kind::NotFound
        && !journal.lastError().ok())
        return journalUnreadable(journal.lastError(), 0, fileName);

    const auto value = [](const QString &text) {
        const QString shown = text.trimmed();
        return shown.size() > kLongestValue ? shown.left(kLongestValue) + u'\u2026' : shown;
    };
    using Lines = QList<std::pair<QString, QString>>;
    const Lines donor{
        {RecordsText::tr("Stallion"), value(stallion ? stallion->name : sheet->stallion)},
        {RecordsText::tr("Species"), value(stallion ? stallion->species : QString())},
        {RecordsText::tr("Breed"), value(stallion ? stallion->breed : QString())},
        {RecordsText::tr("Born"), stallion ? isoDay(stallion->born) : QString()},
        {RecordsText::tr("UELN"), value(stallion ? stallion->ueln : QString())},
        {RecordsText::tr("Registration"), value(stallion ? stallion->registration : QString())},
        {RecordsText::tr("Owner"), value(stallion ? stallion->owner : QString())},
    };
    const Lines collection{
        {RecordsText::tr("Collection"), QString::number(sheet->id)},
        {RecordsText::tr("Collected"), localMinute(collectionTime(*sheet))},
        {RecordsText::tr("Concentration"), withUnit(sheet->text(Field::Con), 1, u"M/ml"_s)},
        {RecordsText::tr("Motility"), withUnit(sheet->text(Field::Motility), 0, u"%"_s)},
        {RecordsText::tr("Sperm per dose"), withUnit(sheet->text(Field::TotalDose), 0, u"M"_s)},
        {RecordsText::tr("Volume per dose"), withUnit(sheet->text(Field::VPD), 2, u"ml"_s)},
        {RecordsText::tr("Semen per dose"), withUnit(sheet->text(Field::SemenVol), 2, u"ml"_s)},
        {RecordsText::tr("Extender per dose"), withUnit(sheet->text(Field::ExtVol), 2, u"ml"_s)},
    };
    const Lines consignment{
        {RecordsText::tr("Doses"), QString::number(dispatch->doses)},
        {RecordsText::tr("Dispatched"), localMinute(dispatch->movedAt)},
        {RecordsText::tr("Consignee"), value(dispatch->consignee)},
        {RecordsText::tr("Mare"), value(joined({dispatch->mare, dispatch->mareUeln}, u", "_s))},
        {RecordsText::tr("Address"), value(dispatch->address)},
        {RecordsText::tr("Country"), dispatch->country},
        {RecordsText::tr("Vet"), value(dispatch->vet)},
        {RecordsText::tr("Carrier"), value(dispatch->carrier)},
        {RecordsText::tr("Tracking"), value(dispatch->tracking)},
        {RecordsText::tr("Container"), value(dispatch->container)},
        {RecordsText::tr("Due back"), isoDay(dispatch->dueBack)},
        {RecordsText::tr("Operator"), value(dispatch->operatorName)},
    };

    OutputFile file(fileName, journal.location());
    if (!file.begin())
        return exportOutcome(file.problem(), 0, fileName);
    {
        QPdfWriter writer(&file);
        const QString title = RecordsText::tr("Transport sheet: dispatch %1").arg(dispatchId);
        setUpPdf(writer, title, QPageLayout::Portrait);
        QPainter painter;
        if (!painter.begin(&writer))
            return {0, Kind::WriteFailed, fileName,
                    RecordsText::tr("the PDF writer did not start")};
        Pages pages(writer, painter);
        pages.paragraph(title, kTitlePoints, true, true);
        for (const QString &line : stationLines(*station))
            pages.paragraph(line, kTextPoints, false, true);
        const double labelWidth = pages.page().width() * 0.3;
        const auto section = [&](const QString &heading, const Lines &lines) {
            pages.advance(pages.lineHeight(kTextPoints) * 0.6);
            pages.paragraph(heading, kSectionPoints, true, true);
            const QFont font = pages.font(kTextPoints);
            painter.setFont(font);
            const QFontMetricsF metrics(font, &writer);
            for (const auto &[label, text] : lines) {
                const QRectF valueRect(pages.page().left() + labelWidth, pages.y(),
                                       pages.page().width() - labelWidth, pages.page().height());
                const QRectF bounds = metrics.boundingRect(valueRect, Qt::TextWordWrap,
                                                           text.isEmpty() ? u"-"_s : text);
                painter.drawText(
                    QRectF(pages.page().left(), pages.y(), labelWidth, bounds.height()),
                    Qt::AlignLeft | Qt::AlignTop, label);
                painter.drawText(bounds, Qt::TextWordWrap, text.isEmpty() ? u"-"_s : text);
                pages.advance(std::max(bounds.height(), pages.lineHeight(kTextPoints)));
            }
        };
        section(RecordsText::tr("Donor"), donor);
        section(RecordsText::tr("Collection"), collection);
        section(RecordsText::tr("Consignment"), consignment);
        // Room for the hand-over, where the page has it left.
        pages.advance(pages.lineHeight(kTextPoints) * 3);
        if (pages.left() > pages.lineHeight(kTextPoints) * 2) {
            painter.setFont(pages.font(kTextPoints));
            const double half = pages.page().width() / 2;
            for (const auto &[x, text] :
                 {std::pair{pages.page().left(), RecordsText::tr("Handed over (date, signature)")},
                  std::pair{pages.page().left() + half,
                            RecordsText::tr("Received (date, signature)")}}) {
                painter.drawLine(QPointF(x, pages.y()), QPointF(x + half * 0.85, pages.y()));
                painter.drawText(QRectF(x, pages.y(), half, pages.lineHeight(kTextPoints)),
                                 Qt::AlignLeft | Qt::AlignTop, text);
            }
        }
        pages.foot(1, 1);
        painter.end();
        if (!file.problem().ok())
            return exportOutcome(file.problem(), 0, fileName);
    }
    if (!file.commit())
        return exportOutcome(file.problem(), 0, fileName);
    return {1, Kind::None, fileName, {}};
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
