// The validation of D, INT, ARG and LIM in an equation set. Works on the prefix order of
// each equation, where a two-argument token is followed by its second (written right)
// argument and then its first.
#include "CalculusScan.h"

#include "Operations.h"
#include "Reporter.h"

#include <algorithm>

namespace varnel {

namespace {

bool isBinary(const Chain& prefix, std::size_t at, Operation op)
{
    return at < prefix.size() && prefix[at].kind == kind::Binary && prefix[at].op == codeOf(op);
}

/// A single variable token is a whole operand by itself.
bool isSingleVariable(const Chain& prefix, std::size_t at)
{
    return at < prefix.size() && prefix[at].kind == kind::Variable;
}

void addSorted(std::vector<std::uint32_t>& list, std::uint32_t v)
{
    const auto at = std::lower_bound(list.begin(), list.end(), v);
    if (at == list.end() || *at != v)
        list.insert(at, v);
}

} // namespace

void reportCalculusError(Reporter& reporter, std::string_view text)
{
    reporter.send(text);
    reporter.send("\n");
    reporter.raiseError();
}

CalculusScan scanCalculus(const EquationSet& set, Reporter& reporter)
{
    CalculusScan scan;
    const auto variableCount = static_cast<std::size_t>(set.variables.count());
    scan.isState.assign(variableCount + 1, false);
    auto fail = [&](std::string_view text) {
        reportCalculusError(reporter, text);
        scan.error = true;
    };

    for (const Equation& equation : set.equations) {
        const Chain prefix = toPrefix(equation.code);
        for (std::size_t p = 0; p < prefix.size(); ++p) {
            if (isBinary(prefix, p, Operation::Derivative)) {
                ++scan.derivativeCount;
                // D(x, t): prefix D, t, x.
                if (!isSingleVariable(prefix, p + 1)) {
                    fail(message::IndependentExpression);
                } else if (scan.independent == 0) {
                    scan.independent = prefix[p + 1].index;
                } else if (prefix[p + 1].index != scan.independent) {
                    fail(message::MultipleIndependent);
                }
                const std::size_t x = operandEnd(prefix, p + 1);
                if (!isSingleVariable(prefix, x)) {
                    fail(message::NotSimpleDerivative);
                } else if (prefix[x].index <= variableCount) {
                    scan.isState[prefix[x].index] = true;
                    addSorted(scan.states, prefix[x].index);
                }
            } else if (isBinary(prefix, p, Operation::Integral)) {
                ++scan.integralCount;
                // INT(ARG(f, s), LIM(a, b)): prefix INT, LIM b a, ARG s f.
                const std::size_t integrand = operandEnd(prefix, p + 1);
                if (!isBinary(prefix, integrand, Operation::Arg)) {
                    fail(message::IntegrandIncorrect);
                } else if (!isSingleVariable(prefix, integrand + 1)) {
                    fail(message::IntegrationVariableIncorrect);
                } else {
                    addSorted(scan.integrationVariables, prefix[integrand + 1].index);
                }
                if (!isBinary(prefix, p + 1, Operation::Limit))
                    fail(message::LimitSyntaxIncorrect);
            }
        }
    }
    // D(t, t): the independent variable cannot be a state of its own steps as well.
    if (scan.independent != 0 && scan.independent <= variableCount &&
        scan.isState[scan.independent])
        fail(message::DerivativeOfIndependent);
    return scan;
}

} // namespace varnel
