// The reader of the equation language: hands the parser one significant character at a
// time (blanks and comments skipped), gives characters back, and assembles words and
// numbers with the implicit product. It reads a stack of sources (the working copy of
// the equation file, and above it the function files being expanded) and owns the
// parse-error routine that every error of the reading goes through.
#pragma once

#include "Reporter.h"

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

class SourceMap;
class TextFile;

/// What one reading of statements leaves behind for the run: the parse error, where it
/// happened, the abort flag that stops every loop of the grammar, and the two marks the
/// degree-sign prefix sets (the run driver decides what they mean for stepping).
struct ParseState {
    static constexpr std::size_t kMaxMessageLength = 255;

    std::string errorMessage;          // the last parse error, at most 255 characters
    long errorPosition = 0;            // characters of the statement file read at that error
    bool abort = false;                // parse-abort flag: every loop of the grammar stops
    bool interrupted = false;          // the host asked the reading to stop
    bool explicitDefinitions = false;  // a 0xB0 prefix tied constants to a variable
    bool rereadEquations = false;      // ... so the equations are read again per step
    std::set<std::string> warnedNames; // names already warned about in this reading

    void clear() { *this = ParseState(); }
};

class Lexer {
public:
    /// The end of input as a character.
    static constexpr int kEnd = -1;
    static constexpr std::size_t kMaxWordLength = 255;
    static constexpr std::size_t kMaxRecentWordLength = 33;
    static constexpr std::size_t kMaxNumberLength = 255;

    Lexer(ParseState& state, Reporter& reporter);

    /// Reads `file` from now on until popSource(); the file stays the caller's. The first
    /// source pushed is the statement file whose characters are counted.
    void pushSource(TextFile& file);
    /// Reads a copy of `text` (tests, and text that does not come from a file).
    void pushSource(std::string_view text);
    /// Reads the function file `name`, whose whole text is `text`, from `from` on until
    /// popSource(); a mistake found while it is read is shown at its line in that file.
    void pushFunctionFile(std::string text, std::size_t from, std::string name);
    /// Returns to the source below; characters given back to the popped one are lost.
    void popSource();
    std::size_t sourceDepth() const { return m_sources.size(); }

    /// The next byte (0..255) of the current source, or kEnd.
    int nextChar();
    /// The next character that is neither a blank nor inside a comment, or kEnd.
    int nextSignificant();
    /// Like nextSignificant(), starting with the already read character `c`.
    int significantFrom(int c);
    /// The next read returns `c` again.
    void unget(int c);

    /// Collects the word that begins with `first` (the first character is always taken,
    /// the rest while they are word characters; at most 255 kept), skips blanks and
    /// comments and stores the character after the word in `next`. A "(" after a word
    /// that names no function is given back and "*" stored instead (the implicit
    /// product), except while a keyword is read.
    std::string readWord(int first, int& next, bool keyword = false);
    /// Reads the number that begins with `first` (a digit, ".", or a sign); the degree
    /// sign 0xB0 and the pi sign 0xF0 directly after it scale it. Stores the character
    /// after the number in `next`, or "*" for an implicit product before a name or "(".
    /// Text that does not convert reports "Numeric Format Error" and gives 0.
    double readNumber(int first, int& next);
    /// True when the last readWord/readNumber returned "*" for an implicit product.
    bool impliedProduct() const { return m_impliedProduct; }
    /// True when the "(" of that implicit product stood right after the word.
    bool parenthesisAdjoins() const { return m_parenthesisAdjoins; }

    /// Characters taken from the statement file so far (the error position).
    long count() const { return m_count; }
    void resetCount() { m_count = 0; }

    /// The last word of a comment, or the text of the last number (at most 33).
    const std::string& recentWord() const { return m_recentWord; }
    void clearRecentWord() { m_recentWord.clear(); }

    /// Where the statement file came from; with a map, messages show the line and the
    /// column of the file, or of the function file being read (the map must outlive the
    /// reading).
    void setSourceMap(const SourceMap* map) { m_map = map; }

    /// The parse-error routine: stores the message (at most 255 characters) and the
    /// position, sets the abort flag, reports a line feed and the message to the host,
    /// then the place (line, column, the line and a caret) when a source map is set,
    /// and raises the run's error. The place is the last character read; inside a
    /// function file, that file's name and the place in it.
    void error(std::string_view message);
    /// The same, the place being the character at `position` (0-based) of the statement
    /// file, or of the function file being read.
    void errorAt(std::string_view message, long position);
    /// A line feed, the text, the place of the character at `position` and a line feed;
    /// no error.
    void warn(std::string_view message, long position);
    /// Position (0-based) of the last character read from the statement file, or from
    /// the function file being read.
    long lastPosition() const;

    ParseState& state() { return m_state; }
    Reporter& reporter() { return m_reporter; }

private:
    struct Source {
        TextFile* file = nullptr;
        std::string text;
        std::size_t position = 0;
        std::vector<int> givenBack;
        bool ended = false;
        std::string name; // a function file's name; empty for the statement file
    };

    void skipComment(long opening);
    /// The function file being read, or null.
    const Source* functionFile() const;
    /// Where a mistake seen now lies: the last character read, or for a source without
    /// characters of its own the next of the statement file.
    long here() const { return m_sources.size() == 1 || functionFile() ? lastPosition() : m_count; }
    /// The place lines for the character at `position`, or "".
    std::string place(long position) const;

    ParseState& m_state;
    Reporter& m_reporter;
    std::vector<Source> m_sources;
    long m_count = 0;
    std::string m_recentWord;
    bool m_impliedProduct = false;
    bool m_parenthesisAdjoins = false;
    const SourceMap* m_map = nullptr;
};

} // namespace varnel
