// The solver object's own operations: construction, options, the variable table seen
// by the host, the value strings, and the stream set closed at the end of every run.
#include "CVarnel.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

using namespace varnel;

namespace {
constexpr std::size_t kListFileNameLimit = 128;

unsigned seedFromClock()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<unsigned>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}
} // namespace

CVarnel::CVarnel() : CVarnel(nullptr, 0) {}

CVarnel::CVarnel(HWND wnd, unsigned int msg) : m_wnd(wnd), m_msg(msg), m_random(seedFromClock())
{
    for (TextFile& f : streams)
        f.suppressMessages = false;
}

CVarnel::~CVarnel() { closeStreams(); }

void CVarnel::setOutputCallback(OutputCallback cb) { setLibraryOutputCallback(cb); }

unsigned CVarnel::setOptions(const SolverOptions* options)
{
    if (options == nullptr)
        return 0;
    RunSettings& s = hostSettings;
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

    const HostString& name = options->listFile;
    if (name.length > 0 && name.chars != nullptr) {
        const std::size_t taken = std::min<std::size_t>(static_cast<std::size_t>(name.length), kListFileNameLimit);
        // The characters end at the first NUL, as they would in a zeroed C buffer.
        const std::size_t length = strnlen(name.chars, taken);
        s.listFileAttached = true;
        s.listFileCount = options->listFileCount;
        s.listFileName.assign(name.chars, length);
        settings = s;
        return static_cast<unsigned>(taken);
    }
    s.listFileAttached = false;
    s.listFileCount = 1;
    s.listFileName.clear();
    settings = s;
    return 0;
}

const char* CVarnel::variableName(int i)
{
    if (i < 0 || i >= set.variables.count())
        return "";
    return set.variables.names[static_cast<std::size_t>(i) + 1].c_str();
}

double CVarnel::variableValue(int i)
{
    if (i < 0 || i >= set.variables.count())
        return 0.0;
    return set.variables.values[static_cast<std::size_t>(i) + 1];
}

int CVarnel::variableCount() { return set.variables.count(); }

int CVarnel::solutionStrings(std::vector<char*>* strings)
{
    if (strings == nullptr)
        return 1;
    for (int k = 1; k <= set.variables.count(); ++k) {
        const std::string& name = set.variables.names[static_cast<std::size_t>(k)];
        const double value = set.variables.values[static_cast<std::size_t>(k)];
        const int size = std::snprintf(nullptr, 0, "%s=%.15lf", name.c_str(), value);
        char* text = new char[static_cast<std::size_t>(size) + 1];
        std::snprintf(text, static_cast<std::size_t>(size) + 1, "%s=%.15lf", name.c_str(), value);
        strings->push_back(text);
    }
    return 1;
}

int CVarnel::random() { return static_cast<int>(m_random() % 32768u); }

void CVarnel::closeStreams()
{
    for (TextFile& f : streams)
        f.close();
}
