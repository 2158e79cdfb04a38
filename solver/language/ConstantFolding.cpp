// Constant folding on prefix chains. The chain is walked from its last token to its first,
// which visits every operand before its operation (postfix order), with an explicit stack
// of the operands seen so far instead of recursion.
#include "ConstantFolding.h"

#include "GuardedMath.h"
#include "Operations.h"

#include <cassert>
#include <cstddef>
#include <vector>

namespace varnel {

namespace {

using Operand = FoldBuffers::Operand;

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

/// True when the prefix chain holds exactly one complete expression.
bool wellFormed(const Chain& prefix)
{
    std::size_t operands = 0;
    for (std::size_t i = prefix.size(); i-- > 0;) {
        switch (prefix[i].kind) {
        case kind::Constant:
        case kind::Variable:
            ++operands;
            break;
        case kind::Unary:
            if (operands < 1)
                return false;
            break;
        case kind::Binary:
            if (operands < 2)
                return false;
            --operands;
            break;
        case kind::Void:
            break;
        default:
            return false;
        }
    }
    return operands == 1;
}

bool isPlainValue(const Token& t, double v)
{
    return isPlainConstant(t) && t.value == v;
}

class Folder {
public:
    Folder(Chain& chain, Reporter& reporter, EvalError& error, bool complexMode,
           FoldBuffers& buffers)
        : m_chain(chain), m_reporter(reporter), m_error(error), m_complexMode(complexMode),
          m_operands(buffers.operands), m_dropped(buffers.dropped), m_local(buffers.local)
    {
        m_dropped.assign(chain.size() + 1, 0);
        m_operands.clear();
    }

    /// Folds the chain; returns the number of tokens that are not void.
    std::size_t run()
    {
        std::vector<Operand>& operands = m_operands;
        for (std::size_t i = m_chain.size(); i-- > 0;) {
            switch (m_chain[i].kind) {
            case kind::Constant:
            case kind::Variable:
                operands.push_back({i, i + 1, i, kNone});
                break;
            case kind::Unary: {
                const Operand x = operands.back();
                operands.back() = foldUnary(i, x);
                break;
            }
            case kind::Binary: {
                const Operand b = operands.back();
                operands.pop_back();
                const Operand a = operands.back();
                operands.back() = foldBinary(i, b, a);
                break;
            }
            default:
                break;
            }
        }
        // Dropped operands are voided in one sweep at the end: voiding each one as it is
        // dropped would walk the same tokens again and again in deeply nested chains.
        int open = 0;
        std::size_t kept = 0;
        for (std::size_t i = 0; i < m_chain.size(); ++i) {
            open += m_dropped[i];
            if (open > 0)
                makeVoid(i);
            else if (m_chain[i].kind != kind::Void)
                ++kept;
        }
        return kept;
    }

private:
    void makeVoid(std::size_t i) { m_chain[i].kind = kind::Void; }
    /// Every token of x disappears (nothing looks at them any more: operands are folded
    /// before their operation).
    void drop(const Operand& x)
    {
        ++m_dropped[x.start];
        --m_dropped[x.end];
    }

    /// Computes through `compute` (a real-mode operation). In complex mode a real error
    /// (the root or logarithm of a negative number, ...) is no error at all: the
    /// operation is then left to the complex evaluator and false returned.
    template <typename Compute> bool computed(double& result, Compute compute)
    {
        m_local.clear();
        MathContext context{m_reporter, m_local};
        const double r = compute(context);
        if (m_local.mark()) {
            if (m_complexMode)
                return false;
            m_error.record(m_local.message());
        }
        result = r;
        return true;
    }

    Operand foldUnary(std::size_t p, const Operand& x)
    {
        Token& argument = m_chain[x.head];
        const OperationInfo* row = findUnaryOperation(m_chain[p].op);
        const Operand unchanged{p, x.end, p, x.head};
        if (row == nullptr || !isPlainConstant(argument))
            return unchanged;
        const double v = argument.value;
        if (!computed(argument.value, [&](MathContext& c) { return row->realUnary(v, c); }))
            return unchanged;
        makeVoid(p);
        return {p, x.end, x.head, kNone};
    }

