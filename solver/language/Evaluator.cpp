// The value-stack machine that runs postfix chains. Real mode keeps a stack of doubles and
// computes through RealArithmetic; complex mode keeps complex entries and uses the complex
// operations below, which follow the same BIG / TINY / UNDEFINED conventions.
#include "Evaluator.h"

#include "GuardedMath.h"
#include "Reporter.h"
#include "SpecialFunctions.h"

#include <cmath>
#include <numbers>

namespace varnel {

namespace {

using Complex = std::complex<double>;

const Complex kBigValue{BIG, 0.0};

/// -0 becomes +0, so that branch cuts put the negative real axis on the upper side
/// whatever way the zero came about: SQRT(-4) is 2j and LN(-1) is j*PI.
double plusZero(double v) { return v == 0.0 ? 0.0 : v; }

Complex normalised(Complex z) { return {plusZero(z.real()), plusZero(z.imag())}; }

double modulus(Complex z) { return std::hypot(z.real(), z.imag()); }

bool hasUndefinedPart(Complex z) { return z.real() == UNDEFINED || z.imag() == UNDEFINED; }

/// BIG (imaginary part 0) when the modulus exceeds BIG.
Complex clampModulus(Complex z)
{
    const double re = z.real();
    const double im = z.imag();
    if (std::fabs(re) > BIG || std::fabs(im) > BIG || re * re + im * im > BIG * BIG)
        return kBigValue;
    return z;
}

/// Anything that is not a finite number is the failed result BIG.
Complex finiteOrBig(Complex z)
{
    if (!std::isfinite(z.real()) || !std::isfinite(z.imag()))
        return kBigValue;
    return clampModulus(z);
}

Complex complexAdd(Complex a, Complex b)
{
    return {guardedAdd(a.real(), b.real()), guardedAdd(a.imag(), b.imag())};
}

Complex complexSub(Complex a, Complex b)
{
    return {guardedSub(a.real(), b.real()), guardedSub(a.imag(), b.imag())};
}

Complex complexMul(Complex a, Complex b)
{
    return {guardedSub(guardedMul(a.real(), b.real()), guardedMul(a.imag(), b.imag())),
            guardedAdd(guardedMul(a.real(), b.imag()), guardedMul(a.imag(), b.real()))};
}

/// The real division rules with moduli in place of magnitudes; a scaled quotient
/// otherwise, so that neither |b|^2 underflows nor overflows.
Complex complexDiv(Complex a, Complex b)
{
    if (hasUndefinedPart(a) || hasUndefinedPart(b))
        return {UNDEFINED, 0.0};
    const double ma = modulus(a);
    const double mb = modulus(b);
    if (ma <= TINY && mb <= TINY)
        return {UNDEFINED, 0.0};
    if (ma >= BIG || mb <= TINY)
        return kBigValue;
    if (ma <= TINY || mb >= BIG)
        return {0.0, 0.0};
    const double ar = a.real();
    const double ai = a.imag();
    const double br = b.real();
    const double bi = b.imag();
    if (std::fabs(br) >= std::fabs(bi)) {
        const double ratio = bi / br;
        const double d = br + bi * ratio;
        return clampModulus({(ar + ai * ratio) / d, (ai - ar * ratio) / d});
    }
    const double ratio = br / bi;
    const double d = bi + br * ratio;
    return clampModulus({(ar * ratio + ai) / d, (ai * ratio - ar) / d});
}

/// exp(x) (cos y + j sin y) with exp(x) through the guarded exponential.
Complex complexExp(Complex z, Reporter& reporter)
{
    const double m = guardedExp(reporter, z.real());
    if (m >= BIG)
        return kBigValue;
    if (m == 0.0)
        return {0.0, 0.0};
    return {m * std::cos(z.imag()), m * std::sin(z.imag())};
}

/// z^n for a whole n (|n| <= 32767) by repeated squaring: exact for small integers,
/// (-2)^2 is 4 and (1 + j)^2 is 2j. Overflow goes through the guarded exponential so
/// that it is reported as any other exponential overflow.
Complex wholePower(Complex z, int n, Reporter& reporter)
{
    const double logModulus = n * std::log(modulus(z));
    if (logModulus > kExpLimit)
        return {guardedExp(reporter, logModulus), 0.0};
    unsigned k = static_cast<unsigned>(n < 0 ? -n : n);
    Complex result{1.0, 0.0};
    Complex base = z;
    while (k != 0) {
        if ((k & 1U) != 0)
            result = clampModulus(complexMul(result, base));
        k >>= 1U;
        if (k != 0)
            base = clampModulus(complexMul(base, base));
    }
    if (n < 0)
        return complexDiv({1.0, 0.0}, result);
    return result;
}

/// The principal value of z^w, laid out like the real power rule: a zero base gives 0
/// (or BIG for a negative real part of w), a zero exponent 1, whole real exponents are
/// exact, any other power is exp(w ln z).
Complex complexPower(Complex z, Complex w, Reporter& reporter)
{
    if (modulus(z) <= TINY)
        return w.real() >= 0.0 ? Complex{0.0, 0.0} : kBigValue;
    if (modulus(w) <= TINY)
        return {1.0, 0.0};
    if (std::fabs(w.imag()) <= TINY && std::fabs(w.real()) < 32767.5) {
        const double n = std::round(w.real());
        if (std::fabs(w.real() - n) <= 1e-8)
            return wholePower(z, static_cast<int>(n), reporter);
    }
    const Complex zn = normalised(z);
    const double lr = std::log(modulus(zn));
    const double li = std::atan2(zn.imag(), zn.real());
    const Complex t{w.real() * lr - w.imag() * li, w.real() * li + w.imag() * lr};
    if (std::isnan(t.real()) || std::isnan(t.imag()))
        return kBigValue;
    if (t.real() < -800.0)
        return {0.0, 0.0};
    if (!std::isfinite(t.imag()))
        return kBigValue;
    return complexExp(t, reporter);
}

/// sin z = sin x cosh y + j cos x sinh y; beyond |y| = 116 the modulus exceeds BIG.
Complex complexSin(Complex z)
{
    const double x = z.real();
    const double y = z.imag();
    if (std::fabs(y) > 116.0)
        return kBigValue;
    return clampModulus({std::sin(x) * std::cosh(y), std::cos(x) * std::sinh(y)});
}

/// cos z = cos x cosh y - j sin x sinh y.
Complex complexCos(Complex z)
{
    const double x = z.real();
    const double y = z.imag();
    if (std::fabs(y) > 116.0)
        return kBigValue;
    return clampModulus({std::cos(x) * std::cosh(y), -std::sin(x) * std::sinh(y)});
}

/// The stable square root: the larger part first, the smaller one from it.
Complex complexSqrt(Complex z)
{
    const Complex zn = normalised(z);
    const double x = zn.real();
    const double y = zn.imag();
    const double m = modulus(zn);
    if (m == 0.0)
        return {0.0, 0.0};
    const double t = std::sqrt((std::fabs(x) + m) * 0.5);
    if (x >= 0.0)
        return {t, y / (2.0 * t)};
    return {std::fabs(y) / (2.0 * t), std::copysign(t, y)};
}

Complex complexBinary(std::uint8_t code, Complex a, Complex b, Reporter& reporter)
{
    Complex r{0.0, 0.0};
    switch (code) {
    case '+':
        r = complexAdd(a, b);
        break;
    case '-':
        r = complexSub(a, b);
        break;
    case '*':
        r = complexMul(a, b);
        break;
    case '/':
        r = complexDiv(a, b);
        break;
    case '^':
        r = complexPower(a, b, reporter);
        break;
    case 'A':
        r = {std::atan2(a.real(), b.real()), 0.0};
        break;
    case op::Gammp: // on the real parts, like the one-argument special functions
        r = {gammp(a.real(), b.real(), reporter), 0.0};
        break;
    case '<':
        r = b - a;
        break;
    case '>':
        r = a - b;
        break;
    case '=':
        r = {a == b ? 0.0 : 1.0, 0.0};
        break;
    default:
        break;
    }
    return clampModulus(r);
}

Complex complexUnary(std::uint8_t code, Complex z, Reporter& reporter, EvalError& error)
{
    const double x = z.real();
    const double y = z.imag();
    switch (code) {
    case '-':
        return -z;
    case 'r':
        return {x, 0.0};
    case 'i':
        return {y, 0.0};
    case 'j':
        return {x, -y};
    case 'B':
    case 'm':
        return {modulus(z), 0.0};
    case 'a':
        return {std::atan2(plusZero(y), x), 0.0};
    case '2':
        return clampModulus(complexMul(z, z));
    case 'E':
        return complexExp(z, reporter);
    case 'L': {
        const double m = modulus(z);
        if (m <= TINY && m != UNDEFINED)
            return {BIG, kPi};
        return {std::log(m), std::atan2(plusZero(y), x)};
    }
    case 'Q':
        return complexSqrt(z);
    case 'I':
        return complexDiv({1.0, 0.0}, z);
    case 'S':
        return complexSin(z);
    case 'C':
        return complexCos(z);
    case 'T': {
        if (modulus(complexCos(z)) <= TINY) {
            error.record(message::TangentInfinity);
            return kBigValue;
        }
        return finiteOrBig(std::tan(normalised(z)));
    }
    case 's':
        return finiteOrBig(std::asin(normalised(z)));
    case 'c': {
        const Complex s = finiteOrBig(std::asin(normalised(z)));
        return {kPi * 0.5 - s.real(), -s.imag()};
    }
    case 't':
        return finiteOrBig(std::atan(normalised(z)));
    case 'U': // the unit step of the real part
        return {x >= 0.0 ? 1.0 : 0.0, 0.0};
    case 'P':
    case 'J':
    case '1':
    case 'Y':
    case 'y':
    case 'G':
        return {realUnary(code, x, reporter, error), 0.0};
    default:
        return {0.0, 0.0};
    }
}

/// The real-mode value of a number form: the real part of what complex mode pushes.
double realFormValue(std::uint8_t numberForm, double v)
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

Complex complexFormValue(std::uint8_t numberForm, double v)
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

double zeroIfTiny(double v) { return std::fabs(v) <= TINY && v != UNDEFINED ? 0.0 : v; }

} // namespace

Evaluator::Evaluator(Reporter& reporter) : m_reporter(reporter) {}

void Evaluator::reportFault(std::string_view text)
{
    m_reporter.send("\n");
    m_reporter.send(text);
    m_reporter.raiseError();
    m_error.setMark();
}

void Evaluator::runReal(const Token* t, const Token* end, const double* values)
{
    double* const stack = m_real;
    int depth = 0;
    for (; t != end; ++t) {
        switch (t->kind) {
        case kind::Constant:
        case kind::Variable: {
            if (depth >= kStackSize) {
                reportFault(message::StackOverflow);
                break;
            }
            double v = t->kind == kind::Constant ? t->value : values[t->index];
            if (t->op != form::Real) [[unlikely]]
                v = realFormValue(t->op, v);
            stack[depth++] = v;
            break;
        }
        case kind::Binary: {
            const std::uint8_t code = t->op;
            if (code == 'H')
                break;
            if (code == 'F') {
                if (depth < 3) {
                    reportFault(message::StackUnderflow);
                    depth = 0;
                    break;
                }
                depth -= 2;
                stack[depth - 1] = stack[depth - 1] > 0.0 ? stack[depth] : stack[depth + 1];
                break;
            }
            if (depth < 2) [[unlikely]] {
                reportFault(message::StackUnderflow);
                depth = 0;
                break;
            }
            --depth;
            stack[depth - 1] = realBinary(code, stack[depth - 1], stack[depth], m_reporter, m_error);
            break;
        }
        case kind::Unary:
            if (depth < 1) [[unlikely]] {
                reportFault(message::StackUnderflow);
                break;
            }
            stack[depth - 1] = realUnary(t->op, stack[depth - 1], m_reporter, m_error);
            break;
        case kind::End:
            m_depth = depth;
            return;
        default: // void tokens and anything unknown
            break;
        }
    }
    m_depth = depth;
}

void Evaluator::runComplex(const Token* t, const Token* end, const double* values)
{
    Complex* const stack = m_complex;
    int depth = 0;
    for (; t != end; ++t) {
        switch (t->kind) {
        case kind::Constant:
        case kind::Variable: {
            if (depth >= kStackSize) {
                reportFault(message::StackOverflow);
                break;
            }
            const double v = t->kind == kind::Constant ? t->value : values[t->index];
            stack[depth++] = complexFormValue(t->op, v);
            break;
        }
        case kind::Binary: {
            const std::uint8_t code = t->op;
            if (code == 'H')
                break;
            if (code == 'F') {
                if (depth < 3) {
                    reportFault(message::StackUnderflow);
                    depth = 0;
                    break;
                }
                depth -= 2;
                stack[depth - 1] = stack[depth - 1].real() > 0.0 ? stack[depth] : stack[depth + 1];
                break;
            }
            if (depth < 2) {
                reportFault(message::StackUnderflow);
                depth = 0;
                break;
            }
            --depth;
            stack[depth - 1] = complexBinary(code, stack[depth - 1], stack[depth], m_reporter);
            break;
        }
        case kind::Unary:
            if (depth < 1) {
                reportFault(message::StackUnderflow);
                break;
            }
            stack[depth - 1] = complexUnary(t->op, stack[depth - 1], m_reporter, m_error);
            break;
        case kind::End:
            m_depth = depth;
            return;
        default:
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
        runComplex(begin, end, values);
    else
        runReal(begin, end, values);

    if (m_depth != 1)
        reportFault(message::EndedPrematurely);
    if (m_error.mark())
        return kBigValue;
    if (complexMode)
        return {zeroIfTiny(m_complex[0].real()), zeroIfTiny(m_complex[0].imag())};
    return {zeroIfTiny(m_real[0]), 0.0};
}

} // namespace varnel
