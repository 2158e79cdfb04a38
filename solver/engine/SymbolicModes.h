// The modes of a run built on the symbolic operations: "A" (an operation by name, with
// the listing loop and the third letter "R" that solves the symbolic Jacobian), "E"
// (elimination), "O" (the stationary point of an objective) and "R" (simplification).
// Registered in the mode table; each reads and compiles the user's equations first.
#pragma once

#include "Modes.h"

namespace varnel {

/// "A" + operation name: read, compile, run the operation; when it needs the Jacobian
/// listing, write it and run the operation again. A third letter "R" then produces the
/// symbolic Jacobian ("SJ") and solves its equations from the ".SJC" file.
bool symbolicMode(ModeRun& run);
/// "E": read, compile, eliminate by substitution and save the set with its starting
/// values to ".SJC"; "\n" and "Elimination DONE!" on success.
bool eliminationMode(ModeRun& run);
/// "O": the symbolic Jacobian of the equations (as "ASJ") written to ".SJC", then its
/// equations solved: for an objective without relation, its stationary point.
bool optimizationMode(ModeRun& run);
/// "R": read, compile and simplify every equation, the set saved to ".SJC".
bool simplificationMode(ModeRun& run);

/// Reads the equation file `path` of the run (instead of the user's) and solves it.
bool solveProducedFile(ModeRun& run, const std::string& path);

} // namespace varnel
