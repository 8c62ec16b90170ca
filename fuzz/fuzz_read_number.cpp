// Any bytes: the reading rule never crashes, and a written number reads back to itself.
// The one exception is the top of the range: a double at or near the largest one is written
// as 1.79769313486232E+308, fifteen digits rounded up past the largest double, and that text
// reads as beyond the range (shown "Overflow").
#include "sample_sheet.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const double value = estrivo::readNumber(text);
    if (std::isnan(value))
        std::abort();
    const std::string once = estrivo::writeNumber(value);
    if (!std::isfinite(value))
        return 0;
    const double again = estrivo::readNumber(once);
    if (std::isinf(again)) {
        if (once != "1.79769313486232E+308" && once != "-1.79769313486232E+308")
            std::abort();
    } else if (estrivo::writeNumber(again) != once) {
        std::abort();
    }
    return 0;
}
