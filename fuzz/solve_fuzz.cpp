// libFuzzer target for a whole bounded "S" run (few iterations) through the solver
// object on whatever bytes an equation file holds: reading, starting values, folding,
// the Jacobian listing, grouping, Newton, IF masks and homotopy. Any input must end in
// messages and a result, never a crash, a hang or a sanitizer report.
#include "CVarnel.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace varnel;

namespace {

const std::filesystem::path& scratch()
{
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() /
                    ("varnel-solve-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        std::filesystem::current_path(path);
        return path;
    }();
    return folder;
}

constexpr std::size_t kLargestSolved = 60; // statements; keeps each input fast

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path& dir = scratch();
    TextFile::setQuiet(true);
    std::string text(reinterpret_cast<const char*>(data), size);
    // The iteration limit of an options line is pinned so that every input stays quick.
    const std::string prefix = "{Options: ";
    if (text.compare(0, prefix.size(), prefix) == 0) {
        std::size_t end = prefix.size();
        while (end < text.size() && text[end] != ' ' && text[end] != '}' && text[end] != '\n')
            ++end;
        text = prefix + "3" + text.substr(end);
    }
    {
        std::ofstream out(dir / "fz.ALG", std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }

    // Large systems are left to the other targets; a quick count of the statements.
    std::size_t statements = 0;
    for (char c : text)
        statements += c == ';';
    if (statements > kLargestSolved)
        return 0;
    CVarnel solver;
    SolverOptions options;
    options.maxIterations = 3;
    options.showResults = 0;
    solver.setOptions(&options);
    std::string path = (dir / "fz.ALG").string();
    solver.solve(path.data(), "S");
    return 0;
}
