// Random starts, starting-value statements and one-variable equations: the values the
// Newton iteration starts from. Fed by the freshly read equation set.
#include "StartingValues.h"

#include "Evaluator.h"
#include "GuardedMath.h"
#include "NumberText.h"
#include "Reporter.h"

#include <algorithm>
#include <string>

namespace varnel {

namespace {

/// The variable a chain begins with, or 0 when its first token is not a variable.
std::uint32_t leadingVariable(const Chain& chain)
{
    if (chain.empty() || chain.front().kind != kind::Variable)
        return 0;
    return chain.front().index;
}

/// True when every variable token of the chain is variable `v`.
bool usesOnly(const Chain& chain, std::uint32_t v)
{
    return std::all_of(chain.begin(), chain.end(),
                       [v](const Token& t) { return t.kind != kind::Variable || t.index == v; });
}

/// v - residual of `chain` at the current values, or `onFailure` when the evaluation
/// failed (its error mark set; a chain that does not leave one value sets it too).
double solvedValue(const Chain& chain, double v, double onFailure, Evaluator& evaluator,
                   const VariableTable& variables)
{
    const double residual = evaluator.evaluate(chain, variables.values.data()).real();
    if (evaluator.error().mark())
        return onFailure;
    // The evaluator returns exactly 0 for a residual of magnitude at most TINY; the guarded
    // difference gives BIG for a value or residual of magnitude at least BIG and UNDEFINED
    // for an UNDEFINED one.
    return guardedSub(v, residual);
}

/// One value of the value lines: "%10.6f", with a blank in front when the value fills
/// its field, so that neighbouring values never run together.
void sendValue(Reporter& reporter, double value)
{
    // "%10.6f", with a blank before a value that fills the field.
    char text[kFixedTextSize + 1];
    text[0] = ' ';
    const std::size_t length = formatFixed(text + 1, value, 10, 6);
    reporter.send(text[1] == ' ' ? std::string_view(text + 1, length)
                                 : std::string_view(text, length + 1));
}

} // namespace

int setStartingValues(EquationSet& set, double minimum, double maximum,
                      const std::function<int()>& random, Evaluator& evaluator, Reporter& reporter)
{
    VariableTable& variables = set.variables;
    const int variableCount = variables.count();

    reporter.send("Initial Values:\n");
    for (int k = 1; k <= variableCount; ++k) {
        const auto slot = static_cast<std::size_t>(k);
        variables.lower[slot] = minimum;
        variables.upper[slot] = maximum;
        const double r = static_cast<double>(random()) * kRandomScale;
        variables.values[slot] = minimum + (maximum - minimum) * r;
        sendValue(reporter, variables.values[slot]);
    }
    reporter.send("\n");

    int statements = 0;
    std::vector<bool> dropped(set.equations.size(), false);
    for (std::size_t i = 0; i < set.equations.size(); ++i) {
        Equation& eq = set.equations[i];
        const std::uint32_t v = leadingVariable(eq.code);
        const bool known = v != 0 && static_cast<int>(v) <= variableCount;
        if (eq.relation == kStartingValueRelation) {
            if (known) {
                double& value = variables.values[v];
                value = solvedValue(eq.code, value, 0.0, evaluator, variables);
                variables.lower[v] = value;
                variables.upper[v] = value;
            }
            eq.code = Chain();
            dropped[i] = true;
            ++statements;
            continue;
        }
        if (known && usesOnly(eq.code, v)) {
            double& value = variables.values[v];
            value = solvedValue(eq.code, value, 0.5, evaluator, variables);
        }
    }

    reporter.send("Variables after initialization:\n");
    for (int k = 1; k <= variableCount; ++k)
        sendValue(reporter, variables.values[static_cast<std::size_t>(k)]);
    reporter.send("\n");

    // Close the gaps: later equations move up with their relation characters.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < set.equations.size(); ++i) {
        if (dropped[i])
            continue;
        if (kept != i)
            set.equations[kept] = std::move(set.equations[i]);
        ++kept;
    }
    set.equations.resize(kept);
    return statements;
}

} // namespace varnel
