// Printing of expressions and equations. An expression is printed without recursion: one
// pass finds where every operand ends, then a stack of pending pieces writes operands and
// operators left to right, with parentheses where the operation table asks for them.
#include "EquationPrinter.h"

#include "GuardedMath.h"
#include "LineWriter.h"
#include "NumberText.h"
#include "Operations.h"
#include "Reporter.h"
#include "Symbols.h"

#include <array>
#include <charconv>
#include <cmath>

namespace varnel {

namespace {

constexpr std::string_view kEndedPrematurely = "Equation Ended Prematurely";

/// The lexer reads a number followed by the degree sign as value * kPi * this.
constexpr double kDegreesToRadians = kPi * 0.005555555555555556;

/// Every byte as a one-character string, for operators without a table row.
constexpr std::array<char, 256> makeBytes()
{
    std::array<char, 256> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i);
    return bytes;
}
constexpr std::array<char, 256> kBytes = makeBytes();

std::string_view byteText(std::uint8_t c)
{
    return {&kBytes[c], 1};
}

std::uint8_t classOf(const Token& t)
{
    switch (t.kind) {
    case kind::Constant:
        if (t.op == form::Phasor)
            return precedence::Function;
        return t.value < 0.0 ? precedence::NegativeConstant : precedence::Constant;
    case kind::Variable:
        if (t.op == form::Imaginary)
            return precedence::Multiply; // written as the imaginary unit times the name
        if (t.op == form::Phasor)
            return precedence::Function;
        return precedence::Variable;
    case kind::Binary:
        if (const OperationInfo* row = findBinaryOperation(t.op))
            return row->precedence;
        return precedence::OtherBinary;
    case kind::Unary:
        if (const OperationInfo* row = findUnaryOperation(t.op))
            return row->precedence;
        return precedence::Function;
    default:
        return precedence::Function;
    }
}

/// `value` as it may stand in an equation: NaN as UNDEFINED, infinities as +-BIG, -0 as 0.
double printable(double value)
{
    if (std::isnan(value))
        return UNDEFINED;
    if (std::isinf(value))
        return value < 0.0 ? -BIG : BIG;
    return value == 0.0 ? 0.0 : value; // no "-0.0000000"
}

/// The number in the form of the result tables, unpadded, when those digits read back as
/// the same value (or the value counts as zero); otherwise the shortest text that does, so
/// that a constant of an equation is never rounded by writing it.
void appendNumber(std::string& text, double value)
{
    value = printable(value);
    const std::size_t start = text.size();
    appendTableNumber(text, value, 0);
    double back = 0.0;
    if (std::fabs(value) <= kZeroMagnitude ||
        (parseDecimal(std::string_view(text).substr(start), back) && back == value))
        return;
    text.resize(start);
    char digits[32];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, written.ptr);
}

void appendConstant(std::string& text, const Token& t)
{
    if (t.op == form::Undefined) {
        text += '?';
        return;
    }
    if (t.op == form::Pi && t.index == 0 && t.value == kPi) {
        text += "PI";
        return;
    }
    if (t.op == form::Phasor) {
        // cos v + j sin v is the unit phasor at angle v.
        text += "(1.0000000@";
        appendNumber(text, t.value);
        text += ')';
        return;
    }
    double v = t.value;
    const bool degrees = t.index != 0;
    if (degrees)
        v /= kDegreesToRadians;
    if (t.op == form::Imaginary) {
        // The imaginary unit goes before the digits: the lexer reads "j2" as 2j, and a
        // sign before it as a negation.
        if (v < 0.0)
            text += '-';
        text += static_cast<char>(symbol::ImaginaryUnit);
        appendNumber(text, std::fabs(v));
    } else if (degrees) {
        // Degrees as the user wrote them: the conversion back from radians is not exact.
        appendTableNumber(text, printable(v), 0);
    } else {
        appendNumber(text, v);
    }
    if (degrees)
        text += static_cast<char>(symbol::Degree);
}

