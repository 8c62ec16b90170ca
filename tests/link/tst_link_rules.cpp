// The link's pure rules: port text to device, failure texts, greeting and reading texts, the
// date stamp, and the bounded receive buffer.
#include "link_rules.h"
#include "rx_tail.h"

#include <QtTest>

using estrivo::OpenFailure;
using estrivo::PortPlatform;
using estrivo::RxTail;

Q_DECLARE_METATYPE(PortPlatform)
Q_DECLARE_METATYPE(OpenFailure)

class TestLinkRules : public QObject
{
    Q_OBJECT

private slots:
    void portDevice_data();
    void portDevice();
    void openFailureDetail_data();
    void openFailureDetail();
    void greetingLogText_data();
    void greetingLogText();
    void readingValue_data();
    void readingValue();
    void generalDate_data();
    void generalDate();
    void rxTailFindsMarkerAcrossReads_data();
    void rxTailFindsMarkerAcrossReads();
    void rxTailStaysBounded();
};

void TestLinkRules::portDevice_data()
{
    QTest::addColumn<PortPlatform>("platform");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("device");       // empty: refused
    QTest::addColumn<QString>("problemPart");  // part of the reason given when refused

    const auto posix = PortPlatform::Posix;
    const auto windows = PortPlatform::Windows;
    QTest::newRow("1 is the first port") << posix << "1" << "/dev/ttyS0" << "";
    QTest::newRow("4") << posix << "4" << "/dev/ttyS3" << "";
    QTest::newRow("5 beyond the menu") << posix << "5" << "/dev/ttyS4" << "";
    QTest::newRow("blanks around") << posix << " 2 " << "/dev/ttyS1" << "";
    QTest::newRow("tab before") << posix << "\t3" << "/dev/ttyS2" << "";
    QTest::newRow("leading zero") << posix << "02" << "/dev/ttyS1" << "";
    QTest::newRow("plus sign") << posix << "+3" << "/dev/ttyS2" << "";
    QTest::newRow("point after") << posix << "3." << "/dev/ttyS2" << "";
    QTest::newRow("fraction down") << posix << "2.4" << "/dev/ttyS1" << "";
    QTest::newRow("fraction up") << posix << "2.6" << "/dev/ttyS2" << "";
    QTest::newRow("half to even down") << posix << "2.5" << "/dev/ttyS1" << "";
    QTest::newRow("half to even up") << posix << "3.5" << "/dev/ttyS3" << "";
    QTest::newRow("half rounds to zero") << posix << "0.5" << "" << "no port 0";
    QTest::newRow("one and a half") << posix << "1.5" << "/dev/ttyS1" << "";
    QTest::newRow("exponent") << posix << "1e1" << "/dev/ttyS9" << "";
    QTest::newRow("largest 16-bit") << posix << "32767" << "/dev/ttyS32766" << "";
    QTest::newRow("rounds beyond 16 bits") << posix << "32767.5" << "" << "out of range";
    QTest::newRow("beyond 16 bits") << posix << "32768" << "" << "out of range";
    QTest::newRow("huge exponent") << posix << "1e400" << "" << "out of range";
    QTest::newRow("zero") << posix << "0" << "" << "no port 0";
    QTest::newRow("negative") << posix << "-2" << "" << "no port -2";
    QTest::newRow("lowest 16-bit") << posix << "-32768" << "" << "no port -32768";
    QTest::newRow("below 16 bits") << posix << "-32769" << "" << "out of range";
    QTest::newRow("empty") << posix << "" << "" << "No port";
    QTest::newRow("blanks only") << posix << "   " << "" << "No port";
    QTest::newRow("letters") << posix << "abc" << "" << "/dev/ttyUSB0";
    QTest::newRow("blank inside number") << posix << "1 2" << "" << "neither";
    QTest::newRow("digit then letters") << posix << "1a" << "" << "neither";
    QTest::newRow("hexadecimal") << posix << "0x10" << "" << "neither";
    QTest::newRow("infinity") << posix << "inf" << "" << "neither";
    QTest::newRow("device path") << posix << "/dev/ttyUSB0" << "/dev/ttyUSB0" << "";
    QTest::newRow("pseudo-terminal") << posix << " /dev/pts/7 " << "/dev/pts/7" << "";
    QTest::newRow("COM name on Linux") << posix << "COM7" << "" << "neither";
    QTest::newRow("windows 1") << windows << "1" << "COM1" << "";
    QTest::newRow("windows 12") << windows << "12" << "COM12" << "";
    QTest::newRow("windows half to even") << windows << "4.5" << "COM4" << "";
    QTest::newRow("windows COM name") << windows << "COM7" << "COM7" << "";
    QTest::newRow("windows lower-case com") << windows << "com3" << "COM3" << "";
    QTest::newRow("windows device namespace") << windows << "\\\\.\\COM10" << "\\\\.\\COM10" << "";
    QTest::newRow("windows path is no port") << windows << "/dev/ttyS0" << "" << "Device Manager";
    QTest::newRow("windows zero") << windows << "0" << "" << "no port 0";
}

