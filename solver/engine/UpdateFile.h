// The update file of the "UI"/"UR" modes (base name + ".UPD"): the last solution written
// as starting-value statements of the equation language ("name", the byte 0xBB, the value,
// ";"), one per line, so that a later run starts from it: mode "UR" reads it back, and the
// statements may also be pasted into the equation file.
#pragma once

#include "RunContext.h"

#include <string>

namespace varnel {

/// The text of the update file for the current values: a comment line, then one
/// statement per variable with the value in "%.17g" (exact when read back). A value that
/// is not finite is left out, with a comment naming the variable.
std::string updateFileText(const VariableTable& variables);

/// Writes the update file of the run (atomically); "\n", "Unable to open file for output"
/// and the run error when it cannot. Announces "Saving Solution to File:  " and the name.
bool writeUpdateFile(RunContext& context);

/// Reads the starting-value statements of `path` and gives each named variable of the run
/// its value; other statements are ignored, and so are names that are not variables of
/// the equations. Sends "Starting from ", the path and the count of values taken. False,
/// with the run error, when the file does not parse; a missing file is reported
/// ("File ", name, " Does Not Exist") and leaves the values as they are (result true).
bool readUpdateFile(RunContext& context, const std::string& path);

} // namespace varnel
