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

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace varnel {

class ResultTable;

class StepLoop {
public:
    explicit StepLoop(Reporter& reporter) : m_jacobian(reporter) {}

    /// Mode "S": compiles when needed, checks the size, then solves one step, trying the
    /// IF-branch masks and the homotopy fallback as the settings say. True when solved.
    bool solveAlgebraic(RunContext& context);
    /// Mode "US": compiles when needed, then runs steps until stepTotal are solved, one
    /// fails or the list file ends. True when the last step solved.
    bool repeatSteps(RunContext& context);
    /// Compiles the equations read last when they still need it (starting values, list
    /// file, counts, folding). False on a compile error.
    bool compile(RunContext& context) { return compileIfNeeded(context); }

    /// Moves the swept variables of a graph between steps: called after every solved step
    /// with the number of steps solved so far in the run, before the values are remembered
    /// as the next step's start. Not called after a failed step or with the run error set.
    using StepAdvance = std::function<void(RunContext& context, int solvedSteps)>;
    void setStepAdvance(StepAdvance advance) { m_advance = std::move(advance); }

    /// Opens the attached list file (see ListFileSteps::open).
    bool openListFile(RunContext& context) { return m_listFile.open(context); }
    /// While differential equations are integrated: the result rows show `columns` by
    /// name (the integration table), and `afterStep` runs after every solved step, once its
    /// row is written and before its values are remembered as the next step's start.
    void setIntegration(std::vector<std::string> columns,
                        std::function<void(RunContext&)> afterStep)
    {
        m_columns = std::move(columns);
        m_afterStep = std::move(afterStep);
    }
    void clearIntegration()
    {
        m_columns.clear();
        m_afterStep = nullptr;
    }
    /// Waits for the Jacobian listing; called before the run returns.
    void finish() { m_jacobian.finishListing(); }

    const Homotopy& homotopy() const { return m_homotopy; }

private:
    void runSteps(RunContext& context, int total);
    void writeRow(ResultTable& table, RunContext& context, bool solved, int s);
    void solveStep(RunContext& context);
    bool ifConditionsHold(RunContext& context);
    int countIfTokens(const RunContext& context) const;
    void chooseBranches(RunContext& context, unsigned mask);
    bool compileIfNeeded(RunContext& context);

    Jacobian m_jacobian;
    NewtonIteration m_newton;
    Homotopy m_homotopy;
    ListFileSteps m_listFile;
    StepAdvance m_advance;

    struct IfCondition {
        Chain code;
        bool negated;
    };
    std::vector<IfCondition> m_ifConditions;
    std::vector<Equation> m_savedEquations;
    std::vector<double> m_rememberedValues; // values at the start of a step
    bool m_success = false;
    std::vector<std::string> m_columns;           // integration table columns
    std::function<void(RunContext&)> m_afterStep; // set while integrating
};

} // namespace varnel
