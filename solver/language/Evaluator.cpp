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
    static RealUnaryFunction unary(std::uint8_t code) { return valueFunctions().realUnary[code]; }
    static RealBinaryFunction binary(std::uint8_t code)
    {
        return valueFunctions().realBinary[code];
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
    static ComplexUnaryFunction unary(std::uint8_t code)
    {
        return valueFunctions().complexUnary[code];
    }
    static ComplexBinaryFunction binary(std::uint8_t code)
    {
        return valueFunctions().complexBinary[code];
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
    // Tests in the order of frequency: a chain is mostly operands and binary operations.
    for (; t != end; ++t) {
        const char k = t->kind;
        if (k == kind::Variable || k == kind::Constant) {
            if (depth >= kStackSize) [[unlikely]] {
                reportFault(message::StackOverflow);
                continue;
            }
            const double v = k == kind::Constant ? t->value : values[t->index];
            stack[depth++] = t->op == form::Real ? Number(v) : A::formValue(t->op, v);
            continue;
        }
        if (k == kind::Binary) {
            const auto binary = A::binary(t->op);
            if (binary == nullptr) [[unlikely]] {
                // IF and THEN: no value of their own, a stack effect.
                if (findBinaryOperation(t->op)->stack == StackEffect::Marker)
                    continue;
                if (depth < 3) {
                    reportFault(message::StackUnderflow);
                    depth = 0;
                    continue;
                }
                depth -= 2;
                stack[depth - 1] =
                    A::realPart(stack[depth - 1]) > 0.0 ? stack[depth] : stack[depth + 1];
                continue;
            }
            if (depth < 2) [[unlikely]] {
                reportFault(message::StackUnderflow);
                depth = 0;
                continue;
            }
            --depth;
            stack[depth - 1] = binary(stack[depth - 1], stack[depth], context);
            continue;
        }
        if (k == kind::Unary) {
            if (depth < 1) [[unlikely]] {
                reportFault(message::StackUnderflow);
                continue;
            }
            stack[depth - 1] = A::unary(t->op)(stack[depth - 1], context);
            continue;
        }
        if (k == kind::End)
            break;
        // Void tokens and anything unknown are passed over.
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
