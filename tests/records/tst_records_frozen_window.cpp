// Frozen semen from the records window, offscreen over a SQLite journal of generated sheets,
// each result read back through a second connection: a batch pooled from two collections, a
// post-thaw test typed and one read from an analysis file through its column mapping, a
// release refused below the station's figure and then given, straws placed, moved in bulk and
// dispatched, and the reminders of a tank due for its check, a low tank and a stallion short
// of doses.
#include "frozen_dialogs.h"
#include "frozen_pane.h"
#include "frozen_reports.h"
#include "frozen_ui.h"
#include "records_fixture.h"
#include "records_window.h"
#include "sheet_table_model.h"
#include "straws_per_dose.h"
#include "tanks_dialog.h"

#include <QTemporaryDir>
#include <QtWidgets>

using namespace estrivo;
using namespace recordstest;

namespace {

constexpr int kFrozenSheets = 30;
// Zeus's collections (every sixth sheet) and their gel-free volumes: 98, 86, 74 and 62 ml.
constexpr int kPooledFirst = 6;
constexpr int kPooledSecond = 12;
constexpr int kOtherZeus = 18;
constexpr int kLastZeus = 24;
const QString kInstrument = u"Lab analyser 2"_s;

} // namespace

class TestRecordsFrozenWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void reminders_data();
    void reminders();
    void freezeBatchChecks_data();
    void freezeBatchChecks();
    void pooledBatchThroughTheDialog();
    void typedTestAndRefusedRelease();
    void importedTestAndRelease();
    void strawsPerDoseFromTheTest();
    void placeAndMoveInBulk();
    void dispatchStraws();
    void reportsFromTheMenu();
    void tankDueUntilChecked();
    void lowStock();
    void cleanupTestCase() { m_window.reset(); }

private:
    template<typename T> T *shown() const
    {
        T *found = nullptr;
        const bool came = QTest::qWaitFor([&found, this] {
            for (T *dialog : m_window->findChildren<T *>()) {
                if (dialog->isVisible())
                    found = dialog;
            }
            return found != nullptr;
        });
        return came ? found : nullptr;
    }
    template<typename T> static T *child(QObject *parent, const QString &name)
    {
        return parent->findChild<T *>(name);
    }
    static bool okEnabled(QDialog *dialog)
    {
        return dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled();
    }
    static void clickOk(QDialog *dialog)
    {
        QTest::mouseClick(dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
    }
    // Chooses the sheet's row, so a new batch is frozen from it.
    void selectSheet(qint64 id);
    // Chooses the batch in the pane and waits for its details.
    void selectBatch(qint64 id);
    void trigger(const QString &action);
    QString reminder() const
    {
        auto *line = child<QLabel>(m_window.get(), u"frozenReminder"_s);
        return line->isVisibleTo(m_window.get()) ? line->text() : QString();
    }
    static void setPosition(QWidget *picker, const Tank &tank, int canister, const QString &goblet,
                            const QString &cane);

    QTemporaryDir m_dir;
    QString m_journal;
    QList<SheetRecord> m_sheets;
    std::unique_ptr<Journal> m_other; // another workstation on the same file
    std::unique_ptr<RecordsWindow> m_window;
    FrozenPane *m_pane = nullptr;
    Tank m_tankA; // its last check 10 days ago
    Tank m_tankB; // checked today
    qint64 m_batch = 0;
};

void TestRecordsFrozenWindow::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    QVERIFY(m_dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath(u"config"_s));
    qunsetenv("ESTRIVO_JOURNAL");
    m_journal = m_dir.filePath(u"journal.sqlite"_s);
    m_sheets = fillJournal(m_journal, kFrozenSheets);
    QCOMPARE(m_sheets.size(), kFrozenSheets);
    m_other = std::make_unique<Journal>(m_journal);
    QVERIFY(m_other->open().ok());
    m_tankA.name = u"Tank A"_s;
    m_tankA.canisters = 6;
    m_tankB.name = u"Tank B"_s;
    m_tankB.canisters = 10;
    QCOMPARE(m_other->addTank(m_tankA).reason, QString());
    QCOMPARE(m_other->addTank(m_tankB).reason, QString());
    TankCheck old;
    old.tankId = m_tankA.id;
    old.checkedAt = QDateTime::currentDateTimeUtc().addDays(-10);
    old.levelCm = 40;
    QCOMPARE(m_other->recordTankCheck(old).reason, QString());
    TankCheck fresh;
    fresh.tankId = m_tankB.id;
    fresh.levelCm = 42;
    QCOMPARE(m_other->recordTankCheck(fresh).reason, QString());

    m_window = std::make_unique<RecordsWindow>(m_journal);
    QSignalSpy opened(m_window.get(), &RecordsWindow::journalOpened);
    m_window->show();
    QVERIFY(opened.wait());
    m_pane = m_window->findChild<FrozenPane *>();
    QVERIFY(m_pane);
    QTRY_COMPARE(m_window->findChild<QTableView *>(u"collections"_s)->model()->rowCount(),
                 kFrozenSheets);
}

void TestRecordsFrozenWindow::selectSheet(qint64 id)
{
    auto *table = m_window->findChild<QTableView *>(u"collections"_s);
    auto *model = static_cast<SheetTableModel *>(table->model());
    // The list may still be read again after a change of stallion.
    QTRY_VERIFY2(model->rowOf(id) >= 0, qPrintable(QString::number(id)));
    const int row = model->rowOf(id);
    table->setCurrentIndex(model->index(row, 0));
    QTRY_COMPARE(m_window->currentSheet().value_or(SheetRecord{}).id, id);
}

void TestRecordsFrozenWindow::selectBatch(qint64 id)
{
    QTRY_VERIFY(std::any_of(m_pane->batches().cbegin(), m_pane->batches().cend(),
                            [id](const FreezeBatch &batch) { return batch.id == id; }));
    m_pane->chooseBatch(id);
    QTRY_COMPARE(m_pane->shownBatch().value_or(FreezeBatch{}).id, id);
}

