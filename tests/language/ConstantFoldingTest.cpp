// Constant folding: every rule of the folding table, errors recorded like evaluation
// errors, very deep chains, and the cross-check that folding never changes the value of
// an expression.
#include "ConstantFolding.h"

#include "Code.h"
#include "Evaluator.h"
#include "ExpressionBuilders.h"
#include "GuardedMath.h"
#include "Reporter.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace varnel;
using namespace varnel::test;

namespace {

/// A chain as text: constants as %g, x1 for variable 1, B+ / U- for operations, PI, void.
std::string describe(const Chain& chain)
{
    std::string out;
    for (const Token& t : chain) {
        if (!out.empty())
            out += ' ';
        char buffer[64];
        switch (t.kind) {
        case kind::Constant:
            if (t.op == form::Pi)
                out += "PI";
            else if (t.op != form::Real || t.index != 0)
                out += "const";
            else {
                std::snprintf(buffer, sizeof buffer, "%g", t.value);
                out += buffer;
            }
            break;
        case kind::Variable:
            out += (t.op == form::Imaginary ? "xj" : "x") + std::to_string(t.index);
            break;
        case kind::Binary:
        case kind::Unary:
            out += t.kind;
            if (t.op >= 0x21 && t.op < 0x7F)
                out += static_cast<char>(t.op);
            else {
                std::snprintf(buffer, sizeof buffer, "%02X", t.op);
                out += buffer;
            }
            break;
        case kind::Void:
            out += "void";
            break;
        default:
            out += t.kind;
        }
    }
    return out;
}

struct FoldCase {
    int line;
    Chain input; // postfix
    std::string expected;
    std::string_view error = {};
};

TEST(ConstantFolding, Rules)
{
    const FoldCase cases[] = {
        // operations on two plain constants, with the evaluator's arithmetic
        {__LINE__, postfix({C(2), C(3), B('+')}), "5 ;"},
        {__LINE__, postfix({C(2), C(3), B('-')}), "-1 ;"},
        {__LINE__, postfix({C(2), C(10), B('^')}), "1024 ;"},
        {__LINE__, postfix({C(-2), C(2), B('^')}), "4 ;"},
        {__LINE__, postfix({C(1e30), C(1e30), B('*')}), "1e+50 ;"},
        {__LINE__, postfix({C(5), C(0), B('/')}), "1e+50 ;"},
        {__LINE__, postfix({C(0), C(0), B('/')}), "8.18182e-50 ;"},
        {__LINE__, postfix({C(1), C(3), B('<')}), "2 ;"},
        {__LINE__, postfix({C(1), C(3), B('>')}), "-2 ;"},
        {__LINE__, postfix({C(3), C(3), B('=')}), "0 ;"},
        {__LINE__, postfix({C(0), C(-1), B('A')}), "3.14159 ;"},
        {__LINE__, postfix({C(1), C(1), B(op::Gammp)}), "0.632121 ;"},
        {__LINE__, postfix({C(2), C(3), B(op::Derivative)}), "0 ;"},
        {__LINE__, postfix({C(2), C(3), B('@')}), "2 3 B@ ;"},
        {__LINE__, postfix({C(2), C(3), B('l')}), "2 3 Bl ;"},
        {__LINE__, postfix({C(-8), C(1), C(3), B('/'), B('^')}), "8.18182e-50 ;",
         "Fractional Power of Negative Number"},
        // IF with equal branches
        {__LINE__, postfix({C(1), C(5), C(5), B('H'), B('F')}), "5 ;"},
        {__LINE__, postfix({X(1), C(5), C(5), B('H'), B('F')}), "5 ;"},
        {__LINE__, postfix({C(1), C(5), C(6), B('H'), B('F')}), "1 5 6 BH BF ;"},
        {__LINE__, postfix({X(1), C(2), C(3), B('+'), C(5), B('H'), B('F')}), "5 ;"},
        {__LINE__, postfix({X(1), X(2), C(5), B('H'), B('F')}), "x1 x2 5 BH BF ;"},
        // products
        {__LINE__, postfix({C(0), X(1), B('*'), C(1), X(2), B('*'), B('+')}), "x2 ;"},
        {__LINE__, postfix({X(1), C(0), B('*')}), "0 ;"},
        {__LINE__, postfix({C(0), X(1), B('*')}), "0 ;"},
        {__LINE__, postfix({C(1), X(1), B('*')}), "x1 ;"},
        {__LINE__, postfix({X(1), C(1), B('*')}), "x1 ;"},
        {__LINE__, postfix({C(-1), X(1), B('*')}), "x1 U- ;"},
        {__LINE__, postfix({X(1), C(-1), B('*')}), "x1 U- ;"},
        {__LINE__, postfix({X(1), C(3), B('*'), C(2), B('*')}), "x1 6 B* ;"},
        {__LINE__, postfix({C(2), X(1), C(3), B('*'), B('*')}), "2 x1 3 B* B* ;"},
        {__LINE__, postfix({C(3), X(1), B('*'), C(2), B('*')}), "3 x1 B* 2 B* ;"},
        {__LINE__, postfix({X(1), C(1), C(2), B('+'), B('*'), C(2), B('*')}), "x1 6 B* ;"},
        {__LINE__, postfix({X(1), X(2), B('*')}), "x1 x2 B* ;"},
        // sums and differences
        {__LINE__, postfix({X(1), C(0), B('+')}), "x1 ;"},
        {__LINE__, postfix({C(0), X(1), B('+')}), "x1 ;"},
        {__LINE__, postfix({X(1), C(0), B('-')}), "x1 ;"},
        {__LINE__, postfix({C(0), X(1), B('-')}), "x1 U- ;"},
        {__LINE__, postfix({X(1), X(1), B('-')}), "0 ;"},
        {__LINE__, postfix({X(1), X(2), B('-')}), "x1 x2 B- ;"},
        {__LINE__, postfix({X(1), makeToken(kind::Variable, form::Imaginary, 1, 0), B('-')}),
         "x1 xj1 B- ;"},
        {__LINE__, postfix({X(1), X(2), U('-'), B('-')}), "x1 x2 B+ ;"},
        {__LINE__, postfix({X(1), C(2), B('+'), C(3), B('+')}), "x1 2 B+ 3 B+ ;"},
        // quotients
        {__LINE__, postfix({X(1), C(0), B('/')}), "1e+50 ;"},
        {__LINE__, postfix({C(0), X(1), B('/')}), "0 ;"},
        {__LINE__, postfix({C(1), X(1), B('/')}), "x1 UI ;"},
        {__LINE__, postfix({X(1), C(1), B('/')}), "x1 ;"},
        // powers
        {__LINE__, postfix({X(1), C(0), B('^')}), "1 ;"},
        {__LINE__, postfix({C(0), X(1), B('^')}), "0 ;"},
        {__LINE__, postfix({C(1), X(1), B('^')}), "1 ;"},
        {__LINE__, postfix({X(1), C(1), B('^')}), "x1 ;"},
        {__LINE__, postfix({X(1), C(2), B('^')}), "x1 2 B^ ;"},
        // one-argument functions of constants
        {__LINE__, postfix({C(2), C(8), B('*'), U('Q')}), "4 ;"},
        {__LINE__, postfix({C(3), U('-')}), "-3 ;"},
        {__LINE__, postfix({C(0), U('S'), X(1), B('+')}), "x1 ;"},
        {__LINE__, postfix({X(1), U('S')}), "x1 US ;"},
        {__LINE__, postfix({C(0), U('L')}), "1e+50 ;", "Log of Zero or Negative Number"},
        {__LINE__, postfix({C(0), U('I')}), "1e+50 ;", "Inverse of Zero"},
        {__LINE__, postfix({C(-4), U('Q')}), "0 ;", "Square Root of Negative Number"},
        {__LINE__, postfix({C(0), U('I'), C(0), U('L'), B('+'), X(1), B('*')}), "1e+50 x1 B* ;",
         "Inverse of Zero"},
        // only plain constants fold: PI and constants of a 0xB0 variable stay
        {__LINE__, postfix({Form(form::Pi, kPi), C(2), B('*')}), "PI 2 B* ;"},
        {__LINE__, postfix({Form(form::Pi, kPi), C(1), B('*')}), "PI ;"},
        {__LINE__, postfix({makeToken(kind::Constant, form::Real, 4, 2.0), C(3), B('+')}),
         "const 3 B+ ;"},
        {__LINE__, postfix({Form(form::Imaginary, 1), U('-')}), "const U- ;"},
    };
    for (const FoldCase& c : cases) {
        TranscriptHost host;
        Reporter reporter;
        EvalError error;
        const Chain folded = foldPostfix(c.input, reporter, error);
        EXPECT_EQ(describe(folded), c.expected) << "case at line " << c.line;
        EXPECT_EQ(error.mark(), !c.error.empty()) << "case at line " << c.line;
        EXPECT_EQ(error.message(), c.error) << "case at line " << c.line;
    }
}

TEST(ConstantFolding, ComplexModeLeavesRealOnlyErrorsToTheEvaluator)
{
    const FoldCase cases[] = {
        {__LINE__, postfix({C(-4), U('Q')}), "-4 UQ ;"},
        {__LINE__, postfix({C(-1), U('L')}), "-1 UL ;"},
        {__LINE__, postfix({C(2), U('s')}), "2 Us ;"},
        {__LINE__, postfix({C(-8), C(1), C(3), B('/'), B('^')}), "-8 0.333333 B^ ;"},
        {__LINE__, postfix({C(4), U('Q'), C(3), B('+')}), "5 ;"},
        {__LINE__, postfix({C(-2), C(3), B('^')}), "-8 ;"},
        {__LINE__, postfix({C(5), C(0), B('/')}), "1e+50 ;"},
    };
    for (const FoldCase& c : cases) {
        TranscriptHost host;
        Reporter reporter;
        EvalError error;
        EXPECT_EQ(describe(foldPostfix(c.input, reporter, error, true)), c.expected)
            << "case at line " << c.line;
        EXPECT_FALSE(error.mark()) << "case at line " << c.line;
    }
}

TEST(ConstantFolding, WorksInPlaceOnPrefixChains)
{
    TranscriptHost host;
    Reporter reporter;
    EvalError error;
    // 2 + 3 in prefix order: B+, 3, 2; the source's first operand receives the result.
    Chain prefix = toPrefix(postfix({C(2), C(3), B('+')}));
    ASSERT_TRUE(foldConstants(prefix, reporter, error));
    EXPECT_EQ(describe(prefix), "void void 5");

    // (x * 3) * 2: the outer product's second operand receives 6.
    prefix = toPrefix(postfix({X(1), C(3), B('*'), C(2), B('*')}));
    ASSERT_TRUE(foldConstants(prefix, reporter, error));
    EXPECT_EQ(describe(prefix), "B* 6 void void x1");

    // tags of surviving tokens are kept
    Chain tagged = postfix({X(1), C(0), B('+')});
    tagged[0].tag = 7;
    EXPECT_EQ(foldPostfix(tagged, reporter, error)[0].tag, 7);
}

TEST(ConstantFolding, MalformedChainsAreLeftAlone)
{
    TranscriptHost host;
    Reporter reporter;
    EvalError error;
    const Chain cases[] = {
        postfix({C(1), C(2), B('+'), B('+')}),
        postfix({C(1), C(2)}),
        postfix({U('-')}),
        postfix({}),
    };
    for (const Chain& c : cases) {
        Chain prefix = toPrefix(c);
        const Chain before = prefix;
        EXPECT_FALSE(foldConstants(prefix, reporter, error)) << describe(c);
        EXPECT_EQ(prefix, before);
        EXPECT_EQ(foldPostfix(c, reporter, error), c);
    }
    EXPECT_FALSE(error.mark());
}

TEST(ConstantFolding, DeepChainsNeedNoRecursion)
{
    TranscriptHost host;
    Reporter reporter;
    EvalError error;
    constexpr int kTerms = 60000;

    // ((1 + 1) + 1) + ...: nested in the second operand of every prefix operation
    Chain left{C(1)};
    for (int i = 0; i < kTerms; ++i) {
        left.push_back(C(1));
        left.push_back(B('+'));
    }
    left.push_back(End());
    EXPECT_EQ(describe(foldPostfix(left, reporter, error)), "60001 ;");

    // 1 + (1 + (1 + ...)): nested in the first operand
    Chain right;
    for (int i = 0; i <= kTerms; ++i)
        right.push_back(C(1));
    for (int i = 0; i < kTerms; ++i)
        right.push_back(B('+'));
    right.push_back(End());
    EXPECT_EQ(describe(foldPostfix(right, reporter, error)), "60001 ;");

    // x + 1 + 1 + ...: nothing to fold, nothing lost
    Chain withVariable = left;
    withVariable[0] = X(1);
    EXPECT_EQ(foldPostfix(withVariable, reporter, error), withVariable);
    EXPECT_FALSE(error.mark());
}

// ---------------------------------------------------------------- cross-check

/// Random expressions over three variables, laid out as the parser does.
class ExpressionMaker {
public:
    explicit ExpressionMaker(unsigned seed) : m_random(seed) {}

