#include "labels.h"
#include "records_text.h"

#include "csv_export.h"
#include "output_file.h"
#include "sheet_numbers.h"
#include "spooler.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>

#include <qrencode.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace estrivo {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kPointsPerInch = 72.0;
constexpr double kMarginMm = 1.5;
constexpr double kGapMm = 1.5;
constexpr double kLineSpacing = 1.15;   // line height over the font's point size
constexpr double kMaxFontPoints = 14.0; // large labels do not get poster type
constexpr double kMinFontPoints = 4.5;  // below this a label printer smears the text
constexpr double kReadablePoints = 6.5; // the code makes room for the texts at this size
// A module of the code no smaller than this: four dots of a 203 dpi printer, six of 300 dpi.
constexpr double kMinModuleMm = 0.5;
constexpr double kMaxCodeShare = 0.45; // of the label's width, or an upright one's height
constexpr double kUprightRatio = 1.2;  // taller than wide by this much: code above the text
constexpr double kFitMargin = 0.98;
constexpr int kPdfDotsPerInch = 1200; // as a printer's high resolution

// A number on a label, rounded for the eye; a text without one stays as kept.
QString labelNumber(const QString &text)
{
    const std::optional<double> value = numberIn(text);
    if (!value)
        return text;
    QString shown = QString::number(*value, 'f', 2);
    while (shown.endsWith(u'0'))
        shown.chop(1);
    if (shown.endsWith(u'.'))
        shown.chop(1);
    return shown;
}

} // namespace

QSizeF defaultLabelSize()
{
    return {kDefaultLabelWidthMm, kDefaultLabelHeightMm};
}

std::optional<QSizeF> parseLabelSize(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\d{1,3}(?:\\.\\d{1,2})?)[xX](\\d{1,3}(?:\\.\\d{1,2})?)(?:mm)?$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QSizeF size(match.captured(1).toDouble(), match.captured(2).toDouble());
    const auto inRange = [](double side) {
        return side >= kMinLabelSideMm && side <= kMaxLabelSideMm;
    };
    if (!inRange(size.width()) || !inRange(size.height()))
        return std::nullopt;
    return size;
}

QString labelSizeText(QSizeF sizeMm)
{
    return QStringLiteral("%1x%2mm").arg(sizeMm.width()).arg(sizeMm.height());
}

qint64 wholeDoses(const SheetRecord &sheet)
{
    // Beyond this the sheet's figure is no count of doses anyone could label.
    constexpr double kMostDoses = 1e15;
    const std::optional<double> doses = numberIn(sheet.text(Field::NumDoses));
    if (!doses || !(*doses >= 1.0) || *doses >= kMostDoses)
        return 0;
    return qint64(std::floor(*doses));
}

QString labelDateText(const QDate &date, StationProfile::LabelDate style)
{
    // Fixed forms, whatever the desktop's language: they are the marking, not a date to read.
    return date.toString(style == StationProfile::LabelDate::DdMmYy ? QStringLiteral("dd.MM.yy")
                                                                    : QStringLiteral("yyMMdd"));
}

namespace {

// The species as a label names it: "Equine" for the register's "equine".
QString speciesText(const QString &species)
{
    const QString kept = species.trimmed();
    if (kept.compare(QLatin1StringView("equine"), Qt::CaseInsensitive) == 0)
        return RecordsText::tr("Equine");
    return kept.isEmpty() ? kept : kept.front().toUpper() + kept.mid(1);
}

} // namespace

