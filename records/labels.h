#pragma once

#include "dose_code.h"
#include "journal_types.h"
#include "register_types.h"
#include "snapshot_print.h"

#include <QByteArray>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

class QPainter;

namespace estrivo {

// Label sizes are in millimetres; by default the continuous label of desktop label printers.
inline constexpr double kDefaultLabelWidthMm = 62.0;
inline constexpr double kDefaultLabelHeightMm = 29.0;
inline constexpr double kMinLabelSideMm = 15.0;
inline constexpr double kMaxLabelSideMm = 300.0;
inline constexpr int kMaxLabels = 999;           // in one run
inline constexpr int kLabelsWithoutAsking = 100; // more are printed only when asked for

QSizeF defaultLabelSize();

// "62x29mm" (or "62x29", "101.6x152.4mm") as width and height in mm; none when the text is
// not of that form or a side is outside kMinLabelSideMm..kMaxLabelSideMm.
std::optional<QSizeF> parseLabelSize(const QString &text);
QString labelSizeText(QSizeF sizeMm);

// The sheet's Total Doses Possible in whole doses; 0 when it gives no number of them, or none,
// or a number past any collection (the calculator's overflow range).
qint64 wholeDoses(const SheetRecord &sheet);

// A collection date as the station marks it: "261207" (yymmdd) or "07.12.26" (dd.mm.yy).
QString labelDateText(const QDate &date, StationProfile::LabelDate style);

// The texts of one dose label; an empty one is left off the label.
struct DoseLabel
{
    QString stallion;       // the registered name when the donor is registered
    QString donor;          // "Equine, UELN 276098102345678"; empty for an unregistered one
    QString collectionDate; // "Collected 261207"; "Saved 261207, no collection date"
    QString approval;       // "Approval DE-EQ-0042"; empty for a station without one
    QString dose;           // "Dose 3 of 12"; "Dose 13" past the collection's 12 doses
    QString spermPerDose;   // "500 M sperm/dose"
    QString volume;         // "20 ml (5 semen + 15 ext.)"
    QString workstation;
    QByteArray code; // for the QR code: doseCode() with the station's approval
};

// The label of dose `dose` of the collection: numbered against its whole doses, whatever
// number of labels is printed; a dose past them, or of a sheet that gives no number of doses,
// says its number alone. It carries what is known of the marking: the collection date in the
// station's style, the donor's species and UELN when he is registered, the station's approval.
DoseLabel doseLabel(const SheetRecord &sheet, int dose, const StationProfile &station = {},
                    const std::optional<Stallion> &donor = std::nullopt);

// What a label of `sheet` lacks of the marking the station has in force, one phrase an element
// ("the donor's UELN (register Zeus with his UELN)"); empty when nothing is lacking, and
// always without a marking. With the EU marking (Delegated Regulation (EU) 2020/686 Art. 10)
// a label must carry the collection date, the species and the donor's identity (his UELN) and
// the approval number of the station with its country. A sheet whose date cannot be read
// lacks the collection date: the time it was saved may be another day, and a label must not
// claim it as the collection's.
QStringList missingMarking(const StationProfile &station, const std::optional<Stallion> &donor,
                           const SheetRecord &sheet);
// The sentence refusing labels that lack `missing`.
QString missingMarkingText(const QStringList &missing);

// A QR code's modules, from libqrencode; true is a dark module.
class QrCode
{
public:
    static std::optional<QrCode> encode(const QByteArray &data);

    int size() const { return m_size; } // modules a side, without the quiet zone
    bool isDark(int x, int y) const;

private:
    int m_size = 0;
    QByteArray m_modules; // row by row, one byte a module
};

// The light margin a reader needs around the code, in modules.
inline constexpr int kQuietZoneModules = 4;

// Draws a QR code with its quiet zone into the square at `topLeft`, at most `side` device
// units wide, with whole device pixels a module so every edge is sharp; returns the square
// it used.
QRectF paintQrCode(QPainter &painter, const QrCode &code, QPointF topLeft, double side);

// Draws one label into `page` (device units of the painter, whose logical dpi gives the
// physical sizes): the texts on the left, the code on the right.
void paintLabel(QPainter &painter, const QRectF &page, const DoseLabel &label);

// Whether the lines of the marking on `label` (donor, collection date, approval) fit a label of
// `sizeMm` whole, in type no smaller than a label printer prints legibly.
bool markingFits(QSizeF sizeMm, const DoseLabel &label);

// Where a run of labels goes: a PDF file when one is named, else the printer (the system's
// default printer when none is named).
struct LabelJob
{
    QString printerName;
    QString pdfFile; // written as an export's file is (OutputFile)
    QString journal; // the journal the sheet came from: a PDF never goes over it
    QSizeF sizeMm = defaultLabelSize();
    int count = 0;
    StationProfile station;        // the journal's; the default one marks nothing
    std::optional<Stallion> donor; // the sheet's stallion, when registered
};

// Prints `job.count` labels of `sheet`, one a page, doses 1 to count. Refused, with nothing
// printed or written, when the labels would lack the station's marking (missingMarking), or
// it would not fit the label whole (markingFits).
PrintOutcome printLabels(const SheetRecord &sheet, const LabelJob &job);

} // namespace estrivo
