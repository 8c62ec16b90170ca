// Calculate over a plain sheet: the doses a technician would prepare from given inputs.
#include "extension_calc.h"

#include <QtTest>

using estrivo::Field;
using estrivo::SampleSheet;

namespace {

QString textOf(const SampleSheet &sheet, Field field)
{
    return QString::fromStdString(sheet.text(field));
}

// Counts the writes, to show which fields a calculation touches.
class RecordingSheet final : public estrivo::SheetFields
{
public:
    std::string text(Field field) const override { return m_sheet.text(field); }
    void setText(Field field, std::string_view text) override
    {
        written.append(QString::fromStdString(std::string(estrivo::fieldName(field))));
        m_sheet.setText(field, text);
    }
    QStringList written;

private:
    SampleSheet m_sheet;
};

} // namespace

class TestExtensionCalc : public QObject
{
    Q_OBJECT

private slots:
    void initialTexts();
    void sheets_data();
    void sheets();
    void calculateOnlyWritesResults();
    void repeatedCalculationIsStable();
};

void TestExtensionCalc::initialTexts()
{
    const SampleSheet sheet;
    const QStringList expected{"---.-", "---.-", "50", "500", "5", "30",
                               "--.-", "--.-", "--.-", "--", "", ""};
    for (Field field : estrivo::kAllFields)
        QCOMPARE(textOf(sheet, field), expected.at(int(field)));
    QVERIFY(estrivo::isInputField(Field::MaxCon));
    QVERIFY(!estrivo::isInputField(Field::SemenVol));
    QVERIFY(!estrivo::isInputField(Field::Date));
}

void TestExtensionCalc::sheets_data()
{
    // Inputs as typed; "=" keeps the field's initial text. A result column may also be preset
    // (a stale result or one the operator typed) through the *In columns.
    QTest::addColumn<QString>("con");
    QTest::addColumn<QString>("gfv");
    QTest::addColumn<QString>("motility");
    QTest::addColumn<QString>("totalDose");
    QTest::addColumn<QString>("minExt");
    QTest::addColumn<QString>("maxCon");
    QTest::addColumn<QString>("semenVolIn");
    QTest::addColumn<QString>("semenVol");
    QTest::addColumn<QString>("extVol");
    QTest::addColumn<QString>("vpd");
    QTest::addColumn<QString>("numDoses");

    QTest::newRow("start-up, Con emptied")
        << "" << "=" << "=" << "=" << "=" << "=" << "="
        << "--.-" << "16.6666666666667" << "16.6666666666667" << "--";
    QTest::newRow("Con 150, GFV 60: 8 doses from the rounded volume, not 9")
        << "150" << "60" << "=" << "=" << "=" << "=" << "="
        << "6.66666666666667" << "33.3333333333333" << "40" << "8";
    QTest::newRow("capped to the maximum concentration")
        << "300" << "40" << "80" << "500" << "1" << "50" << "="
        << "2.08333333333333" << "7.91666666666667" << "10" << "19";
    QTest::newRow("MaxCon 0: no cap")
        << "150" << "60" << "=" << "=" << "1" << "0" << "="
        << "6.66666666666667" << "6.66666666666667" << "13.3333333333333" << "8";
    QTest::newRow("least volume equal to dose volume: no cap")
        << "100" << "20" << "100" << "500" << "1" << "50" << "="
        << "5" << "5" << "10" << "4";
    QTest::newRow("least volume just above: capped")
        << "100" << "20" << "100" << "500" << "1" << "49.99" << "="
        << "5" << "5.00200040008002" << "10.00200040008" << "4";
    QTest::newRow("motility 0 keeps a stale SemenVol")
        << "150" << "10" << "0" << "=" << "=" << "=" << "4"
        << "4" << "20" << "24" << "2";
    QTest::newRow("motility empty keeps the placeholder")
        << "150" << "10" << "" << "=" << "=" << "=" << "="
        << "--.-" << "16.6666666666667" << "16.6666666666667" << "--";
    QTest::newRow("negative Con skips the semen volume")
        << "-150" << "60" << "=" << "=" << "=" << "=" << "="
        << "--.-" << "16.6666666666667" << "16.6666666666667" << "--";
    QTest::newRow("negative MinExt gives negative extender")
        << "100" << "20" << "100" << "500" << "-2" << "0" << "="
        << "5" << "-10" << "-5" << "4";
    QTest::newRow("negative GFV rounds doses down")
        << "100" << "-12.5" << "100" << "500" << "1" << "0" << "="
        << "5" << "5" << "10" << "-3";
    QTest::newRow("units typed after the numbers")
        << "150 M/ml" << "60ml" << "50%" << "=" << "=" << "=" << "="
        << "6.66666666666667" << "33.3333333333333" << "40" << "8";
    QTest::newRow("wide intermediate comes back into range")
        << "1E-10" << "=" << "1E20" << "1E300" << "0" << "0" << "="
        << "1E+292" << "0" << "1E+292" << "0";
    QTest::newRow("tiny intermediate comes back into range")
        << "1E100" << "=" << "1E-100" << "1E-300" << "0" << "0" << "="
        << "1E-298" << "0" << "1E-298" << "0";
    QTest::newRow("semen volume overflows")
        << "1E-10" << "60" << "50" << "1E300" << "=" << "=" << "="
        << "Overflow" << "--.-" << "--.-" << "--";
    QTest::newRow("extender overflows, later results cleared")
        << "" << "60" << "0" << "=" << "1E10" << "0" << "1E300"
        << "1E300" << "Overflow" << "--.-" << "--";
    QTest::newRow("dose count overflows alone")
        << "1E300" << "1E300" << "50" << "500" << "=" << "0" << "="
        << "1E-297" << "5E-297" << "6E-297" << "Overflow";
    QTest::newRow("infinite input concentration")
        << "1E400" << "60" << "50" << "500" << "=" << "=" << "="
        << "0" << "16.6666666666667" << "16.6666666666667" << "--";
}

