// Reading an equation file: the options line, the working copy with its lines broken at
// 80 characters, and the statements read from that copy into the equation set (twice in
// complex mode, to find the real equations and variables first). The run driver calls
// it with its streams; starting values and counts come after, in the compile stage.
#pragma once

#include "EquationSet.h"
#include "Lexer.h"
#include "RunSettings.h"

#include <string>

namespace varnel {

class Reporter;
class TextFile;

/// Reads base + ".ALG" (extension in any case) into `set`: reports
/// "Reading Equations...\n", switches complex mode off, opens the equation file as
/// `input`, the result table base + ".PRN" as `results` and the working copy base +
/// ".TMP" as `workingCopy` (both emptied), applies the options line to `settings`, copies
/// the rest into the working copy and reads its statements. Function files are looked
/// for in the working directory, then beside the equation file. False on a parse error,
/// a file that cannot be opened, or an interruption; `state` holds the parse error.
bool readEquationFile(const std::string& baseName, RunSettings& settings, EquationSet& set,
                      Reporter& reporter, TextFile& input, TextFile& results,
                      TextFile& workingCopy, ParseState& state);

/// Reads every statement of `source` (open for reading, at its start) into `set`, each
/// chain in postfix order ending in ";". In complex mode the file is read twice: first
/// in real mode to decide which equations and variables are real, then with every other
/// variable expanded into two real unknowns and every complex equation followed by its
/// twin (the equation times the imaginary unit).
bool readStatements(TextFile& source, bool complexMode, const std::string& functionFolder,
                    EquationSet& set, Reporter& reporter, ParseState& state);

/// The real-equation rule of the first complex pass, on one postfix chain: true when
/// the equation is real; a lone variable that makes it so is marked in `realVariables`
/// (indexed by variable number, grown as needed).
bool isRealEquation(const Chain& postfix, std::vector<bool>& realVariables);

} // namespace varnel
