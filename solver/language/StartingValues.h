// Starting values of a freshly read equation set: every variable gets a random start in
// the run's range, then starting-value statements (x 0xBB expression) and equations in one
// variable set their variable, and the starting-value statements leave the set. The run
// driver calls this right after the statements are read.
#pragma once

#include "EquationSet.h"
#include "Symbols.h"

#include <cstdint>
#include <functional>

namespace varnel {

class Evaluator;
class Reporter;

/// Relation character of a starting-value statement.
constexpr std::uint8_t kStartingValueRelation = symbol::StartingValueRelation;
/// Turns a generator integer 0..32767 into a fraction 0..1 (that is, 1 / 32767).
constexpr double kRandomScale = 3.051850947599719e-5;

/// Sets the starting values of `set` and drops its starting-value statements:
///  1. "Initial Values:\n", then for each variable: range [minimum, maximum], value
///     minimum + (maximum - minimum) * random() * kRandomScale, sent with "%10.6f";
///  2. "\n"; then each starting-value statement whose chain begins with a variable v sets
///     v := v - residual (guarded; 0 when the evaluation fails) and fixes v's range to
///     [v, v]; each other equation whose chain begins with v and uses no other variable
///     sets v := v - residual the same way (0.5 when the evaluation fails) and stays;
///  3. "Variables after initialization:\n" and each value with "%10.6f";
///  4. the starting-value statements are removed, later equations moving up.
/// `random` yields integers 0..32767. Returns the number of starting-value statements.
int setStartingValues(EquationSet& set, double minimum, double maximum,
                      const std::function<int()>& random, Evaluator& evaluator, Reporter& reporter);

} // namespace varnel
