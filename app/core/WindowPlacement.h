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
/// other text, an empty string or a normal rectangle of no width or height (or of a width or
/// height beyond an int).
std::optional<WindowPlacement> parseWindowPlacement(std::string_view text);

/// The normal rectangle of `placement` kept reachable on the available desktop area (left,
/// top, right, bottom; right and bottom exclusive). A rectangle whose top edge lies on the
/// area and that overlaps it sideways stays as it is; any other (saved on a screen that is
/// gone) is shrunk to the area when larger and moved inside it.
WindowPlacement keepOnDesktop(WindowPlacement placement, int left, int top, int right, int bottom);

} // namespace varnel