void TestRecordsFrozenWindow::trigger(const QString &action)
{
    QAction *found = m_window->findChild<QAction *>(action);
    QVERIFY2(found, qPrintable(action));
    QTRY_VERIFY2(found->isEnabled(), qPrintable(action));
    found->trigger();
}

void TestRecordsFrozenWindow::setPosition(QWidget *picker, const Tank &tank, int canister,
                                          const QString &goblet, const QString &cane)
{
    auto *tanks = child<QComboBox>(picker, u"tank"_s);
    tanks->setCurrentIndex(tanks->findData(tank.id));
    child<QSpinBox>(picker, u"canister"_s)->setValue(canister);
    child<QLineEdit>(picker, u"goblet"_s)->setText(goblet);
    child<QLineEdit>(picker, u"cane"_s)->setText(cane);
}

void TestRecordsFrozenWindow::reminders_data()
{
    QTest::addColumn<int>("checkedDaysAgo"); // -1: never checked
    QTest::addColumn<double>("level");
    QTest::addColumn<int>("lowDoses"); // -1: no stallion short of doses
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("checked yesterday, full") << 1 << 30.0 << -1 << QStringList();
    QTest::newRow("checked a week ago") << 7 << 30.0 << -1 << QStringList();
    QTest::newRow("checked eight days ago")
        << 8 << 30.0 << -1
        << QStringList{u"Tank 9 is due for a level check: last checked 8 days ago."_s};
    QTest::newRow("never checked")
        << -1 << 0.0 << -1 << QStringList{u"Tank 9 has no level check yet."_s};
    QTest::newRow("low") << 0 << 4.5 << -1
                         << QStringList{
                                u"Tank 9 is low: 4.5 cm of liquid nitrogen, below 5 cm."_s};
    QTest::newRow("due and low")
        << 12 << 2.0 << -1
        << QStringList{u"Tank 9 is due for a level check: last checked 12 days ago."_s,
                       u"Tank 9 is low: 2 cm of liquid nitrogen, below 5 cm."_s};
    QTest::newRow("one dose left")
        << 0 << 30.0 << 1
        << QStringList{u"Comma, the Second is low in frozen stock: 1 released dose left."_s};
    QTest::newRow("no dose left")
        << 0 << 30.0 << 0
        << QStringList{u"Comma, the Second is low in frozen stock: 0 released doses left."_s};
}

void TestRecordsFrozenWindow::reminders()
{
    QFETCH(int, checkedDaysAgo);
    QFETCH(double, level);
    QFETCH(int, lowDoses);
    QFETCH(QStringList, expected);
    const QDateTime now(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC);
    Tank tank;
    tank.id = 9;
    tank.name = u"Tank 9"_s;
    if (checkedDaysAgo >= 0)
        tank.lastCheckAt = now.addDays(-checkedDaysAgo);
    tank.lastLevelCm = level;
    QList<LowStock> low;
    if (lowDoses >= 0)
        low.append({u"Comma, the Second"_s, lowDoses});
    QCOMPARE(frozenReminders({tank}, low, now), expected);
}

void TestRecordsFrozenWindow::freezeBatchChecks_data()
{
    // What the dialog asks for before the journal sees the batch, and what a straw holds.
    QTest::addColumn<double>("rawMl");
    QTest::addColumn<QString>("extender");
    QTest::addColumn<double>("concentration");
    QTest::addColumn<int>("volumeIndex"); // 0: 0.25 ml, 1: 0.5 ml
    QTest::addColumn<int>("straws");
    QTest::addColumn<int>("perDose");
    QTest::addColumn<QString>("perStraw");
    QTest::addColumn<QString>("problem");
    QTest::newRow("all well") << 40.0 << u"Lactose-EDTA"_s << 200.0 << 1 << 40 << 8
                              << u"100 M (200 M/ml x 0.5 ml)"_s << QString();
    QTest::newRow("quarter-ml straws") << 40.0 << u"Lactose-EDTA"_s << 400.0 << 0 << 80 << 8
                                       << u"100 M (400 M/ml x 0.25 ml)"_s << QString();
    QTest::newRow("no raw semen") << 0.0 << u"Lactose-EDTA"_s << 200.0 << 1 << 40 << 8
                                  << u"100 M (200 M/ml x 0.5 ml)"_s
                                  << u"Give the raw semen collection %1 gave."_s;
    QTest::newRow("more than the collection gave")
        << 99.0 << u"Lactose-EDTA"_s << 200.0 << 1 << 40 << 8 << u"100 M (200 M/ml x 0.5 ml)"_s
        << u"Collection %1 gave 98 ml of gel-free semen: no more raw semen than that."_s;
    QTest::newRow("no extender") << 40.0 << u"  "_s << 200.0 << 1 << 40 << 8
                                 << u"100 M (200 M/ml x 0.5 ml)"_s
                                 << u"Name the freezing extender."_s;
    QTest::newRow("no concentration") << 40.0 << u"Lactose-EDTA"_s << 0.0 << 1 << 40 << 8
                                      << u"from the final concentration and the volume"_s
                                      << u"Give the final concentration in the straws."_s;
    QTest::newRow("no straws") << 40.0 << u"Lactose-EDTA"_s << 200.0 << 1 << 0 << 8
                               << u"100 M (200 M/ml x 0.5 ml)"_s
                               << u"Give the number of straws made."_s;
    QTest::newRow("no straws per dose")
        << 40.0 << u"Lactose-EDTA"_s << 200.0 << 1 << 40 << 0 << u"100 M (200 M/ml x 0.5 ml)"_s
        << u"Give the straws per insemination dose."_s;
}

