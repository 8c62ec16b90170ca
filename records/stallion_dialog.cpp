#include "stallion_dialog.h"

#include "journal_service.h"
#include "records_text.h"
#include "register_ui.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace estrivo {

namespace {

constexpr int kMaxNameLength = 200;
// Aliases are few; a paste gone wrong must not become thousands of names.
constexpr qsizetype kMaxAliases = 50;

enum StallionColumn {
    NameColumn,
    AliasesColumn,
    UelnColumn,
    BreedColumn,
    BornColumn,
    RegistrationColumn,
    OwnerColumn,
    CollectionsColumn,
    StallionColumns
};

QLineEdit *newLine(const QString &name, int maxLength = kMaxNameLength)
{
    auto *line = new QLineEdit;
    line->setObjectName(name);
    line->setMaxLength(maxLength);
    return line;
}

// One name per line, blanks made single, each once; never the name itself.
QStringList aliasesIn(const QString &text, const QString &name)
{
    QStringList aliases;
    QStringList keys{stallionKey(name)};
    for (const QString &line : text.split(u'\n')) {
        const QString alias = line.simplified().left(kMaxNameLength);
        const QString key = stallionKey(alias);
        if (alias.isEmpty() || keys.contains(key))
            continue;
        keys << key;
        aliases << alias;
    }
    return aliases;
}

} // namespace

StallionEditDialog::StallionEditDialog(JournalService *journal, Stallion stallion, QWidget *parent)
    : QDialog(parent)
    , m_journal(journal)
    , m_stallion(std::move(stallion))
{
    setObjectName(QStringLiteral("stallionEditDialog"));
    setWindowTitle(m_stallion.id == 0 ? RecordsText::tr("Register a Stallion")
                                      : RecordsText::tr("Stallion %1").arg(m_stallion.name));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    m_name = newLine(QStringLiteral("name"));
    m_name->setText(m_stallion.name);
    form->addRow(RecordsText::tr("&Name:"), m_name);
    m_aliases = new QPlainTextEdit(m_stallion.aliases.join(u'\n'));
    m_aliases->setObjectName(QStringLiteral("aliases"));
    m_aliases->setTabChangesFocus(true);
    m_aliases->setFixedHeight(4 * fontMetrics().height() + 12);
    m_aliases->setToolTip(RecordsText::tr("Other spellings of his name, one a line: sheets "
                                          "under any of them are his."));
    form->addRow(RecordsText::tr("&Aliases:"), m_aliases);
    auto *species = new QLabel(RecordsText::tr("Equine"));
    species->setObjectName(QStringLiteral("species"));
    form->addRow(RecordsText::tr("Species:"), species);
    m_breed = newLine(QStringLiteral("breed"));
    m_breed->setText(m_stallion.breed);
    form->addRow(RecordsText::tr("&Breed:"), m_breed);
    m_born = newLine(QStringLiteral("born"), 10);
    m_born->setPlaceholderText(RecordsText::tr("YYYY-MM-DD"));
    if (m_stallion.born.isValid())
        m_born->setText(m_stallion.born.toString(Qt::ISODate));
    form->addRow(RecordsText::tr("Bo&rn:"), m_born);
    m_registration = newLine(QStringLiteral("registration"));
    m_registration->setText(m_stallion.registration);
    form->addRow(RecordsText::tr("Re&gistration number:"), m_registration);
    m_ueln = newLine(QStringLiteral("ueln"), 40);
    m_ueln->setText(m_stallion.ueln);
    m_ueln->setPlaceholderText(RecordsText::tr("15 characters, as on his passport"));
    form->addRow(RecordsText::tr("&UELN:"), m_ueln);
    m_owner = newLine(QStringLiteral("owner"));
    m_owner->setText(m_stallion.owner);
    form->addRow(RecordsText::tr("&Owner:"), m_owner);
    m_renameNote = new QLabel;
    m_renameNote->setObjectName(QStringLiteral("renameNote"));
    m_renameNote->setTextFormat(Qt::PlainText);
    m_renameNote->setWordWrap(true);
    layout->addWidget(m_renameNote);
    m_problem = newProblemLabel();
    layout->addWidget(m_problem);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &StallionEditDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &StallionEditDialog::reject);
    layout->addWidget(m_buttons);
    for (QLineEdit *line : findChildren<QLineEdit *>())
        connect(line, &QLineEdit::textChanged, this, &StallionEditDialog::check);
    connect(m_aliases, &QPlainTextEdit::textChanged, this, &StallionEditDialog::check);
    check();
}

