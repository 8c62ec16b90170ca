// The records program's own rules without a journal: its command line, CSV cells and rows,
// the numbers and the trend drawn from kept texts, label sizes and texts, and QR codes that a
// real reader (zbarimg) decodes from the painted label.
#include "command_line.h"
#include "csv_export.h"
#include "labels.h"
#include "records_fixture.h"
#include "report.h"
#include "sheet_numbers.h"
#include "trend.h"

#include <QScatterSeries>
#include <QTemporaryDir>

#include <cmath>
#include <ctime>
#include <limits>

using namespace estrivo;
using namespace recordstest;
using Action = CommandLine::Action;

class TestRecordsCore : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void csvCell_data();
    void csvCell();
    void guardFormula_data();
    void guardFormula();
    void csvLine();
    void everyCellGuarded_data();
    void everyCellGuarded();
    void csvTimes_data();
    void csvTimes();
    void sheetNumbers_data();
    void sheetNumbers();
    void trend_data();
    void trend();
    void collectionDates();
    void longTrendDrawn();
    void labelTexts();
    void quantitySummary_data();
    void quantitySummary();
    void doseNumbers_data();
    void doseNumbers();
    void qrCodeDecodes_data();
    void qrCodeDecodes();
};

void TestRecordsCore::commandLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("read"); // the form and what it read, or the start of the reason

    const auto row = [](const char *name, const QString &line, const QString &read) {
        QTest::newRow(name) << line << read;
    };
    row("window, joined value", u"--journal=postgresql://db/e"_s, u"window 'postgresql://db/e'"_s);
    row("export plain", u"export"_s, u"export '' '' '' '' ''"_s);
    row("export filtered",
        u"export --stallion Zeus --since 2026-03-01 --until 2026-03-31 "
        "--output out.csv"_s,
        u"export '' 'Zeus' '2026-03-01' '2026-03-31' 'out.csv'"_s);
    row("options before the command", u"--journal j.sqlite export --stallion Ábaco"_s,
        u"export 'j.sqlite' 'Ábaco' '' '' ''"_s);
    row("labels by default", u"labels 42"_s, u"labels '' 42 - '' 62x29"_s);
    row("labels chosen", u"labels 7 --count 3 --printer Brother --label-size 50.5x30mm"_s,
        u"labels '' 7 3 'Brother' 50.5x30"_s);
    row("labels to a PDF", u"labels 7 --count 2 --output l.pdf"_s,
        u"labels '' 7 2 '' 62x29 pdf 'l.pdf'"_s);
    row("labels to a printer and a PDF", u"labels 7 --printer Brother --output l.pdf"_s,
        u"usage --printer and --output are exclusive"_s);
    row("output on the window", u"--output l.pdf"_s,
        u"usage --output is an option of the export, labels, register, transport, inventory and "
        "cane-labels commands"_s);
    row("empty output of labels", u"labels 7 --output="_s, u"usage --output needs a file name"_s);
    row("version", u"labels --version"_s, u"version estrivo-records 0."_s);
    row("help", u"export --help"_s, u"help Usage: estrivo-records export [--stallion"_s);
    row("unknown command", u"import"_s, u"usage Unknown command \"import\""_s);
    row("unknown option", u"export --format xml"_s, u"usage Unknown option 'format'"_s);
    row("option of the other command", u"export --count 3"_s,
        u"usage --count is an option of the labels command"_s);
    row("export option on the window", u"--stallion Zeus"_s,
        u"usage --stallion is an option of the export command"_s);
    row("missing value", u"export --since"_s, u"usage Missing value after '--since'"_s);
    row("day that does not exist", u"export --until 2026-02-30"_s,
        u"usage --until wants a day as YYYY-MM-DD"_s);
    row("range backwards", u"export --since 2026-03-02 --until 2026-03-01"_s,
        u"usage --since is after --until"_s);
    row("export argument", u"export zeus.csv"_s, u"usage export takes no argument"_s);
    row("labels without id", u"labels"_s, u"usage labels wants the ID of one kept sheet"_s);
    row("labels id not a number", u"labels seven"_s, u"usage \"seven\" is not the ID"_s);
    row("labels id zero", u"labels 0"_s, u"usage \"0\" is not the ID"_s);
    row("count zero", u"labels 3 --count 0"_s,
        u"usage --count wants a number of labels from 1 to 999"_s);
    row("smallest size, capital X", u"labels 3 --label-size 15X15mm"_s,
        u"labels '' 3 - '' 15x15"_s);
    row("largest size", u"labels 3 --label-size 300x300"_s, u"labels '' 3 - '' 300x300"_s);
    row("size with decimals", u"labels 3 --label-size 101.6x15mm"_s,
        u"labels '' 3 - '' 101.6x15"_s);
    row("size too tall", u"labels 3 --label-size 62x301mm"_s, u"usage --label-size wants WxHmm"_s);
    row("size in inches", u"labels 3 --label-size 4x6in"_s, u"usage --label-size wants WxHmm"_s);
    row("size with a decimal comma", u"labels 3 --label-size 62,5x29"_s,
        u"usage --label-size wants WxHmm"_s);
    row("size too small", u"labels 3 --label-size 10x29mm"_s, u"usage --label-size wants WxHmm"_s);
    row("empty journal", u"--journal="_s, u"usage --journal needs a location"_s);
    // An empty value ('' stands for one) is a mistake whatever the option, never "any".
    row("empty journal, apart", u"export --journal ''"_s, u"usage --journal needs a location"_s);
    row("empty stallion", u"export --stallion ''"_s, u"usage --stallion needs a stallion's"_s);
    row("empty stallion, joined", u"export --stallion="_s,
        u"usage --stallion needs a stallion's"_s);
    row("empty since", u"export --since ''"_s, u"usage --since needs a day"_s);
    row("empty until", u"export --until="_s, u"usage --until needs a day"_s);
    row("empty output", u"export --output ''"_s, u"usage --output needs a file name"_s);
    row("empty count", u"labels 3 --count ''"_s, u"usage --count needs a number"_s);
    row("empty printer", u"labels 3 --printer ''"_s, u"usage --printer needs a printer's"_s);
    row("empty label size", u"labels 3 --label-size="_s, u"usage --label-size needs a size"_s);
    row("empty command", u"''"_s, u"usage Unknown command \"\""_s);
    // A second value is a mistake too, not the one that counts.
    row("stallion twice", u"export --stallion Zeus --stallion Ábaco"_s,
        u"usage --stallion is given more than once"_s);
    row("same stallion twice", u"export --stallion Zeus --stallion=Zeus"_s,
        u"usage --stallion is given more than once"_s);
    row("journal twice", u"--journal a.sqlite export --journal b.sqlite"_s,
        u"usage --journal is given more than once"_s);
    row("since twice", u"export --since 2026-03-01 --since 2026-03-02"_s,
        u"usage --since is given more than once"_s);
    row("until twice", u"export --until 2026-03-01 --until 2026-03-02"_s,
        u"usage --until is given more than once"_s);
    row("output twice", u"export --output a.csv --output b.csv"_s,
        u"usage --output is given more than once"_s);
    row("count twice", u"labels 3 --count 2 --count 3"_s,
        u"usage --count is given more than once"_s);
    row("printer twice", u"labels 3 --printer A --printer B"_s,
        u"usage --printer is given more than once"_s);
    row("label size twice", u"labels 3 --label-size 62x29 --label-size 50x30"_s,
        u"usage --label-size is given more than once"_s);
}

