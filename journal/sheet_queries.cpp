#include "sheet_queries.h"

#include "journal.h"

#include "backend.h"

#include <QStringList>
#include <QSysInfo>
#include <QVariant>

#include <algorithm>

#include <pwd.h>
#include <unistd.h>

namespace estrivo {

using namespace Qt::StringLiterals;

namespace {

// The columns of a row, in this order; the twelve field texts follow in the order of Field.
constexpr std::array<QLatin1StringView, 10> kFixedColumns{
    "id"_L1,          "saved_at"_L1,      "stallion"_L1,        "notes"_L1,
    "workstation"_L1, "operator_name"_L1, "program_version"_L1, "printed"_L1,
    "printer"_L1,     "reading_id"_L1};
constexpr std::array<QLatin1StringView, kFieldCount> kFieldColumns{
    "con"_L1,     "gfv"_L1,       "motility"_L1,        "total_dose"_L1,
    "min_ext"_L1, "max_con"_L1,   "semen_vol"_L1,       "ext_vol"_L1,
    "vpd"_L1,     "num_doses"_L1, "collection_date"_L1, "stallion_and_notes"_L1};
enum RowColumn {
    Id,
    SavedAt,
    Stallion,
    Notes,
    Workstation,
    Operator,
    Version,
    Printed,
    Printer,
    ReadingId,
    FirstField
};
constexpr int kPictureColumn = FirstField + int(kFieldCount);

// What a trend reads: the time, the stallion, the texts its numbers come from and the
// collection date.
constexpr std::array<Field, 5> kTrendFields{Field::Con, Field::GFV, Field::Motility,
                                            Field::NumDoses, Field::Date};
enum TrendColumn { TrendId, TrendSavedAt, TrendStallion, TrendFirstField };

QString columnName(Field field)
{
    return kFieldColumns[std::size_t(field)];
}

QString columnList(SheetDetail detail)
{
    QStringList columns;
    if (detail == SheetDetail::Trend) {
        columns << "id"_L1
                << "saved_at"_L1
                << "stallion"_L1;
        for (Field field : kTrendFields)
            columns << columnName(field);
        return columns.join(", "_L1);
    }
    // A list reads a line of the long texts, never all of them.
    const auto cut = [detail](QLatin1StringView column) {
        return detail == SheetDetail::List ? u"substr(%1, 1, %2)"_s.arg(column).arg(kListPreview)
                                           : QString(column);
    };
    for (const QLatin1StringView column : kFixedColumns)
        columns << (column == "notes"_L1 ? cut(column) : QString(column));
    for (const QLatin1StringView column : kFieldColumns)
        columns << (column == "stallion_and_notes"_L1 ? cut(column) : QString(column));
    return columns.join(", "_L1);
}

// Text for the search, written by the program so both back ends compare alike.
QString searchText(const QString &stallion, const QString &notes)
{
    return stallionKey(stallion) + u'\n' + stallionKey(notes);
}

QString likePattern(const QString &search)
{
    QString escaped = stallionKey(search);
    escaped.replace(u'\\', "\\\\"_L1);
    escaped.replace(u'%', "\\%"_L1);
    escaped.replace(u'_', "\\_"_L1);
    return u'%' + escaped + u'%';
}

// The first local instant of `day` (after a change of clocks that skipped its midnight, the
// first one there is) as the journal writes times; empty when there is none to write.
QString dayStartText(QDate day)
{
    if (!day.isValid())
        return {};
    const QDateTime start = day.startOfDay();
    return start.isValid() ? timeText(start) : QString();
}

// The expression an order sorts by; saved_at for the order of time.
QString orderExpression(const SheetOrder &order, const JournalBackend &backend)
{
    switch (order.key) {
    case SheetSortKey::Saved:
        break;
    case SheetSortKey::Stallion:
        return backend.byCodePoint(u"stallion_key"_s);
    case SheetSortKey::Concentration:
        return backend.numberInText(columnName(Field::Con));
    case SheetSortKey::GelFreeVolume:
        return backend.numberInText(columnName(Field::GFV));
    case SheetSortKey::Motility:
        return backend.numberInText(columnName(Field::Motility));
    case SheetSortKey::Doses:
        return backend.numberInText(columnName(Field::NumDoses));
    case SheetSortKey::VolumePerDose:
        return backend.numberInText(columnName(Field::VPD));
    case SheetSortKey::Printed:
        return u"printed"_s;
    }
    return u"saved_at"_s;
}

QString whereClause(const SheetFilter &filter, QVariantList &values,
                    const QStringList &otherKeys = {}, const SheetPage &page = {},
                    const QString &orderBy = u"saved_at"_s)
{
    QStringList conditions;
    if (!filter.stallion.isEmpty()) {
        // A registered stallion's sheets are those under any of his names; one name alone
        // keeps to the plain comparison, which a stallion's trend reads from the index.
        const QStringList keys = QStringList{stallionKey(filter.stallion)} + otherKeys;
        if (keys.size() == 1) {
            conditions << u"stallion_key = ?"_s;
        } else {
            const QStringList marks(keys.size(), u"?"_s);
            conditions << u"stallion_key IN (%1)"_s.arg(marks.join(u", "_s));
        }
        for (const QString &key : keys)
            values << key;
    }
    // Days are the local calendar's, as the programs show times. A bound the journal's times
    // cannot be written for (beyond year 9999 or before year 0 in UTC, as the calendar's
    // last and first days are in some zones) is no bound at all.
    if (const QString from = dayStartText(filter.since); !from.isEmpty()) {
        conditions << u"saved_at >= ?"_s;
        values << from;
    }
    if (const QString to = dayStartText(filter.until.addDays(1)); !to.isEmpty()) {
        conditions << u"saved_at < ?"_s;
        values << to;
    }
    if (!filter.search.isEmpty()) {
        conditions << u"search_text LIKE ? ESCAPE '\\'"_s;
        values << likePattern(filter.search);
    }
    if (filter.idAbove > 0) {
        conditions << u"id > ?"_s;
        values << filter.idAbove;
    }
    if (page.after) {
        // Ties go by id in the order's direction, so a page never repeats or skips a sheet.
        const QChar beyond = page.order.ascending ? u'>' : u'<';
        conditions << u"(%1 %2 ? OR (%1 = ? AND id %2 ?))"_s.arg(orderBy).arg(beyond);
        const QVariant at = page.order.key == SheetSortKey::Saved
                                ? QVariant(timeText(page.after->savedAt))
                                : page.after->value;
        values << at << at << page.after->id;
    }
    return conditions.isEmpty() ? QString() : " WHERE "_L1 + conditions.join(" AND "_L1);
}

} // namespace

StallionAndNotes splitStallionAndNotes(const QString &text1)
{
    qsizetype lineStart = 0;
    while (lineStart < text1.size()) {
        qsizetype lineEnd = lineStart;
        while (lineEnd < text1.size() && text1[lineEnd] != u'\n' && text1[lineEnd] != u'\r')
            ++lineEnd;
        const QString line = text1.mid(lineStart, lineEnd - lineStart).trimmed();
        qsizetype next = lineEnd;
        if (next < text1.size())
            next += text1.mid(next, 2) == "\r\n"_L1 ? 2 : 1;
        if (!line.isEmpty())
            return {line, text1.mid(next)};
        lineStart = next;
    }
    return {};
}

QString stallionKey(const QString &name)
{
    const QString decomposed = name.normalized(QString::NormalizationForm_KD);
    QString kept;
    kept.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category != QChar::Mark_NonSpacing && category != QChar::Mark_SpacingCombining
            && category != QChar::Mark_Enclosing)
            kept += c;
    }
    return kept.toCaseFolded().simplified().normalized(QString::NormalizationForm_C);
}

