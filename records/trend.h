#pragma once

#include "sheet_numbers.h"

#include <QChartView>
#include <QDateTime>
#include <QList>
#include <QPicture>
#include <QPointF>

#include <array>

class QDateTimeAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace estrivo {

// One collection on the trend: when it was (collectionTime), and what it amounted to.
struct TrendSample
{
    QDateTime at;
    SheetNumbers numbers;
};

// What the trend can chart, each in the unit the technician reads it in.
enum class TrendQuantity { Concentration, Motility, TotalSperm, MotileSperm, Doses };
inline constexpr int kTrendQuantityCount = 5;
QString quantityTitle(TrendQuantity quantity); // with its unit: "Concentration (M/ml)"
QString quantityUnit(TrendQuantity quantity);  // "M/ml"; empty for doses

// How many collections the rolling mean looks back over, the newest one included.
inline constexpr int kRollingCollections = 5;

// One quantity's points, oldest first, x in milliseconds since the epoch as the date axis
// wants, and their rolling mean. A collection without the number is left out of both.
struct TrendLine
{
    QList<QPointF> values;
    QList<QPointF> mean;
};

struct TrendSeries
{
    std::array<TrendLine, kTrendQuantityCount> lines;

    const TrendLine &line(TrendQuantity quantity) const { return lines[std::size_t(quantity)]; }
};

TrendSeries trendSeries(QList<TrendSample> samples, int window = kRollingCollections);

// One stallion's trend of the chosen quantity over the dates of his collections: each
// collection a point, the rolling mean a line through them; a point's date and value on
// hover. With no stallion chosen there are no axes to misread, only what to do.
class TrendChartView : public QChartView
{
    Q_OBJECT

public:
    explicit TrendChartView(QWidget *parent = nullptr);

    void showTrend(const QString &stallion, const TrendSeries &series);
    // No stallion chosen, or nothing to show: no points, no axes, and a title saying why.
    void showNothing(const QString &why);

    TrendQuantity quantity() const { return m_quantity; }
    void setQuantity(TrendQuantity quantity);

    // The chart drawn at `size` (logical pixels) as vector drawing, for a report; the view
    // itself, shown or not, keeps its own size.
    QPicture picture(QSizeF size);

    // The lines as they stand, drawn first if they wait for the view to be shown.
    QScatterSeries *valuesSeries()
    {
        drawIfStale();
        return m_values;
    }
    QLineSeries *meanSeries()
    {
        drawIfStale();
        return m_mean;
    }
    QValueAxis *valueAxis() const { return m_valueAxis; }
    QDateTimeAxis *timeAxis() const { return m_time; }
    // The text a point shows on hover.
    static QString pointText(TrendQuantity quantity, const QPointF &point);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void draw();
    void drawIfStale();

    QString m_stallion;
    TrendSeries m_series;
    bool m_showing = false;
    bool m_stale = false; // a trend waits to be drawn until the view is shown
    TrendQuantity m_quantity = TrendQuantity::TotalSperm;
    QScatterSeries *m_values = nullptr;
    QLineSeries *m_mean = nullptr;
    QDateTimeAxis *m_time = nullptr;
    QValueAxis *m_valueAxis = nullptr;
};

} // namespace estrivo
