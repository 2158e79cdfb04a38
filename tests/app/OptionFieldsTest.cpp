// Tests of the Method page's conversions: an unchanged page keeps the settings, the tolerance
// sign rule, hostile texts refused with the first failing field and its message
// (and nothing written), and values outside the lists or the 32-bit range.
#include "OptionFields.h"
#include "SettingsFile.h"

#include <gtest/gtest.h>

using namespace varnel;

namespace {

// Every field the Method page edits is a field of the settings file.
bool sameRecord(const SolverOptions& a, const SolverOptions& b)
{
    return encodeSettingsFile(a) == encodeSettingsFile(b);
}

std::string MethodFields::*textOf(MethodField field)
{
    switch (field) {
    case MethodField::Tolerance:
        return &MethodFields::tolerance;
    case MethodField::DeltaJ:
        return &MethodFields::deltaJ;
    case MethodField::MaxIterations:
        return &MethodFields::maxIterations;
    case MethodField::Repetitions:
        return &MethodFields::repetitions;
    case MethodField::GuessMin:
        return &MethodFields::guessMin;
    case MethodField::GuessMax:
        return &MethodFields::guessMax;
    case MethodField::DeltaT:
        return &MethodFields::deltaT;
    }
    return nullptr;
}

} // namespace

TEST(OptionFields, UnchangedPageKeepsTheRecord)
{
    SolverOptions odd;
    odd.toleranceExponent = 4; // a tolerance above 1 must not flip sign on OK
    odd.deltaJ = 1.0 / 3.0;
    odd.guessMin = -2.5e-7;
    odd.guessMax = 123456789012345.0;
    odd.maxIterations = -1;
    odd.method = 2;
    odd.differentialMethod = 2;
    odd.autoSimplify = 0;
    for (const SolverOptions& original : {SolverOptions(), odd}) {
        SolverOptions stored = original;
        ASSERT_FALSE(storeMethodFields(methodFields(original), stored));
        EXPECT_EQ(stored.toleranceExponent, original.toleranceExponent);
        EXPECT_EQ(stored.maxIterations, original.maxIterations);
        EXPECT_EQ(stored.method, original.method);
        EXPECT_EQ(stored.differentialMethod, original.differentialMethod);
        EXPECT_EQ(stored.autoSimplify, original.autoSimplify);
        // 15 significant digits: what the page shows is what is kept, to that precision.
        EXPECT_NEAR(stored.deltaJ, original.deltaJ, 1e-15);
        EXPECT_DOUBLE_EQ(stored.guessMin, original.guessMin);
        EXPECT_DOUBLE_EQ(stored.guessMax, original.guessMax);
    }
    EXPECT_EQ(methodFields(odd).tolerance, "-4");
}

TEST(OptionFields, EntriesStoredAsTyped)
{
    struct Case {
        std::string tolerance, deltaJ, iterations, repetitions, minimum, maximum, deltaT;
        int storedTolerance;
        double storedDeltaJ;
        int storedIterations, storedRepetitions;
        double storedMinimum, storedMaximum, storedDeltaT;
    };
    const Case cases[] = {
        {"6", "0.001", "10", "50", "0.1", "1", "0.1", -6, 0.001, 10, 50, 0.1, 1.0, 0.1},
        {"-6", "1e-8", "0", "-5", "5", "-5", "-0.25", 6, 1e-8, 0, -5, 5.0, -5.0, -0.25},
        {" +12 ", " .5 ", "+7", "2147483647", "-1E3", "2.", "+3", -12, 0.5, 7, 2147483647, -1000.0,
         2.0, 3.0},
        {"0", "-0.001", "-2147483648", "0", "0", "0", "1e-300", 0, -0.001, -2147483647 - 1, 0, 0.0,
         0.0, 1e-300},
        {"2147483647", "1e300", "1", "1", "1", "1", "1", -2147483647, 1e300, 1, 1, 1.0, 1.0, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tolerance + " " + c.deltaJ + " " + c.iterations);
        MethodFields f = methodFields(SolverOptions());
        f.tolerance = c.tolerance;
        f.deltaJ = c.deltaJ;
        f.maxIterations = c.iterations;
        f.repetitions = c.repetitions;
        f.guessMin = c.minimum;
        f.guessMax = c.maximum;
        f.deltaT = c.deltaT;
        f.method = 3;
        f.jacobianMethod = 1;
        f.differentialMethod = 1;
        f.solveInGroups = false;
        f.autoHomotopy = true;
        f.autoSimplify = false;
        SolverOptions o;
        const auto problem = storeMethodFields(f, o);
        ASSERT_FALSE(problem) << problem->message;
        EXPECT_EQ(o.toleranceExponent, c.storedTolerance);
        EXPECT_EQ(o.deltaJ, c.storedDeltaJ);
        EXPECT_EQ(o.maxIterations, c.storedIterations);
        EXPECT_EQ(o.repetitions, c.storedRepetitions);
        EXPECT_EQ(o.guessMin, c.storedMinimum);
        EXPECT_EQ(o.guessMax, c.storedMaximum);
        EXPECT_EQ(o.deltaT, c.storedDeltaT);
        EXPECT_EQ(o.method, 3);
        EXPECT_EQ(o.jacobianMethod, 1);
        EXPECT_EQ(o.differentialMethod, 1);
        EXPECT_EQ(o.solveInGroups, 0);
        EXPECT_EQ(o.autoHomotopy, 1);
        EXPECT_EQ(o.autoSimplify, 0);
    }
}

