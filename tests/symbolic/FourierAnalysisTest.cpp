// Fourier analysis of result tables: the radix-2 transform against a naive discrete
// Fourier transform, the sample-count rule with its messages, the fundamental frequency and
// the units of the ".FFT" table, a table written by hand, and result tables that cannot be
// read.
#include "FourierAnalysis.h"

#include "Reporter.h"
#include "TranscriptHost.h"
#include "varnel/Requests.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace varnel {
namespace {

using test::TranscriptHost;
using Complex = std::complex<double>;

/// sum x(n) e^(sign 2 pi i k n / N), with the exact angle, scaled by 1/N for sign -1.
std::vector<Complex> naiveTransform(const std::vector<Complex>& x, int sign)
{
    const std::size_t n = x.size();
    std::vector<Complex> out(n);
    for (std::size_t k = 0; k < n; ++k) {
        Complex sum = 0;
        for (std::size_t j = 0; j < n; ++j) {
            const double angle = sign * 2 * std::numbers::pi * static_cast<double>((k * j) % n) /
                                 static_cast<double>(n);
            sum += x[j] * std::polar(1.0, angle);
        }
        out[k] = sign < 0 ? sum / static_cast<double>(n) : sum;
    }
    return out;
}

TEST(FourierTransform, MatchesTheNaiveTransformInBothDirections)
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    for (int m = 0; m <= 10; ++m) {
        SCOPED_TRACE(m);
        const std::size_t n = std::size_t{1} << m;
        // Every third entry from offset 2 of a longer array is the signal.
        std::vector<Complex> store(2 + 3 * n);
        for (auto& c : store)
            c = {d(rng), d(rng)};
        std::vector<Complex> signal(n);
        for (std::size_t j = 0; j < n; ++j)
            signal[j] = store[2 + 3 * j];
        for (int direction : {1, 0}) {
            std::vector<Complex> fast;
            radix2Transform(direction, m, store.data(), 2, 3, fast);
            const std::vector<Complex> slow = naiveTransform(signal, direction == 1 ? 1 : -1);
            ASSERT_EQ(fast.size(), n);
            // Compared on the scale of the table's amplitudes, 2|C|/N.
            const double scale = direction == 1 ? 1.0 / static_cast<double>(n) : 1.0;
            for (std::size_t k = 0; k < n; ++k)
                ASSERT_LT(std::abs(fast[k] - slow[k]) * scale, 1e-9) << "k=" << k;
        }
    }
}

/// A table of columns t, yr, yi with y(n) = f(n) at t = n*dt, n = 0..count-1.
ResultTableData signalTable(int count, double dt, const std::function<Complex(int)>& f)
{
    ResultTableData table;
    table.columns = {"t", "yr", "yi"};
    table.values.resize(3);
    for (int n = 0; n < count; ++n) {
        const Complex y = f(n);
        table.values[0].push_back(static_cast<float>(n * dt));
        table.values[1].push_back(static_cast<float>(y.real()));
        table.values[2].push_back(static_cast<float>(y.imag()));
    }
    return table;
}

FourierAnswers answersFor(int last, FrequencyUnit unit = FrequencyUnit::Frequency)
{
    FourierAnswers a;
    a.independentColumn = 0;
    a.realColumn = 1;
    a.imagColumn = 2;
    a.unit = unit;
    a.firstHarmonic = 0;
    a.lastHarmonic = last;
    return a;
}

struct CountCase {
    const char* name;
    int samples;
    double lastValue; // the value of the last sample (the others are SIN of the phase)
    int transformed;
    std::string log;
};

