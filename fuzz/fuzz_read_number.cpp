// Any bytes: the reading rule never crashes, and a written number reads back to itself.
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
    if (std::isfinite(value) && estrivo::writeNumber(estrivo::readNumber(once)) != once)
        std::abort();
    return 0;
}
