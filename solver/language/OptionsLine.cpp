// Reading the options line: positional words, each applied only when it reads in full
// and lies in its range; the others are collected for the messages.
//   1 iterations  2 tolerance exponent  3 method  4 Jacobian method  5 guess maximum
//   6 SEQUENTIAL  7 Delta J  8 Delta T  9 COMPLEX/REAL
#include "OptionsLine.h"

#include "NumberText.h"
#include "Reporter.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace varnel {

namespace {

constexpr std::string_view kPrefix = "{Options: ";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

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

std::string toleranceProblem(int exponent)
{
    if (exponent >= kLowestToleranceExponent && exponent <= kHighestToleranceExponent)
        return {};
    return "Tolerance exponent " + std::to_string(exponent) + " is outside " +
           std::to_string(kLowestToleranceExponent) + ".." +
           std::to_string(kHighestToleranceExponent);
}

std::string settingsProblem(const RunSettings& settings)
{
    if (settings.maxIterations < 1)
        return "Iteration limit " + std::to_string(settings.maxIterations) + " is below 1";
    if (std::string why = toleranceProblem(settings.toleranceExponent); !why.empty())
        return why;
    // A starting value or a step that is no number would make every value one.
    if (!std::isfinite(settings.guessMin) || !std::isfinite(settings.guessMax))
        return "The range of random starting values must be finite";
    if (!std::isfinite(settings.deltaT))
        return "Delta T must be a finite number";
    if (settings.deltaJ != 0.0 && std::isfinite(settings.deltaJ))
        return {};
    char shown[64];
    std::snprintf(shown, sizeof shown, "%g", settings.deltaJ);
    return "Delta J " + std::string(shown) + " is no increment";
}

bool applyOptionsLine(std::string_view firstLine, RunSettings& s, OptionsProblems* problems)
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
    auto unknown = [&](std::size_t position) {
        if (problems != nullptr && position <= words.size())
            problems->unknownWords.emplace_back(word(position));
    };
    auto refuse = [&](std::string message) {
        if (problems != nullptr)
            problems->refused.push_back(std::move(message));
    };

    int n = 0;
    double x = 0.0;
    if (!parseInteger(word(1), n))
        unknown(1);
    else if (n < 1)
        refuse("Iteration limit " + std::to_string(n) + " in the options line is below 1");
    else
        s.maxIterations = n;
    if (!parseInteger(word(2), n))
        unknown(2);
    else if (std::string why = toleranceProblem(n); !why.empty())
        refuse(why + " in the options line");
    else
        s.toleranceExponent = n;
    if (int code = keywordCode(word(3), {"NEWTON", "ROBUST", "DISHONEST", "HOMOTOPY"}); code >= 0)
        s.method = code;
    else
        unknown(3);
    if (int code = keywordCode(word(4), {"SYMBOLIC", "INCREMENTAL"}); code >= 0)
        s.jacobianMethod = code;
    else
        unknown(4);
    if (parseDecimal(word(5), x))
        s.guessMax = x;
    else
        unknown(5);
    if (word(6) == "SEQUENTIAL")
        s.solveInGroups = true;
    else
        unknown(6);
    if (!parseDecimal(word(7), x))
        unknown(7);
    else if (x == 0.0)
        refuse("Delta J " + std::string(word(7)) + " in the options line is no increment");
    else
        s.deltaJ = x;
    if (parseDecimal(word(8), x))
        s.deltaT = x;
    else
        unknown(8);
    if (word(9) == "COMPLEX")
        s.complexMode = true;
    else if (word(9) == "REAL")
        s.complexMode = false;
    else
        unknown(9);
    for (std::size_t k = 10; k <= words.size(); ++k)
        unknown(k);
    return true;
}

bool applyOptionsLine(std::string_view firstLine, RunSettings& settings, Reporter& reporter)
{
    OptionsProblems problems;
    const bool found = applyOptionsLine(firstLine, settings, &problems);
    for (const std::string& w : problems.unknownWords) {
        reporter.send("Unknown word in the options line: ");
        reporter.send(w);
        reporter.send("\n");
    }
    for (const std::string& message : problems.refused) {
        reporter.send("\n");
        reporter.send(message);
        reporter.raiseError();
    }
    return found;
}

} // namespace varnel