void TestRecordsFrozenWindow::freezeBatchChecks()
{
    QFETCH(double, rawMl);
    QFETCH(QString, extender);
    QFETCH(double, concentration);
    QFETCH(int, volumeIndex);
    QFETCH(int, straws);
    QFETCH(int, perDose);
    QFETCH(QString, perStraw);
    QFETCH(QString, problem);
    const SheetRecord sheet = m_sheets[kPooledFirst];
    FreezeBatchDialog dialog(nullptr, sheet);
    // The first source starts at the collection's whole gel-free volume.
    auto *raw = child<QDoubleSpinBox>(&dialog, u"rawMl%1"_s.arg(sheet.id));
    QVERIFY(raw);
    QCOMPARE(raw->value(), 98.0);
    raw->setValue(rawMl);
    child<QLineEdit>(&dialog, u"extender"_s)->setText(extender);
    child<QDoubleSpinBox>(&dialog, u"finalConcentration"_s)->setValue(concentration);
    child<QComboBox>(&dialog, u"strawVolume"_s)->setCurrentIndex(volumeIndex);
    child<QSpinBox>(&dialog, u"strawsMade"_s)->setValue(straws);
    child<QSpinBox>(&dialog, u"strawsPerDose"_s)->setValue(perDose);
    QCOMPARE(child<QLabel>(&dialog, u"spermPerStraw"_s)->text(), perStraw);
    QCOMPARE(dialog.problem(), problem.contains(u"%1"_s) ? problem.arg(sheet.id) : problem);
    QCOMPARE(okEnabled(&dialog), problem.isEmpty());
    // Without a test of his there is nothing to work the straws per dose out from.
    QVERIFY2(dialog.arithmetic().startsWith(u"No post-thaw test of his yet"_s),
             qPrintable(dialog.arithmetic()));
    const FreezeBatch wanted = dialog.batch();
    QCOMPARE(wanted.sources.size(), qsizetype(1));
    QCOMPARE(wanted.sources.front().sheetId, sheet.id);
    QCOMPARE(wanted.spermPerStraw, concentration * kStrawVolumesMl[volumeIndex]);
    QCOMPARE(wanted.centrifugationMinutes, 0.0); // not centrifuged: no time either
}

void TestRecordsFrozenWindow::pooledBatchThroughTheDialog()
{
    const SheetRecord first = m_sheets[kPooledFirst];
    const SheetRecord second = m_sheets[kPooledSecond];
    selectSheet(first.id);
    trigger(u"newFreezeBatch"_s);
    QPointer<FreezeBatchDialog> dialog = shown<FreezeBatchDialog>();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isReady());

    // Every other collection of his is offered, none of another stallion.
    auto *sources = child<QTableWidget>(dialog, u"sources"_s);
    QCOMPARE(sources->rowCount(), 5);
    int secondRow = -1;
    for (int row = 0; row < sources->rowCount(); ++row) {
        if (sources->item(row, 0)->data(Qt::UserRole).toLongLong() == second.id)
            secondRow = row;
    }
    QVERIFY(secondRow > 0);
    QCOMPARE(sources->item(0, 0)->data(Qt::UserRole).toLongLong(), first.id);
    QCOMPARE(sources->item(0, 0)->flags() & Qt::ItemIsUserCheckable, Qt::ItemFlags());
    sources->item(secondRow, 0)->setCheckState(Qt::Checked);
    child<QDoubleSpinBox>(dialog, u"rawMl%1"_s.arg(first.id))->setValue(40);
    auto *secondRaw = child<QDoubleSpinBox>(dialog, u"rawMl%1"_s.arg(second.id));
    QCOMPARE(dialog->problem(), u"Give the raw semen collection %1 gave."_s.arg(second.id));
    secondRaw->setValue(30);
    child<QDoubleSpinBox>(dialog, u"centrifugationG"_s)->setValue(600);
    child<QDoubleSpinBox>(dialog, u"centrifugationMinutes"_s)->setValue(10);
    child<QLineEdit>(dialog, u"extender"_s)->setText(u"Lactose-EDTA"_s);
    child<QDoubleSpinBox>(dialog, u"finalConcentration"_s)->setValue(200);
    child<QSpinBox>(dialog, u"strawsMade"_s)->setValue(40);
    child<QLineEdit>(dialog, u"strawColour"_s)->setText(u"yellow"_s);
    child<QLineEdit>(dialog, u"strawMarking"_s)->setText(u"ZEUS 260307 B1"_s);
    child<QSpinBox>(dialog, u"strawsPerDose"_s)->setValue(8);
    QVERIFY2(okEnabled(dialog), qPrintable(dialog->problem()));
    QSignalSpy recorded(dialog.data(), &FreezeBatchDialog::recorded);
    clickOk(dialog);
    QTRY_COMPARE(recorded.count(), 1);
    QTRY_VERIFY(!dialog);
    m_batch = recorded.at(0).at(0).value<FreezeBatch>().id;
    QVERIFY(m_batch != 0);
    // The pane reads its list again and chooses the new batch.
    QTRY_COMPARE(m_pane->shownBatch().value_or(FreezeBatch{}).id, m_batch);

    const std::optional<FreezeBatch> kept = m_other->freezeBatch(m_batch);
    QVERIFY(kept);
    QCOMPARE(kept->sources.size(), qsizetype(2));
    QCOMPARE(kept->sources[0].sheetId, first.id);
    QCOMPARE(kept->sources[0].rawMl, 40.0);
    QCOMPARE(kept->sources[1].sheetId, second.id);
    QCOMPARE(kept->sources[1].rawMl, 30.0);
    QCOMPARE(kept->stallion, u"Zeus"_s);
    QCOMPARE(kept->centrifugationG, 600.0);
    QCOMPARE(kept->centrifugationMinutes, 10.0);
    QCOMPARE(kept->strawVolumeMl, 0.5);
    QCOMPARE(kept->spermPerStraw, 100.0);
    QCOMPARE(kept->strawsMade, 40);
    QCOMPARE(kept->strawsPerDose, 8);
    QCOMPARE(kept->strawMarking, u"ZEUS 260307 B1"_s);
    QCOMPARE(kept->state, ReleaseState::Quarantine);
    QCOMPARE(kept->strawsUnplaced, 40);

    // The new batch is chosen, listed untested, and its sources named in its details.
    QCOMPARE(m_pane->chosenBatch(), m_batch);
    auto *list = child<QTableWidget>(m_pane, u"freezeBatches"_s);
    QStringList cells;
    for (int column = 2; column < list->columnCount(); ++column)
        cells << list->item(0, column)->text();
    QCOMPARE(cells,
             (QStringList{u"Zeus"_s, u"Quarantine"_s, u"40"_s, u"0"_s, u"40"_s, u"not tested"_s}));
    const QString details = child<QLabel>(m_pane, u"batchDetails"_s)->text();
    QVERIFY2(details.contains(u"collection %1 (%2): 40 ml raw"_s.arg(first.id).arg(
                 first.savedAt.toLocalTime().toString(u"yyyy-MM-dd"_s))),
             qPrintable(details));
    QVERIFY2(details.contains(u"collection %1"_s.arg(second.id) + u" ("_s), qPrintable(details));

    // The list follows the window's choice of stallion.
    auto *stallions = m_window->findChild<QTreeWidget *>(u"stallions"_s);
    const QList<QTreeWidgetItem *> abaco = stallions->findItems(u"Ábaco"_s, Qt::MatchExactly);
    QCOMPARE(abaco.size(), qsizetype(1));
    stallions->setCurrentItem(abaco.front());
    QTRY_COMPARE(list->rowCount(), 0);
    stallions->setCurrentItem(stallions->topLevelItem(0));
    QTRY_COMPARE(list->rowCount(), 1);
}

