// Integrals replaced by quadrature sums, checked by value against closed forms: the rules'
// exactness (trapezoidal for linear, Simpson for cubic integrands) with constant and with
// variable limits, the known error of each rule on simple integrands, nested integrals, an
// integral equation solved for its unknown, and the messages of malformed integrals.
#include "Quadrature.h"

#include "CalculusScan.h"
#include "CalculusTestSupport.h"
#include "Operations.h"

#include <cmath>

namespace varnel {
namespace {

using test::readSet;
using test::solveSet;
using test::TranscriptHost;
using test::valueOf;

/// The value of the integral in "y = <integral>", with the given values of the other
/// variables: the residual at y = 0 is minus the quadrature sum.
double quadrature(const std::string& integral, QuadratureRule rule,
                  const std::vector<std::pair<std::string, double>>& values = {})
{
    EquationSet set = readSet("y = " + integral + ";");
    TranscriptHost host;
    Reporter reporter;
    EXPECT_TRUE(integrateByQuadrature(set, rule, reporter)) << host.log;
    for (const auto& [name, value] : values)
        if (const int k = set.variables.find(name); k != 0)
            set.variables.values[static_cast<std::size_t>(k)] = value;
    valueOf(set, "y") = 0.0;
    for (const Token& t : set.equation(1).code)
        EXPECT_FALSE(t.kind == kind::Binary &&
                     (t.op == codeOf(Operation::Integral) || t.op == codeOf(Operation::Limit) ||
                      t.op == codeOf(Operation::Arg)));
    Evaluator evaluator(reporter);
    return -evaluator.evaluateReal(set.equation(1).code, set.variables.values.data());
}

TEST(Quadrature, ClosedForms)
{
    const double a = 0.5, b = 2.0;
    struct Case {
        const char* integral;
        QuadratureRule rule;
        double expected;
    };
    const Case cases[] = {
        // The worked case: 0.1 * (0.5*1 + 9*1 + 0.5*1).
        {"INT(ARG(1, s), LIM(0, 1))", QuadratureRule::Trapezoidal, 1.0},
        {"INT(ARG(3*s + 2, s), LIM(1, 4))", QuadratureRule::Trapezoidal, 28.5},
        {"INT(ARG(3*s + 2, s), LIM(4, 1))", QuadratureRule::Trapezoidal, -28.5},
        {"INT(ARG(3*s + 2, s), LIM(1, 4))", QuadratureRule::Simpson, 28.5},
        {"INT(ARG(s^3 - 2*s^2 + s, s), LIM(-1, 3))", QuadratureRule::Simpson, 16.0 / 3.0},
        {"INT(ARG(2*s + 1, s), LIM(a, b))", QuadratureRule::Trapezoidal, b * b - a * a + b - a},
        {"INT(ARG(s^3, s), LIM(a, b))", QuadratureRule::Simpson,
         (b * b * b * b - a * a * a * a) / 4},
        {"INT(ARG(s^3, s), LIM(0, b))", QuadratureRule::Simpson, b * b * b * b / 4},
        // Known errors: trapezoidal on s^2 over [0, 1] is 1/3 + h^2/6; the left rectangles
        // of s over [0, 1] sum to 0.45; Simpson on s^4 over [0, 1] is 1/5 + 24 h^4/180.
        {"INT(ARG(s^2, s), LIM(0, 1))", QuadratureRule::Trapezoidal, 1.0 / 3 + 0.01 / 6},
        {"INT(ARG(s, s), LIM(0, 1))", QuadratureRule::Rectangle, 0.45},
        {"INT(ARG(s^4, s), LIM(0, 1))", QuadratureRule::Simpson, 0.2 + 24e-4 / 180},
        // An integrand with another variable, and an inner integral whose upper limit is
        // the outer variable: the inner one gives s^3/2, exactly integrated by Simpson.
        {"INT(ARG(a*s, s), LIM(0, b))", QuadratureRule::Trapezoidal, a * b * b / 2},
        {"INT(ARG(INT(ARG(s*r, r), LIM(0, s)), s), LIM(0, 1))", QuadratureRule::Simpson, 0.125},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.integral);
        EXPECT_NEAR(quadrature(c.integral, c.rule, {{"a", a}, {"b", b}}), c.expected, 1e-12);
    }
}

TEST(Quadrature, ConstantLimitsGiveAConstantStep)
{
    EquationSet set = readSet("y = INT(ARG(1, s), LIM(0, 1));");
    TranscriptHost host;
    Reporter reporter;
    ASSERT_TRUE(integrateByQuadrature(set, QuadratureRule::Trapezoidal, reporter));
    // y - 0.1 * (sum): in stored order the step comes right after y.
    const Chain& code = set.equation(1).code;
    ASSERT_GE(code.size(), 2u);
    EXPECT_TRUE(isPlainConstant(code[1]));
    EXPECT_DOUBLE_EQ(code[1].value, 0.1);
}

TEST(Quadrature, IntegralEquationSolvedForItsUnknown)
{
    // y = 1 + integral of y*s over [0, 1] = 1 + y/2, so y = 2. The variable of integration
    // leaves the set, which is then square.
    EquationSet set = readSet("y = 1 + INT(ARG(y*s, s), LIM(0, 1));");
    TranscriptHost host;
    Reporter reporter;
    ASSERT_TRUE(integrateByQuadrature(set, QuadratureRule::Trapezoidal, reporter));
    ASSERT_EQ(set.variables.count(), 1);
    valueOf(set, "y") = 0.3;
    ASSERT_TRUE(solveSet(set));
    EXPECT_NEAR(valueOf(set, "y"), 2.0, 1e-12);
}

TEST(Quadrature, VariableOfIntegrationKeptWhenUsedElsewhere)
{
    EquationSet set = readSet("z = s + 1; y = INT(ARG(s, s), LIM(0, 1)) + z;");
    TranscriptHost host;
    Reporter reporter;
    ASSERT_TRUE(integrateByQuadrature(set, QuadratureRule::Simpson, reporter));
    EXPECT_EQ(set.variables.count(), 3);
    EXPECT_NE(set.variables.find("s"), 0);
}

TEST(Quadrature, MalformedIntegralsLeaveTheSetUnchanged)
{
    struct Case {
        const char* text;
        std::vector<std::string_view> messages;
    };
    const Case cases[] = {
        {"y = INT(s, LIM(0, 1));", {message::IntegrandIncorrect}},
        {"y = INT(ARG(s, 2*s), LIM(0, 1));", {message::IntegrationVariableIncorrect}},
        {"y = INT(ARG(s, s), 1);", {message::LimitSyntaxIncorrect}},
        {"y = INT(ARG(s, s), ARG(0, 1));", {message::LimitSyntaxIncorrect}},
        {"y = INT(LIM(0, 1), ARG(s, s));",
         {message::IntegrandIncorrect, message::LimitSyntaxIncorrect}},
        {"y = INT(ARG(s, s), LIM(0, 1)) + D(y + 1, t);", {message::NotSimpleDerivative}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EquationSet set = readSet(c.text);
        const EquationSet before = set;
        TranscriptHost host;
        Reporter reporter;
        EXPECT_FALSE(integrateByQuadrature(set, QuadratureRule::Simpson, reporter));
        EXPECT_TRUE(reporter.runError);
        std::string expected;
        for (std::string_view text : c.messages)
            expected += (expected.empty() ? "" : "\n") + std::string(text) + "\n<BEEP>\nError ...";
        EXPECT_EQ(host.log, expected);
        EXPECT_EQ(host.beeps, static_cast<int>(c.messages.size()));
        EXPECT_EQ(set.equation(1).code, before.equation(1).code);
        EXPECT_EQ(set.variables.names, before.variables.names);
    }
}

TEST(Quadrature, NestedIntegralsTooLargeAreRefused)
{
    // Eight nested integrals would copy the innermost integrand 11^8 times.
    std::string integral = "s";
    for (int level = 0; level < 8; ++level)
        integral = "INT(ARG(" + integral + ", s), LIM(0, 1))";
    EquationSet set = readSet("y = " + integral + ";");
    const EquationSet before = set;
    TranscriptHost host;
    Reporter reporter;
    EXPECT_FALSE(integrateByQuadrature(set, QuadratureRule::Trapezoidal, reporter));
    EXPECT_EQ(host.log, "Integral Too Large\n<BEEP>\nError ...");
    EXPECT_EQ(set.equation(1).code, before.equation(1).code);
}

} // namespace
} // namespace varnel
