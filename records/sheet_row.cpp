#include "sheet_row.h"

#include "records_text.h"
#include <QLocale>
#include <QRegularExpression>

#include <QCoreApplication>

namespace estrivo {

namespace {

// A kept number at a reading precision; a text without a number (a placeholder) as it is.
QString rounded(const QString &text, int decimals)
{
    const std::optional<double> value = numberIn(text);
    return value ? QLocale::c().toString(*value, 'f', decimals) : text;
}

} // namespace

namespace {} // namespace

SheetRow sheetRow(const SheetRecord &sheet)
{
    SheetRow row;
    row.id = sheet.id;
    row.savedAt = sheet.savedAt;
    row.stallion = sheet.stallion;
    row.collectionDate = sheet.text(Field::Date);
    row.concentration = sheet.text(Field::Con);
    row.gelFreeVolume = sheet.text(Field::GFV);
    row.motility = sheet.text(Field::Motility);
    row.doses = sheet.text(Field::NumDoses);
    row.volumePerDose = sheet.text(Field::VPD);
    row.printed = sheet.printed;
    row.numbers = sheetNumbers(sheet);
    row.collectedAt = collectionTime(sheet, &row.collectedAtFromSave);
    // A line ends at "\n", "\r\n" or "\r", as the box's lines do.
    const qsizetype lineEnd = sheet.notes.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    row.notes = sheet.notes.left(lineEnd < 0 ? kListPreview
                                             : std::min(lineEnd, qsizetype(kListPreview)));
    row.sortValue = sheet.sortValue;
    return row;
}

QString columnTitle(SheetColumn column)
{
    switch (column) {
    case SheetColumn::Saved:
        return RecordsText::tr("Saved");
    case SheetColumn::Stallion:
        return RecordsText::tr("Stallion");
    case SheetColumn::CollectionDate:
        return RecordsText::tr("Collection Date");
    case SheetColumn::Concentration:
        return RecordsText::tr("Concentration (M/ml)");
    case SheetColumn::GelFreeVolume:
        return RecordsText::tr("Gel-Free Volume (ml)");
    case SheetColumn::Motility:
        return RecordsText::tr("Motility (%)");
    case SheetColumn::TotalSperm:
        return RecordsText::tr("Total Sperm (billions)");
    case SheetColumn::MotileSperm:
        return RecordsText::tr("Motile Sperm (billions)");
    case SheetColumn::Doses:
        return RecordsText::tr("Doses");
    case SheetColumn::VolumePerDose:
        return RecordsText::tr("Volume per Dose (ml)");
    case SheetColumn::Printed:
        return RecordsText::tr("Printed");
    case SheetColumn::Notes:
        return RecordsText::tr("Notes");
    }
    return {};
}

QString cellText(const SheetRow &row, SheetColumn column)
{
    switch (column) {
    case SheetColumn::Saved:
        return savedText(row.savedAt);
    case SheetColumn::Stallion:
        return row.stallion;
    case SheetColumn::CollectionDate:
        return collectionDateText(row.collectedAt, row.collectedAtFromSave);
    case SheetColumn::Concentration:
        return row.concentration;
    case SheetColumn::GelFreeVolume:
        return rounded(row.gelFreeVolume, 1);
    case SheetColumn::Motility:
        return row.motility;
    case SheetColumn::TotalSperm:
        return numberText(row.numbers.totalSperm);
    case SheetColumn::MotileSperm:
        return numberText(row.numbers.motileSperm);
    case SheetColumn::Doses:
        return row.doses;
    case SheetColumn::VolumePerDose:
        return rounded(row.volumePerDose, 2);
    case SheetColumn::Printed:
        return row.printed ? RecordsText::tr("Yes") : RecordsText::tr("No");
    case SheetColumn::Notes:
        return row.notes;
    }
    return {};
}

QString cellToolTip(const SheetRow &row, SheetColumn column)
{
    switch (column) {
    case SheetColumn::CollectionDate:
        return row.collectedAtFromSave
                   ? RecordsText::tr("No collection date on the sheet; saved %1")
                         .arg(savedText(row.savedAt))
                   : row.collectionDate;
    case SheetColumn::GelFreeVolume:
        return row.gelFreeVolume;
    case SheetColumn::VolumePerDose:
        return row.volumePerDose;
    case SheetColumn::TotalSperm:
        return row.numbers.totalSperm ? QString::number(*row.numbers.totalSperm, 'g', 15)
                                      : QString();
    case SheetColumn::MotileSperm:
        return row.numbers.motileSperm ? QString::number(*row.numbers.motileSperm, 'g', 15)
                                       : QString();
    default:
        return cellText(row, column);
    }
}

QString collectionDateText(const QDateTime &at, bool fromSave)
{
    if (!at.isValid())
        return {};
    const QString day = QLocale().toString(at.toLocalTime().date(), QLocale::ShortFormat);
    return fromSave ? RecordsText::tr("%1 (saved)").arg(day) : day;
}

bool isNumberColumn(SheetColumn column)
{
    switch (column) {
    case SheetColumn::Saved:
    case SheetColumn::Stallion:
    case SheetColumn::CollectionDate:
    case SheetColumn::Printed:
    case SheetColumn::Notes:
        return false;
    default:
        return true;
    }
}

QString collectionsText(qint64 count)
{
    return count == 1 ? RecordsText::tr("1 collection")
                      : RecordsText::tr("%1 collections").arg(count);
}

QString savedText(const QDateTime &savedAt)
{
    return savedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace estrivo
