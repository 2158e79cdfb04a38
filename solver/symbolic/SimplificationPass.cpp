// The dispatcher of a simplification pass and what its simplifiers share: the memo of
// simplified nodes, folding in the evaluator's real arithmetic with its messages, and the
// canonical sorting and cancelling of member lists.
#include "SimplificationPass.h"

#include "CanonicalOrder.h"
#include "GuardedMath.h"
#include "RealFunctions.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace varnel {

SimplificationPass::SimplificationPass(ExpressionGraph& graph, Reporter& reporter)
    : m_graph(graph), m_reporter(reporter)
{
}

void SimplificationPass::begin(bool expanding)
{
    m_expanding = expanding;
    m_memo.clear();
    m_depth = 0;
}

NodeId SimplificationPass::run(NodeId root)
{
    return simplify(m_graph.binary(Operation::Add, root, m_graph.constant(0.0)));
}

NodeId SimplificationPass::simplify(NodeId n)
{
    if (n < m_memo.size() && m_memo[n] != kNoNode)
        return m_memo[n];
    const Token& t = m_graph[n].token;
    if (t.kind != kind::Binary && t.kind != kind::Unary)
        return n; // constants and variables stay as they are
    if (m_depth >= kMaxDepth)
        return n;
    ++m_depth;
    NodeId result = n;
    const std::optional<Operation> op = operationAt(n);
    if (t.kind == kind::Binary) {
        if (op == Operation::Add || op == Operation::Subtract)
            result = simplifySum(n);
        else if (op == Operation::Multiply || op == Operation::Divide)
            result = simplifyProduct(n);
        else
            result = simplifyBinary(n);
    } else if (op == Operation::Square) {
        // SQUARE(w) is the power w^2 from here on.
        result =
            simplify(m_graph.binary(Operation::Power, m_graph[n].first, m_graph.constant(2.0)));
    } else {
        result = simplifyFunction(n);
    }
    --m_depth;
    const NodeId larger = std::max(n, result);
    if (m_memo.size() <= larger)
        m_memo.resize(std::max<std::size_t>(m_graph.nodeCount(), larger + 1), kNoNode);
    m_memo[n] = result;
    if (m_memo[result] == kNoNode)
        m_memo[result] = result; // a result is simplified as far as this pass goes
    return result;
}

// ---- Folding -------------------------------------------------------------------------

bool SimplificationPass::foldable(NodeId n) const
{
    const Token& t = m_graph[n].token;
    return t.kind == kind::Constant && t.index == 0 && (t.op == form::Real || t.op == form::Pi);
}

NodeId SimplificationPass::folded(double value)
{
    return m_graph.constant(std::fabs(value) >= BIG ? BIG : value);
}

template <class Compute> bool SimplificationPass::compute(double& result, Compute&& operation)
{
    EvalError local;
    MathContext context{m_reporter, local};
    const double r = operation(context);
    if (local.mark()) {
        if (complexMode)
            return false;
        m_messages.emplace_back(local.message());
    }
    result = r;
    return true;
}

bool SimplificationPass::foldUnary(const OperationInfo& row, double x, double& result)
{
    return compute(result, [&](MathContext& c) { return row.realUnary(x, c); });
}

bool SimplificationPass::foldBinary(const OperationInfo& row, double a, double b, double& result)
{
    return compute(result, [&](MathContext& c) { return row.realBinary(a, b, c); });
}

// ---- Member lists --------------------------------------------------------------------

void SimplificationPass::sortMembers(std::vector<Member>& members, bool sum) const
{
    const MemberOrder order = sum ? MemberOrder::Sum : MemberOrder::Product;
    std::stable_sort(members.begin(), members.end(), [&](const Member& a, const Member& b) {
        return compareMembers(m_graph, a.node, b.node, order) < 0;
    });
}

void SimplificationPass::cancelPairs(std::vector<Member>& members) const
{
    // Identical members are one node: sort positions by node, then pair the members of
    // each run of one node that have opposite signs, earliest first.
    std::vector<std::pair<NodeId, std::size_t>> byNode;
    byNode.reserve(members.size());
    for (std::size_t i = 0; i < members.size(); ++i)
        byNode.emplace_back(members[i].node, i);
    std::sort(byNode.begin(), byNode.end());
    bool removed = false;
    for (std::size_t run = 0; run < byNode.size();) {
        std::size_t end = run;
        while (end < byNode.size() && byNode[end].first == byNode[run].first)
            ++end;
        std::size_t plus = run, minus = run;
        for (;;) {
            while (plus < end && !members[byNode[plus].second].positive)
                ++plus;
            while (minus < end && members[byNode[minus].second].positive)
                ++minus;
            if (plus >= end || minus >= end)
                break;
            members[byNode[plus++].second].node = kNoNode;
            members[byNode[minus++].second].node = kNoNode;
            removed = true;
        }
        run = end;
    }
    if (removed)
        dropRemoved(members);
}

void SimplificationPass::dropRemoved(std::vector<Member>& members)
{
    std::erase_if(members, [](const Member& m) { return m.node == kNoNode; });
}

} // namespace varnel
