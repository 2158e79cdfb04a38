// Tests of the simplifier on written cases: each input is built from tokens, simplified by
// the pass driver, and compared token by token with the form the rules give, written out
// by hand the same way. Also the folding messages and their order, the undone pass, the
// equation loop with its numbers and empty slots, and interruption.
#include "Simplifier.h"

#include "ChainText.h"
#include "Code.h"
#include "EquationSet.h"
#include "ExpressionBuilders.h"
#include "GuardedMath.h"
#include "Reporter.h"
#include "varnel/Platform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace varnel {
namespace {

using namespace test; // Expr, var, num, bin, un, the operators, ifThenElse, stored

/// The chain as words, for failure messages.
std::string words(const Chain& chain)
{
    return test::chainText(chain, VariableTable{});
}

std::vector<std::string> g_pieces;

class SimplifierTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_pieces.clear();
        setLibraryOutputCallback([](char* text) { g_pieces.emplace_back(text); });
        setBeepHandler([](unsigned) {});
    }
    void TearDown() override
    {
        setLibraryOutputCallback(nullptr);
        setBeepHandler(nullptr);
        clearInterrupt();
    }
    std::string output() const
    {
        std::string all;
        for (const std::string& p : g_pieces)
            all += p;
        return all;
    }
    Chain simplified(const Expr& e, int number = 0)
    {
        Chain code = stored(e);
        EXPECT_TRUE(simplifier.simplifyEquation(code, number));
        return code;
    }

    Reporter reporter;
    Simplifier simplifier{reporter};
};

const auto SIN = [](const Expr& a) { return un('S', a); };
const auto COS = [](const Expr& a) { return un('C', a); };
const auto TAN = [](const Expr& a) { return un('T', a); };
const auto ARCSIN = [](const Expr& a) { return un('s', a); };
const auto EXP = [](const Expr& a) { return un('E', a); };
const auto LN = [](const Expr& a) { return un('L', a); };
const auto INV = [](const Expr& a) { return un('I', a); };
const auto SQUARE = [](const Expr& a) { return un('2', a); };
const auto SQRT = [](const Expr& a) { return un('Q', a); };
const auto ABS = [](const Expr& a) { return un('B', a); };
const auto U = [](const Expr& a) { return un('U', a); };
const auto MAG = [](const Expr& a) { return un('m', a); };
const auto ANGLE = [](const Expr& a) { return un('a', a); };
const auto REAL = [](const Expr& a) { return un('r', a); };
const auto IMAG = [](const Expr& a) { return un('i', a); };
const auto CONJG = [](const Expr& a) { return un('j', a); };
const auto D = [](const Expr& a, const Expr& b) { return bin(op::Derivative, a, b); };

struct Case {
    const char* name;
    Expr input;
    Expr expected;
};

