// The damped Newton iteration over the equation groups: one step of the system from the
// current values until the largest residual is below the tolerance, the iteration limit
// is reached, the damping gives up or an evaluation fails; its progress line and the
// verdict of the step.
#include "CVarnel.h"

#include "GuardedMath.h"
#include "JacobianListing.h"
#include "LinearSolver.h"
#include "ResultTable.h"

#include <cmath>

using namespace varnel;

namespace {
constexpr int kMaxInterpolations = 11;
} // namespace

double CVarnel::residualOf(int i, bool& failed)
{
    const Equation& eq = set.equation(i);
    const double r = evaluator.evaluateReal(eq.code, set.variables.values.data());
    failed = evaluator.error().mark();
    return r;
}

void CVarnel::recordFailure(int equation)
{
    failingMark = true;
    errorExponent = 99;
    if (errorEquation == 0) {
        errorEquation = equation;
        errorText = std::string(evaluator.error().message());
    }
}

double CVarnel::groupResidualNorm(int group, int& worst)
{
    double norm = -1.0;
    worst = 0;
    failingMark = false;
    for (int p = ordering.groupFirst(group); p <= ordering.groupLast(group); ++p) {
        const int i = ordering.equationAt(p);
        bool failed = false;
        double r = residualOf(i, failed);
        double magnitude = std::fabs(r);
        if (r == UNDEFINED)
            magnitude = BIG;
        if (failed) {
            r = 0.0;
            magnitude = BIG;
            recordFailure(i);
        }
        m_work[static_cast<std::size_t>(p)] = r;
        if (magnitude > norm) {
            norm = magnitude;
            worst = i;
        }
        if (reporter.interruptRequested())
            break;
    }
    return norm < 0.0 ? 0.0 : norm;
}

void CVarnel::reportJacobianFailure(int equation)
{
    reporter.send("Error Evaluating Jacobian for Equation ");
    reporter.sendf("%d", equation);
    reporter.send("\n");
    reporter.send(evaluator.error().message());
    recordFailure(equation);
}

void CVarnel::evaluateJacobian(int group)
{
    const int first = group > 0 ? ordering.groupFirst(group) : 1;
    const int last = group > 0 ? ordering.groupLast(group) : set.equationCount();
    double* values = set.variables.values.data();
    for (int p = first; p <= last; ++p) {
        const int i = group > 0 ? ordering.equationAt(p) : p;
        if (settings.jacobianMethod == JACOBIAN_INCREMENTAL) {
            // Fill-in positions hold no derivative of their own.
            for (int e = matrix.rowHead(i); e >= 0; e = matrix.entry(e).nextInRow)
                matrix.entry(e).value = 0.0;
            bool failed = false;
            const double f0 = residualOf(i, failed);
            if (failed) {
                reportJacobianFailure(i);
            }
            for (std::uint32_t j : variablesOf(set.equation(i).code)) {
                const int e = matrix.find(i, static_cast<int>(j));
                if (e < 0)
                    continue;
                const double saved = values[j];
                values[j] = guardedAdd(saved, settings.deltaJ);
                const double f1 = residualOf(i, failed);
                values[j] = saved;
                if (failed) {
                    reportJacobianFailure(i);
                }
                matrix.entry(e).value = guardedDiv(guardedSub(f1, f0), settings.deltaJ);
                trace("J(%d,%u)=%.6f\n", i, j, matrix.entry(e).value);
            }
            continue;
        }
        for (int e = matrix.rowHead(i); e >= 0; e = matrix.entry(e).nextInRow) {
            MatrixEntry& entry = matrix.entry(e);
            if (entry.code.empty()) {
                entry.value = 0.0;
                continue;
            }
            entry.value = evaluator.evaluateReal(entry.code, values);
            if (evaluator.error().mark()) {
                reportJacobianFailure(i);
            }
            trace("J(%d,%d)=%.6f\n", entry.row, entry.column, entry.value);
        }
    }
}

