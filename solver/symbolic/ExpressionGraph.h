// Expressions as shared nodes: a prefix chain read into nodes that are unique by token and
// operands, so that identical subexpressions are one node and compare by number. The
// simplifier builds its rewritten expressions here and writes them back as prefix chains.
#pragma once

#include "Code.h"
#include "Operations.h"

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace varnel {

using NodeId = std::uint32_t;
inline constexpr NodeId kNoNode = static_cast<NodeId>(-1);

/// One node: a constant or variable token without operands, a U token with its argument
/// in `first`, or a B token with its first (written left) operand in `first` and its
/// second (written right) operand in `second`.
struct ExpressionNode {
    Token token;
    NodeId first = kNoNode;
    NodeId second = kNoNode;
    /// Tokens of the expression written out as a chain, saturated at kMaxSize.
    std::uint64_t size = 1;
};

class ExpressionGraph {
public:
    /// Size at which token counts stop growing (shared nodes can stand for chains far
    /// longer than memory).
    static constexpr std::uint64_t kMaxSize = std::uint64_t{1} << 60;

    /// The node of `token` with the given operands (kNoNode where it has none): the
    /// existing one when an identical node exists. Operation tokens lose value and index
    /// (which mean nothing for them); a constant of -0 becomes 0.
    NodeId make(const Token& token, NodeId first = kNoNode, NodeId second = kNoNode);
    NodeId constant(double value) { return make(makeConstant(value)); }
    NodeId unary(Operation op, NodeId argument) { return make(makeOperationToken(op), argument); }
    NodeId binary(Operation op, NodeId first, NodeId second)
    {
        return make(makeOperationToken(op), first, second);
    }

    const ExpressionNode& operator[](NodeId id) const { return m_nodes[id]; }
    std::size_t nodeCount() const { return m_nodes.size(); }

    /// Reads the prefix subexpression that starts at `start` (void tokens skipped);
    /// kNoNode when the chain ends before it is complete or holds a token of another
    /// kind. `end` receives the position just past it. Works without recursion.
    NodeId read(const Chain& prefix, std::size_t start, std::size_t& end);
    /// Appends the expression of `id` to `out` in prefix order. Works without recursion.
    void write(NodeId id, Chain& out) const;

    /// Forgets every node.
    void clear();

private:
    struct Key {
        std::uint64_t value;
        std::uint32_t index;
        NodeId first;
        NodeId second;
        char kind;
        std::uint8_t op;
        std::uint8_t tag;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const;
    };

    std::vector<ExpressionNode> m_nodes;
    std::unordered_map<Key, NodeId, KeyHash> m_index;
};

} // namespace varnel
