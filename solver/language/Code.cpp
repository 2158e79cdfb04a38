// Building blocks of the internal code: token makers, prefix builders and the turning
// of a chain between postfix (stored) and prefix (symbolic) order.
#include "Code.h"

#include <cassert>

namespace varnel {

Token makeToken(char k, std::uint8_t code, std::uint32_t index, double value, std::uint8_t tag)
{
    Token t;
    t.kind = k;
    t.op = code;
    t.index = index;
    t.value = value;
    t.tag = tag;
    return t;
}

Token makeConstant(double value)
{
    return makeToken(kind::Constant, form::Real, 0, value);
}
Token makeOne()
{
    return makeConstant(1.0);
}
Token makeTwo()
{
    return makeConstant(2.0);
}
Token makeZero()
{
    return makeConstant(0.0);
}
Token makeImaginaryUnit()
{
    return makeToken(kind::Constant, form::Imaginary, 0, 1.0);
}
Token makeVariable(std::uint32_t index)
{
    return makeToken(kind::Variable, form::Real, index, 0.0);
}
Token makeBinaryToken(std::uint8_t code)
{
    return makeToken(kind::Binary, code, 0, 0.0);
}
Token makeUnaryToken(std::uint8_t code)
{
    return makeToken(kind::Unary, code, 0, 0.0);
}

Chain makeBinary(std::uint8_t code, const Chain& second, const Chain& first)
{
    Chain out;
    out.reserve(1 + second.size() + first.size());
    out.push_back(makeBinaryToken(code));
    out.insert(out.end(), second.begin(), second.end());
    out.insert(out.end(), first.begin(), first.end());
    return out;
}

Chain makeUnary(std::uint8_t code, const Chain& argument)
{
    Chain out;
    out.reserve(1 + argument.size());
    out.push_back(makeUnaryToken(code));
    out.insert(out.end(), argument.begin(), argument.end());
    return out;
}

std::size_t operandEnd(const Chain& prefix, std::size_t start)
{
    // Count the operands still owed: a binary token owes two, a unary one.
    std::size_t pos = start;
    std::size_t owed = 1;
    while (owed > 0 && pos < prefix.size()) {
        const Token& t = prefix[pos++];
        switch (t.kind) {
        case kind::Void:
            break;
        case kind::Binary:
            owed += 1;
            break;
        case kind::Unary:
            break;
        default:
            owed -= 1;
            break;
        }
    }
    return pos;
}

Chain toPrefix(const Chain& postfix)
{
    Chain out;
    out.reserve(postfix.size());
    for (auto it = postfix.rbegin(); it != postfix.rend(); ++it) {
        if (it->kind == kind::End || it->kind == kind::Void)
            continue;
        out.push_back(*it);
    }
    return out;
}

Chain toPostfix(const Chain& prefix)
{
    Chain out;
    out.reserve(prefix.size() + 1);
    for (auto it = prefix.rbegin(); it != prefix.rend(); ++it) {
        if (it->kind == kind::Void || it->kind == kind::End)
            continue;
        out.push_back(*it);
    }
    out.push_back(makeToken(kind::End, ' ', 0, 0.0));
    assert(out.back().kind == kind::End);
    return out;
}

} // namespace varnel
