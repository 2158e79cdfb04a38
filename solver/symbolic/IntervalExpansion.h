// Interval expansion: a set of differential equations written out over 10 consecutive
// intervals of the independent variable at once, the 11 points coupled by the trapezoidal
// rule, so that one algebraic solution gives the whole trajectory. Fed by the compiled set
// with its starting values (the state at the first point).
#pragma once

#include "EquationSet.h"

#include <cstdint>

namespace varnel {

class Reporter;

inline constexpr int kExpansionIntervals = 10;
inline constexpr int kExpansionPoints = kExpansionIntervals + 1;

/// Where the copies of the original variables are in an expanded set.
struct ExpansionLayout {
    int userVariableCount = 0; // N, the variables before the expansion
    /// Number of the copy of variable v (1..N) at point c (0..10): N*c + v.
    std::uint32_t copyOf(std::uint32_t v, int c) const
    {
        return static_cast<std::uint32_t>(userVariableCount * c) + v;
    }
};

/// Expands `set` in place. A set that fails scanCalculus gets its messages, then
/// "Syntax Error, No Changes". Otherwise "Number of Intervals: " and 10 ("%d", then "\n")
/// are written; a set of more than 200 equations or 90 variables, or one whose expansion
/// would exceed 2000 equations or variables, gets "Illegal Number". Each message is
/// followed by "\n" and the error routine; the set is left unchanged and false returned.
///
/// With N variables, s states and m equations the result is:
///  - variable N*c + v: variable v at point c, named by v's name and c ("x0" .. "x10",
///    made unique when taken), starting at v's value; then 11*N + s*c + j: the derivative
///    of state j (in order of number) at point c, named "x'0" .. "x'10", starting at 0;
///  - the m equations at each point 0..10 (11*m), each D(x, t) replaced by the derivative
///    at that point; for every interval k = 1..10 and state x the coupling
///    x_k - (x_(k-1) + 0.5*dt*(x'_k + x'_(k-1))) = 0 and t_k - (t_(k-1) + dt) = 0; and the
///    fixing equations x_0 - value = 0 and t_0 - value = 0 that start the trajectory at the
///    current values of the states and of t.
bool expandIntervals(EquationSet& set, double deltaT, Reporter& reporter, ExpansionLayout& layout);

} // namespace varnel
