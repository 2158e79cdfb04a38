// The modes of a run and their dispatch: a mode string selects one entry by its first
// character ("U" modes by the second as well, after their common start). Each entry is
// one function over the run context and the step loop, or the name of a stage not
// built yet, which then says so through the output callback and fails.
#pragma once

#include "RunContext.h"
#include "StepLoop.h"

#include <span>
#include <string>

namespace varnel {

struct ModeRun {
    RunContext& context;
    StepLoop& steps;
    const std::string& mode;
};

using ModeFunction = bool (*)(ModeRun& run);

struct ModeEntry {
    char letter;
    ModeFunction run;  // null: not built
    const char* stage; // what a not-built entry reports as unavailable
};

/// Entries by the first character of the mode.
std::span<const ModeEntry> modeTable();
/// Entries of the "U" modes by their second character.
std::span<const ModeEntry> updateModeTable();

/// Runs the mode: "No mode given: nothing to do" for an empty one, "Unknown mode ..."
/// for a character without entry (both with the run error). True when the mode ran
/// without error.
bool runMode(RunContext& context, StepLoop& steps, const std::string& mode);

/// "\n", the stage, " is not available in this version of the library", run error;
/// false.
bool stageNotBuilt(Reporter& reporter, const char* stage);

} // namespace varnel