    Chain make()
    {
        Chain c;
        expression(c, 5);
        c.push_back(End());
        return c;
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    void leaf(Chain& c)
    {
        static const double constants[] = {0, 1, -1, 2, 3, 0.5, 1.7, -2.5};
        if (pick(2) == 0)
            c.push_back(X(1 + pick(3)));
        else
            c.push_back(C(constants[pick(8)]));
    }

    void expression(Chain& c, int depth)
    {
        if (depth == 0 || pick(10) < 3) {
            leaf(c);
            return;
        }
        static const std::uint8_t binaries[] = {'+', '-', '*', '/', '<', '>', 'A', '*', '+', '-'};
        static const std::uint8_t unaries[] = {'S', 'C', 't', 'E', 'Q', 'L', 'I', '2', '-', 'B'};
        switch (pick(10)) {
        case 0: // a power with a leaf exponent that is never negative
        {
            static const double exponents[] = {0, 1, 2, 3, 0.5, 1.5};
            expression(c, depth - 1);
            if (pick(3) == 0)
                c.push_back(X(1 + pick(3)));
            else
                c.push_back(C(exponents[pick(6)]));
            c.push_back(B('^'));
            return;
        }
        case 1: // IF c THEN a ELSE b, sometimes with equal branches
        {
            expression(c, depth - 1);
            const double v = pick(2) == 0 ? 4.0 : 2.0;
            c.push_back(C(4.0));
            c.push_back(C(v));
            c.push_back(B('H'));
            c.push_back(B('F'));
            return;
        }
        case 2: // x - x and x - (-y)
        {
            const std::uint32_t k = 1 + pick(3);
            c.push_back(X(k));
            if (pick(2) == 0) {
                c.push_back(X(k));
            } else {
                expression(c, depth - 1);
                c.push_back(U('-'));
            }
            c.push_back(B('-'));
            return;
        }
        case 3:
        case 4:
            expression(c, depth - 1);
            c.push_back(U(unaries[pick(10)]));
            return;
        default:
            expression(c, depth - 1);
            expression(c, depth - 1);
            c.push_back(B(binaries[pick(10)]));
            return;
        }
    }

    std::mt19937 m_random;
};

/// True when some subexpression of `chain` takes a special value (BIG, UNDEFINED) or
/// fails: there the folding rules (x * 0 is 0, x / 0 is BIG) knowingly differ from the
/// arithmetic.
bool touchesSpecialValues(const Chain& chain, const double* values)
{
    Reporter reporter;
    Evaluator evaluator(reporter);
    const Chain prefix = toPrefix(chain);
    for (std::size_t p = 0; p < prefix.size(); ++p) {
        if (prefix[p].kind == kind::Binary && prefix[p].op == 'H')
            continue; // two values, only meaningful inside its IF
        const Chain sub(prefix.begin() + static_cast<std::ptrdiff_t>(p),
                        prefix.begin() + static_cast<std::ptrdiff_t>(operandEnd(prefix, p)));
        const double v = evaluator.evaluateReal(toPostfix(sub), values);
        if (evaluator.error().mark() || std::fabs(v) >= BIG || v == UNDEFINED)
            return true;
    }
    return false;
}

TEST(ConstantFolding, FoldingKeepsTheValueOfRandomExpressions)
{
    TranscriptHost host;
    ExpressionMaker maker(20240611);
    const double values[] = {0, 0.737, 1.291, 2.113};
    int compared = 0;
    int changed = 0;
    constexpr int kCases = 3000;
    for (int i = 0; i < kCases; ++i) {
        const Chain chain = maker.make();
        Reporter reporter;
        EvalError foldError;
        const Chain folded = foldPostfix(chain, reporter, foldError);
        if (foldError.mark() || touchesSpecialValues(chain, values))
            continue;
        Evaluator evaluator(reporter);
        const double before = evaluator.evaluateReal(chain, values);
        ASSERT_FALSE(evaluator.error().mark()) << describe(chain);
        const double after = evaluator.evaluateReal(folded, values);
        ASSERT_FALSE(evaluator.error().mark()) << describe(folded);
        EXPECT_NEAR(after, before, 1e-10 * std::max(1.0, std::fabs(before)))
            << describe(chain) << "  folded to  " << describe(folded);
        ++compared;
        changed += folded.size() < chain.size();
    }
    // The filter must leave most cases, and folding must have had work to do.
    EXPECT_GT(compared, kCases / 2);
    EXPECT_GT(changed, compared / 4);
}

} // namespace
