// libFuzzer target for the symbolic work on whatever an equation file reads as: every
// equation read is folded, simplified, differentiated with respect to each of its
// variables and, where the file marks variables for elimination, eliminated. Any input
// must end in messages and a result, never a crash, a hang or a sanitizer report; a
// simplified equation must be no longer than the original and have its value wherever
// the original is defined and well conditioned.
#include "ConstantFolding.h"
#include "Differentiator.h"
#include "Elimination.h"
#include "EquationFile.h"
#include "JacobianListing.h"
#include "Simplifier.h"
#include "TextFile.h"
#include "WellConditionedValue.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace varnel;

namespace {

const std::filesystem::path& scratch()
{
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() /
                    ("varnel-symbolic-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        std::filesystem::current_path(path);
        return path;
    }();
    return folder;
}

constexpr std::size_t kLargestChain = 1000;   // tokens differentiated per equation
constexpr std::size_t kLargestSet = 3000;     // tokens of a set that is worked on; the
                                              // bounds for larger sets have tests of their own
constexpr std::size_t kLargestCompared = 300; // tokens of an equation whose values are compared

/// Simplifies `code` and compares it with the original: never longer, and the same value
/// (1e-9 relative) at a few points where the original is defined and well conditioned.
void checkSimplified(const Chain& code, std::size_t variables, bool complexMode, Reporter& reporter,
                     std::mt19937_64& rng)
{
    Simplifier simplifier(reporter);
    simplifier.complexMode = complexMode;
    Chain simplified = code;
    simplifier.simplifyEquation(simplified);
    reporter.runError = false;
    if (simplified.size() > code.size())
        std::abort();
    if (complexMode || code.size() > kLargestCompared)
        return; // real arithmetic is no reference for complex equations
    Evaluator evaluator(reporter);
    std::vector<double> values(variables + 1, 0.0);
    for (int point = 0; point < 3; ++point) {
        for (double& v : values)
            v = std::uniform_real_distribution(-3.0, 3.0)(rng);
        const double expected = test::definedValue(evaluator, reporter, code, values.data(), rng);
        if (std::isnan(expected))
            continue;
        const double got = test::valueOf(evaluator, reporter, simplified, values.data());
        if (!(std::fabs(got - expected) <= 1e-9 * std::max(1.0, std::fabs(expected))))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path& dir = scratch();
    TextFile::setQuiet(true);
    std::string text(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(dir / "fz.ALG", std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }

    RunSettings settings;
    EquationSet set;
    ParseState state;
    Reporter reporter;
    bool ok = false;
    {
        TextFile input, results;
        ok = readEquationFile((dir / "fz.ALG").string(), (dir / "fz").string(), settings, set,
                              reporter, input, results, state);
    }
    if (!ok)
        return 0;
    std::size_t tokens = 0;
    for (const Equation& eq : set.equations)
        tokens += eq.code.size();
    if (tokens > kLargestSet)
        return 0;

    setLibraryOutputCallback(test::countSentPiece);
    std::mt19937_64 rng(size);
    bool marked = false;
    Differentiator differentiator(reporter);
    differentiator.complexMode = settings.complexMode;
    for (Equation& eq : set.equations) {
        EvalError error;
        eq.code = foldPostfix(eq.code, reporter, error, settings.complexMode);
        marked = marked || eq.eliminate != 0 || eq.relation == 0x85;
        if (eq.code.size() > kLargestChain)
            continue;
        checkSimplified(eq.code, static_cast<std::size_t>(set.variables.count()),
                        settings.complexMode, reporter, rng);
        Chain derivative;
        for (std::uint32_t v : variablesOf(eq.code)) {
            differentiator.differentiate(eq.code, v, derivative);
            reporter.runError = false;
        }
    }
    if (marked) {
        EquationSet copy = set;
        Elimination elimination(copy, reporter);
        elimination.complexMode = settings.complexMode;
        elimination.run(false);
    }

    return 0;
}
