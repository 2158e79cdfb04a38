// The library's guarded double arithmetic: BIG stands for overflow and failed results,
// TINY is the smallest magnitude that is not zero, UNDEFINED is a marker value that
// passes through arithmetic. Used by the evaluator, the folder, the Newton updates and
// the sparse elimination alike.
#pragma once

#include <cmath>

namespace varnel {

class Reporter;

constexpr double BIG = 1e+50;
constexpr double TINY = 1e-50;
constexpr double UNDEFINED = 8.18181818e-50;
/// The exponent above which the guarded exponential reports an overflow.
constexpr double kExpLimit = 50.0;
/// The value of PI as the equation language writes it (twelve significant digits).
constexpr double kPi = 3.14159265359;

namespace detail {
/// BIG when either magnitude is at least BIG, else UNDEFINED when either operand is
/// UNDEFINED; false (and `out` untouched) when neither applies.
inline bool guardedSpecial(double a, double b, double& out)
{
    if (std::fabs(a) >= BIG || std::fabs(b) >= BIG) {
        out = BIG;
        return true;
    }
    if (a == UNDEFINED || b == UNDEFINED) {
        out = UNDEFINED;
        return true;
    }
    return false;
}
} // namespace detail

/// BIG when either magnitude is at least BIG; UNDEFINED when either operand is
/// UNDEFINED; else the plain result (BIG whatever the sign). Inline: the evaluator runs
/// them for nearly every token.
inline double guardedAdd(double a, double b)
{
    double r;
    return detail::guardedSpecial(a, b, r) ? r : a + b;
}
inline double guardedSub(double a, double b)
{
    double r;
    return detail::guardedSpecial(a, b, r) ? r : a - b;
}
inline double guardedMul(double a, double b)
{
    double r;
    return detail::guardedSpecial(a, b, r) ? r : a * b;
}
/// UNDEFINED for an UNDEFINED operand or 0/0; BIG for |a| >= BIG or a / 0; 0 for
/// 0 / b or a / BIG; else a / b.
double guardedDiv(double a, double b);

/// Decimal exponent used by every tolerance test: -99 for |x| <= TINY, else
/// log10|x| truncated toward zero (0.005 gives -2, 0.0001 gives -4).
int decimalExponent(double x);
/// True when a residual of magnitude `magnitude` meets the tolerance 10^`toleranceExponent`:
/// its decimal exponent lies below the tolerance's, or it is exactly zero (which meets
/// every tolerance, even the lowest, where the exponent stops at -99).
bool meetsTolerance(double magnitude, int toleranceExponent);

/// e^x, or BIG with a single "\n" "Overflow in EXP" report (and a beep) for x > 50; the
/// report is armed again by the next exponential that does not overflow.
double guardedExp(Reporter& reporter, double x);

} // namespace varnel
