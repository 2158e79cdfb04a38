// Locale-independent conversion of number text: "." is the decimal point whatever the
// process locale says, and a conversion succeeds only when it takes the whole text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varnel {

/// A decimal real ([+-]digits[.digits][(E|e)[+-]digits], or starting with "."), whole
/// text only. Infinity and NaN spellings are refused.
bool parseDecimal(std::string_view text, double& value);
/// A decimal integer with an optional sign that fits an int, whole text only.
bool parseInteger(std::string_view text, int& value);

/// Room for any text of formatFixed with a width and a precision below 32.
constexpr std::size_t kFixedTextSize = 400;

/// Writes `value` as printf's "%*.*f" with `width` and `precision` (both below 32) would,
/// in the "C" locale, into `out` (at least kFixedTextSize characters); returns the
/// length. No terminating zero is written.
std::size_t formatFixed(char* out, double value, int width, int precision);

/// Magnitude at or below which a value counts as zero in the library (its TINY).
constexpr double kZeroMagnitude = 1e-50;

/// Appends `value` in the form of the result tables, right-aligned in `width` characters:
/// "%.7f" for 1e-5 < |v| < 1e5 and for |v| <= 1e-50, "%.6e" otherwise (the digits
/// printf would write).
void appendTableNumber(std::string& text, double value, int width = 15);
/// The text appendTableNumber appends, in the width of the tables.
std::string formatTableNumber(double value);

} // namespace varnel
