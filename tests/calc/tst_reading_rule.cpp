// The reading rule: how the text of a field turns into the number the calculation uses.
#include "sample_sheet.h"

#include <QtTest>

#include <cmath>
#include <limits>
#include <string>

using estrivo::readNumber;

class TestReadingRule : public QObject
{
    Q_OBJECT

private slots:
    void decimalText_data();
    void decimalText();
    void radixPrefix_data();
    void radixPrefix();
    void beyondDoubleRange();
    void longDigitStringsRoundOnce();
    void fifteenDigitTextReadsAsThatDecimal();
    void arbitraryBytesNeverCrash();
};

void TestReadingRule::decimalText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("empty") << QByteArray("") << 0.0;
    QTest::newRow("volume placeholder") << QByteArray("---.-") << 0.0;
    QTest::newRow("count placeholder") << QByteArray("--") << 0.0;
    QTest::newRow("letters only") << QByteArray("abc") << 0.0;
    QTest::newRow("lone point") << QByteArray(".") << 0.0;
    QTest::newRow("lone sign") << QByteArray("-") << 0.0;
    QTest::newRow("digits then letters") << QByteArray("12abc") << 12.0;
    QTest::newRow("blank, number, unit") << QByteArray(" 7.5 ml") << 7.5;
    QTest::newRow("comma ends the number") << QByteArray("1,5") << 1.0;
    QTest::newRow("exponent e") << QByteArray("2e2") << 200.0;
    QTest::newRow("exponent D") << QByteArray("2D3") << 2000.0;
    QTest::newRow("exponent d negative") << QByteArray("2d-3") << 0.002;
    QTest::newRow("exponent E plus") << QByteArray("1.5E+2") << 150.0;
    QTest::newRow("exponent without digits") << QByteArray("3e") << 3.0;
    QTest::newRow("exponent sign without digits") << QByteArray("3e+x") << 3.0;
    QTest::newRow("blank between digits") << QByteArray("1 5") << 15.0;
    QTest::newRow("tab and line feed inside") << QByteArray("1\t2\n3") << 123.0;
    QTest::newRow("blank after sign") << QByteArray("- 5") << -5.0;
    QTest::newRow("blank inside exponent") << QByteArray("1 e 2") << 100.0;
    QTest::newRow("carriage return ends") << QByteArray("1\r5") << 1.0;
    QTest::newRow("percent sign") << QByteArray("50%") << 50.0;
    QTest::newRow("negative") << QByteArray("-5") << -5.0;
    QTest::newRow("explicit plus") << QByteArray("+3.25") << 3.25;
    QTest::newRow("second point ends") << QByteArray("1.2.3") << 1.2;
    QTest::newRow("leading point") << QByteArray(".5") << 0.5;
    QTest::newRow("negative leading point") << QByteArray("-.5") << -0.5;
    QTest::newRow("trailing point") << QByteArray("5.") << 5.0;
    QTest::newRow("leading zeros") << QByteArray("000123.4500") << 123.45;
    QTest::newRow("small fraction") << QByteArray("0.0001") << 0.0001;
    QTest::newRow("two signs") << QByteArray("+-5") << 0.0;
    QTest::newRow("letter before digits") << QByteArray("x12") << 0.0;
    QTest::newRow("carriage return before") << QByteArray("\r12") << 0.0;
    QTest::newRow("utf8 after number") << QByteArray("12\xc2\xb5l") << 12.0;
    QTest::newRow("nul byte ends") << QByteArray("4\0" "2", 3) << 4.0;
    QTest::newRow("round half to even 2^53+1") << QByteArray("9007199254740993") << 9007199254740992.0;
    QTest::newRow("subnormal") << QByteArray("1e-310") << 1e-310;
    QTest::newRow("largest double") << QByteArray("1.7976931348623157e308")
                                    << std::numeric_limits<double>::max();
}

void TestReadingRule::decimalText()
{
    QFETCH(QByteArray, text);
    QFETCH(double, expected);
    const double value = readNumber(std::string_view(text.constData(), size_t(text.size())));
    QCOMPARE(value, expected);
}

