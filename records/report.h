#pragma once

#include "csv_export.h"
#include "journal.h"

#include <QPicture>
#include <QString>

namespace estrivo {

// What goes on top of the report's first page.
struct ReportHeading
{
    QString title;
    QString filterText; // the filter in words
    QPicture chart;     // the trend as drawn on the screen; none when empty
};

// A PDF (A4 landscape) of the sheets the filter selects: the heading and the chart, then the
// rows as the list shows them, the column titles on every page. The file is replaced only
// once the whole report is written. Safe off the GUI thread.
ExportOutcome writePdfReport(Journal &journal, const SheetFilter &filter,
                             const ReportHeading &heading, const QString &fileName);

} // namespace estrivo
