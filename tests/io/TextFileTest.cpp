// Tests of the text-file layer: field formats of the write operations, formatted
// writing and reading, line and number reading with look-ahead and pushback, reopening,
// and the I/O results and standard-error messages of failures.
#include "TextFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <locale.h>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace varnel {
namespace {

namespace fs = std::filesystem;

class TextFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                ("varnel-textfile-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        TextFile::setQuiet(false);
    }
    void TearDown() override
    {
        TextFile::setQuiet(false);
        fs::remove_all(m_dir);
    }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    std::string make(const std::string& name, const std::string& content) const
    {
        std::ofstream(path(name), std::ios::binary) << content;
        return path(name);
    }

    static std::string slurp(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    /// What `write` puts into a fresh file.
    std::string written(const std::function<void(TextFile&)>& write) const
    {
        TextFile f;
        EXPECT_TRUE(f.openWrite(path("out.txt")));
        write(f);
        EXPECT_EQ(f.result(), 0);
        f.close();
        return slurp(path("out.txt"));
    }

    fs::path m_dir;
};

constexpr int kNone = TextFile::kNone;

struct WriteCase {
    const char* what;
    std::function<void(TextFile&)> write;
    const char* expected;
};

TEST_F(TextFileTest, WriteOperationsUseTheirFieldFormats)
{
    const WriteCase cases[] = {
        {"real width 10 digits 3", [](TextFile& f) { f.writeReal(3.14159, 10, 3); }, "     3.142"},
        {"real no width", [](TextFile& f) { f.writeReal(3.14159); }, " 3.14159"},
        {"negative real no width", [](TextFile& f) { f.writeReal(-2.5); }, "-2.5"},
        {"large real no width", [](TextFile& f) { f.writeReal(1e20); }, " 1E+20"},
        {"real width only", [](TextFile& f) { f.writeReal(1.5, 14); }, "  1.500000E+00"},
        {"real negative digits", [](TextFile& f) { f.writeReal(1234.5, 12, -3); }, "   1.234E+03"},
        {"real digits 0", [](TextFile& f) { f.writeReal(2.5, 4, 0); }, "   2"},
        {"real digits without width", [](TextFile& f) { f.writeReal(0.125, kNone, 2); }, "0.12"},
        {"integer no width", [](TextFile& f) { f.writeInteger(42); }, "     42"},
        {"integer wider than 7", [](TextFile& f) { f.writeInteger(-12345678); }, "-12345678"},
        {"integer width 3", [](TextFile& f) { f.writeInteger(42, 3); }, " 42"},
        {"integer width 0", [](TextFile& f) { f.writeInteger(-42, 0); }, "-42"},
        {"integer octal", [](TextFile& f) { f.writeInteger(42, -4); }, "  52"},
        {"boolean true", [](TextFile& f) { f.writeBoolean(true); }, " TRUE"},
        {"boolean false", [](TextFile& f) { f.writeBoolean(false); }, "FALSE"},
        {"boolean true width 6", [](TextFile& f) { f.writeBoolean(true, 6); }, "  TRUE"},
        {"boolean false width 2", [](TextFile& f) { f.writeBoolean(false, 2); }, "FALSE"},
        {"string", [](TextFile& f) { f.writeString("abc"); }, "abc"},
        {"string width 5", [](TextFile& f) { f.writeString("abc", 5); }, "  abc"},
        {"string width -5", [](TextFile& f) { f.writeString("abc", -5); }, "abc  "},
        {"string view stops at its length",
         [](TextFile& f) { f.writeString(std::string_view("abcdef", 2)); }, "ab"},
        {"character", [](TextFile& f) { f.writeChar('x'); }, "x"},
        {"character width 3", [](TextFile& f) { f.writeChar('x', 3); }, "  x"},
        {"byte above 127", [](TextFile& f) { f.writeChar(static_cast<char>(0xBB)); }, "\xBB"},
        {"line end", [](TextFile& f) { f.writeLineEnd(); }, "\n"},
    };
    for (const WriteCase& c : cases)
        EXPECT_EQ(written(c.write), c.expected) << c.what;
}

TEST_F(TextFileTest, FormattedWriteTakesWidthsFromTheDirectiveOrTheValues)
{
    const WriteCase cases[] = {
        {"integers", [](TextFile& f) { f.formattedWrite("%d|%5d|%-4d", 7, 42, 42); },
         "      7|   42|  52"},
        {"fixed", [](TextFile& f) { f.formattedWrite("%10.3f", 3.14159); }, "     3.142"},
        {"stars", [](TextFile& f) { f.formattedWrite("%*.*f", 10, 3, 3.14159); }, "     3.142"},
        {"negative digits", [](TextFile& f) { f.formattedWrite("%8.-2e", 1234.5); }, "1.23E+03"},
        {"letter does not choose the form", [](TextFile& f) { f.formattedWrite("%e", 1.0); }, " 1"},
        {"booleans", [](TextFile& f) { f.formattedWrite("%b %6b", 1, 0); }, " TRUE  FALSE"},
        {"text and percent", [](TextFile& f) { f.formattedWrite("%s=%c%%\n", "x", 'y'); },
         "x=y%\n"},
        {"string width and length", [](TextFile& f) { f.formattedWrite("[%6.2s]", "abcdef"); },
         "[    ab]"},
        {"long integer", [](TextFile& f) { f.formattedWrite("%ld", 1234567890123L); },
         "1234567890123"},
        {"unknown directive", [](TextFile& f) { f.formattedWrite("%q%d", 5); }, "%q      5"},
    };
    for (const WriteCase& c : cases)
        EXPECT_EQ(written(c.write), c.expected) << c.what;
}

TEST_F(TextFileTest, FormattedReadReadsBackWhatFormattedWriteWrote)
{
    const std::string file = path("round.txt");
    TextFile out;
    ASSERT_TRUE(out.openWrite(file));
    out.formattedWrite("%d %12.6f\n%s|%c\n%3b\n", -17, 2.5, "ab", 'z', 1);
    out.close();
    ASSERT_EQ(slurp(file), "    -17     2.500000\nab|z\nTRUE\n");

    TextFile in;
    ASSERT_TRUE(in.openRead(file));
    int n = 0;
    double x = 0.0;
    char text[3] = {'#', '#', '#'};
    char c = 0;
    in.formattedRead("%d %lf\n%2s|%c\n", &n, &x, text, &c);
    EXPECT_EQ(in.result(), 0);
    EXPECT_EQ(n, -17);
    EXPECT_EQ(x, 2.5);
    EXPECT_EQ(std::string(text, 2), "ab");
    EXPECT_EQ(text[2], '#'); // exactly the given length, no terminator
    EXPECT_EQ(c, 'z');
    char word[6];
    in.formattedRead("%6s", word);
    EXPECT_EQ(std::string(word, 6), "TRUE  ");
}

TEST_F(TextFileTest, FormattedReadStopsAtTheFirstMismatch)
{
    TextFile f;
    f.suppressMessages = true;
    ASSERT_TRUE(f.openRead(make("in.txt", "1;2")));
    int a = 0;
    int b = 99;
    f.formattedRead("%d,%d", &a, &b);
    EXPECT_EQ(f.result(), TextFile::kFormatError);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 99);
    EXPECT_EQ(f.readChar(), ';'); // the mismatched character stays unread
    f.formattedRead("%d%d", &a, &b);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(f.result(), TextFile::kEndOfFile);
}

