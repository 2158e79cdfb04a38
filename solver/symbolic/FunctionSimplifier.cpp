// The binary and function simplifiers: relations, two-argument functions and IF on
// constants, powers and their identities, inverse pairs, even and odd functions, and
// functions of constants folded with the evaluator's real functions.
#include "SimplificationPass.h"

#include "GuardedMath.h"

#include <cmath>

namespace varnel {

namespace {

/// True when the power rule treats x as an even whole number (within 1e-8 of one, of
/// magnitude up to 32767).
bool even(double x)
{
    if (!(std::fabs(x) <= 32767.5))
        return false;
    const double n = std::round(x);
    return std::fabs(x - n) <= 1e-8 && std::fmod(n, 2.0) == 0.0;
}

} // namespace

NodeId SimplificationPass::simplifyBinary(NodeId n)
{
    const ExpressionNode node = m_graph[n];
    const OperationInfo* row = findBinaryOperation(node.token.op);
    if (row == nullptr || row->kind == OperationKind::Special) {
        // D, DELAY, INT, LIM and ARG stand for work done elsewhere on their operands as
        // written, and a code without a rule has no meaning to keep: left as they are.
        if (row == nullptr ||
            (row->operation != Operation::If && row->operation != Operation::Then))
            return n;
    }
    const NodeId a = simplify(node.first);
    const NodeId b = simplify(node.second);
    switch (row->operation) {
    case Operation::Less:
    case Operation::Greater:
    case Operation::Equal:
    case Operation::Atan2:
    case Operation::Gammp: {
        double r = 0.0;
        if (foldable(a) && foldable(b) && foldBinary(*row, valueOf(a), valueOf(b), r))
            return folded(r);
        break;
    }
    case Operation::If: {
        // IF c THEN p ELSE q: c first, the THEN node with p and q second.
        if (!is(b, Operation::Then))
            break;
        const ExpressionNode branches = m_graph[b];
        if (foldable(a)) // the branch the evaluator takes
            return valueOf(a) > 0.0 ? branches.first : branches.second;
        if (branches.first == branches.second)
            return branches.first;
        break;
    }
    case Operation::Power:
        return simplifyPower(a, b, node.token);
    case Operation::Then:
    case Operation::Add:
    case Operation::Subtract:
    case Operation::Multiply:
    case Operation::Divide:
    case Operation::Derivative:
    case Operation::Delay:
    case Operation::Integral:
    case Operation::Limit:
    case Operation::Arg:
    case Operation::Negate:
    case Operation::Sin:
    case Operation::Cos:
    case Operation::Tan:
    case Operation::Arcsin:
    case Operation::Arccos:
    case Operation::Arctan:
    case Operation::Exp:
    case Operation::Ln:
    case Operation::Inv:
    case Operation::Square:
    case Operation::Sqrt:
    case Operation::Abs:
    case Operation::UnitStep:
    case Operation::Real:
    case Operation::Imag:
    case Operation::Conjugate:
    case Operation::Mag:
    case Operation::Angle:
    case Operation::Erf:
    case Operation::BessJ0:
    case Operation::BessJ1:
    case Operation::BessY0:
    case Operation::BessY1:
    case Operation::Gammln:
        break;
    }
    return m_graph.make(node.token, a, b);
}

NodeId SimplificationPass::simplifyPower(NodeId u, NodeId v, const Token& token)
{
    const OperationInfo& power = operationInfo(Operation::Power);
    if (foldable(u) && foldable(v)) {
        double r = 0.0;
        if (foldBinary(power, valueOf(u), valueOf(v), r))
            return folded(r);
        return m_graph.make(token, u, v);
    }
    if (foldable(v)) {
        const double e = valueOf(v);
        if (e == 1.0)
            return u;
        if (e == 0.0)
            return m_graph.constant(1.0);
        if (e == -1.0)
            return simplify(m_graph.unary(Operation::Inv, u));
        // Powers of powers: SQRT(w)^e = w^(e/2), SQUARE(w)^e = w^(2e), (w^c)^e = w^(c*e).
        NodeId w = kNoNode;
        double c = 0.0;
        if (is(u, Operation::Sqrt)) {
            w = m_graph[u].first;
            c = 0.5;
        } else if (is(u, Operation::Square)) {
            w = m_graph[u].first;
            c = 2.0;
        } else if (is(u, Operation::Power) && foldable(m_graph[u].second)) {
            w = m_graph[u].first;
            c = valueOf(m_graph[u].second);
        }
        if (w != kNoNode) {
            double ce = 0.0;
            foldBinary(operationInfo(Operation::Multiply), c, e, ce);
            // An even power loses the sign of w, which w^(c*e) keeps unless c*e is even too.
            if (even(c) && !even(ce))
                w = simplify(m_graph.unary(Operation::Abs, w));
            return simplify(m_graph.binary(Operation::Power, w, folded(ce)));
        }
    }
    if (foldable(u) && (valueOf(u) == 1.0 || valueOf(u) == 0.0))
        return u;
    return m_graph.make(token, u, v);
}

NodeId SimplificationPass::simplifyFunction(NodeId n)
{
    const ExpressionNode node = m_graph[n];
    const OperationInfo* row = findUnaryOperation(node.token.op);
    const NodeId w = simplify(node.first);
    if (row == nullptr)
        return m_graph.make(node.token, w);
    const Operation f = row->operation;
    const ExpressionNode argument = m_graph[w];
    const std::optional<Operation> inner = operationAt(w);

    if (foldable(w)) {
        double r = 0.0;
        if (foldUnary(*row, valueOf(w), r))
            return folded(r);
        return m_graph.make(node.token, w);
    }

    // Inverse pairs: f(g(x)) = x wherever g(x) is defined. The arc functions of their
    // functions are not among them (ARCSIN(SIN(x)) is x only for |x| <= pi/2), nor is
    // SQRT(SQUARE(x)), which is ABS(x).
    if (inner.has_value()) {
        const Operation g = *inner;
        const bool pair = (f == Operation::Square && g == Operation::Sqrt) ||
                          (f == Operation::Negate && g == Operation::Negate) ||
                          (f == Operation::Sin && g == Operation::Arcsin) ||
                          (f == Operation::Cos && g == Operation::Arccos) ||
                          (f == Operation::Tan && g == Operation::Arctan) ||
                          (f == Operation::Ln && g == Operation::Exp) ||
                          (f == Operation::Exp && g == Operation::Ln) ||
                          (f == Operation::Inv && g == Operation::Inv);
        if (pair)
            return argument.first;
        if (f == Operation::Sqrt && g == Operation::Square)
            return simplify(m_graph.unary(Operation::Abs, argument.first));
    }

    if (inner == Operation::Negate) {
        if (f == Operation::Cos || f == Operation::Abs) // even
            return simplify(m_graph.make(node.token, argument.first));
        if (f == Operation::Sin || f == Operation::Arcsin || f == Operation::Tan ||
            f == Operation::Arctan || f == Operation::Inv) // odd
            return m_graph.unary(Operation::Negate,
                                 simplify(m_graph.make(node.token, argument.first)));
    }

    // SQRT(w^c) is (w^c)^0.5.
    if (f == Operation::Sqrt && inner == Operation::Power && foldable(argument.second))
        return simplifyPower(w, m_graph.constant(0.5), makeOperationToken(Operation::Power));
    return m_graph.make(node.token, w);
}

} // namespace varnel
