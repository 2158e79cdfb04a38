// The canonical order of the members of a sum and of the factors of a product: by kind of
// node first, then by value, variable number or operands. The sum and product simplifiers
// sort their lists with it, so that equal expressions written in any order meet.
#pragma once

#include "ExpressionGraph.h"

namespace varnel {

/// Which list is being sorted: the two put the kinds of node in different orders.
enum class MemberOrder : std::uint8_t {
    Sum,     // variables, functions, binary subexpressions, constants
    Product, // constants, variables, binary subexpressions, functions
};

/// Negative when `a` goes before `b`, positive when after, 0 only for the same node.
/// Constants compare by value (then form, tied variable and mark), variables by number
/// (then form), binary subexpressions by their first operands, then operator, then second
/// operands, functions by their arguments, then code. Past a nesting of kMaxCompareDepth
/// the comparison falls back to node numbers.
int compareMembers(const ExpressionGraph& graph, NodeId a, NodeId b, MemberOrder order);

inline constexpr int kMaxCompareDepth = 1000;

} // namespace varnel
