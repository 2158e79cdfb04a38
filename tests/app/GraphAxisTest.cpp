// Tests of graph axes: round ticks and their labels, the common power of ten, and ranges
// that are flat, empty or hold values that are not finite.
#include "GraphAxis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace varnel;

namespace {

std::vector<std::string> labels(const AxisLayout& axis)
{
    std::vector<std::string> result;
    for (const AxisTick& tick : axis.ticks)
        result.push_back(tick.label);
    return result;
}

} // namespace

TEST(GraphAxis, TicksLabelsAndPowerOfTen)
{
    const struct {
        double low, high;
        int maxTicks;
        std::vector<std::string> labels;
        std::string power;
    } cases[] = {
        {0, 10, 6, {"0", "2", "4", "6", "8", "10"}, ""},
        {0, 1, 5, {"0.00", "0.25", "0.50", "0.75", "1.00"}, ""},
        {-3, 3, 7, {"-3", "-2", "-1", "0", "1", "2", "3"}, ""},
        {-0.3, 0.3, 4, {"-0.2", "0.0", "0.2"}, ""},
        {0.5, 9.7, 4, {"5"}, ""},
        {0, 50000, 6, {"0", "1", "2", "3", "4", "5"}, "x104"},
        {0.001, 0.002, 6, {"1.0", "1.2", "1.4", "1.6", "1.8", "2.0"}, "x10-3"},
        {-2e-7, 6e-7, 5, {"-2", "0", "2", "4", "6"}, "x10-7"},
        {1234.5, 1234.6, 3, {"1234.50", "1234.55", "1234.60"}, ""},
    };
    for (const auto& c : cases) {
        const AxisLayout axis = layoutAxis(c.low, c.high, c.maxTicks);
        EXPECT_EQ(labels(axis), c.labels) << c.low << ".." << c.high;
        EXPECT_EQ(axis.powerLabel, c.power) << c.low << ".." << c.high;
        EXPECT_EQ(axis.minimum, c.low);
        EXPECT_EQ(axis.maximum, c.high);
        EXPECT_LE(static_cast<int>(axis.ticks.size()), c.maxTicks);
    }
}

TEST(GraphAxis, DegenerateRanges)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double low, high;
        bool hasData;
        double minimum, maximum;
    } cases[] = {
        {5, 5, true, 4.5, 5.5},     // all values equal
        {-20, -20, true, -22, -18}, //
        {0, 0, true, -1, 1},        // all zero
        {nan, nan, true, 0, 1},     // nothing finite
        {3, 7, false, 0, 1},        // no data at all
        {1e30, 1e30, true, 0.9e30, 1.1e30},
    };
    for (const auto& c : cases) {
        const AxisLayout axis = layoutAxis(c.low, c.high, 6, c.hasData);
        EXPECT_DOUBLE_EQ(axis.minimum, c.minimum) << c.low;
        EXPECT_DOUBLE_EQ(axis.maximum, c.maximum) << c.low;
        EXPECT_GT(axis.maximum, axis.minimum);
        EXPECT_FALSE(axis.ticks.empty()) << c.low;
        for (const AxisTick& tick : axis.ticks)
            EXPECT_TRUE(std::isfinite(axis.fraction(tick.value)));
    }
}

TEST(GraphAxis, RangeLeavesOutValuesThatAreNotFinite)
{
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<float> a = {2, std::nanf(""), -inf, 7};
    const std::vector<float> b = {inf, -1};
    const std::vector<float> none = {std::nanf("")};
    double low = 0, high = 0;
    ASSERT_TRUE(finiteRange({&a, &b}, low, high));
    EXPECT_EQ(low, -1);
    EXPECT_EQ(high, 7);
    EXPECT_FALSE(finiteRange({&none}, low, high));
    EXPECT_FALSE(finiteRange({}, low, high));
    EXPECT_EQ(rangeText(layoutAxis(-1, 7, 5)), "min -1, max 7");
    EXPECT_EQ(rangeText(layoutAxis(0.000123456, 98765.4, 5)), "min 0.000123, max 9.88e+04");
    EXPECT_EQ(rangeText(layoutAxis(0, 1, 5, false)), "");
}