DoseLabel doseLabel(const SheetRecord &sheet, int dose, const StationProfile &station,
                    const std::optional<Stallion> &donor)
{
    DoseLabel label;
    label.stallion = donor && !donor->name.isEmpty() ? donor->name : sheet.stallion;
    if (donor) {
        const QString species = speciesText(donor->species);
        const QString ueln = normalizedUeln(donor->ueln);
        if (!ueln.isEmpty()) {
            label.donor = species.isEmpty() ? RecordsText::tr("UELN %1").arg(ueln)
                                            : RecordsText::tr("%1, UELN %2").arg(species, ueln);
        } else {
            label.donor = species;
        }
    }
    bool fromSave = true;
    const QDateTime collected = collectionTime(sheet, &fromSave);
    const QString day = labelDateText(collected.toLocalTime().date(), station.labelDate);
    if (!collected.isValid())
        label.collectionDate = RecordsText::tr("No collection date");
    else if (fromSave)
        label.collectionDate = RecordsText::tr("Saved %1, no collection date").arg(day);
    else
        label.collectionDate = RecordsText::tr("Collected %1").arg(day);
    if (!station.approval.isEmpty())
        label.approval = RecordsText::tr("Approval %1").arg(station.approval);
    const qint64 doses = wholeDoses(sheet);
    label.dose = dose <= doses ? RecordsText::tr("Dose %1 of %2").arg(dose).arg(doses)
                               : RecordsText::tr("Dose %1").arg(dose);
    label.spermPerDose
        = RecordsText::tr("%1 M sperm/dose").arg(labelNumber(sheet.text(Field::TotalDose)));
    label.volume
        = RecordsText::tr("%1 ml (%2 semen + %3 ext.)")
              .arg(labelNumber(sheet.text(Field::VPD)), labelNumber(sheet.text(Field::SemenVol)),
                   labelNumber(sheet.text(Field::ExtVol)));
    label.workstation = sheet.workstation;
    label.code = doseCode(sheet.id, dose, station.approval);
    return label;
}

QStringList missingMarking(const StationProfile &station, const std::optional<Stallion> &donor,
                           const SheetRecord &sheet)
{
    QStringList missing;
    if (station.marking == StationProfile::Marking::None)
        return missing;
    bool fromSave = true;
    if (!collectionTime(sheet, &fromSave).isValid() || fromSave) {
        missing << RecordsText::tr("the collection date (the sheet holds none that can be read, "
                                   "only the time it was saved)");
    }
    const QString name = sheet.stallion.trimmed();
    if (!donor) {
        missing << (name.isEmpty()
                        ? RecordsText::tr("the donor's species and UELN (the sheet names no "
                                          "stallion)")
                        : RecordsText::tr("the donor's species and UELN (%1 is not in the "
                                          "stallion register: register him with his UELN)")
                              .arg(name));
    } else {
        if (donor->species.trimmed().isEmpty())
            missing << RecordsText::tr("the donor's species (give %1 his species in the "
                                       "register)")
                           .arg(donor->name);
        if (donor->ueln.trimmed().isEmpty()) {
            missing << RecordsText::tr("the donor's UELN (register %1 with his UELN)")
                           .arg(donor->name);
        } else if (const QString problem = uelnProblem(donor->ueln); !problem.isEmpty()) {
            missing << RecordsText::tr("the donor's UELN (%1's \"%2\" is none: %3)")
                           .arg(donor->name, donor->ueln, problem);
        }
    }
    if (station.approval.trimmed().isEmpty()) {
        missing << RecordsText::tr("the station's approval number with its country code (set "
                                   "it in the station profile)");
    } else if (const QString problem = approvalProblem(station.approval); !problem.isEmpty()) {
        missing << RecordsText::tr("the station's approval number (\"%1\" is none: %2)")
                       .arg(station.approval, problem);
    }
    return missing;
}

QString missingMarkingText(const QStringList &missing)
{
    return RecordsText::tr("The EU marking is in force and these labels would lack %1.")
        .arg(missing.join(RecordsText::tr("; ")));
}

std::optional<QrCode> QrCode::encode(const QByteArray &data)
{
    // Case kept, the best mode for each part chosen by the library; version as small as fits.
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> encoded(
        QRcode_encodeString(data.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!encoded || data.isEmpty())
        return std::nullopt;
    QrCode code;
    code.m_size = encoded->width;
    const qsizetype modules = qsizetype(encoded->width) * encoded->width;
    code.m_modules.resize(modules);
    for (qsizetype i = 0; i < modules; ++i)
        code.m_modules[i] = char(encoded->data[i] & 1); // the low bit is the colour
    return code;
}

bool QrCode::isDark(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_size || y >= m_size)
        return false;
    return m_modules.at(qsizetype(y) * m_size + x) != 0;
}

