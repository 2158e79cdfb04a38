// Properties of the simplifier over thousands of random expressions that use every
// operator and function, nested IFs and complex marks: the code never gets longer, a
// second simplification changes nothing, and the value at random points is kept (1e-9
// relative) wherever the original expression is defined there.
#include "Simplifier.h"

#include "Code.h"
#include "Evaluator.h"
#include "GuardedMath.h"
#include "Reporter.h"
#include "varnel/Platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace varnel {
namespace {

constexpr std::uint32_t kVariables = 3;

int g_messages = 0;

/// Random postfix expressions (without ";"). Subexpressions are reused now and then, so
/// that cancellation, like terms and powers of one base have something to find.
class RandomExpressions {
public:
    explicit RandomExpressions(std::uint64_t seed) : m_rng(seed) {}

    Chain next()
    {
        m_seen.clear();
        return expression(1 + static_cast<int>(below(5)));
    }

    double uniform(double lo, double hi) { return std::uniform_real_distribution(lo, hi)(m_rng); }

private:
    std::size_t below(std::size_t n)
    {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_rng);
    }

    /// A variable or constant, or now and then a subexpression made before.
    Chain leaf()
    {
        if (!m_seen.empty() && below(5) == 0)
            return m_seen[below(m_seen.size())];
        return plainLeaf();
    }

    Chain plainLeaf()
    {
        const std::size_t r = below(20);
        if (r < 10)
            return {makeVariable(1 + static_cast<std::uint32_t>(below(kVariables)))};
        if (r < 12)
            return {makeVariable(1 + static_cast<std::uint32_t>(below(kVariables)))};
        if (r == 12)
            return {makeToken(kind::Constant, form::Pi, 0, kPi)};
        static const double kConstants[] = {0.0, 1.0, 2.0, 3.0, 0.5, -1.0, 1.5, -2.0, 4.0};
        if (r < 17)
            return {makeConstant(kConstants[below(std::size(kConstants))])};
        return {makeConstant(std::round(uniform(-3.0, 3.0) * 100.0) / 100.0 + 0.0)}; // no -0
    }

    static Chain binary(std::uint8_t code, const Chain& a, const Chain& b)
    {
        Chain e = a;
        e.insert(e.end(), b.begin(), b.end());
        e.push_back(makeBinaryToken(code));
        return e;
    }
    static Chain unary(std::uint8_t code, const Chain& a)
    {
        Chain e = a;
        e.push_back(makeUnaryToken(code));
        return e;
    }

    Chain expression(int depth)
    {
        if (depth <= 0 || below(6) == 0)
            return leaf();
        Chain e = compound(depth);
        m_seen.push_back(e);
        return e;
    }

    Chain compound(int depth)
    {
        static const std::uint8_t kArithmetic[] = {'+', '-', '*', '/', '+', '-', '*'};
        static const std::uint8_t kContinuous[] = {'-', 'S', 'C', 'T', 's', 'c', 't', 'E',
                                                   'L', 'I', '2', 'Q', 'B', 'r', 'i', 'j',
                                                   'm', 'P', 'J', '1', 'Y', 'y', 'G'};
        // Steps and comparisons get operands without rounding noise, so that a value at a
        // jump is not a matter of the last bit.
        static const std::uint8_t kJumps[] = {'U', 'a'};
        const int d = depth - 1;
        switch (below(14)) {
        case 0:
        case 1:
        case 2:
        case 3:
            return binary(kArithmetic[below(std::size(kArithmetic))], expression(d), expression(d));
        case 4: {
            static const double kExponents[] = {2.0, 3.0, 0.5, -1.0, 1.5, -2.0, 0.0, 1.0, 4.0};
            const Chain exponent =
                below(4) == 0 ? expression(d) : Chain{makeConstant(kExponents[below(9)])};
            return binary('^', expression(d), exponent);
        }
        case 5:
        case 6:
        case 7:
            return unary(kContinuous[below(std::size(kContinuous))], expression(d));
        case 8:
            if (below(2) == 0)
                return unary(kJumps[below(std::size(kJumps))], plainLeaf());
            // A term in the imaginary form: 0 in real arithmetic, which would make a power
            // with it a power of 0 (where the evaluator's 0^0 is 0); only sums hold them.
            return binary(below(2) ? '+' : '-', expression(d),
                          below(2) ? Chain{makeToken(kind::Variable, form::Imaginary, 1, 0.0)}
                                   : Chain{makeToken(kind::Constant, form::Imaginary, 0, 2.0)});
        case 9: { // IF c THEN a ELSE b, nested now and then
            const Chain branches =
                binary('H', expression(d), below(3) == 0 ? expression(d) : leaf());
            return binary('F', leaf(), branches);
        }
        case 10: {
            static const std::uint8_t kTwo[] = {'<', '>', '=', 'A', op::Gammp};
            const std::uint8_t code = kTwo[below(std::size(kTwo))];
            // ATAN2 jumps on the negative axis, where the sign of a zero decides: its
            // second operand is a variable, so that a point near the jump is recognised,
            // and its first no product that may be -0.
            const Chain second = code == 'A' ? Chain{makeVariable(1)} : plainLeaf();
            if (code == '=' || code == 'A') // EQUAL: 0 or 1 by the last bit of its operands
                return binary(code, plainLeaf(), second);
            return binary(code, leaf(), second);
        }
        case 11: { // SIN(w)^2 +- COS(w)^2
            const Chain w = expression(d);
            const Chain two = {makeConstant(2.0)};
            return binary(below(2) ? '+' : '-', binary('^', unary('S', w), two),
                          binary('^', unary('C', w), two));
        }
        case 12: { // a function of its inverse
            static const std::uint8_t kPairs[][2] = {{'L', 'E'}, {'E', 'L'}, {'Q', '2'},
                                                     {'2', 'Q'}, {'S', 's'}, {'s', 'S'},
                                                     {'I', 'I'}, {'t', 'T'}, {'c', 'C'}};
            const auto& pair = kPairs[below(std::size(kPairs))];
            return unary(pair[0], unary(pair[1], expression(d)));
        }
        default: { // a product or power of powers of one base
            const Chain base = expression(d);
            const Chain c = {makeConstant(static_cast<double>(below(4)) - 1.0)};
            return binary(below(2) ? '*' : '^', binary('^', base, c), below(2) ? base : c);
        }
        }
    }

