// Frozen semen's rules without a journal: the straws a dose takes and the working shown for
// them, an analysis instrument's result file read as a table (with the files a hostile or
// broken instrument leaves), its means, and the column mappings kept in the settings.
#include "analysis_import.h"
#include "straws_per_dose.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>
#include <sys/stat.h>

using namespace estrivo;
using namespace Qt::StringLiterals;

namespace {

constexpr double kNone = -1.0; // an expected velocity that is not mapped
const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

QString problemStart(const QString &problem, const QString &start)
{
    return problem.left(start.size());
}

// A table of `rows` results under a header, one line each.
QByteArray resultLines(qsizetype rows)
{
    QByteArray content = "Motility,PM\n";
    for (qsizetype i = 0; i < rows; ++i)
        content += "50,40\n";
    return content;
}

// Rows of padding that bring the file to exactly `size` bytes.
QByteArray fileOfSize(qsizetype size)
{
    QByteArray content = "a,b\n";
    const QByteArray row = "1," + QByteArray(597, 'x') + '\n';
    while (content.size() + row.size() <= size)
        content += row;
    const qsizetype rest = size - content.size();
    if (rest > 0)
        content += "1," + QByteArray(rest - 3, 'x') + '\n';
    return content;
}

std::optional<double> expected(double value)
{
    return value == kNone ? std::nullopt : std::optional<double>(value);
}

} // namespace

class TestRecordsFrozenCore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void strawsPerDose_data();
    void strawsPerDose();
    void analysisTable_data();
    void analysisTable();
    void analysisFileRefused_data();
    void analysisFileRefused();
    void analysisNumber_data();
    void analysisNumber();
    void analysisResult_data();
    void analysisResult();
    void guessMapping_data();
    void guessMapping();
    void mappingRoundTrip_data();
    void mappingRoundTrip();
    void mappingKeptApart();

private:
    QTemporaryDir m_dir;
};

void TestRecordsFrozenCore::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    QVERIFY(m_dir.isValid());
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath(u"conf"_s));
    // Nothing in here may write to the real settings of the user running the tests.
    const QString settingsFile = QSettings(u"Estrivo"_s, u"estrivo-records"_s).fileName();
    QCOMPARE(settingsFile.left(m_dir.path().size()), m_dir.path());
}

