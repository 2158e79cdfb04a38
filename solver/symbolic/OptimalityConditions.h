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

/// An inequality of a constrained problem, taken from the set before formLagrangian
/// replaces it, so that the multiplier solved for it can be checked afterwards.
struct Inequality {
    int equation = 0;  // its number, which names its multiplier and its slack
    std::string text;  // as the equation printer writes it, without the closing ";"
    Chain left, right; // its two sides in prefix order, on the problem's variable table
};

/// The inequalities ("<", ">", 0xF2, 0xF3) of `set` in equation order, with their text
/// printed through `reporter`.
std::vector<Inequality> inequalitiesOf(const EquationSet& set, Reporter& reporter);

/// An active inequality whose multiplier no constrained minimum can have.
struct WrongSignedInequality {
    int equation = 0;
    std::string text;
    double multiplier = 0.0;
};

/// The inequalities that hold with equality at the solved point but whose multiplier has
/// the wrong sign. Whatever the direction, the Lagrangian's terms lambda*(s^2 - e) for
/// "at least" and lambda*(s^2 + e) for "at most" (e = left - right) make the Lagrange
/// condition of a minimum grad f = lambda*grad e, respectively -lambda*grad e, with
/// lambda >= 0: a negative multiplier means the objective falls by moving off the
/// boundary into the feasible region. Active: slack^2 at most `tolerance` times the larger
/// of 1 and the magnitudes of the two sides; wrong sign: lambda below -`tolerance` times
/// the larger of 1 and the largest multiplier magnitude. `problem` is the problem's own
/// variable table (the sides' variables are taken from `solved` by name, else from it);
/// `solved` holds the solved multipliers, slacks and variables. Equalities have no sign to
/// check and inactive inequalities a zero multiplier, so neither is ever listed.
std::vector<WrongSignedInequality>
wrongSignedInequalities(const std::vector<Inequality>& inequalities, const VariableTable& problem,
                        const VariableTable& solved, double tolerance, Reporter& reporter);

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
