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
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kModeHelp = R"(Modes (the first character selects what the run does):
  S     solve the algebraic equations
  US    solve once per line of the attached list file (--list)
  UI    solve, then write the solution to FILE's .UPD as starting values (x<BB>value;)
  UR    as UI, but start from the values of an earlier .UPD when there is one
  DDIT  differential equations, trapezoidal rule   DDIB  backward Euler
  DDDT  integral equations, trapezoidal rule      DDDS  Simpson's rule   DDDR  rectangles
        DDIT/DDIB step t by Delta T (--delta-t, or the options line) for --repetitions
        steps, one result row per step; every state needs a starting value (x <BB> 1;),
        t starts at 0 unless a starting value gives it; each step starts from the values
        of the step just solved
  O     unconstrained optimization: the gradient of FILE's objective written to .SJC
        and solved (its stationary point)          KFK   constrained optimization
  ALR   estimation and regression (needs --list)
  ASJ   write the symbolic Jacobian to .SJC: one equation per term d(eqn i)/d(v)
  ASL   write the equations linearized at the starting values to .SJC
  ASS   as ASL, the coefficients as derivative expressions, then the operating point
  ASR   as ASS with each equation's residual added (the Newton step)
  AST   write the transposed linearization (one equation per variable) to .SJC
  AFS   simplify every equation and save the set to .SJC (complex files: use AFC)
  AFC   complex form
  A..R  (third letter R) the operation, then its symbolic Jacobian solved
  E     eliminate by substitution, save the set with its starting values to .SJC
  R     simplify the equations and save them to .SJC
  G     graph: one solution per point of --graph-x, per --graph-param value (x restarts at From)
  W0    Fourier analysis of the run's .PRN (needs --fft-time/--fft-re/--fft-im)
  W1    Fourier analysis of the table given by --fft-file (same column options)
  F     read the options line only
After a G, UI, UR, W0, W1, A, E, O or R run that succeeded, the path of the file written
is printed on a line of its own (--no-solution silences it).
After a successful S or US run every variable follows as a line name=value, the value
in the shortest form that reads back as exactly the same double (for example 3e-20,
0.1, 1.4142135623730951). A successful O or A..R run prints the solution of the .SJC
equations the same way. After a successful A, E, O or R run the path of the .SJC file
written follows on a line of its own (--no-solution silences both).)";

/// Base name of a path as the library forms it: up to the last "." of the file's name.
std::string baseNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path;
    return path.substr(0, dot);
}

/// The equation file written by the symbolic modes: the path up to the last "." of the
/// file's name, plus ".SJC"; "" for the other modes.
std::string symbolicProduct(const std::string& mode, const std::string& file)
{
    if (mode.empty() || std::string_view("AEOR").find(mode[0]) == std::string_view::npos)
        return "";
    return baseNameOf(file) + ".SJC";
}

/// Where the library writes the transform of `table`.
std::string fourierOutput(const std::string& table)
{
    const std::string base = baseNameOf(table);
    std::string output = base + ".FFT";
    std::error_code ec;
    if (output == table || std::filesystem::equivalent(output, table, ec))
        output = base + "-spectrum.FFT";
    return output;
}

/// The file a successful run of `mode` produced, or "" for modes without one here.
std::string productPath(const std::string& mode, const std::string& file,
                        const varnel::cli::RequestAnswers& answers)
{
    const std::string base = baseNameOf(file);
    if (mode[0] == 'G')
        return base + (answers.graphForFft ? ".FFT" : ".PRN");
    if (mode == "UI" || mode == "UR")
        return base + ".UPD";
    if (const std::string written = symbolicProduct(mode, file); !written.empty())
        return written;
    if (mode == "W0")
        return fourierOutput(base + ".PRN");
    if (mode[0] == 'W' && answers.fftFile)
        return fourierOutput(*answers.fftFile);
    return "";
}

