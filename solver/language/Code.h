// The internal code: every equation is a chain of tokens. The stored, evaluated form is
// postfix order ending in ";"; the symbolic engine works on prefix order, which is the
// postfix chain reversed without its ";". A chain is a contiguous vector of plain tokens.
#pragma once

#include "GuardedMath.h" // kPi
#include "Symbols.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace varnel {

/// Token kinds.
namespace kind {
constexpr char Constant = 'V'; // pushes its value
constexpr char Variable = 'X'; // pushes the variable's value
constexpr char Binary = 'B';   // pops two, pushes one (IF pops three, THEN nothing)
constexpr char Unary = 'U';    // replaces the top value
constexpr char End = ';';      // ends a postfix chain
constexpr char Void = '0';     // dropped whenever a chain is turned between orders
} // namespace kind

/// Number forms (the `op` of Constant and Variable tokens).
namespace form {
constexpr std::uint8_t Real = ' ';
constexpr std::uint8_t Imaginary = symbol::ImaginaryUnit; // v*j
constexpr std::uint8_t Phasor = '@';                      // cos v + j sin v
constexpr std::uint8_t Pi = 0x9F;                         // the constant written PI
constexpr std::uint8_t Undefined = '?';                   // the constant written ?
} // namespace form

/// Binary operation codes that are not plain characters.
namespace op {
constexpr std::uint8_t Gammp = 0xE6;
constexpr std::uint8_t Derivative = 0xEB;
constexpr std::uint8_t Delay = 0xE7;
constexpr std::uint8_t Integral = 0x9F;
} // namespace op

struct Token {
    double value = 0.0;      // the constant of a V token
    std::uint32_t index = 0; // variable number of an X token (1-based); 0xB0 variable of a V
    char kind = kind::End;
    std::uint8_t op = ' '; // number form (V, X) or operation code (B, U)
    std::uint8_t tag = 0;  // spare mark, kept by copies

    friend bool operator==(const Token&, const Token&) = default;
};

using Chain = std::vector<Token>;

Token makeToken(char k, std::uint8_t code, std::uint32_t index, double value, std::uint8_t tag = 0);
Token makeConstant(double value);
Token makeOne();
Token makeTwo();
Token makeZero();
Token makeImaginaryUnit();
Token makeVariable(std::uint32_t index);
Token makeBinaryToken(std::uint8_t code);
Token makeUnaryToken(std::uint8_t code);

/// Prefix builder: op, second, first (a prefix chain lists the second operand first).
Chain makeBinary(std::uint8_t code, const Chain& second, const Chain& first);
/// Prefix builder: op, argument.
Chain makeUnary(std::uint8_t code, const Chain& argument);

/// In a prefix chain, the position just past the complete operand that starts at
/// `start` (void tokens are skipped where an operand begins). The "tail" token of the
/// operand is at the returned position minus one.
std::size_t operandEnd(const Chain& prefix, std::size_t start);

/// Reverses a postfix chain into prefix order, dropping ";" and void tokens.
Chain toPrefix(const Chain& postfix);
/// Reverses a prefix chain into postfix order, dropping void tokens, ending in ";".
Chain toPostfix(const Chain& prefix);

/// True for a V token in blank form with index 0 (a plain constant).
inline bool isPlainConstant(const Token& t)
{
    return t.kind == kind::Constant && t.op == form::Real && t.index == 0;
}

} // namespace varnel
