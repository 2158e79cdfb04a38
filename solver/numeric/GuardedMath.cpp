// Guarded arithmetic on doubles with the BIG, TINY and UNDEFINED rules.
#include "GuardedMath.h"

#include "Reporter.h"

#include <cmath>

namespace varnel {

double guardedDiv(double a, double b)
{
    if (a == UNDEFINED || b == UNDEFINED)
        return UNDEFINED;
    const double fa = std::fabs(a);
    const double fb = std::fabs(b);
    if (fa <= TINY && fb <= TINY)
        return UNDEFINED;
    if (fa >= BIG || fb <= TINY)
        return BIG;
    if (fa <= TINY || fb >= BIG)
        return 0.0;
    return a / b;
}

int decimalExponent(double x)
{
    const double a = std::fabs(x);
    if (a <= TINY)
        return -99;
    if (!std::isfinite(a))
        return 99; // no finite exponent: treated like a failed evaluation
    return static_cast<int>(std::trunc(std::log10(a)));
}

bool meetsTolerance(double magnitude, int toleranceExponent)
{
    return magnitude == 0.0 || decimalExponent(magnitude) < toleranceExponent;
}

double guardedExp(Reporter& reporter, double x)
{
    if (x > kExpLimit) {
        reporter.reportExpOverflow();
        return BIG;
    }
    reporter.rearmExpOverflow();
    return std::exp(x);
}

} // namespace varnel
