// Tests of print header and footer stamping: the first "&p" and "&f" are replaced, time codes
// are formatted, a "%" in a path stays as it is, and the time is the file's or the current.
#include "PageStamp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <unistd.h>
#include <utime.h>

using namespace varnel;

namespace {

std::time_t utc(int year, int month, int day, int hour, int minute)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    return timegm(&t);
}

class PageStamp : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

} // namespace

TEST_F(PageStamp, ReplacesPageFileAndTimeCodes)
{
    const std::time_t when = utc(2024, 3, 9, 14, 5);
    const struct {
        const char* pattern;
        int page;
        const char* path;
        const char* expected;
    } cases[] = {
        {"File: &f", 1, "/w/pump.alg", "File: /w/pump.alg"},
        {"Page: &p", 12, "/w/pump.alg", "Page: 12"},
        {"&p of &p", 3, "x", "3 of &p"},
        {"&f %d.%m.%Y %H:%M", 1, "/w/a.alg", "/w/a.alg 09.03.2024 14:05"},
        {"&f", 1, "/w/100%d.alg", "/w/100%d.alg"},
        {"50%", 1, "x", "50%"},
        {"", 4, "/w/a.alg", ""},
        {"%%", 1, "x", "%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(stampPageLine(c.pattern, c.page, c.path, when), c.expected) << c.pattern;
}

TEST_F(PageStamp, TimeIsTheFilesUnlessSystemTimeOrNoDot)
{
    char dir[] = "/tmp/varnel-stamp-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string file = std::string(dir) + "/eq.alg";
    std::ofstream(file) << "x = 1;";
    const std::time_t fileTime = utc(2020, 1, 2, 3, 4);
    utimbuf times{fileTime, fileTime};
    ASSERT_EQ(utime(file.c_str(), &times), 0);
    const std::time_t now = utc(2026, 6, 1, 12, 0);

    EXPECT_EQ(pageStampTime(false, file, now), fileTime);
    EXPECT_EQ(pageStampTime(true, file, now), now);
    EXPECT_EQ(pageStampTime(false, "Untitled", now), now); // no "." in the path
    EXPECT_EQ(pageStampTime(false, std::string(dir) + "/missing.alg", now), now);
    std::remove(file.c_str());
    rmdir(dir);
}