std::uint8_t reversed(std::uint8_t relation)
{
    if (relation == '<')
        return '>';
    if (relation == '>')
        return '<';
    return relation;
}

} // namespace

std::string printedNumber(double value)
{
    std::string text;
    appendNumber(text, value);
    return text;
}

std::string printedConstant(const Token& constant)
{
    std::string text;
    appendConstant(text, constant);
    return text;
}

EquationPrinter::EquationPrinter(const VariableTable& variables, Reporter& reporter)
    : m_variables(variables), m_reporter(reporter)
{
}

void EquationPrinter::reportEndedPrematurely()
{
    m_reporter.send(kEndedPrematurely);
    m_reporter.raiseError();
}

void EquationPrinter::computeEnds(const Chain& prefix)
{
    // Walks the chain backwards (postfix order): every token leaves the start of its
    // expression on the stack; an operation takes the starts of its operands off it.
    const std::size_t n = prefix.size();
    m_ends.assign(n, kBroken);
    m_stack.clear();
    const auto take = [this]() {
        const std::size_t start = m_stack.back();
        m_stack.pop_back();
        return start;
    };
    for (std::size_t i = n; i-- > 0;) {
        const Token& t = prefix[i];
        switch (t.kind) {
        case kind::Constant:
            m_ends[i] = i + 1;
            break;
        case kind::Variable:
            if (t.index >= 1 && static_cast<int>(t.index) <= m_variables.count())
                m_ends[i] = i + 1;
            break;
        case kind::Unary:
            if (!m_stack.empty())
                m_ends[i] = m_ends[take()];
            break;
        case kind::Binary:
            if (m_stack.size() >= 2) {
                const std::size_t second = take();
                const std::size_t first = take();
                if (m_ends[second] != kBroken)
                    m_ends[i] = m_ends[first];
            }
            break;
        default:
            break; // ";" and void tokens do not belong in a prefix chain
        }
        m_stack.push_back(i);
    }
}

bool EquationPrinter::printExpression(const Chain& prefix, std::size_t& pos, std::string& text,
                                      std::uint8_t& precedenceClass)
{
    if (m_reporter.runError || pos >= prefix.size()) {
        reportEndedPrematurely();
        return false;
    }
    computeEnds(prefix);
    if (m_ends[pos] == kBroken) {
        reportEndedPrematurely();
        return false;
    }
    appendExpression(prefix, pos, text);
    precedenceClass = classOf(prefix[pos]);
    pos = m_ends[pos];
    return true;
}

bool EquationPrinter::printExpression(const Chain& prefix, std::string& text)
{
    std::size_t pos = 0;
    std::uint8_t k = 0;
    std::string out;
    if (!printExpression(prefix, pos, out, k))
        return false;
    if (pos != prefix.size()) {
        reportEndedPrematurely();
        return false;
    }
    text += out;
    return true;
}

