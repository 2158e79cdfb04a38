// Complex-to-real conversion, checked by value: each expression is evaluated in complex
// arithmetic with every complex variable x put in as x + j*x_im, and its two converted real
// parts with the real evaluator, at random points. Also the refusals with their messages,
// the imaginary-part variables and their names, and the doubled equation set.
#include "ComplexToReal.h"

#include "Evaluator.h"
#include "ExpressionBuilders.h"
#include "Reporter.h"
#include "Symbols.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <complex>
#include <random>
#include <string>
#include <vector>

namespace varnel {
namespace {

using test::TranscriptHost;

using test::bin;
using test::Expr;
using test::ifThenElse;
using test::num;
using test::stored;
using test::un;
using test::var;
using test::operator+;
using test::operator-;
using test::operator*;
using test::operator/;
using test::operator^;

/// r@t as the parser compiles it: r*(COS t + SIN t*j).
Expr at(const Expr& r, const Expr& t)
{
    return r * (un('C', t) + un('S', t) * num(1.0, form::Imaginary));
}

// Variables: x and y complex, p real (its name holds the polar mark).
const std::uint32_t x = 1, y = 2, p = 3;
const std::string kRealName = std::string("p") + static_cast<char>(symbol::PolarMark);

EquationSet makeSet(std::vector<Expr> residuals)
{
    EquationSet set;
    set.variables.add("x");
    set.variables.add("y");
    set.variables.add(kRealName);
    for (const Expr& r : residuals)
        set.equations.push_back({stored(r), '=', 0});
    return set;
}

/// `postfix` with every complex variable v replaced by v + j*v_im.
Chain complexOriginal(const Chain& postfix, const ComplexToReal& conversion)
{
    Chain out;
    for (const Token& t : postfix) {
        out.push_back(t);
        const std::uint32_t im = t.kind == kind::Variable ? conversion.imaginaryPart(t.index) : 0;
        if (im != 0) {
            out.push_back(makeToken(kind::Variable, form::Imaginary, im, 0.0));
            out.push_back(makeBinaryToken('+'));
        }
    }
    return out;
}

struct ValueCase {
    const char* name;
    Expr e;
};

TEST(ComplexToReal, EveryRuleAgreesWithComplexArithmetic)
{
    const Expr X = var(x), Y = var(y), P = var(p);
    const Expr E = un('E', X); // a polar operand
    const ValueCase cases[] = {
        {"imaginary constant", num(2.5, form::Imaginary)},
        {"real constant", num(-1.25)},
        {"pi constant", num(kPi, form::Pi)},
        {"phasor constant", num(0.7, form::Phasor)},
        {"complex variable", X},
        {"real variable", P},
        {"sum", X + Y},
        {"difference", X - P},
        {"rectangular product", X * Y},
        {"polar product", E * un('E', Y)},
        {"mixed product", E * Y},
        {"rectangular quotient", X / Y},
        {"quotient by a real", X / P},
        {"polar quotient", E / un('E', Y)},
        {"phasor 2@0.5", at(num(2), num(0.5))},
        {"phasor with complex magnitude", at(X, P)},
        {"cube", (X + Y) ^ num(3)},
        {"first power", X ^ num(1)},
        {"power of a polar", E ^ num(4)},
        {"high power", (X * num(0.5)) ^ num(40)},
        {"huge power of one", num(1) ^ num(1e15)},
        {"SQUARE", un('2', X)},
        {"negation", -X},
        {"negated polar", -E},
        {"MAG of a negated polar", un('m', -E)},
        {"EXP", E},
        {"INV", un('I', X)},
        {"INV of a real", un('I', P)},
        {"INV of a polar", un('I', E)},
        {"SQRT", un('Q', X)},
        {"REAL", un('r', X)},
        {"IMAG", un('i', X)},
        {"CONJG", un('j', X)},
        {"MAG", un('m', X)},
        {"ANGLE", un('a', X)},
        {"ANGLE of a real", un('a', P)},
        {"SIN and COS of a real", un('S', P) + un('C', P * P)},
        {"x*y = 1", X * Y - num(1)},
        {"circuit", (X - at(num(10), P)) / (num(50) + num(2.0, form::Imaginary) * Y) - X},
    };
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> range(-2.0, 2.0);
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.name);
        TranscriptHost host;
        Reporter reporter;
        EquationSet set = makeSet({c.e});
        ComplexToReal conversion(set, reporter);
        ASSERT_TRUE(conversion.addImaginaryParts());
        Chain re, im;
        ASSERT_TRUE(conversion.convert(set.equation(1).code, re, im)) << host.log;
        const Chain original = complexOriginal(set.equation(1).code, conversion);

