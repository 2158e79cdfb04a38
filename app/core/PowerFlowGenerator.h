// Turns a power-system network in the IEEE Common Data Format (.CF) into a file of AC
// power-flow equations in polar form (.ALG) that the solver reads like any equation
// file. Fed by the CDF reader; used by the desktop command and by varnel-cli.
#pragma once

#include "CdfReader.h"

#include <string>

namespace varnel {

struct PowerFlowResult {
    bool ok = false;
    /// On success "Power Flow equations formed and stored to the file \"<output>\"";
    /// otherwise what went wrong, naming the file.
    std::string message;
};

/// Reads the network at inputPath and writes its equations to outputPath. The output is
/// written to a temporary file beside it and renamed when complete, so a failure leaves
/// no partial file; the input is never overwritten. Never throws.
PowerFlowResult convertCdfFile(const std::string& inputPath, const std::string& outputPath);

/// The output name for a chosen input: the path up to the first "." of its file name,
/// followed by ".ALG" ("/data/net.CF" gives "/data/net.ALG"; a file name without "."
/// gets ".ALG" appended; dots in folder names are kept).
std::string powerFlowOutputName(const std::string& chosenPath);

/// The equation text that convertCdfFile writes for a network read by readCdf. On
/// failure (a branch naming a bus without a card, a duplicate bus, too many tie lines,
/// a value too large to write, ...) ok is false and the message says why.
PowerFlowResult formPowerFlowEquations(const CdfNetwork& network, std::string& text);

} // namespace varnel
