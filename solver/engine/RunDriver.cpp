// One run of the library: the common start (banner, path, base name), the dispatch on
// the first character of the mode string, and the common end (streams closed, result).
// Stages that are not part of this build say so through the output callback and fail.
#include "CVarnel.h"

#include "EquationPath.h"
#include "OptionsLine.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <new>

using namespace varnel;

namespace {
constexpr std::size_t kBaseNameLimit = 500;
constexpr std::size_t kOptionsLineLimit = 1255;
} // namespace

std::string CVarnel::baseNameOf(std::string_view fullPath)
{
    // Only a "." inside the file's own name starts an extension: a dot in a folder name
    // must not send the companion files into the parent folder.
    const std::size_t slash = fullPath.find_last_of('/');
    const std::size_t dot = fullPath.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string(fullPath);
    return std::string(fullPath.substr(0, dot));
}

void CVarnel::resetRun()
{
    closeStreams();
    reporter.resetRun();
    clearInterrupt();
    settings = hostSettings;
    settings.complexMode = false;
    ifHandling = true;
    stepNumber = 1;
    stepTotal = 1;
    success = false;
    compileError = false;
    needsCompilation = true;
    lastTry = false;
    integrating = false;
    path.clear();
    baseName.clear();
    phaseTimes = {};
}

bool CVarnel::solve(char* pathBuffer, const char* mode)
{
    try {
        resetRun();
        reporter.send("VARNEL Version 2.00\n");
        path = pathBuffer != nullptr ? pathBuffer : "";
        reporter.send(path);
        reporter.send("\n");

        baseName = baseNameOf(path);
        if (path.empty()) {
            reporter.send("\n");
            reporter.send("No equation file was given");
            reporter.raiseError();
        } else if (baseName.size() > kBaseNameLimit) {
            // Cutting the name would read and write files at another path.
            reporter.send("\n");
            reporter.send("Path too long: file names are limited to 500 characters");
            reporter.raiseError();
        } else {
            ifMode = ifHandling ? 1 : 2;
            const std::string modeText = mode != nullptr ? mode : "";
            success = dispatch(modeText);
        }
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
    closeStreams();
    reporter.send("\n");
    if (compileError || reporter.runError)
        success = false;
    return success;
}

bool CVarnel::modeNotBuilt(const char* what)
{
    reporter.send("\n");
    reporter.send(what);
    reporter.send(" is not available in this version of the library");
    reporter.raiseError();
    return false;
}

bool CVarnel::equationFileReadable()
{
    const std::string file = resolveCompanion(baseName, "ALG");
    std::error_code ec;
    if (std::filesystem::is_regular_file(file, ec)) {
        std::FILE* probe = std::fopen(file.c_str(), "r");
        if (probe != nullptr) {
            std::fclose(probe);
            return true;
        }
    }
    reporter.send("\n");
    reporter.send("Equation file ");
    reporter.send(file);
    reporter.send(" cannot be opened");
    reporter.raiseError();
    compileError = true;
    return false;
}

bool CVarnel::readOptionsOnly()
{
    if (!equationFileReadable())
        return false;
    const std::string file = resolveCompanion(baseName, "ALG");
    TextFile& input = streams[Input];
    input.suppressMessages = true;
    if (!input.openRead(file)) {
        reporter.raiseError();
        compileError = true;
        return false;
    }
    std::string line(kOptionsLineLimit + 1, '\0');
    const std::size_t length = input.readLine(line.data(), kOptionsLineLimit);
    line.resize(length);
    applyOptionsLine(line, settings);
    // The input stream is left open at its first line for the stage that follows.
    reporter.resetStream(input);
    return !reporter.runError;
}

bool CVarnel::dispatch(const std::string& mode)
{
    if (mode.empty()) {
        reporter.send("\n");
        reporter.send("No mode given: nothing to do");
        reporter.raiseError();
        return false;
    }
    switch (mode[0]) {
    case 'F':
        return readOptionsOnly();
    case 'S':
        if (!readEquations())
            return false;
        return solveAlgebraic();
    case 'U':
        return runUpdates(mode);
    case 'E':
        return modeNotBuilt("Symbolic elimination");
    case 'A':
        return modeNotBuilt("Symbolic operations");
    case 'D':
        return modeNotBuilt("Solving differential and integral equations");
    case 'K':
        return modeNotBuilt("Constrained optimization");
    case 'O':
        return modeNotBuilt("Unconstrained optimization");
    case 'R':
        return modeNotBuilt("Simplification");
    case 'G':
        trace("Graph generation should be ported!\n");
        return modeNotBuilt("Graph generation");
    case 'W':
        return modeNotBuilt("Fourier analysis");
    default:
        break;
    }
    reporter.send("\n");
    reporter.send("Unknown mode \"");
    reporter.send(mode);
    reporter.send("\": nothing to do");
    reporter.raiseError();
    return false;
}

bool CVarnel::runUpdates(const std::string& mode)
{
    if (!readEquations())
        return false;
    if (settings.listFileAttached)
        openListFile();
    bool ok = false;
    const char sub = mode.size() > 1 ? mode[1] : '\0';
    if (sub == 'S') {
        stepTotal = settings.listFileCount;
        reporter.send("Number of Steps:");
        reporter.sendf("%4d", stepTotal);
        reporter.send("\n");
        repeatSteps();
        ok = success;
    } else if (sub == 'I' || sub == 'R') {
        ok = modeNotBuilt("Updating from a previous solution");
    } else {
        reporter.send("\n");
        reporter.send("Unknown mode \"");
        reporter.send(mode);
        reporter.send("\": nothing to do");
        reporter.raiseError();
    }
    streams[ListFile].close();
    return ok;
}

bool CVarnel::fourierTransform(int, int, int, int, int, const char*)
{
    return modeNotBuilt("Fourier analysis");
}
