// The field rule shared by the text tables the desktop program reads: list files of cases and
// result tables are split into fields the same way.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnel {

/// The non-empty fields of `line`, split at blanks, tabs and ";" (and the carriage return of
/// a CRLF line end).
std::vector<std::string> splitFields(std::string_view line);

} // namespace varnel
