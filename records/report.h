#pragma once

#include "csv_export.h"
#include "journal.h"

#include <QPicture>
#include <QString>

#include <optional>

namespace estrivo {

// What goes on top of the report's first page.
struct ReportHeading
{
    QString title;
    QString filterText; // the filter in words
    QPicture chart;     // the trend at reportChartSize(); none when empty
};

// One quantity of a stallion's collections over the report's period: the mean, the extremes,
// and the least-squares trend by collection time, which a single odd collection at either end
// moves less than last-minus-first would.
class QuantitySummary
{
public:
    void add(const QDateTime &collectedAt, double value);

    qint64 count() const { return m_count; }
    double mean() const { return m_meanValue; }
    double min() const { return m_min; }
    double max() const { return m_max; }
    // The fitted line's rise over 30 days; none for fewer than two distinct collection times.
    std::optional<double> changePer30Days() const;

private:
    qint64 m_count = 0;
    double m_min = 0.0;
    double m_max = 0.0;
    // Running means and co-moments (Welford), so 100,000 collections lose no precision.
    double m_meanDays = 0.0;
    double m_meanValue = 0.0;
    double m_daysMoment = 0.0; // sum of (days - mean)^2
    double m_coMoment = 0.0;   // sum of (days - mean) * (value - mean)
    QDateTime m_origin;        // the first collection added: days count from it
};

// The size the chart takes on the report's first page, in pixels at `dotsPerInch`: drawn at
// that size and resolution it comes out with its text at its own point size.
QSizeF reportChartSize(double dotsPerInch);

// The station's name on the report: the setting station/name of the records program.
QString reportStationName();

// A PDF (A4 landscape) of the sheets the filter selects: the station, the heading and the
// chart, then a section per stallion (by name) with a summary table and the rows as the list
// shows them with the volumes and a line of notes, the column titles on every page, and
// "Page N of M" at each page's foot. The file is replaced only once the whole report is
// written. Safe off the GUI thread.
ExportOutcome writePdfReport(Journal &journal, const SheetFilter &filter,
                             const ReportHeading &heading, const QString &fileName);

} // namespace estrivo
