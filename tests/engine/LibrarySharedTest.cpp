// The shared library seen from a host: only the public header, the exported factories
// and the virtual operations.
#include "varnel/Varnel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

std::string g_output;
int g_beeps = 0;
void collect(char* text)
{
    g_output += text;
}
void countBeep(unsigned type)
{
    EXPECT_EQ(type, 48u);
    ++g_beeps;
}

TEST(LibraryShared, FactoriesAndOneRun)
{
    std::unique_ptr<CVarnelInterface> plain(getSolver());
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->variableCount(), 0);

    const auto dir = std::filesystem::temp_directory_path() / "varnel-shared-test";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "m.alg").string();
    std::ofstream(path) << "{Options: 20}\nx = 1;\n";

    g_output.clear();
    g_beeps = 0;
    varnel::setBeepHandler(countBeep);
    std::unique_ptr<CVarnelInterface> solver(getSolver(collect, nullptr, 1049));
    ASSERT_TRUE(solver);
    SolverOptions options;
    EXPECT_EQ(solver->setOptions(&options), 0u);
    std::string buffer = path;
    EXPECT_TRUE(solver->solve(buffer.data(), "F"));
    EXPECT_EQ(g_output, "VARNEL Version 2.00\n" + path + "\n\n");
    EXPECT_EQ(g_beeps, 0);

    g_output.clear();
    EXPECT_FALSE(solver->solve(buffer.data(), "?"));
    EXPECT_EQ(g_beeps, 1);
    varnel::setBeepHandler(nullptr);
    std::filesystem::remove_all(dir);
}

TEST(LibraryShared, RequestsWithoutHandlerAreCancelled)
{
    EXPECT_EQ(SendMessageA(nullptr, 1049, 1, 0), 0);
    EXPECT_EQ(MessageBeep(48), 1);
}

} // namespace
