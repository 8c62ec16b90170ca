// The register from the records window, offscreen over a SQLite journal of generated sheets: the
// doses of a collection moved through the dialogs and checked against a second connection, a
// move another workstation made impossible meanwhile, the stallion register (an unknown name
// registered, a rename and a merge that keep the history), the containers out, the station's
// profile and the scan field a barcode scanner types into.
#include "containers_dialog.h"
#include "dose_code.h"
#include "doses_pane.h"
#include "movement_dialog.h"
#include "records_fixture.h"
#include "records_window.h"
#include "register_export.h"
#include "scan_field.h"
#include "sheet_table_model.h"
#include "stallion_dialog.h"
#include "station_dialog.h"

#include <QTemporaryDir>
#include <QtWidgets>

using namespace estrivo;
using namespace recordstest;

Q_DECLARE_METATYPE(estrivo::MovementForm)

namespace {

constexpr int kRegisterSheets = 60;
const QString kApproval = u"DE-EQ-0042"_s;
const QString kUeln = u"276009090123456"_s;
const QString kOtherUeln = u"250001000012345"_s;

} // namespace

class TestRecordsRegisterWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void movementDialogChecks_data();
    void movementDialogChecks();
    void dispatchThroughTheDialog();
    void refusalSaysWhatRemains();
    void reverseKeepsTheMovement();
    void returnOfADispatch();
    void anotherWorkstationsMoveShows();
    void registerAnUnknownName();
    void renameAndMergeKeepHistory();
    void containersOutAndBack();
    void stationProfile_data();
    void stationProfile();
    void scan_data();
    void scan();
    void scanOfASheetNotInTheList();
    void cleanupTestCase() { m_window.reset(); }

private:
    // The first sheet of `stallion` that made at least `doses` doses and was not used yet.
    SheetRecord freshSheet(const QString &stallion, qint64 doses = 4);
    // Chooses the sheet's row and waits until its doses are shown.
    void select(qint64 id);
    // The dialog of type T the window shows now; null when none comes up.
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
    template<typename T> T *child(QObject *parent, const QString &name) const
    {
        return parent->findChild<T *>(name);
    }
    QString paneText(const QString &name) const { return child<QLabel>(m_pane, name)->text(); }
    // The cells of the list's row of movement `id`, from its number to its operator.
    QStringList movementRow(qint64 id) const;
    void setLine(QWidget *dialog, const QString &name, const QString &text)
    {
        auto *line = child<QLineEdit>(dialog, name);
        QVERIFY2(line, qPrintable(name));
        line->setText(text);
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

    QTemporaryDir m_dir;
    QString m_journal;
    QList<SheetRecord> m_sheets;
    QSet<qint64> m_used;              // sheets a test has moved doses of
    std::unique_ptr<Journal> m_other; // another workstation on the same file
    std::unique_ptr<RecordsWindow> m_window;
    QTableView *m_table = nullptr;
    DosesPane *m_pane = nullptr;
    ScanField *m_scan = nullptr;
};

void TestRecordsRegisterWindow::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    QVERIFY(m_dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath(u"config"_s));
    qunsetenv("ESTRIVO_JOURNAL");
    m_journal = m_dir.filePath(u"journal.sqlite"_s);
    m_sheets = fillJournal(m_journal, kRegisterSheets);
    QCOMPARE(m_sheets.size(), kRegisterSheets);
    m_other = std::make_unique<Journal>(m_journal);
    QVERIFY(m_other->open().ok());
    StationProfile station;
    station.name = u"Gestüt Nordheide"_s;
    station.approval = kApproval;
    station.marking = StationProfile::Marking::Eu;
    QCOMPARE(m_other->setStationProfile(station).reason, QString());

    m_window = std::make_unique<RecordsWindow>(m_journal);
    QSignalSpy opened(m_window.get(), &RecordsWindow::journalOpened);
    m_window->show();
    QVERIFY(opened.wait());
    m_table = m_window->findChild<QTableView *>(u"collections"_s);
    m_pane = m_window->findChild<DosesPane *>();
    m_scan = m_window->findChild<ScanField *>();
    QVERIFY(m_table && m_pane && m_scan);
    QTRY_COMPARE(m_table->model()->rowCount(), kRegisterSheets);
}

SheetRecord TestRecordsRegisterWindow::freshSheet(const QString &stallion, qint64 doses)
{
    for (const SheetRecord &sheet : std::as_const(m_sheets)) {
        if (sheet.stallion == stallion && !m_used.contains(sheet.id)
            && dosesMade(sheet.text(Field::NumDoses)) >= doses) {
            m_used.insert(sheet.id);
            return sheet;
        }
    }
    return {};
}

void TestRecordsRegisterWindow::select(qint64 id)
{
    QVERIFY(id != 0);
    auto *model = static_cast<SheetTableModel *>(m_table->model());
    const int row = model->rowOf(id);
    QVERIFY2(row >= 0, qPrintable(QString::number(id)));
    if (m_table->currentIndex().row() == row && m_pane->sheetId() == id && m_pane->batch())
        return; // chosen already
    QSignalSpy shown(m_pane, &DosesPane::batchShown);
    m_table->setCurrentIndex(model->index(row, 0));
    QTRY_COMPARE(m_pane->batch().value_or(DoseBatch{}).sheetId, id);
    QTRY_VERIFY(!shown.isEmpty());
}

QStringList TestRecordsRegisterWindow::movementRow(qint64 id) const
{
    auto *list = child<QTableWidget>(m_pane, u"movements"_s);
    for (int row = 0; row < list->rowCount(); ++row) {
        if (list->item(row, 0)->text() == QString::number(id)) {
            QStringList cells;
            for (int column = 0; column < list->columnCount(); ++column)
                cells << list->item(row, column)->text();
            return cells;
        }
    }
    return {};
}

