// The derivative rules of the equation language, one per operation and function, and
// the driver that differentiates a stored equation and folds the result. Rules are
// written in the written (infix) order of calculus; the builders below lay them out in
// prefix order: the operation, then its second operand, then its first. The work runs
// on an explicit stack, so deep nesting does not deepen the call stack.
#include "Differentiator.h"

#include "ConstantFolding.h"
#include "FunctionTable.h"
#include "Operations.h"
#include "Reporter.h"

#include <cassert>
#include <limits>
#include <string_view>
#include <vector>

namespace varnel {

namespace {

/// One piece of the work that builds a derivative: emit an operation or a constant, copy
/// an operand, or differentiate an operand (at the given nesting depth).
struct Work {
    enum class Action : std::uint8_t { EmitBinary, EmitUnary, EmitConstant, Copy, Derive };
    double value;        // EmitConstant
    std::uint32_t at;    // Copy, Derive: position in the prefix chain
    std::uint16_t depth; // Derive
    Action action;
    std::uint8_t code; // operation code, or number form of a constant
};

} // namespace

/// Buffers kept from one derivative to the next.
struct Differentiator::Scratch {
    Chain prefix;
    Chain out;
    std::vector<std::size_t> ends;
    std::vector<std::size_t> complete;
    std::vector<Work> stack;
    std::vector<Work> rule;
    FoldBuffers folding;
};

namespace {

/// Builds the derivative of one subexpression. A rule is composed of pieces: callables
/// that append their work, in prefix order, to the rule being laid out. The work of a
/// rule goes onto a stack that is run until it is empty; operands are found through a
/// table of subexpression ends computed once per chain.
class DerivativeBuilder {
public:
    DerivativeBuilder(const Chain& prefix, std::size_t start, std::uint32_t variable, Chain& out,
                      Reporter& reporter, Differentiator::Scratch& scratch)
        : m_prefix(prefix), m_variable(variable), m_out(out), m_reporter(reporter),
          m_ends(scratch.ends), m_complete(scratch.complete), m_stack(scratch.stack),
          m_rule(scratch.rule)
    {
        assert(prefix.size() < std::numeric_limits<std::uint32_t>::max());
        computeEnds(start);
        m_stack.clear();
    }

    /// Emits the derivative of the subexpression at `start`; returns its end.
    std::size_t run(std::size_t start)
    {
        const std::size_t at = skipVoid(start);
        const std::size_t outStart = m_out.size();
        derive(at, 1);
        while (!m_stack.empty()) {
            if (m_out.size() - outStart > Differentiator::kMaxOutput) {
                // Copied operands grow the code multiplicatively; past the bound the
                // derivative is refused rather than built at any cost.
                m_stack.clear();
                m_out.resize(outStart);
                tooLarge();
                break;
            }
            const Work w = m_stack.back();
            m_stack.pop_back();
            perform(w);
        }
        return endOf(at);
    }

    bool failed() const { return m_failed; }

private:
    // ---- Pieces ---------------------------------------------------------------------

    auto d(std::size_t at)
    {
        return [this, at] {
            m_rule.push_back({0.0, static_cast<std::uint32_t>(at),
                              static_cast<std::uint16_t>(m_depth + 1), Work::Action::Derive, 0});
        };
    }
    auto copyOf(std::size_t at)
    {
        return [this, at] {
            m_rule.push_back({0.0, static_cast<std::uint32_t>(at), 0, Work::Action::Copy, 0});
        };
    }
    auto constant(double value, std::uint8_t numberForm = form::Real)
    {
        return [this, value, numberForm] {
            m_rule.push_back({value, 0, 0, Work::Action::EmitConstant, numberForm});
        };
    }
    template <class A, class B> auto binary(Operation op, A first, B second)
    {
        const std::uint8_t code = codeOf(op);
        return [this, code, first, second] {
            m_rule.push_back({0.0, 0, 0, Work::Action::EmitBinary, code});
            second();
            first();
        };
    }
    template <class A> auto unary(Operation op, A argument)
    {
        const std::uint8_t code = codeOf(op);
        return [this, code, argument] {
            m_rule.push_back({0.0, 0, 0, Work::Action::EmitUnary, code});
            argument();
        };
    }

