// The byte classes of the equation language: one 256-entry table of flags that the
// lexer, the parser and the line breaking of the equation file consult. Bytes above
// 127 are symbols of the equation fonts and are classified byte by byte.
#pragma once

#include <array>
#include <cstdint>

namespace varnel {

namespace charclass {
constexpr std::uint8_t Blank = 0x01;       // separates words, otherwise ignored
constexpr std::uint8_t NameStart = 0x02;   // may begin a name
constexpr std::uint8_t Word = 0x04;        // may continue a word
constexpr std::uint8_t Digit = 0x08;       // "0".."9"
constexpr std::uint8_t Number = 0x10;      // digits, ".", exponent mark and its sign
constexpr std::uint8_t Relation = 0x20;    // relation signs of a statement
constexpr std::uint8_t FactorStart = 0x40; // may begin a factor
} // namespace charclass

/// Flags of every byte 0..255.
extern const std::array<std::uint8_t, 256> kCharClasses;

/// Flags of `c`; 0 for the end of input (any value outside 0..255).
inline std::uint8_t charClassOf(int c)
{
    return (c >= 0 && c <= 255) ? kCharClasses[static_cast<std::size_t>(c)] : 0;
}

inline bool isBlankChar(int c)
{
    return (charClassOf(c) & charclass::Blank) != 0;
}
inline bool isNameStartChar(int c)
{
    return (charClassOf(c) & charclass::NameStart) != 0;
}
inline bool isWordChar(int c)
{
    return (charClassOf(c) & charclass::Word) != 0;
}
inline bool isDigitChar(int c)
{
    return (charClassOf(c) & charclass::Digit) != 0;
}
inline bool isNumberChar(int c)
{
    return (charClassOf(c) & charclass::Number) != 0;
}
inline bool isRelationChar(int c)
{
    return (charClassOf(c) & charclass::Relation) != 0;
}
inline bool isFactorStartChar(int c)
{
    return (charClassOf(c) & charclass::FactorStart) != 0;
}

} // namespace varnel
