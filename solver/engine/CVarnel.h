// The solver object: one short-lived object per host command. It owns the run's
// settings, equation set, streams and messages; its operations are spread over the
// files of the stages that own them (RunDriver.cpp, ...).
#pragma once

#include "varnel/Varnel.h"

#include "EquationSet.h"
#include "Reporter.h"
#include "RunSettings.h"
#include "TextFile.h"

#include <array>
#include <cstdint>
#include <random>
#include <string>

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
                          const char* outputPath) override;

    /// Base name of a path: everything before its last "." (at most 500 characters).
    static std::string baseNameOf(std::string_view path);

    /// A pseudo-random integer 0..32767 from the object's generator.
    int random();

    // Run state (reset at the start of every run).
    varnel::RunSettings settings;   // options record copy; the options line overrides it
    varnel::RunSettings hostSettings;
    varnel::EquationSet set;
    varnel::Reporter reporter;
    std::string path;
    std::string baseName;
    int stepNumber = 1;
    int stepTotal = 1;
    bool success = false;
    bool compileError = false;
    bool needsCompilation = true;
    int ifMode = 2;
    bool lastTry = false;
    bool integrating = false;
    bool ifHandling = true;

    // The run's streams: the equation input, the result table, the list file, the
    // working copy, the Jacobian listing and the other output files.
    enum Stream { Input, Results, ListFile, WorkingCopy, Jacobian, Update, Export, Extra1, Extra2, Extra3, Extra4, StreamCount };
    std::array<varnel::TextFile, StreamCount> streams;
    void closeStreams();

private:
    void resetRun();
    bool dispatch(const std::string& mode);
    bool modeNotBuilt(const char* what);
    bool readOptionsOnly();

    HWND m_wnd = nullptr;
    unsigned m_msg = 0;
    std::minstd_rand m_random;
};
