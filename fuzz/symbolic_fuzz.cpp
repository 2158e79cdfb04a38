// libFuzzer target for the symbolic work on whatever an equation file reads as: every
// equation read is folded, differentiated with respect to each of its variables and,
// where the file marks variables for elimination, eliminated. Any input must end in
// messages and a result, never a crash, a hang or a sanitizer report.
#include "ConstantFolding.h"
#include "Differentiator.h"
#include "Elimination.h"
#include "EquationFile.h"
#include "JacobianListing.h"
#include "TextFile.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace varnel;

namespace {

const std::filesystem::path& scratch()
{
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("varnel-symbolic-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        std::filesystem::current_path(path);
        return path;
    }();
    return folder;
}

constexpr std::size_t kLargestChain = 1000; // tokens differentiated per equation
constexpr std::size_t kLargestSet = 3000;   // tokens of a set that is worked on; the
                                            // bounds for larger sets have tests of their own

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
        ok = readEquationFile((dir / "fz.ALG").string(), (dir / "fz").string(), settings, set, reporter, input,
                              results, state);
    }
    if (!ok)
        return 0;
    std::size_t tokens = 0;
    for (const Equation& eq : set.equations)
        tokens += eq.code.size();
    if (tokens > kLargestSet)
        return 0;

    bool marked = false;
    Differentiator differentiator(reporter);
    differentiator.complexMode = settings.complexMode;
    for (Equation& eq : set.equations) {
        EvalError error;
        eq.code = foldPostfix(eq.code, reporter, error, settings.complexMode);
        marked = marked || eq.eliminate != 0 || eq.relation == 0x85;
        if (eq.code.size() > kLargestChain)
            continue;
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
