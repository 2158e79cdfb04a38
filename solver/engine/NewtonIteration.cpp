// The damped Newton iteration over the equation groups and the verdict of a step.
#include "NewtonIteration.h"

#include "GuardedMath.h"
#include "ResultTable.h"

#include <algorithm>
#include <cmath>

namespace varnel {

namespace {
constexpr int kMaxInterpolations = 11;
} // namespace

bool NewtonIteration::analyse(RunContext& context, Jacobian& jacobian)
{
    PhaseClock clock(context.times.structure);
    m_errorEquation = 0;
    auto onFailure = [&](int e) { recordFailure(context, e); };
    const bool ok = m_ordering.analyseSystem(
        jacobian.matrix(), [&] { jacobian.evaluate(context, m_ordering, 0, onFailure); },
        [&](int g) { jacobian.evaluate(context, m_ordering, g, onFailure); }, context.reporter,
        context.ifMode != 2, &m_errorEquation);
    return ok && !m_ordering.singular() && !context.reporter.runError;
}

void NewtonIteration::recordFailure(const RunContext& context, int equation)
{
    m_failingMark = true;
    m_errorExponent = 99;
    if (m_errorEquation == 0) {
        m_errorEquation = equation;
        m_errorText = std::string(context.evaluator.error().message());
    }
}

double NewtonIteration::groupResidualNorm(RunContext& context, int group, int& worst)
{
    double norm = -1.0;
    worst = 0;
    m_failingMark = false;
    for (int p = m_ordering.groupFirst(group); p <= m_ordering.groupLast(group); ++p) {
        const int i = m_ordering.equationAt(p);
        double r = context.evaluator.evaluateReal(context.set.equation(i).code,
                                                  context.set.variables.values.data());
        const bool failed = context.evaluator.error().mark();
        double magnitude = std::fabs(r);
        // A residual that is no number (a starting value that was none) is never small.
        if (r == UNDEFINED || std::isnan(r))
            magnitude = BIG;
        if (failed) {
            r = 0.0;
            magnitude = BIG;
            recordFailure(context, i);
        }
        m_work[static_cast<std::size_t>(p)] = r;
        if (magnitude > norm) {
            norm = magnitude;
            worst = i;
        }
        if (context.reporter.interruptRequested())
            break;
    }
    return norm < 0.0 ? 0.0 : norm;
}

void NewtonIteration::evalFactorSolveAdd(RunContext& context, Jacobian& jacobian,
                                         int maxInterpolations)
{
    trace("In EvalFactorSolveAdd, MaxInterpolations=%d\n", maxInterpolations);
    m_largestResidual = 0.0;
    const int g0 = m_convergedGroups;
    bool allConverged = true;
    bool goOn = true;
    bool endedFailing = false;
    int halvings = 0;
    std::vector<double>& x = context.set.variables.values;
    for (int g = g0 + 1; g <= m_ordering.groupCount() && goOn; ++g) {
        if (context.reporter.interruptRequested()) {
            context.reporter.reportInterrupted();
            context.reporter.runError = true;
            return;
        }
        jacobian.evaluate(context, m_ordering, g, [&](int e) { recordFailure(context, e); });
        keepGroupValues(jacobian.matrix(), m_ordering, g, m_block);
        factorGroup(jacobian.matrix(), m_ordering, g, m_workspace);

        int worst = 0;
        const double r0 = groupResidualNorm(context, g, worst);
        m_rhs.resize(m_work.size());
        std::copy(m_work.begin() + m_ordering.groupFirst(g),
                  m_work.begin() + m_ordering.groupLast(g) + 1,
                  m_rhs.begin() + m_ordering.groupFirst(g));
        solveGroup(jacobian.matrix(), m_ordering, g, m_work);
        // The pivots were chosen at the starting values; one that has become tiny since
        // (a multiplier or slack going to zero) loses digits that refinement wins back.
        refineGroupSolution(jacobian.matrix(), m_ordering, g, m_block, m_rhs, m_work, m_remainder);
        for (int p = m_ordering.groupFirst(g); p <= m_ordering.groupLast(g); ++p) {
            const auto v = static_cast<std::size_t>(m_ordering.variableAt(p));
            x[v] = guardedSub(x[v], m_work[static_cast<std::size_t>(p)]);
        }
        if (traceEnabled()) {
            trace("\nSolution:\n");
            for (int p = m_ordering.groupFirst(g); p <= m_ordering.groupLast(g); ++p)
                trace("%10.6f\n", m_work[static_cast<std::size_t>(p)]);
            trace("New variable values:\n");
            for (int k = 1; k <= context.set.variables.count(); ++k)
                trace("%.6f\n", x[static_cast<std::size_t>(k)]);
        }

        double r1 = groupResidualNorm(context, g, worst);
        halvings = 0;
        while ((r1 > r0 || m_failingMark) && halvings <= maxInterpolations &&
               !meetsTolerance(r1, context.settings.toleranceExponent)) {
            ++halvings;
            for (int p = m_ordering.groupFirst(g); p <= m_ordering.groupLast(g); ++p) {
                const auto v = static_cast<std::size_t>(m_ordering.variableAt(p));
                x[v] = guardedMul(guardedAdd(x[v], m_savedValues[v]), 0.5);
            }
            r1 = groupResidualNorm(context, g, worst);
        }
        endedFailing = endedFailing || m_failingMark;
        if (halvings > maxInterpolations)
            goOn = false;
        if (!meetsTolerance(r1, context.settings.toleranceExponent))
            allConverged = false;
        else if (allConverged)
            m_convergedGroups = g;
        if (r1 > m_largestResidual) {
            m_largestResidual = r1;
            m_worstEquation = worst;
        }
    }
    if (endedFailing && m_errorEquation != 0) {
        // A failure that the damping repaired is no error; one that remains ends the step.
        context.reporter.send("Error in Eqn ");
        context.reporter.sendf("%4d", m_errorEquation);
        if (!context.settings.complexMode)
            context.reporter.send(", try complex mode");
        context.reporter.send("\n");
        context.reporter.send(m_errorText);
        context.reporter.raiseError();
    }
    m_errorExponent = decimalExponent(m_largestResidual);
    if (halvings >= maxInterpolations)
        m_dampingExhausted = true;
}

bool NewtonIteration::converged(const RunContext& context) const
{
    // An exactly zero largest residual (exponent -99) meets every tolerance.
    const bool small = m_errorExponent < context.settings.toleranceExponent ||
                       (m_errorExponent == -99 && m_largestResidual == 0.0);
    return small && m_convergedGroups >= m_ordering.groupCount();
}

void NewtonIteration::printIteration(RunContext& context) const
{
    if (!context.settings.showResults)
        return;
    context.reporter.send("Iter:");
    context.reporter.sendf("%4d", m_iterationCount);
    context.reporter.send(" Worse Eq.:");
    context.reporter.sendf("%4d", m_worstEquation);
    context.reporter.send("  Tol: E");
    context.reporter.sendf("%4d", m_errorExponent);
    if (context.settings.showIterations) {
        context.reporter.send("\n");
        for (int k = 1; k <= context.set.variables.count(); ++k) {
            context.reporter.send(" ");
            context.reporter.send(context.set.variables.names[static_cast<std::size_t>(k)]);
            context.reporter.send("=");
            context.reporter.sendf("%.12lf",
                                   context.set.variables.values[static_cast<std::size_t>(k)]);
        }
        context.reporter.send("\n");
        context.reporter.send(std::string(51, '-'));
    }
    context.reporter.send("\n");
}

bool NewtonIteration::iterate(RunContext& context, Jacobian& jacobian, bool showProgress)
{
    m_previousLargest = 1e50;
    m_errorExponent = 99;
    m_worstEquation = 0;
    m_iterationCount = 0;
    m_convergedGroups = 0;
    m_errorEquation = 0;
    m_errorText.clear();
    m_work.assign(static_cast<std::size_t>(context.set.equationCount()) + 1, 0.0);
    for (;;) {
        if (context.settings.method == method::Newton || context.settings.method == method::Robust)
            trace("Newton Method!\n");
        ++m_iterationCount;
        context.times.newtonIterations = m_iterationCount;
        trace("Iteration = %d\n", m_iterationCount);
        saveVariables(context.set.variables, m_savedValues);
        if (!context.reporter.runError)
            evalFactorSolveAdd(context, jacobian, kMaxInterpolations);
        if (showProgress)
            printIteration(context);
        if (m_ordering.singular()) {
            trace("Singularity Errror!");
            return false;
        }
        const bool stop = m_iterationCount >= context.settings.maxIterations ||
                          converged(context) || context.reporter.runError || m_dampingExhausted ||
                          m_largestResidual > m_previousLargest;
        m_previousLargest = m_largestResidual;
        if (stop)
            return true;
    }
}

void NewtonIteration::reportStep(RunContext& context) const
{
    if (context.reporter.runError) {
        context.reporter.send("Error in Solution ");
        context.reporter.sendf("%4d", context.stepNumber);
        context.reporter.send("\n");
        context.reporter.beep();
        return;
    }
    if (m_dampingExhausted) {
        context.reporter.send("Solution ");
        context.reporter.sendf("%4d", context.stepNumber);
        context.reporter.send(" Not Found");
        context.reporter.send("\n");
        context.reporter.beep();
        return;
    }
    if (m_convergedGroups < m_ordering.groupCount()) {
        const int g = m_convergedGroups + 1;
        context.reporter.send("Eqn ");
        context.reporter.sendf("%4d", m_ordering.equationAt(m_ordering.groupFirst(g)));
        context.reporter.send(" group failed");
        context.reporter.send("\n");
        return;
    }
    if (m_iterationCount >= context.settings.maxIterations && !converged(context)) {
        context.reporter.send("Iteration Limit Sol ");
        context.reporter.sendf("%4d", context.stepNumber);
        return;
    }
    if (!context.integrating) {
        context.reporter.send("\n");
        context.reporter.send("Solution Found!");
        context.reporter.send("\n");
    }
}

} // namespace varnel
