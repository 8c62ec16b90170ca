// The sheet's texts, the rules between text and number, and Calculate with its arithmetic.
#include "extension_calc.h"
#include "wide_double.h"

#include <QtTest>

#include <bit>
#include <clocale>
#include <cmath>
#include <limits>
#include <locale>
#include <random>

using estrivo::Field;
using estrivo::readNumber;
using estrivo::writeNumber;
using estrivo::detail::WideDouble;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();

// QCOMPARE on doubles is fuzzy; these numbers must be exact to the last bit.
QString exact(double value)
{
    return QString::number(value, 'g', 17);
}

QByteArray written(double value)
{
    return QByteArray::fromStdString(writeNumber(value));
}

} // namespace

class TestCalc : public QObject
{
    Q_OBJECT

private slots:
    void initialTexts()
    {
        const estrivo::SampleSheet sheet;
        const QStringList texts{"---.-", "---.-", "50", "500", "5", "30",
                                "--.-", "--.-", "--.-", "--", "", ""};
        for (Field field : estrivo::kAllFields) {
            QCOMPARE(QString::fromStdString(sheet.text(field)), texts.at(int(field)));
            QCOMPARE(estrivo::isInputField(field), int(field) < 6);
        }
    }

    void numbers_data()
    {
        // What the reading rule or the widened arithmetic computes, and the double it must be.
        QTest::addColumn<double>("computed");
        QTest::addColumn<double>("expected");
        const auto row = [](const char *name, const std::string &text, double expected) {
            QTest::newRow(name) << readNumber(text) << expected;
        };
        const auto wide = [](const char *name, WideDouble computed, double expected) {
            QTest::newRow(name) << computed.toDouble() << expected;
        };
        const std::string zeros(2000, '0');
        const auto w = &WideDouble::of;
        row("empty", "", 0.0);
        row("placeholder", "---.-", 0.0);
        row("letters after digits", "12abc", 12.0);
        row("blank, number, unit", " 7.5 ml", 7.5);
        row("comma ends", "1,5", 1.0);
        row("second point ends", "1.2.3", 1.2);
        row("blanks anywhere", "- 1 5\t.\n5 d +1", -155.0);
        row("carriage return ends", "1\r5", 1.0);
        row("plus, leading point", "+.5", 0.5);
        row("leading zeros", "00.0012300", 0.00123);
        row("exponent e", "2e2", 200.0);
        row("exponent D minus", "2D-3", 0.002);
        row("exponent without digits", "3e+x", 3.0);
        row("halfway to even", "9007199254740993." + zeros, 9007199254740992.0);
        row("far digit breaks tie", "9007199254740993." + zeros + "1", 9007199254740994.0);
        row("subnormal", "1e-310", 1e-310);
        row("largest double", "1.7976931348623157e308", kMax);
        row("beyond range", "1E400", kInf);
        row("beyond range negative", "-1E400", -kInf);
        row("just beyond range", "1.8e308", kInf);
        row("huge exponent", "1e99999999999999999999999", kInf);
        row("below range", "1E-400", 0.0);
        row("long mantissa, exponent cancels", "1" + zeros + "e-2000", 1.0);
        row("hex", "&H1F", 31.0);
        row("hex lower case, blanks", "&h f f", 255.0);
        row("hex past 64 bits", "&HFFFFFFFFFFFFFFFF", 0x1p64);
        row("hex beyond range", "&H" + std::string(300, 'F'), kInf);
        row("octal, stops at 8", "&o0 178", 15.0);
        row("signed prefix", "-&H10", 0.0);
        // A written third reads back as that decimal, not as the double nearest a third.
        row("written third", writeNumber(1.0 / 3.0), 0.333333333333333);
        wide("overflow in between", w(1e300) * w(1e300) / w(1e300), 1e300);
        wide("underflow in between", w(1e-300) * w(1e-300) / w(1e-300), 1e-300);
        wide("stored beyond range", w(-1e300) * w(1e10), -kInf);
        wide("stored below range", w(1e-300) * w(1e-300), 0.0);
        wide("stored as subnormal", w(1e-300) / w(1e10), 1e-310);
        wide("halfway sum to even", w(1.0) + w(0x1p-53), 1.0);
        wide("divided by infinity", w(500) / w(kInf), 0.0);
        wide("infinity times zero", w(kInf) * w(0.0), std::nan(""));
        wide("floor small positive", w(0.25).floor(), 0.0);
        wide("floor small negative", w(-0.25).floor(), -1.0);
    }
    void numbers()
    {
        QFETCH(double, computed);
        QFETCH(double, expected);
        QCOMPARE(exact(computed), exact(expected));
    }

