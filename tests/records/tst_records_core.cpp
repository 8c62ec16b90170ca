// The records program's own rules without a journal: its command line, CSV cells and rows,
// the numbers and the trend drawn from kept texts, label sizes and texts, and QR codes that a
// real reader (zbarimg) decodes from the painted label.
#include "command_line.h"
#include "csv_export.h"
#include "labels.h"
#include "records_fixture.h"
#include "sheet_numbers.h"
#include "trend.h"

#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

using namespace estrivo;
using namespace recordstest;
using Action = CommandLine::Action;

Q_DECLARE_METATYPE(Action)

namespace {

// What zbarimg reads in a picture, one code a line; empty when it reads none.
QStringList decodedCodes(const QImage &image, const QString &folder)
{
    const QString path = folder + u"/code.png"_s;
    if (!image.save(path, "PNG"))
        return {u"<not saved>"_s};
    QProcess zbar;
    zbar.start(u"zbarimg"_s,
               {u"--quiet"_s, u"--raw"_s, u"-Sdisable"_s, u"-Sqrcode.enable"_s, path});
    if (!zbar.waitForFinished(30000))
        return {u"<zbarimg did not finish>"_s};
    return QString::fromUtf8(zbar.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// A label page as the printer gets it, at 300 dpi.
QImage labelImage(QSizeF sizeMm, const DoseLabel &label)
{
    constexpr double kDotsPerMm = 300 / 25.4;
    QImage image((sizeMm * kDotsPerMm).toSize(), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(kDotsPerMm * 1000));
    image.setDotsPerMeterY(qRound(kDotsPerMm * 1000));
    image.fill(Qt::gray); // the label must paint its own white ground
    QPainter painter(&image);
    paintLabel(painter, QRectF(QPointF(0, 0), image.size()), label);
    return image;
}

} // namespace

class TestRecordsCore : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void helpOnEveryForm();
    void csvCell_data();
    void csvCell();
    void csvLine();
    void sheetNumbers_data();
    void sheetNumbers();
    void trend_data();
    void trend();
    void labelSize_data();
    void labelSize();
    void labelTexts();
    void qrCodeDecodes_data();
    void qrCodeDecodes();

private:
    QTemporaryDir m_dir;
};

void TestRecordsCore::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("summary"); // what was read, or the start of the reason

    const auto row
        = [](const char *name, const QString &line, Action action, const QString &summary) {
              QTest::newRow(name) << (u"estrivo-records "_s + line).split(u' ', Qt::SkipEmptyParts)
                                  << action << (action == Action::UsageError ? 2 : 0) << summary;
          };
    row("window", u""_s, Action::Window, u"journal=''"_s);
    row("window on a journal", u"--journal /srv/j.sqlite"_s, Action::Window,
        u"journal='/srv/j.sqlite'"_s);
    row("window, joined value", u"--journal=postgresql://lab@db/estrivo"_s, Action::Window,
        u"journal='postgresql://lab@db/estrivo'"_s);
    row("export plain", u"export"_s, Action::Export,
        u"journal='' stallion='' since='' until='' output=''"_s);
    row("export filtered",
        u"export --stallion Zeus --since 2026-03-01 --until 2026-03-31 "
        "--output out.csv --journal j.sqlite"_s,
        Action::Export,
        u"journal='j.sqlite' stallion='Zeus' since='2026-03-01' until='2026-03-31' "
        "output='out.csv'"_s);
    row("export one day", u"export --since 2026-02-28 --until 2026-02-28"_s, Action::Export,
        u"journal='' stallion='' since='2026-02-28' until='2026-02-28' output=''"_s);
    row("options before the command", u"--journal j.sqlite export --stallion Ábaco"_s,
        Action::Export, u"journal='j.sqlite' stallion='Ábaco' since='' until='' output=''"_s);
    row("labels by default", u"labels 42"_s, Action::Labels,
        u"journal='' id=42 count=- printer='' size=62x29"_s);
    row("labels chosen", u"labels 7 --count 3 --printer Brother --label-size 50.5x30mm"_s,
        Action::Labels, u"journal='' id=7 count=3 printer='Brother' size=50.5x30"_s);
    row("labels size without unit", u"labels 7 --label-size 100x150"_s, Action::Labels,
        u"journal='' id=7 count=- printer='' size=100x150"_s);
    row("version", u"--version"_s, Action::Version, u"estrivo-records 0."_s);
    row("version of a command", u"labels --version"_s, Action::Version, u"estrivo-records 0."_s);

