// Tests of symbolic differentiation: the exact trees that the rules emit, the refusals
// with their messages, the nesting bound, and the values of derivatives against
// Richardson-extrapolated central differences of the evaluated expressions.
#include "Differentiator.h"

#include "Code.h"
#include "Evaluator.h"
#include "ExpressionBuilders.h"
#include "Reporter.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace varnel {
namespace {

using namespace test;

class DifferentiatorTest : public ::testing::Test {
protected:
    /// The unfolded derivative step on the whole expression, in prefix order.
    Chain derivativeStep(const Expr& e, std::uint32_t variable)
    {
        const Chain prefix = toPrefix(stored(e));
        Chain out;
        const std::size_t end = differentiator.step(prefix, 0, variable, out);
        EXPECT_EQ(end, prefix.size());
        return out;
    }

    /// Captures what the library tells the user.
    TranscriptHost host;
    Reporter reporter;
    Differentiator differentiator{reporter};
};

// ---- The trees the rules emit --------------------------------------------------------------

struct TreeCase {
    const char* name;
    Expr input;
    std::uint32_t variable;
    Expr expected;
};

TEST_F(DifferentiatorTest, RulesEmitTheFullTextbookTree)
{
    const Expr x = var(1), y = var(2), zero = num(0), one = num(1), two = num(2);
    const Expr half = num(0.5), three = num(3);
    const Expr j = num(1.0, form::Imaginary);
    const auto U = [](const Expr& a) { return un('U', a); };
    const auto SQUARE = [](const Expr& a) { return un('2', a); };
    const auto LN = [](const Expr& a) { return un('L', a); };
    const auto INV = [](const Expr& a) { return un('I', a); };
    const auto SQRT = [](const Expr& a) { return un('Q', a); };
    const auto EXP = [](const Expr& a) { return un('E', a); };
    const auto COS = [](const Expr& a) { return un('C', a); };
    const auto SIN = [](const Expr& a) { return un('S', a); };
    const auto G = [](const Expr& a) { return un('G', a); };
    const auto P = [](const Expr& a, const Expr& b) { return bin(op::Gammp, a, b); };
    const Expr h = num(Differentiator::kGammlnStep), h2 = num(2 * Differentiator::kGammlnStep);
    const Expr k = num(Differentiator::kGammpShapeStep);
    const Expr k2 = num(2 * Differentiator::kGammpShapeStep);
    const Expr cond = -(x - one); // x < 1 inside an expression

    const std::vector<TreeCase> cases = {
        {"constant", num(7), 1, zero},
        {"other variable", y, 1, zero},
        {"variable sought", x, 1, one},
        {"imaginary part keeps its marker", var(1, form::Imaginary), 1, j},
        {"x - y", x - y, 1, one + -zero},
        {"y - x", y - x, 1, zero + -one},
        {"x * y", x * y, 1, one * y + x * zero},
        {"x / y", x / y, 1, (one * y - x * zero) / SQUARE(y)},
        {"x ^ 3 keeps both terms", x ^ three, 1,
         (x ^ three) * LN(x) * zero + (x ^ (three - one)) * three * one},
        {"ATAN2", bin('A', x, y), 2, (y * zero - x * one) / (SQUARE(x) + SQUARE(y))},
        {"GAMMP", P(x, y), 2,
         one * (y ^ (x - one)) * EXP(-(y + G(x))) + (P(x + k, y) - P(x - k, y)) / k2 * zero},
        {"U is 0 whatever its argument", un('U', un('m', x) - one), 1, zero},
        {"ABS is the sign times w'", un('B', x), 1, (U(x) - U(-x)) * one},
        {"GAMMLN is a central difference", G(x), 1, (G(x + h) - G(x - h)) / h2 * one},
        {"SQRT", SQRT(x), 1, half * INV(SQRT(x)) * one},
        {"SQUARE", SQUARE(y), 2, two * y * one},
        {"INV", INV(x), 1, -(INV(SQUARE(x)) * one)},
        {"ERF with the marked pi", un('P', x), 1,
         two / SQRT(num(kPi, form::Pi)) * EXP(-SQUARE(x)) * one},
        {"chain rule copies the argument", SIN(x * y), 1, COS(x * y) * (one * y + x * zero)},
        {"linear functions", un('r', x) + un('i', x) + un('j', -x), 1,
         un('r', one) + un('i', one) + un('j', -one)},
        {"IF keeps its condition", ifThenElse(cond, x * x, two), 1,
         ifThenElse(cond, one * x + x * one, zero)},
        {"a relation condition is copied", ifThenElse(bin('<', x, one), x, y), 1,
         ifThenElse(bin('<', x, one), one, zero)},
        {"relations as values", bin('<', x, y) + bin('>', x, y), 1,
         bin('<', one, zero) + bin('>', one, zero)},
        {"EQUAL is constant", bin('=', x, y), 1, zero},
        {"copies keep number forms", x * j + x * num(2, form::Phasor), 1,
         one * j + x * zero + (one * num(2, form::Phasor) + x * zero)},
    };
    for (const TreeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(derivativeStep(c.input, c.variable), toPrefix(stored(c.expected)));
    }
    EXPECT_TRUE(host.pieces.empty());
    EXPECT_FALSE(differentiator.failed());
    EXPECT_FALSE(reporter.runError);
}

TEST_F(DifferentiatorTest, VoidTokensAreSkippedAndNotCopied)
{
    // SIN(x * y) with void tokens where operands begin and inside them.
    Chain prefix = toPrefix(stored(un('S', var(1) * var(2))));
    const Token v = makeToken(kind::Void, ' ', 0, 0.0);
    prefix.insert(prefix.begin() + 2, v); // before y
    prefix.insert(prefix.begin() + 1, v); // before the product
    prefix.insert(prefix.begin(), v);     // before the SIN
    Chain out;
    EXPECT_EQ(differentiator.step(prefix, 0, 1, out), prefix.size());
    const Expr x = var(1), y = var(2);
    EXPECT_EQ(out, toPrefix(stored(un('C', x * y) * (num(1) * y + x * num(0)))));
}

TEST_F(DifferentiatorTest, StepAppendsAndReturnsTheEndOfItsSubexpression)
{
    // x * y - SIN(x): differentiate the second operand of the difference alone.
    const Chain prefix = toPrefix(stored(var(1) * var(2) - un('S', var(1))));
    Chain out{makeOne()};
    EXPECT_EQ(differentiator.step(prefix, 1, 1, out), 3u);
    Chain expected{makeOne()};
    const Chain rest = toPrefix(stored(un('C', var(1)) * num(1)));
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(out, expected);
}

// ---- Refusals ----------------------------------------------------------------------------

struct RefusalCase {
    const char* name;
    Expr input;
    std::vector<std::string> pieces;
};

std::vector<std::string> notImplemented(const std::string& what, const std::string& name)
{
    return {"\n", "Deriv of ", what, name, " Not Implemented", "\n", "Use Incremental Method",
            "\n", "Error ..."};
}

TEST_F(DifferentiatorTest, FunctionsWithoutARuleAreRefusedByName)
{
    const Expr x = var(1), one = num(1);
    const std::vector<RefusalCase> cases = {
        {"MAG", un('m', x), notImplemented(" Unary Function ", "MAG")},
        {"ANGLE", un('a', x), notImplemented(" Unary Function ", "ANGLE")},
        {"IF as a function", un('F', x), notImplemented(" Unary Function ", "IF")},
        {"unknown function", un('Z', x), notImplemented(" Unary Function ", "?")},
        {"DELAY", bin(op::Delay, x, one), notImplemented(" Binary Function ", "DELAY")},
        {"D", bin(op::Derivative, x, one), notImplemented(" Binary Function ", "D")},
        {"INT", bin(op::Integral, x, one), notImplemented(" Binary Function ", "INT")},
        {"LIM", bin('l', x, one), notImplemented(" Binary Function ", "LIM")},
        {"ARG", bin('g', x, one), notImplemented(" Binary Function ", "ARG")},
        {"polar product", bin('@', x, one), notImplemented(" Binary Function ", "?")},
        {"illegal kind",
         Expr{{makeToken('Q', 'z', 0, 0.0)}},
         {"\n", "Illegal Code \"", "Q", "z", "\" in Function during Derivative", "\n", "\n",
          "Error ..."}},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        host.clear();
        reporter.resetRun();
        Chain derivative;
        // Inside a sum, so that the rest of the derivative is still built around the 0.0.
        EXPECT_FALSE(differentiator.differentiate(stored(c.input + x), 1, derivative));
        EXPECT_EQ(host.pieces, c.pieces);
        EXPECT_EQ(host.beeps, 1);
        EXPECT_TRUE(reporter.runError);
        EXPECT_TRUE(differentiator.failed());
        EXPECT_EQ(derivative, stored(num(0) + num(1)));
    }
}

TEST_F(DifferentiatorTest, FunctionsUnderUAreNotVisited)
{
    Chain derivative;
    EXPECT_TRUE(differentiator.differentiate(stored(un('U', un('m', var(1)))), 1, derivative));
    EXPECT_TRUE(host.pieces.empty());
}

TEST_F(DifferentiatorTest, AChainEndingTooEarlyIsAnIllegalCode)
{
    // A product that owes its first operand.
    const Chain prefix = {makeBinaryToken('*'), makeVariable(1)};
    Chain out;
    EXPECT_EQ(differentiator.step(prefix, 0, 1, out), 2u);
    EXPECT_TRUE(differentiator.failed());
    const std::vector<std::string> expected = {
        "\n", "Illegal Code \"", ";", " ", "\" in Function during Derivative", "\n",
        "\n", "Error ..."};
    EXPECT_EQ(host.pieces, expected);
    // The output is still one complete expression.
    EXPECT_EQ(operandEnd(out, 0), out.size());
}

// ---- Nesting bound -----------------------------------------------------------------------

/// `levels` nested sums and negations over x: -(-(x + x) + x) ... Their rules copy no
/// operand, so the derivative stays as small as the input.
Expr nested(int levels)
{
    Expr e = var(1);
    for (int i = 0; i < levels; ++i) {
        if (i % 2 == 0) {
            e.code.push_back(makeVariable(1));
            e.code.push_back(makeBinaryToken('+'));
        } else {
            e.code.push_back(makeUnaryToken('-'));
        }
    }
    return e;
}

TEST_F(DifferentiatorTest, NestingUpToTheBoundIsDifferentiated)
{
    // kMaxDepth levels of tokens: the operations and the variable at the bottom.
    Chain derivative;
    EXPECT_TRUE(
        differentiator.differentiate(stored(nested(Differentiator::kMaxDepth - 1)), 1, derivative));
    EXPECT_TRUE(host.pieces.empty());
}

TEST_F(DifferentiatorTest, DeeperNestingIsRefusedOnce)
{
    const std::vector<std::string> expected = {"\n", "Expression Nested Too Deeply for Derivative",
                                               "\n", "Use Incremental Method",
                                               "\n", "Error ..."};
    for (int levels : {Differentiator::kMaxDepth, 100000}) {
        SCOPED_TRACE(levels);
        host.pieces.clear();
        reporter.resetRun();
        const Expr deep = nested(levels);
        Chain derivative;
        EXPECT_FALSE(differentiator.differentiate(stored(deep * deep), 1, derivative));
        EXPECT_EQ(host.pieces, expected);
        EXPECT_TRUE(reporter.runError);
    }
}

// ---- The folded derivative in stored form ----------------------------------------------------

TEST_F(DifferentiatorTest, TheDriverFoldsTheDerivative)
{
    const Expr x = var(1), y = var(2);
    Chain derivative;
    ASSERT_TRUE(differentiator.differentiate(stored(x * y), 1, derivative));
    EXPECT_EQ(derivative, stored(y));
    ASSERT_TRUE(differentiator.differentiate(stored(x ^ num(3)), 1, derivative));
    EXPECT_EQ(derivative, stored((x ^ num(2)) * num(3)));
    ASSERT_TRUE(differentiator.differentiate(stored(x + y), 3, derivative));
    EXPECT_EQ(derivative, stored(num(0)));
    EXPECT_FALSE(differentiator.foldError().mark());
}

// ---- Values against central differences ------------------------------------------------------

/// Value of a stored chain at (x, y) = variables 1 and 2.
double valueAt(const Chain& code, double x, double y)
{
    Reporter r;
    Evaluator e(r);
    const double values[] = {0.0, x, y};
    const double v = e.evaluateReal(code, values);
    EXPECT_FALSE(e.error().mark()) << e.error().message();
    return v;
}

/// d/dt f(t) by central differences with steps h, h/2, h/4, Richardson-extrapolated twice
/// (error of order h^6).
double richardson(const std::function<double(double)>& f, double t, double h)
{
    auto central = [&](double s) { return (f(t + s) - f(t - s)) / (2 * s); };
    const double d1 = central(h), d2 = central(h / 2), d3 = central(h / 4);
    const double r1 = (4 * d2 - d1) / 3, r2 = (4 * d3 - d2) / 3;
    return (16 * r2 - r1) / 15;
}

/// Numerical partial derivative of a stored chain with respect to variable 1 or 2.
double numericalPartial(const Chain& code, std::uint32_t variable, double x, double y,
                        double h = 1e-2)
{
    if (variable == 1)
        return richardson([&](double t) { return valueAt(code, t, y); }, x, h);
    return richardson([&](double t) { return valueAt(code, x, t); }, y, h);
}

struct ValueCase {
    const char* name;
    Expr input;
    std::vector<std::pair<double, double>> points; // (x, y) inside the domain
    double tolerance = 1e-9;                       // relative to max(1, |reference|)
};

std::string scientific(double v)
{
    std::ostringstream text;
    text << std::scientific << v;
    return text.str();
}

double scaledError(double value, double reference)
{
    return std::fabs(value - reference) / std::max(1.0, std::fabs(reference));
}

TEST_F(DifferentiatorTest, EveryRuleAgreesWithCentralDifferences)
{
    const Expr x = var(1), y = var(2);
    const auto f = [](std::uint8_t code, const Expr& a) { return un(code, a); };
    // Points keep clear of the switch points of the special functions' approximations
    // (Bessel |x| = 8), whose pieces do not join smoothly.
    const std::vector<std::pair<double, double>> plane = {
        {0.3, 0.7}, {-0.8, 1.9}, {1.7, -0.4}, {-2.6, -1.3}};
    const std::vector<std::pair<double, double>> positive = {
        {0.3, 0.7}, {1.3, 2.9}, {4.2, 0.45}, {6.5, 7.5}};
    const std::vector<std::pair<double, double>> unit = {
        {0.3, 0.7}, {-0.8, 0.45}, {0.6, -0.9}, {-0.2, -0.35}};
    const std::vector<ValueCase> cases = {
        {"sum", x + y * y, plane},
        {"difference", x * y - y, plane},
        {"product", x * y * x, plane},
        {"quotient", x / (y * y + num(1)), plane},
        {"power", x ^ y, positive},
        {"constant power of a negative base", y ^ num(3), plane},
        {"ATAN2", bin('A', x, y), plane},
        {"negation", -(x * y), plane},
        {"REAL and CONJG", f('r', x * y) + f('j', y), plane},
        {"SIN", f('S', x * y), plane},
        {"COS", f('C', x * y), plane},
        {"TAN", f('T', x * y), unit},
        {"ARCSIN", f('s', x * y), unit},
        {"ARCCOS", f('c', x * y), unit},
        {"ARCTAN", f('t', x * y), plane},
        {"EXP", f('E', x * y), plane},
        {"LN", f('L', x * y), positive},
        {"INV", f('I', x + y), positive},
        {"SQUARE", f('2', x - y), plane},
        {"SQRT", f('Q', x * y), positive},
        {"ABS of both signs", f('B', x * y), plane},
        {"U", f('U', x - y) * x, plane},
        // The rational forms of the Bessel functions meet the identities J0' = -J1 and
        // J1' = J0 - J1/x to about 4e-8.
        {"BESSJ0", f('J', x * y), positive, 1e-7},
        {"BESSJ1", f('1', x * y), positive, 1e-7},
        {"BESSY0", f('Y', x * y), positive, 1e-7},
        {"BESSY1", f('y', x * y), positive, 1e-7},
        // A central difference stands for the derivative (see the test of the step).
        {"GAMMLN", f('G', x * y), positive, 1e-6},
        {"IF", ifThenElse(-(x - y), x * x, y * x), plane},
        {"relations as values", bin('<', x * y, y) - bin('>', x, y * y), plane},
        {"EQUAL", bin('=', x, y) * y, plane},
    };
    for (const ValueCase& c : cases) {
        for (std::uint32_t variable : {1u, 2u}) {
            for (const auto& [px, py] : c.points) {
                SCOPED_TRACE(::testing::Message() << c.name << " d/dx" << variable << " at (" << px
                                                  << ", " << py << ")");
                Chain derivative;
                ASSERT_TRUE(differentiator.differentiate(stored(c.input), variable, derivative));
                const double value = valueAt(derivative, px, py);
                const double reference = numericalPartial(stored(c.input), variable, px, py);
                EXPECT_LT(scaledError(value, reference), c.tolerance)
                    << value << " vs " << reference;
            }
        }
    }
    EXPECT_TRUE(host.pieces.empty());
}

TEST_F(DifferentiatorTest, ErfAndTheUpperLimitOfGammpHaveTheirExactDerivatives)
{
    // ERF and GAMMP are approximations good to 3e-7, too rough to difference; their
    // derivatives are compared with the closed forms instead.
    const Expr x = var(1), y = var(2);
    Chain derivative;
    ASSERT_TRUE(differentiator.differentiate(stored(un('P', x * y)), 1, derivative));
    for (const auto& [px, py] : {std::pair{0.3, 0.7}, {-1.1, 1.4}, {2.5, 0.9}}) {
        const double w = px * py;
        const double exact = 2 / std::sqrt(std::numbers::pi) * std::exp(-w * w) * py;
        EXPECT_LT(scaledError(valueAt(derivative, px, py), exact), 1e-11) << px << ", " << py;
    }
    ASSERT_TRUE(differentiator.differentiate(stored(bin(op::Gammp, x, y)), 2, derivative));
    for (const auto& [a, t] : {std::pair{0.5, 0.3}, {1.0, 1.0}, {2.5, 4.0}, {7.0, 3.0}}) {
        const double exact = std::exp((a - 1) * std::log(t) - t - std::lgamma(a));
        EXPECT_LT(scaledError(valueAt(derivative, a, t), exact), 1e-9) << a << ", " << t;
    }
}

/// digamma(x) for x > 0: the recurrence up to 20, then the asymptotic series.
double digamma(double x)
{
    double shift = 0;
    for (; x < 20; x += 1)
        shift -= 1 / x;
    const double f = 1 / (x * x);
    return shift + std::log(x) - 0.5 / x -
           f * (1.0 / 12 - f * (1.0 / 120 - f * (1.0 / 252 - f * (1.0 / 240 - f / 132))));
}

/// P(a, x) to full double accuracy: the series below a + 1, the continued fraction
/// (modified Lentz) above.
double incompleteGamma(double a, double x)
{
    const double prefactor = std::exp(-x + a * std::log(x) - std::lgamma(a));
    if (x < a + 1) {
        double term = 1 / a, sum = term;
        for (double ap = a + 1; std::fabs(term) > 1e-17 * std::fabs(sum); ap += 1) {
            term *= x / ap;
            sum += term;
        }
        return sum * prefactor;
    }
    const double tiny = 1e-300;
    double b = x + 1 - a, c = 1 / tiny, d = 1 / b, h = d;
    for (int i = 1; i < 10000; ++i) {
        const double an = -i * (i - a);
        b += 2;
        d = an * d + b;
        d = std::fabs(d) < tiny ? tiny : d;
        c = b + an / c;
        c = std::fabs(c) < tiny ? tiny : c;
        d = 1 / d;
        const double delta = d * c;
        h *= delta;
        if (std::fabs(delta - 1) < 1e-16)
            break;
    }
    return 1 - prefactor * h;
}

TEST_F(DifferentiatorTest, GammlnDerivativeMatchesDigamma)
{
    Chain derivative;
    ASSERT_TRUE(differentiator.differentiate(stored(un('G', var(1))), 1, derivative));
    double worst = 0;
    for (double t :
         {0.01, 0.05, 0.2, 0.5, 1.0, 1.4616, 2.0, 3.7, 10.0, 55.0, 300.0, 1e3, 1e4, 1e5}) {
        const double error = scaledError(valueAt(derivative, t, 0), digamma(t));
        worst = std::max(worst, error);
        EXPECT_LT(error, 1e-6) << "at " << t;
    }
    RecordProperty("worstGammlnError", scientific(worst));
}

TEST_F(DifferentiatorTest, GammpDerivativeInTheShapeMatchesAnAccurateReference)
{
    Chain derivative;
    ASSERT_TRUE(
        differentiator.differentiate(stored(bin(op::Gammp, var(1), var(2))), 1, derivative));
    for (double a : {0.3, 0.5, 1.0, 1.7, 2.5, 4.0, 7.0, 12.0, 25.0}) {
        for (double t : {0.2, 0.8, 1.5, 3.0, 6.0, 10.0, 20.0}) {
            const double reference =
                richardson([t](double s) { return incompleteGamma(s, t); }, a, 1e-2 * a);
            // GAMMP itself is good to 3e-7; its difference quotient to about 2e-6.
            EXPECT_NEAR(valueAt(derivative, a, t), reference, 5e-6) << a << ", " << t;
        }
    }
}

TEST_F(DifferentiatorTest, ComplexFormsSurviveTheCopiesOfOperands)
{
    // z = zr + j*zi as complex mode compiles it; d/dzr z*z = 2z and d/dzi z*z = 2jz.
    const Expr z = var(1) + var(2, form::Imaginary);
    Reporter r;
    Evaluator e(r);
    e.complexMode = true;
    differentiator.complexMode = true;
    const double values[] = {0.0, 0.6, -1.7};
    const std::complex<double> zv(0.6, -1.7), j(0, 1);
    Chain derivative;
    ASSERT_TRUE(differentiator.differentiate(stored(z * z), 1, derivative));
    const std::complex<double> dr = e.evaluate(derivative, values);
    EXPECT_LT(std::abs(dr - 2.0 * zv), 1e-12) << dr;
    ASSERT_TRUE(differentiator.differentiate(stored(z * z), 2, derivative));
    const std::complex<double> di = e.evaluate(derivative, values);
    EXPECT_LT(std::abs(di - 2.0 * j * zv), 1e-12) << di;
}

// ---- Random nested expressions ------------------------------------------------------------------

/// Random expressions in x and y built from every rule that is smooth on the whole plane,
/// each function behind a guard that keeps its argument inside its domain.
class RandomExpressions {
public:
    explicit RandomExpressions(unsigned seed) : m_random(seed) {}

