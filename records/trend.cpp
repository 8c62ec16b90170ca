#include "trend.h"

#include <QDateTimeAxis>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <functional>
#include <vector>

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
double axisTop(const QList<QPointF> &points)
{
    double top = 0.0;
    for (const QPointF &point : points)
        top = std::max(top, point.y());
    return top > 0.0 ? top * 1.1 : 1.0;
}

std::optional<double> valueOf(const SheetNumbers &numbers, TrendQuantity quantity)
{
    switch (quantity) {
    case TrendQuantity::Concentration:
        return numbers.concentration;
    case TrendQuantity::Motility:
        return numbers.motility;
    case TrendQuantity::TotalSperm:
        return numbers.totalSperm;
    case TrendQuantity::MotileSperm:
        return numbers.motileSperm;
    case TrendQuantity::Doses:
        return numbers.doses;
    }
    return std::nullopt;
}

int decimalsOf(TrendQuantity quantity)
{
    return quantity == TrendQuantity::TotalSperm || quantity == TrendQuantity::MotileSperm ? 2
           : quantity == TrendQuantity::Doses                                              ? 0
                                                                                           : 1;
}

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

constexpr double kMeanWidth = 2.5;
constexpr double kPointSize = 7.0;
const QColor kPointColour(0x1f, 0x5f, 0xa8);
const QColor kMeanColour(0xc0, 0x6a, 0x00);

} // namespace

QString quantityTitle(TrendQuantity quantity)
{
    switch (quantity) {
    case TrendQuantity::Concentration:
        return TrendChartView::tr("Concentration (M/ml)");
    case TrendQuantity::Motility:
        return TrendChartView::tr("Motility (%)");
    case TrendQuantity::TotalSperm:
        return TrendChartView::tr("Total sperm (billions)");
    case TrendQuantity::MotileSperm:
        return TrendChartView::tr("Motile sperm (billions)");
    case TrendQuantity::Doses:
        return TrendChartView::tr("Doses");
    }
    return {};
}

QString quantityUnit(TrendQuantity quantity)
{
    switch (quantity) {
    case TrendQuantity::Concentration:
        return QStringLiteral("M/ml");
    case TrendQuantity::Motility:
        return QStringLiteral("%");
    case TrendQuantity::TotalSperm:
    case TrendQuantity::MotileSperm:
        return TrendChartView::tr("billion");
    case TrendQuantity::Doses:
        return {};
    }
    return {};
}

TrendSeries trendSeries(QList<TrendSample> samples, int window)
{
    // Times turned into numbers once: comparing local QDateTimes converts both every time, and
    // a long history is sorted in half a million comparisons.
    std::vector<std::pair<qint64, const SheetNumbers *>> order;
    order.reserve(std::size_t(samples.size()));
    for (const TrendSample &sample : std::as_const(samples))
        order.emplace_back(sample.at.toMSecsSinceEpoch(), &sample.numbers);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    TrendSeries series;
    window = std::max(window, 1);
    for (int q = 0; q < kTrendQuantityCount; ++q) {
        TrendLine &line = series.lines[std::size_t(q)];
        line.values.reserve(qsizetype(order.size()));
        for (const auto &[at, numbers] : order) {
            if (const std::optional<double> value = valueOf(*numbers, TrendQuantity(q)))
                line.values.append({double(at), *value});
        }
        line.mean = rollingMean(line.values, window);
    }
    return series;
}

QString TrendChartView::pointText(TrendQuantity quantity, const QPointF &point)
{
    const QDate day = QDateTime::fromMSecsSinceEpoch(qint64(point.x())).date();
    const QString unit = quantityUnit(quantity);
    const QString value = QString::number(point.y(), 'f', decimalsOf(quantity));
    return tr("%1: %2").arg(QLocale().toString(day, QLocale::ShortFormat),
                            unit.isEmpty() ? value : value + u' ' + unit);
}

