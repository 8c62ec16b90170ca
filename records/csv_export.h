#pragma once

#include "journal.h"
#include "output_file.h"

#include <QByteArray>
#include <QDateTime>
#include <QIODevice>
#include <QString>
#include <QStringList>

namespace estrivo {

// The export's columns, in order, as its header row names them.
// The nineteen columns scripts rely on, in their places, then what the table works out and the
// collection date's own text.
inline constexpr std::size_t kCsvPinnedColumns = 19;
inline constexpr std::size_t kCsvColumnCount = kCsvPinnedColumns + 4;
QStringList csvColumns();

// A cell a spreadsheet would run as a formula gets a leading apostrophe: one that begins with
// =, +, -, @ (or their full-width forms), a tab, a CR or an LF, also after control
// characters, spaces, a byte order mark or zero-width characters. A plain number such as -5 or
// -1.5E-3 stays as it is.
QString guardFormula(const QString &text);

// A time as the export writes it: ISO 8601 in local time with its offset from UTC, to the
// second, so the day in the file is the day the filters count.
QString csvTime(const QDateTime &time);

// One cell as RFC 4180 wants it: in double quotes, its quotes doubled, when it holds a comma,
// a quote or a line break.
QString csvCell(const QString &text);

// The header row and one sheet's row, each ending in CRLF, in UTF-8.
QByteArray csvHeaderLine();
QByteArray csvLine(const SheetRecord &sheet);

// Writes the kept sheets as CSV: the header once, then a row each.
class CsvWriter
{
public:
    explicit CsvWriter(QIODevice &out);

    bool writeHeader();
    bool write(const SheetRecord &sheet);
    bool flush(); // hands what is buffered to the device
    qint64 rows() const { return m_rows; }

private:
    bool put(const QByteArray &line);

    QIODevice &m_out;
    QByteArray m_buffer; // rows are handed to the device in blocks, not one by one
    qint64 m_rows = 0;
};

// How an export ended: the rows written, or what stopped it with the facts; the windows and the
// command line word it with exportOutcomeText().
struct ExportOutcome
{
    enum class Kind {
        None,
        JournalUnreadable, // detail: the journal's reason
        CannotCreate,      // the target could not be made; detail: the system's words
        WriteFailed,       // writing or replacing the target failed; detail as above
        PageFailed,        // the report could not start a page
        Refused,           // the target is a link, the journal or a database; detail: which
        NotAFile,          // the target is a device, FIFO, socket or folder; detail: which
    };
    qint64 rows = 0;
    Kind kind = Kind::None;
    QString target; // the file written; empty for standard output
    QString detail;
    int systemError = 0; // errno behind CannotCreate or WriteFailed, where the system said no

    bool ok() const { return kind == Kind::None; }
};

// An output's problem as an export's outcome after `rows` rows.
ExportOutcome exportOutcome(const OutputProblem &problem, qint64 rows, const QString &target);

// The outcome in a sentence: what was written where, or why not.
QString exportOutcomeText(const ExportOutcome &outcome);

// Writes the sheets the filter selects, newest first, as CSV to `out`.
// With `byteOrderMark`, the file starts with one, so spreadsheet programs that otherwise assume
// a Windows code page read it as UTF-8.
ExportOutcome exportCsv(Journal &journal, const SheetFilter &filter, QIODevice &out,
                        bool byteOrderMark = false);

// The same into `fileName` through an OutputFile: replaced only once the whole export is
// written, and never when it is a link, not a regular file, the journal or a database.
ExportOutcome exportCsvFile(Journal &journal, const SheetFilter &filter, const QString &fileName,
                            bool byteOrderMark = false);

} // namespace estrivo
