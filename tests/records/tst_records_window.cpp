// The records window offscreen over a journal of a few hundred sheets: the stallions and their
// counts, the filters, the chosen sheet's details and picture, the trend's lines, the exports
// and labels made from the window, and the journal location that is kept only once it works.
#include "journal_dialog.h"
#include "labels.h"
#include "labels_dialog.h"
#include "records_fixture.h"
#include "records_window.h"
#include "sheet_table_model.h"
#include "summary_loader.h"
#include "trend.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace estrivo;
using namespace recordstest;

namespace {

constexpr int kSheets = 300;

// Standard output of a command-line tool, or a note of how it failed.
QByteArray toolOutput(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return "<" + program.toUtf8() + " failed: " + process.readAllStandardError() + ">";
    return process.readAllStandardOutput();
}

// "Pages:" and "Page size:" of a PDF as pdfinfo reports them.
QString pdfInfo(const QString &pdf, const QString &key)
{
    for (const QByteArray &line : toolOutput(u"pdfinfo"_s, {pdf}).split('\n')) {
        if (line.startsWith(key.toUtf8() + ':'))
            return QString::fromUtf8(line.mid(key.size() + 1)).trimmed();
    }
    return u"<no %1>"_s.arg(key);
}

} // namespace

class TestRecordsWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void opensWithStallionsCounted();
    void stallionFilterAndTrend_data();
    void stallionFilterAndTrend();
    void onlyTheNewestSummaryShows();
    void searchAndDays();
    void detailsAndPicture();
    void exportsFromTheWindow();
    void labelsToPdf();
    void trendFromTheHistory();
    void journalLocationIsTestedFirst();
    void cleanupTestCase();

private:
    QTreeWidgetItem *stallionItem(const QString &name) const;
    void choose(const QString &stallion);
    int shownRows() const; // all the table's rows, fetched to the end

    QTemporaryDir m_dir;
    QString m_journal;
    QList<SheetRecord> m_sheets;
    std::unique_ptr<RecordsWindow> m_window;
    std::unique_ptr<QSignalSpy> m_historyRead;
    QTableView *m_table = nullptr;
    QTreeWidget *m_stallions = nullptr;
};

void TestRecordsWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath(u"config"_s));
    qunsetenv("ESTRIVO_JOURNAL");
    m_journal = m_dir.filePath(u"journal.sqlite"_s);
    m_sheets = fillJournal(m_journal, kSheets);
    QCOMPARE(m_sheets.size(), kSheets);

    m_window = std::make_unique<RecordsWindow>(m_journal);
    m_historyRead = std::make_unique<QSignalSpy>(m_window->findChild<SummaryLoader *>(),
                                                 &SummaryLoader::historyRead);
    QSignalSpy opened(m_window.get(), &RecordsWindow::journalOpened);
    m_window->show();
    QVERIFY(opened.wait());
    const auto tables = m_window->findChildren<QTableView *>();
    for (QTableView *table : tables) {
        if (table->accessibleName() == u"Collections"_s)
            m_table = table;
    }
    QVERIFY(m_table);
    m_stallions = m_window->findChild<QTreeWidget *>(u"stallions"_s);
    QVERIFY(m_stallions);
}

void TestRecordsWindow::cleanupTestCase()
{
    m_window.reset();
}

QTreeWidgetItem *TestRecordsWindow::stallionItem(const QString &name) const
{
    for (int i = 0; i < m_stallions->topLevelItemCount(); ++i) {
        if (m_stallions->topLevelItem(i)->text(0) == name)
            return m_stallions->topLevelItem(i);
    }
    return nullptr;
}

void TestRecordsWindow::choose(const QString &stallion)
{
    QTreeWidgetItem *item = stallionItem(stallion);
    QVERIFY2(item, qPrintable(stallion));
    if (m_stallions->currentItem() == item)
        return;
    // The rows come at once, the count and the trend from their own thread.
    QSignalSpy summarized(m_window.get(), &RecordsWindow::summaryShown);
    m_stallions->setCurrentItem(item);
    QVERIFY(summarized.wait());
}

int TestRecordsWindow::shownRows() const
{
    QAbstractItemModel *model = m_table->model();
    while (model->canFetchMore({}))
        model->fetchMore({});
    return model->rowCount();
}