    row("unknown command", u"import"_s, Action::UsageError, u"Unknown command \"import\""_s);
    row("unknown option", u"export --format xml"_s, Action::UsageError,
        u"Unknown option 'format'"_s);
    row("option of the other command", u"export --count 3"_s, Action::UsageError,
        u"--count is an option of the labels command"_s);
    row("export option on the window", u"--stallion Zeus"_s, Action::UsageError,
        u"--stallion is an option of the export command"_s);
    row("missing value", u"export --since"_s, Action::UsageError,
        u"Missing value after '--since'"_s);
    row("day not ISO", u"export --since 01.03.2026"_s, Action::UsageError,
        u"--since wants a day as YYYY-MM-DD"_s);
    row("day that does not exist", u"export --until 2026-02-30"_s, Action::UsageError,
        u"--until wants a day as YYYY-MM-DD"_s);
    row("range backwards", u"export --since 2026-03-02 --until 2026-03-01"_s, Action::UsageError,
        u"--since is after --until"_s);
    row("export argument", u"export zeus.csv"_s, Action::UsageError,
        u"export takes no argument"_s);
    row("labels without id", u"labels"_s, Action::UsageError,
        u"labels wants the ID of one kept sheet"_s);
    row("labels two ids", u"labels 1 2"_s, Action::UsageError,
        u"labels wants the ID of one kept sheet"_s);
    row("labels id not a number", u"labels seven"_s, Action::UsageError,
        u"\"seven\" is not the ID"_s);
    row("labels id zero", u"labels 0"_s, Action::UsageError, u"\"0\" is not the ID"_s);
    row("count zero", u"labels 3 --count 0"_s, Action::UsageError,
        u"--count wants a number of labels from 1 to 999"_s);
    row("count too many", u"labels 3 --count 1000"_s, Action::UsageError,
        u"--count wants a number of labels from 1 to 999"_s);
    row("size without height", u"labels 3 --label-size 62mm"_s, Action::UsageError,
        u"--label-size wants WxHmm"_s);
    row("size too small", u"labels 3 --label-size 10x29mm"_s, Action::UsageError,
        u"--label-size wants WxHmm"_s);
    row("empty journal", u"--journal="_s, Action::UsageError, u"--journal needs a location"_s);
}

void TestRecordsCore::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(Action, action);
    QFETCH(int, exitCode);
    QFETCH(QString, summary);

    const CommandLine line = parseCommandLine(arguments);
    QCOMPARE(line.action, action);
    QCOMPARE(line.exitCode(), exitCode);
    QString read;
    switch (line.action) {
    case Action::Window:
        read = u"journal='%1'"_s.arg(line.journal);
        break;
    case Action::Export:
        read = u"journal='%1' stallion='%2' since='%3' until='%4' output='%5'"_s.arg(
            line.journal, line.filter.stallion, line.filter.since.toString(Qt::ISODate),
            line.filter.until.toString(Qt::ISODate), line.output);
        QVERIFY(line.filter.search.isEmpty());
        break;
    case Action::Labels:
        read = u"journal='%1' id=%2 count=%3 printer='%4' size=%5x%6"_s.arg(line.journal)
                   .arg(line.sheetId)
                   .arg(line.count ? QString::number(*line.count) : u"-"_s, line.printer)
                   .arg(line.labelSize.width())
                   .arg(line.labelSize.height());
        break;
    default:
        read = line.text.left(summary.size());
        break;
    }
    QCOMPARE(read, summary);
}

