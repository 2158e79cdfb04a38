// Tests of reading result tables for grids and graphs: the parameter line, lenient numbers,
// the end of the data, the table beside an equation file and the CSV export.
#include "ResultSheet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace varnel;

TEST(ResultSheet, LeadingNumberReadsLikeTheRuntime)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* field;
        double value;
    } cases[] = {
        {"12.5", 12.5},   {"12abc", 12.0}, {"abc", 0.0},  {"-1.5e3x", -1500.0}, {"1e", 1.0},
        {"+.5", 0.5},     {"--1", 0.0},    {"", 0.0},     {"  7", 7.0},         {"1e999", inf},
        {"-1e999", -inf}, {"1e-999", 0.0}, {"3,25", 3.0}, {"0x10", 0.0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(leadingNumber(c.field), c.value) << c.field;
}

TEST(ResultSheet, HeaderRowsAndEndOfData)
{
    const ResultSheet t = parseResultSheet("      x      y\r\n"
                                           "  1.0000000;  2.5000000\r\n"
                                           "\t0.1\t-3e2 extra\r\n"
                                           "  4.0\r\n"
                                           "   \r\n"
                                           "  9.0  9.0\r\n",
                                           true);
    ASSERT_EQ(t.names, (std::vector<std::string>{"x", "y"}));
    EXPECT_FALSE(t.hasParameterLine);
    ASSERT_EQ(t.rowCount(), 3);       // the blank line ends the data
    EXPECT_EQ(t.columns[0][1], 0.1f); // kept in single precision
    EXPECT_EQ(t.columns[1][1], -300.0f);
    EXPECT_TRUE(std::isnan(t.columns[1][2])); // a short row leaves its field missing
    EXPECT_EQ(t.text[1], (std::vector<std::string>{"0.1", "-3e2", "extra"}));
    EXPECT_EQ(t.columnOf("y"), 1);
    EXPECT_EQ(t.columnOf("Y"), -1);
}

TEST(ResultSheet, ParameterLine)
{
    const struct {
        const char* text;
        const char* name;
        int column;
        std::vector<float> values;
    } cases[] = {
        // The solver's line: name right-aligned in ten characters, then the column.
        {"PARAMETER:         p        1\n x p y\n0 1 5\n1 1 6\n0 2 7\n1 2 8\n0 1 9\n",
         "p",
         1,
         {1, 2, 1}},
        // A name that fills its field follows the mark directly.
        {"PARAMETER:temperature        2\nx y temperature\n0 0 3\n0 0 3\n", "temperature", 2, {3}},
        // No column given: the name is looked up in the header.
        {"PARAMETER: k\nk x\n5 0\n6 0\n6 1\n", "k", 0, {5, 6}},
        // A column beyond the header is no column.
        {"PARAMETER: k 9\nk x\n5 0\n", "k", -1, {}},
    };
    for (const auto& c : cases) {
        const ResultSheet t = parseResultSheet(c.text);
        EXPECT_TRUE(t.hasParameterLine) << c.text;
        EXPECT_EQ(t.parameterName, c.name) << c.text;
        EXPECT_EQ(t.parameterColumn, c.column) << c.text;
        EXPECT_EQ(t.parameterValues, c.values) << c.text;
    }
}

TEST(ResultSheet, HostileText)
{
    for (const char* text :
         {"", "\n\n", "PARAMETER:", "PARAMETER:\n", "a b\n", ";;;\n1 2\n", "x\n\xff\xfe\x01\n"}) {
        const ResultSheet t = parseResultSheet(text, true);
        EXPECT_EQ(static_cast<int>(t.columns.size()), t.columnCount()) << text;
        for (const auto& column : t.columns)
            EXPECT_EQ(static_cast<int>(column.size()), t.rowCount()) << text;
    }
}

TEST(ResultSheet, NameBesideTheEquationFile)
{
    const struct {
        const char* document;
        const char* table;
    } cases[] = {
        {"/home/u/pipe.alg", "/home/u/pipe.PRN"},
        {"/home/u.v/pipe.alg", "/home/u.v/pipe.PRN"}, // a dot in a folder is not the base's
        {"/home/u/a.b.alg", "/home/u/a.b.PRN"},       // where the solver writes it
        {"pipe.alg", "pipe.PRN"},
        {"/home/u/pipe", ""},
        {"/home/u/.alg", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resultTableName(c.document), c.table) << c.document;
}

TEST(ResultSheet, CsvExport)
{
    const ResultSheet t = parseResultSheet("x a,b q\"t\n0.1 2 1e5\n-3\n");
    EXPECT_EQ(sheetAsCsv(t), "x,\"a,b\",\"q\"\"t\"\n0.1,2,1e+05\n-3,,\n");
}
