#include "csv_export.h"
#include "records_text.h"

#include <QCoreApplication>
#include <QSaveFile>

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

} // namespace

QStringList csvColumns()
{
    return {QStringLiteral("id"),
            QStringLiteral("saved_at"),
            QStringLiteral("stallion"),
            QStringLiteral("notes"),
            QStringLiteral("collection_date"),
            QStringLiteral("concentration"),
            QStringLiteral("gel_free_volume"),
            QStringLiteral("motility"),
            QStringLiteral("total_dose"),
            QStringLiteral("min_extension_ratio"),
            QStringLiteral("max_extended_concentration"),
            QStringLiteral("semen_ml"),
            QStringLiteral("extender_ml"),
            QStringLiteral("dose_volume_ml"),
            QStringLiteral("doses"),
            QStringLiteral("printed"),
            QStringLiteral("printer"),
            QStringLiteral("workstation"),
            QStringLiteral("operator")};
}

QString guardFormula(const QString &text)
{
    if (text.isEmpty())
        return text;
    switch (text.front().unicode()) {
    case u'=':
    case u'+':
    case u'-':
    case u'@':
    case u'\t':
    case u'\r':
        return u'\'' + text;
    default:
        return text;
    }
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

QByteArray csvLine(const SheetRecord &sheet)
{
    QString line;
    line.reserve(256);
    append(line, QString::number(sheet.id), true);
    append(line, sheet.savedAt.toUTC().toString(Qt::ISODate));
    append(line, guardFormula(sheet.stallion));
    append(line, guardFormula(sheet.notes));
    append(line, guardFormula(sheet.text(Field::Date)));
    // The sheet's own fields are exported as kept, a leading sign included.
    for (Field field :
         {Field::Con, Field::GFV, Field::Motility, Field::TotalDose, Field::MinExt, Field::MaxCon,
          Field::SemenVol, Field::ExtVol, Field::VPD, Field::NumDoses})
        append(line, sheet.text(field));
    append(line, sheet.printed ? QStringLiteral("yes") : QStringLiteral("no"));
    append(line, guardFormula(sheet.printer));
    append(line, guardFormula(sheet.workstation));
    append(line, guardFormula(sheet.operatorName));
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
    }
    return {};
}

ExportOutcome exportCsv(Journal &journal, const SheetFilter &filter, QIODevice &out)
{
    CsvWriter writer(out);
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

ExportOutcome exportCsvFile(Journal &journal, const SheetFilter &filter, const QString &fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return {0, ExportOutcome::Kind::CannotCreate, fileName, file.errorString()};
    ExportOutcome outcome = exportCsv(journal, filter, file);
    outcome.target = fileName;
    if (!outcome.ok()) {
        file.cancelWriting();
        return outcome;
    }
    if (!file.commit())
        return {outcome.rows, ExportOutcome::Kind::WriteFailed, fileName, file.errorString()};
    return outcome;
}

} // namespace estrivo
