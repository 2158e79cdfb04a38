// libFuzzer target for the equation printer on whatever an equation file reads as: the set
// read (its constants folded) is saved in the layout of the run's working copy of the
// text, and the saved text must read back without a parse error whenever the variable
// names are plain words.
// Any input must end in messages and a result, never a crash, a hang or a sanitizer report.
#include "CharClasses.h"
#include "ConstantFolding.h"
#include "EquationFile.h"
#include "EquationSaver.h"
#include "FunctionTable.h"
#include "Lexer.h"
#include "NameTable.h"
#include "Parser.h"
#include "TextFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

using namespace varnel;

namespace {

const std::filesystem::path& scratch()
{
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() /
                    ("varnel-printer-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        std::filesystem::current_path(path);
        return path;
    }();
    return folder;
}

constexpr std::size_t kLargestSet = 20000; // tokens of a set that is printed

/// Names that the lexer reads back as the same variable. Left out of the read-back check:
/// the polar unknowns of complex mode, which carry bytes outside the word class, and the
/// names of functions and of PI, which only the elimination mark makes variables.
bool plainNames(const VariableTable& variables)
{
    for (int k = 1; k <= variables.count(); ++k) {
        const std::string& name = variables.names[static_cast<std::size_t>(k)];
        if (name.empty() || !isNameStartChar(static_cast<unsigned char>(name[0])) ||
            lookupFunction(name) != 0 || lookupTwoArgumentFunction(name) != 0 || name == "PI" ||
            name == "\xF0")
            return false;
        for (const char c : name)
            if (!isWordChar(static_cast<unsigned char>(c)))
                return false;
    }
    return true;
}

/// Reads every statement of `text`; false at the first parse error.
bool readsBack(const std::string& text)
{
    ParseState state;
    Reporter reporter;
    Lexer lexer(state, reporter);
    lexer.pushSource(text);
    NameTable names;
    VariableTable variables;
    Parser parser(lexer, names, variables);
    parser.start();
    while (parser.lookahead() != Lexer::kEnd) {
        parser.parseStatement();
        if (state.abort || parser.lookahead() != ';')
            return false;
        parser.advance();
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path& dir = scratch();
    TextFile::setQuiet(true);
    const std::string text(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(dir / "fz.ALG", std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }

    RunSettings settings;
    EquationSet set;
    ParseState state;
    Reporter reporter;
    {
        TextFile input, results;
        if (!readEquationFile((dir / "fz.ALG").string(), (dir / "fz").string(), settings, set,
                              reporter, input, results, state))
            return 0;
    }
    std::size_t tokens = 0;
    for (const Equation& eq : set.equations)
        tokens += eq.code.size();
    if (tokens > kLargestSet)
        return 0;
    for (Equation& eq : set.equations) {
        EvalError error;
        eq.code = foldPostfix(eq.code, reporter, error, settings.complexMode);
    }

    // The working copy: the text the statements were read from (no options line).
    const std::string copy = workingCopyOf(text);
    // Every chain the reader makes is complete, so saving must succeed. The one exception is
    // the at-least and at-most signs: they join their two sides with no operation, which the
    // printer can only write back as the statement's own relation. Inside parentheses or a
    // polar angle they leave a chain with two values that no run can evaluate, and saving it
    // fails with "Equation Ended Prematurely" (a false result, not a crash).
    reporter.runError = false;
    std::string saved;
    if (!saveEquations(copy, set, true, reporter, saved)) {
        if (text.find_first_of("\xF2\xF3") != std::string::npos)
            return 0;
        std::abort();
    }
    if (plainNames(set.variables) && !readsBack(saved))
        std::abort();
    return 0;
}
