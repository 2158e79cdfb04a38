// The commands that run the solver library on a document (Solve, Advanced and Graph menus):
// their table, the choice of the mode string, and the decisions around a run that need no
// window: the name of the produced symbolic file, the output line buffer, the result lines,
// the progress line, and the choices and checks of the Fourier and graph request dialogs.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

/// How a command picks its mode string.
enum class ModeRule {
    Fixed,              ///< always `mode`
    ListFileChoice,     ///< "US" with an attached list file, else "S"
    DifferentialMethod, ///< "DDIT" for the trapezoidal method (0), else "DDIB"
    NeedsListFile,      ///< `mode`, refused without an attached list file
};

/// What the main window does once the run has ended.
enum class AfterRun {
    Nothing,             ///< graphs refreshed only
    AlgebraicResults,    ///< results-found flag and the solution in the Properties tree
    ShowResults,         ///< graphs refreshed, then the result table opened
    ShowResultsWhenTrue, ///< as ShowResults, but only when the run succeeded
};

struct SolveCommand {
    const char* name;     ///< action name ("solveAlgebraic", ...)
    const char* menu;     ///< "solve", "advanced" or "graph"
    const char* text;     ///< menu text with its mnemonic
    int id;               ///< command number (kept for help and logs)
    const char* shortcut; ///< key sequence in portable text, empty when none
    ModeRule rule;
    const char* mode; ///< the fixed mode (ignored by the two choice rules)
    bool offer;       ///< after the run, offer the ".SJC" file for conversion
    AfterRun after;
    bool separatorBefore; ///< a menu separator goes before the item
};

/// Every run command, in menu order.
const std::vector<SolveCommand>& solveCommands();

/// The command called `name`, or null.
const SolveCommand* findSolveCommand(std::string_view name);

/// Shown (with the exclamation beep) when a command needs a list file and has none.
inline constexpr const char* kListFileMustBeAttached = "List file must be attached";

/// The mode a command sends for a document, or the refusal message.
struct ModeChoice {
    std::string mode;    ///< empty when refused
    std::string refusal; ///< message to show when refused
};
ModeChoice chooseMode(const SolveCommand& command, bool listFileAttached, int differentialMethod);

/// The symbolic file a run writes beside the equation file: the path cut before the last "."
/// of its file name (a "." of a folder does not count, nor a "." at position 0), then ".SJC".
std::string symbolicFileName(std::string_view path);

/// True when a file chosen under View - Temp Files may be converted into a document: its
/// extension is exactly "SJC".
bool offersConversion(std::string_view path);

/// One result line of the Properties tree: "%s=%.15lf" of a name and a value.
std::string solutionLine(std::string_view name, double value);

/// Collects the library's output pieces into what the Output window shows. A piece with a
/// line break, or one that makes the held text longer than 100 characters, releases all the
/// held text; shorter pieces without a line break wait.
class OutputLineBuffer {
public:
    /// Adds a piece; returns the text to show now (empty when it waits).
    std::string add(std::string_view piece);
    /// The text still held (at the end of a run), emptying the buffer.
    std::string take();
    bool empty() const { return m_held.empty(); }

private:
    std::string m_held;
};

/// The iteration number and tolerance exponent of a progress line "Iter:   3 Worse Eq.:   1
/// Tol: E  -5" (a line that does not start with "Iter:" gives nothing).
struct IterationProgress {
    int iteration = 0;
    int toleranceExponent = 0;
};
std::optional<IterationProgress> parseProgressLine(std::string_view line);
/// The last progress line within a block of output text.
std::optional<IterationProgress> lastProgress(std::string_view text);

/// Pre-selection of the Fourier-parameters dialog: the independent variable is the first
/// name whose last character is neither "r" nor "i", the real part the first ending in "r",
/// the imaginary part the first ending in "i"; each falls back to the first name (index 0).
struct FourierChoice {
    int independent = 0;
    int real = 0;
    int imaginary = 0;
};
FourierChoice preselectFourier(const std::vector<std::string>& names);

/// The first name whose last character is neither "r" nor "i" (0 when there is none).
int independentVariableChoice(const std::vector<std::string>& names);

/// Shown when the graph dialog's range or step count cannot be used; the dialog stays open.
inline constexpr const char* kFromMustBeLessThanTo =
    "Value \"From\" must be less than \"To\" value!!";

/// A graph range is accepted when "From:" is less than "To:" and the step count is not 0.
bool graphRangeAccepted(double from, double to, int steps);

/// The sample counts offered to a graph made for a Fourier transform, and the one selected
/// at first ("256").
const std::vector<int>& fftSampleCounts();
inline constexpr int kDefaultFftSampleCount = 256;

} // namespace varnel