void TestRecordsRegisterWindow::movementDialogChecks_data()
{
    // Each rule the dialog checks before the journal does, with the line that says why.
    QTest::addColumn<MovementForm>("form");
    QTest::addColumn<QStringList>("fields"); // object name, text; ...
    QTest::addColumn<int>("doses");
    QTest::addColumn<QString>("problem");
    const QStringList dispatch{u"consignee"_s, u"Haras du Pin"_s};
    QTest::newRow("dispatch, all well") << MovementForm::Dispatch << dispatch << 3 << QString();
    QTest::newRow("dispatch, to nobody")
        << MovementForm::Dispatch << QStringList() << 1 << u"Say to whom the doses go."_s;
    QTest::newRow("dispatch, blank consignee")
        << MovementForm::Dispatch << QStringList{u"consignee"_s, u"   "_s} << 1
        << u"Say to whom the doses go."_s;
    QTest::newRow("dispatch, more than remain")
        << MovementForm::Dispatch << dispatch << 6 << u"Only 5 doses remain."_s;
    QTest::newRow("dispatch, none")
        << MovementForm::Dispatch << dispatch << 0 << u"Give the number of doses."_s;
    QTest::newRow("dispatch, country unknown")
        << MovementForm::Dispatch << (dispatch + QStringList{u"country"_s, u"XZ"_s}) << 1
        << u"XZ is no ISO 3166 country code (two letters, such as DE)."_s;
    QTest::newRow("dispatch, country in lower case")
        << MovementForm::Dispatch << (dispatch + QStringList{u"country"_s, u"fr"_s}) << 1
        << QString();
    QTest::newRow("dispatch, mare's UELN too short")
        << MovementForm::Dispatch << (dispatch + QStringList{u"mareUeln"_s, u"27600909"_s}) << 1
        << u"Mare's UELN: "_s + uelnProblem(u"27600909"_s);
    QTest::newRow("dispatch, mare's UELN with blanks")
        << MovementForm::Dispatch
        << (dispatch + QStringList{u"mareUeln"_s, u"276 009 090123456"_s}) << 1 << QString();
    QTest::newRow("use, no mare") << MovementForm::Use << QStringList() << 1
                                  << u"Name the mare."_s;
    QTest::newRow("use, mare") << MovementForm::Use << QStringList{u"mare"_s, u"Belle"_s} << 5
                               << QString();
    QTest::newRow("destroy, no reason") << MovementForm::Destroy << QStringList() << 1
                                        << u"Give the reason: the register keeps it."_s;
    QTest::newRow("destroy, reason")
        << MovementForm::Destroy << QStringList{u"reason"_s, u"thawed"_s} << 2 << QString();
    QTest::newRow("adjust, no change")
        << MovementForm::Adjust << QStringList{u"reason"_s, u"recount"_s} << 0
        << u"Give the change in doses, below zero for fewer."_s;
    QTest::newRow("adjust, below nothing")
        << MovementForm::Adjust << QStringList{u"reason"_s, u"recount"_s} << -6
        << u"At most 5 doses can be taken away: what remains."_s;
    QTest::newRow("adjust, above what was made")
        << MovementForm::Adjust << QStringList{u"reason"_s, u"recount"_s} << 1
        << u"Adjustments cannot raise the doses above the 8 the collection made."_s;
    QTest::newRow("adjust, fewer filled")
        << MovementForm::Adjust << QStringList{u"reason"_s, u"two straws cracked"_s} << -2
        << QString();
}

void TestRecordsRegisterWindow::movementDialogChecks()
{
    QFETCH(MovementForm, form);
    QFETCH(QStringList, fields);
    QFETCH(int, doses);
    QFETCH(QString, problem);
    DoseBatch batch;
    batch.sheetId = 7;
    batch.produced = 8;
    batch.remaining = 5;
    MovementDialog dialog(nullptr, form, batch);
    for (qsizetype at = 0; at + 1 < fields.size(); at += 2)
        setLine(&dialog, fields[at], fields[at + 1]);
    child<QSpinBox>(&dialog, u"doses"_s)->setValue(doses);
    QCOMPARE(dialog.problem(), problem);
    QCOMPARE(child<QLabel>(&dialog, u"problem"_s)->text(), problem);
    QCOMPARE(okEnabled(&dialog), problem.isEmpty());
    if (problem.isEmpty()) {
        // What the journal is handed: normalised, never padded.
        const Movement wanted = dialog.movement();
        QCOMPARE(wanted.sheetId, qint64(7));
        QCOMPARE(wanted.doses, qint64(doses));
        QVERIFY(wanted.country.isEmpty() || wanted.country == u"FR"_s);
        QVERIFY(wanted.mareUeln.isEmpty() || wanted.mareUeln == kUeln);
        QVERIFY(!wanted.uid.isEmpty());
    }
}

