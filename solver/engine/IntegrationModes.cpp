// Differential and integral equations through the run driver: read, compile, transform,
// save the transformed set, then repeatSteps or solveAlgebraic on the set held, and the
// user's equations put back.
#include "IntegrationModes.h"

#include "Compilation.h"
#include "ConstantFolding.h"
#include "Discretization.h"
#include "EquationFile.h"
#include "EquationSaver.h"
#include "ListFileSteps.h"
#include "Quadrature.h"
#include "TextFile.h"

#include <fstream>
#include <iterator>

namespace varnel {

namespace {

std::string wholeFile(const std::string& path, bool& ok)
{
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    return ok ? std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())
              : std::string();
}

bool cannotOpen(Reporter& reporter, const std::string& path)
{
    reporter.send("\n");
    reporter.send("Equation file ");
    reporter.send(path);
    reporter.send(" cannot be opened");
    reporter.raiseError();
    return false;
}

void copyValuesByName(const VariableTable& from, VariableTable& to)
{
    for (int k = 1; k <= to.count(); ++k) {
        const int f = from.find(to.names[static_cast<std::size_t>(k)]);
        if (f == 0)
            continue;
        const auto src = static_cast<std::size_t>(f);
        const auto dst = static_cast<std::size_t>(k);
        to.values[dst] = from.values[src];
        to.lower[dst] = from.lower[src];
        to.upper[dst] = from.upper[src];
    }
}

/// Saves the transformed set to base + ".SJC" in the layout of the user's file. The run
/// goes on with the set in memory rather than the text read back, so that it never
/// depends on the digits the text prints.
/// False, with the message sent and the run error raised, when the save or the folding fails.
bool saveTransformed(RunContext& context)
{
    Reporter& reporter = context.reporter;
    bool read = false;
    const std::string text = workingCopyOf(wholeFile(context.files.equationFile, read));
    if (!read)
        return cannotOpen(reporter, context.files.equationFile);
    const std::string output = context.files.baseName + ".SJC";
    std::string saved;
    if (!saveEquations(text, context.set, false, reporter, saved))
        return false;
    // Written whole or not at all: the product replaces the old file only on a clean close.
    TextFile product;
    if (product.openProduct(output)) {
        product.writeString(saved);
        product.close();
    }
    if (product.result() != 0) {
        reporter.send("\n");
        reporter.send("Unable to open file for output");
        reporter.raiseError();
        return false;
    }
    reportEquationsSaved(reporter, output);
    // Folded as the equations of a file read with automatic simplification are.
    if (context.settings.autoSimplify) {
        for (int i = 1; i <= context.set.equationCount(); ++i) {
            EvalError error;
            Chain& code = context.set.equation(i).code;
            code = foldPostfix(code, reporter, error, context.settings.complexMode);
            if (error.mark()) {
                reporter.send(error.message());
                reporter.send(" in Equation ");
                reporter.sendf("%d", i);
                reporter.raiseError();
                return false;
            }
        }
    }
    context.needsCompilation = false;
    return true;
}

/// Puts the user's equations and variables back, each variable with the value its name has
/// in the solved set.
void restore(RunContext& context, EquationSet original)
{
    copyValuesByName(context.set.variables, original.variables);
    context.set = std::move(original);
    context.needsCompilation = false;
}

/// Drops the variables that no equation uses any more (the variables of integration, whose
/// copies the quadrature replaced by numbers) and renumbers the others in their order.
void dropUnusedVariables(EquationSet& set)
{
    const auto n = static_cast<std::uint32_t>(set.variables.count());
    const auto refers = [n](const Token& t) {
        return (t.kind == kind::Variable || t.kind == kind::Constant) && t.index != 0 &&
               t.index <= n;
    };
    std::vector<std::uint32_t> renumber(n + 1, 0);
    for (const Equation& e : set.equations)
        for (const Token& t : e.code)
            if (refers(t))
                renumber[t.index] = 1;
    VariableTable kept;
    for (std::uint32_t k = 1; k <= n; ++k) {
        if (renumber[k] == 0)
            continue;
        renumber[k] =
            static_cast<std::uint32_t>(kept.add(set.variables.names[k], set.variables.values[k]));
        kept.lower.back() = set.variables.lower[k];
        kept.upper.back() = set.variables.upper[k];
    }
    for (Equation& e : set.equations) {
        for (Token& t : e.code)
            if (refers(t))
                t.index = renumber[t.index];
        e.eliminate = e.eliminate <= n ? renumber[e.eliminate] : 0;
    }
    set.variables = std::move(kept);
}

bool compileForTransform(RunContext& context)
{
    ListFileSteps noListFile;
    return readEquations(context) && compileEquations(context, noListFile);
}

bool differentialEquations(ModeRun& run, char rule)
{
    RunContext& context = run.context;
    if (!compileForTransform(context))
        return false;
    EquationSet& set = context.set;
    if (context.settings.repetitions < 1) {
        context.reporter.send("\n");
        context.reporter.sendf("Number of Steps (Repetitions) must be at least 1, not %d",
                               context.settings.repetitions);
        context.reporter.raiseError();
        return false;
    }

    std::vector<std::string> columns(set.variables.names.begin() + 1, set.variables.names.end());
    EquationSet original = set;
    SteppingPlan plan;
    if (!discretize(set, stepRuleFromCode(rule), context.settings.deltaT, context.reporter, plan)) {
        context.compileError = true;
        return false;
    }
    // The initial state is the user's: a state without a starting value would start from
    // a random guess, and the whole solution with it.
    for (const std::uint32_t x : plan.states) {
        if (x != plan.independent && set.variables.lower[x] != set.variables.upper[x]) {
            Reporter& reporter = context.reporter;
            reporter.send("\n");
            reporter.send("State ");
            reporter.send(set.variables.names[x]);
            reporter.send(" has no starting value");
            reporter.raiseError();
            restore(context, std::move(original));
            return false;
        }
    }
    // Time starts at 0 unless a starting-value statement fixed it (its range is then a
    // single point): a random guess would shift the whole solution in time. advanceStep
    // hands the start to the previous-step copy and its fixing equation.
    const std::size_t t = plan.independent;
    if (set.variables.lower[t] != set.variables.upper[t]) {
        set.variables.values[t] = 0.0;
        advanceStep(set, plan);
    }
    if (!saveTransformed(context)) {
        if (!context.reporter.runError) {
            context.reporter.send("\n");
            context.reporter.send("Equation Ended Prematurely");
            context.reporter.raiseError();
        }
        restore(context, std::move(original));
        return false;
    }

    context.integrating = true;
    context.stepTotal = context.settings.repetitions;
    context.reporter.send("\nNumber of Steps:");
    context.reporter.sendf("%4d", context.stepTotal);
    context.reporter.send("\n");
    run.steps.setIntegration(std::move(columns),
                             [&plan](RunContext& c) { advanceStep(c.set, plan); });
    const bool ok = run.steps.repeatSteps(context);
    run.steps.clearIntegration();
    context.integrating = false;
    restore(context, std::move(original));
    return ok;
}

bool integralEquations(ModeRun& run, char rule)
{
    RunContext& context = run.context;
    if (!compileForTransform(context))
        return false;
    EquationSet original = context.set;
    if (!integrateByQuadrature(context.set, quadratureRuleFromCode(rule), context.reporter)) {
        context.compileError = true;
        return false;
    }
    if (!saveTransformed(context)) {
        restore(context, std::move(original));
        return false;
    }
    dropUnusedVariables(context.set);
    const bool ok = run.steps.solveAlgebraic(context);
    restore(context, std::move(original));
    return ok;
}

} // namespace

bool runIntegrationMode(ModeRun& run)
{
    const std::string& mode = run.mode;
    const char kind = mode.size() >= 3 ? mode[2] : '\0';
    if (mode.size() >= 4 && mode[1] == 'D' && kind == 'I')
        return differentialEquations(run, mode.back());
    if (mode.size() >= 4 && mode[1] == 'D' && kind == 'D')
        return integralEquations(run, mode.back());
    Reporter& reporter = run.context.reporter;
    reporter.send("\n");
    reporter.send("Unknown mode \"");
    reporter.send(mode);
    reporter.send("\": nothing to do");
    reporter.raiseError();
    return false;
}

} // namespace varnel