void TestRecordsFrozenWindow::typedTestAndRefusedRelease()
{
    QVERIFY(m_batch != 0);
    selectBatch(m_batch);
    QTest::mouseClick(child<QPushButton>(m_pane, u"thawTest"_s), Qt::LeftButton);
    QPointer<ThawTestDialog> dialog = shown<ThawTestDialog>();
    QVERIFY(dialog);
    child<QSpinBox>(dialog, u"strawsThawed"_s)->setValue(2);
    child<QDoubleSpinBox>(dialog, u"minutesAfterThaw"_s)->setValue(10);
    child<QDoubleSpinBox>(dialog, u"totalMotility"_s)->setValue(20);
    child<QDoubleSpinBox>(dialog, u"progressiveMotility"_s)->setValue(28);
    QCOMPARE(dialog->problem(), u"The progressive motility cannot be above the total motility."_s);
    child<QDoubleSpinBox>(dialog, u"totalMotility"_s)->setValue(55);
    child<QLineEdit>(dialog, u"vcl"_s)->setText(u"fast"_s);
    QCOMPARE(dialog->problem(), u"VCL is no velocity: give µm/s, such as 85.5, or nothing."_s);
    child<QLineEdit>(dialog, u"vcl"_s)->clear();
    child<QLineEdit>(dialog, u"bacteriology"_s)->setText(u"no growth"_s);
    QVERIFY2(okEnabled(dialog), qPrintable(dialog->problem()));
    clickOk(dialog);
    QTRY_VERIFY(!dialog);
    const QLabel *details = child<QLabel>(m_pane, u"batchDetails"_s);
    QTRY_VERIFY2(details->text().contains(u"2 thawed, after 10 min: 55 % motile, 28 % "
                                          "progressive; bacteriology: no growth (typed)"_s),
                 qPrintable(details->text()));
    const QList<ThawTest> tests = m_other->thawTests(m_batch);
    QCOMPARE(tests.size(), qsizetype(1));
    QCOMPARE(tests[0].strawsThawed, 2);
    QCOMPARE(tests[0].minutesAfterThaw, 10.0);
    QCOMPARE(tests[0].totalMotility, 55.0);
    QCOMPARE(tests[0].progressiveMotility, 28.0);
    QVERIFY(!tests[0].vcl);
    QCOMPARE(tests[0].bacteriology, u"no growth"_s);
    QCOMPARE(tests[0].source, u"typed"_s);
    QTRY_COMPARE(child<QTableWidget>(m_pane, u"freezeBatches"_s)->item(0, 7)->text(), u"28"_s);

    // 28 % is below the station's 30 %: the journal says no, and the dialog shows its words.
    QTest::mouseClick(child<QPushButton>(m_pane, u"release"_s), Qt::LeftButton);
    QPointer<ReleaseDialog> release = shown<ReleaseDialog>();
    QVERIFY(release);
    QCOMPARE(child<QLabel>(release, u"threshold"_s)->text(),
             u"The station releases a batch whose post-thaw progressive motility is at least "
             "30 %. Its latest test: 28 % progressive."_s);
    release->setState(ReleaseState::Released);
    QVERIFY2(okEnabled(release), qPrintable(release->problem()));
    ReleaseChange attempt = release->change();
    const JournalError expected = m_other->changeReleaseState(attempt);
    QCOMPARE(expected.kind, JournalError::Kind::Refused);
    QSignalSpy refused(release.data(), &ReleaseDialog::refused);
    clickOk(release);
    QTRY_COMPARE(refused.count(), 1);
    QPointer<QMessageBox> box = shown<QMessageBox>();
    QVERIFY(box);
    QCOMPARE(box->objectName(), u"journalProblem"_s);
    QCOMPARE(box->text(), expected.reason);
    QVERIFY(release->isVisible()); // left open to hold it instead
    box->accept();
    // On hold wants a reason.
    release->setState(ReleaseState::OnHold);
    QCOMPARE(release->problem(), u"Give the reason: it is kept with the batch."_s);
    release->reject();
    QTRY_VERIFY(!release);
    QCOMPARE(m_other->freezeBatch(m_batch)->state, ReleaseState::Quarantine);
    QVERIFY(m_other->releaseChanges(m_batch).isEmpty());
}