void TestReadingRule::radixPrefix_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("hex") << QByteArray("&H1F") << 31.0;
    QTest::newRow("hex lower case, blanks") << QByteArray("&h f f") << 255.0;
    QTest::newRow("hex stops at non-digit") << QByteArray("&H10g5") << 16.0;
    QTest::newRow("hex is unsigned") << QByteArray("&HFFFF") << 65535.0;
    QTest::newRow("hex 64 bits rounds to double")
        << QByteArray("&HFFFFFFFFFFFFFFFF") << 18446744073709551616.0;
    QTest::newRow("hex without digits") << QByteArray("&H") << 0.0;
    QTest::newRow("octal") << QByteArray("&O17") << 15.0;
    QTest::newRow("octal leading zeros") << QByteArray("&o0007") << 7.0;
    QTest::newRow("octal stops at 8") << QByteArray("&O78") << 7.0;
    QTest::newRow("octal without digits") << QByteArray("&O9") << 0.0;
    QTest::newRow("octal long, exact") << QByteArray("&O1777777777777777777777")
                                       << 18446744073709551616.0;
    QTest::newRow("ampersand alone") << QByteArray("&") << 0.0;
    QTest::newRow("ampersand other letter") << QByteArray("&B101") << 0.0;
    QTest::newRow("signed prefix is no number") << QByteArray("-&H10") << 0.0;
}

void TestReadingRule::radixPrefix()
{
    QFETCH(QByteArray, text);
    QFETCH(double, expected);
    QCOMPARE(readNumber(std::string_view(text.constData(), size_t(text.size()))), expected);
}

void TestReadingRule::beyondDoubleRange()
{
    const double inf = std::numeric_limits<double>::infinity();
    QCOMPARE(readNumber("1E400"), inf);
    QCOMPARE(readNumber("-1E400"), -inf);
    QCOMPARE(readNumber("1.8e308"), inf);
    QCOMPARE(readNumber("1e99999999999999999999999"), inf);
    QCOMPARE(readNumber("1E-400"), 0.0);
    QVERIFY(std::signbit(readNumber("-1E-400")));
    QCOMPARE(readNumber("1e-99999999999999999999999"), 0.0);
    QCOMPARE(readNumber("&H" + std::string(300, 'F')), inf);
    QCOMPARE(readNumber("&O" + std::string(400, '7')), inf);
    // A huge mantissa with a huge negative exponent cancels out.
    QCOMPARE(readNumber("1" + std::string(1000, '0') + "e-1000"), 1.0);
    QCOMPARE(readNumber("0." + std::string(1000, '0') + "1e1001"), 1.0);
}

void TestReadingRule::longDigitStringsRoundOnce()
{
    // 2^53 + 1 is exactly half-way and rounds to even; any nonzero digit far behind it must
    // tip it upwards, however many zeros stand between.
    const std::string halfway = "9007199254740993";
    QCOMPARE(readNumber(halfway + "." + std::string(2000, '0')), 9007199254740992.0);
    QCOMPARE(readNumber(halfway + "." + std::string(2000, '0') + "1"), 9007199254740994.0);
    QCOMPARE(readNumber(halfway + std::string(2000, '0') + "1e-2001"), 9007199254740994.0);
}

void TestReadingRule::fifteenDigitTextReadsAsThatDecimal()
{
    // A written third reads back as the 15-digit decimal, not as the double nearest a third.
    const double third = readNumber(estrivo::writeNumber(1.0 / 3.0));
    QCOMPARE(third, 0.333333333333333);
    QVERIFY(third != 1.0 / 3.0);
}

void TestReadingRule::arbitraryBytesNeverCrash()
{
    QRandomGenerator rng(20261206);
    for (int round = 0; round < 20000; ++round) {
        std::string text(size_t(rng.bounded(40)), '\0');
        for (char &c : text) {
            static const char alphabet[] = "0123456789.+-eEdD&HhOo ,\t\n\r\x80\xff";
            c = rng.bounded(4) == 0 ? char(rng.bounded(256))
                                    : alphabet[rng.bounded(int(sizeof alphabet) - 1)];
        }
        const double value = readNumber(text);
        QVERIFY2(!std::isnan(value), text.c_str());
    }
}

QTEST_APPLESS_MAIN(TestReadingRule)
#include "tst_reading_rule.moc"