void TestRecordsFrozenCore::strawsPerDose_data()
{
    QTest::addColumn<double>("sperm");    // M a straw
    QTest::addColumn<double>("motility"); // % progressive after thawing
    QTest::addColumn<double>("target");   // M progressively motile a dose
    QTest::addColumn<int>("straws");
    QTest::addColumn<QStringList>("arithmetic");
    QTest::addColumn<QString>("problem"); // its start; empty when none

    const auto row = [](const char *name, double sperm, double motility, double target, int straws,
                        const QStringList &lines, const QString &problem = {}) {
        QTest::newRow(name) << sperm << motility << target << straws << lines << problem;
    };
    row("practice: 0.5 ml at 200 M/ml, 35 %, 250 M", 100, 35, 250, 8,
        {u"100 M sperm a straw × 35 % progressively motile = 35 M a straw"_s,
         u"250 M wanted ÷ 35 M a straw = 7.14, rounded up: 8 straws"_s});
    row("exact quotient", 100, 25, 250, 10,
        {u"100 M sperm a straw × 25 % progressively motile = 25 M a straw"_s,
         u"250 M wanted ÷ 25 M a straw = 10 straws"_s});
    // In doubles these quotients come out a hair above the whole number.
    row("exact despite binary error, 30.1 %", 100, 30.1, 240.8, 8,
        {u"100 M sperm a straw × 30.1 % progressively motile = 30.1 M a straw"_s,
         u"240.8 M wanted ÷ 30.1 M a straw = 8 straws"_s});
    row("exact despite binary error, 30.4 %", 100, 30.4, 182.4, 6,
        {u"100 M sperm a straw × 30.4 % progressively motile = 30.4 M a straw"_s,
         u"182.4 M wanted ÷ 30.4 M a straw = 6 straws"_s});
    row("past the tolerance above", 100, 25, 250.001, 11,
        {u"100 M sperm a straw × 25 % progressively motile = 25 M a straw"_s,
         u"250 M wanted ÷ 25 M a straw = 10.00004, rounded up: 11 straws"_s});
    row("past the tolerance below", 100, 25, 249.999, 10,
        {u"100 M sperm a straw × 25 % progressively motile = 25 M a straw"_s,
         u"250 M wanted ÷ 25 M a straw = 9.99996, rounded up: 10 straws"_s});
    row("one straw exactly", 100, 50, 50, 1,
        {u"100 M sperm a straw × 50 % progressively motile = 50 M a straw"_s,
         u"50 M wanted ÷ 50 M a straw = 1 straw"_s});
    row("one straw rounded up", 100, 50, 20, 1,
        {u"100 M sperm a straw × 50 % progressively motile = 50 M a straw"_s,
         u"20 M wanted ÷ 50 M a straw = 0.4, rounded up: 1 straw"_s});
    row("a tiny target still takes a straw", 100, 35, 1e-12, 1,
        {u"100 M sperm a straw × 35 % progressively motile = 35 M a straw"_s,
         u"1e-12 M wanted ÷ 35 M a straw = 2.86e-14, rounded up: 1 straw"_s});
    row("all motile", 100, 100, 250, 3,
        {u"100 M sperm a straw × 100 % progressively motile = 100 M a straw"_s,
         u"250 M wanted ÷ 100 M a straw = 2.5, rounded up: 3 straws"_s});
    row("a hundred straws", 10, 10, 100, 100,
        {u"10 M sperm a straw × 10 % progressively motile = 1 M a straw"_s,
         u"100 M wanted ÷ 1 M a straw = 100 straws"_s});
    row("more than a hundred straws", 10, 10, 100.5, 0,
        {u"10 M sperm a straw × 10 % progressively motile = 1 M a straw"_s,
         u"100.5 M wanted ÷ 1 M a straw = 100.5"_s},
        u"More than 100 straws for one dose"_s);
    row("motile sperm underflows to 0", 5e-324, 1, 1, 0,
        {u"4.94e-324 M sperm a straw × 1 % progressively motile = 0 M a straw"_s,
         u"1 M wanted ÷ 0 M a straw = inf"_s},
        u"More than 100 straws for one dose"_s);

    const QString sperm = u"The sperm a straw must be"_s;
    const QString motility = u"The progressive motility after thawing must be"_s;
    const QString target = u"The progressively motile sperm wanted"_s;
    row("no sperm", 0, 35, 250, 0, {}, sperm);
    row("negative sperm", -100, 35, 250, 0, {}, sperm);
    row("sperm not a number", kNan, 35, 250, 0, {}, sperm);
    row("infinite sperm", kInf, 35, 250, 0, {}, sperm);
    row("no motility", 100, 0, 250, 0, {}, motility);
    row("negative motility", 100, -35, 250, 0, {}, motility);
    row("motility above 100 %", 100, 100.5, 250, 0, {}, motility);
    row("motility not a number", 100, kNan, 250, 0, {}, motility);
    row("no target", 100, 35, 0, 0, {}, target);
    row("negative target", 100, 35, -250, 0, {}, target);
    row("infinite target", 100, 35, kInf, 0, {}, target);
}

void TestRecordsFrozenCore::strawsPerDose()
{
    QFETCH(double, sperm);
    QFETCH(double, motility);
    QFETCH(double, target);
    QFETCH(int, straws);
    QFETCH(QStringList, arithmetic);
    QFETCH(QString, problem);

    const StrawsPerDose result = estrivo::strawsPerDose(sperm, motility, target);
    QCOMPARE(result.straws, straws);
    QCOMPARE(result.arithmetic, arithmetic);
    QCOMPARE(result.problem.isEmpty(), problem.isEmpty());
    QCOMPARE(problemStart(result.problem, problem), problem);
}

