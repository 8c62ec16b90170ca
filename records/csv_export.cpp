#include "csv_export.h"
#include "records_text.h"
#include "sheet_numbers.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <array>

namespace estrivo {

namespace {

// Rows go to the device in blocks of about this size: one write per row costs more than the
// formatting does.
constexpr qsizetype kBlockBytes = 256 * 1024;

void append(QString &line, const QString &cell, bool first = false)
{
    if (!first)
        line += u',';
    line += csvCell(cell);
}

// What a spreadsheet takes as the start of a formula, the full-width forms included: some
// convert those to their ASCII twins before they look.
bool startsFormula(char16_t c)
{
    switch (c) {
    case u'=':
    case u'+':
    case u'-':
    case u'@':
    case u'\t':
    case u'\r':
    case u'\n':
    case u'\uFF1D': // full-width =
    case u'\uFF0B': // full-width +
    case u'\uFF0D': // full-width -
    case u'\uFF20': // full-width @
        return true;
    default:
        return false;
    }
}

// What a spreadsheet drops or steps over before it decides whether a cell is a formula:
// control characters, any kind of space, a byte order mark and the zero-width characters.
bool skippedAtStart(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || QChar::isSpace(c) || c == 0xFEFF
           || (c >= 0x200B && c <= 0x200D) || c == 0x2060;
}

} // namespace

QStringList csvColumns()
{
    static const std::array<const char *, kCsvColumnCount> names{"id",
                                                                 "saved_at",
                                                                 "stallion",
                                                                 "notes",
                                                                 "collection_date",
                                                                 "concentration",
                                                                 "gel_free_volume",
                                                                 "motility",
                                                                 "total_dose",
                                                                 "min_extension_ratio",
                                                                 "max_extended_concentration",
                                                                 "semen_ml",
                                                                 "extender_ml",
                                                                 "dose_volume_ml",
                                                                 "doses",
                                                                 "printed",
                                                                 "printer",
                                                                 "workstation",
                                                                 "operator",
                                                                 "total_sperm_billions",
                                                                 "motile_sperm_billions",
                                                                 "collection_date_from",
                                                                 "collection_date_text"};
    QStringList columns;
    for (const char *name : names)
        columns << QString::fromLatin1(name);
    return columns;
}

QString guardFormula(const QString &text)
{
    // A number a spreadsheet reads as one stays one: a sign is part of it, not a formula.
    static const QRegularExpression number(
        QStringLiteral("\\A[+-]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?\\z"));
    for (const QChar c : text) {
        if (startsFormula(c.unicode()))
            return number.match(text).hasMatch() ? text : u'\'' + text;
        if (!skippedAtStart(c.unicode()))
            return text;
    }
    return text;
}

QString csvCell(const QString &text)
{
    const bool quoted = text.contains(u',') || text.contains(u'"') || text.contains(u'\n')
                        || text.contains(u'\r');
    if (!quoted)
        return text;
    QString cell = text;
    cell.replace(u'"', QStringLiteral("\"\""));
    return u'"' + cell + u'"';
}

QByteArray csvHeaderLine()
{
    return csvColumns().join(u',').toUtf8() + "\r\n";
}

QString csvTime(const QDateTime &time)
{
    // In local time, as the window shows it and the day filters count days; the offset keeps
    // the instant exact.
    const QDateTime local = time.toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

QByteArray csvLine(const SheetRecord &sheet)
{
    // The collection date in one form, ISO 8601 in local time; where the sheet has none the
    // save time stands in, and the column after says which it is.
    bool fromSave = true;
    const QDateTime collected = collectionTime(sheet, &fromSave);
    const SheetNumbers numbers = sheetNumbers(sheet);
    // Every cell through the one guard: the sheet's fields are typed text like the names.
    const std::array<QString, kCsvColumnCount> cells{
        QString::number(sheet.id),
        csvTime(sheet.savedAt),
        sheet.stallion,
        sheet.notes,
        collected.isValid() ? csvTime(collected) : QString(),
        sheet.text(Field::Con),
        sheet.text(Field::GFV),
        sheet.text(Field::Motility),
        sheet.text(Field::TotalDose),
        sheet.text(Field::MinExt),
        sheet.text(Field::MaxCon),
        sheet.text(Field::SemenVol),
        sheet.text(Field::ExtVol),
        sheet.text(Field::VPD),
        sheet.text(Field::NumDoses),
        sheet.printed ? QStringLiteral("yes") : QStringLiteral("no"),
        sheet.printer,
        sheet.workstation,
        sheet.operatorName,
        numberText(numbers.totalSperm),
        numberText(numbers.motileSperm),
        fromSave ? QStringLiteral("saved") : QStringLiteral("reading"),
        sheet.text(Field::Date)};
    QString line;
    line.reserve(256);
    for (const QString &cell : cells)
        append(line, guardFormula(cell), &cell == cells.data());
    line += QStringLiteral("\r\n");
    return line.toUtf8();
}

CsvWriter::CsvWriter(QIODevice &out)
    : m_out(out)
{}

bool CsvWriter::writeHeader()
{
    return put(csvHeaderLine());
}

bool CsvWriter::write(const SheetRecord &sheet)
{
    if (!put(csvLine(sheet)))
        return false;
    ++m_rows;
    return true;
}

bool CsvWriter::put(const QByteArray &line)
{
    m_buffer += line;
    return m_buffer.size() < kBlockBytes || flush();
}

bool CsvWriter::flush()
{
    const bool written = m_out.write(m_buffer) == m_buffer.size();
    m_buffer.clear();
    return written;
}

QString exportOutcomeText(const ExportOutcome &outcome)
{
    const QString target
        = outcome.target.isEmpty() ? RecordsText::tr("standard output") : outcome.target;
    switch (outcome.kind) {
    case ExportOutcome::Kind::None:
        return outcome.rows == 1
                   ? RecordsText::tr("1 collection written to %1").arg(target)
                   : RecordsText::tr("%1 collections written to %2").arg(outcome.rows).arg(target);
    case ExportOutcome::Kind::JournalUnreadable:
        return RecordsText::tr("The journal could not be read: %1").arg(outcome.detail);
    case ExportOutcome::Kind::CannotCreate:
        return RecordsText::tr("The file %1 could not be created: %2").arg(target, outcome.detail);
    case ExportOutcome::Kind::WriteFailed:
        return RecordsText::tr("%1 could not be written: %2").arg(target, outcome.detail);
    case ExportOutcome::Kind::PageFailed:
        return RecordsText::tr("A new page of the report %1 could not be started.").arg(target);
    case ExportOutcome::Kind::Refused:
    case ExportOutcome::Kind::NotAFile:
        return RecordsText::tr("%1 was not written: %2.").arg(target, outcome.detail);
    }
    return {};
}

ExportOutcome exportCsv(Journal &journal, const SheetFilter &filter, QIODevice &out,
                        bool byteOrderMark)
{
    CsvWriter writer(out);
    if (byteOrderMark && out.write("\xEF\xBB\xBF", 3) != 3)
        return {0, ExportOutcome::Kind::WriteFailed, {}, out.errorString()};
    const auto failedWrite = [&out, &writer] {
        return ExportOutcome{
            writer.rows(), ExportOutcome::Kind::WriteFailed, {}, out.errorString()};
    };
    if (!writer.writeHeader())
        return failedWrite();
    bool written = true;
    const JournalError read
        = journal.forEachSheet(filter, SheetDetail::Row, [&](const SheetRecord &sheet) {
              written = writer.write(sheet);
              return written;
          });
    if (!written)
        return failedWrite();
    if (!read.ok())
        return {writer.rows(), ExportOutcome::Kind::JournalUnreadable, {}, read.reason};
    if (!writer.flush())
        return failedWrite();
    return {writer.rows(), ExportOutcome::Kind::None, {}, {}};
}

ExportOutcome exportOutcome(const OutputProblem &problem, qint64 rows, const QString &target)
{
    using Kind = ExportOutcome::Kind;
    Kind kind = Kind::None;
    switch (problem.kind) {
    case OutputProblem::Kind::None:
        break;
    case OutputProblem::Kind::Refused:
        kind = Kind::Refused;
        break;
    case OutputProblem::Kind::NotAFile:
        kind = Kind::NotAFile;
        break;
    case OutputProblem::Kind::CannotCreate:
        kind = Kind::CannotCreate;
        break;
    case OutputProblem::Kind::WriteFailed:
        kind = Kind::WriteFailed;
        break;
    }
    return {rows, kind, target, problem.detail, problem.systemError};
}

ExportOutcome exportCsvFile(Journal &journal, const SheetFilter &filter, const QString &fileName,
                            bool byteOrderMark)
{
    OutputFile file(fileName, journal.location());
    if (!file.begin())
        return exportOutcome(file.problem(), 0, fileName);
    ExportOutcome outcome = exportCsv(journal, filter, file, byteOrderMark);
    outcome.target = fileName;
    if (!outcome.ok()) {
        // The system's own reason for a failed write, not the device's summary of it.
        if (!file.problem().ok())
            outcome = exportOutcome(file.problem(), outcome.rows, fileName);
        file.discard();
        return outcome;
    }
    if (!file.commit())
        return exportOutcome(file.problem(), outcome.rows, fileName);
    return outcome;
}

} // namespace estrivo
