// Validation of the derivatives and integrals written in an equation set, before the set is
// discretized, integrated by quadrature or expanded over intervals: finds the independent
// variable and the state variables and reports every malformed use. Fed by the compiled
// set; Discretization, Quadrature and IntervalExpansion call it first.
#pragma once

#include "EquationSet.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace varnel {

class Reporter;

namespace message {
constexpr std::string_view IndependentExpression = "Independent Variable Expressions Not Allowed";
constexpr std::string_view MultipleIndependent = "Multiple Independent Variables Not Allowed";
constexpr std::string_view NotSimpleDerivative = "Only Derivatives of Simple Variable Permitted";
constexpr std::string_view IntegrandIncorrect = "Integrand Incorrect";
constexpr std::string_view IntegrationVariableIncorrect = "Variable of Integration Incorrect";
constexpr std::string_view LimitSyntaxIncorrect = "Integral Limit Syntax Incorrect";
constexpr std::string_view DerivativeOfIndependent =
    "Derivative of the Independent Variable Not Allowed";
constexpr std::string_view IntegralWithDerivatives =
    "Integrals Not Allowed in Differential Equations";
constexpr std::string_view NoIndependentVariable =
    "\n\nSyntax Error!!\nThere is no independent variable!";
constexpr std::string_view OperationNotImplemented = "Operation Not Implemented";
constexpr std::string_view IllegalNumber = "Illegal Number";
constexpr std::string_view SyntaxErrorNoChanges = "Syntax Error, No Changes";
} // namespace message

/// What a scan of the set found. The written forms are D(x, t), the derivative of the
/// variable x with respect to the independent variable t, and INT(ARG(f, s), LIM(a, b)),
/// the integral of f over s from the lower limit a to the upper limit b.
struct CalculusScan {
    /// The t of the derivatives; 0 when no derivative was found.
    std::uint32_t independent = 0;
    /// State variables (the x of some D(x, t)) in ascending order of number.
    std::vector<std::uint32_t> states;
    /// isState[k] for variable k (slot 0 unused); sized to the variable count + 1.
    std::vector<bool> isState;
    /// Variables of integration in ascending order of number.
    std::vector<std::uint32_t> integrationVariables;
    int derivativeCount = 0;
    int integralCount = 0;
    /// Set by any message of the scan.
    bool error = false;
};

/// Sends `text`, then "\n", and runs the error routine (beep, run error).
void reportCalculusError(Reporter& reporter, std::string_view text);

/// Scans every equation, every token:
///  - D(x, t): t must be a single variable ("Independent Variable Expressions Not
///    Allowed"); the first such t is the independent variable and every later one must be
///    the same ("Multiple Independent Variables Not Allowed"); x must be a single variable
///    ("Only Derivatives of Simple Variable Permitted"), and becomes a state variable.
///  - INT(i, l): i must be an ARG pair ("Integrand Incorrect") whose second argument is a
///    single variable ("Variable of Integration Incorrect"); l must be a LIM pair
///    ("Integral Limit Syntax Incorrect").
/// Every violation is reported and sets `error`; the scan goes on to report the others.
/// The set is never changed.
CalculusScan scanCalculus(const EquationSet& set, Reporter& reporter);

} // namespace varnel
