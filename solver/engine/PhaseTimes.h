// Where the time of a run goes, for the benchmarks: each stage adds its wall time to
// one counter of the run context through a PhaseClock.
#pragma once

#include <chrono>

namespace varnel {

struct PhaseTimes {
    double reading = 0;         // equation file, starting values, folding (seconds)
    double differentiation = 0; // symbolic derivatives of every equation
    double structure = 0;       // sparse structure, ordering and grouping
    double iterations = 0;      // Newton (or homotopy) steps
    double writing = 0;         // the Jacobian listing (waited for at the end of the run)
    int newtonIterations = 0;   // iterations of the last Newton solution
};

/// Adds the time from its construction to its destruction (or stop()) to a counter.
class PhaseClock {
public:
    explicit PhaseClock(double& total) : m_total(&total), m_start(std::chrono::steady_clock::now())
    {
    }
    ~PhaseClock() { stop(); }
    PhaseClock(const PhaseClock&) = delete;
    PhaseClock& operator=(const PhaseClock&) = delete;

    void stop()
    {
        if (m_total == nullptr)
            return;
        *m_total +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        m_total = nullptr;
    }

private:
    double* m_total;
    std::chrono::steady_clock::time_point m_start;
};

} // namespace varnel