void TestRecordsCore::helpOnEveryForm()
{
    // Each form answers --help with its own usage, naming each of its options.
    const struct
    {
        QString command;
        QStringList options;
    } forms[] = {
        {u""_s, {u"--journal"_s, u"export"_s, u"labels ID"_s}},
        {u"export"_s,
         {u"--stallion"_s, u"--since"_s, u"--until"_s, u"--output"_s, u"--journal"_s}},
        {u"labels"_s, {u"--count"_s, u"--printer"_s, u"--label-size"_s, u"--journal"_s}},
    };
    for (const auto &form : forms) {
        QStringList arguments{u"estrivo-records"_s};
        if (!form.command.isEmpty())
            arguments << form.command;
        const CommandLine line = parseCommandLine(arguments << u"--help"_s);
        QCOMPARE(line.action, Action::Help);
        QVERIFY2(line.text.startsWith(u"Usage: estrivo-records "_s + form.command),
                 qPrintable(line.text));
        for (const QString &option : form.options)
            QVERIFY2(line.text.contains(option), qPrintable(form.command + u": "_s + option));
        for (const QString &text : line.text.split(u'\n'))
            QVERIFY2(text.size() < 80, qPrintable(text));
    }
}

void TestRecordsCore::csvCell_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("guarded");
    QTest::addColumn<QString>("cell"); // the guarded text as a cell

    QTest::newRow("plain") << u"Zeus"_s << u"Zeus"_s << u"Zeus"_s;
    QTest::newRow("empty") << u""_s << u""_s << u""_s;
    QTest::newRow("non-ASCII") << u"Sören Ørsted"_s << u"Sören Ørsted"_s << u"Sören Ørsted"_s;
    QTest::newRow("comma") << u"calm, good"_s << u"calm, good"_s << u"\"calm, good\""_s;
    QTest::newRow("quote") << u"said \"no\""_s << u"said \"no\""_s << u"\"said \"\"no\"\"\""_s;
    QTest::newRow("line feed") << u"a\nb"_s << u"a\nb"_s << u"\"a\nb\""_s;
    QTest::newRow("CRLF inside") << u"a\r\nb"_s << u"a\r\nb"_s << u"\"a\r\nb\""_s;
    QTest::newRow("equals") << u"=1+1"_s << u"'=1+1"_s << u"'=1+1"_s;
    QTest::newRow("plus") << u"+lab-2"_s << u"'+lab-2"_s << u"'+lab-2"_s;
    QTest::newRow("minus") << u"-5 ml"_s << u"'-5 ml"_s << u"'-5 ml"_s;
    QTest::newRow("at") << u"@SUM(A1)"_s << u"'@SUM(A1)"_s << u"'@SUM(A1)"_s;
    QTest::newRow("tab") << u"\t=1"_s << u"'\t=1"_s << u"'\t=1"_s;
    QTest::newRow("carriage return") << u"\r=1"_s << u"'\r=1"_s << u"\"'\r=1\""_s;
    QTest::newRow("formula with quotes and comma")
        << u"=HYPERLINK(\"x\",1)"_s << u"'=HYPERLINK(\"x\",1)"_s
        << u"\"'=HYPERLINK(\"\"x\"\",1)\""_s;
    QTest::newRow("sign inside is harmless") << u"a=b-c"_s << u"a=b-c"_s << u"a=b-c"_s;
    QTest::newRow("leading space then sign") << u" =1"_s << u" =1"_s << u" =1"_s;
}

void TestRecordsCore::csvCell()
{
    QFETCH(QString, text);
    QFETCH(QString, guarded);
    QFETCH(QString, cell);
    QCOMPARE(guardFormula(text), guarded);
    QCOMPARE(estrivo::csvCell(guardFormula(text)), cell);
    QCOMPARE(parseCsv((estrivo::csvCell(guardFormula(text)) + u"\r\n"_s).toUtf8()),
             QList<QStringList>{{guarded}});
}

