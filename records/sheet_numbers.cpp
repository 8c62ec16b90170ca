#include "sheet_numbers.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace estrivo {

namespace {

// Million sperm per ml times ml gives millions; the records count in billions.
constexpr double kMillionsPerBillion = 1000.0;
constexpr double kPercent = 100.0;

} // namespace

std::optional<double> numberIn(const QString &text)
{
    const bool hasDigit
        = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!hasDigit)
        return std::nullopt;
    const double value = readNumber(text.toStdString());
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

SheetNumbers sheetNumbers(const SheetRecord &sheet)
{
    SheetNumbers numbers;
    const std::optional<double> con = numberIn(sheet.text(Field::Con));
    const std::optional<double> gfv = numberIn(sheet.text(Field::GFV));
    const std::optional<double> motility = numberIn(sheet.text(Field::Motility));
    numbers.concentration = con;
    numbers.motility = motility;
    if (con && gfv)
        numbers.totalSperm = *con * *gfv / kMillionsPerBillion;
    if (numbers.totalSperm && motility)
        numbers.motileSperm = *numbers.totalSperm * *motility / kPercent;
    numbers.doses = numberIn(sheet.text(Field::NumDoses));
    return numbers;
}

QDateTime collectionTime(const SheetRecord &sheet, bool *fromSave)
{
    const QString text = sheet.text(Field::Date).trimmed();
    // A history is read in one form or two: the last form that worked is tried first.
    thread_local QLocale lastLocale = QLocale::c();
    thread_local QString lastFormat;
    if (!text.isEmpty() && !lastFormat.isEmpty()) {
        const QDateTime read = lastLocale.toDateTime(text, lastFormat);
        if (read.isValid()) {
            if (fromSave)
                *fromSave = false;
            return read;
        }
    }
    if (!text.isEmpty()) {
        // The window writes the desktop's short date and a time with seconds; a journal
        // shared across desktops may hold others' forms too.
        for (const QLocale &locale : {QLocale::system(), QLocale::c()}) {
            for (const QString &time :
                 {locale.timeFormat(QLocale::LongFormat), QStringLiteral("HH:mm:ss"),
                  QStringLiteral("h:mm:ss AP")}) {
                QString timeFormat = time;
                timeFormat.remove(QStringLiteral(" t")).remove(u't');
                const QString format
                    = locale.dateFormat(QLocale::ShortFormat) + u' ' + timeFormat.trimmed();
                const QDateTime read = locale.toDateTime(text, format);
                if (read.isValid()) {
                    lastLocale = locale;
                    lastFormat = format;
                    if (fromSave)
                        *fromSave = false;
                    return read;
                }
            }
        }
        const QDateTime iso = QDateTime::fromString(text, Qt::ISODate);
        if (iso.isValid()) {
            if (fromSave)
                *fromSave = false;
            return iso;
        }
    }
    if (fromSave)
        *fromSave = true;
    return sheet.savedAt;
}

QString numberText(std::optional<double> value, int decimals)
{
    return value ? QString::number(*value, 'f', decimals) : QString();
}

} // namespace estrivo
