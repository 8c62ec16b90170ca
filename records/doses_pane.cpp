#include "doses_pane.h"

#include "journal_service.h"
#include "records_text.h"
#include "register_export.h"
#include "register_ui.h"
#include "stallion_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

namespace estrivo {

namespace {

enum MovementColumn {
    IdColumn,
    TimeColumn,
    KindColumn,
    DosesColumn,
    WhomColumn,
    ContainerColumn,
    OperatorColumn,
    MovementColumns
};

QLabel *newLine(const QString &name)
{
    auto *label = new QLabel;
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// To whom the doses went, or why they moved, in a line of the list.
QString whomText(const Movement &movement)
{
    QStringList parts;
    switch (movement.kind) {
    case MovementKind::Dispatched:
        parts << shownText(movement.consignee);
        if (!movement.mare.isEmpty())
            parts << RecordsText::tr("mare %1").arg(shownText(movement.mare));
        if (!movement.country.isEmpty())
            parts << movement.country;
        break;
    case MovementKind::Used:
        parts << RecordsText::tr("mare %1").arg(shownText(movement.mare));
        break;
    case MovementKind::Returned:
        parts << RecordsText::tr("back from dispatch %1").arg(movement.of);
        if (movement.containerBack)
            parts << RecordsText::tr("container back");
        break;
    case MovementKind::Destroyed:
    case MovementKind::Adjusted:
        if (movement.of != 0)
            parts << RecordsText::tr("reverses %1").arg(movement.of);
        parts << shownText(movement.reason);
        break;
    }
    return parts.join(QStringLiteral(", "));
}

QString changeText(qint64 change)
{
    return change > 0 ? QStringLiteral("+%1").arg(change) : QString::number(change);
}

} // namespace

DosesPane::DosesPane(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("dosesPane"));
    auto *layout = new QVBoxLayout(this);
    m_heading = newLine(QStringLiteral("batchHeading"));
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    layout->addWidget(m_heading);

    auto *stallionLine = new QHBoxLayout;
    m_identity = newLine(QStringLiteral("stallionIdentity"));
    m_register = new QPushButton;
    m_register->setObjectName(QStringLiteral("registerStallion"));
    m_register->hide();
    connect(m_register, &QPushButton::clicked, this, &DosesPane::registerStallion);
    stallionLine->addWidget(m_identity, 1);
    stallionLine->addWidget(m_register);
    layout->addLayout(stallionLine);
    m_counts = newLine(QStringLiteral("doseCounts"));
    layout->addWidget(m_counts);

    // A label read by the scanner: its dose, with the two things usually done with it.
    m_offer = new QFrame;
    m_offer->setObjectName(QStringLiteral("scanOffer"));
    m_offer->setFrameShape(QFrame::StyledPanel);
    auto *offerLayout = new QHBoxLayout(m_offer);
    m_offerText = newLine(QStringLiteral("scanOfferText"));
    auto *offerDispatch = new QPushButton(RecordsText::tr("Dispatch This Dose..."));
    offerDispatch->setObjectName(QStringLiteral("offerDispatch"));
    auto *offerUse = new QPushButton(RecordsText::tr("Use This Dose..."));
    offerUse->setObjectName(QStringLiteral("offerUse"));
    connect(offerDispatch, &QPushButton::clicked, this,
            [this] { openMovementDialog(MovementForm::Dispatch); });
    connect(offerUse, &QPushButton::clicked, this,
            [this] { openMovementDialog(MovementForm::Use); });
    offerLayout->addWidget(m_offerText, 1);
    offerLayout->addWidget(offerDispatch);
    offerLayout->addWidget(offerUse);
    m_offer->hide();
    layout->addWidget(m_offer);

    auto *buttons = new QHBoxLayout;
    const auto button = [this, buttons](const QString &name, const QString &text,
                                        MovementForm form) {
        auto *made = new QPushButton(text);
        made->setObjectName(name);
        connect(made, &QPushButton::clicked, this, [this, form] { openMovementDialog(form); });
        buttons->addWidget(made);
        return made;
    };
    m_dispatch = button(QStringLiteral("dispatchDoses"), RecordsText::tr("Dis&patch..."),
                        MovementForm::Dispatch);
    m_use = button(QStringLiteral("useDoses"), RecordsText::tr("&Use..."), MovementForm::Use);
    m_destroy = button(QStringLiteral("destroyDoses"), RecordsText::tr("D&estroy..."),
                       MovementForm::Destroy);
    m_return = button(QStringLiteral("returnDoses"), RecordsText::tr("Retur&n..."),
                      MovementForm::Return);
    m_adjust = button(QStringLiteral("adjustDoses"), RecordsText::tr("Ad&just..."),
                      MovementForm::Adjust);
    m_reverse = button(QStringLiteral("reverseMovement"), RecordsText::tr("Re&verse..."),
                       MovementForm::Reverse);
    m_reverse->setToolTip(RecordsText::tr("Corrects the chosen movement by one that undoes "
                                          "it: nothing in the register is deleted."));
    m_transport = new QPushButton(RecordsText::tr("Transp&ort Sheet..."));
    m_transport->setObjectName(QStringLiteral("transportSheet"));
    m_transport->setToolTip(RecordsText::tr("The PDF that travels with the chosen dispatch."));
    connect(m_transport, &QPushButton::clicked, this, &DosesPane::chooseTransportSheetFile);
    buttons->addWidget(m_transport);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    m_note = newLine(QStringLiteral("movementNote"));
    layout->addWidget(m_note);