void TestLinkRules::portDevice()
{
    QFETCH(PortPlatform, platform);
    QFETCH(QString, text);
    QFETCH(QString, device);
    QFETCH(QString, problemPart);

    const estrivo::PortChoice choice = estrivo::portDeviceForText(text, platform);
    QCOMPARE(choice.device, device);
    QCOMPARE(choice.problem.isEmpty(), device.size() > 0);
    QVERIFY2(choice.problem.contains(problemPart), qPrintable(choice.problem));
}

void TestLinkRules::openFailureDetail_data()
{
    QTest::addColumn<OpenFailure>("failure");
    QTest::addColumn<PortPlatform>("platform");
    QTest::addColumn<QStringList>("parts");

    QTest::newRow("no such device") << OpenFailure::NoSuchDevice << PortPlatform::Posix
                                    << QStringList{"/dev/ttyS4: no such device", "/dev/ttyUSB0"};
    QTest::newRow("permission") << OpenFailure::PermissionDenied << PortPlatform::Posix
                                << QStringList{"/dev/ttyS4: permission denied", "dialout"};
    QTest::newRow("in use") << OpenFailure::InUse << PortPlatform::Posix
                            << QStringList{"/dev/ttyS4 is in use", "Close that program"};
    QTest::newRow("no hardware") << OpenFailure::NoHardware << PortPlatform::Posix
                                 << QStringList{"/dev/ttyS4: no serial hardware", "/dev/ttyUSB0"};
    QTest::newRow("other keeps the port's words")
        << OpenFailure::Other << PortPlatform::Posix
        << QStringList{"/dev/ttyS4: Inappropriate ioctl for device"};
    QTest::newRow("windows no such port") << OpenFailure::NoSuchDevice << PortPlatform::Windows
                                          << QStringList{"no such device", "Device Manager"};
}

void TestLinkRules::openFailureDetail()
{
    QFETCH(OpenFailure, failure);
    QFETCH(PortPlatform, platform);
    QFETCH(QStringList, parts);

    const QString device =
        platform == PortPlatform::Windows ? QStringLiteral("COM9") : QStringLiteral("/dev/ttyS4");
    const QString text = estrivo::openFailureDetail(
        failure, device, QStringLiteral("Inappropriate ioctl for device"), platform);
    for (const QString &part : parts)
        QVERIFY2(text.contains(part), qPrintable(text));
    if (platform == PortPlatform::Posix)
        QCOMPARE(text.contains(QStringLiteral("dialout")),
                 failure == OpenFailure::PermissionDenied);
}

void TestLinkRules::greetingLogText_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QByteArray>("logged");

    QTest::newRow("OK and CR") << QByteArray("OK\r") << QByteArray("OK\r\n");
    QTest::newRow("CR LF kept") << QByteArray("A\r\nOK\r\n") << QByteArray("A\r\nOK\r\n");
    QTest::newRow("lone LF dropped") << QByteArray("A\nB\nOK") << QByteArray("ABOK");
    QTest::newRow("lone CR gains LF") << QByteArray("A\rB\rOK") << QByteArray("A\r\nB\r\nOK");
    QTest::newRow("CR CR") << QByteArray("\r\rOK") << QByteArray("\r\n\r\nOK");
    QTest::newRow("LF CR") << QByteArray("\n\rOK") << QByteArray("\r\nOK");
    QTest::newRow("LF LF CR LF") << QByteArray("A\n\n\r\nB") << QByteArray("A\r\nB");
    QTest::newRow("nothing to convert") << QByteArray("OK") << QByteArray("OK");
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestLinkRules::greetingLogText()
{
    QFETCH(QByteArray, received);
    QFETCH(QByteArray, logged);
    QCOMPARE(estrivo::greetingLogText(received), logged);
}

