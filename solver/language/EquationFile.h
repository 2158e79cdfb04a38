// Reading an equation file: the options line, the working copy (in memory) with its
// lines broken at 80 characters, and the statements read from that copy into the equation set
// (twice in complex mode, to find the real equations and variables first). The run driver calls it
// with its streams; starting values and counts come after, in the compile stage.
#pragma once

#include "EquationSet.h"
#include "Lexer.h"
#include "RunSettings.h"

#include <string>
#include <string_view>

namespace varnel {

class Reporter;
class SourceMap;
class TextFile;

/// Reads `equationFile` into `set`: reports "Reading Equations...\n", switches complex
/// mode off, opens the file as `input` and reads it whole, opens the result table
/// base + ".PRN" as a product (`results`; it replaces the old table only when committed),
/// applies the options line to `settings`, makes the working copy in memory (lines of 80
/// characters or more broken, never inside a name or a number) and reads its statements;
/// error messages give the line and column of the file. Function files are looked for
/// in the working directory, then beside the equation file. False on a parse error, a
/// refused option, a file that cannot be opened, or an interruption; `state` holds the
/// parse error. With `text`, that is the file's text and the file is not opened.
bool readEquationFile(const std::string& equationFile, const std::string& baseName,
                      RunSettings& settings, EquationSet& set, Reporter& reporter, TextFile& input,
                      TextFile& results, ParseState& state, const std::string* text = nullptr);

/// The working copy of a file's text: the text after its options line (all of it when
/// there is none), every line ending in a line feed, and every line of 80 characters or
/// more broken into pieces: at the last blank from the 80th character back to the 41st,
/// else the last "*", else the last "+" or "-" that is no exponent sign, else the last
/// place that splits no name or number; a name or number longer than a line stays whole.
std::string workingCopyOf(std::string_view fileText);

/// Reads every statement of `source` into `set`, each chain in postfix order ending in
/// ";"; with `map` the messages name the line and column of the file it came from. In
/// complex mode the text is read twice: first in real mode to decide which equations and
/// variables are real, then with every other variable expanded into two real unknowns
/// and every complex equation followed by its twin (the equation times the imaginary
/// unit).
bool readStatements(std::string_view source, const SourceMap* map, bool complexMode,
                    const std::string& functionFolder, EquationSet& set, Reporter& reporter,
                    ParseState& state);
/// The same for the rest of an open file.
bool readStatements(TextFile& source, bool complexMode, const std::string& functionFolder,
                    EquationSet& set, Reporter& reporter, ParseState& state);

/// The real-equation rule of the first complex pass, on one postfix chain: true when
/// the equation is real; a lone variable that makes it so is marked in `realVariables`
/// (indexed by variable number, grown as needed).
bool isRealEquation(const Chain& postfix, std::vector<bool>& realVariables);

} // namespace varnel
