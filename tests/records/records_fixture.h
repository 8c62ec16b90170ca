#pragma once

#include "extension_calc.h"
#include "journal.h"
#include "sample_sheet.h"
#include "sheet_row.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QtTest>

// Journals of generated sheets for the records tests, and what the tests read back.
namespace recordstest {

using namespace estrivo;
using namespace Qt::StringLiterals;

// Names and notes that take a CSV or a spreadsheet to its edges.
inline const QStringList kStallions{
    u"Zeus"_s,     u"Ábaco"_s, u"Sören Ørsted"_s, u"=HYPERLINK(\"x\")"_s, u"Comma, the Second"_s,
    u"Nordlicht"_s};
inline const QStringList kNotes = u"|calm, good libido|said \"no\" twice|line one\nline two|"
                                  "-5 ml lost\r\nrecounted|@vet: check"_s.split(u'|');
inline const QDateTime kFirstSave(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC);
constexpr int kSheets = 300; // in the journal of the window and journal tests
constexpr qint64 kSecondsBetweenSaves = 7 * 60 * 60; // 7 h: a few sheets a day, any hour

// Sheet `n` as the window would have kept it: inputs that vary, results worked out by the
// calculator itself, and now and then a placeholder or an overflow.
inline SheetRecord generatedSheet(int n)
{
    SampleSheet sheet;
    const auto set = [&sheet](Field field, double value) {
        sheet.setText(field, writeNumber(value));
    };
    set(Field::Con, 80.0 + (n * 37) % 300);
    set(Field::GFV, 20.0 + (n * 13) % 90);
    set(Field::Motility, 40.0 + (n * 7) % 50);
    set(Field::TotalDose, 500.0);
    set(Field::MinExt, 3.0);
    set(Field::MaxCon, 40.0);
    if (n % 17 == 5)
        sheet.setText(Field::Con, "---.-"); // never measured: no numbers for this one
    Calculate(sheet);
    if (n % 23 == 7)
        sheet.setText(Field::NumDoses, std::string(kOverflowText));
    const QDateTime saved = kFirstSave.addSecs(n * kSecondsBetweenSaves);
    sheet.setText(Field::Date, saved.toString(u"d MMM yyyy HH:mm:ss"_s).toStdString());
    const QString stallion = kStallions[n % kStallions.size()];
    const QString notes = kNotes[(n / kStallions.size()) % kNotes.size()];
    sheet.setText(Field::Text1, (stallion + u'\n' + notes).toStdString());

    SheetRecord record;
    for (Field field : kAllFields)
        record.text(field) = QString::fromStdString(sheet.text(field));
    record.stallion = stallion;
    record.notes = notes;
    record.savedAt = saved;
    record.workstation = n % 5 == 0 ? u"+lab-2"_s : u"lab-1"_s;
    record.operatorName = u"técnica"_s;
    record.programVersion = u"0.1.0"_s;
    record.printed = n % 4 != 0;
    record.printer = record.printed ? u"Office, Ground Floor"_s : QString();
    return record;
}

// Saves `count` generated sheets, every tenth with a small picture whose colour tells it
// apart, into the journal at `location`; returns them as saved, ids set, oldest first.
inline QList<SheetRecord> fillJournal(const QString &location, int count)
{
    Journal journal(location);
    if (!journal.open().ok())
        return {};
    QList<SheetRecord> saved;
    for (int n = 0; n < count; ++n) {
        SheetRecord sheet = generatedSheet(n);
        if (n % 10 == 0) {
            QImage image(120 + n % 40, 90, QImage::Format_RGB32);
            image.fill(QColor::fromHsv((n * 47) % 360, 120, 230));
            QPainter(&image).fillRect(10, 10, 30, 20, Qt::black);
            QBuffer buffer(&sheet.picturePng);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
        }
        if (!journal.saveSheet(sheet).ok())
            return {};
        saved << sheet;
    }
    return saved;
}

// The sheets of `all` a filter selects, newest first: days are the days the programs show,
// in local time.
inline QList<qint64> selectedIds(const QList<SheetRecord> &all, const SheetFilter &filter)
{
    QList<qint64> ids;
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        const QDate day = it->savedAt.toLocalTime().date();
        const auto found = [&](const QString &text) {
            return text.contains(filter.search, Qt::CaseInsensitive);
        };
        if ((filter.stallion.isEmpty() || it->stallion == filter.stallion)
            && (!filter.since.isValid() || day >= filter.since)
            && (!filter.until.isValid() || day <= filter.until)
            && (filter.search.isEmpty() || found(it->stallion) || found(it->notes)))
            ids << it->id;
    }
    return ids;
}

