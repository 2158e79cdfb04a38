// Mode "G" through the solver object: the result table of a sweep and of a parametric
// sweep (tables written by hand), and the answers it refuses. The "For FFT" table is
// checked where it is transformed (FourierModeTest), a nonlinear family in ExamplesTest.
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <filesystem>

using namespace varnel;
using namespace varnel::test;

namespace {

/// Fills a graph request the way the dialog does; `index` maps a name to its place.
struct GraphAnswer {
    int independent = 0;
    double from = 0.0, to = 1.0;
    int steps = 2;
    bool forFft = false;
    bool parametric = false;
    int parameter = 0;
    double parameterFrom = 0.0, parameterTo = 1.0;
    int parameterSteps = 1;

    LRESULT fill(unsigned code, LPARAM record) const
    {
        if (code != RequestGraph)
            return 0;
        auto* r = reinterpret_cast<GraphRequest*>(record);
        r->independentIndex = independent;
        r->independentFrom = from;
        r->independentTo = to;
        r->stepCount = steps;
        r->forFft = forFft ? 1 : 0;
        r->parametric = parametric ? 1 : 0;
        r->parameterIndex = parameter;
        r->parameterFrom = parameterFrom;
        r->parameterTo = parameterTo;
        r->parameterSteps = parameterSteps;
        return 1;
    }
};

SolverOptions quietOptions()
{
    SolverOptions options;
    options.showResults = 0;
    options.toleranceExponent = -9;
    return options;
}

TEST(GraphGeneration, SweepWritesOneRowPerPoint)
{
    TempDir dir;
    writeFile(dir / "line.alg", "y = 2*x + 1;\n"); // variables y, x
    TranscriptHost host;
    GraphAnswer a;
    a.independent = 1; // x from 0 to 1 in 2 steps: 3 points
    host.answer = [&](unsigned code, LPARAM record) { return a.fill(code, record); };
    ASSERT_TRUE(host.run((dir / "line.alg").string(), "G", quietOptions())) << host.log;
    EXPECT_EQ(host.requests, std::vector<unsigned>{RequestGraph});
    EXPECT_EQ(readFile(dir / "line.PRN"), "              y              x\n"
                                          "      1.0000000      0.0000000\n"
                                          "      2.0000000      0.5000000\n"
                                          "      3.0000000      1.0000000\n");
}

TEST(GraphGeneration, ParametricSweepRestartsTheIndependentVariable)
{
    TempDir dir;
    writeFile(dir / "family.alg", "y = 2*x + a;\n"); // variables y, x, a
    TranscriptHost host;
    GraphAnswer a;
    a.independent = 1;
    a.parametric = true;
    a.parameter = 2; // a from 0 to 1 in 1 step: two curves of 3 points
    host.answer = [&](unsigned code, LPARAM record) { return a.fill(code, record); };
    ASSERT_TRUE(host.run((dir / "family.alg").string(), "G", quietOptions())) << host.log;
    EXPECT_EQ(readFile(dir / "family.PRN"), "PARAMETER:         a        2\n"
                                            "              y              x              a\n"
                                            "      0.0000000      0.0000000      0.0000000\n"
                                            "      1.0000000      0.5000000      0.0000000\n"
                                            "      2.0000000      1.0000000      0.0000000\n"
                                            "      1.0000000      0.0000000      1.0000000\n"
                                            "      2.0000000      0.5000000      1.0000000\n"
                                            "      3.0000000      1.0000000      1.0000000\n");
}

TEST(GraphGeneration, BadAnswersAreRefusedWithoutTouchingAnything)
{
    struct Case {
        const char* name;
        const char* equations;
        bool answered;
        GraphAnswer answer;
        const char* message;
    };
    GraphAnswer good;
    good.independent = 1;
    auto with = [good](auto change) {
        GraphAnswer a = good;
        change(a);
        return a;
    };
    const char* const family = "y = 2*x + a;\n";
    const Case cases[] = {
        {"unanswered", family, false, good,
         "\nGraph generation cancelled: the request was not answered<BEEP>"},
        {"from equals to", family, true, with([](GraphAnswer& a) { a.to = a.from; }),
         "\nValue \"From\" must be less than \"To\" value!!<BEEP>"},
        {"from above to", family, true, with([](GraphAnswer& a) { a.from = 2.0; }),
         "\nValue \"From\" must be less than \"To\" value!!<BEEP>"},
        {"not a number", family, true, with([](GraphAnswer& a) { a.to = std::nan(""); }),
         "\nValue \"From\" must be less than \"To\" value!!<BEEP>"},
        {"zero steps", family, true, with([](GraphAnswer& a) { a.steps = 0; }),
         "\nGraph request: the number of steps must be at least 1<BEEP>"},
        {"zero parameter steps", family, true, with([](GraphAnswer& a) {
             a.parametric = true;
             a.parameter = 2;
             a.parameterSteps = 0;
         }),
         "\nGraph request: the number of parameter steps must be at least 1<BEEP>"},
        {"parameter is the independent", family, true, with([](GraphAnswer& a) {
             a.parametric = true;
             a.parameter = 1;
         }),
         "\nGraph request: the parameter must differ from the independent variable<BEEP>"},
        {"no such variable", family, true, with([](GraphAnswer& a) { a.independent = 3; }),
         "\nGraph request: the independent variable (3) is not a variable of the "
         "equations<BEEP>"},
        {"too many points", family, true, with([](GraphAnswer& a) { a.steps = INT_MAX; }),
         "\nGraph request: more than 10000000 points asked for<BEEP>"},
        {"independent not free", "y = 2*x + 1;\nx = 3;\n", true, good,
         "\nGraph generation: the equations must leave the independent variable free, but "
         "there are 2 equations for 2 variables<BEEP>"},
        {"parameter not free", "y = 2*x + a;\na = 1;\n", true, with([](GraphAnswer& a) {
             a.parametric = true;
             a.parameter = 2;
         }),
         "\nGraph generation: the equations must leave the independent variable and the "
         "parameter free, but there are 2 equations for 3 variables<BEEP>"},
        {"one variable", "x = 1;\n", true, good,
         "\nGraph generation needs at least 2 variables<BEEP>"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeFile(dir / "m.alg", c.equations);
        TranscriptHost host;
        if (c.answered)
            host.answer = [&](unsigned code, LPARAM record) { return c.answer.fill(code, record); };
        EXPECT_FALSE(host.run((dir / "m.alg").string(), "G", quietOptions())) << c.name;
        EXPECT_NE(host.log.find(c.message), std::string::npos) << c.name << "\n" << host.log;
        EXPECT_EQ(host.log.find("Solving..."), std::string::npos) << c.name;
        EXPECT_EQ(readFile(dir / "m.alg"), c.equations) << c.name;
        EXPECT_EQ(readFile(dir / "m.PRN"), "") << c.name;
        EXPECT_FALSE(std::filesystem::exists(dir / "m.FFT")) << c.name;
    }
}

} // namespace