        Evaluator real(reporter);
        Evaluator complex(reporter);
        complex.complexMode = true;
        for (int i = 0; i < 20; ++i) {
            std::vector<double> values(static_cast<std::size_t>(set.variables.count()) + 1);
            for (std::size_t k = 1; k < values.size(); ++k)
                values[k] = range(rng);
            const std::complex<double> z = complex.evaluate(original, values.data());
            ASSERT_FALSE(complex.error().mark()) << complex.error().message();
            const double tolerance = 1e-9 * std::max(1.0, std::abs(z));
            EXPECT_NEAR(real.evaluateReal(re, values.data()), z.real(), tolerance);
            EXPECT_NEAR(real.evaluateReal(im, values.data()), z.imag(), tolerance);
            EXPECT_FALSE(real.error().mark()) << real.error().message();
        }
        EXPECT_FALSE(reporter.runError);
    }
}

TEST(ComplexToReal, PhasorBecomesCosineAndSinePair)
{
    TranscriptHost host;
    Reporter reporter;
    EquationSet set = makeSet({at(num(2), num(0.5))});
    ComplexToReal conversion(set, reporter);
    ASSERT_TRUE(conversion.addImaginaryParts());
    Chain re, im;
    ASSERT_TRUE(conversion.convert(set.equation(1).code, re, im));
    EXPECT_EQ(re, stored(num(2) * un('C', num(0.5))));
    EXPECT_EQ(im, stored(num(2) * un('S', num(0.5))));
}

TEST(ComplexToReal, SetDoublesWithImaginaryPartVariables)
{
    TranscriptHost host;
    Reporter reporter;
    // x*y = 1 and x + p = 2 (p real): four equations in x, y, p, x_im, y_im.
    EquationSet set = makeSet({var(x) * var(y) - num(1), var(x) + var(p) - num(2)});
    set.equations[1].relation = '<';
    set.equations[1].eliminate = x;
    ComplexToReal conversion(set, reporter);
    ASSERT_TRUE(conversion.run());
    EXPECT_EQ(host.log, "\nConverting Complex to Real");
    ASSERT_EQ(set.equationCount(), 4);
    EXPECT_EQ(set.variables.names,
              (std::vector<std::string>{"", "x", "y", kRealName, "x_im", "y_im"}));
    EXPECT_EQ(conversion.imaginaryPart(x), 4u);
    EXPECT_EQ(conversion.imaginaryPart(y), 5u);
    EXPECT_EQ(conversion.imaginaryPart(p), 0u);
    const std::uint8_t relations[] = {'=', '=', '<', '<'};
    const std::uint32_t eliminate[] = {0, 0, x, 0};
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(set.equation(k).relation, relations[k - 1]);
        EXPECT_EQ(set.equation(k).eliminate, eliminate[k - 1]);
    }
    // x*y - 1 at x = 1 + 2j, y = 3 - j: (5 + 5j) - 1.
    Evaluator real(reporter);
    const std::vector<double> v{0, 1, 3, 0.5, 2, -1};
    EXPECT_NEAR(real.evaluateReal(set.equation(1).code, v.data()), 4.0, 1e-12);
    EXPECT_NEAR(real.evaluateReal(set.equation(2).code, v.data()), 5.0, 1e-12);
    // x + p - 2 at p = 0.5: (1 + 0.5 - 2) + 2j.
    EXPECT_NEAR(real.evaluateReal(set.equation(3).code, v.data()), -0.5, 1e-12);
    EXPECT_NEAR(real.evaluateReal(set.equation(4).code, v.data()), 2.0, 1e-12);
}

TEST(ComplexToReal, ImaginaryNamesNeverCollide)
{
    const std::string long33(33, 'a');
    const std::string long33b = std::string(30, 'a') + "bcd";
    EquationSet set;
    for (const std::string& n : {std::string("x"), std::string("x_im"), long33, long33b})
        set.variables.add(n);
    set.equations.push_back({stored(var(1) + var(2) + var(3) + var(4)), '=', 0});
    TranscriptHost host;
    Reporter reporter;
    ComplexToReal conversion(set, reporter);
    ASSERT_TRUE(conversion.run());
    const std::vector<std::string> expected{"",
                                            "x",
                                            "x_im",
                                            long33,
                                            long33b,
                                            "x_im2",
                                            "x_im_im",
                                            std::string(30, 'a') + "_im",
                                            std::string(29, 'a') + "_im2"};
    EXPECT_EQ(set.variables.names, expected);
}