void TestRecordsFrozenCore::analysisTable_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QList<QStringList>>("rows");

    QTest::newRow("commas") << QByteArray("Motility,PM\n35.2,30.1\n40,33\n")
                            << QStringList{u"Motility"_s, u"PM"_s}
                            << QList<QStringList>{{u"35.2"_s, u"30.1"_s}, {u"40"_s, u"33"_s}};
    QTest::newRow("semicolons with decimal commas")
        << QByteArray("Motility (%);PM (%)\n35,2;30,1\n")
        << QStringList{u"Motility (%)"_s, u"PM (%)"_s}
        << QList<QStringList>{{u"35,2"_s, u"30,1"_s}};
    QTest::newRow("tabs") << QByteArray("Motility\tPM, %\n35,2\t30,1\n")
                          << QStringList{u"Motility"_s, u"PM, %"_s}
                          << QList<QStringList>{{u"35,2"_s, u"30,1"_s}};
    QTest::newRow("quoted delimiters, quotes and line breaks")
        << QByteArray("Sample,\"Note\"\n\"A, 1\",\"said \"\"no\"\"\nthen yes\"\n")
        << QStringList{u"Sample"_s, u"Note"_s}
        << QList<QStringList>{{u"A, 1"_s, u"said \"no\"\nthen yes"_s}};
    QTest::newRow("quote inside a field is text")
        << QByteArray("a,b\n5\" straw,x\n") << QStringList{u"a"_s, u"b"_s}
        << QList<QStringList>{{u"5\" straw"_s, u"x"_s}};
    QTest::newRow("UTF-8 with a byte-order mark")
        << QByteArray("\xEF\xBB\xBFVCL (\xC2\xB5m/s);Probe\n1;M\xC3\xBCller\n")
        << QStringList{u"VCL (µm/s)"_s, u"Probe"_s} << QList<QStringList>{{u"1"_s, u"Müller"_s}};
    QTest::newRow("UTF-8 without a byte-order mark")
        << QByteArray("VCL (\xC2\xB5m/s);Probe\n1;M\xC3\xBCller\n")
        << QStringList{u"VCL (µm/s)"_s, u"Probe"_s} << QList<QStringList>{{u"1"_s, u"Müller"_s}};
    QTest::newRow("Latin-1") << QByteArray("VCL (\xB5m/s);Probe\n1;M\xFCller\n")
                             << QStringList{u"VCL (µm/s)"_s, u"Probe"_s}
                             << QList<QStringList>{{u"1"_s, u"Müller"_s}};
    QTest::newRow("UTF-16 with a byte-order mark")
        << QByteArray("\xFF\xFEV\0C\0L\0;\0P\0M\0\n\0"
                      "1\0;\0"
                      "2\0\n\0",
                      24)
        << QStringList{u"VCL"_s, u"PM"_s} << QList<QStringList>{{u"1"_s, u"2"_s}};
    QTest::newRow("CRLF") << QByteArray("a;b\r\n1;2\r\n3;4\r\n") << QStringList{u"a"_s, u"b"_s}
                          << QList<QStringList>{{u"1"_s, u"2"_s}, {u"3"_s, u"4"_s}};
    QTest::newRow("CR alone") << QByteArray("a;b\r1;2\r") << QStringList{u"a"_s, u"b"_s}
                              << QList<QStringList>{{u"1"_s, u"2"_s}};
    QTest::newRow("no line end at the end")
        << QByteArray("a,b\n1,2") << QStringList{u"a"_s, u"b"_s}
        << QList<QStringList>{{u"1"_s, u"2"_s}};
    QTest::newRow("blank lines and blanks around cells")
        << QByteArray("\n\n a , b \n\n  \n1 , 2\n\n") << QStringList{u"a"_s, u"b"_s}
        << QList<QStringList>{{u"1"_s, u"2"_s}};
    QTest::newRow("ragged rows kept as they are")
        << QByteArray("a,b,c\n1\n1,2,3,4\n,,\n") << QStringList{u"a"_s, u"b"_s, u"c"_s}
        << QList<QStringList>{
               {u"1"_s}, {u"1"_s, u"2"_s, u"3"_s, u"4"_s}, QStringList(3, QString())};
    QTest::newRow("formula-looking cells are text")
        << QByteArray("a;b;c\n=HYPERLINK(\"x\");+1+1;@SUM(A1)\n")
        << QStringList{u"a"_s, u"b"_s, u"c"_s}
        << QList<QStringList>{{u"=HYPERLINK(\"x\")"_s, u"+1+1"_s, u"@SUM(A1)"_s}};
    QTest::newRow("one column") << QByteArray("Motility\n35\n") << QStringList{u"Motility"_s}
                                << QList<QStringList>{{u"35"_s}};
    QTest::newRow("a thousand columns")
        << (QByteArray(999, ',') + "\n1\n") << QStringList(1000, QString())
        << QList<QStringList>{{u"1"_s}};
    QTest::newRow("ten thousand rows")
        << resultLines(kMostAnalysisRows) << QStringList{u"Motility"_s, u"PM"_s}
        << QList<QStringList>(kMostAnalysisRows, {u"50"_s, u"40"_s});
}