void TestRecordsWindow::opensWithStallionsCounted()
{
    QCOMPARE(m_window->windowTitle(), u"Estrivo Records"_s);
    QCOMPARE(m_window->isJournalOpen(), true);
    // The newest first batch is in; the rest comes as the view scrolls.
    QCOMPARE(m_table->model()->rowCount(), SheetTableModel::kBatchRows);
    QCOMPARE(m_table->model()->index(0, 0).data(SheetTableModel::kSheetIdRole).toLongLong(),
             m_sheets.back().id);

    QCOMPARE(m_stallions->topLevelItemCount(), kStallions.size() + 1);
    QCOMPARE(m_stallions->topLevelItem(0)->text(0), u"All stallions"_s);
    QCOMPARE(m_stallions->topLevelItem(0)->text(1), QString::number(kSheets));
    for (const QString &name : kStallions) {
        const QTreeWidgetItem *item = stallionItem(name);
        QVERIFY2(item, qPrintable(name));
        QCOMPARE(item->text(1), QString::number(selectedIds(m_sheets, {name, {}, {}, {}}).size()));
    }
    QTRY_COMPARE(m_window->statusBar()->currentMessage(), u"%1 collections"_s.arg(kSheets));

    // A picture of the window, for a look at its layout.
    const QString folder = qEnvironmentVariable("ESTRIVO_SCREENSHOT_DIR");
    if (!folder.isEmpty() && QDir().mkpath(folder)) {
        choose(u"Zeus"_s);
        m_table->selectRow(4); // with a picture
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QVERIFY(m_window->grab().save(folder + u"/records-window.png"_s));
        m_window->findChild<QTabWidget *>(u"tabs"_s)->setCurrentIndex(1);
        QVERIFY(m_window->grab().save(folder + u"/records-trend.png"_s));
        m_window->findChild<QTabWidget *>(u"tabs"_s)->setCurrentIndex(0);
        choose(u"All stallions"_s);
    }
}

void TestRecordsWindow::stallionFilterAndTrend_data()
{
    QTest::addColumn<QString>("stallion");
    for (const QString &name : kStallions)
        QTest::newRow(name.toUtf8().constData()) << name;
}

void TestRecordsWindow::stallionFilterAndTrend()
{
    QFETCH(QString, stallion);
    choose(stallion);
    const QList<qint64> ids = selectedIds(m_sheets, {stallion, {}, {}, {}});
    QCOMPARE(shownRows(), int(ids.size()));
    for (int row = 0; row < shownRows(); ++row) {
        QCOMPARE(m_table->model()->index(row, int(SheetColumn::Stallion)).data().toString(),
                 stallion);
    }
    QCOMPARE(m_window->statusBar()->currentMessage(), u"%1 collections"_s.arg(ids.size()));

    // One point a collection with a number; each mean as long as its line.
    qsizetype measured = 0;
    qsizetype withDoses = 0;
    for (const SheetRecord &sheet : m_sheets) {
        if (sheet.stallion != stallion)
            continue;
        // The calculator writes numbers C's way: anything else is a placeholder.
        bool number = false;
        sheet.text(Field::Con).toDouble(&number);
        measured += number;
        sheet.text(Field::NumDoses).toDouble(&number);
        withDoses += number;
    }
    QVERIFY(measured < ids.size() || withDoses < ids.size()); // gaps are part of the case
    const auto *chart = m_window->findChild<TrendChartView *>();
    QCOMPARE(chart->totalLine()->count(), measured);
    QCOMPARE(chart->totalMeanLine()->count(), measured);
    QCOMPARE(chart->motileLine()->count(), measured);
    QCOMPARE(chart->motileMeanLine()->count(), measured);
    QCOMPARE(chart->dosesLine()->count(), withDoses);
    const QList<QPointF> points = chart->totalLine()->points();
    QVERIFY(std::is_sorted(points.cbegin(), points.cend(),
                           [](QPointF a, QPointF b) { return a.x() < b.x(); }));
    QCOMPARE(chart->chart()->title(), u"%1: sperm and doses per collection"_s.arg(stallion));

    choose(u"All stallions"_s);
    QCOMPARE(chart->totalLine()->count(), 0);
}

