// Writing a product of a run (a file beside the equation file) in one piece: the text goes
// to a temporary file in the same folder, which replaces the product only when it was
// written completely, so a failure never leaves a half-written file.
#pragma once

#include <string>
#include <string_view>

namespace varnel {

/// Writes `text` to `path` through a temporary file renamed over it. False, with `path`
/// as it was and no temporary file left, when the folder cannot take the file.
bool writeProduct(const std::string& path, std::string_view text);

} // namespace varnel
