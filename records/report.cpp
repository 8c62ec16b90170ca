#include "report.h"
#include "records_text.h"

#include "sheet_row.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSettings>

#include <algorithm>
#include <array>
#include <climits>
#include <map>
#include <numeric>

namespace estrivo {

namespace {

constexpr int kResolutionDpi = 300;
constexpr double kMarginMm = 12.0;
constexpr double kChartHeightShare = 0.45; // of the first page's height
constexpr double kTitlePoints = 14.0;
constexpr double kSectionPoints = 11.0;
constexpr double kTextPoints = 8.0;
constexpr double kTablePoints = 7.0;
constexpr double kRowSpacing = 1.45; // row height over the table's point size
constexpr double kDaysPerTrend = 30.0;
constexpr double kSecondsPerDay = 24.0 * 60 * 60;
constexpr int kSummaryRows = 5; // the titles, then four quantities

// The report's columns: the list's, but the stallion (the section says it) and with the
// volumes and the notes, which a station reads on paper.
enum class ReportColumn {
    Saved,
    CollectionDate,
    Concentration,
    GelFreeVolume,
    Motility,
    TotalSperm,
    MotileSperm,
    Doses,
    VolumePerDose,
    SemenVolume,
    ExtenderVolume,
    Printed,
    Notes,
};
constexpr int kReportColumnCount = int(ReportColumn::Notes) + 1;
constexpr std::array<double, kReportColumnCount> kColumnWeights{1.5, 1.6, 1.0, 1.0, 0.9, 1.0, 1.0,
                                                                0.8, 1.0, 0.9, 0.9, 0.6, 3.2};

SheetColumn listColumn(ReportColumn column)
{
    switch (column) {
    case ReportColumn::Saved:
        return SheetColumn::Saved;
    case ReportColumn::CollectionDate:
        return SheetColumn::CollectionDate;
    case ReportColumn::Concentration:
        return SheetColumn::Concentration;
    case ReportColumn::GelFreeVolume:
        return SheetColumn::GelFreeVolume;
    case ReportColumn::Motility:
        return SheetColumn::Motility;
    case ReportColumn::TotalSperm:
        return SheetColumn::TotalSperm;
    case ReportColumn::MotileSperm:
        return SheetColumn::MotileSperm;
    case ReportColumn::Doses:
        return SheetColumn::Doses;
    case ReportColumn::VolumePerDose:
        return SheetColumn::VolumePerDose;
    default:
        return SheetColumn::Printed;
    }
}

// A volume as the details show it: two decimals; a text without a number as it is.
QString volumeText(const QString &kept)
{
    const std::optional<double> ml = numberIn(kept);
    return ml ? QLocale::c().toString(*ml, 'f', 2) : kept;
}

// One line of the report's table, ready to draw.
struct ReportRow
{
    SheetRow row;
    QString semen;
    QString extender;
};

QString reportColumnTitle(ReportColumn column)
{
    switch (column) {
    case ReportColumn::SemenVolume:
        return RecordsText::tr("Semen (ml)");
    case ReportColumn::ExtenderVolume:
        return RecordsText::tr("Extender (ml)");
    case ReportColumn::Notes:
        return RecordsText::tr("Notes");
    default:
        return columnTitle(listColumn(column));
    }
}

QString reportCellText(const ReportRow &line, ReportColumn column)
{
    switch (column) {
    case ReportColumn::SemenVolume:
        return line.semen;
    case ReportColumn::ExtenderVolume:
        return line.extender;
    case ReportColumn::Notes:
        return line.row.notes;
    default:
        return cellText(line.row, listColumn(column));
    }
}

bool isReportNumberColumn(ReportColumn column)
{
    switch (column) {
    case ReportColumn::SemenVolume:
    case ReportColumn::ExtenderVolume:
        return true;
    case ReportColumn::Notes:
        return false;
    default:
        return isNumberColumn(listColumn(column));
    }
}

// What a stallion's section says above its rows.
struct StallionSummary
{
    QString name; // as the first sheet read spells it
    qint64 collections = 0;
    QuantitySummary concentration;
    QuantitySummary motility;
    QuantitySummary totalSperm;
    QuantitySummary doses;
};

QString signedText(std::optional<double> value)
{
    if (!value)
        return QStringLiteral("-");
    const QString text = numberText(*value);
    return *value >= 0 ? u'+' + text : text;
}

// Lays the report out a page at a time. Run once without drawing to count the pages, then again
// to draw them, the same way, so "of M" is known on the first page.
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
        m_page.setBottom(m_page.bottom() - lineHeight(kTextPoints) * 1.5); // room for the foot
        m_y = m_page.top();
    }

