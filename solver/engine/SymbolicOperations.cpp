// The symbolic operations of a run and the equation files they produce.
#include "SymbolicOperations.h"

#include "SymbolicRuns.h"

#include "Elimination.h"
#include "EquationPrinter.h"
#include "EquationSaver.h"
#include "LineWriter.h"
#include "OptionsLine.h"
#include "Simplifier.h"
#include "Symbols.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace varnel {

namespace {

/// Lines of a linearized equation end before the next term once they pass this length.
constexpr std::size_t kLinearLineLength = 60;

/// The byte that makes a variable's name into the name of its change.
constexpr char kChangeMark = static_cast<char>(0xE4);
/// The byte that starts the name of an equation's multiplier.
constexpr char kMultiplierMark = static_cast<char>(0xEC);

bool readWholeFile(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

/// Splits the user's file into its options line (with its line end; empty when the file
/// has none) and the statements' text after it.
void splitOptionsLine(const std::string& text, std::string& optionsLine, std::string& rest)
{
    const std::size_t end = text.find('\n');
    const std::string first = text.substr(0, end);
    RunSettings scratch;
    if (applyOptionsLine(first, scratch)) {
        optionsLine = end == std::string::npos ? first + "\n" : text.substr(0, end + 1);
        rest = end == std::string::npos ? std::string() : text.substr(end + 1);
    } else {
        optionsLine.clear();
        rest = text;
    }
}

/// True when an equation holds an imaginary part (an imaginary constant, the imaginary half
/// of a complex variable, or the imaginary factor of a complex equation's twin).
bool hasImaginaryParts(const EquationSet& set)
{
    for (const Equation& eq : set.equations)
        for (const Token& t : eq.code)
            if ((t.kind == kind::Constant || t.kind == kind::Variable) && t.op == form::Imaginary)
                return true;
    return false;
}

} // namespace

SymbolicOperations::SymbolicOperations(RunContext& context)
    : m_context(context), m_differentiator(context.reporter)
{
}

std::string SymbolicOperations::productPath(std::string_view extension) const
{
    std::string path = m_context.files.baseName;
    path += '.';
    path += extension;
    return path;
}

bool SymbolicOperations::writeProduct(const std::string& path, const std::string& text)
{
    // A product replaces its file only when every byte reached the disk.
    TextFile& file = m_context.stream(Stream::Export);
    file.suppressMessages = true;
    if (file.openProduct(path)) {
        file.writeString(text);
        file.close();
        if (file.result() == 0) {
            m_context.writtenPath = path;
            m_context.writtenText = text;
            return true;
        }
    }
    Reporter& reporter = m_context.reporter;
    reporter.send("\n");
    reporter.send("Unable to open file for output");
    reporter.beep();
    reporter.raiseError();
    return false;
}

OperationResult SymbolicOperations::run(std::string_view name)
{
    const char first = name.empty() ? '\0' : name[0];
    const char second = name.size() > 1 ? name[1] : '\0';
    switch (first) {
    case 'A':
    case 'T':
        return save(false);
    case 'I':
        return save(true);
    case 'S':
        switch (second) {
        case 'J':
            return exportJacobian();
        case 'L':
            return exportLinearized();
        case 'S':
            return exportSymbolicLinearized(false);
        case 'R':
            return exportSymbolicLinearized(true);
        case 'T':
            return exportTransposed();
        }
        break;
    case 'F':
        switch (second) {
        case 'B':
        case 'E':
            return eliminate();
        case 'S':
            return simplify();
        case 'C':
            return complexFormOperation(m_context);
        case 'K':
            return lagrangianOperation(m_context, ".KTK");
        case 'L':
            return lagrangianOperation(m_context, ".SJC");
        }
        break;
    case 'L':
        if (second == 'R')
            return leastSquaresOperation(m_context);
        break;
    }
    Reporter& reporter = m_context.reporter;
    reporter.send("\n");
    reporter.send("Symbolic operation \"");
    reporter.send(name);
    reporter.send("\" is not available in this version of the library");
    reporter.raiseError();
    return OperationResult::Failed;
}

bool SymbolicOperations::writeListing()
{
    m_differentiator.complexMode = m_context.settings.complexMode;
    PhaseClock differentiation(m_context.times.differentiation);
    const bool complete =
        differentiateEquations(m_context.set, m_differentiator, m_context.reporter,
                               m_context.settings.showDerivatives, m_derivatives);
    differentiation.stop();
    PhaseClock writing(m_context.times.writing);
    writeListingFile(m_context.stream(Stream::Jacobian), m_context.files.listing,
                     listingText(m_derivatives));
    m_listingComplete = complete && !m_context.reporter.runError;
    return m_listingComplete;
}

void SymbolicOperations::reportListingNeeded()
{
    // An incomplete listing has reported itself; the INCREMENTAL method has not.
    Reporter& reporter = m_context.reporter;
    if (!reporter.runError) {
        reporter.send("\n");
        reporter.send("The symbolic Jacobian is needed: set the Jacobian method to SYMBOLIC");
    }
    reporter.raiseError();
}

bool SymbolicOperations::listingNeeded() const
{
    return m_context.settings.jacobianMethod != jacobian::Symbolic || !m_listingComplete;
}

OperationResult SymbolicOperations::exportJacobian(bool withStartingValues)
{
    if (listingNeeded())
        return OperationResult::ListingNeeded;
    Reporter& reporter = m_context.reporter;
    const std::string path = productPath("SJC");
    reporter.send("Saving Symbolic Jacobian to File:  ");
    reporter.send(path);
    trace("Symbolic Jacobian:\n");

    const EquationSet& set = m_context.set;
    EquationPrinter printer(set.variables, reporter);
    std::string out;
    LineWriter lines(out);
    lines.copy("{Original Equations: \n");
    std::string text;
    for (const Equation& eq : set.equations) {
        const Chain prefix = toPrefix(eq.code);
        if (eq.relation == symbol::AtLeastRelation || eq.relation == symbol::AtMostRelation) {
            if (!printer.printEquation(prefix, eq.relation, lines))
                return OperationResult::Failed;
        } else {
            text.clear();
            if (!printer.printExpression(prefix, text))
                return OperationResult::Failed;
            lines.writePrinted(text);
            if (eq.relation != ' ') {
                lines.writePrinted(std::string(1, static_cast<char>(eq.relation)));
                lines.writePrinted("0; ");
            } else {
                lines.writePrinted("; ");
            }
        }
        lines.newLine();
    }
    lines.copy("Jacobian Terms: }\n");
    for (const EquationDerivative& d : m_derivatives) {
        text.clear();
        if (!printer.printExpression(toPrefix(d.code), text))
            return OperationResult::Failed;
        char label[32];
        std::snprintf(label, sizeof label, "{d(eqn%d)/d(", d.row);
        lines.copy(label);
        lines.copy(set.variables.names[d.column]);
        lines.copy(")=} ");
        lines.writePrinted(text);
        lines.writePrinted(";");
        lines.newLine();
    }
    if (withStartingValues)
        printer.printInitialValues(lines);
    if (!writeProduct(path, out))
        return OperationResult::Failed;
    reporter.send("\n");
    reporter.send("Symbolic Jacobian Found!");
    return OperationResult::Done;
}

OperationResult SymbolicOperations::exportLinearized()
{
    return exportLinear(false, false);
}

OperationResult SymbolicOperations::exportSymbolicLinearized(bool withResidual)
{
    return exportLinear(true, withResidual);
}

OperationResult SymbolicOperations::exportLinear(bool symbolic, bool withResidual)
{
    if (listingNeeded())
        return OperationResult::ListingNeeded;
    Reporter& reporter = m_context.reporter;
    const std::string path = productPath("SJC");
    reporter.send(symbolic ? "Saving Symbolic Linearized Equations to File:  "
                           : "Saving Linearized Equations to File:  ");
    reporter.send(path);

    const EquationSet& set = m_context.set;
    EquationPrinter printer(set.variables, reporter);
    Evaluator& evaluator = m_context.evaluator;
    std::string out = "{Equations Linearized Around:}\n";
    std::string line;
    std::string piece;
    std::size_t next = 0;
    for (int i = 1; i <= set.equationCount(); ++i) {
        line.clear();
        bool first = true;
        auto addTerm = [&](const std::string& term) {
            if (line.size() > kLinearLineLength) {
                out += line;
                out += '\n';
                line.clear();
            }
            line += term;
            first = false;
        };
        if (withResidual) {
            piece.clear();
            if (!printer.printExpression(toPrefix(set.equation(i).code), piece))
                return OperationResult::Failed;
            addTerm("(" + piece + ")");
        }
        for (; next < m_derivatives.size() && m_derivatives[next].row == i; ++next) {
            const EquationDerivative& d = m_derivatives[next];
            std::string term;
            if (symbolic) {
                piece.clear();
                if (!printer.printExpression(toPrefix(d.code), piece))
                    return OperationResult::Failed;
                term = first ? "(" : "+(";
                term += piece;
                term += ")";
            } else {
                evaluator.clearError();
                const double value = evaluator.evaluateReal(d.code, set.variables.values.data());
                if (evaluator.error().mark()) {
                    reporter.send("\n");
                    reporter.send(evaluator.error().message());
                    reporter.raiseError();
                    return OperationResult::Failed;
                }
                if (!(value < 0.0))
                    term = "+";
                term += printedNumber(value);
            }
            term += '*';
            term += kChangeMark;
            term += set.variables.names[d.column];
            addTerm(term);
        }
        if (first)
            line += "0";
        out += line;
        char label[48];
        std::snprintf(label, sizeof label, "=0; {eqn%d}\n", i);
        out += label;
    }
    if (symbolic) {
        // The coefficients are expressions in the variables: the point they are taken at
        // is part of the file, as equations, so that it solves for the changes alone.
        out += "{Operating point:}\n";
        for (int k = 1; k <= set.variables.count(); ++k) {
            const std::string& name = set.variables.names[static_cast<std::size_t>(k)];
            if (name.empty())
                continue;
            out += name;
            out += '=';
            out += printedNumber(set.variables.values[static_cast<std::size_t>(k)]);
            out += ";\n";
        }
    }
    if (!writeProduct(path, out))
        return OperationResult::Failed;
    reporter.send("\n");
    reporter.send("Equations Linearized!");
    return OperationResult::Done;
}

OperationResult SymbolicOperations::exportTransposed()
{
    if (listingNeeded())
        return OperationResult::ListingNeeded;
    Reporter& reporter = m_context.reporter;
    const std::string path = productPath("SJC");
    reporter.send("Saving Transposed Linearized Equations");

    const EquationSet& set = m_context.set;
    Evaluator& evaluator = m_context.evaluator;
    const int variableCount = set.variables.count();
    std::vector<std::vector<const EquationDerivative*>> byVariable(
        static_cast<std::size_t>(variableCount) + 1);
    for (const EquationDerivative& d : m_derivatives)
        byVariable[d.column].push_back(&d);

    reporter.send("\n");
    reporter.send("Saving Equations");
    std::string out = "{Transposed Linearized Equations Around:}\n";
    std::string line;
    for (int j = 1; j <= variableCount; ++j) {
        line.clear();
        bool first = true;
        for (const EquationDerivative* d : byVariable[static_cast<std::size_t>(j)]) {
            evaluator.clearError();
            const double value = evaluator.evaluateReal(d->code, set.variables.values.data());
            if (evaluator.error().mark()) {
                reporter.send("\n");
                reporter.send(evaluator.error().message());
                reporter.raiseError();
                return OperationResult::Failed;
            }
            if (line.size() > kLinearLineLength) {
                out += line;
                out += '\n';
                line.clear();
            }
            if (!(value < 0.0))
                line += '+';
            line += printedNumber(value);
            line += '*';
            line += kMultiplierMark;
            line += std::to_string(d->row);
            first = false;
        }
        if (first)
            line += "0";
        out += line;
        out += "=0; {";
        out += set.variables.names[static_cast<std::size_t>(j)];
        out += "}\n";
    }
    if (!writeProduct(path, out))
        return OperationResult::Failed;
    reporter.send("\n");
    reporter.send("Equations Linearized!");
    return OperationResult::Done;
}

OperationResult SymbolicOperations::eliminate()
{
    Elimination elimination(m_context.set, m_context.reporter);
    elimination.complexMode = m_context.settings.complexMode;
    if (!elimination.run(false) || m_context.reporter.runError)
        return OperationResult::Failed;
    return save(true);
}

OperationResult SymbolicOperations::simplify()
{
    Simplifier simplifier(m_context.reporter);
    simplifier.complexMode = m_context.settings.complexMode;
    EquationSet& set = m_context.set;
    if (!simplifier.simplifyEquations(set, 1, set.equationCount()) || m_context.reporter.runError)
        return OperationResult::Failed;
    return save(false);
}

OperationResult SymbolicOperations::save(bool withInitialValues)
{
    Reporter& reporter = m_context.reporter;
    // A compiled complex set holds every complex variable as its two real halves and every
    // complex equation twice; printed in the user's layout it would read back as another
    // system. The complex form (AFC) writes the real equivalent instead.
    if (m_context.settings.complexMode && hasImaginaryParts(m_context.set)) {
        reporter.send("\n");
        reporter.send("Complex equations cannot be saved as they are: convert them to real "
                      "equations first (Advanced - Complex, mode AFC)");
        reporter.beep();
        reporter.raiseError();
        return OperationResult::Failed;
    }
    std::string text;
    if (!readWholeFile(m_context.files.equationFile, text)) {
        reporter.send("\n");
        reporter.send("Equation file ");
        reporter.send(m_context.files.equationFile);
        reporter.send(" cannot be opened");
        reporter.raiseError();
        return OperationResult::Failed;
    }
    std::string optionsLine;
    std::string statements;
    splitOptionsLine(text, optionsLine, statements);
    const std::string path = productPath("SJC");
    std::string out = optionsLine;
    if (!saveEquations(statements, m_context.set, withInitialValues, reporter, out) ||
        !writeProduct(path, out))
        return OperationResult::Failed;
    reportEquationsSaved(reporter, path);
    return OperationResult::Done;
}

bool runWithListing(SymbolicOperations& operations, std::string_view name)
{
    return runWithListing(operations, [&] { return operations.run(name); });
}

bool runWithListing(SymbolicOperations& operations,
                    const std::function<OperationResult()>& operation)
{
    OperationResult result = operation();
    if (result == OperationResult::ListingNeeded && operations.writeListing())
        result = operation();
    if (result == OperationResult::ListingNeeded)
        operations.reportListingNeeded();
    return result == OperationResult::Done;
}

} // namespace varnel
