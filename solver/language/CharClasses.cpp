// The class table, built at compile time from the member lists of each class.
#include "CharClasses.h"

#include "Symbols.h"

#include <initializer_list>

namespace varnel {

namespace {

using Table = std::array<std::uint8_t, 256>;

constexpr void mark(Table& t, std::initializer_list<unsigned> bytes, std::uint8_t flag)
{
    for (unsigned b : bytes)
        t[b] = static_cast<std::uint8_t>(t[b] | flag);
}

constexpr void markRange(Table& t, unsigned first, unsigned last, std::uint8_t flag)
{
    for (unsigned b = first; b <= last; ++b)
        t[b] = static_cast<std::uint8_t>(t[b] | flag);
}

constexpr Table buildTable()
{
    using namespace charclass;
    Table t{};

    // Blanks: tab, line feed, carriage return, space and three symbol-font blanks.
    mark(t, {0x09, 0x0A, 0x0D, 0x20, 0xB1, 0xB2, 0xDB}, Blank);

    // Name starts: ASCII letters, "_" and the letters of the symbol fonts.
    markRange(t, 'a', 'z', NameStart);
    markRange(t, 'A', 'Z', NameStart);
    mark(t, {'_',  0x8A, 0xC3, 0xC4, 0xC8, 0xCB, 0xCE, 0xD0, 0xD3, 0xD6, 0xD8,
             0xD9, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xEB, 0xEC,
             0xED, 0xEE, 0xF1, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9},
         NameStart);

    markRange(t, '0', '9', Digit);

    // Word characters: name starts, digits, brackets, quotes, "?", and four symbols
    // (0xA2 is the elimination mark, 0xF0 the sign of pi).
    for (unsigned b = 0; b < 256; ++b)
        if ((t[b] & (NameStart | Digit)) != 0)
            t[b] = static_cast<std::uint8_t>(t[b] | Word);
    mark(t,
         {'[', ']', '\'', '"', '?', 0x9C, symbol::PolarMark, symbol::EliminationMark, symbol::Pi},
         Word);

    markRange(t, '0', '9', Number);
    mark(t, {'.', 'E', 'e', '+', '-'}, Number);

    // Relation signs: "=", "<", ">", the starting-value sign 0xBB, the elimination
    // sign 0x85, and 0xF2, 0xF3.
    mark(t,
         {'=', '<', '>', symbol::StartingValueRelation, symbol::EliminationRelation,
          symbol::AtLeastRelation, symbol::AtMostRelation},
         Relation);

    // Factor starts: the word class (which holds the digits) and the prefix signs.
    for (unsigned b = 0; b < 256; ++b)
        if ((t[b] & Word) != 0)
            t[b] = static_cast<std::uint8_t>(t[b] | FactorStart);
    mark(t, {'+', '-', '.', '%', '?', '<', '>', '@', symbol::Degree, symbol::ImaginaryUnit},
         FactorStart);

    return t;
}

} // namespace

const std::array<std::uint8_t, 256> kCharClasses = buildTable();

} // namespace varnel
