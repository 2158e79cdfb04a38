// The one table between the 8-bit bytes of equation files and the Unicode characters the
// desktop program shows for them. Bytes below 0x80 are ASCII; the symbol bytes of the
// palettes get their Greek letters and signs; every other byte has a character of its own,
// so that any file decodes and encodes back to exactly the same bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace varnel {

/// The character shown for a byte. Every byte has one, and no two bytes share one.
char32_t symbolForByte(unsigned char byte);

/// The byte of a character, or nothing when the character has no byte in an equation file.
std::optional<unsigned char> byteForSymbol(char32_t symbol);

/// Decodes the bytes of an equation file. Never fails.
std::u32string decodeEquationBytes(std::string_view bytes);

/// The result of encoding: on failure `bytes` is empty and the first character without a
/// byte is named by its position (0-based index into the input, 1-based line and column).
struct EncodeResult {
    bool ok = true;
    std::string bytes;
    char32_t badSymbol = 0;
    std::size_t badIndex = 0;
    std::size_t badLine = 0;
    std::size_t badColumn = 0;
    /// "The character "β" (U+03B2) at line 3, column 7 cannot be stored in an equation file."
    /// for a failure, empty on success.
    std::string message;
};

/// Encodes text for an equation file; refuses (never substitutes) a character with no byte.
EncodeResult encodeEquationText(std::u32string_view text);

/// UTF-8 of one character (for messages and tests).
std::string utf8(char32_t symbol);

} // namespace varnel
