// The solver library's interface to its hosts: the abstract solver object with its
// virtual operations, the options record, the output callback and the factories.
// A host makes one object per command: getSolver, setOptions, solve, read the
// variables back, delete.
#pragma once

#include "varnel/Export.h"
#include "varnel/Platform.h"
#include "varnel/Requests.h"

#include <cstddef>
#include <cstdint>
#include <vector>

/// Receives every piece of text the library shows to the user (pieces of a line, then
/// "\n" as a call of its own). Held library-wide: one callback for all solver objects.
using OutputCallback = void (*)(char* text);

/// The host's string object for the attached list-file name: the second word points to
/// the characters (may be null), the third holds the length in characters.
struct HostString {
    void* hostWord = nullptr;
    const char* chars = nullptr;
    std::intptr_t length = 0;
    void* hostWord2 = nullptr;
};

/// Solution settings handed from host to library; setOptions copies what it needs.
struct SolverOptions {
    std::int32_t hostWord = 0;       // the host's own word, not read
    std::int32_t method = 0;         // 0 NEWTON, 1 ROBUST, 2 DISHONEST, 3 HOMOTOPY
    std::int32_t jacobianMethod = 0; // 0 SYMBOLIC, 1 INCREMENTAL
    std::int32_t maxIterations = 10;
    std::int32_t repetitions = 50;
    std::int32_t toleranceExponent = -3; // tolerance = 10^toleranceExponent
    std::int32_t autoSimplify = 1;
    std::int32_t autoHomotopy = 0;
    std::int32_t solveInGroups = 1;
    std::int32_t alignmentGap = 0; // never read
    double deltaJ = 0.001;
    double deltaT = 0.1;
    double guessMin = 0.1;
    double guessMax = 1.0;
    std::int32_t differentialMethod = 0; // host only: "DDIB" when non-zero, else "DDIT"
    std::int32_t resultsFound = 0;       // host's own word, not read
    HostString listFile;                 // attached list file, empty when none
    std::int32_t listFileCount = 0;
    std::uint8_t showIterations = 0;
    std::uint8_t showDerivatives = 0;
    std::uint8_t showResults = 1;
};

/// Codes of SolverOptions::method.
enum SolverMethod : std::int32_t {
    METHOD_NEWTON = 0,
    METHOD_ROBUST = 1,
    METHOD_DISHONEST = 2,
    METHOD_HOMOTOPY = 3
};
/// Codes of SolverOptions::jacobianMethod.
enum JacobianMethod : std::int32_t { JACOBIAN_SYMBOLIC = 0, JACOBIAN_INCREMENTAL = 1 };

/// The host's view of a solver object. The order of the virtual operations is fixed.
class VARNEL_API CVarnelInterface {
public:
    /// Runs one command: `path` is a writable buffer holding the equation file's full
    /// path, `mode` selects what the run does ("S", "US", "F", ...). True when the run
    /// ended without error. Never throws.
    virtual bool solve(char* path, const char* mode) = 0;
    /// Replaces the library-wide output callback.
    virtual void setOutputCallback(OutputCallback cb) = 0;
    /// Copies the options; returns the number of list-file name characters taken.
    virtual unsigned setOptions(const SolverOptions* options) = 0;
    /// Name of variable i+1 (0-based i), NUL-terminated, at most 33 characters.
    virtual const char* variableName(int i) = 0;
    /// Current value of variable i+1 (0-based i).
    virtual double variableValue(int i) = 0;
    /// Number of variables of the last run; 0 before any run.
    virtual int variableCount() = 0;
    /// Appends one new[]-allocated "%s=%.15lf" string per variable; the caller frees
    /// them with delete[]. Always returns 1.
    virtual int solutionStrings(std::vector<char*>* strings) = 0;
    /// Fourier analysis of a result table: direction flag, (unused), amplitude-and-phase
    /// flag, degrees flag, (unused), the table to analyse (null: the last run's ".PRN").
    /// Sends request code 0 for the columns; the transform is written beside the table
    /// as its base name + ".FFT" (+ "-spectrum.FFT" when the table is itself that file).
    virtual bool fourierTransform(int direction, int second, int amplitudePhase, int degrees,
                                  int fifth, const char* tablePath) = 0;
    virtual ~CVarnelInterface();
};

/// The solver object (defined inside the library).
class CVarnel;

/// A solver object with no window (handle 0, message 0); null when allocation fails.
VARNEL_API CVarnelInterface* getSolver();
/// A solver object bound to window `wnd` and request message `msg`, with `callback`
/// installed as the output callback; null when allocation fails.
VARNEL_API CVarnelInterface* getSolver(void (*callback)(char*), HWND wnd, unsigned int msg);
