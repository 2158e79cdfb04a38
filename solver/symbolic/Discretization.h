// Discretization of differential equations: every derivative D(x, t) becomes a derivative
// variable, the set is written for the new and for the previous time step, and one-step
// formulas (backward Euler or trapezoidal) tie the steps together. Fed by the compiled set
// with its starting values; the result is an algebraic set that a step loop solves once
// per time step, calling advanceStep between steps.
#pragma once

#include "EquationSet.h"

#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

class Reporter;

enum class StepRule {
    BackwardEuler, // x = x0 + dt * x'
    Trapezoidal,   // x = x0 + dt/2 * (x' + x'0)
    Gear,          // asked for by some hosts; not implemented
};

/// The rule named by the last character of a differential-equation mode: "B" backward
/// Euler, "T" trapezoidal, "G" (and any other character) Gear.
StepRule stepRuleFromCode(char code);

/// What the step loop needs to march a discretized set. Variable numbers refer to the
/// transformed set; names allow the plan to be found again in a set read back from the
/// saved file (bindSteppingPlan).
struct SteppingPlan {
    struct Carry {
        std::uint32_t variable = 0; // value at the new step
        std::uint32_t previous = 0; // its previous-step copy
        int fixingEquation = 0;     // equation that holds `previous` (states and t), or 0
        std::string name;
        std::string previousName;
    };
    /// Every variable of the transformed set that has a previous-step copy, in the order
    /// of the new-step variables.
    std::vector<Carry> carries;
    std::uint32_t independent = 0;         // t (new step)
    std::uint32_t independentPrevious = 0; // its previous-step copy
    /// States and their derivative variables at the new step, in the same order.
    std::vector<std::uint32_t> states;
    std::vector<std::uint32_t> derivatives;
    /// Variables 1..userVariableCount are the user's, unchanged in number and name; their
    /// values are the solution at the new step.
    int userVariableCount = 0;
    double deltaT = 0.0;
};

/// Discretizes `set` in place. First scanCalculus (its messages on a malformed set); then
/// "\n\nSyntax Error!!\nThere is no independent variable!" without any D(x, t) and
/// "Operation Not Implemented" for StepRule::Gear. Each message is followed by "\n" and the
/// error routine, and leaves the set unchanged; false is returned.
///
/// With N variables, s states and m equations, the result is:
///  - variables 1..N as they were (the new step); N+1..N+s the derivative variables x'
///    of the states; N+s+k the previous-step copy of variable k (1 <= k <= N+s), named
///    by the variable's name and "0" (x0, t0, x'0; made unique when taken);
///  - equations 1..m: the user's equations at the new step, each D(x, t) replaced by x';
///    m+1..2m: the same at the previous step; then one step equation per state,
///    x - (x0 + dt*x') = 0 (backward Euler) or x - (x0 + 0.5*dt*(x' + x'0)) = 0
///    (trapezoidal); then t - (t0 + dt) = 0; then the fixing equations x0 - value = 0 of
///    every state and t0 - value = 0, which hold the previous step during a solution.
/// The previous-step copies start at the current values of their variables (the initial
/// state: starting values of the states and of t); derivative variables start at 0.
bool discretize(EquationSet& set, StepRule rule, double deltaT, Reporter& reporter,
                SteppingPlan& plan);

/// Ends a solved step: every previous-step copy takes the value its variable has now, and
/// every fixing equation is written anew to hold that value (so it may have been folded). The
/// independent variable moves on by Delta T through its own equation when the next step is solved.
void advanceStep(EquationSet& set, const SteppingPlan& plan);

/// Finds the plan's variables and fixing equations again, by name, in `set` (for example
/// the discretized set printed and read back, where numbers may differ). False when a
/// variable or a fixing equation is missing; the plan is then unchanged.
bool bindSteppingPlan(SteppingPlan& plan, const EquationSet& set);

} // namespace varnel
