#include "sample_sheet.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace estrivo {

namespace {

struct FieldInfo
{
    std::string_view name;
    std::string_view initial;
    bool input;
};

constexpr std::array<FieldInfo, kFieldCount> kFieldInfo{{
    {"Con", "---.-", true},
    {"GFV", "---.-", true},
    {"Motility", "50", true},
    {"TotalDose", "500", true},
    {"MinExt", "5", true},
    {"MaxCon", "30", true},
    {"SemenVol", "--.-", false},
    {"ExtVol", "--.-", false},
    {"VPD", "--.-", false},
    {"NumDoses", "--", false},
    {"Date", "", false},
    {"Text1", "", false},
}};

const FieldInfo &info(Field field)
{
    return kFieldInfo[static_cast<std::size_t>(field)];
}

// Significant digits handed to the decimal conversion; beyond this a sticky digit stands in
// for the rest, which keeps the rounding exact (a double never needs more than 767 digits).
constexpr std::size_t kMaxSignificantDigits = 800;
// Exponents are clamped here: far past the double range, far from int64 overflow.
constexpr std::int64_t kExponentClamp = 1'000'000'000;
// Decimal magnitudes past these are certain overflow or underflow of a double.
constexpr std::int64_t kOverflowMagnitude = 400;
constexpr std::int64_t kUnderflowMagnitude = -400;

bool isBlank(char c)
{
    // Carriage return is deliberately not a blank: it ends the number.
    return c == ' ' || c == '\t' || c == '\n';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Walks the text the way the reading rule sees it: blanks are invisible everywhere.
class Cursor
{
public:
    explicit Cursor(std::string_view text)
        : m_text(text)
    {}

    char peek()
    {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
            ++m_pos;
        return m_pos < m_text.size() ? m_text[m_pos] : '\0';
    }
    void advance() { ++m_pos; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

double signedZero(bool negative)
{
    return negative ? -0.0 : 0.0;
}

double signedInfinity(bool negative)
{
    const double inf = std::numeric_limits<double>::infinity();
    return negative ? -inf : inf;
}

// "&H1F" and "&O17": unsigned whole numbers, rounded to the nearest double when long.
double readRadix(Cursor &cursor, int radix)
{
    std::string bits; // hexadecimal digits of the value, leading zeros dropped
    std::string octalBits;
    for (char c = cursor.peek();; c = cursor.peek()) {
        const int v = hexValue(c);
        if (v < 0 || v >= radix)
            break;
        cursor.advance();
        if (radix == 16) {
            if (bits.empty() && v == 0)
                continue;
            if (bits.size() <= 260) // 260 hex digits are past the double range already
                bits.push_back(c);
        } else {
            if (octalBits.empty() && v == 0)
                continue;
            if (octalBits.size() <= 350)
                octalBits.push_back(c);
        }
    }
    if (radix == 8 && !octalBits.empty()) {
        // Regroup three bits per digit into four bits per digit, from the least significant end.
        std::string binary;
        for (char c : octalBits) {
            const int v = c - '0';
            binary.push_back((v & 4) ? '1' : '0');
            binary.push_back((v & 2) ? '1' : '0');
            binary.push_back((v & 1) ? '1' : '0');
        }
        while (binary.size() % 4 != 0)
            binary.insert(binary.begin(), '0');
        static constexpr std::string_view kHex = "0123456789abcdef";
        for (std::size_t i = 0; i < binary.size(); i += 4) {
            const int v = (binary[i] - '0') * 8 + (binary[i + 1] - '0') * 4
                          + (binary[i + 2] - '0') * 2 + (binary[i + 3] - '0');
            if (bits.empty() && v == 0)
                continue;
            bits.push_back(kHex[static_cast<std::size_t>(v)]);
        }
    }
    if (bits.empty())
        return 0.0;
    if (bits.size() > 256) // 16^256 = 2^1024
        return signedInfinity(false);
    double value = 0.0;
    const auto result
        = std::from_chars(bits.data(), bits.data() + bits.size(), value, std::chars_format::hex);
    if (result.ec == std::errc::result_out_of_range)
        return signedInfinity(false);
    return value;
}

} // namespace

std::string_view fieldName(Field field)
{
    return info(field).name;
}

std::string_view initialText(Field field)
{
    return info(field).initial;
}

bool isInputField(Field field)
{
    return info(field).input;
}

double readNumber(std::string_view text)
{
    Cursor cursor(text);
    char c = cursor.peek();

    if (c == '&') {
        cursor.advance();
        c = cursor.peek();
        if (c == 'H' || c == 'h') {
            cursor.advance();
            return readRadix(cursor, 16);
        }
        if (c == 'O' || c == 'o') {
            cursor.advance();
            return readRadix(cursor, 8);
        }
        return 0.0;
    }

    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        cursor.advance();
    }

    // The value is digits × 10^scale, digits without leading zeros.
    std::string digits;
    std::int64_t scale = 0;
    bool anyDigit = false;
    bool seenPoint = false;
    bool sticky = false;
    for (c = cursor.peek();; c = cursor.peek()) {
        if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else if (isDigit(c)) {
            anyDigit = true;
            if (digits.empty() && c == '0') {
                if (seenPoint)
                    --scale;
            } else if (digits.size() < kMaxSignificantDigits) {
                digits.push_back(c);
                if (seenPoint)
                    --scale;
            } else {
                sticky = sticky || c != '0';
                if (!seenPoint && scale < kExponentClamp)
                    ++scale;
            }
        } else {
            break;
        }
        cursor.advance();
    }
    if (!anyDigit)
        return 0.0;

    std::int64_t exponent = 0;
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
        cursor.advance();
        bool negativeExponent = false;
        c = cursor.peek();
        if (c == '+' || c == '-') {
            negativeExponent = c == '-';
            cursor.advance();
        }
        for (c = cursor.peek(); isDigit(c); c = cursor.peek()) {
            exponent = std::min<std::int64_t>(exponent * 10 + (c - '0'), kExponentClamp);
            cursor.advance();
        }
        if (negativeExponent)
            exponent = -exponent;
    }

    if (digits.empty())
        return signedZero(negative);
    if (sticky) {
        digits.push_back('1');
        --scale;
    }
    scale = std::max(-kExponentClamp, scale);

    const std::int64_t power = scale + exponent;
    const std::int64_t magnitude = power + static_cast<std::int64_t>(digits.size()) - 1;
    if (magnitude > kOverflowMagnitude)
        return signedInfinity(negative);
    if (magnitude < kUnderflowMagnitude)
        return signedZero(negative);

    digits.push_back('e');
    digits += std::to_string(power);
    double value = 0.0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                        std::chars_format::scientific);
    if (result.ec == std::errc::result_out_of_range)
        return magnitude > 0 ? signedInfinity(negative) : signedZero(negative);
    return negative ? -value : value;
}

std::string writeNumber(double value)
{
    if (!std::isfinite(value))
        return std::string(kOverflowText);
    if (value == 0.0) // also negative zero
        return "0";

    // Fifteen significant digits, rounded to nearest, trailing zeros dropped; the exponent
    // form below 1E-4 and from 1E15 on, with at least two exponent digits.
    char buffer[32];
    const auto result
        = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string out(buffer, result.ptr);
    if (const std::size_t e = out.find('e'); e != std::string::npos)
        out[e] = 'E';
    return out;
}

SampleSheet::SampleSheet()
{
    for (Field field : kAllFields)
        m_texts[static_cast<std::size_t>(field)] = std::string(initialText(field));
}

std::string SampleSheet::text(Field field) const
{
    return m_texts[static_cast<std::size_t>(field)];
}

void SampleSheet::setText(Field field, std::string_view text)
{
    m_texts[static_cast<std::size_t>(field)].assign(text);
}

} // namespace estrivo
