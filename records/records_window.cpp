#include "records_window.h"

#include "journal_dialog.h"
#include "journal_probe.h"
#include "labels_dialog.h"
#include "report.h"
#include "sheet_table_model.h"
#include "summary_loader.h"
#include "trend.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCollator>
#include <QDateEdit>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPicture>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QThread>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <chrono>

namespace estrivo {

namespace {

using namespace std::chrono_literals;

constexpr auto kSearchPause = 250ms;
constexpr int kAllStallionsRow = 0;
constexpr int kStallionRole = Qt::UserRole + 1;
const QSize kWindowSize(1180, 760);

// The details form: each kept value under the name the sheet window gives it.
struct DetailRow
{
    const char *key; // object name of the value label
    const char *title;
};

const DetailRow kDetailRows[] = {
    {"record", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Record")},
    {"saved", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Saved")},
    {"Text1", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Stallion Name & Notes")},
    {"Date", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Collection Date")},
    {"Con", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Concentration (M/ml)")},
    {"GFV", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Gel-Free Volume (ml)")},
    {"Motility", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Motility (%)")},
    {"TotalDose", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Total Dose (M sperm)")},
    {"MinExt", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Minimum Extension Ratio")},
    {"MaxCon", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Max. Extended Concentration")},
    {"SemenVol", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Semen per Dose (ml)")},
    {"ExtVol", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Extender per Dose (ml)")},
    {"VPD", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Volume per Dose (ml)")},
    {"NumDoses", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Total Doses Possible")},
    {"printed", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Printed")},
    {"workstation", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Workstation")},
    {"operator", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Operator")},
    {"version", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Program Version")},
    {"reading", QT_TRANSLATE_NOOP("estrivo::RecordsWindow", "Reading")},
};

QString detailKey(Field field)
{
    const std::string_view name = fieldName(field);
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

} // namespace

RecordsWindow::RecordsWindow(const QString &location, QWidget *parent)
    : QMainWindow(parent)
    , m_probe(new JournalProbe(this))
    , m_summaries(new SummaryLoader(this))
    , m_model(new SheetTableModel(this))
{
    setObjectName(QStringLiteral("recordsWindow"));
    setWindowTitle(tr("Estrivo Records"));
    setWindowIcon(QIcon(QStringLiteral(":/estrivo-records/estrivo-records.png")));
    m_searchPause.setSingleShot(true);
    m_searchPause.setInterval(kSearchPause);
    connect(&m_searchPause, &QTimer::timeout, this, &RecordsWindow::applyFilter);
    connect(m_probe, &JournalProbe::finished, this, &RecordsWindow::probeFinished);
    connect(m_summaries, &SummaryLoader::summarized, this, &RecordsWindow::showSummary);
    connect(m_model, &SheetTableModel::failed, this,
            [this](const QString &reason) { statusBar()->showMessage(reason); });
    buildActions();
    buildLayout();
    resize(kWindowSize);
    openJournal(location);
}

RecordsWindow::~RecordsWindow()
{
    // The table's query belongs to the connection and ends first.
    closeJournal();
    for (QThread *thread : findChildren<QThread *>()) {
        thread->wait();
    }
}

void RecordsWindow::buildActions()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    m_exportCsvAction
        = file->addAction(tr("Export &CSV..."), this, [this] { chooseExportFile(false); });
    m_exportCsvAction->setObjectName(QStringLiteral("exportCsv"));
    m_exportCsvAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    m_exportReportAction
        = file->addAction(tr("Export PDF &Report..."), this, [this] { chooseExportFile(true); });
    m_exportReportAction->setObjectName(QStringLiteral("exportReport"));
    m_exportReportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    m_labelsAction
        = file->addAction(tr("Print Dose &Labels..."), this, &RecordsWindow::openLabelsDialog);
    m_labelsAction->setObjectName(QStringLiteral("printLabels"));
    m_labelsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    file->addSeparator();
    m_refreshAction = file->addAction(tr("Re&fresh"), this, &RecordsWindow::refresh);
    m_refreshAction->setShortcut(QKeySequence::Refresh);
    QAction *journal
        = file->addAction(tr("&Journal Location..."), this, &RecordsWindow::openJournalDialog);
    journal->setObjectName(QStringLiteral("journalLocation"));
    file->addSeparator();
    file->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);

    QToolBar *tools = addToolBar(tr("Records"));
    tools->setObjectName(QStringLiteral("recordsTools"));
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tools->addAction(m_exportCsvAction);
    tools->addAction(m_exportReportAction);
    tools->addAction(m_labelsAction);
    tools->addAction(m_refreshAction);
}

void RecordsWindow::buildLayout()
{
    m_stallions = new QTreeWidget;
    m_stallions->setObjectName(QStringLiteral("stallions"));
    m_stallions->setAccessibleName(tr("Stallions"));
    m_stallions->setColumnCount(2);
    m_stallions->setHeaderLabels({tr("Stallion"), tr("Collections")});
    m_stallions->setRootIsDecorated(false);
    m_stallions->setUniformRowHeights(true);
    m_stallions->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_stallions->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_stallions->header()->setStretchLastSection(false);
    connect(m_stallions, &QTreeWidget::currentItemChanged, this, &RecordsWindow::applyFilter);

    // Filters: a day range (each end optional) and a search over names and notes.
    m_sinceOn = new QCheckBox(tr("&From"));
    m_since = new QDateEdit(QDate::currentDate().addMonths(-1));
    m_untilOn = new QCheckBox(tr("&To"));
    m_until = new QDateEdit(QDate::currentDate());
    for (auto [check, edit, name] : {std::tuple{m_sinceOn, m_since, QStringLiteral("since")},
                                     std::tuple{m_untilOn, m_until, QStringLiteral("until")}}) {
        check->setObjectName(name + QStringLiteral("On"));
        edit->setObjectName(name);
        edit->setAccessibleName(check->text().remove(u'&'));
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setEnabled(false);
        connect(check, &QCheckBox::toggled, edit, &QWidget::setEnabled);
        connect(check, &QCheckBox::toggled, this, &RecordsWindow::applyFilter);
        connect(edit, &QDateEdit::dateChanged, this, [this, check] {
            if (check->isChecked())
                applyFilter();
        });
    }
    m_search = new QLineEdit;
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setAccessibleName(tr("Search"));
    m_search->setPlaceholderText(tr("Search names and notes"));
    m_search->setClearButtonEnabled(true);
    connect(m_search, &QLineEdit::textChanged, &m_searchPause, qOverload<>(&QTimer::start));
    auto *filters = new QHBoxLayout;
    filters->addWidget(m_sinceOn);
    filters->addWidget(m_since);
    filters->addWidget(m_untilOn);
    filters->addWidget(m_until);
    filters->addSpacing(12);
    filters->addWidget(m_search, 1);

    m_table = new QTableView;
    m_table->setObjectName(QStringLiteral("collections"));
    m_table->setAccessibleName(tr("Collections"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // Fixed row heights and no sizing to contents: a view of any length lays out at once.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    // Titles with units wrap onto two lines rather than widen every column.
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter
                                                     | Qt::Alignment(Qt::TextWordWrap));
    m_table->horizontalHeader()->setDefaultSectionSize(96);
    m_table->horizontalHeader()->setMinimumHeight(2 * m_table->fontMetrics().height() + 8);
    m_table->horizontalHeader()->resizeSection(int(SheetColumn::Saved), 124);
    m_table->horizontalHeader()->resizeSection(int(SheetColumn::Stallion), 130);
    m_table->horizontalHeader()->resizeSection(int(SheetColumn::CollectionDate), 150);
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &RecordsWindow::showCurrentSheet);

    // The chosen sheet: every kept value, and beside it the picture that was printed.
    m_details = new QWidget;
    m_details->setObjectName(QStringLiteral("details"));
    auto *form = new QFormLayout;
    for (const DetailRow &row : kDetailRows) {
        auto *value = new QLabel;
        value->setObjectName(QString::fromLatin1(row.key));
        const QString title = tr(row.title);
        value->setAccessibleName(title);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setTextFormat(Qt::PlainText);
        // A label's "&" would mark a shortcut letter; this one is part of the name.
        form->addRow(QString(title).replace(u'&', QStringLiteral("&&")) + u':', value);
    }
    m_picture = new QLabel;
    m_picture->setObjectName(QStringLiteral("picture"));
    m_picture->setAccessibleName(tr("Printed sheet"));
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *detailsLayout = new QHBoxLayout(m_details);
    detailsLayout->addLayout(form, 1);
    detailsLayout->addSpacing(16);
    detailsLayout->addWidget(m_picture, 1, Qt::AlignTop);
    auto *detailsScroll = new QScrollArea;
    detailsScroll->setWidget(m_details);
    detailsScroll->setWidgetResizable(true);

    m_chart = new TrendChartView;
    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->addTab(detailsScroll, tr("&Sheet"));
    m_tabs->addTab(m_chart, tr("T&rend"));

    auto *listPane = new QWidget;
    auto *listLayout = new QVBoxLayout(listPane);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addLayout(filters);
    listLayout->addWidget(m_table);

    auto *right = new QSplitter(Qt::Vertical);
    right->addWidget(listPane);
    right->addWidget(m_tabs);
    right->setSizes({360, 400});
    auto *main = new QSplitter(Qt::Horizontal);
    main->addWidget(m_stallions);
    main->addWidget(right);
    main->setStretchFactor(1, 1);
    main->setSizes({230, 950});
    setCentralWidget(main);

    m_journalStatus = new QLabel;
    m_journalStatus->setObjectName(QStringLiteral("journalStatus"));
    statusBar()->addPermanentWidget(m_journalStatus);
    updateActions();
}

bool RecordsWindow::isJournalOpen() const
{
    return m_journal && m_journal->isOpen();
}

SheetFilter RecordsWindow::filter() const
{
    SheetFilter filter;
    QTreeWidgetItem *item = m_stallions->currentItem();
    if (item && m_stallions->indexOfTopLevelItem(item) != kAllStallionsRow)
        filter.stallion = item->data(0, kStallionRole).toString();
    if (m_sinceOn->isChecked())
        filter.since = m_since->date();
    if (m_untilOn->isChecked())
        filter.until = m_until->date();
    filter.search = m_search->text().trimmed();
    return filter;
}

void RecordsWindow::openJournal(const QString &location)
{
    closeJournal();
    m_location = location;
    m_journalStatus->setText(tr("Opening %1...").arg(displayLocation(location)));
    m_probe->start(location);
}

void RecordsWindow::probeFinished(const QString &location, bool readable,
                                  const JournalError &error)
{
    if (location != m_location)
        return;
    // Reached from its own thread; this thread's connection now opens without a wait.
    if (readable) {
        m_journal = std::make_unique<Journal>(location);
        m_journal->open();
    }
    if (!isJournalOpen()) {
        const QString reason
            = error.reason.isEmpty() && m_journal ? m_journal->lastError().reason : error.reason;
        m_journal.reset();
        m_journalStatus->setText(
            tr("Journal %1 not open: %2").arg(displayLocation(location), reason));
        updateActions();
        emit journalFailed(reason);
        return;
    }
    m_journalStatus->setText(m_journal->isReadOnly()
                                 ? tr("Journal: %1 (read-only)").arg(displayLocation(location))
                                 : tr("Journal: %1").arg(displayLocation(location)));
    m_summaries->setLocation(location);
    loadStallions();
    applyFilter();
    emit journalOpened();
}

void RecordsWindow::closeJournal()
{
    m_model->clear();
    m_current.reset();
    m_journal.reset();
    if (m_summaries)
        m_summaries->setLocation({});
    if (m_stallions)
        m_stallions->clear();
    updateActions();
}

void RecordsWindow::refresh()
{
    if (!isJournalOpen()) {
        openJournal(m_location);
        return;
    }
    loadStallions();
    applyFilter();
}

void RecordsWindow::loadStallions()
{
    const QString chosen = filter().stallion;
    const QSignalBlocker quiet(m_stallions);
    m_stallions->clear();
    QList<StallionCount> counts = m_journal->stallions();
    // In the reader's alphabet: "Ábaco" beside "Abel", not after "Zeus".
    QCollator alphabet;
    alphabet.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(counts.begin(), counts.end(),
                     [&alphabet](const StallionCount &a, const StallionCount &b) {
                         return alphabet.compare(a.stallion, b.stallion) < 0;
                     });
    qint64 total = 0;
    for (const StallionCount &count : counts)
        total += count.collections;
    auto *all = new QTreeWidgetItem(m_stallions, {tr("All stallions"), QString::number(total)});
    all->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    QFont bold = all->font(0);
    bold.setBold(true);
    all->setFont(0, bold);
    all->setFont(1, bold);
    QTreeWidgetItem *current = all;
    for (const StallionCount &count : counts) {
        const QString name = count.stallion.isEmpty() ? tr("(no name)") : count.stallion;
        auto *item = new QTreeWidgetItem(m_stallions, {name, QString::number(count.collections)});
        item->setData(0, kStallionRole, count.stallion);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        if (count.stallion == chosen)
            current = item;
    }
    m_stallions->setCurrentItem(current);
}

void RecordsWindow::applyFilter()
{
    m_searchPause.stop();
    if (!isJournalOpen())
        return;
    const SheetFilter chosen = filter();
    m_current.reset();
    m_model->setSource(m_journal.get(), chosen);
    showCurrentSheet();
    // The count and the trend come from their own thread: a long history is read there. The
    // chart keeps the last stallion's lines until the next one's come, a moment later.
    if (chosen.stallion.isEmpty())
        m_chart->showNothing(tr("Choose a stallion to see his trend"));
    statusBar()->showMessage(tr("Counting..."));
    m_summaries->request(chosen);
    updateActions();
}

void RecordsWindow::showSummary(const FilterSummary &summary)
{
    if (!summary.error.isEmpty()) {
        statusBar()->showMessage(summary.error);
        return;
    }
    m_shownCount = summary.collections;
    showStatus();
    if (!summary.stallion.isEmpty())
        m_chart->showTrend(summary.stallion, summary.trend);
    emit summaryShown();
}

void RecordsWindow::showCurrentSheet()
{
    const QModelIndex index = m_table->currentIndex();
    const SheetRow *row = index.isValid() ? m_model->row(index.row()) : nullptr;
    m_current.reset();
    if (row && isJournalOpen())
        m_current = m_journal->sheet(row->id);

    const auto set = [this](const QString &key, const QString &text) {
        if (auto *label = m_details->findChild<QLabel *>(key))
            label->setText(text);
    };
    if (!m_current) {
        for (const DetailRow &detail : kDetailRows)
            set(QString::fromLatin1(detail.key), {});
        m_picture->setPixmap({});
        m_picture->setText(row ? m_journal->lastError().reason
                               : tr("Choose a collection to see its sheet."));
        updateActions();
        return;
    }
    const SheetRecord &sheet = *m_current;
    set(QStringLiteral("record"), QString::number(sheet.id));
    set(QStringLiteral("saved"),
        sheet.savedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t")));
    for (Field field : kAllFields)
        set(detailKey(field), sheet.text(field));
    set(QStringLiteral("printed"),
        sheet.printed
            ? tr("Yes, to %1").arg(sheet.printer)
            : (sheet.printer.isEmpty() ? tr("No") : tr("No (meant for %1)").arg(sheet.printer)));
    set(QStringLiteral("workstation"), sheet.workstation);
    set(QStringLiteral("operator"), sheet.operatorName);
    set(QStringLiteral("version"), sheet.programVersion);
    set(QStringLiteral("reading"),
        sheet.readingId ? QString::number(*sheet.readingId) : tr("none (typed)"));
    // The picture as printed: one image pixel to one pixel, never scaled.
    QImage picture = QImage::fromData(sheet.picturePng, "PNG");
    picture.setDevicePixelRatio(1.0);
    if (picture.isNull()) {
        m_picture->setPixmap({});
        m_picture->setText(tr("No picture was kept with this sheet."));
    } else {
        m_picture->setPixmap(QPixmap::fromImage(picture));
    }
    updateActions();
}

void RecordsWindow::showStatus()
{
    statusBar()->showMessage(collectionsText(m_shownCount));
}

void RecordsWindow::updateActions()
{
    const bool open = isJournalOpen();
    m_exportCsvAction->setEnabled(open);
    m_exportReportAction->setEnabled(open);
    m_labelsAction->setEnabled(open && m_current.has_value());
}

void RecordsWindow::chooseExportFile(bool report)
{
    auto *dialog = new QFileDialog(this, report ? tr("Export PDF Report") : tr("Export CSV"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilter(report ? tr("PDF files (*.pdf)") : tr("CSV files (*.csv)"));
    dialog->setDefaultSuffix(report ? QStringLiteral("pdf") : QStringLiteral("csv"));
    const QString stallion = filter().stallion;
    dialog->selectFile((stallion.isEmpty() ? tr("collections") : stallion)
                       + (report ? QStringLiteral(".pdf") : QStringLiteral(".csv")));
    connect(dialog, &QFileDialog::fileSelected, this,
            [this, report](const QString &fileName) { startExport(fileName, report); });
    dialog->open();
}

void RecordsWindow::exportCsvTo(const QString &fileName)
{
    startExport(fileName, false);
}

void RecordsWindow::exportReportTo(const QString &fileName)
{
    startExport(fileName, true);
}

void RecordsWindow::startExport(const QString &fileName, bool report)
{
    const SheetFilter chosen = filter();
    ReportHeading heading;
    if (report) {
        heading.title = chosen.stallion.isEmpty()
                            ? tr("Estrivo Records: collections")
                            : tr("Estrivo Records: collections of %1").arg(chosen.stallion);
        QStringList words;
        if (chosen.since.isValid())
            words << tr("saved from %1").arg(chosen.since.toString(Qt::ISODate));
        if (chosen.until.isValid())
            words << tr("saved until %1").arg(chosen.until.toString(Qt::ISODate));
        if (!chosen.search.isEmpty())
            words << tr("names or notes containing \"%1\"").arg(chosen.search);
        heading.filterText = words.isEmpty() ? tr("All kept collections.")
                                             : tr("Collections %1.").arg(words.join(tr(", ")));
        if (!chosen.stallion.isEmpty())
            heading.chart = m_chart->picture(reportChartSize(QPicture().logicalDpiX()));
    }
    auto outcome = std::make_shared<ExportOutcome>();
    const QString location = m_location;
    QThread *thread = QThread::create([location, chosen, heading, fileName, report, outcome] {
        Journal journal(location);
        const JournalError opened = journal.open();
        if (!journal.isOpen()) {
            *outcome = {0, opened.reason};
            return;
        }
        *outcome = report ? writePdfReport(journal, chosen, heading, fileName)
                          : exportCsvFile(journal, chosen, fileName);
    });
    thread->setParent(this);
    statusBar()->showMessage(tr("Writing %1...").arg(fileName));
    connect(thread, &QThread::finished, this, [this, thread, fileName, outcome] {
        thread->deleteLater();
        statusBar()->showMessage(
            outcome->ok() ? tr("%1 written to %2").arg(collectionsText(outcome->rows), fileName)
                          : outcome->error);
        emit exportFinished(fileName, *outcome);
    });
    thread->start();
}

void RecordsWindow::openLabelsDialog()
{
    if (!m_current)
        return;
    auto *dialog = new LabelsDialog(*m_current, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &LabelsDialog::printed, this, [this](int labels, const QString &target) {
        statusBar()->showMessage((labels == 1
                                      ? tr("1 label printed to %1").arg(target)
                                      : tr("%1 labels printed to %2").arg(labels).arg(target)));
    });
    dialog->open();
}

void RecordsWindow::openJournalDialog()
{
    auto *dialog = new JournalDialog(m_location, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &JournalDialog::locationKept, this, &RecordsWindow::openJournal);
    dialog->open();
}

} // namespace estrivo
