#include "records_window.h"

#include "containers_dialog.h"
#include "doses_pane.h"
#include "frozen_pane.h"
#include "journal_dialog.h"
#include "journal_service.h"
#include "labels_dialog.h"
#include "records_text.h"
#include "report.h"
#include "scan_field.h"
#include "sheet_table_model.h"
#include "stallion_dialog.h"
#include "station_dialog.h"
#include "trend.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPicture>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <chrono>

// The icon and the manual live in the library's resources, which a static library's user
// only gets when asked for.
static void initRecordsResources()
{
    Q_INIT_RESOURCE(records);
}

namespace estrivo {

namespace {

// A tab page that scrolls: its preferred size is a fixed guess rather than its content's, which
// a window would otherwise work out again, over every widget of the page, whenever a line
// above the table comes or goes.
class PageScrollArea : public QScrollArea
{
public:
    QSize sizeHint() const override { return {kPageWidth, kPageHeight}; }

private:
    static constexpr int kPageWidth = 420;
    static constexpr int kPageHeight = 320;
};

using namespace std::chrono_literals;

constexpr auto kSearchPause = 250ms;
// Other programs' saves are taken in a burst at a time, not one by one.
constexpr auto kChangePause = 150ms;
constexpr int kAllStallionsRow = 0;
constexpr int kStallionRole = Qt::UserRole + 1;
const QSize kWindowSize(1180, 760);
// The most of the screen a first start takes: a large scale factor must not push the window's
// edges off it.
constexpr double kScreenShare = 0.9;

// The window's own settings, apart from the journal's location the two programs share.
QSettings windowSettings()
{
    return QSettings(QStringLiteral("Estrivo"), QStringLiteral("estrivo-records"));
}

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
    , m_model(new SheetTableModel(this))
{
    initRecordsResources();
    setObjectName(QStringLiteral("recordsWindow"));
    setWindowTitle(tr("Estrivo Records"));
    setWindowIcon(QIcon(QStringLiteral(":/estrivo-records/estrivo-records.png")));
    m_searchPause.setSingleShot(true);
    m_searchPause.setInterval(kSearchPause);
    connect(&m_searchPause, &QTimer::timeout, this, &RecordsWindow::applyFilter);
    m_changePause.setSingleShot(true);
    m_changePause.setInterval(kChangePause);
    connect(&m_changePause, &QTimer::timeout, this, &RecordsWindow::journalChanged);
    connect(m_model, &SheetTableModel::failed, this, &RecordsWindow::showNotice);
    connect(m_model, &SheetTableModel::loadingChanged, this, &RecordsWindow::showNotice);
    connect(m_model, &SheetTableModel::rowsAddedAbove, this, &RecordsWindow::keepScrollPosition);
    connect(m_model, &SheetTableModel::pageArrived, this, [this](bool first) {
        showNotice();
        if (first && m_keepSheet != 0) {
            // After a refresh, the sheet that was chosen is chosen again where it now is.
            const int row = m_model->rowOf(std::exchange(m_keepSheet, 0));
            if (row >= 0)
                m_table->setCurrentIndex(m_model->index(row, 0));
        }
        if (first)
            emit journalOpened();
    });
    connect(m_model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &from, const QModelIndex &to) {
                // A print outcome that came in for the sheet on show.
                const int current = m_table->currentIndex().row();
                if (current >= from.row() && current <= to.row())
                    showCurrentSheet();
            });
    buildActions();
    buildLayout();
    buildRegister();
    buildFrozen();
    restoreLayout();
    openJournal(location);
}

RecordsWindow::~RecordsWindow()
{
    saveLayout();
    closeJournal();
}

void RecordsWindow::restoreLayout()
{
    QSettings settings = windowSettings();
    if (!restoreGeometry(settings.value(QStringLiteral("window/geometry")).toByteArray())) {
        QSize size = kWindowSize;
        if (const QScreen *shown = screen())
            size = size.boundedTo(shown->availableGeometry().size() * kScreenShare);
        resize(size);
    }
    restoreState(settings.value(QStringLiteral("window/state")).toByteArray());
    m_mainSplitter->restoreState(
        settings.value(QStringLiteral("window/mainSplitter")).toByteArray());
    m_listSplitter->restoreState(
        settings.value(QStringLiteral("window/listSplitter")).toByteArray());
    // This Qt's header refuses even a state it has just saved (restoreState() gives false), so
    // the widths and the order are kept one by one.
    QHeaderView *header = m_table->horizontalHeader();
    const QVariantList widths = settings.value(QStringLiteral("window/columnWidths")).toList();
    // Widths kept by a program with other columns would fit the wrong titles.
    if (widths.size() == kSheetColumnCount) {
        for (int column = 0; column < kSheetColumnCount - 1; ++column) // the last one stretches
            header->resizeSection(column,
                                  std::max(widths[column].toInt(), header->minimumSectionSize()));
    }
    const int sorted = settings.value(QStringLiteral("window/sortColumn"), -1).toInt();
    if (SheetTableModel::sortKeyOf(sorted)) {
        const bool ascending = settings.value(QStringLiteral("window/sortAscending")).toBool();
        header->setSortIndicator(sorted, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    }
    m_model->sort(header->sortIndicatorSection(), header->sortIndicatorOrder());
    showSortOrder();
}

void RecordsWindow::saveLayout()
{
    QSettings settings = windowSettings();
    settings.setValue(QStringLiteral("window/geometry"), saveGeometry());
    settings.setValue(QStringLiteral("window/state"), saveState());
    settings.setValue(QStringLiteral("window/mainSplitter"), m_mainSplitter->saveState());
    settings.setValue(QStringLiteral("window/listSplitter"), m_listSplitter->saveState());
    const QHeaderView *header = m_table->horizontalHeader();
    QVariantList widths;
    for (int column = 0; column < header->count(); ++column)
        widths << header->sectionSize(column);
    settings.setValue(QStringLiteral("window/columnWidths"), widths);
    settings.setValue(QStringLiteral("window/sortColumn"), header->sortIndicatorSection());
    settings.setValue(QStringLiteral("window/sortAscending"),
                      header->sortIndicatorOrder() == Qt::AscendingOrder);
}

void RecordsWindow::showSortOrder()
{
    // A column the journal cannot sort keeps the indicator where the order is.
    QHeaderView *header = m_table->horizontalHeader();
    const SheetOrder order = m_model->order();
    const std::optional<SheetSortKey> shown
        = SheetTableModel::sortKeyOf(header->sortIndicatorSection());
    const Qt::SortOrder direction = order.ascending ? Qt::AscendingOrder : Qt::DescendingOrder;
    if (!shown || *shown != order.key || header->sortIndicatorOrder() != direction)
        header->setSortIndicator(SheetTableModel::columnOf(order.key), direction);
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

    QMenu *help = menuBar()->addMenu(tr("&Help"));
    QAction *manual
        = help->addAction(tr("Estrivo Records &Manual"), this, &RecordsWindow::openManual);
    manual->setObjectName(QStringLiteral("manual"));
    manual->setShortcut(QKeySequence::HelpContents);
    QAction *about
        = help->addAction(tr("&About Estrivo Records"), this, &RecordsWindow::openAbout);
    about->setObjectName(QStringLiteral("about"));

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
    // The journal sorts, so a journal of any size sorts at once; newest first to start with.
    m_table->horizontalHeader()->setSortIndicator(int(SheetColumn::Saved), Qt::DescendingOrder);
    m_table->setSortingEnabled(true);
    connect(m_table->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this] { showSortOrder(); });
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
    auto *quantity = new QComboBox;
    quantity->setObjectName(QStringLiteral("trendQuantity"));
    for (int q = 0; q < kTrendQuantityCount; ++q)
        quantity->addItem(quantityTitle(TrendQuantity(q)), q);
    quantity->setCurrentIndex(int(m_chart->quantity()));
    connect(quantity, &QComboBox::currentIndexChanged, this, [this, quantity] {
        m_chart->setQuantity(TrendQuantity(quantity->currentData().toInt()));
    });
    auto *show = new QLabel(tr("S&how:"));
    show->setBuddy(quantity);
    auto *trendPane = new QWidget;
    auto *trendLayout = new QVBoxLayout(trendPane);
    auto *chooser = new QHBoxLayout;
    chooser->addWidget(show);
    chooser->addWidget(quantity);
    chooser->addStretch(1);
    trendLayout->addLayout(chooser);
    trendLayout->addWidget(m_chart, 1);
    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->addTab(detailsScroll, tr("&Sheet"));
    m_tabs->addTab(trendPane, tr("T&rend"));

    auto *listPane = new QWidget;
    auto *listLayout = new QVBoxLayout(listPane);
    listLayout->setContentsMargins(0, 0, 0, 0);
    m_notice = new QLabel;
    m_notice->setObjectName(QStringLiteral("journalNotice"));
    m_notice->setWordWrap(true);
    m_notice->setTextFormat(Qt::PlainText);
    m_notice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_notice->setFrameShape(QFrame::StyledPanel);
    m_notice->setMargin(6);
    m_notice->hide();
    listLayout->addWidget(m_notice);
    m_viewing = new QLabel;
    m_viewing->setObjectName(QStringLiteral("viewingNote"));
    m_viewing->setWordWrap(true);
    m_viewing->setTextFormat(Qt::PlainText);
    m_viewing->hide();
    listLayout->addWidget(m_viewing);
    listLayout->addLayout(filters);
    listLayout->addWidget(m_table);

    auto *right = new QSplitter(Qt::Vertical);
    right->setObjectName(QStringLiteral("listSplitter"));
    right->addWidget(listPane);
    right->addWidget(m_tabs);
    right->setSizes({360, 400});
    auto *main = new QSplitter(Qt::Horizontal);
    main->setObjectName(QStringLiteral("mainSplitter"));
    main->addWidget(m_stallions);
    main->addWidget(right);
    main->setStretchFactor(1, 1);
    main->setSizes({230, 950});
    setCentralWidget(main);
    m_mainSplitter = main;
    m_listSplitter = right;

    m_journalStatus = new QLabel;
    m_journalStatus->setObjectName(QStringLiteral("journalStatus"));
    statusBar()->addPermanentWidget(m_journalStatus);
    updateActions();
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
    m_journal = new JournalService(location, JournalCreation::Nothing, this);
    m_doses->setJournal(m_journal);
    m_frozen->setJournal(m_journal);
    m_scan->setJournal(m_journal);
    connect(m_journal, &JournalService::changed, &m_changePause, qOverload<>(&QTimer::start));
    connect(m_journal, &JournalService::availabilityChanged, this,
            &RecordsWindow::showAvailability);
    connect(m_journal, &JournalService::waiting, this, &RecordsWindow::showWaiting);
    m_journalStatus->setText(tr("Opening %1...").arg(displayLocation(location)));
    JournalService *journal = m_journal;
    whenReady(m_journal->probe(), this, [this, journal](const JournalReply<bool> &reply) {
        if (journal == m_journal)
            opened(reply);
    });
    // From now on the journal is watched: other programs' saves, and its coming and going.
    m_journal->watchChanges();
    showNotice();
}

void RecordsWindow::opened(const JournalReply<bool> &reply)
{
    if (!reply.value) {
        // Not there yet: the service asks again every few seconds and says when it answers.
        m_open = false;
        m_down = reply.error;
        m_journalStatus->setText(tr("Journal %1 not open").arg(displayLocation(m_location)));
        showNotice();
        updateActions();
        emit journalFailed(reply.error.reason);
        return;
    }
    m_open = true;
    m_down = {};
    m_openedWith = reply.error;
    m_journalStatus->setText(m_openedWith.ok()
                                 ? tr("Journal: %1").arg(displayLocation(m_location))
                                 : tr("Journal: %1 (read-only)").arg(displayLocation(m_location)));
    showNotice();
    loadStallions();
    applyFilter();
}

void RecordsWindow::closeJournal()
{
    m_model->clear();
    m_current.reset();
    m_open = false;
    m_answering = true;
    m_down = {};
    m_openedWith = {};
    m_waited = {};
    m_changePause.stop();
    // Its thread ends by itself; a read still hanging on a server holds up nothing here.
    delete std::exchange(m_journal, nullptr);
    if (m_stallions)
        m_stallions->clear();
    if (m_notice)
        showNotice();
    updateActions();
}

void RecordsWindow::refresh()
{
    if (!m_journal) {
        openJournal(m_location);
        return;
    }
    if (!m_open || !m_down.ok()) {
        m_journal->retryNow();
        if (!m_open) {
            JournalService *journal = m_journal;
            whenReady(m_journal->probe(), this, [this, journal](const JournalReply<bool> &reply) {
                if (journal == m_journal && !m_open)
                    opened(reply);
            });
            return;
        }
    }
    m_keepSheet = m_current ? m_current->id : 0;
    loadStallions();
    applyFilter();
}

void RecordsWindow::journalChanged()
{
    if (!m_open)
        return;
    loadStallions();
    if (!m_model->order().isNewestFirst())
        m_keepSheet = m_current ? m_current->id : 0; // the list is read again from its start
    m_model->refreshNewest();
    requestSummary();
    // Another workstation may have moved doses or straws; a hidden tab reads once it is shown.
    m_doses->rereadWhenShown();
    m_frozen->rereadWhenShown();
    emit liveUpdated();
}

void RecordsWindow::keepScrollPosition(int rowsAbove)
{
    // Rows saved elsewhere come in above: the rows in view stay in view, unless the view was
    // at the top, where the newest belong.
    QScrollBar *bar = m_table->verticalScrollBar();
    if (bar->value() == 0)
        return;
    const int step = m_table->verticalScrollMode() == QAbstractItemView::ScrollPerItem
                         ? 1
                         : m_table->verticalHeader()->defaultSectionSize();
    bar->setValue(bar->value() + rowsAbove * step);
}

void RecordsWindow::loadStallions()
{
    const quint64 request = ++m_stallionRequest;
    whenReady(m_journal->stallions(), this,
              [this, request](const JournalReply<QList<StallionCount>> &reply) {
                  if (request != m_stallionRequest)
                      return;
                  if (reply.ok())
                      showStallions(reply.value);
              });
}

void RecordsWindow::showStallions(const QList<StallionCount> &found)
{
    const QString chosen = filter().stallion;
    const bool allChosen
        = m_stallions->currentItem() == nullptr
          || m_stallions->indexOfTopLevelItem(m_stallions->currentItem()) == kAllStallionsRow;
    const QSignalBlocker quiet(m_stallions);
    const int scrolled = m_stallions->verticalScrollBar()->value();
    m_stallions->clear();
    QList<StallionCount> counts = found;
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
        // The same stallion again, even when another spelling is now the one used most.
        if (!allChosen && count.key == stallionKey(chosen))
            current = item;
    }
    m_stallions->setCurrentItem(current);
    m_stallions->verticalScrollBar()->setValue(scrolled);
    showNotice();
}