namespace {

// The square a code takes at `topLeft`: whole device pixels a module, at most `side` wide.
QRectF codeSquare(const QrCode &code, QPointF topLeft, double side)
{
    const int span = code.size() + 2 * kQuietZoneModules;
    const double module = std::max(1.0, std::floor(side / span));
    const QPointF origin(std::round(topLeft.x()), std::round(topLeft.y()));
    return {origin, QSizeF(module * span, module * span)};
}

struct LabelLine
{
    QString text;
    bool bold = false;
    bool elide = false;   // a long name is cut rather than shrinking every line
    bool marking = false; // the legal marking: never cut, and it sets the size too
};

// Where the code and the texts of one label go, and in what size of type.
struct LabelLayout
{
    QList<LabelLine> lines;
    std::optional<QrCode> code;
    QRectF codeArea; // the square asked for: the code takes whole pixels a module within it
    QRectF textArea;
    bool upright = false;
    double points = kMinFontPoints;
    bool markingFits = true; // every line of the marking fits the width at `points`
};

QFont labelFont(bool bold, double points)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(bold);
    font.setPointSizeF(points);
    return font;
}

LabelLayout layoutLabel(QPaintDevice *device, const QRectF &page, const DoseLabel &label)
{
    const double unitsPerMm = device->logicalDpiY() / kMmPerInch;
    const double unitsPerPoint = device->logicalDpiY() / kPointsPerInch;
    const QRectF inner = page.adjusted(kMarginMm * unitsPerMm, kMarginMm * unitsPerMm,
                                       -kMarginMm * unitsPerMm, -kMarginMm * unitsPerMm);
    LabelLayout layout;
    for (const LabelLine &line : {
             LabelLine{label.stallion, true, true, false},
             LabelLine{label.donor, false, false, true},
             LabelLine{label.collectionDate, false, false, true},
             LabelLine{label.approval, false, false, true},
             LabelLine{label.dose, true, false, false},
             LabelLine{label.spermPerDose, false, false, false},
             LabelLine{label.volume, false, false, false},
             LabelLine{label.workstation, false, true, false},
         }) {
        if (!line.text.isEmpty())
            layout.lines << line;
    }
    const int lineCount = int(std::max<qsizetype>(1, layout.lines.size()));
    const auto widest = [&](double points, bool markingOnly) {
        double most = 0.0;
        for (const LabelLine &line : std::as_const(layout.lines)) {
            if (line.elide || (markingOnly && !line.marking))
                continue;
            most = std::max(
                most,
                QFontMetricsF(labelFont(line.bold, points), device).horizontalAdvance(line.text));
        }
        return most;
    };

    // Side by side on a wide label, the code above the texts on an upright one. Beside the
    // texts the code gives up room down to a size any reader still takes, so the marking keeps
    // readable type on a narrow label.
    layout.upright = page.height() > page.width() * kUprightRatio;
    layout.textArea = inner;
    layout.code = QrCode::encode(label.code);
    if (layout.code) {
        double side = layout.upright ? std::min(inner.width(), inner.height() * kMaxCodeShare)
                                     : std::min(inner.height(), page.width() * kMaxCodeShare);
        if (!layout.upright) {
            const double least = std::min(side, (layout.code->size() + 2 * kQuietZoneModules)
                                                    * kMinModuleMm * unitsPerMm);
            const double room = inner.width() - kGapMm * unitsPerMm
                                - widest(kReadablePoints, false) * kFitMargin;
            side = std::clamp(room, least, side);
        }
        const QPointF corner = layout.upright
                                   ? QPointF(inner.center().x() - side / 2, inner.top())
                                   : QPointF(inner.right() - side, inner.center().y() - side / 2);
        layout.codeArea = QRectF(corner, QSizeF(side, side));
        const QRectF square = codeSquare(*layout.code, corner, side);
        if (layout.upright)
            layout.textArea.setTop(square.bottom() + kGapMm * unitsPerMm);
        else
            layout.textArea.setRight(square.left() - kGapMm * unitsPerMm);
    }

    // One size for every line: as large as the height allows and the widest fixed line fits.
    const QRectF &area = layout.textArea;
    double points
        = std::min(kMaxFontPoints, area.height() / lineCount / kLineSpacing / unitsPerPoint);
    // Type does not scale quite in proportion (hinting): shrink until it really fits.
    for (double width = widest(points, false); width > area.width() && points > kMinFontPoints;
         width = widest(points, false))
        points = std::max(kMinFontPoints, points * area.width() / width * kFitMargin);
    layout.points = points;
    layout.markingFits = widest(points, true) <= area.width();
    return layout;
}

} // namespace

