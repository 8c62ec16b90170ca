// The legal marking on the dose labels and the code a scanner reads back: labels written as
// PDF, each page rendered by pdftoppm and its QR code read by zbarimg, then parsed as the
// records window's Scan field parses what a keyboard-wedge scanner types; the marking's texts
// read back by pdftotext; an EU label lacking an element refused with nothing written; and
// the dialog reading the station and the stallion from a journal on the service's thread.
#include "dose_code.h"
#include "journal_service.h"
#include "labels.h"
#include "labels_dialog.h"
#include "records_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>

using namespace estrivo;
using namespace recordstest;

Q_DECLARE_METATYPE(std::optional<estrivo::ScannedDose>)
Q_DECLARE_METATYPE(std::optional<estrivo::Stallion>)
Q_DECLARE_METATYPE(estrivo::StationProfile)
Q_DECLARE_METATYPE(estrivo::StationProfile::LabelDate)

namespace {

const QString kApproval = u"DE-EQ-0042"_s;
const QString kUeln = u"276098102345678"_s;
// 7 December 2026, 07:15, as the sheet window writes a reading's time in a form any desktop
// reads back.
const QString kCollected = u"2026-12-07T07:15:00"_s;

StationProfile euStation(StationProfile::LabelDate style = StationProfile::LabelDate::Yymmdd)
{
    StationProfile station;
    station.name = u"Gestüt am See"_s;
    station.approval = kApproval;
    station.marking = StationProfile::Marking::Eu;
    station.labelDate = style;
    return station;
}

Stallion zeus()
{
    Stallion stallion;
    stallion.id = 4;
    stallion.name = u"Zeus"_s;
    stallion.breed = u"Hanoverian"_s;
    stallion.born = QDate(2014, 5, 3);
    stallion.ueln = kUeln;
    return stallion;
}

SheetRecord zeusSheet(qint64 id = 1234)
{
    SheetRecord sheet = generatedSheet(3);
    sheet.id = id;
    sheet.stallion = u"Zeus"_s;
    sheet.text(Field::Date) = kCollected;
    sheet.text(Field::NumDoses) = u"12"_s;
    sheet.savedAt = QDateTime(QDate(2026, 12, 8), QTime(9, 30), Qt::UTC);
    return sheet;
}

QString pageText(const QString &pdf, int page)
{
    const QString number = QString::number(page);
    return QString::fromUtf8(
        toolOutput(u"pdftotext"_s, {u"-f"_s, number, u"-l"_s, number, pdf, u"-"_s}));
}

} // namespace

class TestRecordsMarking : public QObject
{
    Q_OBJECT

private slots:
    void readDoseCode_data();
    void readDoseCode();
    void doseCodeRoundTrip_data();
    void doseCodeRoundTrip();
    void labelDates_data();
    void labelDates();
    void labelTexts();
    void missingMarking_data();
    void missingMarking();
    void labelsDecoded_data();
    void labelsDecoded();
    void markingMustFit_data();
    void markingMustFit();
    void dialogReadsMarking_data();
    void dialogReadsMarking();

private:
    QTemporaryDir m_dir;
};

