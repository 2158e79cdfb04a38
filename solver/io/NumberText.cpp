// Whole-text, locale-independent number conversion.
#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace varnel {

namespace {
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
} // namespace

bool parseDecimal(std::string_view text, double& value)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const std::size_t mantissaStart = i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        std::size_t expDigits = 0;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    if (i != text.size())
        return false;
    // from_chars takes no leading "+".
    std::string_view body = text;
    bool negative = false;
    if (mantissaStart == 1) {
        negative = text[0] == '-';
        body.remove_prefix(1);
    }
    double v = 0.0;
    auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), v);
    if (ec == std::errc::result_out_of_range) {
        // Overflow and underflow still convert, as strtod would: to HUGE_VAL or 0.
        v = 0.0;
        std::size_t e = body.find_first_of("eE");
        if (e != std::string_view::npos && e + 1 < body.size() && body[e + 1] != '-')
            v = 1e308 * 10.0;
    } else if (ec != std::errc() || ptr != body.data() + body.size()) {
        return false;
    }
    value = negative ? -v : v;
    return true;
}

bool parseInteger(std::string_view text, int& value)
{
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    int v = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || ptr != text.data() + text.size())
        return false;
    value = v;
    return true;
}

std::size_t formatFixed(char* out, double value, int width, int precision)
{
    // Both print the exact binary value rounded to nearest, ties to even: the digits agree.
    char digits[kFixedTextSize];
    std::size_t length = 0;
    if (std::isfinite(value)) {
        const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value,
                                             std::chars_format::fixed, precision);
        length = ec == std::errc() ? static_cast<std::size_t>(end - digits) : 0;
    }
    if (length == 0) // infinities and NaNs, spelt as printf spells them
        return static_cast<std::size_t>(
            std::snprintf(out, kFixedTextSize, "%*.*f", width, precision, value));
    const std::size_t padding =
        length < static_cast<std::size_t>(width) ? static_cast<std::size_t>(width) - length : 0;
    std::memset(out, ' ', padding);
    std::memcpy(out + padding, digits, length);
    return padding + length;
}

void appendTableNumber(std::string& text, double value, int width)
{
    const double a = std::fabs(value);
    char buffer[64];
    std::size_t length = 0;
    if (!std::isfinite(value)) {
        length = static_cast<std::size_t>(std::snprintf(buffer, sizeof buffer, "%e", value));
    } else {
        const bool fixed = (a > 1e-5 && a < 1e5) || a <= kZeroMagnitude;
        const auto result = std::to_chars(
            buffer, buffer + sizeof buffer, value,
            fixed ? std::chars_format::fixed : std::chars_format::scientific, fixed ? 7 : 6);
        length = static_cast<std::size_t>(result.ptr - buffer);
    }
    if (length < static_cast<std::size_t>(width))
        text.append(static_cast<std::size_t>(width) - length, ' ');
    text.append(buffer, length);
}

std::string formatTableNumber(double value)
{
    std::string text;
    appendTableNumber(text, value);
    return text;
}

} // namespace varnel