    m_movements = new QTableWidget(0, MovementColumns);
    m_movements->setObjectName(QStringLiteral("movements"));
    m_movements->setAccessibleName(RecordsText::tr("Movements"));
    m_movements->setHorizontalHeaderLabels(
        {RecordsText::tr("No."), RecordsText::tr("Time"), RecordsText::tr("Movement"),
         RecordsText::tr("Doses"), RecordsText::tr("To whom, or why"),
         RecordsText::tr("Container"), RecordsText::tr("Operator")});
    m_movements->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_movements->setSelectionMode(QAbstractItemView::SingleSelection);
    m_movements->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_movements->setWordWrap(false);
    m_movements->verticalHeader()->hide();
    m_movements->horizontalHeader()->setStretchLastSection(true);
    connect(m_movements, &QTableWidget::itemSelectionChanged, this, &DosesPane::updateButtons);
    layout->addWidget(m_movements, 1);
    clear(RecordsText::tr("Choose a collection to see its doses."));
}

void DosesPane::setJournal(JournalService *journal)
{
    m_journal = journal;
}

void DosesPane::showSheet(const SheetRecord &sheet)
{
    if (sheet.id != m_offerSheet)
        m_offerSheet = 0;
    if (sheet.id != m_sheetId) {
        m_note->clear();
        m_batch.reset();
        m_stallion.reset();
        m_movements->setRowCount(0);
        m_identity->clear();
        m_register->hide();
        m_counts->setText(RecordsText::tr("Reading the doses..."));
    }
    m_sheetId = sheet.id;
    m_stallionName = sheet.stallion.isEmpty()
                         ? splitStallionAndNotes(sheet.text(Field::Text1)).stallion
                         : sheet.stallion;
    m_heading->setText(RecordsText::tr("Collection %1: %2")
                           .arg(sheet.id)
                           .arg(m_stallionName.isEmpty() ? RecordsText::tr("(no name)")
                                                         : shownText(m_stallionName)));
    showOffer();
    updateButtons();
    reread();
}

void DosesPane::clear(const QString &why)
{
    // A scanned dose stays offered: its collection is on its way.
    ++m_request;
    m_sheetId = 0;
    m_stallionName.clear();
    m_batch.reset();
    m_stallion.reset();
    m_heading->setText(why);
    m_identity->clear();
    m_register->hide();
    m_counts->clear();
    m_note->clear();
    m_movements->setRowCount(0);
    showOffer();
    updateButtons();
}

void DosesPane::reread()
{
    if (!m_journal || m_sheetId == 0)
        return;
    const qint64 id = m_sheetId;
    const QString name = m_stallionName;
    const quint64 request = ++m_request;
    whenReady(m_journal->run<Read>([id, name](Journal &journal) {
        Read read;
        if (const std::optional<DoseBatch> batch = journal.doseBatch(id))
            read.batch.value = *batch;
        else
            read.batch.error = journal.lastError();
        if (name.isEmpty()) {
            read.stallionError.kind = JournalError::Kind::NotFound;
            return read;
        }
        read.stallion = journal.stallionNamed(name);
        if (!read.stallion)
            read.stallionError = journal.lastError();
        return read;
    }),
              this, [this, request](const Read &read) {
                  if (request == m_request)
                      showRead(read);
              });
}

void DosesPane::rereadWhenShown()
{
    if (isVisible()) {
        reread();
        return;
    }
    m_stale = true;
}

void DosesPane::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (std::exchange(m_stale, false))
        reread();
}

