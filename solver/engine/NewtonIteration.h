// The damped Newton iteration over the equation groups: the ordering of the system for a
// step, then iterations from the current values until the largest residual is below the
// tolerance, the iteration limit is reached, the damping gives up or an evaluation fails;
// its progress line and the verdict of the step. Fed by the Jacobian; driven by the step
// loop and by the homotopy continuation.
#pragma once

#include "EquationOrdering.h"
#include "Jacobian.h"
#include "LinearSolver.h"
#include "RunContext.h"

#include <string>
#include <vector>

namespace varnel {

class NewtonIteration {
public:
    /// Ordering and grouping of the system for a step (evaluating the Jacobian as it
    /// goes). False when the system is singular or the run error is set.
    bool analyse(RunContext& context, Jacobian& jacobian);

    /// Newton iterations from fresh counters until the stop test holds (limit, converged,
    /// error, damping exhausted, a growing residual); false when the system is singular.
    /// With `showProgress` every iteration sends its progress line.
    bool iterate(RunContext& context, Jacobian& jacobian, bool showProgress);

    /// Largest residual below the tolerance and every group converged.
    bool converged(const RunContext& context) const;
    /// The verdict of a step: "Error in Solution", "Solution ... Not Found", "Eqn ...
    /// group failed", "Iteration Limit Sol" or "Solution Found!".
    void reportStep(RunContext& context) const;

    bool singular() const { return m_ordering.singular(); }
    int iterationCount() const { return m_iterationCount; }
    int errorExponent() const { return m_errorExponent; }
    double largestResidual() const { return m_largestResidual; }
    void setLargestResidual(double r) { m_largestResidual = r; }
    bool dampingExhausted() const { return m_dampingExhausted; }
    void setDampingExhausted(bool exhausted) { m_dampingExhausted = exhausted; }

private:
    void evalFactorSolveAdd(RunContext& context, Jacobian& jacobian, int maxInterpolations);
    void printIteration(RunContext& context) const;
    /// Largest residual magnitude of a group's equations; residuals go to m_work[position].
    double groupResidualNorm(RunContext& context, int group, int& worst);
    void recordFailure(const RunContext& context, int equation);

    EquationOrdering m_ordering;
    EliminationWorkspace m_workspace;
    std::vector<double> m_work;        // residuals / corrections by elimination position
    std::vector<double> m_savedValues; // values at the start of an iteration
    std::vector<double> m_block;       // the group's Jacobian values before factorisation
    std::vector<double> m_rhs;         // the group's residuals before the solve
    std::vector<double> m_remainder;   // scratch of the refinement
    int m_iterationCount = 0;
    int m_errorExponent = 99;
    int m_worstEquation = 0;
    double m_largestResidual = 0.0;
    double m_previousLargest = 1e50;
    bool m_dampingExhausted = false;
    int m_errorEquation = 0;
    std::string m_errorText;
    int m_convergedGroups = 0;
    bool m_failingMark = false;
};

} // namespace varnel
