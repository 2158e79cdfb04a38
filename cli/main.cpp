// varnel-cli: runs one command of the solver library on an equation file from a
// terminal, a script or a test. The library's text goes to standard output as it
// arrives; after a successful solution the variables follow as "name=value" lines, each
// value in the shortest form that reads back as the same double.
// Exit status: 0 when the run succeeded, 1 when it failed, 2 for bad usage.
#include "CliHost.h"
#include "PowerFlowGenerator.h"

#include "varnel/Varnel.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kModeHelp = R"(Modes (the first character selects what the run does):
  S     solve the algebraic equations
  US    solve once per line of the attached list file (--list)
  DDIT  differential equations, trapezoidal rule   DDIB  backward Euler
  DDDT  integral equations
  O     unconstrained optimization                 KFK   constrained optimization
  ALR   estimation and regression (needs --list)
  ASJ   symbolic Jacobian   ASL  linearized equations   ASS  symbolic linearized equations
  AFS   simplification      AFC  complex form           E    symbolic elimination
  G     graph generation (answer with --graph-x)
  W0    Fourier analysis of the run's result table   W1  of the file given by --fft-file
  F     read the options line only

After a successful S or US run every variable follows as a line name=value, the value
in the shortest form that reads back as exactly the same double (for example 3e-20,
0.1, 1.4142135623730951).)";

void onInterrupt(int) { varnel::requestInterrupt(); }

/// "name=value" with the shortest text that reads back as the same double.
std::string solutionLine(const char* name, double value)
{
    char digits[64];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    std::string line = name != nullptr ? name : "";
    line += '=';
    if (ec == std::errc())
        line.append(digits, end);
    return line;
}

int parseMethod(const std::string& text)
{
    static const std::map<std::string, int> names = {
        {"NEWTON", 0}, {"ROBUST", 1}, {"DISHONEST", 2}, {"HOMOTOPY", 3},
        {"0", 0},      {"1", 1},      {"2", 2},         {"3", 3}};
    auto it = names.find(text);
    if (it == names.end())
        throw CLI::ValidationError("--method", "must be NEWTON, ROBUST, DISHONEST, HOMOTOPY or 0-3");
    return it->second;
}

