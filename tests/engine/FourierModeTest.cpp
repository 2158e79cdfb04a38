// Modes "W0"/"W1" end to end: a cosine sampled by a graph run, its transform, the table
// a graph run wrote "For FFT" transformed without being overwritten, and the requests
// the host leaves unanswered.
#include "TranscriptHost.h"

#include "ResultTableReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace varnel;
using namespace varnel::test;

namespace {

constexpr double kTwoPi = 6.283185307179586;

/// Samples vr = 3 cos(t), vi = 0 over one period (256 steps, the end point repeated) with
/// a graph run; the table goes to ".FFT" when `forFft`.
void sampleCosine(const TempDir& dir, bool forFft)
{
    writeFile(dir / "wave.alg", "vr = 3*cos(t);\nvi = 0;\n"); // variables vr, t, vi
    TranscriptHost host;
    host.answer = [forFft](unsigned code, LPARAM record) -> LRESULT {
        auto* r = reinterpret_cast<GraphRequest*>(record);
        if (code != RequestGraph)
            return 0;
        r->independentIndex = 1;
        r->independentFrom = 0.0;
        r->independentTo = kTwoPi;
        r->stepCount = 256;
        r->forFft = forFft ? 1 : 0;
        return 1;
    };
    SolverOptions options;
    options.showResults = 0;
    options.toleranceExponent = -10;
    ASSERT_TRUE(host.run((dir / "wave.alg").string(), "G", options)) << host.log;
}

LRESULT answerColumns(unsigned code, LPARAM record)
{
    if (code != RequestFourier)
        return 0;
    auto* r = reinterpret_cast<FourierRequest*>(record);
    EXPECT_EQ(r->sampleCount, 257);
    r->independentIndex = 1;
    r->realIndex = 0;
    r->imagIndex = 2;
    r->axisUnit = 0;
    r->samplesFrom = 0;
    r->samplesTo = 3;
    return 1;
}

void expectCosineSpectrum(const std::string& text)
{
    ResultTableData table;
    TableReadError error;
    ASSERT_TRUE(parseResultTable(text, table, error)) << text;
    ASSERT_EQ(table.rowCount(), 4) << text;
    const std::vector<float>& frequency = table.values[0];
    const std::vector<float>& amplitude = table.values[1];
    EXPECT_NEAR(frequency[1], 1.0 / kTwoPi, 1e-6);
    EXPECT_NEAR(amplitude[0], 0.0, 1e-5);
    EXPECT_NEAR(amplitude[1], 3.0, 1e-5);
    EXPECT_NEAR(amplitude[2], 0.0, 1e-5);
    EXPECT_NEAR(amplitude[3], 0.0, 1e-5);
}

TEST(FourierModes, W0TransformsTheRunsResultTable)
{
    TempDir dir;
    sampleCosine(dir, false);
    TranscriptHost host;
    host.answer = answerColumns;
    ASSERT_TRUE(host.run((dir / "wave.alg").string(), "W0")) << host.log;
    EXPECT_EQ(host.requests, std::vector<unsigned>{RequestFourier});
    EXPECT_NE(host.log.find("\nFFT found!"), std::string::npos) << host.log;
    EXPECT_EQ(host.log.find("Signal not quite periodic"), std::string::npos) << host.log;
    expectCosineSpectrum(readFile(dir / "wave.FFT"));
}

TEST(FourierModes, W1TransformsTheChosenTableBesideIt)
{
    TempDir dir;
    sampleCosine(dir, true);
    const std::string samples = readFile(dir / "wave.FFT");
    const std::string chosen = (dir / "wave.FFT").string();
    TranscriptHost host;
    host.answer = [&](unsigned code, LPARAM record) -> LRESULT {
        if (code == RequestFile) {
            std::strcpy(reinterpret_cast<FileRequest*>(record)->path, chosen.c_str());
            return 1;
        }
        return answerColumns(code, record);
    };
    ASSERT_TRUE(host.run((dir / "other.alg").string(), "W1")) << host.log;
    EXPECT_EQ(host.requests, (std::vector<unsigned>{RequestFile, RequestFourier}));
    EXPECT_EQ(readFile(dir / "wave.FFT"), samples) << "the samples must survive";
    expectCosineSpectrum(readFile(dir / "wave-spectrum.FFT"));
}

TEST(FourierModes, UnansweredRequestsAndMissingTablesFail)
{
    struct Case {
        const char* name;
        const char* mode;
        bool writeTable;
        const char* message;
    };
    const Case cases[] = {
        {"W0 unanswered", "W0", true,
         "\nFourier analysis cancelled: the request was not answered<BEEP>"},
        {"W0 without a table", "W0", false, " Does Not Exist"},
        {"W1 unanswered", "W1", true,
         "\nFFT from file cancelled: the request was not answered<BEEP>"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        if (c.writeTable)
            writeFile(dir / "m.PRN", "t x y\n0 1 0\n1 1 0\n");
        TranscriptHost host;
        EXPECT_FALSE(host.run((dir / "m.alg").string(), c.mode)) << c.name;
        EXPECT_NE(host.log.find(c.message), std::string::npos) << c.name << "\n" << host.log;
        EXPECT_FALSE(std::filesystem::exists(dir / "m.FFT")) << c.name;
    }
}

// A harmonic range with nothing in it is refused before anything is written.
TEST(FourierModes, EmptyHarmonicRangeIsRefused)
{
    struct Case {
        int from;
        int to;
        const char* message;
    };
    const Case cases[] = {
        {10, 5, "\nFirst harmonic 10 is above the last, 5: nothing to list<BEEP>"},
        {0, -1, "\nFirst harmonic 0 is above the last, -1: nothing to list<BEEP>"},
        {6, 9, "\nFirst harmonic 6 is above the last that 4 samples give, 3: nothing to list"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        TempDir dir;
        writeFile(dir / "m.PRN", "t x y\n0 1 0\n1 0 0\n2 -1 0\n3 0 0\n");
        TranscriptHost host;
        host.answer = [&c](unsigned code, LPARAM record) -> LRESULT {
            if (code != RequestFourier)
                return 0;
            auto* r = reinterpret_cast<FourierRequest*>(record);
            r->independentIndex = 0;
            r->realIndex = 1;
            r->imagIndex = 2;
            r->samplesFrom = c.from;
            r->samplesTo = c.to;
            return 1;
        };
        EXPECT_FALSE(host.run((dir / "m.alg").string(), "W0"));
        EXPECT_NE(host.log.find(c.message), std::string::npos) << host.log;
        EXPECT_EQ(host.log.find("FFT found!"), std::string::npos) << host.log;
        EXPECT_FALSE(std::filesystem::exists(dir / "m.FFT"));
    }
}

} // namespace