QRectF paintQrCode(QPainter &painter, const QrCode &code, QPointF topLeft, double side)
{
    const QRectF square = codeSquare(code, topLeft, side);
    const double module = square.width() / (code.size() + 2 * kQuietZoneModules);
    const QPointF origin = square.topLeft();
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(square, Qt::white);
    // Each run of dark modules in a row is one rectangle: fewer, larger shapes in the PDF.
    for (int y = 0; y < code.size(); ++y) {
        for (int x = 0; x < code.size();) {
            if (!code.isDark(x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (code.isDark(x, y))
                ++x;
            painter.fillRect(QRectF(origin.x() + (kQuietZoneModules + start) * module,
                                    origin.y() + (kQuietZoneModules + y) * module,
                                    (x - start) * module, module),
                             Qt::black);
        }
    }
    painter.restore();
    return square;
}

void paintLabel(QPainter &painter, const QRectF &page, const DoseLabel &label)
{
    const LabelLayout layout = layoutLabel(painter.device(), page, label);
    painter.save();
    painter.fillRect(page, Qt::white);
    if (layout.code)
        paintQrCode(painter, *layout.code, layout.codeArea.topLeft(), layout.codeArea.width());

    painter.setPen(Qt::black);
    const QRectF &area = layout.textArea;
    const double unitsPerPoint = painter.device()->logicalDpiY() / kPointsPerInch;
    const double lineHeight = layout.points * kLineSpacing * unitsPerPoint;
    const auto lineCount = double(std::max<qsizetype>(1, layout.lines.size()));
    double y
        = layout.upright ? area.top() : area.top() + (area.height() - lineHeight * lineCount) / 2;
    // The marking is not cut for a hair: what the resolution of the device adds to a line
    // that fitted where it was measured runs into the gap before the code.
    const double unitsPerMm = painter.device()->logicalDpiY() / kMmPerInch;
    const double markingWidth = area.width() + kGapMm * unitsPerMm * kFitMargin;
    for (const LabelLine &line : layout.lines) {
        const QFont font = labelFont(line.bold, layout.points);
        painter.setFont(font);
        const QFontMetricsF metrics(font, painter.device());
        const bool whole = line.marking && metrics.horizontalAdvance(line.text) <= markingWidth;
        const QString shown
            = whole ? line.text : metrics.elidedText(line.text, Qt::ElideRight, area.width());
        painter.drawText(QRectF(area.left(), y, whole ? markingWidth : area.width(), lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
        y += lineHeight;
    }
    painter.restore();
}

bool markingFits(QSizeF sizeMm, const DoseLabel &label)
{
    // Measured as the PDF writer lays it out: a device of its resolution, no pixels needed.
    QImage device(1, 1, QImage::Format_Mono);
    const int dotsPerMetre = qRound(kPdfDotsPerInch / kMmPerInch * 1000);
    device.setDotsPerMeterX(dotsPerMetre);
    device.setDotsPerMeterY(dotsPerMetre);
    const double unitsPerMm = kPdfDotsPerInch / kMmPerInch;
    const QRectF page(QPointF(0, 0), sizeMm * unitsPerMm);
    return layoutLabel(&device, page, label).markingFits;
}

namespace {

// Lays the run out on a paged device, a printer or a PDF writer, one label a page.
PrintOutcome paintLabels(QPagedPaintDevice &device, const SheetRecord &sheet, const LabelJob &job)
{
    const QPageSize size(job.sizeMm, QPageSize::Millimeter, labelSizeText(job.sizeMm),
                         QPageSize::ExactMatch);
    // Should the size be kept upright, the layout turns it back to the label's shape.
    const QSizeF defined = size.size(QPageSize::Millimeter);
    const bool turned
        = (defined.width() > defined.height()) != (job.sizeMm.width() > job.sizeMm.height());
    const QPageLayout::Orientation orientation
        = turned ? QPageLayout::Landscape : QPageLayout::Portrait;
    if (!device.setPageLayout(
            QPageLayout(size, orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter)))
        return {PrintError::InvalidPrinter,
                RecordsText::tr("The printer does not take labels of %1.")
                    .arg(labelSizeText(job.sizeMm))};

    QPainter painter;
    if (!painter.begin(&device))
        return {PrintError::DocumentNotOpened,
                RecordsText::tr("The print document could not be started.")};
    const QRectF page = device.pageLayout().fullRectPixels(device.logicalDpiX());
    for (int dose = 1; dose <= job.count; ++dose) {
        if (dose > 1 && !device.newPage()) {
            painter.end();
            return {PrintError::DocumentNotOpened,
                    RecordsText::tr("A new label page could not be started.")};
        }
        paintLabel(painter, page, doseLabel(sheet, dose, job.station, job.donor));
    }
    if (!painter.end())
        return {PrintError::DocumentNotOpened,
                RecordsText::tr("The print document could not be finished.")};
    return {};
}

// The labels as a PDF file, written the way the exports are: never through a link, into a
// device or a FIFO, or over the journal or another database.
PrintOutcome writeLabelsPdf(const SheetRecord &sheet, const LabelJob &job)
{
    const auto failed = [&job](const OutputProblem &problem) {
        return PrintOutcome{PrintError::DocumentNotOpened,
                            exportOutcomeText(exportOutcome(problem, 0, job.pdfFile))};
    };
    OutputFile file(job.pdfFile, job.journal);
    if (!file.begin())
        return failed(file.problem());
    {
        QPdfWriter writer(&file);
        writer.setResolution(kPdfDotsPerInch);
        writer.setTitle(RecordsText::tr("Dose labels, sheet %1").arg(sheet.id));
        writer.setCreator(QStringLiteral("Estrivo Records"));
        if (const PrintOutcome painted = paintLabels(writer, sheet, job); !painted.ok())
            return painted;
    }
    // The PDF writer does not report a failed write: the file knows.
    if (!file.problem().ok() || !file.commit())
        return failed(file.problem());
    return {};
}

} // namespace

PrintOutcome printLabels(const SheetRecord &sheet, const LabelJob &job)
{
    if (job.count < 1 || job.count > kMaxLabels)
        return {PrintError::DocumentNotOpened,
                RecordsText::tr("The number of labels must be 1 to %1.").arg(kMaxLabels)};
    if (const QStringList missing = missingMarking(job.station, job.donor, sheet);
        !missing.isEmpty())
        return {PrintError::DocumentNotOpened, missingMarkingText(missing)};
    if (job.station.marking != StationProfile::Marking::None
        && !markingFits(job.sizeMm, doseLabel(sheet, job.count, job.station, job.donor)))
        return {PrintError::DocumentNotOpened,
                RecordsText::tr("The marking does not fit a label of %1 in readable type; "
                                "choose a larger label.")
                    .arg(labelSizeText(job.sizeMm))};
    if (!job.pdfFile.isEmpty())
        return writeLabelsPdf(sheet, job);
    const QString printerName
        = job.printerName.isEmpty() ? QPrinterInfo::defaultPrinterName() : job.printerName;
    const QStringList installed = QPrinterInfo::availablePrinterNames();
    if (installed.isEmpty())
        return spooler::noPrinterOutcome();
    if (printerName.isEmpty())
        return {PrintError::NoPrinter, RecordsText::tr("No default printer is set.")};
    if (!installed.contains(printerName))
        return {PrintError::InvalidPrinter,
                RecordsText::tr("The printer \"%1\" is not available.").arg(printerName)};
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::NativeFormat);
    printer.setPrinterName(printerName);
    if (PrintOutcome queue = spooler::checkQueue(printerName); !queue.ok())
        return queue;
    printer.setDocName(RecordsText::tr("Dose labels, sheet %1").arg(sheet.id));
    printer.setFullPage(true);
    if (const PrintOutcome painted = paintLabels(printer, sheet, job); !painted.ok())
        return painted;
    return spooler::lastJobOutcome(printerName);
}

} // namespace estrivo
