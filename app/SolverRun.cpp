// The worker side of a run and the library-wide handlers that lead back to it.
#include "SolverRun.h"

#include "SymbolCodec.h"

#include <QApplication>
#include <QFile>
#include <QMetaObject>
#include <QTimer>

#include <cstring>
#include <vector>

namespace varnel {

namespace {

// The run whose library call is on this thread (null on every other thread).
thread_local SolverRun* t_run = nullptr;

// Room for the library to write into the path buffer.
constexpr std::size_t kPathBufferSize = 4096;

// How long text gathers before it goes to the Output window.
constexpr int kFlushMilliseconds = 40;

QString fromEquationBytes(const std::string& bytes)
{
    const std::u32string text = decodeEquationBytes(bytes);
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

// Copies a request record of `code` (the host sees it only through its own copy, so a
// request given up while its dialog is open never writes into a record the library freed).
bool copyRecord(unsigned code, void* to, const void* from)
{
    switch (code) {
    case RequestFourier:
        *static_cast<FourierRequest*>(to) = *static_cast<const FourierRequest*>(from);
        return true;
    case RequestGraph:
        *static_cast<GraphRequest*>(to) = *static_cast<const GraphRequest*>(from);
        return true;
    case RequestFile:
        *static_cast<FileRequest*>(to) = *static_cast<const FileRequest*>(from);
        return true;
    default:
        return false;
    }
}

} // namespace

struct SolverRun::PendingRequest {
    bool done = false;
    LRESULT answer = 0;
};

SolverRun::SolverRun(Job job, Answerer answerer, QObject* parent)
    : QObject(parent), m_job(std::move(job)), m_answerer(std::move(answerer))
{
}

SolverRun::~SolverRun()
{
    stopAndWait();
}

void SolverRun::installHandlers()
{
    setRequestHandler(&SolverRun::onRequest);
    setBeepHandler(&SolverRun::onBeep);
}

void SolverRun::start()
{
    m_busy = true;
    m_thread = std::thread([this] { work(); });
}

void SolverRun::stop()
{
    if (!m_busy)
        return;
    m_stopRequested = true;
    requestInterrupt();
}

void SolverRun::stopAndWait()
{
    stop();
    {
        std::lock_guard lock(m_mutex);
        m_abandoned = true;
    }
    m_answered.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    m_busy = false;
}

void SolverRun::work()
{
    t_run = this;
    QByteArray encoded = QFile::encodeName(m_job.path);
    std::vector<char> path(std::max<std::size_t>(kPathBufferSize, encoded.size() + 1), '\0');
    std::memcpy(path.data(), encoded.constData(), static_cast<std::size_t>(encoded.size()));

    SolverOptions options = m_job.options;
    options.listFile.chars = m_job.listFile.empty() ? nullptr : m_job.listFile.c_str();
    options.listFile.length = static_cast<std::intptr_t>(m_job.listFile.size());

    bool result = false;
    QStringList solution;
    std::unique_ptr<CVarnelInterface> solver(
        getSolver(&SolverRun::solverOutput, reinterpret_cast<HWND>(this), kRequestMessage));
    if (solver) {
        solver->setOptions(&options);
        result = solver->solve(path.data(), m_job.mode.c_str());
        if (m_job.readVariables) {
            const int count = solver->variableCount();
            for (int i = 0; i < count; ++i)
                solution << fromEquationBytes(
                    solutionLine(solver->variableName(i), solver->variableValue(i)));
        }
        solver.reset();
    } else {
        deliver("The solver could not be created.\n");
    }
    // A message without a final line break (an error text, for one) is shown all the same.
    if (!m_buffer.empty())
        sendText(m_buffer.take());
    t_run = nullptr;
    m_busy = false;
    // The end is reported after the last text, through the same queue.
    QMetaObject::invokeMethod(
        this,
        [this, result, solution] {
            flushText();
            emit finished(result, solution);
        },
        Qt::QueuedConnection);
}

void SolverRun::deliver(const char* text)
{
    // The library clears the interruption flag as it starts: a stop asked for before then
    // is raised again at its first message.
    if (m_stopRequested)
        requestInterrupt();
    const std::string shown = m_buffer.add(text);
    if (!shown.empty())
        sendText(shown);
}

void SolverRun::sendText(const std::string& bytes)
{
    std::lock_guard lock(m_textMutex);
    m_pendingText += bytes;
    if (m_flushPending)
        return;
    m_flushPending = true;
    QMetaObject::invokeMethod(
        this, [this] { QTimer::singleShot(kFlushMilliseconds, this, &SolverRun::flushText); },
        Qt::QueuedConnection);
}

void SolverRun::flushText()
{
    std::string bytes;
    {
        std::lock_guard lock(m_textMutex);
        bytes.swap(m_pendingText);
        m_flushPending = false;
    }
    if (bytes.empty())
        return;
    emit output(fromEquationBytes(bytes));
    if (const auto last = lastProgress(bytes))
        emit progress(last->iteration, last->toleranceExponent);
}

LRESULT SolverRun::ask(unsigned code, LPARAM record)
{
    if (record == 0 || (code != RequestFourier && code != RequestGraph && code != RequestFile))
        return 0;
    auto pending = std::make_shared<PendingRequest>();
    void* target = reinterpret_cast<void*>(record);
    QMetaObject::invokeMethod(
        this,
        [this, pending, code, target] {
            // The answer is given on a copy that goes back only if the worker still waits.
            FourierRequest fourier;
            GraphRequest graph;
            FileRequest file;
            void* copy = code == RequestFourier ? static_cast<void*>(&fourier)
                         : code == RequestGraph ? static_cast<void*>(&graph)
                                                : static_cast<void*>(&file);
            {
                std::lock_guard lock(m_mutex);
                if (m_abandoned)
                    return;
                copyRecord(code, copy, target);
            }
            const LRESULT answer = m_answerer ? m_answerer(code, copy) : 0;
            {
                std::lock_guard lock(m_mutex);
                if (!m_abandoned && answer == 1)
                    copyRecord(code, target, copy);
                pending->answer = answer;
                pending->done = true;
            }
            m_answered.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(m_mutex);
    m_answered.wait(lock, [&] { return pending->done || m_abandoned; });
    return pending->done ? pending->answer : 0;
}

void SolverRun::solverOutput(char* text)
{
    if (t_run && text)
        t_run->deliver(text);
}

LRESULT SolverRun::onRequest(HWND wnd, unsigned msg, WPARAM code, LPARAM record)
{
    SolverRun* run = t_run;
    if (!run || reinterpret_cast<SolverRun*>(wnd) != run || msg != kRequestMessage)
        return 0;
    return run->ask(static_cast<unsigned>(code), record);
}

void SolverRun::onBeep(unsigned)
{
    QMetaObject::invokeMethod(
        qApp, [] { QApplication::beep(); }, Qt::QueuedConnection);
}

} // namespace varnel