void DosesPane::showRead(const Read &read)
{
    m_stallion = read.stallion;
    m_register->hide();
    if (m_stallion) {
        m_identity->setText(
            RecordsText::tr("Stallion %1 (registered): %2")
                .arg(shownText(m_stallion->name), stallionIdentityText(*m_stallion)));
    } else if (m_stallionName.isEmpty()) {
        m_identity->setText(RecordsText::tr("This sheet names no stallion."));
    } else if (read.stallionError.kind == JournalError::Kind::NotFound
               || read.stallionError.ok()) {
        m_identity->setText(
            RecordsText::tr("%1 is not on the stallion register.").arg(shownText(m_stallionName)));
        // A "&" of the name is shown, not taken for a shortcut.
        m_register->setText(
            RecordsText::tr("Register %1...")
                .arg(shownText(m_stallionName, 30).replace(u'&', QStringLiteral("&&"))));
        m_register->show();
    } else {
        m_identity->setText(read.stallionError.reason);
    }

    if (!read.batch.ok()) {
        m_batch.reset();
        m_counts->setText(read.batch.error.reason);
        m_movements->setRowCount(0);
        updateButtons();
        return;
    }
    m_batch = read.batch.value;
    // Counted in words: a count that reads "1 doses" would be taken for a typing error.
    const QString made = m_batch->produced == 1
                             ? RecordsText::tr("1 dose made")
                             : RecordsText::tr("%1 doses made").arg(m_batch->produced);
    m_counts->setText(m_batch->remaining == 1
                          ? RecordsText::tr("%1, 1 remains.").arg(made)
                          : RecordsText::tr("%1, %2 remain.").arg(made).arg(m_batch->remaining));
    showMovements();
    if (m_chooseAfterRead != 0)
        chooseMovement(std::exchange(m_chooseAfterRead, 0));
    showOffer();
    updateButtons();
    if (m_dialog)
        m_dialog->setBatch(*m_batch);
    emit batchShown(m_sheetId);
}

void DosesPane::showMovements()
{
    const qint64 chosen = chosenMovement();
    const QSignalBlocker quiet(m_movements);
    const QList<Movement> &movements = m_batch->movements;
    const QHash<qint64, qint64> reversed = reversalsIn(*m_batch);
    m_movements->setRowCount(int(movements.size()));
    // Newest first: what was just done is on top.
    for (int row = 0; row < movements.size(); ++row) {
        const Movement &movement = movements[movements.size() - 1 - row];
        QString kind = movementKindText(movement.kind);
        if (reversed.contains(movement.id))
            kind = RecordsText::tr("%1, reversed by %2").arg(kind).arg(reversed[movement.id]);
        const QString who
            = movement.workstation.isEmpty()
                  ? movement.operatorName
                  : RecordsText::tr("%1 at %2").arg(movement.operatorName, movement.workstation);
        const QStringList cells{
            QString::number(movement.id),
            movement.movedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")),
            kind,
            changeText(movement.change()),
            whomText(movement),
            shownText(movement.container),
            shownText(who)};
        for (int column = 0; column < MovementColumns; ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            if (column == IdColumn)
                item->setData(Qt::UserRole, movement.id);
            if (column == IdColumn || column == DosesColumn)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (reversed.contains(movement.id)) {
                QFont struck = item->font();
                struck.setStrikeOut(true);
                item->setFont(struck);
                item->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
            }
            m_movements->setItem(row, column, item);
        }
    }
    m_movements->resizeColumnsToContents();
    chooseMovement(chosen);
}

void DosesPane::showOffer()
{
    const bool shown = m_offerSheet != 0 && m_batch && m_batch->sheetId == m_offerSheet;
    if (shown)
        m_offerText->setText(RecordsText::tr("Label read: dose %1 of %2 of collection %3.")
                                 .arg(m_offerDose)
                                 .arg(m_batch->produced)
                                 .arg(m_offerSheet));
    m_offer->setVisible(shown);
}

void DosesPane::offerDose(qint64 sheetId, int dose)
{
    m_offerSheet = sheetId;
    m_offerDose = dose;
    showOffer();
}

qint64 DosesPane::chosenMovement() const
{
    const QList<QTableWidgetItem *> selected = m_movements->selectedItems();
    if (selected.isEmpty())
        return 0;
    const QTableWidgetItem *first = m_movements->item(selected.front()->row(), IdColumn);
    return first ? first->data(Qt::UserRole).toLongLong() : 0;
}

void DosesPane::chooseMovement(qint64 id)
{
    for (int row = 0; row < m_movements->rowCount(); ++row) {
        if (m_movements->item(row, IdColumn)->data(Qt::UserRole).toLongLong() == id) {
            m_movements->selectRow(row);
            return;
        }
    }
    m_movements->clearSelection();
}