void TestRecordsRegisterWindow::dispatchThroughTheDialog()
{
    const SheetRecord sheet = freshSheet(u"Zeus"_s);
    const qint64 made = dosesMade(sheet.text(Field::NumDoses));
    select(sheet.id);
    QCOMPARE(paneText(u"doseCounts"_s), u"%1 doses made, %1 remain."_s.arg(made));
    QCOMPARE(child<QTableWidget>(m_pane, u"movements"_s)->rowCount(), 0);

    QTest::mouseClick(child<QPushButton>(m_pane, u"dispatchDoses"_s), Qt::LeftButton);
    QPointer<MovementDialog> dialog = shown<MovementDialog>();
    QVERIFY(dialog);
    QCOMPARE(dialog->form(), MovementForm::Dispatch);
    QVERIFY(!okEnabled(dialog)); // no consignee yet
    child<QSpinBox>(dialog, u"doses"_s)->setValue(2);
    setLine(dialog, u"consignee"_s, u"Haras du Pin"_s);
    setLine(dialog, u"mare"_s, u"Belle de Mai"_s);
    setLine(dialog, u"mareUeln"_s, u"250 001 000012345"_s);
    setLine(dialog, u"address"_s, u"Le Pin-au-Haras, 61310"_s);
    setLine(dialog, u"country"_s, u"FR"_s);
    setLine(dialog, u"vet"_s, u"Dr. Lefèvre"_s);
    setLine(dialog, u"carrier"_s, u"Equi-Express"_s);
    setLine(dialog, u"tracking"_s, u"EE123456789FR"_s);
    setLine(dialog, u"container"_s, u"Dry shipper 4"_s);
    child<QCheckBox>(dialog, u"dueBackOn"_s)->setChecked(true);
    const QDate dueBack = QDate::currentDate().addDays(10);
    child<QDateEdit>(dialog, u"dueBack"_s)->setDate(dueBack);
    QVERIFY2(okEnabled(dialog), qPrintable(dialog->problem()));
    QSignalSpy recorded(m_pane, &DosesPane::movementRecorded);
    clickOk(dialog);
    QVERIFY(recorded.wait());
    QTRY_VERIFY(!dialog);
    const Movement kept = recorded.takeFirst().at(0).value<Movement>();

    // The pane reads the batch again: fewer remain, and the dispatch is listed on top.
    QTRY_COMPARE(paneText(u"doseCounts"_s),
                 u"%1 doses made, %2 remain."_s.arg(made).arg(made - 2));
    const QStringList row = movementRow(kept.id);
    QCOMPARE(row.mid(2, 3),
             (QStringList{u"Dispatched"_s, u"-2"_s, u"Haras du Pin, mare Belle de Mai, FR"_s}));
    QCOMPARE(row.at(5), u"Dry shipper 4"_s);
    QCOMPARE(m_pane->chosenMovement(), kept.id);

    // Another connection reads what the dialog was given.
    const std::optional<DoseBatch> batch = m_other->doseBatch(sheet.id);
    QVERIFY(batch);
    QCOMPARE(batch->remaining, made - 2);
    QCOMPARE(batch->movements.size(), qsizetype(1));
    const Movement &movement = batch->movements.front();
    QCOMPARE(movement.kind, MovementKind::Dispatched);
    QCOMPARE(movement.doses, qint64(2));
    QCOMPARE(movement.consignee, u"Haras du Pin"_s);
    QCOMPARE(movement.mareUeln, kOtherUeln);
    QCOMPARE(movement.country, u"FR"_s);
    QCOMPARE(movement.vet, u"Dr. Lefèvre"_s);
    QCOMPARE(movement.tracking, u"EE123456789FR"_s);
    QCOMPARE(movement.dueBack, dueBack);
    QVERIFY(!movement.operatorName.isEmpty());
    QCOMPARE(row.at(1), movement.movedAt.toLocalTime().toString(u"yyyy-MM-dd HH:mm"_s));

    // The transport sheet that travels with it, written where the file dialog says.
    QCOMPARE(paneText(u"movementNote"_s),
             u"Dispatch %1 kept. Its transport sheet: Transport Sheet."_s.arg(kept.id));
    auto *transport = child<QPushButton>(m_pane, u"transportSheet"_s);
    QVERIFY(transport->isEnabled());
    QTest::mouseClick(transport, Qt::LeftButton);
    QPointer<QFileDialog> file = shown<QFileDialog>();
    QVERIFY(file);
    const QString pdf = m_dir.filePath(u"transport.pdf"_s);
    QSignalSpy written(m_pane, &DosesPane::transportSheetWritten);
    file->selectFile(pdf);
    static_cast<QDialog *>(file.data())->accept(); // as the Save button does
    QVERIFY(written.wait(30000));
    const ExportOutcome outcome = written.at(0).at(1).value<ExportOutcome>();
    QCOMPARE(outcome.detail, QString());
    QVERIFY(outcome.ok());
    QCOMPARE(paneText(u"movementNote"_s), registerOutcomeText(outcome));
    const QString text
        = QString::fromUtf8(toolOutput(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s})).simplified();
    for (const QString &expected :
         {u"Haras du Pin"_s, u"Dry shipper 4"_s, u"Belle de Mai"_s, kApproval})
        QVERIFY2(text.contains(expected), qPrintable(expected + u" in: "_s + text));
    // Only a dispatch has one.
    child<QTableWidget>(m_pane, u"movements"_s)->clearSelection();
    QVERIFY(!transport->isEnabled());
}

void TestRecordsRegisterWindow::refusalSaysWhatRemains()
{
    const SheetRecord sheet = freshSheet(u"Ábaco"_s);
    const qint64 made = dosesMade(sheet.text(Field::NumDoses));
    select(sheet.id);
    QTest::mouseClick(child<QPushButton>(m_pane, u"dispatchDoses"_s), Qt::LeftButton);
    QPointer<MovementDialog> dialog = shown<MovementDialog>();
    QVERIFY(dialog);
    child<QSpinBox>(dialog, u"doses"_s)->setValue(int(made));
    setLine(dialog, u"consignee"_s, u"Stud Farm East"_s);
    QVERIFY(okEnabled(dialog)); // all of them remain, as far as the window knows

    // Meanwhile another workstation uses all but one.
    Movement used;
    used.sheetId = sheet.id;
    used.kind = MovementKind::Used;
    used.doses = made - 1;
    used.mare = u"Gräfin"_s;
    QCOMPARE(m_other->recordMovement(used).reason, QString());
    Movement again = dialog->movement();
    const JournalError expected = m_other->recordMovement(again);
    QCOMPARE(expected.kind, JournalError::Kind::Refused);

    clickOk(dialog);
    QPointer<QMessageBox> box = shown<QMessageBox>();
    QVERIFY(box);
    QCOMPARE(box->objectName(), u"journalProblem"_s);
    QCOMPARE(box->text(), expected.reason);
    QCOMPARE(box->parent(), static_cast<QObject *>(dialog.data())); // the dialog stays
    QVERIFY(dialog->isVisible());
    // Read again: the dialog and the pane know what remains now.
    QTRY_COMPARE(dialog->problem(), u"Only 1 dose remains."_s);
    QTRY_COMPARE(paneText(u"doseCounts"_s), u"%1 doses made, 1 remains."_s.arg(made));
    box->accept();
    dialog->reject();
    QTRY_VERIFY(!dialog);
    const std::optional<DoseBatch> batch = m_other->doseBatch(sheet.id);
    QVERIFY(batch);
    QCOMPARE(batch->remaining, qint64(1));
    QCOMPARE(batch->movements.size(), qsizetype(1));
}

