// The two function-name tables of the equation language: 37 names with the operation
// codes of their tokens, and the 12 names that take two arguments, as the operation table
// spells them. The lexer, parser, printer and differentiator look names and codes up here.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace varnel {

struct FunctionName {
    std::string_view name; // at most 8 characters
    std::uint8_t code;
};

/// First table, 1-based in the language: entry k is kFunctionNames[k - 1].
extern const std::array<FunctionName, 37> kFunctionNames;
/// Second table: the functions that take two arguments.
extern const std::array<FunctionName, 12> kTwoArgumentNames;

/// Index 1..37 of `word` in the first table, or 0. A word of two or more characters
/// matches without regard to case; a one-character word must match exactly.
int lookupFunction(std::string_view word);
/// Index 1..12 of `word` in the second table (exact match), or 0.
int lookupTwoArgumentFunction(std::string_view word);

/// Name under which a token with this operation code is written: the second table for
/// binary tokens first, then the first table; "?" when the code is in neither.
std::string_view functionNameOfCode(std::uint8_t code, bool binary);

} // namespace varnel