void TestRecordsCore::csvLine()
{
    QCOMPARE(csvHeaderLine(),
             "id,saved_at,stallion,notes,collection_date,concentration,gel_free_volume,"
             "motility,total_dose,min_extension_ratio,max_extended_concentration,semen_ml,"
             "extender_ml,dose_volume_ml,doses,printed,printer,workstation,operator\r\n");

    SheetRecord sheet;
    sheet.id = 1234;
    sheet.savedAt = QDateTime(QDate(2026, 12, 6), QTime(23, 40, 12, 345), Qt::UTC);
    sheet.stallion = u"Ábaco"_s;
    sheet.notes = u"=cmd|' /C calc'!A0\nsecond line"_s;
    const char *texts[] = {"-152.5",
                           "60",
                           "55 %",
                           "500",
                           "3",
                           "40",
                           "5.96",
                           "17.9",
                           "23.87",
                           "Overflow",
                           "6 Dec 2026 23:30:00",
                           "ignored"};
    for (Field field : kAllFields)
        sheet.text(field) = QString::fromUtf8(texts[int(field)]);
    sheet.printed = true;
    sheet.printer = u"-Brother, QL"_s;
    sheet.workstation = u"@lab"_s;
    sheet.operatorName = u"+op"_s;
    // Sheet fields as kept, a sign included; text cells guarded; time in UTC to the second.
    QCOMPARE(QString::fromUtf8(estrivo::csvLine(sheet)),
             u"1234,2026-12-06T23:40:12Z,Ábaco,\"'=cmd|' /C calc'!A0\nsecond line\","
             "6 Dec 2026 23:30:00,-152.5,60,55 %,500,3,40,5.96,17.9,23.87,Overflow,yes,"
             "\"'-Brother, QL\",'@lab,'+op\r\n"_s);
    sheet.printed = false;
    sheet.savedAt = QDateTime(QDate(2026, 12, 7), QTime(0, 40, 12), QTimeZone(3600));
    const QStringList cells = parseCsv(estrivo::csvLine(sheet)).value(0);
    QCOMPARE(cells.size(), csvColumns().size());
    QCOMPARE(cells[1], u"2026-12-06T23:40:12Z"_s);
    QCOMPARE(cells[15], u"no"_s);
}

void TestRecordsCore::sheetNumbers_data()
{
    QTest::addColumn<QStringList>("texts"); // Con, GFV, Motility, NumDoses
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("motile");
    QTest::addColumn<QString>("doses");

    QTest::newRow("measured") << QStringList{u"150"_s, u"60"_s, u"55"_s, u"17"_s} << u"9.00"_s
                              << u"4.95"_s << u"17.00"_s;
    QTest::newRow("units after numbers")
        << QStringList{u"152.5 M/ml"_s, u"40ml"_s, u"80 %"_s, u"12"_s} << u"6.10"_s << u"4.88"_s
        << u"12.00"_s;
    QTest::newRow("placeholder concentration")
        << QStringList{u"---.-"_s, u"60"_s, u"55"_s, u"---.-"_s} << u""_s << u""_s << u""_s;
    QTest::newRow("no motility") << QStringList{u"150"_s, u"60"_s, u""_s, u"3"_s} << u"9.00"_s
                                 << u""_s << u"3.00"_s;
    QTest::newRow("overflow doses") << QStringList{u"150"_s, u"60"_s, u"55"_s, u"Overflow"_s}
                                    << u"9.00"_s << u"4.95"_s << u""_s;
    QTest::newRow("exponent") << QStringList{u"1.5E+3"_s, u"2"_s, u"50"_s, u"1E+20"_s} << u"3.00"_s
                              << u"1.50"_s << u"100000000000000000000.00"_s;
}

void TestRecordsCore::sheetNumbers()
{
    QFETCH(QStringList, texts);
    SheetRecord sheet;
    sheet.text(Field::Con) = texts[0];
    sheet.text(Field::GFV) = texts[1];
    sheet.text(Field::Motility) = texts[2];
    sheet.text(Field::NumDoses) = texts[3];
    const SheetNumbers numbers = estrivo::sheetNumbers(sheet);
    QFETCH(QString, total);
    QFETCH(QString, motile);
    QFETCH(QString, doses);
    QCOMPARE(numberText(numbers.totalSperm), total);
    QCOMPARE(numberText(numbers.motileSperm), motile);
    QCOMPARE(numberText(numbers.doses), doses);
}

