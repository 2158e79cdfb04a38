// The run context's start-of-run reset and its streams.
#include "RunContext.h"

#include <cstdio>

#include "varnel/Platform.h"

#include <chrono>

namespace varnel {

namespace {
unsigned seedFromClock()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<unsigned>(
        std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}
} // namespace

RunContext::RunContext() : generator(seedFromClock())
{
    for (TextFile& f : streams)
        f.suppressMessages = false;
}

void RunContext::reset(const RunSettings& hostSettings)
{
    closeStreams();
    reporter.resetRun();
    clearInterrupt();
    settings = hostSettings;
    settings.complexMode = false;
    ifHandling = true;
    stepNumber = 1;
    stepTotal = 1;
    compileError = false;
    needsCompilation = true;
    lastTry = false;
    integrating = false;
    files.clear();
    writtenPath.clear();
    writtenText.clear();
    times = {};
}

bool RunContext::ask(RequestCode code, void* record) const
{
    return SendMessageA(window, requestMessage, static_cast<WPARAM>(code),
                        reinterpret_cast<LPARAM>(record)) == 1;
}

void RunContext::closeStreams()
{
    for (TextFile& f : streams)
        f.close();
}

bool RunContext::finishProducts(bool success)
{
    TextFile& table = stream(Stream::Results);
    if (!table.isProduct())
        return success; // the run never came to write beside the equation file
    if (!success) {
        // A failed or interrupted run leaves no product: what it began is dropped, and
        // what an earlier run left no longer describes the equation file.
        for (TextFile& f : streams)
            f.discard();
        for (const char* extension : {"PRN", "JAC"})
            std::remove((files.baseName + "." + extension).c_str());
        return false;
    }
    table.close();
    if (table.result() == 0)
        return true;
    // Without its table the run failed: its listing goes like that of any failed run.
    std::remove((files.baseName + ".JAC").c_str());
    reporter.send("\n");
    reporter.send("The result table ");
    reporter.send(files.baseName + ".PRN");
    reporter.send(" could not be written");
    reporter.raiseError();
    return false;
}

} // namespace varnel
