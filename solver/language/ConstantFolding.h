// Constant folding: the light one-pass clean-up of a chain after reading and after
// differentiation. Operations on plain constants are computed with the evaluator's real
// arithmetic, and trivial operations (products with 0 and 1, sums with 0, ...) removed.
#pragma once

#include "Code.h"
#include "RealArithmetic.h"

#include <cstddef>
#include <vector>

namespace varnel {

class Reporter;

/// Folds a prefix chain in place: the surviving token of a folded subexpression receives
/// the result, every token that disappears becomes void. Mathematical errors are recorded
/// in `error` (the caller reports them with the equation's number); the special
/// functions report their own messages through `reporter`. Works without recursion, so
/// that any nesting depth is safe. Returns false, leaving the chain untouched, when the
/// chain is not one well-formed expression.
/// With `complexMode`, an operation on constants that is an error only in real arithmetic
/// (SQRT(-4), LN(-1), (-8)^(1/3), ARCSIN(2)) is left for the complex evaluator instead of
/// being folded to a failed result.
bool foldConstants(Chain& prefix, Reporter& reporter, EvalError& error, bool complexMode = false);

/// The working buffers of the folding, for a caller that folds many chains one after
/// the other and keeps them from one chain to the next.
struct FoldBuffers {
    /// One folded operand: the tokens [start, end) of the chain; `head` is its first token
    /// that is not void (the operation, or the constant or variable it was reduced to),
    /// and `argument` the head of its operation's first operand (none for a constant or
    /// a variable).
    struct Operand {
        std::size_t start;
        std::size_t end;
        std::size_t head;
        std::size_t argument;
    };
    std::vector<Operand> operands; // the operands seen so far, innermost last
    std::vector<int> dropped;      // +1 where a dropped operand starts, -1 where it ends
    EvalError local;               // the error of one computation
};

/// foldConstants for a chain that is one well-formed expression by construction (the
/// differentiator builds only such chains), without checking it first. Returns the number
/// of tokens that are not void.
std::size_t foldWellFormed(Chain& prefix, Reporter& reporter, EvalError& error, bool complexMode,
                           FoldBuffers& buffers);

/// Folds a postfix chain: the folded chain in postfix order, or a copy of `postfix` when
/// it is not one well-formed expression.
Chain foldPostfix(const Chain& postfix, Reporter& reporter, EvalError& error,
                  bool complexMode = false);

} // namespace varnel