void TestRecordsCore::commandLine()
{
    QFETCH(QString, line);
    QFETCH(QString, read);

    QStringList arguments = (u"estrivo-records "_s + line).split(u' ', Qt::SkipEmptyParts);
    for (QString &argument : arguments) {
        if (argument == u"''"_s)
            argument.clear();
    }
    const CommandLine parsed = parseCommandLine(arguments);
    const auto quoted = [](const QString &text) {
        return u'\'' + text + u'\'';
    };
    QStringList found;
    switch (parsed.action) {
    case Action::Window:
        found << u"window"_s << quoted(parsed.journal);
        break;
    case Action::Export:
        found << u"export"_s << quoted(parsed.journal) << quoted(parsed.filter.stallion)
              << quoted(parsed.filter.since.toString(Qt::ISODate))
              << quoted(parsed.filter.until.toString(Qt::ISODate)) << quoted(parsed.output);
        break;
    case Action::Labels:
        found << u"labels"_s << quoted(parsed.journal) << QString::number(parsed.sheetId)
              << (parsed.count ? QString::number(*parsed.count) : u"-"_s) << quoted(parsed.printer)
              << labelSizeText(parsed.labelSize).chopped(2);
        if (!parsed.output.isEmpty())
            found << u"pdf"_s << quoted(parsed.output);
        break;
    default:
        const QStringList forms{u"help"_s, u"version"_s, u"usage"_s};
        found << forms.value(int(parsed.action) - int(Action::Help))
              << parsed.text.left(read.size() - read.indexOf(u' ') - 1);
    }
    QCOMPARE(found.join(u' '), read);
    QCOMPARE(parsed.exitCode(), read.startsWith(u"usage"_s) ? 2 : 0);
}

