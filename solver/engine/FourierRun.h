// The Fourier operation of the solver object and of the modes "W0"/"W1": which table is
// analysed, where its transform goes, the request sent to the host, and the ".FFT" table
// written in one piece. The analysis itself is FourierAnalysis.
#pragma once

#include "FourierAnalysis.h"
#include "RunContext.h"

#include <string>

namespace varnel {

/// Where the transform of the table at `tablePath` is written: the table's base name +
/// ".FFT", or base name + "-spectrum.FFT" when that is the table itself (a table a graph
/// run wrote "For FFT"), so the samples are never overwritten by their transform.
std::string fourierOutputPath(const std::string& tablePath);

/// Analyses the table at `tablePath` (empty: the run's result table, base name + ".PRN"):
/// reads it, sends request code 0 and, when the host answers 1, writes the ".FFT" table.
/// A request left unanswered sends "\n", "Fourier analysis cancelled: the request was not
/// answered" and raises the run error. True when the table was written.
bool runFourier(RunContext& context, const std::string& tablePath, const FourierFlags& flags);

/// Mode "W1": request code 3 for the table to analyse, then runFourier on it; a request
/// left unanswered, or answered with an empty path, is reported and fails like the above.
bool runFourierOfChosenFile(RunContext& context, const FourierFlags& flags);

} // namespace varnel
