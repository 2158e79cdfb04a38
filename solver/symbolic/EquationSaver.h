// Saving a transformed equation set in the layout of the user's own file: the user's text
// is copied with every statement replaced by the printed equation of the same number.
// Fed by the run's working copy of the equation text and its compiled equation set; the
// caller writes the result to the product file.
#pragma once

#include "EquationSet.h"

#include <string>
#include <string_view>

namespace varnel {

class Reporter;

/// Sends "\n" and "\nSaving Equations...\n", then rewrites `text` into `out` (appended):
/// comments, blanks and everything after the last statement are copied as they stand,
/// and every line end is written as the text's own (CR LF when its first line ends so,
/// else a line feed; a lone carriage return is a line end too); each statement, up to
/// its ";", is replaced by the next equation of `set` printed with its relation
/// character, and comments inside the statement are copied before it. A statement whose
/// equation has the elimination relation 0x85 is copied as written; so is a starting-value
/// statement (relation 0xBB outside parentheses), which has no equation in a compiled set,
/// unless the next equation of the set is itself one. Statements beyond the set's
/// equations are copied as written. Equations beyond the text's statements follow, one per
/// line; with `withInitialValues` the initial-value section ends the text. False, with
/// "Equation Ended Prematurely" and the run error raised, when an equation cannot be
/// printed (or the run error is already set); `out` is then incomplete and must not be
/// kept. The caller writes `out` and then announces it with reportEquationsSaved.
bool saveEquations(std::string_view text, const EquationSet& set, bool withInitialValues,
                   Reporter& reporter, std::string& out);

/// Sends "\n" and "Equations Saved to File:  " followed by `outputName`: the end of a save,
/// once the file is written.
void reportEquationsSaved(Reporter& reporter, std::string_view outputName);

} // namespace varnel