// Read from bytes and from a file alike.
void TestRecordsFrozenCore::analysisTable()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, headers);
    QFETCH(QList<QStringList>, rows);

    const AnalysisTable fromBytes = analysisTableFrom(content);
    QCOMPARE(fromBytes.problem, QString());
    QCOMPARE(fromBytes.headers, headers);
    QCOMPARE(fromBytes.rows, rows);

    QFile file(m_dir.filePath(u"result.csv"_s));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
    file.close();
    const AnalysisTable fromFile = readAnalysisFile(file.fileName());
    QCOMPARE(fromFile.problem, QString());
    QCOMPARE(fromFile.headers, headers);
    QCOMPARE(fromFile.rows, rows);
}

void TestRecordsFrozenCore::analysisFileRefused_data()
{
    QTest::addColumn<QString>("kind"); // what stands at the path: file, fifo, folder, device
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("problem");

    const QString notRegular = u" is not a regular file."_s;
    QTest::newRow("FIFO") << u"fifo"_s << QByteArray() << notRegular;
    QTest::newRow("folder") << u"folder"_s << QByteArray() << notRegular;
    QTest::newRow("device") << u"device"_s << QByteArray() << notRegular;
    QTest::newRow("missing") << u"missing"_s << QByteArray() << u"cannot be read"_s;
    QTest::newRow("NUL bytes") << u"file"_s << QByteArray("a,b\n1,\0\n", 8)
                               << u"The analysis file holds NUL characters"_s;
    QTest::newRow("UTF-16 NUL") << u"file"_s
                                << QByteArray("\xFF\xFE"
                                              "a\0,\0\0\0",
                                              8)
                                << u"The analysis file holds NUL characters"_s;
    QTest::newRow("empty") << u"file"_s << QByteArray() << u"The analysis file is empty."_s;
    QTest::newRow("blank lines only")
        << u"file"_s << QByteArray("\r\n \n\n") << u"The analysis file is empty."_s;
    QTest::newRow("quote not closed") << u"file"_s << QByteArray("a,b\n\"1,2\n")
                                      << u"A quoted field of the analysis file is not closed."_s;
    QTest::newRow("1001 columns") << u"file"_s << QByteArray(1000, ',')
                                  << u"A row of the analysis file has more than 1000 columns."_s;
    QTest::newRow("10001 rows") << u"file"_s << resultLines(kMostAnalysisRows + 1)
                                << u"The analysis file has more than 10000 rows"_s;
    QTest::newRow("5 MB and a byte") << u"file"_s << fileOfSize(kMostAnalysisBytes + 1)
                                     << u"The analysis file is larger than 5 MB"_s;
    QTest::newRow("5 MB exactly") << u"file"_s << fileOfSize(kMostAnalysisBytes) << QString();
}

