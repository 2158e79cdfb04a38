// The headless host's side of the library protocol: the output callback that writes
// every piece to standard output as it arrives, the beep counter, and the answers to the
// library's requests, which come from command-line options instead of dialogs.
#pragma once

#include "varnel/Varnel.h"

#include <optional>
#include <string>

namespace varnel::cli {

/// Answers for the library's requests; an unset answer cancels the request (0).
struct RequestAnswers {
    std::optional<std::string> fftFile;       // code 3: the ".FFT" file to analyse
    std::optional<std::string> graphVariable; // code 1: the independent variable
    double graphFrom = -10.0;
    double graphTo = 10.0;
    int graphSteps = 100;                      // the sample count with graphForFft
    bool graphForFft = false;                  // "For FFT": the table goes to ".FFT"
    std::optional<std::string> graphParameter; // parametric graph: the parameter
    double parameterFrom = 0.0;
    double parameterTo = 5.0;
    int parameterSteps = 50;
    std::optional<std::string> fftTime; // code 0: the three columns
    std::optional<std::string> fftReal;
    std::optional<std::string> fftImag;
    int fftUnit = 0;
    int fftFrom = 0;
    std::optional<int> fftTo;
};

struct HostState {
    RequestAnswers answers;
    bool bell = false;
    int beeps = 0;
};

/// Installs the callback, beep and request handlers for `state` (one host per process).
void installHost(HostState& state);
/// The window handle the CLI passes to getSolver.
HWND hostWindow();
/// The output callback: every piece straight to standard output.
OutputCallback outputCallback();

} // namespace varnel::cli
