// The transport sheet that goes with a dispatch of doses, as a one-page PDF.
#include "records_text.h"
#include "register_export.h"
#include "register_export_parts.h"

#include "output_file.h"
#include "sheet_numbers.h"

#include <QFontMetricsF>
#include <QLocale>
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

// A number as a sheet of paper shows it: rounded to `decimals`; a text with none as kept.
QString shownNumber(const QString &kept, int decimals)
{
    const std::optional<double> value = numberIn(kept);
    return value ? QLocale::c().toString(*value, 'f', decimals) : kept;
}

QString withUnit(const QString &kept, int decimals, const QString &unit)
{
    const QString shown = shownNumber(kept, decimals);
    return shown.isEmpty() || !numberIn(kept) ? shown : shown + u' ' + unit;
}

} // namespace

ExportOutcome writeTransportSheet(Journal &journal, qint64 dispatchId, const QString &fileName)
{
    using Kind = ExportOutcome::Kind;
    const std::optional<Movement> dispatch = journal.movement(dispatchId);
    if (!dispatch) {
        if (journal.lastError().kind != JournalError::Kind::NotFound)
            return journalUnreadable(journal.lastError(), 0, fileName);
        return {0, Kind::Refused, fileName,
                RecordsText::tr("no movement has the ID %1").arg(dispatchId)};
    }
    if (dispatch->kind != MovementKind::Dispatched) {
        return {0, Kind::Refused, fileName,
                RecordsText::tr("movement %1 is no dispatch (its doses were %2)")
                    .arg(dispatchId)
                    .arg(movementWord(dispatch->kind))};
    }
    const std::optional<SheetRecord> sheet = journal.sheet(dispatch->sheetId);
    if (!sheet)
        return journalUnreadable(journal.lastError(), 0, fileName);
    const std::optional<StationProfile> station = journal.stationProfile();
    if (!station)
        return journalUnreadable(journal.lastError(), 0, fileName);
    std::optional<Stallion> stallion = journal.stallionNamed(sheet->stallion);
    if (!stallion && journal.lastError().kind != JournalError::Kind::NotFound
        && !journal.lastError().ok())
        return journalUnreadable(journal.lastError(), 0, fileName);

    const auto value = [](const QString &text) {
        const QString shown = text.trimmed();
        return shown.size() > kLongestValue ? shown.left(kLongestValue) + u'\u2026' : shown;
    };
    using Lines = QList<std::pair<QString, QString>>;
    const Lines donor{
        {RecordsText::tr("Stallion"), value(stallion ? stallion->name : sheet->stallion)},
        {RecordsText::tr("Species"), value(stallion ? stallion->species : QString())},
        {RecordsText::tr("Breed"), value(stallion ? stallion->breed : QString())},
        {RecordsText::tr("Born"), stallion ? isoDay(stallion->born) : QString()},
        {RecordsText::tr("UELN"), value(stallion ? stallion->ueln : QString())},
        {RecordsText::tr("Registration"), value(stallion ? stallion->registration : QString())},
        {RecordsText::tr("Owner"), value(stallion ? stallion->owner : QString())},
    };
    const Lines collection{
        {RecordsText::tr("Collection"), QString::number(sheet->id)},
        {RecordsText::tr("Collected"), localMinute(collectionTime(*sheet))},
        {RecordsText::tr("Concentration"), withUnit(sheet->text(Field::Con), 1, u"M/ml"_s)},
        {RecordsText::tr("Motility"), withUnit(sheet->text(Field::Motility), 0, u"%"_s)},
        {RecordsText::tr("Sperm per dose"), withUnit(sheet->text(Field::TotalDose), 0, u"M"_s)},
        {RecordsText::tr("Volume per dose"), withUnit(sheet->text(Field::VPD), 2, u"ml"_s)},
        {RecordsText::tr("Semen per dose"), withUnit(sheet->text(Field::SemenVol), 2, u"ml"_s)},
        {RecordsText::tr("Extender per dose"), withUnit(sheet->text(Field::ExtVol), 2, u"ml"_s)},
    };
    const Lines consignment{
        {RecordsText::tr("Doses"), QString::number(dispatch->doses)},
        {RecordsText::tr("Dispatched"), localMinute(dispatch->movedAt)},
        {RecordsText::tr("Consignee"), value(dispatch->consignee)},
        {RecordsText::tr("Mare"), value(joined({dispatch->mare, dispatch->mareUeln}, u", "_s))},
        {RecordsText::tr("Address"), value(dispatch->address)},
        {RecordsText::tr("Country"), dispatch->country},
        {RecordsText::tr("Vet"), value(dispatch->vet)},
        {RecordsText::tr("Carrier"), value(dispatch->carrier)},
        {RecordsText::tr("Tracking"), value(dispatch->tracking)},
        {RecordsText::tr("Container"), value(dispatch->container)},
        {RecordsText::tr("Due back"), isoDay(dispatch->dueBack)},
        {RecordsText::tr("Operator"), value(dispatch->operatorName)},
    };

    OutputFile file(fileName, journal.location());
    if (!file.begin())
        return exportOutcome(file.problem(), 0, fileName);
    {
        QPdfWriter writer(&file);
        const QString title = RecordsText::tr("Transport sheet: dispatch %1").arg(dispatchId);
        setUpPdf(writer, title, QPageLayout::Portrait);
        QPainter painter;
        if (!painter.begin(&writer))
            return {0, Kind::WriteFailed, fileName,
                    RecordsText::tr("the PDF writer did not start")};
        Pages pages(writer, painter);
        pages.paragraph(title, kTitlePoints, true, true);
        for (const QString &line : stationLines(*station))
            pages.paragraph(line, kTextPoints, false, true);
        const double labelWidth = pages.page().width() * 0.3;
        const auto section = [&](const QString &heading, const Lines &lines) {
            pages.advance(pages.lineHeight(kTextPoints) * 0.6);
            pages.paragraph(heading, kSectionPoints, true, true);
            const QFont font = pages.font(kTextPoints);
            painter.setFont(font);
            const QFontMetricsF metrics(font, &writer);
            for (const auto &[label, text] : lines) {
                const QRectF valueRect(pages.page().left() + labelWidth, pages.y(),
                                       pages.page().width() - labelWidth, pages.page().height());
                const QRectF bounds = metrics.boundingRect(valueRect, Qt::TextWordWrap,
                                                           text.isEmpty() ? u"-"_s : text);
                painter.drawText(
                    QRectF(pages.page().left(), pages.y(), labelWidth, bounds.height()),
                    Qt::AlignLeft | Qt::AlignTop, label);
                painter.drawText(bounds, Qt::TextWordWrap, text.isEmpty() ? u"-"_s : text);
                pages.advance(std::max(bounds.height(), pages.lineHeight(kTextPoints)));
            }
        };
        section(RecordsText::tr("Donor"), donor);
        section(RecordsText::tr("Collection"), collection);
        section(RecordsText::tr("Consignment"), consignment);
        // Room for the hand-over, where the page has it left.
        pages.advance(pages.lineHeight(kTextPoints) * 3);
        if (pages.left() > pages.lineHeight(kTextPoints) * 2) {
            painter.setFont(pages.font(kTextPoints));
            const double half = pages.page().width() / 2;
            for (const auto &[x, text] :
                 {std::pair{pages.page().left(), RecordsText::tr("Handed over (date, signature)")},
                  std::pair{pages.page().left() + half,
                            RecordsText::tr("Received (date, signature)")}}) {
                painter.drawLine(QPointF(x, pages.y()), QPointF(x + half * 0.85, pages.y()));
                painter.drawText(QRectF(x, pages.y(), half, pages.lineHeight(kTextPoints)),
                                 Qt::AlignLeft | Qt::AlignTop, text);
            }
        }
        pages.foot(1, 1);
        painter.end();
        if (!file.problem().ok())
            return exportOutcome(file.problem(), 0, fileName);
    }
    if (!file.commit())
        return exportOutcome(file.problem(), 0, fileName);
    return {1, Kind::None, fileName, {}};
}

} // namespace estrivo
