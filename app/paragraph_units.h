#pragma once
// The paragraph dialog's numbers: twips shown in inches, centimetres or
// points, and typed text read back into twips at the precision shown.

#include <optional>
#include <string>
#include <string_view>

namespace quill {

enum class MeasureUnit { Inch, Cm };

inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kTwipsPerCm = 566.929;

// Boxes whose names hold "PTS" (any case) are in points whatever the unit.
bool IsPointsBoxName(std::string_view name);

// Points: a whole number; inches and centimetres: two decimals. DECIMAL is
// the user's decimal separator.
std::string TwipsToBoxText(int twips, bool pointsBox, MeasureUnit unit, char decimal = '.');

// The twips a box's text stands for, rounded to the nearest whole number
// with halves to the even one; an empty text is 0. Nothing when the text is
// not a decimal number.
std::optional<int> BoxTextToTwips(std::string_view text, bool pointsBox, MeasureUnit unit,
                                  char decimal = '.');

}  // namespace quill
