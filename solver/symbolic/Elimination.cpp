// Elimination by substitution. An equation f = 0 with one occurrence of its variable v
// is solved by peeling the operations above v off f one by one and applying their
// inverses to the other side; one with several occurrences must be linear in v and is
// solved as -f0/f'. The solution then replaces v everywhere else. Everything here works
// iteratively, so deep chains cost time, not stack.
#include "Elimination.h"

#include "Differentiator.h"
#include "Operations.h"
#include "Reporter.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace varnel {

namespace {

bool isVariable(const Token& t, std::uint32_t v)
{
    return t.kind == kind::Variable && t.index == v;
}

bool contains(const Chain& chain, std::size_t begin, std::size_t end, std::uint32_t v)
{
    return std::any_of(chain.begin() + static_cast<std::ptrdiff_t>(begin),
                       chain.begin() + static_cast<std::ptrdiff_t>(end),
                       [v](const Token& t) { return isVariable(t, v); });
}

bool contains(const Chain& chain, std::uint32_t v)
{
    return contains(chain, 0, chain.size(), v);
}

std::size_t occurrences(const Chain& chain, std::uint32_t v)
{
    return static_cast<std::size_t>(std::count_if(
        chain.begin(), chain.end(), [v](const Token& t) { return isVariable(t, v); }));
}

Chain slice(const Chain& chain, std::size_t begin, std::size_t end)
{
    return Chain(chain.begin() + static_cast<std::ptrdiff_t>(begin),
                 chain.begin() + static_cast<std::ptrdiff_t>(end));
}

/// The right side of the peeling: empty while it is still the constant 0, so that the
/// first step gives b rather than 0 + b and nested definitions do not pile up zeros.
class RightSide {
public:
    bool isZero() const { return m_chain.empty(); }
    /// The chain, with the constant 0 for an empty side.
    Chain take() const { return m_chain.empty() ? Chain{makeZero()} : m_chain; }
    /// R := R op x, x the second operand (R - b, R + b, R * b, R / b, R ^ b).
    void applyLeft(Operation op, const Chain& x) { m_chain = makeBinary(op, x, take()); }
    /// R := x op R, x the first operand (a - R, a / R).
    void applyRight(Operation op, const Chain& x) { m_chain = makeBinary(op, take(), x); }
    void applyUnary(Operation op) { m_chain = makeUnary(op, take()); }
    /// R := x; the constant 0 leaves the side empty.
    void set(Chain chain)
    {
        const bool zero =
            chain.size() == 1 && isPlainConstant(chain.front()) && chain.front().value == 0.0;
        m_chain = zero ? Chain() : std::move(chain);
    }

private:
    Chain m_chain;
};

/// The postfix tokens (without ";") that stand for variable token `x` once the variable
/// is replaced by the solution s: s itself for a real variable, s·j for one in imaginary
/// form, cos s + sin s·j for one in phasor form (the layout of the polar form).
Chain replacementFor(const Token& x, const Chain& solutionPostfix)
{
    Chain out = solutionPostfix;
    if (x.op == form::Imaginary) {
        out.push_back(makeImaginaryUnit());
        out.push_back(makeOperationToken(Operation::Multiply));
    } else if (x.op == form::Phasor) {
        out.push_back(makeOperationToken(Operation::Cos));
        out.insert(out.end(), solutionPostfix.begin(), solutionPostfix.end());
        out.push_back(makeOperationToken(Operation::Sin));
        out.push_back(makeImaginaryUnit());
        out.push_back(makeOperationToken(Operation::Multiply));
        out.push_back(makeOperationToken(Operation::Add));
    }
    return out;
}

/// The variable numbers a chain uses, ascending, each once.
std::vector<std::uint32_t> variablesOf(const Chain& chain)
{
    std::vector<std::uint32_t> out;
    for (const Token& t : chain) {
        if (t.kind == kind::Variable)
            out.push_back(t.index);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

std::vector<std::uint32_t> mergeVariables(const std::vector<std::uint32_t>& a,
                                          const std::vector<std::uint32_t>& b)
{
    std::vector<std::uint32_t> out;
    out.reserve(a.size() + b.size());
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

/// The length of replacementFor(x, s) for a solution of `length` tokens.
std::size_t replacementLength(const Token& x, std::size_t length)
{
    if (x.op == form::Imaginary)
        return length + 2;
    if (x.op == form::Phasor)
        return 2 * length + 5;
    return length;
}

} // namespace

Elimination::Elimination(EquationSet& set, Reporter& reporter)
    : m_set(set), m_reporter(reporter), m_chosenAsDefinition(set.equations.size(), false)
{
}

bool Elimination::knownVariable(std::uint32_t v) const
{
    return v != 0 && static_cast<int>(v) <= m_set.variables.count();
}

void Elimination::chooseVariables(bool takeDefinitions)
{
    m_chosenAsDefinition.assign(m_set.equations.size(), false);
    for (std::size_t i = 0; i < m_set.equations.size(); ++i) {
        Equation& eq = m_set.equations[i];
        if (eq.relation == kEliminationRelation && eq.eliminate == 0) {
            const auto first = std::find_if(eq.code.begin(), eq.code.end(), [](const Token& t) {
                return t.kind == kind::Variable;
            });
            if (first != eq.code.end())
                eq.eliminate = first->index;
        }
        if (!takeDefinitions || eq.code.empty() || eq.code.front().kind != kind::Variable)
            continue;
        std::size_t variables = 0;
        bool prefixConstant = false;
        for (const Token& t : eq.code) {
            variables += t.kind == kind::Variable ? 1 : 0;
            prefixConstant = prefixConstant || (t.kind == kind::Constant && t.index != 0);
        }
        if (variables != 1 || prefixConstant)
            continue;
        m_chosenAsDefinition[i] = true;
        if (eq.eliminate == 0)
            eq.eliminate = eq.code.front().index;
    }
}

void Elimination::reportCannotEliminate(std::uint32_t v)
{
    m_reporter.send("\n");
    if (knownVariable(v)) {
        m_reporter.send("Variable ");
        m_reporter.send(m_set.variables.names[v]);
        m_reporter.send(" Cannot Be Eliminated");
    } else {
        m_reporter.send("Variable to eliminate not found");
    }
    m_reporter.raiseError();
}

void Elimination::reportIllegalCode(const Token& t)
{
    m_reporter.send("Illegal internal code \"");
    m_reporter.send(std::string(1, t.kind));
    m_reporter.send(std::string(1, static_cast<char>(t.op)));
    m_reporter.send("\" found");
    m_reporter.raiseError();
}

bool Elimination::solve(const Chain& prefix, std::uint32_t v, Chain& solution)
{
    if (!knownVariable(v)) {
        reportCannotEliminate(v);
        return false;
    }
    if (occurrences(prefix, v) > 1)
        return solveLinear(prefix, v, solution);
    return solveByPeeling(prefix, v, solution);
}

bool Elimination::solveByPeeling(const Chain& prefix, std::uint32_t v, Chain& solution)
{
    // L is the operand that starts at `pos`; every step moves `pos` into one of its
    // operands, so the loop ends within the chain's length.
    RightSide r;
    std::size_t pos = 0;
    while (true) {
        if (pos >= prefix.size()) {
            reportCannotEliminate(v);
            return false;
        }
        const Token& t = prefix[pos];
        switch (t.kind) {
        case kind::Void:
            ++pos;
            continue;
        case kind::Constant:
            reportCannotEliminate(v);
            return false;
        case kind::Variable:
            if (t.index != v || t.op == form::Phasor) {
                reportCannotEliminate(v);
                return false;
            }
            // A variable in imaginary form pushes v·j: v = R / j.
            if (t.op == form::Imaginary && !r.isZero())
                r.applyLeft(Operation::Divide, Chain{makeImaginaryUnit()});
            solution = r.take();
            return true;
        case kind::Unary: {
            const OperationInfo* row = findUnaryOperation(t.op);
            if (row == nullptr || !row->inverse) {
                reportCannotEliminate(v);
                return false;
            }
            const Operation inverse = *row->inverse;
            if (!(inverse == Operation::Negate && r.isZero()))
                r.applyUnary(inverse);
            ++pos;
            continue;
        }
        case kind::Binary: {
            // Prefix order: the operation, its second operand b, then its first operand a.
            const std::size_t bBegin = pos + 1;
            const std::size_t bEnd = operandEnd(prefix, bBegin);
            const std::size_t aBegin = bEnd;
            const std::size_t aEnd = operandEnd(prefix, aBegin);
            const bool inA = contains(prefix, aBegin, aEnd, v);
            const Chain other = inA ? slice(prefix, bBegin, bEnd) : slice(prefix, aBegin, aEnd);
            const OperationInfo* row = findBinaryOperation(t.op);
            if (row == nullptr) {
                reportCannotEliminate(v);
                return false;
            }
            switch (row->operation) {
            case Operation::Add: // a + b = R: a = R - b, b = R - a
                if (r.isZero())
                    r.set(makeUnary(Operation::Negate, other));
                else
                    r.applyLeft(Operation::Subtract, other);
                break;
            case Operation::Multiply: // a * b = R: a = R / b, b = R / a (0 stays 0)
                if (!r.isZero())
                    r.applyLeft(Operation::Divide, other);
                break;
            case Operation::Subtract: // a - b = R: a = R + b, b = a - R
                if (r.isZero())
                    r.set(other);
                else if (inA)
                    r.applyLeft(Operation::Add, other);
                else
                    r.applyRight(Operation::Subtract, other);
                break;
            case Operation::Divide: // a / b = R: a = R * b, b = a / R
                if (inA) {
                    if (!r.isZero())
                        r.applyLeft(Operation::Multiply, other);
                } else {
                    r.applyRight(Operation::Divide, other);
                }
                break;
            case Operation::Power: // a ^ b = R: a = R ^ (1 / b), b = LN(R) / LN(a)
                if (inA)
                    r.applyLeft(Operation::Power,
                                makeBinary(Operation::Divide, other, Chain{makeOne()}));
                else
                    r.set(makeBinary(Operation::Divide, makeUnary(Operation::Ln, other),
                                     makeUnary(Operation::Ln, r.take())));
                break;
            // No other operation is undone by peeling.
            case Operation::Less:
            case Operation::Greater:
            case Operation::Equal:
            case Operation::Atan2:
            case Operation::Gammp:
            case Operation::If:
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
                reportCannotEliminate(v);
                return false;
            }
            pos = inA ? aBegin : bBegin;
            continue;
        }
        default:
            reportIllegalCode(t);
            return false;
        }
    }
}

bool Elimination::solveLinear(const Chain& prefix, std::uint32_t v, Chain& solution)
{
    Differentiator differentiator(m_reporter);
    differentiator.complexMode = complexMode;
    Chain derivative;
    // A refused derivative has been reported and has raised the run error already.
    if (!differentiator.differentiate(toPostfix(prefix), v, derivative))
        return false;
    Chain slope = toPrefix(derivative);
    // Not linear in v when the slope still depends on v; no solution when it is 0.
    const bool zeroSlope =
        slope.size() == 1 && isPlainConstant(slope.front()) && slope.front().value == 0.0;
    if (slope.empty() || zeroSlope || contains(slope, v)) {
        reportCannotEliminate(v);
        return false;
    }
    Chain atZero = prefix;
    for (Token& t : atZero) {
        if (isVariable(t, v))
            t = makeZero();
    }
    solution = makeBinary(Operation::Divide, slope, makeUnary(Operation::Negate, atZero));
    return true;
}

bool Elimination::substitute(int k)
{
    m_reporter.send("Substituting ");
    m_reporter.sendf("%4d", k);
    m_reporter.send("\n");
    if (k < 1 || k > m_set.equationCount()) {
        reportCannotEliminate(0);
        m_failed = true;
        return false;
    }
    const std::uint32_t v = m_set.equation(k).eliminate;
    Chain solution;
    if (!solve(toPrefix(m_set.equation(k).code), v, solution)) {
        m_failed = true;
        return false;
    }

    // The solution as a postfix operand, and the new equation k: v - solution.
    Chain solutionPostfix = toPostfix(solution);
    solutionPostfix.pop_back();
    const Chain newK = toPostfix(makeBinary(Operation::Subtract, solution, Chain{makeVariable(v)}));

    // The equations that use v, and their sizes afterwards; checked before anything
    // changes, so that a refused step leaves the set as it was.
    refreshIndex();
    const auto self = static_cast<std::size_t>(k - 1);
    std::vector<std::size_t> affected;
    std::vector<std::size_t> newSize;
    std::size_t total = 0;
    for (std::size_t i = 0; i < m_set.equations.size(); ++i)
        total += m_set.equations[i].code.size();
    total = total - m_set.equations[self].code.size() + newK.size();
    bool tooLong = newK.size() > kMaxChainLength;
    for (std::size_t i = 0; i < m_set.equations.size(); ++i) {
        if (i == self || !std::binary_search(m_variablesOf[i].begin(), m_variablesOf[i].end(), v))
            continue;
        const Chain& code = m_set.equations[i].code;
        std::size_t size = code.size();
        for (const Token& t : code) {
            if (isVariable(t, v))
                size += replacementLength(t, solutionPostfix.size()) - 1;
        }
        affected.push_back(i);
        newSize.push_back(size);
        total += size - code.size();
        tooLong = tooLong || size > kMaxChainLength;
    }
    if (tooLong || total > kMaxSetLength) {
        trace("Substitution of equation %d refused: the equations would grow past %zu tokens\n", k,
              tooLong ? kMaxChainLength : kMaxSetLength);
        reportCannotEliminate(v);
        m_failed = true;
        return false;
    }

    const std::vector<std::uint32_t> solutionVariables = variablesOf(solution);
    for (std::size_t n = 0; n < affected.size(); ++n) {
        Equation& eq = m_set.equations[affected[n]];
        Chain rewritten;
        rewritten.reserve(newSize[n]);
        for (const Token& t : eq.code) {
            if (isVariable(t, v)) {
                const Chain part = replacementFor(t, solutionPostfix);
                rewritten.insert(rewritten.end(), part.begin(), part.end());
            } else {
                rewritten.push_back(t);
            }
        }
        eq.code = std::move(rewritten);
        std::vector<std::uint32_t>& uses = m_variablesOf[affected[n]];
        uses.erase(std::lower_bound(uses.begin(), uses.end(), v));
        uses = mergeVariables(uses, solutionVariables);
    }
    m_set.equations[self].code = newK;
    m_variablesOf[self] = mergeVariables({v}, solutionVariables);
    return true;
}

void Elimination::refreshIndex()
{
    if (m_variablesOf.size() == m_set.equations.size())
        return;
    m_variablesOf.clear();
    for (const Equation& eq : m_set.equations)
        m_variablesOf.push_back(variablesOf(eq.code));
}

void Elimination::finish()
{
    for (std::size_t i = 0; i < m_set.equations.size(); ++i) {
        Equation& eq = m_set.equations[i];
        if (i < m_chosenAsDefinition.size() && m_chosenAsDefinition[i])
            eq.relation = kEliminationRelation;
        eq.eliminate = 0;
    }
}

bool Elimination::run(bool takeDefinitions)
{
    chooseVariables(takeDefinitions);
    for (int k = 1; k <= m_set.equationCount(); ++k) {
        const Equation& eq = m_set.equation(k);
        if (eq.eliminate != 0 || eq.relation == kEliminationRelation)
            substitute(k);
    }
    finish();
    return !m_failed;
}

} // namespace varnel
