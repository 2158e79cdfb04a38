// The palette tables, in the order of the buttons on their bars.
#include "PaletteTable.h"

#include <array>

namespace varnel {

namespace {

using K = InsertKind;

constexpr PaletteEntry kOperators[] = {
    {32780, "Plus", K::Text, "+", "+", ""},
    {32781, "Minus", K::Text, "-", "\u2212", ""},
    {32782, "Times", K::Character, "*", "\u00D7", ""},
    {32783, "Div", K::Text, "/", "/", ""},
    {32787, "Power", K::Text, "^", "x\u207F", ""},
    {32788, "Square root", K::Function, "SQRT()", "\u221A", ""},
    {32797, "Equal", K::Text, "=", "=", ""},
    {32795, "Less than", K::Character, "<", "<", ""},
    {32796, "Greater than", K::Character, ">", ">", ""},
    {32804, "INV", K::Function, "INV()", "1/x", ""},
    {32805, "SQUARE", K::Function, "SQUARE()", "x\u00B2", ""},
    {32784, "Logarithm", K::Function, "LN()", "ln", ""},
    {32803, "EXP", K::Function, "EXP()", "e\u02E3", ""},
    {32794, "IF THEN ELSE", K::Text, "IF  THEN   ELSE", "if", ""},
    {32776, "Sinus", K::Function, "SIN()", "sin", ""},
    {32777, "Cosinus", K::Function, "COS()", "cos", ""},
    {32778, "Tangens", K::Function, "TAN()", "tan", ""},
    {32789, "Arcus sinus", K::Function, "ARCSIN()", "asin", ""},
    {32791, "Arcus cosinus", K::Function, "ARCCOS()", "acos", ""},
    {32793, "Arcus tangens", K::Function, "ARCTAN()", "atan", ""},
    {32802, "ATAN2", K::Function, "ATAN2()", "atan2", ""},
    {32807, "REAL", K::Function, "REAL()", "Re", ""},
    {32808, "IMAG", K::Function, "IMAG()", "Im", ""},
    {32809, "CONJG", K::Function, "CONJG()", "z\u0305", ""},
    {32931, "Differentiate", K::Function, "D()", "d/dt", ""},
    {32799, "Comments", K::Function, "{}", "{ }", ""},
    {32801, "Brackets", K::Function, "()", "( )", ""},
    {32798, "End equation", K::Text, ";", ";", ""},
};

constexpr PaletteEntry kNumbers[] = {
    {32811, "1", K::Text, "1", "", ""}, {32812, "2", K::Text, "2", "", ""},
    {32813, "3", K::Text, "3", "", ""}, {32814, "4", K::Text, "4", "", ""},
    {32815, "5", K::Text, "5", "", ""}, {32816, "6", K::Text, "6", "", ""},
    {32817, "7", K::Text, "7", "", ""}, {32818, "8", K::Text, "8", "", ""},
    {32819, "9", K::Text, "9", "", ""}, {32820, "Comma", K::Text, ",", "", ""},
    {32810, "0", K::Text, "0", "", ""}, {32822, "Point", K::Text, ".", "", ""},
};

constexpr PaletteEntry kAlphabet[] = {
    {32825, "a", K::Text, "a", "", ""},   {32824, "b", K::Text, "b", "", ""},
    {32826, "c", K::Text, "c", "", ""},   {32827, "d", K::Text, "d", "", ""},
    {32828, "e", K::Text, "e", "", ""},   {32829, "f", K::Text, "f", "", ""},
    {32830, "g", K::Text, "g", "", ""},   {32831, "h", K::Text, "h", "", ""},
    {32832, "i", K::Text, "i", "", ""},   {32833, "j", K::Text, "j", "", ""},
    {32834, "k", K::Text, "k", "", ""},   {32835, "l", K::Text, "l", "", ""},
    {32836, "m", K::Text, "m", "", ""},   {32837, "n", K::Text, "n", "", ""},
    {32838, "o", K::Text, "o", "", ""},   {32839, "p", K::Text, "p", "", ""},
    {32840, "q", K::Text, "q", "", ""},   {32841, "r", K::Text, "r", "", ""},
    {32842, "s", K::Text, "s", "", ""},   {32843, "t", K::Text, "t", "", ""},
    {32844, "u", K::Text, "u", "", ""},   {32845, "v", K::Text, "v", "", ""},
    {32846, "w", K::Text, "w", "", ""},   {32847, "x", K::Text, "x", "", ""},
    {32848, "y", K::Text, "y", "", ""},   {32849, "z", K::Text, "z", "", ""},
    {32850, "PI", K::Text, "PI", "", ""},
};

constexpr PaletteEntry kSpecialFunctions[] = {
    {32866, "MAG", K::Function, "MAG()", "", ""},
    {32855, "ANGLE", K::Function, "ANGLE()", "", ""},
    {32856, "DELAY", K::Function, "DELAY()", "", ""},
    {32869, "LIM", K::Function, "LIM()", "", ""},
    {32868, "INTEGRAL", K::Function, "INT()", "INT", ""},
    {32867, "ERF", K::Function, "ERF()", "", ""},
    {32860, "BESSJ0", K::Function, "BESSJ0()", "", ""},
    {32861, "BESSJ1", K::Function, "BESSJ1()", "", ""},
    {32862, "BESSY0", K::Function, "BESSY0()", "", ""},
    {32863, "BESSY1", K::Function, "BESSY1()", "", ""},
    {32864, "GAMMLN", K::Function, "GAMMLN()", "", ""},
    {32865, "GAMMP", K::Function, "GAMMP()", "", ""},
};

constexpr PaletteEntry kGreek[] = {
    {0, "Alpha", K::Character, "\xE1", "", ""},
    {0, "Betha", K::Character, "\xE2", "", ""},
    {0, "Gamma", K::Character, "\xE3", "", ""},
    {0, "Deltha", K::Character, "\xE4", "", ""},
    {0, "Etha", K::Character, "\xE5", "", ""},
    {0, "Psi", K::Character, "\xE6", "", ""},
    {0, "Ni", K::Character, "\xE7", "", ""},
    {0, "Theta", K::Character, "\xE8", "", ""},
    {0, "Lambda", K::Character, "\xEB", "", ""},
    {0, "Mi", K::Character, "\xEC", "", ""},
    {0, "Ve", K::Character, "\xED", "", ""},
    {0, "Ksi", K::Character, "\xEE", "", ""},
    {0, "Pi", K::Character, "\xF0", "", "Alt+P"},
    {0, "Ro", K::Character, "\xF1", "", ""},
    {0, "De", K::Character, "\xF3", "", ""},
    {0, "U", K::Character, "\xF5", "", ""},
    {0, "Tau", K::Character, "\xF4", "", ""},
    {0, "Fi", K::Character, "\xF6", "", ""},
    {0, "Fi", K::Character, "\xF8", "", ""},
    {0, "Ksi", K::Character, "\xF7", "", ""},
    {0, "Omega", K::Character, "\xF9", "", ""},
    {0, "Ce", K::Character, "\x8A", "", ""},
    {0, "Delta", K::Character, "\xC4", "", ""},
    {0, "Fi", K::Character, "\xD6", "", ""},
    {0, "Gama", K::Character, "\xC3", "", ""},
    {0, "Lambda", K::Character, "\xCB", "", ""},
    {0, "Pi", K::Character, "\xD0", "", ""},
    {0, "Teta", K::Character, "\xC8", "", ""},
    {0, "Suma", K::Character, "\xD3", "", ""},
    {0, "Sigma", K::Character, "\xCE", "", ""},
    {0, "Fi", K::Character, "\xD8", "", ""},
    {0, "Omega", K::Character, "\xD9", "", ""},
    {0, "Eliminate", K::Character, "\xA2", "", ""},
    {0, "Complex j", K::Character, "\xDF", "", ""},
    {0, "Approx", K::Character, "\xBB", "", "Alt+0"},
    {0, "Reduce", K::Character, "\x85", "", "Alt+="},
    {0, "at Angle", K::Character, "@", "", ""},
    {0, "Degree", K::Character, "\xB0", "", "Ctrl+Alt+D"},
    {0, "Polar", K::Character, "\x9F", "", ""},
};

} // namespace

std::span<const PaletteEntry> paletteEntries(Palette palette)
{
    switch (palette) {
    case Palette::OperatorsAndFunctions:
        return kOperators;
    case Palette::Numbers:
        return kNumbers;
    case Palette::Alphabet:
        return kAlphabet;
    case Palette::SpecialFunctions:
        return kSpecialFunctions;
    case Palette::GreekAlphabet:
        return kGreek;
    }
    return {};
}

bool isSpecialCharacter(unsigned char byte)
{
    if (byte == '@' || byte == '*' || byte == '<' || byte == '>')
        return true;
    for (const PaletteEntry& entry : kGreek)
        if (static_cast<unsigned char>(entry.bytes[0]) == byte)
            return true;
    return false;
}

} // namespace varnel