void TestRecordsWindow::onlyTheNewestSummaryShows()
{
    // Two changes before the thread answers: the first one's trend never reaches the screen.
    choose(u"Zeus"_s);
    const auto *chart = m_window->findChild<TrendChartView *>();
    QStringList shown;
    const QMetaObject::Connection watch
        = connect(m_window.get(), &RecordsWindow::summaryShown, this,
                  [&shown, chart] { shown << chart->chart()->title(); });
    m_stallions->setCurrentItem(stallionItem(u"Ábaco"_s));
    m_stallions->setCurrentItem(stallionItem(u"Nordlicht"_s));
    QTRY_COMPARE(shown, QStringList{u"Nordlicht: sperm and doses per collection"_s});
    disconnect(watch);
    QCOMPARE(m_window->statusBar()->currentMessage(),
             u"%1 collections"_s.arg(selectedIds(m_sheets, {u"Nordlicht"_s, {}, {}, {}}).size()));
    choose(u"All stallions"_s);
}

void TestRecordsWindow::searchAndDays()
{
    choose(u"All stallions"_s);
    auto *search = m_window->findChild<QLineEdit *>(u"search"_s);
    QTest::keyClicks(search, u"LIBIDO"_s);
    const SheetFilter libido{{}, {}, {}, u"libido"_s};
    QTRY_COMPARE(shownRows(), int(selectedIds(m_sheets, libido).size()));

    // The days count in UTC, both ends included.
    auto *sinceOn = m_window->findChild<QCheckBox *>(u"sinceOn"_s);
    auto *untilOn = m_window->findChild<QCheckBox *>(u"untilOn"_s);
    m_window->findChild<QDateEdit *>(u"since"_s)->setDate(QDate(2026, 3, 20));
    m_window->findChild<QDateEdit *>(u"until"_s)->setDate(QDate(2026, 4, 10));
    sinceOn->setChecked(true);
    untilOn->setChecked(true);
    const SheetFilter ranged{{}, QDate(2026, 3, 20), QDate(2026, 4, 10), u"libido"_s};
    QCOMPARE(shownRows(), int(selectedIds(m_sheets, ranged).size()));
    QVERIFY(shownRows() > 0);
    choose(u"Zeus"_s);
    QCOMPARE(
        shownRows(),
        int(selectedIds(m_sheets, {u"Zeus"_s, ranged.since, ranged.until, u"libido"_s}).size()));
    const auto *chart = m_window->findChild<TrendChartView *>();
    QVERIFY(chart->totalLine()->count() <= shownRows());

    search->clear();
    sinceOn->setChecked(false);
    untilOn->setChecked(false);
    choose(u"All stallions"_s);
    QTRY_COMPARE(shownRows(), kSheets);
}

void TestRecordsWindow::detailsAndPicture()
{
    choose(u"All stallions"_s);
    QAction *labels = m_window->findChild<QAction *>(u"printLabels"_s);
    QCOMPARE(labels->isEnabled(), false);
    const auto value = [this](const char *key) {
        return m_window->findChild<QLabel *>(QString::fromLatin1(key))->text();
    };
    auto *picture = m_window->findChild<QLabel *>(u"picture"_s);
    // Newest first: row r is sheet kSheets - 1 - r; every tenth kept its picture.
    for (int row : {kSheets - 1 - 250, kSheets - 1 - 251}) {
        const SheetRecord &sheet = m_sheets[kSheets - 1 - row];
        m_table->scrollToBottom();
        m_table->selectRow(row);
        QCOMPARE(m_window->currentSheet().value_or(SheetRecord{}).id, sheet.id);
        QCOMPARE(value("record"), QString::number(sheet.id));
        for (Field field : kAllFields) {
            const std::string_view name = fieldName(field);
            QCOMPARE(value(name.data()), sheet.text(field));
        }
        QCOMPARE(value("workstation"), sheet.workstation);
        QCOMPARE(value("operator"), sheet.operatorName);
        QCOMPARE(value("printed"), sheet.printed ? u"Yes, to %1"_s.arg(sheet.printer) : u"No"_s);
        if (sheet.picturePng.isEmpty()) {
            QCOMPARE(picture->pixmap().isNull(), true);
            QCOMPARE(picture->text(), u"No picture was kept with this sheet."_s);
        } else {
            // At its own size, pixel for pixel.
            const QImage kept = QImage::fromData(sheet.picturePng, "PNG");
            QCOMPARE(picture->pixmap().size(), kept.size());
            QCOMPARE(picture->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                     kept.convertToFormat(QImage::Format_RGB32));
        }
        QCOMPARE(labels->isEnabled(), true);
    }
}

