// Conversion of a set of complex equations into real ones: every complex variable gets a
// real partner for its imaginary part, and every equation becomes two, its real part and
// its imaginary part. Fed by the compiled equation set (read in real mode); the complex-form
// command of the run driver calls it before it simplifies and saves the equations.
#pragma once

#include "EquationSet.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace varnel {

class Reporter;

namespace message {
constexpr std::string_view ConvertingComplex = "Converting Complex to Real";
constexpr std::string_view VariableComplexPower = "Variable Complex Power ";
constexpr std::string_view NonPositivePower = "Non Positive Integer Power ";
constexpr std::string_view NotImplemented = " Not Implemented";
constexpr std::string_view ConvertedTooLong = "Converted equation too long";
} // namespace message

/// One conversion of one equation set. A variable whose name contains the byte 0x9F is
/// real; every other variable is complex and stands for x + j*x_im, where x_im is a new
/// real variable (see imaginaryName).
///
/// Conversion rules, on pairs of real expressions in rectangular (re, im) or polar
/// (magnitude, angle) form: constants, variables and the number forms; + - * / and
/// negation; a power with a constant integer exponent n >= 1; the phasor r@t (which the
/// parser writes with COS and SIN of a real angle); SQUARE, EXP, INV, SQRT, REAL, IMAG,
/// CONJG, MAG and ANGLE. SIN and COS are converted only for a real argument. Anything else
/// is refused with its name and " Not Implemented", a power with a variable exponent with
/// "Variable Complex Power " and " Not Implemented", a non-integer or non-positive one
/// with "Non Positive Integer Power " and " Not Implemented".
///
/// Choices where the plain rules would give wrong values: the angle of a rectangular pair
/// is ATAN2(im, re), not ARCTAN(im/re), so that it is right in every quadrant; the negation
/// of a polar pair (r, t) is (r, t + PI), so that magnitudes stay >= 0 and MAG is right.
class ComplexToReal {
public:
    /// Suffix of the imaginary-part variables: "x" gets "x_im".
    static constexpr std::string_view kImaginarySuffix = "_im";
    /// Most tokens either part of a converted equation may have. Products copy their
    /// operands twice, so nested products grow the code geometrically; an equation that
    /// would exceed this is refused with "Converted equation too long".
    static constexpr std::size_t kMaxPartLength = std::size_t{1} << 20;
    /// Most tokens the repeated rectangular product of an integer power may produce per
    /// part, and most products it may take; past either the power is taken in polar form
    /// (r^n, n*t), which has the same value.
    static constexpr std::size_t kPowerBudget = std::size_t{1} << 12;

    ComplexToReal(EquationSet& set, Reporter& reporter);

    /// The whole conversion: announces "Converting Complex to Real", creates the
    /// imaginary-part variables, converts every equation and replaces the set, equation k
    /// becoming equations 2k-1 (real part) and 2k (imaginary part) with the relation of
    /// equation k; a variable to eliminate stays with the real part. Every refusal is
    /// reported (beep, message, run error) and the conversion goes on to report the
    /// others; on any refusal, or when the set would exceed 2000 equations ("Too Many
    /// Equations") or 2000 variables ("Too Many Variables"), the set is left as it was
    /// and false is returned.
    bool run();

    /// Creates the imaginary-part variables, numbered N+1, N+2, ... in the order of the
    /// complex variables they belong to (N: the variable count before), value 0. Does
    /// nothing when called again. False (reported) when the table would overflow.
    bool addImaginaryParts();

    /// The variable that holds the imaginary part of variable `v`, 0 for a real variable
    /// (or before addImaginaryParts).
    std::uint32_t imaginaryPart(std::uint32_t v) const;

    /// Converts one postfix chain (ending in ";" or not) into the postfix chains of its
    /// real and imaginary parts, each ending in ";". Needs addImaginaryParts first. On a
    /// refusal the refusal is reported, the failed parts become the constant 0 and false
    /// is returned.
    bool convert(const Chain& postfix, Chain& realPart, Chain& imagPart);

    /// The name for the imaginary part of variable `name`: the name cut so that the
    /// suffix fits in 33 characters, then "_im"; when that is taken (by a variable of the
    /// set or by an earlier imaginary part) "_im2", "_im3", ... until a free one.
    static std::string imaginaryName(const std::string& name,
                                     const std::unordered_set<std::string>& taken);

    /// True for a variable name that marks a real variable (it contains 0x9F).
    static bool isRealName(const std::string& name);

private:
    class Converter;

    EquationSet& m_set;
    Reporter& m_reporter;
    std::vector<std::uint32_t> m_imaginaryPart; // by variable number, 0: real
    bool m_prepared = false;
};

} // namespace varnel
