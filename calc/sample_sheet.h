#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace estrivo {

// The named fields of one collection's sample sheet. Numbers live only as these texts.
enum class Field {
    Con,
    GFV,
    Motility,
    TotalDose,
    MinExt,
    MaxCon,
    SemenVol,
    ExtVol,
    VPD,
    NumDoses,
    Date,
    Text1
};

inline constexpr std::size_t kFieldCount = 12;

inline constexpr std::array<Field, kFieldCount> kAllFields{
    Field::Con,    Field::GFV,      Field::Motility, Field::TotalDose,
    Field::MinExt, Field::MaxCon,   Field::SemenVol, Field::ExtVol,
    Field::VPD,    Field::NumDoses, Field::Date,     Field::Text1};

// The field's name as the window and the log know it ("Con", "GFV", ...).
std::string_view fieldName(Field field);

// The text a field holds when the sheet is built.
std::string_view initialText(Field field);

// True for the six fields whose change recomputes the sheet.
bool isInputField(Field field);

// The reading rule: the longest leading part of the text that forms a number.
double readNumber(std::string_view text);

// The writing rule: at most 15 significant digits, "." as the point, "E+nn" outside 1E-4..1E15.
// A value that is not finite writes kOverflowText.
std::string writeNumber(double value);

// The text a field shows for a value past the range of a double.
inline constexpr std::string_view kOverflowText = "Overflow";

// The fields, wherever their texts live (plain storage here, text boxes in the window).
class SheetFields
{
public:
    virtual ~SheetFields() = default;
    virtual std::string text(Field field) const = 0;
    virtual void setText(Field field, std::string_view text) = 0;
};

// Plain storage of the twelve texts, built with their initial texts; setText only stores.
class SampleSheet final : public SheetFields
{
public:
    SampleSheet();

    std::string text(Field field) const override;
    void setText(Field field, std::string_view text) override;

private:
    std::array<std::string, kFieldCount> m_texts;
};

} // namespace estrivo
