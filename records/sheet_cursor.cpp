#include "sheet_cursor.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlRecord>
#include <QTimeZone>

namespace estrivo {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("estrivo::SheetCursor", text);
}

QString queryError(const QSqlQuery &query)
{
    return tr("The journal could not be read: %1").arg(query.lastError().text());
}

// The journal writes its times one way, "2026-12-06T23:40:12.345Z"; read that way directly,
// as Qt's general ISO reader costs more than the rest of a row together. Anything else goes
// to that reader.
QDateTime savedAt(const QString &text)
{
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

} // namespace

SheetCursor::SheetCursor(QSqlQuery query)
    : m_query(std::move(query))
{
    if (!m_query.isActive()) {
        m_error = queryError(m_query);
        return;
    }
    // Read once, front to back: a scrollable query would keep every row it passed (a
    // PostgreSQL one fetches all rows at once), so it runs again forward only, with the values
    // it was bound to.
    if (!m_query.isForwardOnly()) {
        m_query.finish();
        m_query.setForwardOnly(true);
        if (!m_query.exec()) {
            m_error = queryError(m_query);
            return;
        }
    }
    const QStringList names = Journal::sheetQueryColumns();
    const QSqlRecord record = m_query.record();
    for (int column = 0; column < FirstField; ++column)
        m_index[std::size_t(column)] = record.indexOf(names.value(column));
    for (Field field : kAllFields)
        m_index[std::size_t(FirstField) + std::size_t(field)] = Journal::sheetQueryColumn(field);
    for (int index : m_index) {
        if (index < 0 || index >= record.count()) {
            m_error = tr("The journal's sheets are not in the form this program reads.");
            return;
        }
    }
}

bool SheetCursor::next(SheetRecord &sheet)
{
    if (!m_error.isEmpty())
        return false;
    if (!m_query.next()) {
        if (m_query.lastError().isValid())
            m_error = queryError(m_query);
        return false;
    }
    const auto value = [this](Column column) {
        return m_query.value(m_index[std::size_t(column)]);
    };
    sheet.id = value(Id).toLongLong();
    sheet.savedAt = savedAt(value(SavedAt).toString());
    sheet.stallion = value(Stallion).toString();
    sheet.notes = value(Notes).toString();
    sheet.workstation = value(Workstation).toString();
    sheet.operatorName = value(Operator).toString();
    sheet.programVersion = value(ProgramVersion).toString();
    sheet.printed = value(Printed).toInt() != 0;
    sheet.printer = value(Printer).toString();
    const QVariant reading = value(ReadingId);
    sheet.readingId = reading.isNull() ? std::nullopt : std::optional(reading.toLongLong());
    for (Field field : kAllFields)
        sheet.text(field)
            = m_query.value(m_index[std::size_t(FirstField) + std::size_t(field)]).toString();
    sheet.picturePng.clear();
    return true;
}

} // namespace estrivo