void TestRecordsWindow::exportsFromTheWindow()
{
    choose(u"Zeus"_s);
    const QList<qint64> ids = selectedIds(m_sheets, {u"Zeus"_s, {}, {}, {}});
    QSignalSpy finished(m_window.get(), &RecordsWindow::exportFinished);

    const QString csv = m_dir.filePath(u"zeus.csv"_s);
    m_window->exportCsvTo(csv);
    QVERIFY(finished.wait());
    QCOMPARE(finished.takeFirst().at(1).value<ExportOutcome>().error, QString());
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QStringList> rows = parseCsv(file.readAll());
    QCOMPARE(rows.size(), ids.size() + 1);
    for (qsizetype i = 0; i < ids.size(); ++i)
        QCOMPARE(rows[i + 1].value(0).toLongLong(), ids[i]);

    // The report: its title, the chart, and every filtered row by the time it was saved.
    const QString pdf = m_dir.filePath(u"zeus.pdf"_s);
    m_window->exportReportTo(pdf);
    QVERIFY(finished.wait());
    const ExportOutcome outcome = finished.takeFirst().at(1).value<ExportOutcome>();
    QCOMPARE(outcome.error, QString());
    QCOMPARE(outcome.rows, ids.size());
    const QString text
        = QString::fromUtf8(toolOutput(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s}));
    QVERIFY2(text.contains(u"Estrivo Records: collections of Zeus"_s), qPrintable(text));
    QVERIFY(text.contains(u"Zeus: sperm and doses per collection"_s)); // the chart's title
    for (qint64 id : ids) {
        const SheetRecord &sheet = m_sheets[id - m_sheets.front().id];
        QVERIFY2(text.contains(savedText(sheet.savedAt)), qPrintable(savedText(sheet.savedAt)));
    }
    QCOMPARE(pdfInfo(pdf, u"Page size"_s), u"842 x 595 pts (A4)"_s);
    choose(u"All stallions"_s);
}

void TestRecordsWindow::labelsToPdf()
{
    choose(u"All stallions"_s);
    m_table->selectRow(3);
    const SheetRecord sheet = m_sheets[kSheets - 1 - 3];
    m_window->findChild<QAction *>(u"printLabels"_s)->trigger();
    QTRY_VERIFY(m_window->findChild<LabelsDialog *>());
    auto *dialog = m_window->findChild<LabelsDialog *>();
    auto *count = dialog->findChild<QSpinBox *>(u"count"_s);
    QCOMPARE(count->value(), std::max(1, sheet.text(Field::NumDoses).toInt()));
    count->setValue(3);
    dialog->findChild<QDoubleSpinBox *>(u"labelWidth"_s)->setValue(50);
    dialog->findChild<QDoubleSpinBox *>(u"labelHeight"_s)->setValue(30);
    auto *target = dialog->findChild<QComboBox *>(u"target"_s);
    target->setCurrentIndex(target->findText(u"PDF file"_s));
    const QString pdf = m_dir.filePath(u"labels.pdf"_s);
    dialog->findChild<QLineEdit *>(u"pdfFile"_s)->setText(pdf);
    QSignalSpy printed(dialog, &LabelsDialog::printed);
    dialog->findChild<QPushButton *>(u"print"_s)->click();
    QCOMPARE(printed.size(), 1);
    QCOMPARE(pdfInfo(pdf, u"Pages"_s), u"3"_s);
    QCOMPARE(pdfInfo(pdf, u"Page size"_s), u"142 x 85 pts"_s); // 50 x 30 mm, whole points
    const QByteArray page = toolOutput(
        u"pdftoppm"_s, {u"-png"_s, u"-r"_s, u"300"_s, u"-f"_s, u"2"_s, u"-l"_s, u"2"_s, pdf});
    const QString png = m_dir.filePath(u"label-2.png"_s);
    QVERIFY(QImage::fromData(page, "PNG").save(png));
    QCOMPARE(toolOutput(u"zbarimg"_s, {u"--quiet"_s, u"--raw"_s, png}),
             doseCode(sheet.id, 2) + '\n');
}