void TestRecordsMarking::readDoseCode_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<std::optional<ScannedDose>>("read");

    const auto accept = [](const char *name, const QString &typed, const QString &approval,
                           qint64 sheetId, int dose) {
        QTest::newRow(name) << typed << std::optional(ScannedDose{approval, sheetId, dose});
    };
    const auto refuse = [](const char *name, const QString &typed) {
        QTest::newRow(name) << typed << std::optional<ScannedDose>();
    };
    accept("with the approval", u"ESTRIVO:DE-EQ-0042:12:3"_s, kApproval, 12, 3);
    accept("station without approval", u"ESTRIVO::12:3"_s, QString(), 12, 3);
    accept("label before the approval", u"ESTRIVO:12:3"_s, QString(), 12, 3);
    accept("scanner's CR LF", u"ESTRIVO:DE-EQ-0042:12:3\r\n"_s, kApproval, 12, 3);
    accept("scanner's CR", u"ESTRIVO:DE-EQ-0042:12:3\r"_s, kApproval, 12, 3);
    accept("blanks and tabs around", u" \t ESTRIVO:12:3 \t\n"_s, QString(), 12, 3);
    accept("prefix in lower case", u"estrivo:DE-EQ-0042:12:3"_s, kApproval, 12, 3);
    accept("Caps Lock inverted", u"estrivo:de-eq-0042:12:3"_s, u"de-eq-0042"_s, 12, 3);
    accept("separators in the approval", u"ESTRIVO:IT-12/RM.3-A:5:1"_s, u"IT-12/RM.3-A"_s, 5, 1);
    accept("longest approval", u"ESTRIVO:FR-"_s + QString(27, u'9') + u":5:1"_s,
           u"FR-"_s + QString(27, u'9'), 5, 1);
    accept("largest numbers", u"ESTRIVO::9223372036854775807:2147483647"_s, QString(),
           std::numeric_limits<qint64>::max(), std::numeric_limits<int>::max());
    accept("dose past a thousand", u"ESTRIVO:DE-EQ-0042:987654321098:100000"_s, kApproval,
           987654321098, 100000);

    refuse("empty", QString());
    refuse("blanks only", u" \r\n\t "_s);
    refuse("prefix alone", u"ESTRIVO"_s);
    refuse("no numbers", u"ESTRIVO::"_s);
    refuse("empty parts", u"ESTRIVO:::"_s);
    refuse("no dose", u"ESTRIVO:12"_s);
    refuse("empty dose", u"ESTRIVO:DE-EQ-0042:12:"_s);
    refuse("empty sheet", u"ESTRIVO:DE-EQ-0042::3"_s);
    refuse("a part too many", u"ESTRIVO:DE-EQ-0042:12:3:4"_s);
    refuse("number as approval", u"ESTRIVO:12:3:4"_s);
    refuse("other prefix", u"ESTRIVOX:12:3"_s);
    refuse("prefix with a zero", u"ESTRIV0:12:3"_s);
    refuse("something before", u"XESTRIVO:12:3"_s);
    refuse("no prefix", u"12:3"_s);
    refuse("zero sheet", u"ESTRIVO::0:3"_s);
    refuse("zero dose", u"ESTRIVO::12:0"_s);
    refuse("negative sheet", u"ESTRIVO::-12:3"_s);
    refuse("negative dose", u"ESTRIVO:12:-3"_s);
    refuse("plus sign", u"ESTRIVO::+12:3"_s);
    refuse("leading zero", u"ESTRIVO::012:3"_s);
    refuse("sheet id overflows", u"ESTRIVO::9223372036854775808:1"_s);
    refuse("sheet id far past", u"ESTRIVO::99999999999999999999999999:1"_s);
    refuse("dose overflows", u"ESTRIVO::12:2147483648"_s);
    refuse("hexadecimal", u"ESTRIVO::0x1F:1"_s);
    refuse("decimal point", u"ESTRIVO::12.0:3"_s);
    refuse("exponent", u"ESTRIVO::1e3:3"_s);
    refuse("Arabic-Indic digits", u"ESTRIVO::\u0661\u0662:3"_s);
    refuse("full-width digits", u"ESTRIVO::\uff11\uff12:3"_s);
    refuse("full-width colons", u"ESTRIVO\uff1a12\uff1a3"_s);
    refuse("blank inside", u"ESTRIVO:: 12:3"_s);
    refuse("blank before the dose", u"ESTRIVO::12: 3"_s);
    refuse("tab inside", u"ESTRIVO::12\t:3"_s);
    refuse("line break inside", u"ESTRIVO::12\n:3"_s);
    refuse("NUL inside", u"ESTRIVO::12"_s + QChar(0) + u":3"_s);
    refuse("NUL after", u"ESTRIVO::12:3"_s + QChar(0));
    refuse("escape sequence", u"\x1b[2JESTRIVO::12:3"_s);
    refuse("bell in the approval", u"ESTRIVO:DE-EQ\x07-0042:12:3"_s);
    refuse("right-to-left override", u"ESTRIVO:DE-EQ-\u202e2400:12:3"_s);
    refuse("zero-width space", u"ESTRIVO::12\u200b:3"_s);
    refuse("soft hyphen", u"ESTRIVO:DE-EQ\u00ad0042:12:3"_s);
    refuse("approval too long", u"ESTRIVO:FR-"_s + QString(28, u'9') + u":5:1"_s);
    refuse("approval without country", u"ESTRIVO:-EQ-0042:12:3"_s);
    refuse("one-letter country", u"ESTRIVO:D-EQ-0042:12:3"_s);
    refuse("country alone", u"ESTRIVO:DE-:12:3"_s);
    refuse("approval with a blank", u"ESTRIVO:DE EQ 0042:12:3"_s);
    refuse("SQL in the approval", u"ESTRIVO:DE-';DROP TABLE sheets;--:12:3"_s);
    refuse("markup in the approval", u"ESTRIVO:DE-<b>x</b>:12:3"_s);
    refuse("placeholder in the approval", u"ESTRIVO:DE-%1:12:3"_s);
    refuse("overlong", QString(kMaxDoseCodeLength - 12, u' ') + u"ESTRIVO::12:3"_s);
    refuse("megabyte", u"ESTRIVO::"_s + QString(1 << 20, u'1') + u":3"_s);
}

