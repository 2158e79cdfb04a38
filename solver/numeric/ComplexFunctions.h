// Complex arithmetic with the conventions of the guarded real arithmetic: moduli above BIG
// clamp to BIG, tiny divisors give BIG, anything not finite is the failed result BIG, and
// -0 counts as +0 on the branch cuts. The operation table of the equation language calls
// these for complex-mode evaluation.
#pragma once

#include "EvalError.h"
#include "GuardedMath.h"

#include <cmath>
#include <complex>

namespace varnel {

class Reporter;

using Complex = std::complex<double>;

/// BIG with imaginary part 0: the failed complex result.
inline constexpr Complex kComplexBig{BIG, 0.0};

/// |z| computed without overflow of the squares.
inline double modulus(Complex z)
{
    return std::hypot(z.real(), z.imag());
}
/// BIG (imaginary part 0) when the modulus exceeds BIG, else z.
inline Complex clampModulus(Complex z)
{
    const double re = z.real();
    const double im = z.imag();
    if (std::fabs(re) > BIG || std::fabs(im) > BIG || re * re + im * im > BIG * BIG)
        return kComplexBig;
    return z;
}
/// BIG when a part is not finite, else clampModulus(z).
Complex finiteOrBig(Complex z);
/// z with -0 parts made +0, so that branch cuts put the negative real axis on the upper
/// side whatever way the zero came about: SQRT(-4) is 2j and LN(-1) is j*PI.
Complex normalised(Complex z);
/// The argument of z in (-PI, PI], with a -0 imaginary part taken as +0.
double complexAngle(Complex z);

/// Part by part through the guarded real operations.
inline Complex complexAdd(Complex a, Complex b)
{
    return {guardedAdd(a.real(), b.real()), guardedAdd(a.imag(), b.imag())};
}
inline Complex complexSub(Complex a, Complex b)
{
    return {guardedSub(a.real(), b.real()), guardedSub(a.imag(), b.imag())};
}
inline Complex complexMul(Complex a, Complex b)
{
    return {guardedSub(guardedMul(a.real(), b.real()), guardedMul(a.imag(), b.imag())),
            guardedAdd(guardedMul(a.real(), b.imag()), guardedMul(a.imag(), b.real()))};
}
/// The real division rules with moduli in place of magnitudes (UNDEFINED for an UNDEFINED
/// part or 0/0, BIG for a tiny divisor or a huge dividend, 0 for a tiny dividend or a
/// huge divisor); otherwise a scaled quotient, so that |b|^2 neither under- nor overflows.
Complex complexDiv(Complex a, Complex b);
/// The principal value of z^w, laid out like the real power rule: a zero base gives 0 (or
/// BIG for a negative real part of w), a zero exponent 1, whole real exponents up to 32767
/// are exact (repeated squaring), any other power is exp(w ln z).
Complex complexPower(Complex z, Complex w, Reporter& reporter);

/// exp(x) (cos y + j sin y) with exp(x) through the guarded exponential.
Complex complexExp(Complex z, Reporter& reporter);
/// ln |z| + j arg z; a modulus at most TINY (and not UNDEFINED) gives BIG + j PI.
Complex complexLog(Complex z);
/// The principal square root, computed stably (the larger part first).
Complex complexSqrt(Complex z);
/// sin and cos; BIG beyond |Im z| = 116, where the modulus exceeds BIG.
Complex complexSin(Complex z);
Complex complexCos(Complex z);
/// tan z; BIG with an error recorded where |cos z| <= TINY.
Complex complexTan(Complex z, EvalError& error);
/// The principal arc sine, arc cosine (PI/2 - arc sine) and arc tangent.
Complex complexArcSine(Complex z);
Complex complexArcCosine(Complex z);
Complex complexArcTangent(Complex z);

} // namespace varnel