void TestLinkRules::readingValue_data()
{
    QTest::addColumn<QByteArray>("between"); // after "OK", up to "Done"
    QTest::addColumn<QString>("value");

    QTest::newRow("worked example") << QByteArray("\r123.4\r") << "123.4";
    QTest::newRow("CR taken with OK") << QByteArray("123.4\r") << "123.4";
    QTest::newRow("no line ends") << QByteArray("123.4") << "123.4";
    QTest::newRow("LF") << QByteArray("\n123.4\n") << "123.4";
    QTest::newRow("CR LF") << QByteArray("\r\n123.4\r\n") << "123.4";
    QTest::newRow("blanks and tabs") << QByteArray("\r \t 98.6  \r") << "98.6";
    QTest::newRow("blank inside kept") << QByteArray("\r12 mio\r") << "12 mio";
    QTest::newRow("last non-blank line") << QByteArray("\rwarming\r101.5\r \r") << "101.5";
    QTest::newRow("six-character reading") << QByteArray("\r\r") << "";
    QTest::newRow("nothing") << QByteArray() << "";
    QTest::newRow("blanks only") << QByteArray(" \r\t\n ") << "";
    QTest::newRow("one character") << QByteArray("7") << "7";
    QTest::newRow("value at the start") << QByteArray("5\r\r\r") << "5";
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
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("text");

    const QDateTime afternoon(QDate(2024, 3, 14), QTime(13, 5, 9));
    const QDateTime morning(QDate(2024, 11, 2), QTime(8, 0, 0));
    QTest::newRow("C afternoon") << QLocale::c() << afternoon << "14 Mar 2024 13:05:09";
    QTest::newRow("US afternoon") << QLocale(QLocale::English, QLocale::UnitedStates)
                                  << afternoon << "3/14/24 1:05:09 PM";
    QTest::newRow("US morning") << QLocale(QLocale::English, QLocale::UnitedStates) << morning
                                << "11/2/24 8:00:00 AM";
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << afternoon
                            << "14.03.24 13:05:09";
    QTest::newRow("British") << QLocale(QLocale::English, QLocale::UnitedKingdom) << morning
                             << "02/11/2024 08:00:00";
}

void TestLinkRules::generalDate()
{
    QFETCH(QLocale, locale);
    QFETCH(QDateTime, moment);
    QFETCH(QString, text);
    QCOMPARE(estrivo::generalDateText(moment, locale), text);
}

void TestLinkRules::rxTailFindsMarkerAcrossReads_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<int>("foundOnRead"); // 0: never

    using Reads = QList<QByteArray>;
    const QByteArray flood(RxTail::kLimitBytes - 2, 'x');
    QTest::newRow("whole") << Reads{"xxDonexx"} << 1;
    QTest::newRow("split 1+3") << Reads{"xD", "onex"} << 2;
    QTest::newRow("split 3+1") << Reads{"Don", "e"} << 2;
    QTest::newRow("one letter a read") << Reads{"D", "o", "n", "e"} << 4;
    QTest::newRow("wrong case") << Reads{"done", "DONE"} << 0;
    QTest::newRow("split across the trim") << Reads{flood, "xDo", "ne"} << 3;
    QTest::newRow("split after a flood read") << Reads{flood + flood + "Do", "ne"} << 2;
}

void TestLinkRules::rxTailFindsMarkerAcrossReads()
{
    QFETCH(QList<QByteArray>, reads);
    QFETCH(int, foundOnRead);

    RxTail tail;
    int found = 0;
    for (int i = 0; i < reads.size() && found == 0; ++i) {
        const qsizetype at = tail.appendAndFind(reads.at(i), "Done");
        if (at >= 0) {
            found = i + 1;
            QCOMPARE(tail.text().mid(at, 4), QByteArray("Done"));
        }
    }
    QCOMPARE(found, foundOnRead);
}

void TestLinkRules::rxTailStaysBounded()
{
    RxTail tail;
    QByteArray last;
    for (int i = 0; i < 1000; ++i) {
        last = QByteArray::number(i).rightJustified(1000, '.');
        QCOMPARE(tail.appendAndFind(last, "OK"), -1);
        QCOMPARE_LE(tail.text().size(), RxTail::kLimitBytes);
        QCOMPARE_LE(tail.text().capacity(), 2 * RxTail::kLimitBytes);
    }
    // The newest text is what stays.
    QCOMPARE(tail.text().size(), RxTail::kLimitBytes);
    QCOMPARE(tail.text().endsWith(last), true);
    tail.reset("abc");
    QCOMPARE(tail.text(), QByteArray("abc"));
    QCOMPARE(tail.appendAndFind("OK", "OK"), 3);
}

QTEST_GUILESS_MAIN(TestLinkRules)
#include "tst_link_rules.moc"
