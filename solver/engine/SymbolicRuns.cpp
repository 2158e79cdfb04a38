// Complex form, constrained optimisation and estimation runs: read, transform, save the
// products, solve.
#include "SymbolicRuns.h"

#include "Simplifier.h"
#include "Symbols.h"

#include "Compilation.h"
#include "ComplexToReal.h"
#include "ConstantFolding.h"
#include "EquationFile.h"
#include "EquationSaver.h"
#include "ListFileSteps.h"
#include "NumberText.h"
#include "OptimalityConditions.h"
#include "OptionsLine.h"
#include "SymbolicModes.h"
#include "SymbolicOperations.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace varnel {

namespace {

/// The user's file split into its options line (empty when it has none) and the rest.
struct UserText {
    std::string optionsLine;
    std::string body;
};

UserText readUserText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    UserText out;
    const std::size_t end = text.find('\n');
    const std::string first = text.substr(0, end);
    RunSettings scratch;
    if (applyOptionsLine(first, scratch)) {
        out.optionsLine = first;
        if (!out.optionsLine.empty() && out.optionsLine.back() == '\r')
            out.optionsLine.pop_back();
        out.body = end == std::string::npos ? std::string() : text.substr(end + 1);
    } else {
        out.body = std::move(text);
    }
    return out;
}

/// The options line with its arithmetic word replaced: COMPLEX becomes REAL.
std::string realOptionsLine(std::string line)
{
    const std::size_t at = line.find("COMPLEX");
    if (at != std::string::npos)
        line.replace(at, 7, "REAL");
    return line;
}

/// Writes a product file whole or not at all; false (reported, run error) otherwise.
bool writeProduct(RunContext& context, const std::string& name, const std::string& options,
                  const std::string& text)
{
    const std::string contents = options.empty() ? text : options + "\n" + text;
    // A product replaces its file only when every byte reached the disk.
    TextFile& file = context.stream(Stream::Export);
    file.suppressMessages = true;
    if (file.openProduct(name)) {
        file.writeString(contents);
        file.close();
        if (file.result() == 0)
            return true;
    }
    context.reporter.send("\n");
    context.reporter.send("Unable to open file for output");
    context.reporter.beep();
    context.reporter.raiseError();
    return false;
}

/// Saves the set in the layout of `text` to base name + `extension`.
bool saveProduct(RunContext& context, const std::string& text, const std::string& options,
                 const char* extension, bool withInitialValues)
{
    const std::string name = context.files.baseName + extension;
    std::string out;
    if (!saveEquations(text, context.set, withInitialValues, context.reporter, out) ||
        !writeProduct(context, name, options, out))
        return false;
    reportEquationsSaved(context.reporter, name);
    return true;
}

/// The full simplifier over every equation of the converted (real) set; false on a folding
/// error, which it reports.
bool simplifyAll(RunContext& context)
{
    Simplifier simplifier(context.reporter);
    simplifier.complexMode = false;
    return simplifier.simplifyEquations(context.set, 1, context.set.equationCount()) &&
           !context.reporter.runError;
}

/// Read and compile the user's equations; false on any failure.
bool readAndCompile(RunContext& context)
{
    if (!readEquations(context))
        return false;
    ListFileSteps none;
    if (!compileEquations(context, none))
        return false;
    context.needsCompilation = true;
    return !context.reporter.runError;
}

/// The single objective of the set replaced by its gradient, saved to ".SJC" and solved
/// with the symbolic Jacobian, starting from the values the objective's variables have.
bool solveGradient(ModeRun& run)
{
    RunContext& context = run.context;
    const UserText user = readUserText(context.files.equationFile);
    if (!formGradient(context.set, context.reporter))
        return false;
    if (!saveProduct(context, std::string(), user.optionsLine, ".SJC", false))
        return false;
    context.settings.jacobianMethod = jacobian::Symbolic;
    context.needsCompilation = false;
    return run.steps.solveAlgebraic(context);
}

