// What the library tells the user, and how a run notices failure: text pieces through
// the library-wide output callback, the exclamation beep, the run's error flag, stage
// announcements, the single overflow report of the guarded exponential, and the
// interruption hook. Developer diagnostics go to standard output only with
// VARNEL_TRACE=1.
#pragma once

#include "varnel/Varnel.h"

#include <string_view>

namespace varnel {

class TextFile;

/// The library-wide output callback shared by every solver object.
void setLibraryOutputCallback(OutputCallback cb);
OutputCallback libraryOutputCallback();

/// True when VARNEL_TRACE=1 was set when the library first looked.
bool traceEnabled();
/// A developer diagnostic on standard output (printf format), only when tracing.
void trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

class Reporter {
public:
    /// Sends one piece of text through the output callback (nothing without one). The
    /// first piece after "Error ..." begins on a new line.
    void send(std::string_view text) const;
    /// Sends one printf-formatted piece.
    void sendf(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    /// The exclamation beep (MessageBeep 48).
    void beep() const;
    /// Run error := true; beep; "\n" and "Error ...".
    void raiseError();
    /// "\n" and the text, or "Working..." when the text is empty.
    void announce(std::string_view text) const;
    /// Reopens an input stream at its beginning; a second failure sends "\n",
    /// "Reset error" and raises the error. True when the stream is open again.
    bool resetStream(TextFile& file);
    /// "\n" "Overflow in EXP" and a beep, once until the report is armed again by
    /// `rearmExpOverflow` (the guarded exponential calls both).
    void reportExpOverflow();
    void rearmExpOverflow() { expOverflowReported = false; }
    /// The interruption hook: true once the host asked the run to stop.
    bool interruptRequested() const;
    /// "User inicira prekid.." and "\n": what a loop sends when it stops on request.
    void reportInterrupted() const;

    /// Clears the per-run flags (start of a run).
    void resetRun();

    bool runError = false;
    bool expOverflowReported = false;

private:
    void deliver(std::string_view text) const;

    mutable bool m_errorLineOpen = false; // "Error ..." was the last text sent
};

} // namespace varnel
