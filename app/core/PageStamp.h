// The header and footer lines of printed equation files: a template in which the first "&p"
// becomes the page number and the first "&f" the document's path, then formatted as a time
// (strftime codes) with the file's modification time or the current time.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace varnel {

/// Default templates of the "PageSetup" settings.
inline constexpr const char* kDefaultHeader = "File: &f";
inline constexpr const char* kDefaultFooter = "Page: &p";

/// The stamped line. `path` is the document's path (its title when it has none); a "%" in
/// it is printed as it stands and never read as a time code. An empty template gives "".
std::string stampPageLine(std::string_view pageTemplate, int page, std::string_view path,
                          std::time_t when);

/// The time a header or footer shows: the current time `now` when `systemTime` is chosen
/// or the path has no "." (an unsaved document); otherwise the file's modification time,
/// or `now` when the file cannot be read.
std::time_t pageStampTime(bool systemTime, const std::string& path, std::time_t now);

} // namespace varnel
