#pragma once

#include "extension_calc.h"
#include "journal.h"
#include "sample_sheet.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSqlQuery>
#include <QtTest>

#include <cmath>

// Journals of generated sheets for the records tests, and what the tests read back.
namespace recordstest {

using namespace estrivo;
using namespace Qt::StringLiterals;

// Names and notes that take a CSV or a spreadsheet to its edges.
inline const QStringList kStallions{
    u"Zeus"_s,     u"Ábaco"_s, u"Sören Ørsted"_s, u"=HYPERLINK(\"x\")"_s, u"Comma, the Second"_s,
    u"Nordlicht"_s};
inline const QStringList kNotes{u""_s,
                                u"calm, good libido"_s,
                                u"said \"no\" twice"_s,
                                u"line one\nline two"_s,
                                u"-5 ml lost\r\nrecounted"_s,
                                u"@vet: check"_s};
inline const QDateTime kFirstSave(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC);
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
    sheet.setText(Field::Date, QDateTime(kFirstSave.addSecs(n * kSecondsBetweenSaves))
                                   .toString(u"d MMM yyyy HH:mm:ss"_s)
                                   .toStdString());
    const QString stallion = kStallions[n % kStallions.size()];
    const QString notes = kNotes[(n / kStallions.size()) % kNotes.size()];
    sheet.setText(Field::Text1, (stallion + u'\n' + notes).toStdString());

    SheetRecord record;
    for (Field field : kAllFields)
        record.text(field) = QString::fromStdString(sheet.text(field));
    const StallionAndNotes split = splitStallionAndNotes(record.text(Field::Text1));
    record.stallion = split.stallion;
    record.notes = split.notes;
    record.savedAt = kFirstSave.addSecs(n * kSecondsBetweenSaves);
    record.workstation = n % 5 == 0 ? u"+lab-2"_s : u"lab-1"_s;
    record.operatorName = u"técnica"_s;
    record.programVersion = u"0.1.0"_s;
    record.printed = n % 4 != 0;
    record.printer = record.printed ? u"Office, Ground Floor"_s : QString();
    return record;
}

// A small picture of a printed sheet, its colours telling sheets apart.
inline QByteArray picturePng(int n)
{
    QImage image(120 + n % 40, 90, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((n * 47) % 360, 120, 230));
    QPainter(&image).fillRect(10, 10, 30, 20, Qt::black);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// Saves `count` generated sheets, every `pictureEvery`-th with a picture, into the journal
// at `location`; returns them as saved, ids set, oldest first.
inline QList<SheetRecord> fillJournal(const QString &location, int count, int pictureEvery = 10)
{
    Journal journal(location);
    if (!journal.open().ok())
        return {};
    // These journals are thrown away after the test: no waiting for the disk on each save.
    QSqlQuery(journal.database()).exec(u"PRAGMA synchronous = OFF"_s);
    QList<SheetRecord> saved;
    for (int n = 0; n < count; ++n) {
        SheetRecord sheet = generatedSheet(n);
        if (n % pictureEvery == 0)
            sheet.picturePng = picturePng(n);
        if (!journal.saveSheet(sheet).ok())
            return {};
        saved << sheet;
    }
    return saved;
}

// The sheets of `all` a filter selects, newest first, as the journal defines the filter.
inline QList<qint64> selectedIds(const QList<SheetRecord> &all, const SheetFilter &filter)
{
    QList<qint64> ids;
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        const SheetRecord &sheet = *it;
        const QDate day = sheet.savedAt.toUTC().date();
        if ((!filter.stallion.isEmpty() && sheet.stallion != filter.stallion)
            || (filter.since.isValid() && day < filter.since)
            || (filter.until.isValid() && day > filter.until)
            || (!filter.search.isEmpty()
                && !sheet.stallion.contains(filter.search, Qt::CaseInsensitive)
                && !sheet.notes.contains(filter.search, Qt::CaseInsensitive)))
            continue;
        ids << sheet.id;
    }
    return ids;
}

// Reads RFC 4180 CSV back into rows of cells; empty when it is not well formed.
inline QList<QStringList> parseCsv(const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes);
    QList<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && text.mid(i + 1, 1) == u"\""_s) {
                cell += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == u'"' && cell.isEmpty()) {
            quoted = true;
        } else if (c == u',') {
            row << cell;
            cell.clear();
        } else if (c == u'\r' && text.mid(i + 1, 1) == u"\n"_s) {
            row << cell;
            rows << row;
            row.clear();
            cell.clear();
            ++i;
        } else if (c == u'"' || c == u'\r' || c == u'\n') {
            return {}; // a quote inside a bare cell, or a line break outside quotes
        } else {
            cell += c;
        }
    }
    if (quoted || !cell.isEmpty() || !row.isEmpty())
        return {}; // the last row did not end in CRLF
    return rows;
}

} // namespace recordstest
