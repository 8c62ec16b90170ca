// The link's pure rules: port text to device, failure texts, greeting and reading texts, the
// date stamp, and the bounded receive buffer.
#include "link_rules.h"
#include "rx_tail.h"

#include <QtTest>

using estrivo::OpenFailure;
using estrivo::PortPlatform;
using estrivo::RxTail;

class TestLinkRules : public QObject
{
    Q_OBJECT

private slots:
    void portDevice_data();
    void portDevice();
    void openFailureDetail();
    void readingValue_data();
    void readingValue();
    void generalDate_data();
    void generalDate();
    void rxTailFindsMarkerAcrossReads_data();
    void rxTailFindsMarkerAcrossReads();
};

void TestLinkRules::portDevice_data()
{
    QTest::addColumn<bool>("windows");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("device");      // empty: refused
    QTest::addColumn<QString>("problemPart"); // of the reason given when refused

    QTest::newRow("1 is the first port") << false << "1" << "/dev/ttyS0" << "";
    QTest::newRow("blanks around") << false << " \t2 " << "/dev/ttyS1" << "";
    QTest::newRow("half to even down") << false << "2.5" << "/dev/ttyS1" << "";
    QTest::newRow("half to even up") << false << "3.5" << "/dev/ttyS3" << "";
    QTest::newRow("half rounds to zero") << false << "0.5" << "" << "no port 0";
    QTest::newRow("largest 16-bit") << false << "32767" << "/dev/ttyS32766" << "";
    QTest::newRow("rounds beyond 16 bits") << false << "32767.5" << "" << "out of range";
    QTest::newRow("huge exponent") << false << "1e400" << "" << "out of range";
    QTest::newRow("negative") << false << "-2" << "" << "no port -2";
    QTest::newRow("blanks only") << false << "   " << "" << "No port";
    QTest::newRow("letters") << false << "abc" << "" << "/dev/ttyUSB0";
    QTest::newRow("digit then letters") << false << "1a" << "" << "neither";
    QTest::newRow("device path") << false << " /dev/pts/7 " << "/dev/pts/7" << "";
    QTest::newRow("COM name on Linux") << false << "COM7" << "" << "neither";
    QTest::newRow("windows 12") << true << "12" << "COM12" << "";
    QTest::newRow("windows lower-case com") << true << "com3" << "COM3" << "";
    QTest::newRow("windows device namespace") << true << "\\\\.\\COM10" << "\\\\.\\COM10" << "";
    QTest::newRow("windows path is no port") << true << "/dev/ttyS0" << "" << "Device Manager";
}

void TestLinkRules::portDevice()
{
    QFETCH(bool, windows);
    QFETCH(QString, text);
    QFETCH(QString, device);
    QFETCH(QString, problemPart);

    const estrivo::PortChoice choice =
        estrivo::portDeviceForText(text, windows ? PortPlatform::Windows : PortPlatform::Posix);
    QCOMPARE(choice.device, device);
    QCOMPARE(choice.problem.isEmpty(), problemPart.isEmpty());
    QVERIFY2(choice.problem.contains(problemPart), qPrintable(choice.problem));
}

void TestLinkRules::openFailureDetail()
{
    // The other failures are met for real over a pseudo-terminal (tst_link_pty).
    const auto detail = [](OpenFailure failure, PortPlatform platform) {
        return estrivo::openFailureDetail(failure, QStringLiteral("COM9"), QString(), platform);
    };
    QVERIFY(detail(OpenFailure::PermissionDenied, PortPlatform::Posix).contains("dialout"));
    QVERIFY(detail(OpenFailure::NoHardware, PortPlatform::Posix).contains("/dev/ttyUSB0"));
    QVERIFY(detail(OpenFailure::NoSuchDevice, PortPlatform::Windows).contains("Device Manager"));
}

void TestLinkRules::readingValue_data()
{
    QTest::addColumn<QByteArray>("between"); // after "OK", up to "Done"
    QTest::addColumn<QString>("value");

    QTest::newRow("worked example") << QByteArray("\r123.4\r") << "123.4";
    QTest::newRow("no line ends") << QByteArray("123.4") << "123.4";
    QTest::newRow("LF") << QByteArray("\n123.4\n") << "123.4";
    QTest::newRow("blanks and tabs") << QByteArray("\r \t 98.6  \r") << "98.6";
    QTest::newRow("blank inside kept") << QByteArray("\r12 mio\r") << "12 mio";
    QTest::newRow("last non-blank line") << QByteArray("\rwarming\r101.5\r \r\n") << "101.5";
    QTest::newRow("value at the start") << QByteArray("5\r\r\r") << "5";
    QTest::newRow("blanks only") << QByteArray(" \r\t\n ") << "";
    QTest::newRow("nothing") << QByteArray() << "";
}

void TestLinkRules::readingValue()
{
    QFETCH(QByteArray, between);
    QFETCH(QString, value);
    QCOMPARE(estrivo::readingValue(between), value);
}

void TestLinkRules::generalDate_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");

    QTest::newRow("C") << QLocale::c() << "2 Nov 2024 08:00:09";
    QTest::newRow("US") << QLocale(QLocale::English, QLocale::UnitedStates)
                        << "11/2/24 8:00:09 AM";
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << "02.11.24 08:00:09";
}

void TestLinkRules::generalDate()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    const QDateTime moment(QDate(2024, 11, 2), QTime(8, 0, 9));
    QCOMPARE(estrivo::generalDateText(moment, locale), text);
}

void TestLinkRules::rxTailFindsMarkerAcrossReads_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<int>("foundOnRead"); // 0: never

    using Reads = QList<QByteArray>;
    const QByteArray flood(RxTail::kLimitBytes - 2, 'x');
    QTest::newRow("one letter a read") << Reads{"D", "o", "n", "e"} << 4;
    QTest::newRow("wrong case") << Reads{"done", "DONE"} << 0;
    QTest::newRow("split across the trim") << Reads{flood, "xDo", "ne"} << 3;
    QTest::newRow("split after a flood read") << Reads{flood + flood + "Do", "ne"} << 2;
    QTest::newRow("flood keeps the newest")
        << Reads(1000, flood.left(999)) + Reads{"Done"} << 1001;
}

void TestLinkRules::rxTailFindsMarkerAcrossReads()
{
    QFETCH(QList<QByteArray>, reads);
    QFETCH(int, foundOnRead);

    RxTail tail;
    int found = 0;
    for (int i = 0; i < reads.size() && found == 0; ++i) {
        const qsizetype at = tail.appendAndFind(reads.at(i), "Done");
        if (at < 0) {
            // Only the tail stays, and the memory held shrinks to match after a huge read.
            QCOMPARE_LE(tail.text().size(), RxTail::kLimitBytes);
            QCOMPARE_LE(tail.text().capacity(), 2 * RxTail::kLimitBytes);
        } else {
            found = i + 1;
            QCOMPARE(tail.text().mid(at), QByteArray("Done"));
        }
    }
    QCOMPARE(found, foundOnRead);
}

QTEST_GUILESS_MAIN(TestLinkRules)
#include "tst_link_rules.moc"
