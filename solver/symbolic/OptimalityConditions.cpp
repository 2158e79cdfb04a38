// The Lagrangian, the least-squares objective and the gradient equations of either.
#include "OptimalityConditions.h"

#include "ConstantFolding.h"
#include "Differentiator.h"
#include "EquationPrinter.h"
#include "Evaluator.h"
#include "LineWriter.h"
#include "Operations.h"
#include "Reporter.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace varnel {

namespace {

constexpr std::uint8_t kMultiplierMark = 0xEC;
constexpr std::uint8_t kSlackMark = 0xE4;
constexpr std::uint8_t kAtLeast = 0xF2;
constexpr std::uint8_t kAtMost = 0xF3;

std::string markedName(std::uint8_t mark, int equation)
{
    return std::string(1, static_cast<char>(mark)) + std::to_string(equation);
}

/// The variable called `name`, added with value 1 when the table has none; 0 when the
/// table is full.
std::uint32_t variableFor(VariableTable& variables, const std::string& name)
{
    if (const int k = variables.find(name); k != 0)
        return static_cast<std::uint32_t>(k);
    if (variables.count() >= kMaxVariables)
        return 0;
    return static_cast<std::uint32_t>(variables.add(name, 1.0));
}

void replaceBySingle(EquationSet& set, const Chain& prefixSum)
{
    Equation single;
    if (!set.equations.empty())
        single.relation = set.equations.front().relation;
    single.code = toPostfix(prefixSum);
    set.equations.clear();
    set.equations.push_back(std::move(single));
}

Chain sumWith(const Chain& sum, const Chain& term)
{
    return makeBinary(Operation::Add, sum, term);
}

bool isInequality(std::uint8_t relation)
{
    return relation == '<' || relation == '>' || relation == kAtLeast || relation == kAtMost;
}

/// Splits an inequality's prefix chain into its sides: the residual left - right of "<"
/// and ">", or the two sides without an operation of 0xF2 and 0xF3 (right side first).
/// A residual the compiler reshaped is taken whole as the left side against 0.
void splitSides(const Chain& prefix, Inequality& out)
{
    out.right = Chain{makeZero()};
    out.left = prefix;
    if (prefix.empty())
        return;
    const std::size_t first = operandEnd(prefix, 0);
    if (first < prefix.size() && operandEnd(prefix, first) == prefix.size()) {
        out.right.assign(prefix.begin(), prefix.begin() + static_cast<std::ptrdiff_t>(first));
        out.left.assign(prefix.begin() + static_cast<std::ptrdiff_t>(first), prefix.end());
        return;
    }
    if (operationOf(prefix[0]) == Operation::Subtract && first == prefix.size()) {
        const std::size_t second = operandEnd(prefix, 1);
        out.right.assign(prefix.begin() + 1, prefix.begin() + static_cast<std::ptrdiff_t>(second));
        out.left.assign(prefix.begin() + static_cast<std::ptrdiff_t>(second), prefix.end());
    }
}

/// The value of variable `name` in `solved`, else its value in `problem`.
double solvedValue(const VariableTable& solved, const VariableTable& problem,
                   const std::string& name, std::size_t k)
{
    const int at = solved.find(name);
    return at != 0 ? solved.values[static_cast<std::size_t>(at)] : problem.values[k];
}

} // namespace

std::string multiplierName(int equation)
{
    return markedName(kMultiplierMark, equation);
}

std::string slackName(int equation)
{
    return markedName(kSlackMark, equation);
}

bool formLagrangian(EquationSet& set, Reporter& reporter)
{
    if (set.equations.empty()) {
        replaceBySingle(set, Chain{makeZero()});
        return true;
    }
    const int variablesBefore = set.variables.count();
    bool full = false;
    Chain sum{makeZero()};
    for (int i = 1; i <= set.equationCount() && !full; ++i) {
        const Equation& eq = set.equation(i);
        Chain e = toPrefix(eq.code);
        if (eq.relation == ' ') {
            sum = sumWith(sum, e);
            continue;
        }
        const std::uint32_t lambda = variableFor(set.variables, multiplierName(i));
        const bool atLeast = eq.relation == '>' || eq.relation == kAtLeast;
        const bool atMost = eq.relation == '<' || eq.relation == kAtMost;
        Chain c;
        if (atLeast || atMost) {
            const std::uint32_t s = variableFor(set.variables, slackName(i));
            full = s == 0;
            const Chain square = makeUnary(Operation::Square, Chain{makeVariable(s)});
            // s^2 - e for "at least", s^2 + e for "at most": both vanish on the boundary.
            c = makeBinary(atLeast ? Operation::Subtract : Operation::Add, e, square);
        } else {
            c = std::move(e);
        }
        full = full || lambda == 0;
        sum = sumWith(sum, makeBinary(Operation::Multiply, c, Chain{makeVariable(lambda)}));
    }
    if (full) {
        set.variables.truncate(variablesBefore);
        reporter.send("\n");
        reporter.send("Too Many Variables");
        reporter.raiseError();
        return false;
    }
    replaceBySingle(set, sum);
    return true;
}

