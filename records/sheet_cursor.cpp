#include "sheet_cursor.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlRecord>

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

} // namespace

SheetCursor::SheetCursor(QSqlQuery query)
    : m_query(std::move(query))
{
    if (!m_query.isActive()) {
        m_error = queryError(m_query);
        return;
    }
    // A scrollable query keeps every row it passed (a PostgreSQL one fetches all rows at
    // once); read once, front to back, none needs keeping. Its bound values stay for the
    // second run.
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
    sheet.savedAt = QDateTime::fromString(value(SavedAt).toString(), Qt::ISODateWithMs);
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
