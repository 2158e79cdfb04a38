// The options line that may open an equation file: a first-line comment
// "{Options: ...}" whose positional words override the solution settings.
#pragma once

#include "RunSettings.h"

#include <string>
#include <string_view>
#include <vector>

namespace varnel {

class Reporter;

/// The tolerance exponents a run accepts: the residual exponent stops at -99, and above
/// 10 any starting point would pass as a solution.
inline constexpr int kLowestToleranceExponent = -99;
inline constexpr int kHighestToleranceExponent = 10;

/// What was wrong with an options line: words that are no option at their position
/// (the run goes on without them) and numbers outside their range (the run stops).
struct OptionsProblems {
    std::vector<std::string> unknownWords;
    std::vector<std::string> refused; // whole messages
};

/// Applies `firstLine` when it is an options line and returns true. Otherwise applies
/// the rule for files without one (method HOMOTOPY becomes ROBUST) and returns false.
/// A word that does not read at its position, or one past the ninth, changes nothing
/// and is listed in `problems`; so is a number out of its range (iteration limit below
/// 1, tolerance exponent outside -99..10, Delta J of 0), which changes nothing.
bool applyOptionsLine(std::string_view firstLine, RunSettings& settings,
                      OptionsProblems* problems = nullptr);

/// The same, reporting the problems: "Unknown word in the options line: " and the word
/// on a line of its own for each unknown word, and each refusal as an error.
bool applyOptionsLine(std::string_view firstLine, RunSettings& settings, Reporter& reporter);

/// "" when `exponent` is a tolerance exponent a run accepts, else the message.
std::string toleranceProblem(int exponent);
/// "" when the settings' numbers lie in their ranges (iteration limit at least 1,
/// tolerance exponent in -99..10, Delta J a finite number other than 0), else the message for the
/// first that does not: the host's options record is held to the ranges of the options line.
std::string settingsProblem(const RunSettings& settings);

} // namespace varnel
