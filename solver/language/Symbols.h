// The bytes above 127 that the equation language uses as symbols. The library knows them
// only as bytes (the desktop program's equation font gives them glyphs); the lexer, the
// parser, the statement readers and the printer refer to them by these names.
#pragma once

#include <cstdint>

namespace varnel::symbol {

/// After a number: the number is in degrees. Before a factor: ties the factor's constants
/// to the variable just named. Suffix of the angle unknown of a polar variable.
constexpr std::uint8_t Degree = 0xB0;
/// The imaginary unit j: a number or variable followed by it is imaginary; it is also the
/// number form of imaginary tokens.
constexpr std::uint8_t ImaginaryUnit = 0xDF;
/// After a number: the number times PI; alone: the constant PI.
constexpr std::uint8_t Pi = 0xF0;
/// In a variable's name: the variable is polar (and real in complex mode).
constexpr std::uint8_t PolarMark = 0x9F;
/// Suffix of the magnitude unknown of a polar variable.
constexpr std::uint8_t Magnitude = 0xF1;
/// Before a variable's name: the variable the statement is to be solved for and eliminated.
constexpr std::uint8_t EliminationMark = 0xA2;

/// Relation signs besides "=", "<" and ">".
constexpr std::uint8_t StartingValueRelation = 0xBB;
constexpr std::uint8_t EliminationRelation = 0x85;
/// Two relation signs read as "at least" and "at most" by the optimality conditions; the
/// parser emits no operation for them.
constexpr std::uint8_t AtLeastRelation = 0xF2;
constexpr std::uint8_t AtMostRelation = 0xF3;

} // namespace varnel::symbol