void TestRecordsMarking::readDoseCode()
{
    QFETCH(QString, typed);
    QFETCH(std::optional<ScannedDose>, read);
    const std::optional<ScannedDose> found = estrivo::readDoseCode(typed);
    QCOMPARE(found.has_value(), read.has_value());
    if (read) {
        QCOMPARE(found->approval, read->approval);
        QCOMPARE(found->sheetId, read->sheetId);
        QCOMPARE(found->dose, read->dose);
    }
}

void TestRecordsMarking::doseCodeRoundTrip_data()
{
    QTest::addColumn<QString>("approval");
    QTest::addColumn<qint64>("sheetId");
    QTest::addColumn<int>("dose");
    QTest::addColumn<QByteArray>("code");

    QTest::newRow("station with approval")
        << kApproval << qint64(12) << 3 << QByteArray("ESTRIVO:DE-EQ-0042:12:3");
    QTest::newRow("station without")
        << QString() << qint64(12) << 3 << QByteArray("ESTRIVO::12:3");
    QTest::newRow("largest") << u"PL-"_s + QString(27, u'Z') << std::numeric_limits<qint64>::max()
                             << std::numeric_limits<int>::max()
                             << "ESTRIVO:PL-" + QByteArray(27, 'Z')
                                    + ":9223372036854775807:2147483647";
}

void TestRecordsMarking::doseCodeRoundTrip()
{
    QFETCH(QString, approval);
    QFETCH(qint64, sheetId);
    QFETCH(int, dose);
    QFETCH(QByteArray, code);
    QCOMPARE(doseCode(sheetId, dose, approval), code);
    QVERIFY(code.size() <= kMaxDoseCodeLength);
    const std::optional<ScannedDose> read = estrivo::readDoseCode(QString::fromLatin1(code));
    QVERIFY(read);
    QCOMPARE(*read, (ScannedDose{approval, sheetId, dose}));
}

void TestRecordsMarking::labelDates_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<StationProfile::LabelDate>("style");
    QTest::addColumn<QString>("text");

    QTest::newRow("yymmdd") << QDate(2026, 12, 7) << StationProfile::LabelDate::Yymmdd
                            << u"261207"_s;
    QTest::newRow("dd.mm.yy") << QDate(2026, 12, 7) << StationProfile::LabelDate::DdMmYy
                              << u"07.12.26"_s;
    QTest::newRow("yymmdd, leading zeros")
        << QDate(2001, 1, 9) << StationProfile::LabelDate::Yymmdd << u"010109"_s;
    QTest::newRow("dd.mm.yy, leading zeros")
        << QDate(2001, 1, 9) << StationProfile::LabelDate::DdMmYy << u"09.01.01"_s;
}

void TestRecordsMarking::labelDates()
{
    QFETCH(QDate, date);
    QFETCH(StationProfile::LabelDate, style);
    QFETCH(QString, text);
    // The marking's form whatever the desktop's language.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    const QString shown = labelDateText(date, style);
    QLocale::setDefault(before);
    QCOMPARE(shown, text);
}

void TestRecordsMarking::labelTexts()
{
    SheetRecord sheet = zeusSheet(815);
    sheet.stallion = u"zeus  "_s; // as typed: the register's spelling is printed
    const DoseLabel marked
        = doseLabel(sheet, 3, euStation(StationProfile::LabelDate::DdMmYy), zeus());
    QCOMPARE(
        QStringList({marked.stallion, marked.donor, marked.collectionDate, marked.approval,
                     marked.dose, QString::fromLatin1(marked.code)}),
        QStringList({u"Zeus"_s, u"Equine, UELN 276098102345678"_s, u"Collected 07.12.26"_s,
                     u"Approval DE-EQ-0042"_s, u"Dose 3 of 12"_s, u"ESTRIVO:DE-EQ-0042:815:3"_s}));

    // No marking and nothing registered: today's label, the date in the station's style.
    sheet.text(Field::Date).clear();
    const DoseLabel plain = doseLabel(sheet, 1);
    QCOMPARE(QStringList({plain.stallion, plain.donor, plain.collectionDate, plain.approval,
                          QString::fromLatin1(plain.code)}),
             QStringList({u"zeus  "_s, QString(), u"Saved 261208, no collection date"_s, QString(),
                          u"ESTRIVO::815:1"_s}));
    sheet.savedAt = QDateTime();
    sheet.text(Field::Date) = u"yesterday"_s;
    QCOMPARE(doseLabel(sheet, 1).collectionDate, u"No collection date"_s);
}

