// Stamping of print headers and footers.
#include "PageStamp.h"

#include <sys/stat.h>
#include <vector>

namespace varnel {

namespace {

void replaceFirst(std::string& text, std::string_view key, const std::string& value)
{
    std::size_t at = text.find(key);
    if (at != std::string::npos)
        text.replace(at, key.size(), value);
}

std::string escapePercent(std::string_view text)
{
    std::string out;
    for (char c : text) {
        out.push_back(c);
        if (c == '%')
            out.push_back('%');
    }
    return out;
}

} // namespace

std::string stampPageLine(std::string_view pageTemplate, int page, std::string_view path,
                          std::time_t when)
{
    if (pageTemplate.empty())
        return {};
    std::string format(pageTemplate);
    replaceFirst(format, "&p", std::to_string(page));
    replaceFirst(format, "&f", escapePercent(path));
    // A lone "%" at the end is not a time code; print it as it stands.
    if (!format.empty() && format.back() == '%') {
        std::size_t run = 0;
        for (auto it = format.rbegin(); it != format.rend() && *it == '%'; ++it)
            ++run;
        if (run % 2 == 1)
            format.push_back('%');
    }
    std::tm local{};
    localtime_r(&when, &local);
    // strftime gives 0 both for "too small" and for an empty result; the marker tells them apart.
    format.push_back('\x01');
    std::vector<char> buffer(format.size() * 4 + 64);
    for (;;) {
        std::size_t n = std::strftime(buffer.data(), buffer.size(), format.c_str(), &local);
        if (n > 0)
            return std::string(buffer.data(), n - 1);
        if (buffer.size() > (1u << 20))
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::time_t pageStampTime(bool systemTime, const std::string& path, std::time_t now)
{
    if (systemTime || path.find('.') == std::string::npos)
        return now;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return now;
    return info.st_mtime;
}

} // namespace varnel
