// Conversion between a document's solution settings and the texts of the Method page.
#include "OptionFields.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

namespace varnel {

namespace {

constexpr std::int64_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kIntMax = std::numeric_limits<std::int32_t>::max();

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string shown(std::int64_t value)
{
    return std::to_string(value);
}

std::string shown(double value)
{
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    return std::string(text, end.ptr);
}

enum class Parse { Ok, NotValid, OutOfRange };

/// A decimal integer with an optional sign and blanks around it.
Parse parseInteger(std::string_view text, std::int64_t& value)
{
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return Parse::NotValid;
    for (char c : text)
        if (c < '0' || c > '9')
            return Parse::NotValid;
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (error == std::errc::result_out_of_range || magnitude > std::uint64_t(kIntMax) + 1)
        return Parse::OutOfRange;
    value = negative ? -std::int64_t(magnitude) : std::int64_t(magnitude);
    return Parse::Ok;
}

/// A finite decimal number (fixed or exponent form) with an optional sign and blanks around.
bool parseNumber(std::string_view text, double& value)
{
    text = trimmed(text);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

std::string outOfRange(MethodField field, std::int64_t low, std::int64_t high)
{
    return std::string(methodFieldName(field)) + ": please enter an integer from " +
           std::to_string(low) + " to " + std::to_string(high) + ".";
}

/// Reads the text fields in page order; stops at the first that does not convert.
class Reader {
public:
    explicit Reader(std::optional<FieldProblem>& problem) : m_problem(problem) {}

    void integer(MethodField field, const std::string& text, std::int64_t low, std::int64_t high,
                 std::int64_t& value)
    {
        if (m_problem)
            return;
        switch (parseInteger(text, value)) {
        case Parse::Ok:
            if (value >= low && value <= high)
                return;
            [[fallthrough]];
        case Parse::OutOfRange:
            m_problem = FieldProblem{field, outOfRange(field, low, high)};
            return;
        case Parse::NotValid:
            m_problem = FieldProblem{field, kEnterInteger};
            return;
        }
    }

    void number(MethodField field, const std::string& text, double& value)
    {
        if (m_problem)
            return;
        if (!parseNumber(text, value))
            m_problem = FieldProblem{field, kEnterNumber};
    }

    void refuse(MethodField field, std::string message)
    {
        if (!m_problem)
            m_problem = FieldProblem{field, std::move(message)};
    }

private:
    std::optional<FieldProblem>& m_problem;
};

} // namespace

const char* methodFieldName(MethodField field)
{
    switch (field) {
    case MethodField::Tolerance:
        return "Min. Tolerance";
    case MethodField::DeltaJ:
        return "Delta J";
    case MethodField::MaxIterations:
        return "Max Iterations";
    case MethodField::Repetitions:
        return "Repetitions";
    case MethodField::GuessMin:
        return "Initial Guess Minimum";
    case MethodField::GuessMax:
        return "Initial Guess Maximum";
    case MethodField::DeltaT:
        return "Delta T";
    }
    return "";
}

MethodFields methodFields(const SolverOptions& o)
{
    const auto position = [](std::int32_t code, int count) {
        return code >= 0 && code < count ? code : -1;
    };
    MethodFields f;
    f.method = position(o.method, 4);
    f.jacobianMethod = position(o.jacobianMethod, 2);
    f.differentialMethod = position(o.differentialMethod, 3);
    f.tolerance = shown(-std::int64_t(o.toleranceExponent));
    f.deltaJ = shown(o.deltaJ);
    f.maxIterations = shown(std::int64_t(o.maxIterations));
    f.repetitions = shown(std::int64_t(o.repetitions));
    f.guessMin = shown(o.guessMin);
    f.guessMax = shown(o.guessMax);
    f.deltaT = shown(o.deltaT);
    f.solveInGroups = o.solveInGroups != 0;
    f.autoHomotopy = o.autoHomotopy != 0;
    f.autoSimplify = o.autoSimplify != 0;
    return f;
}

std::optional<FieldProblem> storeMethodFields(const MethodFields& f, SolverOptions& options)
{
    std::optional<FieldProblem> problem;
    Reader read(problem);
    std::int64_t tolerance = 0, maxIterations = 0, repetitions = 0;
    double deltaJ = 0, guessMin = 0, guessMax = 0, deltaT = 0;
    // The exponent is stored negated, so its magnitude must fit either way.
    read.integer(MethodField::Tolerance, f.tolerance, -kIntMax, kIntMax, tolerance);
    read.number(MethodField::DeltaJ, f.deltaJ, deltaJ);
    read.integer(MethodField::MaxIterations, f.maxIterations, kIntMin, kIntMax, maxIterations);
    read.integer(MethodField::Repetitions, f.repetitions, kIntMin, kIntMax, repetitions);
    read.number(MethodField::GuessMin, f.guessMin, guessMin);
    read.number(MethodField::GuessMax, f.guessMax, guessMax);
    read.number(MethodField::DeltaT, f.deltaT, deltaT);
    // A step of 0 leaves the independent variable where it is: every step of a differential
    // equation run would solve the same point and report it as a solution.
    if (deltaT == 0.0)
        read.refuse(MethodField::DeltaT, "Delta T: please enter a number other than 0.");
    if (problem)
        return problem;

    if (f.method >= 0)
        options.method = f.method;
    if (f.jacobianMethod >= 0)
        options.jacobianMethod = f.jacobianMethod;
    if (f.differentialMethod >= 0)
        options.differentialMethod = f.differentialMethod;
    options.toleranceExponent = static_cast<std::int32_t>(-tolerance);
    options.deltaJ = deltaJ;
    options.maxIterations = static_cast<std::int32_t>(maxIterations);
    options.repetitions = static_cast<std::int32_t>(repetitions);
    options.guessMin = guessMin;
    options.guessMax = guessMax;
    options.deltaT = deltaT;
    options.solveInGroups = f.solveInGroups ? 1 : 0;
    options.autoHomotopy = f.autoHomotopy ? 1 : 0;
    options.autoSimplify = f.autoSimplify ? 1 : 0;
    return std::nullopt;
}

} // namespace varnel
