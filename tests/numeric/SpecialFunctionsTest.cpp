// Special functions against independent references (std:: special functions and closed
// forms of P(a, x)), continuity where the approximations switch, and the messages, beeps
// and special values at the edges.
#include "SpecialFunctions.h"
#include "GuardedMath.h"
#include "Reporter.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace varnel {
namespace {

using test::TranscriptHost;

class SpecialFunctionsTest : public ::testing::Test {
protected:
    /// Captures the messages and beeps of the functions.
    TranscriptHost host;
    Reporter reporter;
};

using Pieces = std::vector<std::string>;
const std::string kArgument = "Argument of GAMMA or ERF must be positive";
const std::string kPrecision = "Precision Problems in GAMMA or ERF";

std::vector<double> grid(double from, double to, double step)
{
    std::vector<double> xs;
    for (double x = from; x <= to + 1e-12; x += step)
        xs.push_back(x);
    return xs;
}

// P(a, x) for a = n and a = n + 1/2 by the recurrence P(a + 1, x) = P(a, x) -
// x^a e^-x / Gamma(a + 1), started from P(1, x) = 1 - e^-x and P(1/2, x) = erf(sqrt x).
double referenceP(double a, double x)
{
    double base = a - std::floor(a);
    double p = base == 0 ? 1.0 - std::exp(-x) : std::erf(std::sqrt(x));
    if (base == 0)
        base = 1;
    for (double s = base; s < a - 0.25; s += 1)
        p -= std::pow(x, s) * std::exp(-x) / std::tgamma(s + 1);
    return p;
}

TEST_F(SpecialFunctionsTest, GammlnMatchesLgamma)
{
    for (double x : grid(0.05, 30, 0.05))
        EXPECT_NEAR(gammln(x), std::lgamma(x), 5e-10 * std::max(1.0, std::fabs(std::lgamma(x))))
            << "x=" << x;
    for (double x : {50.0, 171.5, 1000.0, 1e6, 1e12})
        EXPECT_NEAR(gammln(x), std::lgamma(x), 1e-10 * std::lgamma(x)) << "x=" << x;
    EXPECT_NEAR(gammln(1), 0, 1e-9);
    EXPECT_NEAR(gammln(2), 0, 1e-9);
}

TEST_F(SpecialFunctionsTest, GammpMatchesClosedForms)
{
    for (double a : {0.5, 1.0, 1.5, 2.0, 3.0, 4.5, 5.0, 10.0})
        for (double x : grid(0, 25, 0.125))
            EXPECT_NEAR(gammp(a, x, reporter), referenceP(a, x), 3e-7) << "a=" << a << " x=" << x;
    EXPECT_NEAR(gammp(1, 1, reporter), 1 - std::exp(-1.0), 3e-7 * (1 - std::exp(-1.0)));
    EXPECT_TRUE(host.pieces.empty());
    EXPECT_EQ(host.beeps, 0);
}

TEST_F(SpecialFunctionsTest, ErfMatchesStdErf)
{
    for (double x : grid(-6, 6, 0.02))
        EXPECT_NEAR(erfFunction(x, reporter), std::erf(x), 1e-7) << "x=" << x;
    EXPECT_EQ(erfFunction(0, reporter), 0.0);
    for (double x : {0.1, 0.7, 1.2, 1.3, 2.0, 4.0})
        EXPECT_EQ(erfFunction(-x, reporter), -erfFunction(x, reporter)) << "x=" << x;
    EXPECT_NEAR(erfFunction(3, reporter), 0.99998, 1e-5);
    EXPECT_TRUE(host.pieces.empty());
}

TEST_F(SpecialFunctionsTest, BesselMatchesStd)
{
    struct Case {
        const char* name;
        double (*f)(double);
        std::function<double(double)> ref;
        double from;
    };
    const Case cases[] = {
        {"J0", bessj0, [](double x) { return std::cyl_bessel_j(0.0, std::fabs(x)); }, -30},
        {"J1", bessj1,
         [](double x) { return x < 0 ? -std::cyl_bessel_j(1.0, -x) : std::cyl_bessel_j(1.0, x); },
         -30},
        {"Y0", bessy0, [](double x) { return std::cyl_neumann(0.0, x); }, 0.01},
        {"Y1", bessy1, [](double x) { return std::cyl_neumann(1.0, x); }, 0.01},
    };
    for (const Case& c : cases) {
        for (double x : grid(c.from, 30, 0.01)) {
            const double ref = c.ref(x);
            EXPECT_NEAR(c.f(x), ref, 3e-8 * std::max(1.0, std::fabs(ref))) << c.name << " x=" << x;
        }
        for (double x : {100.0, 1e4, 1e8})
            EXPECT_NEAR(c.f(x), c.ref(x), 3e-8) << c.name << " x=" << x;
    }
    EXPECT_NEAR(bessj0(0), 1.0, 1e-8); // the rational form gives 1 + 2.8e-9
    EXPECT_EQ(bessj1(0), 0.0);
}

TEST_F(SpecialFunctionsTest, ContinuousWhereTheFormsSwitch)
{
    const double below8 = std::nextafter(8.0, 0.0);
    for (auto f : {bessj0, bessj1, bessy0, bessy1})
        EXPECT_NEAR(f(below8), f(8.0), 3e-8);
    for (auto f : {bessj0, bessj1})
        EXPECT_NEAR(f(-below8), f(-8.0), 3e-8);
    for (double a : {0.5, 1.0, 2.5, 5.0, 10.0}) {
        const double x = a + 1;
        EXPECT_NEAR(gammp(a, std::nextafter(x, 0.0), reporter), gammp(a, x, reporter), 3e-7)
            << "a=" << a;
    }
    const double erfSwitch = std::sqrt(1.5);
    EXPECT_NEAR(erfFunction(std::nextafter(erfSwitch, 0.0), reporter),
                erfFunction(erfSwitch, reporter), 3e-7);
    EXPECT_TRUE(host.pieces.empty());
}

TEST_F(SpecialFunctionsTest, GammpReportsAndGoesOn)
{
    struct Case {
        double a, x;
        Pieces pieces;
        int beeps;
        double expected;
    };
    const Case cases[] = {
        {0, 1, {kArgument, "\n"}, 1, 1.0},
        {-2, 3, {kArgument, "\n"}, 1, 1.0},
        {-0.5, 0.25, {kArgument, "\n"}, 1, 0.0},
        {1, -1, {kArgument, "\n", "pause in GSER - x less than 0", "\n"}, 1, 0.0},
        {1, 0, {}, 0, 0.0},
        // The series cannot settle in 100 terms: the last partial sum is used.
        {1000, 999, {"\n", kPrecision}, 1, -1},
    };
    for (const Case& c : cases) {
        host.clear();
        const double p = gammp(c.a, c.x, reporter);
        EXPECT_EQ(host.pieces, c.pieces) << "a=" << c.a << " x=" << c.x;
        EXPECT_EQ(host.beeps, c.beeps) << "a=" << c.a << " x=" << c.x;
        if (c.expected >= 0) {
            EXPECT_EQ(p, c.expected) << "a=" << c.a << " x=" << c.x;
        }
        EXPECT_TRUE(std::isfinite(p) && p >= 0 && p <= 1) << "a=" << c.a << " x=" << c.x;
    }
    EXPECT_FALSE(reporter.runError);
}

TEST_F(SpecialFunctionsTest, SpecialValuesAtTheEdges)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        double got;
        double expected;
    };
    const Case cases[] = {
        {"Y0(0)", bessy0(0), BIG},
        {"Y0(TINY)", bessy0(TINY), BIG},
        {"Y0(-1)", bessy0(-1), UNDEFINED},
        {"Y0(-TINY)", bessy0(-TINY), UNDEFINED},
        {"Y0(UNDEFINED)", bessy0(UNDEFINED), UNDEFINED},
        {"Y1(0)", bessy1(0), BIG},
        {"Y1(-TINY)", bessy1(-TINY), BIG},
        {"Y1(-1)", bessy1(-1), UNDEFINED},
        {"Y1(UNDEFINED)", bessy1(UNDEFINED), UNDEFINED},
        {"Y0(inf)", bessy0(inf), 0},
        {"J0(-inf)", bessj0(-inf), 0},
        {"J1(inf)", bessj1(inf), 0},
        {"GAMMLN(0)", gammln(0), BIG},
        {"GAMMLN(-2.5)", gammln(-2.5), BIG},
        {"GAMMLN(inf)", gammln(inf), BIG},
        {"GAMMLN(nan)", gammln(nan), BIG},
        {"GAMMP(1, 1e200)", gammp(1, 1e200, reporter), 1},
        {"GAMMP(nan, 1)", gammp(nan, 1, reporter), UNDEFINED},
        {"GAMMP(-5, -1)", gammp(-5, -1, reporter), UNDEFINED},
        {"ERF(1e200)", erfFunction(1e200, reporter), 1},
        {"ERF(-inf)", erfFunction(-inf, reporter), -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.expected) << c.name;
    // Just above the pole the rational forms still work and stay finite.
    EXPECT_LT(bessy0(2 * TINY), -70);
    EXPECT_LT(bessy1(2 * TINY), -1e49);
}

} // namespace
} // namespace varnel
