// Saving equation sets in the layout of the user's file: hand-written expected files for a
// file with comments, blank lines, a starting value and an added equation, and for an
// eliminated set with CR LF line ends; the messages; the edge cases of the walk.
#include "EquationSaver.h"

#include "PrinterTestSupport.h"
#include "Reporter.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace varnel;
using varnel::test::dataPath;
using varnel::test::readFile;
using varnel::test::readSet;
using varnel::test::TranscriptHost;

namespace {

TEST(EquationSaver, CommentsBlankLinesAndStartingValuesSurvive)
{
    const std::string input = readFile(dataPath("save/comments_and_extras/input.alg"));
    ASSERT_FALSE(input.empty());
    EquationSet set;
    // The set has one equation more than the text: it is appended.
    ASSERT_TRUE(readSet(input + "z = 2*x;", set));
    ASSERT_EQ(set.equationCount(), 3);
    set.variables.values = {0.0, 2.0, 1.0, 4.0};

    TranscriptHost host;
    Reporter reporter;
    std::string out;
    ASSERT_TRUE(saveEquations(input, set, true, reporter, out));
    reportEquationsSaved(reporter, "/tmp/loops.SJC");
    EXPECT_EQ(out, readFile(dataPath("save/comments_and_extras/expected.SJC")));
    EXPECT_EQ(host.pieces,
              (std::vector<std::string>{"\n", "\nSaving Equations...\n", "\n",
                                        "Equations Saved to File:  ", "/tmp/loops.SJC"}));
    EXPECT_EQ(host.beeps, 0);
}

TEST(EquationSaver, EliminatedSetKeepsItsEliminationStatements)
{
    const std::string input = readFile(dataPath("save/eliminated/input.alg"));
    EquationSet set;
    ASSERT_TRUE(readSet(readFile(dataPath("save/eliminated/set.alg")), set));
    Reporter reporter;
    std::string out;
    ASSERT_TRUE(saveEquations(input, set, false, reporter, out));
    EXPECT_EQ(out, readFile(dataPath("save/eliminated/expected.SJC")));
}

TEST(EquationSaver, EdgesOfTheWalk)
{
    struct Case {
        int line;
        std::string text;
        std::string set;
        std::string expected;
    };
    const std::vector<Case> cases = {
        // a comment left open is closed before the added equations
        {__LINE__, "x = 1; { open", "x = 1; y = 2;", "x=1.0000000;  { open}\ny=2.0000000; \n"},
        // statements beyond the set are kept as written
        {__LINE__, "x = 1;\ny = 2;\n", "x = 1;", "x=1.0000000; \ny = 2;\n"},
        // a statement split over lines becomes one printed line
        {__LINE__, "a = b\n  + c;\n", "a = b + c;", "a=b+c; \n"},
        // no text at all: every equation is added
        {__LINE__, "", "a = 1; b = a;", "a=1.0000000; \nb=a; \n"},
        // a file with CR LF line ends keeps them, in copied and in written text
        {__LINE__, "{a\r\nb \xe1\xb0}\r\nx = 1;\r\n\r\n{end}\r\n", "x = 1; y = 2;",
         "{a\r\nb \xe1\xb0}\r\nx=1.0000000; \r\n\r\n{end}\r\ny=2.0000000; \r\n"},
    };
    for (const Case& c : cases) {
        EquationSet set;
        ASSERT_TRUE(readSet(c.set, set)) << "case at line " << c.line;
        Reporter reporter;
        std::string out;
        ASSERT_TRUE(saveEquations(c.text, set, false, reporter, out)) << "case at line " << c.line;
        EXPECT_EQ(out, c.expected) << "case at line " << c.line;
    }
}

TEST(EquationSaver, AnEquationThatCannotBePrintedFailsTheSave)
{
    EquationSet set;
    ASSERT_TRUE(readSet("x = 1; y = 2;", set));
    set.equation(2).code = {makeBinaryToken('+'), makeToken(kind::End, ' ', 0, 0.0)};
    TranscriptHost host;
    Reporter reporter;
    std::string out;
    EXPECT_FALSE(saveEquations("x = 1;\ny = 2;\n", set, true, reporter, out));
    EXPECT_TRUE(reporter.runError);
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(host.pieces,
              (std::vector<std::string>{"\n", "\nSaving Equations...\n",
                                        "Equation Ended Prematurely", "\n", "Error ..."}));
}

} // namespace
