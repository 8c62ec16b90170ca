// The guidance beside the sheet, checked against what Calculate wrote into a plain sheet.
#include "extension_calc.h"
#include "guidance.h"

#include <QtTest>

using estrivo::DoseLimit;
using estrivo::Field;
using estrivo::readNumber;
using estrivo::writeNumber;

namespace {

Field fieldNamed(QStringView name)
{
    for (Field field : estrivo::kAllFields) {
        if (QLatin1StringView(estrivo::fieldName(field)) == name)
            return field;
    }
    qFatal("no field %s", qPrintable(name.toString()));
}

QString nameOf(Field field)
{
    return QLatin1StringView(estrivo::fieldName(field));
}

QString text(const estrivo::SheetFields &sheet, Field field)
{
    return QString::fromStdString(sheet.text(field));
}

double number(const estrivo::SheetFields &sheet, Field field)
{
    return readNumber(sheet.text(field));
}

QString written(double value)
{
    return QString::fromStdString(writeNumber(value));
}

QString limitName(const estrivo::SheetGuidance &guidance)
{
    switch (guidance.limit) {
    case DoseLimit::None:
        return QStringLiteral("none");
    case DoseLimit::MinExtensionRatio:
        return guidance.limitsTie ? QStringLiteral("tie") : QStringLiteral("ratio");
    case DoseLimit::MaxExtendedConcentration:
        return QStringLiteral("cap");
    }
    return {};
}

QString kindMark(estrivo::WarningKind kind)
{
    switch (kind) {
    case estrivo::WarningKind::LowConcentration:
        return QStringLiteral("<80");
    case estrivo::WarningKind::LowExtensionRatio:
        return QStringLiteral("<3");
    case estrivo::WarningKind::LargeDoseVolume:
        return QStringLiteral(">60");
    case estrivo::WarningKind::MotilityAbove100:
        return QStringLiteral(">100");
    case estrivo::WarningKind::Negative:
        return QStringLiteral("<0");
    }
    return {};
}

} // namespace

