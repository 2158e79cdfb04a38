// libFuzzer target for the power-flow generator: arbitrary bytes as a Common Data
// Format file, converted to an equation file. A conversion must fail with a message or
// write equation text whose statements are well formed; anything else traps.
#include "PowerFlowGenerator.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

const std::filesystem::path& scratch()
{
    static const std::filesystem::path folder = [] {
        std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("varnel-cdf-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool isNameChar(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

/// The statements outside comments: only names, numbers, + - * ( ) and one relation
/// sign, parentheses balanced and never empty, numbers short enough for the lexer.
void checkEquationText(const std::string& text)
{
    std::string code;
    bool inComment = false;
    for (char c : text) {
        if (c == '{') {
            check(!inComment);
            inComment = true;
        } else if (c == '}') {
            check(inComment);
            inComment = false;
        } else if (!inComment) {
            code += c;
        }
    }
    check(!inComment);
    check(!code.empty() && code.back() == '\n');
    std::istringstream lines(code);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty())
            continue;
        check(line.back() == ';');
        line.pop_back();
        int depth = 0, relations = 0;
        size_t run = 0;
        char previous = '=';
        for (char ch : line) {
            unsigned char c = static_cast<unsigned char>(ch);
            run = (isNameChar(c) || c == '.') ? run + 1 : 0;
            check(run <= 33);
            if (c == '(') {
                ++depth;
            } else if (c == ')') {
                check(previous != '(');
                check(--depth >= 0);
            } else if (c == '=' || c == 0xBB) {
                check(depth == 0);
                ++relations;
            } else {
                check(isNameChar(c) || c == '.' || c == '+' || c == '-' || c == '*');
            }
            previous = ch;
        }
        check(depth == 0 && relations == 1);
        check(line.front() != '=' && previous != '=' && previous != '\xBB');
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::filesystem::path input = scratch() / "input.CF";
    std::filesystem::path output = scratch() / "input.ALG";
    {
        std::ofstream file(input, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::error_code ec;
    std::filesystem::remove(output, ec);
    varnel::PowerFlowResult result = varnel::convertCdfFile(input.string(), output.string());
    check(!result.message.empty());
    if (result.ok) {
        std::ifstream file(output, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        checkEquationText(text.str());
    } else {
        check(!std::filesystem::exists(output, ec));
        // A field that is not a number is named by its line and column.
        if (result.message.find("is not a number") != std::string::npos)
            check(result.message.find(": line ") != std::string::npos &&
                  result.message.find(", column ") != std::string::npos);
    }
    return 0;
}
