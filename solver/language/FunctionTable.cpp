// The function-name tables, spelled by the operation table, and their look-up rules.
#include "FunctionTable.h"

#include <array>
#include <cstddef>
#include <cstdint>

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

/// Which first characters and lengths the names of a table have, so that a word that can
/// match none of them (most words are variable names) is told so without a comparison.
class NameFilter {
public:
    /// `foldCase`: names of two or more characters are keyed by their upper-case first
    /// character, as the first table matches them.
    template <std::size_t N>
    NameFilter(const std::array<FunctionName, N>& names, bool foldCase) : m_foldCase(foldCase)
    {
        for (const FunctionName& f : names) {
            if (f.name.empty() || f.name.size() >= kLongest)
                m_unusual = true;
            else
                m_lengths[key(f.name)] |= static_cast<std::uint16_t>(1u << f.name.size());
        }
    }

    /// False when no name of the table can match `word`.
    bool mayMatch(std::string_view word) const
    {
        if (word.empty() || word.size() >= kLongest)
            return m_unusual;
        return (m_lengths[key(word)] >> word.size() & 1u) != 0;
    }

private:
    static constexpr std::size_t kLongest = 16; // longer than every name of the tables

    unsigned char key(std::string_view word) const
    {
        const auto first = static_cast<unsigned char>(word[0]);
        return m_foldCase && word.size() >= 2 ? upper(first) : first;
    }

    bool m_foldCase;
    bool m_unusual = false; // a name the lengths cannot describe: every word is compared
    std::array<std::uint16_t, 256> m_lengths{};
};

} // namespace

int lookupFunction(std::string_view word)
{
    static const NameFilter filter(kFunctionNames, true);
    if (!filter.mayMatch(word))
        return 0;
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
    static const NameFilter filter(kTwoArgumentNames, false);
    if (!filter.mayMatch(word))
        return 0;
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
