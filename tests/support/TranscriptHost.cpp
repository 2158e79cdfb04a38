// Recording host for transcript tests.
#include "TranscriptHost.h"

#include "Reporter.h"

#include <atomic>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>

namespace varnel::test {

namespace {
TranscriptHost* g_host = nullptr;
struct VarnelWindowTag {
} g_window;

void onOutput(char* text)
{
    if (g_host == nullptr || text == nullptr)
        return;
    g_host->pieces.emplace_back(text);
    g_host->log += text;
}

void onBeep(unsigned)
{
    if (g_host == nullptr)
        return;
    ++g_host->beeps;
    g_host->log += "<BEEP>";
}

LRESULT onRequest(HWND, unsigned, WPARAM code, LPARAM record)
{
    if (g_host == nullptr)
        return 0;
    g_host->requests.push_back(static_cast<unsigned>(code));
    g_host->log += "<REQUEST " + std::to_string(code) + ">";
    return g_host->answer ? g_host->answer(static_cast<unsigned>(code), record) : 0;
}
} // namespace

TranscriptHost::TranscriptHost()
{
    g_host = this;
    setLibraryOutputCallback(onOutput);
    setBeepHandler(onBeep);
    setRequestHandler(onRequest);
}

TranscriptHost::~TranscriptHost()
{
    setLibraryOutputCallback(nullptr);
    setBeepHandler(nullptr);
    setRequestHandler(nullptr);
    g_host = nullptr;
}

HWND TranscriptHost::window()
{
    return reinterpret_cast<HWND>(&g_window);
}

bool TranscriptHost::run(const std::string& path, const std::string& mode,
                         const SolverOptions& options)
{
    std::unique_ptr<CVarnelInterface> solver(getSolver(onOutput, window(), kRequestMessage));
    if (!solver)
        throw std::runtime_error("getSolver failed");
    solver->setOptions(&options);
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    return solver->solve(buffer.data(), mode.c_str());
}

void TranscriptHost::clear()
{
    log.clear();
    pieces.clear();
    beeps = 0;
    requests.clear();
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::filesystem::path dataPath(const std::string& relative)
{
    return std::filesystem::path(VARNEL_TEST_DATA_DIR) / relative;
}

TempDir::TempDir()
{
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        m_path = base / ("varnel-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
        if (std::filesystem::create_directory(m_path))
            break;
    }
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return text;
    std::size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

} // namespace varnel::test
