// Formatting and strict parsing of the "WindowPos" placement string.
#include "WindowPlacement.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>

namespace varnel {

std::string formatWindowPlacement(const WindowPlacement& p)
{
    char text[160];
    std::snprintf(text, sizeof text, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showCmd, p.minX,
                  p.minY, p.maxX, p.maxY, p.left, p.top, p.right, p.bottom);
    return text;
}

std::optional<WindowPlacement> parseWindowPlacement(std::string_view text)
{
    long long numbers[10];
    std::size_t at = 0;
    for (int i = 0; i < 10; ++i) {
        while (at < text.size() && text[at] == ' ')
            ++at;
        if (i > 0) {
            if (at >= text.size() || text[at] != ',')
                return std::nullopt;
            ++at;
            while (at < text.size() && text[at] == ' ')
                ++at;
        }
        auto [end, ec] = std::from_chars(text.data() + at, text.data() + text.size(), numbers[i]);
        if (ec != std::errc() || numbers[i] < -2147483648LL || numbers[i] > 4294967295LL)
            return std::nullopt;
        at = static_cast<std::size_t>(end - text.data());
    }
    while (at < text.size() && text[at] == ' ')
        ++at;
    if (at != text.size())
        return std::nullopt;
    WindowPlacement p;
    p.flags = static_cast<unsigned>(numbers[0]);
    p.showCmd = static_cast<unsigned>(numbers[1]);
    p.minX = static_cast<int>(numbers[2]);
    p.minY = static_cast<int>(numbers[3]);
    p.maxX = static_cast<int>(numbers[4]);
    p.maxY = static_cast<int>(numbers[5]);
    p.left = static_cast<int>(numbers[6]);
    p.top = static_cast<int>(numbers[7]);
    p.right = static_cast<int>(numbers[8]);
    p.bottom = static_cast<int>(numbers[9]);
    const long long width = static_cast<long long>(p.right) - p.left;
    const long long height = static_cast<long long>(p.bottom) - p.top;
    if (width <= 0 || height <= 0 || width > INT_MAX || height > INT_MAX)
        return std::nullopt;
    return p;
}

WindowPlacement keepOnDesktop(WindowPlacement p, int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top || p.right <= p.left || p.bottom <= p.top)
        return p;
    // Reachable: the title bar's row is on the desktop and the window overlaps it sideways.
    if (p.top >= top && p.top < bottom && p.left < right && p.right > left)
        return p;
    const long long width =
        std::min(static_cast<long long>(p.right) - p.left, static_cast<long long>(right) - left);
    const long long height =
        std::min(static_cast<long long>(p.bottom) - p.top, static_cast<long long>(bottom) - top);
    p.left = static_cast<int>(std::clamp<long long>(p.left, left, right - width));
    p.top = static_cast<int>(std::clamp<long long>(p.top, top, bottom - height));
    p.right = static_cast<int>(p.left + width);
    p.bottom = static_cast<int>(p.top + height);
    return p;
}

} // namespace varnel