    template <class A, class B> auto add(A a, B b) { return binary(Operation::Add, a, b); }
    template <class A, class B> auto sub(A a, B b) { return binary(Operation::Subtract, a, b); }
    template <class A, class B> auto mul(A a, B b) { return binary(Operation::Multiply, a, b); }
    template <class A, class B> auto quot(A a, B b) { return binary(Operation::Divide, a, b); }
    template <class A, class B> auto pow(A a, B b) { return binary(Operation::Power, a, b); }
    template <class A, class B> auto gammp(A a, B b) { return binary(Operation::Gammp, a, b); }
    template <class A> auto neg(A a) { return unary(Operation::Negate, a); }
    template <class A> auto inv(A a) { return unary(Operation::Inv, a); }
    template <class A> auto square(A a) { return unary(Operation::Square, a); }
    template <class A> auto sqrt(A a) { return unary(Operation::Sqrt, a); }
    template <class A> auto sin(A a) { return unary(Operation::Sin, a); }
    template <class A> auto cos(A a) { return unary(Operation::Cos, a); }
    template <class A> auto exp(A a) { return unary(Operation::Exp, a); }
    template <class A> auto ln(A a) { return unary(Operation::Ln, a); }
    template <class A> auto unitStep(A a) { return unary(Operation::UnitStep, a); }
    template <class A> auto j0(A a) { return unary(Operation::BessJ0, a); }
    template <class A> auto j1(A a) { return unary(Operation::BessJ1, a); }
    template <class A> auto y0(A a) { return unary(Operation::BessY0, a); }
    template <class A> auto y1(A a) { return unary(Operation::BessY1, a); }
    template <class A> auto gammln(A a) { return unary(Operation::Gammln, a); }

    /// Lays out a rule's pieces.
    template <class Piece> static void emit(Piece piece) { piece(); }

    void perform(const Work& w)
    {
        switch (w.action) {
        case Work::Action::EmitBinary:
            m_out.push_back(makeBinaryToken(w.code));
            return;
        case Work::Action::EmitUnary:
            m_out.push_back(makeUnaryToken(w.code));
            return;
        case Work::Action::EmitConstant:
            m_out.push_back(makeToken(kind::Constant, w.code, 0, w.value));
            return;
        case Work::Action::Copy:
            copyOperand(w.at);
            return;
        case Work::Action::Derive:
            derive(w.at, w.depth);
            return;
        }
    }

    /// True for work that can be done at once, without laying out a rule.
    bool immediate(const Work& w) const
    {
        if (w.action != Work::Action::Derive)
            return true;
        const std::size_t at = skipVoid(w.at);
        return at < m_prefix.size() &&
               (m_prefix[at].kind == kind::Constant || m_prefix[at].kind == kind::Variable);
    }

    /// Runs a laid-out rule: its leading pieces that need no rule of their own at once,
    /// the rest from the work stack (last piece on top).
    void schedule()
    {
        std::size_t first = 0;
        while (first < m_rule.size() && immediate(m_rule[first]))
            perform(m_rule[first++]);
        m_stack.insert(m_stack.end(), m_rule.rbegin(),
                       m_rule.rend() - static_cast<std::ptrdiff_t>(first));
    }

    // ---- The step -------------------------------------------------------------------