void TestRecordsFrozenWindow::importedTestAndRelease()
{
    // Headers no guess could place: only the operator's mapping reads them.
    const QString csv = m_dir.filePath(u"thaw-run.csv"_s);
    QFile file(csv);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Sample;A1;A2;V1;V2;V3\r\n"
               "1;60,0;40,0;120;60;80\r\n"
               "2;58,0;36,0;110;50;70\r\n"
               "Mean;59;38;115;55;75\r\n");
    file.close();

    selectBatch(m_batch);
    QTest::mouseClick(child<QPushButton>(m_pane, u"thawTest"_s), Qt::LeftButton);
    QPointer<ThawTestDialog> dialog = shown<ThawTestDialog>();
    QVERIFY(dialog);
    QSignalSpy imported(dialog.data(), &ThawTestDialog::imported);
    dialog->importFile(csv);
    QPointer<AnalysisMappingDialog> mapping = shown<AnalysisMappingDialog>();
    QVERIFY(mapping);
    QCOMPARE(mapping->problem(), u"Name the instrument the file comes from."_s);
    child<QComboBox>(mapping, u"instrument"_s)->setEditText(kInstrument);
    QCOMPARE(mapping->problem(),
             u"Choose the columns of the motility and the progressive motility."_s);
    const QStringList figures{u"motility"_s, u"progressive"_s, u"vcl"_s, u"vsl"_s, u"vap"_s};
    const QStringList headers{u"A1"_s, u"A2"_s, u"V1"_s, u"V2"_s, u"V3"_s};
    for (qsizetype at = 0; at < figures.size(); ++at) {
        auto *column = child<QComboBox>(mapping, figures[at]);
        column->setCurrentIndex(column->findData(headers[at]));
    }
    QVERIFY2(okEnabled(mapping), qPrintable(mapping->problem()));
    clickOk(mapping);
    QTRY_COMPARE(imported.count(), 1);
    // The mean of the two rows of figures; the instrument's own mean row is not a third.
    QCOMPARE(child<QDoubleSpinBox>(dialog, u"totalMotility"_s)->value(), 59.0);
    QCOMPARE(child<QDoubleSpinBox>(dialog, u"progressiveMotility"_s)->value(), 38.0);
    QCOMPARE(child<QLineEdit>(dialog, u"vcl"_s)->text(), u"115"_s);
    QCOMPARE(child<QLineEdit>(dialog, u"vap"_s)->text(), u"75"_s);
    QCOMPARE(child<QLabel>(dialog, u"source"_s)->text(),
             u"Imported from thaw-run.csv (Lab analyser 2): the mean of 2 rows."_s);
    clickOk(dialog);
    QTRY_VERIFY(!dialog);
    const QLabel *details = child<QLabel>(m_pane, u"batchDetails"_s);
    QTRY_VERIFY2(details->text().contains(u"59 % motile, 38 % progressive; VCL 115, VSL 55, "
                                          "VAP 75 µm/s (thaw-run.csv)"_s),
                 qPrintable(details->text()));
    const QList<ThawTest> tests = m_other->thawTests(m_batch);
    QCOMPARE(tests.size(), qsizetype(2));
    QCOMPARE(tests[1].source, u"thaw-run.csv"_s);
    QCOMPARE(tests[1].progressiveMotility, 38.0);
    QCOMPARE(tests[1].vsl.value_or(-1), 55.0);

    // The next file of the same instrument is read the same way without asking anew.
    QTest::mouseClick(child<QPushButton>(m_pane, u"thawTest"_s), Qt::LeftButton);
    dialog = shown<ThawTestDialog>();
    QVERIFY(dialog);
    dialog->importFile(csv);
    mapping = shown<AnalysisMappingDialog>();
    QVERIFY(mapping);
    QCOMPARE(mapping->instrument(), kInstrument);
    QCOMPARE(mapping->columns(), headers);
    mapping->reject();
    dialog->reject();
    QTRY_VERIFY(!dialog);

    // 38 % passes: released, and the change kept with who and when.
    QTest::mouseClick(child<QPushButton>(m_pane, u"release"_s), Qt::LeftButton);
    QPointer<ReleaseDialog> release = shown<ReleaseDialog>();
    QVERIFY(release);
    release->setState(ReleaseState::Released);
    clickOk(release);
    QTRY_VERIFY(!release);
    QTRY_COMPARE(m_pane->shownBatch().value_or(FreezeBatch{}).state, ReleaseState::Released);
    QCOMPARE(m_other->freezeBatch(m_batch)->state, ReleaseState::Released);
    const QList<ReleaseChange> changes = m_other->releaseChanges(m_batch);
    QCOMPARE(changes.size(), qsizetype(1));
    QCOMPARE(changes[0].state, ReleaseState::Released);
    QVERIFY(!changes[0].operatorName.isEmpty());
    QVERIFY(child<QLabel>(m_pane, u"batchDetails"_s)->text().contains(u": Released by "_s));
}

