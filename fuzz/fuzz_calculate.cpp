// Fuzzed field texts: Calculate never crashes, writes only sound texts, and is stable.
#include "extension_calc.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool soundResult(const std::string &text)
{
    if (text == "--.-" || text == "--" || text == estrivo::kOverflowText)
        return true;
    if (text == "1.79769313486232E+308" || text == "-1.79769313486232E+308")
        return true; // the largest doubles, rounded to fifteen digits, past the range
    return !text.empty() && estrivo::writeNumber(estrivo::readNumber(text)) == text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Fields separated by the unit separator byte, in the order of the Field enum.
    std::string_view rest(reinterpret_cast<const char *>(data), size);
    estrivo::SampleSheet sheet;
    for (estrivo::Field field : estrivo::kAllFields) {
        if (rest.empty())
            break;
        const std::size_t cut = rest.find('\x1f');
        sheet.setText(field, rest.substr(0, cut));
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    const estrivo::SampleSheet before = sheet;

    estrivo::Calculate(sheet);
    const estrivo::SampleSheet first = sheet;
    estrivo::Calculate(sheet);

    for (estrivo::Field field : estrivo::kAllFields) {
        const bool written = sheet.text(field) != before.text(field);
        if (estrivo::isInputField(field) && written)
            std::abort(); // inputs are never written
        if (written && !soundResult(sheet.text(field)))
            std::abort();
        if (sheet.text(field) != first.text(field))
            std::abort(); // a second run changes nothing
    }
    return 0;
}
