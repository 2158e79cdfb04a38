// Companion files of an equation file are named base name + "." + extension. Hosts may
// save the equation file with a lower-case extension; on case-sensitive file systems an
// existing file is found without regard to the extension's case.
#pragma once

#include <string>
#include <string_view>

namespace varnel {

/// base + "." + ext when that file exists; otherwise an existing file in the same
/// folder whose name differs only in the extension's case; otherwise base + "." + ext.
std::string resolveCompanion(const std::string& base, std::string_view ext);

} // namespace varnel
