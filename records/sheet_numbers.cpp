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

namespace {

// Reads `text` in `format` for the forms a short date and a time with seconds take (d, dd, M,
// MM, MMM, yy, yyyy, H, HH, h, hh, m, mm, s, ss, AP, quoted and plain literals), at a small
// part of QLocale::toDateTime's cost: a long history is read a collection at a time. Nothing
// where the format holds anything else; two-digit years are this century's.
std::optional<QDateTime> quickRead(const QString &text, const QString &format,
                                   const QLocale &locale)
{
    int day = -1, month = -1, year = -1, hour = 0, minute = 0, second = 0, afternoon = -1;
    qsizetype at = 0;
    const auto digits = [&](qsizetype least, qsizetype most) {
        int value = 0;
        const qsizetype start = at;
        while (at < text.size() && at - start < most && text[at].isDigit())
            value = value * 10 + text[at++].digitValue();
        return at - start >= least ? value : -1;
    };
    for (qsizetype f = 0; f < format.size();) {
        const QChar c = format[f];
        qsizetype run = 1;
        while (f + run < format.size() && format[f + run] == c)
            ++run;
        int *field = nullptr;
        switch (c.unicode()) {
        case u'd':
            field = &day;
            break;
        case u'M':
            if (run == 3) {
                for (int m = 1; m <= 12 && month < 0; ++m) {
                    const QString name = locale.monthName(m, QLocale::ShortFormat);
                    if (QStringView(text).mid(at, name.size()).compare(name, Qt::CaseInsensitive)
                        == 0) {
                        month = m;
                        at += name.size();
                    }
                }
                if (month < 0)
                    return std::nullopt;
                f += run;
                continue;
            }
            field = &month;
            break;
        case u'y':
            if (run != 2 && run != 4)
                return std::nullopt;
            year = digits(run, run);
            if (year < 0)
                return std::nullopt;
            if (run == 2)
                year += 2000;
            f += run;
            continue;
        case u'H':
        case u'h':
            field = &hour;
            break;
        case u'm':
            field = &minute;
            break;
        case u's':
            field = &second;
            break;
        case u'A':
        case u'a': {
            if (f + 1 >= format.size() || QChar(format[f + 1]).toLower() != u'p')
                return std::nullopt;
            for (const auto &[mark, isAfternoon] :
                 {std::pair{locale.amText(), 0}, std::pair{locale.pmText(), 1}}) {
                if (afternoon < 0
                    && QStringView(text).mid(at, mark.size()).compare(mark, Qt::CaseInsensitive)
                           == 0) {
                    afternoon = isAfternoon;
                    at += mark.size();
                }
            }
            if (afternoon < 0)
                return std::nullopt;
            f += 2;
            continue;
        }
        case u'\'': {
            const qsizetype close = format.indexOf(u'\'', f + 1);
            if (close < 0)
                return std::nullopt;
            const QStringView literal = QStringView(format).mid(f + 1, close - f - 1);
            if (QStringView(text).mid(at, literal.size()) != literal)
                return std::nullopt;
            at += literal.size();
            f = close + 1;
            continue;
        }
        default:
            if (c.isLetter())
                return std::nullopt; // a field this reader does not know
            for (qsizetype i = 0; i < run; ++i, ++at) {
                if (at >= text.size() || text[at] != c)
                    return std::nullopt;
            }
            f += run;
            continue;
        }
        if (run > 2)
            return std::nullopt;
        *field = digits(run, 2);
        if (*field < 0)
            return std::nullopt;
        f += run;
    }
    if (at != text.size())
        return std::nullopt;
    if (afternoon == 1 && hour < 12)
        hour += 12;
    else if (afternoon == 0 && hour == 12)
        hour = 0;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

QDateTime readIn(const QLocale &locale, const QString &text, const QString &format)
{
    if (const std::optional<QDateTime> quick = quickRead(text, format, locale))
        return *quick;
    QDateTime read = locale.toDateTime(text, format);
    // Qt reads a two-digit year into the 1900s; collections are of this century.
    if (read.isValid() && !format.contains(QStringLiteral("yyyy")) && read.date().year() < 2000)
        read = read.addYears(100);
    return read;
}

} // namespace

QDateTime collectionTime(const SheetRecord &sheet, bool *fromSave)
{
    const QString text = sheet.text(Field::Date).trimmed();
    // A history is read in one form or two: the last form that worked is tried first.
    thread_local QLocale lastLocale = QLocale::c();
    thread_local QString lastFormat;
    if (!text.isEmpty() && !lastFormat.isEmpty()) {
        const QDateTime read = readIn(lastLocale, text, lastFormat);
        if (read.isValid()) {
            if (fromSave)
                *fromSave = false;
            return read;
        }
    }
    if (!text.isEmpty()) {
        // The window writes the desktop's short date and a time with seconds; a journal
        // shared across desktops may hold others' forms too.
        for (const QLocale &locale : {QLocale(), QLocale::system(), QLocale::c()}) {
            for (const QString &time :
                 {locale.timeFormat(QLocale::LongFormat), QStringLiteral("HH:mm:ss"),
                  QStringLiteral("h:mm:ss AP")}) {
                QString timeFormat = time;
                timeFormat.remove(QStringLiteral(" t")).remove(u't');
                const QString format
                    = locale.dateFormat(QLocale::ShortFormat) + u' ' + timeFormat.trimmed();
                const QDateTime read = readIn(locale, text, format);
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
