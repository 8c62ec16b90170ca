// The register as a PDF for an inspector: a table of its rows, page after page.
#include "records_text.h"
#include "register_export.h"
#include "register_export_parts.h"

#include "output_file.h"
#include "sheet_numbers.h"

#include <QFontMetricsF>
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
using namespace register_paper;

namespace {

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

} // namespace

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

} // namespace estrivo
