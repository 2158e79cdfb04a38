// One simplification pass over an expression held in an ExpressionGraph: the dispatcher
// and the sum, product, binary and function simplifiers with their rules, constant
// folding in the evaluator's real arithmetic, and the folding messages met on the way.
// The Simplifier's pass driver runs it until the code stops shrinking.
#pragma once

#include "ExpressionGraph.h"
#include "Operations.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

class Reporter;

class SimplificationPass {
public:
    /// Deepest nesting that the dispatcher follows; a subexpression below it is kept as
    /// it is.
    static constexpr int kMaxDepth = 1000;
    /// Most terms that multiplying out one product over its sums may give; a product that
    /// would give more is left as a product.
    static constexpr std::size_t kMaxExpansionTerms = 32;
    /// Magnitude below which the folded constant of a sum is dropped.
    static constexpr double kNegligible = 1e-20;

    SimplificationPass(ExpressionGraph& graph, Reporter& reporter);

    bool complexMode = false;

    /// Starts a pass: forgets what earlier passes simplified and sets whether products
    /// are multiplied out over sums.
    void begin(bool expanding);
    /// The simplified form of the expression `root` (summed with 0.0 first).
    NodeId run(NodeId root);
    /// The simplified form of one subexpression (the dispatcher). Within a pass every
    /// node is simplified once; a result counts as simplified already.
    NodeId simplify(NodeId n);

    std::vector<std::string>& messages() { return m_messages; }

    /// A member of a term list (sign: added) or a factor list (sign: in the numerator).
    struct Member {
        NodeId node;
        bool positive;
    };

private:
    NodeId simplifySum(NodeId n);
    NodeId simplifyProduct(NodeId n);
    NodeId simplifyBinary(NodeId n);
    NodeId simplifyFunction(NodeId n);
    NodeId simplifyPower(NodeId base, NodeId exponent, const Token& token);

    // Sum steps.
    void collectTerms(NodeId n, std::vector<Member>& terms);
    void applyPythagoras(std::vector<Member>& terms);
    void foldSumConstants(std::vector<Member>& terms);
    void mergeLikeTerms(std::vector<Member>& terms);
    NodeId rebuildSum(std::vector<Member>& terms);
    /// The numeric coefficient of a term and the term without it (1.0 and the term when
    /// it has none).
    double splitCoefficient(NodeId term, NodeId& rest);
    /// The product chain `term` with its leading constant factor negated, or kNoNode when
    /// it does not start with one.
    NodeId negateCoefficient(NodeId term);

    // Product steps.
    void collectFactors(NodeId n, std::vector<Member>& factors, bool& negative);
    /// False when the constants fold to 0 (the whole product is 0).
    bool foldProductConstants(std::vector<Member>& factors, bool& negative);
    void mergePowers(std::vector<Member>& factors);
    NodeId rebuildProduct(std::vector<Member>& factors, bool negative);
    NodeId expandProduct(const std::vector<Member>& factors, bool negative);

    /// Stable sort in the canonical order; removes nothing.
    void sortMembers(std::vector<Member>& members, bool sum) const;
    /// Drops the pairs of identical members of opposite sign.
    void cancelPairs(std::vector<Member>& members) const;
    static void dropRemoved(std::vector<Member>& members);

    // Folding.
    /// A constant that folding may use: a plain constant or the constant PI.
    bool foldable(NodeId n) const;
    double valueOf(NodeId n) const { return m_graph[n].token.value; }
    std::optional<Operation> operationAt(NodeId n) const { return operationOf(m_graph[n].token); }
    bool is(NodeId n, Operation op) const { return operationAt(n) == op; }
    /// The constant node of a folded value (BIG for a magnitude of BIG or more).
    NodeId folded(double value);
    /// Runs one real-arithmetic operation; a mathematical error is kept as a message. In
    /// complex mode an operation that fails gives false (it is left unfolded).
    template <class Compute> bool compute(double& result, Compute&& operation);
    bool foldUnary(const OperationInfo& row, double x, double& result);
    bool foldBinary(const OperationInfo& row, double a, double b, double& result);

    ExpressionGraph& m_graph;
    Reporter& m_reporter;
    bool m_expanding = true;
    int m_depth = 0;
    std::vector<NodeId> m_memo;
    std::vector<std::string> m_messages;
};

} // namespace varnel
