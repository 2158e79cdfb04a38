// The evaluator: runs an equation's postfix chain on the current variable values and
// gives its residual, in real or in complex arithmetic. Newton iterations, Jacobians,
// homotopy set-up and starting values all call it; it never allocates while running.
#pragma once

#include "Code.h"
#include "EvalError.h"
#include "RealArithmetic.h" // for callers that compute single operations

#include <complex>
#include <string_view>

namespace varnel {

class Reporter;

namespace message {
constexpr std::string_view StackOverflow = "Stack Overflow, equation too complex or incorrect";
constexpr std::string_view StackUnderflow = "Stack underflow, equation incorrect";
constexpr std::string_view EndedPrematurely = "Equation ended prematurely, syntax error ";
} // namespace message

class Evaluator {
public:
    /// Entries of the value stack.
    static constexpr int kStackSize = 101;

    explicit Evaluator(Reporter& reporter);

    /// Complex arithmetic (the run's complex mode) instead of real arithmetic.
    bool complexMode = false;

    /// Runs `postfix` up to its ";" token (or its end) with values[k] the value of
    /// variable k (slot 0 unused) and returns the residual: BIG when an error was marked;
    /// "Equation ended prematurely, syntax error " reported (and the mark set) when the
    /// run does not leave exactly one value; parts of magnitude at most TINY that are not
    /// UNDEFINED become exactly 0. In real mode the imaginary part is 0.
    std::complex<double> evaluate(const Chain& postfix, const double* values);
    /// The real part of evaluate().
    double evaluateReal(const Chain& postfix, const double* values)
    {
        return evaluate(postfix, values).real();
    }

    /// The last evaluation's error mark and its first mathematical error message.
    const EvalError& error() const { return m_error; }
    void clearError() { m_error.clear(); }
    /// Values left on the stack by the last run.
    int depth() const { return m_depth; }

private:
    /// The stack machine, for Number double (real mode) or std::complex<double>.
    template <class Number>
    void run(const Token* t, const Token* end, const double* values, Number* stack);
    /// Reports a stack fault through the error routine and sets the mark.
    void reportFault(std::string_view text);

    Reporter& m_reporter;
    EvalError m_error;
    int m_depth = 0;
    double m_real[kStackSize] = {};
    std::complex<double> m_complex[kStackSize] = {};
};

} // namespace varnel