Stallion StallionEditDialog::stallion() const
{
    Stallion stallion = m_stallion;
    stallion.name = m_name->text().simplified();
    stallion.aliases = aliasesIn(m_aliases->toPlainText(), stallion.name);
    stallion.breed = m_breed->text().trimmed();
    stallion.born = QDate::fromString(m_born->text().trimmed(), Qt::ISODate);
    stallion.registration = m_registration->text().trimmed();
    stallion.ueln = normalizedUeln(m_ueln->text());
    stallion.owner = m_owner->text().trimmed();
    return stallion;
}

QString StallionEditDialog::problem() const
{
    const Stallion wanted = stallion();
    if (wanted.name.isEmpty())
        return RecordsText::tr("Give his name as the sheets write it.");
    if (wanted.aliases.size() > kMaxAliases)
        return RecordsText::tr("At most %1 aliases.").arg(kMaxAliases);
    const QString born = m_born->text().trimmed();
    if (!born.isEmpty() && !wanted.born.isValid())
        return RecordsText::tr("Born: write the date as YYYY-MM-DD.");
    if (wanted.born.isValid() && wanted.born > QDate::currentDate())
        return RecordsText::tr("Born: the date is still to come.");
    if (!wanted.ueln.isEmpty()) {
        const QString why = uelnProblem(wanted.ueln);
        if (!why.isEmpty())
            return RecordsText::tr("UELN: %1").arg(why);
    }
    return {};
}

void StallionEditDialog::check()
{
    const QString name = m_name->text().simplified();
    const bool renamed = m_stallion.id != 0 && !name.isEmpty()
                         && stallionKey(name) != stallionKey(m_stallion.name);
    m_renameNote->setText(renamed ? RecordsText::tr("%1 stays one of his names, so the "
                                                    "collections under it stay his.")
                                        .arg(m_stallion.name)
                                  : QString());
    m_renameNote->setVisible(renamed);
    const QString why = m_busy ? RecordsText::tr("Keeping it in the journal...") : problem();
    m_problem->setText(why);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(why.isEmpty());
}

void StallionEditDialog::accept()
{
    if (m_busy || !m_journal || !problem().isEmpty())
        return;
    m_busy = true;
    check();
    const Stallion wanted = stallion();
    const QString title = windowTitle();
    whenReady(m_journal->run<JournalReply<Stallion>>([wanted](Journal &journal) {
        JournalReply<Stallion> reply;
        reply.value = wanted;
        reply.error = wanted.id == 0 ? journal.registerStallion(reply.value)
                                     : journal.updateStallion(reply.value);
        return reply;
    }),
              this, [this, title](const JournalReply<Stallion> &reply) {
                  m_busy = false;
                  check();
                  if (!reply.ok()) {
                      showJournalProblem(this, title, reply.error);
                      return;
                  }
                  emit saved(reply.value);
                  QDialog::accept();
              });
}