void TestRecordsCore::csvCell_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cell"); // guarded against formulas, then quoted

    QTest::newRow("empty") << u""_s << u""_s;
    QTest::newRow("comma") << u"calm, good"_s << u"\"calm, good\""_s;
    QTest::newRow("quote") << u"said \"no\""_s << u"\"said \"\"no\"\"\""_s;
    QTest::newRow("line feed") << u"a\nb"_s << u"\"a\nb\""_s;
    QTest::newRow("equals") << u"=1+1"_s << u"'=1+1"_s;
    QTest::newRow("plus") << u"+lab-2"_s << u"'+lab-2"_s;
    QTest::newRow("minus") << u"-5 ml"_s << u"'-5 ml"_s;
    QTest::newRow("at") << u"@SUM(A1)"_s << u"'@SUM(A1)"_s;
    QTest::newRow("tab") << u"\t=1"_s << u"'\t=1"_s;
    QTest::newRow("carriage return") << u"\r=1"_s << u"\"'\r=1\""_s;
    QTest::newRow("formula with quotes and comma")
        << u"=HYPERLINK(\"x\",1)"_s << u"\"'=HYPERLINK(\"\"x\"\",1)\""_s;
    QTest::newRow("sign inside is harmless") << u"a=b-c"_s << u"a=b-c"_s;
    QTest::newRow("leading space then sign") << u" =1"_s << u"' =1"_s;
    QTest::newRow("line feed first") << u"\n=1"_s << u"\"'\n=1\""_s;
}

void TestRecordsCore::csvCell()
{
    QFETCH(QString, text);
    QFETCH(QString, cell);
    const QString guarded = estrivo::guardFormula(text);
    QCOMPARE(estrivo::csvCell(guarded), cell);
    QCOMPARE(parseCsv((cell + u"\r\n"_s).toUtf8()), QList<QStringList>{{guarded}});
}

void TestRecordsCore::guardFormula_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("risky"); // gets an apostrophe

    const auto row = [](const char *name, const QString &text, bool risky) {
        QTest::newRow(name) << text << risky;
    };
    // What a spreadsheet may run.
    row("equals", u"=2+3"_s, true);
    row("hyperlink", u"=HYPERLINK(\"http://x\",\"y\")"_s, true);
    row("plus", u"+lab-2"_s, true);
    row("minus, then text", u"-5 ml"_s, true);
    row("at", u"@SUM(A1)"_s, true);
    row("tab", u"\t1"_s, true);
    row("carriage return", u"\r1"_s, true);
    row("line feed", u"\n1"_s, true);
    row("full-width equals", u"\uFF1D1+1"_s, true);
    row("full-width plus", u"\uFF0B1"_s, true);
    row("full-width minus", u"\uFF0D1"_s, true);
    row("full-width at", u"\uFF20SUM(A1)"_s, true);
    row("after a NUL", u"\0=2+3"_s, true);
    row("after a control character", u"\x01\x1f@x"_s, true);
    row("after DEL", u"\x7f=1"_s, true);
    row("after a space", u" =1"_s, true);
    row("after spaces, a sign", u"   -5"_s, true);
    row("after a no-break space", u"\u00a0=1"_s, true);
    row("after an ideographic space", u"\u3000\uFF1D1"_s, true);
    row("after a byte order mark", u"\uFEFF=1"_s, true);
    row("after a zero-width space", u"\u200B+1"_s, true);
    row("after a zero-width non-joiner", u"\u200C-x"_s, true);
    row("after a zero-width joiner", u"\u200D@x"_s, true);
    row("after a word joiner", u"\u2060=x"_s, true);
    row("after all of them", u"\0 \uFEFF\u200B\u2060\t=1"_s, true);
    row("sign then more than a number", u"-5+3"_s, true);
    row("number then a space", u"+3 "_s, true);
    row("two signs", u"--5"_s, true);
    row("sign alone", u"-"_s, true);
    row("sign and point", u"-."_s, true);
    row("exponent without digits", u"-1e"_s, true);
    row("infinity", u"-inf"_s, true);
    row("full-width minus before digits", u"\uFF0D5"_s, true);
    // What stays as it is: plain numbers, and text a spreadsheet takes as text.
    row("negative number", u"-5"_s, false);
    row("negative fraction", u"-0.5"_s, false);
    row("positive sign", u"+3"_s, false);
    row("exponent", u"1e5"_s, false);
    row("negative with exponent", u"-1.5E-3"_s, false);
    row("point first", u"-.5"_s, false);
    row("point last", u"+5."_s, false);
    row("exponent with plus", u"-2E+10"_s, false);
    row("kept field", u"-152.5"_s, false);
    row("placeholder-free text", u"Overflow"_s, false);
    row("unit after a number", u"55 %"_s, false);
    row("sign inside", u"a=b-c"_s, false);
    row("empty", u""_s, false);
    row("only a zero-width space", u"\u200B"_s, false);
    row("space then letter", u" Zeus"_s, false);
}

