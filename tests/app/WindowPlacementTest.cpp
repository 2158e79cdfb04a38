// Tests of the "WindowPos" placement string: exactly ten numbers are used, anything else is
// ignored.
#include "WindowPlacement.h"

#include <gtest/gtest.h>

using namespace varnel;

TEST(WindowPlacement, FormatsTenNumbers)
{
    WindowPlacement p{2, 3, -1, -1, -8, -30, 10, 20, 810, 620};
    EXPECT_EQ(formatWindowPlacement(p), "2,3,-1,-1,-8,-30,10,20,810,620");
    EXPECT_EQ(parseWindowPlacement(formatWindowPlacement(p)), p);
}

TEST(WindowPlacement, OnlyTenNumbersAreUsed)
{
    const struct {
        const char* text;
        bool used;
    } cases[] = {
        {"0,1,-1,-1,-1,-1,10,20,810,620", true},
        {"0, 1, -1, -1, -1, -1, 10, 20, 810, 620", true},
        {"0,1,-1,-1,-1,-1,10,20,810", false}, // nine numbers
        {"0,1,-1,-1,-1,-1,10,20,810,", false},
        {"0,1,-1,-1,-1,-1,10,20,810,x", false},
        {"", false},
        {"garbage", false},
        {"0,1,-1,-1,-1,-1,10,20,10,620", false}, // no width
        {"0,1,-1,-1,-1,-1,10,20,810,620,5", false},
        {"0,1,-1,-1,-1,-1,10,20,99999999999,620", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseWindowPlacement(c.text).has_value(), c.used) << c.text;
}