void TestRecordsCore::trend_data()
{
    QTest::addColumn<QList<double>>("totals"); // per collection in time order; NaN: none
    QTest::addColumn<int>("window");
    QTest::addColumn<QList<double>>("means");

    QTest::newRow("fewer than the window")
        << QList<double>{2, 4, 6} << 5 << QList<double>{2, 3, 4};
    QTest::newRow("rolls over the window")
        << QList<double>{1, 2, 3, 4, 5, 6, 7} << 3 << QList<double>{1, 1.5, 2, 3, 4, 5, 6};
    QTest::newRow("window of one") << QList<double>{5, 1, 9} << 1 << QList<double>{5, 1, 9};
    QTest::newRow("gaps left out")
        << QList<double>{4, qQNaN(), 8, qQNaN(), 12, 0} << 2 << QList<double>{4, 6, 10, 6};
    QTest::newRow("nothing") << QList<double>{qQNaN(), qQNaN()} << 5 << QList<double>{};
}

void TestRecordsCore::trend()
{
    QFETCH(QList<double>, totals);
    QFETCH(int, window);
    QFETCH(QList<double>, means);

    // Given newest first, as the journal reads them; the chart runs oldest first.
    QList<TrendSample> samples;
    QList<double> xs;
    for (qsizetype i = totals.size() - 1; i >= 0; --i) {
        TrendSample sample;
        sample.at = kFirstSave.addDays(i);
        if (!std::isnan(totals[i])) {
            sample.numbers.totalSperm = totals[i];
            sample.numbers.motileSperm = totals[i] / 2;
            xs.prepend(double(sample.at.toMSecsSinceEpoch()));
        }
        sample.numbers.doses = double(i);
        samples << sample;
    }
    const TrendSeries series = trendSeries(samples, window);
    QCOMPARE(series.total.size(), means.size());
    QCOMPARE(series.totalMean.size(), means.size());
    QCOMPARE(series.motileMean.size(), means.size());
    QCOMPARE(series.doses.size(), totals.size());
    for (qsizetype i = 0; i < means.size(); ++i) {
        QCOMPARE(series.total[i].x(), xs[i]);
        QCOMPARE(series.totalMean[i], QPointF(xs[i], means[i]));
        QCOMPARE(series.motileMean[i], QPointF(xs[i], means[i] / 2));
    }
    for (qsizetype i = 1; i < series.doses.size(); ++i)
        QVERIFY(series.doses[i - 1].x() < series.doses[i].x());
}

void TestRecordsCore::labelSize_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSizeF>("size"); // empty: refused

    QTest::newRow("default form") << u"62x29mm"_s << QSizeF(62, 29);
    QTest::newRow("without unit") << u"62x29"_s << QSizeF(62, 29);
    QTest::newRow("capital X") << u"102X152mm"_s << QSizeF(102, 152);
    QTest::newRow("decimals") << u"101.6x152.4mm"_s << QSizeF(101.6, 152.4);
    QTest::newRow("smallest") << u"15x15mm"_s << QSizeF(15, 15);
    QTest::newRow("largest") << u"300x300mm"_s << QSizeF(300, 300);
    QTest::newRow("too narrow") << u"14.9x29mm"_s << QSizeF();
    QTest::newRow("too tall") << u"62x301mm"_s << QSizeF();
    QTest::newRow("one side") << u"62mm"_s << QSizeF();
    QTest::newRow("inches") << u"4x6in"_s << QSizeF();
    QTest::newRow("comma decimal") << u"62,5x29mm"_s << QSizeF();
    QTest::newRow("negative") << u"-62x29mm"_s << QSizeF();
    QTest::newRow("empty") << u""_s << QSizeF();
}

void TestRecordsCore::labelSize()
{
    QFETCH(QString, text);
    QFETCH(QSizeF, size);
    const std::optional<QSizeF> parsed = parseLabelSize(text);
    QCOMPARE(parsed.value_or(QSizeF()), size);
    if (parsed)
        QCOMPARE(parseLabelSize(labelSizeText(*parsed)).value_or(QSizeF()), size);
}