    // Starts over, drawing this time, with the pages the dry run counted.
    void startDrawing()
    {
        m_pages = m_pageNumber;
        m_pageNumber = 1;
        m_drawing = true;
        m_y = m_page.top();
        m_titlesShown = false;
    }
    int pages() const { return m_pageNumber; }

    void heading(const ReportHeading &heading, const QString &station, const QString &location,
                 qint64 rows)
    {
        paragraph(heading.title, kTitlePoints, true);
        paragraph(RecordsText::tr("Station: %1; journal: %2").arg(station, location), kTextPoints,
                  false);
        paragraph(heading.filterText, kTextPoints, false);
        paragraph(RecordsText::tr("%1; made %2")
                      .arg(collectionsText(rows), QDateTime::currentDateTime().toString(
                                                      QStringLiteral("yyyy-MM-dd HH:mm t"))),
                  kTextPoints, false);
        paragraph(RecordsText::tr("In each summary the change is the least-squares trend over "
                                  "the period, by collection time, per 30 days."),
                  kTextPoints, false);
        if (heading.chart.size() > 0) {
            // Played back, a picture takes the page's resolution itself: drawn at
            // reportChartSize() of its own resolution, it fills the chart's share of the page.
            if (m_drawing) {
                m_painter.save();
                m_painter.translate(m_page.left(), m_y);
                m_painter.drawPicture(QPointF(0, 0), heading.chart);
                m_painter.restore();
            }
            m_y += m_page.height() * kChartHeightShare + lineHeight(kTextPoints);
        }
    }

    // A stallion's title and summary, on a page of their own after the first, with room for
    // the column titles and a row under them.
    bool section(const StallionSummary &summary, bool first)
    {
        const double needed
            = lineHeight(kSectionPoints) * 1.6 + rowHeight() * kSummaryRows + rowHeight() * 4;
        if ((!first || m_y + needed > m_page.bottom()) && m_y > m_page.top()) {
            if (!newPage())
                return false;
        }
        m_y += lineHeight(kTextPoints) * 0.5;
        paragraph(
            RecordsText::tr("%1: %2").arg(summary.name, collectionsText(summary.collections)),
            kSectionPoints, true);
        summaryTable(summary);
        m_y += rowHeight() * 0.5;
        m_titlesShown = false;
        return true;
    }

    bool row(const ReportRow *line)
    {
        if (!m_titlesShown || m_y + rowHeight() > m_page.bottom()) {
            if (m_y + rowHeight() * 3 > m_page.bottom() && !newPage())
                return false;
            columnTitles();
        }
        if (m_drawing && line) {
            QFont font = m_font;
            font.setPointSizeF(kTablePoints);
            m_painter.setFont(font);
            const QFontMetricsF metrics(font, m_painter.device());
            double x = m_page.left();
            for (int column = 0; column < kReportColumnCount; ++column) {
                const double width = columnWidth(column);
                const auto which = ReportColumn(column);
                const QString text = metrics.elidedText(reportCellText(*line, which),
                                                        Qt::ElideRight, width - cellPadding() * 2);
                m_painter.drawText(
                    QRectF(x + cellPadding(), m_y, width - cellPadding() * 2, rowHeight()),
                    Qt::AlignVCenter | Qt::TextSingleLine
                        | (isReportNumberColumn(which) ? Qt::AlignRight : Qt::AlignLeft),
                    text);
                x += width;
            }
        }
        m_y += rowHeight();
        return true;
    }

