// The solver object's own operations: construction, options, one run from the common
// start (banner, path, file names) through the mode table to the common end (listing
// finished, streams closed, result), the variable table seen by the host and the value
// strings.
#include "CVarnel.h"

#include "EquationPath.h"
#include "FourierRun.h"
#include "Modes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

using namespace varnel;

namespace {
constexpr std::size_t kListFileNameLimit = 128;
} // namespace

CVarnel::CVarnel() : CVarnel(nullptr, 0) {}

CVarnel::CVarnel(HWND wnd, unsigned int msg)
{
    // Requests of a run go to this window (RunContext::ask).
    m_context.window = wnd;
    m_context.requestMessage = msg;
}

CVarnel::~CVarnel()
{
    try {
        m_steps.finish();
    } catch (...) {
        // Destruction goes on whatever the listing writer met.
    }
    m_context.closeStreams();
}

void CVarnel::setOutputCallback(OutputCallback cb)
{
    setLibraryOutputCallback(cb);
}

std::string CVarnel::baseNameOf(std::string_view fullPath)
{
    return RunFiles::baseNameOf(fullPath);
}

int CVarnel::random()
{
    return m_context.random();
}

unsigned CVarnel::setOptions(const SolverOptions* options)
{
    if (options == nullptr)
        return 0;
    RunSettings& s = m_hostSettings;
    s.method = options->method;
    s.jacobianMethod = options->jacobianMethod;
    s.maxIterations = options->maxIterations;
    s.repetitions = options->repetitions;
    s.toleranceExponent = options->toleranceExponent;
    s.autoSimplify = options->autoSimplify != 0;
    s.autoHomotopy = options->autoHomotopy != 0;
    s.solveInGroups = options->solveInGroups != 0;
    s.deltaJ = options->deltaJ;
    s.deltaT = options->deltaT;
    s.guessMin = options->guessMin;
    s.guessMax = options->guessMax;
    s.showIterations = options->showIterations != 0;
    s.showDerivatives = options->showDerivatives != 0;
    s.showResults = options->showResults != 0;
    trace("\nDeltaT=%.8f\n", s.deltaT);

    unsigned taken = 0;
    const HostString& name = options->listFile;
    if (name.length > 0 && name.chars != nullptr) {
        const std::size_t limit =
            std::min<std::size_t>(static_cast<std::size_t>(name.length), kListFileNameLimit);
        // The characters end at the first NUL, as they would in a zeroed C buffer.
        s.listFileAttached = true;
        s.listFileCount = options->listFileCount;
        s.listFileName.assign(name.chars, strnlen(name.chars, limit));
        taken = static_cast<unsigned>(limit);
    } else {
        s.listFileAttached = false;
        s.listFileCount = 1;
        s.listFileName.clear();
    }
    // Until the next run reads its options line, the run settings are the record.
    m_context.settings = s;
    return taken;
}

bool CVarnel::solve(char* pathBuffer, const char* mode)
{
    bool success = false;
    Reporter& reporter = m_context.reporter;
    try {
        m_steps.finish();
        m_context.reset(m_hostSettings);
        reporter.send("VARNEL Version 2.00\n");
        const std::string path = pathBuffer != nullptr ? pathBuffer : "";
        reporter.send(path);
        reporter.send("\n");
        m_context.files.assign(path);
        if (path.empty()) {
            reporter.send("\n");
            reporter.send("No equation file was given");
            reporter.raiseError();
        } else if (m_context.files.baseName.size() > RunFiles::kBaseNameLimit) {
            // Cutting the name would read and write files at another path.
            reporter.send("\n");
            reporter.send("Path too long: file names are limited to 500 characters");
            reporter.raiseError();
        } else if (const std::string refusal = refusedEquationFile(path, m_context.files.baseName);
                   !refusal.empty()) {
            // Reading one of the run's own products would overwrite the input.
            reporter.send("\n");
            reporter.send(refusal);
            reporter.raiseError();
        } else {
            m_context.ifMode = m_context.ifHandling ? 1 : 2;
            success = runMode(m_context, m_steps, mode != nullptr ? mode : "");
        }
        m_steps.finish();
    } catch (const std::bad_alloc&) {
        reporter.send("\n");
        reporter.send("Out of memory");
        reporter.raiseError();
    } catch (const std::exception& e) {
        reporter.send("\n");
        reporter.send("Internal error: ");
        reporter.send(e.what());
        reporter.raiseError();
    } catch (...) {
        reporter.send("\n");
        reporter.send("Internal error");
        reporter.raiseError();
    }
    if (m_context.compileError || reporter.runError)
        success = false;
    try {
        m_steps.finish(); // the listing's writer must be done before its file is judged
    } catch (...) {
        success = false;
    }
    success = m_context.finishProducts(success);
    m_context.closeStreams();
    reporter.send("\n");
    return success;
}

const char* CVarnel::variableName(int i)
{
    const VariableTable& variables = m_context.set.variables;
    if (i < 0 || i >= variables.count())
        return "";
    return variables.names[static_cast<std::size_t>(i) + 1].c_str();
}

double CVarnel::variableValue(int i)
{
    const VariableTable& variables = m_context.set.variables;
    if (i < 0 || i >= variables.count())
        return 0.0;
    return variables.values[static_cast<std::size_t>(i) + 1];
}

int CVarnel::variableCount()
{
    return m_context.set.variables.count();
}

int CVarnel::solutionStrings(std::vector<char*>* strings)
{
    if (strings == nullptr)
        return 1;
    const VariableTable& variables = m_context.set.variables;
    for (int k = 1; k <= variables.count(); ++k) {
        const std::string& name = variables.names[static_cast<std::size_t>(k)];
        const double value = variables.values[static_cast<std::size_t>(k)];
        const int size = std::snprintf(nullptr, 0, "%s=%.15lf", name.c_str(), value);
        char* text = new char[static_cast<std::size_t>(size) + 1];
        std::snprintf(text, static_cast<std::size_t>(size) + 1, "%s=%.15lf", name.c_str(), value);
        strings->push_back(text);
    }
    return 1;
}

bool CVarnel::fourierTransform(int direction, int, int amplitudePhase, int degrees, int,
                               const char* tablePath)
{
    try {
        // A call of its own, outside a run: an earlier run's failure is not this one's.
        m_context.reporter.runError = false;
        FourierFlags flags;
        flags.direction = direction;
        flags.amplitudePhase = amplitudePhase != 0;
        flags.degrees = degrees != 0;
        return runFourier(m_context, tablePath != nullptr ? tablePath : "", flags);
    } catch (...) {
        m_context.reporter.send("\n");
        m_context.reporter.send("Internal error");
        m_context.reporter.raiseError();
        return false;
    }
}
