// ln Gamma, the incomplete gamma function, erf and the Bessel functions of orders 0 and 1
// as fixed, published approximations. Messages go straight to the host through the
// Reporter; they never raise the run error.
#include "SpecialFunctions.h"

#include "GuardedMath.h"
#include "Reporter.h"

#include <cmath>

namespace varnel {

namespace {

constexpr int kMaxSteps = 100;      // ITMAX of the series and of the fraction
constexpr double kRelEps = 3e-7;    // relative accuracy of both
constexpr double kBesselSwitch = 8; // rational form below, asymptotic form from here on
constexpr double kTwoOverPi = 0.636619772;
constexpr double kQuarterPi = 0.785398164;
constexpr double kThreeQuarterPi = 2.356194491;
// Beyond this the first convergent of the fraction (about x^2) overflows.
constexpr double kFractionLimit = 1e150;

void reportPrecision(const Reporter& r)
{
    r.send("\n");
    r.send("Precision Problems in GAMMA or ERF");
    r.beep();
}

/// The series of P(a, x), for x < a + 1.
double gammaSeries(double a, double x, const Reporter& r)
{
    if (x <= 0) {
        if (x < 0) {
            r.send("pause in GSER - x less than 0");
            r.send("\n");
        }
        return 0.0;
    }
    const double gln = gammln(a);
    if (a <= 0)
        return 0.0; // gln is BIG: the prefactor is exp(-BIG) = 0 (and 1/a is no term)
    double ap = a;
    double del = 1.0 / a;
    double sum = del;
    bool settled = false;
    for (int n = 1; n <= kMaxSteps; ++n) {
        ap += 1.0;
        del *= x / ap;
        sum += del;
        if (std::fabs(del) < std::fabs(sum) * kRelEps) {
            settled = true;
            break;
        }
    }
    if (!settled)
        reportPrecision(r);
    return sum * std::exp(-x + a * std::log(x) - gln);
}

/// Q(a, x) = 1 - P(a, x) by the continued fraction with renormalised convergents, for
/// x >= a + 1.
double gammaFraction(double a, double x, const Reporter& r)
{
    const double gln = gammln(a);
    double gold = 0.0;
    double g = 0.0;
    double fac = 1.0;
    double a0 = 1.0;
    double a1 = x;
    double b0 = 0.0;
    double b1 = 1.0;
    bool settled = false;
    for (int n = 1; n <= kMaxSteps; ++n) {
        const double an = n;
        const double ana = an - a;
        a0 = (a1 + a0 * ana) * fac;
        b0 = (b1 + b0 * ana) * fac;
        const double anf = an * fac;
        a1 = x * a0 + anf * a1;
        b1 = x * b0 + anf * b1;
        if (a1 != 0.0) {
            fac = 1.0 / a1;
            g = b1 * fac;
            if (std::fabs(g - gold) < kRelEps * std::fabs(g)) {
                settled = true;
                break;
            }
            gold = g;
        }
    }
    if (!settled)
        reportPrecision(r);
    return std::exp(-x + a * std::log(x) - gln) * g;
}

// Asymptotic P and Q polynomials in w = (8/x)^2, orders 0 and 1.
double p0(double w)
{
    return 1.0 + w * (-0.1098628627e-2 +
                      w * (0.2734510407e-4 + w * (-0.2073370639e-5 + w * 0.2093887211e-6)));
}

double q0(double w)
{
    return -0.1562499995e-1 +
           w * (0.1430488765e-3 +
                w * (-0.6911147651e-5 + w * (0.7621095161e-6 - w * 0.934945152e-7)));
}

double p1(double w)
{
    return 1.0 + w * (0.183105e-2 +
                      w * (-0.3516396496e-4 + w * (0.2457520174e-5 + w * (-0.240337019e-6))));
}

double q1(double w)
{
    return 0.04687499995 + w * (-0.2002690873e-3 +
                                w * (0.8449199096e-5 + w * (-0.88228987e-6 + w * 0.105787412e-6)));
}

/// sqrt(2/(pi ax)) (P cos(ax - phi) - z Q sin(ax - phi)) for J; sine and cosine
/// exchanged (P sin + z Q cos) for Y. ax >= 8 and finite.
double asymptotic(double ax, double phi, bool secondKind, double (*p)(double), double (*q)(double))
{
    const double z = 8.0 / ax;
    const double w = z * z;
    const double xx = ax - phi;
    const double amplitude = std::sqrt(kTwoOverPi / ax);
    if (secondKind)
        return amplitude * (std::sin(xx) * p(w) + z * std::cos(xx) * q(w));
    return amplitude * (std::cos(xx) * p(w) - z * std::sin(xx) * q(w));
}

/// The common edge rules of Y0 and Y1 (true when `out` holds the result).
bool secondKindEdge(double x, bool negativeFirst, double& out)
{
    if (x == UNDEFINED || std::isnan(x)) {
        out = UNDEFINED;
        return true;
    }
    if (negativeFirst && x < 0) {
        out = UNDEFINED;
        return true;
    }
    if (std::fabs(x) <= TINY) {
        out = BIG;
        return true;
    }
    if (x < 0) {
        out = UNDEFINED;
        return true;
    }
    if (std::isinf(x)) {
        out = 0.0;
        return true;
    }
    return false;
}

} // namespace

double gammln(double x)
{
    if (!(x > 0))
        return BIG;
    static constexpr double cof[6] = {76.18009173,  -86.50532033,   24.01409822,
                                      -1.231739516, 0.120858003e-2, -0.536382e-5};
    double y = x - 1.0;
    const double t = y + 5.5;
    double ser = 1.0;
    for (double c : cof) {
        y += 1.0;
        ser += c / y;
    }
    const double result = (x - 0.5) * std::log(t) - t + std::log(2.50662827465 * ser);
    if (!(result < BIG))
        return BIG;
    return result;
}

double gammp(double a, double x, Reporter& r)
{
    if (x < 0 || a <= 0) {
        r.send("Argument of GAMMA or ERF must be positive");
        r.send("\n");
        r.beep();
    }
    double p;
    if (x < a + 1.0)
        p = gammaSeries(a, x, r);
    else if (x >= kFractionLimit)
        p = 1.0;
    else
        p = 1.0 - gammaFraction(a, x, r);
    return std::isnan(p) ? UNDEFINED : p;
}

double erfFunction(double x, Reporter& r)
{
    const double p = gammp(0.5, x * x, r);
    return x < 0 ? -p : p;
}

double bessj0(double x)
{
    const double ax = std::fabs(x);
    if (ax < kBesselSwitch) {
        const double y = x * x;
        const double num =
            57568490574.0 +
            y * (-13362590354.0 +
                 y * (651619640.7 + y * (-11214424.18 + y * (77392.33017 + y * (-184.9052456)))));
        const double den =
            57568490411.0 +
            y * (1029532985.0 + y * (9494680.718 + y * (59272.64853 + y * (267.8532712 + y))));
        return guardedDiv(num, den);
    }
    if (std::isinf(ax))
        return 0.0;
    return asymptotic(ax, kQuarterPi, false, p0, q0);
}

double bessj1(double x)
{
    const double ax = std::fabs(x);
    if (ax < kBesselSwitch) {
        const double y = x * x;
        const double num =
            x *
            (72362614232.0 +
             y * (-7895059235.0 +
                  y * (242396853.1 + y * (-2972611.439 + y * (15704.48260 + y * (-30.16036606))))));
        const double den =
            144725228442.0 +
            y * (2300535178.0 + y * (18583304.74 + y * (99447.43394 + y * (376.9991397 + y))));
        return guardedDiv(num, den);
    }
    if (std::isinf(ax))
        return 0.0;
    const double ans = asymptotic(ax, kThreeQuarterPi, false, p1, q1);
    return x < 0 ? -ans : ans;
}

double bessy0(double x)
{
    double edge;
    if (secondKindEdge(x, true, edge))
        return edge;
    if (x < kBesselSwitch) {
        const double y = x * x;
        const double num =
            -2957821389.0 +
            y * (7062834065.0 +
                 y * (-512359803.6 + y * (10879881.29 + y * (-86327.92757 + y * 228.4622733))));
        const double den =
            40076544269.0 +
            y * (745249964.8 + y * (7189466.438 + y * (47447.26470 + y * (226.1030244 + y))));
        return guardedDiv(num, den) + kTwoOverPi * bessj0(x) * std::log(x);
    }
    return asymptotic(x, kQuarterPi, true, p0, q0);
}

double bessy1(double x)
{
    double edge;
    if (secondKindEdge(x, false, edge))
        return edge;
    if (x < kBesselSwitch) {
        const double y = x * x;
        const double num =
            x * (-0.4900604943e13 +
                 y * (0.1275274390e13 +
                      y * (-0.5153438139e11 +
                           y * (0.7349264551e9 + y * (-0.4237922726e7 + y * 0.8511937935e4)))));
        const double den =
            0.2499580570e14 +
            y * (0.4244419664e12 +
                 y * (0.3733650367e10 +
                      y * (0.2245904002e8 + y * (0.1020426050e6 + y * (0.3549632885e3 + y)))));
        return guardedDiv(num, den) + kTwoOverPi * (bessj1(x) * std::log(x) - guardedDiv(1.0, x));
    }
    return asymptotic(x, kThreeQuarterPi, true, p1, q1);
}

} // namespace varnel
