// Folding a problem into one expression whose stationary points solve it: the Lagrangian
// of a constrained optimisation (multipliers and squared slacks) and the sum of squared
// residuals of a model over measured cases; then the gradient of that expression as a
// set of equations. Fed by the compiled equation set; the run driver saves and solves it.
#pragma once

#include "EquationSet.h"

#include <string>
#include <string_view>
#include <vector>

namespace varnel {

class Reporter;

/// Name of the multiplier of equation `equation`: the byte 0xEC and the number.
std::string multiplierName(int equation);
/// Name of the slack of equation `equation`: the byte 0xE4 and the number.
std::string slackName(int equation);

/// Replaces the equations of `set` by the single Lagrangian
///   term_N + ( ... + (term_1 + 0)),
/// term_i being equation i's residual e for a statement without relation, and
/// lambda_i * c otherwise, with c = SQUARE(s_i) - e for ">" and 0xF2, SQUARE(s_i) + e
/// for "<" and 0xF3, c = e for "=" and every other relation. Multipliers and slacks are
/// looked up by name first, so a second pass reuses them; new ones start at 1. An empty
/// set becomes the single equation 0. The relation of equation 1 is kept. False, with
/// "Too Many Variables" and the run error, when the variable table would overflow; the
/// set is then left as it was.
bool formLagrangian(EquationSet& set, Reporter& reporter);

/// Measured cases: the header's variable names and one row of numbers per case, each row
/// as long as the header.
struct MeasuredCases {
    std::vector<std::string> names;
    std::vector<std::vector<double>> rows;
};

/// Replaces the first `modelEquations` equations of `set` (the later ones are dropped)
/// by the single objective sum over rows and model equations of SQUARE(residual), the
/// residual with every variable named in the header replaced by the row's number; names
/// that are no variable of the set are ignored. No rows give the objective 0. Each residual
/// is folded once its measurements are in; false, with the folding's message naming the
/// case and the run error, when the model is undefined at a case (the set is then as it was).
bool formLeastSquares(EquationSet& set, int modelEquations, const MeasuredCases& cases,
                      Reporter& reporter);

/// Replaces the single equation F of `set` by its gradient: one equation dF/dv = 0 per
/// variable v that F uses, in the order of the variables. Variables F does not use are
/// dropped from the table and the others renumbered (values and ranges kept). False,
/// with the differentiator's report, when a derivative cannot be formed, or with
/// "No variables to solve for" when F uses none; the set is then left as it was.
bool formGradient(EquationSet& set, Reporter& reporter);

} // namespace varnel
