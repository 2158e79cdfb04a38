// The mode table of the solver object and the functions of the modes that are built.
#include "Modes.h"

#include "Compilation.h"
#include "SymbolicModes.h"
#include "SymbolicRuns.h"

#include <array>

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

bool graphGeneration(ModeRun& run)
{
    trace("Graph generation should be ported!\n");
    return stageNotBuilt(run.context.reporter, "Graph generation");
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
    ModeEntry{'D', nullptr, "Solving differential and integral equations"},
    ModeEntry{'K', constrainedOptimization, nullptr},
    ModeEntry{'O', optimizationMode, nullptr},
    ModeEntry{'R', simplificationMode, nullptr},
    ModeEntry{'G', graphGeneration, nullptr},
    ModeEntry{'W', nullptr, "Fourier analysis"},
};

constexpr std::array kUpdateModes{
    ModeEntry{'S', repeatedSteps, nullptr},
    ModeEntry{'I', nullptr, "Updating from a previous solution"},
    ModeEntry{'R', nullptr, "Updating from a previous solution"},
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
