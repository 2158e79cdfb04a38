// The operations of the internal code, one row each: token kind and code byte, names in
// the function-name tables, arity, printed spelling and precedence class, real and complex
// function, inverse for elimination. The name tables, the evaluator, constant folding,
// elimination, the differentiator and the printer all read this one table.
#pragma once

#include "Code.h"
#include "ComplexFunctions.h"
#include "EvalError.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace varnel {

/// Every operation a B or U token can carry. Switch over it without `default:`, so that
/// the compiler names each place a new operation must be handled.
enum class Operation : std::uint8_t {
    // Binary arithmetic.
    Add,
    Subtract,
    Multiply,
    Divide,
    Power,
    // Relations inside an expression.
    Less,
    Greater,
    Equal,
    // Two-argument functions.
    Atan2,
    Gammp,
    // Binary tokens with a meaning of their own.
    If,
    Then,
    Derivative,
    Delay,
    Integral,
    Limit,
    Arg,
    // One-argument operations and functions.
    Negate,
    Sin,
    Cos,
    Tan,
    Arcsin,
    Arccos,
    Arctan,
    Exp,
    Ln,
    Inv,
    Square,
    Sqrt,
    Abs,
    UnitStep,
    Real,
    Imag,
    Conjugate,
    Mag,
    Angle,
    Erf,
    BessJ0,
    BessJ1,
    BessY0,
    BessY1,
    Gammln,
};

inline constexpr std::size_t kOperationCount = static_cast<std::size_t>(Operation::Gammln) + 1;

/// What sort of operation a row describes.
enum class OperationKind : std::uint8_t {
    Arithmetic, // + - * / ^ and negation
    Relation,   // < > = as operations inside an expression
    Function,   // a named function with a value rule
    Special,    // IF, THEN, and D, DELAY, INT, LIM, ARG, which have no value of their own
};

/// How the printer writes an operation.
enum class Notation : std::uint8_t {
    Infix,       // left, spelling, right: a+b, a<b
    Prefix,      // spelling, then the argument: -x
    Call,        // spelling, then the arguments in parentheses: SIN(x), ATAN2(a,b)
    Conditional, // IF(c) THEN(a) ELSE(b), wrapped in parentheses; THEN is its inner part
};

/// What the evaluator does with the stack for an operation.
enum class StackEffect : std::uint8_t {
    Apply,     // binary: pops two, pushes the value; unary: replaces the top value
    Condition, // IF: pops condition, then-value, else-value; pushes the chosen value
    Marker,    // THEN: nothing
};

/// Precedence classes of the printer: operations have 0..7, operands 8..10.
namespace precedence {
constexpr std::uint8_t Add = 0;
constexpr std::uint8_t Subtract = 1;
constexpr std::uint8_t Multiply = 2;
constexpr std::uint8_t Divide = 3;
constexpr std::uint8_t Power = 4;
constexpr std::uint8_t OtherBinary = 5; // relations and two-argument functions
constexpr std::uint8_t Negation = 6;
constexpr std::uint8_t Function = 7;
constexpr std::uint8_t Variable = 8;
constexpr std::uint8_t Constant = 9;          // value >= 0
constexpr std::uint8_t NegativeConstant = 10; // value < 0
} // namespace precedence

/// A set of precedence classes, bit k for class k.
using PrecedenceSet = std::uint16_t;
/// True when `set` holds class `c`.
constexpr bool contains(PrecedenceSet set, std::uint8_t c)
{
    return ((set >> c) & 1U) != 0;
}

using RealUnaryFunction = double (*)(double x, MathContext& context);
using RealBinaryFunction = double (*)(double a, double b, MathContext& context);
using ComplexUnaryFunction = Complex (*)(Complex z, MathContext& context);
using ComplexBinaryFunction = Complex (*)(Complex a, Complex b, MathContext& context);

