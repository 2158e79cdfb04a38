// The result table's number formats, header and row rules, and the homotopy step
// control seen through the targets it sets.
#include "ResultTable.h"

#include "CVarnel.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

using namespace varnel;
using namespace varnel::test;

namespace {

TEST(ResultTable, NumberFormats)
{
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.0, "      0.0000000"},          {0.5, "      0.5000000"},
        {99999.99, "  99999.9900000"},     {100000.0, "   1.000000e+05"},
        {-250000.0, "  -2.500000e+05"},    {0.00001, "   1.000000e-05"},
        {0.0000100001, "      0.0000100"}, {-3.25, "     -3.2500000"},
        {1e-50, "      0.0000000"}, // at or below TINY: fixed form
        {2e-50, "   2.000000e-50"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatResultValue(c.value), c.text) << c.value;
}

TEST(ResultTable, HeaderOnceThenOneLinePerSolvedStep)
{
    TempDir dir;
    TranscriptHost host;
    Reporter reporter;
    TextFile file;
    ASSERT_TRUE(file.openWrite((dir / "t.PRN").string()));
    VariableTable vars;
    for (int k = 1; k <= 30; ++k)
        vars.add(k == 2 ? "a_name_longer_than_fifteen" : "v" + std::to_string(k), k);
    ResultTable table(file, reporter);
    table.writeRow(vars, false, 0, true); // a failed first step writes nothing
    table.writeRow(vars, true, 0, true);
    vars.values[1] = 7;
    table.writeRow(vars, true, 1, true);
    file.close();

    std::string header, row0, row1;
    for (int k = 1; k <= 30; ++k) {
        char field[64];
        std::snprintf(field, sizeof field, "%15s", vars.names[static_cast<std::size_t>(k)].c_str());
        header += field;
        row0 += formatResultValue(k);
        row1 += formatResultValue(k == 1 ? 7 : k);
    }
    EXPECT_EQ(readFile(dir / "t.PRN"), header + "\n" + row0 + "\n" + row1 + "\n");
    EXPECT_NE(header.find("a_name_longer_than_fifteen"), std::string::npos) << "written in full";

    // The output view gets the header and the first row, in pieces of 13 fields.
    ASSERT_GE(host.pieces.size(), 30u + 1 + 3 + 1);
    EXPECT_EQ(host.pieces[30], "\n");
    EXPECT_EQ(host.pieces[31].size(), 13u * 15);
    EXPECT_EQ(host.pieces[32].size(), 13u * 15);
    EXPECT_EQ(host.pieces[33].size(), 4u * 15);
    EXPECT_EQ(host.pieces[34], "\n");
    EXPECT_EQ(host.pieces.size(), 35u) << "later rows go to the table only";
}

TEST(Homotopy, SolvedStartDoublesTheStepEveryTarget)
{
    TempDir dir;
    writeFile(dir / "h.alg", "{Options: 10 -6 HOMOTOPY}\nx = 1;\n");
    TranscriptHost host;
    CVarnel solver;
    SolverOptions options;
    options.deltaT = 0.1;
    solver.setOptions(&options);
    std::string path = (dir / "h.alg").string();
    ASSERT_TRUE(solver.solve(path.data(), "S")) << host.log;
    ASSERT_GE(solver.steps().homotopy().targets().size(), 5u);
    const double expected[] = {0.1, 0.3, 0.7, 1.5, 1.0}; // the last one is the final correction
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_NEAR(solver.steps().homotopy().targets()[i], expected[i], 1e-12) << i;
    EXPECT_EQ(solver.variableCount(), 1) << "the parameter is removed again";
    EXPECT_NE(host.log.find("Performing Homotopy Transformation "), std::string::npos);
}

} // namespace
