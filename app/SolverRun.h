// One run of the solver library on a worker thread: the solver object is made, fed, run and
// destroyed there, so the window stays live. The library's text arrives through its
// context-free output callback, which finds the run through a thread-local pointer; whole
// lines go to the interface thread as signals. The library's requests for the user's choice
// are answered on the interface thread while the worker waits.
#pragma once

#include "SolveCommands.h"

#include "varnel/Varnel.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace varnel {

class SolverRun : public QObject {
    Q_OBJECT
public:
    /// Answers one request (code and record) on the interface thread: 1 accepted, 0 not.
    using Answerer = std::function<LRESULT(unsigned code, void* record)>;

    /// What a run needs, copied from the document when it starts.
    struct Job {
        QString path;               ///< the equation file
        std::string mode;           ///< the mode string
        SolverOptions options;      ///< the document's settings (the list-file name is re-pointed)
        std::string listFile;       ///< the attached list file's name, empty when none
        bool readVariables = false; ///< read the solution back ("S"/"US" from Alg. Equations)
    };

    SolverRun(Job job, Answerer answerer, QObject* parent = nullptr);
    /// Stops the run if it is still going and waits for it.
    ~SolverRun() override;

    /// Starts the worker thread.
    void start();
    /// Asks the library to stop at its next poll point (the run ends with its interruption
    /// message). A request made before the library has started is raised again once it has.
    void stop();
    /// Stops the run and waits for the worker to end; a pending request is answered 0.
    void stopAndWait();
    /// True while the worker runs the library.
    bool busy() const { return m_busy.load(); }
    const Job& job() const { return m_job; }

    /// Installs the library-wide request and beep handlers (once, on the interface thread).
    static void installHandlers();

signals:
    /// Text for the Output window (whole lines, or a piece of more than 100 characters).
    void output(const QString& text);
    /// The latest iteration line of the run.
    void progress(int iteration, int toleranceExponent);
    /// The run has ended: the library's result and, when asked for, the solution lines.
    void finished(bool result, const QStringList& solution);

private:
    struct PendingRequest;

    void work();
    void deliver(const char* text);
    LRESULT ask(unsigned code, LPARAM record);
    void sendText(const std::string& bytes);
    /// Hands the text gathered since the last call to the Output window (interface thread).
    void flushText();

    static void solverOutput(char* text);
    static LRESULT onRequest(HWND wnd, unsigned msg, WPARAM code, LPARAM record);
    static void onBeep(unsigned type);

    Job m_job;
    Answerer m_answerer;
    std::thread m_thread;
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_stopRequested{false};
    OutputLineBuffer m_buffer; // touched by the worker only

    // Text on its way to the interface thread. It goes over in batches at most every few
    // milliseconds, so that a run printing faster than the window can show never floods the
    // interface thread's event queue.
    std::mutex m_textMutex;
    std::string m_pendingText;   // guarded by m_textMutex
    bool m_flushPending = false; // guarded by m_textMutex

    std::mutex m_mutex;
    std::condition_variable m_answered;
    bool m_abandoned = false; // guarded by m_mutex: no more answers are awaited
};

} // namespace varnel