    // The last page's foot.
    void finish() { foot(); }

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
        const QFontMetricsF metrics(font, &m_writer);
        const QRectF bounds = metrics.boundingRect(
            QRectF(m_page.left(), m_y, m_page.width(), m_page.height()), Qt::TextWordWrap, text);
        if (m_drawing) {
            m_painter.setFont(font);
            m_painter.drawText(bounds, Qt::TextWordWrap, text);
        }
        m_y += bounds.height() + lineHeight(points) * 0.3;
    }

    void summaryTable(const StallionSummary &summary)
    {
        const std::array<std::pair<QString, const QuantitySummary *>, kSummaryRows - 1> lines{{
            {RecordsText::tr("Concentration (M/ml)"), &summary.concentration},
            {RecordsText::tr("Motility (%)"), &summary.motility},
            {RecordsText::tr("Total sperm (billions)"), &summary.totalSperm},
            {RecordsText::tr("Doses"), &summary.doses},
        }};
        const QStringList titles{
            RecordsText::tr("Quantity"), RecordsText::tr("Collections"),
            RecordsText::tr("Mean"),     RecordsText::tr("Min"),
            RecordsText::tr("Max"),      RecordsText::tr("Change per 30 days")};
        const std::array<double, 6> widths{3.2, 1.4, 1.4, 1.4, 1.4, 2.0};
        const double unit = m_page.width() * 0.5 / 10.8;
        const auto line = [&](const QStringList &cells, bool bold) {
            if (m_drawing) {
                QFont font = m_font;
                font.setPointSizeF(kTablePoints);
                font.setBold(bold);
                m_painter.setFont(font);
                double x = m_page.left();
                for (qsizetype i = 0; i < cells.size(); ++i) {
                    const double width = widths[std::size_t(i)] * unit;
                    m_painter.drawText(
                        QRectF(x + cellPadding(), m_y, width - cellPadding() * 2, rowHeight()),
                        Qt::AlignVCenter | Qt::TextSingleLine
                            | (i == 0 ? Qt::AlignLeft : Qt::AlignRight),
                        cells[i]);
                    x += width;
                }
            }
            m_y += rowHeight();
        };
        line(titles, true);
        for (const auto &[name, quantity] : lines) {
            const bool any = quantity->count() > 0;
            line({name, QString::number(quantity->count()),
                  any ? numberText(quantity->mean()) : QStringLiteral("-"),
                  any ? numberText(quantity->min()) : QStringLiteral("-"),
                  any ? numberText(quantity->max()) : QStringLiteral("-"),
                  signedText(quantity->changePer30Days())},
                 false);
        }
    }

    void columnTitles()
    {
        const double height = rowHeight() * 2; // titles take two lines where they need them
        if (m_drawing) {
            QFont font = m_font;
            font.setPointSizeF(kTablePoints);
            font.setBold(true);
            m_painter.setFont(font);
            double x = m_page.left();
            for (int column = 0; column < kReportColumnCount; ++column) {
                const double width = columnWidth(column);
                const auto which = ReportColumn(column);
                m_painter.drawText(
                    QRectF(x + cellPadding(), m_y, width - cellPadding() * 2, height),
                    Qt::AlignBottom | Qt::TextWordWrap
                        | (isReportNumberColumn(which) ? Qt::AlignRight : Qt::AlignLeft),
                    reportColumnTitle(which));
                x += width;
            }
            m_painter.drawLine(QPointF(m_page.left(), m_y + height),
                               QPointF(m_page.right(), m_y + height));
        }
        m_y += height;
        m_titlesShown = true;
    }

    void foot()
    {
        if (!m_drawing)
            return;
        QFont font = m_font;
        font.setPointSizeF(kTextPoints);
        m_painter.setFont(font);
        m_painter.drawText(
            QRectF(m_page.left(), m_page.bottom(), m_page.width(), lineHeight(kTextPoints) * 1.5),
            Qt::AlignRight | Qt::AlignBottom,
            RecordsText::tr("Page %1 of %2").arg(m_pageNumber).arg(m_pages));
    }

    bool newPage()
    {
        foot();
        if (m_drawing && !m_writer.newPage())
            return false;
        ++m_pageNumber;
        m_y = m_page.top();
        return true;
    }

    QPdfWriter &m_writer;
    QPainter &m_painter;
    QRectF m_page; // the printable area above the foot, in the painter's units
    QFont m_font;
    double m_y = 0.0;
    bool m_titlesShown = false;
    bool m_drawing = false;
    int m_pageNumber = 1;
    int m_pages = 0;
};

} // namespace