TEST_F(TextFileTest, ReadLineHonoursCapacityAndLeavesTheLineFeed)
{
    TextFile f;
    ASSERT_TRUE(f.openRead(make("in.txt", "0123456789\n\nab\nlast")));
    char buffer[16];
    EXPECT_EQ(f.readLine(buffer, 5), 5u);
    EXPECT_EQ(std::string(buffer, 5), "01234");
    EXPECT_EQ(f.readLine(buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "56789");
    EXPECT_EQ(f.readChar(), '\n');
    EXPECT_EQ(f.readLine(buffer, sizeof buffer), 0u); // empty line
    EXPECT_EQ(f.result(), 0);
    f.skipLine();
    EXPECT_EQ(f.readLine(buffer, 8, true), 8u);
    EXPECT_EQ(std::string(buffer, 8), "ab      ");
    f.skipLine();
    EXPECT_EQ(f.readLine(buffer, sizeof buffer), 4u); // last line without a line feed
    EXPECT_STREQ(buffer, "last");
    EXPECT_EQ(f.result(), 0);
    f.suppressMessages = true;
    EXPECT_EQ(f.readLine(buffer, sizeof buffer), 0u);
    EXPECT_EQ(f.result(), TextFile::kEndOfFile);
    EXPECT_TRUE(f.eof());
}

TEST_F(TextFileTest, SkipLineFailsWhenTheFileEndsFirst)
{
    TextFile f;
    f.suppressMessages = true;
    ASSERT_TRUE(f.openRead(make("in.txt", "ab\ncd")));
    f.skipLine();
    EXPECT_EQ(f.result(), 0);
    EXPECT_EQ(f.readChar(), 'c');
    f.skipLine();
    EXPECT_EQ(f.result(), TextFile::kEndOfFile);
}

struct NumberCase {
    const char* content;
    bool real;
    double value;
    int result;
    long count;
};

TEST_F(TextFileTest, ReadIntegerAndRealSkipBlanksAndLineEnds)
{
    const NumberCase cases[] = {
        {"  12\n", false, 12, 0, 4},
        {"\n\n  -7 x", false, -7, 0, 6},
        {"+5", false, 5, 0, 2},
        {" 3.5e2", true, 350, 0, 6},
        {"\t.5\n", true, 0.5, 0, 3},
        {"-0.25", true, -0.25, 0, 5},
        {"x1", false, 0, TextFile::kFormatError, 0},
        {"  x1", true, 0, TextFile::kFormatError, 2},
        {"99999999999", false, 0, TextFile::kFormatError, 11},
        {"  \n  ", false, 0, TextFile::kEndOfFile, 0},
        {"", true, 0, TextFile::kEndOfFile, 0},
    };
    for (const NumberCase& c : cases) {
        TextFile f;
        f.suppressMessages = true;
        ASSERT_TRUE(f.openRead(make("n.txt", c.content)));
        const double value = c.real ? f.readReal() : f.readInteger();
        EXPECT_EQ(value, c.value) << c.content;
        EXPECT_EQ(f.result(), c.result) << c.content;
        if (c.result != TextFile::kEndOfFile) {
            EXPECT_EQ(f.count, c.count) << c.content;
        }
    }
}

TEST_F(TextFileTest, NumbersFollowTheLookAheadAndThePushback)
{
    TextFile f;
    ASSERT_TRUE(f.openRead(make("in.txt", "12 34 56 x")));
    EXPECT_EQ(f.readChar(), '1');
    f.giveBack('1');
    EXPECT_EQ(f.readInteger(), 12);
    EXPECT_FALSE(f.eof()); // loads the blank as look-ahead
    EXPECT_EQ(f.readInteger(), 34);
    EXPECT_EQ(f.readChar(), ' ');
    EXPECT_EQ(f.readChar(), '5');
    EXPECT_FALSE(f.eof()); // look-ahead '6' and pushback '5' together
    f.giveBack('5');
    EXPECT_EQ(f.readReal(), 56.0);
    EXPECT_EQ(f.count, 8);
    EXPECT_EQ(f.readChar(), ' ');
    EXPECT_EQ(f.readChar(), 'x');
}

TEST_F(TextFileTest, GiveBackAndCount)
{
    TextFile f;
    ASSERT_TRUE(f.openRead(make("in.txt", "ab\xBB"
                                          "c")));
    EXPECT_EQ(f.readChar(), 'a');
    EXPECT_EQ(f.readChar(), 'b');
    EXPECT_EQ(f.count, 2);
    f.giveBack('b');
    EXPECT_EQ(f.count, 1);
    EXPECT_EQ(f.readChar(), 'b');
    f.giveBack('b');
    f.giveBack('a'); // a second character given back is not lost
    EXPECT_EQ(f.count, 0);
    EXPECT_EQ(f.readChar(), 'a');
    EXPECT_EQ(f.readChar(), 'b');
    EXPECT_EQ(f.readChar(), 0xBB); // bytes above 127 are not negative
    f.giveBack(static_cast<char>(0xBB));
    EXPECT_EQ(f.readChar(), 0xBB);
    EXPECT_EQ(f.readChar(), 'c');
    EXPECT_EQ(f.count, 4);
    f.suppressMessages = true;
    EXPECT_EQ(f.readChar(), EOF);
    f.giveBack(EOF); // nothing was read, nothing is given back
    EXPECT_EQ(f.count, 4);
    EXPECT_EQ(f.readChar(), EOF);
}

TEST_F(TextFileTest, EofLooksAheadWithoutConsuming)
{
    TextFile f;
    ASSERT_TRUE(f.openRead(make("empty.txt", "")));
    EXPECT_TRUE(f.eof());
    EXPECT_EQ(f.result(), 0);
    ASSERT_TRUE(f.openRead(make("one.txt", "a")));
    EXPECT_FALSE(f.eof());
    EXPECT_FALSE(f.eof());
    EXPECT_EQ(f.count, 0);
    EXPECT_EQ(f.readChar(), 'a');
    EXPECT_TRUE(f.eof());
    f.giveBack('a');
    EXPECT_FALSE(f.eof());
}

TEST_F(TextFileTest, ReadingPastTheEndReportsWithTheFileName)
{
    const std::string file = make("in.txt", "a");
    TextFile f;
    ASSERT_TRUE(f.openRead(file));
    EXPECT_EQ(f.readChar(), 'a');
    testing::internal::CaptureStderr();
    EXPECT_EQ(f.readChar(), EOF);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "IO: access beyond end of file '" + file + "'\n");
    EXPECT_EQ(f.result(), TextFile::kEndOfFile);
    EXPECT_EQ(TextFile::lastResult(), TextFile::kEndOfFile);

    f.suppressMessages = true;
    testing::internal::CaptureStderr();
    f.readChar();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    f.suppressMessages = false;
    TextFile::setQuiet(true);
    testing::internal::CaptureStderr();
    f.readInteger();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(f.result(), TextFile::kEndOfFile);
    TextFile::setQuiet(false);

    ASSERT_TRUE(f.openRead(make("bad.txt", "?")));
    testing::internal::CaptureStderr();
    f.readReal();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "IO: input format error in file '" + path("bad.txt") + "'\n");
    EXPECT_EQ(f.result(), TextFile::kFormatError);

    TextFile other;
    ASSERT_TRUE(other.openRead(file));
    EXPECT_EQ(TextFile::lastResult(), 0); // mirrors the last operation on any file
}

