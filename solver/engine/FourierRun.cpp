// Naming the tables of a Fourier run and asking the host for its parameters.
#include "FourierRun.h"

#include "ProductFile.h"
#include "RunFiles.h"

#include <cstring>
#include <filesystem>

namespace varnel {

namespace {

bool cancelled(Reporter& reporter, const char* what)
{
    reporter.send("\n");
    reporter.send(what);
    reporter.send(" cancelled: the request was not answered");
    reporter.raiseError();
    return false;
}

} // namespace

std::string fourierOutputPath(const std::string& tablePath)
{
    const std::string base = RunFiles::baseNameOf(tablePath);
    std::string output = base + ".FFT";
    std::error_code ec;
    if (output == tablePath || std::filesystem::equivalent(output, tablePath, ec))
        output = base + "-spectrum.FFT";
    return output;
}

bool runFourier(RunContext& context, const std::string& tablePath, const FourierFlags& flags)
{
    Reporter& reporter = context.reporter;
    const std::string table = tablePath.empty() ? context.files.baseName + ".PRN" : tablePath;
    const std::string output = fourierOutputPath(table);
    bool answered = true;
    auto ask = [&](FourierRequest& request) {
        answered = context.ask(RequestFourier, &request);
        return answered;
    };
    auto write = [&](std::string_view text) { return writeProduct(output, text); };
    const bool ok = runFourierAnalysis(table, flags, ask, write, reporter);
    if (!answered)
        return cancelled(reporter, "Fourier analysis");
    return ok && !reporter.runError;
}

bool runFourierOfChosenFile(RunContext& context, const FourierFlags& flags)
{
    FileRequest request;
    if (!context.ask(RequestFile, &request))
        return cancelled(context.reporter, "FFT from file");
    const std::size_t length = strnlen(request.path, sizeof request.path);
    if (length == 0 || length == sizeof request.path) {
        context.reporter.send("\n");
        context.reporter.send("FFT from file: no file was chosen");
        context.reporter.raiseError();
        return false;
    }
    return runFourier(context, std::string(request.path, length), flags);
}

} // namespace varnel
