// The post-thaw test dialog and the mapping of an analysis file's columns it reads.
#include "analysis_import.h"
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
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace estrivo {

using namespace frozen_form;

namespace {

constexpr double kMaxVelocity = 1000.0; // µm/s

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

// --- AnalysisMappingDialog

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

} // namespace estrivo