TEST_F(TextFileTest, ReopeningRewindsOrTruncates)
{
    const std::string first = make("first.txt", "ab");
    const std::string second = make("second.txt", "xy");
    TextFile f;
    ASSERT_TRUE(f.openRead(first));
    EXPECT_EQ(f.readChar(), 'a');
    EXPECT_FALSE(f.eof());
    ASSERT_TRUE(f.openRead(first));
    EXPECT_EQ(f.count, 0);
    EXPECT_EQ(f.readChar(), 'a');
    ASSERT_TRUE(f.openRead(second)); // another name opens that file
    EXPECT_EQ(f.readChar(), 'x');

    const std::string out = path("out.txt");
    ASSERT_TRUE(f.openWrite(out));
    f.writeString("hello");
    ASSERT_TRUE(f.openWrite(out));
    f.writeString("hi");
    ASSERT_TRUE(f.openRead(out)); // written data is read back
    char line[8];
    EXPECT_EQ(f.readLine(line, sizeof line), 2u);
    EXPECT_STREQ(line, "hi");
    f.close();
    EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(f.name(), "");
    f.close(); // harmless
    EXPECT_EQ(slurp(out), "hi");
}

TEST_F(TextFileTest, FilesThatCannotBeOpenedOrAreNotOpenSetAResult)
{
    const std::string missing = path("no-such-folder/out.txt");
    TextFile f;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(f.openWrite(missing));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "IO: file '" + missing + "' " + std::strerror(ENOENT) + "\n");
    EXPECT_EQ(f.result(), ENOENT);
    EXPECT_FALSE(f.isOpen());
    EXPECT_FALSE(fs::exists(m_dir / "no-such-folder"));

    f.suppressMessages = true;
    EXPECT_FALSE(f.openRead(missing));
    EXPECT_EQ(f.result(), ENOENT);
    f.writeInteger(1);
    EXPECT_EQ(f.result(), EBADF);
    f.formattedWrite("%d", 1);
    EXPECT_EQ(f.result(), EBADF);
    f.flush();
    EXPECT_EQ(f.result(), EBADF);

    TextFile never;
    testing::internal::CaptureStderr();
    EXPECT_EQ(never.readChar(), EOF);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string("IO: file 'input' ") + std::strerror(EBADF) + "\n");
    never.suppressMessages = true;
    char buffer[4];
    EXPECT_EQ(never.readLine(buffer, sizeof buffer), 0u);
    EXPECT_EQ(never.readInteger(), 0);
    EXPECT_TRUE(never.eof());
    EXPECT_EQ(never.result(), EBADF);

    TextFile reader; // a file open for reading takes no writes
    reader.suppressMessages = true;
    ASSERT_TRUE(reader.openRead(make("in.txt", "a")));
    reader.writeLineEnd();
    EXPECT_EQ(reader.result(), EBADF);
    EXPECT_EQ(slurp(path("in.txt")), "a");
}

