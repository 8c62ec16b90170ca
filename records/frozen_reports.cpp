#include "frozen_reports.h"
#include "records_text.h"

#include "labels.h"
#include "output_file.h"

#include <QFontMetricsF>
#include <QHash>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cmath>

namespace estrivo {

using namespace Qt::StringLiterals;

namespace {

constexpr int kResolutionDpi = 300;
constexpr double kMarginMm = 15.0;
constexpr double kTitlePoints = 14.0;
constexpr double kSectionPoints = 10.5;
constexpr double kTextPoints = 9.0;
constexpr double kTablePoints = 8.0;
constexpr double kLineSpacing = 1.35; // a line's height over its point size
constexpr double kPointsPerInch = 72.0;
constexpr double kMmPerInch = 25.4;

// The labels: as the dose labels, so one roll serves both.
constexpr int kLabelDotsPerInch = 1200;
constexpr double kLabelMarginMm = 1.5;
constexpr double kLabelGapMm = 1.5;
constexpr double kLabelMaxPoints = 11.0;
constexpr double kLabelMinPoints = 4.5;
constexpr double kLabelLineSpacing = 1.15;
constexpr double kLabelCodeShare = 0.4; // of the label's width

QString isoDay(const QDateTime &time)
{
    return time.isValid() ? time.toLocalTime().date().toString(Qt::ISODate) : QString();
}

ExportOutcome journalUnreadable(const JournalError &error, qint64 rows, const QString &target)
{
    return {rows, ExportOutcome::Kind::JournalUnreadable, target, error.reason};
}

// The whole doses a line's straws make; none when its batch has no straws per dose.
std::optional<qint64> dosesOf(const InventoryLine &line)
{
    if (line.strawsPerDose < 1)
        return std::nullopt;
    return line.straws / line.strawsPerDose;
}

QString stateWord(ReleaseState state)
{
    switch (state) {
    case ReleaseState::Quarantine:
        return RecordsText::tr("quarantine");
    case ReleaseState::Released:
        return RecordsText::tr("released");
    case ReleaseState::OnHold:
        return RecordsText::tr("on hold");
    }
    return {};
}

// The inventory as the journal gives it, ordered for the reader: by tank (or stallion), then
// stallion, then the oldest batch first. A read that failed leaves `error` set.
QList<InventoryLine> inventory(Journal &journal, InventoryBy by, JournalError *error)
{
    QList<InventoryLine> lines
        = by == InventoryBy::Tank ? journal.inventoryByTank() : journal.inventoryByStallion();
    *error = journal.lastError();
    if (!error->ok())
        return {};
    std::stable_sort(
        lines.begin(), lines.end(), [by](const InventoryLine &a, const InventoryLine &b) {
            const auto key = [by](const InventoryLine &line) {
                return std::tuple(by == InventoryBy::Tank ? line.tankName.toCaseFolded()
                                                          : QString(),
                                  stallionKey(line.stallion), line.frozenAt, line.batchId);
            };
            return key(a) < key(b);
        });
    return lines;
}

// Pages of A4 with "Page N of M" at the foot, laid out in a first pass that only measures, so
// the page count is known before the first page is drawn.
class Pages
{
public:
    Pages(QPdfWriter &writer, QPainter *painter)
        : m_writer(writer)
        , m_painter(painter)
    {
        const QRectF paint = writer.pageLayout().paintRectPixels(writer.resolution());
        m_page = paint.translated(-paint.topLeft());
        m_page.setBottom(m_page.bottom() - lineHeight(kTextPoints) * 1.5); // the foot
        m_y = m_page.top();
    }

    double lineHeight(double points) const
    {
        return points * kLineSpacing * m_writer.resolution() / kPointsPerInch;
    }
    const QRectF &page() const { return m_page; }
    double y() const { return m_y; }
    int pageNumber() const { return m_pageNumber; }