TEST_F(SimplifierTest, RulesGiveTheirCanonicalForms)
{
    const Expr x = var(1), y = var(2), z = var(3);
    const Expr pi = num(kPi, form::Pi);
    const Case cases[] = {
        // Sums: zero, cancellation, like terms, order, constants.
        {"x+0", x + num(0), x},
        {"x-x", x - x, num(0)},
        {"2x+3x", num(2) * x + num(3) * x, num(5) * x},
        {"x+x-3x", x + x - num(3) * x, -x},
        {"y+x", y + x, x + y},
        {"3+x", num(3) + x, x + num(3)},
        {"-x+y", -x + y, y - x},
        {"1+x+2", num(1) + x + num(2), x + num(3)},
        {"x-(y-x)", x - (y - x), num(2) * x - y},
        {"x+1e-25", x + num(1e-25), x},
        {"x+PI", x + pi, x + pi},
        {"PI+1", pi + num(1), num(kPi + 1)},
        {"x+(-3)", x + num(-3), x - num(3)},
        {"--x", -(-x), x},
        // Products: order, powers merged, cancellation, constants.
        {"x*x", x * x, x ^ num(2)},
        {"x/x", x / x, num(1)},
        {"x*2", x * num(2), num(2) * x},
        {"y*x*y", y * x * y, x * (y ^ num(2))},
        {"x^3/x", (x ^ num(3)) / x, x ^ num(2)},
        {"x/2", x / num(2), num(0.5) * x},
        {"1/x", num(1) / x, INV(x)},
        {"2*x*3/y", num(2) * x * num(3) / y, num(6) * x / y},
        {"0*x", num(0) * x, num(0)},
        {"(-x)*y", (-x) * y, -(x * y)},
        {"x*(-2)", x * num(-2), num(-2) * x},
        {"(x+1)(x-1)", (x + num(1)) * (x - num(1)), (x ^ num(2)) - num(1)},
        // Pythagoras, with either sign.
        {"SIN^2+COS^2", (SIN(x) ^ num(2)) + (COS(x) ^ num(2)), num(1)},
        {"-SIN^2-COS^2", -(SIN(x) ^ num(2)) - (COS(x) ^ num(2)), num(-1)},
        {"COS^2+y+SIN^2", (COS(x) ^ num(2)) + y + (SQUARE(SIN(x))), y + num(1)},
        {"SIN^2-COS^2", (SIN(x) ^ num(2)) - (COS(x) ^ num(2)),
         (SIN(x) ^ num(2)) - (COS(x) ^ num(2))},
        // Functions: inverse pairs, even and odd functions.
        {"LN(EXP(x))", LN(EXP(x)), x},
        {"EXP(LN(x))", EXP(LN(x)), x},
        {"INV(INV(x))", INV(INV(x)), x},
        {"SIN(ARCSIN(x))", SIN(ARCSIN(x)), x},
        {"SQUARE(SQRT(x))", SQUARE(SQRT(x)), x},
        {"SQRT(SQUARE(x))", SQRT(SQUARE(x)), ABS(x)},
        {"ARCSIN(SIN(x))", ARCSIN(SIN(x)), ARCSIN(SIN(x))},
        {"COS(-x)", COS(-x), COS(x)},
        {"ABS(-x)", ABS(-x), ABS(x)},
        {"SIN(-x)", SIN(-x), -SIN(x)},
        {"TAN(-x)+TAN(x)", TAN(-x) + TAN(x), num(0)},
        {"INV(-x)*x", INV(-x) * x, num(-1)},
        // Powers.
        {"x^1", x ^ num(1), x},
        {"x^0", x ^ num(0), num(1)},
        {"x^-1", x ^ num(-1), INV(x)},
        {"1^x", num(1) ^ x, num(1)},
        {"0^x", num(0) ^ x, num(0)},
        {"2^3", num(2) ^ num(3), num(std::exp(3 * std::log(2.0)))}, // the power rule's odd n
        {"SQRT(x)^2", SQRT(x) ^ num(2), x},
        {"(x^3)^2", (x ^ num(3)) ^ num(2), x ^ num(6)},
        {"SQRT(x^4)", SQRT(x ^ num(4)), x ^ num(2)},
        {"(x^2)^0.5", (x ^ num(2)) ^ num(0.5), ABS(x)},
        {"(x^2)^1.5", (x ^ num(2)) ^ num(1.5), ABS(x) ^ num(3)},
        {"SQUARE(x)^-0.5", SQUARE(x) ^ num(-0.5), INV(ABS(x))},
        // Relations, two-argument functions and IF.
        {"3<5", bin('<', num(3), num(5)), num(2)},
        {"EQUAL(2,2)", bin('=', num(2), num(2)), num(0)},
        {"ATAN2(1,1)", bin('A', num(1), num(1)), num(std::atan2(1.0, 1.0))},
        {"IF 1 THEN x ELSE y", ifThenElse(num(1), x, y), x},
        {"IF 0 THEN x ELSE y", ifThenElse(num(0), x, y), y},
        {"IF -1 THEN x ELSE y", ifThenElse(num(-1), x, y), y},
        {"IF z THEN x ELSE x", ifThenElse(z, x, x), x},
        {"IF z THEN x+x ELSE y", ifThenElse(z, x + x, y), ifThenElse(z, num(2) * x, y)},
        // Functions of constants, MAG and ANGLE by their definitions.
        {"MAG(-3)", MAG(num(-3)), num(3)},
        {"ANGLE(-3)", ANGLE(num(-3)), num(std::numbers::pi)},
        {"ANGLE(3)+x", ANGLE(num(3)) + x, x},
        {"REAL(2)+CONJG(2)+IMAG(2)", REAL(num(2)) + CONJG(num(2)) + IMAG(num(2)), num(4)},
        {"U(-1)+U(0)", U(num(-1)) + U(num(0)), num(1)},
        {"SQUARE(-3)", SQUARE(num(-3)), num(9)},
        {"-(2)", -num(2), num(-2)},
        // Complex marks and operations without a value of their own stay.
        {"2~j+3", num(2, form::Imaginary) + num(3), num(2, form::Imaginary) + num(3)},
        {"x~j*2~j", num(2, form::Imaginary) * num(2, form::Imaginary),
         num(2, form::Imaginary) ^ num(2)},
        {"D(x+0,y)", D(x + num(0), y), D(x + num(0), y)},
    };
    for (const Case& c : cases) {
        const Chain got = simplified(c.input);
        EXPECT_EQ(words(got), words(stored(c.expected))) << c.name;
        EXPECT_EQ(got, stored(c.expected)) << c.name;
    }
    EXPECT_EQ(output(), "");
}