int parseJacobian(const std::string& text)
{
    if (text == "SYMBOLIC" || text == "0")
        return 0;
    if (text == "INCREMENTAL" || text == "1")
        return 1;
    throw CLI::ValidationError("--jacobian", "must be SYMBOLIC, INCREMENTAL, 0 or 1");
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"varnel-cli: solve a file of equations with the Varnel solver library.\n"
                 "Runs one command (--mode) on FILE and prints the library's messages."};
    app.footer(kModeHelp);

    std::string file;
    std::string mode = "S";
    std::string method = "NEWTON";
    std::string jacobian = "SYMBOLIC";
    SolverOptions options; // the host defaults
    bool simplify = true;
    bool groups = true;
    bool autoHomotopy = false;
    bool showIterations = false;
    bool showDerivatives = false;
    bool showResults = true;
    bool printSolution = true;
    std::string listFile;
    int listCount = 1;
    varnel::cli::HostState host;
    bool fromCdf = false;
    std::string cdfOutput;

    app.add_option("FILE", file, "Equation file (.alg)")->required();
    app.add_option("-m,--mode", mode, "Mode string (default S); see below")->capture_default_str();
    app.add_option("--method", method, "NEWTON, ROBUST, DISHONEST, HOMOTOPY or 0-3")->capture_default_str();
    app.add_option("--jacobian", jacobian, "SYMBOLIC or INCREMENTAL")->capture_default_str();
    app.add_option("--iterations", options.maxIterations, "Maximum Newton iterations per step (at least 1)")
        ->capture_default_str();
    app.add_option("--tolerance", options.toleranceExponent,
                   "Tolerance exponent E (-99..10): converged when the largest residual is below "
                   "10^E, or exactly zero")
        ->capture_default_str();
    app.add_option("--repetitions", options.repetitions, "Repetitions of a run with repetitive updates")
        ->capture_default_str();
    app.add_option("--delta-j", options.deltaJ, "Increment of the incremental Jacobian (not 0)")
        ->capture_default_str();
    app.add_option("--delta-t", options.deltaT, "Step of the independent variable / homotopy step")
        ->capture_default_str();
    app.add_option("--guess-min", options.guessMin, "Lower end of random starting values")->capture_default_str();
    app.add_option("--guess-max", options.guessMax, "Upper end of random starting values")->capture_default_str();
    app.add_flag("--simplify,!--no-simplify", simplify, "Fold constants as equations are read (default on)");
    app.add_flag("--auto-homotopy", autoHomotopy, "Fall back to homotopy when Newton fails");
    app.add_flag("--groups,!--no-groups", groups, "Solve the system group by group (default on)");
    app.add_flag("--show-iterations", showIterations, "Print every iteration's variable values");
    app.add_flag("--show-derivatives", showDerivatives, "Print derivative information");
    app.add_flag("--show-results,!--no-show-results", showResults,
                 "Show progress lines and result rows (default on)");
    app.add_option("--list", listFile, "Attached list file (.LST) for repeated runs");
    app.add_option("--list-count", listCount, "Number of list-file cases to run (at least 1)")
        ->capture_default_str();
    app.add_flag("--solution,!--no-solution", printSolution,
                 "Print name=value lines after a successful S/US run (default on)");
    app.add_flag("--bell", host.bell, "Ring the terminal bell (on standard error) for every beep");

    app.add_flag("--from-cdf", fromCdf,
                 "Convert FILE, an IEEE Common Data Format (.CF) network, into power-flow equations "
                 "(FILE up to the first \".\" of its name, plus .ALG) instead of running the library");
    app.add_option("--output", cdfOutput, "With --from-cdf: the equation file to write");

    std::string graphX;
    app.add_option("--graph-x", graphX, "Graph generation: the independent variable");
    app.add_option("--graph-from", host.answers.graphFrom, "Graph generation: From")->capture_default_str();
    app.add_option("--graph-to", host.answers.graphTo, "Graph generation: To")->capture_default_str();
    app.add_option("--graph-steps", host.answers.graphSteps, "Graph generation: number of steps")
        ->capture_default_str();
    std::string fftFile, fftTime, fftRe, fftIm;
    app.add_option("--fft-file", fftFile, "Mode W1: the .FFT file to analyse");
    app.add_option("--fft-time", fftTime, "Fourier analysis: independent variable column");
    app.add_option("--fft-re", fftRe, "Fourier analysis: real part column");
    app.add_option("--fft-im", fftIm, "Fourier analysis: imaginary part column");
    app.add_option("--fft-unit", host.answers.fftUnit, "Fourier analysis: 0 Hz, 1 rad/s, 2 sample number")
        ->capture_default_str();

    try {
        app.parse(argc, argv);
        options.method = parseMethod(method);
        options.jacobianMethod = parseJacobian(jacobian);
        if (options.toleranceExponent < -99 || options.toleranceExponent > 10)
            throw CLI::ValidationError("--tolerance", "the exponent must lie in -99..10, not " +
                                                         std::to_string(options.toleranceExponent));
        if (options.maxIterations < 1)
            throw CLI::ValidationError("--iterations", "must be at least 1, not " +
                                                           std::to_string(options.maxIterations));
        if (options.deltaJ == 0.0 || !std::isfinite(options.deltaJ))
            throw CLI::ValidationError("--delta-j", "must not be 0");
        if (listCount < 1)
            throw CLI::ValidationError("--list-count", "must be at least 1, not " + std::to_string(listCount));
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    }
    if (fromCdf) {
        const std::string output = cdfOutput.empty() ? varnel::powerFlowOutputName(file) : cdfOutput;
        const varnel::PowerFlowResult result = varnel::convertCdfFile(file, output);
        if (result.ok)
            std::printf("%s\n", result.message.c_str());
        else
            std::fprintf(stderr, "varnel-cli: %s\n", result.message.c_str());
        return result.ok ? 0 : 1;
    }
    if (mode.empty()) {
        std::fprintf(stderr, "varnel-cli: --mode must not be empty\n");
        return 2;
    }

    options.autoSimplify = simplify ? 1 : 0;
    options.autoHomotopy = autoHomotopy ? 1 : 0;
    options.solveInGroups = groups ? 1 : 0;
    options.showIterations = showIterations ? 1 : 0;
    options.showDerivatives = showDerivatives ? 1 : 0;
    options.showResults = showResults ? 1 : 0;
    options.listFile.chars = listFile.c_str();
    options.listFile.length = static_cast<std::intptr_t>(listFile.size());
    options.listFileCount = listCount;
    if (!graphX.empty())
        host.answers.graphVariable = graphX;
    if (!fftFile.empty())
        host.answers.fftFile = fftFile;
    if (!fftTime.empty() && !fftRe.empty() && !fftIm.empty()) {
        host.answers.fftTime = fftTime;
        host.answers.fftReal = fftRe;
        host.answers.fftImag = fftIm;
    }

    varnel::cli::installHost(host);
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);

    std::unique_ptr<CVarnelInterface> solver(
        getSolver(varnel::cli::outputCallback(), varnel::cli::hostWindow(), varnel::kRequestMessage));
    if (!solver) {
        std::fprintf(stderr, "varnel-cli: the solver object could not be created\n");
        return 1;
    }
    solver->setOptions(&options);
    std::vector<char> pathBuffer(file.begin(), file.end());
    pathBuffer.push_back('\0');
    const bool ok = solver->solve(pathBuffer.data(), mode.c_str());

    if (ok && printSolution && (mode == "S" || mode == "US")) {
        for (int i = 0; i < solver->variableCount(); ++i)
            std::printf("%s\n", solutionLine(solver->variableName(i), solver->variableValue(i)).c_str());
    }
    std::fflush(stdout);
    return ok ? 0 : 1;
}
