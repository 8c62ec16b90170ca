#include "guidance.h"

#include "extension_calc.h"
#include "wide_double.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace estrivo {

namespace {

using detail::WideDouble;

// Cautions from published equine practice, for cooled semen bred by artificial insemination:
// - University of Wisconsin-Madison, Animal Sciences, equine laboratory supplement "Cooled
//   Semen Preparation" (ansci.wisc.edu/jjp1/equine/lab_supplement/cooled_semen_proc.htm):
//   a raw ejaculate below 80 x 10^6/ml is centrifuged; semen is extended at least 3:1
//   (extender:semen).
// - Brinsko SP, Blanchard TL, Varner DD et al., Manual of Equine Reproduction, 3rd ed.,
//   Mosby Elsevier 2011: cooled semen extended to 25-50 x 10^6/ml at no less than 3:1;
//   insemination volumes much above 50 ml bring no benefit, the excess is lost through the
//   relaxed cervix.
// - Rowley HS, Squires EL, Pickett BW, Effect of insemination volume on embryo recovery in
//   mares, J Equine Vet Sci 1990;10:298-300: the same sperm number in a larger volume gave
//   fewer embryos. Bedford SJ, Hinrichs K, Theriogenology 1994;42:571-578 found 120 ml
//   harmless at 50 x 10^6/ml, so the dose volume only warns above 60 ml, not at 50.
// Motility is a share of the sperm and none of the inputs has a meaning below 0.
constexpr double kCentrifugeBelowMPerMl = 80.0;
constexpr double kLeastExtensionRatio = 3.0; // ml of extender per ml of semen
constexpr double kLargestDoseMl = 60.0;
constexpr double kWholePercent = 100.0;
// Past this many units of its last decimal place a long double no longer holds a number exactly.
constexpr long double kExactUnits = 1e18L;

constexpr std::string_view kSemenNotRecomputed
    = "Not recomputed: concentration or motility is 0; this value comes from earlier inputs";
constexpr std::string_view kFromStaleSemen
    = "Computed from a semen volume that was not recomputed: concentration or motility is 0";
constexpr std::string_view kDosesNotRecomputed
    = "Not recomputed: the semen volume is 0 or less; this value comes from earlier inputs";
constexpr std::string_view kOverflowed = "Too large for the arithmetic";
constexpr std::string_view kResultsCleared = "; the results after it are cleared";

std::size_t index(Field field)
{
    return static_cast<std::size_t>(field);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

// True when the reading rule finds a digit: a text without one reads as 0 but says nothing,
// so it neither warns nor counts as a value kept from earlier inputs.
bool hasNumber(std::string_view text)
{
    std::size_t pos = 0;
    const auto next = [&] {
        while (pos < text.size() && isBlank(text[pos]))
            ++pos;
        return pos < text.size() ? text[pos] : '\0';
    };
    char c = next();
    if (c == '&') {
        ++pos;
        c = next();
        const bool hex = c == 'H' || c == 'h';
        if (!hex && c != 'O' && c != 'o')
            return false;
        ++pos;
        c = next();
        if (c >= '0' && c <= '7')
            return true;
        return hex && ((c >= '8' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
    }
    if (c == '+' || c == '-') {
        ++pos;
        c = next();
    }
    if (c == '.') {
        ++pos;
        c = next();
    }
    return c >= '0' && c <= '9';
}

// A result text that stands for a value, unlike a placeholder or an emptied box.
bool holdsValue(std::string_view text)
{
    return hasNumber(text) || text == kOverflowText;
}

// The sheet's texts, copied so that Calculate can run on them and say which fields it wrote.
class Replay final : public SheetFields
{
public:
    explicit Replay(const SheetFields &sheet)
    {
        for (Field field : kAllFields)
            m_texts[index(field)] = sheet.text(field);
    }

    std::string text(Field field) const override { return m_texts[index(field)]; }
    void setText(Field field, std::string_view text) override
    {
        m_texts[index(field)].assign(text);
        ++m_writes[index(field)];
        if (text == kOverflowText && !m_overflow)
            m_overflow = field;
    }

    double read(Field field) const { return readNumber(m_texts[index(field)]); }
    WideDouble wide(Field field) const { return WideDouble::of(read(field)); }
    int writes(Field field) const { return m_writes[index(field)]; }
    std::optional<Field> overflow() const { return m_overflow; }
    const std::array<std::string, kFieldCount> &texts() const { return m_texts; }

private:
    std::array<std::string, kFieldCount> m_texts;
    std::array<int, kFieldCount> m_writes{};
    std::optional<Field> m_overflow;
};

std::optional<double> inRange(WideDouble value)
{
    const double plain = value.toDouble();
    return std::isfinite(plain) ? std::optional<double>(plain) : std::nullopt;
}

// Calculate writes the extender a second time only when the maximum concentration raises it.
// A tie is where both limits ask for the same volume, compared as Calculate compares them.
void explainLimit(const Replay &replay, SheetGuidance &guidance)
{
    const std::optional<Field> overflow = replay.overflow();
    if (overflow == Field::SemenVol || overflow == Field::ExtVol)
        return;
    if (replay.writes(Field::ExtVol) > 1) {
        guidance.limit = DoseLimit::MaxExtendedConcentration;
        return;
    }
    guidance.limit = DoseLimit::MinExtensionRatio;
    if (replay.read(Field::MaxCon) > 0.0) {
        const double doseVolume
            = (replay.wide(Field::ExtVol) + replay.wide(Field::SemenVol)).toDouble();
        const double leastVolume
            = (replay.wide(Field::TotalDose) / replay.wide(Field::MaxCon)).toDouble();
        guidance.limitsTie = leastVolume == doseVolume;
    }
}

// A number as the writing rule shows it: its decimal to a long double's precision, and the
// power of ten of its last significant digit.
struct ShownDecimal
{
    long double value = 0.0L;
    int lastPlace = 0;
};

ShownDecimal shown(double number)
{
    const std::string text = writeNumber(number);
    ShownDecimal decimal;
    std::from_chars(text.data(), text.data() + text.size(), decimal.value);
    const std::size_t e = text.find('E');
    const std::string_view mantissa = std::string_view(text).substr(0, e);
    int exponent = 0;
    if (e != std::string::npos) {
        const char *start = text.data() + e + 1;
        if (*start == '+')
            ++start;
        std::from_chars(start, text.data() + text.size(), exponent);
    }
    if (const std::size_t point = mantissa.find('.'); point != std::string_view::npos) {
        decimal.lastPlace = exponent - static_cast<int>(mantissa.size() - point - 1);
    } else {
        const std::size_t lastDigit = mantissa.find_last_not_of('0');
        const bool zero = lastDigit == std::string_view::npos;
        decimal.lastPlace
            = exponent + (zero ? 0 : static_cast<int>(mantissa.size() - lastDigit - 1));
    }
    return decimal;
}

// The semen after the whole doses, worked out on the decimals the fields show. In doubles the
// difference of two nearly equal volumes would bring binary noise into its fifteen digits (40
// less 19 doses of 2.08333333333333 would not come out as 0.41666666666673); the exact result
// is a whole number of the last decimal place of the two volumes, so it is rounded to that.
std::optional<double> leftOver(double gelFree, double doses, double semen)
{
    if (!std::isfinite(gelFree) || !std::isfinite(doses) || !std::isfinite(semen))
        return std::nullopt;
    const ShownDecimal gfv = shown(gelFree);
    const ShownDecimal count = shown(doses);
    const ShownDecimal dose = shown(semen);
    long double rest = gfv.value - count.value * dose.value;
    const long double unit = std::pow(10.0L, std::min(gfv.lastPlace, dose.lastPlace));
    if (const long double units = rest / unit; std::fabs(units) < kExactUnits)
        rest = std::round(units) * unit;
    const double plain = static_cast<double>(rest);
    return std::isfinite(plain) ? std::optional<double>(plain) : std::nullopt;
}

void explainCollection(const Replay &replay, SheetGuidance &guidance)
{
    const auto has = [&](Field field) {
        return hasNumber(replay.text(field));
    };
    if (has(Field::Con) && has(Field::GFV)) {
        const WideDouble total = replay.wide(Field::Con) * replay.wide(Field::GFV);
        guidance.totalSperm = inRange(total);
        if (guidance.totalSperm && has(Field::Motility))
            guidance.motileSperm
                = inRange(total * (replay.wide(Field::Motility) / WideDouble::of(kWholePercent)));
    }
    if (guidance.dosesRecomputed && guidance.overflow != Field::NumDoses && has(Field::GFV))
        guidance.semenLeftOver = leftOver(replay.read(Field::GFV), replay.read(Field::NumDoses),
                                          replay.read(Field::SemenVol));
}

std::string numberIn(const SheetGuidance &guidance, Field field)
{
    return writeNumber(readNumber(guidance.texts[index(field)]));
}

void warn(SheetGuidance &guidance, Field field, WarningKind kind)
{
    std::string text;
    switch (kind) {
    case WarningKind::LowConcentration:
        text = "Concentration below " + writeNumber(kCentrifugeBelowMPerMl)
               + " M/ml: consider centrifugation before extending";
        break;
    case WarningKind::LowExtensionRatio:
        text = "Extension ratio below " + writeNumber(kLeastExtensionRatio)
               + ":1: cooled semen needs at least that much extender per ml of semen";
        break;
    case WarningKind::LargeDoseVolume:
        text = "Dose volume above " + writeNumber(kLargestDoseMl)
               + " ml: a larger insemination volume brings no benefit";
        break;
    case WarningKind::MotilityAbove100:
        text = "Motility above " + writeNumber(kWholePercent) + " %: check the value";
        break;
    case WarningKind::Negative:
        text = "Negative value: check the entry";
        break;
    }
    guidance.warnings.push_back({field, kind, std::move(text)});
}

// A negative input gets only that warning: the thresholds assume a meaningful quantity.
void explainWarnings(SheetGuidance &guidance)
{
    for (Field field : kAllFields) {
        const std::string &text = guidance.texts[index(field)];
        if (!hasNumber(text))
            continue;
        const double value = readNumber(text);
        if (isInputField(field) && value < 0.0) {
            warn(guidance, field, WarningKind::Negative);
            continue;
        }
        if (field == Field::Con && value > 0.0 && value < kCentrifugeBelowMPerMl)
            warn(guidance, field, WarningKind::LowConcentration);
        else if (field == Field::Motility && value > kWholePercent)
            warn(guidance, field, WarningKind::MotilityAbove100);
        else if (field == Field::MinExt && value < kLeastExtensionRatio)
            warn(guidance, field, WarningKind::LowExtensionRatio);
        else if (field == Field::VPD && value > kLargestDoseMl)
            warn(guidance, field, WarningKind::LargeDoseVolume);
    }
}

std::string_view resultName(Field field)
{
    switch (field) {
    case Field::SemenVol:
        return "semen volume";
    case Field::ExtVol:
        return "extender volume";
    case Field::VPD:
        return "volume per dose";
    default:
        return "number of doses";
    }
}

bool isResultField(Field field)
{
    return field == Field::SemenVol || field == Field::ExtVol || field == Field::VPD
           || field == Field::NumDoses;
}

std::string limitSentence(const SheetGuidance &guidance)
{
    const std::string ratio
        = "the minimum extension ratio of " + numberIn(guidance, Field::MinExt) + ":1";
    const std::string cap
        = "the maximum extended concentration of " + numberIn(guidance, Field::MaxCon) + " M/ml";
    if (guidance.limit == DoseLimit::MaxExtendedConcentration)
        return "Set by " + cap;
    if (guidance.limitsTie)
        return "Set by " + ratio + "; " + cap + " gives the same volume";
    return "Set by " + ratio;
}

void resultLines(const SheetGuidance &guidance, Field field, std::vector<std::string> &lines)
{
    const std::optional<Field> overflow = guidance.overflow;
    if (overflow && index(field) > index(*overflow)) {
        lines.push_back("Cleared: the " + std::string(resultName(*overflow))
                        + " is too large for the arithmetic");
        return;
    }
    const std::string &text = guidance.texts[index(field)];
    if (holdsValue(text))
        lines.push_back(text);

    const bool computed = field == Field::SemenVol   ? guidance.semenRecomputed
                          : field == Field::NumDoses ? guidance.dosesRecomputed
                                                     : true;
    if (overflow == field) {
        lines.push_back(std::string(kOverflowed)
                        + (field == Field::NumDoses ? "" : std::string(kResultsCleared)));
    } else if (computed && field == Field::SemenVol) {
        lines.push_back("Set by the total dose of " + numberIn(guidance, Field::TotalDose)
                        + " M at " + numberIn(guidance, Field::Con) + " M/ml and "
                        + numberIn(guidance, Field::Motility) + " % motility");
    } else if (computed && field == Field::NumDoses) {
        lines.push_back("Whole doses of " + numberIn(guidance, Field::SemenVol)
                        + " ml of semen in the gel-free volume of "
                        + numberIn(guidance, Field::GFV) + " ml");
        if (guidance.semenLeftOver)
            lines.push_back("Semen left over: " + writeNumber(*guidance.semenLeftOver) + " ml");
    } else if (field == Field::ExtVol || field == Field::VPD) {
        if (guidance.limit != DoseLimit::None)
            lines.push_back(limitSentence(guidance));
    }

    if (field == Field::SemenVol && guidance.semenStale)
        lines.emplace_back(kSemenNotRecomputed);
    else if (field != Field::SemenVol && computed && guidance.semenStale)
        lines.emplace_back(kFromStaleSemen);
    if (field == Field::NumDoses && guidance.dosesStale)
        lines.emplace_back(kDosesNotRecomputed);
    if (field == Field::NumDoses && guidance.motileSperm && guidance.totalSperm)
        lines.push_back("Motile sperm in the collection: " + writeNumber(*guidance.motileSperm)
                        + " M of " + writeNumber(*guidance.totalSperm) + " M");
}

} // namespace

SheetGuidance explainSheet(const SheetFields &sheet)
{
    Replay replay(sheet);
    Calculate(replay);

    SheetGuidance guidance;
    guidance.texts = replay.texts();
    guidance.overflow = replay.overflow();
    guidance.semenRecomputed = replay.writes(Field::SemenVol) > 0;
    guidance.semenStale = !guidance.semenRecomputed && holdsValue(replay.text(Field::SemenVol));
    // Cleared after an earlier overflow is a write too, but not a computation.
    guidance.dosesRecomputed = replay.writes(Field::NumDoses) > 0
                               && (!guidance.overflow || guidance.overflow == Field::NumDoses);
    guidance.dosesStale
        = replay.writes(Field::NumDoses) == 0 && holdsValue(replay.text(Field::NumDoses));
    explainLimit(replay, guidance);
    explainCollection(replay, guidance);
    explainWarnings(guidance);
    return guidance;
}

std::string toolTipFor(const SheetGuidance &guidance, Field field)
{
    std::vector<std::string> lines;
    if (isResultField(field))
        resultLines(guidance, field, lines);
    for (const SheetWarning &warning : guidance.warnings) {
        if (warning.field == field)
            lines.push_back(warning.text);
    }
    std::string tip;
    for (const std::string &line : lines) {
        if (!tip.empty())
            tip += '\n';
        tip += line;
    }
    return tip;
}

} // namespace estrivo
