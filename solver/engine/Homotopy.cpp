// Homotopy continuation: every equation f(x) becomes f(x) - (1 - t) f(x0), which the
// starting values solve at t = 0; the parameter t is moved towards 1 with Newton
// corrections at each target, the step growing after easy corrections and shrinking
// after hard or failed ones; a final correction solves the user's equations at t = 1.
#include "CVarnel.h"

#include "GuardedMath.h"
#include "ResultTable.h"

#include <cmath>

using namespace varnel;

namespace {
constexpr double kSmallestStep = 2e-5;
const std::string kParameterName = std::string("t") + static_cast<char>(0xEB);
} // namespace

void CVarnel::homotopyTransform()
{
    const int n = set.equationCount();
    const auto t = static_cast<std::uint32_t>(set.variables.count() + 1);
    for (int i = 1; i <= n; ++i) {
        Equation& eq = set.equation(i);
        double r = evaluator.evaluateReal(eq.code, set.variables.values.data());
        if (evaluator.error().mark())
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
    homotopyVariable = static_cast<std::uint32_t>(set.variables.add(kParameterName, 0.0));
    Equation parameter;
    parameter.code = {makeVariable(homotopyVariable), makeConstant(0.0), makeBinaryToken('-'),
                      makeToken(kind::End, ' ', 0, 0.0)};
    parameter.relation = ' ';
    set.equations.push_back(std::move(parameter));
    settings.method = METHOD_HOMOTOPY;
    settings.jacobianMethod = JACOBIAN_SYMBOLIC;
    listingNeeded = true;
}

void CVarnel::removeHomotopy()
{
    if (homotopyVariable == 0)
        return;
    set.equations.pop_back();
    set.variables.truncate(static_cast<int>(homotopyVariable) - 1);
    homotopyVariable = 0;
    listingNeeded = true;
}

void CVarnel::doHomotopySolution()
{
    trace("\nIn DoHomotopySolution\n");
    homotopySucceeded = false;
    if (homotopyVariable == 0)
        return;
    Equation& parameterEquation = set.equations.back();
    auto setTarget = [&](double target) {
        parameterEquation.code[1].value = target;
        homotopyTargets.push_back(target);
    };
    std::vector<double>& x = set.variables.values;

    double h = settings.deltaT;
    double tau = h;
    reporter.runError = false;
    homotopyTargets.clear();
    setTarget(tau);
    m_work.assign(static_cast<std::size_t>(set.equationCount()) + 1, 0.0);
    std::vector<double> accepted;
    saveVariables(set.variables, accepted);
    double acceptedResidual = largestResidual;
    bool lastConverged = false;

    for (;;) {
        // Corrector at the fixed target tau.
        largestResidual = BIG;
        if (!iterate(false))
            return;
        if (reporter.runError) {
            // An evaluation error counts as a failed correction: the step is halved.
            reporter.sendf("Error t=%.6f Iter:%4d Tol: E%4d\n", x[homotopyVariable], iterationCount, errorExponent);
            reporter.runError = false;
        }
        lastConverged = converged();
        dampingExhausted = false;
        if (lastConverged) {
            if (iterationCount > 5)
                h *= 0.5;
            if (iterationCount < 3)
                h *= 2.0;
            saveVariables(set.variables, accepted);
            acceptedResidual = largestResidual;
            tau += h;
            x[homotopyVariable] = tau;
        } else {
            tau -= h;
            restoreVariables(set.variables, accepted);
            largestResidual = acceptedResidual;
            h *= 0.5;
            tau += h;
        }
        setTarget(tau);
        const double t = x[homotopyVariable];
        if (settings.method != METHOD_HOMOTOPY || reporter.runError || t >= 1.0 || h < kSmallestStep)
            break;
    }

    if (lastConverged && !reporter.runError) {
        setTarget(1.0);
        settings.method = METHOD_ROBUST;
        if (!iterate(true))
            return;
        homotopySucceeded = converged();
        if (homotopySucceeded)
            return;
    }
    reporter.send("Homotopy method did not converge");
    reporter.send("\n");
    reporter.send("See Help for options");
    reporter.beep();
}
