// The sum simplifier: a chain of +, - and negations flattened into a term list, sorted,
// cancelled, Pythagoras applied, constants folded, like terms merged, and written back as
// a left-to-right chain of + and -.
#include "SimplificationPass.h"

#include "GuardedMath.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace varnel {

NodeId SimplificationPass::simplifySum(NodeId n)
{
    std::vector<Member> terms;
    collectTerms(n, terms);
    sortMembers(terms, true);
    cancelPairs(terms);
    applyPythagoras(terms);
    foldSumConstants(terms);
    mergeLikeTerms(terms);
    return rebuildSum(terms);
}

void SimplificationPass::collectTerms(NodeId n, std::vector<Member>& terms)
{
    struct Item {
        NodeId node;
        bool positive;
        bool simplified;
    };
    std::vector<Item> work{{n, true, false}};
    while (!work.empty()) {
        Item item = work.back();
        work.pop_back();
        while (is(item.node, Operation::Negate)) {
            item.node = m_graph[item.node].first;
            item.positive = !item.positive;
        }
        const std::optional<Operation> op = operationAt(item.node);
        if (op == Operation::Add || op == Operation::Subtract) {
            const ExpressionNode node = m_graph[item.node];
            const bool secondPositive = op == Operation::Add ? item.positive : !item.positive;
            work.push_back({node.second, secondPositive, item.simplified});
            work.push_back({node.first, item.positive, item.simplified});
            continue;
        }
        if (!item.simplified) {
            const NodeId s = simplify(item.node);
            if (s != item.node) { // it may have become a sum or a negation
                work.push_back({s, item.positive, true});
                continue;
            }
        }
        terms.push_back({item.node, item.positive});
    }
}

void SimplificationPass::applyPythagoras(std::vector<Member>& terms)
{
    // SIN(w)^2 and COS(w)^2 of one sign: the argument w, or kNoNode.
    auto squared = [&](NodeId term, Operation f) {
        if (!is(term, Operation::Power))
            return kNoNode;
        const ExpressionNode power = m_graph[term];
        if (!foldable(power.second) || valueOf(power.second) != 2.0 || !is(power.first, f))
            return kNoNode;
        return m_graph[power.first].first;
    };
    for (std::size_t i = 0; i < terms.size(); ++i) {
        const NodeId w = squared(terms[i].node, Operation::Sin);
        if (w == kNoNode)
            continue;
        for (std::size_t j = 0; j < terms.size(); ++j) {
            if (terms[j].node == kNoNode || terms[j].positive != terms[i].positive ||
                squared(terms[j].node, Operation::Cos) != w)
                continue;
            terms[i].node = kNoNode;
            terms[j].node = m_graph.constant(1.0);
            break;
        }
    }
    dropRemoved(terms);
}

void SimplificationPass::foldSumConstants(std::vector<Member>& terms)
{
    const OperationInfo& add = operationInfo(Operation::Add);
    const OperationInfo& subtract = operationInfo(Operation::Subtract);
    std::size_t first = terms.size();
    double sum = 0.0;
    int count = 0;
    for (std::size_t i = 0; i < terms.size(); ++i) {
        if (!foldable(terms[i].node))
            continue;
        const double v = valueOf(terms[i].node);
        if (v == 0.0) { // adds nothing (the 0.0 every pass starts with, for one)
            terms[i].node = kNoNode;
            continue;
        }
        if (count++ == 0) {
            first = i;
            sum = terms[i].positive ? v : -v;
            continue;
        }
        foldBinary(terms[i].positive ? add : subtract, sum, v, sum);
        terms[i].node = kNoNode;
    }
    if (count == 0) {
        dropRemoved(terms);
        return;
    }
    Member& constant = terms[first];
    if (std::fabs(sum) < kNegligible && sum != UNDEFINED) {
        constant.node = kNoNode;
    } else if (sum < 0.0) {
        constant = {folded(-sum), false};
    } else if (count > 1 || !constant.positive) {
        constant = {folded(sum), true};
    } // a lone positive constant keeps its node (and its form)
    dropRemoved(terms);
    if (count > 1)
        sortMembers(terms, true); // the folded value has a place of its own
}