TEST(FourierAnalysis, SampleCountRule)
{
    const CountCase cases[] = {
        {"power of two", 1024, std::nan(""), 1024, ""},
        {"repeated end point", 1025, 0.0, 1024, ""},
        {"end point off by 0.5", 1025, 0.5, 1024,
         "Signal not quite periodic\nPeriod error is about 0.500000"},
        {"truncated", 1000, std::nan(""), 512, "1000 points not a power of 2, series trucated"},
        {"three", 3, 0.0, 2, ""},
        {"one", 1, std::nan(""), 1, ""},
    };
    for (const CountCase& c : cases) {
        SCOPED_TRACE(c.name);
        TranscriptHost host;
        Reporter reporter;
        FourierAnalysis analysis(reporter);
        analysis.setTable(signalTable(c.samples, 0.01, [&](int n) {
            if (n == c.samples - 1 && !std::isnan(c.lastValue))
                return Complex(c.lastValue, 0.0);
            return Complex(std::sin(2 * std::numbers::pi * n / c.transformed), 0.0);
        }));
        ASSERT_TRUE(analysis.analyse(answersFor(c.samples), {}));
        EXPECT_EQ(host.log, c.log);
        EXPECT_EQ(analysis.result().samplesRead, c.samples);
        EXPECT_EQ(analysis.result().transformed, c.transformed);
        EXPECT_EQ(analysis.result().coefficients.size(), static_cast<std::size_t>(c.transformed));
    }
}

TEST(FourierAnalysis, ConstantAndCosineSignals)
{
    TranscriptHost host;
    Reporter reporter;
    const int n = 256;
    FourierAnalysis analysis(reporter);

    // A constant c: C(0) = N*c, every other coefficient 0.
    analysis.setTable(signalTable(n, 0.1, [](int) { return Complex(0.75, -0.25); }));
    ASSERT_TRUE(analysis.analyse(answersFor(n), {1, false, false}));
    const auto& c = analysis.result().coefficients;
    EXPECT_NEAR(std::abs(c[0] - Complex(0.75 * n, -0.25 * n)), 0.0, 1e-9);
    for (int k = 1; k < n; ++k)
        EXPECT_NEAR(std::abs(c[static_cast<std::size_t>(k)]), 0.0, 1e-9) << k;

    // cos(2 pi n / N): amplitude 2|C(k)|/N is 1 at k = 1 and k = N - 1, 0 elsewhere.
    analysis.setTable(signalTable(
        n, 0.1, [&](int j) { return Complex(std::cos(2 * std::numbers::pi * j / n), 0.0); }));
    ASSERT_TRUE(analysis.analyse(answersFor(n), {}));
    const auto& a = analysis.result().coefficients;
    for (int k = 0; k < n; ++k) {
        const double amplitude = 2 * a[static_cast<std::size_t>(k)].real() / n;
        EXPECT_NEAR(amplitude, k == 1 || k == n - 1 ? 1.0 : 0.0, 1e-6) << k;
    }
    EXPECT_NEAR(a[1].imag(), 0.0, 1e-6); // the phase of a cosine
    EXPECT_EQ(host.log, "");
}

/// The numbers of column `c` of the data rows of an ".FFT" table text.
std::vector<double> column(const std::string& text, int c)
{
    std::istringstream in(text);
    std::string line;
    std::getline(in, line); // header
    std::vector<double> out;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        double v = 0;
        for (int k = 0; k <= c; ++k)
            fields >> v;
        out.push_back(v);
    }
    return out;
}

