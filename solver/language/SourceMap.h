// Where each character of the working copy came from: the working copy is the equation
// file without its options line and with long lines broken, so a reading position in the
// copy is turned back into a line and column of the file, with the text of that line,
// for the messages that point at a mistake.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

/// A line and column of the equation file (both from 1) and the text of that line.
struct SourceLocation {
    std::size_t line = 0; // 0: not known
    std::size_t column = 0;
    std::string_view text;
};

class SourceMap {
public:
    /// The file's text, kept for the lines shown in messages.
    void setOriginal(std::string text);
    const std::string& original() const { return m_original; }
    /// The file's name, shown before the place when it is not the equation file itself
    /// (empty: not shown).
    void setName(std::string name) { m_name = std::move(name); }
    const std::string& name() const { return m_name; }
    /// Declares that the working copy from `copyOffset` on holds the file's characters
    /// from `originalOffset` on (called at the start of every line of the copy).
    void mapPiece(std::size_t copyOffset, std::size_t originalOffset);

    /// The location of the working copy's character at `copyOffset`; line 0 when nothing
    /// was mapped. An offset past the end points just after the file's last character.
    SourceLocation locate(std::size_t copyOffset) const;
    /// The location of the file's character at `originalOffset`.
    SourceLocation locateOriginal(std::size_t originalOffset) const;

    /// "line L, column C:", a line end, the line's text (a window of it when the line is
    /// long, control characters shown as blanks) and a line with a caret under the column.
    static std::string describe(const SourceLocation& where);

private:
    struct Piece {
        std::size_t copyOffset;
        std::size_t originalOffset;
    };
    std::string m_original;
    std::string m_name;
    std::vector<std::size_t> m_lineStarts{0};
    std::vector<Piece> m_pieces;
};

} // namespace varnel
