#pragma once

#include "sheet_numbers.h"

#include <QChartView>
#include <QDateTime>
#include <QList>
#include <QPicture>
#include <QPointF>

class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace estrivo {

// One collection on the trend: when it was kept, and what it amounted to.
struct TrendSample
{
    QDateTime at;
    SheetNumbers numbers;
};

// How many collections the rolling mean looks back over, the newest one included.
inline constexpr int kRollingCollections = 5;

// The chart's lines, oldest first, x in milliseconds since the epoch as the date axis wants.
// A collection without a number is left out of that line and of its mean.
struct TrendSeries
{
    QList<QPointF> total;
    QList<QPointF> totalMean;
    QList<QPointF> motile;
    QList<QPointF> motileMean;
    QList<QPointF> doses;
};

TrendSeries trendSeries(QList<TrendSample> samples, int window = kRollingCollections);

// The trend of one stallion: total and motile sperm per collection with their rolling means
// on the left axis, doses per collection on the right one, over the time of the collections.
class TrendChartView : public QChartView
{
    Q_OBJECT

public:
    explicit TrendChartView(QWidget *parent = nullptr);

    void showTrend(const QString &stallion, const TrendSeries &series);
    // No stallion chosen, or nothing to show: empty lines and a title saying so.
    void showNothing(const QString &why);

    // The chart drawn at `size` (logical pixels) as vector drawing, for a report; the view
    // itself, shown or not, keeps its own size.
    QPicture picture(QSizeF size);

    QLineSeries *totalLine() const { return m_total; }
    QLineSeries *totalMeanLine() const { return m_totalMean; }
    QLineSeries *motileLine() const { return m_motile; }
    QLineSeries *motileMeanLine() const { return m_motileMean; }
    QLineSeries *dosesLine() const { return m_doses; }

private:
    QLineSeries *m_total = nullptr;
    QLineSeries *m_totalMean = nullptr;
    QLineSeries *m_motile = nullptr;
    QLineSeries *m_motileMean = nullptr;
    QLineSeries *m_doses = nullptr;
    QDateTimeAxis *m_time = nullptr;
    QValueAxis *m_sperm = nullptr;
    QValueAxis *m_doseAxis = nullptr;
};

} // namespace estrivo
