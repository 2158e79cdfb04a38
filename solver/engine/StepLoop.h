// The algebraic solution of a run: the size check, the IF-branch masks, automatic
// homotopy, the step loop that runs one Newton (or homotopy) solution per step and
// writes a result row per step, and repeated steps driven by an attached list file.
// Owns the parts a solution needs (Jacobian, Newton iteration, homotopy, list file).
#pragma once

#include "Homotopy.h"
#include "Jacobian.h"
#include "ListFileSteps.h"
#include "NewtonIteration.h"
#include "RunContext.h"

#include <utility>
#include <vector>

namespace varnel {

class StepLoop {
public:
    explicit StepLoop(Reporter& reporter) : m_jacobian(reporter) {}

    /// Mode "S": compiles when needed, checks the size, then solves one step, trying the
    /// IF-branch masks and the homotopy fallback as the settings say. True when solved.
    bool solveAlgebraic(RunContext& context);
    /// Mode "US": compiles when needed, then runs steps until stepTotal are solved, one
    /// fails or the list file ends. True when the last step solved.
    bool repeatSteps(RunContext& context);
    /// Opens the attached list file (see ListFileSteps::open).
    bool openListFile(RunContext& context) { return m_listFile.open(context); }
    /// Waits for the Jacobian listing; called before the run returns.
    void finish() { m_jacobian.finishListing(); }

    const Homotopy& homotopy() const { return m_homotopy; }
    /// Compiles the equations when they are new (the symbolic modes before an operation).
    bool compile(RunContext& context) { return compileIfNeeded(context); }

private:
    void runSteps(RunContext& context, int total);
    void solveStep(RunContext& context);
    bool ifConditionsHold(RunContext& context);
    int countIfTokens(const RunContext& context) const;
    void chooseBranches(RunContext& context, unsigned mask);
    bool compileIfNeeded(RunContext& context);

    Jacobian m_jacobian;
    NewtonIteration m_newton;
    Homotopy m_homotopy;
    ListFileSteps m_listFile;

    struct IfCondition {
        Chain code;
        bool negated;
    };
    std::vector<IfCondition> m_ifConditions;
    std::vector<Equation> m_savedEquations;
    std::vector<double> m_rememberedValues; // values at the start of a step
    bool m_success = false;
};

} // namespace varnel