class TestGuidance : public QObject
{
    Q_OBJECT

private slots:
    void explanation_data()
    {
        // stages: "Field=text|..." typed, then Calculate, once per ";"-separated stage.
        // limit: ratio, tie, cap or none. warned: field and threshold of each warning, in order.
        // tips: "Field=tooltip" for the fields the row is about.
        QTest::addColumn<QString>("stages");
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QString>("warned");
        QTest::addColumn<QStringList>("tips");
        const auto row = [](const char *name, const char *stages, const char *limit,
                            const char *warned, QStringList tips = {}) {
            QTest::newRow(name) << QString::fromUtf8(stages) << QString::fromUtf8(limit)
                                << QString::fromUtf8(warned) << tips;
        };
        const QString startUpCap = QStringLiteral(
            "16.6666666666667\nSet by the maximum extended concentration of 30 M/ml");
        const QString staleSemen = QStringLiteral("Not recomputed: concentration or motility is "
                                                  "0; this value comes from earlier inputs");
        const QString fromStale = QStringLiteral("Computed from a semen volume that was not "
                                                 "recomputed: concentration or motility is 0");
        const QString cleared
            = QStringLiteral("Cleared: the %1 volume is too large for the arithmetic");

        row("start-up as built", "", "cap", "",
            {"SemenVol=", "ExtVol=" + startUpCap, "VPD=" + startUpCap, "NumDoses="});
        row("start-up, Con emptied", "Con=", "cap", "",
            {"SemenVol=", "ExtVol=" + startUpCap, "VPD=" + startUpCap, "NumDoses="});
        row("start-up with Con 150, GFV 60", "Con=150|GFV=60", "ratio", "",
            {"SemenVol=6.66666666666667\nSet by the total dose of 500 M at 150 M/ml and "
             "50 % motility",
             "ExtVol=33.3333333333333\nSet by the minimum extension ratio of 5:1",
             "VPD=40\nSet by the minimum extension ratio of 5:1",
             "NumDoses=8\nWhole doses of 6.66666666666667 ml of semen in the gel-free volume "
             "of 60 ml\nSemen left over: 6.66666666666664 ml\nMotile sperm in the collection: "
             "4500 M of 9000 M"});
        row("units, blanks and hex read as the fields do", "Con=&H96|GFV= 60 ml|Motility=50%",
            "ratio", "",
            {"SemenVol=6.66666666666667\nSet by the total dose of 500 M at 150 M/ml and "
             "50 % motility"});
        row("capped by the maximum concentration", "Con=300|GFV=40|Motility=80|MinExt=1|MaxCon=50",
            "cap", "MinExt<3",
            {"ExtVol=7.91666666666667\nSet by the maximum extended concentration of 50 M/ml",
             "VPD=10\nSet by the maximum extended concentration of 50 M/ml",
             "NumDoses=19\nWhole doses of 2.08333333333333 ml of semen in the gel-free volume "
             "of 40 ml\nSemen left over: 0.41666666666673 ml\nMotile sperm in the collection: "
             "9600 M of 12000 M",
             "MinExt=Extension ratio below 3:1: cooled semen needs at least that much extender "
             "per ml of semen"});
        row("tie: the ratio stands", "Con=100|GFV=60|Motility=100|MinExt=3|MaxCon=25", "tie", "",
            {"ExtVol=15\nSet by the minimum extension ratio of 3:1; the maximum extended "
             "concentration of 25 M/ml gives the same volume",
             "NumDoses=12\nWhole doses of 5 ml of semen in the gel-free volume of 60 ml\n"
             "Semen left over: 0 ml\nMotile sperm in the collection: 6000 M of 6000 M",
             "MinExt="});
        row("a hair below the tie: capped",
            "Con=100|GFV=60|Motility=100|MinExt=3|MaxCon=24.999999999999", "cap", "",
            {"ExtVol=15.0000000000008\nSet by the maximum extended concentration of "
             "24.999999999999 M/ml"});
        row("a hair above the tie: ratio",
            "Con=100|GFV=60|Motility=100|MinExt=3|MaxCon=25.000000000001", "ratio", "",
            {"ExtVol=15\nSet by the minimum extension ratio of 3:1"});
        row("MaxCon 0: no cap, no tie", "Con=100|GFV=60|Motility=100|MaxCon=0", "ratio", "",
            {"VPD=30\nSet by the minimum extension ratio of 5:1"});
        row("motility 0 keeps the semen volume", "Con=150|GFV=60;Motility=0", "ratio", "",
            {"SemenVol=6.66666666666667\n" + staleSemen,
             "ExtVol=33.3333333333333\nSet by the minimum extension ratio of 5:1\n" + fromStale,
             "VPD=40\nSet by the minimum extension ratio of 5:1\n" + fromStale,
             "NumDoses=8\nWhole doses of 6.66666666666667 ml of semen in the gel-free volume "
             "of 60 ml\nSemen left over: 6.66666666666664 ml\n"
                 + fromStale + "\nMotile sperm in the collection: 0 M of 9000 M"});
        row("concentration emptied keeps the semen volume",
            "Con=150|GFV=60|Motility=100;Con=", "ratio", "",
            {"SemenVol=3.33333333333333\n" + staleSemen,
             "NumDoses=18\nWhole doses of 3.33333333333333 ml of semen in the gel-free volume "
             "of 60 ml\nSemen left over: 6E-14 ml\n"
                 + fromStale});
        row("concentration 0 at start-up: nothing kept", "Con=0", "cap", "",
            {"SemenVol=", "NumDoses=", "Con="});
        row("dose 0 keeps the number of doses", "Con=150|GFV=60;TotalDose=0", "tie", "",
            {"SemenVol=0\nSet by the total dose of 0 M at 150 M/ml and 50 % motility",
             "NumDoses=8\nNot recomputed: the semen volume is 0 or less; this value comes from "
             "earlier inputs\nMotile sperm in the collection: 4500 M of 9000 M"});
        row("semen volume overflows", "Con=150|GFV=60;Con=1E-10|TotalDose=1E300", "none", "Con<80",
            {"SemenVol=Overflow\nToo large for the arithmetic; the results after it are cleared",
             "ExtVol=" + cleared.arg(u"semen"), "VPD=" + cleared.arg(u"semen"),
             "NumDoses=" + cleared.arg(u"semen")});
        row("a kept Overflow is a kept value",
            "Con=1E-10|GFV=60|TotalDose=1E300;Motility=0|MaxCon=0", "ratio", "Con<80",
            {"SemenVol=Overflow\n" + staleSemen});
        row("extender overflows from a kept semen volume",
            "SemenVol=1E300|Motility=0|MinExt=1E10|MaxCon=0", "none", "",
            {"SemenVol=1E300\n" + staleSemen,
             "ExtVol=Overflow\nToo large for the arithmetic; the results after it are cleared\n"
                 + fromStale,
             "VPD=" + cleared.arg(u"extender"), "NumDoses=" + cleared.arg(u"extender")});
        row("number of doses overflows", "Con=1E300|GFV=1E300|MaxCon=0", "ratio", "",
            {"VPD=6E-297\nSet by the minimum extension ratio of 5:1",
             "NumDoses=Overflow\nToo large for the arithmetic"});
        row("concentration just below 80", "Con=79.9999|GFV=60|Motility=100", "ratio", "Con<80",
            {"Con=Concentration below 80 M/ml: consider centrifugation before extending"});
        row("concentration 80", "Con=80|GFV=60|Motility=100", "ratio", "", {"Con="});
        row("ratio just below 3", "Con=150|MinExt=2.9999", "ratio", "MinExt<3");
        row("ratio 0", "MinExt=0", "cap", "MinExt<3");
        row("dose volume 60", "TotalDose=600|MaxCon=10", "cap", "",
            {"VPD=60\nSet by the maximum extended concentration of 10 M/ml"});
        row("dose volume just above 60", "TotalDose=600.0000001|MaxCon=10", "cap", "VPD>60",
            {"VPD=60.00000001\nSet by the maximum extended concentration of 10 M/ml\n"
             "Dose volume above 60 ml: a larger insemination volume brings no benefit"});
        row("motility 100", "Con=150|GFV=60|Motility=100", "ratio", "", {"Motility="});
        row("motility just above 100", "Con=150|GFV=60|Motility=100.01", "ratio", "Motility>100",
            {"Motility=Motility above 100 %: check the value"});
        row("every input negative",
            "Con=-150|GFV=-1|Motility=-50|TotalDose=-500|MinExt=-5|MaxCon=-30|Date=-1|Text1=-2",
            "ratio", "Con<0 GFV<0 Motility<0 TotalDose<0 MinExt<0 MaxCon<0",
            {"Con=Negative value: check the entry", "MinExt=Negative value: check the entry"});
        row("negative zero and zero", "Con=-0|GFV=0|Motility=-0|TotalDose=0|MaxCon=0", "ratio",
            "");
        row("no number anywhere",
            "Con=abc|GFV=|Motility=--|TotalDose=---.-|MinExt=ml|MaxCon=", "ratio", "",
            {"SemenVol=", "NumDoses=", "MinExt="});
        row("minimum ratio emptied", "Con=150|GFV=60|MinExt=", "cap", "");
    }

