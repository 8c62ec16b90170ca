// What the register's CSV, its PDF and the transport sheet share: days, words and pages.
#pragma once

#include "records_text.h"
#include "register_export.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace estrivo::register_paper {

inline constexpr int kResolutionDpi = 300;
inline constexpr double kMarginMm = 12.0;
inline constexpr double kTitlePoints = 14.0;
inline constexpr double kSectionPoints = 11.0;
inline constexpr double kTextPoints = 9.0;
inline constexpr double kTablePoints = 6.5;
inline constexpr double kRowLines = 2.0;    // each register row has room for two lines of text
inline constexpr double kLineSpacing = 1.3; // a line's height over its point size
inline constexpr qsizetype kLongestValue
    = 160; // of a transport sheet's value: the page must hold all

QString isoDay(const QDate &day);
QString localMinute(const QDateTime &time);
// The parts that are not blank, trimmed, joined by `separator`.
QString joined(const QStringList &parts, const QString &separator);
QString movementWord(MovementKind kind);
void setUpPdf(QPdfWriter &writer, const QString &title, QPageLayout::Orientation orientation);
// The station's lines on top of the register and the transport sheet.
QStringList stationLines(const StationProfile &station);
ExportOutcome journalUnreadable(const JournalError &error, qint64 rows, const QString &target);

// Pages of A4 with a foot "Page N of M", drawn with a QPainter on a QPdfWriter.
class Pages
{
public:
    Pages(QPdfWriter &writer, QPainter &painter)
        : m_writer(writer)
        , m_painter(painter)
        , m_font(QStringLiteral("Liberation Sans"))
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

} // namespace estrivo::register_paper