void TestRecordsFrozenWindow::strawsPerDoseFromTheTest()
{
    // His latest post-thaw test (38 % progressive) gives the next batch its straws per dose,
    // worked out again as the figures change.
    selectSheet(m_sheets[kOtherZeus].id);
    trigger(u"newFreezeBatch"_s);
    QPointer<FreezeBatchDialog> dialog = shown<FreezeBatchDialog>();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isReady());
    child<QDoubleSpinBox>(dialog, u"finalConcentration"_s)->setValue(200);
    for (const double target : {250.0, 500.0}) {
        child<QDoubleSpinBox>(dialog, u"targetPerDose"_s)->setValue(target);
        const StrawsPerDose expected = strawsPerDose(100, 38, target);
        QVERIFY(expected.straws > 0);
        const QString shown = dialog->arithmetic();
        QVERIFY2(shown.startsWith(u"From his latest post-thaw progressive motility of 38 %:"_s),
                 qPrintable(shown));
        for (const QString &line : expected.arithmetic)
            QVERIFY2(shown.contains(line), qPrintable(line + u" in: "_s + shown));
        QCOMPARE(child<QSpinBox>(dialog, u"strawsPerDose"_s)->toolTip(),
                 u"The arithmetic gives %1."_s.arg(expected.straws));
        QCOMPARE(child<QSpinBox>(dialog, u"strawsPerDose"_s)->value(), expected.straws);
    }
    // A figure the operator typed is his: the arithmetic no longer fills it in.
    child<QSpinBox>(dialog, u"strawsPerDose"_s)->setValue(9);
    child<QDoubleSpinBox>(dialog, u"targetPerDose"_s)->setValue(250);
    QCOMPARE(child<QSpinBox>(dialog, u"strawsPerDose"_s)->value(), 9);
    QCOMPARE(child<QSpinBox>(dialog, u"strawsPerDose"_s)->toolTip(),
             u"The arithmetic gives %1."_s.arg(strawsPerDose(100, 38, 250).straws));
    dialog->reject();
    QTRY_VERIFY(!dialog);
}

void TestRecordsFrozenWindow::placeAndMoveInBulk()
{
    selectBatch(m_batch);
    const auto place
        = [this](int canister, const QString &goblet, const QString &cane, int straws) {
              QTest::mouseClick(child<QPushButton>(m_pane, u"placeStraws"_s), Qt::LeftButton);
              QPointer<StrawsDialog> dialog = shown<StrawsDialog>();
              QVERIFY(dialog);
              QCOMPARE(dialog->form(), StrawsDialog::Form::Place);
              QTRY_VERIFY(dialog->isReady());
              setPosition(child<QWidget>(dialog, u"to"_s), m_tankA, canister, goblet, cane);
              const int unplaced = m_pane->shownBatch()->strawsUnplaced;
              child<QSpinBox>(dialog, u"straws"_s)->setValue(unplaced + 1);
              QCOMPARE(dialog->problem(),
                       u"Only %1 straws of this batch are not placed."_s.arg(unplaced));
              child<QSpinBox>(dialog, u"straws"_s)->setValue(straws);
              QVERIFY2(okEnabled(dialog), qPrintable(dialog->problem()));
              clickOk(dialog);
              QTRY_VERIFY(!dialog);
              QTRY_COMPARE(m_pane->shownBatch()->strawsUnplaced, unplaced - straws);
          };
    place(1, u"G1"_s, u"C1"_s, 30);
    place(2, u"G2"_s, QString(), 10);
    QList<Placement> placed = m_other->placementsOfBatch(m_batch);
    QCOMPARE(placed.size(), qsizetype(2));
    const StrawPosition first{m_tankA.id, 1, u"G1"_s, u"C1"_s};
    const StrawPosition second{m_tankA.id, 2, u"G2"_s, QString()};
    for (const Placement &placement : placed)
        QCOMPARE(placement.straws, placement.position == first ? 30 : 10);
    QCOMPARE(m_other->freezeBatch(m_batch)->strawsUnplaced, 0);
    QTRY_COMPARE(m_pane->placements().size(), qsizetype(2));
    QVERIFY(!child<QPushButton>(m_pane, u"placeStraws"_s)->isEnabled()); // none left

    // Another workstation puts a second batch of his into the same cane.
    FreezeBatch other;
    other.sources = {{m_sheets[kLastZeus].id, 10}};
    other.extender = u"Lactose-EDTA"_s;
    other.finalConcentration = 150;
    other.strawVolumeMl = 0.5;
    other.strawsMade = 20;
    other.strawsPerDose = 10;
    QCOMPARE(m_other->recordFreezeBatch(other).reason, QString());
    QCOMPARE(
        m_other->moveStraws({{other.id, StrawMoveKind::Placed, std::nullopt, first, 20}}).reason,
        QString());

    // Everything in that cane goes to Tank B at once, whichever batch it is of.
    auto *positions = child<QTableWidget>(m_pane, u"placements"_s);
    for (int row = 0; row < positions->rowCount(); ++row) {
        if (positions->item(row, 3)->text() == u"C1"_s)
            positions->selectRow(row);
    }
    QCOMPARE(m_pane->chosenPosition().value_or(StrawPosition{}), first);
    QTest::mouseClick(child<QPushButton>(m_pane, u"moveStraws"_s), Qt::LeftButton);
    QPointer<StrawsDialog> dialog = shown<StrawsDialog>();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isReady());
    QCOMPARE(child<QComboBox>(dialog, u"from"_s)->currentText(),
             u"Tank A, canister 1, goblet G1, cane C1: 30 of this batch, 50 in all"_s);
    QCOMPARE(child<QSpinBox>(dialog, u"straws"_s)->value(), 30); // all of this batch there
    const StrawPosition target{m_tankB.id, 3, u"G9"_s, u"C9"_s};
    setPosition(child<QWidget>(dialog, u"to"_s), m_tankB, 3, u"G9"_s, u"C9"_s);
    child<QSpinBox>(dialog, u"straws"_s)->setValue(31);
    QCOMPARE(dialog->problem(), u"Only 30 straws of this batch are there."_s);
    child<QCheckBox>(dialog, u"everything"_s)->setChecked(true);
    QCOMPARE(dialog->moves().size(), qsizetype(2));
    QVERIFY2(okEnabled(dialog), qPrintable(dialog->problem()));
    QSignalSpy moved(dialog.data(), &StrawsDialog::moved);
    clickOk(dialog);
    QTRY_COMPARE(moved.count(), 1);
    QTRY_VERIFY(!dialog);

    QHash<qint64, int> inB;
    for (const Placement &placement : m_other->placementsInTank(m_tankB.id)) {
        QCOMPARE(placement.position, target);
        inB[placement.batchId] += placement.straws;
    }
    QCOMPARE(inB.value(m_batch), 30);
    QCOMPARE(inB.value(other.id), 20);
    const QList<Placement> inA = m_other->placementsInTank(m_tankA.id);
    QCOMPARE(inA.size(), qsizetype(1));
    QCOMPARE(inA[0].position, second);
    QCOMPARE(inA[0].straws, 10);
}