void TestRecordsCore::labelTexts()
{
    SheetRecord sheet = generatedSheet(1);
    sheet.id = 815;
    sheet.text(Field::TotalDose) = u"500"_s;
    sheet.text(Field::VPD) = u"23.8666666666667"_s;
    sheet.text(Field::SemenVol) = u"5.96666666666667"_s;
    sheet.text(Field::ExtVol) = u"17.9"_s;
    sheet.text(Field::NumDoses) = u"12"_s;
    sheet.workstation = u"lab-1"_s;
    const DoseLabel label = doseLabel(sheet, 3, 12);
    QCOMPARE(label.stallion, u"Ábaco"_s);
    QCOMPARE(label.collectionDate, sheet.text(Field::Date));
    QCOMPARE(label.dose, u"Dose 3 of 12"_s);
    QCOMPARE(label.spermPerDose, u"500 M sperm/dose"_s);
    QCOMPARE(label.volume, u"23.87 ml (5.97 semen + 17.9 ext.)"_s);
    QCOMPARE(label.workstation, u"lab-1"_s);
    QCOMPARE(label.code, QByteArray("ESTRIVO:815:3"));

    // As many labels as whole doses; none where the sheet has none to give.
    const struct
    {
        QString doses;
        int labels;
    } counts[] = {{u"12"_s, 12},   {u"7.99"_s, 7},     {u"0"_s, 0},
                  {u"---.-"_s, 0}, {u"Overflow"_s, 0}, {u"5000"_s, kMaxLabels}};
    for (const auto &count : counts) {
        sheet.text(Field::NumDoses) = count.doses;
        QCOMPARE(defaultLabelCount(sheet), count.labels);
    }
}

void TestRecordsCore::qrCodeDecodes_data()
{
    QTest::addColumn<QSizeF>("size");
    QTest::addColumn<QByteArray>("code");

    QTest::newRow("default label") << QSizeF(62, 29) << doseCode(1, 1);
    QTest::newRow("long record id") << QSizeF(62, 29) << doseCode(987654321098, 999);
    QTest::newRow("square label") << QSizeF(40, 40) << doseCode(42, 12);
    QTest::newRow("tall label") << QSizeF(29, 90) << doseCode(42, 12);
    QTest::newRow("large label") << QSizeF(102, 152) << doseCode(100000, 20);
}

void TestRecordsCore::qrCodeDecodes()
{
    QFETCH(QSizeF, size);
    QFETCH(QByteArray, code);

    const std::optional<QrCode> qr = QrCode::encode(code);
    QVERIFY(qr);
    QVERIFY(qr->size() >= 21);

    // Alone, at two pixels a module: every module where libqrencode put it, quiet zone white.
    QImage bare(200, 200, QImage::Format_RGB32);
    bare.fill(Qt::red);
    QPainter painter(&bare);
    const double side = 2.0 * (qr->size() + 2 * kQuietZoneModules);
    const QRectF used = paintQrCode(painter, *qr, QPointF(3, 5), side + 1.5);
    painter.end();
    QCOMPARE(used, QRectF(3, 5, side, side));
    for (int y = 0; y < qr->size() + 2 * kQuietZoneModules; ++y) {
        for (int x = 0; x < qr->size() + 2 * kQuietZoneModules; ++x) {
            const bool dark = qr->isDark(x - kQuietZoneModules, y - kQuietZoneModules);
            QCOMPARE(bare.pixel(3 + 2 * x + 1, 5 + 2 * y + 1), dark ? 0xff000000 : 0xffffffff);
        }
    }
    QCOMPARE(bare.pixel(2, 5), QColor(Qt::red).rgb());

    // On the label with its texts: a reader finds this one code.
    SheetRecord sheet = generatedSheet(3);
    DoseLabel label = doseLabel(sheet, 1, 1);
    label.code = code;
    QCOMPARE(decodedCodes(labelImage(size, label), m_dir.path()),
             QStringList{QString::fromLatin1(code)});
}

QTEST_MAIN(TestRecordsCore)
#include "tst_records_core.moc"