    void writing_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("expected");
        const auto row = [](const char *name, double value, const char *expected) {
            QTest::newRow(name) << value << QByteArray(expected);
        };
        row("dose example", 500.0 / 150.0 / 0.5, "6.66666666666667");
        row("15 significant digits", 123456789012345.6, "123456789012346");
        row("binary noise rounded away", 0.1 + 0.2, "0.3");
        row("whole number", 40.0, "40");
        row("negative", -2.5, "-2.5");
        row("exponent -4 fixed", 0.0001, "0.0001");
        row("exponent -5 scientific", 0.00001, "1E-05");
        row("negative scientific", -1.5e-5, "-1.5E-05");
        row("exponent 14 fixed", 1e14, "100000000000000");
        row("exponent 15 scientific", 1e15, "1E+15");
        row("rounds up into exponent 15", 999999999999999.5, "1E+15");
        row("three exponent digits", 1e100, "1E+100");
        row("zero", 0.0, "0");
        row("negative zero", -0.0, "0");
        row("infinity", kInf, "Overflow");
    }
    void writing()
    {
        QFETCH(double, value);
        QFETCH(QByteArray, expected);
        QCOMPARE(written(value), expected);
    }

    void roundTrip()
    {
        // What the operator sees is what the next step computes with.
        std::mt19937_64 rng(20261206);
        std::uniform_real_distribution<double> realistic(-1000.0, 1000.0);
        for (int i = 0; i < 100000; ++i) {
            const double x = i % 2 ? std::bit_cast<double>(rng())
                                   : realistic(rng) * std::pow(10.0, int(rng() % 61) - 30);
            if (std::isfinite(x) && written(readNumber(writeNumber(x))) != written(x))
                QFAIL(written(x).constData());
        }
        // At the very top fifteen digits round up past the range and read back as Overflow.
        for (double x : {kMax, std::nextafter(kMax, 0.0)}) {
            QCOMPARE(written(x), "1.79769313486232E+308");
            QCOMPARE(written(readNumber(writeNumber(x))), "Overflow");
        }
    }

    void commaLocaleKeepsThePoint()
    {
        // Sets the C locale too; throws when de_DE.UTF-8 is missing (the set-up creates it).
        std::locale::global(std::locale("de_DE.UTF-8"));
        const auto restore = qScopeGuard([] { std::locale::global(std::locale::classic()); });
        QCOMPARE(std::localeconv()->decimal_point[0], ',');
        QCOMPARE(written(2.5), "2.5");
        QCOMPARE(exact(readNumber("2,5")), exact(2.0));
        QCOMPARE(exact(readNumber(writeNumber(500.0 / 150.0 / 0.5))), exact(6.66666666666667));
    }

    void calculate_data()
    {
        // The fields from Con on as typed ("=" keeps the initial text), results included when a
        // stale one matters; then SemenVol|ExtVol|VPD|NumDoses after Calculate.
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<QString>("results");
        const auto row = [](const char *name, const char *inputs, const char *results) {
            QTest::newRow(name) << QString(inputs) << QString(results);
        };
        row("start-up, Con emptied", "|=|=|=|=|=|=", "--.-|16.6666666666667|16.6666666666667|--");
        row("8 doses, not 9", "150|60|=|=|=|=|=", "6.66666666666667|33.3333333333333|40|8");
        row("capped", "300|40|80|500|1|50|=", "2.08333333333333|7.91666666666667|10|19");
        row("equal volumes: no cap", "|=|=|1|1E-17|1|1", "1|1E-17|1|0");
        row("ulp over: capped", "|=|=|1.0000000000000002|1E-17|1|1", "1|2.22044604925031E-16|1|0");
        row("motility 0 keeps a stale SemenVol", "150|10|0|=|=|=|4", "4|20|24|2");
        row("negative Con", "-150|60|=|=|=|=|=", "--.-|16.6666666666667|16.6666666666667|--");
        row("negative MinExt", "100|20|100|500|-2|0|=", "5|-10|-5|4");
        row("MaxCon 0 no cap, negative GFV", "100|-12.5|100|500|1|0|=", "5|5|10|-3");
        row("wide intermediate", "1E-10|=|1E20|1E300|0|0|=", "1E+292|0|1E+292|0");
        row("tiny intermediate", "1E100|=|1E-100|1E-300|0|0|=", "1E-298|0|1E-298|0");
        row("semen volume overflows", "1E-10|60|50|1E300|=|=|=|1|2|3", "Overflow|--.-|--.-|--");
        row("extender overflows", "|60|0|=|1E10|0|1E300|=|2|3", "1E300|Overflow|--.-|--");
        row("dose count overflows", "1E300|1E300|50|500|=|0|=", "1E-297|5E-297|6E-297|Overflow");
    }
    void calculate()
    {
        QFETCH(QString, inputs);
        QFETCH(QString, results);
        estrivo::SampleSheet sheet;
        const QStringList texts = inputs.split(u'|');
        for (int i = 0; i < texts.size(); ++i) {
            if (texts.at(i) != u"=")
                sheet.setText(Field(i), texts.at(i).toStdString());
        }
        const estrivo::SampleSheet before = sheet;
        estrivo::Calculate(sheet);
        // Only results are written; a write to an input would re-run Calculate in the window.
        for (int i : {0, 1, 2, 3, 4, 5, 10, 11})
            QCOMPARE(sheet.text(Field(i)), before.text(Field(i)));
        QStringList actual;
        for (Field field : {Field::SemenVol, Field::ExtVol, Field::VPD, Field::NumDoses})
            actual.append(QString::fromStdString(sheet.text(field)));
        QCOMPARE(actual.join(u'|'), results);
    }

    void wideMatchesPlainDoubles()
    {
        std::mt19937_64 rng(7);
        std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
        const auto w = &WideDouble::of;
        const auto same = [](WideDouble wide, double plain) {
            return std::bit_cast<quint64>(wide.toDouble()) == std::bit_cast<quint64>(plain);
        };
        for (int i = 0; i < 200000; ++i) {
            const double a = std::ldexp(mantissa(rng), int(rng() % 161) - 80);
            const double b = std::ldexp(mantissa(rng), int(rng() % 161) - 80);
            if (!same(w(a) * w(b), a * b) || !same(w(a) + w(b), a + b)
                || !same(w(a) - w(b), a - b) || (b != 0.0 && !same(w(a) / w(b), a / b)))
                QFAIL(qPrintable(exact(a) + u' ' + exact(b)));
        }
    }
};

QTEST_APPLESS_MAIN(TestCalc)
#include "tst_calc.moc"
