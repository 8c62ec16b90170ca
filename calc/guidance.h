#pragma once

#include "sample_sheet.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace estrivo {

// Which limit set the volume of one dose in the calculation.
enum class DoseLimit {
    None,                    // no dose volume: the semen or extender volume overflowed
    MinExtensionRatio,       // the extender at the minimum ratio; also on a tie
    MaxExtendedConcentration // the extender raised to dilute to the maximum concentration
};

enum class WarningKind {
    LowConcentration,  // raw concentration low enough to call for centrifugation
    LowExtensionRatio, // less extender per ml of semen than cooled semen needs
    LargeDoseVolume,   // more volume per dose than a mare usefully takes
    MotilityAbove100,  // a share above the whole
    Negative           // an input below 0
};

// A caution from equine practice about the value in one field.
struct SheetWarning
{
    Field field;
    WarningKind kind;
    std::string text;

    friend bool operator==(const SheetWarning &, const SheetWarning &) = default;
};

// What the calculation made of the sheet's inputs, read from the texts alone.
struct SheetGuidance
{
    // The texts as Calculate leaves them for these inputs; right after a calculation they are
    // the sheet's own texts.
    std::array<std::string, kFieldCount> texts;
    DoseLimit limit = DoseLimit::None;
    bool limitsTie = false;        // the maximum concentration asks for the ratio's volume exactly
    bool semenRecomputed = false;  // SemenVol came from the current dose, concentration, motility
    bool semenStale = false;       // SemenVol holds a value kept from earlier inputs
    bool dosesRecomputed = false;  // NumDoses came from the current gel-free and semen volumes
    bool dosesStale = false;       // NumDoses holds a value kept from earlier inputs
    std::optional<Field> overflow; // the result past the range of a double
    std::optional<double> totalSperm;    // M in the collection: concentration × gel-free volume
    std::optional<double> motileSperm;   // M of those that are motile
    std::optional<double> semenLeftOver; // ml of semen after the whole doses
    std::vector<SheetWarning> warnings;  // in the order of the fields
};

// Explains the calculation the sheet's inputs give, without changing a field: it replays
// Calculate on a private copy of the texts.
SheetGuidance explainSheet(const SheetFields &sheet);

// The tooltip of a field: for a result box its full text and how it came about, for any field
// its warnings, one per line. Empty when there is nothing to say.
std::string toolTipFor(const SheetGuidance &guidance, Field field);

} // namespace estrivo
