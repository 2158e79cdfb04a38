// The run commands' table and the window-free decisions around a run.
#include "SolveCommands.h"

#include <cstdio>
#include <cstdlib>

namespace varnel {

const std::vector<SolveCommand>& solveCommands()
{
    using enum ModeRule;
    using enum AfterRun;
    static const std::vector<SolveCommand> commands = {
        {"solveAlgebraic", "solve", "&Alg. Equations", 32772, "F5", ListFileChoice, "S", false,
         AlgebraicResults, false},
        {"solveRepetitive", "solve", "With Repetitive Updates", 32958, "", Fixed, "US", false,
         ShowResults, false},
        {"solveDifferential", "solve", "&Differential Equations", 32928, "Ctrl+D",
         DifferentialMethod, "DDIT", false, ShowResults, true},
        {"solveIntegral", "solve", "&Integral Equations", 32932, "Ctrl+I", Fixed, "DDDT", false,
         Nothing, false},
        {"solveUnconstrained", "solve", "&Unconstrained Optimization", 32933, "", Fixed, "O", false,
         Nothing, true},
        {"solveConstrained", "solve", "Constrained Optimization", 32934, "", Fixed, "KFK", false,
         Nothing, false},
        {"solveEstimation", "solve", "&Estimation and Regression", 32943, "", NeedsListFile, "ALR",
         false, Nothing, true},
        {"linearizedEquations", "advanced", "Lineari&zed Equations", 32871, "", Fixed, "ASL", true,
         Nothing, false},
        {"symbolicLinearized", "advanced", "Symbolic &Linearized Equations", 32870, "", Fixed,
         "ASS", true, Nothing, false},
        {"symbolicJacobian", "advanced", "Symbolic &Jacobian", 32852, "", Fixed, "ASJ", true,
         Nothing, false},
        {"symbolicElimination", "advanced", "Symbolic &Elimination", 32942, "", Fixed, "E", true,
         Nothing, true},
        {"simplification", "advanced", "&Simplification", 32872, "", Fixed, "AFS", true, Nothing,
         false},
        {"complexForm", "advanced", "&Complex", 32873, "", Fixed, "AFC", true, Nothing, false},
        {"graphGenerate", "graph", "&Generate New", 32939, "", Fixed, "G", false,
         ShowResultsWhenTrue, false},
        {"fastFourier", "graph", "&Fast Fourier Transform", 32950, "", Fixed, "W0", false, Nothing,
         true},
        {"fftFromFile", "graph", "FFT From File...", 32951, "", Fixed, "W1", false, Nothing, false},
    };
    return commands;
}

const SolveCommand* findSolveCommand(std::string_view name)
{
    for (const SolveCommand& command : solveCommands())
        if (name == command.name)
            return &command;
    return nullptr;
}

ModeChoice chooseMode(const SolveCommand& command, bool listFileAttached, int differentialMethod)
{
    switch (command.rule) {
    case ModeRule::ListFileChoice:
        return {listFileAttached ? "US" : "S", {}};
    case ModeRule::DifferentialMethod:
        return {differentialMethod == 0 ? "DDIT" : "DDIB", {}};
    case ModeRule::NeedsListFile:
        if (!listFileAttached)
            return {{}, kListFileMustBeAttached};
        return {command.mode, {}};
    case ModeRule::Fixed:
        break;
    }
    return {command.mode, {}};
}

std::string symbolicFileName(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    std::string name(path);
    // The library names its products from the same base, so the file is found where it wrote it.
    if (dot != std::string_view::npos && dot > 0 &&
        (slash == std::string_view::npos || dot > slash))
        name.resize(dot);
    return name + ".SJC";
}

bool offersConversion(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string_view file = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = file.find_last_of('.');
    return dot != std::string_view::npos && file.substr(dot + 1) == "SJC";
}

std::string solutionLine(std::string_view name, double value)
{
    const std::string ownName(name);
    const int size = std::snprintf(nullptr, 0, "%s=%.15lf", ownName.c_str(), value);
    if (size <= 0)
        return ownName + "=";
    std::string line(static_cast<std::size_t>(size) + 1, '\0');
    std::snprintf(line.data(), line.size(), "%s=%.15lf", ownName.c_str(), value);
    line.resize(static_cast<std::size_t>(size));
    return line;
}

std::string OutputLineBuffer::add(std::string_view piece)
{
    m_held.append(piece);
    if (piece.find('\n') == std::string_view::npos && m_held.size() <= 100)
        return {};
    return take();
}

std::string OutputLineBuffer::take()
{
    std::string text;
    text.swap(m_held);
    return text;
}

namespace {

// The integer after `label` (blanks skipped), or nothing.
std::optional<int> numberAfter(std::string_view line, std::string_view label)
{
    const std::size_t at = line.find(label);
    if (at == std::string_view::npos)
        return std::nullopt;
    const std::string rest(line.substr(at + label.size(), 16));
    char* end = nullptr;
    const long value = std::strtol(rest.c_str(), &end, 10);
    if (end == rest.c_str())
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace

std::optional<IterationProgress> parseProgressLine(std::string_view line)
{
    if (!line.starts_with("Iter:"))
        return std::nullopt;
    const auto iteration = numberAfter(line, "Iter:");
    const auto exponent = numberAfter(line, "Tol: E");
    if (!iteration || !exponent)
        return std::nullopt;
    return IterationProgress{*iteration, *exponent};
}

std::optional<IterationProgress> lastProgress(std::string_view text)
{
    std::optional<IterationProgress> last;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (auto progress = parseProgressLine(text.substr(0, end)))
            last = progress;
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return last;
}

namespace {

int firstEndingIn(const std::vector<std::string>& names, char last)
{
    for (std::size_t i = 0; i < names.size(); ++i)
        if (!names[i].empty() && names[i].back() == last)
            return static_cast<int>(i);
    return 0;
}

} // namespace

int independentVariableChoice(const std::vector<std::string>& names)
{
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i].empty() || (names[i].back() != 'r' && names[i].back() != 'i'))
            return static_cast<int>(i);
    return 0;
}

FourierChoice preselectFourier(const std::vector<std::string>& names)
{
    return {independentVariableChoice(names), firstEndingIn(names, 'r'), firstEndingIn(names, 'i')};
}

bool graphRangeAccepted(double from, double to, int steps)
{
    return from < to && steps != 0;
}

const std::vector<int>& fftSampleCounts()
{
    static const std::vector<int> counts = {32,   64,   128,   256,   512,   1024,   2048,
                                            4096, 8192, 16384, 32768, 65536, 131072, 262144};
    return counts;
}

} // namespace varnel
