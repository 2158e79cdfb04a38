// Reading the equation file and preparing its equations for a solution.
#include "Compilation.h"

#include "ConstantFolding.h"
#include "EquationFile.h"
#include "ListFileSteps.h"
#include "OptionsLine.h"
#include "StartingValues.h"

#include <cstdio>
#include <filesystem>

namespace varnel {

namespace {
constexpr std::size_t kOptionsLineLimit = 1255;
} // namespace

bool equationFileReadable(RunContext& context)
{
    const std::string& file = context.files.equationFile;
    std::error_code ec;
    if (std::filesystem::is_regular_file(file, ec)) {
        std::FILE* probe = std::fopen(file.c_str(), "r");
        if (probe != nullptr) {
            std::fclose(probe);
            return true;
        }
    }
    Reporter& reporter = context.reporter;
    reporter.send("\n");
    reporter.send("Equation file ");
    reporter.send(file);
    reporter.send(" cannot be opened");
    reporter.raiseError();
    context.compileError = true;
    return false;
}

bool readEquations(RunContext& context)
{
    PhaseClock clock(context.times.reading);
    context.closeStreams();
    context.set.clear();
    // A file this run wrote is read as it was written, not as it is on disk now.
    const bool written =
        !context.writtenPath.empty() && context.files.equationFile == context.writtenPath;
    if (!written && !equationFileReadable(context))
        return false;
    ParseState state;
    const bool ok = readEquationFile(context.files.equationFile, context.files.baseName,
                                     context.settings, context.set, context.reporter,
                                     context.stream(Stream::Input), context.stream(Stream::Results),
                                     state, written ? &context.writtenText : nullptr);
    context.applyComplexMode();
    context.needsCompilation = true;
    if (!ok || context.reporter.runError) {
        context.compileError = true;
        return false;
    }
    return true;
}

bool readOptionsOnly(RunContext& context)
{
    if (!equationFileReadable(context))
        return false;
    TextFile& input = context.stream(Stream::Input);
    input.suppressMessages = true;
    if (!input.openRead(context.files.equationFile)) {
        context.reporter.raiseError();
        context.compileError = true;
        return false;
    }
    std::string line(kOptionsLineLimit + 1, '\0');
    const std::size_t length = input.readLine(line.data(), kOptionsLineLimit);
    line.resize(length);
    applyOptionsLine(line, context.settings, context.reporter);
    // The input stream is left open at its first line for the stage that follows.
    context.reporter.resetStream(input);
    return !context.reporter.runError;
}

bool compileEquations(RunContext& context, ListFileSteps& listFile)
{
    PhaseClock clock(context.times.reading);
    Reporter& reporter = context.reporter;
    EquationSet& set = context.set;
    if (reporter.runError || context.compileError)
        return false;
    setStartingValues(
        set, context.settings.guessMin, context.settings.guessMax,
        [&context] { return context.random(); }, context.evaluator, reporter);
    if (!listFile.addEquations(context)) {
        context.compileError = true;
        return false;
    }
    reporter.sendf("%4d", set.variables.count());
    reporter.send(" variables and ");
    reporter.sendf("%4d", set.equationCount());
    reporter.send(" equations \n");
    reporter.send("Finding Derivatives of Equations...\n");
    if (context.settings.autoSimplify) {
        for (int i = 1; i <= set.equationCount(); ++i) {
            EvalError error;
            set.equation(i).code =
                foldPostfix(set.equation(i).code, reporter, error, context.settings.complexMode);
            if (error.mark()) {
                reporter.send(error.message());
                reporter.send(" in Equation ");
                reporter.sendf("%d", i);
                reporter.raiseError();
                context.compileError = true;
                return false;
            }
        }
    }
    context.needsCompilation = false;
    return !reporter.runError;
}

bool checkSize(RunContext& context)
{
    Reporter& reporter = context.reporter;
    const int n = context.set.equationCount();
    const int m = context.set.variables.count();
    if (n != m && n != 0) {
        reporter.send("\n");
        reporter.send(n > m ? "Too many equations" : "Not enough equations");
        reporter.raiseError();
        return false;
    }
    if (n == 0) {
        reporter.send("\n");
        reporter.send("No equations to solve");
        reporter.raiseError();
        return false;
    }
    return true;
}

} // namespace varnel
