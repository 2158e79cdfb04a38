// Progress messages, errors and interruption for every stage of a run.
#include "Reporter.h"

#include "PlatformState.h"
#include "TextFile.h"

#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace varnel {

namespace {
std::atomic<OutputCallback> g_callback{nullptr};
} // namespace

void setLibraryOutputCallback(OutputCallback cb)
{
    g_callback.store(cb);
}
OutputCallback libraryOutputCallback()
{
    return g_callback.load();
}

bool traceEnabled()
{
    static const bool enabled = [] {
        const char* v = std::getenv("VARNEL_TRACE");
        return v != nullptr && std::strcmp(v, "1") == 0;
    }();
    return enabled;
}

void trace(const char* format, ...)
{
    if (!traceEnabled())
        return;
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
}

void Reporter::send(std::string_view text) const
{
    // "Error ..." ends its line: whatever comes next must not run into it.
    if (m_errorLineOpen && !text.empty()) {
        m_errorLineOpen = false;
        if (text.front() != '\n')
            deliver("\n");
    }
    deliver(text);
}

void Reporter::deliver(std::string_view text) const
{
    OutputCallback cb = g_callback.load();
    if (cb == nullptr)
        return;
    // The callback takes a writable buffer; hand it a copy so it may scribble on it.
    std::string copy(text);
    cb(copy.data());
}

void Reporter::sendf(const char* format, ...) const
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    send(buffer);
}

void Reporter::beep() const
{
    MessageBeep(MB_ICONEXCLAMATION);
}

void Reporter::raiseError()
{
    runError = true;
    beep();
    send("\n");
    send("Error ...");
    m_errorLineOpen = true;
}

void Reporter::announce(std::string_view text) const
{
    send("\n");
    send(text.empty() ? std::string_view("Working...") : text);
}

bool Reporter::resetStream(TextFile& file)
{
    const std::string name = file.name();
    if (file.openRead(name))
        return true;
    file.close();
    if (file.openRead(name))
        return true;
    send("\n");
    send("Reset error");
    raiseError();
    return false;
}

void Reporter::reportExpOverflow()
{
    if (expOverflowReported)
        return;
    send("\n");
    send("Overflow in EXP");
    beep();
    expOverflowReported = true;
}

bool Reporter::interruptRequested() const
{
    return platform::interruptPending();
}

void Reporter::reportInterrupted() const
{
    send("User inicira prekid..");
    send("\n");
}

void Reporter::resetRun()
{
    m_errorLineOpen = false;
    runError = false;
    expOverflowReported = false;
}

} // namespace varnel
