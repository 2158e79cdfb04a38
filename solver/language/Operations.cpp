// The operation table: one row per operation, built at compile time from rowOf(), whose
// switch names every operation. The value functions below adapt the numeric layer's real
// and complex functions to the rules of the internal code (results of binary operations
// clamped to BIG, special functions on the real part in complex mode).
#include "Operations.h"

#include "FunctionTable.h"

#include "GuardedMath.h"
#include "RealFunctions.h"
#include "SpecialFunctions.h"

#include <cassert>
#include <cmath>
#include <initializer_list>
#include <numbers>

namespace varnel {

namespace {

// ---- Real values --------------------------------------------------------------------

double realAdd(double a, double b, MathContext&)
{
    return clampToBig(guardedAdd(a, b));
}
double realSubtract(double a, double b, MathContext&)
{
    return clampToBig(guardedSub(a, b));
}
double realMultiply(double a, double b, MathContext&)
{
    return clampToBig(guardedMul(a, b));
}
double realDivide(double a, double b, MathContext&)
{
    return clampToBig(guardedDiv(a, b));
}
double realPowerOf(double a, double b, MathContext& c)
{
    return clampToBig(realPower(a, b, c.reporter, c.error));
}
double realLess(double a, double b, MathContext&)
{
    return clampToBig(b - a);
}
double realGreater(double a, double b, MathContext&)
{
    return clampToBig(a - b);
}
double realEqual(double a, double b, MathContext&)
{
    return a == b ? 0.0 : 1.0;
}
double realAtan2(double a, double b, MathContext&)
{
    return clampToBig(std::atan2(a, b));
}
double realGammp(double a, double b, MathContext& c)
{
    return clampToBig(gammp(a, b, c.reporter));
}
double realNoValue(double, double, MathContext&)
{
    return 0.0;
}

double realNegate(double x, MathContext&)
{
    return -x;
}
double realSame(double x, MathContext&)
{
    return x;
}
double realZero(double, MathContext&)
{
    return 0.0;
}
double realAbs(double x, MathContext&)
{
    return std::fabs(x);
}
double realAngle(double x, MathContext&)
{
    return x < 0.0 ? std::numbers::pi : 0.0;
}
double realSin(double x, MathContext&)
{
    return std::sin(x);
}
double realCos(double x, MathContext&)
{
    return std::cos(x);
}
double realTan(double x, MathContext& c)
{
    return realTangent(x, c.error);
}
double realArcsin(double x, MathContext& c)
{
    return realArcSine(x, c.error);
}
double realArccos(double x, MathContext& c)
{
    return realArcCosine(x, c.error);
}
double realArctan(double x, MathContext&)
{
    return std::atan(x);
}
double realExp(double x, MathContext& c)
{
    return guardedExp(c.reporter, x);
}
double realLn(double x, MathContext& c)
{
    return realLog(x, c.error);
}
double realInv(double x, MathContext& c)
{
    return realInverse(x, c.error);
}
double realSquareOf(double x, MathContext&)
{
    return realSquare(x);
}
double realSqrt(double x, MathContext& c)
{
    return realSquareRoot(x, c.error);
}
double realUnitStep(double x, MathContext&)
{
    return unitStep(x);
}
double realErf(double x, MathContext& c)
{
    return erfFunction(x, c.reporter);
}
double realJ0(double x, MathContext&)
{
    return bessj0(x);
}
double realJ1(double x, MathContext&)
{
    return bessj1(x);
}
double realY0(double x, MathContext&)
{
    return bessy0(x);
}
double realY1(double x, MathContext&)
{
    return bessy1(x);
}
double realGammln(double x, MathContext&)
{
    return gammln(x);
}

// ---- Complex values -----------------------------------------------------------------

Complex complexAddOf(Complex a, Complex b, MathContext&)
{
    return clampModulus(complexAdd(a, b));
}
Complex complexSubtract(Complex a, Complex b, MathContext&)
{
    return clampModulus(complexSub(a, b));
}
Complex complexMultiply(Complex a, Complex b, MathContext&)
{
    return clampModulus(complexMul(a, b));
}
Complex complexDivide(Complex a, Complex b, MathContext&)
{
    return clampModulus(complexDiv(a, b));
}
Complex complexPowerOf(Complex a, Complex b, MathContext& c)
{
    return clampModulus(complexPower(a, b, c.reporter));
}
Complex complexLess(Complex a, Complex b, MathContext&)
{
    return clampModulus(b - a);
}
Complex complexGreater(Complex a, Complex b, MathContext&)
{
    return clampModulus(a - b);
}
Complex complexEqual(Complex a, Complex b, MathContext&)
{
    return {a == b ? 0.0 : 1.0, 0.0};
}
/// ATAN2 and GAMMP take the real parts, like the one-argument special functions.
Complex complexAtan2(Complex a, Complex b, MathContext&)
{
    return clampModulus({std::atan2(a.real(), b.real()), 0.0});
}
Complex complexGammp(Complex a, Complex b, MathContext& c)
{
    return clampModulus({gammp(a.real(), b.real(), c.reporter), 0.0});
}
Complex complexNoValue(Complex, Complex, MathContext&)
{
    return {0.0, 0.0};
}

Complex complexNegate(Complex z, MathContext&)
{
    return -z;
}
Complex complexRealPart(Complex z, MathContext&)
{
    return {z.real(), 0.0};
}
Complex complexImagPart(Complex z, MathContext&)
{
    return {z.imag(), 0.0};
}
Complex complexConjugate(Complex z, MathContext&)
{
    return {z.real(), -z.imag()};
}
Complex complexModulus(Complex z, MathContext&)
{
    return {modulus(z), 0.0};
}
Complex complexAngleOf(Complex z, MathContext&)
{
    return {complexAngle(z), 0.0};
}
Complex complexSquare(Complex z, MathContext&)
{
    return clampModulus(complexMul(z, z));
}
Complex complexExpOf(Complex z, MathContext& c)
{
    return complexExp(z, c.reporter);
}
Complex complexLn(Complex z, MathContext&)
{
    return complexLog(z);
}
Complex complexSqrtOf(Complex z, MathContext&)
{
    return complexSqrt(z);
}
Complex complexInv(Complex z, MathContext&)
{
    return complexDiv({1.0, 0.0}, z);
}
Complex complexSinOf(Complex z, MathContext&)
{
    return complexSin(z);
}
Complex complexCosOf(Complex z, MathContext&)
{
    return complexCos(z);
}
Complex complexTanOf(Complex z, MathContext& c)
{
    return complexTan(z, c.error);
}
Complex complexArcsin(Complex z, MathContext&)
{
    return complexArcSine(z);
}
Complex complexArccos(Complex z, MathContext&)
{
    return complexArcCosine(z);
}
Complex complexArctan(Complex z, MathContext&)
{
    return complexArcTangent(z);
}
/// The unit step of the real part.
Complex complexUnitStep(Complex z, MathContext&)
{
    return {unitStep(z.real()), 0.0};
}
/// A real special function of the real part.
template <RealUnaryFunction F> Complex onRealPart(Complex z, MathContext& c)
{
    return {F(z.real(), c), 0.0};
}

// ---- Rows ---------------------------------------------------------------------------

constexpr std::uint8_t kPrecedenceOtherBinary = precedence::OtherBinary;
constexpr std::uint8_t kPrecedenceNegation = precedence::Negation;
constexpr std::uint8_t kPrecedenceFunction = precedence::Function;

constexpr OperationInfo binaryRow(Operation op, std::uint8_t code, OperationKind k,
                                  std::string_view name, std::string_view twoArgumentName,
                                  std::string_view spelling, Notation notation,
                                  std::uint8_t precedence, RealBinaryFunction real,
                                  ComplexBinaryFunction complex,
                                  StackEffect stack = StackEffect::Apply)
{
    return {op,       kind::Binary, code,  2,       k,    name,    twoArgumentName, spelling,
            notation, precedence,   stack, nullptr, real, nullptr, complex,         std::nullopt};
}

constexpr OperationInfo unaryRow(Operation op, std::uint8_t code, OperationKind k,
                                 std::string_view name, RealUnaryFunction real,
                                 ComplexUnaryFunction complex,
                                 std::optional<Operation> inverse = std::nullopt)
{
    const bool negation = op == Operation::Negate;
    return {op,
            kind::Unary,
            code,
            1,
            k,
            name,
            {},
            name,
            negation ? Notation::Prefix : Notation::Call,
            negation ? kPrecedenceNegation : kPrecedenceFunction,
            StackEffect::Apply,
            real,
            nullptr,
            complex,
            nullptr,
            inverse};
}

/// A two-argument function written NAME(a,b), listed in both name tables.
constexpr OperationInfo callRow(Operation op, std::uint8_t code, OperationKind k,
                                std::string_view name, RealBinaryFunction real,
                                ComplexBinaryFunction complex)
{
    return binaryRow(op, code, k, name, name, name, Notation::Call, kPrecedenceOtherBinary, real,
                     complex);
}

constexpr OperationInfo rowOf(Operation op)
{
    using K = OperationKind;
    using O = Operation;
    switch (op) {
    case O::Add:
        return binaryRow(op, '+', K::Arithmetic, {}, {}, "+", Notation::Infix, precedence::Add,
                         realAdd, complexAddOf);
    case O::Subtract:
        return binaryRow(op, '-', K::Arithmetic, {}, {}, "-", Notation::Infix, precedence::Subtract,
                         realSubtract, complexSubtract);
    case O::Multiply:
        return binaryRow(op, '*', K::Arithmetic, {}, {}, "*", Notation::Infix, precedence::Multiply,
                         realMultiply, complexMultiply);
    case O::Divide:
        return binaryRow(op, '/', K::Arithmetic, {}, {}, "/", Notation::Infix, precedence::Divide,
                         realDivide, complexDivide);
    case O::Power:
        return binaryRow(op, '^', K::Arithmetic, {}, {}, "^", Notation::Infix, precedence::Power,
                         realPowerOf, complexPowerOf);
    case O::Less:
        return binaryRow(op, '<', K::Relation, "<", "<", "<", Notation::Infix,
                         kPrecedenceOtherBinary, realLess, complexLess);
    case O::Greater:
        return binaryRow(op, '>', K::Relation, ">", ">", ">", Notation::Infix,
                         kPrecedenceOtherBinary, realGreater, complexGreater);
    case O::Equal:
        return binaryRow(op, '=', K::Relation, "=", "EQUAL", "EQUAL", Notation::Call,
                         kPrecedenceOtherBinary, realEqual, complexEqual);
    case O::Atan2:
        return callRow(op, 'A', K::Function, "ATAN2", realAtan2, complexAtan2);
    case O::Gammp:
        return callRow(op, op::Gammp, K::Function, "GAMMP", realGammp, complexGammp);
    case O::If:
        return binaryRow(op, 'F', K::Special, "IF", "IF", "IF", Notation::Conditional,
                         kPrecedenceOtherBinary, nullptr, nullptr, StackEffect::Condition);
    case O::Then:
        return binaryRow(op, 'H', K::Special, "THEN", "THEN", "THEN", Notation::Conditional,
                         kPrecedenceOtherBinary, nullptr, nullptr, StackEffect::Marker);
    case O::Derivative:
        return callRow(op, op::Derivative, K::Special, "D", realNoValue, complexNoValue);
    case O::Delay:
        return callRow(op, op::Delay, K::Special, "DELAY", realNoValue, complexNoValue);
    case O::Integral:
        return callRow(op, op::Integral, K::Special, "INT", realNoValue, complexNoValue);
    case O::Limit:
        return callRow(op, 'l', K::Special, "LIM", realNoValue, complexNoValue);
    case O::Arg:
        return callRow(op, 'g', K::Special, "ARG", realNoValue, complexNoValue);
    case O::Negate:
        return unaryRow(op, '-', K::Arithmetic, "-", realNegate, complexNegate, O::Negate);
    case O::Sin:
        return unaryRow(op, 'S', K::Function, "SIN", realSin, complexSinOf, O::Arcsin);
    case O::Cos:
        return unaryRow(op, 'C', K::Function, "COS", realCos, complexCosOf, O::Arccos);
    case O::Tan:
        return unaryRow(op, 'T', K::Function, "TAN", realTan, complexTanOf, O::Arctan);
    case O::Arcsin:
        return unaryRow(op, 's', K::Function, "ARCSIN", realArcsin, complexArcsin, O::Sin);
    case O::Arccos:
        return unaryRow(op, 'c', K::Function, "ARCCOS", realArccos, complexArccos, O::Cos);
    case O::Arctan:
        return unaryRow(op, 't', K::Function, "ARCTAN", realArctan, complexArctan, O::Tan);
    case O::Exp:
        return unaryRow(op, 'E', K::Function, "EXP", realExp, complexExpOf, O::Ln);
    case O::Ln:
        return unaryRow(op, 'L', K::Function, "LN", realLn, complexLn, O::Exp);
    case O::Inv:
        return unaryRow(op, 'I', K::Function, "INV", realInv, complexInv, O::Inv);
    case O::Square:
        return unaryRow(op, '2', K::Function, "SQUARE", realSquareOf, complexSquare, O::Sqrt);
    case O::Sqrt:
        return unaryRow(op, 'Q', K::Function, "SQRT", realSqrt, complexSqrtOf, O::Square);
    case O::Abs:
        return unaryRow(op, 'B', K::Function, "ABS", realAbs, complexModulus, O::Abs);
    case O::UnitStep:
        return unaryRow(op, 'U', K::Function, "U", realUnitStep, complexUnitStep);
    case O::Real:
        return unaryRow(op, 'r', K::Function, "REAL", realSame, complexRealPart, O::Real);
    case O::Imag:
        return unaryRow(op, 'i', K::Function, "IMAG", realZero, complexImagPart);
    case O::Conjugate:
        return unaryRow(op, 'j', K::Function, "CONJG", realSame, complexConjugate, O::Conjugate);
    case O::Mag:
        return unaryRow(op, 'm', K::Function, "MAG", realAbs, complexModulus);
    case O::Angle:
        return unaryRow(op, 'a', K::Function, "ANGLE", realAngle, complexAngleOf);
    case O::Erf:
        return unaryRow(op, 'P', K::Function, "ERF", realErf, onRealPart<realErf>);
    case O::BessJ0:
        return unaryRow(op, 'J', K::Function, "BESSJ0", realJ0, onRealPart<realJ0>);
    case O::BessJ1:
        return unaryRow(op, '1', K::Function, "BESSJ1", realJ1, onRealPart<realJ1>);
    case O::BessY0:
        return unaryRow(op, 'Y', K::Function, "BESSY0", realY0, onRealPart<realY0>);
    case O::BessY1:
        return unaryRow(op, 'y', K::Function, "BESSY1", realY1, onRealPart<realY1>);
    case O::Gammln:
        return unaryRow(op, 'G', K::Function, "GAMMLN", realGammln, onRealPart<realGammln>);
    }
    return {}; // not reached: every operation has its case
}

constexpr PrecedenceSet setOf(std::initializer_list<std::uint8_t> classes)
{
    PrecedenceSet set = 0;
    for (std::uint8_t c : classes)
        set = static_cast<PrecedenceSet>(set | (1U << c));
    return set;
}

/// The printer's parenthesis rules, which depend on the operator's class only.
constexpr void setParentheses(OperationInfo& row)
{
    using namespace precedence;
    constexpr PrecedenceSet negatives = setOf({Negation, NegativeConstant});
    constexpr PrecedenceSet sums = setOf({Add, Subtract, Negation, NegativeConstant});
    constexpr PrecedenceSet terms =
        setOf({Add, Subtract, Multiply, Divide, Negation, NegativeConstant});
    constexpr PrecedenceSet powers =
        setOf({Add, Subtract, Multiply, Divide, Power, Negation, NegativeConstant});
    if (row.notation == Notation::Prefix) {
        row.parenthesizedRight = sums;
        return;
    }
    if (row.notation != Notation::Infix)
        return;
    switch (row.precedence) {
    case Add:
        row.parenthesizedRight = negatives;
        return;
    case Subtract:
        row.parenthesizedRight = sums;
        return;
    case Multiply:
        row.parenthesizedLeft = sums;
        row.parenthesizedRight = sums;
        return;
    case Divide:
        row.parenthesizedLeft = sums;
        row.parenthesizedRight = terms;
        return;
    case Power:
        row.parenthesizedLeft = powers;
        row.parenthesizedRight = powers;
        return;
    default: // the relations written infix: no rule
        return;
    }
}

constexpr std::array<OperationInfo, kOperationCount> buildTable()
{
    std::array<OperationInfo, kOperationCount> rows{};
    for (std::size_t i = 0; i < kOperationCount; ++i) {
        rows[i] = rowOf(static_cast<Operation>(i));
        setParentheses(rows[i]);
    }
    return rows;
}

} // namespace

constexpr std::array<OperationInfo, kOperationCount> detail::kOperationRows = buildTable();

namespace {

constexpr const std::array<OperationInfo, kOperationCount>& kTable = detail::kOperationRows;

using RowIndex = std::array<const OperationInfo*, 256>;

constexpr RowIndex buildIndex(char tokenKind)
{
    RowIndex index{};
    for (const OperationInfo& row : kTable)
        if (row.tokenKind == tokenKind)
            index[row.code] = &row;
    return index;
}

/// Every row sits at its operation's place, and no two rows of one kind share a byte.
constexpr bool consistent()
{
    std::size_t binary = 0;
    std::size_t unary = 0;
    for (std::size_t i = 0; i < kOperationCount; ++i) {
        if (static_cast<std::size_t>(kTable[i].operation) != i)
            return false;
        // Whether each valued row has its functions is checked by the tests: comparing
        // function pointers is no constant expression under GCC's sanitizers.
        if (kTable[i].tokenKind == kind::Binary)
            ++binary;
        else
            ++unary;
    }
    std::size_t indexedBinary = 0;
    std::size_t indexedUnary = 0;
    const RowIndex binaryRows = buildIndex(kind::Binary);
    const RowIndex unaryRows = buildIndex(kind::Unary);
    for (std::size_t c = 0; c < 256; ++c) {
        indexedBinary += binaryRows[c] != nullptr ? 1 : 0;
        indexedUnary += unaryRows[c] != nullptr ? 1 : 0;
    }
    return indexedBinary == binary && indexedUnary == unary;
}
static_assert(consistent(),
              "the operation table has a misplaced row, a missing function or a doubled code");

} // namespace

namespace {

Complex complexZero(Complex, MathContext&)
{
    return {0.0, 0.0};
}

constexpr ValueFunctions buildValueFunctions()
{
    ValueFunctions f{};
    f.realBinary.fill(realNoValue);
    f.realUnary.fill(realZero);
    f.complexBinary.fill(complexNoValue);
    f.complexUnary.fill(complexZero);
    for (const OperationInfo& row : kTable) {
        if (row.tokenKind == kind::Binary) {
            f.realBinary[row.code] = row.realBinary;
            f.complexBinary[row.code] = row.complexBinary;
        } else {
            f.realUnary[row.code] = row.realUnary;
            f.complexUnary[row.code] = row.complexUnary;
        }
    }
    return f;
}

} // namespace

constexpr ValueFunctions detail::kValueFunctions = buildValueFunctions();
constexpr std::array<const OperationInfo*, 256> detail::kBinaryRows = buildIndex(kind::Binary);
constexpr std::array<const OperationInfo*, 256> detail::kUnaryRows = buildIndex(kind::Unary);

// The function-name tables, spelled from the rows.
constexpr std::array<Operation, 37> kFirstNameTableOrder = {
    Operation::Sin,    Operation::Cos,        Operation::Tan,       Operation::Arcsin,
    Operation::Arccos, Operation::Arctan,     Operation::Atan2,     Operation::Exp,
    Operation::Ln,     Operation::Negate,     Operation::Inv,       Operation::Square,
    Operation::Sqrt,   Operation::Abs,        Operation::UnitStep,  Operation::If,
    Operation::Less,   Operation::Greater,    Operation::Equal,     Operation::Then,
    Operation::Real,   Operation::Imag,       Operation::Conjugate, Operation::Mag,
    Operation::Angle,  Operation::Derivative, Operation::Delay,     Operation::Integral,
    Operation::Limit,  Operation::Arg,        Operation::Erf,       Operation::BessJ0,
    Operation::BessJ1, Operation::BessY0,     Operation::BessY1,    Operation::Gammln,
    Operation::Gammp,
};

constexpr std::array<Operation, 12> kSecondNameTableOrder = {
    Operation::Atan2,    Operation::If,    Operation::Less,       Operation::Greater,
    Operation::Equal,    Operation::Then,  Operation::Derivative, Operation::Delay,
    Operation::Integral, Operation::Limit, Operation::Arg,        Operation::Gammp,
};

template <std::size_t N>
constexpr std::array<FunctionName, N> namesOf(const std::array<Operation, N>& order,
                                              bool twoArgument)
{
    std::array<FunctionName, N> names{};
    for (std::size_t k = 0; k < N; ++k) {
        const OperationInfo& row = kTable[static_cast<std::size_t>(order[k])];
        names[k] = {twoArgument ? row.twoArgumentName : row.name, row.code};
    }
    return names;
}

constexpr std::array<FunctionName, 37> kFunctionNames = namesOf(kFirstNameTableOrder, false);
constexpr std::array<FunctionName, 12> kTwoArgumentNames = namesOf(kSecondNameTableOrder, true);

Token makeOperationToken(Operation op)
{
    const OperationInfo& row = operationInfo(op);
    return makeToken(row.tokenKind, row.code, 0, 0.0);
}

Chain makeBinary(Operation op, const Chain& second, const Chain& first)
{
    assert(operationInfo(op).arity == 2);
    return makeBinary(codeOf(op), second, first);
}

Chain makeUnary(Operation op, const Chain& argument)
{
    assert(operationInfo(op).arity == 1);
    return makeUnary(codeOf(op), argument);
}

} // namespace varnel
