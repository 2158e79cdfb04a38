// Complex-to-real conversion: a stack machine over the postfix chain whose values are pairs
// of real expressions (rectangular or polar), built in prefix order. Small algebra on the
// constants 0 and 1 keeps real operands real (x*0 vanishes), so that a real argument of
// SIN and COS is recognised and the parts stay short.
#include "ComplexToReal.h"

#include "Evaluator.h"
#include "GuardedMath.h"
#include "Operations.h"
#include "Reporter.h"
#include "Symbols.h"

#include <cmath>
#include <unordered_set>
#include <utility>

namespace varnel {

namespace {

/// A converted subexpression: two real expressions in prefix order.
struct Pair {
    Chain a; // real part, or magnitude
    Chain b; // imaginary part, or angle in radians
    bool polar = false;
    /// The subexpression was one constant token (the only exponent a power accepts).
    bool constantToken = false;
    Token token;
};

bool isConstant(const Chain& c, double value)
{
    return c.size() == 1 && isPlainConstant(c[0]) && c[0].value == value;
}
bool isZero(const Chain& c)
{
    return isConstant(c, 0.0);
}
bool isOne(const Chain& c)
{
    return isConstant(c, 1.0);
}
Chain zero()
{
    return {makeZero()};
}
Chain constant(double v)
{
    return {makeConstant(v)};
}

} // namespace

class ComplexToReal::Converter {
public:
    Converter(const ComplexToReal& owner, Reporter& reporter) : m_owner(owner), m_reporter(reporter)
    {
    }

    bool convert(const Chain& postfix, Chain& realPart, Chain& imagPart)
    {
        m_failed = false;
        m_tooLong = false;
        m_stack.clear();
        for (const Token& t : postfix) {
            if (t.kind == kind::End)
                break;
            if (!step(t))
                break;
        }
        Pair result;
        if (!m_failed && m_stack.size() != 1) {
            m_reporter.send("\n");
            m_reporter.send(message::EndedPrematurely);
            m_reporter.raiseError();
            m_failed = true;
        }
        if (!m_failed && !m_tooLong)
            result = rect(std::move(m_stack.back()));
        if (m_tooLong && !m_failed) {
            m_reporter.send("\n");
            m_reporter.send(message::ConvertedTooLong);
            m_reporter.raiseError();
            m_failed = true;
        }
        if (m_failed) {
            result.a = zero();
            result.b = zero();
        }
        m_stack.clear();
        realPart = toPostfix(result.a);
        imagPart = toPostfix(result.b);
        return !m_failed;
    }

private:
    // ---- Building real expressions (prefix order), with the algebra of 0 and 1 -------

    Chain bin(Operation op, const Chain& first, const Chain& second)
    {
        if (first.size() + second.size() + 1 > kMaxPartLength) {
            m_tooLong = true;
            return zero();
        }
        return makeBinary(op, second, first);
    }
    Chain un(Operation op, const Chain& argument)
    {
        if (argument.size() + 1 > kMaxPartLength) {
            m_tooLong = true;
            return zero();
        }
        return makeUnary(op, argument);
    }
    Chain add(const Chain& a, const Chain& b)
    {
        if (isZero(a))
            return b;
        if (isZero(b))
            return a;
        return bin(Operation::Add, a, b);
    }
    Chain sub(const Chain& a, const Chain& b)
    {
        if (isZero(b))
            return a;
        if (isZero(a))
            return neg(b);
        return bin(Operation::Subtract, a, b);
    }
    Chain mul(const Chain& a, const Chain& b)
    {
        if (isZero(a) || isZero(b))
            return zero();
        if (isOne(a))
            return b;
        if (isOne(b))
            return a;
        return bin(Operation::Multiply, a, b);
    }
    Chain div(const Chain& a, const Chain& b)
    {
        if (isZero(a))
            return zero();
        if (isOne(b))
            return a;
        return bin(Operation::Divide, a, b);
    }
    Chain neg(const Chain& a)
    {
        if (isZero(a))
            return zero();
        return un(Operation::Negate, a);
    }

    // ---- Pairs ----------------------------------------------------------------------

    static Pair rectangular(Chain a, Chain b)
    {
        Pair p;
        p.a = std::move(a);
        p.b = std::move(b);
        return p;
    }
    static Pair polarPair(Chain r, Chain angle)
    {
        Pair p = rectangular(std::move(r), std::move(angle));
        p.polar = true;
        return p;
    }