void DosesPane::updateButtons()
{
    const bool read = m_batch.has_value() && m_journal;
    const bool remain = read && m_batch->remaining > 0;
    m_dispatch->setEnabled(remain);
    m_use->setEnabled(remain);
    m_destroy->setEnabled(remain);
    m_adjust->setEnabled(read);
    bool outstanding = false;
    if (read) {
        const QHash<qint64, qint64> reversed = reversalsIn(*m_batch);
        for (const Movement &movement : std::as_const(m_batch->movements)) {
            if (movement.kind != MovementKind::Dispatched || reversed.contains(movement.id))
                continue;
            outstanding
                = outstanding || movement.doses > dosesBackFrom(*m_batch, movement.id)
                  || (!movement.container.isEmpty() && !containerBackFrom(*m_batch, movement.id));
        }
    }
    m_return->setEnabled(outstanding);
    const qint64 chosen = chosenMovement();
    bool reversible = read && chosen != 0 && !reversalsIn(*m_batch).contains(chosen);
    for (const Movement &movement : read ? m_batch->movements : QList<Movement>()) {
        if (movement.id == chosen && movement.kind == MovementKind::Adjusted && movement.of != 0)
            reversible = false; // a reversal is not undone by another: record anew
    }
    m_reverse->setEnabled(reversible);
    m_transport->setEnabled(chosenDispatch() != 0);
}

void DosesPane::openMovementDialog(MovementForm form, qint64 of)
{
    if (!m_batch || !m_journal)
        return;
    if (of == 0 && (form == MovementForm::Return || form == MovementForm::Reverse)) {
        of = chosenMovement();
        // A return chosen in the list comes back from the same dispatch.
        if (form == MovementForm::Return) {
            for (const Movement &movement : std::as_const(m_batch->movements)) {
                if (movement.id == of && movement.kind == MovementKind::Returned)
                    of = movement.of;
            }
        }
    }
    if (form == MovementForm::Reverse && of == 0)
        return;
    if (m_dialog)
        m_dialog->reject();
    auto *dialog = new MovementDialog(m_journal, form, *m_batch, of, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &MovementDialog::recorded, this, [this](const Movement &movement) {
        if (movement.kind == MovementKind::Dispatched || movement.kind == MovementKind::Used)
            m_offerSheet = 0; // the scanned dose went
        m_chooseAfterRead = movement.id;
        m_note->setText(movement.kind == MovementKind::Dispatched
                            ? RecordsText::tr("Dispatch %1 kept. Its transport sheet: Transport "
                                              "Sheet.")
                                  .arg(movement.id)
                            : RecordsText::tr("Movement %1 kept.").arg(movement.id));
        emit movementRecorded(movement);
        reread();
    });
    // What remains may have changed under it: the dialog is told, once it is read.
    connect(dialog, &MovementDialog::refused, this, &DosesPane::reread);
    m_dialog = dialog;
    dialog->open();
}

void DosesPane::registerStallion()
{
    if (!m_journal || m_stallionName.isEmpty())
        return;
    Stallion stallion;
    stallion.name = m_stallionName;
    auto *dialog = new StallionEditDialog(m_journal, stallion, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &StallionEditDialog::saved, this, [this](const Stallion &saved) {
        emit stallionRegistered(saved);
        reread();
    });
    dialog->open();
}

qint64 DosesPane::chosenDispatch() const
{
    const qint64 chosen = chosenMovement();
    if (!m_batch || chosen == 0 || reversalsIn(*m_batch).contains(chosen))
        return 0;
    for (const Movement &movement : m_batch->movements) {
        if (movement.id == chosen && movement.kind == MovementKind::Dispatched)
            return chosen;
    }
    return 0;
}

void DosesPane::chooseTransportSheetFile()
{
    const qint64 dispatch = chosenDispatch();
    if (dispatch == 0)
        return;
    auto *dialog = new QFileDialog(this, RecordsText::tr("Transport Sheet"));
    dialog->setObjectName(QStringLiteral("transportSheetFile"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilter(RecordsText::tr("PDF files (*.pdf)"));
    dialog->setDefaultSuffix(QStringLiteral("pdf"));
    dialog->selectFile(
        QDir::home().filePath(RecordsText::tr("transport-sheet-%1.pdf").arg(dispatch)));
    connect(dialog, &QFileDialog::fileSelected, this,
            [this, dispatch](const QString &file) { writeTransportSheet(dispatch, file); });
    dialog->open();
}

void DosesPane::writeTransportSheet(qint64 dispatchId, const QString &fileName)
{
    if (!m_journal)
        return;
    m_note->setText(RecordsText::tr("Writing %1...").arg(fileName));
    whenReady(m_journal->run<ExportOutcome>([dispatchId, fileName](Journal &journal) {
        return estrivo::writeTransportSheet(journal, dispatchId, fileName);
    }),
              this, [this, fileName](const ExportOutcome &outcome) {
                  m_note->setText(registerOutcomeText(outcome));
                  emit transportSheetWritten(fileName, outcome);
              });
}

} // namespace estrivo