TEST_F(SimplifierTest, PassThatLengthensIsUndone)
{
    // Multiplying x*(y+z) out gives x*y + x*z, two tokens longer: the pass is undone.
    const Expr x = var(1), y = var(2), z = var(3);
    EXPECT_EQ(simplified(x * (y + z)), stored(x * (y + z)));
    // The expanding phase is undone, the phase after it still sorts.
    EXPECT_EQ(simplified((z + y) * x), stored(x * (y + z)));
    // One pass only: the expansion itself.
    const Chain pass = simplifier.simplifyPass(toPrefix(stored(x * (y + z))), true);
    EXPECT_EQ(toPostfix(pass), stored(x * y + x * z));
}

TEST_F(SimplifierTest, FoldingMessagesInTheirOrder)
{
    const Expr x = var(1);
    struct MessageCase {
        const char* name;
        Expr input;
        std::vector<std::string> messages;
    };
    const MessageCase cases[] = {
        {"LN(0)", x + LN(num(0)), {"Log of Zero or Negative Number"}},
        {"x/0", x / num(0), {"Inverse of Zero"}},
        {"INV(0)", INV(num(0)) * x, {"Inverse of Zero"}},
        {"SQRT(-1)", SQRT(num(-1)), {"Square Root of Negative Number"}},
        {"ARCSIN(2)", ARCSIN(num(2)), {"Square Root of Negative Number"}},
        {"(-8)^(1/3)", num(-8) ^ num(1.0 / 3), {"Fractional Power of Negative Number"}},
        {"LN(-1)+SQRT(-1)+INV(0)",
         LN(num(-1)) + SQRT(num(-1)) + INV(num(0)),
         {"Log of Zero or Negative Number", "Square Root of Negative Number", "Inverse of Zero"}},
    };
    for (const MessageCase& c : cases) {
        g_pieces.clear();
        reporter.runError = false;
        simplified(c.input, 7);
        EXPECT_EQ(simplifier.foldMessages(), c.messages) << c.name;
        std::string expected;
        for (const std::string& m : c.messages)
            expected += "\n" + m + " in Equation 7";
        EXPECT_EQ(output(), expected + "\nError ...") << c.name;
        EXPECT_TRUE(reporter.runError) << c.name;
    }
    // A folded failure is stored as BIG.
    EXPECT_EQ(simplified(LN(num(0))), stored(num(BIG)));
}

TEST_F(SimplifierTest, EquationLoopWritesEveryNumberAndSkipsEmptySlots)
{
    const Expr x = var(1);
    EquationSet set;
    set.equations.resize(3);
    set.equation(1).code = stored(x + num(0));
    set.equation(2).code = {makeToken(kind::End, ' ', 0, 0.0)};
    set.equation(3).code = stored(x * x);
    EXPECT_TRUE(simplifier.simplifyEquations(set, 1, 4));
    EXPECT_EQ(output(), "\nSimplifying Equation No:    1   2   3   4");
    EXPECT_EQ(set.equation(1).code, stored(x));
    EXPECT_EQ(set.equation(2).code.size(), 1u);
    EXPECT_EQ(set.equation(3).code, stored(x ^ num(2)));
}

TEST_F(SimplifierTest, InterruptionStopsTheLoop)
{
    const Expr x = var(1);
    EquationSet set;
    set.equations.resize(2);
    set.equation(1).code = stored(x + num(0));
    set.equation(2).code = stored(x + num(0));
    requestInterrupt();
    EXPECT_FALSE(simplifier.simplifyEquations(set, 1, 2));
    EXPECT_EQ(output(), "\nSimplifying Equation No:    1User inicira prekid..\n");
    EXPECT_EQ(set.equation(2).code, stored(x + num(0)));
}

TEST_F(SimplifierTest, HostileChainsAreLeftOrBounded)
{
    // Not one expression: left untouched.
    Chain twoValues = {makeVariable(1), makeVariable(2), makeToken(kind::End, ' ', 0, 0.0)};
    const Chain copy = twoValues;
    EXPECT_TRUE(simplifier.simplifyEquation(twoValues));
    EXPECT_EQ(twoValues, copy);

    // A sum of 200000 terms and a nesting of 50000 negations and square roots: no
    // recursion follows them to the bottom.
    Chain sum = {makeVariable(1)};
    for (int k = 0; k < 200000; ++k) {
        sum.push_back(makeVariable(1 + k % 3));
        sum.push_back(makeBinaryToken(k % 2 ? '+' : '-'));
    }
    sum.push_back(makeToken(kind::End, ' ', 0, 0.0));
    EXPECT_TRUE(simplifier.simplifyEquation(sum));
    EXPECT_LE(sum.size(), 12u);

    Chain deep = {makeVariable(1)};
    for (int k = 0; k < 50000; ++k)
        deep.push_back(makeUnaryToken(k % 2 ? '-' : 'Q'));
    deep.push_back(makeToken(kind::End, ' ', 0, 0.0));
    const std::size_t before = deep.size();
    EXPECT_TRUE(simplifier.simplifyEquation(deep));
    EXPECT_LE(deep.size(), before);
}

} // namespace
} // namespace varnel
