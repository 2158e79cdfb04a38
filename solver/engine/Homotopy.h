// Homotopy continuation: every equation f(x) becomes f(x) - (1 - t) f(x0), which the
// starting values solve at t = 0; the parameter t is moved towards 1 with Newton
// corrections at each target, the step growing after easy corrections and shrinking
// after hard or failed ones; a final correction solves the user's equations at t = 1.
#pragma once

#include "Jacobian.h"
#include "NewtonIteration.h"
#include "RunContext.h"

#include <cstdint>
#include <vector>

namespace varnel {

class Homotopy {
public:
    /// Rewrites every equation and appends the parameter t (a new variable) with its
    /// equation "t - target"; the method becomes HOMOTOPY with the SYMBOLIC Jacobian.
    void transform(RunContext& context, Jacobian& jacobian);
    /// Drops the parameter and its equation again (nothing when not transformed).
    void remove(RunContext& context, Jacobian& jacobian);
    /// The continuation from the current values; succeeded() tells the outcome.
    void solve(RunContext& context, Jacobian& jacobian, NewtonIteration& newton);

    bool succeeded() const { return m_succeeded; }
    /// Every target the continuation set, in order (the last one is the final 1).
    const std::vector<double>& targets() const { return m_targets; }

private:
    std::uint32_t m_variable = 0; // the parameter t, 0 when not transformed
    bool m_succeeded = false;
    std::vector<double> m_targets;
};

} // namespace varnel