void TestRecordsWindow::trendFromTheHistory()
{
    // Once every sheet's numbers are in memory, a stallion's trend comes from there, day
    // ranges included, and a sheet saved since is not missed.
    QTRY_COMPARE(m_historyRead->size(), 1);
    QCOMPARE(m_historyRead->at(0).at(0).toLongLong(), qint64(kSheets));
    const auto *chart = m_window->findChild<TrendChartView *>();
    const auto shows = [&](const SheetFilter &filter) {
        qsizetype measured = 0;
        for (qint64 id : selectedIds(m_sheets, filter)) {
            bool number = false;
            m_sheets[id - m_sheets.front().id].text(Field::Con).toDouble(&number);
            measured += number;
        }
        const QString count = u"%1 collections"_s.arg(selectedIds(m_sheets, filter).size());
        QCOMPARE(m_window->statusBar()->currentMessage(), count);
        QCOMPARE(chart->totalLine()->count(), measured);
    };
    choose(u"All stallions"_s);
    m_window->findChild<QDateEdit *>(u"since"_s)->setDate(QDate(2026, 4, 1));
    m_window->findChild<QCheckBox *>(u"sinceOn"_s)->setChecked(true);
    choose(u"Sören Ørsted"_s);
    shows({u"Sören Ørsted"_s, QDate(2026, 4, 1), {}, {}});
    m_window->findChild<QCheckBox *>(u"sinceOn"_s)->setChecked(false);

    SheetRecord late = generatedSheet(kSheets * 6); // one of Zeus's, after all the others
    {
        Journal journal(m_journal);
        QVERIFY(journal.open().ok());
        QVERIFY(journal.saveSheet(late).ok());
    }
    m_sheets << late;
    choose(u"All stallions"_s);
    choose(u"Zeus"_s);
    shows({u"Zeus"_s, {}, {}, {}});
    QTRY_COMPARE(m_historyRead->size(), 2); // read again, with the new sheet
    QCOMPARE(m_historyRead->at(1).at(0).toLongLong(), qint64(kSheets + 1));
    choose(u"All stallions"_s);
    choose(u"Zeus"_s);
    shows({u"Zeus"_s, {}, {}, {}});
    choose(u"All stallions"_s);
}

void TestRecordsWindow::journalLocationIsTestedFirst()
{
    const QString setting = u"journal/location"_s;
    QCOMPARE(QSettings(u"Estrivo"_s, u"Estrivo"_s).contains(setting), false);
    QFile notJournal(m_dir.filePath(u"notes.txt"_s));
    QVERIFY(notJournal.open(QIODevice::WriteOnly));
    notJournal.write("not a database");
    notJournal.close();

    m_window->findChild<QAction *>(u"journalLocation"_s)->trigger();
    QTRY_VERIFY(m_window->findChild<JournalDialog *>());
    QPointer<JournalDialog> dialog = m_window->findChild<JournalDialog *>();
    auto *location = dialog->findChild<QLineEdit *>(u"location"_s);
    QCOMPARE(location->text(), m_journal);
    auto *ok = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
    auto *status = dialog->findChild<QLabel *>(u"status"_s);

    // Refused: the setting stays as it was, the window on its journal, the dialog open.
    location->setText(notJournal.fileName());
    ok->click();
    QTRY_VERIFY(status->text().startsWith(u"Not kept: "_s));
    QVERIFY2(status->text().contains(u"not a database"_s), qPrintable(status->text()));
    QCOMPARE(QSettings(u"Estrivo"_s, u"Estrivo"_s).contains(setting), false);
    QCOMPARE(m_window->journalLocation(), m_journal);
    QVERIFY(dialog->isVisible());

    // Kept once it opens: the setting, and the window on the new, empty journal.
    const QString fresh = m_dir.filePath(u"station/new-journal.sqlite"_s);
    location->setText(fresh);
    QSignalSpy opened(m_window.get(), &RecordsWindow::journalOpened);
    ok->click();
    QVERIFY(opened.wait());
    QTRY_VERIFY(!dialog || !dialog->isVisible());
    QCOMPARE(QSettings(u"Estrivo"_s, u"Estrivo"_s).value(setting).toString(), fresh);
    QCOMPARE(resolveJournalLocation({}, false).location, fresh); // as both programs read it
    QCOMPARE(m_window->journalLocation(), fresh);
    QCOMPARE(m_stallions->topLevelItemCount(), 1);
    QCOMPARE(m_stallions->topLevelItem(0)->text(1), u"0"_s);
    QCOMPARE(m_table->model()->rowCount(), 0);
}

QTEST_MAIN(TestRecordsWindow)
#include "tst_records_window.moc"
