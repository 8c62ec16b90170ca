// The dialog that keeps a freeze batch from one collection or several pooled.
#include "frozen_dialogs.h"
#include "frozen_dialogs_parts.h"
#include "frozen_ui.h"
#include "journal_service.h"
#include "records_text.h"
#include "register_ui.h"
#include "sheet_numbers.h"
#include "straws_per_dose.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QUuid>
#include <QVBoxLayout>

namespace estrivo {

using namespace frozen_form;

namespace {

constexpr double kMaxMl = 1000.0;
constexpr double kMaxG = 10000.0;
constexpr double kMaxConcentration = 5000.0; // M/ml, far above any frozen straw
constexpr double kMaxTargetMillions = 10000.0;
constexpr double kDefaultTargetMillions = 250.0; // progressively motile sperm per dose
constexpr int kSourceSheets = 200;               // his newest collections offered for pooling
constexpr int kRawColumn = 2;
constexpr int kGelFreeRole = Qt::UserRole + 1;

QString collectionText(const SheetRecord &sheet)
{
    return RecordsText::tr("%1 (%2)").arg(sheet.id).arg(
        sheet.savedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd")));
}

} // namespace

// --- FreezeBatchDialog

FreezeBatchDialog::FreezeBatchDialog(JournalService *journal, SheetRecord first, QWidget *parent)
    : QDialog(parent)
    , m_journal(journal)
    , m_first(std::move(first))
    , m_uid(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    setObjectName(QStringLiteral("freezeBatchDialog"));
    setWindowTitle(RecordsText::tr("New Freeze Batch"));
    if (m_first.stallion.isEmpty())
        m_first.stallion = splitStallionAndNotes(m_first.text(Field::Text1)).stallion;
    auto *layout = new QVBoxLayout(this);
    auto *heading = new QLabel(RecordsText::tr("Straws of %1 from collection %2. Tick other "
                                               "collections of his to pool them.")
                                   .arg(shownText(m_first.stallion))
                                   .arg(m_first.id));
    heading->setTextFormat(Qt::PlainText);
    heading->setWordWrap(true);
    layout->addWidget(heading);
    m_sources = new QTableWidget(0, 3);
    m_sources->setObjectName(QStringLiteral("sources"));
    m_sources->setAccessibleName(RecordsText::tr("Collections pooled"));
    m_sources->setHorizontalHeaderLabels({RecordsText::tr("Collection"),
                                          RecordsText::tr("Gel-free (ml)"),
                                          RecordsText::tr("Raw semen used (ml)")});
    m_sources->verticalHeader()->hide();
    m_sources->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_sources->horizontalHeader()->setStretchLastSection(true);
    connect(m_sources, &QTableWidget::itemChanged, this, &FreezeBatchDialog::check);
    addSource(m_first, true);
    layout->addWidget(m_sources, 1);

    auto *form = new QFormLayout;
    layout->addLayout(form);
    m_g = newNumber(QStringLiteral("centrifugationG"), kMaxG, 0, QStringLiteral(" g"));
    m_g->setSpecialValueText(RecordsText::tr("not centrifuged"));
    m_minutes = newNumber(QStringLiteral("centrifugationMinutes"), kMaxMinutes, 1,
                          RecordsText::tr(" min"));
    auto *spin = new QHBoxLayout;
    spin->addWidget(m_g);
    spin->addWidget(m_minutes);
    auto *spinTitle = new QLabel(RecordsText::tr("Centri&fugation:"));
    spinTitle->setBuddy(m_g);
    form->addRow(spinTitle, spin);
    m_extender = newLine(QStringLiteral("extender"));
    form->addRow(RecordsText::tr("Freezing &extender:"), m_extender);
    m_concentration = newNumber(QStringLiteral("finalConcentration"), kMaxConcentration, 1,
                                RecordsText::tr(" M/ml"));
    form->addRow(RecordsText::tr("Final &concentration:"), m_concentration);
    m_volume = new QComboBox;
    m_volume->setObjectName(QStringLiteral("strawVolume"));
    for (double ml : kStrawVolumesMl)
        m_volume->addItem(RecordsText::tr("%1 ml").arg(numberText(ml)), ml);
    m_volume->setCurrentIndex(m_volume->count() - 1);
    form->addRow(RecordsText::tr("Straw &volume:"), m_volume);
    m_straws = new QSpinBox;
    m_straws->setObjectName(QStringLiteral("strawsMade"));
    m_straws->setRange(0, kMaxStraws);
    form->addRow(RecordsText::tr("Straws &made:"), m_straws);
    m_perStraw = newProblemLabel();
    m_perStraw->setObjectName(QStringLiteral("spermPerStraw"));
    form->addRow(RecordsText::tr("Sperm per straw:"), m_perStraw);
    m_colour = newLine(QStringLiteral("strawColour"), 40);
    form->addRow(RecordsText::tr("Straw co&lour:"), m_colour);
    m_marking = newLine(QStringLiteral("strawMarking"));
    m_marking->setToolTip(RecordsText::tr("What is printed on each straw."));
    form->addRow(RecordsText::tr("Straw mar&king:"), m_marking);
    m_target = newNumber(QStringLiteral("targetPerDose"), kMaxTargetMillions, 0,
                         RecordsText::tr(" M progressively motile"));
    m_target->setValue(kDefaultTargetMillions);
    form->addRow(RecordsText::tr("&Target per dose:"), m_target);
    m_arithmetic = newProblemLabel();
    m_arithmetic->setObjectName(QStringLiteral("arithmetic"));
    form->addRow(QString(), m_arithmetic);
    m_perDose = new QSpinBox;
    m_perDose->setObjectName(QStringLiteral("strawsPerDose"));
    m_perDose->setRange(0, kMostStrawsPerDose);
    form->addRow(RecordsText::tr("Straws per &dose:"), m_perDose);
    m_notes = newLine(QStringLiteral("notes"));
    form->addRow(RecordsText::tr("&Notes:"), m_notes);

    for (QDoubleSpinBox *box : {m_g, m_minutes, m_concentration, m_target})
        connect(box, &QDoubleSpinBox::valueChanged, this, &FreezeBatchDialog::check);
    connect(m_straws, &QSpinBox::valueChanged, this, &FreezeBatchDialog::check);
    // What the operator typed is kept; until then the arithmetic's figure is filled in.
    connect(m_perDose, &QSpinBox::valueChanged, this, [this] {
        m_perDoseTyped = true;
        check();
    });
    connect(m_volume, &QComboBox::currentIndexChanged, this, &FreezeBatchDialog::check);
    connect(m_extender, &QLineEdit::textChanged, this, &FreezeBatchDialog::check);

    m_problem = newProblemLabel();
    layout->addWidget(m_problem);
    m_buttons = newButtons(this);
    layout->addWidget(m_buttons);
    m_sources->setMinimumHeight(6 * m_sources->fontMetrics().height());
    resize(620, 720);
    check();

    if (!m_journal)
        return;
    const QString stallion = m_first.stallion;
    whenReady(m_journal->run<Read>([stallion](Journal &store) {
        Read read;
        if (stallion.isEmpty())
            return read;
        SheetFilter filter;
        filter.stallion = stallion;
        SheetPage page;
        page.limit = kSourceSheets;
        read.sheets = store.sheets(filter, page);
        read.error = store.lastError();
        // Test-freezes go first: his latest post-thaw motility tells how many straws a dose
        // takes before this batch has a test of its own.
        std::optional<ThawTest> newest;
        for (const FreezeBatch &batch : store.freezeBatches(stallion)) {
            const std::optional<ThawTest> test = latestTest(store.thawTests(batch.id));
            if (test && (!newest || test->testedAt > newest->testedAt))
                newest = test;
        }
        if (newest)
            read.progressive = newest->progressiveMotility;
        return read;
    }),
              this, [this](const Read &read) { showRead(read); });
}

void FreezeBatchDialog::showRead(const Read &read)
{
    if (!read.error.ok())
        m_problem->setText(read.error.reason);
    const QSignalBlocker quiet(m_sources);
    for (const SheetRecord &sheet : read.sheets) {
        if (sheet.id != m_first.id)
            addSource(sheet, false);
    }
    m_progressive = read.progressive;
    m_ready = true;
    check();
    emit ready();
}

void FreezeBatchDialog::addSource(const SheetRecord &sheet, bool chosen)
{
    const QSignalBlocker quiet(m_sources);
    const int row = m_sources->rowCount();
    m_sources->insertRow(row);
    auto *item = new QTableWidgetItem(collectionText(sheet));
    item->setData(Qt::UserRole, sheet.id);
    // The chosen collection is the batch's first source: it cannot be left out.
    item->setFlags(chosen ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
    m_sources->setItem(row, 0, item);
    const std::optional<double> gelFree = numberIn(sheet.text(Field::GFV));
    if (gelFree)
        item->setData(kGelFreeRole, *gelFree);
    auto *volume = new QTableWidgetItem(gelFree ? numberText(*gelFree) : QStringLiteral("-"));
    volume->setFlags(Qt::ItemIsEnabled);
    m_sources->setItem(row, 1, volume);
    auto *raw
        = newNumber(QStringLiteral("rawMl%1").arg(sheet.id), kMaxMl, 1, RecordsText::tr(" ml"));
    raw->setValue(chosen && gelFree ? *gelFree : 0);
    connect(raw, &QDoubleSpinBox::valueChanged, this, &FreezeBatchDialog::check);
    m_sources->setCellWidget(row, kRawColumn, raw);
    m_sources->resizeColumnToContents(0);
}

double FreezeBatchDialog::spermPerStraw() const
{
    return m_concentration->value() * m_volume->currentData().toDouble();
}

FreezeBatch FreezeBatchDialog::batch() const
{
    FreezeBatch batch;
    batch.uid = m_uid;
    for (int row = 0; row < m_sources->rowCount(); ++row) {
        const QTableWidgetItem *item = m_sources->item(row, 0);
        if (item->checkState() != Qt::Checked)
            continue;
        const auto *raw = static_cast<QDoubleSpinBox *>(m_sources->cellWidget(row, kRawColumn));
        batch.sources.append({item->data(Qt::UserRole).toLongLong(), raw->value()});
    }
    batch.stallion = m_first.stallion;
    batch.centrifugationG = m_g->value();
    batch.centrifugationMinutes = m_g->value() > 0 ? m_minutes->value() : 0;
    batch.extender = m_extender->text().trimmed();
    batch.finalConcentration = m_concentration->value();
    batch.strawVolumeMl = m_volume->currentData().toDouble();
    batch.strawsMade = m_straws->value();
    batch.spermPerStraw = spermPerStraw();
    batch.strawColour = m_colour->text().trimmed();
    batch.strawMarking = m_marking->text().trimmed();
    batch.strawsPerDose = m_perDose->value();
    batch.notes = m_notes->text().trimmed();
    return batch;
}

QString FreezeBatchDialog::problem() const
{
    const FreezeBatch wanted = batch();
    if (m_first.id == 0)
        return RecordsText::tr("Choose the collection the straws are frozen from.");
    for (const FreezeSource &source : wanted.sources) {
        if (source.rawMl <= 0)
            return RecordsText::tr("Give the raw semen collection %1 gave.").arg(source.sheetId);
    }
    // The journal also counts what earlier batches took; the sheet alone sets this bound.
    for (int row = 0; row < m_sources->rowCount(); ++row) {
        const QTableWidgetItem *item = m_sources->item(row, 0);
        const auto *raw = static_cast<QDoubleSpinBox *>(m_sources->cellWidget(row, kRawColumn));
        const QVariant gelFree = item->data(kGelFreeRole);
        if (item->checkState() == Qt::Checked && gelFree.isValid()
            && raw->value() > gelFree.toDouble())
            return RecordsText::tr("Collection %1 gave %2 ml of gel-free semen: no more raw "
                                   "semen than that.")
                .arg(item->data(Qt::UserRole).toLongLong())
                .arg(numberText(gelFree.toDouble()));
    }
    if (wanted.extender.isEmpty())
        return RecordsText::tr("Name the freezing extender.");
    if (wanted.finalConcentration <= 0)
        return RecordsText::tr("Give the final concentration in the straws.");
    if (wanted.strawsMade < 1)
        return RecordsText::tr("Give the number of straws made.");
    if (wanted.strawsPerDose < 1)
        return RecordsText::tr("Give the straws per insemination dose.");
    return {};
}

QString FreezeBatchDialog::arithmetic() const
{
    return m_arithmetic->text();
}

void FreezeBatchDialog::check()
{
    if (!m_buttons)
        return; // still being built
    const double perStraw = spermPerStraw();
    m_perStraw->setText(perStraw > 0
                            ? RecordsText::tr("%1 M (%2 M/ml x %3 ml)")
                                  .arg(numberText(perStraw), numberText(m_concentration->value()),
                                       numberText(m_volume->currentData().toDouble()))
                            : RecordsText::tr("from the final concentration and the volume"));
    m_suggested = 0;
    if (!m_progressive) {
        m_arithmetic->setText(RecordsText::tr("No post-thaw test of his yet: freeze a test "
                                              "batch first to work out the straws per dose."));
    } else {
        const StrawsPerDose worked = strawsPerDose(perStraw, *m_progressive, m_target->value());
        QString text = RecordsText::tr("From his latest post-thaw progressive motility of "
                                       "%1 %:")
                           .arg(numberText(*m_progressive));
        for (const QString &line : worked.arithmetic)
            text += u'\n' + line;
        if (!worked.problem.isEmpty())
            text += u'\n' + worked.problem;
        m_arithmetic->setText(text);
        m_suggested = worked.problem.isEmpty() ? worked.straws : 0;
        m_perDose->setToolTip(m_suggested > 0
                                  ? RecordsText::tr("The arithmetic gives %1.").arg(m_suggested)
                                  : QString());
        if (m_suggested > 0 && !m_perDoseTyped) {
            const QSignalBlocker quiet(m_perDose);
            m_perDose->setValue(m_suggested);
        }
    }
    showProblem(m_problem, m_buttons,
                m_busy ? RecordsText::tr("Keeping it in the journal...") : problem());
}

void FreezeBatchDialog::accept()
{
    if (m_busy || !m_journal || !problem().isEmpty())
        return;
    m_busy = true;
    check();
    const FreezeBatch wanted = batch();
    whenReady(m_journal->run<JournalReply<FreezeBatch>>([wanted](Journal &journal) {
        JournalReply<FreezeBatch> reply;
        reply.value = wanted;
        reply.error = journal.recordFreezeBatch(reply.value);
        return reply;
    }),
              this, [this](const JournalReply<FreezeBatch> &reply) {
                  m_busy = false;
                  check();
                  if (!reply.ok()) {
                      showJournalProblem(this, windowTitle(), reply.error);
                      return;
                  }
                  emit recorded(reply.value);
                  QDialog::accept();
              });
}

} // namespace estrivo
