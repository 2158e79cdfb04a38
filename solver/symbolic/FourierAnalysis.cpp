// Fourier analysis: the sample count rule and the periodicity check, the fundamental
// frequency from the time column, the self-sorting radix-2 transform (two work arrays
// used alternately), amplitude and phase, and the text of the ".FFT" table.
#include "FourierAnalysis.h"

#include "GuardedMath.h"
#include "Reporter.h"
#include "varnel/Requests.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

namespace varnel {

namespace {

/// 2*pi as the transform writes it (pi is kPi, 3.14159265359).
constexpr double kTwoPi = 6.28318530718;
constexpr double kDegreesPerRadian = 180.0 / kPi;
/// A repeated end point that differs from the first sample by more than this is reported.
constexpr double kPeriodTolerance = 0.01;

} // namespace

FourierAnswers FourierAnswers::fromRequest(const FourierRequest& request)
{
    FourierAnswers a;
    a.independentColumn = request.independentIndex;
    a.realColumn = request.realIndex;
    a.imagColumn = request.imagIndex;
    switch (request.axisUnit) {
    case 1:
        a.unit = FrequencyUnit::AngularFrequency;
        break;
    case 2:
        a.unit = FrequencyUnit::Sample;
        break;
    default:
        a.unit = FrequencyUnit::Frequency;
        break;
    }
    a.firstHarmonic = request.samplesFrom;
    a.lastHarmonic = request.samplesTo;
    return a;
}

void radix2Transform(int direction, int m, const std::complex<double>* input, std::size_t offset,
                     std::size_t stride, std::vector<std::complex<double>>& output)
{
    const std::size_t n = std::size_t{1} << m;
    std::vector<std::complex<double>> a(n);
    for (std::size_t j = 0; j < n; ++j)
        a[j] = input[offset + stride * j];
    std::vector<std::complex<double>> b(n);
    const double step = (direction == 0 ? -kTwoPi : kTwoPi) / static_cast<double>(n);
    const std::size_t halfN = n / 2;

    // Before stage s the array holds, at k*R' + g, coefficient k of the transform of the
    // samples g, g + R', g + 2R', ... (R' = N/2^(s-1)). Stage s combines the transforms
    // of g and g + R (R = R'/2) into that of g with step R.
    for (int s = 1; s <= m; ++s) {
        const std::size_t length = std::size_t{1} << s;
        const std::size_t half = length / 2;
        const std::size_t groups = n / length; // R
        for (std::size_t k = 0; k < half; ++k) {
            const double theta = static_cast<double>(k * groups) * step;
            const double wr = std::cos(theta);
            const double wi = std::sin(theta);
            const std::complex<double>* even = a.data() + 2 * k * groups;
            const std::complex<double>* odd = even + groups;
            std::complex<double>* low = b.data() + k * groups;
            std::complex<double>* high = low + halfN;
            for (std::size_t g = 0; g < groups; ++g) {
                const double br = odd[g].real();
                const double bi = odd[g].imag();
                const double pr = br * wr - bi * wi;
                const double pi = bi * wr + br * wi;
                low[g] = {even[g].real() + pr, even[g].imag() + pi};
                high[g] = {even[g].real() - pr, even[g].imag() - pi};
            }
        }
        std::swap(a, b);
    }
    if (direction == 0) {
        const double scale = 1.0 / static_cast<double>(n);
        for (auto& c : a)
            c *= scale;
    }
    output = std::move(a);
}

void toAmplitudeAndPhase(std::vector<std::complex<double>>& values, bool degrees)
{
    for (auto& c : values) {
        const double re = c.real();
        const double im = c.imag();
        double phase = std::atan2(im, re);
        if (degrees)
            phase *= kDegreesPerRadian;
        c = {std::sqrt(re * re + im * im), phase};
    }
}

FourierAnalysis::FourierAnalysis(Reporter& reporter) : m_reporter(reporter) {}

bool FourierAnalysis::readTable(const std::string& path)
{
    m_names.clear();
    return readResultTable(path, m_table, m_reporter);
}

void FourierAnalysis::setTable(ResultTableData table)
{
    m_names.clear();
    m_table = std::move(table);
}

void FourierAnalysis::fillRequest(FourierRequest& request)
{
    m_names.clear();
    for (const std::string& name : m_table.columns)
        m_names.push_back(name.c_str());
    request.sampleCount = m_table.rowCount();
    request.names = m_names.data();
    request.nameCount = static_cast<std::int32_t>(m_names.size());
}

bool FourierAnalysis::analyse(const FourierAnswers& answers, const FourierFlags& flags)
{
    m_answers = answers;
    m_result = FourierResult{};
    const int columns = static_cast<int>(m_table.columns.size());
    for (int c : {answers.independentColumn, answers.realColumn, answers.imagColumn}) {
        if (c < 0 || c >= columns) {
            m_reporter.send("\n");
            m_reporter.sendf("Column %d is not in the result table", c);
            m_reporter.raiseError();
            return false;
        }
    }
    const int n0 = m_table.rowCount();
    if (n0 < 1) {
        m_reporter.send("\n");
        m_reporter.send("Result table has no rows");
        m_reporter.raiseError();
        return false;
    }
    const std::vector<float>& t =
        m_table.values[static_cast<std::size_t>(answers.independentColumn)];
    const std::vector<float>& re = m_table.values[static_cast<std::size_t>(answers.realColumn)];
    const std::vector<float>& im = m_table.values[static_cast<std::size_t>(answers.imagColumn)];

    int m = -1;
    for (int halved = n0; halved > 0; halved /= 2)
        ++m;
    const int n = 1 << m;
    // An empty range would write a table without rows and still report success.
    const int first = std::max(answers.firstHarmonic, 0);
    const int last = std::min(answers.lastHarmonic, n - 1);
    if (first > last) {
        m_reporter.send("\n");
        if (answers.firstHarmonic > answers.lastHarmonic)
            m_reporter.sendf("First harmonic %d is above the last, %d: nothing to list",
                             answers.firstHarmonic, answers.lastHarmonic);
        else
            m_reporter.sendf("First harmonic %d is above the last that %d samples give, %d: "
                             "nothing to list",
                             first, n, n - 1);
        m_reporter.raiseError();
        return false;
    }
    if (n0 == n + 1) {
        const double e = std::fabs(static_cast<double>(re[static_cast<std::size_t>(n)]) - re[0]) +
                         std::fabs(static_cast<double>(im[static_cast<std::size_t>(n)]) - im[0]);
        if (e > kPeriodTolerance) {
            m_reporter.send("Signal not quite periodic");
            m_reporter.send("\n");
            m_reporter.send("Period error is about ");
            m_reporter.sendf("%.6f", e);
        }
    } else if (n0 > n + 1) {
        m_reporter.sendf("%4d", n0);
        m_reporter.send(" points not a power of 2, series trucated");
    }

    double f0 = 1.0;
    if (n >= 2) {
        const double period = (static_cast<double>(t[static_cast<std::size_t>(n - 1)]) - t[0]) *
                              static_cast<double>(n) / static_cast<double>(n - 1);
        if (std::fabs(period) > TINY && period != UNDEFINED)
            f0 = 1.0 / period;
    }

    std::vector<std::complex<double>> signal(static_cast<std::size_t>(n));
    for (std::size_t j = 0; j < signal.size(); ++j)
        signal[j] = {static_cast<double>(re[j]), static_cast<double>(im[j])};

    m_result.samplesRead = n0;
    m_result.order = m;
    m_result.transformed = n;
    m_result.fundamental = f0;
    m_result.amplitudePhase = flags.amplitudePhase;
    m_result.degrees = flags.degrees;
    radix2Transform(flags.direction, m, signal.data(), 0, 1, m_result.coefficients);
    if (flags.amplitudePhase)
        toAmplitudeAndPhase(m_result.coefficients, flags.degrees);
    return true;
}

std::string FourierAnalysis::tableText() const
{
    std::string text;
    switch (m_answers.unit) {
    case FrequencyUnit::Frequency:
        text += "f[Hz]";
        break;
    case FrequencyUnit::AngularFrequency:
        text += "[rad/s]";
        break;
    case FrequencyUnit::Sample:
        text += "n";
        break;
    }
    if (m_result.amplitudePhase)
        text += m_result.degrees ? " Amplitude Phase[deg]\n" : " Amplitude Phase[rad]\n";
    else
        text += " Re Im\n";

    const int n = m_result.transformed;
    if (n < 1)
        return text;
    const int first = std::max(m_answers.firstHarmonic, 0);
    const int last = std::min(m_answers.lastHarmonic, n - 1);
    const double scale = 2.0 / static_cast<double>(n);
    if (last >= first)
        text.reserve(text.size() + static_cast<std::size_t>(last - first + 1) * 48);
    char buffer[32];
    for (int k = first; k <= last; ++k) {
        switch (m_answers.unit) {
        case FrequencyUnit::Frequency:
            appendTableNumber(text, k * m_result.fundamental);
            break;
        case FrequencyUnit::AngularFrequency:
            appendTableNumber(text, 2.0 * kPi * k * m_result.fundamental);
            break;
        case FrequencyUnit::Sample:
            std::snprintf(buffer, sizeof buffer, "%6d", k);
            text += buffer;
            break;
        }
        const std::complex<double>& c = m_result.coefficients[static_cast<std::size_t>(k)];
        text += ' ';
        appendTableNumber(text, scale * c.real());
        text += ' ';
        appendTableNumber(text, m_result.amplitudePhase ? c.imag() : scale * c.imag());
        text += '\n';
    }
    return text;
}

bool FourierAnalysis::writeTable(const std::function<bool(std::string_view text)>& write)
{
    if (!write(tableText())) {
        m_reporter.send("\n");
        m_reporter.send("Unable to open file for output");
        m_reporter.raiseError();
        return false;
    }
    m_reporter.send("\n");
    m_reporter.send("FFT found!");
    return true;
}

bool runFourierAnalysis(const std::string& tablePath, const FourierFlags& flags,
                        const std::function<bool(FourierRequest& request)>& ask,
                        const std::function<bool(std::string_view text)>& write, Reporter& reporter)
{
    FourierAnalysis analysis(reporter);
    if (!analysis.readTable(tablePath))
        return false;
    FourierRequest request;
    analysis.fillRequest(request);
    request.samplesTo = request.sampleCount;
    if (!ask(request))
        return false;
    return analysis.analyse(FourierAnswers::fromRequest(request), flags) &&
           analysis.writeTable(write);
}

} // namespace varnel