    /// (r cos t, r sin t) of a polar pair; a rectangular pair as it is.
    Pair rect(Pair p)
    {
        if (!p.polar)
            return p;
        if (isZero(p.b))
            return rectangular(std::move(p.a), zero());
        return rectangular(mul(p.a, un(Operation::Cos, p.b)), mul(p.a, un(Operation::Sin, p.b)));
    }
    /// (SQRT(a^2 + b^2), ATAN2(b, a)) of a rectangular pair; a polar pair as it is.
    Pair polar(Pair p)
    {
        if (p.polar)
            return p;
        Chain r = un(Operation::Sqrt, add(un(Operation::Square, p.a), un(Operation::Square, p.b)));
        Chain angle = bin(Operation::Atan2, p.b, p.a);
        return polarPair(std::move(r), std::move(angle));
    }

    Pair rectProduct(const Pair& x, const Pair& y)
    {
        return rectangular(sub(mul(x.a, y.a), mul(x.b, y.b)), add(mul(x.a, y.b), mul(x.b, y.a)));
    }

    Pair product(Pair x, Pair y)
    {
        if (x.polar && y.polar)
            return polarPair(mul(x.a, y.a), add(x.b, y.b));
        return rectProduct(rect(std::move(x)), rect(std::move(y)));
    }

    Pair quotient(Pair x, Pair y)
    {
        if (x.polar && y.polar)
            return polarPair(div(x.a, y.a), sub(x.b, y.b));
        const Pair n = rect(std::move(x));
        const Pair d = rect(std::move(y));
        if (isZero(d.b)) // (a + jb) / c
            return rectangular(div(n.a, d.a), div(n.b, d.a));
        const Chain den = add(un(Operation::Square, d.a), un(Operation::Square, d.b));
        return rectangular(div(add(mul(n.a, d.a), mul(n.b, d.b)), den),
                           div(sub(mul(n.b, d.a), mul(n.a, d.b)), den));
    }

    /// base ^ n for a whole n >= 1: the rectangular base multiplied by itself n - 1 times;
    /// past the power budget, (r^n, n*t) in polar form.
    Pair power(Pair base, double n)
    {
        const Pair x = rect(std::move(base));
        if (n - 1.0 <= static_cast<double>(kPowerBudget)) {
            Pair acc = x;
            bool fits = true;
            for (int k = 1; k < static_cast<int>(n) && fits; ++k) {
                acc = rectProduct(acc, x);
                fits = acc.a.size() <= kPowerBudget && acc.b.size() <= kPowerBudget;
            }
            if (fits)
                return acc;
        }
        const Pair p = polar(x);
        return polarPair(bin(Operation::Power, p.a, constant(n)), mul(p.b, constant(n)));
    }

    // ---- Tokens ---------------------------------------------------------------------

    /// The pair of a variable token: x + j*x_im for a complex variable, x for a real one,
    /// in the token's number form.
    bool variable(const Token& t)
    {
        const std::uint32_t im = m_owner.imaginaryPart(t.index);
        Chain re{makeToken(kind::Variable, form::Real, t.index, 0.0, t.tag)};
        Chain imag = im != 0 ? Chain{makeVariable(im)} : zero();
        switch (t.op) {
        case form::Imaginary: // (x + j x_im) j
            m_stack.push_back(rectangular(neg(imag), std::move(re)));
            return true;
        case form::Phasor:
            if (im != 0)
                return refuse("@");
            m_stack.push_back(rectangular(un(Operation::Cos, re), un(Operation::Sin, re)));
            return true;
        default:
            m_stack.push_back(rectangular(std::move(re), std::move(imag)));
            return true;
        }
    }

    void constantToken(const Token& t)
    {
        Token plain = t;
        Pair p;
        switch (t.op) {
        case form::Imaginary:
            plain.op = form::Real;
            p = rectangular(zero(), Chain{plain});
            break;
        case form::Phasor:
            plain.op = form::Real;
            p = rectangular(un(Operation::Cos, Chain{plain}), un(Operation::Sin, Chain{plain}));
            break;
        default:
            p = rectangular(Chain{t}, zero());
            break;
        }
        p.constantToken = true;
        p.token = t;
        m_stack.push_back(std::move(p));
    }

    bool step(const Token& t)
    {
        switch (t.kind) {
        case kind::Constant:
            constantToken(t);
            return true;
        case kind::Variable:
            return variable(t);
        case kind::Binary:
        case kind::Unary:
            break;
        default: // void tokens and anything unknown carry no value
            return true;
        }
        const OperationInfo* row = findOperation(t.kind, t.op);
        if (row == nullptr)
            return refuse(std::string(1, static_cast<char>(t.op)));
        switch (row->stack) {
        case StackEffect::Marker:
            return true;
        case StackEffect::Condition:
            if (!need(3))
                return false;
            m_stack.resize(m_stack.size() - 2);
            m_stack.back() = rectangular(zero(), zero());
            return refuse(nameOf(*row));
        case StackEffect::Apply:
            break;
        }
        if (!need(row->arity))
            return false;
        Pair y;
        if (row->arity == 2) {
            y = std::move(m_stack.back());
            m_stack.pop_back();
        }
        Pair& w = m_stack.back();
        w = apply(*row, std::move(w), std::move(y));
        return true;
    }

