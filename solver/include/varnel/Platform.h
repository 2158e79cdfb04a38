// Stand-ins for the windowing-platform calls the solver library makes: the window
// handle that requests are sent to, the synchronous SendMessageA, MessageBeep, and the
// interruption flag a host may set while a run is going on.
#pragma once

#include "varnel/Export.h"

#include <cstdint>

/// Opaque request target supplied by the host (the desktop program's equation view, the
/// CLI's answer table, a test's recorder). The library never dereferences it.
struct VarnelWindow;
using HWND = VarnelWindow*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

/// The exclamation sound of MessageBeep.
constexpr unsigned MB_ICONEXCLAMATION = 48;

namespace varnel {

/// Host handler of SendMessageA: answers a request (message number, request code,
/// record pointer) synchronously on the caller's thread; 1 accepted, 0 cancelled.
using RequestHandler = LRESULT (*)(HWND wnd, unsigned msg, WPARAM code, LPARAM record);
/// Host handler of MessageBeep.
using BeepHandler = void (*)(unsigned type);

/// Installs the request handler (nullptr: every request is answered 0).
VARNEL_API void setRequestHandler(RequestHandler handler);
/// Installs the beep handler (nullptr: beeps are silent).
VARNEL_API void setBeepHandler(BeepHandler handler);

/// Asks the run in progress to stop at its next poll point (reading, parsing,
/// residual evaluation, simplification). The flag is cleared when a run starts.
VARNEL_API void requestInterrupt();
/// Clears a pending interruption request.
VARNEL_API void clearInterrupt();

} // namespace varnel

/// Sends a request to the host window; without a handler or without a window it returns 0.
VARNEL_API LRESULT SendMessageA(HWND wnd, unsigned msg, WPARAM code, LPARAM record);
/// Sounds the platform beep of the given type through the host's beep handler.
VARNEL_API int MessageBeep(unsigned type);
