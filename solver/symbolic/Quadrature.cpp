// Quadrature of the integrals of an equation set. Works on prefix order, where
// INT(ARG(f, s), LIM(a, b)) reads INT, LIM, b, a, ARG, s, f.
#include "Quadrature.h"

#include "CalculusScan.h"
#include "Operations.h"
#include "Reporter.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace varnel {

namespace {

constexpr std::string_view kTooLarge = "Integral Too Large";

Chain constant(double value)
{
    return {makeConstant(value)};
}
/// Prefix builder in written order: first op second.
Chain written(Operation op, const Chain& first, const Chain& second)
{
    return makeBinary(op, second, first);
}

double weightOf(QuadratureRule rule, int i)
{
    switch (rule) {
    case QuadratureRule::Rectangle:
        return i < kQuadratureIntervals ? 1.0 : 0.0;
    case QuadratureRule::Trapezoidal:
        return (i == 0 || i == kQuadratureIntervals) ? 0.5 : 1.0;
    case QuadratureRule::Simpson:
        if (i == 0 || i == kQuadratureIntervals)
            return 1.0;
        return i % 2 == 1 ? 4.0 : 2.0;
    }
    return 1.0;
}

class QuadratureBuilder {
public:
    explicit QuadratureBuilder(QuadratureRule rule) : m_rule(rule) {}

    /// Appends to `out` the prefix range [begin, end) of `in` with every integral replaced.
    /// False when the result grows past kMaxQuadratureChain.
    bool expand(const Chain& in, std::size_t begin, std::size_t end, Chain& out)
    {
        const std::uint8_t integral = codeOf(Operation::Integral);
        std::size_t p = begin;
        while (p < end) {
            if (in[p].kind != kind::Binary || in[p].op != integral) {
                out.push_back(in[p++]);
                continue;
            }
            // INT, LIM, b, a, ARG, s, f (checked by the scan).
            const std::size_t upperBegin = p + 2;
            const std::size_t lowerBegin = operandEnd(in, upperBegin);
            const std::size_t argBegin = operandEnd(in, lowerBegin);
            const std::size_t integrandEnd = operandEnd(in, argBegin);
            const std::uint32_t s = in[argBegin + 1].index;
            Chain upper, lower, integrand;
            if (!expand(in, upperBegin, lowerBegin, upper) ||
                !expand(in, lowerBegin, argBegin, lower) ||
                !expand(in, argBegin + 2, integrandEnd, integrand))
                return false;
            if (!emit(integrand, s, lower, upper, out))
                return false;
            p = integrandEnd;
        }
        return out.size() <= kMaxQuadratureChain;
    }

private:
    bool emit(const Chain& integrand, std::uint32_t s, const Chain& lower, const Chain& upper,
              Chain& out)
    {
        const bool constantLimits = lower.size() == 1 && isPlainConstant(lower[0]) &&
                                    upper.size() == 1 && isPlainConstant(upper[0]);
        const double a = constantLimits ? lower[0].value : 0.0;
        const double hValue = constantLimits ? (upper[0].value - a) * 0.1 : 0.0;
        const Chain h = constantLimits
                            ? constant(hValue)
                            : written(Operation::Divide, written(Operation::Subtract, upper, lower),
                                      constant(kQuadratureIntervals));
        const std::size_t uses = static_cast<std::size_t>(
            std::count_if(integrand.begin(), integrand.end(), [s](const Token& t) {
                return t.kind == kind::Variable && t.index == s;
            }));
        const std::size_t pointSize = constantLimits ? 1 : lower.size() + h.size() + 3;
        const std::size_t estimate =
            (kQuadratureIntervals + 1) * (integrand.size() + uses * pointSize + 3);
        if (out.size() + estimate > kMaxQuadratureChain)
            return false;

        Chain sum;
        for (int i = 0; i <= kQuadratureIntervals; ++i) {
            const double w = weightOf(m_rule, i);
            if (w == 0.0)
                continue;
            Chain point;
            if (constantLimits)
                point = constant(a + i * hValue);
            else if (i == 0)
                point = lower;
            else
                point =
                    written(Operation::Add, lower, written(Operation::Multiply, constant(i), h));
            Chain term;
            term.reserve(integrand.size() + uses * point.size());
            for (const Token& t : integrand) {
                if (t.kind == kind::Variable && t.index == s)
                    term.insert(term.end(), point.begin(), point.end());
                else
                    term.push_back(t);
            }
            if (w != 1.0)
                term = written(Operation::Multiply, constant(w), term);
            sum = sum.empty() ? std::move(term) : written(Operation::Add, sum, term);
        }
        if (m_rule == QuadratureRule::Simpson)
            sum = written(Operation::Divide, sum, constant(3.0));
        const Chain result = written(Operation::Multiply, h, sum);
        out.insert(out.end(), result.begin(), result.end());
        return true;
    }