void TestRecordsRegisterWindow::reverseKeepsTheMovement()
{
    const SheetRecord sheet = freshSheet(u"Nordlicht"_s);
    const qint64 made = dosesMade(sheet.text(Field::NumDoses));
    Movement destroyed;
    destroyed.sheetId = sheet.id;
    destroyed.kind = MovementKind::Destroyed;
    destroyed.doses = 3;
    destroyed.reason = u"wrong straw thawed"_s;
    QCOMPARE(m_other->recordMovement(destroyed).reason, QString());
    select(sheet.id);
    QTRY_COMPARE(m_pane->batch()->remaining, made - 3);

    auto *reverse = child<QPushButton>(m_pane, u"reverseMovement"_s);
    QVERIFY(!reverse->isEnabled()); // nothing chosen
    m_pane->chooseMovement(destroyed.id);
    QVERIFY(reverse->isEnabled());
    QTest::mouseClick(reverse, Qt::LeftButton);
    QPointer<MovementDialog> dialog = shown<MovementDialog>();
    QVERIFY(dialog);
    QCOMPARE(dialog->form(), MovementForm::Reverse);
    QVERIFY(!okEnabled(dialog));
    setLine(dialog, u"reason"_s, u"entered on the wrong collection"_s);
    QSignalSpy recorded(m_pane, &DosesPane::movementRecorded);
    clickOk(dialog);
    QVERIFY(recorded.wait());
    const Movement reversal = recorded.takeFirst().at(0).value<Movement>();
    QCOMPARE(reversal.kind, MovementKind::Adjusted);
    QCOMPARE(reversal.of, destroyed.id);

    // Both stay listed; the first is marked, and the doses are back.
    QTRY_COMPARE(m_pane->batch()->remaining, made);
    QCOMPARE(movementRow(destroyed.id).at(2), u"Destroyed, reversed by %1"_s.arg(reversal.id));
    QCOMPARE(movementRow(reversal.id).mid(2, 3),
             (QStringList{u"Adjusted"_s, u"+3"_s,
                          u"reverses %1, entered on the wrong collection"_s.arg(destroyed.id)}));
    auto *list = child<QTableWidget>(m_pane, u"movements"_s);
    QVERIFY(list->item(list->rowCount() - 1, 2)->font().strikeOut());
    m_pane->chooseMovement(destroyed.id);
    QVERIFY(!reverse->isEnabled()); // once is enough
    QCOMPARE(m_other->doseBatch(sheet.id)->movements.size(), qsizetype(2));
}

void TestRecordsRegisterWindow::returnOfADispatch()
{
    const SheetRecord sheet = freshSheet(u"Zeus"_s);
    const qint64 made = dosesMade(sheet.text(Field::NumDoses));
    Movement dispatched;
    dispatched.sheetId = sheet.id;
    dispatched.kind = MovementKind::Dispatched;
    dispatched.doses = 3;
    dispatched.consignee = u"Clinic West"_s;
    dispatched.container = u"Box 3"_s;
    QCOMPARE(m_other->recordMovement(dispatched).reason, QString());
    select(sheet.id);
    m_pane->chooseMovement(dispatched.id);
    auto *returnButton = child<QPushButton>(m_pane, u"returnDoses"_s);
    QVERIFY(returnButton->isEnabled());

    QTest::mouseClick(returnButton, Qt::LeftButton);
    QPointer<MovementDialog> dialog = shown<MovementDialog>();
    QVERIFY(dialog);
    QCOMPARE(dialog->form(), MovementForm::Return);
    QCOMPARE(child<QComboBox>(dialog, u"dispatch"_s)->currentData().toLongLong(), dispatched.id);
    auto *containerBack = child<QCheckBox>(dialog, u"containerBack"_s);
    QVERIFY(containerBack->isEnabled() && containerBack->isChecked()); // the box went with it
    auto *doses = child<QSpinBox>(dialog, u"doses"_s);
    doses->setValue(4);
    QCOMPARE(dialog->problem(), u"Dispatch %1 has 3 doses out."_s.arg(dispatched.id));
    containerBack->setChecked(false);
    doses->setValue(0);
    QCOMPARE(dialog->problem(), u"Give the doses that came back, or tick the container."_s);
    containerBack->setChecked(true);
    doses->setValue(2);
    QVERIFY(okEnabled(dialog));
    QSignalSpy recorded(m_pane, &DosesPane::movementRecorded);
    clickOk(dialog);
    QVERIFY(recorded.wait());
    const Movement back = recorded.at(0).at(0).value<Movement>();
    QTRY_COMPARE(m_pane->batch()->remaining, made - 1);
    QCOMPARE(movementRow(back.id).mid(2, 3),
             (QStringList{u"Returned"_s, u"+2"_s,
                          u"back from dispatch %1, container back"_s.arg(dispatched.id)}));

    // One dose is still out, the container is back: the next return offers only the dose.
    QVERIFY(returnButton->isEnabled());
    QTest::mouseClick(returnButton, Qt::LeftButton);
    dialog = shown<MovementDialog>();
    QVERIFY(dialog);
    QCOMPARE(child<QComboBox>(dialog, u"dispatch"_s)->currentData().toLongLong(), dispatched.id);
    QVERIFY(!child<QCheckBox>(dialog, u"containerBack"_s)->isEnabled());
    child<QSpinBox>(dialog, u"doses"_s)->setValue(2);
    QCOMPARE(dialog->problem(), u"Dispatch %1 has 1 dose out."_s.arg(dispatched.id));
    dialog->reject();
    QTRY_VERIFY(!dialog);
    const std::optional<Movement> kept = m_other->movement(back.id);
    QVERIFY(kept && kept->containerBack);
    QCOMPARE(kept->of, dispatched.id);
    QCOMPARE(kept->doses, qint64(2));
}

