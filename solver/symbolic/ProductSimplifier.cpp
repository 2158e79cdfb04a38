// The product simplifier: a chain of *, / and INV flattened into a factor list with one
// overall sign, sorted, cancelled, constants folded, powers of one base merged, and
// written back as numerator / denominators, multiplied out over sums in the expanding
// phase.
#include "SimplificationPass.h"

#include "GuardedMath.h"

#include <algorithm>
#include <cmath>

namespace varnel {

NodeId SimplificationPass::simplifyProduct(NodeId n)
{
    std::vector<Member> factors;
    bool negative = false;
    collectFactors(n, factors, negative);
    sortMembers(factors, false);
    cancelPairs(factors);
    if (!foldProductConstants(factors, negative))
        return m_graph.constant(0.0);
    mergePowers(factors);
    return rebuildProduct(factors, negative);
}

void SimplificationPass::collectFactors(NodeId n, std::vector<Member>& factors, bool& negative)
{
    struct Item {
        NodeId node;
        bool numerator;
        bool simplified;
    };
    std::vector<Item> work{{n, true, false}};
    while (!work.empty()) {
        Item item = work.back();
        work.pop_back();
        while (is(item.node, Operation::Negate)) {
            item.node = m_graph[item.node].first;
            negative = !negative;
        }
        const std::optional<Operation> op = operationAt(item.node);
        if (op == Operation::Multiply || op == Operation::Divide) {
            const ExpressionNode node = m_graph[item.node];
            const bool second = op == Operation::Multiply ? item.numerator : !item.numerator;
            work.push_back({node.second, second, item.simplified});
            work.push_back({node.first, item.numerator, item.simplified});
            continue;
        }
        if (!item.simplified) {
            const NodeId s = simplify(item.node);
            work.push_back({s, item.numerator, true});
            continue;
        }
        if (op == Operation::Inv) { // INV(w): w on the other side of the fraction bar
            work.push_back({m_graph[item.node].first, !item.numerator, true});
            continue;
        }
        factors.push_back({item.node, item.numerator});
    }
}

bool SimplificationPass::foldProductConstants(std::vector<Member>& factors, bool& negative)
{
    const OperationInfo& multiply = operationInfo(Operation::Multiply);
    const OperationInfo& divide = operationInfo(Operation::Divide);
    std::size_t first = factors.size();
    double product = 1.0;
    int count = 0;
    for (std::size_t i = 0; i < factors.size(); ++i) {
        if (!foldable(factors[i].node))
            continue;
        const double v = valueOf(factors[i].node);
        if (factors[i].positive) {
            foldBinary(multiply, product, v, product);
        } else {
            if (std::fabs(v) <= TINY) {
                if (complexMode)
                    continue; // left for the evaluator
                m_messages.emplace_back(message::InverseOfZero);
            }
            foldBinary(divide, product, v, product);
        }
        if (count++ == 0)
            first = i;
        else
            factors[i].node = kNoNode;
    }
    if (count == 0)
        return true;
    if (product == 0.0)
        return false;
    Member& constant = factors[first];
    if (product < 0.0) {
        product = -product;
        negative = !negative;
    }
    if (product == 1.0)
        constant.node = kNoNode;
    else if (count > 1 || !constant.positive || valueOf(constant.node) != product)
        constant = {folded(product), true};
    // a lone positive constant in the numerator keeps its node (and its form)
    dropRemoved(factors);
    if (count > 1)
        sortMembers(factors, false);
    return true;
}

void SimplificationPass::mergePowers(std::vector<Member>& factors)
{
    struct Split {
        NodeId base;
        double exponent;
        std::size_t position;
    };
    std::vector<Split> splits;
    for (std::size_t i = 0; i < factors.size(); ++i) {
        const NodeId f = factors[i].node;
        if (foldable(f))
            continue;
        if (is(f, Operation::Power) && foldable(m_graph[f].second))
            splits.push_back({m_graph[f].first, valueOf(m_graph[f].second), i});
        else
            splits.push_back({f, 1.0, i});
    }
    std::stable_sort(splits.begin(), splits.end(),
                     [](const Split& a, const Split& b) { return a.base < b.base; });
    const OperationInfo& add = operationInfo(Operation::Add);
    bool changed = false;
    for (std::size_t run = 0; run < splits.size();) {
        std::size_t end = run;
        while (end < splits.size() && splits[end].base == splits[run].base)
            ++end;
        if (end - run < 2) {
            run = end;
            continue;
        }
        double e = 0.0;
        for (std::size_t k = run; k < end; ++k) {
            const Split& s = splits[k];
            foldBinary(add, e, factors[s.position].positive ? s.exponent : -s.exponent, e);
            factors[s.position].node = kNoNode;
        }
        changed = true;
        const Split& lead = splits[run];
        run = end;
        if (e == 0.0)
            continue;
        const bool numerator = e > 0.0;
        const NodeId power =
            m_graph.binary(Operation::Power, lead.base, folded(numerator ? e : -e));
        factors[lead.position] = {simplify(power), numerator};
    }
    if (!changed)
        return;
    dropRemoved(factors);
    sortMembers(factors, false);
}

NodeId SimplificationPass::rebuildProduct(std::vector<Member>& factors, bool negative)
{
    std::vector<NodeId> numerator, denominator;
    for (const Member& f : factors)
        (f.positive ? numerator : denominator).push_back(f.node);

    if (m_expanding && numerator.size() >= 2) {
        const NodeId expanded = expandProduct(factors, negative);
        if (expanded != kNoNode)
            return expanded;
    }

    NodeId result = kNoNode;
    if (!numerator.empty()) {
        if (negative && foldable(numerator.front())) {
            numerator.front() = folded(-valueOf(numerator.front()));
            negative = false;
        }
        result = numerator.front();
        for (std::size_t i = 1; i < numerator.size(); ++i)
            result = m_graph.binary(Operation::Multiply, result, numerator[i]);
    }
    if (!denominator.empty()) {
        if (result == kNoNode) {
            NodeId below = denominator.front();
            for (std::size_t i = 1; i < denominator.size(); ++i)
                below = m_graph.binary(Operation::Multiply, below, denominator[i]);
            result = m_graph.unary(Operation::Inv, below);
        } else {
            for (NodeId d : denominator)
                result = m_graph.binary(Operation::Divide, result, d);
        }
    }
    if (result == kNoNode)
        result = m_graph.constant(1.0);
    if (negative)
        result =
            foldable(result) ? folded(-valueOf(result)) : m_graph.unary(Operation::Negate, result);
    return result;
}

NodeId SimplificationPass::expandProduct(const std::vector<Member>& factors, bool negative)
{
    // The terms of every sum in the numerator; the other numerator factors multiply each
    // product of one term per sum.
    std::vector<std::vector<Member>> sums;
    std::vector<NodeId> others, denominator;
    std::size_t count = 1;
    for (const Member& f : factors) {
        if (!f.positive) {
            denominator.push_back(f.node);
            continue;
        }
        if (!is(f.node, Operation::Add) && !is(f.node, Operation::Subtract)) {
            others.push_back(f.node);
            continue;
        }
        std::vector<Member> terms;
        std::vector<Member> work{{f.node, true}};
        while (!work.empty()) {
            Member m = work.back();
            work.pop_back();
            while (is(m.node, Operation::Negate)) {
                m.node = m_graph[m.node].first;
                m.positive = !m.positive;
            }
            const std::optional<Operation> op = operationAt(m.node);
            if (op == Operation::Add || op == Operation::Subtract) {
                const ExpressionNode node = m_graph[m.node];
                work.push_back({node.second, op == Operation::Add ? m.positive : !m.positive});
                work.push_back({node.first, m.positive});
            } else {
                terms.push_back(m);
            }
            if (terms.size() > kMaxExpansionTerms)
                return kNoNode;
        }
        count *= terms.size();
        if (count > kMaxExpansionTerms)
            return kNoNode;
        sums.push_back(std::move(terms));
    }
    if (sums.empty())
        return kNoNode;

    NodeId sum = kNoNode;
    std::vector<std::size_t> choice(sums.size(), 0);
    for (std::size_t k = 0; k < count; ++k) {
        bool positive = !negative;
        NodeId product = kNoNode;
        for (NodeId f : others)
            product = product == kNoNode ? f : m_graph.binary(Operation::Multiply, product, f);
        for (std::size_t s = 0; s < sums.size(); ++s) {
            const Member& t = sums[s][choice[s]];
            positive = positive == t.positive;
            product =
                product == kNoNode ? t.node : m_graph.binary(Operation::Multiply, product, t.node);
        }
        if (sum == kNoNode)
            sum = positive ? product : m_graph.unary(Operation::Negate, product);
        else
            sum = m_graph.binary(positive ? Operation::Add : Operation::Subtract, sum, product);
        for (std::size_t s = 0; s < sums.size() && ++choice[s] == sums[s].size(); ++s)
            choice[s] = 0;
    }
    NodeId result = simplify(sum);
    for (NodeId d : denominator)
        result = m_graph.binary(Operation::Divide, result, d);
    return result;
}

} // namespace varnel
