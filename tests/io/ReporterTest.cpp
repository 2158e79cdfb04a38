// Messages, beeps, the run error flag, the guarded exponential and the stream reset.
#include "Reporter.h"

#include "GuardedMath.h"
#include "TextFile.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace varnel;
using varnel::test::TranscriptHost;

namespace {

TEST(Reporter, RaiseErrorBeepsAndSetsTheFlag)
{
    TranscriptHost host;
    Reporter r;
    r.raiseError();
    EXPECT_TRUE(r.runError);
    EXPECT_EQ(host.log, "<BEEP>\nError ...");
    EXPECT_EQ(host.pieces, (std::vector<std::string>{"\n", "Error ..."}));
}

TEST(Reporter, Announce)
{
    TranscriptHost host;
    Reporter r;
    r.announce("");
    r.announce("Reading");
    EXPECT_EQ(host.pieces, (std::vector<std::string>{"\n", "Working...", "\n", "Reading"}));
}

TEST(Reporter, GuardedExponentialReportsEachRunOfOverflowsOnce)
{
    struct Case {
        std::vector<double> arguments;
        int reports;
    };
    const Case cases[] = {
        {{51, 60}, 1},    // two in a row: one report
        {{51, 1, 60}, 2}, // a normal exponential in between re-arms it
        {{50, 50}, 0},    // the limit itself is not an overflow
        {{700, 1e308, 51}, 1},
    };
    for (const Case& c : cases) {
        TranscriptHost host;
        Reporter r;
        for (double x : c.arguments) {
            const double v = guardedExp(r, x);
            if (x > 50)
                EXPECT_EQ(v, BIG);
            else
                EXPECT_DOUBLE_EQ(v, std::exp(x));
        }
        int reports = 0;
        for (const std::string& p : host.pieces)
            reports += p == "Overflow in EXP";
        EXPECT_EQ(reports, c.reports);
        EXPECT_EQ(host.beeps, c.reports);
        EXPECT_FALSE(r.runError) << "an overflow is not a run error";
    }
}

TEST(Reporter, FailingStreamResetReportsAndRaises)
{
    TranscriptHost host;
    Reporter r;
    TextFile file;
    file.suppressMessages = true;
    TextFile::setQuiet(true);
    EXPECT_FALSE(r.resetStream(file)); // no name: cannot be reopened
    TextFile::setQuiet(false);
    EXPECT_TRUE(r.runError);
    EXPECT_EQ(host.log, "\nReset error<BEEP>\nError ...");
}

TEST(Reporter, InterruptionIsTheHostsFlag)
{
    TranscriptHost host;
    Reporter r;
    EXPECT_FALSE(r.interruptRequested());
    requestInterrupt();
    EXPECT_TRUE(r.interruptRequested());
    clearInterrupt();
    EXPECT_FALSE(r.interruptRequested());
    r.reportInterrupted();
    EXPECT_EQ(host.pieces, (std::vector<std::string>{"User inicira prekid..", "\n"}));
}

} // namespace
