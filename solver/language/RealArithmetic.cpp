// Real-mode operations of the internal code with the BIG / TINY / UNDEFINED rules; the
// evaluator and constant folding both compute through these functions.
#include "RealArithmetic.h"

#include "Code.h"
#include "GuardedMath.h"
#include "Reporter.h"
#include "SpecialFunctions.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace varnel {

void EvalError::record(std::string_view text)
{
    if (m_length == 0) {
        m_length = std::min(text.size(), m_text.size() - 1);
        std::copy_n(text.data(), m_length, m_text.data());
    }
    m_mark = true;
}

double clampToBig(double x) { return std::fabs(x) > BIG ? BIG : x; }

double realPower(double a, double b, Reporter& reporter, EvalError& error)
{
    if (std::fabs(a) <= TINY)
        return b >= 0.0 ? 0.0 : BIG;
    if (std::fabs(b) <= TINY)
        return 1.0;
    if (std::fabs(b) < 32767.5) {
        const double n = std::round(b); // half away from zero
        if (std::fabs(b - n) <= 1e-8) {
            if (n == -1.0)
                return guardedDiv(1.0, a);
            if (n == 1.0)
                return a;
            if (n == 2.0)
                return a * a;
            if (std::fmod(n, 2.0) == 0.0)
                return guardedExp(reporter, n * std::log(std::fabs(a)));
            if (a > 0.0)
                return guardedExp(reporter, n * std::log(a));
            return -guardedExp(reporter, n * std::log(-a));
        }
    }
    if (a > 0.0)
        return guardedExp(reporter, b * std::log(a));
    error.record(message::FractionalPower);
    return UNDEFINED;
}

double realBinary(std::uint8_t code, double a, double b, Reporter& reporter, EvalError& error)
{
    double r = 0.0;
    switch (code) {
    case '+':
        r = guardedAdd(a, b);
        break;
    case '-':
        r = guardedSub(a, b);
        break;
    case '*':
        r = guardedMul(a, b);
        break;
    case '/':
        r = guardedDiv(a, b);
        break;
    case '^':
        r = realPower(a, b, reporter, error);
        break;
    case 'A':
        r = std::atan2(a, b);
        break;
    case op::Gammp:
        r = gammp(a, b, reporter);
        break;
    case '<':
        r = b - a;
        break;
    case '>':
        r = a - b;
        break;
    case '=':
        r = a == b ? 0.0 : 1.0;
        break;
    default: // derivative, delay, integral, limit, ARG and unknown codes
        r = 0.0;
        break;
    }
    return clampToBig(r);
}

namespace {

/// arcsin x = arctan(x / sqrt(1 - x^2)) with the square and the quotient guarded.
double realArcSine(double x, EvalError& error)
{
    const double d = guardedSub(1.0, guardedMul(x, x));
    double root = 0.0;
    if (std::fabs(x) > 1.0)
        error.record(message::SquareRootNegative);
    else
        root = std::sqrt(d);
    double q = guardedDiv(x, root);
    // The guarded quotient is BIG whatever the sign; the angle keeps the sign of x.
    if (q == BIG && x < 0.0)
        q = -BIG;
    return std::atan(q);
}

} // namespace

double realUnary(std::uint8_t code, double x, Reporter& reporter, EvalError& error)
{
    switch (code) {
    case '-':
        return -x;
    case 'r':
    case 'j':
        return x;
    case '2':
        return clampToBig(guardedMul(x, x));
    case 'B':
    case 'm':
        return std::fabs(x);
    case 'a':
        return x < 0.0 ? std::numbers::pi : 0.0;
    case 'S':
        return std::sin(x);
    case 'C':
        return std::cos(x);
    case 'T': {
        const double c = std::cos(x);
        if (std::fabs(c) <= TINY) {
            error.record(message::TangentInfinity);
            return BIG;
        }
        return std::sin(x) / c;
    }
    case 's':
        return realArcSine(x, error);
    case 'c':
        return kPi * 0.5 - realArcSine(x, error);
    case 't':
        return std::atan(x);
    case 'E':
        return guardedExp(reporter, x);
    case 'L':
        if (x <= 0.0) {
            error.record(message::LogNonPositive);
            return BIG;
        }
        return std::log(x);
    case 'I':
        if (std::fabs(x) <= TINY) {
            error.record(message::InverseOfZero);
            return BIG;
        }
        return 1.0 / x;
    case 'Q':
        if (x < 0.0) {
            error.record(message::SquareRootNegative);
            return 0.0;
        }
        return std::sqrt(x);
    case 'U':
        return x >= 0.0 ? 1.0 : 0.0;
    case 'P':
        return erfFunction(x, reporter);
    case 'J':
        return bessj0(x);
    case '1':
        return bessj1(x);
    case 'Y':
        return bessy0(x);
    case 'y':
        return bessy1(x);
    case 'G':
        return gammln(x);
    default: // IMAG of a real number, and codes without a rule
        return 0.0;
    }
}

} // namespace varnel