void TestRecordsFrozenWindow::dispatchStraws()
{
    // Straws of a batch still in quarantine stay in the tank.
    const QList<FreezeBatch> his = m_other->freezeBatches(u"Zeus"_s);
    QCOMPARE(his.size(), qsizetype(2));
    QCOMPARE(his.front().state, ReleaseState::Quarantine);
    selectBatch(his.front().id);
    QVERIFY(!child<QPushButton>(m_pane, u"dispatchStraws"_s)->isEnabled());
    QVERIFY(!child<QPushButton>(m_pane, u"useStraws"_s)->isEnabled());
    StrawsOutDialog held(nullptr, StrawsOutDialog::Form::Use, his.front(),
                         m_other->placementsOfBatch(his.front().id));
    QCOMPARE(held.problem(),
             u"Only straws of a released batch leave the station: this one is in quarantine."_s);

    selectBatch(m_batch);
    const StrawPosition from{m_tankA.id, 2, u"G2"_s, QString()};
    auto *positions = child<QTableWidget>(m_pane, u"placements"_s);
    for (int row = 0; row < positions->rowCount(); ++row) {
        if (positions->item(row, 2)->text() == u"G2"_s)
            positions->selectRow(row);
    }
    auto *dispatch = child<QPushButton>(m_pane, u"dispatchStraws"_s);
    QTRY_VERIFY(dispatch->isEnabled());
    QTest::mouseClick(dispatch, Qt::LeftButton);
    QPointer<StrawsOutDialog> dialog = shown<StrawsOutDialog>();
    QVERIFY(dialog);
    QCOMPARE(child<QComboBox>(dialog, u"from"_s)->currentText(),
             u"Tank A, canister 2, goblet G2: 10 straws"_s);
    QCOMPARE(child<QSpinBox>(dialog, u"straws"_s)->value(), 8); // a dose
    QCOMPARE(dialog->problem(), u"Say to whom the straws go."_s);
    child<QLineEdit>(dialog, u"consignee"_s)->setText(u"Haras du Pin"_s);
    child<QSpinBox>(dialog, u"straws"_s)->setValue(11);
    QCOMPARE(dialog->problem(), u"Only 10 straws are there."_s);
    child<QSpinBox>(dialog, u"straws"_s)->setValue(8);
    child<QLineEdit>(dialog, u"country"_s)->setText(u"fr"_s);
    child<QLineEdit>(dialog, u"container"_s)->setText(u"Dry shipper 2"_s);
    QVERIFY2(okEnabled(dialog), qPrintable(dialog->problem()));
    QSignalSpy recorded(dialog.data(), &StrawsOutDialog::recorded);
    clickOk(dialog);
    QTRY_COMPARE(recorded.count(), 1);
    QTRY_VERIFY(!dialog);
    const qint64 id = recorded.at(0).at(0).value<Movement>().id;

    QList<Placement> left;
    for (const Placement &placement : m_other->placementsOfBatch(m_batch)) {
        if (placement.position == from)
            left << placement;
    }
    QCOMPARE(left.size(), qsizetype(1));
    QCOMPARE(left[0].straws, 2);
    QCOMPARE(m_other->freezeBatch(m_batch)->strawsStored, 32);
    const std::optional<Movement> out = m_other->movement(id);
    QVERIFY(out);
    QCOMPARE(out->freezeBatchId, m_batch);
    QCOMPARE(out->sheetId, m_sheets[kPooledFirst].id);
    QCOMPARE(out->kind, MovementKind::Dispatched);
    QCOMPARE(out->doses, qint64(8));
    QCOMPARE(out->consignee, u"Haras du Pin"_s);
    QCOMPARE(out->country, u"FR"_s);
    QCOMPARE(out->container, u"Dry shipper 2"_s);
    QCOMPARE(out->fromTankId, m_tankA.id);
    QCOMPARE(out->fromCanister, 2);
    QCOMPARE(out->fromGoblet, u"G2"_s);
}

void TestRecordsFrozenWindow::reportsFromTheMenu()
{
    selectBatch(m_batch);
    QSignalSpy written(m_pane, &FrozenPane::reportWritten);
    const auto save = [this](const QString &action, const QString &fileName) {
        trigger(action);
        QPointer<QFileDialog> file = shown<QFileDialog>();
        QVERIFY(file);
        QCOMPARE(file->acceptMode(), QFileDialog::AcceptSave);
        file->selectFile(fileName);
        static_cast<QDialog *>(file.data())->accept(); // as the Save button does
    };

    // Batch 1 has 30 straws in Tank B and 2 in Tank A, the second batch 20 in Tank B.
    const QString csv = m_dir.filePath(u"inventory.csv"_s);
    save(u"inventoryTankCsv"_s, csv);
    QTRY_COMPARE_WITH_TIMEOUT(written.count(), 1, 30000);
    ExportOutcome outcome = written.at(0).at(1).value<ExportOutcome>();
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
    QCOMPARE(written.at(0).at(0).toString(), csv);
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QStringList> rows = parseCsv(file.readAll());
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows.front(), inventoryColumns());
    QHash<QString, QString> straws; // tank and batch -> straws
    for (const QStringList &row : rows.mid(1))
        straws.insert(row.at(1) + u'/' + row.at(3), row.at(6));
    QCOMPARE(straws.value(u"Tank B/%1"_s.arg(m_batch)), u"30"_s);
    QCOMPARE(straws.value(u"Tank A/%1"_s.arg(m_batch)), u"2"_s);
    QCOMPARE(child<QLabel>(m_pane, u"frozenNote"_s)->text(), inventoryOutcomeText(outcome));

    // A label a position of the chosen batch.
    const QString labels = m_dir.filePath(u"canes.pdf"_s);
    save(u"caneLabels"_s, labels);
    QTRY_COMPARE_WITH_TIMEOUT(written.count(), 2, 30000);
    outcome = written.at(1).at(1).value<ExportOutcome>();
    QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
    QCOMPARE(outcome.rows, qint64(2));
    QCOMPARE(pdfInfo(labels, u"Pages"_s), u"2"_s);
}