StallionMergeDialog::StallionMergeDialog(JournalService *journal, Stallion from,
                                         const QList<Stallion> &others, QWidget *parent)
    : QDialog(parent)
    , m_journal(journal)
    , m_from(std::move(from))
{
    setObjectName(QStringLiteral("stallionMergeDialog"));
    setWindowTitle(RecordsText::tr("Merge %1").arg(m_from.name));
    auto *layout = new QVBoxLayout(this);
    auto *explain = new QLabel(
        RecordsText::tr("Every name of %1 becomes a name of the stallion chosen here, and his "
                        "collections go with them. What that stallion's identity lacks is "
                        "taken from %1. Nothing is deleted; the register keeps %1 as merged.")
            .arg(m_from.name));
    explain->setTextFormat(Qt::PlainText);
    explain->setWordWrap(true);
    layout->addWidget(explain);
    m_into = new QComboBox;
    m_into->setObjectName(QStringLiteral("mergeInto"));
    for (const Stallion &other : others) {
        if (other.id != m_from.id)
            m_into->addItem(other.name, other.id);
    }
    auto *form = new QFormLayout;
    form->addRow(RecordsText::tr("Merge &into:"), m_into);
    layout->addLayout(form);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_buttons->button(QDialogButtonBox::Ok)->setText(RecordsText::tr("&Merge"));
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(m_into->count() > 0);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &StallionMergeDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &StallionMergeDialog::reject);
    layout->addWidget(m_buttons);
}

qint64 StallionMergeDialog::into() const
{
    return m_into->currentData().toLongLong();
}

void StallionMergeDialog::chooseInto(qint64 id)
{
    m_into->setCurrentIndex(m_into->findData(id));
}

void StallionMergeDialog::accept()
{
    const qint64 from = m_from.id;
    const qint64 chosen = into();
    if (m_busy || !m_journal || chosen == 0)
        return;
    m_busy = true;
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    const QString title = windowTitle();
    whenReady(m_journal->run<JournalError>([from, chosen](Journal &journal) {
        return journal.mergeStallions(from, chosen);
    }),
              this, [this, title, from, chosen](const JournalError &error) {
                  m_busy = false;
                  m_buttons->button(QDialogButtonBox::Ok)->setEnabled(true);
                  if (!error.ok()) {
                      showJournalProblem(this, title, error);
                      return;
                  }
                  emit merged(from, chosen);
                  QDialog::accept();
              });
}

