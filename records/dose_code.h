// What a dose label's QR code holds, written and read back, so a scanned label finds its dose.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace estrivo {

// The identity a label's code carries: the station that made the dose, its collection (the
// sheet's id in the journal) and its number within the collection.
struct ScannedDose
{
    QString approval; // as printed, "DE-EQ-0042"; empty for a station without one or an old
                      // label. Compare it with the station's without regard to case: a
                      // scanner with Caps Lock on types it the other way round.
    qint64 sheetId = 0;
    int dose = 0;

    friend bool operator==(const ScannedDose &, const ScannedDose &) = default;
};

// The longest text readDoseCode looks at: "ESTRIVO:", an approval of 30 characters, a sheet
// id of 19 digits and a dose of 10, with room for a scanner's blanks and line ends.
inline constexpr qsizetype kMaxDoseCodeLength = 100;

// What the QR code on dose `dose` of sheet `sheetId` holds:
// "ESTRIVO:<approval>:<sheetId>:<dose>", "ESTRIVO::12:3" for a station without an approval.
QByteArray doseCode(qint64 sheetId, int dose, const QString &approval = {});

// What a keyboard-wedge scanner typed into a field, as the dose it names; none for anything
// that is not a dose code. Blanks, tabs, CR and LF around it are left aside, and "ESTRIVO"
// is read in any case; the labels printed before the approval number was on them
// ("ESTRIVO:<sheetId>:<dose>") are read as well, with an empty approval. Refused: longer than
// kMaxDoseCodeLength, any control character or blank inside, a part too many or too few, an
// approval that is not a country code, a hyphen and letters, digits, '-', '.' or '/' (30 in
// all at most), numbers with anything but the digits 0-9, a leading zero, zero, or past the
// largest sheet id or dose.
std::optional<ScannedDose> readDoseCode(const QString &typed);

} // namespace estrivo
