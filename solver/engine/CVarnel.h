// The solver object: one short-lived object per host command. It owns the run's
// settings, equation set, streams and messages; its operations are spread over the
// files of the stages that own them (RunDriver.cpp, ...).
#pragma once

#include "varnel/Varnel.h"

#include "Differentiator.h"
#include "EquationOrdering.h"
#include "EquationSet.h"
#include "Evaluator.h"
#include "LinearSolver.h"
#include "Reporter.h"
#include "SparseMatrix.h"
#include "RunSettings.h"
#include "TextFile.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <random>
#include <string>

/// Adds the time from its construction to its destruction to a counter.
class PhaseClock {
public:
    explicit PhaseClock(double& total) : m_total(total), m_start(std::chrono::steady_clock::now()) {}
    ~PhaseClock() { m_total += std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count(); }
    PhaseClock(const PhaseClock&) = delete;
    PhaseClock& operator=(const PhaseClock&) = delete;

private:
    double& m_total;
    std::chrono::steady_clock::time_point m_start;
};

class CVarnel final : public CVarnelInterface {
public:
    CVarnel();
    CVarnel(HWND wnd, unsigned int msg);
    ~CVarnel() override;

    bool solve(char* path, const char* mode) override;
    void setOutputCallback(OutputCallback cb) override;
    unsigned setOptions(const SolverOptions* options) override;
    const char* variableName(int i) override;
    double variableValue(int i) override;
    int variableCount() override;
    int solutionStrings(std::vector<char*>* strings) override;
    bool fourierTransform(int direction, int second, int amplitudePhase, int degrees, int fifth,
                          const char* outputPath) override;

    /// Base name of a path: everything before its last "." (at most 500 characters).
    static std::string baseNameOf(std::string_view path);

    /// A pseudo-random integer 0..32767 from the object's generator.
    int random();

    // Run state (reset at the start of every run).
    varnel::RunSettings settings;   // options record copy; the options line overrides it
    varnel::RunSettings hostSettings;
    varnel::EquationSet set;
    varnel::Reporter reporter;
    std::string path;
    std::string baseName;
    int stepNumber = 1;
    int stepTotal = 1;
    bool success = false;
    bool compileError = false;
    bool needsCompilation = true;
    int ifMode = 2;
    bool lastTry = false;
    bool integrating = false;
    bool ifHandling = true;

    // The run's streams: the equation input, the result table, the list file, the
    // working copy, the Jacobian listing and the other output files.
    enum Stream { Input, Results, ListFile, WorkingCopy, Jacobian, Update, Export, Extra1, Extra2, Extra3, Extra4, StreamCount };
    std::array<varnel::TextFile, StreamCount> streams;
    void closeStreams();

    // ---- Compilation (Compile.cpp)
    /// Reads the equation file: options line, working copy, statements.
    bool readEquations();
    /// Starting values, counts, and the preparation (folding) of every equation.
    bool compile();
    /// Appends one equation per fixed-value column of the open list file and applies its
    /// first data line.
    bool addListFileEquations();
    /// "Too many equations" / "Not enough equations"; false also when there are none.
    bool checkSize();

    // ---- Newton iteration (Newton.cpp)
    void doRegularSolution();
    /// Newton iterations from fresh counters until the stop test holds (limit, converged,
    /// error, damping exhausted, a growing residual); false when the system is singular.
    bool iterate(bool showProgress);
    void reportJacobianFailure(int equation);
    void evalFactorSolveAdd(int maxInterpolations);
    bool converged() const;
    void reportStep();
    void printIteration();
    /// Largest residual magnitude of a group's equations; residuals go to m_work[position].
    double groupResidualNorm(int group, int& worst);
    /// Evaluates the Jacobian entries of a group's rows (or of every row for group 0).
    void evaluateJacobian(int group);
    /// Residual of equation i at the current values; `failed` when the evaluation failed.
    double residualOf(int i, bool& failed);
    void recordFailure(int equation);

    // ---- Jacobian structure and groups for a step (StepLoop.cpp)
    bool prepareStructure();

    // ---- Step loop and algebraic solution (StepLoop.cpp)
    bool solveAlgebraic();
    void runSteps(int total);
    void repeatSteps();
    bool ifConditionsHold();
    int countIfTokens() const;
    void chooseBranches(unsigned mask);
    bool openListFile();
    bool readListFileLine();

    // ---- Homotopy (Homotopy.cpp)
    void homotopyTransform();
    void doHomotopySolution();
    void removeHomotopy();

    // Solution state
    varnel::Evaluator evaluator{reporter};
    varnel::Differentiator differentiator{reporter};
    varnel::SparseMatrix matrix;
    varnel::EquationOrdering ordering;
    bool listingNeeded = true;
    int iterationCount = 0;
    int errorExponent = 99;
    int worstEquation = 0;
    double largestResidual = 0.0;
    double previousLargest = 1e50;
    bool dampingExhausted = false;
    int errorEquation = 0;
    std::string errorText;
    int convergedGroups = 0;
    bool failingMark = false;
    bool stepSingular = false;
    std::vector<double> savedValues;      // values at the start of an iteration
    std::vector<double> rememberedValues; // values at the start of a step
    std::vector<double> m_work;           // residuals / corrections by elimination position
    varnel::EliminationWorkspace m_workspace;
    int listEquationFirst = 0;            // first equation that belongs to the list file (0: none)
    std::vector<std::string> listNames;   // list-file header names
    std::vector<bool> listStartValue;     // true: the column holds starting values
    int listLine = 0;
    std::vector<varnel::Equation> savedEquations;
    struct IfCondition {
        varnel::Chain code;
        bool negated;
    };
    std::vector<IfCondition> ifConditions;
    std::uint32_t homotopyVariable = 0;
    bool homotopySucceeded = false;
    std::vector<double> homotopyTargets; // every target the continuation set, in order
    bool listExhausted = false;
    bool advanceIndependent = false;

    /// Where the time of the last run went (seconds), for the benchmarks.
    struct PhaseTimes {
        double reading = 0;    // equation file, starting values, folding
        double listing = 0;    // differentiation and the Jacobian listing, read back
        double grouping = 0;   // ordering and grouping
        double iterations = 0; // Newton (or homotopy) steps
    } phaseTimes;

private:
    void resetRun();
    bool dispatch(const std::string& mode);
    bool modeNotBuilt(const char* what);
    bool readOptionsOnly();
    /// The equation file (base name + ".ALG" in any case) is a readable file; otherwise
    /// "Equation file ... cannot be opened" and a compile error.
    bool equationFileReadable();
    bool runUpdates(const std::string& mode);

    HWND m_wnd = nullptr;
    unsigned m_msg = 0;
    std::minstd_rand m_random;
};
