// List files: the same grid from any separator, the stored bytes and count of a grid, the
// refusals of grids a run could not read, and a stored list driving a run of the solver
// whose values are checked against the closed form.
#include "ListFile.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

using namespace varnel;
using namespace varnel::test;

namespace {

TEST(ListFile, EverySeparatorGivesTheSameGrid)
{
    const ListTable expected{{"P", "a\xBB"}, {{"2", "0.1"}, {"5", "0.9"}}};
    for (const char* text : {
             "P a\xBB\n2 0.1\n5 0.9\n",
             "P\ta\xBB\n2\t0.1\n5\t0.9",
             "P;a\xBB\r\n2;0.1\r\n\r\n5 ;\t0.9\r\n",
             "  P  a\xBB \n\n2 0.1\n   \n5 0.9\n\n",
         }) {
        const ListTable table = readListTable(text);
        EXPECT_EQ(table.names, expected.names) << text;
        EXPECT_EQ(table.rows, expected.rows) << text;
    }
}

TEST(ListFile, ReadingKeepsEveryValueAndPadsShortRows)
{
    const ListTable table = readListTable("x y\n1 2 3\n4\n");
    EXPECT_EQ(table.names, (ListRow{"x", "y", ""}));
    EXPECT_EQ(table.rows, (std::vector<ListRow>{{"1", "2", "3"}, {"4", "", ""}}));
    EXPECT_TRUE(readListTable("").names.empty());
}

TEST(ListFile, WritingTrimsLinesSkipsEmptyRowsAndCountsDataLines)
{
    struct Case {
        ListTable table;
        std::string bytes;
        int count;
    };
    const Case cases[] = {
        {{{"x", "y\xBB"}, {{"1", "2"}, {"3.5", "-4e-2"}}}, "x y\xBB\n1 2\n3.5 -4e-2\n", 2},
        {{{"x", "y"}, {{"", ""}, {"1", "2"}, {" ", ""}}}, "x y\n1 2\n", 1},
        {{{"", "x", ""}, {{"", "7", ""}}}, "x\n7\n", 1},
        {{{"x"}, {}}, "x\n", 0},
        {{{""}, {{""}}}, "", 0},
    };
    for (const Case& c : cases) {
        const ListFileText text = writeListTable(c.table);
        EXPECT_EQ(text.bytes, c.bytes);
        EXPECT_EQ(text.count, c.count) << c.bytes;
        // What is written reads back as the same names and non-empty rows.
        const ListTable back = readListTable(text.bytes);
        EXPECT_EQ(writeListTable(back).bytes, text.bytes);
    }
}

TEST(ListFile, GridsARunCannotReadAreRefused)
{
    const std::string longValue(300, '1');
    struct Case {
        ListTable table;
        std::string message;
    };
    const Case cases[] = {
        {{{"", ""}, {{"1", "2"}}},
         "The list has no variable names: give each column a name in the header row."},
        {{{}, {}}, "The list has no variable names: give each column a name in the header row."},
        {{{"x", "y", "x"}, {}}, "The variable \"x\" heads more than one column."},
        {{{"x", "x\xBB"}, {}}, "The variable \"x\" heads more than one column."},
        {{{"\"x\"", "x"}, {}}, "The variable \"x\" heads more than one column."},
        {{{"x", "\xBB"}, {}}, "Column 2 has no variable name before its starting-value sign."},
        {{{"x y", "z"}, {}},
         "The name \"x y\" of column 1 holds a blank, a tab, a line end or \";\", which separate "
         "the "
         "values of a list file."},
        {{{"x", ""}, {{"1", ""}, {"1", "2"}}},
         "Row 2 has a value in column 2, which has no variable name."},
        {{{"x", "y"}, {{"1", "2"}, {"", ""}, {"", "3"}}}, "Row 3 has no value for \"x\"."},
        {{{"x", "y"}, {{"1", " \t"}}}, "Row 1 has no value for \"y\"."},
        {{{"x"}, {{"1;2"}}},
         "The value \"1;2\" in row 1, column 1 holds a blank, a tab, a line end or \";\", which "
         "separate "
         "the values of a list file."},
        {{{"x"}, {{longValue}}},
         "Row 1 is longer than the 255 characters a run reads from a line."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(checkListTable(c.table), c.message);

    const std::string fit[] = {
        checkListTable({{"x", "y\xBB"}, {{"1", "2"}, {"", ""}, {" 3 ", "4"}}}),
        checkListTable({{"x", ""}, {{"1", ""}}}), // an unused column without a name is dropped
        checkListTable({{"x"}, {}}),
        checkListTable({{"x"}, {{std::string(255, '1')}}}),
    };
    for (const std::string& message : fit)
        EXPECT_EQ(message, "");
}

// A grid stored by the writer drives a repeated run: c is fixed per case, x starts from the
// starting-value column, and each case's solution is x = sqrt(c), y = 2 x + 1.
TEST(ListFile, StoredGridDrivesARepeatedRun)
{
    TempDir dir;
    writeFile(dir / "m.alg", "{Options: 20 -10}\nx*x = c;\ny = 2*x + 1;\n");
    const ListTable grid{{"c", "x\xBB"}, {{"4", "1"}, {"", ""}, {"2", "3"}}};
    ASSERT_EQ(checkListTable(grid), "");
    const ListFileText text = writeListTable(grid);
    ASSERT_EQ(text.count, 2);
    writeFile(dir / "cases.LST", text.bytes);

    const std::string name = (dir / "cases.LST").string();
    SolverOptions options;
    options.listFile.chars = name.c_str();
    options.listFile.length = static_cast<std::intptr_t>(name.size());
    options.listFileCount = text.count;
    TranscriptHost host;
    ASSERT_TRUE(host.run((dir / "m.alg").string(), "US", options)) << host.log;
    EXPECT_NE(host.log.find("Number of Steps:   2\n"), std::string::npos) << host.log;

    std::istringstream table(readFile(dir / "m.PRN"));
    std::string header;
    std::getline(table, header);
    std::istringstream names(header);
    std::vector<std::string> columns;
    for (std::string column; names >> column;)
        columns.push_back(column);
    ASSERT_EQ(columns.size(), 3u) << header;
    for (double c : {4.0, 2.0}) {
        std::map<std::string, double> row;
        for (const std::string& column : columns)
            ASSERT_TRUE(table >> row[column]) << readFile(dir / "m.PRN");
        EXPECT_DOUBLE_EQ(row["c"], c);
        EXPECT_NEAR(row["x"], std::sqrt(c), 1e-6);
        EXPECT_NEAR(row["y"], 2 * std::sqrt(c) + 1, 1e-6);
    }
}

} // namespace
