#include "app/paragraph_units.h"

#include <cctype>
#include <charconv>
#include <cfenv>
#include <cmath>
#include <limits>

namespace quill {

namespace {

// Halves to the even neighbour, whatever rounding mode is set.
double RoundHalfEven(double v) {
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    std::fesetround(saved);
    return r;
}

double TwipsPerUnit(bool pointsBox, MeasureUnit unit) {
    if (pointsBox) return kTwipsPerInch / 72.0;
    return unit == MeasureUnit::Inch ? kTwipsPerInch : kTwipsPerCm;
}

}  // namespace

bool IsPointsBoxName(std::string_view name) {
    std::string upper;
    for (char c : name) upper += char(std::toupper(static_cast<unsigned char>(c)));
    return upper.find("PTS") != std::string::npos;
}

std::string TwipsToBoxText(int twips, bool pointsBox, MeasureUnit unit, char decimal) {
    // to_chars and from_chars ignore the C locale, which Qt sets from the
    // user's environment.
    char buffer[64];
    std::to_chars_result r;
    if (pointsBox) {
        r = std::to_chars(buffer, buffer + sizeof buffer, RoundHalfEven(twips / kTwipsPerInch * 72.0),
                          std::chars_format::fixed, 0);
        return std::string(buffer, r.ptr);
    }
    const double value = twips / TwipsPerUnit(false, unit);
    // Eight significant digits at most; beyond them the number is shown in
    // exponent form rather than with made-up digits.
    if (std::fabs(value) >= 1e8)
        r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 7);
    else
        r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    std::string text(buffer, r.ptr);
    for (char& c : text)
        if (c == '.') c = decimal;
    return text;
}

std::optional<int> BoxTextToTwips(std::string_view text, bool pointsBox, MeasureUnit unit,
                                  char decimal) {
    size_t from = 0, to = text.size();
    while (from < to && text[from] == ' ') ++from;
    while (to > from && text[to - 1] == ' ') --to;
    if (from == to) return text.empty() ? std::optional<int>(0) : std::nullopt;
    std::string number;
    for (size_t i = from; i < to; ++i) {
        const char c = text[i];
        if (c == decimal) {
            number += '.';
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == 'e' ||
                   c == 'E') {
            number += c;
        } else {
            return std::nullopt;  // another separator, letters, hex, "inf"
        }
    }
    const char* first = number.c_str();
    if (*first == '+') ++first;  // from_chars takes no plus sign
    if (*first == '+' || (*first == '-' && number[0] == '+')) return std::nullopt;
    double v = 0;
    const char* last = number.c_str() + number.size();
    const auto [end, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || end != last || !std::isfinite(v)) return std::nullopt;
    const double twips = RoundHalfEven(v * TwipsPerUnit(pointsBox, unit));
    if (twips > std::numeric_limits<int>::max() || twips < std::numeric_limits<int>::min())
        return std::nullopt;
    return int(twips);
}

}  // namespace quill
