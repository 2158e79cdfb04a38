// The equation printer: parentheses against the two tables, calls, IF, marked numbers,
// the number format, the forms of printed equations, line breaking, broken chains; and
// over random expressions, that printed text reads back to the same values and carries
// no parentheses beyond those the tables ask for.
#include "EquationPrinter.h"

#include "Code.h"
#include "Evaluator.h"
#include "GuardedMath.h"
#include "LineWriter.h"
#include "Operations.h"
#include "PrinterTestSupport.h"
#include "Reporter.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace varnel;
using varnel::test::readSet;
using varnel::test::readStatement;
using varnel::test::TranscriptHost;

namespace {

/// The printed text of the expression that `text` reads as.
std::string printedExpression(const std::string& text)
{
    VariableTable variables;
    const auto read = readStatement(text, variables);
    EXPECT_TRUE(read.ok) << text;
    Reporter reporter;
    EquationPrinter printer(variables, reporter);
    std::string out;
    EXPECT_TRUE(printer.printExpression(toPrefix(read.postfix), out)) << text;
    return out;
}

/// The printed text of a postfix chain built by hand (names x, y).
std::string printedChain(const Chain& postfix)
{
    VariableTable variables;
    variables.add("x");
    variables.add("y");
    Reporter reporter;
    EquationPrinter printer(variables, reporter);
    std::string out;
    EXPECT_TRUE(printer.printExpression(toPrefix(postfix), out));
    return out;
}

/// What printEquation writes for the statement `text`, its relation replaced by
/// `relation` unless that is 0.
std::string printedEquation(const std::string& text, int relation = 0)
{
    VariableTable variables;
    const auto read = readStatement(text, variables);
    EXPECT_TRUE(read.ok) << text;
    Reporter reporter;
    EquationPrinter printer(variables, reporter);
    std::string out;
    LineWriter writer(out);
    const auto r = relation != 0 ? static_cast<std::uint8_t>(relation) : read.relation;
    EXPECT_TRUE(printer.printEquation(toPrefix(read.postfix), r, writer)) << text;
    return out;
}

Token V(double v, std::uint8_t numberForm = form::Real, std::uint32_t index = 0)
{
    return makeToken(kind::Constant, numberForm, index, v);
}
Token X(std::uint32_t k, std::uint8_t numberForm = form::Real)
{
    return makeToken(kind::Variable, numberForm, k, 0.0);
}
Token B(std::uint8_t code)
{
    return makeBinaryToken(code);
}
Token U(std::uint8_t code)
{
    return makeUnaryToken(code);
}

struct TextCase {
    int line;
    std::string input;
    std::string expected;
};

TEST(EquationPrinter, ParenthesesFollowTheTables)
{
    const std::vector<TextCase> cases = {
        {__LINE__, "a-(b-c)", "a-(b-c)"},
        {__LINE__, "(a-b)-c", "a-b-c"},
        {__LINE__, "a/(b*c)", "a/(b*c)"},
        {__LINE__, "(a*b)/c", "a*b/c"},
        {__LINE__, "x^(-2)", "x^(-2.0000000)"},
        {__LINE__, "x^-2", "x^(-2.0000000)"},
        {__LINE__, "-(a+b)", "-(a+b)"},
        {__LINE__, "-x", "-x"},
        {__LINE__, "a+(b+c)", "a+b+c"},
        {__LINE__, "a-(b+c)", "a-(b+c)"},
        {__LINE__, "a*(b*c)", "a*b*c"},
        {__LINE__, "a*(b/c)", "a*b/c"},
        {__LINE__, "a/(b/c)", "a/(b/c)"},
        {__LINE__, "(a+b)*(c-d)", "(a+b)*(c-d)"},
        {__LINE__, "(a/b)^2", "(a/b)^2.0000000"},
        {__LINE__, "a^b^c", "(a^b)^c"},
        {__LINE__, "a^(b^c)", "a^(b^c)"},
        {__LINE__, "(-a)*b", "(-a)*b"},
        {__LINE__, "-a*b", "-a*b"},
        {__LINE__, "a+(-b)", "a+(-b)"},
        {__LINE__, "a-(-b)", "a-(-b)"},
        {__LINE__, "-(-a)", "-(-a)"},
        {__LINE__, "a*-3", "a*(-3.0000000)"},
        {__LINE__, "-3+a", "-3.0000000+a"},
        {__LINE__, "(-3)^a", "(-3.0000000)^a"},
        {__LINE__, "-a^2", "-a^2.0000000"},
        {__LINE__, "(-a)^2", "(-a)^2.0000000"},
        {__LINE__, "x(y+1)", "x*(y+1.0000000)"},
        // calls: one-argument names, two-argument names, comparisons
        {__LINE__, "SIN(x)^2", "SIN(x)^2.0000000"},
        {__LINE__, "-SQRT(x*x+1)", "-SQRT(x*x+1.0000000)"},
        {__LINE__, "ATAN2(y,x-1)", "ATAN2(y,x-1.0000000)"},
        {__LINE__, "GAMMP(a,x)*2", "GAMMP(a,x)*2.0000000"},
        {__LINE__, "EQUAL(a,b)", "EQUAL(a,b)"},
        {__LINE__, "D(y,x)+INT(y,x)", "D(y,x)+INT(y,x)"},
        {__LINE__, "DELAY(y,1)-LIM(y,x)/ARG(y,x)", "DELAY(y,1.0000000)-LIM(y,x)/ARG(y,x)"},
        {__LINE__, "<(a,b)+x", "(a<b)+x"},
        {__LINE__, "x*>(a,b)", "x*(a>b)"},
        {__LINE__, "U(x)*u", "U(x)*u"},
        // IF
        {__LINE__, "IF x > 1 THEN 2 ELSE 3", "(IF(x-1.0000000) THEN(2.0000000) ELSE(3.0000000))"},
        {__LINE__, "IF x < 1 THEN y ELSE IF y > 0 THEN 1 ELSE 2",
         "(IF(-(x-1.0000000)) THEN(y) ELSE((IF(y-0.0000000) THEN(1.0000000) ELSE(2.0000000))))"},
        {__LINE__, "2*IF x > 0 THEN x ELSE -x", "2.0000000*(IF(x-0.0000000) THEN(x) ELSE(-x))"},
        // numbers and named constants
        {__LINE__, "PI*r^2", "PI*r^2.0000000"},
        {__LINE__, "\xDF",
         "\xDF"
         "1.0000000"},
        {__LINE__,
         "\xDF"
         "2.5*x",
         "\xDF"
         "2.5000000*x"},
        {__LINE__, "2e5+1e-5+0.5", "2.000000e+05+1.000000e-05+0.5000000"},
        {__LINE__, "?+x", "?+x"},
        {__LINE__, "90\xB0", "1.5707963267950003"}, // folded: no longer in degrees
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(printedExpression(c.input), c.expected) << "case at line " << c.line;
}

TEST(EquationPrinter, MarkedNumbersAndVariables)
{
    const std::vector<std::pair<Chain, std::string>> cases = {
        // imaginary constants: the unit goes before the digits, a sign before the unit
        {{V(-2.0, form::Imaginary)},
         "-\xDF"
         "2.0000000"},
        {{X(1), V(-2.0, form::Imaginary), B('*')},
         "x*(-\xDF"
         "2.0000000)"},
        {{V(2.0, form::Imaginary), X(1), B('^')},
         "\xDF"
         "2.0000000^x"},
        // a constant made under the degree-sign prefix reads back in degrees
        {{V(1.5707963267950003, form::Real, 1)}, "90.0000000\xB0"},
        {{X(1), V(-1.5707963267950003, form::Real, 1), B('*')}, "x*(-90.0000000\xB0)"},
        // an imaginary variable is the imaginary unit times the variable
        {{X(1, form::Imaginary)}, "\xDF*x"},
        {{X(2), X(1, form::Imaginary), B('^')}, "y^(\xDF*x)"},
        {{X(1, form::Imaginary), X(2), B('^')}, "(\xDF*x)^y"},
        // the unit phasor and the named constants
        {{V(0.5, form::Phasor), X(1), B('*')}, "(1.0000000@0.5000000)*x"},
        {{V(kPi, form::Pi), V(UNDEFINED, form::Undefined), B('+')}, "PI+?"},
        {{V(-0.0)}, "0.0000000"},
    };
    for (const auto& [postfix, expected] : cases)
        EXPECT_EQ(printedChain(postfix), expected);
}

TEST(EquationPrinter, NumbersInTheResultTableFormat)
{
    const std::vector<std::pair<double, std::string>> cases = {
        {0.5, "0.5000000"},
        {99999.99, "99999.9900000"},
        {100000.0, "1.000000e+05"},
        {-123456.7, "-1.234567e+05"},
        {1.1e-5, "0.0000110"},
        {1e-5, "1.000000e-05"},
        {2e-50, "2.000000e-50"},
        {1e-50, "0.0000000"},
        {0.0, "0.0000000"},
        {-0.0, "0.0000000"},
        {1e300, "1.000000e+300"},
        {std::numeric_limits<double>::infinity(), "1.000000e+50"},
        {-std::numeric_limits<double>::infinity(), "-1.000000e+50"},
        {std::numeric_limits<double>::quiet_NaN(), "8.18181818e-50"}, // the marker itself
        // Digits that the table's form would round away are all written.
        {1.0 / 3.0, "0.3333333333333333"},
        {0.8530684546110345, "0.8530684546110345"},
        {-1.234567e-4, "-0.0001234567"},
        {6.02214076e23, "6.02214076e+23"},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(printedNumber(value), expected) << value;
}

TEST(EquationPrinter, EquationForms)
{
    const std::vector<std::tuple<int, std::string, int, std::string>> cases = {
        {__LINE__, "x = 2*y", 0, "x=2.0000000*y; "},
        {__LINE__, "2*y-x", '=', "2.0000000*y-x=0; "},
        {__LINE__, "x + y = 3", 0, "x+y=3.0000000; "},
        {__LINE__, "3 = x + y", 0, "x+y=3.0000000; "},
        {__LINE__, "x = 2 - 3", 0, "x=-1.0000000; "},
        {__LINE__, "2*3 = x", 0, "x=6.0000000; "},
        // inequalities keep their relation, and turn when the sides change places
        {__LINE__, "x < y*2", 0, "x<y*2.0000000; "},
        {__LINE__, "x > 1", 0, "x>1.0000000; "},
        {__LINE__, "3 < x + y", 0, "x+y>3.0000000; "},
        // residuals that are sums: the constant changes sign, the variable takes a minus
        {__LINE__, "x + 2", '=', "x=-2.0000000; "},
        {__LINE__, "x + y", '=', "-x=y; "},
        {__LINE__, "x + y", '<', "-x>y; "},
        // no relation, a root that is not a difference, the relations without operation
        {__LINE__, "x*y - 1", 0, "x*y-1.0000000; "},
        {__LINE__, "x*y", '=', "x*y=0; "},
        {__LINE__, "y \x85 2*x + 1", 0,
         "y\x85"
         "2.0000000*x+1.0000000; "},
        {__LINE__, "x \xF2 y", 0, "x\xF2y; "},
    };
    for (const auto& [line, text, relation, expected] : cases)
        EXPECT_EQ(printedEquation(text, relation), expected) << "case at line " << line;

    // An imaginary variable on the left keeps its unit.
    VariableTable variables;
    variables.add("zi");
    variables.add("y");
    Reporter reporter;
    EquationPrinter printer(variables, reporter);
    std::string out;
    LineWriter writer(out);
    ASSERT_TRUE(printer.printEquation(
        toPrefix({X(1, form::Imaginary), X(2), B('-'), makeToken(kind::End, ' ', 0, 0.0)}), '=',
        writer));
    EXPECT_EQ(out, "\xDF*zi=y; ");
}

TEST(EquationPrinter, ConstantAfterARelationNearTheEdgeStartsANewLine)
{
    const std::string n1(33, 'a'), n2(33, 'b');
    // "n1*n2*c>" ends at column 70: a 12-character number reaches 82, a 9-character one not.
    EXPECT_EQ(printedEquation(n1 + "*" + n2 + "*c > 100000"),
              n1 + "*" + n2 + "*c>\n1.000000e+05; ");
    EXPECT_EQ(printedEquation(n1 + "*" + n2 + "*c > 5"), n1 + "*" + n2 + "*c>5.0000000;\n ");
}

TEST(EquationPrinter, BrokenChainsEndPrematurely)
{
    VariableTable variables;
    variables.add("x");
    const std::vector<Chain> broken = {
        {},                               // nothing to print
        {B('+'), V(1.0)},                 // an operand missing
        {U('S')},                         // an argument missing
        {B('*'), X(1), X(7)},             // a variable outside the table
        {B('+'), V(1.0), V(2.0), V(3.0)}, // tokens left over
    };
    for (const Chain& prefix : broken) {
        TranscriptHost host;
        Reporter reporter;
        EquationPrinter printer(variables, reporter);
        std::string text = "kept";
        EXPECT_FALSE(printer.printExpression(prefix, text));
        EXPECT_EQ(text, "kept");
        EXPECT_TRUE(reporter.runError);
        ASSERT_GE(host.pieces.size(), 1u);
        EXPECT_EQ(host.pieces[0], "Equation Ended Prematurely");
        EXPECT_EQ(host.beeps, 1);
    }

    // A run that has failed already prints nothing.
    TranscriptHost host;
    Reporter reporter;
    reporter.runError = true;
    EquationPrinter printer(variables, reporter);
    std::string out;
    LineWriter writer(out);
    EXPECT_FALSE(printer.printEquation({B('-'), V(1.0), X(1)}, '=', writer));
    EXPECT_EQ(out, "");
    ASSERT_GE(host.pieces.size(), 1u);
    EXPECT_EQ(host.pieces[0], "Equation Ended Prematurely");
}

TEST(EquationPrinter, DeepChainsPrintWithoutRecursion)
{
    constexpr int kDepth = 100000;
    Chain leftDeep{X(1)}, rightDeep(kDepth, X(2)), negations{X(1)};
    for (int k = 0; k < kDepth; ++k) {
        leftDeep.push_back(X(2));
        leftDeep.push_back(B('-'));
        negations.push_back(U('-'));
    }
    rightDeep.push_back(X(1));
    rightDeep.insert(rightDeep.end(), kDepth, B('*'));
    const std::string left = printedChain(leftDeep);
    EXPECT_EQ(left.size(), 1u + 2u * kDepth);
    EXPECT_EQ(left.substr(0, 6), "x-y-y-");
    const std::string right = printedChain(rightDeep);
    EXPECT_EQ(right.size(), 1u + 2u * kDepth);
    EXPECT_EQ(right.substr(right.size() - 4), "*y*x");
    const std::string negated = printedChain(negations);
    EXPECT_EQ(negated.size(), 1u + 3u * kDepth - 2u);
    EXPECT_EQ(negated.substr(0, 6), "-(-(-(");
}

// ---- Line breaking ----------------------------------------------------------------------

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines(1);
    for (const char c : text) {
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    return lines;
}

std::string joined(int from, int to, const std::string& prefix, const std::string& separator)
{
    std::string s;
    for (int k = from; k <= to; ++k)
        s += (k > from ? separator : "") + prefix + std::to_string(k);
    return s;
}

/// The printed text of `text` written through the line writer.
std::string wrapped(const std::string& text)
{
    std::string out;
    LineWriter writer(out);
    writer.writePrinted(printedExpression(text));
    return out;
}

TEST(LineWriter, BreaksPrintedLines)
{
    // After "+" once past column 68: 18 terms of 4 columns end at 72.
    EXPECT_EQ(wrapped(joined(10, 39, "v", "+")),
              joined(10, 27, "v", "+") + "+\n" + joined(28, 39, "v", "+"));
    // After "*" only once past column 72: the 19th "*" is at 76.
    EXPECT_EQ(wrapped(joined(10, 39, "v", "*")),
              joined(10, 28, "v", "*") + "*\n" + joined(29, 39, "v", "*"));
    // Always at column 80, here after a comma.
    const std::string n(33, 'n');
    EXPECT_EQ(wrapped("GAMMP(" + n + ",GAMMP(" + n + ",GAMMP(a,b)))"),
              "GAMMP(" + n + ",GAMMP(" + n + ",\nGAMMP(a,b)))");
    // Blanks do not count: the ")" at column 71 breaks the line, " ELSE" goes on.
    const std::string m(30, 'm');
    EXPECT_EQ(wrapped("IF " + m + " THEN " + m + " ELSE 1"),
              "(IF(" + m + ") THEN(" + m + ")\n ELSE(1.0000000))");
}

TEST(LineWriter, NeverSplitsNamesOrNumbers)
{
    // Names of 20 characters: the fourth would pass column 80, so it starts a new line;
    // numbers with exponent signs are not broken at their "-".
    std::string sum;
    for (int k = 1; k <= 12; ++k)
        sum += std::string(k > 1 ? "*" : "") + std::string(19, 'q') + std::to_string(k % 10);
    std::string numbers;
    for (int k = 1; k <= 12; ++k)
        numbers += std::string(k > 1 ? "+" : "") + "2.5e-7*x" + std::to_string(k);
    for (const std::string& text : {sum, numbers}) {
        VariableTable variables;
        const auto read = readStatement(text, variables);
        ASSERT_TRUE(read.ok);
        Reporter reporter;
        EquationPrinter printer(variables, reporter);
        std::string out;
        LineWriter writer(out);
        ASSERT_TRUE(printer.printEquation(toPrefix(read.postfix), ' ', writer));
        for (const std::string& line : linesOf(out))
            EXPECT_LE(line.size(), 80u) << line;
        // Read back, the broken text is the same chain.
        VariableTable again;
        const auto back = readStatement(out.substr(0, out.rfind(';')), again);
        ASSERT_TRUE(back.ok) << out;
        EXPECT_EQ(back.postfix, read.postfix) << out;
    }
    EXPECT_EQ(linesOf(wrapped(sum))[0].size(), 63u);
}

TEST(LineWriter, CopiedTextKeepsItsLines)
{
    std::string out;
    LineWriter writer(out);
    const std::string comment = "{ " + std::string(100, 'c') + " - + * / = ( ) }";
    writer.copy(comment + "a\r\nb\rc\n\r\nd");
    EXPECT_EQ(out, comment + "a\nb\nc\n\nd");
    EXPECT_EQ(writer.column(), 1); // "d"; comment characters do not count
    writer.copy("{ open");
    writer.closeComment();
    EXPECT_EQ(out.substr(out.size() - 7), "{ open}");
}

// ---- Properties over random expressions -------------------------------------------------

/// Random expressions in postfix order over the variables 1..4: every operation of the
/// table, nested IFs, and with `complexMarks` imaginary constants and variables, unit
/// phasors, and constants made under the degree-sign prefix. Constants are printed
/// exactly, so a difference in value can only come from the text.
class RandomExpressions {
public:
    RandomExpressions(unsigned seed, bool complexMarks) : m_random(seed), m_marks(complexMarks)
    {
        for (const OperationInfo& row : operationTable())
            if (row.operation != Operation::Then)
                m_operations.push_back(row.operation);
    }

    Chain make(int depth)
    {
        Chain c;
        append(c, depth);
        c.push_back(makeToken(kind::End, ' ', 0, 0.0));
        return c;
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    void leaf(Chain& c)
    {
        const int k = pick(m_marks ? 10 : 7);
        switch (k) {
        case 0:
        case 1:
        case 2:
            c.push_back(makeVariable(static_cast<std::uint32_t>(1 + pick(4))));
            return;
        case 3:
            c.push_back(makeConstant((pick(1601) - 800) / 8.0));
            return;
        case 4: {
            static const double wide[] = {1.25e6, -3.5e-8, 2.5e-7, 7.0e12, 1e-5, 100000.0};
            c.push_back(makeConstant(wide[pick(6)]));
            return;
        }
        case 5:
            c.push_back(makeToken(kind::Constant, form::Pi, 0, kPi));
            return;
        case 6:
            c.push_back(makeToken(kind::Constant, form::Real, 1,
                                  (pick(721) - 360) * kPi * 0.005555555555555556));
            return;
        case 7:
            c.push_back(makeToken(kind::Constant, form::Imaginary, 0, (pick(81) - 40) / 4.0));
            return;
        case 8:
            c.push_back(makeToken(kind::Variable, form::Imaginary,
                                  static_cast<std::uint32_t>(1 + pick(4)), 0.0));
            return;
        default:
            c.push_back(makeToken(kind::Constant, form::Phasor, 0, pick(64) / 8.0));
            return;
        }
    }

    void append(Chain& c, int depth)
    {
        if (depth == 0 || pick(4) == 0) {
            leaf(c);
            return;
        }
        const Operation op =
            m_operations[static_cast<std::size_t>(pick(static_cast<int>(m_operations.size())))];
        const OperationInfo& row = operationInfo(op);
        if (op == Operation::If) {
            append(c, depth - 1);
            append(c, depth - 1);
            append(c, depth - 1);
            c.push_back(makeOperationToken(Operation::Then));
            c.push_back(makeOperationToken(Operation::If));
            return;
        }
        append(c, depth - 1);
        if (row.arity == 2)
            append(c, depth - 1);
        c.push_back(makeOperationToken(op));
    }

    std::mt19937 m_random;
    bool m_marks;
    std::vector<Operation> m_operations;
};

/// Tokens that read back as other code of the same value: marked constants and variables,
/// phasors, and the comparisons, which read back as differences.
bool hasMarks(const Chain& c)
{
    for (const Token& t : c)
        if ((t.kind == kind::Constant && (t.index != 0 || t.op == form::Phasor)) ||
            (t.kind == kind::Variable && t.op != form::Real) ||
            (t.kind == kind::Binary && (t.op == '<' || t.op == '>')))
            return true;
    return false;
}

struct Value {
    std::complex<double> v;
    bool error = false;
};

Value evaluate(const Chain& postfix, const VariableTable& variables, bool complexMode)
{
    Reporter reporter;
    Evaluator evaluator(reporter);
    evaluator.complexMode = complexMode;
    Value r;
    r.v = evaluator.evaluate(postfix, variables.values.data());
    r.error = evaluator.error().mark();
    return r;
}

/// The chain as its printed text means it: a comparison a < b is -(a - b) and a > b is
/// a - b, an imaginary variable is the imaginary unit times the variable, a negative number
/// is the negation of its magnitude. (The comparisons do not pass UNDEFINED on as a
/// difference does, and in complex arithmetic j*w and -(v) have signed zeros that w in the
/// imaginary form and the constant -v have not, which the branch cuts of ATAN2 and the
/// inverse functions tell apart; so only this chain matches the text everywhere.)
Chain asPrinted(const Chain& postfix)
{
    Chain out;
    for (const Token& t : postfix) {
        if (t.kind == kind::Binary && (t.op == '<' || t.op == '>')) {
            out.push_back(makeBinaryToken('-'));
            if (t.op == '<')
                out.push_back(makeUnaryToken('-'));
        } else if (t.kind == kind::Variable && t.op == form::Imaginary) {
            out.push_back(makeImaginaryUnit());
            out.push_back(makeVariable(t.index));
            out.push_back(makeBinaryToken('*'));
        } else if (t.kind == kind::Constant && t.op != form::Phasor && t.value < 0.0) {
            Token magnitude = t;
            magnitude.value = -t.value;
            out.push_back(magnitude);
            out.push_back(makeUnaryToken('-'));
        } else {
            out.push_back(t);
        }
    }
    return out;
}

bool close(std::complex<double> a, std::complex<double> b)
{
    return std::abs(a - b) <= 1e-9 + 1e-6 * std::max(std::abs(a), std::abs(b));
}

/// Prints `postfix`, reads the text back, and compares the values at random points;
/// counts the points compared in `compared`.
void expectSameValues(const Chain& postfix, VariableTable& variables, std::mt19937& random,
                      bool complexMode, int& compared)
{
    Reporter reporter;
    EquationPrinter printer(variables, reporter);
    std::string text;
    ASSERT_TRUE(printer.printExpression(toPrefix(postfix), text));
    VariableTable readVariables;
    const auto read = readStatement(text, readVariables);
    ASSERT_TRUE(read.ok) << text;
    ASSERT_EQ(read.relation, ' ') << text;

    std::uniform_real_distribution<double> point(-3.0, 3.0);
    for (int trial = 0; trial < 3; ++trial) {
        for (int k = 1; k <= variables.count(); ++k)
            variables.values[static_cast<std::size_t>(k)] = point(random);
        for (int k = 1; k <= readVariables.count(); ++k)
            readVariables.values[static_cast<std::size_t>(k)] =
                variables.values[static_cast<std::size_t>(
                    variables.find(readVariables.names[static_cast<std::size_t>(k)]))];
        const Value a = evaluate(asPrinted(postfix), variables, complexMode);
        if (a.error || std::abs(a.v) > 1e12)
            continue; // outside the domain, or too large to compare at printed precision
        const Value b = evaluate(read.postfix, readVariables, complexMode);
        ASSERT_FALSE(b.error) << text;
        ++compared;
        ASSERT_TRUE(close(a.v, b.v)) << text << "\n" << a.v << " read back as " << b.v;
    }

    // Printing what was read gives the same text, unless marks were turned into products.
    if (!hasMarks(postfix)) {
        EquationPrinter again(readVariables, reporter);
        std::string second;
        ASSERT_TRUE(again.printExpression(toPrefix(read.postfix), second));
        EXPECT_EQ(second, text);
    }
}

TEST(EquationPrinterProperty, PrintedTextReadsBackToTheSameValues)
{
    VariableTable variables;
    for (const char* name : {"x", "y", "z", "w"})
        variables.add(name);
    std::mt19937 random(20261208);
    for (const bool complexMode : {false, true}) {
        RandomExpressions expressions(complexMode ? 7u : 3u, complexMode);
        int compared = 0;
        for (int n = 0; n < 3000; ++n) {
            const Chain postfix = expressions.make(1 + n % 6);
            expectSameValues(postfix, variables, random, complexMode, compared);
            if (::testing::Test::HasFatalFailure())
                return;
        }
        EXPECT_GT(compared, 4000) << (complexMode ? "complex" : "real");
    }
}

/// The pairs of grouping parentheses of `text` (not those of calls): positions of "(".
std::vector<std::size_t> groupingPairs(const std::string& text)
{
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '(')
            continue;
        const bool call = i > 0 && std::isalnum(static_cast<unsigned char>(text[i - 1]));
        if (!call)
            open.push_back(i);
    }
    return open;
}

std::size_t matching(const std::string& text, std::size_t open)
{
    int depth = 0;
    for (std::size_t i = open; i < text.size(); ++i) {
        if (text[i] == '(')
            ++depth;
        else if (text[i] == ')' && --depth == 0)
            return i;
    }
    return std::string::npos;
}

/// The pairs that the tables keep although the grammar would read the same code without
/// them: a negation or negative number as an operand, a power as the base of a power, the
/// whole of an IF, and a comparison.
bool keptByTheTables(const std::string& text, std::size_t open, std::size_t close)
{
    const std::string inner = text.substr(open + 1, close - open - 1);
    if (inner.rfind("IF(", 0) == 0 || inner.rfind('-', 0) == 0)
        return true;
    const bool powerBase = close + 1 < text.size() && text[close + 1] == '^';
    int depth = 0;
    for (const char c : inner) {
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        if (depth == 0 && (c == '<' || c == '>' || (powerBase && c == '^')))
            return true;
    }
    return false;
}

TEST(EquationPrinterProperty, NoParenthesesBeyondTheTables)
{
    VariableTable variables;
    for (const char* name : {"x", "y", "z", "w"})
        variables.add(name);
    RandomExpressions expressions(11u, false);
    int removed = 0;
    for (int n = 0; n < 3000; ++n) {
        const Chain postfix = expressions.make(1 + n % 6);
        Reporter reporter;
        EquationPrinter printer(variables, reporter);
        std::string text;
        ASSERT_TRUE(printer.printExpression(toPrefix(postfix), text));
        VariableTable v1;
        const auto withPair = readStatement(text, v1);
        ASSERT_TRUE(withPair.ok) << text;
        for (const std::size_t open : groupingPairs(text)) {
            const std::size_t close = matching(text, open);
            ASSERT_NE(close, std::string::npos) << text;
            std::string without = text;
            without.erase(close, 1);
            without.erase(open, 1);
            VariableTable v2;
            const auto read = readStatement(without, v2);
            ++removed;
            const bool same = read.ok && read.relation == ' ' && read.postfix == withPair.postfix &&
                              v1.names == v2.names;
            if (same) {
                EXPECT_TRUE(keptByTheTables(text, open, close))
                    << "needless parentheses at " << open << " in " << text;
            }
        }
    }
    EXPECT_GT(removed, 500);
}

} // namespace