TrendChartView::TrendChartView(QWidget *parent)
    : QChartView(new QChart, parent) // a chart given later would leave the default one behind
{
    setObjectName(QStringLiteral("trendChart"));
    setAccessibleName(tr("Trend"));
    setRenderHint(QPainter::Antialiasing);
    QChart *chart = this->chart();
    chart->legend()->setAlignment(Qt::AlignBottom);

    // Each collection a marker, the mean a line: told apart by their form, not only their
    // weight. Solid lines only: dashes on thousands of points take seconds to draw.
    m_values = new QScatterSeries;
    m_values->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    m_values->setMarkerSize(kPointSize);
    m_values->setColor(kPointColour);
    m_values->setBorderColor(kPointColour.darker(130));
    m_mean = new QLineSeries;
    m_mean->setPen(QPen(kMeanColour, kMeanWidth));
    chart->addSeries(m_mean);
    chart->addSeries(m_values);
    connect(m_values, &QScatterSeries::hovered, this, [this](const QPointF &point, bool over) {
        if (over)
            QToolTip::showText(QCursor::pos(), pointText(m_quantity, point), this);
        else
            QToolTip::hideText();
    });

    m_time = new QDateTimeAxis;
    m_time->setFormat(QStringLiteral("yyyy-MM-dd"));
    m_time->setTitleText(tr("Collection date"));
    m_valueAxis = new QValueAxis;
    chart->addAxis(m_time, Qt::AlignBottom);
    chart->addAxis(m_valueAxis, Qt::AlignLeft);
    for (QXYSeries *series : std::initializer_list<QXYSeries *>{m_values, m_mean}) {
        series->attachAxis(m_time);
        series->attachAxis(m_valueAxis);
    }
    showNothing(tr("Choose a stallion to see his trend"));
}

void TrendChartView::setQuantity(TrendQuantity quantity)
{
    m_quantity = quantity;
    if (m_showing && isVisible())
        draw();
    else if (m_showing)
        m_stale = true;
}

void TrendChartView::showTrend(const QString &stallion, const TrendSeries &series)
{
    m_stallion = stallion;
    m_series = series;
    m_showing = true;
    // Laying out a long history costs the window tens of milliseconds: not while nobody can
    // see it. It is drawn when shown, or asked for as a picture.
    if (isVisible())
        draw();
    else
        m_stale = true;
}

void TrendChartView::showEvent(QShowEvent *event)
{
    QChartView::showEvent(event);
    drawIfStale();
}

void TrendChartView::drawIfStale()
{
    if (!m_stale)
        return;
    m_stale = false;
    if (m_showing)
        draw();
}

void TrendChartView::draw()
{
    // Lines are laid out again on every change of an axis: empty while the axes change, each
    // is laid out once, with its new points on the final axes.
    m_values->clear();
    m_mean->clear();
    const TrendLine &line = m_series.line(m_quantity);
    if (line.values.isEmpty()) {
        showNothing(tr("No %1 of %2 to chart").arg(quantityTitle(m_quantity), m_stallion));
        m_showing = true; // another quantity may have some
        return;
    }
    double first = line.values.front().x();
    double last = line.values.back().x();
    // A single collection still gets a day's width of axis, and its point.
    constexpr double kDayMs = 24.0 * 60 * 60 * 1000;
    if (last - first < kDayMs) {
        first -= kDayMs / 2;
        last += kDayMs / 2;
    }
    m_time->setRange(QDateTime::fromMSecsSinceEpoch(qint64(first)),
                     QDateTime::fromMSecsSinceEpoch(qint64(last)));
    m_valueAxis->setRange(0.0, axisTop(line.values));
    m_valueAxis->applyNiceNumbers();
    m_valueAxis->setTitleText(quantityTitle(m_quantity));
    m_valueAxis->setLabelFormat(m_quantity == TrendQuantity::Doses ? QStringLiteral("%d")
                                                                   : QStringLiteral("%.1f"));
    m_time->setVisible(true);
    m_valueAxis->setVisible(true);
    chart()->legend()->setVisible(true);
    m_values->setName(tr("Each collection"));
    m_mean->setName(tr("Rolling mean of %1").arg(kRollingCollections));
    chart()->setTitle(tr("%1: %2 per collection").arg(m_stallion, quantityTitle(m_quantity)));
    m_values->replace(drawnPoints(line.values));
    m_mean->replace(drawnPoints(line.mean));
}

QPicture TrendChartView::picture(QSizeF size)
{
    drawIfStale();
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
    m_showing = false;
    m_stale = false;
    m_values->clear();
    m_mean->clear();
    // Axes without a stallion's points would only be misread.
    m_time->setVisible(false);
    m_valueAxis->setVisible(false);
    chart()->legend()->setVisible(false);
    chart()->setTitle(why);
}

} // namespace estrivo