void TestRecordsCore::guardFormula()
{
    QFETCH(QString, text);
    QFETCH(bool, risky);
    const QString guarded = estrivo::guardFormula(text);
    QCOMPARE(guarded, risky ? u'\'' + text : text);
    // Read back as a CSV reader does: the one cell, as guarded.
    QCOMPARE(parseCsv((estrivo::csvCell(guarded) + u"\r\n"_s).toUtf8()),
             QList<QStringList>{{guarded}});
}

void TestRecordsCore::csvLine()
{
    QCOMPARE(csvHeaderLine(),
             "id,saved_at,stallion,notes,collection_date,concentration,gel_free_volume,"
             "motility,total_dose,min_extension_ratio,max_extended_concentration,semen_ml,"
             "extender_ml,dose_volume_ml,doses,printed,printer,workstation,operator,"
             "total_sperm_billions,motile_sperm_billions,collection_date_from,"
             "collection_date_text\r\n");

    SheetRecord sheet;
    sheet.id = 1234;
    sheet.savedAt = QDateTime(QDate(2026, 12, 7), QTime(0, 40, 12, 345), QTimeZone(3600));
    sheet.stallion = u"Ábaco"_s;
    sheet.notes = u"=cmd|' /C calc'!A0\nsecond line"_s;
    const QStringList texts = u"-152.5|60|55 %|500|=2+3|40|5.96|17.9|23.87|Overflow|"
                              "6 Dec 2026 23:30:00|ignored"_s.split(u'|');
    for (Field field : kAllFields)
        sheet.text(field) = texts[int(field)];
    sheet.printed = true;
    sheet.printer = u"-Brother, QL"_s;
    sheet.workstation = u"@lab"_s;
    sheet.operatorName = u"+op"_s;
    // A plain number as kept, a sign included; every other risky cell guarded; times in local
    // time (UTC here) to the second; the reading's date in ISO 8601 and as written; the sperm
    // worked out as the table shows them.
    QCOMPARE(QString::fromUtf8(estrivo::csvLine(sheet)),
             u"1234,2026-12-06T23:40:12Z,Ábaco,\"'=cmd|' /C calc'!A0\nsecond line\","
             "2026-12-06T23:30:00Z,-152.5,60,55 %,500,'=2+3,40,5.96,17.9,23.87,Overflow,yes,"
             "\"'-Brother, QL\",'@lab,'+op,-9.15,-5.03,reading,6 Dec 2026 23:30:00\r\n"_s);
    // No date on the sheet: the save time stands in, and says so.
    sheet.text(Field::Date).clear();
    const QStringList undated = parseCsv(estrivo::csvLine(sheet)).value(0);
    QCOMPARE(undated.value(4) + u' ' + undated.value(21) + u'|' + undated.value(22),
             u"2026-12-06T23:40:12Z saved|"_s);
    sheet.printed = false;
    QCOMPARE(parseCsv(estrivo::csvLine(sheet)).value(0).value(15), u"no"_s);
}

void TestRecordsCore::everyCellGuarded_data()
{
    QTest::addColumn<int>("column"); // in csvColumns()
    // Each cell the sheet's texts fill: all but the id, the times, "printed" and what is
    // worked out.
    const QStringList ours{u"collection_date"_s, u"printed"_s, u"total_sperm_billions"_s,
                           u"motile_sperm_billions"_s, u"collection_date_from"_s};
    for (int column = 2; column < int(kCsvColumnCount); ++column) {
        if (!ours.contains(csvColumns().at(column)))
            QTest::newRow(qPrintable(csvColumns().at(column))) << column;
    }
}

