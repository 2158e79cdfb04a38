// Real arithmetic beyond the guarded four operations: the clamp to BIG, the power rule and
// the one-argument functions whose domain is limited (tangent, arc sine, logarithm,
// inverse, square root), each recording its error. The operation table of the equation
// language calls them for real-mode evaluation and constant folding.
#pragma once

#include "EvalError.h"
#include "GuardedMath.h"

#include <cmath>

namespace varnel {

class Reporter;

/// BIG when the magnitude exceeds BIG (whatever the sign), else x.
inline double clampToBig(double x)
{
    return std::fabs(x) > BIG ? BIG : x;
}

/// a ^ b by the power rule: 0 or BIG for a zero base, 1 for a zero exponent, whole
/// exponents up to 32767 through |a| (odd ones keep the sign), fractional powers of
/// positive bases; a fractional power of a base <= 0 records an error and gives UNDEFINED.
/// The exponentials go through the guarded exponential.
double realPower(double a, double b, Reporter& reporter, EvalError& error);

/// x * x clamped to BIG.
double realSquare(double x);
/// tan x; BIG with an error recorded where |cos x| <= TINY.
double realTangent(double x, EvalError& error);
/// arcsin x = arctan(x / sqrt(1 - x^2)) with the square and the quotient guarded; |x| > 1
/// records an error and gives the arc tangent of the guarded quotient by 0 (+-pi/2).
double realArcSine(double x, EvalError& error);
/// PI/2 - arcsin x, with the errors of realArcSine.
double realArcCosine(double x, EvalError& error);
/// ln x; BIG with an error recorded for x <= 0.
double realLog(double x, EvalError& error);
/// 1 / x; BIG with an error recorded for |x| <= TINY.
double realInverse(double x, EvalError& error);
/// sqrt x; 0 with an error recorded for x < 0.
double realSquareRoot(double x, EvalError& error);
/// 1 for x >= 0, else 0.
double unitStep(double x);

} // namespace varnel
