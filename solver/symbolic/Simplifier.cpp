// The pass driver: an equation read into shared nodes, two phases of passes (expanding,
// then not), each repeated while the code shrinks and undone when it grows, the result
// written back in stored form, and the folding messages sent after it.
#include "Simplifier.h"

#include "EquationSet.h"
#include "Reporter.h"
#include "SimplificationPass.h"

#include <algorithm>
#include <utility>

namespace varnel {

Simplifier::Simplifier(Reporter& reporter)
    : m_reporter(reporter), m_pass(std::make_unique<SimplificationPass>(m_graph, reporter))
{
}

Simplifier::~Simplifier() = default;

const std::vector<std::string>& Simplifier::foldMessages() const
{
    return m_pass->messages();
}

bool Simplifier::interrupted()
{
    if (!m_reporter.interruptRequested())
        return false;
    m_reporter.reportInterrupted();
    return true;
}

bool Simplifier::simplifyEquations(EquationSet& set, int lo, int hi)
{
    m_reporter.send("\nSimplifying Equation No: ");
    for (int i = lo; i <= hi; ++i) {
        m_reporter.sendf("%4d", i);
        if (i < 1 || i > set.equationCount())
            continue;
        Chain& code = set.equation(i).code;
        if (code.empty() || code.front().kind == kind::End)
            continue; // an empty slot
        if (!simplifyEquation(code, i))
            return false;
    }
    return true;
}

bool Simplifier::simplifyEquation(Chain& postfix, int number)
{
    m_pass->messages().clear();
    m_pass->complexMode = complexMode;
    m_graph.clear();
    const Chain prefix = toPrefix(postfix);
    if (prefix.empty())
        return true;
    std::size_t end = 0;
    const NodeId root = m_graph.read(prefix, 0, end);
    if (root == kNoNode || end != prefix.size())
        return true; // not one expression: nothing to simplify

    NodeId current = root;
    bool stopped = false;
    // Phases 1 and 2, again while a round still changes the code: what the second phase
    // brings together, the first may multiply out shorter, and only a round that changes
    // nothing leaves a code that a second simplification would keep.
    for (int round = 0; round < kMaxRounds && !stopped; ++round) {
        const NodeId roundStart = current;
        for (const bool expanding : {true, false}) {
            stopped = !runPhase(expanding, current);
            if (stopped)
                break;
        }
        if (current == roundStart)
            break;
    }

    if (current != root) {
        Chain out;
        out.reserve(static_cast<std::size_t>(m_graph[current].size));
        m_graph.write(current, out);
        postfix = toPostfix(out);
    }
    // A pass that was undone may be run again on the same constants: each text once.
    std::vector<std::string>& messages = m_pass->messages();
    std::vector<std::string> distinct;
    for (std::string& text : messages)
        if (std::find(distinct.begin(), distinct.end(), text) == distinct.end())
            distinct.push_back(std::move(text));
    messages = std::move(distinct);
    for (const std::string& text : messages) {
        m_reporter.send("\n");
        m_reporter.send(text);
        if (number > 0) {
            m_reporter.send(" in Equation ");
            m_reporter.sendf("%d", number);
        }
    }
    if (!messages.empty())
        m_reporter.raiseError();
    return !stopped;
}

bool Simplifier::runPhase(bool expanding, NodeId& current)
{
    if (interrupted())
        return false;
    std::uint64_t count = m_graph[current].size;
    int equalPasses = 0;
    for (;;) {
        const NodeId before = current;
        m_pass->begin(expanding);
        current = m_pass->run(current);
        const std::uint64_t after = m_graph[current].size;
        if (after > count) { // the pass lengthened the code: undone
            current = before;
            return !interrupted();
        }
        if (interrupted())
            return false;
        if (after < count) {
            count = after;
            equalPasses = 0;
            continue;
        }
        // Equal length: kept; another pass while it still changes the code.
        if (current == before || ++equalPasses >= kMaxEqualPasses)
            return true;
    }
}

Chain Simplifier::simplifyPass(const Chain& prefix, bool expanding)
{
    m_pass->messages().clear();
    m_pass->complexMode = complexMode;
    m_graph.clear();
    std::size_t end = 0;
    const NodeId root = m_graph.read(prefix, 0, end);
    if (root == kNoNode || end != prefix.size())
        return prefix;
    m_pass->begin(expanding);
    Chain out;
    m_graph.write(m_pass->run(root), out);
    return out;
}

} // namespace varnel
