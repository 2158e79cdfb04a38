// Test helpers that build chains of the internal code: single tokens for chains written
// token by token in postfix order (C, X, B, U, ...), and written-form expressions (Expr,
// with the arithmetic operators) kept as postfix chains without ";", for tests that state
// an equation as calculus rather than as code.
#pragma once

#include "Code.h"

#include <cstdint>
#include <initializer_list>

namespace varnel::test {

inline Token C(double v)
{
    return makeConstant(v);
}
inline Token X(std::uint32_t k)
{
    return makeVariable(k);
}
/// Variable k in the imaginary form.
inline Token Xj(std::uint32_t k)
{
    return makeToken(kind::Variable, form::Imaginary, k, 0.0);
}
inline Token B(std::uint8_t code)
{
    return makeBinaryToken(code);
}
inline Token U(std::uint8_t code)
{
    return makeUnaryToken(code);
}
/// A constant in the given number form.
inline Token Form(std::uint8_t numberForm, double v)
{
    return makeToken(kind::Constant, numberForm, 0, v);
}
inline Token End()
{
    return makeToken(kind::End, ' ', 0, 0.0);
}

/// A postfix chain: the tokens and the closing ";".
inline Chain postfix(std::initializer_list<Token> tokens)
{
    Chain c(tokens);
    c.push_back(End());
    return c;
}

struct Expr {
    Chain code;
};

inline Expr var(std::uint32_t index, std::uint8_t numberForm = form::Real)
{
    return {{makeToken(kind::Variable, numberForm, index, 0.0)}};
}
inline Expr num(double value, std::uint8_t numberForm = form::Real)
{
    return {{makeToken(kind::Constant, numberForm, 0, value)}};
}
/// a code b: a, b, B(code).
inline Expr bin(std::uint8_t code, const Expr& a, const Expr& b)
{
    Expr e = a;
    e.code.insert(e.code.end(), b.code.begin(), b.code.end());
    e.code.push_back(makeBinaryToken(code));
    return e;
}
/// code(a): a, U(code).
inline Expr un(std::uint8_t code, const Expr& a)
{
    Expr e = a;
    e.code.push_back(makeUnaryToken(code));
    return e;
}
inline Expr operator+(const Expr& a, const Expr& b)
{
    return bin('+', a, b);
}
inline Expr operator-(const Expr& a, const Expr& b)
{
    return bin('-', a, b);
}
inline Expr operator*(const Expr& a, const Expr& b)
{
    return bin('*', a, b);
}
inline Expr operator/(const Expr& a, const Expr& b)
{
    return bin('/', a, b);
}
inline Expr operator^(const Expr& a, const Expr& b)
{
    return bin('^', a, b);
}
inline Expr operator-(const Expr& a)
{
    return un('-', a);
}
/// IF c THEN a ELSE b as the parser lays it out: c, a, b, B"H", B"F".
inline Expr ifThenElse(const Expr& c, const Expr& a, const Expr& b)
{
    return bin('F', c, bin('H', a, b));
}

/// The expression as a stored equation chain, ending in ";".
inline Chain stored(const Expr& e)
{
    Chain c = e.code;
    c.push_back(End());
    return c;
}

} // namespace varnel::test