void TestRecordsRegisterWindow::anotherWorkstationsMoveShows()
{
    // The journal tells the window of another program's saves; the shown doses follow.
    const SheetRecord sheet = freshSheet(u"Nordlicht"_s, 2);
    const qint64 made = dosesMade(sheet.text(Field::NumDoses));
    select(sheet.id);
    Movement used;
    used.sheetId = sheet.id;
    used.kind = MovementKind::Used;
    used.doses = 1;
    used.mare = u"Lady of the Lake"_s;
    used.workstation = u"lab-2"_s;
    auto *tabs = m_window->findChild<QTabWidget *>(u"tabs"_s);
    auto *dosesTab = m_window->findChild<QScrollArea *>(u"dosesTab"_s);
    QVERIFY(tabs && dosesTab);
    tabs->setCurrentIndex(0); // the Doses tab hidden: it reads once it is shown
    QSignalSpy live(m_window.get(), &RecordsWindow::liveUpdated);
    QCOMPARE(m_other->recordMovement(used).reason, QString());
    QVERIFY(live.wait(10000));
    QCOMPARE(m_pane->batch()->remaining, made);
    tabs->setCurrentWidget(dosesTab);
    QTRY_COMPARE(m_pane->batch()->remaining, made - 1);
    // Shown, it follows the next save at once.
    Movement usedAgain = used;
    usedAgain.uid.clear();
    QCOMPARE(m_other->recordMovement(usedAgain).reason, QString());
    QTRY_COMPARE(m_pane->batch()->remaining, made - 2);
    QCOMPARE(movementRow(used.id).mid(2, 3),
             (QStringList{u"Used"_s, u"-1"_s, u"mare Lady of the Lake"_s}));
    QVERIFY(movementRow(used.id).at(6).endsWith(u" at lab-2"_s));
}

void TestRecordsRegisterWindow::registerAnUnknownName()
{
    const SheetRecord sheet = freshSheet(u"Sören Ørsted"_s, 0);
    select(sheet.id);
    QCOMPARE(paneText(u"stallionIdentity"_s), u"Sören Ørsted is not on the stallion register."_s);
    auto *offer = child<QPushButton>(m_pane, u"registerStallion"_s);
    QVERIFY(offer->isVisibleTo(m_pane));
    QCOMPARE(offer->text(), u"Register Sören Ørsted..."_s);
    QTest::mouseClick(offer, Qt::LeftButton);
    QPointer<StallionEditDialog> dialog = shown<StallionEditDialog>();
    QVERIFY(dialog);
    QCOMPARE(child<QLineEdit>(dialog, u"name"_s)->text(), u"Sören Ørsted"_s);
    setLine(dialog, u"ueln"_s, u"27600909012345"_s); // one short
    QCOMPARE(dialog->problem(), u"UELN: "_s + uelnProblem(u"27600909012345"_s));
    QVERIFY(!okEnabled(dialog));
    setLine(dialog, u"ueln"_s, u"276 009 090123456"_s);
    setLine(dialog, u"born"_s, u"2014-13-01"_s);
    QCOMPARE(dialog->problem(), u"Born: write the date as YYYY-MM-DD."_s);
    setLine(dialog, u"born"_s, u"2014-05-01"_s);
    setLine(dialog, u"breed"_s, u"Hanoverian"_s);
    setLine(dialog, u"owner"_s, u"Familie Ørsted"_s);
    QVERIFY(okEnabled(dialog));
    QSignalSpy registered(m_pane, &DosesPane::stallionRegistered);
    clickOk(dialog);
    QVERIFY(registered.wait());
    QTRY_COMPARE(paneText(u"stallionIdentity"_s),
                 u"Stallion Sören Ørsted (registered): UELN %1, Hanoverian, born 2014-05-01, "
                 "owner Familie Ørsted"_s.arg(kUeln));
    QVERIFY(!offer->isVisibleTo(m_pane));
    // Any spelling of his name finds him.
    const std::optional<Stallion> kept = m_other->stallionNamed(u"SÖREN  ØRSTED"_s);
    QVERIFY(kept);
    QCOMPARE(kept->ueln, kUeln);
    QCOMPARE(kept->born, QDate(2014, 5, 1));
    QCOMPARE(kept->collections,
             qint64(selectedIds(m_sheets, {u"Sören Ørsted"_s, {}, {}, {}}).size()));
}