TEST(FourierAnalysis, FrequencyUnits)
{
    // 64 samples 0.05 apart: the period is 64*0.05 = 3.2, f0 = 0.3125.
    TranscriptHost host;
    Reporter reporter;
    FourierAnalysis analysis(reporter);
    analysis.setTable(signalTable(64, 0.05, [](int j) { return Complex(std::sin(0.3 * j), 0); }));
    ASSERT_TRUE(analysis.analyse(answersFor(64), {}));
    EXPECT_NEAR(analysis.result().fundamental, 1.0 / 3.2, 1e-7);

    std::string text[3];
    const FrequencyUnit units[] = {FrequencyUnit::Frequency, FrequencyUnit::AngularFrequency,
                                   FrequencyUnit::Sample};
    for (int u = 0; u < 3; ++u) {
        FourierAnswers a = answersFor(100, units[u]); // clipped to N - 1 = 63
        a.firstHarmonic = -5;                         // clipped to 0
        ASSERT_TRUE(analysis.analyse(a, {}));
        text[u] = analysis.tableText();
    }
    EXPECT_EQ(text[0].substr(0, text[0].find('\n')), "f[Hz] Amplitude Phase[rad]");
    EXPECT_EQ(text[1].substr(0, text[1].find('\n')), "[rad/s] Amplitude Phase[rad]");
    EXPECT_EQ(text[2].substr(0, text[2].find('\n')), "n Amplitude Phase[rad]");
    const std::vector<double> f = column(text[0], 0), w = column(text[1], 0),
                              k = column(text[2], 0);
    ASSERT_EQ(f.size(), 64u);
    ASSERT_EQ(w.size(), 64u);
    ASSERT_EQ(k.size(), 64u);
    for (std::size_t i = 0; i < 64; ++i) {
        EXPECT_NEAR(f[i], static_cast<double>(i) / 3.2, 1e-6);
        EXPECT_NEAR(w[i], 2 * std::numbers::pi * f[i], 1e-6);
        EXPECT_EQ(k[i], static_cast<double>(i));
    }
    EXPECT_EQ(column(text[0], 1), column(text[1], 1)); // the same amplitudes
    // The table reads back as a result table, as the graph view takes it.
    ResultTableData back;
    TableReadError error;
    ASSERT_TRUE(parseResultTable(text[1], back, error));
    EXPECT_EQ(back.columns, (std::vector<std::string>{"[rad/s]", "Amplitude", "Phase[rad]"}));
    EXPECT_EQ(back.rowCount(), 64);
    char row[16];
    std::snprintf(row, sizeof row, "%6d ", 7);
    EXPECT_NE(text[2].find(std::string("\n") + row), std::string::npos);
}

TEST(FourierAnalysis, TableNumbersAreTheResultTableFormat)
{
    // Fixed "%15.7lf" for 1e-5 < |v| < 1e5 and for |v| <= 1e-50, "%15.6le" otherwise.
    const double values[] = {
        0.0,     0.5,   -0.5,  99999.99999999, 1e5,  -1e5,       1e-5,       1.5e-5,
        -2.5e-8, 1e-51, 1e-50, 1.1e-50,        1e50, 0.12345675, 2.00000005, -123.456789012345,
        1e300};
    for (double v : values) {
        const double a = std::fabs(v);
        char expected[64];
        std::snprintf(expected, sizeof expected,
                      (a > 1e-5 && a < 1e5) || a <= 1e-50 ? "%15.7lf" : "%15.6le", v);
        EXPECT_EQ(formatTableNumber(v), expected) << v;
    }
}

TEST(FourierAnalysis, TwoSampleTableWrittenByHand)
{
    // y = 1, 3 at t = 0, 0.5: C(0) = 4, C(1) = -2, amplitudes 4 and 2, phases 0 and pi.
    const std::string expected = "f[Hz] Amplitude Phase[rad]\n"
                                 "      0.0000000       4.0000000       0.0000000\n"
                                 "      1.0000000       2.0000000       3.1415927\n";
    TranscriptHost host;
    Reporter reporter;
    FourierAnalysis analysis(reporter);
    analysis.setTable(signalTable(2, 0.5, [](int n) { return Complex(n == 0 ? 1 : 3, 0); }));
    ASSERT_TRUE(analysis.analyse(answersFor(2), {}));
    std::string written;
    ASSERT_TRUE(analysis.writeTable([&](std::string_view text) {
        written = text;
        return true;
    }));
    EXPECT_EQ(written, expected);
    EXPECT_EQ(host.log, "\nFFT found!");
}