void TestRecordsCore::everyCellGuarded()
{
    QFETCH(int, column);
    const auto textOf = [](SheetRecord &sheet, int at) -> QString & {
        constexpr std::array<Field, 11> fields{Field::Date,     Field::Con,       Field::GFV,
                                               Field::Motility, Field::TotalDose, Field::MinExt,
                                               Field::MaxCon,   Field::SemenVol,  Field::ExtVol,
                                               Field::VPD,      Field::NumDoses};
        switch (at) {
        case 2:
            return sheet.stallion;
        case 3:
            return sheet.notes;
        case 16:
            return sheet.printer;
        case 17:
            return sheet.workstation;
        case 18:
            return sheet.operatorName;
        case 22:
            return sheet.text(Field::Date);
        default:
            return sheet.text(fields[std::size_t(at - 4)]);
        }
    };
    for (const QString &risky : {u"=2+3"_s, u"=HYPERLINK(\"http://x\")"_s, u"\uFF1D1"_s,
                                 u"\uFEFF@x"_s, u" -5"_s, u"\0+1"_s}) {
        SheetRecord sheet = generatedSheet(1);
        sheet.id = 77;
        textOf(sheet, column) = risky;
        const QStringList cells = parseCsv(estrivo::csvLine(sheet)).value(0);
        QCOMPARE(cells.size(), qsizetype(kCsvColumnCount));
        QCOMPARE(cells[column], u'\'' + risky);
        QCOMPARE(cells[0], u"77"_s);
    }
    for (const QString &number : {u"-5"_s, u"-1.5E-3"_s, u"+3"_s}) {
        SheetRecord sheet = generatedSheet(1);
        textOf(sheet, column) = number;
        QCOMPARE(parseCsv(estrivo::csvLine(sheet)).value(0).value(column), number);
    }
}

void TestRecordsCore::csvTimes_data()
{
    QTest::addColumn<QByteArray>("zone"); // TZ
    QTest::addColumn<QDateTime>("saved"); // in UTC
    QTest::addColumn<QString>("text");    // the saved_at cell

    const auto utc = [](int day, int month, int year, int hour, int minute) {
        return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
    };
    QTest::newRow("UTC") << QByteArray("UTC") << utc(6, 12, 2026, 23, 40)
                         << u"2026-12-06T23:40:00Z"_s;
    QTest::newRow("Chatham, summer: the next day")
        << QByteArray("Pacific/Chatham") << utc(28, 2, 2026, 19, 15)
        << u"2026-03-01T09:00:00+13:45"_s;
    QTest::newRow("Chatham, winter") << QByteArray("Pacific/Chatham") << utc(1, 7, 2026, 11, 15)
                                     << u"2026-07-02T00:00:00+12:45"_s;
    QTest::newRow("Kiritimati") << QByteArray("Pacific/Kiritimati") << utc(28, 2, 2026, 10, 0)
                                << u"2026-03-01T00:00:00+14:00"_s;
    QTest::newRow("Pago Pago: the day before")
        << QByteArray("Pacific/Pago_Pago") << utc(1, 3, 2026, 10, 59)
        << u"2026-02-28T23:59:00-11:00"_s;
    QTest::newRow("Sao Paulo, the first hour after clocks skipped midnight")
        << QByteArray("America/Sao_Paulo") << utc(4, 11, 2018, 3, 0)
        << u"2018-11-04T01:00:00-02:00"_s;
    QTest::newRow("Sao Paulo, the repeated hour, first time")
        << QByteArray("America/Sao_Paulo") << utc(17, 2, 2019, 1, 30)
        << u"2019-02-16T23:30:00-02:00"_s;
    QTest::newRow("Sao Paulo, the repeated hour, second time")
        << QByteArray("America/Sao_Paulo") << utc(17, 2, 2019, 2, 30)
        << u"2019-02-16T23:30:00-03:00"_s;
}

void TestRecordsCore::csvTimes()
{
    QFETCH(QByteArray, zone);
    QFETCH(QDateTime, saved);
    QFETCH(QString, text);
    const QByteArray before = qgetenv("TZ");
    qputenv("TZ", zone);
    ::tzset();
    SheetRecord sheet = generatedSheet(2);
    sheet.savedAt = saved;
    const QString cell = parseCsv(estrivo::csvLine(sheet)).value(0).value(1);
    qputenv("TZ", before);
    ::tzset();
    QCOMPARE(cell, text);
    // The same instant, read back by any ISO 8601 reader.
    QCOMPARE(QDateTime::fromString(cell, Qt::ISODate).toUTC(), saved);
}

void TestRecordsCore::sheetNumbers_data()
{
    QTest::addColumn<QString>("texts");   // Con|GFV|Motility|NumDoses
    QTest::addColumn<QString>("numbers"); // total|motile|doses

    QTest::newRow("measured") << u"150|60|55|17"_s << u"9.00|4.95|17.00"_s;
    QTest::newRow("units after numbers") << u"152.5 M/ml|40ml|80 %|12"_s << u"6.10|4.88|12.00"_s;
    QTest::newRow("placeholder concentration") << u"---.-|60|55|---.-"_s << u"||"_s;
    QTest::newRow("no motility") << u"150|60||3"_s << u"9.00||3.00"_s;
    QTest::newRow("overflow doses") << u"150|60|55|Overflow"_s << u"9.00|4.95|"_s;
    QTest::newRow("exponent") << u"1.5E+3|2|50|1E+20"_s << u"3.00|1.50|100000000000000000000.00"_s;
}

