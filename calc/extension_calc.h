#pragma once

#include "sample_sheet.h"

namespace estrivo {

// Recomputes SemenVol, ExtVol, VPD and NumDoses from the texts of the sheet's fields.
// Every step reads its operands afresh from the texts, so each intermediate result carries
// the 15-digit rounding of the writing rule into the next step.
void Calculate(SheetFields &sheet);

} // namespace estrivo
