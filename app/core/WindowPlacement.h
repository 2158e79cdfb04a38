// The main window's placement as it is kept in the "Settings"/"WindowPos" string: flags,
// show command, minimised and maximised positions and the normal rectangle, ten numbers
// separated by commas. A string that does not give all ten numbers is not used.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnel {

/// Show commands of a window.
constexpr unsigned kShowNormal = 1;
constexpr unsigned kShowMinimized = 2;
constexpr unsigned kShowMaximized = 3;
/// Placement flag: restore to maximised.
constexpr unsigned kRestoreToMaximized = 2;

struct WindowPlacement {
    unsigned flags = 0;
    unsigned showCmd = kShowNormal;
    int minX = -1, minY = -1;
    int maxX = -1, maxY = -1;
    int left = 0, top = 0, right = 0, bottom = 0;

    bool operator==(const WindowPlacement&) const = default;
};

/// "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d" of the placement.
std::string formatWindowPlacement(const WindowPlacement& placement);

/// The placement when the text is exactly ten numbers; nothing for nine or eleven numbers,
/// other text, an empty string or a normal rectangle of no width or height.
std::optional<WindowPlacement> parseWindowPlacement(std::string_view text);

} // namespace varnel