StallionsDialog::StallionsDialog(JournalService *journal, QWidget *parent)
    : QDialog(parent)
    , m_journal(journal)
{
    setObjectName(QStringLiteral("stallionsDialog"));
    setWindowTitle(RecordsText::tr("Stallion Register"));
    auto *layout = new QVBoxLayout(this);
    m_table = new QTableWidget(0, StallionColumns);
    m_table->setObjectName(QStringLiteral("registeredStallions"));
    m_table->setAccessibleName(RecordsText::tr("Registered stallions"));
    m_table->setHorizontalHeaderLabels({RecordsText::tr("Name"), RecordsText::tr("Aliases"),
                                        RecordsText::tr("UELN"), RecordsText::tr("Breed"),
                                        RecordsText::tr("Born"), RecordsText::tr("Registration"),
                                        RecordsText::tr("Owner"), RecordsText::tr("Collections")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &StallionsDialog::updateButtons);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &StallionsDialog::editStallion);
    layout->addWidget(m_table);
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("registerStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    m_add = buttons->addButton(RecordsText::tr("&Add..."), QDialogButtonBox::ActionRole);
    m_add->setObjectName(QStringLiteral("addStallion"));
    m_edit
        = buttons->addButton(RecordsText::tr("&Edit or Rename..."), QDialogButtonBox::ActionRole);
    m_edit->setObjectName(QStringLiteral("editStallion"));
    m_merge = buttons->addButton(RecordsText::tr("&Merge Into..."), QDialogButtonBox::ActionRole);
    m_merge->setObjectName(QStringLiteral("mergeStallion"));
    // Action buttons never close the dialog.
    for (QPushButton *button : {m_add, m_edit, m_merge})
        button->setAutoDefault(false);
    connect(m_add, &QPushButton::clicked, this, &StallionsDialog::addStallion);
    connect(m_edit, &QPushButton::clicked, this, &StallionsDialog::editStallion);
    connect(m_merge, &QPushButton::clicked, this, &StallionsDialog::mergeStallion);
    connect(buttons, &QDialogButtonBox::rejected, this, &StallionsDialog::reject);
    layout->addWidget(buttons);
    resize(820, 420);
    connect(this, &StallionsDialog::registerChanged, this, &StallionsDialog::reload);
    reload();
}

void StallionsDialog::reload()
{
    if (!m_journal)
        return;
    m_status->setText(RecordsText::tr("Reading the register..."));
    const quint64 request = ++m_request;
    whenReady(m_journal->run<JournalReply<QList<Stallion>>>([](Journal &journal) {
        JournalReply<QList<Stallion>> reply;
        reply.value = journal.registeredStallions();
        reply.error = journal.lastError();
        return reply;
    }),
              this, [this, request](const JournalReply<QList<Stallion>> &reply) {
                  if (request == m_request)
                      showRegister(reply);
              });
}

void StallionsDialog::showRegister(const JournalReply<QList<Stallion>> &reply)
{
    if (!reply.ok()) {
        m_status->setText(reply.error.reason);
        return;
    }
    const std::optional<Stallion> before = chosen();
    m_stallions = reply.value;
    m_table->setRowCount(int(m_stallions.size()));
    for (int row = 0; row < m_stallions.size(); ++row) {
        const Stallion &stallion = m_stallions[row];
        const QStringList cells{stallion.name,
                                stallion.aliases.join(QStringLiteral("; ")),
                                stallion.ueln,
                                stallion.breed,
                                stallion.born.isValid() ? stallion.born.toString(Qt::ISODate)
                                                        : QString(),
                                stallion.registration,
                                stallion.owner,
                                QString::number(stallion.collections)};
        for (int column = 0; column < StallionColumns; ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            if (column == NameColumn)
                item->setData(Qt::UserRole, stallion.id);
            if (column == CollectionsColumn)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(row, column, item);
        }
    }
    m_table->resizeColumnsToContents();
    m_status->setText(m_stallions.isEmpty()
                          ? RecordsText::tr("No stallion is registered yet. Add one, or register "
                                            "the stallion of a collection from its Doses tab.")
                      : m_stallions.size() == 1
                          ? RecordsText::tr("1 stallion registered.")
                          : RecordsText::tr("%1 stallions registered.").arg(m_stallions.size()));
    if (before)
        choose(before->id);
    updateButtons();
    emit loaded();
}

std::optional<Stallion> StallionsDialog::chosen() const
{
    const QList<QTableWidgetItem *> selected = m_table->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    const int row = selected.front()->row();
    if (row < 0 || row >= m_stallions.size())
        return std::nullopt;
    return m_stallions[row];
}

void StallionsDialog::choose(qint64 id)
{
    for (int row = 0; row < m_stallions.size(); ++row) {
        if (m_stallions[row].id == id) {
            m_table->selectRow(row);
            return;
        }
    }
    m_table->clearSelection();
}

void StallionsDialog::updateButtons()
{
    const bool one = chosen().has_value();
    m_edit->setEnabled(one);
    m_merge->setEnabled(one && m_stallions.size() > 1);
}

void StallionsDialog::addStallion()
{
    auto *dialog = new StallionEditDialog(m_journal, Stallion{}, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &StallionEditDialog::saved, this, [this](const Stallion &added) {
        // Chosen once the register is read again with him.
        connect(
            this, &StallionsDialog::loaded, this, [this, id = added.id] { choose(id); },
            Qt::SingleShotConnection);
        emit registerChanged();
    });
    dialog->open();
}

void StallionsDialog::editStallion()
{
    const std::optional<Stallion> stallion = chosen();
    if (!stallion)
        return;
    auto *dialog = new StallionEditDialog(m_journal, *stallion, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &StallionEditDialog::saved, this, &StallionsDialog::registerChanged);
    dialog->open();
}

void StallionsDialog::mergeStallion()
{
    const std::optional<Stallion> stallion = chosen();
    if (!stallion)
        return;
    auto *dialog = new StallionMergeDialog(m_journal, *stallion, m_stallions, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &StallionMergeDialog::merged, this, [this](qint64, qint64 into) {
        connect(
            this, &StallionsDialog::loaded, this, [this, into] { choose(into); },
            Qt::SingleShotConnection);
        emit registerChanged();
    });
    dialog->open();
}

} // namespace estrivo
