// Test helper: the value of an expression where comparing it with a rewritten form makes
// sense, that is where the expression is defined (no error, message, overflow or undefined
// marker in any part) and well conditioned (its rounding does not decide more than 1e-7
// of it). The simplifier's property test and the symbolic fuzz target compare with it.
#pragma once

#include "Code.h"
#include "Evaluator.h"
#include "GuardedMath.h"
#include "Reporter.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

namespace varnel::test {

/// Pieces the library sent: install countSentPiece as the output callback.
inline int g_sentPieces = 0;
inline void countSentPiece(char*)
{
    ++g_sentPieces;
}

/// The value of a postfix chain; NaN when the evaluation marks an error, sends a
/// message, or gives the undefined marker or a magnitude above 1e20 (the power rule's
/// exponential overflows from e^50 = 5e21 on, so that x^4 overflows where (x^2)^2 does
/// not).
double valueOf(Evaluator& evaluator, Reporter& reporter, const Chain& code, const double* values)
{
    g_sentPieces = 0;
    reporter.rearmExpOverflow(); // every overflow of the exponential is a message
    const double v = evaluator.evaluateReal(code, values);
    if (evaluator.error().mark() || g_sentPieces > 0 || !std::isfinite(v) || std::fabs(v) > 1e20 ||
        std::fabs(v / UNDEFINED - 1.0) < 1e-6) // the marker, or what functions made of it
        return std::nan("");
    return v;
}

/// `code` with every value it computes multiplied by 1 + d: how the result reacts shows
/// how much the rounding of the intermediate values decides it. `sign` +1 or -1 moves all
/// by d = sign * 1e-13 (which finds an edge of a domain, such as ARCSIN next to 1), 0 moves
/// each by +-1e-13 at random (which finds cancellation).
Chain perturbed(const Chain& code, int sign, std::mt19937_64& rng)
{
    Chain out;
    for (const Token& t : code) {
        out.push_back(t);
        if (t.kind == kind::End || (t.kind == kind::Binary && t.op == 'H'))
            continue;
        const int s = sign != 0 ? sign : (rng() % 2 ? 1 : -1);
        out.push_back(makeConstant(1.0 + s * 1e-13));
        out.push_back(makeBinaryToken('*'));
    }
    return out;
}

/// The value of the stored chain `code` where every subexpression of it is defined (the
/// evaluator passes overflows and the undefined marker on through functions, which can
/// make them look like ordinary values further up) and the value is well conditioned;
/// NaN elsewhere. Ill-conditioned are a point where a part is below 1e-9 without being 0
/// (most such parts are zeros in exact arithmetic: COS(ARCCOS(0)), SIN(PI)), where 0^0
/// is taken (the power rule makes it 0, the rule x^0 = 1 makes it 1), where a Bessel
/// function is taken at its switch |x| = 8 (a step of about 1e-8 between its two
/// approximations), and where the result moves by more than 1e-7 relative when every
/// intermediate value is moved by 1e-13: there the rounding of the original decides
/// more than the tolerance, and a simplified form that rounds differently may differ.
double definedValue(Evaluator& evaluator, Reporter& reporter, const Chain& code,
                    const double* values, std::mt19937_64& rng)
{
    std::vector<double> at(code.size(), 0.0);   // value of the part that ends at each token
    std::vector<std::size_t> from(code.size()); // where that part starts
    Chain part;
    for (std::size_t end = 1; end < code.size(); ++end) {
        const Token& last = code[end - 1];
        std::size_t start = end;
        for (int owed = 1; owed > 0;) {
            const Token& t = code[--start];
            owed += t.kind == kind::Binary ? 1 : (t.kind == kind::Unary ? 0 : -1);
        }
        from[end - 1] = start;
        if (last.kind == kind::Binary && last.op == 'H')
            continue; // THEN leaves its two branches for IF
        part.assign(code.begin() + static_cast<std::ptrdiff_t>(start),
                    code.begin() + static_cast<std::ptrdiff_t>(end));
        part.push_back(makeToken(kind::End, ' ', 0, 0.0));
        const double v = valueOf(evaluator, reporter, part, values);
        if (std::isnan(v) || (v != 0.0 && std::fabs(v) < 1e-9))
            return std::nan("");
        at[end - 1] = v;
        if (last.kind == kind::Binary && last.op == '^' && at[end - 2] == 0.0 &&
            at[from[end - 2] - 1] == 0.0)
            return std::nan("");
        if (last.kind == kind::Unary &&
            (last.op == 'J' || last.op == '1' || last.op == 'Y' || last.op == 'y') &&
            std::fabs(std::fabs(at[end - 2]) - 8.0) < 1e-6)
            return std::nan("");
    }
    const double v = valueOf(evaluator, reporter, code, values);
    for (const int sign : {1, -1, 0}) {
        const double moved = valueOf(evaluator, reporter, perturbed(code, sign, rng), values);
        if (std::isnan(moved) || std::fabs(moved - v) > 1e-7 * std::max(1.0, std::fabs(v)))
            return std::nan("");
    }
    return v;
}

} // namespace varnel::test
