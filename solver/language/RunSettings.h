// The solution settings a run works with: the library's copy of the host's options
// record (taken by setOptions), overridden by the equation file's options line, plus
// the settings only the options line can make (complex mode).
#pragma once

#include <string>

namespace varnel {

struct RunSettings {
    int method = 0;            // 0 NEWTON, 1 ROBUST, 2 DISHONEST, 3 HOMOTOPY
    int jacobianMethod = 0;    // 0 SYMBOLIC, 1 INCREMENTAL
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
    std::string listFileName;  // at most 128 characters
    int listFileCount = 1;
    bool showIterations = false;
    bool showDerivatives = false;
    bool showResults = true;
    bool complexMode = false;  // options line position 9 only
};

} // namespace varnel