    /// The pair of one operation: `x` its only or first operand, `y` its second.
    Pair apply(const OperationInfo& row, Pair x, Pair y)
    {
        switch (row.operation) {
        case Operation::Add:
        case Operation::Subtract: {
            const Pair p = rect(std::move(x));
            const Pair q = rect(std::move(y));
            if (row.operation == Operation::Add)
                return rectangular(add(p.a, q.a), add(p.b, q.b));
            return rectangular(sub(p.a, q.a), sub(p.b, q.b));
        }
        case Operation::Multiply:
            return product(std::move(x), std::move(y));
        case Operation::Divide:
            return quotient(std::move(x), std::move(y));
        case Operation::Power:
            return raise(std::move(x), y);
        case Operation::Negate:
            if (x.polar) // (r, t + PI) keeps the magnitude >= 0
                return polarPair(std::move(x.a),
                                 add(x.b, Chain{makeToken(kind::Constant, form::Pi, 0, kPi)}));
            if (x.constantToken) {
                // -2 as written is a negated constant: still a constant exponent.
                Pair p = rectangular(neg(x.a), neg(x.b));
                p.constantToken = true;
                p.token = x.token;
                p.token.value = -p.token.value;
                return p;
            }
            return rectangular(neg(x.a), neg(x.b));
        case Operation::Square: {
            const Pair p = rect(std::move(x));
            return rectangular(sub(un(Operation::Square, p.a), un(Operation::Square, p.b)),
                               mul(mul(p.a, p.b), Chain{makeTwo()}));
        }
        case Operation::Exp: {
            Pair p = rect(std::move(x));
            return polarPair(un(Operation::Exp, p.a), std::move(p.b));
        }
        case Operation::Inv: {
            if (!x.polar && isZero(x.b))
                return rectangular(un(Operation::Inv, x.a), zero());
            const Pair p = polar(std::move(x));
            return polarPair(un(Operation::Inv, p.a), neg(p.b));
        }
        case Operation::Sqrt: {
            const Pair p = polar(std::move(x));
            return polarPair(un(Operation::Sqrt, p.a), div(p.b, Chain{makeTwo()}));
        }
        case Operation::Real:
            return rectangular(rect(std::move(x)).a, zero());
        case Operation::Imag:
            return rectangular(rect(std::move(x)).b, zero());
        case Operation::Conjugate: {
            Pair p = rect(std::move(x));
            return rectangular(std::move(p.a), neg(p.b));
        }
        case Operation::Mag:
            return rectangular(polar(std::move(x)).a, zero());
        case Operation::Angle:
            return rectangular(polar(std::move(x)).b, zero());
        case Operation::Sin:
        case Operation::Cos: {
            // The polar form r@t is compiled as r*(COS t + SIN t*j): a real angle is fine.
            Pair p = rect(std::move(x));
            if (!isZero(p.b))
                return refused(row);
            return rectangular(un(row.operation, p.a), zero());
        }
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
        case Operation::Tan:
        case Operation::Arcsin:
        case Operation::Arccos:
        case Operation::Arctan:
        case Operation::Ln:
        case Operation::Abs:
        case Operation::UnitStep:
        case Operation::Erf:
        case Operation::BessJ0:
        case Operation::BessJ1:
        case Operation::BessY0:
        case Operation::BessY1:
        case Operation::Gammln:
            return refused(row);
        }
        return refused(row);
    }

    Pair raise(Pair base, const Pair& exponent)
    {
        if (!exponent.constantToken) {
            refuse(message::VariableComplexPower);
            return rectangular(zero(), zero());
        }
        const Token& e = exponent.token;
        const double n = std::round(e.value);
        const bool realForm = e.op != form::Imaginary && e.op != form::Phasor;
        if (!realForm || !(n >= 1.0) || std::fabs(e.value - n) > TINY) {
            refuse(message::NonPositivePower);
            return rectangular(zero(), zero());
        }
        return power(std::move(base), n);
    }

    // ---- Faults ---------------------------------------------------------------------

    static std::string nameOf(const OperationInfo& row)
    {
        return std::string(row.name.empty() ? row.spelling : row.name);
    }

    /// Refuses an operation: its pair becomes (0, 0).
    Pair refused(const OperationInfo& row)
    {
        refuse(nameOf(row));
        return rectangular(zero(), zero());
    }