std::vector<Inequality> inequalitiesOf(const EquationSet& set, Reporter& reporter)
{
    std::vector<Inequality> out;
    EquationPrinter printer(set.variables, reporter);
    for (int i = 1; i <= set.equationCount(); ++i) {
        const Equation& eq = set.equation(i);
        if (!isInequality(eq.relation))
            continue;
        Inequality inequality;
        inequality.equation = i;
        const Chain prefix = toPrefix(eq.code);
        std::string printed;
        LineWriter writer(printed);
        if (printer.printEquation(prefix, eq.relation, writer)) {
            std::erase_if(printed, [](char c) { return c == '\n' || c == '\r'; });
            while (!printed.empty() && (printed.back() == ' ' || printed.back() == ';'))
                printed.pop_back();
        }
        inequality.text = std::move(printed);
        splitSides(prefix, inequality);
        out.push_back(std::move(inequality));
    }
    return out;
}

std::vector<WrongSignedInequality>
wrongSignedInequalities(const std::vector<Inequality>& inequalities, const VariableTable& problem,
                        const VariableTable& solved, double tolerance, Reporter& reporter)
{
    std::vector<WrongSignedInequality> out;
    std::vector<double> values(problem.values.size(), 0.0);
    for (std::size_t k = 1; k < values.size(); ++k)
        values[k] = solvedValue(solved, problem, problem.names[k], k);

    double largest = 1.0;
    for (const Inequality& inequality : inequalities)
        if (const int k = solved.find(multiplierName(inequality.equation)); k != 0)
            largest = std::max(largest, std::abs(solved.values[static_cast<std::size_t>(k)]));

    Evaluator evaluator(reporter);
    for (const Inequality& inequality : inequalities) {
        const int lambda = solved.find(multiplierName(inequality.equation));
        const int slack = solved.find(slackName(inequality.equation));
        if (lambda == 0 || slack == 0)
            continue;
        const double multiplier = solved.values[static_cast<std::size_t>(lambda)];
        if (!(multiplier < -tolerance * largest))
            continue;
        const double s = solved.values[static_cast<std::size_t>(slack)];
        double scale = 1.0;
        for (const Chain* side : {&inequality.left, &inequality.right}) {
            const double v = evaluator.evaluateReal(toPostfix(*side), values.data());
            if (evaluator.error().mark())
                evaluator.clearError();
            else if (std::isfinite(v))
                scale = std::max(scale, std::abs(v));
        }
        if (s * s <= tolerance * scale)
            out.push_back({inequality.equation, inequality.text, multiplier});
    }
    return out;
}

bool formLeastSquares(EquationSet& set, int modelEquations, const MeasuredCases& cases,
                      Reporter& reporter)
{
    std::vector<std::uint32_t> columnVariable;
    for (const std::string& name : cases.names)
        columnVariable.push_back(static_cast<std::uint32_t>(set.variables.find(name)));

    std::vector<Chain> model;
    for (int i = 1; i <= set.equationCount() && i <= modelEquations; ++i)
        model.push_back(toPrefix(set.equation(i).code));

    Chain sum{makeZero()};
    int line = 0;
    for (const std::vector<double>& row : cases.rows) {
        ++line;
        for (const Chain& residual : model) {
            Chain copy = residual;
            for (std::size_t c = 0; c < row.size() && c < columnVariable.size(); ++c) {
                if (columnVariable[c] == 0)
                    continue;
                for (Token& t : copy)
                    if (t.kind == kind::Variable && t.index == columnVariable[c])
                        t = makeToken(kind::Constant, t.op, 0, row[c], t.tag);
            }
            // The measurements make constant subexpressions (x^2 at x = 0, c*0): folded
            // here, as the user's own constants are when the file is read, or their
            // derivatives would take LN(0) and friends of the measured values.
            EvalError error;
            copy = toPrefix(foldPostfix(toPostfix(copy), reporter, error));
            if (error.mark()) {
                reporter.send("\n");
                reporter.send(error.message());
                reporter.sendf(" with the values of case %d of the list file", line);
                reporter.raiseError();
                return false;
            }
            sum = sumWith(sum, makeUnary(Operation::Square, copy));
        }
    }
    replaceBySingle(set, sum);
    return true;
}

bool formGradient(EquationSet& set, Reporter& reporter)
{
    if (set.equationCount() != 1)
        return false;
    const Chain& objective = set.equation(1).code;
    const int count = set.variables.count();
    std::vector<std::uint32_t> renumber(static_cast<std::size_t>(count) + 1, 0);
    for (const Token& t : objective)
        if (t.kind == kind::Variable && t.index >= 1 &&
            t.index <= static_cast<std::uint32_t>(count))
            renumber[t.index] = 1;
    VariableTable used;
    for (int k = 1; k <= count; ++k) {
        const auto uk = static_cast<std::size_t>(k);
        if (renumber[uk] == 0)
            continue;
        renumber[uk] =
            static_cast<std::uint32_t>(used.add(set.variables.names[uk], set.variables.values[uk]));
        used.lower.back() = set.variables.lower[uk];
        used.upper.back() = set.variables.upper[uk];
    }
    if (used.count() == 0) {
        reporter.send("\n");
        reporter.send("No variables to solve for");
        reporter.raiseError();
        return false;
    }
    Chain renumbered = objective;
    for (Token& t : renumbered)
        if (t.kind == kind::Variable && t.index >= 1 &&
            t.index <= static_cast<std::uint32_t>(count))
            t.index = renumber[t.index];

    Differentiator differentiator(reporter);
    std::vector<Equation> gradient;
    for (int k = 1; k <= used.count(); ++k) {
        Equation eq;
        eq.relation = '=';
        if (!differentiator.differentiate(renumbered, static_cast<std::uint32_t>(k), eq.code))
            return false;
        gradient.push_back(std::move(eq));
    }
    set.variables = std::move(used);
    set.equations = std::move(gradient);
    return true;
}

} // namespace varnel
