#include "report.h"
#include "records_text.h"

#include "sheet_row.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <array>
#include <climits>
#include <numeric>

namespace estrivo {

namespace {

constexpr int kResolutionDpi = 300;
constexpr double kMarginMm = 12.0;
constexpr double kChartHeightShare = 0.45; // of the first page's height
constexpr double kTitlePoints = 14.0;
constexpr double kTextPoints = 8.0;
constexpr double kTablePoints = 7.0;
constexpr double kRowSpacing = 1.45; // row height over the table's point size

// The columns' shares of the page width, in the list's order.
constexpr std::array<double, kSheetColumnCount> kColumnWeights{1.5, 1.8, 1.9, 1.0, 1.0, 0.9,
                                                               1.0, 1.0, 0.8, 1.0, 0.7, 2.4};

// Lays the report out a page at a time.
class ReportPainter
{
public:
    ReportPainter(QPdfWriter &writer, QPainter &painter)
        : m_writer(writer)
        , m_painter(painter)
        , m_page(
              writer.pageLayout()
                  .paintRectPixels(writer.resolution())
                  .translated(-writer.pageLayout().paintRectPixels(writer.resolution()).topLeft()))
        , m_font(QStringLiteral("Liberation Sans"))
    {
        m_font.setStyleHint(QFont::SansSerif);
        m_y = m_page.top();
    }

    void heading(const ReportHeading &heading, qint64 rows)
    {
        paragraph(heading.title, kTitlePoints, true);
        paragraph(heading.filterText, kTextPoints, false);
        paragraph(RecordsText::tr("%1; made %2")
                      .arg(collectionsText(rows), QDateTime::currentDateTimeUtc().toString(
                                                      QStringLiteral("yyyy-MM-dd HH:mm 'UTC'"))),
                  kTextPoints, false);
        if (heading.chart.size() > 0) {
            // Played back, a picture takes the page's resolution itself: drawn at
            // reportChartSize() of its own resolution, it fills the chart's share of the page.
            m_painter.save();
            m_painter.translate(m_page.left(), m_y);
            m_painter.drawPicture(QPointF(0, 0), heading.chart);
            m_painter.restore();
            m_y += m_page.height() * kChartHeightShare + lineHeight(kTextPoints);
        }
    }

    bool row(const SheetRow &row)
    {
        if (!m_titlesShown || m_y + rowHeight() > m_page.bottom()) {
            if (m_titlesShown && !newPage())
                return false;
            columnTitles();
        }
        QFont font = m_font;
        font.setPointSizeF(kTablePoints);
        m_painter.setFont(font);
        const QFontMetricsF metrics(font, m_painter.device());
        double x = m_page.left();
        for (int column = 0; column < kSheetColumnCount; ++column) {
            const double width = columnWidth(column);
            const auto which = SheetColumn(column);
            const QString text = metrics.elidedText(cellText(row, which), Qt::ElideRight,
                                                    width - cellPadding() * 2);
            m_painter.drawText(
                QRectF(x + cellPadding(), m_y, width - cellPadding() * 2, rowHeight()),
                Qt::AlignVCenter | Qt::TextSingleLine
                    | (isNumberColumn(which) ? Qt::AlignRight : Qt::AlignLeft),
                text);
            x += width;
        }
        m_y += rowHeight();
        return true;
    }

private:
    double unitsPerPoint() const { return m_writer.resolution() / 72.0; }
    double lineHeight(double points) const { return points * 1.4 * unitsPerPoint(); }
    double rowHeight() const { return kTablePoints * kRowSpacing * unitsPerPoint(); }
    double cellPadding() const { return unitsPerPoint() * 2.0; }
    double columnWidth(int column) const
    {
        static const double total
            = std::accumulate(kColumnWeights.begin(), kColumnWeights.end(), 0.0);
        return m_page.width() * kColumnWeights[std::size_t(column)] / total;
    }

