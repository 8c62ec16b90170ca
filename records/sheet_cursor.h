#pragma once

#include "journal.h"

#include <QSqlQuery>
#include <QString>

#include <array>

namespace estrivo {

// Reads the journal's sheet query forward, row by row, into records without their pictures.
class SheetCursor
{
public:
    explicit SheetCursor(QSqlQuery query);

    // False when the query did not run; error() says why.
    bool isValid() const { return m_error.isEmpty(); }

    // The next row into `sheet`; false at the end, or on a failure error() then names.
    bool next(SheetRecord &sheet);

    QString error() const { return m_error; }

private:
    enum Column {
        Id,
        SavedAt,
        Stallion,
        Notes,
        Workstation,
        Operator,
        ProgramVersion,
        Printed,
        Printer,
        ReadingId,
        FirstField, // the twelve field texts follow, in the order of Field
        ColumnCount = FirstField + int(kFieldCount)
    };

    QSqlQuery m_query;
    std::array<int, ColumnCount> m_index{};
    QString m_error;
};

} // namespace estrivo
