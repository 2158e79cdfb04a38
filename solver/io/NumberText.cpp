// Whole-text, locale-independent number conversion.
#include "NumberText.h"

#include <charconv>
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

} // namespace varnel