void TestRecordsFrozenCore::analysisFileRefused()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(QString, problem);

    QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
    if (kind == u"file") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(content), content.size());
    } else if (kind == u"fifo") {
        // Opened without O_NONBLOCK this would wait for a writer that never comes.
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == u"folder") {
        QVERIFY(QDir(m_dir.path()).mkpath(path));
    } else if (kind == u"device") {
        path = u"/dev/null"_s;
    }

    const AnalysisTable table = readAnalysisFile(path);
    QCOMPARE(table.problem.isEmpty(), problem.isEmpty());
    if (kind == u"file")
        QCOMPARE(problemStart(table.problem, problem), problem);
    else
        QVERIFY2(table.problem.contains(problem), qPrintable(table.problem));
    const QStringList headers = problem.isEmpty() ? QStringList{u"a"_s, u"b"_s} : QStringList();
    QCOMPARE(table.headers, headers);
}

void TestRecordsFrozenCore::analysisNumber_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<double>("number"); // NaN for none

    QTest::newRow("point") << u"35.2"_s << 35.2;
    QTest::newRow("decimal comma") << u"35,2"_s << 35.2;
    QTest::newRow("whole") << u"40"_s << 40.0;
    QTest::newRow("blanks and a percent sign") << u" 35,2 % "_s << 35.2;
    QTest::newRow("negative") << u"-3.5"_s << -3.5;
    QTest::newRow("exponent") << u"1.2e2"_s << 120.0;
    QTest::newRow("empty") << QString() << kNan;
    QTest::newRow("percent sign alone") << u"%"_s << kNan;
    QTest::newRow("text") << u"n/a"_s << kNan;
    QTest::newRow("formula") << u"=35+1"_s << kNan;
    QTest::newRow("thousands with a comma") << u"1,234.5"_s << kNan;
    QTest::newRow("two commas") << u"1,2,3"_s << kNan;
    QTest::newRow("infinity") << u"inf"_s << kNan;
    QTest::newRow("not a number") << u"nan"_s << kNan;
    QTest::newRow("overflowing") << u"1e999"_s << kNan;
    QTest::newRow("number then text") << u"35 M"_s << kNan;
}

void TestRecordsFrozenCore::analysisNumber()
{
    QFETCH(QString, cell);
    QFETCH(double, number);

    const std::optional<double> read = estrivo::analysisNumber(cell);
    QCOMPARE(read.has_value(), !std::isnan(number));
    if (read)
        QCOMPARE(*read, number);
}

