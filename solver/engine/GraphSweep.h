// Graph generation: the host's answer to the graph request turned into a sweep of the
// compiled equation set. The independent variable (and, for a parametric graph, the
// parameter) is held by an appended equation "variable - value"; the step loop solves one
// point per step and the sweep moves those values between steps.
#pragma once

#include "RunContext.h"

#include <string>
#include <vector>

namespace varnel {

/// The largest number of points a graph may ask for; more would take hours and write a
/// table of gigabytes.
inline constexpr long kMaxGraphPoints = 10'000'000;

class GraphSweep {
public:
    /// Checks the answer against the compiled set and prepares the run; on a fault sends
    /// "\n" and the message, raises the run error and returns false with the set unchanged:
    ///  - a variable index outside the set, or the parameter equal to the independent;
    ///  - "Value "From" must be less than "To" value!!" (also for non-finite values);
    ///  - fewer than one step, or fewer than one parameter step;
    ///  - more than kMaxGraphPoints points;
    ///  - equations that do not leave exactly the swept variables free.
    /// On success: "For FFT" sends the result table to base name + ".FFT"; a parametric
    /// graph (ignored with "For FFT") writes the "PARAMETER:" line ("%10s" name, two
    /// blanks, "%7d" 0-based column) and appends "parameter - From"; the independent
    /// variable's equation "independent - From" is appended; Delta T becomes the step and
    /// the run's step total the number of points.
    bool prepare(RunContext& context, const GraphRequest& request);

    /// Moves to point `solvedSteps` (0-based) of the sweep: the independent variable takes
    /// From + k * Delta T (k the point's place in its sweep, the last exactly To). A new
    /// sweep of a parametric graph moves the parameter by its increment, restarts the
    /// independent variable at From, and starts every other variable from the solution of
    /// the previous sweep's first point.
    void advance(RunContext& context, int solvedSteps);

    int pointsPerSweep() const { return m_steps + 1; }
    int sweeps() const { return m_parametric ? m_parameterSteps + 1 : 1; }

private:
    bool fail(RunContext& context, const std::string& message) const;
    void hold(RunContext& context, int equation, int variable, double value) const;

    int m_independent = 0; // variable numbers (1-based)
    int m_parameter = 0;
    int m_independentEquation = 0; // equation numbers of the appended equations
    int m_parameterEquation = 0;
    double m_from = 0.0;
    double m_to = 0.0;
    int m_steps = 0;
    bool m_parametric = false;
    double m_parameterFrom = 0.0;
    double m_parameterTo = 0.0;
    int m_parameterSteps = 0;
    std::vector<double> m_sweepStart; // the solution at the first point of the last sweep
};

} // namespace varnel
