// Variable and equation copies for discretized and interval-expanded sets.
#include "VariableCopies.h"

#include "Operations.h"

namespace varnel {

CopyNames::CopyNames(const VariableTable& variables)
{
    for (int k = 1; k <= variables.count(); ++k)
        m_taken.insert(variables.names[static_cast<std::size_t>(k)]);
}

std::string CopyNames::make(const std::string& base, const std::string& suffix)
{
    const auto fit = [](const std::string& stem, const std::string& end) {
        const std::size_t room = static_cast<std::size_t>(kMaxNameLength) > end.size()
                                     ? static_cast<std::size_t>(kMaxNameLength) - end.size()
                                     : 0;
        return stem.substr(0, room) + end;
    };
    std::string name = fit(base, suffix);
    for (int n = 1; m_taken.count(name) != 0; ++n)
        name = fit(base, suffix + "_" + std::to_string(n));
    m_taken.insert(name);
    return name;
}

Chain copyOntoVariables(const Chain& postfix, const std::vector<std::uint32_t>& variableMap,
                        const std::vector<std::uint32_t>& derivativeMap)
{
    const Chain prefix = toPrefix(postfix);
    Chain out;
    out.reserve(prefix.size());
    const std::uint8_t derivative = codeOf(Operation::Derivative);
    for (std::size_t p = 0; p < prefix.size(); ++p) {
        Token t = prefix[p];
        if (t.kind == kind::Binary && t.op == derivative && p + 2 < prefix.size() &&
            prefix[p + 1].kind == kind::Variable && prefix[p + 2].kind == kind::Variable &&
            prefix[p + 2].index < derivativeMap.size()) {
            // D, t, x: the scan has checked that both arguments are single variables.
            out.push_back(makeVariable(derivativeMap[prefix[p + 2].index]));
            p += 2;
            continue;
        }
        if ((t.kind == kind::Variable || t.kind == kind::Constant) && t.index != 0 &&
            t.index < variableMap.size())
            t.index = variableMap[t.index];
        out.push_back(t);
    }
    return toPostfix(out);
}

namespace {
Chain variable(std::uint32_t v)
{
    return {makeVariable(v)};
}
Chain constant(double value)
{
    return {makeConstant(value)};
}
/// Prefix builder in written order: first op second.
Chain written(Operation op, const Chain& first, const Chain& second)
{
    return makeBinary(op, second, first);
}
} // namespace

Chain stepEquation(std::uint32_t x, std::uint32_t previous, double factor, std::uint32_t derivative,
                   std::uint32_t previousDerivative)
{
    Chain slope = variable(derivative);
    if (previousDerivative != 0)
        slope = written(Operation::Add, slope, variable(previousDerivative));
    const Chain update = written(Operation::Add, variable(previous),
                                 written(Operation::Multiply, constant(factor), slope));
    return toPostfix(written(Operation::Subtract, variable(x), update));
}

Chain advanceEquation(std::uint32_t t, std::uint32_t previous, double step)
{
    return toPostfix(written(Operation::Subtract, variable(t),
                             written(Operation::Add, variable(previous), constant(step))));
}

Chain fixingEquation(std::uint32_t v, double value)
{
    return toPostfix(written(Operation::Subtract, variable(v), constant(value)));
}

bool isFixingEquation(const Chain& postfix, std::uint32_t& v)
{
    // v - value, or v alone where folding has removed a value of 0.
    const bool lone = postfix.size() == 2 && postfix[1].kind == kind::End;
    const bool withValue =
        postfix.size() == 4 && isPlainConstant(postfix[1]) && postfix[2].kind == kind::Binary &&
        postfix[2].op == codeOf(Operation::Subtract) && postfix[3].kind == kind::End;
    if (postfix.empty() || postfix[0].kind != kind::Variable || !(lone || withValue))
        return false;
    v = postfix[0].index;
    return true;
}

} // namespace varnel