void TestRecordsMarking::missingMarking_data()
{
    QTest::addColumn<StationProfile>("station");
    QTest::addColumn<std::optional<Stallion>>("donor");
    QTest::addColumn<QString>("date"); // the sheet's Date text
    QTest::addColumn<QStringList>("missing");

    const QString noDate = u"the collection date (the sheet holds none that can be read, only "
                           "the time it was saved)"_s;
    const QString noApproval = u"the station's approval number with its country code (set it "
                               "in the station profile)"_s;
    const QString noUeln = u"the donor's UELN (register Zeus with his UELN)"_s;
    Stallion withoutUeln = zeus();
    withoutUeln.ueln.clear();
    Stallion withoutSpecies = zeus();
    withoutSpecies.species.clear();
    StationProfile withoutApproval = euStation();
    withoutApproval.approval.clear();
    StationProfile unmarked = withoutApproval;
    unmarked.marking = StationProfile::Marking::None;

    QTest::newRow("complete") << euStation() << std::optional(zeus()) << kCollected
                              << QStringList();
    QTest::newRow("no collection date")
        << euStation() << std::optional(zeus()) << QString() << QStringList{noDate};
    QTest::newRow("date that cannot be read")
        << euStation() << std::optional(zeus()) << u"Mittwoch"_s << QStringList{noDate};
    QTest::newRow("no UELN") << euStation() << std::optional(withoutUeln) << kCollected
                             << QStringList{noUeln};
    QTest::newRow("no species") << euStation() << std::optional(withoutSpecies) << kCollected
                                << QStringList{u"the donor's species (give Zeus his species in "
                                               "the register)"_s};
    QTest::newRow("not registered")
        << euStation() << std::optional<Stallion>() << kCollected
        << QStringList{u"the donor's species and UELN (Zeus is not in the stallion register: "
                       "register him with his UELN)"_s};
    QTest::newRow("no approval") << withoutApproval << std::optional(zeus()) << kCollected
                                 << QStringList{noApproval};
    QTest::newRow("everything") << withoutApproval << std::optional(withoutUeln) << QString()
                                << QStringList{noDate, noUeln, noApproval};
    QTest::newRow("no marking in force")
        << unmarked << std::optional(withoutUeln) << QString() << QStringList();
    QTest::newRow("no marking, nothing registered")
        << unmarked << std::optional<Stallion>() << QString() << QStringList();
}

void TestRecordsMarking::missingMarking()
{
    QFETCH(StationProfile, station);
    QFETCH(std::optional<Stallion>, donor);
    QFETCH(QString, date);
    QFETCH(QStringList, missing);
    SheetRecord sheet = zeusSheet();
    sheet.text(Field::Date) = date;
    QCOMPARE(estrivo::missingMarking(station, donor, sheet), missing);

    // Refused as a whole: no label printed, no file written.
    LabelJob job;
    job.count = 2;
    job.pdfFile = m_dir.filePath(u"%1.pdf"_s.arg(QString::fromLatin1(QTest::currentDataTag())));
    job.station = station;
    job.donor = donor;
    const PrintOutcome outcome = printLabels(sheet, job);
    if (missing.isEmpty()) {
        QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
        QCOMPARE(pdfInfo(job.pdfFile, u"Pages"_s), u"2"_s);
        return;
    }
    QCOMPARE(outcome.error, PrintError::DocumentNotOpened);
    QCOMPARE(outcome.detail, u"The EU marking is in force and these labels would lack %1."_s.arg(
                                 missing.join(u"; "_s)));
    QVERIFY(!QFileInfo::exists(job.pdfFile));
}

