// Test helper: a postfix chain written as one line of words, so that layouts compare
// token by token in a table. V: the value ("3", "0.0025"), "1~j" for the imaginary form,
// "PI", "?", "@0.5" for the phasor form, "[name]" appended for a 0xB0 variable; X: the
// variable's name, "name~j" in the imaginary form; B and U: "B" or "U" and the code,
// "#E6" for codes above 127; ";" for the end.
#pragma once

#include "Code.h"
#include "EquationSet.h"

#include <charconv>
#include <cstdio>
#include <string>

namespace varnel::test {

inline std::string byteText(unsigned char c)
{
    if (c >= 0x21 && c < 0x7F)
        return std::string(1, static_cast<char>(c));
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02X", c);
    return buffer;
}

inline std::string nameText(const std::string& name)
{
    std::string out;
    for (char c : name)
        out += byteText(static_cast<unsigned char>(c));
    return out;
}

inline std::string numberText(double v)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
}

inline std::string variableName(const VariableTable& variables, std::uint32_t index)
{
    if (index == 0 || static_cast<int>(index) > variables.count())
        return "?" + std::to_string(index);
    return nameText(variables.names[index]);
}

inline std::string chainText(const Chain& chain, const VariableTable& variables)
{
    std::string out;
    for (const Token& t : chain) {
        if (!out.empty())
            out += ' ';
        switch (t.kind) {
        case kind::Constant:
            if (t.op == form::Pi)
                out += "PI";
            else if (t.op == form::Undefined)
                out += "?";
            else if (t.op == form::Phasor)
                out += "@" + numberText(t.value);
            else
                out += numberText(t.value) + (t.op == form::Imaginary ? "~j" : "");
            if (t.index != 0)
                out += "[" + variableName(variables, t.index) + "]";
            break;
        case kind::Variable:
            out += variableName(variables, t.index) + (t.op == form::Imaginary ? "~j" : "");
            break;
        case kind::Binary:
        case kind::Unary:
            out += t.kind;
            out += byteText(t.op);
            break;
        case kind::End:
            out += ';';
            break;
        default:
            out += t.kind;
            break;
        }
    }
    return out;
}

} // namespace varnel::test
