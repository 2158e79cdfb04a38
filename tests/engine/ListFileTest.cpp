// Runs driven by an attached list file: fixed values and starting-value columns, and
// the clear failures of missing, short, long or foreign list files.
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace varnel::test;

namespace {

const char* const kModel =
    "{Options: 20 -10}\nKp = 0.15;\n(2*a/(1 + a))^2*P = Kp*(1 - a)/(1 + a);\n";

struct Outcome {
    bool result;
    std::string log;
    std::string table;
};

Outcome runWithList(const std::string* list, int count, const std::string& listName = "cases.LST")
{
    TempDir dir;
    writeFile(dir / "m.alg", kModel);
    if (list != nullptr)
        writeFile(dir / listName, *list);
    const std::string name = (dir / listName).string();
    SolverOptions options;
    options.listFile.chars = name.c_str();
    options.listFile.length = static_cast<std::intptr_t>(name.size());
    options.listFileCount = count;
    TranscriptHost host;
    const bool result = host.run((dir / "m.alg").string(), "US", options);
    return {result, replaceAll(host.log, dir.path().string() + "/", ""), readFile(dir / "m.PRN")};
}

TEST(ListFile, FailuresAreClear)
{
    struct Case {
        const char* list;
        int count;
        const char* message;
    };
    const Case cases[] = {
        {"P\n0.5 7\n", 1, "List file line 2 has 2 values for 1 names"},
        {"P Kp\n0.5\n", 1, "List file line 2 has 1 values for 2 names"},
        {"Q\n1\n", 1, "List file name Q is not a variable of the equations"},
        {"P\nabc\n", 1, "List file line 2: \"abc\" is not a number"},
        {"P\n", 1, "List file "},
        {"P\n1\n2\nx\n", 3, "List file line 4: \"x\" is not a number"},
    };
    for (const Case& c : cases) {
        const std::string list = c.list;
        const Outcome o = runWithList(&list, c.count);
        EXPECT_FALSE(o.result) << c.list;
        EXPECT_NE(o.log.find(c.message), std::string::npos) << c.list << "\n" << o.log;
    }
}

TEST(ListFile, MissingListFileIsReportedAndDropped)
{
    const Outcome o = runWithList(nullptr, 2, "absent.LST");
    EXPECT_FALSE(o.result);
    EXPECT_NE(o.log.find("File absent.LST Does Not Exist"), std::string::npos) << o.log;
    EXPECT_NE(o.log.find("Not enough equations"), std::string::npos)
        << "P has no value without the list";
}

TEST(ListFile, FixedValuesAndStartingValueColumns)
{
    // The quoted name and the starting-value column (a name ending in 0xBB) are accepted.
    const std::string list = "\"P\" a\xBB\n2 0.1\n5 0.9\n";
    const Outcome o = runWithList(&list, 2);
    ASSERT_TRUE(o.result) << o.log;
    EXPECT_NE(o.log.find("Number of Steps:   2\n"), std::string::npos);
    std::istringstream table(o.table);
    std::string header;
    std::getline(table, header);
    for (double p : {2.0, 5.0}) {
        double kp = 0, a = 0, pv = 0;
        ASSERT_TRUE(table >> kp >> a >> pv) << o.table;
        EXPECT_DOUBLE_EQ(pv, p);
        EXPECT_NEAR(a, std::sqrt(0.15 / (0.15 + 4 * p)), 1e-7);
    }
}

TEST(ListFile, StopsAtTheEndOfTheCases)
{
    const std::string list = "P\n1\n2\n";
    const Outcome o = runWithList(&list, 5); // the count promises more cases than there are
    EXPECT_TRUE(o.result) << o.log;
    std::istringstream table(o.table);
    std::string line;
    int lines = 0;
    while (std::getline(table, line))
        ++lines;
    EXPECT_EQ(lines, 3) << o.table;
}

} // namespace
