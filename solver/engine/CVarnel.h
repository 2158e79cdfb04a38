// The solver object: one short-lived object per host command. A thin owner of the
// host's settings record, the run context and the step loop; a run resets the context,
// computes the run's file names, and hands the mode to the mode table (Modes.h).
#pragma once

#include "varnel/Varnel.h"

#include "RunContext.h"
#include "RunSettings.h"
#include "StepLoop.h"

#include <string>
#include <string_view>

class CVarnel final : public CVarnelInterface {
public:
    CVarnel();
    CVarnel(HWND wnd, unsigned int msg);
    ~CVarnel() override;

    bool solve(char* path, const char* mode) override;
    void setOutputCallback(OutputCallback cb) override;
    unsigned setOptions(const SolverOptions* options) override;
    const char* variableName(int i) override;
    double variableValue(int i) override;
    int variableCount() override;
    int solutionStrings(std::vector<char*>* strings) override;
    bool fourierTransform(int direction, int second, int amplitudePhase, int degrees, int fifth,
                          const char* tablePath) override;

    /// Base name of a path: everything before its last "." (at most 500 characters).
    static std::string baseNameOf(std::string_view path);

    /// A pseudo-random integer 0..32767 from the object's generator.
    int random();

    /// The state of the last run (effective settings, equations, phase times), read-only.
    const varnel::RunContext& context() const { return m_context; }
    /// The step loop of the last run (its homotopy targets, for instance), read-only.
    const varnel::StepLoop& steps() const { return m_steps; }

private:
    varnel::RunSettings m_hostSettings; // the host's record as setOptions copied it
    varnel::RunContext m_context;
    varnel::StepLoop m_steps{m_context.reporter};
};
