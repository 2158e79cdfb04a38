// Reading and compiling the equation set of a run: the equation file through the
// language front end (options line, working copy, statements), then the starting
// values, the equations an attached list file adds, the counts, and the folding of
// every equation's constants. Feeds the step loop.
#pragma once

#include "RunContext.h"

namespace varnel {

class ListFileSteps;

/// The run's equation file is a readable regular file; otherwise "Equation file ...
/// cannot be opened", the run error and a compile error.
bool equationFileReadable(RunContext& context);

/// Reads the equation file into context.set (the options line into context.settings).
/// False, with a compile error, when it cannot be read or does not parse.
bool readEquations(RunContext& context);

/// Reads only the options line of the equation file into context.settings; the input
/// stream is left open at its first line.
bool readOptionsOnly(RunContext& context);

/// Starting values, the list file's equations (`listFile` adds them when its file is
/// open), the count line, "Finding Derivatives of Equations...", and the folding of
/// every equation when automatic simplification is on. False with a compile error on
/// the first failure.
bool compileEquations(RunContext& context, ListFileSteps& listFile);

/// "Too many equations" / "Not enough equations" / "No equations to solve" with the
/// run error; true when the counts agree and are not zero.
bool checkSize(RunContext& context);

} // namespace varnel
