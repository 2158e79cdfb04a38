// The lexer: byte classes, blanks and comments with their last word, words with the
// implicit product and the function-name case rules, numbers with their suffixes, the
// character count and the parse-error routine.
#include "Lexer.h"

#include "CharClasses.h"
#include "Code.h"
#include "Reporter.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace varnel;
using varnel::test::TranscriptHost;

namespace {

struct Reader {
    TranscriptHost host;
    ParseState state;
    Reporter reporter;
    Lexer lexer{state, reporter};
    explicit Reader(std::string_view text) { lexer.pushSource(text); }
};

TEST(CharClasses, MembersOfEachClass)
{
    struct Case {
        int c;
        std::uint8_t flags;
    };
    using namespace charclass;
    const std::vector<Case> cases{
        {' ', Blank},
        {'\t', Blank},
        {'\n', Blank},
        {'\r', Blank},
        {0xB1, Blank},
        {0xB2, Blank},
        {0xDB, Blank},
        {0x0B, 0},
        {0x0C, 0},
        {0, 0},
        {Lexer::kEnd, 0},
        {'a', NameStart | Word | FactorStart},
        {'Z', NameStart | Word | FactorStart},
        {'_', NameStart | Word | FactorStart},
        {0xE1, NameStart | Word | FactorStart},
        {0x8A, NameStart | Word | FactorStart},
        {0xF9, NameStart | Word | FactorStart},
        {0xF3, NameStart | Word | FactorStart | Relation},
        {'E', NameStart | Word | FactorStart | Number},
        {'e', NameStart | Word | FactorStart | Number},
        {'7', Digit | Word | Number | FactorStart},
        {'.', Number | FactorStart},
        {'+', Number | FactorStart},
        {'-', Number | FactorStart},
        {'[', Word | FactorStart},
        {']', Word | FactorStart},
        {'\'', Word | FactorStart},
        {'"', Word | FactorStart},
        {'?', Word | FactorStart},
        {0x9C, Word | FactorStart},
        {0x9F, Word | FactorStart},
        {0xA2, Word | FactorStart},
        {0xF0, Word | FactorStart},
        {'%', FactorStart},
        {'@', FactorStart},
        {0xB0, FactorStart},
        {0xDF, FactorStart},
        {'<', Relation | FactorStart},
        {'>', Relation | FactorStart},
        {'=', Relation},
        {0xBB, Relation},
        {0x85, Relation},
        {0xF2, Relation},
        {'(', 0},
        {')', 0},
        {'{', 0},
        {';', 0},
        {',', 0},
        {'*', 0},
        {'/', 0},
        {'^', 0},
        {0xEF, 0},
        {0xFF, 0},
        {0x80, 0},
        {0xE9, 0},
        {0xEA, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(charClassOf(c.c), c.flags) << "byte " << c.c;

    int nameStarts = 0;
    for (int b = 128; b < 256; ++b)
        nameStarts += isNameStartChar(b) ? 1 : 0;
    EXPECT_EQ(nameStarts, 31);
}

TEST(Lexer, SkipsBlanksAndCommentsKeepingTheLastCommentWord)
{
    Reader r("  \t\xB1\xB2\xDB\r\n{ first 2nd _third9 4x }{} x");
    EXPECT_EQ(r.lexer.nextSignificant(), 'x');
    EXPECT_EQ(r.lexer.recentWord(), "_third9");
    EXPECT_EQ(r.lexer.nextSignificant(), Lexer::kEnd);
    EXPECT_EQ(r.lexer.nextSignificant(), Lexer::kEnd);
}

TEST(Lexer, CommentWordIsCutTo33AndAnUnclosedCommentIsAnError)
{
    Reader r("{ " + std::string(40, 'w') + "} {open x");
    EXPECT_EQ(r.lexer.nextSignificant(), Lexer::kEnd);
    EXPECT_TRUE(r.state.abort);
    EXPECT_EQ(r.state.errorMessage, "Comment not closed");
    Reader cut("{" + std::string(40, 'w') + "}");
    cut.lexer.nextSignificant();
    EXPECT_EQ(cut.lexer.recentWord(), std::string(33, 'w'));
}

TEST(Lexer, CountsCharactersAndGivesBack)
{
    Reader r("ab c");
    EXPECT_EQ(r.lexer.nextChar(), 'a');
    EXPECT_EQ(r.lexer.nextChar(), 'b');
    EXPECT_EQ(r.lexer.count(), 2);
    r.lexer.unget('b');
    EXPECT_EQ(r.lexer.count(), 1);
    EXPECT_EQ(r.lexer.nextSignificant(), 'b');
    EXPECT_EQ(r.lexer.nextSignificant(), 'c');
    EXPECT_EQ(r.lexer.count(), 4);
    EXPECT_EQ(r.lexer.nextChar(), Lexer::kEnd);
    EXPECT_EQ(r.lexer.count(), 4);
}

struct WordCase {
    int line;
    std::string text;
    bool keyword;
    std::string word;
    int next;
    bool implied;
};

TEST(Lexer, WordsAndTheImplicitProduct)
{
    const std::vector<WordCase> cases{
        {__LINE__, "x(y)", false, "x", '*', true},
        {__LINE__, "x (y)", false, "x", '*', true},
        {__LINE__, "x{c}(y)", false, "x", '*', true},
        {__LINE__, "SIN(x)", false, "SIN", '(', false},
        {__LINE__, "Sin(x)", false, "Sin", '(', false},
        {__LINE__, "sin (x)", false, "sin", '(', false},
        {__LINE__, "U(x)", false, "U", '(', false},
        {__LINE__, "u(x)", false, "u", '*', true},
        {__LINE__, "D(y,x)", false, "D", '(', false},
        {__LINE__, "d(y)", false, "d", '*', true},
        {__LINE__, "EQUAL(a,b)", false, "EQUAL", '(', false},
        {__LINE__, "equal(a,b)", false, "equal", '*', true},
        {__LINE__, "ELSE(x)", true, "ELSE", '(', false},
        {__LINE__, "x1'[a]\"b\"?\x9C\x9F\xA2\xF0+", false, "x1'[a]\"b\"?\x9C\x9F\xA2\xF0", '+',
         false},
        {__LINE__, "abc   \n  = 1", false, "abc", '=', false},
        {__LINE__, "abc", false, "abc", Lexer::kEnd, false},
    };
    for (const WordCase& c : cases) {
        Reader r(c.text);
        int next = 0;
        const int first = r.lexer.nextChar();
        EXPECT_EQ(r.lexer.readWord(first, next, c.keyword), c.word) << "case at line " << c.line;
        EXPECT_EQ(next, c.next) << "case at line " << c.line;
        EXPECT_EQ(r.lexer.impliedProduct(), c.implied) << "case at line " << c.line;
        if (c.implied) {
            EXPECT_EQ(r.lexer.nextSignificant(), '(') << "case at line " << c.line;
        }
    }
}

TEST(Lexer, WordKeepsAtMost255Characters)
{
    const std::string longWord(300, 'k');
    Reader r(longWord + ";");
    int next = 0;
    EXPECT_EQ(r.lexer.readWord(r.lexer.nextChar(), next), std::string(255, 'k'));
    EXPECT_EQ(next, ';');
}

struct NumberCase {
    int line;
    std::string text;
    double value;
    int next;
    std::string recent;
    bool error = false;
};

TEST(Lexer, Numbers)
{
    const std::vector<NumberCase> cases{
        {__LINE__, "2.5E-3;", 0.0025, ';', "2.5E-3"},
        {__LINE__, "2.5e+3;", 2500, ';', "2.5e+3"},
        {__LINE__, "2.5.3", 2.5, '.', "2.5"},
        {__LINE__, "1 2", 1, '2', "1"},
        {__LINE__, "1{c}2", 1, '2', "c"}, // the comment came after the number
        {__LINE__, "7-1", 7, '-', "7"},
        {__LINE__, "90\xB0;", 1.5707963267950003, ';', "90"},
        {__LINE__, "2\xF0;", 2 * 3.14159265359, ';', "2"},
        {__LINE__, "180\xB0\xF0;", 180 * 3.14159265359 * 0.005555555555555556 * 3.14159265359, ';',
         "180"},
        {__LINE__, ".5)", 0.5, ')', ".5"},
        {__LINE__, "-.5*", -0.5, '*', "-.5"},
        {__LINE__, "2x", 2, '*', "2"},
        {__LINE__, "2 x", 2, '*', "2"},
        {__LINE__, "3(x+1)", 3, '*', "3"},
        {__LINE__, "2 THEN", 2, 'T', "2"},
        {__LINE__, "2 ELSE", 2, 'E', "2"},
        {__LINE__, "1e", 0, Lexer::kEnd, "1e", true},
        {__LINE__, "+;", 0, ';', "+", true},
        {__LINE__, std::string(300, '1'), 0, Lexer::kEnd, std::string(33, '1'), true},
    };
    for (const NumberCase& c : cases) {
        Reader r(c.text);
        int next = 0;
        const int first = r.lexer.nextChar();
        EXPECT_EQ(r.lexer.readNumber(first, next), c.value) << "case at line " << c.line;
        EXPECT_EQ(next, c.next) << "case at line " << c.line;
        EXPECT_EQ(r.lexer.recentWord(), c.recent) << "case at line " << c.line;
        EXPECT_EQ(r.state.errorMessage, c.error ? "Numeric Format Error" : "")
            << "case at line " << c.line;
        EXPECT_EQ(r.state.abort, c.error) << "case at line " << c.line;
    }
}

TEST(Lexer, ParseErrorRoutine)
{
    Reader r("abc");
    r.lexer.nextChar();
    r.lexer.nextChar();
    r.lexer.error(std::string(300, 'm'));
    EXPECT_EQ(r.state.errorMessage, std::string(255, 'm'));
    EXPECT_EQ(r.state.errorPosition, 2);
    EXPECT_TRUE(r.state.abort);
    EXPECT_TRUE(r.reporter.runError);
    EXPECT_EQ(r.host.log, "\n" + std::string(255, 'm') + "<BEEP>\nError ...");
}

TEST(Lexer, OnlyTheFirstSourceIsCounted)
{
    Reader r("ab");
    r.lexer.nextChar();
    r.lexer.pushSource(std::string_view("xyz"));
    EXPECT_EQ(r.lexer.nextChar(), 'x');
    r.lexer.popSource();
    EXPECT_EQ(r.lexer.nextChar(), 'b');
    EXPECT_EQ(r.lexer.count(), 2);
}

} // namespace
