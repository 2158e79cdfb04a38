// The evaluator: number forms, IF and the relations, the end-of-chain rules, stack limits,
// first-error-wins, and complex mode checked against std::complex on a grid.
#include "Evaluator.h"

#include "Code.h"
#include "ExpressionBuilders.h"
#include "GuardedMath.h"
#include "Reporter.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

using namespace varnel;
using namespace varnel::test;
using Complex = std::complex<double>;

namespace {

const std::vector<std::string> kEndedPrematurely{"\n", "Equation ended prematurely, syntax error ",
                                                 "\n", "Error ..."};

struct RealCase {
    int line;
    Chain chain;
    std::vector<double> values; // variable 1, 2, ...
    double expected;
    std::string_view error = {};
};

void runRealCases(const std::vector<RealCase>& cases)
{
    for (const RealCase& c : cases) {
        TranscriptHost host;
        Reporter reporter;
        Evaluator e(reporter);
        std::vector<double> values{0.0};
        values.insert(values.end(), c.values.begin(), c.values.end());
        const Complex r = e.evaluate(c.chain, values.data());
        EXPECT_EQ(r.real(), c.expected) << "case at line " << c.line;
        EXPECT_EQ(r.imag(), 0.0) << "case at line " << c.line;
        EXPECT_EQ(e.error().mark(), !c.error.empty()) << "case at line " << c.line;
        EXPECT_EQ(e.error().message(), c.error) << "case at line " << c.line;
        EXPECT_EQ(host.log, "") << "case at line " << c.line;
    }
}

TEST(Evaluator, RealModeChains)
{
    runRealCases({
        {__LINE__, postfix({X(1), X(2), B('-')}), {7, 3}, 4},
        {__LINE__, postfix({X(1), X(2), B('<')}), {1, 3}, 2},
        {__LINE__, postfix({X(1), X(2), B('>')}), {1, 3}, -2},
        {__LINE__, postfix({X(1), X(2), B('=')}), {1, 3}, 1},
        {__LINE__, postfix({X(1), X(2), B('=')}), {3, 3}, 0},
        // IF c THEN a ELSE b: c, a, b, H, F
        {__LINE__, postfix({X(1), C(10), C(20), B('H'), B('F')}), {0.5}, 10},
        {__LINE__, postfix({X(1), C(10), C(20), B('H'), B('F')}), {0}, 20},
        {__LINE__, postfix({X(1), C(10), C(20), B('H'), B('F')}), {-1}, 20},
        // IF x < 1 THEN 2 ELSE 3 as the parser lays it out
        {__LINE__, postfix({X(1), C(1), B('-'), U('-'), C(2), C(3), B('H'), B('F')}), {0}, 2},
        {__LINE__, postfix({X(1), C(1), B('-'), U('-'), C(2), C(3), B('H'), B('F')}), {1}, 3},
        {__LINE__, postfix({C(1e60), C(1), B('+')}), {}, BIG},
        {__LINE__, postfix({C(-1e60), C(1), B('+')}), {}, BIG},
        {__LINE__, postfix({Form(form::Undefined, UNDEFINED), C(5), B('+')}), {}, UNDEFINED},
        {__LINE__, postfix({C(0), C(0), B('/')}), {}, UNDEFINED},
        {__LINE__, postfix({C(5), C(0), B('/')}), {}, BIG},
        {__LINE__, postfix({C(0), C(5), B('/')}), {}, 0},
        {__LINE__, postfix({C(-2), C(2), B('^')}), {}, 4},
        // residuals of magnitude at most TINY are exactly 0, UNDEFINED excepted
        {__LINE__, postfix({C(1e-30), C(1e-30), B('*')}), {}, 0},
        {__LINE__, postfix({C(-1e-50)}), {}, 0},
        {__LINE__, postfix({C(2e-50)}), {}, 2e-50},
        {__LINE__, postfix({Form(form::Undefined, UNDEFINED)}), {}, UNDEFINED},
        // number forms in real mode: the real part of the pushed value
        {__LINE__, postfix({Form(form::Imaginary, 3)}), {}, 0},
        {__LINE__, postfix({Form(form::Phasor, 0.5)}), {}, std::cos(0.5)},
        {__LINE__, postfix({Form(form::Pi, kPi)}), {}, kPi},
        {__LINE__, postfix({Xj(1), C(2), B('+')}), {5}, 2},
        // void tokens are skipped, and so is what follows ";"
        {__LINE__, postfix({C(3), makeToken(kind::Void, ' ', 0, 0), C(4), B('*')}), {}, 12},
        {__LINE__, Chain{C(3), makeToken(kind::End, ' ', 0, 0), C(4)}, {}, 3},
        // mathematical errors: residual BIG, first message kept
        {__LINE__, postfix({C(0), U('I')}), {}, BIG, "Inverse of Zero"},
        {__LINE__, postfix({C(0), U('I'), C(0), U('L'), B('+')}), {}, BIG, "Inverse of Zero"},
        {__LINE__,
         postfix({C(0), U('L'), C(0), U('I'), B('+')}),
         {},
         BIG,
         "Log of Zero or Negative Number"},
        {__LINE__,
         postfix({C(-8), C(1), C(3), B('/'), B('^')}),
         {},
         BIG,
         "Fractional Power of Negative Number"},
        {__LINE__, postfix({C(-4), U('Q')}), {}, BIG, "Square Root of Negative Number"},
        // two-argument codes without an evaluation rule give 0
        {__LINE__, postfix({C(2), C(3), B(op::Delay), C(1), B('+')}), {}, 1},
        {__LINE__, postfix({C(2), C(3), B('g'), C(1), B('+')}), {}, 1},
        {__LINE__, postfix({X(1), X(2), B('A')}), {1, -1}, std::atan2(1.0, -1.0)},
    });
}

TEST(Evaluator, ValuesOfTheLastRunAndTheMarkIsClearedEachTime)
{
    TranscriptHost host;
    Reporter reporter;
    Evaluator e(reporter);
    const double values[] = {0, 0};
    EXPECT_EQ(e.evaluateReal(postfix({X(1), U('I')}), values), BIG);
    EXPECT_TRUE(e.error().mark());
    EXPECT_DOUBLE_EQ(e.evaluateReal(postfix({X(1), U('C')}), values), 1.0);
    EXPECT_FALSE(e.error().mark());
    EXPECT_EQ(e.error().message(), "");
}

TEST(Evaluator, ChainLeavingTwoValuesEndedPrematurely)
{
    for (bool complexMode : {false, true}) {
        TranscriptHost host;
        Reporter reporter;
        Evaluator e(reporter);
        e.complexMode = complexMode;
        const double values[] = {0, 1, 2};
        EXPECT_EQ(e.evaluate(postfix({X(1), X(2)}), values), Complex(BIG, 0));
        EXPECT_TRUE(e.error().mark());
        EXPECT_EQ(host.pieces, kEndedPrematurely);
        EXPECT_TRUE(reporter.runError);

        host.clear();
        EXPECT_EQ(e.evaluate(Chain{makeToken(kind::End, ' ', 0, 0)}, values), Complex(BIG, 0));
        EXPECT_EQ(host.pieces, kEndedPrematurely);
    }
}

TEST(Evaluator, StackUnderflow)
{
    const std::vector<std::string> underflow{"\n", "Stack underflow, equation incorrect", "\n",
                                             "Error ..."};
    std::vector<std::string> underflowThenEnded = underflow;
    underflowThenEnded.insert(underflowThenEnded.end(), kEndedPrematurely.begin(),
                              kEndedPrematurely.end());
    struct Case {
        int line;
        Chain chain;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        // one operand for a binary operation: underflow, and nothing is left at the end
        {__LINE__, postfix({C(1), B('+')}), underflowThenEnded},
        // the depth is reset, so a value pushed afterwards does not hide the fault
        {__LINE__, postfix({C(1), B('+'), C(2)}), underflow},
        {__LINE__, postfix({C(1), C(2), B('F')}), underflowThenEnded},
        {__LINE__, postfix({U('-')}), underflowThenEnded},
    };
    for (bool complexMode : {false, true}) {
        for (const Case& c : cases) {
            TranscriptHost host;
            Reporter reporter;
            Evaluator e(reporter);
            e.complexMode = complexMode;
            EXPECT_EQ(e.evaluate(c.chain, nullptr), Complex(BIG, 0)) << "case at line " << c.line;
            EXPECT_TRUE(e.error().mark()) << "case at line " << c.line;
            EXPECT_EQ(host.pieces, c.pieces) << "case at line " << c.line;
        }
    }
}

TEST(Evaluator, StackHoldsExactly101Values)
{
    for (bool complexMode : {false, true}) {
        for (int pushes : {101, 102}) {
            Chain chain;
            for (int i = 0; i < pushes; ++i)
                chain.push_back(C(1));
            for (int i = 1; i < pushes; ++i)
                chain.push_back(B('+'));
            chain.push_back(makeToken(kind::End, ' ', 0, 0));
            TranscriptHost host;
            Reporter reporter;
            Evaluator e(reporter);
            e.complexMode = complexMode;
            const Complex r = e.evaluate(chain, nullptr);
            if (pushes == 101) {
                EXPECT_EQ(r, Complex(101, 0));
                EXPECT_EQ(host.log, "");
                continue;
            }
            EXPECT_EQ(r, Complex(BIG, 0));
            // The 102nd value is refused; the last "+" then finds one value too few.
            ASSERT_GE(host.pieces.size(), 4u);
            EXPECT_EQ(host.pieces[1], "Stack Overflow, equation too complex or incorrect");
            EXPECT_EQ(host.pieces[3], "Error ...");
        }
    }
}

// ---------------------------------------------------------------- complex mode

/// Evaluates `chain` in complex mode with z = x + jy as variables 1 and 2 (w as 3 and 4).
Complex evalComplex(const Chain& chain, Complex z, Complex w = {}, std::string* log = nullptr)
{
    TranscriptHost host;
    Reporter reporter;
    Evaluator e(reporter);
    e.complexMode = true;
    const double values[] = {0, z.real(), z.imag(), w.real(), w.imag()};
    const Complex r = e.evaluate(chain, values);
    if (log != nullptr)
        *log = host.log;
    return r;
}

/// z = x1 + j x2 in postfix, followed by the given tokens.
Chain onZ(std::initializer_list<Token> tail)
{
    Chain c{X(1), Xj(2), B('+')};
    c.insert(c.end(), tail.begin(), tail.end());
    c.push_back(makeToken(kind::End, ' ', 0, 0));
    return c;
}

void expectNear(Complex got, Complex expected, double tolerance, const std::string& what)
{
    const double scale = std::max(1.0, std::abs(expected));
    EXPECT_LE(std::abs(got - expected), tolerance * scale)
        << what << ": got " << got << ", expected " << expected;
}

TEST(Evaluator, ComplexFunctionsOnAGrid)
{
    const std::vector<double> grid{-2.5, -1.0, -0.3, 0.0, 0.4, 1.7, 3.0};
    struct Function {
        const char* name;
        std::uint8_t code;
        std::function<Complex(Complex)> reference;
    };
    const Complex j{0, 1};
    const std::vector<Function> functions{
        {"sin", 'S', [](Complex z) { return std::sin(z); }},
        {"cos", 'C', [](Complex z) { return std::cos(z); }},
        {"exp", 'E', [](Complex z) { return std::exp(z); }},
        {"square", '2', [](Complex z) { return z * z; }},
        {"negate", '-', [](Complex z) { return -z; }},
        {"conjugate", 'j', [](Complex z) { return std::conj(z); }},
        {"real", 'r', [](Complex z) { return Complex(z.real(), 0); }},
        {"imag", 'i', [](Complex z) { return Complex(z.imag(), 0); }},
        {"abs", 'B', [](Complex z) { return Complex(std::abs(z), 0); }},
        {"mag", 'm', [](Complex z) { return Complex(std::abs(z), 0); }},
        // references written from the definitions, not from the library's own routines
        {"tan", 'T', [](Complex z) { return std::sin(z) / std::cos(z); }},
        {"arctan", 't',
         [j](Complex z) { return 0.5 * j * (std::log(1.0 - j * z) - std::log(1.0 + j * z)); }},
    };
    for (const Function& f : functions) {
        for (double x : grid) {
            for (double y : grid) {
                const Complex z{x, y};
                if (f.code == 't' && x == 0.0 && std::fabs(y) >= 1.0)
                    continue; // the poles and branch cuts of arctan on the imaginary axis
                expectNear(evalComplex(onZ({U(f.code)}), z), f.reference(z), 1e-13,
                           std::string(f.name) + " at (" + std::to_string(x) + "," +
                               std::to_string(y) + ")");
            }
        }
    }
}

TEST(Evaluator, ComplexFunctionsWithBranchCuts)
{
    // ln, sqrt, inverse, angle, arcsin, arccos away from the origin, checked against the
    // polar definitions; on the negative real axis the upper side is taken.
    const std::vector<double> grid{-2.5, -1.0, -0.3, 0.0, 0.4, 1.7, 3.0};
    const Complex j{0, 1};
    for (double x : grid) {
        for (double y : grid) {
            if (x == 0.0 && y == 0.0)
                continue;
            const Complex z{x, y};
            const double r = std::hypot(x, y);
            double theta = std::atan2(y, x);
            if (y == 0.0 && x < 0)
                theta = std::numbers::pi;
            const std::string at = " at (" + std::to_string(x) + "," + std::to_string(y) + ")";
            expectNear(evalComplex(onZ({U('L')}), z), Complex(std::log(r), theta), 1e-14,
                       "ln" + at);
            expectNear(evalComplex(onZ({U('Q')}), z), std::polar(std::sqrt(r), theta / 2), 1e-14,
                       "sqrt" + at);
            expectNear(evalComplex(onZ({U('I')}), z), std::polar(1.0 / r, -theta), 1e-14,
                       "inverse" + at);
            expectNear(evalComplex(onZ({U('a')}), z), Complex(theta, 0), 1e-15, "angle" + at);
            // arcsin z = -j ln(jz + sqrt(1 - z^2)) with the principal root
            const Complex w = 1.0 - z * z;
            const double wr = std::abs(w);
            double wt = std::atan2(w.imag(), w.real());
            if (w.imag() == 0.0 && w.real() < 0)
                wt = std::numbers::pi;
            const Complex asinRef = -j * std::log(j * z + std::polar(std::sqrt(wr), wt / 2));
            if (!(y == 0.0 && std::fabs(x) > 1.0)) { // the cuts of arcsin lie on the real axis
                expectNear(evalComplex(onZ({U('s')}), z), asinRef, 1e-13, "arcsin" + at);
                expectNear(evalComplex(onZ({U('c')}), z), kPi * 0.5 - asinRef, 1e-12,
                           "arccos" + at);
            }
        }
    }
}

TEST(Evaluator, ComplexPowerOnAGrid)
{
    const std::vector<double> grid{-2.0, -0.5, 0.0, 0.7, 1.5};
    for (double zr : grid) {
        for (double zi : grid) {
            if (zr == 0.0 && zi == 0.0)
                continue;
            for (double wr : grid) {
                for (double wi : grid) {
                    const Complex z{zr, zi};
                    const Complex w{wr, wi};
                    // z^w = exp(w ln z) with the principal logarithm, upper side of the cut
                    double theta = std::atan2(zi, zr);
                    if (zi == 0.0 && zr < 0)
                        theta = std::numbers::pi;
                    const Complex expected = std::exp(w * Complex(std::log(std::abs(z)), theta));
                    Chain chain{X(1),  Xj(2),  B('+'), X(3),
                                Xj(4), B('+'), B('^'), makeToken(kind::End, ' ', 0, 0)};
                    expectNear(evalComplex(chain, z, w), expected, 1e-13,
                               "(" + std::to_string(zr) + "," + std::to_string(zi) + ")^(" +
                                   std::to_string(wr) + "," + std::to_string(wi) + ")");
                }
            }
        }
    }
}

TEST(Evaluator, ComplexEdgeCases)
{
    const Complex big{BIG, 0};
    struct Case {
        int line;
        Chain chain;
        Complex expected;
        double tolerance; // 0: exact
    };
    const double sqrt3 = std::sqrt(3.0);
    const Case cases[] = {
        // whole powers are exact; fractional ones take the principal value
        {__LINE__, postfix({C(-2), C(2), B('^')}), {4, 0}, 0},
        {__LINE__, postfix({C(-2), C(3), B('^')}), {-8, 0}, 0},
        {__LINE__, postfix({C(1), Form(form::Imaginary, 1), B('+'), C(2), B('^')}), {0, 2}, 0},
        {__LINE__, postfix({C(2), C(-2), B('^')}), {0.25, 0}, 0},
        {__LINE__, postfix({C(-8), C(1), C(3), B('/'), B('^')}), {1, sqrt3}, 1e-15},
        {__LINE__, postfix({C(0), C(2), B('^')}), {0, 0}, 0},
        {__LINE__, postfix({C(0), C(-2), B('^')}), big, 0},
        {__LINE__, postfix({C(5), C(0), B('^')}), {1, 0}, 0},
        // square roots and logarithms on the cut: the upper side, even for -0
        {__LINE__, postfix({C(-4), U('Q')}), {0, 2}, 0},
        {__LINE__, postfix({C(4), U('-'), U('Q')}), {0, 2}, 0},
        {__LINE__, postfix({C(-1), U('L')}), {0, std::numbers::pi}, 0},
        {__LINE__, postfix({C(0), U('L')}), {BIG, kPi}, 0},
        {__LINE__,
         postfix({Form(form::Undefined, UNDEFINED), U('L')}),
         {std::log(UNDEFINED), 0},
         0},
        // division under the real rules, with moduli
        {__LINE__, postfix({C(5), C(0), B('/')}), big, 0},
        {__LINE__, postfix({C(0), C(0), B('/')}), {UNDEFINED, 0}, 0},
        {__LINE__, postfix({C(0), C(5), B('/')}), {0, 0}, 0},
        {__LINE__, postfix({C(1), C(1e-30), B('/')}), {1e30, 0}, 1e-15},
        {__LINE__,
         postfix({C(1), Form(form::Imaginary, 2), B('+'), C(3), Form(form::Imaginary, -4), B('+'),
                  B('/')}),
         Complex(1, 2) / Complex(3, -4), 1e-15},
        {__LINE__, postfix({C(0), U('I')}), big, 0},
        // results above BIG
        {__LINE__, postfix({C(1e30), Form(form::Imaginary, 1e30), B('+'), C(1e30), B('*')}), big,
         0},
        {__LINE__, postfix({C(1e40), Form(form::Imaginary, 1e40), B('+'), U('2')}), big, 0},
        {__LINE__, postfix({Form(form::Imaginary, 200), U('S')}), big, 0},
        {__LINE__, postfix({Form(form::Imaginary, -200), U('C')}), big, 0},
        {__LINE__, postfix({Form(form::Imaginary, 100), U('S')}), {0, std::sinh(100.0)}, 1e-15},
        {__LINE__, postfix({C(1e60), C(1), B('+')}), big, 0},
        // number forms
        {__LINE__, postfix({Form(form::Phasor, 0.5)}), std::polar(1.0, 0.5), 0},
        {__LINE__, postfix({Form(form::Imaginary, -3)}), {0, -3}, 0},
        // relations, ATAN2 and GAMMP on the real parts, IF on the condition's real part
        {__LINE__, postfix({C(1), C(3), Form(form::Imaginary, 1), B('+'), B('<')}), {2, 1}, 0},
        {__LINE__, postfix({C(1), C(3), Form(form::Imaginary, 1), B('+'), B('>')}), {-2, -1}, 0},
        {__LINE__, postfix({C(3), C(3), Form(form::Imaginary, 1), B('+'), B('=')}), {1, 0}, 0},
        {__LINE__, postfix({C(3), C(3), B('=')}), {0, 0}, 0},
        {__LINE__,
         postfix({C(1), Form(form::Imaginary, 5), B('+'), C(-1), B('A')}),
         {3 * std::numbers::pi / 4, 0},
         1e-15},
        {__LINE__, postfix({C(1), C(1), B(op::Gammp)}), {1 - std::exp(-1.0), 0}, 3e-7},
        {__LINE__,
         postfix({Form(form::Imaginary, 5), C(1), Form(form::Imaginary, 2), B('+'), C(7), B('H'),
                  B('F')}),
         {7, 0},
         0},
        {__LINE__,
         postfix({C(0.1), Form(form::Imaginary, -5), B('+'), C(1), Form(form::Imaginary, 2), B('+'),
                  C(7), B('H'), B('F')}),
         {1, 2},
         0},
        // the unit step of the real part; special functions of the real part
        {__LINE__, postfix({C(-3), U('U')}), {0, 0}, 0},
        {__LINE__, postfix({C(3), Form(form::Imaginary, -1), B('+'), U('U')}), {1, 0}, 0},
        {__LINE__,
         postfix({C(2.5), Form(form::Imaginary, 9), B('+'), U('J')}),
         {std::cyl_bessel_j(0.0, 2.5), 0},
         1e-7},
        {__LINE__, postfix({C(2), C(3), B(op::Derivative)}), {0, 0}, 0},
        {__LINE__, postfix({C(2), U('Z')}), {0, 0}, 0},
    };
    for (const Case& c : cases) {
        const Complex got = evalComplex(c.chain, {});
        if (c.tolerance == 0) {
            EXPECT_EQ(got.real(), c.expected.real()) << "case at line " << c.line;
            EXPECT_EQ(got.imag(), c.expected.imag()) << "case at line " << c.line;
        } else {
            expectNear(got, c.expected, c.tolerance, "case at line " + std::to_string(c.line));
        }
    }
}

TEST(Evaluator, ComplexExponentialOverflowIsReported)
{
    std::string log;
    EXPECT_EQ(evalComplex(onZ({U('E')}), {60, 1}, {}, &log), Complex(BIG, 0));
    EXPECT_EQ(log, "\nOverflow in EXP<BEEP>");
    EXPECT_EQ(evalComplex(onZ({C(40), B('^')}), {10, 1}, {}, &log), Complex(BIG, 0));
    EXPECT_EQ(log, "\nOverflow in EXP<BEEP>");
}

TEST(Evaluator, RealAndComplexModesAgreeOnRealArguments)
{
    const std::vector<Chain> chains{
        postfix({X(1), X(2), B('*'), C(3), B('+'), U('S')}),
        postfix({X(1), X(2), B('/'), U('E'), X(1), U('L'), B('-')}),
        postfix({X(1), C(2.5), B('^'), X(2), U('Q'), B('+'), U('t')}),
        postfix({X(1), U('C'), X(2), U('I'), B('*'), U('2'), U('-')}),
        postfix({X(1), X(2), B('-'), C(4), C(5), B('H'), B('F')}),
        postfix({X(2), X(1), B('A'), X(1), U('B'), B('+')}),
    };
    for (const Chain& chain : chains) {
        for (double x : {0.3, 1.0, 2.7}) {
            for (double y : {0.5, 1.9}) {
                TranscriptHost host;
                Reporter reporter;
                Evaluator e(reporter);
                const double values[] = {0, x, y};
                const double real = e.evaluateReal(chain, values);
                e.complexMode = true;
                const Complex complex = e.evaluate(chain, values);
                EXPECT_NEAR(complex.real(), real, 1e-13 * std::max(1.0, std::fabs(real)));
                EXPECT_NEAR(complex.imag(), 0.0, 1e-13);
            }
        }
    }
}

} // namespace
