// Reading the options line: positional words, each applied only when it reads in full.
//   1 iterations  2 tolerance exponent  3 method  4 Jacobian method  5 guess maximum
//   6 SEQUENTIAL  7 Delta J  8 Delta T  9 COMPLEX/REAL
#include "OptionsLine.h"

#include "NumberText.h"

#include <string>
#include <vector>

namespace varnel {

namespace {

constexpr std::string_view kPrefix = "{Options: ";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::vector<std::string_view> splitWords(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !isBlank(text[i]))
            ++i;
        if (i > start)
            words.push_back(text.substr(start, i - start));
    }
    return words;
}

int keywordCode(std::string_view word, std::initializer_list<std::string_view> keywords)
{
    int code = 0;
    for (std::string_view k : keywords) {
        if (word == k)
            return code;
        ++code;
    }
    return -1;
}

} // namespace

bool applyOptionsLine(std::string_view firstLine, RunSettings& s)
{
    if (firstLine.substr(0, kPrefix.size()) != kPrefix) {
        if (s.method == method::Homotopy)
            s.method = method::Robust;
        return false;
    }
    std::string_view body = firstLine.substr(kPrefix.size());
    const std::size_t close = body.find('}');
    if (close != std::string_view::npos)
        body = body.substr(0, close);
    const std::vector<std::string_view> words = splitWords(body);
    auto word = [&](std::size_t position) -> std::string_view {
        return position <= words.size() ? words[position - 1] : std::string_view();
    };

    int n = 0;
    double x = 0.0;
    if (parseInteger(word(1), n))
        s.maxIterations = n;
    if (parseInteger(word(2), n))
        s.toleranceExponent = n;
    if (int code = keywordCode(word(3), {"NEWTON", "ROBUST", "DISHONEST", "HOMOTOPY"}); code >= 0)
        s.method = code;
    if (int code = keywordCode(word(4), {"SYMBOLIC", "INCREMENTAL"}); code >= 0)
        s.jacobianMethod = code;
    if (parseDecimal(word(5), x))
        s.guessMax = x;
    if (word(6) == "SEQUENTIAL")
        s.solveInGroups = true;
    if (parseDecimal(word(7), x))
        s.deltaJ = x;
    if (parseDecimal(word(8), x))
        s.deltaT = x;
    if (word(9) == "COMPLEX")
        s.complexMode = true;
    else if (word(9) == "REAL")
        s.complexMode = false;
    return true;
}

} // namespace varnel
