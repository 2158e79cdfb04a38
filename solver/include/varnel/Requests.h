// Records of the request message (number 1049) that the library sends to its host
// window during a run: Fourier-analysis parameters (code 0), graph generation (code 1)
// and the choice of a file (code 3). The library owns them and passes them by pointer;
// the host fills the fields marked "out" before it answers 1.
#pragma once

#include <cstdint>

namespace varnel {

constexpr unsigned kRequestMessage = 1049;

enum RequestCode : unsigned {
    RequestFourier = 0,
    RequestGraph = 1,
    RequestFile = 3,
};

/// Code 0: parameters of the Fourier analysis of a result table.
struct FourierRequest {
    std::int32_t sampleCount = 0;       // in: number of samples ("X Samples To:" default)
    std::int32_t independentIndex = 0;  // out: "Independent Variable:"
    std::int32_t realIndex = 0;         // out: "Re ( Y ):"
    std::int32_t imagIndex = 0;         // out: "Im ( Y ):"
    const char* const* names = nullptr; // in: variable names offered, in order
    std::int32_t nameCount = 0;         // in: number of names (the list's own length)
    std::int32_t axisUnit = 0;          // out: 0 "Frequency", 1 "Angular Frequency", 2 "Sample"
    char realText[32] = {};             // out: text of the "Re ( Y ):" choice
    char imagText[1056] = {};           // out: text of the "Im ( Y ):" choice
    std::int32_t samplesFrom = 0;       // out: "X Samples From:"
    std::int32_t samplesTo = 0;         // out: "X Samples To:"
};

/// Code 1: graph generation (mode "G").
struct GraphRequest {
    std::int32_t hostWord = 0;
    std::int32_t independentIndex = 0; // out: "Independent Variable"
    std::int32_t reserved[2] = {};
    const char* const* names = nullptr; // in: variable names offered
    std::int32_t parameterIndex = 0;    // out: "Parameter Variable:"
    std::int32_t nameCount = 0;         // in: number of names
    char parameterName[1096] = {};      // out: parameter name (parametric graphs only)
    double parameterFrom = 0.0;         // out: parameter "From:"
    std::uint8_t forFft = 0;            // out: "For FFT" ticked
    std::uint8_t parametric = 0;        // out: "Parametric Graph" ticked
    double independentFrom = 0.0;       // out: independent "From:"
    double independentTo = 0.0;         // out: independent "To:"
    std::int32_t stepCount = 0;         // out: number of steps (or FFT sample count)
    double parameterTo = 0.0;           // out: parameter "To:"
    std::int32_t parameterSteps = 0;    // out: parameter "No of Steps:"
};

/// Code 3: a file chosen by the user (mode "W1"); the host writes the NUL-terminated
/// path into `path`, which starts at byte 92 of the record.
struct FileRequest {
    char reserved[92] = {};
    char path[1024] = {};
};

} // namespace varnel
