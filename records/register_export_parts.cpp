// The days, words and station lines the register's CSV, its PDF and the transport sheet share.
#include "register_export_parts.h"

namespace estrivo::register_paper {

using namespace Qt::StringLiterals;

namespace {

QString markingText(StationProfile::Marking marking)
{
    return marking == StationProfile::Marking::Eu ? RecordsText::tr("EU marking")
                                                  : RecordsText::tr("no marking");
}

} // namespace

QString isoDay(const QDate &day)
{
    return day.isValid() ? day.toString(Qt::ISODate) : QString();
}

QString localMinute(const QDateTime &time)
{
    return time.isValid() ? time.toLocalTime().toString(u"yyyy-MM-dd HH:mm"_s) : QString();
}

QString joined(const QStringList &parts, const QString &separator)
{
    QStringList kept;
    for (const QString &part : parts) {
        if (!part.trimmed().isEmpty())
            kept << part.trimmed();
    }
    return kept.join(separator);
}

QString movementWord(MovementKind kind)
{
    switch (kind) {
    case MovementKind::Dispatched:
        return RecordsText::tr("dispatched");
    case MovementKind::Used:
        return RecordsText::tr("used");
    case MovementKind::Destroyed:
        return RecordsText::tr("destroyed");
    case MovementKind::Returned:
        return RecordsText::tr("returned");
    case MovementKind::Adjusted:
        return RecordsText::tr("adjusted");
    }
    return {};
}

void setUpPdf(QPdfWriter &writer, const QString &title, QPageLayout::Orientation orientation)
{
    writer.setResolution(kResolutionDpi);
    writer.setTitle(title);
    writer.setCreator(u"Estrivo Records"_s);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
}

// The station's lines on top of the register and the transport sheet.
QStringList stationLines(const StationProfile &station)
{
    QStringList lines;
    lines << RecordsText::tr("Station: %1")
                 .arg(station.name.isEmpty() ? RecordsText::tr("(not named)") : station.name);
    lines << RecordsText::tr("Approval number: %1; %2")
                 .arg(station.approval.isEmpty() ? RecordsText::tr("(none)") : station.approval,
                      markingText(station.marking));
    if (!station.address.trimmed().isEmpty())
        lines << RecordsText::tr("Address: %1").arg(station.address.simplified());
    return lines;
}

ExportOutcome journalUnreadable(const JournalError &error, qint64 rows, const QString &target)
{
    return {rows, ExportOutcome::Kind::JournalUnreadable, target, error.reason};
}

} // namespace estrivo::register_paper
