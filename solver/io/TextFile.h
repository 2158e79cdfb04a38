// A small text-file layer with the semantics of the classic file variables of
// structured languages: open by name for reading or writing, read a character, a line
// or a number with one character of look-ahead, write fields with widths, and keep an
// I/O result that callers test instead of catching exceptions. Every file the library
// reads or writes goes through it.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace varnel {

class TextFile {
public:
    /// I/O results besides 0 (success) and positive system error numbers.
    static constexpr int kEndOfFile = -1;
    static constexpr int kFormatError = -2;
    /// "No width" / "no digits" for the write operations.
    static constexpr int kNone = -0x7fffffff;

    TextFile() = default;
    /// Closes the stream; a product still open is discarded, never committed.
    ~TextFile();
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    /// Opens `name` with mode "r" ("rb"); an open file is rewound. False on failure.
    bool openRead(const std::string& name, bool binary = false);
    /// Creates or empties `name` with mode "w" ("wb"); an open file is reopened with
    /// "w+" ("wb+"). False on failure.
    bool openWrite(const std::string& name, bool binary = false);
    /// Opens a product: the text goes to a new temporary file in the folder of `name`,
    /// which replaces `name` (never what a symbolic link of that name points to) only
    /// when the stream is closed without error. An open stream is closed first. False
    /// when the temporary file cannot be created; `name` is then untouched.
    bool openProduct(const std::string& name, bool binary = false);
    /// Closes the stream and releases the name; harmless when not open. A product is
    /// committed: renamed over its name when every write and the close succeeded, else
    /// removed, leaving the result of the failure.
    void close();
    /// Closes a product without committing it: its temporary file is removed and the
    /// file of its name stays as it was. Other streams are simply closed.
    void discard();
    /// True while a product is open (its name is not yet replaced).
    bool isProduct() const { return !m_temporaryName.empty(); }
    bool isOpen() const { return m_stream != nullptr; }

    /// True when no character remains.
    bool eof();
    /// The look-ahead when valid, else the next character (0..255); at the end of the
    /// file the result becomes -1 and the return value is EOF.
    int readChar();
    /// Stores one pushback character and counts one character less.
    void giveBack(int c);
    /// Copies characters up to the line feed (left unread) or the end of the file, at
    /// most `capacity`, into `buffer` (NUL-terminated when there is room). With `pad`
    /// the rest of the buffer is filled with blanks and `capacity` is returned.
    std::size_t readLine(char* buffer, std::size_t capacity, bool pad = false);
    /// Reads up to and including the next line feed; -1 when the file ends first.
    void skipLine();
    /// Appends every character not yet read to `text` and counts them; result 0, or the
    /// error that stopped the reading.
    void readRest(std::string& text);
    /// Scans one number with "%d" / "%lf"; result -1 at the end of the file, -2 when
    /// something else stands there.
    int readInteger();
    double readReal();
    /// Walks a format: each "%" directive reads one item ("%d" int*, "%lf"/"%f" double*,
    /// "%c" char*, "%Ns" a string of N characters padded with blanks, char*); a line feed
    /// in the format skips the rest of the input line; any other character must match.
    void formattedRead(const char* format, ...);

    /// Walks a format: each "%" directive writes one value (b boolean, c character, d/i
    /// integer, f/e/E/g/G real, s string), width and digits as "w", "w.d" or "*".
    void formattedWrite(const char* format, ...);
    void writeString(std::string_view text, int width = kNone);
    void writeChar(char c, int width = kNone);
    void writeInteger(long n, int width = kNone);
    void writeReal(double x, int width = kNone, int digits = kNone);
    void writeBoolean(bool b, int width = kNone);
    void writeLineEnd();
    /// Pushes buffered output to the file.
    void flush();

    /// Result of the last operation: 0, -1, -2 or a system error number.
    int result() const { return m_result; }
    const std::string& name() const { return m_name; }
    /// Characters read so far (the lexer's error position).
    long count = 0;
    /// Suppresses the standard-error messages for this file.
    bool suppressMessages = false;

    /// Result of the last operation on any file of the calling thread.
    static int lastResult();
    /// Switch of the calling thread that suppresses the standard-error messages.
    static void setQuiet(bool quiet);

private:
    void setResult(int result);
    void afterWrite();
    void printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    int peekRaw();
    void resetState();

    std::FILE* m_stream = nullptr;
    std::string m_name;
    std::string m_temporaryName; // a product's file until it is committed
    int m_result = 0;
    bool m_reading = false;
    bool m_writing = false;
    bool m_binary = false;
    bool m_lookAheadValid = false;
    bool m_atEndOfLine = false;
    int m_lookAhead = 0;
    int m_pushback = -1;
};

} // namespace varnel
