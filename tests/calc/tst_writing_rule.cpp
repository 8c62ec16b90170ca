// The writing rule: how a computed number is put back into its field as text.
#include "sample_sheet.h"

#include <QtTest>

#include <clocale>
#include <cmath>
#include <limits>
#include <locale>
#include <random>

using estrivo::readNumber;
using estrivo::writeNumber;

namespace {

// A C++ locale whose decimal point is a comma, whatever the machine has installed.
struct CommaPunct : std::numpunct<char>
{
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

} // namespace

class TestWritingRule : public QObject
{
    Q_OBJECT

private slots:
    void examples_data();
    void examples();
    void roundTripIsStable();
    void commaLocaleKeepsThePoint();
};

void TestWritingRule::examples_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("dose example") << 500.0 / 150.0 / 0.5 << "6.66666666666667";
    QTest::newRow("whole number") << 40.0 << "40";
    QTest::newRow("hundred") << 100.0 << "100";
    QTest::newRow("exponent -4 stays fixed") << 0.0001 << "0.0001";
    QTest::newRow("exponent -4 with digits") << 0.00012345 << "0.00012345";
    QTest::newRow("exponent -5 goes scientific") << 0.00001 << "1E-05";
    QTest::newRow("exponent -5 with digits") << 1.5e-5 << "1.5E-05";
    QTest::newRow("negative small") << -1e-5 << "-1E-05";
    QTest::newRow("exponent 14 stays fixed") << 1e14 << "100000000000000";
    QTest::newRow("15 nines") << 999999999999999.0 << "999999999999999";
    QTest::newRow("rounds up into exponent 15") << 999999999999999.5 << "1E+15";
    QTest::newRow("rounds up into exponent -4") << 0.000099999999999999999 << "0.0001";
    QTest::newRow("exponent 15 goes scientific") << 1e15 << "1E+15";
    QTest::newRow("three exponent digits") << 1e100 << "1E+100";
    QTest::newRow("15 significant digits") << 123456789012345.6 << "123456789012346";
    QTest::newRow("third") << 1.0 / 3.0 << "0.333333333333333";
    QTest::newRow("two thirds") << 2.0 / 3.0 << "0.666666666666667";
    QTest::newRow("binary noise rounded away") << 0.1 + 0.2 << "0.3";
    QTest::newRow("fraction") << 12345.678 << "12345.678";
    QTest::newRow("negative fraction") << -2.5 << "-2.5";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("largest double") << std::numeric_limits<double>::max()
                                    << "1.79769313486232E+308";
    QTest::newRow("smallest subnormal") << std::numeric_limits<double>::denorm_min()
                                        << "4.94065645841247E-324";
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "Overflow";
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "Overflow";
}

void TestWritingRule::examples()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(writeNumber(value)), expected);
}

void TestWritingRule::roundTripIsStable()
{
    // Written text, read back and written again, is the same text: what the operator sees is
    // what the next step computes with.
    std::mt19937_64 rng(20261206);
    std::uniform_real_distribution<double> realistic(-1000.0, 1000.0);
    std::uniform_int_distribution<int> scale(-30, 30);
    for (int i = 0; i < 200000; ++i) {
        double x = 0;
        if (i % 2 == 0) {
            x = std::bit_cast<double>(rng());
            if (!std::isfinite(x))
                continue;
        } else {
            x = realistic(rng) * std::pow(10.0, scale(rng));
        }
        const std::string once = writeNumber(x);
        const std::string twice = writeNumber(readNumber(once));
        if (once != twice)
            QFAIL(qPrintable(QStringLiteral("%1 -> %2 -> %3")
                                 .arg(x, 0, 'g', 17)
                                 .arg(QString::fromStdString(once), QString::fromStdString(twice))));
        // At most 15 significant digits, so the text never claims more precision than it has.
        int significant = 0;
        for (char c : once) {
            if (c == 'E')
                break;
            if (c >= '0' && c <= '9' && (significant > 0 || c != '0'))
                ++significant;
        }
        QVERIFY2(significant <= 15, once.c_str());
    }

    // The one exception: fifteen digits of the largest doubles round up past the range, so
    // their text reads back as beyond it and the next step shows Overflow, not a wrong number.
    const double largest = std::numeric_limits<double>::max();
    for (double x : {largest, std::nextafter(largest, 0.0)}) {
        QCOMPARE(writeNumber(x), "1.79769313486232E+308");
        QVERIFY(std::isinf(readNumber(writeNumber(x))));
        QCOMPARE(writeNumber(readNumber(writeNumber(-x))), "Overflow");
    }
    QCOMPARE(writeNumber(readNumber(writeNumber(1.79769313486231e308))), "1.79769313486231E+308");
}

void TestWritingRule::commaLocaleKeepsThePoint()
{
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(),
                                                                 new CommaPunct));
    const char *const cLocale = std::setlocale(LC_ALL, "de_DE.UTF-8");
    QVERIFY2(cLocale, "de_DE.UTF-8 is not installed; the set-up command creates it");
    QCOMPARE(std::localeconv()->decimal_point[0], ',');

    QCOMPARE(writeNumber(2.5), std::string("2.5"));
    QCOMPARE(writeNumber(1.5e-5), std::string("1.5E-05"));
    QCOMPARE(readNumber("2.5"), 2.5);
    QCOMPARE(readNumber("2,5"), 2.0);
    QCOMPARE(readNumber(writeNumber(500.0 / 150.0 / 0.5)), 6.66666666666667);

    std::setlocale(LC_ALL, "C");
    std::locale::global(previous);
}

QTEST_APPLESS_MAIN(TestWritingRule)
#include "tst_writing_rule.moc"
