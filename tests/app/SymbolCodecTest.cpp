// Tests of the byte/character table of equation files: every byte survives a round trip,
// the palette's symbols show as their signs, and characters without a byte are refused with
// their position instead of being replaced.
#include "SymbolCodec.h"

#include <gtest/gtest.h>

#include <set>

using namespace varnel;

TEST(SymbolCodec, EveryByteHasItsOwnCharacterAndComesBack)
{
    std::set<char32_t> seen;
    for (int b = 0; b < 256; ++b) {
        const char32_t c = symbolForByte(static_cast<unsigned char>(b));
        EXPECT_TRUE(seen.insert(c).second) << "byte " << b << " shares its character";
        auto back = byteForSymbol(c);
        ASSERT_TRUE(back.has_value()) << "byte " << b;
        EXPECT_EQ(*back, b);
    }
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const EncodeResult again = encodeEquationText(decodeEquationBytes(all));
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(again.bytes, all);
}

TEST(SymbolCodec, SymbolBytesShowTheirSigns)
{
    const struct {
        unsigned char byte;
        char32_t shown;
    } cases[] = {
        {0xE1, U'α'}, {0xF0, U'π'}, {0xB0, U'°'},  {0xBB, U'≈'}, {0x85, U'≔'},
        {0xA2, U'⊗'}, {0xDF, U'ȷ'}, {0xC4, U'Δ'},  {0xD9, U'Ω'}, {0x9F, U'∠'},
        {'@', U'@'},  {'A', U'A'},  {'\n', U'\n'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(symbolForByte(c.byte), c.shown) << std::hex << int(c.byte);
}

TEST(SymbolCodec, CharacterWithoutByteIsRefusedWithItsPlace)
{
    // "á" is Latin-1 0xE1, but that byte is alpha here; the CJK sign has no byte at all.
    const struct {
        std::u32string text;
        std::size_t line, column;
        const char* message;
    } cases[] = {
        {U"x = 1;\ny = á;", 2, 5,
         "The character \"á\" (U+00E1) at line 2, column 5 cannot be stored in an equation file."},
        {U"水", 1, 1,
         "The character \"水\" (U+6C34) at line 1, column 1 cannot be stored in an equation file."},
        {U"a\n\n\tβ»", 3, 3,
         "The character \"»\" (U+00BB) at line 3, column 3 cannot be stored in an equation file."},
    };
    for (const auto& c : cases) {
        const EncodeResult r = encodeEquationText(c.text);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.bytes.empty());
        EXPECT_EQ(r.badLine, c.line);
        EXPECT_EQ(r.badColumn, c.column);
        EXPECT_EQ(r.message, c.message);
    }
}
