// Discretized differential equations marched step by step and checked against the closed
// forms of the one-step rules themselves: the decay x' = -x, the energy of x'' = -x, the
// measured order of each rule, algebraic variables and the independent variable inside the
// equations; and every validation message with the set left unchanged.
#include "Discretization.h"

#include "CalculusScan.h"
#include "CalculusTestSupport.h"
#include "ConstantFolding.h"

#include <cmath>
#include <set>

namespace varnel {
namespace {

using test::readSet;
using test::solveSet;
using test::TranscriptHost;
using test::valueOf;

/// Discretizes `text` from the given starting values and marches `steps` steps.
struct Marched {
    EquationSet set;
    SteppingPlan plan;
    bool ok = false;
};

Marched march(const std::string& text, StepRule rule, double dt, int steps,
              const std::vector<std::pair<std::string, double>>& start)
{
    Marched run;
    run.set = readSet(text);
    for (const auto& [name, value] : start)
        valueOf(run.set, name) = value;
    TranscriptHost host;
    Reporter reporter;
    if (!discretize(run.set, rule, dt, reporter, run.plan)) {
        ADD_FAILURE() << host.log;
        return run;
    }
    for (int step = 0; step < steps; ++step) {
        if (!solveSet(run.set)) {
            ADD_FAILURE() << "step " << step << " did not solve";
            return run;
        }
        advanceStep(run.set, run.plan);
    }
    run.ok = true;
    return run;
}

TEST(Discretization, DecayMatchesTheRulesClosedForm)
{
    struct Case {
        StepRule rule;
        double expected;
    };
    const Case cases[] = {
        {StepRule::BackwardEuler, std::pow(1.0 / 1.1, 10)},
        {StepRule::Trapezoidal, std::pow(0.95 / 1.05, 10)},
    };
    for (const Case& c : cases) {
        Marched run = march("D(x, t) = -x;", c.rule, 0.1, 10, {{"x", 1.0}, {"t", 0.0}});
        ASSERT_TRUE(run.ok);
        EXPECT_NEAR(valueOf(run.set, "x"), c.expected, 1e-13);
        EXPECT_NEAR(valueOf(run.set, "t"), 1.0, 1e-13);
    }
}

TEST(Discretization, OscillatorEnergy)
{
    // x' = v, v' = -x: the trapezoidal rule keeps x^2 + v^2; backward Euler divides it by
    // 1 + dt^2 at every step.
    const double dt = 0.3;
    const int steps = 40;
    struct Case {
        StepRule rule;
        double expected;
    };
    const Case cases[] = {
        {StepRule::Trapezoidal, 1.0},
        {StepRule::BackwardEuler, std::pow(1.0 + dt * dt, -steps)},
    };
    for (const Case& c : cases) {
        Marched run = march("D(x, t) = v; D(v, t) = -x;", c.rule, dt, steps,
                            {{"x", 1.0}, {"v", 0.0}, {"t", 0.0}});
        ASSERT_TRUE(run.ok);
        const double x = valueOf(run.set, "x");
        const double v = valueOf(run.set, "v");
        EXPECT_NEAR(x * x + v * v, c.expected, 1e-12);
    }
}

TEST(Discretization, MeasuredOrder)
{
    // Error at t = 1 of x' = -x, x(0) = 1, for dt and dt/2: the ratio is 2 for backward
    // Euler and 4 for the trapezoidal rule.
    struct Case {
        StepRule rule;
        double ratio;
    };
    for (const Case& c : {Case{StepRule::BackwardEuler, 2.0}, Case{StepRule::Trapezoidal, 4.0}}) {
        double errors[2];
        for (int halving = 0; halving < 2; ++halving) {
            const int steps = 10 << halving;
            Marched run =
                march("D(x, t) = -x;", c.rule, 1.0 / steps, steps, {{"x", 1.0}, {"t", 0.0}});
            ASSERT_TRUE(run.ok);
            errors[halving] = std::abs(valueOf(run.set, "x") - std::exp(-1.0));
        }
        EXPECT_NEAR(errors[0] / errors[1], c.ratio, 0.1 * c.ratio);
    }
}

TEST(Discretization, AlgebraicVariablesAndTimeInsideTheEquations)
{
    // 2 x' = u, u = t, from t = 0.5: x' = t/2 is linear in t, so the trapezoidal rule is
    // exact, x = 1 + (1.5^2 - 0.5^2)/4; backward Euler sums the slopes at the step ends.
    struct Case {
        StepRule rule;
        double expected;
    };
    const Case cases[] = {
        {StepRule::Trapezoidal, 1.5},
        {StepRule::BackwardEuler, 1.0 + 0.1 * (10 * 0.5 + 0.1 * 55) / 2},
    };
    for (const Case& c : cases) {
        Marched run = march("2*D(x, t) = u; u = t;", c.rule, 0.1, 10, {{"x", 1.0}, {"t", 0.5}});
        ASSERT_TRUE(run.ok);
        EXPECT_NEAR(valueOf(run.set, "x"), c.expected, 1e-12);
        EXPECT_NEAR(valueOf(run.set, "u"), 1.5, 1e-12);
    }
}

TEST(Discretization, LayoutOfTheSteppedSet)
{
    EquationSet set = readSet("D(x, t) = v; D(v, t) = -x - y; y = 2*t;");
    const int n = set.variables.count(); // x, t, v, y
    TranscriptHost host;
    Reporter reporter;
    SteppingPlan plan;
    ASSERT_TRUE(discretize(set, StepRule::Trapezoidal, 0.1, reporter, plan));
    EXPECT_EQ(set.variables.count(), 2 * (n + 2));
    EXPECT_EQ(set.equationCount(), 2 * 3 + 2 + 1 + 3);
    EXPECT_EQ(plan.userVariableCount, n);
    for (const char* name : {"x", "t", "v", "y", "x'", "v'", "x0", "t0", "v0", "y0", "x'0", "v'0"})
        EXPECT_NE(set.variables.find(name), 0) << name;
    EXPECT_EQ(plan.independent, static_cast<std::uint32_t>(set.variables.find("t")));
    EXPECT_EQ(plan.independentPrevious, static_cast<std::uint32_t>(set.variables.find("t0")));
    for (const Equation& e : set.equations)
        for (const Token& token : e.code)
            EXPECT_FALSE(token.kind == kind::Binary && token.op == op::Derivative);
}

TEST(Discretization, CopyNamesNeverCollide)
{
    // The user's own x0 and a name of the longest length: every copy gets a name of its
    // own, and the stepping is still right (x' = -x0 = -2, so x = 1 - 2t).
    const std::string longName(33, 'q');
    Marched run = march("D(x, t) = -x0; x0 = 2; D(" + longName + ", t) = 1;", StepRule::Trapezoidal,
                        0.25, 4, {{"x", 1.0}, {"t", 0.0}, {longName, 0.0}});
    ASSERT_TRUE(run.ok);
    std::set<std::string> names;
    for (int k = 1; k <= run.set.variables.count(); ++k) {
        const std::string& name = run.set.variables.names[static_cast<std::size_t>(k)];
        EXPECT_LE(name.size(), 33u);
        EXPECT_TRUE(names.insert(name).second) << name;
    }
    EXPECT_NEAR(valueOf(run.set, "x"), -1.0, 1e-12);
    EXPECT_NEAR(valueOf(run.set, longName), 1.0, 1e-12);
}

TEST(Discretization, PlanFoundAgainInARenumberedFoldedSet)
{
    Marched first =
        march("D(x, t) = -x;", StepRule::BackwardEuler, 0.1, 0, {{"x", 1.0}, {"t", 0.0}});
    ASSERT_TRUE(first.ok);
    // The same set with its variables numbered backwards and its constants folded, as a
    // set read back from the saved file may be: t0 - 0 is folded to t0.
    EquationSet& set = first.set;
    const auto n = static_cast<std::uint32_t>(set.variables.count());
    EquationSet reversed;
    for (std::uint32_t k = n; k >= 1; --k)
        reversed.variables.add(set.variables.names[k], set.variables.values[k]);
    TranscriptHost host;
    Reporter reporter;
    for (Equation e : set.equations) {
        for (Token& token : e.code)
            if (token.kind == kind::Variable)
                token.index = n + 1 - token.index;
        EvalError error;
        e.code = foldPostfix(e.code, reporter, error);
        reversed.equations.push_back(e);
    }
    SteppingPlan plan = first.plan;
    ASSERT_TRUE(bindSteppingPlan(plan, reversed));
    EXPECT_EQ(plan.independent, n + 1 - first.plan.independent);
    for (int step = 0; step < 10; ++step) {
        ASSERT_TRUE(solveSet(reversed));
        advanceStep(reversed, plan);
    }
    EXPECT_NEAR(valueOf(reversed, "x"), std::pow(1.0 / 1.1, 10), 1e-13);
    EXPECT_NEAR(valueOf(reversed, "t"), 1.0, 1e-13);

    reversed.equations.pop_back(); // a fixing equation
    EXPECT_FALSE(bindSteppingPlan(plan, reversed));
}

TEST(Discretization, EveryMessageLeavesTheSetUnchanged)
{
    struct Case {
        const char* text;
        StepRule rule;
        std::vector<std::string_view> messages;
    };
    const Case cases[] = {
        {"D(x, t + 1) = x;", StepRule::Trapezoidal, {message::IndependentExpression}},
        {"D(x, t) = x; D(y, s) = y;", StepRule::Trapezoidal, {message::MultipleIndependent}},
        {"D(x + y, t) = 1;", StepRule::BackwardEuler, {message::NotSimpleDerivative}},
        {"D(2, 3) = 1;",
         StepRule::BackwardEuler,
         {message::IndependentExpression, message::NotSimpleDerivative}},
        {"x = 2;", StepRule::Trapezoidal, {message::NoIndependentVariable}},
        {"D(x, t) = -x;", StepRule::Gear, {message::OperationNotImplemented}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EquationSet set = readSet(c.text);
        const EquationSet before = set;
        TranscriptHost host;
        Reporter reporter;
        SteppingPlan plan;
        EXPECT_FALSE(discretize(set, c.rule, 0.1, reporter, plan));
        EXPECT_TRUE(reporter.runError);
        EXPECT_EQ(host.beeps, static_cast<int>(c.messages.size()));
        std::string expected;
        for (std::string_view text : c.messages)
            expected += (expected.empty() ? "" : "\n") + std::string(text) + "\n<BEEP>\nError ...";
        EXPECT_EQ(host.log, expected);
        ASSERT_EQ(set.equationCount(), before.equationCount());
        for (int i = 1; i <= set.equationCount(); ++i)
            EXPECT_EQ(set.equation(i).code, before.equation(i).code);
        EXPECT_EQ(set.variables.names, before.variables.names);
    }
}

} // namespace
} // namespace varnel
