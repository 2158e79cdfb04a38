// Tests of the ".SQP" settings file against byte images written by hand from its layout, the
// short-file rule, and the desktop program's base name and temporary companions.
#include "SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace varnel;
namespace fs = std::filesystem;

namespace {

std::string hexBytes(const std::string& hex)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

// The defaults: Newton, exact Jacobian, no homotopy, simplify, groups, dJ 0.001, dT 0.1,
// guesses 0.1..1, 10 iterations, 10^-3, 50 repetitions, trapezoidal.
const std::string kDefaultImage = hexBytes("00 00 02 00"
                                           "00 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00"
                                           "01 00 00 00"
                                           "FC A9 F1 D2 4D 62 50 3F"
                                           "9A 99 99 99 99 99 B9 3F"
                                           "9A 99 99 99 99 99 B9 3F"
                                           "00 00 00 00 00 00 F0 3F"
                                           "0A 00 00 00 FD FF FF FF 32 00 00 00 00 00 00 00");

} // namespace

TEST(SettingsFile, DefaultsGiveTheHandWrittenImage)
{
    ASSERT_EQ(kDefaultImage.size(), 72u);
    const auto bytes = encodeSettingsFile(SolverOptions{});
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), kDefaultImage);
}

TEST(SettingsFile, FieldsSitInFileOrderNotRecordOrder)
{
    SolverOptions o;
    o.method = 3;
    o.jacobianMethod = 1;
    o.autoHomotopy = 7;
    o.autoSimplify = 0;
    o.solveInGroups = 0;
    o.maxIterations = 99;
    o.toleranceExponent = -8;
    o.repetitions = 5;
    o.differentialMethod = 2;
    const auto b = encodeSettingsFile(o);
    EXPECT_EQ(b[4], 3);  // method
    EXPECT_EQ(b[8], 1);  // Jacobian
    EXPECT_EQ(b[12], 7); // homotopy before simplification
    EXPECT_EQ(b[16], 0);
    EXPECT_EQ(b[56], 99); // iterations after the doubles
    EXPECT_EQ(b[60], 0xF8);
    EXPECT_EQ(b[64], 5);
    EXPECT_EQ(b[68], 2);

    SolverOptions back;
    back.showResults = 0; // not part of the file: must stay
    EXPECT_EQ(decodeSettingsFile(std::string(b.begin(), b.end()), back),
              SettingsReadStatus::Complete);
    EXPECT_EQ(back.method, 3);
    EXPECT_EQ(back.autoHomotopy, 7);
    EXPECT_EQ(back.toleranceExponent, -8);
    EXPECT_EQ(back.differentialMethod, 2);
    EXPECT_EQ(back.showResults, 0);
}

TEST(SettingsFile, ShortFileKeepsTheFieldsReadAndDefaultsTheRest)
{
    SolverOptions written;
    written.method = 2;
    written.jacobianMethod = 1;
    written.autoHomotopy = 1;
    written.autoSimplify = 0;
    written.solveInGroups = 0;
    written.deltaJ = 0.5;
    written.maxIterations = 77;
    const auto full = encodeSettingsFile(written);
    const std::string image(full.begin(), full.end());

    const struct {
        std::size_t size;
        int method, simplify;
        double deltaJ;
        int iterations;
    } cases[] = {
        {0, 0, 1, 0.001, 10},  {3, 0, 1, 0.001, 10}, {24, 2, 0, 0.001, 10},
        {30, 2, 0, 0.001, 10}, {32, 2, 0, 0.5, 10},  {71, 2, 0, 0.5, 77},
    };
    for (const auto& c : cases) {
        SolverOptions o;
        EXPECT_EQ(decodeSettingsFile(image.substr(0, c.size), o), SettingsReadStatus::ShortFile)
            << c.size;
        EXPECT_EQ(o.method, c.method) << c.size;
        EXPECT_EQ(o.autoSimplify, c.simplify) << c.size;
        EXPECT_EQ(o.deltaJ, c.deltaJ) << c.size;
        EXPECT_EQ(o.maxIterations, c.iterations) << c.size;
        EXPECT_EQ(o.repetitions, 50) << c.size;
    }
    SolverOptions longer;
    EXPECT_EQ(decodeSettingsFile(image + "extra", longer), SettingsReadStatus::Complete);
}

TEST(SettingsFile, BaseNameEndsAtTheFirstDotOfTheFileName)
{
    const struct {
        const char* path;
        const char* base;
    } cases[] = {
        {"/w/pump.alg", "/w/pump"},
        {"/w/pump.v2.alg", "/w/pump"},
        {"/w.d/pump.alg", "/w.d/pump"},
        {"/home/u/.cfg/x.alg", "/home/u/.cfg/x"},
        {"/w/.alg", ""},
        {"/w/pump", ""},
        {"pump.alg", "pump"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(documentBaseName(c.path), c.base) << c.path;
}

TEST(SettingsFile, RunBaseNameCutsTheFileNameAtItsLastDot)
{
    const struct {
        const char* path;
        const char* base;
    } cases[] = {
        {"/w/pump.alg", "/w/pump"}, {"/w/pump.v2.alg", "/w/pump.v2"},
        {"/w.d/pump", ""},          {"/w/.alg", ""},
        {"pump.alg", "pump"},       {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(runBaseName(c.path), c.base) << c.path;
}

TEST(SettingsFile, TemporaryCompanionsAreRemovedAndNothingElse)
{
    char pattern[] = "/tmp/varnel-sqp-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path dir = pattern;
    for (const char* name :
         {"m.SJC", "m.TMP", "m.KTK", "m.JAC", "m.alg", "m.SQP", "m.PRN", "mm.TMP"})
        std::ofstream(dir / name) << "x";
    const std::string base = (dir / "m").string();
    EXPECT_EQ(removeTemporaryCompanions(base), 4);
    EXPECT_EQ(removeTemporaryCompanions(base), 0);
    for (const char* kept : {"m.alg", "m.SQP", "m.PRN", "mm.TMP"})
        EXPECT_TRUE(fs::exists(dir / kept)) << kept;
    EXPECT_TRUE(temporaryCompanions("ab").empty());
    fs::remove_all(dir);
}
