// The runs that transform the equations before (or instead of) solving them: the complex
// form ("AFC"), constrained optimisation ("KFK") and estimation from the attached list
// file ("ALR"). Each reads the user's file, builds the transformed set, saves it as a
// product beside the file and, for the last two, solves the stationarity conditions.
#pragma once

#include "Modes.h"

namespace varnel {

/// "AFC": the equations read in real arithmetic, converted from complex to real (every
/// complex variable gets its imaginary-part partner, every equation becomes two),
/// simplified and saved to base name + ".SJC" with the options line set to REAL, so that
/// the product solves in real mode. Nothing is saved when a conversion is refused.
bool complexForm(ModeRun& run);

/// "KFK": the Lagrangian of the objective (the statements without relation) and the
/// constraints saved to ".KTK", its gradient with respect to every variable it uses
/// (the problem's own, the multipliers and the slacks) saved to ".SJC", and that
/// gradient solved as an algebraic system with the symbolic Jacobian.
bool constrainedOptimization(ModeRun& run);

/// "ALR": the sum of squared residuals of the model over the cases of the attached list
/// file, its gradient saved to ".SJC" and solved for the model's parameters. Without an
/// attached list file: "Estimation needs a list file of measurements: none is attached".
bool leastSquaresEstimation(ModeRun& run);

/// The "A" modes of this file by the rest of the mode ("FC", "LR"); any other is reported
/// as not available.
bool symbolicOperation(ModeRun& run);

} // namespace varnel
