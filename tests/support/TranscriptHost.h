// A test host of the solver library: records every callback piece, beep and request
// of a run as one ordered transcript, answers requests through a test-supplied
// function, and compares transcripts with hand-written expected files.
#pragma once

#include "varnel/Varnel.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace varnel::test {

class TranscriptHost {
public:
    TranscriptHost();
    ~TranscriptHost();
    TranscriptHost(const TranscriptHost&) = delete;
    TranscriptHost& operator=(const TranscriptHost&) = delete;

    /// getSolver with this host's callback and window, setOptions, solve, delete.
    bool run(const std::string& path, const std::string& mode, const SolverOptions& options = {});
    /// Clears what was recorded.
    void clear();

    /// Callback text in order, with "<BEEP>" where a beep sounded and "<REQUEST n>"
    /// where request code n was sent.
    std::string log;
    std::vector<std::string> pieces;
    int beeps = 0;
    std::vector<unsigned> requests;
    /// Answers a request (code, record); unset: cancelled (0).
    std::function<LRESULT(unsigned, LPARAM)> answer;

    static HWND window();
};

/// Whole file as bytes ("" when missing).
std::string readFile(const std::filesystem::path& path);
/// Writes bytes to a file, creating folders.
void writeFile(const std::filesystem::path& path, const std::string& bytes);
/// tests/data/<relative>.
std::filesystem::path dataPath(const std::string& relative);

/// A fresh empty folder under the system's temporary folder, removed on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

/// Replaces every occurrence of `from` in `text` by `to` (for path placeholders).
std::string replaceAll(std::string text, const std::string& from, const std::string& to);

} // namespace varnel::test
