// The operation table: the function-name tables it spells against the language's own
// lists, the inverse column against the functions it claims to undo, and the real and
// complex columns against each other on real arguments.
#include "Operations.h"

#include "FunctionTable.h"
#include "Reporter.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace varnel;

namespace {

TEST(Operations, EveryValuedRowHasItsRealAndComplexFunctions)
{
    for (std::size_t i = 0; i < kOperationCount; ++i) {
        const OperationInfo& row = operationInfo(static_cast<Operation>(i));
        const bool valued = row.stack == StackEffect::Apply;
        if (row.tokenKind == kind::Binary) {
            EXPECT_EQ(valued, row.realBinary != nullptr && row.complexBinary != nullptr) << i;
        } else {
            EXPECT_TRUE(valued) << i;
            EXPECT_TRUE(row.realUnary != nullptr && row.complexUnary != nullptr) << i;
        }
    }
}

TEST(Operations, FunctionNameTablesAreTheLanguagesTables)
{
    const std::vector<std::string> firstNames{
        "SIN",  "COS",    "TAN",    "ARCSIN", "ARCCOS", "ARCTAN", "ATAN2", "EXP", "LN",  "-",
        "INV",  "SQUARE", "SQRT",   "ABS",    "U",      "IF",     "<",     ">",   "=",   "THEN",
        "REAL", "IMAG",   "CONJG",  "MAG",    "ANGLE",  "D",      "DELAY", "INT", "LIM", "ARG",
        "ERF",  "BESSJ0", "BESSJ1", "BESSY0", "BESSY1", "GAMMLN", "GAMMP"};
    const std::string firstCodes = "SCTsctAEL-I2QBUF<>=Hrijma\xEB\xE7\x9FlgPJ1YyG\xE6";
    ASSERT_EQ(kFunctionNames.size(), firstNames.size());
    for (std::size_t k = 0; k < firstNames.size(); ++k) {
        EXPECT_EQ(kFunctionNames[k].name, firstNames[k]) << "entry " << k + 1;
        EXPECT_EQ(kFunctionNames[k].code, static_cast<unsigned char>(firstCodes[k]))
            << "entry " << k + 1;
    }

    const std::vector<std::string> secondNames{"ATAN2", "IF",    "<",   ">",   "EQUAL", "THEN",
                                               "D",     "DELAY", "INT", "LIM", "ARG",   "GAMMP"};
    const std::vector<unsigned char> secondCodes{'A',  'F',  '<',  '>', '=', 'H',
                                                 0xEB, 0xE7, 0x9F, 'l', 'g', 0xE6};
    ASSERT_EQ(kTwoArgumentNames.size(), secondNames.size());
    for (std::size_t k = 0; k < secondNames.size(); ++k) {
        EXPECT_EQ(kTwoArgumentNames[k].name, secondNames[k]) << "entry " << k + 1;
        EXPECT_EQ(kTwoArgumentNames[k].code, secondCodes[k]) << "entry " << k + 1;
    }
}

TEST(Operations, EveryInverseUndoesItsFunction)
{
    test::TranscriptHost host;
    Reporter reporter;
    EvalError error;
    MathContext context{reporter, error};
    int inverses = 0;
    for (const OperationInfo& row : operationTable()) {
        if (!row.inverse)
            continue;
        ++inverses;
        const OperationInfo& inverse = operationInfo(*row.inverse);
        ASSERT_EQ(row.arity, 1) << row.name;
        ASSERT_EQ(inverse.arity, 1) << row.name;
        // Inside every domain and on the principal branch of every inverse.
        for (double x : {0.3, 0.8}) {
            const double back = inverse.realUnary(row.realUnary(x, context), context);
            EXPECT_NEAR(back, x, 1e-12) << row.name << " at " << x;
            const Complex z{x, 0.0};
            const Complex backZ = inverse.complexUnary(row.complexUnary(z, context), context);
            EXPECT_NEAR(std::abs(backZ - z), 0.0, 1e-12) << row.name << " at " << x;
        }
    }
    EXPECT_FALSE(error.mark()) << error.message();
    EXPECT_EQ(inverses, 15);
}

TEST(Operations, RealAndComplexFunctionsAgreeOnRealArguments)
{
    test::TranscriptHost host;
    Reporter reporter;
    EvalError error;
    MathContext context{reporter, error};
    for (const OperationInfo& row : operationTable()) {
        for (double a : {0.3, 0.7}) { // inside every domain
            Complex complex;
            double real = 0.0;
            if (row.arity == 1) {
                real = row.realUnary(a, context);
                complex = row.complexUnary({a, 0.0}, context);
            } else if (row.stack == StackEffect::Apply) {
                const double b = 1.9 - a;
                real = row.realBinary(a, b, context);
                complex = row.complexBinary({a, 0.0}, {b, 0.0}, context);
            } else {
                continue; // IF and THEN act on the stack only
            }
            const double scale = std::max(1.0, std::fabs(real));
            EXPECT_NEAR(complex.real(), real, 1e-13 * scale) << row.spelling << " at " << a;
            EXPECT_NEAR(complex.imag(), 0.0, 1e-13 * scale) << row.spelling << " at " << a;
        }
    }
    EXPECT_FALSE(error.mark()) << error.message();
}

TEST(Operations, ParenthesesOfThePrinter)
{
    namespace p = precedence;
    struct Case {
        Operation op;
        bool right;
        std::uint8_t operand;
        bool parenthesized;
    };
    const std::vector<Case> cases{
        {Operation::Subtract, true, p::Subtract, true},      // a-(b-c)
        {Operation::Subtract, false, p::Subtract, false},    // a-b-c
        {Operation::Divide, true, p::Multiply, true},        // a/(b*c)
        {Operation::Divide, false, p::Multiply, false},      // a*b/c
        {Operation::Power, true, p::NegativeConstant, true}, // x^(-2)
        {Operation::Power, false, p::Power, true},           // (a^b)^c
        {Operation::Add, true, p::Negation, true},           // a+(-b)
        {Operation::Add, false, p::Subtract, false},         // a-b+c
        {Operation::Multiply, true, p::Function, false},     // a*SIN(b)
        {Operation::Negate, true, p::Add, true},             // -(a+b)
        {Operation::Negate, true, p::Variable, false},       // -x
    };
    for (const Case& c : cases) {
        const OperationInfo& row = operationInfo(c.op);
        const PrecedenceSet set = c.right ? row.parenthesizedRight : row.parenthesizedLeft;
        EXPECT_EQ(contains(set, c.operand), c.parenthesized)
            << row.spelling << (c.right ? " right" : " left") << " operand of class "
            << int{c.operand};
    }
}

} // namespace
