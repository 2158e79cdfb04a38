// The function-name tables, spelled by the operation table, and their look-up rules.
#include "FunctionTable.h"

#include <cstddef>

namespace varnel {

// kFunctionNames and kTwoArgumentNames are defined beside the operation table, which
// spells them, so that they are constant data.

namespace {

unsigned char upper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(static_cast<unsigned char>(a[i])) != upper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

int lookupFunction(std::string_view word)
{
    for (std::size_t k = 0; k < kFunctionNames.size(); ++k) {
        const std::string_view name = kFunctionNames[k].name;
        const bool match = word.size() >= 2 ? equalIgnoringCase(word, name) : word == name;
        if (match)
            return static_cast<int>(k + 1);
    }
    return 0;
}

int lookupTwoArgumentFunction(std::string_view word)
{
    for (std::size_t k = 0; k < kTwoArgumentNames.size(); ++k)
        if (word == kTwoArgumentNames[k].name)
            return static_cast<int>(k + 1);
    return 0;
}

std::string_view functionNameOfCode(std::uint8_t code, bool binary)
{
    if (binary)
        for (const FunctionName& f : kTwoArgumentNames)
            if (f.code == code)
                return f.name;
    for (const FunctionName& f : kFunctionNames)
        if (f.code == code)
            return f.name;
    return "?";
}

} // namespace varnel
