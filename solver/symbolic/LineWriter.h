// The line state of a written equation file: text goes into a string, and printed equation
// text is broken into lines of at most 80 columns after operators and blanks. Text copied
// from the user's file (comments included) keeps its own lines. The equation printer and
// the saving of equation sets write through it.
#pragma once

#include <string>
#include <string_view>

namespace varnel {

class LineWriter {
public:
    /// A printed line is broken after a blank, "=", "+", "-" or ")" once its column
    /// exceeds kSoftColumn, also after "*", "/", "^", "(" or "@" once it exceeds
    /// kOperatorColumn, and always when it reaches kHardColumn.
    static constexpr int kSoftColumn = 68;
    static constexpr int kOperatorColumn = 72;
    static constexpr int kHardColumn = 80;

    explicit LineWriter(std::string& out) : m_out(out) {}

    /// Writes printed equation text with line breaking. Names and numbers (a number with its
    /// exponent, a leading imaginary unit and a trailing degree sign) are never split: one
    /// that would pass kHardColumn starts a new line instead, unless the line is empty.
    void writePrinted(std::string_view text);
    /// Writes text of the user's file as it stands, without breaking: a carriage return, a
    /// line feed, or the pair of them become one line end. Comments ("{" to "}") are
    /// tracked so that their characters do not count as columns.
    void copy(std::string_view text);
    /// Starts a new line.
    void newLine();
    /// What newLine() writes ("\n" unless set; a file with CR LF line ends keeps them).
    void setLineEnd(std::string_view lineEnd) { m_lineEnd = lineEnd; }
    /// Writes "}" when copied text left a comment open, so that what follows is not in it.
    void closeComment();

    /// Columns of the current line: the characters outside comments other than "}" and
    /// blanks.
    int column() const { return m_column; }
    bool inComment() const { return m_inComment; }
    bool atLineStart() const { return m_out.empty() || m_out.back() == '\n'; }

private:
    /// True when a printed line breaks after `c`, given the column it ends.
    bool breaksAfter(char c) const;
    /// Counts a character written outside a comment.
    void count(char c);

    std::string& m_out;
    int m_column = 0;
    bool m_inComment = false;
    bool m_afterCarriageReturn = false; // the last copied character was a carriage return
    std::string_view m_lineEnd = "\n";
};

} // namespace varnel