void TestRecordsFrozenWindow::tankDueUntilChecked()
{
    const QString due = u"Tank A is due for a level check: last checked 10 days ago."_s;
    QTRY_VERIFY2(reminder().contains(due), qPrintable(reminder()));
    QVERIFY(!reminder().contains(u"Tank B"_s));

    trigger(u"tanksAction"_s);
    QPointer<TanksDialog> tanks = shown<TanksDialog>();
    QVERIFY(tanks);
    auto *list = child<QTableWidget>(tanks, u"tanks"_s);
    QTRY_COMPARE(list->rowCount(), 2);
    QCOMPARE(list->item(0, 5)->text(), u"check due"_s);
    QCOMPARE(list->item(1, 5)->text(), u"fine"_s);

    tanks->chooseTank(m_tankA.id);
    QTest::mouseClick(child<QPushButton>(tanks, u"checkTank"_s), Qt::LeftButton);
    QPointer<TankCheckDialog> check = shown<TankCheckDialog>();
    QVERIFY(check);
    child<QDoubleSpinBox>(check, u"level"_s)->setValue(35);
    child<QCheckBox>(check, u"refilled"_s)->setChecked(true);
    QSignalSpy changed(tanks.data(), &TanksDialog::tanksChanged);
    clickOk(check);
    QTRY_COMPARE(changed.count(), 1);
    QTRY_VERIFY2(!reminder().contains(u"Tank A"_s), qPrintable(reminder()));
    const QList<TankCheck> checks = m_other->tankChecks(m_tankA.id);
    QCOMPARE(checks.size(), qsizetype(2));
    QCOMPARE(checks.front().levelCm, 35.0);
    QVERIFY(checks.front().refilled);
    QTRY_COMPARE(list->item(0, 5)->text(), u"fine"_s);
    QTRY_COMPARE(child<QTableWidget>(tanks, u"checks"_s)->rowCount(), 2);

    // A new tank is due until its first check, and a low level is said until it is topped up.
    QTest::mouseClick(child<QPushButton>(tanks, u"addTank"_s), Qt::LeftButton);
    QPointer<TankEditDialog> add = shown<TankEditDialog>();
    QVERIFY(add);
    QCOMPARE(add->problem(), u"Name the tank, as it is marked."_s);
    child<QLineEdit>(add, u"name"_s)->setText(u"  Tank   C "_s);
    child<QSpinBox>(add, u"canisters"_s)->setValue(4);
    clickOk(add);
    QTRY_VERIFY(!add);
    QTRY_VERIFY2(reminder().contains(u"Tank C has no level check yet."_s), qPrintable(reminder()));
    QTRY_COMPARE(list->rowCount(), 3);
    const QList<Tank> kept = m_other->tanks();
    QCOMPARE(kept.size(), qsizetype(3));
    QCOMPARE(kept[2].name, u"Tank C"_s);
    QCOMPARE(kept[2].canisters, 4);
    QCOMPARE(tanks->chosenTank(), kept[2].id);
    QTest::mouseClick(child<QPushButton>(tanks, u"editTank"_s), Qt::LeftButton);
    add = shown<TankEditDialog>();
    QVERIFY(add);
    QCOMPARE(child<QLineEdit>(add, u"name"_s)->text(), u"Tank C"_s);
    child<QLineEdit>(add, u"location"_s)->setText(u"Lab cellar"_s);
    clickOk(add);
    QTRY_VERIFY(!add);
    QTRY_COMPARE(list->item(2, 1)->text(), u"Lab cellar"_s);
    QCOMPARE(m_other->tanks().at(2).location, u"Lab cellar"_s);

    QTest::mouseClick(child<QPushButton>(tanks, u"checkTank"_s), Qt::LeftButton);
    check = shown<TankCheckDialog>();
    QVERIFY(check);
    child<QDoubleSpinBox>(check, u"level"_s)->setValue(3);
    QCOMPARE(child<QLabel>(check, u"problem"_s)->text(),
             u"Below the lowest safe level of 5 cm: refill the tank."_s);
    clickOk(check);
    QTRY_VERIFY(!check);
    QTRY_VERIFY2(reminder().contains(u"Tank C is low: 3 cm of liquid nitrogen, below 5 cm."_s),
                 qPrintable(reminder()));
    QVERIFY(!reminder().contains(u"Tank C has no level check yet."_s));
    tanks->reject();
    QTRY_VERIFY(!tanks);
}

void TestRecordsFrozenWindow::lowStock()
{
    // 32 released straws of 8 a dose make 4 doses, fewer than the station's 10.
    const QString low = u"Zeus is low in frozen stock: 4 released doses left."_s;
    QTRY_VERIFY2(reminder().contains(low), qPrintable(reminder()));
    FrozenSettings settings = m_other->frozenSettings().value_or(FrozenSettings{});
    settings.lowStockDoses = 4;
    QCOMPARE(m_other->setFrozenSettings(settings).reason, QString());
    // Another workstation's save: the window hears of it and says no more.
    QTRY_VERIFY2(!reminder().contains(u"Zeus"_s), qPrintable(reminder()));
    settings.lowStockDoses = 5;
    QCOMPARE(m_other->setFrozenSettings(settings).reason, QString());
    QTRY_VERIFY2(reminder().contains(low), qPrintable(reminder()));
}

QTEST_MAIN(TestRecordsFrozenWindow)
#include "tst_records_frozen_window.moc"