    void explanation()
    {
        QFETCH(QString, stages);
        QFETCH(QString, limit);
        QFETCH(QString, warned);
        QFETCH(QStringList, tips);

        estrivo::SampleSheet sheet;
        for (const QString &stage : stages.split(u';')) {
            for (const QString &typed : stage.split(u'|', Qt::SkipEmptyParts)) {
                const qsizetype eq = typed.indexOf(u'=');
                sheet.setText(fieldNamed(QStringView(typed).left(eq)),
                              typed.mid(eq + 1).toStdString());
            }
            estrivo::Calculate(sheet);
        }
        const estrivo::SampleSheet calculated = sheet;
        const estrivo::SheetGuidance guidance = estrivo::explainSheet(sheet);

        for (Field field : estrivo::kAllFields) {
            // It never changes a field, and it explains the texts Calculate left.
            QCOMPARE(text(sheet, field), text(calculated, field));
            QCOMPARE(QString::fromStdString(guidance.texts[std::size_t(field)]),
                     text(sheet, field));
        }

        QCOMPARE(limitName(guidance), limit);
        // The claimed limit is the arithmetic that produced the extender volume on the sheet.
        const double semen = number(sheet, Field::SemenVol);
        const double least = number(sheet, Field::TotalDose) / number(sheet, Field::MaxCon);
        if (limit == u"cap")
            QCOMPARE(text(sheet, Field::ExtVol), written(least - semen));
        if (limit == u"ratio" || limit == u"tie")
            QCOMPARE(text(sheet, Field::ExtVol), written(semen * number(sheet, Field::MinExt)));
        if (limit == u"tie")
            QCOMPARE(written(least), written(semen + number(sheet, Field::ExtVol)));
        if (limit == u"none")
            QVERIFY(text(sheet, Field::SemenVol) == u"Overflow"
                    || text(sheet, Field::ExtVol) == u"Overflow");

        QStringList marks;
        for (const estrivo::SheetWarning &warning : guidance.warnings) {
            marks.append(nameOf(warning.field) + kindMark(warning.kind));
            // A warning stands on its own field's tooltip.
            const QString tip = QString::fromStdString(toolTipFor(guidance, warning.field));
            QVERIFY2(tip.split(u'\n').contains(QString::fromStdString(warning.text)),
                     qPrintable(tip));
        }
        QCOMPARE(marks.join(u' '), warned);

        // A result box's tooltip opens with its full text whenever it holds a value.
        for (Field field : {Field::SemenVol, Field::ExtVol, Field::VPD, Field::NumDoses}) {
            const QString shown = text(sheet, field);
            const QString tip = QString::fromStdString(toolTipFor(guidance, field));
            if (shown != QLatin1StringView(estrivo::initialText(field)))
                QCOMPARE(tip.section(u'\n', 0, 0), shown);
        }
        for (Field field : {Field::Date, Field::Text1})
            QCOMPARE(QString::fromStdString(toolTipFor(guidance, field)), QString());

        for (const QString &tip : tips) {
            const qsizetype eq = tip.indexOf(u'=');
            const Field field = fieldNamed(QStringView(tip).left(eq));
            QCOMPARE(QString::fromStdString(toolTipFor(guidance, field)), tip.mid(eq + 1));
        }
    }
};

QTEST_APPLESS_MAIN(TestGuidance)
#include "tst_guidance.moc"
