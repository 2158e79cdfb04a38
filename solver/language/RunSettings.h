// The solution settings a run works with: the library's copy of the host's options
// record (taken by setOptions), overridden by the equation file's options line, plus
// the settings only the options line can make (complex mode).
#pragma once

#include "varnel/Varnel.h"

#include <string>

namespace varnel {

/// Numbers of the solution methods (RunSettings::method), as the host's options record and
/// the options line's keywords NEWTON, ROBUST, DISHONEST, HOMOTOPY number them.
namespace method {
constexpr int Newton = METHOD_NEWTON;
constexpr int Robust = METHOD_ROBUST;
constexpr int Dishonest = METHOD_DISHONEST;
constexpr int Homotopy = METHOD_HOMOTOPY;
} // namespace method

/// Numbers of the Jacobian methods (RunSettings::jacobianMethod): SYMBOLIC, INCREMENTAL.
namespace jacobian {
constexpr int Symbolic = JACOBIAN_SYMBOLIC;
constexpr int Incremental = JACOBIAN_INCREMENTAL;
} // namespace jacobian

struct RunSettings {
    int method = method::Newton;
    int jacobianMethod = jacobian::Symbolic;
    int maxIterations = 10;
    int repetitions = 50;
    int toleranceExponent = -3;
    bool autoSimplify = true;
    bool autoHomotopy = false;
    bool solveInGroups = true;
    double deltaJ = 0.001;
    double deltaT = 0.1;
    double guessMin = 0.1;
    double guessMax = 1.0;
    bool listFileAttached = false;
    std::string listFileName; // at most 128 characters
    int listFileCount = 1;
    bool showIterations = false;
    bool showDerivatives = false;
    bool showResults = true;
    bool complexMode = false; // options line position 9 only
};

} // namespace varnel