void TestRecordsFrozenCore::analysisResult_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("mapped"); // motility, progressive, VCL, VSL, VAP
    QTest::addColumn<double>("motility");
    QTest::addColumn<double>("progressive");
    QTest::addColumn<double>("vcl"); // kNone when not mapped, as VSL and VAP
    QTest::addColumn<double>("vsl");
    QTest::addColumn<double>("vap");
    QTest::addColumn<int>("rowsUsed");
    QTest::addColumn<QString>("problem");

    const QStringList plain{u"Mot"_s, u"PM"_s, {}, {}, {}};
    const QStringList velocities{u"Mot"_s, u"PM"_s, u"VCL"_s, u"VSL"_s, u"VAP"_s};
    const QByteArray fields = "Field,Mot,PM,VCL,VSL,VAP\n"
                              "1,40,30,110,50,70\n"
                              "2,50,35,120,60,80\n"
                              "3,60,40,130,70,90\n";
    const auto row = [](const char *name, const QByteArray &content, const QStringList &mapped,
                        double motility, double progressive, double vcl, double vsl, double vap,
                        int rowsUsed, const QString &problem = {}) {
        QTest::newRow(name) << content << mapped << motility << progressive << vcl << vsl << vap
                            << rowsUsed << problem;
    };
    const auto refusal = [&](const char *name, const QByteArray &content,
                             const QStringList &mapped, const QString &problem) {
        row(name, content, mapped, 0, 0, kNone, kNone, kNone, 0, problem);
    };

    row("one row a field", fields, plain, 50, 35, kNone, kNone, kNone, 3);
    row("velocities", fields, velocities, 50, 35, 120, 60, 80, 3);
    row("one velocity", fields, {u"Mot"_s, u"PM"_s, {}, u"VSL"_s, {}}, 50, 35, kNone, 60, kNone,
        3);
    row("headers in another case", fields, {u"mot"_s, u" pm "_s, {}, {}, {}}, 50, 35, kNone, kNone,
        kNone, 3);
    row("decimal commas", "Motilit\xC3\xA4t (%);PM (%)\n35,2;30,1\n36,8;31,9\n",
        {u"Motilität (%)"_s, u"PM (%)"_s, {}, {}, {}}, 36, 31, kNone, kNone, kNone, 2);
    row("rows without numbers left out",
        "Mot,PM,VCL\n40,30,100\nn/a,35,110\n60,,120\n,,\n=60+1,40,130\n60,40,140\n",
        {u"Mot"_s, u"PM"_s, u"VCL"_s, {}, {}}, 50, 35, 120, kNone, kNone, 2);
    row("summary rows left out", "Sample;Mot;PM\nA;40;30\nB;60;40\nMean:;50;35\nSD;14,1;7,1\n",
        plain, 50, 35, kNone, kNone, kNone, 2);
    row("short rows left out", "Mot,PM,VAP\n40,30,70\n60,40\n50\n",
        {u"Mot"_s, u"PM"_s, {}, {}, u"VAP"_s}, 40, 30, kNone, kNone, 70, 1);
    row("bounds of a percentage", "Mot,PM\n0,0\n100,100\n", plain, 50, 50, kNone, kNone, kNone, 2);

    refusal("table refused", QByteArray("Mot,PM\n1,\0\n", 11), plain,
            u"The analysis file holds NUL characters"_s);
    refusal("motility not mapped", fields, {{}, u"PM"_s, {}, {}, {}},
            u"Choose the columns of total and progressive motility."_s);
    refusal("progressive not mapped", fields, {u"Mot"_s, u" "_s, {}, {}, {}},
            u"Choose the columns of total and progressive motility."_s);
    refusal("motility column missing", fields, {u"Motility (%)"_s, u"PM"_s, {}, {}, {}},
            u"The analysis file has no column “Motility (%)” (total motility)."_s);
    refusal("velocity column missing", fields, {u"Mot"_s, u"PM"_s, u"VCL (um/s)"_s, {}, {}},
            u"The analysis file has no column “VCL (um/s)” (VCL)."_s);
    refusal("two figures in one column", fields, {u"Mot"_s, u"PM"_s, u"VCL"_s, u"vcl"_s, {}},
            u"The VCL and the VSL are both mapped to the column “VCL”."_s);
    refusal("percentage above 100", "Mot,PM\n40,30\n140,30\n", plain,
            u"Result row 2 gives a total motility of “140” in the column “Mot”: not a "
            "percentage."_s);
    refusal("negative percentage", "Mot,PM\n40,-3\n", plain,
            u"Result row 1 gives a progressive motility of “-3”"_s);
    refusal("negative velocity", "Mot,PM,VAP\n40,30,-1\n", {u"Mot"_s, u"PM"_s, {}, {}, u"VAP"_s},
            u"Result row 1 gives a VAP of “-1” in the column “VAP”: a velocity is not "
            "negative."_s);
    refusal("progressive above total", "Mot,PM\n30,40\n", plain,
            u"The progressive motility (40.0 %) is above the total motility (30.0 %)"_s);
    refusal("velocity too large to average", "Mot,PM,VCL\n40,30,1e308\n40,30,1e308\n",
            {u"Mot"_s, u"PM"_s, u"VCL"_s, {}, {}}, u"The VCL of the analysis file is too large"_s);
    refusal("no usable row", "Mot,PM\nn/a,n/a\nMean,50,35\n", plain,
            u"No row of the analysis file has a number in each of the mapped columns."_s);
}