void RecordsWindow::applyFilter()
{
    m_searchPause.stop();
    if (!m_open)
        return;
    m_current.reset();
    m_wantedSheet = 0;
    m_model->setSource(m_journal, filter(), m_model->order());
    m_frozen->setStallion(filter().stallion);
    showCurrentSheet();
    requestSummary();
    updateActions();
}

void RecordsWindow::requestSummary()
{
    // The count and the trend come from the journal's thread: a long history is read there.
    // The chart keeps the last stallion's lines until the next one's come, a moment later.
    const SheetFilter chosen = filter();
    if (chosen.stallion.isEmpty())
        m_chart->showNothing(tr("Choose a stallion to see his trend"));
    const quint64 request = ++m_summaryRequest;
    whenReady(m_journal->run<FilterSummary>([chosen](Journal &journal) {
        FilterSummary summary;
        summary.stallion = chosen.stallion;
        if (chosen.stallion.isEmpty()) {
            summary.collections = journal.sheetCount(chosen);
            summary.error = journal.lastError();
            return summary;
        }
        // One pass over his sheets both counts them and gives the trend.
        QList<TrendSample> samples;
        summary.error = journal.forEachSheet(
            chosen, SheetDetail::Trend, [&samples](const SheetRecord &sheet) {
                samples.append({collectionTime(sheet).toUTC(), sheetNumbers(sheet)});
                return true;
            });
        summary.collections = samples.size();
        summary.trend = trendSeries(std::move(samples));
        return summary;
    }),
              this, [this, request](const FilterSummary &summary) {
                  if (request == m_summaryRequest)
                      showSummary(summary);
              });
}