    static QFont font(double points, bool bold = false)
    {
        QFont font(u"Liberation Sans"_s);
        font.setStyleHint(QFont::SansSerif);
        font.setPointSizeF(points);
        font.setBold(bold);
        return font;
    }

    // Room for `height` on this page, else the next one (the foot drawn on this): false when a
    // page could not be started.
    bool room(double height)
    {
        if (m_y + height <= m_page.bottom())
            return true;
        foot();
        if (m_painter && !m_writer.newPage())
            return false;
        ++m_pageNumber;
        m_y = m_page.top();
        return true;
    }

    // One line of cells at the given x positions (fractions of the page's width).
    void cells(const QStringList &texts, const QList<double> &starts,
               const QList<bool> &rightAligned, double points, bool bold)
    {
        const double height = lineHeight(points);
        if (m_painter) {
            m_painter->setFont(font(points, bold));
            const QFontMetricsF metrics(m_painter->font(), m_painter->device());
            for (qsizetype n = 0; n < texts.size(); ++n) {
                const double left = m_page.left() + m_page.width() * starts[n];
                const double right
                    = m_page.left()
                      + m_page.width() * (n + 1 < starts.size() ? starts[n + 1] : 1.0);
                const QRectF cell(left, m_y, right - left - lineHeight(points) * 0.3, height);
                const QString shown
                    = metrics.elidedText(texts[n].simplified(), Qt::ElideRight, cell.width());
                m_painter->drawText(cell,
                                    Qt::AlignVCenter | Qt::TextSingleLine
                                        | (rightAligned.value(n) ? Qt::AlignRight : Qt::AlignLeft),
                                    shown);
            }
        }
        m_y += height;
    }

    void text(const QString &line, double points, bool bold = false)
    {
        cells({line}, {0.0}, {false}, points, bool(bold));
    }

    void rule()
    {
        if (m_painter)
            m_painter->drawLine(QPointF(m_page.left(), m_y), QPointF(m_page.right(), m_y));
        m_y += lineHeight(kTablePoints) * 0.2;
    }

    void advance(double height) { m_y += height; }

    void foot()
    {
        if (!m_painter)
            return;
        m_painter->setFont(font(kTextPoints));
        m_painter->drawText(
            QRectF(m_page.left(), m_page.bottom(), m_page.width(), lineHeight(kTextPoints) * 1.5),
            Qt::AlignRight | Qt::AlignBottom,
            RecordsText::tr("Page %1 of %2").arg(m_pageNumber).arg(m_pageCount));
    }
    void setPageCount(int pages) { m_pageCount = pages; }

private:
    QPdfWriter &m_writer;
    QPainter *m_painter; // null while measuring
    QRectF m_page;       // the printable area above the foot
    double m_y = 0.0;
    int m_pageNumber = 1;
    int m_pageCount = 1;
};

// The inventory's pages: drawn with a painter, or only measured without one.
struct InventoryPaper
{
    InventoryBy by;
    QString title;
    QStringList heading;
    QList<InventoryLine> lines;
    QHash<qint64, Tank> tanks;

    QStringList titles() const
    {
        QStringList titles{by == InventoryBy::Tank ? RecordsText::tr("Stallion")
                                                   : RecordsText::tr("Tanks")};
        titles << RecordsText::tr("Batch") << RecordsText::tr("Frozen") << RecordsText::tr("State")
               << RecordsText::tr("Straws") << RecordsText::tr("Straws/dose")
               << RecordsText::tr("Doses") << RecordsText::tr("Positions");
        return titles;
    }
    static const QList<double> &starts()
    {
        static const QList<double> at{0.0, 0.28, 0.4, 0.53, 0.65, 0.73, 0.83, 0.89};
        return at;
    }
    static const QList<bool> &rightAligned()
    {
        static const QList<bool> right{false, true, false, false, true, true, true, true};
        return right;
    }

