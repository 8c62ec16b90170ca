#include "frozen_dialogs.h"

#include "analysis_import.h"
#include "frozen_ui.h"
#include "journal_service.h"
#include "records_text.h"
#include "register_ui.h"
#include "sheet_numbers.h"
#include "straws_per_dose.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QUuid>
#include <QVBoxLayout>

namespace estrivo {

namespace {

constexpr int kMaxTextLength = 200;
constexpr int kMaxStraws = 99999;
constexpr double kMaxMl = 1000.0;
constexpr double kMaxG = 10000.0;
constexpr double kMaxMinutes = 600.0;
constexpr double kMaxConcentration = 5000.0; // M/ml, far above any frozen straw
constexpr double kMaxTargetMillions = 10000.0;
constexpr double kDefaultTargetMillions = 250.0; // progressively motile sperm per dose
constexpr double kMaxVelocity = 1000.0;          // µm/s
constexpr int kSourceSheets = 200;               // his newest collections offered for pooling
constexpr int kRawColumn = 2;
constexpr int kGelFreeRole = Qt::UserRole + 1;

QLineEdit *newLine(const QString &name, int maxLength = kMaxTextLength)
{
    auto *line = new QLineEdit;
    line->setObjectName(name);
    line->setMaxLength(maxLength);
    return line;
}

QDoubleSpinBox *newNumber(const QString &name, double maximum, int decimals, const QString &suffix)
{
    auto *box = new QDoubleSpinBox;
    box->setObjectName(name);
    box->setLocale(QLocale::c());
    box->setRange(0, maximum);
    box->setDecimals(decimals);
    box->setSuffix(suffix);
    return box;
}

QDialogButtonBox *newButtons(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

void showProblem(QLabel *line, QDialogButtonBox *buttons, const QString &why)
{
    line->setText(why);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(why.isEmpty());
}

// A velocity typed or imported: none when empty, a problem when it is no number.
std::optional<double> velocityIn(const QLineEdit *line, bool *ok)
{
    const QString text = line->text().trimmed();
    *ok = true;
    if (text.isEmpty())
        return std::nullopt;
    const double value = QLocale::c().toDouble(text, ok);
    *ok = *ok && value >= 0 && value <= kMaxVelocity;
    return value;
}

QString collectionText(const SheetRecord &sheet)
{
    return RecordsText::tr("%1 (%2)").arg(sheet.id).arg(
        sheet.savedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd")));
}

} // namespace

// --- PositionPicker

PositionPicker::PositionPicker(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tank = new QComboBox;
    m_tank->setObjectName(QStringLiteral("tank"));
    m_tank->setAccessibleName(RecordsText::tr("Tank"));
    m_canister = new QSpinBox;
    m_canister->setObjectName(QStringLiteral("canister"));
    m_canister->setAccessibleName(RecordsText::tr("Canister"));
    m_canister->setPrefix(RecordsText::tr("canister "));
    m_canister->setRange(1, 1);
    m_goblet = newLine(QStringLiteral("goblet"), 20);
    m_goblet->setPlaceholderText(RecordsText::tr("goblet"));
    m_cane = newLine(QStringLiteral("cane"), 20);
    m_cane->setPlaceholderText(RecordsText::tr("cane"));
    layout->addWidget(m_tank, 2);
    layout->addWidget(m_canister, 1);
    layout->addWidget(m_goblet, 1);
    layout->addWidget(m_cane, 1);
    connect(m_tank, &QComboBox::currentIndexChanged, this, [this](int index) {
        const int canisters = index >= 0 && index < m_tanks.size() ? m_tanks[index].canisters : 1;
        m_canister->setRange(1, std::max(canisters, 1));
        emit changed();
    });
    connect(m_canister, &QSpinBox::valueChanged, this, &PositionPicker::changed);
    connect(m_goblet, &QLineEdit::textChanged, this, &PositionPicker::changed);
    connect(m_cane, &QLineEdit::textChanged, this, &PositionPicker::changed);
}

void PositionPicker::setTanks(const QList<Tank> &tanks)
{
    m_tanks = tanks;
    const QSignalBlocker quiet(m_tank);
    m_tank->clear();
    for (const Tank &tank : tanks)
        m_tank->addItem(shownText(tank.name, 40), tank.id);
    m_tank->setCurrentIndex(tanks.isEmpty() ? -1 : 0);
    m_canister->setRange(1, tanks.isEmpty() ? 1 : std::max(tanks.front().canisters, 1));
    emit changed();
}

StrawPosition PositionPicker::position() const
{
    StrawPosition position;
    position.tankId = m_tank->currentData().toLongLong();
    position.canister = m_canister->value();
    position.goblet = m_goblet->text().trimmed();
    position.cane = m_cane->text().trimmed();
    return position;
}

QString PositionPicker::tankName() const
{
    const int index = m_tank->currentIndex();
    return index >= 0 && index < m_tanks.size() ? m_tanks[index].name : QString();
}

QString PositionPicker::problem() const
{
    if (m_tanks.isEmpty())
        return RecordsText::tr("No tank is kept yet: add one under Frozen, Tanks.");
    if (m_tank->currentIndex() < 0)
        return RecordsText::tr("Choose the tank.");
    return {};
}

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

// --- AnalysisMappingDialog

namespace {

const char *const kFigureTitles[] = {
    QT_TRANSLATE_NOOP("Records", "&Motility (%):"),
    QT_TRANSLATE_NOOP("Records", "&Progressive motility (%):"),
    QT_TRANSLATE_NOOP("Records", "VC&L (µm/s):"),
    QT_TRANSLATE_NOOP("Records", "VS&L (µm/s):"),
    QT_TRANSLATE_NOOP("Records", "V&AP (µm/s):"),
};
const char *const kFigureNames[] = {"motility", "progressive", "vcl", "vsl", "vap"};
constexpr int kFigures = 5;

QStringList mappingColumns(const AnalysisMapping &mapping)
{
    return {mapping.motility, mapping.progressive, mapping.vcl, mapping.vsl, mapping.vap};
}

} // namespace

AnalysisMappingDialog::AnalysisMappingDialog(const QStringList &headers, QWidget *parent)
    : QDialog(parent)
    , m_headers(headers)
{
    setObjectName(QStringLiteral("analysisMappingDialog"));
    setWindowTitle(RecordsText::tr("Columns of the Analysis File"));
    auto *layout = new QVBoxLayout(this);
    auto *note = new QLabel(RecordsText::tr("Say once per instrument which column holds which "
                                            "figure; the next file of the same instrument is "
                                            "read the same way."));
    note->setWordWrap(true);
    layout->addWidget(note);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    m_instrument = new QComboBox;
    m_instrument->setObjectName(QStringLiteral("instrument"));
    m_instrument->setEditable(true);
    m_instrument->lineEdit()->setMaxLength(80);
    m_instrument->addItems(analysisInstruments());
    m_instrument->setCurrentIndex(m_instrument->count() > 0 ? 0 : -1);
    form->addRow(RecordsText::tr("&Instrument:"), m_instrument);
    for (int figure = 0; figure < kFigures; ++figure) {
        auto *column = new QComboBox;
        column->setObjectName(QString::fromLatin1(kFigureNames[figure]));
        column->addItem(RecordsText::tr("(none)"), QString());
        for (const QString &header : headers)
            column->addItem(shownText(header, 40), header);
        connect(column, &QComboBox::currentIndexChanged, this, &AnalysisMappingDialog::check);
        form->addRow(RecordsText::tr(kFigureTitles[figure]), column);
        m_columns << column;
    }
    connect(m_instrument, &QComboBox::currentTextChanged, this, [this] { loadInstrument(); });
    m_problem = newProblemLabel();
    layout->addWidget(m_problem);
    m_buttons = newButtons(this);
    layout->addWidget(m_buttons);
    loadInstrument(true);
}

void AnalysisMappingDialog::loadInstrument(bool first)
{
    // Columns already chosen stay while a new instrument's name is typed in.
    const std::optional<AnalysisMapping> saved = loadAnalysisMapping(instrument());
    if (!saved && !first) {
        check();
        return;
    }
    const AnalysisMapping kept = saved.value_or(guessMapping(m_headers));
    const QStringList columns = mappingColumns(kept);
    for (int figure = 0; figure < kFigures; ++figure) {
        const QSignalBlocker quiet(m_columns[figure]);
        m_columns[figure]->setCurrentIndex(
            std::max(0, m_columns[figure]->findData(columns[figure])));
    }
    check();
}

QString AnalysisMappingDialog::instrument() const
{
    return m_instrument->currentText().trimmed();
}

QStringList AnalysisMappingDialog::columns() const
{
    QStringList chosen;
    for (const QComboBox *column : m_columns)
        chosen << column->currentData().toString();
    return chosen;
}

AnalysisMapping AnalysisMappingDialog::mapping() const
{
    const QStringList chosen = columns();
    AnalysisMapping mapping;
    mapping.instrument = instrument();
    mapping.motility = chosen[0];
    mapping.progressive = chosen[1];
    mapping.vcl = chosen[2];
    mapping.vsl = chosen[3];
    mapping.vap = chosen[4];
    return mapping;
}

QString AnalysisMappingDialog::problem() const
{
    if (instrument().isEmpty())
        return RecordsText::tr("Name the instrument the file comes from.");
    const QStringList chosen = columns();
    if (chosen[0].isEmpty() || chosen[1].isEmpty())
        return RecordsText::tr("Choose the columns of the motility and the progressive "
                               "motility.");
    return {};
}

void AnalysisMappingDialog::accept()
{
    if (problem().isEmpty())
        QDialog::accept();
}

void AnalysisMappingDialog::check()
{
    if (m_buttons)
        showProblem(m_problem, m_buttons, problem());
}

// --- ThawTestDialog

ThawTestDialog::ThawTestDialog(JournalService *journal, FreezeBatch batch, QWidget *parent)
    : QDialog(parent)
    , m_journal(journal)
    , m_batch(std::move(batch))
    , m_source(QStringLiteral("typed"))
{
    setObjectName(QStringLiteral("thawTestDialog"));
    setWindowTitle(RecordsText::tr("Post-Thaw Test of Batch %1").arg(m_batch.id));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    m_thawed = new QSpinBox;
    m_thawed->setObjectName(QStringLiteral("strawsThawed"));
    m_thawed->setRange(1, 100);
    form->addRow(RecordsText::tr("Straws &thawed:"), m_thawed);
    m_minutes
        = newNumber(QStringLiteral("minutesAfterThaw"), kMaxMinutes, 0, RecordsText::tr(" min"));
    form->addRow(RecordsText::tr("&Minutes after thawing:"), m_minutes);
    m_total = newNumber(QStringLiteral("totalMotility"), 100, 1, QStringLiteral(" %"));
    form->addRow(RecordsText::tr("T&otal motility:"), m_total);
    m_progressive = newNumber(QStringLiteral("progressiveMotility"), 100, 1, QStringLiteral(" %"));
    form->addRow(RecordsText::tr("&Progressive motility:"), m_progressive);
    m_vcl = newLine(QStringLiteral("vcl"), 12);
    m_vsl = newLine(QStringLiteral("vsl"), 12);
    m_vap = newLine(QStringLiteral("vap"), 12);
    auto *velocities = new QHBoxLayout;
    for (QLineEdit *line : {m_vcl, m_vsl, m_vap}) {
        line->setPlaceholderText(line->objectName().toUpper());
        line->setAccessibleName(line->objectName().toUpper());
        velocities->addWidget(line);
        connect(line, &QLineEdit::textChanged, this, &ThawTestDialog::check);
    }
    form->addRow(RecordsText::tr("Velocities (µm/s):"), velocities);
    m_bacteriology = newLine(QStringLiteral("bacteriology"));
    m_bacteriology->setPlaceholderText(RecordsText::tr("no growth"));
    form->addRow(RecordsText::tr("&Bacteriology:"), m_bacteriology);
    m_sourceLine = newProblemLabel();
    m_sourceLine->setObjectName(QStringLiteral("source"));
    m_sourceLine->setText(RecordsText::tr("Typed."));
    auto *import = new QPushButton(RecordsText::tr("&Import from Analysis File..."));
    import->setObjectName(QStringLiteral("importAnalysis"));
    connect(import, &QPushButton::clicked, this, &ThawTestDialog::chooseFile);
    auto *sourceRow = new QHBoxLayout;
    sourceRow->addWidget(m_sourceLine, 1);
    sourceRow->addWidget(import);
    layout->addLayout(sourceRow);
    for (QDoubleSpinBox *box : {m_minutes, m_total, m_progressive})
        connect(box, &QDoubleSpinBox::valueChanged, this, &ThawTestDialog::check);
    m_problem = newProblemLabel();
    layout->addWidget(m_problem);
    m_buttons = newButtons(this);
    layout->addWidget(m_buttons);
    check();
}

void ThawTestDialog::chooseFile()
{
    auto *dialog = new QFileDialog(this, RecordsText::tr("Analysis File"));
    dialog->setObjectName(QStringLiteral("analysisFile"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(RecordsText::tr("Analysis results (*.csv *.txt)"));
    dialog->setDirectory(QDir::home());
    connect(dialog, &QFileDialog::fileSelected, this, &ThawTestDialog::importFile);
    dialog->open();
}

void ThawTestDialog::importFile(const QString &fileName)
{
    m_sourceLine->setText(RecordsText::tr("Reading %1...").arg(fileName));
    if (!m_journal)
        return;
    // A file on a slow share or a large export is read off the window's thread: on the
    // journal's.
    whenReady(
        m_journal->run<AnalysisTable>(
            [fileName](Journal &) { return readAnalysisFile(fileName); }),
        this, [this, fileName](const AnalysisTable &table) {
            const QString name = QFileInfo(fileName).fileName();
            if (!table.problem.isEmpty()) {
                m_sourceLine->setText(
                    RecordsText::tr("%1 was not read: %2").arg(shownText(name), table.problem));
                emit imported();
                return;
            }
            auto *mapping = new AnalysisMappingDialog(table.headers, this);
            mapping->setAttribute(Qt::WA_DeleteOnClose);
            connect(mapping, &QDialog::rejected, this, [this, name] {
                m_sourceLine->setText(
                    RecordsText::tr("%1 was not imported.").arg(shownText(name)));
                emit imported();
            });
            connect(mapping, &QDialog::accepted, this, [this, mapping, table, name] {
                const AnalysisMapping chosen = mapping->mapping();
                // Not kept (a name too long) only means asking again next time.
                const QString unsaved = saveAnalysisMapping(chosen);
                const AnalysisResult result = analysisResult(table, chosen);
                if (!result.problem.isEmpty()) {
                    m_sourceLine->setText(RecordsText::tr("%1 was not imported: %2")
                                              .arg(shownText(name), result.problem));
                    emit imported();
                    return;
                }
                m_total->setValue(result.motility);
                m_progressive->setValue(result.progressive);
                const auto velocity = [](const std::optional<double> &value) {
                    return value ? numberText(*value) : QString();
                };
                m_vcl->setText(velocity(result.vcl));
                m_vsl->setText(velocity(result.vsl));
                m_vap->setText(velocity(result.vap));
                m_source = name;
                m_sourceLine->setText(RecordsText::tr("Imported from %1 (%2): the mean of %3 "
                                                      "rows.")
                                          .arg(shownText(name), shownText(chosen.instrument, 40))
                                          .arg(result.rowsUsed)
                                      + (unsaved.isEmpty() ? QString() : u' ' + unsaved));
                check();
                emit imported();
            });
            mapping->open();
        });
}

ThawTest ThawTestDialog::test() const
{
    ThawTest test;
    test.batchId = m_batch.id;
    test.strawsThawed = m_thawed->value();
    test.minutesAfterThaw = m_minutes->value();
    test.totalMotility = m_total->value();
    test.progressiveMotility = m_progressive->value();
    bool ok = true;
    test.vcl = velocityIn(m_vcl, &ok);
    test.vsl = velocityIn(m_vsl, &ok);
    test.vap = velocityIn(m_vap, &ok);
    test.bacteriology = m_bacteriology->text().trimmed();
    test.source = m_source;
    return test;
}

QString ThawTestDialog::problem() const
{
    const ThawTest wanted = test();
    if (wanted.progressiveMotility > wanted.totalMotility)
        return RecordsText::tr("The progressive motility cannot be above the total motility.");
    for (const QLineEdit *line : {m_vcl, m_vsl, m_vap}) {
        bool ok = true;
        velocityIn(line, &ok);
        if (!ok)
            return RecordsText::tr("%1 is no velocity: give µm/s, such as 85.5, or nothing.")
                .arg(line->objectName().toUpper());
    }
    return {};
}

void ThawTestDialog::check()
{
    if (m_buttons)
        showProblem(m_problem, m_buttons,
                    m_busy ? RecordsText::tr("Keeping it in the journal...") : problem());
}

void ThawTestDialog::accept()
{
    if (m_busy || !m_journal || !problem().isEmpty())
        return;
    m_busy = true;
    check();
    const ThawTest wanted = test();
    whenReady(m_journal->run<JournalReply<ThawTest>>([wanted](Journal &journal) {
        JournalReply<ThawTest> reply;
        reply.value = wanted;
        reply.error = journal.recordThawTest(reply.value);
        return reply;
    }),
              this, [this](const JournalReply<ThawTest> &reply) {
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

// --- ReleaseDialog

ReleaseDialog::ReleaseDialog(JournalService *journal, FreezeBatch batch,
                             std::optional<ThawTest> latest, double threshold, QWidget *parent)
    : QDialog(parent)
    , m_journal(journal)
    , m_batch(std::move(batch))
{
    setObjectName(QStringLiteral("releaseDialog"));
    setWindowTitle(RecordsText::tr("Release of Batch %1").arg(m_batch.id));
    auto *layout = new QVBoxLayout(this);
    auto *rule = new QLabel;
    rule->setObjectName(QStringLiteral("threshold"));
    rule->setTextFormat(Qt::PlainText);
    rule->setWordWrap(true);
    const QString station = RecordsText::tr("The station releases a batch whose post-thaw "
                                            "progressive motility is at least %1 %.")
                                .arg(numberText(threshold));
    rule->setText(station + u' '
                  + (latest ? RecordsText::tr("Its latest test: %1 % progressive.")
                                  .arg(numberText(latest->progressiveMotility))
                            : RecordsText::tr("It has no post-thaw test yet.")));
    layout->addWidget(rule);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    m_state = new QComboBox;
    m_state->setObjectName(QStringLiteral("state"));
    for (ReleaseState state :
         {ReleaseState::Released, ReleaseState::OnHold, ReleaseState::Quarantine})
        m_state->addItem(releaseStateText(state), int(state));
    form->addRow(RecordsText::tr("&State:"), m_state);
    m_reason = newLine(QStringLiteral("reason"));
    form->addRow(RecordsText::tr("&Reason:"), m_reason);
    connect(m_state, &QComboBox::currentIndexChanged, this, &ReleaseDialog::check);
    connect(m_reason, &QLineEdit::textChanged, this, &ReleaseDialog::check);
    m_problem = newProblemLabel();
    layout->addWidget(m_problem);
    m_buttons = newButtons(this);
    layout->addWidget(m_buttons);
    check();
}

void ReleaseDialog::setState(ReleaseState state)
{
    m_state->setCurrentIndex(m_state->findData(int(state)));
}

ReleaseChange ReleaseDialog::change() const
{
    ReleaseChange change;
    change.batchId = m_batch.id;
    change.state = ReleaseState(m_state->currentData().toInt());
    change.reason = m_reason->text().trimmed();
    return change;
}

QString ReleaseDialog::problem() const
{
    const ReleaseChange wanted = change();
    if (wanted.state == m_batch.state)
        return RecordsText::tr("The batch is in this state already.");
    // The journal decides whether a release is allowed: it has the latest test.
    if (wanted.state != ReleaseState::Released && wanted.reason.isEmpty())
        return RecordsText::tr("Give the reason: it is kept with the batch.");
    return {};
}

void ReleaseDialog::check()
{
    if (m_buttons)
        showProblem(m_problem, m_buttons,
                    m_busy ? RecordsText::tr("Keeping it in the journal...") : problem());
}

void ReleaseDialog::accept()
{
    if (m_busy || !m_journal || !problem().isEmpty())
        return;
    m_busy = true;
    check();
    const ReleaseChange wanted = change();
    whenReady(m_journal->run<JournalReply<ReleaseChange>>([wanted](Journal &journal) {
        JournalReply<ReleaseChange> reply;
        reply.value = wanted;
        reply.error = journal.changeReleaseState(reply.value);
        return reply;
    }),
              this, [this](const JournalReply<ReleaseChange> &reply) {
                  m_busy = false;
                  check();
                  if (!reply.ok()) {
                      emit refused(reply.error);
                      showJournalProblem(this, windowTitle(), reply.error);
                      return;
                  }
                  emit changed(reply.value);
                  QDialog::accept();
              });
}

// --- StrawsDialog

StrawsDialog::StrawsDialog(JournalService *journal, Form form, FreezeBatch batch, QWidget *parent)
    : QDialog(parent)
    , m_journal(journal)
    , m_form(form)
    , m_batch(std::move(batch))
{
    setObjectName(QStringLiteral("strawsDialog"));
    setWindowTitle(form == Form::Place
                       ? RecordsText::tr("Place Straws of Batch %1").arg(m_batch.id)
                       : RecordsText::tr("Move Straws"));
    auto *layout = new QVBoxLayout(this);
    m_summary = newProblemLabel();
    m_summary->setObjectName(QStringLiteral("summary"));
    layout->addWidget(m_summary);
    auto *fields = new QFormLayout;
    layout->addLayout(fields);
    if (m_form == Form::Move) {
        m_from = new QComboBox;
        m_from->setObjectName(QStringLiteral("from"));
        fields->addRow(RecordsText::tr("&From:"), m_from);
        m_everything = new QCheckBox(RecordsText::tr("&Everything at this position, of every "
                                                     "batch"));
        m_everything->setObjectName(QStringLiteral("everything"));
        fields->addRow(QString(), m_everything);
        // All of this batch's straws there, unless told fewer.
        connect(m_from, &QComboBox::currentIndexChanged, this, &StrawsDialog::fillStraws);
        connect(m_everything, &QCheckBox::toggled, this, &StrawsDialog::check);
    }
    m_to = new PositionPicker;
    m_to->setObjectName(QStringLiteral("to"));
    fields->addRow(RecordsText::tr("&To:"), m_to);
    m_straws = new QSpinBox;
    m_straws->setObjectName(QStringLiteral("straws"));
    m_straws->setRange(0, kMaxStraws);
    fields->addRow(RecordsText::tr("&Straws:"), m_straws);
    connect(m_to, &PositionPicker::changed, this, &StrawsDialog::check);
    connect(m_straws, &QSpinBox::valueChanged, this, &StrawsDialog::check);
    m_problem = newProblemLabel();
    layout->addWidget(m_problem);
    m_buttons = newButtons(this);
    layout->addWidget(m_buttons);
    check();
    if (!m_journal)
        return;
    whenReady(m_journal->run<Read>([](Journal &store) {
        Read read;
        read.tanks = store.tanks();
        read.error = store.lastError();
        for (const Tank &tank : std::as_const(read.tanks))
            read.placements += store.placementsInTank(tank.id);
        return read;
    }),
              this, [this](const Read &read) { showRead(read); });
}

void StrawsDialog::showRead(const Read &read)
{
    m_read = true;
    m_placements = read.placements;
    m_to->setTanks(read.tanks);
    if (m_from) {
        // The batch's own positions, and beside them every other position in use: a bulk
        // move empties a goblet or a cane whatever it holds.
        const QSignalBlocker quiet(m_from);
        QList<StrawPosition> positions;
        for (const Placement &placement : std::as_const(m_placements)) {
            if (placement.straws > 0 && !positions.contains(placement.position)) {
                positions << placement.position;
                QString text = shownPosition(placement.tankName, placement.position);
                qint64 ours = 0;
                qint64 all = 0;
                for (const Placement &other : std::as_const(m_placements)) {
                    if (other.position == placement.position) {
                        all += other.straws;
                        if (other.batchId == m_batch.id)
                            ours += other.straws;
                    }
                }
                m_from->addItem(RecordsText::tr("%1: %2 of this batch, %3 in all")
                                    .arg(text)
                                    .arg(ours)
                                    .arg(all),
                                int(positions.size() - 1));
            }
        }
        m_fromPositions = positions;
        // The batch's own first.
        for (int index = 0; index < m_from->count(); ++index) {
            const StrawPosition &position = m_fromPositions[m_from->itemData(index).toInt()];
            if (std::any_of(m_placements.cbegin(), m_placements.cend(), [&](const Placement &p) {
                    return p.batchId == m_batch.id && p.position == position && p.straws > 0;
                })) {
                m_from->setCurrentIndex(index);
                break;
            }
        }
    }
    if (m_form == Form::Place)
        m_straws->setValue(m_batch.strawsUnplaced);
    else
        fillStraws();
    if (!read.error.ok())
        m_problem->setText(read.error.reason);
    check();
    emit ready();
}

void StrawsDialog::fillStraws()
{
    // All of this batch's straws there, unless told fewer.
    qint64 ours = 0;
    for (const Placement &placement : chosenFrom()) {
        if (placement.batchId == m_batch.id)
            ours += placement.straws;
    }
    m_straws->setValue(int(std::min<qint64>(ours, kMaxStraws)));
    check();
}

QList<Placement> StrawsDialog::chosenFrom() const
{
    QList<Placement> held;
    if (!m_from || m_from->currentIndex() < 0)
        return held;
    const StrawPosition &position = m_fromPositions[m_from->currentData().toInt()];
    for (const Placement &placement : m_placements) {
        if (placement.position == position && placement.straws > 0)
            held << placement;
    }
    return held;
}

void StrawsDialog::choosePosition(const StrawPosition &position)
{
    if (!m_from)
        return;
    const qsizetype at = m_fromPositions.indexOf(position);
    if (at >= 0)
        m_from->setCurrentIndex(m_from->findData(int(at)));
}

QList<StrawMove> StrawsDialog::moves() const
{
    QList<StrawMove> moves;
    const StrawPosition to = m_to->position();
    if (m_form == Form::Place) {
        moves.append({m_batch.id, StrawMoveKind::Placed, std::nullopt, to, m_straws->value()});
        return moves;
    }
    for (const Placement &placement : chosenFrom()) {
        if (m_everything->isChecked())
            moves.append({placement.batchId, StrawMoveKind::Moved, placement.position, to,
                          placement.straws});
        else if (placement.batchId == m_batch.id)
            moves.append(
                {m_batch.id, StrawMoveKind::Moved, placement.position, to, m_straws->value()});
    }
    return moves;
}

QString StrawsDialog::problem() const
{
    if (!m_read)
        return RecordsText::tr("Reading the tanks...");
    const QString where = m_to->problem();
    if (!where.isEmpty())
        return where;
    if (m_form == Form::Place) {
        if (m_batch.strawsUnplaced <= 0)
            return RecordsText::tr("Every straw of this batch is placed.");
        if (m_straws->value() < 1)
            return RecordsText::tr("Give the number of straws.");
        if (m_straws->value() > m_batch.strawsUnplaced)
            return RecordsText::tr("Only %1 of this batch are not placed.")
                .arg(strawsText(m_batch.strawsUnplaced));
        return {};
    }
    const QList<Placement> held = chosenFrom();
    if (held.isEmpty())
        return RecordsText::tr("No straws are placed anywhere yet.");
    if (held.front().position == m_to->position())
        return RecordsText::tr("Choose another position to move them to.");
    if (m_everything->isChecked())
        return {};
    qint64 ours = 0;
    for (const Placement &placement : held) {
        if (placement.batchId == m_batch.id)
            ours += placement.straws;
    }
    if (ours == 0)
        return RecordsText::tr("This batch has no straws there: tick Everything to move what "
                               "the position holds.");
    if (m_straws->value() < 1)
        return RecordsText::tr("Give the number of straws.");
    if (m_straws->value() > ours)
        return RecordsText::tr("Only %1 of this batch are there.").arg(strawsText(ours));
    return {};
}

void StrawsDialog::check()
{
    if (!m_buttons)
        return;
    if (m_straws && m_everything)
        m_straws->setEnabled(!m_everything->isChecked());
    if (m_form == Form::Place)
        m_summary->setText(RecordsText::tr("Batch %1 of %2: %3 not placed.")
                               .arg(m_batch.id)
                               .arg(shownText(m_batch.stallion))
                               .arg(strawsText(m_batch.strawsUnplaced)));
    else
        m_summary->setText(RecordsText::tr("Batch %1 of %2: %3 placed.")
                               .arg(m_batch.id)
                               .arg(shownText(m_batch.stallion))
                               .arg(strawsText(m_batch.strawsStored)));
    showProblem(m_problem, m_buttons,
                m_busy ? RecordsText::tr("Keeping it in the journal...") : problem());
}

void StrawsDialog::accept()
{
    if (m_busy || !m_journal || !problem().isEmpty())
        return;
    m_busy = true;
    check();
    const QList<StrawMove> wanted = moves();
    whenReady(m_journal->run<JournalError>(
                  [wanted](Journal &journal) { return journal.moveStraws(wanted); }),
              this, [this, wanted](const JournalError &error) {
                  m_busy = false;
                  check();
                  if (!error.ok()) {
                      showJournalProblem(this, windowTitle(), error);
                      return;
                  }
                  emit moved(wanted);
                  QDialog::accept();
              });
}

// --- StrawsOutDialog

StrawsOutDialog::StrawsOutDialog(JournalService *journal, Form form, FreezeBatch batch,
                                 QList<Placement> placements, QWidget *parent)
    : QDialog(parent)
    , m_journal(journal)
    , m_form(form)
    , m_batch(std::move(batch))
    , m_placements(std::move(placements))
    , m_uid(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    setObjectName(QStringLiteral("strawsOutDialog"));
    setWindowTitle(form == Form::Dispatch
                       ? RecordsText::tr("Dispatch Straws of Batch %1").arg(m_batch.id)
                       : RecordsText::tr("Use Straws of Batch %1 on the "
                                         "Station")
                             .arg(m_batch.id));
    auto *layout = new QVBoxLayout(this);
    auto *fields = new QFormLayout;
    layout->addLayout(fields);
    m_from = new QComboBox;
    m_from->setObjectName(QStringLiteral("from"));
    for (int index = 0; index < m_placements.size(); ++index) {
        const Placement &placement = m_placements[index];
        m_from->addItem(
            RecordsText::tr("%1: %2").arg(shownPosition(placement.tankName, placement.position),
                                          strawsText(placement.straws)),
            index);
    }
    fields->addRow(RecordsText::tr("&From:"), m_from);
    m_straws = new QSpinBox;
    m_straws->setObjectName(QStringLiteral("straws"));
    m_straws->setRange(0, kMaxStraws);
    m_straws->setValue(m_batch.strawsPerDose > 0 ? m_batch.strawsPerDose : 1);
    fields->addRow(RecordsText::tr("&Straws:"), m_straws);
    if (m_form == Form::Dispatch) {
        m_consignee = newLine(QStringLiteral("consignee"));
        fields->addRow(RecordsText::tr("&To (consignee):"), m_consignee);
    }
    m_mare = newLine(QStringLiteral("mare"));
    fields->addRow(RecordsText::tr("&Mare:"), m_mare);
    if (m_form == Form::Dispatch) {
        m_country = newLine(QStringLiteral("country"), 2);
        m_country->setPlaceholderText(RecordsText::tr("two letters, e.g. DE"));
        fields->addRow(RecordsText::tr("Cou&ntry:"), m_country);
        m_container = newLine(QStringLiteral("container"));
        fields->addRow(RecordsText::tr("C&ontainer:"), m_container);
    }
    for (QLineEdit *line : findChildren<QLineEdit *>()) {
        if (line->objectName() != QLatin1String("qt_spinbox_lineedit"))
            connect(line, &QLineEdit::textChanged, this, &StrawsOutDialog::check);
    }
    connect(m_from, &QComboBox::currentIndexChanged, this, &StrawsOutDialog::check);
    connect(m_straws, &QSpinBox::valueChanged, this, &StrawsOutDialog::check);
    m_problem = newProblemLabel();
    layout->addWidget(m_problem);
    m_buttons = newButtons(this);
    layout->addWidget(m_buttons);
    check();
}

const Placement *StrawsOutDialog::chosenPlacement() const
{
    const int index = m_from->currentIndex();
    return index >= 0 && index < m_placements.size() ? &m_placements[index] : nullptr;
}

void StrawsOutDialog::choosePosition(const StrawPosition &position)
{
    for (int index = 0; index < m_placements.size(); ++index) {
        if (m_placements[index].position == position)
            m_from->setCurrentIndex(index);
    }
}

Movement StrawsOutDialog::movement() const
{
    Movement movement;
    movement.uid = m_uid;
    movement.kind = m_form == Form::Dispatch ? MovementKind::Dispatched : MovementKind::Used;
    movement.sheetId = m_batch.sources.isEmpty() ? 0 : m_batch.sources.front().sheetId;
    movement.freezeBatchId = m_batch.id;
    movement.doses = m_straws->value();
    if (const Placement *from = chosenPlacement()) {
        movement.fromTankId = from->position.tankId;
        movement.fromCanister = from->position.canister;
        movement.fromGoblet = from->position.goblet;
        movement.fromCane = from->position.cane;
    }
    const auto text = [](const QLineEdit *line) {
        return line ? line->text().trimmed() : QString();
    };
    movement.consignee = text(m_consignee);
    movement.mare = text(m_mare);
    movement.country = text(m_country).toUpper();
    movement.container = text(m_container);
    return movement;
}

QString StrawsOutDialog::problem() const
{
    if (m_batch.state == ReleaseState::Quarantine)
        return RecordsText::tr("Only straws of a released batch leave the station: this one "
                               "is in quarantine.");
    if (m_batch.state == ReleaseState::OnHold)
        return RecordsText::tr("Only straws of a released batch leave the station: this one "
                               "is on hold.");
    const Placement *from = chosenPlacement();
    if (!from)
        return RecordsText::tr("No straws of this batch are placed.");
    const Movement wanted = movement();
    if (wanted.doses < 1)
        return RecordsText::tr("Give the number of straws.");
    if (wanted.doses > from->straws)
        return RecordsText::tr("Only %1 are there.").arg(strawsText(from->straws));
    if (m_form == Form::Dispatch && wanted.consignee.isEmpty())
        return RecordsText::tr("Say to whom the straws go.");
    if (m_form == Form::Use && wanted.mare.isEmpty())
        return RecordsText::tr("Name the mare.");
    if (!wanted.country.isEmpty() && !isCountryCode(wanted.country))
        return RecordsText::tr("%1 is no ISO 3166 country code (two letters, such as DE).")
            .arg(wanted.country);
    return {};
}

void StrawsOutDialog::check()
{
    if (m_buttons)
        showProblem(m_problem, m_buttons,
                    m_busy ? RecordsText::tr("Keeping it in the journal...") : problem());
}

void StrawsOutDialog::accept()
{
    if (m_busy || !m_journal || !problem().isEmpty())
        return;
    m_busy = true;
    check();
    const Movement wanted = movement();
    whenReady(m_journal->run<JournalReply<Movement>>([wanted](Journal &journal) {
        JournalReply<Movement> reply;
        reply.value = wanted;
        reply.error = journal.recordMovement(reply.value);
        return reply;
    }),
              this, [this](const JournalReply<Movement> &reply) {
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
