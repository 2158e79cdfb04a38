// Reading and compiling the equation set of a run: the equation file through the
// language front end, then starting values, the equations that an attached list file
// adds, the counts, and the folding of every equation's constants.
#include "CVarnel.h"

#include "ConstantFolding.h"
#include "EquationFile.h"
#include "StartingValues.h"

using namespace varnel;

bool CVarnel::readEquations()
{
    PhaseClock clock(phaseTimes.reading);
    closeStreams();
    set.clear();
    if (!equationFileReadable())
        return false;
    ParseState state;
    const bool ok = readEquationFile(baseName, settings, set, reporter, streams[Input], streams[Results],
                                     streams[WorkingCopy], state);
    evaluator.complexMode = settings.complexMode;
    differentiator.complexMode = settings.complexMode;
    needsCompilation = true;
    listingNeeded = true;
    if (!ok || reporter.runError) {
        compileError = true;
        return false;
    }
    return true;
}

bool CVarnel::addListFileEquations()
{
    listEquationFirst = 0;
    listExhausted = false;
    if (!streams[ListFile].isOpen())
        return true;
    for (const std::string& name : listNames) {
        if (set.variables.find(name) == 0) {
            reporter.send("\n");
            reporter.send("List file name ");
            reporter.send(name);
            reporter.send(" is not a variable of the equations");
            reporter.raiseError();
            return false;
        }
    }
    // One equation per fixed-value column; the first data line gives their values.
    listEquationFirst = set.equationCount() + 1;
    for (std::size_t c = 0; c < listNames.size(); ++c) {
        if (listStartValue[c])
            continue;
        Equation eq;
        eq.code = {makeVariable(1), makeConstant(0.0), makeBinaryToken('-'), makeToken(kind::End, ' ', 0, 0.0)};
        set.equations.push_back(std::move(eq));
    }
    if (listEquationFirst > set.equationCount())
        listEquationFirst = 0;
    if (!readListFileLine()) {
        if (!reporter.runError) {
            reporter.send("\n");
            reporter.send("List file ");
            reporter.send(settings.listFileName);
            reporter.send(" has no values");
            reporter.raiseError();
        }
        return false;
    }
    return true;
}

bool CVarnel::compile()
{
    PhaseClock clock(phaseTimes.reading);
    if (reporter.runError || compileError)
        return false;
    setStartingValues(set, settings.guessMin, settings.guessMax, [this] { return random(); }, evaluator, reporter);
    if (!addListFileEquations()) {
        compileError = true;
        return false;
    }
    reporter.sendf("%4d", set.variables.count());
    reporter.send(" variables and ");
    reporter.sendf("%4d", set.equationCount());
    reporter.send(" equations \n");
    reporter.send("Finding Derivatives of Equations...\n");
    if (settings.autoSimplify) {
        for (int i = 1; i <= set.equationCount(); ++i) {
            EvalError error;
            set.equation(i).code = foldPostfix(set.equation(i).code, reporter, error, settings.complexMode);
            if (error.mark()) {
                reporter.send(error.message());
                reporter.send(" in Equation ");
                reporter.sendf("%d", i);
                reporter.raiseError();
                compileError = true;
                return false;
            }
        }
    }
    needsCompilation = false;
    listingNeeded = true;
    return !reporter.runError;
}

bool CVarnel::checkSize()
{
    const int n = set.equationCount();
    const int m = set.variables.count();
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
