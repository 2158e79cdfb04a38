// Real-mode arithmetic of the internal code: the binary operations (guarded + - * /, the
// power rule, ATAN2, GAMMP, the relation operations) and the one-argument functions with
// their error messages. The evaluator runs chains with them and constant folding computes
// constant subexpressions with them, so both give the same numbers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace varnel {

class Reporter;

/// The mathematical errors that an evaluation records (they are not reported here; the
/// caller reads the mark and the first message).
namespace message {
constexpr std::string_view FractionalPower = "Fractional Power of Negative Number";
constexpr std::string_view TangentInfinity = "Tangent result Near Infinity";
constexpr std::string_view SquareRootNegative = "Square Root of Negative Number";
constexpr std::string_view LogNonPositive = "Log of Zero or Negative Number";
constexpr std::string_view InverseOfZero = "Inverse of Zero";
} // namespace message

/// Error state of one evaluation or one folding pass: the mark and the first message.
/// Fixed storage, so that recording never allocates.
class EvalError {
public:
    /// Sets the mark; keeps `text` (at most 255 characters) unless a message is kept already.
    void record(std::string_view text);
    /// Sets the mark without a message (stack faults, which are reported at once).
    void setMark() { m_mark = true; }
    void clear()
    {
        m_mark = false;
        m_length = 0;
    }
    bool mark() const { return m_mark; }
    std::string_view message() const { return {m_text.data(), m_length}; }

private:
    std::array<char, 256> m_text{};
    std::size_t m_length = 0;
    bool m_mark = false;
};

/// BIG when the magnitude exceeds BIG (whatever the sign), else x.
double clampToBig(double x);

/// a ^ b by the power rule: 0 or BIG for a zero base, 1 for a zero exponent, whole
/// exponents up to 32767 through |a| (odd ones keep the sign), fractional powers of
/// positive bases; a fractional power of a base <= 0 records an error and gives UNDEFINED.
/// The exponentials go through the guarded exponential.
double realPower(double a, double b, Reporter& reporter, EvalError& error);

/// The binary operation `code` on first operand a and second operand b, result clamped to
/// BIG. IF and THEN have stack effects of their own and are not handled here (they give 0,
/// like every code without a rule).
double realBinary(std::uint8_t code, double a, double b, Reporter& reporter, EvalError& error);

/// The one-argument function `code` of x.
double realUnary(std::uint8_t code, double x, Reporter& reporter, EvalError& error);

} // namespace varnel
