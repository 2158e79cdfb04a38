// The runs that transform the equations before (or instead of) solving them: the complex
// form ("AFC"), constrained optimisation ("KFK") and estimation from the attached list
// file ("ALR"). Each reads the user's file, builds the transformed set, saves it as a
// product beside the file and, for the last two, solves the stationarity conditions.
#pragma once

#include "Modes.h"
#include "SymbolicOperations.h"

namespace varnel {

/// "FC": the user's equations read again in real arithmetic, converted from complex to
/// real (every complex variable gets its imaginary-part partner "_im", every equation
/// becomes two), their constants folded, and saved to base name + ".SJC" with the options
/// line set to REAL, so that the product solves in real mode. Nothing is saved when a
/// conversion is refused.
OperationResult complexFormOperation(RunContext& context);

/// "FK" / "FL": the compiled set replaced by its Lagrangian (see formLagrangian), saved to
/// base name + `extension` (".KTK" or ".SJC"); the Jacobian method becomes SYMBOLIC.
OperationResult lagrangianOperation(RunContext& context, const char* extension);

/// "LR": the compiled set replaced by the sum of squared residuals of its equations over
/// the cases of the attached list file; the Jacobian method becomes SYMBOLIC. Fails with
/// "Estimation needs a list file of measurements: none is attached", "File ... Does Not
/// Exist", a line with missing or extra values, a value that is no number, a name that is
/// no variable, or a file without values.
OperationResult leastSquaresOperation(RunContext& context);

/// "KFK": read and compile, the Lagrangian saved to ".KTK", its gradient with respect to
/// every variable it uses (the problem's own, the multipliers and the slacks) saved to
/// ".SJC" and solved with the symbolic Jacobian from the values the variables have after
/// compilation (starting-value statements kept; multipliers and slacks start at 1). A solved
/// point where an active inequality's multiplier has the wrong sign (see
/// wrongSignedInequalities) is kept, with a warning naming each such inequality.
bool constrainedOptimization(ModeRun& run);

/// "ALR": read and compile, the least-squares objective (see leastSquaresOperation), its
/// gradient with respect to the model's parameters saved to ".SJC" and solved with the
/// symbolic Jacobian from the parameters' values after compilation, so that
/// starting-value statements hold and the measured numbers keep their full precision.
bool leastSquaresEstimation(ModeRun& run);

/// The "A" entry of the mode table: "ALR" as above, every other "A" mode by symbolicMode.
bool symbolicOrEstimation(ModeRun& run);

} // namespace varnel
