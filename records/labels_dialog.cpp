#include "labels_dialog.h"

#include "journal_service.h"
#include "labels.h"
#include "sheet_numbers.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace estrivo {

namespace {

constexpr int kPdfEntry = -1; // the target list's data for "PDF file"

QDoubleSpinBox *sideBox(double value, const QString &name)
{
    auto *box = new QDoubleSpinBox;
    box->setObjectName(name);
    box->setRange(kMinLabelSideMm, kMaxLabelSideMm);
    box->setDecimals(1);
    box->setSuffix(QStringLiteral(" mm"));
    box->setValue(value);
    return box;
}

} // namespace

LabelsDialog::LabelsDialog(SheetRecord sheet, QString journal, QWidget *parent,
                           JournalService *service)
    : QDialog(parent)
    , m_sheet(std::move(sheet))
    , m_journal(std::move(journal))
    , m_service(service)
{
    setObjectName(QStringLiteral("labelsDialog"));
    setWindowTitle(tr("Print Dose Labels"));
    // One .arg() for all three: a name holding "%3" must come out as typed.
    bool fromSave = true;
    const QDateTime when = collectionTime(m_sheet, &fromSave);
    const QString day = QLocale().toString(when.toLocalTime().date(), QLocale::ShortFormat);
    auto *what
        = new QLabel((fromSave ? tr("%1, saved %2, record %3") : tr("%1, collected %2, record %3"))
                         .arg(m_sheet.stallion, day, QString::number(m_sheet.id)));
    what->setObjectName(QStringLiteral("sheetHeading"));
    what->setTextFormat(Qt::PlainText);

    m_count = new QSpinBox;
    m_count->setObjectName(QStringLiteral("count"));
    m_count->setRange(1, kMaxLabels);
    m_count->setValue(int(std::clamp<qint64>(wholeDoses(m_sheet), 1, kMaxLabels)));
    m_width = sideBox(kDefaultLabelWidthMm, QStringLiteral("labelWidth"));
    m_height = sideBox(kDefaultLabelHeightMm, QStringLiteral("labelHeight"));
    auto *size = new QHBoxLayout;
    size->addWidget(m_width);
    size->addWidget(new QLabel(QStringLiteral("x")));
    size->addWidget(m_height);

    m_target = new QComboBox;
    m_target->setObjectName(QStringLiteral("target"));
    const QString defaultPrinter = QPrinterInfo::defaultPrinterName();
    for (const QString &name : QPrinterInfo::availablePrinterNames())
        m_target->addItem(name, name);
    m_target->addItem(tr("PDF file"), kPdfEntry);
    const int preferred = m_target->findData(defaultPrinter);
    m_target->setCurrentIndex(preferred >= 0 ? preferred : 0);
    m_pdfFile = new QLineEdit(QDir::home().filePath(tr("labels-%1.pdf").arg(m_sheet.id)));
    m_pdfFile->setObjectName(QStringLiteral("pdfFile"));
    m_browse = new QPushButton(tr("&Browse..."));
    connect(m_browse, &QPushButton::clicked, this, [this] {
        auto *dialog = new QFileDialog(this, tr("Labels PDF"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setNameFilter(tr("PDF files (*.pdf)"));
        dialog->setDefaultSuffix(QStringLiteral("pdf"));
        dialog->selectFile(m_pdfFile->text());
        connect(dialog, &QFileDialog::fileSelected, m_pdfFile, &QLineEdit::setText);
        dialog->open();
    });
    auto *file = new QHBoxLayout;
    file->addWidget(m_pdfFile, 1);
    file->addWidget(m_browse);
    connect(m_target, &QComboBox::currentIndexChanged, this, &LabelsDialog::targetChanged);

    auto *form = new QFormLayout;
    // A row that holds a layout gets no buddy from the form, and its label would show the
    // "&" instead of taking Alt with the letter to the box.
    auto *sizeLabel = new QLabel(tr("Label &size:"));
    sizeLabel->setObjectName(QStringLiteral("labelSizeLabel"));
    sizeLabel->setBuddy(m_width);
    auto *fileLabel = new QLabel(tr("PDF &file:"));
    fileLabel->setObjectName(QStringLiteral("pdfFileLabel"));
    fileLabel->setBuddy(m_pdfFile);
    form->addRow(tr("&Labels:"), m_count);
    form->addRow(sizeLabel, size);
    form->addRow(tr("&Print to:"), m_target);
    form->addRow(fileLabel, file);

    // The station's marking, and why labels without it are refused, before Print is pressed.
    m_marking = new QLabel;
    m_marking->setObjectName(QStringLiteral("marking"));
    m_marking->setWordWrap(true);
    m_marking->setTextFormat(Qt::PlainText);
    m_marking->hide();

    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    m_status->setTextFormat(Qt::PlainText);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    m_print = buttons->addButton(tr("&Print"), QDialogButtonBox::AcceptRole);
    m_print->setObjectName(QStringLiteral("print"));
    m_print->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &LabelsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LabelsDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(what);
    layout->addLayout(form);
    layout->addWidget(m_marking);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    targetChanged();

    if (m_service) {
        m_markingKnown = false;
        // Read again when the journal is back, or another program changed the profile or
        // registered the stallion meanwhile.
        connect(m_service, &JournalService::changed, this, &LabelsDialog::readMarking);
        connect(m_service, &JournalService::availabilityChanged, this,
                [this](const JournalError &error) {
                    if (error.ok())
                        readMarking();
                });
        readMarking();
    }
}

void LabelsDialog::readMarking()
{
    if (!m_service)
        return;
    if (m_reading) {
        m_readAgain = true; // what is on its way may predate the change
        return;
    }
    m_reading = true;
    if (!m_markingKnown) {
        m_marking->setText(tr("Reading the station's marking..."));
        m_marking->show();
    }
    const QString name = m_sheet.stallion.trimmed();
    QFuture<Marking> read = m_service->run<Marking>([name](Journal &journal) {
        Marking marking;
        const std::optional<StationProfile> station = journal.stationProfile();
        if (!station) {
            marking.error = journal.lastError();
            return marking;
        }
        marking.station = *station;
        if (name.isEmpty())
            return marking;
        marking.donor = journal.stallionNamed(name);
        // No stallion of that name is an answer too: he is not registered.
        if (!marking.donor && journal.lastError().kind != JournalError::Kind::NotFound)
            marking.error = journal.lastError();
        return marking;
    });
    whenReady(read, this, [this](const Marking &marking) { showMarking(marking); });
}

void LabelsDialog::showMarking(const Marking &marking)
{
    m_reading = false;
    if (std::exchange(m_readAgain, false)) {
        readMarking();
        return;
    }
    m_markingError = marking.error;
    m_markingKnown = true;
    if (marking.error.ok()) {
        m_station = marking.station;
        m_donor = marking.donor;
    }
    const QStringList missing = missingMarking(m_station, m_donor, m_sheet);
    if (!marking.error.ok()) {
        m_marking->setText(
            tr("The station's marking could not be read: %1").arg(marking.error.reason));
    } else if (!missing.isEmpty()) {
        m_marking->setText(missingMarkingText(missing));
    } else {
        m_marking->clear();
    }
    m_marking->setVisible(!m_marking->text().isEmpty());
    m_print->setEnabled(marking.error.ok() && missing.isEmpty());
    emit markingRead();
    if (std::exchange(m_printWhenRead, false)) {
        m_status->clear(); // printed now, or the refusal above says why not
        if (m_print->isEnabled())
            accept();
    }
}

void LabelsDialog::targetChanged()
{
    const bool toFile = m_target->currentData().toInt() == kPdfEntry
                        && m_target->currentData().typeId() == QMetaType::Int;
    m_pdfFile->setEnabled(toFile);
    m_browse->setEnabled(toFile);
}

void LabelsDialog::accept()
{
    if (!m_markingKnown) {
        m_printWhenRead = true;
        m_status->setText(tr("Printing once the station's marking is read..."));
        return;
    }
    if (!m_print->isEnabled()) // the refusal stands beside the button
        return;
    const int count = m_count->value();
    if (count <= kLabelsWithoutAsking) {
        print();
        return;
    }
    // A figure mistyped on the sheet, or into the box, would run a roll of labels out.
    const qint64 doses = wholeDoses(m_sheet);
    auto *confirm = new QMessageBox(QMessageBox::Question, tr("Print Dose Labels"),
                                    tr("Print %1 labels?").arg(count),
                                    QMessageBox::Yes | QMessageBox::No, this);
    confirm->setObjectName(QStringLiteral("confirmManyLabels"));
    confirm->setAttribute(Qt::WA_DeleteOnClose);
    confirm->setInformativeText(doses > 0
                                    ? tr("The collection holds %1 whole doses.").arg(doses)
                                    : tr("The sheet gives no whole number of doses (\"%1\").")
                                          .arg(m_sheet.text(Field::NumDoses)));
    confirm->button(QMessageBox::Yes)->setText(tr("&Print %1 Labels").arg(count));
    confirm->setDefaultButton(QMessageBox::No);
    connect(confirm, &QMessageBox::finished, this, [this](int answer) {
        if (answer == QMessageBox::Yes)
            print();
    });
    confirm->open();
}

void LabelsDialog::print()
{
    LabelJob job;
    job.journal = m_journal;
    job.station = m_station;
    job.donor = m_donor;
    job.count = m_count->value();
    job.sizeMm = QSizeF(m_width->value(), m_height->value());
    const bool toFile = m_target->currentData().typeId() == QMetaType::Int;
    if (toFile)
        job.pdfFile = m_pdfFile->text().trimmed();
    else
        job.printerName = m_target->currentData().toString();
    if (toFile && job.pdfFile.isEmpty()) {
        m_status->setText(tr("Give the PDF file's name."));
        return;
    }
    const PrintOutcome outcome = printLabels(m_sheet, job);
    if (!outcome.ok()) {
        m_status->setText(tr("Not printed: %1").arg(outcome.detail));
        return;
    }
    emit printed(job.count, toFile ? job.pdfFile : job.printerName);
    QDialog::accept();
}

} // namespace estrivo
