// Byte-to-character table of the equation files and the encoding in both directions.
// The palette symbols map to their Greek letters and signs, the other bytes from 0xA0 up to
// the Latin-1 character of the same number, the ones from 0x80 to 0x9F to the usual
// typographic characters of that range, and the few bytes left to private-use characters.
#include "SymbolCodec.h"

#include <array>
#include <cstdio>
#include <unordered_map>

namespace varnel {

namespace {

// Characters of bytes 0x80..0xFF. Private-use characters U+F0xx stand for the bytes that
// no font knows; they show as boxes and still keep their byte.
constexpr std::array<char32_t, 128> kHighTable = {
    // 0x80
    U'\u20AC',
    U'\uF081',
    U'\u201A',
    U'\u0192',
    U'\u201E',
    U'\u2254',
    U'\u2020',
    U'\u2021',
    U'\u02C6',
    U'\u2030',
    U'\u03B6',
    U'\u2039',
    U'\u0152',
    U'\uF08D',
    U'\u017D',
    U'\uF08F',
    // 0x90
    U'\uF090',
    U'\u2018',
    U'\u2019',
    U'\u201C',
    U'\u201D',
    U'\u2022',
    U'\u2013',
    U'\u2014',
    U'\u02DC',
    U'\u2122',
    U'\u0161',
    U'\u203A',
    U'\u0153',
    U'\uF09D',
    U'\u017E',
    U'\u2220',
    // 0xA0
    U'\u00A0',
    U'\u00A1',
    U'\u2297',
    U'\u00A3',
    U'\u00A4',
    U'\u00A5',
    U'\u00A6',
    U'\u00A7',
    U'\u00A8',
    U'\u00A9',
    U'\u00AA',
    U'\u00AB',
    U'\u00AC',
    U'\u00AD',
    U'\u00AE',
    U'\u00AF',
    // 0xB0
    U'\u00B0',
    U'\u00B1',
    U'\u00B2',
    U'\u00B3',
    U'\u00B4',
    U'\u00B5',
    U'\u00B6',
    U'\u00B7',
    U'\u00B8',
    U'\u00B9',
    U'\u00BA',
    U'\u2248',
    U'\u00BC',
    U'\u00BD',
    U'\u00BE',
    U'\u00BF',
    // 0xC0
    U'\u00C0',
    U'\u00C1',
    U'\u00C2',
    U'\u0393',
    U'\u0394',
    U'\u00C5',
    U'\u00C6',
    U'\u00C7',
    U'\u0398',
    U'\u00C9',
    U'\u00CA',
    U'\u039B',
    U'\u00CC',
    U'\u00CD',
    U'\u03A3',
    U'\u00CF',
    // 0xD0
    U'\u03A0',
    U'\u00D1',
    U'\u00D2',
    U'\u2211',
    U'\u00D4',
    U'\u00D5',
    U'\u03A6',
    U'\u00D7',
    U'\u00D8',
    U'\u03A9',
    U'\u00DA',
    U'\u00DB',
    U'\u00DC',
    U'\u00DD',
    U'\u00DE',
    U'\u0237',
    // 0xE0
    U'\u00E0',
    U'\u03B1',
    U'\u03B2',
    U'\u03B3',
    U'\u03B4',
    U'\u03B7',
    U'\u03C8',
    U'\u03BD',
    U'\u03B8',
    U'\u00E9',
    U'\u00EA',
    U'\u03BB',
    U'\u03BC',
    U'\u03B5',
    U'\u03BE',
    U'\u00EF',
    // 0xF0
    U'\u03C0',
    U'\u03C1',
    U'\u00F2',
    U'\u03C3',
    U'\u03C4',
    U'\u03C5',
    U'\u03C6',
    U'\u03C7',
    U'\u03D5',
    U'\u03C9',
    U'\u00FA',
    U'\u00FB',
    U'\u00FC',
    U'\u00FD',
    U'\u00FE',
    U'\u00FF',
};

const std::unordered_map<char32_t, unsigned char>& reverseTable()
{
    static const std::unordered_map<char32_t, unsigned char> table = [] {
        std::unordered_map<char32_t, unsigned char> t;
        for (std::size_t i = 0; i < kHighTable.size(); ++i)
            t.emplace(kHighTable[i], static_cast<unsigned char>(0x80 + i));
        return t;
    }();
    return table;
}

} // namespace

char32_t symbolForByte(unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    return kHighTable[byte - 0x80];
}

std::optional<unsigned char> byteForSymbol(char32_t symbol)
{
    if (symbol < 0x80)
        return static_cast<unsigned char>(symbol);
    const auto& table = reverseTable();
    auto found = table.find(symbol);
    if (found == table.end())
        return std::nullopt;
    return found->second;
}

std::u32string decodeEquationBytes(std::string_view bytes)
{
    std::u32string text;
    text.reserve(bytes.size());
    for (char c : bytes)
        text.push_back(symbolForByte(static_cast<unsigned char>(c)));
    return text;
}

EncodeResult encodeEquationText(std::u32string_view text)
{
    EncodeResult result;
    result.bytes.reserve(text.size());
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto byte = byteForSymbol(text[i]);
        if (!byte) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(text[i]));
            result.ok = false;
            result.bytes.clear();
            result.badSymbol = text[i];
            result.badIndex = i;
            result.badLine = line;
            result.badColumn = column;
            result.message = "The character \"" + utf8(text[i]) + "\" (" + code + ") at line " +
                             std::to_string(line) + ", column " + std::to_string(column) +
                             " cannot be stored in an equation file.";
            return result;
        }
        result.bytes.push_back(static_cast<char>(*byte));
        if (text[i] == U'\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return result;
}

std::string utf8(char32_t c)
{
    std::string out;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    return out;
}

} // namespace varnel
