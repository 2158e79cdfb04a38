// Discretization of a set of differential equations into the algebraic equations of one
// time step, and the bookkeeping between steps.
#include "Discretization.h"

#include "CalculusScan.h"
#include "Reporter.h"
#include "VariableCopies.h"

namespace varnel {

StepRule stepRuleFromCode(char code)
{
    switch (code) {
    case 'B':
        return StepRule::BackwardEuler;
    case 'T':
        return StepRule::Trapezoidal;
    default:
        return StepRule::Gear;
    }
}

bool discretize(EquationSet& set, StepRule rule, double deltaT, Reporter& reporter,
                SteppingPlan& plan)
{
    const CalculusScan scan = scanCalculus(set, reporter);
    if (scan.error)
        return false;
    if (scan.independent == 0) {
        reportCalculusError(reporter, message::NoIndependentVariable);
        return false;
    }
    // A step formula has no place for an integral: it would stay as written, unevaluated.
    if (scan.integralCount > 0) {
        reportCalculusError(reporter, message::IntegralWithDerivatives);
        return false;
    }
    double factor = deltaT;
    bool usesPreviousSlope = false;
    switch (rule) {
    case StepRule::BackwardEuler:
        break;
    case StepRule::Trapezoidal:
        factor = 0.5 * deltaT;
        usesPreviousSlope = true;
        break;
    case StepRule::Gear:
        reportCalculusError(reporter, message::OperationNotImplemented);
        return false;
    }

    const auto n = static_cast<std::uint32_t>(set.variables.count());
    const auto s = static_cast<std::uint32_t>(scan.states.size());
    const std::uint32_t extended = n + s; // new-step variables, derivatives included
    const int m = set.equationCount();
    if (2 * extended > static_cast<std::uint32_t>(kMaxVariables) ||
        2 * m + 2 * static_cast<int>(s) + 2 > kMaxEquations) {
        reportCalculusError(reporter, message::IllegalNumber);
        return false;
    }

    EquationSet out;
    out.variables = set.variables;
    CopyNames names(out.variables);
    std::vector<std::uint32_t> derivativeOf(n + 1, 0);
    for (std::uint32_t x : scan.states) {
        const std::string& name = set.variables.names[x];
        derivativeOf[x] =
            static_cast<std::uint32_t>(out.variables.add(names.make(name, kDerivativeSuffix), 0.0));
    }
    std::vector<std::uint32_t> previousOf(extended + 1, 0);
    for (std::uint32_t k = 1; k <= extended; ++k) {
        const std::string name = out.variables.names[k];
        const double value = out.variables.values[k];
        const auto copy =
            static_cast<std::uint32_t>(out.variables.add(names.make(name, "0"), value));
        out.variables.lower[copy] = out.variables.lower[k];
        out.variables.upper[copy] = out.variables.upper[k];
        previousOf[k] = copy;
    }

    // The user's equations at the new step, then at the previous step.
    std::vector<std::uint32_t> identity(n + 1);
    for (std::uint32_t k = 0; k <= n; ++k)
        identity[k] = k;
    std::vector<std::uint32_t> previousDerivativeOf(n + 1, 0);
    for (std::uint32_t x : scan.states)
        previousDerivativeOf[x] = previousOf[derivativeOf[x]];
    for (const Equation& e : set.equations)
        out.equations.push_back(
            {copyOntoVariables(e.code, identity, derivativeOf), e.relation, e.eliminate});
    for (const Equation& e : set.equations) {
        const std::uint32_t eliminate = e.eliminate <= n ? previousOf[e.eliminate] : 0;
        out.equations.push_back({copyOntoVariables(e.code, previousOf, previousDerivativeOf),
                                 e.relation, e.eliminate == 0 ? 0 : eliminate});
    }

    // One step equation per state, the independent variable's equation, then the
    // equations that hold the previous step fixed.
    for (std::uint32_t x : scan.states)
        out.equations.push_back({stepEquation(x, previousOf[x], factor, derivativeOf[x],
                                              usesPreviousSlope ? previousOf[derivativeOf[x]] : 0),
                                 '=', 0});
    const std::uint32_t t = scan.independent;
    out.equations.push_back({advanceEquation(t, previousOf[t], deltaT), '=', 0});

    SteppingPlan result;
    result.userVariableCount = static_cast<int>(n);
    result.deltaT = deltaT;
    result.independent = t;
    result.independentPrevious = previousOf[t];
    for (std::uint32_t k = 1; k <= extended; ++k) {
        SteppingPlan::Carry carry;
        carry.variable = k;
        carry.previous = previousOf[k];
        carry.name = out.variables.names[k];
        carry.previousName = out.variables.names[previousOf[k]];
        const bool fixed = k == t || (k <= n && scan.isState[k]);
        if (fixed) {
            out.equations.push_back(
                {fixingEquation(previousOf[k], out.variables.values[previousOf[k]]), '=', 0});
            carry.fixingEquation = out.equationCount();
        }
        result.carries.push_back(carry);
    }
    for (std::uint32_t x : scan.states) {
        result.states.push_back(x);
        result.derivatives.push_back(derivativeOf[x]);
    }

    set = std::move(out);
    plan = std::move(result);
    return true;
}

void advanceStep(EquationSet& set, const SteppingPlan& plan)
{
    for (const SteppingPlan::Carry& carry : plan.carries) {
        const double value = set.variables.values[carry.variable];
        set.variables.values[carry.previous] = value;
        // Written anew: a folded fixing equation may have lost its constant.
        if (carry.fixingEquation != 0)
            set.equation(carry.fixingEquation).code = fixingEquation(carry.previous, value);
    }
}

bool bindSteppingPlan(SteppingPlan& plan, const EquationSet& set)
{
    SteppingPlan bound = plan;
    std::vector<int> fixingOf(static_cast<std::size_t>(set.variables.count()) + 1, 0);
    for (int i = 1; i <= set.equationCount(); ++i) {
        std::uint32_t v = 0;
        if (isFixingEquation(set.equation(i).code, v) && v < fixingOf.size() && fixingOf[v] == 0)
            fixingOf[v] = i;
    }
    const auto find = [&](const std::string& name) {
        return static_cast<std::uint32_t>(set.variables.find(name));
    };
    for (SteppingPlan::Carry& carry : bound.carries) {
        const bool fixed = carry.fixingEquation != 0;
        carry.variable = find(carry.name);
        carry.previous = find(carry.previousName);
        if (carry.variable == 0 || carry.previous == 0)
            return false;
        carry.fixingEquation = fixed ? fixingOf[carry.previous] : 0;
        if (fixed && carry.fixingEquation == 0)
            return false;
    }
    const auto renumber = [&](std::uint32_t& v) {
        for (const SteppingPlan::Carry& carry : plan.carries) {
            if (carry.variable == v) {
                v = find(carry.name);
                return;
            }
            if (carry.previous == v) {
                v = find(carry.previousName);
                return;
            }
        }
    };
    renumber(bound.independent);
    renumber(bound.independentPrevious);
    for (std::uint32_t& v : bound.states)
        renumber(v);
    for (std::uint32_t& v : bound.derivatives)
        renumber(v);
    plan = std::move(bound);
    return true;
}

} // namespace varnel
