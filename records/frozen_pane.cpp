#include "frozen_pane.h"

#include <QShowEvent>

#include "frozen_dialogs.h"
#include "frozen_reports.h"
#include "frozen_ui.h"
#include "journal_service.h"
#include "records_text.h"
#include "register_ui.h"
#include "tanks_dialog.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace estrivo {

namespace {

enum BatchColumn {
    IdColumn,
    FrozenColumn,
    StallionColumn,
    StateColumn,
    MadeColumn,
    StoredColumn,
    UnplacedColumn,
    MotilityColumn,
    BatchColumns
};

enum PositionColumn { TankColumn, CanisterColumn, GobletColumn, CaneColumn, StrawsColumn };

QLabel *newLine(const QString &name)
{
    auto *label = new QLabel;
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QString dayText(const QDateTime &at)
{
    return at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QTableWidget *newTable(const QString &name, const QStringList &titles)
{
    auto *table = new QTableWidget(0, int(titles.size()));
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(titles);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

} // namespace

FrozenPane::FrozenPane(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frozenPane"));
    auto *layout = new QVBoxLayout(this);
    m_list
        = newTable(QStringLiteral("freezeBatches"),
                   {RecordsText::tr("No."), RecordsText::tr("Frozen"), RecordsText::tr("Stallion"),
                    RecordsText::tr("State"), RecordsText::tr("Made"), RecordsText::tr("Stored"),
                    RecordsText::tr("Unplaced"), RecordsText::tr("Post-thaw PM (%)")});
    m_list->setAccessibleName(RecordsText::tr("Freeze batches"));
    m_list->setMinimumHeight(6 * m_list->fontMetrics().height());
    connect(m_list, &QTableWidget::itemSelectionChanged, this, &FrozenPane::readDetails);

    auto *buttons = new QHBoxLayout;
    const auto button
        = [this, buttons](const QString &name, const QString &text, void (FrozenPane::*open)()) {
              auto *made = new QPushButton(text);
              made->setObjectName(name);
              connect(made, &QPushButton::clicked, this, open);
              buttons->addWidget(made);
              return made;
          };
    m_test = button(QStringLiteral("thawTest"), RecordsText::tr("Post-Thaw &Test..."),
                    &FrozenPane::openThawTestDialog);
    m_release = button(QStringLiteral("release"), RecordsText::tr("Re&lease / Hold..."),
                       &FrozenPane::openReleaseDialog);
    m_place = button(QStringLiteral("placeStraws"), RecordsText::tr("&Place..."),
                     &FrozenPane::openPlaceDialog);
    m_move = button(QStringLiteral("moveStraws"), RecordsText::tr("&Move..."),
                    &FrozenPane::openMoveDialog);
    m_dispatch = button(QStringLiteral("dispatchStraws"), RecordsText::tr("Dis&patch..."),
                        &FrozenPane::openDispatchDialog);
    m_use = button(QStringLiteral("useStraws"), RecordsText::tr("&Use..."),
                   &FrozenPane::openUseDialog);
    buttons->addStretch(1);

    auto *detailsPane = new QWidget;
    auto *details = new QVBoxLayout(detailsPane);
    details->setContentsMargins(0, 0, 0, 0);
    m_heading = newLine(QStringLiteral("frozenHeading"));
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    details->addWidget(m_heading);
    details->addLayout(buttons);
    m_note = newLine(QStringLiteral("frozenNote"));
    details->addWidget(m_note);
    m_details = newLine(QStringLiteral("batchDetails"));
    m_details->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_positions = newTable(QStringLiteral("placements"),
                           {RecordsText::tr("Tank"), RecordsText::tr("Canister"),
                            RecordsText::tr("Goblet"), RecordsText::tr("Cane"),
                            RecordsText::tr("Straws")});
    m_positions->setAccessibleName(RecordsText::tr("Straws in the tanks"));
    auto *below = new QHBoxLayout;
    below->addWidget(m_details, 3);
    below->addWidget(m_positions, 2);
    details->addLayout(below, 1);

    auto *split = new QSplitter(Qt::Vertical);
    split->addWidget(m_list);
    split->addWidget(detailsPane);
    layout->addWidget(split);
    m_heading->setText(RecordsText::tr("Choose a freeze batch to see its straws."));
    m_refresh.setInterval(kReminderRefresh);
    connect(&m_refresh, &QTimer::timeout, this, &FrozenPane::reread);
    m_refresh.start();
    updateButtons();
}

void FrozenPane::setJournal(JournalService *journal)
{
    m_journal = journal;
    m_listed = false;
}

void FrozenPane::setJournalOpen(bool open)
{
    const bool opened = open && !m_open;
    m_open = open;
    updateButtons();
    if (opened)
        reread();
}

void FrozenPane::setStallion(const QString &stallion)
{
    if (m_listed && stallion == m_stallion)
        return;
    m_stallion = stallion;
    reread();
}

void FrozenPane::setCurrentSheet(const std::optional<SheetRecord> &sheet)
{
    m_sheet = sheet;
    updateButtons();
}

void FrozenPane::addActionsTo(QMenu *menu)
{
    m_newBatchAction = menu->addAction(RecordsText::tr("&New Freeze Batch..."), this,
                                       &FrozenPane::openFreezeBatchDialog);
    m_newBatchAction->setObjectName(QStringLiteral("newFreezeBatch"));
    m_newBatchAction->setToolTip(RecordsText::tr("Freezes straws from the chosen collection."));
    const auto add
        = [this, menu](const QString &name, const QString &text, void (FrozenPane::*open)()) {
              QAction *action = menu->addAction(text, this, open);
              action->setObjectName(name);
              m_batchActions << action;
          };
    add(QStringLiteral("thawTestAction"), RecordsText::tr("Post-Thaw &Test..."),
        &FrozenPane::openThawTestDialog);
    add(QStringLiteral("releaseAction"), RecordsText::tr("&Release / Hold / Quarantine..."),
        &FrozenPane::openReleaseDialog);
    add(QStringLiteral("placeAction"), RecordsText::tr("&Place Straws..."),
        &FrozenPane::openPlaceDialog);
    add(QStringLiteral("moveAction"), RecordsText::tr("&Move Straws..."),
        &FrozenPane::openMoveDialog);
    menu->addSeparator();
    m_tanksAction
        = menu->addAction(RecordsText::tr("T&anks..."), this, &FrozenPane::openTanksDialog);
    m_tanksAction->setObjectName(QStringLiteral("tanksAction"));
    menu->addSeparator();
    const auto report = [this, menu](const QString &name, const QString &text, Report kind) {
        QAction *action = menu->addAction(text, this, [this, kind] { chooseReportFile(kind); });
        action->setObjectName(name);
        if (kind == Report::CaneLabels)
            m_batchActions << action;
        else
            m_reportActions << action;
    };
    report(QStringLiteral("inventoryTankCsv"), RecordsText::tr("Inventory by Tank (&CSV)..."),
           Report::TankCsv);
    report(QStringLiteral("inventoryTankPdf"), RecordsText::tr("Inventory by Tank (P&DF)..."),
           Report::TankPdf);
    report(QStringLiteral("inventoryStallionCsv"),
           RecordsText::tr("Inventory by &Stallion (CSV)..."), Report::StallionCsv);
    report(QStringLiteral("inventoryStallionPdf"),
           RecordsText::tr("Inventory by Stallion (PD&F)..."), Report::StallionPdf);
    report(QStringLiteral("caneLabels"), RecordsText::tr("Cane and &Goblet Labels..."),
           Report::CaneLabels);
    updateButtons();
}

void FrozenPane::reread()
{
    if (!m_journal || !m_open)
        return;
    m_listed = true;
    const QString stallion = m_stallion;
    const quint64 request = ++m_listRequest;
    whenReady(m_journal->run<ListRead>([stallion](Journal &journal) {
        ListRead read;
        read.batches.value = journal.freezeBatches(stallion);
        read.batches.error = journal.lastError();
        if (!read.batches.ok())
            return read;
        for (const FreezeBatch &batch : std::as_const(read.batches.value)) {
            if (const std::optional<ThawTest> test = latestTest(journal.thawTests(batch.id)))
                read.progressive.insert(batch.id, test->progressiveMotility);
        }
        read.tanks = journal.tanks();
        read.lowStock = journal.lowStock();
        read.settings = journal.frozenSettings().value_or(FrozenSettings{});
        read.now = QDateTime::currentDateTimeUtc();
        return read;
    }),
              this, [this, request](const ListRead &read) {
                  if (request == m_listRequest)
                      showList(read);
              });
}

void FrozenPane::rereadWhenShown()
{
    if (isVisible() || !m_journal || !m_open) {
        reread();
        return;
    }
    m_stale = true;
    struct CareRead
    {
        QList<Tank> tanks;
        QList<LowStock> lowStock;
        QDateTime now;
    };
    whenReady(m_journal->run<CareRead>([](Journal &journal) {
        return CareRead{journal.tanks(), journal.lowStock(), QDateTime::currentDateTimeUtc()};
    }),
              this, [this](const CareRead &read) {
                  const QStringList reminders
                      = frozenReminders(read.tanks, read.lowStock, read.now);
                  if (reminders == m_reminders)
                      return;
                  m_reminders = reminders;
                  emit remindersChanged(m_reminders);
              });
}

void FrozenPane::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (std::exchange(m_stale, false))
        reread();
}

void FrozenPane::showList(const ListRead &read)
{
    if (!read.batches.ok()) {
        m_note->setText(read.batches.error.reason);
        return;
    }
    const qint64 chosen
        = m_chooseAfterRead != 0 ? std::exchange(m_chooseAfterRead, 0) : chosenBatch();
    m_batches = read.batches.value;
    m_settings = read.settings;
    {
        const QSignalBlocker quiet(m_list);
        m_list->setRowCount(int(m_batches.size()));
        for (int row = 0; row < m_batches.size(); ++row) {
            const FreezeBatch &batch = m_batches[row];
            const auto progressive = read.progressive.constFind(batch.id);
            const QStringList cells{QString::number(batch.id),
                                    dayText(batch.frozenAt),
                                    shownText(batch.stallion, 40),
                                    releaseStateText(batch.state),
                                    QString::number(batch.strawsMade),
                                    QString::number(batch.strawsStored),
                                    QString::number(batch.strawsUnplaced),
                                    progressive == read.progressive.cend()
                                        ? RecordsText::tr("not tested")
                                        : numberText(*progressive)};
            for (int column = 0; column < BatchColumns; ++column) {
                auto *item = new QTableWidgetItem(cells[column]);
                if (column == IdColumn)
                    item->setData(Qt::UserRole, batch.id);
                if (column != FrozenColumn && column != StallionColumn && column != StateColumn)
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                m_list->setItem(row, column, item);
            }
        }
        m_list->resizeColumnsToContents();
        chooseBatch(chosen);
    }
    const QStringList reminders = frozenReminders(read.tanks, read.lowStock, read.now);
    const bool remindersMoved = reminders != m_reminders;
    m_reminders = reminders;
    readDetails();
    updateButtons();
    if (remindersMoved)
        emit remindersChanged(m_reminders);
    emit batchesShown();
}

qint64 FrozenPane::chosenBatch() const
{
    const QList<QTableWidgetItem *> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return 0;
    return m_list->item(selected.front()->row(), IdColumn)->data(Qt::UserRole).toLongLong();
}

void FrozenPane::chooseBatch(qint64 id)
{
    for (int row = 0; row < m_list->rowCount(); ++row) {
        if (m_list->item(row, IdColumn)->data(Qt::UserRole).toLongLong() == id) {
            m_list->selectRow(row);
            return;
        }
    }
    m_list->clearSelection();
}

std::optional<StrawPosition> FrozenPane::chosenPosition() const
{
    const QList<QTableWidgetItem *> selected = m_positions->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    const int row = selected.front()->row();
    if (row < 0 || row >= m_placements.size())
        return std::nullopt;
    return m_placements[row].position;
}

void FrozenPane::readDetails()
{
    const qint64 id = chosenBatch();
    const quint64 request = ++m_detailRequest;
    if (id == 0 || !m_journal) {
        m_batch.reset();
        m_tests.clear();
        m_placements.clear();
        m_positions->setRowCount(0);
        m_details->clear();
        m_heading->setText(RecordsText::tr("Choose a freeze batch to see its straws."));
        updateButtons();
        return;
    }
    whenReady(m_journal->run<DetailRead>([id](Journal &journal) {
        DetailRead read;
        if (std::optional<FreezeBatch> batch = journal.freezeBatch(id)) {
            read.batch.value = *batch;
        } else {
            read.batch.error = journal.lastError();
            return read;
        }
        read.tests = journal.thawTests(id);
        read.changes = journal.releaseChanges(id);
        read.placements = journal.placementsOfBatch(id);
        for (const FreezeSource &source : std::as_const(read.batch.value.sources)) {
            if (std::optional<SheetRecord> sheet = journal.sheet(source.sheetId)) {
                sheet->picturePng.clear(); // not shown here: not held
                read.sources << *sheet;
            }
        }
        return read;
    }),
              this, [this, request](const DetailRead &read) {
                  if (request == m_detailRequest)
                      showDetails(read);
              });
}

void FrozenPane::showDetails(const DetailRead &read)
{
    if (!read.batch.ok()) {
        m_batch.reset();
        m_heading->setText(read.batch.error.reason);
        updateButtons();
        return;
    }
    m_batch = read.batch.value;
    m_tests = read.tests;
    m_placements = read.placements;
    const FreezeBatch &batch = *m_batch;
    m_heading->setText(RecordsText::tr("Freeze batch %1: %2, %3")
                           .arg(batch.id)
                           .arg(shownText(batch.stallion), releaseStateText(batch.state)));

    QStringList lines;
    lines << RecordsText::tr("Frozen %1 by %2.")
                 .arg(dayText(batch.frozenAt), shownText(batch.operatorName, 40));
    lines << RecordsText::tr("Sources:");
    for (const FreezeSource &source : batch.sources) {
        QString day;
        for (const SheetRecord &sheet : read.sources) {
            if (sheet.id == source.sheetId)
                day = sheet.savedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd"));
        }
        lines << RecordsText::tr("  collection %1 (%2): %3 ml raw")
                     .arg(source.sheetId)
                     .arg(day, numberText(source.rawMl));
    }
    lines
        << (batch.centrifugationG > 0
                ? RecordsText::tr("Centrifuged at %1 g for %2 min; extender %3.")
                      .arg(numberText(batch.centrifugationG),
                           numberText(batch.centrifugationMinutes), shownText(batch.extender))
                : RecordsText::tr("Not centrifuged; extender %1.").arg(shownText(batch.extender)));
    lines << RecordsText::tr("%1 of %2 ml at %3 M/ml: %4 M sperm per straw, %5 per dose.")
                 .arg(strawsText(batch.strawsMade), numberText(batch.strawVolumeMl),
                      numberText(batch.finalConcentration), numberText(batch.spermPerStraw),
                      strawsText(batch.strawsPerDose));
    if (!batch.strawColour.isEmpty() || !batch.strawMarking.isEmpty())
        lines << RecordsText::tr("Straws %1, marked \"%2\".")
                     .arg(shownText(batch.strawColour, 30), shownText(batch.strawMarking));
    lines << RecordsText::tr("%1 stored, %2 not placed.")
                 .arg(strawsText(batch.strawsStored), strawsText(batch.strawsUnplaced));
    lines << RecordsText::tr("Post-thaw tests:");
    if (read.tests.isEmpty())
        lines << RecordsText::tr("  none yet");
    for (const ThawTest &test : read.tests) {
        QString line = RecordsText::tr("  %1: %2 thawed, after %3 min: %4 % motile, %5 % "
                                       "progressive")
                           .arg(dayText(test.testedAt))
                           .arg(test.strawsThawed)
                           .arg(numberText(test.minutesAfterThaw), numberText(test.totalMotility),
                                numberText(test.progressiveMotility));
        if (test.vcl || test.vsl || test.vap)
            line += RecordsText::tr("; VCL %1, VSL %2, VAP %3 µm/s")
                        .arg(test.vcl ? numberText(*test.vcl) : QStringLiteral("-"),
                             test.vsl ? numberText(*test.vsl) : QStringLiteral("-"),
                             test.vap ? numberText(*test.vap) : QStringLiteral("-"));
        if (!test.bacteriology.isEmpty())
            line += RecordsText::tr("; bacteriology: %1").arg(shownText(test.bacteriology));
        line += RecordsText::tr(" (%1)").arg(test.source == QLatin1String("typed")
                                                 ? RecordsText::tr("typed")
                                                 : shownText(test.source, 40));
        lines << line;
    }
    lines << RecordsText::tr("Release (at least %1 % progressive after thawing):")
                 .arg(numberText(m_settings.releaseMotility));
    if (read.changes.isEmpty())
        lines << RecordsText::tr("  in quarantine since it was frozen");
    for (const ReleaseChange &change : read.changes) {
        lines << RecordsText::tr("  %1: %2 by %3%4")
                     .arg(dayText(change.changedAt), releaseStateText(change.state),
                          shownText(change.operatorName, 40),
                          change.reason.isEmpty()
                              ? QString()
                              : RecordsText::tr(", %1").arg(shownText(change.reason)));
    }
    m_details->setText(lines.join(u'\n'));

    const std::optional<StrawPosition> chosen = chosenPosition();
    m_positions->setRowCount(int(m_placements.size()));
    for (int row = 0; row < m_placements.size(); ++row) {
        const Placement &placement = m_placements[row];
        const QStringList cells{
            shownText(placement.tankName, 40), QString::number(placement.position.canister),
            shownText(placement.position.goblet, 20), shownText(placement.position.cane, 20),
            QString::number(placement.straws)};
        for (int column = 0; column < cells.size(); ++column)
            m_positions->setItem(row, column, new QTableWidgetItem(cells[column]));
        if (chosen && placement.position == *chosen)
            m_positions->selectRow(row);
    }
    m_positions->resizeColumnsToContents();
    updateButtons();
    emit batchShown(batch.id);
}

void FrozenPane::updateButtons()
{
    const bool ready = m_open && m_journal;
    const bool shown = ready && m_batch.has_value();
    m_test->setEnabled(shown);
    m_release->setEnabled(shown);
    m_place->setEnabled(shown && m_batch->strawsUnplaced > 0);
    m_move->setEnabled(shown);
    const bool out = shown && m_batch->state == ReleaseState::Released && !m_placements.isEmpty();
    m_dispatch->setEnabled(out);
    m_use->setEnabled(out);
    for (QAction *action : std::as_const(m_batchActions))
        action->setEnabled(shown);
    if (m_newBatchAction)
        m_newBatchAction->setEnabled(ready && m_sheet.has_value());
    if (m_tanksAction)
        m_tanksAction->setEnabled(ready);
    for (QAction *action : std::as_const(m_reportActions))
        action->setEnabled(ready);
}

void FrozenPane::openDialog(QDialog *dialog)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void FrozenPane::noteKept(const QString &what)
{
    m_note->setText(what);
    emit kept(what);
    reread();
}

void FrozenPane::openFreezeBatchDialog()
{
    if (!m_journal || !m_sheet)
        return;
    auto *dialog = new FreezeBatchDialog(m_journal, *m_sheet, this);
    connect(dialog, &FreezeBatchDialog::recorded, this, [this](const FreezeBatch &batch) {
        m_chooseAfterRead = batch.id;
        noteKept(RecordsText::tr("Freeze batch %1 kept: %2, in quarantine until it is tested "
                                 "and released.")
                     .arg(batch.id)
                     .arg(strawsText(batch.strawsMade)));
    });
    openDialog(dialog);
}

void FrozenPane::openThawTestDialog()
{
    if (!m_journal || !m_batch)
        return;
    auto *dialog = new ThawTestDialog(m_journal, *m_batch, this);
    connect(dialog, &ThawTestDialog::recorded, this, [this](const ThawTest &test) {
        m_chooseAfterRead = test.batchId;
        noteKept(RecordsText::tr("Post-thaw test of batch %1 kept: %2 % progressive.")
                     .arg(test.batchId)
                     .arg(numberText(test.progressiveMotility)));
    });
    openDialog(dialog);
}

void FrozenPane::openReleaseDialog()
{
    if (!m_journal || !m_batch)
        return;
    auto *dialog = new ReleaseDialog(m_journal, *m_batch, latestTest(m_tests),
                                     m_settings.releaseMotility, this);
    connect(dialog, &ReleaseDialog::changed, this, [this](const ReleaseChange &change) {
        m_chooseAfterRead = change.batchId;
        noteKept(RecordsText::tr("Batch %1: %2.")
                     .arg(change.batchId)
                     .arg(releaseStateText(change.state)));
    });
    openDialog(dialog);
}

void FrozenPane::openPlaceDialog()
{
    if (!m_journal || !m_batch)
        return;
    auto *dialog = new StrawsDialog(m_journal, StrawsDialog::Form::Place, *m_batch, this);
    const qint64 batch = m_batch->id;
    connect(dialog, &StrawsDialog::moved, this, [this, batch](const QList<StrawMove> &moves) {
        m_chooseAfterRead = batch;
        noteKept(RecordsText::tr("%1 placed.").arg(strawsText(moves.value(0).straws)));
    });
    openDialog(dialog);
}

void FrozenPane::openMoveDialog()
{
    if (!m_journal || !m_batch)
        return;
    auto *dialog = new StrawsDialog(m_journal, StrawsDialog::Form::Move, *m_batch, this);
    if (const std::optional<StrawPosition> from = chosenPosition()) {
        const StrawPosition position = *from;
        connect(dialog, &StrawsDialog::ready, dialog,
                [dialog, position] { dialog->choosePosition(position); });
    }
    const qint64 batch = m_batch->id;
    connect(dialog, &StrawsDialog::moved, this, [this, batch](const QList<StrawMove> &moves) {
        qint64 straws = 0;
        for (const StrawMove &move : moves)
            straws += move.straws;
        m_chooseAfterRead = batch;
        noteKept(RecordsText::tr("%1 moved.").arg(strawsText(straws)));
    });
    openDialog(dialog);
}

void FrozenPane::openDispatchDialog()
{
    if (!m_journal || !m_batch)
        return;
    auto *dialog = new StrawsOutDialog(m_journal, StrawsOutDialog::Form::Dispatch, *m_batch,
                                       m_placements, this);
    if (const std::optional<StrawPosition> from = chosenPosition())
        dialog->choosePosition(*from);
    connect(dialog, &StrawsOutDialog::recorded, this, [this](const Movement &movement) {
        m_chooseAfterRead = movement.freezeBatchId;
        noteKept(RecordsText::tr("Dispatch %1 kept: %2 to %3.")
                     .arg(movement.id)
                     .arg(strawsText(movement.doses), shownText(movement.consignee, 40)));
    });
    openDialog(dialog);
}

void FrozenPane::openUseDialog()
{
    if (!m_journal || !m_batch)
        return;
    auto *dialog
        = new StrawsOutDialog(m_journal, StrawsOutDialog::Form::Use, *m_batch, m_placements, this);
    if (const std::optional<StrawPosition> from = chosenPosition())
        dialog->choosePosition(*from);
    connect(dialog, &StrawsOutDialog::recorded, this, [this](const Movement &movement) {
        m_chooseAfterRead = movement.freezeBatchId;
        noteKept(RecordsText::tr("Movement %1 kept: %2 used on %3.")
                     .arg(movement.id)
                     .arg(strawsText(movement.doses), shownText(movement.mare, 40)));
    });
    openDialog(dialog);
}

void FrozenPane::openTanksDialog()
{
    if (!m_journal)
        return;
    auto *dialog = new TanksDialog(m_journal, this);
    // A check or a new tank changes what the window reminds of.
    connect(dialog, &TanksDialog::tanksChanged, this, &FrozenPane::reread);
    openDialog(dialog);
}

void FrozenPane::chooseReportFile(Report report)
{
    const bool pdf = report != Report::TankCsv && report != Report::StallionCsv;
    QString name;
    switch (report) {
    case Report::TankCsv:
    case Report::TankPdf:
        name = RecordsText::tr("inventory-by-tank");
        break;
    case Report::StallionCsv:
    case Report::StallionPdf:
        name = RecordsText::tr("inventory-by-stallion");
        break;
    case Report::CaneLabels:
        if (!m_batch)
            return;
        name = RecordsText::tr("cane-labels-batch-%1").arg(m_batch->id);
        break;
    }
    auto *dialog = new QFileDialog(this, report == Report::CaneLabels
                                             ? RecordsText::tr("Cane and Goblet Labels")
                                             : RecordsText::tr("Frozen Semen Inventory"));
    dialog->setObjectName(QStringLiteral("frozenReportFile"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilter(pdf ? RecordsText::tr("PDF files (*.pdf)")
                              : RecordsText::tr("CSV files (*.csv)"));
    dialog->setDefaultSuffix(pdf ? QStringLiteral("pdf") : QStringLiteral("csv"));
    dialog->selectFile(
        QDir::home().filePath(name + (pdf ? QStringLiteral(".pdf") : QStringLiteral(".csv"))));
    connect(dialog, &QFileDialog::fileSelected, this,
            [this, report](const QString &file) { writeReport(report, file); });
    dialog->open();
}

void FrozenPane::writeReport(Report report, const QString &fileName)
{
    if (!m_journal || (report == Report::CaneLabels && !m_batch))
        return;
    const qint64 batch = m_batch ? m_batch->id : 0;
    m_note->setText(RecordsText::tr("Writing %1...").arg(fileName));
    whenReady(m_journal->run<ExportOutcome>([report, batch, fileName](Journal &journal) {
        switch (report) {
        case Report::TankCsv:
            return exportInventoryCsvFile(journal, InventoryBy::Tank, fileName);
        case Report::TankPdf:
            return exportInventoryPdf(journal, InventoryBy::Tank, fileName);
        case Report::StallionCsv:
            return exportInventoryCsvFile(journal, InventoryBy::Stallion, fileName);
        case Report::StallionPdf:
            return exportInventoryPdf(journal, InventoryBy::Stallion, fileName);
        case Report::CaneLabels:
            break;
        }
        return writeCaneLabels(journal, batch, fileName);
    }),
              this, [this, fileName](const ExportOutcome &outcome) {
                  const QString said = inventoryOutcomeText(outcome);
                  m_note->setText(said);
                  emit kept(said);
                  emit reportWritten(fileName, outcome);
              });
}

} // namespace estrivo