TEST(OptionFields, HostileTextIsRefusedWithNothingWritten)
{
    struct Case {
        MethodField field;
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {MethodField::Tolerance, "", "Please enter an integer."},
        {MethodField::Tolerance, "3.5", "Please enter an integer."},
        {MethodField::Tolerance, "1e3", "Please enter an integer."},
        {MethodField::Tolerance, "0x10", "Please enter an integer."},
        {MethodField::Tolerance, "- 3", "Please enter an integer."},
        {MethodField::Tolerance, "-2147483648",
         "Min. Tolerance: please enter an integer from -2147483647 to 2147483647."},
        {MethodField::MaxIterations, "2147483648",
         "Max Iterations: please enter an integer from -2147483648 to 2147483647."},
        {MethodField::MaxIterations, "99999999999999999999999",
         "Max Iterations: please enter an integer from -2147483648 to 2147483647."},
        {MethodField::Repetitions, "-2147483649",
         "Repetitions: please enter an integer from -2147483648 to 2147483647."},
        {MethodField::Repetitions, "ten", "Please enter an integer."},
        {MethodField::DeltaJ, "nan", "Please enter a number."},
        {MethodField::DeltaJ, "inf", "Please enter a number."},
        {MethodField::DeltaJ, "-infinity", "Please enter a number."},
        {MethodField::DeltaJ, "1e999", "Please enter a number."},
        {MethodField::DeltaJ, "0,001", "Please enter a number."},
        {MethodField::GuessMin, "0x1p3", "Please enter a number."},
        {MethodField::GuessMin, "+-1", "Please enter a number."},
        {MethodField::GuessMax, "1 2", "Please enter a number."},
        {MethodField::GuessMax, " ", "Please enter a number."},
        {MethodField::DeltaT, "0", "Delta T: please enter a number other than 0."},
        {MethodField::DeltaT, "-0.0", "Delta T: please enter a number other than 0."},
        {MethodField::DeltaT, "NaN", "Please enter a number."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        MethodFields f = methodFields(SolverOptions());
        f.method = 3; // a valid change elsewhere must not be written either
        f.*textOf(c.field) = c.text;
        SolverOptions o;
        const auto problem = storeMethodFields(f, o);
        ASSERT_TRUE(problem);
        EXPECT_EQ(problem->field, c.field);
        EXPECT_EQ(problem->message, c.message);
        EXPECT_TRUE(sameRecord(o, SolverOptions()));
    }
}

TEST(OptionFields, FirstFailingFieldInPageOrder)
{
    MethodFields f = methodFields(SolverOptions());
    f.deltaT = "x";
    f.guessMin = "x";
    f.repetitions = "x";
    SolverOptions o;
    EXPECT_EQ(storeMethodFields(f, o)->field, MethodField::Repetitions);
    f.repetitions = "1";
    EXPECT_EQ(storeMethodFields(f, o)->field, MethodField::GuessMin);
    f.guessMin = "1";
    EXPECT_EQ(storeMethodFields(f, o)->field, MethodField::DeltaT);
}

TEST(OptionFields, CodesOutsideTheListsAreKept)
{
    SolverOptions o;
    o.method = 9;
    o.jacobianMethod = -1;
    o.differentialMethod = 3;
    o.toleranceExponent = -2147483647 - 1; // shown without overflow
    MethodFields f = methodFields(o);
    EXPECT_EQ(f.method, -1);
    EXPECT_EQ(f.jacobianMethod, -1);
    EXPECT_EQ(f.differentialMethod, -1);
    EXPECT_EQ(f.tolerance, "2147483648");
    f.tolerance = "3";
    ASSERT_FALSE(storeMethodFields(f, o));
    EXPECT_EQ(o.method, 9);
    EXPECT_EQ(o.jacobianMethod, -1);
    EXPECT_EQ(o.differentialMethod, 3);
    EXPECT_EQ(o.toleranceExponent, -3);
}
