#include "trend.h"

#include <QDateTimeAxis>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>

#include <algorithm>

namespace estrivo {

namespace {

// The trailing mean of each point over the last `window` points, itself included.
QList<QPointF> rollingMean(const QList<QPointF> &points, qsizetype window)
{
    QList<QPointF> means;
    means.reserve(points.size());
    for (qsizetype i = 0; i < points.size(); ++i) {
        const qsizetype first = std::max<qsizetype>(0, i - window + 1);
        double sum = 0.0; // summed afresh each time: no drift over a long history
        for (qsizetype j = first; j <= i; ++j)
            sum += points[j].y();
        means.append({points[i].x(), sum / double(i - first + 1)});
    }
    return means;
}

// The upper end of a value axis: a little above the highest point, never a zero range.
double axisTop(std::initializer_list<const QList<QPointF> *> lines)
{
    double top = 0.0;
    for (const QList<QPointF> *line : lines) {
        for (const QPointF &point : *line)
            top = std::max(top, point.y());
    }
    return top > 0.0 ? top * 1.1 : 1.0;
}

constexpr double kLineWidth = 1.5;
constexpr double kMeanWidth = 4.0;
constexpr int kMeanLighter = 160;         // percent
constexpr qsizetype kMostDoseMarks = 200; // a mark a collection, as long as they stay apart
// Qt Charts lays out and strokes every point of a line on the window's thread, microseconds a
// point: one stallion's 33,000 collections held the window for 0.2 s taking the lines and 0.5 s
// painting them. A chart is never this many pixels wide, so a line with more points is drawn
// from the lowest and the highest of each of this many slices of its time, in their order, and
// looks the same.
constexpr qsizetype kDrawnSlices = 1000;

QList<QPointF> drawnPoints(const QList<QPointF> &points)
{
    if (points.size() <= 2 * kDrawnSlices)
        return points;
    const double first = points.front().x();
    const double span = points.back().x() - first;
    if (!(span > 0.0))
        return points;
    const auto sliceOf = [&](const QPointF &point) {
        return std::min(kDrawnSlices - 1,
                        qsizetype((point.x() - first) / span * double(kDrawnSlices)));
    };
    QList<QPointF> drawn;
    drawn.reserve(2 * kDrawnSlices + 2);
    drawn.append(points.front());
    qsizetype lastDrawn = 0;
    for (qsizetype begin = 0; begin < points.size();) {
        const qsizetype slice = sliceOf(points[begin]);
        qsizetype low = begin;
        qsizetype high = begin;
        qsizetype end = begin;
        for (; end < points.size() && sliceOf(points[end]) == slice; ++end) {
            if (points[end].y() < points[low].y())
                low = end;
            if (points[end].y() > points[high].y())
                high = end;
        }
        for (const qsizetype kept : {std::min(low, high), std::max(low, high)}) {
            if (kept > lastDrawn) {
                drawn.append(points[kept]);
                lastDrawn = kept;
            }
        }
        begin = end;
    }
    if (lastDrawn != points.size() - 1)
        drawn.append(points.back());
    return drawn;
}

} // namespace

TrendSeries trendSeries(QList<TrendSample> samples, int window)
{
    std::stable_sort(samples.begin(), samples.end(),
                     [](const TrendSample &a, const TrendSample &b) { return a.at < b.at; });
    TrendSeries series;
    for (const TrendSample &sample : samples) {
        const auto x = double(sample.at.toMSecsSinceEpoch());
        if (sample.numbers.totalSperm)
            series.total.append({x, *sample.numbers.totalSperm});
        if (sample.numbers.motileSperm)
            series.motile.append({x, *sample.numbers.motileSperm});
        if (sample.numbers.doses)
            series.doses.append({x, *sample.numbers.doses});
    }
    window = std::max(window, 1);
    series.totalMean = rollingMean(series.total, window);
    series.motileMean = rollingMean(series.motile, window);
    return series;
}

TrendChartView::TrendChartView(QWidget *parent)
    : QChartView(new QChart, parent) // a chart given later would leave the default one behind
{
    setObjectName(QStringLiteral("trendChart"));
    setAccessibleName(tr("Trend"));
    setRenderHint(QPainter::Antialiasing);
    QChart *chart = this->chart();
    chart->legend()->setAlignment(Qt::AlignBottom);

    // Solid lines only: dashes on a history of thousands of collections take seconds to draw.
    // A mean is the thick, pale line under its thin, dark collection line.
    const auto line = [chart](const QString &name, QColor colour, double width) {
        auto *series = new QLineSeries;
        series->setName(name);
        series->setPen(QPen(colour, width));
        chart->addSeries(series);
        return series;
    };
    const QColor total(0x1f, 0x5f, 0xa8);
    const QColor motile(0x2e, 0x8b, 0x3d);
    const QColor doses(0xc0, 0x6a, 0x00);
    m_totalMean = line(tr("Total, rolling mean of %1").arg(kRollingCollections),
                       total.lighter(kMeanLighter), kMeanWidth);
    m_motileMean = line(tr("Motile, rolling mean of %1").arg(kRollingCollections),
                        motile.lighter(kMeanLighter), kMeanWidth);
    m_total = line(tr("Total sperm (billions)"), total, kLineWidth);
    m_motile = line(tr("Motile sperm (billions)"), motile, kLineWidth);
    m_doses = line(tr("Doses"), doses, kLineWidth);

    m_time = new QDateTimeAxis;
    m_time->setFormat(QStringLiteral("yyyy-MM-dd"));
    m_time->setTitleText(tr("Collection kept"));
    m_sperm = new QValueAxis;
    m_sperm->setTitleText(tr("Sperm (billions)"));
    m_sperm->setLabelFormat(QStringLiteral("%.1f"));
    m_doseAxis = new QValueAxis;
    m_doseAxis->setTitleText(tr("Doses"));
    m_doseAxis->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(m_time, Qt::AlignBottom);
    chart->addAxis(m_sperm, Qt::AlignLeft);
    chart->addAxis(m_doseAxis, Qt::AlignRight);
    for (QLineSeries *series : {m_total, m_totalMean, m_motile, m_motileMean, m_doses}) {
        series->attachAxis(m_time);
        series->attachAxis(series == m_doses ? m_doseAxis : m_sperm);
    }
    showNothing(tr("Choose a stallion to see his trend"));
}

void TrendChartView::showTrend(const QString &stallion, const TrendSeries &series)
{
    // Lines are laid out again on every change of an axis: empty while the axes change, each
    // is laid out once, with its new points on the final axes.
    for (QLineSeries *line : {m_total, m_totalMean, m_motile, m_motileMean, m_doses})
        line->clear();

    double first = 0.0;
    double last = 0.0;
    bool any = false;
    for (const QList<QPointF> *line : {&series.total, &series.motile, &series.doses}) {
        if (line->isEmpty())
            continue;
        first = any ? std::min(first, line->front().x()) : line->front().x();
        last = any ? std::max(last, line->back().x()) : line->back().x();
        any = true;
    }
    if (!any) {
        showNothing(tr("No collections of %1 to chart").arg(stallion));
        return;
    }
    // A single collection still gets a day's width of axis.
    constexpr double kDayMs = 24.0 * 60 * 60 * 1000;
    if (last - first < kDayMs) {
        first -= kDayMs / 2;
        last += kDayMs / 2;
    }
    m_time->setRange(QDateTime::fromMSecsSinceEpoch(qint64(first)),
                     QDateTime::fromMSecsSinceEpoch(qint64(last)));
    m_sperm->setRange(0.0, axisTop({&series.total, &series.motile}));
    m_sperm->applyNiceNumbers();
    m_doseAxis->setRange(0.0, axisTop({&series.doses}));
    m_doseAxis->applyNiceNumbers();
    chart()->setTitle(tr("%1: sperm and doses per collection").arg(stallion));
    m_total->replace(drawnPoints(series.total));
    m_totalMean->replace(drawnPoints(series.totalMean));
    m_motile->replace(drawnPoints(series.motile));
    m_motileMean->replace(drawnPoints(series.motileMean));
    m_doses->setPointsVisible(series.doses.size() <= kMostDoseMarks);
    m_doses->replace(drawnPoints(series.doses));
}

QPicture TrendChartView::picture(QSizeF size)
{
    QChart *drawn = chart();
    const QRectF shown = drawn->geometry();
    drawn->setGeometry(QRectF(QPointF(0, 0), size));
    drawn->layout()->activate(); // the axes and lines placed now, not at the next event
    QPicture picture;
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    scene()->render(&painter, QRectF(QPointF(0, 0), size), QRectF(QPointF(0, 0), size));
    painter.end();
    drawn->setGeometry(shown);
    drawn->layout()->activate();
    return picture;
}

void TrendChartView::showNothing(const QString &why)
{
    for (QLineSeries *series : {m_total, m_totalMean, m_motile, m_motileMean, m_doses})
        series->clear();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    m_time->setRange(now.addDays(-30), now);
    m_sperm->setRange(0.0, 1.0);
    m_doseAxis->setRange(0.0, 1.0);
    chart()->setTitle(why);
}

} // namespace estrivo
