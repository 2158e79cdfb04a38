// Real-mode operations: the guarded arithmetic, the power rule, the relation codes and the
// one-argument functions with their error messages, checked against closed forms and std::.
#include "RealArithmetic.h"

#include "Code.h"
#include "GuardedMath.h"
#include "Reporter.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

using namespace varnel;
using varnel::test::TranscriptHost;

namespace {

constexpr double kExact = 0.0;

struct BinaryCase {
    int line;
    std::uint8_t code;
    double a;
    double b;
    double expected;
    double tolerance; // relative; 0 means bit-exact
    std::string_view error = {};
};

void checkValue(double got, double expected, double tolerance, int line)
{
    if (tolerance == kExact)
        EXPECT_EQ(got, expected) << "case at line " << line;
    else
        EXPECT_NEAR(got, expected, tolerance * std::fabs(expected)) << "case at line " << line;
}

TEST(RealArithmetic, BinaryOperationsWithSpecialValues)
{
    const BinaryCase cases[] = {
        {__LINE__, '+', 2, 3, 5, kExact},
        {__LINE__, '+', 1e60, 1, BIG, kExact},
        {__LINE__, '+', -1e60, 1, BIG, kExact},       // BIG whatever the sign
        {__LINE__, '+', BIG, UNDEFINED, BIG, kExact}, // BIG is tested before UNDEFINED
        {__LINE__, '+', UNDEFINED, 5, UNDEFINED, kExact},
        {__LINE__, '-', 5, UNDEFINED, UNDEFINED, kExact},
        {__LINE__, '-', 3, 10, -7, kExact},
        {__LINE__, '*', BIG, 0, BIG, kExact},
        {__LINE__, '*', 1e30, 1e30, BIG, kExact},    // above BIG: clamped
        {__LINE__, '*', -1e30, 1e30, BIG, kExact},   // clamped whatever the sign
        {__LINE__, '*', 1e-30, 1e-30, 1e-60, 1e-15}, // no TINY rule for products
        {__LINE__, '/', 0, 0, UNDEFINED, kExact},
        {__LINE__, '/', 5, 0, BIG, kExact},
        {__LINE__, '/', -5, 0, BIG, kExact},
        {__LINE__, '/', 0, 5, 0, kExact},
        {__LINE__, '/', UNDEFINED, 0, UNDEFINED, kExact},
        {__LINE__, '/', 3, BIG, 0, kExact},
        {__LINE__, '/', BIG, BIG, BIG, kExact},
        {__LINE__, '/', 1, 1e-50, BIG, kExact},
        {__LINE__, '/', 1, 1e-49, 1e49, 1e-15},
        {__LINE__, '/', 7, 2, 3.5, kExact},
        {__LINE__, 'A', 1, -1, 3 * std::numbers::pi / 4, 1e-15}, // y first, x second
        {__LINE__, 'A', -1, -1, -3 * std::numbers::pi / 4, 1e-15},
        {__LINE__, '<', 1, 3, 2, kExact},
        {__LINE__, '>', 1, 3, -2, kExact},
        {__LINE__, '<', -1e60, 1e60, BIG, kExact},
        {__LINE__, '=', 2, 2, 0, kExact},
        {__LINE__, '=', 2, 2.000001, 1, kExact},
        {__LINE__, op::Gammp, 1, 1, 1 - std::exp(-1.0), 3e-7},
        {__LINE__, op::Derivative, 2, 3, 0, kExact},
        {__LINE__, op::Delay, 2, 3, 0, kExact},
        {__LINE__, op::Integral, 2, 3, 0, kExact},
        {__LINE__, 'l', 2, 3, 0, kExact},
        {__LINE__, 'g', 2, 3, 0, kExact},
        {__LINE__, 'H', 2, 3, 0, kExact},
    };
    for (const BinaryCase& c : cases) {
        TranscriptHost host;
        Reporter reporter;
        EvalError error;
        checkValue(realBinary(c.code, c.a, c.b, reporter, error), c.expected, c.tolerance, c.line);
        EXPECT_FALSE(error.mark()) << "case at line " << c.line;
    }
}

TEST(RealArithmetic, PowerRule)
{
    const BinaryCase cases[] = {
        {__LINE__, '^', 0, 2, 0, kExact},
        {__LINE__, '^', 0, 0, 0, kExact}, // zero base first: 0^0 is 0
        {__LINE__, '^', 0, -1, BIG, kExact},
        {__LINE__, '^', UNDEFINED, 3, std::pow(UNDEFINED, 3.0), 1e-13}, // UNDEFINED is above TINY
        {__LINE__, '^', 1e-51, -0.5, BIG, kExact},
        {__LINE__, '^', 5, 0, 1, kExact},
        {__LINE__, '^', -5, 1e-51, 1, kExact},
        {__LINE__, '^', 7, UNDEFINED, 1, kExact},
        {__LINE__, '^', 4, -1, 0.25, kExact},
        {__LINE__, '^', -3, 1, -3, kExact},
        {__LINE__, '^', -2, 2, 4, kExact},        // a * a, exact
        {__LINE__, '^', -2, 2 + 5e-9, 4, kExact}, // within 1e-8 of 2
        {__LINE__, '^', -2, 3, -8, 1e-14},        // -exp(3 ln 2)
        {__LINE__, '^', -2, 2.9999999999, -8, 1e-14},
        {__LINE__, '^', -2, 4, 16, 1e-14}, // exp(4 ln 2)
        {__LINE__, '^', -2, -3, -0.125, 1e-14},
        {__LINE__, '^', -2, -2, 0.25, 1e-14},
        {__LINE__, '^', 3, -2.5, std::pow(3.0, -2.5), 1e-14},
        {__LINE__, '^', 2, 0.5, std::numbers::sqrt2, 1e-15},
        {__LINE__, '^', 0.5, 100.25, std::pow(0.5, 100.25), 1e-13},
        {__LINE__, '^', BIG, 2, BIG, kExact},   // a * a, clamped
        {__LINE__, '^', -1, 32767, -1, kExact}, // the largest whole exponent
        {__LINE__, '^', 1.0001, -32767, std::pow(1.0001, -32767.0), 1e-11},
        {__LINE__, '^', -2, -1, -0.5, kExact},
        {__LINE__, '^', 1e-60, -1, BIG, kExact}, // -1: the division rules (a is tiny: first rule)
    };
    for (const BinaryCase& c : cases) {
        TranscriptHost host;
        Reporter reporter;
        EvalError error;
        checkValue(realBinary(c.code, c.a, c.b, reporter, error), c.expected, c.tolerance, c.line);
        EXPECT_FALSE(error.mark()) << "case at line " << c.line;
        EXPECT_EQ(host.log, "") << "case at line " << c.line;
    }
}

TEST(RealArithmetic, FractionalPowersOfNegativeBasesAreErrors)
{
    const BinaryCase cases[] = {
        {__LINE__, '^', -8, 1.0 / 3.0, UNDEFINED, kExact},
        {__LINE__, '^', -2, 2 + 2e-8, UNDEFINED, kExact},
        {__LINE__, '^', -1, 32768, UNDEFINED, kExact}, // beyond the whole exponents
        {__LINE__, '^', -1e-49, 0.5, UNDEFINED, kExact},
    };
    for (const BinaryCase& c : cases) {
        TranscriptHost host;
        Reporter reporter;
        EvalError error;
        checkValue(realBinary(c.code, c.a, c.b, reporter, error), c.expected, c.tolerance, c.line);
        EXPECT_TRUE(error.mark()) << "case at line " << c.line;
        EXPECT_EQ(error.message(), "Fractional Power of Negative Number")
            << "case at line " << c.line;
    }
}

TEST(RealArithmetic, PowerOverflowGoesThroughTheGuardedExponential)
{
    struct Case {
        double a;
        double b;
        double expected;
    };
    // An odd power of a negative base keeps its sign: -BIG does not exceed BIG.
    const Case cases[] = {{10, 60, BIG},    {-10, 61, -BIG},  {-10, 62, BIG},
                          {2, 1000.5, BIG}, {1e-10, -6, BIG}, {2, 32768, BIG}};
    for (const Case& c : cases) {
        TranscriptHost host;
        Reporter reporter;
        EvalError error;
        EXPECT_EQ(realBinary('^', c.a, c.b, reporter, error), c.expected) << c.a << "^" << c.b;
        EXPECT_EQ(host.pieces, (std::vector<std::string>{"\n", "Overflow in EXP"}));
        EXPECT_EQ(host.beeps, 1);
        EXPECT_FALSE(error.mark());
        EXPECT_FALSE(reporter.runError);
    }
}

struct UnaryCase {
    int line;
    std::uint8_t code;
    double x;
    double expected;
    double tolerance; // absolute
    std::string_view error = {};
};

TEST(RealArithmetic, UnaryOperations)
{
    const double pi = std::numbers::pi;
    const UnaryCase cases[] = {
        {__LINE__, '-', 2.5, -2.5, 0},
        {__LINE__, 'r', -3, -3, 0},
        {__LINE__, 'j', -3, -3, 0},
        {__LINE__, 'i', -3, 0, 0},
        {__LINE__, '2', -3, 9, 0},
        {__LINE__, '2', 1e30, BIG, 0},
        {__LINE__, '2', UNDEFINED, UNDEFINED, 0},
        {__LINE__, 'B', -3, 3, 0},
        {__LINE__, 'm', -3, 3, 0},
        {__LINE__, 'a', -3, pi, 0},
        {__LINE__, 'a', 3, 0, 0},
        {__LINE__, 'S', 0.7, std::sin(0.7), 0},
        {__LINE__, 'C', 0.7, std::cos(0.7), 0},
        {__LINE__, 'T', 0.7, std::tan(0.7), 1e-15},
        {__LINE__, 's', 0.5, pi / 6, 1e-15},
        {__LINE__, 's', -0.5, -pi / 6, 1e-15},
        {__LINE__, 's', 1, pi / 2, 1e-15},
        {__LINE__, 's', -1, -pi / 2, 1e-15},
        {__LINE__, 's', 2, pi / 2, 1e-15, "Square Root of Negative Number"},
        {__LINE__, 's', -2, -pi / 2, 1e-15, "Square Root of Negative Number"},
        {__LINE__, 'c', 0.5, pi / 3, 1e-11}, // PI written with twelve digits
        {__LINE__, 'c', -1, pi, 1e-11},
        {__LINE__, 't', 1, pi / 4, 1e-15},
        {__LINE__, 'E', 1, std::numbers::e, 1e-15},
        {__LINE__, 'E', -800, 0, 0},
        {__LINE__, 'L', std::numbers::e, 1, 1e-15},
        {__LINE__, 'L', 0, BIG, 0, "Log of Zero or Negative Number"},
        {__LINE__, 'L', -1, BIG, 0, "Log of Zero or Negative Number"},
        {__LINE__, 'I', 4, 0.25, 0},
        {__LINE__, 'I', 0, BIG, 0, "Inverse of Zero"},
        {__LINE__, 'I', -1e-50, BIG, 0, "Inverse of Zero"},
        {__LINE__, 'I', 1e-49, 1e49, 1e34},
        {__LINE__, 'Q', 6.25, 2.5, 0},
        {__LINE__, 'Q', -4, 0, 0, "Square Root of Negative Number"},
        {__LINE__, 'U', 0, 1, 0},
        {__LINE__, 'U', -1e-300, 0, 0},
        {__LINE__, 'P', 0.5, std::erf(0.5), 1e-6},
        {__LINE__, 'P', -2, std::erf(-2.0), 1e-6},
        {__LINE__, 'J', 2.5, std::cyl_bessel_j(0.0, 2.5), 1e-7},
        {__LINE__, '1', 2.5, std::cyl_bessel_j(1.0, 2.5), 1e-7},
        {__LINE__, 'Y', 2.5, std::cyl_neumann(0.0, 2.5), 1e-7},
        {__LINE__, 'y', 2.5, std::cyl_neumann(1.0, 2.5), 1e-7},
        {__LINE__, 'G', 4.5, std::lgamma(4.5), 1e-9},
        {__LINE__, 'Z', 4.5, 0, 0}, // a code without a rule
    };
    for (const UnaryCase& c : cases) {
        TranscriptHost host;
        Reporter reporter;
        EvalError error;
        const double got = realUnary(c.code, c.x, reporter, error);
        if (c.tolerance == 0)
            EXPECT_EQ(got, c.expected) << "case at line " << c.line;
        else
            EXPECT_NEAR(got, c.expected, c.tolerance) << "case at line " << c.line;
        EXPECT_EQ(error.mark(), !c.error.empty()) << "case at line " << c.line;
        EXPECT_EQ(error.message(), c.error) << "case at line " << c.line;
        EXPECT_EQ(host.log, "") << "case at line " << c.line; // errors are recorded, not sent
    }
}

TEST(RealArithmetic, ExponentialOverflowIsReportedOnce)
{
    TranscriptHost host;
    Reporter reporter;
    EvalError error;
    EXPECT_EQ(realUnary('E', 51, reporter, error), BIG);
    EXPECT_EQ(realUnary('E', 700, reporter, error), BIG);
    EXPECT_EQ(host.pieces, (std::vector<std::string>{"\n", "Overflow in EXP"}));
    EXPECT_FALSE(error.mark());
}

TEST(RealArithmetic, FirstErrorWins)
{
    TranscriptHost host;
    Reporter reporter;
    EvalError error;
    realUnary('I', 0, reporter, error);
    realUnary('L', 0, reporter, error);
    realBinary('^', -8, 0.5, reporter, error);
    EXPECT_TRUE(error.mark());
    EXPECT_EQ(error.message(), "Inverse of Zero");

    error.clear();
    EXPECT_FALSE(error.mark());
    EXPECT_EQ(error.message(), "");

    // A mark without a message (a stack fault, reported at once) leaves room for the
    // first mathematical message.
    error.setMark();
    realUnary('Q', -1, reporter, error);
    EXPECT_EQ(error.message(), "Square Root of Negative Number");

    error.clear();
    error.record(std::string(300, 'x'));
    EXPECT_EQ(error.message().size(), 255u);
}

} // namespace
