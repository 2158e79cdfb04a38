// Fourier analysis of a result table: one period of complex samples taken from two columns
// is transformed by a self-sorting radix-2 transform, turned into amplitude and phase, and
// written as a ".FFT" table of harmonics. Fed by ResultTableReader and by the host's answer
// to the Fourier request; the solver object's Fourier operation drives it.
#pragma once

#include "NumberText.h" // the ".FFT" table writes values as the result tables do
#include "ResultTableReader.h"

#include <complex>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

class Reporter;
struct FourierRequest;

/// What the first column of the ".FFT" table shows.
enum class FrequencyUnit {
    Frequency,        // k*f0, "f[Hz]"
    AngularFrequency, // 2*pi*k*f0, "[rad/s]"
    Sample,           // k, "n"
};

/// The host's answer to the Fourier request, as plain values.
struct FourierAnswers {
    int independentColumn = 0; // 0-based columns of the table: the time ...
    int realColumn = 0;        // ... and the real and imaginary parts of the signal
    int imagColumn = 0;
    FrequencyUnit unit = FrequencyUnit::Frequency;
    int firstHarmonic = 0; // harmonics listed, first to last; clipped to 0 .. N-1
    int lastHarmonic = 0;

    /// The answer held in a request record the host has filled (an unknown unit counts
    /// as Frequency).
    static FourierAnswers fromRequest(const FourierRequest& request);
};

/// The flags of the Fourier operation.
struct FourierFlags {
    /// 1: C(k) = sum x(n) e^(+2 pi i k n / N), unscaled; 0: the exponent negated and every
    /// coefficient divided by N.
    int direction = 1;
    bool amplitudePhase = true; // replace each coefficient by (magnitude, phase)
    bool degrees = false;       // the phase in degrees instead of radians
};

/// The transform of a signal and what the table needs besides.
struct FourierResult {
    int samplesRead = 0;      // N0
    int order = 0;            // m: N = 2^m
    int transformed = 0;      // N
    double fundamental = 1.0; // f0 = 1/T
    /// C(k), k = 0..N-1, or (magnitude, phase) pairs after the amplitude-and-phase step.
    std::vector<std::complex<double>> coefficients;
    bool amplitudePhase = true;
    bool degrees = false;
};

/// Transforms the N = 2^m values input[offset + stride*j], j = 0..N-1, into `output` (N
/// values) with a self-sorting radix-2 transform (no bit reversal): stage s = 1..m combines
/// pairs of length-2^(s-1) transforms with the twiddle factors e^(+-i j 2pi/N), j = 0,
/// N/L, 2N/L, ... for L = 2^s. Direction as in FourierFlags.
void radix2Transform(int direction, int m, const std::complex<double>* input, std::size_t offset,
                     std::size_t stride, std::vector<std::complex<double>>& output);

/// Replaces each (re, im) by (sqrt(re^2 + im^2), atan2(im, re)), the angle in degrees
/// (times 180/3.14159265359) when asked.
void toAmplitudeAndPhase(std::vector<std::complex<double>>& values, bool degrees);

/// One Fourier analysis, in the order the run needs: read the table, fill the request,
/// analyse the host's answer, write the table.
class FourierAnalysis {
public:
    explicit FourierAnalysis(Reporter& reporter);

    /// Reads the result table at `path` (ResultTableReader, which reports its faults).
    bool readTable(const std::string& path);
    /// Takes a table read elsewhere.
    void setTable(ResultTableData table);
    const ResultTableData& table() const { return m_table; }

    /// Fills the fields the library sends with request code 0: the number of samples and
    /// the column names (pointers into this object's table, valid while it lives and its
    /// table is not replaced).
    void fillRequest(FourierRequest& request);

    /// The analysis of the answered columns: "Column <k> is not in the result table" and
    /// the run error for a column outside the table; otherwise the sample count rule (a
    /// power of two is taken whole; N + 1 samples drop the last, which repeats the first,
    /// with "Signal not quite periodic", "\n", "Period error is about " and the error
    /// ("%.6f") when |re(N+1) - re(1)| + |im(N+1) - im(1)| > 0.01; more samples send the
    /// count ("%4d") and " points not a power of 2, series trucated" and keep the first
    /// N), the fundamental frequency, the transform and, with the flag, amplitude and
    /// phase. T = (t(N) - t(1)) * N / (N - 1), the period of N equally spaced samples;
    /// f0 = 1/T, or 1 when N < 2, |T| <= 1e-50 or T is the undefined marker.
    bool analyse(const FourierAnswers& answers, const FourierFlags& flags);
    const FourierResult& result() const { return m_result; }

    /// The ".FFT" table of the last analysis: the header (the first column's label, a
    /// blank, the two value columns' names separated by a blank), then one line per
    /// harmonic k from the first to the last asked (clipped to 0 .. N-1): the first column
    /// (k*f0, 2*3.14159265359*k*f0 in the table number format, or k as "%6d"), a blank, the
    /// amplitude 2*|C(k)|/N, a blank, the phase. Value columns are named "Amplitude" and
    /// "Phase[rad]" or "Phase[deg]" (without the amplitude-and-phase step, "Re" and "Im",
    /// both written as 2*part/N).
    std::string tableText() const;

    /// Hands the table text to `write` (which stores it, for example atomically, and says
    /// whether it did); on success sends "\n" and "FFT found!". A write that fails sends
    /// "\n" and "Unable to open file for output" and raises the run error.
    bool writeTable(const std::function<bool(std::string_view text)>& write);

private:
    Reporter& m_reporter;
    ResultTableData m_table;
    std::vector<const char*> m_names;
    FourierAnswers m_answers;
    FourierResult m_result;
};

/// The whole Fourier operation of the solver object: reads the table at `tablePath`, fills
/// a request record and hands it to `ask` (which sends request code 0 and says whether the
/// host answered 1), analyses the answer with `flags` and hands the ".FFT" text to `write`.
/// False at the first step that fails (each reports its own fault, except a request the
/// host did not answer, which ends the operation quietly).
bool runFourierAnalysis(const std::string& tablePath, const FourierFlags& flags,
                        const std::function<bool(FourierRequest& request)>& ask,
                        const std::function<bool(std::string_view text)>& write,
                        Reporter& reporter);

} // namespace varnel