void TestRecordsCore::sheetNumbers()
{
    QFETCH(QString, texts);
    QFETCH(QString, numbers);
    SheetRecord sheet;
    const QStringList text = texts.split(u'|');
    sheet.text(Field::Con) = text[0];
    sheet.text(Field::GFV) = text[1];
    sheet.text(Field::Motility) = text[2];
    sheet.text(Field::NumDoses) = text[3];
    const SheetNumbers read = estrivo::sheetNumbers(sheet);
    QCOMPARE(QStringList({numberText(read.totalSperm), numberText(read.motileSperm),
                          numberText(read.doses)})
                 .join(u'|'),
             numbers);
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
        TrendSample sample{kFirstSave.addDays(i), {}};
        if (!std::isnan(totals[i])) {
            sample.numbers.totalSperm = totals[i];
            sample.numbers.motileSperm = totals[i] / 2;
            xs.prepend(double(sample.at.toMSecsSinceEpoch()));
        }
        sample.numbers.doses = double(i);
        samples << sample;
    }
    QList<QPointF> totalMeans;
    QList<QPointF> motileMeans;
    for (qsizetype i = 0; i < means.size(); ++i) {
        totalMeans << QPointF(xs[i], means[i]);
        motileMeans << QPointF(xs[i], means[i] / 2);
    }
    const TrendSeries series = trendSeries(samples, window);
    QCOMPARE(series.line(TrendQuantity::TotalSperm).values.size(), means.size());
    QCOMPARE(series.line(TrendQuantity::TotalSperm).mean, totalMeans);
    QCOMPARE(series.line(TrendQuantity::MotileSperm).mean, motileMeans);
    const QList<QPointF> &doses = series.line(TrendQuantity::Doses).values;
    QCOMPARE(doses.size(), totals.size());
    for (qsizetype i = 1; i < doses.size(); ++i)
        QVERIFY(doses[i - 1].x() < doses[i].x());
}

void TestRecordsCore::collectionDates()
{
    // The date a reading put on the sheet, read back in the form the sheet window writes it;
    // the save time, said to be one, where there is none or it cannot be read.
    SheetRecord sheet;
    sheet.savedAt = QDateTime(QDate(2026, 5, 4), QTime(10, 0), Qt::UTC);
    const QDateTime taken(QDate(2026, 5, 2), QTime(7, 15, 30));
    const QLocale desktop = QLocale::system();
    const QList<std::pair<QString, QDateTime>> rows{
        {desktop.toString(taken.date(), QLocale::ShortFormat) + u' '
             + desktop.toString(taken.time(), u"HH:mm:ss"_s),
         taken},
        {taken.toString(Qt::ISODate), taken},
        {QString(), sheet.savedAt},
        {u"  "_s, sheet.savedAt},
        {u"yesterday"_s, sheet.savedAt}};
    for (const auto &[text, expected] : rows) {
        sheet.text(Field::Date) = text;
        bool fromSave = false;
        QCOMPARE(collectionTime(sheet, &fromSave), expected);
        QCOMPARE(fromSave, expected == sheet.savedAt);
    }
    // Desktops in other languages write other forms, two-digit years and AM/PM among them;
    // each reads back to the second, also when the form changes from one sheet to the next.
    const QDateTime afternoon(QDate(2026, 11, 29), QTime(15, 4, 5));
    for (const char *name : {"en_US", "de_DE", "fr_FR", "ja_JP", "en_GB", "nl_NL", "C"}) {
        const QLocale locale(QString::fromLatin1(name));
        QLocale::setDefault(locale);
        QString time = locale.timeFormat(QLocale::LongFormat);
        time.remove(u" t"_s).remove(u't');
        for (const QDateTime &at : {taken, afternoon}) {
            sheet.text(Field::Date) = locale.toString(at.date(), QLocale::ShortFormat) + u' '
                                      + locale.toString(at.time(), time.trimmed());
            bool fromSave = true;
            QVERIFY2(collectionTime(sheet, &fromSave) == at && !fromSave,
                     qPrintable(sheet.text(Field::Date) + u" in "_s + QLatin1StringView(name)));
        }
    }
    QLocale::setDefault(QLocale::c());
}