void TestRecordsRegisterWindow::renameAndMergeKeepHistory()
{
    const qint64 zeusSheets = selectedIds(m_sheets, {u"Zeus"_s, {}, {}, {}}).size();
    const qint64 commaSheets = selectedIds(m_sheets, {u"Comma, the Second"_s, {}, {}, {}}).size();
    // History to keep: a dispatch of one of the second stallion's doses.
    const SheetRecord commaSheet = freshSheet(u"Comma, the Second"_s, 1);
    Movement dispatched;
    dispatched.sheetId = commaSheet.id;
    dispatched.kind = MovementKind::Dispatched;
    dispatched.doses = 1;
    dispatched.consignee = u"Gestüt Ost"_s;
    QCOMPARE(m_other->recordMovement(dispatched).reason, QString());

    m_window->findChild<QAction *>(u"stallionRegister"_s)->trigger();
    QPointer<StallionsDialog> list = shown<StallionsDialog>();
    QVERIFY(list);
    QSignalSpy loaded(list.data(), &StallionsDialog::loaded);
    QTRY_COMPARE(list->shown().size(), m_other->registeredStallions().size());
    const auto add = [&](const QString &name) {
        QTest::mouseClick(child<QPushButton>(list, u"addStallion"_s), Qt::LeftButton);
        QPointer<StallionEditDialog> edit = shown<StallionEditDialog>();
        QVERIFY(edit);
        QVERIFY(!okEnabled(edit)); // no name yet
        setLine(edit, u"name"_s, name);
        loaded.clear();
        clickOk(edit);
        QTRY_VERIFY(!edit);
        QTRY_VERIFY(!loaded.isEmpty());
        QCOMPARE(list->chosen().value_or(Stallion{}).name, name);
    };
    add(u"Zeus"_s);
    add(u"Comma, the Second"_s);
    if (QTest::currentTestFailed())
        return;
    const qint64 zeus = m_other->stallionNamed(u"zeus"_s).value_or(Stallion{}).id;
    const qint64 comma = m_other->stallionNamed(u"Comma, the Second"_s).value_or(Stallion{}).id;
    QVERIFY(zeus != 0 && comma != 0 && zeus != comma);

    // A name another stallion has is the journal's to refuse, and it says whose.
    QTest::mouseClick(child<QPushButton>(list, u"addStallion"_s), Qt::LeftButton);
    QPointer<StallionEditDialog> taken = shown<StallionEditDialog>();
    QVERIFY(taken);
    setLine(taken, u"name"_s, u"ZEUS"_s);
    clickOk(taken);
    QPointer<QMessageBox> box = shown<QMessageBox>();
    QVERIFY(box);
    Stallion twice;
    twice.name = u"ZEUS"_s;
    QCOMPARE(box->text(), m_other->registerStallion(twice).reason);
    box->accept();
    taken->reject();
    QTRY_VERIFY(!taken);

    // Renamed: the old name stays his, and so do its collections.
    list->choose(zeus);
    QTest::mouseClick(child<QPushButton>(list, u"editStallion"_s), Qt::LeftButton);
    QPointer<StallionEditDialog> edit = shown<StallionEditDialog>();
    QVERIFY(edit);
    setLine(edit, u"name"_s, u"Zeus of Olympia"_s);
    QCOMPARE(child<QLabel>(edit, u"renameNote"_s)->text(),
             u"Zeus stays one of his names, so the collections under it stay his."_s);
    loaded.clear();
    clickOk(edit);
    QTRY_VERIFY(!edit);
    QTRY_VERIFY(!loaded.isEmpty());
    std::optional<Stallion> renamed = m_other->registeredStallion(zeus);
    QVERIFY(renamed);
    QCOMPARE(renamed->name, u"Zeus of Olympia"_s);
    QVERIFY(renamed->aliases.contains(u"Zeus"_s));
    QCOMPARE(m_other->stallionNamed(u"Zeus"_s).value_or(Stallion{}).id, zeus);
    QCOMPARE(renamed->collections, zeusSheets);

    // Merged: the second's names and collections are the first's; his dispatch is still there.
    list->choose(comma);
    QTest::mouseClick(child<QPushButton>(list, u"mergeStallion"_s), Qt::LeftButton);
    QPointer<StallionMergeDialog> merge = shown<StallionMergeDialog>();
    QVERIFY(merge);
    merge->chooseInto(zeus);
    QCOMPARE(merge->into(), zeus);
    loaded.clear();
    clickOk(merge);
    QTRY_VERIFY(!merge);
    QTRY_VERIFY(!loaded.isEmpty());
    QCOMPARE(list->chosen().value_or(Stallion{}).id, zeus);
    const QList<Stallion> registered = m_other->registeredStallions();
    QVERIFY(std::none_of(registered.cbegin(), registered.cend(),
                         [comma](const Stallion &s) { return s.id == comma; }));
    QCOMPARE(m_other->stallionNamed(u"comma, the second"_s).value_or(Stallion{}).id, zeus);
    QCOMPARE(m_other->registeredStallion(zeus)->collections, zeusSheets + commaSheets);
    const std::optional<DoseBatch> batch = m_other->doseBatch(commaSheet.id);
    QVERIFY(batch && batch->movements.size() == 1);
    QCOMPARE(batch->movements.front().consignee, u"Gestüt Ost"_s);
    list->reject();
    QTRY_VERIFY(!list);

    // The pane names him by his register name on a sheet under the merged one's.
    select(commaSheet.id);
    QTRY_VERIFY(paneText(u"stallionIdentity"_s).startsWith(u"Stallion Zeus of Olympia"_s));

    // The window's list, read again after the merge: one stallion under his register name.
    auto *stallions = m_window->findChild<QTreeWidget *>(u"stallions"_s);
    QTRY_COMPARE(stallions->findItems(u"Zeus of Olympia"_s, Qt::MatchExactly).size(), 1);
    QTreeWidgetItem *merged = stallions->findItems(u"Zeus of Olympia"_s, Qt::MatchExactly)[0];
    QCOMPARE(merged->text(1), QString::number(zeusSheets + commaSheets));
    QVERIFY(stallions->findItems(u"Comma, the Second"_s, Qt::MatchExactly).isEmpty());
    stallions->setCurrentItem(merged);
    QTRY_COMPARE(m_window->statusBar()->currentMessage(),
                 u"%1 collections"_s.arg(zeusSheets + commaSheets));
    QTRY_COMPARE(m_table->model()->rowCount(), int(zeusSheets + commaSheets));
    stallions->setCurrentItem(stallions->topLevelItem(0));
    QTRY_COMPARE(m_table->model()->rowCount(), kRegisterSheets);
}