void TestRecordsMarking::labelsDecoded_data()
{
    QTest::addColumn<QSizeF>("size");
    QTest::addColumn<StationProfile>("station");
    QTest::addColumn<qint64>("sheetId");
    QTest::addColumn<QString>("date"); // the date as marked

    QTest::newRow("62x29, yymmdd") << QSizeF(62, 29) << euStation() << qint64(12) << u"261207"_s;
    QTest::newRow("62x29, dd.mm.yy, long id")
        << QSizeF(62, 29) << euStation(StationProfile::LabelDate::DdMmYy) << qint64(987654321098)
        << u"07.12.26"_s;
    QTest::newRow("50x30") << QSizeF(50, 30) << euStation() << qint64(7) << u"261207"_s;
    QTest::newRow("upright 29x62") << QSizeF(29, 62) << euStation() << qint64(44) << u"261207"_s;
    QTest::newRow("100x50") << QSizeF(100, 50) << euStation(StationProfile::LabelDate::DdMmYy)
                            << qint64(3) << u"07.12.26"_s;
    QTest::newRow("4x6 inch") << QSizeF(101.6, 152.4) << euStation() << qint64(5) << u"261207"_s;
    StationProfile unmarked;
    QTest::newRow("no marking, no approval")
        << QSizeF(62, 29) << unmarked << qint64(12) << u"261207"_s;
}

void TestRecordsMarking::labelsDecoded()
{
    QFETCH(QSizeF, size);
    QFETCH(StationProfile, station);
    QFETCH(qint64, sheetId);
    QFETCH(QString, date);
    const SheetRecord sheet = zeusSheet(sheetId);
    LabelJob job;
    job.count = 3;
    job.sizeMm = size;
    job.station = station;
    job.donor = zeus();
    job.pdfFile = m_dir.filePath(u"labels.pdf"_s);
    const PrintOutcome outcome = printLabels(sheet, job);
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
    QCOMPARE(pdfInfo(job.pdfFile, u"Pages"_s), u"3"_s);

    for (int dose = 1; dose <= job.count; ++dose) {
        const QByteArray read = pdfPageCodes(job.pdfFile, dose, m_dir.filePath(u"page.png"_s));
        QCOMPARE(read, doseCode(sheetId, dose, station.approval) + '\n');
        // What the scanner types, Enter and all, finds this dose of this station.
        const std::optional<ScannedDose> scanned
            = estrivo::readDoseCode(QString::fromLatin1(read) + u'\r');
        QVERIFY(scanned);
        QCOMPARE(*scanned, (ScannedDose{station.approval, sheetId, dose}));

        const QString text = pageText(job.pdfFile, dose);
        for (const QString &line : {u"Zeus"_s, u"Equine, UELN "_s + kUeln, u"Collected "_s + date,
                                    u"Dose %1 of 12"_s.arg(dose)}) {
            QVERIFY2(text.contains(line + u'\n'), qPrintable(line + u" not in:\n"_s + text));
        }
        QCOMPARE(text.contains(u"Approval "_s + kApproval + u'\n'), !station.approval.isEmpty());
    }
}

void TestRecordsMarking::markingMustFit_data()
{
    QTest::addColumn<QSizeF>("size");
    QTest::addColumn<bool>("fits"); // the marking, whole, in type a label printer prints legibly

    QTest::newRow("62x29") << QSizeF(62, 29) << true;
    QTest::newRow("50x30") << QSizeF(50, 30) << true;
    QTest::newRow("upright 29x62") << QSizeF(29, 62) << true;
    QTest::newRow("40x20") << QSizeF(40, 20) << false;
    QTest::newRow("upright 20x40") << QSizeF(20, 40) << false;
    QTest::newRow("15x15") << QSizeF(15, 15) << false;
}

void TestRecordsMarking::markingMustFit()
{
    QFETCH(QSizeF, size);
    QFETCH(bool, fits);
    const SheetRecord sheet = zeusSheet(987654321098);
    QCOMPARE(markingFits(size, doseLabel(sheet, 12, euStation(), zeus())), fits);

    // With the marking in force a label too small for it is refused, nothing written; without,
    // the label is printed as it fits, the code readable.
    LabelJob job;
    job.count = 1;
    job.sizeMm = size;
    job.donor = zeus();
    job.station = euStation();
    job.pdfFile
        = m_dir.filePath(u"fit-%1.pdf"_s.arg(QString::fromLatin1(QTest::currentDataTag())));
    const PrintOutcome marked = printLabels(sheet, job);
    QCOMPARE(marked.ok(), fits);
    QCOMPARE(QFileInfo::exists(job.pdfFile), fits);
    if (!fits) {
        QCOMPARE(marked.detail, u"The marking does not fit a label of %1 in readable type; "
                                "choose a larger label."_s.arg(labelSizeText(size)));
    }
    job.station.marking = StationProfile::Marking::None;
    const PrintOutcome unmarked = printLabels(sheet, job);
    QVERIFY2(unmarked.ok(), qPrintable(unmarked.detail));
    if (size.width() >= 20 && size.height() >= 20) {
        QCOMPARE(pdfPageCodes(job.pdfFile, 1, m_dir.filePath(u"page.png"_s)),
                 doseCode(sheet.id, 1, kApproval) + '\n');
    }
}

