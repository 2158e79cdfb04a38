// The option lines that the Properties tree shows under each equation document, formatted
// from the document's solution settings, and the text of its results node.
#pragma once

#include "varnel/Varnel.h"

#include <string>
#include <vector>

namespace varnel {

/// "Results: OK" when the results-found flag is set, else "Results: NOT FOUND".
std::string resultsNodeText(const SolverOptions& options);

/// The eleven option lines, in tree order: "Method = Newton", "Jacoban Method = Exact
/// Jacobian", "Max. Iterations = 10", "Min. Tolerance = E-3", "Max. Initial Guess =
/// 1.000000", "Min. Initial Guess = 0.100000", "Delta J = 0.001000", "Delta T = 0.100000",
/// "Auto Simplify = TRUE", "Auto Homotopy = FALSE", "Solve in groups = TRUE". A method code
/// outside 0..3 is named by its number.
std::vector<std::string> optionLines(const SolverOptions& options);

/// Names of the solving methods, by code.
const char* methodName(int method);

} // namespace varnel
