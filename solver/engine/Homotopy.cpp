// The homotopy transformation of the equation set and the continuation along t.
#include "Homotopy.h"

#include "GuardedMath.h"
#include "ResultTable.h"

#include <cmath>

namespace varnel {

namespace {
constexpr double kSmallestStep = 2e-5;
const std::string kParameterName = std::string("t") + static_cast<char>(0xEB);
} // namespace

void Homotopy::transform(RunContext& context, Jacobian& jacobian)
{
    const int n = context.set.equationCount();
    const auto t = static_cast<std::uint32_t>(context.set.variables.count() + 1);
    for (int i = 1; i <= n; ++i) {
        Equation& eq = context.set.equation(i);
        double r = context.evaluator.evaluateReal(eq.code, context.set.variables.values.data());
        if (context.evaluator.error().mark())
            r = BIG;
        else if (std::fabs(r) <= TINY && r != UNDEFINED)
            r = 0.0;
        Chain code(eq.code.begin(), eq.code.end() - (eq.code.empty() ? 0 : 1));
        // f - (1 - t) * r
        code.push_back(makeOne());
        code.push_back(makeVariable(t));
        code.push_back(makeBinaryToken('-'));
        code.push_back(makeConstant(r));
        code.push_back(makeBinaryToken('*'));
        code.push_back(makeBinaryToken('-'));
        code.push_back(makeToken(kind::End, ' ', 0, 0.0));
        eq.code = std::move(code);
    }
    m_variable = static_cast<std::uint32_t>(context.set.variables.add(kParameterName, 0.0));
    Equation parameter;
    parameter.code = {makeVariable(m_variable), makeConstant(0.0), makeBinaryToken('-'),
                      makeToken(kind::End, ' ', 0, 0.0)};
    parameter.relation = ' ';
    context.set.equations.push_back(std::move(parameter));
    context.settings.method = method::Homotopy;
    context.settings.jacobianMethod = jacobian::Symbolic;
    jacobian.invalidate();
}

void Homotopy::remove(RunContext& context, Jacobian& jacobian)
{
    if (m_variable == 0)
        return;
    context.set.equations.pop_back();
    context.set.variables.truncate(static_cast<int>(m_variable) - 1);
    m_variable = 0;
    jacobian.invalidate();
}

void Homotopy::solve(RunContext& context, Jacobian& jacobian, NewtonIteration& newton)
{
    trace("\nIn DoHomotopySolution\n");
    m_succeeded = false;
    if (m_variable == 0)
        return;
    Equation& parameterEquation = context.set.equations.back();
    auto setTarget = [&](double target) {
        parameterEquation.code[1].value = target;
        m_targets.push_back(target);
    };
    std::vector<double>& x = context.set.variables.values;

    double h = context.settings.deltaT;
    double tau = h;
    context.reporter.runError = false;
    m_targets.clear();
    setTarget(tau);
    std::vector<double> accepted;
    saveVariables(context.set.variables, accepted);
    double acceptedResidual = newton.largestResidual();
    bool lastConverged = false;

    for (;;) {
        // Corrector at the fixed target tau.
        newton.setLargestResidual(BIG);
        if (!newton.iterate(context, jacobian, false))
            return;
        if (context.reporter.runError) {
            // An evaluation error counts as a failed correction: the step is halved.
            context.reporter.sendf("Error t=%.6f Iter:%4d Tol: E%4d\n", x[m_variable],
                                   newton.iterationCount(), newton.errorExponent());
            context.reporter.runError = false;
        }
        lastConverged = newton.converged(context);
        newton.setDampingExhausted(false);
        if (lastConverged) {
            if (newton.iterationCount() > 5)
                h *= 0.5;
            if (newton.iterationCount() < 3)
                h *= 2.0;
            saveVariables(context.set.variables, accepted);
            acceptedResidual = newton.largestResidual();
            tau += h;
            x[m_variable] = tau;
        } else {
            tau -= h;
            restoreVariables(context.set.variables, accepted);
            newton.setLargestResidual(acceptedResidual);
            h *= 0.5;
            tau += h;
        }
        setTarget(tau);
        const double t = x[m_variable];
        if (context.settings.method != method::Homotopy || context.reporter.runError || t >= 1.0 ||
            h < kSmallestStep)
            break;
    }

    if (lastConverged && !context.reporter.runError) {
        setTarget(1.0);
        context.settings.method = method::Robust;
        if (!newton.iterate(context, jacobian, true))
            return;
        m_succeeded = newton.converged(context);
        if (m_succeeded)
            return;
    }
    context.reporter.send("Homotopy method did not converge");
    context.reporter.send("\n");
    context.reporter.send("See Help for options");
    context.reporter.beep();
}

} // namespace varnel
