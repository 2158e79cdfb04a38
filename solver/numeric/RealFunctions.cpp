// Real functions with the BIG / TINY / UNDEFINED rules of the guarded arithmetic; the
// errors they meet are recorded for the caller, never reported here.
#include "RealFunctions.h"

#include "GuardedMath.h"

#include <cmath>

namespace varnel {

double realPower(double a, double b, Reporter& reporter, EvalError& error)
{
    if (std::fabs(a) <= TINY)
        return b >= 0.0 ? 0.0 : BIG;
    if (std::fabs(b) <= TINY)
        return 1.0;
    if (std::fabs(b) < 32767.5) {
        const double n = std::round(b); // half away from zero
        if (std::fabs(b - n) <= 1e-8) {
            if (n == -1.0)
                return guardedDiv(1.0, a);
            if (n == 1.0)
                return a;
            if (n == 2.0)
                return a * a;
            if (std::fmod(n, 2.0) == 0.0)
                return guardedExp(reporter, n * std::log(std::fabs(a)));
            if (a > 0.0)
                return guardedExp(reporter, n * std::log(a));
            return -guardedExp(reporter, n * std::log(-a));
        }
    }
    if (a > 0.0)
        return guardedExp(reporter, b * std::log(a));
    error.record(message::FractionalPower);
    return UNDEFINED;
}

double realSquare(double x)
{
    return clampToBig(guardedMul(x, x));
}

double realTangent(double x, EvalError& error)
{
    const double c = std::cos(x);
    if (std::fabs(c) <= TINY) {
        error.record(message::TangentInfinity);
        return BIG;
    }
    return std::sin(x) / c;
}

double realArcSine(double x, EvalError& error)
{
    const double d = guardedSub(1.0, guardedMul(x, x));
    double root = 0.0;
    if (std::fabs(x) > 1.0)
        error.record(message::SquareRootNegative);
    else
        root = std::sqrt(d);
    double q = guardedDiv(x, root);
    // The guarded quotient is BIG whatever the sign; the angle keeps the sign of x.
    if (q == BIG && x < 0.0)
        q = -BIG;
    return std::atan(q);
}

double realArcCosine(double x, EvalError& error)
{
    return kPi * 0.5 - realArcSine(x, error);
}

double realLog(double x, EvalError& error)
{
    if (x <= 0.0) {
        error.record(message::LogNonPositive);
        return BIG;
    }
    return std::log(x);
}

double realInverse(double x, EvalError& error)
{
    if (std::fabs(x) <= TINY) {
        error.record(message::InverseOfZero);
        return BIG;
    }
    return 1.0 / x;
}

double realSquareRoot(double x, EvalError& error)
{
    if (x < 0.0) {
        error.record(message::SquareRootNegative);
        return 0.0;
    }
    return std::sqrt(x);
}

double unitStep(double x)
{
    return x >= 0.0 ? 1.0 : 0.0;
}

} // namespace varnel
