// Shared expression nodes: interning by token and operands, reading a prefix chain from
// its last token to its first with a stack of finished operands, and writing a node back
// with a stack of nodes still to write.
#include "ExpressionGraph.h"

#include <bit>

namespace varnel {

std::size_t ExpressionGraph::KeyHash::operator()(const Key& k) const
{
    std::uint64_t h = k.value * 0x9E3779B97F4A7C15ull;
    h ^= (static_cast<std::uint64_t>(k.first) << 32 | k.second) + 0x7F4A7C159E3779B9ull + (h << 6) +
         (h >> 2);
    h ^= (static_cast<std::uint64_t>(k.index) << 24 | static_cast<std::uint64_t>(k.op) << 16 |
          static_cast<std::uint64_t>(static_cast<unsigned char>(k.kind)) << 8 | k.tag) +
         (h << 6) + (h >> 2);
    return static_cast<std::size_t>(h ^ (h >> 29));
}

NodeId ExpressionGraph::make(const Token& token, NodeId first, NodeId second)
{
    Token t = token;
    if (t.kind == kind::Binary || t.kind == kind::Unary) {
        t.value = 0.0;
        t.index = 0;
    } else if (t.value == 0.0) {
        t.value = 0.0; // one zero, whatever its sign
    }
    const Key key{
        std::bit_cast<std::uint64_t>(t.value), t.index, first, second, t.kind, t.op, t.tag};
    const auto [it, inserted] = m_index.try_emplace(key, static_cast<NodeId>(m_nodes.size()));
    if (!inserted)
        return it->second;
    std::uint64_t size = 1;
    if (first != kNoNode)
        size += m_nodes[first].size;
    if (second != kNoNode)
        size += m_nodes[second].size;
    m_nodes.push_back({t, first, second, size < kMaxSize ? size : kMaxSize});
    return it->second;
}

NodeId ExpressionGraph::read(const Chain& prefix, std::size_t start, std::size_t& end)
{
    end = operandEnd(prefix, start);
    std::vector<NodeId> operands;
    for (std::size_t i = end; i-- > start;) {
        const Token& t = prefix[i];
        switch (t.kind) {
        case kind::Constant:
        case kind::Variable:
            operands.push_back(make(t));
            break;
        case kind::Unary:
            if (operands.empty())
                return kNoNode;
            operands.back() = make(t, operands.back());
            break;
        case kind::Binary: {
            if (operands.size() < 2)
                return kNoNode;
            // Read backwards, the first operand (last in prefix order) came first.
            const NodeId second = operands.back();
            operands.pop_back();
            operands.back() = make(t, operands.back(), second);
            break;
        }
        case kind::Void:
            break;
        default:
            return kNoNode;
        }
    }
    return operands.size() == 1 ? operands.back() : kNoNode;
}

void ExpressionGraph::write(NodeId id, Chain& out) const
{
    std::vector<NodeId> pending{id};
    while (!pending.empty()) {
        const ExpressionNode& n = m_nodes[pending.back()];
        pending.pop_back();
        out.push_back(n.token);
        // Prefix order: the operator, its second operand, then its first.
        if (n.first != kNoNode)
            pending.push_back(n.first);
        if (n.second != kNoNode)
            pending.push_back(n.second);
    }
}

void ExpressionGraph::clear()
{
    m_nodes.clear();
    m_index.clear();
}

} // namespace varnel