    /// The derivative of the subexpression at `at`, `depth` levels deep: a constant or
    /// a variable goes straight to the output, an operation lays out its rule and puts
    /// it on the work stack (last piece first, so that the first is run first).
    void derive(std::size_t at, int depth)
    {
        assert(depth <= Differentiator::kMaxDepth + 1);
        at = skipVoid(at);
        if (at >= m_prefix.size()) {
            // The chain ended where an operand was owed, as if its ";" had been reached.
            illegalCode(kind::End, ' ');
            return;
        }
        if (depth > Differentiator::kMaxDepth) {
            tooDeep();
            return;
        }
        const Token& t = m_prefix[at];
        switch (t.kind) {
        case kind::Constant:
            m_out.push_back(makeZero());
            return;
        case kind::Variable:
            if (t.index == m_variable)
                m_out.push_back(makeToken(kind::Constant, t.op, 0, 1.0));
            else
                m_out.push_back(makeZero());
            return;
        case kind::Binary:
        case kind::Unary:
            break;
        default:
            illegalCode(t.kind, t.op);
            return;
        }
        m_rule.clear();
        m_depth = depth;
        const OperationInfo* row = findOperation(t.kind, t.op);
        if (row == nullptr || !layOutRule(at, row->operation)) {
            const bool binary = t.kind == kind::Binary;
            refuse(binary ? " Binary Function " : " Unary Function ",
                   functionNameOfCode(t.op, binary));
            return;
        }
        schedule();
    }

    /// The rule of operation `op` at `at`: for a binary token u is the first (written
    /// left) operand and v the second, for a unary token w is the argument. False for an
    /// operation without a rule.
    bool layOutRule(std::size_t at, Operation op)
    {
        const bool isBinary = m_prefix[at].kind == kind::Binary;
        const std::size_t vAt = skipVoid(at + 1);
        const std::size_t uAt = isBinary ? skipVoid(endOf(vAt)) : vAt;
        const auto u = copyOf(uAt);
        const auto v = copyOf(vAt);
        const auto du = d(uAt);
        const auto dv = d(vAt);
        const auto w = v;
        const auto dw = dv;
        const auto zero = constant(0.0);
        const auto half = constant(0.5);
        const auto one = constant(1.0);
        const auto two = constant(2.0);
        const auto pi = constant(kPi, form::Pi);

        switch (op) {
        case Operation::Add:
            emit(add(du, dv));
            return true;
        case Operation::Subtract:
            emit(add(du, neg(dv)));
            return true;
        case Operation::Multiply:
            emit(add(mul(du, v), mul(u, dv)));
            return true;
        case Operation::Divide:
            emit(quot(sub(mul(du, v), mul(u, dv)), square(v)));
            return true;
        case Operation::Power:
            // Both terms always, also for a constant exponent.
            emit(add(mul(mul(pow(u, v), ln(u)), dv), mul(mul(pow(u, sub(v, one)), v), du)));
            return true;
        case Operation::Atan2:
            emit(quot(sub(mul(v, du), mul(u, dv)), add(square(u), square(v))));
            return true;
        case Operation::Gammp: {
            // In the upper limit v the exact derivative v^(u-1) e^-v / Gamma(u); in the
            // shape u a central difference, since d/du P(u, v) has no closed form here.
            const double h = Differentiator::kGammpShapeStep;
            const auto inShape =
                quot(sub(gammp(add(u, constant(h)), v), gammp(sub(u, constant(h)), v)),
                     constant(2.0 * h));
            emit(add(mul(mul(dv, pow(v, sub(u, one))), exp(neg(add(v, gammln(u))))),
                     mul(inShape, du)));
            return true;
        }
        case Operation::If:
            // IF c THEN a ELSE b: the condition is kept as it stands (a condition such as
            // x > 1 compiles to a difference, which must not be differentiated), the
            // THEN part carries the derivatives of both branches.
            emit(binary(op, u, dv));
            return true;
        case Operation::Then:
            emit(binary(op, du, dv));
            return true;
        case Operation::Less:
        case Operation::Greater:
            // As values these are v - u and u - v; the same relation over the
            // derivatives is their derivative.
            emit(binary(op, du, dv));
            return true;
        case Operation::Equal:
            // 0 or 1: constant wherever it has a derivative.
            emit(zero);
            return true;
        case Operation::Derivative:
        case Operation::Delay:
        case Operation::Integral:
        case Operation::Limit:
        case Operation::Arg:
            return false;
        case Operation::Negate:
        case Operation::Real:
        case Operation::Imag:
        case Operation::Conjugate:
            emit(unary(op, dw));
            return true;
        case Operation::Sin:
            emit(mul(cos(w), dw));
            return true;
        case Operation::Cos:
            emit(mul(neg(sin(w)), dw));
            return true;
        case Operation::Tan:
            emit(mul(dw, inv(square(cos(w)))));
            return true;
        case Operation::Arcsin:
            emit(mul(dw, inv(sqrt(neg(sub(square(w), one))))));
            return true;
        case Operation::Arccos:
            emit(mul(dw, neg(inv(sqrt(neg(sub(square(w), one)))))));
            return true;
        case Operation::Arctan:
            emit(mul(dw, inv(add(square(w), one))));
            return true;
        case Operation::Exp:
            emit(mul(dw, exp(w)));
            return true;
        case Operation::Ln:
            emit(mul(dw, inv(w)));
            return true;
        case Operation::Inv:
            emit(neg(mul(inv(square(w)), dw)));
            return true;
        case Operation::Square:
            emit(mul(mul(two, w), dw));
            return true;
        case Operation::Sqrt:
            emit(mul(mul(half, inv(sqrt(w))), dw));
            return true;
        case Operation::Abs:
            // The sign of w, 1 - 1 = 0 at w = 0, times w'.
            emit(mul(sub(unitStep(w), unitStep(neg(w))), dw));
            return true;
        case Operation::UnitStep:
            // Constant wherever it has a derivative; the argument is not visited.
            emit(zero);
            return true;
        case Operation::Erf:
            emit(mul(mul(quot(two, sqrt(pi)), exp(neg(square(w)))), dw));
            return true;
        case Operation::BessJ0:
            emit(mul(neg(j1(w)), dw));
            return true;
        case Operation::BessY0:
            emit(mul(neg(y1(w)), dw));
            return true;
        case Operation::BessJ1:
            emit(mul(sub(j0(w), quot(j1(w), w)), dw));
            return true;
        case Operation::BessY1:
            emit(mul(sub(y0(w), quot(y1(w), w)), dw));
            return true;
        case Operation::Gammln: {
            // The digamma function as a central difference of GAMMLN itself.
            const double h = Differentiator::kGammlnStep;
            emit(mul(quot(sub(gammln(add(w, constant(h))), gammln(sub(w, constant(h)))),
                          constant(2.0 * h)),
                     dw));
            return true;
        }
        case Operation::Mag:
        case Operation::Angle:
            return false;
        }
        return false;
    }

