// libFuzzer target for the front of the equation language: arbitrary bytes as an
// equation file (and, after a line "#FUN", as the function file H.FUN), read with the
// options line, the line breaking and the statement reader in real or complex mode,
// then every equation read is evaluated. A reading must either fail with a parse error
// or leave well-formed postfix chains; anything else traps.
#include "Code.h"
#include "EquationFile.h"
#include "EquationSet.h"
#include "Evaluator.h"
#include "Lexer.h"
#include "Reporter.h"
#include "RunSettings.h"
#include "TextFile.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

using namespace varnel;

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void writeBytes(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

/// A scratch folder that is also the working directory, so that function files are
/// looked up among a handful of names only.
const std::filesystem::path& scratch()
{
    static const std::filesystem::path folder = [] {
        std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("varnel-language-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        std::filesystem::current_path(path);
        // Fixed function files: two parameters, nested calls, and one that calls itself.
        writeBytes(path / "F.FUN", "F 2\nSQRT(%1^2 + %2^2) + G(%2)\n");
        writeBytes(path / "G.fun", "G 1\n2*%1;\n");
        writeBytes(path / "R.FUN", "R 1\nR(%1) + 1\n");
        return path;
    }();
    return folder;
}

/// Postfix discipline of a chain the parser made: no operation finds too few operands,
/// at least one value is left, ";" only at the end, variable numbers in range.
void checkChain(const Chain& chain, int variables)
{
    check(!chain.empty() && chain.back().kind == kind::End);
    long depth = 0;
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
        const Token& t = chain[i];
        switch (t.kind) {
        case kind::Constant:
            ++depth;
            break;
        case kind::Variable:
            check(t.index >= 1 && static_cast<int>(t.index) <= variables);
            ++depth;
            break;
        case kind::Unary:
            check(depth >= 1);
            break;
        case kind::Binary:
            if (t.op == 'H') {
                check(depth >= 2);
            } else if (t.op == 'F') {
                check(depth >= 3);
                depth -= 2;
            } else {
                check(depth >= 2);
                depth -= 1;
            }
            break;
        default:
            check(false);
        }
    }
    check(depth >= 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path& dir = scratch();
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string_view function;
    if (const std::size_t split = bytes.find("\n#FUN\n"); split != std::string_view::npos) {
        function = bytes.substr(split + 6);
        bytes = bytes.substr(0, split);
    }
    writeBytes(dir / "fz.ALG", bytes);
    writeBytes(dir / "H.FUN", function);

    RunSettings settings;
    EquationSet set;
    ParseState state;
    Reporter reporter;
    bool ok = false;
    {
        TextFile input;
        TextFile results;
        ok = readEquationFile((dir / "fz.ALG").string(), (dir / "fz").string(), settings, set,
                              reporter, input, results, state);
    }
    if (!ok) {
        // A refused options line stops the reading without a parse error.
        check(state.abort || reporter.runError);
        check(!state.errorMessage.empty() || state.interrupted || reporter.runError);
        return 0;
    }
    check(!state.abort && state.errorMessage.empty());
    check(set.equationCount() <= kMaxEquations);
    check(set.variables.count() <= kMaxVariables);

    // The working copy holds no line longer than 80 characters, unless a name or a
    // number longer than a line runs through the rest of it.
    std::istringstream copy(workingCopyOf(bytes));
    for (std::string line; std::getline(copy, line);)
        check(line.size() <= 80 || line.find_first_of(" \t\r", 79) == std::string::npos);

    std::vector<double> values(static_cast<std::size_t>(set.variables.count()) + 1, 0.5);
    Evaluator evaluator(reporter);
    evaluator.complexMode = settings.complexMode;
    for (const Equation& e : set.equations) {
        checkChain(e.code, set.variables.count());
        evaluator.clearError();
        (void)evaluator.evaluate(e.code, values.data());
    }
    return 0;
}