    void paragraph(const QString &text, double points, bool bold)
    {
        if (text.isEmpty())
            return;
        QFont font = m_font;
        font.setPointSizeF(points);
        font.setBold(bold);
        m_painter.setFont(font);
        const QRectF bounds = m_painter.boundingRect(
            QRectF(m_page.left(), m_y, m_page.width(), m_page.height()), Qt::TextWordWrap, text);
        m_painter.drawText(bounds, Qt::TextWordWrap, text);
        m_y += bounds.height() + lineHeight(points) * 0.3;
    }

    void columnTitles()
    {
        QFont font = m_font;
        font.setPointSizeF(kTablePoints);
        font.setBold(true);
        m_painter.setFont(font);
        const double height = rowHeight() * 2; // titles take two lines where they need them
        double x = m_page.left();
        for (int column = 0; column < kSheetColumnCount; ++column) {
            const double width = columnWidth(column);
            const auto which = SheetColumn(column);
            m_painter.drawText(QRectF(x + cellPadding(), m_y, width - cellPadding() * 2, height),
                               Qt::AlignBottom | Qt::TextWordWrap
                                   | (isNumberColumn(which) ? Qt::AlignRight : Qt::AlignLeft),
                               columnTitle(which));
            x += width;
        }
        m_y += height;
        m_painter.drawLine(QPointF(m_page.left(), m_y), QPointF(m_page.right(), m_y));
        m_titlesShown = true;
    }

    bool newPage()
    {
        if (!m_writer.newPage())
            return false;
        m_y = m_page.top();
        return true;
    }

    QPdfWriter &m_writer;
    QPainter &m_painter;
    QRectF m_page; // the printable area, in the painter's units
    QFont m_font;
    double m_y = 0.0;
    bool m_titlesShown = false;
};

} // namespace

QSizeF reportChartSize(double dotsPerInch)
{
    constexpr double kMmPerInch = 25.4;
    const QSizeF paper = QPageSize(QPageSize::A4).size(QPageSize::Millimeter).transposed();
    const QSizeF page = paper - QSizeF(2 * kMarginMm, 2 * kMarginMm);
    return QSizeF(page.width(), page.height() * kChartHeightShare) / kMmPerInch * dotsPerInch;
}

ExportOutcome writePdfReport(Journal &journal, const SheetFilter &filter,
                             const ReportHeading &heading, const QString &fileName)
{
    using Kind = ExportOutcome::Kind;
    const qint64 rows = journal.sheetCount(filter);
    if (const JournalError counted = journal.lastError(); !counted.ok())
        return {0, Kind::JournalUnreadable, fileName, counted.reason};

    OutputFile file(fileName, journal.location());
    if (!file.begin())
        return exportOutcome(file.problem(), 0, fileName);
    qint64 written = 0;
    JournalError read;
    {
        QPdfWriter writer(&file);
        writer.setResolution(kResolutionDpi);
        writer.setTitle(heading.title);
        writer.setCreator(QStringLiteral("Estrivo Records"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                         QPageLayout::Millimeter));
        QPainter painter;
        if (!painter.begin(&writer))
            return {0, Kind::WriteFailed, fileName,
                    RecordsText::tr("the PDF writer did not start")};
        ReportPainter report(writer, painter);
        report.heading(heading, rows);
        bool paged = true;
        read = journal.forEachSheet(filter, SheetDetail::Row, [&](const SheetRecord &sheet) {
            paged = report.row(sheetRow(sheet)) && file.problem().ok();
            written += paged ? 1 : 0;
            return paged;
        });
        painter.end();
        // The PDF writer does not report a failed write: the file knows.
        if (!file.problem().ok())
            return exportOutcome(file.problem(), written, fileName);
        if (!paged)
            return {written, Kind::PageFailed, fileName, {}};
    }
    if (!read.ok())
        return {written, Kind::JournalUnreadable, fileName, read.reason};
    if (!file.commit())
        return exportOutcome(file.problem(), written, fileName);
    return {written, Kind::None, fileName, {}};
}

} // namespace estrivo