void EquationPrinter::appendExpression(const Chain& prefix, std::size_t start, std::string& text)
{
    // Pieces are pushed in reverse: the last pushed is written first.
    // A node puts at most seven steps on the stack; room for them is made before each.
    constexpr std::size_t kMostPerNode = 7;
    if (m_steps.size() < 64)
        m_steps.resize(64);
    Step* steps = m_steps.data();
    std::size_t top = 0;
    steps[top++] = {start, {}};
    const auto piece = [&](std::string_view s) { steps[top++] = {kBroken, s}; };
    const auto node = [&](std::size_t i) { steps[top++] = {i, {}}; };
    const auto operand = [&](std::size_t i, bool parenthesized) {
        if (parenthesized)
            piece(")");
        node(i);
        if (parenthesized)
            piece("(");
    };

    while (top > 0) {
        const Step step = steps[--top];
        if (top + kMostPerNode > m_steps.size()) {
            m_steps.resize(2 * m_steps.size());
            steps = m_steps.data();
        }
        if (step.node == kBroken) {
            text += step.text;
            continue;
        }
        const std::size_t i = step.node;
        const Token& t = prefix[i];
        switch (t.kind) {
        case kind::Constant:
            appendConstant(text, t);
            break;
        case kind::Variable: {
            const std::string& name = m_variables.names[t.index];
            if (t.op == form::Imaginary) {
                text += static_cast<char>(symbol::ImaginaryUnit);
                text += '*';
                text += name;
            } else if (t.op == form::Phasor) {
                text += "(1.0000000@";
                text += name;
                text += ')';
            } else {
                text += name;
            }
            break;
        }
        case kind::Unary: {
            const std::size_t argument = i + 1;
            const OperationInfo* row = findUnaryOperation(t.op);
            if (row != nullptr && row->notation == Notation::Prefix) {
                operand(argument, contains(row->parenthesizedRight, classOf(prefix[argument])));
                piece(row->spelling);
                break;
            }
            piece(")");
            node(argument);
            piece("(");
            piece(row != nullptr ? row->spelling : byteText(t.op));
            break;
        }
        case kind::Binary: {
            // Prefix order: the operation, its second operand, then its first.
            const std::size_t second = i + 1;
            const std::size_t first = m_ends[second];
            const OperationInfo* row = findBinaryOperation(t.op);
            if (row == nullptr) {
                piece(")");
                node(second);
                piece(byteText(t.op));
                node(first);
                piece("(");
                break;
            }
            switch (row->notation) {
            case Notation::Infix:
                if (row->precedence <= precedence::Power) {
                    operand(second, contains(row->parenthesizedRight, classOf(prefix[second])));
                    piece(row->spelling);
                    operand(first, contains(row->parenthesizedLeft, classOf(prefix[first])));
                } else {
                    // A relation binds loosest of all: as an operand, and at the top of a
                    // statement, it stands in parentheses of its own.
                    piece(")");
                    node(second);
                    piece(row->spelling);
                    node(first);
                    piece("(");
                }
                break;
            case Notation::Prefix:
            case Notation::Call:
                piece(")");
                node(second);
                piece(",");
                node(first);
                piece("(");
                piece(row->spelling);
                break;
            case Notation::Conditional:
                if (row->operation == Operation::If) {
                    // (IF(c) THEN(a) ELSE(b)): the second operand is the THEN part.
                    piece(")");
                    node(second);
                    piece(")");
                    node(first);
                    piece("(IF(");
                } else {
                    piece(")");
                    node(second);
                    piece(") ELSE(");
                    node(first);
                    piece(" THEN(");
                }
                break;
            }
            break;
        }
        default:
            break; // excluded by computeEnds
        }
    }
}

bool EquationPrinter::constantValue(const Chain& prefix, std::size_t start, double& value) const
{
    // Evaluates the operand in postfix order (backwards through the prefix chain).
    const std::size_t end = m_ends[start];
    double stack[64];
    std::size_t depth = 0;
    for (std::size_t i = end; i-- > start;) {
        const Token& t = prefix[i];
        if (t.kind == kind::Constant && (t.op == form::Real || t.op == form::Pi)) {
            if (depth == std::size(stack))
                return false;
            stack[depth++] = t.value;
            continue;
        }
        if (t.kind == kind::Unary && t.op == '-' && depth >= 1) {
            stack[depth - 1] = -stack[depth - 1];
            continue;
        }
        if (t.kind != kind::Binary || depth < 2)
            return false;
        // Backwards through prefix order the first operand is met first, so it lies deeper.
        const double a = stack[depth - 2];
        const double b = stack[depth - 1];
        double r = 0.0;
        switch (t.op) {
        case '+':
            r = a + b;
            break;
        case '-':
            r = a - b;
            break;
        case '*':
            r = a * b;
            break;
        case '/':
            r = a / b;
            break;
        default:
            return false;
        }
        if (!std::isfinite(r))
            return false;
        --depth;
        stack[depth - 1] = r;
    }
    if (depth != 1)
        return false;
    value = stack[0];
    return true;
}

bool EquationPrinter::isSingleVariable(const Chain& prefix, std::size_t start) const
{
    const Token& t = prefix[start];
    return t.kind == kind::Variable && (t.op == form::Real || t.op == form::Imaginary);
}

