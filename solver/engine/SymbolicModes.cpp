// The symbolic modes of a run over the symbolic operations.
#include "SymbolicModes.h"

#include "Compilation.h"
#include "SymbolicOperations.h"

namespace varnel {

namespace {

bool readAndCompile(ModeRun& run)
{
    return readEquations(run.context) && run.steps.compile(run.context);
}

/// The symbolic Jacobian of the compiled set written to ".SJC" (listing first).
bool produceJacobian(SymbolicOperations& operations)
{
    if (!operations.listingComplete() && !operations.writeListing()) {
        operations.reportListingNeeded();
        return false;
    }
    return runWithListing(operations, [&] { return operations.exportJacobian(true); });
}

} // namespace

bool solveProducedFile(ModeRun& run, const std::string& path)
{
    RunContext& context = run.context;
    context.closeStreams();
    context.files.equationFile = path;
    return readEquations(context) && run.steps.solveAlgebraic(context);
}

bool symbolicMode(ModeRun& run)
{
    if (!readAndCompile(run))
        return false;
    const std::string name = run.mode.substr(1);
    SymbolicOperations operations(run.context);
    // "SR" is the export of that name (the second symbolic linearization), not an
    // operation followed by a solution.
    if (name.size() < 2 || name[1] != 'R' || name[0] == 'S')
        return runWithListing(operations, name);

    // Third letter "R": the operation, then the symbolic Jacobian of what it left, solved.
    const OperationResult result = operations.run(name);
    if (result == OperationResult::Failed || run.context.reporter.runError)
        return false;
    if (!produceJacobian(operations))
        return false;
    return solveProducedFile(run, operations.productPath("SJC"));
}

bool eliminationMode(ModeRun& run)
{
    if (!readAndCompile(run))
        return false;
    SymbolicOperations operations(run.context);
    if (operations.eliminate() != OperationResult::Done)
        return false;
    run.context.reporter.send("\n");
    run.context.reporter.send("Elimination DONE!");
    return true;
}

bool optimizationMode(ModeRun& run)
{
    if (!readAndCompile(run))
        return false;
    SymbolicOperations operations(run.context);
    if (!runWithListing(operations, [&] { return operations.exportJacobian(true); }))
        return false;
    // The Jacobian stage ends its text as a run of its own would, with a line end, so that
    // the solution's "Reading Equations..." starts a line.
    run.context.reporter.send("\n");
    return solveProducedFile(run, operations.productPath("SJC"));
}

bool simplificationMode(ModeRun& run)
{
    if (!readAndCompile(run))
        return false;
    SymbolicOperations operations(run.context);
    return operations.simplify() == OperationResult::Done;
}

} // namespace varnel
