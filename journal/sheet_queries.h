// The sheets' columns, the statements that select them and the mapping of a row to a record:
// the one place that knows how a sheet is laid out in the tables. Inside journal/ only.
#pragma once

#include "journal_types.h"

#include <QSqlQuery>
#include <QString>
#include <QVariantList>

namespace estrivo {

class JournalBackend;

// The SELECT for a filter and a page in the page's order; its values in the order of its
// marks. For an order other than by time the sort value is the row's last column.
QString sheetSelect(SheetDetail detail, const SheetFilter &filter, const SheetPage &page,
                    const JournalBackend &backend, QVariantList &values,
                    const QStringList &otherKeys = {});
// The WHERE clause (with its leading blank; empty for none) of a filter, for a select of one's
// own over the sheets table.
QString sheetWhere(const SheetFilter &filter, QVariantList &values,
                   const QStringList &otherKeys = {});

// One sheet by id, with its picture.
QString sheetWithPictureSelect();
// How many sheets a filter selects.
QString sheetCountSelect(const SheetFilter &filter, QVariantList &values,
                         const QStringList &otherKeys = {});

// The INSERT of a sheet (RETURNING its id) and its values.
QString sheetInsert(const SheetRecord &sheet, QVariantList &values);

// The keys of the other names the registered stallion a filter names goes by (none for an
// unregistered one), for the statements below: his sheets are those under any of them.
bool findOtherKeys(QSqlQuery &query, const SheetFilter &filter, QStringList &otherKeys);

// A row of sheetSelect() or sheetWithPictureSelect() as a record.
SheetRecord sheetFromRow(const QSqlQuery &query, SheetDetail detail, bool withPicture = false);

// Times are kept as ISO 8601 UTC texts with milliseconds, "2026-12-06T23:40:12.000Z", which
// sort as the times do.
QString timeText(const QDateTime &time);
QDateTime timeFromText(const QString &text);

// Spellings counted one by one, made one entry a stallion (a key) under the spelling used most:
// the first in code order among equals, so both back ends agree whatever their collation.
QList<StallionCount> oneEntryAStallion(QList<StallionCount> spellings);

// The search text of a sheet: its name's and notes' keys (stallionKey), on two lines.
QString sheetSearchText(const QString &stallion, const QString &notes);

// Qt binds a null QString or QByteArray as SQL NULL; the columns want the empty value.
QVariant textValue(const QString &text);
QVariant bytesValue(const QByteArray &bytes);

} // namespace estrivo