TEST(FourierAnalysis, FromATableFileThroughTheRequest)
{
    // A parametric graph table with ";" and tab separators and CR LF line ends.
    test::TempDir dir;
    std::string text = "PARAMETER:         a  1\r\n    t;   a\tvr   vi\r\n";
    for (int n = 0; n < 8; ++n) {
        char line[128];
        std::snprintf(line, sizeof line, "%15.7f;%15.7f\t%15.7f %15.7f\r\n", n * 0.125, 1.0,
                      std::cos(2 * std::numbers::pi * n / 8), 0.0);
        text += line;
    }
    text += "\r\nanything after an empty line is not read\n";
    test::writeFile(dir / "run.PRN", text);

    TranscriptHost host;
    Reporter reporter;
    FourierAnalysis analysis(reporter);
    ASSERT_TRUE(analysis.readTable((dir / "run.PRN").string())) << host.log;
    EXPECT_TRUE(analysis.table().hasParameterLine);
    EXPECT_EQ(analysis.table().parameterName, "a");
    EXPECT_EQ(analysis.table().parameterColumn, 1);

    // The whole operation: the request offers the four columns and the 8 samples.
    std::vector<std::string> offered;
    int sampleCount = 0;
    const auto answer = [&](FourierRequest& request) {
        offered.assign(request.names, request.names + request.nameCount);
        sampleCount = request.sampleCount;
        request.independentIndex = 0;
        request.realIndex = 2;
        request.imagIndex = 3;
        request.axisUnit = 2;
        request.samplesFrom = 1;
        request.samplesTo = 1;
        return true;
    };
    std::string written;
    const auto write = [&](std::string_view t) {
        written = t;
        return true;
    };
    ASSERT_TRUE(runFourierAnalysis((dir / "run.PRN").string(), {}, answer, write, reporter));
    EXPECT_EQ(offered, (std::vector<std::string>{"t", "a", "vr", "vi"}));
    EXPECT_EQ(sampleCount, 8);
    EXPECT_EQ(written.substr(0, 31), "n Amplitude Phase[rad]\n     1  ");
    EXPECT_NEAR(column(written, 1).at(0), 1.0, 1e-6);
    EXPECT_EQ(host.log, "\nFFT found!");

    // A request the host cancels ends the operation quietly, with nothing written.
    host.clear();
    written.clear();
    EXPECT_FALSE(runFourierAnalysis((dir / "run.PRN").string(), {},
                                    [](FourierRequest&) { return false; }, write, reporter));
    EXPECT_EQ(written, "");
    EXPECT_EQ(host.log, "");
}

struct BadTableCase {
    const char* name;
    std::string text; // empty: no file at all
    std::string message;
};

TEST(FourierAnalysis, TablesThatCannotBeReadAreRefused)
{
    test::TempDir dir;
    const std::string path = (dir / "run.PRN").string();
    const BadTableCase cases[] = {
        {"missing file", "", "File " + path + " Does Not Exist"},
        {"empty file", "\n", "Result table " + path + " has no rows"},
        {"header only", "          t          y\n", "Result table " + path + " has no rows"},
        {"parameter line only", "PARAMETER:    p      0\n",
         "Result table " + path + " has no rows"},
        {"unreadable number", "t y\n1 2\n3 4,5\n",
         "Unreadable number \"4,5\" in line 3 of " + path},
        {"missing field", "t y\n1 2\n3\n", "Line 3 of " + path + " has 1 values for 2 columns"},
        {"extra field", "t y\n1 2 3\n", "Line 2 of " + path + " has 3 values for 2 columns"},
    };
    for (const BadTableCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(path);
        if (!c.text.empty() || std::string(c.name) != "missing file")
            test::writeFile(path, c.text);
        TranscriptHost host;
        Reporter reporter;
        FourierAnalysis analysis(reporter);
        EXPECT_FALSE(analysis.readTable(path));
        EXPECT_EQ(host.log, "\n" + c.message + "<BEEP>\nError ...");
        EXPECT_TRUE(reporter.runError);
    }
}

TEST(FourierAnalysis, AnswersOutsideTheTableAreRefused)
{
    TranscriptHost host;
    Reporter reporter;
    FourierAnalysis analysis(reporter);
    analysis.setTable(signalTable(4, 1.0, [](int) { return Complex(1, 0); }));
    FourierAnswers a = answersFor(4);
    a.imagColumn = 3;
    EXPECT_FALSE(analysis.analyse(a, {}));
    EXPECT_EQ(host.log, "\nColumn 3 is not in the result table<BEEP>\nError ...");

    std::string written = "untouched";
    host.clear();
    analysis.setTable(signalTable(4, 1.0, [](int) { return Complex(1, 0); }));
    ASSERT_TRUE(analysis.analyse(answersFor(4), {}));
    EXPECT_FALSE(analysis.writeTable([](std::string_view) { return false; }));
    EXPECT_EQ(host.log, "\nUnable to open file for output<BEEP>\nError ...");
}

} // namespace
} // namespace varnel
