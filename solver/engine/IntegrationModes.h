// The differential- and integral-equation modes of a run: the compiled set is transformed
// into an algebraic one (discretized in time, or its integrals replaced by quadrature sums),
// saved to the ".SJC" file and, with every digit its printed text rounds, stepped through
// time or solved once. The user's equations are restored afterwards.
#pragma once

#include "Modes.h"

namespace varnel {

/// Mode "D": the third character selects the kind, "I" differential equations and "D"
/// integral equations; the last character the rule ("T" trapezoidal, "B" backward Euler
/// for differential equations; "T" trapezoidal, "S" Simpson, others rectangle for
/// integrals). Any other third character is an unknown mode.
///
/// Differential equations: the independent variable starts at 0 unless a starting-value
/// statement gives it; every state needs a starting value ("State x has no starting
/// value" otherwise), and at least one step is asked for. Every time step solves the
/// discretized set once: the independent variable advances by Delta T through its own
/// equation, the previous-step copies hold the values of the step just solved, and the
/// number of steps is the run's repetitions. One integration-table row per solved step.
///
/// On a message of the transform nothing is written and false is returned. The variables
/// keep their solved values by name; the equations are those the user wrote.
bool runIntegrationMode(ModeRun& run);

} // namespace varnel