void TestRecordsRegisterWindow::containersOutAndBack()
{
    const QDate today = QDate::currentDate();
    const auto send = [this](const SheetRecord &sheet, const QString &container, QDate dueBack) {
        Movement dispatched;
        dispatched.sheetId = sheet.id;
        dispatched.kind = MovementKind::Dispatched;
        dispatched.doses = 1;
        dispatched.consignee = u"Yard "_s + container;
        dispatched.container = container;
        dispatched.dueBack = dueBack;
        const JournalError kept = m_other->recordMovement(dispatched);
        return kept.ok() ? dispatched.id : -1;
    };
    const qint64 late = send(freshSheet(u"Nordlicht"_s, 1), u"Box 7"_s, today.addDays(-3));
    const qint64 soon = send(freshSheet(u"Nordlicht"_s, 1), u"Box 9"_s, today.addDays(2));
    const qint64 open = send(freshSheet(u"Nordlicht"_s, 1), u"Box 11"_s, {});
    QVERIFY(late > 0 && soon > 0 && open > 0);

    m_window->findChild<QAction *>(u"containersOut"_s)->trigger();
    QPointer<ContainersDialog> dialog = shown<ContainersDialog>();
    QVERIFY(dialog);
    QSignalSpy loaded(dialog.data(), &ContainersDialog::loaded);
    const auto shownIds = [&dialog] {
        QList<qint64> ids;
        for (const ContainerOut &out : dialog->shown())
            ids << out.dispatchId;
        return ids;
    };
    const auto has = [&shownIds](qint64 id) {
        return shownIds().contains(id);
    };
    QTRY_VERIFY(has(late) && has(soon) && has(open));
    dialog->setShown(ContainersDialog::Shown::DueBack);
    QVERIFY(has(late) && has(soon) && !has(open));
    dialog->setShown(ContainersDialog::Shown::Overdue);
    QCOMPARE(shownIds(), QList<qint64>{late});
    auto *table = child<QTableWidget>(dialog, u"containers"_s);
    QCOMPARE(table->item(0, 0)->text(), u"Box 7"_s);
    QCOMPARE(table->item(0, table->columnCount() - 1)->text(), u"Overdue by 3 days"_s);

    // Marked returned: gone from the list, and kept as the return of its dispatch.
    dialog->choose(late);
    loaded.clear();
    QSignalSpy returned(dialog.data(), &ContainersDialog::returned);
    QTest::mouseClick(child<QPushButton>(dialog, u"markReturned"_s), Qt::LeftButton);
    QVERIFY(loaded.wait());
    QCOMPARE(shownIds(), QList<qint64>());
    dialog->setShown(ContainersDialog::Shown::AllOut);
    QVERIFY(!has(late) && has(soon) && has(open));
    QCOMPARE(returned.size(), 1);
    const std::optional<Movement> back
        = m_other->movement(returned.at(0).at(0).value<Movement>().id);
    QVERIFY(back);
    QCOMPARE(back->kind, MovementKind::Returned);
    QCOMPARE(back->of, late);
    QVERIFY(back->containerBack);
    const QList<ContainerOut> out = m_other->containersOut();
    QVERIFY(std::none_of(out.cbegin(), out.cend(),
                         [late](const ContainerOut &o) { return o.dispatchId == late; }));
    dialog->reject();
    QTRY_VERIFY(!dialog);
}

void TestRecordsRegisterWindow::stationProfile_data()
{
    QTest::addColumn<QString>("approval");
    QTest::addColumn<bool>("eu");
    QTest::addColumn<QString>("problem");
    QTest::newRow("kept") << u"DE-EQ-0042"_s << true << QString();
    QTest::newRow("lower case, made upper") << u"at-eq-17"_s << true << QString();
    QTest::newRow("no approval, no marking") << QString() << false << QString();
    QTest::newRow("no approval, EU marking")
        << QString() << true << u"The EU marking needs the station's approval number."_s;
    QTest::newRow("no country") << u"EQ-0042"_s << false
                                << u"Approval number: "_s + approvalProblem(u"EQ-0042"_s);
    QTest::newRow("unknown country")
        << u"XZ-0042"_s << true << u"Approval number: "_s + approvalProblem(u"XZ-0042"_s);
}

void TestRecordsRegisterWindow::stationProfile()
{
    QFETCH(QString, approval);
    QFETCH(bool, eu);
    QFETCH(QString, problem);
    const StationProfile before = m_other->stationProfile().value_or(StationProfile{});
    m_window->findChild<QAction *>(u"stationProfile"_s)->trigger();
    QPointer<StationDialog> dialog = shown<StationDialog>();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isLoaded());
    QCOMPARE(dialog->profile(), before); // the journal's, as kept
    setLine(dialog, u"approval"_s, approval);
    auto *marking = child<QComboBox>(dialog, u"marking"_s);
    marking->setCurrentIndex(
        marking->findData(int(eu ? StationProfile::Marking::Eu : StationProfile::Marking::None)));
    child<QSpinBox>(dialog, u"retentionYears"_s)->setValue(5);
    QCOMPARE(dialog->problem(), problem);
    QCOMPARE(okEnabled(dialog), problem.isEmpty());
    if (!problem.isEmpty()) {
        dialog->reject();
        QTRY_VERIFY(!dialog);
        return;
    }
    QSignalSpy saved(dialog.data(), &StationDialog::saved);
    clickOk(dialog);
    QVERIFY(saved.wait());
    QTRY_VERIFY(!dialog);
    const StationProfile kept = m_other->stationProfile().value_or(StationProfile{});
    QCOMPARE(kept.approval, approval.toUpper());
    QCOMPARE(kept.retentionYears, 5);
    QCOMPARE(kept.name, before.name);
    // The scan tests read labels of this approval.
    StationProfile again = kept;
    again.approval = kApproval;
    again.marking = StationProfile::Marking::Eu;
    QCOMPARE(m_other->setStationProfile(again).reason, QString());
}

void TestRecordsRegisterWindow::scan_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("sheet"); // the index of the sheet it names, -1 for none
    QTest::addColumn<int>("dose");
    QTest::addColumn<QString>("status");
    // A sheet of many doses and one of few, far apart in the list.
    QTest::newRow("label") << QString() << 0 << 2 << QString();
    QTest::newRow("label, last dose") << QString() << 1 << -1 << QString();
    QTest::newRow("approval in another case") << u"lower"_s << 0 << 1 << QString();
    QTest::newRow("label of another station")
        << u"ESTRIVO:FR-EQ-0007:%1:1"_s << 0 << 1
        << u"This label is from another station (FR-EQ-0007), not from DE-EQ-0042."_s;
    QTest::newRow("dose past the collection's")
        << u"ESTRIVO:DE-EQ-0042:%1:%2"_s << 0 << 0
        << u"Collection %1 made %2 doses: there is no dose %3."_s;
    QTest::newRow("no such collection") << u"ESTRIVO:DE-EQ-0042:987654:1"_s << -1 << 1
                                        << u"Collection 987654 is not in this journal."_s;
    QTest::newRow("a web address")
        << u"https://example.org/?q=1"_s << -1 << 0
        << u"Not a dose label of this program: \"https://example.org/?q=1\""_s;
    QTest::newRow("an EAN") << u"4006381333931"_s << -1 << 0
                            << u"Not a dose label of this program: \"4006381333931\""_s;
    QTest::newRow("a long read") << QString(300, u'7') << -1 << 0
                                 << u"Not a dose label of this program: \"%1\u2026\""_s.arg(
                                        QString(40, u'7'));
}

