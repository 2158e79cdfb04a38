// Formatting of the Properties tree's lines from a document's settings.
#include "PropertyLines.h"

#include <cstdio>

namespace varnel {

namespace {

std::string format(const char* pattern, auto value)
{
    char text[400]; // room for %lf of any double
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

const char* truth(int value)
{
    return value != 0 ? "TRUE" : "FALSE";
}

} // namespace

const char* methodName(int method)
{
    static const char* const names[] = {"Newton", "Robust Newton", "Dishonest Newton", "Homotopy"};
    if (method < 0 || method > 3)
        return nullptr;
    return names[method];
}

std::string resultsNodeText(const SolverOptions& options)
{
    return options.resultsFound != 0 ? "Results: OK" : "Results: NOT FOUND";
}

std::vector<std::string> optionLines(const SolverOptions& o)
{
    const char* method = methodName(o.method);
    return {
        method ? format("Method = %s", method) : format("Method = %d", o.method),
        format("Jacoban Method = %s",
               o.jacobianMethod != 0 ? "Incremental Jacobian" : "Exact Jacobian"),
        format("Max. Iterations = %d", o.maxIterations),
        format("Min. Tolerance = E%d", o.toleranceExponent),
        format("Max. Initial Guess = %lf", o.guessMax),
        format("Min. Initial Guess = %lf", o.guessMin),
        format("Delta J = %lf", o.deltaJ),
        format("Delta T = %lf", o.deltaT),
        format("Auto Simplify = %s", truth(o.autoSimplify)),
        format("Auto Homotopy = %s", truth(o.autoHomotopy)),
        format("Solve in groups = %s", truth(o.solveInGroups)),
    };
}

} // namespace varnel
