// Locale-independent conversion of number text: "." is the decimal point whatever the
// process locale says, and a conversion succeeds only when it takes the whole text.
#pragma once

#include <string_view>

namespace varnel {

/// A decimal real ([+-]digits[.digits][(E|e)[+-]digits], or starting with "."), whole
/// text only. Infinity and NaN spellings are refused.
bool parseDecimal(std::string_view text, double& value);
/// A decimal integer with an optional sign that fits an int, whole text only.
bool parseInteger(std::string_view text, int& value);

} // namespace varnel