    Expr make(int depth)
    {
        if (depth == 0 || pick(4) == 0) {
            switch (pick(4)) {
            case 0:
                return var(1);
            case 1:
                return var(2);
            case 2:
                return num(0.7);
            default:
                return var(1) * num(-1.3) + var(2);
            }
        }
        const Expr a = make(depth - 1);
        const auto f = [](std::uint8_t code, const Expr& e) { return un(code, e); };
        const auto sin = [&](const Expr& e) { return f('S', e); };
        const auto plusOne = [&](const Expr& e) { return f('2', e) + num(1); };
        switch (pick(22)) {
        case 0:
            return sin(a);
        case 1:
            return f('C', a);
        case 2:
            return f('t', a);
        case 3:
            return f('T', sin(a));
        case 4:
            return f('s', sin(a) * num(0.9));
        case 5:
            return f('c', f('C', a) * num(0.9));
        case 6:
            return f('E', sin(a));
        case 7:
            return f('L', plusOne(a));
        case 8:
            return f('I', plusOne(a));
        case 9:
            return f('2', f('t', a));
        case 10:
            return f('Q', plusOne(a));
        case 11:
            return f('B', sin(a) - num(1.5)) - f('B', sin(a) + num(1.5));
        case 12:
            return -a;
        case 13:
            return f('J', sin(a) * num(3)) + f('1', sin(a) * num(3));
        case 14:
            return f('Y', sin(a) + num(2)) - f('y', sin(a) + num(2));
        default:
            break;
        }
        const Expr b = make(depth - 1);
        switch (pick(9)) {
        case 0:
            return a + b;
        case 1:
            return a - b;
        case 2:
            return a * b;
        case 3:
            return a / plusOne(b);
        case 4:
            return plusOne(a) ^ sin(b);
        case 5:
            return bin('A', a, plusOne(b));
        case 6:
            return bin('<', a, b);
        case 7:
            return bin('>', a, b);
        default:
            return ifThenElse(plusOne(a), a, b);
        }
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    std::mt19937 m_random;
};

TEST_F(DifferentiatorTest, RandomNestedExpressionsAgreeWithCentralDifferences)
{
    RandomExpressions generator(20261207);
    const std::pair<double, double> points[] = {{0.35, -0.6}, {-1.2, 0.9}, {1.05, 1.4}};
    double worst = 0;
    for (int n = 0; n < 150; ++n) {
        const Expr e = generator.make(4);
        const Chain code = stored(e);
        for (std::uint32_t variable : {1u, 2u}) {
            Chain folded;
            ASSERT_TRUE(differentiator.differentiate(code, variable, folded));
            const Chain prefix = toPrefix(code);
            Chain unfolded;
            differentiator.step(prefix, 0, variable, unfolded);
            const Chain plain = toPostfix(unfolded);
            for (const auto& [px, py] : points) {
                SCOPED_TRACE(::testing::Message() << "expression " << n << " d/dx" << variable
                                                  << " at (" << px << ", " << py << ")");
                const double reference = numericalPartial(code, variable, px, py, 5e-3);
                const double value = valueAt(folded, px, py);
                const double error = scaledError(value, reference);
                worst = std::max(worst, error);
                // The Bessel functions' rational forms limit the agreement (see above).
                EXPECT_LT(error, 1e-7) << value << " vs " << reference;
                EXPECT_LT(scaledError(valueAt(plain, px, py), value), 1e-12);
            }
        }
    }
    RecordProperty("worstRandomError", scientific(worst));
    EXPECT_TRUE(host.pieces.empty());
}

TEST_F(DifferentiatorTest, AnOversizedDerivativeIsRefusedNotBuilt)
{
    // A balanced product of 2^17 copies of x: shallow, but its derivative has about
    // n log n tokens, beyond the bound.
    Chain product = {makeVariable(1)};
    for (int level = 0; level < 17; ++level) {
        Chain twice = product;
        twice.insert(twice.end(), product.begin(), product.end());
        twice.push_back(makeBinaryToken('*'));
        product = std::move(twice);
    }
    product.push_back(makeToken(kind::End, ' ', 0, 0.0));
    Chain derivative;
    EXPECT_FALSE(differentiator.differentiate(product, 1, derivative));
    EXPECT_TRUE(reporter.runError);
    EXPECT_NE(std::find(host.pieces.begin(), host.pieces.end(), "Derivative Too Large"),
              host.pieces.end());
    EXPECT_LT(derivative.size(), 16u);
}

} // namespace
} // namespace varnel