void TestRecordsMarking::dialogReadsMarking_data()
{
    QTest::addColumn<bool>("registered");
    QTest::addColumn<QString>("ueln"); // registered with this UELN
    QTest::addColumn<QString>("refusal");

    QTest::newRow("registered with UELN") << true << kUeln << QString();
    QTest::newRow("registered without UELN")
        << true << QString()
        << u"The EU marking is in force and these labels would lack the donor's UELN (register "
           "Zeus with his UELN)."_s;
    QTest::newRow("not registered")
        << false << QString()
        << u"The EU marking is in force and these labels would lack the donor's species and "
           "UELN (Zeus is not in the stallion register: register him with his UELN)."_s;
}

void TestRecordsMarking::dialogReadsMarking()
{
    QFETCH(bool, registered);
    QFETCH(QString, ueln);
    QFETCH(QString, refusal);

    const QString location
        = m_dir.filePath(u"%1.sqlite"_s.arg(QString::fromLatin1(QTest::currentDataTag())));
    SheetRecord sheet = zeusSheet(0);
    {
        Journal journal(location);
        QVERIFY(journal.open().ok());
        QVERIFY(journal.saveSheet(sheet).ok());
        const JournalError set = journal.setStationProfile(euStation());
        QVERIFY2(set.ok(), qPrintable(set.reason));
        if (registered) {
            Stallion stallion = zeus();
            stallion.id = 0;
            stallion.ueln = ueln;
            const JournalError kept = journal.registerStallion(stallion);
            QVERIFY2(kept.ok(), qPrintable(kept.reason));
        }
    }
    JournalService service(location, JournalCreation::Nothing);
    LabelsDialog dialog(sheet, location, nullptr, &service);
    QSignalSpy read(&dialog, &LabelsDialog::markingRead);
    auto *print = dialog.findChild<QPushButton *>(u"print"_s);
    auto *marking = dialog.findChild<QLabel *>(u"marking"_s);
    QVERIFY(print && marking);
    // Asked for before the answer: the dialog waits for it rather than print unmarked.
    QCOMPARE(dialog.markingKnown(), false);
    auto *target = dialog.findChild<QComboBox *>(u"target"_s);
    target->setCurrentIndex(target->findText(u"PDF file"_s));
    const QString pdf
        = m_dir.filePath(u"dialog-%1.pdf"_s.arg(QString::fromLatin1(QTest::currentDataTag())));
    dialog.findChild<QLineEdit *>(u"pdfFile"_s)->setText(pdf);
    dialog.findChild<QSpinBox *>(u"count"_s)->setValue(2);
    QSignalSpy printed(&dialog, &LabelsDialog::printed);
    print->click();
    QTRY_COMPARE(read.size(), 1);
    QVERIFY(dialog.markingKnown());
    QCOMPARE(dialog.station(), euStation());
    QCOMPARE(dialog.donor().has_value(), registered);
    QCOMPARE(marking->text(), refusal);
    QCOMPARE(print->isEnabled(), refusal.isEmpty());
    if (!refusal.isEmpty()) {
        QCOMPARE(dialog.findChild<QLabel *>(u"status"_s)->text(), QString());
        QCOMPARE(printed.size(), 0);
        QVERIFY(!QFileInfo::exists(pdf));
        return;
    }
    QCOMPARE(printed.size(), 1);
    const QByteArray code = pdfPageCodes(pdf, 2, m_dir.filePath(u"page.png"_s));
    QCOMPARE(estrivo::readDoseCode(QString::fromLatin1(code)),
             std::optional(ScannedDose{kApproval, sheet.id, 2}));
    QVERIFY(pageText(pdf, 1).contains(u"Equine, UELN "_s + kUeln + u'\n'));
}

QTEST_MAIN(TestRecordsMarking)
#include "tst_records_marking.moc"