void TestRecordsFrozenCore::analysisResult()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, mapped);
    QFETCH(double, motility);
    QFETCH(double, progressive);
    QFETCH(double, vcl);
    QFETCH(double, vsl);
    QFETCH(double, vap);
    QFETCH(int, rowsUsed);
    QFETCH(QString, problem);

    const AnalysisMapping mapping{u"CASA"_s, mapped[0], mapped[1],
                                  mapped[2], mapped[3], mapped[4]};
    const AnalysisResult result = estrivo::analysisResult(analysisTableFrom(content), mapping);
    QCOMPARE(problemStart(result.problem, problem), problem);
    QCOMPARE(result.problem.isEmpty(), problem.isEmpty());
    QCOMPARE(result.rowsUsed, rowsUsed);
    QCOMPARE(result.motility, motility);
    QCOMPARE(result.progressive, progressive);
    QCOMPARE(result.vcl, expected(vcl));
    QCOMPARE(result.vsl, expected(vsl));
    QCOMPARE(result.vap, expected(vap));
}

void TestRecordsFrozenCore::guessMapping_data()
{
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QStringList>("guessed"); // motility, progressive, VCL, VSL, VAP

    QTest::newRow("units in brackets")
        << QStringList{u"Sample"_s,     u"Motility (%)"_s, u"PM %"_s,
                       u"VCL (um/s)"_s, u"VSL [µm/s]"_s,   u"VAP (µm/s)"_s}
        << QStringList{u"Motility (%)"_s, u"PM %"_s, u"VCL (um/s)"_s, u"VSL [µm/s]"_s,
                       u"VAP (µm/s)"_s};
    QTest::newRow("words") << QStringList{u"Total motility"_s, u"Progressive motility"_s,
                                          u"Curvilinear velocity"_s, u"Straight line velocity"_s,
                                          u"Average path velocity"_s}
                           << QStringList{u"Total motility"_s, u"Progressive motility"_s,
                                          u"Curvilinear velocity"_s, u"Straight line velocity"_s,
                                          u"Average path velocity"_s};
    QTest::newRow("abbreviations") << QStringList{u"VAP"_s, u"VSL"_s, u"VCL"_s, u"PM"_s, u"TM"_s}
                                   << QStringList{u"TM"_s, u"PM"_s, u"VCL"_s, u"VSL"_s, u"VAP"_s};
    QTest::newRow("the other kinds of motility passed over")
        << QStringList{u"Non-progressive (%)"_s, u"Immotile (%)"_s, u"Static"_s, u"Progressive"_s,
                       u"Motile (%)"_s}
        << QStringList{u"Motile (%)"_s, u"Progressive"_s, {}, {}, {}};
    QTest::newRow("nothing known")
        << QStringList{u"Date"_s, u"Operator"_s, QString()} << QStringList{{}, {}, {}, {}, {}};
    QTest::newRow("first of two taken") << QStringList{u"Mot 1"_s, u"Mot 2"_s, u"PM"_s}
                                        << QStringList{u"Mot 1"_s, u"PM"_s, {}, {}, {}};
}

void TestRecordsFrozenCore::guessMapping()
{
    QFETCH(QStringList, headers);
    QFETCH(QStringList, guessed);

    const AnalysisMapping mapping = estrivo::guessMapping(headers);
    QCOMPARE(mapping.instrument, QString());
    QCOMPARE((QStringList{mapping.motility, mapping.progressive, mapping.vcl, mapping.vsl,
                          mapping.vap}),
             guessed);
}