/// The answers `mode` needs that are missing, as an option list; "" when none is.
std::string missingAnswers(const std::string& mode, const varnel::cli::RequestAnswers& answers)
{
    if (mode[0] == 'G' && !answers.graphVariable)
        return "--graph-x";
    if (mode[0] != 'W')
        return "";
    std::string missing;
    if (mode != "W0" && !answers.fftFile)
        missing = "--fft-file";
    if (!answers.fftTime || !answers.fftReal || !answers.fftImag)
        missing += std::string(missing.empty() ? "" : ", ") + "--fft-time, --fft-re and --fft-im";
    return missing;
}

void onInterrupt(int signal)
{
    varnel::requestInterrupt();
    // The run stops at its next look at the request; one blocked where it cannot look
    // (opening a pipe that nobody writes) ends at the second signal.
    std::signal(signal, SIG_DFL);
}

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
        throw CLI::ValidationError("--method",
                                   "must be NEWTON, ROBUST, DISHONEST, HOMOTOPY or 0-3");
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
    app.add_option("--method", method, "NEWTON, ROBUST, DISHONEST, HOMOTOPY or 0-3")
        ->capture_default_str();
    app.add_option("--jacobian", jacobian, "SYMBOLIC or INCREMENTAL")->capture_default_str();
    app.add_option("--iterations", options.maxIterations,
                   "Maximum Newton iterations per step (at least 1)")
        ->capture_default_str();
    app.add_option("--tolerance", options.toleranceExponent,
                   "Tolerance exponent E (-99..10): converged when the largest residual is below "
                   "10^E, or exactly zero")
        ->capture_default_str();
    app.add_option("--repetitions", options.repetitions,
                   "Repetitions of a run with repetitive updates; time steps of DDIT/DDIB")
        ->capture_default_str();
    app.add_option("--delta-j", options.deltaJ, "Increment of the incremental Jacobian (not 0)")
        ->capture_default_str();
    app.add_option("--delta-t", options.deltaT, "Step of the independent variable / homotopy step")
        ->capture_default_str();
    app.add_option("--guess-min", options.guessMin, "Lower end of random starting values")
        ->capture_default_str();
    app.add_option("--guess-max", options.guessMax, "Upper end of random starting values")
        ->capture_default_str();
    app.add_flag("--simplify,!--no-simplify", simplify,
                 "Fold constants as equations are read (default on)");
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

    app.add_flag(
        "--from-cdf", fromCdf,
        "Convert FILE, an IEEE Common Data Format (.CF) network, into power-flow equations "
        "(FILE up to the first \".\" of its name, plus .ALG) instead of running the library");
    app.add_option("--output", cdfOutput, "With --from-cdf: the equation file to write");

    std::string graphX;
    app.add_option("--graph-x", graphX, "Graph generation: the independent variable");
    app.add_option("--graph-from", host.answers.graphFrom, "Graph generation: From")
        ->capture_default_str();
    app.add_option("--graph-to", host.answers.graphTo, "Graph generation: To")
        ->capture_default_str();
    app.add_option("--graph-steps", host.answers.graphSteps,
                   "Graph generation: number of steps (the sample count with --graph-fft)")
        ->capture_default_str();
    app.add_flag("--graph-fft", host.answers.graphForFft,
                 "Graph generation \"For FFT\": write the table to .FFT instead of .PRN");
    std::string graphParameter;
    app.add_option("--graph-param", graphParameter,
                   "Parametric graph: the parameter variable (one sweep of --graph-x per value)");
    app.add_option("--graph-param-from", host.answers.parameterFrom, "Parametric graph: From")
        ->capture_default_str();
    app.add_option("--graph-param-to", host.answers.parameterTo, "Parametric graph: To")
        ->capture_default_str();
    app.add_option("--graph-param-steps", host.answers.parameterSteps,
                   "Parametric graph: number of parameter steps")
        ->capture_default_str();
    std::string fftFile, fftTime, fftRe, fftIm;
    app.add_option("--fft-file", fftFile, "Mode W1: the .FFT file to analyse");
    app.add_option("--fft-time", fftTime, "Fourier analysis: independent variable column");
    app.add_option("--fft-re", fftRe, "Fourier analysis: real part column");
    app.add_option("--fft-im", fftIm, "Fourier analysis: imaginary part column");
    app.add_option("--fft-unit", host.answers.fftUnit,
                   "Fourier analysis: 0 Hz, 1 rad/s, 2 sample number")
        ->capture_default_str();
    app.add_option("--fft-from", host.answers.fftFrom, "Fourier analysis: first harmonic listed")
        ->capture_default_str();
    int fftTo = -1;
    app.add_option("--fft-to", fftTo, "Fourier analysis: last harmonic listed (default: all)");

    try {
        app.parse(argc, argv);
        options.method = parseMethod(method);
        options.jacobianMethod = parseJacobian(jacobian);
        if (options.toleranceExponent < -99 || options.toleranceExponent > 10)
            throw CLI::ValidationError("--tolerance",
                                       "the exponent must lie in -99..10, not " +
                                           std::to_string(options.toleranceExponent));
        if (options.maxIterations < 1)
            throw CLI::ValidationError("--iterations", "must be at least 1, not " +
                                                           std::to_string(options.maxIterations));
        if (options.deltaJ == 0.0 || !std::isfinite(options.deltaJ))
            throw CLI::ValidationError("--delta-j", "must not be 0");
        for (const auto& [name, value] :
             {std::pair{"--guess-min", options.guessMin},
              std::pair{"--guess-max", options.guessMax}, std::pair{"--delta-t", options.deltaT}})
            if (!std::isfinite(value))
                throw CLI::ValidationError(name, "must be a finite number");
        if (listCount < 1)
            throw CLI::ValidationError("--list-count",
                                       "must be at least 1, not " + std::to_string(listCount));
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    }
    if (fromCdf) {
        const std::string output =
            cdfOutput.empty() ? varnel::powerFlowOutputName(file) : cdfOutput;
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
    if (!graphParameter.empty())
        host.answers.graphParameter = graphParameter;
    if (fftTo >= 0)
        host.answers.fftTo = fftTo;
    if (!fftFile.empty())
        host.answers.fftFile = fftFile;
    if (!fftTime.empty() && !fftRe.empty() && !fftIm.empty()) {
        host.answers.fftTime = fftTime;
        host.answers.fftReal = fftRe;
        host.answers.fftImag = fftIm;
    }

    if (const std::string missing = missingAnswers(mode, host.answers); !missing.empty()) {
        std::fprintf(stderr, "varnel-cli: mode %s needs %s to answer the library's request\n",
                     mode.c_str(), missing.c_str());
        return 2;
    }

    varnel::cli::installHost(host);
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);

    std::unique_ptr<CVarnelInterface> solver(getSolver(
        varnel::cli::outputCallback(), varnel::cli::hostWindow(), varnel::kRequestMessage));
    if (!solver) {
        std::fprintf(stderr, "varnel-cli: the solver object could not be created\n");
        return 1;
    }
    solver->setOptions(&options);
    std::vector<char> pathBuffer(file.begin(), file.end());
    pathBuffer.push_back('\0');
    const bool ok = solver->solve(pathBuffer.data(), mode.c_str());

    const bool solves = mode == "S" || mode == "US" || mode == "O" || mode == "KFK" ||
                        mode == "ALR" || (mode.size() > 2 && mode[0] == 'A' && mode[2] == 'R');
    if (ok && printSolution && solves) {
        for (int i = 0; i < solver->variableCount(); ++i)
            std::printf("%s\n",
                        solutionLine(solver->variableName(i), solver->variableValue(i)).c_str());
    }
    if (ok && printSolution) {
        if (const std::string product = productPath(mode, file, host.answers); !product.empty())
            std::printf("%s\n", product.c_str());
    }
    std::fflush(stdout);
    return ok ? 0 : 1;
}