double SimplificationPass::splitCoefficient(NodeId term, NodeId& rest)
{
    // Down the first operands of a chain of * and /, to the product that holds a constant.
    std::vector<NodeId> path;
    NodeId at = term;
    NodeId replacement = kNoNode;
    double coefficient = 1.0;
    while (is(at, Operation::Multiply) || is(at, Operation::Divide)) {
        const ExpressionNode node = m_graph[at];
        if (is(at, Operation::Multiply)) {
            if (foldable(node.second)) {
                coefficient = valueOf(node.second);
                replacement = node.first;
                break;
            }
            if (foldable(node.first)) {
                coefficient = valueOf(node.first);
                replacement = node.second;
                break;
            }
        }
        path.push_back(at);
        at = node.first;
    }
    if (replacement == kNoNode) {
        rest = term;
        return 1.0;
    }
    for (std::size_t k = path.size(); k-- > 0;) {
        const ExpressionNode node = m_graph[path[k]];
        replacement = m_graph.make(node.token, replacement, node.second);
    }
    rest = replacement;
    return coefficient;
}

NodeId SimplificationPass::negateCoefficient(NodeId term)
{
    // The first factor of a product chain sits at the bottom of its first operands.
    std::vector<NodeId> path;
    NodeId at = term;
    while (is(at, Operation::Multiply) || is(at, Operation::Divide)) {
        path.push_back(at);
        at = m_graph[at].first;
    }
    if (path.empty() || !foldable(at))
        return kNoNode;
    NodeId result = folded(-valueOf(at));
    for (std::size_t k = path.size(); k-- > 0;) {
        const ExpressionNode node = m_graph[path[k]];
        result = m_graph.make(node.token, result, node.second);
    }
    return result;
}

void SimplificationPass::mergeLikeTerms(std::vector<Member>& terms)
{
    struct Split {
        double coefficient;
        NodeId rest;
        std::size_t position;
    };
    std::vector<Split> splits;
    for (std::size_t i = 0; i < terms.size(); ++i) {
        if (foldable(terms[i].node))
            continue;
        NodeId rest = kNoNode;
        const double c = splitCoefficient(terms[i].node, rest);
        splits.push_back({c, rest, i});
    }
    std::stable_sort(splits.begin(), splits.end(),
                     [](const Split& a, const Split& b) { return a.rest < b.rest; });
    const OperationInfo& add = operationInfo(Operation::Add);
    bool changed = false;
    for (std::size_t run = 0; run < splits.size();) {
        std::size_t end = run;
        while (end < splits.size() && splits[end].rest == splits[run].rest)
            ++end;
        const Split& lead = splits[run];
        if (end - run == 1 && !(lead.coefficient < 0.0)) {
            run = end;
            continue;
        }
        // c = +-c1 +- c2 ... by the terms' signs, into the place of the first term.
        double c = 0.0;
        for (std::size_t k = run; k < end; ++k) {
            const Split& s = splits[k];
            foldBinary(add, c, terms[s.position].positive ? s.coefficient : -s.coefficient, c);
            terms[s.position].node = kNoNode;
        }
        changed = true;
        run = end;
        if (c == 0.0)
            continue;
        const bool positive = !(c < 0.0);
        const NodeId product =
            m_graph.binary(Operation::Multiply, folded(positive ? c : -c), lead.rest);
        terms[lead.position] = {simplify(product), positive};
        // The merged term may come back negated.
        while (is(terms[lead.position].node, Operation::Negate)) {
            terms[lead.position].node = m_graph[terms[lead.position].node].first;
            terms[lead.position].positive = !terms[lead.position].positive;
        }
    }
    if (!changed)
        return;
    dropRemoved(terms);
    sortMembers(terms, true);
}

NodeId SimplificationPass::rebuildSum(std::vector<Member>& terms)
{
    if (terms.empty())
        return m_graph.constant(0.0);
    // Start with an added term where there is one: a leading negation costs a token.
    const auto start =
        std::find_if(terms.begin(), terms.end(), [](const Member& m) { return m.positive; });
    if (start != terms.end() && start != terms.begin())
        std::rotate(terms.begin(), start, start + 1);
    const Member& lead = terms.front();
    NodeId result = lead.node;
    if (!lead.positive) {
        if (foldable(lead.node))
            result = folded(-valueOf(lead.node));
        else if (const NodeId negated = negateCoefficient(lead.node); negated != kNoNode)
            result = negated;
        else
            result = m_graph.unary(Operation::Negate, lead.node);
    }
    for (std::size_t i = 1; i < terms.size(); ++i)
        result = m_graph.binary(terms[i].positive ? Operation::Add : Operation::Subtract, result,
                                terms[i].node);
    return result;
}

} // namespace varnel