void TestRecordsFrozenCore::mappingRoundTrip_data()
{
    QTest::addColumn<QString>("instrument");
    QTest::addColumn<QString>("kept"); // the name it is saved under; empty when refused

    QTest::newRow("plain") << u"CASA 2"_s << u"CASA 2"_s;
    QTest::newRow("blanks around") << u"  Lab scope \t"_s << u"Lab scope"_s;
    QTest::newRow("slashes and dots") << u"../Lab/CASA\\1"_s << u"../Lab/CASA\\1"_s;
    QTest::newRow("settings syntax")
        << u"[general]\nkey=value;#%"_s << u"[general]\nkey=value;#%"_s;
    QTest::newRow("letters past ASCII")
        << u"Mikroskop Gestüt Øst 🐎"_s << u"Mikroskop Gestüt Øst 🐎"_s;
    QTest::newRow("100 characters") << QString(100, u'x') << QString(100, u'x');
    QTest::newRow("101 characters") << QString(101, u'x') << QString();
    QTest::newRow("no name") << QString() << QString();
    QTest::newRow("blanks only") << u" \t"_s << QString();
}

void TestRecordsFrozenCore::mappingRoundTrip()
{
    QFETCH(QString, instrument);
    QFETCH(QString, kept);

    const AnalysisMapping mapping{instrument,     u"Motility (%)"_s, u"PM, %"_s,
                                  u"VCL=\"x\""_s, QString(),         u"VAP/µm"_s};
    const QString problem = saveAnalysisMapping(mapping);
    QCOMPARE(problem.isEmpty(), !kept.isEmpty());
    const std::optional<AnalysisMapping> loaded = loadAnalysisMapping(instrument);
    QCOMPARE(loaded.has_value(), !kept.isEmpty());
    if (!loaded)
        return;
    AnalysisMapping wanted = mapping;
    wanted.instrument = kept;
    QCOMPARE(*loaded, wanted);
    QVERIFY(analysisInstruments().contains(kept));
    QVERIFY(analysisSettingsGroup(instrument).startsWith(u"analysis/"_s));
    QCOMPARE(analysisSettingsGroup(instrument).count(u'/'), 1);
}

// Names that a plain sanitising would fold together stay apart, and a group edited by hand
// under another name is not taken for an instrument's.
void TestRecordsFrozenCore::mappingKeptApart()
{
    const QStringList names{u"CASA 1"_s, u"CASA_1"_s, u"CASA/1"_s, u"casa 1"_s};
    for (qsizetype i = 0; i < names.size(); ++i) {
        const AnalysisMapping mapping{names[i], u"Mot %1"_s.arg(i), u"PM"_s, {}, {}, {}};
        QCOMPARE(saveAnalysisMapping(mapping), QString());
    }
    for (qsizetype i = 0; i < names.size(); ++i) {
        const std::optional<AnalysisMapping> loaded = loadAnalysisMapping(names[i]);
        QVERIFY(loaded);
        QCOMPARE(loaded->instrument, names[i]);
        QCOMPARE(loaded->motility, u"Mot %1"_s.arg(i));
    }
    QCOMPARE(loadAnalysisMapping(u"CASA 3"_s).has_value(), false);

    {
        QSettings settings(u"Estrivo"_s, u"estrivo-records"_s);
        settings.setValue(analysisSettingsGroup(u"Forged"_s) + u"/instrument"_s, u"CASA 1"_s);
        settings.setValue(analysisSettingsGroup(u"Forged"_s) + u"/motility"_s, u"X"_s);
    }
    QCOMPARE(loadAnalysisMapping(u"Forged"_s).has_value(), false);
    const QStringList listed = analysisInstruments();
    for (const QString &name : names)
        QCOMPARE(listed.count(name), 1);
}

QTEST_MAIN(TestRecordsFrozenCore)
#include "tst_records_frozen_core.moc"