QList<StallionCount> oneEntryAStallion(QList<StallionCount> spellings)
{
    // One entry a key, under the spelling used most (the first in code order among equals,
    // so both back ends agree whatever the server's collation).
    std::sort(spellings.begin(), spellings.end(), [](const auto &a, const auto &b) {
        if (a.key != b.key)
            return a.key < b.key;
        if (a.collections != b.collections)
            return a.collections > b.collections;
        return a.stallion < b.stallion;
    });
    QList<StallionCount> found;
    for (const StallionCount &spelling : std::as_const(spellings)) {
        if (!found.isEmpty() && found.last().key == spelling.key)
            found.last().collections += spelling.collections;
        else
            found << spelling;
    }
    return found;
}

QString sheetSearchText(const QString &stallion, const QString &notes)
{
    return searchText(stallion, notes);
}

QString timeText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime timeFromText(const QString &text)
{
    // Read the one form the journal writes directly: Qt's general ISO reader costs more than
    // the rest of a row together. Anything else goes to that reader.
    const auto number = [&text](qsizetype from, qsizetype length) {
        int value = 0;
        for (qsizetype i = from; i < from + length; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    constexpr qsizetype kLength = 24; // yyyy-MM-ddTHH:mm:ss.zzzZ
    if (text.size() == kLength && text[4] == u'-' && text[7] == u'-' && text[10] == u'T'
        && text[13] == u':' && text[16] == u':' && text[19] == u'.' && text[23] == u'Z') {
        const QDate day(number(0, 4), number(5, 2), number(8, 2));
        const QTime time(number(11, 2), number(14, 2), number(17, 2), number(20, 3));
        if (day.isValid() && time.isValid())
            return QDateTime(day, time, Qt::UTC);
    }
    return QDateTime::fromString(text, Qt::ISODateWithMs).toUTC();
}

QVariant textValue(const QString &text)
{
    return text.isNull() ? QVariant(QString(u""_s)) : QVariant(text);
}

QVariant bytesValue(const QByteArray &bytes)
{
    return bytes.isNull() ? QVariant(QByteArray("", 0)) : QVariant(bytes);
}

int compareSortValues(const QVariant &a, const QVariant &b)
{
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString) {
        // As the journal compares names: UTF-8 bytes are code points in order.
        const int order = a.toString().toUtf8().compare(b.toString().toUtf8());
        return order < 0 ? -1 : order > 0 ? 1 : 0;
    }
    const double x = a.toDouble();
    const double y = b.toDouble();
    return x < y ? -1 : x > y ? 1 : 0;
}

QString sheetSelect(SheetDetail detail, const SheetFilter &filter, const SheetPage &page,
                    const JournalBackend &backend, QVariantList &values,
                    const QStringList &otherKeys)
{
    const QString orderBy = orderExpression(page.order, backend);
    const QString direction = page.order.ascending ? u" ASC"_s : u" DESC"_s;
    QString sql = "SELECT "_L1 + columnList(detail);
    if (page.order.key != SheetSortKey::Saved)
        sql += ", "_L1 + orderBy; // the sort value, last
    sql += " FROM sheets"_L1 + whereClause(filter, values, otherKeys, page, orderBy)
           + " ORDER BY "_L1 + orderBy + direction + ", id"_L1 + direction;
    if (page.limit > 0) {
        sql += " LIMIT ?"_L1;
        values << page.limit;
    }
    return sql;
}

bool findOtherKeys(QSqlQuery &query, const SheetFilter &filter, QStringList &otherKeys)
{
    otherKeys.clear();
    if (filter.stallion.isEmpty())
        return true;
    const QString key = stallionKey(filter.stallion);
    if (!query.prepare(u"SELECT o.name_key FROM stallion_names o JOIN stallion_names n"
                       " ON o.stallion_id = n.stallion_id WHERE n.name_key = ?"_s))
        return false;
    query.addBindValue(key);
    if (!query.exec())
        return false;
    while (query.next()) {
        if (const QString other = query.value(0).toString(); other != key)
            otherKeys << other;
    }
    const bool ok = !query.lastError().isValid();
    query.finish();
    return ok;
}

QString sheetWhere(const SheetFilter &filter, QVariantList &values, const QStringList &otherKeys)
{
    return whereClause(filter, values, otherKeys);
}

QString sheetWithPictureSelect()
{
    return "SELECT "_L1 + columnList(SheetDetail::Row)
           + ", png FROM sheets LEFT JOIN sheet_pictures ON sheet_id = id WHERE id = ?"_L1;
}

QString sheetCountSelect(const SheetFilter &filter, QVariantList &values,
                         const QStringList &otherKeys)
{
    return "SELECT COUNT(*) FROM sheets"_L1 + whereClause(filter, values, otherKeys);
}

QString sheetInsert(const SheetRecord &sheet, QVariantList &values)
{
    values
        = {timeText(sheet.savedAt),
           textValue(sheet.stallion),
           textValue(sheet.notes),
           textValue(sheet.workstation),
           textValue(sheet.operatorName),
           textValue(sheet.programVersion),
           sheet.printed ? 1 : 0,
           textValue(sheet.printer),
           sheet.readingId ? QVariant(*sheet.readingId) : QVariant(QMetaType::fromType<qint64>())};
    for (const QString &text : sheet.fields)
        values << textValue(text);
    values << searchText(sheet.stallion, sheet.notes) << stallionKey(sheet.stallion)
           << (sheet.uid.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : sheet.uid);
    const QString columns = columnList(SheetDetail::Row).section(u',', 1).trimmed();
    const QStringList marks(values.size(), u"?"_s);
    // A sheet delivered a second time adds nothing; the caller looks up the first one's id.
    return u"INSERT INTO sheets (%1, search_text, stallion_key, uid) VALUES (%2)"
           " ON CONFLICT (uid) DO NOTHING RETURNING id"_s.arg(columns, marks.join(u", "_s));
}

SheetRecord sheetFromRow(const QSqlQuery &query, SheetDetail detail, bool withPicture)
{
    SheetRecord sheet;
    if (detail == SheetDetail::Trend) {
        sheet.id = query.value(TrendId).toLongLong();
        sheet.savedAt = timeFromText(query.value(TrendSavedAt).toString());
        sheet.stallion = query.value(TrendStallion).toString();
        for (std::size_t i = 0; i < kTrendFields.size(); ++i)
            sheet.text(kTrendFields[i]) = query.value(TrendFirstField + int(i)).toString();
        return sheet;
    }
    sheet.id = query.value(Id).toLongLong();
    sheet.savedAt = timeFromText(query.value(SavedAt).toString());
    sheet.stallion = query.value(RowColumn::Stallion).toString();
    sheet.notes = query.value(Notes).toString();
    sheet.workstation = query.value(Workstation).toString();
    sheet.operatorName = query.value(Operator).toString();
    sheet.programVersion = query.value(Version).toString();
    sheet.printed = query.value(Printed).toInt() != 0;
    sheet.printer = query.value(Printer).toString();
    if (const QVariant reading = query.value(ReadingId); !reading.isNull())
        sheet.readingId = reading.toLongLong();
    for (std::size_t field = 0; field < kFieldCount; ++field)
        sheet.fields[field] = query.value(FirstField + int(field)).toString();
    if (withPicture)
        sheet.picturePng = query.value(kPictureColumn).toByteArray();
    return sheet;
}

namespace {

// The account the program runs as, never what the environment claims: $USER is the caller's
// to set.
QString loginName()
{
    const passwd *entry = getpwuid(geteuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(geteuid());
}

} // namespace

void Journal::complete(SheetRecord &sheet)
{
    QString &box = sheet.text(Field::Text1);
    if (box.size() > kNameBoxKept) {
        box.truncate(kNameBoxKept);
        if (box.back().isHighSurrogate()) // never half a character
            box.chop(1);
        sheet.stallion.clear();
        sheet.notes.clear();
    }
    if (!sheet.savedAt.isValid())
        sheet.savedAt = QDateTime::currentDateTimeUtc();
    if (sheet.workstation.isEmpty())
        sheet.workstation = QSysInfo::machineHostName();
    if (sheet.operatorName.isEmpty())
        sheet.operatorName = loginName();
    if (sheet.stallion.isEmpty() && sheet.notes.isEmpty()) {
        const StallionAndNotes split = splitStallionAndNotes(sheet.text(Field::Text1));
        sheet.stallion = split.stallion;
        sheet.notes = split.notes;
    }
}

} // namespace estrivo
