// The widened arithmetic must agree bit for bit with plain doubles wherever they stay in range.
#include "wide_double.h"

#include <QtTest>

#include <bit>
#include <cmath>
#include <random>

using estrivo::detail::WideDouble;

namespace {

bool sameBits(double a, double b)
{
    return std::bit_cast<quint64>(a) == std::bit_cast<quint64>(b) || (a == 0.0 && b == 0.0);
}

} // namespace

class TestWideDouble : public QObject
{
    Q_OBJECT

private slots:
    void matchesPlainDoubles();
    void cancellationAndNegligibleTerms();
    void keepsRangeBetweenOperations();
    void specialValues();
    void floorRoundsDown_data();
    void floorRoundsDown();
};

void TestWideDouble::matchesPlainDoubles()
{
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-80, 80);
    for (int i = 0; i < 300000; ++i) {
        const double a = std::ldexp(mantissa(rng), exponent(rng));
        const double b = std::ldexp(mantissa(rng), exponent(rng));
        const WideDouble wa = WideDouble::of(a);
        const WideDouble wb = WideDouble::of(b);
        QVERIFY(sameBits((wa * wb).toDouble(), a * b));
        QVERIFY(sameBits((wa + wb).toDouble(), a + b));
        QVERIFY(sameBits((wa - wb).toDouble(), a - b));
        if (b != 0.0)
            QVERIFY(sameBits((wa / wb).toDouble(), a / b));
    }
}

void TestWideDouble::cancellationAndNegligibleTerms()
{
    const auto w = [](double v) { return WideDouble::of(v); };
    QCOMPARE((w(1.0) - w(1.0)).toDouble(), 0.0);
    QCOMPARE((w(1.0) + w(std::ldexp(1.0, -53))).toDouble(), 1.0); // half-way, to even
    QCOMPARE((w(1.0) + w(std::ldexp(1.5, -53))).toDouble(), 1.0 + std::ldexp(1.0, -52));
    QCOMPARE((w(1.0) - w(std::ldexp(1.0, -70))).toDouble(), 1.0);
    QCOMPARE((w(0.5) - w(std::ldexp(1.0, -56))).toDouble(), 0.5);
    QCOMPARE((w(std::ldexp(1.0, -70)) + w(1.0)).toDouble(), 1.0);
    QCOMPARE((w(1e300) + w(-1e-300)).toDouble(), 1e300);
}

void TestWideDouble::keepsRangeBetweenOperations()
{
    const auto w = [](double v) { return WideDouble::of(v); };
    QCOMPARE((w(1e300) * w(1e300) / w(1e300)).toDouble(), 1e300);
    QCOMPARE((w(1e-300) * w(1e-300) / w(1e-300)).toDouble(), 1e-300);
    QVERIFY(std::isinf((w(1e300) * w(1e10)).toDouble()));
    QVERIFY(std::signbit((w(-1e300) * w(1e10)).toDouble()));
    QCOMPARE((w(1e-300) * w(1e-300)).toDouble(), 0.0);
    // Stored into the subnormal range, rounded once more to what a double can hold there.
    QCOMPARE((w(1e-300) / w(1e10)).toDouble(), 1e-310);
}

void TestWideDouble::specialValues()
{
    const double inf = std::numeric_limits<double>::infinity();
    const auto w = [](double v) { return WideDouble::of(v); };
    QCOMPARE((w(500) / w(inf)).toDouble(), 0.0);
    QCOMPARE((w(inf) * w(2)).toDouble(), inf);
    QVERIFY(std::isnan((w(inf) * w(0)).toDouble()));
    QVERIFY(std::isnan((w(inf) - w(inf)).toDouble()));
    QCOMPARE((w(inf) + w(1e300) * w(1e300)).toDouble(), inf);
    QCOMPARE((w(-inf) + w(1e300) * w(1e300)).toDouble(), -inf);
    QCOMPARE((w(0.0) + w(-0.0)).toDouble(), 0.0);
    QVERIFY(std::signbit((w(-0.0) + w(-0.0)).toDouble()));
    QCOMPARE((w(0.0) + w(3.5)).toDouble(), 3.5);
    QCOMPARE((w(1.0) / w(0.0)).toDouble(), inf);
}

void TestWideDouble::floorRoundsDown_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("positive fraction") << 8.999999999999996 << 8.0;
    QTest::newRow("whole") << 9.0 << 9.0;
    QTest::newRow("negative half") << -2.5 << -3.0;
    QTest::newRow("small positive") << 0.25 << 0.0;
    QTest::newRow("small negative") << -0.25 << -1.0;
    QTest::newRow("tiny negative") << -1e-300 << -1.0;
    QTest::newRow("large") << 1e20 << 1e20;
    QTest::newRow("just below 2^52") << 4503599627370495.5 << 4503599627370495.0;
}

void TestWideDouble::floorRoundsDown()
{
    QFETCH(double, value);
    QFETCH(double, expected);
    QCOMPARE(WideDouble::of(value).floor().toDouble(), expected);
}

QTEST_APPLESS_MAIN(TestWideDouble)
#include "tst_wide_double.moc"
