// Simplification of equations: the pass driver that rewrites an equation's code into a
// shorter canonical form, phase by phase, until a pass stops shortening it, and the loop
// over the equations of a set. The equation-file commands that simplify or save
// simplified equations call it; the rules themselves live in SimplificationPass.
#pragma once

#include "Code.h"
#include "ExpressionGraph.h"

#include <memory>
#include <string>
#include <vector>

namespace varnel {

class Reporter;
struct EquationSet;
class SimplificationPass;

class Simplifier {
public:
    /// Most equal-length passes in a row that the driver runs while they still change the
    /// code (a pass that keeps the length but not the code has not reached the canonical
    /// form yet).
    static constexpr int kMaxEqualPasses = 8;
    /// Most rounds of the two phases (a round is repeated while it changes the code).
    static constexpr int kMaxRounds = 4;

    explicit Simplifier(Reporter& reporter);
    ~Simplifier();
    Simplifier(const Simplifier&) = delete;
    Simplifier& operator=(const Simplifier&) = delete;

    /// The run's complex mode: a constant operation that fails only in real arithmetic
    /// (SQRT(-4), LN(-1)) is left for the complex evaluator instead of being folded.
    bool complexMode = false;

    /// Simplifies equations lo..hi of `set`: sends "\nSimplifying Equation No: " once,
    /// then each number as "%4d", and simplifies the equation when its slot holds one
    /// (numbers outside the set and empty slots are only written). Returns false when
    /// the run was interrupted; the equations after that one are left as they were.
    bool simplifyEquations(EquationSet& set, int lo, int hi);

    /// The pass driver on one equation in stored form (postfix, ending in ";"): phase 1
    /// with products multiplied out over sums, phase 2 without; each phase repeats its
    /// pass while the code gets shorter, and a pass that lengthens the code is undone.
    /// The two phases run again while a round of them changes the code (kMaxRounds).
    /// The result is never longer than the input. Folding errors are sent as "\n", the
    /// message and, for a `number` above 0, " in Equation " and the number, in the order
    /// they were met; any of them raises the run error. A chain that is not one
    /// expression is left untouched. Returns false when the run was interrupted (the
    /// equation then holds the code of the last pass that did not lengthen it).
    bool simplifyEquation(Chain& postfix, int number = 0);

    /// One pass over a prefix expression, as the driver runs it (the expression is summed
    /// with 0.0 first, so that the root is a sum); the rewritten prefix chain, or a copy
    /// of `prefix` when it is not one expression. Folding errors are collected in
    /// foldMessages() and not sent.
    Chain simplifyPass(const Chain& prefix, bool expanding);

    /// The folding messages of the last call, in the order they were met.
    const std::vector<std::string>& foldMessages() const;

private:
    /// True (after sending the interruption text) when the host asked the run to stop.
    bool interrupted();
    /// One phase on `current`: passes while they shorten the code (or keep its length
    /// but change it), the last one undone when it lengthens it. False when interrupted.
    bool runPhase(bool expanding, NodeId& current);

    Reporter& m_reporter;
    ExpressionGraph m_graph;
    std::unique_ptr<SimplificationPass> m_pass;
};

} // namespace varnel