std::vector<std::string> splitWords(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    for (const char c : line) {
        if (c == ' ' || c == '\t' || c == ';' || c == '\r') {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
        } else {
            word.push_back(c);
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

/// Reads the attached list file into `cases`: the header's names (quotes and the
/// starting-value sign removed), then every non-empty line, each with as many numbers
/// as names. False with the line's message and the run error otherwise.
bool readCases(RunContext& context, MeasuredCases& cases)
{
    Reporter& reporter = context.reporter;
    const std::string& name = context.settings.listFileName;
    std::error_code ec;
    std::ifstream in;
    if (std::filesystem::is_regular_file(name, ec)) // a pipe would hold the run in its opening
        in.open(name, std::ios::binary);
    if (!in.is_open()) {
        reporter.send("\n");
        reporter.send("File ");
        reporter.send(name);
        reporter.send(" Does Not Exist");
        reporter.raiseError();
        return false;
    }
    std::string line;
    std::getline(in, line);
    for (std::string word : splitWords(line)) {
        if (word.size() >= 2 && word.front() == '"' && word.back() == '"')
            word = word.substr(1, word.size() - 2);
        if (!word.empty() &&
            static_cast<unsigned char>(word.back()) == symbol::StartingValueRelation)
            word.pop_back();
        cases.names.push_back(word.substr(0, kMaxNameLength));
    }
    int lineNumber = 1;
    while (std::getline(in, line)) {
        ++lineNumber;
        const std::vector<std::string> words = splitWords(line);
        if (words.empty())
            continue;
        if (words.size() != cases.names.size()) {
            reporter.send("\n");
            reporter.sendf("List file line %d has %d values for %d names", lineNumber,
                           static_cast<int>(words.size()), static_cast<int>(cases.names.size()));
            reporter.raiseError();
            return false;
        }
        std::vector<double> row;
        for (const std::string& w : words) {
            double value = 0.0;
            if (!parseDecimal(w, value)) {
                reporter.send("\n");
                reporter.sendf("List file line %d: \"%s\" is not a number", lineNumber, w.c_str());
                reporter.raiseError();
                return false;
            }
            row.push_back(value);
        }
        cases.rows.push_back(std::move(row));
    }
    return true;
}

/// Warns of every active inequality whose solved multiplier has the sign no constrained
/// minimum can have: the run then found a stationary point of the Lagrangian that is not a
/// minimum. The run's result stands; the warning only tells the user what it is.
void warnOfWrongSignedMultipliers(RunContext& context, const std::vector<Inequality>& inequalities,
                                  const VariableTable& problem)
{
    const double tolerance = std::pow(10.0, context.settings.toleranceExponent);
    Reporter& reporter = context.reporter;
    for (const WrongSignedInequality& w : wrongSignedInequalities(
             inequalities, problem, context.set.variables, tolerance, reporter)) {
        reporter.send("\n");
        // The equation's text goes on its own: it can be longer than a formatted piece.
        reporter.sendf("Warning: equation %d, ", w.equation);
        reporter.send(w.text);
        reporter.sendf(", is active and its multiplier %.6g has the wrong sign for a minimum:\n"
                       "the point found is a stationary point but not a constrained minimum "
                       "(the objective decreases into the feasible region);\n"
                       "other starting values may lead to the minimum",
                       w.multiplier);
    }
}

OperationResult done(bool ok)
{
    return ok ? OperationResult::Done : OperationResult::Failed;
}

} // namespace

OperationResult complexFormOperation(RunContext& context)
{
    // The conversion works on the equations as written, read in real arithmetic.
    context.set.clear();
    TextFile source;
    source.suppressMessages = true;
    ParseState state;
    const std::string folder = std::filesystem::path(context.files.baseName).parent_path().string();
    if (!source.openRead(context.files.equationFile) ||
        !readStatements(source, false, folder, context.set, context.reporter, state)) {
        context.compileError = true;
        return OperationResult::Failed;
    }
    source.close();
    if (!ComplexToReal(context.set, context.reporter).run() || context.reporter.runError)
        return OperationResult::Failed;
    if (!simplifyAll(context))
        return OperationResult::Failed;
    const UserText user = readUserText(context.files.equationFile);
    return done(saveProduct(context, user.body, realOptionsLine(user.optionsLine), ".SJC", false));
}

OperationResult lagrangianOperation(RunContext& context, const char* extension)
{
    if (!formLagrangian(context.set, context.reporter))
        return OperationResult::Failed;
    context.settings.jacobianMethod = jacobian::Symbolic;
    const UserText user = readUserText(context.files.equationFile);
    return done(saveProduct(context, std::string(), user.optionsLine, extension, false));
}

OperationResult leastSquaresOperation(RunContext& context)
{
    Reporter& reporter = context.reporter;
    if (!context.settings.listFileAttached) {
        reporter.send("\n");
        reporter.send("Estimation needs a list file of measurements: none is attached");
        reporter.raiseError();
        return OperationResult::Failed;
    }
    reporter.send("\n");
    reporter.send("List File Attached ");
    reporter.send(context.settings.listFileName);
    reporter.send("\n");
    MeasuredCases cases;
    if (!readCases(context, cases))
        return OperationResult::Failed;
    for (const std::string& name : cases.names) {
        if (context.set.variables.find(name) == 0) {
            reporter.send("\n");
            reporter.send("List file name ");
            reporter.send(name);
            reporter.send(" is not a variable of the equations");
            reporter.raiseError();
            return OperationResult::Failed;
        }
    }
    if (cases.rows.empty()) {
        reporter.send("\n");
        reporter.send("List file ");
        reporter.send(context.settings.listFileName);
        reporter.send(" has no values");
        reporter.raiseError();
        return OperationResult::Failed;
    }
    if (!formLeastSquares(context.set, context.set.equationCount(), cases, reporter))
        return OperationResult::Failed;
    context.settings.jacobianMethod = jacobian::Symbolic;
    return OperationResult::Done;
}

bool constrainedOptimization(ModeRun& run)
{
    RunContext& context = run.context;
    if (!readAndCompile(context))
        return false;
    const std::vector<Inequality> inequalities = inequalitiesOf(context.set, context.reporter);
    const VariableTable problem = context.set.variables;
    if (lagrangianOperation(context, ".KTK") != OperationResult::Done)
        return false;
    if (!solveGradient(run))
        return false;
    if (!context.reporter.runError)
        warnOfWrongSignedMultipliers(context, inequalities, problem);
    return true;
}

bool leastSquaresEstimation(ModeRun& run)
{
    RunContext& context = run.context;
    if (!readAndCompile(context))
        return false;
    if (leastSquaresOperation(context) != OperationResult::Done)
        return false;
    return solveGradient(run);
}

bool symbolicOrEstimation(ModeRun& run)
{
    if (run.mode.rfind("ALR", 0) == 0)
        return leastSquaresEstimation(run);
    return symbolicMode(run);
}

} // namespace varnel