void TestRecordsRegisterWindow::scan()
{
    QFETCH(QString, typed);
    QFETCH(int, sheet);
    QFETCH(int, dose);
    QFETCH(QString, status);
    // Sheets with doses: the newest and one far down the list.
    QList<SheetRecord> withDoses;
    for (const SheetRecord &kept : std::as_const(m_sheets)) {
        if (dosesMade(kept.text(Field::NumDoses)) >= 3)
            withDoses << kept;
    }
    QVERIFY(withDoses.size() >= 2);
    const SheetRecord named
        = sheet < 0 ? SheetRecord{} : (sheet == 0 ? withDoses.front() : withDoses.back());
    const qint64 made = dosesMade(named.text(Field::NumDoses));
    if (dose < 0)
        dose = int(made);
    if (dose == 0 && sheet >= 0)
        dose = int(made) + 1;
    if (typed.isEmpty())
        typed = QString::fromLatin1(doseCode(named.id, dose, kApproval));
    else if (typed == u"lower"_s)
        typed = QString::fromLatin1(doseCode(named.id, dose, kApproval)).toLower();
    else if (typed.contains(u"%2"_s))
        typed = typed.arg(named.id).arg(dose);
    else if (typed.contains(u"%1"_s))
        typed = typed.arg(named.id);
    if (status.contains(u"%3"_s))
        status = status.arg(named.id).arg(made).arg(dose);

    // Start from another sheet, with the sheet tab in front.
    const SheetRecord before = m_sheets.at(kRegisterSheets / 2);
    QVERIFY(before.id != named.id);
    select(before.id);
    auto *tabs = m_window->findChild<QTabWidget *>(u"tabs"_s);
    tabs->setCurrentIndex(0);
    QLineEdit *field = m_scan->field();
    field->setFocus();
    QSignalSpy found(m_scan, &ScanField::doseFound);
    QSignalSpy failed(m_scan, &ScanField::scanFailed);
    QTest::keyClicks(field, typed);
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(field->text(), QString()); // ready for the next label

    if (!status.isEmpty()) {
        QTRY_COMPARE(failed.size(), 1);
        QCOMPARE(m_scan->status(), status);
        QCOMPARE(found.size(), 0);
        QCOMPARE(QApplication::activeModalWidget(), nullptr); // nothing to swallow a next read
        QCOMPARE(m_window->currentSheet().value_or(SheetRecord{}).id, before.id);
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(!child<QFrame>(m_pane, u"scanOffer"_s)->isVisibleTo(m_pane));
        return;
    }
    QTRY_COMPARE(found.size(), 1);
    QCOMPARE(m_scan->status(),
             u"Dose %1 of %2, collection %3."_s.arg(dose).arg(made).arg(named.id));
    QTRY_COMPARE(m_window->currentSheet().value_or(SheetRecord{}).id, named.id);
    QCOMPARE(m_table->currentIndex().data(SheetTableModel::kSheetIdRole).toLongLong(), named.id);
    QVERIFY(tabs->currentWidget()->isAncestorOf(m_pane));
    QTRY_VERIFY(child<QFrame>(m_pane, u"scanOffer"_s)->isVisibleTo(m_pane));
    QCOMPARE(paneText(u"scanOfferText"_s),
             u"Label read: dose %1 of %2 of collection %3."_s.arg(dose).arg(made).arg(named.id));
    QCOMPARE(failed.size(), 0);

    // The offer opens the dispatch of that one dose.
    QTest::mouseClick(child<QPushButton>(m_pane, u"offerDispatch"_s), Qt::LeftButton);
    QPointer<MovementDialog> dialog = shown<MovementDialog>();
    QVERIFY(dialog);
    QCOMPARE(dialog->form(), MovementForm::Dispatch);
    QCOMPARE(dialog->movement().doses, 1);
    QCOMPARE(dialog->movement().sheetId, named.id);
    dialog->reject();
    QTRY_VERIFY(!dialog);
}

void TestRecordsRegisterWindow::scanOfASheetNotInTheList()
{
    // A search that leaves the sheet out of the list: it is shown by its id all the same.
    const SheetRecord wanted = freshSheet(u"Ábaco"_s, 2);
    auto *search = m_window->findChild<QLineEdit *>(u"search"_s);
    QSignalSpy summarized(m_window.get(), &RecordsWindow::summaryShown);
    search->setText(u"Nordlicht"_s);
    QVERIFY(summarized.wait());
    QTRY_COMPARE(static_cast<SheetTableModel *>(m_table->model())->rowOf(wanted.id), -1);
    QTest::keyClicks(m_scan->field(), QString::fromLatin1(doseCode(wanted.id, 2, kApproval)));
    QTest::keyClick(m_scan->field(), Qt::Key_Return);
    QTRY_COMPARE(m_window->currentSheet().value_or(SheetRecord{}).id, wanted.id);
    QVERIFY(!m_table->currentIndex().isValid());
    QTRY_COMPARE(m_pane->batch().value_or(DoseBatch{}).sheetId, wanted.id);
    QVERIFY(child<QFrame>(m_pane, u"scanOffer"_s)->isVisibleTo(m_pane));
    search->clear();
    QVERIFY(summarized.wait());
}

QTEST_MAIN(TestRecordsRegisterWindow)
#include "tst_records_register_window.moc"