    std::mt19937_64 m_rng;
    std::vector<Chain> m_seen;
};

/// Postfix words for failure messages.
std::string words(const Chain& chain)
{
    std::string out;
    for (const Token& t : chain) {
        out += out.empty() ? "" : " ";
        if (t.kind == kind::Constant)
            out += std::to_string(t.value) + (t.op == form::Imaginary ? "~j" : "");
        else if (t.kind == kind::Variable)
            out += "x" + std::to_string(t.index) + (t.op == form::Imaginary ? "~j" : "");
        else
            out += std::string(1, t.kind) + static_cast<char>(t.op);
    }
    return out;
}

Chain stored(Chain c)
{
    c.push_back(makeToken(kind::End, ' ', 0, 0.0));
    return c;
}

/// The value of a postfix chain; NaN when the evaluation marks an error, sends a
/// message, or gives the undefined marker or a magnitude above 1e20 (the power rule's
/// exponential overflows from e^50 = 5e21 on, so that x^4 overflows where (x^2)^2 does
/// not).
double valueOf(Evaluator& evaluator, Reporter& reporter, const Chain& code, const double* values)
{
    g_messages = 0;
    reporter.rearmExpOverflow(); // every overflow of the exponential is a message
    const double v = evaluator.evaluateReal(code, values);
    if (evaluator.error().mark() || g_messages > 0 || !std::isfinite(v) || std::fabs(v) > 1e20 ||
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

TEST(SimplifierPropertyTest, ShorterIdempotentAndValueKeeping)
{
    setLibraryOutputCallback([](char*) { ++g_messages; });
    setBeepHandler([](unsigned) {});
    Reporter reporter;
    Simplifier simplifier(reporter);
    Evaluator evaluator(reporter);
    // VARNEL_PROPERTY_SEED explores other expressions than the fixed set.
    const char* seed = std::getenv("VARNEL_PROPERTY_SEED");
    RandomExpressions random(seed != nullptr ? std::strtoull(seed, nullptr, 10) : 20261208);

    std::mt19937_64 rng(7);
    int compared = 0;
    for (int n = 0; n < 6000; ++n) {
        const Chain original = stored(random.next());
        Chain once = original;
        simplifier.simplifyEquation(once);
        Chain twice = once;
        simplifier.simplifyEquation(twice);
        reporter.runError = false;

        ASSERT_LE(once.size(), original.size()) << words(original) << "\n -> " << words(once);
        ASSERT_EQ(twice, once) << words(original) << "\n -> " << words(once) << "\n -> "
                               << words(twice);

        for (int point = 0; point < 4; ++point) {
            double values[kVariables + 1] = {};
            double nudged[kVariables + 1] = {};
            for (std::uint32_t k = 1; k <= kVariables; ++k) {
                values[k] = random.uniform(-3.0, 3.0);
                nudged[k] = values[k] * (1.0 + 1e-7);
            }
            const double expected = definedValue(evaluator, reporter, original, values, rng);
            const double near = definedValue(evaluator, reporter, original, nudged, rng);
            // Undefined here, or at a jump or a pole (a nudge of 1e-7 moves it a lot).
            if (std::isnan(expected) || std::isnan(near) ||
                std::fabs(near - expected) > 1e-4 * std::max(1.0, std::fabs(expected)))
                continue;
            const double got = valueOf(evaluator, reporter, once, values);
            ASSERT_NEAR(got, expected, 1e-9 * std::max(1.0, std::fabs(expected)))
                << words(original) << "\n -> " << words(once);
            ++compared;
        }
    }
    EXPECT_GT(compared, 6000); // most points of most expressions are compared
    setLibraryOutputCallback(nullptr);
    setBeepHandler(nullptr);
}

} // namespace
} // namespace varnel
