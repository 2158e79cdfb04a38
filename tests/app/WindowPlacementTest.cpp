// Tests of the "WindowPos" placement string: exactly ten numbers are used, anything else is
// ignored; a placement off the desktop is brought back within reach.
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
        // A width or height beyond an int cannot be a window.
        {"0,1,-1,-1,-1,-1,-2147483648,0,2147483647,600", false},
        {"0,1,-1,-1,-1,-1,0,-2147483648,800,2147483647", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseWindowPlacement(c.text).has_value(), c.used) << c.text;
}

TEST(WindowPlacement, PlacementOffTheDesktopIsBroughtBack)
{
    // Desktop 0,0 - 1920,1080; rectangles as left, top, right, bottom.
    const struct {
        int in[4];
        int out[4];
    } cases[] = {
        {{100, 100, 900, 700}, {100, 100, 900, 700}},       // on the desktop
        {{1500, 700, 2500, 1300}, {1500, 700, 2500, 1300}}, // partly off, title bar reachable
        {{2000, 100, 2800, 700}, {1120, 100, 1920, 700}},   // on a right screen that is gone
        {{-900, -700, -100, -100}, {0, 0, 800, 600}},       // above and left of the desktop
        {{100, -50, 900, 550}, {100, 0, 900, 600}},         // title bar above the top
        {{-2147483647, -2147483647, 2147483647, 2147483647}, {0, 0, 1920, 1080}},
    };
    for (const auto& c : cases) {
        WindowPlacement p{0, kShowNormal, -1, -1, -1, -1, c.in[0], c.in[1], c.in[2], c.in[3]};
        const WindowPlacement kept = keepOnDesktop(p, 0, 0, 1920, 1080);
        EXPECT_EQ(kept.left, c.out[0]) << c.in[0] << "," << c.in[1];
        EXPECT_EQ(kept.top, c.out[1]) << c.in[0] << "," << c.in[1];
        EXPECT_EQ(kept.right, c.out[2]) << c.in[0] << "," << c.in[1];
        EXPECT_EQ(kept.bottom, c.out[3]) << c.in[0] << "," << c.in[1];
    }
}