/// One row of the table. Functions take the first operand a (written left) and the second
/// operand b; binary rows fill the binary functions, unary rows the unary ones. Special
/// binary rows without a value rule give 0; IF and THEN have null functions (their stack
/// effect is their whole meaning).
struct OperationInfo {
    Operation operation;
    char tokenKind;    // kind::Binary or kind::Unary
    std::uint8_t code; // the token's op byte
    std::uint8_t arity;
    OperationKind kind;
    /// Spelling in the first function-name table ("SIN", "-", "=", "ATAN2"), empty for the
    /// binary operators + - * / ^, which are not in it.
    std::string_view name;
    /// Spelling in the second (two-argument) table ("ATAN2", "EQUAL", "<"), empty for
    /// operations that are not in it.
    std::string_view twoArgumentName;
    /// What the printer writes: the operator character for infix and prefix notation, the
    /// function name for calls ("EQUAL" for =), "IF" and "THEN" for the conditional.
    std::string_view spelling;
    Notation notation;
    /// Precedence class of the printer: 0 +, 1 -, 2 *, 3 /, 4 ^, 5 any other binary token,
    /// 6 negation, 7 any other function. (Operands have 8 variable, 9 constant >= 0,
    /// 10 constant < 0.)
    std::uint8_t precedence;
    StackEffect stack;
    RealUnaryFunction realUnary;
    RealBinaryFunction realBinary;
    ComplexUnaryFunction complexUnary;
    ComplexBinaryFunction complexBinary;
    /// The one-argument function that undoes this one, for solving an equation for a
    /// variable by peeling functions off; empty when there is none. REAL, CONJG and ABS
    /// stand for themselves (ABS, like SQRT for SQUARE, gives the root >= 0).
    std::optional<Operation>
        inverse; /// Precedence classes of the operands that the printer puts in parentheses: of the
    /// left operand, and of the right operand (of the argument for negation). For +: right
    /// negation or negative constant; -: right also + and -; *: both sides +, -, negation
    /// or negative constant; /: right also * and /; ^: both sides anything but a function,
    /// a variable or a constant >= 0. Empty for every other operation (calls put their
    /// arguments in parentheses anyway).
    PrecedenceSet parenthesizedLeft = 0;
    PrecedenceSet parenthesizedRight = 0;
};

/// The value functions of each op byte, as the evaluator calls them: the row's functions;
/// for a byte without a row a function that gives 0 (a code without a rule has the value
/// 0); null for IF and THEN, whose meaning is their stack effect.
struct ValueFunctions {
    std::array<RealBinaryFunction, 256> realBinary;
    std::array<RealUnaryFunction, 256> realUnary;
    std::array<ComplexBinaryFunction, 256> complexBinary;
    std::array<ComplexUnaryFunction, 256> complexUnary;
};

namespace detail {
extern const ValueFunctions kValueFunctions;
/// The rows, in the order of the enumeration.
extern const std::array<OperationInfo, kOperationCount> kOperationRows;
/// The row of each op byte of B tokens and of U tokens; null for a byte without one.
extern const std::array<const OperationInfo*, 256> kBinaryRows;
extern const std::array<const OperationInfo*, 256> kUnaryRows;
} // namespace detail

/// The row of `op`.
inline const OperationInfo& operationInfo(Operation op)
{
    return detail::kOperationRows[static_cast<std::size_t>(op)];
}

/// The value functions of every op byte.
inline const ValueFunctions& valueFunctions()
{
    return detail::kValueFunctions;
}

/// The row of the binary operation with op byte `code`, or null when there is none.
inline const OperationInfo* findBinaryOperation(std::uint8_t code)
{
    return detail::kBinaryRows[code];
}
/// The row of the unary operation with op byte `code`, or null when there is none.
inline const OperationInfo* findUnaryOperation(std::uint8_t code)
{
    return detail::kUnaryRows[code];
}
/// The row of the operation that a token of kind `tokenKind` (kind::Binary or
/// kind::Unary) with op byte `code` carries, or null when there is none.
inline const OperationInfo* findOperation(char tokenKind, std::uint8_t code)
{
    if (tokenKind == kind::Binary)
        return findBinaryOperation(code);
    if (tokenKind == kind::Unary)
        return findUnaryOperation(code);
    return nullptr;
}
/// The operation of a B or U token, or empty for other tokens and unknown codes.
inline std::optional<Operation> operationOf(const Token& t)
{
    const OperationInfo* row = findOperation(t.kind, t.op);
    if (row == nullptr)
        return std::nullopt;
    return row->operation;
}

/// The op byte of `op`'s tokens.
inline std::uint8_t codeOf(Operation op)
{
    return operationInfo(op).code;
}
/// A token of `op` (kind B or U according to its arity).
Token makeOperationToken(Operation op);
/// Prefix builders by operation: op, second, first; and op, argument.
Chain makeBinary(Operation op, const Chain& second, const Chain& first);
Chain makeUnary(Operation op, const Chain& argument);

/// All rows, in the order of the enumeration.
inline const std::array<OperationInfo, kOperationCount>& operationTable()
{
    return detail::kOperationRows;
}

/// The operations of the first function-name table, in its (1-based) order, and of the
/// second, two-argument table.
extern const std::array<Operation, 37> kFirstNameTableOrder;
extern const std::array<Operation, 12> kSecondNameTableOrder;

} // namespace varnel