    // ---- Operands -------------------------------------------------------------------

    std::size_t skipVoid(std::size_t at) const
    {
        while (at < m_prefix.size() && m_prefix[at].kind == kind::Void)
            ++at;
        return at;
    }

    /// Position just past the subexpression that starts at the non-void position `at`.
    std::size_t endOf(std::size_t at) const { return at < m_ends.size() ? m_ends[at] : at; }

    /// One backward pass: subexpressions are complete by the time their operation is
    /// reached, the nearest one on top. A missing operand ends at the chain's end.
    void computeEnds(std::size_t start)
    {
        const std::size_t n = m_prefix.size();
        m_ends.assign(n + 1, n);
        std::vector<std::size_t>& complete = m_complete;
        complete.clear();
        auto pop = [&complete]() -> std::size_t {
            if (complete.empty())
                return static_cast<std::size_t>(-1);
            const std::size_t top = complete.back();
            complete.pop_back();
            return top;
        };
        for (std::size_t i = n; i-- > start;) {
            const Token& t = m_prefix[i];
            if (t.kind == kind::Void)
                continue;
            std::size_t end = i + 1;
            if (t.kind == kind::Binary) {
                pop(); // v
                const std::size_t u = pop();
                end = u < n ? m_ends[u] : n;
            } else if (t.kind == kind::Unary) {
                const std::size_t w = pop();
                end = w < n ? m_ends[w] : n;
            }
            m_ends[i] = end;
            complete.push_back(i);
        }
    }

