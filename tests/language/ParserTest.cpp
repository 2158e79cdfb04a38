// The parser: the layout of every construct token by token, the grammar's edge cases,
// complex expansion, function files, and every error with its message and position.
#include "Parser.h"

#include "ChainText.h"
#include "FunctionTable.h"
#include "Lexer.h"
#include "NameTable.h"
#include "Reporter.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace varnel;
using varnel::test::chainText;
using varnel::test::TempDir;
using varnel::test::TranscriptHost;
using varnel::test::writeFile;

namespace {

struct Parsed {
    std::string code;
    std::uint8_t relation = ' ';
    std::string eliminate; // name of the variable to eliminate, "" when none
    int lookahead = 0;
    VariableTable variables;
    ParseState state;
    std::vector<std::string> pieces;
};

struct Options {
    bool complex = false;
    std::vector<std::string> realNames;
    std::string folder;
};

Parsed parse(std::string_view text, const Options& options = {})
{
    TranscriptHost host;
    Parsed p;
    Reporter reporter;
    Lexer lexer(p.state, reporter);
    lexer.pushSource(text);
    NameTable names;
    Parser parser(lexer, names, p.variables);
    parser.setComplexMode(options.complex, options.realNames);
    parser.setFunctionFolder(options.folder);
    parser.start();
    const Statement s = parser.parseStatement();
    p.code = chainText(s.code, p.variables);
    p.relation = s.relation;
    p.eliminate = s.eliminate == 0 ? "" : p.variables.names[s.eliminate];
    p.lookahead = parser.lookahead();
    p.pieces = host.pieces;
    return p;
}

struct LayoutCase {
    int line;
    std::string text;
    std::string code;
    unsigned char relation = ' ';
};

void expectLayouts(const std::vector<LayoutCase>& cases, const Options& options = {})
{
    for (const LayoutCase& c : cases) {
        const Parsed p = parse(c.text + ";", options);
        EXPECT_EQ(p.code, c.code) << "case at line " << c.line << ": " << c.text;
        EXPECT_EQ(p.relation, c.relation) << "case at line " << c.line;
        EXPECT_EQ(p.lookahead, ';') << "case at line " << c.line;
        EXPECT_EQ(p.state.errorMessage, "") << "case at line " << c.line;
        EXPECT_FALSE(p.state.abort) << "case at line " << c.line;
    }
}

TEST(Parser, LayoutOfEachConstruct)
{
    expectLayouts({
        // relations at the outermost level: the residual, sign kept
        {__LINE__, "x*x + y = 3", "x x B* y B+ 3 B-", '='},
        {__LINE__, "x - y = 1", "x y B- 1 B-", '='},
        {__LINE__, "x < y", "x y B-", '<'},
        {__LINE__, "x > y", "x y B-", '>'},
        {__LINE__, "x \xBB 2*3", "x 2 3 B* B-", 0xBB},
        {__LINE__, "y \x85 2*x + 1", "y 2 x B* 1 B+ B-", 0x85},
        {__LINE__, "x \xF2 y", "x y", 0xF2},
        {__LINE__, "x + 1", "x 1 B+", ' '},
        // relations inside an expression
        {__LINE__, "(x < y) + 1", "x y B- U- 1 B+"},
        {__LINE__, "(x > y) + 1", "x y B- 1 B+"},
        {__LINE__, "(x = y) + 1", "x y B- 1 B+"},
        {__LINE__, "(x \xBB y) + (x \x85 y)", "x y B- x y B- B+"},
        // IF
        {__LINE__, "IF x > 1 THEN 2 ELSE 3", "x 1 B- 2 3 BH BF"},
        {__LINE__, "IF x < 1 THEN 2 ELSE 3", "x 1 B- U- 2 3 BH BF"},
        {__LINE__, "IF x = 1 THEN 2 ELSE 3", "x 1 B- 2 3 BH BF"},
        {__LINE__, "y = IF x > 1 THEN 2x ELSE x + 1", "y x 1 B- 2 x B* x 1 B+ BH BF B-", '='},
        {__LINE__, "IF (x) THEN (a = b) ELSE b", "x a b B- b BH BF"},
        // functions
        {__LINE__, "SIN(x)", "x US"},
        {__LINE__, "Sin(x)", "x US"},
        {__LINE__, "sin(x)", "x US"},
        {__LINE__, "SIN x + 1", "x 1 B+ US"},
        {__LINE__, "ATAN2(y, x)", "y x BA"},
        {__LINE__, "EQUAL(a, b)", "a b B="},
        {__LINE__, "GAMMP(a, x)", "a x B#E6"},
        {__LINE__, "D(y, x) + INT(y, x)", "y x B#EB y x B#9F B+"},
        {__LINE__, "DELAY(y, 1) + LIM(y, x) + ARG(y, x)", "y 1 B#E7 y x Bl B+ y x Bg B+"},
        {__LINE__, "<(a, b) + >(a, b)", "a b B< a b B> B+"},
        {__LINE__, "<a, b", "a b B<"},
        {__LINE__, "U(x)", "x UU"},
        {__LINE__, "u(x)", "u x B*"},
        {__LINE__, "d(x)", "d x B*"},
        {__LINE__, "SQRT(2)", "2 UQ"},
        {__LINE__, "ERF(x) + GAMMLN(x) + BESSJ0(x) + BESSY1(x)", "x UP x UG B+ x UJ B+ x Uy B+"},
        {__LINE__, "MAG(z) + ANGLE(z) + REAL(z) + IMAG(z) + CONJG(z)",
         "z Um z Ua B+ z Ur B+ z Ui B+ z Uj B+"},
        {__LINE__, "INV(x) + SQUARE(x) + ABS(x) + LN(x) + EXP(x)",
         "x UI x U2 B+ x UB B+ x UL B+ x UE B+"},
        {__LINE__, "ARCSIN(x) + ARCCOS(x) + ARCTAN(x) + COS(x) + TAN(x)",
         "x Us x Uc B+ x Ut B+ x UC B+ x UT B+"},
        // signs, powers, products
        {__LINE__, "-x", "x U-"},
        {__LINE__, "+x", "x"},
        {__LINE__, "a^b^c", "a b B^ c B^"},
        {__LINE__, "x - y - z", "x y B- z B-"},
        {__LINE__, "-x^2", "x 2 B^ U-"},
        {__LINE__, "-a*b + c", "a b B* U- c B+"},
        {__LINE__, "a/b*c", "a b B/ c B*"},
        {__LINE__, "x * -y", "x y U- B*"},
        {__LINE__, "x * -(a)^2", "x a U- 2 B^ B*"},
        {__LINE__, "x * -5", "x -5 B*"},
        {__LINE__, "x^-.5", "x -0.5 B^"},
        {__LINE__, "2x + 3(y - 1) = 0", "2 x B* 3 y 1 B- B* B+ 0 B-", '='},
        {__LINE__, "2 x", "2 x B*"},
        {__LINE__, "x(y + 1)", "x y 1 B+ B*"},
        {__LINE__, "x(2)", "x 2 B*"},
        {__LINE__, "PI(2)", "PI 2 B*"},
        // constants and number forms
        {__LINE__, "PI + \xF0", "PI PI B+"},
        {__LINE__, "?", "?"},
        {__LINE__, "2.5E-3", "0.0025"},
        {__LINE__, "90\xB0", "1.5707963267950003"},
        {__LINE__, "2\xF0", "6.28318530718"},
        {__LINE__, "\xDF", "1~j"},
        {__LINE__,
         "\xDF"
         "5",
         "5~j"},
        {__LINE__,
         "3 + \xDF"
         "2.5",
         "3 2.5~j B+"},
        {__LINE__, "\xDF * x", "1~j x B*"},
        {__LINE__, "\xDF@x", "1~j x B@"},
        // polar form: r (cos t + sin t j)
        {__LINE__, "r@t", "r t UC t US 1~j B* B+ B*"},
        {__LINE__, "2@(PI/4)", "2 PI 4 B/ UC PI 4 B/ US 1~j B* B+ B*"},
        // comments and blanks stand anywhere
        {__LINE__, "{a}x{b} +\t{c}\xB1\xB2\xDB 1\r\n", "x 1 B+"},
        // the 0xB0 prefix ties the constants of its factor to the most recent word
        {__LINE__, "y = {k}\xB0 5", "y 5[k] B-", '='},
        {__LINE__, "y = {k}\xB0(2 + 3)", "y 2[k] 3[k] B+ B-", '='},
        // a name is a variable, exactly as written
        {__LINE__, "X + x + pi + Pi", "X x B+ pi B+ Pi B+"},
        {__LINE__, "a[1] + b'c + \"q\" + \xE1\xF0", "a[1] b'c B+ \"q\" B+ #E1#F0 B+"},
    });
}

TEST(Parser, WorkedExampleNumbersVariablesInOrderOfAppearance)
{
    const Parsed p = parse("x*x + y = 3;");
    ASSERT_EQ(p.variables.count(), 2);
    EXPECT_EQ(p.variables.names[1], "x");
    EXPECT_EQ(p.variables.names[2], "y");
}

TEST(Parser, EliminationMarkNamesTheVariableWithoutTheMark)
{
    const Parsed p = parse("z + \xA2y = 2*x;");
    EXPECT_EQ(p.code, "z y B+ 2 x B* B-");
    EXPECT_EQ(p.eliminate, "y");
    EXPECT_EQ(p.variables.count(), 3);
}

TEST(Parser, DegreePrefixSetsBothMarks)
{
    const Parsed without = parse("y = 5;");
    EXPECT_FALSE(without.state.explicitDefinitions);
    EXPECT_FALSE(without.state.rereadEquations);
    const Parsed with = parse("{k}\xB0 5;");
    EXPECT_TRUE(with.state.explicitDefinitions);
    EXPECT_TRUE(with.state.rereadEquations);
    EXPECT_EQ(with.variables.count(), 1);
}

TEST(Parser, ComplexModeExpandsVariables)
{
    expectLayouts(
        {
            {__LINE__, "z = w + 1", "zr zi~j B+ wr wi~j B+ 1 B+ B-", '='},
            // the real variable stays as it is, the 0xA2-marked one too
            {__LINE__, "P = MAG(V)", "P Vr Vi~j B+ Um B-", '='},
            {__LINE__, "\xA2q + 1", "q 1 B+"},
            // a name with 0x9F is polar: m cos a + j m sin a
            {__LINE__, "S\x9F", "S#9F#F1 S#9F#B0 UC B* S#9F#F1~j S#9F#B0 US B* B+"},
        },
        Options{true, {"P"}, ""});
}

TEST(Parser, ComplexPartsOfALongNameStayApart)
{
    const std::string name(40, 'n');
    const Parsed p = parse(name + ";", Options{true, {}, ""});
    ASSERT_EQ(p.variables.count(), 2);
    EXPECT_EQ(p.variables.names[1], std::string(32, 'n') + "r");
    EXPECT_EQ(p.variables.names[2], std::string(32, 'n') + "i");
}

struct ErrorCase {
    int line;
    std::string text;
    std::string message;
    long position; // characters read when the error was found
};

TEST(Parser, ErrorsTheirMessagesAndPositions)
{
    const std::vector<ErrorCase> cases{
        {__LINE__, "y = (x + 1;", "Error: \")\" expected", 11},
        {__LINE__, "y = SIN(x + 1;", "Error: \")\" expected", 14},
        {__LINE__, "y = (x 2);", "Error: \")\" expected", 8},
        {__LINE__, "ATAN2(y x);", "Comma expected", 9},
        {__LINE__, "IF x > 1 ELSE 3;", "THEN expected", 15},
        {__LINE__, "IF x > 1 THEN 2 3;", "ELSE expected", 18},
        {__LINE__, "IF x > 1 THEN 2 ELSE 3 = 4;", "", 0}, // the then-value is a sum: fine
        {__LINE__, "x = #;", "Illegal Character #35", 5},
        {__LINE__, "x = \x01;", "Illegal Character #1", 5},
        {__LINE__, "x = ;", "Illegal Character #59", 5},
        {__LINE__, "x = 1.e;", "Numeric Format Error", 8},
        {__LINE__, "x = 2*+y;", "Numeric Format Error", 8},
        {__LINE__, "x = %1;", "Error in Function File", 6},
        {__LINE__, "x = ", "Unexpected end of file", 4},
        {__LINE__, "x = \xA2;", "Illegal Character #162", 6},
    };
    for (const ErrorCase& c : cases) {
        const Parsed p = parse(c.text);
        EXPECT_EQ(p.state.errorMessage, c.message) << "case at line " << c.line;
        EXPECT_EQ(p.state.abort, !c.message.empty()) << "case at line " << c.line;
        if (c.message.empty())
            continue;
        EXPECT_EQ(p.state.errorPosition, c.position) << "case at line " << c.line;
        const std::vector<std::string> expected{"\n", c.message, "\n", "Error ..."};
        EXPECT_EQ(p.pieces, expected) << "case at line " << c.line;
    }
}

TEST(Parser, NumberEndsAtSecondDot)
{
    const Parsed p = parse("2.5.3;");
    EXPECT_EQ(p.code, "2.5");
    EXPECT_EQ(p.lookahead, '.');
    EXPECT_FALSE(p.state.abort);
}

TEST(Parser, DeepNestingIsRefusedNotOverflowed)
{
    for (const std::string& opener :
         {std::string("("), std::string("-"), std::string("SIN "), std::string("\xB0")}) {
        std::string text;
        for (int i = 0; i < 100000; ++i)
            text += opener;
        text += "x;";
        const Parsed p = parse(text);
        EXPECT_EQ(p.state.errorMessage, "Expression nested too deeply") << opener;
    }
    // 150 levels are fine.
    const Parsed p = parse(std::string(150, '(') + "x" + std::string(150, ')') + ";");
    EXPECT_EQ(p.code, "x");
    EXPECT_FALSE(p.state.abort);
}

TEST(Parser, NestedPolarFormsStopAtTheTokenBound)
{
    // Every polar form copies its angle twice: 40 nested ones would need 2^40 tokens.
    std::string text = "x";
    for (int i = 0; i < 40; ++i)
        text += "@x";
    const Parsed p = parse(text + ";");
    EXPECT_EQ(p.state.errorMessage, "Equation too long");
    // 10 are fine: n nested forms hold 8*2^n - 7 tokens (r, t, C, t, S, j, *, +, *).
    std::string small = "x";
    for (int i = 0; i < 10; ++i)
        small += "@x";
    const Parsed q = parse(small + ";");
    EXPECT_FALSE(q.state.abort);
    EXPECT_EQ(std::count(q.code.begin(), q.code.end(), ' ') + 1, 8 * 1024 - 7);
}

TEST(Parser, FunctionFileWithTwoParameters)
{
    TempDir dir;
    writeFile(dir / "HYP.fun", "HYP 2\n{hypotenuse} SQRT(%1^2 + %2^2)\n");
    const Options options{false, {}, dir.path().string()};
    for (const std::string& text :
         {std::string("c = HYP(a, b + 1);"), std::string("c = HYP a, b + 1;")}) {
        const Parsed p = parse(text, options);
        EXPECT_EQ(p.code, "c a 2 B^ b 1 B+ 2 B^ B+ UQ B-") << text;
        EXPECT_EQ(p.lookahead, ';') << text;
        EXPECT_EQ(p.state.errorMessage, "") << text;
    }
    // a call inside a product, with a polar form after it
    const Parsed q = parse("2HYP(x, y)@t;", options);
    EXPECT_EQ(q.code, "2 x 2 B^ y 2 B^ B+ UQ t UC t US 1~j B* B+ B* B*");
}

TEST(Parser, FunctionFilesCallingFunctionFiles)
{
    TempDir dir;
    writeFile(dir / "TWICE.FUN", "TWICE 1\n2*%1;\n");
    writeFile(dir / "QUAD.FUN", "QUAD 1\nTWICE(TWICE(%1))\n");
    const Parsed p = parse("y = QUAD(x + 1);", Options{false, {}, dir.path().string()});
    EXPECT_EQ(p.code, "y 2 2 x 1 B+ B* B* B-");
    EXPECT_EQ(p.state.errorMessage, "");
}

TEST(Parser, FunctionFileErrors)
{
    TempDir dir;
    writeFile(dir / "BAD.FUN", "BAD 5\n%1\n");
    writeFile(dir / "NONE.FUN", "NONE\n1\n");
    writeFile(dir / "REF.FUN", "REF 2\n%1 + %3\n");
    writeFile(dir / "SELF.FUN", "SELF 1\nSELF(%1) + 1\n");
    writeFile(dir / "JUNK.FUN", "JUNK 1\n%1 %1\n");
    writeFile(dir / "BODY.FUN", "BODY 1\n(%1\n");
    const Options options{false, {}, dir.path().string()};

    struct Case {
        int line;
        std::string text;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases{
        {__LINE__, "y = BAD(x);", {"Error in Function \"BAD\""}},
        {__LINE__, "y = NONE(x);", {"Error in Function \"NONE\""}},
        {__LINE__, "y = REF(x, 1);", {"Error in Function File", "Error in Function File"}},
        {__LINE__, "y = REF(x 1);", {"Comma expected", "Error in Function File"}},
        {__LINE__, "y = JUNK(x);", {"Error in Function File"}},
        {__LINE__, "y = BODY(x);", {"Error: \")\" expected", "Error in Function File"}},
    };
    for (const Case& c : cases) {
        const Parsed p = parse(c.text, options);
        std::vector<std::string> expected;
        for (const std::string& m : c.messages)
            expected.insert(expected.end(), {"\n", m, "\n", "Error ..."});
        EXPECT_EQ(p.pieces, expected) << "case at line " << c.line;
        EXPECT_TRUE(p.state.abort) << "case at line " << c.line;
    }

    // A function file that calls itself stops at the nesting bound.
    const Parsed p = parse("y = SELF(x);", options);
    ASSERT_FALSE(p.pieces.empty());
    EXPECT_EQ(p.pieces[1], "Function files nested too deeply");
    EXPECT_EQ(p.state.errorMessage, "Error in Function File");
}

TEST(Parser, FunctionFileExtensionInAnyCaseUpperCaseFirst)
{
    TempDir dir;
    writeFile(dir / "K.fun", "K 1\n%1 + 1\n");
    writeFile(dir / "L.Fun", "L 1\n%1 + 3\n");
    std::filesystem::create_directory(dir / "M.FUN");
    const Options options{false, {}, dir.path().string()};
    EXPECT_EQ(parse("K(x) + L(x) + M(x);", options).code, "x 1 B+ x 3 B+ B+ M x B* B+");
    writeFile(dir / "K.FUN", "K 1\n%1 + 2\n");
    EXPECT_EQ(parse("K(x);", options).code, "x 2 B+");
}

TEST(Parser, FunctionFileInTheWorkingDirectoryComesFirst)
{
    TempDir here;
    TempDir beside;
    writeFile(here / "F.FUN", "F 1\n%1 + 1\n");
    writeFile(beside / "F.FUN", "F 1\n%1 + 2\n");
    const auto saved = std::filesystem::current_path();
    std::filesystem::current_path(here.path());
    const Parsed p = parse("F(x);", Options{false, {}, beside.path().string()});
    std::filesystem::current_path(saved);
    EXPECT_EQ(p.code, "x 1 B+");
}

} // namespace
