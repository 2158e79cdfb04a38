// Splitting a table line into its fields.
#include "TextFields.h"

namespace varnel {

namespace {

bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == ';' || c == '\r';
}

} // namespace

std::vector<std::string> splitFields(std::string_view line)
{
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSeparator(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !isSeparator(line[i]))
            ++i;
        if (i > start)
            fields.emplace_back(line.substr(start, i - start));
    }
    return fields;
}

} // namespace varnel