    /// A fresh copy of the operand at `at`, tokens as they stand (number forms, indices
    /// and tags kept), void tokens left out. A missing operand is copied as 0.0 so that
    /// the output stays a well-formed expression.
    void copyOperand(std::size_t at)
    {
        at = skipVoid(at);
        if (at >= m_prefix.size()) {
            m_out.push_back(makeZero());
            return;
        }
        const std::size_t end = endOf(at);
        for (std::size_t i = at; i < end; ++i)
            if (m_prefix[i].kind != kind::Void)
                m_out.push_back(m_prefix[i]);
    }

    // ---- Refusals -------------------------------------------------------------------

    void refuse(std::string_view what, std::string_view name)
    {
        m_reporter.send("\n");
        m_reporter.send("Deriv of ");
        m_reporter.send(what);
        m_reporter.send(name);
        m_reporter.send(" Not Implemented");
        m_reporter.send("\n");
        m_reporter.send("Use Incremental Method");
        m_reporter.raiseError();
        m_failed = true;
        m_out.push_back(makeZero());
    }

    void illegalCode(char k, std::uint8_t code)
    {
        m_reporter.send("\n");
        m_reporter.send("Illegal Code \"");
        m_reporter.sendf("%c", k);
        m_reporter.sendf("%c", code);
        m_reporter.send("\" in Function during Derivative");
        m_reporter.send("\n");
        m_reporter.raiseError();
        m_failed = true;
        m_out.push_back(makeZero());
    }

    void tooLarge()
    {
        m_reporter.send("\n");
        m_reporter.send("Derivative Too Large");
        m_reporter.send("\n");
        m_reporter.send("Use Incremental Method");
        m_reporter.raiseError();
        m_failed = true;
        m_out.push_back(makeZero());
    }

    void tooDeep()
    {
        if (!m_depthReported) {
            m_reporter.send("\n");
            m_reporter.send("Expression Nested Too Deeply for Derivative");
            m_reporter.send("\n");
            m_reporter.send("Use Incremental Method");
            m_reporter.raiseError();
            m_depthReported = true;
        }
        m_failed = true;
        m_out.push_back(makeZero());
    }

    const Chain& m_prefix;
    const std::uint32_t m_variable;
    Chain& m_out;
    Reporter& m_reporter;
    std::vector<std::size_t>& m_ends;
    std::vector<std::size_t>& m_complete;
    std::vector<Work>& m_stack;
    std::vector<Work>& m_rule; // the rule being laid out
    int m_depth = 0;           // depth of the operation whose rule is laid out
    bool m_failed = false;
    bool m_depthReported = false;
};

} // namespace

Differentiator::Differentiator(Reporter& reporter)
    : m_reporter(reporter), m_scratch(std::make_unique<Scratch>())
{
}

Differentiator::~Differentiator() = default;

std::size_t Differentiator::step(const Chain& prefix, std::size_t start, std::uint32_t variable,
                                 Chain& out)
{
    DerivativeBuilder builder(prefix, start, variable, out, m_reporter, *m_scratch);
    const std::size_t end = builder.run(start);
    if (builder.failed())
        m_failed = true;
    return end;
}

bool Differentiator::differentiate(const Chain& postfix, std::uint32_t variable, Chain& derivative)
{
    m_failed = false;
    m_foldError.clear();
    // Turned into prefix order and back in place, so that the buffers are reused.
    Chain& prefix = m_scratch->prefix;
    prefix.clear();
    for (auto it = postfix.rbegin(); it != postfix.rend(); ++it)
        if (it->kind != kind::End && it->kind != kind::Void)
            prefix.push_back(*it);
    Chain& out = m_scratch->out;
    out.clear();
    step(prefix, 0, variable, out);
    // A refused derivative is not used; it is left unfolded (and has no void tokens).
    const std::size_t kept =
        m_failed ? out.size()
                 : foldWellFormed(out, m_reporter, m_foldError, complexMode, m_scratch->folding);
    derivative.clear();
    derivative.reserve(kept + 1);
    for (auto it = out.rbegin(); it != out.rend(); ++it)
        if (it->kind != kind::Void)
            derivative.push_back(*it);
    derivative.push_back(makeToken(kind::End, ' ', 0, 0.0));
    return !m_failed;
}

} // namespace varnel