void TestExtensionCalc::sheets()
{
    QFETCH(QString, con);
    QFETCH(QString, gfv);
    QFETCH(QString, motility);
    QFETCH(QString, totalDose);
    QFETCH(QString, minExt);
    QFETCH(QString, maxCon);
    QFETCH(QString, semenVolIn);

    SampleSheet sheet;
    const std::pair<Field, QString> inputs[] = {
        {Field::Con, con},       {Field::GFV, gfv},       {Field::Motility, motility},
        {Field::TotalDose, totalDose}, {Field::MinExt, minExt}, {Field::MaxCon, maxCon},
        {Field::SemenVol, semenVolIn}};
    for (const auto &[field, text] : inputs) {
        if (text != QLatin1String("="))
            sheet.setText(field, text.toStdString());
    }

    estrivo::Calculate(sheet);

    QTEST(textOf(sheet, Field::SemenVol), "semenVol");
    QTEST(textOf(sheet, Field::ExtVol), "extVol");
    QTEST(textOf(sheet, Field::VPD), "vpd");
    QTEST(textOf(sheet, Field::NumDoses), "numDoses");
}

void TestExtensionCalc::calculateOnlyWritesResults()
{
    RecordingSheet sheet;
    sheet.setText(Field::Con, "150");
    sheet.setText(Field::GFV, "60");
    sheet.written.clear();
    estrivo::Calculate(sheet);
    // Inputs, Date and the notes are never written; ExtVol twice only when capped.
    QCOMPARE(sheet.written, QStringList({"SemenVol", "ExtVol", "VPD", "NumDoses"}));

    sheet.setText(Field::MinExt, "1");
    sheet.setText(Field::MaxCon, "10");
    sheet.written.clear();
    estrivo::Calculate(sheet);
    QCOMPARE(sheet.written, QStringList({"SemenVol", "ExtVol", "ExtVol", "VPD", "NumDoses"}));
}

void TestExtensionCalc::repeatedCalculationIsStable()
{
    // The window runs Calculate twice after a reading; the second run must change nothing.
    QRandomGenerator rng(42);
    for (int i = 0; i < 2000; ++i) {
        SampleSheet sheet;
        for (Field field : {Field::Con, Field::GFV, Field::Motility, Field::TotalDose,
                            Field::MinExt, Field::MaxCon}) {
            const double value = rng.bounded(2000.0) - 200.0;
            sheet.setText(field, estrivo::writeNumber(value));
        }
        estrivo::Calculate(sheet);
        const SampleSheet first = sheet;
        estrivo::Calculate(sheet);
        for (Field field : estrivo::kAllFields)
            QCOMPARE(textOf(sheet, field), textOf(first, field));
    }
}

QTEST_APPLESS_MAIN(TestExtensionCalc)
#include "tst_extension_calc.moc"
