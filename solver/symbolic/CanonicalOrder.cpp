// Canonical member order: a rank per kind of node, then a walk down the two expressions
// that stops at the first difference (identical subexpressions are one node, so a walk
// never has to look at both operands of a pair that compares equal).
#include "CanonicalOrder.h"

namespace varnel {

namespace {

int rankOf(char k, MemberOrder order)
{
    const bool sum = order == MemberOrder::Sum;
    switch (k) {
    case kind::Variable:
        return sum ? 0 : 1;
    case kind::Unary:
        return sum ? 1 : 3;
    case kind::Binary:
        return 2;
    case kind::Constant:
        return sum ? 3 : 0;
    default:
        return 4;
    }
}

template <class T> int threeWay(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int compareValues(double a, double b)
{
    if (a < b)
        return -1;
    if (b < a)
        return 1;
    return 0;
}

int compareAt(const ExpressionGraph& g, NodeId a, NodeId b, MemberOrder order, int depth)
{
    while (a != b) {
        const ExpressionNode& na = g[a];
        const ExpressionNode& nb = g[b];
        const Token& ta = na.token;
        const Token& tb = nb.token;
        if (int c = threeWay(rankOf(ta.kind, order), rankOf(tb.kind, order)); c != 0)
            return c;
        if (++depth > kMaxCompareDepth)
            return threeWay(a, b);
        int c = 0;
        switch (ta.kind) {
        case kind::Constant:
            c = compareValues(ta.value, tb.value);
            if (c == 0)
                c = threeWay(ta.op, tb.op);
            if (c == 0)
                c = threeWay(ta.index, tb.index);
            break;
        case kind::Variable:
            c = threeWay(ta.index, tb.index);
            if (c == 0)
                c = threeWay(ta.op, tb.op);
            break;
        case kind::Unary:
            if (na.first != nb.first)
                return compareAt(g, na.first, nb.first, order, depth);
            c = threeWay(ta.op, tb.op);
            break;
        case kind::Binary:
            if (na.first != nb.first)
                return compareAt(g, na.first, nb.first, order, depth);
            c = threeWay(ta.op, tb.op);
            if (c == 0 && na.second != nb.second) {
                a = na.second; // the walk goes on in the second operands
                b = nb.second;
                continue;
            }
            break;
        default:
            break;
        }
        if (c == 0)
            c = threeWay(ta.tag, tb.tag);
        // Same token and operands would be the same node; anything left differs in a value
        // that does not order (the bits of a NaN), so node numbers decide.
        return c != 0 ? c : threeWay(a, b);
    }
    return 0;
}

} // namespace

int compareMembers(const ExpressionGraph& graph, NodeId a, NodeId b, MemberOrder order)
{
    return compareAt(graph, a, b, order, 0);
}

} // namespace varnel