void TestRecordsCore::longTrendDrawn()
{
    // Far more collections than the chart is wide: drawn from each slice's lowest and highest,
    // so the line keeps its ends, its extremes and its order. Up to 2,000 stay whole.
    TrendSeries series;
    TrendLine &total = series.lines[std::size_t(TrendQuantity::TotalSperm)];
    TrendLine &doses = series.lines[std::size_t(TrendQuantity::Doses)];
    for (int i = 0; i < 20000; ++i) {
        const double x = double(kFirstSave.addSecs(qint64(i) * 3600).toMSecsSinceEpoch());
        total.values << QPointF(x, 20.0 + double((i * 7919) % 1000) / 100.0);
        if (i < 2000)
            doses.values << QPointF(x, double(i % 13));
    }
    total.values[12345].setY(99.0);
    total.values[54].setY(1.0);
    total.mean = total.values;
    doses.mean = doses.values;
    TrendChartView view;
    view.showTrend(u"Zeus"_s, series);
    const QList<QPointF> drawn = view.valuesSeries()->points();
    QVERIFY(drawn.size() >= 1000);
    QVERIFY(drawn.size() <= 2002);
    QCOMPARE(drawn.front(), total.values.front());
    QCOMPARE(drawn.back(), total.values.back());
    QVERIFY(drawn.contains(total.values[12345]));
    QVERIFY(drawn.contains(total.values[54]));
    QVERIFY(std::is_sorted(drawn.cbegin(), drawn.cend(),
                           [](QPointF a, QPointF b) { return a.x() < b.x(); }));
    view.setQuantity(TrendQuantity::Doses);
    QCOMPARE(view.valuesSeries()->points(), doses.values);

    // Not laid out while nobody sees it: drawn once shown.
    TrendChartView hidden;
    hidden.showTrend(u"Nordlicht"_s, series);
    QCOMPARE(hidden.chart()->title(), u"Choose a stallion to see his trend"_s);
    hidden.show();
    QCOMPARE(hidden.chart()->title(), u"Nordlicht: Total sperm (billions) per collection"_s);
    QCOMPARE(hidden.valuesSeries()->count(), drawn.size());
}

void TestRecordsCore::labelTexts()
{
    SheetRecord sheet = generatedSheet(1);
    sheet.id = 815;
    sheet.text(Field::VPD) = u"23.8666666666667"_s;
    sheet.text(Field::SemenVol) = u"5.96666666666667"_s;
    sheet.text(Field::ExtVol) = u"17.9"_s;
    sheet.text(Field::NumDoses) = u"12"_s;
    const DoseLabel label = doseLabel(sheet, 3);
    QCOMPARE(
        QStringList({label.stallion, label.collectionDate, label.dose, label.spermPerDose,
                     label.volume, label.workstation, QString::fromLatin1(label.code)}),
        QStringList({u"Ábaco"_s, u"Collected 260301"_s, u"Dose 3 of 12"_s, u"500 M sperm/dose"_s,
                     u"23.87 ml (5.97 semen + 17.9 ext.)"_s, u"lab-1"_s, u"ESTRIVO::815:3"_s}));
}

void TestRecordsCore::doseNumbers_data()
{
    QTest::addColumn<QString>("doses"); // the sheet's Total Doses Possible
    QTest::addColumn<qint64>("whole");  // its whole doses
    QTest::addColumn<int>("count");     // labels printed
    QTest::addColumn<QString>("first"); // the first label's dose line
    QTest::addColumn<QString>("last");  // the last one's

    const auto row = [](const char *name, const QString &doses, qint64 whole, int count,
                        const QString &first, const QString &last) {
        QTest::newRow(name) << doses << whole << count << first << last;
    };
    row("all of them", u"7"_s, 7, 7, u"Dose 1 of 7"_s, u"Dose 7 of 7"_s);
    row("fewer than the doses", u"7"_s, 7, 2, u"Dose 1 of 7"_s, u"Dose 2 of 7"_s);
    row("a part dose left out", u"7.99"_s, 7, 3, u"Dose 1 of 7"_s, u"Dose 3 of 7"_s);
    row("more than the doses", u"7"_s, 7, 9, u"Dose 1 of 7"_s, u"Dose 9"_s);
    row("many doses, a few labels", u"100000"_s, 100000, 4, u"Dose 1 of 100000"_s,
        u"Dose 4 of 100000"_s);
    row("unit after the number", u"12 doses"_s, 12, 12, u"Dose 1 of 12"_s, u"Dose 12 of 12"_s);
    row("one dose", u"1"_s, 1, 2, u"Dose 1 of 1"_s, u"Dose 2"_s);
    row("less than one dose", u"0.8"_s, 0, 2, u"Dose 1"_s, u"Dose 2"_s);
    row("none", u"0"_s, 0, 1, u"Dose 1"_s, u"Dose 1"_s);
    row("never measured", u"---.-"_s, 0, 3, u"Dose 1"_s, u"Dose 3"_s);
    row("overflow", u"Overflow"_s, 0, 2, u"Dose 1"_s, u"Dose 2"_s);
    row("past any collection", u"1E+20"_s, 0, 2, u"Dose 1"_s, u"Dose 2"_s);
    row("negative", u"-5"_s, 0, 1, u"Dose 1"_s, u"Dose 1"_s);
}

