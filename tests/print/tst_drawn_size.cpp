// The size at which the window picture goes on the page: fitted to the page width only.
#include "snapshot_print.h"

#include <QtTest>

using estrivo::DrawnSize;
using estrivo::drawnSize;

class TestDrawnSize : public QObject
{
    Q_OBJECT

private slots:
    void fitsPageWidthOnly_data();
    void fitsPageWidthOnly();
};

void TestDrawnSize::fitsPageWidthOnly_data()
{
    QTest::addColumn<double>("page");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("drawnWidth");
    QTest::addColumn<int>("drawnHeight");

    // Windows no wider than the page keep their own size, never enlarged.
    QTest::newRow("narrower, not enlarged") << 11520.0 << 9000.0 << 6000.0 << 9000 << 6000;
    QTest::newRow("as wide as the page") << 10800.0 << 10800.0 << 7200.0 << 10800 << 7200;
    QTest::newRow("own size, half to even below") << 11520.0 << 4830.5 << 7500.5 << 4830 << 7500;
    QTest::newRow("own size, half to even above") << 11520.0 << 4831.5 << 7501.5 << 4832 << 7502;

    // Wider windows are brought down to the page width with their proportions.
    QTest::newRow("wider, scaled") << 10800.0 << 12000.0 << 9000.0 << 10800 << 8100;
    QTest::newRow("height 5062.5 to even") << 10800.0 << 14400.0 << 6750.0 << 10800 << 5062;
    QTest::newRow("height 5065.5 to even") << 10800.0 << 14400.0 << 6754.0 << 10800 << 5066;
    QTest::newRow("height below a half") << 10800.0 << 14400.0 << 6753.0 << 10800 << 5065;
    QTest::newRow("page width half to even") << 10801.5 << 12000.0 << 9000.0 << 10802 << 8101;

    // The height is never compared with the page: a tall window stays tall, on one page.
    QTest::newRow("taller than the page") << 10800.0 << 9000.0 << 30000.0 << 9000 << 30000;
    QTest::newRow("taller once fitted") << 10800.0 << 12000.0 << 40000.0 << 10800 << 36000;

    // A window of no width fits any page, so its height is never divided by it.
    QTest::newRow("empty window") << 10800.0 << 0.0 << 0.0 << 0 << 0;
    QTest::newRow("no page width") << 0.0 << 9000.0 << 6000.0 << 0 << 0;
}

void TestDrawnSize::fitsPageWidthOnly()
{
    QFETCH(double, page);
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(int, drawnWidth);
    QFETCH(int, drawnHeight);

    const DrawnSize drawn = drawnSize(page, width, height);
    QCOMPARE(drawn.width, drawnWidth);
    QCOMPARE(drawn.height, drawnHeight);
}

QTEST_APPLESS_MAIN(TestDrawnSize)
#include "tst_drawn_size.moc"
