// Integral equations: every INT(ARG(f, s), LIM(a, b)) of a set is replaced by a quadrature
// sum over 10 equal intervals (rectangle, trapezoidal or Simpson rule), so that the set
// becomes algebraic. Fed by the compiled set; the integral-equation mode solves the result.
#pragma once

#include "EquationSet.h"

#include <cstddef>

namespace varnel {

class Reporter;

enum class QuadratureRule {
    Rectangle,   // h * (f0 + f1 + ... + f9): the left end point of each interval
    Trapezoidal, // h * (0.5 f0 + f1 + ... + f9 + 0.5 f10)
    Simpson,     // h * (f0 + 4 f1 + 2 f2 + ... + 4 f9 + f10) / 3
};

/// The rule named by a mode character: "T" trapezoidal, "S" Simpson, any other rectangle.
QuadratureRule quadratureRuleFromCode(char code);

inline constexpr int kQuadratureIntervals = 10;
/// Most tokens one equation may reach by quadrature (nested integrals multiply their size).
inline constexpr std::size_t kMaxQuadratureChain = std::size_t{1} << 20;

/// Replaces every integral of `set` in place, innermost first. The step is
/// h = (b - a) / 10, a plain constant (b - a) * 0.1 when both limits are plain constants
/// and the expression (b - a) / 10 otherwise; copy i of the integrand has the variable of
/// integration replaced by a + i*h (a constant when the limits are). A variable of
/// integration that no equation uses afterwards leaves the variable table (later
/// variables move down by one). First scanCalculus: on any of its messages the set is
/// unchanged and false is returned; so too, after "Integral Too Large", "\n" and the error
/// routine, when an equation would exceed kMaxQuadratureChain tokens.
bool integrateByQuadrature(EquationSet& set, QuadratureRule rule, Reporter& reporter);

} // namespace varnel
