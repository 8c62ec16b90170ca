#include "containers_dialog.h"

#include "journal_service.h"
#include "records_text.h"
#include "register_ui.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace estrivo {

namespace {

// "Due back" shows what is to come back within this many days, and what is overdue.
constexpr qint64 kDueSoonDays = 7;

enum ContainerColumn {
    ContainerName,
    ConsigneeColumn,
    CollectionColumn,
    DispatchColumn,
    SentColumn,
    DueBackColumn,
    StateColumn,
    ContainerColumns
};

QString stateText(const ContainerOut &out, const QDate &today)
{
    if (!out.dueBack.isValid())
        return RecordsText::tr("Out, no return date");
    const qint64 days = today.daysTo(out.dueBack);
    // In words without a translation installed: "1 days" would be read as a mistake.
    if (days == -1)
        return RecordsText::tr("Overdue by 1 day");
    if (days < 0)
        return RecordsText::tr("Overdue by %1 days").arg(-days);
    if (days == 0)
        return RecordsText::tr("Due back today");
    if (days == 1)
        return RecordsText::tr("Due back tomorrow");
    return RecordsText::tr("Due back in %1 days").arg(days);
}

} // namespace

ContainersDialog::ContainersDialog(JournalService *journal, QWidget *parent)
    : QDialog(parent)
    , m_journal(journal)
    , m_today(QDate::currentDate())
{
    setObjectName(QStringLiteral("containersDialog"));
    setWindowTitle(RecordsText::tr("Containers Out"));
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    auto *whichLabel = new QLabel(RecordsText::tr("&Show:"));
    m_which = new QComboBox;
    m_which->setObjectName(QStringLiteral("containersShown"));
    m_which->addItem(RecordsText::tr("All containers out"), int(Shown::AllOut));
    m_which->addItem(RecordsText::tr("Due back within a week, or overdue"), int(Shown::DueBack));
    m_which->addItem(RecordsText::tr("Overdue"), int(Shown::Overdue));
    whichLabel->setBuddy(m_which);
    connect(m_which, &QComboBox::currentIndexChanged, this, &ContainersDialog::showList);
    top->addWidget(whichLabel);
    top->addWidget(m_which);
    top->addStretch(1);
    layout->addLayout(top);

    m_table = new QTableWidget(0, ContainerColumns);
    m_table->setObjectName(QStringLiteral("containers"));
    m_table->setAccessibleName(RecordsText::tr("Containers out"));
    m_table->setHorizontalHeaderLabels({RecordsText::tr("Container"), RecordsText::tr("Consignee"),
                                        RecordsText::tr("Collection"), RecordsText::tr("Dispatch"),
                                        RecordsText::tr("Sent"), RecordsText::tr("Due back"),
                                        RecordsText::tr("State")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &ContainersDialog::updateButtons);
    layout->addWidget(m_table);
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("containersStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    m_markReturned
        = buttons->addButton(RecordsText::tr("&Mark Returned"), QDialogButtonBox::ActionRole);
    m_markReturned->setObjectName(QStringLiteral("markReturned"));
    m_markReturned->setAutoDefault(false);
    connect(m_markReturned, &QPushButton::clicked, this, &ContainersDialog::markReturned);
    auto *refresh = buttons->addButton(RecordsText::tr("Re&fresh"), QDialogButtonBox::ActionRole);
    refresh->setAutoDefault(false);
    connect(refresh, &QPushButton::clicked, this, &ContainersDialog::reload);
    connect(buttons, &QDialogButtonBox::rejected, this, &ContainersDialog::reject);
    layout->addWidget(buttons);
    resize(860, 420);
    updateButtons();
    reload();
}

void ContainersDialog::setShown(Shown which)
{
    m_which->setCurrentIndex(m_which->findData(int(which)));
}

void ContainersDialog::setToday(const QDate &today)
{
    m_today = today;
    showList();
}

void ContainersDialog::reload()
{
    if (!m_journal)
        return;
    m_status->setText(RecordsText::tr("Reading the containers out..."));
    const quint64 request = ++m_request;
    whenReady(m_journal->run<JournalReply<QList<ContainerOut>>>([](Journal &journal) {
        JournalReply<QList<ContainerOut>> reply;
        reply.value = journal.containersOut();
        reply.error = journal.lastError();
        return reply;
    }),
              this, [this, request](const JournalReply<QList<ContainerOut>> &reply) {
                  if (request != m_request)
                      return;
                  if (!reply.ok()) {
                      m_status->setText(reply.error.reason);
                      return;
                  }
                  m_out = reply.value;
                  showList();
                  emit loaded();
              });
}

void ContainersDialog::showList()
{
    const Shown which = Shown(m_which->currentData().toInt());
    const QList<QTableWidgetItem *> selected = m_table->selectedItems();
    const qint64 before = selected.isEmpty()
                              ? 0
                              : m_table->item(selected.front()->row(), DispatchColumn)
                                    ->data(Qt::UserRole)
                                    .toLongLong();
    m_shown.clear();
    qint64 overdue = 0;
    for (const ContainerOut &out : std::as_const(m_out)) {
        overdue += out.isOverdue(m_today);
        const bool dueSoon = out.dueBack.isValid() && m_today.daysTo(out.dueBack) <= kDueSoonDays;
        if (which == Shown::AllOut || (which == Shown::DueBack && dueSoon)
            || (which == Shown::Overdue && out.isOverdue(m_today)))
            m_shown << out;
    }
    // What is overdue longest first, then what is due soonest; no date last.
    std::stable_sort(m_shown.begin(), m_shown.end(),
                     [](const ContainerOut &a, const ContainerOut &b) {
                         if (a.dueBack.isValid() != b.dueBack.isValid())
                             return a.dueBack.isValid();
                         return a.dueBack < b.dueBack;
                     });
    m_table->setRowCount(int(m_shown.size()));
    QFont bold = m_table->font();
    bold.setBold(true);
    for (int row = 0; row < m_shown.size(); ++row) {
        const ContainerOut &out = m_shown[row];
        const QStringList cells{
            shownText(out.container),
            shownText(out.consignee),
            QString::number(out.sheetId),
            QString::number(out.dispatchId),
            out.sentAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")),
            out.dueBack.isValid() ? out.dueBack.toString(Qt::ISODate) : QString(),
            stateText(out, m_today)};
        for (int column = 0; column < ContainerColumns; ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            if (column == DispatchColumn)
                item->setData(Qt::UserRole, out.dispatchId);
            if (out.isOverdue(m_today))
                item->setFont(bold);
            m_table->setItem(row, column, item);
        }
    }
    m_table->resizeColumnsToContents();
    m_status->setText(
        RecordsText::tr("Containers out: %1, overdue: %2.").arg(m_out.size()).arg(overdue));
    choose(before);
    updateButtons();
}

void ContainersDialog::choose(qint64 dispatchId)
{
    for (int row = 0; row < m_shown.size(); ++row) {
        if (m_shown[row].dispatchId == dispatchId) {
            m_table->selectRow(row);
            return;
        }
    }
    m_table->clearSelection();
}

void ContainersDialog::updateButtons()
{
    m_markReturned->setEnabled(!m_busy && !m_table->selectedItems().isEmpty());
}

void ContainersDialog::markReturned()
{
    const QList<QTableWidgetItem *> selected = m_table->selectedItems();
    if (m_busy || !m_journal || selected.isEmpty())
        return;
    const ContainerOut out = m_shown.value(selected.front()->row());
    Movement back;
    back.kind = MovementKind::Returned;
    back.sheetId = out.sheetId;
    back.of = out.dispatchId;
    back.containerBack = true;
    m_busy = true;
    updateButtons();
    m_status->setText(
        RecordsText::tr("Keeping the return of %1...").arg(shownText(out.container)));
    whenReady(m_journal->run<JournalReply<Movement>>([back](Journal &journal) {
        JournalReply<Movement> reply;
        reply.value = back;
        reply.error = journal.recordMovement(reply.value);
        return reply;
    }),
              this, [this](const JournalReply<Movement> &reply) {
                  m_busy = false;
                  updateButtons();
                  if (!reply.ok()) {
                      showJournalProblem(this, windowTitle(), reply.error);
                      showList();
                      return;
                  }
                  emit returned(reply.value);
                  reload();
              });
}

} // namespace estrivo