TEST_F(TextFileTest, WriteErrorsBecomeTheResult)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    TextFile f;
    f.suppressMessages = true;
    ASSERT_TRUE(f.openWrite("/dev/full"));
    f.writeString(std::string(1 << 16, 'x'));
    EXPECT_EQ(f.result(), ENOSPC);
    f.writeChar('x');
    EXPECT_EQ(f.result(), ENOSPC); // the stream's error state stays

    ASSERT_TRUE(f.openWrite("/dev/full"));
    f.writeChar('x');
    EXPECT_EQ(f.result(), 0); // still in the buffer
    f.flush();
    EXPECT_EQ(f.result(), ENOSPC);

    ASSERT_TRUE(f.openWrite("/dev/full"));
    f.writeLineEnd();
    f.close();
    EXPECT_EQ(f.result(), ENOSPC);
}

TEST_F(TextFileTest, ProductsReplaceTheirNameOnlyWhenClosedWithoutError)
{
    auto entries = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::string table = make("t.PRN", "old\n");
    const std::string victim = make("victim", "precious\n");
    fs::create_symlink(victim, path("link.PRN"));

    struct Case {
        const char* what;
        std::string name;
        bool commit;
        std::string expected; // the name's content afterwards
    };
    const Case cases[] = {
        {"committed over an old file", table, true, "new\n"},
        {"discarded: the old file stays", table, false, "new\n"},
        {"committed over a link: the link is replaced", path("link.PRN"), true, "new\n"},
        {"committed where nothing was", path("fresh.PRN"), true, "new\n"},
    };
    for (const Case& c : cases) {
        const std::string before = fs::exists(c.name) ? slurp(c.name) : "";
        TextFile f;
        ASSERT_TRUE(f.openProduct(c.name)) << c.what;
        EXPECT_TRUE(f.isProduct());
        f.writeString("new");
        f.writeLineEnd();
        f.flush();
        EXPECT_EQ(fs::exists(c.name) ? slurp(c.name) : "", before)
            << c.what << ": replaced too early";
        if (c.commit)
            f.close();
        else
            f.discard();
        EXPECT_EQ(f.result(), 0) << c.what;
        EXPECT_EQ(slurp(c.name), c.commit ? c.expected : before) << c.what;
    }
    EXPECT_FALSE(fs::is_symlink(path("link.PRN")));
    EXPECT_EQ(slurp(victim), "precious\n");
    // No temporary file is left behind, whatever happened to the product.
    {
        TextFile dropped;
        ASSERT_TRUE(dropped.openProduct(path("dropped.PRN")));
        dropped.writeString("never seen");
    }
    EXPECT_EQ(entries(), (std::vector<std::string>{"fresh.PRN", "link.PRN", "t.PRN", "victim"}));

    TextFile nowhere;
    nowhere.suppressMessages = true;
    EXPECT_FALSE(nowhere.openProduct(path("no-such-folder/x.PRN")));
    EXPECT_EQ(nowhere.result(), ENOENT);
}

TEST_F(TextFileTest, NumbersUseThePointWhateverTheThreadLocale)
{
    locale_t comma = locale_t{};
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"}) {
        comma = newlocale(LC_ALL_MASK, name, locale_t{});
        if (comma != locale_t{})
            break;
    }
    if (comma == locale_t{})
        GTEST_SKIP() << "no locale with a decimal comma installed";
    const locale_t previous = uselocale(comma);
    const std::string text = written([](TextFile& f) { f.writeReal(3.14159, 10, 3); });
    TextFile in;
    ASSERT_TRUE(in.openRead(make("in.txt", "2.5 ")));
    const double x = in.readReal();
    uselocale(previous);
    freelocale(comma);
    EXPECT_EQ(text, "     3.142");
    EXPECT_EQ(x, 2.5);
}

} // namespace
} // namespace varnel