void RecordsWindow::showSummary(const FilterSummary &summary)
{
    if (!summary.error.ok()) {
        showNotice();
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
    if (!row || !m_journal) {
        m_current.reset();
        m_wantedSheet = 0;
        clearDetails(tr("Choose a collection to see its sheet."));
        return;
    }
    // The same sheet again (rows came in above it) needs no new read, unless it changed.
    if (m_current && m_current->id == row->id && m_current->printed == row->printed)
        return;
    readSheet(row->id);
}

void RecordsWindow::readSheet(qint64 id)
{
    m_wantedSheet = id;
    if (!m_current || m_current->id != id) {
        m_current.reset();
        clearDetails(tr("Reading sheet %1...").arg(id));
    }
    whenReady(m_journal->sheet(id), this, [this, id](const JournalReply<SheetRecord> &reply) {
        if (id != m_wantedSheet)
            return;
        if (!reply.ok()) {
            m_current.reset();
            clearDetails(reply.error.reason);
            return;
        }
        showSheet(reply.value);
    });
}

void RecordsWindow::clearDetails(const QString &why)
{
    for (const DetailRow &detail : kDetailRows) {
        if (auto *label = m_details->findChild<QLabel *>(QString::fromLatin1(detail.key)))
            label->clear();
    }
    m_picture->setPixmap({});
    m_picture->setText(why);
    m_doses->clear(why);
    m_frozen->setCurrentSheet(std::nullopt);
    updateActions();
}

void RecordsWindow::showSheet(const SheetRecord &shown)
{
    m_current = shown;
    const SheetRecord &sheet = *m_current;
    const auto set = [this](const QString &key, const QString &text) {
        if (auto *label = m_details->findChild<QLabel *>(key))
            label->setText(text);
    };
    set(QStringLiteral("record"), QString::number(sheet.id));
    set(QStringLiteral("saved"),
        sheet.savedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t")));
    for (Field field : kAllFields)
        set(detailKey(field), sheet.text(field));
    // Volumes at a reading precision, with the unit; the kept text, in full, on hover.
    for (Field field : {Field::SemenVol, Field::ExtVol, Field::VPD}) {
        auto *label = m_details->findChild<QLabel *>(detailKey(field));
        const std::optional<double> ml = numberIn(sheet.text(field));
        if (!label || !ml)
            continue;
        label->setText(tr("%1 ml").arg(QLocale::c().toString(*ml, 'f', 2)));
        label->setToolTip(sheet.text(field));
    }
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
    m_doses->showSheet(sheet);
    m_frozen->setCurrentSheet(sheet);
    updateActions();
    emit sheetShown(sheet.id);
}

void RecordsWindow::showAvailability(const JournalError &error)
{
    m_down = error;
    if (error.ok()) {
        m_answering = true;
        if (!m_open) {
            // It answers at last: open it as if it had at the start.
            JournalService *journal = m_journal;
            whenReady(m_journal->probe(), this, [this, journal](const JournalReply<bool> &reply) {
                if (journal == m_journal && !m_open)
                    opened(reply);
            });
        } else {
            if (m_model->rowCount() == 0 || !m_model->error().isEmpty()) {
                m_keepSheet = m_current ? m_current->id : 0;
                m_model->refreshNewest();
            }
            // A sheet chosen while it was away could not be read then.
            showCurrentSheet();
        }
    } else {
        m_answering = false;
    }
    showNotice();
}

void RecordsWindow::showWaiting(std::chrono::milliseconds waited)
{
    m_waited = waited;
    showNotice();
}

QString RecordsWindow::journalNotice() const
{
    // Said whole, where the eye is, with the way out: never cut off in a status line.
    const QString where = displayLocation(m_location);
    const QString wayOut = tr("To choose another journal: File, Journal Location.");
    if (!m_down.ok())
        return tr("The journal %1 cannot be read: %2 Estrivo Records tries again every few "
                  "seconds and shows its collections as soon as it answers. %3")
            .arg(where, m_down.reason, wayOut);
    if (m_waited.count() > 0)
        return tr("Waiting for the journal %1: no answer for %2 s. The window goes on "
                  "working; what you asked for is shown once the journal answers.")
            .arg(where, QString::number(
                            std::chrono::duration_cast<std::chrono::seconds>(m_waited).count()));
    if (!m_model->error().isEmpty())
        return tr("The journal %1 could not be read: %2 %3").arg(where, m_model->error(), wayOut);
    if (m_journal && !m_open)
        return tr("Opening the journal %1...").arg(where);
    // A first start: say what will fill the window, and from where.
    if (m_open && m_model->rowCount() == 0 && !m_model->isLoading() && !m_model->canFetchMore({})
        && m_stallions->topLevelItemCount() <= 1 && filter().search.isEmpty()
        && !filter().since.isValid() && !filter().until.isValid())
        return tr("No collections yet: sheets appear here when they are printed in Estrivo. "
                  "Journal: %1")
            .arg(where);
    return {};
}

QString RecordsWindow::viewingNote() const
{
    return m_viewing->isVisible() || !m_viewing->isHidden() ? m_viewing->text() : QString();
}

void RecordsWindow::showNotice()
{
    // Browsing another journal is fine; saying so keeps it from being taken for this
    // workstation's own.
    // A label is only touched when its text changes: a word-wrapped label that is set lays
    // out the window again.
    const QString own = resolveJournalLocation({}, false).location;
    const bool elsewhere = !m_location.isEmpty() && m_location != own;
    const QString viewing = elsewhere ? tr("Viewing %1, not this workstation's journal (%2).")
                                            .arg(displayLocation(m_location), displayLocation(own))
                                      : QString();
    if (m_viewing->text() != viewing)
        m_viewing->setText(viewing);
    if (m_viewing->isVisibleTo(this) != elsewhere)
        m_viewing->setVisible(elsewhere);
    const QString notice = journalNotice();
    if (m_notice->text() != notice)
        m_notice->setText(notice);
    if (m_notice->isVisibleTo(this) != !notice.isEmpty())
        m_notice->setVisible(!notice.isEmpty());
    m_answering = m_down.ok() && m_waited.count() == 0;
}

void RecordsWindow::showStatus()
{
    statusBar()->showMessage(collectionsText(m_shownCount));
}

void RecordsWindow::updateActions()
{
    const bool open = m_open;
    m_exportCsvAction->setEnabled(open);
    m_exportReportAction->setEnabled(open);
    m_labelsAction->setEnabled(open && m_current.has_value());
    for (QAction *action : std::as_const(m_registerActions))
        action->setEnabled(open);
    if (m_frozen)
        m_frozen->setJournalOpen(open);
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
    // On a thread and a connection of their own, so browsing goes on meanwhile.
    auto *exporter = new JournalService(m_location, JournalCreation::Nothing, this);
    statusBar()->showMessage(tr("Writing %1...").arg(fileName));
    whenReady(exporter->run<ExportOutcome>([chosen, heading, fileName, report](Journal &journal) {
        const JournalError opened = journal.open();
        if (!journal.isOpen())
            return ExportOutcome{0, ExportOutcome::Kind::JournalUnreadable, fileName,
                                 opened.reason};
        // From the window the file goes to a spreadsheet program: marked as UTF-8, so one that
        // assumes a Windows code page reads the names right.
        return report ? writePdfReport(journal, chosen, heading, fileName)
                      : exportCsvFile(journal, chosen, fileName, true);
    }),
              this, [this, exporter, fileName](const ExportOutcome &outcome) {
                  exporter->deleteLater();
                  statusBar()->showMessage(exportOutcomeText(outcome));
                  emit exportFinished(fileName, outcome);
              });
}

void RecordsWindow::openLabelsDialog()
{
    if (!m_current)
        return;
    auto *dialog = new LabelsDialog(*m_current, m_location, this, m_journal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &LabelsDialog::printed, this, [this](int labels, const QString &target) {
        statusBar()->showMessage((labels == 1
                                      ? tr("1 label printed to %1").arg(target)
                                      : tr("%1 labels printed to %2").arg(labels).arg(target)));
    });
    dialog->open();
}

void RecordsWindow::buildRegister()
{
    auto *menu = new QMenu(RecordsText::tr("Re&gister"), this);
    menuBar()->insertMenu(menuBar()->actions().constLast(), menu); // before Help
    const auto add = [this, menu](const QString &name, const QString &text, auto open) {
        QAction *action = menu->addAction(text, this, [this, open] {
            if (m_journal)
                openRegisterDialog(open(m_journal));
        });
        action->setObjectName(name);
        m_registerActions << action;
    };
    add(QStringLiteral("stationProfile"), RecordsText::tr("&Station Profile..."),
        [this](JournalService *journal) { return new StationDialog(journal, this); });
    add(QStringLiteral("stallionRegister"), RecordsText::tr("S&tallions..."),
        [this](JournalService *journal) {
            auto *dialog = new StallionsDialog(journal, this);
            // A new name or a merge changes whose sheets are whose: the list, the counts and
            // the shown sheet's stallion.
            connect(dialog, &StallionsDialog::registerChanged, this, &RecordsWindow::refresh);
            return dialog;
        });
    add(QStringLiteral("containersOut"), RecordsText::tr("&Containers..."),
        [this](JournalService *journal) {
            auto *dialog = new ContainersDialog(journal, this);
            connect(dialog, &ContainersDialog::returned, m_doses, &DosesPane::reread);
            return dialog;
        });

    m_doses = new DosesPane;
    // Scrolled, as the details are: its row of buttons must not widen a narrow window.
    auto *dosesScroll = new PageScrollArea;
    dosesScroll->setObjectName(QStringLiteral("dosesTab"));
    dosesScroll->setWidget(m_doses);
    dosesScroll->setWidgetResizable(true);
    m_tabs->insertTab(1, dosesScroll, RecordsText::tr("&Doses"));
    m_scan = new ScanField;
    m_scan->setObjectName(QStringLiteral("scanField"));
    auto *tools = findChild<QToolBar *>(QStringLiteral("recordsTools"));
    tools->addSeparator();
    tools->addWidget(m_scan);
    connect(m_scan, &ScanField::doseFound, this, &RecordsWindow::showScannedDose);
    connect(m_doses, &DosesPane::stallionRegistered, this, &RecordsWindow::refresh);
    updateActions();
}

void RecordsWindow::openRegisterDialog(QDialog *dialog)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void RecordsWindow::buildFrozen()
{
    auto *menu = new QMenu(RecordsText::tr("Fro&zen"), this);
    menu->setObjectName(QStringLiteral("frozenMenu"));
    menuBar()->insertMenu(menuBar()->actions().constLast(), menu); // before Help
    m_frozen = new FrozenPane;
    m_frozen->addActionsTo(menu);
    // Scrolled, as the doses are: its buttons and lists must not widen a narrow window.
    auto *frozenScroll = new PageScrollArea;
    frozenScroll->setObjectName(QStringLiteral("frozenTab"));
    frozenScroll->setWidget(m_frozen);
    frozenScroll->setWidgetResizable(true);
    m_tabs->insertTab(2, frozenScroll, RecordsText::tr("Frozen"));
    // Said where the eye is, not in a box to click away: a tank that needs nitrogen stays
    // said until it has been checked.
    m_frozenReminder = new QLabel;
    m_frozenReminder->setObjectName(QStringLiteral("frozenReminder"));
    m_frozenReminder->setWordWrap(true);
    m_frozenReminder->setTextFormat(Qt::PlainText);
    m_frozenReminder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_frozenReminder->setFrameShape(QFrame::StyledPanel);
    m_frozenReminder->setMargin(6);
    m_frozenReminder->hide();
    if (auto *list = qobject_cast<QBoxLayout *>(m_notice->parentWidget()->layout()))
        list->insertWidget(list->indexOf(m_notice) + 1, m_frozenReminder);
    connect(m_frozen, &FrozenPane::remindersChanged, this, &RecordsWindow::showFrozenReminders);
    connect(m_frozen, &FrozenPane::kept, this,
            [this](const QString &what) { statusBar()->showMessage(what); });
    updateActions();
}

void RecordsWindow::showFrozenReminders(const QStringList &reminders)
{
    m_frozenReminder->setText(reminders.join(u' '));
    m_frozenReminder->setVisible(!reminders.isEmpty());
}

void RecordsWindow::showScannedDose(qint64 sheetId, int dose)
{
    // The scan field keeps the focus: the scanner's next label goes there too.
    m_doses->offerDose(sheetId, dose);
    m_tabs->setCurrentWidget(findChild<QScrollArea *>(QStringLiteral("dosesTab")));
    const int row = m_model->rowOf(sheetId);
    if (row >= 0) {
        const QModelIndex index = m_model->index(row, 0);
        m_table->setCurrentIndex(index);
        m_table->scrollTo(index);
        return;
    }
    // Not among the rows read (or filtered away): shown by its id, no row chosen.
    m_table->selectionModel()->clear();
    readSheet(sheetId);
}

void RecordsWindow::openManual()
{
    auto *manual = new QDialog(this);
    manual->setObjectName(QStringLiteral("manualDialog"));
    manual->setWindowTitle(tr("Estrivo Records Manual"));
    manual->setAttribute(Qt::WA_DeleteOnClose);
    auto *text = new QTextBrowser;
    text->setObjectName(QStringLiteral("manualText"));
    text->setSource(QUrl(QStringLiteral("qrc:/estrivo-records/manual.html")));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, manual, &QDialog::close);
    auto *layout = new QVBoxLayout(manual);
    layout->addWidget(text);
    layout->addWidget(buttons);
    manual->resize(640, 560);
    manual->show();
}

void RecordsWindow::openAbout()
{
    auto *about
        = new QMessageBox(QMessageBox::Information, tr("About Estrivo Records"),
                          tr("Estrivo Records %1").arg(QCoreApplication::applicationVersion()),
                          QMessageBox::Ok, this);
    about->setObjectName(QStringLiteral("aboutBox"));
    about->setIconPixmap(windowIcon().pixmap(48, 48));
    about->setInformativeText(
        tr("Browses, charts, exports and labels the collections kept by Estrivo.\n\n"
           "Free software under the GNU General Public License, version 3 or later.\n\n"
           "Journal: %1")
            .arg(displayLocation(m_location)));
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->open();
}

void RecordsWindow::openJournalDialog()
{
    auto *dialog = new JournalDialog(m_location, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &JournalDialog::locationChosen, this, &RecordsWindow::openJournal);
    dialog->open();
}

} // namespace estrivo
