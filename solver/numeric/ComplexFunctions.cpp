// Complex arithmetic for complex-mode evaluation, laid out like the real rules so that a
// system with real values gives the same figures in both modes.
#include "ComplexFunctions.h"

#include "GuardedMath.h"
#include "Reporter.h"

#include <cmath>

namespace varnel {

namespace {

double plusZero(double v)
{
    return v == 0.0 ? 0.0 : v;
}

bool hasUndefinedPart(Complex z)
{
    return z.real() == UNDEFINED || z.imag() == UNDEFINED;
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

} // namespace

Complex normalised(Complex z)
{
    return {plusZero(z.real()), plusZero(z.imag())};
}

double complexAngle(Complex z)
{
    return std::atan2(plusZero(z.imag()), z.real());
}

Complex finiteOrBig(Complex z)
{
    if (!std::isfinite(z.real()) || !std::isfinite(z.imag()))
        return kComplexBig;
    return clampModulus(z);
}

Complex complexDiv(Complex a, Complex b)
{
    if (hasUndefinedPart(a) || hasUndefinedPart(b))
        return {UNDEFINED, 0.0};
    const double ma = modulus(a);
    const double mb = modulus(b);
    if (ma <= TINY && mb <= TINY)
        return {UNDEFINED, 0.0};
    if (ma >= BIG || mb <= TINY)
        return kComplexBig;
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

Complex complexExp(Complex z, Reporter& reporter)
{
    const double m = guardedExp(reporter, z.real());
    if (m >= BIG)
        return kComplexBig;
    if (m == 0.0)
        return {0.0, 0.0};
    return {m * std::cos(z.imag()), m * std::sin(z.imag())};
}

Complex complexPower(Complex z, Complex w, Reporter& reporter)
{
    if (modulus(z) <= TINY)
        return w.real() >= 0.0 ? Complex{0.0, 0.0} : kComplexBig;
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
        return kComplexBig;
    if (t.real() < -800.0)
        return {0.0, 0.0};
    if (!std::isfinite(t.imag()))
        return kComplexBig;
    return complexExp(t, reporter);
}

Complex complexLog(Complex z)
{
    const double m = modulus(z);
    if (m <= TINY && m != UNDEFINED)
        return {BIG, kPi};
    return {std::log(m), complexAngle(z)};
}

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

Complex complexSin(Complex z)
{
    const double x = z.real();
    const double y = z.imag();
    if (std::fabs(y) > 116.0)
        return kComplexBig;
    return clampModulus({std::sin(x) * std::cosh(y), std::cos(x) * std::sinh(y)});
}

Complex complexCos(Complex z)
{
    const double x = z.real();
    const double y = z.imag();
    if (std::fabs(y) > 116.0)
        return kComplexBig;
    return clampModulus({std::cos(x) * std::cosh(y), -std::sin(x) * std::sinh(y)});
}

Complex complexTan(Complex z, EvalError& error)
{
    if (modulus(complexCos(z)) <= TINY) {
        error.record(message::TangentInfinity);
        return kComplexBig;
    }
    return finiteOrBig(std::tan(normalised(z)));
}

Complex complexArcSine(Complex z)
{
    return finiteOrBig(std::asin(normalised(z)));
}

Complex complexArcCosine(Complex z)
{
    const Complex s = complexArcSine(z);
    return {kPi * 0.5 - s.real(), -s.imag()};
}

Complex complexArcTangent(Complex z)
{
    return finiteOrBig(std::atan(normalised(z)));
}

} // namespace varnel
