// Real-mode arithmetic of the internal code by operation byte: the binary operations and
// the one-argument functions as the operation table defines them. Kept for callers that
// hold a bare code; the functions themselves live in the numeric layer.
#pragma once

#include "EvalError.h"
#include "RealFunctions.h"

#include <cstdint>

namespace varnel {

class Reporter;

/// The binary operation `code` on first operand a and second operand b, result clamped to
/// BIG. IF and THEN have stack effects of their own and are not handled here (they give 0,
/// like every code without a rule).
double realBinary(std::uint8_t code, double a, double b, Reporter& reporter, EvalError& error);

/// The one-argument function `code` of x; 0 for a code without a rule.
double realUnary(std::uint8_t code, double x, Reporter& reporter, EvalError& error);

} // namespace varnel