void CVarnel::evalFactorSolveAdd(int maxInterpolations)
{
    trace("In EvalFactorSolveAdd, MaxInterpolations=%d\n", maxInterpolations);
    largestResidual = 0.0;
    const int g0 = convergedGroups;
    bool allConverged = true;
    bool goOn = true;
    bool endedFailing = false;
    int halvings = 0;
    std::vector<double>& x = set.variables.values;
    for (int g = g0 + 1; g <= ordering.groupCount() && goOn; ++g) {
        if (reporter.interruptRequested()) {
            reporter.reportInterrupted();
            reporter.runError = true;
            return;
        }
        evaluateJacobian(g);
        factorGroup(matrix, ordering, g, m_workspace);

        int worst = 0;
        const double r0 = groupResidualNorm(g, worst);
        solveGroup(matrix, ordering, g, m_work);
        for (int p = ordering.groupFirst(g); p <= ordering.groupLast(g); ++p) {
            const auto v = static_cast<std::size_t>(ordering.variableAt(p));
            x[v] = guardedSub(x[v], m_work[static_cast<std::size_t>(p)]);
        }
        if (traceEnabled()) {
            trace("\nSolution:\n");
            for (int p = ordering.groupFirst(g); p <= ordering.groupLast(g); ++p)
                trace("%10.6f\n", m_work[static_cast<std::size_t>(p)]);
            trace("New variable values:\n");
            for (int k = 1; k <= set.variables.count(); ++k)
                trace("%.6f\n", x[static_cast<std::size_t>(k)]);
        }

        double r1 = groupResidualNorm(g, worst);
        halvings = 0;
        while ((r1 > r0 || failingMark) && halvings <= maxInterpolations &&
               decimalExponent(r1) >= settings.toleranceExponent) {
            ++halvings;
            for (int p = ordering.groupFirst(g); p <= ordering.groupLast(g); ++p) {
                const auto v = static_cast<std::size_t>(ordering.variableAt(p));
                x[v] = guardedMul(guardedAdd(x[v], savedValues[v]), 0.5);
            }
            r1 = groupResidualNorm(g, worst);
        }
        endedFailing = endedFailing || failingMark;
        if (halvings > maxInterpolations)
            goOn = false;
        if (decimalExponent(r1) >= settings.toleranceExponent)
            allConverged = false;
        else if (allConverged)
            convergedGroups = g;
        if (r1 > largestResidual) {
            largestResidual = r1;
            worstEquation = worst;
        }
    }
    if (endedFailing && errorEquation != 0) {
        // A failure that the damping repaired is no error; one that remains ends the step.
        reporter.send("Error in Eqn ");
        reporter.sendf("%4d", errorEquation);
        if (!settings.complexMode)
            reporter.send(", try complex mode");
        reporter.send("\n");
        reporter.send(errorText);
        reporter.raiseError();
    }
    errorExponent = decimalExponent(largestResidual);
    if (halvings >= maxInterpolations)
        dampingExhausted = true;
}

bool CVarnel::converged() const
{
    return errorExponent < settings.toleranceExponent && convergedGroups >= ordering.groupCount();
}

void CVarnel::printIteration()
{
    if (!settings.showResults)
        return;
    reporter.send("Iter:");
    reporter.sendf("%4d", iterationCount);
    reporter.send(" Worse Eq.:");
    reporter.sendf("%4d", worstEquation);
    reporter.send("  Tol: E");
    reporter.sendf("%4d", errorExponent);
    if (settings.showIterations) {
        reporter.send("\n");
        for (int k = 1; k <= set.variables.count(); ++k) {
            reporter.send(" ");
            reporter.send(set.variables.names[static_cast<std::size_t>(k)]);
            reporter.send("=");
            reporter.sendf("%.12lf", set.variables.values[static_cast<std::size_t>(k)]);
        }
        reporter.send("\n");
        reporter.send(std::string(51, '-'));
    }
    reporter.send("\n");
}

bool CVarnel::iterate(bool showProgress)
{
    previousLargest = 1e50;
    errorExponent = 99;
    worstEquation = 0;
    iterationCount = 0;
    convergedGroups = 0;
    errorEquation = 0;
    errorText.clear();
    m_work.assign(static_cast<std::size_t>(set.equationCount()) + 1, 0.0);
    for (;;) {
        if (settings.method == METHOD_NEWTON || settings.method == METHOD_ROBUST)
            trace("Newton Method!\n");
        ++iterationCount;
        trace("Iteration = %d\n", iterationCount);
        saveVariables(set.variables, savedValues);
        if (!reporter.runError)
            evalFactorSolveAdd(kMaxInterpolations);
        if (showProgress)
            printIteration();
        if (ordering.singular()) {
            trace("Singularity Errror!");
            return false;
        }
        const bool stop = iterationCount >= settings.maxIterations || converged() || reporter.runError ||
                          dampingExhausted || largestResidual > previousLargest;
        previousLargest = largestResidual;
        if (stop)
            return true;
    }
}

void CVarnel::doRegularSolution()
{
    trace("\nIn DoRegularSolution\n");
    iterate(true);
}

void CVarnel::reportStep()
{
    if (reporter.runError) {
        reporter.send("Error in Solution ");
        reporter.sendf("%4d", stepNumber);
        reporter.send("\n");
        reporter.beep();
        return;
    }
    if (dampingExhausted) {
        reporter.send("Solution ");
        reporter.sendf("%4d", stepNumber);
        reporter.send(" Not Found");
        reporter.send("\n");
        reporter.beep();
        return;
    }
    if (convergedGroups < ordering.groupCount()) {
        const int g = convergedGroups + 1;
        reporter.send("Eqn ");
        reporter.sendf("%4d", ordering.equationAt(ordering.groupFirst(g)));
        reporter.send(" group failed");
        reporter.send("\n");
        return;
    }
    if (iterationCount >= settings.maxIterations && errorExponent >= settings.toleranceExponent) {
        reporter.send("Iteration Limit Sol ");
        reporter.sendf("%4d", stepNumber);
        return;
    }
    if (!integrating) {
        reporter.send("\n");
        reporter.send("Solution Found!");
        reporter.send("\n");
    }
}
