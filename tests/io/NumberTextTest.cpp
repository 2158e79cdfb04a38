// Number formatting against the C library's printf, character for character, on values
// chosen to break a formatter: ties, carries, the edges of the ranges, signed zeros,
// infinities and NaNs, and sweeps of random values.
#include "NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

using namespace varnel;

namespace {

std::string printed(double value, int width, int precision)
{
    char text[kFixedTextSize];
    std::snprintf(text, sizeof text, "%*.*f", width, precision, value);
    return text;
}

std::string formatted(double value, int width, int precision)
{
    char text[kFixedTextSize];
    return std::string(text, formatFixed(text, value, width, precision));
}

TEST(FormatFixed, AgreesWithPrintfOnHostileValues)
{
    const double values[] = {0.0,
                             -0.0,
                             1.0,
                             -1.0,
                             0.5,
                             2.5,
                             0.0000005,
                             0.0000015,
                             0.0000025,
                             0.00000049999999999,
                             0.9999995,
                             9.9999995,
                             99999.99999995,
                             1e-7,
                             -1e-7,
                             5e-324,
                             -5e-324,
                             2.2250738585072014e-308,
                             1.7976931348623157e308,
                             -1.7976931348623157e308,
                             1e35,
                             1e-35,
                             0.1,
                             0.3,
                             1.0 / 3.0,
                             2.0 / 3.0,
                             123456789.123456789,
                             4503599627370496.5,
                             9007199254740993.0,
                             0.125,
                             0.0625,
                             1.0000005,
                             -0.0000004,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(),
                             -std::numeric_limits<double>::quiet_NaN()};
    const int formats[][2] = {{10, 6}, {15, 7}, {0, 0}, {1, 3}, {31, 31}};
    for (const auto& f : formats)
        for (double v : values)
            EXPECT_EQ(formatted(v, f[0], f[1]), printed(v, f[0], f[1]))
                << "%" << f[0] << "." << f[1] << "f of " << v;
}

TEST(FormatFixed, AgreesWithPrintfOnRandomBitPatterns)
{
    std::mt19937_64 random(20261208);
    for (int k = 0; k < 20000; ++k) {
        const std::uint64_t bits = random();
        double v = 0.0;
        std::memcpy(&v, &bits, sizeof v);
        // Magnitudes where six or seven decimals matter, and anywhere at all.
        int exponent = 0;
        const double scaled = k % 2 == 0 ? std::ldexp(std::frexp(v, &exponent), k % 60 - 40) : v;
        ASSERT_EQ(formatted(scaled, 10, 6), printed(scaled, 10, 6)) << scaled;
        ASSERT_EQ(formatted(scaled, 15, 7), printed(scaled, 15, 7)) << scaled;
    }
}

TEST(TableNumber, IsPrintfsFixedOrExponentFormByMagnitude)
{
    auto printedTable = [](double v) {
        const double a = std::fabs(v);
        char text[kFixedTextSize];
        std::snprintf(text, sizeof text, (a > 1e-5 && a < 1e5) || a <= 1e-50 ? "%15.7f" : "%15.6e",
                      v);
        return std::string(text);
    };
    const double edges[] = {0.0,
                            -0.0,
                            1e-5,
                            -1e-5,
                            1.0000001e-5,
                            99999.99999999,
                            1e5,
                            -1e5,
                            1e-50,
                            1.0001e-50,
                            1e-51,
                            9.9999995e-6,
                            1e100,
                            -1e-300,
                            1e300,
                            0.1,
                            std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN()};
    for (double v : edges)
        EXPECT_EQ(formatTableNumber(v), printedTable(v)) << v;
    std::mt19937_64 random(5);
    for (int k = 0; k < 20000; ++k) {
        const double v = std::ldexp(static_cast<double>(random() >> 11) / 9007199254740992.0 - 0.5,
                                    static_cast<int>(random() % 400) - 200);
        ASSERT_EQ(formatTableNumber(v), printedTable(v)) << v;
    }
    std::string unpadded;
    appendTableNumber(unpadded, 2.5, 0);
    EXPECT_EQ(unpadded, "2.5000000");
}

} // namespace
