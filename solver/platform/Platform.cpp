// The platform stand-ins: request messages and beeps are forwarded to handlers the
// host installs; the interruption flag is an atomic the host may set from any thread.
#include "varnel/Platform.h"

#include "PlatformState.h"

#include <atomic>

namespace {
std::atomic<varnel::RequestHandler> g_requestHandler{nullptr};
std::atomic<varnel::BeepHandler> g_beepHandler{nullptr};
std::atomic<bool> g_interrupt{false};
} // namespace

namespace varnel {

void setRequestHandler(RequestHandler handler)
{
    g_requestHandler.store(handler);
}
void setBeepHandler(BeepHandler handler)
{
    g_beepHandler.store(handler);
}
void requestInterrupt()
{
    g_interrupt.store(true);
}
void clearInterrupt()
{
    g_interrupt.store(false);
}

namespace platform {
bool interruptPending()
{
    return g_interrupt.load(std::memory_order_relaxed);
}
} // namespace platform

} // namespace varnel

LRESULT SendMessageA(HWND wnd, unsigned msg, WPARAM code, LPARAM record)
{
    varnel::RequestHandler handler = g_requestHandler.load();
    if (handler == nullptr || wnd == nullptr)
        return 0;
    return handler(wnd, msg, code, record);
}

int MessageBeep(unsigned type)
{
    varnel::BeepHandler handler = g_beepHandler.load();
    if (handler != nullptr)
        handler(type);
    return 1;
}