    /// "<name> Not Implemented", the warning beep and the run error; the conversion goes
    /// on with a (0, 0) pair so that later refusals are reported too.
    bool refuse(std::string_view name)
    {
        m_reporter.send("\n");
        m_reporter.send(name);
        m_reporter.send(message::NotImplemented);
        m_reporter.beep();
        m_reporter.raiseError();
        m_failed = true;
        return true;
    }

    /// True when the stack holds `n` operands; otherwise the chain is malformed.
    bool need(std::size_t n)
    {
        if (m_stack.size() >= n)
            return true;
        m_reporter.send("\n");
        m_reporter.send(message::EndedPrematurely);
        m_reporter.raiseError();
        m_failed = true;
        return false;
    }

    const ComplexToReal& m_owner;
    Reporter& m_reporter;
    std::vector<Pair> m_stack;
    bool m_failed = false;
    bool m_tooLong = false;
};

ComplexToReal::ComplexToReal(EquationSet& set, Reporter& reporter)
    : m_set(set), m_reporter(reporter)
{
}

bool ComplexToReal::isRealName(const std::string& name)
{
    return name.find(static_cast<char>(symbol::PolarMark)) != std::string::npos;
}

std::string ComplexToReal::imaginaryName(const std::string& name,
                                         const std::unordered_set<std::string>& taken)
{
    for (int k = 1;; ++k) {
        const std::string suffix =
            std::string(kImaginarySuffix) + (k == 1 ? std::string() : std::to_string(k));
        const std::size_t keep = static_cast<std::size_t>(kMaxNameLength) - suffix.size();
        std::string candidate = name.substr(0, keep) + suffix;
        if (taken.count(candidate) == 0)
            return candidate;
    }
}

bool ComplexToReal::addImaginaryParts()
{
    if (m_prepared)
        return true;
    VariableTable& vars = m_set.variables;
    const int n = vars.count();
    int complexCount = 0;
    for (int v = 1; v <= n; ++v)
        complexCount += isRealName(vars.names[static_cast<std::size_t>(v)]) ? 0 : 1;
    if (n + complexCount > kMaxVariables) {
        m_reporter.send("\n");
        m_reporter.send("Too Many Variables");
        m_reporter.raiseError();
        return false;
    }
    std::unordered_set<std::string> taken(vars.names.begin() + 1, vars.names.end());
    m_imaginaryPart.assign(static_cast<std::size_t>(n) + 1, 0);
    for (int v = 1; v <= n; ++v) {
        const std::string& name = vars.names[static_cast<std::size_t>(v)];
        if (isRealName(name))
            continue;
        const std::string im = imaginaryName(name, taken);
        taken.insert(im);
        const int k = vars.add(im, 0.0);
        vars.lower[static_cast<std::size_t>(k)] = vars.lower[static_cast<std::size_t>(v)];
        vars.upper[static_cast<std::size_t>(k)] = vars.upper[static_cast<std::size_t>(v)];
        m_imaginaryPart[static_cast<std::size_t>(v)] = static_cast<std::uint32_t>(k);
    }
    m_prepared = true;
    return true;
}

std::uint32_t ComplexToReal::imaginaryPart(std::uint32_t v) const
{
    return v < m_imaginaryPart.size() ? m_imaginaryPart[v] : 0;
}

bool ComplexToReal::convert(const Chain& postfix, Chain& realPart, Chain& imagPart)
{
    Converter converter(*this, m_reporter);
    return converter.convert(postfix, realPart, imagPart);
}

bool ComplexToReal::run()
{
    m_reporter.announce(message::ConvertingComplex);
    if (2 * m_set.equationCount() > kMaxEquations) {
        m_reporter.send("\n");
        m_reporter.send("Too Many Equations");
        m_reporter.raiseError();
        return false;
    }
    const int variablesBefore = m_set.variables.count();
    if (!addImaginaryParts())
        return false;
    std::vector<Equation> converted;
    converted.reserve(2 * m_set.equations.size());
    Converter converter(*this, m_reporter);
    bool ok = true;
    for (const Equation& eq : m_set.equations) {
        Equation re;
        Equation im;
        re.relation = im.relation = eq.relation;
        re.eliminate = eq.eliminate;
        ok = converter.convert(eq.code, re.code, im.code) && ok;
        converted.push_back(std::move(re));
        converted.push_back(std::move(im));
    }
    if (!ok) {
        m_set.variables.truncate(variablesBefore);
        m_imaginaryPart.clear();
        m_prepared = false;
        return false;
    }
    m_set.equations = std::move(converted);
    return true;
}

} // namespace varnel
