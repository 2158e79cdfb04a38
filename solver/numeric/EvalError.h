// The error state of one evaluation: a mark and the first mathematical error message,
// with the texts of those messages. The real and complex functions record into it; the
// evaluator, constant folding and the differentiator read it.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace varnel {

class Reporter;

/// The mathematical errors that an evaluation records (they are not reported where they
/// arise; the caller reads the mark and the first message).
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

/// Where the functions of one evaluation send what they meet: the reporter for the
/// messages that are reported at once (exponential overflow, special functions), the
/// error record for those the caller reports.
struct MathContext {
    Reporter& reporter;
    EvalError& error;
};

} // namespace varnel