void TestRecordsCore::doseNumbers()
{
    QFETCH(QString, doses);
    QFETCH(qint64, whole);
    QFETCH(int, count);
    QFETCH(QString, first);
    QFETCH(QString, last);
    SheetRecord sheet = generatedSheet(4);
    sheet.id = 31;
    sheet.text(Field::NumDoses) = doses;
    QCOMPARE(wholeDoses(sheet), whole);
    QCOMPARE(doseLabel(sheet, 1).dose, first);
    QCOMPARE(doseLabel(sheet, count).dose, last);
    // The code names the dose whatever the text says.
    QCOMPARE(doseLabel(sheet, count).code, "ESTRIVO::31:" + QByteArray::number(count));
}

void TestRecordsCore::qrCodeDecodes_data()
{
    QTest::addColumn<QSizeF>("size");
    QTest::addColumn<QByteArray>("code");

    QTest::newRow("long record id") << QSizeF(62, 29) << doseCode(987654321098, 999);
    QTest::newRow("tall label") << QSizeF(29, 90) << doseCode(42, 12);
}

void TestRecordsCore::qrCodeDecodes()
{
    QFETCH(QSizeF, size);
    QFETCH(QByteArray, code);

    // The label with its texts as the printer gets it at 300 dpi, on a grey ground it must
    // paint white itself: a reader finds this one code.
    constexpr double kDotsPerMm = 300 / 25.4;
    QImage image((size * kDotsPerMm).toSize(), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(kDotsPerMm * 1000));
    image.setDotsPerMeterY(qRound(kDotsPerMm * 1000));
    image.fill(Qt::gray);
    DoseLabel label = doseLabel(generatedSheet(3), 1);
    label.code = code;
    QPainter painter(&image);
    paintLabel(painter, QRectF(QPointF(0, 0), image.size()), label);
    painter.end();
    QTemporaryDir dir;
    const QString png = dir.filePath(u"code.png"_s);
    QVERIFY(image.save(png));
    QCOMPARE(toolOutput(u"zbarimg"_s, {u"--quiet"_s, u"--raw"_s, png}), code + '\n');
}

void TestRecordsCore::quantitySummary_data()
{
    QTest::addColumn<QList<double>>("days"); // after the first collection
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<double>("mean");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("change"); // per 30 days; NaN for none

    const double none = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("one") << QList<double>{0} << QList<double>{5} << 5.0 << 5.0 << 5.0 << none;
    QTest::newRow("same moment") << QList<double>{0, 0} << QList<double>{4, 6} << 5.0 << 4.0 << 6.0
                                 << none;
    // y = 2 per day + 10, given out of order: 60 per 30 days.
    QTest::newRow("a line") << QList<double>{10, 0, 5} << QList<double>{30, 10, 20} << 20.0 << 10.0
                            << 30.0 << 60.0;
    // Falling, with scatter: sum(dt dy) / sum(dt^2) = -100 / 200 per day.
    QTest::newRow("scatter") << QList<double>{0, 10, 20} << QList<double>{300, 280, 290} << 290.0
                             << 280.0 << 300.0 << -15.0;
    QTest::newRow("half days") << QList<double>{0, 0.5, 1.0} << QList<double>{1, 1, 4} << 2.0
                               << 1.0 << 4.0 << 90.0;
}

void TestRecordsCore::quantitySummary()
{
    QFETCH(QList<double>, days);
    QFETCH(QList<double>, values);
    QFETCH(double, mean);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, change);
    const QDateTime start(QDate(2026, 3, 28), QTime(22, 0), Qt::UTC);
    QuantitySummary summary;
    for (qsizetype i = 0; i < days.size(); ++i)
        summary.add(start.addSecs(qint64(days[i] * 86400)), values[i]);
    QCOMPARE(summary.count(), days.size());
    QCOMPARE(summary.mean(), mean);
    QCOMPARE(summary.min(), min);
    QCOMPARE(summary.max(), max);
    QCOMPARE(summary.changePer30Days().has_value(), !std::isnan(change));
    if (!std::isnan(change))
        QCOMPARE(*summary.changePer30Days(), change);
}

QTEST_MAIN(TestRecordsCore)
#include "tst_records_core.moc"