struct RefusalCase {
    const char* name;
    Expr e;
    std::string message;
};

TEST(ComplexToReal, RefusalsReportAndLeaveTheSetAlone)
{
    const Expr X = var(x), Y = var(y), P = var(p);
    const RefusalCase cases[] = {
        {"square root power", X ^ num(0.5), "Non Positive Integer Power  Not Implemented"},
        {"zero power", X ^ num(0), "Non Positive Integer Power  Not Implemented"},
        {"negative power", X ^ num(-2), "Non Positive Integer Power  Not Implemented"},
        {"imaginary power", X ^ num(2, form::Imaginary),
         "Non Positive Integer Power  Not Implemented"},
        {"variable power", X ^ Y, "Variable Complex Power  Not Implemented"},
        {"expression power", X ^ (num(1) + num(1)), "Variable Complex Power  Not Implemented"},
        {"LN", un('L', X), "LN Not Implemented"},
        {"SIN of a complex", un('S', X), "SIN Not Implemented"},
        {"TAN of a real", un('T', P), "TAN Not Implemented"},
        {"ATAN2", bin('A', X, Y), "ATAN2 Not Implemented"},
        {"relation", bin('<', X, Y), "< Not Implemented"},
        {"IF", ifThenElse(P - num(1), X, Y), "IF Not Implemented"},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        TranscriptHost host;
        Reporter reporter;
        EquationSet set = makeSet({num(1) + c.e});
        const EquationSet before = set;
        ComplexToReal conversion(set, reporter);
        EXPECT_FALSE(conversion.run());
        EXPECT_EQ(host.log,
                  "\nConverting Complex to Real\n" + c.message + "<BEEP><BEEP>\nError ...");
        EXPECT_TRUE(reporter.runError);
        EXPECT_EQ(set.equations.size(), before.equations.size());
        EXPECT_EQ(set.equation(1).code, before.equation(1).code);
        EXPECT_EQ(set.variables.names, before.variables.names);
    }
}

TEST(ComplexToReal, EveryRefusalOfASetIsReported)
{
    TranscriptHost host;
    Reporter reporter;
    EquationSet set = makeSet({un('L', var(x)), var(x) - num(1), var(y) ^ var(x)});
    ComplexToReal conversion(set, reporter);
    EXPECT_FALSE(conversion.run());
    EXPECT_NE(host.log.find("LN Not Implemented"), std::string::npos);
    EXPECT_NE(host.log.find("Variable Complex Power  Not Implemented"), std::string::npos);
    EXPECT_EQ(host.beeps, 4);
}

TEST(ComplexToReal, SetsThatWouldOverflowTheTablesAreRefused)
{
    TranscriptHost host;
    Reporter reporter;
    EquationSet equations = makeSet(std::vector<Expr>(1001, var(x) - num(1)));
    ComplexToReal tooManyEquations(equations, reporter);
    EXPECT_FALSE(tooManyEquations.run());
    EXPECT_NE(host.log.find("\nToo Many Equations"), std::string::npos);
    EXPECT_EQ(equations.equationCount(), 1001);

    EquationSet variables;
    for (int k = 0; k < 1001; ++k)
        variables.variables.add("v" + std::to_string(k));
    variables.equations.push_back({stored(var(1)), '=', 0});
    ComplexToReal tooManyVariables(variables, reporter);
    EXPECT_FALSE(tooManyVariables.run());
    EXPECT_NE(host.log.find("\nToo Many Variables"), std::string::npos);
    EXPECT_EQ(variables.variables.count(), 1001);
}

TEST(ComplexToReal, NestedProductsThatExplodeAreRefused)
{
    // Each rectangular product copies its operands twice: 30 nested products of complex
    // variables would need about 2^30 tokens.
    TranscriptHost host;
    Reporter reporter;
    Expr e = var(x);
    for (int k = 0; k < 30; ++k)
        e = (e + var(y)) * var(x);
    EquationSet set = makeSet({e});
    ComplexToReal conversion(set, reporter);
    EXPECT_FALSE(conversion.run());
    EXPECT_NE(host.log.find("\nConverted equation too long"), std::string::npos);
    EXPECT_EQ(set.equationCount(), 1);
}

} // namespace
} // namespace varnel
