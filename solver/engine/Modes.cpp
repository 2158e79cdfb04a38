// The mode table of the solver object and the functions of the modes that are built.
#include "Modes.h"

#include "Compilation.h"
#include "FourierRun.h"
#include "GraphSweep.h"
#include "IntegrationModes.h"
#include "SymbolicModes.h"
#include "SymbolicRuns.h"
#include "UpdateFile.h"

#include <array>
#include <vector>

namespace varnel {

namespace {

bool unknownMode(Reporter& reporter, const std::string& mode)
{
    reporter.send("\n");
    reporter.send("Unknown mode \"");
    reporter.send(mode);
    reporter.send("\": nothing to do");
    reporter.raiseError();
    return false;
}

bool runEntry(const ModeEntry* entry, ModeRun& run)
{
    if (entry->run != nullptr)
        return entry->run(run);
    return stageNotBuilt(run.context.reporter, entry->stage);
}

const ModeEntry* find(std::span<const ModeEntry> table, char letter)
{
    for (const ModeEntry& e : table)
        if (e.letter == letter)
            return &e;
    return nullptr;
}

bool optionsOnly(ModeRun& run)
{
    return readOptionsOnly(run.context);
}

bool solve(ModeRun& run)
{
    return readEquations(run.context) && run.steps.solveAlgebraic(run.context);
}

bool failWith(Reporter& reporter, const char* message)
{
    reporter.send("\n");
    reporter.send(message);
    reporter.raiseError();
    return false;
}

/// Mode "G": the equations are read and compiled, the host chooses the swept variables
/// (request code 1), and the step loop solves one point per step while the sweep moves
/// the independent variable (and the parameter) between steps.
bool graphGeneration(ModeRun& run)
{
    trace("Graph generation should be ported!\n");
    RunContext& context = run.context;
    if (!readEquations(context) || !run.steps.compile(context))
        return false;
    const VariableTable& variables = context.set.variables;
    if (variables.count() < 2)
        return failWith(context.reporter, "Graph generation needs at least 2 variables");
    std::vector<const char*> names;
    for (int k = 1; k <= variables.count(); ++k)
        names.push_back(variables.names[static_cast<std::size_t>(k)].c_str());
    GraphRequest request;
    request.names = names.data();
    request.nameCount = variables.count();
    if (!context.ask(RequestGraph, &request))
        return failWith(context.reporter,
                        "Graph generation cancelled: the request was not answered");
    GraphSweep sweep;
    if (!sweep.prepare(context, request))
        return false;
    // The step loop outlives this run: the hook is taken back however the run ends.
    struct AdvanceHook {
        StepLoop& steps;
        ~AdvanceHook() { steps.setStepAdvance(nullptr); }
    } hook{run.steps};
    run.steps.setStepAdvance(
        [&sweep](RunContext& c, int solvedSteps) { sweep.advance(c, solvedSteps); });
    return run.steps.repeatSteps(context);
}

/// "UI" and "UR": solve (once, or once per list-file line when a list file is open), then
/// write the solution as the update file. "UR" first starts from the update file that an
/// earlier run wrote.
bool updateFromSolution(ModeRun& run)
{
    RunContext& context = run.context;
    if (!run.steps.compile(context))
        return false;
    if (run.mode[1] == 'R' && !readUpdateFile(context, context.files.baseName + ".UPD"))
        return false;
    bool solved = false;
    if (context.stream(Stream::ListFile).isOpen()) {
        context.stepTotal = context.settings.listFileCount;
        solved = run.steps.repeatSteps(context);
    } else {
        solved = run.steps.solveAlgebraic(context);
    }
    if (!solved || context.reporter.runError) {
        context.reporter.send("\n");
        context.reporter.send("Solve problem before updating");
        context.reporter.beep();
        return false;
    }
    const bool written = writeUpdateFile(context);
    context.needsCompilation = true;
    return written;
}

/// "W0": the run's result table; "W1": a table the host chooses (request code 3).
bool fourierAnalysis(ModeRun& run)
{
    const FourierFlags flags; // direction 1, amplitude and phase, radians
    if (run.mode.size() > 1 && run.mode[1] == '0')
        return runFourier(run.context, "", flags);
    trace("THis IS NOT COMPLETED");
    return runFourierOfChosenFile(run.context, flags);
}

/// "U" modes: the equations are read and the list file opened, then the second
/// character selects what runs; the list file is closed afterwards.
bool updates(ModeRun& run)
{
    RunContext& context = run.context;
    if (!readEquations(context))
        return false;
    if (context.settings.listFileAttached)
        run.steps.openListFile(context);
    const char sub = run.mode.size() > 1 ? run.mode[1] : '\0';
    const ModeEntry* entry = sub != '\0' ? find(updateModeTable(), sub) : nullptr;
    const bool ok =
        entry != nullptr ? runEntry(entry, run) : unknownMode(context.reporter, run.mode);
    context.stream(Stream::ListFile).close();
    return ok;
}

bool repeatedSteps(ModeRun& run)
{
    RunContext& context = run.context;
    context.stepTotal = context.settings.listFileCount;
    context.reporter.send("Number of Steps:");
    context.reporter.sendf("%4d", context.stepTotal);
    context.reporter.send("\n");
    if (context.stepTotal < 1) {
        context.reporter.send("\n");
        context.reporter.send("The number of steps must be at least 1");
        context.reporter.raiseError();
        return false;
    }
    return run.steps.repeatSteps(context);
}

constexpr std::array kModes{
    ModeEntry{'F', optionsOnly, nullptr},
    ModeEntry{'S', solve, nullptr},
    ModeEntry{'U', updates, nullptr},
    ModeEntry{'E', eliminationMode, nullptr},
    ModeEntry{'A', symbolicOrEstimation, nullptr},
    ModeEntry{'D', runIntegrationMode, nullptr},
    ModeEntry{'K', constrainedOptimization, nullptr},
    ModeEntry{'O', optimizationMode, nullptr},
    ModeEntry{'R', simplificationMode, nullptr},
    ModeEntry{'G', graphGeneration, nullptr},
    ModeEntry{'W', fourierAnalysis, nullptr},
};

constexpr std::array kUpdateModes{
    ModeEntry{'S', repeatedSteps, nullptr},
    ModeEntry{'I', updateFromSolution, nullptr},
    ModeEntry{'R', updateFromSolution, nullptr},
};

} // namespace

std::span<const ModeEntry> modeTable()
{
    return kModes;
}
std::span<const ModeEntry> updateModeTable()
{
    return kUpdateModes;
}

bool stageNotBuilt(Reporter& reporter, const char* stage)
{
    reporter.send("\n");
    reporter.send(stage);
    reporter.send(" is not available in this version of the library");
    reporter.raiseError();
    return false;
}

bool runMode(RunContext& context, StepLoop& steps, const std::string& mode)
{
    if (mode.empty()) {
        context.reporter.send("\n");
        context.reporter.send("No mode given: nothing to do");
        context.reporter.raiseError();
        return false;
    }
    const ModeEntry* entry = find(modeTable(), mode[0]);
    if (entry == nullptr)
        return unknownMode(context.reporter, mode);
    ModeRun run{context, steps, mode};
    return runEntry(entry, run);
}

} // namespace varnel