void QuantitySummary::add(const QDateTime &collectedAt, double value)
{
    if (m_count == 0) {
        m_origin = collectedAt;
        m_min = m_max = value;
    }
    m_min = std::min(m_min, value);
    m_max = std::max(m_max, value);
    const double days = double(m_origin.secsTo(collectedAt)) / kSecondsPerDay;
    ++m_count;
    const double n = double(m_count);
    const double daysOff = days - m_meanDays;
    m_meanDays += daysOff / n;
    m_meanValue += (value - m_meanValue) / n;
    m_daysMoment += daysOff * (days - m_meanDays);
    m_coMoment += daysOff * (value - m_meanValue);
}

std::optional<double> QuantitySummary::changePer30Days() const
{
    // Collection times a second apart over a single day are not a trend worth printing.
    if (m_count < 2 || m_daysMoment <= 1e-9)
        return std::nullopt;
    return m_coMoment / m_daysMoment * kDaysPerTrend;
}

QString reportStationName()
{
    QSettings settings(QStringLiteral("Estrivo"), QStringLiteral("estrivo-records"));
    return settings.value(QStringLiteral("station/name")).toString().trimmed();
}

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
    // The first read sums each stallion up and fixes the rows: a sheet saved meanwhile (ids
    // only grow) is left out of the second, so the pages counted are the pages drawn.
    std::map<QString, StallionSummary> sections; // by stallionKey(), which orders them by name
    qint64 rows = 0;
    qint64 lastId = 0;
    JournalError read
        = journal.forEachSheet(filter, SheetDetail::Trend, [&](const SheetRecord &sheet) {
              StallionSummary &summary = sections[stallionKey(sheet.stallion)];
              if (summary.name.isEmpty())
                  summary.name = sheet.stallion;
              ++summary.collections;
              const SheetNumbers numbers = sheetNumbers(sheet);
              const QDateTime at = collectionTime(sheet);
              for (const auto &[value, quantity] :
                   {std::pair{numbers.concentration, &summary.concentration},
                    std::pair{numbers.motility, &summary.motility},
                    std::pair{numbers.totalSperm, &summary.totalSperm},
                    std::pair{numbers.doses, &summary.doses}}) {
                  if (value)
                      quantity->add(at, *value);
              }
              ++rows;
              lastId = std::max(lastId, sheet.id);
              return true;
          });
    if (!read.ok())
        return {0, Kind::JournalUnreadable, fileName, read.reason};
    for (auto &[key, summary] : sections) {
        if (key.isEmpty())
            summary.name = RecordsText::tr("(no stallion named)");
    }
    const QString station = reportStationName();
    const QString stationText
        = station.isEmpty() ? RecordsText::tr("not named (the setting station/name)") : station;

    OutputFile file(fileName, journal.location());
    if (!file.begin())
        return exportOutcome(file.problem(), 0, fileName);
    qint64 written = 0;
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
        const QString location = displayLocation(journal.location());
        // The rows are of a fixed height: the dry run needs their number, not their texts.
        report.heading(heading, stationText, location, rows);
        bool first = true;
        for (const auto &[key, summary] : sections) {
            report.section(summary, first);
            first = false;
            for (qint64 n = 0; n < summary.collections; ++n)
                report.row(nullptr);
        }
        report.startDrawing();
        report.heading(heading, stationText, location, rows);
        bool paged = true;
        first = true;
        for (const auto &[key, summary] : sections) {
            paged = report.section(summary, first);
            first = false;
            if (!paged)
                break;
            // A name that folds to nothing cannot be asked for: its rows come from the whole
            // filter, the others skipped.
            SheetFilter only = filter;
            only.stallion = key.isEmpty() ? QString() : summary.name;
            read = journal.forEachSheet(only, SheetDetail::Row, [&](const SheetRecord &sheet) {
                if (sheet.id > lastId || (key.isEmpty() && !stallionKey(sheet.stallion).isEmpty()))
                    return true;
                const ReportRow line{sheetRow(sheet), volumeText(sheet.text(Field::SemenVol)),
                                     volumeText(sheet.text(Field::ExtVol))};
                paged = report.row(&line) && file.problem().ok();
                written += paged ? 1 : 0;
                return paged;
            });
            if (!paged || !read.ok())
                break;
        }
        report.finish();
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
