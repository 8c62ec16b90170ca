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
    QPicture chart;     // the trend at reportChartSize(); none when empty
};

// The size the chart takes on the report's first page, in pixels at `dotsPerInch`: drawn at
// that size and resolution it comes out with its text at its own point size.
QSizeF reportChartSize(double dotsPerInch);

// A PDF (A4 landscape) of the sheets the filter selects: the heading and the chart, then the
// rows as the list shows them, the column titles on every page. The file is replaced only
// once the whole report is written. Safe off the GUI thread.
ExportOutcome writePdfReport(Journal &journal, const SheetFilter &filter,
                             const ReportHeading &heading, const QString &fileName);

} // namespace estrivo
