// Copies of an equation set's variables and equations for other time steps or points:
// unique names for the copies, equations copied onto other variables with each D(x, t)
// replaced by a derivative variable, and the step and fixing equations that tie the copies
// together. Discretization and IntervalExpansion build their sets with these.
#pragma once

#include "EquationSet.h"

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace varnel {

/// Keeps the names of a variable table being extended, so that every new name is unique.
class CopyNames {
public:
    /// Starts from the names of variables 1..count of `variables`.
    explicit CopyNames(const VariableTable& variables);

    /// `base` followed by `suffix`, cut to the 33 characters of a name by shortening
    /// `base`; when that name is taken, digits are appended (again within 33 characters)
    /// until it is not. The result is marked as taken.
    std::string make(const std::string& base, const std::string& suffix);

private:
    std::unordered_set<std::string> m_taken;
};

/// Suffix that names the derivative variable of a state: x' for x.
inline constexpr const char* kDerivativeSuffix = "'";

/// A copy of a stored (postfix) equation chain in which every variable number k of an X
/// token, and of a constant tied to a variable, becomes variableMap[k], and every D(x, t)
/// becomes the variable derivativeMap[x]. The chain must have passed scanCalculus.
Chain copyOntoVariables(const Chain& postfix, const std::vector<std::uint32_t>& variableMap,
                        const std::vector<std::uint32_t>& derivativeMap);

/// The stored step equation x - (previous + factor * (derivative + previousDerivative)),
/// or x - (previous + factor * derivative) when previousDerivative is 0.
Chain stepEquation(std::uint32_t x, std::uint32_t previous, double factor, std::uint32_t derivative,
                   std::uint32_t previousDerivative);

/// The stored equation t - (previous + step).
Chain advanceEquation(std::uint32_t t, std::uint32_t previous, double step);

/// The stored equation v - value, which holds v at a given value during a solution.
Chain fixingEquation(std::uint32_t v, double value);

/// True when `postfix` is a fixing equation of some variable: v - value (X, V, B"-", ";"),
/// or v alone, as folding leaves v - 0; `v` then holds its variable.
bool isFixingEquation(const Chain& postfix, std::uint32_t& v);

} // namespace varnel