    QString sectionOf(const InventoryLine &line) const
    {
        if (by == InventoryBy::Stallion)
            return line.stallion;
        QString section = line.tankName;
        const auto tank = tanks.constFind(line.tankId);
        if (tank == tanks.constEnd())
            return section;
        if (!tank->location.isEmpty())
            section += u", "_s + tank->location;
        if (tank->lastCheckAt.isValid()) {
            section += u"; "_s
                       + RecordsText::tr("last checked %1 at %2 cm")
                             .arg(isoDay(tank->lastCheckAt))
                             .arg(QLocale::c().toString(tank->lastLevelCm, 'f', 1));
        } else {
            section += u"; "_s + RecordsText::tr("never checked");
        }
        return section;
    }

    // Lays out every page; false when a page could not be started.
    bool draw(Pages &pages) const
    {
        pages.text(title, kTitlePoints, true);
        for (const QString &line : heading)
            pages.text(line, kTextPoints);
        pages.advance(pages.lineHeight(kTextPoints) * 0.5);
        QString section;
        bool first = true;
        qint64 sectionStraws = 0;
        qint64 sectionDoses = 0;
        const auto total = [&]() {
            if (!pages.room(pages.lineHeight(kTablePoints)))
                return false;
            pages.cells({RecordsText::tr("Total"),
                         {},
                         {},
                         {},
                         QString::number(sectionStraws),
                         {},
                         QString::number(sectionDoses),
                         {}},
                        starts(), rightAligned(), kTablePoints, true);
            pages.advance(pages.lineHeight(kTablePoints) * 0.5);
            return true;
        };
        for (const InventoryLine &line : lines) {
            const QString own = sectionOf(line);
            if (first || own != section) {
                if (!first && !total())
                    return false;
                first = false;
                section = own;
                sectionStraws = 0;
                sectionDoses = 0;
                // A section's heading never stands alone at a page's foot.
                if (!pages.room(pages.lineHeight(kSectionPoints)
                                + pages.lineHeight(kTablePoints) * 3))
                    return false;
                pages.text(section, kSectionPoints, true);
                pages.cells(titles(), starts(), rightAligned(), kTablePoints, true);
                pages.rule();
            }
            if (!pages.room(pages.lineHeight(kTablePoints)))
                return false;
            const std::optional<qint64> doses = dosesOf(line);
            sectionStraws += line.straws;
            sectionDoses += doses.value_or(0);
            pages.cells({by == InventoryBy::Tank ? line.stallion : line.tankName,
                         QString::number(line.batchId), isoDay(line.frozenAt),
                         stateWord(line.state), QString::number(line.straws),
                         line.strawsPerDose > 0 ? QString::number(line.strawsPerDose) : QString(),
                         doses ? QString::number(*doses) : QString(),
                         QString::number(line.positions)},
                        starts(), rightAligned(), kTablePoints, false);
        }
        if (first)
            pages.text(RecordsText::tr("No straws are in store."), kTextPoints);
        else if (!total())
            return false;
        pages.foot();
        return true;
    }
};

void setUpPdf(QPdfWriter &writer, const QString &title)
{
    writer.setResolution(kResolutionDpi);
    writer.setTitle(title);
    writer.setCreator(u"Estrivo Records"_s);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
}

// Where straws lie, for a label: the tank and canister, then the goblet and cane where given.
QStringList positionLines(const Placement &placement)
{
    QStringList lines{RecordsText::tr("%1, canister %2")
                          .arg(placement.tankName)
                          .arg(placement.position.canister)};
    QStringList inside;
    if (!placement.position.goblet.isEmpty())
        inside << RecordsText::tr("goblet %1").arg(placement.position.goblet);
    if (!placement.position.cane.isEmpty())
        inside << RecordsText::tr("cane %1").arg(placement.position.cane);
    if (!inside.isEmpty())
        lines << inside.join(u", "_s);
    return lines;
}

QFont labelFont(double points, bool bold)
{
    QFont font(u"Liberation Sans"_s);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// One label: the code on the right at the label's height, the lines on the left in one size
// of type that the height allows, a line too long for the width cut at its end.
void paintCaneLabel(QPainter &painter, const QRectF &page, const QStringList &lines,
                    const QByteArray &code)
{
    const double unitsPerMm = painter.device()->logicalDpiY() / kMmPerInch;
    const double unitsPerPoint = painter.device()->logicalDpiY() / kPointsPerInch;
    const QRectF inner = page.adjusted(kLabelMarginMm * unitsPerMm, kLabelMarginMm * unitsPerMm,
                                       -kLabelMarginMm * unitsPerMm, -kLabelMarginMm * unitsPerMm);
    painter.fillRect(page, Qt::white);
    QRectF text = inner;
    if (const std::optional<QrCode> qr = QrCode::encode(code)) {
        const double side = std::min(inner.height(), inner.width() * kLabelCodeShare);
        const QRectF square = paintQrCode(
            painter, *qr, QPointF(inner.right() - side, inner.center().y() - side / 2), side);
        text.setRight(square.left() - kLabelGapMm * unitsPerMm);
    }
    // One size for every line: as large as the height allows, then smaller until the widest
    // fits, down to what a label printer still prints legibly; past that a line is cut.
    double points = std::clamp(text.height() / double(std::max<qsizetype>(1, lines.size()))
                                   / kLabelLineSpacing / unitsPerPoint,
                               kLabelMinPoints, kLabelMaxPoints);
    const auto widest = [&](double size) {
        double most = 0.0;
        for (qsizetype n = 0; n < lines.size(); ++n) {
            const QFontMetricsF metrics(labelFont(size, n == 0), painter.device());
            most = std::max(most, metrics.horizontalAdvance(lines[n].simplified()));
        }
        return most;
    };
    for (double width = widest(points); width > text.width() && points > kLabelMinPoints;
         width = widest(points))
        points = std::max(kLabelMinPoints, points * text.width() / width * 0.98);
    const double lineHeight = points * kLabelLineSpacing * unitsPerPoint;
    double y = text.top() + (text.height() - lineHeight * double(lines.size())) / 2;
    painter.setPen(Qt::black);
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QFont font = labelFont(points, n == 0);
        painter.setFont(font);
        const QFontMetricsF metrics(font, painter.device());
        painter.drawText(QRectF(text.left(), y, text.width(), lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         metrics.elidedText(lines[n].simplified(), Qt::ElideRight, text.width()));
        y += lineHeight;
    }
}

} // namespace

QStringList inventoryColumns()
{
    return {u"tank_id"_s, u"tank"_s,   u"stallion"_s,        u"batch_id"_s, u"frozen_at"_s,
            u"state"_s,   u"straws"_s, u"straws_per_dose"_s, u"doses"_s,    u"positions"_s};
}

QByteArray inventoryCsvLine(const InventoryLine &line)
{
    const std::optional<qint64> doses = dosesOf(line);
    const std::array<QString, kInventoryColumnCount> cells{
        line.tankId > 0 ? QString::number(line.tankId) : QString(),
        line.tankName,
        line.stallion,
        QString::number(line.batchId),
        line.frozenAt.isValid() ? csvTime(line.frozenAt) : QString(),
        releaseStateName(line.state),
        QString::number(line.straws),
        line.strawsPerDose > 0 ? QString::number(line.strawsPerDose) : QString(),
        doses ? QString::number(*doses) : QString(),
        QString::number(line.positions)};
    QString text;
    for (const QString &cell : cells) {
        if (&cell != cells.data())
            text += u',';
        text += csvCell(guardFormula(cell));
    }
    text += u"\r\n"_s;
    return text.toUtf8();
}

ExportOutcome exportInventoryCsv(Journal &journal, InventoryBy by, QIODevice &out)
{
    JournalError error;
    const QList<InventoryLine> lines = inventory(journal, by, &error);
    if (!error.ok())
        return journalUnreadable(error, 0, {});
    QByteArray bytes = inventoryColumns().join(u',').toUtf8() + "\r\n";
    for (const InventoryLine &line : lines)
        bytes += inventoryCsvLine(line);
    if (out.write(bytes) != bytes.size())
        return {0, ExportOutcome::Kind::WriteFailed, {}, out.errorString()};
    return {lines.size(), ExportOutcome::Kind::None, {}, {}};
}

ExportOutcome exportInventoryCsvFile(Journal &journal, InventoryBy by, const QString &fileName)
{
    OutputFile file(fileName, journal.location());
    if (!file.begin())
        return exportOutcome(file.problem(), 0, fileName);
    ExportOutcome outcome = exportInventoryCsv(journal, by, file);
    outcome.target = fileName;
    if (!outcome.ok() || !file.flushBuffer()) {
        if (!file.problem().ok())
            outcome = exportOutcome(file.problem(), outcome.rows, fileName);
        file.discard();
        return outcome;
    }
    if (!file.commit())
        return exportOutcome(file.problem(), outcome.rows, fileName);
    return outcome;
}

ExportOutcome exportInventoryPdf(Journal &journal, InventoryBy by, const QString &fileName)
{
    using Kind = ExportOutcome::Kind;
    InventoryPaper paper{by, {}, {}, {}, {}};
    JournalError error;
    paper.lines = inventory(journal, by, &error);
    if (!error.ok())
        return journalUnreadable(error, 0, fileName);
    const QList<Tank> tanks = journal.tanks();
    if (!journal.lastError().ok())
        return journalUnreadable(journal.lastError(), 0, fileName);
    for (const Tank &tank : tanks)
        paper.tanks.insert(tank.id, tank);
    const std::optional<StationProfile> station = journal.stationProfile();
    if (!station)
        return journalUnreadable(journal.lastError(), 0, fileName);

    qint64 straws = 0;
    for (const InventoryLine &line : std::as_const(paper.lines))
        straws += line.straws;
    paper.title = by == InventoryBy::Tank ? RecordsText::tr("Frozen semen in store, by tank")
                                          : RecordsText::tr("Frozen semen in store, by stallion");
    paper.heading << RecordsText::tr("Station: %1")
                         .arg(station->name.isEmpty() ? RecordsText::tr("(not named)")
                                                      : station->name)
                  << RecordsText::tr("Approval number: %1")
                         .arg(station->approval.isEmpty() ? RecordsText::tr("(none)")
                                                          : station->approval)
                  << RecordsText::tr("%1 straws in %2 lines; made %3")
                         .arg(straws)
                         .arg(paper.lines.size())
                         .arg(QDateTime::currentDateTime().toString(u"yyyy-MM-dd HH:mm t"_s));

    OutputFile file(fileName, journal.location());
    if (!file.begin())
        return exportOutcome(file.problem(), 0, fileName);
    {
        QPdfWriter writer(&file);
        setUpPdf(writer, paper.title);
        Pages measured(writer, nullptr);
        paper.draw(measured);
        QPainter painter;
        if (!painter.begin(&writer))
            return {0, Kind::WriteFailed, fileName,
                    RecordsText::tr("the PDF writer did not start")};
        Pages pages(writer, &painter);
        pages.setPageCount(measured.pageNumber());
        const bool paged = paper.draw(pages);
        painter.end();
        if (!file.problem().ok())
            return exportOutcome(file.problem(), 0, fileName);
        if (!paged)
            return {0, Kind::PageFailed, fileName, {}};
    }
    if (!file.commit())
        return exportOutcome(file.problem(), 0, fileName);
    return {paper.lines.size(), Kind::None, fileName, {}};
}

QByteArray caneCode(qint64 batchId, const StrawPosition &position)
{
    QByteArray code = "ESTRIVO-FROZEN;batch=" + QByteArray::number(batchId)
                      + ";tank=" + QByteArray::number(position.tankId)
                      + ";canister=" + QByteArray::number(position.canister);
    if (!position.goblet.isEmpty())
        code += ";goblet=" + QUrl::toPercentEncoding(position.goblet);
    if (!position.cane.isEmpty())
        code += ";cane=" + QUrl::toPercentEncoding(position.cane);
    return code;
}

ExportOutcome writeCaneLabels(Journal &journal, qint64 batchId, const QString &pdfFile)
{
    using Kind = ExportOutcome::Kind;
    const std::optional<FreezeBatch> batch = journal.freezeBatch(batchId);
    if (!batch) {
        if (journal.lastError().kind != JournalError::Kind::NotFound && !journal.lastError().ok())
            return journalUnreadable(journal.lastError(), 0, pdfFile);
        return {0, Kind::Refused, pdfFile,
                RecordsText::tr("no freeze batch has the ID %1").arg(batchId)};
    }
    const QList<Placement> placements = journal.placementsOfBatch(batchId);
    if (!journal.lastError().ok())
        return journalUnreadable(journal.lastError(), 0, pdfFile);
    if (placements.isEmpty()) {
        return {0, Kind::Refused, pdfFile,
                RecordsText::tr("no straw of freeze batch %1 is placed in a tank").arg(batchId)};
    }

    OutputFile file(pdfFile, journal.location());
    if (!file.begin())
        return exportOutcome(file.problem(), 0, pdfFile);
    qint64 labels = 0;
    {
        QPdfWriter writer(&file);
        writer.setResolution(kLabelDotsPerInch);
        writer.setTitle(RecordsText::tr("Cane labels, freeze batch %1").arg(batchId));
        writer.setCreator(u"Estrivo Records"_s);
        const QSizeF size = defaultLabelSize();
        writer.setPageLayout(
            QPageLayout(QPageSize(size, QPageSize::Millimeter, {}, QPageSize::ExactMatch),
                        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        QPainter painter;
        if (!painter.begin(&writer))
            return {0, Kind::WriteFailed, pdfFile,
                    RecordsText::tr("the PDF writer did not start")};
        const QRectF page = writer.pageLayout().fullRectPixels(writer.resolution());
        const QString volume = QLocale::c().toString(batch->strawVolumeMl, 'g', 3);
        for (const Placement &placement : placements) {
            if (labels > 0 && !writer.newPage()) {
                painter.end();
                return {labels, Kind::PageFailed, pdfFile, {}};
            }
            QStringList lines{
                placement.stallion.isEmpty() ? batch->stallion : placement.stallion,
                RecordsText::tr("Batch %1, frozen %2").arg(batchId).arg(isoDay(batch->frozenAt)),
                (placement.straws == 1
                     ? RecordsText::tr("1 straw of %1 ml").arg(volume)
                     : RecordsText::tr("%1 straws of %2 ml").arg(placement.straws).arg(volume)),
            };
            lines << positionLines(placement);
            if (!batch->strawMarking.isEmpty())
                lines << batch->strawMarking;
            paintCaneLabel(painter, page, lines, caneCode(batchId, placement.position));
            ++labels;
        }
        painter.end();
        if (!file.problem().ok())
            return exportOutcome(file.problem(), labels, pdfFile);
    }
    if (!file.commit())
        return exportOutcome(file.problem(), labels, pdfFile);
    return {labels, Kind::None, pdfFile, {}};
}

QString inventoryOutcomeText(const ExportOutcome &outcome)
{
    if (!outcome.ok())
        return exportOutcomeText(outcome);
    const QString target
        = outcome.target.isEmpty() ? RecordsText::tr("standard output") : outcome.target;
    return outcome.rows == 1
               ? RecordsText::tr("1 line written to %1").arg(target)
               : RecordsText::tr("%1 lines written to %2").arg(outcome.rows).arg(target);
}

} // namespace estrivo
