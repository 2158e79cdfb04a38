// The name table: the hash, collisions and wrap-around probing, the full table, the
// variable limit, and names cut to 33 characters.
#include "NameTable.h"

#include <gtest/gtest.h>

#include <string>

using namespace varnel;

namespace {

int enter(NameTable& table, VariableTable& variables, const std::string& name,
          NameTable::Status expected = NameTable::Status::Ok)
{
    NameTable::Status status = NameTable::Status::Ok;
    const int n = table.enter(name, variables, status);
    EXPECT_EQ(status, expected) << name;
    return n;
}

TEST(NameTable, HomeBucketFollowsTheHash)
{
    // v(c) = code - 48 (0 when negative); h = ((v(last)*16) + v(c3)) * 16 + v(c2).
    EXPECT_EQ(NameTable::homeBucket("x"), ((72 * 16 + 1) * 16 + 1) % 2500 + 1);
    EXPECT_EQ(NameTable::homeBucket("ab"), ((50 * 16 + 1) * 16 + 50) % 2500 + 1);
    EXPECT_EQ(NameTable::homeBucket("abc"), ((51 * 16 + 51) * 16 + 50) % 2500 + 1);
    EXPECT_EQ(NameTable::homeBucket("a b!"), ((0 * 16 + 50) * 16 + 0) % 2500 + 1);
    EXPECT_EQ(NameTable::homeBucket("\xE1"), ((177 * 16 + 1) * 16 + 1) % 2500 + 1);
}

TEST(NameTable, NumbersInOrderOfFirstAppearanceCaseIncluded)
{
    NameTable table;
    VariableTable variables;
    EXPECT_EQ(enter(table, variables, "x"), 1);
    EXPECT_EQ(enter(table, variables, "X"), 2);
    EXPECT_EQ(enter(table, variables, "x"), 1);
    EXPECT_EQ(variables.count(), 2);
    EXPECT_EQ(variables.names[2], "X");
    EXPECT_EQ(table.find("X"), 2);
    EXPECT_EQ(table.find("y"), 0);
}

TEST(NameTable, CollisionsProbeTheNextBucket)
{
    // The hash sees only the 2nd, 3rd and last characters.
    NameTable table;
    VariableTable variables;
    ASSERT_EQ(NameTable::homeBucket("pab"), NameTable::homeBucket("qab"));
    const int home = NameTable::homeBucket("pab");
    EXPECT_EQ(enter(table, variables, "pab"), 1);
    EXPECT_EQ(enter(table, variables, "qab"), 2);
    EXPECT_EQ(enter(table, variables, "rab"), 3);
    EXPECT_EQ(table.bucketOf("pab"), home);
    EXPECT_EQ(table.bucketOf("qab"), home + 1);
    EXPECT_EQ(table.bucketOf("rab"), home + 2);
    EXPECT_EQ(enter(table, variables, "qab"), 2);
}

TEST(NameTable, ProbingWrapsFromTheLastBucketToTheFirst)
{
    // Find a name whose home is bucket 2500.
    std::string last;
    for (int c2 = 48; c2 < 256 && last.empty(); ++c2)
        for (int c3 = 48; c3 < 256 && last.empty(); ++c3) {
            const std::string name{'a', static_cast<char>(c2), static_cast<char>(c3)};
            if (NameTable::homeBucket(name) == 2500)
                last = name;
        }
    ASSERT_FALSE(last.empty());
    const std::string twin = "b" + last.substr(1);
    NameTable table;
    VariableTable variables;
    enter(table, variables, last);
    enter(table, variables, twin);
    EXPECT_EQ(table.bucketOf(last), 2500);
    EXPECT_EQ(table.bucketOf(twin), 1);
    EXPECT_EQ(table.find(twin), 2);
}

TEST(NameTable, FullTableAndItsMessage)
{
    NameTable table(3);
    VariableTable variables;
    EXPECT_EQ(enter(table, variables, "a"), 1);
    EXPECT_EQ(enter(table, variables, "b"), 2);
    EXPECT_EQ(enter(table, variables, "c"), 3);
    EXPECT_EQ(enter(table, variables, "d", NameTable::Status::Full), 0);
    EXPECT_EQ(enter(table, variables, "b"), 2);
    EXPECT_EQ(variables.count(), 3);
}

TEST(NameTable, The2001stNewNameGetsNoNumber)
{
    NameTable table;
    VariableTable variables;
    for (int k = 1; k <= 2000; ++k)
        ASSERT_EQ(enter(table, variables, "v" + std::to_string(k)), k);
    EXPECT_EQ(enter(table, variables, "v2001", NameTable::Status::TooManyVariables), 0);
    EXPECT_EQ(variables.count(), 2000);
    EXPECT_EQ(enter(table, variables, "v1234"), 1234);
}

TEST(NameTable, NamesAreCutTo33CharactersButTwoNamesNeverMerge)
{
    NameTable table;
    VariableTable variables;
    const std::string base(33, 'n');
    EXPECT_EQ(enter(table, variables, base + "1234567"), 1);
    EXPECT_EQ(enter(table, variables, base + "1234567"), 1);
    EXPECT_EQ(variables.names[1], base);
    // The cut is how saved files and result tables write the name: the same variable.
    EXPECT_EQ(enter(table, variables, base), 1);
    // Names that agree only in their first 33 characters would be one variable.
    EXPECT_EQ(enter(table, variables, base + "abc", NameTable::Status::Collision), 0);
    EXPECT_EQ(table.collidingName(), base + "1234567");
    EXPECT_EQ(enter(table, variables, base.substr(1)), 2);
    // Cut first, long spelling later: one variable, and the long spelling then rules.
    const std::string other(33, 'm');
    EXPECT_EQ(enter(table, variables, other), 3);
    EXPECT_EQ(enter(table, variables, other + "x"), 3);
    EXPECT_EQ(enter(table, variables, other + "y", NameTable::Status::Collision), 0);
    EXPECT_EQ(table.collidingName(), other + "x");
    EXPECT_EQ(variables.count(), 3);
}

} // namespace
