// The options line that may open an equation file: a first-line comment
// "{Options: ...}" whose positional words override the solution settings.
#pragma once

#include "RunSettings.h"

#include <string_view>

namespace varnel {

/// Applies `firstLine` when it is an options line and returns true. Otherwise applies
/// the rule for files without one (method HOMOTOPY becomes ROBUST) and returns false.
bool applyOptionsLine(std::string_view firstLine, RunSettings& settings);

} // namespace varnel
