// The value-stack machine that runs postfix chains: one loop over the number type, real
// mode on doubles and complex mode on complex values. Each operation's value comes from its
// row of the operation table, so both modes follow the same BIG / TINY / UNDEFINED rules.
#include "Evaluator.h"

#include "ComplexFunctions.h"
#include "GuardedMath.h"
#include "Operations.h"
#include "Reporter.h"

#include <cmath>

namespace varnel {

namespace {

/// What the stack machine needs to know about its number type.
template <class Number> struct Arithmetic;

template <> struct Arithmetic<double> {
    static double unary(const OperationInfo& row, double x, MathContext& c)
    {
        return row.realUnary(x, c);
    }
    static double binary(const OperationInfo& row, double a, double b, MathContext& c)
    {
        return row.realBinary(a, b, c);
    }
    /// The real part of what complex mode pushes for a number form.
    static double formValue(std::uint8_t numberForm, double v)
    {
        switch (numberForm) {
        case form::Imaginary:
            return 0.0;
        case form::Phasor:
            return std::cos(v);
        default:
            return v;
        }
    }
    static double realPart(double x) { return x; }
};

template <> struct Arithmetic<Complex> {
    static Complex unary(const OperationInfo& row, Complex z, MathContext& c)
    {
        return row.complexUnary(z, c);
    }
    static Complex binary(const OperationInfo& row, Complex a, Complex b, MathContext& c)
    {
        return row.complexBinary(a, b, c);
    }
    static Complex formValue(std::uint8_t numberForm, double v)
    {
        switch (numberForm) {
        case form::Imaginary:
            return {0.0, v};
        case form::Phasor:
            return {std::cos(v), std::sin(v)};
        default:
            return {v, 0.0};
        }
    }
    static double realPart(Complex z) { return z.real(); }
};

double zeroIfTiny(double v)
{
    return std::fabs(v) <= TINY && v != UNDEFINED ? 0.0 : v;
}

} // namespace

Evaluator::Evaluator(Reporter& reporter) : m_reporter(reporter) {}

void Evaluator::reportFault(std::string_view text)
{
    m_reporter.send("\n");
    m_reporter.send(text);
    m_reporter.raiseError();
    m_error.setMark();
}

template <class Number>
void Evaluator::run(const Token* t, const Token* end, const double* values, Number* stack)
{
    using A = Arithmetic<Number>;
    MathContext context{m_reporter, m_error};
    int depth = 0;
    for (; t != end; ++t) {
        switch (t->kind) {
        case kind::Constant:
        case kind::Variable: {
            if (depth >= kStackSize) [[unlikely]] {
                reportFault(message::StackOverflow);
                break;
            }
            const double v = t->kind == kind::Constant ? t->value : values[t->index];
            stack[depth++] = t->op == form::Real ? Number(v) : A::formValue(t->op, v);
            break;
        }
        case kind::Binary: {
            const OperationInfo* row = findBinaryOperation(t->op);
            if (row != nullptr && row->stack != StackEffect::Apply) [[unlikely]] {
                if (row->stack == StackEffect::Marker)
                    break;
                if (depth < 3) {
                    reportFault(message::StackUnderflow);
                    depth = 0;
                    break;
                }
                depth -= 2;
                stack[depth - 1] =
                    A::realPart(stack[depth - 1]) > 0.0 ? stack[depth] : stack[depth + 1];
                break;
            }
            if (depth < 2) [[unlikely]] {
                reportFault(message::StackUnderflow);
                depth = 0;
                break;
            }
            --depth;
            // A code without a row has no rule: its value is 0.
            stack[depth - 1] = row != nullptr
                                   ? A::binary(*row, stack[depth - 1], stack[depth], context)
                                   : Number(0.0);
            break;
        }
        case kind::Unary: {
            if (depth < 1) [[unlikely]] {
                reportFault(message::StackUnderflow);
                break;
            }
            const OperationInfo* row = findUnaryOperation(t->op);
            stack[depth - 1] =
                row != nullptr ? A::unary(*row, stack[depth - 1], context) : Number(0.0);
            break;
        }
        case kind::End:
            m_depth = depth;
            return;
        default: // void tokens and anything unknown
            break;
        }
    }
    m_depth = depth;
}

std::complex<double> Evaluator::evaluate(const Chain& postfix, const double* values)
{
    m_error.clear();
    const Token* begin = postfix.data();
    const Token* end = begin + postfix.size();
    if (complexMode)
        run(begin, end, values, m_complex);
    else
        run(begin, end, values, m_real);

    if (m_depth != 1)
        reportFault(message::EndedPrematurely);
    if (m_error.mark())
        return kComplexBig;
    if (complexMode)
        return {zeroIfTiny(m_complex[0].real()), zeroIfTiny(m_complex[0].imag())};
    return {zeroIfTiny(m_real[0]), 0.0};
}

} // namespace varnel