bool EquationPrinter::printEquation(const Chain& prefix, std::uint8_t relation, LineWriter& out)
{
    if (m_reporter.runError || prefix.empty()) {
        reportEndedPrematurely();
        return false;
    }
    computeEnds(prefix);
    const std::size_t n = prefix.size();
    const std::size_t rootEnd = m_ends[0];
    if (rootEnd == kBroken) {
        reportEndedPrematurely();
        return false;
    }
    const auto relationText = [](std::uint8_t r) { return byteText(r); };
    std::string& line = m_scratch;
    line.clear();

    if ((relation == symbol::AtLeastRelation || relation == symbol::AtMostRelation) &&
        rootEnd != n && m_ends[rootEnd] == n) {
        // Both sides, without an operation between them: the right side comes first.
        appendExpression(prefix, rootEnd, line);
        line += relationText(relation);
        appendExpression(prefix, 0, line);
        line += "; ";
        out.writePrinted(line);
        return true;
    }
    if (rootEnd != n) {
        reportEndedPrematurely();
        return false;
    }
    const Token& root = prefix[0];
    if (relation == ' ') {
        appendExpression(prefix, 0, line);
        line += "; ";
        out.writePrinted(line);
        return true;
    }
    if (root.kind != kind::Binary || (root.op != '+' && root.op != '-')) {
        appendExpression(prefix, 0, line);
        line += relationText(relation);
        line += "0; ";
        out.writePrinted(line);
        return true;
    }
    const bool sum = root.op == '+';
    const std::size_t second = 1;
    const std::size_t first = m_ends[second];
    double secondValue = 0.0;
    double firstValue = 0.0;
    const bool secondConstant = constantValue(prefix, second, secondValue);
    const bool firstConstant = !secondConstant && constantValue(prefix, first, firstValue);

    if (!secondConstant && !firstConstant) {
        if (!isSingleVariable(prefix, first)) {
            appendExpression(prefix, 0, line);
            line += relationText(relation);
            line += "0; ";
            out.writePrinted(line);
            return true;
        }
        // x - right r 0 is x r right; x + right r 0 is -x r' right with r' reversed.
        if (sum)
            line += '-';
        appendExpression(prefix, first, line);
        line += relationText(sum ? reversed(relation) : relation);
        appendExpression(prefix, second, line);
        line += "; ";
        out.writePrinted(line);
        return true;
    }

    // other - c r 0 is other r c; other + c r 0 is other r -c; c - other r 0 is
    // other r' c; c + other r 0 is other r -c.
    double number = 0.0;
    std::uint8_t written = relation;
    if (secondConstant) {
        appendExpression(prefix, first, line);
        number = sum ? -secondValue : secondValue;
    } else {
        appendExpression(prefix, second, line);
        number = sum ? -firstValue : firstValue;
        if (!sum)
            written = reversed(relation);
    }
    line += relationText(written);
    out.writePrinted(line);
    std::string numberText = printedNumber(number);
    if (out.column() + static_cast<int>(numberText.size()) >= 82)
        out.newLine();
    numberText += "; ";
    out.writePrinted(numberText);
    return true;
}

void EquationPrinter::printInitialValues(LineWriter& out)
{
    if (out.column() > 20)
        out.newLine();
    int written = 0;
    std::string entry;
    for (int k = 1; k <= m_variables.count(); ++k) {
        const std::string& name = m_variables.names[static_cast<std::size_t>(k)];
        if (name.empty())
            continue;
        entry = name;
        entry += static_cast<char>(symbol::StartingValueRelation);
        // Starting values keep the digits of the result tables.
        appendTableNumber(entry, printable(m_variables.values[static_cast<std::size_t>(k)]), 0);
        entry += ";  ";
        out.writePrinted(entry);
        ++written;
        if ((written % 4 == 0 || out.column() >= 69) && !out.atLineStart())
            out.newLine();
    }
}

} // namespace varnel
