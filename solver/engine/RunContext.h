// The state one run of the solver object works on, shared by the stages of the run:
// the effective settings (the host's record overridden by the options line, the only
// copy a run reads, complex mode included), the equation set, the reporter, the open
// streams, the file names computed at the start, and the counters of the run.
#pragma once

#include "EquationSet.h"
#include "Evaluator.h"
#include "PhaseTimes.h"
#include "Reporter.h"
#include "RunFiles.h"
#include "RunSettings.h"
#include "TextFile.h"

#include "varnel/Platform.h"
#include "varnel/Requests.h"

#include <array>
#include <random>

namespace varnel {

/// The streams of a run: the equation input, the result table, the list file, the
/// working copy, the Jacobian listing and the other output files.
enum class Stream {
    Input,
    Results,
    ListFile,
    WorkingCopy,
    Jacobian,
    Update,
    Export,
    Extra1,
    Extra2,
    Extra3,
    Extra4
};
inline constexpr std::size_t kStreamCount = 11;

struct RunContext {
    RunContext();
    RunContext(const RunContext&) = delete;
    RunContext& operator=(const RunContext&) = delete;

    /// Start of a run: streams closed, reporter and interruption cleared, settings copied
    /// from the host's record, counters and file names cleared.
    void reset(const RunSettings& hostSettings);
    void closeStreams();
    /// The common end's decision on the files written beside the equation file, after
    /// every writer has finished: a successful run commits them, a failed one discards
    /// them and removes the result table and Jacobian listing left by earlier runs. The
    /// run's success afterwards (false when the result table could not be written).
    bool finishProducts(bool success);
    TextFile& stream(Stream s) { return streams[static_cast<std::size_t>(s)]; }

    /// The complex-mode switch of the run (set by the options line) is settings.complexMode;
    /// this hands it to the evaluator, which keeps a copy for its inner loop.
    void applyComplexMode() { evaluator.complexMode = settings.complexMode; }

    /// A pseudo-random integer 0..32767 from the object's generator (seeded from the
    /// clock when the object is made).
    int random() { return static_cast<int>(generator() % 32768u); }

    /// Sends a request record to the host window (synchronously); true when the host
    /// answered 1. Without a window every request is answered 0.
    bool ask(RequestCode code, void* record) const;

    RunSettings settings;
    EquationSet set;
    Reporter reporter;
    Evaluator evaluator{reporter};
    RunFiles files;
    /// The last equation file a step of this run wrote (".SJC") and its text: a run that
    /// goes on to solve that file solves the text it wrote, whatever another run of the
    /// same file has put there since.
    std::string writtenPath;
    std::string writtenText;
    std::array<TextFile, kStreamCount> streams;
    PhaseTimes times;
    std::minstd_rand generator;
    HWND window = nullptr;       // the host's request target (kept across runs)
    unsigned requestMessage = 0; // the message number requests are sent with

    int stepNumber = 1;
    int stepTotal = 1;
    bool compileError = false;
    bool needsCompilation = true;
    int ifMode = 2;       // 2: no IF handling, 1: every branch mask, 0: random branches
    bool lastTry = false; // the last attempt of a step: its failure is reported
    bool integrating = false;
    bool ifHandling = true;
};

} // namespace varnel
