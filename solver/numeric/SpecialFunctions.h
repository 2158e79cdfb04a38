// The special functions of the equation language: ln Gamma, the regularized incomplete
// gamma function P(a, x), erf, and the Bessel functions J0, J1, Y0, Y1, in their classic
// rational, asymptotic, series and continued-fraction forms. The evaluator calls them for
// their unary and binary codes and the constant folder folds with them.
#pragma once

namespace varnel {

class Reporter;

/// ln Gamma(x) by the six-term Lanczos series. Defined for x > 0. A non-positive
/// argument (a pole or a negative Gamma, whose logarithm is not real) and a NaN give
/// BIG, the library's value for a failed result; so does a result above BIG.
double gammln(double x);

/// The regularized incomplete gamma function P(a, x) = gamma(a, x) / Gamma(a): the
/// series below x = a + 1, the continued fraction for Q = 1 - P from there on, both to a
/// relative 3e-7 within 100 steps. a <= 0 or x < 0 is reported ("Argument of GAMMA or
/// ERF must be positive", a line feed, a beep) and the computation goes on: x < 0 in the
/// series reports "pause in GSER - x less than 0" and gives 0; a <= 0 gives 0 in the
/// series and 1 in the fraction (ln Gamma(a) is BIG there, so the prefactor vanishes).
/// A step count exhausted reports "Precision Problems in GAMMA or ERF" with a beep and
/// uses the last value. x >= 1e150 in the fraction gives 1 (its limit; the recurrence
/// would overflow). A result that is not a number (a NaN argument, or x < 0 with
/// a <= -1, which reaches the fraction and the logarithm of x) gives UNDEFINED.
/// No message raises the run error.
double gammp(double a, double x, Reporter& r);

/// erf x = P(1/2, x^2) for x >= 0 and -P(1/2, x^2) for x < 0, with the messages of
/// gammp.
double erfFunction(double x, Reporter& r);

/// Bessel functions of the first kind: rational forms in x^2 below |x| = 8 (divided
/// under the guarded division rules), asymptotic forms from |x| = 8 on; J1 is odd. An
/// infinite argument gives 0, the limit.
double bessj0(double x);
double bessj1(double x);

/// Bessel functions of the second kind, defined for x > 0. UNDEFINED gives UNDEFINED;
/// |x| <= TINY gives BIG (the pole at 0); any other x < 0 gives UNDEFINED (Y0 tests
/// x < 0 first, so a tiny negative x gives UNDEFINED for Y0 and BIG for Y1). +infinity
/// gives 0, the limit.
double bessy0(double x);
double bessy1(double x);

} // namespace varnel