    /// The subexpression at p becomes the operand `kept`; the other one disappears.
    Operand keep(std::size_t p, const Operand& kept, const Operand& dropped, std::size_t end)
    {
        makeVoid(p);
        drop(dropped);
        return {p, end, kept.head, kept.argument};
    }

    /// The operation at p becomes the one-argument `op` of `kept`.
    Operand toUnary(std::size_t p, Operation op, const Operand& kept, const Operand& dropped,
                    std::size_t end)
    {
        m_chain[p].kind = kind::Unary;
        m_chain[p].op = codeOf(op);
        drop(dropped);
        return {p, end, p, kept.head};
    }

    /// B at p with first operand b (the token after it, the source's second operand) and
    /// second operand a (the source's first operand): the source reads a op b.
    Operand foldBinary(std::size_t p, const Operand& b, const Operand& a)
    {
        Token& op = m_chain[p];
        Token& ta = m_chain[a.head];
        Token& tb = m_chain[b.head];
        const std::size_t end = a.end;
        const Operand unchanged{p, end, p, b.head};

        const OperationInfo* row = findBinaryOperation(op.op);
        if (row == nullptr) // a code without a rule (the polar sign) is left as it is
            return unchanged;
        const Operation operation = row->operation;

        if (isPlainConstant(ta) && isPlainConstant(tb)) {
            switch (operation) {
            case Operation::Limit:
                return unchanged;
            case Operation::Then:
                return ta.value == tb.value ? keep(p, a, b, end) : unchanged;
            case Operation::If: // IF c THEN v ELSE v: the folded THEN part
                return keep(p, b, a, end);
            case Operation::Add:
            case Operation::Subtract:
            case Operation::Multiply:
            case Operation::Divide:
            case Operation::Power:
            case Operation::Less:
            case Operation::Greater:
            case Operation::Equal:
            case Operation::Atan2:
            case Operation::Gammp:
            case Operation::Derivative:
            case Operation::Delay:
            case Operation::Integral:
            case Operation::Arg: {
                const double va = ta.value;
                const double vb = tb.value;
                if (!computed(ta.value, [&](MathContext& c) { return row->realBinary(va, vb, c); }))
                    return unchanged;
                return keep(p, a, b, end);
            }
            // One-argument operations: no binary token carries them.
            case Operation::Negate:
            case Operation::Sin:
            case Operation::Cos:
            case Operation::Tan:
            case Operation::Arcsin:
            case Operation::Arccos:
            case Operation::Arctan:
            case Operation::Exp:
            case Operation::Ln:
            case Operation::Inv:
            case Operation::Square:
            case Operation::Sqrt:
            case Operation::Abs:
            case Operation::UnitStep:
            case Operation::Real:
            case Operation::Imag:
            case Operation::Conjugate:
            case Operation::Mag:
            case Operation::Angle:
            case Operation::Erf:
            case Operation::BessJ0:
            case Operation::BessJ1:
            case Operation::BessY0:
            case Operation::BessY1:
            case Operation::Gammln:
                return unchanged;
            }
        }

        switch (operation) {
        case Operation::Multiply:
            if (isPlainValue(tb, 0.0))
                return keep(p, b, a, end);
            if (isPlainValue(ta, 0.0))
                return keep(p, a, b, end);
            if (isPlainValue(ta, 1.0))
                return keep(p, b, a, end);
            if (isPlainValue(tb, 1.0))
                return keep(p, a, b, end);
            if (isPlainValue(ta, -1.0))
                return toUnary(p, Operation::Negate, b, a, end);
            if (isPlainValue(tb, -1.0))
                return toUnary(p, Operation::Negate, a, b, end);
            if (isPlainConstant(tb) && operationOf(ta) == Operation::Multiply &&
                isPlainConstant(m_chain[a.argument])) {
                // (x * c) * b  ->  x * (b * c)
                Token& c = m_chain[a.argument];
                MathContext context{m_reporter, m_error};
                tb.value = row->realBinary(c.value, tb.value, context);
                makeVoid(a.head);
                makeVoid(a.argument);
            }
            return unchanged;
        case Operation::Add:
            if (isPlainValue(tb, 0.0))
                return keep(p, a, b, end);
            if (isPlainValue(ta, 0.0))
                return keep(p, b, a, end);
            return unchanged;
        case Operation::Subtract:
            if (isPlainValue(tb, 0.0))
                return keep(p, a, b, end);
            if (isPlainValue(ta, 0.0))
                return toUnary(p, Operation::Negate, b, a, end);
            if (ta.kind == kind::Variable && tb.kind == kind::Variable && ta.index == tb.index &&
                ta.op == tb.op) {
                ta = makeConstant(0.0);
                return keep(p, a, b, end);
            }
            if (operationOf(tb) == Operation::Negate) { // a - (-c)  ->  a + c
                makeVoid(b.head);
                op.op = codeOf(Operation::Add);
                return {p, end, p, b.argument};
            }
            return unchanged;
        case Operation::Divide:
            if (isPlainValue(tb, 0.0)) {
                tb.value = BIG;
                return keep(p, b, a, end);
            }
            if (isPlainValue(ta, 0.0))
                return keep(p, a, b, end);
            if (isPlainValue(ta, 1.0))
                return toUnary(p, Operation::Inv, b, a, end);
            if (isPlainValue(tb, 1.0))
                return keep(p, a, b, end);
            return unchanged;
        case Operation::Power:
            if (isPlainValue(tb, 0.0)) {
                tb.value = 1.0;
                return keep(p, b, a, end);
            }
            if (isPlainValue(ta, 0.0) || isPlainValue(ta, 1.0) || isPlainValue(tb, 1.0))
                return keep(p, a, b, end);
            return unchanged;
        case Operation::If:
            if (isPlainConstant(tb))
                return keep(p, b, a, end);
            return unchanged;
        // No identity applies to the other operations.
        case Operation::Less:
        case Operation::Greater:
        case Operation::Equal:
        case Operation::Atan2:
        case Operation::Gammp:
        case Operation::Then:
        case Operation::Derivative:
        case Operation::Delay:
        case Operation::Integral:
        case Operation::Limit:
        case Operation::Arg:
        case Operation::Negate:
        case Operation::Sin:
        case Operation::Cos:
        case Operation::Tan:
        case Operation::Arcsin:
        case Operation::Arccos:
        case Operation::Arctan:
        case Operation::Exp:
        case Operation::Ln:
        case Operation::Inv:
        case Operation::Square:
        case Operation::Sqrt:
        case Operation::Abs:
        case Operation::UnitStep:
        case Operation::Real:
        case Operation::Imag:
        case Operation::Conjugate:
        case Operation::Mag:
        case Operation::Angle:
        case Operation::Erf:
        case Operation::BessJ0:
        case Operation::BessJ1:
        case Operation::BessY0:
        case Operation::BessY1:
        case Operation::Gammln:
            return unchanged;
        }
        return unchanged;
    }

    Chain& m_chain;
    Reporter& m_reporter;
    EvalError& m_error;
    bool m_complexMode;
    std::vector<Operand>& m_operands; // the operands seen so far, innermost last
    /// +1 where a dropped operand starts, -1 where it ends.
    std::vector<int>& m_dropped;
    EvalError& m_local;
};

} // namespace

std::size_t foldWellFormed(Chain& prefix, Reporter& reporter, EvalError& error, bool complexMode,
                           FoldBuffers& buffers)
{
    assert(wellFormed(prefix));
    return Folder(prefix, reporter, error, complexMode, buffers).run();
}

bool foldConstants(Chain& prefix, Reporter& reporter, EvalError& error, bool complexMode)
{
    if (!wellFormed(prefix))
        return false;
    FoldBuffers buffers;
    foldWellFormed(prefix, reporter, error, complexMode, buffers);
    return true;
}

Chain foldPostfix(const Chain& postfix, Reporter& reporter, EvalError& error, bool complexMode)
{
    Chain prefix = toPrefix(postfix);
    if (!foldConstants(prefix, reporter, error, complexMode))
        return postfix;
    return toPostfix(prefix);
}

} // namespace varnel