    QuadratureRule m_rule;
};

/// Removes the variables in `candidates` that no equation uses, renumbering the others.
void dropUnused(EquationSet& set, const std::vector<std::uint32_t>& candidates)
{
    const auto count = static_cast<std::size_t>(set.variables.count());
    std::vector<bool> used(count + 1, false);
    for (const Equation& e : set.equations) {
        if (e.eliminate <= count)
            used[e.eliminate] = true;
        for (const Token& t : e.code)
            if ((t.kind == kind::Variable || t.kind == kind::Constant) && t.index <= count)
                used[t.index] = true;
    }
    std::vector<bool> drop(count + 1, false);
    bool any = false;
    for (std::uint32_t v : candidates) {
        if (v <= count && !used[v]) {
            drop[v] = true;
            any = true;
        }
    }
    if (!any)
        return;
    std::vector<std::uint32_t> newNumber(count + 1, 0);
    VariableTable kept;
    for (std::size_t k = 1; k <= count; ++k) {
        if (drop[k])
            continue;
        const int number = kept.add(set.variables.names[k], set.variables.values[k]);
        const auto at = static_cast<std::size_t>(number);
        kept.lower[at] = set.variables.lower[k];
        kept.upper[at] = set.variables.upper[k];
        newNumber[k] = static_cast<std::uint32_t>(number);
    }
    for (Equation& e : set.equations) {
        if (e.eliminate <= count)
            e.eliminate = newNumber[e.eliminate];
        for (Token& t : e.code)
            if ((t.kind == kind::Variable || t.kind == kind::Constant) && t.index != 0 &&
                t.index <= count)
                t.index = newNumber[t.index];
    }
    set.variables = std::move(kept);
}

} // namespace

QuadratureRule quadratureRuleFromCode(char code)
{
    switch (code) {
    case 'T':
        return QuadratureRule::Trapezoidal;
    case 'S':
        return QuadratureRule::Simpson;
    default:
        return QuadratureRule::Rectangle;
    }
}

bool integrateByQuadrature(EquationSet& set, QuadratureRule rule, Reporter& reporter)
{
    const CalculusScan scan = scanCalculus(set, reporter);
    if (scan.error)
        return false;
    if (scan.integralCount == 0)
        return true;

    QuadratureBuilder builder(rule);
    std::vector<Chain> codes;
    codes.reserve(set.equations.size());
    for (const Equation& e : set.equations) {
        const Chain prefix = toPrefix(e.code);
        Chain out;
        if (!builder.expand(prefix, 0, prefix.size(), out)) {
            reportCalculusError(reporter, kTooLarge);
            return false;
        }
        codes.push_back(toPostfix(out));
    }
    for (std::size_t i = 0; i < codes.size(); ++i)
        set.equations[i].code = std::move(codes[i]);
    dropUnused(set, scan.integrationVariables);
    return true;
}

} // namespace varnel
