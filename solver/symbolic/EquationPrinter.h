// The equation printer: turns internal code (prefix order) back into equation text with
// the fewest parentheses that keep its meaning, writes equations with their relation
// characters and the initial-value section. The saving of equation sets and the exports
// of derived sets print through it; numbers use the result table's format.
#pragma once

#include "Code.h"
#include "EquationSet.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

class LineWriter;
class Reporter;

/// `value` in the result table's number format without its field padding: "%.7f" for
/// 1e-5 < |v| < 1e5 and for |v| <= 1e-50, "%.6e" otherwise; when those digits do not read
/// back as the same double, the shortest text that does (to_chars). Negative zero prints as
/// zero, infinities as +-BIG and NaN as UNDEFINED, so that the text always reads back as a
/// number.
std::string printedNumber(double value);

/// The text of a constant token that the lexer reads back as the same value: the number;
/// "PI" and "?" for those forms; an imaginary constant with the imaginary unit before the
/// digits ("-" before both when negative); a constant made under a degree-sign prefix
/// (index not 0) converted to degrees, with the degree sign after it; a unit phasor as
/// "(1.0000000@angle)".
std::string printedConstant(const Token& constant);

class EquationPrinter {
public:
    /// Names of X tokens come from `variables`; failures go through `reporter`.
    EquationPrinter(const VariableTable& variables, Reporter& reporter);

    /// Appends the text of the expression that starts at prefix[pos] to `text`, sets
    /// `precedenceClass` to its class (the operation table's precedence classes 0..10) and
    /// advances `pos` past it. An expression whose operands
    /// run past the end of the chain (or a token that is neither an operand nor an
    /// operation, or a variable outside the table) and a run whose error flag is already
    /// set give "Equation Ended Prematurely" and the error routine; false then, and
    /// `text` and `pos` are left as they were.
    bool printExpression(const Chain& prefix, std::size_t& pos, std::string& text,
                         std::uint8_t& precedenceClass);
    /// The text of the whole prefix chain as one expression; "" (after the report of
    /// printExpression) when it fails or tokens are left over.
    bool printExpression(const Chain& prefix, std::string& text);

    /// Writes one equation (prefix order) with relation character `relation` (blank for
    /// none): "expr; " for a blank relation; for a residual left - right (or left + right),
    /// "x r right; " when left is a single variable, "other r number; " when an operand is a
    /// constant, otherwise "expr r 0; ". The written form always reads back as an equation
    /// with the same solutions: a sum's constant is negated, and an inequality whose sides
    /// change places changes direction. Relations 0xF2 and 0xF3, which compile to their two
    /// sides without an operation, print as "left r right; ".
    bool printEquation(const Chain& prefix, std::uint8_t relation, LineWriter& out);

    /// The initial-value section: a new line when the column exceeds 20, then for every
    /// variable with a name "name", 0xBB, the value and ";  ", a new line after every
    /// fourth or when the column reaches 69.
    void printInitialValues(LineWriter& out);

private:
    /// Fills m_ends for the chain: m_ends[i] is the position just past the expression
    /// that starts at i, or kBroken when it has no complete operands.
    void computeEnds(const Chain& prefix);
    /// Appends the expression at prefix[start] (complete, checked by computeEnds).
    void appendExpression(const Chain& prefix, std::size_t start, std::string& text);
    /// True when the expression at prefix[start] is a real constant built from numbers with
    /// + - * / and negation; its value in `value`.
    bool constantValue(const Chain& prefix, std::size_t start, double& value) const;
    bool isSingleVariable(const Chain& prefix, std::size_t start) const;
    void reportEndedPrematurely();

    static constexpr std::size_t kBroken = static_cast<std::size_t>(-1);

    const VariableTable& m_variables;
    Reporter& m_reporter;
    std::vector<std::size_t> m_ends;
    std::vector<std::size_t> m_stack;
    struct Step {
        std::size_t node;      // a token to print, or kBroken for literal text
        std::string_view text; // literal text
    };
    std::vector<Step> m_steps;
    std::string m_scratch;
};

} // namespace varnel