// The ids of `sheets` in the order of a list's column, worked out from the sheets' own texts:
// numbers by their value with the texts that hold none ("---.-", "Overflow") below them all,
// names by their folded key code point by code point, the collection date by the save, equals
// by id in the same direction.
inline QList<qint64> sortedIds(QList<SheetRecord> sheets, SheetColumn column, bool ascending)
{
    // A number as the list orders it: digits with at most one point, else none.
    static const QRegularExpression number(u"^[0-9]*\\.?[0-9]*$"_s);
    static const QRegularExpression digit(u"[0-9]"_s);
    const auto numberOf = [](const QString &text) -> std::optional<double> {
        const QString trimmed = text.trimmed();
        if (!number.match(trimmed).hasMatch() || !trimmed.contains(digit))
            return std::nullopt;
        return trimmed.toDouble();
    };
    const auto order = [](const auto &x, const auto &y) {
        return x < y ? -1 : y < x ? 1 : 0;
    };
    const auto compare = [&](const SheetRecord &a, const SheetRecord &b) {
        const auto byNumber = [&](Field field) {
            const std::optional<double> x = numberOf(a.text(field));
            const std::optional<double> y = numberOf(b.text(field));
            if (!x || !y)
                return order(x.has_value(), y.has_value());
            return order(*x, *y);
        };
        switch (column) {
        case SheetColumn::Stallion:
            return order(stallionKey(a.stallion).toUtf8(), stallionKey(b.stallion).toUtf8());
        case SheetColumn::Concentration:
            return byNumber(Field::Con);
        case SheetColumn::GelFreeVolume:
            return byNumber(Field::GFV);
        case SheetColumn::Motility:
            return byNumber(Field::Motility);
        case SheetColumn::Doses:
            return byNumber(Field::NumDoses);
        case SheetColumn::VolumePerDose:
            return byNumber(Field::VPD);
        case SheetColumn::Printed:
            return order(a.printed, b.printed);
        default:
            return order(a.savedAt, b.savedAt);
        }
    };
    std::sort(sheets.begin(), sheets.end(), [&](const SheetRecord &a, const SheetRecord &b) {
        int found = compare(a, b);
        if (found == 0)
            found = order(a.id, b.id);
        return ascending ? found < 0 : found > 0;
    });
    QList<qint64> ids;
    for (const SheetRecord &sheet : sheets)
        ids << sheet.id;
    return ids;
}

// Reads RFC 4180 CSV back into rows of cells; empty when it is not well formed.
inline QList<QStringList> parseCsv(const QByteArray &bytes)
{
    static const QRegularExpression cell(u"(?:\"((?:[^\"]|\"\")*)\"|([^\",\r\n]*))(,|\r\n)"_s);
    const QString text = QString::fromUtf8(bytes);
    QList<QStringList> rows{{}};
    for (qsizetype at = 0; at < text.size();) {
        const QRegularExpressionMatch match
            = cell.match(text, at, QRegularExpression::NormalMatch,
                         QRegularExpression::AnchorAtOffsetMatchOption);
        if (!match.hasMatch())
            return {}; // a stray quote, or a line break outside quotes
        rows.back() << (match.hasCaptured(1) ? match.captured(1).replace(u"\"\""_s, u"\""_s)
                                             : match.captured(2));
        if (match.captured(3) != u","_s)
            rows << QStringList();
        at = match.capturedEnd();
    }
    if (!rows.takeLast().isEmpty())
        return {}; // the last row did not end in CRLF
    return rows;
}

// Standard output of a tool run to its end, or a note of how it failed.
inline QByteArray toolOutput(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return "<" + program.toUtf8() + " failed: " + process.readAllStandardError() + ">";
    return process.readAllStandardOutput();
}

// A value pdfinfo reports, such as "Pages" or "Page size".
inline QString pdfInfo(const QString &pdf, const QString &key)
{
    for (const QByteArray &line : toolOutput(u"pdfinfo"_s, {pdf}).split('\n')) {
        if (line.startsWith(key.toUtf8() + ':'))
            return QString::fromUtf8(line.mid(key.size() + 1)).trimmed();
    }
    return u"<no %1>"_s.arg(key);
}

// What zbarimg reads on page `page` of a PDF rendered at a label printer's 300 dpi.
inline QByteArray pdfPageCodes(const QString &pdf, int page, const QString &png)
{
    const QString number = QString::number(page);
    const QByteArray rendered = toolOutput(
        u"pdftoppm"_s, {u"-png"_s, u"-r"_s, u"300"_s, u"-f"_s, number, u"-l"_s, number, pdf});
    if (!QImage::fromData(rendered, "PNG").save(png))
        return "<page " + number.toUtf8() + " not rendered>";
    return toolOutput(u"zbarimg"_s, {u"--quiet"_s, u"--raw"_s, png});
}

} // namespace recordstest
